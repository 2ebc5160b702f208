#include "controls/text/tagindex.h"

#include "controls/text/textformat.h"

#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

namespace {

// Above this many characters changed at once, reading the whole document again on the
// next look-up costs no more than patching the index.
constexpr int kRebuildThreshold = 200000;

int charProperty(TagIndex::Kind kind) {
    return kind == TagIndex::HTag ? TextFormat::HTagProperty : TextFormat::NTagProperty;
}

} // namespace

TagIndex::TagIndex(QTextDocument* doc) : doc_(doc) {}

void TagIndex::setDocument(QTextDocument* doc) {
    doc_ = doc;
    invalidate();
}

void TagIndex::invalidate() {
    built_ = false;
    for (Table& t : tables_) {
        t.runs.clear();
        t.starts.clear();
    }
}

void TagIndex::ensureBuilt() {
    if (!built_) build();
}

void TagIndex::build() {
    for (int k = 0; k < 3; ++k) {
        Table& t = tables_[k];
        t.runs.clear();
        t.starts.clear();
        if (doc_) t.runs = scan(*doc_, Kind(k));
        for (const Run& r : t.runs)
            t.starts[r.value].push_back(r.start); // runs come in order, so each list is sorted
    }
    built_ = true;
}

void TagIndex::contentsChange(int position, int charsRemoved, int charsAdded) {
    if (!built_ || !doc_) return;
    if (charsRemoved + charsAdded > kRebuildThreshold) {
        invalidate();
        return;
    }
    for (int k = 0; k < 3; ++k)
        update(Kind(k), position, charsRemoved, charsAdded);
}

void TagIndex::appendRun(std::vector<Run>& runs, Run run, bool acrossBreaks) {
    // Runs of one paragraph touch; a break (at least one character) lies between runs of
    // different paragraphs.
    if (!runs.empty() && runs.back().value == run.value &&
        (acrossBreaks || runs.back().end >= run.start)) {
        runs.back().end = std::max(runs.back().end, run.end);
        return;
    }
    runs.push_back(run);
}

std::vector<TagIndex::Run> TagIndex::scanRange(const QTextDocument& doc, Kind kind, int from,
                                               int to) {
    std::vector<Run> runs;
    QTextBlock block = doc.findBlock(from);
    if (kind == PTag) {
        // Whole paragraphs: every paragraph from the one holding `from` up to the last one
        // starting at or before `to`.
        for (; block.isValid(); block = block.next()) {
            const int pos = block.position();
            if (pos > to && !runs.empty()) break;
            const int value = block.blockFormat().intProperty(TextFormat::PTagProperty);
            appendRun(runs, Run{pos, pos + block.length() - 1, value}, true);
        }
        return runs;
    }
    const int property = charProperty(kind);
    for (; block.isValid() && block.position() < to; block = block.next()) {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid()) continue;
            if (fragment.position() >= to) break;
            const int start = std::max(fragment.position(), from);
            const int end = std::min(fragment.position() + fragment.length(), to);
            if (start >= end) continue;
            appendRun(runs, Run{start, end, fragment.charFormat().intProperty(property)},
                      joinsAcrossBreaks(kind));
        }
    }
    return runs;
}

std::vector<TagIndex::Run> TagIndex::scan(const QTextDocument& doc, Kind kind) {
    return scanRange(doc, kind, 0, doc.characterCount());
}

void TagIndex::addStart(Table& t, int value, int start) {
    std::vector<int>& v = t.starts[value];
    v.insert(std::lower_bound(v.begin(), v.end(), start), start);
}

void TagIndex::removeStart(Table& t, int value, int start) {
    auto found = t.starts.find(value);
    if (found == t.starts.end()) return;
    std::vector<int>& v = found->second;
    auto it = std::lower_bound(v.begin(), v.end(), start);
    if (it != v.end() && *it == start) v.erase(it);
    if (v.empty()) t.starts.erase(found);
}

int TagIndex::runIndexByStart(const Table& t, int start) const {
    auto it = std::lower_bound(t.runs.begin(), t.runs.end(), start,
                               [](const Run& r, int s) { return r.start < s; });
    return int(it - t.runs.begin());
}

bool TagIndex::isText(int position) const {
    const QTextBlock block = doc_->findBlock(position);
    return block.isValid() && position < block.position() + block.length() - 1;
}

