#include "editor/editcommands.h"

#include "controls/sheet/sheetcontrol.h"
#include "controls/text/textcontrol.h"
#include "dialogs/dialogfrm.h"
#include "editor/colorfrm.h"
#include "editor/findreplace.h"
#include "editor/keytext.h"
#include "editor/spelling.h"
#include "editor/tablecommands.h"
#include "plans/navigator.h"
#include "plans/planstate.h"
#include "platform/repaintlock.h"
#include "widgets/ruler.h"
#include "widgets/toolglyphs.h"
#include "widgets/toolpanel.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

namespace {

constexpr int kUnderlined = 1024; // FontUnder as the text reads an underline

// With Ctrl held, a key whose Windows key code lies at or below that of "0" (editing and
// cursor keys) still reaches the text; every key above it is the program's alone.
bool reachesTextWithCtrl(int key) {
    switch (key) {
    case Qt::Key_0:
    case Qt::Key_Backspace:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Clear:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Pause:
    case Qt::Key_CapsLock:
    case Qt::Key_Escape:
    case Qt::Key_Space:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_Select:
    case Qt::Key_Print:
    case Qt::Key_Execute:
    case Qt::Key_Insert:
    case Qt::Key_Delete:
    case Qt::Key_Help:
        return true;
    default:
        return false;
    }
}

// Function keys that the plan text's own key rules handle whatever the modifiers.
bool isTextFunctionKey(int key) {
    switch (key) {
    case Qt::Key_F3:
    case Qt::Key_F5:
    case Qt::Key_F6:
    case Qt::Key_F7:
    case Qt::Key_F8:
    case Qt::Key_F9:
    case Qt::Key_F11:
    case Qt::Key_F12:
        return true;
    default:
        return false;
    }
}

// Keys that move the caret with Ctrl held (by words, to the start or end of the text).
bool movesCaretWithCtrl(int key) {
    switch (key) {
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        return true;
    default:
        return false;
    }
}

bool isModifierKey(int key) {
    return key == Qt::Key_Control || key == Qt::Key_Shift || key == Qt::Key_Alt ||
           key == Qt::Key_Meta || key == Qt::Key_AltGr;
}

QColor colourOf(int fontColor) {
    return QColor(fontColor & 0xFF, (fontColor >> 8) & 0xFF, (fontColor >> 16) & 0xFF);
}

// The font dialog with the colour list that a font dialog of the platform carries: the
// sixteen colours of the text colour window, and the text's own colour when it is none
// of them.
class FontDialogWithColour {
public:
    explicit FontDialogWithColour(QWidget* parent) : dialog(parent) {
        dialog.setObjectName(QStringLiteral("FontDialog1"));
        dialog.setOption(QFontDialog::DontUseNativeDialog);
        colour = new QComboBox(&dialog);
        colour->setObjectName(QStringLiteral("cmbColour"));
        const auto& colours = Tfrmtextcolour::colours();
        for (int tag = 1; tag <= int(colours.size()); ++tag) {
            const auto& c = colours[size_t(tag - 1)];
            QPixmap swatch(16, 12);
            swatch.fill(QColor(c.red, c.green, c.blue));
            colour->addItem(QIcon(swatch), QString::fromLatin1(c.hint),
                            Tfrmtextcolour::fontColor(tag));
        }
        auto* label = new QLabel(QStringLiteral("C&olour:"), &dialog);
        label->setBuddy(colour);
        if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
            // The colour row goes above the dialog's buttons.
            auto* buttons = dialog.findChild<QDialogButtonBox*>();
            if (buttons) grid->removeWidget(buttons);
            const int row = grid->rowCount();
            grid->addWidget(label, row, 0);
            grid->addWidget(colour, row + 1, 0);
            if (buttons) grid->addWidget(buttons, row + 2, 0, 1, grid->columnCount());
        }
    }

    void setColour(int fontColor) {
        int index = colour->findData(fontColor);
        if (index < 0) {
            QPixmap swatch(16, 12);
            swatch.fill(colourOf(fontColor));
            colour->addItem(QIcon(swatch), QStringLiteral("Custom"), fontColor);
            index = colour->count() - 1;
        }
        colour->setCurrentIndex(index);
    }
    int chosenColour() const { return colour->currentData().toInt(); }

