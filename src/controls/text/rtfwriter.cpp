#include "controls/text/rtfwriter.h"

#include "controls/text/pictures.h"

#include "controls/text/rtftables.h"
#include "controls/text/textformat.h"

#include <QBrush>
#include <QFont>
#include <QHash>
#include <QList>
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTextTable>
#include <QUrl>

#include <cmath>

// Our tags are written as plain control words (\tzhtag5), not as ignorable destinations
// ({\*\tzhtag5}). Every RTF reader skips a control word it does not know and keeps the
// surrounding text, so the file still opens elsewhere; a destination group would cost a
// group per change and would scope the tag to the group, while a plain word lives in the
// character state like \b and is switched off the same way (\tzhtag0). Their names start
// with letters no other writer uses, so no reader can mistake them for its own words.

namespace {

struct RunState {
    int font = 0;
    int halfPoints = 24; // the RTF default size, 12 points
    int color = 0;       // 0 = automatic, else 1-based index into the colour table
    int htag = 0;
    int ntag = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;
};

// Single-byte fallback after \uN for readers that do not know \u: the code page 1252
// byte of the character, or '?'.
char fallbackByte(char16_t c) {
    if (c >= 0xa0 && c <= 0xff) return char(c);
    switch (c) {
    case 0x20ac:
        return char(0x80);
    case 0x201a:
        return char(0x82);
    case 0x0192:
        return char(0x83);
    case 0x201e:
        return char(0x84);
    case 0x2026:
        return char(0x85);
    case 0x2020:
        return char(0x86);
    case 0x2021:
        return char(0x87);
    case 0x02c6:
        return char(0x88);
    case 0x2030:
        return char(0x89);
    case 0x0160:
        return char(0x8a);
    case 0x2039:
        return char(0x8b);
    case 0x0152:
        return char(0x8c);
    case 0x017d:
        return char(0x8e);
    case 0x2018:
        return char(0x91);
    case 0x2019:
        return char(0x92);
    case 0x201c:
        return char(0x93);
    case 0x201d:
        return char(0x94);
    case 0x2022:
        return char(0x95);
    case 0x2013:
        return char(0x96);
    case 0x2014:
        return char(0x97);
    case 0x02dc:
        return char(0x98);
    case 0x2122:
        return char(0x99);
    case 0x0161:
        return char(0x9a);
    case 0x203a:
        return char(0x9b);
    case 0x0153:
        return char(0x9c);
    case 0x017e:
        return char(0x9e);
    case 0x0178:
        return char(0x9f);
    default:
        return '?';
    }
}

const char kHex[] = "0123456789abcdef";

class Writer {
public:
    Writer(const QTextDocument& doc, RtfWriter::Flavor flavor)
        : m_doc(doc), m_native(flavor == RtfWriter::Native) {
        const QFont df = doc.defaultFont();
        m_defaultFamily = df.family();
        m_defaultSize = df.pointSizeF() > 0 ? df.pointSizeF() : 12.0;
        fontIndex(m_defaultFamily); // font 0, the \deff0 font
    }

    QByteArray run() {
        m_body.reserve(m_doc.characterCount() + m_doc.characterCount() / 4 + 256);
        writeFrame(m_doc.rootFrame());

        QByteArray out;
        out.reserve(m_body.size() + 64 * (m_fonts.size() + m_colors.size()) + 128);
        out += "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";
        for (qsizetype i = 0; i < m_fonts.size(); ++i) {
            out += "{\\f";
            appendInt(out, int(i));
            out += "\\fnil ";
            appendText(out, m_fonts.at(i), true);
            out += ";}";
        }
        out += "}\n{\\colortbl;";
        for (QRgb c : std::as_const(m_colors)) {
            out += "\\red";
            appendInt(out, qRed(c));
            out += "\\green";
            appendInt(out, qGreen(c));
            out += "\\blue";
            appendInt(out, qBlue(c));
            out += ';';
        }
        out += "}\n";
        out += m_body;
        out += "}\n";
        return out;
    }

private:
    // Frames and tables are walked in document order; a table is written as RTF rows.
    void writeFrame(QTextFrame* frame) {
        for (auto it = frame->begin(); !it.atEnd(); ++it) {
            if (QTextFrame* child = it.currentFrame()) {
                if (auto* table = qobject_cast<QTextTable*>(child))
                    writeTable(table);
                else
                    writeFrame(child);
            } else {
                writeBlock(it.currentBlock());
            }
        }
    }

