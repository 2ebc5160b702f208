// Plan packages: a plan (or every plan) taken out whole and brought back into another data
// folder equal in every part, a name that is taken, hostile and future packages refused
// with nothing written, and an import that fails half-way leaving everything as it was.
#include "analysis/factorfile.h"
#include "app/commandline.h"
#include "app/editfrm.h"
#include "dialogs/dialogfrm.h"
#include "plans/catalogue.h"
#include "plans/lifecycle.h"
#include "plans/nagfrm.h"
#include "plans/newfrm.h"
#include "plans/openfrm.h"
#include "plans/packagecommands.h"
#include "plans/planpackage.h"
#include "platform/folders.h"
#include "platform/inifile.h"
#include "platform/safefile.h"
#include "support/modal.h"
#include "support/testenv.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QTest>

#include <zip.h>

#include <cerrno>

using namespace PlanPackage;

namespace {

const Analysis kAnalyses[] = {Analysis::Competitor, Analysis::StrengthWeakness,
                              Analysis::ImpactProbability};

// Every file of the data and user-data folders with its bytes (the lock file aside).
QMap<QString, QByteArray> snapshot(const TestEnv& env) {
    QMap<QString, QByteArray> out;
    for (const QString& folder : {env.dataFolder(), env.userDataFolder()}) {
        QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (path.endsWith(QLatin1String("tandel.lock"))) continue;
            out.insert(path, readFileBytes(path));
        }
    }
    return out;
}

void use(const TestEnv& env) { Folders::setProgramFolder(env.programFolder()); }

// A saved plan: its catalogue entry with every company detail, text and budget copied
// from the original plan (the text made distinct), and factors with scores in all three
// analyses.
void makePlan(const QString& name, const QString& tag, int factors = 3) {
    Catalogue cat;
    const int number = cat.takePlanNumber();
    cat.addPlan(name, number);
    CompanyDetails d;
    for (size_t i = 0; i < d.keys().size() && d.keys()[i]; ++i)
        d.values[i] = QStringLiteral("%1 %2").arg(QLatin1String(d.keys()[i]), tag);
    cat.writeDetails(name, d);
    const QString text = Folders::resolve(Folders::userDataFolder() + QString::number(number) + ".mp");
    QByteArray rtf = readFileBytes(Folders::resolve(Folders::userDataFolder() + "1.mp"));
    QVERIFY(rtf.startsWith("{\\rtf"));
    rtf.insert(rtf.lastIndexOf('}'), "\\par " + tag.toUtf8() + " own words");
    QVERIFY(writeFileBytes(text, rtf));
    QVERIFY(writeFileBytes(text + "s", readFileBytes(Folders::resolve(Folders::userDataFolder() + "1.mps")) +
                                           tag.toUtf8()));
    for (Analysis a : kAnalyses) {
        IniFile ini(FactorFile::path(a));
        for (int f = 0; f < factors; ++f) {
            const QString factor = QStringLiteral("%1 factor %2").arg(tag).arg(f);
            FactorFile::addFactor(ini, a, name, factor);
            ini.writeInteger(FactorFile::factorSection(name, factor), "w", 1 + f % 9);
        }
    }
}

// A plan's analysis sections as the file holds them, without its name.
QList<QStringList> analysisOf(Analysis a, const QString& plan) {
    QList<QStringList> out;
    const IniFile ini(FactorFile::path(a));
    for (const QString& f : FactorFile::names(ini, plan)) {
        QStringList values{f};
        const QString section = FactorFile::factorSection(plan, f);
        for (const QString& k : ini.keys(section))
            values << k + "=" + ini.readString(section, k);
        out << values;
    }
    return out;
}

struct PlanParts {
    QByteArray text, budget;
    CompanyDetails details;
    QList<QList<QStringList>> analyses;
};

PlanParts partsOf(const QString& plan) {
    PlanParts p;
    Catalogue cat;
    const QString file = cat.planTextFile(plan);
    p.text = readFileBytes(file);
    p.budget = readFileBytes(file + "s");
    p.details = cat.details(plan);
    for (Analysis a : kAnalyses)
        p.analyses << analysisOf(a, plan);
    return p;
}

void compareParts(const PlanParts& a, const PlanParts& b) {
    QVERIFY(!a.text.isEmpty());
    QCOMPARE(a.text, b.text);
    QCOMPARE(a.budget, b.budget);
    QCOMPARE(a.details.values, b.details.values);
    QCOMPARE(a.analyses, b.analyses);
}

