#pragma once

#include <QByteArray>
#include <QString>

namespace Sheet {

class SheetModel;

// An Excel 4 worksheet file (BIFF4, file type 2), as other spreadsheets open it: every
// cell with its value, fonts, alignment, number formats, protection flags, column widths,
// row heights, frozen panes and print settings. Formulas are written as formulas where
// an Excel 4 worksheet can hold them (CONCATENATE becomes "&"); a formula using a
// function Excel 4 lacks (EDATE, EOMONTH) keeps its last value instead. Text goes in the
// Windows-1252 code page; characters it lacks become "?" and texts are cut at 255
// characters, the limits of the format.
QByteArray writeBiff4(const SheetModel& model);

// Windows-1252, the code page the file declares.
QByteArray toCp1252(const QString& text);
QString fromCp1252(const QByteArray& bytes);

// Excel's error codes.
quint8 biffErrorCode(int errorCode /* Sheet::ErrorCode */);

} // namespace Sheet
