#include "platform/launcher.h"

#include "platform/folders.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace {

std::function<bool(const QUrl&)> g_opener;

bool isRunnable(const QString& path) {
    const QFileInfo fi(path);
    return fi.exists() && fi.isFile() && fi.isExecutable();
}

// An entry of a folder named like `name` without regard to case, if it is runnable.
QString findIn(const QString& folder, const QString& name) {
    if (folder.isEmpty()) return QString();
    QString dir = QDir::fromNativeSeparators(folder);
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    const QString candidate = Folders::resolve(dir + name);
    return isRunnable(candidate) ? candidate : QString();
}

QStringList candidateNames(const QString& program) {
    QStringList names{program};
    if (program.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive) && program.size() > 4)
        names << program.left(program.size() - 4);
    return names;
}

} // namespace

namespace Launcher {

QString findProgram(const QString& program) {
    const QString name = QDir::fromNativeSeparators(program.trimmed());
    if (name.isEmpty()) return QString();
    if (name.contains(QLatin1Char('/'))) {
        for (const QString& n : candidateNames(name)) {
            const QString resolved = Folders::resolve(n);
            if (isRunnable(resolved)) return resolved;
        }
        return QString();
    }
    QStringList folders{Folders::programFolder()};
    const QString path = qEnvironmentVariable("PATH");
    folders += path.split(QDir::listSeparator(), Qt::SkipEmptyParts);
    for (const QString& folder : folders)
        for (const QString& n : candidateNames(name)) {
            const QString found = findIn(folder, n);
            if (!found.isEmpty()) return found;
        }
    return QString();
}

Outcome start(const QString& program, const QStringList& arguments) {
    const QString found = findProgram(program);
    if (!found.isEmpty() && QProcess::startDetached(found, arguments)) return Outcome::Started;
    const QString address = arguments.join(QLatin1Char(' ')).trimmed();
    if (address.isEmpty()) return Outcome::Nothing;
    const QUrl url = QUrl::fromUserInput(address);
    if (!url.isValid()) return Outcome::Nothing;
    const bool opened = g_opener ? g_opener(url) : QDesktopServices::openUrl(url);
    return opened ? Outcome::OpenedAddress : Outcome::Nothing;
}

Outcome start(const QString& program, const QString& commandLine) {
    return start(program, QProcess::splitCommand(commandLine));
}

void setUrlOpener(std::function<bool(const QUrl&)> opener) {
    g_opener = std::move(opener);
}

} // namespace Launcher
