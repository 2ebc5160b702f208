#include "printing/planexport.h"

#include "controls/sheet/sheetcontrol.h"
#include "controls/sheet/sheetprint.h"
#include "controls/text/textcontrol.h"
#include "platform/printerinfo.h"
#include "platform/safefile.h"
#include "printing/planprint.h"
#include "printing/odtfile.h"

#include <QPdfWriter>
#include <QPrinter>
#include <QTextDocument>
#include <QTextDocumentWriter>

#include <algorithm>
#include <map>

namespace {

constexpr int kResolution = 1200; // dots per inch of the PDF's drawing

QPageLayout sheetPageLayout(const Sheet::SheetModel& sheet) {
    const Sheet::PrintSettings& p = sheet.print();
    QPageSize size = PrinterInfo::pageSizeForCode(p.paperSize);
    if (!size.isValid()) size = QPageSize(QPageSize::A4);
    // The sheet places its own margins on the whole sheet of paper.
    return QPageLayout(size, p.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Inch);
}

} // namespace

PdfExport::PdfExport() {
    m_buffer.open(QIODevice::WriteOnly);
}

PdfExport::~PdfExport() {
    if (m_painter.isActive()) m_painter.end();
}

QPageLayout PdfExport::planPageLayout() {
    const PrinterInfo& info = PrinterInfo::instance();
    if (QPrinter* printer = info.printer()) return printer->pageLayout();
    // Without a printer the whole sheet chosen is the printable page: the painter's origin
    // is the paper's corner and the plan's margins are the ones set.
    QPageSize size = PrinterInfo::pageSizeForCode(info.paperSize());
    if (!size.isValid()) size = QPageSize(QPageSize::A4);
    QPageLayout layout(size, PrinterInfo::orientationFor(info.orientation()),
                       QMarginsF(0, 0, 0, 0), QPageLayout::Inch);
    layout.setMode(QPageLayout::FullPageMode);
    return layout;
}

bool PdfExport::startPage(const QPageLayout& layout) {
    if (!m_writer) {
        m_writer = std::make_unique<QPdfWriter>(&m_buffer);
        m_writer->setResolution(kResolution);
        m_writer->setCreator(QStringLiteral("Tandel Zurozurov Irod"));
        m_writer->setPageLayout(layout);
        if (!m_painter.begin(m_writer.get())) return false;
        // Qt stores pictures as JPEG unless told otherwise: a logo or a chart's lines and
        // lettering would blur on paper.
        m_painter.setRenderHint(QPainter::LosslessImageRendering);
        return true;
    }
    // A new layout takes effect with the next page.
    m_writer->setPageLayout(layout);
    return m_writer->newPage();
}

bool PdfExport::addPlan(PlanPrinting& printing, TextControl& text, const PageGeometry& geometry,
                        const QPageLayout& layout, const QList<PdfSection>& sections) {
    if (!startPage(layout)) return false;
    const int first = m_pages;
    // The print pass turns the page itself from the plan's second page on: the first one
    // is the page just started.
    const PlanPrinting::Mode mode = printing.mode();
    printing.setMode(PlanPrinting::Mode::Printing);
    const int code = printing.printPass(m_painter, geometry);
    printing.setMode(mode);
    const int pages = std::max(1, printing.lastPageSeen());
    m_pages += pages;

    // The first page of each section, from the same layout the pages were drawn with.
    const std::map<int, int>& pageOfTag = printing.sectionPages();
    // An item whose paragraph is not on paper (a heading without text of its own, a
    // section of hidden notes) leads to where the next one begins.
    std::vector<int> pageOf(size_t(sections.size()), -1);
    int next = pages - 1;
    for (qsizetype i = sections.size() - 1; i >= 0; --i) {
        const auto found = pageOfTag.find(sections[i].tag);
        if (found != pageOfTag.end()) next = found->second;
        pageOf[size_t(i)] = next;
    }
    for (qsizetype i = 0; i < sections.size(); ++i) {
        if (sections[i].budget) m_budgetMark = int(m_marks.size());
        m_marks.append({sections[i].title, sections[i].depth, first + pageOf[size_t(i)]});
    }
    // Each line of the contents leads to its section's page. The painter's origin is the
    // printable area's top left; a PDF measures in points up from the sheet's bottom left.
    const QRectF paper = layout.fullRect(QPageLayout::Point);
    const QPointF origin = layout.paintRect(QPageLayout::Point).topLeft();
    for (const PlanPrinting::ContentsLink& link : printing.contentsLinks()) {
        const QRectF box(origin + link.box.topLeft() / 20.0, link.box.size() / 20.0);
        m_links.append({first + link.page,
                        QRectF(box.left(), paper.height() - box.bottom(), box.width(), box.height()),
                        first + link.target});
    }
    return code <= 0;
}

