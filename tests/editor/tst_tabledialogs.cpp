#include "controls/text/tableformat.h"
#include "controls/text/tablefunctions.h"
#include "controls/text/tablemodel.h"
#include "controls/text/textcontrol.h"
#include "dialogs/dialogfrm.h"
#include "editor/dlgbord.h"
#include "editor/dlgcells.h"
#include "editor/dlgsplit.h"
#include "editor/tablecommands.h"
#include "editor/tblfrm.h"
#include "editor/updown.h"
#include "support/modal.h"
#include "support/testenv.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTextTable>
#include <QToolButton>

#include <memory>

namespace {

QList<QTextTable*> tablesOf(const QTextDocument* doc) {
    QList<QTextTable*> out;
    for (QTextFrame* f : doc->rootFrame()->childFrames())
        if (auto* table = qobject_cast<QTextTable*>(f)) out.append(table);
    return out;
}

QList<int> widths(const QTextTable* table, int row) {
    const QList<int> b = rowBounds(table, row);
    QList<int> w;
    for (int i = 1; i < b.size(); ++i)
        w.append(b[i] - b[i - 1]);
    return w;
}

// A control with a paragraph of text and, when asked, a table of rows x columns after it,
// the caret in the table's first cell.
void prepare(TextControl& t, int rows = 0, int columns = 0) {
    t.setDocWidth(9000);
    t.setSelText("Intro\nAfter");
    t.setCurPar(1);
    if (rows) ATX_INSERTTABLE(&t, rows, columns);
}

// Answers the program's message window, keeping what it said.
struct MessageSeen {
    QString cls;
    QString text;
};

std::function<void(QWidget*)> answerMessage(MessageSeen* seen) {
    return [seen](QWidget* w) {
        seen->cls = QString::fromLatin1(w->metaObject()->className());
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            seen->text = box->text();
            box->buttons().first()->click();
        } else if (auto* label = child<QLabel>(w, "dlgLabel")) {
            seen->text = label->text();
            clickButton(w, "cmdOk");
        }
    };
}

} // namespace

class TestTableDialogs : public QObject {
    Q_OBJECT

private slots:
    void insertDialogOpensWithTwoAndSpinsWithinLimits();
    void splitDialogSpinsWithinLimits();
    void countsOutsideOneToHundredAreRefused_data();
    void countsOutsideOneToHundredAreRefused();
    void insertCommandBuildsTheTable();
    void insertCommandRefusesAHugeCount();
    void splitCommandRefusesTextThatIsNoNumber();
    void bordersOutsideATableDoNothing();
    void bordersDialogShowsAndAppliesTheChoice();
    void cellsDialogShowsMillimetresRounded();
    void cellsDialogHeightRules();
    void cellsCommandSetsWidthAndHeight();
    void exactlyAndAtLeastAlike();
    void selectRowAndTable();
    void convertCommand();
    void screenshots();

private:
    TestEnv m_env;
};

void TestTableDialogs::insertDialogOpensWithTwoAndSpinsWithinLimits() {
    Tfrminserttbl dlg;
    ModalAnswer answer([](QWidget* w) {
        auto* d = qobject_cast<Tfrminserttbl*>(w);
        QCOMPARE(d->txtRows->text(), QString("2"));
        QCOMPARE(d->txtColumns->text(), QString("2"));
        d->txtRows->setText("1");
        d->udRows->btnDown->click(); // would leave the range: ignored
        QCOMPARE(d->txtRows->text(), QString("1"));
        d->udRows->btnUp->click();
        QCOMPARE(d->txtRows->text(), QString("2"));
        d->txtColumns->setText("100");
        d->udColumns->btnUp->click();
        QCOMPARE(d->txtColumns->text(), QString("100"));
        d->udColumns->btnDown->click();
        QCOMPARE(d->txtColumns->text(), QString("99"));
        // A typed number beyond the limits does not step further away.
        d->txtColumns->setText("150");
        d->udColumns->btnUp->click();
        QCOMPARE(d->txtColumns->text(), QString("150"));
        // OK would refuse 150 and keep the window open (insertCommandRefusesAHugeCount).
        d->txtColumns->setText("99");
        clickButton(w, "cmdOK");
    });
    QCOMPARE(dlg.execute(), 1);
    QVERIFY(answer.wasAnswered());
    QCOMPARE(answer.windowTitle(), QString("Insert Table"));
    // Opening again shows "2" again.
    ModalAnswer again([](QWidget* w) {
        auto* d = qobject_cast<Tfrminserttbl*>(w);
        QCOMPARE(d->txtRows->text(), QString("2"));
        QCOMPARE(d->txtColumns->text(), QString("2"));
        clickButton(w, "cmdCancel");
    });
    QCOMPARE(dlg.execute(), 2);
    QVERIFY(again.wasAnswered());
}

