// Any bytes given to the RTF reader: no crash, no hang, no sanitizer report. Whatever it
// accepts must survive being written in our own format and read again with the same text.

#include "controls/text/rtfreader.h"
#include "controls/text/rtfwriter.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QTextCursor>
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
        return 0;
    }
    const QString text = doc.toPlainText();
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
    return 0;
}
