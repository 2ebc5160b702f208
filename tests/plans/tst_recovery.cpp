// Recovery copies of unsaved changes: how they are taken while the owner types, what
// removes them, and what the next start does with them, including after the program was
// killed in the middle of its work.

#include "answers.h"
#include "app/custfrm.h"
#include "app/editfrm.h"
#include "app/settings.h"
#include "app/startup.h"
#include "budget/budgettyping.h"
#include "controls/sheet/sheetcontrol.h"
#include "controls/sheet/sheetfile.h"
#include "controls/text/rtfreader.h"
#include "controls/text/rtfwriter.h"
#include "controls/text/textcontrol.h"
#include "controls/text/textformat.h"
#include "dialogs/dialogfrm.h"
#include "planbuilder.h"
#include "plans/autosave.h"
#include "plans/catalogue.h"
#include "plans/lifecycle.h"
#include "plans/navigator.h"
#include "plans/openfrm.h"
#include "plans/planheader.h"
#include "plans/plansession.h"
#include "plans/recovery.h"
#include "platform/folders.h"
#include "platform/inifile.h"
#include "platform/printerinfo.h"
#include "platform/safefile.h"
#include "support/modal.h"
#include "support/testenv.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextTable>
#include <QTreeView>
#include <QTreeWidget>

#include <cerrno>
#include <cstdio>
#include <memory>

namespace {

const QString kTyped = QStringLiteral("Our shop opens on Saturdays from May");
const QString kCellTyped = QStringLiteral("4321");
constexpr int kCellRow = 6; // B6, the budget's first entry cell
constexpr int kCellCol = 2;

// Text of the program's message window, answered with the button given.
QString answerMessage(QWidget* dialog, const QString& button) {
    auto* d = qobject_cast<TfrmDialog*>(dialog);
    const QString text = d && d->dlgLabel ? d->dlgLabel->text() : QString();
    clickButton(dialog, button);
    if (dialog->isVisible()) dialog->close();
    return text;
}

// A plan text as the native writer puts it once read back: what two texts are compared by.
QByteArray normalised(const QTextDocument& doc) {
    QTextDocument again;
    RtfReader::read(RtfWriter::write(doc), &again);
    return RtfWriter::write(again);
}

// A recovery copy's text read back, with the settings header it carries taken out.
struct CopyText {
    QByteArray rtf;
    QString header;
    QString plain;
};
CopyText readCopy(const QString& path) {
    CopyText r;
    QTextDocument doc;
    if (!RtfReader::read(readFileBytes(path), &doc)) return r;
    QTextCursor c(&doc);
    for (QTextBlock b = doc.begin(); b.isValid() && r.header.isEmpty(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.charFormat().intProperty(TextFormat::HTagProperty) == PlanHeader::HeaderTag) {
                r.header = f.text();
                c.setPosition(f.position());
                c.setPosition(f.position() + f.length(), QTextCursor::KeepAnchor);
                c.removeSelectedText();
                break;
            }
        }
    }
    r.rtf = normalised(doc);
    r.plain = doc.toPlainText();
    return r;
}

// A plan with what a long plan holds: sections, prompts, hidden notes, tables of merged
// cells, paragraphs of their own formats, a first paragraph with a format of its own.
QTextDocument* variedPlan() {
    QTextDocument* doc = PlanBuilder::makePlan(6, 8);
    QTextCursor c(doc);
    QTextBlockFormat first = c.blockFormat();
    first.setAlignment(Qt::AlignHCenter);
    first.setLeftMargin(TextFormat::twipsToIndent(720));
    c.setBlockFormat(first);
    for (int n : {3, 17, 30}) {
        c.setPosition(doc->findBlockByNumber(n).position());
        QTextTableFormat tf;
        tf.setBorder(1);
        QTextTable* table = c.insertTable(3, 3, tf);
        table->mergeCells(0, 0, 1, 2);
        table->cellAt(1, 1).firstCursorPosition().insertText(QStringLiteral("cell %1").arg(n));
        table->cellAt(2, 2).firstCursorPosition().insertText(QStringLiteral("last"));
    }
    c.movePosition(QTextCursor::End);
    QTextCharFormat hidden;
    hidden.setProperty(TextFormat::HiddenProperty, true);
    hidden.setProperty(TextFormat::HTagProperty, 999);
    c.insertText(QStringLiteral(" a hidden note"), hidden);
    // Tables at the very start and the very end, one inside another's cell.
    c.insertTable(2, 2)->cellAt(1, 1).firstCursorPosition().insertTable(1, 2);
    c.setPosition(0);
    c.insertTable(1, 3)->cellAt(0, 2).firstCursorPosition().insertText(QStringLiteral("first"));
    QTextCursor(doc->firstBlock()).setBlockFormat(first);
    return doc;
}

