// Writing documents as RTF and reading them back: the control's own format must keep
// text, formatting, hidden text and tags; the standard flavour keeps everything but our
// tags.

#include "controls/text/rtfreader.h"
#include "controls/text/rtfwriter.h"
#include "controls/text/textformat.h"

#include "rtfdump.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <QtTest>

using TextFormat::HiddenProperty;
using TextFormat::HTagProperty;
using TextFormat::NTagProperty;
using TextFormat::PTagProperty;

namespace {

// Text pieces chosen to trip an RTF writer: characters RTF uses itself, digits, spaces and
// hyphens right after a control word, characters beyond ASCII (one outside the BMP), tabs
// and line breaks inside a paragraph.
const QString kPieces[] = {
    QStringLiteral("plain words"),
    QStringLiteral("\\back\\slash"),
    QStringLiteral("{braces}"),
    QStringLiteral("}{"),
    QStringLiteral("12 apples"),
    QStringLiteral(" leading space"),
    QStringLiteral("-5 degrees"),
    QStringLiteral("caf\u00e9 \u00a3100 \u20ac5"),
    QStringLiteral("\u0141\u00f3d\u017a \u4e2d\u6587 \u03bb"),
    QStringLiteral("smile \U0001F600 end"),
    QStringLiteral("tab\there"),
    QStringLiteral("line\u2028break"),
    QStringLiteral("semi;colon"),
    QStringLiteral("non\u00a0breaking"),
    QStringLiteral("soft\u00adhyphen"),
    QStringLiteral("quote's \u201cmarks\u201d"),
    QStringLiteral("x"),
    QStringLiteral("\\par not a word"),
};

const QString kFonts[] = {
    QStringLiteral("Arial"),
    QStringLiteral("Times New Roman"),
    QStringLiteral("Courier New"),
    QStringLiteral("DejaVu Sans"),
    QStringLiteral("\u0141\u00f3d\u017a Sans"),
    QStringLiteral("Odd {Name}\\"),
};

const double kSizes[] = {6, 8, 9.5, 10, 10.5, 11, 12, 14, 18, 24.5, 72};

const int kTags[] = {0, 0, 0, 1, 300, 999, 1000, 99, 39, 123456, -7};

template <typename T, size_t N> const T& pick(QRandomGenerator& rng, const T (&items)[N]) {
    return items[rng.bounded(int(N))];
}

QTextCharFormat randomCharFormat(QRandomGenerator& rng) {
    QTextCharFormat f;
    if (rng.bounded(4)) f.setFontFamilies({pick(rng, kFonts)});
    if (rng.bounded(4)) f.setFontPointSize(pick(rng, kSizes));
    if (rng.bounded(3) == 0) f.setFontWeight(QFont::Bold);
    if (rng.bounded(3) == 0) f.setFontItalic(true);
    if (rng.bounded(4) == 0) f.setFontUnderline(true);
    if (rng.bounded(5) == 0) f.setFontStrikeOut(true);
    if (rng.bounded(2))
        f.setForeground(QColor(rng.bounded(256), rng.bounded(256), rng.bounded(256)));
    if (rng.bounded(5) == 0) f.setProperty(HiddenProperty, true);
    if (const int h = pick(rng, kTags)) f.setProperty(HTagProperty, h);
    if (const int n = pick(rng, kTags)) f.setProperty(NTagProperty, n);
    return f;
}

QTextBlockFormat randomBlockFormat(QRandomGenerator& rng) {
    QTextBlockFormat f;
    static const Qt::Alignment aligns[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter,
                                           Qt::AlignJustify};
    f.setAlignment(aligns[rng.bounded(4)]);
    // Indents are whole twips in the control.
    if (rng.bounded(2)) f.setTextIndent(TextFormat::twipsToIndent(rng.bounded(-720, 1441)));
    if (rng.bounded(2)) f.setLeftMargin(TextFormat::twipsToIndent(rng.bounded(0, 7201)));
    if (rng.bounded(2)) f.setRightMargin(TextFormat::twipsToIndent(rng.bounded(0, 2881)));
    if (const int p = pick(rng, kTags)) f.setProperty(PTagProperty, p);
    return f;
}

std::unique_ptr<QTextDocument> randomDocument(quint32 seed) {
    QRandomGenerator rng(seed);
    auto doc = std::make_unique<QTextDocument>();
    QFont base(rng.bounded(2) ? QStringLiteral("DejaVu Serif") : QStringLiteral("Arial"));
    base.setPointSizeF(rng.bounded(2) ? 10 : 11.5);
    doc->setDefaultFont(base);
    QTextCursor cur(doc.get());
    const int paragraphs = 1 + rng.bounded(12);
    for (int p = 0; p < paragraphs; ++p) {
        const QTextBlockFormat bf = randomBlockFormat(rng);
        const QTextCharFormat mark = randomCharFormat(rng);
        if (p == 0) {
            cur.setBlockFormat(bf);
            cur.setBlockCharFormat(mark);
        } else {
            cur.insertBlock(bf, mark);
        }
        const int runs = rng.bounded(7);
        for (int r = 0; r < runs; ++r)
            cur.insertText(pick(rng, kPieces), randomCharFormat(rng));
    }
    return doc;
}

QByteArray writeAndCheck(const QTextDocument& doc, RtfWriter::Flavor flavor) {
    const QByteArray rtf = RtfWriter::write(doc, flavor);
    // Plain 7-bit text whatever the document holds.
    for (char c : rtf)
        if (uchar(c) >= 0x80) return {};
    return rtf;
}

} // namespace

