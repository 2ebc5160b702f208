#include "platform/inifile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

IniWriteError::IniWriteError(const QString& fileName)
    : std::runtime_error(QStringLiteral("Unable to write to %1").arg(fileName).toStdString()),
      m_fileName(fileName), m_message(QStringLiteral("Unable to write to %1").arg(fileName)) {}

namespace {
QString folded(const QString& s) { return s.trimmed().toCaseFolded(); }

// Control characters would break the line structure of the file; a value is stored on
// one line, so they become blanks.
QString storableValue(const QString& value) {
    QString v = value;
    for (QChar& c : v)
        if (c.unicode() < 0x20 || c == QChar(0x7f) || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    return v.trimmed();
}
} // namespace

IniFile::IniFile(const QString& fileName) : m_fileName(QFileInfo(fileName).absoluteFilePath()) {
    load();
}

void IniFile::load() {
    m_sections.clear();
    m_sectionIndex.clear();
    m_sections.push_back(Section{});

    QFile f(m_fileName);
    if (!f.open(QIODevice::ReadOnly))
        return;
    QByteArray bytes = f.readAll();
    // A half-written or binary file: read what can be read. NULs end nothing; they are
    // dropped so the text around them survives.
    bytes.replace('\0', "");
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    const QString text = QString::fromUtf8(bytes);

    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start <= n) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = n;
        QString raw = text.mid(start, end - start);
        if (raw.endsWith(QLatin1Char('\r')))
            raw.chop(1);
        start = end + 1;
        if (end == n && raw.isEmpty())
            break;

        const QString t = raw.trimmed();
        if (t.startsWith(QLatin1Char('['))) {
            const qsizetype close = t.indexOf(QLatin1Char(']'));
            if (close > 0) {
                Section s;
                s.name = t.mid(1, close - 1).trimmed();
                s.headerRaw = raw;
                m_sections.push_back(std::move(s));
                const QString k = folded(m_sections.back().name);
                if (!m_sectionIndex.contains(k))
                    m_sectionIndex.insert(k, int(m_sections.size()) - 1);
                continue;
            }
        }
        Line line;
        line.raw = raw;
        const qsizetype eq = t.indexOf(QLatin1Char('='));
        if (!t.isEmpty() && !t.startsWith(QLatin1Char(';')) && eq > 0) {
            line.isKey = true;
            line.key = t.left(eq).trimmed();
            line.value = t.mid(eq + 1).trimmed();
        }
        Section& s = m_sections.back();
        s.lines.push_back(std::move(line));
        if (s.lines.back().isKey) {
            const QString k = folded(s.lines.back().key);
            if (!s.index.contains(k))
                s.index.insert(k, int(s.lines.size()) - 1);
        }
    }
}

void IniFile::reindex(Section& s) {
    s.index.clear();
    for (int i = 0; i < int(s.lines.size()); ++i)
        if (s.lines[i].isKey) {
            const QString k = folded(s.lines[i].key);
            if (!s.index.contains(k))
                s.index.insert(k, i);
        }
}

const IniFile::Section* IniFile::findSection(const QString& name) const {
    auto it = m_sectionIndex.constFind(folded(name));
    if (it == m_sectionIndex.constEnd())
        return nullptr;
    return &m_sections[*it];
}

IniFile::Section* IniFile::findSection(const QString& name) {
    return const_cast<Section*>(static_cast<const IniFile*>(this)->findSection(name));
}

QString IniFile::readString(const QString& section, const QString& key,
                            const QString& defaultValue) const {
    const Section* s = findSection(section);
    if (!s)
        return defaultValue;
    auto it = s->index.constFind(folded(key));
    if (it == s->index.constEnd())
        return defaultValue;
    return s->lines[*it].value;
}

bool IniFile::parseInteger(const QString& text, int* value) {
    const QString t = text.trimmed();
    bool ok = false;
    int v = 0;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        v = int(t.mid(2).toUInt(&ok, 16));
    else
        v = t.toInt(&ok, 10);
    if (ok && value)
        *value = v;
    return ok;
}

int IniFile::readInteger(const QString& section, const QString& key, int defaultValue) const {
    int v = defaultValue;
    if (!hasKey(section, key) || !parseInteger(readString(section, key), &v))
        return defaultValue;
    return v;
}

bool IniFile::hasKey(const QString& section, const QString& key) const {
    const Section* s = findSection(section);
    return s && s->index.contains(folded(key));
}

bool IniFile::hasSection(const QString& section) const { return findSection(section) != nullptr; }

