// The analysis windows driven as a user drives them: factors added and deleted, weights
// and ratings set, the messages they give, and how each way of leaving moves the caret.
#include "analysis/cafrm.h"
#include "analysis/factorfile.h"
#include "analysis/kfsfrm.h"
#include "analysis/swfrm.h"
#include "analysis/swotfrm.h"
#include "controls/text/textcontrol.h"
#include "dialogs/dialogfrm.h"
#include "platform/inifile.h"
#include "support/modal.h"
#include "freshfiles.h"
#include "support/testenv.h"
#include "widgets/metergauge.h"
#include "widgets/stringgrid.h"

#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

// The text of a message window, whichever kind it is.
QString messageText(QWidget* w) {
    if (auto* box = qobject_cast<QMessageBox*>(w)) return box->text();
    auto* l = child<QLabel>(w, "dlgLabel");
    return l ? l->text() : QString();
}

// Runs `open` (which shows a modal window), answers that window with `answer` and returns
// the text it showed.
QString answered(const std::function<void()>& open, const std::function<void(QWidget*)>& answer) {
    QString text;
    ModalAnswer a([&](QWidget* w) {
        text = messageText(w);
        answer(w);
    });
    open();
    if (!a.wasAnswered()) return QStringLiteral("<no window: %1>").arg(a.failure());
    return text;
}

// Clicks a button and answers every window that comes of it, as a user who types `name`
// into the name window and says OK or Yes to every message; returns the messages.
QStringList clickAnswering(QAbstractButton* button, const QString& name = QString()) {
    QStringList messages;
    bool named = false;
    QPointer<QWidget> handling;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || !w->isVisible() || w == handling) return;
        handling = w;
        // Answered from an event of its own: the answer may open a window, and a timer
        // does not fire while its own handler runs.
        QTimer::singleShot(0, w, [&, w] {
            if (auto* k = qobject_cast<Tfrmkfsname*>(w)) {
                // A name refused once is given up.
                if (named) {
                    k->Button2->click();
                } else {
                    named = true;
                    k->Edit1->setText(name);
                    k->Button1->click();
                }
            } else if (auto* box = qobject_cast<QMessageBox*>(w)) {
                messages << box->text();
                (box->button(QMessageBox::Yes) ? box->button(QMessageBox::Yes)
                                               : box->buttons().first())
                    ->click();
            } else if (qobject_cast<TfrmDialog*>(w)) {
                messages << messageText(w);
                clickButton(w, "cmdOk");
            }
            // The window may come back (the name window after a refusal, the one message
            // window for every message).
            if (!w->isVisible()) handling = nullptr;
        });
    });
    timer.start();
    button->click();
    return messages;
}

// Shows a window for plan "Acme" and runs the user's steps while it is up.
template <typename W> int whileShown(W& window, const std::function<void()>& steps) {
    ModalAnswer a([&](QWidget*) {
        steps();
        if (window.isVisible()) window.done(-1);
    });
    return window.execFor("Acme");
}

TextControl* planText() {
    auto* t = new TextControl;
    t->resize(600, 400);
    t->setPlainText("One\nTwo\nThree\nFour\nFive\nSix\nSeven");
    t->setCurPar(0);
    return t;
}

} // namespace

