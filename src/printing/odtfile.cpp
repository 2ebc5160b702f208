#include "printing/odtfile.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentWriter>
#include <QTextFrame>
#include <QTextTable>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <zip.h>

#include <memory>
#include <vector>

namespace {

// Lengths of the text model are pixels of a 96-dpi screen.
QString pt(double pixels) {
    return QString::number(pixels * 0.75, 'f', 2) + QStringLiteral("pt");
}
QString inches(double value) {
    return QString::number(value, 'f', 3) + QStringLiteral("in");
}

// Qt's writer names a run's font only from the family property of Qt 5 days and says
// "Sans" for every other: each run gets its family (or the document's) in that property.
void nameEveryFont(QTextDocument* doc) {
    const QString fallback = doc->defaultFont().family();
    QTextCursor cursor(doc);
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid()) continue;
            const QTextCharFormat f = fragment.charFormat();
            const QStringList families = f.fontFamilies().toStringList();
            QTextCharFormat named;
            named.setProperty(QTextFormat::FontFamily, families.value(0, fallback));
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.mergeCharFormat(named);
        }
    }
}

// The tables in the order Qt's writer writes them: each before the tables in its cells.
void collectTables(QTextFrame* frame, std::vector<QTextTable*>* out) {
    for (QTextFrame* child : frame->childFrames()) {
        if (auto* t = qobject_cast<QTextTable*>(child)) out->push_back(t);
        collectTables(child, out);
    }
}

QString borderOf(double width, QTextFrameFormat::BorderStyle style, const QBrush& brush) {
    if (width <= 0 || style == QTextFrameFormat::BorderStyle_None) return QStringLiteral("none");
    const QColor colour = brush.style() == Qt::NoBrush ? QColor(Qt::black) : brush.color();
    return pt(width) + QStringLiteral(" solid ") + colour.name();
}

QString tableStyle(int t) { return QStringLiteral("TzTable%1").arg(t); }
QString columnStyle(int t, int c) { return QStringLiteral("TzColumn%1.%2").arg(t).arg(c); }
QString cellStyle(int t, int r, int c) {
    return QStringLiteral("TzCell%1.%2.%3").arg(t).arg(r).arg(c);
}

