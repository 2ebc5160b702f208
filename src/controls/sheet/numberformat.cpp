#include "numberformat.h"

#include <QDate>
#include <QHash>
#include <QLocale>
#include <QStringList>
#include <cmath>
#include <vector>

namespace Sheet {

namespace {

const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                               "July",    "August",   "September", "October", "November", "December"};
const char* const kDays[] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                             "Friday", "Saturday", "Sunday"};

// One piece of a section.
struct Part {
    enum Kind { Literal, Digits, Point, DateCode } kind = Literal;
    QString text; // literal text, or the date code ("mmm", "yyyy", "h", "mm" for minutes: "M")
};

struct Section {
    std::vector<Part> parts;
    QColor color;
    bool isDate = false;
    bool isText = false;    // has "@"
    bool thousands = false; // "," between digit placeholders
    int percent = 0;
    int intZeros = 0;       // "0" placeholders before the point
    int decimals = 0;       // placeholders after the point
    int decimalZeros = 0;   // of which "0"
    bool hasDigits = false;
    bool general = false;
};

struct Format {
    std::vector<Section> sections;
};

// Splits on ";" outside quotes and brackets.
QStringList splitSections(const QString& code) {
    QStringList out;
    QString cur;
    bool quote = false, bracket = false;
    for (int i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (c == u'\\' && i + 1 < code.size() && !quote) {
            cur += c;
            cur += code[++i];
            continue;
        }
        if (c == u'"') quote = !quote;
        else if (!quote && c == u'[') bracket = true;
        else if (!quote && c == u']') bracket = false;
        if (c == u';' && !quote && !bracket) {
            out << cur;
            cur.clear();
            continue;
        }
        cur += c;
    }
    out << cur;
    return out;
}

QColor bracketColor(const QString& name) {
    static const QHash<QString, QColor> colors = {
        {QStringLiteral("red"), QColor(255, 0, 0)},     {QStringLiteral("blue"), QColor(0, 0, 255)},
        {QStringLiteral("green"), QColor(0, 128, 0)},   {QStringLiteral("black"), QColor(0, 0, 0)},
        {QStringLiteral("magenta"), QColor(255, 0, 255)}, {QStringLiteral("cyan"), QColor(0, 255, 255)},
        {QStringLiteral("yellow"), QColor(255, 255, 0)}, {QStringLiteral("white"), QColor(255, 255, 255)},
    };
    return colors.value(name.toLower());
}

void addLiteral(Section& s, const QString& text) {
    if (!s.parts.empty() && s.parts.back().kind == Part::Literal) s.parts.back().text += text;
    else s.parts.push_back({Part::Literal, text});
}

Section parseSection(const QString& src) {
    Section s;
    if (src.trimmed().compare(QLatin1String("General"), Qt::CaseInsensitive) == 0) {
        s.general = true;
        return s;
    }
    bool afterPoint = false;
    bool lastWasHour = false;
    for (int i = 0; i < src.size(); ++i) {
        const QChar c = src[i];
        const QChar lc = c.toLower();
        if (c == u'"') {
            const int end = src.indexOf(u'"', i + 1);
            addLiteral(s, src.mid(i + 1, (end < 0 ? src.size() : end) - i - 1));
            i = end < 0 ? int(src.size()) : end;
        } else if (c == u'\\' && i + 1 < src.size()) {
            addLiteral(s, src.mid(++i, 1));
        } else if (c == u'_' && i + 1 < src.size()) {
            addLiteral(s, QStringLiteral(" "));
            ++i;
        } else if (c == u'*' && i + 1 < src.size()) {
            ++i; // fill characters are not drawn
        } else if (c == u'[') {
            const int end = src.indexOf(u']', i);
            const QString inside = src.mid(i + 1, (end < 0 ? src.size() : end) - i - 1);
            if (inside.startsWith(u'$')) {
                // Locale currency "[$£-809]": the symbol is what shows.
                const int dash = inside.indexOf(u'-');
                addLiteral(s, inside.mid(1, dash < 0 ? -1 : dash - 1));
            } else if (QColor col = bracketColor(inside); col.isValid()) {
                s.color = col;
            }
            i = end < 0 ? int(src.size()) : end;
        } else if (c == u'0' || c == u'#' || c == u'?') {
            s.hasDigits = true;
            if (afterPoint) {
                ++s.decimals;
                if (c != u'#') ++s.decimalZeros;
            } else {
                if (c != u'#') ++s.intZeros;
                if (s.parts.empty() || s.parts.back().kind != Part::Digits)
                    s.parts.push_back({Part::Digits, QString()});
            }
        } else if (c == u'.' && !afterPoint &&
                   (s.hasDigits || (i + 1 < src.size() && QStringLiteral("0#?").contains(src[i + 1])))) {
            afterPoint = true;
            s.parts.push_back({Part::Point, QString()});
        } else if (c == u',' && s.hasDigits && !afterPoint && i + 1 < src.size() &&
                   QStringLiteral("0#?").contains(src[i + 1])) {
            s.thousands = true;
        } else if (c == u',') {
            // A trailing comma scales by a thousand elsewhere; not supported: ignored.
        } else if (c == u'%') {
            ++s.percent;
            addLiteral(s, QStringLiteral("%"));
        } else if (c == u'@') {
            s.isText = true;
            s.parts.push_back({Part::DateCode, QStringLiteral("@")});
        } else if (lc == u'd' || lc == u'y' || lc == u'm' || lc == u'h' || lc == u's') {
            int j = i;
            while (j < src.size() && src[j].toLower() == lc) ++j;
            QString run = src.mid(i, j - i).toLower();
            if (lc == u'm') {
                // Minutes after an hour or before seconds; months otherwise.
                int k = j;
                while (k < src.size() && (src[k] == u':' || src[k] == u' ')) ++k;
                const bool beforeSeconds = k < src.size() && src[k].toLower() == u's';
                if (lastWasHour || beforeSeconds) run = run.size() > 1 ? QStringLiteral("MM") : QStringLiteral("M");
            }
            s.parts.push_back({Part::DateCode, run});
            s.isDate = true;
            lastWasHour = lc == u'h';
            i = j - 1;
            continue;
        } else if (src.mid(i, 5).compare(QLatin1String("AM/PM"), Qt::CaseInsensitive) == 0) {
            s.parts.push_back({Part::DateCode, QStringLiteral("AM/PM")});
            s.isDate = true;
            i += 4;
        } else {
            addLiteral(s, QString(c));
        }
        if (lc != u':' && lc != u' ') lastWasHour = false;
    }
    return s;
}

