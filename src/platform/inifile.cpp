#include "platform/inifile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include "platform/safefile.h"

#include <algorithm>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

IniWriteError::IniWriteError(const QString& fileName, const QString& reason)
    : std::runtime_error(QStringLiteral("Unable to write to %1").arg(fileName).toStdString()),
      m_fileName(fileName), m_reason(reason),
      m_message(QStringLiteral("Unable to write to %1").arg(fileName)) {
    // The second line says what stopped the write, in the system's words.
    if (!reason.isEmpty()) m_message += QLatin1Char('\n') + SafeFile::failureLine(fileName, reason);
}

IniWriteError::IniWriteError(const QString& fileName, const QString& reason,
                             const QString& message)
    : std::runtime_error(message.toStdString()), m_fileName(fileName), m_reason(reason),
      m_message(message) {}

IniWriteError IniWriteError::unstorableName(const QString& fileName, const QString& name) {
    const QString t = name.trimmed();
    QString why;
    if (t.isEmpty())
        why = QStringLiteral("it is empty");
    else if (t != name)
        why = QStringLiteral("it begins or ends with a blank");
    else if (t.startsWith(QLatin1Char('[')) || t.startsWith(QLatin1Char(';')))
        why = QStringLiteral("it begins with \"%1\"").arg(t.at(0));
    else if (t.contains(QLatin1Char('=')))
        why = QStringLiteral("it holds \"=\"");
    else if (t.contains(QLatin1Char(']')))
        why = QStringLiteral("it holds \"]\"");
    else
        why = QStringLiteral("it holds a line break or another control character");
    QString shown = name;
    for (QChar& c : shown)
        if (c.unicode() < 0x20 || c == QChar(0x7f)) c = QChar(0xFFFD);
    return IniWriteError(fileName, why,
                         QStringLiteral("The name \"%1\" cannot be stored in %2: %3.")
                             .arg(shown, fileName, why));
}

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

namespace {
bool isAsciiBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The file's bytes as they are kept and written: valid UTF-8 (invalid sequences become
// replacement characters, as a text reader would show them), the last line ended (a CR
// alone at the very end ends nothing). Lone LFs become CR LFs when the index meets one.
QByteArray normalised(QByteArray bytes) {
    // A half-written or binary file: read what can be read. NULs end nothing; they are
    // dropped so the text around them survives.
    if (bytes.contains('\0'))
        bytes.removeIf([](char c) { return c == '\0'; });
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    if (!QByteArrayView(bytes).isValidUtf8())
        bytes = QString::fromUtf8(bytes).toUtf8();

    const qsizetype tail = bytes.lastIndexOf('\n') + 1;
    if (tail < bytes.size()) {
        if (bytes.size() - tail == 1 && bytes.back() == '\r')
            bytes.chop(1);
        else if (bytes.back() == '\r')
            bytes += '\n';
        else
            bytes += "\r\n";
    }
    return bytes;
}

// Every lone LF made a CR LF.
QByteArray withCrLf(const QByteArray& bytes) {
    const char* d = bytes.constData();
    QByteArray out;
    out.reserve(bytes.size() + bytes.size() / 16);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (d[i] == '\n' && (i == 0 || d[i - 1] != '\r'))
            out += '\r';
        out += d[i];
    }
    return out;
}

// End of the line starting at pos: the index of its LF (every line has one).
qsizetype lineEnd(const QByteArray& bytes, qsizetype pos, qsizetype end) {
    const void* nl = std::memchr(bytes.constData() + pos, '\n', size_t(end - pos));
    return nl ? static_cast<const char*>(nl) - bytes.constData() : end;
}

// Folds the ASCII capitals of eight bytes to small letters at once: a byte gets 0x20 when
// it lies from 'A' to 'Z' (neither sum carries into the next byte).
quint64 lowerAscii(quint64 w) {
    const quint64 low = w & 0x7F7F7F7F7F7F7F7FULL;
    const quint64 fromA = low + 0x3F3F3F3F3F3F3F3FULL;   // high bit: byte >= 'A'
    const quint64 pastZ = low + 0x2525252525252525ULL;   // high bit: byte > 'Z'
    const quint64 upper = fromA & ~pastZ & ~w & 0x8080808080808080ULL;
    return w | (upper >> 2);
}

