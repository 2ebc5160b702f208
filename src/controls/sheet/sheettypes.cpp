#include "sheettypes.h"

#include <QDate>
#include <QRegularExpression>
#include <cmath>

namespace Sheet {

CellRange CellRange::normalized() const {
    return {qMin(row1, row2), qMin(col1, col2), qMax(row1, row2), qMax(col1, col2)};
}

QString columnName(int col) {
    if (col < 1 || col > kMaxCols) return QString();
    QString out;
    while (col > 0) {
        const int rem = (col - 1) % 26;
        out.prepend(QChar(u'A' + rem));
        col = (col - 1) / 26;
    }
    return out;
}

int columnNumber(QStringView letters) {
    if (letters.isEmpty() || letters.size() > 3) return 0;
    int col = 0;
    for (QChar c : letters) {
        const char16_t u = c.toUpper().unicode();
        if (u < u'A' || u > u'Z') return 0;
        col = col * 26 + (u - u'A' + 1);
    }
    return col <= kMaxCols ? col : 0;
}

QString cellName(int row, int col, bool absRow, bool absCol) {
    QString out;
    if (absCol) out += QLatin1Char('$');
    out += columnName(col);
    if (absRow) out += QLatin1Char('$');
    out += QString::number(row);
    return out;
}

bool parseCellName(QStringView text, int* row, int* col) {
    text = text.trimmed();
    qsizetype i = 0;
    if (i < text.size() && text[i] == u'$') ++i;
    const qsizetype lettersStart = i;
    while (i < text.size() && text[i].isLetter() && text[i].unicode() < 128) ++i;
    const int c = columnNumber(text.mid(lettersStart, i - lettersStart));
    if (c == 0) return false;
    if (i < text.size() && text[i] == u'$') ++i;
    if (i >= text.size()) return false;
    qint64 r = 0;
    for (; i < text.size(); ++i) {
        if (!text[i].isDigit() || text[i].unicode() >= 128) return false;
        r = r * 10 + (text[i].unicode() - u'0');
        if (r > kMaxRows) return false;
    }
    if (r < 1) return false;
    *row = int(r);
    *col = c;
    return true;
}

bool parseRangeName(QStringView text, CellRange* range) {
    const qsizetype colon = text.indexOf(u':');
    int r1, c1, r2, c2;
    if (colon < 0) {
        if (!parseCellName(text, &r1, &c1)) return false;
        *range = CellRange::cell(r1, c1);
        return true;
    }
    if (!parseCellName(text.left(colon), &r1, &c1) || !parseCellName(text.mid(colon + 1), &r2, &c2))
        return false;
    *range = CellRange{r1, c1, r2, c2}.normalized();
    return true;
}

QString rangeName(const CellRange& range) {
    if (range.isSingleCell()) return cellName(range.row1, range.col1);
    return cellName(range.row1, range.col1) + QLatin1Char(':') + cellName(range.row2, range.col2);
}

namespace {
const char* const kErrorTexts[] = {"",      "#NULL!", "#DIV/0!", "#VALUE!", "#REF!",
                                   "#NAME?", "#NUM!",  "#N/A",    "#CIRC!"};
}

QString errorText(ErrorCode code) {
    return QString::fromLatin1(kErrorTexts[int(code)]);
}

ErrorCode errorFromText(QStringView text) {
    for (int i = 1; i <= int(ErrorCode::Circular); ++i)
        if (text.compare(QLatin1String(kErrorTexts[i]), Qt::CaseInsensitive) == 0)
            return ErrorCode(i);
    return ErrorCode::None;
}

Value Value::makeNumber(double v) {
    Value out;
    if (!std::isfinite(v)) {
        out.type = Error;
        out.error = ErrorCode::Num;
        return out;
    }
    out.type = Number;
    out.number = v == 0 ? 0.0 : v; // no negative zero
    return out;
}

bool Value::operator==(const Value& o) const {
    if (type != o.type) return false;
    switch (type) {
    case Empty: return true;
    case Number: return number == o.number;
    case Text: return text == o.text;
    case Bool: return boolean == o.boolean;
    case Error: return error == o.error;
    }
    return false;
}

namespace {
const qint64 kEpoch = QDate(1899, 12, 30).toJulianDay();
}

double dateSerial(int year, int month, int day) {
    // Months and days beyond their range roll over, as spreadsheets' DATE does.
    qint64 y = year, m = month - 1;
    y += m >= 0 ? m / 12 : -((11 - m) / 12);
    m = ((m % 12) + 12) % 12;
    if (y < 1 || y > 9999) return -1;
    const QDate first(int(y), int(m) + 1, 1);
    return double(first.toJulianDay() - kEpoch) + double(day) - 1;
}

bool serialToDate(double serial, int* year, int* month, int* day) {
    if (!std::isfinite(serial) || serial < 0 || serial > 2958465.0) return false;
    const QDate d = QDate::fromJulianDay(kEpoch + qint64(std::floor(serial)));
    if (!d.isValid()) return false;
    *year = d.year();
    *month = d.month();
    *day = d.day();
    return true;
}

bool parseNumberText(QStringView in, double* value, QString* impliedFormat) {
    QString s = in.trimmed().toString();
    if (s.isEmpty() || s.size() > 64) return false;
    bool negative = false, currency = false, percent = false, grouped = false;
    if (s.startsWith(u'(') && s.endsWith(u')')) {
        negative = true;
        s = s.mid(1, s.size() - 2).trimmed();
    }
    if (s.startsWith(u'-') || s.startsWith(u'+')) {
        negative = negative != (s[0] == u'-');
        s.remove(0, 1);
    }
    if (s.startsWith(u'£')) {
        currency = true;
        s.remove(0, 1);
        if (!negative && s.startsWith(u'-')) {
            negative = true;
            s.remove(0, 1);
        }
    }
    if (s.endsWith(u'%')) {
        percent = true;
        s.chop(1);
    }
    s = s.trimmed();
    if (s.isEmpty()) return false;
    // Thousands separators only between groups of three digits before the point.
    if (s.contains(u',')) {
        static const QRegularExpression groups(
            QStringLiteral("^\\d{1,3}(,\\d{3})+(\\.\\d*)?$"));
        if (!groups.match(s).hasMatch()) return false;
        s.remove(u',');
        grouped = true;
    }
    static const QRegularExpression number(
        QStringLiteral("^(\\d+\\.?\\d*|\\.\\d+)([eE][-+]?\\d{1,3})?$"));
    if (!number.match(s).hasMatch()) return false;
    bool ok = false;
    double v = s.toDouble(&ok);
    if (!ok || !std::isfinite(v)) return false;
    if (percent) v /= 100;
    if (negative) v = -v;
    *value = v == 0 ? 0.0 : v;
    if (impliedFormat) {
        const bool decimals = s.contains(u'.');
        if (currency)
            *impliedFormat = decimals ? QStringLiteral("£#,##0.00") : QStringLiteral("£#,##0");
        else if (percent)
            *impliedFormat = decimals ? QStringLiteral("0.00%") : QStringLiteral("0%");
        else if (grouped)
            *impliedFormat = decimals ? QStringLiteral("#,##0.00") : QStringLiteral("#,##0");
        else
            impliedFormat->clear();
    }
    return true;
}

namespace {

int monthFromName(QStringView name) {
    static const char* const names[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                        "jul", "aug", "sep", "oct", "nov", "dec"};
    static const char* const full[] = {"january", "february", "march",     "april",
                                       "may",     "june",     "july",      "august",
                                       "september", "october", "november", "december"};
    for (int i = 0; i < 12; ++i)
        if (name.compare(QLatin1String(names[i]), Qt::CaseInsensitive) == 0 ||
            name.compare(QLatin1String(full[i]), Qt::CaseInsensitive) == 0 ||
            (i == 8 && name.compare(QLatin1String("sept"), Qt::CaseInsensitive) == 0))
            return i + 1;
    return 0;
}

int fullYear(int y, int digits) {
    if (digits <= 2) return y < 30 ? 2000 + y : 1900 + y;
    return y;
}

} // namespace

bool parseDateText(QStringView in, double* serial) {
    const QString s = in.trimmed().toString();
    if (s.isEmpty() || s.size() > 40) return false;
    static const QRegularExpression dmy(
        QStringLiteral("^(\\d{1,2})\\s*[/.-]\\s*(\\d{1,2})\\s*[/.-]\\s*(\\d{2}|\\d{4})$"));
    static const QRegularExpression named(QStringLiteral(
        "^(\\d{1,2})[\\s-]+([A-Za-z]{3,9})\\.?[\\s-]+(\\d{2}|\\d{4})$"));
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})$"));
    int d = 0, m = 0, y = 0;
    if (auto mm = dmy.match(s); mm.hasMatch()) {
        d = mm.captured(1).toInt();
        m = mm.captured(2).toInt();
        y = fullYear(mm.captured(3).toInt(), int(mm.captured(3).size()));
    } else if (auto nm = named.match(s); nm.hasMatch()) {
        d = nm.captured(1).toInt();
        m = monthFromName(nm.captured(2));
        y = fullYear(nm.captured(3).toInt(), int(nm.captured(3).size()));
    } else if (auto im = iso.match(s); im.hasMatch()) {
        y = im.captured(1).toInt();
        m = im.captured(2).toInt();
        d = im.captured(3).toInt();
    } else {
        return false;
    }
    if (!QDate(y, m, d).isValid()) return false;
    const double v = dateSerial(y, m, d);
    if (v < 1) return false;
    *serial = v;
    return true;
}

} // namespace Sheet
