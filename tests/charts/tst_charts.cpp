// The charts of the analyses and of the budget: each chart's series hold what the
// analysis (or the budget sheet) it was drawn from holds, read before drawing; and each
// is drawn as a print-resolution picture of its size.
#include "analysis/factorfile.h"
#include "analysis/grids.h"
#include "budget/actuals.h"
#include "charts/chartdata.h"
#include "charts/chartfigure.h"
#include "charts/chartrender.h"
#include "controls/sheet/sheetfile.h"
#include "controls/sheet/sheetmodel.h"
#include "platform/inifile.h"
#include "support/testenv.h"
#include "../analysis/freshfiles.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QDir>
#include <QHorizontalBarSeries>
#include <QHorizontalStackedBarSeries>
#include <QLineSeries>
#include <QScatterSeries>
#include <QStackedBarSeries>
#include <QTest>

namespace {

const QString kPlan = QStringLiteral("Acme Plan");

void addCompetitorFactor(const QString& name, int w, const QList<int>& ratings) {
    IniFile ini(FactorFile::path(Analysis::Competitor));
    FactorFile::addFactor(ini, Analysis::Competitor, kPlan, name);
    const QString section = FactorFile::factorSection(kPlan, name);
    ini.writeInteger(section, "w", w);
    for (int p = 0; p < 4; ++p)
        ini.writeInteger(section, QStringLiteral("s%1").arg(p + 1), ratings[p]);
}

void addScored(Analysis a, const QString& name, int w, int i) {
    IniFile ini(FactorFile::path(a));
    FactorFile::addFactor(ini, a, kPlan, name);
    ini.writeInteger(FactorFile::factorSection(kPlan, name), "w", w);
    ini.writeInteger(FactorFile::factorSection(kPlan, name), "i", i);
}

Grid factorScoreGrid(Analysis a) {
    IniFile ini(FactorFile::path(a));
    return buildFactorScoreGrid(ini, kPlan, FactorFile::names(ini, kPlan)).rows;
}

template <typename Series>
Series* onlySeries(QChart* chart) {
    Series* found = nullptr;
    for (QAbstractSeries* s : chart->series())
        if (auto* t = qobject_cast<Series*>(s)) {
            if (found) return nullptr;
            found = t;
        }
    return found;
}

QList<double> values(const QBarSet* set) {
    QList<double> out;
    for (int i = 0; i < set->count(); ++i)
        out << set->at(i);
    return out;
}

// The names along the axis as a reader reads them: long ones are broken onto two lines.
QStringList categories(QChart* chart) {
    for (QAbstractAxis* axis : chart->axes())
        if (auto* c = qobject_cast<QBarCategoryAxis*>(axis))
            return c->categories().replaceInStrings(QStringLiteral("<br>"), QStringLiteral(" "));
    return {};
}

// Horizontal bars run up from the foot of the axis: as a reader reads them, from the top.
template <typename T>
QList<T> fromTop(const QList<T>& list) {
    return QList<T>(list.rbegin(), list.rend());
}
QList<double> valuesFromTop(const QBarSet* set) {
    return fromTop(values(set));
}
QStringList categoriesFromTop(QChart* chart) {
    return fromTop(categories(chart));
}

QList<QPointF> points(const QXYSeries* s) {
    return s ? s->points() : QList<QPointF>();
}

// A picture of the figure's size at 300 dots an inch, with the chart's colours in it.
void checkPicture(const ChartFigure& figure, const char* name) {
    const QImage image = renderFigure(figure);
    // For looking at them: TANDEL_CHART_PICTURES=<folder> keeps each picture there.
    const QString folder = qEnvironmentVariable("TANDEL_CHART_PICTURES");
    if (!folder.isEmpty()) QVERIFY(image.save(QDir(folder).filePath(QLatin1String(name) + ".png")));
    QCOMPARE(image.size(), QSize(qRound(figure.inches.width() * 300), qRound(figure.inches.height() * 300)));
    QCOMPARE(image.dotsPerMeterX(), 11811);
    QCOMPARE(image.dotsPerMeterY(), 11811);
    // Not blank: text and axes in dark ink, and bars or markers in colour.
    qint64 dark = 0, coloured = 0;
    for (int y = 0; y < image.height(); y += 2) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); x += 2) {
            const QColor c = QColor::fromRgb(line[x]);
            if (c.lightness() < 80) ++dark;
            else if (c.hsvSaturation() > 100) ++coloured;
        }
    }
    QVERIFY2(dark > 2000, name);
    QVERIFY2(coloured > 300, name);
}

} // namespace

