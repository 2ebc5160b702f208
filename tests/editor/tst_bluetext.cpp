// Blue guidance prompts in the plan text: entering them, jumping between them, the
// double-click rules (choice lists, "[DATE]", the word fallback) and the mouse rules.

#include "controls/text/textcontrol.h"
#include "editor/bluetext.h"
#include "editor/cal.h"
#include "editor/colorfrm.h"
#include "editor/keytext.h"

#include <QTest>
#include <QTextBlock>
#include <QToolButton>

namespace {

// Builds text from pieces, each with its own HTag (0 = plain black user text).
struct Piece {
    QString text;
    int tag;
};
void writePieces(TextControl& t, const QList<Piece>& pieces) {
    for (const Piece& p : pieces) {
        const int start = t.SelStart();
        t.setSelText(p.text);
        const int end = t.SelStart();
        if (p.tag == 0) continue;
        t.setSelStart(start);
        t.setSelLength(end - start);
        t.setHTag(p.tag);
        t.setFontColor(p.tag == GuidanceTag::BluePrompt ? kBlueText : kRedText);
        if (p.tag == GuidanceTag::RedNote) t.setFontHidden(-1);
        t.setSelStart(end);
        // Typing after a run goes on as plain text.
        t.setHTag(0);
        t.setFontColor(0);
        t.setFontHidden(0);
    }
    t.setSelStart(0);
}

// The caret reads the character before it.
int tagOfCharacter(TextControl& t, int position) {
    const int keepStart = t.SelStart(), keepLength = t.SelLength();
    t.setSelStart(position + 1);
    const int tag = t.HTag();
    t.setSelStart(keepStart);
    t.setSelLength(keepLength);
    return tag;
}

int colourOfCharacter(TextControl& t, int position) {
    const int keepStart = t.SelStart(), keepLength = t.SelLength();
    t.setSelStart(position + 1);
    const int colour = t.FontColor();
    t.setSelStart(keepStart);
    t.setSelLength(keepLength);
    return colour;
}

// The main window's part in a click and a double-click, as far as the plan text's
// functions decide them.
struct ClickWiring {
    TextControl* text;
    GuidanceText guidance;
    TextClickState state;
    int lastCaretPos = 0;
    int calendarOpenings = 0;
    explicit ClickWiring(TextControl* t) : text(t), guidance(t) {
        QObject::connect(t, &TextControl::OnMouseDown, t,
                         [this](Qt::MouseButton b, Qt::KeyboardModifiers, int, int) {
                             RecordMouseDown(state, b);
                         });
        QObject::connect(t, &TextControl::OnMouseUp, t,
                         [this](Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
                             RecordMouseUp(state, text);
                         });
        QObject::connect(t, &TextControl::OnClick, t, [this] {
            if (ClickFollowsCaret(state, true)) {
                lastCaretPos = text->SelStart();
                EnterBlueText(text);
            }
        });
        QObject::connect(t, &TextControl::OnDblClick, t, [this] {
            guidance.atx321DblClick(lastCaretPos, [this] { ++calendarOpenings; });
        });
    }
};

QPoint pointAt(TextControl& t, int position) {
    QTextCursor c(t.document());
    c.setPosition(position);
    const QRect r = t.cursorRect(c);
    return QPoint(r.left() + 1, r.center().y());
}

} // namespace

class TestBlueText : public QObject {
    Q_OBJECT
private slots:
    void caretInAPromptSelectsAllOfIt_data();
    void caretInAPromptSelectsAllOfIt();
    void otherTextIsLeftAlone_data();
    void otherTextIsLeftAlone();
    void typingReplacesThePromptWithUserText();
    void f11AndF12WalkThePrompts();
    void choiceAroundTheClick_data();
    void choiceAroundTheClick();
    void doubleClickKeepsTheChosenOption();
    void doubleClickOnDateInAnyCaseOpensTheCalendar();
    void doubleClickOnDateThenPickingADate();
    void doubleClickWithoutChoiceSelectsTheWord();
    void realDoubleClickOnAChoice();
    void rightClickNeverSelectsBlueText();
    void markingNeedsASelection();
    void notesShowAndHide();
    void colourWindowHasSixteenColours();
    void colourButtonSetsTheColourAndHides();
    void colourWindowOpensBelowTheToolbarsAndHides();
};

