#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <stdexcept>
#include <vector>

// Raised when a profile file cannot be written. what() reads "Unable to write to <full
// file name>"; message() adds a second line with the file and the system's reason.
class IniWriteError : public std::runtime_error {
public:
    explicit IniWriteError(const QString& fileName, const QString& reason = QString());
    QString message() const { return m_message; }
    QString fileName() const { return m_fileName; }
    QString reason() const { return m_reason; }
    // A section or key name the file cannot store and read back as itself: the message
    // names it and says why, for nothing failed on the disk.
    static IniWriteError unstorableName(const QString& fileName, const QString& name);

private:
    IniWriteError(const QString& fileName, const QString& reason, const QString& message);
    QString m_fileName;
    QString m_reason;
    QString m_message;
};

// A profile (INI) file with the semantics the program's settings and data files were
// written for: section and key names match without regard to case, the first of
// duplicate sections or keys wins, values are trimmed, key order is kept (new keys go at
// the end of their section, new sections at the end of the file).
//
// The file is read once when the object is made; every write reaches the disk at once,
// atomically (a temporary file in the same folder, then a rename), so a crash or a full
// disk never leaves a half-written file. Make one object per use and drop it: nothing is
// cached beyond its life. A missing, empty or unreadable file reads as empty and is
// created by the first write. Lines that are not sections or keys (comments starting
// with ';', stray text) are kept as they are.
class IniFile {
public:
    explicit IniFile(const QString& fileName);

    QString fileName() const { return m_fileName; }

    QString readString(const QString& section, const QString& key,
                       const QString& defaultValue = QString()) const;
    // Decimal (with optional sign) or 0x hexadecimal; anything else gives the default.
    int readInteger(const QString& section, const QString& key, int defaultValue) const;
    bool hasKey(const QString& section, const QString& key) const;
    bool hasSection(const QString& section) const;

    // Key names of a section in file order (each name once, first spelling kept).
    QStringList keys(const QString& section) const;
    QStringList sections() const;

    // Each write saves the whole file; on failure IniWriteError is thrown and the file
    // on disk is left as it was (the object keeps the new value).
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void deleteKey(const QString& section, const QString& key);
    void eraseSection(const QString& section);

    // Several changes, one write: the changes are kept in memory until commit().
    void beginBatch() { ++m_batch; }
    void commit();

    // A key name that can be stored and read back as itself.
    static bool isStorableKey(const QString& key);
    static bool parseInteger(const QString& text, int* value);

private:
    struct Line {
        QString raw;   // kept verbatim for lines that are not key=value
        QString key;   // empty for non-key lines
        QString value;
        bool isKey = false;
    };
    // A section's lines, parsed from the file's bytes the first time they are needed.
    struct Body {
        std::vector<Line> lines;
        QHash<QString, int> index; // folded key -> first line holding it
    };
    // The file is kept as the bytes it was read as (valid UTF-8, every line ending in CR
    // LF) with an index of where each section's header and body lie, so that opening a
    // large file costs one pass over its bytes and no text is decoded but the sections
    // used. A write streams the untouched sections' bytes to the file as they are and the
    // changed ones from their parsed lines.
    struct Section {
        qsizetype headerBegin = -1, headerEnd = -1; // header line, CR LF excluded; -1: new
        qsizetype nameBegin = 0, nameEnd = 0;       // an ASCII name inside the header
        qsizetype bodyBegin = 0, bodyEnd = 0;       // body lines, CR LFs included
        quint64 hash = 0;                           // of the folded name's UTF-8
        QByteArray key;    // folded name's UTF-8 when the name is not plain ASCII in the bytes
        QString name;      // the name when it is not plain ASCII in the bytes
        QString headerRaw; // header line of a section made by a write
        bool erased = false;
        bool modified = false; // the lines are the body's truth, not its bytes
        mutable std::unique_ptr<Body> body;
    };

    void load();
    // Finds the sections of m_bytes; false when a line ends in LF alone.
    bool indexSections();
    void save();
    static void reindex(Body& b);
    Body& bodyOf(const Section& s) const;
    QString nameOf(const Section& s) const;
    bool matches(const Section& s, const QByteArray& key) const;
    int find(const QString& name) const; // first live section of that name, -1 when none
    Section* findSection(const QString& name);
    const Section* findSection(const QString& name) const;
    Section& sectionForWrite(const QString& name);
    void addSection(Section&& s);
    void indexInsert(int section);

    QString m_fileName;
    QByteArray m_bytes;
    std::vector<Section> m_sections; // m_sections[0] is the nameless preamble
    // Open addressing over the section names' hashes: section number + 1 per slot, 0 for
    // an empty slot; sections of one name lie along a probe chain in file order. Every
    // section but the preamble is in it, erased ones included.
    std::vector<int> m_index;
    int m_indexed = 0;
    int m_batch = 0;
    bool m_dirty = false;
};
