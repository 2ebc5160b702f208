// The tables the analyses write into a plan, end to end: the program started, a plan made,
// the analysis section clicked in the navigator, the window answered as a user answers it,
// the plan saved, and the table read back from the saved plan file.
#include "analysis/cafrm.h"
#include "analysis/swfrm.h"
#include "analysis/swotfrm.h"
#include "app/editfrm.h"
#include "app/startup.h"
#include "controls/text/tablemodel.h"
#include "controls/text/textcontrol.h"
#include "plans/answers.h"
#include "plans/lifecycle.h"
#include "plans/navigator.h"
#include "platform/printerinfo.h"
#include "support/modal.h"
#include "freshfiles.h"
#include "support/testenv.h"
#include "widgets/stringgrid.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QScrollBar>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTextBlock>
#include <QTextTable>
#include <QToolButton>
#include <QTreeView>

namespace {

using Grid = QList<QStringList>;

// The program with a new plan open, as a user has it after starting it for the first time.
struct Program {
    TestEnv env;
    TfrmEdit* w = nullptr;
    QString planFile;

    Program() {
        removeAnalysisFiles();
        AnswerBook book;
        book.add("TfrmTips", [](QWidget* d) { clickButton(d, "cmdOk"); });
        book.add("Tfrmopen", [](QWidget* d) {
            clickButton(d, "Newbtn");
            setEditText(d, "conameedit", "Acme Ltd");
            setEditText(d, "cosbuedit", "Retail");
            clickButton(d, "Button3");
        });
        book.add("TfrmNew", [](QWidget* d) {
            setEditText(d, "txtNewPlanName", "Acme Plan");
            clickButton(d, "Button1");
        });
        Application::startUp({0});
        QVERIFY2(book.allAnswered(), qPrintable(book.seen().join(',')));
        w = frmEdit;
        planFile = env.userDataFolder() + "2.mp";
    }
    ~Program() { Application::shutDown(); }

    // Clicks a section in the navigator outline and answers the window it opens.
    void clickSection(int number, const std::function<void(QWidget*)>& answer) {
        ModalAnswer a(answer);
        w->Outline1->setCurrentIndex(w->navigator()->indexOf(number));
        w->navigator()->Outline1Click();
        QVERIFY2(a.wasAnswered(), qPrintable(a.failure()));
    }

    // The tables of the plan as saved.
    QList<QTextTable*> savedTables(TextControl& reader) {
        w->lifecycle()->mnuSaveClick();
        if (w->PlanModified || !reader.loadFile(planFile, TextControl::NativeRtf)) return {};
        QList<QTextTable*> out;
        for (QTextFrame* f : reader.document()->rootFrame()->childFrames())
            if (auto* t = qobject_cast<QTextTable*>(f)) out << t;
        return out;
    }
};

QString cellText(const QTextTableCell& cell) {
    QStringList paras;
    for (QTextBlock b = cell.firstCursorPosition().block();
         b.isValid() && b.position() <= cell.lastPosition(); b = b.next())
        paras << b.text();
    return paras.join('\n');
}

Grid texts(const QTextTable* table) {
    Grid g;
    for (int r = 0; r < table->rows(); ++r) {
        QStringList row;
        for (const QTextTableCell& cell : rowCells(table, r))
            row << cellText(cell);
        g << row;
    }
    return g;
}

bool cellBold(const QTextTableCell& cell) {
    const QTextBlock b = cell.firstCursorPosition().block();
    for (auto it = b.begin(); !it.atEnd(); ++it)
        if (it.fragment().charFormat().fontWeight() <= QFont::Medium) return false;
    return !b.text().isEmpty();
}

bool rowBold(const QTextTable* table, int row) {
    for (const QTextTableCell& cell : rowCells(table, row))
        if (!cellText(cell).isEmpty() && !cellBold(cell)) return false;
    return true;
}

Qt::Alignment alignmentOf(const QTextTableCell& cell) {
    return cell.firstCursorPosition().blockFormat().alignment() & Qt::AlignHorizontal_Mask;
}

// Adds factors through the window's New button and its name window.
void addFactors(QPushButton* newButton, const QStringList& names) {
    for (const QString& name : names) {
        ModalAnswer a([&](QWidget* d) {
            setEditText(d, "Edit1", name);
            clickButton(d, "Button1");
        });
        newButton->click();
        QVERIFY(a.wasAnswered());
    }
}

} // namespace

