#pragma once

#include <QString>

// Where the program's files live. The program names its folders in mixed case
// ("Data\\", "UserData\\"); on disk there is one lower-case spelling, and every name is
// resolved without regard to case.
namespace Folders {

// The executable's folder, with a trailing separator.
QString programFolder();
// programFolder() + "data/": shipped files (navigator, guidance, help, analysis files).
QString dataFolder();
// programFolder() + "userdata/": the user's plans.
QString userDataFolder();
// The user's configuration folder (normally ~/.config/Tandel), created on demand.
QString configFolder();
// "Tandel.INI" in the configuration folder.
QString settingsFile();

// Resolves a name the program uses ("Data\\mp.nav", "userdata/3.MP", an absolute path)
// to the file on disk, matching each component without regard to case. A component that
// does not exist keeps the spelling given (folders "data" and "userdata" their disk one),
// so the result can also be used to create the file.
QString resolve(const QString& name);

// For tests: point the program and configuration folders elsewhere. Empty restores.
void setProgramFolder(const QString& folder);
void setConfigFolder(const QString& folder);

} // namespace Folders
