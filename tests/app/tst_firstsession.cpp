// A new owner's first session with the program, driven through its windows: a plan made
// from the shipped template, prompts typed over on the title page and in other sections,
// tables, undo, saving. Each case goes where a fault was once met that way.

#include "app/editfrm.h"
#include "app/startup.h"
#include "controls/text/tablefunctions.h"
#include "controls/text/tablemodel.h"
#include "controls/text/textformat.h"
#include "controls/text/textcontrol.h"
#include "dialogs/dialogfrm.h"
#include "editor/bluetext.h"
#include "editor/cal.h"
#include "editor/dlgcells.h"
#include "editor/editcommands.h"
#include "editor/tblfrm.h"
#include "editor/updown.h"
#include "plans/answers.h"
#include "plans/lifecycle.h"
#include "plans/navigator.h"
#include "plans/planheader.h"
#include "platform/folders.h"
#include "platform/inifile.h"
#include "platform/printerinfo.h"
#include "support/modal.h"
#include "support/testenv.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextTable>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

namespace {

// The program started as a new owner starts it: the open window at once, "&New", a name,
// the company and unit names, OK. The plan then shows its title page.
struct FirstSession {
    TestEnv env;
    TfrmEdit* w = nullptr;
    TextControl* t = nullptr;
    QString unexpected; // windows nobody expected, closed by the watchdog

    FirstSession() {
        IniFile(Folders::settingsFile())
            .writeString(QStringLiteral("bps"), QStringLiteral("tips"), QStringLiteral("0"));
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
        QTimer watchdog;
        watchdog.setInterval(3000);
        QObject::connect(&watchdog, &QTimer::timeout, [this] {
            if (QWidget* m = QApplication::activeModalWidget()) {
                unexpected += QString::fromLatin1(m->metaObject()->className()) + u' ';
                m->close();
            }
        });
        watchdog.start();
        Application::startUp({0});
        w = frmEdit;
        t = w->ATX321;
        w->resize(1000, 720);
        QApplication::setActiveWindow(w);
        t->setFocus();
        QTest::qWait(50);
    }
    ~FirstSession() { Application::shutDown(); }

    bool started() const { return w && !w->PanelAll->isHidden() && unexpected.isEmpty(); }

    int indexOf(const QString& s, int from = 0) const {
        return int(t->toPlainText().indexOf(s, from));
    }
    QPoint pointAt(int position) const {
        QTextCursor c(t->document());
        c.setPosition(position);
        return t->cursorRect(c).center();
    }
    void click(int position) {
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, pointAt(position));
    }
    void doubleClick(int position) {
        // A double-click comes after the first click of the pair.
        click(position);
        QTest::mouseDClick(t->viewport(), Qt::LeftButton, {}, pointAt(position));
    }
    void key(int k, Qt::KeyboardModifiers mods = {}) { QTest::keyClick(t, Qt::Key(k), mods); }
    void type(const QString& s) { QTest::keyClicks(t, s); }

    // The first and one past the last character on screen.
    int firstShown() const { return t->cursorForPosition(QPoint(1, 1)).position(); }
    int lastShown() const {
        const QRect r = t->viewport()->rect();
        return t->cursorForPosition(QPoint(r.right() - 1, r.bottom() - 1)).position();
    }
    bool caretShown() const { return t->viewport()->rect().contains(t->cursorRect()); }

    void goToSection(const QString& title) {
        Navigator* nav = w->navigator();
        for (int n = 1; n <= nav->itemCount(); ++n)
            if (nav->itemText(n) == title) {
                w->Outline1->setCurrentIndex(nav->indexOf(n));
                nav->Outline1Click();
                return;
            }
        QFAIL(qPrintable(QStringLiteral("no section ") + title));
    }
    int sectionShown() const { return w->navigator()->selectedItem(); }
};

// The text of the program's message window, answered with OK.
QString answerMessage(QWidget* dialog) {
    auto* d = qobject_cast<TfrmDialog*>(dialog);
    const QString text = d && d->dlgLabel ? d->dlgLabel->text() : QString();
    clickButton(dialog, QStringLiteral("cmdOK"));
    if (dialog->isVisible()) dialog->close();
    return text;
}

} // namespace

