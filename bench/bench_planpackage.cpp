// A plan package of a 300-page plan with a full budget and 60 factors in each analysis:
// exporting it (reading the plan's files and sections, packing, writing the package) and
// importing it (reading and checking the package, writing the plan's files, the three
// analysis files and the catalogue). The owner waits for both; the aim is under 200 ms
// each.

#include "analysis/factorfile.h"
#include "controls/sheet/sheetcontrol.h"
#include "controls/text/textcontrol.h"
#include "plans/catalogue.h"
#include "plans/planpackage.h"
#include "platform/folders.h"
#include "platform/inifile.h"
#include "platform/printerinfo.h"
#include "printing/pagegeometry.h"
#include "support/paperplan.h"
#include "support/programcopy.h"
#include "support/qtbenchmain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kPages = 300;
constexpr int kFactors = 60;
const QString kPlan = QStringLiteral("Benchmark Ltd");

// A program folder holding the plan, and its package.
struct Setup {
    QTemporaryDir dir;
    QString package;
    QByteArray catalogue;
    std::array<QByteArray, 3> analyses;
    qint64 textBytes = 0;

    Setup() {
        useProgramCopy(dir.path());
        Catalogue catalogue(Catalogue::defaultFileName());
        const int number = catalogue.takePlanNumber();
        const QString file = Folders::resolve(Folders::userDataFolder() + QString::number(number) + ".mp");
        PageGeometry geometry;
        geometry.fitTo(PrinterInfo::instance().printablePageInches());
        TextControl text;
        adoptPlanOfPaperPages(text, geometry, kPages);
        text.saveFile(file, TextControl::NativeRtf);
        textBytes = QFileInfo(file).size();

        // Every month of every row of the budget filled in.
        SheetControl sheet;
        sheet.Read(Folders::resolve(Folders::userDataFolder() + "1.mps"));
        for (int row = 1; row <= 120; ++row)
            for (int col = 2; col <= 14; ++col)
                if (sheet.CellEntry(row, col).isEmpty())
                    sheet.SetCellText(row, col, QString::number(row * 37 + col * 11));
        sheet.Write(Catalogue::budgetFileOf(file), 1);

        catalogue.addPlan(kPlan, number);
        CompanyDetails details;
        details["coname"] = QStringLiteral("Benchmark Ltd");
        details["sbu"] = QStringLiteral("Retail");
        details["author"] = QStringLiteral("A. Owner");
        catalogue.writeDetails(kPlan, details);
        for (Analysis a : {Analysis::Competitor, Analysis::StrengthWeakness, Analysis::ImpactProbability}) {
            IniFile ini(FactorFile::path(a));
            ini.beginBatch();
            for (int f = 0; f < kFactors; ++f) {
                const QString name = QStringLiteral("Key factor number %1").arg(f + 1);
                FactorFile::addFactor(ini, a, kPlan, name);
                ini.writeInteger(FactorFile::factorSection(kPlan, name), "w", 1 + f % 9);
            }
            ini.commit();
        }
        package = dir.path() + QStringLiteral("/plan.tzplan");
        QString error;
        if (!PlanPackage::exportPlan(kPlan, package, &error)) qFatal("%s", qPrintable(error));
        // What an import changes, to put back between runs.
        this->catalogue = readAll(Catalogue::defaultFileName());
        analyses = {readAll(FactorFile::path(Analysis::Competitor)),
                    readAll(FactorFile::path(Analysis::StrengthWeakness)),
                    readAll(FactorFile::path(Analysis::ImpactProbability))};
    }

    static QByteArray readAll(const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void writeAll(const QString& file, const QByteArray& bytes) {
        QFile f(file);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(bytes);
    }

    // The data folder as before the import.
    void undoImport(const QStringList& added) {
        for (const QString& name : added) {
            const QString file = Catalogue().planTextFile(name);
            QFile::remove(file);
            QFile::remove(Catalogue::budgetFileOf(file));
        }
        writeAll(Catalogue::defaultFileName(), catalogue);
        writeAll(FactorFile::path(Analysis::Competitor), analyses[0]);
        writeAll(FactorFile::path(Analysis::StrengthWeakness), analyses[1]);
        writeAll(FactorFile::path(Analysis::ImpactProbability), analyses[2]);
    }
};

std::unique_ptr<Setup> g_setup;

void BM_ExportPlanPackage(benchmark::State& state) {
    const QString out = g_setup->dir.path() + QStringLiteral("/out.tzplan");
    for (auto _ : state) {
        QString error;
        if (!PlanPackage::exportPlan(kPlan, out, &error)) state.SkipWithError(qPrintable(error));
    }
    state.counters["text_MB"] = double(g_setup->textBytes) / (1 << 20);
    state.counters["package_MB"] = double(QFileInfo(out).size()) / (1 << 20);
}
BENCHMARK(BM_ExportPlanPackage)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ImportPlanPackage(benchmark::State& state) {
    for (auto _ : state) {
        const PlanPackage::ReadResult read = PlanPackage::readFile(g_setup->package);
        if (!read.ok) state.SkipWithError(qPrintable(read.error));
        const PlanPackage::ImportResult done = PlanPackage::import(
            read.package, [](const QString&, const QString&, bool) {
                return PlanPackage::Choice{PlanPackage::Choice::Rename, QStringLiteral("Imported copy")};
            });
        if (!done.ok) state.SkipWithError(qPrintable(done.error));
        state.PauseTiming();
        g_setup->undoImport(done.added);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ImportPlanPackage)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char** argv) {
    return runWidgetBenchmarks(argc, argv, [] { g_setup = std::make_unique<Setup>(); },
                               [] { g_setup.reset(); });
}
