#include "editor/colorfrm.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QToolButton>

namespace {

QIcon swatch(const QColor& colour) {
    QPixmap pm(14, 14);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QColor(96, 96, 96));
    p.setBrush(colour);
    p.drawRect(0, 0, 13, 13);
    return QIcon(pm);
}

} // namespace

const std::array<Tfrmtextcolour::Colour, 16>& Tfrmtextcolour::colours() {
    static const std::array<Colour, 16> table = {{
        {"black", 0, 0, 0},
        {"blue", 0, 0, 255},
        {"Dark Blue", 0, 0, 128},
        {"Dark Grey", 128, 128, 128},
        {"Dark Yellow", 128, 128, 0},
        {"Dark Green", 0, 128, 0},
        {"Light Grey", 192, 192, 192},
        {"Lime", 0, 255, 0},
        {"Dark Red", 128, 0, 0},
        {"Pink", 255, 0, 255},
        {"Red", 255, 0, 0},
        {"Turquoise", 0, 255, 255},
        {"Teal", 0, 128, 128},
        {"Violet", 128, 0, 128},
        {"White", 255, 255, 255},
        {"Yellow", 255, 255, 0},
    }};
    return table;
}

int Tfrmtextcolour::fontColor(int tag) {
    if (tag < 1 || tag > 16) return 0;
    const Colour& c = colours()[tag - 1];
    return c.red + 256 * c.green + 65536 * c.blue;
}

Tfrmtextcolour::Tfrmtextcolour(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("frmtextcolour"));
    setWindowTitle(QStringLiteral("Text Colour"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(3, 3, 3, 3);
    grid->setSpacing(1);
    for (int tag = 1; tag <= 16; ++tag) {
        const Colour& c = colours()[tag - 1];
        auto* b = new QToolButton(this);
        b->setObjectName(QStringLiteral("SpeedButton%1").arg(tag));
        b->setProperty("Tag", tag);
        b->setToolTip(QString::fromLatin1(c.hint));
        b->setIcon(swatch(QColor(c.red, c.green, c.blue)));
        b->setIconSize(QSize(14, 14));
        b->setAutoRaise(true);
        b->setFixedSize(20, 20);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QToolButton::clicked, this, [this, tag] { ColourClick(tag); });
        grid->addWidget(b, (tag - 1) / 8, (tag - 1) % 8);
        m_buttons[tag - 1] = b;
    }
    grid->setSizeConstraint(QLayout::SetFixedSize);
    setFocusPolicy(Qt::StrongFocus);
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state != Qt::ApplicationActive) hide();
            });
}

QToolButton* Tfrmtextcolour::button(int tag) const {
    return tag >= 1 && tag <= 16 ? m_buttons[tag - 1] : nullptr;
}

void Tfrmtextcolour::ColourClick(int tag) {
    hide();
    if (onColour) onColour(fontColor(tag));
}

void Tfrmtextcolour::showBelow(QWidget* colourButton, int toolbarsBottom) {
    if (colourButton) {
        QWidget* window = colourButton->window();
        const int buttonLeft = colourButton->mapTo(window, QPoint(0, 0)).x();
        adjustSize();
        QPoint at = window->mapToGlobal(QPoint(buttonLeft, toolbarsBottom));
        if (QScreen* screen = colourButton->screen()) {
            const QRect avail = screen->availableGeometry();
            at.setX(
                std::clamp(at.x(), avail.left(), std::max(avail.left(), avail.right() - width())));
            at.setY(
                std::clamp(at.y(), avail.top(), std::max(avail.top(), avail.bottom() - height())));
        }
        move(at);
    }
    show();
    raise();
    activateWindow();
    setFocus(Qt::OtherFocusReason);
}

bool Tfrmtextcolour::event(QEvent* event) {
    if (event->type() == QEvent::WindowDeactivate && isVisible()) hide();
    return QWidget::event(event);
}

void Tfrmtextcolour::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        hide();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}