void TestTableDialogs::splitDialogSpinsWithinLimits() {
    Tsplitcelllsdlg dlg;
    ModalAnswer answer([](QWidget* w) {
        auto* d = qobject_cast<Tsplitcelllsdlg*>(w);
        QCOMPARE(d->txtColumns->text(), QString("2"));
        d->udColumns->btnDown->click();
        d->udColumns->btnDown->click();
        QCOMPARE(d->txtColumns->text(), QString("1"));
        clickButton(w, "cmdOK");
    });
    QCOMPARE(dlg.execute(), 1);
    QVERIFY(answer.wasAnswered());
    QCOMPARE(answer.windowTitle(), QString("Split Cells"));
    QCOMPARE(dlg.txtColumns->text(), QString("1"));
}

void TestTableDialogs::countsOutsideOneToHundredAreRefused_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("expected"); // 0: refused
    QTest::addColumn<QString>("message");
    QTest::newRow("one") << "1" << 1 << "";
    QTest::newRow("hundred") << "100" << 100 << "";
    QTest::newRow("spaces") << " 7 " << 7 << "";
    QTest::newRow("zero") << "0" << 0 << "from 1 to 100";
    QTest::newRow("negative") << "-3" << 0 << "from 1 to 100";
    QTest::newRow("hundred and one") << "101" << 0 << "from 1 to 100";
    QTest::newRow("hundred thousand") << "100000" << 0 << "from 1 to 100";
    QTest::newRow("beyond int") << "99999999999999" << 0 << "from 1 to 100";
    QTest::newRow("text") << "abc" << 0 << "'abc' is not a valid integer value";
    QTest::newRow("decimal") << "2.5" << 0 << "'2.5' is not a valid integer value";
}

void TestTableDialogs::countsOutsideOneToHundredAreRefused() {
    QFETCH(QString, typed);
    QFETCH(int, expected);
    QFETCH(QString, message);
    MessageSeen seen;
    std::unique_ptr<ModalAnswer> answer;
    if (!message.isEmpty()) answer = std::make_unique<ModalAnswer>(answerMessage(&seen));
    const std::optional<int> count = TableCommands::readCount(typed);
    QCOMPARE(count.value_or(0), expected);
    if (answer) {
        QVERIFY(answer->wasAnswered());
        QVERIFY2(seen.text.contains(message), qPrintable(seen.text));
        // Out of range: the program's warning; not a number: the standard error box.
        QCOMPARE(seen.cls,
                 QString(message.contains("valid integer") ? "QMessageBox" : "TfrmDialog"));
    }
}

void TestTableDialogs::insertCommandBuildsTheTable() {
    TextControl t;
    prepare(t);
    Tfrminserttbl dlg;
    ModalAnswer answer([](QWidget* w) {
        setEditText(w, "txtRows", "3");
        setEditText(w, "txtColumns", "4");
        clickButton(w, "cmdOK");
    });
    QVERIFY(TableCommands::insertTable(&t, &dlg));
    QVERIFY(answer.wasAnswered());
    QCOMPARE(ATX_TABLEROWS(&t), 3);
    QCOMPARE(rowCells(t.textCursor().currentTable(), 0).size(), 4);

    // Cancel inserts nothing.
    ModalAnswer cancel([](QWidget* w) { clickButton(w, "cmdCancel"); });
    QVERIFY(!TableCommands::insertTable(&t, &dlg));
    QCOMPARE(tablesOf(t.document()).size(), 1);
}

