#pragma once

#include "analysis/grids.h"

class TextControl;

// The tables the analyses write into the plan at the caret, built through the text
// control's table functions from the window's grid as it was when the window closed.
// Each adds a new table (an earlier one is left as it is), two lines below the caret's
// line, with the caret ending one line lower than it stood. Repainting of the control is
// held off while a table is built.

// Heading row ("KFS Description", "W", "A" to "H"), one row per factor and the totals row
// (bold, its "Totals" right-aligned); ten columns, the first as wide as four; thick border.
void insertCompetitorTable(TextControl& text, const Grid& grid);

// Heading row ("Factor description", the letter "P" or "W", "-5" to "5", "Total"), one
// row per factor; fourteen columns; score and total cells centred; thick border.
void insertFactorScoreTable(TextControl& text, const Grid& grid, const QString& letter);

// The SWOT grid as a table of 22 rows: wide, narrow, wide, narrow; headings of rows 0 and
// 11 bold, underlined and centred; outline border. Repainting comes back when the caller
// (the navigator) ends its work.
void insertSwotTable(TextControl& text, const Grid& grid);