    QFontDialog dialog;
    QComboBox* colour = nullptr;
};

} // namespace

void EditCommands::buildFormatBar(EditWidgets& w, ToolPanel& f) {
    w.cmbFont = new QComboBox(&f);
    w.cmbFont->setObjectName(QStringLiteral("cmbFont"));
    w.cmbFont->setToolTip(QStringLiteral("Font"));
    w.cmbFont->setStatusTip(QStringLiteral("Font"));
    w.cmbFont->setFixedSize(170, 21);
    w.cmbFont->setMaxVisibleItems(20);
    f.addWidget(w.cmbFont);
    f.addSpacing(3);
    w.cmbFontSize = new QComboBox(&f);
    w.cmbFontSize->setObjectName(QStringLiteral("cmbFontSize"));
    w.cmbFontSize->setToolTip(QStringLiteral("Font Size"));
    w.cmbFontSize->setStatusTip(QStringLiteral("Font Size"));
    w.cmbFontSize->setEditable(true);
    w.cmbFontSize->setInsertPolicy(QComboBox::NoInsert);
    w.cmbFontSize->setFixedSize(52, 21);
    w.cmbFontSize->addItems({"8", "9", "10", "11", "12", "14", "16", "18", "20", "22", "24", "26",
                             "28", "36", "48", "72"});
    w.cmbFontSize->setMaxVisibleItems(16);
    f.addWidget(w.cmbFontSize);
    f.addBevel(QStringLiteral("Bevel6"));
    w.cmdBold = f.addButton(QStringLiteral("cmdBold"), glyphIcon(Glyph::Bold),
                            QStringLiteral("Bold"), true);
    w.cmdItalic = f.addButton(QStringLiteral("cmdItalic"), glyphIcon(Glyph::Italic),
                              QStringLiteral("Italic"), true);
    w.cmdUnder = f.addButton(QStringLiteral("cmdUnder"), glyphIcon(Glyph::Underline),
                             QStringLiteral("Underline"), true);
    f.addBevel(QStringLiteral("Bevel7"));
    w.cmdColour = f.addButton(QStringLiteral("cmdColour"), glyphIcon(Glyph::Colour),
                              QStringLiteral("Colour"));
    f.addBevel(QStringLiteral("Bevel8"));
    w.cmdLeft = f.addButton(QStringLiteral("cmdLeft"), glyphIcon(Glyph::AlignLeft),
                            QStringLiteral("Align Left"), true);
    w.cmdCenter = f.addButton(QStringLiteral("cmdCenter"), glyphIcon(Glyph::AlignCentre),
                              QStringLiteral("Centre"), true);
    w.cmdRight = f.addButton(QStringLiteral("cmdRight"), glyphIcon(Glyph::AlignRight),
                             QStringLiteral("Align Right"), true);
    w.cmdJustify = f.addButton(QStringLiteral("cmdJustify"), glyphIcon(Glyph::Justify),
                               QStringLiteral("Justify"), true);
    for (QToolButton* b : {w.cmdLeft, w.cmdCenter, w.cmdRight, w.cmdJustify})
        b->setAutoExclusive(true);
    w.cmdLeft->setChecked(true);
    f.addStretch();
}

void EditCommands::fillFontList() {
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
    m_w.cmbFont->clear();
    m_w.cmbFont->addItems(families);
    // Nothing is shown until the caret is in a plan.
    m_w.cmbFont->setCurrentIndex(-1);
    m_w.cmbFontSize->setCurrentIndex(-1);
}

