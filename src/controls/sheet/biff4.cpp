#include "biff4.h"

#include "formula.h"
#include "sheetmodel.h"

#include <QHash>
#include <QStringList>
#include <cmath>
#include <cstring>
#include <vector>

namespace Sheet {

namespace {

// Windows-1252 in 0x80..0x9F; the rest of the code page is Latin-1.
const char16_t kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

// The sixteen colours of an Excel 4 palette, indexes 8 to 23.
const QRgb kPalette[16] = {0xFF000000, 0xFFFFFFFF, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00,
                           0xFFFF00FF, 0xFF00FFFF, 0xFF800000, 0xFF008000, 0xFF000080, 0xFF808000,
                           0xFF800080, 0xFF008080, 0xFFC0C0C0, 0xFF808080};

// Record identifiers of an Excel 4 worksheet.
enum : int {
    rBof = 0x0409, rEof = 0x000A, rCodepage = 0x0042, rCalcMode = 0x000D, rCalcCount = 0x000C,
    rRefMode = 0x000F, rIteration = 0x0011, rDelta = 0x0010, rSaveRecalc = 0x005F,
    rPrintHeaders = 0x002A, rPrintGridlines = 0x002B, rGridSet = 0x0082, rGuts = 0x0080,
    rDefaultRowHeight = 0x0225, rCountry = 0x008C, rWsBool = 0x0081, rHCenter = 0x0083,
    rVCenter = 0x0084, rLeftMargin = 0x0026, rRightMargin = 0x0027, rTopMargin = 0x0028,
    rBottomMargin = 0x0029, rPageSetup = 0x00A1, rProtect = 0x0012, rPalette = 0x0092,
    rFont = 0x0231, rFormat = 0x041E, rXf = 0x0443, rStyle = 0x0293, rDefColWidth = 0x0055,
    rColInfo = 0x007D, rDimensions = 0x0200, rRow = 0x0208, rBlank = 0x0201, rNumber = 0x0203,
    rLabel = 0x0204, rBoolErr = 0x0205, rFormula = 0x0406, rString = 0x0207, rWindow1 = 0x003D,
    rWindow2 = 0x023E, rPane = 0x0041,
};

class Out {
public:
    QByteArray data;
    void u8(int v) { data.append(char(v & 0xFF)); }
    void u16(int v) {
        u8(v);
        u8(v >> 8);
    }
    void u32(quint32 v) {
        u16(int(v & 0xFFFF));
        u16(int(v >> 16));
    }
    void f64(double v) {
        quint64 bits;
        std::memcpy(&bits, &v, 8);
        u32(quint32(bits & 0xFFFFFFFFu));
        u32(quint32(bits >> 32));
    }
    void bytes(const QByteArray& b) { data.append(b); }
    int size() const { return int(data.size()); }
};

QByteArray string8(const QString& s) {
    QByteArray b = toCp1252(s).left(255);
    b.prepend(char(b.size()));
    return b;
}

QByteArray string16(const QString& s) {
    const QByteArray b = toCp1252(s).left(255);
    Out o;
    o.u16(int(b.size()));
    o.bytes(b);
    return o.data;
}

// Pixels at 96 per inch to 1/256 of the width of a digit of the standard font (seven
// pixels wide, with five pixels of padding), as other spreadsheets measure columns.
int columnUnits(int px) {
    return qBound(0, int(std::lround(qMax(0.0, (px - 5) / 7.0) * 256)), 0xFFFF);
}

// Functions whose arguments are references rather than values (ranges are summed, not
// narrowed to one cell).
bool takesReferences(int function) {
    switch (function) {
    case FnSum: case FnAverage: case FnMin: case FnMax: case FnCount: case FnCountA:
    case FnAnd: case FnOr: return true;
    default: return false;
    }
}

class Writer {
public:
    explicit Writer(const SheetModel& m) : m_model(m) {
        m_palette.assign(std::begin(kPalette), std::end(kPalette));
    }

