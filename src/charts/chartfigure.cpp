#include "charts/chartfigure.h"

#include "charts/chartstyle.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QHorizontalBarSeries>
#include <QHorizontalStackedBarSeries>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QStackedBarSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <map>

ChartFigure::~ChartFigure() = default;

namespace {

using namespace ChartStyle;

// Names longer than this are cut short on an axis or beside a point.
constexpr int kLongestName = 32;

QString shortName(const QString& name) {
    const QString n = name.simplified();
    return n.size() <= kLongestName ? n : n.left(kLongestName - 1).trimmed() + QChar(0x2026);
}

template <typename T>
QList<T> reversed(const QList<T>& list) {
    return QList<T>(list.rbegin(), list.rend());
}

// A name as an axis shows it: axes read their texts as rich text, so the user's own text
// is escaped, and a name longer than `line` characters is broken between words onto two
// lines (and cut short after that).
QString axisName(const QString& name, int line) {
    const QString n = shortName(name);
    if (n.size() <= line) return n.toHtmlEscaped();
    int cut = n.lastIndexOf(QLatin1Char(' '), line);
    if (cut <= 0) cut = line;
    QString second = n.mid(cut).trimmed();
    if (second.size() > line) second = second.left(line - 1).trimmed() + QChar(0x2026);
    return n.left(cut).trimmed().toHtmlEscaped() + QStringLiteral("<br>") + second.toHtmlEscaped();
}

// Category texts must differ from one another for the axis to keep them all.
QStringList distinctNames(const QStringList& names, int line) {
    QStringList out;
    for (const QString& name : names) {
        QString n = name.simplified();
        if (n.isEmpty()) n = QStringLiteral("(no name)");
        const QString base = n;
        for (int k = 2; out.contains(axisName(n, line)); ++k)
            n = QStringLiteral("%1 (%2)").arg(base).arg(k);
        out << axisName(n, line);
    }
    return out;
}

// Characters on a line of a category name: beside a full-width chart, and beside a quarter
// of the SWOT summary.
constexpr int kWideLine = 26;
constexpr int kQuarterLine = 17;

std::unique_ptr<QChart> newChart(const QString& title) {
    auto chart = std::make_unique<QChart>();
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setBackgroundRoundness(0);
    chart->setBackgroundBrush(Qt::white);
    chart->setBackgroundPen(Qt::NoPen);
    chart->setDropShadowEnabled(false);
    chart->setPlotAreaBackgroundVisible(false);
    chart->setMargins(QMargins(6, 6, 6, 6));
    chart->setTitle(title);
    chart->setTitleFont(font(TitleSize, true));
    chart->setTitleBrush(QBrush(ink()));
    QLegend* legend = chart->legend();
    legend->setAlignment(Qt::AlignBottom);
    legend->setFont(font(LegendSize));
    legend->setLabelColor(ink());
    legend->setMarkerShape(QLegend::MarkerShapeRectangle);
    return chart;
}

void styleAxis(QAbstractAxis* axis, const QString& title) {
    axis->setTitleText(title);
    axis->setTitleFont(font(AxisTitleSize, true));
    axis->setTitleBrush(QBrush(ink()));
    axis->setLabelsFont(font(AxisLabelSize));
    axis->setLabelsColor(ink());
    axis->setLinePen(QPen(ink(), 0.75));
    axis->setGridLinePen(QPen(gridGrey(), 0.5));
}

QValueAxis* valueAxis(const QString& title, double low, double high, int ticks) {
    auto* axis = new QValueAxis;
    styleAxis(axis, title);
    axis->setRange(low, high);
    axis->setTickCount(ticks);
    axis->setLabelFormat(QStringLiteral("%.0f"));
    return axis;
}

// A step of 1, 2 or 5 times a power of ten that cuts `span` into about `parts` parts.
double niceStep(double span, int parts) {
    const double raw = std::max(span / parts, 1e-9);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= raw) return std::max(1.0, m * power);
    return std::max(1.0, 10 * power);
}

