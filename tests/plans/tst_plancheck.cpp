// The plan check on the shipped original plan in the main window: the outline's marks and
// the status bar, the Check Plan window, and the reminder before printing and export.

#include "app/custfrm.h"
#include "app/editfrm.h"
#include "controls/sheet/sheetcontrol.h"
#include "app/plancheckcommands.h"
#include "app/settings.h"
#include "controls/text/tablefunctions.h"
#include "controls/text/textformat.h"
#include "controls/text/textcontrol.h"
#include "plans/catalogue.h"
#include "plans/checkfrm.h"
#include "plans/lifecycle.h"
#include "plans/navigator.h"
#include "plans/plansession.h"
#include "plans/progressmarks.h"
#include "platform/folders.h"
#include "platform/inifile.h"
#include "platform/printerinfo.h"
#include "support/modal.h"
#include "support/testenv.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QTimer>
#include <QLabel>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>

#include <functional>
#include <memory>

namespace {

constexpr int kSections = 44;
// The seven part headings (The Business, The Market...) hold nothing to write.
constexpr int kToWrite = 37;
constexpr int kCompetitorAnalysis = 17;
constexpr int kBudget = 37;

// The main window with a new plan made from the original plan, as the owner first sees it.
struct OpenPlan {
    TestEnv env;
    std::unique_ptr<TfrmEdit> win;
    TextControl* text = nullptr;
    PlanCheckCommands* commands = nullptr;
    PlanProgress* progress = nullptr;

    OpenPlan() {
        win = std::make_unique<TfrmEdit>();
        win->resize(1100, 800);
        win->show();
        QVERIFY(QTest::qWaitForWindowExposed(win.get()));
        CompanyDetails details;
        details["coname"] = QStringLiteral("Bright Bakery");
        details["sbu"] = QStringLiteral("Retail");
        Catalogue().writeDetails(QStringLiteral("Bright Bakery"), details);
        PlanSession& s = planSession();
        s.CreatingPlan = true;
        s.BasePlanFile = env.userDataFolder() + QStringLiteral("1.mp");
        s.CurrentPlanFile = env.userDataFolder() + QStringLiteral("7.mp");
        s.CurrentPlanName = QStringLiteral("Bright Bakery");
        QVERIFY(win->lifecycle()->LoadChosenPlan(QStringLiteral("Bright Bakery"),
                                                 QStringLiteral("Retail")));
        s.CreatingPlan = false;
        text = win->ATX321;
        commands = win->planCheck();
        progress = commands->progress();
        QApplication::processEvents();
        progress->refresh();
    }

    QString statusCount() const {
        auto* label = win->Statusbar1->findChild<QLabel*>(QStringLiteral("lblProgress"));
        return label && label->isVisible() ? label->text() : QString();
    }
    int shownMark(int number) const {
        return commands->marks()->items().at(number - 1).data(ProgressRole).toInt();
    }
    // Types over the prompt the caret jumps to with F12, as the owner does.
    bool typeOverNextPrompt(const QString& words) {
        QTest::keyClick(text, Qt::Key_F12);
        if (text->HTag() != 1 || text->SelLength() == 0) return false;
        QTest::keyClicks(text, words);
        return true;
    }
    // Every prompt of a section typed over, without going through the keyboard.
    void finishSection(int number, const QString& words = QStringLiteral("Fresh bread daily")) {
        const QList<TextPiece> prompts = progress->pieces(number, 1);
        for (auto it = prompts.rbegin(); it != prompts.rend(); ++it) {
            QTextCursor c(text->document());
            c.setPosition(it->start);
            c.setPosition(it->end, QTextCursor::KeepAnchor);
            QTextCharFormat f = c.charFormat();
            f.setProperty(TextFormat::HTagProperty, 0);
            f.setForeground(Qt::black);
            c.insertText(words, f);
        }
        progress->refresh();
    }
    // A table put in as the Table menu puts it, with the caret at the end of the section's
    // heading.
    void insertTableInto(int number) {
        const TextPiece e = progress->extent(number);
        const QTextBlock heading = text->document()->findBlock(e.start);
        text->setSelStart(heading.position() + heading.length() - 1);
        QCOMPARE(ATX_INSERTTABLE(text, 2, 2), int(TableOk));
        progress->refresh();
    }
    // Whether the caret's paragraph stands at the top of the view, as the navigator shows
    // a section.
    bool lineAtTop() const {
        int x = 0, y = 0;
        text->ATX_CURTOXY(text->CurPar(), 0, x, y);
        return std::abs(text->ScrollVert() - y) < 40;
    }
    QList<CheckEntry> entriesOf(int number) { return commands->check().entriesOf(number); }
    static bool hasKind(const QList<CheckEntry>& entries, CheckEntry::Kind kind) {
        return std::any_of(entries.begin(), entries.end(),
                           [&](const CheckEntry& e) { return e.kind == kind; });
    }
};

} // namespace

