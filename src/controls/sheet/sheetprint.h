#pragma once

#include "sheetmodel.h"

#include <QRectF>
#include <QSizeF>
#include <vector>

class QPainter;

namespace Sheet {

// Splits a sheet into printed pages and draws them. The printout covers the rows and
// columns holding content (within MaxRow and MaxCol); the frozen heading rows and
// columns repeat on every page; pages run down, then across. Sizes are worked out in
// sheet pixels (1/96 inch) and scaled to the device at drawing time, so that paper, PDF
// and preview show the same pages.
class SheetPrinter {
public:
    explicit SheetPrinter(const SheetModel& model);

    int pageCount() const { return int(m_pages.size()); }
    // Percent the pages print at: the set scale, or the largest one up to 100 that fits
    // the pages wide and high asked for (10 at least).
    int scale() const { return m_scale; }
    // The paper in inches, turned for landscape.
    QSizeF paperInches() const { return m_paper; }
    static QSizeF paperInches(const PrintSettings& print);
    // Draws page `page` (from 1) with the whole sheet of paper mapped onto `paper`
    // (device coordinates of the painter); the page keeps its proportions and is centred
    // in the rectangle.
    void drawPage(QPainter& p, const QRectF& paper, int page) const;
    // The rows and columns a page shows, titles first.
    std::vector<int> pageRows(int page) const;
    std::vector<int> pageCols(int page) const;

private:
    struct Band {
        int first, last;
    };
    static std::vector<Band> split(const std::vector<double>& sizes, int firstBody, double titles,
                                   double avail);
    bool layout(double scale);

    const SheetModel& m_model;
    QSizeF m_paper;
    int m_scale = 100;
    int m_lastRow = 0, m_lastCol = 0;
    int m_titleRows = 0, m_titleCols = 0;
    std::vector<Band> m_rowBands, m_colBands;
    struct Page {
        int rowBand, colBand;
    };
    std::vector<Page> m_pages;
};

} // namespace Sheet
