#include "app/editfrm.h"
#include "app/startup.h"
#include "controls/text/textcontrol.h"
#include "dialogs/dialogfrm.h"
#include "editor/bluetext.h"
#include "editor/cal.h"
#include "editor/colorfrm.h"
#include "editor/editcommands.h"
#include "editor/findreplace.h"
#include "editor/keytext.h"
#include "plans/answers.h"
#include "platform/folders.h"
#include "platform/inifile.h"
#include "platform/printerinfo.h"
#include "support/modal.h"
#include "support/testenv.h"
#include "widgets/ruler.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontComboBox>
#include <QFontDialog>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

#include <QToolButton>
#include <cmath>

namespace {

const QString kMain = QStringLiteral("Zurozurov Irod");
const QString kPrompt = QStringLiteral("Describe your market [one/two/three]");
const QString kIntro = QStringLiteral("Our plan. ");

// The program started as main() starts it, with no tips and no plan chosen, and the plan
// text holding a paragraph of user text with one blue prompt in it.
struct Started {
    TestEnv env;
    TfrmEdit* w = nullptr;
    TextControl* t = nullptr;

    explicit Started(const QStringList& keytexts = {}) {
        IniFile ini(Folders::settingsFile());
        ini.writeString(QStringLiteral("bps"), QStringLiteral("tips"), QStringLiteral("0"));
        for (int i = 0; i < keytexts.size(); ++i)
            ini.writeString(kMain, QStringLiteral("keytext%1").arg((i + 1) % 10), keytexts.at(i));
        {
            // The Open command at the end of start-up is cancelled when it asks.
            ModalAnswer cancelOpen([](QWidget* d) { d->close(); }, 1000);
            Application::startUp({0});
        }
        w = frmEdit;
        t = w->ATX321;
        w->PanelAll->setVisible(true);
        w->SetPlanControls(true);
        QApplication::setActiveWindow(w);
        t->setWriteProtect(0);
        t->setPlainText(kIntro + kPrompt + QStringLiteral(" Then more of our own words.\n") +
                        QStringLiteral("A second paragraph of the plan."));
        // Plain 10-point Arial throughout, whatever the start-up text left at the caret.
        t->setSelStart(0);
        t->setSelLength(t->TextLength());
        t->setFontName(QStringLiteral("Arial"));
        t->setFontSize(10);
        t->setFontBold(0);
        t->setFontItalic(0);
        t->setFontUnder(0);
        t->setAlignment(0);
        t->setHTag(GuidanceTag::UserText);
        t->setFontColor(kBlackText);
        t->setSelStart(kIntro.size());
        t->setSelLength(kPrompt.size());
        t->setHTag(GuidanceTag::BluePrompt);
        t->setFontColor(kBlueText);
        t->setSelStart(0);
        t->setUnDoAction(0);
        t->setFocus();
        if (QApplication::focusWidget() != t) qWarning("the plan text has no focus");
        w->PlanModified = false;
    }
    ~Started() { Application::shutDown(); }

    int promptMiddle() const { return int(kIntro.size() + 5); }
    QPoint pointAt(int position) {
        QTextCursor c(t->document());
        c.setPosition(position);
        return t->cursorRect(c).center();
    }
};

// The text of the plan's message window when one was shown.
QString answerMessage(QWidget* dialog) {
    auto* d = qobject_cast<TfrmDialog*>(dialog);
    const QString text = d && d->dlgLabel ? d->dlgLabel->text() : QString();
    clickButton(dialog, QStringLiteral("cmdOK"));
    if (dialog->isVisible()) dialog->close();
    return text;
}

} // namespace

