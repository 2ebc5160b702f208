// Actual spend against the budget: formulas reading another sheet of the workbook, the
// Actual Spend sheet built from the budget template, its variances and year-to-date
// figures against hand-worked values, the budget file with and without actuals, and the
// exports (XLSX recalculated by LibreOffice, tab-separated text, Excel 4).
#include "app/editfrm.h"
#include "budget/actuals.h"
#include "budget/actualsfrm.h"
#include "budget/budgettyping.h"
#include "budget/budgetview.h"
#include "budget/cashdet.h"
#include "controls/sheet/biff4.h"
#include "controls/sheet/sheetfile.h"
#include "controls/sheet/sheetmodel.h"
#include "controls/sheet/xlsxfile.h"
#include "controls/text/textcontrol.h"
#include "plans/navigator.h"
#include "plans/planbuilder.h"
#include "platform/printerinfo.h"
#include "printing/planexport.h"
#include "support/libreoffice.h"
#include "support/modal.h"
#include "support/pdftext.h"
#include "support/testenv.h"

#include <QAction>
#include <QDate>
#include <QFile>
#include <QMenu>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Sheet;
using namespace Actuals;

namespace {

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool readTemplate(SheetModel* m) {
    QString error;
    const bool ok =
        readNative(readFile(QStringLiteral(TANDEL_PRISTINE_DIR "/userdata/1.mps")), m, &error);
    if (!ok) qWarning("%s", qPrintable(error));
    return ok;
}

double number(const SheetModel& m, int row, int col) {
    const Value v = m.cellValue(row, col);
    if (!v.isNumber())
        qWarning("%s is no number: %s", qPrintable(cellName(row, col)),
                 qPrintable(m.shownText(row, col)));
    return v.number;
}

} // namespace

class TestActuals : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { PrinterInfo::setNoPrinterForTesting(); }
    void actualSpendWindow();
    void formulasReadOtherSheets();
    void workbookFileAndOldFile();
    void variancesAndYearToDate();
    void lineAddedAndRowDeletedLater();
    void quarterlyPeriods();
    void monthsFromTodaysDate();
    void exportsCarryTheActuals();
    void xlsxRecalculatedByLibreOffice();
};

void TestActuals::formulasReadOtherSheets() {
    SheetModel book;
    QVERIFY(book.setName(QStringLiteral("Budget")));
    SheetModel* other = book.addSheet(QStringLiteral("Actual Spend"));
    QVERIFY(other);
    QVERIFY(!book.addSheet(QStringLiteral("budget"))); // names are case-blind and unique
    QVERIFY(!book.addSheet(QStringLiteral("It's")));
    QVERIFY(!book.addSheet(QStringLiteral("Q1/Q2"))); // a name other spreadsheets refuse
    book.setNumber(6, 2, 100);
    book.setNumber(7, 2, 50);
    other->setFormula(1, 1, QStringLiteral("budget!B6*2"));
    other->setFormula(1, 2, QStringLiteral("SUM(Budget!$B$6:B7)+A1"));
    other->setFormula(1, 3, QStringLiteral("Nowhere!A1"));
    book.setFormula(1, 1, QStringLiteral("'Actual Spend'!B1"));
    QCOMPARE(other->entry(1, 1), QStringLiteral("=budget!B6*2"));
    QCOMPARE(other->entry(1, 2), QStringLiteral("=SUM(Budget!$B$6:B7)+A1"));
    QCOMPARE(book.entry(1, 1), QStringLiteral("='Actual Spend'!B1"));
    QCOMPARE(number(*other, 1, 1), 200.0);
    QCOMPARE(number(*other, 1, 2), 350.0);
    QCOMPARE(other->shownText(1, 3), QStringLiteral("#REF!"));
    QCOMPARE(number(book, 1, 1), 350.0);
    // A change in the first sheet reaches the formulas of the other, and theirs come back.
    book.setNumber(7, 2, 70);
    QCOMPARE(number(*other, 1, 1), 200.0);
    QCOMPARE(number(*other, 1, 2), 370.0);
    book.setNumber(6, 2, 10);
    QCOMPARE(number(*other, 1, 2), 100.0);
    // Deleting rows of one sheet leaves the other sheet's references as they are.
    other->deleteRows(5, 5);
    QCOMPARE(other->entry(1, 2), QStringLiteral("=SUM(Budget!$B$6:B7)+A1"));
    // A name that is no cell after "!" is refused, quoted names read back.
    QVERIFY(!parseFormula(QStringLiteral("Budget!SUM(A1)")).expr);
    QVERIFY(!parseFormula(QStringLiteral("'Actual Spend'")).expr);
    QCOMPARE(formulaText(*parseFormula(QStringLiteral("'Q1'!A1+'it''s'!B2")).expr),
             QStringLiteral("'Q1'!A1+'it''s'!B2"));
}

