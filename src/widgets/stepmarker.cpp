#include "widgets/stepmarker.h"

#include <QPainter>

StepMarker::StepMarker(int number, QWidget* parent) : QWidget(parent), m_number(number) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize StepMarker::sizeHint() const {
    const int d = fontMetrics().height() + 8;
    return {d, d};
}

void StepMarker::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int d = qMin(width(), height()) - 1;
    const QRectF disc((width() - d) / 2.0, (height() - d) / 2.0, d, d);
    p.setPen(Qt::NoPen);
    p.setBrush(isEnabled() ? QColor(0, 0, 128) : palette().color(QPalette::Mid));
    p.drawEllipse(disc);
    QFont f = font();
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(disc, Qt::AlignCenter, QString::number(m_number));
}
