#include "editor/editcommands.h"

#include "app/editfrm.h"
#include "app/startup.h"
#include "budget/budgetview.h"
#include "controls/sheet/sheetcontrol.h"
#include "controls/text/textcontrol.h"
#include "dialogs/dialogfrm.h"
#include "editor/colorfrm.h"
#include "editor/findreplace.h"
#include "editor/keytext.h"
#include "editor/spelling.h"
#include "plans/navigator.h"
#include "platform/repaintlock.h"
#include "widgets/ruler.h"
#include "widgets/toolpanel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
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

EditCommands::EditCommands(TfrmEdit* window) : QObject(window), w(window) {
    TextControl* t = w->ATX321;
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

    m_find = new FindReplace(t, w);
    m_find->onTextChanged = [this] { w->PlanModified = true; };
    m_guidance = new GuidanceText(t);

    // A size typed into the box that the box does not list is refused; the box then
    // shows the text's size again rather than the refused one.
    if (QLineEdit* sizeEdit = w->cmbFontSize->lineEdit())
        connect(sizeEdit, &QLineEdit::editingFinished, this, &EditCommands::showFontSize);

    w->rulMain->setTextControl(t);
    w->rulMain->setPixelsPerInch(w->logicalDpiX() > 0 ? w->logicalDpiX() : 96);
    // An indent dragged on the ruler is a change to the plan like any other.
    connect(w->rulMain, &Ruler::indentsChanged, this, [this] { w->PlanModified = true; });
    w->Panel6->installEventFilter(this);
}

EditCommands::~EditCommands() {
    // The guidance helper watches the plan text; it goes with the commands, so that no
    // event of a text being torn down reaches it.
    delete m_guidance;
}

QString EditCommands::UndoErrorMessage() {
    return QStringLiteral("An error occurred when undoing the last action");
}

bool EditCommands::budgetShown() const {
    return w->navigator()->BudgetShown();
}

DateEntry* EditCommands::dates() {
    // The calendar window is made after the main window; the date edits follow it.
    if (!m_dates && frmCal) {
        m_dates = new DateEntry(w->ATX321, w, frmCal);
        m_dates->menuAnchor = w->cmdCal;
        m_dates->onInserted = [this] { w->PlanModified = true; };
    }
    return m_dates;
}

void EditCommands::textChanged() {
    // A command that changes the text leaves it unsaved, even when no key or click in the
    // text came before it (a toolbar paste right after saving, for one).
    w->PlanModified = true;
}

// --- Clipboard and undo -----------------------------------------------------------------

void EditCommands::cmdUndoClick() {
    TextControl* t = w->ATX321;
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
    TextControl* t = w->ATX321;
    if (t->ReDoAction() <= 2 || t->WriteProtect() != 0) return;
    t->setReDoAction(1);
    textChanged();
    followCaretInText(0);
}

void EditCommands::cmdCutClick() {
    if (budgetShown()) {
        w->spread->Cut();
        return;
    }
    w->ATX321->setClipboardAction(1);
    textChanged();
}

void EditCommands::cmdCopyClick() {
    if (budgetShown()) {
        w->spread->Copy();
        return;
    }
    w->ATX321->setClipboardAction(2);
}

void EditCommands::cmdPasteClick() {
    if (budgetShown()) {
        w->spread->Paste();
        return;
    }
    w->ATX321->setClipboardAction(3);
    textChanged();
}

void EditCommands::mnuSelectAllClick() {
    TextControl* t = w->ATX321;
    RepaintLock lock(w);
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
    CheckSpelling(w->ATX321, w->Spell, frmDic);
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
        w->budgetView()->TypeIntoActiveCell(w->KeytextCaption(index));
        return;
    }
    InsertKeytext(w->ATX321, w->KeytextCaption(index));
    w->PlanModified = true;
}

// --- Font -------------------------------------------------------------------------------

void EditCommands::mnuFontClick() {
    if (budgetShown()) {
        w->spread->ShowFontDialog();
        return;
    }
    TextControl* t = w->ATX321;
    FontDialogWithColour fd(w);
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
        w->spread->setFontBold(w->cmdBold->isChecked());
        return;
    }
    w->ATX321->setFontBold(w->cmdBold->isChecked() ? 1 : 0);
    textChanged();
}