void TestActuals::workbookFileAndOldFile() {
    // A budget written before actuals existed: one sheet, format version 1.
    const QByteArray old = readFile(QStringLiteral(TANDEL_SOURCE_DIR "/tests/data/sheet-v1.mps"));
    QVERIFY(!old.isEmpty());
    SheetModel budget;
    QString error;
    QVERIFY2(readNative(old, &budget, &error), qPrintable(error));
    QCOMPARE(budget.extraSheetCount(), 0);
    QCOMPARE(number(budget, 5, 2), 1500.0);
    QVERIFY(!exists(budget));
    // Unchanged it is written as it was read: still version 1.
    QVERIFY(writeNative(budget).contains("\"version\": 1"));

    SheetModel& actual = build(budget);
    actual.setNumber(6, actualColumn(1), 1250);
    const QByteArray both = writeNative(budget);
    QVERIFY(both.contains("\"version\": 2"));
    SheetModel back;
    QVERIFY2(readNative(both, &back, &error), qPrintable(error));
    QCOMPARE(back.name(), QStringLiteral("Budget"));
    QCOMPARE(back.extraSheetCount(), 1);
    const SheetModel& a = *back.sheet(sheetName());
    QCOMPARE(number(a, 6, actualColumn(1)), 1250.0);
    QCOMPARE(number(a, 6, budgetColumn(1)), 1200.0);
    QCOMPARE(number(a, 5, actualColumn(1)), 1250.0); // the group adds its lines
    // Read again, the formulas still read the first sheet.
    back.setNumber(6, 2, 1000);
    QCOMPARE(number(a, 6, budgetColumn(1)), 1000.0);
    // A damaged further sheet fails the whole file; the model keeps what it had.
    QByteArray bad = both;
    bad.replace("\"name\": \"Actual Spend\"", "\"name\": \"Budget\"");
    QVERIFY(!readNative(bad, &back, &error));
    QVERIFY2(error.contains(QStringLiteral("name")), qPrintable(error));
    QCOMPARE(back.extraSheetCount(), 1);
}

