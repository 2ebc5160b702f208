#pragma once

#include "plans/plancheck.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>

class QAction;
class QToolButton;
class ProgressMarks;
class TfrmCheckPlan;
class TfrmEdit;

// The plan's progress in the navigator and the status bar, the Check Plan command and its
// window, and the reminder before the plan is printed or exported, wired to the main
// window.
class PlanCheckCommands : public QObject {
    Q_OBJECT
public:
    explicit PlanCheckCommands(TfrmEdit* window);

    // Printing and every export ask this first; false means stop. With template prompts
    // left and the reminder on, the owner is asked (see RemindOfTemplatePrompts).
    bool BeforePlanLeaves();
    // "Chec&k Plan..." and its toolbar button: shows the Check Plan window.
    void mnuCheckPlanClick();
    // A plan's text is in the control (or no plan is open any more).
    void SetPlanOpen(bool open);
    // The budget tells the check whether its details were confirmed and what it adds up
    // to; until it is given, the check says nothing about the budget.
    void SetBudgetFacts(BudgetFactsProvider facts);
    // The budget's details were confirmed or its total changed: an open Check Plan window
    // looks again.
    void BudgetChanged();

    // The Options setting that switches the reminder off: key PlanCheckReminder in section
    // "Zurozurov Irod" of Tandel.INI, 1 (the default) on, 0 off.
    static bool ReminderOn();

    PlanProgress* progress() const { return m_progress; }
    PlanCheck& check() { return m_check; }
    TfrmCheckPlan* checkWindow() const { return m_window; }
    ProgressMarks* marks() const { return m_marks; }

    QAction* mnuCheckPlan = nullptr;
    QToolButton* cmdCheckPlan = nullptr;

private:
    void goTo(const CheckEntry& entry);
    void outlineChanged();
    void loadTemplate();

    TfrmEdit* w;
    PlanProgress* m_progress;
    PlanCheck m_check;
    ProgressMarks* m_marks = nullptr;
    TfrmCheckPlan* m_window = nullptr;
    QTimer m_outlineChanged;
    bool m_open = false;
    BudgetFactsProvider m_budget;
    // The template last read, so that opening plan after plan does not read it each time.
    QString m_templateFile;
    QDateTime m_templateTime;
};
