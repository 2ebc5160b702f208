#pragma once

#include <QString>

#include <initializer_list>
#include <optional>

class QLineEdit;
class QWidget;
class TextControl;
class Tcellsdlg;
class Tdlgborder;
class Tfrminserttbl;
class Tsplitcelllsdlg;

// The Table menu's commands on the plan text. Each works on the table at the caret and
// ends by repainting the control; each returns whether it changed anything. A failure of
// the control is reported in the program's words, and nothing else happens.
namespace TableCommands {

// Insert Table: the dialog, then a table of its rows and columns at the caret.
bool insertTable(TextControl* atx, Tfrminserttbl* dialog);
bool insertRow(TextControl* atx);
bool deleteCells(TextControl* atx);
bool mergeCells(TextControl* atx);
// Split Cells: the dialog, then the current cell split into its number of columns.
bool splitCells(TextControl* atx, Tsplitcelllsdlg* dialog);
bool selectRow(TextControl* atx);
bool selectTable(TextControl* atx);
// Cell Height and Width: the dialog filled from the current row and cell, then the width
// given to the selected cells and the height to the row (or all rows).
bool cellHeightAndWidth(TextControl* atx, Tcellsdlg* dialog);
bool convertTextToTable(TextControl* atx);
// Borders: nothing outside a table; else the dialog showing the current border, then the
// border chosen.
bool borders(TextControl* atx, Tdlgborder* dialog);

// A count typed into the insert or split dialog: a whole number from 1 to 100. Anything
// else is refused with a message and gives nothing.
std::optional<int> readCount(const QString& text, QWidget* parent = nullptr);
// The warning for a whole number outside 1 to 100; empty for a count in range and for
// text that is no whole number.
QString countOutOfRange(const QString& text);
// The insert and split dialogs' OK: a count out of range is refused with that warning and
// the dialog stays open with the count selected, to be corrected. Returns whether the
// dialog may close.
bool acceptCounts(std::initializer_list<QLineEdit*> edits);

// The message for an error code of the control's table functions.
QString errorText(int code);

} // namespace TableCommands