    QByteArray run() {
        // Formats first: the fonts, number formats and palette they need are written before
        // them.
        for (const auto& [key, c] : m_model.cells()) xfFor(c.format);
        xfFor(0);

        Out bof;
        bof.u16(0);
        bof.u16(0x0010); // worksheet
        bof.u16(0);
        record(rBof, bof);
        simple(rCodepage, 1252);
        simple(rCalcMode, 1);
        simple(rCalcCount, 100);
        simple(rRefMode, 1);
        simple(rIteration, 0);
        real(rDelta, 0.001);
        simple(rSaveRecalc, 1);
        const PrintSettings& p = m_model.print();
        const ViewSettings& v = m_model.view();
        simple(rPrintHeaders, p.headings ? 1 : 0);
        simple(rPrintGridlines, p.gridLines ? 1 : 0);
        simple(rGridSet, 1);
        Out guts;
        for (int i = 0; i < 4; ++i) guts.u16(0);
        record(rGuts, guts);
        Out drh;
        drh.u16(0);
        drh.u16(v.defaultRowHeight * 15);
        record(rDefaultRowHeight, drh);
        Out country;
        country.u16(44);
        country.u16(44);
        record(rCountry, country);
        simple(rWsBool, 0x04C1 | (p.fitToPages ? 0x0100 : 0));
        simple(rHCenter, p.hCenter ? 1 : 0);
        simple(rVCenter, p.vCenter ? 1 : 0);
        real(rLeftMargin, p.leftMargin);
        real(rRightMargin, p.rightMargin);
        real(rTopMargin, p.topMargin);
        real(rBottomMargin, p.bottomMargin);
        Out setup;
        setup.u16(p.paperSize);
        setup.u16(p.scale);
        setup.u16(1);
        setup.u16(p.fitToPages ? p.pagesWide : 1);
        setup.u16(p.fitToPages ? p.pagesHigh : 1);
        setup.u16(p.landscape ? 0 : 0x0002);
        record(rPageSetup, setup);
        simple(rProtect, v.protection ? 1 : 0);

        Out palette;
        palette.u16(16);
        for (QRgb c : m_palette) {
            palette.u8(qRed(c));
            palette.u8(qGreen(c));
            palette.u8(qBlue(c));
            palette.u8(0);
        }
        record(rPalette, palette);
        for (const Font& f : m_fonts) {
            Out o;
            o.u16(f.height);
            o.u16(f.flags);
            o.u16(f.color);
            o.bytes(string8(f.name));
            record(rFont, o);
        }
        for (int i = 0; i < m_formats.size(); ++i) {
            Out o;
            o.u16(i);
            o.bytes(string8(m_formats[i]));
            record(rFormat, o);
        }
        // The Normal style, then one cell XF for each format in use.
        Out style;
        style.u8(0);
        style.u8(0);
        style.u16(0xFFF4 | 0x0001);
        style.u8(0x00);
        style.u8(0);
        style.u16(0);
        style.u32(0);
        record(rXf, style);
        for (const QByteArray& xf : m_xfs) record(rXf, xf);
        Out normal;
        normal.u16(0x8000);
        normal.u8(0);
        normal.u8(0xFF);
        record(rStyle, normal);

        simple(rDefColWidth, qMax(1, int(std::lround((v.defaultColumnWidth - 5) / 7.0))));
        for (const auto& [col, width] : m_model.columnWidths()) {
            if (col > 256) continue;
            Out o;
            o.u16(col - 1);
            o.u16(col - 1);
            o.u16(columnUnits(width));
            o.u16(xfFor(0));
            o.u16(0);
            o.u8(0);
            record(rColInfo, o);
        }
        const CellRange used = m_model.formattedRange();
        Out dim;
        dim.u16(0);
        dim.u16(used.row2);
        dim.u16(0);
        dim.u16(used.col2);
        dim.u16(0);
        record(rDimensions, dim);

        // Rows: every row with cells or a height of its own.
        std::map<int, std::pair<int, int>> rows; // row -> first col, last col
        for (const auto& [key, c] : m_model.cells()) {
            auto& span = rows.try_emplace(keyRow(key), keyCol(key), keyCol(key)).first->second;
            span.first = qMin(span.first, keyCol(key));
            span.second = qMax(span.second, keyCol(key));
        }
        for (const auto& [row, h] : m_model.rowHeights()) rows.try_emplace(row, 1, 0);
        for (const auto& [row, span] : rows) {
            Out o;
            o.u16(row - 1);
            o.u16(span.first - 1);
            o.u16(span.second);
            const bool custom = m_model.explicitRowHeight(row) > 0;
            o.u16(qMin(m_model.rowHeight(row) * 15, 0x7FFF));
            o.u16(0);
            o.u16(0);
            o.u16(custom ? 0x0140 : 0x0100);
            o.u16(0);
            record(rRow, o);
        }
        for (const auto& [key, c] : m_model.cells()) writeCell(keyRow(key), keyCol(key), c);

        Out w1;
        w1.u16(0);
        w1.u16(0);
        w1.u16(12000);
        w1.u16(8000);
        w1.u16(0);
        record(rWindow1, w1);
        const bool frozen = v.fixedRows > 0 || v.fixedCols > 0;
        Out w2;
        int options = 0x00B6; // grid, headings, zeros, default grid colour, outline
        if (!v.showGridLines) options &= ~0x0002;
        if (frozen) options |= 0x0108;
        w2.u16(options);
        w2.u16(0);
        w2.u16(0);
        w2.u32(0);
        record(rWindow2, w2);
        if (frozen) {
            Out pane;
            pane.u16(v.fixedCols);
            pane.u16(v.fixedRows);
            pane.u16(v.fixedRows);
            pane.u16(v.fixedCols);
            pane.u8(v.fixedRows > 0 && v.fixedCols > 0 ? 0 : v.fixedRows > 0 ? 2 : 1);
            pane.u8(0);
            record(rPane, pane);
        }
        record(rEof, QByteArray());
        return m_out.data;
    }

private:
    void record(int id, const QByteArray& body) {
        m_out.u16(id);
        m_out.u16(int(body.size()));
        m_out.bytes(body);
    }
    void record(int id, const Out& body) { record(id, body.data); }
    void simple(int id, int value) {
        Out o;
        o.u16(value);
        record(id, o);
    }
    void real(int id, double value) {
        Out o;
        o.f64(value);
        record(id, o);
    }