void TestTableDialogs::insertCommandRefusesAHugeCount() {
    TextControl t;
    prepare(t);
    Tfrminserttbl dlg;
    MessageSeen seen;
    bool stayedOpen = false;
    ModalAnswer answer([&](QWidget* w) {
        setEditText(w, "txtRows", "100000");
        {
            ModalAnswer warning(answerMessage(&seen));
            clickButton(w, "cmdOK");
            QVERIFY(warning.wasAnswered());
        }
        // The window stays open with the refused count selected, to be corrected.
        auto* rows = child<QLineEdit>(w, "txtRows");
        stayedOpen = w->isVisible() && rows->selectedText() == "100000";
        setEditText(w, "txtRows", "3");
        clickButton(w, "cmdOK");
    });
    QVERIFY(TableCommands::insertTable(&t, &dlg));
    QVERIFY(answer.wasAnswered());
    QVERIFY2(seen.text.contains("1 to 100"), qPrintable(seen.text));
    QVERIFY(stayedOpen);
    QCOMPARE(tablesOf(t.document()).size(), 1);
    QCOMPARE(ATX_TABLEROWS(&t), 3);
}

void TestTableDialogs::splitCommandRefusesTextThatIsNoNumber() {
    TextControl t;
    prepare(t, 2, 2);
    Tsplitcelllsdlg dlg;
    MessageSeen seen;
    std::unique_ptr<ModalAnswer> error;
    ModalAnswer answer([&](QWidget* w) {
        setEditText(w, "txtColumns", "two");
        clickButton(w, "cmdOK");
        error = std::make_unique<ModalAnswer>(answerMessage(&seen));
    });
    QVERIFY(!TableCommands::splitCells(&t, &dlg));
    QVERIFY(error && error->wasAnswered());
    QCOMPARE(seen.text, QString("'two' is not a valid integer value"));
    QCOMPARE(rowCells(t.textCursor().currentTable(), 0).size(), 2);

    ModalAnswer three([](QWidget* w) {
        setEditText(w, "txtColumns", "3");
        clickButton(w, "cmdOK");
    });
    QVERIFY(TableCommands::splitCells(&t, &dlg));
    QCOMPARE(rowCells(t.textCursor().currentTable(), 0).size(), 4);
}

void TestTableDialogs::bordersOutsideATableDoNothing() {
    TextControl t;
    prepare(t, 2, 2);
    t.setCurPar(0);
    Tdlgborder dlg;
    ModalAnswer none([](QWidget* w) { clickButton(w, "cmdOK"); }, 300);
    QVERIFY(!TableCommands::borders(&t, &dlg));
    QVERIFY(!none.wasAnswered()); // the dialog never opened
    QCOMPARE(tableBorder(tablesOf(t.document()).first()), 2);
}

void TestTableDialogs::bordersDialogShowsAndAppliesTheChoice() {
    TextControl t;
    prepare(t, 2, 2);
    Tdlgborder dlg;
    QCOMPARE(dlg.Tag, 0);
    int shown = -2;
    ModalAnswer answer([&shown](QWidget* w) {
        auto* d = qobject_cast<Tdlgborder*>(w);
        shown = d->bevelled();
        QTest::mouseClick(d->imgOutline, Qt::LeftButton); // the picture
        QCOMPARE(d->bevelled(), 1);
        QCOMPARE(d->pnlOutline->frameShadow(), QFrame::Sunken);
        QCOMPARE(d->pnlAll->frameShape(), QFrame::NoFrame);
        QTest::mouseClick(d->pnlThick, Qt::LeftButton, {}, QPoint(2, 2)); // its frame
        QCOMPARE(d->bevelled(), 3);
        QTest::mouseClick(d->imgOutline, Qt::LeftButton);
        clickButton(w, "cmdOK");
    });
    QVERIFY(TableCommands::borders(&t, &dlg));
    QVERIFY(answer.wasAnswered());
    QCOMPARE(answer.windowTitle(), QString("Table border"));
    QCOMPARE(shown, 2); // the table's current border
    QCOMPARE(dlg.Tag, 1);
    QCOMPARE(ATX_TABLEBORDER(&t, -1), 1);

    // Another table, left at "all": OK without a click keeps what the dialog shows.
    TextControl other;
    prepare(other, 2, 2);
    ModalAnswer keep([&shown](QWidget* w) {
        shown = qobject_cast<Tdlgborder*>(w)->bevelled();
        clickButton(w, "cmdOK");
    });
    QVERIFY(TableCommands::borders(&other, &dlg));
    QCOMPARE(shown, 2);
    QCOMPARE(ATX_TABLEBORDER(&other, -1), 2);

    // Cancel leaves the border alone.
    ModalAnswer cancel([](QWidget* w) {
        QTest::mouseClick(qobject_cast<Tdlgborder*>(w)->imgNone, Qt::LeftButton);
        clickButton(w, "cmdCancel");
    });
    QVERIFY(!TableCommands::borders(&t, &dlg));
    QCOMPARE(ATX_TABLEBORDER(&t, -1), 1);
}

