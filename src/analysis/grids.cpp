#include "analysis/grids.h"

#include "analysis/factorfile.h"
#include "platform/inifile.h"

#include <algorithm>
#include <climits>
#include <optional>

namespace {

const QString kMissingText = QString::number(FactorFile::Missing);

// A stored value as its text (the missing value's text when there is none) and, when the
// text is a number, that number; a text that is not one is noted for the window.
struct Stored {
    QString text;
    std::optional<int> number;
};

Stored readStored(const IniFile& ini, const QString& section, const char* key,
                  QStringList& notNumbers) {
    Stored s;
    s.text = ini.readString(section, QLatin1String(key), kMissingText);
    int v = 0;
    if (IniFile::parseInteger(s.text, &v))
        s.number = v;
    else if (!notNumbers.contains(s.text))
        notNumbers << s.text;
    return s;
}

} // namespace

BuiltGrid buildCompetitorGrid(const IniFile& ini, const QString& plan, const QStringList& names) {
    BuiltGrid g;
    // Weight sum and the four score totals.
    long long totals[5] = {0, 0, 0, 0, 0};
    for (const QString& name : names) {
        const QString section = FactorFile::factorSection(plan, name);
        QStringList row(CompetitorColumns);
        row[0] = name;
        const Stored w = readStored(ini, section, "w", g.notNumbers);
        row[1] = w.text;
        if (w.number) totals[0] += *w.number;
        static const char* const kRatings[] = {"s1", "s2", "s3", "s4"};
        for (int party = 0; party < 4; ++party) {
            const Stored rating = readStored(ini, section, kRatings[party], g.notNumbers);
            row[2 + 2 * party] = rating.text;
            if (rating.number && w.number) {
                const long long score = (long long)*rating.number * *w.number;
                row[3 + 2 * party] = QString::number(score);
                totals[1 + party] += score;
            }
        }
        g.rows << row;
    }
    QStringList totalsRow(CompetitorColumns);
    totalsRow[0] = QStringLiteral("Totals");
    totalsRow[1] = QString::number(totals[0]);
    for (int party = 0; party < 4; ++party)
        totalsRow[3 + 2 * party] = QString::number(totals[1 + party]);
    g.rows << totalsRow;
    return g;
}

BuiltGrid buildFactorScoreGrid(const IniFile& ini, const QString& plan, const QStringList& names) {
    BuiltGrid g;
    for (const QString& name : names) {
        const QString section = FactorFile::factorSection(plan, name);
        QStringList row(FactorScoreColumns);
        row[0] = name;
        const Stored w = readStored(ini, section, "w", g.notNumbers);
        row[1] = w.text;
        const Stored score = readStored(ini, section, "i", g.notNumbers);
        // A score outside -5 to 5 (an edited file) has no column for its "X"; its total
        // still shows.
        if (score.number && *score.number >= -5 && *score.number <= 5)
            row[ScoreColumn(*score.number)] = QStringLiteral("X");
        if (score.number && w.number)
            row[13] = QString::number((long long)*score.number * *w.number);
        g.rows << row;
    }
    return g;
}

bool weightSum(const Grid& competitorGrid, int* sum, QString* bad) {
    long long total = 0;
    // The last row holds the totals.
    for (int r = 0; r + 1 < competitorGrid.size(); ++r) {
        int w = 0;
        if (!IniFile::parseInteger(competitorGrid[r].value(1), &w)) {
            if (bad) *bad = competitorGrid[r].value(1);
            return false;
        }
        total += w;
    }
    if (sum) *sum = int(std::clamp<long long>(total, INT_MIN, INT_MAX));
    return true;
}

QList<SwotEntry> swotEntries(const IniFile& ini, const QString& plan, QStringList* notNumbers) {
    QList<SwotEntry> out;
    QStringList bad;
    for (const QString& name : FactorFile::names(ini, plan)) {
        const QString section = FactorFile::factorSection(plan, name);
        // Read as the strength / weakness window reads them: a missing value is the
        // missing value's number, a text that is no number gives no score at all.
        const Stored i = readStored(ini, section, "i", bad);
        const Stored w = readStored(ini, section, "w", bad);
        if (!i.number || !w.number) continue;
        out << SwotEntry{name, int(std::clamp<long long>((long long)*i.number * *w.number,
                                                         INT_MIN, INT_MAX))};
    }
    if (notNumbers)
        for (const QString& text : bad)
            if (!notNumbers->contains(text)) *notNumbers << text;
    return out;
}

namespace {

// Fills rows first + 1 to first + 10: the positive entries, largest first, in columns 0
// and 1; the others, smallest first, in columns 2 and 3.
void fillQuadrants(Grid& grid, int first, QList<SwotEntry> entries) {
    std::stable_sort(entries.begin(), entries.end(),
                     [](const SwotEntry& a, const SwotEntry& b) { return a.value > b.value; });
    for (int j = 0; j < 10 && j < entries.size() && entries[j].value > 0; ++j) {
        grid[first + 1 + j][0] = entries[j].name;
        grid[first + 1 + j][1] = QString::number(entries[j].value);
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const SwotEntry& a, const SwotEntry& b) { return a.value < b.value; });
    for (int j = 0; j < 10 && j < entries.size() && entries[j].value <= 0; ++j) {
        grid[first + 1 + j][2] = entries[j].name;
        grid[first + 1 + j][3] = QString::number(entries[j].value);
    }
}

} // namespace

Grid buildSwotGrid(const QList<SwotEntry>& strengthWeakness,
                   const QList<SwotEntry>& impactProbability) {
    Grid grid(SwotRows, QStringList(SwotColumns));
    grid[0][0] = QStringLiteral("Strengths");
    grid[0][2] = QStringLiteral("Weaknesses");
    grid[11][0] = QStringLiteral("Opportunities");
    grid[11][2] = QStringLiteral("Threats");
    fillQuadrants(grid, 0, strengthWeakness);
    fillQuadrants(grid, 11, impactProbability);
    return grid;
}