Choice rename(const QString& name) { return Choice{Choice::Rename, name}; }

// A zip of the given entries, as a hostile package would be made.
struct Entry {
    QByteArray name;
    QByteArray bytes;
    bool store = false;
};
QByteArray zipOf(const QList<Entry>& entries) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* src = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(src);
    zip_t* zip = zip_open_from_source(src, ZIP_TRUNCATE, &error);
    for (const Entry& e : entries) {
        zip_source_t* data = zip_source_buffer(zip, e.bytes.constData(), zip_uint64_t(e.bytes.size()), 0);
        const zip_int64_t i = zip_file_add(zip, e.name.constData(), data, ZIP_FL_ENC_UTF_8);
        if (i < 0) qFatal("zip_file_add: %s", zip_strerror(zip));
        zip_set_file_compression(zip, zip_uint64_t(i), e.store ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 1);
    }
    if (zip_close(zip) != 0) qFatal("zip_close");
    zip_source_open(src);
    zip_source_seek(src, 0, SEEK_END);
    QByteArray out(zip_source_tell(src), Qt::Uninitialized);
    zip_source_seek(src, 0, SEEK_SET);
    zip_source_read(src, out.data(), zip_uint64_t(out.size()));
    zip_source_close(src);
    zip_source_free(src);
    return out;
}

QByteArray manifest(int format = 1, const QString& name = "Imported", int plans = 1) {
    QJsonArray list;
    for (int i = 0; i < plans; ++i)
        list.append(QJsonObject{{"name", plans == 1 ? name : QStringLiteral("%1 %2").arg(name).arg(i)},
                                {"details", QJsonObject{{"coname", "Acme"}, {"sbu", "Shop"}}}});
    return QJsonDocument(QJsonObject{{"format", format},
                                     {"program", "Tandel Zurozurov Irod"},
                                     {"version", format == 1 ? "1.0" : "2.3"},
                                     {"plans", list}})
        .toJson();
}

const QByteArray kText = "{\\rtf1\\ansi {\\fonttbl{\\f0 Arial;}}\\f0 Hello from the package\\par}";

// Sets the sizes the zip's headers give an entry (local and central), as a package that
// lies about them would.
void declareSize(QByteArray& zip, const QByteArray& name, quint32 size) {
    auto put = [&zip](qsizetype at, quint32 v) {
        for (int b = 0; b < 4; ++b) zip[at + b] = char((v >> (8 * b)) & 0xff);
    };
    for (qsizetype at = zip.indexOf("PK\x03\x04"); at >= 0; at = zip.indexOf("PK\x03\x04", at + 4))
        if (zip.mid(at + 30, name.size()) == name) put(at + 22, size);
    for (qsizetype at = zip.indexOf("PK\x01\x02"); at >= 0; at = zip.indexOf("PK\x01\x02", at + 4))
        if (zip.mid(at + 46, name.size()) == name) put(at + 24, size);
}

// Answers the windows an import opens, in whatever order they come: the file window with
// `file`, the name window with the next of `names`, each message with OK. Keeps what the
// name windows and the messages said.
struct ImportAnswers {
    QString file;
    QStringList names;
    QStringList asked, messages;
    QTimer timer;
    QPointer<QWidget> last;
    ImportAnswers(QString f, QStringList n) : file(std::move(f)), names(std::move(n)) {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            QWidget* w = QApplication::activeModalWidget();
            if (!w || !w->isVisible()) return;
            if (auto* d = qobject_cast<QFileDialog*>(w)) {
                if (auto* edit = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) edit->setText(file);
                QMetaObject::invokeMethod(d, "accept", Qt::DirectConnection);
            } else if (w->objectName() == QLatin1String("TfrmImportName")) {
                asked << child<QLabel>(w, "Label1")->text();
                setEditText(w, "txtNewPlanName", names.isEmpty() ? QString() : names.takeFirst());
                clickButton(w, names.isEmpty() && asked.size() > 3 ? "Button2" : "Button1");
            } else if (auto* m = qobject_cast<TfrmDialog*>(w); m && !m->endedByButton()) {
                messages << child<QLabel>(w, "dlgLabel")->text();
                clickButton(w, "cmdOk");
            }
        });
        timer.start(30);
    }
};

