#pragma once

#include "printing/pagegeometry.h"
#include "printing/planexport.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class PlanPrinting;
class QFileDialog;
class QWidget;
class SheetControl;
class TextControl;

// What the export commands work on, handed over by the main window.
struct ExportLinks {
    TextControl* text = nullptr;        // the plan
    SheetControl* sheet = nullptr;      // the budget; may be missing
    QWidget* window = nullptr;          // held still while the plan is written
    QWidget* editingArea = nullptr;     // hidden while the plan is written
    QFileDialog* planDialog = nullptr;  // "dlgExport"
    QFileDialog* sheetDialog = nullptr; // "dlgSavespread"
    std::function<PlanPrinting&()> printing;
    std::function<PageGeometry()> geometry;   // the plan's margins and text area
    std::function<QList<PdfSection>()> sections; // the navigator's items
    std::function<PdfInfo()> info;            // title and author for PDF files
};

// File > Export: copies of the plan and of the budget in other programs' formats, chosen
// by the extension of the name given. The plan's own files are never touched.
//
// Plan: .rtf rich text, .txt plain text, .pdf the pages as they print (with the budget's
// after them when the filter "Plan and budget as PDF" is chosen), .odt OpenDocument text,
// .docx a Word document with the navigator's sections as headings.
// Budget: .xls an Excel 4 workbook, .txt tab-separated text, .xlsx an Excel workbook,
// .pdf the sheet as it prints. Any other name writes nothing, and the user is told which
// endings there are. The dialogs open in the folder last exported to, at first in the
// user's documents folder, with an empty name.
class ExportCommands {
public:
    explicit ExportCommands(ExportLinks links);

    void Plan1Click();
    void Cashflow1Click();

    static QString planFilter();
    static QString cashflowFilter(bool actuals = false);
    // The plan dialog's filter that adds the budget to a PDF.
    static QString planAndBudgetFilter();
    // The title and author exported files carry: the author the plan's details name, the
    // company where they name none.
    static PdfInfo planInfo(const QString& planName, const QString& author,
                            const QString& company);

    // The writers behind the commands, each reporting failure to the user; true when
    // the file was written.
    bool ExportPlanText(const QString& file);
    bool ExportPlanPdf(const QString& file, bool withBudget);
    bool ExportPlanOdt(const QString& file);
    bool ExportPlanDocx(const QString& file);
    // False also for a name that writes nothing.
    bool ExportBudget(const QString& file);

    // Where the next export dialog opens.
    QString startFolder() const;

private:
    QString chooseFile(QFileDialog* dialog, const QString& filter, const QString& defaultExt,
                       QString* chosenFilter = nullptr);
    void reportEnding(const QString& file, const QString& what, const QStringList& endings);
    // "An error occurred when saving this file", and below it the file and the reason.
    void reportFailure(const QString& file, const QString& failure);

    ExportLinks m;
    QString m_lastFolder; // the folder of the last file chosen
};
