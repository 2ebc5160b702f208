#pragma once

#include "printing/contents.h"
#include "printing/pagegeometry.h"
#include "printing/odtfile.h"
#include "printing/pdfoutline.h"

#include <QBuffer>
#include <QList>
#include <QPageLayout>
#include <QPainter>
#include <QString>

#include <memory>

class PlanPrinting;
class QPdfWriter;
class SheetControl;
class TextControl;

// A PDF of the plan, the budget or both, page for page as they print: the plan with its
// margins and "Page N" footers and without its hidden notes, the budget with the sheet's
// own paper and print settings. The pages are made in memory; finish() adds the outline
// (a bookmark per navigator item) and the document's title and author, and writes the
// file atomically.
class PdfExport {
public:
    PdfExport();
    ~PdfExport();
    PdfExport(const PdfExport&) = delete;
    PdfExport& operator=(const PdfExport&) = delete;

    // The plan's pages on `layout` (the printer's page, its painter's origin the printable
    // area's top left), through the same print pass the printer gets. False when a page
    // could not be made (the print functions' codes are reported to the user as in
    // printing).
    bool addPlan(PlanPrinting& printing, TextControl& text, const PageGeometry& geometry,
                 const QPageLayout& layout, const QList<PdfSection>& sections);
    // The budget sheet's pages, then those of each further sheet of its workbook (the
    // actual spend). Its navigator item (from an earlier addPlan) now leads
    // here; without one a top-level bookmark `title` is added (none when it is empty).
    bool addBudget(SheetControl& sheet, const QString& title);
    int pageCount() const { return m_pages; }
    const QList<PdfBookmark>& bookmarks() const { return m_marks; }
    // The links from the lines of the plan's contents page to their sections' pages.
    const QList<PdfLink>& links() const { return m_links; }
    bool finish(const QString& path, const PdfInfo& info, QString* error = nullptr);

    // The page the plan prints on: the printer's, or without a printer the whole sheet of
    // the chosen paper.
    static QPageLayout planPageLayout();
    // The plan's page and properties for an OpenDocument text.
    static OdtPage odtPage(const PageGeometry& geometry, const PdfInfo& info);

private:
    bool startPage(const QPageLayout& layout);

    QBuffer m_buffer;
    std::unique_ptr<QPdfWriter> m_writer;
    QPainter m_painter;
    int m_pages = 0;
    int m_budgetMark = -1; // the budget's bookmark from the plan's sections
    QList<PdfBookmark> m_marks;
    QList<PdfLink> m_links;
};

// The plan as OpenDocument text: what paper shows (no hidden notes), tables with their
// borders and widths, fonts, the page and the title and author of `page`. The file is
// written atomically. False when it could not be written; `error` says why.
bool writePlanOdt(const TextControl& text, const QString& path, const OdtPage& page,
                  QString* error = nullptr);
