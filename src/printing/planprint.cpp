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

int PlanPrinting::printPass(QPainter& painter, const PageGeometry& geometry) {
    m_geometry = geometry;
    m_lastPage = 0;
    int failed = 0;
    int code = ATX_PRINT_START(0, &painter, 1, 1);
    if (code > 0) {
        reportPrintError(kStartFailed, code);
        failed = code;
    }
    int y = twips(geometry.top);
    code = ATX_PRINT(&m_text, y, twips(geometry.top), twips(geometry.textHeight),
                     twips(geometry.left), twips(geometry.textWidth), 0, -1, 0);
    if (code > 0) {
        reportPrintError(kPrintFailed, code);
        failed = code;
    }
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

void PlanPrinting::atx321PrintThisPage(int page, bool& skip) {
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
    m_footer.setSelStart(0);
    m_footer.setSelLength(m_footer.TextLength());
    m_footer.setSelFText(footerText(pageIndex));
    int y = twips(m_geometry.top) + twips(m_geometry.textHeight);
    const int code = ATX_PRINT_REGION(&m_footer, y, FooterHeight, twips(m_geometry.left),
                                      twips(m_geometry.textWidth), 0, 1, 0);
    if (code > 0) reportPrintError(kFooterFailed, code);
}