int runCommandLine(QStringList arguments) {
    arguments.prepend(QStringLiteral("tandel"));
    return CommandLine::run(arguments);
}

} // namespace

class TestPlanPackage : public QObject {
    Q_OBJECT
private slots:
    void roundTripIntoAnEmptyDataFolder() {
        TestEnv from;
        makePlan("Acme Ltd", "acme", 60);
        makePlan("Other", "other");
        const PlanParts original = partsOf("Acme Ltd");
        const auto before = snapshot(from);
        const QString file = from.programFolder() + "Acme.tzplan";
        QString error;
        QVERIFY2(exportPlan("Acme Ltd", file, &error), qPrintable(error));
        QCOMPARE(snapshot(from), before); // exporting writes nothing but the package

        TestEnv to; // a second data folder with no plan of its own
        QVERIFY(Catalogue().plans().isEmpty());
        const ReadResult read = readFile(file);
        QVERIFY2(read.ok, qPrintable(read.error));
        QCOMPARE(read.package.plans.size(), 1);
        QCOMPARE(read.package.plans[0].analyses[0].size(), 60);
        bool asked = false;
        const ImportResult done = import(read.package, [&](const QString&, const QString&, bool) {
            asked = true;
            return Choice{};
        });
        QVERIFY2(done.ok, qPrintable(done.error));
        QVERIFY(!asked);
        QCOMPARE(done.added, QStringList{"Acme Ltd"});
        QCOMPARE(Catalogue().plans(), QStringList{"Acme Ltd"});
        compareParts(partsOf("Acme Ltd"), original);
        // Nothing of the other plan came along.
        for (Analysis a : kAnalyses)
            QVERIFY(!readFileBytes(FactorFile::path(a)).contains("other factor"));
        // A new plan after it takes a number of its own.
        const int imported = Catalogue().fileNumberText("Acme Ltd").toInt();
        QVERIFY(imported > 1);
        QVERIFY(Catalogue().nextPlanNumber() > imported);

        use(from);
        QCOMPARE(snapshot(from), before); // the original untouched
    }

    void aTakenNameIsAskedForAndNothingIsOverwritten() {
        TestEnv env;
        makePlan("Acme", "acme");
        const PlanParts original = partsOf("Acme");
        const QString file = env.programFolder() + "p.tzplan";
        QString error;
        QVERIFY(exportPlan("Acme", file, &error));
        const ReadResult read = readFile(file);
        QVERIFY(read.ok);

        // Cancel: nothing changes.
        const auto before = snapshot(env);
        ImportResult r = import(read.package, [](const QString&, const QString&, bool) { return Choice{}; });
        QVERIFY(!r.ok && r.cancelled);
        QCOMPARE(snapshot(env), before);

        // The name in use, then one the new-plan window refuses, then a good one.
        QStringList problems;
        QStringList answers{"ACME", "Acme [2]", "Acme 2"};
        r = import(read.package, [&](const QString& name, const QString& problem, bool maySkip) {
            problems << name + ": " + problem;
            Q_UNUSED(maySkip);
            return rename(answers.takeFirst());
        });
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(problems, QStringList({"Acme: Plan name already exists.",
                                        "ACME: Plan name already exists.",
                                        "Acme [2]: Illegal character in plan name '['."}));
        QCOMPARE(Catalogue().plans(), QStringList({"Acme", "Acme 2"}));
        QVERIFY(Catalogue().fileNumberText("Acme 2") != Catalogue().fileNumberText("Acme"));
        compareParts(partsOf("Acme"), original);
        compareParts(partsOf("Acme 2"), original);
    }

    void restoreAddsWhatIsMissingAndAsksAboutEachName() {
        TestEnv env;
        makePlan("One", "one");
        makePlan("Two", "two");
        {
            Catalogue cat; // listed, never saved: no text to back up
            cat.addPlan("Unsaved", cat.takePlanNumber());
        }
        const PlanParts one = partsOf("One"), two = partsOf("Two");
        const QString file = env.programFolder() + "all.tzplan";
        QString error;
        QStringList leftOut;
        QVERIFY2(backUp(file, &error, &leftOut), qPrintable(error));
        QCOMPARE(leftOut, QStringList{"Unsaved"});

        // Into the same folder: each name is asked about; one skipped, one renamed.
        QStringList asked;
        ImportResult r = import(readFile(file).package, [&](const QString& name, const QString&, bool maySkip) {
            asked << name;
            if (!maySkip) return Choice{};
            return name == "One" ? Choice{Choice::Skip, {}} : rename("Two again");
        });
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(asked, QStringList({"One", "Two"}));
        QCOMPARE(r.skipped, QStringList{"One"});
        QCOMPARE(Catalogue().plans(), QStringList({"One", "Two", "Unsaved", "Two again"}));
        compareParts(partsOf("Two again"), two);

        // Into an empty folder: all of them, without a question.
        TestEnv other;
        r = import(readFile(file).package, {});
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(Catalogue().plans(), QStringList({"One", "Two"}));
        compareParts(partsOf("One"), one);
        compareParts(partsOf("Two"), two);
    }

