#include "widgets/ruler.h"

#include "controls/text/textcontrol.h"
#include "platform/printerinfo.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>
#include <cmath>
#include <exception>

namespace {

constexpr int kTwipsPerInch = 1440;
// Where, on the picture, the text's left edge lies: under the middle of a marker standing
// at the margin (marker left 3, on a picture placed 2 pixels left of the ruler).
constexpr int kPictureZero = 3 + Ruler::kMarkerWidth / 2 - Ruler::kImageLeft;

int roundToInt(double v) {
    return int(std::lround(v));
}

// The ruler's scale: ticks every 1/8 inch, longer ones at the half inch, numbers at the
// whole inches.
class RulerPicture : public QWidget {
public:
    explicit RulerPicture(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("Image1"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    double ppi = 96;

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter p(this);
        const QRect area = event->rect();
        p.fillRect(area, Qt::white);
        QFont f = font();
        f.setPixelSize(9);
        p.setFont(f);
        p.setPen(QColor(64, 64, 64));
        const double step = ppi / 8.0;
        const int firstTick = std::max(0, int(std::floor((area.left() - kPictureZero) / step)) - 1);
        const int lastTick = int(std::ceil((area.right() - kPictureZero) / step)) + 1;
        const int bottom = height() - 1;
        for (int i = firstTick; i <= lastTick; ++i) {
            const int x = kPictureZero + roundToInt(i * step);
            if (i % 8 == 0) {
                if (i == 0) continue;
                const QString label = QString::number(i / 8);
                const QRect box(x - 10, 0, 20, height());
                p.drawText(box, Qt::AlignCenter, label);
            } else if (i % 4 == 0) {
                p.drawLine(x, bottom - 5, x, bottom - 1);
            } else {
                p.drawLine(x, bottom - 3, x, bottom - 2);
            }
        }
    }
};

QPixmap markerPicture(bool pointingDown) {
    const int w = Ruler::kMarkerWidth;
    const int h = 7;
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, false);
    QPainterPath path;
    if (pointingDown) {
        path.moveTo(0, 0);
        path.lineTo(w - 1, 0);
        path.lineTo((w - 1) / 2.0, h - 1);
    } else {
        path.moveTo((w - 1) / 2.0, 0);
        path.lineTo(w - 1, h - 1);
        path.lineTo(0, h - 1);
    }
    path.closeSubpath();
    p.setPen(QColor(32, 32, 32));
    p.setBrush(QColor(200, 200, 200));
    p.drawPath(path);
    return pm;
}

} // namespace

Ruler::Ruler(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("rulMain"));
    setFixedHeight(kHeight);
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setLineWidth(1);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    auto* picture = new RulerPicture(this);
    Image1 = picture;

    Panel5 = new QFrame(this);
    Panel5->setObjectName(QStringLiteral("Panel5"));
    Panel5->setFrameShape(QFrame::Panel);
    Panel5->setFrameShadow(QFrame::Sunken);
    Panel5->setAutoFillBackground(true);
    QPalette shaded = Panel5->palette();
    shaded.setColor(QPalette::Window, QColor(192, 192, 192));
    Panel5->setPalette(shaded);

    imgFirstLineIndent = new QLabel(this);
    imgFirstLineIndent->setObjectName(QStringLiteral("imgFirstLineIndent"));
    imgFirstLineIndent->setPixmap(markerPicture(true));
    imgFirstLineIndent->setToolTip(QStringLiteral("First Line Indent"));
    imgLeftIndent = new QLabel(this);
    imgLeftIndent->setObjectName(QStringLiteral("imgLeftIndent"));
    imgLeftIndent->setPixmap(markerPicture(false));
    imgLeftIndent->setToolTip(QStringLiteral("Left Indent"));
    for (QLabel* marker : {imgFirstLineIndent, imgLeftIndent}) {
        marker->setFixedSize(kMarkerWidth, 7);
        marker->setCursor(Qt::SizeHorCursor);
        marker->installEventFilter(this);
    }
    layoutChildren();
}

Ruler::~Ruler() = default;

int Ruler::snapPixels(double x, double ppi) {
    const double g = ppi * 0.0625;
    if (g <= 0) return 0;
    if (x < g) x = 0;
    const long k = std::lround(x / g);
    return roundToInt(double(k) * g);
}

int Ruler::markerLeft(int twips, double ppi) {
    const double g = ppi * 0.0625;
    if (g <= 0) return 3;
    const long k = std::lround(ppi * twips / kTwipsPerInch / g);
    return roundToInt(double(k) * g + 3);
}

Ruler::Indents Ruler::dragIndents(Marker marker, double x, double ppi, int docWidth,
                                  int rightIndent, Indents current) {
    const int snapped = snapPixels(x, ppi);
    double e = double(snapped) / ppi * kTwipsPerInch;
    const double limit = double(docWidth) - rightIndent - kMinTextWidth;
    Indents out = current;
    if (marker == LeftMarker) {
        if (e >= limit) e = limit;
        if (current.firstLine + e >= limit)
            e = double(docWidth) - rightIndent - current.firstLine - kMinTextWidth;
        out.left = roundToInt(std::max(e, 0.0));
        if (out.left + out.firstLine < 0) out.firstLine = -out.left;
    } else {
        e = std::max(e, 0.0);
        if (e >= limit) e = limit;
        out.firstLine = roundToInt(e - current.left);
    }
    return out;
}

void Ruler::setTextControl(TextControl* text) {
    m_text = text;
}

void Ruler::setPixelsPerInch(double ppi) {
    if (ppi <= 0) return;
    m_ppi = ppi;
    static_cast<RulerPicture*>(Image1)->ppi = ppi;
    m_lastSnapFirst = m_lastSnapLeft = -1;
    Image1->update();
}

