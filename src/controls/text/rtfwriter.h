#pragma once

#include <QByteArray>

class QTextCursor;
class QTextDocument;

// Writes a QTextDocument as RTF.
//
// Native is the control's own file format: RTF carrying the tags of the document model
// as three control words of our own, \tzhtagN and \tzntagN on characters and \tzptagN on
// paragraphs. Standard is the same RTF without them, for other programs; hidden text is
// kept in both as \v.
class RtfWriter {
public:
    enum Flavor { Native, Standard };

    static QByteArray write(const QTextDocument& doc, Flavor flavor = Native);
    // The selected text of `selection` (for the clipboard and formatted selections).
    static QByteArray write(const QTextCursor& selection, Flavor flavor = Native);
};
