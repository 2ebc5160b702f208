#include "plans/planprogress.h"

#include "controls/text/rtfreader.h"
#include "controls/text/tagindex.h"
#include "controls/text/textcontrol.h"
#include "controls/text/textformat.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

namespace {

constexpr int kUserText = 0;
constexpr int kPrompt = 1;
constexpr int kPlaceholder = 300;
// An edit this large is as good as a new document: every section is looked at again.
constexpr int kWholePlanChange = 20000;

int newGeneration() {
    static int last = 0;
    return ++last;
}

const QString kBusinessName = QStringLiteral("[BusinessName]");
const QString kSbuName = QStringLiteral("[SBUName]");

// Characters that do not make text: white space, and the marks Qt keeps for tables and
// pictures.
bool countsAsText(QChar c) {
    const char16_t u = c.unicode();
    return !c.isSpace() && u != QChar::ObjectReplacementCharacter && u != 0xFDD0 &&
           u != 0xFDD1 && u != QChar::LineSeparator && u != QChar::ParagraphSeparator;
}

void appendSkeleton(QString& out, QStringView text) {
    for (QChar c : text)
        if (countsAsText(c)) out.append(c);
}

bool allBlank(QStringView text) {
    return std::none_of(text.begin(), text.end(), countsAsText);
}

} // namespace

// --- Sections in a document -------------------------------------------------------------

bool FindSectionExtent(TagIndex& index, const QTextDocument& doc, int tag, TextPiece* extent,
                       bool* byTextTag) {
    if (byTextTag) *byTextTag = false;
    const int docEnd = std::max(0, doc.characterCount() - 1);
    if (const auto first = index.findForward(TagIndex::PTag, tag, 0, true)) {
        const std::vector<TagIndex::Run>& runs = index.runs(TagIndex::PTag);
        auto it = std::lower_bound(runs.begin(), runs.end(), first->start,
                                   [](const TagIndex::Run& r, int s) { return r.start < s; });
        // The section runs on to the next paragraph marked for another section. A later
        // paragraph with the same mark (a table put in after the heading leaves one) does
        // not end it.
        while (it != runs.end() && (it->value == 0 || it->value == tag))
            ++it;
        *extent = {first->start, it != runs.end() ? it->start : docEnd};
        return true;
    }
    const auto first = index.findForward(TagIndex::NTag, tag, 0, true);
    if (!first) return false;
    const auto last = index.findBackward(TagIndex::NTag, tag, docEnd + 1);
    *extent = {first->start, std::min(docEnd, last ? last->end : first->end)};
    if (byTextTag) *byTextTag = true;
    return true;
}

QList<TextPiece> TaggedPieces(TagIndex& index, const QTextDocument& doc, const TextPiece& within,
                              int htag) {
    QList<TextPiece> out;
    const std::vector<TagIndex::Run>& runs = index.runs(TagIndex::HTag);
    auto it = std::partition_point(runs.begin(), runs.end(), [&](const TagIndex::Run& r) {
        return r.end <= within.start;
    });
    for (; it != runs.end() && it->start < within.end; ++it) {
        if (it->value != htag) continue;
        const int s = std::max(it->start, within.start);
        const int e = std::min(it->end, within.end);
        for (QTextBlock b = doc.findBlock(s); b.isValid() && b.position() < e; b = b.next()) {
            const int ps = std::max(s, b.position());
            const int pe = std::min(e, b.position() + b.length() - 1);
            // A blank left over from a prompt is nothing the reader would see.
            if (pe > ps &&
                !allBlank(QStringView(b.text()).mid(ps - b.position(), pe - ps)))
                out.append({ps, pe});
        }
    }
    return out;
}

// --- The template -----------------------------------------------------------------------