void TestTableDialogs::cellsDialogShowsMillimetresRounded() {
    Tcellsdlg dlg;
    const auto twipsOf = [](double mm) { return int(mm / 25.4 * 1440.0 + 0.5); };
    dlg.prepare(0, twipsOf(23), 240);
    QCOMPARE(dlg.txtWidth->text(), QString("2.4 cm"));
    QCOMPARE(dlg.txtWidthCm->text(), QString("2.4"));
    QCOMPARE(dlg.udWidth->Position(), 23);
    QVERIFY(dlg.txtWidthCm->isHidden());
    dlg.prepare(4, twipsOf(29), 240);
    QCOMPARE(dlg.txtWidth->text(), QString("2.8 cm"));
    QCOMPARE(dlg.udWidth->Position(), 29);
    QCOMPARE(dlg.grpRow->title(), QString("Height of row 5:"));
    for (const auto& [mm, shown] :
         {std::pair{20, "2"}, {21, "2.2"}, {25, "2.6"}, {27, "2.8"}, {30, "3"}, {19, "1.8"}}) {
        dlg.prepare(0, twipsOf(mm), 240);
        QCOMPARE(dlg.txtWidth->text(), QString(shown) + " cm");
    }
    // The width up-down steps by 2 mm between 0 and 1000 and writes both edits.
    dlg.prepare(0, twipsOf(30), 240);
    dlg.udWidth->btnUp->click();
    QCOMPARE(dlg.txtWidth->text(), QString("3.2 cm"));
    QCOMPARE(dlg.txtWidthCm->text(), QString("3.2"));
    dlg.prepare(0, 0, 240);
    dlg.udWidth->btnDown->click();
    QCOMPARE(dlg.udWidth->Position(), 0);
    QCOMPARE(Tcellsdlg::centimetresToTwips(2.4), 1361);
}

void TestTableDialogs::cellsDialogHeightRules() {
    Tcellsdlg dlg;
    dlg.prepare(0, 1440, 290); // 14.5 pt
    QCOMPARE(dlg.ComboBox1->currentText(), QString("Auto"));
    QVERIFY(!dlg.txtHeight->isEnabled());
    QVERIFY(dlg.txtHeight->isReadOnly());
    QVERIFY(dlg.txtWidth->isReadOnly());
    QCOMPARE(dlg.udHeight->Position(), 15);
    QCOMPARE(dlg.txtHeight->text(), QString("15 pt"));
    dlg.ComboBox1->setCurrentText("At Least");
    QVERIFY(dlg.txtHeight->isEnabled());
    dlg.ComboBox1->setCurrentText("Auto");
    QVERIFY(!dlg.txtHeight->isEnabled());
    // The height up-down switches to "Exactly".
    dlg.udHeight->btnUp->click();
    QCOMPARE(dlg.ComboBox1->currentText(), QString("Exactly"));
    QCOMPARE(dlg.txtHeight->text(), QString("16 pt"));
    QVERIFY(dlg.txtHeight->isEnabled());
    // Limits 8 to 72.
    dlg.prepare(0, 1440, 20 * 72);
    dlg.udHeight->btnUp->click();
    QCOMPARE(dlg.udHeight->Position(), 72);
    dlg.prepare(0, 1440, 20 * 8);
    dlg.udHeight->btnDown->click();
    QCOMPARE(dlg.txtHeight->text(), QString("8 pt"));
    // Opening again resets the rule and the check box.
    dlg.chkAllRows->setChecked(true);
    dlg.prepare(0, 1440, 240);
    QCOMPARE(dlg.ComboBox1->currentText(), QString("Auto"));
    QVERIFY(!dlg.chkAllRows->isChecked());
}

