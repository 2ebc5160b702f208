#include "app/editfrm.h"

#include "app/custfrm.h"
#include "app/exportcommands.h"
#include "app/printcommands.h"
#include "app/plancheckcommands.h"
#include "app/startup.h"
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
#include "editor/tablecommands.h"
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
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <cmath>

TfrmEdit* frmEdit = nullptr;

namespace {

// The guidance pane's page is the pane's width less this much, so its text never runs
// under the scroll bar.
constexpr int kGuidanceWidthAllowance = 20;

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

int twipsFromPixels(double pixels, double pixelsPerInch) {
    return int(std::lround(pixels / pixelsPerInch * 1440.0));
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

    buildMenus();

    dlgOpen = new QFileDialog(this);
    dlgOpen->setObjectName(QStringLiteral("dlgOpen"));
    dlgExport = new QFileDialog(this);
    dlgExport->setObjectName(QStringLiteral("dlgExport"));
    dlgSavespread = new QFileDialog(this);
    dlgSavespread->setObjectName(QStringLiteral("dlgSavespread"));

    Spell = new Speller(this);
    Spell->setObjectName(QStringLiteral("Spell"));

    // The subsystems that do the window's work; they need the widgets above.
    m_navigator = new Navigator(this);
    m_lifecycle = new PlanLifecycle(this);
    m_editing = new EditCommands(this);
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
    if (QCoreApplication::arguments().contains(QStringLiteral("--builder"))) OfferBuilder();
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

QToolButton* TfrmEdit::toolButton(ToolPanel* bar, const QString& name, int glyph,
                                  const QString& hint, bool checkable) {
    auto* b = new QToolButton(bar);
    b->setObjectName(name);
    b->setIcon(glyphIcon(Glyph(glyph)));
    b->setIconSize(QSize(16, 16));
    b->setAutoRaise(true);
    b->setFixedSize(24, 23);
    b->setToolTip(hint);
    b->setStatusTip(hint);
    b->setCheckable(checkable);
    b->setFocusPolicy(Qt::NoFocus);
    bar->addWidget(b);
    return b;
}

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
    cmdOpen = toolButton(s, QStringLiteral("cmdOpen"), int(Glyph::Open), QStringLiteral("Open"));
    cmdSave = toolButton(s, QStringLiteral("cmdSave"), int(Glyph::Save), QStringLiteral("Save"));
    s->addBevel(QStringLiteral("Bevel1"));
    cmdPrintAll = toolButton(s, QStringLiteral("cmdPrintAll"), int(Glyph::PrintAll),
                             QStringLiteral("Print All"));
    cmdPrint =
        toolButton(s, QStringLiteral("cmdPrint"), int(Glyph::Print), QStringLiteral("Print Plan"));
    cmdPrintSpread = toolButton(s, QStringLiteral("cmdPrintSpread"), int(Glyph::PrintBudget),
                                QStringLiteral("Print Budget"));
    s->addBevel(QStringLiteral("Bevel2"));
    cmdCut = toolButton(s, QStringLiteral("cmdCut"), int(Glyph::Cut), QStringLiteral("Cut"));
    cmdCopy = toolButton(s, QStringLiteral("cmdCopy"), int(Glyph::Copy), QStringLiteral("Copy"));
    cmdPaste =
        toolButton(s, QStringLiteral("cmdPaste"), int(Glyph::Paste), QStringLiteral("Paste"));
    s->addBevel(QStringLiteral("Bevel4"));
    cmdHideNav = toolButton(s, QStringLiteral("cmdHideNav"), int(Glyph::Navigator),
                            QStringLiteral("Show/Hide Navigator"), true);
    Bevel3 = s->addBevel(QStringLiteral("Bevel3"));
    cmdFind = toolButton(s, QStringLiteral("cmdFind"), int(Glyph::Find), QStringLiteral("Find"));
    cmdUndo = toolButton(s, QStringLiteral("cmdUndo"), int(Glyph::Undo), QStringLiteral("Undo"));
    Bevel5 = s->addBevel(QStringLiteral("Bevel5"));
    cmdSpell =
        toolButton(s, QStringLiteral("cmdSpell"), int(Glyph::Spell), QStringLiteral("Spelling"));
    cmdCal =
        toolButton(s, QStringLiteral("cmdCal"), int(Glyph::Calendar), QStringLiteral("Calendar"));
    cmdeg = toolButton(s, QStringLiteral("cmdeg"), int(Glyph::Example), QStringLiteral("Example"));
    s->addStretch();

    ToolPanel* f = docFormatting;
    cmbFont = new QComboBox(f);
    cmbFont->setObjectName(QStringLiteral("cmbFont"));
    cmbFont->setToolTip(QStringLiteral("Font"));
    cmbFont->setStatusTip(QStringLiteral("Font"));
    cmbFont->setFixedSize(170, 21);
    cmbFont->setMaxVisibleItems(20);
    f->addWidget(cmbFont);
    f->addSpacing(3);
    cmbFontSize = new QComboBox(f);
    cmbFontSize->setObjectName(QStringLiteral("cmbFontSize"));
    cmbFontSize->setToolTip(QStringLiteral("Font Size"));
    cmbFontSize->setStatusTip(QStringLiteral("Font Size"));
    cmbFontSize->setEditable(true);
    cmbFontSize->setInsertPolicy(QComboBox::NoInsert);
    cmbFontSize->setFixedSize(52, 21);
    cmbFontSize->addItems({"8", "9", "10", "11", "12", "14", "16", "18", "20", "22", "24", "26",
                           "28", "36", "48", "72"});
    cmbFontSize->setMaxVisibleItems(16);
    f->addWidget(cmbFontSize);
    f->addBevel(QStringLiteral("Bevel6"));
    cmdBold =
        toolButton(f, QStringLiteral("cmdBold"), int(Glyph::Bold), QStringLiteral("Bold"), true);
    cmdItalic = toolButton(f, QStringLiteral("cmdItalic"), int(Glyph::Italic),
                           QStringLiteral("Italic"), true);
    cmdUnder = toolButton(f, QStringLiteral("cmdUnder"), int(Glyph::Underline),
                          QStringLiteral("Underline"), true);
    f->addBevel(QStringLiteral("Bevel7"));
    cmdColour =
        toolButton(f, QStringLiteral("cmdColour"), int(Glyph::Colour), QStringLiteral("Colour"));
    f->addBevel(QStringLiteral("Bevel8"));
    cmdLeft = toolButton(f, QStringLiteral("cmdLeft"), int(Glyph::AlignLeft),
                         QStringLiteral("Align Left"), true);
    cmdCenter = toolButton(f, QStringLiteral("cmdCenter"), int(Glyph::AlignCentre),
                           QStringLiteral("Centre"), true);
    cmdRight = toolButton(f, QStringLiteral("cmdRight"), int(Glyph::AlignRight),
                          QStringLiteral("Align Right"), true);
    cmdJustify = toolButton(f, QStringLiteral("cmdJustify"), int(Glyph::Justify),
                            QStringLiteral("Justify"), true);
    for (QToolButton* b : {cmdLeft, cmdCenter, cmdRight, cmdJustify})
        b->setAutoExclusive(true);
    cmdLeft->setChecked(true);
    f->addStretch();

    connect(docStandard, &ToolPanel::VisibleChanged, this,
            [this](bool shown) { mnuStandard->setChecked(shown); });
    connect(docFormatting, &ToolPanel::VisibleChanged, this,
            [this](bool shown) { mnuFormatting->setChecked(shown); });
    connect(docBuilder, &ToolPanel::VisibleChanged, this,
            [this](bool shown) { mnuBuilder->setChecked(shown); });

    connect(cmdOpen, &QToolButton::clicked, this, &TfrmEdit::Open2Click);
    connect(cmdSave, &QToolButton::clicked, this, &TfrmEdit::mnuSaveClick);
    connect(cmdPrintAll, &QToolButton::clicked, this, &TfrmEdit::cmdPrintAllClick);
    connect(cmdPrint, &QToolButton::clicked, this, &TfrmEdit::cmdPrintClick);
    connect(cmdPrintSpread, &QToolButton::clicked, this, &TfrmEdit::cmdPrintSpreadClick);
    connect(cmdCut, &QToolButton::clicked, this, &TfrmEdit::cmdCutClick);
    connect(cmdCopy, &QToolButton::clicked, this, &TfrmEdit::cmdCopyClick);
    connect(cmdPaste, &QToolButton::clicked, this, &TfrmEdit::cmdPasteClick);
    connect(cmdHideNav, &QToolButton::clicked, this, &TfrmEdit::cmdHideNavClick);
    connect(cmdFind, &QToolButton::clicked, this, &TfrmEdit::mnuFindClick);
    connect(cmdUndo, &QToolButton::clicked, this, &TfrmEdit::cmdUndoClick);
    connect(cmdSpell, &QToolButton::clicked, this, &TfrmEdit::cmdSpellClick);
    connect(cmdCal, &QToolButton::clicked, this, &TfrmEdit::cmdCalClick);
    connect(cmdeg, &QToolButton::clicked, this, &TfrmEdit::ExplorerButton7Click);
    connect(cmbFont, &QComboBox::activated, this, &TfrmEdit::cmbFontClick);
    connect(cmbFontSize, &QComboBox::activated, this, &TfrmEdit::cmbFontSizeClick);
    connect(cmdBold, &QToolButton::clicked, this, &TfrmEdit::cmdBoldClick);
    connect(cmdItalic, &QToolButton::clicked, this, &TfrmEdit::cmdItalicClick);
    connect(cmdUnder, &QToolButton::clicked, this, &TfrmEdit::cmdUnderClick);
    connect(cmdColour, &QToolButton::clicked, this, &TfrmEdit::cmdColourClick);
    connect(cmdLeft, &QToolButton::clicked, this, &TfrmEdit::cmdLeftClick);
    connect(cmdCenter, &QToolButton::clicked, this, &TfrmEdit::cmdCenterClick);
    connect(cmdRight, &QToolButton::clicked, this, &TfrmEdit::cmdRightClick);
    connect(cmdJustify, &QToolButton::clicked, this, &TfrmEdit::cmdJustifyClick);
}

void TfrmEdit::buildPanels() {
    PanelAll = panel(QStringLiteral("PanelAll"), centralWidget());
    PanelAll->setVisible(false);
    auto* all = bareLayout<QVBoxLayout>(PanelAll);

    // Navigator row: outline, the bar with the section buttons, guidance pane.
    Panel1 = panel(QStringLiteral("Panel1"), PanelAll);
    auto* row = bareLayout<QHBoxLayout>(Panel1);
    Panel3 = panel(QStringLiteral("Panel3"), Panel1);
    auto* outlineBox = bareLayout<QVBoxLayout>(Panel3);
    Outline1 = new QTreeView(Panel3);
    Outline1->setObjectName(QStringLiteral("Outline1"));
    Outline1->setHeaderHidden(true);
    Outline1->setFrameShape(QFrame::NoFrame);
    Outline1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Outline1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    outlineBox->addWidget(Outline1);
    row->addWidget(Panel3);

    JPSplitter1 = new DividerBar(QStringLiteral("JPSplitter1"), Qt::Vertical, Panel1);
    JPSplitter1->setThickness(23);
    JPSplitter1->setFrameShape(QFrame::StyledPanel);
    JPSplitter1->setFrameShadow(QFrame::Raised);
    auto* buttons = new QVBoxLayout(JPSplitter1);
    buttons->setContentsMargins(1, 2, 1, 2);
    buttons->setSpacing(2);
    auto navButton = [this](const QString& name, Glyph glyph, const QString& hint) {
        auto* b = new QToolButton(JPSplitter1);
        b->setObjectName(name);
        b->setIcon(glyphIcon(glyph));
        b->setIconSize(QSize(14, 14));
        b->setFixedSize(20, 20);
        b->setAutoRaise(true);
        b->setToolTip(hint);
        b->setStatusTip(hint);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    btnFirst = navButton(QStringLiteral("btnFirst"), Glyph::First, QStringLiteral("First"));
    btnPrior = navButton(QStringLiteral("btnPrior"), Glyph::Previous, QStringLiteral("Previous"));
    btnNext = navButton(QStringLiteral("btnNext"), Glyph::Next, QStringLiteral("Next"));
    btnLast = navButton(QStringLiteral("btnLast"), Glyph::Last, QStringLiteral("Last"));
    for (QToolButton* b : {btnFirst, btnPrior, btnNext, btnLast})
        buttons->addWidget(b, 0, Qt::AlignHCenter);
    buttons->addStretch(1);
    // At design the plan starts on its first section.
    btnFirst->setEnabled(false);
    btnPrior->setEnabled(false);
    row->addWidget(JPSplitter1);

    Panel4 = panel(QStringLiteral("Panel4"), Panel1);
    auto* guidanceBox = bareLayout<QVBoxLayout>(Panel4);
    ATX322 = new TextControl(Panel4);
    ATX322->setObjectName(QStringLiteral("ATX322"));
    ATX322->setWriteProtect(1);
    guidanceBox->addWidget(ATX322);
    row->addWidget(Panel4, 1);
    JPSplitter1->setSizedPanel(Panel3, Panel1);
    JPSplitter1->setPanelSize(Settings::DefaultDivider1);
    Panel1->setFixedHeight(Settings::MinimumDivider2);
    Panel4->installEventFilter(this);
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

    connect(btnFirst, &QToolButton::clicked, this, &TfrmEdit::btnFirstClick);
    connect(btnPrior, &QToolButton::clicked, this, &TfrmEdit::btnPriorClick);
    connect(btnNext, &QToolButton::clicked, this, &TfrmEdit::btnNextClick);
    connect(btnLast, &QToolButton::clicked, this, &TfrmEdit::btnLastClick);
    connect(Outline1, &QTreeView::clicked, this, &TfrmEdit::Outline1Click);
}

QAction* TfrmEdit::menuItem(QMenu* menu, const QString& name, const QString& caption,
                            const QKeySequence& shortcut) {
    auto* a = new QAction(caption, this);
    a->setObjectName(name);
    if (!shortcut.isEmpty()) a->setShortcut(shortcut);
    menu->addAction(a);
    return a;
}

// A menu item that is not shown keeps its shortcut: it lives on the window rather than in
// its menu, since Qt ignores the shortcuts of invisible actions.
QAction* TfrmEdit::hiddenItem(const QString& name, const QString& caption,
                              const QKeySequence& shortcut) {
    auto* a = new QAction(caption, this);
    a->setObjectName(name);
    a->setProperty("hiddenMenuItem", true);
    if (!shortcut.isEmpty()) {
        a->setShortcut(shortcut);
        addAction(a);
    }
    return a;
}

QAction* TfrmEdit::separator(QMenu* menu, const QString& name) {
    QAction* a = menu->addSeparator();
    a->setObjectName(name);
    return a;
}

void TfrmEdit::buildMenus() {
    QMenuBar* bar = menuBar();
    auto submenu = [this](QMenu* parentMenu, QMenuBar* parentBar, const QString& name,
                          const QString& caption) {
        auto* m = new QMenu(caption, this);
        m->setObjectName(name);
        m->menuAction()->setObjectName(name);
        if (parentMenu)
            parentMenu->addMenu(m);
        else
            parentBar->addMenu(m);
        return m;
    };

    // File.
    mnuFile = submenu(nullptr, bar, QStringLiteral("mnuFile"), QStringLiteral("&File"));
    mnuNew = hiddenItem(QStringLiteral("mnuNew"), QStringLiteral("&New..."),
                        QKeySequence(Qt::CTRL | Qt::Key_N));
    Open2 = menuItem(mnuFile, QStringLiteral("Open2"), QStringLiteral("&Open..."),
                     QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuSave = menuItem(mnuFile, QStringLiteral("mnuSave"), QStringLiteral("&Save"),
                       QKeySequence(Qt::CTRL | Qt::Key_S));
    separator(mnuFile, QStringLiteral("N1"));
    mnuExport = submenu(mnuFile, nullptr, QStringLiteral("mnuExport"), QStringLiteral("&Export"));
    Plan1 = menuItem(mnuExport, QStringLiteral("Plan1"), QStringLiteral("P&lan..."));
    Cashflow1 = menuItem(mnuExport, QStringLiteral("Cashflow1"), QStringLiteral("&Cashflow..."));
    separator(mnuFile, QStringLiteral("N2"));
    mnuPrint = menuItem(mnuFile, QStringLiteral("mnuPrint"), QStringLiteral("Print &All"),
                        QKeySequence(Qt::CTRL | Qt::Key_P));
    mnuPrintPlan =
        submenu(mnuFile, nullptr, QStringLiteral("mnuPrintPlan"), QStringLiteral("&Print Plan"));
    Print1 = menuItem(mnuPrintPlan, QStringLiteral("Print1"), QStringLiteral("&Print"));
    Preview1 = menuItem(mnuPrintPlan, QStringLiteral("Preview1"), QStringLiteral("Previe&w..."));
    mnuPrintBudget = submenu(mnuFile, nullptr, QStringLiteral("mnuPrintBudget"),
                             QStringLiteral("Print &Budget"));
    Print2 = menuItem(mnuPrintBudget, QStringLiteral("Print2"), QStringLiteral("&Print"));
    Preview3 = menuItem(mnuPrintBudget, QStringLiteral("Preview3"), QStringLiteral("Previe&w..."));
    separator(mnuFile, QStringLiteral("N5"));
    mnuPageSetup =
        menuItem(mnuFile, QStringLiteral("mnuPageSetup"), QStringLiteral("Page Set&up..."));
    PrinterSetup1 =
        menuItem(mnuFile, QStringLiteral("PrinterSetup1"), QStringLiteral("P&rinter Setup..."));
    separator(mnuFile, QStringLiteral("N7"));
    mnuExit = menuItem(mnuFile, QStringLiteral("mnuExit"), QStringLiteral("E&xit"));

    // Edit.
    mnuEdit = submenu(nullptr, bar, QStringLiteral("mnuEdit"), QStringLiteral("&Edit"));
    mnuUndo = menuItem(mnuEdit, QStringLiteral("mnuUndo"), QStringLiteral("&Undo"),
                       QKeySequence(Qt::CTRL | Qt::Key_Z));
    mnuRedo = menuItem(mnuEdit, QStringLiteral("mnuRedo"), QStringLiteral("&Redo"),
                       QKeySequence(Qt::CTRL | Qt::Key_Y));
    mnuRedo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y),
                           QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    N3 = separator(mnuEdit, QStringLiteral("N3"));
    mnuCut = menuItem(mnuEdit, QStringLiteral("mnuCut"), QStringLiteral("Cu&t"),
                      QKeySequence(Qt::CTRL | Qt::Key_X));
    mnuCopy = menuItem(mnuEdit, QStringLiteral("mnuCopy"), QStringLiteral("&Copy"),
                       QKeySequence(Qt::CTRL | Qt::Key_C));
    mnuPaste = menuItem(mnuEdit, QStringLiteral("mnuPaste"), QStringLiteral("&Paste"),
                        QKeySequence(Qt::CTRL | Qt::Key_V));
    mnuSelectAll = menuItem(mnuEdit, QStringLiteral("mnuSelectAll"), QStringLiteral("Select A&ll"),
                            QKeySequence(Qt::CTRL | Qt::Key_A));
    N4 = separator(mnuEdit, QStringLiteral("N4"));
    mnuFind = menuItem(mnuEdit, QStringLiteral("mnuFind"), QStringLiteral("&Find..."),
                       QKeySequence(Qt::CTRL | Qt::Key_F));
    mnuReplace = menuItem(mnuEdit, QStringLiteral("mnuReplace"), QStringLiteral("&Replace..."));
    separator(mnuEdit, QStringLiteral("N10"));
    mnuFont = menuItem(mnuEdit, QStringLiteral("mnuFont"), QStringLiteral("Fo&nt..."),
                       QKeySequence(Qt::Key_F3));
    N9 = separator(mnuEdit, QStringLiteral("N9"));
    SpellCheck1 = menuItem(mnuEdit, QStringLiteral("SpellCheck1"),
                           QStringLiteral("&Spell Check..."), QKeySequence(Qt::Key_F9));
    InsertDate2 = menuItem(mnuEdit, QStringLiteral("InsertDate2"), QStringLiteral("Insert &Date"));
    mnuKeytext =
        submenu(mnuEdit, nullptr, QStringLiteral("mnuKeytext"), QStringLiteral("&Keytext"));
    for (int i = 0; i < 10; ++i) {
        const int digit = (i + 1) % 10;
        mnuKeytextItems[i] = menuItem(mnuKeytext, QStringLiteral("mnuKeytext%1").arg(digit),
                                      QStringLiteral("Keytext %1").arg(digit),
                                      QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_0 + digit)));
        mnuKeytextItems[i]->setVisible(false);
        connect(mnuKeytextItems[i], &QAction::triggered, this, [this, i] { mnuKeytextClick(i); });
    }
    Bold1 = hiddenItem(QStringLiteral("Bold1"), QStringLiteral("Bold"),
                       QKeySequence(Qt::CTRL | Qt::Key_B));
    Underline1 = hiddenItem(QStringLiteral("Underline1"), QStringLiteral("Underline"),
                            QKeySequence(Qt::CTRL | Qt::Key_U));
    Italic1 = hiddenItem(QStringLiteral("Italic1"), QStringLiteral("Italic"),
                         QKeySequence(Qt::CTRL | Qt::Key_I));
    AlignLeft1 = hiddenItem(QStringLiteral("AlignLeft1"), QStringLiteral("Align Left"),
                            QKeySequence(Qt::CTRL | Qt::Key_L));
    AlignCenter1 = hiddenItem(QStringLiteral("AlignCenter1"), QStringLiteral("Align Center"),
                              QKeySequence(Qt::CTRL | Qt::Key_E));
    AlignRight1 = hiddenItem(QStringLiteral("AlignRight1"), QStringLiteral("Align Right"),
                             QKeySequence(Qt::CTRL | Qt::Key_R));
    AlignJustify1 = hiddenItem(QStringLiteral("AlignJustify1"), QStringLiteral("Align Justify"),
                               QKeySequence(Qt::CTRL | Qt::Key_J));

