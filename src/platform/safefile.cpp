#include "platform/safefile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Fault {
    bool armed = false;
    int error = 0;
    qint64 afterBytes = 0;
    QString nameContains;
} g_fault;

QString systemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

} // namespace

SafeFile::SafeFile(const QString& path) : m_path(path) {
    // A link is followed: the file it points to is replaced, and the link stays.
    const QFileInfo info(path);
    if (info.isSymLink() && !info.symLinkTarget().isEmpty()) m_path = info.symLinkTarget();
}

SafeFile::~SafeFile() {
    if (m_fd >= 0) ::close(m_fd);
    if (!m_tempPath.isEmpty()) ::unlink(QFile::encodeName(m_tempPath).constData());
}

bool SafeFile::fail(int error) {
    if (!m_failed) m_reason = systemReason(error);
    m_failed = true;
    return false;
}

bool SafeFile::open() {
    if (m_path.isEmpty()) {
        m_failed = true;
        m_reason = QStringLiteral("No file name");
        return false;
    }
    if (QFileInfo(m_path).isDir()) return fail(EISDIR);
    QByteArray templ = QFile::encodeName(m_path) + ".tandel-save-XXXXXX";
    m_fd = ::mkstemp(templ.data());
    if (m_fd < 0 && errno == ENAMETOOLONG) {
        // A name near the system's limit: the shorter name of older versions still fits.
        templ = QFile::encodeName(m_path) + ".XXXXXX";
        m_fd = ::mkstemp(templ.data());
    }
    if (m_fd < 0) return fail(errno);
    m_tempPath = QFile::decodeName(templ);
    // The file keeps the permissions it had; a new one gets the usual ones for the user.
    struct stat st {};
    mode_t mode;
    if (::stat(QFile::encodeName(m_path).constData(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(m_fd, mode) != 0) return fail(errno);
    return true;
}

bool SafeFile::write(const char* data, qint64 size) {
    if (m_failed || m_fd < 0) return false;
    while (size > 0) {
        qint64 chunk = size;
        if (g_fault.armed && m_path.contains(g_fault.nameContains)) {
            if (m_written >= g_fault.afterBytes) return fail(g_fault.error);
            chunk = qMin(chunk, g_fault.afterBytes - m_written);
        }
        const ssize_t n = ::write(m_fd, data, size_t(chunk));
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(errno);
        }
        data += n;
        size -= n;
        m_written += n;
    }
    return true;
}

bool SafeFile::finish() {
    if (m_failed || m_tempPath.isEmpty()) return false;
    if (m_fd < 0) return true; // staged already
    const int fd = m_fd;
    m_fd = -1;
    if (::fsync(fd) != 0) {
        const int e = errno;
        ::close(fd);
        return fail(e);
    }
    if (::close(fd) != 0) return fail(errno);
    return true;
}

bool SafeFile::stage() { return finish(); }

bool SafeFile::rename(bool replace) {
    if (!finish()) return false;
    const QByteArray from = QFile::encodeName(m_tempPath);
    const QByteArray to = QFile::encodeName(m_path);
    int result = -1;
    if (replace) {
        result = ::rename(from.constData(), to.constData());
    } else {
        result = ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(),
                             RENAME_NOREPLACE);
        // A file system without the flag: a hard link is made only where no file is.
        if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
            result = ::link(from.constData(), to.constData());
            if (result == 0) ::unlink(from.constData());
        }
    }
    if (result != 0) return fail(errno);
    m_tempPath.clear();
    return true;
}

bool SafeFile::commit() { return rename(true); }

bool SafeFile::commitNew() { return rename(false); }

QString SafeFile::failure() const { return failureLine(m_path, m_reason); }

QString SafeFile::failureLine(const QString& path, const QString& reason) {
    return QDir::toNativeSeparators(path) + QStringLiteral(": ") + reason;
}

SafeFile::Result SafeFile::write(const QString& path, const QByteArray& bytes) {
    SafeFile f(path);
    Result r;
    r.ok = f.open() && f.write(bytes) && f.commit();
    if (!r.ok) r.failure = f.failure();
    return r;
}

bool SafeFile::isLeftoverName(const QString& fileName) {
    // mkstemp fills the six places with letters and digits.
    static const QRegularExpression ours(QStringLiteral("^.+\\.tandel-save-[A-Za-z0-9]{6}$"));
    static const QRegularExpression older(
        QStringLiteral("^(([0-9]{1,9}\\.mps?|mp\\.ini|ca\\.ini|sw\\.ini|ip\\.ini|struct\\.nav)"
                       "\\.[A-Za-z0-9]{6}|budget-[A-Za-z0-9]{6}\\.tmp)$"),
        QRegularExpression::CaseInsensitiveOption);
    if (ours.match(fileName).hasMatch()) return true;
    // Older names end in six random letters and digits only: a word ("N.mp.backup") is
    // somebody's file, so a name whose six end in small letters alone is never taken.
    if (!older.match(fileName).hasMatch()) return false;
    const QStringView six = fileName.endsWith(QLatin1String(".tmp"))
                                ? QStringView(fileName).mid(7, 6)
                                : QStringView(fileName).right(6);
    return std::any_of(six.begin(), six.end(), [](QChar c) { return !c.isLower(); });
}

QStringList SafeFile::removeLeftovers(const QString& folder, int minAgeSeconds) {
    QStringList removed;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System);
    for (const QFileInfo& e : entries) {
        if (e.isSymLink() || !isLeftoverName(e.fileName())) continue;
        if (minAgeSeconds > 0 && e.lastModified().toUTC().secsTo(now) < minAgeSeconds) continue;
        if (QFile::remove(e.absoluteFilePath())) removed << e.fileName();
    }
    return removed;
}

void SafeFile::injectFault(int error, qint64 afterBytes, const QString& nameContains) {
    g_fault = Fault{true, error, afterBytes, nameContains};
}

void SafeFile::clearFault() { g_fault = Fault{}; }
