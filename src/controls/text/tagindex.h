#pragma once

#include <optional>
#include <unordered_map>
#include <vector>

class QTextDocument;

// Where the runs of each tag value lie in a document, kept in step with its edits so that
// the tag searches of the text control do not walk the document on every call.
//
// A run is a maximal stretch of characters carrying the same value. Paragraph breaks carry
// no value of their own. A section's text tag (NTag) goes on across a break when the text
// on both sides has the same value, so that it forms one run over all the section's
// paragraphs. The kind of text (HTag) ends with its paragraph: a prompt at the end of one
// paragraph and another at the start of the next (even with empty paragraphs between)
// are two runs, never one that a search would select across the break. For the paragraph
// tag each paragraph's text (without its break) is one stretch, so an empty paragraph
// makes an empty stretch that still counts.
class TagIndex {
public:
    enum Kind { HTag = 0, NTag = 1, PTag = 2 };
    struct Run {
        int start = 0; // first character
        int end = 0;   // one past the last character
        int value = 0;
        bool operator==(const Run&) const = default;
    };

    explicit TagIndex(QTextDocument* doc = nullptr);

    // Follows a new document (or none); everything is read again on the next look-up.
    void setDocument(QTextDocument* doc);
    // To be called with QTextDocument::contentsChange's arguments.
    void contentsChange(int position, int charsRemoved, int charsAdded);
    // Forget everything; the next look-up reads the whole document.
    void invalidate();

    // The first run of the value starting after `from` (at or after it when `inclusive`).
    std::optional<Run> findForward(Kind kind, int value, int from, bool inclusive);
    // The last run of the value starting before `before`.
    std::optional<Run> findBackward(Kind kind, int value, int before);
    // The run that holds the character at `position` (start <= position < end), or for the
    // paragraph tag the run of the paragraph holding the position.
    std::optional<Run> runAt(Kind kind, int position);

    // All runs in document order (kept index).
    const std::vector<Run>& runs(Kind kind);
    // All runs read straight from the document, without the index.
    static std::vector<Run> scan(const QTextDocument& doc, Kind kind);

private:
    struct Table {
        std::vector<Run> runs; // sorted by start, no overlaps, neighbours differ in value
        std::unordered_map<int, std::vector<int>> starts; // value -> sorted run starts
    };

    void ensureBuilt();
    void build();
    void update(Kind kind, int position, int charsRemoved, int charsAdded);
    static std::vector<Run> scanRange(const QTextDocument& doc, Kind kind, int from, int to);
    // Whether runs of a kind go on over paragraph breaks.
    static bool joinsAcrossBreaks(Kind kind) { return kind != HTag; }
    static void appendRun(std::vector<Run>& runs, Run run, bool acrossBreaks);
    void addStart(Table& t, int value, int start);
    void removeStart(Table& t, int value, int start);
    int runIndexByStart(const Table& t, int start) const;
    bool isText(int position) const; // a character of a paragraph, not a break

    QTextDocument* doc_ = nullptr;
    bool built_ = false;
    Table tables_[3];
};
