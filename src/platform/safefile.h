#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Writes a file atomically: the bytes go to a temporary file in the same folder, which is
// flushed to the disk and then renamed over the file. Any failure on the way (a folder
// that cannot be written, a full disk, a refused rename) leaves the file exactly as it
// was, and says why in the system's words ("Permission denied", "No space left on
// device"), so that a message can tell the user which file failed and what stopped it.
class SafeFile {
public:
    explicit SafeFile(const QString& path);
    ~SafeFile(); // a file never committed takes its temporary file with it
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    bool open();
    bool write(const char* data, qint64 size);
    bool write(const QByteArray& bytes) { return write(bytes.constData(), bytes.size()); }
    // Flushes, closes and renames; false (the file untouched) when any step failed.
    bool commit();
    // Flushes and closes the temporary file, keeping it under its temporary name: several
    // files are written whole before any of them takes its name (commit() or commitNew()).
    bool stage();
    // As commit(), but a file of that name already there is never replaced: the commit
    // fails ("File exists") and the file stays as it was.
    bool commitNew();

    QString path() const { return m_path; }
    QString reason() const { return m_reason; }
    // "<file>: <reason>", the line a failure message adds below its own words.
    QString failure() const;

    struct Result {
        bool ok = false;
        QString failure; // empty when ok
    };
    // The whole file in one go.
    static Result write(const QString& path, const QByteArray& bytes);

    // The line for a file and a reason, as failure() gives it.
    static QString failureLine(const QString& path, const QString& reason);

    // The temporary file of a write is named "<file>.tandel-save-XXXXXX" beside the file.
    // A write cut off by a crash or a kill leaves it behind; removeLeftovers() deletes
    // those in `folder` (not below it), and nothing else: only names of exactly that form,
    // and the "<plan file>.XXXXXX" names older versions used for the files the program
    // keeps (N.mp, N.mps, mp.ini, ca.ini, sw.ini, ip.ini, struct.nav), and their
    // "budget-XXXXXX.tmp" for a new budget template. Files younger
    // than `minAgeSeconds` are left alone (a folder another copy may be writing to).
    // Returns the names removed.
    static QStringList removeLeftovers(const QString& folder, int minAgeSeconds = 0);
    static bool isLeftoverName(const QString& fileName);

    // For tests: from now on, writes to files whose name contains `nameContains` fail with
    // the system error `error` (ENOSPC, EIO ...) once `afterBytes` bytes of the file have
    // been written, as a disk that fills up half-way does. clearFault() ends it.
    static void injectFault(int error, qint64 afterBytes, const QString& nameContains);
    static void clearFault();

private:
    bool fail(int error);
    bool finish();
    bool rename(bool replace);

    QString m_path;
    QString m_tempPath;
    int m_fd = -1;
    qint64 m_written = 0;
    bool m_failed = false;
    QString m_reason;
};
