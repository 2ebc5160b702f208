// The budget template as built into the program folder: its set-up cells, headings for
// both periods, protection, totals after entries, and its size.
#include "controls/sheet/sheetfile.h"
#include "controls/sheet/sheetmodel.h"

#include <QFile>
#include <QTest>

using namespace Sheet;

class TestBudgetTemplate : public QObject {
    Q_OBJECT
private slots:
    void init();
    void setUpCellsAndLayout();
    void headings_data();
    void headings();
    void totalsAfterEntries();
    void deletingACostLine();

private:
    SheetModel m;
};

void TestBudgetTemplate::init() {
    QFile f(QStringLiteral(TANDEL_PRISTINE_DIR "/userdata/1.mps"));
    QVERIFY2(f.open(QIODevice::ReadOnly), "the build seeds userdata/1.mps");
    QString error;
    QVERIFY2(readNative(f.readAll(), &m, &error), qPrintable(error));
}

void TestBudgetTemplate::setUpCellsAndLayout() {
    QCOMPARE(m.shownText(1, 1), QStringLiteral("Cashflow forecast "));
    QCOMPARE(m.shownText(1, 3), QStringLiteral("01/4/2027"));
    QCOMPARE(m.shownText(2, 1), QStringLiteral("Period - Monthly"));
    QVERIFY(m.view().protection);
    QCOMPARE(m.view().activeRow, 6);
    QCOMPARE(m.view().activeCol, 2);
    const CellRange used = m.formattedRange();
    QVERIFY(used.row2 <= 28 && used.col2 <= 28);
    // B6 is the first cell the user may change; everything above and left of the entry
    // block is locked, and every cell that holds content is locked.
    QVERIFY(!m.isLocked(6, 2));
    for (int r = 1; r <= 28; ++r)
        for (int c = 1; c <= 28; ++c) {
            const Cell* cell = m.cell(r, c);
            if (!m.isLocked(r, c)) {
                QVERIFY2(r >= 6 && c >= 2 && c <= 13, qPrintable(cellName(r, c)));
                QVERIFY2(!cell || cell->kind == Cell::Blank, qPrintable(cellName(r, c)));
            }
        }
    for (int c = 1; c <= 14; ++c) QVERIFY2(m.format(3, c).bold, qPrintable(cellName(3, c)));
    QVERIFY(m.format(6, 2).numberFormat.startsWith(u'£'));
    QVERIFY(m.print().landscape);
    QVERIFY(m.print().fitToPages);
    // Sixteen cost lines a small firm has.
    QStringList lines;
    for (int r = 6; r <= 24; ++r)
        if (!m.isLocked(r, 2)) lines << m.shownText(r, 1);
    QCOMPARE(lines.size(), 16);
    for (const char* line : {"Print advertising", "Search advertising", "Social media advertising",
                             "Website and hosting", "Search engine optimisation", "Email marketing",
                             "Printed material", "Events and exhibitions", "Public relations",
                             "Sponsorship", "Market research", "Promotions and discounts",
                             "Agency and freelance fees", "Staff time", "Contingency"})
        QVERIFY2(lines.contains(QString::fromUtf8(line)), line);
}

