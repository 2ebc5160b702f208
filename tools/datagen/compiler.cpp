#include "compiler.h"

#include "controls/sheet/sheetfile.h"
#include "controls/sheet/sheetmodel.h"
#include "controls/sheet/sheetscript.h"
#include "controls/text/rtfwriter.h"
#include "template.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
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

    for (int n = 1; n <= items.size(); ++n) {
        const OutlineItem& item = items.at(n - 1);
        const QString planRel = QStringLiteral("plan/%1.txt").arg(twoDigits(n));
        QString text;
        if (src.read(planRel, &text)) {
            const QString planPath = src.path(planRel);
            const QList<Paragraph> paragraphs = parseMarkup(text, planPath, issues);
            issues->append(validatePlanSection(paragraphs, item, n, planPath));
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
            examples[b].insert(n, ex);
        }
    }
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
