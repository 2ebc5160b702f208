#include "printing/contents.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kDpi = 1440; // twips an inch

// The plan's look: Arial, its headings 16 point bold, its body 11 point. The spacing lets
// the template's sections fit one page of A4 or Letter with inch margins.
constexpr int kHeadingSize = 16 * 20; // twips
constexpr int kEntrySize = 11 * 20;
constexpr double kHeadingGap = 240;   // below the heading
constexpr double kPartGap = 80;       // above a top-level entry that is not the first
constexpr double kLineFactor = 1.2;   // a line's pitch, in font sizes
constexpr double kBaseline = 0.95;    // a line's baseline below its top, in font sizes
constexpr double kIndent = 360;       // per level below the top
constexpr double kLeaderGap = 100;    // between the leaders and the words either side
constexpr double kDotPitch = 120;     // a twelfth of an inch between dots
constexpr double kDotRadius = 9;

QFont contentsFont(int sizeTwips, bool bold) {
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(sizeTwips);
    f.setBold(bold);
    // Metrics and drawing alike unhinted: the same widths at every resolution.
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

QFont entryFont(int depth) {
    return contentsFont(kEntrySize, depth == 0);
}

// Lines go by the font's size rather than by the line spacing it states, which differs from
// one Arial to another (Nimbus Sans, which stands in for Arial without Liberation, states
// a third more than it draws): the contents take as many pages wherever they are printed.
double headingHeight() {
    return kHeadingSize * kLineFactor;
}

double entryPitch() {
    return std::ceil(kEntrySize * kLineFactor);
}

// Where a line's words stand, below its top: room above for capitals and accents, below
// for descenders.
double baselineOf(int sizeTwips) {
    return sizeTwips * kBaseline;
}

} // namespace

ContentsPages::ContentsPages(const QList<ContentsEntry>& entries, int widthTwips,
                             int heightTwips)
    : m_entries(entries), m_width(std::max(1, widthTwips)), m_height(std::max(1, heightTwips)) {
    const double pitch = entryPitch();
    const double first = headingHeight() + kHeadingGap;
    std::vector<Line> page;
    double y = first;
    for (int i = 0; i < m_entries.size(); ++i) {
        double top = y;
        if (m_entries[i].depth == 0 && !page.empty()) top += kPartGap;
        // A line that would run past the page's foot begins the next page, below the
        // heading's place (which only the first page fills).
        if (top + pitch > m_height && !page.empty()) {
            m_pages.push_back(std::move(page));
            page.clear();
            top = first;
        }
        page.push_back({i, QRectF(0, top, m_width, pitch)});
        y = top + pitch;
    }
    m_pages.push_back(std::move(page));
}

void ContentsPages::drawPage(QPainter* painter, int index, QPointF originTwips) const {
    if (index < 0 || index >= pageCount()) return;
    QPaintDevice* device = painter->device();
    if (!device) return;
    painter->save();
    painter->scale(device->logicalDpiX() / kDpi, device->logicalDpiY() / kDpi);
    painter->translate(originTwips);
    painter->setPen(Qt::black);

    if (index == 0) {
        const QFont font = contentsFont(kHeadingSize, true);
        painter->setFont(font);
        painter->drawText(QPointF(0, baselineOf(kHeadingSize)), heading());
    }

    for (const Line& line : lines(index)) {
        const ContentsEntry& e = m_entries[line.entry];
        const QFont font = entryFont(e.depth);
        const QFontMetricsF fm(font);
        painter->setFont(font);
        const double baseline = line.box.top() + baselineOf(kEntrySize);
        const double left = kIndent * std::max(0, e.depth);

        const QString number = QString::number(e.page);
        const double numberWidth = fm.horizontalAdvance(number);
        const double numberLeft = m_width - numberWidth;
        // A title too long for its line ends in an ellipsis before the number's column.
        const double room = numberLeft - 2 * kLeaderGap - left;
        const QString title = fm.elidedText(e.title, Qt::ElideRight, std::max(0.0, room));
        painter->drawText(QPointF(left, baseline), title);
        painter->drawText(QPointF(numberLeft, baseline), number);

        // Leaders: dots on a grid across the page, so that they line up from line to line.
        const double from = left + fm.horizontalAdvance(title) + kLeaderGap;
        const double to = numberLeft - kLeaderGap;
        painter->save();
        painter->setPen(Qt::NoPen);
        painter->setBrush(Qt::black);
        for (double x = std::ceil(from / kDotPitch) * kDotPitch; x <= to; x += kDotPitch)
            painter->drawEllipse(QPointF(x, baseline - kDotRadius), kDotRadius, kDotRadius);
        painter->restore();
    }
    painter->restore();
}
