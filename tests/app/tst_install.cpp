// `cmake --install` into a temporary prefix, then the installed program as a user who
// may not write to it meets it: started on the offscreen platform with the prefix read
// only, its files go to the user's data folder, seeded from the shipped copies, where a
// new plan is then created and saved.

#include "app/editfrm.h"
#include "app/startup.h"
#include "controls/text/textcontrol.h"
#include "plans/answers.h"
#include "plans/catalogue.h"
#include "plans/lifecycle.h"
#include "plans/navigator.h"
#include "platform/folders.h"
#include "platform/printerinfo.h"
#include "support/modal.h"
#include "support/readonlyfolder.h"
#include "support/testenv.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// Every file under a folder with a digest of its bytes: what "untouched" means.
QStringList inventory(const QString& root) {
    QStringList out;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString f = it.next();
        out << QDir(root).relativeFilePath(f) + QLatin1Char(' ') +
                   QString::fromLatin1(
                       QCryptographicHash::hash(readFileBytes(f), QCryptographicHash::Md5).toHex());
    }
    out.sort();
    return out;
}

bool waitFor(const std::function<bool()>& condition, int ms) {
    QElapsedTimer t;
    t.start();
    while (!condition()) {
        if (t.elapsed() > ms) return false;
        QTest::qWait(50);
    }
    return true;
}

} // namespace

class TestInstall : public QObject {
    Q_OBJECT
    QTemporaryDir m_prefix;
    QTemporaryDir m_home;
    std::unique_ptr<ReadOnlyFolder> m_locked;
    QStringList m_installed;

