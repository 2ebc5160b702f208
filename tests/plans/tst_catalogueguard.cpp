#include "answers.h"
#include "app/startup.h"
#include "plans/catalogue.h"
#include "plans/newfrm.h"
#include "plans/openfrm.h"
#include "plans/plansession.h"
#include "platform/datafolderlock.h"
#include "platform/inifile.h"
#include "platform/printerinfo.h"
#include "support/modal.h"
#include "support/testenv.h"

#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString dialogText(QWidget* w) {
    auto* l = child<QLabel>(w, QStringLiteral("dlgLabel"));
    return l ? l->text() : QString();
}

// Two plans with files, as a user who has worked for a while has them.
void makePlans(const TestEnv& env, const QStringList& names) {
    Catalogue cat;
    int number = 2;
    for (const QString& name : names) {
        cat.addPlan(name, number);
        CompanyDetails d;
        d["coname"] = name + QStringLiteral(" Ltd");
        d["sbu"] = QStringLiteral("Retail");
        cat.writeDetails(name, d);
        const QString file = env.userDataFolder() + QString::number(number) + QStringLiteral(".mp");
        QVERIFY(QFile::copy(env.userDataFolder() + QStringLiteral("1.mp"), file));
        ++number;
    }
}

void selectPlan(Tfrmopen& w, const QString& name) {
    auto* list = child<QComboBox>(&w, QStringLiteral("cmbfilename"));
    QVERIFY(list);
    list->setCurrentIndex(list->findText(name));
    w.cmbfilenameChange();
}

} // namespace