void TestBlueText::caretInAPromptSelectsAllOfIt_data() {
    QTest::addColumn<int>("caret");
    // "Our aim: " is 9 characters; the prompt "[one/two/three]" runs from 9 to 24.
    QTest::newRow("inside") << 14;
    QTest::newRow("after its second character") << 11;
    QTest::newRow("right after its end") << 24;
}

void TestBlueText::caretInAPromptSelectsAllOfIt() {
    QFETCH(int, caret);
    TextControl t;
    writePieces(t, {{"Our aim: ", 0}, {"[one/two/three]", 1}, {" for the year.", 0}});
    t.setSelStart(caret);
    QVERIFY(EnterBlueText(&t));
    QCOMPARE(t.SelStart(), 9);
    QCOMPARE(t.SelText(), QStringLiteral("[one/two/three]"));
    QCOMPARE(t.TagReadSelect(), 0);
}

void TestBlueText::otherTextIsLeftAlone_data() {
    QTest::addColumn<int>("caret");
    QTest::newRow("user text") << 4;
    QTest::newRow("before the prompt's first character") << 9;
    QTest::newRow("inside a red note") << 30;
}

void TestBlueText::otherTextIsLeftAlone() {
    QFETCH(int, caret);
    TextControl t;
    writePieces(t,
                {{"Our aim: ", 0}, {"[one/two]", 1}, {" then ", 0}, {"Note: ask your bank", 999}});
    t.setSelStart(caret);
    QVERIFY(!EnterBlueText(&t));
    QCOMPARE(t.SelStart(), caret);
    QCOMPARE(t.SelLength(), 0);
}

void TestBlueText::typingReplacesThePromptWithUserText() {
    TextControl t;
    writePieces(t, {{"Our aim: ", 0}, {"[state your aim]", 1}, {".", 0}});
    t.setSelStart(15);
    QVERIFY(EnterBlueText(&t));
    // What the main window does with every typed character.
    t.setHTag(0);
    t.setFontColor(0);
    t.setSelText(QStringLiteral("Growth"));
    QCOMPARE(t.toPlainText(), QStringLiteral("Our aim: Growth."));
    QCOMPARE(tagOfCharacter(t, 9), 0);
    QCOMPARE(colourOfCharacter(t, 9), kBlackText);
    QCOMPARE(tagOfCharacter(t, 14), 0);
}

void TestBlueText::f11AndF12WalkThePrompts() {
    TextControl t;
    writePieces(t, {{"A ", 0}, {"[first]", 1}, {" b ", 0}, {"[second]", 1}, {" c", 0}});
    t.setSelStart(0);
    QVERIFY(JumpToBlueText(&t, 1));
    QCOMPARE(t.SelText(), QStringLiteral("[first]"));
    QVERIFY(JumpToBlueText(&t, 1));
    QCOMPARE(t.SelText(), QStringLiteral("[second]"));
    // Nothing further on: the selection stays.
    QVERIFY(!JumpToBlueText(&t, 1));
    QCOMPARE(t.SelText(), QStringLiteral("[second]"));
    QVERIFY(JumpToBlueText(&t, -1));
    QCOMPARE(t.SelText(), QStringLiteral("[first]"));
    QVERIFY(!JumpToBlueText(&t, -1));
    QCOMPARE(t.SelText(), QStringLiteral("[first]"));
}

void TestBlueText::choiceAroundTheClick_data() {
    QTest::addColumn<QString>("selected");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QString>("choice"); // empty: none
    const QString list = QStringLiteral("[one/two/three]");
    QTest::newRow("two") << list << 6 << "two";
    QTest::newRow("two, just after the slash") << list << 5 << "two";
    QTest::newRow("two, just before the slash") << list << 8 << "two";
    QTest::newRow("one") << list << 2 << "one";
    QTest::newRow("one, just after the bracket") << list << 1 << "one";
    QTest::newRow("three") << list << 12 << "three";
    QTest::newRow("in a longer prompt")
        << QStringLiteral("Choose [red/green] now") << 14 << "green";
    QTest::newRow("no brackets or slashes") << QStringLiteral("Describe your market") << 4 << "";
    QTest::newRow("after the list") << QStringLiteral("[a/b] then more") << 10 << "";
    QTest::newRow("click outside the selection") << list << 40 << "";
    QTest::newRow("empty option") << QStringLiteral("[a//b]") << 3 << "";
}

