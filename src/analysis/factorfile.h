#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class IniFile;

// The three analyses whose factors are kept in the data folder, one file each, shared by
// every plan: a plan's entries are the sections whose names begin with the plan's name
// and " - ". The titles section lists the factors in the order they were made (key and
// value both the factor's name); each factor has a section of its own.
enum class Analysis { Competitor, StrengthWeakness, ImpactProbability };

namespace FactorFile {

// Read for a value that is missing; it lies outside every range the program writes.
constexpr int Missing = 99;
// The longest factor name the files take.
constexpr int MaxNameLength = 200;

QString fileName(Analysis analysis); // "ca.ini", "sw.ini", "ip.ini"
// The file on disk, in the data folder.
QString path(Analysis analysis);

QString titlesSection(const QString& plan);
QString factorSection(const QString& plan, const QString& factor);

// The plan's factors in list order, the whole list however long.
QStringList names(const IniFile& ini, const QString& plan);

// Why a name typed for a new factor cannot be stored, or an empty string when it can.
// The bracket messages come first, as the name window has always given them.
QString nameProblem(const QString& name);
// Whether the list already has the name; letter case does not count, since the file
// would take both spellings for one section.
bool listed(const QStringList& names, const QString& name);

// Appends a factor to the plan's list with the values a new factor starts with, in one
// write. Throws IniWriteError when the file cannot be written (nothing changes then).
void addFactor(IniFile& ini, Analysis analysis, const QString& plan, const QString& name);
// Erases a factor's section and writes the titles section again without it, in one
// write; a plan left without factors keeps no section at all. Returns the names left.
QStringList deleteFactor(IniFile& ini, const QString& plan, const QString& name);

// Erases everything of a plan from the three files (when the plan is deleted).
void cleanPlan(const QString& plan);

} // namespace FactorFile