    QString prefix() const { return m_prefix.path() + QLatin1Char('/'); }
    QString userFolder() const { return m_home.path() + QStringLiteral("/data/Tandel/"); }

private slots:
    void initTestCase() {
        PrinterInfo::setNoPrinterForTesting();
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QStringLiteral(TANDEL_CMAKE_COMMAND),
                      {QStringLiteral("--install"), QStringLiteral(TANDEL_BUILD_DIR),
                       QStringLiteral("--prefix"), m_prefix.path()});
        QVERIFY(install.waitForFinished(120000));
        QVERIFY2(install.exitCode() == 0, install.readAll().constData());
        m_installed = inventory(m_prefix.path());
        // The user's folders, as the desktop's session gives them.
        qputenv("HOME", QFile::encodeName(m_home.path()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.path() + QStringLiteral("/data")));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.path() + QStringLiteral("/config")));
    }

    void installsProgramDataAndDesktopIntegration() {
        for (const char* f :
             {"bin/tandel", "share/tandel/data/mp.nav", "share/tandel/data/startup.plt",
              "share/tandel/data/1.pla", "share/tandel/data/qmphelp.hlp",
              "share/tandel/data/mp.ini", "share/tandel/userdata/1.mp",
              "share/tandel/userdata/1.mps", "share/applications/tandel.desktop",
              "share/icons/hicolor/scalable/apps/tandel.svg",
              "share/icons/hicolor/48x48/apps/tandel.png",
              "share/icons/hicolor/256x256/apps/tandel.png", "share/man/man1/tandel.1"})
            QVERIFY2(QFileInfo::exists(prefix() + QLatin1String(f)), f);
        QVERIFY(QFileInfo(prefix() + QStringLiteral("bin/tandel")).isExecutable());
        const QByteArray desktop = readFileBytes(prefix() + QStringLiteral("share/applications/tandel.desktop"));
        QVERIFY(desktop.contains("\nCategories=Office;"));
        QVERIFY(desktop.contains("\nExec=tandel"));
        QVERIFY(desktop.contains("\nIcon=tandel"));
        QCOMPARE(readFileBytes(prefix() + QStringLiteral("share/icons/hicolor/48x48/apps/tandel.png")).mid(16, 8),
                 QByteArray::fromHex("0000003000000030")); // a 48 x 48 PNG
        QVERIFY(readFileBytes(prefix() + QStringLiteral("share/man/man1/tandel.1")).startsWith(".TH TANDEL 1"));
        // Nothing of a developer's own use of the build folder is shipped.
        QVERIFY(!QFileInfo::exists(prefix() + QStringLiteral("share/tandel/userdata/2.mp")));
    }

    // The desktop learns the plan package's file type from the installed MIME entry, and
    // opens such a file with the program, which takes the file's name.
    void planPackagesAreAFileTypeTheProgramOpens() {
        const QString packages = prefix() + QStringLiteral("share/mime/packages/");
        QVERIFY(QFileInfo::exists(packages + QStringLiteral("tandel.xml")));
        QTemporaryDir mime;
        QVERIFY(copyTree(packages, mime.path() + QStringLiteral("/packages")));
        QProcess update;
        update.setProcessChannelMode(QProcess::MergedChannels);
        update.start(QStringLiteral("update-mime-database"), {mime.path()});
        QVERIFY2(update.waitForFinished(60000), "update-mime-database did not end");
        QVERIFY2(update.exitCode() == 0, update.readAll().constData());
        QVERIFY(readFileBytes(mime.path() + QStringLiteral("/globs2"))
                    .contains(":application/x-tandel-plan:*.tzplan"));
        QVERIFY(QFileInfo::exists(mime.path() + QStringLiteral("/application/x-tandel-plan.xml")));
        const QByteArray desktop = readFileBytes(prefix() + QStringLiteral("share/applications/tandel.desktop"));
        QVERIFY(desktop.contains("\nMimeType=application/x-tandel-plan;"));
        QVERIFY(desktop.contains("\nExec=tandel %f\n"));
    }

    void installedProgramStartsWithItsFilesInTheUsersFolder() {
        m_locked = std::make_unique<ReadOnlyFolder>(m_prefix.path());
        if (!m_locked->isReadOnly()) QSKIP("this user can write into any folder and may not mount");
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(env);
        program.start(prefix() + QStringLiteral("bin/tandel"), {});
        QVERIFY(program.waitForStarted(10000));
        // Up and waiting for the user (the tips, then the open window): the user's folder
        // has been seeded meanwhile.
        const bool seeded = waitFor([this] {
            return QFileInfo::exists(userFolder() + QStringLiteral("mp.ini")) &&
                   QFileInfo::exists(userFolder() + QStringLiteral("userdata/1.mp")) &&
                   QFileInfo::exists(userFolder() + QStringLiteral("userdata/1.mps"));
        }, 30000);
        QTest::qWait(500);
        const bool running = program.state() == QProcess::Running;
        program.kill();
        program.waitForFinished(5000);
        QVERIFY2(seeded, program.readAllStandardError().constData());
        QVERIFY(running);
        QCOMPARE(readFileBytes(userFolder() + QStringLiteral("userdata/1.mp")),
                 readFileBytes(prefix() + QStringLiteral("share/tandel/userdata/1.mp")));
        QCOMPARE(inventory(m_prefix.path()), m_installed);
    }

    // The installed program's start-up, in this process, creating and saving a plan.
    void newPlanIsSavedInTheUsersFolder() {
        if (!m_locked || !m_locked->isReadOnly()) QSKIP("the prefix could not be made read only");
        Folders::setProgramFolder(prefix() + QStringLiteral("bin"));
        Folders::setConfigFolder(m_home.path() + QStringLiteral("/config/Tandel"));
        QCOMPARE(Folders::storage(), Folders::Storage::UserFolder);
        QCOMPARE(Folders::userDataFolder(), userFolder() + QStringLiteral("userdata/"));
        QCOMPARE(Folders::shippedDataFolder(), prefix() + QStringLiteral("share/tandel/data/"));

        AnswerBook book;
        book.add(QStringLiteral("TfrmTips"),
                 [](QWidget* w) { clickButton(w, QStringLiteral("cmdOk")); });
        book.add(QStringLiteral("Tfrmopen"), [](QWidget* w) {
            clickButton(w, QStringLiteral("Newbtn"));
            setEditText(w, QStringLiteral("conameedit"), QStringLiteral("Acme Ltd"));
            setEditText(w, QStringLiteral("cosbuedit"), QStringLiteral("Retail"));
            clickButton(w, QStringLiteral("Button3"));
        });
        book.add(QStringLiteral("TfrmNew"), [](QWidget* w) {
            setEditText(w, QStringLiteral("txtNewPlanName"), QStringLiteral("Installed Plan"));
            clickButton(w, QStringLiteral("Button1"));
        });
        Application::startUp({0});
        QVERIFY2(book.allAnswered(), qPrintable(book.seen().join(QLatin1Char(','))));
        TfrmEdit* w = frmEdit;
        QVERIFY(w && w->PanelAll->isVisible());
        // The navigator and the guidance come from the shipped data.
        QVERIFY(w->navigator()->itemCount() > 20);

        w->ATX321->setSelStart(w->ATX321->TextLength());
        QTest::keyClicks(w->ATX321, QStringLiteral(" Our words"));
        w->PlanModified = true;
        QVERIFY(w->lifecycle()->mnuSaveClick());
        const QString plan = userFolder() + QStringLiteral("userdata/2.mp");
        QVERIFY(QFileInfo::exists(plan));
        QVERIFY(QFileInfo::exists(plan + QLatin1Char('s')));
        TextControl reader;
        QVERIFY(reader.loadFile(plan, TextControl::NativeRtf));
        QVERIFY(reader.toPlainText().contains(QStringLiteral("Our words")));
        QCOMPARE(Catalogue(userFolder() + QStringLiteral("mp.ini")).plans(),
                 QStringList{QStringLiteral("Installed Plan")});
        QCOMPARE(inventory(m_prefix.path()), m_installed);
        Application::shutDown();
        Folders::setProgramFolder(QString());
        Folders::setConfigFolder(QString());
    }

    void cleanupTestCase() { m_locked.reset(); }
};

QTEST_MAIN(TestInstall)
#include "tst_install.moc"
