#include "formula.h"

#include <QLocale>

namespace Sheet {

const std::vector<FunctionInfo>& functionTable() {
    // Order follows FunctionId. Excel 4 numbers from its function table; -1 where an
    // Excel 4 worksheet has no such function. CONCATENATE is written as "&".
    static const std::vector<FunctionInfo> table = {
        {"SUM", 1, -1, 4, false},        {"AVERAGE", 1, -1, 5, false},
        {"MIN", 1, -1, 6, false},        {"MAX", 1, -1, 7, false},
        {"COUNT", 1, -1, 0, false},      {"COUNTA", 1, -1, 169, false},
        {"ROUND", 2, 2, 27, true},       {"ROUNDUP", 2, 2, 212, true},
        {"ROUNDDOWN", 2, 2, 213, true},  {"ABS", 1, 1, 24, true},
        {"INT", 1, 1, 25, true},         {"MOD", 2, 2, 39, true},
        {"IF", 2, 3, 1, false},          {"AND", 1, -1, 36, false},
        {"OR", 1, -1, 37, false},        {"NOT", 1, 1, 38, true},
        {"TRUE", 0, 0, 34, true},        {"FALSE", 0, 0, 35, true},
        {"DATE", 3, 3, 65, true},        {"DATEVALUE", 1, 1, 140, true},
        {"DAY", 1, 1, 67, true},         {"MONTH", 1, 1, 68, true},
        {"YEAR", 1, 1, 69, true},        {"EDATE", 2, 2, -1, false},
        {"EOMONTH", 2, 2, -1, false},    {"TEXT", 2, 2, 48, true},
        {"LEFT", 1, 2, 115, false},      {"MID", 3, 3, 31, true},
        {"RIGHT", 1, 2, 116, false},     {"LEN", 1, 1, 32, true},
        {"FIND", 2, 3, 124, false},      {"VALUE", 1, 1, 33, true},
        {"CONCATENATE", 1, 30, -1, false}, {"CHOOSE", 2, 30, 100, false},
        {"UPPER", 1, 1, 113, true},      {"LOWER", 1, 1, 112, true},
        {"TRIM", 1, 1, 118, true},       {"ISERROR", 1, 1, 3, true},
        {"ISBLANK", 1, 1, 129, true},    {"ISNUMBER", 1, 1, 128, true},
        {"ISTEXT", 1, 1, 127, true},     {"NA", 0, 0, 10, true},
        {"TODAY", 0, 0, 221, true},
    };
    return table;
}

namespace {
// Function names and the words TRUE and FALSE are ASCII. Matching them without regard to
// case beyond ASCII would take "ſUM" for SUM or a Kelvin sign for a K, and upper-casing a
// name beyond ASCII can change its length ("ǰ" becomes "J" and a combining caron), so
// the printed text would no longer read as the same formula.
bool isAscii(QStringView name) {
    for (QChar c : name)
        if (c.unicode() >= 128) return false;
    return true;
}
} // namespace

int findFunction(QStringView name) {
    if (!isAscii(name)) return -1;
    const auto& table = functionTable();
    for (int i = 0; i < int(table.size()); ++i)
        if (name.compare(QLatin1String(table[i].name), Qt::CaseInsensitive) == 0) return i;
    return -1;
}

namespace {

struct Token {
    enum Type { End, Number, String, Ident, Error, Op, LParen, RParen, Comma, Colon, SheetName, Bad };
    Type type = End;
    QString text;
    double number = 0;
    int pos = 0;
};

class Lexer {
public:
    explicit Lexer(QStringView s) : m_s(s) {}

