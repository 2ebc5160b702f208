#pragma once

#include <QPointF>
#include <QRectF>

#include <limits>
#include <memory>
#include <vector>

class QPainter;
class QTextBlock;
class QTextDocument;

// A text laid out for paper once, and cut into pages, so that any page can be drawn on its
// own at the cost of that page.
//
// The layout is made on a device of 1440 dots per inch, so one layout unit is one twip and
// the line breaks, and with them the page breaks, are the same on every printer and in the
// preview, whatever their resolution. Drawing scales to the device painted on.
//
// Pages are cut between lines: a line is never split, a table row (with the rows that
// merged cells join to it) goes whole to the next page when it does not fit, and only a
// row taller than a whole page is cut, between its lines. A paragraph that asks for a page
// break before it starts a page.
class PaperLayout {
public:
    static constexpr double kDpi = 1440; // layout units per inch: twips

    // One stretch of the laid-out text that must stay on one page: a line, or a table row.
    struct Unit {
        double top = 0;
        double bottom = 0;
        bool breakBefore = false; // starts a new page
    };
    // The part of the laid-out text that one page shows: from `top` to `bottom`, and the
    // bottom of its content (below it, before `bottom`, lies only the space between lines).
    struct Page {
        double top = 0;
        double bottom = 0;
    };
    // Cuts the units (in order, top to bottom) into pages of `pageHeight`. A unit taller
    // than a page is cut at page height. Always at least one page.
    static std::vector<Page> paginate(const std::vector<Unit>& units, double pageHeight);

    // Lays `doc` out `widthTwips` wide and cuts it into pages `heightTwips` high. The layout
    // takes the document over; its margins are set to 0, its page is the text area.
    PaperLayout(std::unique_ptr<QTextDocument> doc, int widthTwips, int heightTwips);
    ~PaperLayout();
    PaperLayout(const PaperLayout&) = delete;
    PaperLayout& operator=(const PaperLayout&) = delete;

    int widthTwips() const { return m_width; }
    int heightTwips() const { return m_height; }
    int pageCount() const { return int(m_pages.size()); }
    const Page& page(int index) const { return m_pages.at(size_t(index)); }
    // How far down its text area the content of a page reaches, twips.
    double usedHeight(int index) const;
    const QTextDocument* document() const { return m_doc.get(); }
    // The page (from 0) on which the paragraph `block` of document() begins.
    int pageOfBlock(const QTextBlock& block) const;

    // Draws page `index` with its text area's top left at `originTwips` (from the painter's
    // origin, in twips), scaled to the painter's device.
    void drawPage(QPainter* painter, int index, QPointF originTwips) const;
    // Draws the top of the text, `heightTwips` of it at most, at `originTwips`; returns the
    // height drawn, twips.
    double drawTop(QPainter* painter, QPointF originTwips, double heightTwips) const;

private:
    // `before` is where the content of the page above ends, `after` where the next page's
    // begins.
    void draw(QPainter* painter, QPointF originTwips, const QRectF& part,
              double before = -std::numeric_limits<double>::infinity(),
              double after = std::numeric_limits<double>::infinity()) const;
    std::vector<Unit> units() const;

    std::unique_ptr<QTextDocument> m_doc;
    int m_width;
    int m_height;
    std::vector<Page> m_pages;
};
