// tandel_datagen: compiles the readable template sources into the data the program
// ships with, and seeds the user's folders with what must exist before the first run.
//
//   tandel_datagen --source <data/template> --data <bin/data> --userdata <bin/userdata>
//                  --state <folder for the tool's own records> [--check]

#include "compiler.h"

#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

using namespace Datagen;

static void print(FILE* to, const QString& s) {
    std::fputs(qPrintable(s + QLatin1Char('\n')), to);
}

int main(int argc, char* argv[]) {
    // Documents are laid out with fonts, which needs a GUI application, but never a screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser cmd;
    cmd.setApplicationDescription(QStringLiteral("Compiles the marketing plan template."));
    cmd.addHelpOption();
    const QCommandLineOption source(QStringLiteral("source"), QStringLiteral("Template sources."),
                                    QStringLiteral("dir"));
    const QCommandLineOption data(QStringLiteral("data"), QStringLiteral("Data folder to lay out."),
                                  QStringLiteral("dir"));
    const QCommandLineOption userdata(QStringLiteral("userdata"),
                                      QStringLiteral("User-data folder to seed."),
                                      QStringLiteral("dir"));
    const QCommandLineOption state(QStringLiteral("state"),
                                   QStringLiteral("Folder for the records of seeded files."),
                                   QStringLiteral("dir"));
    const QCommandLineOption check(QStringLiteral("check"),
                                   QStringLiteral("Only check the sources; write nothing."));
    cmd.addOptions({source, data, userdata, state, check});
    cmd.process(app);
    if (!cmd.isSet(source) ||
        (!cmd.isSet(check) && (!cmd.isSet(data) || !cmd.isSet(userdata) || !cmd.isSet(state)))) {
        print(stderr, QStringLiteral("tandel_datagen: --source is required, and --data, "
                                     "--userdata and --state unless --check is given"));
        return 2;
    }

    CompiledTemplate compiled;
    Issues issues;
    if (!compileTemplate(cmd.value(source), &compiled, &issues)) {
        issues += compiled.warnings;
        for (const Issue& issue : std::as_const(issues))
            print(stderr, issue.toString());
        print(stderr, QStringLiteral("tandel_datagen: the template has %1 error(s); nothing "
                                     "was written")
                          .arg(issues.size()));
        return 1;
    }
    QByteArray budget;
    if (!compileBudget(cmd.value(source), &budget, &issues)) {
        for (const Issue& issue : std::as_const(issues))
            print(stderr, issue.toString());
        print(stderr, QStringLiteral("tandel_datagen: the budget template has %1 error(s); nothing "
                                     "was written")
                          .arg(issues.size()));
        return 1;
    }
    for (const Issue& warning : std::as_const(compiled.warnings))
        print(stderr, warning.toString());
    if (cmd.isSet(check)) return 0;

    const QString dataDir = QDir(cmd.value(data)).absolutePath();
    const QString userDir = QDir(cmd.value(userdata)).absolutePath();
    const QString stateDir = QDir(cmd.value(state)).absolutePath();
    QString error;
    int written = 0;
    for (auto it = compiled.dataFiles.cbegin(); it != compiled.dataFiles.cend(); ++it) {
        bool changed = false;
        if (!writeIfChanged(dataDir + QLatin1Char('/') + it.key(), it.value(), &changed, &error)) {
            print(stderr, QStringLiteral("tandel_datagen: ") + error);
            return 1;
        }
        written += changed ? 1 : 0;
    }
    removeStaleGuidance(dataDir, compiled.sectionCount);

    struct Seed {
        QString path;
        QByteArray bytes;
        QString record;
    };
    const Seed seeds[] = {
        {userDir + QStringLiteral("/1.mp"), compiled.originalPlan,
         stateDir + QStringLiteral("/1.mp.seeded")},
        // The budget template beside it, seeded and refreshed the same way.
        {userDir + QStringLiteral("/1.mps"), budget, stateDir + QStringLiteral("/1.mps.seeded")},
        // The catalogue is the user's from the first run on: only ever created.
        {dataDir + QStringLiteral("/mp.ini"), compiled.catalogue, QString()},
    };
    for (const Seed& s : seeds) {
        switch (seedFile(s.path, s.bytes, s.record, &error)) {
        case SeedResult::Failed:
            print(stderr, QStringLiteral("tandel_datagen: ") + error);
            return 1;
        case SeedResult::KeptUsersFile:
            print(stdout, QStringLiteral("tandel_datagen: %1 has been edited; kept as it is "
                                         "(delete it to take the new template)")
                              .arg(s.path));
            break;
        case SeedResult::Written:
        case SeedResult::Updated:
            ++written;
            break;
        case SeedResult::Unchanged:
            break;
        }
    }
    print(stdout, QStringLiteral("tandel_datagen: %1 sections, %2 file(s) updated")
                      .arg(compiled.sectionCount)
                      .arg(written));
    return 0;
}