    int colorIndex(QRgb c) {
        c |= 0xFF000000;
        if (c == 0xFF000000) return 0x7FFF; // automatic: the window's text colour
        for (size_t i = 0; i < m_palette.size(); ++i)
            if (m_palette[i] == c) return int(i) + 8;
        // A colour the standard palette lacks takes over an entry from its end (greys
        // and dark shades); past eight such colours the nearest entry serves.
        if (m_customColors < 8) {
            const int slot = 15 - m_customColors++;
            m_palette[size_t(slot)] = c;
            return slot + 8;
        }
        int best = 8;
        long bestDist = -1;
        for (size_t i = 0; i < m_palette.size(); ++i) {
            const QRgb p = m_palette[i];
            const long d = long(qRed(p) - qRed(c)) * (qRed(p) - qRed(c)) +
                           long(qGreen(p) - qGreen(c)) * (qGreen(p) - qGreen(c)) +
                           long(qBlue(p) - qBlue(c)) * (qBlue(p) - qBlue(c));
            if (bestDist < 0 || d < bestDist) bestDist = d, best = int(i) + 8;
        }
        return best;
    }

    int fontIndex(const CellFormat& f) {
        Font font{f.fontName.left(255), int(std::lround(f.fontSize * 20)),
                  (f.bold ? 1 : 0) | (f.italic ? 2 : 0) | (f.underline ? 4 : 0) | (f.strikeout ? 8 : 0),
                  colorIndex(f.color)};
        size_t i = 0;
        while (i < m_fonts.size() && !(m_fonts[i] == font)) ++i;
        if (i == m_fonts.size()) m_fonts.push_back(font);
        // There is no font number 4 in these files: the fifth font is number 5.
        return i < 4 ? int(i) : int(i) + 1;
    }

    int numberFormatIndex(const QString& code) {
        if (m_formats.isEmpty()) m_formats << QStringLiteral("General");
        qsizetype i = m_formats.indexOf(code);
        if (i < 0) {
            m_formats << code;
            i = m_formats.size() - 1;
        }
        return int(qMin<qsizetype>(i, 255));
    }

