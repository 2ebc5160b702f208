// Writes the benchmarks' plan of N paper pages into a program folder as a plan of the
// catalogue, so that whole-program benchmarks (bench/compare-libreoffice.sh) can open it:
//
//     tandel_benchplan <program folder> <pages> [<plan name>]
//
// The folder holds data/ and userdata/ as the build lays them out. The plan gets the next
// plan number, the generated text (no settings header: the default one-inch margins) and a
// copy of the budget template. Prints the plan's file number.

#include "controls/text/textcontrol.h"
#include "plans/catalogue.h"
#include "platform/folders.h"
#include "platform/printerinfo.h"
#include "printing/pagegeometry.h"
#include "support/paperplan.h"

#include <QApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 3 || args.at(2).toInt() <= 0) {
        std::fprintf(stderr, "usage: tandel_benchplan <program folder> <pages> [<plan name>]\n");
        return 1;
    }
    Folders::setProgramFolder(args.at(1));
    const int pages = args.at(2).toInt();
    const QString name = args.size() > 3 ? args.at(3) : QStringLiteral("Benchmark Plan");

    // The page the export will lay the plan out on: the printer's, or the fallback page.
    PageGeometry geometry;
    geometry.fitTo(PrinterInfo::instance().printablePageInches());
    TextControl text;
    adoptPlanOfPaperPages(text, geometry, pages);

    Catalogue catalogue(Catalogue::defaultFileName());
    if (catalogue.contains(name)) {
        std::fprintf(stderr, "tandel_benchplan: the catalogue already has a plan of that name\n");
        return 1;
    }
    const int number = catalogue.takePlanNumber();
    const QString file =
        Folders::resolve(Folders::userDataFolder() + QString::number(number) + QStringLiteral(".mp"));
    if (!text.saveFile(file, TextControl::NativeRtf)) {
        std::fprintf(stderr, "tandel_benchplan: %s\n", qPrintable(text.lastFileFailure()));
        return 1;
    }
    const QString budget = Catalogue::budgetFileOf(file);
    QFile::remove(budget);
    if (!QFile::copy(Folders::resolve(Folders::userDataFolder() + QStringLiteral("1.mps")), budget)) {
        std::fprintf(stderr, "tandel_benchplan: the budget template could not be copied\n");
        return 1;
    }
    catalogue.addPlan(name, number);
    CompanyDetails details;
    details["coname"] = QStringLiteral("Benchmark Ltd");
    details["sbu"] = QStringLiteral("Retail");
    catalogue.writeDetails(name, details);
    std::printf("%d\n", number);
    return 0;
}