    void writeTable(QTextTable* table) {
        // The paragraph before the table ends where the rows begin, and the rows end the
        // table's last paragraph: the paragraph after it needs no \par of its own.
        if (m_paragraphs) m_body += "\\par\n";
        RtfTables::write(table, m_body, m_native,
                         [this](const QTextBlock& block) { writeBlock(block, true); });
        m_paragraphs = 0;
    }

    void writeBlock(const QTextBlock& block, bool inTable = false) {
        if (inTable)
            ++m_paragraphs;
        else if (m_paragraphs++)
            m_body += "\\par\n";
        writeParagraphFormat(block.blockFormat());
        if (inTable) m_body += "\\intbl";

        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (!frag.isValid()) continue;
            switchTo(runState(frag.charFormatIndex(), frag.charFormat()));
            if (frag.charFormat().isImageFormat()) {
                for (int i = 0; i < frag.length(); ++i)
                    writePicture(frag.charFormat().toImageFormat());
                continue;
            }
            const QString text = frag.text();
            appendText(m_body, text, false);
        }
        // The paragraph's mark has a character format of its own, which gives an empty
        // paragraph its height and what is typed into it: it is the state at the \par. (Left
        // to the last run's, the mark of a paragraph the header run alone filled came back
        // red, hidden and tagged as the header once the header was taken out.)
        switchTo(runState(block.charFormatIndex(), block.charFormat()));
    }

    // A picture as \\pict with its data in hex, its size in pixels and the size it is shown
    // at (\\picwgoal, \\pichgoal, in twips). One that was read but could not be shown goes
    // back as it came.
    void writePicture(const QTextImageFormat& f) {
        Pictures::Stored s;
        if (!Pictures::lookup(f.name(), &s)) {
            // Not one of ours (pasted from a web page): its pixels, as PNG.
            const QVariant v = m_doc.resource(QTextDocument::ImageResource, QUrl(f.name()));
            const QImage image = v.value<QImage>();
            if (image.isNull() || !Pictures::lookup(Pictures::store(image), &s)) return;
        }
        const QSizeF shown = Pictures::shownSize(f);
        m_body += "{\\pict";
        if (s.kind == Pictures::Kind::Other) {
            m_body += s.rtfType;
        } else {
            m_body += s.kind == Pictures::Kind::Jpeg ? "\\jpegblip\\picw" : "\\pngblip\\picw";
            appendInt(m_body, s.image.width());
            m_body += "\\pich";
            appendInt(m_body, s.image.height());
        }
        m_body += "\\picwgoal";
        appendInt(m_body, int(std::lround(Pictures::lengthToTwips(shown.width()))));
        m_body += "\\pichgoal";
        appendInt(m_body, int(std::lround(Pictures::lengthToTwips(shown.height()))));
        const QByteArray hex = s.data.toHex();
        for (qsizetype i = 0; i < hex.size(); i += 128) {
            m_body += '\n';
            m_body.append(hex.constData() + i, std::min<qsizetype>(128, hex.size() - i));
        }
        m_body += "}";
        m_pendingDelimiter = false;
    }

    void writeParagraphFormat(const QTextBlockFormat& bf) {
        m_body += "\\pard";
        const Qt::Alignment a = bf.alignment() & Qt::AlignHorizontal_Mask;
        if (a & Qt::AlignJustify)
            m_body += "\\qj";
        else if (a & Qt::AlignHCenter)
            m_body += "\\qc";
        else if (a & Qt::AlignRight)
            m_body += "\\qr";
        const int fi = TextFormat::indentToTwips(bf.textIndent());
        const int li = TextFormat::indentToTwips(bf.leftMargin());
        const int ri = TextFormat::indentToTwips(bf.rightMargin());
        if (fi) {
            m_body += "\\fi";
            appendInt(m_body, fi);
        }
        if (li) {
            m_body += "\\li";
            appendInt(m_body, li);
        }
        if (ri) {
            m_body += "\\ri";
            appendInt(m_body, ri);
        }
        if (m_native) {
            const int ptag = bf.intProperty(TextFormat::PTagProperty);
            if (ptag) {
                m_body += "\\tzptag";
                appendInt(m_body, ptag);
            }
        }
        m_pendingDelimiter = true;
    }

