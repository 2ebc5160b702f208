// Charts put into a plan as a user puts them there: an analysis section clicked in the
// navigator and its window left with "Insert chart", and the budget's Budget > "Insert
// Chart into Plan", and the Actual Spend window's "Insert Chart into Plan"; each chart a picture of its own above the paragraph the table would go
// above, taken out again by one undo.
#include "analysis/factorfile.h"
#include "app/editfrm.h"
#include "app/startup.h"
#include "budget/actuals.h"
#include "budget/actualsfrm.h"
#include "controls/sheet/sheetcontrol.h"
#include "controls/sheet/sheetmodel.h"
#include "controls/text/pictures.h"
#include "controls/text/textcontrol.h"
#include "plans/answers.h"
#include "plans/navigator.h"
#include "platform/inifile.h"
#include "platform/printerinfo.h"
#include "support/modal.h"
#include "support/testenv.h"
#include "../analysis/freshfiles.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTreeView>

namespace {

const QString kPlan = QStringLiteral("Acme Plan");

// The program with a new plan open.
struct Program {
    TestEnv env;
    TfrmEdit* w = nullptr;

    Program() {
        removeAnalysisFiles();
        AnswerBook book;
        book.add("TfrmTips", [](QWidget* d) { clickButton(d, "cmdOk"); });
        book.add("Tfrmopen", [](QWidget* d) {
            clickButton(d, "Newbtn");
            setEditText(d, "conameedit", "Acme Ltd");
            setEditText(d, "cosbuedit", "Retail");
            clickButton(d, "Button3");
        });
        book.add("TfrmNew", [](QWidget* d) {
            setEditText(d, "txtNewPlanName", kPlan);
            clickButton(d, "Button1");
        });
        Application::startUp({0});
        QVERIFY2(book.allAnswered(), qPrintable(book.seen().join(',')));
        w = frmEdit;
    }
    ~Program() { Application::shutDown(); }

    void clickSection(int number, const std::function<void(QWidget*)>& answer) {
        ModalAnswer a(answer);
        w->Outline1->setCurrentIndex(w->navigator()->indexOf(number));
        w->navigator()->Outline1Click();
        QVERIFY2(a.wasAnswered(), qPrintable(a.failure()));
    }

    int section(const QString& caption) const {
        Navigator* nav = w->navigator();
        for (int i = 1; i <= nav->itemCount(); ++i)
            if (nav->itemText(i) == caption) return i;
        return 0;
    }
    int budgetSection() const { return section(Navigator::budgetItemText()); }
};

// The positions of the pictures in the text.
QList<int> pictures(TextControl& text) {
    QList<int> out;
    const QString plain = text.document()->toPlainText();
    for (int i = 0; i < plain.size(); ++i)
        if (plain[i] == QChar::ObjectReplacementCharacter && !text.pictureSize(i).isEmpty()) out << i;
    return out;
}

// The one picture of the text: a paragraph of its own, followed by the paragraph `next`
// begins, drawn at 300 dots an inch in the shape it is shown in, no wider than the text.
void checkChart(TextControl& text, const QString& next) {
    const QList<int> at = pictures(text);
    QCOMPARE(at.size(), 1);
    const QTextBlock block = text.document()->findBlock(at[0]);
    QCOMPARE(block.text(), QString(QChar::ObjectReplacementCharacter));
    QVERIFY2(block.next().text().startsWith(next), qPrintable(block.next().text()));
    const QSizeF shown = text.pictureSize(at[0]);
    QVERIFY(shown.width() <= text.DocWidth() / 20.0 + 0.01);
    QTextCursor c(block);
    c.movePosition(QTextCursor::NextCharacter);
    Pictures::Stored stored;
    QVERIFY(Pictures::lookup(c.charFormat().toImageFormat().name(), &stored));
    QCOMPARE(stored.image.dotsPerMeterX(), 11811);
    QCOMPARE(stored.image.width(), 1800); // six inches
    QVERIFY(qAbs(stored.image.width() / double(stored.image.height()) - shown.width() / shown.height()) < 0.01);
}

} // namespace

