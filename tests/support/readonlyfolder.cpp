#include "support/readonlyfolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>

#include <unistd.h>

namespace {

bool run(const QStringList& args) {
    QProcess p;
    p.start(args.first(), args.mid(1));
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void setWritable(const QString& folder, bool writable) {
    QDirIterator it(folder, QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    QStringList paths{folder};
    while (it.hasNext()) paths << it.next();
    for (const QString& p : paths) {
        QFile::Permissions perms = QFile::permissions(p);
        const QFile::Permissions w = QFile::WriteOwner | QFile::WriteUser | QFile::WriteGroup |
                                     QFile::WriteOther;
        QFile::setPermissions(p, writable ? perms | QFile::WriteOwner | QFile::WriteUser : perms & ~w);
    }
}

} // namespace

ReadOnlyFolder::ReadOnlyFolder(const QString& folder) : m_folder(QDir::cleanPath(folder)) {
    setWritable(m_folder, false);
    if (geteuid() == 0)
        m_mounted = run({QStringLiteral("mount"), QStringLiteral("--bind"), m_folder, m_folder}) &&
                    (run({QStringLiteral("mount"), QStringLiteral("-o"),
                          QStringLiteral("remount,bind,ro"), m_folder}) ||
                     (run({QStringLiteral("umount"), m_folder}), false));
}

ReadOnlyFolder::~ReadOnlyFolder() { release(); }

void ReadOnlyFolder::release() {
    if (m_released) return;
    m_released = true;
    if (m_mounted) run({QStringLiteral("umount"), m_folder});
    setWritable(m_folder, true);
}

bool ReadOnlyFolder::isReadOnly() const {
    return ::access(QFile::encodeName(m_folder).constData(), W_OK) != 0;
}

SmallDisk::SmallDisk(const QString& folder, int kilobytes) : m_folder(QDir::cleanPath(folder)) {
    QDir().mkpath(m_folder);
    if (geteuid() == 0)
        m_mounted = run({QStringLiteral("mount"), QStringLiteral("-t"), QStringLiteral("tmpfs"),
                         QStringLiteral("-o"), QStringLiteral("size=%1k").arg(kilobytes),
                         QStringLiteral("tmpfs"), m_folder});
}

SmallDisk::~SmallDisk() {
    if (m_mounted) run({QStringLiteral("umount"), m_folder});
}
