#pragma once

#include <QString>

class TextControl;
class Tfrmca;
class Tfrmip;
class Tfrmsw;
class Tfrmsummary;

// The analysis windows, made once at start-up.
struct AnalysisWindows {
    Tfrmca* ca = nullptr;
    Tfrmip* ip = nullptr;
    Tfrmsw* sw = nullptr;
    Tfrmsummary* summary = nullptr;
};

// The navigator sections that open an analysis when clicked in the outline.
enum AnalysisSection { CompetitorSection = 17, ImpactSection = 19, StrengthSection = 21, SwotSection = 23 };

// Shows the analysis of a navigator section for the plan and, when the user asks for
// the table, writes it into the plan text at the caret. Returns true when a table went
// in (the plan has changed). Other sections, and a window not made, do nothing.
bool RunSectionAnalysis(int section, TextControl& text, const QString& plan,
                        const AnalysisWindows& windows);
