#pragma once

#include <QString>

// Makes `folder` the program's folder for a benchmark: a copy of the build's shipped data
// and seeded user data, its own settings folder and no printer, so that a benchmark's
// saves never touch the build's files.
void useProgramCopy(const QString& folder);
