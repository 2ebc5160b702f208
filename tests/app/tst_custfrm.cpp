#include "app/custfrm.h"
#include "app/editfrm.h"
#include "app/settings.h"
#include "app/startup.h"
#include "dialogs/dialogfrm.h"
#include "plans/openfrm.h"
#include "platform/folders.h"
#include "platform/inifile.h"
#include "platform/printerinfo.h"
#include "support/modal.h"
#include "support/testenv.h"
#include "windows/tipsfrm.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

namespace {

const QString kMain = QStringLiteral("Zurozurov Irod");

// Start-up ends with the Open command; these tests start with no plan open, so the open
// window is cancelled whenever it comes.
struct CancelOpenWindow {
    QTimer timer;
    CancelOpenWindow() {
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, [] {
            QWidget* m = QApplication::activeModalWidget();
            if (m && m->isVisible() && m->objectName() == QLatin1String("Tfrmopen"))
                clickButton(m, QStringLiteral("Button4"));
        });
        timer.start();
    }
};

struct Started {
    explicit Started(bool tipsOn = false) {
        if (!tipsOn) IniFile(Folders::settingsFile()).writeInteger("bps", "tips", 0);
        CancelOpenWindow noPlan;
        Application::startUp({0});
    }
    ~Started() { Application::shutDown(); }
};

// Opens the Options window, lets the action work in it, and returns its result.
int runOptions(const std::function<void(TfrmCust*)>& action) {
    ModalAnswer answer([&](QWidget* w) { action(qobject_cast<TfrmCust*>(w)); });
    const int result = frmCust->exec();
    if (!answer.wasAnswered()) qWarning("%s", qPrintable(answer.failure()));
    return result;
}

// Types into a margin edit as a user does, then moves on to the next edit.
QString typeMargin(QLineEdit* edit, const QString& keys, QLineEdit* next) {
    // Focus moves only inside the active window, and the window system may still be
    // settling which window that is.
    auto focus = [](QWidget* w) {
        for (int tries = 0; tries < 100 && !w->hasFocus(); ++tries) {
            w->window()->activateWindow();
            w->setFocus();
            QTest::qWait(5);
        }
        return w->hasFocus();
    };
    if (!focus(edit)) qWarning("the margin edit did not take the focus");
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, keys);
    if (!focus(next)) qWarning("the next edit did not take the focus");
    return edit->text();
}

} // namespace

