#include "controls/text/pictures.h"
#include "controls/text/rtfreader.h"
#include "controls/text/rtfwriter.h"
#include "controls/text/screenlayout.h"
#include "controls/text/textcontrol.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
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

// A PNG whose header claims `w` x `h` pixels (its data is that of a 1 x 1 picture): the
// limits must refuse it from the header alone.
QByteArray pngClaiming(quint32 w, quint32 h) {
    QByteArray png = encoded(twoColours(1, 1), "png");
    // IHDR: length (4) at 8, type at 12, width at 16, height at 20, CRC after its 13 bytes.
    const auto put32 = [&png](int at, quint32 v) {
        for (int i = 0; i < 4; ++i)
            png[at + i] = char((v >> (24 - 8 * i)) & 0xff);
    };
    put32(16, w);
    put32(20, h);
    quint32 crc = 0xffffffffu;
    for (int i = 12; i < 12 + 4 + 13; ++i) {
        crc ^= uchar(png[i]);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    put32(29, crc ^ 0xffffffffu);
    return png;
}

QByteArray pict(const QByteArray& words, const QByteArray& data) {
    return "{\\pict" + words + "\n" + data.toHex() + "}";
}

// The picture groups of RTF, in order.
QList<QByteArray> pictGroups(const QByteArray& rtf) {
    QList<QByteArray> out;
    for (qsizetype at = rtf.indexOf("{\\pict"); at >= 0; at = rtf.indexOf("{\\pict", at + 1))
        out.append(rtf.mid(at, rtf.indexOf('}', at) - at + 1));
    return out;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestPictures : public QObject {
    Q_OBJECT

private slots:
    void insertedPictureIsLaidOutDrawnAndUndoneInOneStep();
    void picturesSurviveRtfAndOtherProgramsPicturesAreRead();
    void damagedAndOversizedPicturesAreRefusedAndKept();
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

// A PNG and a JPEG go into RTF with their goal sizes and come back the same; the JPEG
// keeps its bytes. RTF as Word writes it (\\*\\shppict beside \\nonshppict) brings one
// picture, not two, and a metafile becomes a grey box of its size that is written back.
void TestPictures::picturesSurviveRtfAndOtherProgramsPicturesAreRead() {
    TextControl t;
    t.setSelText(QStringLiteral("A  B"));
    t.setSelStart(1);
    QVERIFY(t.insertPicture(twoColours(60, 30), QSizeF(90, 45)));
    const QByteArray jpeg = encoded(twoColours(64, 32), "jpeg");
    t.setSelStart(3);
    QVERIFY(t.insertPictureData(jpeg, QSizeF(144, 72)));
    const QByteArray rtf = RtfWriter::write(*t.document());
    QVERIFY(rtf.contains("\\pngblip\\picw60\\pich30\\picwgoal1800\\pichgoal900"));
    QVERIFY(rtf.contains("\\jpegblip\\picw64\\pich32\\picwgoal2880\\pichgoal1440"));
    QVERIFY(QByteArray(rtf).replace('\n', QByteArray()).contains(jpeg.toHex()));

    QTextDocument back;
    QStringList notes;
    QVERIFY(RtfReader::read(rtf, &back, nullptr, nullptr, &notes));
    QVERIFY(notes.isEmpty());
    QCOMPARE(back.toPlainText(), t.document()->toPlainText());
    TextControl u;
    u.adoptDocument(back.clone());
    QCOMPARE(u.pictureSize(1), QSizeF(90, 45));
    QCOMPARE(u.pictureSize(3), QSizeF(144, 72));
    QCOMPARE(pictGroups(RtfWriter::write(*u.document())), pictGroups(rtf));
    QCOMPARE(pictGroups(rtf).size(), 2);

    // As another word processor writes it.
    const QByteArray png = encoded(twoColours(20, 10), "png");
    const QByteArray word =
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard Logo {\\*\\shppict" +
        pict("{\\*\\picprop{\\sp{\\sn a}{\\sv 1}}}\\picscalex50\\picscaley50\\pngblip\\picw20\\pich10"
             "\\picwgoal3000\\pichgoal1500{\\*\\blipuid 0123456789abcdef}",
             png) +
        "}{\\nonshppict" + pict("\\wmetafile8\\picw529\\pich265", QByteArray::fromHex("0102")) + "} end " +
        pict("\\wmetafile8\\picw2540\\pich1270\\picwgoal1440\\pichgoal720", QByteArray::fromHex("01020304")) +
        "\\par}";
    QTextDocument other;
    QVERIFY(RtfReader::read(word, &other, nullptr, nullptr, &notes));
    QVERIFY(notes.isEmpty());
    QCOMPARE(other.toPlainText(), QStringLiteral("Logo \uFFFC end \uFFFC"));
    TextControl v;
    v.adoptDocument(other.clone());
    QCOMPARE(v.pictureSize(5), QSizeF(75, 37.5)); // 3000 twips at 50%
    QCOMPARE(v.pictureSize(11), QSizeF(72, 36));
    const QByteArray again = RtfWriter::write(*v.document());
    QVERIFY(again.contains("\\wmetafile8\\picw2540\\pich1270\\picwgoal1440\\pichgoal720\n01020304}"));
    QVERIFY(!again.contains("0102}"));
}

// Pictures too large or damaged are refused before they are decoded: the rest of the text
// loads, each shows as a grey box, the user is told, and saving writes them back as they were.
void TestPictures::damagedAndOversizedPicturesAreRefusedAndKept() {
    QString error;
    QVERIFY(Pictures::decode(pngClaiming(8000, 7000), nullptr, &error).isNull());
    QVERIFY2(error.contains(QStringLiteral("50 megapixels")), qPrintable(error));
    QByteArray huge(Pictures::kMaxBytes + 1, 'x');
    QVERIFY(Pictures::decode(huge, nullptr, &error).isNull());
    QVERIFY(error.contains(QStringLiteral("20 MB")));

    QByteArray damaged = encoded(twoColours(20, 10), "png");
    damaged.truncate(damaged.size() / 2);
    const QByteArray big = pngClaiming(8000, 7000);
    const QByteArray rtf = "{\\rtf1\\ansi\\pard One " +
                           pict("\\pngblip\\picwgoal1440\\pichgoal720", big) + " two " +
                           pict("\\pngblip\\picw20\\pich10", damaged) + " three " +
                           pict("\\jpegblip\\picw4\\pich4", QByteArray("not a jpeg")) +
                           "\\par Rest of the plan.\\par}";
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("plan.rtf"));
    QVERIFY(writeFile(file, rtf));
    TextControl t;
    QVERIFY(t.loadFile(file, TextControl::NativeRtf));
    QCOMPARE(t.document()->toPlainText(),
             QStringLiteral("One \uFFFC two \uFFFC three \uFFFC\nRest of the plan."));
    QVERIFY2(t.lastFileNotes().contains(QStringLiteral("50 megapixels")), qPrintable(t.lastFileNotes()));
    QVERIFY(t.lastFileNotes().contains(QStringLiteral("damaged")));
    QCOMPARE(t.pictureSize(4), QSizeF(72, 36));
    QCOMPARE(t.pictureSize(10), QSizeF(15, 7.5));
    // Shown as grey boxes, written back as they came.
    t.resize(600, 400);
    t.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t));
    QVERIFY(t.saveFile(file, TextControl::NativeRtf));
    const QByteArray saved = readAll(file).replace('\n', QByteArray());
    QVERIFY(saved.contains(big.toHex().left(256)));
    QVERIFY(saved.contains(damaged.toHex().right(100)));
    QVERIFY(saved.contains(QByteArray("not a jpeg").toHex()));
    QVERIFY(t.loadFile(file, TextControl::NativeRtf));
    QCOMPARE(t.TextLength(), 37);
    // A plan read with none of them has nothing to say.
    QVERIFY(writeFile(file, "{\\rtf1\\ansi\\pard Plain\\par}"));
    QVERIFY(t.loadFile(file, TextControl::NativeRtf));
    QCOMPARE(t.lastFileNotes(), QString());
}

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
