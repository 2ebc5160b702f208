#pragma once

#include "plans/plandamage.h"
#include "plans/planheader.h"
#include "plans/recovery.h"

#include <QObject>
#include <QString>

#include <functional>

class AutoSave;
class BudgetView;
class Navigator;
class QTreeView;
class Ruler;
class TextControl;
class Tfrmopen;
struct PlanState;

// The main window's widgets a plan is loaded into and saved from.
struct LifecycleWidgets {
    QWidget* window = nullptr;      // painting held off while the plan is saved
    QWidget* editingArea = nullptr; // shown while a plan is open
    TextControl* ATX321 = nullptr;  // the plan text
    TextControl* ATX322 = nullptr;  // the guidance pane, laid out with the ruler
    Ruler* rulMain = nullptr;
    QTreeView* Outline1 = nullptr; // closed up as another plan loads
};

// What the plan's load and save ask of the rest of the program. The getters serve parts
// made after the lifecycle.
struct LifecycleLinks {
    Navigator* navigator = nullptr;
    std::function<AutoSave*()> autoSave;
    std::function<BudgetView*()> budget;
    // The window's "no plan open" / "plan open" states and its caption's plan name.
    std::function<void(bool)> setPlanControls;
    std::function<void(const QString&)> setCaption;
    // The open window (made after the main window).
    std::function<Tfrmopen*()> openWindow;
};

// Opening, creating, loading and saving plans: the plan text, its settings header and the
// budget beside it.
class PlanLifecycle : public QObject {
    Q_OBJECT
public:
    PlanLifecycle(const LifecycleWidgets& widgets, LifecycleLinks links, PlanState& plan,
                  QObject* parent = nullptr);

    void Open2Click();
    // Asks the Open command's question, then opens the open window at its "&New".
    void mnuNewClick();
    // Returns false when the plan could not be written (PlanModified stays set). Before
    // any plan was loaded there is nothing to write.
    bool mnuSaveClick();

    // The open window, then the chosen or new plan into the main window. Returns whether
    // a plan was loaded.
    bool LoadPlan();
    // The load after the open window closed with OK: the session's plan (or the base of
    // a plan being created) into the controls, its placeholders filled from the names.
    bool LoadChosenPlan(const QString& companyName, const QString& sbuName);
    // The same from other files than the plan's own (a recovery copy): nothing is written
    // at the end, and the plan is left modified.
    bool LoadChosenPlan(const QString& companyName, const QString& sbuName,
                        const QString& textSource, const QString& budgetSource);

    // Paper size and orientation codes the plan carries: those of the printer settings
    // that page setup chooses. Setting them leaves the printer as it was when it has no
    // such paper. Margins live in the plan state's PlanMargins.
    int PaperSize() const;
    int Orientation() const;
    void setPageCodes(int paperSize, int orientation);

    // For callers that put a plan's text into the control themselves (the load does this).
    void setPlanLoaded(bool loaded) { m_planLoaded = loaded; }
    bool planLoaded() const { return m_planLoaded; }

    // Opens a plan from its recovery copy (text and budget, or the plan's own budget when
    // the copy has none), marked modified: the plan's own files stay as they are until the
    // user saves. A copy that does not read whole is said so and kept aside, and nothing
    // of it is loaded. Returns whether the plan opened.
    bool RecoverPlan(const Recovery::Copy& copy);

    // Takes the settings header out of the plan text (after a load) and applies it.
    // Returns whether a header was found.
    bool TakeHeader();
    // Replaces "[BusinessName]" and "[SBUName]" in the plan text; other placeholder runs
    // become ordinary user text. Returns how many runs were handled.
    int ReplacePlaceholders(const QString& companyName, const QString& sbuName);

    // The text halves of the two above, for any control holding a plan just loaded (a
    // command-line export works without the main window): the header's text, taken out
    // of the plan (empty when there is none), and the placeholders replaced.
    static QString takeHeaderText(TextControl& text);
    static int replacePlaceholders(TextControl& text, const QString& companyName,
                                   const QString& sbuName);

    // Where the budget joins the plan's files.
    bool LoadBudget(const QString& fileName);
    bool SaveBudget(const QString& fileName);
    void SelectBudgetStartCell();

private:
    enum class Answer { Go, Stop, Recovered };
    // Before the chosen plan loads: a recovery copy an earlier session left of it is
    // recovered, or discarded, or the plan is not opened.
    Answer askAboutRecoveryCopy();
    bool loadPlan(const QString& companyName, const QString& sbuName, const QString& textSource,
                  const QString& budgetSource, bool recovering);
    // The save question asked before another plan replaces the open one.
    Answer askToSave();
    void layOutPage();
    // What the text just loaded lacks: an end, or the tags of some sections.
    PlanDamage checkLoadedPlan();
    // Why the plan file could not be read, in the program's words.
    QString unreadableReason(const QString& file) const;

    LifecycleWidgets m_w;
    LifecycleLinks m_links;
    PlanState& m_plan;
    bool m_pressNew = false;
    // A plan's text has been loaded; saving writes to its file from then on.
    bool m_planLoaded = false;
};
