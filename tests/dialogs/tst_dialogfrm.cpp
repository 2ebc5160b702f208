#include "dialogs/dialogfrm.h"
#include "platform/folders.h"
#include "platform/helpsystem.h"
#include "support/modal.h"
#include "support/testenv.h"

#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QWindow>

using ButtonLefts = QMap<QString, int>;

namespace {

const char* const kButtonNames[] = {"cmdOk",    "cmdYes", "cmdNo",     "cmdRetry",
                                    "cmdAbort", "cmdAll", "cmdCancel", "cmdHelp"};

// Buttons laid out, in slot order, as name -> left.
QMap<QString, int> shownButtons(TfrmDialog* d) {
    QMap<QString, int> m;
    for (const char* name : kButtonNames) {
        auto* b = d->findChild<QPushButton*>(name);
        if (b && !b->isHidden()) m.insert(name, b->x());
    }
    return m;
}

QStringList shownIcons(TfrmDialog* d) {
    QStringList icons;
    for (const char* name : {"expInfo", "expConf", "expError", "expWarn"})
        if (!d->findChild<QLabel*>(name)->isHidden()) icons << name;
    return icons;
}

void pressOnFocus(QWidget* window, int key) {
    QWidget* target = window->focusWidget() ? window->focusWidget() : window;
    pressKey(target, key);
}

} // namespace

class TestDialogFrm : public QObject {
    Q_OBJECT
private slots:
    void layoutOfTheButtons_data() {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("width");
        QTest::addColumn<ButtonLefts>("lefts");
        QTest::newRow("Yes No Cancel")
            << (mbYes | mbNo | mbCancel) << 308
            << QMap<QString, int>{{"cmdYes", 32}, {"cmdNo", 109}, {"cmdCancel", 186}};
        QTest::newRow("OK") << int(mbOK) << 275 << QMap<QString, int>{{"cmdOk", 93}};
        // 275 / 3 = 91.67: spacing 92.
        QTest::newRow("Yes No") << (mbYes | mbNo) << 275
                                << QMap<QString, int>{{"cmdYes", 47}, {"cmdNo", 139}};
        QTest::newRow("all eight")
            << (mbYes | mbNo | mbOK | mbCancel | mbAbort | mbRetry | mbAll | mbHelp) << 808
            << QMap<QString, int>{{"cmdOk", 45},      {"cmdYes", 135},   {"cmdNo", 225},
                                  {"cmdRetry", 315},  {"cmdAbort", 405}, {"cmdAll", 495},
                                  {"cmdCancel", 585}, {"cmdHelp", 675}};
        // 64 is no button; Abort, Retry, Ignore-less: 3 buttons.
        QTest::newRow("Abort Retry Cancel + 64")
            << (mbAbort | mbRetry | mbCancel | 64) << 308
            << QMap<QString, int>{{"cmdRetry", 32}, {"cmdAbort", 109}, {"cmdCancel", 186}};
        QTest::newRow("no buttons") << 0 << 275 << QMap<QString, int>{};
    }
    void layoutOfTheButtons() {
        QFETCH(int, buttons);
        QFETCH(int, width);
        QFETCH(ButtonLefts, lefts);
        TfrmDialog d;
        d.prepare("Save?", mtConfirmation, buttons, 0, 0);
        QCOMPARE(d.width(), width);
        QCOMPARE(d.height(), 71);
        QCOMPARE(shownButtons(&d), lefts);
        for (const char* name : kButtonNames) {
            auto* b = d.findChild<QPushButton*>(name);
            QCOMPARE(b->size(), QSize(73, 25));
            if (!b->isHidden()) QCOMPARE(b->y(), 43);
        }
        QCOMPARE(d.dlgLabel->pos(), QPoint(52, 8));
        QCOMPARE(d.dlgLabel->width(), width - 122);
    }

    void slotSpacingRoundsHalvesToEven() {
        QCOMPARE(TfrmDialog::slotSpacing(308, 3), 77);
        QCOMPARE(TfrmDialog::slotSpacing(275, 1), 138); // 137.5
        QCOMPARE(TfrmDialog::slotSpacing(275, 2), 92);  // 91.67
        QCOMPARE(TfrmDialog::slotSpacing(5, 1), 2);     // 2.5
        QCOMPARE(TfrmDialog::slotSpacing(7, 1), 4);     // 3.5
        QCOMPARE(TfrmDialog::slotSpacing(808, 8), 90);  // 89.78
        QCOMPARE(TfrmDialog::slotSpacing(275, 0), 275);
    }

