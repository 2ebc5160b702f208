// Feeds arbitrary bytes to the profile-file reader, then checks that writes keep every
// other value of the file as it was read.
#include "platform/inifile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace {

struct Entry {
    QString section;
    QString key;
    QString value;
};

bool sameName(const QString& a, const QString& b) {
    return a.trimmed().toCaseFolded() == b.trimmed().toCaseFolded();
}

[[noreturn]] void fail(const char* what, const Entry& e, const QString& got) {
    std::fprintf(stderr, "%s: [%s] %s: expected \"%s\", got \"%s\"\n", what, qPrintable(e.section),
                 qPrintable(e.key), qPrintable(e.value), qPrintable(got));
    std::abort();
}

QList<Entry> everything(const IniFile& ini) {
    QList<Entry> out;
    for (const QString& s : ini.sections())
        for (const QString& k : ini.keys(s)) {
            out << Entry{s, k, ini.readString(s, k)};
            int v = 0;
            (void)ini.readInteger(s, k, v);
        }
    return out;
}

// After a write of (section, key), every other value reads as before.
void checkKept(const QList<Entry>& before, const QString& path, const QString& section,
               const QString& key, const QString& expected) {
    IniFile again(path);
    for (const Entry& e : before) {
        if (sameName(e.section, section) && sameName(e.key, key)) continue;
        const QString got = again.readString(e.section, e.key, QStringLiteral("\x01missing"));
        if (got != e.value) fail("value changed by an unrelated write", e, got);
    }
    const QString got = again.readString(section, key);
    if (got != expected) fail("written value not read back", Entry{section, key, expected}, got);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Every write is flushed to the disk; a memory file system keeps the runs fast.
    static QTemporaryDir dir(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                 ? QStringLiteral("/dev/shm/fuzz_inifile-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/fuzz_inifile-XXXXXX"));
    const QString path = dir.filePath(QStringLiteral("fuzz.ini"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }

    IniFile ini(path);
    const QList<Entry> before = everything(ini);
    (void)ini.readString(QStringLiteral("titles"), QStringLiteral("missing"));
    (void)ini.hasSection(QString());

    try {
        // A key in a section of its own, added at the end.
        ini.writeString(QStringLiteral("Fuzz Section"), QStringLiteral("FuzzKey"),
                        QStringLiteral("  added value "));
        checkKept(before, path, QStringLiteral("Fuzz Section"), QStringLiteral("FuzzKey"),
                  QStringLiteral("added value"));

        // An existing key changed in place, when there is one that can be written.
        IniFile second(path);
        const QList<Entry> current = everything(second);
        for (const Entry& e : current) {
            if (!IniFile::isStorableKey(e.key) || e.section.trimmed().isEmpty() ||
                e.section.contains(QLatin1Char(']')))
                continue;
            second.writeInteger(e.section, e.key, -42);
            checkKept(current, path, e.section, e.key, QStringLiteral("-42"));
            // The object that wrote reads what a fresh reader of the file reads.
            const IniFile fresh(path);
            for (const Entry& k : everything(fresh))
                if (second.readString(k.section, k.key, QStringLiteral("\x01missing")) != k.value)
                    fail("writer's own reading differs from the file", k,
                         second.readString(k.section, k.key, QStringLiteral("\x01missing")));
            if (IniFile(path).readInteger(e.section, e.key, 0) != -42) std::abort();
            break;
        }

        // A key added to the first existing section.
        IniFile third(path);
        const QStringList sections = third.sections();
        if (!sections.isEmpty() && !sections.first().trimmed().isEmpty() &&
            !sections.first().contains(QLatin1Char(']'))) {
            const QList<Entry> now = everything(third);
            third.writeString(sections.first(), QStringLiteral("NewKey"), QStringLiteral("new"));
            checkKept(now, path, sections.first(), QStringLiteral("NewKey"), QStringLiteral("new"));
        }

        // Erasing a section leaves the others.
        IniFile fourth(path);
        const QList<Entry> last = everything(fourth);
        fourth.eraseSection(QStringLiteral("fuzz section"));
        IniFile after(path);
        if (after.hasSection(QStringLiteral("Fuzz Section"))) std::abort();
        for (const Entry& e : last)
            if (!sameName(e.section, QStringLiteral("Fuzz Section")) &&
                after.readString(e.section, e.key, QStringLiteral("\x01missing")) != e.value)
                fail("value lost by erasing another section", e,
                     after.readString(e.section, e.key, QStringLiteral("\x01missing")));
    } catch (const IniWriteError& e) {
        // The folder is ours and writable: a refused write is a fault.
        std::fprintf(stderr, "%s\n", e.what());
        std::abort();
    }
    return 0;
}
