// The sheet's files: its own format read back unchanged, tab-separated text, and Excel 4
// worksheets read by our reader and, where it is installed, by LibreOffice.
#include "biff4reader.h"
#include "controls/sheet/biff4.h"
#include "controls/sheet/numberformat.h"
#include "controls/sheet/sheetfile.h"
#include "controls/sheet/sheetmodel.h"
#include "controls/sheet/sheetscript.h"
#include "support/libreoffice.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Sheet;

namespace {

// A sheet using every kind of content and format the files must carry.
const char* const kSample = R"(
text A1 "Cashflow forecast "
text C1 01/4/2027
set A2 Period - Monthly
set B3 =TEXT(DATE(VALUE(RIGHT($C$1,4)),VALUE(MID($C$1,4,FIND("/",$C$1,4)-4)),1),"mmm yyyy")
set C3 =TEXT(EDATE(DATEVALUE($C$1),1),"mmm yyyy")
set A4 Tab	and "quotes"
set B4 1200
set C4 £1,234.56
set D4 =SUM(B4:C4)
set E4 =IF(D4>1000,"over","under")
set F4 =CONCATENATE("Total ",D4)
set G4 =1/0
set H4 =B4>C4
set I4 =-B4^2%
set J4 =ROUND(C4,1)&" "&LEFT($A$2,6)
set K4 =MIN(B4,C4,(D4))
set L4 =NOSUCH(1)
set M4 '0042
set B5 -0.125
set C5 =AVERAGE(B4:B5,,C4)
set D5 =CHOOSE(2,"a",B5)
set E5 =B$4+$C4
format A1 bold size=14 font="Times New Roman" color=#800000
format B3:C3 bold align=centre italic underline
format B4:D4 number="£#,##0.00;-£#,##0.00" unlocked
format B5 number=0.0% hidden align=right color=#123456
format A4 wrap valign=top align=justify
format E4 color=#00FF00 number=@
width A 200
width B:D 90
height 1 30
view maxrow=28 maxcol=28 fixedrows=3 fixedcols=1 protection=on active=B5 gridlines=off
print landscape=on fit=on wide=2 high=1 scale=75 hcenter=on margins=0.5,0.6,0.7,0.8 headings=on gridlines=off paper=1
)";

void buildSample(SheetModel* m) {
    const ScriptResult r = runSheetScript(QString::fromUtf8(kSample), m);
    QVERIFY2(r.ok(), qPrintable(r.failures.join(u'\n')));
}

