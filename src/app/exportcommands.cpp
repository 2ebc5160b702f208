#include "app/exportcommands.h"

#include "budget/actuals.h"
#include "controls/sheet/sheetcontrol.h"
#include "controls/sheet/xlsxfile.h"
#include "controls/text/textcontrol.h"
#include "dialogs/dialogfrm.h"
#include "dialogs/savedialog.h"
#include "platform/repaintlock.h"
#include "platform/safefile.h"
#include "printing/docxexport.h"
#include "printing/planprint.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QWidget>

namespace {

const QString kSaveFailed = QStringLiteral("An error occurred when saving this file");
const QStringList kPlanEndings{QStringLiteral("rtf"), QStringLiteral("txt"), QStringLiteral("pdf"),
                               QStringLiteral("odt"), QStringLiteral("docx")};
const QStringList kBudgetEndings{QStringLiteral("xls"), QStringLiteral("txt"),
                                 QStringLiteral("xlsx"), QStringLiteral("pdf")};

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

QString ExportCommands::cashflowFilter(bool actuals) {
    // An Excel 4 worksheet holds one sheet: the budget goes without its actual spend.
    return (actuals ? QStringLiteral(
                          "Excel 4, the budget alone without the actual spend (*.xls)|*.xls|")
                    : QStringLiteral("Excel 4 (*.xls)|*.xls|")) +
           QStringLiteral("Tabbed Text (*.txt)|*.txt|"
                          "Excel Workbook (*.xlsx)|*.xlsx|PDF (*.pdf)|*.pdf");
}

void ExportCommands::reportFailure(const QString& file, const QString& failure) {
    // The words users know, and below them which file failed and why.
    QString line = failure.trimmed();
    if (line.isEmpty())
        line = SafeFile::failureLine(file, QStringLiteral("The file could not be written."));
    else if (!line.contains(QDir::toNativeSeparators(file)))
        line = SafeFile::failureLine(file, line);
    ShowMessageDialog(kSaveFailed + QLatin1Char('\n') + line, mtError, mbOK, mbOK, 0);
}

QString ExportCommands::startFolder() const {
    if (!m_lastFolder.isEmpty() && QFileInfo(m_lastFolder).isDir()) return m_lastFolder;
    const QString documents =
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir()) return documents;
    return QDir::homePath();
}

QString ExportCommands::chooseFile(QFileDialog* dialog, const QString& filter,
                                   const QString& defaultExt, QString* chosenFilter) {
    const QString file = runSaveDialog(dialog, filter, defaultExt, startFolder(), chosenFilter);
    if (!file.isEmpty()) m_lastFolder = QFileInfo(file).absolutePath();
    return file;
}

void ExportCommands::reportEnding(const QString& file, const QString& what,
                                  const QStringList& endings) {
    QStringList shown;
    for (const QString& e : endings) shown << QLatin1Char('.') + e;
    const QString list = shown.size() > 1
                             ? shown.mid(0, shown.size() - 1).join(QStringLiteral(", ")) +
                                   QStringLiteral(" or ") + shown.back()
                             : shown.value(0);
    ShowMessageDialog(QStringLiteral("%1 can be exported as %2 files only.\n"
                                     "Nothing was written to %3: give the name one of "
                                     "these endings.")
                          .arg(what, list, QDir::toNativeSeparators(file)),
                      mtWarning, mbOK, mbOK, 0);
}

PdfInfo ExportCommands::planInfo(const QString& planName, const QString& author,
                                 const QString& company) {
    PdfInfo info;
    info.title = planName;
    info.author = author.trimmed().isEmpty() ? company : author.trimmed();
    info.creator = QStringLiteral("Tandel Zurozurov Irod");
    return info;
}