    Token next() {
        while (m_i < m_s.size() && m_s[m_i].isSpace()) ++m_i;
        Token t;
        t.pos = int(m_i);
        if (m_i >= m_s.size()) return t;
        const QChar c = m_s[m_i];
        if (c.isDigit() || (c == u'.' && m_i + 1 < m_s.size() && m_s[m_i + 1].isDigit()))
            return number(t);
        if (c == u'"') return string(t);
        if (c == u'#') return error(t);
        if (c == u'\'') return quotedSheet(t);
        if (c.isLetter() || c == u'_' || c == u'$') return ident(t);
        ++m_i;
        switch (c.unicode()) {
        case u'(': t.type = Token::LParen; return t;
        case u')': t.type = Token::RParen; return t;
        case u',': t.type = Token::Comma; return t;
        case u':': t.type = Token::Colon; return t;
        case u'+': case u'-': case u'*': case u'/': case u'^': case u'&': case u'=': case u'%':
            t.type = Token::Op;
            t.text = c;
            return t;
        case u'<':
            t.type = Token::Op;
            t.text = c;
            if (m_i < m_s.size() && (m_s[m_i] == u'=' || m_s[m_i] == u'>')) t.text += m_s[m_i++];
            return t;
        case u'>':
            t.type = Token::Op;
            t.text = c;
            if (m_i < m_s.size() && m_s[m_i] == u'=') t.text += m_s[m_i++];
            return t;
        default:
            t.type = Token::Bad;
            t.text = c;
            return t;
        }
    }

private:
    Token number(Token t) {
        const qsizetype start = m_i;
        while (m_i < m_s.size() && m_s[m_i].isDigit()) ++m_i;
        if (m_i < m_s.size() && m_s[m_i] == u'.') {
            ++m_i;
            while (m_i < m_s.size() && m_s[m_i].isDigit()) ++m_i;
        }
        if (m_i < m_s.size() && (m_s[m_i] == u'e' || m_s[m_i] == u'E')) {
            qsizetype j = m_i + 1;
            if (j < m_s.size() && (m_s[j] == u'+' || m_s[j] == u'-')) ++j;
            if (j < m_s.size() && m_s[j].isDigit()) {
                while (j < m_s.size() && m_s[j].isDigit()) ++j;
                m_i = j;
            }
        }
        // Digits running straight into letters ("1A") are no number.
        if (m_i < m_s.size() && (m_s[m_i].isLetter() || m_s[m_i] == u'_')) {
            t.type = Token::Bad;
            t.text = m_s.mid(start, m_i - start + 1).toString();
            return t;
        }
        bool ok = false;
        t.number = m_s.mid(start, m_i - start).toDouble(&ok);
        t.type = ok ? Token::Number : Token::Bad;
        return t;
    }

    Token string(Token t) {
        ++m_i;
        QString out;
        while (m_i < m_s.size()) {
            const QChar c = m_s[m_i++];
            if (c == u'"') {
                if (m_i < m_s.size() && m_s[m_i] == u'"') {
                    out += u'"';
                    ++m_i;
                    continue;
                }
                t.type = Token::String;
                t.text = out;
                return t;
            }
            out += c;
        }
        t.type = Token::Bad;
        t.text = QStringLiteral("\"");
        return t;
    }

    // 'Actual Spend'! ("''" inside for a quote).
    Token quotedSheet(Token t) {
        ++m_i;
        QString out;
        while (m_i < m_s.size()) {
            const QChar c = m_s[m_i++];
            if (c == u'\'') {
                if (m_i < m_s.size() && m_s[m_i] == u'\'') {
                    out += c;
                    ++m_i;
                    continue;
                }
                if (m_i < m_s.size() && m_s[m_i] == u'!' && !out.isEmpty()) {
                    ++m_i;
                    t.type = Token::SheetName;
                    t.text = out;
                    return t;
                }
                break;
            }
            out += c;
        }
        t.type = Token::Bad;
        t.text = QStringLiteral("'");
        return t;
    }

    Token error(Token t) {
        for (int e = 1; e <= int(ErrorCode::NA); ++e) {
            const QString name = errorText(ErrorCode(e));
            if (m_s.mid(m_i).startsWith(name, Qt::CaseInsensitive)) {
                m_i += name.size();
                t.type = Token::Error;
                t.number = e;
                return t;
            }
        }
        ++m_i;
        t.type = Token::Bad;
        t.text = QStringLiteral("#");
        return t;
    }

