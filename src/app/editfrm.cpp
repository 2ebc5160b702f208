#include "app/editfrm.h"

#include "app/custfrm.h"
#include "app/exportcommands.h"
#include "app/printcommands.h"
#include "app/plancheckcommands.h"
#include "app/startup.h"
#include "app/mainmenus.h"
#include "app/windowview.h"
#include "budget/budgetchart.h"
#include "budget/budgetview.h"
#include "builder/buildertoolbar.h"
#include "budget/cashdet.h"
#include "budget/sprprev.h"
#include "controls/sheet/sheetcontrol.h"
#include "controls/speller/speller.h"
#include "controls/text/textcontrol.h"
#include "dialogs/dialogfrm.h"
#include "editor/picturecommands.h"
#include "editor/editcommands.h"
#include "platform/folders.h"
#include "platform/helpsystem.h"
#include "platform/inifile.h"
#include "platform/launcher.h"
#include "platform/printerinfo.h"
#include "platform/repaintlock.h"
#include "plans/autosave.h"
#include "plans/catalogue.h"
#include "plans/lifecycle.h"
#include "plans/navigator.h"
#include "plans/packagecommands.h"
#include "widgets/dividerbar.h"
#include "widgets/ruler.h"
#include "widgets/toolglyphs.h"
#include "widgets/toolpanel.h"
#include "windows/aboutfrm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

TfrmEdit* frmEdit = nullptr;

namespace {

QWidget* panel(const QString& name, QWidget* parent) {
    auto* w = new QWidget(parent);
    w->setObjectName(name);
    return w;
}

template <typename Layout> Layout* bareLayout(QWidget* w) {
    auto* l = new Layout(w);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    return l;
}

} // namespace

QString TfrmEdit::ApplicationTitle() {
    return QStringLiteral("Tandel Zurozurov Irod");
}