// The template's monthly budget from April 2027; in lines 6 (Print advertising) and 7
// (Online display) and 11 (Website): by hand, with three months to date.
void TestActuals::variancesAndYearToDate() {
    SheetModel budget;
    QVERIFY(readTemplate(&budget));
    for (int p = 1; p <= 12; ++p) {
        budget.setNumber(6, 1 + p, 100); // £1,200 a year
        budget.setNumber(7, 1 + p, 50);  // £600
    }
    budget.setNumber(11, 2, 300);
    SheetModel& a = build(budget);
    a.setNumber(kMonthsRow, kMonthsChosenCol, 3);
    const int summaryRow = 6;
    // Print: 90, 130, 100 (the second month overspent by 30).
    a.setEntry(6, actualColumn(1), QStringLiteral("90"));
    a.setEntry(6, actualColumn(2), QStringLiteral("130"));
    a.setEntry(6, actualColumn(3), QStringLiteral("£100"));
    // A figure beyond the months to date does not count yet.
    a.setEntry(6, actualColumn(4), QStringLiteral("500"));
    // Online: 60 in the third month only.
    a.setEntry(7, actualColumn(3), QStringLiteral("60"));
    a.setEntry(11, actualColumn(1), QStringLiteral("250"));

    QCOMPARE(number(a, kMonthsRow, kPeriodsCountedCol), 3.0);
    QCOMPARE(a.shownText(4, kLatestVarianceCol), QStringLiteral("Jun 2027"));
    // Line 6: budget to date 300, actual 320, variance -20 (over); latest month 100-100.
    QCOMPARE(number(a, summaryRow, kBudgetToDateCol), 300.0);
    QCOMPARE(number(a, summaryRow, kActualToDateCol), 320.0);
    QCOMPARE(number(a, summaryRow, kVarianceToDateCol), -20.0);
    QCOMPARE(a.shownText(summaryRow, kVarianceToDateCol), QStringLiteral("-£20 over"));
    QColor colour;
    a.shownText(summaryRow, kVarianceToDateCol, &colour);
    QCOMPARE(colour, QColor(Qt::red));
    QCOMPARE(number(a, summaryRow, kLatestVarianceCol), 0.0);
    QCOMPARE(number(a, summaryRow, kYearBudgetCol), 1200.0);
    QCOMPARE(a.shownText(summaryRow, kShareUsedCol), QStringLiteral("27%")); // 320 / 1200
    // Line 7: 150 budgeted, 60 spent: 90 under; latest month 50 - 60 = 10 over.
    QCOMPARE(number(a, 7, kVarianceToDateCol), 90.0);
    QCOMPARE(a.shownText(7, kVarianceToDateCol), QStringLiteral("£90"));
    QCOMPARE(a.shownText(7, kLatestVarianceCol), QStringLiteral("-£10 over"));
    // The Advertising group (row 5) adds its lines period by period: month 2 is 130.
    QCOMPARE(number(a, 5, actualColumn(2)), 130.0);
    QCOMPARE(number(a, 5, kBudgetToDateCol), 450.0);
    QCOMPARE(number(a, 5, kActualToDateCol), 380.0);
    QCOMPARE(number(a, 5, kVarianceToDateCol), 70.0);
    // The whole budget (row 26): 450 + 300 budgeted, 380 + 250 spent.
    QCOMPARE(number(a, 26, kBudgetToDateCol), 750.0);
    QCOMPARE(number(a, 26, kActualToDateCol), 630.0);
    QCOMPARE(number(a, 26, kVarianceToDateCol), 120.0);
    QCOMPARE(number(a, 26, kYearBudgetCol), 2100.0);
    QCOMPARE(a.shownText(26, kShareUsedCol), QStringLiteral("30%"));
    // Cumulative actual spend by the month, as the budget runs its own.
    QCOMPARE(number(a, 27, actualColumn(3)), 90.0 + 250 + 130 + 100 + 60);
    // A budget changed later: the actuals read it at once.
    budget.setNumber(6, 3, 130);
    QCOMPARE(number(a, 6, budgetColumn(2)), 130.0);
    QCOMPARE(number(a, 6, kVarianceToDateCol), 10.0);
    // Only the actual figures and the months may be typed.
    QVERIFY(a.view().protection);
    QVERIFY(!a.isLocked(6, actualColumn(1)));
    QVERIFY(a.isLocked(6, budgetColumn(1)));
    QVERIFY(a.isLocked(5, actualColumn(1)));
    QVERIFY(!a.isLocked(kMonthsRow, kMonthsChosenCol));
    QCOMPARE(a.shownText(6, 1), QStringLiteral("Print advertising"));
    QCOMPARE(a.shownText(3, budgetColumn(1)), QStringLiteral("Apr 2027"));
}

void TestActuals::lineAddedAndRowDeletedLater() {
    SheetModel budget;
    QVERIFY(readTemplate(&budget));
    budget.setNumber(8, 2, 40);
    SheetModel* a = &build(budget);
    a->setNumber(kMonthsRow, kMonthsChosenCol, 1);
    a->setNumber(8, actualColumn(1), 45);
    a->setNumber(9, actualColumn(1), 5);
    // A line added to the budget after actuals were entered (row 25, free in the template).
    budget.setText(25, 1, QStringLiteral("Trade directory"));
    budget.setNumber(25, 2, 70);
    budget.setFormula(25, 14, QStringLiteral("SUM(B25:M25)"));
    a = &build(budget);
    QCOMPARE(a->shownText(25, 1), QStringLiteral("Trade directory"));
    QVERIFY(!a->isLocked(25, actualColumn(1)));
    a->setNumber(25, actualColumn(1), 100);
    QCOMPARE(number(*a, 25, kVarianceToDateCol), -30.0);
    QCOMPARE(number(*a, 8, actualColumn(1)), 45.0); // typed figures stay
    QCOMPARE(number(*a, 8, kVarianceToDateCol), -5.0);
    QCOMPARE(number(*a, kMonthsRow, kMonthsChosenCol), 1.0);
    // Deleting budget row 8 takes its actuals with it; row 9's figure moves up with its line.
    budget.deleteRows(8, 8);
    budgetRowsDeleted(budget, 8, 8);
    a = &build(budget);
    QCOMPARE(a->shownText(8, 1), QStringLiteral("Social media advertising"));
    QCOMPARE(number(*a, 8, actualColumn(1)), 5.0);
    QCOMPARE(number(*a, 5, actualColumn(1)), 5.0);
    QCOMPARE(a->shownText(24, 1), QStringLiteral("Trade directory"));
    QCOMPARE(number(*a, 24, actualColumn(1)), 100.0);
}

