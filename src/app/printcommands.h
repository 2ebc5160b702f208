#pragma once

#include "printing/contents.h"
#include "printing/pageall.h"
#include "printing/pagegeometry.h"

#include <QObject>

#include <memory>

class PlanPrinting;
class TfrmEdit;

// The main window's printing commands: printing and previewing the plan, page setup and
// printer setup, wired to the printing windows and to the main window's page geometry.
class PrintCommands : public QObject {
    Q_OBJECT
public:
    explicit PrintCommands(TfrmEdit* window);
    ~PrintCommands() override;

    void cmdPrintClick();
    void cmdPrintAllClick();
    void Preview1Click();
    void mnuPageSetupClick();
    void PrinterSetup1Click();

    // The plan's printing, with page setup's "Contents page" as the settings keep it.
    PlanPrinting& printing();
    // The navigator's items as printed output lists them.
    QList<PdfSection> sections() const;
    // The plan's page as the main window holds it, and back.
    PageGeometry planGeometry() const;
    void setPlanGeometry(const PageGeometry& geometry);

    // --- Where the budget sheet joins in --------------------------------------------
    // The sheet's print settings for page setup; the stand-in values while the sheet
    // cannot be asked.
    SheetPrintSettings ReadSheetPrintSettings();
    // Gives page setup's values to the sheet (its printer paper and orientation from the
    // plan's printer, then scale, centring, orientation and margins); failures are silent.
    void ApplySheetPrintSettings(const SheetPrintSettings& settings);
    // The budget half of "Print All", after the plan.
    void PrintBudgetOfPrintAll();
    // The sheet's own printer setup, while the budget is shown; false when there is no
    // sheet to ask, and the standard dialog serves.
    bool SheetPrinterSetup();

private:
    TfrmEdit* w;
    std::unique_ptr<PlanPrinting> m_printing;
    SheetPrintSettings m_sheet; // the last settings read or applied
};
