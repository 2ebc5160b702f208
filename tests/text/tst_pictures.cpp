#include "controls/text/pictures.h"
#include "controls/text/rtfreader.h"
#include "controls/text/rtfwriter.h"
#include "controls/text/screenlayout.h"
#include "controls/text/textcontrol.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QBuffer>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace {

// A picture with a left half red and a right half blue, so that drawing shows which way
// round and how large it came out.
QImage twoColours(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QPainter p(&image);
    p.fillRect(0, 0, w / 2, h, Qt::red);
    return image;
}

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// The text shown in a widget of a fixed width, laid out.
void showText(TextControl& t) {
    t.resize(700, 500);
    t.setDocWidth(6 * 1440); // 576 px at 96 dpi
    t.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t));
}

} // namespace

class TestPictures : public QObject {
    Q_OBJECT

private slots:
    void insertedPictureIsLaidOutDrawnAndUndoneInOneStep();
};

// A picture inserted at the caret takes its width and height in the line, shows on
// screen, and one undo takes it away again.
void TestPictures::insertedPictureIsLaidOutDrawnAndUndoneInOneStep() {
    TextControl t;
    showText(t);
    t.setSelText(QStringLiteral("Before after"));
    t.setSelStart(7);
    t.setSelLength(0);
    t.document()->setModified(false);
    QString error;
    // 150 x 75 points is 200 x 100 pixels at 96 dpi.
    QVERIFY(t.insertPicture(twoColours(40, 20), QSizeF(150, 75), &error));
    QVERIFY(error.isEmpty());
    QVERIFY(t.document()->isModified());
    QCOMPARE(t.TextLength(), 13);
    QCOMPARE(t.SelStart(), 8);
    QCOMPARE(t.pictureSize(7), QSizeF(150, 75));

    const QTextBlock block = t.document()->firstBlock();
    const QRectF rect = t.document()->documentLayout()->blockBoundingRect(block);
    QVERIFY2(rect.height() >= 100, qPrintable(QString::number(rect.height())));
    const QTextLine line = block.layout()->lineAt(0);
    const qreal before = line.cursorToX(7), after = line.cursorToX(8);
    QCOMPARE(qRound(after - before), 200);

    // Drawn: red on the left of the picture, blue on the right.
    t.viewport()->repaint();
    const QImage shot = t.viewport()->grab().toImage();
    const int y = qRound(rect.top() + line.y() + line.ascent() - 50) - t.verticalScrollBar()->value();
    const int x = qRound(rect.left() + before) - t.horizontalScrollBar()->value();
    QCOMPARE(QColor(shot.pixel(x + 50, y)), QColor(Qt::red));
    QCOMPARE(QColor(shot.pixel(x + 150, y)), QColor(Qt::blue));

    // One undo takes the picture away; one redo brings it back.
    t.setUnDoAction(1);
    QCOMPARE(t.SelText(), QString());
    QCOMPARE(t.document()->toPlainText(), QStringLiteral("Before after"));
    t.setReDoAction(1);
    QCOMPARE(t.TextLength(), 13);
    QCOMPARE(t.pictureSize(7), QSizeF(150, 75));

    // With no size: the natural size, made smaller to fit the text's width.
    t.setSelStart(0);
    QVERIFY(t.insertPicture(twoColours(2000, 1000), QSizeF()));
    QCOMPARE(t.pictureSize(0), QSizeF(432, 216));
}

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
