// Reading RTF that other programs write, and input that is broken or hostile.

#include "controls/text/rtfreader.h"
#include "controls/text/rtfwriter.h"
#include "controls/text/textformat.h"

#include "rtfdump.h"

#include <QFile>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

using TextFormat::HiddenProperty;
using TextFormat::HTagProperty;
using TextFormat::NTagProperty;
using TextFormat::PTagProperty;

namespace {

QByteArray sample(const char* name) {
    QFile f(QStringLiteral(TANDEL_TEST_DATA_DIR "/rtf/") + QLatin1String(name));
    if (!f.open(QIODevice::ReadOnly)) qFatal("missing test file %s", name);
    return f.readAll();
}

QStringList paragraphs(const QTextDocument& doc) {
    QStringList out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        out << b.text();
    return out;
}

// The format of the character at `pos` (the one after the position).
QTextCharFormat formatAt(QTextDocument& doc, int pos) {
    QTextCursor c(&doc);
    c.setPosition(pos + 1);
    return c.charFormat();
}

int find(const QTextDocument& doc, const QString& text) {
    const int at = doc.toPlainText().indexOf(text);
    if (at < 0) qWarning() << "not found:" << text;
    return at;
}

QString family(const QTextCharFormat& f) {
    const QStringList fams = f.fontFamilies().toStringList();
    return fams.isEmpty() ? QString() : fams.first();
}

// A document with content, to see that refused input leaves it alone.
void fill(QTextDocument* doc) {
    QTextCursor c(doc);
    QTextCharFormat f;
    f.setProperty(HTagProperty, 1);
    f.setFontWeight(QFont::Bold);
    c.insertText(QStringLiteral("Existing text"), f);
    c.insertBlock();
    c.insertText(QStringLiteral("second paragraph"));
}

} // namespace

class TestRtfReader : public QObject {
    Q_OBJECT

private slots:
    void wordProcessorDocument();
    void codePages();
    void fontAndColourTables();
    void unicodeSkipCounts();
    void notRtfIsRefusedAndLeavesTargetAlone();
    void truncatedInputReadsAsFarAsItGoes();
    void unbalancedGroups();
    void nestingLimit();
    void hugeNumbersAreClamped();
    void randomBytesNeverFail();
};

