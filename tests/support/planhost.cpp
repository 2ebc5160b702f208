#include "support/planhost.h"

#include "controls/sheet/sheetcontrol.h"
#include "controls/speller/speller.h"
#include "controls/text/textcontrol.h"
#include "plans/openfrm.h"
#include "widgets/ruler.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>

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

QToolButton* button(const QString& name, QWidget* parent, bool checkable = true) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setCheckable(checkable);
    return b;
}

} // namespace

PlanHost::PlanHost() : m_window(std::make_unique<QWidget>()) {
    QWidget* w = m_window.get();
    w->setObjectName(QStringLiteral("host"));
    auto* column = bareLayout<QVBoxLayout>(w);

    // The formatting widgets the navigator and the commands keep in step.
    auto* bar = panel(QStringLiteral("docFormatting"), w);
    auto* barRow = bareLayout<QHBoxLayout>(bar);
    nav.cmbFont = new QComboBox(bar);
    nav.cmbFont->setObjectName(QStringLiteral("cmbFont"));
    nav.cmbFontSize = new QComboBox(bar);
    nav.cmbFontSize->setObjectName(QStringLiteral("cmbFontSize"));
    nav.cmbFontSize->setEditable(true);
    nav.cmbFontSize->addItems({"8", "10", "12", "14", "24"});
    auto* bold = button(QStringLiteral("cmdBold"), bar);
    auto* italic = button(QStringLiteral("cmdItalic"), bar);
    auto* under = button(QStringLiteral("cmdUnder"), bar);
    auto* left = button(QStringLiteral("cmdLeft"), bar);
    auto* centre = button(QStringLiteral("cmdCenter"), bar);
    auto* right = button(QStringLiteral("cmdRight"), bar);
    auto* justify = button(QStringLiteral("cmdJustify"), bar);
    cmdColour = button(QStringLiteral("cmdColour"), bar, false);
    cmdCal = button(QStringLiteral("cmdCal"), bar, false);
    for (QWidget* b :
         std::initializer_list<QWidget*>{nav.cmbFont, nav.cmbFontSize, bold, italic, under, left,
                                         centre, right, justify, cmdColour, cmdCal})
        barRow->addWidget(b);
    nav.cmdBold = bold;
    nav.cmdItalic = italic;
    nav.cmdUnder = under;
    nav.cmdLeft = left;
    nav.cmdCenter = centre;
    nav.cmdRight = right;
    nav.cmdJustify = justify;
    column->addWidget(bar);

    PanelAll = panel(QStringLiteral("PanelAll"), w);
    auto* all = bareLayout<QVBoxLayout>(PanelAll);
    Navigator::buildPanel(nav, PanelAll);
    nav.Panel1->setFixedHeight(150);
    all->addWidget(nav.Panel1);

    auto* Panel2 = panel(QStringLiteral("Panel2"), PanelAll);
    auto* planRow = bareLayout<QHBoxLayout>(Panel2);
    nav.pnlPointer = panel(QStringLiteral("pnlPointer"), Panel2);
    nav.pnlPointer->setFixedWidth(11);
    auto* pointer = new QToolButton(nav.pnlPointer);
    pointer->setObjectName(QStringLiteral("Pointer"));
    pointer->setGeometry(0, 17, 10, 20);
    nav.Pointer = pointer;
    planRow->addWidget(nav.pnlPointer);
    Panel6 = panel(QStringLiteral("Panel6"), Panel2);
    auto* textColumn = bareLayout<QVBoxLayout>(Panel6);
    nav.rulMain = new Ruler(Panel6);
    textColumn->addWidget(nav.rulMain);
    nav.ATX321 = new TextControl(Panel6);
    nav.ATX321->setObjectName(QStringLiteral("ATX321"));
    textColumn->addWidget(nav.ATX321, 1);
    planRow->addWidget(Panel6, 1);
    pnlSpread = panel(QStringLiteral("pnlSpread"), Panel2);
    pnlSpread->setVisible(false);
    spread = new SheetControl(pnlSpread);
    spread->setObjectName(QStringLiteral("spread"));
    planRow->addWidget(pnlSpread, 1);
    all->addWidget(Panel2, 1);
    column->addWidget(PanelAll, 1);

    for (auto** item : {&nav.mnuFirst, &nav.mnuPrevious, &nav.mnuNext, &nav.mnuLast})
        *item = new QAction(w);
    mnupopup = new QMenu(w);
    DeleteRow1 = mnupopup->addAction(QStringLiteral("Delete &Row"));
    auto* chkAuto = new QCheckBox(PanelAll);
    chkAuto->setChecked(true);
    chkAuto->setVisible(false);
    Spell = new Speller(w);

    nav.window = w;
    nav.editingArea = PanelAll;

    BudgetWidgets b;
    b.pnlSpread = pnlSpread;
    b.textPanel = Panel6;
    b.pnlPointer = nav.pnlPointer;
    b.Pointer = nav.Pointer;
    // The Budget menu's own item and its two check marks.
    b.mnuCashflow = new QAction(QStringLiteral("&Budget"), w);
    b.mnuCashflow->setVisible(false);
    b.Protection1 = new QAction(QStringLiteral("&Protection"), w);
    b.Protection1->setCheckable(true);
    b.LockRowsColumns1 = new QAction(QStringLiteral("Lock &Rows && Columns"), w);
    b.LockRowsColumns1->setCheckable(true);
    b.mnupopup = mnupopup;
    b.DeleteRow1 = DeleteRow1;
    b.cmdBold = bold;
    b.cmdItalic = italic;
    b.cmdUnder = under;
    b.cmdLeft = left;
    b.cmdCenter = centre;
    b.cmdRight = right;
    b.cmdJustify = justify;
    b.cmbFont = nav.cmbFont;
    b.cmbFontSize = nav.cmbFontSize;

    navigator = std::make_unique<Navigator>(
        nav, NavigatorLinks{[this](bool shown) { budget->ShowBudgetView(shown); },
                            [] { return QStringLiteral("Test plan"); },
                            [this] { state.PlanModified = true; }});
    lifecycle = std::make_unique<PlanLifecycle>(
        LifecycleWidgets{w, PanelAll, nav.ATX321, nav.ATX322, nav.rulMain, nav.Outline1},
        LifecycleLinks{navigator.get(), [this] { return autoSave.get(); },
                       [this] { return budget.get(); }, [](bool) {},
                       [w](const QString& name) { w->setWindowTitle(name); },
                       [] { return static_cast<Tfrmopen*>(nullptr); }},
        state);

    EditWidgets e;
    e.window = w;
    e.ATX321 = nav.ATX321;
    e.ATX322 = nav.ATX322;
    e.spread = spread;
    e.rulMain = nav.rulMain;
    e.Panel6 = Panel6;
    e.Spell = Spell;
    e.chkAuto = chkAuto;
    e.cmbFont = nav.cmbFont;
    e.cmbFontSize = nav.cmbFontSize;
    e.cmdBold = bold;
    e.cmdItalic = italic;
    e.cmdUnder = under;
    e.cmdLeft = left;
    e.cmdCenter = centre;
    e.cmdRight = right;
    e.cmdJustify = justify;
    e.cmdColour = cmdColour;
    e.cmdCal = cmdCal;
    e.toolbars = {bar};
    e.belowMenus = bar;
    e.mnupopup = mnupopup;
    e.DeleteRow1 = DeleteRow1;
    editing = std::make_unique<EditCommands>(
        e,
        EditLinks{navigator.get(),
                  [this](const QString& text) { budget->TypeIntoActiveCell(text); }, [] {}, [] {},
                  [this] { lifecycle->mnuSaveClick(); }, [] {},
                  [] { return static_cast<TfrmCal*>(nullptr); },
                  [] { return static_cast<TfrmDic*>(nullptr); },
                  [] { return static_cast<Tfrmtextcolour*>(nullptr); }},
        state);

    budget = std::make_unique<BudgetView>(*spread, b);
    budget->onModified = [this] {
        state.PlanModified = true;
        autoSave->changed();
    };
    autoSave =
        std::make_unique<AutoSave>(*nav.ATX321, *spread,
                                   AutoSave::Source{[this] { return lifecycle->planLoaded(); },
                                                    [this] { return state.PlanModified; },
                                                    [this] {
                                                        PlanPageSettings page;
                                                        page.left = state.PlanMargins.Left;
                                                        page.right = state.PlanMargins.Right;
                                                        page.top = state.PlanMargins.Top;
                                                        page.bottom = state.PlanMargins.Bottom;
                                                        page.paperSize = lifecycle->PaperSize();
                                                        page.orientation = lifecycle->Orientation();
                                                        return page;
                                                    }});
    QObject::connect(nav.ATX321, &TextControl::OnATXChange, autoSave.get(), &AutoSave::changed);
    nav.ATX321->setBackColor(0xFFFFFF);
}

PlanHost::~PlanHost() {
    // The commands and the copies go before the widgets they watch.
    editing.reset();
    autoSave.reset();
}
