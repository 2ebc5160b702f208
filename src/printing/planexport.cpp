#include "printing/planexport.h"

#include "controls/sheet/sheetcontrol.h"
#include "controls/sheet/sheetprint.h"
#include "controls/text/printfunctions.h"
#include "controls/text/textcontrol.h"
#include "platform/printerinfo.h"
#include "printing/planprint.h"

#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QTextDocument>
#include <QTextDocumentWriter>

#include <algorithm>
#include <map>

namespace {

constexpr int kResolution = 1200; // dots per inch of the PDF's drawing

QPageLayout sheetPageLayout(const SheetControl& sheet) {
    const Sheet::PrintSettings& p = sheet.model().print();
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
    QPageSize size = PrinterInfo::pageSizeForCode(info.paperSize());
    if (!size.isValid()) size = QPageSize(QPageSize::A4);
    const QPageLayout::Orientation orientation = PrinterInfo::orientationFor(info.orientation());
    QSizeF paper = size.size(QPageSize::Inch);
    if (orientation == QPageLayout::Landscape) paper.transpose();
    double width = PrinterInfo::kFallbackWidth;
    double height = PrinterInfo::kFallbackHeight;
    info.printablePage(&width, &height);
    const double x = std::max(0.0, (paper.width() - width) / 2);
    const double y = std::max(0.0, (paper.height() - height) / 2);
    QPageLayout layout(size, orientation, QMarginsF(x, y, x, y), QPageLayout::Inch);
    layout.setMode(QPageLayout::FullPageMode); // margins may be below the paper's least
    layout.setMargins(QMarginsF(x, y, x, y));
    layout.setMode(QPageLayout::StandardMode);
    return layout;
}

bool PdfExport::startPage(const QPageLayout& layout) {
    if (!m_writer) {
        m_writer = std::make_unique<QPdfWriter>(&m_buffer);
        m_writer->setResolution(kResolution);
        m_writer->setCreator(QStringLiteral("Tandel Zurozurov Irod"));
        m_writer->setPageLayout(layout);
        return m_painter.begin(m_writer.get());
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
    std::map<int, int> pageOfTag;
    for (const auto& [tag, page] :
         ATX_SECTION_PAGES(&text, twips(geometry.textWidth), twips(geometry.textHeight)))
        pageOfTag.emplace(tag, page);
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
    return code <= 0;
}

bool PdfExport::addBudget(SheetControl& sheet, const QString& title) {
    sheet.Finish();
    if (!startPage(sheetPageLayout(sheet))) return false;
    const Sheet::SheetPrinter pages(sheet.model());
    const QRectF paper(QPointF(0, 0),
                       m_writer->pageLayout().fullRectPixels(m_writer->resolution()).size());
    const int first = m_pages;
    const int count = std::max(1, pages.pageCount());
    for (int i = 1; i <= count; ++i) {
        if (i > 1 && !m_writer->newPage()) return false;
        pages.drawPage(m_painter, paper, i);
    }
    m_pages += count;
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
    if (!addPdfOutline(m_buffer.data(), m_marks, info, &pdf, error)) return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size() || !file.commit())
        return fail(file.errorString());
    return true;
}

bool writePlanOdt(const TextControl& text, const QString& path, QString* error) {
    const std::unique_ptr<QTextDocument> doc = text.paperDocument();
    // The ODF writer closes the device it writes to; the file is made in memory first and
    // then written whole.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QTextDocumentWriter writer(&buffer, QByteArrayLiteral("ODF"));
    if (!writer.write(doc.get())) {
        if (error) *error = QStringLiteral("The document could not be made.");
        return false;
    }
    const QByteArray bytes = buffer.data();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}
