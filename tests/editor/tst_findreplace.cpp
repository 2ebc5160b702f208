// Find and replace over the plan text: the caret rules of each button, Replace All, and the
// modeless windows with their messages.

#include "controls/text/textcontrol.h"
#include "dialogs/dialogfrm.h"
#include "editor/findreplace.h"
#include "support/modal.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

// Answers the message with OK and records its text.
struct MessageCatcher {
    QString text;
    ModalAnswer answer;
    MessageCatcher()
        : answer([this](QWidget* w) {
              if (auto* d = qobject_cast<TfrmDialog*>(w)) text = d->dlgLabel->text();
              clickButton(w, QStringLiteral("cmdOk"));
          }) {}
};

} // namespace

class TestFindReplace : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { frmDialog(); }
    void findNextWalksTheMatches();
    void findNextHonoursMatchCase();
    void emptyFindTextDoesNothing();
    void replaceOnOtherSelectionOnlyFinds();
    void replaceTakesAdjacentMatches();
    void replaceAllReplacesEveryMatch_data();
    void replaceAllReplacesEveryMatch();
    void replaceAllIsOneUndoStep();
    void replaceAllWithoutMatchLeavesTheCaret();
    void replacementKeepsTheTextsAttributes();
    void findWindowReportsTheEndAndCloses();
    void replaceWindowReportsNoMatches();
    void replaceWindowReplacesAndMarksTheChange();
};

void TestFindReplace::findNextWalksTheMatches() {
    TextControl t;
    t.setSelText(QStringLiteral("cat dog cat bird cat."));
    t.setSelStart(0);
    // Each search starts one character after the selection's start.
    QList<int> found;
    while (FindNextMatch(&t, QStringLiteral("cat"), false) == SearchOutcome::Found) {
        QCOMPARE(t.SelLength(), 3);
        QCOMPARE(t.SelText(), QStringLiteral("cat"));
        found << t.SelStart();
        QVERIFY(found.size() < 10);
    }
    QCOMPARE(found, (QList<int>{8, 17}));
    // After the last match the caret is back where that search began, nothing selected.
    QCOMPARE(t.SelStart(), 17);
    QCOMPARE(t.SelLength(), 0);
    // Case is ignored unless asked for, and the selection moves on from the caret.
    t.setSelStart(5);
    QCOMPARE(FindNextMatch(&t, QStringLiteral("CAT"), false), SearchOutcome::Found);
    QCOMPARE(t.SelStart(), 8);
}

void TestFindReplace::findNextHonoursMatchCase() {
    TextControl t;
    t.setSelText(QStringLiteral("Cat cat CAT Cat"));
    t.setSelStart(1);
    QCOMPARE(FindNextMatch(&t, QStringLiteral("Cat"), true), SearchOutcome::Found);
    QCOMPARE(t.SelStart(), 12);
    QCOMPARE(FindNextMatch(&t, QStringLiteral("Cat"), true), SearchOutcome::NoMore);
    QCOMPARE(t.SelStart(), 12);
}

void TestFindReplace::emptyFindTextDoesNothing() {
    TextControl t;
    t.setSelText(QStringLiteral("some text"));
    t.setSelStart(2);
    t.setSelLength(3);
    QCOMPARE(FindNextMatch(&t, QString(), false), SearchOutcome::Nothing);
    QCOMPARE(ReplaceMatch(&t, QString(), QStringLiteral("x"), false), SearchOutcome::Nothing);
    QCOMPARE(ReplaceAllMatches(&t, QString(), QStringLiteral("x"), false), SearchOutcome::Nothing);
    QCOMPARE(t.toPlainText(), QStringLiteral("some text"));
    QCOMPARE(t.SelStart(), 2);
    QCOMPARE(t.SelLength(), 3);
}

void TestFindReplace::replaceOnOtherSelectionOnlyFinds() {
    TextControl t;
    t.setSelText(QStringLiteral("cat dog Cat bird cat."));
    t.setSelStart(4);
    t.setSelLength(3); // "dog"
    bool replaced = true;
    QCOMPARE(ReplaceMatch(&t, QStringLiteral("cat"), QStringLiteral("cow"), false, &replaced),
             SearchOutcome::Found);
    QVERIFY(!replaced);
    QCOMPARE(t.toPlainText(), QStringLiteral("cat dog Cat bird cat."));
    QCOMPARE(t.SelStart(), 8);
    QCOMPARE(t.SelText(), QStringLiteral("Cat"));
    // Second press: the selection matches (in another case), so it is replaced and the
    // next match selected.
    QCOMPARE(ReplaceMatch(&t, QStringLiteral("cat"), QStringLiteral("cow"), false, &replaced),
             SearchOutcome::Found);
    QVERIFY(replaced);
    QCOMPARE(t.toPlainText(), QStringLiteral("cat dog cow bird cat."));
    QCOMPARE(t.SelStart(), 17);
    QCOMPARE(t.SelText(), QStringLiteral("cat"));
    // The last one: replaced, then nothing more, the caret back at the replaced spot.
    QCOMPARE(ReplaceMatch(&t, QStringLiteral("cat"), QStringLiteral("cow"), false, &replaced),
             SearchOutcome::NoMore);
    QVERIFY(replaced);
    QCOMPARE(t.toPlainText(), QStringLiteral("cat dog cow bird cow."));
    QCOMPARE(t.SelStart(), 17);
    QCOMPARE(t.SelLength(), 0);
}