class TestAnalysisWindows : public QObject {
    Q_OBJECT
private slots:
    void competitorAnalysis() {
        TestEnv env;
        removeAnalysisFiles();
        std::unique_ptr<TextControl> text(planText());
        Tfrmca ca(*text);
        Tfrmkfsname names;
        ca.setNameWindow(&names);

        const int result = whileShown(ca, [&] {
            // No factors yet: only the list, New and the buttons at the foot work.
            QVERIFY(!ca.delbtn->isEnabled() && !ca.SpinEdit1->isEnabled() && !ca.sg1->isEnabled());
            QVERIFY(!ca.up[0]->isEnabled() && ca.Button1->isEnabled());
            QCOMPARE(clickAnswering(ca.Button1), QStringList("No factors have been entered."));
            QVERIFY(ca.isVisible());

            // The name window: its caption and label, empty, OK only with a name.
            answered([&] { ca.newbtn->click(); }, [&](QWidget* w) {
                QCOMPARE(w->windowTitle(), QString("Add new KFS"));
                QCOMPARE(child<QLabel>(w, "Label1")->text(), QString("KFS Name"));
                QVERIFY(child<QLineEdit>(w, "Edit1")->text().isEmpty());
                QVERIFY(!child<QPushButton>(w, "Button1")->isEnabled());
                clickButton(w, "Button2");
            });
            QCOMPARE(clickAnswering(ca.newbtn, "titles"),
                     QStringList("\"titles\" is a name the analysis keeps for its own list of "
                                 "factors. Please choose another name."));
            QCOMPARE(clickAnswering(ca.newbtn, "Price"), QStringList());
            // Listed last, chosen, weight 5 and every gauge at 0.
            QCOMPARE(ca.ComboBox1->currentText(), QString("Price"));
            QCOMPARE(ca.SpinEdit1->value(), 5);
            QCOMPARE(ca.sg1->rowCount(), 2);
            for (int p = 0; p < 4; ++p) {
                QCOMPARE(ca.gaugeRating(p), 0);
                QVERIFY(ca.up[p]->isEnabled() && !ca.down[p]->isEnabled());
            }
            const QByteArray before = readFileBytes(FactorFile::path(Analysis::Competitor));
            QCOMPARE(clickAnswering(ca.newbtn, "PRICE"), QStringList("Factor name already exists."));
            QCOMPARE(readFileBytes(FactorFile::path(Analysis::Competitor)), before);

            ca.SpinEdit1->setValue(100);
            for (int i = 0; i < 7; ++i) ca.up[0]->click();
            for (int i = 0; i < 3; ++i) ca.up[1]->click();
            for (int i = 0; i < 10; ++i) ca.up[3]->click();
            QVERIFY(!ca.up[3]->isEnabled() && ca.down[3]->isEnabled());
            QCOMPARE(ca.value[0]->text(), QString("7"));
            QCOMPARE(ca.meter[0]->percent(), 70);
            // The value label rides on the top of the fill.
            QVERIFY(qAbs(ca.value[0]->geometry().center().y() -
                         (ca.meter[0]->y() + ca.meter[0]->fillTop())) <= 1);
            QCOMPARE(ca.gridRows().last(),
                     QStringList({"Totals", "100", "", "700", "", "300", "", "0", "", "1000"}));
            QVERIFY(ca.sg1->cellBold(0, 1) && !ca.sg1->cellBold(0, 0));
            QCOMPARE(ca.sg1->cellAlignment(0, 1), Qt::AlignLeft);
            QCOMPARE(ca.sg1->cellAlignment(0, 0), Qt::AlignRight);
            QCOMPARE(ca.sg1->cellColour(3, 0), QColor(0, 255, 255));
            QCOMPARE(ca.sg1->cellColour(5, 1), QColor(255, 255, 0));
            ca.cancelbtn->click();
        });
        QCOMPARE(result, int(mrCancel));
        QCOMPARE(text->LineNumber(), 1);

        // Everything was written at once: the next opening shows it. The close box leaves
        // the caret where it is.
        whileShown(ca, [&] {
            QCOMPARE(ca.gaugeRating(0), 7);
            QCOMPARE(ca.gaugeRating(2), 0);
            QVERIFY(ca.up[2]->isEnabled() && !ca.down[2]->isEnabled());
            QCOMPARE(clickAnswering(ca.newbtn, "Service"), QStringList());
            // Weights of 100 and 5 do not sum to 100.
            QCOMPARE(clickAnswering(ca.Button1),
                     QStringList("Adjust weights so that the sum equals 100."));
            QVERIFY(ca.isVisible() && !ca.mayClose());
            ca.close();
        });
        QCOMPARE(text->LineNumber(), 1);
        IniFile ini(FactorFile::path(Analysis::Competitor));
        QCOMPARE(ini.readString("Acme - Price", "s1"), QString("7"));
        QCOMPARE(ini.readString("Acme - Price", "s4"), QString("10"));
    }