EditCommands::EditCommands(const EditWidgets& widgets, EditLinks links, PlanState& plan,
                           QObject* parent)
    : QObject(parent), m_w(widgets), m_links(std::move(links)), m_plan(plan) {
    TextControl* t = m_w.ATX321;
    connect(t, &TextControl::OnKeyDown, this, &EditCommands::atx321KeyDown);
    connect(t, &TextControl::OnKeyPress, this, &EditCommands::atx321KeyPress);
    connect(t, &TextControl::OnKeyUp, this, &EditCommands::atx321KeyUp);
    connect(t, &TextControl::OnMouseDown, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers, int, int) {
                atx321MouseDown(button);
            });
    connect(t, &TextControl::OnMouseUp, this,
            [this](Qt::MouseButton, Qt::KeyboardModifiers, int, int) { atx321MouseUp(); });
    connect(t, &TextControl::OnClick, this, &EditCommands::atx321Click);
    connect(t, &TextControl::OnDblClick, this, &EditCommands::atx321DblClick);
    connect(t, &TextControl::OnATXChange, this, &EditCommands::atx321ATXChange);
    connect(t, &TextControl::OnATXHScrollClick, this, &EditCommands::atx321ATXHScrollClick);
    connect(t, &TextControl::OnATXVScrollClick, this, &EditCommands::atx321ATXVScrollClick);
    // The text's menu is the window's popup, opened by the right-button rule.
    t->setContextMenuPolicy(Qt::PreventContextMenu);
    // The text's key rules must see its shortcut keys before the menus do.
    t->installEventFilter(this);

    m_find = new FindReplace(t, m_w.window);
    m_find->onTextChanged = [this] { m_plan.PlanModified = true; };
    m_guidance = new GuidanceText(t);

    connect(m_w.cmbFont, &QComboBox::activated, this, &EditCommands::cmbFontClick);
    connect(m_w.cmbFontSize, &QComboBox::activated, this, &EditCommands::cmbFontSizeClick);
    connect(m_w.cmdBold, &QToolButton::clicked, this, &EditCommands::cmdBoldClick);
    connect(m_w.cmdItalic, &QToolButton::clicked, this, &EditCommands::cmdItalicClick);
    connect(m_w.cmdUnder, &QToolButton::clicked, this, &EditCommands::cmdUnderClick);
    connect(m_w.cmdColour, &QToolButton::clicked, this, &EditCommands::cmdColourClick);
    connect(m_w.cmdLeft, &QToolButton::clicked, this, &EditCommands::cmdLeftClick);
    connect(m_w.cmdCenter, &QToolButton::clicked, this, &EditCommands::cmdCenterClick);
    connect(m_w.cmdRight, &QToolButton::clicked, this, &EditCommands::cmdRightClick);
    connect(m_w.cmdJustify, &QToolButton::clicked, this, &EditCommands::cmdJustifyClick);

    // A size typed into the box that the box does not list is refused; the box then
    // shows the text's size again rather than the refused one.
    if (QLineEdit* sizeEdit = m_w.cmbFontSize->lineEdit())
        connect(sizeEdit, &QLineEdit::editingFinished, this, &EditCommands::showFontSize);

    m_w.rulMain->setTextControl(t);
    m_w.rulMain->setPixelsPerInch(m_w.window->logicalDpiX() > 0 ? m_w.window->logicalDpiX() : 96);
    // An indent dragged on the ruler is a change to the plan like any other.
    connect(m_w.rulMain, &Ruler::indentsChanged, this, [this] { m_plan.PlanModified = true; });
    m_w.Panel6->installEventFilter(this);
}

void EditCommands::connectMenus(const EditMenuItems& m) {
    const std::pair<QAction*, void (EditCommands::*)()> routes[] = {
        {m.mnuUndo, &EditCommands::cmdUndoClick},
        {m.mnuRedo, &EditCommands::cmdRedoClick},
        {m.mnuCut, &EditCommands::cmdCutClick},
        {m.mnuCopy, &EditCommands::cmdCopyClick},
        {m.mnuPaste, &EditCommands::cmdPasteClick},
        {m.mnuSelectAll, &EditCommands::mnuSelectAllClick},
        {m.mnuFind, &EditCommands::mnuFindClick},
        {m.mnuReplace, &EditCommands::mnuReplaceClick},
        {m.mnuFont, &EditCommands::mnuFontClick},
        {m.SpellCheck1, &EditCommands::cmdSpellClick},
        {m.InsertDate2, &EditCommands::InsertDate2Click},
        {m.Bold1, &EditCommands::Bold1Click},
        {m.Underline1, &EditCommands::Underline1Click},
        {m.Italic1, &EditCommands::Italic1Click},
        {m.AlignLeft1, &EditCommands::AlignLeft1Click},
        {m.AlignCenter1, &EditCommands::AlignCenter1Click},
        {m.AlignRight1, &EditCommands::AlignRight1Click},
        {m.AlignJustify1, &EditCommands::AlignJustify1Click},
        {m.InsertTable1, &EditCommands::InsertTable1Click},
        {m.InsertRow1, &EditCommands::InsertRow1Click},
        {m.DeleteCells1, &EditCommands::DeleteCells1Click},
        {m.MergeCells1, &EditCommands::MergeCells1Click},
        {m.SplitCells1, &EditCommands::SplitCells1Click},
        {m.SelectRow1, &EditCommands::SelectRow1Click},
        {m.SelectTable1, &EditCommands::SelectTable1Click},
        {m.CellHeightandWidth1, &EditCommands::CellHeightandWidth1Click},
        {m.ConvertTexttoTable1, &EditCommands::ConvertTexttoTable1Click},
        {m.Borders1, &EditCommands::Borders1Click},
        {m.Undo1, &EditCommands::cmdUndoClick},
        {m.Cut1, &EditCommands::cmdCutClick},
        {m.Copy1, &EditCommands::cmdCopyClick},
        {m.Paste1, &EditCommands::cmdPasteClick},
        {m.InsertDate1, &EditCommands::InsertDate1Click},
    };
    for (const auto& [item, handler] : routes)
        if (item) connect(item, &QAction::triggered, this, [this, h = handler] { (this->*h)(); });
    for (int i = 0; i < m.keytextItems.size(); ++i)
        connect(m.keytextItems.at(i), &QAction::triggered, this, [this, i] { mnuKeytextClick(i); });
}

