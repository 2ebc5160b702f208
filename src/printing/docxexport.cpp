#include "printing/docxexport.h"

#include "controls/text/pictures.h"
#include "controls/text/tableformat.h"
#include "controls/text/tablemodel.h"
#include "controls/text/textcontrol.h"
#include "controls/text/textformat.h"
#include "platform/safefile.h"

#include <QBuffer>
#include <QDateTime>
#include <QImageWriter>
#include <QHash>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QUrl>
#include <QXmlStreamWriter>

#include <zip.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

const QString kW = QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main");
const QString kR =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
const QString kRelsNs =
    QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships");
const QString kRelType = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/");
const QString kMain =
    QStringLiteral("application/vnd.openxmlformats-officedocument.wordprocessingml.");

// The styles the headings use; Word and LibreOffice both know these ids and list their
// paragraphs by the outline level the style gives.
const QString kHeading1 = QStringLiteral("Heading1");
const QString kHeading2 = QStringLiteral("Heading2");

const QString kWp =
    QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing");
const QString kA = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/main");
const QString kPic = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/picture");

// A picture's file in word/media.
struct Media {
    QString id;   // its relationship
    QByteArray part; // "word/media/image1.png"
    QByteArray data;
};

// Whether XML 1.0 can carry the character: Word refuses a document with any other.
bool xmlCharacter(char16_t c) {
    return c == u'\t' || c == u'\n' || c == u'\r' || (c >= 0x20 && c < 0xD800) ||
           (c >= 0xE000 && c != 0xFFFE && c != 0xFFFF) || (c >= 0xD800 && c < 0xE000);
}

QString hexColour(const QColor& c) {
    return QStringLiteral("%1%2%3")
        .arg(c.red(), 2, 16, QLatin1Char('0'))
        .arg(c.green(), 2, 16, QLatin1Char('0'))
        .arg(c.blue(), 2, 16, QLatin1Char('0'))
        .toUpper();
}

// A run's formats as attributes, worked out once per format: a long plan shares a few
// dozen formats among thousands of runs.
struct RunFormat {
    QString font;
    int halfPoints = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    QString colour;
};

class DocumentWriter {
public:
    DocumentWriter(const QTextDocument& doc, const DocxSetup& setup) : m_doc(doc), m_setup(setup) {
        for (const PdfSection& s : setup.sections)
            if (s.tag && !m_headingOfTag.contains(s.tag))
                m_headingOfTag.insert(s.tag, s.depth == 0 ? kHeading1 : kHeading2);
        m_defaultFont = doc.defaultFont().family();
        m_defaultHalfPoints = doc.defaultFont().pointSizeF() > 0
                                  ? int(std::lround(doc.defaultFont().pointSizeF() * 2))
                                  : 24;
    }

    QByteArray document() {
        QByteArray out;
        QXmlStreamWriter x(&out);
        m_x = &x;
        x.writeStartDocument(QStringLiteral("1.0"), true);
        x.writeNamespace(kW, QStringLiteral("w"));
        x.writeNamespace(kR, QStringLiteral("r"));
        x.writeNamespace(kWp, QStringLiteral("wp"));
        x.writeNamespace(kA, QStringLiteral("a"));
        x.writeNamespace(kPic, QStringLiteral("pic"));
        x.writeStartElement(kW, QStringLiteral("document"));
        x.writeStartElement(kW, QStringLiteral("body"));
        writeFrame(m_doc.rootFrame());
        writeSection();
        x.writeEndElement();
        x.writeEndElement();
        x.writeEndDocument();
        m_x = nullptr;
        return out;
    }