// Hash of a folded name's bytes, eight at a time; `lower` folds ASCII capitals on the way.
quint64 hashBytes(const char* d, qsizetype n, bool lower) {
    quint64 h = 0x9E3779B97F4A7C15ULL ^ quint64(n);
    for (qsizetype i = 0; i < n; i += 8) {
        quint64 w = 0;
        std::memcpy(&w, d + i, size_t(qMin<qsizetype>(8, n - i)));
        if (lower)
            w = lowerAscii(w);
        h = (h ^ w) * 0xFF51AFD7ED558CCDULL;
        h ^= h >> 32;
    }
    h *= 0xC4CEB9FE1A85EC53ULL;
    return h ^ (h >> 29);
}

QByteArray foldedKey(const QString& name) { return folded(name).toUtf8(); }

// A line's text exactly as its bytes hold it. QString::fromUtf8 drops a byte-order mark at
// the start of what it decodes, so a line kept from it and written back would lose one:
// "\uFEFF\uFEFF[b]" would come back as "\uFEFF[b]" and read differently.
QString decodedLine(const char* d, qsizetype n) {
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                    QStringDecoder::Flag::ConvertInitialBom);
    return decode(QByteArrayView(d, n));
}

// What a line says, without the blanks around it. Byte-order marks at its start count as
// blanks: a file pasted onto the end of another brings its mark along, and the section
// header after it is still meant as one.
QString lineText(const QString& raw) {
    qsizetype b = 0;
    while (b < raw.size() && (raw[b].isSpace() || raw[b] == QChar::ByteOrderMark))
        ++b;
    return QStringView(raw).mid(b).trimmed().toString();
}
} // namespace

void IniFile::load() {
    m_sections.clear();
    m_index.clear();
    m_bytes.clear();
    m_sections.push_back(Section{});

    QFile f(m_fileName);
    if (!f.open(QIODevice::ReadOnly))
        return;
    m_bytes = normalised(f.readAll());
    if (!indexSections()) {
        m_bytes = withCrLf(m_bytes);
        indexSections();
    }
}

namespace {
// Whether every LF follows a CR, sixteen bytes at a time where the processor allows.
bool allCrLf(const QByteArray& bytes) {
    const char* d = bytes.constData();
    const qsizetype n = bytes.size();
    if (n > 0 && d[0] == '\n')
        return false;
    qsizetype i = 1;
#ifdef __SSE2__
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    for (; i + 16 <= n; i += 16) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i - 1));
        const int lfs = _mm_movemask_epi8(_mm_cmpeq_epi8(here, lf));
        const int crs = _mm_movemask_epi8(_mm_cmpeq_epi8(before, cr));
        if (lfs & ~crs)
            return false;
    }
#endif
    for (; i < n; ++i)
        if (d[i] == '\n' && d[i - 1] != '\r')
            return false;
    return true;
}
} // namespace

