#pragma once

#include <QStringList>

// The program's command line: --help, --version, --builder for the windows, a plan package
// to import in the windows, and the work that needs no window at all: listing the
// catalogue's plans, exporting a plan or its budget to a file, and importing a package.
namespace CommandLine {

// Exit statuses, as --help and the manual page list them.
enum Status {
    Done = 0,
    BadOption = 1,      // an option unknown, missing its value, or at odds with another
    UnknownPlan = 2,    // no plan of that name or file number
    UnreadablePlan = 3, // the plan's text or budget cannot be read
    UnwritableFile = 4, // the export could not be written
    UnknownEnding = 5,  // no format for the export file's ending
    RefusedPackage = 6, // a plan package that cannot be imported (damaged, refused, a name taken)
    FolderInUse = 7,    // another copy of the program works on the plans
};
// run()'s answer when the command line asks for the windows.
constexpr int StartWindows = -1;

// Whether the arguments ask for work done without windows (help, version, listing,
// export), or hold an option that is not the windows' and is to be refused. The caller
// then chooses the offscreen platform before the application object exists, so that no
// display is needed and none is touched.
bool worksWithoutWindows(int argc, char** argv);
// Before the application object exists: the offscreen platform, and standard error kept
// for the program's own messages (the toolkit's notes about the session a script runs in,
// such as a missing runtime folder under cron, are dropped; its errors stay).
void prepareWithoutWindows();

// Reads the application's arguments and does what they ask. Returns StartWindows when the
// program is to start its windows, or else the exit status. Messages go to standard error,
// listings and help to standard output.
int run(const QStringList& arguments);

} // namespace CommandLine
