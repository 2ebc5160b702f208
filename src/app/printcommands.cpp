#include "app/printcommands.h"

#include "app/editfrm.h"
#include "app/settings.h"
#include "controls/sheet/sheetcontrol.h"
#include "controls/text/textcontrol.h"
#include "dialogs/dialogfrm.h"
#include "editor/editcommands.h"
#include "platform/folders.h"
#include "platform/inifile.h"
#include "platform/printerinfo.h"
#include "platform/repaintlock.h"
#include "plans/navigator.h"
#include "printing/atxprev.h"
#include "printing/planprint.h"
#include "printing/printdl.h"

#include <QApplication>
#include <QPageSetupDialog>
#include <QPrinter>

#include <exception>

namespace {

// Page setup's "Contents page", kept for every plan in the user's settings.
bool contentsPageWanted() {
    const IniFile ini(Folders::settingsFile());
    return ini.readInteger(Settings::MainSection, Settings::ContentsPageKey, 1) != 0;
}

void rememberContentsPage(bool on) {
    if (on == contentsPageWanted()) return;
    try {
        IniFile ini(Folders::settingsFile());
        ini.writeInteger(Settings::MainSection, Settings::ContentsPageKey, on ? 1 : 0);
    } catch (const IniWriteError& e) {
        ShowMessageDialog(e.message(), mtError, mbOK, mbOK, 0);
    }
}

} // namespace

PrintCommands::PrintCommands(TfrmEdit* window) : QObject(window), w(window) {}

PrintCommands::~PrintCommands() = default;

PlanPrinting& PrintCommands::printing() {
    if (!m_printing) {
        m_printing = std::make_unique<PlanPrinting>(*w->ATX321, *w->atxpagenumber, w);
        m_printing->setSections([this] { return sections(); });
    }
    m_printing->setContentsPage(contentsPageWanted());
    // The "Printing" window is made later in start-up than the main window.
    m_printing->setProgressWindow(printdl);
    return *m_printing;
}

QList<PdfSection> PrintCommands::sections() const {
    QList<PdfSection> out;
    const Navigator* nav = w->navigator();
    if (!nav) return out;
    for (int n = 1; n <= nav->itemCount(); ++n) {
        PdfSection s;
        s.title = nav->itemText(n);
        for (QModelIndex i = nav->indexOf(n).parent(); i.isValid(); i = i.parent())
            ++s.depth;
        s.tag = Navigator::sectionTagOf(n);
        s.budget = s.title == Navigator::budgetItemText();
        out << s;
    }
    return out;
}

PageGeometry PrintCommands::planGeometry() const {
    PageGeometry g;
    g.left = w->PlanMargins.Left;
    g.right = w->PlanMargins.Right;
    g.top = w->PlanMargins.Top;
    g.bottom = w->PlanMargins.Bottom;
    g.textWidth = w->TextAreaWidth;
    g.textHeight = w->TextAreaHeight;
    return g;
}

void PrintCommands::setPlanGeometry(const PageGeometry& g) {
    w->PlanMargins = {g.left, g.right, g.top, g.bottom};
    w->TextAreaWidth = g.textWidth;
    w->TextAreaHeight = g.textHeight;
}

void PrintCommands::cmdPrintClick() {
    printing().printPlan(planGeometry());
}

void PrintCommands::cmdPrintAllClick() {
    // The budget prints whatever the plan's run reported.
    cmdPrintClick();
    PrintBudgetOfPrintAll();
}

void PrintCommands::Preview1Click() {
    if (!frmATXPrev) return;
    try {
        PreviewLinks links;
        links.pageSetup = frmpagesetupall;
        links.readSheet = [this] { return ReadSheetPrintSettings(); };
        links.applySheet = [this](const SheetPrintSettings& s) { ApplySheetPrintSettings(s); };
        links.markChanged = [this] { w->PlanModified = true; };
        PageGeometry g = planGeometry();
        // The preview lays the text out for paper and the page width is set again after
        // it: the text is shown again where the user was, with the caret in view, not at a
        // scroll position that now belongs to another part of the plan.
        const TextControl::ViewPlace view = w->ATX321->viewPlace();
        if (frmpagesetupall) frmpagesetupall->setContentsPage(contentsPageWanted());
        const bool print = frmATXPrev->Execute(*w->ATX321, printing(), g, links);
        setPlanGeometry(g);
        // Page setup inside the preview may have changed it.
        if (frmpagesetupall) rememberContentsPage(frmpagesetupall->contentsPage());
        w->editing()->PageWidth();
        w->ATX321->setViewPlace(view);
        w->ATX321->ensureCursorVisible();
        if (print) {
            pumpMessages();
            cmdPrintClick();
        }
    } catch (const std::exception&) {
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
        ShowMessageDialog(QStringLiteral("An error occurred when print previewing."), mtError,
                          mbOK, mbOK, 0);
    }
}