    Token ident(Token t) {
        const qsizetype start = m_i;
        while (m_i < m_s.size() && (m_s[m_i].isLetterOrNumber() || m_s[m_i] == u'_' ||
                                    m_s[m_i] == u'$' || m_s[m_i] == u'.'))
            ++m_i;
        t.type = Token::Ident;
        t.text = m_s.mid(start, m_i - start).toString();
        if (m_i < m_s.size() && m_s[m_i] == u'!') {
            ++m_i;
            t.type = Token::SheetName;
        }
        return t;
    }

    QStringView m_s;
    qsizetype m_i = 0;
};

// What an identifier that looks like a cell reference says.
enum class RefShape { NotRef, Valid, OffSheet };

RefShape readRef(const QString& s, RefPart* part) {
    qsizetype i = 0;
    part->absCol = i < s.size() && s[i] == u'$';
    if (part->absCol) ++i;
    const qsizetype letters = i;
    while (i < s.size() && s[i].unicode() < 128 && s[i].isLetter()) ++i;
    const qsizetype nLetters = i - letters;
    if (nLetters < 1 || nLetters > 3) return RefShape::NotRef;
    part->absRow = i < s.size() && s[i] == u'$';
    if (part->absRow) ++i;
    const qsizetype digits = i;
    qint64 row = 0;
    for (; i < s.size(); ++i) {
        if (s[i].unicode() >= 128 || !s[i].isDigit()) return RefShape::NotRef;
        if (row <= kMaxRows) row = row * 10 + (s[i].unicode() - u'0');
    }
    if (i == digits) return RefShape::NotRef;
    int col = 0;
    for (qsizetype k = letters; k < letters + nLetters; ++k)
        col = col * 26 + (s[k].toUpper().unicode() - u'A' + 1);
    if (row < 1 || row > kMaxRows || col > kMaxCols) return RefShape::OffSheet;
    part->row = int(row);
    part->col = col;
    return RefShape::Valid;
}

class Parser {
public:
    explicit Parser(QStringView s) : m_lex(s) { advance(); }

    ParseResult run() {
        ParseResult r;
        auto e = expression();
        if (e && m_tok.type != Token::End) fail(QStringLiteral("unexpected \"%1\"").arg(tokenText()));
        if (!m_error.isEmpty()) {
            r.error = m_error;
            r.errorPos = m_errorPos;
            return r;
        }
        r.expr = std::move(e);
        return r;
    }

private:
    using Node = std::unique_ptr<Expr>;

    void advance() { m_tok = m_lex.next(); }

    QString tokenText() const {
        switch (m_tok.type) {
        case Token::End: return QStringLiteral("end of formula");
        case Token::LParen: return QStringLiteral("(");
        case Token::RParen: return QStringLiteral(")");
        case Token::Comma: return QStringLiteral(",");
        case Token::Colon: return QStringLiteral(":");
        case Token::Number: return QString::number(m_tok.number);
        case Token::Error: return errorText(ErrorCode(int(m_tok.number)));
        default: return m_tok.text;
        }
    }

    Node fail(const QString& why) {
        if (m_error.isEmpty()) {
            m_error = why;
            m_errorPos = m_tok.pos;
        }
        return nullptr;
    }

    Node make(Expr::Kind kind) {
        auto n = std::make_unique<Expr>();
        n->kind = kind;
        return n;
    }

    // Adopts children and checks the nesting limit.
    Node finish(Node n) {
        int d = 0;
        for (const auto& a : n->args) d = qMax(d, a->depth);
        n->depth = d + 1;
        if (n->depth > kMaxFormulaDepth) return fail(QStringLiteral("the formula is nested too deeply"));
        return n;
    }

    Node binary(Expr::Op op, Node l, Node r) {
        auto n = make(Expr::Binary);
        n->op = op;
        n->args.push_back(std::move(l));
        n->args.push_back(std::move(r));
        return finish(std::move(n));
    }

