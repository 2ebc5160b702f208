#include "analysis/factorfile.h"
#include "dialogs/dialogfrm.h"
#include "platform/folders.h"
#include "platform/inifile.h"
#include "plans/catalogue.h"
#include "plans/nagfrm.h"
#include "plans/newfrm.h"
#include "plans/openfrm.h"
#include "support/modal.h"
#include "support/testenv.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {
// Answers the next message with OK and keeps its text.
struct MessageCatcher {
    QString text;
    ModalAnswer answer;
    explicit MessageCatcher(int button = mbOK)
        : answer([this, button](QWidget* w) {
              if (auto* l = child<QLabel>(w, "dlgLabel"))
                  text = l->text();
              clickButton(w, button == mbYes ? "cmdYes" : button == mbNo ? "cmdNo" : "cmdOk");
          }) {}
};

struct Windows {
    PlanSession& session = planSession();
    TfrmNew newWindow;
    Tfrmopennag nag;
    Tfrmopen open;
    Windows() {
        session = PlanSession{};
        open.setWindows(&newWindow, &nag);
    }
};

// Answers a run of messages in turn, each with its own button, keeping their texts.
struct MessageRun {
    QStringList texts;
    QStringList buttons;
    QTimer timer;
    explicit MessageRun(QStringList b) : buttons(std::move(b)) {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            // The one message window is reused: a message is new while no button has
            // ended it yet.
            auto* w = qobject_cast<TfrmDialog*>(QApplication::activeModalWidget());
            if (!w || !w->isVisible() || w->endedByButton() || buttons.isEmpty())
                return;
            if (auto* l = child<QLabel>(w, "dlgLabel"))
                texts << l->text();
            clickButton(w, buttons.takeFirst());
        });
        timer.start(10);
    }
};

QString catalogueFile() { return Folders::dataFolder() + "mp.ini"; }

// Creates a plan through the new-plan window as a user would.
void createThroughNew(Windows& w, const QString& name) {
    ModalAnswer answer([name](QWidget* win) {
        setEditText(win, "txtNewPlanName", name);
        clickButton(win, "Button1");
    });
    w.open.NewbtnClick();
    QVERIFY2(answer.wasAnswered(), qPrintable(answer.failure()));
}
} // namespace

class TestPlanWindows : public QObject {
    Q_OBJECT
private slots:
    void emptyCatalogueDisablesOk() {
        TestEnv env;
        QFile::remove(catalogueFile());
        Windows w;
        w.open.FormShow();
        QVERIFY(!child<QPushButton>(&w.open, "Button3")->isEnabled());
        QVERIFY(child<QPushButton>(&w.open, "Newbtn")->isEnabled());
    }

