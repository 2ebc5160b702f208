#include "app/mainmenus.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

MainMenus::MainMenus(QMainWindow& window) : m_window(window) {
    QMenuBar* bar = m_window.menuBar();
    auto submenu = [this](QMenu* parentMenu, QMenuBar* parentBar, const QString& name,
                          const QString& caption) {
        auto* m = new QMenu(caption, &m_window);
        m->setObjectName(name);
        m->menuAction()->setObjectName(name);
        if (parentMenu)
            parentMenu->addMenu(m);
        else
            parentBar->addMenu(m);
        return m;
    };

    // File.
    mnuFile = submenu(nullptr, bar, QStringLiteral("mnuFile"), QStringLiteral("&File"));
    mnuNew = hiddenItem(QStringLiteral("mnuNew"), QStringLiteral("&New..."),
                        QKeySequence(Qt::CTRL | Qt::Key_N));
    Open2 = menuItem(mnuFile, QStringLiteral("Open2"), QStringLiteral("&Open..."),
                     QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuSave = menuItem(mnuFile, QStringLiteral("mnuSave"), QStringLiteral("&Save"),
                       QKeySequence(Qt::CTRL | Qt::Key_S));
    separator(mnuFile, QStringLiteral("N1"));
    mnuExport = submenu(mnuFile, nullptr, QStringLiteral("mnuExport"), QStringLiteral("&Export"));
    Plan1 = menuItem(mnuExport, QStringLiteral("Plan1"), QStringLiteral("P&lan..."));
    Cashflow1 = menuItem(mnuExport, QStringLiteral("Cashflow1"), QStringLiteral("&Cashflow..."));
    mnuExportPackage = menuItem(mnuFile, QStringLiteral("mnuExportPackage"),
                                QStringLiteral("Export Plan Pa&ckage..."));
    mnuBackUp = menuItem(mnuFile, QStringLiteral("mnuBackUp"), QStringLiteral("Back up a&ll plans..."));
    mnuRestore =
        menuItem(mnuFile, QStringLiteral("mnuRestore"), QStringLiteral("Restore &from backup..."));
    separator(mnuFile, QStringLiteral("N2"));
    mnuPrint = menuItem(mnuFile, QStringLiteral("mnuPrint"), QStringLiteral("Print &All"),
                        QKeySequence(Qt::CTRL | Qt::Key_P));
    mnuPrintPlan =
        submenu(mnuFile, nullptr, QStringLiteral("mnuPrintPlan"), QStringLiteral("&Print Plan"));
    Print1 = menuItem(mnuPrintPlan, QStringLiteral("Print1"), QStringLiteral("&Print"));
    Preview1 = menuItem(mnuPrintPlan, QStringLiteral("Preview1"), QStringLiteral("Previe&w..."));
    mnuPrintBudget = submenu(mnuFile, nullptr, QStringLiteral("mnuPrintBudget"),
                             QStringLiteral("Print &Budget"));
    Print2 = menuItem(mnuPrintBudget, QStringLiteral("Print2"), QStringLiteral("&Print"));
    Preview3 = menuItem(mnuPrintBudget, QStringLiteral("Preview3"), QStringLiteral("Previe&w..."));
    separator(mnuFile, QStringLiteral("N5"));
    mnuPageSetup =
        menuItem(mnuFile, QStringLiteral("mnuPageSetup"), QStringLiteral("Page Set&up..."));
    PrinterSetup1 =
        menuItem(mnuFile, QStringLiteral("PrinterSetup1"), QStringLiteral("P&rinter Setup..."));
    separator(mnuFile, QStringLiteral("N7"));
    mnuExit = menuItem(mnuFile, QStringLiteral("mnuExit"), QStringLiteral("E&xit"));

    // Edit.
    mnuEdit = submenu(nullptr, bar, QStringLiteral("mnuEdit"), QStringLiteral("&Edit"));
    mnuUndo = menuItem(mnuEdit, QStringLiteral("mnuUndo"), QStringLiteral("&Undo"),
                       QKeySequence(Qt::CTRL | Qt::Key_Z));
    mnuRedo = menuItem(mnuEdit, QStringLiteral("mnuRedo"), QStringLiteral("&Redo"),
                       QKeySequence(Qt::CTRL | Qt::Key_Y));
    mnuRedo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y),
                           QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    N3 = separator(mnuEdit, QStringLiteral("N3"));
    mnuCut = menuItem(mnuEdit, QStringLiteral("mnuCut"), QStringLiteral("Cu&t"),
                      QKeySequence(Qt::CTRL | Qt::Key_X));
    mnuCopy = menuItem(mnuEdit, QStringLiteral("mnuCopy"), QStringLiteral("&Copy"),
                       QKeySequence(Qt::CTRL | Qt::Key_C));
    mnuPaste = menuItem(mnuEdit, QStringLiteral("mnuPaste"), QStringLiteral("&Paste"),
                        QKeySequence(Qt::CTRL | Qt::Key_V));
    mnuSelectAll = menuItem(mnuEdit, QStringLiteral("mnuSelectAll"), QStringLiteral("Select A&ll"),
                            QKeySequence(Qt::CTRL | Qt::Key_A));
    N4 = separator(mnuEdit, QStringLiteral("N4"));
    mnuFind = menuItem(mnuEdit, QStringLiteral("mnuFind"), QStringLiteral("&Find..."),
                       QKeySequence(Qt::CTRL | Qt::Key_F));
    mnuReplace = menuItem(mnuEdit, QStringLiteral("mnuReplace"), QStringLiteral("&Replace..."));
    separator(mnuEdit, QStringLiteral("N10"));
    mnuFont = menuItem(mnuEdit, QStringLiteral("mnuFont"), QStringLiteral("Fo&nt..."),
                       QKeySequence(Qt::Key_F3));
    N9 = separator(mnuEdit, QStringLiteral("N9"));
    SpellCheck1 = menuItem(mnuEdit, QStringLiteral("SpellCheck1"),
                           QStringLiteral("&Spell Check..."), QKeySequence(Qt::Key_F9));
    InsertDate2 = menuItem(mnuEdit, QStringLiteral("InsertDate2"), QStringLiteral("Insert &Date"));
    mnuKeytext =
        submenu(mnuEdit, nullptr, QStringLiteral("mnuKeytext"), QStringLiteral("&Keytext"));
    for (int i = 0; i < 10; ++i) {
        const int digit = (i + 1) % 10;
        mnuKeytextItems[i] = menuItem(mnuKeytext, QStringLiteral("mnuKeytext%1").arg(digit),
                                      QStringLiteral("Keytext %1").arg(digit),
                                      QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_0 + digit)));
        mnuKeytextItems[i]->setVisible(false);
    }
    Bold1 = hiddenItem(QStringLiteral("Bold1"), QStringLiteral("Bold"),
                       QKeySequence(Qt::CTRL | Qt::Key_B));
    Underline1 = hiddenItem(QStringLiteral("Underline1"), QStringLiteral("Underline"),
                            QKeySequence(Qt::CTRL | Qt::Key_U));
    Italic1 = hiddenItem(QStringLiteral("Italic1"), QStringLiteral("Italic"),
                         QKeySequence(Qt::CTRL | Qt::Key_I));
    AlignLeft1 = hiddenItem(QStringLiteral("AlignLeft1"), QStringLiteral("Align Left"),
                            QKeySequence(Qt::CTRL | Qt::Key_L));
    AlignCenter1 = hiddenItem(QStringLiteral("AlignCenter1"), QStringLiteral("Align Center"),
                              QKeySequence(Qt::CTRL | Qt::Key_E));
    AlignRight1 = hiddenItem(QStringLiteral("AlignRight1"), QStringLiteral("Align Right"),
                             QKeySequence(Qt::CTRL | Qt::Key_R));
    AlignJustify1 = hiddenItem(QStringLiteral("AlignJustify1"), QStringLiteral("Align Justify"),
                               QKeySequence(Qt::CTRL | Qt::Key_J));

    // View.
    mnuView = submenu(nullptr, bar, QStringLiteral("mnuView"), QStringLiteral("&View"));
    mnuToolbars =
        submenu(mnuView, nullptr, QStringLiteral("mnuToolbars"), QStringLiteral("&Toolbars"));
    mnuStandard = menuItem(mnuToolbars, QStringLiteral("mnuStandard"), QStringLiteral("&Standard"));
    mnuFormatting =
        menuItem(mnuToolbars, QStringLiteral("mnuFormatting"), QStringLiteral("&Formatting"));
    mnuBuilder = hiddenItem(QStringLiteral("mnuBuilder"), QStringLiteral("&Builder"));
    mnuStatusbar = menuItem(mnuView, QStringLiteral("mnuStatusbar"), QStringLiteral("&Status Bar"));
    mnuWordWrap = hiddenItem(QStringLiteral("mnuWordWrap"), QStringLiteral("&Word Wrap"));
    mnuNavigator = menuItem(mnuView, QStringLiteral("mnuNavigator"), QStringLiteral("Na&vigator"));
    separator(mnuView, QStringLiteral("N11"));
    mnuOptions = menuItem(mnuView, QStringLiteral("mnuOptions"), QStringLiteral("&Options..."));
    for (QAction* a :
         {mnuStandard, mnuFormatting, mnuBuilder, mnuStatusbar, mnuWordWrap, mnuNavigator})
        a->setCheckable(true);
    mnuStandard->setChecked(true);
    mnuFormatting->setChecked(true);
    mnuStatusbar->setChecked(true);
    mnuNavigator->setChecked(true);

    // Plan.
    mnuPlan = submenu(nullptr, bar, QStringLiteral("mnuPlan"), QStringLiteral("&Plan"));
    mnuFirst = menuItem(mnuPlan, QStringLiteral("mnuFirst"), QStringLiteral("&First"),
                        QKeySequence(Qt::Key_F7));
    mnuPrevious = menuItem(mnuPlan, QStringLiteral("mnuPrevious"), QStringLiteral("&Previous"),
                           QKeySequence(Qt::Key_F5));
    mnuNext = menuItem(mnuPlan, QStringLiteral("mnuNext"), QStringLiteral("&Next"),
                       QKeySequence(Qt::Key_F6));
    mnuLast = menuItem(mnuPlan, QStringLiteral("mnuLast"), QStringLiteral("&Last"),
                       QKeySequence(Qt::Key_F8));

    // Insert and Format: pictures.
    mnuInsert = submenu(nullptr, bar, QStringLiteral("mnuInsert"), QStringLiteral("&Insert"));
    mnuInsertPicture =
        menuItem(mnuInsert, QStringLiteral("mnuInsertPicture"), QStringLiteral("&Picture..."));
    mnuFormat = submenu(nullptr, bar, QStringLiteral("mnuFormat"), QStringLiteral("F&ormat"));
    mnuFormatPicture =
        menuItem(mnuFormat, QStringLiteral("mnuFormatPicture"), QStringLiteral("&Picture..."));

    // Table.
    Table1 = submenu(nullptr, bar, QStringLiteral("Table1"), QStringLiteral("&Table"));
    InsertTable1 =
        menuItem(Table1, QStringLiteral("InsertTable1"), QStringLiteral("&Insert Table"));
    InsertRow1 = menuItem(Table1, QStringLiteral("InsertRow1"), QStringLiteral("I&nsert Row"));
    DeleteCells1 =
        menuItem(Table1, QStringLiteral("DeleteCells1"), QStringLiteral("&Delete Cells"));
    MergeCells1 = menuItem(Table1, QStringLiteral("MergeCells1"), QStringLiteral("&Merge Cells"));
    SplitCells1 = menuItem(Table1, QStringLiteral("SplitCells1"), QStringLiteral("S&plit Cells"));
    separator(Table1, QStringLiteral("N12"));
    SelectRow1 = menuItem(Table1, QStringLiteral("SelectRow1"), QStringLiteral("Select &Row"));
    SelectTable1 =
        menuItem(Table1, QStringLiteral("SelectTable1"), QStringLiteral("Select &Table"));
    separator(Table1, QStringLiteral("N13"));
    CellHeightandWidth1 = menuItem(Table1, QStringLiteral("CellHeightandWidth1"),
                                   QStringLiteral("Cell &Height and Width"));
    ConvertTexttoTable1 = menuItem(Table1, QStringLiteral("ConvertTexttoTable1"),
                                   QStringLiteral("Con&vert Text to Table"));
    Borders1 = menuItem(Table1, QStringLiteral("Borders1"), QStringLiteral("&Borders"));

    // Budget: shown only while the budget section is.
    mnuCashflow = submenu(nullptr, bar, QStringLiteral("mnuCashflow"), QStringLiteral("&Budget"));
    Protection1 =
        menuItem(mnuCashflow, QStringLiteral("Protection1"), QStringLiteral("&Protection"));
    LockRowsColumns1 = menuItem(mnuCashflow, QStringLiteral("LockRowsColumns1"),
                                QStringLiteral("Lock &Rows && Columns"));
    Protection1->setCheckable(true);
    LockRowsColumns1->setCheckable(true);
    ModifyCashflowDetails1 = menuItem(mnuCashflow, QStringLiteral("ModifyCashflowDetails1"),
                                      QStringLiteral("&Modify Budget Details..."));
    LoadNewTemplate1 = menuItem(mnuCashflow, QStringLiteral("LoadNewTemplate1"),
                                QStringLiteral("&Load New Template"));
    InsertChartintoPlan1 = menuItem(mnuCashflow, QStringLiteral("InsertChartintoPlan1"),
                                    QStringLiteral("Insert &Chart into Plan"));
    mnuCashflow->menuAction()->setVisible(false);

    // Help.
    mnuHelp = submenu(nullptr, bar, QStringLiteral("mnuHelp"), QStringLiteral("&Help"));
    HelpTopics2 = menuItem(mnuHelp, QStringLiteral("HelpTopics2"), QStringLiteral("&Help Topics"));
    TandelonthWeb1 =
        menuItem(mnuHelp, QStringLiteral("TandelonthWeb1"), QStringLiteral("&Tandel on the Web"));
    separator(mnuHelp, QStringLiteral("N14"));
    About1 =
        menuItem(mnuHelp, QStringLiteral("About1"), QStringLiteral("&About Zurozurov Irod..."));

    // The text's and the budget's popup menu.
    mnupopup = new QMenu(&m_window);
    mnupopup->setObjectName(QStringLiteral("mnupopup"));
    Undo1 = menuItem(mnupopup, QStringLiteral("Undo1"), QStringLiteral("&Undo"));
    N6 = separator(mnupopup, QStringLiteral("N6"));
    Cut1 = menuItem(mnupopup, QStringLiteral("Cut1"), QStringLiteral("Cu&t"));
    Copy1 = menuItem(mnupopup, QStringLiteral("Copy1"), QStringLiteral("&Copy"));
    Paste1 = menuItem(mnupopup, QStringLiteral("Paste1"), QStringLiteral("&Paste"));
    DeleteRow1 = menuItem(mnupopup, QStringLiteral("DeleteRow1"), QStringLiteral("Delete &Row"));
    // The shortcut is shown as a reminder; the sheet handles the key while it has focus.
    DeleteRow1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    DeleteRow1->setShortcutContext(Qt::WidgetShortcut);
    DeleteRow1->setVisible(false);
    N8 = separator(mnupopup, QStringLiteral("N8"));
    InsertDate1 = menuItem(mnupopup, QStringLiteral("InsertDate1"), QStringLiteral("&Insert Date"));


    // No section is open yet.
    mnuFirst->setEnabled(false);
    mnuPrevious->setEnabled(false);
}