QStringList IniFile::keys(const QString& section) const {
    QStringList out;
    const Section* s = findSection(section);
    if (!s)
        return out;
    for (int i = 0; i < int(s->lines.size()); ++i) {
        const Line& l = s->lines[i];
        // Only the first of duplicate keys is a key as far as readers are concerned.
        if (l.isKey && s->index.value(folded(l.key)) == i)
            out << l.key;
    }
    return out;
}

QStringList IniFile::sections() const {
    QStringList out;
    for (size_t i = 1; i < m_sections.size(); ++i)
        if (m_sectionIndex.value(folded(m_sections[i].name)) == int(i))
            out << m_sections[i].name;
    return out;
}

bool IniFile::isStorableKey(const QString& key) {
    const QString t = key.trimmed();
    if (t.isEmpty() || t != key || t.startsWith(QLatin1Char(';')) ||
        t.startsWith(QLatin1Char('[')) || t.contains(QLatin1Char('=')))
        return false;
    for (QChar c : t)
        if (c.unicode() < 0x20 || c == QChar(0x7f))
            return false;
    return true;
}

IniFile::Section& IniFile::sectionForWrite(const QString& name) {
    if (Section* s = findSection(name))
        return *s;
    Section s;
    s.name = name.trimmed();
    s.headerRaw = QLatin1Char('[') + s.name + QLatin1Char(']');
    m_sections.push_back(std::move(s));
    m_sectionIndex.insert(folded(name), int(m_sections.size()) - 1);
    return m_sections.back();
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    if (!isStorableKey(key) || section.contains(QLatin1Char(']')) || section.trimmed().isEmpty())
        throw IniWriteError(QDir::toNativeSeparators(m_fileName));
    Section& s = sectionForWrite(section);
    const QString v = storableValue(value);
    auto it = s.index.constFind(folded(key));
    if (it != s.index.constEnd()) {
        Line& l = s.lines[*it];
        l.value = v;
        l.raw.clear();
    } else {
        Line l;
        l.isKey = true;
        l.key = key;
        l.value = v;
        // New keys go after the section's last key, before any trailing blank lines.
        int pos = int(s.lines.size());
        while (pos > 0 && s.lines[pos - 1].raw.trimmed().isEmpty() && !s.lines[pos - 1].isKey)
            --pos;
        s.lines.insert(s.lines.begin() + pos, std::move(l));
        reindex(s);
    }
    save();
}

void IniFile::writeInteger(const QString& section, const QString& key, int value) {
    writeString(section, key, QString::number(value));
}

void IniFile::deleteKey(const QString& section, const QString& key) {
    Section* s = findSection(section);
    if (!s)
        return;
    const QString k = folded(key);
    const size_t before = s->lines.size();
    std::erase_if(s->lines, [&](const Line& l) { return l.isKey && folded(l.key) == k; });
    if (s->lines.size() == before)
        return;
    reindex(*s);
    save();
}

void IniFile::eraseSection(const QString& section) {
    const QString k = folded(section);
    const size_t before = m_sections.size();
    std::vector<Section> kept;
    kept.reserve(m_sections.size());
    for (size_t i = 0; i < m_sections.size(); ++i)
        if (i == 0 || folded(m_sections[i].name) != k)
            kept.push_back(std::move(m_sections[i]));
    m_sections = std::move(kept);
    if (m_sections.size() == before)
        return;
    m_sectionIndex.clear();
    for (size_t i = 1; i < m_sections.size(); ++i) {
        const QString f = folded(m_sections[i].name);
        if (!m_sectionIndex.contains(f))
            m_sectionIndex.insert(f, int(i));
    }
    save();
}

void IniFile::commit() {
    if (m_batch > 0)
        --m_batch;
    if (m_batch == 0 && m_dirty)
        save();
}

void IniFile::save() {
    if (m_batch > 0) {
        m_dirty = true;
        return;
    }
    m_dirty = false;
    QByteArray out;
    out.reserve(4096);
    auto put = [&out](const QString& s) {
        out += s.toUtf8();
        out += "\r\n";
    };
    for (size_t i = 0; i < m_sections.size(); ++i) {
        const Section& s = m_sections[i];
        if (i > 0) {
            // Keep the file readable: a blank line before every section but the first.
            if (!out.isEmpty() && !out.endsWith("\r\n\r\n"))
                out += "\r\n";
            put(s.headerRaw);
        }
        for (const Line& l : s.lines)
            put(l.isKey && l.raw.isEmpty() ? l.key + QLatin1Char('=') + l.value : l.raw);
    }
    QSaveFile f(m_fileName);
    if (!f.open(QIODevice::WriteOnly) || f.write(out) != out.size() || !f.commit())
        throw IniWriteError(QDir::toNativeSeparators(m_fileName));
}