// Everything a reader could lose, cell by cell.
QStringList describe(const SheetModel& m) {
    QStringList out;
    for (const auto& [key, c] : m.cells()) {
        const int r = keyRow(key), col = keyCol(key);
        const CellFormat& f = m.format(r, col);
        out << QStringLiteral("%1 [%2] {%3} %4 %5 %6%7%8%9 #%10 h%11 v%12 w%13 n=%14 l%15 h%16")
                   .arg(cellName(r, col), m.entry(r, col), m.shownText(r, col), f.fontName)
                   .arg(f.fontSize)
                   .arg(f.bold)
                   .arg(f.italic)
                   .arg(f.underline)
                   .arg(f.strikeout)
                   .arg(f.color, 0, 16)
                   .arg(f.hAlign)
                   .arg(f.vAlign)
                   .arg(f.wrap)
                   .arg(f.numberFormat)
                   .arg(f.locked)
                   .arg(f.hidden);
    }
    return out;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestSheetFiles : public QObject {
    Q_OBJECT
private slots:
    void nativeRoundTrip();
    void nativeRoundTripIsStable_data();
    void nativeRoundTripIsStable();
    void nativeRefusesDamage_data();
    void nativeRefusesDamage();
    void tabSeparated();
    void biff4ReadBack();
    void biff4OpensInLibreOffice();
};

void TestSheetFiles::nativeRoundTrip() {
    SheetModel a;
    buildSample(&a);
    QCOMPARE(a.cellValue(1, 1).text, QStringLiteral("Cashflow forecast "));
    QCOMPARE(a.shownText(3, 2), QStringLiteral("Apr 2027"));
    QCOMPARE(a.shownText(3, 3), QStringLiteral("May 2027"));
    const QByteArray bytes = writeNative(a);
    QVERIFY(looksNative(bytes));
    SheetModel b;
    QString error;
    QVERIFY2(readNative(bytes, &b, &error), qPrintable(error));
    QCOMPARE(describe(b), describe(a));
    QCOMPARE(b.view(), a.view());
    QCOMPARE(b.print(), a.print());
    QCOMPARE(b.columnWidths(), a.columnWidths());
    QCOMPARE(b.rowHeights(), a.rowHeights());
    // Written again, the file is the same to the byte.
    QCOMPARE(writeNative(b), bytes);
    // Values that survive only as written numbers: full precision.
    SheetModel c;
    c.setNumber(1, 1, 0.1 + 0.2);
    c.setNumber(1, 2, -1.7976931348623157e308);
    c.setNumber(1, 3, 5e-324);
    SheetModel d;
    QVERIFY(readNative(writeNative(c), &d, &error));
    QCOMPARE(d.cell(1, 1)->number, 0.1 + 0.2);
    QCOMPARE(d.cell(1, 2)->number, -1.7976931348623157e308);
    QCOMPARE(d.cell(1, 3)->number, 5e-324);
}

// Files found by fuzzing whose second round trip once differed from the first.
void TestSheetFiles::nativeRoundTripIsStable_data() {
    QTest::addColumn<QString>("path");
    const QDir dir(QStringLiteral(TANDEL_SOURCE_DIR "/tests/sheet/data"));
    for (const QString& n : dir.entryList({QStringLiteral("*.json")}, QDir::Files))
        QTest::newRow(qPrintable(n)) << dir.filePath(n);
}

void TestSheetFiles::nativeRoundTripIsStable() {
    QFETCH(QString, path);
    SheetModel a, b;
    QString error;
    QVERIFY2(readNative(readFile(path), &a, &error), qPrintable(error));
    const QByteArray once = writeNative(a);
    QVERIFY2(readNative(once, &b, &error), qPrintable(error));
    const QByteArray twice = writeNative(b);
    if (once != twice) {
        const QList<QByteArray> x = once.split('\n'), y = twice.split('\n');
        for (int i = 0; i < qMin(x.size(), y.size()); ++i)
            QVERIFY2(x[i] == y[i], qPrintable(QStringLiteral("line %1: %2 | %3").arg(i + 1).arg(
                                       QString::fromUtf8(x[i]), QString::fromUtf8(y[i]))));
        QCOMPARE(x.size(), y.size());
    }
}

void TestSheetFiles::nativeRefusesDamage_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    QTest::newRow("empty") << QByteArray() << "it is damaged";
    QTest::newRow("cut short") << writeNative(SheetModel()).left(60) << "it is damaged";
    QTest::newRow("other json") << QByteArray("{\"a\": 1}") << "it is not a sheet";
    QTest::newRow("newer") << QByteArray(R"({"format":"tandel-sheet","version":)") +
                                  QByteArray::number(kNativeVersion + 1) + '}'
                           << "written by a newer version";
    QTest::newRow("bad cell") << QByteArray(R"({"format":"tandel-sheet","version":1,"cells":[{"ref":"A0","text":"x"}]})")
                              << "\"A0\" is no cell";
    QTest::newRow("bad format index")
        << QByteArray(R"({"format":"tandel-sheet","version":1,"formats":[{}],"cells":[{"ref":"A1","format":3}]})")
        << "\"format\" holds 3";
    QTest::newRow("bad colour")
        << QByteArray(R"({"format":"tandel-sheet","version":1,"formats":[{"color":"purplish"}]})")
        << "is no colour";
    QTest::newRow("bad margin")
        << QByteArray(R"({"format":"tandel-sheet","version":1,"print":{"leftMargin":"wide"}})")
        << "\"leftMargin\" holds \"wide\"";
    QTest::newRow("huge row")
        << QByteArray(R"({"format":"tandel-sheet","version":1,"view":{"maxRow":2147483648}})")
        << "\"maxRow\" holds 2147483648";
    // Sound JSON that does not hold what a sheet holds: read as an empty sheet, the budget
    // would be written over by the next save.
    SheetModel sample;
    buildSample(&sample);
    QByteArray renamed = writeNative(sample);
    QVERIFY(renamed.contains("\"cells\""));
    renamed.replace("\"cells\"", "\"Cells\"");
    QTest::newRow("cells renamed") << renamed << "\"Cells\"";
    QTest::newRow("view a list") << QByteArray(R"({"format":"tandel-sheet","version":1,"view":[],"print":{},"cells":[]})")
                                 << "\"view\" must be a group";
    QTest::newRow("print a text") << QByteArray(R"({"format":"tandel-sheet","version":1,"view":{},"print":"A4","cells":[]})")
                                  << "\"print\" must be a group";
    QTest::newRow("no cells") << QByteArray(R"({"format":"tandel-sheet","version":1,"view":{},"print":{}})")
                              << "it has no \"cells\"";
}

void TestSheetFiles::nativeRefusesDamage() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    SheetModel m;
    buildSample(&m);
    const QStringList before = describe(m);
    QString error;
    QVERIFY(!readNative(bytes, &m, &error));
    QVERIFY2(error.startsWith(QStringLiteral("The sheet file cannot be read: ")), qPrintable(error));
    QVERIFY2(error.contains(reason), qPrintable(error));
    QCOMPARE(describe(m), before);
}

