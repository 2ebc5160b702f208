#include "controls/speller/speller.h"

#include "platform/folders.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSignalBlocker>

#include <hunspell/hunspell.hxx>
#include <iconv.h>

#include <cerrno>

namespace {

// The name the program gives its British dictionary, and what it stands for here.
const QLatin1String kBritishName("british.vtd");
const QLatin1String kBritishBase("en_GB");

QStringList g_dictionaryFolders;

QStringList defaultFolders() {
    return {QStringLiteral("/usr/share/hunspell"), QStringLiteral("/usr/local/share/hunspell"),
            QStringLiteral("/usr/share/myspell"), QStringLiteral("/usr/share/myspell/dicts")};
}

// A cache of this size holds every distinct word of a very long plan several times over;
// past it the cache starts afresh rather than grow without bound.
constexpr qsizetype kCacheLimit = 400000;

inline bool isApostrophe(QChar c) {
    const char16_t u = c.unicode();
    return u == u'\'' || u == 0x2019 || u == 0x02BC;
}

inline bool isHyphen(QChar c) {
    const char16_t u = c.unicode();
    return u == u'-' || u == 0x2010 || u == 0x2011;
}

inline bool isWordChar(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80)
        return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9');
    return c.isLetterOrNumber() || c.isMark();
}

inline bool isDigitChar(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80) return u >= u'0' && u <= u'9';
    return c.isNumber();
}

// Characters that end a run of text: white space, paragraph and cell breaks, control and
// format characters, embedded objects and the document's frame markers.
inline bool isSeparator(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80) return u <= u' ' || u == 0x7F;
    if (u >= 0xFDD0 && u <= 0xFDEF) return true;
    if (c.isSpace()) return true;
    switch (c.category()) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
        return true;
    default:
        return u == 0xFFFC;
    }
}

inline bool isOpening(QChar c) {
    switch (c.unicode()) {
    case u'(':
    case u'[':
    case u'{':
    case u'<':
    case u'"':
    case u'\'':
    case 0x2018:
    case 0x201C:
    case 0x00AB:
        return true;
    default:
        return false;
    }
}

inline bool isClosing(QChar c) {
    switch (c.unicode()) {
    case u')':
    case u']':
    case u'}':
    case u'>':
    case u'"':
    case u'\'':
    case u'.':
    case u',':
    case u';':
    case u':':
    case u'!':
    case u'?':
    case 0x2019:
    case 0x201D:
    case 0x00BB:
        return true;
    default:
        return false;
    }
}

// Top-level domains common enough in a business plan to take "name.tld" for an address.
bool isCommonDomain(QStringView label) {
    static const char* const domains[] = {
        "com", "org", "net", "edu",  "gov",    "mil",   "int", "info", "biz",  "co",    "uk",
        "eu",  "ie",  "de",  "fr",   "es",     "it",    "nl",  "be",   "ch",   "at",    "se",
        "dk",  "no",  "fi",  "pl",   "pt",     "au",    "nz",  "ca",   "us",   "io",    "me",
        "tv",  "ltd", "plc", "shop", "online", "store", "app", "dev",  "scot", "wales", "london"};
    for (const char* d : domains)
        if (label == QLatin1String(d)) return true;
    return false;
}

QString resolveBase(const QString& name, bool* isBritish) {
    *isBritish = name.compare(kBritishName, Qt::CaseInsensitive) == 0 || name.isEmpty();
    QString base = *isBritish ? QString(kBritishBase) : name;
    if (base.endsWith(QLatin1String(".aff"), Qt::CaseInsensitive) ||
        base.endsWith(QLatin1String(".dic"), Qt::CaseInsensitive))
        base.chop(4);
    if (QDir::isAbsolutePath(base)) return base;
    for (const QString& folder : Speller::dictionaryFolders()) {
        const QString candidate = QDir(folder).filePath(base);
        if (QFileInfo::exists(candidate + QLatin1String(".aff")) &&
            QFileInfo::exists(candidate + QLatin1String(".dic")))
            return candidate;
    }
    return QString();
}

