#pragma once

#include "analysis/factorfile.h"

#include <QFile>

// The analysis files start empty in each test, even when the program folder the test
// copied had been used for a session of the program.
inline void removeAnalysisFiles() {
    for (Analysis a : {Analysis::Competitor, Analysis::StrengthWeakness, Analysis::ImpactProbability})
        QFile::remove(FactorFile::path(a));
}