class TestRtf : public QObject {
    Q_OBJECT

private slots:
    void roundTripRandomDocuments();
    void standardFlavourDropsOnlyTags();
    void nativeOutputIsValidRtfForOtherReaders();
    void controlWordsAndEscapes();
    void emptyAndTrailingParagraphs();
    void selectionAndInsertKeepTags();
    void tableCellsComeOutAsParagraphs();
    void privatePropertiesNeverReachTheFile();
};

void TestRtf::roundTripRandomDocuments() {
    for (quint32 seed = 1; seed <= 300; ++seed) {
        const auto doc = randomDocument(seed);
        const QByteArray rtf = writeAndCheck(*doc, RtfWriter::Native);
        QVERIFY2(!rtf.isEmpty(), qPrintable(QStringLiteral("seed %1: not 7-bit").arg(seed)));
        QTextDocument back;
        back.setDefaultFont(QFont(QStringLiteral("Courier New"), 7)); // must not leak in
        QString error;
        QVERIFY2(RtfReader::read(rtf, &back, &error), qPrintable(error));
        const QString want = RtfDump::dump(*doc);
        const QString got = RtfDump::dump(back);
        if (want != got) {
            qWarning().noquote() << "seed" << seed << "\nRTF:\n"
                                 << rtf << "\nwant:\n"
                                 << want << "\ngot:\n"
                                 << got;
        }
        QCOMPARE(got, want);
        // Writing what was read gives the same file: nothing drifts over saves.
        QCOMPARE(RtfWriter::write(back, RtfWriter::Native).size() > 0, true);
        QTextDocument again;
        QVERIFY(RtfReader::read(RtfWriter::write(back), &again));
        QCOMPARE(RtfDump::dump(again), want);
    }
}

void TestRtf::standardFlavourDropsOnlyTags() {
    for (quint32 seed = 1000; seed < 1100; ++seed) {
        const auto doc = randomDocument(seed);
        const QByteArray rtf = writeAndCheck(*doc, RtfWriter::Standard);
        QVERIFY(!rtf.isEmpty());
        QVERIFY2(!rtf.contains("\\tz"), rtf.constData());
        QTextDocument back;
        QVERIFY(RtfReader::read(rtf, &back));
        QCOMPARE(RtfDump::dump(back, false), RtfDump::dump(*doc, false));
        for (QTextBlock b = back.begin(); b.isValid(); b = b.next()) {
            QCOMPARE(b.blockFormat().intProperty(PTagProperty), 0);
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                QCOMPARE(it.fragment().charFormat().intProperty(HTagProperty), 0);
                QCOMPARE(it.fragment().charFormat().intProperty(NTagProperty), 0);
            }
        }
    }
    // Hidden text stays hidden in both flavours.
    QTextDocument doc;
    QTextCharFormat hidden;
    hidden.setProperty(HiddenProperty, true);
    hidden.setProperty(HTagProperty, 999);
    QTextCursor(&doc).insertText(QStringLiteral("note"), hidden);
    const QByteArray standard = RtfWriter::write(doc, RtfWriter::Standard);
    QVERIFY(standard.contains("\\v "));
    QVERIFY(!standard.contains("tzhtag"));
    QVERIFY(RtfWriter::write(doc, RtfWriter::Native).contains("\\tzhtag999"));
}

