// A disk that fails while the program writes: a folder that cannot be written, a file
// system that fills up, a write error half-way through a file. Each time the plan and the
// catalogue as last saved are intact and the user is told which file failed and why.

#include "app/editfrm.h"
#include "controls/sheet/sheetcontrol.h"
#include "controls/text/textcontrol.h"
#include "dialogs/dialogfrm.h"
#include "planbuilder.h"
#include "plans/catalogue.h"
#include "plans/lifecycle.h"
#include "plans/nagfrm.h"
#include "plans/newfrm.h"
#include "plans/openfrm.h"
#include "plans/plansession.h"
#include "platform/folders.h"
#include "platform/printerinfo.h"
#include "platform/safefile.h"
#include "support/modal.h"
#include "support/readonlyfolder.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <memory>

namespace {

// The main window with a three-section plan saved once to plan file `file`.
struct SavedPlan {
    std::unique_ptr<TfrmEdit> win;
    TextControl* text = nullptr;
    PlanLifecycle* life = nullptr;
    QByteArray saved;

    explicit SavedPlan(const QString& file) {
        win = std::make_unique<TfrmEdit>();
        win->resize(1000, 760);
        win->show();
        QVERIFY(QTest::qWaitForWindowExposed(win.get()));
        win->PanelAll->show();
        win->SetPlanControls(true);
        text = win->ATX321;
        life = win->lifecycle();
        text->adoptDocument(PlanBuilder::makePlan(3));
        text->setWriteProtect(0);
        text->setFileName(file);
        win->spread->setFileName(Catalogue::budgetFileOf(file));
        life->setPlanLoaded(true);
        QVERIFY(life->mnuSaveClick());
        saved = readFileBytes(file);
        QVERIFY(!saved.isEmpty());
    }
    // The user types, then saves; returns what the message said ("" when none came).
    QString typeAndSave() {
        text->setSelStart(text->TextLength());
        text->setSelLength(0);
        QTest::keyClicks(text, QStringLiteral(" Words typed after the last save"));
        win->PlanModified = true;
        QString said;
        ModalAnswer answer([&said](QWidget* w) {
            if (auto* l = child<QLabel>(w, QStringLiteral("dlgLabel"))) said = l->text();
            clickButton(w, QStringLiteral("cmdOk"));
        });
        const bool ok = life->mnuSaveClick();
        if (ok) said.clear();
        return said;
    }
};

// Nothing but the plan's own files in the folder: no temporary file left behind.
QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

bool isRefusal(const QString& reason) {
    return reason == QLatin1String("Permission denied") ||
           reason == QLatin1String("Read-only file system");
}

} // namespace

