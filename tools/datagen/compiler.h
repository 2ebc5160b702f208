#pragma once

#include "markup.h"

#include <QByteArray>
#include <QMap>
#include <QString>

namespace Datagen {

// Everything the template sources compile to.
struct CompiledTemplate {
    QMap<QString, QByteArray> dataFiles; // file name in the data folder -> contents
    QByteArray originalPlan;             // "1.mp", seeded into the user-data folder
    QByteArray catalogue;                // "mp.ini", seeded into the data folder
    int sectionCount = 0;
    // Faults that do not make the data unusable (a help link that leads nowhere): the
    // build reports them and the test suite fails on them, but other work goes on.
    Issues warnings;
};

// Reads and checks every source under `sourceRoot` (outline.txt, plan/, guidance/,
// examples/, help/, startup-*.txt). Any issue leaves the result empty; all issues found
// are reported, not only the first.
bool compileTemplate(const QString& sourceRoot, CompiledTemplate* out, Issues* issues);

// Compiles the budget template (budget.txt under `sourceRoot`, a sheet script) into the
// sheet's own file format, the seed of "1.mps". The script's own checks must pass.
bool compileBudget(const QString& sourceRoot, QByteArray* out, Issues* issues);

// Writes `bytes` to `path` atomically, and only when the file does not already hold
// them. Returns false with a message on failure.
bool writeIfChanged(const QString& path, const QByteArray& bytes, bool* changed, QString* error);

// Guidance files of sections that no longer exist would linger in the data folder after
// the outline shrinks; removes them and returns how many went.
int removeStaleGuidance(const QString& dataDir, int sectionCount);

// Seeds a file the user owns. A missing file is written. An existing file is replaced
// only when it is still exactly what an earlier run seeded (its digest is kept in
// `recordPath`), so a template change reaches an untouched copy but never a file that
// somebody has edited.
enum class SeedResult { Written, Updated, Unchanged, KeptUsersFile, Failed };
SeedResult seedFile(const QString& path, const QByteArray& bytes, const QString& recordPath,
                    QString* error);

} // namespace Datagen
