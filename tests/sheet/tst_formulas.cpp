// The formula engine's cases, written as scripts of assignments and expected values
// (tests/sheet/scripts/*.txt, see controls/sheet/sheetscript.h), one data row a script.
#include "controls/sheet/formula.h"
#include "controls/sheet/numberformat.h"
#include "controls/sheet/sheetfile.h"
#include "controls/sheet/sheetmodel.h"
#include "controls/sheet/sheetscript.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Sheet;

class TestFormulas : public QObject {
    Q_OBJECT
private slots:
    void scripts_data();
    void scripts();
    void extremesGiveErrorValues();
    void longChainsAndWideSheets();
    void parseErrorsAreExplained();
    void printedFormulasReadBack();
    void batchesReportOnce();
};

void TestFormulas::scripts_data() {
    QTest::addColumn<QString>("path");
    const QDir dir(QStringLiteral(TANDEL_SOURCE_DIR "/tests/sheet/scripts"));
    const QStringList names = dir.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    QVERIFY(names.size() >= 5);
    for (const QString& n : names) QTest::newRow(qPrintable(n)) << dir.filePath(n);
}

void TestFormulas::scripts() {
    QFETCH(QString, path);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    SheetModel model;
    const ScriptResult r = runSheetScript(QString::fromUtf8(f.readAll()), &model);
    QVERIFY2(r.ok(), qPrintable(r.failures.join(u'\n')));
    QVERIFY2(r.checks > 0, "a script with no checks tests nothing");
}

void TestFormulas::extremesGiveErrorValues() {
    SheetModel m;
    // Nested 10,000 deep, in brackets, in calls and in signs.
    m.setEntry(1, 1, u'=' + QString(10000, u'(') + u'1' + QString(10000, u')'));
    QCOMPARE(m.cellValue(1, 1).type, Value::Error);
    QString calls = QStringLiteral("=");
    for (int i = 0; i < 10000; ++i) calls += QStringLiteral("ABS(");
    calls += u'1' + QString(10000, u')');
    m.setEntry(1, 2, calls);
    QCOMPARE(m.cellValue(1, 2).type, Value::Error);
    m.setEntry(1, 3, u'=' + QString(10000, u'-') + u'1');
    QCOMPARE(m.cellValue(1, 3).type, Value::Error);
    QString sum = QStringLiteral("=1");
    for (int i = 0; i < 10000; ++i) sum += QStringLiteral("+1");
    m.setEntry(1, 4, sum);
    QCOMPARE(m.cellValue(1, 4).type, Value::Error);
    QVERIFY(!m.formulaError(1, 4).isEmpty());
    // The formula is kept as typed so that the user can mend it.
    QCOMPARE(m.entry(1, 4), sum);

    // A megabyte of text: kept as text, measured, but no formula result beyond 32,767.
    const QString mega(1 << 20, u'x');
    m.setEntry(2, 1, mega);
    QCOMPARE(m.cellValue(2, 1).text.size(), 1 << 20);
    m.setEntry(2, 2, QStringLiteral("=LEN(A2)"));
    QCOMPARE(m.cellValue(2, 2).number, double(1 << 20));
    m.setEntry(2, 3, QStringLiteral("=A2&\"y\""));
    QCOMPARE(m.cellValue(2, 3).error, ErrorCode::Value);
    m.setEntry(2, 4, QStringLiteral("=\"") + mega + u'"');
    QCOMPARE(m.cellValue(2, 4).error, ErrorCode::Value);

    // References off the sheet.
    m.setEntry(3, 1, QStringLiteral("=A2147483648"));
    QCOMPARE(m.cellValue(3, 1).error, ErrorCode::Ref);
    m.setEntry(3, 2, QStringLiteral("=SUM(A1:A99999999999999999999)"));
    QCOMPARE(m.cellValue(3, 2).error, ErrorCode::Ref);
    m.setEntry(3, 3, QStringLiteral("=ZZZ1"));
    QCOMPARE(m.cellValue(3, 3).error, ErrorCode::Ref);
    m.setEntry(3, 4, QStringLiteral("=DATE(2147483647,2147483647,2147483647)"));
    QCOMPARE(m.cellValue(3, 4).error, ErrorCode::Num);
    m.setEntry(3, 5, QStringLiteral("=EDATE(1,2147483647)"));
    QCOMPARE(m.cellValue(3, 5).error, ErrorCode::Num);
    m.setEntry(3, 6, QStringLiteral("=MID(\"abc\",2147483647,2147483647)"));
    QCOMPARE(m.cellValue(3, 6).text, QString());
    m.setEntry(3, 7, QStringLiteral("=10^400"));
    QCOMPARE(m.cellValue(3, 7).error, ErrorCode::Num);
    m.setEntry(3, 8, QStringLiteral("=TEXT(1E+300,\"#,##0\")"));
    QCOMPARE(m.cellValue(3, 8).type, Value::Text);
}