EditCommands::~EditCommands() {
    // The guidance helper watches the plan text; it goes with the commands, so that no
    // event of a text being torn down reaches it.
    delete m_guidance;
}

QString EditCommands::keytext(int index) const {
    QAction* item = m_w.keytextItems.value(index);
    return item ? item->text() : QString();
}

QString EditCommands::UndoErrorMessage() {
    return QStringLiteral("An error occurred when undoing the last action");
}

bool EditCommands::budgetShown() const {
    return m_links.navigator->BudgetShown();
}

DateEntry* EditCommands::dates() {
    // The calendar window is made after the main window; the date edits follow it.
    TfrmCal* calendar = m_links.calendar ? m_links.calendar() : nullptr;
    if (!m_dates && calendar) {
        m_dates = new DateEntry(m_w.ATX321, m_w.window, calendar);
        m_dates->menuAnchor = m_w.cmdCal;
        m_dates->onInserted = [this] { m_plan.PlanModified = true; };
    }
    return m_dates;
}

void EditCommands::textChanged() {
    // A command that changes the text leaves it unsaved, even when no key or click in the
    // text came before it (a toolbar paste right after saving, for one).
    m_plan.PlanModified = true;
}

// --- Clipboard and undo -----------------------------------------------------------------

void EditCommands::cmdUndoClick() {
    TextControl* t = m_w.ATX321;
    if (t->UnDoAction() <= 2) return;
    // A text the program holds read-only cannot take back a step; nor can one whose undo
    // leaves its history where it was.
    const int stepsBefore = t->document()->availableUndoSteps();
    bool undone = false;
    if (t->WriteProtect() == 0) {
        try {
            t->setUnDoAction(1);
            undone = t->document()->availableUndoSteps() != stepsBefore;
        } catch (...) {
            undone = false;
        }
    }
    if (!undone) {
        ShowMessageDialog(UndoErrorMessage(), mtError, mbOK, mbOK, 0);
        return;
    }
    textChanged();
    // The navigator, the guidance and the toolbar go with the caret to the undone text;
    // a prompt brought back is entered again, ready to be typed over.
    if (!budgetShown()) followCaretInText(0);
}

void EditCommands::cmdRedoClick() {
    if (budgetShown()) return;
    TextControl* t = m_w.ATX321;
    if (t->ReDoAction() <= 2 || t->WriteProtect() != 0) return;
    t->setReDoAction(1);
    textChanged();
    followCaretInText(0);
}

void EditCommands::cmdCutClick() {
    if (budgetShown()) {
        m_w.spread->Cut();
        return;
    }
    m_w.ATX321->setClipboardAction(1);
    textChanged();
}

void EditCommands::cmdCopyClick() {
    if (budgetShown()) {
        m_w.spread->Copy();
        return;
    }
    m_w.ATX321->setClipboardAction(2);
}

void EditCommands::cmdPasteClick() {
    if (budgetShown()) {
        m_w.spread->Paste();
        return;
    }
    m_w.ATX321->setClipboardAction(3);
    textChanged();
}