void TestBlueText::choiceAroundTheClick() {
    QFETCH(QString, selected);
    QFETCH(int, offset);
    QFETCH(QString, choice);
    const auto span = FindChoice(selected, offset);
    if (choice.isEmpty()) {
        QVERIFY(!span.has_value());
        return;
    }
    QVERIFY(span.has_value());
    QCOMPARE(selected.mid(span->start, span->length), choice);
}

void TestBlueText::doubleClickKeepsTheChosenOption() {
    for (const auto& [click, kept] :
         {std::pair{15, QStringLiteral("two")}, std::pair{11, QStringLiteral("one")}}) {
        TextControl t;
        GuidanceText guidance(&t);
        writePieces(t, {{"Our aim: ", 0}, {"[one/two/three]", 1}, {" now.", 0}});
        t.setSelStart(click);
        QVERIFY(EnterBlueText(&t));
        bool calendar = false;
        QCOMPARE(guidance.atx321DblClick(click, [&] { calendar = true; }),
                 GuidanceText::DoubleClick::Choice);
        QVERIFY(!calendar);
        QCOMPARE(t.toPlainText(), QStringLiteral("Our aim: %1 now.").arg(kept));
        for (int i = 9; i < 9 + kept.size(); ++i) {
            QCOMPARE(tagOfCharacter(t, i), 0);
            QCOMPARE(colourOfCharacter(t, i), kBlackText);
        }
    }
}

void TestBlueText::doubleClickOnDateInAnyCaseOpensTheCalendar() {
    for (const QString& placeholder :
         {QStringLiteral("[DATE]"), QStringLiteral("[date]"), QStringLiteral("[Date]")}) {
        TextControl t;
        GuidanceText guidance(&t);
        writePieces(t, {{"Dated ", 0}, {placeholder, 1}, {".", 0}});
        t.setSelStart(8);
        QVERIFY(EnterBlueText(&t));
        int opened = 0;
        QCOMPARE(guidance.atx321DblClick(8, [&] { ++opened; }),
                 GuidanceText::DoubleClick::Calendar);
        QCOMPARE(opened, 1);
        QCOMPARE(t.toPlainText(), QStringLiteral("Dated %1.").arg(placeholder));
        QCOMPARE(t.SelText(), placeholder);
    }
}

void TestBlueText::doubleClickOnDateThenPickingADate() {
    QWidget window;
    auto* t = new TextControl(&window);
    window.show();
    TfrmCal cal(&window);
    DateEntry dates(t, &window, &cal);
    GuidanceText guidance(t);
    writePieces(*t, {{"Dated ", 0}, {"[DATE]", 1}, {".", 0}});
    t->setSelStart(9);
    EnterBlueText(t);
    guidance.atx321DblClick(9, [&] { dates.openForText(); });
    QVERIFY(cal.isVisible());
    QCOMPARE(cal.edit(), dates.txtdate2);
    cal.setSelectedDate(QDate(2001, 1, 1));
    cal.cmdOKClick();
    QCOMPARE(t->toPlainText(), QStringLiteral("Dated 1 January 2001."));
    QCOMPARE(tagOfCharacter(*t, 6), 0);
}

void TestBlueText::doubleClickWithoutChoiceSelectsTheWord() {
    TextControl t;
    GuidanceText guidance(&t);
    writePieces(t, {{"Intro ", 0}, {"Describe your market here", 1}, {" and then my words.", 0}});
    // Inside a prompt without a list: the prompt is selected, the double-click takes the
    // word at the click ("your", 15 to 19).
    t.setSelStart(17);
    QVERIFY(EnterBlueText(&t));
    QCOMPARE(guidance.atx321DblClick(17, {}), GuidanceText::DoubleClick::Word);
    QCOMPARE(t.SelText(), QStringLiteral("your"));
    QCOMPARE(t.toPlainText(), QStringLiteral("Intro Describe your market here and then my words."));
    // In user text.
    t.setSelStart(46);
    QCOMPARE(guidance.atx321DblClick(46, {}), GuidanceText::DoubleClick::Word);
    QCOMPARE(t.SelText(), QStringLiteral("words"));
}

