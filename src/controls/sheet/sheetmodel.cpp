#include "sheetmodel.h"

#include "numberformat.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace Sheet {

size_t qHash(const CellFormat& f, size_t seed) {
    return qHashMulti(seed, f.fontName, f.fontSize, f.bold, f.italic, f.underline, f.strikeout,
                      f.color, f.hAlign, f.vAlign, f.wrap, f.numberFormat, f.locked, f.hidden);
}

int rowHeightForFont(double points) {
    return int(std::ceil(points * 1.6)) + 2;
}

SheetModel::SheetModel() {
    clear();
}

SheetModel::~SheetModel() = default;

void SheetModel::clear() {
    m_cells.clear();
    m_formats.assign(1, CellFormat());
    m_formatIndex.clear();
    m_formatIndex.insert(m_formats[0], 0);
    m_colWidths.clear();
    m_rowHeights.clear();
    m_autoHeights.clear();
    m_view = ViewSettings();
    m_print = PrintSettings();
    m_dependents.clear();
    m_circles.clear();
    m_rangeDeps.assign(kMaxCols + 1, {});
    m_external.clear();
    m_externalNames.clear();
    m_pending.clear();
    if (!m_owner) {
        m_extra.clear();
        m_name = defaultName();
    }
    changedLayout();
}

void SheetModel::adopt(SheetModel&& o) {
    m_cells = std::move(o.m_cells);
    m_formats = std::move(o.m_formats);
    m_formatIndex = std::move(o.m_formatIndex);
    m_colWidths = std::move(o.m_colWidths);
    m_rowHeights = std::move(o.m_rowHeights);
    m_autoHeights.clear();
    m_view = o.m_view;
    m_print = o.m_print;
    m_name = o.m_name;
    if (!m_owner) {
        m_extra = std::move(o.m_extra);
        for (auto& e : m_extra) e->m_owner = this;
    }
    o.m_extra.clear();
    o.clear();
    // Cells emptied while the other sheet was being filled hold nothing worth keeping.
    for (auto it = m_cells.begin(); it != m_cells.end();)
        it = it->second.kind == Cell::Blank && it->second.format == 0 ? m_cells.erase(it) : std::next(it);
    rebuildDependencies();
    recalculateAll();
    // The further sheets read this one as it now is; then this one reads them.
    for (auto& e : m_extra) {
        e->rebuildDependencies();
        e->recalculateAll();
    }
    if (!m_extra.empty()) recalculateAll();
    changedLayout();
}

// ---------------------------------------------------------------- workbook

bool SheetModel::setName(const QString& name) {
    const QString n = name.trimmed();
    // What other spreadsheets allow too, so that every workbook can be exported.
    static const QString refused = QStringLiteral("'![]:*?/\\");
    if (n.isEmpty() || n.size() > 31 || std::any_of(n.begin(), n.end(), [](QChar c) {
            return refused.contains(c);
        }))
        return false;
    if (n.compare(m_name, Qt::CaseInsensitive) == 0) {
        m_name = n;
        return true;
    }
    if (book().sheet(n)) return false;
    m_name = n;
    changedLayout();
    return true;
}

SheetModel* SheetModel::addSheet(const QString& name) {
    SheetModel& b = book();
    auto s = std::make_unique<SheetModel>();
    s->m_owner = &b;
    if (!s->setName(name)) return nullptr;
    b.m_extra.push_back(std::move(s));
    return b.m_extra.back().get();
}

SheetModel* SheetModel::sheet(const QString& name) {
    return const_cast<SheetModel*>(std::as_const(*this).sheet(name));
}

const SheetModel* SheetModel::sheet(const QString& name) const {
    const SheetModel& b = book();
    if (b.m_name.compare(name, Qt::CaseInsensitive) == 0) return &b;
    for (const auto& e : b.m_extra)
        if (e->m_name.compare(name, Qt::CaseInsensitive) == 0) return e.get();
    return nullptr;
}

void SheetModel::notifyReaders() {
    SheetModel& b = book();
    auto tell = [this](SheetModel& other) {
        if (&other != this && other.recalculateReadersOf(m_name) && other.m_listener)
            other.m_listener();
    };
    tell(b);
    for (auto& e : b.m_extra) tell(*e);
}