void EditCommands::mnuSelectAllClick() {
    TextControl* t = m_w.ATX321;
    RepaintLock lock(m_w.window);
    const int scroll = t->ScrollVert();
    t->setSelStart(0);
    t->setSelLength(t->TextLength());
    t->setScrollVert(scroll);
}

// --- Find, spelling, dates, keytexts ----------------------------------------------------

void EditCommands::mnuFindClick() {
    m_find->mnuFindClick();
}

void EditCommands::mnuReplaceClick() {
    m_find->mnuReplaceClick();
}

void EditCommands::cmdSpellClick() {
    CheckSpelling(m_w.ATX321, m_w.Spell, m_links.dictionary ? m_links.dictionary() : nullptr);
}

void EditCommands::cmdCalClick() {
    if (DateEntry* d = dates()) d->openForMenu();
}

void EditCommands::InsertDate2Click() {
    if (DateEntry* d = dates()) d->openForMenu();
}

void EditCommands::InsertDate1Click() {
    if (DateEntry* d = dates()) d->openForText();
}

void EditCommands::mnuKeytextClick(int index) {
    if (budgetShown()) {
        m_links.typeIntoSheet(keytext(index));
        return;
    }
    InsertKeytext(m_w.ATX321, keytext(index));
    m_plan.PlanModified = true;
}

// --- Font -------------------------------------------------------------------------------

void EditCommands::mnuFontClick() {
    if (budgetShown()) {
        m_w.spread->ShowFontDialog();
        return;
    }
    TextControl* t = m_w.ATX321;
    FontDialogWithColour fd(m_w.window);
    QFont font;
    font.setBold(t->FontBold() == -1);
    font.setItalic(t->FontItalic() == -1);
    font.setStrikeOut(t->FontStrike() == -1);
    font.setUnderline(t->FontUnder() == kUnderlined);
    font.setFamily(t->FontName().left(255));
    if (t->FontSize() > 0) font.setPointSizeF(t->FontSize());
    fd.dialog.setCurrentFont(font);
    fd.setColour(t->FontColor());

    // Cancel leaves the text as it was: writing the caret's font back over a selection
    // of mixed fonts would flatten it.
    if (fd.dialog.exec() != QDialog::Accepted) return;
    const QFont chosen = fd.dialog.selectedFont();
    t->setFontName(chosen.family());
    if (chosen.pointSizeF() > 0) t->setFontSize(chosen.pointSizeF());
    t->setFontColor(fd.chosenColour());
    t->setFontBold(chosen.bold() ? 1 : 0);
    t->setFontItalic(chosen.italic() ? 1 : 0);
    t->setFontUnder(chosen.underline() ? 1 : 0);
    t->setFontStrike(chosen.strikeOut() ? 1 : 0);
    textChanged();
}

// --- Formatting toolbar -----------------------------------------------------------------

void EditCommands::cmdBoldClick() {
    if (budgetShown()) {
        m_w.spread->setFontBold(m_w.cmdBold->isChecked());
        return;
    }
    m_w.ATX321->setFontBold(m_w.cmdBold->isChecked() ? 1 : 0);
    textChanged();
}

void EditCommands::cmdItalicClick() {
    if (budgetShown()) {
        m_w.spread->setFontItalic(m_w.cmdItalic->isChecked());
        return;
    }
    m_w.ATX321->setFontItalic(m_w.cmdItalic->isChecked() ? 1 : 0);
    textChanged();
}

void EditCommands::cmdUnderClick() {
    if (budgetShown()) {
        m_w.spread->setFontUnderline(m_w.cmdUnder->isChecked());
        return;
    }
    m_w.ATX321->setFontUnder(m_w.cmdUnder->isChecked() ? 1 : 0);
    textChanged();
}

void EditCommands::setAlignment(int alignment) {
    m_w.ATX321->setAlignment(alignment);
    // The buttons show the paragraph's alignment however it was set (Ctrl+E and the rest
    // included).
    m_w.cmdLeft->setChecked(alignment == 0);
    m_w.cmdRight->setChecked(alignment == 1);
    m_w.cmdCenter->setChecked(alignment == 2);
    m_w.cmdJustify->setChecked(alignment == 3);
    textChanged();
}

