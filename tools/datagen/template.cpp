#include "template.h"

#include "controls/text/textformat.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QRegularExpression>
#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace Datagen {

Issues validateOutline(const QList<OutlineItem>& items, const QString& fileName) {
    Issues issues;
    if (items.size() < 30)
        issues.append({fileName, 0,
                       QStringLiteral("the outline has %1 items; a complete plan needs at least 30")
                           .arg(items.size())});
    struct Analysis {
        int number;
        const char* word;
        const char* window;
    };
    const Analysis analyses[] = {{17, "Competitor", "competitor analysis"},
                                 {19, "Impact", "impact / probability analysis"},
                                 {21, "Strength", "strength / weakness analysis"},
                                 {23, "SWOT", "SWOT summary"}};
    for (const Analysis& a : analyses) {
        if (a.number > items.size()) {
            issues.append({fileName, 0,
                           QStringLiteral("item %1 must be the %2 section, but the outline ends "
                                          "at item %3")
                               .arg(a.number)
                               .arg(QLatin1String(a.window))
                               .arg(items.size())});
            continue;
        }
        const OutlineItem& item = items.at(a.number - 1);
        if (!item.title.contains(QLatin1String(a.word)))
            issues.append({fileName, item.line,
                           QStringLiteral("item %1 opens the %2, so its title must contain \"%3\" "
                                          "(it reads \"%4\")")
                               .arg(a.number)
                               .arg(QLatin1String(a.window), QLatin1String(a.word), item.title)});
    }
    const QString budget = QStringLiteral("Marketing Budget Spreadsheet");
    QList<int> budgets;
    for (int i = 0; i < items.size(); ++i)
        if (items.at(i).title == budget) budgets.append(i);
    if (budgets.isEmpty())
        issues.append({fileName, 0,
                       QStringLiteral("no item is titled exactly \"%1\": the plan would have no "
                                      "budget section")
                           .arg(budget)});
    for (int k = 1; k < budgets.size(); ++k)
        issues.append({fileName, items.at(budgets.at(k)).line,
                       QStringLiteral("a second item titled \"%1\"").arg(budget)});
    for (int b : budgets)
        for (int n : {17, 19, 21, 23})
            if (b + 1 == n)
                issues.append({fileName, items.at(b).line,
                               QStringLiteral("the budget section cannot be item %1, which opens "
                                              "an analysis")
                                   .arg(n)});
    return issues;
}

bool hasChildren(const QList<OutlineItem>& items, int sectionNumber) {
    return sectionNumber >= 1 && sectionNumber < items.size() &&
           items.at(sectionNumber).depth > items.at(sectionNumber - 1).depth;
}

QList<int> sectionsReachedByNext(const QList<OutlineItem>& items) {
    QList<int> reached;
    if (items.isEmpty()) return reached;
    int a = 1;
    reached.append(a);
    while (a < items.size()) {
        ++a;
        if (hasChildren(items, a)) ++a; // onto a heading lands on its first child
        reached.append(a);
    }
    return reached;
}

Issues validateReachable(const QList<OutlineItem>& items, const QList<int>& sectionsWithPrompts,
                         const QString& fileName) {
    Issues issues;
    const QList<int> reached = sectionsReachedByNext(items);
    for (int n : sectionsWithPrompts)
        if (n >= 1 && n <= items.size() && !reached.contains(n))
            issues.append({fileName, items.at(n - 1).line,
                           QStringLiteral("section %1 \"%2\" holds prompts, but Next (F6) passes "
                                          "over it: move its writing into a section below it")
                               .arg(n)
                               .arg(items.at(n - 1).title)});
    return issues;
}