void TestRtfReader::wordProcessorDocument() {
    QTextDocument doc;
    QString error;
    QVERIFY2(RtfReader::read(sample("wordprocessor.rtf"), &doc, &error), qPrintable(error));
    const QStringList want = {
        QStringLiteral("Marketing Plan"),
        QStringLiteral("The caf\u00e9 sells bold, italic, underlined and struck words in blue and "
                       "hidden red."),
        QStringLiteral("Unicode: \u20ac and \u4e2d then \u03bb, done."),
        QStringLiteral("link text after the link."),
        QStringLiteral("Picture:\uFFFCend\ttabbed\u2028next line"),
        QStringLiteral("Nested  groups keep text"),
        QStringLiteral(
            "Quotes \u201cx\u201d \u2018y\u2019 dash\u2013and\u2014\u2022 nbsp\u00a0here"),
    };
    QCOMPARE(paragraphs(doc), want);

    const QTextBlock heading = doc.begin();
    QCOMPARE(heading.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    QTextCharFormat f = heading.begin().fragment().charFormat();
    QCOMPARE(family(f), QStringLiteral("Arial"));
    QCOMPARE(f.fontPointSize(), 16.0);
    QCOMPARE(f.fontWeight(), int(QFont::Bold));

    const QTextBlock body = heading.next();
    QCOMPARE(body.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignJustify);
    QCOMPARE(TextFormat::indentToTwips(body.blockFormat().textIndent()), -360);
    QCOMPARE(TextFormat::indentToTwips(body.blockFormat().leftMargin()), 720);
    QCOMPARE(TextFormat::indentToTwips(body.blockFormat().rightMargin()), 360);
    f = formatAt(doc, find(doc, QStringLiteral("The caf")));
    QCOMPARE(family(f), QStringLiteral("Times New Roman"));
    QCOMPARE(f.fontPointSize(), 12.0);
    QCOMPARE(f.fontWeight(), int(QFont::Normal));
    QVERIFY(!f.hasProperty(QTextFormat::ForegroundBrush));
    QCOMPARE(formatAt(doc, find(doc, QStringLiteral("bold,"))).fontWeight(), int(QFont::Bold));
    QVERIFY(formatAt(doc, find(doc, QStringLiteral("italic,"))).fontItalic());
    QVERIFY(formatAt(doc, find(doc, QStringLiteral("underlined"))).fontUnderline());
    QVERIFY(!formatAt(doc, find(doc, QStringLiteral(" and struck"))).fontUnderline());
    QVERIFY(formatAt(doc, find(doc, QStringLiteral("struck"))).fontStrikeOut());
    QCOMPARE(formatAt(doc, find(doc, QStringLiteral("blue and"))).foreground().color(),
             QColor(0, 0, 255));
    f = formatAt(doc, find(doc, QStringLiteral("hidden red")));
    QVERIFY(f.boolProperty(HiddenProperty));
    QCOMPARE(f.foreground().color(), QColor(255, 0, 0));
    QVERIFY(!formatAt(doc, find(doc, QStringLiteral("words in"))).boolProperty(HiddenProperty));

    f = formatAt(doc, find(doc, QStringLiteral("Unicode")));
    QCOMPARE(family(f), QStringLiteral("Courier New"));
    QCOMPARE(f.fontPointSize(), 10.5);

    // The field shows its result with the result's formatting.
    f = formatAt(doc, find(doc, QStringLiteral("link text")));
    QVERIFY(f.fontUnderline());
    QCOMPARE(f.foreground().color(), QColor(0, 0, 255));
    QVERIFY(!formatAt(doc, find(doc, QStringLiteral("after the link"))).fontUnderline());
    QCOMPARE(formatAt(doc, find(doc, QStringLiteral("keep"))).fontWeight(), int(QFont::Bold));
    QCOMPARE(formatAt(doc, find(doc, QStringLiteral(" text"))).fontWeight(), int(QFont::Normal));

    // Nothing from the header, footer, info, style sheet or list table.
    const QString all = doc.toPlainText();
    for (const char* absent : {"Header", "Page", "Quarterly", "Nobody", "Normal", "heading 1",
                               "Helvetica", "HYPERLINK", "0100090000", "nested", "deeper"})
        QVERIFY2(!all.contains(QLatin1String(absent)), absent);
    // Foreign files carry no tags.
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        QCOMPARE(b.blockFormat().intProperty(PTagProperty), 0);
        for (auto it = b.begin(); !it.atEnd(); ++it)
            QCOMPARE(it.fragment().charFormat().intProperty(HTagProperty), 0);
    }
}

void TestRtfReader::codePages() {
    QTextDocument doc;
    QVERIFY(RtfReader::read(sample("cp1250.rtf"), &doc));
    if (!QStringDecoder("windows-1250").isValid() && !QStringDecoder("cp1250").isValid())
        QSKIP("this Qt has no converter for code page 1250");
    QCOMPARE(paragraphs(doc),
             (QStringList{
                 QStringLiteral("Za\u017c\u00f3\u0142\u0107 g\u0119\u015bl\u0105 ja\u017a\u0144"),
                 QStringLiteral("Czech \u010d\u00ed")}));

    // Without a code page the bytes are code page 1252, including its own 0x80 to 0x9f.
    QVERIFY(RtfReader::read("{\\rtf1\\ansi caf\\'e9 \\'80 \\'93q\\'94 \\'E9\\'zz}", &doc));
    QCOMPARE(doc.toPlainText(), QStringLiteral("caf\u00e9 \u20ac \u201cq\u201d \u00e9zz"));
}

