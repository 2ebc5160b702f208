#include "controls/text/rtfreader.h"

#include "controls/text/pictures.h"

#include "controls/text/rtftables.h"
#include "controls/text/tableformat.h"
#include "controls/text/textformat.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QList>
#include <QStringDecoder>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

// Reading happens in two steps. The parser turns the bytes into paragraphs of runs (text
// plus an index into a small table of distinct character states); nothing of the target
// is touched until the whole input has been accepted. The builder then puts the
// paragraphs into the document with one insertion per run.
//
// Tables plug into the paragraph flow: \intbl marks a paragraph as table text and \cell,
// \row end cells and rows. The parser hands the row definitions and the places where
// cells and rows end to an RtfTables::Collector; the builder makes a QTextTable of each
// table it collected, from the same paragraphs.

namespace {

constexpr int kMaxIndentTwips = 31680; // 22 inches
constexpr int kMaxHalfPoints = 3276;   // 1638 points
constexpr int kMaxSkipCount = 16;      // \ucN

int clampInt(int v, int lo, int hi) {
    return std::min(std::max(v, lo), hi);
}

struct CharProps {
    int font = 0; // font number as the font table names it
    int halfPoints = 24;
    int color = 0; // colour table index, 0 automatic
    int htag = 0;
    int ntag = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;
    int picture = -1; // a picture: index into Content::pictures
    bool operator==(const CharProps&) const = default;
};

size_t qHash(const CharProps& c, size_t seed = 0) {
    const int flags = int(c.bold) | int(c.italic) << 1 | int(c.underline) << 2 |
                      int(c.strike) << 3 | int(c.hidden) << 4;
    return qHashMulti(seed, c.font, c.halfPoints, c.color, c.htag, c.ntag, flags, c.picture);
}

struct ParaProps {
    int align = 0; // 0 left, 1 right, 2 centre, 3 justify
    int fi = 0;    // twips
    int li = 0;
    int ri = 0;
    int ptag = 0;
    bool inTable = false;
    bool operator==(const ParaProps&) const = default;
};

size_t qHash(const ParaProps& p, size_t seed = 0) {
    return qHashMulti(seed, p.align, p.fi, p.li, p.ri, p.ptag, p.inTable);
}

enum class Dest : uint8_t { Text, FontTable, ColorTable };

struct State {
    CharProps chr;
    ParaProps para;
    Dest dest = Dest::Text;
    int uc = 1;
    int codepage = 0; // index into Parser::m_codepages for \'hh
};

struct Run {
    int format;
    int start;
    int length;
};

struct Paragraph {
    int para; // index into Content::paras
    int mark; // character state of the paragraph mark, index into Content::chars
    int firstRun;
    int runCount;
};

struct PictureRef {
    QString name; // as Pictures::store named it
    QSizeF size;  // shown at, 96-dpi pixels
};

struct FontEntry {
    QString name;
};

// What the parser hands to the builder.
struct Content {
    QString text;
    std::vector<Run> runs;
    std::vector<Paragraph> paragraphs;
    QList<CharProps> chars;
    QList<ParaProps> paras;
    QHash<int, FontEntry> fonts;
    QList<QColor> colors;           // invalid = automatic
    QList<RtfTables::Table> tables; // in paragraph order
    QList<PictureRef> pictures;
    QStringList notes; // what the reader could not take in, for the user
};

enum Kw : uint8_t {
    kwNone,
    kwRtf,
    kwAnsi,
    kwAnsicpg,
    kwDeff,
    kwFonttbl,
    kwColortbl,
    kwSkipDest,
    kwPict,
    kwFldrslt,
    kwF,
    kwFcharset,
    kwCpg,
    kwRed,
    kwGreen,
    kwBlue,
    kwFs,
    kwB,
    kwI,
    kwUl,
    kwUlnone,
    kwStrike,
    kwCf,
    kwV,
    kwPlain,
    kwPard,
    kwPar,
    kwLine,
    kwTab,
    kwQl,
    kwQr,
    kwQc,
    kwQj,
    kwFi,
    kwLi,
    kwRi,
    kwU,
    kwUc,
    kwBin,
    kwChar, // a character given by a word (\emdash, \bullet, ...)
    kwHTag,
    kwNTag,
    kwPTag,
    kwIntbl,
    kwCell,
    kwRow,
    kwPage,
    kwTrowd,
    kwTrleft,
    kwTrrh,
    kwCellx,
    kwClvmgf,
    kwClvmrg,
    kwClmgf,
    kwClmrg,
    kwClbrdrT,
    kwClbrdrR,
    kwClbrdrB,
    kwClbrdrL,
    kwOtherBorder, // row and paragraph borders: not ours to keep
    kwBrdrLine,
    kwBrdrw,
    kwBrdrnone,
    kwTblBorder,
};

struct KwInfo {
    Kw kw;
    char16_t ch = 0;
};

const std::unordered_map<std::string_view, KwInfo>& keywords() {
    static const std::unordered_map<std::string_view, KwInfo> table = {
        {"rtf", {kwRtf}},
        {"ansi", {kwAnsi}},
        {"ansicpg", {kwAnsicpg}},
        {"deff", {kwDeff}},
        {"fonttbl", {kwFonttbl}},
        {"colortbl", {kwColortbl}},
        // Destinations whose contents are not text of the document.
        {"stylesheet", {kwSkipDest}},
        {"info", {kwSkipDest}},
        {"pict", {kwPict}},
        {"object", {kwSkipDest}},
        {"objdata", {kwSkipDest}},
        {"header", {kwSkipDest}},
        {"headerl", {kwSkipDest}},
        {"headerr", {kwSkipDest}},
        {"headerf", {kwSkipDest}},
        {"footer", {kwSkipDest}},
        {"footerl", {kwSkipDest}},
        {"footerr", {kwSkipDest}},
        {"footerf", {kwSkipDest}},
        {"footnote", {kwSkipDest}},
        {"annotation", {kwSkipDest}},
        {"fldinst", {kwSkipDest}},
        {"listtable", {kwSkipDest}},
        {"listoverridetable", {kwSkipDest}},
        {"revtbl", {kwSkipDest}},
        {"rsidtbl", {kwSkipDest}},
        {"filetbl", {kwSkipDest}},
        {"xe", {kwSkipDest}},
        {"tc", {kwSkipDest}},
        {"txe", {kwSkipDest}},
        {"pntext", {kwSkipDest}},
        {"pntxta", {kwSkipDest}},
        {"pntxtb", {kwSkipDest}},
        {"nonshppict", {kwSkipDest}},
        {"shp", {kwSkipDest}},
        {"shpinst", {kwSkipDest}},
        {"template", {kwSkipDest}},
        {"themedata", {kwSkipDest}},
        {"colorschememapping", {kwSkipDest}},
        {"latentstyles", {kwSkipDest}},
        {"datastore", {kwSkipDest}},
        {"fldrslt", {kwFldrslt}},
        {"f", {kwF}},
        {"fcharset", {kwFcharset}},
        {"cpg", {kwCpg}},
        {"red", {kwRed}},
        {"green", {kwGreen}},
        {"blue", {kwBlue}},
        {"fs", {kwFs}},
        {"b", {kwB}},
        {"i", {kwI}},
        {"ul", {kwUl}},
        {"uld", {kwUl}},
        {"uldb", {kwUl}},
        {"uldash", {kwUl}},
        {"ulth", {kwUl}},
        {"ulw", {kwUl}},
        {"ulwave", {kwUl}},
        {"ulnone", {kwUlnone}},
        {"strike", {kwStrike}},
        {"striked", {kwStrike}},
        {"cf", {kwCf}},
        {"v", {kwV}},
        {"plain", {kwPlain}},
        {"pard", {kwPard}},
        {"par", {kwPar}},
        {"sect", {kwPar}},
        {"line", {kwLine}},
        {"tab", {kwTab}},
        {"ql", {kwQl}},
        {"qr", {kwQr}},
        {"qc", {kwQc}},
        {"qj", {kwQj}},
        {"fi", {kwFi}},
        {"li", {kwLi}},
        {"ri", {kwRi}},
        {"u", {kwU}},
        {"uc", {kwUc}},
        {"bin", {kwBin}},
        {"emdash", {kwChar, 0x2014}},
        {"endash", {kwChar, 0x2013}},
        {"lquote", {kwChar, 0x2018}},
        {"rquote", {kwChar, 0x2019}},
        {"ldblquote", {kwChar, 0x201c}},
        {"rdblquote", {kwChar, 0x201d}},
        {"bullet", {kwChar, 0x2022}},
        {"emspace", {kwChar, 0x2003}},
        {"enspace", {kwChar, 0x2002}},
        {"qmspace", {kwChar, 0x2005}},
        {"tzhtag", {kwHTag}},
        {"tzntag", {kwNTag}},
        {"tzptag", {kwPTag}},
        {"intbl", {kwIntbl}},
        {"cell", {kwCell}},
        {"nestcell", {kwCell}},
        {"row", {kwRow}},
        {"nestrow", {kwRow}},
        {"page", {kwPage}},
        {"trowd", {kwTrowd}},
        {"trleft", {kwTrleft}},
        {"trrh", {kwTrrh}},
        {"cellx", {kwCellx}},
        {"clvmgf", {kwClvmgf}},
        {"clvmrg", {kwClvmrg}},
        {"clmgf", {kwClmgf}},
        {"clmrg", {kwClmrg}},
        {"clbrdrt", {kwClbrdrT}},
        {"clbrdrr", {kwClbrdrR}},
        {"clbrdrb", {kwClbrdrB}},
        {"clbrdrl", {kwClbrdrL}},
        {"trbrdrt", {kwOtherBorder}},
        {"trbrdrr", {kwOtherBorder}},
        {"trbrdrb", {kwOtherBorder}},
        {"trbrdrl", {kwOtherBorder}},
        {"trbrdrh", {kwOtherBorder}},
        {"trbrdrv", {kwOtherBorder}},
        {"brdrt", {kwOtherBorder}},
        {"brdrr", {kwOtherBorder}},
        {"brdrb", {kwOtherBorder}},
        {"brdrl", {kwOtherBorder}},
        {"box", {kwOtherBorder}},
        {"brdrs", {kwBrdrLine}},
        {"brdrth", {kwBrdrLine}},
        {"brdrsh", {kwBrdrLine}},
        {"brdrdb", {kwBrdrLine}},
        {"brdrdot", {kwBrdrLine}},
        {"brdrdash", {kwBrdrLine}},
        {"brdrhair", {kwBrdrLine}},
        {"brdrtriple", {kwBrdrLine}},
        {"brdrwavy", {kwBrdrLine}},
        {"brdrinset", {kwBrdrLine}},
        {"brdroutset", {kwBrdrLine}},
        {"brdrw", {kwBrdrw}},
        {"brdrnone", {kwBrdrnone}},
        {"brdrnil", {kwBrdrnone}},
        {"tztblbrdr", {kwTblBorder}},
    };
    return table;
}

using CodeTable = std::array<char16_t, 256>;

const CodeTable& cp1252() {
    static const CodeTable table = [] {
        CodeTable t{};
        for (int i = 0; i < 256; ++i)
            t[i] = char16_t(i);
        static const char16_t high[32] = {
            0x20ac, 0xfffd, 0x201a, 0x0192, 0x201e, 0x2026, 0x2020, 0x2021, 0x02c6, 0x2030, 0x0160,
            0x2039, 0x0152, 0xfffd, 0x017d, 0xfffd, 0xfffd, 0x2018, 0x2019, 0x201c, 0x201d, 0x2022,
            0x2013, 0x2014, 0x02dc, 0x2122, 0x0161, 0x203a, 0x0153, 0xfffd, 0x017e, 0x0178};
        for (int i = 0; i < 32; ++i)
            t[0x80 + i] = high[i];
        return t;
    }();
    return table;
}

// Single-byte code pages other than 1252 come from the platform's converters when it has
// them; without one the text is read as 1252.
bool makeCodeTable(int codepage, CodeTable* out) {
    const QByteArray name = "windows-" + QByteArray::number(codepage);
    const QByteArray alt = "cp" + QByteArray::number(codepage);
    for (const QByteArray& n : {name, alt}) {
        QStringDecoder probe(n.constData());
        if (!probe.isValid()) continue;
        for (int i = 0; i < 256; ++i) {
            QStringDecoder dec(n.constData());
            const char byte = char(i);
            const QString s = dec.decode(QByteArrayView(&byte, 1));
            (*out)[i] = s.size() == 1 ? s.at(0).unicode() : char16_t(0xfffd);
        }
        for (int i = 0; i < 0x80; ++i)
            (*out)[i] = char16_t(i); // keep ASCII whatever the converter says
        return true;
    }
    return false;
}

int codepageOfCharset(int charset) {
    switch (charset) {
    case 238:
        return 1250;
    case 204:
        return 1251;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 163:
        return 1258;
    case 222:
        return 874;
    default:
        return 0; // the document's code page
    }
}

class Parser {
public:
    explicit Parser(const QByteArray& data)
        : m_p(data.constData()), m_end(data.constData() + data.size()) {
        m_codepages.push_back(cp1252());
        m_c.text.reserve(data.size() / 2);
    }