bool SheetModel::recalculateReadersOf(const QString& sheetName) {
    if (m_externalNames.value(sheetName.toLower()) == 0) return false;
    std::vector<quint64> seeds;
    for (const auto& [key, names] : m_external)
        if (names.contains(sheetName, Qt::CaseInsensitive)) seeds.push_back(key);
    recalculate(seeds);
    return true;
}

// ---------------------------------------------------------------- content

Cell& SheetModel::touch(int row, int col) {
    return m_cells[cellKey(row, col)];
}

void SheetModel::setContent(int row, int col, Cell::Kind kind, double number, const QString& text,
                            std::shared_ptr<const Expr> expr) {
    if (!validCell(row, col)) return;
    const quint64 key = cellKey(row, col);
    Cell& c = touch(row, col);
    if (c.kind == Cell::Formula && c.expr) unregisterFormula(key, *c.expr);
    c.kind = kind;
    c.number = number;
    c.text = text;
    c.expr = std::move(expr);
    switch (kind) {
    case Cell::Blank: c.value = Value(); break;
    case Cell::Number: c.value = Value::makeNumber(number); break;
    case Cell::Text: c.value = Value::makeText(text); break;
    case Cell::Formula:
        if (c.expr) registerFormula(key, *c.expr);
        evaluateCell(c);
        break;
    }
    changed(key);
}

void SheetModel::setEntry(int row, int col, const QString& text) {
    if (!validCell(row, col)) return;
    if (text.isEmpty()) {
        setContent(row, col, Cell::Blank, 0, QString(), nullptr);
        return;
    }
    if (text.size() > 1 && text.startsWith(u'=')) {
        setFormula(row, col, text.mid(1));
        return;
    }
    if (text.startsWith(u'\'')) {
        setText(row, col, text.mid(1));
        return;
    }
    double v;
    QString implied;
    if (parseNumberText(text, &v, &implied)) {
        if (!implied.isEmpty() && format(row, col).numberFormat == Formats::General) {
            CellFormat f = format(row, col);
            f.numberFormat = implied;
            setFormat(row, col, f);
        }
        setNumber(row, col, v);
        return;
    }
    setText(row, col, text);
}

void SheetModel::setNumber(int row, int col, double value) {
    if (!std::isfinite(value)) {
        setText(row, col, QString::number(value));
        return;
    }
    setContent(row, col, Cell::Number, value, QString(), nullptr);
}

void SheetModel::setText(int row, int col, const QString& text) {
    setContent(row, col, text.isEmpty() ? Cell::Blank : Cell::Text, 0, text, nullptr);
}

void SheetModel::setFormula(int row, int col, const QString& formula) {
    ParseResult r = parseFormula(formula);
    if (r.expr)
        setContent(row, col, Cell::Formula, 0, QString(), std::shared_ptr<const Expr>(std::move(r.expr)));
    else
        setContent(row, col, Cell::Formula, 0, formula, nullptr);
}

const Cell* SheetModel::cell(int row, int col) const {
    auto it = m_cells.find(cellKey(row, col));
    return it == m_cells.end() ? nullptr : &it->second;
}

Value SheetModel::cellValue(int row, int col) const {
    const Cell* c = cell(row, col);
    return c ? c->value : Value();
}

void SheetModel::forEachValue(const CellRange& r, const std::function<void(const Value&)>& fn) const {
    auto it = m_cells.lower_bound(cellKey(r.row1, r.col1));
    const quint64 end = cellKey(r.row2, r.col2);
    while (it != m_cells.end() && it->first <= end) {
        const int row = keyRow(it->first), col = keyCol(it->first);
        if (col < r.col1) {
            it = m_cells.lower_bound(cellKey(row, r.col1));
            continue;
        }
        if (col > r.col2) {
            it = m_cells.lower_bound(cellKey(row + 1, r.col1));
            continue;
        }
        if (!it->second.value.isEmpty()) fn(it->second.value);
        ++it;
    }
}