// The main window with a plan of the catalogue open (number 7, "Shop"), its files on disk.
struct PlanWindow {
    TestEnv env;
    std::unique_ptr<TfrmEdit> win;
    TextControl* text = nullptr;
    AutoSave* autoSave = nullptr;
    static constexpr int Number = 7;

    explicit PlanWindow(QTextDocument* plan = nullptr) {
        Catalogue().addPlan(QStringLiteral("Shop"), Number);
        QFile::copy(env.userDataFolder() + QStringLiteral("1.mps"), budgetFile());
        win = std::make_unique<TfrmEdit>();
        win->resize(1000, 760);
        win->show();
        QVERIFY(QTest::qWaitForWindowExposed(win.get()));
        win->PanelAll->show();
        win->SetPlanControls(true);
        text = win->ATX321;
        autoSave = win->autoSave();
        text->adoptDocument(plan ? plan : PlanBuilder::makePlan(3));
        text->setWriteProtect(0);
        text->setFileName(planFile());
        QVERIFY(win->spread->Read(budgetFile()));
        win->spread->setFileName(budgetFile());
        planSession().CurrentPlanName = QStringLiteral("Shop");
        planSession().CurrentPlanFile = planFile();
        win->lifecycle()->setPlanLoaded(true);
        QVERIFY(win->lifecycle()->mnuSaveClick());
    }
    QString planFile() const {
        return env.userDataFolder() + QString::number(Number) + QStringLiteral(".mp");
    }
    QString budgetFile() const { return planFile() + QLatin1Char('s'); }
    QString textCopy() const { return Recovery::textCopyOf(Number); }
    QString budgetCopy() const { return Recovery::budgetCopyOf(Number); }
    // Types at the end of the first paragraph as a user does.
    void type(const QString& s) {
        QTextCursor c(text->document());
        c.setPosition(text->document()->firstBlock().length() - 1);
        text->setTextCursor(c);
        text->setFocus();
        QTest::keyClicks(text, s);
    }
    bool waitForCopies(int count, int ms) {
        return QTest::qWaitFor([&] { return autoSave->copiesWritten() >= count; }, ms);
    }
};

// A plan "Shop" (number 7) in the catalogue with its files, and a recovery copy newer than
// them holding the text given (the plan's own text with `typed` added) and a budget whose
// B6 holds `cell`.
struct LeftCopy {
    static constexpr int Number = 7;
    QByteArray planBytes;
    QByteArray budgetBytes;

    LeftCopy(const TestEnv& env, const QString& typed, const QString& cell) {
        Catalogue().addPlan(QStringLiteral("Shop"), Number);
        const QString plan = env.userDataFolder() + QStringLiteral("7.mp");
        QFile::copy(env.userDataFolder() + QStringLiteral("1.mp"), plan);
        QFile::copy(env.userDataFolder() + QStringLiteral("1.mps"), plan + QLatin1Char('s'));
        const QDateTime past = QDateTime::currentDateTime().addSecs(-600);
        for (const QString& f : {plan, plan + QLatin1Char('s')}) {
            QFile file(f);
            file.open(QIODevice::ReadWrite);
            file.setFileTime(past, QFileDevice::FileModificationTime);
        }
        planBytes = readFileBytes(plan);
        budgetBytes = readFileBytes(plan + QLatin1Char('s'));

        QDir().mkpath(Recovery::folder());
        TextControl text;
        text.loadFile(plan, TextControl::NativeRtf);
        QTextCursor c(text.document());
        c.movePosition(QTextCursor::End);
        c.insertText(typed);
        text.saveFile(Recovery::textCopyOf(Number), TextControl::NativeRtf);
        SheetControl sheet;
        sheet.Read(plan + QLatin1Char('s'));
        sheet.SetCellText(kCellRow, kCellCol, cell);
        sheet.Write(Recovery::budgetCopyOf(Number), SheetControl::NativeFile);
    }
};