void writeTableStyles(QXmlStreamWriter& w, const std::vector<QTextTable*>& tables) {
    for (int t = 0; t < int(tables.size()); ++t) {
        const QTextTable* table = tables[size_t(t)];
        const QTextTableFormat tf = table->format();
        const QList<QTextLength> columns = tf.columnWidthConstraints();
        double total = 0;
        bool fixed = !columns.isEmpty();
        for (const QTextLength& l : columns) {
            fixed = fixed && l.type() == QTextLength::FixedLength;
            total += l.rawValue();
        }
        w.writeStartElement(QStringLiteral("style:style"));
        w.writeAttribute(QStringLiteral("style:name"), tableStyle(t));
        w.writeAttribute(QStringLiteral("style:family"), QStringLiteral("table"));
        w.writeStartElement(QStringLiteral("style:table-properties"));
        w.writeAttribute(QStringLiteral("table:border-model"), QStringLiteral("collapsing"));
        if (fixed) {
            w.writeAttribute(QStringLiteral("style:width"), pt(total));
            w.writeAttribute(QStringLiteral("table:align"), QStringLiteral("left"));
            if (tf.leftMargin() > 0)
                w.writeAttribute(QStringLiteral("fo:margin-left"), pt(tf.leftMargin()));
        }
        w.writeEndElement();
        w.writeEndElement();
        if (fixed) {
            for (int c = 0; c < table->columns(); ++c) {
                w.writeStartElement(QStringLiteral("style:style"));
                w.writeAttribute(QStringLiteral("style:name"), columnStyle(t, c));
                w.writeAttribute(QStringLiteral("style:family"), QStringLiteral("table-column"));
                w.writeStartElement(QStringLiteral("style:table-column-properties"));
                w.writeAttribute(QStringLiteral("style:column-width"),
                                 pt(columns.value(c).rawValue()));
                w.writeEndElement();
                w.writeEndElement();
            }
        }
        for (int r = 0; r < table->rows(); ++r) {
            for (int c = 0; c < table->columns(); ++c) {
                const QTextTableCell cell = table->cellAt(r, c);
                if (!cell.isValid() || cell.row() != r || cell.column() != c) continue;
                const QTextTableCellFormat f = cell.format().toTableCellFormat();
                w.writeStartElement(QStringLiteral("style:style"));
                w.writeAttribute(QStringLiteral("style:name"), cellStyle(t, r, c));
                w.writeAttribute(QStringLiteral("style:family"), QStringLiteral("table-cell"));
                w.writeStartElement(QStringLiteral("style:table-cell-properties"));
                w.writeAttribute(QStringLiteral("fo:border-top"),
                                 borderOf(f.topBorder(), f.topBorderStyle(), f.topBorderBrush()));
                w.writeAttribute(QStringLiteral("fo:border-right"),
                                 borderOf(f.rightBorder(), f.rightBorderStyle(), f.rightBorderBrush()));
                w.writeAttribute(QStringLiteral("fo:border-bottom"),
                                 borderOf(f.bottomBorder(), f.bottomBorderStyle(),
                                          f.bottomBorderBrush()));
                w.writeAttribute(QStringLiteral("fo:border-left"),
                                 borderOf(f.leftBorder(), f.leftBorderStyle(), f.leftBorderBrush()));
                const double pad = tf.cellPadding();
                auto padding = [&](QTextFormat::Property p, double value) {
                    return pt(f.hasProperty(p) ? value : pad);
                };
                w.writeAttribute(QStringLiteral("fo:padding-top"),
                                 padding(QTextFormat::TableCellTopPadding, f.topPadding()));
                w.writeAttribute(QStringLiteral("fo:padding-right"),
                                 padding(QTextFormat::TableCellRightPadding, f.rightPadding()));
                w.writeAttribute(QStringLiteral("fo:padding-bottom"),
                                 padding(QTextFormat::TableCellBottomPadding, f.bottomPadding()));
                w.writeAttribute(QStringLiteral("fo:padding-left"),
                                 padding(QTextFormat::TableCellLeftPadding, f.leftPadding()));
                if (f.background().style() != Qt::NoBrush)
                    w.writeAttribute(QStringLiteral("fo:background-color"),
                                     f.background().color().name());
                w.writeEndElement();
                w.writeEndElement();
            }
        }
    }
}

// Qt's content with the tables' own styles: each table, column and cell points at a
// style made from the document's table formats.
QByteArray restyleTables(const QByteArray& content, const std::vector<QTextTable*>& tables) {
    QByteArray out;
    QXmlStreamReader r(content);
    QXmlStreamWriter w(&out);
    struct Place {
        int table = -1;
        int row = -1;
        int column = 0;
    };
    std::vector<Place> open; // tables being written, innermost last
    int nextTable = 0;
    while (!r.atEnd()) {
        r.readNext();
        if (r.hasError()) return {};
        const QString name = r.qualifiedName().toString();
        if (r.isEndElement() && name == QLatin1String("office:automatic-styles")) {
            writeTableStyles(w, tables);
            w.writeCurrentToken(r);
            continue;
        }
        if (r.isStartElement() && name == QLatin1String("table:table")) {
            const int t = nextTable++;
            open.push_back({t, -1, 0});
            w.writeStartElement(name);
            for (const QXmlStreamAttribute& a : r.attributes()) {
                if (a.qualifiedName() == QLatin1String("table:style-name"))
                    w.writeAttribute(a.qualifiedName().toString(), tableStyle(t));
                else
                    w.writeAttribute(a.qualifiedName().toString(), a.value().toString());
            }
            continue;
        }
        if (r.isEndElement() && name == QLatin1String("table:table")) {
            if (!open.empty()) open.pop_back();
            w.writeCurrentToken(r);
            continue;
        }
        if (!open.empty() && open.back().table < int(tables.size())) {
            Place& place = open.back();
            const QTextTable* table = tables[size_t(place.table)];
            const bool fixed = [&] {
                const QList<QTextLength> cs = table->format().columnWidthConstraints();
                if (cs.isEmpty()) return false;
                for (const QTextLength& l : cs)
                    if (l.type() != QTextLength::FixedLength) return false;
                return true;
            }();
            if (r.isStartElement() && name == QLatin1String("table:table-column") && fixed) {
                // One column element for each column, with its width.
                for (int c = 0; c < table->columns(); ++c) {
                    w.writeEmptyElement(QStringLiteral("table:table-column"));
                    w.writeAttribute(QStringLiteral("table:style-name"), columnStyle(place.table, c));
                }
                r.skipCurrentElement();
                continue;
            }
            if (r.isStartElement() && name == QLatin1String("table:table-row")) {
                ++place.row;
                place.column = 0;
            } else if (r.isStartElement() && name == QLatin1String("table:covered-table-cell")) {
                ++place.column;
            } else if (r.isStartElement() && name == QLatin1String("table:table-cell")) {
                const int c = place.column++;
                w.writeStartElement(name);
                for (const QXmlStreamAttribute& a : r.attributes()) {
                    if (a.qualifiedName() == QLatin1String("table:style-name"))
                        w.writeAttribute(a.qualifiedName().toString(),
                                         cellStyle(place.table, place.row, c));
                    else
                        w.writeAttribute(a.qualifiedName().toString(), a.value().toString());
                }
                continue;
            }
        }
        w.writeCurrentToken(r);
    }
    return out;
}

