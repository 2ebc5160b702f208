#pragma once

class SheetControl;
class TextControl;
namespace Sheet {
class SheetModel;
}

// Budget > "Insert Chart into Plan": the budget's spend per period, stacked by its groups,
// with the cumulative spend, as a chart in the budget's section of the plan text (tagged
// `sectionTag`), where an analysis table goes in its section: two lines below the start.
// An entry still being typed counts. Says so when the sheet has nothing to chart or the
// text cannot take the chart. True when the chart went in.
bool InsertBudgetChart(SheetControl& sheet, TextControl& plan, int sectionTag);

// The caption of the plan's section the actual spend chart goes into.
inline constexpr const char* kMonitoringSection = "Monitoring and Control";

// The Actual Spend window's "Insert Chart into Plan": the budget against the actual spend
// per period, with both running totals, as a chart at the start of the monitoring section
// of the plan text (tagged `sectionTag`; at the end of the text, and the user told so,
// when it is negative or the text has no such section). `budget` is the budget's workbook.
// The caret stays where it was. True when the chart went in.
bool InsertActualsChart(const Sheet::SheetModel& budget, TextControl& plan, int sectionTag);