    // View.
    mnuView = submenu(nullptr, bar, QStringLiteral("mnuView"), QStringLiteral("&View"));
    mnuToolbars =
        submenu(mnuView, nullptr, QStringLiteral("mnuToolbars"), QStringLiteral("&Toolbars"));
    mnuStandard = menuItem(mnuToolbars, QStringLiteral("mnuStandard"), QStringLiteral("&Standard"));
    mnuFormatting =
        menuItem(mnuToolbars, QStringLiteral("mnuFormatting"), QStringLiteral("&Formatting"));
    mnuBuilder = hiddenItem(QStringLiteral("mnuBuilder"), QStringLiteral("&Builder"));
    mnuStatusbar = menuItem(mnuView, QStringLiteral("mnuStatusbar"), QStringLiteral("&Status Bar"));
    mnuWordWrap = hiddenItem(QStringLiteral("mnuWordWrap"), QStringLiteral("&Word Wrap"));
    mnuNavigator = menuItem(mnuView, QStringLiteral("mnuNavigator"), QStringLiteral("Na&vigator"));
    separator(mnuView, QStringLiteral("N11"));
    mnuOptions = menuItem(mnuView, QStringLiteral("mnuOptions"), QStringLiteral("&Options..."));
    for (QAction* a :
         {mnuStandard, mnuFormatting, mnuBuilder, mnuStatusbar, mnuWordWrap, mnuNavigator})
        a->setCheckable(true);
    mnuStandard->setChecked(true);
    mnuFormatting->setChecked(true);
    mnuStatusbar->setChecked(true);
    mnuNavigator->setChecked(true);

