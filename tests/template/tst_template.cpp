#include "controls/text/rtfreader.h"
#include "controls/text/textformat.h"
#include "datagen/compiler.h"
#include "datagen/markup.h"
#include "datagen/template.h"
#include "plans/navstructure.h"
#include "plans/planheader.h"
#include "platform/helpsystem.h"
#include "platform/inifile.h"
#include "support/testenv.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

using namespace Datagen;

namespace {

struct Run {
    QString text;
    int htag = 0;
    int ntag = 0;
    bool hidden = false;
    QColor color;
    int block = 0;
};

QList<Run> runsOf(const QTextDocument& doc) {
    QList<Run> runs;
    int index = 0;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next(), ++index)
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const QTextCharFormat cf = f.charFormat();
            runs.append({f.text(), cf.intProperty(TextFormat::HTagProperty),
                         cf.intProperty(TextFormat::NTagProperty),
                         cf.boolProperty(TextFormat::HiddenProperty), cf.foreground().color(),
                         index});
        }
    return runs;
}

bool loadNative(const QString& path, QTextDocument* doc) {
    QString error;
    const bool ok = RtfReader::read(readFileBytes(path), doc, &error);
    if (!ok) qWarning("%s: %s", qPrintable(path), qPrintable(error));
    return ok;
}

bool anyIssueContains(const Issues& issues, const QString& text, int line = -1) {
    for (const Issue& i : issues)
        if (i.message.contains(text, Qt::CaseInsensitive) && (line < 0 || i.line == line))
            return true;
    return false;
}

QString describe(const Issues& issues) {
    QStringList s;
    for (const Issue& i : issues)
        s << i.toString();
    return s.join(QLatin1Char('\n'));
}

// A small template that satisfies every rule; tests break one thing at a time.
class MiniTemplate {
public:
    explicit MiniTemplate(int items = 34) {
        for (int n = 1; n <= items; ++n) {
            QString title = QStringLiteral("Section %1").arg(n);
            if (n == 17) title = QStringLiteral("Competitor Analysis");
            if (n == 19) title = QStringLiteral("Impact / Probability Analysis");
            if (n == 21) title = QStringLiteral("Strength / Weakness Analysis");
            if (n == 23) title = QStringLiteral("SWOT Summary");
            if (n == 34) title = QStringLiteral("Marketing Budget Spreadsheet");
            const bool child = n > 2 && n % 2 == 0;
            // A part heading, passed over by Next, holds no prompt.
            const bool heading = n > 2 && !child && n < items;
            outline += (child ? QStringLiteral("\t") : QString()) + title + QLatin1Char('\n');
            put(QStringLiteral("plan/%1.txt").arg(n, 2, 10, QLatin1Char('0')),
                (child ? QStringLiteral("## ") : QStringLiteral("# ")) + title +
                    (heading ? QStringLiteral("\n\n[BusinessName] and [SBUName]sell bread.\n\n"
                                              "<<Delete this note.>>\n")
                             : QStringLiteral("\n\n[BusinessName] and [SBUName]sell {{what}}.\n\n"
                                              "<<Delete this note.>>\n")));
            put(QStringLiteral("guidance/%1.txt").arg(n, 2, 10, QLatin1Char('0')),
                QStringLiteral("# About %1\n\nWhat to write.\n").arg(title) + scales(n));
        }
        put(QStringLiteral("outline.txt"), outline);
        put(QStringLiteral("examples/businesses.txt"),
            QStringLiteral("# comment\none | First Firm | First | sells to the public\n"
                           "two | Second Firm | Second | sells to businesses\n"));
        put(QStringLiteral("examples/one/02.txt"),
            QStringLiteral("Section 2\n<p>See <a href=\"#1\">contents</a>.</p>\n"));
        put(QStringLiteral("examples/two/02.txt"), QStringLiteral("Section 2\n<p>Ours.</p>\n"));
        put(QStringLiteral("examples/two/05.txt"),
            QStringLiteral("Section 5\n<p>Only here.</p>\n"));
        put(QStringLiteral("startup-plan.txt"), QStringLiteral("# Welcome\n\nOpen a plan.\n"));
        put(QStringLiteral("startup-guidance.txt"), QStringLiteral("Welcome.\n"));
        put(QStringLiteral("help/qmphelp.hlp"),
            QStringLiteral(
                "@topic 1 Contents\n<p><a href=\"#7\">New</a></p>\n@topic 7 New\n<p>x</p>\n"));
    }
    // The scales the three scoring analyses must explain in their guidance.
    static QString scales(int n) {
        auto scale = [](const char* heading, const QStringList& points) {
            QString s = QStringLiteral("\n## %1\n\n").arg(QLatin1String(heading));
            for (const QString& p : points)
                s += QStringLiteral("- **%1**: what it means.\n").arg(p);
            return s;
        };
        const QString mistakes = QStringLiteral("\n## Common mistakes\n\n- One.\n");
        switch (n) {
        case 17:
            return scale("Weights", {"30"}) + scale("Rating scale", {"0", "5", "10"}) + mistakes;
        case 19:
            return scale("Probability scale", {"1", "5", "10"}) +
                   scale("Impact scale", {"-5", "0", "5"}) + mistakes;
        case 21:
            return scale("Weighting scale", {"1", "5", "10"}) +
                   scale("Score scale", {"-5", "0", "5"}) + mistakes;
        default:
            return QString();
        }
    }
    QString root() const { return m_dir.path(); }
    void put(const QString& rel, const QString& text) {
        const QString path = m_dir.path() + QLatin1Char('/') + rel;
        QDir().mkpath(QFileInfo(path).absolutePath());
        writeFileBytes(path, text.toUtf8());
    }
    void remove(const QString& rel) { QFile::remove(m_dir.path() + QLatin1Char('/') + rel); }
    QString outline;

private:
    QTemporaryDir m_dir;
};

} // namespace

