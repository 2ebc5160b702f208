#include "platform/folders.h"
#include "platform/helpsystem.h"
#include "support/modal.h"
#include "support/testenv.h"

#include <QDialog>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTextBrowser>
#include <QUrl>

namespace {
QString sample() {
    return QStringLiteral(TANDEL_TEST_DATA_DIR "/sample.hlp");
}

// Puts the sample help file in the data folder under the name given, in place of any
// help file of that name shipped there.
bool installSample(const TestEnv& env, const QString& name) {
    const QString shipped = Folders::resolve(env.dataFolder() + name);
    if (QFile::exists(shipped) && !QFile::remove(shipped)) return false;
    return QFile::copy(sample(), env.dataFolder() + name);
}
} // namespace

class TestHelpSystem : public QObject {
    Q_OBJECT
private slots:
    void cleanup() {
        if (HelpViewer* v = HelpSystem::instance().viewer()) v->hide();
    }

    void parsesTopics() {
        const HelpDocument doc = HelpDocument::load(sample());
        QCOMPARE(int(doc.topics().size()), 5); // 1, 2, 7, 7 (duplicate), 16
        QCOMPARE(doc.title(), QString("Sample Help Contents"));
        QVERIFY(doc.topic(2));
        QCOMPARE(doc.topic(2)->title, QString("Saving a plan"));
        QVERIFY(doc.topic(2)->body.contains("<b>Save</b>"));
        // The first of two topics with one number wins.
        QCOMPARE(doc.topic(7)->title, QString("Creating a new plan"));
        // Nothing before the first topic, nothing under a header without a number.
        for (const HelpTopic& t : doc.topics()) {
            QVERIFY(!t.body.contains("come before the first topic"));
            QVERIFY(!t.body.contains("malformed header"));
        }
        QVERIFY(!doc.topic(16)->body.contains("Body under a malformed"));
        QVERIFY(!doc.topic(99));
    }

    void parsesCrlfBomAndContentsFallback() {
        const QByteArray text =
            "\xEF\xBB\xBF@topic 5 First\r\n<p>five</p>\r\n@topic 6\r\n<p>six</p>\r\n";
        const HelpDocument doc = HelpDocument::parse(text);
        QCOMPARE(int(doc.topics().size()), 2);
        QCOMPARE(doc.topic(5)->body, QString("<p>five</p>"));
        QCOMPARE(doc.topic(6)->title, QString());
        // Without a topic 1 the first topic is the contents.
        QCOMPARE(doc.contents()->context, 5);
        QVERIFY(HelpDocument::parse("no topics at all\n").isEmpty());
        QVERIFY(HelpDocument::load("/nonexistent/help.hlp").isEmpty());
    }

    void headingsAreNotRepeated() {
        const HelpDocument doc = HelpDocument::parse(
            "@topic 1 Contents\n<H2 class=\"x\">Tandel &amp; Co <b>Help</b></h2>\n"
            "<p>Choose.</p>\n@topic 2 Two\n<h2>Two</h2>\n<p>Body</p>\n"
            "@topic 3 Three\n<h3>Sub</h3><p>Body</p>\n");
        // A contents page with a heading names the file.
        QCOMPARE(doc.title(), QString("Tandel & Co Help"));
        HelpViewer v;
        v.setDocument(doc, "x.hlp");
        QCOMPARE(v.windowTitle(), QString("Tandel & Co Help"));
        v.showContext(2);
        QCOMPARE(v.pageText().count("Two"), 1);
        v.showContext(3); // no heading of its own: the title is shown above it
        QVERIFY(v.pageText().startsWith("Three"));
        QVERIFY(v.pageText().contains("Sub"));
    }

    void bareNameIsFoundInDataFolderWithoutRegardToCase() {
        TestEnv env;
        QVERIFY(installSample(env, "QmpHelp.HLP"));
        HelpSystem& help = HelpSystem::instance();
        help.setHelpFile("qmphelp.hlp");
        QCOMPARE(help.helpFile(), env.dataFolder() + "QmpHelp.HLP");

        help.showContext(2);
        HelpViewer* v = help.viewer();
        QVERIFY(v);
        QVERIFY(v->isVisible());
        QCOMPARE(v->windowTitle(), QString("Sample Help Contents"));
        QCOMPARE(v->currentContext(), 2);
        QVERIFY(v->showsTopic());
        QVERIFY(v->pageText().contains("Saving a plan"));
        QVERIFY(v->pageText().contains("Choose Save from the File menu."));
        auto* list = v->findChild<QListWidget*>("lstContents");
        QVERIFY(list);
        QCOMPARE(list->count(), 5);
        QCOMPARE(list->currentItem()->text(), QString("Saving a plan"));
    }

