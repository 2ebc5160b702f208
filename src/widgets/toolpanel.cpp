#include "widgets/toolpanel.h"

#include <QHBoxLayout>
#include <QToolButton>

ToolPanel::ToolPanel(const QString& name, int height, QWidget* parent) : QFrame(parent) {
    setObjectName(name);
    setFixedHeight(height);
    setFrameShape(QFrame::NoFrame);
    m_row = new QHBoxLayout(this);
    m_row->setContentsMargins(3, 1, 3, 1);
    m_row->setSpacing(0);
}

void ToolPanel::addWidget(QWidget* w) {
    m_row->addWidget(w, 0, Qt::AlignVCenter);
}

QToolButton* ToolPanel::addButton(const QString& name, const QIcon& icon, const QString& hint,
                                  bool checkable) {
    auto* b = new QToolButton(this);
    b->setObjectName(name);
    b->setIcon(icon);
    b->setIconSize(QSize(16, 16));
    b->setAutoRaise(true);
    b->setFixedSize(24, 23);
    b->setToolTip(hint);
    b->setStatusTip(hint);
    b->setCheckable(checkable);
    b->setFocusPolicy(Qt::NoFocus);
    addWidget(b);
    return b;
}

QFrame* ToolPanel::addBevel(const QString& name) {
    auto* bevel = new QFrame(this);
    bevel->setObjectName(name);
    bevel->setFrameShape(QFrame::VLine);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setFixedSize(8, height() - 6);
    m_row->addWidget(bevel, 0, Qt::AlignVCenter);
    return bevel;
}

void ToolPanel::addSpacing(int pixels) {
    m_row->addSpacing(pixels);
}

void ToolPanel::addStretch() {
    m_row->addStretch(1);
}

void ToolPanel::setVisible(bool visible) {
    const bool was = !isHidden();
    QFrame::setVisible(visible);
    if (was != !isHidden()) emit VisibleChanged(!isHidden());
}