    bool parse(QString* error) {
        while (m_p != m_end && (*m_p == ' ' || *m_p == '\r' || *m_p == '\n' || *m_p == '\t'))
            ++m_p;
        if (m_end - m_p < 5 || std::string_view(m_p, 5) != "{\\rtf") {
            setError(error, QStringLiteral("The text is not in rich text format."));
            return false;
        }
        m_stack.reserve(64);
        m_state = State();
        while (m_p != m_end) {
            const char c = *m_p++;
            switch (c) {
            case '{':
                if (int(m_stack.size()) >= RtfReader::maxDepth) {
                    setError(error, QStringLiteral("The text is nested too deeply to be read."));
                    return false;
                }
                m_skip = 0;
                m_stack.push_back(m_state);
                break;
            case '}':
                m_skip = 0;
                closeGroup();
                break;
            case '\\':
                controlWord();
                break;
            case '\r':
            case '\n':
            case 0:
                break;
            case '\t':
                character(u'\t');
                break;
            default:
                if (m_skip > 0) {
                    --m_skip;
                    break;
                }
                if (m_state.dest == Dest::ColorTable) {
                    if (c == ';') commitColor();
                    break;
                }
                if (m_state.dest == Dest::FontTable && c == ';') {
                    commitFont();
                    break;
                }
                character(m_codepages[m_state.codepage][uchar(c)]);
                break;
            }
        }
        finishDocument();
        return true;
    }

