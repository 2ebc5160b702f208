#include "support/pdftext.h"

// This code holds qpdf's objects in std::shared_ptr only, never in its old PointerHolder.
#define POINTERHOLDER_TRANSITION 4
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <QProcess>
#include <QRegularExpression>

#include <algorithm>

namespace {

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

int pdfPageCount(const QString& pdf) {
    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption)
            .match(info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QString pdfText(const QString& pdf, int page) {
    QStringList args;
    if (page > 0)
        args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l")
             << QString::number(page);
    args << pdf << QStringLiteral("-");
    return run(QStringLiteral("pdftotext"), args);
}

QList<PdfWord> pdfWords(const QString& pdf) {
    const QString html = run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf,
                                                          QStringLiteral("-")});
    QList<PdfWord> words;
    static const QRegularExpression tag(
        QStringLiteral("<page |<word xMin=\"([-0-9.]+)\" yMin=\"([-0-9.]+)\" xMax=\"([-0-9.]+)\" "
                       "yMax=\"([-0-9.]+)\">([^<]*)</word>"));
    int page = 0;
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(0).startsWith(QLatin1String("<page"))) {
            ++page;
            continue;
        }
        PdfWord w;
        w.page = page;
        // pdftotext writes XML: the characters it escapes come back as they were.
        w.text = m.captured(5)
                     .replace(QLatin1String("&quot;"), QLatin1String("\""))
                     .replace(QLatin1String("&apos;"), QLatin1String("'"))
                     .replace(QLatin1String("&lt;"), QLatin1String("<"))
                     .replace(QLatin1String("&gt;"), QLatin1String(">"))
                     .replace(QLatin1String("&amp;"), QLatin1String("&"));
        w.box = QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                       QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()));
        words.append(w);
    }
    return words;
}

PdfWord pdfWord(const QList<PdfWord>& words, const QString& text) {
    for (const PdfWord& w : words)
        if (w.text == text) return w;
    return {};
}

QString pdfInfoField(const QString& pdf, const QString& field) {
    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(field) +
                               QStringLiteral(":\\s+(.*)$"),
                           QRegularExpression::MultilineOption)
            .match(info);
    return m.hasMatch() ? m.captured(1).trimmed() : QString();
}

QList<PdfOutlineItem> pdfOutline(const QString& pdf) {
    const QString xml = run(QStringLiteral("pdftohtml"),
                            {QStringLiteral("-xml"), QStringLiteral("-i"), QStringLiteral("-q"),
                             QStringLiteral("-stdout"), pdf});
    QList<PdfOutlineItem> items;
    static const QRegularExpression tag(
        QStringLiteral("<outline>|</outline>|<item page=\"(\\d+)\">([^<]*)</item>"));
    int depth = -1;
    for (auto it = tag.globalMatch(xml); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(0) == QLatin1String("<outline>")) ++depth;
        else if (m.captured(0) == QLatin1String("</outline>")) --depth;
        else {
            QString title = m.captured(2);
            title.replace(QLatin1String("&amp;"), QLatin1String("&"))
                .replace(QLatin1String("&lt;"), QLatin1String("<"))
                .replace(QLatin1String("&gt;"), QLatin1String(">"))
                .replace(QLatin1String("&quot;"), QLatin1String("\""))
                .replace(QLatin1String("&#39;"), QLatin1String("'"));
            items.append({title, m.captured(1).toInt(), std::max(0, depth)});
        }
    }
    return items;
}

QList<PdfPageLink> pdfLinks(const QString& pdf) {
    QList<PdfPageLink> links;
    try {
        QPDF doc;
        doc.setSuppressWarnings(true);
        doc.processFile(pdf.toLocal8Bit().constData());
        const std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(doc).getAllPages();
        for (size_t p = 0; p < pages.size(); ++p) {
            QPDFObjectHandle page = pages[p].getObjectHandle();
            const double height = page.getKey("/MediaBox").getArrayItem(3).getNumericValue();
            QPDFObjectHandle annots = page.getKey("/Annots");
            if (!annots.isArray()) continue;
            for (int i = 0; i < annots.getArrayNItems(); ++i) {
                QPDFObjectHandle a = annots.getArrayItem(i);
                if (!a.isDictionary() || a.getKey("/Subtype").getName() != "/Link") continue;
                QPDFObjectHandle r = a.getKey("/Rect");
                PdfPageLink link;
                link.page = int(p) + 1;
                const double x0 = r.getArrayItem(0).getNumericValue();
                const double y0 = r.getArrayItem(1).getNumericValue();
                const double x1 = r.getArrayItem(2).getNumericValue();
                const double y1 = r.getArrayItem(3).getNumericValue();
                link.box = QRectF(QPointF(std::min(x0, x1), height - std::max(y0, y1)),
                                  QPointF(std::max(x0, x1), height - std::min(y0, y1)));
                QPDFObjectHandle dest = a.getKey("/Dest");
                if (dest.isArray() && dest.getArrayNItems() > 0) {
                    const QPDFObjGen target = dest.getArrayItem(0).getObjGen();
                    for (size_t t = 0; t < pages.size(); ++t)
                        if (pages[t].getObjectHandle().getObjGen() == target) link.target = int(t) + 1;
                }
                links << link;
            }
        }
    } catch (const std::exception&) {
        links.clear();
    }
    return links;
}
