#include "app/editfrm.h"
#include "budget/budgettyping.h"
#include "budget/budgetview.h"
#include "budget/cashdet.h"
#include "budget/sprprev.h"
#include "controls/sheet/sheetcontrol.h"
#include "controls/text/textcontrol.h"
#include "plans/answers.h"
#include "plans/lifecycle.h"
#include "plans/navigator.h"
#include "plans/planbuilder.h"
#include "plans/plansession.h"
#include "platform/printerinfo.h"
#include "support/modal.h"
#include "support/testenv.h"

#include <QAction>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPrinter>
#include <QPushButton>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

#include <memory>

namespace {

QString dialogText(QWidget* w) {
    auto* l = child<QLabel>(w, QStringLiteral("dlgLabel"));
    return l ? l->text() : QString();
}

// Chooses in the details window and confirms.
void chooseDetails(QWidget* w, const QString& month, const QString& year, const QString& period) {
    auto* d = qobject_cast<TfrmCashdet*>(w);
    QVERIFY(d);
    d->ComboBox1->setCurrentText(month);
    d->ComboBox3->setCurrentText(year);
    d->ComboBox2->setCurrentText(period);
    clickButton(w, QStringLiteral("Button1"));
}

// The main window with a plan open whose outline has the budget as its second section,
// and the budget template loaded as plan 5's budget.
struct BudgetWindow {
    TestEnv env;
    TfrmCashdet details;
    std::unique_ptr<TfrmEdit> win;
    BudgetView* budget = nullptr;
    SheetControl* sheet = nullptr;
    QString own;

    BudgetWindow() {
        win = std::make_unique<TfrmEdit>();
        win->resize(1100, 760);
        win->show();
        QVERIFY(QTest::qWaitForWindowExposed(win.get()));
        win->PanelAll->show();
        win->SetPlanControls(true);
        const QString nav = env.dataFolder() + QStringLiteral("test.nav");
        QVERIFY(PlanBuilder::writeText(nav, "Intro\r\nMarketing Budget Spreadsheet\r\nEnd\r\n"));
        QVERIFY(win->navigator()->BuildNavFrom(nav));
        win->ATX321->adoptDocument(PlanBuilder::makePlan(3));
        budget = win->budgetView();
        sheet = win->spread;
        budget->detailsWindow = [this] { return &details; };
        own = env.userDataFolder() + QStringLiteral("5.mps");
        QVERIFY(budget->LoadBudget(BudgetView::templateFile(), own));
        win->navigator()->btnFirstClick();
        win->PlanModified = false;
    }
    void clickItem(int number) {
        win->Outline1->setCurrentIndex(win->navigator()->indexOf(number));
        win->navigator()->Outline1Click();
    }
    // The budget section, its first-visit window answered by `answer`.
    void toBudget(std::function<void(QWidget*)> answer) {
        ModalAnswer a(std::move(answer));
        clickItem(2);
        QVERIFY(a.wasAnswered());
        QCOMPARE(a.windowClass(), QStringLiteral("TfrmCashdet"));
    }
    void type(const QString& cell, const QString& text) {
        sheet->setSelection(cell);
        typeInto(sheet, text, Qt::Key_Return);
    }
};

} // namespace