    Content& content() { return m_c; }
    // Whether the document group was closed: a file cut short ends inside it.
    bool complete() const { return m_complete; }

private:
    static void setError(QString* error, const QString& text) {
        if (error) *error = text;
    }

    void closeGroup() {
        if (m_stack.size() <= 1) {
            // The document group ends the document; whatever follows is not part of it.
            finishDocument();
            m_complete = true;
            m_p = m_end;
            return;
        }
        endGroup();
    }

    void endGroup() {
        // A font entry ends with its group (when no ';' ended it before); groups inside
        // an entry (\*\panose, \*\falt) end nothing.
        if (m_state.dest == Dest::FontTable && int(m_stack.size()) <= m_fontTableDepth + 1)
            commitFont();
        m_state = m_stack.back();
        m_stack.pop_back();
        m_dirty = true;
    }

    // Skips the rest of the current group, its closing brace included, without looking
    // inside: nested groups are only counted, so any depth is safe here.
    void skipGroup() {
        int depth = 1;
        while (m_p != m_end) {
            const char c = *m_p++;
            if (c == '\\') {
                if (m_p == m_end) break;
                const char n = *m_p;
                if (n == 'b' && m_end - m_p > 3 && std::string_view(m_p, 3) == "bin") {
                    // \binN carries N raw bytes, which may contain braces.
                    const char* q = m_p + 3;
                    bool neg = false;
                    if (q != m_end && *q == '-') {
                        neg = true;
                        ++q;
                    }
                    long long n2 = 0;
                    while (q != m_end && *q >= '0' && *q <= '9') {
                        if (n2 < 1'000'000'000'000LL) n2 = n2 * 10 + (*q - '0');
                        ++q;
                    }
                    if (q != m_end && (*q < 'a' || *q > 'z') && (*q < 'A' || *q > 'Z')) {
                        if (*q == ' ') ++q;
                        m_p = q;
                        if (!neg) m_p += std::min<long long>(n2, m_end - m_p);
                        continue;
                    }
                }
                ++m_p; // an escaped character, or the first letter of a word
            } else if (c == '{') {
                ++depth;
            } else if (c == '}') {
                if (--depth == 0) {
                    m_skip = 0;
                    closeGroup();
                    return;
                }
            }
        }
    }

