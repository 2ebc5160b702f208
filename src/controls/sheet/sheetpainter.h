#pragma once

#include "sheetmodel.h"

#include <QColor>
#include <QFont>
#include <vector>

class QPainter;

// Draws cells, for the screen and for paper alike.
namespace Sheet {

// A row or column placed on the device: its number, where it starts and how long it is,
// in device pixels.
struct Span {
    int index;
    double pos;
    double size;
};

struct CellPaintOptions {
    // Device pixels per sheet pixel (a sheet pixel is 1/96 inch): 1 on a screen at its
    // normal size, printer resolution / 96 times the print scale on paper.
    double unit = 1;
    bool gridLines = true;
    QColor gridColor = QColor(0xD0, 0xD0, 0xD0);
    QColor background = Qt::white;
};

// The font of a cell for a device, sized in device pixels.
QFont cellFont(const CellFormat& f, double unit);

// Draws the cells where the rows and columns cross: background, grid lines, then each
// value with its font, colour and alignment. Text flows over empty neighbours to the
// right (left aligned) or both sides (centred), within the columns given; numbers too
// wide for their cell show as "###".
void paintCells(QPainter& p, const SheetModel& m, const std::vector<Span>& rows,
                const std::vector<Span>& cols, const CellPaintOptions& o);

} // namespace Sheet
