#include "compiler.h"

#include "budget/actuals.h"

#include "controls/sheet/sheetfile.h"
#include "controls/sheet/sheetmodel.h"
#include "controls/sheet/sheetscript.h"
#include "controls/text/rtfwriter.h"
#include "template.h"

#include <QColor>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QStringDecoder>
#include <QTextDocument>

namespace Datagen {

namespace {

struct SourceReader {
    QString root;
    Issues* issues;

    QString path(const QString& relative) const { return root + QLatin1Char('/') + relative; }

    // Reads a UTF-8 source. `required` files that are missing are an issue.
    bool read(const QString& relative, QString* text, bool required = true) const {
        QFile f(path(relative));
        if (!f.exists()) {
            if (required) issues->append({path(relative), 0, QStringLiteral("file is missing")});
            return false;
        }
        if (!f.open(QIODevice::ReadOnly)) {
            issues->append(
                {path(relative), 0, QStringLiteral("cannot be read: %1").arg(f.errorString())});
            return false;
        }
        const QByteArray bytes = f.readAll();
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        *text = decoder(bytes);
        if (decoder.hasError()) {
            issues->append({path(relative), 0, QStringLiteral("is not valid UTF-8 text")});
            return false;
        }
        if (text->startsWith(QChar(0xFEFF))) text->remove(0, 1);
        return true;
    }
};

QString twoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QByteArray nativeFile(const QTextDocument& doc) {
    return RtfWriter::write(doc, RtfWriter::Native);
}

// Numbered sources (NN.txt) in a folder that have no navigator item.
void reportStrayFiles(const SourceReader& src, const QString& folder, int count) {
    static const QRegularExpression numbered(QStringLiteral("^(\\d+)\\.txt$"));
    const QDir dir(src.path(folder));
    for (const QString& name : dir.entryList(QDir::Files)) {
        const auto m = numbered.match(name);
        if (!m.hasMatch()) continue;
        const int n = m.captured(1).toInt();
        if (n < 1 || n > count || name != twoDigits(n) + QStringLiteral(".txt"))
            src.issues->append({dir.filePath(name), 0,
                                QStringLiteral("no navigator item matches this file (items are "
                                               "01 to %1)")
                                    .arg(twoDigits(count))});
    }
}

// The shipped budget sheet and the rows an owner types costs into.
struct BudgetSheet {
    Sheet::SheetModel model;
    QList<int> lineRows; // rows with cells for the twelve periods
    QStringList lineNames;
    QStringList groupNames; // bold titles of the rows that sum a group
};

// Runs the budget template, and an example's script after it, into `sheet`. Reports the
// script's failures (its own "expect" and "shows" checks among them) against `file`.
bool runBudgetScripts(const QString& script, const QString& exampleScript,
                      const QString& exampleFile, const QString& templateFile, BudgetSheet* sheet,
                      Issues* issues) {
    const int before = int(issues->size());
    static const QRegularExpression lineNo(QStringLiteral("^line (\\d+): (.*)$"));
    auto run = [&](const QString& text, const QString& file) {
        for (const QString& failure : Sheet::runSheetScript(text, &sheet->model).failures) {
            const auto m = lineNo.match(failure);
            issues->append({file, m.hasMatch() ? m.captured(1).toInt() : 0,
                            m.hasMatch() ? m.captured(2) : failure});
        }
    };
    run(script, templateFile);
    if (!exampleScript.isEmpty()) run(exampleScript, exampleFile);
    const Sheet::CellRange used = sheet->model.usedRange();
    for (int r = used.row1; r <= used.row2; ++r) {
        bool input = false;
        for (int c = 2; c <= used.col2 && !input; ++c)
            input = !sheet->model.isLocked(r, c);
        const QString label = sheet->model.shownText(r, 1).trimmed();
        if (input) {
            sheet->lineRows.append(r);
            sheet->lineNames.append(label);
        } else if (!label.isEmpty() && sheet->model.format(r, 1).bold) {
            sheet->groupNames.append(label);
        }
    }
    return issues->size() == before;
}

// An example budget fills the cost lines of the shipped sheet and its set-up cells, and
// nothing else, so that its figures add up by the sheet's own formulas and sit on the
// lines an owner finds.
Issues checkExampleBudget(const BudgetSheet& shipped, const BudgetSheet& example,
                          const QString& file) {
    Issues issues;
    const Sheet::SheetModel& a = shipped.model;
    const Sheet::SheetModel& b = example.model;
    auto setUpCell = [](int r, int c) {
        return (r == 1 && c == 1) || (r == 1 && c == 3) || (r == 2 && c == 1);
    };
    QSet<quint64> keys;
    for (const auto& [key, cell] : a.cells())
        keys.insert(key);
    for (const auto& [key, cell] : b.cells())
        keys.insert(key);
    double lines = 0;
    for (quint64 key : std::as_const(keys)) {
        const int r = Sheet::keyRow(key), c = Sheet::keyCol(key);
        const QString name = Sheet::cellName(r, c);
        if (a.format(r, c) != b.format(r, c))
            issues.append({file, 0, QStringLiteral("%1: an example keeps the sheet's formats").arg(name)});
        if (a.entry(r, c) == b.entry(r, c)) continue;
        if (setUpCell(r, c)) continue;
        if (a.isLocked(r, c)) {
            issues.append({file, 0,
                           QStringLiteral("%1 belongs to the sheet's own layout: an example fills "
                                          "only the cost lines and the set-up cells")
                               .arg(name)});
            continue;
        }
        const Sheet::Value v = b.cellValue(r, c);
        if (!v.isEmpty() && (!v.isNumber() || v.number < 0))
            issues.append({file, 0, QStringLiteral("%1 must be an amount of 0 or more").arg(name)});
        else
            lines += v.number;
    }
    // The total row is the last row whose label starts "Total".
    int totalRow = 0;
    const Sheet::CellRange used = b.usedRange();
    for (int r = used.row1; r <= used.row2; ++r)
        if (b.shownText(r, 1).startsWith(QLatin1String("Total"))) totalRow = r;
    const Sheet::Value total = totalRow ? b.cellValue(totalRow, used.col2) : Sheet::Value();
    if (!total.isNumber() || qAbs(total.number - lines) > 0.005 || lines <= 0)
        issues.append({file, 0,
                       QStringLiteral("the cost lines come to £%1 but the sheet's total shows %2")
                           .arg(lines, 0, 'f', 2)
                           .arg(totalRow ? b.shownText(totalRow, used.col2) : QStringLiteral("nothing"))});
    return issues;
}

// The sheet as the program shows it, from the column headings down, as an HTML table.
QString budgetTable(const Sheet::SheetModel& m) {
    const Sheet::CellRange used = m.usedRange();
    QString out = QStringLiteral("<table border=\"1\" cellpadding=\"2\" cellspacing=\"0\">\n");
    for (int r = 3; r <= used.row2; ++r) {
        bool any = false, dates = true;
        for (int c = 1; c <= used.col2; ++c) {
            const bool shown = !m.shownText(r, c).isEmpty();
            any |= shown;
            if (c > 1 && shown && !m.format(r, c).numberFormat.contains(QLatin1String("yyyy")))
                dates = false;
        }
        if (!any || dates) continue; // blank rows, and the row of period dates
        out += QStringLiteral("<tr>");
        for (int c = 1; c <= used.col2; ++c) {
            QString text = m.shownText(r, c).toHtmlEscaped();
            if (m.format(r, c).bold && !text.isEmpty()) text = QStringLiteral("<b>%1</b>").arg(text);
            if (m.format(r, c).italic && !text.isEmpty()) text = QStringLiteral("<i>%1</i>").arg(text);
            // Figures and line names kept on one line each, in a smaller type, so that
            // the sheet reads as the program shows it even in a narrow window.
            const QString cell =
                r == 3   ? QStringLiteral("<th style=\"%2\">%1</th>")
                : c == 1 ? QStringLiteral("<td style=\"%2\">%1</td>")
                         : QStringLiteral("<td align=\"right\" style=\"%2\">%1</td>");
            out += cell.arg(text, QStringLiteral("white-space: nowrap; font-size: 8pt"));
        }
        out += QStringLiteral("</tr>\n");
    }
    return out + QStringLiteral("</table>");
}

// The year to date of an example's actual spend: for each line, group and the whole
// budget that has spending so far, the budget and actual to date, the variances and the
// share of the year's budget used, as the Actual Spend window shows them.
QString actualsTable(const Sheet::SheetModel& m) {
    using namespace Actuals;
    const int cols[] = {1, kBudgetToDateCol, kActualToDateCol, kVarianceToDateCol,
                        kLatestVarianceCol, kShareUsedCol};
    const QString style = QStringLiteral("white-space: nowrap; font-size: 8pt");
    QString out = QStringLiteral("<table border=\"1\" cellpadding=\"2\" cellspacing=\"0\">\n<tr>");
    for (int c : cols) {
        const QString months = m.shownText(kMonthsRow, kMonthsCountedCol);
        QString heading = c == 1 ? QStringLiteral("After %1 %2")
                                       .arg(months, months == QLatin1String("1")
                                                        ? QStringLiteral("month")
                                                        : QStringLiteral("months"))
                                 : m.shownText(3, c);
        if (c == kLatestVarianceCol) heading += QStringLiteral(" (%1)").arg(m.shownText(4, c));
        out += QStringLiteral("<th style=\"%2\">%1</th>").arg(heading.toHtmlEscaped(), style);
    }
    out += QStringLiteral("</tr>\n");
    const Sheet::CellRange used = m.usedRange();
    for (int r = kFirstLineRow; r <= used.row2; ++r) {
        if (m.shownText(r, kVarianceToDateCol).isEmpty()) continue;
        const Sheet::Value spent = m.cellValue(r, kActualToDateCol);
        const Sheet::Value planned = m.cellValue(r, kBudgetToDateCol);
        if (spent.number == 0 && planned.number == 0) continue; // nothing yet on this line
        out += QStringLiteral("<tr>");
        for (int c : cols) {
            QColor colour;
            QString text = m.shownText(r, c, &colour).toHtmlEscaped();
            if (m.format(r, 1).bold) text = QStringLiteral("<b>%1</b>").arg(text);
            if (colour == QColor(Qt::red))
                text = QStringLiteral("<font color=\"#C00000\">%1</font>").arg(text);
            out += (c == 1 ? QStringLiteral("<td style=\"%2\">%1</td>")
                           : QStringLiteral("<td align=\"right\" style=\"%2\">%1</td>"))
                       .arg(text, style);
        }
        out += QStringLiteral("</tr>\n");
    }
    return out + QStringLiteral("</table>");
}

// Names of budget lines in a text: "<li><b>Printed material:</b>" in an example.
QStringList exampleLineNames(const QString& body) {
    static const QRegularExpression item(QStringLiteral("<li>\\s*<b>([^<:]+):?</b>"));
    QStringList out;
    for (auto it = item.globalMatch(body); it.hasNext();)
        out << it.next().captured(1).trimmed();
    return out;
}

// Each business's budget (examples/<folder>/budget.txt, a sheet script run after the
// shipped budget.txt) fills the shipped sheet; its example of the budget section shows the
// sheet where a line reads "@budget". The guidance and the examples name only the sheet's
// own lines, and the guidance names every one of them.
void compileExampleBudgets(const SourceReader& src, const QList<ExampleBusiness>& businesses,
                           int budgetSection, const QList<Paragraph>& guidance,
                           ExampleSet* examples) {
    Issues* issues = src.issues;
    const QString sheetRel = QStringLiteral("budget.txt");
    QString script;
    bool anyExampleBudget = false;
    for (const ExampleBusiness& b : businesses)
        anyExampleBudget |=
            QFileInfo::exists(src.path(QStringLiteral("examples/%1/budget.txt").arg(b.folder)));
    if (budgetSection == 0 || !src.read(sheetRel, &script, false)) {
        if (anyExampleBudget)
            issues->append({src.path(sheetRel), 0,
                            QStringLiteral("the examples' budgets fill the shipped sheet, which "
                                           "is missing")});
        return;
    }
    BudgetSheet shipped;
    if (!runBudgetScripts(script, QString(), QString(), src.path(sheetRel), &shipped, issues))
        return;
    auto known = [&](const QString& name) {
        return shipped.lineNames.contains(name) || shipped.groupNames.contains(name);
    };

    const QString guideFile =
        src.path(QStringLiteral("guidance/%1.txt").arg(budgetSection, 2, 10, QLatin1Char('0')));
    QStringList named;
    bool underLines = false, sawLines = false;
    for (const Paragraph& p : guidance) {
        if (p.kind == Paragraph::Heading1 || p.kind == Paragraph::Heading2 ||
            p.kind == Paragraph::Heading3) {
            underLines = p.plainText().contains(QLatin1String("line"), Qt::CaseInsensitive);
            sawLines |= underLines;
            continue;
        }
        if (!underLines || p.kind != Paragraph::Bullet) continue;
        for (const Span& s : p.spans)
            if (s.bold && s.kind == Span::Plain && !s.text.trimmed().isEmpty()) {
                const QString name = s.text.trimmed();
                named << name;
                if (!known(name))
                    issues->append({guideFile, p.line,
                                    QStringLiteral("\"%1\" is no line of the budget sheet")
                                        .arg(name)});
            }
    }
    if (!sawLines)
        issues->append({guideFile, 0,
                        QStringLiteral("the guidance needs a heading on the cost lines with a "
                                       "bullet naming each line of the sheet in bold")});
    else
        for (const QString& line : std::as_const(shipped.lineNames))
            if (!named.contains(line))
                issues->append({guideFile, 0,
                                QStringLiteral("the sheet's line \"%1\" is not explained")
                                    .arg(line)});

    for (int b = 0; b < businesses.size(); ++b) {
        const QString rel = QStringLiteral("examples/%1/budget.txt").arg(businesses.at(b).folder);
        const QString exampleFile = src.path(QStringLiteral("examples/%1/%2.txt")
                                                 .arg(businesses.at(b).folder)
                                                 .arg(budgetSection, 2, 10, QLatin1Char('0')));
        QString exampleScript;
        const bool hasBudget = src.read(rel, &exampleScript, false);
        if (!(*examples)[b].contains(budgetSection)) {
            if (hasBudget)
                issues->append({src.path(rel), 0,
                                QStringLiteral("no example of section %1 shows this budget")
                                    .arg(budgetSection)});
            continue;
        }
        Example& ex = (*examples)[b][budgetSection];
        if (!hasBudget) {
            issues->append({exampleFile, 0,
                            QStringLiteral("the example has no budget of its own: ship it as %1")
                                .arg(rel)});
            continue;
        }
        QStringList lines = ex.body.split(QLatin1Char('\n'));
        const qsizetype marker = lines.indexOf(QStringLiteral("@budget"));
        if (marker < 0) {
            issues->append({exampleFile, 0,
                            QStringLiteral("put a line \"@budget\" where the example's sheet is "
                                           "to be shown")});
            continue;
        }
        for (const QString& name : exampleLineNames(ex.body))
            if (!known(name))
                issues->append({exampleFile, 0,
                                QStringLiteral("\"%1\" is no line of the budget sheet").arg(name)});
        BudgetSheet sheet;
        if (!runBudgetScripts(script, exampleScript, src.path(rel), src.path(sheetRel), &sheet,
                              issues))
            continue;
        const Issues faults = checkExampleBudget(shipped, sheet, src.path(rel));
        issues->append(faults);
        if (!faults.isEmpty()) continue;
        lines[marker] = budgetTable(sheet.model);
        ex.body = lines.join(QLatin1Char('\n'));

        // The business's actual spend of its first months (examples/<folder>/actuals.txt, a
        // sheet script run on the Actual Spend sheet made from this budget), shown where an
        // example's line reads "@actuals".
        const QString actualsRel =
            QStringLiteral("examples/%1/actuals.txt").arg(businesses.at(b).folder);
        QString actualsScript;
        const bool hasActuals = src.read(actualsRel, &actualsScript, false);
        Example* shows = nullptr;
        for (Example& e : (*examples)[b])
            if (e.body.split(QLatin1Char('\n')).contains(QStringLiteral("@actuals"))) shows = &e;
        if (!hasActuals && !shows) continue;
        if (!hasActuals || !shows) {
            issues->append({src.path(actualsRel), 0,
                            hasActuals ? QStringLiteral("no example shows these actuals: put a line "
                                                        "\"@actuals\" where they are to be shown")
                                       : QStringLiteral("an example shows \"@actuals\" but the "
                                                        "business has no actual spend")});
            continue;
        }
        Sheet::SheetModel& actual = Actuals::build(sheet.model);
        const int before = int(issues->size());
        static const QRegularExpression lineNo(QStringLiteral("^line (\\d+): (.*)$"));
        for (const QString& failure : Sheet::runSheetScript(actualsScript, &actual).failures) {
            const auto m = lineNo.match(failure);
            issues->append({src.path(actualsRel), m.hasMatch() ? m.captured(1).toInt() : 0,
                            m.hasMatch() ? m.captured(2) : failure});
        }
        if (issues->size() > before) continue;
        QStringList body = shows->body.split(QLatin1Char('\n'));
        body[body.indexOf(QStringLiteral("@actuals"))] = actualsTable(actual);
        shows->body = body.join(QLatin1Char('\n'));
    }
}

} // namespace

bool compileTemplate(const QString& sourceRoot, CompiledTemplate* out, Issues* issues) {
    out->warnings.clear();
    const int before = int(issues->size());
    SourceReader src{sourceRoot, issues};

    QString outlineText;
    if (!src.read(QStringLiteral("outline.txt"), &outlineText)) return false;
    const QString outlinePath = src.path(QStringLiteral("outline.txt"));
    const QList<OutlineItem> items = parseOutline(outlineText, outlinePath, issues);
    if (issues->size() > before) return false;
    issues->append(validateOutline(items, outlinePath));

    const QString businessesRel = QStringLiteral("examples/businesses.txt");
    QString businessesText;
    QList<ExampleBusiness> businesses;
    if (src.read(businessesRel, &businessesText))
        businesses = parseBusinesses(businessesText, src.path(businessesRel), issues);
    ExampleSet examples(businesses.size());

    const DocumentStyle plan = planStyle();
    const DocumentStyle guidance = guidanceStyle();
    QTextDocument original;
    QMap<QString, QByteArray> files;
    bool sawBusiness = false, sawSbu = false, sawNote = false;
    Paragraph previousEnd; // the last paragraph of the section before
    QList<int> withPrompts;
    int budgetSection = 0;
    QList<Paragraph> budgetGuidance;
    for (int n = 1; n <= items.size(); ++n)
        if (items.at(n - 1).title == QLatin1String("Marketing Budget Spreadsheet")) budgetSection = n;

    for (int n = 1; n <= items.size(); ++n) {
        const OutlineItem& item = items.at(n - 1);
        const QString planRel = QStringLiteral("plan/%1.txt").arg(twoDigits(n));
        QString text;
        if (src.read(planRel, &text)) {
            const QString planPath = src.path(planRel);
            const QList<Paragraph> paragraphs = parseMarkup(text, planPath, issues);
            issues->append(
                validatePlanSection(paragraphs, item, n, planPath, hasChildren(items, n)));
            if (!paragraphs.isEmpty()) {
                if (promptsMeet(previousEnd, paragraphs.first()))
                    issues->append({planPath, paragraphs.first().line, promptsMeetMessage()});
                previousEnd = paragraphs.last();
            }
            for (const Paragraph& p : paragraphs)
                for (const Span& s : p.spans) {
                    sawBusiness |= s.kind == Span::Placeholder && s.text == kBusinessName;
                    sawSbu |= s.kind == Span::Placeholder && s.text == kSbuName;
                    sawNote |= s.kind == Span::Note;
                    if (s.kind == Span::Prompt && !withPrompts.contains(n)) withPrompts.append(n);
                }
            appendParagraphs(&original, paragraphs, plan, sectionTag(n));
        } else {
            issues->append({outlinePath, item.line,
                            QStringLiteral("section %1 \"%2\" has no plan text (%3)")
                                .arg(n)
                                .arg(item.title, planRel)});
        }

        const QString guideRel = QStringLiteral("guidance/%1.txt").arg(twoDigits(n));
        if (src.read(guideRel, &text)) {
            const QList<Paragraph> paragraphs = parseMarkup(text, src.path(guideRel), issues);
            if (paragraphs.isEmpty())
                issues->append({src.path(guideRel), 0, QStringLiteral("the guidance is empty")});
            issues->append(validateScoringGuidance(paragraphs, n, src.path(guideRel)));
            if (n == budgetSection) budgetGuidance = paragraphs;
            QTextDocument doc;
            appendParagraphs(&doc, paragraphs, guidance);
            files.insert(QStringLiteral("%1.pla").arg(n), nativeFile(doc));
        } else {
            issues->append({outlinePath, item.line,
                            QStringLiteral("section %1 \"%2\" has no guidance (%3)")
                                .arg(n)
                                .arg(item.title, guideRel)});
        }

        for (int b = 0; b < businesses.size(); ++b) {
            const QString exampleRel =
                QStringLiteral("examples/%1/%2.txt").arg(businesses.at(b).folder, twoDigits(n));
            if (!src.read(exampleRel, &text, false)) continue;
            const Example ex = parseExample(text, src.path(exampleRel), issues);
            if (!ex.title.isEmpty() && ex.title != item.title)
                issues->append({src.path(exampleRel), 1,
                                QStringLiteral("the example is titled \"%1\" but section %2 is "
                                               "\"%3\"")
                                    .arg(ex.title)
                                    .arg(n)
                                    .arg(item.title)});
            issues->append(validateExampleReturn(ex, src.path(exampleRel)));
            examples[b].insert(n, ex);
        }
    }
    issues->append(validateReachable(items, withPrompts, outlinePath));
    compileExampleBudgets(src, businesses, budgetSection, budgetGuidance, &examples);
    reportStrayFiles(src, QStringLiteral("plan"), int(items.size()));
    reportStrayFiles(src, QStringLiteral("guidance"), int(items.size()));
    for (const ExampleBusiness& b : std::as_const(businesses)) {
        if (!QFileInfo(src.path(QStringLiteral("examples/") + b.folder)).isDir())
            issues->append({src.path(businessesRel), b.line,
                            QStringLiteral("there is no folder examples/%1").arg(b.folder)});
        reportStrayFiles(src, QStringLiteral("examples/") + b.folder, int(items.size()));
    }
    for (const QString& name : QDir(src.path(QStringLiteral("examples"))).entryList(QDir::Files))
        if (name.endsWith(QLatin1String(".txt")) && name.at(0).isDigit())
            issues->append({src.path(QStringLiteral("examples/") + name), 0,
                            QStringLiteral("an example belongs in the folder of its business "
                                           "(examples/<folder>/%1)")
                                .arg(name)});
    if (!sawBusiness || !sawSbu)
        issues->append({src.path(QStringLiteral("plan")), 0,
                        QStringLiteral("the plan text must use both placeholders %1 and %2")
                            .arg(kBusinessName, kSbuName)});
    if (!sawNote)
        issues->append({src.path(QStringLiteral("plan")), 0,
                        QStringLiteral("the plan text has no red note for the user")});

    // Start-up texts shown before a plan is opened.
    struct Startup {
        const char* source;
        const char* target;
        DocumentStyle style;
    };
    for (const Startup& s : {Startup{"startup-plan.txt", "startup.plt", plan},
                             Startup{"startup-guidance.txt", "startup.rtf", guidance}}) {
        QString text;
        const QString rel = QLatin1String(s.source);
        if (!src.read(rel, &text)) continue;
        const QList<Paragraph> paragraphs = parseMarkup(text, src.path(rel), issues);
        if (paragraphs.isEmpty())
            issues->append({src.path(rel), 0, QStringLiteral("the text is empty")});
        QTextDocument doc;
        appendParagraphs(&doc, paragraphs, s.style);
        files.insert(QLatin1String(s.target), nativeFile(doc));
    }

    QString help;
    const QString helpRel = QStringLiteral("help/qmphelp.hlp");
    if (src.read(helpRel, &help)) {
        for (Issue issue : validateHelpFile(help, src.path(helpRel))) {
            issue.warning = true;
            out->warnings.append(issue);
        }
        files.insert(QStringLiteral("qmphelp.hlp"), help.toUtf8());
    }

    const QByteArray eg = exampleHelpFile(businesses, examples, items);
    issues->append(validateHelpFile(QString::fromUtf8(eg), src.path(QStringLiteral("examples"))));
    files.insert(QStringLiteral("eg.hlp"), eg);
    files.insert(QStringLiteral("egini.ini"),
                 exampleIndexFile(businesses, examples, int(items.size())));
    files.insert(QStringLiteral("mp.nav"), navigatorFile(items));

    if (issues->size() > before) return false;

    // Stored as the program stores a plan: the settings header first.
    insertPlanHeader(&original, defaultPlanHeader(), plan);
    out->dataFiles = files;
    out->originalPlan = nativeFile(original);
    out->catalogue = seedCatalogue();
    out->sectionCount = int(items.size());
    return true;
}

bool compileBudget(const QString& sourceRoot, QByteArray* out, Issues* issues) {
    const int before = int(issues->size());
    SourceReader src{sourceRoot, issues};
    QString script;
    if (!src.read(QStringLiteral("budget.txt"), &script)) return false;
    Sheet::SheetModel sheet;
    const Sheet::ScriptResult result = Sheet::runSheetScript(script, &sheet);
    static const QRegularExpression lineNo(QStringLiteral("^line (\\d+): (.*)$"));
    for (const QString& failure : result.failures) {
        const auto m = lineNo.match(failure);
        issues->append({src.path(QStringLiteral("budget.txt")), m.hasMatch() ? m.captured(1).toInt() : 0,
                        m.hasMatch() ? m.captured(2) : failure});
    }
    for (const auto& [key, cell] : sheet.cells()) {
        const QString why = sheet.formulaError(Sheet::keyRow(key), Sheet::keyCol(key));
        if (!why.isEmpty())
            issues->append({src.path(QStringLiteral("budget.txt")), 0,
                            QStringLiteral("the formula in %1 cannot be read: %2")
                                .arg(Sheet::cellName(Sheet::keyRow(key), Sheet::keyCol(key)), why)});
    }
    if (issues->size() > before) return false;
    *out = Sheet::writeNative(sheet);
    return true;
}

bool writeIfChanged(const QString& path, const QByteArray& bytes, bool* changed, QString* error) {
    if (changed) *changed = false;
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly) && existing.size() == bytes.size() &&
        existing.readAll() == bytes)
        return true;
    existing.close();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
        if (error) *error = QStringLiteral("%1: cannot write: %2").arg(path, f.errorString());
        return false;
    }
    if (changed) *changed = true;
    return true;
}