    void controlWord() {
        if (m_p == m_end) return;
        const char c = *m_p;
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) {
            ++m_p;
            controlSymbol(c);
            return;
        }
        const char* start = m_p;
        while (m_p != m_end && ((*m_p >= 'a' && *m_p <= 'z') || (*m_p >= 'A' && *m_p <= 'Z')))
            ++m_p;
        const std::string_view word(start, std::min<size_t>(size_t(m_p - start), 32));
        bool hasParam = false;
        int param = 0;
        if (m_p != m_end && (*m_p == '-' || (*m_p >= '0' && *m_p <= '9'))) {
            bool neg = false;
            if (*m_p == '-') {
                neg = true;
                ++m_p;
            }
            long long v = 0;
            while (m_p != m_end && *m_p >= '0' && *m_p <= '9') {
                hasParam = true;
                if (v < 10'000'000'000LL) v = v * 10 + (*m_p - '0');
                ++m_p;
            }
            if (neg) v = -v;
            param = int(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
        }
        if (m_p != m_end && *m_p == ' ') ++m_p;

        const auto& table = keywords();
        const auto it = table.find(word);
        if (it == table.end()) {
            if (m_skip > 0) --m_skip;
            return; // words we do not know are ignored, as every reader does
        }
        const KwInfo info = it->second;
        if (m_skip > 0 && info.kw != kwBin) {
            --m_skip;
            return;
        }
        doWord(info, hasParam, param);
    }

    void controlSymbol(char c) {
        switch (c) {
        case '\'': {
            int v = 0;
            int digits = 0;
            while (digits < 2 && m_p != m_end) {
                const char h = *m_p;
                int d;
                if (h >= '0' && h <= '9')
                    d = h - '0';
                else if (h >= 'a' && h <= 'f')
                    d = h - 'a' + 10;
                else if (h >= 'A' && h <= 'F')
                    d = h - 'A' + 10;
                else
                    break;
                v = v * 16 + d;
                ++digits;
                ++m_p;
            }
            if (m_skip > 0) {
                --m_skip;
                return;
            }
            if (digits == 0) return;
            if (m_state.dest == Dest::ColorTable) return;
            character(m_codepages[m_state.codepage][v & 0xff]);
            return;
        }
        case '*':
            // An ignorable destination: we know none of them but the picture that Word
            // writes for readers that know pictures (beside one for those that do not,
            // \nonshppict, which goes), so the group goes.
            if (m_end - m_p >= 9 && std::string_view(m_p, 8) == "\\shppict" &&
                !std::isalpha(uchar(m_p[8]))) {
                m_p += 8;
                if (*m_p == ' ') ++m_p;
                return;
            }
            skipGroup();
            return;
        default:
            break;
        }
        if (m_skip > 0) {
            --m_skip;
            return;
        }
        switch (c) {
        case '\\':
        case '{':
        case '}':
            if (m_state.dest == Dest::ColorTable) return;
            character(char16_t(c));
            return;
        case '~':
            character(0x00a0);
            return;
        case '-':
            character(0x00ad);
            return;
        case '_':
            character(0x2011);
            return;
        case '\r':
        case '\n':
            endParagraph();
            return;
        case '\t':
            character(u'\t');
            return;
        default:
            return; // \| \: and the like mean nothing to us
        }
    }

    void doWord(const KwInfo& info, bool hasParam, int param) {
        State& s = m_state;
        CharProps& ch = s.chr;
        ParaProps& pa = s.para;
        const bool on = !hasParam || param != 0;
        switch (info.kw) {
        case kwNone:
        case kwRtf:
            return;
        case kwAnsi:
            return;
        case kwAnsicpg:
            if (hasParam && param != 1252) {
                CodeTable t;
                if (makeCodeTable(param, &t)) {
                    m_codepages[0] = t;
                }
            }
            return;
        case kwDeff:
            m_defaultFont = param;
            ch.font = param;
            m_dirty = true;
            return;
        case kwFonttbl:
            s.dest = Dest::FontTable;
            m_fontTableDepth = int(m_stack.size());
            m_fontNumber = -1;
            m_fontName.clear();
            m_fontCharset = 0;
            return;
        case kwColortbl:
            s.dest = Dest::ColorTable;
            resetColor();
            return;
        case kwSkipDest:
            skipGroup();
            return;
        case kwPict:
            if (s.dest != Dest::Text || m_skip > 0)
                skipGroup();
            else
                readPicture();
            return;
        case kwFldrslt:
            s.dest = Dest::Text;
            return;
        case kwF:
            if (s.dest == Dest::FontTable) {
                commitFont();
                m_fontNumber = param;
                m_fontCharset = 0;
            } else if (ch.font != param) {
                ch.font = param;
                s.codepage = codepageForFont(param);
                m_dirty = true;
            }
            return;
        case kwFcharset:
            if (s.dest == Dest::FontTable) m_fontCharset = codepageOfCharset(param);
            return;
        case kwCpg:
            if (s.dest == Dest::FontTable && param != 1252) m_fontCharset = param;
            return;
        case kwRed:
            m_red = clampInt(param, 0, 255);
            m_colorSet = true;
            return;
        case kwGreen:
            m_green = clampInt(param, 0, 255);
            m_colorSet = true;
            return;
        case kwBlue:
            m_blue = clampInt(param, 0, 255);
            m_colorSet = true;
            return;
        case kwFs:
            ch.halfPoints = hasParam ? clampInt(param, 2, kMaxHalfPoints) : 24;
            m_dirty = true;
            return;
        case kwB:
            ch.bold = on;
            m_dirty = true;
            return;
        case kwI:
            ch.italic = on;
            m_dirty = true;
            return;
        case kwUl:
            ch.underline = on;
            m_dirty = true;
            return;
        case kwUlnone:
            ch.underline = false;
            m_dirty = true;
            return;
        case kwStrike:
            ch.strike = on;
            m_dirty = true;
            return;
        case kwCf:
            ch.color = std::max(0, param);
            m_dirty = true;
            return;
        case kwV:
            ch.hidden = on;
            m_dirty = true;
            return;
        case kwHTag:
            ch.htag = param;
            m_dirty = true;
            return;
        case kwNTag:
            ch.ntag = param;
            m_dirty = true;
            return;
        case kwPlain:
            ch = CharProps();
            ch.font = m_defaultFont;
            s.codepage = codepageForFont(m_defaultFont);
            m_dirty = true;
            return;
        case kwPard:
            pa = ParaProps();
            m_pardSeen = true;
            return;
        case kwPar:
            endParagraph();
            return;
        case kwPage:
            // A page break ends the paragraph it stands in; empty ones leave no trace.
            if (m_paraRunCount > 0) endParagraph();
            return;
        case kwLine:
            character(0x2028);
            return;
        case kwTab:
            character(u'\t');
            return;
        case kwQl:
            pa.align = 0;
            return;
        case kwQr:
            pa.align = 1;
            return;
        case kwQc:
            pa.align = 2;
            return;
        case kwQj:
            pa.align = 3;
            return;
        case kwFi:
            pa.fi = clampInt(param, -kMaxIndentTwips, kMaxIndentTwips);
            return;
        case kwLi:
            pa.li = clampInt(param, -kMaxIndentTwips, kMaxIndentTwips);
            return;
        case kwRi:
            pa.ri = clampInt(param, -kMaxIndentTwips, kMaxIndentTwips);
            return;
        case kwPTag:
            pa.ptag = param;
            return;
        case kwIntbl:
            pa.inTable = on;
            return;
        case kwCell:
            endCell();
            return;
        case kwRow:
            endRow();
            return;
        case kwTrowd:
            m_tables.trowd();
            return;
        case kwTrleft:
            m_tables.trleft(param);
            return;
        case kwTrrh:
            m_tables.trrh(param);
            return;
        case kwCellx:
            m_tables.cellx(param);
            return;
        case kwClvmgf:
            m_tables.clvmgf();
            return;
        case kwClvmrg:
            m_tables.clvmrg();
            return;
        case kwClmgf:
            m_tables.clmgf();
            return;
        case kwClmrg:
            m_tables.clmrg();
            return;
        case kwClbrdrT:
            m_tables.clbrdr(RtfTables::Top);
            return;
        case kwClbrdrR:
            m_tables.clbrdr(RtfTables::Right);
            return;
        case kwClbrdrB:
            m_tables.clbrdr(RtfTables::Bottom);
            return;
        case kwClbrdrL:
            m_tables.clbrdr(RtfTables::Left);
            return;
        case kwOtherBorder:
            m_tables.clbrdr(RtfTables::NoSide);
            return;
        case kwBrdrLine:
            m_tables.brdrLine();
            return;
        case kwBrdrw:
            m_tables.brdrw(param);
            return;
        case kwBrdrnone:
            m_tables.brdrnone();
            return;
        case kwTblBorder:
            m_tables.tztblbrdr(param);
            return;
        case kwU: {
            int v = param;
            if (v < 0) v += 65536;
            unicodeUnit(char16_t(v & 0xffff));
            m_skip = s.uc;
            return;
        }
        case kwUc:
            s.uc = clampInt(param, 0, kMaxSkipCount);
            return;
        case kwBin:
            if (hasParam && param > 0) m_p += std::min<long long>(param, m_end - m_p);
            return;
        case kwChar:
            character(info.ch);
            return;
        }
    }

    // A cell ends like a paragraph and tells the collector so.
    void endCell() {
        if (m_state.dest != Dest::Text) return;
        endParagraph(false);
        m_tables.cellEnded(int(m_c.paragraphs.size()) - 1);
    }
    void endRow() {
        if (m_state.dest != Dest::Text) return;
        m_tables.rowEnded();
    }

    int codepageForFont(int font) {
        const auto it = m_fontCodepage.constFind(font);
        return it == m_fontCodepage.constEnd() ? 0 : *it;
    }

    void commitFont() {
        if (m_fontNumber >= 0) {
            QString name = m_fontName.trimmed();
            if (!name.isEmpty() && !m_c.fonts.contains(m_fontNumber)) {
                m_c.fonts.insert(m_fontNumber, FontEntry{name});
                if (m_fontCharset) {
                    int table = 0;
                    const auto known = m_codepageIndex.constFind(m_fontCharset);
                    if (known != m_codepageIndex.constEnd()) {
                        table = *known;
                    } else {
                        CodeTable t;
                        if (makeCodeTable(m_fontCharset, &t)) {
                            table = int(m_codepages.size());
                            m_codepages.push_back(t);
                        }
                        m_codepageIndex.insert(m_fontCharset, table);
                    }
                    if (table) m_fontCodepage.insert(m_fontNumber, table);
                }
            }
        }
        m_fontNumber = -1;
        m_fontName.clear();
        m_fontCharset = 0;
    }

    void resetColor() {
        m_red = m_green = m_blue = 0;
        m_colorSet = false;
    }

    void commitColor() {
        if (m_c.colors.size() < 100000)
            m_c.colors.append(m_colorSet ? QColor(m_red, m_green, m_blue) : QColor());
        resetColor();
    }

    void unicodeUnit(char16_t u) {
        if (QChar::isHighSurrogate(u)) {
            if (m_highSurrogate) character(0xfffd);
            m_highSurrogate = u;
            return;
        }
        if (QChar::isLowSurrogate(u)) {
            if (m_highSurrogate) {
                const char16_t high = m_highSurrogate;
                m_highSurrogate = 0;
                appendUnit(high);
                appendUnit(u);
            } else {
                character(0xfffd);
            }
            return;
        }
        character(u);
    }

    // A picture's group, after \\pict: its words at the group's own level describe it
    // (kind, size in pixels, size shown), its hex digits (or \\binN bytes) are its data;
    // groups inside it (\\*\\blipuid, \\*\\picprop) are passed over. The picture goes into
    // the text as one character, and the group's closing brace is taken.
    void readPicture() {
        QByteArray data;
        bool tooLarge = false;
        int nibble = -1;
        int depth = 1;
        int picw = 0, pich = 0, goalw = 0, goalh = 0, scalex = 100, scaley = 100;
        Pictures::Kind kind = Pictures::Kind::Other;
        bool metafile = false;
        QByteArray words; // the words naming its kind, written back as they came
        const auto addByte = [&](char b) {
            if (data.size() < Pictures::kMaxBytes)
                data.append(b);
            else
                tooLarge = true;
        };
        while (m_p != m_end) {
            const char c = *m_p++;
            if (c == '{') {
                ++depth;
                continue;
            }
            if (c == '}') {
                if (--depth == 0) break;
                continue;
            }
            if (c == '\\') {
                if (m_p == m_end) break;
                if (!std::isalpha(uchar(*m_p))) {
                    ++m_p; // \\* and escaped characters carry nothing of a picture
                    continue;
                }
                const char* start = m_p;
                while (m_p != m_end && std::isalpha(uchar(*m_p)) && m_p - start < 32)
                    ++m_p;
                const std::string_view word(start, size_t(m_p - start));
                while (m_p != m_end && std::isalpha(uchar(*m_p)))
                    ++m_p;
                bool neg = false, hasParam = false;
                long long v = 0;
                if (m_p != m_end && *m_p == '-') {
                    neg = true;
                    ++m_p;
                }
                while (m_p != m_end && *m_p >= '0' && *m_p <= '9') {
                    hasParam = true;
                    if (v < 10'000'000'000LL) v = v * 10 + (*m_p - '0');
                    ++m_p;
                }
                if (m_p != m_end && *m_p == ' ') ++m_p;
                const int param = int(std::clamp<long long>(neg ? -v : v, INT32_MIN, INT32_MAX));
                if (word == "bin" && hasParam) {
                    // Raw bytes follow, which may hold braces.
                    const long long n = std::min<long long>(neg ? 0 : v, m_end - m_p);
                    if (depth == 1)
                        for (long long i = 0; i < n; ++i)
                            addByte(m_p[i]);
                    m_p += n;
                    continue;
                }
                if (depth != 1) continue;
                if (word == "picw") picw = param;
                else if (word == "pich") pich = param;
                else if (word == "picwgoal") goalw = param;
                else if (word == "pichgoal") goalh = param;
                else if (word == "picscalex") scalex = param;
                else if (word == "picscaley") scaley = param;
                else {
                    if (word == "pngblip") kind = Pictures::Kind::Png;
                    else if (word == "jpegblip") kind = Pictures::Kind::Jpeg;
                    else if (word == "emfblip" || word == "wmetafile" || word == "pmmetafile" ||
                             word == "macpict")
                        metafile = true;
                    if (words.size() < 256) {
                        words += '\\';
                        words += QByteArray(word.data(), qsizetype(word.size()));
                        if (hasParam) words += QByteArray::number(param);
                    }
                }
                continue;
            }
            if (depth != 1) continue;
            int d = -1;
            if (c >= '0' && c <= '9') d = c - '0';
            else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
            if (d < 0) continue;
            if (nibble < 0) {
                nibble = d;
            } else {
                addByte(char(nibble * 16 + d));
                nibble = -1;
            }
        }
        const bool closed = depth == 0;

        // The size shown: the goal size (twips), scaled; without one, the picture's own.
        const auto scaled = [](double twips, int percent) {
            return twips * std::clamp(percent <= 0 ? 100 : percent, 1, 1000) / 100.0;
        };
        const auto toTwips = [metafile](int v) {
            // A metafile's picw and pich are hundredths of a millimetre, a bitmap's pixels.
            return metafile ? v * 1440.0 / 2540.0 : v * 15.0;
        };
        double wTw = goalw > 0 ? scaled(goalw, scalex) : scaled(toTwips(std::max(picw, 0)), scalex);
        double hTw = goalh > 0 ? scaled(goalh, scaley) : scaled(toTwips(std::max(pich, 0)), scaley);

        QString name;
        QString why;
        if (kind != Pictures::Kind::Other && !tooLarge) {
            Pictures::Kind found = kind;
            const QImage image = Pictures::decode(data, &found, &why);
            if (!image.isNull()) {
                name = Pictures::store(image, data, found);
                if (wTw <= 0 || hTw <= 0) {
                    wTw = image.width() * 15.0;
                    hTw = image.height() * 15.0;
                }
            }
        } else if (tooLarge) {
            why = Pictures::tooLargeMessage();
        }
        constexpr double kMaxTwips = 31680; // 22 inches
        if (wTw <= 0 || hTw <= 0) wTw = hTw = 1440;
        const QSizeF size(std::clamp(wTw, 15.0, kMaxTwips) / 15.0, std::clamp(hTw, 15.0, kMaxTwips) / 15.0);
        if (name.isEmpty()) {
            // Kept as it came, so that saving writes it back, and shown as a grey box.
            QString label;
            if (!why.isEmpty()) {
                label = Pictures::placeholderLabel(true);
                if (!m_c.notes.contains(why)) m_c.notes.append(why);
            } else {
                label = Pictures::placeholderLabel(false);
            }
            if (words.isEmpty()) words = "\\pngblip";
            if (tooLarge) data.clear();
            name = Pictures::storePlaceholder(data, words + (picw > 0 ? "\\picw" + QByteArray::number(picw) : QByteArray()) +
                                                        (pich > 0 ? "\\pich" + QByteArray::number(pich) : QByteArray()),
                                              size, label);
        }
        m_c.pictures.append(PictureRef{name, size});
        m_state.chr.picture = int(m_c.pictures.size()) - 1;
        m_dirty = true;
        appendUnit(0xfffc);
        m_state.chr.picture = -1;
        m_dirty = true;
        if (closed) {
            m_skip = 0;
            closeGroup();
        }
    }

    void character(char16_t u) {
        if (m_highSurrogate) {
            m_highSurrogate = 0;
            appendUnit(0xfffd);
        }
        if (u < 0x20 && u != u'\t') return;
        // Paragraph separators, frame markers and object placeholders would change the
        // structure of the document; noncharacters have no business in text.
        if (u == 0x2029 || (u >= 0xfdd0 && u <= 0xfdef) || u == 0xfffc || u >= 0xfffe) return;
        appendUnit(u);
    }

    void appendUnit(char16_t u) {
        switch (m_state.dest) {
        case Dest::Text:
            break;
        case Dest::FontTable:
            if (m_fontName.size() < 256) m_fontName.append(QChar(u));
            return;
        case Dest::ColorTable:
            return;
        }
        if (m_dirty || m_runFormat < 0) {
            m_dirty = false;
            const int f = charFormatId(m_state.chr);
            if (f != m_runFormat) {
                m_runFormat = f;
                m_runOpen = false;
            }
        }
        if (!m_runOpen) {
            m_c.runs.push_back(Run{m_runFormat, int(m_c.text.size()), 0});
            m_runOpen = true;
            ++m_paraRunCount;
        }
        m_c.text.append(QChar(u));
        ++m_c.runs.back().length;
    }

    int charFormatId(const CharProps& p) {
        const auto it = m_charIds.constFind(p);
        if (it != m_charIds.constEnd()) return *it;
        const int id = int(m_c.chars.size());
        m_c.chars.append(p);
        m_charIds.insert(p, id);
        return id;
    }

    int paraFormatId(const ParaProps& p) {
        if (m_lastParaId >= 0 && m_c.paras.at(m_lastParaId) == p) return m_lastParaId;
        const auto it = m_paraIds.constFind(p);
        int id;
        if (it != m_paraIds.constEnd()) {
            id = *it;
        } else {
            id = int(m_c.paras.size());
            m_c.paras.append(p);
            m_paraIds.insert(p, id);
        }
        m_lastParaId = id;
        return id;
    }

    void endParagraph(bool report = true) {
        if (m_state.dest != Dest::Text) return;
        if (m_highSurrogate) {
            m_highSurrogate = 0;
            appendUnit(0xfffd);
        }
        const int firstRun = int(m_c.runs.size()) - m_paraRunCount;
        m_c.paragraphs.push_back(Paragraph{paraFormatId(m_state.para), charFormatId(m_state.chr),
                                           firstRun, m_paraRunCount});
        m_paraRunCount = 0;
        m_runOpen = false;
        m_pardSeen = false;
        if (report) m_tables.paragraphEnded(int(m_c.paragraphs.size()) - 1, m_state.para.inTable);
    }

    void finishDocument() {
        if (m_finished) return;
        m_finished = true;
        if (m_state.dest == Dest::FontTable) commitFont();
        // Text after the last \par is a paragraph of its own; so is an empty one that
        // was given its own paragraph format.
        while (!m_stack.empty() && m_state.dest != Dest::Text) {
            m_state = m_stack.back();
            m_stack.pop_back();
        }
        if (m_paraRunCount > 0 || m_pardSeen || m_highSurrogate) endParagraph();
        m_tables.finish();
        m_c.tables = m_tables.tables();
    }

    const char* m_p;
    const char* m_end;
    Content m_c;
    std::vector<State> m_stack;
    bool m_complete = false;
    State m_state;
    int m_skip = 0;
    char16_t m_highSurrogate = 0;

    std::vector<CodeTable> m_codepages; // 0 is the document's code page
    QHash<int, int> m_codepageIndex;    // code page -> table
    QHash<int, int> m_fontCodepage;     // font number -> table

    int m_defaultFont = 0;
    int m_fontNumber = -1;
    int m_fontTableDepth = 0;
    QString m_fontName;
    int m_fontCharset = 0;

    bool m_colorSet = false;
    int m_red = 0, m_green = 0, m_blue = 0;

    QHash<CharProps, int> m_charIds;
    QHash<ParaProps, int> m_paraIds;
    int m_lastParaId = -1;
    bool m_dirty = true;
    int m_runFormat = -1;
    bool m_runOpen = false;
    int m_paraRunCount = 0;
    bool m_pardSeen = false;
    bool m_finished = false;
    RtfTables::Collector m_tables;
};

class Builder {
public:
    explicit Builder(const Content& c) : m_c(c) {
        m_charFormats.reserve(c.chars.size());
        for (const CharProps& p : c.chars)
            m_charFormats.append(charFormat(p));
        m_blockFormats.reserve(c.paras.size());
        for (const ParaProps& p : c.paras)
            m_blockFormats.append(blockFormat(p));
    }

    // `joinFirst`: the first paragraph's text goes into the cursor's paragraph, which
    // keeps its format (pasting); otherwise the cursor's paragraph takes it (loading).
    void build(QTextCursor& cur, bool joinFirst) {
        for (const PictureRef& picture : m_c.pictures)
            Pictures::format(picture.name, picture.size, cur.document());
        bool first = true;
        int nextTable = 0;
        const int count = int(m_c.paragraphs.size());
        for (int index = 0; index < count; ++index) {
            // A table: its rows go in as a QTextTable, and the paragraph after it takes the
            // empty paragraph Qt keeps after every table. In a table (pasting into a cell)
            // the cells' paragraphs go in as they are: tables are not nested.
            while (nextTable < m_c.tables.size() && m_c.tables[nextTable].lastParagraph < index)
                ++nextTable;
            if (nextTable < m_c.tables.size() && m_c.tables[nextTable].firstParagraph == index &&
                !cur.currentTable()) {
                const RtfTables::Table& t = m_c.tables[nextTable];
                const TableModel model =
                    RtfTables::toModel(t, [this](int p) { return cellParagraph(p); });
                if (QTextTable* table = model.insert(cur)) {
                    cur.setPosition(table->lastPosition() + 1);
                    index = t.lastParagraph;
                    first = true;
                    joinFirst = false;
                    continue;
                }
            }
            const Paragraph& para = m_c.paragraphs[size_t(index)];
            if (first) {
                if (!joinFirst) {
                    cur.setBlockFormat(m_blockFormats.at(para.para));
                    cur.setBlockCharFormat(m_charFormats.at(para.mark));
                }
                first = false;
            } else {
                cur.insertBlock(m_blockFormats.at(para.para), m_charFormats.at(para.mark));
            }
            for (int r = para.firstRun; r < para.firstRun + para.runCount; ++r) {
                const Run& run = m_c.runs[size_t(r)];
                cur.insertText(m_c.text.mid(run.start, run.length), m_charFormats.at(run.format));
            }
        }
    }

private:
    CellParagraph cellParagraph(int index) const {
        const Paragraph& para = m_c.paragraphs[size_t(index)];
        CellParagraph out;
        out.block = m_blockFormats.at(para.para);
        out.mark = m_charFormats.at(para.mark);
        for (int r = para.firstRun; r < para.firstRun + para.runCount; ++r) {
            const Run& run = m_c.runs[size_t(r)];
            out.runs.append({m_c.text.mid(run.start, run.length), m_charFormats.at(run.format)});
        }
        return out;
    }

    QTextCharFormat charFormat(const CharProps& p) const {
        QTextCharFormat f;
        if (p.picture >= 0 && p.picture < m_c.pictures.size()) {
            const PictureRef& picture = m_c.pictures.at(p.picture);
            f = Pictures::format(picture.name, picture.size);
        }
        const auto font = m_c.fonts.constFind(p.font);
        if (font != m_c.fonts.constEnd()) f.setFontFamilies(QStringList{font->name});
        f.setFontPointSize(p.halfPoints / 2.0);
        if (p.bold) f.setFontWeight(QFont::Bold);
        if (p.italic) f.setFontItalic(true);
        if (p.underline) f.setFontUnderline(true);
        if (p.strike) f.setFontStrikeOut(true);
        if (p.color > 0 && p.color < m_c.colors.size() && m_c.colors.at(p.color).isValid())
            f.setForeground(m_c.colors.at(p.color));
        if (p.hidden) f.setProperty(TextFormat::HiddenProperty, true);
        if (p.htag) f.setProperty(TextFormat::HTagProperty, p.htag);
        if (p.ntag) f.setProperty(TextFormat::NTagProperty, p.ntag);
        return f;
    }

    static QTextBlockFormat blockFormat(const ParaProps& p) {
        QTextBlockFormat f;
        static const Qt::Alignment aligns[4] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter,
                                                Qt::AlignJustify};
        if (p.align) f.setAlignment(aligns[p.align & 3]);
        if (p.fi) f.setTextIndent(TextFormat::twipsToIndent(p.fi));
        if (p.li) f.setLeftMargin(TextFormat::twipsToIndent(p.li));
        if (p.ri) f.setRightMargin(TextFormat::twipsToIndent(p.ri));
        if (p.ptag) f.setProperty(TextFormat::PTagProperty, p.ptag);
        return f;
    }

    const Content& m_c;
    QList<QTextCharFormat> m_charFormats;
    QList<QTextBlockFormat> m_blockFormats;
};

} // namespace

bool RtfReader::isRtf(const QByteArray& data) {
    qsizetype i = 0;
    while (i < data.size() &&
           (data[i] == ' ' || data[i] == '\r' || data[i] == '\n' || data[i] == '\t'))
        ++i;
    return data.mid(i, 5) == "{\\rtf";
}

bool RtfReader::read(const QByteArray& rtf, QTextDocument* into, QString* error, bool* complete,
                     QStringList* notes) {
    if (!into) {
        if (error) *error = QStringLiteral("There is no document to read into.");
        return false;
    }
    Parser parser(rtf);
    if (!parser.parse(error)) return false;
    if (complete) *complete = parser.complete();
    if (notes) *notes = parser.content().notes;
    Builder builder(parser.content());

    const bool undo = into->isUndoRedoEnabled();
    into->setUndoRedoEnabled(false);
    into->clear();
    QTextCursor cur(into);
    cur.beginEditBlock();
    builder.build(cur, false);
    cur.endEditBlock();
    into->setUndoRedoEnabled(undo);
    into->setModified(false);
    return true;
}

bool RtfReader::insert(const QByteArray& rtf, QTextCursor* at, QString* error,
                       bool firstTakesFormat, bool wholeParagraphs, QStringList* notes) {
    if (!at || at->isNull()) {
        if (error) *error = QStringLiteral("There is no document to read into.");
        return false;
    }
    Parser parser(rtf);
    if (!parser.parse(error)) return false;
    const Content& content = parser.content();
    if (notes) *notes = content.notes;
    Builder builder(content);
    at->beginEditBlock();
    at->removeSelectedText();
    const bool ownParagraphs = wholeParagraphs && !firstTakesFormat && at->atBlockStart() &&
                               !at->currentTable() && content.paragraphs.size() > 1 &&
                               (content.tables.isEmpty() || content.tables.first().firstParagraph > 0);
    const QTextBlockFormat ownBlock = at->blockFormat();
    const QTextCharFormat ownMark = at->blockCharFormat();
    // The paragraph's own text follows the last break and keeps its format; into an empty
    // paragraph the last one goes whole, with its own.
    const bool keepOwn = ownParagraphs && at->block().length() > 1;
    builder.build(*at, !(firstTakesFormat || ownParagraphs));
    if (keepOwn) {
        at->setBlockFormat(ownBlock);
        at->setBlockCharFormat(ownMark);
    }
    at->endEditBlock();
    return true;
}