void TestTableDialogs::cellsCommandSetsWidthAndHeight() {
    TextControl t;
    prepare(t, 3, 3); // cells of 3000 twips (52.9 mm)
    ATX_SETCURTABLEROW(&t, 1, 0, 0);
    ATX_SETCURTABLEROWCELL(&t, 1, 0, 0);
    Tcellsdlg dlg;
    ModalAnswer answer([](QWidget* w) {
        auto* d = qobject_cast<Tcellsdlg*>(w);
        QCOMPARE(d->grpRow->title(), QString("Height of row 2:"));
        QCOMPARE(d->txtWidth->text(), QString("5.4 cm"));
        // Down to 3 cm: 53 mm less 23 steps of 2... set the position directly.
        d->udWidth->setPosition(30);
        d->udWidthClick();
        d->udHeight->setPosition(30);
        d->udHeightClick();
        clickButton(w, "cmdOK");
    });
    QVERIFY(TableCommands::cellHeightAndWidth(&t, &dlg));
    QVERIFY(answer.wasAnswered());
    // The width is the column's, in every row.
    QTextTable* table = t.textCursor().currentTable();
    for (int row = 0; row < 3; ++row)
        QCOMPARE(widths(table, row), (QList<int>{3000, 1701, 3000}));
    int h = 0;
    ATX_GETCURROWH(&t, h);
    QCOMPARE(h, 600);
    ATX_SETCURTABLEROW(&t, 0, 0, 0);
    ATX_GETCURROWH(&t, h);
    QVERIFY(h < 600);

    // Two cells selected, both to 2 cm, the third keeping its width; all rows 20 pt.
    ATX_SETCURTABLEROW(&t, 0, 0, 0);
    ATX_SETCURTABLEROWCELL(&t, 1, -1, -1);
    ModalAnswer two([](QWidget* w) {
        auto* d = qobject_cast<Tcellsdlg*>(w);
        d->udWidth->setPosition(20);
        d->udWidthClick();
        d->ComboBox1->setCurrentText("At Least");
        d->udHeight->setPosition(20);
        d->chkAllRows->setChecked(true);
        clickButton(w, "cmdOK");
    });
    QVERIFY(TableCommands::cellHeightAndWidth(&t, &dlg));
    table = t.textCursor().currentTable();
    for (int row = 0; row < 3; ++row)
        QCOMPARE(widths(table, row), (QList<int>{1134, 1134, 3000}));
    for (int row = 0; row < 3; ++row) {
        ATX_SETCURTABLEROW(&t, row, 0, 0);
        ATX_GETCURROWH(&t, h);
        QCOMPARE(h, 400);
    }
}

void TestTableDialogs::exactlyAndAtLeastAlike() {
    QList<int> heights[2];
    QList<int> rowWidths[2];
    const QStringList rules{"Exactly", "At Least"};
    for (int i = 0; i < 2; ++i) {
        TextControl t;
        prepare(t, 2, 2);
        Tcellsdlg dlg;
        const QString rule = rules[i];
        ModalAnswer answer([rule](QWidget* w) {
            auto* d = qobject_cast<Tcellsdlg*>(w);
            d->ComboBox1->setCurrentText(rule);
            d->udHeight->setPosition(40);
            clickButton(w, "cmdOK");
        });
        QVERIFY(TableCommands::cellHeightAndWidth(&t, &dlg));
        QVERIFY(answer.wasAnswered());
        for (int row = 0; row < 2; ++row) {
            ATX_SETCURTABLEROW(&t, row, 0, 0);
            int h = 0;
            ATX_GETCURROWH(&t, h);
            heights[i].append(h);
        }
        rowWidths[i] = widths(t.textCursor().currentTable(), 0);
    }
    QCOMPARE(heights[0], heights[1]);
    QCOMPARE(heights[0].first(), 800);
    QCOMPARE(rowWidths[0], rowWidths[1]);
}