class TestEditCommands : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { PrinterInfo::setNoPrinterForTesting(); }

    void sectionMovesNeverMarkThePlanModified() {
        Started app;
        for (int key : {Qt::Key_F5, Qt::Key_F6}) {
            QTest::keyClick(app.t, Qt::Key(key));
            QVERIFY2(!app.w->PlanModified, qPrintable(QString::number(key, 16)));
        }
        // Any other key without Ctrl does, a cursor key and F7 included.
        QTest::keyClick(app.t, Qt::Key_Right);
        QVERIFY(app.w->PlanModified);
        app.w->PlanModified = false;
        QTest::keyClick(app.t, Qt::Key_F7);
        QVERIFY(app.w->PlanModified);
        // Keys with Ctrl do not.
        app.w->PlanModified = false;
        QTest::keyClick(app.t, Qt::Key_Home, Qt::ControlModifier);
        QVERIFY(!app.w->PlanModified);
    }

    void ctrlKeysFormatTheTextOnce() {
        Started app;
        TextControl* t = app.t;
        t->setSelStart(0);
        t->setSelLength(3);
        QCOMPARE(t->FontUnder(), 0);
        QTest::keyClick(t, Qt::Key_U, Qt::ControlModifier);
        QCOMPARE(t->FontUnder(), 1024);
        QVERIFY(app.w->cmdUnder->isChecked());
        // A change made with Ctrl is a change to the plan all the same.
        QVERIFY(app.w->PlanModified);
        QTest::keyClick(t, Qt::Key_U, Qt::ControlModifier);
        QCOMPARE(t->FontUnder(), 0);
        QVERIFY(!app.w->cmdUnder->isChecked());

        QTest::keyClick(t, Qt::Key_B, Qt::ControlModifier);
        QCOMPARE(t->FontBold(), -1);
        QVERIFY(app.w->cmdBold->isChecked());
        QTest::keyClick(t, Qt::Key_I, Qt::ControlModifier);
        QCOMPARE(t->FontItalic(), -1);
        QVERIFY(app.w->cmdItalic->isChecked());

        // Alignment keys press the matching button.
        QVERIFY(app.w->cmdLeft->isChecked());
        QTest::keyClick(t, Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(t->Alignment(), 2);
        QVERIFY(app.w->cmdCenter->isChecked());
        QVERIFY(!app.w->cmdLeft->isChecked());
        QTest::keyClick(t, Qt::Key_J, Qt::ControlModifier);
        QCOMPARE(t->Alignment(), 3);
        QVERIFY(app.w->cmdJustify->isChecked());
        QTest::keyClick(t, Qt::Key_R, Qt::ControlModifier);
        QCOMPARE(t->Alignment(), 1);
        QVERIFY(app.w->cmdRight->isChecked());
        QTest::keyClick(t, Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(t->Alignment(), 0);
        QVERIFY(app.w->cmdLeft->isChecked());

        // A character typed with Ctrl goes nowhere; the selection is still there.
        const QString before = t->toPlainText();
        QTest::keyClick(t, Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(t->toPlainText(), before);
        QVERIFY(app.w->editing()->CtrlKeyHeld);
        QTest::keyClick(t, Qt::Key_End);
        QVERIFY(!app.w->editing()->CtrlKeyHeld);
    }

    void underlineFromAnyOtherStateSetsIt() {
        Started app;
        TextControl* t = app.t;
        t->setSelStart(0);
        t->setSelLength(3);
        t->setFontUnder(1); // underlined, whatever value was written
        QCOMPARE(t->FontUnder(), 1024);
        QTest::keyClick(t, Qt::Key_U, Qt::ControlModifier);
        QCOMPARE(t->FontUnder(), 0);
    }

    void ctrlDigitInsertsTheKeytextAndReachesTheText() {
        Started app(
            {QStringLiteral("Acme"), {}, {}, {}, {}, {}, {}, {}, {}, QStringLiteral("Zeta")});
        TextControl* t = app.t;
        QVector<int> reached;
        connect(t, &TextControl::OnKeyDown, this,
                [&reached](int& key, Qt::KeyboardModifiers) { reached << key; });

        t->setSelStart(0);
        QTest::keyClick(t, Qt::Key_0, Qt::ControlModifier);
        QVERIFY(t->toPlainText().startsWith(QStringLiteral("ZetaOur plan.")));
        QCOMPARE(reached.last(), int(Qt::Key_0));
        // Ctrl+1 inserts keytext 1 and is the program's alone.
        QTest::keyClick(t, Qt::Key_1, Qt::ControlModifier);
        QVERIFY(t->toPlainText().startsWith(QStringLiteral("ZetaAcmeOur plan.")));
        QCOMPARE(reached.last(), 0);
        // A keytext that is not set inserts nothing.
        const QString before = t->toPlainText();
        QTest::keyClick(t, Qt::Key_2, Qt::ControlModifier);
        QCOMPARE(t->toPlainText(), before);

        // Ctrl+Home reaches the text and moves the caret.
        t->setSelStart(20);
        QTest::keyClick(t, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(t->SelStart(), 0);

        // Typed inside a prompt, the keytext takes the prompt's tag and colour; from the
        // menu it is the user's own black text.
        const int inPrompt = int(before.indexOf(QStringLiteral("market")) + 2);
        t->setSelStart(inPrompt);
        QTest::keyClick(t, Qt::Key_1, Qt::ControlModifier);
        t->setSelStart(inPrompt + 2);
        QCOMPARE(t->HTag(), GuidanceTag::BluePrompt);
        QCOMPARE(t->FontColor(), kBlueText);
        t->setSelStart(inPrompt);
        app.w->menus().mnuKeytextItems[0]->trigger();
        t->setSelStart(inPrompt + 2);
        QCOMPARE(t->HTag(), GuidanceTag::UserText);
        QCOMPARE(t->FontColor(), kBlackText);
        QVERIFY(app.w->PlanModified);
    }

    void rightClickNeverSelectsBlueText() {
        Started app;
        TextControl* t = app.t;
        t->setSelStart(app.promptMiddle());
        QTest::mouseClick(t->viewport(), Qt::RightButton, {}, app.pointAt(app.promptMiddle()));
        QVERIFY(app.w->editing()->RightButtonDown());
        QCOMPARE(t->SelLength(), 0);
        QCOMPARE(t->SelStart(), app.promptMiddle());
        // The click counts as a change; the popup opened with "Delete &Row" hidden.
        QVERIFY(app.w->PlanModified);
        QVERIFY(app.w->menus().mnupopup->isVisible());
        QVERIFY(!app.w->menus().DeleteRow1->isVisible());
        app.w->menus().mnupopup->close();

        // A left click at the same spot selects the whole prompt, so typing replaces it.
        app.w->navigator()->btnFirstClick();
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, app.pointAt(app.promptMiddle()));
        QVERIFY(!app.w->editing()->RightButtonDown());
        QVERIFY(app.w->editing()->ClickWithoutSelection());
        QCOMPARE(t->SelStart(), int(kIntro.size()));
        QCOMPARE(t->SelLength(), int(kPrompt.size()));
    }

    void doubleClickPicksAnOptionOrOpensTheCalendar() {
        Started app;
        TextControl* t = app.t;
        app.w->navigator()->btnFirstClick();
        const int two = int(t->toPlainText().indexOf(QStringLiteral("two")) + 1);
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, app.pointAt(two));
        QCOMPARE(t->SelLength(), int(kPrompt.size()));
        QTest::mouseDClick(t->viewport(), Qt::LeftButton, {}, app.pointAt(two));
        QVERIFY2(t->toPlainText().startsWith(kIntro + QStringLiteral("two Then")),
                 qPrintable(t->toPlainText()));
        t->setSelStart(int(kIntro.size()) + 2);
        QCOMPARE(t->HTag(), GuidanceTag::UserText);
        QCOMPARE(t->FontColor(), kBlackText);

        // A date prompt opens the calendar; nothing leaves the text until a date is picked.
        t->setSelStart(t->TextLength());
        t->setSelText(QStringLiteral(" [Date]"));
        const int date = t->TextLength() - 3;
        t->setSelStart(t->TextLength() - 6);
        t->setSelLength(6);
        t->setHTag(GuidanceTag::BluePrompt);
        t->setFontColor(kBlueText);
        t->setSelStart(0);
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, app.pointAt(date));
        QCOMPARE(t->SelText(), QStringLiteral("[Date]"));
        QTest::mouseDClick(t->viewport(), Qt::LeftButton, {}, app.pointAt(date));
        QVERIFY(frmCal->isVisible());
        QCOMPARE(frmCal->edit(), app.w->editing()->dates()->txtdate2);
        QVERIFY(t->toPlainText().endsWith(QStringLiteral("[Date]")));
        frmCal->setSelectedDate(QDate(2001, 1, 1));
        frmCal->cmdOKClick();
        QVERIFY(t->toPlainText().endsWith(QStringLiteral(" 1 January 2001")));
    }

    void typingIsTheUsersOwnBlackText() {
        Started app;
        TextControl* t = app.t;
        app.w->navigator()->btnFirstClick();
        // F12 jumps to the next prompt and selects it whole; its key release leaves it so.
        t->setSelStart(0);
        QTest::keyClick(t, Qt::Key_F12);
        QVERIFY(app.w->editing()->TagJumpPending);
        QCOMPARE(t->SelStart(), int(kIntro.size()));
        QCOMPARE(t->SelLength(), int(kPrompt.size()));
        QTest::keyClicks(t, QStringLiteral("We sell"));
        QVERIFY(!app.w->editing()->TagJumpPending);
        QVERIFY(app.w->PlanModified);
        QCOMPARE(t->toPlainText().left(kIntro.size() + 7), kIntro + QStringLiteral("We sell"));
        t->setSelStart(int(kIntro.size()) + 3);
        QCOMPARE(t->HTag(), GuidanceTag::UserText);
        QCOMPARE(t->FontColor(), kBlackText);
        QCOMPARE(t->FIND_HTAG(GuidanceTag::BluePrompt, 1), 0); // no prompt is left
    }

    void toolbarFollowsTheCaret() {
        Started app;
        TextControl* t = app.t;
        TfrmEdit* w = app.w;
        w->navigator()->btnFirstClick(); // a section is shown, as after a plan's load
        // Bold, underlined, 14-point text in a centred, indented paragraph.
        t->setSelStart(0);
        t->setSelLength(3);
        t->setFontBold(-1);
        t->setFontUnder(1024);
        t->setFontSize(14);
        t->setFontName(w->cmbFont->itemText(0));
        t->setAlignment(2);
        t->setLeftIndent(1440);
        t->setSelStart(1);
        t->setFocus();
        QTest::keyClick(t, Qt::Key_Right);
        QCOMPARE(t->SelStart(), 2);
        QVERIFY(w->cmdBold->isChecked());
        QVERIFY(!w->cmdItalic->isChecked());
        QVERIFY(w->cmdUnder->isChecked());
        QVERIFY(w->cmdCenter->isChecked());
        QVERIFY(!w->cmdLeft->isChecked());
        QCOMPARE(w->cmbFontSize->currentText(), QStringLiteral("14"));
        QCOMPARE(w->cmbFont->currentIndex(), 0);
        QCOMPARE(w->rulMain->leftMarkerLeft(),
                 Ruler::markerLeft(1440, w->rulMain->pixelsPerInch()));

        // A click in the second paragraph: plain and right-aligned.
        const int second = int(t->toPlainText().indexOf(QStringLiteral("A second")));
        t->setSelStart(second);
        t->setSelLength(8);
        t->setAlignment(1);
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, app.pointAt(second + 3));
        QVERIFY(!w->cmdBold->isChecked());
        QVERIFY(!w->cmdUnder->isChecked());
        QVERIFY(w->cmdRight->isChecked());
        QVERIFY(!w->cmdCenter->isChecked());
        QCOMPARE(w->cmbFontSize->currentText(), QStringLiteral("10"));

        // Ctrl+End moves the caret like any other key: the toolbar follows it.
        t->setAlignment(3);
        QTest::keyClick(t, Qt::Key_End, Qt::ControlModifier);
        QVERIFY(w->cmdJustify->isChecked());
        QTest::keyClick(t, Qt::Key_Left);
        QVERIFY(w->cmdJustify->isChecked());
        // Other keys with Ctrl leave the toolbar as the key made it.
        t->setAlignment(0);
        QTest::keyClick(t, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(w->cmdJustify->isChecked());
    }

    void toolbarButtonsFormatTheText() {
        Started app;
        TextControl* t = app.t;
        TfrmEdit* w = app.w;
        t->setSelStart(0);
        t->setSelLength(3);
        w->cmdBold->click();
        QCOMPARE(t->FontBold(), -1);
        QVERIFY(w->PlanModified);
        w->cmdBold->click();
        QCOMPARE(t->FontBold(), 0);
        w->cmdCenter->click();
        QCOMPARE(t->Alignment(), 2);
        w->cmdJustify->click();
        QCOMPARE(t->Alignment(), 3);
        // The hidden item flips the button, then runs it.
        w->menus().Italic1->trigger();
        QVERIFY(w->cmdItalic->isChecked());
        QCOMPARE(t->FontItalic(), -1);

        w->cmbFontSize->setEditText(QStringLiteral("18"));
        w->editing()->cmbFontSizeClick();
        QCOMPARE(t->FontSize(), 18.0);
        w->cmbFontSize->setEditText(QStringLiteral("big"));
        w->editing()->cmbFontSizeClick(); // not a number: nothing happens
        QCOMPARE(t->FontSize(), 18.0);
        QCOMPARE(QApplication::focusWidget(), t);

        // The colour window colours the selection.
        w->cmdColour->click();
        QVERIFY(frmtextcolour->isVisible());
        frmtextcolour->ColourClick(11);
        QVERIFY(!frmtextcolour->isVisible());
        QCOMPARE(t->FontColor(), 255);
    }

    void selectAllKeepsTheScrollPosition() {
        Started app;
        TextControl* t = app.t;
        QString longText;
        for (int i = 0; i < 300; ++i)
            longText += QStringLiteral("Line %1 of a long plan.\n").arg(i);
        t->setPlainText(longText);
        t->setScrollVert(t->EndScrollPos() / 2);
        const int scroll = t->ScrollVert();
        QVERIFY(scroll > 0);
        QTest::keyClick(t, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(t->SelStart(), 0);
        QCOMPARE(t->SelLength(), t->TextLength());
        QCOMPARE(t->ScrollVert(), scroll);
        app.w->menus().mnuSelectAll->trigger();
        QCOMPARE(t->ScrollVert(), scroll);
    }

    void undo() {
        Started app;
        TextControl* t = app.t;
        const QString original = t->toPlainText();
        {
            // Nothing to undo: nothing happens and nothing is said.
            ModalAnswer none([](QWidget* d) { d->close(); }, 300);
            app.w->editing()->cmdUndoClick();
            QTest::qWait(400);
            QVERIFY(!none.wasAnswered());
        }
        QCOMPARE(t->toPlainText(), original);

        QTest::keyClicks(t, QStringLiteral("xy"));
        QVERIFY(t->UnDoAction() > 2);
        QTest::keyClick(t, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(t->toPlainText() != original + QStringLiteral("xy"));
        QVERIFY(!t->toPlainText().startsWith(QStringLiteral("xy")));

        // An undo the text refuses (it is held read-only) is reported and changes nothing.
        QTest::keyClicks(t, QStringLiteral("zz"));
        const QString typed = t->toPlainText();
        t->setWriteProtect(1);
        QString message;
        ModalAnswer error([&message](QWidget* d) { message = answerMessage(d); });
        app.w->menus().mnuUndo->trigger();
        QVERIFY(error.wasAnswered());
        QCOMPARE(message, QStringLiteral("An error occurred when undoing the last action"));
        QCOMPARE(t->toPlainText(), typed);
    }

    void ctrlPageDownScrollsTheGuidance() {
        Started app;
        TfrmEdit* w = app.w;
        QString guidance;
        for (int i = 0; i < 300; ++i)
            guidance += QStringLiteral("Guidance line %1.\n").arg(i);
        w->ATX322->setPlainText(guidance);
        w->ATX322->setScrollVert(0);
        app.t->setSelStart(4);
        const QString text = app.t->toPlainText();
        QTest::keyClick(app.t, Qt::Key_PageDown, Qt::ControlModifier);
        const int down = w->ATX322->ScrollVert();
        QVERIFY(down > 0);
        QCOMPARE(QApplication::focusWidget(), app.t);
        QCOMPARE(app.t->SelStart(), 4);
        QCOMPARE(app.t->toPlainText(), text);
        QTest::keyClick(app.t, Qt::Key_PageUp, Qt::ControlModifier);
        QVERIFY(w->ATX322->ScrollVert() < down);
        QCOMPARE(app.t->SelStart(), 4);
    }

    void functionAndCtrlKeysOpenTheirWindows() {
        Started app;
        TextControl* t = app.t;
        t->setPlainText(QStringLiteral("Our plan has a mistaek in it."));
        t->setSelStart(0);
        // F9: the spelling check stops on the word, which stays selected on Cancel.
        QString asked;
        {
            ModalAnswer cancel([&asked](QWidget* d) {
                asked = QString::fromLatin1(d->metaObject()->className());
                clickButton(d, QStringLiteral("cmdCancel"));
            });
            QTest::keyClick(t, Qt::Key_F9);
            QVERIFY(cancel.wasAnswered());
        }
        QCOMPARE(asked, QStringLiteral("TfrmDic"));
        QCOMPARE(t->SelText(), QStringLiteral("mistaek"));

        // Ctrl+F: the find window, without waiting.
        QTest::keyClick(t, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(app.w->editing()->findReplace()->dlgFind->isVisible());
        app.w->editing()->findReplace()->dlgFind->close();
    }

    void pageWidthFollowsThePanelAndTheMargins() {
        Started app;
        TfrmEdit* w = app.w;
        w->PlanMargins = {0.5, 1, 1, 1};
        w->showNormal();
        w->resize(700, 500);
        QApplication::processEvents();
        // No printer: the whole sheet of A4 (8.27 by 11.69 inches) less the margins.
        QVERIFY(qAbs(w->TextAreaWidth - 6.77) < 1e-6);
        QCOMPARE(app.t->DocWidth(), int(std::lround(6.77 * 1440)));
        QCOMPARE(app.t->PageHeight(), int(std::lround(9.69 * 1440)));
        w->PlanMargins = {1, 1, 1, 1.24};
        w->menus().mnuWordWrap->trigger();
        QVERIFY(w->menus().mnuWordWrap->isChecked());
        QVERIFY(qAbs(w->TextAreaHeight - 9.45) < 1e-6);
        QCOMPARE(app.t->PageHeight(), int(std::lround(9.45 * 1440)));
    }

    void fontDialogWritesBackOnlyWhenConfirmed() {
        Started app;
        TextControl* t = app.t;
        t->setSelStart(0);
        t->setSelLength(3);
        const int size = int(t->FontSize());
        {
            ModalAnswer cancel([](QWidget* d) {
                auto* fd = qobject_cast<QFontDialog*>(d);
                QFont f = fd->currentFont();
                f.setPointSize(30);
                fd->setCurrentFont(f);
                fd->reject();
            });
            QTest::keyClick(t, Qt::Key_F3);
            QVERIFY(cancel.wasAnswered());
        }
        QCOMPARE(int(t->FontSize()), size);
        bool sawDialogState = false;
        ModalAnswer accept([&sawDialogState](QWidget* d) {
            auto* fd = qobject_cast<QFontDialog*>(d);
            auto* colour = d->findChild<QComboBox*>(QStringLiteral("cmbColour"));
            sawDialogState = fd && colour && d->objectName() == QLatin1String("FontDialog1");
            QFont f = fd->currentFont();
            f.setPointSize(24);
            f.setItalic(true);
            fd->setCurrentFont(f);
            colour->setCurrentIndex(colour->findText(QStringLiteral("Red")));
            fd->accept();
        });
        app.w->menus().mnuFont->trigger();
        QVERIFY(accept.wasAnswered());
        QVERIFY(sawDialogState);
        QCOMPARE(int(t->FontSize()), 24);
        QCOMPARE(t->FontItalic(), -1);
        QCOMPARE(t->FontColor(), 255);
    }

    // A user makes a plan, types over its first blue prompt and saves with Ctrl+S: the file
    // holds the words as their own black, untagged text in the prompt's place.
    void typedOverPromptIsSavedAsUserText() {
        TestEnv env;
        {
            IniFile ini(Folders::settingsFile());
            ini.writeString(QStringLiteral("bps"), QStringLiteral("tips"), QStringLiteral("0"));
        }
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
        // A window nobody expected is closed rather than left to hang the test.
        QString unexpected;
        QTimer watchdog;
        watchdog.setInterval(3000);
        connect(&watchdog, &QTimer::timeout, [&unexpected] {
            if (QWidget* m = QApplication::activeModalWidget()) {
                unexpected += QString::fromLatin1(m->metaObject()->className()) + u' ';
                m->close();
            }
        });
        watchdog.start();
        Application::startUp({0});
        struct Down {
            ~Down() { Application::shutDown(); }
        } down;
        QVERIFY2(book.allAnswered(), qPrintable(book.seen().join(QLatin1Char(','))));
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected));
        TfrmEdit* w = frmEdit;
        TextControl* t = w->ATX321;
        QVERIFY(!w->PanelAll->isHidden());
        QApplication::setActiveWindow(w);
        t->setFocus();
        QVERIFY(!w->PlanModified);

        // The first prompt, clicked in its middle.
        t->setSelStart(0);
        QVERIFY(t->FIND_HTAG(GuidanceTag::BluePrompt, 1) > 0);
        const int start = t->SelStart();
        const QString prompt = t->SelText();
        QVERIFY(prompt.size() > 4);
        QTextCursor c(t->document());
        c.setPosition(start + 2);
        t->setSelStart(start + 2);
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, t->cursorRect(c).center());
        QCOMPARE(t->SelStart(), start);
        QCOMPARE(t->SelText(), prompt);
        QTest::keyClicks(t, QStringLiteral("Our market"));
        QVERIFY(w->PlanModified);
        QTest::keyClick(t, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!w->PlanModified);

        const QString planFile = env.userDataFolder() + QStringLiteral("2.mp");
        TextControl saved;
        QVERIFY(saved.loadFile(planFile, TextControl::NativeRtf));
        const QString text = saved.toPlainText();
        const int at = int(text.indexOf(QStringLiteral("Our market")));
        QVERIFY(at >= 0);
        QVERIFY(!text.mid(at).startsWith(QStringLiteral("Our market") + prompt));
        for (int p = at + 1; p <= at + 10; ++p) {
            saved.setSelStart(p);
            QCOMPARE(saved.HTag(), GuidanceTag::UserText);
            QCOMPARE(saved.FontColor(), kBlackText);
        }
    }
};

QTEST_MAIN(TestEditCommands)
#include "tst_editcommands.moc"