    void theOpenWindowImportsAPackageAskingForATakenName() {
        TestEnv env;
        makePlan("Acme", "acme");
        const PlanParts original = partsOf("Acme");
        const QString file = env.programFolder() + "Acme.tzplan";
        QString error;
        QVERIFY(exportPlan("Acme", file, &error));

        planSession() = PlanSession{};
        TfrmNew newWindow;
        Tfrmopennag nag;
        Tfrmopen open;
        open.setWindows(&newWindow, &nag);
        open.show();
        QVERIFY(QTest::qWaitForWindowExposed(&open));
        auto* button = child<QPushButton>(&open, "btnImportPackage");
        QVERIFY(button);
        QCOMPARE(button->text(), QString("&Import Plan Package..."));
        ImportAnswers answers(file, {"Acme copy"});
        button->click();
        QCOMPARE(answers.asked.size(), 1);
        QVERIFY2(answers.asked[0].contains("Plan name already exists."), qPrintable(answers.asked[0]));
        QCOMPARE(answers.messages, QStringList{"The plan \"Acme copy\" has been added to your plans."});
        auto* list = child<QComboBox>(&open, "cmbfilename");
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->currentText(), QString("Acme copy"));
        QCOMPARE(child<QLineEdit>(&open, "conameedit")->text(), QString("coname acme"));
        compareParts(partsOf("Acme copy"), original);
        answers.timer.stop();