Issues validatePlanSection(const QList<Paragraph>& paragraphs, const OutlineItem& item,
                           int sectionNumber, const QString& fileName, bool partHeading) {
    Issues issues;
    if (paragraphs.isEmpty()) {
        issues.append({fileName, 0,
                       QStringLiteral("section %1 \"%2\" has no text, so the plan would carry no "
                                      "tags for it")
                           .arg(sectionNumber)
                           .arg(item.title)});
        return issues;
    }
    const Paragraph& first = paragraphs.first();
    const bool heading = first.kind == Paragraph::Heading1 || first.kind == Paragraph::Heading2 ||
                         first.kind == Paragraph::Heading3;
    if (!heading) {
        issues.append(
            {fileName, first.line, QStringLiteral("the section must begin with its heading")});
    } else if (sectionNumber > 1) {
        const int level = first.kind - Paragraph::Heading1;
        if (first.plainText() != item.title)
            issues.append({fileName, first.line,
                           QStringLiteral("the heading \"%1\" differs from the navigator item "
                                          "\"%2\"")
                               .arg(first.plainText(), item.title)});
        if (level != qMin(item.depth, 2))
            issues.append({fileName, first.line,
                           QStringLiteral("the heading should be level %1 (\"%2\") like its "
                                          "navigator item")
                               .arg(qMin(item.depth, 2) + 1)
                               .arg(QString(qMin(item.depth, 2) + 1, QLatin1Char('#')))});
    }
    for (int i = 1; i < paragraphs.size(); ++i)
        if (promptsMeet(paragraphs.at(i - 1), paragraphs.at(i)))
            issues.append({fileName, paragraphs.at(i).line, promptsMeetMessage()});
    static const QRegularExpression choice(QStringLiteral("\\[[^\\[\\]]*/[^\\[\\]]*\\]"));
    bool anyPrompt = false;
    for (const Paragraph& p : paragraphs) {
        for (const Span& s : p.spans) {
            if (s.kind != Span::Prompt) continue;
            anyPrompt = true;
            const QString t = s.text.trimmed();
            // A double-click on an option replaces the whole prompt with that option, so a
            // list sharing its prompt with other words would take them with it.
            if (choice.match(t).hasMatch() &&
                !(t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']')) &&
                  t.count(QLatin1Char('[')) == 1))
                issues.append({fileName, p.line,
                               QStringLiteral("the choice list in \"%1\" must be a prompt of its "
                                              "own, e.g. {{[our/their]}}")
                                   .arg(t)});
        }
    }
    if (!anyPrompt && !partHeading)
        issues.append({fileName, 0,
                       QStringLiteral("section %1 has no blue prompt for the user to replace")
                           .arg(sectionNumber)});
    return issues;
}

bool promptsMeet(const Paragraph& before, const Paragraph& after) {
    // A bullet's mark is plain text in front of the item's first word.
    return !before.spans.isEmpty() && before.spans.last().kind == Span::Prompt &&
           !after.spans.isEmpty() && after.spans.first().kind == Span::Prompt &&
           after.kind != Paragraph::Bullet;
}

QString promptsMeetMessage() {
    return QStringLiteral("this paragraph opens with a prompt right after the prompt that ends "
                          "the paragraph before it: with only a paragraph break between them "
                          "they run together; put words in front of this prompt");
}

DocumentStyle planStyle() {
    DocumentStyle s;
    s.family = QStringLiteral("Arial");
    return s;
}

DocumentStyle guidanceStyle() {
    // The guidance pane is narrow (about 220 pixels): smaller type, tighter spacing.
    DocumentStyle s;
    s.family = QStringLiteral("Arial");
    s.body = 9;
    s.heading1 = 11;
    s.heading2 = 10;
    s.heading3 = 9;
    s.spacer = 5;
    return s;
}

static const QString kBullet = QStringLiteral("\u2022 ");

static QTextCharFormat charFormat(const DocumentStyle& style, const Paragraph& p, const Span& s,
                                  int sectionTag) {
    QTextCharFormat f;
    f.setFontFamilies({style.family});
    qreal size = style.body;
    bool bold = s.bold;
    switch (p.kind) {
    case Paragraph::Heading1:
        size = style.heading1;
        bold = true;
        break;
    case Paragraph::Heading2:
        size = style.heading2;
        bold = true;
        break;
    case Paragraph::Heading3:
        size = style.heading3;
        bold = true;
        break;
    default:
        break;
    }
    f.setFontPointSize(size);
    f.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(s.italic);
    switch (s.kind) {
    case Span::Plain:
        f.setForeground(QColor(0, 0, 0));
        break;
    case Span::Prompt:
        f.setForeground(QColor(0, 0, 255));
        f.setProperty(TextFormat::HTagProperty, 1);
        break;
    case Span::Note:
        f.setForeground(QColor(255, 0, 0));
        f.setProperty(TextFormat::HTagProperty, 999);
        f.setProperty(TextFormat::HiddenProperty, true);
        break;
    case Span::Placeholder:
        f.setForeground(QColor(0, 0, 0));
        f.setProperty(TextFormat::HTagProperty, 300);
        break;
    }
    if (sectionTag > 0) f.setProperty(TextFormat::NTagProperty, sectionTag);
    return f;
}