QString SheetModel::entry(int row, int col) const {
    const Cell* c = cell(row, col);
    if (!c) return QString();
    switch (c->kind) {
    case Cell::Blank: return QString();
    case Cell::Number: return QString::number(c->number, 'g', 15);
    case Cell::Text: {
        double v;
        if (parseNumberText(c->text, &v) || c->text.startsWith(u'\'') ||
            (c->text.size() > 1 && c->text.startsWith(u'=')))
            return u'\'' + c->text;
        return c->text;
    }
    case Cell::Formula: return u'=' + (c->expr ? formulaText(*c->expr) : c->text);
    }
    return QString();
}

QString SheetModel::shownText(int row, int col, QColor* color) const {
    const Cell* c = cell(row, col);
    if (color) *color = QColor();
    if (!c) return QString();
    return formatValue(c->value, m_formats[size_t(c->format)].numberFormat, color);
}

QString SheetModel::formulaError(int row, int col) const {
    const Cell* c = cell(row, col);
    if (!c || c->kind != Cell::Formula || c->expr) return QString();
    return parseFormula(c->text).error;
}

void SheetModel::clearContents(const CellRange& range) {
    Batch batch(*this);
    std::vector<quint64> keys;
    for (auto it = m_cells.lower_bound(cellKey(range.row1, range.col1));
         it != m_cells.end() && it->first <= cellKey(range.row2, range.col2); ++it)
        if (range.contains(keyRow(it->first), keyCol(it->first)) && it->second.kind != Cell::Blank)
            keys.push_back(it->first);
    for (quint64 k : keys) setContent(keyRow(k), keyCol(k), Cell::Blank, 0, QString(), nullptr);
}

void SheetModel::clearAll(const CellRange& range) {
    Batch batch(*this);
    clearContents(range);
    for (auto it = m_cells.lower_bound(cellKey(range.row1, range.col1));
         it != m_cells.end() && it->first <= cellKey(range.row2, range.col2); ++it)
        if (range.contains(keyRow(it->first), keyCol(it->first))) it->second.format = 0;
    m_autoHeights.clear();
    changedLayout();
}

void SheetModel::deleteRows(int first, int last) {
    first = qMax(1, first);
    last = qMin(kMaxRows, last);
    if (first > last) return;
    const int n = last - first + 1;
    Batch batch(*this);
    std::map<quint64, Cell> moved;
    for (auto& [key, c] : m_cells) {
        const int row = keyRow(key), col = keyCol(key);
        if (row >= first && row <= last) continue;
        if (c.kind == Cell::Formula && c.expr) {
            auto e = cloneExpr(*c.expr);
            if (deleteRowsInFormula(e.get(), first, last)) c.expr = std::move(e);
        }
        moved.emplace(cellKey(row > last ? row - n : row, col), std::move(c));
    }
    m_cells = std::move(moved);
    std::map<int, int> heights;
    for (const auto& [row, h] : m_rowHeights)
        if (row < first) heights.emplace(row, h);
        else if (row > last) heights.emplace(row - n, h);
    m_rowHeights = std::move(heights);
    m_autoHeights.clear();
    // The selection follows its rows; one inside the deleted rows lands on the row that
    // moved up into their place.
    auto shift = [&](int r) { return qMax(1, r > last ? r - n : qMin(r, first)); };
    ViewSettings view = m_view;
    view.activeRow = shift(view.activeRow);
    view.selection.row1 = shift(view.selection.row1);
    view.selection.row2 = qMax(view.selection.row1, shift(view.selection.row2));
    setView(view);
    rebuildDependencies();
    recalculateAll();
    changedLayout();
}

void SheetModel::fill(int srcRow, int srcCol, const CellRange& dest) {
    const Cell* src = cell(srcRow, srcCol);
    const Cell copy = src ? *src : Cell();
    Batch batch(*this);
    for (int r = dest.row1; r <= dest.row2; ++r)
        for (int c = dest.col1; c <= dest.col2; ++c) {
            if (r == srcRow && c == srcCol) continue;
            setFormatIndex(r, c, copy.format);
            if (copy.kind == Cell::Formula && copy.expr)
                setContent(r, c, Cell::Formula, 0, QString(),
                           moveFormula(*copy.expr, r - srcRow, c - srcCol));
            else
                setContent(r, c, copy.kind, copy.number, copy.text, nullptr);
        }
    m_autoHeights.clear();
}

