#pragma once

#include <QString>

// The settings a plan carries in the 68-character header at the start of its file on
// disk: four margins in inches, the page setup's paper size code and orientation code.
struct PlanPageSettings {
    double left = 1.0, right = 1.0, top = 1.0, bottom = 1.0;
    int paperSize = 9;   // Windows paper code, 9 = A4
    int orientation = 1; // 1 portrait, 2 landscape
};

namespace PlanHeader {

constexpr int Length = 68;
constexpr int HeaderTag = 1000; // HTag of the header run

// Four 15-character margin fields in thousandths of an inch (rounded half to even), then
// four characters of paper size and four of orientation, all zero-padded; a field keeps
// the rightmost characters of its number.
QString make(const PlanPageSettings& s);

struct Parsed {
    bool marginsOk = false; // all four margin fields read as numbers
    bool pageOk = false;    // paper size and orientation read as numbers
    PlanPageSettings settings;
};
// Reads a header as far as it goes; a short or damaged header gives marginsOk / pageOk
// false, and the caller keeps its defaults for that half.
Parsed parse(const QString& header);

} // namespace PlanHeader