bool IniFile::indexSections() {
    if (!allCrLf(m_bytes))
        return false;
    m_sections.resize(1);
    m_sections[0] = Section{};
    m_sections.reserve(size_t(m_bytes.size() / 128) + 1);
    m_index.clear();
    // Only the lines holding a '[' are looked at now, without decoding plain ASCII ones; a
    // section's lines are read when it is used.
    const char* d = m_bytes.constData();
    const qsizetype n = m_bytes.size();
    qsizetype pos = 0;
    while (pos < n) {
        const void* bracket = std::memchr(d + pos, '[', size_t(n - pos));
        if (!bracket)
            break;
        const qsizetype at = static_cast<const char*>(bracket) - d;
        // The line holding it.
        qsizetype lineStart = at;
        while (lineStart > 0 && d[lineStart - 1] != '\n')
            --lineStart;
        const qsizetype lf = lineEnd(m_bytes, at, n);
        const qsizetype contentEnd = lf - 1; // every line ends in CR LF here
        pos = lf + 1;
        qsizetype p = lineStart;
        while (p < at && isAsciiBlank(d[p]))
            ++p;
        bool ascii = true;
        for (qsizetype q = lineStart; q < contentEnd && ascii; ++q)
            ascii = static_cast<unsigned char>(d[q]) < 0x80;
        Section s;
        bool header = false;
        if (ascii) {
            if (p != at)
                continue; // text before the '['
            qsizetype e = contentEnd;
            while (e > p && isAsciiBlank(d[e - 1]))
                --e;
            const void* close = std::memchr(d + p, ']', size_t(e - p));
            if (close) {
                header = true;
                qsizetype nb = p + 1;
                qsizetype ne = static_cast<const char*>(close) - d;
                while (nb < ne && isAsciiBlank(d[nb]))
                    ++nb;
                while (ne > nb && isAsciiBlank(d[ne - 1]))
                    --ne;
                s.nameBegin = nb;
                s.nameEnd = ne;
                s.hash = hashBytes(d + nb, ne - nb, true);
            }
        } else {
            // Blanks and letters beyond ASCII: the decoded line decides.
            const QString t = lineText(decodedLine(d + lineStart, contentEnd - lineStart));
            const qsizetype close = t.indexOf(QLatin1Char(']'));
            if (t.startsWith(QLatin1Char('[')) && close > 0) {
                header = true;
                s.name = t.mid(1, close - 1).trimmed();
                s.key = foldedKey(s.name);
                s.hash = hashBytes(s.key.constData(), s.key.size(), false);
            }
        }
        if (header) {
            m_sections.back().bodyEnd = lineStart;
            s.headerBegin = lineStart;
            s.headerEnd = contentEnd;
            s.bodyBegin = lf + 1;
            addSection(std::move(s));
        }
    }
    m_sections.back().bodyEnd = n;
    // The index: twice as many slots as sections, at the least, as a power of two.
    size_t size = 16;
    while (size < 2 * m_sections.size())
        size *= 2;
    m_index.assign(size, 0);
    m_indexed = 0;
    for (int i = 1; i < int(m_sections.size()); ++i)
        indexInsert(i);
    return true;
}

void IniFile::addSection(Section&& s) {
    m_sections.push_back(std::move(s));
}

void IniFile::indexInsert(int section) {
    if (2 * size_t(m_indexed + 1) > m_index.size()) {
        // Grown in section order, so each name's chain keeps file order.
        m_index.assign(qMax<size_t>(16, 2 * m_index.size()), 0);
        m_indexed = 0;
        for (int i = 1; i < section; ++i)
            indexInsert(i);
    }
    const size_t mask = m_index.size() - 1;
    size_t slot = size_t(m_sections[size_t(section)].hash) & mask;
    while (m_index[slot] != 0)
        slot = (slot + 1) & mask;
    m_index[slot] = section + 1;
    ++m_indexed;
}

QString IniFile::nameOf(const Section& s) const {
    if (!s.name.isNull() || s.headerBegin < 0)
        return s.name;
    return QString::fromLatin1(m_bytes.constData() + s.nameBegin, s.nameEnd - s.nameBegin);
}

bool IniFile::matches(const Section& s, const QByteArray& key) const {
    if (!s.key.isNull())
        return s.key == key;
    if (s.nameEnd - s.nameBegin != key.size())
        return false;
    const char* d = m_bytes.constData() + s.nameBegin;
    for (qsizetype i = 0; i < key.size(); ++i) {
        char c = d[i];
        if (c >= 'A' && c <= 'Z')
            c = char(c + 32);
        if (c != key[i])
            return false;
    }
    return true;
}

int IniFile::find(const QString& name) const {
    if (m_index.empty())
        return -1;
    const QByteArray key = foldedKey(name);
    const quint64 h = hashBytes(key.constData(), key.size(), false);
    const size_t mask = m_index.size() - 1;
    for (size_t slot = size_t(h) & mask; m_index[slot] != 0; slot = (slot + 1) & mask) {
        const Section& s = m_sections[size_t(m_index[slot] - 1)];
        if (s.hash == h && !s.erased && matches(s, key))
            return m_index[slot] - 1;
    }
    return -1;
}