    // A value edited into words is reported once; the window goes on working and writes
    // nothing it did not change.
    void storedValueNotANumber() {
        TestEnv env;
        removeAnalysisFiles();
        {
            IniFile ini(FactorFile::path(Analysis::Competitor));
            FactorFile::addFactor(ini, Analysis::Competitor, "Acme", "Price");
            ini.writeString("Acme - Price", "w", "lots");
        }
        std::unique_ptr<TextControl> text(planText());
        Tfrmca ca(*text);
        QString shown;
        ModalAnswer error([&](QWidget* w) {
            shown = messageText(w);
            static_cast<QMessageBox*>(w)->buttons().first()->click();
        });
        whileShown(ca, [&] {
            QVERIFY(error.wasAnswered());
            ca.up[0]->click();
            QCOMPARE(ca.gaugeRating(0), 1);
            ca.cancelbtn->click();
        });
        QCOMPARE(shown, QString("'lots' is not a valid integer value"));
        IniFile ini(FactorFile::path(Analysis::Competitor));
        QCOMPARE(ini.readString("Acme - Price", "w"), QString("lots"));
        QCOMPARE(ini.readString("Acme - Price", "s1"), QString("1"));
    }

    // A message while the window comes up finds it at its full size. Each factor shows its
    // own values only: one whose weight cannot be read and whose rating is out of range
    // shows an empty weight and empty gauges, not the values of the factor before; a plan
    // without factors shows no weight.
    void onlyTheChosenFactorsValuesShow() {
        TestEnv env;
        removeAnalysisFiles();
        {
            IniFile ini(FactorFile::path(Analysis::Competitor));
            FactorFile::addFactor(ini, Analysis::Competitor, "Acme", "Price");
            FactorFile::addFactor(ini, Analysis::Competitor, "Acme", "Quality");
            ini.writeString("Acme - Price", "w", "40");
            ini.writeString("Acme - Price", "s1", "7");
            ini.writeString("Acme - Quality", "w", "lots");
            ini.writeString("Acme - Quality", "s1", "12");
        }
        std::unique_ptr<TextControl> text(planText());
        Tfrmca ca(*text);
        QSize sizeAtError;
        ModalAnswer error([&](QWidget* w) {
            sizeAtError = ca.size();
            static_cast<QMessageBox*>(w)->buttons().first()->click();
        });
        whileShown(ca, [&] {
            QVERIFY(error.wasAnswered());
            QCOMPARE(sizeAtError, ca.size());
            QVERIFY(sizeAtError.width() > 300 && sizeAtError.height() > 300);
            QCOMPARE(ca.SpinEdit1->text(), QString("40"));
            QCOMPARE(ca.gaugeRating(0), 7);
            const QString said = answered(
                [&] {
                    ca.ComboBox1->setCurrentIndex(1);
                    ca.ComboBox1Change();
                },
                [](QWidget* w) { static_cast<QMessageBox*>(w)->buttons().first()->click(); });
            QCOMPARE(said, QString("Error"));
            QCOMPARE(ca.SpinEdit1->text(), QString());
            QCOMPARE(ca.gaugeRating(0), 0);
            QCOMPARE(ca.value[0]->text(), QString());
            ca.ComboBox1->setCurrentIndex(0);
            ca.ComboBox1Change();
            QCOMPARE(ca.SpinEdit1->text(), QString("40"));
            QCOMPARE(ca.value[0]->text(), QString("7"));
            ca.cancelbtn->click();
        });
        QString weightShown = QStringLiteral("<not shown>");
        ModalAnswer empty([&](QWidget*) {
            weightShown = ca.SpinEdit1->text();
            ca.done(-1);
        });
        ca.execFor("Newco");
        QVERIFY(empty.wasAnswered());
        QCOMPARE(weightShown, QString());
    }