// Runs iconv over a whole buffer; false when a character has no equivalent.
bool convert(void* cd, const char* in, size_t inLength, std::string* out) {
    auto handle = static_cast<iconv_t>(cd);
    iconv(handle, nullptr, nullptr, nullptr, nullptr);
    out->assign(inLength * 4 + 8, '\0');
    char* src = const_cast<char*>(in);
    char* dst = out->data();
    size_t srcLeft = inLength;
    size_t dstLeft = out->size();
    if (iconv(handle, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1)) return false;
    if (iconv(handle, nullptr, nullptr, &dst, &dstLeft) == static_cast<size_t>(-1)) return false;
    out->resize(out->size() - dstLeft);
    return true;
}

QString withPlainApostrophes(QStringView word) {
    QString s = word.toString();
    s.replace(QChar(0x2019), QLatin1Char('\'')).replace(QChar(0x02BC), QLatin1Char('\''));
    return s;
}

} // namespace

Speller::Speller(QObject* parent)
    : QObject(parent), m_standardName(kBritishName), m_customName(QStringLiteral("custom.dic")) {}

Speller::~Speller() {
    unload();
}

QStringList Speller::dictionaryFolders() {
    return g_dictionaryFolders.isEmpty() ? defaultFolders() : g_dictionaryFolders;
}

void Speller::setDictionaryFolders(const QStringList& folders) {
    g_dictionaryFolders = folders;
}

void Speller::setStandardDictionary(const QString& name) {
    if (name == m_standardName) return;
    m_standardName = name;
    unload();
}

void Speller::setCustomDictionary(const QString& name) {
    m_customName = name;
    unload();
}

void Speller::unload() {
    m_hunspell.reset();
    if (m_toDictionary) iconv_close(static_cast<iconv_t>(m_toDictionary));
    if (m_fromDictionary) iconv_close(static_cast<iconv_t>(m_fromDictionary));
    m_toDictionary = m_fromDictionary = nullptr;
    m_utf8 = true;
    m_cache.clear();
    m_customWords.clear();
    m_dictionaryError.clear();
}

QString Speller::affixPath() const {
    bool british = false;
    const QString base = resolveBase(m_standardName, &british);
    return base.isEmpty() ? QString() : base + QLatin1String(".aff");
}

QString Speller::customDictionaryPath() const {
    if (m_customName.isEmpty()) return QString();
    if (QDir::isAbsolutePath(m_customName)) return m_customName;
    return Folders::configFolder() + m_customName;
}

bool Speller::load() {
    if (m_hunspell) return true;
    unload();
    bool british = false;
    const QString base = resolveBase(m_standardName, &british);
    const QString aff = base + QLatin1String(".aff");
    const QString dic = base + QLatin1String(".dic");
    QFile affFile(aff), dicFile(dic);
    if (base.isEmpty() || !affFile.open(QIODevice::ReadOnly) ||
        !dicFile.open(QIODevice::ReadOnly)) {
        if (british)
            m_dictionaryError =
                tr("The British English dictionary is not installed, so the spelling cannot "
                   "be checked.\nInstall the package hunspell-en-gb (it provides %1) and "
                   "check again.")
                    .arg(base.isEmpty() || !QDir::isAbsolutePath(m_standardName)
                             ? QStringLiteral("/usr/share/hunspell/en_GB.dic")
                             : dic);
        else
            m_dictionaryError =
                tr("The dictionary \"%1\" could not be found, so the spelling cannot be "
                   "checked.")
                    .arg(m_standardName);
        return false;
    }
    affFile.close();
    dicFile.close();

    auto hunspell = std::make_unique<Hunspell>(QFile::encodeName(aff).constData(),
                                               QFile::encodeName(dic).constData());
    const QString encoding = QString::fromStdString(hunspell->get_dict_encoding()).trimmed();
    m_utf8 = encoding.isEmpty() ||
             encoding.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) == 0 ||
             encoding.compare(QLatin1String("UTF8"), Qt::CaseInsensitive) == 0;
    if (!m_utf8) {
        // Hunspell's names for code pages differ a little from iconv's.
        QString name = encoding;
        if (name.startsWith(QLatin1String("microsoft-"), Qt::CaseInsensitive)) name = name.mid(10);
        const QByteArray n = name.toLatin1();
        iconv_t to = iconv_open(n.constData(), "UTF-8");
        iconv_t from = iconv_open("UTF-8", n.constData());
        if (to == reinterpret_cast<iconv_t>(-1) || from == reinterpret_cast<iconv_t>(-1)) {
            if (to != reinterpret_cast<iconv_t>(-1)) iconv_close(to);
            if (from != reinterpret_cast<iconv_t>(-1)) iconv_close(from);
            m_dictionaryError =
                tr("The dictionary %1 uses the character set %2, which cannot be read.")
                    .arg(aff, encoding);
            m_utf8 = true;
            return false;
        }
        m_toDictionary = to;
        m_fromDictionary = from;
    }
    m_hunspell = std::move(hunspell);
    loadCustomWords();
    return true;
}