PlanTemplate::PlanTemplate(const QTextDocument& original) {
    TagIndex index(const_cast<QTextDocument*>(&original));
    for (const TagIndex::Run& r : index.runs(TagIndex::PTag)) {
        if (r.value == 0 || m_prompts.contains(r.value)) continue;
        TextPiece extent;
        if (!FindSectionExtent(index, original, r.value, &extent)) continue;
        int chars = 0;
        const QList<TextPiece> prompts = TaggedPieces(index, original, extent, kPrompt);
        for (const TextPiece& p : prompts)
            chars += p.end - p.start;
        m_prompts.insert(r.value, {int(prompts.size()), chars});
    }

    for (QTextBlock b = original.begin(); b.isValid(); b = b.next()) {
        Pattern pattern;
        QString literal;
        QString placeholder; // consecutive placeholder text, as the load finds it
        auto flush = [&] {
            if (placeholder.isEmpty()) return;
            const int kind = placeholder == kBusinessName ? 0 : placeholder == kSbuName ? 1 : -1;
            if (kind < 0) {
                // A placeholder the load does not know stays as it was written.
                appendSkeleton(literal, placeholder);
            } else {
                pattern.pieces.append(literal);
                pattern.kinds.append(kind);
                literal.clear();
            }
            placeholder.clear();
        };
        for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (!f.isValid()) continue;
            const QTextCharFormat cf = f.charFormat();
            const int htag = cf.intProperty(TextFormat::HTagProperty);
            if (htag == kPlaceholder) {
                placeholder += f.text();
                continue;
            }
            flush();
            if (htag == kUserText && !cf.boolProperty(TextFormat::HiddenProperty))
                appendSkeleton(literal, f.text());
        }
        flush();
        if (pattern.kinds.isEmpty()) {
            if (!literal.isEmpty()) m_exact.insert(literal);
        } else {
            pattern.pieces.append(literal);
            m_patterns.append(pattern);
        }
    }
}

PlanTemplate PlanTemplate::fromFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QTextDocument doc;
    if (!RtfReader::read(file.readAll(), &doc)) return {};
    return PlanTemplate(doc);
}

void PlanTemplate::setNames(const QString& businessName, const QString& sbuName) {
    // As the plan's load fills them in.
    QString fills[2];
    appendSkeleton(fills[0], businessName);
    appendSkeleton(fills[1], QStringLiteral("The ") + sbuName + QStringLiteral(" unit "));
    m_filled.clear();
    for (const Pattern& p : m_patterns) {
        QString s = p.pieces.first();
        for (qsizetype i = 0; i < p.kinds.size(); ++i)
            s += fills[p.kinds.at(i)] + p.pieces.at(i + 1);
        m_filled.insert(s);
    }
}

bool PlanTemplate::matches(const Pattern& p, const QString& s) const {
    const QStringList& pieces = p.pieces;
    // A placeholder alone could stand for anything at all.
    if (std::all_of(pieces.begin(), pieces.end(), [](const QString& l) { return l.isEmpty(); }))
        return false;
    if (!s.startsWith(pieces.first())) return false;
    qsizetype pos = pieces.first().size();
    QString fills[2];
    for (qsizetype i = 1; i < pieces.size(); ++i) {
        const QString& literal = pieces.at(i);
        qsizetype found;
        if (i == pieces.size() - 1) {
            // The last literal ends the paragraph; every placeholder filled something.
            found = s.size() - literal.size();
            if (found < pos + 1 || !s.endsWith(literal)) return false;
        } else {
            found = s.indexOf(literal, pos + 1);
            if (found < 0) return false;
        }
        const QString fill = s.mid(pos, found - pos);
        QString& same = fills[p.kinds.at(i - 1)];
        if (!same.isEmpty() && same != fill) return false;
        same = fill;
        pos = found + literal.size();
    }
    return true;
}

bool PlanTemplate::isTemplateText(const QString& skeleton) const {
    if (skeleton.isEmpty() || m_exact.contains(skeleton) || m_filled.contains(skeleton))
        return true;
    return std::any_of(m_patterns.begin(), m_patterns.end(),
                       [&](const Pattern& p) { return matches(p, skeleton); });
}

QString PlanTemplate::skeleton(const QTextBlock& block) {
    QString out;
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment f = it.fragment();
        if (!f.isValid()) continue;
        const QTextCharFormat cf = f.charFormat();
        if (cf.intProperty(TextFormat::HTagProperty) != kUserText ||
            cf.boolProperty(TextFormat::HiddenProperty))
            continue;
        appendSkeleton(out, f.text());
    }
    return out;
}

// --- Progress ---------------------------------------------------------------------------

PlanProgress::PlanProgress(TextControl& text, QObject* parent)
    : QObject(parent), m_text(text), m_generation(newGeneration()) {
    m_later.setSingleShot(true);
    m_later.setInterval(0);
    connect(&m_later, &QTimer::timeout, this, [this] { refresh(); });
    // Also catches a new document, whose own changes are not followed yet.
    connect(&m_text, &TextControl::OnATXChange, this, [this] {
        if (m_active) m_later.start();
    });
}

QTextDocument* PlanProgress::document() const {
    return m_text.document();
}

void PlanProgress::setSectionCount(int count) {
    m_sections.assign(std::max(0, count), Section());
    m_dirty.assign(m_sections.size(), false);
    m_loose.assign(m_sections.size(), false);
    invalidateAll();
}

