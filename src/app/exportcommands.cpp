#include "app/exportcommands.h"

#include "controls/sheet/sheetcontrol.h"
#include "controls/sheet/xlsxfile.h"
#include "controls/text/textcontrol.h"
#include "dialogs/dialogfrm.h"
#include "dialogs/savedialog.h"
#include "platform/repaintlock.h"
#include "printing/docxexport.h"
#include "printing/planprint.h"

#include <QApplication>
#include <QFileInfo>
#include <QWidget>

namespace {

const QString kSaveFailed = QStringLiteral("An error occurred when saving this file");

// The chosen name's ending, as the format is chosen by: the last three characters,
// without regard to case; the four-letter extensions added later by the whole suffix.
QString endingOf(const QString& file) {
    const QString suffix = QFileInfo(file).suffix().toLower();
    if (suffix == QLatin1String("xlsx") || suffix == QLatin1String("docx")) return suffix;
    return file.right(3).toLower();
}

// An hourglass for the longer writes, gone however the write ends.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

ExportCommands::ExportCommands(ExportLinks links) : m(std::move(links)) {}

QString ExportCommands::planFilter() {
    return QStringLiteral("Rich Text Format (*.rtf)|*.rtf|Text (*.txt)|*.txt|PDF (*.pdf)|*.pdf|"
                          "OpenDocument Text (*.odt)|*.odt|Word Document (*.docx)|*.docx|") +
           planAndBudgetFilter() + QStringLiteral("|*.pdf");
}

QString ExportCommands::planAndBudgetFilter() {
    return QStringLiteral("Plan and budget as PDF (*.pdf)");
}

QString ExportCommands::cashflowFilter() {
    return QStringLiteral("Excel 4 (*.xls)|*.xls|Tabbed Text (*.txt)|*.txt|"
                          "Excel Workbook (*.xlsx)|*.xlsx|PDF (*.pdf)|*.pdf");
}

void ExportCommands::reportFailure() {
    ShowMessageDialog(kSaveFailed, mtError, mbOK, mbOK, 0);
}

void ExportCommands::Plan1Click() {
    if (!m.text) return;
    QString chosenFilter;
    const QString file =
        runSaveDialog(m.planDialog, planFilter(), QStringLiteral("rtf"),
                      m.userDataFolder ? m.userDataFolder() : QString(), &chosenFilter);
    if (file.isEmpty()) return;
    const QString ending = endingOf(file);
    if (ending == QLatin1String("pdf"))
        ExportPlanPdf(file, chosenFilter == planAndBudgetFilter());
    else if (ending == QLatin1String("odt"))
        ExportPlanOdt(file);
    else if (ending == QLatin1String("docx"))
        ExportPlanDocx(file);
    else
        ExportPlanText(file);
}

bool ExportCommands::ExportPlanText(const QString& file) {
    TextControl& text = *m.text;
    RepaintLock lock(m.window);
    // Where the user was: caret, selection (with its direction) and view, and the keyboard
    // focus, which hiding the editing area takes away.
    const QTextCursor cursor = text.textCursor();
    const TextControl::ViewPlace view = text.viewPlace();
    QWidget* focus = QApplication::focusWidget();
    if (m.editingArea) m.editingArea->hide();

    const QString ending = endingOf(file);
    if (ending == QLatin1String("rtf")) text.setDataType(TextControl::StandardRtf);
    else if (ending == QLatin1String("txt")) text.setDataType(TextControl::PlainText);
    // The plan's own file name stays; the copy goes to the name chosen. The text keeps its
    // unsaved changes and its undo history: an export is no save.
    const bool ok = text.exportFile(file, text.DataType());

    // The editing area comes back as it was whatever happened: the user goes on working.
    if (m.editingArea) m.editingArea->show();
    text.setTextCursor(cursor);
    text.setViewPlace(view);
    if (focus) focus->setFocus();
    QApplication::processEvents();
    lock.release();
    if (!ok) reportFailure();
    return ok;
}

bool ExportCommands::ExportPlanPdf(const QString& file, bool withBudget) {
    bool ok = false;
    {
        RepaintLock lock(m.window);
        WaitCursor wait;
        PdfExport pdf;
        ok = pdf.addPlan(m.printing(), *m.text, m.geometry(), PdfExport::planPageLayout(),
                         m.sections ? m.sections() : QList<PdfSection>());
        if (ok && withBudget && m.sheet) ok = pdf.addBudget(*m.sheet, QString());
        ok = ok && pdf.finish(file, m.info ? m.info() : PdfInfo());
    }
    if (!ok) reportFailure();
    return ok;
}

bool ExportCommands::ExportPlanOdt(const QString& file) {
    bool ok = false;
    {
        WaitCursor wait;
        ok = writePlanOdt(*m.text, file);
    }
    if (!ok) reportFailure();
    return ok;
}

bool ExportCommands::ExportPlanDocx(const QString& file) {
    bool ok = false;
    {
        WaitCursor wait;
        DocxSetup setup{PdfExport::planPageLayout(), m.geometry ? m.geometry() : PageGeometry(),
                        m.sections ? m.sections() : QList<PdfSection>(),
                        m.info ? m.info() : PdfInfo()};
        ok = writePlanDocx(*m.text, setup, file);
    }
    if (!ok) reportFailure();
    return ok;
}

void ExportCommands::Cashflow1Click() {
    if (!m.sheet) return;
    const QString file = runSaveDialog(m.sheetDialog, cashflowFilter(), QStringLiteral("xls"));
    if (file.isEmpty()) return;
    ExportBudget(file);
}

bool ExportCommands::ExportBudget(const QString& file) {
    if (!m.sheet) return false;
    SheetControl& sheet = *m.sheet;
    const QString ending = endingOf(file);
    bool ok = false;
    // The sheet, its file name and the budget file stay as they are.
    if (ending == QLatin1String("xls")) {
        ok = sheet.Write(file, SheetControl::Excel4File);
    } else if (ending == QLatin1String("txt")) {
        ok = sheet.Write(file, SheetControl::TabbedText);
    } else if (ending == QLatin1String("xlsx")) {
        sheet.Finish();
        ok = Sheet::writeXlsx(sheet.model(), file);
    } else if (ending == QLatin1String("pdf")) {
        WaitCursor wait;
        PdfExport pdf;
        PdfInfo info = m.info ? m.info() : PdfInfo();
        ok = pdf.addBudget(sheet, QString()) && pdf.finish(file, info);
    } else {
        return false; // a name the budget has no format for writes nothing
    }
    if (!ok) reportFailure();
    return ok;
}