void SheetModel::paste(const SheetModel& from, const CellRange& block, int row, int col,
                       bool keepProtection) {
    Batch batch(*this);
    const int dr = row - block.row1, dc = col - block.col1;
    for (int r = block.row1; r <= block.row2; ++r)
        for (int c = block.col1; c <= block.col2; ++c) {
            const int tr = r + dr, tc = c + dc;
            if (!validCell(tr, tc) || tr > m_view.maxRow || tc > m_view.maxCol) continue;
            const Cell* src = from.cell(r, c);
            CellFormat f = from.format(r, c);
            if (keepProtection) {
                const CellFormat& old = format(tr, tc);
                f.locked = old.locked;
                f.hidden = old.hidden;
            }
            setFormat(tr, tc, f);
            if (!src || src->kind == Cell::Blank)
                setContent(tr, tc, Cell::Blank, 0, QString(), nullptr);
            else if (src->kind == Cell::Formula && src->expr)
                setContent(tr, tc, Cell::Formula, 0, QString(), moveFormula(*src->expr, dr, dc));
            else
                setContent(tr, tc, src->kind, src->number, src->text, nullptr);
        }
}

// ---------------------------------------------------------------- formats

int SheetModel::addFormat(const CellFormat& f) {
    auto it = m_formatIndex.constFind(f);
    if (it != m_formatIndex.constEnd()) return *it;
    m_formats.push_back(f);
    const int index = int(m_formats.size()) - 1;
    m_formatIndex.insert(f, index);
    return index;
}

int SheetModel::formatIndex(int row, int col) const {
    const Cell* c = cell(row, col);
    return c ? c->format : 0;
}

const CellFormat& SheetModel::format(int row, int col) const {
    return m_formats[size_t(formatIndex(row, col))];
}

void SheetModel::setFormat(int row, int col, const CellFormat& f) {
    setFormatIndex(row, col, addFormat(f));
}

void SheetModel::setFormatIndex(int row, int col, int index) {
    if (!validCell(row, col) || index < 0 || index >= int(m_formats.size())) return;
    const quint64 key = cellKey(row, col);
    auto it = m_cells.find(key);
    if (it == m_cells.end() && index == 0) return;
    Cell& c = it == m_cells.end() ? touch(row, col) : it->second;
    if (c.format == index) return;
    c.format = index;
    m_autoHeights.erase(row);
    changed(key);
}

void SheetModel::changeFormat(const CellRange& range0, const std::function<void(CellFormat&)>& change) {
    CellRange range = range0.normalized();
    range.row2 = qMin(range.row2, m_view.maxRow);
    range.col2 = qMin(range.col2, m_view.maxCol);
    if (range.row1 > range.row2 || range.col1 > range.col2) return;
    Batch batch(*this);
    QHash<int, int> converted; // old format index -> new
    auto apply = [&](int r, int c) {
        const int old = formatIndex(r, c);
        auto it = converted.constFind(old);
        int index;
        if (it != converted.constEnd()) {
            index = *it;
        } else {
            CellFormat f = m_formats[size_t(old)];
            change(f);
            index = addFormat(f);
            converted.insert(old, index);
        }
        if (index != old) setFormatIndex(r, c, index);
    };
    // Very large selections (whole columns of a big sheet) format the cells in use only.
    if (range.cellCount() > 200000) {
        std::vector<quint64> keys;
        for (const auto& [key, c] : m_cells)
            if (range.contains(keyRow(key), keyCol(key))) keys.push_back(key);
        for (quint64 k : keys) apply(keyRow(k), keyCol(k));
        return;
    }
    for (int r = range.row1; r <= range.row2; ++r)
        for (int c = range.col1; c <= range.col2; ++c) apply(r, c);
}

bool SheetModel::anyLocked(const CellRange& range) const {
    const bool defaultLocked = m_formats[0].locked;
    // Cells without an entry carry the default format.
    qint64 present = 0;
    bool locked = false;
    for (auto it = m_cells.lower_bound(cellKey(range.row1, range.col1));
         it != m_cells.end() && it->first <= cellKey(range.row2, range.col2); ++it) {
        if (!range.contains(keyRow(it->first), keyCol(it->first))) continue;
        ++present;
        if (m_formats[size_t(it->second.format)].locked) locked = true;
    }
    return locked || (defaultLocked && present < range.cellCount());
}

