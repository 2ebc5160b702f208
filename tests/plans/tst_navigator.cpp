#include "controls/text/rtfwriter.h"
#include "controls/text/textcontrol.h"
#include "planbuilder.h"
#include "plans/navigator.h"
#include "platform/folders.h"
#include "platform/helpsystem.h"
#include "platform/printerinfo.h"
#include "support/modal.h"
#include "support/planhost.h"
#include "support/testenv.h"

#include <QAction>
#include <QLabel>
#include <QMessageBox>
#include <QStandardItemModel>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeView>

#include <memory>

namespace {

// The guidance text written for each section, so that the pane shows which one it has.
QString guidanceWords(int number) {
    return QStringLiteral("Guidance for section %1").arg(number);
}

void writeGuidance(const QString& dataFolder, int sections) {
    for (int n = 1; n <= sections; ++n) {
        QTextDocument doc;
        doc.setPlainText(guidanceWords(n));
        PlanBuilder::writeText(dataFolder + QString::number(n) + QStringLiteral(".pla"),
                               RtfWriter::write(doc));
    }
}

// The editing area with a plan text of `sections` sections and the outline read from
// `outline`, as a user has it when a plan is open; no main window around it.
struct PlanWindow {
    TestEnv env;
    PlanHost host;
    NavigatorWidgets* ui = &host.nav;
    Navigator* nav = nullptr;
    TextControl* text = nullptr;

    PlanWindow(const QByteArray& outline, int sections, QTextDocument* plan = nullptr) {
        host.window()->resize(1000, 760);
        host.window()->show();
        QVERIFY(QTest::qWaitForWindowExposed(host.window()));
        host.PanelAll->show();
        nav = host.navigator.get();
        text = ui->ATX321;
        writeGuidance(env.dataFolder(), sections);
        const QString file = env.dataFolder() + QStringLiteral("test.nav");
        QVERIFY(PlanBuilder::writeText(file, outline));
        QVERIFY(nav->BuildNavFrom(file));
        text->adoptDocument(plan ? plan : PlanBuilder::makePlan(sections));
        text->setWriteProtect(0);
        QApplication::processEvents();
    }

    int selected() const { return nav->selectedItem(); }
    QString guidance() const { return ui->ATX322->toPlainText(); }
    // Picks an item with the mouse, as the outline does before it reports the click.
    void clickItem(int number) {
        ui->Outline1->setCurrentIndex(nav->indexOf(number));
        nav->Outline1Click();
    }
    // Whether the section's first paragraph holds the caret and stands at the view's top.
    bool showsSection(int number) const {
        const int paragraph = PlanBuilder::firstParagraphOf(number);
        if (text->CurPar() != paragraph || nav->SectionStartParagraph() != paragraph) return false;
        int x = 0;
        int y = 0;
        text->ATX_CURTOXY(paragraph, 0, x, y);
        // The paragraph's top is at the view's top, or the view is scrolled to the end.
        if (text->ScrollVert() == y) return true;
        // Near the end the view cannot scroll the paragraph to its top; it must be in view.
        const int viewTwips = text->viewport()->height() * 1440 / text->logicalDpiY();
        if (text->ScrollVert() >= text->EndScrollPos() - 100 && y >= text->ScrollVert() &&
            y < text->ScrollVert() + viewTwips)
            return true;
        qWarning("paragraph at %d, view at %d, end at %d", y, text->ScrollVert(),
                 text->EndScrollPos());
        return false;
    }
};

const QByteArray kFourLines = "A\r\n\tA1\r\n\tA2\r\nB\r\n";

} // namespace

