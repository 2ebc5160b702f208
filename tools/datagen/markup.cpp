#include "markup.h"

#include <QRegularExpression>
#include <QStringList>

namespace Datagen {

QString Issue::toString() const {
    const QString kind = warning ? QStringLiteral("warning") : QStringLiteral("error");
    return line > 0 ? QStringLiteral("%1:%2: %3: %4").arg(file).arg(line).arg(kind, message)
                    : QStringLiteral("%1: %2: %3").arg(file, kind, message);
}

QString Paragraph::plainText() const {
    QString s;
    for (const Span& span : spans)
        s += span.text;
    return s;
}

static QStringList splitLines(const QString& text) {
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& l : lines)
        if (l.endsWith(QLatin1Char('\r'))) l.chop(1);
    return lines;
}

QList<OutlineItem> parseOutline(const QString& text, const QString& fileName, Issues* issues) {
    QList<OutlineItem> items;
    QStringList lines = splitLines(text);
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    int previousDepth = -1;
    for (int i = 0; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        const int lineNo = i + 1;
        auto fail = [&](const QString& message) { issues->append({fileName, lineNo, message}); };
        if (line.trimmed().isEmpty()) {
            fail(QStringLiteral("empty line: every line is a navigator item"));
            continue;
        }
        if (line.contains(QChar(26))) {
            fail(QStringLiteral("Ctrl+Z character: the navigator stops reading there"));
            continue;
        }
        // The navigator reads lines through a 4096-byte buffer.
        if (line.toUtf8().size() + 2 >= 4096) {
            fail(QStringLiteral("line too long for the navigator (4094 bytes at most)"));
            continue;
        }
        int depth = 0;
        while (depth < line.size() && line.at(depth) == QLatin1Char('\t'))
            ++depth;
        if (depth < line.size() && line.at(depth) == QLatin1Char(' ')) {
            fail(QStringLiteral("indent with one tab per level, not spaces"));
            continue;
        }
        if (depth > previousDepth + 1) {
            fail(previousDepth < 0
                     ? QStringLiteral("the first item must be at the top level")
                     : QStringLiteral("item is %1 levels deeper than the one before it; the "
                                      "navigator accepts one level at a time")
                           .arg(depth - previousDepth));
            continue;
        }
        const QString title = line.mid(depth);
        if (title != title.trimmed()) {
            fail(QStringLiteral("item title has spaces at its end"));
            continue;
        }
        items.append({title, depth, lineNo});
        previousDepth = depth;
    }
    if (items.isEmpty() && issues->isEmpty())
        issues->append({fileName, 0, QStringLiteral("the outline has no items")});
    return items;
}

namespace {

// Turns the joined text of one paragraph into spans.
class InlineParser {
public:
    InlineParser(const QString& text, const QList<int>& lineOf, const QString& fileName,
                 Issues* issues)
        : m_text(text), m_lineOf(lineOf), m_file(fileName), m_issues(issues) {}

