#include "platform/datafolderlock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace DataFolderLock {

namespace {

struct Held {
    int fd = -1;
    QString file;
} g_held;

} // namespace

QString lockFileName(const QString& folder) {
    return QDir(folder).absoluteFilePath(QStringLiteral("tandel.lock"));
}

Result acquire(const QString& folder) {
    const QString file = lockFileName(folder);
    if (g_held.fd >= 0) {
        if (QFileInfo(g_held.file) == QFileInfo(file)) return Result::Taken;
        release();
    }
    const QByteArray name = QFile::encodeName(file);
    int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    // A lock file another user made (a shared folder) locks all the same when only read.
    if (fd < 0 && errno == EACCES) fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Result::Unavailable;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return error == EWOULDBLOCK ? Result::HeldByOther : Result::Unavailable;
    }
    // Who holds it, for the message another copy shows.
    const QByteArray who = QByteArray::number(QCoreApplication::applicationPid()) + '\n' +
                           QSysInfo::machineHostName().toUtf8() + '\n';
    if (::ftruncate(fd, 0) == 0) {
        ssize_t ignored = ::pwrite(fd, who.constData(), size_t(who.size()), 0);
        (void)ignored;
    }
    g_held.fd = fd;
    g_held.file = file;
    return Result::Taken;
}

QString holder(const QString& folder) {
    QFile f(lockFileName(folder));
    if (!f.open(QIODevice::ReadOnly)) return QString();
    const QList<QByteArray> lines = f.read(512).split('\n');
    bool ok = false;
    const qint64 pid = lines.value(0).trimmed().toLongLong(&ok);
    if (!ok || pid <= 0) return QString();
    const QString host = QString::fromUtf8(lines.value(1).trimmed());
    if (host.isEmpty() || host == QSysInfo::machineHostName())
        return QStringLiteral("process %1").arg(pid);
    return QStringLiteral("process %1 on %2").arg(pid).arg(host);
}

void release() {
    if (g_held.fd >= 0) ::close(g_held.fd); // closing drops the lock
    g_held = Held{};
}

} // namespace DataFolderLock
