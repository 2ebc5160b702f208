#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <vector>

class QPainter;

// A navigator item as printed output shows it: a bookmark of the PDF, a line of the
// contents page, a heading of the Word document.
struct PdfSection {
    QString title;
    int depth = 0;      // 0 for a top-level item
    int tag = 0;        // the section tag its first paragraph carries in the plan text
    bool budget = false; // the budget's item: in a PDF with the budget it leads to the sheet
};

// One line of the contents page: a section and the number printed on the page where it
// begins.
struct ContentsEntry {
    QString title;
    int depth = 0;
    int page = 0; // as the page's footer numbers it, from 1
};

// The contents page (or pages, when the sections do not fit on one) that the printed plan
// has after its title page: the heading "Contents", then a line for each section with its
// page number at the right and dotted leaders between, the sections below the top level
// indented.
//
// Lengths are twips, as the paper layout of the text measures; fonts are sized in twips
// too, so that the lines and the pages they fill are the same on every printer, in the
// preview and in a PDF. Where the lines fall does not depend on the numbers, which may be
// set after the pages have been counted.
class ContentsPages {
public:
    ContentsPages(const QList<ContentsEntry>& entries, int widthTwips, int heightTwips);

    static QString heading() { return QStringLiteral("Contents"); }

    int pageCount() const { return int(m_pages.size()); }
    const QList<ContentsEntry>& entries() const { return m_entries; }
    void setPageNumber(int entry, int page) { m_entries[entry].page = page; }

    // Where an entry's line lies on its page, twips from the text area's top left.
    struct Line {
        int entry = 0;
        QRectF box;
    };
    const std::vector<Line>& lines(int page) const { return m_pages.at(size_t(page)); }

    // Draws page `index` with the text area's top left at `originTwips` (from the painter's
    // origin), scaled to the painter's device.
    void drawPage(QPainter* painter, int index, QPointF originTwips) const;

private:
    QList<ContentsEntry> m_entries;
    int m_width;
    int m_height;
    std::vector<std::vector<Line>> m_pages;
};