// An axis from 0 (or below, for negative values) to above the largest value, on round steps.
QValueAxis* roundedAxis(const QString& title, double low, double high, int parts = 5) {
    low = std::min(0.0, low);
    high = std::max(0.0, high);
    if (high - low <= 0) high = low + parts;
    const double step = niceStep(high - low, parts);
    low = std::floor(low / step) * step;
    high = std::ceil(high / step) * step;
    return valueAxis(title, low, high, int(std::lround((high - low) / step)) + 1);
}

// An axis even about 0, so that 0 stands in the middle.
QValueAxis* evenAxis(const QString& title, double largest) {
    const double step = niceStep(std::max(largest, 5.0), 3);
    const double end = std::max(1.0, std::ceil(std::max(largest, 5.0) / step)) * step;
    return valueAxis(title, -end, end, 2 * int(std::lround(end / step)) + 1);
}

// Categories of horizontal bars run up the axis from its foot; `topDown` turns them round,
// so that a list reads from the top as it does in its table (the series then take their
// values in the same turned order).
QBarCategoryAxis* categoryAxis(const QStringList& categories, bool topDown) {
    auto* axis = new QBarCategoryAxis;
    styleAxis(axis, QString());
    axis->append(topDown ? reversed(categories) : categories);
    axis->setGridLineVisible(false);
    return axis;
}

QBarSet* barSet(const QString& name, int style) {
    auto* set = new QBarSet(name);
    set->setBrush(fill(style));
    set->setPen(outline());
    set->setLabelColor(ink());
    return set;
}

// Taller for more rows, within a page.
double heightFor(int rows, double perRow, double least = 3.6) {
    return std::clamp(1.4 + perRow * rows, least, 8.5);
}

void attach(QChart* chart, QAbstractSeries* series, QAbstractAxis* x, Qt::Alignment xAt,
            QAbstractAxis* y, Qt::Alignment yAt) {
    chart->addSeries(series);
    if (!chart->axes().contains(x)) chart->addAxis(x, xAt);
    if (!chart->axes().contains(y)) chart->addAxis(y, yAt);
    series->attachAxis(x);
    series->attachAxis(y);
}

// Period headings on two lines, so that twelve fit side by side: "Apr 2027" as "Apr" over
// "2027", "Q1 Apr-Jun 2027" as "Q1 Apr-Jun" over "2027".
QStringList periodLabels(const QStringList& periods) {
    QStringList out;
    for (const QString& p : periods) {
        const int space = p.lastIndexOf(QLatin1Char(' '));
        out << (space > 0 ? p.left(space) + QStringLiteral("<br>") + p.mid(space + 1) : p);
    }
    return out;
}

} // namespace

ChartFigure competitorChart(const CompetitorChartData& data) {
    ChartFigure f;
    auto chart = newChart(QStringLiteral("Competitor analysis: weighted scores"));
    auto* series = new QHorizontalBarSeries;
    double top = 0;
    for (int p = 0; p < data.parties.size(); ++p) {
        QBarSet* set = barSet(data.parties[p], p);
        for (double v : reversed(data.scores.value(p))) {
            set->append(v);
            top = std::max(top, v);
        }
        series->append(set);
    }
    series->setBarWidth(0.85);
    auto* names = categoryAxis(distinctNames(data.categories, kWideLine), true);
    auto* scores = roundedAxis(QStringLiteral("Score (rating \u00d7 weight)"), 0, top);
    attach(chart.get(), series, scores, Qt::AlignBottom, names, Qt::AlignLeft);
    f.inches = {6.0, heightFor(int(data.categories.size()), 0.42)};
    f.charts.push_back(std::move(chart));
    return f;
}

