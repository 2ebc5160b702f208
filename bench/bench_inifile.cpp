// The plan catalogue at its largest: 2,000 plans, each listed in `titles` and holding a
// section of company details. Times reading it, changing one value (which rewrites the
// whole file atomically) and listing the plans.
#include "platform/inifile.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int kPlans = 2000;

QString planName(int i) {
    return QStringLiteral("Marketing plan %1 for Company %2").arg(i).arg(i * 7 % 1000);
}

const QString& catalogue() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString p = dir.filePath(QStringLiteral("mp.ini"));
        QByteArray out;
        out += "[titles]\r\n";
        for (int i = 1; i <= kPlans; ++i)
            out += (planName(i) + QLatin1Char('=') + planName(i)).toUtf8() + "\r\n";
        out += "\r\n[counter]\r\nno=" + QByteArray::number(kPlans + 2) + "\r\n";
        for (int i = 1; i <= kPlans; ++i) {
            const QByteArray n = QByteArray::number(i);
            out += "\r\n[" + planName(i).toUtf8() + "]\r\n";
            out += "filename=" + QByteArray::number(i + 1) + "\r\n";
            out += "coname=Company " + n + " Limited\r\n";
            out += "address1=" + n + " High Street\r\naddress2=Business Park\r\naddress3=Leeds\r\n";
            out += "address4=West Yorkshire\r\naddress5=LS1 " + n + "AB\r\n";
            out += "md=Managing Director " + n + "\r\nauthor=Author " + n + "\r\n";
            out += "tel=0113 496 " + n + "\r\nfax=0113 497 " + n + "\r\ncreated=07/12/2026\r\n";
            out += "p1=Widgets\r\np2=Gadgets\r\np3=Servicing\r\np4=Training\r\np5=Consulting\r\n";
            out += "c1=Competitor A" + n + "\r\nc2=Competitor B" + n + "\r\nc3=Competitor C" + n +
                   "\r\n";
            out += "sbu=Northern region\r\n";
        }
        QFile f(p);
        if (f.open(QIODevice::WriteOnly)) f.write(out);
        return p;
    }();
    return path;
}

void BM_ReadCatalogue(benchmark::State& state) {
    const QString path = catalogue();
    for (auto _ : state) {
        IniFile ini(path);
        benchmark::DoNotOptimize(ini.readString(planName(1000), QStringLiteral("coname")));
    }
    state.counters["bytes"] = double(QFile(path).size());
}
BENCHMARK(BM_ReadCatalogue)->Unit(benchmark::kMillisecond);

void BM_WriteOneKey(benchmark::State& state) {
    const QString path = catalogue();
    IniFile ini(path);
    int i = 0;
    for (auto _ : state)
        ini.writeString(planName(1000), QStringLiteral("tel"), QString::number(++i));
}
BENCHMARK(BM_WriteOneKey)->Unit(benchmark::kMillisecond);

// Opening the file, writing a key and dropping it: what each catalogue change costs.
void BM_OpenWriteOneKey(benchmark::State& state) {
    const QString path = catalogue();
    int i = 0;
    for (auto _ : state) {
        IniFile ini(path);
        ini.writeInteger(QStringLiteral("counter"), QStringLiteral("no"), ++i);
    }
}
BENCHMARK(BM_OpenWriteOneKey)->Unit(benchmark::kMillisecond);

void BM_KeysOfTitles(benchmark::State& state) {
    IniFile ini(catalogue());
    for (auto _ : state) {
        const QStringList keys = ini.keys(QStringLiteral("titles"));
        if (keys.size() != kPlans) state.SkipWithError("wrong number of plans");
        benchmark::DoNotOptimize(keys.size());
    }
}
BENCHMARK(BM_KeysOfTitles)->Unit(benchmark::kMicrosecond);

void BM_ReadCompanyDetails(benchmark::State& state) {
    IniFile ini(catalogue());
    const QString section = planName(1999);
    for (auto _ : state)
        for (const QString& key : ini.keys(section))
            benchmark::DoNotOptimize(ini.readString(section, key));
}
BENCHMARK(BM_ReadCompanyDetails)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