    QByteArray styles() const {
        QByteArray out;
        QXmlStreamWriter x(&out);
        x.writeStartDocument(QStringLiteral("1.0"), true);
        x.writeNamespace(kW, QStringLiteral("w"));
        x.writeStartElement(kW, QStringLiteral("styles"));
        x.writeStartElement(kW, QStringLiteral("docDefaults"));
        x.writeStartElement(kW, QStringLiteral("rPrDefault"));
        x.writeStartElement(kW, QStringLiteral("rPr"));
        writeFonts(x, m_defaultFont);
        writeVal(x, QStringLiteral("sz"), QString::number(m_defaultHalfPoints));
        x.writeEndElement();
        x.writeEndElement();
        // Paragraphs as the plan spaces them: no space between them, single lines.
        x.writeStartElement(kW, QStringLiteral("pPrDefault"));
        x.writeStartElement(kW, QStringLiteral("pPr"));
        x.writeEmptyElement(kW, QStringLiteral("spacing"));
        x.writeAttribute(kW, QStringLiteral("before"), QStringLiteral("0"));
        x.writeAttribute(kW, QStringLiteral("after"), QStringLiteral("0"));
        x.writeAttribute(kW, QStringLiteral("line"), QStringLiteral("240"));
        x.writeAttribute(kW, QStringLiteral("lineRule"), QStringLiteral("auto"));
        x.writeEndElement();
        x.writeEndElement();
        x.writeEndElement();

        auto style = [&](const QString& id, const QString& name, int outline) {
            x.writeStartElement(kW, QStringLiteral("style"));
            x.writeAttribute(kW, QStringLiteral("type"), QStringLiteral("paragraph"));
            x.writeAttribute(kW, QStringLiteral("styleId"), id);
            if (outline < 0) x.writeAttribute(kW, QStringLiteral("default"), QStringLiteral("1"));
            writeVal(x, QStringLiteral("name"), name);
            if (outline >= 0) {
                writeVal(x, QStringLiteral("basedOn"), QStringLiteral("Normal"));
                writeVal(x, QStringLiteral("next"), QStringLiteral("Normal"));
                writeVal(x, QStringLiteral("uiPriority"), QString::number(9));
                x.writeEmptyElement(kW, QStringLiteral("qFormat"));
                x.writeStartElement(kW, QStringLiteral("pPr"));
                x.writeEmptyElement(kW, QStringLiteral("keepNext"));
                writeVal(x, QStringLiteral("outlineLvl"), QString::number(outline));
                // No character formats of its own: the heading's runs carry the plan's look.
                x.writeEndElement();
            } else {
                x.writeEmptyElement(kW, QStringLiteral("qFormat"));
            }
            x.writeEndElement();
        };
        style(QStringLiteral("Normal"), QStringLiteral("Normal"), -1);
        style(kHeading1, QStringLiteral("heading 1"), 0);
        style(kHeading2, QStringLiteral("heading 2"), 1);
        x.writeEndElement();
        x.writeEndDocument();
        return out;
    }

    QByteArray footer() const {
        QByteArray out;
        QXmlStreamWriter x(&out);
        x.writeStartDocument(QStringLiteral("1.0"), true);
        x.writeNamespace(kW, QStringLiteral("w"));
        x.writeStartElement(kW, QStringLiteral("ftr"));
        x.writeStartElement(kW, QStringLiteral("p"));
        x.writeStartElement(kW, QStringLiteral("pPr"));
        writeVal(x, QStringLiteral("jc"), QStringLiteral("center"));
        x.writeEndElement();
        // "Page N" in ten-point Arial, the number a field the word processor fills in.
        auto run = [&](auto body) {
            x.writeStartElement(kW, QStringLiteral("r"));
            x.writeStartElement(kW, QStringLiteral("rPr"));
            writeFonts(x, QStringLiteral("Arial"));
            writeVal(x, QStringLiteral("sz"), QStringLiteral("20"));
            x.writeEndElement();
            body();
            x.writeEndElement();
        };
        auto fieldChar = [&](const char* type) {
            run([&] {
                x.writeEmptyElement(kW, QStringLiteral("fldChar"));
                x.writeAttribute(kW, QStringLiteral("fldCharType"), QLatin1String(type));
            });
        };
        run([&] { writeText(x, QStringLiteral("Page ")); });
        fieldChar("begin");
        run([&] {
            x.writeStartElement(kW, QStringLiteral("instrText"));
            x.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
            x.writeCharacters(QStringLiteral(" PAGE "));
            x.writeEndElement();
        });
        fieldChar("separate");
        run([&] { writeText(x, QStringLiteral("1")); });
        fieldChar("end");
        x.writeEndElement();
        x.writeEndElement();
        x.writeEndDocument();
        return out;
    }

private:
    static void writeVal(QXmlStreamWriter& x, const QString& name, const QString& value) {
        x.writeEmptyElement(kW, name);
        x.writeAttribute(kW, QStringLiteral("val"), value);
    }
    static void writeFonts(QXmlStreamWriter& x, const QString& family) {
        if (family.isEmpty()) return;
        x.writeEmptyElement(kW, QStringLiteral("rFonts"));
        x.writeAttribute(kW, QStringLiteral("ascii"), family);
        x.writeAttribute(kW, QStringLiteral("hAnsi"), family);
        x.writeAttribute(kW, QStringLiteral("cs"), family);
    }
    static void writeText(QXmlStreamWriter& x, const QString& text) {
        x.writeStartElement(kW, QStringLiteral("t"));
        if (text.startsWith(QLatin1Char(' ')) || text.endsWith(QLatin1Char(' ')) ||
            text.contains(QLatin1String("  ")))
            x.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
        x.writeCharacters(text);
        x.writeEndElement();
    }

    void writeFrame(QTextFrame* frame) {
        for (QTextFrame::iterator it = frame->begin(); !it.atEnd(); ++it) {
            if (QTextFrame* child = it.currentFrame()) {
                if (auto* table = qobject_cast<QTextTable*>(child)) writeTable(table);
                else writeFrame(child);
            } else if (it.currentBlock().isValid()) {
                writeParagraph(it.currentBlock());
            }
        }
    }

