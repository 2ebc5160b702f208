#pragma once

#include "plans/planprogress.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

class Speller;
class TextControl;

// What the budget can tell the check.
struct BudgetFacts {
    bool detailsConfirmed = false; // the budget details were confirmed at least once
    double total = 0;              // the budget's grand total
};
// Asked each time the check looks at the budget; no answer means there is no budget to
// look at, and the check says nothing about it.
using BudgetFactsProvider = std::function<std::optional<BudgetFacts>()>;

// One thing left to do in a section of the plan, or worth knowing about it.
struct CheckEntry {
    enum Kind {
        NoOwnText,          // the section has no words of the owner's own
        NoAnalysisTable,    // an analysis section without its table
        BudgetNotConfirmed, // the budget details were never confirmed
        BudgetTotalZero,    // the budget adds up to nothing
        Prompt,             // a template prompt still stands
        Misspelt,           // words the speller does not know
        RedNotes,           // red notes are still there (they never print)
    };
    Kind kind = NoOwnText;
    int section = 0;
    TextPiece place;  // where the entry leads; a piece with length is selected there
    QString detail;   // a prompt's first words; the misspelt words
    int count = 1;    // misspelt words, red notes

    // Red notes never reach paper: knowing about them is enough.
    bool isInformation() const { return kind == RedNotes; }
    // The entry in the check window's words.
    QString text() const;
};

// Looks through the open plan for what is left to do, section by section: prompts not
// typed over, sections without the owner's own words, analysis sections without their
// table, a budget never confirmed or adding up to nothing, misspelt words and red notes.
class PlanCheck {
public:
    PlanCheck(PlanProgress& progress, TextControl& text);

    // The speller that counts misspelt words; none, and spelling is not looked at.
    void setSpeller(Speller* speller) { m_speller = speller; }
    // The sections whose analysis writes a table into them.
    void setAnalysisSections(const QList<int>& sections) { m_analysis = sections; }
    // The budget section and what the budget says of itself.
    void setBudget(int section, BudgetFactsProvider facts);

    QList<CheckEntry> entriesOf(int section);
    QList<CheckEntry> entries();
    // Whether any of the entries asks for work (red notes alone do not).
    static bool anythingToDo(const QList<CheckEntry>& entries);
    // The first words of a prompt, as the check shows it.
    static QString firstWords(const QString& text, int words = 8);

private:
    bool hasTable(const TextPiece& extent) const;
    QString ownWords(const TextPiece& extent) const;

    PlanProgress& m_progress;
    TextControl& m_text;
    Speller* m_speller = nullptr;
    QList<int> m_analysis;
    int m_budgetSection = 0;
    BudgetFactsProvider m_budget;
};