    QList<Span> run() {
        const int n = int(m_text.size());
        int i = 0;
        while (i < n) {
            const QChar c = m_text.at(i);
            if (c == QLatin1Char('\\') && i + 1 < n) {
                m_buffer += m_text.at(i + 1);
                i += 2;
            } else if (startsAt(i, u"**")) {
                flush();
                m_bold = !m_bold;
                m_boldAt = i;
                i += 2;
            } else if (c == QLatin1Char('*')) {
                flush();
                m_italic = !m_italic;
                m_italicAt = i;
                i += 1;
            } else if (startsAt(i, u"{{")) {
                open(Span::Prompt, i);
                i += 2;
            } else if (startsAt(i, u"}}")) {
                close(Span::Prompt, i);
                i += 2;
            } else if (startsAt(i, u"<<")) {
                open(Span::Note, i);
                i += 2;
            } else if (startsAt(i, u">>")) {
                close(Span::Note, i);
                i += 2;
            } else if (c == QLatin1Char('[') && placeholderAt(i) > 0) {
                const int len = placeholderAt(i);
                if (m_kind == Span::Plain) {
                    flush();
                    if (!m_spans.isEmpty() && m_spans.last().kind == Span::Placeholder &&
                        m_lastPlaceholderEnd == i)
                        fail(i, QStringLiteral("two placeholders side by side run together and "
                                               "are not filled in; put text between them"));
                    m_spans.append({Span::Placeholder, m_text.mid(i, len), m_bold, m_italic});
                    m_lastPlaceholderEnd = i + len;
                } else {
                    fail(i, QStringLiteral("placeholder %1 inside a %2 is never filled in; "
                                           "write it outside the braces")
                                .arg(m_text.mid(i, len), kindName(m_kind)));
                    m_buffer += m_text.mid(i, len);
                }
                i += len;
            } else {
                m_buffer += c;
                ++i;
            }
        }
        flush();
        if (m_kind != Span::Plain)
            fail(m_openAt, QStringLiteral("%1 opened with \"%2\" is not closed in this paragraph")
                               .arg(kindName(m_kind), m_kind == Span::Prompt ? "{{" : "<<"));
        if (m_bold) fail(m_boldAt, QStringLiteral("\"**\" (bold) is not closed in this paragraph"));
        if (m_italic)
            fail(m_italicAt, QStringLiteral("\"*\" (italic) is not closed in this paragraph"));
        checkPlainText();
        return m_spans;
    }

private:
    bool startsAt(int i, QStringView s) const { return QStringView(m_text).mid(i).startsWith(s); }

    int placeholderAt(int i) const {
        for (const QString& p : {kBusinessName, kSbuName})
            if (QStringView(m_text).mid(i).startsWith(p)) return int(p.size());
        return 0;
    }

    static QString kindName(Span::Kind k) {
        return k == Span::Prompt ? QStringLiteral("prompt") : QStringLiteral("note");
    }

    void fail(int offset, const QString& message) {
        const int line =
            m_lineOf.isEmpty() ? 0 : m_lineOf.value(qBound(0, offset, int(m_lineOf.size()) - 1));
        m_issues->append({m_file, line, message});
    }

    void open(Span::Kind kind, int at) {
        if (m_kind != Span::Plain) {
            fail(at, QStringLiteral("a %1 cannot start inside a %2")
                         .arg(kindName(kind), kindName(m_kind)));
            return;
        }
        flush();
        if (kind == Span::Prompt && !m_spans.isEmpty() && m_spans.last().kind == Span::Prompt &&
            m_lastPromptEnd == at)
            fail(at, QStringLiteral("two prompts side by side run together into one; put text "
                                    "between them"));
        m_kind = kind;
        m_openAt = at;
        m_openSpans = int(m_spans.size());
    }

    void close(Span::Kind kind, int at) {
        if (m_kind != kind) {
            fail(at,
                 QStringLiteral("\"%1\" without a matching \"%2\"")
                     .arg(kind == Span::Prompt ? "}}" : ">>", kind == Span::Prompt ? "{{" : "<<"));
            return;
        }
        flush();
        bool empty = true;
        for (int k = m_openSpans; k < m_spans.size(); ++k)
            if (!m_spans.at(k).text.trimmed().isEmpty()) empty = false;
        if (empty) fail(m_openAt, QStringLiteral("empty %1").arg(kindName(kind)));
        m_kind = Span::Plain;
        if (kind == Span::Prompt) m_lastPromptEnd = at + 2;
    }

    void flush() {
        if (m_buffer.isEmpty()) return;
        if (!m_spans.isEmpty()) {
            Span& last = m_spans.last();
            if (last.kind == m_kind && last.bold == m_bold && last.italic == m_italic &&
                last.kind != Span::Placeholder) {
                last.text += m_buffer;
                m_buffer.clear();
                return;
            }
        }
        m_spans.append({m_kind, m_buffer, m_bold, m_italic});
        m_buffer.clear();
    }

