#include "widgets/metergauge.h"

#include <QPainter>

MeterGauge::MeterGauge(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void MeterGauge::setPercent(int percent) {
    percent = qBound(0, percent, 100);
    if (percent == m_percent) return;
    m_percent = percent;
    update();
}

QRect MeterGauge::inner() const {
    return rect().adjusted(2, 2, -2, -2);
}

int MeterGauge::fillTop() const {
    const QRect r = inner();
    return r.bottom() + 1 - r.height() * m_percent / 100;
}

void MeterGauge::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = palette();
    // A sunken well, as the classic meter has.
    p.fillRect(rect(), pal.color(QPalette::Base));
    p.setPen(pal.color(QPalette::Dark));
    p.drawLine(0, 0, width() - 1, 0);
    p.drawLine(0, 0, 0, height() - 1);
    p.setPen(pal.color(QPalette::Light));
    p.drawLine(1, height() - 1, width() - 1, height() - 1);
    p.drawLine(width() - 1, 1, width() - 1, height() - 1);
    const QRect r = inner();
    const int top = fillTop();
    if (top <= r.bottom()) {
        const QColor fill = isEnabled() ? pal.color(QPalette::Highlight) : pal.color(QPalette::Mid);
        p.fillRect(QRect(r.left(), top, r.width(), r.bottom() + 1 - top), fill);
    }
}