void TestRtfReader::fontAndColourTables() {
    QTextDocument doc;
    doc.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    QVERIFY(RtfReader::read(sample("fonttable.rtf"), &doc));
    QCOMPARE(paragraphs(doc),
             (QStringList{
                 QStringLiteral("Default font text Times text colour zero white no such colour"),
                 QStringLiteral("unknown font")}));
    QCOMPARE(family(formatAt(doc, 0)), QStringLiteral("Helvetica"));
    QCOMPARE(formatAt(doc, 0).fontPointSize(), 12.0);
    QCOMPARE(family(formatAt(doc, find(doc, QStringLiteral("Times text")))),
             QStringLiteral("Times"));
    QVERIFY(!formatAt(doc, find(doc, QStringLiteral("colour zero")))
                 .hasProperty(QTextFormat::ForegroundBrush));
    QCOMPARE(formatAt(doc, find(doc, QStringLiteral("white"))).foreground().color(),
             QColor(Qt::white));
    QVERIFY(!formatAt(doc, find(doc, QStringLiteral("no such")))
                 .hasProperty(QTextFormat::ForegroundBrush));
    // A font the table does not name leaves the document's default.
    QCOMPARE(family(formatAt(doc, find(doc, QStringLiteral("unknown")))), QString());
}

void TestRtfReader::unicodeSkipCounts() {
    QTextDocument doc;
    struct Case {
        const char* rtf;
        QString text;
    } cases[] = {
        {"{\\rtf1 a\\u233?b}", QStringLiteral("a\u00e9b")},
        {"{\\rtf1 a\\u233\\'e9b}", QStringLiteral("a\u00e9b")},
        {"{\\rtf1\\uc2 a\\u233\\'e9\\'e9b}", QStringLiteral("a\u00e9b")},
        {"{\\rtf1\\uc0 a\\u233 b}", QStringLiteral("a\u00e9b")},
        // The skip count is scoped to its group, and a group end stops the skipping.
        {"{\\rtf1 {\\uc3 x}\\u233?y}", QStringLiteral("x\u00e9y")},
        {"{\\rtf1\\uc5 \\u233{}abc}", QStringLiteral("\u00e9abc")},
        // A control word counts as one skipped character.
        {"{\\rtf1 \\u8220\\ldblquote x}", QStringLiteral("\u201cx")},
        // Negative values are UTF-16 units; pairs make characters beyond the BMP.
        {"{\\rtf1 \\u-10179?\\u-8704?!}", QStringLiteral("\U0001F600!")},
        // A lone half of a pair is not passed on as such.
        {"{\\rtf1 \\u-10179?x}", QStringLiteral("\ufffdx")},
        {"{\\rtf1 \\u-8704?x}", QStringLiteral("\ufffdx")},
        // Characters that would break the document's structure are dropped.
        {"{\\rtf1 a\\u8233?b\\u-560?c\\u-4?d\\u1?e}", QStringLiteral("abcde")},
    };
    for (const Case& c : cases) {
        QVERIFY2(RtfReader::read(c.rtf, &doc), c.rtf);
        QCOMPARE(doc.toPlainText(), c.text);
    }
}

void TestRtfReader::notRtfIsRefusedAndLeavesTargetAlone() {
    for (const char* bad :
         {"", "hello", "{\\rt", "{ \\rtf1 x}", "rtf", "\xef\xbb\xbfhello", "{\\RTF1 x}"}) {
        QTextDocument doc;
        fill(&doc);
        const QString before = RtfDump::dump(doc);
        QString error;
        QVERIFY2(!RtfReader::read(QByteArray(bad), &doc, &error), bad);
        QVERIFY(!error.isEmpty());
        QCOMPARE(RtfDump::dump(doc), before);
        QVERIFY(!RtfReader::isRtf(QByteArray(bad)));
    }
    QTextDocument doc;
    QVERIFY(RtfReader::isRtf(" \r\n{\\rtf1 x}"));
    QVERIFY(RtfReader::read(" \r\n{\\rtf1 x}", &doc));
    QCOMPARE(doc.toPlainText(), QStringLiteral("x"));
}

