#pragma once

#include "sheettypes.h"

#include <QColor>
#include <QString>

// Number format codes in the notation other spreadsheets use, so that cell formats, the
// TEXT function and exported files speak one language:
//   "General"                 numbers as they are, up to ten significant digits
//   "0", "0.00"               fixed decimals
//   "#,##0", "#,##0.00"       thousands separators
//   "£#,##0;-£#,##0"          pounds; sections for positive;negative;zero;text
//   "0%", "0.0%"              percent
//   "dd/mm/yyyy", "mmm yyyy"  dates: d dd ddd dddd, m mm mmm mmmm, yy yyyy; h hh mm ss
//   "[Red]", "\x", "_x", "text" in quotes; "@" the text itself
namespace Sheet {

// A value as a cell with this format shows it. `color`, when given, receives the colour a
// section asks for ("[Red]") or an invalid colour.
QString formatValue(const Value& value, const QString& code, QColor* color = nullptr);
QString formatNumber(double number, const QString& code, QColor* color = nullptr);
// A number in the General format, as formulas turn numbers into text.
QString generalNumber(double number);
// Whether the format shows dates or times.
bool isDateFormat(const QString& code);

// Short codes of the formats the program offers.
namespace Formats {
inline const QString General = QStringLiteral("General");
inline const QString Fixed2 = QStringLiteral("0.00");
inline const QString Thousands = QStringLiteral("#,##0");
inline const QString Pounds = QStringLiteral("£#,##0;-£#,##0");
inline const QString Pounds2 = QStringLiteral("£#,##0.00;-£#,##0.00");
inline const QString Percent = QStringLiteral("0%");
inline const QString Date = QStringLiteral("dd/mm/yyyy");
} // namespace Formats

} // namespace Sheet