    int xfFor(int modelFormat) {
        auto known = m_xfOfFormat.constFind(modelFormat);
        if (known != m_xfOfFormat.constEnd()) return *known;
        const CellFormat& f = m_model.formats()[size_t(modelFormat)];
        if (m_fonts.empty()) fontIndex(CellFormat()); // font 0 is the default font
        if (m_formats.isEmpty()) numberFormatIndex(QStringLiteral("General"));
        Out o;
        o.u8(qMin(fontIndex(f), 255));
        o.u8(numberFormatIndex(f.numberFormat));
        o.u16((f.locked ? 1 : 0) | (f.hidden ? 2 : 0) | (0 << 4));
        const int hor = qBound(0, f.hAlign - 1, 5);
        const int ver = qBound(0, f.vAlign - 1, 2);
        o.u8(hor | (f.wrap ? 0x08 : 0) | (ver << 4));
        o.u8(0xFC); // every attribute is the cell's own
        o.u16(0);
        o.u32(0);
        int index;
        auto same = m_xfIndex.constFind(o.data);
        if (same != m_xfIndex.constEnd()) {
            index = *same;
        } else {
            m_xfs.push_back(o.data);
            index = int(m_xfs.size()); // XF 0 is the style
            m_xfIndex.insert(o.data, index);
        }
        m_xfOfFormat.insert(modelFormat, index);
        return index;
    }

    // A reference's row field: bit 15 marks a relative row, bit 14 a relative column.
    static int refRow(const RefPart& p) {
        return ((p.row - 1) & 0x3FFF) | (p.absRow ? 0 : 0x8000) | (p.absCol ? 0 : 0x4000);
    }

    // Compiles to Excel's reverse Polish tokens; false when the formula uses something
    // the format cannot hold.
    bool compile(const Expr& e, Out* o, bool refClass) {
        if (o->size() > 1800) return false;
        switch (e.kind) {
        case Expr::Number:
            if (e.number >= 0 && e.number <= 65535 && e.number == std::floor(e.number)) {
                o->u8(0x1E);
                o->u16(int(e.number));
            } else {
                o->u8(0x1F);
                o->f64(e.number);
            }
            return true;
        case Expr::String:
            if (e.text.size() > 255) return false;
            o->u8(0x17);
            o->bytes(string8(e.text));
            return true;
        case Expr::Boolean:
            o->u8(0x1D);
            o->u8(e.boolean ? 1 : 0);
            return true;
        case Expr::ErrorLit:
            o->u8(0x1C);
            o->u8(biffErrorCode(int(e.error)));
            return true;
        case Expr::Ref:
            // An Excel 4 worksheet stands alone: a formula reading another sheet keeps
            // its value.
            if (!e.sheet.isEmpty()) return false;
            o->u8(refClass ? 0x24 : 0x44);
            o->u16(refRow(e.a));
            o->u8(e.a.col - 1);
            return true;
        case Expr::Range:
            if (!e.sheet.isEmpty()) return false;
            o->u8(refClass ? 0x25 : 0x45);
            o->u16(refRow(e.a));
            o->u16(refRow(e.b));
            o->u8(e.a.col - 1);
            o->u8(e.b.col - 1);
            return true;
        case Expr::Name: return false;
        case Expr::Missing: o->u8(0x16); return true;
        case Expr::Paren:
            if (!compile(*e.args[0], o, refClass)) return false;
            o->u8(0x15);
            return true;
        case Expr::Unary:
            if (!compile(*e.args[0], o, false)) return false;
            o->u8(e.op == Expr::Neg ? 0x13 : 0x12);
            return true;
        case Expr::Percent:
            if (!compile(*e.args[0], o, false)) return false;
            o->u8(0x14);
            return true;
        case Expr::Binary: {
            static const int codes[] = {0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x0B,
                                        0x0E, 0x09, 0x0A, 0x0D, 0x0C};
            if (!compile(*e.args[0], o, false) || !compile(*e.args[1], o, false)) return false;
            o->u8(codes[e.op]);
            return true;
        }
        case Expr::Call: {
            if (e.function < 0) return false;
            if (e.function == FnConcatenate) {
                if (!compile(*e.args[0], o, false)) return false;
                if (e.args.size() == 1) {
                    o->u8(0x17);
                    o->u8(0);
                    o->u8(0x08);
                }
                for (size_t i = 1; i < e.args.size(); ++i) {
                    if (!compile(*e.args[i], o, false)) return false;
                    o->u8(0x08);
                }
                return true;
            }
            const FunctionInfo& info = functionTable()[size_t(e.function)];
            if (info.biffIndex < 0 || e.args.size() > 30) return false;
            for (const auto& a : e.args)
                if (!compile(*a, o, takesReferences(e.function))) return false;
            if (info.biffFixed) {
                o->u8(0x41);
                o->u16(info.biffIndex);
            } else {
                o->u8(0x42);
                o->u8(int(e.args.size()));
                o->u16(info.biffIndex);
            }
            return true;
        }
        }
        return false;
    }