    // Plan.
    mnuPlan = submenu(nullptr, bar, QStringLiteral("mnuPlan"), QStringLiteral("&Plan"));
    mnuFirst = menuItem(mnuPlan, QStringLiteral("mnuFirst"), QStringLiteral("&First"),
                        QKeySequence(Qt::Key_F7));
    mnuPrevious = menuItem(mnuPlan, QStringLiteral("mnuPrevious"), QStringLiteral("&Previous"),
                           QKeySequence(Qt::Key_F5));
    mnuNext = menuItem(mnuPlan, QStringLiteral("mnuNext"), QStringLiteral("&Next"),
                       QKeySequence(Qt::Key_F6));
    mnuLast = menuItem(mnuPlan, QStringLiteral("mnuLast"), QStringLiteral("&Last"),
                       QKeySequence(Qt::Key_F8));

    // Insert and Format: pictures.
    mnuInsert = submenu(nullptr, bar, QStringLiteral("mnuInsert"), QStringLiteral("&Insert"));
    mnuInsertPicture =
        menuItem(mnuInsert, QStringLiteral("mnuInsertPicture"), QStringLiteral("&Picture..."));
    mnuFormat = submenu(nullptr, bar, QStringLiteral("mnuFormat"), QStringLiteral("F&ormat"));
    mnuFormatPicture =
        menuItem(mnuFormat, QStringLiteral("mnuFormatPicture"), QStringLiteral("&Picture..."));

