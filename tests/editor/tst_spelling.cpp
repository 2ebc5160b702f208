#include "controls/speller/speller.h"
#include "controls/text/textcontrol.h"
#include "dialogs/dialogfrm.h"
#include "editor/dicfrm.h"
#include "editor/spelling.h"
#include "support/modal.h"
#include "support/testenv.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// Answers a series of modal windows in turn, one step for each; a window that comes when
// no step is left is refused (and recorded) so that a wrong test cannot hang.
class ModalScript {
public:
    using Step = std::function<void(QWidget*)>;
    explicit ModalScript(QList<Step> steps) : m_steps(std::move(steps)) {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget* w = QApplication::activeModalWidget();
            if (!w || !w->isVisible()) return;
            seen << QString::fromLatin1(w->metaObject()->className()) + ':' + w->windowTitle();
            if (m_next < m_steps.size()) {
                m_steps[m_next++](w);
            } else if (auto* d = qobject_cast<QDialog*>(w)) {
                unexpected = true;
                d->reject();
            }
        });
        m_timer.start();
    }
    int answered() const { return m_next; }
    // Stops answering, so that a script for the next check can take over.
    void stop() { m_timer.stop(); }
    QStringList seen;
    bool unexpected = false;

private:
    QList<Step> m_steps;
    int m_next = 0;
    QTimer m_timer;
};

QString labelText(QWidget* w) {
    auto* l = child<QLabel>(w, "dlgLabel");
    return l ? l->text() : QString();
}

} // namespace

class TestSpelling : public QObject {
    Q_OBJECT

    TestEnv* env = nullptr;
    TextControl* atx = nullptr;
    Speller* speller = nullptr;
    TfrmDic* dic = nullptr;
    QWidget* window = nullptr;

    // A step answering the spelling window: checks the word shown and that the text has
    // exactly that word selected, then does what the step says.
    ModalScript::Step onWord(const QString& expected, std::function<void(TfrmDic*)> answer) {
        return [this, expected, answer](QWidget* w) {
            auto* d = qobject_cast<TfrmDic*>(w);
            if (!d) {
                m_stepErrors << "expected the spelling window for " + expected + ", got " +
                                    w->windowTitle() + " " + labelText(w);
                static_cast<QDialog*>(w)->reject();
                return;
            }
            if (d->txtWrong->text() != expected)
                m_stepErrors << "shown " + d->txtWrong->text() + " instead of " + expected;
            if (atx->SelText() != expected)
                m_stepErrors << "selected '" + atx->SelText() + "' for " + expected;
            if (atx->WriteProtect() != 0) m_stepErrors << "text still read-only at " + expected;
            answer(d);
        };
    }
    ModalScript::Step onMessage(const QString& caption, const QString& text) {
        return [this, caption, text](QWidget* w) {
            if (w->windowTitle() != caption || !labelText(w).contains(text))
                m_stepErrors << "expected " + caption + ": " + text + ", got " + w->windowTitle() +
                                    ": " + labelText(w);
            if (!clickButton(w, "cmdOk")) static_cast<QDialog*>(w)->reject();
        };
    }
    QStringList m_stepErrors;

    void setText(const QString& plain) {
        atx->setWriteProtect(0);
        atx->setPlainText(plain);
        atx->setSelStart(0);
    }

private slots:
    void init() {
        Speller::setDictionaryFolders({});
        env = new TestEnv;
        window = new QWidget;
        window->resize(700, 300);
        atx = new TextControl(window);
        atx->setObjectName("ATX321");
        atx->resize(680, 280);
        window->show();
        speller = new Speller;
        dic = new TfrmDic(window);
        m_stepErrors.clear();
    }
    void cleanup() {
        delete dic;
        delete speller;
        delete window;
        delete env;
    }