    void cellHeader(Out* o, int row, int col, int xf) {
        o->u16(row - 1);
        o->u16(col - 1);
        o->u16(xf);
    }

    void writeValue(int row, int col, int xf, const Value& v) {
        Out o;
        cellHeader(&o, row, col, xf);
        switch (v.type) {
        case Value::Empty: record(rBlank, o); break;
        case Value::Number:
            o.f64(v.number);
            record(rNumber, o);
            break;
        case Value::Text:
            if (v.text.isEmpty()) {
                record(rBlank, o);
                break;
            }
            o.bytes(string16(v.text));
            record(rLabel, o);
            break;
        case Value::Bool:
        case Value::Error:
            o.u8(v.type == Value::Bool ? int(v.boolean) : biffErrorCode(int(v.error)));
            o.u8(v.type == Value::Error ? 1 : 0);
            record(rBoolErr, o);
            break;
        }
    }

    void writeCell(int row, int col, const Cell& c) {
        if (row > kMaxRows || col > 256) return;
        const int xf = xfFor(c.format);
        if (c.kind != Cell::Formula || !c.expr) {
            writeValue(row, col, xf, c.value);
            return;
        }
        Out tokens;
        if (!compile(*c.expr, &tokens, false) || tokens.size() > 1800) {
            writeValue(row, col, xf, c.value);
            return;
        }
        Out o;
        cellHeader(&o, row, col, xf);
        const Value& v = c.value;
        switch (v.type) {
        case Value::Number: o.f64(v.number); break;
        case Value::Text:
            o.u8(v.text.isEmpty() ? 3 : 0);
            for (int i = 0; i < 5; ++i) o.u8(0);
            o.u16(0xFFFF);
            break;
        case Value::Bool:
        case Value::Error:
            o.u8(v.type == Value::Bool ? 1 : 2);
            o.u8(0);
            o.u8(v.type == Value::Bool ? int(v.boolean) : biffErrorCode(int(v.error)));
            for (int i = 0; i < 3; ++i) o.u8(0);
            o.u16(0xFFFF);
            break;
        case Value::Empty: o.f64(0); break;
        }
        o.u16(0);
        o.u16(tokens.size());
        o.bytes(tokens.data);
        record(rFormula, o);
        if (v.type == Value::Text && !v.text.isEmpty()) record(rString, string16(v.text));
    }

    const SheetModel& m_model;
    Out m_out;
    struct Font {
        QString name;
        int height, flags, color;
        bool operator==(const Font&) const = default;
    };
    std::vector<Font> m_fonts;
    QStringList m_formats;
    std::vector<QRgb> m_palette;
    int m_customColors = 0;
    std::vector<QByteArray> m_xfs;
    QHash<int, int> m_xfOfFormat;
    QHash<QByteArray, int> m_xfIndex;
};

} // namespace

QByteArray toCp1252(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out.append(char(u));
            continue;
        }
        int code = '?';
        for (int i = 0; i < 32; ++i)
            if (kCp1252High[i] == u && u != 0xFFFD) code = 0x80 + i;
        out.append(char(code));
    }
    return out;
}

QString fromCp1252(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const uchar b = uchar(ch);
        out.append(b >= 0x80 && b < 0xA0 ? QChar(kCp1252High[b - 0x80]) : QChar(b));
    }
    return out;
}

quint8 biffErrorCode(int code) {
    switch (ErrorCode(code)) {
    case ErrorCode::Null: return 0x00;
    case ErrorCode::Div0: return 0x07;
    case ErrorCode::Value: return 0x0F;
    case ErrorCode::Ref: return 0x17;
    case ErrorCode::Name: return 0x1D;
    case ErrorCode::Num: return 0x24;
    case ErrorCode::NA: return 0x2A;
    case ErrorCode::Circular: return 0x17; // Excel's own reading gives no such error value
    case ErrorCode::None: break;
    }
    return 0x0F;
}

QByteArray writeBiff4(const SheetModel& model) {
    Writer w(model);
    return w.run();
}

} // namespace Sheet