    void newPlanNameRefusals_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << "" << "You must specify a name for your new plan.";
        QTest::newRow("other case") << "harbour PLAN" << "Plan name already exists.";
        QTest::newRow("both brackets") << "Plan [1]" << "Illegal character in plan name '['.";
        QTest::newRow("closing bracket") << "Plan 1]" << "Illegal character in plan name ']'.";
        QTest::newRow("equals sign") << "a=b" << "Illegal character in plan name '='.";
        QTest::newRow("semicolon first") << ";a" << "Illegal character in plan name ';'.";
        QTest::newRow("leading blank") << " Plan" << "A plan name cannot begin or end with a blank.";
    }
    void newPlanNameRefusals() {
        QFETCH(QString, name);
        QFETCH(QString, message);
        TestEnv env;
        Catalogue cat(catalogueFile());
        cat.addPlan("Harbour Plan", cat.takePlanNumber());
        const int counter = IniFile(catalogueFile()).readInteger("counter", "no", 0);
        Windows w;
        w.open.FormShow();
        w.newWindow.setPlanList(w.open.planList());
        w.newWindow.show();
        setEditText(&w.newWindow, "txtNewPlanName", name);
        MessageCatcher msg;
        w.newWindow.cmdOKClick();
        QVERIFY(msg.answer.wasAnswered());
        QCOMPARE(msg.text, message);
        QVERIFY(w.newWindow.isVisible()); // the window stays open for another try
        QCOMPARE(IniFile(catalogueFile()).readInteger("counter", "no", 0), counter);
        QCOMPARE(Catalogue(catalogueFile()).plans(), QStringList({"Harbour Plan"}));
    }

    void cancellingANewPlanOnlyAdvancesTheCounter() {
        TestEnv env;
        Catalogue cat(catalogueFile());
        cat.addPlan("Existing", cat.takePlanNumber());
        const int counter = IniFile(catalogueFile()).readInteger("counter", "no", 0);
        const QByteArray before = readFileBytes(catalogueFile());
        Windows w;
        w.open.FormShow();
        createThroughNew(w, "Brand New");
        QVERIFY(w.session.CreatingPlan);
        QCOMPARE(w.open.planList(), QStringList({"Existing", "Brand New"}));
        QCOMPARE(child<QComboBox>(&w.open, "cmbfilename")->currentText(), QString("Brand New"));
        w.open.Button4Click();
        IniFile after(catalogueFile());
        QCOMPARE(after.readInteger("counter", "no", 0), counter + 1);
        QCOMPARE(after.keys("titles"), QStringList({"Existing"}));
        QVERIFY(!after.hasSection("Brand New"));
        QVERIFY(before.size() > 0);
    }

    // New, "PendA", New again, "PendB": the first new plan, still without details or files,
    // goes as Cancel would take it. Choosing another plan then gives up the second too.
    // No plan is ever left listed without files, and details reach only their own plan.
    void aWaitingNewPlanIsGivenUpByAnotherNewOrChoice() {
        TestEnv env;
        Catalogue cat(catalogueFile());
        cat.addPlan("Existing", cat.takePlanNumber());
        const int counter = IniFile(catalogueFile()).readInteger("counter", "no", 0);
        Windows w;
        w.open.FormShow();
        createThroughNew(w, "PendA");
        createThroughNew(w, "PendB");
        QCOMPARE(Catalogue(catalogueFile()).plans(), QStringList({"Existing", "PendB"}));
        QVERIFY(!IniFile(catalogueFile()).hasSection("PendA"));
        QCOMPARE(IniFile(catalogueFile()).readInteger("counter", "no", 0), counter + 2);
        auto* list = child<QComboBox>(&w.open, "cmbfilename");
        QCOMPARE(list->currentText(), QString("PendB"));

        // The steps: with PendB waiting, pick another entry, type a unit, OK.
        setEditText(&w.open, "conameedit", "B company");
        list->setCurrentIndex(list->findText("Existing"));
        w.open.cmbfilenameChange();
        QVERIFY(!w.session.CreatingPlan);
        QCOMPARE(Catalogue(catalogueFile()).plans(), QStringList({"Existing"}));
        QCOMPARE(list->currentText(), QString("Existing"));
        QCOMPARE(w.open.companyName(), QString()); // Existing's own (empty) details
        setEditText(&w.open, "conameedit", "Existing Ltd");
        setEditText(&w.open, "cosbuedit", "A unit");
        w.open.Button3Click();
        QCOMPARE(w.open.result(), int(mrOk));
        QCOMPARE(w.session.CurrentPlanName, QString("Existing"));
        QCOMPARE(Catalogue(catalogueFile()).details("Existing").value("sbu"), QString("A unit"));
        QCOMPARE(Catalogue(catalogueFile()).plans(), QStringList({"Existing"}));
    }

    // A plan based on one whose files are gone could never be opened: refused before
    // anything is written.
    void aBaseWithoutFilesIsRefused() {
        TestEnv env;
        Catalogue cat(catalogueFile());
        cat.addPlan("Ghost", cat.takePlanNumber()); // listed, but its files are gone
        const QByteArray before = readFileBytes(catalogueFile());
        Windows w;
        w.open.FormShow();
        w.newWindow.setPlanList(w.open.planList());
        w.newWindow.show();
        child<QRadioButton>(&w.newWindow, "rdoAnother")->click();
        child<QListWidget>(&w.newWindow, "lstAnotherPlan")->setCurrentRow(0);
        w.newWindow.lstAnotherPlanClick();
        setEditText(&w.newWindow, "txtNewPlanName", "Copy of Ghost");
        MessageCatcher msg;
        w.newWindow.cmdOKClick();
        QCOMPARE(msg.text, QString("The files of the plan \"Ghost\" cannot be found, so a new "
                                   "plan cannot be based on it."));
        QVERIFY(w.newWindow.isVisible());
        QCOMPARE(readFileBytes(catalogueFile()), before);
    }

    // A name too long for the catalogue is refused with a word, not cut short; the plan
    // list stays within its window whatever the names.
    void anOverlongNameIsRefusedNotCut() {
        TestEnv env;
        const QString longName = QString(150, 'x') + QString(51, 'y');
        Catalogue cat(catalogueFile());
        cat.addPlan(QString(200, 'L'), cat.takePlanNumber());
        Windows w;
        w.open.show();
        const int width = w.open.width();
        auto* plans = child<QComboBox>(&w.open, "cmbfilename");
        QVERIFY(plans->width() < width);
        QVERIFY(width <= 640);
        plans->showPopup();
        QVERIFY(plans->view()->isVisible());
        const QRect popup = plans->view()->window()->geometry();
        plans->hidePopup();
        QVERIFY2(popup.width() <= width, qPrintable(QString::number(popup.width())));
        w.newWindow.setPlanList(w.open.planList());
        w.newWindow.show();
        auto* name = child<QLineEdit>(&w.newWindow, "txtNewPlanName");
        name->setFocus();
        QTest::keyClicks(name, longName);
        QCOMPARE(name->text(), longName);
        MessageCatcher msg;
        w.newWindow.cmdOKClick();
        QCOMPARE(msg.text, QString("A plan name can be at most 200 characters long."));
        QVERIFY(w.newWindow.isVisible());
    }

    void anotherPlanThenOriginalBasesOnTheOriginal() {
        TestEnv env;
        Catalogue cat(catalogueFile());
        cat.addPlan("Base X", 5);
        Windows w;
        w.open.FormShow();
        w.newWindow.setPlanList(w.open.planList());
        w.newWindow.show();
        auto* another = child<QRadioButton>(&w.newWindow, "rdoAnother");
        auto* list = child<QListWidget>(&w.newWindow, "lstAnotherPlan");
        QVERIFY(another->isEnabled());
        QVERIFY(!list->isEnabled());
        another->click();
        QVERIFY(list->isEnabled());
        list->setCurrentRow(0);
        w.newWindow.lstAnotherPlanClick();
        QVERIFY(w.session.BasePlanFile.endsWith("userdata/5.mp"));
        child<QRadioButton>(&w.newWindow, "rdoOriginal")->click();
        QVERIFY(w.session.BasePlanFile.endsWith("userdata/1.mp"));
        QVERIFY(!list->isEnabled());
    }

    void missingNamesShowTheReminderAndKeepTheWindowOpen() {
        TestEnv env;
        Catalogue cat(catalogueFile());
        cat.addPlan("Shop", 2);
        Windows w;
        w.open.show();
        setEditText(&w.open, "conameedit", "Harbour Lane Bakery Ltd");
        ModalAnswer reminder([](QWidget* win) { clickButton(win, "BitBtn1"); });
        w.open.Button3Click();
        QVERIFY(reminder.wasAnswered());
        QCOMPARE(reminder.windowTitle(), QString("Data entry"));
        QVERIFY(w.open.isVisible());
        w.open.close(); // the close box does nothing until OK succeeds or Cancel
        QVERIFY(w.open.isVisible());
        QCOMPARE(Catalogue(catalogueFile()).details("Shop").value("coname"), QString());

        setEditText(&w.open, "cosbuedit", "Retail");
        w.open.Button3Click();
        QVERIFY(!w.open.isVisible());
        QCOMPARE(w.open.result(), int(mrOk));
        const CompanyDetails d = Catalogue(catalogueFile()).details("Shop");
        QCOMPARE(d.value("coname"), QString("Harbour Lane Bakery Ltd"));
        QCOMPARE(d.value("sbu"), QString("Retail"));
        QCOMPARE(w.session.CurrentPlanName, QString("Shop"));
        QVERIFY(w.session.BasePlanFile.endsWith("userdata/2.mp"));
    }

    void newPlanIsPrefilledFromTheLastConfirmedDetails() {
        TestEnv env;
        Catalogue cat(catalogueFile());
        cat.addPlan("First", 2);
        {
            Windows w;
            w.open.show();
            setEditText(&w.open, "conameedit", "Harbour Lane Bakery Ltd");
            setEditText(&w.open, "coaddress1edit", "3 Harbour Lane");
            setEditText(&w.open, "coteledit", "01234 567890");
            setEditText(&w.open, "cosbuedit", "Wholesale");
            w.open.Button3Click();
            QVERIFY(!w.open.isVisible());
        }
        Windows w;
        w.open.show();
        createThroughNew(w, "Second");
        QCOMPARE(w.open.fieldText("conameedit"), QString("Harbour Lane Bakery Ltd"));
        QCOMPARE(w.open.fieldText("coaddress1edit"), QString("3 Harbour Lane"));
        QCOMPARE(w.open.fieldText("coteledit"), QString("01234 567890"));
        QCOMPARE(w.open.fieldText("cosbuedit"), QString()); // the unit belongs to each plan
        setEditText(&w.open, "cosbuedit", "Cafe");
        w.open.Button3Click();
        QCOMPARE(w.session.CurrentPlanName, QString("Second"));
        QVERIFY(w.session.CurrentPlanFile.endsWith("userdata/3.mp"));
    }

    void deletingAPlanRemovesItsFilesAndAnalyses() {
        TestEnv env;
        Catalogue cat(catalogueFile());
        cat.addPlan("One", 2);
        cat.addPlan("Two", 3);
        cat.addPlan("Three", 4);
        writeFileBytes(env.userDataFolder() + "3.mp", "text");
        writeFileBytes(env.userDataFolder() + "3.mps", "budget");
        writeFileBytes(env.userDataFolder() + "4.mp", "text");
        for (const char* plan : {"Two", "Three"}) {
            IniFile ca(env.dataFolder() + "ca.ini");
            FactorFile::addFactor(ca, Analysis::Competitor, plan, "Price");
        }
        Windows w;
        w.open.FormShow();
        child<QComboBox>(&w.open, "cmbfilename")->setCurrentIndex(1);
        w.open.cmbfilenameChange();
        {
            MessageCatcher no(mbNo);
            w.open.Button5Click();
            QCOMPARE(no.text, QString("Deleted plans cannot be recovered.\nContinue?"));
        }
        QCOMPARE(Catalogue(catalogueFile()).plans().size(), 3);
        MessageCatcher yes(mbYes);
        w.open.Button5Click();
        QVERIFY(yes.answer.wasAnswered());
        QCOMPARE(Catalogue(catalogueFile()).plans(), QStringList({"One", "Three"}));
        QVERIFY(!QFile::exists(env.userDataFolder() + "3.mp"));
        QVERIFY(!QFile::exists(env.userDataFolder() + "3.mps"));
        QVERIFY(QFile::exists(env.userDataFolder() + "4.mp"));
        QCOMPARE(IniFile(env.dataFolder() + "ca.ini").sections(),
                 QStringList({"Three - Titles", "Three - Price"}));
    }

    void damagedFileNumberDeletesOnlyTheEntry() {
        TestEnv env;
        IniFile ini(catalogueFile());
        ini.writeString("titles", "Evil", "Evil");
        ini.writeString("Evil", "filename", "../data/mp");
        writeFileBytes(env.programFolder() + "data/mp.mp", "must survive");
        Windows w;
        w.open.FormShow();
        MessageRun run({"cmdYes", "cmdOk"});
        w.open.Button5Click();
        QCOMPARE(run.texts.size(), 2);
        QVERIFY(run.texts[1].contains("cannot be found"));
        QVERIFY(QFile::exists(env.programFolder() + "data/mp.mp"));
        QCOMPARE(Catalogue(catalogueFile()).plans(), QStringList());
    }
};

QTEST_MAIN(TestPlanWindows)
#include "tst_planwindows.moc"
