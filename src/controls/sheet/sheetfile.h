#pragma once

#include "sheettypes.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace Sheet {

class SheetModel;

// The control's own file format (file type 1): UTF-8 JSON text holding everything the
// sheet holds (cells as entered, formats, sizes, view and print settings), so that a
// file reads back exactly as it was written. Versioned by its "version" field: 1 for a
// single sheet; 2 adds the first sheet's "name" and the workbook's further sheets, each
// an object like the root with its "name":
//   {..., "version": 2, "name": "Budget", "sheets": [{"name": "Actual Spend", "view": ...}]}
//
//   {"format": "tandel-sheet", "version": 1, "view": {...}, "print": {...},
//    "columns": [{"col": 1, "width": 220}], "rows": [{"row": 1, "height": 26}],
//    "formats": [{...}], "cells": [{"ref": "B3", "formula": "SUM(B6:B9)", "format": 2}]}
constexpr int kNativeVersion = 2;
QByteArray writeNative(const SheetModel& model);
// Reads into `model` only when the whole file is sound; otherwise leaves it as it was
// and gives the reason in the program's words.
bool readNative(const QByteArray& bytes, SheetModel* model, QString* error);
// Whether the bytes look like the control's own format (for telling file types apart).
bool looksNative(const QByteArray& bytes);

// Tab-separated text (file type 3, and the clipboard): the shown values of a range, one
// line per row, fields holding tabs, line breaks or quotes in double quotes, as other
// spreadsheets write them. Lines end in CRLF.
QString writeTsv(const SheetModel& model, const CellRange& range);
// Splits tab-separated text into rows of fields (LF or CRLF, quoted fields).
QList<QStringList> parseTsv(const QString& text);
// A UTF-8 file of tab-separated text (with a byte order mark so that other spreadsheets
// read the pound sign right); a workbook's further sheets follow as blocks of their own,
// each after an empty line and a line with its name.
QByteArray writeTsvFile(const SheetModel& model);

// Files larger than this are refused rather than read into memory.
constexpr qint64 kMaxSheetFileSize = 64 * 1024 * 1024;

} // namespace Sheet