    // Table.
    Table1 = submenu(nullptr, bar, QStringLiteral("Table1"), QStringLiteral("&Table"));
    InsertTable1 =
        menuItem(Table1, QStringLiteral("InsertTable1"), QStringLiteral("&Insert Table"));
    InsertRow1 = menuItem(Table1, QStringLiteral("InsertRow1"), QStringLiteral("I&nsert Row"));
    DeleteCells1 =
        menuItem(Table1, QStringLiteral("DeleteCells1"), QStringLiteral("&Delete Cells"));
    MergeCells1 = menuItem(Table1, QStringLiteral("MergeCells1"), QStringLiteral("&Merge Cells"));
    SplitCells1 = menuItem(Table1, QStringLiteral("SplitCells1"), QStringLiteral("S&plit Cells"));
    separator(Table1, QStringLiteral("N12"));
    SelectRow1 = menuItem(Table1, QStringLiteral("SelectRow1"), QStringLiteral("Select &Row"));
    SelectTable1 =
        menuItem(Table1, QStringLiteral("SelectTable1"), QStringLiteral("Select &Table"));
    separator(Table1, QStringLiteral("N13"));
    CellHeightandWidth1 = menuItem(Table1, QStringLiteral("CellHeightandWidth1"),
                                   QStringLiteral("Cell &Height and Width"));
    ConvertTexttoTable1 = menuItem(Table1, QStringLiteral("ConvertTexttoTable1"),
                                   QStringLiteral("Con&vert Text to Table"));
    Borders1 = menuItem(Table1, QStringLiteral("Borders1"), QStringLiteral("&Borders"));

    // Budget: shown only while the budget section is.
    mnuCashflow = submenu(nullptr, bar, QStringLiteral("mnuCashflow"), QStringLiteral("&Budget"));
    Protection1 =
        menuItem(mnuCashflow, QStringLiteral("Protection1"), QStringLiteral("&Protection"));
    LockRowsColumns1 = menuItem(mnuCashflow, QStringLiteral("LockRowsColumns1"),
                                QStringLiteral("Lock &Rows && Columns"));
    Protection1->setCheckable(true);
    LockRowsColumns1->setCheckable(true);
    ModifyCashflowDetails1 = menuItem(mnuCashflow, QStringLiteral("ModifyCashflowDetails1"),
                                      QStringLiteral("&Modify Budget Details..."));
    LoadNewTemplate1 = menuItem(mnuCashflow, QStringLiteral("LoadNewTemplate1"),
                                QStringLiteral("&Load New Template"));
    mnuCashflow->menuAction()->setVisible(false);

