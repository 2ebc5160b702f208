#pragma once

class SheetControl;
class TextControl;

// Budget > "Insert Chart into Plan": the budget's spend per period, stacked by its groups,
// with the cumulative spend, as a chart in the budget's section of the plan text (tagged
// `sectionTag`), where an analysis table goes in its section: two lines below the start.
// An entry still being typed counts. Says so when the sheet has nothing to chart or the
// text cannot take the chart. True when the chart went in.
bool InsertBudgetChart(SheetControl& sheet, TextControl& plan, int sectionTag);