    void heightFollowsTheLines() {
        TfrmDialog d;
        d.prepare("One line", mtInformation, mbOK, mbOK, 0);
        const int oneLine = d.dlgLabel->height();
        QCOMPARE(d.height(), 71);
        d.prepare("The first line\nand the second", mtInformation, mbOK, mbOK, 0);
        QVERIFY(d.dlgLabel->height() > oneLine);
        QCOMPARE(d.height(), d.dlgLabel->height() + 58);
        QCOMPARE(d.cmdOk->y(), d.height() - 28);
        // The buttons stay below the text.
        QVERIFY(d.cmdOk->y() > d.dlgLabel->geometry().bottom());
        d.prepare("1\n2\n3\n4", mtInformation, mbOK, mbOK, 0);
        QCOMPARE(d.height(), d.dlgLabel->height() + 58);
        QVERIFY(d.height() > 71 + 2 * oneLine);
    }

    void wideMessageWidensTheWindow() {
        TfrmDialog d;
        const QString text = QString("A very long message ").repeated(8);
        d.prepare(text, mtWarning, mbYes | mbNo | mbCancel, mbYes, 0);
        const int textWidth = d.dlgLabel->fontMetrics().horizontalAdvance(text);
        QVERIFY(d.width() > 308);
        QVERIFY(d.dlgLabel->width() >= textWidth);
        QCOMPARE(d.dlgLabel->width(), d.width() - 122);
        const int dd = TfrmDialog::slotSpacing(d.width(), 3);
        QCOMPARE(d.cmdYes->x(), dd - 45);
        QCOMPARE(d.cmdCancel->x(), 3 * dd - 45);
    }

    void kindSetsIconAndCaption() {
        TfrmDialog d;
        const struct {
            int kind;
            const char* icon;
            const char* caption;
        } kinds[] = {{mtWarning, "expWarn", "Warning"},
                     {mtError, "expError", "Error"},
                     {mtInformation, "expInfo", "Information"},
                     {mtConfirmation, "expConf", "Confirmation"}};
        for (const auto& k : kinds) {
            d.prepare("x", k.kind, mbOK, mbOK, 0);
            QCOMPARE(shownIcons(&d), QStringList{k.icon});
            QCOMPARE(d.windowTitle(), QString(k.caption));
            QVERIFY(!d.findChild<QLabel*>(k.icon)->pixmap().isNull());
        }
        // Another kind: no icon, the caption stays.
        d.prepare("x", 9, mbOK, mbOK, 0);
        QVERIFY(shownIcons(&d).isEmpty());
        QCOMPARE(d.windowTitle(), QString("Confirmation"));
    }

    void messageIsShownAsWritten() {
        TfrmDialog d;
        d.prepare("Plan <b>A&B</b>", mtWarning, mbOK, mbOK, 0);
        QCOMPARE(d.dlgLabel->text(), QString("Plan <b>A&B</b>"));
        QCOMPARE(d.dlgLabel->textFormat(), Qt::PlainText);
    }

    void enterAndEscapeWithOk() {
        ModalAnswer enter([](QWidget* w) { pressOnFocus(w, Qt::Key_Return); });
        QCOMPARE(ShowMessageDialog("Search finished.", mtInformation, mbOK, mbOK, 0), int(mrOk));
        QVERIFY(enter.wasAnswered());
        QVERIFY(frmDialog()->endedByButton());

        ModalAnswer esc([](QWidget* w) { pressOnFocus(w, Qt::Key_Escape); });
        QCOMPARE(ShowMessageDialog("Search finished.", mtInformation, mbOK, mbOK, 0), int(mrNone));
        QVERIFY(esc.wasAnswered());
        QVERIFY(!frmDialog()->endedByButton());
    }

