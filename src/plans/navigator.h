#pragma once

#include <QList>
#include <QModelIndex>
#include <QObject>
#include <QString>

#include <functional>

class DividerBar;
class QAbstractButton;
class QAction;
class QComboBox;
class QStandardItem;
class QStandardItemModel;
class QToolButton;
class QTreeView;
class Ruler;
class TextControl;

// The widgets the navigator works on. Its own row (outline, the bar with the section
// buttons, guidance pane) is made by Navigator::buildPanel; the rest belong to the main
// window, and the navigator keeps them in step with the section shown.
struct NavigatorWidgets {
    // The navigator's row.
    QWidget* Panel1 = nullptr; // the whole row, above the plan text
    QWidget* Panel3 = nullptr; // the outline's panel
    QTreeView* Outline1 = nullptr;
    DividerBar* JPSplitter1 = nullptr; // between outline and guidance, with the buttons
    QToolButton* btnFirst = nullptr;
    QToolButton* btnPrior = nullptr;
    QToolButton* btnNext = nullptr;
    QToolButton* btnLast = nullptr;
    QWidget* Panel4 = nullptr;     // the guidance pane's panel
    TextControl* ATX322 = nullptr; // the guidance pane

    // The window's.
    QWidget* window = nullptr;      // painting held off, screen resolution
    QWidget* editingArea = nullptr; // hidden while no plan is open
    TextControl* ATX321 = nullptr;  // the plan text
    QWidget* pnlPointer = nullptr;  // the section pointer's panel
    QWidget* Pointer = nullptr;
    Ruler* rulMain = nullptr;
    QAction* mnuFirst = nullptr;
    QAction* mnuPrevious = nullptr;
    QAction* mnuNext = nullptr;
    QAction* mnuLast = nullptr;
    // The formatting toolbar, which shows the caret's formats.
    QAbstractButton* cmdBold = nullptr;
    QAbstractButton* cmdItalic = nullptr;
    QAbstractButton* cmdUnder = nullptr;
    QAbstractButton* cmdLeft = nullptr;
    QAbstractButton* cmdCenter = nullptr;
    QAbstractButton* cmdRight = nullptr;
    QAbstractButton* cmdJustify = nullptr;
    QComboBox* cmbFont = nullptr;
    QComboBox* cmbFontSize = nullptr;
};

// What the navigator asks of the rest of the program.
struct NavigatorLinks {
    // Puts the budget sheet in the plan text's place, or takes it away.
    std::function<void(bool)> showBudget;
    // The open plan's name (the analysis windows file their tables under it).
    std::function<QString()> planName;
    // Marks the plan changed.
    std::function<void()> modified;
};

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

    // Makes the navigator's row in `parent` and fills in its part of `widgets`.
    static void buildPanel(NavigatorWidgets& widgets, QWidget* parent);

    Navigator(const NavigatorWidgets& widgets, NavigatorLinks links, QObject* parent = nullptr);

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
    // Lays the guidance pane's text out for the pane's width.
    void Panel4Resize();

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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

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

    NavigatorWidgets m_w;
    NavigatorLinks m_links;
    QStandardItemModel* m_model;
    QList<QStandardItem*> m_items; // file order
    bool m_guard = false;
    int m_currentSectionTag = 0;
    int m_sectionStartParagraph = 0;
    int m_shownSectionNode = 0;
    int m_lastCaretPos = 0;
    bool m_budgetShown = false;
};
