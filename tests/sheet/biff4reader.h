#pragma once

// A small reader of Excel 4 worksheet files, enough to check what the sheet control
// writes: records, fonts, number formats, XF records, cells with values and formulas
// (decoded back to formula text), column widths, row heights and print settings.

#include "controls/sheet/biff4.h"
#include "controls/sheet/formula.h"
#include "controls/sheet/sheettypes.h"

#include <QByteArray>
#include <QRgb>
#include <QMap>
#include <QString>
#include <QStringList>
#include <cstring>

struct Biff4File {
    struct Font {
        int height = 0, flags = 0, color = 0;
        QString name;
    };
    struct Xf {
        int font = 0, format = 0, protection = 0, align = 0;
    };
    struct CellData {
        Sheet::Value value;
        int xf = 0;
        QString formula; // without "=", empty for a plain value
    };
    bool ok = false;
    QString error;
    int bofType = 0;
    int codepage = 0;
    QList<int> recordIds;
    QList<Font> fonts; // as numbered in the file: index 4 is absent
    QStringList formats;
    QList<Xf> xfs;
    QMap<quint64, CellData> cells;
    QMap<int, int> columnUnits; // 1-based column -> width in 1/256 characters
    QMap<int, int> rowTwips;    // 1-based row -> height
    int paperSize = 0, scale = 0, fitWide = 0, fitHigh = 0, pageOptions = 0, wsbool = 0;
    int hCenter = 0, vCenter = 0, gridlines = 0, headers = 0, protect = 0;
    double margins[4] = {0, 0, 0, 0}; // left, right, top, bottom
    int paneCols = 0, paneRows = 0;
    QList<QRgb> palette; // colour indexes 8 on, as the file's palette gives them

    // The colour a font's colour index stands for; 0 for the automatic colour or an index
    // the palette lacks.
    QRgb rgbOf(int index) const {
        return index >= 8 && index - 8 < palette.size() ? palette[index - 8] : 0;
    }

    const Font& fontOf(const CellData& c) const {
        int i = xfs.value(c.xf).font;
        if (i >= 4) --i;
        return fonts[i];
    }
    QString formatOf(const CellData& c) const { return formats.value(xfs.value(c.xf).format); }
    const CellData* cell(int row, int col) const {
        auto it = cells.constFind(Sheet::cellKey(row, col));
        return it == cells.constEnd() ? nullptr : &*it;
    }
};