IniFile::Body& IniFile::bodyOf(const Section& s) const {
    if (s.body)
        return *s.body;
    s.body = std::make_unique<Body>();
    const char* d = m_bytes.constData();
    qsizetype pos = s.bodyBegin;
    while (pos < s.bodyEnd) {
        const qsizetype lf = lineEnd(m_bytes, pos, s.bodyEnd);
        const qsizetype contentEnd = lf > pos && d[lf - 1] == '\r' ? lf - 1 : lf;
        Line line;
        line.raw = decodedLine(d + pos, contentEnd - pos);
        const QString t = lineText(line.raw);
        const qsizetype eq = t.indexOf(QLatin1Char('='));
        if (!t.isEmpty() && !t.startsWith(QLatin1Char(';')) && eq > 0) {
            line.isKey = true;
            line.key = t.left(eq).trimmed();
            line.value = t.mid(eq + 1).trimmed();
        }
        s.body->lines.push_back(std::move(line));
        pos = lf + 1;
    }
    reindex(*s.body);
    return *s.body;
}

void IniFile::reindex(Body& b) {
    b.index.clear();
    for (int i = 0; i < int(b.lines.size()); ++i)
        if (b.lines[i].isKey) {
            const QString k = folded(b.lines[i].key);
            if (!b.index.contains(k))
                b.index.insert(k, i);
        }
}

const IniFile::Section* IniFile::findSection(const QString& name) const {
    const int i = find(name);
    return i < 0 ? nullptr : &m_sections[size_t(i)];
}

IniFile::Section* IniFile::findSection(const QString& name) {
    return const_cast<Section*>(static_cast<const IniFile*>(this)->findSection(name));
}

QString IniFile::readString(const QString& section, const QString& key,
                            const QString& defaultValue) const {
    const Section* s = findSection(section);
    if (!s)
        return defaultValue;
    const Body& b = bodyOf(*s);
    auto it = b.index.constFind(folded(key));
    if (it == b.index.constEnd())
        return defaultValue;
    return b.lines[*it].value;
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
    return s && bodyOf(*s).index.contains(folded(key));
}

bool IniFile::hasSection(const QString& section) const { return findSection(section) != nullptr; }

QStringList IniFile::keys(const QString& section) const {
    QStringList out;
    const Section* s = findSection(section);
    if (!s)
        return out;
    const Body& b = bodyOf(*s);
    for (int i = 0; i < int(b.lines.size()); ++i) {
        const Line& l = b.lines[i];
        // Only the first of duplicate keys is a key as far as readers are concerned.
        if (l.isKey && b.index.value(folded(l.key)) == i)
            out << l.key;
    }
    return out;
}

QStringList IniFile::sections() const {
    QStringList out;
    for (size_t i = 1; i < m_sections.size(); ++i) {
        if (m_sections[i].erased)
            continue;
        const QString name = nameOf(m_sections[i]);
        if (find(name) == int(i))
            out << name;
    }
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
    s.key = foldedKey(name);
    s.hash = hashBytes(s.key.constData(), s.key.size(), false);
    s.headerRaw = QLatin1Char('[') + s.name + QLatin1Char(']');
    s.body = std::make_unique<Body>();
    s.modified = true;
    m_sections.push_back(std::move(s));
    indexInsert(int(m_sections.size()) - 1);
    return m_sections.back();
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    if (!isStorableKey(key))
        throw IniWriteError::unstorableName(QDir::toNativeSeparators(m_fileName), key);
    if (section.contains(QLatin1Char(']')) || section.trimmed().isEmpty())
        throw IniWriteError::unstorableName(QDir::toNativeSeparators(m_fileName), section);
    Section& s = sectionForWrite(section);
    Body& b = bodyOf(s);
    const QString v = storableValue(value);
    auto it = b.index.constFind(folded(key));
    if (it != b.index.constEnd()) {
        Line& l = b.lines[*it];
        l.value = v;
        l.raw.clear();
    } else {
        Line l;
        l.isKey = true;
        l.key = key;
        l.value = v;
        // New keys go after the section's last key, before any trailing blank lines.
        int pos = int(b.lines.size());
        while (pos > 0 && b.lines[pos - 1].raw.trimmed().isEmpty() && !b.lines[pos - 1].isKey)
            --pos;
        b.lines.insert(b.lines.begin() + pos, std::move(l));
        reindex(b);
    }
    s.modified = true;
    save();
}