    // Help.
    mnuHelp = submenu(nullptr, bar, QStringLiteral("mnuHelp"), QStringLiteral("&Help"));
    HelpTopics2 = menuItem(mnuHelp, QStringLiteral("HelpTopics2"), QStringLiteral("&Help Topics"));
    TandelonthWeb1 =
        menuItem(mnuHelp, QStringLiteral("TandelonthWeb1"), QStringLiteral("&Tandel on the Web"));
    separator(mnuHelp, QStringLiteral("N14"));
    About1 =
        menuItem(mnuHelp, QStringLiteral("About1"), QStringLiteral("&About Zurozurov Irod..."));

    // The text's and the budget's popup menu.
    mnupopup = new QMenu(this);
    mnupopup->setObjectName(QStringLiteral("mnupopup"));
    Undo1 = menuItem(mnupopup, QStringLiteral("Undo1"), QStringLiteral("&Undo"));
    N6 = separator(mnupopup, QStringLiteral("N6"));
    Cut1 = menuItem(mnupopup, QStringLiteral("Cut1"), QStringLiteral("Cu&t"));
    Copy1 = menuItem(mnupopup, QStringLiteral("Copy1"), QStringLiteral("&Copy"));
    Paste1 = menuItem(mnupopup, QStringLiteral("Paste1"), QStringLiteral("&Paste"));
    DeleteRow1 = menuItem(mnupopup, QStringLiteral("DeleteRow1"), QStringLiteral("Delete &Row"));
    // The shortcut is shown as a reminder; the sheet handles the key while it has focus.
    DeleteRow1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    DeleteRow1->setShortcutContext(Qt::WidgetShortcut);
    DeleteRow1->setVisible(false);
    N8 = separator(mnupopup, QStringLiteral("N8"));
    InsertDate1 = menuItem(mnupopup, QStringLiteral("InsertDate1"), QStringLiteral("&Insert Date"));

    // Routing.
    connect(mnuNew, &QAction::triggered, this, &TfrmEdit::mnuNewClick);
    connect(Open2, &QAction::triggered, this, &TfrmEdit::Open2Click);
    connect(mnuSave, &QAction::triggered, this, &TfrmEdit::mnuSaveClick);
    connect(Plan1, &QAction::triggered, this, &TfrmEdit::Plan1Click);
    connect(Cashflow1, &QAction::triggered, this, &TfrmEdit::Cashflow1Click);
    connect(mnuPrint, &QAction::triggered, this, &TfrmEdit::cmdPrintAllClick);
    connect(Print1, &QAction::triggered, this, &TfrmEdit::cmdPrintClick);
    connect(Preview1, &QAction::triggered, this, &TfrmEdit::Preview1Click);
    connect(Print2, &QAction::triggered, this, &TfrmEdit::cmdPrintSpreadClick);
    connect(Preview3, &QAction::triggered, this, &TfrmEdit::Preview3Click);
    connect(mnuPageSetup, &QAction::triggered, this, &TfrmEdit::mnuPageSetupClick);
    connect(PrinterSetup1, &QAction::triggered, this, &TfrmEdit::PrinterSetup1Click);
    connect(mnuExit, &QAction::triggered, this, &TfrmEdit::mnuExitClick);

    connect(mnuUndo, &QAction::triggered, this, &TfrmEdit::cmdUndoClick);
    connect(mnuRedo, &QAction::triggered, this, [this] { m_editing->cmdRedoClick(); });
    connect(mnuCut, &QAction::triggered, this, &TfrmEdit::cmdCutClick);
    connect(mnuCopy, &QAction::triggered, this, &TfrmEdit::cmdCopyClick);
    connect(mnuPaste, &QAction::triggered, this, &TfrmEdit::cmdPasteClick);
    connect(mnuSelectAll, &QAction::triggered, this, &TfrmEdit::mnuSelectAllClick);
    connect(mnuFind, &QAction::triggered, this, &TfrmEdit::mnuFindClick);
    connect(mnuReplace, &QAction::triggered, this, &TfrmEdit::mnuReplaceClick);
    connect(mnuFont, &QAction::triggered, this, &TfrmEdit::mnuFontClick);
    connect(SpellCheck1, &QAction::triggered, this, &TfrmEdit::cmdSpellClick);
    connect(InsertDate2, &QAction::triggered, this, &TfrmEdit::InsertDate2Click);
    connect(Bold1, &QAction::triggered, this, &TfrmEdit::Bold1Click);
    connect(Underline1, &QAction::triggered, this, &TfrmEdit::Underline1Click);
    connect(Italic1, &QAction::triggered, this, &TfrmEdit::Italic1Click);
    connect(AlignLeft1, &QAction::triggered, this, &TfrmEdit::AlignLeft1Click);
    connect(AlignCenter1, &QAction::triggered, this, &TfrmEdit::AlignCenter1Click);
    connect(AlignRight1, &QAction::triggered, this, &TfrmEdit::AlignRight1Click);
    connect(AlignJustify1, &QAction::triggered, this, &TfrmEdit::AlignJustify1Click);

    connect(mnuStandard, &QAction::triggered, this, &TfrmEdit::mnuStandardClick);
    connect(mnuFormatting, &QAction::triggered, this, &TfrmEdit::mnuFormattingClick);
    connect(mnuBuilder, &QAction::triggered, this, &TfrmEdit::mnuBuilderClick);
    connect(mnuStatusbar, &QAction::triggered, this, &TfrmEdit::mnuStatusbarClick);
    connect(mnuWordWrap, &QAction::triggered, this, [this] {
        // The handler flips the mark itself; undo the action's own flip first.
        mnuWordWrap->setChecked(!mnuWordWrap->isChecked());
        mnuWordWrapClick();
    });
    connect(mnuNavigator, &QAction::triggered, this, &TfrmEdit::mnuNavigatorClick);
    connect(mnuOptions, &QAction::triggered, this, &TfrmEdit::mnuOptionsClick);

    connect(mnuFirst, &QAction::triggered, this, &TfrmEdit::btnFirstClick);
    connect(mnuPrevious, &QAction::triggered, this, &TfrmEdit::btnPriorClick);
    connect(mnuNext, &QAction::triggered, this, &TfrmEdit::btnNextClick);
    connect(mnuLast, &QAction::triggered, this, &TfrmEdit::btnLastClick);
    mnuFirst->setEnabled(false);
    mnuPrevious->setEnabled(false);