const Format& parsedFormat(const QString& code) {
    static QHash<QString, Format> cache;
    auto it = cache.constFind(code);
    if (it != cache.constEnd()) return *it;
    if (cache.size() > 4096) cache.clear(); // formats typed into TEXT() by the thousand
    Format f;
    const QStringList parts = splitSections(code.isEmpty() ? QStringLiteral("General") : code);
    for (const QString& p : parts.mid(0, 4)) f.sections.push_back(parseSection(p));
    return *cache.insert(code, f);
}

QString groupDigits(const QString& digits) {
    QString out;
    const int n = int(digits.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += u',';
        out += digits[i];
    }
    return out;
}

// Rounds half away from zero after the first fifteen significant digits, so that 2.675
// rounds to 2.68 as people expect rather than to the binary neighbour below it.
double roundHalfAway(double v, int decimals) {
    const double p = std::pow(10.0, decimals);
    double scaled = v * p;
    if (!std::isfinite(scaled)) return v;
    scaled = QString::number(scaled, 'g', 15).toDouble();
    return std::round(scaled) / p;
}

QString formatDigits(double v, const Section& s) {
    double x = std::fabs(v) * std::pow(100.0, s.percent);
    x = roundHalfAway(x, s.decimals);
    QString fixed = QString::number(x, 'f', s.decimals);
    QString intPart = fixed, frac;
    const int dot = fixed.indexOf(u'.');
    if (dot >= 0) {
        intPart = fixed.left(dot);
        frac = fixed.mid(dot + 1);
    }
    // Optional decimals drop their trailing zeros.
    while (frac.size() > s.decimalZeros && frac.endsWith(u'0')) frac.chop(1);
    if (intPart == QLatin1String("0") && s.intZeros == 0) intPart.clear();
    while (intPart.size() < s.intZeros) intPart.prepend(u'0');
    if (s.thousands) intPart = groupDigits(intPart);
    QString out;
    bool placedInt = false;
    for (const Part& p : s.parts) {
        switch (p.kind) {
        case Part::Literal: out += p.text; break;
        case Part::Digits:
            if (!placedInt) out += intPart;
            placedInt = true;
            break;
        case Part::Point:
            if (!placedInt) out += intPart;
            placedInt = true;
            if (s.decimals > 0 && (!frac.isEmpty() || s.decimalZeros > 0)) out += u'.' + frac;
            else if (s.decimals == 0) out += u'.';
            break;
        case Part::DateCode: break;
        }
    }
    if (!placedInt) out += intPart;
    return out;
}