    // The body's page: the paper, and as margins the printer's unprintable edges with the
    // plan's own margins inside them, so that the text area is the one the plan prints.
    void writeSection() {
        QXmlStreamWriter& x = *m_x;
        const QPageLayout& page = m_setup.page;
        const QSizeF paper = page.fullRect(QPageLayout::Inch).size();
        const QMarginsF edge = page.margins(QPageLayout::Inch);
        const PageGeometry& g = m_setup.geometry;
        x.writeStartElement(kW, QStringLiteral("sectPr"));
        x.writeEmptyElement(kW, QStringLiteral("footerReference"));
        x.writeAttribute(kW, QStringLiteral("type"), QStringLiteral("default"));
        x.writeAttribute(kR, QStringLiteral("id"), QStringLiteral("rIdFooter"));
        x.writeEmptyElement(kW, QStringLiteral("pgSz"));
        x.writeAttribute(kW, QStringLiteral("w"), QString::number(twips(paper.width())));
        x.writeAttribute(kW, QStringLiteral("h"), QString::number(twips(paper.height())));
        if (page.orientation() == QPageLayout::Landscape)
            x.writeAttribute(kW, QStringLiteral("orient"), QStringLiteral("landscape"));
        x.writeEmptyElement(kW, QStringLiteral("pgMar"));
        x.writeAttribute(kW, QStringLiteral("top"), QString::number(twips(edge.top() + g.top)));
        x.writeAttribute(kW, QStringLiteral("right"),
                         QString::number(twips(edge.right() + g.right)));
        x.writeAttribute(kW, QStringLiteral("bottom"),
                         QString::number(twips(edge.bottom() + g.bottom)));
        x.writeAttribute(kW, QStringLiteral("left"), QString::number(twips(edge.left() + g.left)));
        x.writeAttribute(kW, QStringLiteral("header"), QString::number(twips(edge.top() + g.top / 2)));
        // The footer in the middle of the bottom margin, as the plan prints its page number.
        x.writeAttribute(kW, QStringLiteral("footer"),
                         QString::number(twips(edge.bottom() + g.bottom / 2)));
        x.writeAttribute(kW, QStringLiteral("gutter"), QStringLiteral("0"));
        x.writeEndElement();
    }