class TestFirstSession : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { PrinterInfo::setNoPrinterForTesting(); }

    // The title page: "Date of this version: [DATE]", an empty line, then the status
    // choice list. Each prompt is entered, typed over, undone and picked on its own.
    void titlePagePromptsStayApart() {
        FirstSession s;
        QVERIFY2(s.started(), qPrintable(s.unexpected));
        const QString status = QStringLiteral("[Confidential/For internal use only/Draft for "
                                              "discussion]");
        const int author = s.indexOf(QStringLiteral("the name and job title"));
        const int version = s.indexOf(QStringLiteral("Date of this version: "));
        QVERIFY(author > 0 && version > author);
        const int date = s.indexOf(QStringLiteral("[DATE]"), version);
        s.click(author + 5);
        QVERIFY(s.t->SelText().startsWith(QStringLiteral("the name and job title")));
        s.key(Qt::Key_F12);
        QCOMPARE(s.t->SelStart(), date);
        QCOMPARE(s.t->SelText(), QStringLiteral("[DATE]"));
        s.type(QStringLiteral("1 May 2025"));
        QVERIFY(s.t->toPlainText().contains(QStringLiteral("Date of this version: 1 May 2025\n")));
        QVERIFY(s.t->toPlainText().contains(status));
        s.key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(s.indexOf(QStringLiteral("[DATE]"), version), date);

        // A double-click on the date opens the calendar and takes nothing away.
        const QString before = s.t->toPlainText();
        s.doubleClick(date + 3);
        QVERIFY(frmCal->isVisible());
        frmCal->cmdCancelClick();
        QCOMPARE(s.t->toPlainText(), before);

        // A double-click on one option keeps that option alone, on its own line.
        const int draft = s.indexOf(QStringLiteral("Draft for"));
        s.doubleClick(draft + 2);
        QVERIFY2(s.t->toPlainText().contains(QStringLiteral("Date of this version: [DATE]\n")),
                 qPrintable(s.t->toPlainText().left(400)));
        QVERIFY(s.t->toPlainText().contains(QStringLiteral("\nStatus: Draft for discussion\n")));
    }

    // Saving keeps the user where they were: the caret, its section, the text on screen.
    void saveKeepsTheView() {
        FirstSession s;
        QVERIFY2(s.started(), qPrintable(s.unexpected));
        s.goToSection(QStringLiteral("Appendices"));
        const int section = s.sectionShown();
        const int prompt = s.t->FIND_HTAG(GuidanceTag::BluePrompt, 1) - 1;
        QVERIFY(prompt > 0);
        s.click(prompt + 2);
        QVERIFY(s.t->SelLength() > 0);
        s.type(QStringLiteral("Our price list."));
        const int caret = s.t->SelStart();
        const int top = s.firstShown();
        QVERIFY(s.caretShown());
        QCOMPARE(QApplication::focusWidget(), s.t);
        s.key(Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!s.w->PlanModified);
        QTest::qWait(50);
        QCOMPARE(QApplication::focusWidget(), s.t); // typing goes on where it was
        QCOMPARE(s.t->SelStart(), caret);
        QCOMPARE(s.sectionShown(), section);
        QVERIFY(s.caretShown());
        QVERIFY2(qAbs(s.firstShown() - top) < 40,
                 qPrintable(QStringLiteral("%1 -> %2").arg(top).arg(s.firstShown())));
    }

    // A key that reaches the plan text while it is being saved (the whole text is
    // selected then) neither replaces the plan nor reaches its file. (Keys the user types
    // meanwhile wait until the save is done; one sent to the text directly stands in for
    // any that would get through.)
    void keysDuringASaveNeverReachTheFile() {
        FirstSession s;
        QVERIFY2(s.started(), qPrintable(s.unexpected));
        const QString plan = s.t->toPlainText();
        bool sent = false;
        QTimer::singleShot(0, s.t, [&] {
            QTest::keyPress(s.t, Qt::Key_Z);
            sent = true;
        });
        s.w->lifecycle()->mnuSaveClick();
        QVERIFY(sent);
        QVERIFY(!s.w->PlanModified);
        QCOMPARE(s.t->toPlainText(), plan);
        TextControl saved;
        QVERIFY(saved.loadFile(s.w->CurrentPlanFile, TextControl::NativeRtf));
        QCOMPARE(saved.toPlainText(), saved.toPlainText().left(PlanHeader::Length) + plan);
        saved.setSelStart(PlanHeader::Length);
        QVERIFY(saved.FIND_HTAG(GuidanceTag::BluePrompt, 1) > 0); // prompts are still prompts
        QCOMPARE(saved.FontColor(), kBlueText);
    }

    // Table commands leave the view where the user was and show what they made.
    void tableCommandsKeepTheView() {
        FirstSession s;
        QVERIFY2(s.started(), qPrintable(s.unexpected));
        s.goToSection(QStringLiteral("Market Segments"));
        const int heading = s.t->SelStart() > 0 ? s.t->SelStart() : s.firstShown();
        s.click(s.indexOf(QStringLiteral("Market Segments"), heading - 20) + 15);
        const int top = s.firstShown();
        QVERIFY(top > 1000);
        ModalAnswer size([](QWidget* d) {
            setEditText(d, QStringLiteral("txtRows"), QStringLiteral("3"));
            setEditText(d, QStringLiteral("txtColumns"), QStringLiteral("3"));
            clickButton(d, QStringLiteral("cmdOK"));
        });
        s.w->menus().InsertTable1->trigger();
        QVERIFY(size.wasAnswered());

        QCOMPARE(ATX_TABLEROWS(s.t), 3);
        QVERIFY(s.caretShown());
        QVERIFY2(qAbs(s.firstShown() - top) < 200,
                 qPrintable(QStringLiteral("%1 -> %2").arg(top).arg(s.firstShown())));
        for (QAction* command : {s.w->menus().InsertRow1, s.w->menus().SelectRow1, s.w->menus().MergeCells1}) {
            command->trigger();
            QVERIFY2(s.caretShown(), qPrintable(command->objectName()));
            QVERIFY2(qAbs(s.firstShown() - top) < 200, qPrintable(command->objectName()));
        }
        QCOMPARE(ATX_TABLEROWS(s.t), 4);
    }

    // "Cell Height and Width" on one cell: its column takes the width in every row; a
    // width that would take the table past the text is refused and may be corrected.
    void columnWidthAppliesToTheColumn() {
        FirstSession s;
        QVERIFY2(s.started(), qPrintable(s.unexpected));
        s.goToSection(QStringLiteral("Market Segments"));
        ModalAnswer size([](QWidget* d) { clickButton(d, QStringLiteral("cmdOK")); });
        s.w->menus().InsertTable1->trigger(); // 2 x 2 across the text
        QVERIFY(size.wasAnswered());
        QTextTable* table = s.t->textCursor().currentTable();
        QVERIFY(table);
        const QList<int> before = rowBounds(table, 1);
        ATX_SETCURTABLEROW(s.t, 1, 0, 0);
        ATX_SETCURTABLEROWCELL(s.t, 0, 0, 0);
        QString refusal;
        bool stayedOpen = false;
        ModalAnswer widths([&](QWidget* d) {
            auto* dialog = qobject_cast<Tcellsdlg*>(d);
            dialog->udWidth->setPosition(111); // the arrow steps 2 mm: to 11.3 cm
            dialog->udWidth->stepUp();
            QCOMPARE(dialog->txtWidth->text(), QStringLiteral("11.3 cm"));
            {
                ModalAnswer message([&](QWidget* m) { refusal = answerMessage(m); });
                clickButton(d, QStringLiteral("cmdOK"));
            }
            stayedOpen = d->isVisible();
            dialog->udWidth->setPosition(38);
            dialog->udWidth->stepUp(); // 4 cm
            clickButton(d, QStringLiteral("cmdOK"));
        });
        s.w->menus().CellHeightandWidth1->trigger();
        QVERIFY(widths.wasAnswered());

        QVERIFY2(refusal.contains(QStringLiteral("past the edge of the text")), qPrintable(refusal));
        QVERIFY(stayedOpen);
        table = s.t->textCursor().currentTable();
        const int fourCm = Tcellsdlg::centimetresToTwips(4.0);
        for (int row = 0; row < 2; ++row) {
            const QList<int> bounds = rowBounds(table, row);
            QCOMPARE(bounds.at(1), fourCm);
            QCOMPARE(bounds.at(2) - bounds.at(1), before.at(2) - before.at(1)); // kept its own
            QVERIFY(bounds.last() <= s.t->DocWidth());
        }
        QVERIFY(s.w->PlanModified);
    }

    // One Ctrl+Z brings a typed-over prompt back as it was; Ctrl+Y and Ctrl+Shift+Z do the
    // typing again. Undoing far from the view goes there.
    void oneUndoBringsThePromptBack() {
        FirstSession s;
        QVERIFY2(s.started(), qPrintable(s.unexpected));
        s.goToSection(QStringLiteral("Mission Statement"));
        const int start = s.t->FIND_HTAG(GuidanceTag::BluePrompt, 1) - 1;
        QVERIFY(start > 0);
        const QString prompt = s.t->SelText();
        const int colour = s.t->FontColor();
        s.t->setSelStart(start + 2);
        s.click(start + 2);
        QCOMPARE(s.t->SelText(), prompt);
        const QString before = s.t->toPlainText();
        s.type(QStringLiteral("We bake bread."));
        QCOMPARE(s.t->SelStart(), start + 14);
        QVERIFY(s.caretShown());
        const QString typed = s.t->toPlainText();

        s.key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(s.t->toPlainText(), before);
        for (int p = start; p < start + prompt.size(); p += 3) {
            QTextCursor c(s.t->document());
            c.setPosition(p + 1);
            QCOMPARE(c.charFormat().intProperty(TextFormat::HTagProperty), 1);
            QCOMPARE(TextFormat::toWinColor(c.charFormat().foreground().color()), colour);
        }
        QCOMPARE(s.t->SelText(), prompt); // entered again, ready to be typed over

        s.key(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(s.t->toPlainText(), typed);
        s.key(Qt::Key_Z, Qt::ControlModifier);
        s.key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(s.t->toPlainText(), typed);
        QVERIFY(s.w->menus().mnuEdit->actions().contains(s.w->menus().mnuRedo));

        // From the last section, the undo goes back to the Mission Statement.
        const int mission = s.sectionShown();
        s.w->navigator()->btnLastClick();
        QVERIFY(!s.t->viewport()->rect().contains(s.pointAt(start)));
        s.key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(s.t->toPlainText(), before);
        QVERIFY(s.t->viewport()->rect().contains(s.pointAt(start)));
        QCOMPARE(s.sectionShown(), mission);
    }

    // Tab in a table goes to the next cell, Shift+Tab back; Tab in the last cell adds a row.
    void tabMovesThroughATable() {
        FirstSession s;
        QVERIFY2(s.started(), qPrintable(s.unexpected));
        s.goToSection(QStringLiteral("Action Plan"));
        ModalAnswer size([](QWidget* d) { clickButton(d, QStringLiteral("cmdOK")); });
        s.w->menus().InsertTable1->trigger();
        QVERIFY(size.wasAnswered());
        for (const char* word : {"Task", "Who", "Leaflets", "Anna"}) {
            s.type(word);
            s.key(Qt::Key_Tab);
        }
        QTextTable* table = s.t->textCursor().currentTable();
        QVERIFY(table);
        QCOMPARE(table->rows(), 3);
        s.type(QStringLiteral("Website"));
        s.key(Qt::Key_Backtab);
        s.type(QStringLiteral(" B"));
        table = s.t->textCursor().currentTable();
        const QStringList expected{"Task", "Who", "Leaflets", "Anna B", "Website", ""};
        for (int i = 0; i < 6; ++i) {
            QTextTableCell cell = table->cellAt(i / 2, i % 2);
            QTextCursor c(cell.firstCursorPosition());
            c.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
            QCOMPARE(c.selectedText(), expected.at(i));
        }
        QVERIFY(!s.t->toPlainText().contains(QLatin1Char('\t')));
    }

    // The navigator, the guidance and the toolbar follow every way the caret moves.
    void toolbarAndNavigatorFollowCtrlMoves() {
        FirstSession s;
        QVERIFY2(s.started(), qPrintable(s.unexpected));
        Navigator* nav = s.w->navigator();
        s.key(Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(s.sectionShown(), nav->itemCount());
        QCOMPARE(nav->ShownSectionNode(), nav->itemCount());
        s.key(Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(s.sectionShown(), 1);
        QCOMPARE(nav->ShownSectionNode(), 1);
        // The title is centred and large.
        QVERIFY(s.w->cmdCenter->isChecked());
        const QString size = QString::number(s.t->FontSize(), 'g', 4);
        QCOMPARE(s.w->cmbFontSize->currentText(), size);
        // A size the box refuses does not stay in it.
        s.w->cmbFontSize->setFocus();
        s.w->cmbFontSize->lineEdit()->selectAll();
        QTest::keyClicks(s.w->cmbFontSize->lineEdit(), QStringLiteral("999"));
        QTest::keyClick(s.w->cmbFontSize->lineEdit(), Qt::Key_Return);
        QCOMPARE(s.w->cmbFontSize->currentText(), size);
        QCOMPARE(QString::number(s.t->FontSize(), 'g', 4), size);
    }
};

QTEST_MAIN(TestFirstSession)
#include "tst_firstsession.moc"
