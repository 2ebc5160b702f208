#include "answers.h"
#include "app/editfrm.h"
#include "app/startup.h"
#include "controls/text/textcontrol.h"
#include "planbuilder.h"
#include "plans/catalogue.h"
#include "plans/lifecycle.h"
#include "plans/navigator.h"
#include "plans/plansession.h"
#include "platform/folders.h"
#include "platform/printerinfo.h"
#include "support/modal.h"
#include "support/planhost.h"
#include "support/testenv.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QTest>
#include <QTreeView>

#include <memory>

namespace {

const QString kHeaderStart = QStringLiteral("000000000001000");

// The editing area with a plan text, pointed at a plan file in the user-data folder; no
// main window around it.
struct PlanWindow {
    TestEnv env;
    PlanHost host;
    PlanState& plan = host.state;
    TextControl* text = nullptr;
    PlanLifecycle* life = nullptr;

    explicit PlanWindow(QTextDocument* planText = nullptr) {
        host.window()->resize(1000, 760);
        host.window()->show();
        QVERIFY(QTest::qWaitForWindowExposed(host.window()));
        host.PanelAll->show();
        text = host.nav.ATX321;
        life = host.lifecycle.get();
        text->adoptDocument(planText ? planText : PlanBuilder::makePlan(3));
        text->setWriteProtect(0);
        text->setFileName(planFile(5));
        life->setPlanLoaded(true);
    }
    QString planFile(int n) const {
        return env.userDataFolder() + QString::number(n) + QStringLiteral(".mp");
    }
};

// The same in the main window, for what its closing asks.
struct MainWindowPlan {
    TestEnv env;
    std::unique_ptr<TfrmEdit> win;
    TextControl* text = nullptr;
    PlanLifecycle* life = nullptr;

    MainWindowPlan() {
        win = std::make_unique<TfrmEdit>();
        win->resize(1000, 760);
        win->show();
        QVERIFY(QTest::qWaitForWindowExposed(win.get()));
        win->PanelAll->show();
        win->SetPlanControls(true);
        text = win->ATX321;
        life = win->lifecycle();
        text->adoptDocument(PlanBuilder::makePlan(3));
        text->setWriteProtect(0);
        text->setFileName(planFile(5));
        life->setPlanLoaded(true);
    }
    QString planFile(int n) const {
        return env.userDataFolder() + QString::number(n) + QStringLiteral(".mp");
    }
};

// The text a file holds, read by a control of its own.
QString textOfFile(const QString& file) {
    TextControl reader;
    if (!reader.loadFile(file, TextControl::NativeRtf)) return QStringLiteral("<unreadable>");
    return reader.toPlainText();
}

QString dialogText(QWidget* w) {
    auto* l = child<QLabel>(w, QStringLiteral("dlgLabel"));
    return l ? l->text() : QString();
}

} // namespace