void EditCommands::cmdItalicClick() {
    if (budgetShown()) {
        w->spread->setFontItalic(w->cmdItalic->isChecked());
        return;
    }
    w->ATX321->setFontItalic(w->cmdItalic->isChecked() ? 1 : 0);
    textChanged();
}

void EditCommands::cmdUnderClick() {
    if (budgetShown()) {
        w->spread->setFontUnderline(w->cmdUnder->isChecked());
        return;
    }
    w->ATX321->setFontUnder(w->cmdUnder->isChecked() ? 1 : 0);
    textChanged();
}

void EditCommands::setAlignment(int alignment) {
    w->ATX321->setAlignment(alignment);
    // The buttons show the paragraph's alignment however it was set (Ctrl+E and the rest
    // included).
    w->cmdLeft->setChecked(alignment == 0);
    w->cmdRight->setChecked(alignment == 1);
    w->cmdCenter->setChecked(alignment == 2);
    w->cmdJustify->setChecked(alignment == 3);
    textChanged();
}

void EditCommands::cmdLeftClick() {
    if (budgetShown()) {
        w->spread->setHAlign(Sheet::AlignLeft);
        return;
    }
    setAlignment(0);
}

void EditCommands::cmdCenterClick() {
    if (budgetShown()) {
        w->spread->setHAlign(Sheet::AlignCentre);
        return;
    }
    setAlignment(2);
}

void EditCommands::cmdRightClick() {
    if (budgetShown()) {
        w->spread->setHAlign(Sheet::AlignRight);
        return;
    }
    setAlignment(1);
}

void EditCommands::cmdJustifyClick() {
    if (budgetShown()) {
        w->spread->setHAlign(Sheet::AlignJustify);
        return;
    }
    setAlignment(3);
}

void EditCommands::cmdColourClick() {
    if (!frmtextcolour) return;
    frmtextcolour->onColour = [this](int colour) {
        if (budgetShown()) {
            w->spread->setFontColor(colour);
            return;
        }
        w->ATX321->setFontColor(colour);
        textChanged();
    };
    // Below whichever toolbars show, else right below the menu bar.
    int bottom = w->centralWidget() ? w->centralWidget()->y() : 0;
    for (ToolPanel* bar : {w->docStandard, w->docFormatting, w->docBuilder}) {
        if (bar && !bar->isHidden())
            bottom = std::max(bottom, bar->mapTo(w, QPoint(0, bar->height())).y());
    }
    frmtextcolour->showBelow(w->cmdColour, bottom);
}

void EditCommands::cmbFontClick() {
    if (budgetShown()) {
        w->spread->setFontName(w->cmbFont->currentText());
        w->spread->setFocus();
        return;
    }
    w->ATX321->setFontName(w->cmbFont->currentText());
    textChanged();
    w->ATX321->setFocus();
}

void EditCommands::cmbFontSizeClick() {
    bool ok = false;
    const int size = w->cmbFontSize->currentText().trimmed().toInt(&ok);
    if (budgetShown()) {
        // A size that is not a whole number is passed over without a word.
        if (ok && size > 0) w->spread->setFontSize(size);
        w->spread->setFocus();
        return;
    }
    // A size that is not a whole number is passed over without a word.
    if (ok && size > 0) {
        w->ATX321->setFontSize(size);
        textChanged();
    }
    w->ATX321->setFocus();
}

void EditCommands::showFontSize() {
    if (budgetShown()) return;
    const double size = w->ATX321->FontSize();
    if (size <= 0) return;
    const QString shown = QString::number(size, 'g', 4);
    const int i = w->cmbFontSize->findText(shown);
    if (i >= 0) w->cmbFontSize->setCurrentIndex(i);
    w->cmbFontSize->setEditText(shown);
}

bool EditCommands::FormKeyPreview(QKeyEvent*) {
    // The window keeps no keys of its own: the plan text's key rules run in its key
    // events, and the menus' shortcuts take the rest.
    return false;
}

void EditCommands::followCaretInText(int key) {
    w->navigator()->SectionSync(w->ATX321, Navigator::CaretMoved, key);
}

// --- Keys -------------------------------------------------------------------------------