    // The format index is a cheap key: formats are shared, so a long document has only a
    // few dozen of them and each is translated once.
    const RunState& runState(int key, const QTextCharFormat& f) {
        auto it = m_runCache.constFind(key);
        if (it != m_runCache.constEnd()) return *it;
        RunState s;
        const QStringList families = f.fontFamilies().toStringList();
        s.font = fontIndex(families.isEmpty() || families.first().isEmpty() ? m_defaultFamily
                                                                            : families.first());
        const double pt = f.hasProperty(QTextFormat::FontPointSize) && f.fontPointSize() > 0
                              ? f.fontPointSize()
                              : m_defaultSize;
        s.halfPoints = std::max(1, int(std::lround(pt * 2)));
        s.bold = f.fontWeight() >= QFont::DemiBold;
        s.italic = f.fontItalic();
        s.underline = f.fontUnderline();
        s.strike = f.fontStrikeOut();
        if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
            s.color = colorIndex(f.foreground().color().rgb());
        s.hidden = f.boolProperty(TextFormat::HiddenProperty);
        if (m_native) {
            s.htag = f.intProperty(TextFormat::HTagProperty);
            s.ntag = f.intProperty(TextFormat::NTagProperty);
        }
        return *m_runCache.insert(key, s);
    }

    // Character state lives across paragraphs (\pard does not reset it), so only what
    // changes is written.
    void switchTo(const RunState& s) {
        QByteArray& b = m_body;
        const qsizetype before = b.size();
        if (s.font != m_cur.font) {
            b += "\\f";
            appendInt(b, s.font);
        }
        if (s.halfPoints != m_cur.halfPoints) {
            b += "\\fs";
            appendInt(b, s.halfPoints);
        }
        if (s.bold != m_cur.bold) b += s.bold ? "\\b" : "\\b0";
        if (s.italic != m_cur.italic) b += s.italic ? "\\i" : "\\i0";
        if (s.underline != m_cur.underline) b += s.underline ? "\\ul" : "\\ulnone";
        if (s.strike != m_cur.strike) b += s.strike ? "\\strike" : "\\strike0";
        if (s.color != m_cur.color) {
            b += "\\cf";
            appendInt(b, s.color);
        }
        if (s.hidden != m_cur.hidden) b += s.hidden ? "\\v" : "\\v0";
        if (s.htag != m_cur.htag) {
            b += "\\tzhtag";
            appendInt(b, s.htag);
        }
        if (s.ntag != m_cur.ntag) {
            b += "\\tzntag";
            appendInt(b, s.ntag);
        }
        m_cur = s;
        if (b.size() != before) m_pendingDelimiter = true;
    }

    int fontIndex(const QString& family) {
        if (family == m_lastFamily) return m_lastFont;
        auto it = m_fontIndex.constFind(family);
        int i;
        if (it != m_fontIndex.constEnd()) {
            i = *it;
        } else {
            i = int(m_fonts.size());
            m_fonts.append(family);
            m_fontIndex.insert(family, i);
        }
        m_lastFamily = family;
        m_lastFont = i;
        return i;
    }

    int colorIndex(QRgb rgb) {
        rgb |= 0xff000000u;
        auto it = m_colorIndex.constFind(rgb);
        if (it != m_colorIndex.constEnd()) return *it;
        m_colors.append(rgb);
        const int i = int(m_colors.size()); // entry 0 is the automatic colour
        m_colorIndex.insert(rgb, i);
        return i;
    }