    // Plan "Acme" adding the factor "Deli - Price" would have written into the section of
    // plan "Acme - Deli"'s factor "Price", in any of the three analyses.
    void factorNamesCannotReachAnotherPlan() {
        TestEnv env;
        removeAnalysisFiles();
        for (Analysis a : {Analysis::Competitor, Analysis::StrengthWeakness, Analysis::ImpactProbability}) {
            IniFile ini(FactorFile::path(a));
            FactorFile::addFactor(ini, a, "Acme - Deli", "Price");
            ini.writeInteger("Acme - Deli - Price", "w", 7);
        }
        const QString refused = "A factor name cannot contain \" - \" (a dash with a blank on each "
                                "side), nor begin with \"- \" or end with \" -\".";
        std::unique_ptr<TextControl> text(planText());
        Tfrmca ca(*text);
        Tfrmsw sw(*text);
        Tfrmip ip(*text);
        const std::tuple<FactorWindow*, QAbstractButton*, Analysis> windows[] = {
            {&ca, ca.newbtn, Analysis::Competitor},
            {&sw, sw.Button2, Analysis::StrengthWeakness},
            {&ip, ip.Button2, Analysis::ImpactProbability}};
        for (const auto& [window, newButton, analysis] : windows) {
            const QByteArray before = readFileBytes(FactorFile::path(analysis));
            whileShown(*window, [&, w = window, add = newButton] {
                QCOMPARE(clickAnswering(add, "Deli - Price"), QStringList(refused));
                QCOMPARE(clickAnswering(add, "- Price"), QStringList(refused));
                QCOMPARE(w->ComboBox1->count(), 0);
            });
            QCOMPARE(readFileBytes(FactorFile::path(analysis)), before);
            QCOMPARE(IniFile(FactorFile::path(analysis)).readInteger("Acme - Deli - Price", "w", 0), 7);
        }
    }

    void factorScoreWindows() {
        TestEnv env;
        removeAnalysisFiles();
        std::unique_ptr<TextControl> text(planText());
        Tfrmsw sw(*text);
        Tfrmip ip(*text);
        QCOMPARE(sw.windowTitle(), QString("Strength / weakness analysis"));
        QCOMPARE(ip.windowTitle(), QString("Impact / Probability analysis"));
        QCOMPARE(child<QLabel>(&ip, "Label10")->text(), QString("Probability of occurence"));
        QCOMPARE(child<QLabel>(&ip, "Label4")->text(), QString("Prob."));
        QCOMPARE(child<QLabel>(&sw, "Label4")->text(), QString("Weight"));

        const int result = whileShown(sw, [&] {
            QVERIFY(!sw.Button5->isEnabled());
            QCOMPARE(clickAnswering(sw.Button2, "Staff"), QStringList());
            QVERIFY(sw.Button5->isEnabled());
            // A new factor: weighting 1, score 0, its "X" under "0".
            QCOMPARE(sw.SpinEdit1->value(), 1);
            QCOMPARE(sw.SpinEdit2->value(), 0);
            QCOMPARE(sw.gridRows()[0][7], QString("X"));
            sw.SpinEdit1->setValue(4);
            sw.SpinEdit2->setValue(-3);
            QCOMPARE(sw.gridRows()[0],
                     QStringList({"Staff", "4", "", "", "X", "", "", "", "", "", "", "", "", "-12"}));
            QVERIFY(sw.sg1->cellBold(4, 0));
            QCOMPARE(sw.sg1->cellAlignment(4, 0), Qt::AlignHCenter);
            QCOMPARE(sw.sg1->cellAlignment(0, 0), Qt::AlignRight);
            QCOMPARE(clickAnswering(sw.Button2, "staff"), QStringList("Factor name already exists."));
            // Deleting the only factor: no table to insert, weighting 1 and score 0 again.
            QCOMPARE(clickAnswering(sw.Button3),
                     QStringList("Deleted items cannot be recovered.\nContinue?"));
            QCOMPARE(sw.ComboBox1->count(), 0);
            QVERIFY(!sw.Button5->isEnabled());
            QCOMPARE(sw.SpinEdit1->value(), 1);
            QCOMPARE(sw.SpinEdit2->value(), 0);
            QCOMPARE(sw.sg1->rowCount(), 0);
            sw.Button4->click();
        });
        QCOMPARE(result, int(mrCancel));
        QCOMPARE(text->LineNumber(), 1);
        QVERIFY(IniFile(FactorFile::path(Analysis::StrengthWeakness)).sections().isEmpty());
    }

