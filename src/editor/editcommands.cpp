#include "editor/editcommands.h"

#include "app/editfrm.h"

EditCommands::EditCommands(TfrmEdit* window) : QObject(window), w(window) {}

void EditCommands::cmdUndoClick() {}
void EditCommands::cmdCutClick() {}
void EditCommands::cmdCopyClick() {}
void EditCommands::cmdPasteClick() {}
void EditCommands::mnuSelectAllClick() {}
void EditCommands::mnuFindClick() {}
void EditCommands::mnuReplaceClick() {}
void EditCommands::mnuFontClick() {}
void EditCommands::cmdSpellClick() {}
void EditCommands::cmdCalClick() {}
void EditCommands::InsertDate2Click() {}
void EditCommands::InsertDate1Click() {}
void EditCommands::mnuKeytextClick(int) {}
void EditCommands::cmdBoldClick() {}
void EditCommands::cmdItalicClick() {}
void EditCommands::cmdUnderClick() {}
void EditCommands::cmdLeftClick() {}
void EditCommands::cmdCenterClick() {}
void EditCommands::cmdRightClick() {}
void EditCommands::cmdJustifyClick() {}
void EditCommands::cmdColourClick() {}
void EditCommands::cmbFontClick() {}
void EditCommands::cmbFontSizeClick() {}
bool EditCommands::FormKeyPreview(QKeyEvent*) { return false; }