class TestPlanCheck : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { PrinterInfo::setNoPrinterForTesting(); }

    void outlineMarksFollowTyping() {
        OpenPlan p;
        QCOMPARE(p.progress->sectionCount(), kSections);
        QCOMPARE(p.statusCount(), QStringLiteral("0 of 37 sections done"));
        for (int n = 1; n <= kSections; ++n) {
            QCOMPARE(p.progress->state(n), PlanProgress::NotStarted);
            QCOMPARE(p.shownMark(n), int(PlanProgress::NotStarted));
        }

        // Section 4, Mission Statement: its prompts typed over one by one, as the owner
        // would, with F12 and the keyboard.
        p.win->Outline1->setCurrentIndex(p.win->navigator()->indexOf(4));
        p.win->navigator()->Outline1Click();
        QVERIFY(p.typeOverNextPrompt(QStringLiteral("bake fresh bread")));
        QTRY_COMPARE(p.progress->state(4), PlanProgress::InProgress);
        QCOMPARE(p.shownMark(4), int(PlanProgress::InProgress));
        // Its heading, The Business, shows that its part has begun.
        QCOMPARE(p.shownMark(3), int(PlanProgress::InProgress));
        QCOMPARE(p.shownMark(2), int(PlanProgress::NotStarted));
        while (p.progress->pieces(4, 1).size() > 0)
            QVERIFY(p.typeOverNextPrompt(QStringLiteral("kindness")));
        QTRY_COMPARE(p.progress->state(4), PlanProgress::Done);
        QTRY_COMPARE(p.statusCount(), QStringLiteral("1 of 37 sections done"));
        QCOMPARE(p.shownMark(4), int(PlanProgress::Done));
        QCOMPARE(p.shownMark(3), int(PlanProgress::InProgress));

        // Undo takes the section back.
        for (int i = 0; i < 20 && p.progress->state(4) == PlanProgress::Done; ++i) {
            p.text->setUnDoAction(1);
            QTest::qWait(10);
        }
        QTRY_COMPARE(p.progress->state(4), PlanProgress::InProgress);
        QTRY_COMPARE(p.statusCount(), QStringLiteral("0 of 37 sections done"));
    }

    void checkListsEachKind() {
        OpenPlan p;
        // The original plan: prompts everywhere, no table in the analysis sections, red
        // notes, nothing misspelt.
        QList<CheckEntry> four = p.entriesOf(4);
        QVERIFY(OpenPlan::hasKind(four, CheckEntry::Prompt));
        QCOMPARE(four.first().kind, CheckEntry::Prompt);
        QCOMPARE(four.first().text(),
                 QStringLiteral("Prompt not replaced: \u201cwrite one or two sentences saying what "
                                "the\u2026\u201d"));
        QVERIFY(OpenPlan::hasKind(four, CheckEntry::RedNotes));
        QVERIFY(!OpenPlan::hasKind(four, CheckEntry::Misspelt));
        QVERIFY(!OpenPlan::hasKind(four, CheckEntry::NoOwnText));
        QVERIFY(OpenPlan::hasKind(p.entriesOf(kCompetitorAnalysis), CheckEntry::NoAnalysisTable));
        QVERIFY(!OpenPlan::hasKind(p.entriesOf(kCompetitorAnalysis + 1),
                                   CheckEntry::NoAnalysisTable));

        // The analysis table put in: the section keeps all of its text (the paragraph the
        // table leaves after itself carries the heading's section mark too).
        const int notesBefore = int(p.progress->pieces(kCompetitorAnalysis, 999).size());
        const int promptsBefore = int(p.progress->pieces(kCompetitorAnalysis, 1).size());
        p.insertTableInto(kCompetitorAnalysis);
        QVERIFY(!OpenPlan::hasKind(p.entriesOf(kCompetitorAnalysis), CheckEntry::NoAnalysisTable));
        QCOMPARE(p.progress->pieces(kCompetitorAnalysis, 999).size(), notesBefore);
        QCOMPARE(p.progress->pieces(kCompetitorAnalysis, 1).size(), promptsBefore);

        // Every prompt of section 5 deleted and nothing written: no text of the owner's.
        p.finishSection(5, QString());
        const QList<CheckEntry> five = p.entriesOf(5);
        QVERIFY(!OpenPlan::hasKind(five, CheckEntry::Prompt));
        QVERIFY(OpenPlan::hasKind(five, CheckEntry::NoOwnText));

        // A misspelt word in the owner's text, found where it is.
        const int prompts = int(p.progress->pieces(6, 1).size());
        p.finishSection(6, QStringLiteral("We recieve flour weekly"));
        const QList<CheckEntry> six = p.entriesOf(6);
        QVERIFY(OpenPlan::hasKind(six, CheckEntry::Misspelt));
        const CheckEntry misspelt =
            *std::find_if(six.begin(), six.end(),
                          [](const CheckEntry& e) { return e.kind == CheckEntry::Misspelt; });
        QCOMPARE(misspelt.count, prompts); // once for each prompt typed over
        QCOMPARE(misspelt.detail, QStringLiteral("recieve"));
        QTextCursor at(p.text->document());
        at.setPosition(misspelt.place.start);
        at.setPosition(misspelt.place.end, QTextCursor::KeepAnchor);
        QCOMPARE(at.selectedText(), QStringLiteral("recieve"));

        // The plan's own budget: a fresh one was never confirmed and adds up to nothing;
        // confirmed and with a figure entered, the check has nothing to say about it.
        QList<CheckEntry> budget = p.entriesOf(kBudget);
        QVERIFY(OpenPlan::hasKind(budget, CheckEntry::BudgetNotConfirmed));
        QVERIFY(OpenPlan::hasKind(budget, CheckEntry::BudgetTotalZero));
        p.win->spread->SetCellText(1, 1, QStringLiteral("Cashflow forecast"));
        p.win->spread->SetCellText(6, 2, QStringLiteral("1250"));
        budget = p.entriesOf(kBudget);
        QVERIFY(!OpenPlan::hasKind(budget, CheckEntry::BudgetNotConfirmed));
        QVERIFY(!OpenPlan::hasKind(budget, CheckEntry::BudgetTotalZero));
        QVERIFY(!OpenPlan::hasKind(p.entriesOf(kBudget - 1), CheckEntry::BudgetTotalZero));
    }

    void checkWindowJumpsAndFollows() {
        OpenPlan p;
        p.commands->mnuCheckPlanClick();
        TfrmCheckPlan* check = p.commands->checkWindow();
        QVERIFY(check->isVisible());
        QVERIFY(!check->isModal());
        QVERIFY(p.win->isEnabled());
        QVERIFY(!check->NothingLeft());
        QVERIFY(check->lblSummary->text().startsWith(QStringLiteral("0 of 37 sections done")));

        // The first prompt of section 9 (Market Definition and Size).
        QTreeWidgetItem* section9 = nullptr;
        for (int i = 0; i < check->lstCheck->topLevelItemCount(); ++i)
            if (check->lstCheck->topLevelItem(i)->text(0).startsWith(QStringLiteral("9. ")))
                section9 = check->lstCheck->topLevelItem(i);
        QVERIFY(section9);
        QCOMPARE(section9->text(0), QStringLiteral("9. Market Definition and Size"));
        QTreeWidgetItem* first = section9->child(0);
        QVERIFY(first->text(0).startsWith(QStringLiteral("Prompt not replaced")));
        const TextPiece prompt = p.progress->pieces(9, 1).first();
        check->lstCheckDblClick(first);
        // The whole prompt selected, the outline on its section.
        QCOMPARE(p.text->SelStart(), prompt.start);
        QCOMPARE(p.text->SelLength(), prompt.end - prompt.start);
        QCOMPARE(p.win->navigator()->selectedItem(), 9);
        QVERIFY(p.lineAtTop());

        // Typing over it: the window follows by itself.
        auto entriesShown = [&] {
            for (int i = 0; i < check->lstCheck->topLevelItemCount(); ++i) {
                QTreeWidgetItem* t = check->lstCheck->topLevelItem(i);
                if (t->text(0).startsWith(QStringLiteral("9. "))) return t->childCount();
            }
            return -1;
        };
        const int before = entriesShown();
        QTest::keyClicks(p.text, QStringLiteral("bakeries"));
        QTRY_COMPARE_WITH_TIMEOUT(entriesShown(), before - 1, 3000);

        // A section's own row goes to its start.
        QTreeWidgetItem* row = check->lstCheck->topLevelItem(2);
        const int number = row->text(0).section(QLatin1Char('.'), 0, 0).toInt();
        check->lstCheckDblClick(row);
        QCOMPARE(p.win->navigator()->selectedItem(), number);
        QCOMPARE(p.progress->sectionAt(p.text->SelStart()), number);
        QVERIFY(p.lineAtTop());

        // The window looks at the budget again whenever the sheet changes.
        QVERIFY(OpenPlan::hasKind(check->Entries(), CheckEntry::BudgetTotalZero));
        p.win->spread->SetCellText(6, 2, QStringLiteral("1250"));
        QVERIFY(!OpenPlan::hasKind(check->Entries(), CheckEntry::BudgetTotalZero));
        QVERIFY(OpenPlan::hasKind(check->Entries(), CheckEntry::BudgetNotConfirmed));
    }

    void finishedPlanHasNothingLeft() {
        OpenPlan p;
        for (int n = 1; n <= kSections; ++n)
            p.finishSection(n);
        for (int n : {17, 19, 21, 23})
            p.insertTableInto(n);
        p.win->spread->SetCellText(1, 1, QStringLiteral("Cashflow forecast"));
        p.win->spread->SetCellText(6, 2, QStringLiteral("1250"));
        QCOMPARE(p.progress->doneCount(), kToWrite);
        QCOMPARE(p.progress->sectionsToWrite(), kToWrite);
        QCOMPARE(p.statusCount(), QStringLiteral("37 of 37 sections done"));
        QCOMPARE(p.shownMark(3), int(PlanProgress::Done));

        p.commands->mnuCheckPlanClick();
        TfrmCheckPlan* check = p.commands->checkWindow();
        QVERIFY(check->NothingLeft());
        QCOMPARE(check->lblSummary->text(), QStringLiteral("Nothing left to do"));
        // Only the red notes are left to know about.
        const QList<CheckEntry> left = check->Entries();
        QVERIFY(!left.isEmpty());
        for (const CheckEntry& e : left)
            QCOMPARE(e.kind, CheckEntry::RedNotes);

        // Nothing to remind of either: printing goes straight on.
        ModalAnswer none([](QWidget* w) { w->close(); }, 300);
        QVERIFY(p.commands->BeforePlanLeaves());
        QVERIFY(!none.wasAnswered());
    }

    void reminderBeforePrintAndExport() {
        OpenPlan p;
        p.finishSection(2);
        // "Continue" goes on.
        {
            QString message;
            ModalAnswer answer([&](QWidget* w) {
                message = child<QLabel>(w, QStringLiteral("lblMessage"))->text();
                clickButton(w, QStringLiteral("cmdContinue"));
            });
            QVERIFY(p.commands->BeforePlanLeaves());
            QVERIFY(answer.wasAnswered());
            QVERIFY(message.startsWith(
                QStringLiteral("36 sections of this plan still hold template prompts.")));
        }
        // "Show me" stops and opens the check; so does closing the message.
        {
            ModalAnswer answer([](QWidget* w) { clickButton(w, QStringLiteral("cmdShowMe")); });
            QVERIFY(!p.commands->BeforePlanLeaves());
            QVERIFY(answer.wasAnswered());
            QVERIFY(p.commands->checkWindow()->isVisible());
            p.commands->checkWindow()->close();
        }
        {
            ModalAnswer answer([](QWidget* w) { pressKey(w, Qt::Key_Escape); });
            QVERIFY(!p.commands->BeforePlanLeaves());
            QVERIFY(answer.wasAnswered());
            QVERIFY(!p.commands->checkWindow()->isVisible());
        }
        // Every print and export command asks first.
        // After the reminder the command goes on: an export asks for a file name (none is
        // wanted here), printing finds no printer and says so.
        auto continueAfterReminder = [](const std::function<void()>& run, const QString& name,
                                        bool exporting) {
            bool asked = false;
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, [&asked] {
                QWidget* w = QApplication::activeModalWidget();
                if (auto* d = qobject_cast<QFileDialog*>(w)) {
                    asked = true;
                    d->reject();
                } else if (child<QLabel>(w, QStringLiteral("dlgLabel"))) {
                    clickButton(w, QStringLiteral("cmdOk"));
                }
            });
            poll.start(10);
            ModalAnswer answer([](QWidget* w) { clickButton(w, QStringLiteral("cmdContinue")); });
            run();
            poll.stop();
            QVERIFY2(answer.wasAnswered(), qPrintable(name));
            QCOMPARE(asked, exporting);
        };
        for (QAction* command : {p.win->menus().mnuPrint, p.win->menus().Print1, p.win->menus().Plan1})
            continueAfterReminder([command] { command->trigger(); }, command->objectName(),
                                  command == p.win->menus().Plan1);
        {
            // The budget holds no prompts: its export asks for the file name at once.
            bool asked = false;
            QStringList others;
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, [&] {
                QWidget* w = QApplication::activeModalWidget();
                if (auto* d = qobject_cast<QFileDialog*>(w)) {
                    asked = true;
                    d->reject();
                } else if (w) {
                    others << w->objectName();
                    w->close();
                }
            });
            poll.start(10);
            p.win->menus().Cashflow1->trigger();
            poll.stop();
            QVERIFY(asked);
            QVERIFY2(others.isEmpty(), qPrintable(others.join(u',')));
        }
        for (QToolButton* button : {p.win->cmdPrint, p.win->cmdPrintAll})
            continueAfterReminder([button] { button->click(); }, button->objectName(), false);

        // The Options window switches the reminder off, and on again.
        TfrmCust options(p.win.get());
        auto setReminder = [&](bool on) {
            ModalAnswer answer([&](QWidget*) {
                QVERIFY(options.chkPlanCheck->isChecked() != on);
                options.chkPlanCheck->setChecked(on);
                options.cmdOkClick();
            });
            options.exec();
            QVERIFY(answer.wasAnswered());
        };
        setReminder(false);
        QCOMPARE(IniFile(Folders::settingsFile())
                     .readInteger(Settings::MainSection, Settings::PlanCheckReminderKey, 1),
                 0);
        {
            ModalAnswer none([](QWidget* w) { w->close(); }, 300);
            QVERIFY(p.commands->BeforePlanLeaves());
            QVERIFY(!none.wasAnswered());
        }
        setReminder(true);
        {
            ModalAnswer answer([](QWidget* w) { clickButton(w, QStringLiteral("cmdContinue")); });
            QVERIFY(p.commands->BeforePlanLeaves());
            QVERIFY(answer.wasAnswered());
        }
    }

    void noPlanNoMarks() {
        OpenPlan p;
        QVERIFY(p.commands->mnuCheckPlan->isEnabled());
        p.win->SetPlanControls(false);
        QVERIFY(!p.commands->mnuCheckPlan->isEnabled());
        QVERIFY(!p.commands->cmdCheckPlan->isEnabled());
        QVERIFY(!p.commands->marks()->items().first().data(ProgressRole).isValid());
        QCOMPARE(p.statusCount(), QString());
        // Nothing to remind of without a plan.
        ModalAnswer none([](QWidget* w) { w->close(); }, 300);
        QVERIFY(p.commands->BeforePlanLeaves());
        QVERIFY(!none.wasAnswered());
    }
};

QTEST_MAIN(TestPlanCheck)
#include "tst_plancheck.moc"
