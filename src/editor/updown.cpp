#include "editor/updown.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

UpDown::UpDown(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    btnUp = new QToolButton(this);
    btnUp->setObjectName("btnUp");
    btnUp->setArrowType(Qt::UpArrow);
    btnDown = new QToolButton(this);
    btnDown->setObjectName("btnDown");
    btnDown->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {btnUp, btnDown}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        b->setIconSize(QSize(7, 7));
        layout->addWidget(b);
    }
    connect(btnUp, &QToolButton::clicked, this, [this] { step(+1); });
    connect(btnDown, &QToolButton::clicked, this, [this] { step(-1); });
    setFixedWidth(17);
}

void UpDown::setRange(int min, int max) {
    m_min = min;
    m_max = std::max(min, max);
    m_position = std::clamp(m_position, m_min, m_max);
}

void UpDown::setIncrement(int increment) {
    m_increment = std::max(1, increment);
}

void UpDown::setPosition(int position) {
    m_position = std::clamp(position, m_min, m_max);
}

void UpDown::step(int direction) {
    long long from = m_position;
    if (m_buddy) {
        bool ok = false;
        const int shown = m_buddy->text().trimmed().toInt(&ok);
        if (ok) from = shown;
    }
    const long long to = from + static_cast<long long>(direction) * m_increment;
    if (to >= m_min && to <= m_max) {
        m_position = int(to);
        if (m_buddy) m_buddy->setText(QString::number(m_position));
    }
    emit Click(direction > 0);
}