void TestFindReplace::replaceTakesAdjacentMatches() {
    TextControl t;
    t.setSelText(QStringLiteral("xaaay"));
    t.setSelStart(1);
    t.setSelLength(1);
    while (ReplaceMatch(&t, QStringLiteral("a"), QStringLiteral("bb"), false) ==
           SearchOutcome::Found) {
    }
    QCOMPARE(t.toPlainText(), QStringLiteral("xbbbbbby"));
}

void TestFindReplace::replaceAllReplacesEveryMatch_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("count");
    QTest::newRow("words") << "cat dog cat bird cat"
                           << "cat"
                           << "cow" << false << "cow dog cow bird cow" << 3;
    QTest::newRow("match at the very start") << "abc abc"
                                             << "abc"
                                             << "x" << false << "x x" << 2;
    QTest::newRow("adjacent") << "aaa"
                              << "a"
                              << "b" << false << "bbb" << 3;
    QTest::newRow("replacement holds the find text") << "cat cat"
                                                     << "cat"
                                                     << "cats" << false << "cats cats" << 2;
    QTest::newRow("to nothing") << "a-b-c"
                                << "-"
                                << "" << false << "abc" << 2;
    QTest::newRow("any case") << "Cat cAT cat"
                              << "cat"
                              << "dog" << false << "dog dog dog" << 3;
    QTest::newRow("match case") << "Cat cAT cat"
                                << "cat"
                                << "dog" << true << "Cat cAT dog" << 1;
    QTest::newRow("across paragraphs") << "one cat\ntwo cat\nthree"
                                       << "cat"
                                       << "owl" << false << "one owl\ntwo owl\nthree" << 2;
}

void TestFindReplace::replaceAllReplacesEveryMatch() {
    QFETCH(QString, text);
    QFETCH(QString, find);
    QFETCH(QString, replacement);
    QFETCH(bool, matchCase);
    QFETCH(QString, result);
    QFETCH(int, count);
    TextControl t;
    t.setSelText(text);
    t.setSelStart(2);
    int replaced = -1;
    QCOMPARE(ReplaceAllMatches(&t, find, replacement, matchCase, &replaced),
             SearchOutcome::Replaced);
    QCOMPARE(t.toPlainText(), result);
    QCOMPARE(replaced, count);
    QCOMPARE(t.SelStart(), 2);
    QCOMPARE(t.SelLength(), 0);
}

void TestFindReplace::replaceAllIsOneUndoStep() {
    TextControl t;
    t.setSelText(QStringLiteral("cat dog cat bird cat"));
    t.document()->clearUndoRedoStacks();
    QCOMPARE(ReplaceAllMatches(&t, QStringLiteral("cat"), QStringLiteral("ox"), false),
             SearchOutcome::Replaced);
    QCOMPARE(t.toPlainText(), QStringLiteral("ox dog ox bird ox"));
    QVERIFY(t.UnDoAction() > 2);
    t.setUnDoAction(1);
    QCOMPARE(t.toPlainText(), QStringLiteral("cat dog cat bird cat"));
}

void TestFindReplace::replaceAllWithoutMatchLeavesTheCaret() {
    TextControl t;
    t.setSelText(QStringLiteral("nothing to see"));
    t.setSelStart(4);
    t.setSelLength(3);
    int replaced = -1;
    QCOMPARE(ReplaceAllMatches(&t, QStringLiteral("zebra"), QStringLiteral("x"), false, &replaced),
             SearchOutcome::NoMore);
    QCOMPARE(replaced, 0);
    QCOMPARE(t.toPlainText(), QStringLiteral("nothing to see"));
    QCOMPARE(t.SelStart(), 4);
}

void TestFindReplace::replacementKeepsTheTextsAttributes() {
    TextControl t;
    t.setSelText(QStringLiteral("plain bold plain"));
    t.setSelStart(6);
    t.setSelLength(4);
    t.setFontBold(-1);
    t.setSelStart(0);
    ReplaceAllMatches(&t, QStringLiteral("bold"), QStringLiteral("strong"), false);
    QCOMPARE(t.toPlainText(), QStringLiteral("plain strong plain"));
    t.setSelStart(8);
    QCOMPARE(t.FontBold(), -1);
    t.setSelStart(2);
    QCOMPARE(t.FontBold(), 0);
}

