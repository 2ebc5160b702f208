#include "controls/text/pictures.h"
#include "controls/text/rtfreader.h"
#include "controls/text/rtfwriter.h"
#include "controls/text/screenlayout.h"
#include "controls/text/textcontrol.h"
#include "controls/text/printfunctions.h"
#include "editor/picturecommands.h"
#include "printing/docxexport.h"
#include "printing/planexport.h"
#include "support/docxread.h"
#include "support/modal.h"
#include "support/libreoffice.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QJsonArray>
#include <QMimeData>
#include <QMouseEvent>
#include <QPdfWriter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
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

// pdfimages -list: each picture's width and height in pixels, in page order.
QList<QSize> pdfImages(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    p.waitForFinished(60000);
    QList<QSize> out;
    const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const QStringList f = line.simplified().split(QLatin1Char(' '));
        // page num type width height ...; smasks are not pictures of their own
        if (f.size() > 4 && f[0].toInt() > 0 && f[2] == QLatin1String("image"))
            out.append(QSize(f[3].toInt(), f[4].toInt()));
    }
    return out;
}

// Pixels of a page rendered at 72 dpi that are plainly red and plainly blue.
QPair<int, int> redAndBlue(const QString& pdf, const QString& prefix) {
    QProcess p;
    p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-f"),
                                         QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
                                         QStringLiteral("-png"), pdf, prefix});
    p.waitForFinished(60000);
    QImage page;
    for (const QString& name : {prefix + QStringLiteral("-1.png"), prefix + QStringLiteral("-01.png")})
        if (page.load(name)) break;
    int red = 0, blue = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 60 && c.blue() < 60) ++red;
            if (c.blue() > 200 && c.green() < 60 && c.red() < 60) ++blue;
        }
    return {red, blue};
}

QByteArray zipMember(const QString& zip, const QString& member) {
    QProcess p;
    p.start(QStringLiteral("python3"),
            {QStringLiteral("-c"),
             QStringLiteral("import sys, zipfile; "
                            "sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read(sys.argv[2]))"),
             zip, member});
    p.waitForFinished(60000);
    return p.readAllStandardOutput();
}

int pictureCount(const TextControl& t) {
    return int(t.document()->toPlainText().count(QChar::ObjectReplacementCharacter));
}