// ---------------------------------------------------------------- sizes

int SheetModel::columnWidth(int col) const {
    auto it = m_colWidths.find(col);
    return it == m_colWidths.end() ? m_view.defaultColumnWidth : it->second;
}

void SheetModel::setColumnWidth(int col, int width) {
    if (col < 1 || col > kMaxCols) return;
    if (width <= 0) m_colWidths.erase(col);
    else m_colWidths[col] = qMin(width, 2000);
    changedLayout();
}

int SheetModel::explicitRowHeight(int row) const {
    auto it = m_rowHeights.find(row);
    return it == m_rowHeights.end() ? 0 : it->second;
}

int SheetModel::rowHeight(int row) const {
    if (int h = explicitRowHeight(row)) return h;
    auto cached = m_autoHeights.find(row);
    if (cached != m_autoHeights.end()) return cached->second;
    double points = 0;
    for (auto it = m_cells.lower_bound(cellKey(row, 1)); it != m_cells.end() && keyRow(it->first) == row; ++it)
        points = qMax(points, m_formats[size_t(it->second.format)].fontSize);
    const int h = qMax(m_view.defaultRowHeight, points > 0 ? rowHeightForFont(points) : 0);
    m_autoHeights.emplace(row, h);
    return h;
}

void SheetModel::setRowHeight(int row, int height) {
    if (row < 1 || row > kMaxRows) return;
    if (height <= 0) m_rowHeights.erase(row);
    else m_rowHeights[row] = qMin(height, 1000);
    changedLayout();
}

void SheetModel::setView(const ViewSettings& v) {
    ViewSettings n = v;
    n.maxRow = qBound(1, n.maxRow, kMaxRows);
    n.maxCol = qBound(1, n.maxCol, kMaxCols);
    n.fixedRows = qBound(0, n.fixedRows, n.maxRow - 1);
    n.fixedCols = qBound(0, n.fixedCols, n.maxCol - 1);
    n.activeRow = qBound(1, n.activeRow, n.maxRow);
    n.activeCol = qBound(1, n.activeCol, n.maxCol);
    n.selection = n.selection.normalized();
    n.selection.row1 = qBound(1, n.selection.row1, n.maxRow);
    n.selection.row2 = qBound(1, n.selection.row2, n.maxRow);
    n.selection.col1 = qBound(1, n.selection.col1, n.maxCol);
    n.selection.col2 = qBound(1, n.selection.col2, n.maxCol);
    if (!n.selection.contains(n.activeRow, n.activeCol))
        n.selection = CellRange::cell(n.activeRow, n.activeCol);
    n.defaultColumnWidth = qBound(4, n.defaultColumnWidth, 2000);
    n.defaultRowHeight = qBound(4, n.defaultRowHeight, 1000);
    if (n.defaultRowHeight != m_view.defaultRowHeight) m_autoHeights.clear();
    // Moving the selection changes nothing the sheet holds: no change is reported.
    ViewSettings sameSelection = n;
    sameSelection.activeRow = m_view.activeRow;
    sameSelection.activeCol = m_view.activeCol;
    sameSelection.selection = m_view.selection;
    const bool layout = !(sameSelection == m_view);
    m_view = n;
    if (layout) changedLayout();
}

void SheetModel::setPrint(const PrintSettings& p) {
    PrintSettings n = p;
    n.scale = qBound(10, n.scale, 400);
    n.pagesHigh = qBound(1, n.pagesHigh, 100);
    n.pagesWide = qBound(1, n.pagesWide, 100);
    for (double* m : {&n.leftMargin, &n.rightMargin, &n.topMargin, &n.bottomMargin})
        *m = std::isfinite(*m) ? qBound(0.0, *m, 20.0) : 1.0;
    const bool differs = !(n == m_print);
    m_print = n;
    if (differs) changedLayout();
}

CellRange SheetModel::usedRange() const {
    CellRange r{1, 1, 0, 0};
    for (const auto& [key, c] : m_cells) {
        if (c.kind == Cell::Blank) continue;
        r.row2 = qMax(r.row2, keyRow(key));
        r.col2 = qMax(r.col2, keyCol(key));
    }
    return r;
}