void PrintCommands::mnuPageSetupClick() {
    if (!frmpagesetupall) return;
    SheetPrintSettings sheet = ReadSheetPrintSettings();
    PrinterInfo& printer = PrinterInfo::instance();
    const PageMargins before{w->PlanMargins.Left, w->PlanMargins.Right, w->PlanMargins.Top,
                             w->PlanMargins.Bottom};
    const int paperBefore = printer.paperSize();
    const int orientationBefore = printer.orientation();
    PageMargins margins = before;
    frmpagesetupall->setContentsPage(contentsPageWanted());
    if (frmpagesetupall->Execute(margins, sheet)) {
        w->PlanMargins = {margins.left, margins.right, margins.top, margins.bottom};
        // Not the plan's but the user's: it holds for every plan and is no change to save.
        rememberContentsPage(frmpagesetupall->contentsPage());
        // The page setup travels in the plan's file: a changed one is a change to save.
        if (margins != before || printer.paperSize() != paperBefore ||
            printer.orientation() != orientationBefore)
            w->PlanModified = true;
        // The budget takes the printer's paper with its settings: a change to the budget,
        // which a cancelled dialog must not make.
        ApplySheetPrintSettings(sheet);
    }
    pumpMessages();
    w->editing()->PageWidth();
}

void PrintCommands::PrinterSetup1Click() {
    const bool budgetShown = w->pnlSpread && w->pnlSpread->isVisible();
    if (!(budgetShown && SheetPrinterSetup())) {
        QPrinter* printer = PrinterInfo::instance().printer();
        if (!printer) {
            ShowMessageDialog(QStringLiteral("There is no default printer currently selected."),
                              mtError, mbOK, mbOK, 0);
        } else {
            QPageSetupDialog dialog(printer, w);
            dialog.setObjectName(QStringLiteral("dlgPrinterSetup"));
            dialog.exec();
        }
    }
    w->editing()->PageWidth();
}

// --- The budget sheet ---------------------------------------------------------------------

SheetPrintSettings PrintCommands::ReadSheetPrintSettings() {
    SheetControl* sheet = w->spread;
    if (!sheet) {
        m_sheet = SheetPrintSettings::fallback(m_sheet);
        return m_sheet;
    }
    SheetPrintSettings s;
    sheet->GetPrintScale(s.scale, s.fit, s.pagesHigh, s.pagesWide);
    s.vCenter = sheet->PrintVCenter();
    s.hCenter = sheet->PrintHCenter();
    s.margins = {sheet->PrintLeftMargin(), sheet->PrintRightMargin(), sheet->PrintTopMargin(),
                 sheet->PrintBottomMargin()};
    s.landscape = sheet->PrintLandscape();
    m_sheet = s;
    return s;
}

void PrintCommands::ApplySheetPrintSettings(const SheetPrintSettings& settings) {
    m_sheet = settings;
    SheetControl* sheet = w->spread;
    if (!sheet) return;
    // The sheet keeps the paper chosen for the printer with its own print settings, so the
    // budget prints on it whatever printer is current when it prints.
    const PrinterInfo& printer = PrinterInfo::instance();
    sheet->setPrintDevMode({printer.paperSize(), printer.paperSource()});
    sheet->SetPrintScale(settings.scale, settings.fit, settings.pagesHigh, settings.pagesWide);
    sheet->setPrintHCenter(settings.hCenter);
    sheet->setPrintVCenter(settings.vCenter);
    sheet->setPrintLandscape(settings.landscape);
    sheet->setPrintLeftMargin(settings.margins.left);
    sheet->setPrintRightMargin(settings.margins.right);
    sheet->setPrintTopMargin(settings.margins.top);
    sheet->setPrintBottomMargin(settings.margins.bottom);
}

void PrintCommands::PrintBudgetOfPrintAll() {
    w->cmdPrintSpreadClick();
}

bool PrintCommands::SheetPrinterSetup() {
    if (!w->spread) return false;
    w->spread->ShowPrinterSetupDialog();
    return true;
}