    void swotSummaryWindow() {
        TestEnv env;
        removeAnalysisFiles();
        for (const auto& [analysis, name, w, i] :
             {std::tuple{Analysis::StrengthWeakness, "Staff", 4, 3},
              std::tuple{Analysis::StrengthWeakness, "Premises", 2, -2},
              std::tuple{Analysis::ImpactProbability, "New rival", 10, 0}}) {
            IniFile ini(FactorFile::path(analysis));
            FactorFile::addFactor(ini, analysis, "Acme", name);
            ini.writeInteger(FactorFile::factorSection("Acme", name), "w", w);
            ini.writeInteger(FactorFile::factorSection("Acme", name), "i", i);
        }
        std::unique_ptr<TextControl> text(planText());
        Tfrmsummary summary(*text);
        QCOMPARE(whileShown(summary, [&] {
                     QVERIFY(!summary.sg1->isEnabled());
                     QCOMPARE(summary.gridRows()[1], QStringList({"Staff", "12", "Premises", "-4"}));
                     // An impact of 0 is a threat.
                     QCOMPARE(summary.gridRows()[12], QStringList({"", "", "New rival", "0"}));
                     QVERIFY(summary.sg1->cellBold(0, 11) && summary.sg1->cellBold(2, 0));
                     summary.Button2->click();
                 }),
                 int(mrCancel));
        QCOMPARE(text->LineNumber(), 1);
        QCOMPARE(whileShown(summary, [&] { summary.close(); }), int(mrCancel));
        QCOMPARE(text->LineNumber(), 1);
        QCOMPARE(whileShown(summary, [&] { summary.Button1->click(); }), int(mrOk));
    }

    // A score stored as words is reported as the strength / weakness window reports it,
    // and the factor is left out of the table rather than ranked as a score of 99.
    void swotSummaryLeavesOutNotNumbers() {
        TestEnv env;
        removeAnalysisFiles();
        {
            IniFile ini(FactorFile::path(Analysis::StrengthWeakness));
            FactorFile::addFactor(ini, Analysis::StrengthWeakness, "Acme", "Staff");
            ini.writeInteger("Acme - Staff", "w", 4);
            ini.writeInteger("Acme - Staff", "i", 3);
            FactorFile::addFactor(ini, Analysis::StrengthWeakness, "Acme", "Small premises");
            ini.writeInteger("Acme - Small premises", "w", 6);
            ini.writeString("Acme - Small premises", "i", "minus two");
        }
        std::unique_ptr<TextControl> text(planText());
        Tfrmsummary summary(*text);
        QStringList shown;
        ModalAnswer error([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            shown << (box ? box->text() : QString::fromLatin1(w->metaObject()->className()));
            if (box) box->buttons().first()->click();
            else static_cast<QDialog*>(w)->done(-1); // the summary itself: no message came
        });
        whileShown(summary, [&] {
            QVERIFY(error.wasAnswered());
            QCOMPARE(summary.gridRows()[1], QStringList({"Staff", "12", "", ""}));
            for (const QStringList& row : summary.gridRows())
                QVERIFY2(!row.contains("Small premises"), qPrintable(row.join(u'|')));
            summary.Button1->click();
        });
        QCOMPARE(shown, QStringList("'minus two' is not a valid integer value"));
    }
};

QTEST_MAIN(TestAnalysisWindows)
#include "tst_analysiswindows.moc"