    connect(InsertTable1, &QAction::triggered, this, &TfrmEdit::InsertTable1Click);
    PictureCommands::attach(ATX321);
    connect(mnuInsertPicture, &QAction::triggered, this, [this] {
        if (PictureCommands::insertPicture(ATX321, this)) PlanModified = true;
    });
    connect(mnuFormatPicture, &QAction::triggered, this, [this] {
        // Made on first use: not one of the windows the start-up makes.
        if (!dlgPicture) dlgPicture = new TdlgPicture(this);
        if (PictureCommands::formatPicture(ATX321, dlgPicture)) PlanModified = true;
    });
    connect(InsertRow1, &QAction::triggered, this, &TfrmEdit::InsertRow1Click);
    connect(DeleteCells1, &QAction::triggered, this, &TfrmEdit::DeleteCells1Click);
    connect(MergeCells1, &QAction::triggered, this, &TfrmEdit::MergeCells1Click);
    connect(SplitCells1, &QAction::triggered, this, &TfrmEdit::SplitCells1Click);
    connect(SelectRow1, &QAction::triggered, this, &TfrmEdit::SelectRow1Click);
    connect(SelectTable1, &QAction::triggered, this, &TfrmEdit::SelectTable1Click);
    connect(CellHeightandWidth1, &QAction::triggered, this, &TfrmEdit::CellHeightandWidth1Click);
    connect(ConvertTexttoTable1, &QAction::triggered, this, &TfrmEdit::ConvertTexttoTable1Click);
    connect(Borders1, &QAction::triggered, this, &TfrmEdit::Borders1Click);

    // Both handlers set their own check mark; undo the action's own flip first.
    connect(Protection1, &QAction::triggered, this, [this] {
        Protection1->setChecked(!Protection1->isChecked());
        Protection1Click();
    });
    connect(LockRowsColumns1, &QAction::triggered, this, [this] {
        LockRowsColumns1->setChecked(!LockRowsColumns1->isChecked());
        LockRowsColumns1Click();
    });
    connect(ModifyCashflowDetails1, &QAction::triggered, this,
            &TfrmEdit::ModifyCashflowDetails1Click);
    connect(LoadNewTemplate1, &QAction::triggered, this, &TfrmEdit::LoadNewTemplate1Click);

    connect(HelpTopics2, &QAction::triggered, this, &TfrmEdit::HelpTopics2Click);
    connect(TandelonthWeb1, &QAction::triggered, this, &TfrmEdit::TandelonthWeb1Click);
    connect(About1, &QAction::triggered, this, &TfrmEdit::About1Click);

    connect(Undo1, &QAction::triggered, this, &TfrmEdit::cmdUndoClick);
    connect(Cut1, &QAction::triggered, this, &TfrmEdit::cmdCutClick);
    connect(Copy1, &QAction::triggered, this, &TfrmEdit::cmdCopyClick);
    connect(Paste1, &QAction::triggered, this, &TfrmEdit::cmdPasteClick);
    connect(DeleteRow1, &QAction::triggered, this, &TfrmEdit::DeleteRow1Click);
    connect(InsertDate1, &QAction::triggered, this, [this] { m_editing->InsertDate1Click(); });
}

// --- States, caption, keytexts ----------------------------------------------------------

void TfrmEdit::SetPlanControls(bool on) {
    m_planControlsOn = on;
    // With no plan open the budget and its menu are not shown.
    if (!on && m_navigator) m_navigator->ShowBudgetView(false);
    for (QWidget* w : std::initializer_list<QWidget*>{
             cmdeg,    cmdCal,     cmdSave,    cmdPrint,  cmdPrintAll, cmdPrintSpread,
             cmdSpell, cmdCut,     cmdCopy,    cmdPaste,  cmdFind,     cmdUndo,
             cmdBold,  cmdItalic,  cmdUnder,   cmdColour, cmdLeft,     cmdCenter,
             cmdRight, cmdJustify, cmdHideNav, cmbFont,   cmbFontSize, docBuilder})
        w->setEnabled(on);
    for (QAction* a : std::initializer_list<QAction*>{mnuPageSetup,
                                                      mnuFirst,
                                                      mnuPrevious,
                                                      mnuNext,
                                                      mnuLast,
                                                      mnuKeytext->menuAction(),
                                                      InsertDate2,
                                                      mnuReplace,
                                                      mnuCut,
                                                      mnuCopy,
                                                      mnuPaste,
                                                      mnuSelectAll,
                                                      mnuUndo,
                                                      mnuRedo,
                                                      mnuFind,
                                                      mnuFont,
                                                      mnuToolbars->menuAction(),
                                                      mnuStatusbar,
                                                      mnuWordWrap,
                                                      mnuSave,
                                                      mnuExport->menuAction(),
                                                      mnuPrint,
                                                      mnuPrintPlan->menuAction(),
                                                      mnuPrintBudget->menuAction(),
                                                      mnuNavigator,
                                                      SpellCheck1})
        a->setEnabled(on);
    Table1->menuAction()->setVisible(on);
    for (QMenu* m : {mnuInsert, mnuFormat})
        m->menuAction()->setVisible(on);
    if (m_planCheck) m_planCheck->SetPlanOpen(on);
}

void TfrmEdit::SetPlanCaption(const QString& planName) {
    setWindowTitle(ApplicationTitle() + QStringLiteral(" [") + planName + QStringLiteral("]"));
}

void TfrmEdit::SetKeytexts(const QStringList& texts) {
    for (int i = 0; i < 10; ++i) {
        const QString text = i < texts.size() ? texts.at(i) : QString();
        QAction* item = mnuKeytextItems[i];
        if (text.trimmed().isEmpty()) {
            item->setVisible(false);
        } else {
            item->setText(text);
            item->setVisible(true);
        }
    }
}

QString TfrmEdit::KeytextCaption(int index) const {
    if (index < 0 || index > 9) return {};
    return mnuKeytextItems[index]->text();
}

void TfrmEdit::SetNavigatorShown(bool shown) {
    Panel1->setVisible(shown);
    mnuNavigator->setChecked(shown);
    cmdHideNav->setChecked(shown);
    JPSplitter2->setThickness(shown ? 7 : 0);
}

void TfrmEdit::Panel4Resize() {
    if (!ATX322) return;
    const double ppi = logicalDpiX() > 0 ? logicalDpiX() : 96;
    ATX322->setDocWidth(twipsFromPixels(Panel4->width() - kGuidanceWidthAllowance, ppi));
}

// --- View toggles -----------------------------------------------------------------------

void TfrmEdit::placeToolbarsInOrder() {
    // The standard toolbar sits on top, then the formatting toolbar, then the builder's.
    m_toolArea->removeWidget(docStandard);
    m_toolArea->removeWidget(docFormatting);
    m_toolArea->removeWidget(docBuilder);
    m_toolArea->insertWidget(0, docStandard);
    m_toolArea->insertWidget(1, docFormatting);
    m_toolArea->insertWidget(2, docBuilder);
}

void TfrmEdit::mnuStandardClick() {
    RepaintLock lock(this);
    docStandard->setVisible(docStandard->isHidden());
    placeToolbarsInOrder();
}

void TfrmEdit::mnuFormattingClick() {
    RepaintLock lock(this);
    docFormatting->setVisible(docFormatting->isHidden());
    placeToolbarsInOrder();
}

void TfrmEdit::mnuBuilderClick() {
    RepaintLock lock(this);
    docBuilder->setVisible(docBuilder->isHidden());
}

void TfrmEdit::OfferBuilder() {
    if (!mnuToolbars->actions().contains(mnuBuilder)) mnuToolbars->addAction(mnuBuilder);
    docBuilder->show();
}