class TestPlanCharts : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { PrinterInfo::setNoPrinterForTesting(); }

    void analysisChartAtTheTablesPlace() {
        Program p;
        for (auto [name, w, i] : {std::tuple{"Location", 4, 3}, {"Staff", 2, -2}, {"Reputation", 6, 5}}) {
            IniFile ini(FactorFile::path(Analysis::StrengthWeakness));
            FactorFile::addFactor(ini, Analysis::StrengthWeakness, kPlan, name);
            ini.writeInteger(FactorFile::factorSection(kPlan, name), "w", w);
            ini.writeInteger(FactorFile::factorSection(kPlan, name), "i", i);
        }
        TextControl& text = *p.w->ATX321;
        const QString before = text.document()->toPlainText();
        p.w->PlanModified = false;

        // Where the table would go: above the paragraph two lines below the section's start.
        p.w->Outline1->setCurrentIndex(p.w->navigator()->indexOf(21));
        QString tablePlace;
        {
            ModalAnswer look([&](QWidget* d) {
                text.setLineNumber(text.LineNumber() + 2);
                tablePlace = text.textCursor().block().text().left(30);
                text.setLineNumber(text.LineNumber() - 2);
                clickButton(d, "btnInsertChart");
            });
            p.w->navigator()->Outline1Click();
            QVERIFY2(look.wasAnswered(), qPrintable(look.failure()));
        }
        QVERIFY(!tablePlace.isEmpty());
        checkChart(text, tablePlace);
        QVERIFY(p.w->PlanModified);

        text.setUnDoAction(1);
        QCOMPARE(text.document()->toPlainText(), before);
        QVERIFY(pictures(text).isEmpty());
    }

    void budgetChartFromTheBudgetMenu() {
        Program p;
        const int section = p.budgetSection();
        QVERIFY(section > 0);
        // The first visit asks for the budget's details.
        p.clickSection(section, [](QWidget* d) { clickButton(d, "cmdCancel"); });
        TextControl& text = *p.w->ATX321;
        const QString before = text.document()->toPlainText();

        // Nothing typed yet: nothing to chart, and the user is told.
        QString said;
        {
            ModalAnswer told([&](QWidget* d) {
                said = child<QLabel>(d, "dlgLabel")->text();
                clickButton(d, "cmdOk");
            });
            p.w->menus().InsertChartintoPlan1->trigger();
            QVERIFY2(told.wasAnswered(), qPrintable(told.failure()));
        }
        QVERIFY2(said.contains("no amounts"), qPrintable(said));
        QCOMPARE(text.document()->toPlainText(), before);

        p.w->spread->model().setNumber(6, 2, 1200);
        p.w->spread->model().setNumber(16, 4, 800);
        p.w->PlanModified = false;
        {
            ModalAnswer told([&](QWidget* d) {
                said = child<QLabel>(d, "dlgLabel")->text();
                clickButton(d, "cmdOk");
            });
            p.w->menus().InsertChartintoPlan1->trigger();
            QVERIFY2(told.wasAnswered(), qPrintable(told.failure()));
        }
        QVERIFY2(said.contains("budget section"), qPrintable(said));
        checkChart(text, "The detailed marketing budget");
        QVERIFY(p.w->PlanModified);

        text.setUnDoAction(1);
        QCOMPARE(text.document()->toPlainText(), before);
    }

    // From the Actual Spend window into the plan's Monitoring and Control section, while
    // the budget shows; the plan text keeps its caret.
    void actualSpendChartIntoMonitoring() {
        Program p;
        const int budgetSection = p.budgetSection();
        const int monitoring = p.section("Monitoring and Control");
        QVERIFY(budgetSection > 0 && monitoring > 0);
        p.clickSection(budgetSection, [](QWidget* d) { clickButton(d, "cmdCancel"); });
        p.w->spread->model().setNumber(6, 2, 1200);
        p.w->spread->model().setNumber(11, 3, 2500);
        TextControl& text = *p.w->ATX321;
        const QString before = text.document()->toPlainText();
        const int caret = text.SelStart();
        // Where the chart goes: two lines below the section's start, as a table would.
        text.setSelStart(text.TextLength());
        QVERIFY(text.FIND_PTAG(Navigator::sectionTagOf(monitoring), -1) >= 0);
        const int sectionStart = text.SelStart();
        text.setLineNumber(text.LineNumber() + 2);
        const QString next = text.textCursor().block().text().left(30);
        QVERIFY(!next.isEmpty());
        text.setSelStart(caret);
        p.w->PlanModified = false;

        QString said;
        ModalAnswer window([&](QWidget* d) {
            auto* actuals = qobject_cast<TfrmActuals*>(d);
            QVERIFY(actuals);
            QVERIFY(actuals->cmdInsertChart->isVisible());
            actuals->spread->model().setNumber(6, Actuals::actualColumn(1), 1000);
            actuals->spread->model().setNumber(Actuals::kMonthsRow, Actuals::kMonthsChosenCol, 1);
            {
                ModalAnswer told([&](QWidget* m) {
                    said = child<QLabel>(m, "dlgLabel")->text();
                    clickButton(m, "cmdOk");
                });
                clickButton(d, "cmdInsertChart");
                QVERIFY2(told.wasAnswered(), qPrintable(told.failure()));
            }
            clickButton(d, "cmdClose");
        });
        p.w->findChild<QAction*>("ActualSpend1")->trigger();
        QVERIFY2(window.wasAnswered(), qPrintable(window.failure()));
        QVERIFY2(said.contains("Monitoring and Control section"), qPrintable(said));
        checkChart(text, next);
        QVERIFY(pictures(text)[0] > sectionStart);
        QCOMPARE(text.SelStart(), caret);
        QVERIFY(p.w->PlanModified);

        text.setUnDoAction(1);
        QCOMPARE(text.document()->toPlainText(), before);
    }
};

QTEST_MAIN(TestPlanCharts)
#include "tst_plancharts.moc"