class TestCharts : public QObject {
    Q_OBJECT
private slots:
    void competitorScoresAndTotals() {
        TestEnv env;
        removeAnalysisFiles();
        addCompetitorFactor("Price", 60, {7, 3, 0, 10});
        addCompetitorFactor("Service", 40, {5, 8, 2, 1});
        IniFile ini(FactorFile::path(Analysis::Competitor));
        const Grid grid = buildCompetitorGrid(ini, kPlan, FactorFile::names(ini, kPlan)).rows;
        const ChartFigure figure = competitorChart(competitorChartData(grid));

        auto* series = onlySeries<QHorizontalBarSeries>(figure.chart());
        QVERIFY(series);
        QCOMPARE(categoriesFromTop(figure.chart()), QStringList({"Price", "Service", "Totals"}));
        QCOMPARE(series->count(), 4);
        QCOMPARE(series->barSets()[0]->label(), QString("Our company"));
        QCOMPARE(series->barSets()[3]->label(), QString("Competitor 'C'"));
        QCOMPARE(valuesFromTop(series->barSets()[0]), QList<double>({420, 200, 620}));
        QCOMPARE(valuesFromTop(series->barSets()[1]), QList<double>({180, 320, 500}));
        QCOMPARE(valuesFromTop(series->barSets()[2]), QList<double>({0, 80, 80}));
        QCOMPARE(valuesFromTop(series->barSets()[3]), QList<double>({600, 40, 640}));
        QVERIFY(!figure.chart()->title().isEmpty());
        checkPicture(figure, "competitor");
    }

    // Ranked from weakest (at the top) to strongest, equal values in the order the factors were made.
    void strengthsAndWeaknessesRanked() {
        TestEnv env;
        removeAnalysisFiles();
        addScored(Analysis::StrengthWeakness, "Location", 4, 3);    // 12
        addScored(Analysis::StrengthWeakness, "Staff", 2, -2);      // -4
        addScored(Analysis::StrengthWeakness, "Stock", 5, 0);       // 0
        addScored(Analysis::StrengthWeakness, "Reputation", 6, 5);  // 30
        addScored(Analysis::StrengthWeakness, "Opening hours", 1, 0); // 0
        const ChartFigure figure = strengthWeaknessChart(rankedFactors(factorScoreGrid(Analysis::StrengthWeakness)));

        auto* series = onlySeries<QHorizontalStackedBarSeries>(figure.chart());
        QVERIFY(series);
        QCOMPARE(categoriesFromTop(figure.chart()),
                 QStringList({"Staff", "Stock", "Opening hours", "Location", "Reputation"}));
        QCOMPARE(valuesFromTop(series->barSets()[0]), QList<double>({0, 0, 0, 12, 30}));
        QCOMPARE(valuesFromTop(series->barSets()[1]), QList<double>({-4, 0, 0, 0, 0}));
        checkPicture(figure, "strengthweakness");
    }

    void impactAgainstProbability() {
        TestEnv env;
        removeAnalysisFiles();
        addScored(Analysis::ImpactProbability, "New housing estate", 10, 5);
        addScored(Analysis::ImpactProbability, "Interest rates rise", 3, 0);
        addScored(Analysis::ImpactProbability, "Rival opens nearby", 4, -2);
        addScored(Analysis::ImpactProbability, "Road works", 4, -2);
        const ChartFigure figure = impactProbabilityChart(riskPoints(factorScoreGrid(Analysis::ImpactProbability)));

        QList<QScatterSeries*> scatter;
        for (QAbstractSeries* s : figure.chart()->series())
            if (auto* t = qobject_cast<QScatterSeries*>(s)) scatter << t;
        QCOMPARE(scatter.size(), 2);
        QCOMPARE(points(scatter[0]), QList<QPointF>({{10, 5}}));
        QCOMPARE(points(scatter[1]), QList<QPointF>({{3, 0}, {4, -2}, {4, -2}}));
        // Every factor named beside its point; two on one point share a note.
        QStringList notes;
        for (const ChartNote& n : figure.notes)
            notes << QStringLiteral("%1,%2 %3").arg(n.value.x()).arg(n.value.y()).arg(n.text);
        QCOMPARE(notes, QStringList({"3,0 Interest rates rise", "4,-2 Rival opens nearby\nRoad works",
                                     "10,5 New housing estate"}));
        checkPicture(figure, "impactprobability");
    }

