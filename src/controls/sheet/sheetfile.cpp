#include "sheetfile.h"

#include "numberformat.h"
#include "sheetmodel.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <limits>

namespace Sheet {

namespace {

const char* const kFormatName = "tandel-sheet";

QString colorName(QRgb c) {
    return QColor(c).name(QColor::HexRgb);
}

QJsonObject formatObject(const CellFormat& f) {
    // Only what differs from the default format, so that the file stays readable.
    const CellFormat d;
    QJsonObject o;
    if (f.fontName != d.fontName) o[QStringLiteral("font")] = f.fontName;
    if (f.fontSize != d.fontSize) o[QStringLiteral("size")] = f.fontSize;
    if (f.bold) o[QStringLiteral("bold")] = true;
    if (f.italic) o[QStringLiteral("italic")] = true;
    if (f.underline) o[QStringLiteral("underline")] = true;
    if (f.strikeout) o[QStringLiteral("strikeout")] = true;
    if (f.color != d.color) o[QStringLiteral("color")] = colorName(f.color);
    if (f.hAlign != d.hAlign) o[QStringLiteral("halign")] = f.hAlign;
    if (f.vAlign != d.vAlign) o[QStringLiteral("valign")] = f.vAlign;
    if (f.wrap) o[QStringLiteral("wrap")] = true;
    if (f.numberFormat != d.numberFormat) o[QStringLiteral("number")] = f.numberFormat;
    if (!f.locked) o[QStringLiteral("locked")] = false;
    if (f.hidden) o[QStringLiteral("hidden")] = true;
    return o;
}

QJsonObject viewObject(const ViewSettings& v) {
    QJsonObject o;
    o[QStringLiteral("maxRow")] = v.maxRow;
    o[QStringLiteral("maxCol")] = v.maxCol;
    o[QStringLiteral("fixedRows")] = v.fixedRows;
    o[QStringLiteral("fixedCols")] = v.fixedCols;
    o[QStringLiteral("protection")] = v.protection;
    o[QStringLiteral("showEditBar")] = v.showEditBar;
    o[QStringLiteral("allowArrows")] = v.allowArrows;
    o[QStringLiteral("showGridLines")] = v.showGridLines;
    o[QStringLiteral("active")] = cellName(v.activeRow, v.activeCol);
    o[QStringLiteral("selection")] = rangeName(v.selection);
    o[QStringLiteral("columnWidth")] = v.defaultColumnWidth;
    o[QStringLiteral("rowHeight")] = v.defaultRowHeight;
    return o;
}

QJsonObject printObject(const PrintSettings& p) {
    QJsonObject o;
    o[QStringLiteral("scale")] = p.scale;
    o[QStringLiteral("fitToPages")] = p.fitToPages;
    o[QStringLiteral("pagesHigh")] = p.pagesHigh;
    o[QStringLiteral("pagesWide")] = p.pagesWide;
    o[QStringLiteral("hCenter")] = p.hCenter;
    o[QStringLiteral("vCenter")] = p.vCenter;
    o[QStringLiteral("landscape")] = p.landscape;
    o[QStringLiteral("leftMargin")] = p.leftMargin;
    o[QStringLiteral("rightMargin")] = p.rightMargin;
    o[QStringLiteral("topMargin")] = p.topMargin;
    o[QStringLiteral("bottomMargin")] = p.bottomMargin;
    o[QStringLiteral("gridLines")] = p.gridLines;
    o[QStringLiteral("headings")] = p.headings;
    o[QStringLiteral("paperSize")] = p.paperSize;
    o[QStringLiteral("paperSource")] = p.paperSource;
    return o;
}

// Reads typed values, remembering the first thing that was wrong.
class Reader {
public:
    QString error;

    bool fail(const QString& why) {
        if (error.isEmpty()) error = why;
        return false;
    }

    int integer(const QJsonObject& o, const char* key, int def, int lo, int hi) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined()) return def;
        const double d = v.toDouble(std::nan(""));
        if (!v.isDouble() || !std::isfinite(d) || d != std::floor(d) || d < lo || d > hi) {
            fail(QStringLiteral("\"%1\" holds %2, which is not a whole number from %3 to %4")
                     .arg(QLatin1String(key), shortText(v))
                     .arg(lo)
                     .arg(hi));
            return def;
        }
        return int(d);
    }

