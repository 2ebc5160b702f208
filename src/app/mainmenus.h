#pragma once

#include "editor/editcommands.h"

#include <QKeySequence>
#include <QStringList>

class QAction;
class QMainWindow;
class QMenu;

// The main window's menu bar, its hidden items (whose shortcuts live on the window) and
// the text's and budget's popup menu. Every item is the window's child under its own
// object name; the subsystems that do the work connect the items they serve.
class MainMenus {
public:
    explicit MainMenus(QMainWindow& window);
    MainMenus(const MainMenus&) = delete;
    MainMenus& operator=(const MainMenus&) = delete;

    // Ten keytexts in menu order (keytext1 ... keytext9, keytext0): a text that is not
    // blank becomes its item's caption and shows the item; a blank one hides it.
    void SetKeytexts(const QStringList& texts);
    QString KeytextCaption(int index) const;

    // The Edit, Table and popup items the edit commands run.
    EditMenuItems editItems() const;

    // A submenu's own item carries the submenu's name.
    QMenu* mnuFile = nullptr;
    QMenu* mnuEdit = nullptr;
    QMenu* mnuView = nullptr;
    QMenu* mnuPlan = nullptr;
    QMenu* Table1 = nullptr;
    QMenu* mnuInsert = nullptr;
    QMenu* mnuFormat = nullptr;
    QAction* mnuInsertPicture = nullptr;
    QAction* mnuFormatPicture = nullptr;
    QMenu* mnuCashflow = nullptr;
    QMenu* mnuHelp = nullptr;
    QMenu* mnuExport = nullptr;
    QMenu* mnuPrintPlan = nullptr;
    QMenu* mnuPrintBudget = nullptr;
    QMenu* mnuKeytext = nullptr;
    QMenu* mnuToolbars = nullptr;
    QMenu* mnupopup = nullptr;

    QAction* mnuNew = nullptr;
    QAction* Open2 = nullptr;
    QAction* mnuSave = nullptr;
    QAction* Plan1 = nullptr;
    QAction* Cashflow1 = nullptr;
    QAction* mnuExportPackage = nullptr;
    QAction* mnuBackUp = nullptr;
    QAction* mnuRestore = nullptr;
    QAction* mnuPrint = nullptr;
    QAction* Print1 = nullptr;
    QAction* Preview1 = nullptr;
    QAction* Print2 = nullptr;
    QAction* Preview3 = nullptr;
    QAction* mnuPageSetup = nullptr;
    QAction* PrinterSetup1 = nullptr;
    QAction* mnuExit = nullptr;

    QAction* mnuUndo = nullptr;
    QAction* mnuRedo = nullptr;
    QAction* N3 = nullptr;
    QAction* mnuCut = nullptr;
    QAction* mnuCopy = nullptr;
    QAction* mnuPaste = nullptr;
    QAction* mnuSelectAll = nullptr;
    QAction* N4 = nullptr;
    QAction* mnuFind = nullptr;
    QAction* mnuReplace = nullptr;
    QAction* mnuFont = nullptr;
    QAction* N9 = nullptr;
    QAction* SpellCheck1 = nullptr;
    QAction* InsertDate2 = nullptr;
    QAction* mnuKeytextItems[10] = {}; // mnuKeytext1 ... mnuKeytext9, mnuKeytext0
    QAction* Bold1 = nullptr;
    QAction* Underline1 = nullptr;
    QAction* Italic1 = nullptr;
    QAction* AlignLeft1 = nullptr;
    QAction* AlignCenter1 = nullptr;
    QAction* AlignRight1 = nullptr;
    QAction* AlignJustify1 = nullptr;

    QAction* mnuStandard = nullptr;
    QAction* mnuFormatting = nullptr;
    QAction* mnuBuilder = nullptr;
    QAction* mnuStatusbar = nullptr;
    QAction* mnuWordWrap = nullptr;
    QAction* mnuNavigator = nullptr;
    QAction* mnuOptions = nullptr;

    QAction* mnuFirst = nullptr;
    QAction* mnuPrevious = nullptr;
    QAction* mnuNext = nullptr;
    QAction* mnuLast = nullptr;

    QAction* InsertTable1 = nullptr;
    QAction* InsertRow1 = nullptr;
    QAction* DeleteCells1 = nullptr;
    QAction* MergeCells1 = nullptr;
    QAction* SplitCells1 = nullptr;
    QAction* SelectRow1 = nullptr;
    QAction* SelectTable1 = nullptr;
    QAction* CellHeightandWidth1 = nullptr;
    QAction* ConvertTexttoTable1 = nullptr;
    QAction* Borders1 = nullptr;

    QAction* Protection1 = nullptr;
    QAction* LockRowsColumns1 = nullptr;
    QAction* ModifyCashflowDetails1 = nullptr;
    QAction* LoadNewTemplate1 = nullptr;
    QAction* InsertChartintoPlan1 = nullptr;

    QAction* HelpTopics2 = nullptr;
    QAction* TandelonthWeb1 = nullptr;
    QAction* About1 = nullptr;

    QAction* Undo1 = nullptr;
    QAction* N6 = nullptr;
    QAction* Cut1 = nullptr;
    QAction* Copy1 = nullptr;
    QAction* Paste1 = nullptr;
    QAction* DeleteRow1 = nullptr;
    QAction* N8 = nullptr;
    QAction* InsertDate1 = nullptr;

private:
    QAction* menuItem(QMenu* menu, const QString& name, const QString& caption,
                      const QKeySequence& shortcut = {});
    QAction* hiddenItem(const QString& name, const QString& caption,
                        const QKeySequence& shortcut = {});
    QAction* separator(QMenu* menu, const QString& name);

    QMainWindow& m_window;
};
