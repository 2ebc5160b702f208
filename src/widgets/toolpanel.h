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
    // A flat 24 x 23 button with a 16-pixel picture at the end of the row; the hint is
    // its tip and its status-bar text. It never takes the focus from the text.
    class QToolButton* addButton(const QString& name, const QIcon& icon, const QString& hint,
                                 bool checkable = false);
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
