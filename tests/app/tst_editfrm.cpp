#include "app/editfrm.h"
#include "app/startup.h"
#include "controls/text/textcontrol.h"
#include "dialogs/dialogfrm.h"
#include "platform/folders.h"
#include "platform/helpsystem.h"
#include "platform/inifile.h"
#include "platform/launcher.h"
#include "platform/printerinfo.h"
#include "support/modal.h"
#include "support/testenv.h"
#include "widgets/dividerbar.h"
#include "widgets/toolpanel.h"
#include "windows/tipsfrm.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

namespace {

const QString kMain = QStringLiteral("Zurozurov Irod");

void writeSettings(const QList<std::tuple<QString, QString, QString>>& values) {
    IniFile ini(Folders::settingsFile());
    for (const auto& [section, key, value] : values)
        ini.writeString(section, key, value);
}

// Starts the program as main() does, answering the tips window when it comes.
struct Started {
    bool tipsShown = false;
    bool splashGoneBeforeTips = false;
    Started() {
        bool splashGone = false;
        ModalAnswer tips(
            [&splashGone](QWidget* w) {
                splashGone = !Application::splashShowing();
                clickButton(w, QStringLiteral("cmdOk"));
            },
            1500);
        // Start-up ends with the Open command; these tests start with no plan open.
        QTimer cancelOpen;
        cancelOpen.setInterval(20);
        QObject::connect(&cancelOpen, &QTimer::timeout, [] {
            QWidget* m = QApplication::activeModalWidget();
            if (m && m->isVisible() && m->objectName() == QLatin1String("Tfrmopen"))
                clickButton(m, QStringLiteral("Button4"));
        });
        cancelOpen.start();
        Application::startUp({0});
        tipsShown = tips.wasAnswered() && tips.windowClass() == QLatin1String("TfrmTips");
        splashGoneBeforeTips = splashGone;
    }
    ~Started() { Application::shutDown(); }
};

// Closes the main window; true when it really closed.
bool closeMainWindow() {
    frmEdit->close();
    return !frmEdit->isVisible();
}

} // namespace

