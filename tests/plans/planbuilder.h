#pragma once

#include "controls/text/textformat.h"

#include <QFile>
#include <QList>
#include <QString>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

// Builds plan texts for the plan tests: each section opens with a heading paragraph that
// carries the section's PTag, and all of its text carries its NTag.
namespace PlanBuilder {

inline int sectionTag(int number) {
    return number == 1 ? 99 : number - 1;
}

struct Run {
    QString text;
    int htag = 0;
    int colour = 0; // red + 256 * green + 65536 * blue
    bool hidden = false;
};

inline QTextCharFormat runFormat(int ntag, const Run& r) {
    QTextCharFormat f;
    f.setFontFamilies({QStringLiteral("DejaVu Sans")});
    f.setFontPointSize(11);
    f.setProperty(TextFormat::NTagProperty, ntag);
    f.setProperty(TextFormat::HTagProperty, r.htag);
    f.setForeground(TextFormat::fromWinColor(r.colour));
    if (r.hidden) f.setProperty(TextFormat::HiddenProperty, true);
    return f;
}

// Appends a paragraph of runs; ptag 0 means no section starts here.
inline void addParagraph(QTextCursor& c, bool first, int ptag, int ntag, const QList<Run>& runs) {
    QTextBlockFormat b;
    if (ptag != 0) b.setProperty(TextFormat::PTagProperty, ptag);
    if (first)
        c.setBlockFormat(b);
    else
        c.insertBlock(b);
    for (const Run& r : runs)
        c.insertText(r.text, runFormat(ntag, r));
}

// A plan of `sections` sections, `paragraphs` body paragraphs each, with one blue prompt
// in every section.
inline QTextDocument* makePlan(int sections, int paragraphs = 6) {
    auto* doc = new QTextDocument;
    QTextCursor c(doc);
    bool first = true;
    for (int s = 1; s <= sections; ++s) {
        const int tag = sectionTag(s);
        addParagraph(c, first, tag, tag, {{QStringLiteral("Section %1").arg(s)}});
        first = false;
        addParagraph(c, false, 0, tag,
                     {{QStringLiteral("Write here: ")},
                      {QStringLiteral("[prompt of section %1]").arg(s), 1, 255 * 65536}});
        for (int p = 0; p < paragraphs; ++p)
            addParagraph(c, false, 0, tag,
                         {{QStringLiteral("Body text of section %1, paragraph %2, long enough "
                                          "to wrap across the line at least once or twice.")
                               .arg(s)
                               .arg(p)}});
    }
    return doc;
}

// The paragraph number that opens a section in a plan made by makePlan.
inline int firstParagraphOf(int number, int paragraphs = 6) {
    return (number - 1) * (paragraphs + 2);
}

inline bool writeText(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace PlanBuilder