    void writeParagraph(const QTextBlock& block) {
        QXmlStreamWriter& x = *m_x;
        x.writeStartElement(kW, QStringLiteral("p"));
        // An empty paragraph keeps its character format as its mark's, which gives it its
        // height.
        const bool empty = block.length() <= 1;
        writeParagraphFormat(block.blockFormat(),
                             empty ? &runFormat(block.charFormatIndex(), block.charFormat())
                                   : nullptr);
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (!frag.isValid()) continue;
            if (frag.charFormat().isImageFormat()) {
                for (int i = 0; i < frag.length(); ++i)
                    writePicture(frag.charFormatIndex(), frag.charFormat());
                continue;
            }
            writeRun(frag.charFormatIndex(), frag.charFormat(), frag.text());
        }
        x.writeEndElement();
    }

    void writeParagraphFormat(const QTextBlockFormat& bf, const RunFormat* mark) {
        QXmlStreamWriter& x = *m_x;
        const QString heading = m_headingOfTag.value(bf.intProperty(TextFormat::PTagProperty));
        const Qt::Alignment a = bf.alignment() & Qt::AlignHorizontal_Mask;
        const int first = TextFormat::indentToTwips(bf.textIndent());
        const int left = TextFormat::indentToTwips(bf.leftMargin());
        const int right = TextFormat::indentToTwips(bf.rightMargin());
        const int before = TextFormat::indentToTwips(bf.topMargin());
        const int after = TextFormat::indentToTwips(bf.bottomMargin());
        const QList<QTextOption::Tab> tabs = bf.tabPositions();
        const bool breakBefore = bf.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore;
        const bool justified = a & Qt::AlignJustify;
        const bool centred = !justified && (a & Qt::AlignHCenter);
        const bool righted = !justified && !centred && (a & (Qt::AlignRight | Qt::AlignTrailing));
        if (heading.isEmpty() && !justified && !centred && !righted && !first && !left &&
            !right && !before && !after && tabs.isEmpty() && !breakBefore &&
            (!mark || !hasFormat(*mark)))
            return;
        x.writeStartElement(kW, QStringLiteral("pPr"));
        if (!heading.isEmpty()) writeVal(x, QStringLiteral("pStyle"), heading);
        if (breakBefore) x.writeEmptyElement(kW, QStringLiteral("pageBreakBefore"));
        if (!tabs.isEmpty()) {
            x.writeStartElement(kW, QStringLiteral("tabs"));
            for (const QTextOption::Tab& t : tabs) {
                x.writeEmptyElement(kW, QStringLiteral("tab"));
                const char* kind = t.type == QTextOption::RightTab    ? "right"
                                   : t.type == QTextOption::CenterTab ? "center"
                                   : t.type == QTextOption::DelimiterTab ? "decimal"
                                                                         : "left";
                x.writeAttribute(kW, QStringLiteral("val"), QLatin1String(kind));
                x.writeAttribute(kW, QStringLiteral("pos"),
                                 QString::number(TextFormat::indentToTwips(t.position)));
            }
            x.writeEndElement();
        }
        if (before || after) {
            x.writeEmptyElement(kW, QStringLiteral("spacing"));
            x.writeAttribute(kW, QStringLiteral("before"), QString::number(std::max(0, before)));
            x.writeAttribute(kW, QStringLiteral("after"), QString::number(std::max(0, after)));
        }
        if (first || left || right) {
            x.writeEmptyElement(kW, QStringLiteral("ind"));
            x.writeAttribute(kW, QStringLiteral("left"), QString::number(left));
            x.writeAttribute(kW, QStringLiteral("right"), QString::number(right));
            if (first > 0)
                x.writeAttribute(kW, QStringLiteral("firstLine"), QString::number(first));
            else if (first < 0)
                x.writeAttribute(kW, QStringLiteral("hanging"), QString::number(-first));
        }
        if (justified || centred || righted)
            writeVal(x, QStringLiteral("jc"),
                     justified ? QStringLiteral("both")
                               : centred ? QStringLiteral("center") : QStringLiteral("right"));
        if (mark) writeRunFormat(*mark);
        x.writeEndElement();
    }

    const RunFormat& runFormat(int key, const QTextCharFormat& f) {
        auto it = m_runs.constFind(key);
        if (it != m_runs.constEnd()) return *it;
        RunFormat r;
        const QStringList families = f.fontFamilies().toStringList();
        r.font = families.isEmpty() ? QString() : families.first();
        if (f.hasProperty(QTextFormat::FontPointSize) && f.fontPointSize() > 0)
            r.halfPoints = std::max(1, int(std::lround(f.fontPointSize() * 2)));
        r.bold = f.fontWeight() >= QFont::DemiBold;
        r.italic = f.fontItalic();
        r.underline = f.fontUnderline();
        r.strike = f.fontStrikeOut();
        if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
            r.colour = hexColour(f.foreground().color());
        return *m_runs.insert(key, r);
    }

    static bool hasFormat(const RunFormat& f) {
        return !f.font.isEmpty() || f.halfPoints || f.bold || f.italic || f.underline ||
               f.strike || !f.colour.isEmpty();
    }

    void writeRunFormat(const RunFormat& f) {
        QXmlStreamWriter& x = *m_x;
        if (!hasFormat(f)) return;
        x.writeStartElement(kW, QStringLiteral("rPr"));
        writeFonts(x, f.font);
        if (f.bold) x.writeEmptyElement(kW, QStringLiteral("b"));
        if (f.italic) x.writeEmptyElement(kW, QStringLiteral("i"));
        if (f.strike) x.writeEmptyElement(kW, QStringLiteral("strike"));
        if (!f.colour.isEmpty()) writeVal(x, QStringLiteral("color"), f.colour);
        if (f.halfPoints) writeVal(x, QStringLiteral("sz"), QString::number(f.halfPoints));
        if (f.underline) writeVal(x, QStringLiteral("u"), QStringLiteral("single"));
        x.writeEndElement();
    }

    // A picture as a run holding an inline drawing at the size it is shown, its file in
    // word/media (one file for a picture used more than once).
    void writePicture(int key, const QTextCharFormat& format) {
        const QTextImageFormat f = format.toImageFormat();
        Pictures::Stored s;
        if (!Pictures::lookup(f.name(), &s)) {
            const QImage image = m_doc.resource(QTextDocument::ImageResource, QUrl(f.name())).value<QImage>();
            if (image.isNull()) return;
            s.image = image;
            s.kind = Pictures::Kind::Other;
        }
        auto found = m_mediaOf.constFind(f.name());
        if (found == m_mediaOf.constEnd()) {
            Media m;
            m.id = QStringLiteral("rIdPicture%1").arg(m_media.size() + 1);
            const bool jpeg = s.kind == Pictures::Kind::Jpeg;
            m.part = "word/media/image" + QByteArray::number(m_media.size() + 1) + (jpeg ? ".jpeg" : ".png");
            if (s.kind == Pictures::Kind::Other) {
                // What the plan shows of it: a picture that cannot be shown goes as its grey box.
                QBuffer buffer(&m.data);
                buffer.open(QIODevice::WriteOnly);
                QImageWriter(&buffer, "png").write(s.image);
            } else {
                m.data = s.data;
            }
            m_media.append(m);
            found = m_mediaOf.insert(f.name(), int(m_media.size()) - 1);
        }
        const Media& media = m_media.at(*found);
        const QSizeF size = Pictures::shownSize(f);
        // English Metric Units: 914400 an inch, 9525 a pixel at 96 dpi.
        const QString cx = QString::number(qint64(std::llround(size.width() * 9525)));
        const QString cy = QString::number(qint64(std::llround(size.height() * 9525)));
        const QString number = QString::number(++m_drawings);
        QXmlStreamWriter& x = *m_x;
        x.writeStartElement(kW, QStringLiteral("r"));
        writeRunFormat(runFormat(key, format));
        x.writeStartElement(kW, QStringLiteral("drawing"));
        x.writeStartElement(kWp, QStringLiteral("inline"));
        for (const char* d : {"distT", "distB", "distL", "distR"})
            x.writeAttribute(QLatin1String(d), QStringLiteral("0"));
        x.writeEmptyElement(kWp, QStringLiteral("extent"));
        x.writeAttribute(QStringLiteral("cx"), cx);
        x.writeAttribute(QStringLiteral("cy"), cy);
        x.writeEmptyElement(kWp, QStringLiteral("docPr"));
        x.writeAttribute(QStringLiteral("id"), number);
        x.writeAttribute(QStringLiteral("name"), QStringLiteral("Picture ") + number);
        x.writeStartElement(kWp, QStringLiteral("cNvGraphicFramePr"));
        x.writeEmptyElement(kA, QStringLiteral("graphicFrameLocks"));
        x.writeAttribute(QStringLiteral("noChangeAspect"), QStringLiteral("1"));
        x.writeEndElement();
        x.writeStartElement(kA, QStringLiteral("graphic"));
        x.writeStartElement(kA, QStringLiteral("graphicData"));
        x.writeAttribute(QStringLiteral("uri"), kPic);
        x.writeStartElement(kPic, QStringLiteral("pic"));
        x.writeStartElement(kPic, QStringLiteral("nvPicPr"));
        x.writeEmptyElement(kPic, QStringLiteral("cNvPr"));
        x.writeAttribute(QStringLiteral("id"), number);
        x.writeAttribute(QStringLiteral("name"), QString::fromLatin1(media.part.mid(11)));
        x.writeEmptyElement(kPic, QStringLiteral("cNvPicPr"));
        x.writeEndElement();
        x.writeStartElement(kPic, QStringLiteral("blipFill"));
        x.writeEmptyElement(kA, QStringLiteral("blip"));
        x.writeAttribute(kR, QStringLiteral("embed"), media.id);
        x.writeStartElement(kA, QStringLiteral("stretch"));
        x.writeEmptyElement(kA, QStringLiteral("fillRect"));
        x.writeEndElement();
        x.writeEndElement();
        x.writeStartElement(kPic, QStringLiteral("spPr"));
        x.writeStartElement(kA, QStringLiteral("xfrm"));
        x.writeEmptyElement(kA, QStringLiteral("off"));
        x.writeAttribute(QStringLiteral("x"), QStringLiteral("0"));
        x.writeAttribute(QStringLiteral("y"), QStringLiteral("0"));
        x.writeEmptyElement(kA, QStringLiteral("ext"));
        x.writeAttribute(QStringLiteral("cx"), cx);
        x.writeAttribute(QStringLiteral("cy"), cy);
        x.writeEndElement();
        x.writeStartElement(kA, QStringLiteral("prstGeom"));
        x.writeAttribute(QStringLiteral("prst"), QStringLiteral("rect"));
        x.writeEmptyElement(kA, QStringLiteral("avLst"));
        x.writeEndElement();
        x.writeEndElement(); // spPr
        x.writeEndElement(); // pic
        x.writeEndElement(); // graphicData
        x.writeEndElement(); // graphic
        x.writeEndElement(); // inline
        x.writeEndElement(); // drawing
        x.writeEndElement(); // r
    }