QAction* MainMenus::menuItem(QMenu* menu, const QString& name, const QString& caption,
                            const QKeySequence& shortcut) {
    auto* a = new QAction(caption, &m_window);
    a->setObjectName(name);
    if (!shortcut.isEmpty()) a->setShortcut(shortcut);
    menu->addAction(a);
    return a;
}

// A menu item that is not shown keeps its shortcut: it lives on the window rather than in
// its menu, since Qt ignores the shortcuts of invisible actions.
QAction* MainMenus::hiddenItem(const QString& name, const QString& caption,
                              const QKeySequence& shortcut) {
    auto* a = new QAction(caption, &m_window);
    a->setObjectName(name);
    a->setProperty("hiddenMenuItem", true);
    if (!shortcut.isEmpty()) {
        a->setShortcut(shortcut);
        m_window.addAction(a);
    }
    return a;
}

QAction* MainMenus::separator(QMenu* menu, const QString& name) {
    QAction* a = menu->addSeparator();
    a->setObjectName(name);
    return a;
}


void MainMenus::SetKeytexts(const QStringList& texts) {
    for (int i = 0; i < 10; ++i) {
        const QString text = i < texts.size() ? texts.at(i) : QString();
        QAction* item = mnuKeytextItems[i];
        if (text.trimmed().isEmpty()) {
            item->setVisible(false);
        } else {
            item->setText(text);
            item->setVisible(true);
        }
    }
}