TfrmEdit::TfrmEdit(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmEdit"));
    setWindowTitle(QStringLiteral(" Tandel Zurozurov Irod []"));
    setMinimumSize(320, 240);
    resize(Settings::DefaultWindowWidth, Settings::DefaultWindowHeight);

    auto* central = panel(QStringLiteral("pnlClient"), this);
    auto* column = bareLayout<QVBoxLayout>(central);
    auto* toolArea = panel(QStringLiteral("pnlToolbars"), central);
    m_toolArea = bareLayout<QVBoxLayout>(toolArea);
    column->addWidget(toolArea);
    setCentralWidget(central);

    buildToolbars();
    buildPanels();
    column->addWidget(PanelAll, 1);
    // With no plan open the window shows only its menus and toolbars.
    column->addStretch(0);

    Statusbar1 = new QStatusBar(this);
    Statusbar1->setObjectName(QStringLiteral("Statusbar1"));
    Statusbar1->setFixedHeight(21);
    QFont statusFont(QStringLiteral("Arial"));
    statusFont.setPointSize(9);
    Statusbar1->setFont(statusFont);
    setStatusBar(Statusbar1);

    m_menus = std::make_unique<MainMenus>(*this);
    MainMenus& m = *m_menus;
    connectMenus();
    m_view = new WindowView({this, m_toolArea, docStandard, docFormatting, docBuilder, Statusbar1,
                             Panel1, Panel3, JPSplitter1, JPSplitter2, m.mnuToolbars, m.mnuStandard,
                             m.mnuFormatting, m.mnuBuilder, m.mnuStatusbar, m.mnuNavigator,
                             cmdHideNav},
                            this);

    dlgOpen = new QFileDialog(this);
    dlgOpen->setObjectName(QStringLiteral("dlgOpen"));
    dlgExport = new QFileDialog(this);
    dlgExport->setObjectName(QStringLiteral("dlgExport"));
    dlgSavespread = new QFileDialog(this);
    dlgSavespread->setObjectName(QStringLiteral("dlgSavespread"));

    Spell = new Speller(this);
    Spell->setObjectName(QStringLiteral("Spell"));

    // The subsystems that do the window's work; they need the widgets above.
    m_nav.window = this;
    m_nav.editingArea = PanelAll;
    m_nav.ATX321 = ATX321;
    m_nav.pnlPointer = pnlPointer;
    m_nav.Pointer = Pointer;
    m_nav.rulMain = rulMain;
    m_nav.mnuFirst = m.mnuFirst;
    m_nav.mnuPrevious = m.mnuPrevious;
    m_nav.mnuNext = m.mnuNext;
    m_nav.mnuLast = m.mnuLast;
    m_nav.cmdBold = cmdBold;
    m_nav.cmdItalic = cmdItalic;
    m_nav.cmdUnder = cmdUnder;
    m_nav.cmdLeft = cmdLeft;
    m_nav.cmdCenter = cmdCenter;
    m_nav.cmdRight = cmdRight;
    m_nav.cmdJustify = cmdJustify;
    m_nav.cmbFont = cmbFont;
    m_nav.cmbFontSize = cmbFontSize;
    m_navigator =
        new Navigator(m_nav,
                      {[this](bool budget) {
                           if (m_budget) m_budget->ShowBudgetView(budget);
                       },
                       [this] { return CurrentPlanName; }, [this] { PlanModified = true; }},
                      this);
    m_lifecycle = new PlanLifecycle(
        {this, PanelAll, ATX321, ATX322, rulMain, Outline1},
        {m_navigator, [this] { return m_autoSave; }, [this] { return m_budget; },
         [this](bool on) { SetPlanControls(on); },
         [this](const QString& name) { SetPlanCaption(name); }, [] { return frmopen; }},
        m_state, this);
    m_editing = new EditCommands(
        editWidgets(),
        {m_navigator, [this](const QString& text) { m_budget->TypeIntoActiveCell(text); },
         [this] { m_lifecycle->mnuNewClick(); }, [this] { m_lifecycle->Open2Click(); },
         [this] { m_lifecycle->mnuSaveClick(); }, [this] { cmdPrintAllClick(); },
         [] { return frmCal; }, [] { return frmDic; }, [] { return frmtextcolour; },
         [] {
             return EditLinks::TableWindows{frminserttbl, splitcelllsdlg, cellsdlg, dlgborder};
         }},
        m_state, this);
    m_editing->connectMenus(m.editItems());
    m_print = new PrintCommands(this);
    buildBudget();
    m_planCheck = new PlanCheckCommands(this);
    m_planCheck->SetBudgetFacts([this]() -> std::optional<BudgetFacts> {
        return BudgetFacts{m_budget->DetailsConfirmed(), m_budget->GrandTotal()};
    });
    connect(spread, &SheetControl::Changed, m_planCheck, &PlanCheckCommands::BudgetChanged);
    m_builder = new BuilderToolbar(
        *docBuilder, *ATX321, *ATX322, *m_navigator,
        {[this] {
             return m_navigator->WriteNav(
                 Folders::resolve(Folders::dataFolder() + QStringLiteral("struct.nav")));
         },
         [this](const QString& message) { Statusbar1->showMessage(message); },
         [this] { PlanModified = true; }},
        this);
    if (QCoreApplication::arguments().contains(QStringLiteral("--builder"))) m_view->OfferBuilder();
    buildExport();

    m_autoSave = new AutoSave(
        *ATX321, *spread,
        {[this] { return m_lifecycle->planLoaded(); }, [this] { return PlanModified; },
         [this] {
             PlanPageSettings page;
             page.left = PlanMargins.Left;
             page.right = PlanMargins.Right;
             page.top = PlanMargins.Top;
             page.bottom = PlanMargins.Bottom;
             page.paperSize = m_lifecycle->PaperSize();
             page.orientation = m_lifecycle->Orientation();
             return page;
         }},
        this);
    connect(ATX321, &TextControl::OnATXChange, m_autoSave, &AutoSave::changed);
    // Copies are made without asking; one that fails says so where it disturbs nobody.
    connect(m_autoSave, &AutoSave::copyWritten, this, [this](int, bool ok) {
        if (!ok)
            Statusbar1->showMessage(QStringLiteral("A recovery copy of the plan could not be "
                                                   "written: %1")
                                        .arg(m_autoSave->lastFailure()));
    });

    // Key preview: the window sees its controls' keys first.
    qApp->installEventFilter(this);
}

TfrmEdit::~TfrmEdit() {
    if (frmEdit == this) frmEdit = nullptr;
    // The commands filter the plan text's events; they go before the widgets do, since
    // the widgets still send events while they are destroyed.
    delete m_editing;
    m_editing = nullptr;
    // Copies still on their way are written before the plan text goes.
    delete m_autoSave;
    m_autoSave = nullptr;
}

// --- Building the window ----------------------------------------------------------------

