#include "editor/dlgbord.h"

#include "controls/text/tableformat.h"
#include "editor/tblfrm.h"

#include <QEvent>
#include <QFocusEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

namespace {

constexpr int kPictureWidth = 56;
constexpr int kPictureHeight = 44;

// A small three by three table drawn in the given border style; the lines a style leaves
// out are shown as faint dots, the way a word processor shows gridlines.
QPixmap borderPicture(int border) {
    QPixmap pm(kPictureWidth, kPictureHeight);
    pm.fill(Qt::white);
    QPainter p(&pm);
    const QRect box(6, 6, kPictureWidth - 13, kPictureHeight - 13);
    const QPen faint(QColor(160, 160, 160), 1, Qt::DotLine);
    const QPen line(Qt::black, 1);
    const QPen thick(Qt::black, 3);
    const bool inner = border == TableFormat::AllBorders;
    const bool outer = border != TableFormat::NoBorder;
    p.setPen(inner ? line : faint);
    for (int i = 1; i < 3; ++i) {
        const int x = box.left() + box.width() * i / 3;
        const int y = box.top() + box.height() * i / 3;
        p.drawLine(x, box.top(), x, box.bottom());
        p.drawLine(box.left(), y, box.right(), y);
    }
    p.setPen(outer ? (border == TableFormat::ThickOutline ? thick : line) : faint);
    p.drawRect(box);
    return pm;
}

} // namespace

Tdlgborder::Tdlgborder(QWidget* parent) : QDialog(parent) {
    setObjectName("dlgborder");
    setWindowTitle("Table border");
    setModal(true);
    setFixedSize(332, 150);

    struct Item {
        QFrame** frame;
        QLabel** image;
        QLabel** label;
        const char* name;
        const char* caption;
        int border;
    };
    const Item items[] = {
        {&pnlNone, &imgNone, &lblNone, "None", "&None", TableFormat::NoBorder},
        {&pnlAll, &imgAll, &lblAll, "All", "&All", TableFormat::AllBorders},
        {&pnlOutline, &imgOutline, &lblOutline, "Outline", "&Outline", TableFormat::Outline},
        {&pnlThick, &imgThick, &lblThick, "Thick", "&Thick outline", TableFormat::ThickOutline},
    };
    int x = 12;
    for (const Item& it : items) {
        QFrame* frame = new QFrame(this);
        frame->setObjectName(QStringLiteral("pnl") + it.name);
        frame->setGeometry(x, 12, kPictureWidth + 12, kPictureHeight + 12);
        frame->setFocusPolicy(Qt::TabFocus);
        frame->setProperty("border", it.border);
        frame->installEventFilter(this);
        QLabel* image = new QLabel(frame);
        image->setObjectName(QStringLiteral("img") + it.name);
        image->setPixmap(borderPicture(it.border));
        image->setGeometry(6, 6, kPictureWidth, kPictureHeight);
        image->setProperty("border", it.border);
        image->installEventFilter(this);
        QLabel* label = new QLabel(QString::fromLatin1(it.caption), this);
        label->setObjectName(QStringLiteral("lbl") + it.name);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setGeometry(x - 8, kPictureHeight + 28, kPictureWidth + 28, 20);
        label->setBuddy(frame);
        *it.frame = frame;
        *it.image = image;
        *it.label = label;
        x += kPictureWidth + 24;
    }

    cmdOK = new QPushButton("&OK", this);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setGeometry(172, 112, 70, 25);
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton("&Cancel", this);
    cmdCancel->setObjectName("cmdCancel");
    cmdCancel->setGeometry(250, 112, 70, 25);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    setBevel(-1);
}

QFrame* Tdlgborder::frameFor(int border) const {
    switch (border) {
    case TableFormat::NoBorder:
        return pnlNone;
    case TableFormat::AllBorders:
        return pnlAll;
    case TableFormat::Outline:
        return pnlOutline;
    case TableFormat::ThickOutline:
        return pnlThick;
    }
    return nullptr;
}

void Tdlgborder::setBevel(int border) {
    for (QFrame* f : {pnlNone, pnlAll, pnlOutline, pnlThick}) {
        const bool lowered = f == frameFor(border);
        f->setFrameStyle(lowered ? (QFrame::Panel | QFrame::Sunken) : QFrame::NoFrame);
        f->setLineWidth(2);
        f->setProperty("lowered", lowered);
    }
}

int Tdlgborder::bevelled() const {
    for (int b = 0; b <= 3; ++b)
        if (frameFor(b)->property("lowered").toBool()) return b;
    return -1;
}

void Tdlgborder::pictureClick(int border) {
    setBevel(border);
    Tag = border;
}

bool Tdlgborder::eventFilter(QObject* watched, QEvent* event) {
    const QVariant border = watched->property("border");
    if (border.isValid()) {
        if (event->type() == QEvent::MouseButtonPress &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            pictureClick(border.toInt());
            return true;
        }
        // The label's mnemonic (Alt+N...) reaches the frame: choosing it by keyboard.
        if (event->type() == QEvent::FocusIn &&
            static_cast<QFocusEvent*>(event)->reason() == Qt::ShortcutFocusReason)
            pictureClick(border.toInt());
        // Space on a frame reached with Tab chooses it too.
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
            pictureClick(border.toInt());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

int Tdlgborder::execute() {
    return executeCentred(this);
}