QString MainMenus::KeytextCaption(int index) const {
    if (index < 0 || index > 9) return {};
    return mnuKeytextItems[index]->text();
}

EditMenuItems MainMenus::editItems() const {
    EditMenuItems e;
    e.mnuUndo = mnuUndo;
    e.mnuRedo = mnuRedo;
    e.mnuCut = mnuCut;
    e.mnuCopy = mnuCopy;
    e.mnuPaste = mnuPaste;
    e.mnuSelectAll = mnuSelectAll;
    e.mnuFind = mnuFind;
    e.mnuReplace = mnuReplace;
    e.mnuFont = mnuFont;
    e.SpellCheck1 = SpellCheck1;
    e.InsertDate2 = InsertDate2;
    for (QAction* item : mnuKeytextItems)
        e.keytextItems << item;
    e.Bold1 = Bold1;
    e.Underline1 = Underline1;
    e.Italic1 = Italic1;
    e.AlignLeft1 = AlignLeft1;
    e.AlignCenter1 = AlignCenter1;
    e.AlignRight1 = AlignRight1;
    e.AlignJustify1 = AlignJustify1;
    e.InsertTable1 = InsertTable1;
    e.InsertRow1 = InsertRow1;
    e.DeleteCells1 = DeleteCells1;
    e.MergeCells1 = MergeCells1;
    e.SplitCells1 = SplitCells1;
    e.SelectRow1 = SelectRow1;
    e.SelectTable1 = SelectTable1;
    e.CellHeightandWidth1 = CellHeightandWidth1;
    e.ConvertTexttoTable1 = ConvertTexttoTable1;
    e.Borders1 = Borders1;
    e.Undo1 = Undo1;
    e.Cut1 = Cut1;
    e.Copy1 = Copy1;
    e.Paste1 = Paste1;
    e.InsertDate1 = InsertDate1;
    return e;
}