public:
    const QList<Media>& media() const { return m_media; }

private:
    void writeRun(int key, const QTextCharFormat& format, const QString& text) {
        QXmlStreamWriter& x = *m_x;
        const RunFormat& f = runFormat(key, format);
        x.writeStartElement(kW, QStringLiteral("r"));
        writeRunFormat(f);
        QString piece;
        auto flush = [&] {
            if (!piece.isEmpty()) writeText(x, piece);
            piece.clear();
        };
        for (const QChar ch : text) {
            const char16_t c = ch.unicode();
            if (c == u'\t') {
                flush();
                x.writeEmptyElement(kW, QStringLiteral("tab"));
            } else if (c == QChar::LineSeparator || c == u'\n' || c == u'\r') {
                flush();
                x.writeEmptyElement(kW, QStringLiteral("br"));
            } else if (c == QChar::ObjectReplacementCharacter || !xmlCharacter(c)) {
                // A picture has a run of its own; characters XML cannot hold are dropped.
            } else {
                piece += ch;
            }
        }
        flush();
        x.writeEndElement();
    }

    static int eighthsOfPoint(double units) {
        const int tw = TableFormat::unitsToTwips(units);
        return tw > 0 ? std::clamp(int(std::lround(tw * 0.4)), 2, 96) : 0;
    }

    void writeTable(QTextTable* table) {
        QXmlStreamWriter& x = *m_x;
        const QList<int> grid = tableGridBounds(table);
        x.writeStartElement(kW, QStringLiteral("tbl"));
        x.writeStartElement(kW, QStringLiteral("tblPr"));
        x.writeEmptyElement(kW, QStringLiteral("tblW"));
        x.writeAttribute(kW, QStringLiteral("w"), QString::number(grid.isEmpty() ? 0 : grid.last()));
        x.writeAttribute(kW, QStringLiteral("type"), QStringLiteral("dxa"));
        x.writeEmptyElement(kW, QStringLiteral("tblLayout"));
        x.writeAttribute(kW, QStringLiteral("type"), QStringLiteral("fixed"));
        x.writeStartElement(kW, QStringLiteral("tblCellMar"));
        for (const char* side : {"left", "right"}) {
            x.writeEmptyElement(kW, QLatin1String(side));
            x.writeAttribute(kW, QStringLiteral("w"), QString::number(TableFormat::CellGap));
            x.writeAttribute(kW, QStringLiteral("type"), QStringLiteral("dxa"));
        }
        x.writeEndElement();
        x.writeEndElement();
        x.writeStartElement(kW, QStringLiteral("tblGrid"));
        int last = 0;
        for (int right : grid) {
            x.writeEmptyElement(kW, QStringLiteral("gridCol"));
            x.writeAttribute(kW, QStringLiteral("w"), QString::number(std::max(0, right - last)));
            last = right;
        }
        x.writeEndElement();

        for (int r = 0; r < table->rows(); ++r) {
            const QList<QTextTableCell> cells = rowCells(table, r);
            int spanned = 0;
            int height = 0;
            for (const QTextTableCell& c : cells) {
                spanned += c.columnSpan();
                if (c.row() == r && !height)
                    height = c.format().intProperty(TableFormat::RowHeightProperty);
            }
            x.writeStartElement(kW, QStringLiteral("tr"));
            const int after = std::max(0, int(grid.size()) - spanned);
            if (after || height) {
                x.writeStartElement(kW, QStringLiteral("trPr"));
                if (after) writeVal(x, QStringLiteral("gridAfter"), QString::number(after));
                if (height) {
                    x.writeEmptyElement(kW, QStringLiteral("trHeight"));
                    x.writeAttribute(kW, QStringLiteral("val"), QString::number(std::abs(height)));
                    x.writeAttribute(kW, QStringLiteral("hRule"),
                                     height > 0 ? QStringLiteral("atLeast") : QStringLiteral("exact"));
                }
                x.writeEndElement();
            }
            for (const QTextTableCell& cell : cells) writeCell(cell, r, grid);
            x.writeEndElement();
        }
        x.writeEndElement();
    }

    void writeCell(const QTextTableCell& cell, int row, const QList<int>& grid) {
        QXmlStreamWriter& x = *m_x;
        const QTextTableCellFormat f = cell.format().toTableCellFormat();
        const int col = cell.column();
        const int span = std::max(1, cell.columnSpan());
        const int left = col > 0 ? grid.value(col - 1) : 0;
        const int right = grid.value(std::min(int(grid.size()), col + span) - 1, left);
        const bool continued = cell.row() < row;
        const bool firstRow = cell.row() == row;
        const bool lastRow = cell.row() + cell.rowSpan() - 1 == row;
        x.writeStartElement(kW, QStringLiteral("tc"));
        x.writeStartElement(kW, QStringLiteral("tcPr"));
        x.writeEmptyElement(kW, QStringLiteral("tcW"));
        x.writeAttribute(kW, QStringLiteral("w"), QString::number(std::max(0, right - left)));
        x.writeAttribute(kW, QStringLiteral("type"), QStringLiteral("dxa"));
        if (span > 1) writeVal(x, QStringLiteral("gridSpan"), QString::number(span));
        if (continued) x.writeEmptyElement(kW, QStringLiteral("vMerge"));
        else if (cell.rowSpan() > 1) writeVal(x, QStringLiteral("vMerge"), QStringLiteral("restart"));
        const struct {
            const char* name;
            double width;
        } sides[] = {{"top", firstRow ? f.topBorder() : 0},
                     {"left", f.leftBorder()},
                     {"bottom", lastRow ? f.bottomBorder() : 0},
                     {"right", f.rightBorder()}};
        x.writeStartElement(kW, QStringLiteral("tcBorders"));
        for (const auto& side : sides) {
            x.writeEmptyElement(kW, QLatin1String(side.name));
            const int size = eighthsOfPoint(side.width);
            x.writeAttribute(kW, QStringLiteral("val"), size ? QStringLiteral("single") : QStringLiteral("nil"));
            if (size) {
                x.writeAttribute(kW, QStringLiteral("sz"), QString::number(size));
                x.writeAttribute(kW, QStringLiteral("space"), QStringLiteral("0"));
                x.writeAttribute(kW, QStringLiteral("color"), QStringLiteral("000000"));
            }
        }
        x.writeEndElement();
        if (f.hasProperty(QTextFormat::BackgroundBrush) && f.background().style() != Qt::NoBrush) {
            x.writeEmptyElement(kW, QStringLiteral("shd"));
            x.writeAttribute(kW, QStringLiteral("val"), QStringLiteral("clear"));
            x.writeAttribute(kW, QStringLiteral("color"), QStringLiteral("auto"));
            x.writeAttribute(kW, QStringLiteral("fill"), hexColour(f.background().color()));
        }
        x.writeEndElement();
        // A cell merged from above holds nothing of its own, but a cell needs a paragraph.
        bool endsInParagraph = false;
        if (!continued) {
            for (QTextFrame::iterator it = cell.begin(); !it.atEnd(); ++it) {
                if (QTextFrame* child = it.currentFrame()) {
                    if (auto* inner = qobject_cast<QTextTable*>(child)) writeTable(inner);
                    else writeFrame(child);
                    endsInParagraph = false;
                } else if (it.currentBlock().isValid()) {
                    writeParagraph(it.currentBlock());
                    endsInParagraph = true;
                }
            }
        }
        if (!endsInParagraph) {
            x.writeStartElement(kW, QStringLiteral("p"));
            x.writeEndElement();
        }
        x.writeEndElement();
    }

    const QTextDocument& m_doc;
    QList<Media> m_media;
    QHash<QString, int> m_mediaOf; // picture name -> m_media
    int m_drawings = 0;
    const DocxSetup& m_setup;
    QXmlStreamWriter* m_x = nullptr;
    QHash<int, QString> m_headingOfTag;
    QHash<int, RunFormat> m_runs;
    QString m_defaultFont;
    int m_defaultHalfPoints = 24;
};

