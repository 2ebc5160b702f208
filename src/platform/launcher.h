#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QUrl;

// Starts another program with a command line, the way the program hands its web address
// to the web launcher. When the program cannot be started, the address (the argument)
// goes to the desktop's own handler instead. Nothing is reported either way.
namespace Launcher {

// Where the program was found: the name as given when it is a path, else the program
// folder and then each folder of PATH, every name matched without regard to case. A
// Windows name ending in ".exe" also finds the same name without it. Empty when
// nothing executable is there.
QString findProgram(const QString& program);

enum class Outcome { Started, OpenedAddress, Nothing };

// Starts the program detached; when it cannot start, opens the arguments, joined by
// spaces, as an address.
Outcome start(const QString& program, const QStringList& arguments);
// The command-line form: the arguments split at white space.
Outcome start(const QString& program, const QString& commandLine);

// Tests replace the desktop's address handler (an empty function restores it).
void setUrlOpener(std::function<bool(const QUrl&)> opener);

} // namespace Launcher