namespace biff4detail {

class In {
public:
    In(const QByteArray& b) : m_b(b) {}
    bool left(int n) const { return m_pos + n <= m_b.size(); }
    int u8() { return left(1) ? uchar(m_b[m_pos++]) : (m_bad = true, 0); }
    int u16() {
        const int lo = u8();
        return lo | (u8() << 8);
    }
    double f64() {
        if (!left(8)) {
            m_bad = true;
            return 0;
        }
        double d;
        std::memcpy(&d, m_b.constData() + m_pos, 8);
        m_pos += 8;
        return d;
    }
    QByteArray take(int n) {
        if (!left(n)) {
            m_bad = true;
            return {};
        }
        const QByteArray out = m_b.mid(m_pos, n);
        m_pos += n;
        return out;
    }
    QString str8() { return Sheet::fromCp1252(take(u8())); }
    QString str16() { return Sheet::fromCp1252(take(u16())); }
    bool bad() const { return m_bad; }
    bool atEnd() const { return m_pos >= m_b.size(); }

private:
    QByteArray m_b;
    qsizetype m_pos = 0;
    bool m_bad = false;
};

inline Sheet::ErrorCode errorOf(int code) {
    for (int e = 1; e <= int(Sheet::ErrorCode::NA); ++e)
        if (Sheet::biffErrorCode(e) == code) return Sheet::ErrorCode(e);
    return Sheet::ErrorCode::None;
}

inline QString ref(int rowField, int col) {
    return Sheet::cellName((rowField & 0x3FFF) + 1, col + 1, !(rowField & 0x8000), !(rowField & 0x4000));
}

inline QString functionName(int index) {
    for (const Sheet::FunctionInfo& f : Sheet::functionTable())
        if (f.biffIndex == index) return QString::fromLatin1(f.name);
    return QStringLiteral("FUNC%1").arg(index);
}

inline QString decodeFormula(const QByteArray& tokens, bool* ok) {
    In in(tokens);
    QStringList stack;
    static const char* const ops[] = {"", "", "", "+", "-", "*", "/", "^", "&", "<", "<=", "=", ">=", ">", "<>"};
    *ok = true;
    auto pop = [&] {
        if (stack.isEmpty()) {
            *ok = false;
            return QString();
        }
        return stack.takeLast();
    };
    while (!in.atEnd() && *ok) {
        const int t = in.u8();
        if (t >= 0x03 && t <= 0x0E) {
            const QString b = pop(), a = pop();
            stack << a + QLatin1String(ops[t]) + b;
        } else if (t == 0x12) stack << u'+' + pop();
        else if (t == 0x13) stack << u'-' + pop();
        else if (t == 0x14) stack << pop() + u'%';
        else if (t == 0x15) stack << u'(' + pop() + u')';
        else if (t == 0x16) stack << QString();
        else if (t == 0x17) stack << u'"' + in.str8().replace(QLatin1String("\""), QLatin1String("\"\"")) + u'"';
        else if (t == 0x1C) stack << Sheet::errorText(errorOf(in.u8()));
        else if (t == 0x1D) stack << (in.u8() ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
        else if (t == 0x1E) stack << QString::number(in.u16());
        else if (t == 0x1F) stack << QString::number(in.f64(), 'g', 17);
        else if ((t & 0x1F) == 0x04) {
            const int r = in.u16();
            stack << ref(r, in.u8());
        } else if ((t & 0x1F) == 0x05) {
            const int r1 = in.u16(), r2 = in.u16(), c1 = in.u8(), c2 = in.u8();
            stack << ref(r1, c1) + u':' + ref(r2, c2);
        } else if ((t & 0x1F) == 0x01 || (t & 0x1F) == 0x02) {
            int argc = -1;
            if ((t & 0x1F) == 0x02) argc = in.u8() & 0x7F;
            const int index = in.u16();
            const QString name = functionName(index);
            if (argc < 0) {
                argc = 0;
                for (const Sheet::FunctionInfo& f : Sheet::functionTable())
                    if (f.biffIndex == index) argc = f.minArgs;
            }
            QStringList args;
            for (int i = 0; i < argc; ++i) args.prepend(pop());
            stack << name + u'(' + args.join(u',') + u')';
        } else {
            *ok = false;
        }
    }
    if (in.bad() || stack.size() != 1) *ok = false;
    return stack.value(0);
}

} // namespace biff4detail

inline Biff4File readBiff4(const QByteArray& bytes) {
    using namespace biff4detail;
    Biff4File f;
    In in(bytes);
    QString pendingFormulaCell;
    quint64 lastFormula = 0;
    bool expectString = false;
    while (!in.atEnd()) {
        const int id = in.u16();
        const int len = in.u16();
        In r(in.take(len));
        if (in.bad()) {
            f.error = QStringLiteral("record %1 runs past the end").arg(id, 4, 16);
            return f;
        }
        f.recordIds << id;
        if (f.recordIds.size() == 1 && id != 0x0409) {
            f.error = QStringLiteral("no BIFF4 BOF record");
            return f;
        }
        auto cellKey = [&](In& rr, int* xf) {
            const int row = rr.u16() + 1, col = rr.u16() + 1;
            *xf = rr.u16();
            return Sheet::cellKey(row, col);
        };
        switch (id) {
        case 0x0409: r.u16(); f.bofType = r.u16(); break;
        case 0x0042: f.codepage = r.u16(); break;
        case 0x0092: {
            const int n = r.u16();
            for (int i = 0; i < n; ++i) {
                const int red = r.u8(), green = r.u8(), blue = r.u8();
                r.u8();
                f.palette << qRgb(red, green, blue);
            }
            break;
        }
        case 0x0231: {
            Biff4File::Font font;
            font.height = r.u16();
            font.flags = r.u16();
            font.color = r.u16();
            font.name = r.str8();
            f.fonts << font;
            break;
        }
        case 0x041E: r.u16(); f.formats << r.str8(); break;
        case 0x0443: {
            Biff4File::Xf xf;
            xf.font = r.u8();
            xf.format = r.u8();
            xf.protection = r.u16();
            xf.align = r.u8();
            f.xfs << xf;
            break;
        }
        case 0x007D: {
            const int c1 = r.u16(), c2 = r.u16(), w = r.u16();
            for (int c = c1; c <= c2; ++c) f.columnUnits[c + 1] = w;
            break;
        }
        case 0x0208: {
            const int row = r.u16();
            r.u16();
            r.u16();
            f.rowTwips[row + 1] = r.u16() & 0x7FFF;
            break;
        }
        case 0x0201: case 0x0203: case 0x0204: case 0x0205: {
            Biff4File::CellData c;
            const quint64 key = cellKey(r, &c.xf);
            if (id == 0x0203) c.value = Sheet::Value::makeNumber(r.f64());
            else if (id == 0x0204) c.value = Sheet::Value::makeText(r.str16());
            else if (id == 0x0205) {
                const int v = r.u8(), isErr = r.u8();
                c.value = isErr ? Sheet::Value::makeError(errorOf(v)) : Sheet::Value::makeBool(v);
            }
            f.cells.insert(key, c);
            break;
        }
        case 0x0406: {
            Biff4File::CellData c;
            const quint64 key = cellKey(r, &c.xf);
            const QByteArray result = r.take(8);
            r.u16();
            const QByteArray tokens = r.take(r.u16());
            bool ok;
            c.formula = decodeFormula(tokens, &ok);
            if (!ok) {
                f.error = QStringLiteral("formula tokens of %1 not understood").arg(
                    Sheet::cellName(Sheet::keyRow(key), Sheet::keyCol(key)));
                return f;
            }
            if (uchar(result[6]) == 0xFF && uchar(result[7]) == 0xFF) {
                const int type = uchar(result[0]);
                if (type == 0 || type == 3) {
                    c.value = Sheet::Value::makeText(QString());
                    expectString = type == 0;
                } else if (type == 1) {
                    c.value = Sheet::Value::makeBool(result[2]);
                } else {
                    c.value = Sheet::Value::makeError(errorOf(uchar(result[2])));
                }
            } else {
                double d;
                std::memcpy(&d, result.constData(), 8);
                c.value = Sheet::Value::makeNumber(d);
            }
            f.cells.insert(key, c);
            lastFormula = key;
            break;
        }
        case 0x0207:
            if (expectString) f.cells[lastFormula].value = Sheet::Value::makeText(r.str16());
            expectString = false;
            break;
        case 0x00A1:
            f.paperSize = r.u16();
            f.scale = r.u16();
            r.u16();
            f.fitWide = r.u16();
            f.fitHigh = r.u16();
            f.pageOptions = r.u16();
            break;
        case 0x0081: f.wsbool = r.u16(); break;
        case 0x0083: f.hCenter = r.u16(); break;
        case 0x0084: f.vCenter = r.u16(); break;
        case 0x002B: f.gridlines = r.u16(); break;
        case 0x002A: f.headers = r.u16(); break;
        case 0x0012: f.protect = r.u16(); break;
        case 0x0026: f.margins[0] = r.f64(); break;
        case 0x0027: f.margins[1] = r.f64(); break;
        case 0x0028: f.margins[2] = r.f64(); break;
        case 0x0029: f.margins[3] = r.f64(); break;
        case 0x0041: f.paneCols = r.u16(); f.paneRows = r.u16(); break;
        default: break;
        }
        if (r.bad()) {
            f.error = QStringLiteral("record %1 is too short").arg(id, 4, 16);
            return f;
        }
    }
    f.ok = !f.recordIds.isEmpty() && f.recordIds.last() == 0x000A;
    if (!f.ok) f.error = QStringLiteral("no EOF record");
    return f;
}