QByteArray contentTypes(bool png, bool jpeg) {
    QByteArray out;
    QXmlStreamWriter x(&out);
    x.writeStartDocument(QStringLiteral("1.0"), true);
    const QString ns = QStringLiteral("http://schemas.openxmlformats.org/package/2006/content-types");
    x.writeDefaultNamespace(ns);
    x.writeStartElement(ns, QStringLiteral("Types"));
    auto add = [&](const char* kind, const char* key, const QString& name, const QString& type) {
        x.writeEmptyElement(ns, QLatin1String(kind));
        x.writeAttribute(QLatin1String(key), name);
        x.writeAttribute(QStringLiteral("ContentType"), type);
    };
    add("Default", "Extension", QStringLiteral("rels"),
        QStringLiteral("application/vnd.openxmlformats-package.relationships+xml"));
    add("Default", "Extension", QStringLiteral("xml"), QStringLiteral("application/xml"));
    if (png) add("Default", "Extension", QStringLiteral("png"), QStringLiteral("image/png"));
    if (jpeg) add("Default", "Extension", QStringLiteral("jpeg"), QStringLiteral("image/jpeg"));
    add("Override", "PartName", QStringLiteral("/word/document.xml"),
        kMain + QStringLiteral("document.main+xml"));
    add("Override", "PartName", QStringLiteral("/word/styles.xml"), kMain + QStringLiteral("styles+xml"));
    add("Override", "PartName", QStringLiteral("/word/footer1.xml"), kMain + QStringLiteral("footer+xml"));
    add("Override", "PartName", QStringLiteral("/docProps/core.xml"),
        QStringLiteral("application/vnd.openxmlformats-package.core-properties+xml"));
    add("Override", "PartName", QStringLiteral("/docProps/app.xml"),
        QStringLiteral("application/vnd.openxmlformats-officedocument.extended-properties+xml"));
    x.writeEndElement();
    x.writeEndDocument();
    return out;
}

