#pragma once

#include <QString>

// The open plan's identity as the plan windows and the main window share it.
struct PlanSession {
    QString CurrentPlanName; // the plan's title: its identity in the catalogue
    QString CurrentPlanFile; // full path of its text file
    QString BasePlanFile;    // where a plan being created is copied from
    bool CreatingPlan = false;
    QString NewPlanName; // the name accepted by the new-plan window
    QString NewPlanFile; // the text file that plan will have
};

// The one open-plan state of the program.
PlanSession& planSession();
