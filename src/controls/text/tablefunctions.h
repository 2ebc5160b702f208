#pragma once

class QTextEdit;

// The text control's exported table functions. Each takes the control first (any
// QTextEdit; the program passes its TextControl) and works on the table at the caret.
//
// Rows and cells are numbered from 0 in each table; a row's cells are counted left to
// right, a cell merged down from the rows above counting in each row it covers. Lengths
// are twips. Bound i of a row is the left edge of its cell i; bound n (n cells) is the
// right edge of its last cell; bounds are measured from the row's left edge.
//
// Results: 0 done, or one of the error codes below (above 0), except where a function
// says it returns a value. A function that fails changes nothing.
enum TableError {
    TableOk = 0,
    TableNotInTable = 1,  // the caret is not in a table
    TableBadArgument = 2, // a number outside what the function accepts
    TableNothingToDo = 3, // e.g. merging a single cell
    TableInTable = 4,     // a table cannot be made inside a table
};

// Inserts a table of `rows` rows and `columns` equal cells across the control's page width
// (its DocWidth property, when it has one) at the caret, and puts the caret in its first cell.
// At most TableFormat::MaxRows rows and TableFormat::MaxColumns cells. With the caret in a
// table the new table goes just before that table (tables are not nested).
int ATX_INSERTTABLE(QTextEdit* atx, int rows, int columns);
// Inserts a row shaped like the current one above it; the caret goes into its first cell.
int ATX_INSERTTABLEROW(QTextEdit* atx);
// Deletes the selected cells (the caret's cell without a selection). Whole rows selected
// are removed; otherwise the cells right of the deleted ones move left. A row left without
// cells goes, and so does a table left without rows.
int ATX_DELETETABLECELL(QTextEdit* atx);
// Deletes the current row. The caret goes into the row that takes its place, or, when the
// last row went, to the paragraph after the table.
int ATX_DELETETABLEROW(QTextEdit* atx);
// Merges the selected cells. With 1 (or any number from 0) the selected cells of each
// selected row are joined, and the rows too when several are selected; cells without text
// add nothing to the joined cell. With -1 the columns the selection covers in its row are
// joined in every row of the table, and every joined cell keeps one paragraph for each
// cell it took in, its own first.
int ATX_MERGETABLECELL(QTextEdit* atx, int mode);
// Splits the current cell into `columns` cells of equal width; its text stays in the first.
int ATX_SPLITTABLECELL(QTextEdit* atx, int columns);
// Turns the selected paragraphs (the caret's paragraph without a selection) into a table:
// one row per paragraph, the cells separated by tabs.
int ATX_CONVERTTOTABLE(QTextEdit* atx);
// Tab (direction 1) and Shift+Tab (-1) in a table: the caret goes to the end of the text of
// the next or previous cell in reading order (a cell merged down counts in its first row). Tab in
// the last cell first adds an empty row shaped like the last one; Shift+Tab in the first
// cell returns TableNothingToDo.
int ATX_NEXTTABLECELL(QTextEdit* atx, int direction);
// Returns the number of rows of the table at the caret, 0 when the caret is not in one.
int ATX_TABLEROWS(QTextEdit* atx);
// With both flags 0 puts the caret at the start of the row's first cell; with either flag
// set extends the selection to the end of the row's last cell. A row past the last means
// the last. When the caret stands in the paragraph right after a table, that table is meant.
int ATX_SETCURTABLEROW(QTextEdit* atx, int row, int extend, int extend2);
// The same for a cell of the current row (a cell past the last means the last).
int ATX_SETCURTABLEROWCELL(QTextEdit* atx, int cell, int extend, int extend2);
// Current row's number and cell count, its left and right bound positions.
int ATX_GETCURROWINFO(QTextEdit* atx, int& row, int& cells, int& left, int& right);
// Current row and cell number, the cell's left and right bound positions and its width.
int ATX_GETCURCELLINFO(QTextEdit* atx, int& row, int& cell, int& left, int& right, int& width);
// In the current row: the bound numbers where the selected cells begin and end, and the
// positions of those two bounds.
int ATX_GETSELCELLSBOUNDS(QTextEdit* atx, int& firstBound, int& lastBound, int& left, int& right);
// Moves bound number `bound` of the current row by `distance`. With `rows` 1 only that
// row changes; otherwise the same column edge moves in every row: each row's bound that
// stands where the current row's does (rows with no bound there keep theirs). A bound
// never passes its neighbours; bound 0 does not move.
int ATX_CHANGETABLEBOUND(QTextEdit* atx, int bound, int rows, int distance);
// The current row's height: the height given to it, else the height it takes on screen.
int ATX_GETCURROWH(QTextEdit* atx, int& height);
// Gives the current row (rows 1) or every row of the table (rows -2) a least height;
// 0 returns them to automatic heights.
int ATX_SETCURROWH(QTextEdit* atx, int rows, int height);
// Sets the table's border: 0 none, 1 outline, 2 all, 3 thick outline. With -1 returns the
// current border (-1 when the caret is not in a table).
int ATX_TABLEBORDER(QTextEdit* atx, int border);