    double real(const QJsonObject& o, const char* key, double def, double lo, double hi) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined()) return def;
        const double d = v.toDouble(std::nan(""));
        if (!v.isDouble() || !std::isfinite(d) || d < lo || d > hi) {
            fail(QStringLiteral("\"%1\" holds %2, which is not a number from %3 to %4")
                     .arg(QLatin1String(key), shortText(v))
                     .arg(lo)
                     .arg(hi));
            return def;
        }
        return d;
    }

    bool boolean(const QJsonObject& o, const char* key, bool def) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined()) return def;
        if (!v.isBool()) {
            fail(QStringLiteral("\"%1\" must be true or false").arg(QLatin1String(key)));
            return def;
        }
        return v.toBool();
    }

    QString text(const QJsonObject& o, const char* key, const QString& def, int maxLength = 255) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined()) return def;
        if (!v.isString() || v.toString().size() > maxLength) {
            fail(QStringLiteral("\"%1\" must be a text of at most %2 characters")
                     .arg(QLatin1String(key))
                     .arg(maxLength));
            return def;
        }
        return v.toString();
    }

    // A key the format does not have means the file is not what it claims to be (or was
    // changed by hand): reading on would drop what it holds without a word.
    void onlyKeys(const QJsonObject& o, std::initializer_list<const char*> keys, const char* where) {
        for (auto it = o.begin(); it != o.end(); ++it) {
            const bool known = std::any_of(keys.begin(), keys.end(), [&](const char* k) {
                return it.key() == QLatin1String(k);
            });
            if (!known) {
                fail(QStringLiteral("%1 holds \"%2\", which a sheet file does not have")
                         .arg(QLatin1String(where), it.key().left(40)));
                return;
            }
        }
    }

    QJsonObject object(const QJsonObject& o, const char* key) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined()) return {}; // missing altogether: said once all else is read
        if (!v.isObject()) fail(QStringLiteral("\"%1\" must be a group of settings").arg(QLatin1String(key)));
        return v.toObject();
    }

    // The objects of a list, each one checked to be an object.
    QJsonObject entry(const QJsonValue& v, const char* list) {
        if (!v.isObject()) fail(QStringLiteral("an entry of \"%1\" is not described").arg(QLatin1String(list)));
        return v.toObject();
    }

    QJsonArray array(const QJsonObject& o, const char* key) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined()) return {};
        if (!v.isArray()) fail(QStringLiteral("\"%1\" must be a list").arg(QLatin1String(key)));
        return v.toArray();
    }

    static QString shortText(const QJsonValue& v) {
        QString s = v.isString() ? u'"' + v.toString() + u'"'
                                 : QString::fromUtf8(QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact)).mid(1).chopped(1);
        return s.size() > 40 ? s.left(37) + QStringLiteral("...") : s;
    }
};

} // namespace

namespace {

QJsonObject sheetObject(const SheetModel& m) {
    QJsonObject root;
    root[QStringLiteral("view")] = viewObject(m.view());
    root[QStringLiteral("print")] = printObject(m.print());

    QJsonArray columns;
    for (const auto& [col, width] : m.columnWidths())
        columns.append(QJsonObject{{QStringLiteral("col"), columnName(col)}, {QStringLiteral("width"), width}});
    root[QStringLiteral("columns")] = columns;
    QJsonArray rows;
    for (const auto& [row, height] : m.rowHeights())
        rows.append(QJsonObject{{QStringLiteral("row"), row}, {QStringLiteral("height"), height}});
    root[QStringLiteral("rows")] = rows;

    // Only the formats in use, renumbered in order of first use.
    QHash<int, int> renumber;
    QJsonArray formats;
    formats.append(formatObject(m.formats()[0]));
    renumber.insert(0, 0);
    QJsonArray cells;
    for (const auto& [key, c] : m.cells()) {
        if (!renumber.contains(c.format)) {
            renumber.insert(c.format, int(formats.size()));
            formats.append(formatObject(m.formats()[size_t(c.format)]));
        }
        QJsonObject o;
        o[QStringLiteral("ref")] = cellName(keyRow(key), keyCol(key));
        switch (c.kind) {
        case Cell::Blank: break;
        case Cell::Number: o[QStringLiteral("number")] = c.number; break;
        case Cell::Text: o[QStringLiteral("text")] = c.text; break;
        case Cell::Formula:
            o[QStringLiteral("formula")] = c.expr ? formulaText(*c.expr) : c.text;
            break;
        }
        if (c.format != 0) o[QStringLiteral("format")] = renumber.value(c.format);
        cells.append(o);
    }
    root[QStringLiteral("formats")] = formats;
    root[QStringLiteral("cells")] = cells;
    return root;
}

} // namespace

