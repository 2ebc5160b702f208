#pragma once

#include "formula.h"
#include "sheettypes.h"

#include <functional>

namespace Sheet {

// What a formula reads from its sheet.
class CellReader {
public:
    virtual ~CellReader() = default;
    virtual Value cellValue(int row, int col) const = 0;
    // Calls `fn` for every cell of the range that is not empty, row by row.
    virtual void forEachValue(const CellRange& range,
                              const std::function<void(const Value&)>& fn) const = 0;
    // Another sheet of the same workbook, by its name (case-blind); null when there is none.
    virtual const CellReader* sheetReader(const QString& name) const {
        Q_UNUSED(name);
        return nullptr;
    }
};

// Evaluates a formula. Text results longer than kMaxTextLength are #VALUE!, as in other
// spreadsheets.
Value evaluateFormula(const Expr& expr, const CellReader& cells);
constexpr int kMaxTextLength = 32767;

// The conversions formulas apply, exposed for the TEXT function's and the tests' use.
// Text that reads as a number or a day/month/year date converts; empty is 0.
bool toNumber(const Value& v, double* out);
QString toText(const Value& v);

} // namespace Sheet