int removeStaleGuidance(const QString& dataDir, int sectionCount) {
    static const QRegularExpression pla(QStringLiteral("^(\\d+)\\.pla$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QDir dir(dataDir);
    int removed = 0;
    for (const QString& name : dir.entryList(QDir::Files)) {
        const auto m = pla.match(name);
        if (m.hasMatch() && m.captured(1).toInt() > sectionCount &&
            QFile::remove(dir.filePath(name)))
            ++removed;
    }
    return removed;
}

static QByteArray digest(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

SeedResult seedFile(const QString& path, const QByteArray& bytes, const QString& recordPath,
                    QString* error) {
    QFile existing(path);
    const bool present = existing.exists();
    if (present) {
        if (recordPath.isEmpty()) return SeedResult::Unchanged;
        if (!existing.open(QIODevice::ReadOnly)) {
            if (error)
                *error = QStringLiteral("%1: cannot read: %2").arg(path, existing.errorString());
            return SeedResult::Failed;
        }
        const QByteArray current = existing.readAll();
        existing.close();
        if (current == bytes) {
            // Remember it as ours, so that the next template change may replace it.
            if (!writeIfChanged(recordPath, digest(bytes) + '\n', nullptr, error))
                return SeedResult::Failed;
            return SeedResult::Unchanged;
        }
        QFile record(recordPath);
        const QByteArray seeded =
            record.open(QIODevice::ReadOnly) ? record.readAll().trimmed() : QByteArray();
        if (seeded.isEmpty() || seeded != digest(current)) return SeedResult::KeptUsersFile;
    }
    if (!writeIfChanged(path, bytes, nullptr, error)) return SeedResult::Failed;
    if (!recordPath.isEmpty() && !writeIfChanged(recordPath, digest(bytes) + '\n', nullptr, error))
        return SeedResult::Failed;
    return present ? SeedResult::Updated : SeedResult::Written;
}

} // namespace Datagen