void sendMouse(QWidget* w, QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
    QMouseEvent e(type, at, w->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                  buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
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
    void picturesReachPaperAndExports();
    void commandsClipboardAndHandles();
    void textNotYetLaidOutCountsPictureHeights();
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

// A picture of 400 x 200 pixels shown 3 x 1.5 inches: on paper (a PDF) with every pixel,
// in the plan's OpenDocument file at its size, and in LibreOffice's PDF of the saved plan.
void TestPictures::picturesReachPaperAndExports() {
    QTemporaryDir dir;
    TextControl t;
    t.setSelText(QStringLiteral("Our shop front:\n\nas it looks today."));
    t.setSelStart(16);
    QVERIFY(t.insertPicture(twoColours(400, 200), QSizeF(216, 108)));

    // Printed, and drawn on a PDF writer as the plan's PDF export draws.
    for (const bool printer : {true, false}) {
        const QString printed = dir.filePath(printer ? QStringLiteral("printed.pdf") : QStringLiteral("written.pdf"));
        {
            std::unique_ptr<QPagedPaintDevice> device;
            if (printer) {
                auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
                p->setOutputFormat(QPrinter::PdfFormat);
                p->setOutputFileName(printed);
                p->setFullPage(true);
                device = std::move(p);
            } else {
                auto w = std::make_unique<QPdfWriter>(printed);
                w->setResolution(1200);
                device = std::move(w);
            }
            device->setPageSize(QPageSize(QPageSize::A4));
            QPainter painter(device.get());
            QCOMPARE(ATX_PRINT_START(0, &painter, 1, 1), 0);
            int y = 1440;
            QCOMPARE(ATX_PRINT(&t, y, 1440, 13000, 1440, 9000, 0, -1, 0), 0);
            QCOMPARE(ATX_PRINT_FINISH(), 0);
        }
        QCOMPARE(pdfImages(printed), QList<QSize>{QSize(400, 200)});
        // 1.5 by 1.5 inches of each colour at 72 dpi: 108 x 108 pixels.
        const auto [red, blue] = redAndBlue(printed, printed + QStringLiteral("-page"));
        QVERIFY2(red > 10000 && red < 13000, qPrintable(QString::number(red)));
        QVERIFY2(blue > 10000 && blue < 13000, qPrintable(QString::number(blue)));
    }

    // OpenDocument: the picture file and its frame at 3 x 1.5 inches.
    const QString odt = dir.filePath(QStringLiteral("export.odt"));
    QString error;
    QVERIFY2(writePlanOdt(t, odt, OdtPage{}, &error), qPrintable(error));
    const QString content = QString::fromUtf8(zipMember(odt, QStringLiteral("content.xml")));
    QVERIFY2(content.contains(QRegularExpression(QStringLiteral("svg:width=\"216(\\.0+)?pt\""))),
             qPrintable(content.left(3000)));
    QVERIFY(content.contains(QStringLiteral("svg:height=\"108")));
    QVERIFY(content.contains(QStringLiteral("xlink:href=\"Pictures/")));

    // The plan saved, as LibreOffice reads it.
    REQUIRE_LIBREOFFICE("pictures in the plan's rich text");
    const QString plan = dir.filePath(QStringLiteral("plan.rtf"));
    QVERIFY(t.saveFile(plan, TextControl::StandardRtf));
    QVERIFY2(sofficeConvert(QStringLiteral("pdf"), {plan, odt}, dir.path(), &error), qPrintable(error));
    for (const QString& converted : {QStringLiteral("plan.pdf"), QStringLiteral("export.pdf")}) {
        const QString file = dir.filePath(converted);
        QCOMPARE(pdfImages(file), QList<QSize>{QSize(400, 200)});
        const auto [r, b] = redAndBlue(file, file + QStringLiteral("-page"));
        QVERIFY2(r > 10000 && r < 13000, qPrintable(QString::number(r)));
        QVERIFY2(b > 10000 && b < 13000, qPrintable(QString::number(b)));
    }
}

// Insert > Picture... takes a file, Format > Picture... sets its size, a picture is copied,
// pasted and undone like a character, an image on the clipboard is pasted, a click selects
// a picture and its corner handle resizes it in one undo step; a Word document of the text
// carries the pictures.
void TestPictures::commandsClipboardAndHandles() {
    QTemporaryDir dir;
    TextControl t;
    showText(t);
    t.setSelText(QStringLiteral("ab"));
    t.setSelStart(1);
    const QString file = dir.filePath(QStringLiteral("logo.png"));
    QVERIFY(twoColours(300, 150).save(file));
    // The command asks for a file (cancelled: nothing changes), then inserts the one chosen.
    {
        bool picturesOffered = false;
        ModalAnswer answer([&](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            picturesOffered = dialog && dialog->nameFilters().join(QLatin1Char(' ')).contains(
                                            QStringLiteral("*.png *.jpg *.jpeg"));
            w->close();
        }, 30000); // a file dialog is slow to come on a busy machine
        QVERIFY(!PictureCommands::insertPicture(&t, &t));
        QVERIFY(answer.wasAnswered());
        QVERIFY(picturesOffered);
    }
    QCOMPARE(pictureCount(t), 0);
    QVERIFY(PictureCommands::insertPictureFile(&t, file));
    QCOMPARE(t.pictureSize(1), QSizeF(225, 112.5)); // 300 pixels at 96 dpi
    // A file that is no picture: a message, nothing inserted.
    const QString notPicture = dir.filePath(QStringLiteral("notes.png"));
    QVERIFY(writeFile(notPicture, "just words"));
    {
        ModalAnswer answer([](QWidget* w) { w->close(); });
        QVERIFY(!PictureCommands::insertPictureFile(&t, notPicture));
        QVERIFY(answer.wasAnswered());
    }
    QCOMPARE(pictureCount(t), 1);

    // Format > Picture...: 2.54 cm wide, proportions kept.
    t.setSelStart(2); // just after the picture
    TdlgPicture dialog;
    {
        ModalAnswer answer([](QWidget* w) {
            child<QDoubleSpinBox>(w, QStringLiteral("spnWidth"))->setValue(2.54);
            clickButton(w, QStringLiteral("cmdOK"));
        });
        QVERIFY(PictureCommands::formatPicture(&t, &dialog));
        QVERIFY(answer.wasAnswered());
    }
    QCOMPARE(t.pictureSize(1), QSizeF(72, 36));
    t.setUnDoAction(1);
    QCOMPARE(t.pictureSize(1), QSizeF(225, 112.5));

    // Copied and pasted as a character; one undo takes the copy away.
    t.setSelStart(1);
    t.setSelLength(1);
    t.copy();
    t.setSelStart(3);
    t.paste();
    QCOMPARE(pictureCount(t), 2);
    QCOMPARE(t.pictureSize(3), QSizeF(225, 112.5));
    t.setUnDoAction(1);
    QCOMPARE(pictureCount(t), 1);
    // An image on the clipboard (a screenshot).
    QApplication::clipboard()->setImage(twoColours(120, 60));
    t.setSelStart(0);
    t.paste();
    QCOMPARE(pictureCount(t), 2);
    QCOMPARE(t.pictureSize(0), QSizeF(90, 45));
    t.setUnDoAction(1);
    QCOMPARE(pictureCount(t), 1);

    // A click selects the picture; dragging its bottom right handle makes it larger.
    QApplication::processEvents();
    QRectF shown = t.pictureRect(1);
    QVERIFY(!shown.isEmpty());
    QCOMPARE(qRound(shown.width()), 300);
    sendMouse(t.viewport(), QEvent::MouseButtonPress, shown.center(), Qt::LeftButton);
    sendMouse(t.viewport(), QEvent::MouseButtonRelease, shown.center(), Qt::NoButton);
    QCOMPARE(t.selectedPicture(), 1);
    const QPointF corner = shown.bottomRight() - QPointF(1, 1);
    sendMouse(t.viewport(), QEvent::MouseButtonPress, corner, Qt::LeftButton);
    sendMouse(t.viewport(), QEvent::MouseMove, corner + QPointF(-150, 0), Qt::LeftButton);
    sendMouse(t.viewport(), QEvent::MouseButtonRelease, corner + QPointF(-150, 0), Qt::NoButton);
    QVERIFY2(qAbs(t.pictureSize(1).width() - 112.5) < 1.5, qPrintable(QString::number(t.pictureSize(1).width())));
    QCOMPARE(t.selectedPicture(), 1);
    t.setUnDoAction(1);
    QCOMPARE(t.pictureSize(1), QSizeF(225, 112.5));

    // Word: the picture in word/media, inline at its size.
    const QString docx = dir.filePath(QStringLiteral("plan.docx"));
    DocxSetup setup{PdfExport::planPageLayout(), PageGeometry(), {}, {}};
    QString error;
    QVERIFY2(writePlanDocx(t, setup, docx, &error), qPrintable(error));
    QVERIFY(zipMember(docx, QStringLiteral("word/media/image1.png")).startsWith("\x89PNG"));
    if (!hasDocxReader()) QSKIP("python3-docx is not installed: the Word document is not read back");
    const QJsonObject read = readDocx(docx);
    QCOMPARE(read.value(QStringLiteral("problems")).toArray(), QJsonArray());
    const QJsonArray pictures = read.value(QStringLiteral("pictures")).toArray();
    QCOMPARE(pictures.size(), 1);
    QCOMPARE(pictures[0].toArray()[0].toInteger(), qint64(225 * 12700));
    QCOMPARE(pictures[0].toArray()[1].toInteger(), qint64(112.5 * 12700));
    QVERIFY(pictures[0].toArray()[2].toInteger() > 100);
}

// A long text is laid out lazily, its rest counted with an estimated height: a picture
// counts with its own height, not as one character, so the scroll range is near the truth
// from the start.
void TestPictures::textNotYetLaidOutCountsPictureHeights() {
    auto* doc = new QTextDocument;
    QTextCursor c(doc);
    const QString name = Pictures::store(twoColours(40, 30));
    for (int i = 0; i < 400; ++i) {
        c.insertText(QStringLiteral("Photo %1 ").arg(i));
        Pictures::insert(c, name, QSizeF(400, 300));
        c.insertBlock();
    }
    TextControl t;
    showText(t);
    t.adoptDocument(doc);
    auto* layout = qobject_cast<ScreenLayout*>(t.document()->documentLayout());
    QVERIFY(layout);
    const qreal estimated = layout->documentSize().height();
    QVERIFY(!layout->isComplete());
    layout->layoutAll();
    const qreal laid = layout->documentSize().height();
    QVERIFY2(laid > 400 * 300, qPrintable(QString::number(laid)));
    QVERIFY2(std::abs(estimated - laid) < laid * 0.05,
             qPrintable(QStringLiteral("%1 estimated, %2 laid out").arg(estimated).arg(laid)));
}

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