    bool isOp(const char* text) const {
        return m_tok.type == Token::Op && m_tok.text == QLatin1String(text);
    }

    Node expression() {
        if (++m_nesting > kMaxFormulaDepth) return fail(QStringLiteral("the formula is nested too deeply"));
        Node n = comparison();
        --m_nesting;
        return n;
    }

    Node comparison() {
        Node l = concat();
        while (l && m_tok.type == Token::Op) {
            Expr::Op op;
            if (isOp("=")) op = Expr::Eq;
            else if (isOp("<>")) op = Expr::Ne;
            else if (isOp("<")) op = Expr::Lt;
            else if (isOp("<=")) op = Expr::Le;
            else if (isOp(">")) op = Expr::Gt;
            else if (isOp(">=")) op = Expr::Ge;
            else break;
            advance();
            Node r = concat();
            if (!r) return nullptr;
            l = binary(op, std::move(l), std::move(r));
        }
        return l;
    }

    Node concat() {
        Node l = additive();
        while (l && isOp("&")) {
            advance();
            Node r = additive();
            if (!r) return nullptr;
            l = binary(Expr::Concat, std::move(l), std::move(r));
        }
        return l;
    }

    Node additive() {
        Node l = multiplicative();
        while (l && (isOp("+") || isOp("-"))) {
            const Expr::Op op = isOp("+") ? Expr::Add : Expr::Sub;
            advance();
            Node r = multiplicative();
            if (!r) return nullptr;
            l = binary(op, std::move(l), std::move(r));
        }
        return l;
    }

    Node multiplicative() {
        Node l = power();
        while (l && (isOp("*") || isOp("/"))) {
            const Expr::Op op = isOp("*") ? Expr::Mul : Expr::Div;
            advance();
            Node r = power();
            if (!r) return nullptr;
            l = binary(op, std::move(l), std::move(r));
        }
        return l;
    }

    // "^" binds left to right and looser than a sign, as in other spreadsheets: -2^2 is 4.
    Node power() {
        Node l = unary();
        while (l && isOp("^")) {
            advance();
            Node r = unary();
            if (!r) return nullptr;
            l = binary(Expr::Pow, std::move(l), std::move(r));
        }
        return l;
    }

    Node unary() {
        std::vector<Expr::Op> signs;
        while (isOp("-") || isOp("+")) {
            signs.push_back(isOp("-") ? Expr::Neg : Expr::Plus);
            advance();
            if (int(signs.size()) > kMaxFormulaDepth)
                return fail(QStringLiteral("the formula is nested too deeply"));
        }
        Node n = postfix();
        for (auto it = signs.rbegin(); n && it != signs.rend(); ++it) {
            auto u = make(Expr::Unary);
            u->op = *it;
            u->args.push_back(std::move(n));
            n = finish(std::move(u));
        }
        return n;
    }

    Node postfix() {
        Node n = primary();
        while (n && isOp("%")) {
            advance();
            auto p = make(Expr::Percent);
            p->args.push_back(std::move(n));
            n = finish(std::move(p));
        }
        return n;
    }

    Node primary() {
        switch (m_tok.type) {
        case Token::Number: {
            auto n = make(Expr::Number);
            n->number = m_tok.number;
            advance();
            return n;
        }
        case Token::String: {
            auto n = make(Expr::String);
            n->text = m_tok.text;
            advance();
            return n;
        }
        case Token::Error: {
            auto n = make(Expr::ErrorLit);
            n->error = ErrorCode(int(m_tok.number));
            advance();
            return n;
        }
        case Token::LParen: {
            advance();
            Node inner = expression();
            if (!inner) return nullptr;
            if (m_tok.type != Token::RParen) return fail(QStringLiteral("a \")\" is missing"));
            advance();
            auto n = make(Expr::Paren);
            n->args.push_back(std::move(inner));
            return finish(std::move(n));
        }
        case Token::Ident: return identifier();
        case Token::SheetName: {
            const QString sheet = m_tok.text;
            advance();
            if (m_tok.type != Token::Ident)
                return fail(QStringLiteral("a cell reference must follow the sheet's name"));
            Node n = identifier(sheet);
            if (n && n->kind != Expr::Ref && n->kind != Expr::Range && n->kind != Expr::ErrorLit)
                return fail(QStringLiteral("a cell reference must follow the sheet's name"));
            return n;
        }
        case Token::End: return fail(QStringLiteral("the formula ends too soon"));
        default: return fail(QStringLiteral("unexpected \"%1\"").arg(tokenText()));
        }
    }

