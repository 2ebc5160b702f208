#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <stdexcept>
#include <vector>

// Raised when a profile file cannot be written. what() / message() read
// "Unable to write to <full file name>".
class IniWriteError : public std::runtime_error {
public:
    explicit IniWriteError(const QString& fileName);
    QString message() const { return m_message; }
    QString fileName() const { return m_fileName; }

private:
    QString m_fileName;
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
    struct Section {
        QString name; // empty for the lines before the first section header
        QString headerRaw;
        std::vector<Line> lines;
        QHash<QString, int> index; // lower-case key -> first line holding it
    };

    void load();
    void save();
    void reindex(Section& s);
    Section* findSection(const QString& name);
    const Section* findSection(const QString& name) const;
    Section& sectionForWrite(const QString& name);

    QString m_fileName;
    std::vector<Section> m_sections; // m_sections[0] is the nameless preamble
    QHash<QString, int> m_sectionIndex;
    int m_batch = 0;
    bool m_dirty = false;
};
