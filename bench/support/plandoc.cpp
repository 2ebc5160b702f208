#include "support/plandoc.h"

#include "controls/text/textformat.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <cstdint>

namespace {

// A fixed generator so that every run of a benchmark measures the same document.
struct Lcg {
    uint32_t s;
    uint32_t next() { return s = s * 1664525u + 1013904223u; }
    int below(int n) { return int((next() >> 8) % uint32_t(n)); }
};

const char* const kWords[] = {
    "market",  "customer",  "product",     "price",        "promotion", "channel", "growth",
    "share",   "segment",   "target",      "competitor",   "strategy",  "brand",   "service",
    "quality", "value",     "budget",      "sales",        "profit",    "margin",  "forecast",
    "the",     "and",       "of",          "to",           "a",         "in",      "our",
    "is",      "for",       "with",        "will",         "by",        "we",      "their",
    "plan",    "objective", "advertising", "distribution", "café",      "£100",    "résumé",
};
constexpr int kWordCount = int(sizeof(kWords) / sizeof(kWords[0]));

QString words(Lcg& rng, int count) {
    QString s;
    s.reserve(count * 8);
    for (int i = 0; i < count; ++i) {
        if (i) s += QLatin1Char(' ');
        s += QString::fromUtf8(kWords[rng.below(kWordCount)]);
    }
    s += QLatin1Char('.');
    return s;
}

} // namespace

int planSectionTag(int number) {
    return number == 1 ? 99 : number - 1;
}

QTextDocument* makePlanDocument(int pages, QObject* parent) {
    auto* doc = new QTextDocument(parent);
    doc->setUndoRedoEnabled(false);
    QFont base(QStringLiteral("Arial"));
    base.setPointSizeF(11);
    doc->setDefaultFont(base);

    Lcg rng{12345};
    QTextCursor cur(doc);
    cur.beginEditBlock();

    QTextCharFormat plain;
    plain.setFontFamilies({QStringLiteral("Arial")});
    plain.setFontPointSize(11);
    plain.setForeground(QColor(Qt::black));

    QTextCharFormat heading = plain;
    heading.setFontWeight(QFont::Bold);
    heading.setFontPointSize(14);

    QTextCharFormat prompt = plain;
    prompt.setForeground(QColor(0, 0, 255));
    prompt.setProperty(TextFormat::HTagProperty, 1);

    QTextCharFormat note = plain;
    note.setForeground(QColor(255, 0, 0));
    note.setFontItalic(true);
    note.setProperty(TextFormat::HTagProperty, 999);
    note.setProperty(TextFormat::HiddenProperty, true);

    QTextCharFormat emphasis = plain;
    emphasis.setFontItalic(true);

    QTextBlockFormat body;
    body.setAlignment(Qt::AlignJustify);
    QTextBlockFormat indented = body;
    indented.setLeftMargin(36);
    indented.setTextIndent(-18);

    bool first = true;
    auto newBlock = [&](const QTextBlockFormat& bf, const QTextCharFormat& cf) {
        if (first) {
            cur.setBlockFormat(bf);
            cur.setBlockCharFormat(cf);
            first = false;
        } else {
            cur.insertBlock(bf, cf);
        }
    };
    auto withTag = [](QTextCharFormat f, int ntag) {
        f.setProperty(TextFormat::NTagProperty, ntag);
        return f;
    };

    int section = 0;
    for (int page = 0; page < pages; ++page) {
        const int pageSection = pages > 0 ? page * kPlanSections / pages + 1 : 1;
        const int ntag = planSectionTag(pageSection);
        if (pageSection != section) {
            section = pageSection;
            QTextBlockFormat hb;
            hb.setProperty(TextFormat::PTagProperty, ntag);
            const QTextCharFormat hf = withTag(heading, ntag);
            newBlock(hb, hf);
            cur.insertText(QStringLiteral("%1. Section heading %1").arg(section), hf);
        }
        // About 500 words a page: one prompt, one hidden note, seven body paragraphs.
        const QTextCharFormat pf = withTag(prompt, ntag);
        newBlock(body, pf);
        cur.insertText(QStringLiteral("{Enter ") + words(rng, 14) + QStringLiteral("}"), pf);

        const QTextCharFormat nf = withTag(note, ntag);
        newBlock(body, nf);
        cur.insertText(QStringLiteral("Note: ") + words(rng, 20), nf);

        const QTextCharFormat tf = withTag(plain, ntag);
        const QTextCharFormat ef = withTag(emphasis, ntag);
        for (int p = 0; p < 7; ++p) {
            newBlock(p == 3 ? indented : body, tf);
            const int runs = 3;
            for (int r = 0; r < runs; ++r) {
                cur.insertText(words(rng, 21) + QLatin1Char(' '), (r == 1) ? ef : tf);
            }
        }
    }
    cur.endEditBlock();
    return doc;
}
