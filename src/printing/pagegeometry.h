#pragma once

#include <QSizeF>

#include <cmath>

// The plan's page: its four margins and the text area they leave on the printer's
// printable page, all in inches.
struct PageGeometry {
    double left = 1;
    double right = 1;
    double top = 1;
    double bottom = 1;
    double textWidth = 0;
    double textHeight = 0;

    // The text area on a printable page of `printable` inches.
    void fitTo(QSizeF printable) {
        textWidth = printable.width() - left - right;
        textHeight = printable.height() - top - bottom;
    }
    bool operator==(const PageGeometry&) const = default;
};

// Inches to twips, rounded to the nearest twip.
inline int twips(double inches) {
    return int(std::lround(inches * 1440.0));
}
