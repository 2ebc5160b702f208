#include "plans/plancheck.h"

#include "controls/speller/speller.h"
#include "controls/text/textcontrol.h"
#include "controls/text/textformat.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

namespace {

constexpr int kPrompt = 1;
constexpr int kRedNote = 999;
// Misspelt words named in an entry; the count says how many there are in all.
constexpr int kWordsNamed = 5;

} // namespace

QString CheckEntry::text() const {
    switch (kind) {
    case NoOwnText:
        return QStringLiteral("No text of your own yet");
    case NoAnalysisTable:
        return QStringLiteral("The analysis table has not been put in yet");
    case BudgetNotConfirmed:
        return QStringLiteral("The budget details have never been confirmed");
    case BudgetTotalZero:
        return QStringLiteral("The budget total is zero");
    case Prompt:
        return QStringLiteral("Prompt not replaced: \u201c%1\u201d").arg(detail);
    case Misspelt:
        return count == 1 ? QStringLiteral("1 misspelt word: %1").arg(detail)
                          : QStringLiteral("%1 misspelt words: %2").arg(count).arg(detail);
    case RedNotes:
        return count == 1 ? QStringLiteral("1 red note (notes never print)")
                          : QStringLiteral("%1 red notes (notes never print)").arg(count);
    }
    return {};
}

PlanCheck::PlanCheck(PlanProgress& progress, TextControl& text)
    : m_progress(progress), m_text(text) {}

void PlanCheck::setBudget(int section, BudgetFactsProvider facts) {
    m_budgetSection = section;
    m_budget = std::move(facts);
}

QString PlanCheck::firstWords(const QString& text, int words) {
    const QStringList all = text.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QString out = all.mid(0, words).join(QLatin1Char(' '));
    if (all.size() > words) out += QChar(0x2026);
    return out;
}

bool PlanCheck::hasTable(const TextPiece& extent) const {
    const QList<QTextFrame*> frames = m_text.document()->rootFrame()->childFrames();
    return std::any_of(frames.begin(), frames.end(), [&](QTextFrame* f) {
        return qobject_cast<QTextTable*>(f) && f->firstPosition() >= extent.start &&
               f->firstPosition() < extent.end;
    });
}

// The section's text as the speller should see it: the visible words of the owner's own
// paragraphs in place, everything else (the template's text, prompts, notes, breaks)
// blanked, so that offsets stay positions.
QString PlanCheck::ownWords(const TextPiece& extent) const {
    QString out(extent.end - extent.start, QLatin1Char(' '));
    const QTextDocument* doc = m_text.document();
    for (QTextBlock b = doc->findBlock(extent.start); b.isValid() && b.position() < extent.end;
         b = b.next()) {
        if (!m_progress.isOwnParagraph(b)) continue;
        for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (!f.isValid()) continue;
            const QTextCharFormat cf = f.charFormat();
            if (cf.intProperty(TextFormat::HTagProperty) != 0 ||
                cf.boolProperty(TextFormat::HiddenProperty))
                continue;
            const QString t = f.text();
            const int from = std::max(f.position(), extent.start);
            const int to = std::min(f.position() + f.length(), extent.end);
            for (int p = from; p < to; ++p)
                out[p - extent.start] = t.at(p - f.position());
        }
    }
    return out;
}

QList<CheckEntry> PlanCheck::entriesOf(int section) {
    QList<CheckEntry> out;
    TextPiece extent;
    QTextDocument* doc = m_text.document();
    const bool found =
        FindSectionExtent(m_text.tagIndex(), *doc, PlanProgress::tagOf(section), &extent);
    if (!found) extent = {};
    const TextPiece start{extent.start, extent.start};
    auto add = [&](CheckEntry::Kind kind, TextPiece place, const QString& detail = {},
                   int count = 1) {
        out.append({kind, section, place, detail, count});
    };

    const QList<TextPiece> prompts = found ? m_progress.pieces(section, kPrompt) : QList<TextPiece>();
    // A part heading holds nothing to write: its sections below carry the writing.
    if (prompts.isEmpty() && !(found && m_progress.hasOwnText(section)) &&
        !m_progress.section(section).nothingToWrite)
        add(CheckEntry::NoOwnText, start);
    if (m_analysis.contains(section) && !(found && hasTable(extent)))
        add(CheckEntry::NoAnalysisTable, start);
    if (section == m_budgetSection && m_budget) {
        if (const std::optional<BudgetFacts> facts = m_budget()) {
            if (!facts->detailsConfirmed) add(CheckEntry::BudgetNotConfirmed, start);
            if (facts->total == 0) add(CheckEntry::BudgetTotalZero, start);
        }
    }
    if (!found) return out;

    for (const TextPiece& p : prompts) {
        QTextCursor c(doc);
        c.setPosition(p.start);
        c.setPosition(p.end, QTextCursor::KeepAnchor);
        add(CheckEntry::Prompt, p, firstWords(c.selectedText()));
    }

    if (m_speller) {
        const QList<Speller::Misspelling> words = m_speller->findMisspelled(ownWords(extent));
        if (!words.isEmpty()) {
            QStringList distinct;
            for (const Speller::Misspelling& m : words)
                if (!distinct.contains(m.word)) distinct.append(m.word);
            QString detail = distinct.mid(0, kWordsNamed).join(QStringLiteral(", "));
            if (distinct.size() > kWordsNamed) detail += QStringLiteral(", \u2026");
            const int at = extent.start + words.first().offset;
            add(CheckEntry::Misspelt, {at, at + int(words.first().word.size())}, detail,
                int(words.size()));
        }
    }

    const QList<TextPiece> notes = m_progress.pieces(section, kRedNote);
    if (!notes.isEmpty())
        add(CheckEntry::RedNotes, {notes.first().start, notes.first().start}, {},
            int(notes.size()));
    return out;
}

QList<CheckEntry> PlanCheck::entries() {
    QList<CheckEntry> out;
    for (int n = 1; n <= m_progress.sectionCount(); ++n)
        out += entriesOf(n);
    return out;
}

bool PlanCheck::anythingToDo(const QList<CheckEntry>& entries) {
    return std::any_of(entries.begin(), entries.end(),
                       [](const CheckEntry& e) { return !e.isInformation(); });
}