class TestEditfrm : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { PrinterInfo::setNoPrinterForTesting(); }

    void firstRunUsesTheDefaults() {
        TestEnv env;
        QVERIFY(!QFile::exists(Folders::settingsFile()));
        QDir(env.userDataFolder()).removeRecursively();
        Started app;
        QVERIFY(app.tipsShown);
        QVERIFY(app.splashGoneBeforeTips);
        QVERIFY(!Application::splashShowing());

        QVERIFY(frmEdit->isVisible());
        QVERIFY(frmEdit->isMaximized());
        // The Open command that ends start-up names no plan in the caption yet.
        QCOMPARE(frmEdit->windowTitle(), QStringLiteral("Tandel Zurozurov Irod []"));
        QVERIFY(!frmEdit->docStandard->isHidden());
        QVERIFY(!frmEdit->docFormatting->isHidden());
        QVERIFY(frmEdit->docBuilder->isHidden());
        QVERIFY(!frmEdit->Statusbar1->isHidden());
        QVERIFY(!frmEdit->Panel1->isHidden());
        QVERIFY(frmEdit->menus().mnuStandard->isChecked());
        QVERIFY(frmEdit->menus().mnuFormatting->isChecked());
        QVERIFY(frmEdit->menus().mnuStatusbar->isChecked());
        QVERIFY(frmEdit->menus().mnuNavigator->isChecked());
        QVERIFY(frmEdit->cmdHideNav->isChecked());
        QCOMPARE(frmEdit->Panel3->width(), 220);
        QCOMPARE(frmEdit->Panel1->height(), 110);
        QCOMPARE(frmEdit->JPSplitter2->height(), 7);
        QCOMPARE(frmEdit->JPSplitter1->width(), 23);
        QCOMPARE(frmEdit->DefaultMargins, (Settings::Margins{1, 1, 1, 1}));
        QCOMPARE(frmEdit->PlanMargins, (Settings::Margins{1, 1, 1, 1}));
        // No printer: the whole sheet of A4 (8.27 by 11.69 inches) less the margins.
        QVERIFY(qAbs(frmEdit->TextAreaWidth - 6.27) < 1e-6);
        QVERIFY(qAbs(frmEdit->TextAreaHeight - 9.69) < 1e-6);
        QCOMPARE(frmEdit->WebLauncher, QStringLiteral("ZIVORO.EXE"));
        QCOMPARE(frmEdit->WebHomePage, QStringLiteral("https://www.tandel.example/"));
        QVERIFY(frmEdit->OpenAtStart);
        for (QAction* item : frmEdit->menus().mnuKeytextItems)
            QVERIFY(!item->isVisible());
        QVERIFY(QDir(env.userDataFolder()).exists());
        QCOMPARE(HelpSystem::instance().helpFile().section(QLatin1Char('/'), -1).toLower(),
                 QStringLiteral("qmphelp.hlp"));
        QCOMPARE(frmEdit->PanelAll->isHidden(), true);
        QCOMPARE(frmEdit->minimumSize(), QSize(320, 240));
    }

    void everyWindowIsMadeOnceInOrder() {
        TestEnv env;
        writeSettings({{QStringLiteral("bps"), QStringLiteral("tips"), QStringLiteral("0")}});
        Started app;
        QVERIFY(!app.tipsShown);
        const QList<QPair<QString, QString>> expected = {
            {"TfrmCashdet", "Modify Budget Details"},
            {"TfrmNew", "Create a new plan"},
            {"TfrmSpreadPrev", "Print Preview"},
            {"Tfrmpagesetupall", "Page setup"},
            {"Tfrmopen", "Open a plan"},
            {"Tfrmca", "Competitor analysis"},
            {"Tfrmip", "Impact / Probability analysis"},
            {"Tfrmsw", "Strength / weakness analysis"},
            {"Tfrmsummary", "SWOT Table preview"},
            {"Tfrmkfsname", "KFS Name"},
            {"Tfrminserttbl", "Insert Table"},
            {"Tsplitcelllsdlg", "Split Cells"},
            {"Tdlgborder", "Table border"},
            {"Tfrmopennag", "Data entry"},
            {"Tcellsdlg", "Cell Height and Width"},
            {"TfrmDic", "Spelling"},
            {"TfrmCal", "Calendar"},
            {"Tfrmabout", "About Zurozurov Irod"},
            {"Tprintdl", "Printing"},
            {"Tfrmtextcolour", "Text Colour"},
            {"TfrmCust", "Options"},
            {"TfrmTips", ""},
            {"TfrmATXPrev", "Print Preview"},
        };
        QList<QPair<QString, QString>> made;
        for (QObject* o : frmEdit->children()) {
            auto* w = qobject_cast<QWidget*>(o);
            // The modeless find and replace windows belong to the editing commands, and the
            // Check Plan window to the plan check, not to the windows the start-up makes.
            const bool findWindow = w && (w->objectName() == QLatin1String("dlgFind") ||
                                          w->objectName() == QLatin1String("dlgReplace") ||
                                          w->objectName() == QLatin1String("TfrmCheckPlan"));
            if (w && w->isWindow() && !qobject_cast<QMenu*>(w) && !qobject_cast<QFileDialog*>(w) &&
                !findWindow)
                made.append({QString::fromLatin1(w->metaObject()->className()), w->windowTitle()});
        }
        QCOMPARE(made, expected);
        QVERIFY(frmDialog());
        QCOMPARE(QString::fromLatin1(frmEdit->metaObject()->className()),
                 QStringLiteral("TfrmEdit"));
        for (QObject* o : frmEdit->children())
            if (auto* w = qobject_cast<QWidget*>(o); w && w->isWindow())
                QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
    }

    void storedSettingsAreApplied() {
        TestEnv env;
        writeSettings({{kMain, "WindowState", "0"},
                       {kMain, "WindowLeft", "40"},
                       {kMain, "WindowTop", "30"},
                       {kMain, "WindowWidth", "700"},
                       {kMain, "WindowHeight", "500"},
                       {kMain, "Divider1", "300"},
                       {kMain, "Divider2", "50"},
                       {kMain, "Toolbar1", "0"},
                       {kMain, "Toolbar2", "1"},
                       {kMain, "status", "0"},
                       {kMain, "navigator", "0"},
                       {kMain, "MarginL", "0.5"},
                       {kMain, "MarginR", "abc"},
                       {kMain, "MarginT", "2"},
                       {kMain, "keytext1", "Acme Widgets"},
                       {kMain, "keytext4", "    "},
                       {kMain, "keytext0", "Zeta"},
                       {"Web", "Home", "https://example.org/plans"},
                       {"Web", "exe", "browser.exe"},
                       {"bps", "tips", "0"}});
        Started app;
        QVERIFY(!app.tipsShown);
        QVERIFY(!frmEdit->isMaximized());
        QCOMPARE(frmEdit->size(), QSize(700, 500));
        QCOMPARE(frmEdit->pos(), QPoint(40, 30));
        QCOMPARE(frmEdit->Panel3->width(), 300);
        // A stored row height under 110 is raised to 110.
        QCOMPARE(frmEdit->Panel1->height(), 110);
        QVERIFY(frmEdit->docStandard->isHidden());
        QVERIFY(!frmEdit->menus().mnuStandard->isChecked());
        QVERIFY(!frmEdit->docFormatting->isHidden());
        QVERIFY(frmEdit->Statusbar1->isHidden());
        QVERIFY(!frmEdit->menus().mnuStatusbar->isChecked());
        QVERIFY(frmEdit->Panel1->isHidden());
        QVERIFY(!frmEdit->menus().mnuNavigator->isChecked());
        QVERIFY(!frmEdit->cmdHideNav->isChecked());
        QCOMPARE(frmEdit->JPSplitter2->height(), 0);
        // A margin that is not a number counts as 1 inch.
        QCOMPARE(frmEdit->DefaultMargins, (Settings::Margins{0.5, 1, 2, 1}));
        QCOMPARE(frmEdit->WebHomePage, QStringLiteral("https://example.org/plans"));
        QCOMPARE(frmEdit->WebLauncher, QStringLiteral("browser.exe"));
        QVERIFY(frmEdit->menus().mnuKeytextItems[0]->isVisible());
        QCOMPARE(frmEdit->KeytextCaption(0), QStringLiteral("Acme Widgets"));
        QVERIFY(!frmEdit->menus().mnuKeytextItems[3]->isVisible());
        QVERIFY(frmEdit->menus().mnuKeytextItems[9]->isVisible());
        QCOMPARE(frmEdit->menus().mnuKeytextItems[9]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_0));
        QCOMPARE(frmEdit->KeytextCaption(9), QStringLiteral("Zeta"));
    }

    void storedMaximizedStateMaximizes() {
        TestEnv env;
        writeSettings({{kMain, "WindowState", "2"}, {"bps", "tips", "0"}});
        Started app;
        QVERIFY(frmEdit->isMaximized());
    }

    void closingStoresGeometryAndViews() {
        TestEnv env;
        writeSettings({{kMain, "WindowState", "0"},
                       {kMain, "WindowWidth", "640"},
                       {kMain, "WindowHeight", "480"},
                       {"bps", "tips", "0"}});
        Started app;
        frmEdit->move(25, 35);
        frmEdit->resize(660, 490);
        frmEdit->SetPlanControls(true);
        frmEdit->JPSplitter1->setPanelSize(250);
        frmEdit->Panel1->setFixedHeight(140);
        frmEdit->menus().mnuFormatting->trigger();
        frmEdit->menus().mnuStatusbar->trigger();
        QVERIFY(closeMainWindow());

        const IniFile ini(Folders::settingsFile());
        QCOMPARE(ini.readInteger(kMain, "WindowState", -1), 0);
        QCOMPARE(ini.readInteger(kMain, "WindowLeft", -1), 25);
        QCOMPARE(ini.readInteger(kMain, "WindowTop", -1), 35);
        QCOMPARE(ini.readInteger(kMain, "WindowWidth", -1), 660);
        QCOMPARE(ini.readInteger(kMain, "WindowHeight", -1), 490);
        QCOMPARE(ini.readInteger(kMain, "Divider1", -1), 250);
        QCOMPARE(ini.readInteger(kMain, "Divider2", -1), 140);
        QCOMPARE(ini.readInteger(kMain, "Toolbar1", -1), 1);
        QCOMPARE(ini.readInteger(kMain, "Toolbar2", -1), 0);
        QCOMPARE(ini.readInteger(kMain, "status", -1), 0);
        QCOMPARE(ini.readInteger(kMain, "navigator", -1), 1);
        // Written in the close's own spelling.
        QVERIFY(ini.keys(kMain).contains(QStringLiteral("WindowTop")));
    }

    void closingMaximizedOrMinimized() {
        {
            TestEnv env;
            Started app; // first run: maximized
            QVERIFY(closeMainWindow());
            QCOMPARE(IniFile(Folders::settingsFile()).readInteger(kMain, "WindowState", -1), 2);
        }
        {
            TestEnv env;
            writeSettings({{kMain, "WindowState", "2"}, {"bps", "tips", "0"}});
            Started app;
            frmEdit->showMinimized();
            QVERIFY(frmEdit->isMinimized());
            QVERIFY(closeMainWindow());
            // Minimized is stored as normal, so the next start restores the geometry.
            QCOMPARE(IniFile(Folders::settingsFile()).readInteger(kMain, "WindowState", -1), 0);
        }
    }

    void saveQuestionOnClose_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("closes");
        QTest::newRow("Cancel") << "cmdCancel" << false;
        QTest::newRow("Escape") << "Escape" << false;
        QTest::newRow("No") << "cmdNo" << true;
        // With no plan ever loaded there is nothing to write: Yes closes.
        QTest::newRow("Yes, no plan loaded") << "cmdYes" << true;
    }

    void saveQuestionOnClose() {
        QFETCH(QString, answer);
        QFETCH(bool, closes);
        TestEnv env;
        writeSettings({{"bps", "tips", "0"}});
        Started app;
        frmEdit->PlanModified = true;
        QString question;
        ModalAnswer reply([&](QWidget* w) {
            if (auto* label = child<QLabel>(w, QStringLiteral("dlgLabel")))
                question = label->text();
            if (answer == QLatin1String("Escape"))
                pressKey(w, Qt::Key_Escape);
            else
                clickButton(w, answer);
        });
        const bool closed = closeMainWindow();
        QVERIFY2(reply.wasAnswered(), qPrintable(reply.failure()));
        QCOMPARE(question,
                 QStringLiteral("This plan has not been saved.\n\nDo you want to save it?"));
        QCOMPARE(closed, closes);
        QCOMPARE(QFile::exists(Folders::settingsFile()) &&
                     IniFile(Folders::settingsFile()).hasKey(kMain, "WindowState"),
                 closes);
        if (!closes) QVERIFY(frmEdit->PlanModified);
    }

    void unmodifiedPlanClosesWithoutAsking() {
        TestEnv env;
        writeSettings({{"bps", "tips", "0"}});
        Started app;
        ModalAnswer none([](QWidget* w) { pressKey(w, Qt::Key_Escape); }, 300);
        QVERIFY(closeMainWindow());
        QTest::qWait(350);
        QVERIFY(!none.wasAnswered());
    }

    void failedSettingsWriteIsReported() {
        TestEnv env;
        Started app;
        // A folder where the settings file should be: the file cannot be written.
        QVERIFY(QDir().mkpath(Folders::settingsFile()));
        QString message;
        ModalAnswer reply([&](QWidget* w) {
            if (auto* label = child<QLabel>(w, QStringLiteral("dlgLabel"))) message = label->text();
            clickButton(w, QStringLiteral("cmdOk"));
        });
        QVERIFY(closeMainWindow());
        QVERIFY2(reply.wasAnswered(), qPrintable(reply.failure()));
        QVERIFY2(message.startsWith(QStringLiteral("Unable to write to ")), qPrintable(message));
    }

    void noPlanOpenSwitchesThePlanControlsOff() {
        TestEnv env;
        writeSettings({{"bps", "tips", "0"}});
        Started app;
        const QStringList offButtons = {
            "cmdeg",    "cmdCal",     "cmdSave",    "cmdPrint",  "cmdPrintAll", "cmdPrintSpread",
            "cmdSpell", "cmdCut",     "cmdCopy",    "cmdPaste",  "cmdFind",     "cmdUndo",
            "cmdBold",  "cmdItalic",  "cmdUnder",   "cmdColour", "cmdLeft",     "cmdCenter",
            "cmdRight", "cmdJustify", "cmdHideNav", "cmbFont",   "cmbFontSize", "docBuilder"};
        const QStringList offItems = {
            "Page Set&up...", "&First",       "&Previous",     "&Next",      "&Last",
            "&Keytext",       "Insert &Date", "&Replace...",   "Cu&t",       "&Copy",
            "&Paste",         "Select A&ll",  "&Undo",         "&Find...",   "Fo&nt...",
            "&Toolbars",      "&Status Bar",  "&Word Wrap",    "&Save",      "&Export",
            "Print &All",     "&Print Plan",  "Print &Budget", "Na&vigator", "&Spell Check..."};
        const QStringList onItems = {
            "&Open...",           "P&rinter Setup...",       "E&xit", "&Options...", "&Help Topics",
            "&Tandel on the Web", "&About Zurozurov Irod..."};
        auto mainMenuItem = [](const QString& caption) -> QAction* {
            for (QAction* a : frmEdit->findChildren<QAction*>())
                if (a->text() == caption && !frmEdit->menus().mnupopup->actions().contains(a)) return a;
            return nullptr;
        };

        QVERIFY(!frmEdit->PlanControlsOn());
        for (const QString& name : offButtons) {
            auto* w = child<QWidget>(frmEdit, name);
            QVERIFY2(w, qPrintable(name));
            QVERIFY2(!w->isEnabled(), qPrintable(name));
        }
        for (const QString& caption : offItems) {
            QAction* a = mainMenuItem(caption);
            QVERIFY2(a, qPrintable(caption));
            QVERIFY2(!a->isEnabled(), qPrintable(caption));
        }
        for (const QString& caption : onItems) {
            QAction* a = mainMenuItem(caption);
            QVERIFY2(a, qPrintable(caption));
            QVERIFY2(a->isEnabled(), qPrintable(caption));
        }
        QVERIFY(frmEdit->cmdOpen->isEnabled());
        QVERIFY(!frmEdit->menus().Table1->menuAction()->isVisible());
        QVERIFY(!frmEdit->menus().mnuInsert->menuAction()->isVisible());
        QVERIFY(!frmEdit->menus().mnuFormat->menuAction()->isVisible());

        frmEdit->SetPlanControls(true);
        for (const QString& name : offButtons)
            QVERIFY2(child<QWidget>(frmEdit, name)->isEnabled(), qPrintable(name));
        for (const QString& caption : offItems)
            QVERIFY2(mainMenuItem(caption)->isEnabled(), qPrintable(caption));
        QVERIFY(frmEdit->menus().Table1->menuAction()->isVisible());
        QCOMPARE(frmEdit->menus().mnuInsertPicture->text(), QStringLiteral("&Picture..."));
        QVERIFY(frmEdit->menus().mnuInsert->menuAction()->isVisible());
        QVERIFY(frmEdit->menus().mnuFormat->menuAction()->isVisible());
        frmEdit->SetPlanControls(false);
        QVERIFY(!frmEdit->menus().mnuSave->isEnabled());
        QVERIFY(!frmEdit->menus().Table1->menuAction()->isVisible());
        QVERIFY(frmEdit->menus().Open2->isEnabled());
    }

    void menusToolbarsAndHints() {
        TestEnv env;
        writeSettings({{"bps", "tips", "0"}});
        Started app;
        struct Item {
            const char* name;
            const char* caption;
            QKeySequence shortcut;
            bool shown;
        };
        const QList<Item> items = {
            {"mnuNew", "&New...", QKeySequence(Qt::CTRL | Qt::Key_N), false},
            {"Open2", "&Open...", QKeySequence(Qt::CTRL | Qt::Key_O), true},
            {"mnuSave", "&Save", QKeySequence(Qt::CTRL | Qt::Key_S), true},
            {"mnuPrint", "Print &All", QKeySequence(Qt::CTRL | Qt::Key_P), true},
            {"mnuUndo", "&Undo", QKeySequence(Qt::CTRL | Qt::Key_Z), true},
            {"mnuFind", "&Find...", QKeySequence(Qt::CTRL | Qt::Key_F), true},
            {"mnuFont", "Fo&nt...", QKeySequence(Qt::Key_F3), true},
            {"SpellCheck1", "&Spell Check...", QKeySequence(Qt::Key_F9), true},
            {"Bold1", "Bold", QKeySequence(Qt::CTRL | Qt::Key_B), false},
            {"AlignCenter1", "Align Center", QKeySequence(Qt::CTRL | Qt::Key_E), false},
            {"mnuBuilder", "&Builder", QKeySequence(), false},
            {"mnuWordWrap", "&Word Wrap", QKeySequence(), false},
            {"mnuFirst", "&First", QKeySequence(Qt::Key_F7), true},
            {"mnuPrevious", "&Previous", QKeySequence(Qt::Key_F5), true},
            {"mnuNext", "&Next", QKeySequence(Qt::Key_F6), true},
            {"mnuLast", "&Last", QKeySequence(Qt::Key_F8), true},
            {"LockRowsColumns1", "Lock &Rows && Columns", QKeySequence(), true},
            {"TandelonthWeb1", "&Tandel on the Web", QKeySequence(), true},
        };
        QList<QAction*> inMenus;
        for (QMenu* m : frmEdit->findChildren<QMenu*>())
            inMenus += m->actions();
        for (const Item& it : items) {
            auto* a = frmEdit->findChild<QAction*>(QString::fromLatin1(it.name));
            QVERIFY2(a, it.name);
            QCOMPARE(a->text(), QString::fromLatin1(it.caption));
            QCOMPARE(a->shortcut(), it.shortcut);
            QCOMPARE(inMenus.contains(a), it.shown);
        }
        QVERIFY(!frmEdit->menus().mnuCashflow->menuAction()->isVisible());
        const QStringList popup = {"&Undo",  "Cu&t",        "&Copy",
                                   "&Paste", "Delete &Row", "&Insert Date"};
        QStringList popupCaptions;
        for (QAction* a : frmEdit->menus().mnupopup->actions())
            if (!a->isSeparator()) popupCaptions << a->text();
        QCOMPARE(popupCaptions, popup);
        QVERIFY(!frmEdit->menus().DeleteRow1->isVisible());

        const QList<QPair<QString, QString>> hints = {{"cmdOpen", "Open"},
                                                      {"cmdSave", "Save"},
                                                      {"cmdPrintAll", "Print All"},
                                                      {"cmdPrint", "Print Plan"},
                                                      {"cmdPrintSpread", "Print Budget"},
                                                      {"cmdCut", "Cut"},
                                                      {"cmdCopy", "Copy"},
                                                      {"cmdPaste", "Paste"},
                                                      {"cmdHideNav", "Show/Hide Navigator"},
                                                      {"cmdFind", "Find"},
                                                      {"cmdUndo", "Undo"},
                                                      {"cmdSpell", "Spelling"},
                                                      {"cmdCal", "Calendar"},
                                                      {"cmdeg", "Example"},
                                                      {"btnFirst", "First"},
                                                      {"btnPrior", "Previous"},
                                                      {"btnNext", "Next"},
                                                      {"btnLast", "Last"}};
        for (const auto& [name, hint] : hints) {
            auto* b = child<QToolButton>(frmEdit, name);
            QVERIFY2(b, qPrintable(name));
            QCOMPARE(b->toolTip(), hint);
            QVERIFY2(!b->icon().isNull(), qPrintable(name));
            QVERIFY2(b->parentWidget()->objectName() != "docFormatting" || name.startsWith("cmd"),
                     qPrintable(name));
        }
        for (const char* name : {"cmdOpen", "cmdSave", "cmdHideNav", "cmdeg"})
            QCOMPARE(child<QWidget>(frmEdit, name)->parentWidget(),
                     static_cast<QWidget*>(frmEdit->docStandard));
        for (const char* name : {"cmbFont", "cmbFontSize", "cmdBold", "cmdJustify"})
            QCOMPARE(child<QWidget>(frmEdit, name)->parentWidget(),
                     static_cast<QWidget*>(frmEdit->docFormatting));

        QStringList sizes;
        for (int i = 0; i < frmEdit->cmbFontSize->count(); ++i)
            sizes << frmEdit->cmbFontSize->itemText(i);
        QCOMPARE(sizes, QStringList({"8", "9", "10", "11", "12", "14", "16", "18", "20", "22", "24",
                                     "26", "28", "36", "48", "72"}));
        QVERIFY(frmEdit->cmbFont->count() > 0);
        QCOMPARE(frmEdit->cmbFont->currentText(), QString());
        QStringList fonts;
        for (int i = 0; i < frmEdit->cmbFont->count(); ++i)
            fonts << frmEdit->cmbFont->itemText(i);
        QCOMPARE(fonts.size(), QSet<QString>(fonts.begin(), fonts.end()).size());
        for (int i = 1; i < frmEdit->cmbFont->count(); ++i)
            QVERIFY(QString::compare(frmEdit->cmbFont->itemText(i - 1),
                                     frmEdit->cmbFont->itemText(i), Qt::CaseInsensitive) <= 0);

        QCOMPARE(frmEdit->docStandard->height(), 26);
        QCOMPARE(frmEdit->docFormatting->height(), 26);
        QCOMPARE(frmEdit->Statusbar1->height(), 21);
        QCOMPARE(frmEdit->pnlPointer->width(), 11);
        QVERIFY(!frmEdit->btnFirst->isEnabled());
        QVERIFY(!frmEdit->btnPrior->isEnabled());
        QVERIFY(frmEdit->btnNext->isEnabled());
        QVERIFY(frmEdit->btnLast->isEnabled());
        QVERIFY(frmEdit->atxpagenumber->isHidden());
        QVERIFY(frmEdit->pnlSpread->isHidden());
        for (const char* name : {"ATX321", "ATX322", "atxpagenumber"})
            QVERIFY2(qobject_cast<TextControl*>(child<QWidget>(frmEdit, name)), name);
    }

    void viewChecksFollowTheToolbars() {
        TestEnv env;
        writeSettings({{"bps", "tips", "0"}});
        Started app;
        frmEdit->SetPlanControls(true);
        frmEdit->menus().mnuStandard->trigger();
        QVERIFY(frmEdit->docStandard->isHidden());
        QVERIFY(!frmEdit->menus().mnuStandard->isChecked());
        frmEdit->menus().mnuStandard->trigger();
        QVERIFY(!frmEdit->docStandard->isHidden());
        QVERIFY(frmEdit->menus().mnuStandard->isChecked());

        // Whatever hides a toolbar, its mark follows.
        frmEdit->docFormatting->hide();
        QVERIFY(!frmEdit->menus().mnuFormatting->isChecked());
        frmEdit->docFormatting->show();
        QVERIFY(frmEdit->menus().mnuFormatting->isChecked());
        frmEdit->docBuilder->show();
        QVERIFY(frmEdit->menus().mnuBuilder->isChecked());
        frmEdit->menus().mnuBuilder->trigger();
        QVERIFY(frmEdit->docBuilder->isHidden());
        QVERIFY(!frmEdit->menus().mnuBuilder->isChecked());

        // Shown again, the standard toolbar goes back above the formatting one.
        frmEdit->menus().mnuStandard->trigger();
        frmEdit->menus().mnuFormatting->trigger();
        frmEdit->menus().mnuStandard->trigger();
        frmEdit->menus().mnuFormatting->trigger();
        QVERIFY(frmEdit->docStandard->y() <= frmEdit->docFormatting->y());
        QApplication::processEvents();
        QVERIFY(frmEdit->docStandard->geometry().bottom() < frmEdit->docFormatting->y());

        frmEdit->menus().mnuStatusbar->trigger();
        QVERIFY(frmEdit->Statusbar1->isHidden());
        QVERIFY(!frmEdit->menus().mnuStatusbar->isChecked());
        frmEdit->menus().mnuStatusbar->trigger();
        QVERIFY(!frmEdit->Statusbar1->isHidden());
        QVERIFY(frmEdit->menus().mnuStatusbar->isChecked());

        frmEdit->cmdHideNav->click();
        QVERIFY(frmEdit->Panel1->isHidden());
        QVERIFY(!frmEdit->menus().mnuNavigator->isChecked());
        QVERIFY(!frmEdit->cmdHideNav->isChecked());
        QCOMPARE(frmEdit->JPSplitter2->height(), 0);
        frmEdit->menus().mnuNavigator->trigger();
        QVERIFY(!frmEdit->Panel1->isHidden());
        QVERIFY(frmEdit->menus().mnuNavigator->isChecked());
        QVERIFY(frmEdit->cmdHideNav->isChecked());
        QCOMPARE(frmEdit->JPSplitter2->height(), 7);

        frmEdit->menus().mnuWordWrap->trigger();
        QVERIFY(frmEdit->menus().mnuWordWrap->isChecked());
        frmEdit->mnuWordWrapClick();
        QVERIFY(!frmEdit->menus().mnuWordWrap->isChecked());

        // The hidden formatting items flip their buttons.
        frmEdit->menus().Bold1->trigger();
        QVERIFY(frmEdit->cmdBold->isChecked());
        frmEdit->menus().Bold1->trigger();
        QVERIFY(!frmEdit->cmdBold->isChecked());
        frmEdit->menus().AlignRight1->trigger();
        QVERIFY(frmEdit->cmdRight->isChecked());
        QVERIFY(!frmEdit->cmdLeft->isChecked());
    }

    void dividersKeepTheirMargins() {
        TestEnv env;
        writeSettings({{kMain, "WindowState", "0"}, {"bps", "tips", "0"}});
        Started app;
        frmEdit->PanelAll->show();
        frmEdit->resize(630, 470);
        QApplication::processEvents();
        DividerBar* bar = frmEdit->JPSplitter1;
        const QPoint start = bar->rect().center();
        QTest::mousePress(bar, Qt::LeftButton, {}, start);
        QMouseEvent move(QEvent::MouseMove, QPointF(start - QPoint(500, 0)),
                         QPointF(bar->mapToGlobal(start - QPoint(500, 0))), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(bar, &move);
        QTest::mouseRelease(bar, Qt::LeftButton, {}, start - QPoint(500, 0));
        QCOMPARE(frmEdit->Panel3->width(), 20);
    }

    void startupTexts() {
        TestEnv env;
        writeSettings({{"bps", "tips", "0"}});
        const bool shipped = QFile::exists(Folders::resolve(env.dataFolder() + "startup.plt"));
        {
            Started app;
            if (shipped) QVERIFY(!frmEdit->ATX321->toPlainText().isEmpty());
            QVERIFY(frmEdit->ATX321->isEnabled());
            QVERIFY(frmEdit->ATX322->DocWidth() > 0);
            // Once a plan shows the panels, both texts paint (no repaint lock is left on).
            frmEdit->PanelAll->show();
            frmEdit->resize(800, 600);
            QApplication::processEvents();
            QVERIFY(frmEdit->updatesEnabled());
            QVERIFY(frmEdit->ATX321->updatesEnabled());
            QVERIFY(frmEdit->ATX322->updatesEnabled());
            // The guidance page follows its pane's width, less the scroll bar's allowance.
            const int paneWidth = frmEdit->Panel4->width();
            QVERIFY(qAbs(frmEdit->ATX322->DocWidth() -
                         qRound((paneWidth - 20) * 1440.0 / frmEdit->logicalDpiX())) <= 1);
        }
        // Missing start-up texts leave the controls empty and ask nothing.
        QFile::remove(Folders::resolve(env.dataFolder() + "startup.plt"));
        QFile::remove(Folders::resolve(env.dataFolder() + "startup.rtf"));
        Started app;
        ModalAnswer none([](QWidget* w) { pressKey(w, Qt::Key_Escape); }, 300);
        QTest::qWait(350);
        QVERIFY(!none.wasAnswered());
        QVERIFY(frmEdit->ATX321->toPlainText().isEmpty());
        QVERIFY(frmEdit->ATX322->toPlainText().isEmpty());
    }

    void helpAndWeb() {
        TestEnv env;
        writeSettings({{"bps", "tips", "0"}, {"Web", "Home", "https://example.org/home"}});
        Started app;
        QList<QUrl> opened;
        Launcher::setUrlOpener([&opened](const QUrl& url) {
            opened << url;
            return true;
        });
        // The launcher named in the settings is not installed: the browser gets the page.
        frmEdit->menus().TandelonthWeb1->trigger();
        Launcher::setUrlOpener({});
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened.first(), QUrl(QStringLiteral("https://example.org/home")));

        frmEdit->menus().HelpTopics2->trigger();
        QVERIFY(HelpSystem::instance().viewer());
        QCOMPARE(HelpSystem::instance().viewer()->currentContext(), 1);
        // Closing the program closes the help with it, or the program would stay running.
        QVERIFY(closeMainWindow());
        QVERIFY(!HelpSystem::instance().viewer()->isVisible());
    }
};

QTEST_MAIN(TestEditfrm)
#include "tst_editfrm.moc"
