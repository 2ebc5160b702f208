#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QTextCursor;
class QTextDocument;

// Reads RTF: the control's own files (with the tag words \tzhtagN, \tzntagN, \tzptagN)
// and RTF written by other programs, whose unknown parts are skipped.
//
// Any input is safe: nesting deeper than maxDepth is refused, numbers are clamped, and a
// truncated or unbalanced file is read as far as it goes. Input that does not begin with
// "{\rtf" is refused; the caller decides whether to take it as plain text.
class RtfReader {
public:
    static constexpr int maxDepth = 1000;

    // Replaces the contents of `into`. On failure returns false, sets `error` and leaves
    // `into` untouched. `complete` tells whether the text ended where its groups close
    // (false for a file cut short, which is still read as far as it goes).
    // `notes` receives what was read but could not be taken in as it is, in the program's
    // words (pictures too large or damaged to show, which are kept as grey boxes).
    static bool read(const QByteArray& rtf, QTextDocument* into, QString* error = nullptr,
                     bool* complete = nullptr, QStringList* notes = nullptr);

    // Inserts the text at the cursor, replacing its selection (pasting formatted text).
    // The first paragraph joins the cursor's paragraph, which keeps its format unless
    // `firstTakesFormat` (the text replaces whole paragraphs). On failure nothing is changed.
    // With `wholeParagraphs`, text of several paragraphs put at the start of a paragraph
    // goes in as paragraphs of their own: the first keeps its format (a section heading its
    // tags) and the paragraph the text went into keeps its own after the last break.
    static bool insert(const QByteArray& rtf, QTextCursor* at, QString* error = nullptr,
                       bool firstTakesFormat = false, bool wholeParagraphs = false,
                       QStringList* notes = nullptr);

    // Whether the data looks like RTF at all (begins with "{\rtf" after white space).
    static bool isRtf(const QByteArray& data);
};