void TestRtfReader::truncatedInputReadsAsFarAsItGoes() {
    const QByteArray full = sample("wordprocessor.rtf");
    QTextDocument whole;
    QVERIFY(RtfReader::read(full, &whole));
    const QString wholeText = whole.toPlainText();
    for (qsizetype n = 5; n < full.size(); ++n) {
        QTextDocument doc;
        QVERIFY(RtfReader::read(full.left(n), &doc));
        // What was read is the start of the whole text, but for the last character
        // (a \u cut short, a paragraph not yet ended).
        const QString text = doc.toPlainText();
        const QString cut = text.left(text.size() - 1);
        QVERIFY2(wholeText.startsWith(cut), qPrintable(QStringLiteral("%1: %2").arg(n).arg(text)));
    }
    // Cut inside the first body paragraph: the heading is whole, the paragraph started.
    const qsizetype at = full.indexOf("sells");
    QTextDocument doc;
    QVERIFY(RtfReader::read(full.left(at + 3), &doc));
    QCOMPARE(paragraphs(doc), (QStringList{"Marketing Plan", QStringLiteral("The caf\u00e9 sel")}));
    QCOMPARE(doc.begin().next().blockFormat().alignment() & Qt::AlignHorizontal_Mask,
             Qt::AlignJustify);

    // A file of ours cut short keeps its tags as far as it goes.
    QTextDocument tagged;
    QTextCharFormat f;
    f.setProperty(HTagProperty, 1000);
    QTextCursor(&tagged).insertText(QStringLiteral("000000000001000header"), f);
    const QByteArray rtf = RtfWriter::write(tagged);
    QVERIFY(RtfReader::read(rtf.left(rtf.indexOf("header") + 3), &doc));
    QCOMPARE(doc.toPlainText(), QStringLiteral("000000000001000hea"));
    QCOMPARE(formatAt(doc, 0).intProperty(HTagProperty), 1000);
}

void TestRtfReader::unbalancedGroups() {
    QTextDocument doc;
    QVERIFY(RtfReader::read("{\\rtf1 a}b}c{", &doc));
    QCOMPARE(doc.toPlainText(), QStringLiteral("a"));
    QVERIFY(RtfReader::read("{\\rtf1 {\\b bold {\\i both", &doc));
    QCOMPARE(doc.toPlainText(), QStringLiteral("bold both"));
    QVERIFY(formatAt(doc, 6).fontItalic());
    QVERIFY(RtfReader::read("{\\rtf1 {\\fonttbl{\\f0 Arial;}{\\f1 Cut", &doc));
    QCOMPARE(doc.toPlainText(), QString());
    QVERIFY(RtfReader::read("{\\rtf1 {\\colortbl;\\red9 x}", &doc));
    QVERIFY(RtfReader::read("{\\rtf1 {\\*\\unknown {{{ x", &doc));
    QCOMPARE(doc.toPlainText(), QString());
    QVERIFY(RtfReader::read("{\\rtf1 x\\", &doc));
    QCOMPARE(doc.toPlainText(), QStringLiteral("x"));
    QVERIFY(RtfReader::read("{\\rtf1 x\\'", &doc));
    QVERIFY(RtfReader::read("{\\rtf1 x\\'4", &doc));
    QCOMPARE(doc.toPlainText(), QStringLiteral("x")); // a control character is no text
    QVERIFY(RtfReader::read("{\\rtf1 x\\u", &doc));
    QVERIFY(RtfReader::read("{\\rtf1 x\\u-", &doc));
    QVERIFY(RtfReader::read("{\\rtf1 x\\bin", &doc));
    QVERIFY(RtfReader::read("{\\rtf1 \\pict\\bin5 }}}}}after}", &doc));
}

