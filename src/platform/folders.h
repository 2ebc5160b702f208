#pragma once

#include <QString>

// Where the program's files live. The program names its folders in mixed case
// ("Data\\", "UserData\\"); on disk there is one lower-case spelling, and every name is
// resolved without regard to case.
namespace Folders {

// The executable's folder, with a trailing separator.
QString programFolder();

// Where the files the program writes live. This is the one place that decides it; every
// reader and writer asks dataFolder() / userDataFolder() below.
//  - BesideProgram: the program's own folder holds data/ and the user may write there
//    (the build folder, a portable copy): the catalogue, the analysis files, "struct.nav"
//    and the plans stay beside the program, as they always have.
//  - UserFolder: the program is installed for all users (its folder cannot be written, or
//    its data lies in the installed layout, ../share/tandel/ beside bin/): they live in the
//    user's data folder, ~/.local/share/Tandel/ ($XDG_DATA_HOME/Tandel), seeded from the
//    shipped copies on first start (seedUserFolder).
enum class Storage { BesideProgram, UserFolder };
Storage storage();

// The data shipped with the program, only read: navigator "mp.nav", guidance "N.pla",
// start-up texts, help files, "egini.ini". programFolder() + "data/", or in the installed
// layout <prefix>/share/tandel/data/.
QString shippedDataFolder();
// The shipped plans folder (the original plan "1.mp" / "1.mps"), the seed of userdata/.
QString shippedUserDataFolder();
// The data folder the program writes: "mp.ini", "ca.ini", "sw.ini", "ip.ini",
// "struct.nav". Beside the program: programFolder() + "data/"; else the user's folder.
QString dataFolder();
// The user's plans: programFolder() + "userdata/", or userdata/ in the user's folder.
QString userDataFolder();
// The user's own folder for the UserFolder case (~/.local/share/Tandel/), whether used or not.
QString userFolder();
// In the UserFolder case, creates the user's folders and copies in what the program
// writes and was shipped with ("mp.ini", "ca.ini", "sw.ini", "ip.ini", the original plan),
// each only when missing: nothing of the user's is ever replaced. Returns false when the
// folders could not be made. Beside the program there is nothing to do.
bool seedUserFolder();
// The user's configuration folder (normally ~/.config/Tandel), created on demand unless
// `create` is false (a run that must write nothing only reads what is there).
QString configFolder(bool create = true);
// "Tandel.INI" in the configuration folder.
QString settingsFile(bool createFolder = true);

// Resolves a name the program uses ("Data\\mp.nav", "userdata/3.MP", an absolute path)
// to the file on disk, matching each component without regard to case. A component that
// does not exist keeps the spelling given (folders "data" and "userdata" their disk one),
// so the result can also be used to create the file.
QString resolve(const QString& name);

// For tests: point the program, configuration and user folders elsewhere. Empty restores.
void setProgramFolder(const QString& folder);
void setConfigFolder(const QString& folder);
void setUserFolder(const QString& folder);

} // namespace Folders