class TestTemplate : public QObject {
    Q_OBJECT
private:
    TestEnv m_env;
    QList<NavItem> m_nav;

private slots:
    void initTestCase() {
        QVERIFY(m_env.isValid());
        const QByteArray nav = readFileBytes(m_env.dataFolder() + "mp.nav");
        const NavStructure s = parseNavStructure(nav);
        QVERIFY2(s.ok, qPrintable(QStringLiteral("navigator refuses line %1").arg(s.errorLine)));
        m_nav = s.items;
    }

    // The navigator file is what the outline source says, in the form the program reads.
    void navigatorMatchesTheOutline() {
        const QByteArray nav = readFileBytes(m_env.dataFolder() + "mp.nav");
        QCOMPARE(m_nav.size(), 44);
        QCOMPARE(nav.count("\r\n"), 44);
        QCOMPARE(nav.count('\n'), 44); // no bare line feeds
        QVERIFY(nav.endsWith("Appendices\r\n"));
        const QStringList expected = {"Title Page",
                                      "Executive Summary",
                                      "The Business",
                                      "\tMission Statement",
                                      "\tBusiness Objectives",
                                      "\tProducts and Services",
                                      "\tWhere We Are Now",
                                      "The Market",
                                      "\tMarket Definition and Size",
                                      "\tMarket Segments",
                                      "\tTarget Customers",
                                      "\tCustomer Needs and Buying Behaviour",
                                      "\tMarket Trends",
                                      "Marketing Audit",
                                      "\tThe Wider Environment (PESTLE)",
                                      "\tCompetitors",
                                      "\tCompetitor Analysis",
                                      "\tOpportunities and Threats",
                                      "\tImpact / Probability Analysis",
                                      "\tStrengths and Weaknesses",
                                      "\tStrength / Weakness Analysis",
                                      "\tSWOT",
                                      "\tSWOT Summary",
                                      "Marketing Objectives",
                                      "Marketing Strategy",
                                      "\tStrategic Choices",
                                      "\tPositioning and Brand",
                                      "Marketing Mix",
                                      "\tProduct",
                                      "\tPrice",
                                      "\tPlace",
                                      "\tPromotion",
                                      "\tOnline Promotion",
                                      "\tPeople, Process and Physical Evidence",
                                      "Marketing Budget",
                                      "\tSales Forecast",
                                      "\tMarketing Budget Spreadsheet",
                                      "\tBudget Summary and Return",
                                      "Implementation",
                                      "\tAction Plan",
                                      "\tTimetable",
                                      "Monitoring and Control",
                                      "Contingency Plans",
                                      "Appendices"};
        for (int i = 0; i < expected.size(); ++i) {
            const QString& e = expected.at(i);
            QCOMPARE(m_nav.at(i).depth, e.startsWith('\t') ? 1 : 0);
            QCOMPARE(m_nav.at(i).text, e.trimmed());
        }
    }

    // Every section is found by its PTag exactly once, in navigator order, and all of its
    // text carries its NTag, so the navigator and the caret can find each other.
    void originalPlanCarriesEverySectionTag() {
        QTextDocument doc;
        QVERIFY(loadNative(m_env.userDataFolder() + "1.mp", &doc));

        // Stored as the program stores a plan: the settings header leads.
        const QList<Run> all = runsOf(doc);
        QVERIFY(!all.isEmpty());
        const Run header = all.first();
        QCOMPARE(header.htag, 1000);
        QCOMPARE(header.text.size(), PlanHeader::Length);
        QCOMPARE(header.color, QColor(255, 0, 0));
        const PlanHeader::Parsed parsed = PlanHeader::parse(header.text);
        QVERIFY(parsed.marginsOk && parsed.pageOk);
        QCOMPARE(parsed.settings.left, 1.0);
        QCOMPARE(parsed.settings.bottom, 1.0);
        QCOMPARE(parsed.settings.paperSize, 9);
        QCOMPARE(parsed.settings.orientation, 1);

        QList<int> ptags;
        QList<int> ptagBlocks;
        int index = 0;
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next(), ++index) {
            const int p = b.blockFormat().intProperty(TextFormat::PTagProperty);
            if (p) {
                ptags << p;
                ptagBlocks << index;
            }
        }
        QList<int> expected;
        for (int n = 1; n <= m_nav.size(); ++n)
            expected << (n == 1 ? 99 : n - 1);
        QCOMPARE(ptags, expected);
        QCOMPARE(ptagBlocks.first(), 0);