void TestRtfReader::nestingLimit() {
    const int limit = RtfReader::maxDepth;
    QByteArray deepest = "{\\rtf1" + QByteArray(limit - 1, '{') + "deep";
    QTextDocument doc;
    QVERIFY(RtfReader::read(deepest, &doc));
    QCOMPARE(doc.toPlainText(), QStringLiteral("deep"));

    fill(&doc);
    const QString before = RtfDump::dump(doc);
    QString error;
    QVERIFY(!RtfReader::read("{\\rtf1" + QByteArray(limit, '{') + "deep", &doc, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(RtfDump::dump(doc), before);

    QTextCursor at(&doc);
    at.setPosition(3);
    QVERIFY(!RtfReader::insert("{\\rtf1" + QByteArray(100000, '{'), &at));
    QCOMPARE(RtfDump::dump(doc), before);

    // Inside a group that is skipped, depth costs nothing.
    const QByteArray skipped =
        "{\\rtf1 a{\\*\\skipme" + QByteArray(200000, '{') + "x" + QByteArray(200000, '}') + "}b}";
    QVERIFY(RtfReader::read(skipped, &doc));
    QCOMPARE(doc.toPlainText(), QStringLiteral("ab"));
}

void TestRtfReader::hugeNumbersAreClamped() {
    QTextDocument doc;
    QVERIFY(RtfReader::read("{\\rtf1\\pard\\li-99999999999999999999\\ri99999999999\\fi2147483648"
                            "\\fs99999999999999 big\\tzhtag99999999999\\tzntag-99999999999 t}",
                            &doc));
    const QTextBlockFormat bf = doc.begin().blockFormat();
    QCOMPARE(TextFormat::indentToTwips(bf.leftMargin()), -31680);
    QCOMPARE(TextFormat::indentToTwips(bf.rightMargin()), 31680);
    QCOMPARE(TextFormat::indentToTwips(bf.textIndent()), 31680);
    QCOMPARE(formatAt(doc, 0).fontPointSize(), 1638.0);
    QCOMPARE(formatAt(doc, 3).intProperty(HTagProperty), INT_MAX);
    QCOMPARE(formatAt(doc, 3).intProperty(NTagProperty), INT_MIN);
    QCOMPARE(doc.toPlainText(), QStringLiteral("bigt"));

    QVERIFY(RtfReader::read("{\\rtf1\\fs0 a\\fs-5 b\\cf-3 c\\cf99999999999 d\\f-1 e\\uc99999999 "
                            "\\u233 123456789012345678901234567890\\bin99999999999 lost}",
                            &doc));
    QCOMPARE(doc.toPlainText().left(5), QStringLiteral("abcde"));
    QCOMPARE(formatAt(doc, 0).fontPointSize(), 1.0);
    QVERIFY(!formatAt(doc, 3).hasProperty(QTextFormat::ForegroundBrush));
    // \uc is at most 16: the rest of the digits are text again.
    QCOMPARE(doc.toPlainText().mid(5), QStringLiteral("\u00e978901234567890"));

    // A colour table of a hundred thousand entries, a font number beyond any table.
    QByteArray colours = "{\\rtf1{\\colortbl;";
    for (int i = 0; i < 150000; ++i)
        colours += "\\red1;";
    colours += "}\\cf149999 x\\f2147483647 y}";
    QVERIFY(RtfReader::read(colours, &doc));
    QCOMPARE(doc.toPlainText(), QStringLiteral("xy"));
}

void TestRtfReader::randomBytesNeverFail() {
    QRandomGenerator rng(77);
    static const char alphabet[] = "{}\\\\\\abcdefuvlnrtpq0123456789- ;'*\r\n";
    for (int round = 0; round < 300; ++round) {
        QByteArray data = "{\\rtf1";
        const int n = rng.bounded(2000);
        for (int i = 0; i < n; ++i) {
            if (rng.bounded(4) == 0)
                data += char(rng.bounded(256));
            else
                data += alphabet[rng.bounded(int(sizeof alphabet) - 1)];
        }
        QTextDocument doc;
        QString error;
        const bool ok = RtfReader::read(data, &doc, &error);
        // Only nesting can refuse a file that starts well.
        if (!ok) QVERIFY2(data.count('{') >= RtfReader::maxDepth, qPrintable(error));
        if (ok) {
            QTextDocument back;
            QVERIFY(RtfReader::read(RtfWriter::write(doc), &back));
            QCOMPARE(back.toPlainText(), doc.toPlainText());
        }
    }
}

QTEST_MAIN(TestRtfReader)
#include "tst_rtfreader.moc"