void TagIndex::update(Kind kind, int position, int charsRemoved, int charsAdded) {
    Table& t = tables_[kind];
    const int last = doc_->characterCount() - 1; // the final paragraph break
    if (t.runs.empty()) {
        t.runs = scan(*doc_, kind);
        for (const Run& r : t.runs)
            t.starts[r.value].push_back(r.start);
        return;
    }
    const int delta = charsAdded - charsRemoved;
    position = std::clamp(position, 0, last);
    const int addedEnd = std::clamp(position + charsAdded, position, last);

    // Only the changed stretch is read again. For the character tags that is the changed
    // characters; for the paragraph tag, the paragraphs they touch. Runs reaching into it
    // from either side keep their outer parts.
    int from, to;            // the stretch in the new text
    int keepLeft, keepRight; // runs keep [.., keepLeft) and [keepRight, ..) (new text)
    int oldFrom, oldTo;      // the stretch in the old text: runs reaching into it change
    if (kind == PTag) {
        const QTextBlock first = doc_->findBlock(position);
        const QTextBlock lastBlock = doc_->findBlock(addedEnd);
        from = first.position();
        to = lastBlock.position() + lastBlock.length() - 1;
        keepLeft = from - 1; // the text end of the paragraph before
        keepRight = to + 1;  // the start of the paragraph after
        oldFrom = from;
        oldTo = to - delta;
    } else {
        from = position;
        to = addedEnd;
        keepLeft = from;
        keepRight = to;
        oldFrom = position;
        oldTo = position + charsRemoved;
    }

    const int n = int(t.runs.size());
    // [lo, hi): runs overlapping the old stretch (an empty paragraph run inside it counts).
    int lo, hi;
    if (kind == PTag) {
        lo = int(std::partition_point(t.runs.begin(), t.runs.end(),
                                      [&](const Run& r) { return r.end < oldFrom; }) -
                 t.runs.begin());
        hi = int(std::partition_point(t.runs.begin(), t.runs.end(),
                                      [&](const Run& r) { return r.start <= oldTo; }) -
                 t.runs.begin());
    } else {
        lo = int(std::partition_point(t.runs.begin(), t.runs.end(),
                                      [&](const Run& r) { return r.end <= oldFrom; }) -
                 t.runs.begin());
        hi = int(std::partition_point(t.runs.begin(), t.runs.end(),
                                      [&](const Run& r) { return r.start < oldTo; }) -
                 t.runs.begin());
    }
    hi = std::max(hi, lo);
    // The neighbours on both sides take part so that runs which now meet are joined.
    const int rlo = lo > 0 ? lo - 1 : lo;
    const int rhi = hi < n ? hi + 1 : hi;

    const bool across = joinsAcrossBreaks(kind);
    std::vector<Run> merged;
    if (rlo < lo) merged.push_back(t.runs[rlo]);
    if (lo < hi && t.runs[lo].start < from) {
        Run left{t.runs[lo].start, std::max(t.runs[lo].start, keepLeft), t.runs[lo].value};
        if (kind != PTag) // a cut just after a paragraph break ends the run before the break
            while (left.end > left.start && !isText(left.end - 1))
                --left.end;
        if (left.end > left.start || kind == PTag) appendRun(merged, left, across);
    }
    for (const Run& r : scanRange(*doc_, kind, from, to))
        appendRun(merged, r, across);
    if (lo < hi && t.runs[hi - 1].end > oldTo) {
        Run right{keepRight, t.runs[hi - 1].end + delta, t.runs[hi - 1].value};
        if (kind != PTag)
            while (right.start < right.end && !isText(right.start))
                ++right.start;
        if (right.end > right.start || kind == PTag) appendRun(merged, right, across);
    }
    if (rhi > hi)
        appendRun(merged, Run{t.runs[hi].start + delta, t.runs[hi].end + delta, t.runs[hi].value},
                  across);

    for (int i = rlo; i < rhi; ++i)
        removeStart(t, t.runs[i].value, t.runs[i].start);
    if (delta != 0) {
        const int threshold = kind == PTag ? oldTo + 1 : oldTo;
        for (auto& [value, starts] : t.starts) {
            for (auto it = std::lower_bound(starts.begin(), starts.end(), threshold);
                 it != starts.end(); ++it)
                *it += delta;
        }
        for (int i = rhi; i < n; ++i) {
            t.runs[i].start += delta;
            t.runs[i].end += delta;
        }
    }
    t.runs.erase(t.runs.begin() + rlo, t.runs.begin() + rhi);
    t.runs.insert(t.runs.begin() + rlo, merged.begin(), merged.end());
    for (const Run& r : merged)
        addStart(t, r.value, r.start);
}

std::optional<TagIndex::Run> TagIndex::findForward(Kind kind, int value, int from, bool inclusive) {
    ensureBuilt();
    const Table& t = tables_[kind];
    auto found = t.starts.find(value);
    if (found == t.starts.end()) return std::nullopt;
    const std::vector<int>& v = found->second;
    auto it = inclusive ? std::lower_bound(v.begin(), v.end(), from)
                        : std::upper_bound(v.begin(), v.end(), from);
    if (it == v.end()) return std::nullopt;
    return t.runs[runIndexByStart(t, *it)];
}

std::optional<TagIndex::Run> TagIndex::findBackward(Kind kind, int value, int before) {
    ensureBuilt();
    const Table& t = tables_[kind];
    auto found = t.starts.find(value);
    if (found == t.starts.end()) return std::nullopt;
    const std::vector<int>& v = found->second;
    auto it = std::lower_bound(v.begin(), v.end(), before);
    if (it == v.begin()) return std::nullopt;
    return t.runs[runIndexByStart(t, *std::prev(it))];
}

std::optional<TagIndex::Run> TagIndex::runAt(Kind kind, int position) {
    ensureBuilt();
    const Table& t = tables_[kind];
    if (kind == PTag && doc_) {
        const QTextBlock block = doc_->findBlock(position);
        if (block.isValid()) position = block.position();
    }
    auto it = std::upper_bound(t.runs.begin(), t.runs.end(), position,
                               [](int p, const Run& r) { return p < r.start; });
    if (it == t.runs.begin()) return std::nullopt;
    const Run& r = *std::prev(it);
    if (kind == PTag ? position <= r.end : position < r.end) return r;
    return std::nullopt;
}

const std::vector<TagIndex::Run>& TagIndex::runs(Kind kind) {
    ensureBuilt();
    return tables_[kind].runs;
}
