#include "sheetscript.h"

#include "sheetmodel.h"

#include <QColor>
#include <cmath>

namespace Sheet {

namespace {

QStringList splitWords(const QString& line, bool* ok) {
    QStringList out;
    QString cur;
    bool inQuote = false, have = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (inQuote) {
            if (c == u'"') {
                if (i + 1 < line.size() && line[i + 1] == u'"') {
                    cur += u'"';
                    ++i;
                } else {
                    inQuote = false;
                }
            } else {
                cur += c;
            }
        } else if (c == u'"') {
            inQuote = true;
            have = true;
        } else if (c.isSpace()) {
            if (have) out << cur;
            cur.clear();
            have = false;
        } else {
            cur += c;
            have = true;
        }
    }
    if (have) out << cur;
    *ok = !inQuote;
    return out;
}

bool onOff(const QString& v, bool* out) {
    if (v == QLatin1String("on") || v == QLatin1String("yes") || v == QLatin1String("true")) *out = true;
    else if (v == QLatin1String("off") || v == QLatin1String("no") || v == QLatin1String("false")) *out = false;
    else return false;
    return true;
}

bool columnSpan(const QString& s, int* c1, int* c2) {
    const int colon = s.indexOf(u':');
    *c1 = columnNumber(colon < 0 ? QStringView(s) : QStringView(s).left(colon));
    *c2 = colon < 0 ? *c1 : columnNumber(QStringView(s).mid(colon + 1));
    return *c1 > 0 && *c2 >= *c1;
}

bool rowSpan(const QString& s, int* r1, int* r2) {
    const int colon = s.indexOf(u':');
    bool ok1 = false, ok2 = false;
    *r1 = (colon < 0 ? s : s.left(colon)).toInt(&ok1);
    *r2 = colon < 0 ? *r1 : s.mid(colon + 1).toInt(&ok2);
    if (colon < 0) ok2 = true;
    return ok1 && ok2 && *r1 >= 1 && *r2 >= *r1 && *r2 <= kMaxRows;
}

QString describe(const Value& v) {
    switch (v.type) {
    case Value::Empty: return QStringLiteral("empty");
    case Value::Number: return QString::number(v.number, 'g', 15);
    case Value::Text: return u'"' + v.text + u'"';
    case Value::Bool: return v.boolean ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case Value::Error: return errorText(v.error);
    }
    return QString();
}

bool sameNumber(double a, double b) {
    return a == b || std::fabs(a - b) <= 1e-9 * qMax(std::fabs(a), std::fabs(b));
}

class Runner {
public:
    Runner(SheetModel* m) : m_model(m) {}

    ScriptResult run(const QString& script) {
        const QStringList lines = script.split(u'\n');
        for (int i = 0; i < lines.size(); ++i) {
            m_line = i + 1;
            const QString line = lines[i].trimmed();
            if (line.isEmpty() || line.startsWith(u'#')) continue;
            bool ok;
            const QStringList w = splitWords(line, &ok);
            if (!ok) {
                fail(QStringLiteral("a closing quote is missing"));
                continue;
            }
            command(w, line);
        }
        return m_result;
    }

private:
    void fail(const QString& why) { m_result.failures << QStringLiteral("line %1: %2").arg(m_line).arg(why); }

    bool range(const QString& s, CellRange* r) {
        if (parseRangeName(s, r)) return true;
        fail(QStringLiteral("\"%1\" is no cell or range").arg(s));
        return false;
    }

    // The text after the command and its first word, quotes removed, blanks kept.
    static QString rest(const QStringList& w) { return w.mid(2).join(u' '); }