    static void appendInt(QByteArray& b, int v) {
        char buf[12];
        char* p = buf + sizeof buf;
        unsigned u = v < 0 ? 0u - unsigned(v) : unsigned(v);
        do {
            *--p = char('0' + u % 10);
            u /= 10;
        } while (u);
        if (v < 0) *--p = '-';
        b.append(p, buf + sizeof buf - p);
    }

    void appendText(QByteArray& b, const QString& text, bool fontName) {
        const char16_t* p = reinterpret_cast<const char16_t*>(text.constData());
        const char16_t* end = p + text.size();
        if (fontName) m_pendingDelimiter = false;
        while (p != end) {
            // One space ends the preceding control word; it is only needed before a
            // character that would otherwise continue it.
            if (m_pendingDelimiter) {
                const char16_t c = *p;
                if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == ' ' || c == '-')
                    b += ' ';
                m_pendingDelimiter = false;
            }
            // Runs of plain ASCII go in one piece.
            const char16_t* q = p;
            while (q != end && *q >= 0x20 && *q < 0x80 && *q != '\\' && *q != '{' && *q != '}' &&
                   !(fontName && *q == ';'))
                ++q;
            if (q != p) {
                const qsizetype n = q - p;
                const qsizetype at = b.size();
                b.resize(at + n);
                char* d = b.data() + at;
                for (qsizetype i = 0; i < n; ++i)
                    d[i] = char(p[i]);
                p = q;
                m_pendingDelimiter = false;
                continue;
            }
            const char16_t c = *p++;
            m_pendingDelimiter = false;
            switch (c) {
            case '\\':
                b += "\\\\";
                continue;
            case '{':
                b += "\\{";
                continue;
            case '}':
                b += "\\}";
                continue;
            case '\t':
                b += "\\tab";
                m_pendingDelimiter = true;
                continue;
            case 0x2028: // QChar::LineSeparator
            case '\n':
            case '\v':
                b += "\\line";
                m_pendingDelimiter = true;
                continue;
            case 0x00a0:
                b += "\\~";
                continue;
            case 0xfdd0: // frame markers and embedded objects carry no text
            case 0xfdd1:
            case 0xfffc:
            case 0x2029:
                continue;
            default:
                break;
            }
            if (c < 0x20 || c == ';')
                continue; // control characters have no place in text, ';' only in names
            b += "\\u";
            appendInt(b, int(int16_t(c)));
            const char fb = fallbackByte(c);
            if (fb == '?') {
                b += '?';
            } else {
                b += "\\'";
                b += kHex[(uchar(fb) >> 4) & 0xf];
                b += kHex[uchar(fb) & 0xf];
            }
        }
    }

    const QTextDocument& m_doc;
    const bool m_native;
    QString m_defaultFamily;
    double m_defaultSize = 12.0;
    QByteArray m_body;
    QStringList m_fonts;
    QHash<QString, int> m_fontIndex;
    QString m_lastFamily;
    int m_lastFont = 0;
    QList<QRgb> m_colors;
    QHash<QRgb, int> m_colorIndex;
    QHash<int, RunState> m_runCache;
    RunState m_cur;
    int m_paragraphs = 0;
    bool m_pendingDelimiter = false;
};

} // namespace

QByteArray RtfWriter::write(const QTextDocument& doc, Flavor flavor) {
    return Writer(doc, flavor).run();
}

QByteArray RtfWriter::write(const QTextCursor& selection, Flavor flavor) {
    QTextDocument copy;
    if (const QTextDocument* source = selection.document())
        copy.setDefaultFont(source->defaultFont());
    QTextCursor(&copy).insertFragment(selection.selection());
    // A selection from the start of a paragraph takes that paragraph whole, with its
    // format and tags (a section heading its section), which the fragment leaves behind.
    if (const QTextDocument* source = selection.document()) {
        const QTextBlock first = source->findBlock(selection.selectionStart());
        if (first.isValid() && first.position() == selection.selectionStart() &&
            selection.hasSelection() && !QTextCursor(first).currentTable() &&
            !QTextCursor(&copy).currentTable()) {
            QTextCursor start(&copy);
            start.setBlockFormat(first.blockFormat());
            start.setBlockCharFormat(first.charFormat());
        }
    }
    return write(copy, flavor);
}
