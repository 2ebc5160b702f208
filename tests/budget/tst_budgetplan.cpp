#include "app/editfrm.h"
#include "app/startup.h"
#include "budget/budgettyping.h"
#include "budget/cashdet.h"
#include "controls/sheet/sheetcontrol.h"
#include "plans/answers.h"
#include "plans/navigator.h"
#include "platform/helpsystem.h"
#include "platform/printerinfo.h"
#include "support/modal.h"
#include "support/testenv.h"

#include <QComboBox>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

namespace {

void answerTips(AnswerBook& book) {
    book.add(QStringLiteral("TfrmTips"), [](QWidget* w) { clickButton(w, QStringLiteral("cmdOk")); });
}

// Goes to the budget section with the outline, as the user does.
void clickBudgetSection(TfrmEdit* w) {
    Navigator* nav = w->navigator();
    int budget = 0;
    for (int i = 1; i <= nav->itemCount(); ++i)
        if (nav->itemText(i) == Navigator::budgetItemText()) budget = i;
    QVERIFY(budget > 0);
    w->Outline1->setCurrentIndex(nav->indexOf(budget));
    w->navigator()->Outline1Click();
}

} // namespace

class TestBudgetPlan : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { PrinterInfo::setNoPrinterForTesting(); }

    // A new owner makes a plan, sets up its budget, types figures, saves, quits and
    // opens the plan again.
    void budgetWrittenSavedAndReopened() {
        TestEnv env;
        AnswerBook book;
        answerTips(book);
        book.add(QStringLiteral("Tfrmopen"), [](QWidget* w) {
            clickButton(w, QStringLiteral("Newbtn"));
            setEditText(w, QStringLiteral("conameedit"), QStringLiteral("Acme Ltd"));
            setEditText(w, QStringLiteral("cosbuedit"), QStringLiteral("Retail"));
            clickButton(w, QStringLiteral("Button3"));
        });
        book.add(QStringLiteral("TfrmNew"), [](QWidget* w) {
            setEditText(w, QStringLiteral("txtNewPlanName"), QStringLiteral("Acme Plan"));
            clickButton(w, QStringLiteral("Button1"));
        });
        Application::startUp({0});
        QVERIFY2(book.allAnswered(), qPrintable(book.seen().join(QLatin1Char(','))));
        TfrmEdit* w = frmEdit;
        const QString budgetFile = w->CurrentPlanFile + QLatin1Char('s');
        QVERIFY(budgetFile.startsWith(env.userDataFolder()));
        QVERIFY(QFile::exists(budgetFile));
        QCOMPARE(w->spread->FileName(), budgetFile);
        QVERIFY(!w->pnlSpread->isVisible());

        ModalAnswer details([](QWidget* d) {
            auto* cash = qobject_cast<TfrmCashdet*>(d);
            QVERIFY(cash);
            QCOMPARE(cash->ComboBox1->currentText(), QStringLiteral("April"));
            cash->ComboBox1->setCurrentText(QStringLiteral("January"));
            cash->ComboBox3->setCurrentText(QStringLiteral("2030"));
            clickButton(d, QStringLiteral("Button1"));
        });
        clickBudgetSection(w);
        QVERIFY(details.wasAnswered());
        QVERIFY(w->pnlSpread->isVisible());
        QCOMPARE(w->spread->CellText(3, 2), QStringLiteral("Jan 2030"));

        // Example stays on the toolbar beside the sheet, and shows a worked budget in the
        // same sheet.
        QVERIFY(!w->cmdCal->isVisible());
        QVERIFY(w->cmdeg->isVisible());
        w->cmdeg->click();
        HelpViewer* viewer = HelpSystem::instance().viewer();
        QVERIFY(viewer && viewer->isVisible());
        QCOMPARE(viewer->currentContext(), 1000 + w->navigator()->selectedItem());
        QCOMPARE(w->navigator()->itemText(viewer->currentContext() - 1000),
                 Navigator::budgetItemText());
        QVERIFY(viewer->pageText().contains(QStringLiteral("Total marketing budget")));
        QVERIFY(viewer->pageText().contains(QStringLiteral("Social media advertising")));
        viewer->close();
        QCOMPARE(w->spread->Selection(), QStringLiteral("B6"));

        typeInto(w->spread, QStringLiteral("1000"), Qt::Key_Tab);
        QCOMPARE(w->spread->Selection(), QStringLiteral("C6"));
        typeInto(w->spread, QStringLiteral("250"), Qt::Key_Return);
        w->spread->setSelection(QStringLiteral("B11"));
        typeInto(w->spread, QStringLiteral("400"), Qt::Key_Return);
        QVERIFY(w->PlanModified);
        QCOMPARE(w->spread->CellText(26, 14), QStringLiteral("£1,650"));

        w->menus().mnuSave->trigger();
        QVERIFY(!w->PlanModified);
        w->close();
        Application::shutDown();

        AnswerBook again;
        answerTips(again);
        again.add(QStringLiteral("Tfrmopen"), [](QWidget* d) {
            QCOMPARE(child<QComboBox>(d, QStringLiteral("cmbfilename"))->currentText(),
                     QStringLiteral("Acme Plan"));
            clickButton(d, QStringLiteral("Button3"));
        });
        Application::startUp({0});
        QVERIFY2(again.allAnswered(), qPrintable(again.seen().join(QLatin1Char(','))));
        w = frmEdit;
        SheetControl* sheet = w->spread;
        QCOMPARE(sheet->CellText(6, 2), QStringLiteral("£1,000"));
        QCOMPARE(sheet->CellText(6, 3), QStringLiteral("£250"));
        QCOMPARE(sheet->CellText(11, 2), QStringLiteral("£400"));
        QCOMPARE(sheet->CellText(6, 14), QStringLiteral("£1,250"));
        QCOMPARE(sheet->CellText(5, 2), QStringLiteral("£1,000"));
        QCOMPARE(sheet->CellText(26, 14), QStringLiteral("£1,650"));
        QCOMPARE(sheet->CellText(3, 2), QStringLiteral("Jan 2030"));

        // Confirmed once: the budget section opens without asking.
        ModalAnswer none([](QWidget* d) { d->close(); }, 300);
        clickBudgetSection(w);
        QVERIFY(!none.wasAnswered());
        QVERIFY(w->pnlSpread->isVisible());
        QVERIFY(!w->PlanModified);
        Application::shutDown();
    }
};

QTEST_MAIN(TestBudgetPlan)
#include "tst_budgetplan.moc"
