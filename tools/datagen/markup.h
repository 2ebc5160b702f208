#pragma once

#include <QList>
#include <QString>

// The readable sources of the shipped template: the navigator outline and the
// line-based markup in which the plan text, the guidance and the start-up texts are
// written (docs/template.md describes it for authors).
namespace Datagen {

// A fault in a source file, reported as "file:line: message".
struct Issue {
    QString file;
    int line = 0;
    QString message;
    bool warning = false; // reported, but does not stop the build
    QString toString() const;
};
using Issues = QList<Issue>;

struct OutlineItem {
    QString title;
    int depth = 0; // 0 = top level
    int line = 0;  // 1-based line in the source
};

// One item per line, one tab per level. Blank lines at the end are ignored; anything
// the navigator would refuse (a jump of more than one level, indentation with spaces,
// an empty item, an overlong line, a Ctrl+Z) is an issue.
QList<OutlineItem> parseOutline(const QString& text, const QString& fileName, Issues* issues);

struct Span {
    enum Kind { Plain, Prompt, Note, Placeholder };
    Kind kind = Plain;
    QString text;
    bool bold = false;
    bool italic = false;
};

struct Paragraph {
    enum Kind { Body, Bullet, Heading1, Heading2, Heading3 };
    Kind kind = Body;
    bool centred = false;
    QList<Span> spans;
    int line = 0; // first source line
    QString plainText() const;
};

// The markup, line by line:
//   "# Heading", "## Heading", "### Heading"  a heading paragraph (one line)
//   "- item"                                  a bulleted paragraph
//   "^ text" / "^# Heading"                   the paragraph (or heading) centred
//   blank line                                ends a paragraph; other lines join with a space
// and inline: **bold**, *italic*, {{blue prompt}}, <<red note>>, [BusinessName] and
// [SBUName] placeholders (outside prompts and notes), "\" before a character takes it
// literally.
QList<Paragraph> parseMarkup(const QString& text, const QString& fileName, Issues* issues);

// The two placeholder fields the program fills from the company details.
inline const QString kBusinessName = QStringLiteral("[BusinessName]");
inline const QString kSbuName = QStringLiteral("[SBUName]");

} // namespace Datagen
