#pragma once

#include "editor/bluetext.h"

#include <QObject>
#include <QString>

class TfrmEdit;
class QKeyEvent;
class DateEntry;
class FindReplace;
class GuidanceText;

// The editing and formatting commands of the main window and the plan text's key and
// mouse rules. Each command acts on the budget sheet while it is shown and on the plan
// text otherwise.
class EditCommands : public QObject {
    Q_OBJECT
public:
    explicit EditCommands(TfrmEdit* window);
    ~EditCommands() override;

    // The message shown when the text cannot undo its last step.
    static QString UndoErrorMessage();

    void cmdUndoClick();
    // Does the last undone step again (Edit menu "&Redo", Ctrl+Y, Ctrl+Shift+Z).
    void cmdRedoClick();
    void cmdCutClick();
    void cmdCopyClick();
    void cmdPasteClick();
    void mnuSelectAllClick();
    void mnuFindClick();
    void mnuReplaceClick();
    void mnuFontClick();
    void cmdSpellClick();
    void cmdCalClick();
    void InsertDate2Click();
    void InsertDate1Click();
    void mnuKeytextClick(int index);
    void cmdBoldClick();
    void cmdItalicClick();
    void cmdUnderClick();
    void cmdLeftClick();
    void cmdCenterClick();
    void cmdRightClick();
    void cmdJustifyClick();
    void cmdColourClick();
    void cmbFontClick();
    void cmbFontSizeClick();
    bool FormKeyPreview(QKeyEvent* event);

    // The plan text's events.
    void atx321KeyDown(int& key, Qt::KeyboardModifiers shift);
    void atx321KeyPress(int& key);
    void atx321KeyUp(int key, Qt::KeyboardModifiers shift);
    void atx321MouseDown(Qt::MouseButton button);
    void atx321MouseUp();
    void atx321Click();
    void atx321DblClick();
    void atx321ATXChange();
    void atx321ATXHScrollClick();
    void atx321ATXVScrollClick();

    // Lays the plan text out for the printable page less the plan's margins (run when the
    // text's panel changes size, after page and printer setup, and when a plan is loaded).
    void PageWidth();

    // Whether the budget sheet is showing in place of the plan text.
    bool budgetShown() const;

    // The key and mouse state of the plan text.
    bool CtrlKeyHeld = false;
    bool TagJumpPending = false;
    bool ClickWithoutSelection() const { return m_click.clickWithoutSelection; }
    bool RightButtonDown() const { return m_click.rightButtonDown; }

    // The date edits and the calendar; made once the calendar window exists.
    DateEntry* dates();
    FindReplace* findReplace() const { return m_find; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void followCaretInText(int key);
    // Shows the caret's font size again in place of a size the box refused.
    void showFontSize();
    void setAlignment(int alignment);
    void textChanged();
    void scrollGuidance(int key);

    TfrmEdit* w;
    DateEntry* m_dates = nullptr;
    FindReplace* m_find = nullptr;
    GuidanceText* m_guidance = nullptr;
    TextClickState m_click;
};
