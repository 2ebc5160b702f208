#pragma once

#include "printing/pagegeometry.h"
#include "printing/planexport.h"

#include <QList>
#include <QPageLayout>
#include <QString>

class TextControl;

// What a Word document of the plan takes beside the text: the page it prints on (the
// printer's page with its printable area as margins, and the plan's own margins inside
// that), the navigator's items, which make its headings, and the title and author.
struct DocxSetup {
    QPageLayout page;
    PageGeometry geometry;
    QList<PdfSection> sections;
    PdfInfo info;
};

// The plan as a Word document (WordprocessingML in a zip): what paper shows (no hidden
// notes) with its character and paragraph formats and tables, the page and its "Page N"
// footer, and the paragraph that opens each navigator item as a Heading 1 (top-level
// items) or Heading 2 paragraph, so that a word processor's navigation lists the
// sections. The file is written atomically. False when it could not be made or written;
// `error` says why.
bool writePlanDocx(const TextControl& text, const DocxSetup& setup, const QString& path,
                   QString* error = nullptr);
