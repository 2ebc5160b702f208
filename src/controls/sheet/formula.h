#pragma once

#include "sheettypes.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

// Formulas: the text after "=" parsed into a small syntax tree, printed back, and
// adjusted when rows are deleted or a formula is copied elsewhere.
//
// References are held as absolute cell positions with their "$" flags, so that moving a
// formula shifts the relative parts and deleting rows renumbers every reference alike.
namespace Sheet {

// One end of a reference.
struct RefPart {
    int row = 1, col = 1;
    bool absRow = false, absCol = false;
};

struct Expr {
    enum Kind : quint8 {
        Number,   // number
        String,   // text
        Boolean,  // boolean
        ErrorLit, // error (a literal, or a reference that no longer exists)
        Ref,      // a
        Range,    // a:b
        Name,     // text: a name the sheet does not know (#NAME?)
        Unary,    // op, args[0]
        Percent,  // args[0] %
        Binary,   // args[0] op args[1]
        Paren,    // (args[0])
        Call,     // function, args
        Missing,  // an omitted argument, as in IF(A1,,2)
    };
    enum Op : quint8 {
        Add, Sub, Mul, Div, Pow, Concat, Eq, Ne, Lt, Le, Gt, Ge, Neg, Plus
    };

    Kind kind = Number;
    Op op = Add;
    bool boolean = false;
    ErrorCode error = ErrorCode::None;
    int function = -1; // index into functionTable()
    int depth = 1;     // of this subtree
    double number = 0;
    QString text;
    // Ref and Range: the sheet of the workbook they name ("Budget!B6"); empty for the
    // formula's own sheet.
    QString sheet;
    RefPart a, b;
    std::vector<std::unique_ptr<Expr>> args;
};

// The functions the engine knows, in the order of functionTable().
enum FunctionId : int {
    FnSum, FnAverage, FnMin, FnMax, FnCount, FnCountA, FnRound, FnRoundUp, FnRoundDown, FnAbs,
    FnInt, FnMod, FnIf, FnAnd, FnOr, FnNot, FnTrue, FnFalse, FnDate, FnDateValue, FnDay,
    FnMonth, FnYear, FnEDate, FnEOMonth, FnText, FnLeft, FnMid, FnRight, FnLen, FnFind,
    FnValue, FnConcatenate, FnChoose, FnUpper, FnLower, FnTrim, FnIsError, FnIsBlank,
    FnIsNumber, FnIsText, FnNA, FnToday, FnFunctionCount
};

struct FunctionInfo {
    const char* name;
    int minArgs;
    int maxArgs; // -1: any number
    // Excel 4 built-in function number, or -1 when an Excel 4 worksheet has no such
    // function (the file then keeps the value alone).
    int biffIndex;
    bool biffFixed; // written with a fixed argument count (tFunc) rather than tFuncVar
};
const std::vector<FunctionInfo>& functionTable();
// Case-blind; -1 when unknown.
int findFunction(QStringView name);

// Formulas nest at most this deep (brackets, operators, function calls together); a
// deeper formula is refused as a whole.
constexpr int kMaxFormulaDepth = 200;

struct ParseResult {
    std::unique_ptr<Expr> expr; // null when the formula cannot be read
    QString error;              // why, in the program's words
    int errorPos = -1;          // character offset in the text after "="
};
// Parses the text after the "=".
ParseResult parseFormula(QStringView text);

// Prints a tree back as formula text, without the leading "=".
QString formulaText(const Expr& expr);

// Every cell and range of its own sheet the formula reads, as normalized ranges (single
// cells as one-cell ranges).
void collectReferences(const Expr& expr, std::vector<CellRange>* out);
// The names of the other sheets the formula reads, as written.
void collectSheetNames(const Expr& expr, QStringList* out);
// How a reference names a sheet: "Budget", "'Actual Spend'" (quoted unless the name is
// plain letters, digits and "_" that could not be read as a cell).
QString quotedSheetName(const QString& name);
// A copy of a formula with every reference to its own sheet's columns moved by
// `mapColumn` (the new column, or 0 when the column has no place: the reference then
// becomes #REF!); references to other sheets stay.
std::unique_ptr<Expr> mapColumns(const Expr& expr, const std::function<int(int)>& mapColumn);

// Deletes rows first..last of the formula's own sheet: references below move up; a reference into the deleted rows
// becomes #REF!, a range loses the deleted rows and becomes #REF! only when all of its
// rows go. Returns whether anything changed.
bool deleteRowsInFormula(Expr* expr, int first, int last);

// A copy of a formula moved by (dRows, dCols): relative parts shift, "$" parts stay.
// A part moved off the sheet becomes #REF!.
std::unique_ptr<Expr> moveFormula(const Expr& expr, int dRows, int dCols);

std::unique_ptr<Expr> cloneExpr(const Expr& expr);

} // namespace Sheet