bool Speller::encode(QStringView word, std::string* out) const {
    const QByteArray utf8 = word.toUtf8();
    if (m_utf8) {
        out->assign(utf8.constData(), size_t(utf8.size()));
        return true;
    }
    return convert(m_toDictionary, utf8.constData(), size_t(utf8.size()), out);
}

QString Speller::decode(const std::string& bytes) const {
    if (m_utf8) return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    std::string utf8;
    if (!convert(m_fromDictionary, bytes.data(), bytes.size(), &utf8)) return QString();
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

void Speller::loadCustomWords() {
    m_customWords.clear();
    QFile file(customDictionaryPath());
    if (m_customName.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text)) return;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    std::string encoded;
    for (QString line : lines) {
        line.remove(QChar(0xFEFF));
        line = line.trimmed();
        // One word a line; anything else is not a word this program wrote.
        if (line.isEmpty() || line.size() > 100 || line.contains(QLatin1Char(' ')) ||
            m_customWords.contains(line))
            continue;
        m_customWords.append(line);
        if (encode(line, &encoded)) m_hunspell->add(encoded);
    }
}

bool Speller::writeCustomWords(QString* error) {
    const QString path = customDictionaryPath();
    // Keep words another copy of the program may have added since we read the file.
    QStringList words;
    QFile current(path);
    if (current.open(QIODevice::ReadOnly | QIODevice::Text)) {
        for (QString line : QString::fromUtf8(current.readAll()).split(QLatin1Char('\n'))) {
            line.remove(QChar(0xFEFF));
            line = line.trimmed();
            if (!line.isEmpty() && !line.contains(QLatin1Char(' ')) && !words.contains(line))
                words.append(line);
        }
        current.close();
    }
    for (const QString& w : std::as_const(m_customWords))
        if (!words.contains(w)) words.append(w);

    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = tr("Unable to write to %1").arg(QDir::toNativeSeparators(path));
        return false;
    }
    QByteArray bytes;
    for (const QString& w : std::as_const(words))
        bytes += w.toUtf8() + '\n';
    file.write(bytes);
    if (!file.commit()) {
        *error = tr("Unable to write to %1").arg(QDir::toNativeSeparators(path));
        return false;
    }
    return true;
}

bool Speller::spellDirect(QStringView word) {
    std::string encoded;
    if (encode(word, &encoded) && m_hunspell->spell(encoded)) return true;
    // Dictionaries spell the apostrophe plainly; the typographic one is the same letter.
    if (word.contains(QChar(0x2019)) || word.contains(QChar(0x02BC))) {
        if (encode(withPlainApostrophes(word), &encoded) && m_hunspell->spell(encoded)) return true;
    }
    return false;
}