void TestFindReplace::findWindowReportsTheEndAndCloses() {
    QWidget window;
    auto* t = new TextControl(&window);
    window.show();
    FindReplace fr(t, &window);
    t->setSelText(QStringLiteral("one fish two fish"));
    t->setSelStart(0);
    fr.mnuFindClick();
    QVERIFY(fr.dlgFind->isVisible());
    QVERIFY(!fr.dlgFind->isModal());
    QCOMPARE(fr.dlgFind->objectName(), QStringLiteral("dlgFind"));
    QVERIFY(!fr.dlgFind->cmdFindNext->isEnabled()); // nothing to find yet
    setEditText(fr.dlgFind, QStringLiteral("txtFind"), QStringLiteral("fish"));
    QVERIFY(fr.dlgFind->cmdFindNext->isEnabled());

    fr.dlgFind->cmdFindNext->click();
    QCOMPARE(t->SelStart(), 4);
    QCOMPARE(t->WriteProtect(), 0);
    fr.dlgFind->cmdFindNext->click();
    QCOMPARE(t->SelStart(), 13);
    QVERIFY(fr.dlgFind->isVisible());

    MessageCatcher message;
    fr.dlgFind->cmdFindNext->click();
    QVERIFY(message.answer.wasAnswered());
    QCOMPARE(message.text, QStringLiteral("No more matches"));
    QVERIFY(!fr.dlgFind->isVisible());
    QCOMPARE(t->SelStart(), 13);
    QCOMPARE(t->SelLength(), 0);
    QCOMPARE(t->WriteProtect(), 0);
    QVERIFY(window.updatesEnabled());
}

void TestFindReplace::replaceWindowReportsNoMatches() {
    QWidget window;
    auto* t = new TextControl(&window);
    window.show();
    FindReplace fr(t, &window);
    int changes = 0;
    fr.onTextChanged = [&] { ++changes; };
    t->setSelText(QStringLiteral("nothing here"));
    t->setSelStart(3);
    fr.mnuReplaceClick();
    QCOMPARE(fr.dlgReplace->objectName(), QStringLiteral("dlgReplace"));
    setEditText(fr.dlgReplace, QStringLiteral("txtFind"), QStringLiteral("zebra"));
    setEditText(fr.dlgReplace, QStringLiteral("txtReplace"), QStringLiteral("horse"));
    MessageCatcher message;
    fr.dlgReplace->cmdReplaceAll->click();
    QVERIFY(message.answer.wasAnswered());
    QCOMPARE(message.text, QStringLiteral("No matches found"));
    QCOMPARE(t->SelStart(), 3);
    QCOMPARE(t->toPlainText(), QStringLiteral("nothing here"));
    QCOMPARE(changes, 0);
    QVERIFY(!fr.dlgReplace->isVisible());
}

void TestFindReplace::replaceWindowReplacesAndMarksTheChange() {
    QWidget window;
    auto* t = new TextControl(&window);
    window.show();
    FindReplace fr(t, &window);
    int changes = 0;
    fr.onTextChanged = [&] { ++changes; };
    t->setSelText(QStringLiteral("Red apples, red cherries, RED wine"));
    t->setSelStart(0);
    fr.mnuReplaceClick();
    setEditText(fr.dlgReplace, QStringLiteral("txtFind"), QStringLiteral("red"));
    setEditText(fr.dlgReplace, QStringLiteral("txtReplace"), QStringLiteral("green"));
    fr.dlgReplace->chkMatchCase->setChecked(true);

    // Replace on a caret only finds the next match (case as asked).
    fr.dlgReplace->cmdReplace->click();
    QCOMPARE(t->SelStart(), 12);
    QCOMPARE(changes, 0);
    {
        // Replaced; no other "red" in that case follows.
        MessageCatcher message;
        fr.dlgReplace->cmdReplace->click();
        QVERIFY(message.answer.wasAnswered());
        QCOMPARE(message.text, QStringLiteral("No more matches"));
    }
    QCOMPARE(t->toPlainText(), QStringLiteral("Red apples, green cherries, RED wine"));
    QCOMPARE(changes, 1);
    QCOMPARE(t->SelStart(), 12);
    fr.mnuReplaceClick();

    // Replace All, with the case ignored again.
    fr.dlgReplace->chkMatchCase->setChecked(false);
    t->setSelStart(5);
    fr.dlgReplace->cmdReplaceAll->click();
    QCOMPARE(t->toPlainText(), QStringLiteral("green apples, green cherries, green wine"));
    QCOMPARE(changes, 2);
    QCOMPARE(t->SelStart(), 5);
    QVERIFY(!fr.dlgReplace->isVisible());
    QCOMPARE(t->WriteProtect(), 0);
}

QTEST_MAIN(TestFindReplace)
#include "tst_findreplace.moc"
