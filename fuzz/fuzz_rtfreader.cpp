// Any bytes given to the RTF reader: no crash, no hang, no sanitizer report. Whatever it
// accepts must survive being written in our own format and read again with the same text.
// Pictures in it (\pict, whatever their data) each become one character with a size, which
// the screen layout measures and draws.

#include "controls/text/pictures.h"
#include "controls/text/rtfreader.h"
#include "controls/text/rtfwriter.h"
#include "controls/text/screenlayout.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPainter>
#include <QTextBlock>

#include <QByteArray>
#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextDocument>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Fonts need a GUI application; the offscreen platform needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int qtArgc = 1;
    static char name[] = "fuzz_rtfreader";
    static char* qtArgv[] = {name, nullptr};
    static QGuiApplication app(qtArgc, qtArgv);
    // The font system's first use keeps what it finds for the program's life: made here,
    // not counted as a leak of the first input that lays text out.
    QTextDocument warm;
    ScreenLayout::install(&warm);
    QTextCursor(&warm).insertText(QStringLiteral("Warm up"));
    static_cast<ScreenLayout*>(warm.documentLayout())->layoutAll();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QTextDocument doc;
    QTextCursor(&doc).insertText(QStringLiteral("before"));
    QString error;
    if (!RtfReader::read(input, &doc, &error)) {
        // Refused input leaves the document as it was.
        if (doc.toPlainText() != QStringLiteral("before") || error.isEmpty()) abort();
        Pictures::forgetAll();
        return 0;
    }
    const QString text = doc.toPlainText();
    if (text.contains(QChar::ObjectReplacementCharacter)) {
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                const QTextCharFormat f = it.fragment().charFormat();
                if (!f.isImageFormat()) continue;
                const QTextImageFormat image = f.toImageFormat();
                if (!(image.width() > 0 && image.height() > 0 && image.width() < 1e5 &&
                      image.height() < 1e5)) {
                    fprintf(stderr, "a picture without a sane size\n");
                    abort();
                }
            }
        }
        QTextDocument shown;
        shown.setPageSize(QSizeF(400, -1));
        ScreenLayout::install(&shown);
        shown.setHtml(QString());
        QTextCursor(&shown).insertFragment(QTextDocumentFragment(&doc));
        static_cast<ScreenLayout*>(shown.documentLayout())->layoutAll();
        QImage canvas(100, 100, QImage::Format_RGB32);
        QPainter painter(&canvas);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, 0, 400, 400);
        shown.documentLayout()->draw(&painter, context);
    }
    for (auto flavor : {RtfWriter::Native, RtfWriter::Standard}) {
        const QByteArray again = RtfWriter::write(doc, flavor);
        QTextDocument back;
        if (!RtfReader::read(again, &back)) {
            fprintf(stderr, "our own output was refused\n");
            abort();
        }
        if (back.toPlainText() != text) {
            fprintf(stderr, "text changed over a save\n");
            abort();
        }
    }
    // Pasting the same input into the middle of text.
    QTextDocument target;
    QTextCursor at(&target);
    at.insertText(QStringLiteral("0123456789"));
    at.setPosition(5);
    if (!RtfReader::insert(input, &at)) abort();
    // Every input's pictures are its own: kept, they would pile up over millions of runs.
    Pictures::forgetAll();
    return 0;
}
