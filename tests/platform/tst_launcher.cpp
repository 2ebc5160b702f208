#include "platform/launcher.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

// A small program that writes its command line to a file.
bool writeScript(const QString& path, const QString& out) {
    const QByteArray text = "#!/bin/sh\necho \"$@\" > '" + out.toUtf8() + "'\n";
    if (!writeFileBytes(path, text)) return false;
    return QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
}

struct OpenerSpy {
    QList<QUrl> urls;
    bool answer = true;
    OpenerSpy() {
        Launcher::setUrlOpener([this](const QUrl& u) {
            urls << u;
            return answer;
        });
    }
    ~OpenerSpy() { Launcher::setUrlOpener({}); }
};

} // namespace

class TestLauncher : public QObject {
    Q_OBJECT
private slots:
    void startsTheProgramFromTheProgramFolder() {
        TestEnv env;
        const QString out = env.programFolder() + "args.txt";
        QVERIFY(writeScript(env.programFolder() + "zivoro", out));
        OpenerSpy spy;
        // The Windows name finds the program without regard to case or ".exe".
        QCOMPARE(Launcher::findProgram("ZIVORO.EXE"), env.programFolder() + "zivoro");
        QCOMPARE(Launcher::start("ZIVORO.EXE", "http://example.com/home"),
                 Launcher::Outcome::Started);
        QTRY_VERIFY(readFileBytes(out).contains("http://example.com/home"));
        QVERIFY(spy.urls.isEmpty());
    }

    void searchesThePath() {
        TestEnv env;
        QTemporaryDir bin;
        const QString out = bin.filePath("path.txt");
        QVERIFY(writeScript(bin.filePath("WebTool"), out));
        const QByteArray oldPath = qgetenv("PATH");
        qputenv("PATH", "/nonexistent:" + bin.path().toUtf8() + ":" + oldPath);
        const QString found = Launcher::findProgram("webtool.exe");
        const auto outcome = Launcher::start("webtool.exe", QStringList{"a", "b c"});
        qputenv("PATH", oldPath);
        QCOMPARE(found, bin.filePath("WebTool"));
        QCOMPARE(outcome, Launcher::Outcome::Started);
        QTRY_COMPARE(readFileBytes(out), QByteArray("a b c\n"));
    }

    void opensTheAddressWhenTheProgramCannotStart() {
        TestEnv env;
        OpenerSpy spy;
        // Missing altogether.
        QCOMPARE(Launcher::start("ZIVORO.EXE", "http://example.com/home"),
                 Launcher::Outcome::OpenedAddress);
        QCOMPARE(spy.urls, QList<QUrl>{QUrl("http://example.com/home")});

        // There, but not a program.
        QVERIFY(writeFileBytes(env.programFolder() + "zivoro.exe", "not a program"));
        QVERIFY(Launcher::findProgram("zivoro.exe").isEmpty());
        QCOMPARE(Launcher::start("zivoro.exe", "www.example.com"),
                 Launcher::Outcome::OpenedAddress);
        QCOMPARE(spy.urls.size(), 2);
        QCOMPARE(spy.urls.last(), QUrl("http://www.example.com"));

        // A folder of that name is no program either.
        QVERIFY(QDir().mkpath(env.programFolder() + "tool"));
        QVERIFY(Launcher::findProgram("tool").isEmpty());
    }

    void nothingToOpenIsNotAnError() {
        TestEnv env;
        OpenerSpy spy;
        QCOMPARE(Launcher::start("ZIVORO.EXE", QString()), Launcher::Outcome::Nothing);
        QCOMPARE(Launcher::start(QString(), QString()), Launcher::Outcome::Nothing);
        QVERIFY(spy.urls.isEmpty());
        spy.answer = false; // the desktop has no handler for it
        QCOMPARE(Launcher::start("ZIVORO.EXE", "http://example.com"), Launcher::Outcome::Nothing);
        QCOMPARE(spy.urls.size(), 1);
    }

    void programGivenWithAFolder() {
        TestEnv env;
        QTemporaryDir dir;
        const QString out = dir.filePath("abs.txt");
        QVERIFY(writeScript(dir.filePath("launch"), out));
        OpenerSpy spy;
        QCOMPARE(Launcher::findProgram(dir.filePath("LAUNCH.EXE")), dir.filePath("launch"));
        QCOMPARE(Launcher::start(dir.filePath("Launch"), "x"), Launcher::Outcome::Started);
        QTRY_COMPARE(readFileBytes(out), QByteArray("x\n"));
    }
};

QTEST_MAIN(TestLauncher)
#include "tst_launcher.moc"