    void swotQuarters() {
        TestEnv env;
        removeAnalysisFiles();
        addScored(Analysis::StrengthWeakness, "Location", 4, 3);
        addScored(Analysis::StrengthWeakness, "Staff", 2, -2);
        addScored(Analysis::StrengthWeakness, "Reputation", 6, 5);
        addScored(Analysis::ImpactProbability, "New housing estate", 10, 5);
        addScored(Analysis::ImpactProbability, "Rival opens nearby", 4, -2);
        const Grid grid = buildSwotGrid(swotEntries(IniFile(FactorFile::path(Analysis::StrengthWeakness)), kPlan),
                                        swotEntries(IniFile(FactorFile::path(Analysis::ImpactProbability)), kPlan));
        const ChartFigure figure = swotChart(swotChartData(grid));

        QCOMPARE(int(figure.charts.size()), 4);
        const QStringList titles{"Strengths", "Weaknesses", "Opportunities", "Threats"};
        const QList<QStringList> names{{"Reputation", "Location"}, {"Staff"}, {"New housing estate"},
                                       {"Rival opens nearby"}};
        const QList<QList<double>> scores{{30, 12}, {-4}, {50}, {-8}};
        for (int q = 0; q < 4; ++q) {
            QCOMPARE(figure.chart(q)->title(), titles[q]);
            auto* series = onlySeries<QHorizontalBarSeries>(figure.chart(q));
            QVERIFY(series);
            QCOMPARE(categoriesFromTop(figure.chart(q)), names[q]);
            QCOMPARE(valuesFromTop(series->barSets()[0]), scores[q]);
        }
        checkPicture(figure, "swot");
    }

    // Spend by period stacked by the template's four groups, from the sheet's computed
    // values, and the cumulative spend as the sheet computes it.
    void budgetByGroupWithCumulativeSpend() {
        TestEnv env;
        Sheet::SheetModel sheet;
        QString error;
        QVERIFY2(Sheet::readNative(readFileBytes(env.userDataFolder() + "1.mps"), &sheet, &error),
                 qPrintable(error));
        sheet.setNumber(6, 2, 1200);  // print advertising, first month
        sheet.setNumber(7, 2, 300);   // online display, first month
        sheet.setNumber(11, 3, 2500); // website, second month
        sheet.setNumber(16, 4, 800);  // events, third month
        sheet.setNumber(22, 13, 450); // agency fees, last month
        const BudgetChartData data = budgetChartData(sheet);
        QCOMPARE(data.periods.size(), 12);
        QCOMPARE(data.periods.first(), QString("Apr 2027"));
        QCOMPARE(data.periods.last(), QString("Mar 2028"));
        QCOMPARE(data.currency, QString::fromUtf8("£"));
        const ChartFigure figure = budgetChart(data);

        auto* series = onlySeries<QStackedBarSeries>(figure.chart());
        QVERIFY(series);
        QCOMPARE(categories(figure.chart()), data.periods);
        QStringList groups;
        for (QBarSet* set : series->barSets())
            groups << set->label();
        QCOMPARE(groups, QStringList({"Advertising", "Digital and print", "Events and PR", "Other costs"}));
        QList<double> zero(12, 0.0);
        QList<double> advertising = zero, digital = zero, events = zero, other = zero;
        advertising[0] = 1500;
        digital[1] = 2500;
        events[2] = 800;
        other[11] = 450;
        QCOMPARE(values(series->barSets()[0]), advertising);
        QCOMPARE(values(series->barSets()[1]), digital);
        QCOMPARE(values(series->barSets()[2]), events);
        QCOMPARE(values(series->barSets()[3]), other);
        auto* line = onlySeries<QLineSeries>(figure.chart());
        QVERIFY(line);
        QList<QPointF> expected;
        const double running[12] = {1500, 4000, 4800, 4800, 4800, 4800, 4800, 4800, 4800, 4800, 4800, 5250};
        for (int i = 0; i < 12; ++i)
            expected << QPointF(i, running[i]);
        QCOMPARE(points(line), expected);
        QCOMPARE(data.cumulative.last(), sheet.cellValue(27, 13).number);
        checkPicture(figure, "budget");
    }

