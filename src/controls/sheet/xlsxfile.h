#pragma once

#include <QString>

namespace Sheet {

class SheetModel;

// Writes the sheet as an Office Open XML workbook (.xlsx) for today's spreadsheets: every
// cell with its value, each formula with its last value (so that a reader that does not
// recalculate shows what the sheet shows), fonts, colours, alignment, number formats,
// protection flags, column widths, row heights, frozen panes and the print settings
// (paper, orientation, margins, centring, scale or fit to pages, grid lines, headings,
// the frozen rows and columns repeated on every page). The file is written atomically.
// False when it could not be written; `error` then says why (for a failed write, the
// file and the system's reason).
bool writeXlsx(const SheetModel& model, const QString& path, QString* error = nullptr);

} // namespace Sheet