bool Speller::accepted(QStringView word) {
    // A key borrowing the text's characters: no copy unless the word is new.
    const QString key = QString::fromRawData(word.data(), word.size());
    bool ok;
    const auto it = m_cache.constFind(key);
    if (it != m_cache.constEnd()) {
        ok = it.value();
    } else {
        ok = spellDirect(word);
        if (m_cache.size() >= kCacheLimit) m_cache.clear();
        m_cache.insert(word.toString(), ok);
    }
    if (!ok && !m_ignored.isEmpty() && m_ignored.contains(key)) return true;
    return ok;
}

bool Speller::isCorrect(const QString& word) {
    if (!load()) return false;
    return accepted(word);
}

// Checks one word (no hyphen in it) of the text. On failure reports where the word the user
// should see starts: past a leading quote mark.
bool Speller::checkPart(qsizetype start, qsizetype end, bool dotFollows, qsizetype* reportStart) {
    const QChar* t = m_text.constData();
    *reportStart = start;
    if (accepted(QStringView(t + start, end - start))) return true;
    if (isApostrophe(t[start])) {
        ++start;
        *reportStart = start;
        if (accepted(QStringView(t + start, end - start))) return true;
    }
    if (dotFollows) {
        // Abbreviations ("etc.", "Ltd.") are in the dictionary with their full stop.
        m_scratch.resize(0);
        m_scratch.append(t + start, end - start);
        m_scratch.append(QLatin1Char('.'));
        if (accepted(m_scratch)) return true;
    }
    return false;
}

bool Speller::isAddress(qsizetype start, qsizetype end) const {
    const QChar* t = m_text.constData();
    while (start < end && isOpening(t[start]))
        ++start;
    while (end > start && isClosing(t[end - 1]))
        --end;
    const qsizetype length = end - start;
    if (length < 4) return false;
    const QStringView s(t + start, length);
    if (s.startsWith(QLatin1String("www."), Qt::CaseInsensitive) ||
        s.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive) ||
        s.contains(QLatin1String("://")))
        return true;
    const qsizetype at = s.indexOf(QLatin1Char('@'));
    if (at > 0 && s.indexOf(QLatin1Char('.'), at + 2) > at + 1) return true;
    // A bare domain ("example.co.uk", "shop.example.com/offers"): ASCII labels joined by
    // dots, ending in a common top-level domain written in lower case.
    qsizetype hostEnd = s.indexOf(QLatin1Char('/'));
    if (hostEnd < 0) hostEnd = length;
    const QStringView host = s.first(hostEnd);
    const qsizetype lastDot = host.lastIndexOf(QLatin1Char('.'));
    if (lastDot <= 0 || lastDot == host.size() - 1) return false;
    QChar previous = QLatin1Char('.');
    for (QChar c : host) {
        const char16_t u = c.unicode();
        const bool alnum =
            (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9');
        if (c == QLatin1Char('.')) {
            if (previous == QLatin1Char('.')) return false;
        } else if (!alnum && c != QLatin1Char('-')) {
            return false;
        }
        previous = c;
    }
    return isCommonDomain(host.sliced(lastDot + 1));
}

// Moves to the next run of non-separator characters that is not an address.
bool Speller::nextChunk() {
    const QChar* t = m_text.constData();
    const qsizetype n = m_text.size();
    qsizetype p = m_pos;
    for (;;) {
        while (p < n && isSeparator(t[p]))
            ++p;
        if (p >= n) {
            m_pos = m_chunkEnd = n;
            return false;
        }
        qsizetype e = p;
        while (e < n && !isSeparator(t[e]))
            ++e;
        if (!isAddress(p, e)) {
            m_pos = p;
            m_chunkEnd = e;
            return true;
        }
        p = e;
    }
}