void TfrmEdit::buildToolbars() {
    auto* area = m_toolArea->parentWidget();
    docStandard = new ToolPanel(QStringLiteral("docStandard"), 26, area);
    docFormatting = new ToolPanel(QStringLiteral("docFormatting"), 26, area);
    docBuilder = new ToolPanel(QStringLiteral("docBuilder"), 69, area);
    for (ToolPanel* p : {docStandard, docFormatting, docBuilder}) {
        p->setFrameShape(QFrame::StyledPanel);
        p->setFrameShadow(QFrame::Raised);
        m_toolArea->addWidget(p);
    }
    docBuilder->setVisible(false);

    ToolPanel* s = docStandard;
    cmdOpen =
        s->addButton(QStringLiteral("cmdOpen"), glyphIcon(Glyph::Open), QStringLiteral("Open"));
    cmdSave =
        s->addButton(QStringLiteral("cmdSave"), glyphIcon(Glyph::Save), QStringLiteral("Save"));
    s->addBevel(QStringLiteral("Bevel1"));
    cmdPrintAll = s->addButton(QStringLiteral("cmdPrintAll"), glyphIcon(Glyph::PrintAll),
                               QStringLiteral("Print All"));
    cmdPrint = s->addButton(QStringLiteral("cmdPrint"), glyphIcon(Glyph::Print),
                            QStringLiteral("Print Plan"));
    cmdPrintSpread = s->addButton(QStringLiteral("cmdPrintSpread"), glyphIcon(Glyph::PrintBudget),
                                  QStringLiteral("Print Budget"));
    s->addBevel(QStringLiteral("Bevel2"));
    cmdCut = s->addButton(QStringLiteral("cmdCut"), glyphIcon(Glyph::Cut), QStringLiteral("Cut"));
    cmdCopy =
        s->addButton(QStringLiteral("cmdCopy"), glyphIcon(Glyph::Copy), QStringLiteral("Copy"));
    cmdPaste =
        s->addButton(QStringLiteral("cmdPaste"), glyphIcon(Glyph::Paste), QStringLiteral("Paste"));
    s->addBevel(QStringLiteral("Bevel4"));
    cmdHideNav = s->addButton(QStringLiteral("cmdHideNav"), glyphIcon(Glyph::Navigator),
                              QStringLiteral("Show/Hide Navigator"), true);
    Bevel3 = s->addBevel(QStringLiteral("Bevel3"));
    cmdFind =
        s->addButton(QStringLiteral("cmdFind"), glyphIcon(Glyph::Find), QStringLiteral("Find"));
    cmdUndo =
        s->addButton(QStringLiteral("cmdUndo"), glyphIcon(Glyph::Undo), QStringLiteral("Undo"));
    Bevel5 = s->addBevel(QStringLiteral("Bevel5"));
    cmdSpell = s->addButton(QStringLiteral("cmdSpell"), glyphIcon(Glyph::Spell),
                            QStringLiteral("Spelling"));
    cmdCal = s->addButton(QStringLiteral("cmdCal"), glyphIcon(Glyph::Calendar),
                          QStringLiteral("Calendar"));
    cmdeg =
        s->addButton(QStringLiteral("cmdeg"), glyphIcon(Glyph::Example), QStringLiteral("Example"));
    s->addStretch();

    EditCommands::buildFormatBar(m_edit, *docFormatting);
    cmbFont = m_edit.cmbFont;
    cmbFontSize = m_edit.cmbFontSize;
    cmdBold = m_edit.cmdBold;
    cmdItalic = m_edit.cmdItalic;
    cmdUnder = m_edit.cmdUnder;
    cmdColour = m_edit.cmdColour;
    cmdLeft = m_edit.cmdLeft;
    cmdCenter = m_edit.cmdCenter;
    cmdRight = m_edit.cmdRight;
    cmdJustify = m_edit.cmdJustify;

    connect(cmdOpen, &QToolButton::clicked, this, [this] { m_lifecycle->Open2Click(); });
    connect(cmdSave, &QToolButton::clicked, this, [this] { m_lifecycle->mnuSaveClick(); });
    connect(cmdPrintAll, &QToolButton::clicked, this, &TfrmEdit::cmdPrintAllClick);
    connect(cmdPrint, &QToolButton::clicked, this, &TfrmEdit::cmdPrintClick);
    connect(cmdPrintSpread, &QToolButton::clicked, this, &TfrmEdit::cmdPrintSpreadClick);
    connect(cmdCut, &QToolButton::clicked, this, [this] { m_editing->cmdCutClick(); });
    connect(cmdCopy, &QToolButton::clicked, this, [this] { m_editing->cmdCopyClick(); });
    connect(cmdPaste, &QToolButton::clicked, this, [this] { m_editing->cmdPasteClick(); });
    connect(cmdFind, &QToolButton::clicked, this, [this] { m_editing->mnuFindClick(); });
    connect(cmdUndo, &QToolButton::clicked, this, [this] { m_editing->cmdUndoClick(); });
    connect(cmdSpell, &QToolButton::clicked, this, [this] { m_editing->cmdSpellClick(); });
    connect(cmdCal, &QToolButton::clicked, this, [this] { m_editing->cmdCalClick(); });
    connect(cmdeg, &QToolButton::clicked, this, [this] { m_navigator->ExplorerButton7Click(); });
}

