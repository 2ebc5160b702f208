#pragma once

#include <QJsonObject>
#include <QString>

// Word documents read back by python-docx (Debian's python3-docx) and a plain zip reading.
// The object holds:
//   headings   [[style name, text]] of the paragraphs in a "Heading" style, in order
//   paragraphs the text of each body paragraph; tables: [[[cell text]]] per table and row
//   bold, italic, underline: the text of such runs; colours {run text: "RRGGBB"};
//   fonts {run text: [family, points]}
//   formats    {paragraph text: [left indent, first-line indent (twips), [[tab, kind]],
//              alignment (-1 none, 1 centre, 2 right, 3 justify)]}
//   outline    {heading style name: outline level}
//   page       [width, height, orientation (1 landscape), left, right, top, bottom margins]
//   footer     the footer's text; footerPage: whether it holds a PAGE field
//   pictures   [[width, height (EMU), bytes of its file]] of the inline pictures, in order
//   title, author: the core properties
//   problems   what makes the package unsound: a part named in [Content_Types].xml
//              missing, a part without a type, a relationship leading nowhere, XML
//              that does not parse
// Empty when the file could not be read.
QJsonObject readDocx(const QString& path);
// Whether python-docx is there to read with.
bool hasDocxReader();