void Speller::runSlice() {
    if (!load()) {
        m_result = NoDictionary;
        return;
    }
    QElapsedTimer timer;
    if (m_sliceMs > 0) timer.start();
    int slice = 0;
    int compounds = 0;
    const QChar* t = m_text.constData();
    const qsizetype n = m_text.size();

    for (;;) {
        if (m_pos >= m_chunkEnd && !nextChunk()) {
            m_result = m_wordsChecked;
            return;
        }
        // The next word or compound inside the run.
        qsizetype a = m_pos;
        const qsizetype end = m_chunkEnd;
        while (a < end && !isWordChar(t[a]) &&
               !(isApostrophe(t[a]) && a + 1 < end && t[a + 1].isLetter()))
            ++a;
        if (a >= end) {
            m_pos = end;
            continue;
        }
        qsizetype b = a;
        bool hasHyphen = false, hasDigit = false;
        for (;;) {
            if (b < end && isWordChar(t[b])) {
                hasDigit = hasDigit || isDigitChar(t[b]);
                ++b;
            } else if (b < end && b + 1 < end && isWordChar(t[b + 1]) &&
                       (isApostrophe(t[b]) || (b > a && isHyphen(t[b])))) {
                hasHyphen = hasHyphen || isHyphen(t[b]);
                ++b;
            } else {
                break;
            }
        }
        const bool dotFollows = b < n && t[b] == QLatin1Char('.');

        if (hasHyphen && !hasDigit && accepted(QStringView(t + a, b - a))) {
            ++m_wordsChecked;
            ++slice;
        } else {
            qsizetype ps = a;
            while (ps < b) {
                qsizetype pe = ps;
                bool partDigit = false;
                while (pe < b && !isHyphen(t[pe])) {
                    partDigit = partDigit || isDigitChar(t[pe]);
                    ++pe;
                }
                if (pe > ps && !partDigit) {
                    ++m_wordsChecked;
                    ++slice;
                    qsizetype reportStart = ps;
                    if (!checkPart(ps, pe, dotFollows && pe == b, &reportStart)) {
                        m_word = QString(t + reportStart, pe - reportStart);
                        m_wordOffset = int(reportStart);
                        m_wordReplaceable = true;
                        m_suggestions.clear();
                        m_suggestionsReady = false;
                        m_replacement.clear();
                        m_pos = pe;
                        m_result = Misspelled;
                        emit OnMisspelled();
                        return;
                    }
                }
                ps = pe + 1;
            }
        }
        m_pos = b;

        if (m_pos < n &&
            ((m_sliceWords > 0 && slice >= m_sliceWords) ||
             (m_sliceMs > 0 && (++compounds & 63) == 0 && timer.elapsed() >= m_sliceMs))) {
            m_result = Busy;
            return;
        }
    }
}

void Speller::setCheckText(const QString& text) {
    m_text = text;
    m_pos = 0;
    m_chunkEnd = 0;
    m_wordsChecked = 0;
    m_word.clear();
    m_wordOffset = 0;
    m_wordReplaceable = false;
    m_suggestions.clear();
    m_suggestionsReady = false;
    m_replacement.clear();
    m_result = 0;
    runSlice();
}

int Speller::ResumeCheck() {
    if (m_result == Misspelled || m_result == Busy) {
        m_wordReplaceable = false;
        runSlice();
    }
    return m_result;
}

void Speller::StopCheck() {
    m_result = Stopped;
    m_wordReplaceable = false;
    m_text.clear();
    m_pos = m_chunkEnd = 0;
}

void Speller::computeSuggestions() {
    if (m_suggestionsReady) return;
    m_suggestionsReady = true;
    m_suggestions.clear();
    if (m_word.isEmpty() || !load()) return;
    std::string encoded;
    const bool typographic = m_word.contains(QChar(0x2019));
    if (!encode(m_word, &encoded) && !encode(withPlainApostrophes(m_word), &encoded)) return;
    for (const std::string& s : m_hunspell->suggest(encoded)) {
        QString word = decode(s);
        if (typographic) word.replace(QLatin1Char('\''), QChar(0x2019));
        if (!word.isEmpty() && word != m_word && !m_suggestions.contains(word))
            m_suggestions.append(word);
    }
}