bool PdfExport::addBudget(SheetControl& sheet, const QString& title) {
    sheet.Finish();
    const int first = m_pages;
    // The budget, then each further sheet of its workbook (the actual spend) on pages of
    // its own.
    const Sheet::SheetModel& budget = sheet.model();
    for (int n = -1; n < budget.extraSheetCount(); ++n) {
        const Sheet::SheetModel& one = n < 0 ? budget : *budget.extraSheet(n);
        if (!startPage(sheetPageLayout(one))) return false;
        const Sheet::SheetPrinter pages(one);
        const QRectF paper(QPointF(0, 0),
                           m_writer->pageLayout().fullRectPixels(m_writer->resolution()).size());
        const int count = std::max(1, pages.pageCount());
        for (int i = 1; i <= count; ++i) {
            if (i > 1 && !m_writer->newPage()) return false;
            pages.drawPage(m_painter, paper, i);
        }
        m_pages += count;
    }
    if (m_budgetMark >= 0) m_marks[m_budgetMark].page = first;
    else if (!title.isEmpty()) m_marks.append({title, 0, first});
    return true;
}

bool PdfExport::finish(const QString& path, const PdfInfo& info, QString* error) {
    auto fail = [&](const QString& why) {
        if (error) *error = why;
        return false;
    };
    if (!m_writer) return fail(QStringLiteral("There is nothing to write."));
    m_writer->setTitle(info.title);
    if (!m_painter.end()) return fail(QStringLiteral("The pages could not be made."));
    QByteArray pdf;
    if (!addPdfOutline(m_buffer.data(), m_marks, info, &pdf, error, m_links)) return false;
    const SafeFile::Result written = SafeFile::write(path, pdf);
    if (!written.ok) return fail(written.failure);
    return true;
}

bool writePlanOdt(const TextControl& text, const QString& path, const OdtPage& page,
                  QString* error) {
    const std::unique_ptr<QTextDocument> doc = text.paperDocument();
    QByteArray bytes;
    if (!makeOdt(*doc, page, &bytes, error)) return false;
    const SafeFile::Result written = SafeFile::write(path, bytes);
    if (!written.ok) {
        if (error) *error = written.failure;
        return false;
    }
    return true;
}

OdtPage PdfExport::odtPage(const PageGeometry& geometry, const PdfInfo& info) {
    // The plan's margins are measured from the printable area's edges: on paper they lie
    // that much further in.
    const QPageLayout layout = planPageLayout();
    const QRectF paper = layout.fullRect(QPageLayout::Inch);
    const QRectF paint = layout.paintRect(QPageLayout::Inch);
    OdtPage page;
    page.paper = paper.size();
    page.margins = QMarginsF(paint.left() + geometry.left, paint.top() + geometry.top,
                             paper.width() - paint.right() + geometry.right,
                             paper.height() - paint.bottom() + geometry.bottom);
    page.title = info.title;
    page.author = info.author;
    page.creator = info.creator;
    return page;
}