    Node identifier(const QString& sheet = QString()) {
        const QString name = m_tok.text;
        advance();
        if (m_tok.type == Token::LParen) {
            if (!sheet.isEmpty())
                return fail(QStringLiteral("a cell reference must follow the sheet's name"));
            return call(name);
        }
        RefPart a;
        const RefShape shape = readRef(name, &a);
        if (shape != RefShape::NotRef) {
            bool offSheet = shape == RefShape::OffSheet;
            RefPart b = a;
            bool range = false;
            if (m_tok.type == Token::Colon) {
                advance();
                if (m_tok.type != Token::Ident)
                    return fail(QStringLiteral("a cell reference must follow \":\""));
                const RefShape second = readRef(m_tok.text, &b);
                if (second == RefShape::NotRef)
                    return fail(QStringLiteral("\"%1\" is no cell reference").arg(m_tok.text));
                offSheet = offSheet || second == RefShape::OffSheet;
                advance();
                range = true;
            }
            if (offSheet) {
                auto n = make(Expr::ErrorLit);
                n->error = ErrorCode::Ref;
                return n;
            }
            auto n = make(range ? Expr::Range : Expr::Ref);
            if (range) {
                if (a.row > b.row) std::swap(a.row, b.row), std::swap(a.absRow, b.absRow);
                if (a.col > b.col) std::swap(a.col, b.col), std::swap(a.absCol, b.absCol);
            }
            n->a = a;
            n->b = b;
            n->sheet = sheet;
            return n;
        }
        if (isAscii(name) && (name.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0 ||
                              name.compare(QLatin1String("FALSE"), Qt::CaseInsensitive) == 0)) {
            auto n = make(Expr::Boolean);
            n->boolean = name.size() == 4;
            return n;
        }
        auto n = make(Expr::Name);
        n->text = name;
        return n;
    }

    Node call(const QString& name) {
        const int fn = findFunction(name);
        advance(); // "("
        auto n = make(Expr::Call);
        n->function = fn;
        // An unknown name is shown in capitals as other spreadsheets do, but only when it is
        // plain ASCII; any other is kept as typed.
        n->text = fn >= 0         ? QString::fromLatin1(functionTable()[fn].name)
                  : isAscii(name) ? name.toUpper()
                                  : name;
        if (m_tok.type == Token::RParen) {
            advance();
        } else {
            for (;;) {
                if (m_tok.type == Token::Comma || m_tok.type == Token::RParen) {
                    n->args.push_back(make(Expr::Missing));
                } else {
                    Node arg = expression();
                    if (!arg) return nullptr;
                    n->args.push_back(std::move(arg));
                }
                if (m_tok.type == Token::Comma) {
                    advance();
                    continue;
                }
                if (m_tok.type == Token::RParen) {
                    advance();
                    break;
                }
                return fail(QStringLiteral("a \")\" is missing after the arguments of %1")
                                .arg(n->text));
            }
        }
        if (fn >= 0) {
            const FunctionInfo& info = functionTable()[fn];
            const int count = int(n->args.size());
            if (count < info.minArgs || (info.maxArgs >= 0 && count > info.maxArgs))
                return fail(QStringLiteral("%1 takes %2").arg(n->text, arityText(info)));
        }
        return finish(std::move(n));
    }