void TfrmEdit::buildPanels() {
    PanelAll = panel(QStringLiteral("PanelAll"), centralWidget());
    PanelAll->setVisible(false);
    auto* all = bareLayout<QVBoxLayout>(PanelAll);

    // Navigator row: outline, the bar with the section buttons, guidance pane.
    Navigator::buildPanel(m_nav, PanelAll);
    Panel1 = m_nav.Panel1;
    Panel3 = m_nav.Panel3;
    Outline1 = m_nav.Outline1;
    JPSplitter1 = m_nav.JPSplitter1;
    btnFirst = m_nav.btnFirst;
    btnPrior = m_nav.btnPrior;
    btnNext = m_nav.btnNext;
    btnLast = m_nav.btnLast;
    Panel4 = m_nav.Panel4;
    ATX322 = m_nav.ATX322;
    JPSplitter1->setPanelSize(Settings::DefaultDivider1);
    Panel1->setFixedHeight(Settings::MinimumDivider2);
    all->addWidget(Panel1);

    JPSplitter2 = new DividerBar(QStringLiteral("JPSplitter2"), Qt::Horizontal, PanelAll);
    JPSplitter2->setThickness(7);
    JPSplitter2->setSizedPanel(Panel1, PanelAll);
    all->addWidget(JPSplitter2);

    // Plan row: section pointer, ruler and text; the budget sheet takes the text's place.
    Panel2 = panel(QStringLiteral("Panel2"), PanelAll);
    auto* planRow = bareLayout<QHBoxLayout>(Panel2);
    pnlPointer = panel(QStringLiteral("pnlPointer"), Panel2);
    pnlPointer->setFixedWidth(11);
    Pointer = new QToolButton(pnlPointer);
    Pointer->setObjectName(QStringLiteral("Pointer"));
    Pointer->setGeometry(0, 17, 10, 20);
    Pointer->setIcon(glyphIcon(Glyph::Pointer));
    Pointer->setIconSize(QSize(10, 10));
    Pointer->setAutoRaise(true);
    Pointer->setEnabled(false);
    planRow->addWidget(pnlPointer);

    Panel6 = panel(QStringLiteral("Panel6"), Panel2);
    auto* textColumn = bareLayout<QVBoxLayout>(Panel6);
    rulMain = new Ruler(Panel6);
    textColumn->addWidget(rulMain);
    ATX321 = new TextControl(Panel6);
    ATX321->setObjectName(QStringLiteral("ATX321"));
    textColumn->addWidget(ATX321, 1);
    atxpagenumber = new TextControl(Panel6);
    atxpagenumber->setObjectName(QStringLiteral("atxpagenumber"));
    atxpagenumber->setVisible(false);
    textColumn->addWidget(atxpagenumber);
    planRow->addWidget(Panel6, 1);

    pnlSpread = panel(QStringLiteral("pnlSpread"), Panel2);
    pnlSpread->setVisible(false);
    spread = new SheetControl(pnlSpread);
    spread->setObjectName(QStringLiteral("spread"));
    planRow->addWidget(pnlSpread, 1);
    all->addWidget(Panel2, 1);

    chkAuto = new QCheckBox(QStringLiteral("Select Blue"), PanelAll);
    chkAuto->setObjectName(QStringLiteral("chkAuto"));
    chkAuto->setChecked(true);
    chkAuto->setVisible(false);
}