    void dialogShowsWordAndSuggestions() {
        QCOMPARE(dic->windowTitle(), QString("Spelling"));
        QCOMPARE(child<QLabel>(dic, "lblWrong")->text(), QString("&Not in Dictionary:"));
        QCOMPARE(child<QLabel>(dic, "lblRight")->text(), QString("&Change To:"));
        QCOMPARE(child<QLabel>(dic, "lblSuggestions")->text(), QString("&Suggestions:"));
        QCOMPARE(dic->cmdChange->text(), QString("&Change"));
        QCOMPARE(dic->cmdIgnore->text(), QString("&Ignore"));
        QCOMPARE(dic->cmdIgnoreAll->text(), QString("I&gnore All"));
        QCOMPARE(dic->cmdAdd->text(), QString("&Add"));
        QCOMPARE(dic->cmdCancel->text(), QString("Cancel"));

        dic->fill("markting", {"marketing", "marking"});
        QCOMPARE(dic->txtWrong->text(), QString("markting"));
        QCOMPARE(dic->txtRight->text(), QString("marketing"));
        QCOMPARE(dic->lstSuggestions->count(), 2);
        QVERIFY(dic->cmdChange->isEnabled());
        // A second word leaves nothing of the first behind.
        dic->fill("Zorblat", {});
        QCOMPARE(dic->lstSuggestions->count(), 0);
        QCOMPARE(dic->txtRight->text(), QString());
        QVERIFY(!dic->cmdChange->isEnabled());
        dic->txtRight->setText("Zorblatt");
        QVERIFY(dic->cmdChange->isEnabled());

        // A click copies a suggestion; a double click changes; Escape cancels.
        dic->fill("teh", {"the", "tech", "ten"});
        ModalAnswer click([this](QWidget*) {
            QListWidgetItem* item = dic->lstSuggestions->item(1);
            const QRect r = dic->lstSuggestions->visualItemRect(item);
            QTest::mouseClick(dic->lstSuggestions->viewport(), Qt::LeftButton, {}, r.center());
            if (dic->txtRight->text() == "tech")
                QTest::mouseDClick(dic->lstSuggestions->viewport(), Qt::LeftButton, {}, r.center());
            else
                dic->reject();
        });
        QCOMPARE(dic->execute(), int(TfrmDic::Change));
        QVERIFY(click.wasAnswered());
        QCOMPARE(dic->txtRight->text(), QString("tech"));
        ModalAnswer escape([](QWidget* w) { pressKey(w, Qt::Key_Escape); });
        QCOMPARE(dic->execute(), int(TfrmDic::Cancel));
        QVERIFY(escape.wasAnswered());
    }

