#pragma once

#include "controls/text/textformat.h"

// What a table in the document model carries beyond Qt's own table formats. A table is a
// QTextTable laid on a grid: the grid columns are the union of every row's cell bounds,
// so rows whose cells differ in width are cells spanning grid columns. A row that ends
// short of the others is filled out with one filler cell that is not part of the table's
// text (it has no borders, is never counted and is never written to a file) until text is
// typed or pasted into it: then it is a cell like the others.
namespace TableFormat {

enum Property {
    // QTextTableFormat.
    BorderStyleProperty = TextFormat::FirstPrivateProperty + 51, // int: Border below
    GridBoundsProperty = TextFormat::FirstPrivateProperty + 52,  // QList<int>: right edge of
                                                                 // each grid column, twips
    // QTextTableCellFormat, on every cell that starts in the row.
    RowHeightProperty = TextFormat::FirstPrivateProperty + 53,  // int twips: 0 automatic,
                                                                // > 0 at least, < 0 exactly
    FillerCellProperty = TextFormat::FirstPrivateProperty + 54, // bool
};

// The table's border styles.
enum Border { NoBorder = 0, Outline = 1, AllBorders = 2, ThickOutline = 3 };

constexpr int DefaultTableWidth = 9360;        // twips: 6.5 inches, when the control has no width
constexpr int CellGap = 108;                   // twips between a cell's edge and its text
constexpr int MinCellWidth = 2 * CellGap + 20; // the narrowest a cell may become
constexpr int ThinBorderWidth = 10;            // twips (half a point)
constexpr int ThickBorderWidth = 30;           // twips (a point and a half)
constexpr int MaxColumns = 63;                 // cells in a row, as other word processors allow
constexpr int MaxRows = 32767;

// Table lengths on screen are in the layout's pixels at 96 per inch, the unit in which the
// control sets its text width, so that a table across the page width fills the page.
inline double twipsToUnits(int twips) {
    return twips / 15.0;
}
inline int unitsToTwips(double units) {
    return int(units * 15.0 + (units >= 0 ? 0.5 : -0.5));
}

} // namespace TableFormat
