#include "app/splasfrm.h"

#include "widgets/toolglyphs.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

TfrmSplash::TfrmSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("TfrmSplash"));
    setWindowTitle(QStringLiteral("Splash"));
    setFixedSize(300, 265);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect r = rect();
        r.moveCenter(screen->geometry().center());
        move(r.topLeft());
    }
}

void TfrmSplash::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.drawPixmap(0, 0, splashPicture(size()));

    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(24);
    font.setBold(true);
    p.setFont(font);
    // Each word twice: navy one pixel down and right, then white over it, so the
    // letters stand out from the picture.
    auto word = [&p](const QString& text, const QRect& box) {
        p.setPen(QColor(0, 0, 128));
        p.drawText(box.translated(1, 1), Qt::AlignHCenter | Qt::AlignTop, text);
        p.setPen(Qt::white);
        p.drawText(box, Qt::AlignHCenter | Qt::AlignTop, text);
    };
    word(QStringLiteral("Tandel"), QRect(0, 14, width(), 30));
    word(QStringLiteral("Zurozurov Irod"), QRect(0, 42, width(), 30));

    p.setPen(QColor(0, 0, 90));
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}