void TestBlueText::realDoubleClickOnAChoice() {
    TextControl t;
    t.setContextMenuPolicy(Qt::NoContextMenu);
    t.resize(500, 200);
    t.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t));
    ClickWiring wiring(&t);
    writePieces(t, {{"Our aim: ", 0}, {"[one/two/three]", 1}, {" now.", 0}});
    // On "two", as the window system delivers it: a click (which enters the prompt), then
    // the second press as a double-click. The control itself selects the word; the choice
    // rules still see the prompt.
    QTest::mouseClick(t.viewport(), Qt::LeftButton, {}, pointAt(t, 15));
    QCOMPARE(t.SelText(), QStringLiteral("[one/two/three]"));
    QCOMPARE(wiring.lastCaretPos, 15);
    QTest::mouseDClick(t.viewport(), Qt::LeftButton, {}, pointAt(t, 15));
    QCOMPARE(t.toPlainText(), QStringLiteral("Our aim: two now."));
    QCOMPARE(wiring.calendarOpenings, 0);
}

void TestBlueText::rightClickNeverSelectsBlueText() {
    TextControl t;
    t.setContextMenuPolicy(Qt::NoContextMenu);
    t.resize(500, 200);
    t.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t));
    ClickWiring wiring(&t);
    writePieces(t, {{"Our aim: ", 0}, {"[state your aim]", 1}, {".", 0}});
    QTest::mouseClick(t.viewport(), Qt::RightButton, {}, pointAt(t, 14));
    QVERIFY(wiring.state.rightButtonDown);
    QCOMPARE(t.SelLength(), 0);
    // The left button does.
    QTest::mouseClick(t.viewport(), Qt::LeftButton, {}, pointAt(t, 14));
    QVERIFY(!wiring.state.rightButtonDown);
    QCOMPARE(t.SelText(), QStringLiteral("[state your aim]"));
    // A selection the user dragged out is theirs: the click is not followed.
    TextClickState dragged;
    RecordMouseDown(dragged, Qt::LeftButton);
    t.setSelStart(0);
    t.setSelLength(3);
    RecordMouseUp(dragged, &t);
    QVERIFY(!ClickFollowsCaret(dragged, true));
    // "Select Blue" unticked.
    TextClickState plain;
    RecordMouseDown(plain, Qt::LeftButton);
    t.setSelStart(14);
    RecordMouseUp(plain, &t);
    QVERIFY(ClickFollowsCaret(plain, true));
    QVERIFY(!ClickFollowsCaret(plain, false));
}

void TestBlueText::markingNeedsASelection() {
    TextControl t;
    t.setSelText(QStringLiteral("Some template text"));
    t.setSelStart(5);
    QVERIFY(!MakeBlueText(&t));
    QVERIFY(!MakeRedNote(&t));
    QVERIFY(!MakeUntaggedRedNote(&t));
    QCOMPARE(tagOfCharacter(t, 5), 0);
    QCOMPARE(colourOfCharacter(t, 5), kBlackText);

    t.setSelLength(8); // "template"
    QVERIFY(MakeBlueText(&t));
    QCOMPARE(tagOfCharacter(t, 6), GuidanceTag::BluePrompt);
    QCOMPARE(colourOfCharacter(t, 6), kBlueText);
    t.setSelStart(0);
    t.setSelLength(4);
    QVERIFY(MakeRedNote(&t));
    QCOMPARE(tagOfCharacter(t, 1), GuidanceTag::RedNote);
    QCOMPARE(colourOfCharacter(t, 1), kRedText);
    t.setSelStart(14);
    t.setSelLength(4);
    QVERIFY(MakeUntaggedRedNote(&t));
    QCOMPARE(tagOfCharacter(t, 15), 0);
    QCOMPARE(colourOfCharacter(t, 15), kRedText);
    t.setSelStart(16);
    QCOMPARE(t.FontHidden(), -1);
}

