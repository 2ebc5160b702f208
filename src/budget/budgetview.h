#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <functional>

class QAbstractButton;
class QAction;
class QComboBox;
class QMenu;
class QPrinter;
class QWidget;
class SheetControl;
class TextControl;
class TfrmCashdet;

// The main window's widgets the budget view shows, hides and keeps in step.
struct BudgetWidgets {
    QWidget* pnlSpread = nullptr;  // the sheet's panel, in the plan text's place
    QWidget* textPanel = nullptr;  // the plan text with its ruler
    QWidget* pnlPointer = nullptr; // the section pointer's panel
    QWidget* Pointer = nullptr;
    // Commands of the plan text alone, hidden while the sheet shows: toolbar buttons and
    // bevels, menu and popup items and separators.
    QList<QWidget*> textTools;
    QList<QAction*> textItems;
    QAction* mnuCashflow = nullptr; // the Budget menu's own item (its menu gets "Actual Spend")
    QAction* Protection1 = nullptr;
    QAction* LockRowsColumns1 = nullptr;
    QAction* ModifyCashflowDetails1 = nullptr;
    QAction* LoadNewTemplate1 = nullptr;
    QAction* DeleteRow1 = nullptr;
    QMenu* mnupopup = nullptr;
    // The formatting toolbar.
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

// The plan's marketing budget in the main window: its file beside the plan text, the
// view that shows the sheet in the text's place, the Budget menu and the popup's
// "Delete Row", and printing it.
class BudgetView : public QObject {
    Q_OBJECT
public:
    BudgetView(SheetControl& sheet, const BudgetWidgets& widgets, QObject* parent = nullptr);

    // Title of a budget whose details have never been confirmed (a trailing blank), and
    // the title once they have.
    static QString unconfirmedTitle() { return QStringLiteral("Cashflow forecast "); }
    static QString confirmedTitle() { return QStringLiteral("Cashflow forecast"); }
    // "1.mps" in the user-data folder: the budget new plans start from.
    static QString templateFile();
    // Where an unreadable budget is kept when the plan opens with a fresh one: "N.mps.damaged"
    // (numbered when that name is taken).
    static QString damagedName(const QString& budgetFile);

    // Set-up values shared with the details window: C1 and A2 of the sheet.
    QString BudgetStartText;
    QString BudgetPeriodText;

    // Marks the plan as changed; run when the sheet's content or formats change.
    std::function<void()> onModified;
    // The details window (made after the main window).
    std::function<TfrmCashdet*()> detailsWindow;
    // The plan text, and the tag of its "Monitoring and Control" section (negative when the
    // plan has none): where the Actual Spend window puts its chart. Without the text the
    // window offers no chart.
    TextControl* planText = nullptr;
    std::function<int()> monitoringSectionTag;

    // --- The budget with the plan --------------------------------------------------
    // Reads the source budget (the template's, another plan's or the plan's own) and
    // points the sheet at the plan's own budget file. When the source cannot be read the
    // user is told and offered a fresh budget from the template; the unreadable file is
    // never written over. False when the plan must not open.
    bool LoadBudget(const QString& sourceFile, const QString& ownFile);
    // Writes the sheet to its file (nothing to write before a budget was loaded).
    bool SaveBudget();
    // After a failed SaveBudget: the file and the system's reason.
    QString lastSaveFailure() const;
    void SelectStartCell();

    // --- The view --------------------------------------------------------------------
    void ShowBudgetView(bool budget);
    bool BudgetShown() const { return m_shown; }

    // --- Budget menu, popup and the sheet's events --------------------------------------
    void Protection1Click();
    void LockRowsColumns1Click();
    void ModifyCashflowDetails1Click();
    void LoadNewTemplate1Click();
    // "Actual Spend": the actuals window, the Actual Spend sheet made or brought into
    // line with the budget first.
    void ActualSpendClick();
    void DeleteRow1Click();
    void SpreadSelChange();
    // A press on the sheet; x, y in the sheet's coordinates.
    void spreadMouseDown(Qt::MouseButton button, int x, int y);
    void pnlSpreadResize();
    bool RightButtonDown() const { return m_rightButtonDown; }

    // --- What the plan check asks -----------------------------------------------------------
    // Whether the budget's details were confirmed at least once (A1 no longer carries the
    // template's marker).
    bool DetailsConfirmed() const;
    // The budget's grand total: the last number on the row headed "Total marketing budget";
    // 0 when the sheet has no such row.
    double GrandTotal() const;

    // --- Printing ------------------------------------------------------------------------
    // The whole sheet on `printer` (the program's printer when none is given), with no
    // dialog. False when nothing was printed; nothing is reported.
    bool PrintBudget(QPrinter* printer = nullptr);

    // Puts text into the active cell as if typed, unless the cell is locked under
    // protection (keytexts while the sheet shows).
    bool TypeIntoActiveCell(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Changes the program makes to the sheet for its own view are not the user's edits.
    class Quiet;
    void sheetChanged();
    bool offerFreshBudget(const QString& sourceFile, const QString& ownFile);
    bool readTemplateInto(const QString& budgetFile, QString* error);
    void applyFrozenHeadings(bool locked);

    SheetControl& m_sheet;
    BudgetWidgets m_w;
    QAction* m_actualSpend = nullptr;
    bool m_shown = false;
    bool m_rightButtonDown = false;
    int m_quiet = 0;
};