QByteArray writeNative(const SheetModel& m) {
    QJsonObject root = sheetObject(m);
    root[QStringLiteral("format")] = QLatin1String(kFormatName);
    // A file of one unnamed sheet stays in the first version of the format, which every
    // release of the program reads.
    const bool workbook = m.extraSheetCount() > 0 || m.name() != SheetModel::defaultName();
    root[QStringLiteral("version")] = workbook ? kNativeVersion : 1;
    if (workbook) {
        root[QStringLiteral("name")] = m.name();
        QJsonArray sheets;
        for (int i = 0; i < m.extraSheetCount(); ++i) {
            QJsonObject o = sheetObject(*m.extraSheet(i));
            o[QStringLiteral("name")] = m.extraSheet(i)->name();
            sheets.append(o);
        }
        root[QStringLiteral("sheets")] = sheets;
    }
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool looksNative(const QByteArray& bytes) {
    for (char c : bytes.left(64)) {
        if (c == '{') return bytes.contains(kFormatName);
        if (!QChar::isSpace(uchar(c)) && uchar(c) != 0xEF && uchar(c) != 0xBB && uchar(c) != 0xBF)
            return false;
    }
    return false;
}

namespace {
void readSheetObject(Reader& rd, const QJsonObject& root, SheetModel& out, ViewSettings& view);
} // namespace

bool readNative(const QByteArray& bytes, SheetModel* model, QString* error) {
    auto fail = [&](const QString& why) {
        if (error) *error = QStringLiteral("The sheet file cannot be read: %1.").arg(why);
        return false;
    };
    if (bytes.size() > kMaxSheetFileSize) return fail(QStringLiteral("it is too large"));
    QJsonParseError perr;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &perr);
    if (doc.isNull())
        return fail(QStringLiteral("it is damaged (%1 at byte %2)").arg(perr.errorString()).arg(perr.offset));
    if (!doc.isObject()) return fail(QStringLiteral("it is not a sheet"));
    const QJsonObject root = doc.object();
    if (root.value(QStringLiteral("format")).toString() != QLatin1String(kFormatName))
        return fail(QStringLiteral("it is not a sheet"));
    Reader rd;
    const int version = rd.integer(root, "version", 0, 0, 1000000);
    if (!rd.error.isEmpty() || version < 1) return fail(QStringLiteral("it has no valid version number"));
    if (version > kNativeVersion)
        return fail(QStringLiteral("it was written by a newer version of the program (format %1)").arg(version));

    SheetModel out;
    ViewSettings view;
    {
        SheetModel::Batch batch(out);
        readSheetObject(rd, root, out, view);
        if (root.contains(QStringLiteral("name")) &&
            !out.setName(rd.text(root, "name", QString(), 64)))
            rd.fail(QStringLiteral("the sheet's name cannot be used"));
        const QJsonArray sheets = rd.array(root, "sheets");
        if (sheets.size() > 255) rd.fail(QStringLiteral("it holds too many sheets"));
        std::vector<std::pair<SheetModel*, ViewSettings>> further;
        for (const QJsonValue& sv : sheets) {
            if (!rd.error.isEmpty()) break;
            const QJsonObject o = rd.entry(sv, "sheets");
            SheetModel* extra = out.addSheet(rd.text(o, "name", QString(), 64));
            if (!extra) {
                rd.fail(QStringLiteral("a sheet's name is missing, cannot be used or is taken"));
                break;
            }
            ViewSettings extraView;
            readSheetObject(rd, o, *extra, extraView);
            further.emplace_back(extra, extraView);
        }
        if (!rd.error.isEmpty()) return fail(QStringLiteral("it is damaged: %1").arg(rd.error));
        for (auto& [extra, extraView] : further) extra->setView(extraView);
    }
    // Settings again, now that the cells cannot move the selection any more.
    out.setView(view);
    model->adopt(std::move(out));
    return true;
}