// Width of the bullet and its space, so that a bullet's wrapped lines start under its
// first word.
static qreal bulletWidth(const DocumentStyle& style) {
    QFont font(style.family);
    font.setPointSizeF(style.body);
    const QFontMetricsF metrics(font);
    const qreal dpi = metrics.fontDpi() > 0 ? metrics.fontDpi() : 96.0;
    return qRound(metrics.horizontalAdvance(kBullet) * 72.0 / dpi * 4.0) / 4.0;
}

void appendParagraphs(QTextDocument* doc, const QList<Paragraph>& paragraphs,
                      const DocumentStyle& style, int sectionTag) {
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::End);
    bool reuseFirstBlock = doc->isEmpty() && doc->blockCount() == 1;
    const qreal indent = bulletWidth(style);

    auto newBlock = [&](const QTextBlockFormat& bf, const QTextCharFormat& cf) {
        if (reuseFirstBlock) {
            cursor.setBlockFormat(bf);
            cursor.setBlockCharFormat(cf);
            reuseFirstBlock = false;
        } else {
            cursor.insertBlock(bf, cf);
        }
    };

    for (int i = 0; i < paragraphs.size(); ++i) {
        const Paragraph& p = paragraphs.at(i);
        QTextBlockFormat bf;
        bf.setAlignment(p.centred ? Qt::AlignHCenter : Qt::AlignLeft);
        if (p.kind == Paragraph::Bullet) {
            bf.setLeftMargin(indent);
            bf.setTextIndent(-indent);
        }
        if (sectionTag > 0 && i == 0) bf.setProperty(TextFormat::PTagProperty, sectionTag);
        newBlock(bf, charFormat(style, p, p.spans.value(0), sectionTag));
        if (p.kind == Paragraph::Bullet) {
            Span bullet;
            cursor.insertText(kBullet, charFormat(style, p, bullet, sectionTag));
        }
        for (const Span& s : p.spans)
            cursor.insertText(s.text, charFormat(style, p, s, sectionTag));

        // Paragraphs are set apart by an empty one (the way the plan is typed, and what
        // every word processor keeps); a list stays together. A section ends with one, so
        // that every section stands apart from the next.
        const bool last = i + 1 == paragraphs.size();
        const bool listContinues =
            !last && p.kind == Paragraph::Bullet && paragraphs.at(i + 1).kind == Paragraph::Bullet;
        if (listContinues || (last && sectionTag == 0)) continue;
        Paragraph spacer;
        QTextCharFormat spacerFormat = charFormat(style, spacer, Span(), sectionTag);
        spacerFormat.setFontPointSize(style.spacer);
        newBlock(QTextBlockFormat(), spacerFormat);
    }
}

QString defaultPlanHeader() {
    const QString margin = QStringLiteral("%1").arg(1000, 15, 10, QLatin1Char('0'));
    return margin + margin + margin + margin + QStringLiteral("0009") + QStringLiteral("0001");
}

void insertPlanHeader(QTextDocument* doc, const QString& header, const DocumentStyle& style) {
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::Start);
    QTextCharFormat f;
    f.setFontFamilies({style.family});
    f.setFontPointSize(style.body);
    f.setForeground(QColor(255, 0, 0));
    f.setProperty(TextFormat::HTagProperty, 1000);
    cursor.insertText(header, f);
}

QByteArray navigatorFile(const QList<OutlineItem>& items) {
    QByteArray out;
    for (const OutlineItem& item : items)
        out += QByteArray(item.depth, '\t') + item.title.toUtf8() + "\r\n";
    return out;
}

Example parseExample(const QString& text, const QString& fileName, Issues* issues) {
    Example ex;
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    const qsizetype nl = t.indexOf(QLatin1Char('\n'));
    ex.title = (nl < 0 ? t : t.left(nl)).trimmed();
    ex.body = nl < 0 ? QString() : t.mid(nl + 1).trimmed();
    if (ex.title.isEmpty())
        issues->append({fileName, 1, QStringLiteral("the first line must be the example's title")});
    if (ex.body.isEmpty()) issues->append({fileName, 2, QStringLiteral("the example has no body")});
    const QStringList lines = t.split(QLatin1Char('\n'));
    for (int i = 1; i < lines.size(); ++i)
        if (lines.at(i).trimmed().startsWith(QLatin1String("@topic")))
            issues->append(
                {fileName, i + 1, QStringLiteral("a body line may not begin with \"@topic\"")});
    return ex;
}

