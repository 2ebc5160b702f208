// The Debian package end to end: CPack makes it from the build into a temporary folder; its
// control fields, its file list and permissions are what apt will install; lintian finds no
// error in it; the menu entry and the AppStream metadata pass their validators; and the
// program unpacked from it (`dpkg-deb -x` into a temporary root, as apt would lay it out
// under /usr) answers --version, seeds a fresh user's data folder on its first start
// without writing anywhere else, and lists and exports a plan created there.

#include "app/editfrm.h"
#include "app/startup.h"
#include "controls/text/textcontrol.h"
#include "plans/answers.h"
#include "plans/lifecycle.h"
#include "platform/folders.h"
#include "platform/printerinfo.h"
#include "support/modal.h"
#include "support/pdftext.h"
#include "support/testenv.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int status = -1;
    QString out;
    QString err;
};

Run run(const QString& program, const QStringList& args, const QProcessEnvironment& env,
        int timeoutMs = 120000) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    Run r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("%1 did not finish: %2").arg(program, p.errorString());
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err += QString::fromUtf8(p.readAllStandardError());
    return r;
}

// Every file and folder under root with a digest of each file: what "untouched" means.
QStringList inventory(const QString& root) {
    QStringList out;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString f = it.next();
        out << QDir(root).relativeFilePath(f) + QLatin1Char(' ') +
                   (QFileInfo(f).isDir() ? QStringLiteral("folder")
                                         : QString::fromLatin1(QCryptographicHash::hash(
                                               readFileBytes(f), QCryptographicHash::Md5).toHex()));
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

QStringList filesUnder(const QString& folder) {
    QStringList out;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) out << QDir(folder).relativeFilePath(it.next());
    out.sort();
    return out;
}

} // namespace

class TestPackage : public QObject {
    Q_OBJECT
    QTemporaryDir m_out;  // CPack's staging and the package
    QTemporaryDir m_root; // the package unpacked
    QTemporaryDir m_home; // a fresh user
    QString m_deb;
    QProcessEnvironment m_user;  // the fresh user's, for the unpacked program
    QProcessEnvironment m_tools = QProcessEnvironment::systemEnvironment();

    QString root(const QString& path) const { return m_root.path() + path; }
    QString userFolder() const { return m_home.path() + QStringLiteral("/data/Tandel/"); }
    QString tool(const char* name) {
        const QString found = QStandardPaths::findExecutable(QLatin1String(name));
        if (found.isEmpty())
            qWarning("%s is missing: scripts/common.sh installs it", name);
        return found;
    }
    QString field(const QString& name) {
        const Run r = run(tool("dpkg-deb"), {QStringLiteral("--field"), m_deb, name}, m_tools);
        return r.out.trimmed();
    }

private slots:
    void initTestCase() {
        PrinterInfo::setNoPrinterForTesting();
        const QString cpack =
            QFileInfo(QStringLiteral(TANDEL_CMAKE_COMMAND)).absolutePath() + QStringLiteral("/cpack");
        QElapsedTimer t;
        t.start();
        const Run made = run(cpack,
                             {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
                              QStringLiteral(TANDEL_BUILD_DIR "/CPackConfig.cmake"),
                              QStringLiteral("-B"), m_out.path()},
                             m_tools, 240000);
        QVERIFY2(made.status == 0, qPrintable(made.out + made.err));
        const QStringList debs = QDir(m_out.path()).entryList({QStringLiteral("tandel_*.deb")});
        QCOMPARE(debs.size(), 1);
        m_deb = m_out.filePath(debs.first());
        qInfo("cpack: %lld ms", qint64(t.elapsed()));

        // The user's folders as the desktop's session gives them, for the unpacked program
        // and for this process alike.
        m_user = QProcessEnvironment::systemEnvironment();
        m_user.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        m_user.insert(QStringLiteral("HOME"), m_home.path());
        m_user.insert(QStringLiteral("XDG_DATA_HOME"), m_home.path() + QStringLiteral("/data"));
        m_user.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path() + QStringLiteral("/config"));
        for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
            qputenv(name, m_user.value(QLatin1String(name)).toLocal8Bit());