namespace {

void readSheetObject(Reader& rd, const QJsonObject& root, SheetModel& out, ViewSettings& view) {
    SheetModel::Batch batch(out);
    rd.onlyKeys(root, {"format", "version", "name", "sheets", "view", "print", "columns", "rows",
                       "formats", "cells"},
                "the file");

    const QJsonObject v = rd.object(root, "view");
    rd.onlyKeys(v, {"maxRow", "maxCol", "fixedRows", "fixedCols", "protection", "showEditBar",
                    "allowArrows", "showGridLines", "active", "selection", "columnWidth",
                    "rowHeight"},
                "\"view\"");
    view = ViewSettings();
    view.maxRow = rd.integer(v, "maxRow", view.maxRow, 1, kMaxRows);
    view.maxCol = rd.integer(v, "maxCol", view.maxCol, 1, kMaxCols);
    view.fixedRows = rd.integer(v, "fixedRows", 0, 0, kMaxRows - 1);
    view.fixedCols = rd.integer(v, "fixedCols", 0, 0, kMaxCols - 1);
    view.protection = rd.boolean(v, "protection", false);
    view.showEditBar = rd.boolean(v, "showEditBar", true);
    view.allowArrows = rd.boolean(v, "allowArrows", true);
    view.showGridLines = rd.boolean(v, "showGridLines", true);
    view.defaultColumnWidth = rd.integer(v, "columnWidth", view.defaultColumnWidth, 4, 2000);
    view.defaultRowHeight = rd.integer(v, "rowHeight", view.defaultRowHeight, 4, 1000);
    const QString active = rd.text(v, "active", QStringLiteral("A1"));
    if (!parseCellName(active, &view.activeRow, &view.activeCol))
        rd.fail(QStringLiteral("the active cell \"%1\" is no cell").arg(active));
    const QString sel = rd.text(v, "selection", active);
    if (!parseRangeName(sel, &view.selection))
        rd.fail(QStringLiteral("the selection \"%1\" is no range of cells").arg(sel));
    out.setView(view);

    const QJsonObject p = rd.object(root, "print");
    rd.onlyKeys(p, {"scale", "fitToPages", "pagesHigh", "pagesWide", "hCenter", "vCenter",
                    "landscape", "leftMargin", "rightMargin", "topMargin", "bottomMargin",
                    "gridLines", "headings", "paperSize", "paperSource"},
                "\"print\"");
    PrintSettings print;
    print.scale = rd.integer(p, "scale", 100, 10, 400);
    print.fitToPages = rd.boolean(p, "fitToPages", false);
    print.pagesHigh = rd.integer(p, "pagesHigh", 1, 1, 100);
    print.pagesWide = rd.integer(p, "pagesWide", 1, 1, 100);
    print.hCenter = rd.boolean(p, "hCenter", false);
    print.vCenter = rd.boolean(p, "vCenter", false);
    print.landscape = rd.boolean(p, "landscape", false);
    print.leftMargin = rd.real(p, "leftMargin", print.leftMargin, 0, 20);
    print.rightMargin = rd.real(p, "rightMargin", print.rightMargin, 0, 20);
    print.topMargin = rd.real(p, "topMargin", print.topMargin, 0, 20);
    print.bottomMargin = rd.real(p, "bottomMargin", print.bottomMargin, 0, 20);
    print.gridLines = rd.boolean(p, "gridLines", true);
    print.headings = rd.boolean(p, "headings", false);
    print.paperSize = rd.integer(p, "paperSize", 9, 0, 32767);
    print.paperSource = rd.integer(p, "paperSource", 0, 0, 32767);
    out.setPrint(print);

    for (const QJsonValue& cv : rd.array(root, "columns")) {
        const QJsonObject o = rd.entry(cv, "columns");
        rd.onlyKeys(o, {"col", "width"}, "a column width");
        const int col = columnNumber(rd.text(o, "col", QString()));
        if (col == 0) {
            rd.fail(QStringLiteral("a column width names no column"));
            break;
        }
        out.setColumnWidth(col, rd.integer(o, "width", 0, 1, 2000));
    }
    for (const QJsonValue& rv : rd.array(root, "rows")) {
        const QJsonObject o = rd.entry(rv, "rows");
        rd.onlyKeys(o, {"row", "height"}, "a row height");
        out.setRowHeight(rd.integer(o, "row", 1, 1, kMaxRows), rd.integer(o, "height", 0, 1, 1000));
    }

    const QJsonArray formats = rd.array(root, "formats");
    if (formats.size() > 65536) rd.fail(QStringLiteral("it holds too many formats"));
    std::vector<int> formatIds;
    for (qsizetype i = 0; i < formats.size() && rd.error.isEmpty(); ++i) {
        const QJsonObject o = rd.entry(formats[i], "formats");
        rd.onlyKeys(o, {"font", "size", "bold", "italic", "underline", "strikeout", "color",
                        "halign", "valign", "wrap", "number", "locked", "hidden"},
                    "a format");
        CellFormat f;
        f.fontName = rd.text(o, "font", f.fontName, 64);
        f.fontSize = rd.real(o, "size", f.fontSize, 1, 409);
        f.bold = rd.boolean(o, "bold", false);
        f.italic = rd.boolean(o, "italic", false);
        f.underline = rd.boolean(o, "underline", false);
        f.strikeout = rd.boolean(o, "strikeout", false);
        const QString color = rd.text(o, "color", QStringLiteral("#000000"), 16);
        const QColor qc = QColor::fromString(color);
        if (!qc.isValid()) rd.fail(QStringLiteral("\"%1\" is no colour").arg(color));
        f.color = qc.rgb();
        f.hAlign = rd.integer(o, "halign", f.hAlign, 1, 6);
        f.vAlign = rd.integer(o, "valign", f.vAlign, 1, 3);
        f.wrap = rd.boolean(o, "wrap", false);
        f.numberFormat = rd.text(o, "number", f.numberFormat);
        f.locked = rd.boolean(o, "locked", true);
        f.hidden = rd.boolean(o, "hidden", false);
        formatIds.push_back(out.addFormat(f));
    }
    if (formatIds.empty()) formatIds.push_back(0);

    const QJsonArray cells = rd.array(root, "cells");
    for (const QJsonValue& cv : cells) {
        if (!rd.error.isEmpty()) break;
        if (!cv.isObject()) {
            rd.fail(QStringLiteral("a cell is not described"));
            break;
        }
        const QJsonObject o = cv.toObject();
        rd.onlyKeys(o, {"ref", "formula", "number", "text", "format"}, "a cell");
        const QString ref = rd.text(o, "ref", QString(), 16);
        int row, col;
        if (!parseCellName(ref, &row, &col)) {
            rd.fail(QStringLiteral("\"%1\" is no cell").arg(ref));
            break;
        }
        const int fmt = rd.integer(o, "format", 0, 0, int(formatIds.size()) - 1);
        if (!rd.error.isEmpty()) break;
        out.setFormatIndex(row, col, formatIds[size_t(fmt)]);
        if (o.contains(QStringLiteral("formula"))) {
            out.setFormula(row, col, rd.text(o, "formula", QString(), 1 << 20));
        } else if (o.contains(QStringLiteral("number"))) {
            out.setNumber(row, col, rd.real(o, "number", 0, -std::numeric_limits<double>::max(),
                                          std::numeric_limits<double>::max()));
        } else if (o.contains(QStringLiteral("text"))) {
            out.setText(row, col, rd.text(o, "text", QString(), 1 << 24));
        }
    }
    // Every sheet file has these: one without them holds something else, and reading it
    // as an empty sheet would lose what the file holds once the sheet is saved.
    for (const char* key : {"view", "print", "cells"})
        if (!root.contains(QLatin1String(key)))
            rd.fail(QStringLiteral("it has no \"%1\"").arg(QLatin1String(key)));
}

} // namespace