void TestActuals::quarterlyPeriods() {
    SheetModel budget;
    QVERIFY(readTemplate(&budget));
    budget.setText(2, 1, QStringLiteral("Period - Quarterly"));
    budget.setNumber(6, 2, 300); // Q1
    budget.setNumber(6, 3, 600); // Q2
    budget.setNumber(6, 4, 900); // Q3
    SheetModel& a = build(budget);
    a.setNumber(6, actualColumn(1), 280);
    a.setNumber(6, actualColumn(2), 150);
    // Four months to date: the first quarter and the one under way count.
    a.setNumber(kMonthsRow, kMonthsChosenCol, 4);
    QCOMPARE(number(a, kMonthsRow, kPeriodsCountedCol), 2.0);
    QCOMPARE(a.shownText(3, budgetColumn(2)).simplified(), QStringLiteral("Q2 Jul-Sep 2027"));
    QCOMPARE(number(a, 6, kBudgetToDateCol), 900.0);
    QCOMPARE(number(a, 6, kActualToDateCol), 430.0);
    QCOMPARE(number(a, 6, kLatestVarianceCol), 450.0);
    a.setNumber(kMonthsRow, kMonthsChosenCol, 3);
    QCOMPARE(number(a, kMonthsRow, kPeriodsCountedCol), 1.0);
    QCOMPARE(number(a, 6, kVarianceToDateCol), 20.0);
    // Past the budget's three years everything counts, and no more.
    a.setNumber(kMonthsRow, kMonthsChosenCol, 60);
    QCOMPARE(number(a, kMonthsRow, kPeriodsCountedCol), 12.0);
}

void TestActuals::monthsFromTodaysDate() {
    SheetModel budget;
    QVERIFY(readTemplate(&budget));
    // A budget that started five months before this month: five months are to date.
    const QDate start = QDate::currentDate().addMonths(-5);
    budget.setText(1, 3, QStringLiteral("01/%1/%2").arg(start.month()).arg(start.year()));
    SheetModel& a = build(budget);
    QCOMPARE(number(a, kMonthsRow, kMonthsCountedCol), 5.0);
    QCOMPARE(number(a, kMonthsRow, kPeriodsCountedCol), 5.0);
    // A budget not yet started has none.
    budget.setText(1, 3, QStringLiteral("01/%1/%2").arg(start.month()).arg(start.year() + 2));
    QCOMPARE(number(a, kMonthsRow, kPeriodsCountedCol), 0.0);
    QCOMPARE(a.shownText(4, kLatestVarianceCol), QStringLiteral("none yet"));
}

void TestActuals::exportsCarryTheActuals() {
    SheetModel budget;
    QVERIFY(readTemplate(&budget));
    budget.setNumber(6, 2, 100);
    SheetModel& a = build(budget);
    a.setNumber(6, actualColumn(1), 123);
    a.setNumber(kMonthsRow, kMonthsChosenCol, 1);
    // Tab-separated text: the budget, then the actuals as a block of their own.
    const QString tsv = QString::fromUtf8(writeTsvFile(budget));
    const int block = tsv.indexOf(QStringLiteral("\r\n\r\nActual Spend\r\n"));
    QVERIFY(block > 0);
    QVERIFY(tsv.left(block).contains(QStringLiteral("Print advertising\t£100")));
    QVERIFY(tsv.mid(block).contains(QStringLiteral("Print advertising\t£100\t£123")));
    QVERIFY(tsv.mid(block).contains(QStringLiteral("-£23 over")));
    // Excel 4: the budget alone, every one of its formulas kept.
    const QByteArray xls = writeBiff4(budget);
    QVERIFY(!xls.isEmpty());
    QVERIFY(!xls.contains("Actual"));

    // PDF: the budget's page, then the actuals' own two (the periods, then the rest).
    SheetControl control;
    QVERIFY(control.Read(QStringLiteral(TANDEL_PRISTINE_DIR "/userdata/1.mps")));
    control.model().setNumber(6, 2, 100);
    build(control.model()).setNumber(6, actualColumn(1), 123);
    control.model().sheet(sheetName())->setNumber(kMonthsRow, kMonthsChosenCol, 1);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("budget.pdf"));
    PdfExport pdf;
    QString error;
    QVERIFY(pdf.addBudget(control, QStringLiteral("Budget")));
    QVERIFY2(pdf.finish(file, PdfInfo(), &error), qPrintable(error));
    QCOMPARE(pdfPageCount(file), 3);
    const QString first = pdfText(file, 1), second = pdfText(file, 2), third = pdfText(file, 3);
    QVERIFY(first.contains(QStringLiteral("Cashflow forecast")));
    QVERIFY(!first.contains(QStringLiteral("Actual Spend")));
    QVERIFY2(second.contains(QStringLiteral("Actual Spend")), qPrintable(second));
    QVERIFY(second.contains(QStringLiteral("£123")));
    QVERIFY(third.contains(QStringLiteral("Print advertising")));
    QVERIFY2(third.contains(QStringLiteral("-£23 over")), qPrintable(third));
    if (const QString shot = qEnvironmentVariable("ACTUALS_SHOT"); !shot.isEmpty())
        QFile::copy(file, shot + QStringLiteral(".pdf"));
}