    void missingTopicAndMissingFileShowAFriendlyPage() {
        TestEnv env;
        QVERIFY(installSample(env, "qmphelp.hlp"));
        HelpSystem& help = HelpSystem::instance();
        help.setHelpFile("qmphelp.hlp");
        help.showContext(99);
        HelpViewer* v = help.viewer();
        QVERIFY(!v->showsTopic());
        QVERIFY(v->pageText().contains("There is no help for this topic"));
        QVERIFY(v->pageText().contains("99"));
        QCOMPARE(v->windowTitle(), QString("Sample Help Contents"));

        help.setHelpFile("absent.hlp");
        help.showContext(1);
        QVERIFY(v->isVisible());
        QVERIFY(v->pageText().contains("There is no help for this topic"));
        QVERIFY(v->pageText().contains("absent.hlp"));
        QCOMPARE(v->windowTitle(), QString("Help"));
        QCOMPARE(v->findChild<QListWidget*>("lstContents")->count(), 0);
    }

    void linksAndHistory() {
        TestEnv env;
        QVERIFY(installSample(env, "qmphelp.hlp"));
        HelpSystem& help = HelpSystem::instance();
        help.setHelpFile("qmphelp.hlp");
        help.showContext(1);
        HelpViewer* v = help.viewer();
        auto* text = v->findChild<QTextBrowser*>("txtTopic");
        QVERIFY(!v->canGoBack());
        emit text->anchorClicked(QUrl("#2"));
        QCOMPARE(v->currentContext(), 2);
        emit text->anchorClicked(QUrl("#7"));
        QCOMPARE(v->currentContext(), 7);
        QVERIFY(v->pageText().contains("Naming the plan"));

        QVERIFY(clickButton(v, "cmdBack"));
        QCOMPARE(v->currentContext(), 2);
        QVERIFY(clickButton(v, "cmdBack"));
        QCOMPARE(v->currentContext(), 1);
        QVERIFY(!child<QPushButton>(v, "cmdBack")->isEnabled());
        QVERIFY(clickButton(v, "cmdForward"));
        QCOMPARE(v->currentContext(), 2);
        // Following a link drops the pages ahead.
        emit text->anchorClicked(QUrl("#16"));
        QVERIFY(!v->canGoForward());
        QVERIFY(clickButton(v, "cmdContents"));
        QCOMPARE(v->currentContext(), 1);
        QVERIFY(v->canGoBack());

        // Choosing from the contents list moves too.
        auto* list = v->findChild<QListWidget*>("lstContents");
        emit list->itemActivated(list->item(4));
        QCOMPARE(v->currentContext(), 16);
    }

    // The window opens wide enough for the examples' tables, but never larger than the
    // screen it opens on.
    void viewerOpensWideButOnTheScreen() {
        TestEnv env;
        QVERIFY(installSample(env, "qmphelp.hlp"));
        delete HelpSystem::instance().viewer();
        HelpSystem::instance().setHelpFile("qmphelp.hlp");
        HelpSystem::instance().showContext(1);
        const HelpViewer* v = HelpSystem::instance().viewer();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(screen.contains(v->frameGeometry()) || screen.contains(v->geometry()));
        QCOMPARE(v->width(), qMin(920, int(screen.width() * 0.9)));
    }

    void switchingTheFileKeepsThePageShown() {
        TestEnv env;
        QVERIFY(installSample(env, "eg.hlp"));
        HelpSystem& help = HelpSystem::instance();
        help.setHelpFile(env.dataFolder() + "EG.HLP");
        help.showContext(16);
        help.setHelpFile("qmphelp.hlp"); // not there
        HelpViewer* v = help.viewer();
        QCOMPARE(v->currentContext(), 16);
        QVERIFY(v->showsTopic());
        QVERIFY(v->pageText().contains("key factor for success"));
    }

    void viewerOpenedFromAModalWindowBelongsToIt() {
        TestEnv env;
        QVERIFY(installSample(env, "qmphelp.hlp"));
        HelpSystem::instance().setHelpFile("qmphelp.hlp");
        QDialog dialog;
        bool ownedByDialog = false;
        bool visible = false;
        ModalAnswer answer([&](QWidget* w) {
            HelpSystem::instance().showContext(7);
            HelpViewer* v = HelpSystem::instance().viewer();
            ownedByDialog = v->parentWidget() == w && v->isWindow();
            visible = v->isVisible();
            static_cast<QDialog*>(w)->accept();
        });
        dialog.exec();
        QVERIFY(answer.wasAnswered());
        QVERIFY(ownedByDialog);
        QVERIFY(visible);
    }
};

QTEST_MAIN(TestHelpSystem)
#include "tst_helpsystem.moc"