void TfrmEdit::connectMenus() {
    MainMenus& m = *m_menus;
    auto* packages = new PackageCommands(
        {this, [this] { return m_lifecycle && m_lifecycle->planLoaded() ? CurrentPlanName : QString(); },
         [this] { return PlanModified; }, [this] { return m_lifecycle->mnuSaveClick(); }},
        this);
    connect(m.mnuExportPackage, &QAction::triggered, packages, &PackageCommands::ExportPlanPackage);
    connect(m.mnuFile, &QMenu::aboutToShow, m.mnuExportPackage, [this] {
        m_menus->mnuExportPackage->setEnabled(m_lifecycle && m_lifecycle->planLoaded());
    });
    connect(m.mnuBackUp, &QAction::triggered, packages, &PackageCommands::BackUpAllPlans);
    connect(m.mnuRestore, &QAction::triggered, this, [this] { PackageCommands::RestoreFromBackup(this); });

    connect(m.mnuNew, &QAction::triggered, this, [this] { m_lifecycle->mnuNewClick(); });
    connect(m.Open2, &QAction::triggered, this, [this] { m_lifecycle->Open2Click(); });
    connect(m.mnuSave, &QAction::triggered, this, [this] { m_lifecycle->mnuSaveClick(); });
    connect(m.Plan1, &QAction::triggered, this, &TfrmEdit::Plan1Click);
    connect(m.Cashflow1, &QAction::triggered, this, &TfrmEdit::Cashflow1Click);
    connect(m.mnuPrint, &QAction::triggered, this, &TfrmEdit::cmdPrintAllClick);
    connect(m.Print1, &QAction::triggered, this, &TfrmEdit::cmdPrintClick);
    connect(m.Preview1, &QAction::triggered, this, &TfrmEdit::Preview1Click);
    connect(m.Print2, &QAction::triggered, this, &TfrmEdit::cmdPrintSpreadClick);
    connect(m.Preview3, &QAction::triggered, this, &TfrmEdit::Preview3Click);
    connect(m.mnuPageSetup, &QAction::triggered, this, &TfrmEdit::mnuPageSetupClick);
    connect(m.PrinterSetup1, &QAction::triggered, this, &TfrmEdit::PrinterSetup1Click);
    connect(m.mnuExit, &QAction::triggered, this, &TfrmEdit::mnuExitClick);

    connect(m.mnuWordWrap, &QAction::triggered, this, [this] {
        // The handler flips the mark itself; undo the action's own flip first.
        m_menus->mnuWordWrap->setChecked(!m_menus->mnuWordWrap->isChecked());
        mnuWordWrapClick();
    });
    connect(m.mnuOptions, &QAction::triggered, this, &TfrmEdit::mnuOptionsClick);

    PictureCommands::attach(ATX321);
    connect(m.mnuInsertPicture, &QAction::triggered, this, [this] {
        if (PictureCommands::insertPicture(ATX321, this)) PlanModified = true;
    });
    connect(m.mnuFormatPicture, &QAction::triggered, this, [this] {
        // Made on first use: not one of the windows the start-up makes.
        if (!dlgPicture) dlgPicture = new TdlgPicture(this);
        if (PictureCommands::formatPicture(ATX321, dlgPicture)) PlanModified = true;
    });
    connect(m.InsertChartintoPlan1, &QAction::triggered, this, [this] {
        if (InsertBudgetChart(*spread, *ATX321, navigator()->CurrentSectionTag())) PlanModified = true;
    });

    connect(m.HelpTopics2, &QAction::triggered, this, &TfrmEdit::HelpTopics2Click);
    connect(m.TandelonthWeb1, &QAction::triggered, this, &TfrmEdit::TandelonthWeb1Click);
    connect(m.About1, &QAction::triggered, this, &TfrmEdit::About1Click);
}

// --- States, caption, keytexts ----------------------------------------------------------

void TfrmEdit::SetPlanControls(bool on) {
    m_planControlsOn = on;
    const MainMenus& m = *m_menus;
    // With no plan open the budget and its menu are not shown.
    if (!on && m_navigator) m_navigator->ShowBudgetView(false);
    for (QWidget* w : std::initializer_list<QWidget*>{
             cmdeg,    cmdCal,     cmdSave,    cmdPrint,  cmdPrintAll, cmdPrintSpread,
             cmdSpell, cmdCut,     cmdCopy,    cmdPaste,  cmdFind,     cmdUndo,
             cmdBold,  cmdItalic,  cmdUnder,   cmdColour, cmdLeft,     cmdCenter,
             cmdRight, cmdJustify, cmdHideNav, cmbFont,   cmbFontSize, docBuilder})
        w->setEnabled(on);
    for (QAction* a : std::initializer_list<QAction*>{m.mnuPageSetup,
                                                      m.mnuFirst,
                                                      m.mnuPrevious,
                                                      m.mnuNext,
                                                      m.mnuLast,
                                                      m.mnuKeytext->menuAction(),
                                                      m.InsertDate2,
                                                      m.mnuReplace,
                                                      m.mnuCut,
                                                      m.mnuCopy,
                                                      m.mnuPaste,
                                                      m.mnuSelectAll,
                                                      m.mnuUndo,
                                                      m.mnuRedo,
                                                      m.mnuFind,
                                                      m.mnuFont,
                                                      m.mnuToolbars->menuAction(),
                                                      m.mnuStatusbar,
                                                      m.mnuWordWrap,
                                                      m.mnuSave,
                                                      m.mnuExport->menuAction(),
                                                      m.mnuPrint,
                                                      m.mnuPrintPlan->menuAction(),
                                                      m.mnuPrintBudget->menuAction(),
                                                      m.mnuNavigator,
                                                      m.SpellCheck1})
        a->setEnabled(on);
    m.Table1->menuAction()->setVisible(on);
    for (QMenu* menu : {m.mnuInsert, m.mnuFormat})
        menu->menuAction()->setVisible(on);
    if (m_planCheck) m_planCheck->SetPlanOpen(on);
}