ChartFigure strengthWeaknessChart(const QList<ChartFactor>& ranked) {
    ChartFigure f;
    auto chart = newChart(QStringLiteral("Strengths and weaknesses"));
    // One bar a factor: a strength's value in one set, a weakness's in the other.
    QBarSet* strengths = barSet(QStringLiteral("Strength"), StrengthStyle);
    QBarSet* weaknesses = barSet(QStringLiteral("Weakness"), WeaknessStyle);
    QStringList names;
    double largest = 0;
    for (const ChartFactor& factor : reversed(ranked)) {
        names.prepend(factor.name);
        strengths->append(factor.value > 0 ? factor.value : 0);
        weaknesses->append(factor.value > 0 ? 0 : factor.value);
        largest = std::max(largest, double(std::abs(factor.value)));
    }
    auto* series = new QHorizontalStackedBarSeries;
    series->append(strengths);
    series->append(weaknesses);
    series->setBarWidth(0.7);
    auto* axis = categoryAxis(distinctNames(names, kWideLine), true);
    auto* values = evenAxis(QStringLiteral("Score \u00d7 weighting"), largest);
    attach(chart.get(), series, values, Qt::AlignBottom, axis, Qt::AlignLeft);
    f.inches = {6.0, heightFor(int(ranked.size()), 0.26)};
    f.charts.push_back(std::move(chart));
    return f;
}

ChartFigure impactProbabilityChart(const QList<RiskPoint>& points) {
    ChartFigure f;
    auto chart = newChart(QStringLiteral("Impact and probability"));
    auto* opportunities = new QScatterSeries;
    opportunities->setName(QStringLiteral("Opportunity (positive impact)"));
    auto* threats = new QScatterSeries;
    threats->setName(QStringLiteral("Threat (no or negative impact)"));
    const auto styleMarker = [](QScatterSeries* s, int style, QScatterSeries::MarkerShape shape) {
        s->setMarkerShape(shape);
        s->setMarkerSize(11);
        s->setColor(colour(style));
        s->setBorderColor(ink());
        s->setPen(outline());
    };
    styleMarker(opportunities, OpportunityStyle, QScatterSeries::MarkerShapeCircle);
    styleMarker(threats, ThreatStyle, QScatterSeries::MarkerShapeTriangle);

    // Factors on the same point share one note, one name a line.
    std::map<std::pair<int, int>, QStringList> named;
    for (const RiskPoint& p : points) {
        QScatterSeries* s = p.impact > 0 ? opportunities : threats;
        s->append(p.probability, p.impact);
        named[{p.probability, p.impact}] << shortName(p.name);
    }
    auto* probability = valueAxis(QStringLiteral("Probability"), 0, 10.5, 1);
    probability->setTickType(QValueAxis::TicksDynamic);
    probability->setTickAnchor(0);
    probability->setTickInterval(1);
    auto* impact = valueAxis(QStringLiteral("Potential impact"), -5.5, 5.5, 1);
    impact->setTickType(QValueAxis::TicksDynamic);
    impact->setTickAnchor(0);
    impact->setTickInterval(1);
    // A line along no impact parts the opportunities above from the threats below.
    auto* divide = new QLineSeries;
    divide->append(0, 0);
    divide->append(10.5, 0);
    divide->setPen(QPen(ink(), 1.0, Qt::DashLine));
    attach(chart.get(), divide, probability, Qt::AlignBottom, impact, Qt::AlignLeft);
    attach(chart.get(), opportunities, probability, Qt::AlignBottom, impact, Qt::AlignLeft);
    attach(chart.get(), threats, probability, Qt::AlignBottom, impact, Qt::AlignLeft);
    chart->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
    chart->legend()->markers(divide).first()->setVisible(false);
    for (const auto& [at, names] : named) {
        ChartNote note;
        note.chart = chart.get();
        note.series = at.second > 0 ? opportunities : threats;
        note.value = QPointF(at.first, at.second);
        note.text = names.join(QLatin1Char('\n'));
        note.leftOfPoint = at.first >= 8;
        f.notes.push_back(note);
    }
    f.inches = {6.0, 4.8};
    f.charts.push_back(std::move(chart));
    return f;
}

