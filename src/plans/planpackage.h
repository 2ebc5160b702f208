#pragma once

#include "plans/catalogue.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <utility>

// A plan package (".tzplan"): one zip file that holds everything of one plan, or of every
// plan (a backup), so that it can move to another computer or another person:
//
//   manifest.json        format version, program and version, when it was made, and per
//                        plan its name, company details, author and dates
//   planN/plan.rtf       the plan text as saved (its file N.mp, settings header and all)
//   planN/budget.mps     the budget as saved (absent when the plan has none)
//   planN/ca.ini, sw.ini, ip.ini
//                        the plan's own sections of the three analysis files, with the
//                        plan's name taken out: "[Titles]" and one "[<factor>]" each
//
// The reader takes packages from anywhere, so it trusts nothing in them: every name, size
// and packing ratio is checked on the zip's directory before a byte is unpacked, every
// entry is unpacked into memory no larger than its declared size and checked against its
// check sum, and every name that would go into the catalogue or an analysis file must be
// one the file can store. A refused package leaves every file as it was.
namespace PlanPackage {

// The format this program writes and the newest it reads.
constexpr int FormatVersion = 1;
QString suffix();      // "tzplan"
QString fileFilter();  // for the file windows

// The most a package may hold; more is refused before anything is unpacked.
struct Limits {
    qint64 planText = 200LL << 20;   // one plan's text
    qint64 budget = 200LL << 20;     // one plan's budget
    qint64 analysis = 16LL << 20;    // one plan's sections of one analysis file
    qint64 manifest = 4LL << 20;
    qint64 total = 1LL << 30;        // everything unpacked
    qint64 ratio = 100;              // unpacked size over packed size, at most
    qint64 ratioFloor = 64LL << 10;  // entries smaller than this cannot fill a disk
    int plans = 5000;
};

// The sections of one analysis file that belong to a plan: its factors in list order,
// each with its keys and values in file order.
struct Factor {
    QString name;
    QList<std::pair<QString, QString>> values;
};
using FactorList = QList<Factor>;

struct Plan {
    QString name;
    CompanyDetails details;
    QDateTime saved;    // when its text was last saved
    QByteArray text;    // N.mp as saved
    QByteArray budget;  // N.mps as saved
    bool hasBudget = false;
    std::array<FactorList, 3> analyses; // competitor, strength / weakness, impact / probability
};

struct Package {
    int format = FormatVersion;
    QString program;   // the name and version of the program that made it
    QString version;
    bool backup = false;
    QDateTime made;
    QList<Plan> plans;
};

// Where the plans live: the catalogue, the user-data folder and the three analysis
// files. current() gives the program's own.
struct Places {
    QString catalogue;
    QString userData;
    std::array<QString, 3> analyses;
    static Places current();
    QString planTextFile(int number) const;
};

// --- Writing ---------------------------------------------------------------------------

// One plan as the data folder holds it; false (with the reason) when it has no text.
bool collect(const QString& name, const Places& places, Plan* plan, QString* error);
// The zip's bytes.
QByteArray pack(const Package& package);
// The plan into `file`, written whole or not at all. False with the message when not.
bool exportPlan(const QString& name, const QString& file, QString* error,
                const Places& places = Places::current());
// Every plan that has a text into one package; plans never saved (without a text) are
// left out and named in `leftOut`.
bool backUp(const QString& file, QString* error, QStringList* leftOut = nullptr,
            const Places& places = Places::current());

// --- Reading ---------------------------------------------------------------------------

struct ReadResult {
    bool ok = false;
    QString error; // why the package is refused, in the program's words
    Package package;
};
// `shownName` names the package in messages.
ReadResult read(const QByteArray& bytes, const QString& shownName, const Limits& limits = {});
ReadResult readFile(const QString& file, const Limits& limits = {});

// --- Importing -------------------------------------------------------------------------

// What to do with a plan whose name is taken or cannot be stored.
struct Choice {
    enum Kind { Rename, Skip, Cancel };
    Kind kind = Cancel;
    QString name; // the new name, for Rename
};
// Asked for such a plan: its name and why it cannot be used. `maySkip` in a restore,
// where the other plans can come in without it. Asked again while the answer's name
// cannot be used either.
using AskName = std::function<Choice(const QString& name, const QString& problem, bool maySkip)>;

struct ImportResult {
    bool ok = false;
    bool cancelled = false; // the user cancelled: nothing was changed
    QString error;          // what failed (nothing was changed)
    QStringList added;      // the names the plans were added under
    QStringList skipped;
};
// Adds the package's plans as new plans, each with a file number of its own: their files,
// their analysis sections and their catalogue entries, all or nothing. Nothing there
// already is ever written over.
ImportResult import(const Package& package, const AskName& ask,
                    const Places& places = Places::current());

// Why a plan cannot be added under `name`: the new-plan window's own rules (an empty
// name, brackets, names the catalogue cannot store, a name in use). Empty when it can.
QString newNameProblem(const QString& name, const Catalogue& catalogue,
                       const QStringList& alsoTaken = {});

} // namespace PlanPackage
