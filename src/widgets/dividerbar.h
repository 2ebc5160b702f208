#pragma once

#include <QFrame>
#include <QPointer>

// A bar the user drags to size the panel before it: a vertical bar sets that panel's
// width, a horizontal one its height. The panel and the space after the bar each keep a
// margin, so neither can be dragged away to nothing. Other widgets (buttons) may sit on
// the bar.
class DividerBar : public QFrame {
    Q_OBJECT
public:
    DividerBar(const QString& name, Qt::Orientation orientation, QWidget* parent = nullptr);

    // The panel whose size the bar controls and the widget sharing the space with both.
    void setSizedPanel(QWidget* panel, QWidget* container);
    void setMargin(int pixels) { m_margin = pixels; }
    int margin() const { return m_margin; }
    // The bar's thickness; 0 hides the bar without hiding the widgets in its place.
    void setThickness(int pixels);

    // Sets the panel's size, kept inside the margins when the container is laid out.
    void setPanelSize(int pixels);
    int panelSize() const;

signals:
    void Moved(int panelSize);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    int clamp(int size) const;

    Qt::Orientation m_orientation;
    QPointer<QWidget> m_panel;
    QPointer<QWidget> m_container;
    int m_margin = 20;
    int m_dragOffset = -1;
    int m_dragStartSize = 0;
};
