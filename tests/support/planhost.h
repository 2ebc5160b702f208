#pragma once

#include "budget/budgetview.h"
#include "editor/editcommands.h"
#include "plans/autosave.h"
#include "plans/lifecycle.h"
#include "plans/navigator.h"
#include "plans/planstate.h"

#include <QWidget>

#include <memory>

class QComboBox;
class QMenu;
class QToolButton;
class SheetControl;
class Speller;

// The plan's editing area without the main window around it: the navigator's row, the
// section pointer, the ruler and the plan text, the budget sheet in the text's place, and
// the subsystems that work on them (navigator, budget view, edit commands, recovery
// copies, the plan's load and save), wired as the main window wires them. No menu bar,
// toolbars, printing or export: tests of the navigator and the lifecycle need none.
class PlanHost {
    // First, so that it goes last, after everything that watches its widgets.
    std::unique_ptr<QWidget> m_window;

public:
    PlanHost();
    ~PlanHost();
    PlanHost(const PlanHost&) = delete;
    PlanHost& operator=(const PlanHost&) = delete;

    QWidget* window() const { return m_window.get(); }

    PlanState state;
    // The widgets, under the main window's object names.
    NavigatorWidgets nav;
    QWidget* PanelAll = nullptr;
    QWidget* Panel6 = nullptr;
    QWidget* pnlSpread = nullptr;
    SheetControl* spread = nullptr;
    QToolButton* cmdColour = nullptr;
    QToolButton* cmdCal = nullptr;
    QMenu* mnupopup = nullptr;
    QAction* DeleteRow1 = nullptr;
    Speller* Spell = nullptr;

    std::unique_ptr<BudgetView> budget;
    std::unique_ptr<Navigator> navigator;
    std::unique_ptr<AutoSave> autoSave;
    std::unique_ptr<PlanLifecycle> lifecycle;
    std::unique_ptr<EditCommands> editing;
};