void TestSheetFiles::tabSeparated() {
    SheetModel m;
    buildSample(&m);
    const QString tsv = writeTsv(m, CellRange{3, 1, 5, 4});
    QCOMPARE(tsv, QStringLiteral("\tApr 2027\tMay 2027\t\r\n"
                                 "\"Tab\tand \"\"quotes\"\"\"\t£1,200.00\t£1,234.56\t£2,434.56\r\n"
                                 "\t-12.5%\t#DIV/0!\t-0.125\r\n")
                 .replace(QStringLiteral("#DIV/0!"), m.shownText(5, 3)));
    const QList<QStringList> rows = parseTsv(tsv);
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[1][0], QStringLiteral("Tab\tand \"quotes\""));
    QCOMPARE(rows[1][3], QStringLiteral("£2,434.56"));
    QCOMPARE(parseTsv(QStringLiteral("a\tb\nc")), (QList<QStringList>{{"a", "b"}, {"c"}}));
    QCOMPARE(parseTsv(QStringLiteral("\"x\ny\"\t1\r\n")), (QList<QStringList>{{"x\ny", "1"}}));
    const QByteArray file = writeTsvFile(m);
    QVERIFY(file.startsWith("\xEF\xBB\xBF" "Cashflow forecast \t\t01/4/2027"));
}

void TestSheetFiles::biff4ReadBack() {
    SheetModel m;
    buildSample(&m);
    const Biff4File f = readBiff4(writeBiff4(m));
    QVERIFY2(f.ok, qPrintable(f.error));
    QCOMPARE(f.bofType, 0x10);
    QCOMPARE(f.codepage, 1252);
    QCOMPARE(f.cells.size(), int(m.cells().size()));
    for (const auto& [key, c] : m.cells()) {
        const Biff4File::CellData* got = f.cell(keyRow(key), keyCol(key));
        const QString name = cellName(keyRow(key), keyCol(key));
        QVERIFY2(got, qPrintable(name));
        QVERIFY2(got->value == c.value || (c.value.isEmpty() && got->value.isEmpty()),
                 qPrintable(name + QStringLiteral(": ") + got->value.text));
        const QString entry = m.entry(keyRow(key), keyCol(key));
        const CellFormat& fmt = m.format(keyRow(key), keyCol(key));
        QCOMPARE(f.formatOf(*got), fmt.numberFormat);
        QCOMPARE(f.fontOf(*got).name, fmt.fontName);
        QCOMPARE(f.fontOf(*got).height, int(fmt.fontSize * 20));
        QCOMPARE(bool(f.fontOf(*got).flags & 1), fmt.bold);
        QCOMPARE(bool(f.xfs[got->xf].protection & 1), fmt.locked);
        QCOMPARE(bool(f.xfs[got->xf].protection & 2), fmt.hidden);
        QCOMPARE((f.xfs[got->xf].align & 7) + 1, fmt.hAlign);
        if (name == QLatin1String("F4"))
            QCOMPARE(got->formula, QStringLiteral("\"Total \"&D4"));
        else if (name == QLatin1String("C3") || name == QLatin1String("L4"))
            QVERIFY2(got->formula.isEmpty(), "EDATE and unknown names keep their values alone");
        else if (entry.startsWith(u'='))
            QCOMPARE(u'=' + got->formula, entry);
    }
    // The pound sign and the code page.
    QCOMPARE(f.cell(4, 3)->value.number, 1234.56);
    QVERIFY(f.formats.contains(QStringLiteral("£#,##0.00;-£#,##0.00")));
    QCOMPARE(f.columnUnits.value(1), int((200 - 5) / 7.0 * 256 + 0.5));
    QCOMPARE(f.rowTwips.value(1), 450);
    QCOMPARE(f.paperSize, 1);
    QCOMPARE(f.pageOptions & 2, 0); // landscape
    QCOMPARE(f.fitWide, 2);
    QCOMPARE(f.wsbool & 0x100, 0x100);
    QCOMPARE(f.hCenter, 1);
    QCOMPARE(f.headers, 1);
    QCOMPARE(f.gridlines, 0);
    QCOMPARE(f.margins[3], 0.8);
    QCOMPARE(f.protect, 1);
    QCOMPARE(f.paneRows, 3);
    QCOMPARE(f.paneCols, 1);
    // Colours travel through the palette.
    QCOMPARE(f.rgbOf(f.fontOf(*f.cell(1, 1)).color), qRgb(0x80, 0x00, 0x00));
    QCOMPARE(f.rgbOf(f.fontOf(*f.cell(4, 5)).color), qRgb(0x00, 0xFF, 0x00));
    QCOMPARE(f.rgbOf(f.fontOf(*f.cell(5, 2)).color), qRgb(0x12, 0x34, 0x56));
    QCOMPARE(f.fontOf(*f.cell(4, 2)).color, 0x7FFF); // automatic
    // References keep which of their row and column is absolute (hand-decoded: bit 15 of
    // the row field marks a relative row, bit 14 a relative column).
    QCOMPARE(f.cell(5, 5)->formula, QStringLiteral("B$4+$C4"));
}