// The child session of killedSessionIsRecovered: the program as a new owner starts it, a
// plan made, words typed into its text and a figure into its budget; once the recovery
// copy of both is on disk it says so and waits to be killed.
int childSession() {
    Folders::setProgramFolder(qEnvironmentVariable("TANDEL_CHILD_PROGRAM"));
    Folders::setConfigFolder(qEnvironmentVariable("TANDEL_CHILD_CONFIG"));
    PrinterInfo::setNoPrinterForTesting();
    IniFile(Folders::settingsFile()).writeString(QStringLiteral("bps"), QStringLiteral("tips"),
                                                 QStringLiteral("0"));
    AnswerBook book;
    book.add(QStringLiteral("Tfrmopen"), [](QWidget* d) {
        ModalAnswer name([](QWidget* n) {
            setEditText(n, QStringLiteral("txtNewPlanName"), QStringLiteral("Acme Plan"));
            clickButton(n, QStringLiteral("Button1"));
        });
        clickButton(d, QStringLiteral("Newbtn"));
        setEditText(d, QStringLiteral("conameedit"), QStringLiteral("Acme Ltd"));
        setEditText(d, QStringLiteral("cosbuedit"), QStringLiteral("Retail"));
        clickButton(d, QStringLiteral("Button3"));
    });
    // The budget's details window, the first time the budget shows.
    book.add(QStringLiteral("TfrmCashdet"), [](QWidget* d) { d->close(); });
    Application::startUp({0});
    TfrmEdit* w = frmEdit;
    if (!w || w->PanelAll->isHidden()) return 2;
    QApplication::setActiveWindow(w);
    TextControl* t = w->ATX321;
    t->setFocus();
    QTextCursor c(t->document());
    c.setPosition(t->document()->firstBlock().length() - 1);
    t->setTextCursor(c);
    QTest::keyClicks(t, kTyped);

    Navigator* nav = w->navigator();
    for (int n = 1; n <= nav->itemCount(); ++n)
        if (nav->itemText(n) == QStringLiteral("Marketing Budget Spreadsheet")) {
            w->Outline1->setCurrentIndex(nav->indexOf(n));
            nav->Outline1Click();
        }
    QTest::qWait(100);
    if (w->pnlSpread->isHidden()) return 3;
    w->spread->setSelection(QStringLiteral("B6"));
    typeInto(w->spread, kCellTyped, Qt::Key_Return);
    if (w->spread->model().entry(kCellRow, kCellCol) != kCellTyped) return 4;

    const int before = w->autoSave()->copiesWritten();
    if (!QTest::qWaitFor([&] { return w->autoSave()->copiesWritten() > before; }, 20000))
        return 5;
    std::printf("copied %s\n", qPrintable(Recovery::textCopyOf(
                                   Recovery::numberOfPlanFile(t->FileName()))));
    std::fflush(stdout);
    QTest::qWait(600'000);
    return 0;
}

} // namespace