class TestBudget : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { PrinterInfo::setNoPrinterForTesting(); }

    void detailsWindowReadsAndWritesTheSetUpCells() {
        TfrmCashdet d;
        auto open = [&d](const QString& start, const QString& period) {
            d.BudgetStartText = start;
            d.BudgetPeriodText = period;
            d.FormShow();
        };
        open(QStringLiteral("01/4/1998"), QStringLiteral("Period - Monthly"));
        QCOMPARE(d.ComboBox1->currentText(), QStringLiteral("April"));
        QCOMPARE(d.ComboBox3->currentText(), QStringLiteral("1998"));
        QCOMPARE(d.ComboBox2->currentText(), QStringLiteral("Monthly"));
        d.cmdOKClick();
        QCOMPARE(d.BudgetStartText, QStringLiteral("01/4/1998"));
        QCOMPARE(d.BudgetPeriodText, QStringLiteral("Period - Monthly"));

        open(QStringLiteral("15/7/1999"), QStringLiteral("Period - Quarterly"));
        QCOMPARE(d.ComboBox1->currentText(), QStringLiteral("July"));
        QCOMPARE(d.ComboBox2->currentText(), QStringLiteral("Quarterly"));
        d.ComboBox1->setCurrentText(QStringLiteral("December"));
        d.ComboBox3->setCurrentText(QStringLiteral("2005"));
        d.cmdOKClick();
        QCOMPARE(d.BudgetStartText, QStringLiteral("01/12/2005"));
        QCOMPARE(d.BudgetPeriodText, QStringLiteral("Period - Quarterly"));
        open(QStringLiteral("15/7/1999"), QString());
        QCOMPARE(d.ComboBox2->currentText(), QStringLiteral("Monthly"));
        d.cmdOKClick();
        QCOMPARE(d.BudgetStartText, QStringLiteral("01/7/1999"));

        // Years run from 1997 to ten years ahead; a budget outside them keeps its year.
        const int thisYear = QDate::currentDate().year();
        for (int year : {1996, 2030, thisYear + 11}) {
            open(QStringLiteral("01/3/%1").arg(year), QStringLiteral("Period - Monthly"));
            QCOMPARE(d.ComboBox3->currentText(), QString::number(year));
            QCOMPARE(d.ComboBox3->itemText(0), QStringLiteral("%1").arg(std::min(year, 1997)));
            QVERIFY(d.ComboBox3->findText(QString::number(thisYear + 10)) >= 0);
            d.cmdOKClick();
            QCOMPARE(d.BudgetStartText, QStringLiteral("01/3/%1").arg(year));
        }
        QCOMPARE(BudgetDetails::yearItems(2025, 0).size(), 2035 - 1997 + 1);

        // A start that holds no date opens on January of this year; Cancel keeps both texts.
        open(QStringLiteral("next spring"), QStringLiteral("Period - Quarterly"));
        QCOMPARE(d.ComboBox1->currentText(), QStringLiteral("January"));
        QCOMPARE(d.ComboBox3->currentText(), QString::number(thisYear));
        d.cmdCancelClick();
        QCOMPARE(d.BudgetStartText, QStringLiteral("next spring"));
        QCOMPARE(d.BudgetPeriodText, QStringLiteral("Period - Quarterly"));
    }

    void loadFreezesTheHeadingsAndTheMenuFollows() {
        BudgetWindow b;
        QCOMPARE(b.sheet->FixedRows(), 1);
        QCOMPARE(b.sheet->FixedCols(), 1);
        QVERIFY(b.sheet->EnableProtection());
        QVERIFY(b.win->menus().LockRowsColumns1->isChecked());
        QVERIFY(b.win->menus().Protection1->isChecked());
        QCOMPARE(b.sheet->FileName(), b.own);

        // Through the menu items as the user picks them.
        b.win->menus().LockRowsColumns1->trigger();
        QCOMPARE(b.sheet->FixedRows(), 0);
        QCOMPARE(b.sheet->FixedCols(), 0);
        QVERIFY(!b.win->menus().LockRowsColumns1->isChecked());
        b.win->menus().LockRowsColumns1->trigger();
        QCOMPARE(b.sheet->FixedRows(), 3);
        QCOMPARE(b.sheet->FixedCols(), 1);
        QVERIFY(b.win->menus().LockRowsColumns1->isChecked());
        b.win->menus().Protection1->trigger();
        QVERIFY(!b.sheet->EnableProtection());
        QVERIFY(!b.win->menus().Protection1->isChecked());
        b.win->menus().Protection1->trigger();
        QVERIFY(b.sheet->EnableProtection());
        // Settings of the view are not changes to the plan.
        QVERIFY(!b.win->PlanModified);

        QVERIFY(b.win->lifecycle()->SaveBudget(QString()));
        SheetControl reread;
        QVERIFY(reread.Read(b.own));
        QCOMPARE(reread.CellText(1, 1), BudgetView::unconfirmedTitle());
    }

    void firstVisitAsksForTheDetailsOnce() {
        BudgetWindow b;
        // Behind the details window the screen shows the budget, painted, not the text of
        // the section just left.
        QImage behind, budget;
        b.toBudget([&](QWidget* w) {
            QWidget* spread = b.win->pnlSpread;
            const QRect area(spread->mapTo(b.win.get(), QPoint(0, 0)), spread->size());
            behind = b.win->screen()->grabWindow(b.win->winId()).toImage().copy(area);
            budget = spread->grab().toImage();
            clickButton(w, QStringLiteral("cmdCancel"));
        });
        QVERIFY(!behind.isNull());
        QCOMPARE(behind.convertToFormat(QImage::Format_RGB32),
                 budget.convertToFormat(QImage::Format_RGB32));
        // Cancelled: A1 is marked as seen, C1 and A2 are as they were.
        QCOMPARE(b.sheet->CellText(1, 1), BudgetView::confirmedTitle());
        QCOMPARE(b.sheet->CellText(1, 3), QStringLiteral("01/4/2027"));
        QCOMPARE(b.sheet->CellText(2, 1), QStringLiteral("Period - Monthly"));
        QVERIFY(b.win->PlanModified);

        // The budget view: the sheet, its menu, no text-only commands.
        QVERIFY(b.win->pnlSpread->isVisible());
        QVERIFY(!b.win->Panel6->isVisible());
        QVERIFY(b.win->menus().mnuCashflow->menuAction()->isVisible());
        QVERIFY(!b.win->menus().Table1->menuAction()->isVisible());
        QVERIFY(!b.win->cmdFind->isVisible());
        QVERIFY(!b.win->menus().mnuUndo->isVisible());
        QCOMPARE(b.sheet->MaxRow(), 28);
        QCOMPARE(b.sheet->MaxCol(), 28);

        b.clickItem(3);
        QVERIFY(!b.win->pnlSpread->isVisible());
        QVERIFY(b.win->Panel6->isVisible());
        QVERIFY(!b.win->menus().mnuCashflow->menuAction()->isVisible());
        QVERIFY(b.win->menus().Table1->menuAction()->isVisible());
        QVERIFY(b.win->cmdFind->isVisible());
        QVERIFY(b.win->menus().mnuUndo->isVisible());

        ModalAnswer none([](QWidget* w) { w->close(); }, 300);
        b.clickItem(2);
        QVERIFY(!none.wasAnswered());
        QVERIFY(b.win->pnlSpread->isVisible());
    }

    void detailsConfirmedOrCancelled() {
        BudgetWindow b;
        ModalAnswer cancel([](QWidget* w) { clickButton(w, QStringLiteral("cmdCancel")); });
        b.win->budgetView()->ModifyCashflowDetails1Click();
        QVERIFY(cancel.wasAnswered());
        QCOMPARE(b.sheet->CellText(1, 3), QStringLiteral("01/4/2027"));
        QCOMPARE(b.sheet->CellText(2, 1), QStringLiteral("Period - Monthly"));
        QVERIFY(!b.win->PlanModified);

        ModalAnswer ok([](QWidget* w) {
            chooseDetails(w, QStringLiteral("December"), QStringLiteral("2005"),
                          QStringLiteral("Quarterly"));
        });
        b.win->budgetView()->ModifyCashflowDetails1Click();
        QVERIFY(ok.wasAnswered());
        QCOMPARE(b.sheet->CellText(1, 3), QStringLiteral("01/12/2005"));
        QCOMPARE(b.sheet->CellText(2, 1), QStringLiteral("Period - Quarterly"));
        // The sheet's own formulas follow the two cells.
        QVERIFY2(b.sheet->CellText(3, 2).startsWith(QStringLiteral("Q1 Dec")),
                 qPrintable(b.sheet->CellText(3, 2)));
        QVERIFY(b.win->PlanModified);
    }

    void editsOnTheSheetMarkThePlanModified() {
        BudgetWindow b;
        b.toBudget([](QWidget* w) { clickButton(w, QStringLiteral("cmdCancel")); });
        b.win->PlanModified = false;
        b.sheet->setSelection(QStringLiteral("C7"));
        b.sheet->setSelection(QStringLiteral("B6"));
        QVERIFY(!b.win->PlanModified);

        b.type(QStringLiteral("B6"), QStringLiteral("1200"));
        QCOMPARE(b.sheet->CellText(6, 2), QStringLiteral("£1,200"));
        QCOMPARE(b.sheet->CellText(6, 14), QStringLiteral("£1,200"));
        QVERIFY(b.win->PlanModified);

        // The shared commands act on the sheet while it shows.
        b.win->PlanModified = false;
        b.sheet->setSelection(QStringLiteral("B6"));
        b.win->cmdBold->setChecked(true);
        b.win->editing()->cmdBoldClick();
        QVERIFY(b.sheet->FontBold());
        QVERIFY(b.win->PlanModified);
        b.win->cmdRight->setChecked(true);
        b.win->editing()->cmdRightClick();
        QCOMPARE(b.sheet->HAlign(), 4);
        b.win->editing()->cmdCopyClick();
        b.sheet->setSelection(QStringLiteral("C6"));
        b.win->editing()->cmdPasteClick();
        QCOMPARE(b.sheet->CellText(6, 3), QStringLiteral("£1,200"));
        QCOMPARE(b.sheet->CellText(6, 14), QStringLiteral("£2,400"));
        b.win->editing()->cmdCutClick();
        QCOMPARE(b.sheet->CellText(6, 3), QString());
        // The text saw none of it.
        QVERIFY(!b.win->ATX321->toPlainText().contains(QStringLiteral("1200")));
    }

    void toolbarFollowsTheActiveCell() {
        BudgetWindow b;
        b.toBudget([](QWidget* w) { clickButton(w, QStringLiteral("cmdCancel")); });
        b.sheet->setEnableProtection(false);
        b.sheet->setSelection(QStringLiteral("B7"));
        b.sheet->setFontSize(10.5);
        b.sheet->setSelection(QStringLiteral("B8"));
        b.sheet->setFontSize(7);
        b.sheet->setHAlign(3);

        b.win->cmbFontSize->setCurrentText(QStringLiteral("24"));
        b.sheet->setSelection(QStringLiteral("B7"));
        QCOMPARE(b.win->cmbFontSize->currentText(), QStringLiteral("10"));
        QVERIFY(!b.win->cmdLeft->isChecked() && !b.win->cmdCenter->isChecked() &&
                !b.win->cmdRight->isChecked() && !b.win->cmdJustify->isChecked());
        b.sheet->setSelection(QStringLiteral("B8"));
        QCOMPARE(b.win->cmbFontSize->currentText(), QStringLiteral("10"));
        QVERIFY(b.win->cmdCenter->isChecked());
        b.sheet->setSelection(QStringLiteral("A1"));
        QVERIFY(b.win->cmdBold->isChecked());
        QCOMPARE(b.win->cmbFontSize->currentText(), QStringLiteral("14"));
    }

    void deleteRowOnlyOnUnlockedCells() {
        BudgetWindow b;
        b.toBudget([](QWidget* w) { clickButton(w, QStringLiteral("cmdCancel")); });
        b.type(QStringLiteral("B8"), QStringLiteral("300"));
        const QString below = b.sheet->CellText(9, 1);

        b.sheet->setSelection(QStringLiteral("A8"));
        b.budget->spreadMouseDown(Qt::RightButton, 5, 5);
        QVERIFY(b.budget->RightButtonDown());
        QVERIFY(!b.win->menus().DeleteRow1->isVisible());
        b.win->menus().mnupopup->close();

        b.sheet->setSelection(QStringLiteral("B8:D9"));
        b.budget->spreadMouseDown(Qt::RightButton, 5, 5);
        QVERIFY(b.win->menus().DeleteRow1->isVisible());
        QVERIFY(b.win->menus().mnupopup->isVisible());
        b.win->menus().mnupopup->close();
        b.budget->spreadMouseDown(Qt::LeftButton, 5, 5);
        QVERIFY(!b.budget->RightButtonDown());

        b.win->budgetView()->DeleteRow1Click();
        QCOMPARE(b.sheet->CellText(8, 1), below);
        QCOMPARE(b.sheet->CellText(5, 14), QStringLiteral("£0"));
        QCOMPARE(b.sheet->CellText(25, 1), QStringLiteral("Total marketing budget"));
        QCOMPARE(b.sheet->CellText(26, 1), QStringLiteral("Cumulative spend"));
    }

    void newTemplateReplacesTheBudgetOnlyWhenItReads() {
        BudgetWindow b;
        b.toBudget([](QWidget* w) {
            chooseDetails(w, QStringLiteral("May"), QStringLiteral("2030"), QStringLiteral("Monthly"));
        });
        b.type(QStringLiteral("B6"), QStringLiteral("500"));
        QVERIFY(b.win->lifecycle()->SaveBudget(QString()));
        const QByteArray saved = readFileBytes(b.own);

        // No: nothing changes. No is the default: Enter must not wipe the budget.
        bool noIsDefault = false;
        ModalAnswer no([&noIsDefault](QWidget* w) {
            auto* noButton = child<QPushButton>(w, QStringLiteral("cmdNo"));
            noIsDefault = noButton && noButton->isDefault();
            clickButton(w, QStringLiteral("cmdNo"));
        });
        b.win->budgetView()->LoadNewTemplate1Click();
        QVERIFY(no.wasAnswered());
        QVERIFY(noIsDefault);
        QCOMPARE(readFileBytes(b.own), saved);
        QCOMPARE(b.sheet->CellText(6, 2), QStringLiteral("£500"));

        // A template that cannot be read: the budget stays, on disk and on screen.
        const QByteArray original = readFileBytes(BudgetView::templateFile());
        QVERIFY(writeFileBytes(BudgetView::templateFile(), "{\"format\": \"tandel-sheet\""));
        AnswerBook broken;
        broken.add(QStringLiteral("TfrmDialog"),
                   [](QWidget* w) { clickButton(w, QStringLiteral("cmdYes")); });
        QString said;
        broken.add(QStringLiteral("TfrmDialog"), [&said](QWidget* w) {
            said = dialogText(w);
            clickButton(w, QStringLiteral("cmdOk"));
        });
        b.win->budgetView()->LoadNewTemplate1Click();
        QVERIFY(broken.allAnswered());
        QVERIFY2(said.contains(QStringLiteral("budget has not been changed")), qPrintable(said));
        QCOMPARE(readFileBytes(b.own), saved);
        QCOMPARE(b.sheet->CellText(6, 2), QStringLiteral("£500"));
        QCOMPARE(QDir(b.env.userDataFolder()).entryList({QStringLiteral("*.tmp")}), QStringList());

        // Yes with the template back: the details at once, then a fresh budget that asks
        // again on the next visit.
        QVERIFY(writeFileBytes(BudgetView::templateFile(), original));
        // The budget file keeps its permissions when it is replaced.
        const auto mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                          QFileDevice::ReadGroup | QFileDevice::ReadOther;
        QVERIFY(QFile::setPermissions(b.own, mode));
        b.win->budgetView()->LockRowsColumns1Click();
        AnswerBook yes;
        yes.add(QStringLiteral("TfrmDialog"),
                [](QWidget* w) { clickButton(w, QStringLiteral("cmdYes")); });
        yes.add(QStringLiteral("TfrmCashdet"),
                [](QWidget* w) { clickButton(w, QStringLiteral("cmdCancel")); });
        b.win->budgetView()->LoadNewTemplate1Click();
        QVERIFY2(yes.allAnswered(), qPrintable(yes.seen().join(QLatin1Char(','))));
        QCOMPARE(readFileBytes(b.own), original);
        QCOMPARE(int(QFile::permissions(b.own) & 0x7077), int(mode));
        QCOMPARE(b.sheet->CellText(6, 2), QString());
        QCOMPARE(b.sheet->CellText(1, 3), QStringLiteral("01/4/2027"));
        QCOMPARE(b.sheet->Selection(), QStringLiteral("B6"));
        // The menu's settings hold for the new sheet.
        QCOMPARE(b.sheet->FixedRows(), 0);
        QVERIFY(b.sheet->EnableProtection());
        b.clickItem(3);
        b.toBudget([](QWidget* w) { clickButton(w, QStringLiteral("cmdCancel")); });
    }

    void unreadableBudgetIsKeptAndNeverOverwritten() {
        BudgetWindow b;
        PlanSession& s = planSession();
        const QString plan = b.env.userDataFolder() + QStringLiteral("7.mp");
        QVERIFY(QFile::copy(b.env.userDataFolder() + QStringLiteral("1.mp"), plan));
        const QByteArray damaged = "not a budget at all";
        QVERIFY(writeFileBytes(plan + QLatin1Char('s'), damaged));
        s.CreatingPlan = false;
        s.CurrentPlanName = QStringLiteral("Seven");
        s.CurrentPlanFile = plan;
        const QString shownBefore = b.sheet->CellText(1, 1);

        // No: the plan does not open and its files are as they were. The question is all
        // the user sees: no general "could not load" before it.
        AnswerBook no;
        no.add(QStringLiteral("QMessageBox"),
               [](QWidget* w) { qobject_cast<QMessageBox*>(w)->accept(); });
        QString question;
        no.add(QStringLiteral("TfrmDialog"), [&question](QWidget* w) {
            question = dialogText(w);
            clickButton(w, QStringLiteral("cmdNo"));
        });
        QVERIFY(!b.win->lifecycle()->LoadChosenPlan(QStringLiteral("Acme"), QStringLiteral("Retail")));
        QCOMPARE(no.seen(), QStringList{QStringLiteral("TfrmDialog")});
        QVERIFY(question.contains(QStringLiteral("7.mps.damaged")));
        QCOMPARE(readFileBytes(plan + QLatin1Char('s')), damaged);
        QVERIFY(!QFile::exists(plan + QStringLiteral("s.damaged")));
        QCOMPARE(b.sheet->CellText(1, 1), shownBefore);
        QCOMPARE(b.sheet->FileName(), b.own);

        // Yes: the unreadable file is kept aside and the plan opens on a fresh budget.
        AnswerBook yes;
        yes.add(QStringLiteral("TfrmDialog"),
                [](QWidget* w) { clickButton(w, QStringLiteral("cmdYes")); });
        QVERIFY(b.win->lifecycle()->LoadChosenPlan(QStringLiteral("Acme"), QStringLiteral("Retail")));
        QVERIFY2(yes.allAnswered(), qPrintable(yes.seen().join(QLatin1Char(','))));
        QCOMPARE(readFileBytes(plan + QStringLiteral("s.damaged")), damaged);
        SheetControl fresh;
        QVERIFY(fresh.Read(plan + QLatin1Char('s')));
        QCOMPARE(fresh.CellText(1, 1), BudgetView::unconfirmedTitle());
        QCOMPARE(b.sheet->FileName(), plan + QLatin1Char('s'));
        QCOMPARE(b.sheet->Selection(), QStringLiteral("B6"));

        // A budget that is sound JSON but no budget (its cells under another key) is just
        // as unreadable: asked about and kept aside, never opened empty and saved over.
        QByteArray renamed = readFileBytes(BudgetView::templateFile());
        QVERIFY(renamed.contains("\"cells\""));
        renamed.replace("\"cells\"", "\"Cells\"");
        QVERIFY(writeFileBytes(plan + QLatin1Char('s'), renamed));
        AnswerBook asked;
        QString second;
        asked.add(QStringLiteral("TfrmDialog"), [&second](QWidget* w) {
            second = dialogText(w);
            clickButton(w, QStringLiteral("cmdNo"));
        });
        QVERIFY(!b.win->lifecycle()->LoadChosenPlan(QStringLiteral("Acme"), QStringLiteral("Retail")));
        QCOMPARE(asked.seen(), QStringList{QStringLiteral("TfrmDialog")});
        QVERIFY2(second.contains(QStringLiteral("\"Cells\"")), qPrintable(second));
        QVERIFY2(second.contains(QStringLiteral("7.mps.damaged2")), qPrintable(second));
        QCOMPARE(readFileBytes(plan + QLatin1Char('s')), renamed);
    }

    void printBudgetPrintsTheWholeSheet() {
        BudgetWindow b;
        b.toBudget([](QWidget* w) { clickButton(w, QStringLiteral("cmdCancel")); });
        b.type(QStringLiteral("B6"), QStringLiteral("750"));
        const QString pdf = b.env.programFolder() + QStringLiteral("budget.pdf");
        PrinterInfo::setPdfPrinterForTesting(pdf);
        QPrinter* printer = PrinterInfo::instance().printer();
        QVERIFY(printer);
        const QPageLayout::Orientation before = printer->pageLayout().orientation();
        b.win->cmdPrintSpreadClick();
        QCOMPARE(printer->pageLayout().orientation(), before);
        PrinterInfo::setNoPrinterForTesting();

        QProcess text;
        text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(20000));
        const QString out = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY2(out.contains(QStringLiteral("Total marketing budget")), qPrintable(out));
        QVERIFY(out.contains(QStringLiteral("Period - Monthly")));
        QVERIFY(out.contains(QStringLiteral("£750")));
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {pdf});
        QVERIFY(info.waitForFinished(20000));
        const QString facts = QString::fromUtf8(info.readAllStandardOutput());
        // The template prints in landscape.
        const QRegularExpression size(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+)"));
        const auto m = size.match(facts);
        QVERIFY2(m.hasMatch(), qPrintable(facts));
        QVERIFY(m.captured(1).toDouble() > m.captured(2).toDouble());
    }

    void previewShowsTheSheetsPages() {
        BudgetWindow b;
        TfrmSpreadPrev prev(b.win.get());
        prev.setSheet(b.sheet);
        int setups = 0;
        prev.onPageSetup = [&] {
            ++setups;
            b.sheet->setPrintLandscape(false);
        };
        prev.show();
        QVERIFY(QTest::qWaitForWindowExposed(&prev));
        QTRY_COMPARE(prev.Panel2->text(), QStringLiteral("Page 1 of 1"));
        for (QWidget* w : std::initializer_list<QWidget*>{prev.cmdFirstPage, prev.cmdPrevPage,
                                                          prev.cmdNextPage, prev.cmdLastPage})
            QVERIFY(!w->isEnabled());
        for (QAction* a : {prev.mnuFirst, prev.mnuPrevious, prev.mnuNext, prev.mnuLast})
            QVERIFY(!a->isEnabled());
        QVERIFY(prev.cmdZoomFit->isChecked());
        QVERIFY(prev.mnuZoomFit->isChecked());
        // The whole page shows at Zoom To Fit, with no scroll bar.
        QVERIFY(prev.Panel4->rect().contains(prev.imgPreview->geometry()));
        QVERIFY(!prev.hs1->isVisible() && !prev.vs1->isVisible());

        // The sheet draws its page: there is ink on the paper.
        const QImage page = prev.imgPreview->grab().toImage();
        int ink = 0;
        for (int y = 0; y < page.height(); y += 2)
            for (int x = 0; x < page.width(); x += 2)
                if (qGray(page.pixel(x, y)) < 128) ++ink;
        QVERIFY2(ink > 100, qPrintable(QString::number(ink)));

        // The template prints in landscape: the page is wider than high at every zoom.
        for (auto zoom : {TfrmSpreadPrev::ZoomFit, TfrmSpreadPrev::Zoom100,
                          TfrmSpreadPrev::ZoomPageWidth}) {
            prev.SetZoom(zoom);
            QVERIFY(prev.imgPreview->width() > prev.imgPreview->height());
        }
        prev.mnuPageSetClick();
        QCOMPARE(setups, 1);
        QCOMPARE(prev.currentPage(), 1);
        for (auto zoom : {TfrmSpreadPrev::ZoomFit, TfrmSpreadPrev::Zoom100,
                          TfrmSpreadPrev::ZoomPageWidth}) {
            prev.SetZoom(zoom);
            QVERIFY(prev.imgPreview->width() < prev.imgPreview->height());
        }

        // A4 upright at 100% on a 96 pixels-an-inch screen, in a window too small for it.
        prev.resize(600, 450);
        QApplication::processEvents();
        prev.SetZoom(TfrmSpreadPrev::Zoom100);
        QApplication::processEvents();
        if (prev.logicalDpiX() == 96) {
            QVERIFY(qAbs(prev.imgPreview->width() - 794) <= 1);
            QVERIFY(qAbs(prev.imgPreview->height() - 1122) <= 1);
        }
        QVERIFY(prev.hs1->isVisible());
        QVERIFY(prev.vs1->isVisible());
        const int top = prev.imgPreview->y();
        prev.vs1->setValue(8);
        QVERIFY(qAbs(prev.imgPreview->y() - (top - 8 * prev.imgPreview->height() / 9.0)) <= 1.0);
        prev.SetZoom(TfrmSpreadPrev::ZoomFit);
        QCOMPARE(prev.vs1->value(), 0);

        // Print closes the preview first, then prints.
        bool closedFirst = false;
        prev.onPrint = [&] { closedFirst = !prev.isVisible(); };
        prev.mnuPrintClick();
        QVERIFY(closedFirst);
    }
};

QTEST_MAIN(TestBudget)
#include "tst_budget.moc"