void ExportCommands::Plan1Click() {
    if (!m.text) return;
    QString chosenFilter;
    const QString file =
        chooseFile(m.planDialog, planFilter(), QStringLiteral("rtf"), &chosenFilter);
    if (file.isEmpty()) return;
    const QString ending = endingOf(file);
    if (ending == QLatin1String("pdf"))
        ExportPlanPdf(file, chosenFilter == planAndBudgetFilter());
    else if (ending == QLatin1String("odt"))
        ExportPlanOdt(file);
    else if (ending == QLatin1String("docx"))
        ExportPlanDocx(file);
    else if (ending == QLatin1String("rtf") || ending == QLatin1String("txt"))
        ExportPlanText(file);
    else
        reportEnding(file, QStringLiteral("The plan"), kPlanEndings);
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
    if (!ok)
        reportFailure(file, text.lastFileFailure().isEmpty() ? text.lastFileError()
                                                             : text.lastFileFailure());
    return ok;
}

bool ExportCommands::ExportPlanPdf(const QString& file, bool withBudget) {
    bool ok = false;
    QString error;
    {
        RepaintLock lock(m.window);
        WaitCursor wait;
        PdfExport pdf;
        ok = pdf.addPlan(m.printing(), *m.text, m.geometry(), PdfExport::planPageLayout(),
                         m.sections ? m.sections() : QList<PdfSection>());
        if (ok && withBudget && m.sheet) ok = pdf.addBudget(*m.sheet, QString());
        if (!ok) error = QStringLiteral("The pages could not be made.");
        ok = ok && pdf.finish(file, m.info ? m.info() : PdfInfo(), &error);
    }
    if (!ok) reportFailure(file, error);
    return ok;
}

bool ExportCommands::ExportPlanOdt(const QString& file) {
    bool ok = false;
    QString error;
    {
        WaitCursor wait;
        const OdtPage page = PdfExport::odtPage(m.geometry ? m.geometry() : PageGeometry(),
                                                m.info ? m.info() : PdfInfo());
        ok = writePlanOdt(*m.text, file, page, &error);
    }
    if (!ok) reportFailure(file, error);
    return ok;
}

bool ExportCommands::ExportPlanDocx(const QString& file) {
    bool ok = false;
    QString error;
    {
        WaitCursor wait;
        DocxSetup setup{PdfExport::planPageLayout(), m.geometry ? m.geometry() : PageGeometry(),
                        m.sections ? m.sections() : QList<PdfSection>(),
                        m.info ? m.info() : PdfInfo()};
        ok = writePlanDocx(*m.text, setup, file, &error);
    }
    if (!ok) reportFailure(file, error);
    return ok;
}

void ExportCommands::Cashflow1Click() {
    if (!m.sheet) return;
    const QString file = chooseFile(
        m.sheetDialog, cashflowFilter(Actuals::exists(m.sheet->model())), QStringLiteral("xls"));
    if (file.isEmpty()) return;
    ExportBudget(file);
}

bool ExportCommands::ExportBudget(const QString& file) {
    if (!m.sheet) return false;
    SheetControl& sheet = *m.sheet;
    // The actual spend follows the budget as it is now (a line added since shows).
    if (Actuals::exists(sheet.model())) Actuals::build(sheet.model());
    // Tab-separated text also under its own ending, which the command line uses.
    const QString ending =
        endingOf(file) == QLatin1String("tsv") ? QStringLiteral("txt") : endingOf(file);
    bool ok = false;
    QString error;
    // The sheet, its file name and the budget file stay as they are.
    if (ending == QLatin1String("xls") || ending == QLatin1String("txt")) {
        ok = sheet.Write(file, ending == QLatin1String("xls") ? SheetControl::Excel4File
                                                               : SheetControl::TabbedText);
        if (!ok) error = sheet.lastFailure().isEmpty() ? sheet.lastError() : sheet.lastFailure();
    } else if (ending == QLatin1String("xlsx")) {
        sheet.Finish();
        ok = Sheet::writeXlsx(sheet.model(), file, &error);
    } else if (ending == QLatin1String("pdf")) {
        WaitCursor wait;
        PdfExport pdf;
        PdfInfo info = m.info ? m.info() : PdfInfo();
        ok = pdf.addBudget(sheet, QString());
        if (!ok) error = QStringLiteral("The pages could not be made.");
        ok = ok && pdf.finish(file, info, &error);
    } else {
        // A name the budget has no format for writes nothing, and the user is told why.
        reportEnding(file, QStringLiteral("The budget"), kBudgetEndings);
        return false;
    }
    if (!ok) reportFailure(file, error);
    return ok;
}
