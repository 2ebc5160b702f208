#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <vector>

class QTextBlock;
class QTextDocument;
class TagIndex;
class TextControl;

// A stretch of the plan text: [start, end) in the text control's positions.
struct TextPiece {
    int start = 0;
    int end = 0;
    bool operator==(const TextPiece&) const = default;
};

// Where a section lies in a document: from its first paragraph (the one carrying its
// PTag) up to the next paragraph that opens another section. Without its first paragraph
// (a user deleted it) the section is the stretch its text tag (NTag) covers. Nothing when
// neither is in the document. `byTextTag` tells whether the text tag had to serve.
bool FindSectionExtent(TagIndex& index, const QTextDocument& doc, int tag, TextPiece* extent,
                       bool* byTextTag = nullptr);

// The pieces of the runs carrying an HTag value inside a stretch, cut at paragraph breaks:
// a prompt list of three bullets is three pieces though the tag runs over the breaks.
QList<TextPiece> TaggedPieces(TagIndex& index, const QTextDocument& doc, const TextPiece& within,
                              int htag);

// The template a plan was made from, as far as its progress needs it: how many prompts
// each section had, and the paragraphs of text it wrote, so that the owner's own words can
// be told from the template's though both carry the user-text tag.
//
// A paragraph is compared by its skeleton: its visible user-text characters without any
// white space. The template's placeholders ("[BusinessName]", "[SBUName]") were replaced
// by the company details when the plan was first opened. With the names given, they stand
// for what the load wrote; besides (and without the names), a placeholder with template
// text around it stands for any non-empty text, the same wherever the same placeholder
// stands in one paragraph. A paragraph that is a placeholder alone needs the names.
class PlanTemplate {
public:
    PlanTemplate() = default;
    explicit PlanTemplate(const QTextDocument& original);
    // The template read from a plan file; an empty template when it cannot be read.
    static PlanTemplate fromFile(const QString& fileName);
    // The company name and the SBU name the plan's placeholders were filled with.
    void setNames(const QString& businessName, const QString& sbuName);

    bool isEmpty() const { return m_exact.isEmpty() && m_patterns.isEmpty(); }
    // Prompt pieces of a section (by its tag) in the template, and their characters.
    int prompts(int tag) const { return m_prompts.value(tag).first; }
    int promptChars(int tag) const { return m_prompts.value(tag).second; }
    // Whether a skeleton is one the template wrote.
    bool isTemplateText(const QString& skeleton) const;

    // The skeleton of a paragraph of a plan: its visible characters tagged as user text,
    // white space left out.
    static QString skeleton(const QTextBlock& block);

private:
    struct Pattern {
        QStringList pieces; // the literal text around each placeholder
        QList<int> kinds;   // the placeholder between pieces[i] and pieces[i + 1]
    };
    bool matches(const Pattern& p, const QString& s) const;

    QSet<QString> m_exact;
    QList<Pattern> m_patterns;
    QSet<QString> m_filled; // the patterns filled with the names
    QHash<int, QPair<int, int>> m_prompts; // tag -> (pieces, characters)
};

// How far the owner has got with each section of the open plan, kept current as the text
// changes. An edit marks the sections it touched; the next refresh (run by itself once the
// edit is over, or called directly) looks again at those sections alone, from the tag
// index and from a mark kept with each paragraph saying whether it holds the owner's own
// words.
//
// A section is
// - not started: every prompt the template gave it is still there, and no own text;
// - done: no prompt left, and some text of the owner's own;
// - in progress: anything between.
// Sections are numbered from 1 as the navigator numbers them; the section tag of number n
// is n - 1, or 99 for the first.
class PlanProgress : public QObject {
    Q_OBJECT
public:
    enum State { NotStarted = 0, InProgress = 1, Done = 2 };

    struct Section {
        State state = NotStarted;
        bool found = false; // the section is in the text
        int prompts = 0; // prompt pieces left
        int promptChars = 0;
        bool ownText = false;
        // A part heading: the template gave it no prompt, and it holds nothing but the
        // template's own words. It has nothing to do, so it is neither counted nor marked.
        bool nothingToWrite = false;
    };

    explicit PlanProgress(TextControl& text, QObject* parent = nullptr);

    // Sections 1..count are followed while active; an inactive tracker (no plan open)
    // knows nothing and does no work.
    void setSectionCount(int count);
    int sectionCount() const { return int(m_sections.size()); }
    void setActive(bool active);
    bool isActive() const { return m_active; }
    void setTemplate(PlanTemplate tmpl);
    const PlanTemplate& planTemplate() const { return m_template; }
    // The names the plan's placeholders were filled with (see PlanTemplate::setNames).
    void setPlaceholderNames(const QString& businessName, const QString& sbuName);

    // Looks again at the sections touched since the last refresh and returns their
    // numbers. Emits refreshed() when there were any.
    QList<int> refresh();
    // Everything is looked at again on the next refresh.
    void invalidateAll();

    // As of the last refresh.
    const Section& section(int number) const;
    State state(int number) const { return section(number).state; }
    int doneCount() const;
    int sectionsWithPrompts() const;
    // Sections that have something to write: all but the untouched part headings.
    int sectionsToWrite() const;

    // The state a heading shows for itself and the sections below it: done when all are,
    // not started when none has begun, in progress otherwise.
    static State combine(const QList<State>& states);
    static int tagOf(int number) { return number == 1 ? 99 : number - 1; }
    static int numberOfTag(int tag) { return tag == 99 ? 1 : tag + 1; }

    // The section holding a position (0 when none does), by the paragraph tags.
    int sectionAt(int position);
    // Where a section lies now (see FindSectionExtent); empty at 0 when it is not there.
    TextPiece extent(int number);
    // Pieces of a section's runs carrying an HTag value (prompts 1, notes 999).
    QList<TextPiece> pieces(int number, int htag);
    // Whether the owner's own words stand in a section (refreshes the paragraph marks it
    // needs).
    bool hasOwnText(int number);
    // Whether a paragraph of the plan holds words the template did not write.
    bool isOwnParagraph(const QTextBlock& block) const { return paragraphIsOwn(block); }

    // How long the last refresh took, in microseconds (for the status of a long plan).
    qint64 lastRefreshMicros() const { return m_lastRefreshMicros; }

signals:
    // After a refresh: the sections looked at again, and those whose state changed.
    void refreshed(const QList<int>& sections, const QList<int>& stateChanged);

private:
    QTextDocument* document() const;
    void follow(QTextDocument* doc);
    void contentsChange(int position, int removed, int added);
    void markRange(int from, int to, bool startsMayMove);
    std::vector<int> sectionOrder();
    void compute(int number);
    bool paragraphIsOwn(const QTextBlock& block) const;

    TextControl& m_text;
    QPointer<QTextDocument> m_doc;
    bool m_active = false;
    PlanTemplate m_template;
    std::vector<Section> m_sections; // index number - 1
    std::vector<bool> m_dirty;
    // Sections without their first paragraph, or not in the text at all: any edit may
    // bring them back or change where they lie, so every edit looks at them again.
    std::vector<bool> m_loose;
    bool m_allDirty = true;
    std::vector<int> m_sectionOrder; // the sections' first paragraphs' tags, in order
    int m_blockCount = 0;
    // The paragraph marks carry this generation; a new template or document makes all of
    // them stale at once. Generations are never reused, by any tracker.
    int m_generation = 0;
    QTimer m_later;
    qint64 m_lastRefreshMicros = 0;
};