QByteArray relationships(const QList<std::array<QString, 3>>& rels) {
    QByteArray out;
    QXmlStreamWriter x(&out);
    x.writeStartDocument(QStringLiteral("1.0"), true);
    x.writeDefaultNamespace(kRelsNs);
    x.writeStartElement(kRelsNs, QStringLiteral("Relationships"));
    for (const auto& [id, type, target] : rels) {
        x.writeEmptyElement(kRelsNs, QStringLiteral("Relationship"));
        x.writeAttribute(QStringLiteral("Id"), id);
        x.writeAttribute(QStringLiteral("Type"), type);
        x.writeAttribute(QStringLiteral("Target"), target);
    }
    x.writeEndElement();
    x.writeEndDocument();
    return out;
}

QByteArray coreProperties(const PdfInfo& info) {
    QByteArray out;
    QXmlStreamWriter x(&out);
    const QString cp =
        QStringLiteral("http://schemas.openxmlformats.org/package/2006/metadata/core-properties");
    const QString dc = QStringLiteral("http://purl.org/dc/elements/1.1/");
    const QString terms = QStringLiteral("http://purl.org/dc/terms/");
    const QString xsi = QStringLiteral("http://www.w3.org/2001/XMLSchema-instance");
    x.writeStartDocument(QStringLiteral("1.0"), true);
    x.writeNamespace(cp, QStringLiteral("cp"));
    x.writeNamespace(dc, QStringLiteral("dc"));
    x.writeNamespace(terms, QStringLiteral("dcterms"));
    x.writeNamespace(xsi, QStringLiteral("xsi"));
    x.writeStartElement(cp, QStringLiteral("coreProperties"));
    if (!info.title.isEmpty()) x.writeTextElement(dc, QStringLiteral("title"), info.title);
    if (!info.author.isEmpty()) x.writeTextElement(dc, QStringLiteral("creator"), info.author);
    const QString now = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    for (const char* name : {"created", "modified"}) {
        x.writeStartElement(terms, QLatin1String(name));
        x.writeAttribute(xsi, QStringLiteral("type"), QStringLiteral("dcterms:W3CDTF"));
        x.writeCharacters(now);
        x.writeEndElement();
    }
    x.writeEndElement();
    x.writeEndDocument();
    return out;
}

