#pragma once

#include <QString>
#include <QStringList>

namespace Sheet {

class SheetModel;

// A readable text form of a sheet: the shipped budget template is written in it, and the
// formula engine's test cases are scripts of assignments and expected values.
//
// One command a line; blank lines and lines starting with "#" are skipped. Words holding
// blanks go in double quotes ("" inside for a quote).
//
//   set B6 1200                  as typed: "=..." a formula, numbers, text
//   set B5:M5 =SUM(B6:B9)        a range: the first cell's entry filled across it
//   text A1 "Cashflow forecast " literal text, blanks kept
//   format A1:N3 bold size=12 font="Times New Roman" color=#800000 align=centre
//          number="£#,##0" unlocked hidden wrap valign=top
//   width A 220                  width B:M 84  (pixels at 96 per inch)
//   height 1 28
//   view maxrow=28 maxcol=28 fixedrows=1 fixedcols=1 protection=on active=B6
//   print landscape=on fit=on wide=1 high=1 scale=100 hcenter=on vcenter=off
//         margins=0.5,0.5,0.75,0.75 gridlines=on headings=off paper=9
//   delete 3:4                   whole rows
//   clear B6:M9                  contents
//   expect B5 1200               value: a number, "text", TRUE, FALSE, #DIV/0!, empty
//   shows B5 "£1,200"            the text the cell shows
//   entry B5 "=SUM(B6:B9)"       what the edit bar shows
struct ScriptResult {
    int checks = 0;       // expect / shows / entry lines run
    QStringList failures; // "line 12: B5: expected 3, got #REF!" and lines not understood
    bool ok() const { return failures.isEmpty(); }
};
ScriptResult runSheetScript(const QString& script, SheetModel* model);

} // namespace Sheet