void TfrmEdit::mnuStatusbarClick() {
    RepaintLock lock(this);
    Statusbar1->setVisible(Statusbar1->isHidden());
    mnuStatusbar->setChecked(!Statusbar1->isHidden());
}

void TfrmEdit::mnuWordWrapClick() {
    // Only the mark changes here; the page width is laid out again as it was.
    mnuWordWrap->setChecked(!mnuWordWrap->isChecked());
    m_editing->PageWidth();
}

void TfrmEdit::cmdHideNavClick() {
    RepaintLock lock(this);
    SetNavigatorShown(Panel1->isHidden());
}

void TfrmEdit::mnuNavigatorClick() {
    cmdHideNavClick();
}

void TfrmEdit::mnuOptionsClick() {
    if (frmCust) frmCust->exec();
}

void TfrmEdit::Bold1Click() {
    cmdBold->setChecked(!cmdBold->isChecked());
    cmdBoldClick();
}

void TfrmEdit::Underline1Click() {
    cmdUnder->setChecked(!cmdUnder->isChecked());
    cmdUnderClick();
}

void TfrmEdit::Italic1Click() {
    cmdItalic->setChecked(!cmdItalic->isChecked());
    cmdItalicClick();
}

void TfrmEdit::AlignLeft1Click() {
    cmdLeft->setChecked(!cmdLeft->isChecked());
    cmdLeftClick();
}

void TfrmEdit::AlignCenter1Click() {
    cmdCenter->setChecked(!cmdCenter->isChecked());
    cmdCenterClick();
}

void TfrmEdit::AlignRight1Click() {
    cmdRight->setChecked(!cmdRight->isChecked());
    cmdRightClick();
}

void TfrmEdit::AlignJustify1Click() {
    cmdJustify->setChecked(!cmdJustify->isChecked());
    cmdJustifyClick();
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

// --- Commands of later subsystems -------------------------------------------------------

void TfrmEdit::Open2Click() {
    m_lifecycle->Open2Click();
}
void TfrmEdit::mnuNewClick() {
    m_lifecycle->mnuNewClick();
}
void TfrmEdit::mnuSaveClick() {
    m_lifecycle->mnuSaveClick();
}
void TfrmEdit::BuildNav() {
    m_navigator->BuildNav();
}
void TfrmEdit::Outline1Click() {
    m_navigator->Outline1Click();
}
void TfrmEdit::btnFirstClick() {
    m_navigator->btnFirstClick();
}
void TfrmEdit::btnPriorClick() {
    m_navigator->btnPriorClick();
}
void TfrmEdit::btnNextClick() {
    m_navigator->btnNextClick();
}
void TfrmEdit::btnLastClick() {
    m_navigator->btnLastClick();
}
void TfrmEdit::ExplorerButton7Click() {
    m_navigator->ExplorerButton7Click();
}
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
void TfrmEdit::cmdUndoClick() {
    m_editing->cmdUndoClick();
}
void TfrmEdit::cmdCutClick() {
    m_editing->cmdCutClick();
}
void TfrmEdit::cmdCopyClick() {
    m_editing->cmdCopyClick();
}
void TfrmEdit::cmdPasteClick() {
    m_editing->cmdPasteClick();
}
void TfrmEdit::mnuSelectAllClick() {
    m_editing->mnuSelectAllClick();
}
void TfrmEdit::mnuFindClick() {
    m_editing->mnuFindClick();
}
void TfrmEdit::mnuReplaceClick() {
    m_editing->mnuReplaceClick();
}
void TfrmEdit::mnuFontClick() {
    m_editing->mnuFontClick();
}
void TfrmEdit::cmdSpellClick() {
    m_editing->cmdSpellClick();
}
void TfrmEdit::cmdCalClick() {
    m_editing->cmdCalClick();
}
void TfrmEdit::InsertDate2Click() {
    m_editing->InsertDate2Click();
}
void TfrmEdit::mnuKeytextClick(int index) {
    m_editing->mnuKeytextClick(index);
}
void TfrmEdit::cmdBoldClick() {
    m_editing->cmdBoldClick();
}
void TfrmEdit::cmdItalicClick() {
    m_editing->cmdItalicClick();
}
void TfrmEdit::cmdUnderClick() {
    m_editing->cmdUnderClick();
}
void TfrmEdit::cmdLeftClick() {
    m_editing->cmdLeftClick();
}
void TfrmEdit::cmdCenterClick() {
    m_editing->cmdCenterClick();
}
void TfrmEdit::cmdRightClick() {
    m_editing->cmdRightClick();
}
void TfrmEdit::cmdJustifyClick() {
    m_editing->cmdJustifyClick();
}
void TfrmEdit::cmdColourClick() {
    m_editing->cmdColourClick();
}
void TfrmEdit::cmbFontClick() {
    m_editing->cmbFontClick();
}
void TfrmEdit::cmbFontSizeClick() {
    m_editing->cmbFontSizeClick();
}
bool TfrmEdit::FormKeyPreview(QKeyEvent* event) {
    return m_editing->FormKeyPreview(event);
}
void TfrmEdit::InsertTable1Click() {
    if (TableCommands::insertTable(ATX321, frminserttbl))
        PlanModified = true;
}
void TfrmEdit::InsertRow1Click() {
    if (TableCommands::insertRow(ATX321))
        PlanModified = true;
}
void TfrmEdit::DeleteCells1Click() {
    if (TableCommands::deleteCells(ATX321))
        PlanModified = true;
}
void TfrmEdit::MergeCells1Click() {
    if (TableCommands::mergeCells(ATX321))
        PlanModified = true;
}
void TfrmEdit::SplitCells1Click() {
    if (TableCommands::splitCells(ATX321, splitcelllsdlg))
        PlanModified = true;
}
void TfrmEdit::SelectRow1Click() {
    TableCommands::selectRow(ATX321);
}
void TfrmEdit::SelectTable1Click() {
    TableCommands::selectTable(ATX321);
}
void TfrmEdit::CellHeightandWidth1Click() {
    if (TableCommands::cellHeightAndWidth(ATX321, cellsdlg))
        PlanModified = true;
}
void TfrmEdit::ConvertTexttoTable1Click() {
    if (TableCommands::convertTextToTable(ATX321))
        PlanModified = true;
}
void TfrmEdit::Borders1Click() {
    if (TableCommands::borders(ATX321, dlgborder))
        PlanModified = true;
}
void TfrmEdit::Protection1Click() {
    m_budget->Protection1Click();
}
void TfrmEdit::LockRowsColumns1Click() {
    m_budget->LockRowsColumns1Click();
}
void TfrmEdit::ModifyCashflowDetails1Click() {
    m_budget->ModifyCashflowDetails1Click();
}
void TfrmEdit::LoadNewTemplate1Click() {
    m_budget->LoadNewTemplate1Click();
}
void TfrmEdit::DeleteRow1Click() {
    m_budget->DeleteRow1Click();
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
    links.sections = [this] {
        QList<PdfSection> sections;
        for (int n = 1; n <= m_navigator->itemCount(); ++n) {
            PdfSection s;
            s.title = m_navigator->itemText(n);
            for (QModelIndex i = m_navigator->indexOf(n).parent(); i.isValid(); i = i.parent())
                ++s.depth;
            s.tag = Navigator::sectionTagOf(n);
            s.budget = s.title == Navigator::budgetItemText();
            sections << s;
        }
        return sections;
    };
    links.info = [this] {
        const auto details = Catalogue().details(CurrentPlanName);
        return ExportCommands::planInfo(CurrentPlanName, details.value("author"),
                                        details.value("coname"));
    };
    m_export = std::make_unique<ExportCommands>(std::move(links));
}

void TfrmEdit::buildBudget() {
    BudgetWidgets b;
    b.pnlSpread = pnlSpread;
    b.textPanel = Panel6;
    b.pnlPointer = pnlPointer;
    b.Pointer = Pointer;
    // Example stays on the toolbar: the budget section has a worked example of its own,
    // each business's budget in this sheet.
    b.textTools = {cmdCal, cmdFind, cmdUndo, cmdSpell, Bevel3, Bevel5};
    b.textItems = {SpellCheck1, mnuKeytext->menuAction(), mnuReplace, mnuFind,
                   mnuUndo,     mnuSelectAll,             InsertDate2, Table1->menuAction(),
                   N3,          N4,                       N9,          Undo1,
                   InsertDate1, N6,                       N8,
                   mnuInsert->menuAction(), mnuFormat->menuAction()};
    b.mnuCashflow = mnuCashflow->menuAction();
    b.Protection1 = Protection1;
    b.LockRowsColumns1 = LockRowsColumns1;
    b.DeleteRow1 = DeleteRow1;
    b.mnupopup = mnupopup;
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
    BuildNav();
    readSettings();
    pumpMessages();

    SetSpellDictionaries();
    NavigatorGuard = false;
    for (TextControl* t : {ATX321, ATX322}) {
        t->setBorderStyle(0);
        t->setF3ON(0);
        t->setF2ON(0);
    }
    fillFontList();
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

    // A stored 0 brings back the normal geometry; no key at all, or a 2, maximizes.
    if (ini.readInteger(MainSection, "WindowState", 0) == 0) {
        setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
        move(ini.readInteger(MainSection, "WindowLeft", 0),
             ini.readInteger(MainSection, "Windowtop", 0));
        resize(ini.readInteger(MainSection, "Windowwidth", DefaultWindowWidth),
               ini.readInteger(MainSection, "Windowheight", DefaultWindowHeight));
    }
    if (ini.readInteger(MainSection, "WindowState", 2) == 2)
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);

    JPSplitter1->setPanelSize(ini.readInteger(MainSection, "Divider1", DefaultDivider1));
    Panel1->setFixedHeight(
        std::max(ini.readInteger(MainSection, "Divider2", MinimumDivider2), MinimumDivider2));

    const bool standard = ini.readInteger(MainSection, "Toolbar1", 1) == 1;
    docStandard->setVisible(standard);
    mnuStandard->setChecked(standard);
    const bool formatting = ini.readInteger(MainSection, "Toolbar2", 1) == 1;
    docFormatting->setVisible(formatting);
    mnuFormatting->setChecked(formatting);
    const bool status = ini.readInteger(MainSection, "status", 1) == 1;
    Statusbar1->setVisible(status);
    mnuStatusbar->setChecked(status);
    SetNavigatorShown(ini.readInteger(MainSection, "navigator", 1) == 1);

    WebHomePage = ini.readString(WebSection, "Home", DefaultHomePage);
    WebLauncher = ini.readString(WebSection, "exe", DefaultLauncher);

    QStringList keytexts;
    for (int i = 0; i < 10; ++i)
        keytexts << ini.readString(MainSection, keytextKey(i));
    SetKeytexts(keytexts);
}