void TestSheetFiles::biff4OpensInLibreOffice() {
    REQUIRE_LIBREOFFICE("the Excel 4 files");
    const QString soffice = sofficeProgram();
    // The sample, and the budget template with entries, by the quarter.
    SheetModel sample, budget;
    buildSample(&sample);
    QString error;
    QVERIFY2(readNative(readFile(QStringLiteral(TANDEL_PRISTINE_DIR "/userdata/1.mps")), &budget, &error), qPrintable(error));
    budget.setText(2, 1, QStringLiteral("Period - Quarterly"));
    budget.setText(1, 3, QStringLiteral("01/11/2027"));
    budget.setEntry(6, 2, QStringLiteral("1200"));
    budget.setEntry(24, 13, QStringLiteral("35.5"));
    QTemporaryDir dir;
    const std::pair<const char*, const SheetModel*> files[] = {{"sample", &sample}, {"budget", &budget}};
    QStringList args{QStringLiteral("-env:UserInstallation=file://") + dir.filePath(QStringLiteral("profile")),
                     QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                     QStringLiteral("csv:Text - txt - csv (StarCalc):9,34,76,1"), QStringLiteral("--outdir"), dir.path()};
    for (const auto& [name, model] : files) {
        QFile f(dir.filePath(QLatin1String(name) + QStringLiteral(".xls")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(writeBiff4(*model));
        args << f.fileName();
    }
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start(soffice, args);
    QVERIFY(p.waitForFinished(180000));
    for (const auto& [name, model] : files) {
        QFile csv(dir.filePath(QLatin1String(name) + QStringLiteral(".csv")));
        QVERIFY2(csv.open(QIODevice::ReadOnly), qPrintable(QString::fromLocal8Bit(p.readAllStandardError())));
        const QList<QStringList> got = parseTsv(QString::fromUtf8(csv.readAll()));
        const SheetModel& m = *model;
        const CellRange used = m.usedRange();
        QCOMPARE(got.size(), used.row2);
        for (int r = 1; r <= used.row2; ++r)
            for (int c = 1; c <= used.col2; ++c) {
                QString want = m.shownText(r, c);
                const QString have = got[r - 1].value(c - 1);
                if (want == QLatin1String("#NAME?") && have.startsWith(QLatin1String("Err:"))) continue;
                // LibreOffice shows a logical result in a General cell as a number.
                if (want == QLatin1String("TRUE")) want = have == QLatin1String("1") ? have : want;
                if (want == QLatin1String("FALSE")) want = have == QLatin1String("0") ? have : want;
                // Cells that wrap come back with their line break.
                if (m.format(r, c).wrap) want = have.simplified() == want.simplified() ? have : want;
                QVERIFY2(have == want, qPrintable(QStringLiteral("%1 %2: LibreOffice shows \"%3\", the sheet \"%4\"")
                                                      .arg(QLatin1String(name), cellName(r, c), have, want)));
            }
    }
    // The formulas themselves, as LibreOffice reads them (written out by hand in its own
    // notation): which parts of a reference are absolute must survive, or a formula
    // copied or filled in the workbook goes wrong.
    QVERIFY2(sofficeConvert(QStringLiteral("fods"), {dir.filePath(QStringLiteral("sample.xls")),
                                                     dir.filePath(QStringLiteral("budget.xls"))},
                            dir.path(), &error),
             qPrintable(error));
    const QString sampleFlat = QString::fromUtf8(readFile(dir.filePath(QStringLiteral("sample.fods"))));
    for (const char* formula : {"of:=[.B$4]+[.$C4]", "of:=SUM([.B4:.C4])",
                                "of:=ROUND([.C4];1)&amp;&quot; &quot;&amp;LEFT([.$A$2];6)"})
        QVERIFY2(sampleFlat.contains(QStringLiteral("table:formula=\"") + QLatin1String(formula) + u'"'),
                 formula);
    // The budget's headings refer to the row of period starts, its row fixed, its column
    // free: YEAR(C$4) and not YEAR($C4).
    const QString budgetFlat = QString::fromUtf8(readFile(dir.filePath(QStringLiteral("budget.fods"))));
    QVERIFY2(budgetFlat.contains(QStringLiteral("[.C$4]")), "no reference to C$4 in the budget");
    QVERIFY(!budgetFlat.contains(QStringLiteral("[.$C4]")));
}

QTEST_MAIN(TestSheetFiles)
#include "tst_sheetfiles.moc"
