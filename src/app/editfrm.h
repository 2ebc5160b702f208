#pragma once

#include "app/mainmenus.h"
#include "app/settings.h"
#include "editor/editcommands.h"
#include "plans/navigator.h"
#include "plans/plansession.h"

#include <QMainWindow>
#include <QStringList>

#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QFileDialog;
class QFrame;
class QMenu;
class QStatusBar;
class QToolButton;
class QTreeView;
class QVBoxLayout;
class AutoSave;
class BudgetView;
class BuilderToolbar;
class DividerBar;
class MainMenus;
class Ruler;
class EditCommands;
class SheetControl;
class Navigator;
class PlanLifecycle;
class PrintCommands;
class ExportCommands;
class PlanCheckCommands;
class Speller;
class TextControl;
class ToolPanel;
class WindowView;

// The main window in which a plan is written. It owns the plan text, the guidance pane,
// the navigator panel, both toolbars, the menus and the open plan's state; each command's
// work lives with its own subsystem, and this class routes the commands to it.
class TfrmEdit : public QMainWindow {
    Q_OBJECT
    // First, so that it exists before the names below refer into it.
    PlanState m_state;

public:
    explicit TfrmEdit(QWidget* parent = nullptr);
    ~TfrmEdit() override;

    static QString ApplicationTitle();

    // --- The open plan's state -------------------------------------------------------
    // Shared with the plan windows (open, new), which set them.
    QString& CurrentPlanName = planSession().CurrentPlanName;
    QString& CurrentPlanFile = planSession().CurrentPlanFile;
    QString& BasePlanFile = planSession().BasePlanFile;
    bool& CreatingPlan = planSession().CreatingPlan;
    // The state the subsystems share (planState()), under the names it has always had here.
    bool& PlanModified = m_state.PlanModified;
    // Run the Open command when start-up ends; set once, never cleared.
    bool OpenAtStart = false;
    Settings::Margins& PlanMargins = m_state.PlanMargins;
    Settings::Margins& DefaultMargins = m_state.DefaultMargins;
    double& TextAreaWidth = m_state.TextAreaWidth;
    double& TextAreaHeight = m_state.TextAreaHeight;
    PlanState& planState() { return m_state; }
    QString WebHomePage;
    QString WebLauncher;
    QString ProgramFolder;
    QString DataFolder;
    QString UserDataFolder;
    // Screen pixels per inch / 16: one step of the ruler.
    double RulerUnit = 6;

    // --- Components (objectName = member name) ----------------------------------------
    ToolPanel* docStandard = nullptr;
    ToolPanel* docFormatting = nullptr;
    ToolPanel* docBuilder = nullptr;
    QWidget* PanelAll = nullptr;
    QWidget* Panel1 = nullptr;
    QWidget* Panel3 = nullptr;
    QTreeView* Outline1 = nullptr;
    DividerBar* JPSplitter1 = nullptr;
    QToolButton* btnFirst = nullptr;
    QToolButton* btnPrior = nullptr;
    QToolButton* btnNext = nullptr;
    QToolButton* btnLast = nullptr;
    QWidget* Panel4 = nullptr;
    TextControl* ATX322 = nullptr;
    DividerBar* JPSplitter2 = nullptr;
    QWidget* Panel2 = nullptr;
    QWidget* pnlPointer = nullptr;
    QToolButton* Pointer = nullptr;
    QWidget* Panel6 = nullptr;
    Ruler* rulMain = nullptr;
    TextControl* ATX321 = nullptr;
    TextControl* atxpagenumber = nullptr;
    QWidget* pnlSpread = nullptr;
    SheetControl* spread = nullptr;
    QStatusBar* Statusbar1 = nullptr;
    QCheckBox* chkAuto = nullptr;
    Speller* Spell = nullptr;
    QFileDialog* dlgOpen = nullptr;
    QFileDialog* dlgExport = nullptr;
    QFileDialog* dlgSavespread = nullptr;