void TfrmEdit::fillFontList() {
    // A family that several foundries supply is listed once, by its plain name.
    QStringList families;
    for (const QString& family : QFontDatabase::families()) {
        if (QFontDatabase::isPrivateFamily(family)) continue;
        const qsizetype foundry = family.indexOf(QStringLiteral(" ["));
        families << (foundry > 0 ? family.left(foundry) : family);
    }
    families.removeDuplicates();
    std::sort(families.begin(), families.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    cmbFont->clear();
    cmbFont->addItems(families);
    // Nothing is shown until the caret is in a plan.
    cmbFont->setCurrentIndex(-1);
    cmbFontSize->setCurrentIndex(-1);
}

void TfrmEdit::loadStartupTexts() {
    const QString plan = Folders::resolve(Folders::shippedDataFolder() + QStringLiteral("startup.plt"));
    ATX321->setFileName(plan);
    ATX321->setDataType(TextControl::NativeRtf);
    ATX321->setFileLoad(1);
    ATX321->setEnabled(true);
    ATX321->setTagReadSelect(0);

    if (QLayout* l = centralWidget()->layout()) l->activate();

    Panel4Resize();
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
        mnuSaveClick();
        // A save that did not succeed leaves the plan modified: keep the window open
        // rather than lose the changes.
        return !PlanModified;
    }
    // The user drops the changes: so does the recovery copy.
    if (answer == mrNo) m_autoSave->dropCopy();
    return answer == mrNo;
}

void TfrmEdit::FormClose() {
    using namespace Settings;
    // A minimized or maximized window is stored with the size it returns to.
    const bool maximized = isMaximized() && !isMinimized();
    QRect frame = frameGeometry();
    QRect client = geometry();
    if (isMinimized() || isMaximized()) {
        const QRect normal = normalGeometry();
        if (normal.isValid()) {
            frame.moveTopLeft(normal.topLeft() - (client.topLeft() - frame.topLeft()));
            client = normal;
        }
    }
    try {
        IniFile ini(Folders::settingsFile());
        ini.beginBatch();
        ini.writeInteger(MainSection, "WindowLeft", frame.x());
        ini.writeInteger(MainSection, "WindowTop", frame.y());
        ini.writeInteger(MainSection, "WindowWidth", client.width());
        ini.writeInteger(MainSection, "WindowHeight", client.height());
        ini.writeInteger(MainSection, "Divider1", Panel3->width());
        ini.writeInteger(MainSection, "Divider2", Panel1->height());
        ini.writeInteger(MainSection, "Toolbar1", docStandard->isHidden() ? 0 : 1);
        ini.writeInteger(MainSection, "Toolbar2", docFormatting->isHidden() ? 0 : 1);
        ini.writeInteger(MainSection, "status", Statusbar1->isHidden() ? 0 : 1);
        ini.writeInteger(MainSection, "navigator", Panel1->isHidden() ? 0 : 1);
        ini.writeInteger(MainSection, "WindowState", maximized ? 2 : 0);
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
    if (watched == Panel4 && event->type() == QEvent::Resize) {
        Panel4Resize();
        return false;
    }
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        // A key travels up to the parents when its widget ignores it; look at it once.
        if (w->window() == this && w == QApplication::focusWidget())
            return FormKeyPreview(static_cast<QKeyEvent*>(event));
    }
    return QMainWindow::eventFilter(watched, event);
}