    // The budget against the actual spend: the bars and lines hold what the Actual Spend
    // sheet computes, the actuals only for the months to date (a figure typed for a later
    // month is not counted yet).
    void budgetAgainstActualSpend() {
        TestEnv env;
        Sheet::SheetModel budget;
        QString error;
        QVERIFY2(Sheet::readNative(readFileBytes(env.userDataFolder() + "1.mps"), &budget, &error),
                 qPrintable(error));
        budget.setNumber(6, 2, 1200);  // print advertising, first month
        budget.setNumber(11, 3, 2500); // website, second month
        budget.setNumber(16, 4, 800);  // events, third month
        Sheet::SheetModel& a = Actuals::build(budget);
        a.setNumber(6, Actuals::actualColumn(1), 1000);
        a.setNumber(7, Actuals::actualColumn(1), 150);
        a.setNumber(11, Actuals::actualColumn(2), 2700);
        a.setNumber(16, Actuals::actualColumn(3), 500);
        a.setNumber(Actuals::kMonthsRow, Actuals::kMonthsChosenCol, 2);

        const ActualsChartData data = Actuals::chartData(budget);
        QCOMPARE(data.periods.size(), 12);
        QCOMPARE(data.periods.first(), QString("Apr 2027"));
        QCOMPARE(data.currency, QString::fromUtf8("\u00a3"));
        QCOMPARE(data.periodsCounted, 2);
        int total = 0;
        for (int row = Actuals::kFirstLineRow; row <= a.usedRange().row2 && !total; ++row)
            if (a.shownText(row, 1) == "Total marketing budget") total = row;
        QVERIFY(total > 0);
        QList<double> planned;
        for (int p = 1; p <= 12; ++p)
            planned << a.cellValue(total, Actuals::budgetColumn(p)).number;
        QCOMPARE(planned.mid(0, 4), QList<double>({1200, 2500, 800, 0}));
        QCOMPARE(data.budget, planned);
        QCOMPARE(data.actual, QList<double>({a.cellValue(total, Actuals::actualColumn(1)).number,
                                             a.cellValue(total, Actuals::actualColumn(2)).number}));
        QCOMPARE(data.actual, QList<double>({1150, 2700}));
        QCOMPARE(data.cumulativeActual.last(), a.cellValue(total, Actuals::kActualToDateCol).number);
        QCOMPARE(data.cumulativeBudget[1], a.cellValue(total, Actuals::kBudgetToDateCol).number);
        QCOMPARE(data.cumulativeBudget.last(), a.cellValue(total, Actuals::kYearBudgetCol).number);

        const ChartFigure figure = actualsChart(data);
        QCOMPARE(figure.chart()->title(), QString("Marketing budget against actual spend by month"));
        auto* bars = onlySeries<QBarSeries>(figure.chart());
        QVERIFY(bars);
        QCOMPARE(bars->barSets().size(), 2);
        QCOMPARE(bars->barSets()[0]->label(), QString("Budget"));
        QCOMPARE(values(bars->barSets()[0]), data.budget);
        QList<double> actualBars(12, 0.0);
        actualBars[0] = 1150;
        actualBars[1] = 2700;
        QCOMPARE(values(bars->barSets()[1]), actualBars);
        QCOMPARE(categories(figure.chart()), data.periods);
        QMap<QString, QList<QPointF>> lines;
        for (QAbstractSeries* s : figure.chart()->series())
            if (auto* line = qobject_cast<QLineSeries*>(s)) lines[line->name()] = points(line);
        QCOMPARE(lines.size(), 2);
        QList<QPointF> budgetRunning;
        for (int i = 0; i < 12; ++i)
            budgetRunning << QPointF(i, data.cumulativeBudget[i]);
        QCOMPARE(lines.value("Cumulative budget (right scale)"), budgetRunning);
        QCOMPARE(lines.value("Cumulative actual (right scale)"), QList<QPointF>({{0, 1150}, {1, 3850}}));
        // Every axis has its name: periods, spend in the period, running totals.
        QStringList axisTitles;
        for (QAbstractAxis* axis : figure.chart()->axes())
            axisTitles << axis->titleText();
        axisTitles.sort();
        QCOMPARE(axisTitles, QStringList({QString::fromUtf8("Cumulative spend (\u00a3)"), "Month",
                                          QString::fromUtf8("Spend in the period (\u00a3)")}));
        checkPicture(figure, "actuals");
    }
};

QTEST_MAIN(TestCharts)
#include "tst_charts.moc"