QList<ExampleBusiness> parseBusinesses(const QString& text, const QString& fileName,
                                       Issues* issues) {
    QList<ExampleBusiness> out;
    static const QRegularExpression folderName(QStringLiteral("^[a-z0-9][a-z0-9-]*$"));
    const QStringList lines =
        QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")).split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines.at(i).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        const QStringList f = line.split(QLatin1Char('|'));
        if (f.size() != 4) {
            issues->append({fileName, i + 1,
                            QStringLiteral("write a business as \"folder | name | short name | "
                                           "what it is\"")});
            continue;
        }
        ExampleBusiness b{f.at(0).trimmed(), f.at(1).trimmed(), f.at(2).trimmed(),
                          f.at(3).trimmed(), i + 1};
        if (!folderName.match(b.folder).hasMatch())
            issues->append({fileName, i + 1,
                            QStringLiteral("the folder \"%1\" must be lower-case letters, digits "
                                           "and hyphens")
                                .arg(b.folder)});
        if (b.name.isEmpty() || b.shortName.isEmpty() || b.description.isEmpty())
            issues->append({fileName, i + 1, QStringLiteral("a business needs every field")});
        for (const ExampleBusiness& earlier : std::as_const(out))
            if (earlier.folder == b.folder || earlier.shortName == b.shortName)
                issues->append(
                    {fileName, i + 1, QStringLiteral("\"%1\" is listed twice").arg(b.folder)});
        out.append(b);
    }
    if (out.isEmpty() && issues->isEmpty())
        issues->append({fileName, 0, QStringLiteral("no business is listed")});
    return out;
}