QByteArray appProperties(const PdfInfo& info) {
    QByteArray out;
    QXmlStreamWriter x(&out);
    const QString ns = QStringLiteral(
        "http://schemas.openxmlformats.org/officeDocument/2006/extended-properties");
    x.writeStartDocument(QStringLiteral("1.0"), true);
    x.writeDefaultNamespace(ns);
    x.writeStartElement(ns, QStringLiteral("Properties"));
    x.writeTextElement(ns, QStringLiteral("Application"),
                       info.creator.isEmpty() ? QStringLiteral("Tandel Zurozurov Irod") : info.creator);
    x.writeEndElement();
    x.writeEndDocument();
    return out;
}

// The parts zipped in memory; the file itself is then written in one atomic step.
bool zipParts(const QList<std::pair<const char*, QByteArray>>& parts, QByteArray* out,
              QString* error) {
    zip_error_t ze;
    zip_error_init(&ze);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &ze);
    if (!buffer) {
        *error = QString::fromUtf8(zip_error_strerror(&ze));
        zip_error_fini(&ze);
        return false;
    }
    zip_source_keep(buffer); // kept past zip_close, which would free it, to be read back
    std::unique_ptr<zip_source_t, void (*)(zip_source_t*)> hold(buffer, zip_source_free);
    zip_t* zip = zip_open_from_source(buffer, ZIP_TRUNCATE, &ze);
    if (!zip) {
        *error = QString::fromUtf8(zip_error_strerror(&ze));
        zip_error_fini(&ze);
        return false;
    }
    zip_error_fini(&ze);
    for (const auto& [name, bytes] : parts) {
        zip_source_t* s = zip_source_buffer(zip, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        const zip_int64_t index = s ? zip_file_add(zip, name, s, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (s) zip_source_free(s);
            *error = QString::fromUtf8(zip_strerror(zip));
            zip_discard(zip);
            return false;
        }
        zip_set_file_compression(zip, zip_uint64_t(index), ZIP_CM_DEFLATE, 6);
    }
    if (zip_close(zip) != 0) {
        *error = QString::fromUtf8(zip_strerror(zip));
        zip_discard(zip);
        return false;
    }
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_source_stat(buffer, &st) != 0 || !(st.valid & ZIP_STAT_SIZE) ||
        zip_source_open(buffer) != 0) {
        *error = QStringLiteral("The document could not be made.");
        return false;
    }
    out->resize(qsizetype(st.size));
    const zip_int64_t read = zip_source_read(buffer, out->data(), st.size);
    zip_source_close(buffer);
    if (read != zip_int64_t(st.size)) {
        *error = QStringLiteral("The document could not be made.");
        return false;
    }
    return true;
}

} // namespace

bool writePlanDocx(const TextControl& text, const DocxSetup& setup, const QString& path,
                   QString* error) {
    const std::unique_ptr<QTextDocument> doc = text.paperDocument();
    DocumentWriter writer(*doc, setup);
    const QString rels = kRelType;
    const QByteArray body = writer.document();
    bool png = false, jpeg = false;
    QList<std::array<QString, 3>> documentRels{
        {QStringLiteral("rIdStyles"), rels + QStringLiteral("styles"), QStringLiteral("styles.xml")},
        {QStringLiteral("rIdFooter"), rels + QStringLiteral("footer"), QStringLiteral("footer1.xml")}};
    for (const Media& m : writer.media()) {
        (m.part.endsWith(".png") ? png : jpeg) = true;
        documentRels.append({m.id, rels + QStringLiteral("image"), QString::fromLatin1(m.part.mid(5))});
    }
    QList<std::pair<const char*, QByteArray>> parts;
    // [Content_Types].xml first, as readers that stream the zip expect.
    parts.append({"[Content_Types].xml", contentTypes(png, jpeg)});
    parts.append({"_rels/.rels",
                  relationships({{QStringLiteral("rId1"), rels + QStringLiteral("officeDocument"),
                                  QStringLiteral("word/document.xml")},
                                 {QStringLiteral("rId2"),
                                  QStringLiteral("http://schemas.openxmlformats.org/package/2006/"
                                                 "relationships/metadata/core-properties"),
                                  QStringLiteral("docProps/core.xml")},
                                 {QStringLiteral("rId3"), rels + QStringLiteral("extended-properties"),
                                  QStringLiteral("docProps/app.xml")}})});
    parts.append({"word/document.xml", body});
    parts.append({"word/_rels/document.xml.rels", relationships(documentRels)});
    parts.append({"word/styles.xml", writer.styles()});
    parts.append({"word/footer1.xml", writer.footer()});
    parts.append({"docProps/core.xml", coreProperties(setup.info)});
    parts.append({"docProps/app.xml", appProperties(setup.info)});
    for (const Media& m : writer.media())
        parts.append({m.part.constData(), m.data});

    QString why;
    QByteArray bytes;
    if (!zipParts(parts, &bytes, &why)) {
        if (error) *error = why;
        return false;
    }
    const SafeFile::Result written = SafeFile::write(path, bytes);
    if (!written.ok) {
        if (error) *error = written.failure;
        return false;
    }
    return true;
}