    void yesNoCancelDefaultAndCloseBox() {
        QString title;
        bool yesDefault = false, othersNot = true, centred = false;
        ModalAnswer enter([&](QWidget* w) {
            auto* d = static_cast<TfrmDialog*>(w);
            title = d->windowTitle();
            yesDefault = d->cmdYes->isDefault();
            othersNot = !d->cmdNo->isDefault() && !d->cmdCancel->isDefault();
            const QRect area = d->screen()->availableGeometry();
            const QPoint c = d->frameGeometry().center();
            centred = qAbs(c.x() - area.center().x()) <= 3 && qAbs(c.y() - area.center().y()) <= 3;
            if (!centred) qWarning() << d->geometry() << d->frameGeometry() << area;
            pressOnFocus(w, Qt::Key_Enter);
        });
        QCOMPARE(ShowMessageDialog("Do you want to save the changes to this plan?", mtConfirmation,
                                   mbYes | mbNo | mbCancel, mbYes, 0),
                 int(mrYes));
        QVERIFY(enter.wasAnswered());
        QCOMPARE(title, QString("Confirmation"));
        QVERIFY(yesDefault);
        QVERIFY(othersNot);
        QVERIFY(centred);

        ModalAnswer close([](QWidget* w) { w->close(); });
        QCOMPARE(ShowMessageDialog("Do you want to save the changes to this plan?", mtConfirmation,
                                   mbYes | mbNo | mbCancel, mbYes, 0),
                 int(mrNone));
        QVERIFY(close.wasAnswered());

        // Deleting asks with No as the default: Enter must not delete.
        ModalAnswer no([](QWidget* w) { pressOnFocus(w, Qt::Key_Return); });
        QCOMPARE(ShowMessageDialog("Delete the plan?", mtWarning, mbYes | mbNo, mbNo, 0),
                 int(mrNo));
        QVERIFY(no.wasAnswered());
    }

