#pragma once

#include "plans/plandamage.h"
#include "plans/planheader.h"
#include "plans/recovery.h"

#include <QObject>
#include <QString>

class TextControl;
class TfrmEdit;

// Opening, creating, loading and saving plans in the main window.
class PlanLifecycle : public QObject {
    Q_OBJECT
public:
    explicit PlanLifecycle(TfrmEdit* window);

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
    // such paper. Margins live in the main window's PlanMargins.
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

    TfrmEdit* w;
    bool m_pressNew = false;
    // A plan's text has been loaded; saving writes to its file from then on.
    bool m_planLoaded = false;
};