    static QString arityText(const FunctionInfo& f) {
        if (f.maxArgs < 0) return QStringLiteral("at least %1 argument(s)").arg(f.minArgs);
        if (f.minArgs == f.maxArgs) return QStringLiteral("%1 argument(s)").arg(f.minArgs);
        return QStringLiteral("%1 to %2 arguments").arg(f.minArgs).arg(f.maxArgs);
    }

    Lexer m_lex;
    Token m_tok;
    QString m_error;
    int m_errorPos = -1;
    int m_nesting = 0;
};

QString numberText(double v) {
    return QString::number(v, 'g', QLocale::FloatingPointShortest);
}

const char* opText(Expr::Op op) {
    static const char* const texts[] = {"+", "-", "*", "/", "^", "&", "=",
                                        "<>", "<", "<=", ">", ">=", "-", "+"};
    return texts[op];
}

void print(const Expr& e, QString& out) {
    switch (e.kind) {
    case Expr::Number: out += numberText(e.number); break;
    case Expr::String:
        out += u'"';
        out += QString(e.text).replace(QLatin1String("\""), QLatin1String("\"\""));
        out += u'"';
        break;
    case Expr::Boolean: out += e.boolean ? QLatin1String("TRUE") : QLatin1String("FALSE"); break;
    case Expr::ErrorLit: out += errorText(e.error); break;
    case Expr::Ref:
        if (!e.sheet.isEmpty()) out += quotedSheetName(e.sheet) + u'!';
        out += cellName(e.a.row, e.a.col, e.a.absRow, e.a.absCol);
        break;
    case Expr::Range:
        if (!e.sheet.isEmpty()) out += quotedSheetName(e.sheet) + u'!';
        out += cellName(e.a.row, e.a.col, e.a.absRow, e.a.absCol);
        out += u':';
        out += cellName(e.b.row, e.b.col, e.b.absRow, e.b.absCol);
        break;
    case Expr::Name: out += e.text; break;
    case Expr::Unary:
        out += QLatin1String(opText(e.op));
        print(*e.args[0], out);
        break;
    case Expr::Percent:
        print(*e.args[0], out);
        out += u'%';
        break;
    case Expr::Binary:
        print(*e.args[0], out);
        out += QLatin1String(opText(e.op));
        print(*e.args[1], out);
        break;
    case Expr::Paren:
        out += u'(';
        print(*e.args[0], out);
        out += u')';
        break;
    case Expr::Call:
        out += e.text;
        out += u'(';
        for (size_t i = 0; i < e.args.size(); ++i) {
            if (i) out += u',';
            print(*e.args[i], out);
        }
        out += u')';
        break;
    case Expr::Missing: break;
    }
}

void toRefError(Expr* e) {
    e->kind = Expr::ErrorLit;
    e->error = ErrorCode::Ref;
}

} // namespace

ParseResult parseFormula(QStringView text) {
    Parser p(text);
    return p.run();
}

QString formulaText(const Expr& expr) {
    QString out;
    print(expr, out);
    return out;
}

void collectReferences(const Expr& e, std::vector<CellRange>* out) {
    if ((e.kind == Expr::Ref || e.kind == Expr::Range) && !e.sheet.isEmpty()) return;
    if (e.kind == Expr::Ref) out->push_back(CellRange::cell(e.a.row, e.a.col));
    else if (e.kind == Expr::Range) out->push_back(CellRange{e.a.row, e.a.col, e.b.row, e.b.col});
    for (const auto& a : e.args) collectReferences(*a, out);
}

void collectSheetNames(const Expr& e, QStringList* out) {
    if ((e.kind == Expr::Ref || e.kind == Expr::Range) && !e.sheet.isEmpty() &&
        !out->contains(e.sheet, Qt::CaseInsensitive))
        out->append(e.sheet);
    for (const auto& a : e.args) collectSheetNames(*a, out);
}

QString quotedSheetName(const QString& name) {
    bool plain = !name.isEmpty() && isAscii(name) && name[0].isLetter();
    for (QChar c : name)
        plain = plain && (c.isLetterOrNumber() || c == u'_');
    RefPart part;
    // "Q1" or "TRUE" unquoted would read back as a cell or a word.
    if (plain && readRef(name, &part) == RefShape::NotRef &&
        name.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) != 0 &&
        name.compare(QLatin1String("FALSE"), Qt::CaseInsensitive) != 0)
        return name;
    return u'\'' + QString(name).replace(QLatin1String("'"), QLatin1String("''")) + u'\'';
}

