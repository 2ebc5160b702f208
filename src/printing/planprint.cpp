#include "printing/planprint.h"

#include "controls/text/printfunctions.h"
#include "controls/text/textcontrol.h"
#include "dialogs/dialogfrm.h"
#include "platform/printerinfo.h"
#include "platform/repaintlock.h"
#include "printing/printdl.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>

#include <set>

namespace {

const QString kNoPrinter = QStringLiteral("There is no default printer currently selected.");
const QString kStartFailed = QStringLiteral("Printing failed to start with the error code: ");
const QString kPrintFailed = QStringLiteral("Printing failed to print with the error code: ");
const QString kFooterFailed =
    QStringLiteral("Printing failed to print the footer with the error code: ");
const QString kDocumentTitle = QStringLiteral("Tandel Zurozurov Irod document");
constexpr int kPortLength = 35;

// Lets the "Printing" window repaint between pages. What the user types or clicks waits
// until the run is over, so that nothing can start another run inside this one or change
// the text under it.
void letProgressPaint() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

void reportPrintError(const QString& what, int code) {
    ShowMessageDialog(what + QString::number(code), mtError, mbOK, mbOK, 0);
}

PlanPrinting::PlanPrinting(TextControl& text, TextControl& footer, QWidget* window,
                           QObject* parent)
    : QObject(parent), m_text(text), m_footer(footer), m_window(window) {
    connect(&m_text, &TextControl::OnPrintThisPage, this, &PlanPrinting::atx321PrintThisPage);
    connect(&m_text, &TextControl::OnPrintEndPage, this, &PlanPrinting::atx321PrintEndPage);
}

QString PlanPrinting::footerText(int pageIndex) {
    return QStringLiteral("{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss\\fprq2 "
                          "Arial;}}{\\colortbl\\red0\\green0\\blue0;}\\deflang2057\\pard\\qc"
                          "\\plain\\f2\\fs20 Page ") +
           QString::number(pageIndex + 1) + QStringLiteral("\\plain\\f3\\fs20\\par }");
}

int PlanPrinting::titlePageEnd(const QList<PdfSection>& sections) {
    if (sections.size() < 2) return -1;
    std::set<int> later;
    for (qsizetype i = 1; i < sections.size(); ++i)
        if (sections[i].tag != sections.front().tag) later.insert(sections[i].tag);
    int end = -1;
    for (const auto& run : m_text.tagRuns(2))
        if (later.count(run[2]) && (end < 0 || run[0] < end)) end = run[0];
    return end > 0 ? end : -1;
}

int PlanPrinting::printPass(QPainter& painter, const PageGeometry& geometry) {
    m_geometry = geometry;
    m_lastPage = 0;
    m_offset = 0;
    m_sectionPages.clear();
    m_sectionPagesPending = false;
    m_links.clear();
    int failed = 0;
    auto report = [&failed](const QString& what, int code) {
        if (code <= 0) return false;
        reportPrintError(what, code);
        failed = code;
        return true;
    };
    report(kStartFailed, ATX_PRINT_START(0, &painter, 1, 1));
    const int top = twips(geometry.top);
    const int left = twips(geometry.left);
    const int width = twips(geometry.textWidth);
    const int height = twips(geometry.textHeight);

    // The contents list the sections after the title page that reach paper, in the
    // navigator's order.
    const QList<PdfSection> sections = m_contents && m_sections ? m_sections() : QList<PdfSection>();
    const int titleEnd = titlePageEnd(sections);
    QList<ContentsEntry> entries;
    std::vector<int> entryPages;
    std::vector<std::pair<int, int>> body;
    if (titleEnd > 0 && width > 0 && height > 0) {
        body = ATX_SECTION_PAGES(&m_text, width, height, titleEnd, -1);
        std::map<int, int> pageOfTag;
        for (const auto& [tag, page] : body) pageOfTag.emplace(tag, page);
        for (qsizetype i = 1; i < sections.size(); ++i) {
            const auto found = pageOfTag.find(sections[i].tag);
            if (found == pageOfTag.end()) continue;
            entries.append({sections[i].title, sections[i].depth, 0});
            entryPages.push_back(found->second);
        }
    }

    int y = top;
    if (entries.isEmpty()) {
        // Where the sections begin is found when asked (a PDF's outline wants it, a page
        // of the preview does not).
        m_sectionPagesPending =
            !report(kPrintFailed, ATX_PRINT(&m_text, y, top, height, left, width, 0, -1, 0));
        ATX_PRINT_FINISH();
        return failed;
    }

    // The title page without the paragraph break that ends it, which would otherwise be
    // an empty line of its own.
    const int titleLast =
        m_text.document()->characterAt(titleEnd - 1) == QChar::ParagraphSeparator ? titleEnd - 1
                                                                                  : titleEnd;
    if (report(kPrintFailed, ATX_PRINT(&m_text, y, top, height, left, width, 0, titleLast, 0))) {
        ATX_PRINT_FINISH();
        return failed;
    }
    const int titlePages = m_lastPage;
    for (const auto& [tag, page] : ATX_SECTION_PAGES(&m_text, width, height, 0, titleLast))
        m_sectionPages.emplace(tag, page);

    // The contents' length does not depend on their numbers: the pages are counted first,
    // then numbered.
    ContentsPages contents(entries, width, height);
    const int offset = titlePages + contents.pageCount();
    for (int i = 0; i < int(entries.size()); ++i)
        contents.setPageNumber(i, offset + entryPages[size_t(i)] + 1);
    for (const auto& [tag, page] : body) m_sectionPages.emplace(tag, offset + page);
    for (int i = 0; i < contents.pageCount(); ++i) {
        const int number = titlePages + i + 1;
        for (const ContentsPages::Line& line : contents.lines(i))
            m_links.append({number - 1, line.box.translated(left, top),
                            contents.entries()[line.entry].page - 1});
        bool skip = false;
        atx321PrintThisPage(number, skip);
        if (skip) continue;
        if (report(kPrintFailed, ATX_PRINT_OWNPAGE())) {
            ATX_PRINT_FINISH();
            return failed;
        }
        contents.drawPage(&painter, i, QPointF(left, top));
        drawFooter(number - 1);
    }

    m_offset = offset;
    y = top;
    report(kPrintFailed, ATX_PRINT(&m_text, y, top, height, left, width, titleEnd, -1, 0));
    m_offset = 0;
    ATX_PRINT_FINISH();
    return failed;
}

bool PlanPrinting::printPlan(const PageGeometry& geometry) {
    if (m_busy) return false;
    m_busy = true;
    RepaintLock lock(m_window);
    m_mode = Mode::Printing;
    m_text.setPrinterDC(1);
    // Hidden text never reaches paper: the text is printed from a copy without it, so
    // the screen need not be laid out again without the notes and back.

    PrinterInfo& info = PrinterInfo::instance();
    QPrinter* printer = info.printer();
    QPainter painter;
    bool begun = false;
    if (printer) {
        if (m_progress) {
            m_progress->showPrinter(info.name(), info.port().left(kPortLength));
            m_progress->show();
            m_progress->raise();
        }
        letProgressPaint();
        printer->setDocName(kDocumentTitle);
        begun = painter.begin(printer);
        // Pictures go to a PDF printer as they are, not as JPEG.
        if (begun) painter.setRenderHint(QPainter::LosslessImageRendering);
    }
    if (!begun) {
        m_text.setShowHidden(1);
        m_text.setPrinterDC(0);
        if (m_progress) m_progress->hide();
        lock.release();
        ShowMessageDialog(kNoPrinter, mtError, mbOK, mbOK, 0);
        m_busy = false;
        return false;
    }

    printPass(painter, geometry);
    painter.end();
    if (m_progress) m_progress->hide();
    m_text.setShowHidden(1);
    m_busy = false;
    return true;
}

const std::map<int, int>& PlanPrinting::sectionPages() {
    if (m_sectionPagesPending) {
        m_sectionPagesPending = false;
        for (const auto& [tag, page] : ATX_SECTION_PAGES(&m_text, twips(m_geometry.textWidth),
                                                         twips(m_geometry.textHeight)))
            m_sectionPages.emplace(tag, page);
    }
    return m_sectionPages;
}

void PlanPrinting::atx321PrintThisPage(int page, bool& skip) {
    page += m_offset;
    m_lastPage = page;
    if (m_mode == Mode::Previewing) {
        skip = page != m_previewPage;
        return;
    }
    // Pages count from 1 as the text reports them.
    if (m_progress) m_progress->showPage(page);
    letProgressPaint();
}

void PlanPrinting::atx321PrintEndPage(int pageIndex) {
    if (pageIndex < 0) return;
    drawFooter(pageIndex + m_offset);
}

void PlanPrinting::drawFooter(int pageIndex) {
    m_footer.setSelStart(0);
    m_footer.setSelLength(m_footer.TextLength());
    m_footer.setSelFText(footerText(pageIndex));
    int y = twips(m_geometry.top) + twips(m_geometry.textHeight);
    const int code = ATX_PRINT_REGION(&m_footer, y, FooterHeight, twips(m_geometry.left),
                                      twips(m_geometry.textWidth), 0, 1, 0);
    if (code > 0) reportPrintError(kFooterFailed, code);
}