void EditCommands::cmdLeftClick() {
    if (budgetShown()) {
        m_w.spread->setHAlign(Sheet::AlignLeft);
        return;
    }
    setAlignment(0);
}

void EditCommands::cmdCenterClick() {
    if (budgetShown()) {
        m_w.spread->setHAlign(Sheet::AlignCentre);
        return;
    }
    setAlignment(2);
}

void EditCommands::cmdRightClick() {
    if (budgetShown()) {
        m_w.spread->setHAlign(Sheet::AlignRight);
        return;
    }
    setAlignment(1);
}

void EditCommands::cmdJustifyClick() {
    if (budgetShown()) {
        m_w.spread->setHAlign(Sheet::AlignJustify);
        return;
    }
    setAlignment(3);
}

void EditCommands::cmdColourClick() {
    Tfrmtextcolour* colours = m_links.colours ? m_links.colours() : nullptr;
    if (!colours) return;
    colours->onColour = [this](int colour) {
        if (budgetShown()) {
            m_w.spread->setFontColor(colour);
            return;
        }
        m_w.ATX321->setFontColor(colour);
        textChanged();
    };
    // Below whichever toolbars show, else right below the menu bar.
    int bottom = m_w.belowMenus ? m_w.belowMenus->y() : 0;
    for (QWidget* bar : m_w.toolbars) {
        if (bar && !bar->isHidden())
            bottom = std::max(bottom, bar->mapTo(m_w.window, QPoint(0, bar->height())).y());
    }
    colours->showBelow(m_w.cmdColour, bottom);
}

void EditCommands::cmbFontClick() {
    if (budgetShown()) {
        m_w.spread->setFontName(m_w.cmbFont->currentText());
        m_w.spread->setFocus();
        return;
    }
    m_w.ATX321->setFontName(m_w.cmbFont->currentText());
    textChanged();
    m_w.ATX321->setFocus();
}

void EditCommands::cmbFontSizeClick() {
    bool ok = false;
    const int size = m_w.cmbFontSize->currentText().trimmed().toInt(&ok);
    if (budgetShown()) {
        // A size that is not a whole number is passed over without a word.
        if (ok && size > 0) m_w.spread->setFontSize(size);
        m_w.spread->setFocus();
        return;
    }
    // A size that is not a whole number is passed over without a word.
    if (ok && size > 0) {
        m_w.ATX321->setFontSize(size);
        textChanged();
    }
    m_w.ATX321->setFocus();
}

void EditCommands::showFontSize() {
    if (budgetShown()) return;
    const double size = m_w.ATX321->FontSize();
    if (size <= 0) return;
    const QString shown = QString::number(size, 'g', 4);
    const int i = m_w.cmbFontSize->findText(shown);
    if (i >= 0) m_w.cmbFontSize->setCurrentIndex(i);
    m_w.cmbFontSize->setEditText(shown);
}

bool EditCommands::FormKeyPreview(QKeyEvent*) {
    // The window keeps no keys of its own: the plan text's key rules run in its key
    // events, and the menus' shortcuts take the rest.
    return false;
}

void EditCommands::Bold1Click() {
    m_w.cmdBold->setChecked(!m_w.cmdBold->isChecked());
    cmdBoldClick();
}

void EditCommands::Underline1Click() {
    m_w.cmdUnder->setChecked(!m_w.cmdUnder->isChecked());
    cmdUnderClick();
}

void EditCommands::Italic1Click() {
    m_w.cmdItalic->setChecked(!m_w.cmdItalic->isChecked());
    cmdItalicClick();
}

void EditCommands::AlignLeft1Click() {
    m_w.cmdLeft->setChecked(!m_w.cmdLeft->isChecked());
    cmdLeftClick();
}

void EditCommands::AlignCenter1Click() {
    m_w.cmdCenter->setChecked(!m_w.cmdCenter->isChecked());
    cmdCenterClick();
}

void EditCommands::AlignRight1Click() {
    m_w.cmdRight->setChecked(!m_w.cmdRight->isChecked());
    cmdRightClick();
}

void EditCommands::AlignJustify1Click() {
    m_w.cmdJustify->setChecked(!m_w.cmdJustify->isChecked());
    cmdJustifyClick();
}

// --- Tables -----------------------------------------------------------------------------