void TestActuals::xlsxRecalculatedByLibreOffice() {
    REQUIRE_LIBREOFFICE("the XLSX with actuals");
    SheetModel budget;
    QVERIFY(readTemplate(&budget));
    budget.setText(1, 3, QStringLiteral("01/1/2027"));
    for (int p = 1; p <= 12; ++p)
        budget.setNumber(11, 1 + p, 200);
    SheetModel& a = build(budget);
    a.setNumber(kMonthsRow, kMonthsChosenCol, 2);
    a.setNumber(11, actualColumn(1), 150);
    a.setNumber(11, actualColumn(2), 260);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("book.xlsx"));
    QString error;
    QVERIFY2(writeXlsx(budget, file, &error), qPrintable(error));
    // The workbook asks for a full calculation on load, so LibreOffice works every formula
    // out afresh rather than showing the values the file carries.
    QVERIFY2(sofficeConvert(QStringLiteral("fods"), {file}, dir.path(), &error), qPrintable(error));
    const QString flat = QString::fromUtf8(readFile(dir.filePath(QStringLiteral("book.fods"))));
    QVERIFY(flat.contains(QStringLiteral("table:name=\"Actual Spend\"")));
    const int second = flat.indexOf(QStringLiteral("table:name=\"Actual Spend\""));
    const QString actual = flat.mid(second);
    // Live formulas reading the first sheet.
    QVERIFY2(actual.contains(QStringLiteral("of:=[$Budget.B11]")), "no reference to the budget");
    // Each cell's value as LibreOffice worked it out, against the sheet's own.
    auto valueOf = [&](int row, int col) {
        // Cells of a row come in order; rows may be repeated, so walk the table.
        QRegularExpression rowRe(
            QStringLiteral("<table:table-row[^>]*?(?:table:number-rows-repeated=\"(\\d+)\")?[^>]*>("
                           ".*?)</table:table-row>"),
            QRegularExpression::DotMatchesEverythingOption);
        int r = 0;
        auto rows = rowRe.globalMatch(actual);
        while (rows.hasNext()) {
            const auto m = rows.next();
            const int repeat = m.captured(1).isEmpty() ? 1 : m.captured(1).toInt();
            if (row > r && row <= r + repeat) {
                QRegularExpression cellRe(QStringLiteral("<table:(?:covered-)?table-cell([^>]*?)(/"
                                                         ">|>.*?</table:(?:covered-)?table-cell>)"),
                                          QRegularExpression::DotMatchesEverythingOption);
                int c = 0;
                auto cells = cellRe.globalMatch(m.captured(2));
                while (cells.hasNext()) {
                    const auto cm = cells.next();
                    const QRegularExpression rep(
                        QStringLiteral("table:number-columns-repeated=\"(\\d+)\""));
                    const auto rm = rep.match(cm.captured(1));
                    const int n = rm.hasMatch() ? rm.captured(1).toInt() : 1;
                    if (col > c && col <= c + n) {
                        const QRegularExpression val(QStringLiteral("office:value=\"([^\"]*)\""));
                        const auto vm = val.match(cm.captured(1));
                        return vm.hasMatch() ? vm.captured(1).toDouble() : qQNaN();
                    }
                    c += n;
                }
                return qQNaN();
            }
            r += repeat;
        }
        return qQNaN();
    };
    const struct {
        int row, col;
        double want;
    } checks[] = {{11, budgetColumn(1), 200},    {11, actualColumn(2), 260},
                  {10, actualColumn(2), 260},    {11, kBudgetToDateCol, 400},
                  {11, kActualToDateCol, 410},   {11, kVarianceToDateCol, -10},
                  {11, kLatestVarianceCol, -60}, {26, kVarianceToDateCol, -10},
                  {11, kYearBudgetCol, 2400},    {kMonthsRow, kPeriodsCountedCol, 2}};
    for (const auto& c : checks) {
        QCOMPARE(number(*budget.sheet(sheetName()), c.row, c.col), c.want);
        QVERIFY2(qFuzzyCompare(valueOf(c.row, c.col), c.want),
                 qPrintable(QStringLiteral("%1: LibreOffice has %2, want %3")
                                .arg(cellName(c.row, c.col))
                                .arg(valueOf(c.row, c.col))
                                .arg(c.want)));
    }
}