QByteArray stylesXml(const OdtPage& page) {
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.writeStartDocument();
    w.writeStartElement(QStringLiteral("office:document-styles"));
    w.writeAttribute(QStringLiteral("xmlns:office"),
                     QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0"));
    w.writeAttribute(QStringLiteral("xmlns:style"),
                     QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:style:1.0"));
    w.writeAttribute(QStringLiteral("xmlns:fo"),
                     QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"));
    w.writeAttribute(QStringLiteral("office:version"), QStringLiteral("1.2"));
    w.writeStartElement(QStringLiteral("office:automatic-styles"));
    w.writeStartElement(QStringLiteral("style:page-layout"));
    w.writeAttribute(QStringLiteral("style:name"), QStringLiteral("TzPage"));
    w.writeStartElement(QStringLiteral("style:page-layout-properties"));
    w.writeAttribute(QStringLiteral("fo:page-width"), inches(page.paper.width()));
    w.writeAttribute(QStringLiteral("fo:page-height"), inches(page.paper.height()));
    w.writeAttribute(QStringLiteral("style:print-orientation"),
                     page.paper.width() > page.paper.height() ? QStringLiteral("landscape")
                                                              : QStringLiteral("portrait"));
    w.writeAttribute(QStringLiteral("fo:margin-left"), inches(page.margins.left()));
    w.writeAttribute(QStringLiteral("fo:margin-right"), inches(page.margins.right()));
    w.writeAttribute(QStringLiteral("fo:margin-top"), inches(page.margins.top()));
    w.writeAttribute(QStringLiteral("fo:margin-bottom"), inches(page.margins.bottom()));
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndElement(); // automatic-styles
    w.writeStartElement(QStringLiteral("office:master-styles"));
    w.writeEmptyElement(QStringLiteral("style:master-page"));
    w.writeAttribute(QStringLiteral("style:name"), QStringLiteral("Standard"));
    w.writeAttribute(QStringLiteral("style:page-layout-name"), QStringLiteral("TzPage"));
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndDocument();
    return out;
}

QByteArray metaXml(const OdtPage& page) {
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.writeStartDocument();
    w.writeStartElement(QStringLiteral("office:document-meta"));
    w.writeAttribute(QStringLiteral("xmlns:office"),
                     QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0"));
    w.writeAttribute(QStringLiteral("xmlns:meta"),
                     QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:meta:1.0"));
    w.writeAttribute(QStringLiteral("xmlns:dc"), QStringLiteral("http://purl.org/dc/elements/1.1/"));
    w.writeAttribute(QStringLiteral("office:version"), QStringLiteral("1.2"));
    w.writeStartElement(QStringLiteral("office:meta"));
    if (!page.title.isEmpty()) w.writeTextElement(QStringLiteral("dc:title"), page.title);
    if (!page.author.isEmpty()) {
        w.writeTextElement(QStringLiteral("meta:initial-creator"), page.author);
        w.writeTextElement(QStringLiteral("dc:creator"), page.author);
    }
    if (!page.creator.isEmpty()) w.writeTextElement(QStringLiteral("meta:generator"), page.creator);
    w.writeTextElement(QStringLiteral("meta:creation-date"),
                       QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndDocument();
    return out;
}

// The package's list of parts: ours, and the pictures Qt's writer put in and listed.
QByteArray manifestXml(const QByteArray& written) {
    QByteArray pictures;
    static const QRegularExpression entry(
        QStringLiteral(R"(<manifest:file-entry[^>]*manifest:full-path="Pictures/[^"]*"[^>]*/>)"));
    for (auto it = entry.globalMatch(QString::fromUtf8(written)); it.hasNext();)
        pictures += " " + it.next().captured(0).toUtf8() + "\n";
    return QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" "
        "manifest:version=\"1.2\">\n"
        " <manifest:file-entry manifest:media-type=\"application/vnd.oasis.opendocument.text\" "
        "manifest:full-path=\"/\" manifest:version=\"1.2\"/>\n"
        " <manifest:file-entry manifest:media-type=\"text/xml\" manifest:full-path=\"content.xml\"/>\n"
        " <manifest:file-entry manifest:media-type=\"text/xml\" manifest:full-path=\"styles.xml\"/>\n"
        " <manifest:file-entry manifest:media-type=\"text/xml\" manifest:full-path=\"meta.xml\"/>\n") +
           pictures + QByteArrayLiteral("</manifest:manifest>\n");
}

// Reads one entry of an open archive.
QByteArray readEntry(zip_t* archive, const char* name) {
    zip_stat_t st;
    if (zip_stat(archive, name, 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE)) return {};
    zip_file_t* f = zip_fopen(archive, name, 0);
    if (!f) return {};
    QByteArray bytes(qsizetype(st.size), Qt::Uninitialized);
    const zip_int64_t got = zip_fread(f, bytes.data(), st.size);
    zip_fclose(f);
    return got == zip_int64_t(st.size) ? bytes : QByteArray();
}

// Puts `bytes` into the archive under `name`, in place of what was there.
bool putEntry(zip_t* archive, const char* name, const QByteArray& bytes) {
    // The archive reads the bytes when it is closed: they are kept until then.
    auto* copy = static_cast<char*>(malloc(size_t(std::max<qsizetype>(1, bytes.size()))));
    if (!copy) return false;
    memcpy(copy, bytes.constData(), size_t(bytes.size()));
    zip_source_t* source = zip_source_buffer(archive, copy, zip_uint64_t(bytes.size()), 1);
    if (!source) {
        free(copy);
        return false;
    }
    if (zip_file_add(archive, name, source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8) < 0) {
        zip_source_free(source);
        return false;
    }
    return true;
}

} // namespace

bool makeOdt(const QTextDocument& source, const OdtPage& page, QByteArray* out, QString* error) {
    auto fail = [&](const QString& why) {
        if (error) *error = why;
        return false;
    };
    std::unique_ptr<QTextDocument> doc(source.clone());
    doc->setUndoRedoEnabled(false);
    nameEveryFont(doc.get());
    std::vector<QTextTable*> tables;
    collectTables(doc->rootFrame(), &tables);

    QTemporaryDir work;
    if (!work.isValid()) return fail(QStringLiteral("No room for a temporary file."));
    const QString path = work.filePath(QStringLiteral("plan.odt"));
    {
        // Qt's writer closes the device it writes to.
        QTextDocumentWriter writer(path, QByteArrayLiteral("ODF"));
        if (!writer.write(doc.get())) return fail(QStringLiteral("The document could not be made."));
    }
    int code = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), 0, &code);
    if (!archive) return fail(QStringLiteral("The document could not be made."));
    const QByteArray content = restyleTables(readEntry(archive, "content.xml"), tables);
    const bool put = !content.isEmpty() && putEntry(archive, "content.xml", content) &&
                     putEntry(archive, "styles.xml", stylesXml(page)) &&
                     putEntry(archive, "meta.xml", metaXml(page)) &&
                     putEntry(archive, "META-INF/manifest.xml",
                              manifestXml(readEntry(archive, "META-INF/manifest.xml")));
    if (!put) {
        zip_discard(archive);
        return fail(QStringLiteral("The document could not be made."));
    }
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        return fail(QStringLiteral("The document could not be made."));
    }
    QFile made(path);
    if (!made.open(QIODevice::ReadOnly)) return fail(made.errorString());
    *out = made.readAll();
    return true;
}