void IniFile::writeInteger(const QString& section, const QString& key, int value) {
    writeString(section, key, QString::number(value));
}

void IniFile::deleteKey(const QString& section, const QString& key) {
    Section* s = findSection(section);
    if (!s)
        return;
    Body& b = bodyOf(*s);
    const QString k = folded(key);
    const size_t before = b.lines.size();
    std::erase_if(b.lines, [&](const Line& l) { return l.isKey && folded(l.key) == k; });
    if (b.lines.size() == before)
        return;
    reindex(b);
    s->modified = true;
    save();
}

void IniFile::eraseSection(const QString& section) {
    // Every section of that name goes, duplicates too.
    bool erased = false;
    for (int i = find(section); i >= 0; i = find(section)) {
        m_sections[size_t(i)].erased = true;
        m_sections[size_t(i)].body.reset();
        erased = true;
    }
    if (erased)
        save();
}

void IniFile::commit() {
    if (m_batch > 0)
        --m_batch;
    if (m_batch == 0 && m_dirty)
        save();
}

namespace {
// Writes a file from pieces, joining pieces that lie next to each other in one buffer
// into one write, and remembering how the file so far ends.
class PieceWriter {
public:
    explicit PieceWriter(SafeFile& f) : m_file(f) {}
    void range(const QByteArray& bytes, qsizetype begin, qsizetype end) {
        if (begin >= end)
            return;
        if (m_run != &bytes || m_runEnd != begin) {
            flush();
            m_run = &bytes;
            m_runBegin = begin;
        }
        m_runEnd = end;
        remember(bytes.constData() + begin, end - begin);
    }
    void bytes(const QByteArray& b) {
        flush();
        m_ok = m_ok && m_file.write(b);
        remember(b.constData(), b.size());
    }
    bool endsWithBlankLine() const { return m_tail.endsWith("\r\n\r\n"); }
    bool empty() const { return m_tail.isEmpty(); }
    bool finish() {
        flush();
        return m_ok;
    }

private:
    void flush() {
        if (m_run && m_runEnd > m_runBegin)
            m_ok = m_ok && m_file.write(m_run->constData() + m_runBegin, m_runEnd - m_runBegin);
        m_run = nullptr;
        m_runBegin = m_runEnd = 0;
    }
    void remember(const char* d, qsizetype n) {
        m_tail.append(d + qMax<qsizetype>(0, n - 4), qMin<qsizetype>(n, 4));
        if (m_tail.size() > 4)
            m_tail.remove(0, m_tail.size() - 4);
    }
    SafeFile& m_file;
    const QByteArray* m_run = nullptr;
    qsizetype m_runBegin = 0, m_runEnd = 0;
    QByteArray m_tail;
    bool m_ok = true;
};
} // namespace

void IniFile::save() {
    if (m_batch > 0) {
        m_dirty = true;
        return;
    }
    m_dirty = false;
    SafeFile f(m_fileName);
    if (!f.open())
        throw IniWriteError(QDir::toNativeSeparators(m_fileName), f.reason());
    PieceWriter out(f);
    for (size_t i = 0; i < m_sections.size(); ++i) {
        const Section& s = m_sections[i];
        if (s.erased)
            continue;
        if (i > 0) {
            // Keep the file readable: a blank line before every section but the first.
            if (!out.empty() && !out.endsWithBlankLine())
                out.bytes(QByteArrayLiteral("\r\n"));
            if (s.headerBegin >= 0)
                out.range(m_bytes, s.headerBegin, s.headerEnd + 2);
            else
                out.bytes(s.headerRaw.toUtf8() + "\r\n");
        }
        if (s.modified && s.body) {
            QByteArray lines;
            for (const Line& l : s.body->lines) {
                lines += (l.isKey && l.raw.isEmpty() ? l.key + QLatin1Char('=') + l.value : l.raw)
                             .toUtf8();
                lines += "\r\n";
            }
            out.bytes(lines);
        } else {
            out.range(m_bytes, s.bodyBegin, s.bodyEnd);
        }
    }
    if (!out.finish() || !f.commit())
        throw IniWriteError(QDir::toNativeSeparators(m_fileName), f.reason());
}