void PlanProgress::setActive(bool active) {
    m_active = active;
    if (active) {
        invalidateAll();
    } else {
        m_later.stop();
        m_sections.assign(m_sections.size(), Section());
    }
}

void PlanProgress::setTemplate(PlanTemplate tmpl) {
    m_template = std::move(tmpl);
    m_generation = newGeneration();
    invalidateAll();
}

void PlanProgress::setPlaceholderNames(const QString& businessName, const QString& sbuName) {
    m_template.setNames(businessName, sbuName);
    m_generation = newGeneration();
    invalidateAll();
}

void PlanProgress::invalidateAll() {
    m_allDirty = true;
    if (m_active) m_later.start();
}

void PlanProgress::follow(QTextDocument* doc) {
    if (m_doc) disconnect(m_doc, nullptr, this, nullptr);
    m_doc = doc;
    if (doc) connect(doc, &QTextDocument::contentsChange, this, &PlanProgress::contentsChange);
    m_generation = newGeneration();
    m_allDirty = true;
}

void PlanProgress::contentsChange(int position, int removed, int added) {
    if (!m_active || m_doc != document()) return;
    if (removed + added > kWholePlanChange) {
        // Every paragraph's mark is stale at once, rather than one by one.
        m_generation = newGeneration();
        m_allDirty = true;
        m_later.start();
        return;
    }
    // The paragraphs the change touched are read again when asked about.
    QTextDocument* doc = document();
    const QTextBlock last = doc->findBlock(position + added);
    for (QTextBlock b = doc->findBlock(position); b.isValid(); b = b.next()) {
        b.setUserState(-1);
        if (b == last) break;
    }
    // Only text taken out or reformatted, or paragraphs split, can have moved a section's
    // first paragraph; plain typing cannot.
    const int blocks = doc->blockCount();
    markRange(position, position + added, removed > 0 || blocks != m_blockCount);
    m_blockCount = blocks;
    for (size_t i = 0; i < m_loose.size(); ++i)
        if (m_loose[i]) m_dirty[i] = true;
    // A section's first paragraph gone, come or retagged: all are looked at again (rare,
    // and cheap enough).
    std::vector<int> order = sectionOrder();
    if (order != m_sectionOrder) m_allDirty = true;
    m_sectionOrder = std::move(order);
    m_later.start();
}

void PlanProgress::markRange(int from, int to, bool startsMayMove) {
    auto mark = [this](int number) {
        if (number >= 1 && number <= sectionCount()) m_dirty[number - 1] = true;
    };
    // The section holding the change, and the one before it, which ends where the change
    // may have moved a section's first paragraph to.
    const int holding = sectionAt(from);
    mark(holding);
    if (from > 0) mark(sectionAt(from - 1));
    // Every section starting inside the change (a stretch retagged across sections), and
    // when starts may have moved, the next one after it, whose first paragraph may have
    // just joined the one before.
    const std::vector<TagIndex::Run>& runs = m_text.tagIndex().runs(TagIndex::PTag);
    for (auto it = std::upper_bound(runs.begin(), runs.end(), from,
                                    [](int p, const TagIndex::Run& r) { return p < r.start; });
         it != runs.end(); ++it) {
        if (it->value == 0) continue;
        const int number = numberOfTag(it->value);
        if (it->start > to && !startsMayMove) break;
        mark(number);
        if (it->start > to && number != holding) break;
    }
}

std::vector<int> PlanProgress::sectionOrder() {
    std::vector<int> order;
    for (const TagIndex::Run& r : m_text.tagIndex().runs(TagIndex::PTag))
        if (r.value != 0) order.push_back(r.value);
    return order;
}

int PlanProgress::sectionAt(int position) {
    const std::vector<TagIndex::Run>& runs = m_text.tagIndex().runs(TagIndex::PTag);
    auto it = std::upper_bound(runs.begin(), runs.end(), position,
                               [](int p, const TagIndex::Run& r) { return p < r.start; });
    if (it == runs.begin()) return 0;
    --it;
    // Paragraphs without a tag belong to the section whose first paragraph is before them.
    if (it->value == 0) {
        if (it == runs.begin()) return 0;
        --it;
    }
    const int number = numberOfTag(it->value);
    return number >= 1 && number <= sectionCount() ? number : 0;
}