class TestCustfrm : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { PrinterInfo::setNoPrinterForTesting(); }

    void windowLayout() {
        TestEnv env;
        Started app;
        QCOMPARE(frmCust->windowTitle(), QStringLiteral("Options"));
        QCOMPARE(frmCust->pages->count(), 2);
        QCOMPARE(frmCust->pages->tabText(0), QStringLiteral("Options"));
        QCOMPARE(frmCust->pages->tabText(1), QStringLiteral("Keytext"));
        QCOMPARE(frmCust->cmdOk->text(), QStringLiteral("Ok"));
        QCOMPARE(frmCust->cmdCancel->text(), QStringLiteral("Cancel"));
        QCOMPARE(frmCust->chkTips->text(), QStringLiteral("&Show tips on startup"));
        QCOMPARE(frmCust->txtLeftMargin->maxLength(), 10);
        QCOMPARE(frmCust->txtURL->maxLength(), 250);
        QStringList labels;
        for (QLabel* l : frmCust->findChildren<QLabel*>())
            labels << l->text();
        for (const char* caption : {"&Left", "&Right", "&Top", "&Bottom", "&Tandel URL",
                                    "Keytext &1", "Keytext &9", "Keytext &0"})
            QVERIFY2(labels.contains(QString::fromLatin1(caption)), caption);
        for (int i = 0; i < 10; ++i) {
            QCOMPARE(frmCust->txtKey[i]->objectName(),
                     QStringLiteral("txtKey%1").arg((i + 1) % 10));
            QCOMPARE(frmCust->txtKey[i]->maxLength(), 100);
        }
    }

    void marginEditRules_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("above 20") << "25"
                                  << "20";
        QTest::newRow("lone point") << "."
                                    << "1";
        QTest::newRow("four digits") << "0.123456"
                                     << "0.1235";
        QTest::newRow("letters dropped") << "1a,5-"
                                         << "15";
        QTest::newRow("two points") << "1.2.3"
                                    << "1";
        QTest::newRow("zero") << "0"
                              << "0";
        QTest::newRow("ordinary") << "1.5"
                                  << "1.5";
        QTest::newRow("empty") << ""
                               << "1";
    }

    void marginEditRules() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        TestEnv env;
        Started app;
        QString seen;
        runOptions([&](TfrmCust* w) {
            seen = typeMargin(w->txtTopMargin, typed, w->txtBottomMargin);
            w->cmdCancel->click();
        });
        QCOMPARE(seen, shown);
    }

    void okWritesEverythingAndUpdatesTheMainWindow() {
        TestEnv env;
        IniFile(Folders::settingsFile()).writeString(kMain, "keytext3", "Gamma");
        Started app;
        QVERIFY(frmEdit->menus().mnuKeytextItems[2]->isVisible());
        const int result = runOptions([](TfrmCust* w) {
            QCOMPARE(w->txtKey[2]->text(), QStringLiteral("Gamma"));
            QCOMPARE(w->txtURL->text(), QStringLiteral("https://www.tandel.example/"));
            QCOMPARE(w->txtLeftMargin->text(), QStringLiteral("1"));
            typeMargin(w->txtLeftMargin, "0.75", w->txtRightMargin);
            typeMargin(w->txtRightMargin, "30", w->txtTopMargin);
            w->txtURL->setText(QStringLiteral("https://example.org/"));
            w->txtKey[0]->setText(QStringLiteral("Alpha & Co"));
            w->txtKey[2]->clear();
            w->txtKey[9]->setText(QStringLiteral("Omega"));
            w->cmdOk->click();
        });
        QCOMPARE(result, int(mrOk));

        const IniFile ini(Folders::settingsFile());
        QCOMPARE(ini.readString(kMain, "MarginL"), QStringLiteral("0.75"));
        QCOMPARE(ini.readString(kMain, "MarginR"), QStringLiteral("20"));
        QCOMPARE(ini.readString(kMain, "MarginT"), QStringLiteral("1"));
        QCOMPARE(ini.readString("Web", "Home"), QStringLiteral("https://example.org/"));
        QCOMPARE(ini.readString(kMain, "keytext1"), QStringLiteral("Alpha & Co"));
        QCOMPARE(ini.readString(kMain, "keytext3", "x"), QString());
        QCOMPARE(ini.readString(kMain, "keytext0"), QStringLiteral("Omega"));
        QVERIFY(ini.hasKey(kMain, "keytext5"));

        QCOMPARE(frmEdit->DefaultMargins, (Settings::Margins{0.75, 20, 1, 1}));
        // The open plan keeps its own margins.
        QCOMPARE(frmEdit->PlanMargins, (Settings::Margins{1, 1, 1, 1}));
        QCOMPARE(frmEdit->WebHomePage, QStringLiteral("https://example.org/"));
        QVERIFY(frmEdit->menus().mnuKeytextItems[0]->isVisible());
        QCOMPARE(frmEdit->KeytextCaption(0), QStringLiteral("Alpha & Co"));
        // A cleared keytext hides its item at once.
        QVERIFY(!frmEdit->menus().mnuKeytextItems[2]->isVisible());
        QVERIFY(frmEdit->menus().mnuKeytextItems[9]->isVisible());
    }

    void enterTidiesTheMarginBeingTyped() {
        TestEnv env;
        Started app;
        runOptions([](TfrmCust* w) {
            w->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(w));
            w->txtBottomMargin->setFocus();
            w->txtBottomMargin->selectAll();
            QTest::keyClicks(w->txtBottomMargin, ".");
            QTest::keyClick(w->txtBottomMargin, Qt::Key_Return);
        });
        QCOMPARE(IniFile(Folders::settingsFile()).readString(kMain, "MarginB"),
                 QStringLiteral("1"));
    }

    void emptyKeytextsArePrefilledFromTheCompany() {
        TestEnv env;
        IniFile(Folders::settingsFile()).writeString(kMain, "keytext1", "Kept");
        Started app;
        const QStringList fields = {"prod1edit", "prod2edit", "prod3edit", "prod4edit",
                                    "prod5edit", "compaedit", "compbedit", "compcedit"};
        for (const QString& name : fields) {
            auto* edit = child<QLineEdit>(frmopen, name);
            QVERIFY2(edit, qPrintable(name));
            edit->setText(QStringLiteral("from ") + name);
        }
        runOptions([](TfrmCust* w) {
            // A keytext of its own is kept; the empty ones take the company's texts.
            QCOMPARE(w->txtKey[0]->text(), QStringLiteral("Kept"));
            QCOMPARE(w->txtKey[1]->text(), QStringLiteral("from prod2edit"));
            QCOMPARE(w->txtKey[4]->text(), QStringLiteral("from prod5edit"));
            QCOMPARE(w->txtKey[5]->text(), QStringLiteral("from compaedit"));
            QCOMPARE(w->txtKey[7]->text(), QStringLiteral("from compcedit"));
            QCOMPARE(w->txtKey[8]->text(), QString());
            QCOMPARE(w->txtKey[9]->text(), QString());
            w->cmdCancel->click();
        });
    }

    void cancelAndEscapeWriteNothing_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel") << false;
        QTest::newRow("Escape") << true;
    }

    void cancelAndEscapeWriteNothing() {
        QFETCH(bool, escape);
        TestEnv env;
        Started app;
        const QByteArray before = readFileBytes(Folders::settingsFile());
        runOptions([escape](TfrmCust* w) {
            w->txtLeftMargin->setText(QStringLiteral("3"));
            w->txtKey[4]->setText(QStringLiteral("Epsilon"));
            w->chkTips->setChecked(!w->chkTips->isChecked());
            if (escape)
                pressKey(w, Qt::Key_Escape);
            else
                w->cmdCancel->click();
        });
        QCOMPARE(readFileBytes(Folders::settingsFile()), before);
        QVERIFY(!frmEdit->menus().mnuKeytextItems[4]->isVisible());
        QCOMPARE(frmEdit->DefaultMargins.Left, 1.0);
    }

    void tipsSwitchedOffAndOnAgain() {
        TestEnv env;
        {
            // The first start shows the tips; "Dont show this again" switches them off.
            ModalAnswer tips([](QWidget* w) {
                child<QCheckBox>(w, QStringLiteral("chkDontShow"))->setChecked(true);
                clickButton(w, QStringLiteral("cmdOk"));
            });
            CancelOpenWindow noPlan;
            Application::startUp({0});
            QVERIFY(tips.wasAnswered());
            QCOMPARE(tips.windowClass(), QStringLiteral("TfrmTips"));
            QVERIFY(!TfrmTips::TipsWanted());
            // The Options box shows the setting start-up reads, and switches it on again.
            runOptions([](TfrmCust* w) {
                QVERIFY(!w->chkTips->isChecked());
                w->chkTips->setChecked(true);
                w->cmdOk->click();
            });
            QVERIFY(TfrmTips::TipsWanted());
            Application::shutDown();
        }
        ModalAnswer tipsAgain([](QWidget* w) { clickButton(w, QStringLiteral("cmdOk")); });
        CancelOpenWindow noPlan;
        Application::startUp({0});
        QVERIFY(tipsAgain.wasAnswered());
        QCOMPARE(tipsAgain.windowClass(), QStringLiteral("TfrmTips"));
        runOptions([](TfrmCust* w) {
            QVERIFY(w->chkTips->isChecked());
            w->chkTips->setChecked(false);
            w->cmdOk->click();
        });
        QVERIFY(!TfrmTips::TipsWanted());
        Application::shutDown();
    }

    void failedWriteIsReportedAndKeepsTheWindowOpen() {
        TestEnv env;
        Started app;
        const QString settings = Folders::settingsFile();
        QVERIFY(QFile::remove(settings));
        QVERIFY(QDir().mkpath(settings));
        QString message;
        bool stillOpen = false;
        const int result = runOptions([&](TfrmCust* w) {
            w->txtKey[1]->setText(QStringLiteral("Beta"));
            ModalAnswer error([&](QWidget* e) {
                if (auto* label = child<QLabel>(e, QStringLiteral("dlgLabel")))
                    message = label->text();
                clickButton(e, QStringLiteral("cmdOk"));
            });
            w->cmdOk->click();
            stillOpen = w->isVisible();
            w->cmdCancel->click();
        });
        QVERIFY2(message.startsWith(QStringLiteral("Unable to write to ")), qPrintable(message));
        QVERIFY(stillOpen);
        QCOMPARE(result, int(mrCancel));
        QVERIFY(!frmEdit->menus().mnuKeytextItems[1]->isVisible());
        QDir(settings).removeRecursively();
    }
};

QTEST_MAIN(TestCustfrm)
#include "tst_custfrm.moc"