class TestNavigator : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { PrinterInfo::setNoPrinterForTesting(); }

    void movesInAFourLineOutline() {
        PlanWindow p(kFourLines, 4);
        QCOMPARE(p.nav->itemCount(), 4);

        p.nav->btnFirstClick();
        QCOMPARE(p.selected(), 1);
        QVERIFY(p.showsSection(1));
        QCOMPARE(p.guidance(), guidanceWords(1));

        // From the heading, Next goes to its first child.
        p.nav->btnNextClick();
        QCOMPARE(p.selected(), 2);
        QVERIFY(p.showsSection(2));
        QCOMPARE(p.guidance(), guidanceWords(2));
        p.nav->btnNextClick();
        QCOMPARE(p.selected(), 3);
        // From A2 Next leaves the heading's children.
        p.nav->btnNextClick();
        QCOMPARE(p.selected(), 4);
        QVERIFY(p.showsSection(4));
        QCOMPARE(p.guidance(), guidanceWords(4));
        // From B Previous comes back to A2.
        p.nav->btnPriorClick();
        QCOMPARE(p.selected(), 3);
        QVERIFY(p.showsSection(3));
        p.nav->btnPriorClick();
        QCOMPARE(p.selected(), 2);
        // From A1 Previous lands on the heading, since nothing precedes it, and the
        // section is shown in full.
        p.nav->btnPriorClick();
        QCOMPARE(p.selected(), 1);
        QVERIFY(p.showsSection(1));
        QCOMPARE(p.guidance(), guidanceWords(1));
        QVERIFY(!p.ui->btnPrior->isEnabled());

        p.nav->btnLastClick();
        QCOMPARE(p.selected(), 4);
        QVERIFY(p.showsSection(4));

        // A click in the outline shows the clicked section.
        p.clickItem(3);
        QCOMPARE(p.selected(), 3);
        QVERIFY(p.showsSection(3));
        QCOMPARE(p.guidance(), guidanceWords(3));
        QCOMPARE(p.nav->ShownSectionNode(), 3);
        QVERIFY(!p.nav->Guard());
    }

    void nextAndPreviousOpenTheHeadings() {
        PlanWindow p("One\r\nTwo\r\n\tTwo-a\r\n\t\tTwo-a-i\r\nThree\r\n", 5);
        p.ui->Outline1->collapseAll();
        p.nav->btnFirstClick();
        p.nav->btnNextClick();
        // Onto a heading: its first child, shown with its heading open.
        QCOMPARE(p.selected(), 3);
        QVERIFY(p.ui->Outline1->isExpanded(p.nav->indexOf(2)));
        QVERIFY(p.ui->Outline1->isExpanded(p.nav->indexOf(3)));
        p.ui->Outline1->collapseAll();
        p.nav->btnLastClick();
        p.nav->btnPriorClick();
        QCOMPARE(p.selected(), 4);
        QVERIFY(p.ui->Outline1->isExpanded(p.nav->indexOf(3)));
        // Back from a heading's only child skips the heading.
        p.nav->btnPriorClick();
        QCOMPARE(p.selected(), 2);
    }

    void enablingRules() {
        PlanWindow p(kFourLines, 4);
        auto enabled = [&p] {
            return QList<bool>{p.ui->btnFirst->isEnabled(), p.ui->btnPrior->isEnabled(),
                               p.ui->btnNext->isEnabled(),  p.ui->btnLast->isEnabled(),
                               p.ui->mnuFirst->isEnabled(), p.ui->mnuPrevious->isEnabled(),
                               p.ui->mnuNext->isEnabled(),  p.ui->mnuLast->isEnabled()};
        };
        p.nav->btnLastClick();
        QCOMPARE(enabled(), (QList<bool>{true, true, false, false, true, true, false, false}));
        p.nav->btnPriorClick();
        QCOMPARE(enabled(), (QList<bool>{true, true, true, true, true, true, true, true}));
        p.nav->btnFirstClick();
        QCOMPARE(enabled(), (QList<bool>{false, false, true, true, false, false, true, true}));

        PlanWindow one("Only\r\n", 1);
        one.nav->btnFirstClick();
        QCOMPARE(one.selected(), 1);
        QCOMPARE(QList<bool>({one.ui->btnFirst->isEnabled(), one.ui->btnPrior->isEnabled(),
                              one.ui->btnNext->isEnabled(), one.ui->btnLast->isEnabled()}),
                 (QList<bool>{false, false, true, true}));
    }

    void readErrorKeepsTheItemsBeforeIt() {
        PlanWindow p(kFourLines, 4);
        const QString file = p.env.dataFolder() + QStringLiteral("bad.nav");
        QVERIFY(PlanBuilder::writeText(file, "First\r\n\t\tToo deep\r\nLater\r\n"));
        QString message;
        ModalAnswer answer([&message](QWidget* w) {
            if (auto* l = child<QLabel>(w, QStringLiteral("dlgLabel"))) message = l->text();
            clickButton(w, QStringLiteral("cmdOk"));
        });
        QVERIFY(!p.nav->BuildNavFrom(file));
        QVERIFY(answer.wasAnswered());
        QCOMPARE(message,
                 QStringLiteral("An error occurred while reading the navigator structure"));
        QCOMPARE(p.nav->itemCount(), 1);
        QCOMPARE(p.nav->itemText(1), QStringLiteral("First"));

        ModalAnswer missing([](QWidget* w) { clickButton(w, QStringLiteral("cmdOk")); });
        QVERIFY(!p.nav->BuildNavFrom(p.env.dataFolder() + QStringLiteral("none.nav")));
        QVERIFY(missing.wasAnswered());
        QCOMPARE(p.nav->itemCount(), 0);
    }

    void writtenStructureReadsBackTheSame() {
        PlanWindow p("One\r\n\tTwo\r\n\t\tThree\r\nFour\r\n", 4);
        const QString file = p.env.dataFolder() + QStringLiteral("struct.nav");
        QVERIFY(p.nav->WriteNav(file));
        QCOMPARE(readFileBytes(file), QByteArray("One\r\n\tTwo\r\n\t\tThree\r\nFour\r\n"));
    }

    // A name the column cuts short shows whole as the item's tip, for items read from the
    // structure and items added to it.
    void fullNamesAsTips() {
        PlanWindow p("Impact / Probability Analysis of the market\r\n\tTwo\r\n", 2);
        const QModelIndex first = p.nav->indexOf(1);
        QVERIFY(first.data(Qt::ToolTipRole).toString().startsWith(
            QStringLiteral("Impact / Probability Analysis of the market")));
        QVERIFY(p.nav->AddItem(2, QStringLiteral("A section added with a long name"), false));
        QVERIFY(p.nav->indexOf(3).data(Qt::ToolTipRole).toString().startsWith(
            QStringLiteral("A section added with a long name")));
    }

    void nextOnTheLastSectionChangesNothing() {
        PlanWindow p(kFourLines, 4);
        p.nav->btnLastClick();
        p.text->setSelStart(p.text->SelStart() + 3);
        const int caret = p.text->SelStart();
        const int scroll = p.text->ScrollVert();
        // F6 in the text runs Next although the button is off.
        p.nav->btnNextClick();
        QCOMPARE(p.selected(), 4);
        QCOMPARE(p.text->SelStart(), caret);
        QCOMPARE(p.text->ScrollVert(), scroll);
        QVERIFY(!p.nav->Guard());
        // And the navigator still works afterwards.
        p.nav->btnPriorClick();
        QCOMPARE(p.selected(), 3);
    }

    void budgetSectionDoesNotScrollTheText() {
        PlanWindow p("Intro\r\nMarketing Budget Spreadsheet\r\nEnd\r\n", 3);
        p.nav->btnFirstClick();
        p.text->setSelStart(p.text->SelStart() + 2);
        const int caret = p.text->SelStart();
        const int scroll = p.text->ScrollVert();
        p.nav->btnNextClick();
        QCOMPARE(p.selected(), 2);
        QVERIFY(p.nav->BudgetShown());
        QCOMPARE(p.text->SelStart(), caret);
        QCOMPARE(p.text->ScrollVert(), scroll);
        QVERIFY(p.host.pnlSpread->isVisible());
        QVERIFY(!p.host.Panel6->isVisible());
        QCOMPARE(p.guidance(), guidanceWords(2));

        p.nav->btnNextClick();
        QCOMPARE(p.selected(), 3);
        QVERIFY(!p.nav->BudgetShown());
        QVERIFY(p.host.Panel6->isVisible());
        QVERIFY(!p.host.pnlSpread->isVisible());
        QVERIFY(p.showsSection(3));
    }

    void caretFollowsIntoAnotherSection() {
        PlanWindow p("One\r\nTwo\r\nThree\r\nFour\r\nFive\r\n\tFive-a\r\nSeven\r\n", 7);
        p.ui->Outline1->collapseAll();
        p.clickItem(3);
        QCOMPARE(p.selected(), 3);
        const int pointerBefore = p.ui->Pointer->y();

        // A click in the body of section 5 (NTag 4).
        QTextCursor c(p.text->document()->findBlockByNumber(PlanBuilder::firstParagraphOf(5) + 3));
        p.text->setSelStart(c.position() + 5);
        QCOMPARE(p.text->NTag(), 4);
        p.nav->SectionSync(p.text, Navigator::CaretMoved);
        QCOMPARE(p.selected(), 5);
        QVERIFY(p.ui->Outline1->isExpanded(p.nav->indexOf(5)));
        QCOMPARE(p.nav->CurrentSectionTag(), 4);
        QCOMPARE(p.nav->SectionStartParagraph(), PlanBuilder::firstParagraphOf(5));
        QCOMPARE(p.guidance(), guidanceWords(5));
        // The caret stays where the user put it.
        QCOMPARE(p.nav->LastCaretPos(), c.position() + 5);
        QCOMPARE(p.text->SelStart(), c.position() + 5);

        // The pointer marks the top of the section's first paragraph on screen.
        QVERIFY(p.ui->Pointer->isVisibleTo(p.host.window()));
        QVERIFY(p.ui->Pointer->y() != pointerBefore);
        QTextCursor head(p.text->document()->findBlockByNumber(PlanBuilder::firstParagraphOf(5)));
        const int paragraphTop =
            p.text->viewport()->mapTo(p.host.window(), p.text->cursorRect(head).topLeft()).y();
        const int pointerTop = p.ui->Pointer->mapTo(p.host.window(), QPoint(0, 0)).y();
        QVERIFY2(qAbs(pointerTop - paragraphTop) <= 3,
                 qPrintable(QStringLiteral("%1 vs %2").arg(pointerTop).arg(paragraphTop)));
    }

    void textWithoutSectionTagNeverMovesTheNavigator() {
        QTextDocument* plan = PlanBuilder::makePlan(3);
        QTextCursor c(plan);
        c.movePosition(QTextCursor::End);
        PlanBuilder::addParagraph(c, false, 0, 0, {{QStringLiteral("Loose text of no section")}});
        PlanWindow p("One\r\nTwo\r\nThree\r\n", 3, plan);
        p.clickItem(2);
        const int start = p.nav->SectionStartParagraph();
        p.text->setSelStart(p.text->TextLength() - 3);
        QCOMPARE(p.text->NTag(), 0);
        p.nav->SectionSync(p.text, Navigator::CaretMoved);
        QCOMPARE(p.selected(), 2);
        QCOMPARE(p.guidance(), guidanceWords(2));
        QCOMPARE(p.nav->SectionStartParagraph(), start);
        // The caret was last synchronised by the move to section 2 (tag 1).
        QCOMPARE(p.nav->CurrentSectionTag(), 1);
    }

    // Keys typed and released in the text: the navigator follows the caret when it crosses
    // into another section; inside a section nothing but the text repaints.
    void keysFollowTheCaretAndRepaintOnlyWhatChanged() {
        PlanWindow p("One\r\nTwo\r\nThree\r\n", 3);
        p.nav->btnFirstClick();
        QCOMPARE(p.selected(), 1);
        struct PaintCounter : QObject {
            int paints = 0;
            bool eventFilter(QObject*, QEvent* e) override {
                if (e->type() == QEvent::Paint) ++paints;
                return false;
            }
        } outline, guidance;
        p.ui->Outline1->viewport()->installEventFilter(&outline);
        p.ui->ATX322->viewport()->installEventFilter(&guidance);
        p.text->setFocus();

        // Typing in the body of section 1, the view and the caret where typing left them.
        const QTextBlock body =
            p.text->document()->findBlockByNumber(PlanBuilder::firstParagraphOf(1) + 3);
        p.text->setSelStart(body.position() + 4);
        QApplication::processEvents();
        const int scroll = p.text->ScrollVert();
        outline.paints = guidance.paints = 0;
        QTest::keyClicks(p.text, QStringLiteral("ab"));
        QApplication::processEvents();
        QCOMPARE(body.text().mid(4, 2), QStringLiteral("ab"));
        QCOMPARE(p.text->SelStart(), body.position() + 6);
        QCOMPARE(p.text->SelLength(), 0);
        QCOMPARE(p.text->ScrollVert(), scroll);
        QCOMPARE(p.selected(), 1);
        QCOMPARE(p.nav->LastCaretPos(), body.position() + 6);
        QVERIFY(p.host.window()->updatesEnabled() && p.text->updatesEnabled());
        QCOMPARE(outline.paints, 0);
        QCOMPARE(guidance.paints, 0);

        // From the end of section 1's last paragraph onto section 2's heading.
        const QTextBlock last =
            p.text->document()->findBlockByNumber(PlanBuilder::firstParagraphOf(2) - 1);
        p.text->setSelStart(last.position() + last.length() - 1);
        QTest::keyClick(p.text, Qt::Key_Right);
        QApplication::processEvents();
        QCOMPARE(p.text->CurPar(), PlanBuilder::firstParagraphOf(2));
        QCOMPARE(p.selected(), 2);
        QCOMPARE(p.nav->CurrentSectionTag(), 1);
        QCOMPARE(p.guidance(), guidanceWords(2));
        QVERIFY(p.host.window()->updatesEnabled() && p.text->updatesEnabled());
        QVERIFY(outline.paints > 0);
        QVERIFY(guidance.paints > 0);
    }

    // After a move away, a click back in the section left follows there again.
    void caretBackInTheSectionLeftFollows() {
        PlanWindow p("One\r\nTwo\r\nThree\r\n", 3);
        p.clickItem(2);
        const int inTwo = p.text->SelStart() + 3;
        p.text->setSelStart(inTwo);
        p.nav->SectionSync(p.text, Navigator::CaretMoved);
        p.clickItem(3);
        QCOMPARE(p.selected(), 3);
        p.text->setSelStart(inTwo);
        p.nav->SectionSync(p.text, Navigator::CaretMoved);
        QCOMPARE(p.selected(), 2);
    }

    void tagJumpsSelectThePromptAndFollowIt() {
        PlanWindow p("One\r\nTwo\r\nThree\r\n", 3);
        p.nav->btnFirstClick();
        p.nav->SectionSync(p.text, Navigator::Jump, Qt::Key_F12);
        QCOMPARE(p.text->SelText(), QStringLiteral("[prompt of section 1]"));
        QCOMPARE(p.selected(), 1);
        p.nav->SectionSync(p.text, Navigator::Jump, Qt::Key_F12);
        QCOMPARE(p.text->SelText(), QStringLiteral("[prompt of section 2]"));
        QCOMPARE(p.selected(), 2);
        p.nav->SectionSync(p.text, Navigator::Jump, Qt::Key_F11);
        QCOMPARE(p.text->SelText(), QStringLiteral("[prompt of section 1]"));
        QCOMPARE(p.selected(), 1);
    }

    void exampleButtonWithoutExamples() {
        PlanWindow p("One\r\n", 1);
        QFile::remove(Folders::resolve(p.env.dataFolder() + QStringLiteral("eg.hlp")));
        p.nav->btnFirstClick();
        QString said;
        ModalAnswer answer([&said](QWidget* w) {
            if (auto* box = qobject_cast<QMessageBox*>(w)) {
                said = box->text();
                box->accept();
            }
        });
        p.nav->ExplorerButton7Click();
        QVERIFY(answer.wasAnswered());
        QCOMPARE(said,
                 QStringLiteral(
                     "Please install the example help disk included with Tandel Zurozurov Irod."));
        QVERIFY(HelpSystem::instance().helpFile().endsWith(QStringLiteral("qmphelp.hlp"),
                                                           Qt::CaseInsensitive));
    }

    // The example window shows the bakery and the IT firm side by side; the button opens
    // the business the owner read last, in this session and the next.
    void exampleButtonOpensTheBusinessReadLast() {
        PlanWindow p("One\r\nTwo\r\nThree\r\n", 3);
        HelpSystem& help = HelpSystem::instance();
        delete help.viewer(); // a first session: no example window yet
        p.clickItem(2);
        p.nav->ExplorerButton7Click();
        HelpViewer* v = help.viewer();
        QVERIFY(v && v->isVisible());
        QCOMPARE(v->currentContext(), 1002);
        QVERIFY(v->pageText().contains(QStringLiteral("Lapwing IT Support")));
        emit v->findChild<QTextBrowser*>(QStringLiteral("txtTopic"))->anchorClicked(QUrl("#2002"));
        QCOMPARE(v->currentContext(), 2002);
        p.clickItem(3);
        p.nav->ExplorerButton7Click();
        QCOMPARE(v->currentContext(), 2003);
        QVERIFY(help.helpFile().endsWith(QStringLiteral("qmphelp.hlp"), Qt::CaseInsensitive));
        // The next session has no window, but remembers the business.
        delete v;
        p.clickItem(1);
        p.nav->ExplorerButton7Click();
        QCOMPARE(help.viewer()->currentContext(), 2001);
    }
};

QTEST_MAIN(TestNavigator)
#include "tst_navigator.moc"
