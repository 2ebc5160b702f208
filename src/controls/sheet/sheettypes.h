#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>

// Addresses and values shared by the sheet's model, formula engine, files and widget.
// Rows and columns count from 1; column 1 is "A".
namespace Sheet {

// The largest sheet the control holds: what an Excel 4 worksheet can hold, so that every
// sheet can be exported.
constexpr int kMaxRows = 16384;
constexpr int kMaxCols = 256;

inline bool validCell(int row, int col) {
    return row >= 1 && row <= kMaxRows && col >= 1 && col <= kMaxCols;
}

// Row-major key: ordered maps of keys walk the sheet row by row, left to right.
inline quint64 cellKey(int row, int col) {
    return (quint64(quint32(row)) << 16) | quint64(quint16(col));
}
inline int keyRow(quint64 key) { return int(key >> 16); }
inline int keyCol(quint64 key) { return int(key & 0xFFFF); }

struct CellRange {
    int row1 = 1, col1 = 1, row2 = 1, col2 = 1;

    static CellRange cell(int row, int col) { return {row, col, row, col}; }
    // Puts the corners in order.
    CellRange normalized() const;
    bool contains(int row, int col) const {
        return row >= row1 && row <= row2 && col >= col1 && col <= col2;
    }
    int rows() const { return row2 - row1 + 1; }
    int cols() const { return col2 - col1 + 1; }
    qint64 cellCount() const { return qint64(rows()) * cols(); }
    bool isSingleCell() const { return row1 == row2 && col1 == col2; }
    bool operator==(const CellRange&) const = default;
};

// "A" for 1, "Z" for 26, "AA" for 27; empty outside 1..kMaxCols.
QString columnName(int col);
// The inverse of columnName, case-blind; 0 when the letters name no column of the sheet.
int columnNumber(QStringView letters);
// "B6"; "$B$6" with both absolute flags.
QString cellName(int row, int col, bool absRow = false, bool absCol = false);
// "B6", "$B$6", "b6" (blanks around are allowed). False for anything else or a cell
// outside the sheet.
bool parseCellName(QStringView text, int* row, int* col);
// "B6:D8" or a single cell "B6"; the range comes back normalized.
bool parseRangeName(QStringView text, CellRange* range);
QString rangeName(const CellRange& range);

// Circular: the cell's formula reads its own value, directly or through other cells.
enum class ErrorCode : quint8 { None = 0, Null, Div0, Value, Ref, Name, Num, NA, Circular };
// "#DIV/0!" ...; empty for None.
QString errorText(ErrorCode code);
// The inverse, exact spelling, case-blind; None when the text is no error value.
ErrorCode errorFromText(QStringView text);

// A cell's value: empty, a number (dates are serial numbers), text, a logical value or an
// error value.
struct Value {
    enum Type : quint8 { Empty, Number, Text, Bool, Error };
    Type type = Empty;
    ErrorCode error = ErrorCode::None;
    bool boolean = false;
    double number = 0;
    QString text;

    static Value makeNumber(double v);
    static Value makeText(const QString& s) {
        Value v;
        v.type = Text;
        v.text = s;
        return v;
    }
    static Value makeBool(bool b) {
        Value v;
        v.type = Bool;
        v.boolean = b;
        return v;
    }
    static Value makeError(ErrorCode e) {
        Value v;
        v.type = Error;
        v.error = e;
        return v;
    }
    bool isEmpty() const { return type == Empty; }
    bool isNumber() const { return type == Number; }
    bool isText() const { return type == Text; }
    bool isError() const { return type == Error; }
    bool operator==(const Value& o) const;
};

// Dates are serial numbers: days since 30 December 1899, so that 1 is 31 December 1899
// and 46478 is 1 April 2027, as other spreadsheets count them from March 1900 on.
double dateSerial(int year, int month, int day);
// False for serials before 1 or beyond year 9999.
bool serialToDate(double serial, int* year, int* month, int* day);

// Text a user typed that stands for a number: "12", "-1,234.50", "£1,200", "15%",
// "(300)", "1.5E3". `impliedFormat`, when given, receives the number format the text
// suggests ("£#,##0.00", "0%", "#,##0") or stays empty.
bool parseNumberText(QStringView text, double* value, QString* impliedFormat = nullptr);
// Day/month/year text, as the budget's start cell holds it: "01/4/2027", "1-4-27",
// "1 Apr 2027", "1 April 2027", also "2027-04-01". Two-digit years 00-29 are 2000-2029,
// 30-99 are 1930-1999.
bool parseDateText(QStringView text, double* serial);

} // namespace Sheet
