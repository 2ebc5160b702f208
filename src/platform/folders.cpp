#include "platform/folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace {
QString g_programFolder;
QString g_configFolder;
QString g_userFolder;
// The storage decision, made once per program folder.
int g_storage = -1;

QString withSlash(QString s) {
    s = QDir::fromNativeSeparators(s);
    if (!s.endsWith(QLatin1Char('/')))
        s += QLatin1Char('/');
    return s;
}

// Finds an entry of dir whose name equals name without regard to case.
QString matchEntry(const QString& dir, const QString& name) {
    if (QFileInfo::exists(dir + name))
        return name;
    const QStringList entries =
        QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& e : entries)
        if (e.compare(name, Qt::CaseInsensitive) == 0)
            return e;
    return QString();
}
} // namespace

namespace Folders {

QString programFolder() {
    if (!g_programFolder.isEmpty())
        return g_programFolder;
    return withSlash(QCoreApplication::applicationDirPath());
}

namespace {
// The folder that holds the shipped data/ and userdata/: the program's own folder when
// data/ lies beside it, else the installed layout's share/tandel/.
QString shippedRoot() {
    const QString own = programFolder();
    if (QFileInfo(resolve(own + QStringLiteral("data"))).isDir()) return own;
    const QString installed =
        withSlash(QDir::cleanPath(own + QStringLiteral("../share/tandel")));
    if (QFileInfo(installed + QStringLiteral("data")).isDir()) return installed;
    return own;
}

// Whether this user may create files in a folder (or, when it does not exist yet, in the
// folder that would hold it). access() asks the system itself, so a read-only mount counts.
bool writableFolder(const QString& folder) {
    QString f = QDir::cleanPath(folder);
    while (!QFileInfo::exists(f)) {
        const QString up = QFileInfo(f).absolutePath();
        if (up == f) return false;
        f = up;
    }
    return ::access(QFile::encodeName(f).constData(), W_OK | X_OK) == 0;
}
} // namespace

Storage storage() {
    if (g_storage < 0) {
        const QString own = programFolder();
        const bool beside = shippedRoot() == own && writableFolder(own) &&
                            writableFolder(resolve(own + QStringLiteral("data"))) &&
                            writableFolder(resolve(own + QStringLiteral("userdata")));
        g_storage = int(beside ? Storage::BesideProgram : Storage::UserFolder);
    }
    return Storage(g_storage);
}

QString shippedDataFolder() { return shippedRoot() + QStringLiteral("data/"); }
QString shippedUserDataFolder() { return shippedRoot() + QStringLiteral("userdata/"); }

QString userFolder() {
    if (!g_userFolder.isEmpty()) return g_userFolder;
    return withSlash(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                     QStringLiteral("/Tandel"));
}

QString dataFolder() {
    return storage() == Storage::BesideProgram ? programFolder() + QStringLiteral("data/")
                                               : userFolder();
}

QString userDataFolder() {
    return storage() == Storage::BesideProgram ? programFolder() + QStringLiteral("userdata/")
                                               : userFolder() + QStringLiteral("userdata/");
}

bool seedUserFolder() {
    if (storage() == Storage::BesideProgram) return true;
    if (!QDir().mkpath(userDataFolder())) return false;
    auto seed = [](const QString& from, const QString& to) {
        if (QFileInfo::exists(to) || !QFileInfo(from).isFile()) return;
        // A copy under a temporary name, then renamed: a start that is cut off half-way
        // never leaves a half catalogue that the next start would take as the user's.
        const QString part = to + QStringLiteral(".part");
        QFile::remove(part);
        if (QFile::copy(from, part)) {
            QFile::setPermissions(part, QFile::permissions(part) | QFile::WriteOwner |
                                            QFile::ReadOwner);
            if (!QFile::rename(part, to)) QFile::remove(part);
        }
    };
    const QString shipped = shippedDataFolder();
    for (const char* name : {"mp.ini", "ca.ini", "sw.ini", "ip.ini"})
        seed(resolve(shipped + QLatin1String(name)), dataFolder() + QLatin1String(name));
    const QDir plans(shippedUserDataFolder());
    for (const QString& name : plans.entryList(QDir::Files))
        seed(plans.filePath(name), userDataFolder() + name.toLower());
    return true;
}

QString configFolder(bool create) {
    QString dir = g_configFolder;
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
              QStringLiteral("/Tandel");
    dir = withSlash(dir);
    if (create) QDir().mkpath(dir);
    return dir;
}

QString settingsFile(bool createFolder) {
    return resolve(configFolder(createFolder) + QStringLiteral("Tandel.INI"));
}

QString resolve(const QString& name) {
    QString path = QDir::fromNativeSeparators(name);
    QString base;
    if (QDir::isRelativePath(path)) {
        base = programFolder();
    } else {
        base = QStringLiteral("/");
        path = path.mid(1);
    }
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString current = base;
    for (int i = 0; i < parts.size(); ++i) {
        const QString& part = parts[i];
        const bool last = i == parts.size() - 1;
        QString found = (part == QLatin1String(".") || part == QLatin1String(".."))
                            ? part
                            : matchEntry(current, part);
        if (found.isEmpty())
            found = (!last || part.compare(QLatin1String("data"), Qt::CaseInsensitive) == 0 ||
                     part.compare(QLatin1String("userdata"), Qt::CaseInsensitive) == 0)
                        ? part.toLower()
                        : part;
        current += found;
        if (!last)
            current += QLatin1Char('/');
    }
    if (path.endsWith(QLatin1Char('/')) && !current.endsWith(QLatin1Char('/')))
        current += QLatin1Char('/');
    return QDir::cleanPath(current) + (current.endsWith(QLatin1Char('/')) ? QStringLiteral("/") : QString());
}

void setProgramFolder(const QString& folder) {
    g_programFolder = folder.isEmpty() ? QString() : withSlash(folder);
    g_storage = -1;
}
void setUserFolder(const QString& folder) {
    g_userFolder = folder.isEmpty() ? QString() : withSlash(folder);
}
void setConfigFolder(const QString& folder) {
    g_configFolder = folder.isEmpty() ? QString() : withSlash(folder);
}

} // namespace Folders
