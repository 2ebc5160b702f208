#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class IniFile;

// What the analysis windows show, built from the file without a window: the rows of
// cell texts, and the stored values that are not numbers (the window reports them).
using Grid = QList<QStringList>;

struct BuiltGrid {
    Grid rows;
    QStringList notNumbers; // stored texts that could not be read as integers
};

// The competitor grid: one row per factor (name, weight, and for our company and
// competitors 'A', 'B', 'C' the rating and the rating times the weight), then the totals
// row ("Totals", the weight sum, and each party's score total under its scores).
BuiltGrid buildCompetitorGrid(const IniFile& ini, const QString& plan, const QStringList& names);
constexpr int CompetitorColumns = 10;

// The factor score grid: one row per factor: description, weighting (or probability),
// "X" under the score (column score + 7 for scores -5 to 5), and score times weighting.
BuiltGrid buildFactorScoreGrid(const IniFile& ini, const QString& plan, const QStringList& names);
constexpr int FactorScoreColumns = 14;
constexpr int ScoreColumn(int score) { return score + 7; }

// The weights of a competitor grid's factor rows (the totals row left out) added up;
// false, with the text in `bad`, when one of them is not a number.
bool weightSum(const Grid& competitorGrid, int* sum, QString* bad);

// A factor of the strength / weakness or impact / probability analysis as the SWOT
// summary ranks it: its name and score times weighting. A factor whose score or
// weighting is stored as text that is not a number is left out, its text noted in
// `notNumbers` (each text once) for the window to report.
struct SwotEntry {
    QString name;
    int value = 0;
};
QList<SwotEntry> swotEntries(const IniFile& ini, const QString& plan,
                             QStringList* notNumbers = nullptr);

// The SWOT preview grid, 22 rows of 4 columns: headings in rows 0 and 11; up to ten
// strengths (value above 0, largest first) and weaknesses (0 or below, smallest first)
// from the strength / weakness entries in rows 1 to 10; opportunities and threats from
// the impact / probability entries the same way in rows 12 to 21. Equal values keep the
// order the factors were made in.
Grid buildSwotGrid(const QList<SwotEntry>& strengthWeakness,
                   const QList<SwotEntry>& impactProbability);
constexpr int SwotRows = 22;
constexpr int SwotColumns = 4;