void TfrmEdit::SetPlanCaption(const QString& planName) {
    setWindowTitle(ApplicationTitle() + QStringLiteral(" [") + planName + QStringLiteral("]"));
}

void TfrmEdit::SetKeytexts(const QStringList& texts) {
    m_menus->SetKeytexts(texts);
}

QString TfrmEdit::KeytextCaption(int index) const {
    return m_menus->KeytextCaption(index);
}

// --- View and options -------------------------------------------------------------------

void TfrmEdit::mnuWordWrapClick() {
    // Only the mark changes here; the page width is laid out again as it was.
    m_menus->mnuWordWrap->setChecked(!m_menus->mnuWordWrap->isChecked());
    m_editing->PageWidth();
}

void TfrmEdit::mnuOptionsClick() {
    if (frmCust) frmCust->exec();
}

// --- Help and web -----------------------------------------------------------------------

void TfrmEdit::HelpTopics2Click() {
    HelpSystem::instance().showContext(1);
}

void TfrmEdit::StartWebLauncher(const QString& launcher, const QString& homePage) {
    // The launcher's own outcome is not reported: when it cannot start, the address goes
    // to the desktop's browser.
    Launcher::start(launcher, homePage);
}

void TfrmEdit::TandelonthWeb1Click() {
    StartWebLauncher(WebLauncher, WebHomePage);
}

void TfrmEdit::About1Click() {
    if (frmabout) frmabout->exec();
}

void TfrmEdit::mnuExitClick() {
    close();
}

// --- Printing and export ----------------------------------------------------------------

void TfrmEdit::cmdPrintAllClick() {
    if (!m_planCheck->BeforePlanLeaves()) return;
    m_print->cmdPrintAllClick();
}
void TfrmEdit::cmdPrintClick() {
    if (!m_planCheck->BeforePlanLeaves()) return;
    m_print->cmdPrintClick();
}
void TfrmEdit::Preview1Click() {
    m_print->Preview1Click();
}
void TfrmEdit::cmdPrintSpreadClick() {
    m_budget->PrintBudget();
}
void TfrmEdit::Preview3Click() {
    if (!frmSpreadPrev) return;
    frmSpreadPrev->setSheet(spread);
    frmSpreadPrev->onPageSetup = [this] { mnuPageSetupClick(); };
    frmSpreadPrev->onPrint = [this] { cmdPrintSpreadClick(); };
    frmSpreadPrev->exec();
}
void TfrmEdit::mnuPageSetupClick() {
    m_print->mnuPageSetupClick();
}
void TfrmEdit::PrinterSetup1Click() {
    m_print->PrinterSetup1Click();
}
void TfrmEdit::Plan1Click() {
    if (!m_planCheck->BeforePlanLeaves()) return;
    m_export->Plan1Click();
}
void TfrmEdit::Cashflow1Click() {
    // The budget holds no prompts: only the plan's text is checked before it leaves.
    m_export->Cashflow1Click();
}
EditWidgets TfrmEdit::editWidgets() const {
    // The formatting toolbar's part is filled in as the toolbar is made.
    EditWidgets e = m_edit;
    e.window = const_cast<TfrmEdit*>(this);
    e.ATX321 = ATX321;
    e.ATX322 = ATX322;
    e.spread = spread;
    e.rulMain = rulMain;
    e.Panel6 = Panel6;
    e.Spell = Spell;
    e.chkAuto = chkAuto;
    e.cmdCal = cmdCal;
    e.toolbars = {docStandard, docFormatting, docBuilder};
    e.belowMenus = centralWidget();
    e.keytextItems = m_menus->editItems().keytextItems;
    e.mnupopup = m_menus->mnupopup;
    e.DeleteRow1 = m_menus->DeleteRow1;
    return e;
}