CellRange SheetModel::formattedRange() const {
    CellRange r{1, 1, 0, 0};
    for (const auto& [key, c] : m_cells) {
        r.row2 = qMax(r.row2, keyRow(key));
        r.col2 = qMax(r.col2, keyCol(key));
    }
    return r;
}

// ---------------------------------------------------------------- dependencies

void SheetModel::registerFormula(quint64 key, const Expr& expr) {
    QStringList names;
    collectSheetNames(expr, &names);
    if (!names.isEmpty()) {
        for (const QString& n : names) ++m_externalNames[n.toLower()];
        m_external[key] = std::move(names);
    }
    std::vector<CellRange> refs;
    collectReferences(expr, &refs);
    for (const CellRange& r : refs) {
        if (r.isSingleCell()) {
            m_dependents[cellKey(r.row1, r.col1)].push_back(key);
        } else {
            for (int c = r.col1; c <= r.col2; ++c) m_rangeDeps[size_t(c)].push_back({r.row1, r.row2, key});
        }
    }
}

void SheetModel::unregisterFormula(quint64 key, const Expr& expr) {
    if (auto ext = m_external.find(key); ext != m_external.end()) {
        for (const QString& n : ext->second)
            if (--m_externalNames[n.toLower()] <= 0) m_externalNames.remove(n.toLower());
        m_external.erase(ext);
    }
    std::vector<CellRange> refs;
    collectReferences(expr, &refs);
    for (const CellRange& r : refs) {
        if (r.isSingleCell()) {
            auto it = m_dependents.find(cellKey(r.row1, r.col1));
            if (it == m_dependents.end()) continue;
            auto& v = it->second;
            auto pos = std::find(v.begin(), v.end(), key);
            if (pos != v.end()) {
                *pos = v.back();
                v.pop_back();
            }
            if (v.empty()) m_dependents.erase(it);
        } else {
            for (int c = r.col1; c <= r.col2; ++c) {
                auto& v = m_rangeDeps[size_t(c)];
                for (size_t i = 0; i < v.size(); ++i)
                    if (v[i].dependent == key && v[i].row1 == r.row1 && v[i].row2 == r.row2) {
                        v[i] = v.back();
                        v.pop_back();
                        break;
                    }
            }
        }
    }
}

void SheetModel::rebuildDependencies() {
    m_external.clear();
    m_externalNames.clear();
    m_dependents.clear();
    m_rangeDeps.assign(kMaxCols + 1, {});
    for (const auto& [key, c] : m_cells)
        if (c.kind == Cell::Formula && c.expr) registerFormula(key, *c.expr);
}

void SheetModel::dependentsOf(quint64 key, std::vector<quint64>* out) const {
    out->clear();
    auto it = m_dependents.find(key);
    if (it != m_dependents.end()) out->insert(out->end(), it->second.begin(), it->second.end());
    const int row = keyRow(key), col = keyCol(key);
    if (col >= 1 && col <= kMaxCols)
        for (const RangeDep& d : m_rangeDeps[size_t(col)])
            if (row >= d.row1 && row <= d.row2) out->push_back(d.dependent);
}

void SheetModel::evaluateCell(Cell& c) {
    if (c.kind != Cell::Formula) return;
    c.value = c.expr ? evaluateFormula(*c.expr, *this) : Value::makeError(ErrorCode::Name);
}

QList<QPoint> SheetModel::circleOf(int row, int col) const {
    QList<QPoint> out;
    const auto it = m_circles.find(cellKey(row, col));
    if (it == m_circles.end()) return out;
    for (quint64 key : *it->second)
        out.append(QPoint(keyCol(key), keyRow(key)));
    return out;
}