class TestLifecycle : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { PrinterInfo::setNoPrinterForTesting(); }

    void saveBeforeAnyPlanWritesNothing() {
        PlanWindow p;
        p.life->setPlanLoaded(false);
        p.plan.PlanModified = true;
        QVERIFY(p.life->mnuSaveClick());
        QVERIFY(!p.plan.PlanModified);
        QVERIFY(!QFile::exists(p.planFile(5)));
    }

    void saveWritesTheHeaderOnlyToTheFile() {
        PlanWindow p;
        const QString before = p.text->toPlainText();
        p.text->setSelStart(40);
        p.text->setSelLength(5);
        p.plan.PlanModified = true;
        p.plan.PlanMargins = {1.0, 1.0, 1.25, 0.5};
        p.life->setPageCodes(9, 1);

        QVERIFY(p.life->mnuSaveClick());
        QVERIFY(!p.plan.PlanModified);
        // On screen: the text as it was, the selection as it was, no header.
        QCOMPARE(p.text->toPlainText(), before);
        QCOMPARE(p.text->SelStart(), 40);
        QCOMPARE(p.text->SelLength(), 5);
        QVERIFY(p.host.PanelAll->isVisible());
        QVERIFY(p.host.window()->updatesEnabled());
        QVERIFY(p.text->tagRuns(0).size() > 0);
        for (const auto& run : p.text->tagRuns(0))
            QVERIFY(run[2] != 1000);

        // In the file: the header first, red and tagged, then the text.
        const QString stored = textOfFile(p.planFile(5));
        QCOMPARE(stored, QStringLiteral("000000000001000000000000001000000000000001250"
                                        "00000000000050000090001") +
                             before);
        TextControl reader;
        QVERIFY(reader.loadFile(p.planFile(5), TextControl::NativeRtf));
        reader.setTagReadSelect(1);
        QVERIFY(reader.FIND_HTAG(1000, 1) > 0);
        QCOMPARE(reader.SelStart(), 0);
        QCOMPARE(reader.SelLength(), 68);
        QCOMPARE(reader.FontColor(), 255);
        // Hidden, so that other word processors do not show the digits.
        QCOMPARE(reader.FontHidden(), -1);
        const QByteArray rtf = readFileBytes(p.planFile(5));
        const qsizetype digits = rtf.indexOf("000000000001000000000000001000");
        QVERIFY(digits > 0);
        QVERIFY(rtf.lastIndexOf("\\v", digits) > 0);
        QVERIFY(rtf.lastIndexOf("\\v", digits) > rtf.lastIndexOf("\\v0", digits));

        // Saving again writes the same bytes.
        const QByteArray first = readFileBytes(p.planFile(5));
        QVERIFY(p.life->mnuSaveClick());
        QCOMPARE(readFileBytes(p.planFile(5)), first);
    }

    void loadTakesTheHeaderOutAndApplyIt() {
        PlanWindow p;
        const QString before = p.text->toPlainText();
        p.plan.PlanMargins = {0.75, 1.5, 1.25, 0.5};
        p.life->setPageCodes(8, 2);
        QVERIFY(p.life->mnuSaveClick());

        p.plan.PlanMargins = p.plan.DefaultMargins;
        p.life->setPageCodes(9, 1);
        QVERIFY(p.text->loadFile(p.planFile(5), TextControl::NativeRtf));
        QVERIFY(p.life->TakeHeader());
        QCOMPARE(p.text->toPlainText(), before);
        QCOMPARE(p.plan.PlanMargins, (Settings::Margins{0.75, 1.5, 1.25, 0.5}));
        QCOMPARE(p.life->PaperSize(), 8);
        QCOMPARE(p.life->Orientation(), 2);
        QVERIFY(!p.text->toPlainText().contains(kHeaderStart));
    }

    void headerWrittenShownByOlderVersionsStillReads() {
        PlanWindow p;
        const QString before = p.text->toPlainText();
        // The header as older versions wrote it: red, tagged, but not hidden.
        p.text->setSelStart(0);
        p.text->setSelLength(0);
        p.text->setSelFText(QStringLiteral("000000000000750000000000001500000000000001250"
                                           "00000000000050000080002"));
        p.text->setHTag(1000);
        p.text->setFontColor(255);
        p.text->setFontHidden(0);
        p.text->setSelStart(0);
        p.text->setSelLength(p.text->TextLength());
        p.text->setDataType(TextControl::NativeRtf);
        p.text->setFileSave(1);
        QVERIFY(p.text->lastFileOk());

        QVERIFY(p.text->loadFile(p.planFile(5), TextControl::NativeRtf));
        QVERIFY(p.life->TakeHeader());
        QCOMPARE(p.text->toPlainText(), before);
        QCOMPARE(p.plan.PlanMargins, (Settings::Margins{0.75, 1.5, 1.25, 0.5}));
        QCOMPARE(p.life->PaperSize(), 8);
        QCOMPARE(p.life->Orientation(), 2);
    }

    void planWithoutHeaderTakesTheDefaultMargins() {
        PlanWindow p;
        const QString before = p.text->toPlainText();
        p.plan.DefaultMargins = {1.5, 1.5, 1.5, 1.5};
        p.plan.PlanMargins = {0.3, 0.3, 0.3, 0.3};
        p.life->setPageCodes(5, 2);
        QVERIFY(!p.life->TakeHeader());
        QCOMPARE(p.text->toPlainText(), before);
        QCOMPARE(p.plan.PlanMargins, p.plan.DefaultMargins);
        QCOMPARE(p.life->PaperSize(), 5);
        QCOMPARE(p.life->Orientation(), 2);
    }

    void placeholders() {
        auto* plan = new QTextDocument;
        QTextCursor c(plan);
        const int red = 255;
        PlanBuilder::addParagraph(c, true, 99, 99,
                                  {{QStringLiteral("For "), 0},
                                   {QStringLiteral("[BusinessName]"), 300, red},
                                   {QStringLiteral(": ")},
                                   {QStringLiteral("[SBUName]"), 300, red},
                                   {QStringLiteral("plans.")}});
        PlanBuilder::addParagraph(c, false, 0, 99,
                                  {{QStringLiteral("[businessname]"), 300, red},
                                   {QStringLiteral(" and "), 0},
                                   {QStringLiteral("[SBUName]"), 0, red},
                                   {QStringLiteral(" "), 0},
                                   {QStringLiteral("[SBUName]"), 300, red, true}});
        PlanWindow p(plan);
        QCOMPARE(p.life->ReplacePlaceholders(QStringLiteral("Acme Ltd"), QStringLiteral("Retail")),
                 4);
        QCOMPARE(p.text->toPlainText(),
                 QStringLiteral("For Acme Ltd: The Retail unit plans.\n"
                                "[businessname] and [SBUName] The Retail unit "));
        // Every placeholder run is ordinary text now: no tag, black, shown.
        for (const auto& run : p.text->tagRuns(0))
            QCOMPARE(run[2], 0);
        auto attributesAt = [&p](int pos) {
            p.text->setSelStart(pos);
            p.text->setSelLength(1);
            return QList<int>{p.text->FontColor(), p.text->FontHidden()};
        };
        const QString all = p.text->toPlainText();
        QCOMPARE(attributesAt(all.indexOf(QStringLiteral("Acme"))), (QList<int>{0, 0}));
        QCOMPARE(attributesAt(all.indexOf(QStringLiteral("[businessname]"))), (QList<int>{0, 0}));
        QCOMPARE(attributesAt(all.lastIndexOf(QStringLiteral("The Retail"))), (QList<int>{0, 0}));
        // Text that was never a placeholder keeps its colour.
        QCOMPARE(attributesAt(all.indexOf(QStringLiteral("[SBUName]"))), (QList<int>{red, 0}));

        // A text without placeholders is left alone.
        PlanWindow plain;
        const QString before = plain.text->toPlainText();
        QCOMPARE(plain.life->ReplacePlaceholders(QStringLiteral("A"), QStringLiteral("B")), 0);
        QCOMPARE(plain.text->toPlainText(), before);
    }

    void failedSaveKeepsThePlanModified() {
        MainWindowPlan p;
        // A good save first: it must survive the failed one.
        QVERIFY(p.life->mnuSaveClick());
        const QByteArray good = readFileBytes(p.planFile(5));
        const QString before = p.text->toPlainText();
        p.win->PlanModified = true;
        // The plan's file cannot be replaced: a folder stands where the file would go.
        QVERIFY(QDir().mkpath(p.planFile(6)));
        p.text->setFileName(p.planFile(6));

        QString said;
        ModalAnswer answer([&said](QWidget* w) {
            said = dialogText(w);
            clickButton(w, QStringLiteral("cmdOk"));
        });
        QVERIFY(!p.life->mnuSaveClick());
        QVERIFY(answer.wasAnswered());
        // The words users know, then the file and what stopped it.
        QCOMPARE(said, QStringLiteral("An error occurred when saving this plan.\n") +
                           p.planFile(6) + QStringLiteral(": Is a directory"));
        QVERIFY(p.win->PlanModified);
        QVERIFY(p.win->PanelAll->isVisible());
        QVERIFY(p.win->updatesEnabled());
        QCOMPARE(p.text->toPlainText(), before);
        QCOMPARE(readFileBytes(p.planFile(5)), good);

        // Closing then asks, tries to save, fails again and stays open.
        AnswerBook book;
        book.add(QStringLiteral("TfrmDialog"),
                 [](QWidget* w) { clickButton(w, QStringLiteral("cmdYes")); });
        QString second;
        book.add(QStringLiteral("TfrmDialog"), [&second](QWidget* w) {
            second = dialogText(w);
            clickButton(w, QStringLiteral("cmdOk"));
        });
        QVERIFY(!p.win->FormCloseQuery());
        QVERIFY(book.allAnswered());
        QVERIFY(second.startsWith(QStringLiteral("An error occurred when saving this plan.\n")));
        QVERIFY(p.win->PlanModified);
    }

    // A plan file cut short (or missing sections) opens with a plain word, is kept aside
    // once as it was, and is not written back by the load.
    void damagedPlanIsReportedKeptAndNotRewritten() {
        TestEnv env;
        PlanHost win;
        win.window()->resize(1000, 760);
        win.window()->show();
        QVERIFY(QTest::qWaitForWindowExposed(win.window()));
        win.navigator->BuildNav();
        PlanSession& s = planSession();
        const QString file = env.userDataFolder() + QStringLiteral("7.mp");
        s.CreatingPlan = true;
        s.BasePlanFile = env.userDataFolder() + QStringLiteral("1.mp");
        s.CurrentPlanFile = file;
        s.CurrentPlanName = QStringLiteral("Acme");
        {
            ModalAnswer none([](QWidget* d) { clickButton(d, QStringLiteral("cmdOk")); });
            QVERIFY(win.lifecycle->LoadChosenPlan(QStringLiteral("Acme"), QStringLiteral("R")));
            QVERIFY2(!none.wasAnswered(), "a whole plan opens without a word");
        }
        s.CreatingPlan = false;
        const QByteArray whole = readFileBytes(file);
        QVERIFY(whole.size() > 1000);
        Navigator* nav = win.navigator.get();
        const int sections = nav->itemCount();

        auto openAgain = [&](const QByteArray& onDisk) {
            writeFileBytes(file, onDisk);
            QString said;
            ModalAnswer answer([&said](QWidget* d) {
                said = dialogText(d);
                clickButton(d, QStringLiteral("cmdOk"));
            });
            win.lifecycle->LoadChosenPlan(QStringLiteral("Acme"), QStringLiteral("R"));
            return said;
        };

        const QByteArray half = whole.left(whole.size() / 2);
        const QString said = openAgain(half);
        QCOMPARE(readFileBytes(file), half); // the load wrote nothing
        QVERIFY(!win.state.PlanModified);
        QVERIFY2(said.startsWith(QStringLiteral("This plan's file is damaged: it ends before")),
                 qPrintable(said));
        QVERIFY2(said.contains(QStringLiteral("These sections are missing")), qPrintable(said));
        // The first missing section is named, and the last is counted.
        QVERIFY(!said.contains(nav->itemText(1)));
        QVERIFY(said.contains(QStringLiteral("more")));
        QVERIFY(said.contains(file + QStringLiteral(".damaged")));
        QCOMPARE(readFileBytes(file + QStringLiteral(".damaged")), half);

        // Later damage never replaces the copy of the first; a file whose groups are
        // closed but whose last sections are gone is damaged all the same.
        const QByteArray closed = whole.left(whole.size() * 9 / 10) + QByteArray(40, '}');
        const QString second = openAgain(closed);
        QCOMPARE(readFileBytes(file), closed);
        QVERIFY2(second.startsWith(QStringLiteral("This plan's file is damaged.")),
                 qPrintable(second));
        QVERIFY(second.contains(nav->itemText(sections)));
        QCOMPARE(readFileBytes(file + QStringLiteral(".damaged")), half);
        // This damage has a copy of its own, and the message names it.
        QVERIFY2(second.contains(file + QStringLiteral(".damaged2\"")), qPrintable(second));
        QCOMPARE(readFileBytes(file + QStringLiteral(".damaged2")), closed);

        // Bytes garbled in the middle: the file is damaged, not cut short.
        QByteArray garbled = whole;
        for (int i = 0; i < 200; ++i)
            garbled[whole.size() / 2 + i] = char((i * 37 + 11) & 0xff);
        const QString third = openAgain(garbled);
        QCOMPARE(readFileBytes(file), garbled);
        QVERIFY2(third.startsWith(QStringLiteral("This plan's file is damaged: part of it cannot be "
                                                 "read.")),
                 qPrintable(third));
        QCOMPARE(readFileBytes(file + QStringLiteral(".damaged3")), garbled);

        // A file that is empty or holds no plan at all: which file, why, and its copy.
        const QByteArray noise = QByteArray::fromHex("8b1f00ff13a5c4") + QByteArray(300, '\x9d');
        for (const auto& [bytes, reason] : {std::pair{QByteArray(), QStringLiteral("it is empty.")},
                                            std::pair{noise, QStringLiteral("it is damaged")}}) {
            const QString said = openAgain(bytes);
            QVERIFY2(said.startsWith(QStringLiteral("The plan's file \"%1\" cannot be read: %2")
                                         .arg(file, reason)),
                     qPrintable(said));
            QVERIFY2(said.contains(QStringLiteral("kept as \"%1.damaged").arg(file)), qPrintable(said));
            QCOMPARE(readFileBytes(file), bytes);
            QVERIFY(QFile::exists(file + (bytes.isEmpty() ? QStringLiteral(".damaged4")
                                                          : QStringLiteral(".damaged5"))));
        }
        QVERIFY(win.lifecycle->mnuSaveClick()); // nothing is written over the file
        QCOMPARE(readFileBytes(file), noise);
        QVERIFY(openAgain(closed).contains(file + QStringLiteral(".damaged2\""))); // its copy again

        // Saving is the user's choice, and works.
        win.state.PlanModified = true;
        QVERIFY(win.lifecycle->mnuSaveClick());
        QVERIFY(readFileBytes(file) != closed);
    }

    // A user starts the program, makes a plan, writes in it, saves and opens it again.
    // A plan holding a picture too large to decode (by its header) and a damaged one: the
    // rest of the plan opens, the user is told, and the pictures stay in the file as they were.
    void planWithRefusedPicturesOpensAndKeepsThem() {
        TestEnv env;
        TfrmEdit win;
        win.resize(1000, 760);
        win.show();
        QVERIFY(QTest::qWaitForWindowExposed(&win));
        PlanSession& s = planSession();
        const QString file = env.userDataFolder() + QStringLiteral("7.mp");
        s.CreatingPlan = true;
        s.BasePlanFile = env.userDataFolder() + QStringLiteral("1.mp");
        s.CurrentPlanFile = file;
        s.CurrentPlanName = QStringLiteral("Acme");
        {
            ModalAnswer none([](QWidget* d) { clickButton(d, QStringLiteral("cmdOk")); });
            QVERIFY(win.lifecycle()->LoadChosenPlan(QStringLiteral("Acme"), QStringLiteral("R")));
            QVERIFY(!none.wasAnswered());
        }
        s.CreatingPlan = false;
        const int sections = win.navigator()->itemCount();
        QByteArray plan = readFileBytes(file);
        // A PNG claiming 10000 x 10000 pixels (its data are those of one pixel), and the
        // start of a JPEG.
        const QByteArray huge = QByteArray::fromHex(
            "89504e470d0a1a0a0000000d49484452000027100000271001030000008080f064000000"
            "03504c5445ff000019e209370000000a4944415408d76360000000020001e221bc3300000000"
            "49454e44ae426082");
        const QByteArray pictures = "{\\pict\\pngblip\\picwgoal1440\\pichgoal720 " + huge.toHex() +
                                    "}{\\pict\\jpegblip\\picwgoal720\\pichgoal720 ffd8ffe000104a46}";
        const qsizetype at = plan.indexOf("\\par", plan.size() / 3);
        plan.insert(at, pictures);
        writeFileBytes(file, plan);
        QString said;
        {
            ModalAnswer answer([&said](QWidget* d) {
                said = dialogText(d);
                clickButton(d, QStringLiteral("cmdOk"));
            });
            QVERIFY(win.lifecycle()->LoadChosenPlan(QStringLiteral("Acme"), QStringLiteral("R")));
            QVERIFY(answer.wasAnswered());
        }
        QVERIFY2(said.startsWith(QStringLiteral("Some pictures in this file are not shown")), qPrintable(said));
        QVERIFY2(said.contains(QStringLiteral("50 megapixels")), qPrintable(said));
        QCOMPARE(win.navigator()->itemCount(), sections);
        QCOMPARE(win.ATX321->toPlainText().count(QChar::ObjectReplacementCharacter), 2);
        win.lifecycle()->mnuSaveClick();
        const QByteArray saved = readFileBytes(file).replace('\n', QByteArray());
        QVERIFY(saved.contains(huge.toHex()));
        QVERIFY(saved.contains("ffd8ffe000104a46"));
    }

    void newPlanWrittenSavedAndReopened() {
        TestEnv env;
        AnswerBook book;
        book.add(QStringLiteral("TfrmTips"),
                 [](QWidget* w) { clickButton(w, QStringLiteral("cmdOk")); });
        book.add(QStringLiteral("Tfrmopen"), [](QWidget* w) {
            // The catalogue is empty: only New leads on.
            QVERIFY(!child<QWidget>(w, QStringLiteral("Button3"))->isEnabled());
            clickButton(w, QStringLiteral("Newbtn"));
            setEditText(w, QStringLiteral("conameedit"), QStringLiteral("Acme Ltd"));
            setEditText(w, QStringLiteral("cosbuedit"), QStringLiteral("Retail"));
            clickButton(w, QStringLiteral("Button3"));
        });
        book.add(QStringLiteral("TfrmNew"), [](QWidget* w) {
            setEditText(w, QStringLiteral("txtNewPlanName"), QStringLiteral("Acme Plan"));
            clickButton(w, QStringLiteral("Button1"));
        });
        Application::startUp({0});
        QVERIFY2(book.allAnswered(), qPrintable(book.seen().join(QLatin1Char(','))));

        TfrmEdit* w = frmEdit;
        QVERIFY(w);
        TextControl* text = w->ATX321;
        Navigator* nav = w->navigator();
        QVERIFY(w->PanelAll->isVisible());
        QCOMPARE(w->windowTitle(), TfrmEdit::ApplicationTitle() + QStringLiteral(" [Acme Plan]"));
        QCOMPARE(nav->selectedItem(), 1);
        const QString planFile = env.userDataFolder() + QStringLiteral("2.mp");
        QVERIFY(QFile::exists(planFile));
        QVERIFY(text->toPlainText().contains(QStringLiteral("Acme Ltd")));
        QVERIFY(text->toPlainText().contains(QStringLiteral("The Retail unit ")));
        QVERIFY(!text->toPlainText().contains(QStringLiteral("[BusinessName]")));
        QVERIFY(!text->toPlainText().contains(kHeaderStart));

        // Section 3 from the outline, then the user types.
        w->Outline1->setCurrentIndex(nav->indexOf(3));
        w->navigator()->Outline1Click();
        QCOMPARE(nav->selectedItem(), 3);
        const int sectionStart = text->SelStart();
        text->setSelLength(0);
        QTest::keyClicks(text, QStringLiteral("Our own words"));
        const int typedAt = text->toPlainText().indexOf(QStringLiteral("Our own words"));
        QVERIFY(typedAt >= 0);
        // A picture of the window as the user sees it now, when asked for.
        if (qEnvironmentVariableIsSet("TANDEL_PLAN_SHOT")) {
            w->showNormal();
            w->resize(1100, 820);
            QApplication::processEvents();
            nav->PlacePointerShort();
            QApplication::processEvents();
            w->grab().save(qEnvironmentVariable("TANDEL_PLAN_SHOT"));
        }
        w->PlanModified = true;
        w->lifecycle()->mnuSaveClick();
        QVERIFY(!w->PlanModified);
        QVERIFY(textOfFile(planFile).contains(QStringLiteral("Our own words")));

        // Open again: the question, then the same plan.
        AnswerBook again;
        again.add(QStringLiteral("TfrmDialog"), [](QWidget* d) {
            QCOMPARE(dialogText(d), QStringLiteral("You already have a plan open.\n\nDo you want "
                                                   "to save changes before continuing?"));
            clickButton(d, QStringLiteral("cmdNo"));
        });
        again.add(QStringLiteral("Tfrmopen"), [](QWidget* d) {
            auto* list = child<QComboBox>(d, QStringLiteral("cmbfilename"));
            QCOMPARE(list->count(), 1);
            QCOMPARE(list->currentText(), QStringLiteral("Acme Plan"));
            QCOMPARE(child<QLineEdit>(d, QStringLiteral("cosbuedit"))->text(),
                     QStringLiteral("Retail"));
            clickButton(d, QStringLiteral("Button3"));
        });
        text->clear();
        w->lifecycle()->Open2Click();
        QVERIFY2(again.allAnswered(), qPrintable(again.seen().join(QLatin1Char(','))));
        QVERIFY(w->PanelAll->isVisible());
        QCOMPARE(text->FileName(), planFile);
        const QString reopened = text->toPlainText();
        QCOMPARE(reopened.indexOf(QStringLiteral("Our own words")), typedAt);
        QVERIFY(!reopened.contains(kHeaderStart));
        QVERIFY(sectionStart >= 0);

        // The hidden New command asks the same question, then goes to the open window's
        // New; cancelling both leaves no plan shown and the catalogue as it was.
        AnswerBook fresh;
        fresh.add(QStringLiteral("TfrmDialog"),
                  [](QWidget* d) { clickButton(d, QStringLiteral("cmdNo")); });
        fresh.add(QStringLiteral("Tfrmopen"), [](QWidget* d) {
            // Its New has been pressed for the user by the time this runs; afterwards
            // the window is cancelled.
            clickButton(d, QStringLiteral("Button4"));
        });
        fresh.add(QStringLiteral("TfrmNew"),
                  [](QWidget* d) { clickButton(d, QStringLiteral("Button2")); });
        w->lifecycle()->mnuNewClick();
        QVERIFY2(fresh.allAnswered(), qPrintable(fresh.seen().join(QLatin1Char(','))));
        QCOMPARE(fresh.seen(), (QStringList{QStringLiteral("TfrmDialog"), QStringLiteral("TfrmNew"),
                                            QStringLiteral("Tfrmopen")}));
        QVERIFY(!w->PanelAll->isVisible());
        QCOMPARE(Catalogue().plans(), QStringList{QStringLiteral("Acme Plan")});

        Application::shutDown();
    }
};

QTEST_MAIN(TestLifecycle)
#include "tst_lifecycle.moc"