void EditCommands::InsertTable1Click() {
    if (TableCommands::insertTable(m_w.ATX321, m_links.tableWindows().insert))
        m_plan.PlanModified = true;
}
void EditCommands::InsertRow1Click() {
    if (TableCommands::insertRow(m_w.ATX321)) m_plan.PlanModified = true;
}
void EditCommands::DeleteCells1Click() {
    if (TableCommands::deleteCells(m_w.ATX321)) m_plan.PlanModified = true;
}
void EditCommands::MergeCells1Click() {
    if (TableCommands::mergeCells(m_w.ATX321)) m_plan.PlanModified = true;
}
void EditCommands::SplitCells1Click() {
    if (TableCommands::splitCells(m_w.ATX321, m_links.tableWindows().split))
        m_plan.PlanModified = true;
}
void EditCommands::SelectRow1Click() {
    TableCommands::selectRow(m_w.ATX321);
}
void EditCommands::SelectTable1Click() {
    TableCommands::selectTable(m_w.ATX321);
}
void EditCommands::CellHeightandWidth1Click() {
    if (TableCommands::cellHeightAndWidth(m_w.ATX321, m_links.tableWindows().cells))
        m_plan.PlanModified = true;
}
void EditCommands::ConvertTexttoTable1Click() {
    if (TableCommands::convertTextToTable(m_w.ATX321)) m_plan.PlanModified = true;
}
void EditCommands::Borders1Click() {
    if (TableCommands::borders(m_w.ATX321, m_links.tableWindows().borders))
        m_plan.PlanModified = true;
}

void EditCommands::followCaretInText(int key) {
    m_links.navigator->SectionSync(m_w.ATX321, Navigator::CaretMoved, key);
}

// --- Keys -------------------------------------------------------------------------------

void EditCommands::scrollGuidance(int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(m_w.ATX322, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(m_w.ATX322, &release);
    m_w.ATX321->setFocus();
}

void EditCommands::atx321KeyDown(int& key, Qt::KeyboardModifiers shift) {
    TextControl* t = m_w.ATX321;
    switch (key) {
    case Qt::Key_F9:
        cmdSpellClick();
        break;
    case Qt::Key_F7:
        m_links.navigator->btnFirstClick();
        break;
    case Qt::Key_F5:
        m_links.navigator->btnPriorClick();
        break;
    case Qt::Key_F6:
        m_links.navigator->btnNextClick();
        break;
    case Qt::Key_F8:
        m_links.navigator->btnLastClick();
        break;
    default:
        break;
    }

    if (!(shift & Qt::ControlModifier)) {
        CtrlKeyHeld = false;
        // Moving between sections changes nothing in the plan.
        if (key != Qt::Key_F5 && key != Qt::Key_F6) m_plan.PlanModified = true;
        TagJumpPending = false;
        if (key == Qt::Key_F3) {
            mnuFontClick();
        } else if (key == Qt::Key_F11 || key == Qt::Key_F12) {
            TagJumpPending = true;
            m_links.navigator->SectionSync(t, Navigator::Jump, key);
        }
        return;
    }

    CtrlKeyHeld = true;
    if (key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
        scrollGuidance(key);
        key = 0;
        return;
    }

    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        const int digit = key - Qt::Key_0;
        const int index = digit == 0 ? 9 : digit - 1;
        // A keytext the user has not set is hidden and has nothing to insert.
        if (m_w.keytextItems.value(index) && m_w.keytextItems[index]->isVisible()) {
            TypeKeytext(t, keytext(index));
            textChanged();
        }
    } else {
        switch (key) {
        case Qt::Key_A:
            mnuSelectAllClick();
            break;
        case Qt::Key_B:
            t->setFontBold(t->FontBold() == -1 ? 0 : -1);
            m_w.cmdBold->setChecked(!m_w.cmdBold->isChecked());
            textChanged();
            break;
        case Qt::Key_I:
            t->setFontItalic(t->FontItalic() == -1 ? 0 : -1);
            m_w.cmdItalic->setChecked(!m_w.cmdItalic->isChecked());
            textChanged();
            break;
        case Qt::Key_U:
            t->setFontUnder(t->FontUnder() == kUnderlined ? 0 : kUnderlined);
            m_w.cmdUnder->setChecked(!m_w.cmdUnder->isChecked());
            textChanged();
            break;
        case Qt::Key_E:
            setAlignment(2);
            break;
        case Qt::Key_J:
            setAlignment(3);
            break;
        case Qt::Key_L:
            setAlignment(0);
            break;
        case Qt::Key_R:
            setAlignment(1);
            break;
        case Qt::Key_C:
            t->setClipboardAction(2);
            break;
        case Qt::Key_X:
            t->setClipboardAction(1);
            textChanged();
            break;
        case Qt::Key_V:
            t->setClipboardAction(3);
            textChanged();
            break;
        case Qt::Key_Z:
            if (shift & Qt::ShiftModifier)
                cmdRedoClick();
            else
                cmdUndoClick();
            break;
        case Qt::Key_Y:
            cmdRedoClick();
            break;
        case Qt::Key_F:
            mnuFindClick();
            break;
        case Qt::Key_N:
            m_links.newPlan();
            break;
        case Qt::Key_O:
            m_links.openPlan();
            break;
        case Qt::Key_S:
            m_links.savePlan();
            break;
        case Qt::Key_P:
            // What the File menu shows beside "Print All".
            m_links.printAll();
            break;
        default:
            break;
        }
    }
    if (!reachesTextWithCtrl(key)) key = 0;
}