        const Run unpacked = run(tool("dpkg-deb"), {QStringLiteral("-x"), m_deb, m_root.path()}, m_tools);
        QVERIFY2(unpacked.status == 0, qPrintable(unpacked.err));
    }

    void controlFields() {
        QCOMPARE(field(QStringLiteral("Package")), QStringLiteral("tandel"));
        QCOMPARE(QFileInfo(m_deb).fileName(),
                 QStringLiteral("tandel_%1_%2.deb").arg(field(QStringLiteral("Version")),
                                                        field(QStringLiteral("Architecture"))));
        const QStringList depends =
            field(QStringLiteral("Depends")).split(QStringLiteral(", "), Qt::SkipEmptyParts);
        auto dependsOn = [&depends](const QString& package) {
            for (const QString& d : depends)
                if (d == package || d.startsWith(package + QLatin1Char(' '))) return true;
            return false;
        };
        // Read at run time, which dpkg-shlibdeps cannot see; and the libraries it found
        // in the binary.
        for (const char* p : {"hunspell-en-gb", "fonts-liberation2", "libqt6widgets6",
                              "libqt6printsupport6", "libhunspell-1.7-0", "libc6"})
            QVERIFY2(dependsOn(QLatin1String(p)), qPrintable(p + QStringLiteral(" in ") + depends.join(", ")));
        QVERIFY(!field(QStringLiteral("Maintainer")).isEmpty());
        QVERIFY(field(QStringLiteral("Description")).count(QLatin1Char('\n')) > 3);
    }

    // Exactly these files, and nothing of a developer's own use of the build folder.
    void contents() {
        QStringList expected = {
            "usr/bin/tandel",
            "usr/share/applications/tandel.desktop",
            "usr/share/doc/tandel/changelog.gz",
            "usr/share/doc/tandel/copyright",
            "usr/share/icons/hicolor/256x256/apps/tandel.png",
            "usr/share/icons/hicolor/48x48/apps/tandel.png",
            "usr/share/icons/hicolor/scalable/apps/tandel.svg",
            "usr/share/man/man1/tandel.1.gz",
            "usr/share/metainfo/example.tandel.Tandel.metainfo.xml",
            "usr/share/mime/packages/tandel.xml",
        };
        for (const char* shipped : {"data", "userdata"})
            for (const QString& f : filesUnder(QStringLiteral(TANDEL_PRISTINE_DIR "/") + QLatin1String(shipped)))
                expected << QStringLiteral("usr/share/tandel/%1/%2").arg(QLatin1String(shipped), f);
        expected.sort();

        const Run listed = run(tool("dpkg-deb"), {QStringLiteral("--contents"), m_deb}, m_tools);
        QCOMPARE(listed.status, 0);
        QStringList files;
        for (const QString& line : listed.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            // drwxr-xr-x root/root 0 2026-01-01 00:00 ./usr/bin/
            const QStringList cols = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            QVERIFY2(cols.size() >= 6, qPrintable(line));
            const QString mode = cols[0];
            const QString path = cols.mid(5).join(QLatin1Char(' ')).mid(2);
            QVERIFY2(cols[1] == QLatin1String("root/root"), qPrintable(line));
            // Nobody but root may change what is installed; only the program runs.
            QVERIFY2(mode.at(5) == QLatin1Char('-') && mode.at(8) == QLatin1Char('-'), qPrintable(line));
            if (mode.startsWith(QLatin1Char('d'))) {
                QCOMPARE(mode, QStringLiteral("drwxr-xr-x"));
                continue;
            }
            QCOMPARE(mode, path == QLatin1String("usr/bin/tandel") ? QStringLiteral("-rwxr-xr-x")
                                                                    : QStringLiteral("-rw-r--r--"));
            files << path;
        }
        files.sort();
        QCOMPARE(files, expected);

        // The manual page and the changelog compressed as Debian wants them.
        const Run man = run(QStringLiteral("gzip"),
                            {QStringLiteral("-dc"), root(QStringLiteral("/usr/share/man/man1/tandel.1.gz"))}, m_tools);
        QVERIFY(man.out.startsWith(QStringLiteral(".TH TANDEL 1")));
        const Run changes = run(QStringLiteral("gzip"),
                                {QStringLiteral("-dc"), root(QStringLiteral("/usr/share/doc/tandel/changelog.gz"))}, m_tools);
        QVERIFY2(changes.out.startsWith(QStringLiteral("tandel (%1) ").arg(field(QStringLiteral("Version")))),
                 qPrintable(changes.out.left(80)));
    }

    void lintianFindsNoError() {
        QElapsedTimer t;
        t.start();
        const Run r = run(tool("lintian"), {QStringLiteral("--fail-on"), QStringLiteral("error"), m_deb},
                          m_tools, 240000);
        qInfo("lintian: %lld ms", qint64(t.elapsed()));
        QVERIFY2(r.status == 0, qPrintable(r.out + r.err));
        QVERIFY2(!r.out.contains(QRegularExpression(QStringLiteral("^E: "), QRegularExpression::MultilineOption)),
                 qPrintable(r.out));
    }

    void desktopEntryAndAppStreamMetadataValidate() {
        const QString desktop = root(QStringLiteral("/usr/share/applications/tandel.desktop"));
        const QString metainfo = root(QStringLiteral("/usr/share/metainfo/example.tandel.Tandel.metainfo.xml"));
        const Run d = run(tool("desktop-file-validate"), {desktop}, m_tools);
        QVERIFY2(d.status == 0 && d.out.trimmed().isEmpty(), qPrintable(d.out + d.err));
        const Run a = run(tool("appstreamcli"), {QStringLiteral("validate"), QStringLiteral("--no-net"), metainfo}, m_tools);
        QVERIFY2(a.status == 0, qPrintable(a.out + a.err));

        const QString xml = QString::fromUtf8(readFileBytes(metainfo));
        // The metadata names the menu entry the package installs, the binary it ships...
        QVERIFY(xml.contains(QStringLiteral("<launchable type=\"desktop-id\">tandel.desktop</launchable>")));
        QVERIFY(xml.contains(QStringLiteral("<binary>tandel</binary>")));
        QVERIFY(xml.contains(QStringLiteral("<release version=\"%1\" date=\"").arg(field(QStringLiteral("Version")))));
        // ...and screenshots kept in the repository.
        const QRegularExpression image(QStringLiteral("<image[^>]*>[^<]*/screenshots/([^<]+\\.png)</image>"));
        int screenshots = 0;
        for (auto it = image.globalMatch(xml); it.hasNext(); ++screenshots) {
            const QString name = it.next().captured(1);
            const QByteArray png = readFileBytes(QStringLiteral(TANDEL_SOURCE_DIR "/data/screenshots/") + name);
            QVERIFY2(png.startsWith("\x89PNG"), qPrintable(name));
        }
        QVERIFY(screenshots >= 2);
    }

    void unpackedProgramAnswersItsVersion() {
        const Run r = run(root(QStringLiteral("/usr/bin/tandel")), {QStringLiteral("--version")}, m_user);
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out.trimmed(), QStringLiteral("Tandel Zurozurov Irod ") + field(QStringLiteral("Version")));
    }

    // As apt would leave it, started by a user who has never run it: the user's data folder
    // is seeded from the shipped copies and nothing is written outside the user's folders.
    void firstStartSeedsTheUsersFolder() {
        const QStringList before = inventory(m_root.path());
        QProcess program;
        program.setProcessEnvironment(m_user);
        program.start(root(QStringLiteral("/usr/bin/tandel")), {});
        QVERIFY(program.waitForStarted(10000));
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
                 readFileBytes(root(QStringLiteral("/usr/share/tandel/userdata/1.mp"))));
        QCOMPARE(inventory(m_root.path()), before);
    }

    // A plan created with the packaged data, then listed and exported by the unpacked program.
    void planCreatedThereIsListedAndExported() {
        const QStringList before = inventory(m_root.path());
        Folders::setProgramFolder(root(QStringLiteral("/usr/bin")));
        Folders::setConfigFolder(m_home.path() + QStringLiteral("/config/Tandel"));
        QCOMPARE(Folders::storage(), Folders::Storage::UserFolder);
        QCOMPARE(Folders::shippedDataFolder(), root(QStringLiteral("/usr/share/tandel/data/")));

        AnswerBook book;
        book.add(QStringLiteral("TfrmTips"), [](QWidget* w) { clickButton(w, QStringLiteral("cmdOk")); });
        book.add(QStringLiteral("Tfrmopen"), [](QWidget* w) {
            clickButton(w, QStringLiteral("Newbtn"));
            setEditText(w, QStringLiteral("conameedit"), QStringLiteral("Harbour Bakery Ltd"));
            setEditText(w, QStringLiteral("cosbuedit"), QStringLiteral("Retail"));
            clickButton(w, QStringLiteral("Button3"));
        });
        book.add(QStringLiteral("TfrmNew"), [](QWidget* w) {
            setEditText(w, QStringLiteral("txtNewPlanName"), QStringLiteral("Packaged Plan"));
            clickButton(w, QStringLiteral("Button1"));
        });
        Application::startUp({0});
        QVERIFY2(book.allAnswered(), qPrintable(book.seen().join(QLatin1Char(','))));
        TfrmEdit* w = frmEdit;
        QVERIFY(w && w->PanelAll->isVisible());
        w->ATX321->setSelStart(w->ATX321->TextLength());
        QTest::keyClicks(w->ATX321, QStringLiteral(" Sourdough every morning"));
        w->PlanModified = true;
        QVERIFY(w->lifecycle()->mnuSaveClick());
        Application::shutDown();
        Folders::setProgramFolder(QString());
        Folders::setConfigFolder(QString());
        QVERIFY(QFileInfo::exists(userFolder() + QStringLiteral("userdata/2.mp")));

        const QString program = root(QStringLiteral("/usr/bin/tandel"));
        const Run listed = run(program, {QStringLiteral("--list-plans")}, m_user);
        QCOMPARE(listed.status, 0);
        QVERIFY2(listed.out.startsWith(QStringLiteral("Packaged Plan\t2\t")), qPrintable(listed.out));

        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("plan.pdf"));
        const Run exported = run(program,
                                 {QStringLiteral("--export"), pdf, QStringLiteral("--plan"), QStringLiteral("Packaged Plan")},
                                 m_user);
        QVERIFY2(exported.status == 0, qPrintable(exported.err));
        const QString text = pdfText(pdf).simplified();
        QVERIFY(text.contains(QStringLiteral("Sourdough every morning")));
        QVERIFY(text.contains(QStringLiteral("Harbour Bakery Ltd")));
        QCOMPARE(inventory(m_root.path()), before);
    }
};

QTEST_MAIN(TestPackage)
#include "tst_package.moc"
