#pragma once

#include <QFrame>

// A strip of tool buttons docked above the text. Unlike a QToolBar it cannot be torn off
// or hidden by a context menu, and it tells whenever its own visibility flag changes,
// whoever changed it, so the View menu's check marks can follow it.
class ToolPanel : public QFrame {
    Q_OBJECT
public:
    explicit ToolPanel(const QString& name, int height, QWidget* parent = nullptr);

    // Lays a widget out at the end of the row.
    void addWidget(QWidget* w);
    // A thin sunken line between groups of buttons.
    QFrame* addBevel(const QString& name);
    void addSpacing(int pixels);
    void addStretch();

    void setVisible(bool visible) override;

signals:
    void VisibleChanged(bool visible);

private:
    class QHBoxLayout* m_row;
};