void TestTableDialogs::selectRowAndTable() {
    TextControl t;
    prepare(t, 3, 4);
    ATX_SETCURTABLEROW(&t, 1, 0, 0);
    ATX_SETCURTABLEROWCELL(&t, 2, 0, 0);
    QVERIFY(TableCommands::selectRow(&t));
    int firstRow, numRows, firstColumn, numColumns;
    t.textCursor().selectedTableCells(&firstRow, &numRows, &firstColumn, &numColumns);
    QCOMPARE(firstRow, 1);
    QCOMPARE(numRows, 1);
    QCOMPARE(firstColumn, 0);
    QCOMPARE(numColumns, 4);
    ATX_SETCURTABLEROW(&t, 2, 0, 0);
    QVERIFY(TableCommands::selectTable(&t));
    t.textCursor().selectedTableCells(&firstRow, &numRows, &firstColumn, &numColumns);
    QCOMPARE(firstRow, 0);
    QCOMPARE(numRows, 3);
    QCOMPARE(numColumns, 4);
    // Outside a table the control's refusal is reported.
    t.setCurPar(0);
    MessageSeen seen;
    ModalAnswer answer(answerMessage(&seen));
    QVERIFY(!TableCommands::selectRow(&t));
    QVERIFY(answer.wasAnswered());
    QVERIFY2(seen.text.contains("not in a table"), qPrintable(seen.text));
}

void TestTableDialogs::convertCommand() {
    TextControl t;
    t.setSelText("a\tb\nc\td");
    t.setSelStart(0);
    t.setSelLength(t.TextLength());
    QVERIFY(TableCommands::convertTextToTable(&t));
    QCOMPARE(ATX_TABLEROWS(&t), 2);
    QCOMPARE(rowCells(t.textCursor().currentTable(), 1).size(), 2);
}

// Pictures of the four windows for a person to look at.
void TestTableDialogs::screenshots() {
    const QString folder = qEnvironmentVariable("TANDEL_SHOTS");
    if (folder.isEmpty()) QSKIP("set TANDEL_SHOTS to a folder to save pictures of the windows");
    Tfrminserttbl insert;
    Tsplitcelllsdlg split;
    Tdlgborder border;
    Tcellsdlg cells;
    cells.prepare(1, 1304, 300);
    border.setBevel(2);
    const QList<std::pair<QDialog*, QString>> windows{{&insert, "table-insert.png"},
                                                      {&split, "table-split.png"},
                                                      {&border, "table-border.png"},
                                                      {&cells, "table-cells.png"}};
    for (const auto& [w, name] : windows) {
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QVERIFY(w->grab().save(folder + "/" + name));
        w->hide();
    }
    // Tables in the text: the four border styles, a merged and a split cell, a taller row.
    TextControl t;
    t.resize(700, 620);
    t.setDocWidth(9000);
    t.setSelText("Border styles 0 to 3, then merged, split and a row of 30 pt:\nEnd");
    t.setCurPar(1);
    for (int style = 0; style <= 3; ++style) {
        ATX_INSERTTABLE(&t, 2, 3);
        ATX_TABLEBORDER(&t, style);
        t.setSelText(QString("style %1").arg(style));
        t.setSelStart(t.TextLength());
    }
    ATX_INSERTTABLE(&t, 3, 4);
    t.setSelText("merged");
    ATX_SETCURTABLEROWCELL(&t, 2, -1, -1);
    ATX_MERGETABLECELL(&t, 1);
    ATX_SETCURTABLEROW(&t, 1, 0, 0);
    ATX_SETCURTABLEROWCELL(&t, 1, 0, 0);
    ATX_SPLITTABLECELL(&t, 3);
    t.setSelText("split");
    ATX_SETCURTABLEROW(&t, 2, 0, 0);
    ATX_SETCURROWH(&t, 1, 600);
    t.setSelText("30 pt");
    t.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t));
    QVERIFY(t.grab().save(folder + "/table-text.png"));
}

QTEST_MAIN(TestTableDialogs)
#include "tst_tabledialogs.moc"