class TestRecovery : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { PrinterInfo::setNoPrinterForTesting(); }

    // The copy is the plan as it stands, whatever pieces it was taken in: the text with
    // its tables, hidden notes and formats, its margins in the header, and the budget.
    void piecesJoinIntoThePlan() {
        PlanWindow p(variedPlan());
        p.win->PlanMargins.Left = 1.5;
        p.type(kTyped);
        for (int blocks : {1, 3, 1000}) {
            p.autoSave->setBlocksPerPiece(blocks);
            p.autoSave->changed();
            QVERIFY(p.autoSave->copyNow());
            p.autoSave->waitForWrites();
            QVERIFY(QTest::qWaitFor([&] { return p.autoSave->lastFigures().pieces > 0; }, 2000));
            QVERIFY(p.autoSave->lastFailure().isEmpty());
            const CopyText copy = readCopy(p.textCopy());
            QCOMPARE(copy.rtf, normalised(*p.text->document()));
            QVERIFY(copy.plain.contains(kTyped));
            QVERIFY(copy.header.startsWith(QStringLiteral("000000000001500")));
            QCOMPARE(readFileBytes(p.budgetCopy()), Sheet::writeNative(p.win->spread->model()));
        }
        // The plan's own files are the user's to write.
        QVERIFY(!readCopy(p.planFile()).plain.contains(kTyped));

        // A copy that cannot be written says why, and the last one stays whole.
        const QByteArray last = readFileBytes(p.textCopy());
        SafeFile::injectFault(ENOSPC, 100, QStringLiteral("recovery"));
        p.type(QStringLiteral("!"));
        QVERIFY(p.autoSave->copyNow());
        p.autoSave->waitForWrites();
        SafeFile::clearFault();
        QVERIFY(QTest::qWaitFor([&] { return !p.autoSave->lastFailure().isEmpty(); }, 2000));
        QVERIFY2(p.win->Statusbar1->currentMessage().contains(QStringLiteral("No space left on device")),
                 qPrintable(p.win->Statusbar1->currentMessage()));
        QCOMPARE(readFileBytes(p.textCopy()), last);
    }

    // Two seconds after the typing stops, once; while it goes on, once per interval;
    // nothing when nothing changed, and nothing at all when copies are off.
    void copiesFollowTheTyping() {
        PlanWindow p;
        p.autoSave->setInterval(1);
        QTest::qWait(2500);
        QVERIFY(!QFileInfo::exists(p.textCopy())); // opened, not changed
        p.type(QStringLiteral("x"));
        QVERIFY(p.waitForCopies(1, 5000));
        QTest::qWait(2500);
        QCOMPARE(p.autoSave->copiesWritten(), 1);

        // Typing without a pause of two seconds: the interval brings copies all the same.
        p.autoSave->setIntervalMilliseconds(400);
        for (int i = 0; i < 16; ++i) {
            p.type(QStringLiteral("y"));
            QTest::qWait(100);
        }
        QVERIFY2(p.autoSave->copiesWritten() >= 3, qPrintable(QString::number(p.autoSave->copiesWritten())));
        QVERIFY(readCopy(p.textCopy()).plain.contains(QStringLiteral("xyyy")));

        // The budget is the plan's too.
        p.autoSave->setInterval(1);
        QTest::qWait(2500);
        const int written = p.autoSave->copiesWritten();
        p.win->spread->SetCellText(kCellRow, kCellCol, kCellTyped);
        QVERIFY(p.waitForCopies(written + 1, 5000));
        QVERIFY(readFileBytes(p.budgetCopy()).contains(kCellTyped.toUtf8()));

        p.autoSave->setInterval(0);
        p.type(QStringLiteral("z"));
        QTest::qWait(2500);
        QCOMPARE(p.autoSave->copiesWritten(), written + 1);
        QVERIFY(!readCopy(p.textCopy()).plain.contains(QStringLiteral("yz")));
    }

    // Options keeps the interval in the settings file and the program follows it at once.
    void intervalSetting() {
        PlanWindow p;
        using namespace Settings;
        IniFile(Folders::settingsFile()).writeInteger(MainSection, RecoveryIntervalKey, 7);
        TfrmCust options(p.win.get());
        options.FormShow();
        QCOMPARE(options.cmbRecovery->currentData().toInt(), 1); // not a choice: the default
        QCOMPARE(options.cmbRecovery->count(), 5);
        QCOMPARE(options.cmbRecovery->itemText(0), QStringLiteral("Off"));
        options.cmbRecovery->setCurrentIndex(options.cmbRecovery->findData(5));
        options.cmdOkClick();
        QCOMPARE(IniFile(Folders::settingsFile()).readInteger(MainSection, RecoveryIntervalKey, 0), 5);
        QCOMPARE(p.autoSave->interval(), 5);
        options.cmbRecovery->setCurrentIndex(0);
        options.FormShow();
        QCOMPARE(options.cmbRecovery->currentData().toInt(), 5);

        options.cmbRecovery->setCurrentIndex(options.cmbRecovery->findData(0));
        options.cmdOkClick();
        QCOMPARE(p.autoSave->interval(), 0);
        p.type(QStringLiteral("x"));
        QTest::qWait(2500);
        QVERIFY(!QFileInfo::exists(p.textCopy()));
        // The next start reads it.
        TfrmEdit again;
        again.FormShow();
        QCOMPARE(again.autoSave()->interval(), 0);
    }

    // Saving removes the copy, also when a copy is still being taken or written as the
    // save begins; answering No to saving removes it too.
    void savingOrDroppingRemovesTheCopy() {
        PlanWindow p(variedPlan());
        p.type(kTyped);
        QVERIFY(p.autoSave->copyNow());
        p.autoSave->waitForWrites();
        QVERIFY(QFileInfo::exists(p.textCopy()));
        QVERIFY(p.win->lifecycle()->mnuSaveClick());
        p.autoSave->waitForWrites();
        QVERIFY(!QFileInfo::exists(p.textCopy()));
        QVERIFY(!QFileInfo::exists(p.budgetCopy()));

        // A copy whose write is still queued when the save comes.
        p.type(QStringLiteral("a"));
        QVERIFY(p.autoSave->copyNow());
        QVERIFY(p.win->lifecycle()->mnuSaveClick());
        p.autoSave->waitForWrites();
        QVERIFY(!QFileInfo::exists(p.textCopy()));

        // A copy being taken, piece by piece, when the save comes: it is given up, and the
        // save's own header never reaches a copy.
        p.autoSave->setBlocksPerPiece(1);
        p.autoSave->setIntervalMilliseconds(50);
        p.type(QStringLiteral("b"));
        QVERIFY(QTest::qWaitFor([&] { return p.autoSave->copying(); }, 3000));
        QVERIFY(p.win->lifecycle()->mnuSaveClick());
        QVERIFY(!p.autoSave->copying());
        QTest::qWait(300);
        p.autoSave->waitForWrites();
        QVERIFY(!QFileInfo::exists(p.textCopy()));
        p.type(QStringLiteral("c"));
        QVERIFY(QTest::qWaitFor([&] { return QFileInfo::exists(p.textCopy()); }, 5000));
        p.autoSave->waitForWrites();
        QVERIFY(readCopy(p.textCopy()).plain.contains(kTyped + QStringLiteral("abc")));
        QCOMPARE(readCopy(p.textCopy()).plain.count(QStringLiteral("0000000000")), 0);

        // "No" to saving at the close: the changes go, and so does their copy.
        p.autoSave->setInterval(1);
        p.win->PlanModified = true;
        ModalAnswer no([](QWidget* d) { answerMessage(d, QStringLiteral("cmdNo")); });
        QVERIFY(p.win->FormCloseQuery());
        QVERIFY(no.wasAnswered());
        p.autoSave->waitForWrites();
        QVERIFY(!QFileInfo::exists(p.textCopy()));
    }

    // Later keeps the copies for the next start; Discard asks, then removes them.
    void discardAndLater() {
        TestEnv env;
        LeftCopy left(env, kTyped, kCellTyped);
        TfrmEdit w;
        w.FormShow();
        const QList<Recovery::Copy> copies = Recovery::pending(Catalogue());
        QCOMPARE(copies.size(), 1);
        QCOMPARE(copies.first().planName, QStringLiteral("Shop"));

        QString shown;
        ModalAnswer later([&](QWidget* d) {
            auto* list = child<QTreeWidget>(d, QStringLiteral("lstCopies"));
            shown = list ? list->topLevelItem(0)->text(0) + u'|' + list->topLevelItem(0)->text(1)
                         : QString();
            clickButton(d, QStringLiteral("cmdLater"));
        });
        QVERIFY(!Application::offerRecovery(&w));
        QVERIFY(later.wasAnswered());
        QCOMPARE(shown, QStringLiteral("Shop|") +
                            copies.first().made.toString(QStringLiteral("dd/MM/yyyy HH:mm")));
        QVERIFY(QFileInfo::exists(Recovery::textCopyOf(7)));
        QVERIFY(w.PanelAll->isHidden());

        // Discard, answered No: nothing goes. Then Yes.
        for (const char* answer : {"cmdNo", "cmdYes"}) {
            QString question;
            ModalAnswer discard([&](QWidget* d) {
                ModalAnswer confirm([&](QWidget* m) { question = answerMessage(m, QString::fromLatin1(answer)); });
                clickButton(d, QStringLiteral("cmdDiscard"));
                if (d->isVisible()) clickButton(d, QStringLiteral("cmdLater"));
            });
            QVERIFY(!Application::offerRecovery(&w));
            QVERIFY(discard.wasAnswered());
            QVERIFY(question.contains(QStringLiteral("Discard the recovery copy of \"Shop\"")));
            QCOMPARE(QFileInfo::exists(Recovery::textCopyOf(7)), qstrcmp(answer, "cmdNo") == 0);
        }
        QVERIFY(!QFileInfo::exists(Recovery::budgetCopyOf(7)));
        QCOMPARE(readFileBytes(env.userDataFolder() + QStringLiteral("7.mp")), left.planBytes);
        QVERIFY(Recovery::pending(Catalogue()).isEmpty());

        // A deleted plan takes its recovery copy with it.
        LeftCopy again(env, kTyped, kCellTyped);
        Tfrmopen open;
        open.FormShow();
        ModalAnswer yes([](QWidget* m) { answerMessage(m, QStringLiteral("cmdYes")); });
        open.Button5Click();
        QVERIFY(yes.wasAnswered());
        QVERIFY(!Catalogue().contains(QStringLiteral("Shop")));
        QVERIFY(!QFileInfo::exists(Recovery::textCopyOf(7)));
        QVERIFY(!QFileInfo::exists(Recovery::budgetCopyOf(7)));
    }

    // A copy kept for later is asked about when its plan is opened: Yes recovers it, No
    // deletes it and opens the plan as it was saved.
    void openingAPlanWithACopyAsks() {
        for (const char* answer : {"cmdYes", "cmdNo"}) {
            TestEnv env;
            LeftCopy left(env, kTyped, kCellTyped);
            IniFile(Folders::settingsFile()).writeString(QStringLiteral("bps"), QStringLiteral("tips"), QStringLiteral("0"));
            QString question;
            AnswerBook book;
            book.add(QStringLiteral("TfrmRecover"), [](QWidget* d) { clickButton(d, QStringLiteral("cmdLater")); });
            book.add(QStringLiteral("Tfrmopen"), [](QWidget* d) {
                setEditText(d, QStringLiteral("conameedit"), QStringLiteral("Shop Ltd"));
                setEditText(d, QStringLiteral("cosbuedit"), QStringLiteral("Retail"));
                clickButton(d, QStringLiteral("Button3"));
            });
            book.add(QStringLiteral("TfrmDialog"), [&](QWidget* m) { question = answerMessage(m, QString::fromLatin1(answer)); });
            Application::startUp({0});
            TfrmEdit* w = frmEdit;
            QVERIFY(book.allAnswered());
            QVERIFY2(question.contains(QStringLiteral("The plan \"Shop\" has a recovery copy made on")), qPrintable(question));
            QVERIFY(!w->PanelAll->isHidden());
            const bool yes = qstrcmp(answer, "cmdYes") == 0;
            QCOMPARE(w->ATX321->toPlainText().contains(kTyped), yes);
            QCOMPARE(w->spread->model().entry(kCellRow, kCellCol) == kCellTyped, yes);
            QCOMPARE(w->PlanModified, yes);
            QCOMPARE(QFileInfo::exists(Recovery::textCopyOf(7)), yes);
            if (yes) QCOMPARE(readFileBytes(env.userDataFolder() + QStringLiteral("7.mp")), left.planBytes);
            Application::shutDown();
        }
    }

    // A copy that cannot be read is said so, kept aside and nothing of it loaded; one
    // no newer than its plan is not offered.
    void unreadableCopy() {
        TestEnv env;
        LeftCopy left(env, kTyped, kCellTyped);
        const QByteArray whole = readFileBytes(Recovery::textCopyOf(7));
        writeFileBytes(Recovery::textCopyOf(7), whole.left(whole.size() / 2)); // cut short
        TfrmEdit w;
        w.FormShow();
        QString message;
        AnswerBook book;
        book.add(QStringLiteral("TfrmRecover"),
                 [](QWidget* d) { clickButton(d, QStringLiteral("cmdRecover")); });
        book.add(QStringLiteral("TfrmDialog"),
                 [&](QWidget* m) { message = answerMessage(m, QStringLiteral("cmdOK")); });
        QVERIFY(!Application::offerRecovery(&w));
        QVERIFY(book.allAnswered());
        QVERIFY2(message.contains(QStringLiteral("cannot be recovered")), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("ends before the plan does")), qPrintable(message));
        QVERIFY(message.contains(QDir::toNativeSeparators(Recovery::textCopyOf(7) + QStringLiteral(".unreadable"))));
        QVERIFY(w.PanelAll->isHidden());
        QVERIFY(!w.PlanModified);
        QCOMPARE(readFileBytes(Recovery::textCopyOf(7) + QStringLiteral(".unreadable")), whole.left(whole.size() / 2));
        QVERIFY(QFileInfo::exists(Recovery::budgetCopyOf(7) + QStringLiteral(".unreadable")));
        QVERIFY(Recovery::pending(Catalogue()).isEmpty());
        QCOMPARE(readFileBytes(env.userDataFolder() + QStringLiteral("7.mp")), left.planBytes);

        // A budget copy that is no budget is as unreadable as a damaged text.
        LeftCopy again(env, kTyped, kCellTyped);
        writeFileBytes(Recovery::budgetCopyOf(7), "{\"format\": \"tandel-sheet\", \"Cells\": []}");
        Recovery::Copy copy;
        QVERIFY(Recovery::pendingFor(Catalogue(), QStringLiteral("Shop"), &copy));
        QVERIFY(!Recovery::check(copy).isEmpty());

        // Saved after the copy was made: the plan holds more than the copy.
        QFile plan(env.userDataFolder() + QStringLiteral("7.mp"));
        plan.open(QIODevice::ReadWrite);
        plan.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
        plan.close();
        QVERIFY(Recovery::pending(Catalogue()).isEmpty());
    }

    // The program killed after typing into a plan and its budget: the next start offers
    // the copy, and Recover opens the plan with the text and the figure typed, modified,
    // its own files as they were.
    void killedSessionIsRecovered() {
        TestEnv env;
        QProcess program;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("TANDEL_RECOVERY_CHILD"), QStringLiteral("1"));
        e.insert(QStringLiteral("TANDEL_CHILD_PROGRAM"), env.programFolder());
        e.insert(QStringLiteral("TANDEL_CHILD_CONFIG"), env.configFolder());
        e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(e);
        program.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(program.waitForStarted());
        QByteArray said;
        QVERIFY(QTest::qWaitFor([&] {
            program.waitForReadyRead(100);
            said += program.readAllStandardOutput();
            return said.contains('\n') || program.state() != QProcess::Running;
        }, 60000));
        QVERIFY2(said.startsWith("copied "), qPrintable(QStringLiteral("child ended %1: %2 %3")
                                                            .arg(program.exitCode())
                                                            .arg(QString::fromLocal8Bit(said),
                                                                 QString::fromLocal8Bit(program.readAllStandardError()))));
        program.kill(); // SIGKILL: no closing, no saving, no clean-up
        QVERIFY(program.waitForFinished());
        QCOMPARE(program.exitStatus(), QProcess::CrashExit);

        const QString planName = QStringLiteral("Acme Plan");
        const QString planFile = Catalogue().planTextFile(planName);
        const QByteArray planBytes = readFileBytes(planFile);
        const QByteArray budgetBytes = readFileBytes(planFile + QLatin1Char('s'));
        QVERIFY(!planBytes.isEmpty());
        QVERIFY(!readCopy(planFile).plain.contains(kTyped));

        QString listed;
        AnswerBook book;
        book.add(QStringLiteral("TfrmRecover"), [&](QWidget* d) {
            auto* list = child<QTreeWidget>(d, QStringLiteral("lstCopies"));
            listed = list && list->topLevelItemCount() == 1 ? list->topLevelItem(0)->text(0) : QString();
            clickButton(d, QStringLiteral("cmdRecover"));
        });
        Application::startUp({0});
        TfrmEdit* w = frmEdit;
        QVERIFY(book.allAnswered());
        QCOMPARE(listed, planName);
        QVERIFY(!w->PanelAll->isHidden());
        QCOMPARE(planSession().CurrentPlanName, planName);
        QVERIFY(w->PlanModified);
        QVERIFY(w->ATX321->toPlainText().contains(kTyped));
        QCOMPARE(w->spread->model().entry(kCellRow, kCellCol), kCellTyped);
        QVERIFY(!w->ATX321->toPlainText().contains(QStringLiteral("000000000001000")));
        // Nothing written behind the user's back...
        QCOMPARE(readFileBytes(planFile), planBytes);
        QCOMPARE(readFileBytes(planFile + QLatin1Char('s')), budgetBytes);
        // ... until they save, which takes the copy away.
        QVERIFY(w->lifecycle()->mnuSaveClick());
        w->autoSave()->waitForWrites();
        QVERIFY(readCopy(planFile).plain.contains(kTyped));
        QVERIFY(Recovery::pending(Catalogue()).isEmpty());
        QVERIFY(!QFileInfo::exists(Recovery::textCopyOf(Recovery::numberOfPlanFile(planFile))));
        Application::shutDown();
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("TANDEL_RECOVERY_CHILD")) return childSession();
    TestRecovery test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recovery.moc"
