#pragma once

// A canonical text form of a document for comparing documents in the RTF tests: per
// paragraph its alignment, indents (twips) and PTag; per run of equal attributes its text
// and effective attributes. Runs whose effective attributes agree are merged, so two
// documents that look and tag the same dump the same however their formats are split.

#include "controls/text/tablemodel.h"
#include "controls/text/textformat.h"

#include <QFont>
#include <QList>
#include <QString>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

namespace RtfDump {

inline QString escaped(const QString& text) {
    QString out;
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() >= 0x7f || c == u'|')
            out += QStringLiteral("<%1>").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

inline QString charAttributes(const QTextDocument& doc, const QTextCharFormat& f, bool tags) {
    const QStringList families = f.fontFamilies().toStringList();
    const QString family = families.isEmpty() || families.first().isEmpty()
                               ? doc.defaultFont().family()
                               : families.first();
    const double size = f.hasProperty(QTextFormat::FontPointSize) && f.fontPointSize() > 0
                            ? f.fontPointSize()
                            : doc.defaultFont().pointSizeF();
    QString colour = QStringLiteral("auto");
    if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
        colour = f.foreground().color().name();
    QString s =
        QStringLiteral("font=%1 size=%2 colour=%3").arg(escaped(family)).arg(size).arg(colour);
    if (f.fontWeight() >= QFont::DemiBold) s += QStringLiteral(" bold");
    if (f.fontItalic()) s += QStringLiteral(" italic");
    if (f.fontUnderline()) s += QStringLiteral(" underline");
    if (f.fontStrikeOut()) s += QStringLiteral(" strike");
    if (f.boolProperty(TextFormat::HiddenProperty)) s += QStringLiteral(" hidden");
    if (tags) {
        s += QStringLiteral(" htag=%1 ntag=%2")
                 .arg(f.intProperty(TextFormat::HTagProperty))
                 .arg(f.intProperty(TextFormat::NTagProperty));
    }
    return s;
}

inline QString alignmentName(Qt::Alignment a) {
    a &= Qt::AlignHorizontal_Mask;
    if (a & Qt::AlignJustify) return QStringLiteral("justify");
    if (a & Qt::AlignHCenter) return QStringLiteral("centre");
    if (a & Qt::AlignRight) return QStringLiteral("right");
    return QStringLiteral("left");
}

inline QString dump(const QTextDocument& doc, bool tags = true) {
    QString out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        // An empty filler squares off a row that has fewer cells than the table has
        // columns. It is not written, so formats a selection gave it are not the plan's.
        if (const QTextTable* table = QTextCursor(b).currentTable();
            table && isFillerCell(table->cellAt(b.position()))) {
            out += QStringLiteral("P filler\n");
            continue;
        }
        const QTextBlockFormat bf = b.blockFormat();
        out += QStringLiteral("P %1 fi=%2 li=%3 ri=%4")
                   .arg(alignmentName(bf.alignment()))
                   .arg(TextFormat::indentToTwips(bf.textIndent()))
                   .arg(TextFormat::indentToTwips(bf.leftMargin()))
                   .arg(TextFormat::indentToTwips(bf.rightMargin()));
        if (tags) out += QStringLiteral(" ptag=%1").arg(bf.intProperty(TextFormat::PTagProperty));
        out += QLatin1Char('\n');
        QList<QPair<QString, QString>> runs;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            const QString attrs = charAttributes(doc, frag.charFormat(), tags);
            if (!runs.isEmpty() && runs.last().first == attrs)
                runs.last().second += frag.text();
            else
                runs.append({attrs, frag.text()});
        }
        // An empty paragraph is known by the format of its mark alone.
        if (runs.isEmpty())
            out += QStringLiteral("  mark %1\n").arg(charAttributes(doc, b.charFormat(), tags));
        for (const auto& run : runs)
            out += QStringLiteral("  |%1| %2\n").arg(escaped(run.second), run.first);
    }
    return out;
}

} // namespace RtfDump
