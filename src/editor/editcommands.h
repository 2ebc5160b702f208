#pragma once

#include <QObject>

class TfrmEdit;
class QKeyEvent;

// The editing and formatting commands of the main window and the plan text's key and
// mouse rules. Each command acts on the budget sheet while it is shown and on the plan
// text otherwise.
class EditCommands : public QObject {
    Q_OBJECT
public:
    explicit EditCommands(TfrmEdit* window);

    void cmdUndoClick();
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

private:
    TfrmEdit* w;
};