int Speller::SuggestionCount() {
    computeSuggestions();
    return int(m_suggestions.size());
}

QString Speller::Suggestion(int n) {
    computeSuggestions();
    return n >= 1 && n <= m_suggestions.size() ? m_suggestions.at(n - 1) : QString();
}

QStringList Speller::suggestions() {
    computeSuggestions();
    return m_suggestions;
}

void Speller::setReplacementWord(const QString& word) {
    // A replacement is one line of text: line and paragraph breaks would split the word's
    // paragraph in two.
    QString w = word;
    for (QChar& c : w)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::ParagraphSeparator ||
            c == QChar::LineSeparator || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    m_replacement = w;
}

void Speller::setReplaceLastWord(int value) {
    if (value != 1 || !m_wordReplaceable || m_result != Misspelled) return;
    m_wordReplaceable = false;
    const qsizetype delta = m_replacement.size() - m_word.size();
    m_text.replace(m_wordOffset, m_word.size(), m_replacement);
    m_pos = m_wordOffset + m_replacement.size();
    m_chunkEnd += delta;
    if (m_chunkEnd < m_pos) m_chunkEnd = m_pos;
}

void Speller::setAddToCommonIRList(int value) {
    if (value == IgnoreForSession && !m_word.isEmpty()) m_ignored.insert(m_word);
}

int Speller::AddMisspelledWord(int flags, int dictionary) {
    m_error.clear();
    if (m_word.isEmpty()) return 0;
    if (dictionary != CustomDictionarySlot) {
        m_error = tr("There is no user dictionary number %1.").arg(dictionary);
        return -1;
    }
    if (!load()) {
        m_error = m_dictionaryError;
        return -1;
    }
    std::string encoded;
    if (encode(m_word, &encoded)) m_hunspell->add(encoded);
    // Other forms of the word (capitalised, with a typographic apostrophe) may have been
    // looked up already.
    m_cache.clear();
    // The word as written passes even where the dictionary's character set cannot hold it.
    m_ignored.insert(m_word);
    if (!(flags & KeepInFile) || m_customName.isEmpty() || m_customWords.contains(m_word)) return 0;
    m_customWords.append(m_word);
    QString error;
    if (!writeCustomWords(&error)) {
        m_error = error;
        return -1;
    }
    return 0;
}

QList<Speller::Misspelling> Speller::findMisspelled(const QString& text) {
    QList<Misspelling> found;
    if (!load()) return found;
    // The check's state is put aside and brought back whole.
    const QString text0 = m_text;
    const qsizetype pos0 = m_pos, chunkEnd0 = m_chunkEnd;
    const int result0 = m_result, checked0 = m_wordsChecked, offset0 = m_wordOffset;
    const QString word0 = m_word, replacement0 = m_replacement;
    const bool replaceable0 = m_wordReplaceable, ready0 = m_suggestionsReady;
    const QStringList suggestions0 = m_suggestions;
    const int sliceWords0 = m_sliceWords, sliceMs0 = m_sliceMs;
    {
        const QSignalBlocker quiet(this);
        m_sliceWords = 0;
        m_sliceMs = 0;
        setCheckText(text);
        for (int code = m_result; code == Misspelled; code = ResumeCheck())
            found.append({m_wordOffset, m_word});
    }
    m_text = text0;
    m_pos = pos0;
    m_chunkEnd = chunkEnd0;
    m_result = result0;
    m_wordsChecked = checked0;
    m_wordOffset = offset0;
    m_word = word0;
    m_replacement = replacement0;
    m_wordReplaceable = replaceable0;
    m_suggestionsReady = ready0;
    m_suggestions = suggestions0;
    m_sliceWords = sliceWords0;
    m_sliceMs = sliceMs0;
    return found;
}

void Speller::setSliceLimits(int words, int milliseconds) {
    m_sliceWords = qMax(0, words);
    m_sliceMs = qMax(0, milliseconds);
}