        // A hostile package: said why, nothing added.
        QVERIFY(writeFileBytes(file, zipOf({{"manifest.json", manifest()}, {"../x", "x"}})));
        const auto before = snapshot(env);
        ImportAnswers refused(file, {});
        button->click();
        QCOMPARE(refused.messages.size(), 1);
        QVERIFY2(refused.messages[0].contains("leads out of the package"), qPrintable(refused.messages[0]));
        QCOMPARE(snapshot(env), before);
        open.hide();
    }

    void theFileMenuExportsTheOpenPlanAsSaved() {
        TestEnv env;
        makePlan("Acme", "acme");
        const PlanParts original = partsOf("Acme");
        TfrmEdit win;
        auto* item = win.findChild<QAction*>("mnuExportPackage");
        QVERIFY(item);
        QCOMPARE(item->text(), QString("Export Plan Pa&ckage..."));
        QVERIFY(win.findChild<QAction*>("mnuBackUp"));
        QVERIFY(win.findChild<QAction*>("mnuRestore"));
        win.findChild<QMenu*>("mnuFile")->aboutToShow();
        QVERIFY(!item->isEnabled()); // no plan open

        planSession().CurrentPlanName = "Acme";
        win.lifecycle()->setPlanLoaded(true);
        win.PlanModified = true;
        win.findChild<QMenu*>("mnuFile")->aboutToShow();
        QVERIFY(item->isEnabled());
        const QString file = env.programFolder() + "menu.tzplan";
        // Asked whether to save first: No exports the plan as last saved.
        QStringList said;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            QWidget* w = QApplication::activeModalWidget();
            if (!w || !w->isVisible()) return;
            if (auto* d = qobject_cast<QFileDialog*>(w)) {
                d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(file);
                QMetaObject::invokeMethod(d, "accept", Qt::DirectConnection);
            } else if (auto* m = qobject_cast<TfrmDialog*>(w); m && !m->endedByButton()) {
                said << child<QLabel>(w, "dlgLabel")->text();
                clickButton(w, "cmdNo");
            }
        });
        timer.start(30);
        item->trigger();
        timer.stop();
        QCOMPARE(said.size(), 1);
        QVERIFY2(said[0].contains("Save the changes first?"), qPrintable(said[0]));
        const ReadResult read = readFile(file);
        QVERIFY2(read.ok, qPrintable(read.error));
        QCOMPARE(read.package.plans.size(), 1);
        QCOMPARE(read.package.plans[0].name, QString("Acme"));
        QCOMPARE(read.package.plans[0].text, original.text);
        QCOMPARE(read.package.plans[0].budget, original.budget);
        win.PlanModified = false;
        planSession() = PlanSession{};
    }

    void theCommandLineExportsAndImportsPackages() {
        TestEnv from;
        makePlan("Acme", "acme");
        const PlanParts original = partsOf("Acme");
        const QString file = from.programFolder() + "acme.tzplan";
        QCOMPARE(runCommandLine({"--export", file, "--plan", "acme"}), int(CommandLine::Done));
        QCOMPARE(runCommandLine({"--export", from.programFolder() + "x.tzplan", "--plan", "Acme",
                                 "--with-budget"}),
                 int(CommandLine::BadOption));

        TestEnv to;
        QCOMPARE(runCommandLine({"--import", file}), int(CommandLine::Done));
        compareParts(partsOf("Acme"), original);
        const auto before = snapshot(to);
        QCOMPARE(runCommandLine({"--import", file}), int(CommandLine::RefusedPackage)); // name taken
        QCOMPARE(runCommandLine({"--import", file, "--plan", "Acme"}), int(CommandLine::RefusedPackage));
        QCOMPARE(runCommandLine({"--import", file, "--plan", "Bad [name]"}), int(CommandLine::RefusedPackage));
        QCOMPARE(runCommandLine({"--import", file, "--paper", "A4"}), int(CommandLine::BadOption));
        QVERIFY(writeFileBytes(to.programFolder() + "bad.tzplan", "PK\x03\x04 not really"));
        QCOMPARE(runCommandLine({"--import", to.programFolder() + "bad.tzplan"}), int(CommandLine::RefusedPackage));
        QCOMPARE(snapshot(to), before);
        QCOMPARE(runCommandLine({"--import", file, "--plan", "Acme 2"}), int(CommandLine::Done));
        QCOMPARE(Catalogue().plans(), QStringList({"Acme", "Acme 2"}));
        compareParts(partsOf("Acme 2"), original);

        // Opened from the file manager: the windows start, with the import waiting for them.
        QCOMPARE(runCommandLine({file}), CommandLine::StartWindows);
        QCOMPARE(PackageCommands::takePendingImport(), file);
        QCOMPARE(PackageCommands::takePendingImport(), QString());
    }

    void hostilePackagesAreRefusedBeforeAnythingIsWritten_data() {
        QTest::addColumn<QByteArray>("zip");
        QTest::addColumn<QString>("says");
        const Entry m{"manifest.json", manifest()};
        const Entry t{"plan1/plan.rtf", kText};
        QTest::newRow("absolute path") << zipOf({m, t, {"/etc/cron.d/x", "x"}}) << "full path";
        QTest::newRow("drive path") << zipOf({m, t, {"C:/x", "x"}}) << "full path";
        QTest::newRow("dot dot") << zipOf({m, t, {"plan1/../../x", "x"}}) << "leads out of the package";
        QByteArray twice = zipOf({m, t, {"plan1/plan.rtX", kText}});
        twice.replace("plan1/plan.rtX", "plan1/plan.rtf");
        QTest::newRow("duplicate") << twice << "two files of the same name";
        QTest::newRow("duplicate by case") << zipOf({m, t, {"PLAN1/plan.rtf", kText}}) << "two files of the same name";
        QByteArray huge = zipOf({m, t});
        declareSize(huge, "plan1/plan.rtf", 250u << 20);
        QTest::newRow("plan text over 200 MB") << huge << "more than the 200 MB a plan's text can take";
        QList<Entry> many{m};
        for (int i = 1; i <= 6; ++i) many << Entry{QStringLiteral("plan%1/plan.rtf").arg(i).toUtf8(), kText};
        QByteArray big = zipOf(many);
        for (int i = 1; i <= 6; ++i) declareSize(big, QStringLiteral("plan%1/plan.rtf").arg(i).toUtf8(), 190u << 20);
        QTest::newRow("total over 1 GB") << big << "more than the 1024 MB a package can hold";
        QTest::newRow("ratio over 100") << zipOf({m, {"plan1/plan.rtf", "{\\rtf1 " + QByteArray(4 << 20, ' ') + "}"}})
                                        << "more than 100 times smaller";
        QByteArray crc = zipOf({m, {"plan1/plan.rtf", kText, true}});
        crc.replace("Hello from", "Hullo from");
        QTest::newRow("bad check sum") << crc << "check sum differs";
        QTest::newRow("newer format") << zipOf({{"manifest.json", manifest(2)}, t, {"plan1/pictures/a.png", "x"}})
                                      << "newer version of the program (2.3) in package format 2, and this "
                                         "version (1.0) reads package format 1 only. Please install version "
                                         "2.3 or later";
        QTest::newRow("unknown file") << zipOf({m, t, {"plan1/run.sh", "x"}}) << "no plan package has";
        QTest::newRow("no manifest") << zipOf({t}) << "no list of plans";
        QTest::newRow("not a zip") << QByteArray("{\\rtf1 just a plan}") << "not a plan package";
        QTest::newRow("plan name") << zipOf({{"manifest.json", manifest(1, "Titles")}, t})
                                   << "\"Titles\" cannot be stored";
        QTest::newRow("factor name") << zipOf({m, t, {"plan1/ca.ini", "[Titles]\r\nA - B=A - B\r\n"}})
                                     << "the factor \"A - B\" cannot be stored";
        QTest::newRow("factor bracket") << zipOf({m, t, {"plan1/sw.ini", "[Titles]\r\nA]=A]\r\n"}})
                                        << "cannot be stored";
        QTest::newRow("unlisted factor") << zipOf({m, t, {"plan1/ip.ini", "[Titles]\r\n[Extra]\r\nw=1\r\n"}})
                                         << "which its list does not name";
        QTest::newRow("detail with a line break")
            << zipOf({{"manifest.json", QByteArray(manifest()).replace("\"Acme\"", "\"Ac\\nme\"")}, t})
            << "company detail \"coname\"";
        QTest::newRow("not a plan text") << zipOf({m, {"plan1/plan.rtf", "MZ\x90"}}) << "is not a plan text";
    }

    void hostilePackagesAreRefusedBeforeAnythingIsWritten() {
        QFETCH(QByteArray, zip);
        QFETCH(QString, says);
        TestEnv env;
        const QString file = env.programFolder() + "hostile.tzplan";
        QVERIFY(writeFileBytes(file, zip));
        const auto before = snapshot(env);
        const ReadResult r = readFile(file);
        QVERIFY(!r.ok);
        QVERIFY2(r.error.contains(says), qPrintable(r.error));
        QVERIFY2(r.error.contains("Nothing has been changed."), qPrintable(r.error));
        QCOMPARE(read(zip, "hostile").ok, false);
        QCOMPARE(snapshot(env), before);
    }

    void aWriteFailureHalfWayLeavesEverythingAsItWas_data() {
        QTest::addColumn<QString>("failing");
        QTest::newRow("a budget") << ".mps";
        QTest::newRow("the second analysis file") << "sw.ini";
        QTest::newRow("the third analysis file") << "ip.ini";
        QTest::newRow("the list of plans, last") << "mp.ini";
    }

    void aWriteFailureHalfWayLeavesEverythingAsItWas() {
        QFETCH(QString, failing);
        TestEnv env;
        makePlan("One", "one");
        makePlan("Two", "two");
        const QString file = env.programFolder() + "all.tzplan";
        QString error;
        QVERIFY(backUp(file, &error));
        const ReadResult read = readFile(file);
        QVERIFY(read.ok);
        TestEnv other;
        makePlan("Mine", "mine");
        const auto before = snapshot(other);
        SafeFile::injectFault(ENOSPC, 10, failing);
        const ImportResult r = import(read.package, {});
        SafeFile::clearFault();
        QVERIFY(!r.ok);
        QVERIFY2(r.error.contains("No space left on device"), qPrintable(r.error));
        QVERIFY2(r.error.contains(failing), qPrintable(r.error));
        QVERIFY2(r.error.contains("Nothing has been imported"), qPrintable(r.error));
        QCOMPARE(snapshot(other), before);
        // And the same import goes through once the disk has room.
        QVERIFY(import(read.package, {}).ok);
        QCOMPARE(Catalogue().plans(), QStringList({"Mine", "One", "Two"}));
    }
};

QTEST_MAIN(TestPlanPackage)
#include "tst_planpackage.moc"