// Budget > Actual Spend in the main window: the window shows the actuals beside the
// budget, what the user types there marks the plan changed and is saved with the budget.
void TestActuals::actualSpendWindow() {
    TestEnv env;
    TfrmCashdet details;
    TfrmEdit win;
    win.resize(1100, 760);
    win.show();
    QVERIFY(QTest::qWaitForWindowExposed(&win));
    win.PanelAll->show();
    win.SetPlanControls(true);
    const QString nav = env.dataFolder() + QStringLiteral("test.nav");
    QVERIFY(PlanBuilder::writeText(nav, "Intro\r\nMarketing Budget Spreadsheet\r\nEnd\r\n"));
    QVERIFY(win.navigator()->BuildNavFrom(nav));
    win.ATX321->adoptDocument(PlanBuilder::makePlan(3));
    BudgetView* budget = win.budgetView();
    budget->detailsWindow = [&details] { return &details; };
    const QString own = env.userDataFolder() + QStringLiteral("5.mps");
    QVERIFY(budget->LoadBudget(BudgetView::templateFile(), own));
    win.spread->SetCellText(6, 2, QStringLiteral("400"));
    win.PlanModified = false;

    QAction* item = win.menus().mnuCashflow->findChild<QAction*>(QStringLiteral("ActualSpend1"));
    QVERIFY(item);
    QCOMPARE(item->text(), QStringLiteral("&Actual Spend..."));
    ModalAnswer answer([](QWidget* w) {
        auto* window = qobject_cast<TfrmActuals*>(w);
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QStringLiteral("Actual Spend"));
        SheetControl* sheet = window->spread;
        QCOMPARE(sheet->model().shownText(6, budgetColumn(1)), QStringLiteral("£400"));
        // The first figure to type is selected; Enter stores it and does not close.
        QCOMPARE(sheet->Row(), 6);
        QCOMPARE(sheet->Col(), actualColumn(1));
        typeInto(sheet, QStringLiteral("450"), Qt::Key_Return);
        QVERIFY(window->isVisible());
        sheet->setSelection(cellName(kMonthsRow, kMonthsChosenCol));
        typeInto(sheet, QStringLiteral("1"), Qt::Key_Return);
        QCOMPARE(sheet->model().shownText(6, kVarianceToDateCol), QStringLiteral("-£50 over"));
        // ACTUALS_SHOT=<file.png> keeps a picture of the window to look at.
        if (const QString shot = qEnvironmentVariable("ACTUALS_SHOT"); !shot.isEmpty())
        {
            window->grab().save(shot);
            sheet->setSelection(cellName(6, kShareUsedCol));
            window->grab().save(shot + QStringLiteral("-right.png"));
        }
        // The budget's figures are not the user's to change here.
        sheet->setSelection(cellName(6, budgetColumn(1)));
        QVERIFY(sheet->EnableProtection());
        clickButton(w, QStringLiteral("cmdClose"));
    });
    item->trigger();
    QVERIFY2(answer.wasAnswered(), qPrintable(answer.failure()));
    QVERIFY(win.PlanModified);
    QVERIFY(budget->SaveBudget());
    SheetModel back;
    QString error;
    QVERIFY2(readNative(readFile(own), &back, &error), qPrintable(error));
    QVERIFY(back.sheet(sheetName()));
    QCOMPARE(number(*back.sheet(sheetName()), 6, actualColumn(1)), 450.0);
}

QTEST_MAIN(TestActuals)
#include "tst_actuals.moc"