class TestAnalysisTables : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { PrinterInfo::setNoPrinterForTesting(); }

    void competitorTable() {
        Program p;
        QVERIFY(!p.w->PlanModified);
        p.clickSection(17, [](QWidget* d) {
            auto* ca = qobject_cast<Tfrmca*>(d);
            QVERIFY(ca);
            addFactors(ca->newbtn, {"Price", "Quality", "Service"});
            const int weights[] = {30, 50, 20};
            for (int f = 0; f < 3; ++f) {
                ca->ComboBox1->setCurrentIndex(f);
                ca->ComboBox1Change();
                ca->SpinEdit1->setValue(weights[f]);
                for (int k = 0; k <= f; ++k) ca->up[0]->click();
                for (int k = 0; k < 4; ++k) ca->up[2]->click();
            }
            ca->Button1->click();
        });
        QVERIFY(p.w->PlanModified);

        TextControl reader;
        const QList<QTextTable*> tables = p.savedTables(reader);
        QCOMPARE(tables.size(), 1);
        const QTextTable* t = tables.first();
        QCOMPARE(texts(t), (Grid{{"KFS Description", "W", "A", "B", "C", "D", "E", "F", "G", "H"},
                                 {"Price", "30", "1", "30", "0", "0", "4", "120", "0", "0"},
                                 {"Quality", "50", "2", "100", "0", "0", "4", "200", "0", "0"},
                                 {"Service", "20", "3", "60", "0", "0", "4", "80", "0", "0"},
                                 {"Totals", "100", "", "190", "", "0", "", "400", "", "0"}}));
        QVERIFY(rowBold(t, 0) && rowBold(t, 4));
        QVERIFY(!rowBold(t, 1));
        QCOMPARE(alignmentOf(rowCells(t, 4).first()), Qt::AlignRight);
        QCOMPARE(tableBorder(t), 3);
        // The table stands in the competitor analysis section, below its heading.
        const int heading = reader.document()->toPlainText().indexOf("Competitor Analysis");
        QVERIFY(heading >= 0 && heading < t->firstPosition());
    }

    // Two factors of the impact / probability analysis, inserted twice: two tables headed "P".
    void factorScoreTable() {
        Program p;
        const auto answer = [](QWidget* d) {
            auto* ip = qobject_cast<Tfrmip*>(d);
            QVERIFY(ip);
            if (ip->ComboBox1->count() == 0) {
                addFactors(ip->Button2, {"New rival", "Market growth"});
                ip->ComboBox1->setCurrentIndex(0);
                ip->ComboBox1Change();
                ip->SpinEdit1->setValue(4);
                ip->SpinEdit2->setValue(-5);
                ip->ComboBox1->setCurrentIndex(1);
                ip->ComboBox1Change();
                ip->SpinEdit1->setValue(3);
                ip->SpinEdit2->setValue(4);
            }
            ip->Button5->click();
        };
        p.clickSection(19, answer);
        // Cancel inserts nothing.
        p.clickSection(21, [](QWidget* d) { clickButton(d, "Button4"); });
        p.clickSection(19, answer);

        TextControl reader;
        const QList<QTextTable*> tables = p.savedTables(reader);
        QCOMPARE(tables.size(), 2);
        for (const QTextTable* t : tables) {
            QCOMPARE(texts(t), (Grid{{"Factor description", "P", "-5", "-4", "-3", "-2", "-1", "0",
                                      "1", "2", "3", "4", "5", "Total"},
                                     {"New rival", "4", "X", "", "", "", "", "", "", "", "", "", "", "-20"},
                                     {"Market growth", "3", "", "", "", "", "", "", "", "", "", "X", "",
                                      "12"}}));
            QVERIFY(rowBold(t, 0));
            QCOMPARE(alignmentOf(rowCells(t, 1).at(2)), Qt::AlignHCenter);
            QCOMPARE(tableBorder(t), 3);
        }
    }

    void swotTable() {
        Program p;
        // Strengths and weaknesses first, in their own window.
        p.clickSection(21, [](QWidget* d) {
            auto* sw = qobject_cast<Tfrmsw*>(d);
            QVERIFY(sw);
            addFactors(sw->Button2, {"Staff", "Premises", "Brand"});
            const int values[3][2] = {{4, 3}, {2, -2}, {5, 5}};
            for (int f = 0; f < 3; ++f) {
                sw->ComboBox1->setCurrentIndex(f);
                sw->ComboBox1Change();
                sw->SpinEdit1->setValue(values[f][0]);
                sw->SpinEdit2->setValue(values[f][1]);
            }
            clickButton(d, "Button4");
        });
        p.clickSection(23, [](QWidget* d) {
            QVERIFY(qobject_cast<Tfrmsummary*>(d));
            clickButton(d, "Button1");
        });

        TextControl reader;
        const QList<QTextTable*> tables = p.savedTables(reader);
        QCOMPARE(tables.size(), 1);
        const QTextTable* t = tables.first();
        Grid expected(22, QStringList(4));
        expected[0] = QStringList{"Strengths", "", "Weaknesses", ""};
        expected[1] = QStringList{"Brand", "25", "Premises", "-4"};
        expected[2] = QStringList{"Staff", "12", "", ""};
        expected[11] = QStringList{"Opportunities", "", "Threats", ""};
        QCOMPARE(texts(t), expected);
        QCOMPARE(tableBorder(t), 1);
        for (int row : {0, 11})
            for (int c : {0, 2}) {
                const QTextTableCell cell = rowCells(t, row).at(c);
                QVERIFY(cellBold(cell));
                QVERIFY(cell.firstCursorPosition().charFormat().fontUnderline());
                QCOMPARE(alignmentOf(cell), Qt::AlignHCenter);
            }
        QVERIFY(!rowBold(t, 1));
    }

    // The highest scores there are: one factor weighted 100 and rated 10 for everybody. Its
    // totals of 1000 stand whole in the window's grid and on one line in the plan's table.
    // The whole table goes with one undo, the text and the navigator staying at the
    // section, and comes back with one redo.
    void topScoresFitAndTheTableIsOneStep() {
        Program p;
        TextControl* text = p.w->ATX321;
        const QString before = text->toPlainText();
        p.clickSection(17, [](QWidget* d) {
            auto* ca = qobject_cast<Tfrmca*>(d);
            QVERIFY(ca);
            addFactors(ca->newbtn, {"Price"});
            ca->SpinEdit1->setValue(100);
            for (int party = 0; party < 4; ++party)
                for (int k = 0; k < 10; ++k) ca->up[party]->click();
            QCOMPARE(ca->sg1->cell(3, 1), QString("1000"));
            QFont bold = ca->sg1->font();
            bold.setBold(true);
            for (int c = 1; c <= 9; ++c) {
                const QString value = ca->sg1->cell(c, 1);
                QVERIFY2(ca->sg1->columnWidth(c) >=
                             QFontMetrics(bold).horizontalAdvance(value) + 6,
                         qPrintable(QString("column %1 is too narrow for %2").arg(c).arg(value)));
            }
            ca->Button1->click();
        });
        const auto tablesOf = [](TextControl* t) {
            QList<QTextTable*> out;
            for (QTextFrame* f : t->document()->rootFrame()->childFrames())
                if (auto* table = qobject_cast<QTextTable*>(f)) out << table;
            return out;
        };
        QCOMPARE(tablesOf(text).size(), 1);
        const QTextTable* table = tablesOf(text).first();
        QCOMPARE(texts(table).last(),
                 (QStringList{"Totals", "100", "", "1000", "", "1000", "", "1000", "", "1000"}));
        for (int r = 0; r < table->rows(); ++r)
            for (const QTextTableCell& cell : rowCells(table, r)) {
                const QTextBlock b = cell.firstCursorPosition().block();
                if (b.text().isEmpty()) continue;
                QVERIFY(b.layout());
                QVERIFY2(b.layout()->lineCount() == 1,
                         qPrintable(QString("\"%1\" breaks over %2 lines")
                                        .arg(b.text())
                                        .arg(b.layout()->lineCount())));
            }

        const int scroll = text->verticalScrollBar()->value();
        QVERIFY(scroll > 0);
        p.w->editing()->cmdUndoClick();
        QVERIFY(tablesOf(text).isEmpty());
        QCOMPARE(text->toPlainText(), before);
        // The view stays where the change was, with the caret in it, in the section.
        QVERIFY(text->viewport()->rect().contains(text->cursorRect().center()));
        QVERIFY(qAbs(text->verticalScrollBar()->value() - scroll) <
                text->viewport()->height());
        QCOMPARE(p.w->navigator()->CurrentSectionTag(), 16);

        text->setReDoAction(1);
        QCOMPARE(tablesOf(text).size(), 1);
        QCOMPARE(texts(tablesOf(text).first()).last().at(3), QString("1000"));
        QCOMPARE(tableBorder(tablesOf(text).first()), 3);
    }
};

QTEST_MAIN(TestAnalysisTables)
#include "tst_analysistables.moc"