ChartFigure swotChart(const SwotChartData& data) {
    ChartFigure f;
    f.title = QStringLiteral("SWOT summary");
    f.columns = 2;
    struct Quarter {
        const char* title;
        const QList<ChartFactor>* factors;
        int style;
        bool positive;
    };
    const Quarter quarters[4] = {{"Strengths", &data.strengths, StrengthStyle, true},
                                 {"Weaknesses", &data.weaknesses, WeaknessStyle, false},
                                 {"Opportunities", &data.opportunities, OpportunityStyle, true},
                                 {"Threats", &data.threats, ThreatStyle, false}};
    double largest = 5;
    int rows = 1;
    for (const Quarter& q : quarters) {
        for (const ChartFactor& factor : *q.factors)
            largest = std::max(largest, double(std::abs(factor.value)));
        rows = std::max(rows, int(q.factors->size()));
    }
    const double step = niceStep(largest, 3);
    const double end = std::ceil(largest / step) * step;
    for (const Quarter& q : quarters) {
        auto chart = newChart(QLatin1String(q.title));
        chart->setTitleFont(font(QuarterTitleSize, true));
        chart->legend()->setVisible(false);
        QBarSet* set = barSet(QLatin1String(q.title), q.style);
        QStringList names;
        for (const ChartFactor& factor : reversed(*q.factors)) {
            names.prepend(factor.name);
            set->append(factor.value);
        }
        auto* series = new QHorizontalBarSeries;
        series->append(set);
        series->setBarWidth(0.7);
        // Strengths and opportunities grow to the right from their names at the left;
        // weaknesses and threats (0 or below) to the left from their names at the right.
        auto* axis = categoryAxis(distinctNames(names, kQuarterLine), true);
        auto* values = q.positive
                           ? valueAxis(QStringLiteral("Score \u00d7 weighting"), 0, end, int(end / step) + 1)
                           : valueAxis(QStringLiteral("Score \u00d7 weighting"), -end, 0, int(end / step) + 1);
        attach(chart.get(), series, values, Qt::AlignBottom, axis,
               q.positive ? Qt::AlignLeft : Qt::AlignRight);
        if (q.factors->isEmpty()) {
            ChartNote none;
            none.chart = chart.get();
            none.text = QStringLiteral("None");
            f.notes.push_back(none);
        }
        f.charts.push_back(std::move(chart));
    }
    f.inches = {6.0, std::clamp(1.6 + 2 * (0.9 + 0.22 * rows), 4.0, 8.5)};
    return f;
}

ChartFigure budgetChart(const BudgetChartData& data) {
    ChartFigure f;
    auto chart = newChart(data.quarterly ? QStringLiteral("Marketing budget: spend by quarter")
                                         : QStringLiteral("Marketing budget: spend by month"));
    auto* series = new QStackedBarSeries;
    // Bars stack their amounts above 0 and any credits below it.
    QList<double> periodTotals(data.periods.size(), 0.0), periodCredits(data.periods.size(), 0.0);
    for (int g = 0; g < data.groups.size(); ++g) {
        QBarSet* set = barSet(data.groups[g].toHtmlEscaped(), g);
        const QList<double>& amounts = data.spend[g];
        for (int i = 0; i < data.periods.size(); ++i) {
            const double v = amounts.value(i);
            set->append(v);
            periodTotals[i] += std::max(0.0, v);
            periodCredits[i] += std::min(0.0, v);
        }
        series->append(set);
    }
    series->setBarWidth(0.7);
    auto* cumulative = new QLineSeries;
    cumulative->setName(QStringLiteral("Cumulative spend (right scale)"));
    double cumulativeTop = 0, cumulativeBottom = 0;
    for (int i = 0; i < data.cumulative.size(); ++i) {
        cumulative->append(i, data.cumulative[i]);
        cumulativeTop = std::max(cumulativeTop, data.cumulative[i]);
        cumulativeBottom = std::min(cumulativeBottom, data.cumulative[i]);
    }
    cumulative->setPen(QPen(ink(), 2.0));
    cumulative->setPointsVisible(true);
    cumulative->setMarkerSize(4);

    const QString money = data.currency.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(data.currency);
    auto* periods = categoryAxis(periodLabels(data.periods), false);
    periods->setLabelsAngle(0);
    double periodTop = 0, periodBottom = 0;
    for (int i = 0; i < periodTotals.size(); ++i) {
        periodTop = std::max(periodTop, periodTotals[i]);
        periodBottom = std::min(periodBottom, periodCredits[i]);
    }
    auto* spend = roundedAxis(QStringLiteral("Spend in the period") + money, periodBottom, periodTop);
    auto* running = roundedAxis(QStringLiteral("Cumulative spend") + money, cumulativeBottom, cumulativeTop);
    attach(chart.get(), series, periods, Qt::AlignBottom, spend, Qt::AlignLeft);
    attach(chart.get(), cumulative, periods, Qt::AlignBottom, running, Qt::AlignRight);
    running->setGridLineVisible(false);
    chart->legend()->markers(cumulative).first()->setShape(QLegend::MarkerShapeFromSeries);
    f.inches = {6.0, 4.2};
    f.charts.push_back(std::move(chart));
    return f;
}

