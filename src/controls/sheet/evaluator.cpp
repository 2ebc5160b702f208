#include "evaluator.h"

#include "numberformat.h"

#include <QDate>
#include <cmath>

namespace Sheet {

bool toNumber(const Value& v, double* out) {
    switch (v.type) {
    case Value::Number: *out = v.number; return true;
    case Value::Bool: *out = v.boolean ? 1 : 0; return true;
    case Value::Empty: *out = 0; return true;
    case Value::Text: return parseNumberText(v.text, out) || parseDateText(v.text, out);
    case Value::Error: return false;
    }
    return false;
}

QString toText(const Value& v) {
    switch (v.type) {
    case Value::Number: return generalNumber(v.number);
    case Value::Bool: return v.boolean ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case Value::Text: return v.text;
    case Value::Error: return errorText(v.error);
    case Value::Empty: return QString();
    }
    return QString();
}

namespace {

Value err(ErrorCode e) { return Value::makeError(e); }
Value num(double v) { return Value::makeNumber(v); }

double roundDecimal(double v, int decimals, int mode /* 0 half away, 1 up, -1 down */) {
    decimals = qBound(-15, decimals, 15);
    const double p = std::pow(10.0, decimals);
    double scaled = QString::number(v * p, 'g', 15).toDouble();
    double r;
    if (mode == 0) r = std::round(scaled);
    else if (mode > 0) r = scaled < 0 ? -std::ceil(-scaled) : std::ceil(scaled);
    else r = std::trunc(scaled);
    return r / p;
}

int daysInMonth(int y, int m) { return QDate(y, m, 1).daysInMonth(); }

// Compares as other spreadsheets do: numbers before text before logical values; text
// without regard to case; an empty cell as 0, "" or FALSE by what it meets.
int compareValues(Value a, Value b) {
    if (a.isEmpty() && !b.isEmpty()) {
        if (b.type == Value::Number) a = num(0);
        else if (b.type == Value::Text) a = Value::makeText(QString());
        else a = Value::makeBool(false);
    } else if (b.isEmpty() && !a.isEmpty()) {
        return -compareValues(b, a);
    } else if (a.isEmpty() && b.isEmpty()) {
        return 0;
    }
    auto rank = [](const Value& v) { return v.type == Value::Number ? 0 : v.type == Value::Text ? 1 : 2; };
    if (rank(a) != rank(b)) return rank(a) < rank(b) ? -1 : 1;
    switch (a.type) {
    case Value::Number: return a.number < b.number ? -1 : a.number > b.number ? 1 : 0;
    case Value::Text: {
        const int c = QString::compare(a.text, b.text, Qt::CaseInsensitive);
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    case Value::Bool: return int(a.boolean) - int(b.boolean);
    default: return 0;
    }
}

class Eval {
public:
    explicit Eval(const CellReader& cells) : m_cells(cells) {}

    Value eval(const Expr& e) {
        switch (e.kind) {
        case Expr::Number: return num(e.number);
        case Expr::String: return Value::makeText(e.text);
        case Expr::Boolean: return Value::makeBool(e.boolean);
        case Expr::ErrorLit: return err(e.error);
        case Expr::Missing: return Value();
        case Expr::Name: return err(ErrorCode::Name);
        case Expr::Ref:
            if (const CellReader* r = readerOf(e)) return r->cellValue(e.a.row, e.a.col);
            return err(ErrorCode::Ref);
        case Expr::Range:
            // A range where one value is wanted stands for its single cell.
            if (e.a.row == e.b.row && e.a.col == e.b.col) {
                if (const CellReader* r = readerOf(e)) return r->cellValue(e.a.row, e.a.col);
                return err(ErrorCode::Ref);
            }
            return err(ErrorCode::Value);
        case Expr::Paren: return eval(*e.args[0]);
        case Expr::Unary: {
            const Value v = eval(*e.args[0]);
            if (v.isError()) return v;
            double x;
            if (!toNumber(v, &x)) return err(ErrorCode::Value);
            return num(e.op == Expr::Neg ? -x : x);
        }
        case Expr::Percent: {
            const Value v = eval(*e.args[0]);
            if (v.isError()) return v;
            double x;
            if (!toNumber(v, &x)) return err(ErrorCode::Value);
            return num(x / 100);
        }
        case Expr::Binary: return binary(e);
        case Expr::Call: return call(e);
        }
        return err(ErrorCode::Value);
    }

private:
    Value binary(const Expr& e) {
        const Value a = eval(*e.args[0]);
        const Value b = eval(*e.args[1]);
        if (a.isError()) return a;
        if (b.isError()) return b;
        switch (e.op) {
        case Expr::Concat: {
            const QString s = toText(a) + toText(b);
            if (s.size() > kMaxTextLength) return err(ErrorCode::Value);
            return Value::makeText(s);
        }
        case Expr::Eq: return Value::makeBool(compareValues(a, b) == 0);
        case Expr::Ne: return Value::makeBool(compareValues(a, b) != 0);
        case Expr::Lt: return Value::makeBool(compareValues(a, b) < 0);
        case Expr::Le: return Value::makeBool(compareValues(a, b) <= 0);
        case Expr::Gt: return Value::makeBool(compareValues(a, b) > 0);
        case Expr::Ge: return Value::makeBool(compareValues(a, b) >= 0);
        default: break;
        }
        double x, y;
        if (!toNumber(a, &x) || !toNumber(b, &y)) return err(ErrorCode::Value);
        switch (e.op) {
        case Expr::Add: return num(x + y);
        case Expr::Sub: return num(x - y);
        case Expr::Mul: return num(x * y);
        case Expr::Div: return y == 0 ? err(ErrorCode::Div0) : num(x / y);
        case Expr::Pow:
            if (x == 0 && y < 0) return err(ErrorCode::Div0);
            if (x == 0 && y == 0) return err(ErrorCode::Num);
            return num(std::pow(x, y));
        default: return err(ErrorCode::Value);
        }
    }

    static bool isReference(const Expr& a) { return a.kind == Expr::Ref || a.kind == Expr::Range; }
    // The sheet a reference reads: the formula's own, or the one it names (null when the
    // workbook has no sheet of that name).
    const CellReader* readerOf(const Expr& ref) const {
        return ref.sheet.isEmpty() ? &m_cells : m_cells.sheetReader(ref.sheet);
    }

    static CellRange rangeOf(const Expr& a) {
        return a.kind == Expr::Ref ? CellRange::cell(a.a.row, a.a.col)
                                   : CellRange{a.a.row, a.a.col, a.b.row, a.b.col};
    }

    // Walks the values of the arguments as SUM does: references give their numbers (text
    // and empty cells skipped, logical values too), direct values convert. Returns an
    // error value to stop, or Empty.
    Value eachNumber(const Expr& call, const std::function<void(double)>& fn, bool countMode = false) {
        Value stop;
        for (const auto& arg : call.args) {
            // An omitted argument counts as 0, as elsewhere: AVERAGE(2,,4) is 2.
            if (arg->kind == Expr::Missing) {
                fn(0);
                continue;
            }
            if (isReference(*arg)) {
                const CellReader* sheet = readerOf(*arg);
                if (!sheet) return err(ErrorCode::Ref);
                sheet->forEachValue(rangeOf(*arg), [&](const Value& v) {
                    if (!stop.isEmpty()) return;
                    if (v.isError()) {
                        if (!countMode) stop = v;
                    } else if (v.isNumber()) {
                        fn(v.number);
                    }
                });
                if (!stop.isEmpty()) return stop;
                continue;
            }
            const Value v = eval(*arg);
            if (v.isError()) {
                if (countMode) continue;
                return v;
            }
            double x;
            if (v.isEmpty()) continue;
            if (!toNumber(v, &x)) {
                if (countMode) continue;
                return err(ErrorCode::Value);
            }
            fn(x);
        }
        return stop;
    }

    Value scalarNumber(const Expr& a, double* x) {
        const Value v = eval(a);
        if (v.isError()) return v;
        if (!toNumber(v, x)) return err(ErrorCode::Value);
        return Value();
    }

    Value scalarText(const Expr& a, QString* s) {
        const Value v = eval(a);
        if (v.isError()) return v;
        *s = toText(v);
        return Value();
    }

    Value scalarBool(const Expr& a, bool* b) {
        const Value v = eval(a);
        if (v.isError()) return v;
        switch (v.type) {
        case Value::Bool: *b = v.boolean; return Value();
        case Value::Number: *b = v.number != 0; return Value();
        case Value::Empty: *b = false; return Value();
        case Value::Text:
            if (v.text.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0) *b = true;
            else if (v.text.compare(QLatin1String("FALSE"), Qt::CaseInsensitive) == 0) *b = false;
            else return err(ErrorCode::Value);
            return Value();
        default: return err(ErrorCode::Value);
        }
    }

#define NUMBER_ARG(i, var)                                                                  \
    double var;                                                                             \
    if (Value bad = scalarNumber(*e.args[i], &var); !bad.isEmpty()) return bad;
#define TEXT_ARG(i, var)                                                                    \
    QString var;                                                                            \
    if (Value bad = scalarText(*e.args[i], &var); !bad.isEmpty()) return bad;

    bool given(const Expr& e, size_t i) const {
        return e.args.size() > i && e.args[i]->kind != Expr::Missing;
    }

    Value logical(const Expr& e, bool isAnd) {
        bool any = false, result = isAnd;
        for (const auto& arg : e.args) {
            if (arg->kind == Expr::Missing) continue;
            if (isReference(*arg)) {
                Value stop;
                const CellReader* sheet = readerOf(*arg);
                if (!sheet) return err(ErrorCode::Ref);
                sheet->forEachValue(rangeOf(*arg), [&](const Value& v) {
                    if (!stop.isEmpty()) return;
                    if (v.isError()) stop = v;
                    else if (v.type == Value::Number || v.type == Value::Bool) {
                        const bool b = v.type == Value::Bool ? v.boolean : v.number != 0;
                        result = isAnd ? (result && b) : (result || b);
                        any = true;
                    }
                });
                if (!stop.isEmpty()) return stop;
                continue;
            }
            bool b;
            if (Value bad = scalarBool(*arg, &b); !bad.isEmpty()) return bad;
            result = isAnd ? (result && b) : (result || b);
            any = true;
        }
        if (!any) return err(ErrorCode::Value);
        return Value::makeBool(result);
    }

    Value dateParts(const Expr& e, int which) {
        NUMBER_ARG(0, serial);
        int y, m, d;
        if (!serialToDate(serial, &y, &m, &d)) return err(ErrorCode::Num);
        return num(which == 0 ? d : which == 1 ? m : y);
    }

    Value monthShift(const Expr& e, bool endOfMonth) {
        NUMBER_ARG(0, start);
        NUMBER_ARG(1, months);
        int y, m, d;
        if (!serialToDate(start, &y, &m, &d)) return err(ErrorCode::Num);
        const qint64 total = qint64(y) * 12 + (m - 1) + qint64(std::trunc(months));
        const qint64 ny = total >= 0 ? total / 12 : -1;
        const int nm = int(total - ny * 12) + 1;
        if (ny < 1900 || ny > 9999) return err(ErrorCode::Num);
        const int dim = daysInMonth(int(ny), nm);
        return num(dateSerial(int(ny), nm, endOfMonth ? dim : qMin(d, dim)));
    }

    Value textResult(const QString& s) {
        if (s.size() > kMaxTextLength) return err(ErrorCode::Value);
        return Value::makeText(s);
    }

    Value call(const Expr& e) {
        if (e.function < 0) return err(ErrorCode::Name);
        switch (FunctionId(e.function)) {
        case FnSum: {
            double sum = 0;
            if (Value bad = eachNumber(e, [&](double x) { sum += x; }); !bad.isEmpty()) return bad;
            return num(sum);
        }
        case FnAverage: {
            double sum = 0;
            int n = 0;
            if (Value bad = eachNumber(e, [&](double x) { sum += x, ++n; }); !bad.isEmpty()) return bad;
            return n == 0 ? err(ErrorCode::Div0) : num(sum / n);
        }
        case FnMin:
        case FnMax: {
            const bool isMin = e.function == FnMin;
            double best = 0;
            bool any = false;
            if (Value bad = eachNumber(e, [&](double x) {
                    if (!any || (isMin ? x < best : x > best)) best = x;
                    any = true;
                });
                !bad.isEmpty())
                return bad;
            return num(any ? best : 0);
        }
        case FnCount: {
            int n = 0;
            eachNumber(e, [&](double) { ++n; }, true);
            return num(n);
        }
        case FnCountA: {
            int n = 0;
            for (const auto& arg : e.args) {
                if (isReference(*arg)) {
                    const CellReader* sheet = readerOf(*arg);
                    if (!sheet) return err(ErrorCode::Ref);
                    sheet->forEachValue(rangeOf(*arg), [&](const Value&) { ++n; });
                } else if (arg->kind != Expr::Missing) {
                    ++n;
                }
            }
            return num(n);
        }
        case FnRound:
        case FnRoundUp:
        case FnRoundDown: {
            NUMBER_ARG(0, x);
            NUMBER_ARG(1, digits);
            const int mode = e.function == FnRound ? 0 : e.function == FnRoundUp ? 1 : -1;
            return num(roundDecimal(x, int(std::trunc(qBound(-100.0, digits, 100.0))), mode));
        }
        case FnAbs: {
            NUMBER_ARG(0, x);
            return num(std::fabs(x));
        }
        case FnInt: {
            NUMBER_ARG(0, x);
            return num(std::floor(x));
        }
        case FnMod: {
            NUMBER_ARG(0, x);
            NUMBER_ARG(1, y);
            if (y == 0) return err(ErrorCode::Div0);
            return num(x - y * std::floor(x / y));
        }
        case FnIf: {
            bool cond;
            if (Value bad = scalarBool(*e.args[0], &cond); !bad.isEmpty()) return bad;
            if (cond) return given(e, 1) ? eval(*e.args[1]) : num(0);
            if (e.args.size() < 3) return Value::makeBool(false);
            return given(e, 2) ? eval(*e.args[2]) : num(0);
        }
        case FnAnd: return logical(e, true);
        case FnOr: return logical(e, false);
        case FnNot: {
            bool b;
            if (Value bad = scalarBool(*e.args[0], &b); !bad.isEmpty()) return bad;
            return Value::makeBool(!b);
        }
        case FnTrue: return Value::makeBool(true);
        case FnFalse: return Value::makeBool(false);
        case FnDate: {
            NUMBER_ARG(0, y);
            NUMBER_ARG(1, m);
            NUMBER_ARG(2, d);
            double year = std::trunc(y);
            if (year >= 0 && year < 1900) year += 1900;
            if (year < 1900 || year > 9999 || std::fabs(m) > 1e6 || std::fabs(d) > 1e8)
                return err(ErrorCode::Num);
            const double serial = dateSerial(int(year), int(std::trunc(m)), int(std::trunc(d)));
            if (serial < 0) return err(ErrorCode::Num);
            return num(serial);
        }
        case FnDateValue: {
            const Value v = eval(*e.args[0]);
            if (v.isError()) return v;
            double serial;
            if (v.type != Value::Text || !parseDateText(v.text, &serial)) return err(ErrorCode::Value);
            return num(serial);
        }
        case FnDay: return dateParts(e, 0);
        case FnMonth: return dateParts(e, 1);
        case FnYear: return dateParts(e, 2);
        case FnEDate: return monthShift(e, false);
        case FnEOMonth: return monthShift(e, true);
        case FnText: {
            const Value v = eval(*e.args[0]);
            if (v.isError()) return v;
            TEXT_ARG(1, format);
            double x;
            if (v.type == Value::Text && !toNumber(v, &x)) return v;
            if (!toNumber(v, &x)) return err(ErrorCode::Value);
            return textResult(formatNumber(x, format));
        }
        case FnLeft:
        case FnRight: {
            TEXT_ARG(0, s);
            double n = 1;
            if (given(e, 1)) {
                if (Value bad = scalarNumber(*e.args[1], &n); !bad.isEmpty()) return bad;
            }
            if (n < 0) return err(ErrorCode::Value);
            const qsizetype count = qsizetype(qMin(n, double(s.size())));
            return Value::makeText(e.function == FnLeft ? s.left(count) : s.right(count));
        }
        case FnMid: {
            TEXT_ARG(0, s);
            NUMBER_ARG(1, start);
            NUMBER_ARG(2, n);
            if (start < 1 || n < 0) return err(ErrorCode::Value);
            if (start > s.size()) return Value::makeText(QString());
            return Value::makeText(s.mid(qsizetype(start) - 1, qsizetype(qMin(n, double(s.size())))));
        }
        case FnLen: {
            TEXT_ARG(0, s);
            return num(double(s.size()));
        }
        case FnFind: {
            TEXT_ARG(0, needle);
            TEXT_ARG(1, hay);
            double start = 1;
            if (given(e, 2)) {
                if (Value bad = scalarNumber(*e.args[2], &start); !bad.isEmpty()) return bad;
            }
            if (start < 1 || start > hay.size() + 1) return err(ErrorCode::Value);
            const qsizetype at = hay.indexOf(needle, qsizetype(start) - 1, Qt::CaseSensitive);
            if (at < 0) return err(ErrorCode::Value);
            return num(double(at + 1));
        }
        case FnValue: {
            const Value v = eval(*e.args[0]);
            if (v.isError()) return v;
            double x;
            if (v.type == Value::Bool || !toNumber(v, &x)) return err(ErrorCode::Value);
            return num(x);
        }
        case FnConcatenate: {
            QString out;
            for (size_t i = 0; i < e.args.size(); ++i) {
                TEXT_ARG(i, s);
                out += s;
                if (out.size() > kMaxTextLength) return err(ErrorCode::Value);
            }
            return Value::makeText(out);
        }
        case FnChoose: {
            NUMBER_ARG(0, index);
            const int i = int(std::trunc(qBound(-1.0, index, 1e6)));
            if (i < 1 || i >= int(e.args.size())) return err(ErrorCode::Value);
            return given(e, size_t(i)) ? eval(*e.args[size_t(i)]) : num(0);
        }
        case FnUpper: {
            TEXT_ARG(0, s);
            return Value::makeText(s.toUpper());
        }
        case FnLower: {
            TEXT_ARG(0, s);
            return Value::makeText(s.toLower());
        }
        case FnTrim: {
            TEXT_ARG(0, s);
            QString out;
            bool space = false;
            for (QChar c : s.trimmed()) {
                if (c == u' ') {
                    if (!space) out += c;
                    space = true;
                } else {
                    out += c;
                    space = false;
                }
            }
            return Value::makeText(out);
        }
        case FnIsError: return Value::makeBool(eval(*e.args[0]).isError());
        case FnIsBlank:
            return Value::makeBool(e.args[0]->kind == Expr::Ref && eval(*e.args[0]).isEmpty());
        case FnIsNumber: return Value::makeBool(eval(*e.args[0]).isNumber());
        case FnIsText: return Value::makeBool(eval(*e.args[0]).isText());
        case FnNA: return err(ErrorCode::NA);
        case FnToday: {
            // Read when the formula is worked out: on opening the file and whenever a cell
            // it stands on changes.
            const QDate d = QDate::currentDate();
            return num(dateSerial(d.year(), d.month(), d.day()));
        }
        case FnFunctionCount: break;
        }
        return err(ErrorCode::Name);
    }

#undef NUMBER_ARG
#undef TEXT_ARG

    const CellReader& m_cells;
};

} // namespace

Value evaluateFormula(const Expr& expr, const CellReader& cells) {
    Eval ev(cells);
    Value v = ev.eval(expr);
    // A formula that is only a reference to an empty cell shows 0, as elsewhere.
    if (v.isEmpty()) v = Value::makeNumber(0);
    if (v.isText() && v.text.size() > kMaxTextLength) v = Value::makeError(ErrorCode::Value);
    return v;
}

} // namespace Sheet
