#include "plans/planheader.h"

#include <cfenv>
#include <cmath>

namespace {
QString field(long long value, int width) {
    if (value < 0)
        value = 0; // a margin or code cannot be negative; keep the field all digits
    const QString digits = QString::number(value).rightJustified(width, QLatin1Char('0'));
    return digits.right(width);
}

long long thousandths(double inches) {
    const int old = std::fegetround();
    std::fesetround(FE_TONEAREST); // halves go to the even neighbour
    const double v = std::nearbyint(inches * 1000.0);
    std::fesetround(old);
    if (!std::isfinite(v))
        return 0;
    return v > 9.0e17 ? 900000000000000000LL : (long long)v;
}

bool readInt(const QString& text, long long* out) {
    bool ok = false;
    const long long v = text.trimmed().toLongLong(&ok);
    if (ok)
        *out = v;
    return ok && !text.trimmed().isEmpty();
}
} // namespace

namespace PlanHeader {

QString make(const PlanPageSettings& s) {
    return field(thousandths(s.left), 15) + field(thousandths(s.right), 15) +
           field(thousandths(s.top), 15) + field(thousandths(s.bottom), 15) +
           field(s.paperSize, 4) + field(s.orientation, 4);
}

Parsed parse(const QString& header) {
    Parsed p;
    long long m[4] = {0, 0, 0, 0};
    bool ok = header.size() >= 60;
    for (int i = 0; ok && i < 4; ++i)
        ok = readInt(header.mid(i * 15, 15), &m[i]);
    if (ok) {
        p.marginsOk = true;
        p.settings.left = m[0] * 0.001;
        p.settings.right = m[1] * 0.001;
        p.settings.top = m[2] * 0.001;
        p.settings.bottom = m[3] * 0.001;
    }
    long long paper = 0, orient = 0;
    if (header.size() >= 68 && readInt(header.mid(60, 4), &paper) &&
        readInt(header.mid(64, 4), &orient)) {
        p.pageOk = true;
        p.settings.paperSize = int(paper);
        p.settings.orientation = int(orient);
    }
    return p;
}

} // namespace PlanHeader