ChartFigure actualsChart(const ActualsChartData& data) {
    ChartFigure f;
    auto chart = newChart(data.quarterly ? QStringLiteral("Marketing budget against actual spend by quarter")
                                         : QStringLiteral("Marketing budget against actual spend by month"));
    auto* series = new QBarSeries;
    QBarSet* budget = barSet(QStringLiteral("Budget"), 0);
    QBarSet* actual = barSet(QStringLiteral("Actual"), 1);
    double periodTop = 0, periodBottom = 0;
    for (int i = 0; i < data.periods.size(); ++i) {
        // Periods still to come hold 0 (no bar); the cumulative actual stops before them.
        const double b = data.budget.value(i), a = data.actual.value(i);
        budget->append(b);
        actual->append(a);
        periodTop = std::max({periodTop, b, a});
        periodBottom = std::min({periodBottom, b, a});
    }
    series->append(budget);
    series->append(actual);
    series->setBarWidth(0.75);

    // The lines differ by their dashes as well as their colours, for grey print.
    double runningTop = 0, runningBottom = 0;
    auto line = [&](const QString& name, const QList<double>& values, const QPen& pen) {
        auto* s = new QLineSeries;
        s->setName(name);
        for (int i = 0; i < values.size(); ++i) {
            s->append(i, values[i]);
            runningTop = std::max(runningTop, values[i]);
            runningBottom = std::min(runningBottom, values[i]);
        }
        s->setPen(pen);
        s->setPointsVisible(true);
        s->setMarkerSize(4);
        return s;
    };
    QLineSeries* budgetLine = line(QStringLiteral("Cumulative budget (right scale)"), data.cumulativeBudget,
                                   QPen(ink(), 2.0, Qt::DashLine));
    QLineSeries* actualLine = line(QStringLiteral("Cumulative actual (right scale)"), data.cumulativeActual,
                                   QPen(colour(4), 2.5));

    const QString money = data.currency.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(data.currency);
    auto* periods = categoryAxis(periodLabels(data.periods), false);
    periods->setLabelsAngle(0);
    styleAxis(periods, data.quarterly ? QStringLiteral("Quarter") : QStringLiteral("Month"));
    periods->setGridLineVisible(false);
    auto* spend = roundedAxis(QStringLiteral("Spend in the period") + money, periodBottom, periodTop);
    auto* running = roundedAxis(QStringLiteral("Cumulative spend") + money, runningBottom, runningTop);
    attach(chart.get(), series, periods, Qt::AlignBottom, spend, Qt::AlignLeft);
    attach(chart.get(), budgetLine, periods, Qt::AlignBottom, running, Qt::AlignRight);
    attach(chart.get(), actualLine, periods, Qt::AlignBottom, running, Qt::AlignRight);
    running->setGridLineVisible(false);
    for (QLineSeries* s : {budgetLine, actualLine})
        chart->legend()->markers(s).first()->setShape(QLegend::MarkerShapeFromSeries);
    f.inches = {6.0, 4.4};
    f.charts.push_back(std::move(chart));
    return f;
}