// Recalculates the seeds and everything that depends on them, each cell once, after
// the cells it reads. Cells on a circle of references get #CIRC! rather than looping, and
// remember the circle so that the user can be told which cells make it.
// Tarjan's strongly connected components, without recursion so that long chains of
// formulas cannot exhaust the stack; components come out dependents first.
void SheetModel::recalculate(const std::vector<quint64>& seeds) {
    struct Node {
        int index, low;
        bool onStack;
    };
    std::unordered_map<quint64, Node> nodes;
    std::vector<quint64> stack;
    std::vector<std::vector<quint64>> components;
    std::unordered_set<quint64> selfLoops;
    struct Frame {
        quint64 key;
        std::vector<quint64> next;
        size_t i;
    };
    std::vector<Frame> calls;
    int counter = 0;

    auto open = [&](quint64 key) {
        nodes[key] = {counter, counter, true};
        ++counter;
        stack.push_back(key);
        Frame f{key, {}, 0};
        dependentsOf(key, &f.next);
        for (quint64 d : f.next)
            if (d == key) selfLoops.insert(key);
        calls.push_back(std::move(f));
    };

    for (quint64 seed : seeds) {
        if (nodes.count(seed)) continue;
        open(seed);
        while (!calls.empty()) {
            Frame& f = calls.back();
            if (f.i < f.next.size()) {
                const quint64 w = f.next[f.i++];
                auto it = nodes.find(w);
                if (it == nodes.end()) {
                    open(w);
                } else if (it->second.onStack) {
                    Node& v = nodes[f.key];
                    v.low = qMin(v.low, it->second.index);
                }
                continue;
            }
            const quint64 v = f.key;
            calls.pop_back();
            Node& nv = nodes[v];
            if (!calls.empty()) {
                Node& parent = nodes[calls.back().key];
                parent.low = qMin(parent.low, nv.low);
            }
            if (nv.low == nv.index) {
                std::vector<quint64> comp;
                quint64 w;
                do {
                    w = stack.back();
                    stack.pop_back();
                    nodes[w].onStack = false;
                    comp.push_back(w);
                } while (w != v);
                components.push_back(std::move(comp));
            }
        }
    }

    for (auto it = components.rbegin(); it != components.rend(); ++it) {
        const bool circular = it->size() > 1 || selfLoops.count(it->front());
        std::shared_ptr<std::vector<quint64>> circle;
        if (circular) {
            circle = std::make_shared<std::vector<quint64>>();
            for (quint64 key : *it) {
                const auto c = m_cells.find(key);
                if (c != m_cells.end() && c->second.kind == Cell::Formula) circle->push_back(key);
            }
            std::sort(circle->begin(), circle->end());
        }
        for (quint64 key : *it) {
            auto c = m_cells.find(key);
            if (c == m_cells.end() || c->second.kind != Cell::Formula) {
                m_circles.erase(key);
                continue;
            }
            if (circular) {
                c->second.value = Value::makeError(ErrorCode::Circular);
                m_circles[key] = circle;
            } else {
                m_circles.erase(key);
                evaluateCell(c->second);
            }
        }
    }
}

void SheetModel::recalculateAll() {
    m_circles.clear();
    std::vector<quint64> seeds;
    for (const auto& [key, c] : m_cells)
        if (c.kind == Cell::Formula) seeds.push_back(key);
    recalculate(seeds);
}

void SheetModel::changed(quint64 key) {
    m_pending.push_back(key);
    if (m_batchDepth == 0) {
        ++m_batchDepth;
        endBatch();
    }
}

void SheetModel::changedLayout() {
    m_pendingLayout = true;
    if (m_batchDepth == 0) {
        ++m_batchDepth;
        endBatch();
    }
}

void SheetModel::endBatch() {
    if (m_batchDepth > 0) --m_batchDepth;
    if (m_batchDepth > 0) return;
    if (m_pending.empty() && !m_pendingLayout) return;
    std::vector<quint64> pending;
    pending.swap(m_pending);
    m_pendingLayout = false;
    if (!pending.empty()) {
        std::sort(pending.begin(), pending.end());
        pending.erase(std::unique(pending.begin(), pending.end()), pending.end());
        recalculate(pending);
        for (quint64 k : pending) dropIfEmpty(k);
    }
    // Rows deleted or a sheet renamed change what other sheets read, as content does.
    notifyReaders();
    if (m_listener) m_listener();
}

void SheetModel::dropIfEmpty(quint64 key) {
    auto it = m_cells.find(key);
    if (it != m_cells.end() && it->second.kind == Cell::Blank && it->second.format == 0)
        m_cells.erase(it);
}

} // namespace Sheet