class TestCatalogueGuard : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { PrinterInfo::setNoPrinterForTesting(); }

    // Two open-a-plan windows on one catalogue, each with its own session as two copies
    // of the program would have: one deletes a plan while the other is making a new one.
    void twoWindowsKeepEachOthersPlans() {
        TestEnv env;
        makePlans(env, {QStringLiteral("Alpha"), QStringLiteral("Beta")});
        TfrmNew newWindow;
        Tfrmopen a;
        Tfrmopen b;
        b.setWindows(&newWindow, nullptr);
        a.show();
        QCOMPARE(a.planList(), QStringList({QStringLiteral("Alpha"), QStringLiteral("Beta")}));
        selectPlan(a, QStringLiteral("Beta"));
        const PlanSession sessionA = planSession();

        b.show();
        ModalAnswer name([](QWidget* w) {
            setEditText(w, QStringLiteral("txtNewPlanName"), QStringLiteral("NewB"));
            clickButton(w, QStringLiteral("Button1"));
        });
        b.NewbtnClick();
        QVERIFY(name.wasAnswered());
        QVERIFY(Catalogue().contains(QStringLiteral("NewB")));
        const PlanSession sessionB = planSession();

        // A, its list still without NewB, deletes Beta.
        planSession() = sessionA;
        ModalAnswer sure([](QWidget* w) { clickButton(w, QStringLiteral("cmdYes")); });
        a.Button5Click();
        QVERIFY(sure.wasAnswered());
        QCOMPARE(Catalogue().plans(), QStringList({QStringLiteral("Alpha"), QStringLiteral("NewB")}));

        // B completes its plan, which is still there with its number.
        planSession() = sessionB;
        setEditText(&b, QStringLiteral("conameedit"), QStringLiteral("Bee Ltd"));
        setEditText(&b, QStringLiteral("cosbuedit"), QStringLiteral("Retail"));
        b.Button3Click();
        QCOMPARE(b.result(), int(QDialog::Accepted));
        Catalogue cat;
        QCOMPARE(cat.plans(), QStringList({QStringLiteral("Alpha"), QStringLiteral("NewB")}));
        QCOMPARE(cat.details(QStringLiteral("NewB")).value("coname"), QStringLiteral("Bee Ltd"));
        QVERIFY(cat.planTextFile(QStringLiteral("NewB")).endsWith(QStringLiteral("/4.mp")));
        QCOMPARE(cat.details(QStringLiteral("Alpha")).value("coname"), QStringLiteral("Alpha Ltd"));
        planSession() = PlanSession{};
    }

    // A second copy of the program on the same data folder is told and writes nothing;
    // once the first copy is gone (killed, so it never cleans up), the folder is taken
    // again and the temporary files of its cut-off writes are cleared away, and nothing
    // else is.
    void secondCopyIsToldUntilTheFirstIsGone() {
        TestEnv env;
        const QString program = env.programFolder() + QStringLiteral("tandel");
        QVERIFY(QFile::copy(QStringLiteral(TANDEL_BUILD_DIR "/bin/tandel"), program));
        QTemporaryDir home;
        QProcessEnvironment sys = QProcessEnvironment::systemEnvironment();
        sys.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        sys.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
        sys.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
        QProcess first;
        first.setProcessEnvironment(sys);
        first.start(program, {});
        QVERIFY(first.waitForStarted());
        const QString who = QStringLiteral("process %1").arg(first.processId());
        QDeadlineTimer started(60000);
        while (DataFolderLock::holder(env.dataFolder()) != who && !started.hasExpired())
            QTest::qWait(50);
        QCOMPARE(DataFolderLock::holder(env.dataFolder()), who);

        // A write of the first copy in progress, as far as anyone can tell.
        const QString inFlight = env.userDataFolder() + QStringLiteral("2.mps.tandel-save-Ab3dE9");
        QVERIFY(writeFileBytes(inFlight, QByteArray(4096, 'x')));
        const QByteArray catalogue = readFileBytes(env.dataFolder() + QStringLiteral("mp.ini"));

        QString said;
        {
            ModalAnswer told([&said](QWidget* w) {
                said = dialogText(w);
                clickButton(w, QStringLiteral("cmdOk"));
            });
            QVERIFY(!Application::claimDataFolder());
            QVERIFY(told.wasAnswered());
        }
        QVERIFY2(said.startsWith(QStringLiteral("Another copy of Tandel Zurozurov Irod is already "
                                                "open and working on your plans (") + who + ")."),
                 qPrintable(said));
        QVERIFY(said.contains(QDir::toNativeSeparators(env.dataFolder() + QStringLiteral("mp.ini"))));
        QVERIFY(QFile::exists(inFlight));
        QCOMPARE(readFileBytes(env.dataFolder() + QStringLiteral("mp.ini")), catalogue);

        first.kill(); // SIGKILL: no clean-up of its own
        QVERIFY(first.waitForFinished());
        const QStringList kept = {QStringLiteral("2.mps.damaged"), QStringLiteral("2.mp.backup"),
                                  QStringLiteral("notes.txt"), QStringLiteral("2.mps.tandel-save-1")};
        for (const QString& name : kept)
            QVERIFY(writeFileBytes(env.userDataFolder() + name, "mine"));
        const QString older = env.userDataFolder() + QStringLiteral("2.mps.k3Xz9Q");
        const QString catalogueWrite = env.dataFolder() + QStringLiteral("mp.ini.tandel-save-q1W2e3");
        QVERIFY(writeFileBytes(older, "x"));
        QVERIFY(writeFileBytes(catalogueWrite, "x"));
        {
            ModalAnswer none([](QWidget* w) { clickButton(w, QStringLiteral("cmdOk")); }, 300);
            QVERIFY(Application::claimDataFolder());
            QVERIFY(!none.wasAnswered());
        }
        QVERIFY(!QFile::exists(inFlight));
        QVERIFY(!QFile::exists(older));
        QVERIFY(!QFile::exists(catalogueWrite));
        for (const QString& name : kept)
            QVERIFY2(QFile::exists(env.userDataFolder() + name), qPrintable(name));
        QCOMPARE(DataFolderLock::holder(env.dataFolder()),
                 QStringLiteral("process %1").arg(QCoreApplication::applicationPid()));
        DataFolderLock::release();
    }

    // A catalogue damaged on disk: the user is told which file, it is kept as it was, and
    // the plans that can still be read are listed; a New then Cancel leaves nothing.
    void damagedCatalogueIsReportedKeptAndMended() {
        TestEnv env;
        makePlans(env, {QStringLiteral("Alpha"), QStringLiteral("Beta")});
        const QString file = env.dataFolder() + QStringLiteral("mp.ini");
        const QByteArray good = readFileBytes(file);
        const qsizetype titles = good.indexOf("[titles]");
        const qsizetype end = good.indexOf("\r\n\r\n", titles);
        QVERIFY(titles >= 0 && end > titles);
        QByteArray bad = good;
        bad.replace(titles, end - titles, "\x13\x88[tit\x01les=Al\r\nph\x7f=B\xff\xfe");
        QVERIFY(writeFileBytes(file, bad));

        TfrmNew newWindow;
        Tfrmopen open;
        open.setWindows(&newWindow, nullptr);
        auto showTold = [&open] {
            AnswerBook book;
            QString said;
            book.add(QStringLiteral("TfrmDialog"), [&said](QWidget* w) {
                said = dialogText(w);
                clickButton(w, QStringLiteral("cmdOk"));
            });
            open.show();
            [&] { QTRY_VERIFY(book.allAnswered()); }();
            return said;
        };
        const QString said = showTold();
        QVERIFY2(said.startsWith(QStringLiteral("The list of plans \"%1\" is damaged").arg(file)),
                 qPrintable(said));
        QVERIFY2(said.contains(QStringLiteral("kept as \"%1.damaged\"").arg(file)), qPrintable(said));
        QCOMPARE(readFileBytes(file + QStringLiteral(".damaged")), bad);
        QCOMPARE(open.planList(), QStringList({QStringLiteral("Alpha"), QStringLiteral("Beta")}));
        QCOMPARE(Catalogue().details(QStringLiteral("Beta")).value("coname"), QStringLiteral("Beta Ltd"));

        // New, then Cancel: nothing of the new plan stays, and no message. (Its answer book
        // ends with the block, so that it cannot take the next message from showTold's.)
        {
            AnswerBook noError;
            noError.add(QStringLiteral("TfrmDialog"), [](QWidget* w) { clickButton(w, QStringLiteral("cmdOk")); });
            ModalAnswer name([](QWidget* w) {
                setEditText(w, QStringLiteral("txtNewPlanName"), QStringLiteral("Gamma"));
                clickButton(w, QStringLiteral("Button1"));
            });
            open.NewbtnClick();
            QVERIFY(name.wasAnswered());
            open.Button4Click();
            QTest::qWait(50);
            QVERIFY2(!noError.allAnswered(), "a cancelled New says nothing");
            QCOMPARE(Catalogue().plans(), QStringList({QStringLiteral("Alpha"), QStringLiteral("Beta")}));
            QVERIFY(!IniFile(file).hasSection(QStringLiteral("Gamma")));
        }

        // Random bytes all through it: said, kept beside the first copy, nothing listed.
        QByteArray noise(2048, Qt::Uninitialized);
        QRandomGenerator random(27);
        for (char& c : noise)
            c = char(random.bounded(256));
        QVERIFY(writeFileBytes(file, noise));
        const QString again = showTold();
        QVERIFY2(again.contains(QStringLiteral("it holds bytes that are not text")), qPrintable(again));
        QVERIFY2(again.contains(QStringLiteral("kept as \"%1.damaged2\"").arg(file)), qPrintable(again));
        QVERIFY(again.contains(QStringLiteral("No plan could be read from it")));
        QCOMPARE(readFileBytes(file + QStringLiteral(".damaged2")), noise);
        QCOMPARE(open.planList(), QStringList());
        open.Button4Click();

        // A name the file cannot hold is refused with that reason, not as a failed write.
        try {
            IniFile(file).writeString(QStringLiteral("titles"), QStringLiteral("[Odd"), QStringLiteral("x"));
            QFAIL("an unstorable name was written");
        } catch (const IniWriteError& e) {
            QCOMPARE(e.message(), QStringLiteral("The name \"[Odd\" cannot be stored in %1: it "
                                                 "begins with \"[\".").arg(file));
        }
    }
};

QTEST_MAIN(TestCatalogueGuard)
#include "tst_catalogueguard.moc"