void TfrmEdit::buildExport() {
    ExportLinks links;
    links.text = ATX321;
    links.sheet = spread;
    links.window = this;
    links.editingArea = PanelAll;
    links.planDialog = dlgExport;
    links.sheetDialog = dlgSavespread;
    links.printing = [this]() -> PlanPrinting& { return m_print->printing(); };
    links.geometry = [this] { return m_print->planGeometry(); };
    links.sections = [this] { return m_print->sections(); };
    links.info = [this] {
        const auto details = Catalogue().details(CurrentPlanName);
        return ExportCommands::planInfo(CurrentPlanName, details.value("author"),
                                        details.value("coname"));
    };
    m_export = std::make_unique<ExportCommands>(std::move(links));
}

void TfrmEdit::buildBudget() {
    const MainMenus& m = *m_menus;
    BudgetWidgets b;
    b.pnlSpread = pnlSpread;
    b.textPanel = Panel6;
    b.pnlPointer = pnlPointer;
    b.Pointer = Pointer;
    // Example stays on the toolbar: the budget section has a worked example of its own,
    // each business's budget in this sheet.
    b.textTools = {cmdCal, cmdFind, cmdUndo, cmdSpell, Bevel3, Bevel5};
    b.textItems = {m.SpellCheck1, m.mnuKeytext->menuAction(), m.mnuReplace, m.mnuFind,
                   m.mnuUndo,     m.mnuSelectAll,             m.InsertDate2, m.Table1->menuAction(),
                   m.N3,          m.N4,                       m.N9,          m.Undo1,
                   m.InsertDate1, m.N6,                       m.N8,
                   m.mnuInsert->menuAction(), m.mnuFormat->menuAction()};
    b.mnuCashflow = m.mnuCashflow->menuAction();
    b.Protection1 = m.Protection1;
    b.LockRowsColumns1 = m.LockRowsColumns1;
    b.ModifyCashflowDetails1 = m.ModifyCashflowDetails1;
    b.LoadNewTemplate1 = m.LoadNewTemplate1;
    b.DeleteRow1 = m.DeleteRow1;
    b.mnupopup = m.mnupopup;
    b.cmdBold = cmdBold;
    b.cmdItalic = cmdItalic;
    b.cmdUnder = cmdUnder;
    b.cmdLeft = cmdLeft;
    b.cmdCenter = cmdCenter;
    b.cmdRight = cmdRight;
    b.cmdJustify = cmdJustify;
    b.cmbFont = cmbFont;
    b.cmbFontSize = cmbFontSize;
    m_budget = new BudgetView(*spread, b, this);
    m_budget->onModified = [this] {
        PlanModified = true;
        if (m_autoSave) m_autoSave->changed();
    };
    m_budget->detailsWindow = [] { return frmCashdet; };
    m_budget->planText = ATX321;
    m_budget->monitoringSectionTag = [this] {
        for (int n = 1; n <= m_navigator->itemCount(); ++n)
            if (m_navigator->itemText(n) == QLatin1String(kMonitoringSection))
                return Navigator::sectionTagOf(n);
        return -1;
    };
}

void TfrmEdit::SetSpellDictionaries() {
    Spell->setStandardDictionary(QStringLiteral("british.vtd"));
    Spell->setCustomDictionary(QStringLiteral("custom.dic"));
}

// --- Start-up ---------------------------------------------------------------------------

void TfrmEdit::showEvent(QShowEvent* event) {
    if (!m_formShown) {
        m_formShown = true;
        FormShow();
    }
    QMainWindow::showEvent(event);
}

void TfrmEdit::FormShow() {
    RulerUnit = (logicalDpiX() > 0 ? logicalDpiX() : 96) / 16.0;
    ATX321->setBackColor(0xFFFFFF);

    RepaintLock lock(this);
    ProgramFolder = Folders::programFolder();
    DataFolder = Folders::dataFolder();
    UserDataFolder = Folders::userDataFolder();
    // Installed for all users: the user's own folder, with the catalogue and the original
    // plan copied in on the first start.
    Folders::seedUserFolder();
    QDir().mkpath(Folders::resolve(UserDataFolder));

    SetPlanControls(false);
    // Files are exported beside the program in a portable copy, else in the user's home.
    const QString dialogFolder = Folders::storage() == Folders::Storage::BesideProgram
                                     ? ProgramFolder
                                     : QDir::homePath();
    for (QFileDialog* d : {dlgSavespread, dlgExport, dlgOpen})
        d->setDirectory(dialogFolder);
    OpenAtStart = true;
    m_navigator->BuildNav();
    readSettings();
    pumpMessages();

    SetSpellDictionaries();
    for (TextControl* t : {ATX321, ATX322}) {
        t->setBorderStyle(0);
        t->setF3ON(0);
        t->setF2ON(0);
    }
    m_editing->fillFontList();
    SetPlanControls(false);
    loadStartupTexts();
}

