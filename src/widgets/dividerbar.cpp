#include "widgets/dividerbar.h"

#include <QMouseEvent>

DividerBar::DividerBar(const QString& name, Qt::Orientation orientation, QWidget* parent)
    : QFrame(parent), m_orientation(orientation) {
    setObjectName(name);
    setCursor(orientation == Qt::Vertical ? Qt::SplitHCursor : Qt::SplitVCursor);
    setFrameShape(QFrame::NoFrame);
}

void DividerBar::setSizedPanel(QWidget* panel, QWidget* container) {
    m_panel = panel;
    m_container = container;
}

void DividerBar::setThickness(int pixels) {
    if (m_orientation == Qt::Vertical)
        setFixedWidth(pixels);
    else
        setFixedHeight(pixels);
}

void DividerBar::setPanelSize(int pixels) {
    if (!m_panel) return;
    pixels = std::max(0, pixels);
    if (m_orientation == Qt::Vertical)
        m_panel->setFixedWidth(pixels);
    else
        m_panel->setFixedHeight(pixels);
}

int DividerBar::panelSize() const {
    if (!m_panel) return 0;
    return m_orientation == Qt::Vertical ? m_panel->width() : m_panel->height();
}

int DividerBar::clamp(int size) const {
    int room = 0;
    if (m_container) {
        const int thickness = m_orientation == Qt::Vertical ? width() : height();
        const int total =
            m_orientation == Qt::Vertical ? m_container->width() : m_container->height();
        room = total - thickness - m_margin;
    }
    if (room > m_margin) size = std::min(size, room);
    return std::max(size, m_margin);
}

void DividerBar::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !m_panel) {
        QFrame::mousePressEvent(e);
        return;
    }
    const QPoint p = e->globalPosition().toPoint();
    m_dragOffset = m_orientation == Qt::Vertical ? p.x() : p.y();
    m_dragStartSize = panelSize();
    e->accept();
}

void DividerBar::mouseMoveEvent(QMouseEvent* e) {
    if (m_dragOffset < 0 || !m_panel) {
        QFrame::mouseMoveEvent(e);
        return;
    }
    // Global positions: the bar itself moves while it is dragged.
    const QPoint p = e->globalPosition().toPoint();
    const int delta = (m_orientation == Qt::Vertical ? p.x() : p.y()) - m_dragOffset;
    const int size = clamp(m_dragStartSize + delta);
    if (size != panelSize()) {
        setPanelSize(size);
        emit Moved(size);
    }
    e->accept();
}

void DividerBar::mouseReleaseEvent(QMouseEvent* e) {
    m_dragOffset = -1;
    QFrame::mouseReleaseEvent(e);
}