void Ruler::placeMarkers(const Indents& indents) {
    m_firstLeft = markerLeft(indents.firstLine + indents.left, m_ppi);
    m_leftLeft = markerLeft(indents.left, m_ppi);
    layoutChildren();
}

void Ruler::followCaret() {
    if (!m_text) return;
    placeMarkers({m_text->FirstLineIndent(), m_text->LeftIndent()});
}

bool Ruler::dragMarker(Marker marker, double x) {
    if (!m_text) return false;
    int& last = marker == LeftMarker ? m_lastSnapLeft : m_lastSnapFirst;
    const int snapped = snapPixels(x, m_ppi);
    if (snapped == last) return false;
    last = snapped;
    try {
        const Indents now{m_text->FirstLineIndent(), m_text->LeftIndent()};
        const Indents next =
            dragIndents(marker, x, m_ppi, m_text->DocWidth(), m_text->RightIndent(), now);
        m_text->setLeftIndent(next.left);
        m_text->setFirstLineIndent(next.firstLine);
        placeMarkers(next);
    } catch (const std::exception&) {
        m_text->setFirstLineIndent(0);
        m_text->setLeftIndent(0);
        placeMarkers({});
    }
    emit indentsChanged();
    return true;
}

Ruler::TextArea Ruler::textArea(double leftMargin, double rightMargin, double topMargin,
                                double bottomMargin) {
    double width = PrinterInfo::kFallbackWidth;
    double height = PrinterInfo::kFallbackHeight;
    // Without a printer: the paper chosen in page setup.
    PrinterInfo::instance().printablePage(&width, &height);
    return {width - leftMargin - rightMargin, height - topMargin - bottomMargin};
}

int Ruler::guidanceDocWidth(int paneWidth, double ppi) {
    return roundToInt((paneWidth - 20) / ppi * kTwipsPerInch);
}

void Ruler::applyTextArea(const TextArea& area, TextControl* guidance) {
    const int docWidth = roundToInt(area.width * kTwipsPerInch);
    if (m_text) {
        m_text->setDocWidth(docWidth);
        m_text->setPageHeight(roundToInt(area.height * kTwipsPerInch));
    }
    m_rightAreaLeft = roundToInt(double(docWidth) / kTwipsPerInch * m_ppi + 5);
    if (guidance) {
        guidance->setPrinterDC(0);
        guidance->setDocWidth(guidanceDocWidth(guidance->width(), m_ppi));
    }
    if (m_text) m_text->setScrollHorz(0);
    m_scroll = 0;
    layoutChildren();
}

void Ruler::followScroll() {
    if (m_text) setScrollOffset(roundToInt(double(m_text->ScrollHorz()) / kTwipsPerInch * m_ppi));
}

void Ruler::setScrollOffset(int pixels) {
    if (pixels == m_scroll) return;
    m_scroll = pixels;
    layoutChildren();
}

void Ruler::layoutChildren() {
    const int inner = 1; // inside the bevel
    Image1->setGeometry(kImageLeft - m_scroll, inner, kWidth - kImageLeft, kHeight - 2 * inner);
    Panel5->setGeometry(m_rightAreaLeft - m_scroll, 0, std::max(0, kWidth - m_rightAreaLeft),
                        kHeight);
    imgFirstLineIndent->move(m_firstLeft - m_scroll, 1);
    imgLeftIndent->move(m_leftLeft - m_scroll, kHeight - 1 - 7);
    imgFirstLineIndent->raise();
    imgLeftIndent->raise();
}

void Ruler::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    layoutChildren();
}

bool Ruler::eventFilter(QObject* watched, QEvent* event) {
    auto* marker = qobject_cast<QLabel*>(watched);
    if (marker && (marker == imgFirstLineIndent || marker == imgLeftIndent)) {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* me = static_cast<QMouseEvent*>(event);
            if (me->button() != Qt::LeftButton) break;
            if (m_dragging) break;
            m_dragging = marker;
            m_grabOffset = int(me->position().x());
            m_lastSnapFirst = m_lastSnapLeft = -1;
            // Every spot the marker passes changes the indents; the drag is one undo.
            m_dragText = m_text;
            if (m_dragText) m_dragText->beginUndoGroup();
            return true;
        }
        case QEvent::MouseMove: {
            if (m_dragging != marker) break;
            auto* me = static_cast<QMouseEvent*>(event);
            const int pointer = marker->mapTo(this, me->position().toPoint()).x() + m_scroll;
            // Over the area beyond the right margin a drag is accepted and ignored.
            if (pointer >= m_rightAreaLeft) return true;
            // The marker's left where the user is taking it, read as a spot on the picture
            // the way the marker rule places markers (left = spot + 3).
            const double spot = pointer - m_grabOffset - 3;
            dragMarker(marker == imgLeftIndent ? LeftMarker : FirstLineMarker, spot);
            return true;
        }
        case QEvent::MouseButtonRelease:
            if (m_dragging == marker) {
                m_dragging = nullptr;
                if (m_dragText) m_dragText->endUndoGroup();
                m_dragText = nullptr;
                return true;
            }
            break;
        default:
            break;
        }
    }
    return QFrame::eventFilter(watched, event);
}

int SectionPointerTop(TextControl* text, int paragraph, double ppi, int textTop) {
    if (!text) return textTop;
    int x = 0;
    int y = 0;
    text->ATX_CURTOXY(paragraph, 0, x, y);
    return roundToInt(ppi * double(y - text->ScrollVert()) / kTwipsPerInch + textTop);
}