bool PlanProgress::paragraphIsOwn(const QTextBlock& block) const {
    const int mark = block.userState();
    if (mark >= 0 && (mark >> 1) == m_generation) return mark & 1;
    const bool own = !m_template.isTemplateText(PlanTemplate::skeleton(block));
    QTextBlock(block).setUserState((m_generation << 1) | (own ? 1 : 0));
    return own;
}

TextPiece PlanProgress::extent(int number) {
    TextPiece e;
    if (!FindSectionExtent(m_text.tagIndex(), *document(), tagOf(number), &e)) e = {};
    return e;
}

bool PlanProgress::hasOwnText(int number) {
    const TextPiece e = extent(number);
    for (QTextBlock b = document()->findBlock(e.start); b.isValid() && b.position() < e.end;
         b = b.next())
        if (paragraphIsOwn(b)) return true;
    return false;
}

QList<TextPiece> PlanProgress::pieces(int number, int htag) {
    const TextPiece e = extent(number);
    if (e.end <= e.start) return {};
    return TaggedPieces(m_text.tagIndex(), *document(), e, htag);
}

void PlanProgress::compute(int number) {
    Section s;
    QTextDocument* doc = document();
    TagIndex& index = m_text.tagIndex();
    const int tag = tagOf(number);
    TextPiece e;
    bool byTextTag = false;
    s.found = FindSectionExtent(index, *doc, tag, &e, &byTextTag);
    m_loose[number - 1] = !s.found || byTextTag;
    if (s.found) {
        const QList<TextPiece> prompts = TaggedPieces(index, *doc, e, kPrompt);
        s.prompts = int(prompts.size());
        for (const TextPiece& p : prompts)
            s.promptChars += p.end - p.start;
        for (QTextBlock b = doc->findBlock(e.start); b.isValid() && b.position() < e.end;
             b = b.next()) {
            if (paragraphIsOwn(b)) {
                s.ownText = true;
                break;
            }
        }
    }
    const int templatePrompts = m_template.prompts(tag);
    const bool everyPromptLeft =
        templatePrompts == 0 ||
        (s.prompts >= templatePrompts && s.promptChars >= m_template.promptChars(tag));
    s.nothingToWrite = s.found && !m_template.isEmpty() && templatePrompts == 0 &&
                       s.prompts == 0 && !s.ownText;
    if (!s.found)
        s.state = NotStarted;
    else if (s.prompts == 0 && s.ownText)
        s.state = Done;
    else if (!s.ownText && everyPromptLeft)
        s.state = NotStarted;
    else
        s.state = InProgress;
    m_sections[number - 1] = s;
}

QList<int> PlanProgress::refresh() {
    m_later.stop();
    if (!m_active || !document()) return {};
    QElapsedTimer timer;
    timer.start();
    if (document() != m_doc) follow(document());
    const bool all = m_allDirty;
    if (all) {
        m_sectionOrder = sectionOrder();
        m_blockCount = document()->blockCount();
    }
    QList<int> looked, changed;
    for (int n = 1; n <= sectionCount(); ++n) {
        if (!all && !m_dirty[n - 1]) continue;
        const State before = m_sections[n - 1].state;
        compute(n);
        looked.append(n);
        if (all || m_sections[n - 1].state != before) changed.append(n);
    }
    m_allDirty = false;
    std::fill(m_dirty.begin(), m_dirty.end(), false);
    m_lastRefreshMicros = timer.nsecsElapsed() / 1000;
    if (!looked.isEmpty()) emit refreshed(looked, changed);
    return looked;
}

const PlanProgress::Section& PlanProgress::section(int number) const {
    static const Section none;
    if (number < 1 || number > sectionCount()) return none;
    return m_sections[number - 1];
}

int PlanProgress::doneCount() const {
    return int(std::count_if(m_sections.begin(), m_sections.end(),
                             [](const Section& s) { return s.state == Done; }));
}

int PlanProgress::sectionsToWrite() const {
    return int(std::count_if(m_sections.begin(), m_sections.end(),
                             [](const Section& s) { return !s.nothingToWrite; }));
}

int PlanProgress::sectionsWithPrompts() const {
    return int(std::count_if(m_sections.begin(), m_sections.end(),
                             [](const Section& s) { return s.prompts > 0; }));
}

PlanProgress::State PlanProgress::combine(const QList<State>& states) {
    if (states.isEmpty()) return NotStarted;
    const bool allDone =
        std::all_of(states.begin(), states.end(), [](State s) { return s == Done; });
    if (allDone) return Done;
    const bool noneBegun =
        std::all_of(states.begin(), states.end(), [](State s) { return s == NotStarted; });
    return noneBegun ? NotStarted : InProgress;
}