void TestBlueText::notesShowAndHide() {
    TextControl t;
    t.resize(400, 200);
    writePieces(t, {{"Plain ", 0}, {"hidden note", 999}, {" end", 0}});
    ShowNotes(&t, false);
    QCOMPARE(t.ShowHidden(), 0);
    ShowNotes(&t, true);
    QCOMPARE(t.ShowHidden(), 1);
    // Hidden or not, the note's characters stay in the text.
    QCOMPARE(t.toPlainText(), QStringLiteral("Plain hidden note end"));
}

void TestBlueText::colourWindowHasSixteenColours() {
    Tfrmtextcolour w;
    QCOMPARE(w.windowTitle(), QStringLiteral("Text Colour"));
    QVERIFY(w.windowFlags() & Qt::WindowStaysOnTopHint);
    const QStringList hints{"black",       "blue",       "Dark Blue",  "Dark Grey",
                            "Dark Yellow", "Dark Green", "Light Grey", "Lime",
                            "Dark Red",    "Pink",       "Red",        "Turquoise",
                            "Teal",        "Violet",     "White",      "Yellow"};
    for (int tag = 1; tag <= 16; ++tag) {
        QVERIFY(w.button(tag));
        QCOMPARE(w.button(tag)->toolTip(), hints[tag - 1]);
        QCOMPARE(w.button(tag)->property("Tag").toInt(), tag);
    }
    QCOMPARE(w.findChildren<QToolButton*>().size(), 16);
    // As FontColor reads them: red + 256 green + 65536 blue.
    QCOMPARE(Tfrmtextcolour::fontColor(1), 0);
    QCOMPARE(Tfrmtextcolour::fontColor(2), kBlueText);
    QCOMPARE(Tfrmtextcolour::fontColor(3), 128 * 65536);
    QCOMPARE(Tfrmtextcolour::fontColor(5), 128 + 128 * 256);
    QCOMPARE(Tfrmtextcolour::fontColor(7), 192 + 192 * 256 + 192 * 65536);
    QCOMPARE(Tfrmtextcolour::fontColor(10), 255 + 255 * 65536);
    QCOMPARE(Tfrmtextcolour::fontColor(11), kRedText);
    QCOMPARE(Tfrmtextcolour::fontColor(13), 128 * 256 + 128 * 65536);
    QCOMPARE(Tfrmtextcolour::fontColor(15), 0xFFFFFF);
    QCOMPARE(Tfrmtextcolour::fontColor(16), 255 + 255 * 256);
}

void TestBlueText::colourButtonSetsTheColourAndHides() {
    TextControl t;
    t.setSelText(QStringLiteral("Colour me"));
    t.setSelStart(0);
    t.setSelLength(6);
    Tfrmtextcolour w;
    w.onColour = [&](int colour) { t.setFontColor(colour); };
    w.show();
    w.button(9)->click(); // Dark Red
    QVERIFY(!w.isVisible());
    QCOMPARE(colourOfCharacter(t, 2), 128);

    // Escape and Enter hide the window and colour nothing.
    int calls = 0;
    w.onColour = [&](int) { ++calls; };
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        w.show();
        QTest::keyClick(&w, key);
        QVERIFY(!w.isVisible());
    }
    QCOMPARE(calls, 0);
}

void TestBlueText::colourWindowOpensBelowTheToolbarsAndHides() {
    QWidget window;
    window.resize(600, 300);
    auto* toolbar = new QWidget(&window);
    toolbar->setGeometry(0, 30, 600, 28);
    auto* button = new QToolButton(toolbar);
    button->setGeometry(212, 2, 24, 24);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    Tfrmtextcolour w(&window);
    w.showBelow(button, 58);
    QVERIFY(w.isVisible());
    const QPoint expected = window.mapToGlobal(QPoint(212, 58));
    QCOMPARE(w.pos(), expected);
    QTRY_VERIFY(QApplication::activeWindow() == &w);
    // A click elsewhere takes the focus away: the window goes.
    window.activateWindow();
    QTRY_VERIFY(!w.isVisible());
}

QTEST_MAIN(TestBlueText)
#include "tst_bluetext.moc"
