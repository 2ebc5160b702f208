#pragma once

// Margins in inches: left, right, top, bottom.
struct InchMargins {
    double Left = 1;
    double Right = 1;
    double Top = 1;
    double Bottom = 1;
    bool operator==(const InchMargins&) const = default;
};

// What the main window's subsystems share about the plan open in it: whether it holds
// changes not yet saved, its page margins and the text area they leave. The main window
// owns it; the navigator, the edit commands and the plan's load and save take it by
// reference.
struct PlanState {
    bool PlanModified = false;
    InchMargins PlanMargins;
    // The margins of the settings, which a plan without a settings header takes.
    InchMargins DefaultMargins;
    double TextAreaWidth = 0;  // inches
    double TextAreaHeight = 0; // inches
};
