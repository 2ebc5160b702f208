#include "app/editfrm.h"
#include "app/splasfrm.h"
#include "platform/folders.h"
#include "platform/helpsystem.h"
#include "platform/inifile.h"
#include "platform/launcher.h"
#include "support/modal.h"
#include "support/testenv.h"
#include "windows/aboutfrm.h"
#include "windows/tipsfrm.h"

#include <QCheckBox>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QUrl>

namespace {

QStringList labelTexts(QWidget* w) {
    QStringList texts;
    for (QLabel* l : w->findChildren<QLabel*>())
        texts << l->text();
    return texts;
}

int pictureCount(QWidget* w) {
    int n = 0;
    for (QLabel* l : w->findChildren<QLabel*>())
        if (!l->pixmap().isNull()) ++n;
    return n;
}

} // namespace

class TestTips : public QObject {
    Q_OBJECT
private slots:
    void tipsSheet() {
        TestEnv env;
        TfrmTips tips;
        QVERIFY(tips.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(tips.windowTitle(), QString());
        const QStringList texts = labelTexts(&tips);
        const QStringList expected = {"A quick guide to editing",
                                      "[Ctrl B]",
                                      "Bold Text",
                                      "[Ctrl I]",
                                      "Italic Text",
                                      "[Ctrl U]",
                                      "Underline Text",
                                      "Set Text Colour",
                                      "[Ctrl L]",
                                      " Align Left",
                                      "[Ctrl E]",
                                      "Align Centre",
                                      "[Ctrl R]",
                                      "Align Right ",
                                      "[Ctrl J]",
                                      "Justify Text",
                                      "Insert Date",
                                      "Double Click to insert date",
                                      "Double Click to select a word or phrase from selection",
                                      "[F12] to move to next Bluetext",
                                      "[F11] to move to previous Bluetext",
                                      "Move to first section of plan",
                                      "Move to previous section of plan",
                                      "Move to next section of plan",
                                      "Move to last section of plan"};
        for (const QString& text : expected)
            QVERIFY2(texts.contains(text), qPrintable(text));
        // The colour button, the calendar and the four navigation pictures.
        QCOMPARE(pictureCount(&tips), 6);
        const QString samples = texts.join(QLatin1Char('\n'));
        for (const char* sample : {"[Date]", "[our/their]", "[time/date]", "best"})
            QVERIFY2(samples.contains(QString::fromLatin1(sample)), sample);
        QVERIFY(samples.contains(QStringLiteral("color:#0000ff\">[our]")));
        QCOMPARE(tips.chkDontShow->text(), QStringLiteral("&Dont show this again"));
        QCOMPARE(tips.cmdOk->text(), QStringLiteral("Ok"));
        QVERIFY(tips.cmdOk->isDefault());
        QCOMPARE(tips.cmdHelp->text(), QStringLiteral("&Help"));
    }

    void tipsCentredOnTheScreen() {
        TestEnv env;
        TfrmTips tips;
        ModalAnswer answer([](QWidget* w) { clickButton(w, QStringLiteral("cmdOk")); });
        tips.exec();
        QVERIFY(answer.wasAnswered());
        const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
        QVERIFY(qAbs(tips.geometry().center().x() - centre.x()) <= 1);
        QVERIFY(qAbs(tips.geometry().center().y() - centre.y()) <= 1);
    }

    void okWritesOnlyWhenTicked() {
        TestEnv env;
        TfrmTips tips;
        ModalAnswer unticked([](QWidget* w) { clickButton(w, QStringLiteral("cmdOk")); });
        tips.exec();
        QVERIFY(unticked.wasAnswered());
        QVERIFY(!QFile::exists(Folders::settingsFile()));
        QVERIFY(TfrmTips::TipsWanted());

        ModalAnswer ticked([](QWidget* w) {
            child<QCheckBox>(w, QStringLiteral("chkDontShow"))->setChecked(true);
            clickButton(w, QStringLiteral("cmdOk"));
        });
        tips.exec();
        QVERIFY(ticked.wasAnswered());
        QCOMPARE(IniFile(Folders::settingsFile()).readInteger("bps", "tips", -1), 0);
        QVERIFY(!TfrmTips::TipsWanted());
        QVERIFY(!tips.isVisible());
    }

    void tipsHelpOpensTopicOne() {
        TestEnv env;
        HelpSystem::instance().setHelpFile(QStringLiteral("qmphelp.hlp"));
        TfrmTips tips;
        ModalAnswer answer([](QWidget* w) {
            clickButton(w, QStringLiteral("cmdHelp"));
            clickButton(w, QStringLiteral("cmdOk"));
        });
        tips.exec();
        QVERIFY(answer.wasAnswered());
        QVERIFY(HelpSystem::instance().viewer());
        QCOMPARE(HelpSystem::instance().viewer()->currentContext(), 1);
        HelpSystem::instance().viewer()->close();
    }

    void aboutBox() {
        TestEnv env;
        Tfrmabout about;
        QCOMPARE(about.windowTitle(), QStringLiteral("About Zurozurov Irod"));
        QCOMPARE(about.lblProduct->text(), QStringLiteral("Tandel Zurozurov Irod"));
        const QFont f = about.lblProduct->font();
        QVERIFY(f.bold());
        QVERIFY(f.underline());
        QVERIFY(f.pointSizeF() > about.lblVersion->font().pointSizeF());
        QCOMPARE(about.lblProduct->palette().color(QPalette::WindowText), QColor(128, 0, 0));
        QCOMPARE(about.lblVersion->text(), QStringLiteral("V1.0 - 32"));
        QVERIFY(!about.Image1->pixmap().isNull());
        QCOMPARE(about.cmdOK->text(), QStringLiteral("&OK"));
        QVERIFY(about.cmdOK->isDefault());

        ModalAnswer ok([](QWidget* w) { clickButton(w, QStringLiteral("cmdOK")); });
        QCOMPARE(about.exec(), int(QDialog::Accepted));
        QVERIFY(ok.wasAnswered());

        ModalAnswer escape([](QWidget* w) { pressKey(w, Qt::Key_Escape); });
        about.exec();
        QVERIFY(escape.wasAnswered());
        QVERIFY(!about.isVisible());
    }

    void aboutWebButtonOpensTheHomePage() {
        TestEnv env;
        IniFile(Folders::settingsFile()).writeString("Web", "Home", "https://example.net/tz");
        Tfrmabout about;
        QList<QUrl> opened;
        Launcher::setUrlOpener([&opened](const QUrl& url) {
            opened << url;
            return true;
        });
        about.cmdWeb->click();
        Launcher::setUrlOpener({});
        QCOMPARE(opened, QList<QUrl>{QUrl(QStringLiteral("https://example.net/tz"))});
    }

    void splashWindow() {
        TfrmSplash splash;
        QCOMPARE(splash.windowTitle(), QStringLiteral("Splash"));
        QCOMPARE(splash.size(), QSize(300, 265));
        QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(splash.windowFlags() & Qt::WindowStaysOnTopHint);
        const QPoint centre = QGuiApplication::primaryScreen()->geometry().center();
        QVERIFY(qAbs(splash.geometry().center().x() - centre.x()) <= 1);
        // The words are drawn white with a navy shadow one pixel down and right.
        const QImage img = splash.grab().toImage();
        int white = 0, navyBelowWhite = 0;
        for (int y = 10; y < 75; ++y)
            for (int x = 0; x + 1 < img.width(); ++x) {
                if (img.pixelColor(x, y) == Qt::white) {
                    ++white;
                    const QColor below = img.pixelColor(x + 1, y + 1);
                    if (below == QColor(0, 0, 128)) ++navyBelowWhite;
                }
            }
        QVERIFY(white > 50);
        QVERIFY(navyBelowWhite > 10);
    }
};

QTEST_MAIN(TestTips)
#include "tst_tips.moc"