void TestBudgetTemplate::headings_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("period");
    QTest::addColumn<QStringList>("headings");
    QTest::newRow("April 2027 monthly")
        << "01/4/2027" << "Period - Monthly"
        << QStringList{"Apr 2027", "May 2027", "Jun 2027", "Jul 2027", "Aug 2027", "Sep 2027",
                       "Oct 2027", "Nov 2027", "Dec 2027", "Jan 2028", "Feb 2028", "Mar 2028"};
    QTest::newRow("April 2027 quarterly")
        << "01/4/2027" << "Period - Quarterly"
        << QStringList{"Q1 Apr-Jun 2027", "Q2 Jul-Sep 2027", "Q3 Oct-Dec 2027", "Q4 Jan-Mar 2028",
                       "Q1 Apr-Jun 2028", "Q2 Jul-Sep 2028", "Q3 Oct-Dec 2028", "Q4 Jan-Mar 2029",
                       "Q1 Apr-Jun 2029", "Q2 Jul-Sep 2029", "Q3 Oct-Dec 2029", "Q4 Jan-Mar 2030"};
    QTest::newRow("December 2005 quarterly")
        << "01/12/2005" << "Period - Quarterly"
        << QStringList{"Q1 Dec-Feb 2005", "Q2 Mar-May 2006", "Q3 Jun-Aug 2006", "Q4 Sep-Nov 2006",
                       "Q1 Dec-Feb 2006", "Q2 Mar-May 2007", "Q3 Jun-Aug 2007", "Q4 Sep-Nov 2007",
                       "Q1 Dec-Feb 2007", "Q2 Mar-May 2008", "Q3 Jun-Aug 2008", "Q4 Sep-Nov 2008"};
    QTest::newRow("January 1997, any other period text")
        << "01/1/1997" << ""
        << QStringList{"Jan 1997", "Feb 1997", "Mar 1997", "Apr 1997", "May 1997", "Jun 1997",
                       "Jul 1997", "Aug 1997", "Sep 1997", "Oct 1997", "Nov 1997", "Dec 1997"};
}

void TestBudgetTemplate::headings() {
    QFETCH(QString, start);
    QFETCH(QString, period);
    QFETCH(QStringList, headings);
    // As the program writes the set-up cells: text, whatever the protection.
    m.setText(1, 3, start);
    m.setText(2, 1, period);
    QStringList got;
    for (int c = 2; c <= 13; ++c) got << m.shownText(3, c);
    QCOMPARE(got, headings);
}

void TestBudgetTemplate::totalsAfterEntries() {
    m.setEntry(6, 2, QStringLiteral("1200"));
    m.setEntry(6, 3, QStringLiteral("300"));
    m.setEntry(11, 2, QStringLiteral("50.4"));
    m.setEntry(24, 13, QStringLiteral("£99"));
    QCOMPARE(m.shownText(6, 2), QStringLiteral("£1,200"));
    QCOMPARE(m.shownText(5, 2), QStringLiteral("£1,200"));   // advertising sub-total
    QCOMPARE(m.shownText(6, 14), QStringLiteral("£1,500"));  // row total
    QCOMPARE(m.shownText(10, 2), QStringLiteral("£50"));
    QCOMPARE(m.shownText(20, 13), QStringLiteral("£99"));
    QCOMPARE(m.shownText(26, 2), QStringLiteral("£1,250"));  // column total
    QCOMPARE(m.cellValue(26, 14).number, 1649.4);
    QCOMPARE(m.shownText(27, 13), QStringLiteral("£1,649"));  // cumulative
    QCOMPARE(m.shownText(28, 2), QStringLiteral("76%"));
    QCOMPARE(m.shownText(28, 14), QStringLiteral("100%"));
    m.clearContents(CellRange{6, 2, 24, 13});
    QCOMPARE(m.shownText(26, 14), QStringLiteral("£0"));
    QCOMPARE(m.shownText(28, 2), QStringLiteral("0%"));
}

void TestBudgetTemplate::deletingACostLine() {
    m.setEntry(6, 2, QStringLiteral("100"));
    m.setEntry(7, 2, QStringLiteral("20"));
    m.setEntry(9, 2, QStringLiteral("3"));
    m.deleteRows(7, 7);
    QCOMPARE(m.shownText(7, 1), QStringLiteral("Search advertising"));
    QCOMPARE(m.entry(5, 2), QStringLiteral("=SUM(B6:B8)"));
    QCOMPARE(m.shownText(5, 2), QStringLiteral("£103"));
    QCOMPARE(m.shownText(25, 2), QStringLiteral("£103"));
}

QTEST_GUILESS_MAIN(TestBudgetTemplate)
#include "tst_budgettemplate.moc"