void EditCommands::scrollGuidance(int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(w->ATX322, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(w->ATX322, &release);
    w->ATX321->setFocus();
}

void EditCommands::atx321KeyDown(int& key, Qt::KeyboardModifiers shift) {
    TextControl* t = w->ATX321;
    switch (key) {
    case Qt::Key_F9:
        cmdSpellClick();
        break;
    case Qt::Key_F7:
        w->btnFirstClick();
        break;
    case Qt::Key_F5:
        w->btnPriorClick();
        break;
    case Qt::Key_F6:
        w->btnNextClick();
        break;
    case Qt::Key_F8:
        w->btnLastClick();
        break;
    default:
        break;
    }

    if (!(shift & Qt::ControlModifier)) {
        CtrlKeyHeld = false;
        // Moving between sections changes nothing in the plan.
        if (key != Qt::Key_F5 && key != Qt::Key_F6) w->PlanModified = true;
        TagJumpPending = false;
        if (key == Qt::Key_F3) {
            mnuFontClick();
        } else if (key == Qt::Key_F11 || key == Qt::Key_F12) {
            TagJumpPending = true;
            w->navigator()->SectionSync(t, Navigator::Jump, key);
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
        if (w->mnuKeytextItems[index]->isVisible()) {
            TypeKeytext(t, w->KeytextCaption(index));
            textChanged();
        }
    } else {
        switch (key) {
        case Qt::Key_A:
            mnuSelectAllClick();
            break;
        case Qt::Key_B:
            t->setFontBold(t->FontBold() == -1 ? 0 : -1);
            w->cmdBold->setChecked(!w->cmdBold->isChecked());
            textChanged();
            break;
        case Qt::Key_I:
            t->setFontItalic(t->FontItalic() == -1 ? 0 : -1);
            w->cmdItalic->setChecked(!w->cmdItalic->isChecked());
            textChanged();
            break;
        case Qt::Key_U:
            t->setFontUnder(t->FontUnder() == kUnderlined ? 0 : kUnderlined);
            w->cmdUnder->setChecked(!w->cmdUnder->isChecked());
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
            w->mnuNewClick();
            break;
        case Qt::Key_O:
            w->Open2Click();
            break;
        case Qt::Key_S:
            w->mnuSaveClick();
            break;
        case Qt::Key_P:
            // What the File menu shows beside "Print All".
            w->cmdPrintAllClick();
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
    TextControl* t = w->ATX321;
    w->PlanModified = true;
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
    w->DeleteRow1->setVisible(budgetShown());
    w->mnupopup->popup(QCursor::pos());
}

void EditCommands::atx321MouseUp() {
    RecordMouseUp(m_click, w->ATX321);
}

void EditCommands::atx321Click() {
    w->PlanModified = true;
    if (ClickFollowsCaret(m_click, w->chkAuto->isChecked())) followCaretInText(0);
}

void EditCommands::atx321DblClick() {
    m_guidance->atx321DblClick(w->navigator()->LastCaretPos(), [this] {
        if (DateEntry* d = dates()) d->openForText();
    });
}

// --- Scrolling and page width -----------------------------------------------------------

void EditCommands::atx321ATXChange() {
    w->rulMain->followScroll();
}

void EditCommands::atx321ATXHScrollClick() {
    w->rulMain->followScroll();
}

void EditCommands::atx321ATXVScrollClick() {
    w->navigator()->atx321ATXVScrollClick();
}

void EditCommands::PageWidth() {
    const Ruler::TextArea area = Ruler::textArea(w->PlanMargins.Left, w->PlanMargins.Right,
                                                 w->PlanMargins.Top, w->PlanMargins.Bottom);
    w->TextAreaWidth = area.width;
    w->TextAreaHeight = area.height;
    w->rulMain->applyTextArea(area, w->ATX322);
}

bool EditCommands::eventFilter(QObject* watched, QEvent* event) {
    if (watched == w->ATX321 && event->type() == QEvent::ShortcutOverride) {
        // Keys with Ctrl and the function keys of the text's rules are the text's own
        // while it has the focus; the menu items with the same shortcuts serve the rest of
        // the window. Either way each key runs its command once.
        auto* key = static_cast<QKeyEvent*>(event);
        const bool ctrl = key->modifiers() & Qt::ControlModifier;
        if (isTextFunctionKey(key->key()) || (ctrl && !isModifierKey(key->key()))) {
            event->accept();
            return true;
        }
    } else if (watched == w->Panel6 && event->type() == QEvent::Resize) {
        RepaintLock lock(w);
        PageWidth();
    }
    return QObject::eventFilter(watched, event);
}