// What another word processor sees of a plan: our words are plain control words, which
// every reader skips, inside a well-formed document. Checked here by a reader that knows
// nothing of them: strip every control word it does not need and compare the text.
void TestRtf::nativeOutputIsValidRtfForOtherReaders() {
    for (quint32 seed = 2000; seed < 2050; ++seed) {
        const auto doc = randomDocument(seed);
        const QByteArray native = RtfWriter::write(*doc, RtfWriter::Native);
        QVERIFY(native.startsWith("{\\rtf1\\ansi"));
        // Balanced groups, closed at the end.
        int depth = 0;
        bool closedEarly = false;
        for (qsizetype i = 0; i < native.size(); ++i) {
            const char c = native[i];
            if (c == '\\') {
                ++i;
                continue;
            }
            if (c == '{') ++depth;
            if (c == '}' && --depth == 0 && native.indexOf('{', i) >= 0) closedEarly = true;
        }
        QCOMPARE(depth, 0);
        QVERIFY(!closedEarly);
        // The tag words are never destinations: removing them leaves the Standard file.
        QByteArray stripped = native;
        static const QRegularExpression tagWords(QStringLiteral("\\\\tz[hnp]tag-?\\d+"));
        stripped = QString::fromLatin1(stripped).remove(tagWords).toLatin1();
        QTextDocument a, b;
        QVERIFY(RtfReader::read(stripped, &a));
        QVERIFY(RtfReader::read(RtfWriter::write(*doc, RtfWriter::Standard), &b));
        QCOMPARE(RtfDump::dump(a, false), RtfDump::dump(b, false));
        QCOMPARE(a.toPlainText(), doc->toPlainText());
    }
}

void TestRtf::controlWordsAndEscapes() {
    QTextDocument doc;
    QFont base(QStringLiteral("Arial"));
    base.setPointSize(12);
    doc.setDefaultFont(base);
    QTextCursor cur(&doc);
    QTextBlockFormat bf;
    bf.setAlignment(Qt::AlignHCenter);
    bf.setTextIndent(TextFormat::twipsToIndent(-360));
    bf.setLeftMargin(TextFormat::twipsToIndent(720));
    bf.setRightMargin(TextFormat::twipsToIndent(144));
    bf.setProperty(PTagProperty, 7);
    cur.setBlockFormat(bf);
    QTextCharFormat f;
    f.setFontPointSize(10.5);
    f.setFontWeight(QFont::Bold);
    f.setForeground(QColor(0, 0, 255));
    f.setProperty(HTagProperty, 1);
    f.setProperty(NTagProperty, 7);
    cur.insertText(QStringLiteral("1 {a}\\b\tc\u2028\u00e9\u4e2d"), f);
    QTextCharFormat g = f;
    g.setFontItalic(true);
    cur.insertText(QStringLiteral("-"), g);
    const QByteArray rtf = RtfWriter::write(doc);

    QVERIFY(rtf.contains("{\\colortbl;\\red0\\green0\\blue255;}"));
    QVERIFY(rtf.contains("\\pard\\qc\\fi-360\\li720\\ri144\\tzptag7"));
    // The space ends the words before a digit; braces and backslashes are escaped; the
    // accented letter carries its code page byte for readers without \u. The paragraph's
    // mark keeps its own format (the document's default here) at the paragraph's end.
    QVERIFY2(rtf.contains("\\fs21\\b\\cf1\\tzhtag1\\tzntag7 1 \\{a\\}\\\\b\\tab c\\line"
                          "\\u233\\'e9\\u20013?\\i -\\fs24\\b0\\i0\\cf0\\tzhtag0\\tzntag0}"),
             rtf.constData());
    QVERIFY(rtf.contains("\\uc1"));
    // Unchanged attributes are not repeated.
    QCOMPARE(rtf.count("\\fs21"), 1);
}

void TestRtf::emptyAndTrailingParagraphs() {
    QTextDocument doc;
    QTextCursor cur(&doc);
    QTextCharFormat big;
    big.setFontPointSize(20);
    cur.insertText(QStringLiteral("first"));
    cur.insertBlock(QTextBlockFormat(), big); // empty, 20 points
    cur.insertBlock();
    cur.insertText(QStringLiteral("third"));
    cur.insertBlock(); // empty last paragraph
    QTextDocument back;
    QVERIFY(RtfReader::read(RtfWriter::write(doc), &back));
    QCOMPARE(back.blockCount(), 4);
    QCOMPARE(back.toPlainText(), doc.toPlainText());
    QCOMPARE(back.findBlockByNumber(1).charFormat().fontPointSize(), 20.0);
    QCOMPARE(RtfDump::dump(back), RtfDump::dump(doc));

    QTextDocument empty;
    QTextDocument backEmpty;
    QTextCursor(&backEmpty).insertText(QStringLiteral("old text"));
    QVERIFY(RtfReader::read(RtfWriter::write(empty), &backEmpty));
    QCOMPARE(backEmpty.toPlainText(), QString());
    QCOMPARE(backEmpty.blockCount(), 1);
}