void TfrmEdit::readSettings() {
    using namespace Settings;
    const IniFile ini(Folders::settingsFile());

    DefaultMargins.Left = marginFromText(ini.readString(MainSection, "MarginL", "1"));
    DefaultMargins.Right = marginFromText(ini.readString(MainSection, "MarginR", "1"));
    DefaultMargins.Top = marginFromText(ini.readString(MainSection, "MarginT", "1"));
    DefaultMargins.Bottom = marginFromText(ini.readString(MainSection, "MarginB", "1"));
    PlanMargins = DefaultMargins;
    m_autoSave->setInterval(
        recoveryInterval(ini.readInteger(MainSection, RecoveryIntervalKey, DefaultRecoveryInterval)));

    const QSizeF page = PrinterInfo::instance().printablePageInches();
    TextAreaWidth = page.width() - DefaultMargins.Left - DefaultMargins.Right;
    TextAreaHeight = page.height() - DefaultMargins.Top - DefaultMargins.Bottom;

    m_view->readSettings(ini);

    WebHomePage = ini.readString(WebSection, "Home", DefaultHomePage);
    WebLauncher = ini.readString(WebSection, "exe", DefaultLauncher);

    QStringList keytexts;
    for (int i = 0; i < 10; ++i)
        keytexts << ini.readString(MainSection, keytextKey(i));
    SetKeytexts(keytexts);
}

void TfrmEdit::loadStartupTexts() {
    const QString plan = Folders::resolve(Folders::shippedDataFolder() + QStringLiteral("startup.plt"));
    ATX321->setFileName(plan);
    ATX321->setDataType(TextControl::NativeRtf);
    ATX321->setFileLoad(1);
    ATX321->setEnabled(true);
    ATX321->setTagReadSelect(0);

    if (QLayout* l = centralWidget()->layout()) l->activate();

    m_navigator->Panel4Resize();
    ATX322->setPrinterDC(0);
    ATX322->PrepareLoad();
    const QString guidance = Folders::resolve(Folders::shippedDataFolder() + QStringLiteral("startup.rtf"));
    ATX322->setFileName(guidance);
    ATX322->setDataType(TextControl::NativeRtf);
    ATX322->setFileLoad(1);
}

// --- Closing ----------------------------------------------------------------------------

bool TfrmEdit::FormCloseQuery() {
    if (!PlanModified) return true;
    const int answer = ShowMessageDialog(
        QStringLiteral("This plan has not been saved.\n\nDo you want to save it?"), mtConfirmation,
        mbYes | mbNo | mbCancel, mbYes, 0);
    if (answer == mrYes) {
        m_lifecycle->mnuSaveClick();
        // A save that did not succeed leaves the plan modified: keep the window open
        // rather than lose the changes.
        return !PlanModified;
    }
    // The user drops the changes: so does the recovery copy.
    if (answer == mrNo) m_autoSave->dropCopy();
    return answer == mrNo;
}

void TfrmEdit::FormClose() {
    try {
        IniFile ini(Folders::settingsFile());
        ini.beginBatch();
        m_view->writeSettings(ini);
        ini.commit();
    } catch (const IniWriteError& e) {
        ShowError(e.message());
    }
}

void TfrmEdit::closeEvent(QCloseEvent* event) {
    if (m_closing) {
        event->ignore();
        return;
    }
    m_closing = true;
    const bool mayClose = FormCloseQuery();
    if (mayClose) FormClose();
    m_closing = false;
    if (!mayClose) {
        event->ignore();
        return;
    }
    event->accept();
    // Windows of their own (help, the examples, the plan check) would keep the program
    // running with no main window behind them.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible() && w->isWindow()) w->close();
}

bool TfrmEdit::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        // A key travels up to the parents when its widget ignores it; look at it once.
        if (w->window() == this && w == QApplication::focusWidget())
            return m_editing->FormKeyPreview(static_cast<QKeyEvent*>(event));
    }
    return QMainWindow::eventFilter(watched, event);
}