// ---------------------------------------------------------------- tab-separated text

QString writeTsv(const SheetModel& m, const CellRange& range) {
    QString out;
    for (int r = range.row1; r <= range.row2; ++r) {
        QStringList fields;
        for (int c = range.col1; c <= range.col2; ++c) {
            QString s = m.shownText(r, c);
            if (s.contains(u'\t') || s.contains(u'\n') || s.contains(u'\r') || s.contains(u'"'))
                s = u'"' + s.replace(QLatin1String("\""), QLatin1String("\"\"")) + u'"';
            fields << s;
        }
        out += fields.join(u'\t');
        out += QLatin1String("\r\n");
    }
    return out;
}

QByteArray writeTsvFile(const SheetModel& m) {
    const CellRange used = m.usedRange();
    QByteArray out("\xEF\xBB\xBF");
    if (used.row2 > 0) out += writeTsv(m, CellRange{1, 1, used.row2, used.col2}).toUtf8();
    // Each further sheet of the workbook as a block of its own below, after an empty line
    // and a line with the sheet's name.
    for (int i = 0; i < m.extraSheetCount(); ++i) {
        const SheetModel& extra = *m.extraSheet(i);
        const CellRange r = extra.usedRange();
        out += "\r\n";
        out += extra.name().toUtf8() + "\r\n";
        if (r.row2 > 0) out += writeTsv(extra, CellRange{1, 1, r.row2, r.col2}).toUtf8();
    }
    return out;
}

QList<QStringList> parseTsv(const QString& text) {
    QList<QStringList> rows;
    QStringList fields;
    QString field;
    bool quoted = false, any = false;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < n && text[i + 1] == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
            continue;
        }
        if (c == u'"' && field.isEmpty()) {
            quoted = true;
            any = true;
        } else if (c == u'\t') {
            fields << field;
            field.clear();
            any = true;
        } else if (c == u'\n' || c == u'\r') {
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
            fields << field;
            rows << fields;
            fields.clear();
            field.clear();
            any = false;
        } else {
            field += c;
            any = true;
        }
    }
    if (any || !field.isEmpty()) {
        fields << field;
        rows << fields;
    }
    return rows;
}

} // namespace Sheet