void TestRtf::selectionAndInsertKeepTags() {
    QTextDocument doc;
    QTextCursor cur(&doc);
    QTextCharFormat tagged;
    tagged.setProperty(HTagProperty, 300);
    tagged.setProperty(NTagProperty, 12);
    tagged.setForeground(QColor(Qt::blue));
    cur.insertText(QStringLiteral("before "));
    cur.insertText(QStringLiteral("[field]"), tagged);
    cur.insertText(QStringLiteral(" after"));
    cur.insertBlock();
    cur.insertText(QStringLiteral("second"));

    QTextCursor sel(&doc);
    sel.setPosition(3);
    sel.setPosition(24, QTextCursor::KeepAnchor); // "ore [field] after" and half a paragraph
    const QByteArray rtf = RtfWriter::write(sel);
    QVERIFY(rtf.contains("\\tzhtag300"));

    QTextDocument target;
    QTextCursor at(&target);
    at.insertText(QStringLiteral("ABCD"));
    at.setPosition(2);
    at.setPosition(3, QTextCursor::KeepAnchor); // replace "C"
    QVERIFY(RtfReader::insert(rtf, &at));
    QCOMPARE(target.toPlainText(), QStringLiteral("ABore [field] after\nsecD"));
    QTextCursor probe(&target);
    probe.setPosition(8);
    QCOMPARE(probe.charFormat().intProperty(HTagProperty), 300);
    QCOMPARE(probe.charFormat().intProperty(NTagProperty), 12);
    QCOMPARE(probe.charFormat().foreground().color(), QColor(Qt::blue));
    probe.setPosition(4);
    QCOMPARE(probe.charFormat().intProperty(HTagProperty), 0);
    // One step undoes the whole paste.
    target.undo();
    QCOMPARE(target.toPlainText(), QStringLiteral("ABCD"));

    QString error;
    QVERIFY(!RtfReader::insert("no rtf", &at, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(target.toPlainText(), QStringLiteral("ABCD"));
}

void TestRtf::tableCellsComeOutAsParagraphs() {
    QTextDocument doc;
    QTextCursor cur(&doc);
    cur.insertText(QStringLiteral("above"));
    QTextTable* table = cur.insertTable(2, 2);
    const QString cells[] = {QStringLiteral("a1"), QStringLiteral("b1"), QStringLiteral("a2"),
                             QStringLiteral("b2")};
    for (int i = 0; i < 4; ++i) {
        QTextCursor c = table->cellAt(i / 2, i % 2).firstCursorPosition();
        QTextCharFormat f;
        f.setProperty(NTagProperty, 40 + i);
        c.insertText(cells[i], f);
    }
    QTextDocument back;
    QVERIFY(RtfReader::read(RtfWriter::write(doc), &back));
    QStringList blocks;
    for (QTextBlock b = back.begin(); b.isValid(); b = b.next())
        blocks << b.text();
    QCOMPARE(blocks, (QStringList{"above", "a1", "b1", "a2", "b2", ""}));
    QCOMPARE(back.findBlockByNumber(4).begin().fragment().charFormat().intProperty(NTagProperty),
             43);
}

void TestRtf::privatePropertiesNeverReachTheFile() {
    QTextDocument doc;
    QTextCharFormat f;
    f.setProperty(TextFormat::FirstPrivateProperty, true);
    f.setProperty(TextFormat::FirstPrivateProperty + 1, 42);
    f.setProperty(HTagProperty, 5);
    QTextCursor(&doc).insertText(QStringLiteral("shown"), f);
    QTextDocument back;
    QVERIFY(RtfReader::read(RtfWriter::write(doc), &back));
    const QTextCharFormat got = back.begin().begin().fragment().charFormat();
    QVERIFY(!got.hasProperty(TextFormat::FirstPrivateProperty));
    QVERIFY(!got.hasProperty(TextFormat::FirstPrivateProperty + 1));
    QCOMPARE(got.intProperty(HTagProperty), 5);
}

QTEST_MAIN(TestRtf)
#include "tst_rtf.moc"