        // Each run belongs to the section whose first paragraph came last before it.
        int section = -1;
        for (const Run& r : all) {
            if (r.htag == 1000) continue;
            while (section + 1 < ptagBlocks.size() && ptagBlocks.at(section + 1) <= r.block)
                ++section;
            QVERIFY2(section >= 0, qPrintable(r.text));
            QVERIFY2(r.ntag == expected.at(section),
                     qPrintable(QStringLiteral("\"%1\" has NTag %2 in section %3")
                                    .arg(r.text)
                                    .arg(r.ntag)
                                    .arg(section + 1)));
        }
        // An empty paragraph between paragraphs still tells the caret its section.
        index = 0;
        section = -1;
        int empty = 0;
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next(), ++index) {
            while (section + 1 < ptagBlocks.size() && ptagBlocks.at(section + 1) <= index)
                ++section;
            if (b.length() > 1) continue;
            ++empty;
            QCOMPARE(b.charFormat().intProperty(TextFormat::NTagProperty), expected.at(section));
        }
        QVERIFY(empty > 100);
        // Each section opens with its navigator title (the title page with the plan's).
        for (int n = 2; n <= m_nav.size(); ++n)
            QCOMPARE(doc.findBlockByNumber(ptagBlocks.at(n - 1)).text(), m_nav.at(n - 1).text);
    }

    void originalPlanMarksItsKindsOfText() {
        QTextDocument doc;
        QVERIFY(loadNative(m_env.userDataFolder() + "1.mp", &doc));
        int prompts = 0, notes = 0, dates = 0, choices = 0;
        QSet<QString> placeholders;
        QSet<int> sectionsWithPrompts;
        static const QRegularExpression choice("^\\[[^\\[\\]/]+(/[^\\[\\]/]+)+\\]$");
        for (const Run& r : runsOf(doc)) {
            switch (r.htag) {
            case 1:
                ++prompts;
                QCOMPARE(r.color, QColor(0, 0, 255));
                QVERIFY(!r.hidden);
                QVERIFY2(!r.text.contains("[BusinessName]") && !r.text.contains("[SBUName]"),
                         qPrintable(r.text));
                sectionsWithPrompts.insert(r.ntag);
                dates += r.text == "[DATE]";
                if (r.text.contains('/') && r.text.contains('[')) {
                    // A choice list is a prompt of its own, so a double-click keeps one option.
                    QVERIFY2(choice.match(r.text).hasMatch(), qPrintable(r.text));
                    ++choices;
                }
                break;
            case 300:
                QVERIFY2(r.text == "[BusinessName]" || r.text == "[SBUName]", qPrintable(r.text));
                QVERIFY(!r.hidden);
                placeholders.insert(r.text);
                break;
            case 999:
                ++notes;
                QCOMPARE(r.color, QColor(255, 0, 0));
                QVERIFY(r.hidden);
                break;
            case 0:
                QVERIFY2(!r.hidden, qPrintable(r.text));
                QCOMPARE(r.color, QColor(0, 0, 0));
                QVERIFY2(!r.text.contains("[BusinessName]") && !r.text.contains("{{") &&
                             !r.text.contains("<<") && !r.text.contains("**"),
                         qPrintable(r.text));
                break;
            case 1000:
                break;
            default:
                QFAIL(qPrintable(QStringLiteral("unexpected HTag %1").arg(r.htag)));
            }
        }
        QCOMPARE(placeholders, QSet<QString>({"[BusinessName]", "[SBUName]"}));
        // A prompt in every section Next (F6) stops at, and none in a part heading, which
        // Next passes over.
        QSet<int> reachable;
        for (int n = 1; n <= m_nav.size(); ++n) {
            const bool heading = n < m_nav.size() && m_nav.at(n).depth > m_nav.at(n - 1).depth;
            if (!heading) reachable.insert(n == 1 ? 99 : n - 1);
        }
        QCOMPARE(sectionsWithPrompts, reachable);
        QCOMPARE(reachable.size(), 37);
        QVERIFY(prompts > 150);
        QVERIFY(notes >= 30);
        QVERIFY(dates >= 5);
        QVERIFY(choices >= 10);
    }

    // The four analysis sections and the budget are where the program looks for them.
    void specialSectionsAreInPlace() {
        QVERIFY(m_nav.at(16).text.contains("Competitor"));
        QVERIFY(m_nav.at(18).text.contains("Impact"));
        QVERIFY(m_nav.at(20).text.contains("Strength"));
        QVERIFY(m_nav.at(22).text.contains("SWOT"));
        int budget = 0;
        for (int i = 0; i < m_nav.size(); ++i)
            if (m_nav.at(i).text == "Marketing Budget Spreadsheet") budget = budget ? -1 : i + 1;
        QCOMPARE(budget, 37);

        QTextDocument doc;
        QVERIFY(loadNative(m_env.userDataFolder() + "1.mp", &doc));
        // The analysis table goes two lines below the heading: there the user finds the
        // prompt that announces it.
        for (int n : {17, 19, 21, 23}) {
            QTextBlock b = doc.begin();
            while (b.isValid() && b.blockFormat().intProperty(TextFormat::PTagProperty) != n - 1)
                b = b.next();
            QVERIFY(b.isValid());
            const QTextBlock second = b.next().next();
            QVERIFY2(second.text().contains("will be inserted here"), qPrintable(second.text()));
            QCOMPARE(second.begin().fragment().charFormat().intProperty(TextFormat::HTagProperty),
                     1);
        }
    }

    void guidanceAndStartupTextsLoad() {
        for (int n = 1; n <= m_nav.size(); ++n) {
            const QString path = m_env.dataFolder() + QString::number(n) + ".pla";
            QVERIFY2(QFileInfo::exists(path), qPrintable(path));
            QTextDocument doc;
            QVERIFY(loadNative(path, &doc));
            QVERIFY2(doc.toPlainText().trimmed().size() > 100, qPrintable(path));
            for (const Run& r : runsOf(doc))
                QCOMPARE(r.ntag, 0); // guidance carries no section tags
        }
        QVERIFY(
            !QFileInfo::exists(m_env.dataFolder() + QString::number(m_nav.size() + 1) + ".pla"));

        QTextDocument plan, guide;
        QVERIFY(loadNative(m_env.dataFolder() + "startup.plt", &plan));
        QVERIFY(loadNative(m_env.dataFolder() + "startup.rtf", &guide));
        QVERIFY(plan.toPlainText().contains("File > Open"));
        QVERIFY(plan.toPlainText().contains("New"));
        QVERIFY(guide.toPlainText().contains("File > Open"));
        QVERIFY(guide.toPlainText().size() < plan.toPlainText().size());
    }

    // Both worked businesses cover every section; each example names the other beside it
    // and leads to its example of the same section, and the contents reach both.
    void examplesAreIndexedForEverySection() {
        IniFile egini(m_env.dataFolder() + "egini.ini");
        const HelpDocument eg = HelpDocument::load(m_env.dataFolder() + "eg.hlp");
        QVERIFY(validateHelpFile(QString::fromUtf8(readFileBytes(m_env.dataFolder() + "eg.hlp")),
                                 "eg.hlp")
                    .isEmpty());
        const HelpTopic* contents = eg.topic(1);
        QVERIFY(contents);
        QVERIFY(contents->body.contains("Harbour Lane Bakery"));
        QVERIFY(contents->body.contains("Lapwing IT Support"));
        const struct {
            const char* section;
            const char* label;
            const char* name;
        } businesses[] = {{"help", "Bakery", "Harbour Lane Bakery"},
                          {"help2", "IT support", "Lapwing IT Support"}};
        for (int n = 1; n <= m_nav.size(); ++n) {
            const QString title = m_nav.at(n - 1).text;
            QList<int> contexts;
            for (const auto& b : businesses) {
                const int context = egini.readInteger(b.section, QString::number(n), 0);
                QVERIFY2(context > 1, qPrintable(QStringLiteral("%1 %2").arg(b.section).arg(n)));
                const HelpTopic* topic = eg.topic(context);
                QVERIFY2(topic, qPrintable(QString::number(context)));
                QCOMPARE(topic->title, QStringLiteral("%1: %2").arg(QLatin1String(b.label), title));
                QVERIFY(contents->body.contains(
                    QStringLiteral("<a href=\"#%1\">%2</a>").arg(context).arg(b.label)));
                contexts << context;
            }
            QVERIFY(contents->body.contains(title.toHtmlEscaped()));
            QVERIFY(contexts.at(0) != contexts.at(1));
            // Each names the other business beside it, linked to the same section.
            QVERIFY(eg.topic(contexts.at(0))
                        ->body.contains(QStringLiteral("href=\"#%1\"").arg(contexts.at(1))));
            QVERIFY(eg.topic(contexts.at(1))
                        ->body.contains(QStringLiteral("href=\"#%1\"").arg(contexts.at(0))));
            QVERIFY(eg.topic(contexts.at(1))->body.contains("Harbour Lane Bakery"));
        }
        QVERIFY(QFileInfo(m_env.dataFolder() + "qmphelp.hlp").size() > 0);
    }

    // Next (F6) passes over a heading with sections below it, so writing there would be
    // skipped by an owner who presses F6 from section to section.
    void promptsOnlyWhereNextStops() {
        Issues issues;
        const QList<OutlineItem> items =
            parseOutline("Title\nA\n\tA1\n\tA2\nB\n\tB1\n\t\tB11\nC\n", "o.txt", &issues);
        QVERIFY(issues.isEmpty());
        QCOMPARE(sectionsReachedByNext(items), QList<int>({1, 3, 4, 6, 7, 8}));
        QVERIFY(anyIssueContains(validateReachable(items, {2}, "o.txt"), "passes over it", 2));
        QVERIFY(validateReachable(items, {1, 3, 4, 7, 8}, "o.txt").isEmpty());

        MiniTemplate t;
        t.put("plan/05.txt", "# Section 5\n\nWe sell {{what}}.\n");
        CompiledTemplate out;
        QVERIFY(!compileTemplate(t.root(), &out, &issues));
        QVERIFY2(anyIssueContains(issues, "section 5 \"Section 5\" holds prompts"),
                 qPrintable(describe(issues)));
        // A heading needs no prompt; a section Next stops at does.
        issues.clear();
        t.put("plan/05.txt", "# Section 5\n\nAn overview.\n");
        t.put("plan/06.txt", "## Section 6\n\nNothing to write.\n");
        QVERIFY(!compileTemplate(t.root(), &out, &issues));
        QVERIFY(anyIssueContains(issues, "section 6 has no blue prompt"));
        QVERIFY(!anyIssueContains(issues, "section 5 has no blue prompt"));
    }

    // Each business's budget fills the shipped sheet's cost lines and nothing else; its
    // example of the budget section shows the sheet, and the texts name only its lines.
    void exampleBudgetsFillTheShippedSheet() {
        auto make = [](MiniTemplate& t) {
            t.put("budget.txt", "text A3 Costs\nset A5 Promotion\nset A6 Adverts\n"
                                "set A7 Leaflets\nset A9 \"Total marketing budget\"\n"
                                "set B5:N5 =SUM(B6:B7)\nset N6:N7 =SUM(B6:M6)\nset B9:N9 =B5\n"
                                "format A5 bold\nformat B6:M7 unlocked\n");
            t.put("guidance/34.txt", "# Budget\n\n## The cost lines\n\n- **Adverts**: paid.\n"
                                     "- **Leaflets**: printed.\n");
            for (const char* b : {"one", "two"}) {
                t.put(QStringLiteral("examples/%1/34.txt").arg(b),
                      "Marketing Budget Spreadsheet\n<p>Ours.</p>\n@budget\n"
                      "<ul><li><b>Adverts:</b> the paper.</li></ul>\n");
                t.put(QStringLiteral("examples/%1/budget.txt").arg(b),
                      "text C1 01/4/2027\nset B6 100\nset C7 50\nshows N5 150\n");
            }
        };
        {
            MiniTemplate t;
            make(t);
            CompiledTemplate out;
            Issues issues;
            QVERIFY2(compileTemplate(t.root(), &out, &issues), qPrintable(describe(issues)));
            const HelpDocument eg = HelpDocument::parse(out.dataFiles.value("eg.hlp"));
            const QString body = eg.topic(1034)->body;
            QVERIFY(!body.contains("@budget"));
            QTextDocument shown;
            shown.setHtml(body);
            QVERIFY(shown.toPlainText().contains("Adverts"));
            // The sheet's own formulas add the example's figures up.
            const QString text = shown.toPlainText();
            QVERIFY2(text.contains("Total marketing budget\n100\n50\n"), qPrintable(text));
            QVERIFY(text.contains("\n150\n"));
        }
        struct Break {
            const char* file;
            const char* contents; // nullptr removes the file
            const char* message;
        };
        const Break breaks[] = {
            {"examples/one/budget.txt", "set A6 Posters\n", "own layout"},
            {"examples/one/budget.txt", "set B6 cheap\n", "amount"},
            {"examples/one/budget.txt", "set B6 100\nshows N5 999\n", "N5"},
            {"examples/one/budget.txt", "format B6 bold\nset B6 5\n", "formats"},
            {"examples/one/budget.txt", "text C1 01/4/2027\n", "come to"},
            {"examples/two/budget.txt", nullptr, "no budget of its own"},
            {"examples/one/34.txt", "Marketing Budget Spreadsheet\n<p>No sheet.</p>\n", "@budget"},
            {"examples/one/34.txt",
             "Marketing Budget Spreadsheet\n@budget\n<ul><li><b>Posters:</b> x</li></ul>\n",
             "\"Posters\" is no line"},
            {"guidance/34.txt", "# B\n\n## Lines\n\n- **Adverts**: x.\n- **Posters**: y.\n",
             "\"Posters\" is no line"},
            {"guidance/34.txt", "# B\n\n## Lines\n\n- **Adverts**: x.\n", "\"Leaflets\" is not"},
            {"budget.txt", nullptr, "which is missing"},
        };
        for (const Break& b : breaks) {
            MiniTemplate t;
            make(t);
            if (b.contents)
                t.put(b.file, QString::fromUtf8(b.contents));
            else
                t.remove(b.file);
            CompiledTemplate out;
            Issues issues;
            QVERIFY2(!compileTemplate(t.root(), &out, &issues), b.file);
            QVERIFY2(anyIssueContains(issues, b.message), qPrintable(describe(issues)));
        }
    }

    // A return on the marketing spend is only honest against what would have come anyway.
    void exampleReturnsNeedABaseline() {
        MiniTemplate t;
        t.put("examples/one/05.txt",
              "Section 5\n<p>It brings <b>£1.20 for every extra £1</b> spent.</p>\n");
        CompiledTemplate out;
        Issues issues;
        QVERIFY(!compileTemplate(t.root(), &out, &issues));
        QVERIFY2(anyIssueContains(issues, "names no baseline"), qPrintable(describe(issues)));
        issues.clear();
        t.put("examples/one/05.txt", "Section 5\n<p>It brings about 82p for each £1.</p>\n");
        QVERIFY(!compileTemplate(t.root(), &out, &issues));
        QVERIFY(anyIssueContains(issues, "names no baseline"));
        issues.clear();
        t.put("examples/one/05.txt", "Section 5\n<p>Our baseline is last year's sales plus 3%. "
                                     "It brings <b>£1.20 for every extra £1</b>.</p>\n");
        QVERIFY2(compileTemplate(t.root(), &out, &issues), qPrintable(describe(issues)));
    }

    // The shipped examples show each business's own budget in the shipped sheet.
    void shippedExampleBudgetsShowTheSheet() {
        IniFile egini(m_env.dataFolder() + "egini.ini");
        const HelpDocument eg = HelpDocument::load(m_env.dataFolder() + "eg.hlp");
        const struct {
            const char* section;
            const char* total;
        } businesses[] = {{"help", "£13,500"}, {"help2", "£10,200"}};
        for (const auto& b : businesses) {
            const HelpTopic* topic = eg.topic(egini.readInteger(b.section, "37", 0));
            QVERIFY(topic);
            QTextDocument doc;
            doc.setHtml(topic->body);
            const QString text = doc.toPlainText();
            for (const char* line : {"Print advertising", "Online display advertising",
                                     "Social media advertising", "Search engine optimisation",
                                     "Promotions and discounts", "Total marketing budget",
                                     "Cumulative spend", "Apr 2027", "Mar 2028"})
                QVERIFY2(text.contains(QLatin1String(line)), line);
            QVERIFY(text.contains(QString::fromUtf8(b.total)));
            QVERIFY(!text.contains("@budget"));
        }
    }

    void catalogueIsSeededEmpty() {
        IniFile mp(m_env.dataFolder() + "mp.ini");
        QCOMPARE(mp.readInteger("counter", "no", -1), 2);
        QVERIFY(mp.keys("titles").isEmpty());
    }

    void outlineRejectsWhatTheNavigatorWould() {
        Issues issues;
        QList<OutlineItem> items = parseOutline("A\n\tA1\n\t\t\tDeep\nB\n", "o.txt", &issues);
        QVERIFY(anyIssueContains(issues, "2 levels deeper", 3));
        issues.clear();
        parseOutline("\tFirst\n", "o.txt", &issues);
        QVERIFY(anyIssueContains(issues, "top level", 1));
        issues.clear();
        parseOutline("A\n    Spaced\n", "o.txt", &issues);
        QVERIFY(anyIssueContains(issues, "tab", 2));
        issues.clear();
        parseOutline("A\n\nB\n", "o.txt", &issues);
        QVERIFY(anyIssueContains(issues, "empty line", 2));
        issues.clear();
        parseOutline("A\n" + QString(5000, 'x') + "\n", "o.txt", &issues);
        QVERIFY(anyIssueContains(issues, "too long", 2));

        issues.clear();
        items = parseOutline("A\r\n\tA1\r\n\t\tA11\r\nB\r\n\r\n", "o.txt", &issues);
        QVERIFY2(issues.isEmpty(), qPrintable(describe(issues)));
        QCOMPARE(items.size(), 4);
        QCOMPARE(items.at(2).depth, 2);
        QCOMPARE(items.at(3).depth, 0);
        QCOMPARE(navigatorFile(items), QByteArray("A\r\n\tA1\r\n\t\tA11\r\nB\r\n"));
    }

    void outlineNeedsTheSpecialSections() {
        MiniTemplate t;
        Issues issues;
        QList<OutlineItem> items = parseOutline(t.outline, "o.txt", &issues);
        QVERIFY(issues.isEmpty());
        QVERIFY2(validateOutline(items, "o.txt").isEmpty(),
                 qPrintable(describe(validateOutline(items, "o.txt"))));

        QList<OutlineItem> swapped = items;
        swapped.swapItemsAt(16, 17);
        QVERIFY(anyIssueContains(validateOutline(swapped, "o.txt"), "item 17"));
        QList<OutlineItem> noBudget = items;
        noBudget[33].title = "Marketing budget spreadsheet";
        QVERIFY(
            anyIssueContains(validateOutline(noBudget, "o.txt"), "Marketing Budget Spreadsheet"));
        QList<OutlineItem> twoBudgets = items;
        twoBudgets[32].title = "Marketing Budget Spreadsheet";
        QVERIFY(anyIssueContains(validateOutline(twoBudgets, "o.txt"), "second item"));
        QVERIFY(anyIssueContains(validateOutline(items.mid(0, 29), "o.txt"), "at least 30"));
    }

    void markupBecomesSpans() {
        Issues issues;
        const QList<Paragraph> ps =
            parseMarkup("# Heading\n"
                        "First line of [BusinessName]\n"
                        "  continues {{a prompt\nover two lines}} and <<a note>>.\n"
                        "\n"
                        "- one **bold {{[our/their]}}** item\n"
                        "- two *italic*\n"
                        "^ [SBUName]is centred \\*literally\\*\n",
                        "m.txt", &issues);
        QVERIFY2(issues.isEmpty(), qPrintable(describe(issues)));
        QCOMPARE(ps.size(), 5);
        QCOMPARE(ps.at(0).kind, Paragraph::Heading1);
        QCOMPARE(ps.at(1).kind, Paragraph::Body);
        QCOMPARE(ps.at(1).line, 2);
        QCOMPARE(
            ps.at(1).plainText(),
            QString("First line of [BusinessName] continues a prompt over two lines and a note."));
        const QList<Span>& s = ps.at(1).spans;
        QCOMPARE(s.size(), 7);
        QCOMPARE(s.at(1).kind, Span::Placeholder);
        QCOMPARE(s.at(3).kind, Span::Prompt);
        QCOMPARE(s.at(3).text, QString("a prompt over two lines"));
        QCOMPARE(s.at(5).kind, Span::Note);
        QCOMPARE(ps.at(2).kind, Paragraph::Bullet);
        QCOMPARE(ps.at(2).spans.at(1).text, QString("bold "));
        QCOMPARE(ps.at(2).spans.at(2).kind, Span::Prompt);
        QVERIFY(ps.at(2).spans.at(2).bold);
        QVERIFY(!ps.at(2).spans.at(3).bold);
        QVERIFY(ps.at(3).spans.at(1).italic);
        QVERIFY(ps.at(4).centred);
        QCOMPARE(ps.at(4).spans.at(0).kind, Span::Placeholder);
        QCOMPARE(ps.at(4).spans.at(1).text, QString("is centred *literally*"));
    }

    void markupFaultsAreReportedWithTheirLine() {
        struct Case {
            const char* source;
            const char* message;
            int line;
        };
        const Case cases[] = {
            {"Text\n\nA {{prompt that\nnever ends.\n", "not closed", 3},
            {"A prompt}} closed twice.\n", "without a matching", 1},
            {"Line\n<<note never closed\n", "not closed", 2},
            {"A >> stray.\n", "without a matching", 1},
            {"Some **bold\ntext.\n", "bold", 1},
            {"An *italic start.\n", "italic", 1},
            {"{{Write about [BusinessName] here}}\n", "inside a prompt", 1},
            {"<<Replace [SBUName].>>\n", "inside a note", 1},
            {"{{one}}{{two}}\n", "side by side", 1},
            {"[BusinessName][SBUName]\n", "side by side", 1},
            {"Choose [our/their] customers.\n", "choice list", 1},
            {"Dated [DATE].\n", "date", 1},
            {"Hello [BusinesName].\n", "unknown field", 1},
            {"Empty {{ }} prompt.\n", "empty prompt", 1},
            {"{{a <<b>> c}}\n", "cannot start inside", 1},
            {"\n\n#Heading\n", "heading", 3},
        };
        for (const Case& c : cases) {
            Issues issues;
            parseMarkup(QString::fromUtf8(c.source), "m.txt", &issues);
            QVERIFY2(anyIssueContains(issues, c.message, c.line),
                     qPrintable(QStringLiteral("%1 -> %2").arg(c.source, describe(issues))));
        }
    }

    void sectionTextIsChecked() {
        const OutlineItem item{"Price", 1, 29};
        Issues parse;
        QVERIFY(anyIssueContains(validatePlanSection({}, item, 29, "p.txt"), "no text"));
        auto check = [&](const char* src) {
            return validatePlanSection(parseMarkup(src, "p.txt", &parse), item, 29, "p.txt");
        };
        QVERIFY(check("## Price\n\nWe charge {{the price}}.\n").isEmpty());
        QVERIFY(anyIssueContains(check("We charge {{the price}}.\n"), "begin with its heading"));
        QVERIFY(anyIssueContains(check("## Prices\n\n{{x}}\n"), "differs"));
        QVERIFY(anyIssueContains(check("# Price\n\n{{x}}\n"), "level 2"));
        QVERIFY(anyIssueContains(check("## Price\n\nNo prompt.\n"), "no blue prompt"));
        QVERIFY(anyIssueContains(check("## Price\n\n{{Prices will [rise/fall] soon}}\n"),
                                 "prompt of its own"));
        // Prompts that only a paragraph break would part (as the title page's date and its
        // choice list once were) run together; a bullet's mark or a word keeps them apart.
        QVERIFY(anyIssueContains(check("## Price\n\nDate: {{[DATE]}}\n\n{{[a/b]}}\n"),
                                 "run together", 5));
        QVERIFY(check("## Price\n\nDate: {{[DATE]}}\n\nStatus: {{[a/b]}}\n").isEmpty());
        QVERIFY(check("## Price\n\n- {{a}}\n- {{b}}\n").isEmpty());
        QVERIFY(parse.isEmpty());
    }

    void generatedDocumentsCarryTheTags() {
        Issues issues;
        const QList<Paragraph> ps =
            parseMarkup("## Price\n\n- {{a}} and [SBUName]\n- <<b>>\n\nEnd.\n", "p.txt", &issues);
        QTextDocument doc;
        appendParagraphs(&doc, ps, planStyle(), 28);
        // Heading, spacer, two list items together, spacer, body, closing spacer.
        QCOMPARE(doc.blockCount(), 7);
        QCOMPARE(doc.begin().blockFormat().intProperty(TextFormat::PTagProperty), 28);
        for (QTextBlock b = doc.begin().next(); b.isValid(); b = b.next())
            QCOMPARE(b.blockFormat().intProperty(TextFormat::PTagProperty), 0);
        for (const Run& r : runsOf(doc))
            QCOMPARE(r.ntag, 28);
        const QTextBlock item = doc.findBlockByNumber(2);
        QVERIFY(item.text().startsWith(QChar(0x2022)));
        QVERIFY(item.blockFormat().leftMargin() > 0);
        QCOMPARE(item.blockFormat().textIndent(), -item.blockFormat().leftMargin());
    }

    // A help link that leads nowhere does not stop the build, but it is reported.
    void brokenHelpLinksAreWarnings() {
        MiniTemplate t;
        t.put("help/qmphelp.hlp",
              "Intro\n@topic 1 Contents\n<a href=\"#7\">x</a> <a href=\"#99\">y</a>\n"
              "@topic 7 New plan\n<p>x</p>\n@topic 7 Again\n");
        CompiledTemplate out;
        Issues issues;
        QVERIFY2(compileTemplate(t.root(), &out, &issues), qPrintable(describe(issues)));
        QVERIFY(anyIssueContains(out.warnings, "#99", 3));
        QVERIFY(anyIssueContains(out.warnings, "earlier topic", 6));
        QCOMPARE(out.warnings.size(), 2);
        QVERIFY(describe(out.warnings).contains(":3: warning: link to \"#99\""));
    }

    void shippedHelpFileIsSound() {
        const QString help = QString::fromUtf8(readFileBytes(m_env.dataFolder() + "qmphelp.hlp"));
        const Issues issues = validateHelpFile(help, "qmphelp.hlp");
        QVERIFY2(issues.isEmpty(), qPrintable(describe(issues)));
        // Contexts the program opens directly.
        for (int context : {1, 7, 8, 16, 17, 19, 32, 37})
            QVERIFY2(help.contains(QRegularExpression(QStringLiteral("^@topic %1 ").arg(context),
                                                      QRegularExpression::MultilineOption)),
                     qPrintable(QString::number(context)));
    }

    void compilerReportsMissingAndEmptySections() {
        {
            MiniTemplate t;
            CompiledTemplate out;
            Issues issues;
            QVERIFY2(compileTemplate(t.root(), &out, &issues), qPrintable(describe(issues)));
            QCOMPARE(out.sectionCount, 34);
            QVERIFY(out.dataFiles.contains("34.pla"));
            // The first business in [help] for every item, the second only where it has one.
            const QByteArray egini = out.dataFiles.value("egini.ini");
            QVERIFY(egini.startsWith("[help]\r\n1=1\r\n2=1002\r\n3=1\r\n"));
            QVERIFY(egini.contains("[help2]\r\n2=2002\r\n5=2005\r\n\r\n"));
            const HelpDocument eg = HelpDocument::parse(out.dataFiles.value("eg.hlp"));
            QCOMPARE(eg.topic(1002)->title, QString("First: Section 2"));
            QCOMPARE(eg.topic(2005)->title, QString("Second: Section 5"));
            QVERIFY(eg.topic(1002)->body.contains("href=\"#2002\""));
            QVERIFY(eg.topic(2002)->body.contains("href=\"#1002\""));
            // The first business has no example of section 5: named, but not linked.
            QVERIFY(eg.topic(2005)->body.contains("First Firm"));
            QVERIFY(!eg.topic(2005)->body.contains("href=\"#1005\""));
            QTextDocument doc;
            QVERIFY(RtfReader::read(out.originalPlan, &doc));
            QCOMPARE(doc.begin().blockFormat().intProperty(TextFormat::PTagProperty), 99);
        }
        struct Break {
            const char* file;
            const char* contents; // nullptr removes the file
            const char* message;
        };
        const Break breaks[] = {
            {"plan/05.txt", nullptr, "section 5"},
            {"plan/06.txt", "\n\n", "no text"},
            {"guidance/07.txt", nullptr, "no guidance"},
            {"plan/35.txt", "# Stray\n\n{{x}}\n", "no navigator item"},
            {"plan/08.txt", "## Section 8\n\n{{never closed\n", "not closed"},
            {"outline.txt", "A\n\t\tB\n", "deeper"},
            {"examples/one/03.txt", "Section 3\n@topic 5 Bad\n", "@topic"},
            {"examples/one/04.txt", "Section 3\n<p>Misnumbered.</p>\n", "section 4 is"},
            {"examples/07.txt", "Section 7\n<p>x</p>\n", "folder of its business"},
            {"examples/two/43.txt", "Section 43\n<p>x</p>\n", "no navigator item"},
            {"examples/businesses.txt", "one | A | A | x\nthree | C | C | y\n", "no folder"},
            {"examples/businesses.txt", "one | only two fields\n", "folder | name"},
            {"examples/businesses.txt", nullptr, "missing"},
            {"guidance/19.txt", "# Impact\n\n## Impact scale\n\n- **-5**: bad.\n- **5**: good.\n",
             "what 0 means"},
            {"guidance/21.txt", "# Score\n\n## Common mistakes\n\n- One.\n", "Weighting scale"},
            {"guidance/17.txt",
             "# C\n\n## Weights\n\n- Share 100.\n\n## Rating scale\n\n- **0**: a.\n- **5**: b.\n"
             "- **10**: c.\n",
             "Common mistakes"},
            {"startup-plan.txt", nullptr, "missing"},
        };
        for (const Break& b : breaks) {
            MiniTemplate t;
            if (b.contents)
                t.put(b.file, QString::fromUtf8(b.contents));
            else
                t.remove(b.file);
            CompiledTemplate out;
            Issues issues;
            QVERIFY2(!compileTemplate(t.root(), &out, &issues), b.file);
            QVERIFY2(anyIssueContains(issues, b.message), qPrintable(describe(issues)));
            QVERIFY(out.originalPlan.isEmpty());
        }
        // Prompts meeting across the break between two sections are refused too.
        MiniTemplate t;
        t.put("plan/02.txt", "# Section 2\n\n[BusinessName] and [SBUName] sell {{what}}.\n\n"
                             "<<Delete this note.>>\n\nAsk {{whom}}\n");
        t.put("plan/03.txt", "# {{Section 3}}\n\nWe sell {{what}}.\n");
        CompiledTemplate out;
        Issues issues;
        QVERIFY(!compileTemplate(t.root(), &out, &issues));
        QVERIFY2(anyIssueContains(issues, "run together", 1), qPrintable(describe(issues)));
    }

    void outputsAreWrittenOnlyWhenChangedAndSeedsRespectTheUser() {
        QTemporaryDir dir;
        const QString file = dir.filePath("mp.nav");
        bool changed = false;
        QString error;
        QVERIFY(writeIfChanged(file, "A\r\n", &changed, &error));
        QVERIFY(changed);
        QVERIFY(writeIfChanged(file, "A\r\n", &changed, &error));
        QVERIFY(!changed);
        QVERIFY(writeIfChanged(file, "B\r\n", &changed, &error));
        QVERIFY(changed);
        QCOMPARE(readFileBytes(file), QByteArray("B\r\n"));
        writeFileBytes(dir.filePath("blocker"), "a file, not a folder");
        error.clear();
        QVERIFY(!writeIfChanged(dir.filePath("blocker/mp.nav"), "x", &changed, &error));
        QVERIFY(error.contains("blocker"));

        const QString plan = dir.filePath("userdata/1.mp");
        const QString record = dir.filePath("state/1.mp.seeded");
        QCOMPARE(seedFile(plan, "v1", record, &error), SeedResult::Written);
        QCOMPARE(seedFile(plan, "v1", record, &error), SeedResult::Unchanged);
        QCOMPARE(seedFile(plan, "v2", record, &error), SeedResult::Updated); // still our copy
        QCOMPARE(readFileBytes(plan), QByteArray("v2"));
        writeFileBytes(plan, "edited by the author");
        QCOMPARE(seedFile(plan, "v3", record, &error), SeedResult::KeptUsersFile);
        QCOMPARE(readFileBytes(plan), QByteArray("edited by the author"));

        // Guidance of sections beyond the outline goes; nothing else is touched.
        for (const char* name : {"7.pla", "40.pla", "41.pla", "120.PLA", "41.txt"})
            writeFileBytes(dir.filePath(name), "x");
        QCOMPARE(removeStaleGuidance(dir.path(), 40), 2);
        QVERIFY(QFileInfo::exists(dir.filePath("7.pla")));
        QVERIFY(QFileInfo::exists(dir.filePath("40.pla")));
        QVERIFY(!QFileInfo::exists(dir.filePath("41.pla")));
        QVERIFY(!QFileInfo::exists(dir.filePath("120.PLA")));
        QVERIFY(QFileInfo::exists(dir.filePath("41.txt")));

        // The catalogue is created once and never touched again.
        const QString catalogue = dir.filePath("data/mp.ini");
        QCOMPARE(seedFile(catalogue, seedCatalogue(), QString(), &error), SeedResult::Written);
        writeFileBytes(catalogue, "[titles]\r\nMine=Mine\r\n[counter]\r\nno=3\r\n");
        QCOMPARE(seedFile(catalogue, seedCatalogue(), QString(), &error), SeedResult::Unchanged);
        QVERIFY(readFileBytes(catalogue).contains("Mine=Mine"));
    }
};

QTEST_MAIN(TestTemplate)
#include "tst_template.moc"