namespace {
void mapColumnsInPlace(Expr* e, const std::function<int(int)>& mapColumn) {
    if ((e->kind == Expr::Ref || e->kind == Expr::Range) && e->sheet.isEmpty()) {
        e->a.col = mapColumn(e->a.col);
        e->b.col = e->kind == Expr::Range ? mapColumn(e->b.col) : e->a.col;
        if (e->a.col < 1 || e->b.col < 1 || e->a.col > kMaxCols || e->b.col > kMaxCols)
            toRefError(e);
    }
    for (auto& a : e->args) mapColumnsInPlace(a.get(), mapColumn);
}
} // namespace

std::unique_ptr<Expr> mapColumns(const Expr& expr, const std::function<int(int)>& mapColumn) {
    auto c = cloneExpr(expr);
    mapColumnsInPlace(c.get(), mapColumn);
    return c;
}

bool deleteRowsInFormula(Expr* e, int first, int last) {
    const int n = last - first + 1;
    bool changed = false;
    if ((e->kind == Expr::Ref || e->kind == Expr::Range) && !e->sheet.isEmpty()) {
        // Another sheet's rows stay where they are.
    } else if (e->kind == Expr::Ref) {
        if (e->a.row >= first && e->a.row <= last) {
            toRefError(e);
            changed = true;
        } else if (e->a.row > last) {
            e->a.row -= n;
            changed = true;
        }
    } else if (e->kind == Expr::Range) {
        const int r1 = e->a.row, r2 = e->b.row;
        if (r1 >= first && r2 <= last) {
            toRefError(e);
            return true;
        }
        const int n1 = r1 > last ? r1 - n : (r1 >= first ? first : r1);
        const int n2 = r2 > last ? r2 - n : (r2 >= first ? first - 1 : r2);
        changed = n1 != r1 || n2 != r2;
        e->a.row = n1;
        e->b.row = n2;
    }
    for (auto& a : e->args) changed = deleteRowsInFormula(a.get(), first, last) || changed;
    return changed;
}

std::unique_ptr<Expr> cloneExpr(const Expr& e) {
    auto c = std::make_unique<Expr>();
    c->kind = e.kind;
    c->op = e.op;
    c->boolean = e.boolean;
    c->error = e.error;
    c->function = e.function;
    c->depth = e.depth;
    c->number = e.number;
    c->text = e.text;
    c->sheet = e.sheet;
    c->a = e.a;
    c->b = e.b;
    c->args.reserve(e.args.size());
    for (const auto& a : e.args) c->args.push_back(cloneExpr(*a));
    return c;
}

namespace {
bool movePart(RefPart* p, int dRows, int dCols) {
    if (!p->absRow) p->row += dRows;
    if (!p->absCol) p->col += dCols;
    return validCell(p->row, p->col);
}

void moveInPlace(Expr* e, int dRows, int dCols) {
    if (e->kind == Expr::Ref) {
        if (!movePart(&e->a, dRows, dCols)) toRefError(e);
    } else if (e->kind == Expr::Range) {
        if (!movePart(&e->a, dRows, dCols) || !movePart(&e->b, dRows, dCols)) toRefError(e);
    }
    for (auto& a : e->args) moveInPlace(a.get(), dRows, dCols);
}
} // namespace

std::unique_ptr<Expr> moveFormula(const Expr& expr, int dRows, int dCols) {
    auto c = cloneExpr(expr);
    moveInPlace(c.get(), dRows, dCols);
    return c;
}

} // namespace Sheet