Issues validateExampleReturn(const Example& example, const QString& fileName) {
    // "£2.72 for every extra £1", "82p for each £1", "£1.40 back for every £1 spent".
    static const QRegularExpression claim(
        QStringLiteral("(£\\d+(\\.\\d+)?|\\b\\d+p)( back)? (for|per) (every|each) (extra )?£1\\b"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression baseline(QStringLiteral("\\bbaseline\\b"),
                                             QRegularExpression::CaseInsensitiveOption);
    if (!claim.match(example.body).hasMatch() || baseline.match(example.body).hasMatch()) return {};
    return {{fileName, 0,
             QStringLiteral("the example claims a return on the marketing spend but names no "
                            "baseline: say what sales would have come without the plan")}};
}

QString exampleIndexSection(int business) {
    return business == 0 ? QStringLiteral("help") : QStringLiteral("help%1").arg(business + 1);
}

static QString htmlEscaped(const QString& s) {
    return s.toHtmlEscaped();
}

// The bar at the top of an example: every business side by side, the one shown shaded,
// the others linked to their example of the same section.
static QString businessBar(const QList<ExampleBusiness>& businesses, const ExampleSet& examples,
                           int shown, int section) {
    QString out = QStringLiteral(
        "<table width=\"100%\" border=\"0\" cellspacing=\"0\" cellpadding=\"6\"><tr>\n");
    const int width = 100 / int(businesses.size());
    for (int b = 0; b < businesses.size(); ++b) {
        const ExampleBusiness& biz = businesses.at(b);
        const QString name = htmlEscaped(biz.name);
        const QString about =
            QStringLiteral("<br><small>%1</small>").arg(htmlEscaped(biz.description));
        if (b == shown)
            out += QStringLiteral("<td width=\"%1%\" bgcolor=\"#dbe5f1\"><b>%2</b>%3</td>\n")
                       .arg(width)
                       .arg(name, about);
        else if (examples.value(b).contains(section))
            out += QStringLiteral("<td width=\"%1%\"><a href=\"#%2\"><b>%3</b></a>%4</td>\n")
                       .arg(width)
                       .arg(exampleContext(section, b))
                       .arg(name, about);
        else
            out += QStringLiteral("<td width=\"%1%\"><font color=\"#808080\"><b>%2</b>%3<br>"
                                  "<small>(no example of this section)</small></font></td>\n")
                       .arg(width)
                       .arg(name, about);
    }
    return out + QStringLiteral("</tr></table>\n");
}

QByteArray exampleHelpFile(const QList<ExampleBusiness>& businesses, const ExampleSet& examples,
                           const QList<OutlineItem>& items) {
    QString out;
    out += QStringLiteral("Worked examples of the marketing plan, one topic per section and "
                          "business.\n");
    out += QStringLiteral("@topic 1 Worked Examples\n");
    out += QStringLiteral("<p>The worked examples follow %1 small %2 through every section of "
                          "the marketing plan, from the title page to the appendices, with "
                          "figures that agree from one section to the next:</p>\n<ul>\n")
               .arg(businesses.size() == 1 ? QStringLiteral("one") : QStringLiteral("these"),
                    businesses.size() == 1 ? QStringLiteral("business")
                                           : QStringLiteral("businesses"));
    for (const ExampleBusiness& b : businesses)
        out += QStringLiteral("<li><b>%1</b>: %2.</li>\n")
                   .arg(htmlEscaped(b.name), htmlEscaped(b.description));
    out += QStringLiteral("</ul>\n");
    if (businesses.size() > 1)
        out += QStringLiteral("<p>Read the one closer to your own trade. The bar at the top of "
                              "every example switches to the other business, and the Example "
                              "button opens the business you read last.</p>\n");
    // The contents follow the navigator: a row per section, sub-sections indented.
    out += QStringLiteral("<table border=\"1\" cellpadding=\"3\" cellspacing=\"0\">\n<tr><th>"
                          "Section</th>");
    for (const ExampleBusiness& b : businesses)
        out += QStringLiteral("<th>%1</th>").arg(htmlEscaped(b.shortName));
    out += QStringLiteral("</tr>\n");
    for (int n = 1; n <= items.size(); ++n) {
        bool any = false;
        for (const QMap<int, Example>& set : examples)
            any |= set.contains(n);
        if (!any) continue;
        const OutlineItem& item = items.at(n - 1);
        out += QStringLiteral("<tr><td>%1%2</td>")
                   .arg(QStringLiteral("&nbsp;&nbsp;&nbsp;&nbsp;").repeated(item.depth),
                        htmlEscaped(item.title));
        for (int b = 0; b < businesses.size(); ++b)
            out += examples.value(b).contains(n) ? QStringLiteral("<td><a href=\"#%1\">%2</a></td>")
                                                       .arg(exampleContext(n, b))
                                                       .arg(htmlEscaped(businesses.at(b).shortName))
                                                 : QStringLiteral("<td></td>");
        out += QStringLiteral("</tr>\n");
    }
    out += QStringLiteral("</table>\n");
    for (int b = 0; b < businesses.size(); ++b) {
        const QMap<int, Example> set = examples.value(b);
        for (auto it = set.cbegin(); it != set.cend(); ++it) {
            out += QStringLiteral("@topic %1 %2: %3\n")
                       .arg(exampleContext(it.key(), b))
                       .arg(businesses.at(b).shortName, it.value().title);
            out += businessBar(businesses, examples, b, it.key());
            out += it.value().body + QLatin1Char('\n');
        }
    }
    return out.toUtf8();
}

QByteArray exampleIndexFile(const QList<ExampleBusiness>& businesses, const ExampleSet& examples,
                            int itemCount) {
    QByteArray out;
    for (int b = 0; b < qMax(1, int(businesses.size())); ++b) {
        const QMap<int, Example> set = examples.value(b);
        out += '[' + exampleIndexSection(b).toUtf8() + "]\r\n";
        for (int n = 1; n <= itemCount; ++n) {
            if (set.contains(n))
                out +=
                    QByteArray::number(n) + '=' + QByteArray::number(exampleContext(n, b)) + "\r\n";
            else if (b == 0)
                out += QByteArray::number(n) + "=1\r\n";
        }
        out += "\r\n";
    }
    return out;
}

Issues validateScoringGuidance(const QList<Paragraph>& paragraphs, int sectionNumber,
                               const QString& fileName) {
    // Each number the owner sets, with the points of its scale that must be put in words.
    // The competitor weights are shared out rather than read off a scale, so they need a
    // heading of their own but no fixed points.
    struct Scale {
        const char* name;
        QStringList anchors;
    };
    QList<Scale> scales;
    switch (sectionNumber) {
    case 17:
        scales = {{"Rating", {"0", "5", "10"}}, {"Weights", {}}};
        break;
    case 19:
        scales = {{"Probability", {"1", "5", "10"}}, {"Impact", {"-5", "0", "5"}}};
        break;
    case 21:
        scales = {{"Weighting", {"1", "5", "10"}}, {"Score", {"-5", "0", "5"}}};
        break;
    default:
        return {};
    }
    Issues issues;
    static const QRegularExpression leadingNumber(QStringLiteral("^\\s*([-+\u2212]?\\d+)\\b"));
    auto isHeading = [](const Paragraph& p) {
        return p.kind == Paragraph::Heading1 || p.kind == Paragraph::Heading2 ||
               p.kind == Paragraph::Heading3;
    };
    // The bullets under the first heading whose text contains all of `words`.
    auto bulletsUnder = [&](const QStringList& words, bool* found) {
        QStringList bullets;
        *found = false;
        for (int i = 0; i < paragraphs.size() && !*found; ++i) {
            if (!isHeading(paragraphs.at(i))) continue;
            const QString title = paragraphs.at(i).plainText();
            bool all = true;
            for (const QString& w : words)
                all &= title.contains(w, Qt::CaseInsensitive);
            if (!all) continue;
            *found = true;
            for (int k = i + 1; k < paragraphs.size() && !isHeading(paragraphs.at(k)); ++k)
                if (paragraphs.at(k).kind == Paragraph::Bullet)
                    bullets << paragraphs.at(k).plainText();
        }
        return bullets;
    };
    for (const Scale& scale : std::as_const(scales)) {
        const QString name = QLatin1String(scale.name);
        bool found = false;
        const QStringList words = scale.anchors.isEmpty()
                                      ? QStringList{name}
                                      : QStringList{name, QStringLiteral("scale")};
        const QStringList bullets = bulletsUnder(words, &found);
        if (!found || bullets.isEmpty()) {
            issues.append({fileName, 0,
                           QStringLiteral("section %1 asks for %2, so its guidance needs a "
                                          "heading \"%3\" with a list that explains them in "
                                          "words")
                               .arg(sectionNumber)
                               .arg(name.toLower(), words.join(QLatin1Char(' ')))});
            continue;
        }
        QSet<QString> given;
        for (const QString& b : bullets)
            if (const auto m = leadingNumber.match(b); m.hasMatch())
                given.insert(QString(m.captured(1)).replace(QChar(0x2212), QLatin1Char('-')));
        for (const QString& anchor : scale.anchors)
            if (!given.contains(anchor))
                issues.append({fileName, 0,
                               QStringLiteral("the %1 scale has no bullet saying what %2 means "
                                              "(write it as \"- **%2**: ...\")")
                                   .arg(name.toLower(), anchor)});
    }
    bool found = false;
    const QStringList mistakes = bulletsUnder({QStringLiteral("common mistakes")}, &found);
    if (mistakes.isEmpty())
        issues.append({fileName, 0,
                       QStringLiteral("section %1 needs a \"Common mistakes\" heading with a list "
                                      "of the mistakes owners make when scoring")
                           .arg(sectionNumber)});
    return issues;
}

Issues validateHelpFile(const QString& text, const QString& fileName) {
    Issues issues;
    static const QRegularExpression topicLine(QStringLiteral("^@topic\\s+(-?\\d+)\\s*(.*)$"));
    static const QRegularExpression link(QStringLiteral("href\\s*=\\s*\"#([^\"]*)\""));
    QSet<int> contexts;
    QList<QPair<int, QString>> links; // line, target
    const QStringList lines =
        QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")).split(QLatin1Char('\n'));
    bool inTopic = false;
    for (int i = 0; i < lines.size(); ++i) {
        const QString& l = lines.at(i);
        if (l.startsWith(QLatin1String("@topic"))) {
            const auto m = topicLine.match(l);
            if (!m.hasMatch()) {
                issues.append(
                    {fileName, i + 1,
                     QStringLiteral("write a topic line as \"@topic <context> <title>\"")});
                continue;
            }
            const int context = m.captured(1).toInt();
            if (context <= 0)
                issues.append(
                    {fileName, i + 1, QStringLiteral("a context number must be above 0")});
            if (contexts.contains(context))
                issues.append(
                    {fileName, i + 1,
                     QStringLiteral("context %1 is used by an earlier topic").arg(context)});
            if (m.captured(2).trimmed().isEmpty())
                issues.append({fileName, i + 1, QStringLiteral("the topic has no title")});
            contexts.insert(context);
            inTopic = true;
            continue;
        }
        if (!inTopic) continue;
        auto it = link.globalMatch(l);
        while (it.hasNext())
            links.append({i + 1, it.next().captured(1)});
    }
    if (contexts.isEmpty())
        issues.append({fileName, 0, QStringLiteral("the help file has no \"@topic\" line")});
    for (const auto& [line, target] : std::as_const(links)) {
        bool ok = false;
        const int context = target.toInt(&ok);
        if (!ok || !contexts.contains(context))
            issues.append(
                {fileName, line,
                 QStringLiteral("link to \"#%1\", which is no topic of this file").arg(target)});
    }
    return issues;
}

QByteArray seedCatalogue() {
    return "[titles]\r\n\r\n[counter]\r\nno=2\r\n";
}

} // namespace Datagen
