#pragma once

#include "editor/bluetext.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QAbstractButton;
class QAction;
class QCheckBox;
class QComboBox;
class QKeyEvent;
class QMenu;
class QToolButton;
class ToolPanel;
class DateEntry;
class FindReplace;
class GuidanceText;
class Navigator;
class Ruler;
class SheetControl;
class Speller;
class TextControl;
class TfrmCal;
class TfrmDic;
class Tfrmtextcolour;
class Tcellsdlg;
class Tdlgborder;
class Tfrminserttbl;
class Tsplitcelllsdlg;
struct PlanState;

// The main window's widgets the edit commands act on and keep in step.
struct EditWidgets {
    QWidget* window = nullptr;     // the dialogs' parent; painting held off while laying out
    TextControl* ATX321 = nullptr; // the plan text
    TextControl* ATX322 = nullptr; // the guidance pane
    SheetControl* spread = nullptr;
    Ruler* rulMain = nullptr;
    QWidget* Panel6 = nullptr; // the plan text's panel, whose size sets the page width
    Speller* Spell = nullptr;
    QCheckBox* chkAuto = nullptr; // "Select Blue"
    // The formatting toolbar.
    QComboBox* cmbFont = nullptr;
    QComboBox* cmbFontSize = nullptr;
    QToolButton* cmdBold = nullptr;
    QToolButton* cmdItalic = nullptr;
    QToolButton* cmdUnder = nullptr;
    QToolButton* cmdLeft = nullptr;
    QToolButton* cmdCenter = nullptr;
    QToolButton* cmdRight = nullptr;
    QToolButton* cmdJustify = nullptr;
    QToolButton* cmdColour = nullptr;
    QAbstractButton* cmdCal = nullptr;
    // The colour window opens below whichever of these show, else below `belowMenus`'s top.
    QList<QWidget*> toolbars;
    QWidget* belowMenus = nullptr;
    // The keytext items in key order (Ctrl+1 ... Ctrl+9, Ctrl+0): a hidden one is not set.
    QList<QAction*> keytextItems;
    // The popup menu of the text and the sheet, and its item for the sheet alone.
    QMenu* mnupopup = nullptr;
    QAction* DeleteRow1 = nullptr;
};

// The menu items the edit commands run: the Edit menu's, the hidden formatting items',
// the Table menu's and the popup's.
struct EditMenuItems {
    QAction *mnuUndo = nullptr, *mnuRedo = nullptr, *mnuCut = nullptr, *mnuCopy = nullptr,
            *mnuPaste = nullptr, *mnuSelectAll = nullptr, *mnuFind = nullptr,
            *mnuReplace = nullptr, *mnuFont = nullptr, *SpellCheck1 = nullptr,
            *InsertDate2 = nullptr;
    QList<QAction*> keytextItems; // in key order, as in EditWidgets
    QAction *Bold1 = nullptr, *Underline1 = nullptr, *Italic1 = nullptr, *AlignLeft1 = nullptr,
            *AlignCenter1 = nullptr, *AlignRight1 = nullptr, *AlignJustify1 = nullptr;
    QAction *InsertTable1 = nullptr, *InsertRow1 = nullptr, *DeleteCells1 = nullptr,
            *MergeCells1 = nullptr, *SplitCells1 = nullptr, *SelectRow1 = nullptr,
            *SelectTable1 = nullptr, *CellHeightandWidth1 = nullptr,
            *ConvertTexttoTable1 = nullptr, *Borders1 = nullptr;
    QAction *Undo1 = nullptr, *Cut1 = nullptr, *Copy1 = nullptr, *Paste1 = nullptr,
            *InsertDate1 = nullptr;
};

// What the edit commands ask of the rest of the program.
struct EditLinks {
    Navigator* navigator = nullptr;
    // Types a keytext into the budget sheet's active cell.
    std::function<void(const QString&)> typeIntoSheet;
    // The File commands the text's Ctrl keys run.
    std::function<void()> newPlan;
    std::function<void()> openPlan;
    std::function<void()> savePlan;
    std::function<void()> printAll;
    // Windows made after the main window (none yet gives null).
    std::function<TfrmCal*()> calendar;
    std::function<TfrmDic*()> dictionary;
    std::function<Tfrmtextcolour*()> colours;
    struct TableWindows {
        Tfrminserttbl* insert = nullptr;
        Tsplitcelllsdlg* split = nullptr;
        Tcellsdlg* cells = nullptr;
        Tdlgborder* borders = nullptr;
    };
    std::function<TableWindows()> tableWindows;
};

// The editing and formatting commands of the main window and the plan text's key and
// mouse rules. Each command acts on the budget sheet while it is shown and on the plan
// text otherwise.
class EditCommands : public QObject {
    Q_OBJECT
public:
    // Makes the formatting toolbar's widgets into `bar` and fills in their part of
    // `widgets`; the commands connect them when they are made.
    static void buildFormatBar(EditWidgets& widgets, ToolPanel& bar);

    EditCommands(const EditWidgets& widgets, EditLinks links, PlanState& plan,
                 QObject* parent = nullptr);
    ~EditCommands() override;

    // Runs the commands from their menu items.
    void connectMenus(const EditMenuItems& items);

    // Lists the system's font families in the font box, none of them chosen.
    void fillFontList();

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
    // Hidden formatting items: flip the matching button, then run its handler.
    void Bold1Click();
    void Underline1Click();
    void Italic1Click();
    void AlignLeft1Click();
    void AlignCenter1Click();
    void AlignRight1Click();
    void AlignJustify1Click();
    // The Table menu: each command that changes the plan marks it changed.
    void InsertTable1Click();
    void InsertRow1Click();
    void DeleteCells1Click();
    void MergeCells1Click();
    void SplitCells1Click();
    void SelectRow1Click();
    void SelectTable1Click();
    void CellHeightandWidth1Click();
    void ConvertTexttoTable1Click();
    void Borders1Click();

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

    QString keytext(int index) const;

    EditWidgets m_w;
    EditLinks m_links;
    PlanState& m_plan;
    DateEntry* m_dates = nullptr;
    FindReplace* m_find = nullptr;
    GuidanceText* m_guidance = nullptr;
    TextClickState m_click;
};