class TestDiskFaults : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { PrinterInfo::setNoPrinterForTesting(); }
    void cleanup() { SafeFile::clearFault(); }

    void writeErrorHalfWayKeepsTheLastSavedPlan() {
        TestEnv env;
        const QString file = env.userDataFolder() + QStringLiteral("5.mp");
        SavedPlan p(file);
        const QStringList before = filesIn(env.userDataFolder());
        const QString shown = p.text->toPlainText();

        // The disk fills up half-way through the text file.
        SafeFile::injectFault(ENOSPC, p.saved.size() / 2, QStringLiteral("5.mp"));
        const QString said = p.typeAndSave();
        QCOMPARE(said, QStringLiteral("An error occurred when saving this plan.\n") + file +
                           QStringLiteral(": No space left on device"));
        QCOMPARE(readFileBytes(file), p.saved);
        QCOMPARE(filesIn(env.userDataFolder()), before);
        QVERIFY(p.win->PlanModified);
        QVERIFY(p.text->toPlainText().endsWith(QStringLiteral("after the last save")));
        QVERIFY(p.win->PanelAll->isVisible());

        // The budget half-way: the message names the budget file.
        SafeFile::injectFault(EIO, 100, QStringLiteral("5.mps"));
        const QString budget = p.typeAndSave();
        QCOMPARE(budget, QStringLiteral("An error occurred when saving this plan.\n") + file +
                             QStringLiteral("s: Input/output error"));
        QVERIFY(p.win->PlanModified);

        // Space again: the save goes through.
        SafeFile::clearFault();
        QCOMPARE(p.typeAndSave(), QString());
        QVERIFY(!p.win->PlanModified);
        QVERIFY(readFileBytes(file) != p.saved);
    }

    void readOnlyFolderKeepsPlanAndCatalogue() {
        TestEnv env;
        const QString file = env.userDataFolder() + QStringLiteral("5.mp");
        SavedPlan p(file);
        {
            ReadOnlyFolder plans(env.userDataFolder());
            if (!plans.isReadOnly()) QSKIP("this user can write into any folder and may not mount");
            const QString said = p.typeAndSave();
            QVERIFY2(said.startsWith(QStringLiteral("An error occurred when saving this plan.\n") +
                                     file + QStringLiteral(": ")),
                     qPrintable(said));
            QVERIFY2(isRefusal(said.section(QStringLiteral(": "), -1)), qPrintable(said));
            QCOMPARE(readFileBytes(file), p.saved);
            QVERIFY(p.win->PlanModified);
        }

        // The catalogue in a folder that cannot be written: a new plan is refused with
        // the file and the reason, and the catalogue keeps every byte.
        planSession() = PlanSession{};
        TfrmNew newWindow;
        Tfrmopennag nag;
        Tfrmopen open;
        open.setWindows(&newWindow, &nag);
        const QString catalogue = Catalogue::defaultFileName();
        const QByteArray catalogueBefore = readFileBytes(catalogue);
        ReadOnlyFolder data(env.dataFolder());
        QString said;
        QTimer messages;
        QObject::connect(&messages, &QTimer::timeout, [&said] {
            auto* w = qobject_cast<TfrmDialog*>(QApplication::activeModalWidget());
            if (!w || !w->isVisible() || w->endedByButton()) return;
            if (auto* l = child<QLabel>(w, QStringLiteral("dlgLabel"))) said = l->text();
            clickButton(w, QStringLiteral("cmdOk"));
        });
        messages.start(10);
        ModalAnswer answer([](QWidget* w) {
            setEditText(w, QStringLiteral("txtNewPlanName"), QStringLiteral("Second plan"));
            clickButton(w, QStringLiteral("Button1")); // OK: refused, the window stays
            clickButton(w, QStringLiteral("Button2")); // then Cancel
        });
        open.NewbtnClick();
        QVERIFY2(answer.wasAnswered(), qPrintable(answer.failure()));
        const QString path = QDir::toNativeSeparators(catalogue);
        QVERIFY2(said.startsWith(QStringLiteral("Unable to write to ") + path + QLatin1Char('\n') +
                                 path + QStringLiteral(": ")),
                 qPrintable(said));
        QVERIFY2(isRefusal(said.section(QStringLiteral(": "), -1)), qPrintable(said));
        data.release();
        QCOMPARE(readFileBytes(catalogue), catalogueBefore);
        QVERIFY(!Catalogue().contains(QStringLiteral("Second plan")));
    }

    // A real file system that runs out of room (a small one mounted for the test).
    void fullFileSystemKeepsTheLastSavedPlan() {
        TestEnv env;
        const QString folder = env.programFolder() + QStringLiteral("small");
        SmallDisk disk(folder, 256);
        if (!disk.isMounted()) QSKIP("this user may not mount a small file system");
        const QString file = folder + QStringLiteral("/5.mp");
        SavedPlan p(file);
        // Fill what is left.
        {
            QFile filler(folder + QStringLiteral("/filler"));
            QVERIFY(filler.open(QIODevice::WriteOnly));
            const QByteArray block(4096, 'x');
            while (filler.write(block) == block.size() && filler.flush()) {
            }
        }
        // The typed text makes the plan longer than any room a rounding left.
        for (int i = 0; i < 20; ++i) p.text->setSelText(QStringLiteral("More words in the plan. "));
        const QString said = p.typeAndSave();
        QCOMPARE(said, QStringLiteral("An error occurred when saving this plan.\n") + file +
                           QStringLiteral(": No space left on device"));
        QCOMPARE(readFileBytes(file), p.saved);
        QCOMPARE(filesIn(folder), (QStringList{QStringLiteral("5.mp"), QStringLiteral("5.mps"),
                                              QStringLiteral("filler")}));
    }
};

QTEST_MAIN(TestDiskFaults)
#include "tst_diskfaults.moc"
