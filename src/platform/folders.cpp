#include "platform/folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString g_programFolder;
QString g_configFolder;

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

QString dataFolder() { return programFolder() + QStringLiteral("data/"); }
QString userDataFolder() { return programFolder() + QStringLiteral("userdata/"); }

QString configFolder() {
    QString dir = g_configFolder;
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
              QStringLiteral("/Tandel");
    dir = withSlash(dir);
    QDir().mkpath(dir);
    return dir;
}

QString settingsFile() { return resolve(configFolder() + QStringLiteral("Tandel.INI")); }

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
}
void setConfigFolder(const QString& folder) {
    g_configFolder = folder.isEmpty() ? QString() : withSlash(folder);
}

} // namespace Folders