    void eachButtonGivesItsResult_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("result");
        QTest::newRow("OK") << "cmdOk" << int(mrOk);
        QTest::newRow("Cancel") << "cmdCancel" << int(mrCancel);
        QTest::newRow("Abort") << "cmdAbort" << int(mrAbort);
        QTest::newRow("Retry") << "cmdRetry" << int(mrRetry);
        QTest::newRow("Yes") << "cmdYes" << int(mrYes);
        QTest::newRow("No") << "cmdNo" << int(mrNo);
        QTest::newRow("All") << "cmdAll" << int(mrAll);
    }
    void eachButtonGivesItsResult() {
        QFETCH(QString, button);
        QFETCH(int, result);
        ModalAnswer click([&](QWidget* w) { QVERIFY(clickButton(w, button)); });
        QCOMPARE(ShowMessageDialog("Pick one", mtConfirmation, 0x1BF, 0, 0), result);
        QVERIFY(click.wasAnswered());
        QCOMPARE(frmDialog()->lastResult(), result);
    }

    void secondCallStartsAfresh() {
        ModalAnswer first([](QWidget* w) { clickButton(w, "cmdNo"); });
        QCOMPARE(ShowMessageDialog("Save?", mtConfirmation, mbYes | mbNo | mbCancel, mbYes, 0),
                 int(mrNo));
        QVERIFY(first.wasAnswered());

        QMap<QString, int> buttons;
        bool okDefault = false, yesDefault = true;
        QStringList icons;
        int width = 0;
        ModalAnswer second([&](QWidget* w) {
            auto* d = static_cast<TfrmDialog*>(w);
            buttons = shownButtons(d);
            okDefault = d->cmdOk->isDefault();
            yesDefault = d->cmdYes->isDefault();
            icons = shownIcons(d);
            width = d->width();
            pressOnFocus(w, Qt::Key_Return);
        });
        QCOMPARE(ShowError("Unable to write to /tmp/x"), int(mrOk));
        QVERIFY(second.wasAnswered());
        QCOMPARE(buttons, (QMap<QString, int>{{"cmdOk", 93}}));
        QVERIFY(okDefault);
        QVERIFY(!yesDefault);
        QCOMPARE(icons, QStringList{"expError"});
        QCOMPARE(width, 275);
    }

    void helpOpensTheContextAndKeepsTheQuestion() {
        TestEnv env;
        const QString help = Folders::resolve(env.dataFolder() + "qmphelp.hlp");
        QFile::remove(help);
        QVERIFY(QFile::copy(TANDEL_TEST_DATA_DIR "/sample.hlp", help));
        HelpSystem::instance().setHelpFile("qmphelp.hlp");
        bool stillOpen = false;
        int context = 0;
        bool topicShown = false;
        ModalAnswer answer([&](QWidget* w) {
            QVERIFY(clickButton(w, "cmdHelp"));
            stillOpen = w->isVisible();
            HelpViewer* v = HelpSystem::instance().viewer();
            context = v ? v->currentContext() : -1;
            topicShown = v && v->isVisible() && v->showsTopic();
            clickButton(w, "cmdOk");
        });
        QCOMPARE(ShowMessageDialog("Name the plan.", mtWarning, mbOK | mbHelp, mbOK, 7), int(mrOk));
        QVERIFY(answer.wasAnswered());
        QVERIFY(stillOpen);
        QCOMPARE(context, 7);
        QVERIFY(topicShown);
        HelpSystem::instance().viewer()->hide();
    }

    void messageWhileAnotherIsOpen() {
        int inner = -1;
        QMap<QString, int> outerAfter;
        ModalAnswer outer([&](QWidget* w) {
            ModalAnswer nested([](QWidget* n) { clickButton(n, "cmdOk"); });
            inner = ShowError("Printing failed to start with the error code: 3");
            outerAfter = shownButtons(static_cast<TfrmDialog*>(w));
            clickButton(w, "cmdCancel");
        });
        QCOMPARE(ShowMessageDialog("Save?", mtConfirmation, mbYes | mbNo | mbCancel, mbYes, 0),
                 int(mrCancel));
        QVERIFY(outer.wasAnswered());
        QCOMPARE(inner, int(mrOk));
        QCOMPARE(outerAfter,
                 (QMap<QString, int>{{"cmdYes", 32}, {"cmdNo", 109}, {"cmdCancel", 186}}));
    }

    void anAnswerThatLeavesTheWindowOpenFails() {
        ModalAnswer forgetful([](QWidget*) {}, 300);
        QCOMPARE(ShowMessageDialog("Save?", mtConfirmation, mbYes | mbNo, mbYes, 0), int(mrNone));
        QVERIFY(!forgetful.wasAnswered());
        QVERIFY(forgetful.failure().contains("Confirmation"));
    }

    void staysAboveTheWindowThatAsks() {
        QWidget main;
        main.setWindowTitle("Main");
        main.show();
        QApplication::setActiveWindow(&main);
        QVERIFY(QTest::qWaitForWindowActive(&main));
        QWindow* parent = nullptr;
        ModalAnswer answer([&](QWidget* w) {
            parent = w->windowHandle()->transientParent();
            clickButton(w, "cmdOk");
        });
        QCOMPARE(ShowError("Failed."), int(mrOk));
        QVERIFY(answer.wasAnswered());
        QCOMPARE(parent, main.windowHandle());
    }

    void informationAndNotice() {
        QString title;
        QStringList icons;
        ModalAnswer info([&](QWidget* w) {
            title = w->windowTitle();
            icons = shownIcons(static_cast<TfrmDialog*>(w));
            clickButton(w, "cmdOk");
        });
        QCOMPARE(ShowInformation("The search is complete."), int(mrOk));
        QVERIFY(info.wasAnswered());
        QCOMPARE(title, QString("Information"));
        QCOMPARE(icons, QStringList{"expInfo"});

        QString noticeText;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        int buttons = 0;
        ModalAnswer notice([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            QVERIFY(box);
            noticeText = box->text();
            icon = box->icon();
            buttons = box->buttons().size();
            box->button(QMessageBox::Ok)->click();
        });
        ShowNotice("Please install the example help disk included with Tandel Zurozurov Irod.");
        QVERIFY(notice.wasAnswered());
        QCOMPARE(notice.windowTitle(), QString("Information"));
        QCOMPARE(noticeText, QString("Please install the example help disk included with Tandel "
                                     "Zurozurov Irod."));
        QCOMPARE(icon, QMessageBox::Information);
        QCOMPARE(buttons, 1);
    }
};

QTEST_MAIN(TestDialogFrm)
#include "tst_dialogfrm.moc"