    void cleanTextCompletesAtOnceAndRestoresView() {
        QString plain;
        for (int i = 0; i < 150; ++i)
            plain += QString("Paragraph number %1 of our marketing plan is correct.\n").arg(i);
        setText(plain);
        QTest::qWait(20);
        atx->setSelStart(2000);
        atx->setScrollVert(atx->EndScrollPos() / 2);
        const int scroll = atx->ScrollVert();
        QVERIFY(scroll > 0);

        int wpDuringCheck = -1;
        ModalScript script({onMessage("Information", "The spelling check is complete")});
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            if (!QApplication::activeModalWidget())
                wpDuringCheck = std::max(wpDuringCheck, atx->WriteProtect());
        });
        probe.start(0);
        speller->setSliceLimits(20, 0);
        QCOMPARE(CheckSpelling(atx, speller, dic), SpellCheckEnd::Complete);
        probe.stop();
        script.stop();
        QCOMPARE(script.answered(), 1);
        QVERIFY2(m_stepErrors.isEmpty(), qPrintable(m_stepErrors.join('\n')));
        QVERIFY(!script.unexpected);
        // The window kept answering while the long text was checked, and the text was
        // read-only meanwhile.
        QCOMPARE(wpDuringCheck, 1);
        QCOMPARE(atx->WriteProtect(), 0);
        QCOMPARE(atx->SelStart(), 0);
        QCOMPARE(atx->SelLength(), 0);
        QCOMPARE(atx->ScrollVert(), scroll);

        // With a selection, the same selection comes back.
        atx->setSelStart(300);
        atx->setSelLength(700);
        atx->setScrollVert(scroll);
        ModalScript again({onMessage("Information", "The spelling check is complete")});
        QCOMPARE(CheckSpelling(atx, speller, dic), SpellCheckEnd::Complete);
        QCOMPARE(again.answered(), 1);
        QCOMPARE(atx->SelStart(), 300);
        QCOMPARE(atx->SelLength(), 700);
        QCOMPARE(atx->ScrollVert(), scroll);
    }

    void cancelOnFirstWordLeavesItSelected() {
        setText("Our markting plan is teh best");
        bool suggested = false;
        ModalScript script({onWord("markting", [&](TfrmDic* d) {
            suggested = d->lstSuggestions->count() > 0 &&
                        d->txtRight->text() == d->lstSuggestions->item(0)->text() &&
                        !d->lstSuggestions->findItems("marketing", Qt::MatchExactly).isEmpty();
            clickButton(d, "cmdCancel");
        })});
        QCOMPARE(CheckSpelling(atx, speller, dic), SpellCheckEnd::Cancelled);
        QTest::qWait(50); // a completion message would have come by now
        QCOMPARE(script.answered(), 1);
        QVERIFY(!script.unexpected);
        QVERIFY2(m_stepErrors.isEmpty(), qPrintable(m_stepErrors.join('\n')));
        QVERIFY(suggested);
        QCOMPARE(atx->SelStart(), 4);
        QCOMPARE(atx->SelText(), QString("markting"));
        QCOMPARE(atx->WriteProtect(), 0);
        QCOMPARE(atx->toPlainText(), QString("Our markting plan is teh best"));
        script.stop();
        // The next check starts afresh.
        ModalScript next({onWord("markting", [](TfrmDic* d) { clickButton(d, "cmdCancel"); })});
        atx->setSelStart(0);
        QCOMPARE(CheckSpelling(atx, speller, dic), SpellCheckEnd::Cancelled);
    }

    void changeIgnoreIgnoreAllAndAdd() {
        setText("Zorblat sells gadgts to teh trade.\n"
                "Zorblat and Quixxle recieve teh orders; Zorblat again, Quixxle.");
        // Everything starts as a blue prompt; corrections become the user's black text.
        atx->selectAll();
        atx->setFontColor(0xFF0000);
        atx->setHTag(1);
        atx->setSelStart(0);
        ModalScript script({
            onWord("Zorblat", [](TfrmDic* d) { clickButton(d, "cmdIgnoreAll"); }),
            onWord("gadgts",
                   [](TfrmDic* d) {
                       setEditText(d, "txtRight", "gadgets");
                       clickButton(d, "cmdChange");
                   }),
            onWord("teh",
                   [](TfrmDic* d) {
                       setEditText(d, "txtRight", "the whole");
                       pressKey(d->txtRight, Qt::Key_Return);
                   }),
            onWord("Quixxle", [](TfrmDic* d) { clickButton(d, "cmdAdd"); }),
            onWord("recieve",
                   [](TfrmDic* d) {
                       auto items = d->lstSuggestions->findItems("receive", Qt::MatchExactly);
                       if (items.isEmpty()) {
                           d->reject();
                           return;
                       }
                       // A double click: a press and release, then the double click.
                       const QRect r = d->lstSuggestions->visualItemRect(items.first());
                       QTest::mouseClick(d->lstSuggestions->viewport(), Qt::LeftButton, {},
                                         r.center());
                       QTest::mouseDClick(d->lstSuggestions->viewport(), Qt::LeftButton, {},
                                          r.center());
                   }),
            onWord("teh", [](TfrmDic* d) { clickButton(d, "cmdIgnore"); }),
            onMessage("Information", "The spelling check is complete"),
        });
        const SpellCheckEnd end = CheckSpelling(atx, speller, dic);
        script.stop();
        QVERIFY2(m_stepErrors.isEmpty(), qPrintable(m_stepErrors.join('\n')));
        QCOMPARE(end, SpellCheckEnd::Complete);
        QCOMPARE(script.answered(), 7);
        QVERIFY2(!script.unexpected, qPrintable(script.seen.join('\n')));
        QCOMPARE(atx->toPlainText(),
                 QString("Zorblat sells gadgets to the whole trade.\n"
                         "Zorblat and Quixxle receive teh orders; Zorblat again, Quixxle."));
        QCOMPARE(readFileBytes(env->configFolder() + "custom.dic"), QByteArray("Quixxle\n"));

        const int changed = atx->toPlainText().indexOf("the whole");
        atx->setSelStart(changed + 2);
        QCOMPARE(atx->FontColor(), 0);
        QCOMPARE(atx->HTag(), 0);
        atx->setSelStart(atx->toPlainText().indexOf("trade") + 2);
        QCOMPARE(atx->FontColor(), 0xFF0000);
        QCOMPARE(atx->HTag(), 1);

        // Ignore All lasts for the session; Add for good, even for a fresh speller.
        ModalScript second({onWord("teh", [](TfrmDic* d) { clickButton(d, "cmdIgnore"); }),
                            onMessage("Information", "The spelling check is complete")});
        QCOMPARE(CheckSpelling(atx, speller, dic), SpellCheckEnd::Complete);
        second.stop();
        QCOMPARE(second.answered(), 2);
        Speller fresh;
        ModalScript third({onWord("Zorblat", [](TfrmDic* d) { clickButton(d, "cmdIgnoreAll"); }),
                           onWord("teh", [](TfrmDic* d) { clickButton(d, "cmdIgnore"); }),
                           onMessage("Information", "The spelling check is complete")});
        QCOMPARE(CheckSpelling(atx, &fresh, dic), SpellCheckEnd::Complete);
        QCOMPARE(third.answered(), 3);
        QVERIFY2(m_stepErrors.isEmpty(), qPrintable(m_stepErrors.join('\n')));
    }

    void selectionIsCheckedAlone() {
        setText("Teh first line.\nThe secnd line has erors in it.\nLast linne.");
        const int start = atx->toPlainText().indexOf("The secnd");
        const int length = QString("The secnd line has erors in it.").size();
        atx->setSelStart(start);
        atx->setSelLength(length);
        ModalScript script({
            onWord("secnd",
                   [](TfrmDic* d) {
                       setEditText(d, "txtRight", "second");
                       clickButton(d, "cmdChange");
                   }),
            onWord("erors", [](TfrmDic* d) { clickButton(d, "cmdIgnore"); }),
            onMessage("Information", "The spelling check is complete"),
        });
        QCOMPARE(CheckSpelling(atx, speller, dic), SpellCheckEnd::Complete);
        QVERIFY2(m_stepErrors.isEmpty(), qPrintable(m_stepErrors.join('\n')));
        QCOMPARE(script.answered(), 3);
        QVERIFY2(!script.unexpected, qPrintable(script.seen.join('\n')));
        // The selection still covers the checked line, one letter longer now.
        QCOMPARE(atx->SelStart(), start);
        QCOMPARE(atx->SelText(), QString("The second line has erors in it."));
    }

    void hiddenWordsAreLeftAloneWhileHidden() {
        setText("Visible text with a hiddn note and more.");
        const int at = atx->toPlainText().indexOf("hiddn note");
        atx->setSelStart(at);
        atx->setSelLength(10);
        atx->setFontHidden(1);
        atx->setShowHidden(0);
        atx->setSelStart(0);
        ModalScript script({onMessage("Information", "The spelling check is complete")});
        QCOMPARE(CheckSpelling(atx, speller, dic), SpellCheckEnd::Complete);
        script.stop();
        QCOMPARE(script.answered(), 1);
        atx->setShowHidden(1);
        ModalScript shown({onWord("hiddn", [](TfrmDic* d) { clickButton(d, "cmdCancel"); })});
        QCOMPARE(CheckSpelling(atx, speller, dic), SpellCheckEnd::Cancelled);
        QVERIFY2(m_stepErrors.isEmpty(), qPrintable(m_stepErrors.join('\n')));
    }

    void missingDictionaryNamesThePackage() {
        QTemporaryDir empty;
        Speller::setDictionaryFolders({empty.path()});
        Speller missing;
        setText("Some teh text");
        atx->setSelStart(5);
        ModalScript script({onMessage("Error", "hunspell-en-gb")});
        QCOMPARE(CheckSpelling(atx, &missing, dic), SpellCheckEnd::NoDictionary);
        QVERIFY2(m_stepErrors.isEmpty(), qPrintable(m_stepErrors.join('\n')));
        QCOMPARE(script.answered(), 1);
        QCOMPARE(atx->WriteProtect(), 0);
        QCOMPARE(atx->toPlainText(), QString("Some teh text"));
    }

    void failureKeepsCorrectionsAndSaysSo() {
        // custom.dic cannot be written: its name is taken by a folder.
        QVERIFY(QDir().mkpath(env->configFolder() + "custom.dic"));
        setText("We recieve Quixxle and teh rest");
        ModalScript script({
            onWord("recieve",
                   [](TfrmDic* d) {
                       setEditText(d, "txtRight", "receive");
                       clickButton(d, "cmdChange");
                   }),
            onWord("Quixxle", [](TfrmDic* d) { clickButton(d, "cmdAdd"); }),
            onMessage("Error", "An error occurred while checking the spelling."),
        });
        QCOMPARE(CheckSpelling(atx, speller, dic), SpellCheckEnd::Failed);
        QVERIFY2(m_stepErrors.isEmpty(), qPrintable(m_stepErrors.join('\n')));
        QCOMPARE(script.answered(), 3);
        QVERIFY(!script.unexpected);
        QCOMPARE(atx->WriteProtect(), 0);
        QCOMPARE(atx->toPlainText(), QString("We receive Quixxle and teh rest"));
    }

    void secondCheckWhileOneRunsIsRefused() {
        setText("One teh two");
        SpellCheckEnd inner = SpellCheckEnd::Complete;
        ModalScript script({onWord("teh", [&](TfrmDic* d) {
            inner = CheckSpelling(atx, speller, dic);
            clickButton(d, "cmdCancel");
        })});
        QCOMPARE(CheckSpelling(atx, speller, dic), SpellCheckEnd::Cancelled);
        QCOMPARE(inner, SpellCheckEnd::NotStarted);
    }
};

QTEST_MAIN(TestSpelling)
#include "tst_spelling.moc"