QString formatDate(double v, const Section& s) {
    int y, m, d;
    if (!serialToDate(v, &y, &m, &d)) return QString(11, u'#');
    const QDate date(y, m, d);
    double frac = v - std::floor(v);
    qint64 secs = qint64(std::llround(frac * 86400.0));
    if (secs >= 86400) secs = 86399;
    const int hour = int(secs / 3600), minute = int(secs / 60 % 60), second = int(secs % 60);
    bool ampm = false;
    for (const Part& p : s.parts)
        if (p.kind == Part::DateCode && p.text == QLatin1String("AM/PM")) ampm = true;
    QString out;
    auto two = [](int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    for (const Part& p : s.parts) {
        if (p.kind == Part::Literal) {
            out += p.text;
            continue;
        }
        if (p.kind != Part::DateCode) continue;
        const QString& t = p.text;
        if (t == QLatin1String("d")) out += QString::number(d);
        else if (t == QLatin1String("dd")) out += two(d);
        else if (t == QLatin1String("ddd")) out += QString::fromLatin1(kDays[date.dayOfWeek() - 1]).left(3);
        else if (t.startsWith(QLatin1String("dddd"))) out += QString::fromLatin1(kDays[date.dayOfWeek() - 1]);
        else if (t == QLatin1String("m")) out += QString::number(m);
        else if (t == QLatin1String("mm")) out += two(m);
        else if (t == QLatin1String("mmm")) out += QString::fromLatin1(kMonths[m - 1]).left(3);
        else if (t == QLatin1String("mmmm") || t.size() > 5) out += QString::fromLatin1(kMonths[m - 1]);
        else if (t == QLatin1String("mmmmm")) out += QChar(kMonths[m - 1][0]);
        else if (t == QLatin1String("yy") || t == QLatin1String("y")) out += two(y % 100);
        else if (t.startsWith(u'y')) out += QString::number(y);
        else if (t.startsWith(u'h')) {
            const int h = ampm ? (hour % 12 == 0 ? 12 : hour % 12) : hour;
            out += t.size() > 1 ? two(h) : QString::number(h);
        } else if (t == QLatin1String("M")) out += QString::number(minute);
        else if (t == QLatin1String("MM")) out += two(minute);
        else if (t.startsWith(u's')) out += t.size() > 1 ? two(second) : QString::number(second);
        else if (t == QLatin1String("AM/PM")) out += hour < 12 ? QLatin1String("AM") : QLatin1String("PM");
        else if (t == QLatin1String("@")) out += generalNumber(v);
    }
    return out;
}

} // namespace

QString generalNumber(double v) {
    if (v == 0) return QStringLiteral("0");
    const double a = std::fabs(v);
    if (a >= 1e11 || a < 1e-9) {
        QString s = QString::number(v, 'E', 5);
        // 1.50000E+11 -> 1.5E+11
        const int e = s.indexOf(u'E');
        QString mant = s.left(e), exp = s.mid(e);
        while (mant.contains(u'.') && (mant.endsWith(u'0') || mant.endsWith(u'.'))) mant.chop(1);
        return mant + exp;
    }
    // Ten significant digits, no exponent, no trailing zeros.
    const int intDigits = a >= 1 ? int(std::floor(std::log10(a))) + 1 : 0;
    const int decimals = qBound(0, 10 - intDigits, 10);
    QString s = QString::number(roundHalfAway(v, decimals), 'f', decimals);
    if (s.contains(u'.')) {
        while (s.endsWith(u'0')) s.chop(1);
        if (s.endsWith(u'.')) s.chop(1);
    }
    if (s == QLatin1String("-0")) s = QStringLiteral("0");
    return s;
}

QString formatNumber(double v, const QString& code, QColor* color) {
    const Format& f = parsedFormat(code);
    if (color) *color = QColor();
    const int n = int(f.sections.size());
    const Section* s = &f.sections[0];
    bool minus = v < 0;
    if (n >= 2 && v < 0) {
        s = &f.sections[1];
        minus = false; // the negative section writes its own sign
    } else if (n >= 3 && v == 0) {
        s = &f.sections[2];
    }
    if (color) *color = s->color;
    if (s->general) return generalNumber(v);
    if (s->isDate) {
        if (v < 0) return QString(11, u'#');
        return formatDate(v, *s);
    }
    if (!s->hasDigits && !s->isText) {
        QString out;
        for (const Part& p : s->parts)
            if (p.kind == Part::Literal) out += p.text;
        return (minus ? QStringLiteral("-") : QString()) + out;
    }
    if (s->isText && !s->hasDigits) return generalNumber(v);
    QString out = formatDigits(v, *s);
    // A negative number that rounds to zero shows no sign.
    if (minus) {
        bool allZero = true;
        for (QChar c : out)
            if (c.isDigit() && c != u'0') allZero = false;
        if (!allZero) out.prepend(u'-');
    }
    return out;
}

QString formatValue(const Value& value, const QString& code, QColor* color) {
    if (color) *color = QColor();
    switch (value.type) {
    case Value::Empty: return QString();
    case Value::Number: return formatNumber(value.number, code, color);
    case Value::Bool: return value.boolean ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case Value::Error: return errorText(value.error);
    case Value::Text: {
        const Format& f = parsedFormat(code);
        if (f.sections.size() >= 4 && f.sections[3].isText) {
            QString out;
            for (const Part& p : f.sections[3].parts)
                out += p.kind == Part::Literal ? p.text : (p.text == QLatin1String("@") ? value.text : QString());
            if (color) *color = f.sections[3].color;
            return out;
        }
        return value.text;
    }
    }
    return QString();
}

bool isDateFormat(const QString& code) {
    const Format& f = parsedFormat(code);
    return !f.sections.empty() && f.sections[0].isDate;
}

} // namespace Sheet
