#pragma once

#include <QString>

// One copy of the program at a time works on a data folder: the catalogue, the analysis
// files and the plans are read, changed and written back whole, and two copies doing so
// at once would overwrite each other's work without a word.
//
// The lock is an advisory lock (flock) on the file "tandel.lock" in the data folder. The
// system drops it the moment its holder ends, however it ends: a copy that crashed or was
// killed leaves at most the file, never the lock, so there is no stale lock to judge by
// age or process number. The file holds the holder's process number and machine, only to
// tell the user where the other copy runs.
namespace DataFolderLock {

enum class Result {
    Taken,        // this copy holds the folder (or already did)
    HeldByOther,  // another copy of the program holds it
    Unavailable,  // no lock can be made there (the folder cannot be written): go on without
};

// Takes the lock on `folder` for the rest of the program's life (or until release()).
// Taking the folder this copy already holds again is Taken.
Result acquire(const QString& folder);
// Who holds the folder, as the lock file says: "process 1234 on host", or empty.
QString holder(const QString& folder);
// Gives the lock up (tests, and the end of the program).
void release();
// The lock file of a folder.
QString lockFileName(const QString& folder);

} // namespace DataFolderLock
