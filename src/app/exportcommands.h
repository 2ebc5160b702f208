#pragma once

#include "printing/pagegeometry.h"
#include "printing/planexport.h"

#include <QList>
#include <QString>

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
    std::function<QString()> userDataFolder;
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
// .docx a Word document with the navigator's sections as headings;
// any other name gets the text in the control's current format.
// Budget: .xls an Excel 4 workbook, .txt tab-separated text, .xlsx an Excel workbook,
// .pdf the sheet as it prints; any other name writes nothing.
class ExportCommands {
public:
    explicit ExportCommands(ExportLinks links);

    void Plan1Click();
    void Cashflow1Click();

    static QString planFilter();
    static QString cashflowFilter();
    // The plan dialog's filter that adds the budget to a PDF.
    static QString planAndBudgetFilter();

    // The writers behind the commands, each reporting failure to the user; true when
    // the file was written.
    bool ExportPlanText(const QString& file);
    bool ExportPlanPdf(const QString& file, bool withBudget);
    bool ExportPlanOdt(const QString& file);
    bool ExportPlanDocx(const QString& file);
    // False also for a name that writes nothing.
    bool ExportBudget(const QString& file);

private:
    void reportFailure();

    ExportLinks m;
};
