#pragma once

#include <QColor>
#include <QTextFormat>

// The document model shared by the text control, its RTF reader and writer, and the
// tools that generate the shipped template. Tags and hidden text are kept as user
// properties of QTextFormat, so they travel with the text through every edit.
namespace TextFormat {

enum Property {
    // Character runs.
    HTagProperty = QTextFormat::UserProperty + 1, // int: 0 user text, 1 blue prompt,
                                                  // 300 placeholder, 999 red note,
                                                  // 1000 settings header
    NTagProperty = QTextFormat::UserProperty + 2, // int: section text tag
    HiddenProperty = QTextFormat::UserProperty + 3, // bool: hidden text
    // Paragraphs (block format).
    PTagProperty = QTextFormat::UserProperty + 10, // int: section's first paragraph tag
    // Reserved for the control's own use (screen-only presentation of hidden runs).
    FirstPrivateProperty = QTextFormat::UserProperty + 100,
};

// Windows colour value (red + 256 * green + 65536 * blue) and back.
inline int toWinColor(const QColor& c) { return c.red() + 256 * c.green() + 65536 * c.blue(); }
inline QColor fromWinColor(int v) { return QColor(v & 0xff, (v >> 8) & 0xff, (v >> 16) & 0xff); }

// 1440 twips per inch, rounded to the nearest integer when converted.
inline int pointsToTwips(double pt) { return int(pt * 20.0 + (pt >= 0 ? 0.5 : -0.5)); }
inline double twipsToPoints(int tw) { return tw / 20.0; }

// Paragraph indents are kept in QTextBlockFormat as lengths the layout draws in pixels of
// a 96-dpi screen (15 twips each), so that an inch of indent is an inch on screen.
inline double twipsToIndent(int tw) { return tw / 15.0; }
inline int indentToTwips(double length) {
    return int(length * 15.0 + (length >= 0 ? 0.5 : -0.5));
}

} // namespace TextFormat