    void command(const QStringList& w, const QString& line) {
        const QString cmd = w[0].toLower();
        CellRange r;
        if (cmd == QLatin1String("set") || cmd == QLatin1String("text")) {
            if (w.size() < 2 || !range(w[1], &r)) return;
            // Formulas may hold blanks; take them from the line as written.
            QString entry = rest(w);
            const qsizetype at = line.indexOf(w[1]) + w[1].size();
            const QString raw = line.mid(at).trimmed();
            if (!raw.startsWith(u'"')) entry = raw;
            if (cmd == QLatin1String("text")) m_model->setText(r.row1, r.col1, entry);
            else m_model->setEntry(r.row1, r.col1, entry);
            if (!r.isSingleCell()) m_model->fill(r.row1, r.col1, r);
        } else if (cmd == QLatin1String("format")) {
            if (w.size() < 2 || !range(w[1], &r)) return;
            CellFormat proto;
            QList<std::function<void(CellFormat&)>> changes;
            for (const QString& item : w.mid(2)) {
                const int eq = item.indexOf(u'=');
                const QString key = (eq < 0 ? item : item.left(eq)).toLower();
                const QString val = eq < 0 ? QString() : item.mid(eq + 1);
                if (!formatChange(key, val, &changes)) return;
            }
            m_model->changeFormat(r, [&](CellFormat& f) {
                for (const auto& c : changes) c(f);
            });
        } else if (cmd == QLatin1String("width")) {
            int c1, c2;
            bool ok;
            const int px = w.value(2).toInt(&ok);
            if (w.size() != 3 || !columnSpan(w[1], &c1, &c2) || !ok) return fail(QStringLiteral("width COLUMN[:COLUMN] PIXELS"));
            for (int c = c1; c <= c2; ++c) m_model->setColumnWidth(c, px);
        } else if (cmd == QLatin1String("height")) {
            int r1, r2;
            bool ok;
            const int px = w.value(2).toInt(&ok);
            if (w.size() != 3 || !rowSpan(w[1], &r1, &r2) || !ok) return fail(QStringLiteral("height ROW[:ROW] PIXELS"));
            for (int row = r1; row <= r2; ++row) m_model->setRowHeight(row, px);
        } else if (cmd == QLatin1String("view")) {
            view(w.mid(1));
        } else if (cmd == QLatin1String("print")) {
            print(w.mid(1));
        } else if (cmd == QLatin1String("delete")) {
            int r1, r2;
            if (w.size() != 2 || !rowSpan(w[1], &r1, &r2)) return fail(QStringLiteral("delete ROW[:ROW]"));
            m_model->deleteRows(r1, r2);
        } else if (cmd == QLatin1String("clear")) {
            if (w.size() != 2 || !range(w[1], &r)) return;
            m_model->clearContents(r);
        } else if (cmd == QLatin1String("expect") || cmd == QLatin1String("shows") || cmd == QLatin1String("entry")) {
            if (w.size() != 3) return fail(QStringLiteral("%1 CELL VALUE").arg(cmd));
            int row, col;
            if (!parseCellName(w[1], &row, &col)) return fail(QStringLiteral("\"%1\" is no cell").arg(w[1]));
            ++m_result.checks;
            const QString quoted = line.mid(line.indexOf(w[1]) + w[1].size()).trimmed();
            if (cmd == QLatin1String("expect")) expect(w[1], m_model->cellValue(row, col), w[2], quoted.startsWith(u'"'));
            else {
                const QString got = cmd == QLatin1String("shows") ? m_model->shownText(row, col) : m_model->entry(row, col);
                if (got != w[2]) fail(QStringLiteral("%1 %2: expected \"%3\", got \"%4\"").arg(w[1], cmd, w[2], got));
            }
        } else {
            fail(QStringLiteral("unknown command \"%1\"").arg(w[0]));
        }
    }

    void expect(const QString& ref, const Value& got, const QString& want, bool quoted) {
        bool match = false;
        if (quoted) {
            match = got.isText() && got.text == want;
        } else if (want == QLatin1String("empty")) {
            match = got.isEmpty();
        } else if (want == QLatin1String("TRUE") || want == QLatin1String("FALSE")) {
            match = got.type == Value::Bool && got.boolean == (want == QLatin1String("TRUE"));
        } else if (want.startsWith(u'#')) {
            const ErrorCode e = errorFromText(want);
            if (e == ErrorCode::None) return fail(QStringLiteral("\"%1\" is no error value").arg(want));
            match = got.isError() && got.error == e;
        } else {
            bool ok;
            const double n = want.toDouble(&ok);
            if (!ok) return fail(QStringLiteral("\"%1\" is no value (quote text)").arg(want));
            match = got.isNumber() && sameNumber(got.number, n);
        }
        if (!match)
            fail(QStringLiteral("%1: expected %2, got %3").arg(ref, quoted ? u'"' + want + u'"' : want, describe(got)));
    }