void EditCommands::atx321KeyPress(int& key) {
    if (CtrlKeyHeld) {
        key = 0;
        return;
    }
    // Whatever the user types is their own text: untagged and black.
    TextControl* t = m_w.ATX321;
    m_plan.PlanModified = true;
    t->setHTag(GuidanceTag::UserText);
    t->setFontColor(kBlackText);
}

void EditCommands::atx321KeyUp(int key, Qt::KeyboardModifiers) {
    // Ctrl+Home, Ctrl+End and Ctrl with an arrow move the caret like any other key: the
    // navigator, the guidance and the toolbar follow it.
    if (TagJumpPending || (CtrlKeyHeld && !movesCaretWithCtrl(key))) return;
    followCaretInText(key);
}

// --- Mouse ------------------------------------------------------------------------------

void EditCommands::atx321MouseDown(Qt::MouseButton button) {
    RecordMouseDown(m_click, button);
    if (button != Qt::RightButton) return;
    m_w.DeleteRow1->setVisible(budgetShown());
    m_w.mnupopup->popup(QCursor::pos());
}

void EditCommands::atx321MouseUp() {
    RecordMouseUp(m_click, m_w.ATX321);
}

void EditCommands::atx321Click() {
    m_plan.PlanModified = true;
    if (ClickFollowsCaret(m_click, m_w.chkAuto->isChecked())) followCaretInText(0);
}

void EditCommands::atx321DblClick() {
    m_guidance->atx321DblClick(m_links.navigator->LastCaretPos(), [this] {
        if (DateEntry* d = dates()) d->openForText();
    });
}

// --- Scrolling and page width -----------------------------------------------------------

void EditCommands::atx321ATXChange() {
    m_w.rulMain->followScroll();
}

void EditCommands::atx321ATXHScrollClick() {
    m_w.rulMain->followScroll();
}

void EditCommands::atx321ATXVScrollClick() {
    m_links.navigator->atx321ATXVScrollClick();
}

void EditCommands::PageWidth() {
    const Ruler::TextArea area = Ruler::textArea(m_plan.PlanMargins.Left, m_plan.PlanMargins.Right,
                                                 m_plan.PlanMargins.Top, m_plan.PlanMargins.Bottom);
    m_plan.TextAreaWidth = area.width;
    m_plan.TextAreaHeight = area.height;
    m_w.rulMain->applyTextArea(area, m_w.ATX322);
}

bool EditCommands::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_w.ATX321 && event->type() == QEvent::ShortcutOverride) {
        // Keys with Ctrl and the function keys of the text's rules are the text's own
        // while it has the focus; the menu items with the same shortcuts serve the rest of
        // the window. Either way each key runs its command once.
        auto* key = static_cast<QKeyEvent*>(event);
        const bool ctrl = key->modifiers() & Qt::ControlModifier;
        if (isTextFunctionKey(key->key()) || (ctrl && !isModifierKey(key->key()))) {
            event->accept();
            return true;
        }
    } else if (watched == m_w.Panel6 && event->type() == QEvent::Resize) {
        RepaintLock lock(m_w.window);
        PageWidth();
    }
    return QObject::eventFilter(watched, event);
}