    // Standard toolbar.
    QToolButton* cmdOpen = nullptr;
    QToolButton* cmdSave = nullptr;
    QToolButton* cmdPrintAll = nullptr;
    QToolButton* cmdPrint = nullptr;
    QToolButton* cmdPrintSpread = nullptr;
    QToolButton* cmdCut = nullptr;
    QToolButton* cmdCopy = nullptr;
    QToolButton* cmdPaste = nullptr;
    QToolButton* cmdHideNav = nullptr;
    QToolButton* cmdFind = nullptr;
    QToolButton* cmdUndo = nullptr;
    QToolButton* cmdSpell = nullptr;
    QToolButton* cmdCal = nullptr;
    QToolButton* cmdeg = nullptr;
    QFrame* Bevel3 = nullptr;
    QFrame* Bevel5 = nullptr;
    // Formatting toolbar.
    QComboBox* cmbFont = nullptr;
    QComboBox* cmbFontSize = nullptr;
    QToolButton* cmdBold = nullptr;
    QToolButton* cmdItalic = nullptr;
    QToolButton* cmdUnder = nullptr;
    QToolButton* cmdColour = nullptr;
    QToolButton* cmdLeft = nullptr;
    QToolButton* cmdCenter = nullptr;
    QToolButton* cmdRight = nullptr;
    QToolButton* cmdJustify = nullptr;

    // The menus and their items (objectName = member name).
    MainMenus& menus() const { return *m_menus; }

    // --- The frame's own operations ---------------------------------------------------
    // Switches the commands that need an open plan off or on (the "no plan open" and
    // "plan open" states); PanelAll itself is shown and hidden by the plan's load and
    // the Open command.
    void SetPlanControls(bool on);
    bool PlanControlsOn() const { return m_planControlsOn; }
    // Caption: the application title, then " [" plan name "]".
    void SetPlanCaption(const QString& planName);
    // Ten keytexts in menu order (keytext1 ... keytext9, keytext0); see MainMenus.
    void SetKeytexts(const QStringList& texts);
    QString KeytextCaption(int index) const;

    // Starts the web launcher with the home page; when it cannot be started the page
    // opens in the desktop's browser.
    static void StartWebLauncher(const QString& launcher, const QString& homePage);

    // --- View, help and closing -------------------------------------------------------
    void mnuWordWrapClick();
    void mnuOptionsClick();
    void HelpTopics2Click();
    void TandelonthWeb1Click();
    void About1Click();
    void mnuExitClick();
    void Exit1Click() { mnuExitClick(); }

    // --- Printing, page setup and export ----------------------------------------------
    // The other commands go straight to their subsystems (below).
    void cmdPrintAllClick();
    void cmdPrintClick();
    void Preview1Click();
    void cmdPrintSpreadClick();
    void Preview3Click();
    void mnuPageSetupClick();
    void PrinterSetup1Click();
    void Plan1Click();
    void Cashflow1Click();
    // Spelling: hands the spell checker its dictionaries at start-up.
    void SetSpellDictionaries();

    Navigator* navigator() const { return m_navigator; }
    PlanLifecycle* lifecycle() const { return m_lifecycle; }
    EditCommands* editing() const { return m_editing; }
    PrintCommands* printCommands() const { return m_print; }
    BudgetView* budgetView() const { return m_budget; }
    PlanCheckCommands* planCheck() const { return m_planCheck; }
    BuilderToolbar* builder() const { return m_builder; }
    ExportCommands* exportCommands() const { return m_export.get(); }
    AutoSave* autoSave() const { return m_autoSave; }
    WindowView* view() const { return m_view; }

    // --- Start-up and closing ---------------------------------------------------------
    // The work of the window's first showing (settings, navigator, start-up texts).
    void FormShow();
    bool FormShown() const { return m_formShown; }
    // Asks about unsaved changes; false keeps the window open.
    bool FormCloseQuery();
    // Stores the window's geometry and view choices.
    void FormClose();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildPanels();
    void buildToolbars();
    void connectMenus();
    void buildBudget();
    void buildExport();
    EditWidgets editWidgets() const;
    void readSettings();
    void loadStartupTexts();

    std::unique_ptr<MainMenus> m_menus;
    class TdlgPicture* dlgPicture = nullptr;
    NavigatorWidgets m_nav;
    EditWidgets m_edit;
    Navigator* m_navigator = nullptr;
    PlanLifecycle* m_lifecycle = nullptr;
    EditCommands* m_editing = nullptr;
    PrintCommands* m_print = nullptr;
    BudgetView* m_budget = nullptr;
    PlanCheckCommands* m_planCheck = nullptr;
    BuilderToolbar* m_builder = nullptr;
    std::unique_ptr<ExportCommands> m_export;
    AutoSave* m_autoSave = nullptr;
    WindowView* m_view = nullptr;
    QVBoxLayout* m_toolArea = nullptr;
    bool m_formShown = false;
    bool m_planControlsOn = true;
    bool m_closing = false;
};

extern TfrmEdit* frmEdit;
