#pragma once

#include <QList>
#include <QModelIndex>
#include <QObject>
#include <QString>

class QStandardItem;
class QStandardItemModel;
class TfrmEdit;

// The navigator: the outline of the plan's sections, the four section moves and the
// routine that keeps outline, plan text, guidance pane, toolbar and ruler in step.
//
// Items are numbered from 1 in file order, headings included (the section number); the
// section tag that marks a section in the plan text is the number - 1, except that the
// first section carries 99.
class Navigator : public QObject {
    Q_OBJECT
public:
    // Why SectionSync runs: a navigator move (the sender tells which), the caret moved in
    // the text, or a jump to the previous / next blue prompt (F11 / F12, given as key).
    enum Kind { Move, CaretMoved, Jump };

    explicit Navigator(TfrmEdit* window);

    // Loads the outline from "mp.nav" in the data folder.
    void BuildNav();
    // Loads the outline from a structure file; false (after the message) when the file
    // could not be read whole. The items read before a fault stay.
    bool BuildNavFrom(const QString& fileName);
    // Writes the outline as a structure file ("struct.nav" for the builder).
    bool WriteNav(const QString& fileName) const;

    // Editing the outline (the template builder). AddItem adds an item captioned
    // `caption` as the last child of item `number`, or as the last item at its level;
    // RemoveItem deletes item `number` with the items below it. Both return false, and
    // change nothing, when `number` names no item. The items after the change are
    // numbered anew, so the next run of SectionSync loads its section's guidance again.
    bool AddItem(int number, const QString& caption, bool asChild);
    bool RemoveItem(int number);

    void SectionSync(QObject* sender, Kind kind, int key = 0);

    void Outline1Click();
    void btnFirstClick();
    void btnPriorClick();
    void btnNextClick();
    void btnLastClick();
    void ExplorerButton7Click();

    // The text's vertical scroll: the pointer follows the section's first paragraph.
    void atx321ATXVScrollClick();
    // Moves the pointer to the current section's first paragraph as the text is scrolled now.
    void PlacePointerShort();

    // --- State -----------------------------------------------------------------------
    bool Guard() const { return m_guard; }
    int CurrentSectionTag() const { return m_currentSectionTag; }
    int SectionStartParagraph() const { return m_sectionStartParagraph; }
    // Item number whose guidance the pane shows; 0 before the first section was shown.
    int ShownSectionNode() const { return m_shownSectionNode; }
    int LastCaretPos() const { return m_lastCaretPos; }
    // Whether the budget view is the one shown.
    bool BudgetShown() const { return m_budgetShown; }

    // --- The outline -----------------------------------------------------------------
    QStandardItemModel* model() const { return m_model; }
    int itemCount() const { return int(m_items.size()); }
    QString itemText(int number) const;
    // The selected item's number, 0 when none is.
    int selectedItem() const;
    bool isHeading(int number) const;
    QModelIndex indexOf(int number) const;

    static int sectionTagOf(int number) { return number == 1 ? 99 : number - 1; }
    static int itemOfTag(int tag) { return tag == 99 ? 1 : tag + 1; }
    static QString budgetItemText() { return QStringLiteral("Marketing Budget Spreadsheet"); }
    static bool isAnalysisSection(int number) {
        return number == 17 || number == 19 || number == 21 || number == 23;
    }

    // The guidance file of a section: "<number>.pla" in the data folder.
    static QString guidanceFile(int number);

    // Where later parts of the program join in. The budget view (its sheet, its commands
    // and its first-visit set-up) and the analysis windows call these.
    void ShowBudgetView(bool budget);
    void RunAnalysis(int section);

signals:
    // The end of every run of SectionSync (not the nested calls its guard turns away).
    void Synchronised();

private:
    void collectItems();
    void selectItem(int number);
    void expandFully(int number);
    void selectByTag(int tag);
    void placePointer();
    void loadGuidance(int number);
    void scrollToSection(int number);
    void followToolbar();
    void enableMoves(int number);
    void updatePictures();

    TfrmEdit* w;
    QStandardItemModel* m_model;
    QList<QStandardItem*> m_items; // file order
    bool m_guard = false;
    int m_currentSectionTag = 0;
    int m_sectionStartParagraph = 0;
    int m_shownSectionNode = 0;
    int m_lastCaretPos = 0;
    bool m_budgetShown = false;
};