    bool formatChange(const QString& key, const QString& val, QList<std::function<void(CellFormat&)>>* out) {
        bool b;
        if (key == QLatin1String("bold")) out->append([](CellFormat& f) { f.bold = true; });
        else if (key == QLatin1String("italic")) out->append([](CellFormat& f) { f.italic = true; });
        else if (key == QLatin1String("underline")) out->append([](CellFormat& f) { f.underline = true; });
        else if (key == QLatin1String("plain")) out->append([](CellFormat& f) { f.bold = f.italic = f.underline = false; });
        else if (key == QLatin1String("wrap")) out->append([](CellFormat& f) { f.wrap = true; });
        else if (key == QLatin1String("unlocked")) out->append([](CellFormat& f) { f.locked = false; });
        else if (key == QLatin1String("locked")) out->append([](CellFormat& f) { f.locked = true; });
        else if (key == QLatin1String("hidden")) out->append([](CellFormat& f) { f.hidden = true; });
        else if (key == QLatin1String("font") && !val.isEmpty()) out->append([val](CellFormat& f) { f.fontName = val; });
        else if (key == QLatin1String("size") && val.toDouble(&b) > 0 && b) {
            const double size = val.toDouble();
            out->append([size](CellFormat& f) { f.fontSize = size; });
        } else if (key == QLatin1String("color") && QColor::fromString(val).isValid()) {
            const QRgb c = QColor::fromString(val).rgb();
            out->append([c](CellFormat& f) { f.color = c; });
        } else if (key == QLatin1String("number") && !val.isEmpty()) {
            out->append([val](CellFormat& f) { f.numberFormat = val; });
        } else if (key == QLatin1String("align")) {
            static const QStringList names = {"general", "left", "centre", "right", "fill", "justify"};
            const int i = int(names.indexOf(val.toLower()));
            if (i < 0) {
                fail(QStringLiteral("align= takes general, left, centre, right or justify"));
                return false;
            }
            out->append([i](CellFormat& f) { f.hAlign = i + 1; });
        } else if (key == QLatin1String("valign")) {
            static const QStringList names = {"top", "middle", "bottom"};
            const int i = int(names.indexOf(val.toLower()));
            if (i < 0) {
                fail(QStringLiteral("valign= takes top, middle or bottom"));
                return false;
            }
            out->append([i](CellFormat& f) { f.vAlign = i + 1; });
        } else {
            fail(QStringLiteral("\"%1\" is no format").arg(key));
            return false;
        }
        return true;
    }

    template <typename Fn> bool settings(const QStringList& items, Fn apply) {
        for (const QString& item : items) {
            const int eq = item.indexOf(u'=');
            if (eq < 0 || !apply(item.left(eq).toLower(), item.mid(eq + 1))) {
                fail(QStringLiteral("\"%1\" is no setting").arg(item));
                return false;
            }
        }
        return true;
    }

    void view(const QStringList& items) {
        ViewSettings v = m_model->view();
        const bool ok = settings(items, [&](const QString& k, const QString& val) {
            bool good = true;
            const int n = val.toInt(&good);
            if (k == QLatin1String("maxrow")) v.maxRow = n;
            else if (k == QLatin1String("maxcol")) v.maxCol = n;
            else if (k == QLatin1String("fixedrows")) v.fixedRows = n;
            else if (k == QLatin1String("fixedcols")) v.fixedCols = n;
            else if (k == QLatin1String("columnwidth")) v.defaultColumnWidth = n;
            else if (k == QLatin1String("rowheight")) v.defaultRowHeight = n;
            else if (k == QLatin1String("protection")) good = onOff(val, &v.protection);
            else if (k == QLatin1String("gridlines")) good = onOff(val, &v.showGridLines);
            else if (k == QLatin1String("editbar")) good = onOff(val, &v.showEditBar);
            else if (k == QLatin1String("active")) {
                good = parseCellName(val, &v.activeRow, &v.activeCol);
                v.selection = CellRange::cell(v.activeRow, v.activeCol);
            } else return false;
            return good;
        });
        if (ok) m_model->setView(v);
    }

    void print(const QStringList& items) {
        PrintSettings p = m_model->print();
        const bool ok = settings(items, [&](const QString& k, const QString& val) {
            bool good = true;
            const int n = val.toInt(&good);
            if (k == QLatin1String("scale")) p.scale = n;
            else if (k == QLatin1String("wide")) p.pagesWide = n;
            else if (k == QLatin1String("high")) p.pagesHigh = n;
            else if (k == QLatin1String("paper")) p.paperSize = n;
            else if (k == QLatin1String("fit")) good = onOff(val, &p.fitToPages);
            else if (k == QLatin1String("landscape")) good = onOff(val, &p.landscape);
            else if (k == QLatin1String("hcenter")) good = onOff(val, &p.hCenter);
            else if (k == QLatin1String("vcenter")) good = onOff(val, &p.vCenter);
            else if (k == QLatin1String("gridlines")) good = onOff(val, &p.gridLines);
            else if (k == QLatin1String("headings")) good = onOff(val, &p.headings);
            else if (k == QLatin1String("margins")) {
                const QStringList m = val.split(u',');
                good = m.size() == 4;
                double* targets[] = {&p.leftMargin, &p.rightMargin, &p.topMargin, &p.bottomMargin};
                for (int i = 0; good && i < 4; ++i) *targets[i] = m[i].toDouble(&good);
            } else return false;
            return good;
        });
        if (ok) m_model->setPrint(p);
    }

    SheetModel* m_model;
    ScriptResult m_result;
    int m_line = 0;
};

} // namespace

ScriptResult runSheetScript(const QString& script, SheetModel* model) {
    // No batch: every check must see the values of the lines before it.
    Runner r(model);
    return r.run(script);
}

} // namespace Sheet