void TestFormulas::longChainsAndWideSheets() {
    // A chain 10,000 long: changing its head recalculates every link, in order, without
    // recursion that could exhaust the stack.
    SheetModel m;
    m.setEntry(1, 1, QStringLiteral("1"));
    for (int r = 2; r <= 10000; ++r) m.setEntry(r, 1, QStringLiteral("=A%1+1").arg(r - 1));
    QCOMPARE(m.cellValue(10000, 1).number, 10000.0);
    m.setEntry(1, 1, QStringLiteral("5"));
    QCOMPARE(m.cellValue(10000, 1).number, 10004.0);
    // Closing it into a circle makes every member an error, and breaking it mends it.
    m.setEntry(1, 1, QStringLiteral("=A10000"));
    QCOMPARE(m.cellValue(5000, 1).error, ErrorCode::Circular);
    QCOMPARE(m.circleOf(5000, 1).size(), 10000);
    QCOMPARE(m.circleOf(5000, 1).first(), QPoint(1, 1));
    m.setEntry(1, 1, QStringLiteral("7"));
    QCOMPARE(m.cellValue(10000, 1).number, 10006.0);
    QVERIFY(m.circleOf(5000, 1).isEmpty());
    // Sums over a whole column and over the rest of the sheet.
    m.setEntry(1, 2, QStringLiteral("=SUM(A1:A16384)"));
    QCOMPARE(m.cellValue(1, 2).number, (7.0 + 10006.0) * 10000 / 2);
    m.setEntry(1, 3, QStringLiteral("=SUM(D1:IV16384)"));
    m.setEntry(16384, 256, QStringLiteral("2"));
    m.setEntry(300, 4, QStringLiteral("3"));
    QCOMPARE(m.cellValue(1, 3).number, 5.0);
    // A formula inside the range it sums reads itself.
    m.setEntry(2, 5, QStringLiteral("=SUM(A1:IV16384)"));
    QCOMPARE(m.cellValue(2, 5).error, ErrorCode::Circular);
    // ... and so does the sum over the rest of the sheet that it falls in.
    QCOMPARE(m.circleOf(2, 5), (QList<QPoint>{QPoint(3, 1), QPoint(5, 2)}));
    QCOMPARE(m.cellValue(1, 3).error, ErrorCode::Circular);
}

void TestFormulas::parseErrorsAreExplained() {
    struct Case {
        const char* formula;
        const char* error;
    };
    const Case cases[] = {
        {"SUM(1", "a \")\" is missing after the arguments of SUM"},
        {"1+", "the formula ends too soon"},
        {"IF(1)", "IF takes 2 to 3 arguments"},
        {"ROUND(1)", "ROUND takes 2 argument(s)"},
        {"\"abc", "unexpected \"\"\""},
        {"A1:", "a cell reference must follow \":\""},
        {"1 2", "unexpected \"2\""},
    };
    for (const Case& c : cases) {
        const ParseResult r = parseFormula(QString::fromLatin1(c.formula));
        QVERIFY2(!r.expr, c.formula);
        QCOMPARE(r.error, QString::fromLatin1(c.error));
    }
}

void TestFormulas::printedFormulasReadBack() {
    // Function names are ASCII: a name holding any other letter is an unknown name, kept as
    // typed. Upper-casing U+01F0 gave "J" and a combining caron, which read back as a name
    // "J" and a stray mark, so MOD lost its closing bracket (found by the formula fuzzer).
    const QString crash = QString::fromUtf8("MOD(\u01f0(1),2)");
    struct Case {
        QString typed, printed;
    };
    const Case cases[] = {
        {crash, crash},
        {QString::fromUtf8("\u01f0+stra\u00dfe(1)"), QString::fromUtf8("\u01f0+stra\u00dfe(1)")},
        // A long s or a Kelvin sign folds to an ASCII letter, but names no function.
        {QString::fromUtf8("\u017fUM(1,2)&FAL\u017fE"), QString::fromUtf8("\u017fUM(1,2)&FAL\u017fE")},
        {QString::fromUtf8("\u212aNOT(1)"), QString::fromUtf8("\u212aNOT(1)")},
        {QStringLiteral("nosuch(1)+sum(a1:b2)+true"), QStringLiteral("NOSUCH(1)+SUM(A1:B2)+TRUE")},
    };
    for (const Case& c : cases) {
        const ParseResult r = parseFormula(c.typed);
        QVERIFY2(r.expr, qPrintable(c.typed + u' ' + r.error));
        const QString printed = formulaText(*r.expr);
        QCOMPARE(printed, c.printed);
        const ParseResult again = parseFormula(printed);
        QVERIFY2(again.expr, qPrintable(printed + u' ' + again.error));
        QCOMPARE(formulaText(*again.expr), printed);
    }

    // A budget holding it saves and loads again with the formula as typed.
    SheetModel m;
    m.setEntry(1, 1, u'=' + crash);
    QCOMPARE(m.cellValue(1, 1).error, ErrorCode::Name);
    SheetModel loaded;
    QString error;
    QVERIFY2(readNative(writeNative(m), &loaded, &error), qPrintable(error));
    QCOMPARE(loaded.entry(1, 1), u'=' + crash);
    QCOMPARE(loaded.cellValue(1, 1).error, ErrorCode::Name);
}

void TestFormulas::batchesReportOnce() {
    // Changes made in a batch are recalculated and reported once, at its end.
    SheetModel m;
    m.setEntry(1, 1, QStringLiteral("1"));
    m.setEntry(2, 1, QStringLiteral("=SUM(A1:A1)+RAND_NOT_A_FUNCTION()"));
    QCOMPARE(m.cellValue(2, 1).error, ErrorCode::Name);
    int notified = 0;
    m.setChangeListener([&] { ++notified; });
    {
        SheetModel::Batch batch(m);
        for (int r = 3; r < 100; ++r) m.setEntry(r, 2, QStringLiteral("=B%1*2").arg(r - 1));
        m.setEntry(2, 2, QStringLiteral("3"));
    }
    QCOMPARE(notified, 1);
    QCOMPARE(m.cellValue(99, 2).number, 3.0 * std::pow(2.0, 97));
}

QTEST_GUILESS_MAIN(TestFormulas)
#include "tst_formulas.moc"