    // Bracketed texts that the program treats specially only work inside prompts.
    void checkPlainText() {
        static const QRegularExpression choice(QStringLiteral("\\[[^\\[\\]]*/[^\\[\\]]*\\]"));
        static const QRegularExpression field(QStringLiteral("\\[[A-Za-z]+\\]"));
        for (const Span& s : std::as_const(m_spans)) {
            if (s.kind != Span::Plain) continue;
            const int at = int(m_text.indexOf(s.text));
            if (const auto m = choice.match(s.text); m.hasMatch())
                fail(at, QStringLiteral("choice list %1 outside a prompt cannot be picked; write "
                                        "it as {{%1}}")
                             .arg(m.captured()));
            auto it = field.globalMatch(s.text);
            while (it.hasNext()) {
                const QString f = it.next().captured();
                if (f.compare(QLatin1String("[DATE]"), Qt::CaseInsensitive) == 0)
                    fail(at, QStringLiteral("write the date field inside a prompt: {{[DATE]}}"));
                else
                    fail(at, QStringLiteral("unknown field %1 (the placeholders are %2 and %3)")
                                 .arg(f, kBusinessName, kSbuName));
            }
        }
    }

    const QString& m_text;
    const QList<int>& m_lineOf;
    QString m_file;
    Issues* m_issues;
    QList<Span> m_spans;
    QString m_buffer;
    Span::Kind m_kind = Span::Plain;
    bool m_bold = false;
    bool m_italic = false;
    int m_boldAt = 0;
    int m_italicAt = 0;
    int m_openAt = 0;
    int m_openSpans = 0;
    int m_lastPromptEnd = -1;
    int m_lastPlaceholderEnd = -1;
};

} // namespace

QList<Paragraph> parseMarkup(const QString& text, const QString& fileName, Issues* issues) {
    QList<Paragraph> out;
    const QStringList lines = splitLines(text);

    Paragraph current;
    QString joined;
    QList<int> lineOf; // source line of every character of `joined`
    bool open = false;

    auto flush = [&] {
        if (!open) return;
        InlineParser parser(joined, lineOf, fileName, issues);
        current.spans = parser.run();
        if (current.plainText().trimmed().isEmpty())
            issues->append({fileName, current.line, QStringLiteral("paragraph without text")});
        else
            out.append(current);
        current = Paragraph();
        joined.clear();
        lineOf.clear();
        open = false;
    };
    auto append = [&](const QString& s, int lineNo) {
        if (!joined.isEmpty()) {
            joined += QLatin1Char(' ');
            lineOf.append(lineNo);
        }
        joined += s;
        for (int k = 0; k < s.size(); ++k)
            lineOf.append(lineNo);
    };
    auto start = [&](Paragraph::Kind kind, bool centred, int lineNo) {
        flush();
        current.kind = kind;
        current.centred = centred;
        current.line = lineNo;
        open = true;
    };

    for (int i = 0; i < lines.size(); ++i) {
        const int lineNo = i + 1;
        QString line = lines.at(i).trimmed();
        if (line.isEmpty()) {
            flush();
            continue;
        }
        bool centred = false;
        if (line.startsWith(QLatin1String("^ ")) || line.startsWith(QLatin1String("^#"))) {
            centred = true;
            line = line.mid(1).trimmed();
        }
        if (line.startsWith(QLatin1Char('#'))) {
            int level = 0;
            while (level < line.size() && line.at(level) == QLatin1Char('#'))
                ++level;
            if (level > 3) {
                issues->append(
                    {fileName, lineNo, QStringLiteral("headings go to three levels (###)")});
                level = 3;
            }
            if (level >= line.size() || line.at(level) != QLatin1Char(' ')) {
                issues->append({fileName, lineNo,
                                QStringLiteral("write a heading as \"%1 Text\"")
                                    .arg(QString(level, QLatin1Char('#')))});
            }
            start(Paragraph::Kind(Paragraph::Heading1 + level - 1), centred, lineNo);
            append(line.mid(level).trimmed(), lineNo);
            flush(); // a heading is always one line
        } else if (line.startsWith(QLatin1String("- ")) || line == QLatin1String("-")) {
            start(Paragraph::Bullet, centred, lineNo);
            append(line.mid(1).trimmed(), lineNo);
        } else if (centred || !open) {
            start(Paragraph::Body, centred, lineNo);
            append(line, lineNo);
        } else {
            append(line, lineNo);
        }
    }
    flush();
    return out;
}

} // namespace Datagen
