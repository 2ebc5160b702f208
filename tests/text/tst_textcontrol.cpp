#include "controls/text/rtfreader.h"
#include "controls/text/rtfwriter.h"
#include "controls/text/textcontrol.h"
#include "controls/text/textformat.h"
#include "support/testenv.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMimeData>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QAbstractTextDocumentLayout>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextTable>

namespace {

// Appends text carrying the given tags at the end of the control, through the same
// calls the program makes: attributes set with no selection go to the text inserted next.
void append(TextControl& t, const QString& text, int htag, int ntag = 0, bool hidden = false,
            int color = 0) {
    t.setSelStart(t.TextLength());
    t.setHTag(htag);
    t.setNTag(ntag);
    t.setFontHidden(hidden ? -1 : 0);
    t.setFontColor(color);
    t.setSelText(text);
}

// A small plan: three sections (first paragraphs tagged 99, 1, 2), prompts with HTag 1,
// a placeholder with HTag 300 and a hidden red note with HTag 999.
//   para 0 "Title"                       PTag 99, NTag 99
//   para 1 "Intro [prompt A] more"       NTag 99, "[prompt A]" HTag 1
//   para 2 "Second"                      PTag 1,  NTag 1
//   para 3 "Name: [BusinessName]. note"  NTag 1, placeholder HTag 300, " note" hidden 999
//   para 4 "Third [prompt B]"            PTag 2,  NTag 2, "[prompt B]" HTag 1
void buildPlan(TextControl& t) {
    append(t, "Title\nIntro ", 0, 99);
    append(t, "[prompt A]", 1, 99, false, 16711680);
    append(t, " more\nSecond\nName: ", 0, 99);
    append(t, "[BusinessName]", 300, 1);
    append(t, ".", 0, 1);
    append(t, " note", 999, 1, true, 255);
    append(t, "\nThird ", 0, 2);
    append(t, "[prompt B]", 1, 2, false, 16711680);
    // Section text tags: "Second" starts section 1's text, so retag paragraphs 2-3.
    t.setCurPar(2);
    t.setSelToPar(3);
    t.setSelToChar(TextControl::EndOfParagraph);
    t.setNTag(1);
    t.setCurPar(0);
    t.setPTag(99);
    t.setCurPar(2);
    t.setPTag(1);
    t.setCurPar(4);
    t.setPTag(2);
    t.setSelStart(0);
}

// Where a picture has ink, and how many dark pixels.
struct Ink {
    QRect box;
    int dark = 0;
};
Ink inkOf(const QImage& image) {
    Ink ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 160) {
                ++ink.dark;
                ink.box |= QRect(x, y, 1, 1);
            }
    return ink;
}

int indexOf(const TextControl& t, const QString& s) {
    return t.toPlainText().indexOf(s);
}

} // namespace

class TestTextControl : public QObject {
    Q_OBJECT

private slots:
    void init();
    void selectionAndCaret();
    void characterAttributes();
    void attributesForTextTypedNext();
    void paragraphAttributes();
    void findTagsInEveryDirection();
    void findTagReturnValuesWhenMissing();
    void promptsEndWithTheirParagraph();
    void tagReadSelect();
    void hiddenTextKeepsPositions();
    void hiddenTextTakesNoRoom();
    void hiddenTextNeverReachesPaper();
    void hiddenTextReadsLogicalAttributes();
    void hiddenTextNotInPlainTextFile();
    void writeProtectRefusesTheUser();
    void enterAlwaysMakesAParagraph();
    void undoAction();
    void undoTypingOverASelectionTheHandlerFormats();
    void selFTextRtfAndPlain();
    void clipboardRoundTripKeepsTags();
    void clipboardForOtherPrograms();
    void cutAndPastedHeadingKeepsItsSection();
    void typingBreaksLinesAsReopeningDoes();
    void nativeFileRoundTrip();
    void fileLoadFailuresLeaveTheControlEmpty();
    void fileSaveFailureReported();
    void indexFollowsRandomEdits();
    void findPhrase();
    void events();
    void geometry();
};

void TestTextControl::init() {
    QApplication::clipboard()->clear();
}

void TestTextControl::selectionAndCaret() {
    TextControl t;
    t.setSelText("ab\ncde\n\nf");
    // Every paragraph break counts one character.
    QCOMPARE(t.TextLength(), 9);
    QCOMPARE(t.SelStart(), 9); // the caret follows written text
    QCOMPARE(t.SelLength(), 0);
    QCOMPARE(t.Select(), 0);

    t.setSelStart(1);
    t.setSelLength(4);
    QCOMPARE(t.SelText(), QString("b\ncd"));
    QCOMPARE(t.Select(), -1);
    // Setting the start drops the selection.
    t.setSelStart(3);
    QCOMPARE(t.SelLength(), 0);
    QCOMPARE(t.CurPar(), 1);
    QCOMPARE(t.CurChar(), 0);

    t.setCurPar(1);
    t.setCurChar(TextControl::EndOfParagraph);
    QCOMPARE(t.SelStart(), 6);
    QCOMPARE(t.CurChar(), 3);
    t.setCurPar(0);
    t.setCurChar(1);
    t.setSelToPar(1);
    t.setSelToChar(TextControl::EndOfParagraph);
    QCOMPARE(t.SelStart(), 1);
    QCOMPARE(t.SelText(), QString("b\ncde"));
    QCOMPARE(t.SelToPar(), 1);
    QCOMPARE(t.SelToChar(), 3);

    // Out of range values are clamped, never crash.
    t.setSelStart(1000);
    QCOMPARE(t.SelStart(), 9);
    t.setSelStart(-5);
    QCOMPARE(t.SelStart(), 0);
    t.setSelLength(500);
    QCOMPARE(t.SelLength(), 9);
    t.setCurPar(99);
    QCOMPARE(t.CurPar(), 3);

    // Writing replaces the selection; "\r\n" is one paragraph break.
    t.setSelStart(0);
    t.setSelLength(2);
    t.setSelText("X\r\nY");
    QCOMPARE(t.toPlainText(), QString("X\nY\ncde\n\nf"));
    QCOMPARE(t.SelStart(), 3);
}

void TestTextControl::characterAttributes() {
    TextControl t;
    t.setSelText("plain text");
    t.setSelStart(0);
    t.setSelLength(5);
    QCOMPARE(t.FontBold(), 0);
    QCOMPARE(t.FontUnder(), 0);
    t.setFontBold(-1);
    t.setFontItalic(1);
    t.setFontStrike(-1);
    t.setFontUnder(1024);
    t.setFontName("Courier New");
    t.setFontSize(14);
    t.setFontColor(255);
    QCOMPARE(t.FontBold(), -1);
    QCOMPARE(t.FontItalic(), -1);
    QCOMPARE(t.FontStrike(), -1);
    QCOMPARE(t.FontUnder(), 1024);
    QCOMPARE(t.FontName(), QString("Courier New"));
    QCOMPARE(t.FontSize(), 14.0);
    QCOMPARE(t.FontColor(), 255);

    // The document holds ordinary formats the file writer understands.
    QTextCursor c(t.document());
    c.setPosition(2);
    const QTextCharFormat f = c.charFormat();
    QCOMPARE(f.fontWeight(), int(QFont::Bold));
    QVERIFY(f.fontUnderline());
    QCOMPARE(f.foreground().color(), QColor(255, 0, 0));

    // Colours both ways: blue is 16711680, a mix keeps every channel.
    t.setFontColor(16711680);
    QCOMPARE(c.charFormat().foreground().color(), QColor(0, 0, 255));
    QCOMPARE(t.FontColor(), 16711680);
    t.setFontColor(0x336699);
    QCOMPARE(c.charFormat().foreground().color(), QColor(0x99, 0x66, 0x33));
    QCOMPARE(t.FontColor(), 0x336699);

    // Clearing.
    t.setFontBold(0);
    t.setFontUnder(0);
    QCOMPARE(t.FontBold(), 0);
    QCOMPARE(t.FontUnder(), 0);
    // Text outside the selection was not touched.
    t.setSelStart(8);
    QCOMPARE(t.FontItalic(), 0);
    QCOMPARE(t.FontColor(), 0);
    // A size that is not a size is refused.
    t.setSelStart(0);
    t.setSelLength(5);
    t.setFontSize(0);
    t.setFontSize(-3);
    QCOMPARE(t.FontSize(), 14.0);
}

void TestTextControl::attributesForTextTypedNext() {
    TextControl t;
    t.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t));
    t.setSelText("abc");
    t.setFontBold(-1);
    t.setHTag(7);
    QCOMPARE(t.FontBold(), -1); // the caret reports what it will type
    QCOMPARE(t.HTag(), 7);
    QTest::keyClicks(&t, "XY");
    QCOMPARE(t.toPlainText(), QString("abcXY"));
    t.setSelStart(1);
    QCOMPARE(t.FontBold(), 0);
    QCOMPARE(t.HTag(), 0);
    t.setSelStart(5);
    QCOMPARE(t.FontBold(), -1);
    QCOMPARE(t.HTag(), 7);
    QCOMPARE(t.FIND_HTAG(7, -1), 4);
    QCOMPARE(t.SelText(), QString("XY"));
}

void TestTextControl::paragraphAttributes() {
    TextControl t;
    t.setSelText("one\ntwo\nthree");
    t.setCurPar(1);
    for (int a : {1, 2, 3, 0}) {
        t.setAlignment(a);
        QCOMPARE(t.Alignment(), a);
    }
    t.setAlignment(2);
    QCOMPARE(t.document()->findBlockByNumber(1).blockFormat().alignment() &
                 Qt::AlignHorizontal_Mask,
             Qt::AlignHCenter);
    QCOMPARE(t.document()->findBlockByNumber(0).blockFormat().alignment() &
                 Qt::AlignHorizontal_Mask,
             Qt::AlignLeft);

    t.setLeftIndent(1440);
    t.setFirstLineIndent(-360);
    t.setRightIndent(725);
    QCOMPARE(t.LeftIndent(), 1440);
    QCOMPARE(t.FirstLineIndent(), -360);
    QCOMPARE(t.RightIndent(), 725);
    // An inch of indent is drawn as an inch on a 96-dpi screen.
    QCOMPARE(t.document()->findBlockByNumber(1).blockFormat().leftMargin(), 96.0);
    // Twips that fall between points are rounded, not truncated.
    t.setLeftIndent(1441);
    QCOMPARE(t.LeftIndent(), 1441);
    t.setCurPar(0);
    QCOMPARE(t.LeftIndent(), 0);

    // A selection over several paragraphs sets them all.
    t.setCurPar(0);
    t.setSelToPar(2);
    t.setAlignment(3);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(t.document()->findBlockByNumber(i).blockFormat().alignment() &
                     Qt::AlignHorizontal_Mask,
                 Qt::AlignJustify);
}

void TestTextControl::findTagsInEveryDirection() {
    TextControl t;
    buildPlan(t);
    const int promptA = indexOf(t, "[prompt A]");
    const int promptB = indexOf(t, "[prompt B]");
    const int place = indexOf(t, "[BusinessName]");

    // Forward from the start selects the whole first run, returning above 0.
    t.setSelStart(0);
    QCOMPARE(t.FIND_HTAG(1, 1), promptA + 1);
    QCOMPARE(t.SelStart(), promptA);
    QCOMPARE(t.SelText(), QString("[prompt A]"));
    // Forward again from the found run goes to the next one.
    QCOMPARE(t.FIND_HTAG(1, 1), promptB + 1);
    QCOMPARE(t.SelText(), QString("[prompt B]"));
    // No more: the selection stays.
    QCOMPARE(t.FIND_HTAG(1, 1), 0);
    QCOMPARE(t.SelText(), QString("[prompt B]"));
    // Back from it.
    QCOMPARE(t.FIND_HTAG(1, -1), promptA + 1);
    QCOMPARE(t.SelText(), QString("[prompt A]"));
    QCOMPARE(t.FIND_HTAG(1, -1), 0);

    // Direction 0: the run around the caret, from anywhere inside it or at its end.
    for (int pos : {promptA, promptA + 4, promptA + 10}) {
        t.setSelStart(pos);
        QCOMPARE(t.FIND_HTAG(1, 0), promptA + 1);
        QCOMPARE(t.SelText(), QString("[prompt A]"));
    }
    t.setSelStart(2);
    QCOMPARE(t.FIND_HTAG(1, 0), 0);
    QCOMPARE(t.SelStart(), 2);
    // In an empty paragraph after a prompt there is no run at the caret.
    TextControl e;
    append(e, "[p]", 1);
    append(e, "\n\n", 0);
    append(e, "x", 2);
    e.setCurPar(1);
    QCOMPARE(e.FIND_HTAG(1, 0), 0);
    QCOMPARE(e.SelStart(), 4);
    e.setCurPar(0);
    e.setCurChar(TextControl::EndOfParagraph);
    QCOMPARE(e.FIND_HTAG(1, 0), 1);

    // A run starting right at a bare caret counts forward; the header search relies on it.
    t.setSelStart(place);
    QCOMPARE(t.FIND_HTAG(300, 1), place + 1);
    QCOMPARE(t.SelText(), QString("[BusinessName]"));

    // NTag runs go across paragraph breaks.
    t.setSelStart(0);
    QVERIFY(t.FIND_NTAG(1, 1) >= 1);
    QCOMPARE(t.SelText(), QString("Second\nName: [BusinessName]. note"));
    t.setSelStart(t.TextLength());
    QCOMPARE(t.FIND_NTAG(99, -1), 1);
    QCOMPARE(t.SelText(), QString("Title\nIntro [prompt A] more"));

    // PTag: back from the end of the document, as the navigator does, returning the
    // paragraph's number.
    for (int tag : {2, 1, 99}) {
        t.setSelLength(0);
        t.setSelStart(0);
        t.setSelStart(t.TextLength());
        const int par = t.FIND_PTAG(tag, -1);
        t.setSelLength(0);
        QCOMPARE(par, tag == 99 ? 0 : tag * 2);
        QCOMPARE(t.CurPar(), par);
        QCOMPARE(t.CurChar(), 0);
    }
    t.setSelStart(0);
    QCOMPARE(t.FIND_PTAG(2, 1), 4);
    QCOMPARE(t.SelText(), QString("Third [prompt B]"));
    QCOMPARE(t.PTag(), 2);
    t.setSelStart(indexOf(t, "Name"));
    QCOMPARE(t.FIND_PTAG(1, 0), -1); // paragraph 3 carries no section tag
    QCOMPARE(t.FIND_PTAG(0, 0), 3);
}

// The title page's "Date of this version: [DATE]", an empty paragraph and a choice list
// once made one run: F12 selected all three and typing deleted them.
void TestTextControl::promptsEndWithTheirParagraph() {
    TextControl t;
    append(t, "Date: ", 0, 99);
    append(t, "[DATE]", 1, 99, false, 16711680);
    append(t, "\n\n", 0, 99);
    append(t, "[Confidential/Draft]", 1, 99, false, 16711680);
    append(t, "\nEnd", 0, 99);
    const int date = indexOf(t, "[DATE]");
    const int choice = indexOf(t, "[Confidential");
    t.setSelStart(0);
    QCOMPARE(t.FIND_HTAG(1, 1), date + 1);
    QCOMPARE(t.SelText(), QString("[DATE]"));
    QCOMPARE(t.FIND_HTAG(1, 1), choice + 1);
    QCOMPARE(t.SelText(), QString("[Confidential/Draft]"));
    QCOMPARE(t.FIND_HTAG(1, -1), date + 1);
    QCOMPARE(t.SelText(), QString("[DATE]"));
    for (int at : {date + 3, date + 6}) {
        t.setSelStart(at);
        QCOMPARE(t.FIND_HTAG(1, 0), date + 1);
        QCOMPARE(t.SelText(), QString("[DATE]"));
    }
    // A caret on the empty line between them stands in no prompt.
    t.setSelStart(date + 7);
    QCOMPARE(t.FIND_HTAG(1, 0), 0);
    // A section's text tag still runs on over the breaks.
    t.setSelStart(0);
    QCOMPARE(t.FIND_NTAG(99, 0), 1);
    QCOMPARE(t.SelLength(), t.TextLength());

    // Prompts that come to touch in one paragraph are one run, as before; a break typed
    // into a prompt makes two. The kept index follows both edits.
    t.setSelStart(date + 6);
    t.setSelLength(2);
    t.setSelText(QString());
    QCOMPARE(t.tagRuns(0), t.tagRuns(0, false));
    t.setSelStart(date + 2);
    QCOMPARE(t.FIND_HTAG(1, 0), date + 1);
    QCOMPARE(t.SelText(), QString("[DATE][Confidential/Draft]"));
    t.setSelStart(date + 3);
    t.setSelText("\n");
    QCOMPARE(t.tagRuns(0), t.tagRuns(0, false));
    t.setSelStart(date + 2);
    QCOMPARE(t.FIND_HTAG(1, 0), date + 1);
    QCOMPARE(t.SelText(), QString("[DA"));
}

void TestTextControl::findTagReturnValuesWhenMissing() {
    TextControl t;
    buildPlan(t);
    t.setSelStart(5);
    QVERIFY(t.FIND_HTAG(42, 1) <= 0);
    QVERIFY(t.FIND_HTAG(42, -1) <= 0);
    QVERIFY(t.FIND_NTAG(42, 1) < 1);
    QVERIFY(t.FIND_PTAG(42, -1) < 0);
    QCOMPARE(t.SelStart(), 5);
    QCOMPARE(t.SelLength(), 0);
    // A found run at the very start still reports success.
    t.setSelStart(0);
    QCOMPARE(t.FIND_PTAG(99, 1), 0);
    QVERIFY(t.FIND_NTAG(99, 0) >= 1);
}

void TestTextControl::tagReadSelect() {
    TextControl t;
    buildPlan(t);
    const int promptA = indexOf(t, "[prompt A]");
    // A selection made backwards leaves the caret at its start: with TagReadSelect 0 the
    // tags read are the caret's, with 1 the selection's.
    t.setSelStart(promptA + 10);
    QCOMPARE(t.HTag(), 1);
    QTextCursor c(t.document());
    c.setPosition(promptA + 10);
    c.setPosition(promptA, QTextCursor::KeepAnchor);
    t.setTextCursor(c);
    t.setTagReadSelect(0);
    QCOMPARE(t.HTag(), 0);
    t.setTagReadSelect(1);
    QCOMPARE(t.TagReadSelect(), 1);
    QCOMPARE(t.HTag(), 1);
    QCOMPARE(t.NTag(), 99);

    // The header read of a plan load: TagReadSelect 1, forward search from the start.
    TextControl h;
    h.setFontColor(255);
    h.setHTag(1000);
    h.setSelText("000000000001000");
    append(h, "Body", 0);
    h.setTagReadSelect(1);
    h.setSelStart(0);
    QVERIFY(h.FIND_HTAG(1000, 1) > 0);
    QCOMPARE(h.SelText(), QString("000000000001000"));
    QCOMPARE(h.HTag(), 1000);
    h.setSelText("");
    QCOMPARE(h.toPlainText(), QString("Body"));

    // Entering a prompt after a jump: TagReadSelect 0, the caret reads the prompt's tags.
    t.setTagReadSelect(0);
    t.setSelStart(0);
    QVERIFY(t.FIND_HTAG(1, 1) > 0);
    QCOMPARE(t.HTag(), 1);
    QCOMPARE(t.NTag(), 99);
    t.setTagReadSelect(1);
    QVERIFY(t.FIND_HTAG(1, 0) > 0);
    QCOMPARE(t.SelText(), QString("[prompt A]"));
}

void TestTextControl::hiddenTextKeepsPositions() {
    TextControl shown, hidden;
    buildPlan(shown);
    buildPlan(hidden);
    shown.setShowHidden(1);
    hidden.setShowHidden(0);
    QCOMPARE(hidden.TextLength(), shown.TextLength());
    for (TextControl* t : {&shown, &hidden}) {
        t->setSelStart(0);
        QCOMPARE(t->FIND_HTAG(1, 1), indexOf(*t, "[prompt A]") + 1);
        t->setSelStart(0);
        QCOMPARE(t->FIND_HTAG(999, 1), indexOf(*t, " note") + 1);
        QCOMPARE(t->SelText(), QString(" note"));
        t->setSelStart(t->TextLength());
        QCOMPARE(t->FIND_PTAG(2, -1), 4);
    }
    // Switching back and forth changes nothing in the text.
    const QByteArray before = RtfWriter::write(*hidden.document());
    hidden.setShowHidden(1);
    hidden.setShowHidden(0);
    QCOMPARE(RtfWriter::write(*hidden.document()), before);
    QCOMPARE(hidden.UnDoAction(), shown.UnDoAction());
}

void TestTextControl::hiddenTextTakesNoRoom() {
    TextControl t;
    t.resize(600, 300);
    t.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t));
    t.setFontSize(12);
    t.setSelText("before");
    t.setFontHidden(-1);
    t.setSelText("HIDDEN WORDS THAT TAKE ROOM");
    t.setFontHidden(0);
    t.setSelText("after");
    const int afterPos = indexOf(t, "after");
    auto xOf = [&](int pos) {
        QTextCursor c(t.document());
        c.setPosition(pos);
        return t.cursorRect(c).x();
    };
    t.setShowHidden(1);
    const int shownX = xOf(afterPos);
    t.setShowHidden(0);
    const int hiddenX = xOf(afterPos);
    const int beforeEnd = xOf(indexOf(t, "HIDDEN"));
    QVERIFY2(shownX - beforeEnd > 100, qPrintable(QString::number(shownX - beforeEnd)));
    QVERIFY2(std::abs(hiddenX - beforeEnd) <= 2,
             qPrintable(QString("%1 %2").arg(hiddenX).arg(beforeEnd)));
    // Hidden text written, typed or pasted while it is not shown takes no room either.
    t.setSelStart(indexOf(t, "HIDDEN") + 3);
    t.setFontHidden(-1);
    t.setSelText("MORE HIDDEN WORDS");
    t.setSelStart(indexOf(t, "after"));
    t.setSelFText("{\\rtf1 {\\v PASTED HIDDEN}}");
    QVERIFY2(std::abs(xOf(indexOf(t, "after")) - beforeEnd) <= 2,
             qPrintable(QString("%1 %2").arg(xOf(indexOf(t, "after"))).arg(beforeEnd)));

    // Nothing of it is painted: the picture equals one of the same text without it.
    TextControl plain;
    plain.resize(600, 300);
    plain.show();
    QVERIFY(QTest::qWaitForWindowExposed(&plain));
    plain.setFontSize(12);
    plain.setSelText("beforeafter");
    plain.setSelStart(0);
    t.setSelStart(0);
    // (the glyphs after a hidden run may sit a fraction of a pixel off)
    const Ink withHidden = inkOf(t.viewport()->grab().toImage());
    const Ink without = inkOf(plain.viewport()->grab().toImage());
    QVERIFY(without.dark > 100);
    QVERIFY2(std::abs(withHidden.box.left() - without.box.left()) <= 1 &&
                 std::abs(withHidden.box.right() - without.box.right()) <= 1,
             qPrintable(QString("%1-%2 %3-%4")
                            .arg(withHidden.box.left())
                            .arg(withHidden.box.right())
                            .arg(without.box.left())
                            .arg(without.box.right())));
    QVERIFY2(std::abs(withHidden.dark - without.dark) * 20 < without.dark,
             qPrintable(QString("%1 %2").arg(withHidden.dark).arg(without.dark)));

    // A whole hidden paragraph does not take a line either: the next one takes its place.
    TextControl w;
    w.resize(600, 300);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.setSelText("top\n");
    w.setFontHidden(-1);
    w.setSelText("a hidden paragraph");
    w.setFontHidden(0);
    w.setSelText("\nvisible");
    QTextCursor hiddenPar(w.document());
    hiddenPar.setPosition(indexOf(w, "a hidden paragraph"));
    QTextCursor visiblePar(w.document());
    visiblePar.setPosition(indexOf(w, "visible"));
    w.setShowHidden(1);
    const int hiddenParY = w.cursorRect(hiddenPar).y();
    QVERIFY(w.cursorRect(visiblePar).y() > hiddenParY + 5);
    w.setShowHidden(0);
    QCOMPARE(w.cursorRect(visiblePar).y(), hiddenParY);
    w.setShowHidden(1);
    QVERIFY(w.cursorRect(visiblePar).y() > hiddenParY + 5);
    QCOMPARE(w.TextLength(), indexOf(w, "visible") + 7);
    // Typed into while out of sight, it comes back as soon as it holds visible text.
    w.setShowHidden(0);
    w.setSelStart(indexOf(w, "a hidden paragraph"));
    w.setFontHidden(0);
    w.setSelText("shown ");
    QVERIFY(w.cursorRect(visiblePar).y() > hiddenParY + 5);
}

void TestTextControl::hiddenTextNeverReachesPaper() {
    TextControl t;
    t.setSelText("one ");
    t.setFontHidden(-1);
    t.setSelText("secret");
    t.setFontHidden(0);
    t.setSelText(" two\n");
    t.setFontHidden(-1);
    t.setSelText("a note of its own");
    t.setFontHidden(0);
    t.setSelText("\nthree");
    t.setShowHidden(0);
    std::unique_ptr<QTextDocument> paper = t.visibleDocument();
    QCOMPARE(paper->toPlainText(), QString("one  two\nthree"));
    // Shown, it prints like any text; the control's own text never changes.
    t.setShowHidden(1);
    QCOMPARE(t.visibleDocument()->toPlainText(),
             QString("one secret two\na note of its own\nthree"));
    QCOMPARE(t.logicalDocument()->toPlainText(), t.toPlainText());
    // A selection alone, too.
    t.setShowHidden(0);
    t.setSelStart(0);
    t.setSelLength(12);
    QCOMPARE(t.visibleDocument(true)->toPlainText(), QString("one  t"));
}

void TestTextControl::hiddenTextReadsLogicalAttributes() {
    TextControl t;
    t.setShowHidden(0);
    t.setFontSize(18);
    t.setFontColor(255);
    t.setFontUnder(1024);
    t.setFontHidden(-1);
    t.setSelText("secret");
    t.setSelStart(3);
    QCOMPARE(t.FontHidden(), -1);
    QCOMPARE(t.FontSize(), 18.0);
    QCOMPARE(t.FontColor(), 255);
    QCOMPARE(t.FontUnder(), 1024);
    // What is written to a file is the text as the user made it.
    QTextDocument back;
    QVERIFY(RtfReader::read(RtfWriter::write(*t.document()), &back));
    QTextCursor c(&back);
    c.setPosition(3);
    QCOMPARE(c.charFormat().fontPointSize(), 18.0);
    QVERIFY(c.charFormat().boolProperty(TextFormat::HiddenProperty));
    QCOMPARE(c.charFormat().foreground().color(), QColor(255, 0, 0));
    // Changing an attribute of hidden text keeps it hidden and changes the real value.
    t.setSelStart(0);
    t.setSelLength(6);
    t.setFontSize(9);
    t.setSelStart(2);
    QCOMPARE(t.FontSize(), 9.0);
    QCOMPARE(t.FontHidden(), -1);
    // Typing at the end of hidden text, while it is not shown, gives visible text.
    t.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t));
    t.setSelStart(6);
    QTest::keyClicks(&t, "ok");
    t.setSelStart(8);
    QCOMPARE(t.FontHidden(), 0);
}

void TestTextControl::hiddenTextNotInPlainTextFile() {
    QTemporaryDir dir;
    TextControl t;
    buildPlan(t);
    const QString txt = dir.filePath("plan.txt");
    QVERIFY(t.saveFile(txt, TextControl::PlainText));
    const QString saved = QString::fromUtf8(readFileBytes(txt));
    QVERIFY(!saved.contains("note"));
    QVERIFY(saved.contains("Name: [BusinessName]."));
    QCOMPARE(saved.count('\n'), 4);
    // Showing hidden text does not make it part of plain text either.
    t.setShowHidden(1);
    QVERIFY(t.saveFile(txt, TextControl::PlainText));
    QVERIFY(!QString::fromUtf8(readFileBytes(txt)).contains("note"));
    // Plain text reads back as text, one paragraph per line, without formatting.
    TextControl u;
    u.setFileName(txt);
    u.setDataType(0);
    u.setFileLoad(1);
    QVERIFY(u.lastFileOk());
    QCOMPARE(u.document()->blockCount(), 5);
    QCOMPARE(u.toPlainText(), saved);
}

// Qt 6 takes Enter in an empty paragraph of a format of its own as a wish for the plain
// format: it would insert nothing and strip the paragraph's format and section tag.
void TestTextControl::enterAlwaysMakesAParagraph() {
    TextControl t;
    t.show();
    t.setSelText("Heading\nBody");
    t.setCurPar(0);
    t.setAlignment(2);
    t.setPTag(7);
    t.setSelStart(7);
    QTest::keyClick(&t, Qt::Key_Return);
    QTest::keyClick(&t, Qt::Key_Return);
    QTest::keyClicks(&t, "x");
    QCOMPARE(t.toPlainText(), QString("Heading\n\nx\nBody"));
    for (int par : {0, 1, 2}) {
        t.setCurPar(par);
        QCOMPARE(t.Alignment(), 2);
    }
    // The empty paragraph keeps its tag when Enter is pressed in it.
    t.setCurPar(1);
    QCOMPARE(t.PTag(), 7);
    QTest::keyClick(&t, Qt::Key_Return);
    t.setCurPar(1);
    QCOMPARE(t.PTag(), 7);
    QCOMPARE(t.toPlainText(), QString("Heading\n\n\nx\nBody"));
}

void TestTextControl::writeProtectRefusesTheUser() {
    TextControl t;
    t.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t));
    t.setSelText("guidance text");
    for (int level : {1, 2}) {
        t.setWriteProtect(level);
        QCOMPARE(t.WriteProtect(), level);
        t.setSelStart(0);
        QTest::keyClicks(&t, "xyz");
        QTest::keyClick(&t, Qt::Key_Delete);
        QTest::keyClick(&t, Qt::Key_Return);
        QCOMPARE(t.toPlainText(), QString("guidance text"));
        // Cut and paste by the user are refused; copy is allowed.
        t.setSelLength(8);
        t.setClipboardAction(1);
        QCOMPARE(t.toPlainText(), QString("guidance text"));
        t.setClipboardAction(2);
        QCOMPARE(QApplication::clipboard()->text(), QString("guidance"));
        t.setSelStart(t.TextLength());
        t.setClipboardAction(3);
        QTest::keyClick(&t, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(&t, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(t.toPlainText(), QString("guidance text"));
        // The program's own calls still change the text.
        t.setSelStart(0);
        t.setSelLength(8);
        t.setSelText("plan");
        t.setHTag(5);
        QCOMPARE(t.toPlainText(), QString("plan text"));
        t.setSelStart(0);
        t.setSelLength(4);
        t.setSelText("guidance");
    }
    t.setWriteProtect(0);
    t.setSelStart(0);
    QTest::keyClicks(&t, "my ");
    QCOMPARE(t.toPlainText(), QString("my guidance text"));
    t.setSelStart(0);
    t.setSelLength(3);
    t.setClipboardAction(1);
    QCOMPARE(t.toPlainText(), QString("guidance text"));
    t.setSelStart(t.TextLength());
    t.setClipboardAction(3);
    QCOMPARE(t.toPlainText(), QString("guidance textmy "));
}

void TestTextControl::undoAction() {
    QTemporaryDir dir;
    const QString file = dir.filePath("a.mp");
    TextControl t;
    t.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t));
    QCOMPARE(t.UnDoAction(), 0);
    t.setSelText("first");
    QVERIFY(t.saveFile(file, TextControl::NativeRtf));
    QCOMPARE(t.UnDoAction(), 0); // reads 0 after a save
    QTest::keyClicks(&t, " second");
    QVERIFY(t.UnDoAction() > 2);
    t.setUnDoAction(1);
    QCOMPARE(t.toPlainText(), QString("first"));

    QVERIFY(t.loadFile(file, TextControl::NativeRtf));
    QCOMPARE(t.UnDoAction(), 0); // and after a load
    QCOMPARE(t.toPlainText(), QString("first"));
    t.setSelStart(5);
    t.setSelText("!");
    QVERIFY(t.UnDoAction() > 2);
    // Writing 0 empties the undo store.
    t.setUnDoAction(0);
    QCOMPARE(t.UnDoAction(), 0);
    t.setUnDoAction(1);
    QCOMPARE(t.toPlainText(), QString("first!"));
}

void TestTextControl::undoTypingOverASelectionTheHandlerFormats() {
    QTest::failOnWarning(QRegularExpression(QStringLiteral("out of range")));
    TextControl t;
    t.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t));
    // As the program's key handler does: what is typed is the user's own, untagged and black.
    connect(&t, &TextControl::OnKeyPress, &t, [&t](int&) {
        t.setHTag(0);
        t.setFontColor(0);
    });
    QTest::keyClicks(&t, "abc");
    QTest::keyClick(&t, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(&t, 'x');
    QCOMPARE(t.toPlainText(), QString("abx"));
    // One undo brings "c" back, the caret after it; the next takes the typing back.
    t.setUnDoAction(1);
    QCOMPARE(t.toPlainText(), QString("abc"));
    QCOMPARE(t.textCursor().position(), 3);
    t.setUnDoAction(1);
    QCOMPARE(t.toPlainText(), QString());
    t.setReDoAction(1);
    QCOMPARE(t.toPlainText(), QString("abc"));
    t.setReDoAction(1);
    QCOMPARE(t.toPlainText(), QString("abx"));
}

void TestTextControl::selFTextRtfAndPlain() {
    TextControl t;
    t.setSelText("<>");
    t.setSelStart(1);
    t.setSelFText("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 a{\\b\\tzhtag7 bold}z}");
    // The inserted text is selected so attributes written next apply to it.
    QCOMPARE(t.toPlainText(), QString("<abold z>").remove(' '));
    QCOMPARE(t.SelStart(), 1);
    QCOMPARE(t.SelText(), QString("aboldz"));
    t.setSelStart(3);
    QCOMPARE(t.FontBold(), -1);
    QCOMPARE(t.HTag(), 7);
    t.setSelStart(0);
    QCOMPARE(t.FIND_HTAG(7, 1), 3);
    QCOMPARE(t.SelText(), QString("bold"));

    // Plain text takes the current attributes.
    t.setSelStart(t.TextLength());
    t.setFontColor(255);
    t.setHTag(1000);
    t.setSelFText("header\r\nline");
    QCOMPARE(t.SelText(), QString("header\nline"));
    QCOMPARE(t.SelLength(), 11);
    t.setSelStart(t.TextLength() - 2);
    QCOMPARE(t.FontColor(), 255);
    QCOMPARE(t.HTag(), 1000);
    QCOMPARE(t.FontBold(), 0);

    // SelFText read gives the selection as RTF with its tags.
    t.setSelStart(0);
    QVERIFY(t.FIND_HTAG(7, 1) > 0);
    const QString rtf = t.SelFText();
    QVERIFY(rtf.startsWith("{\\rtf"));
    QVERIFY(rtf.contains("\\tzhtag7"));
    TextControl u;
    u.setSelFText(rtf);
    QCOMPARE(u.toPlainText(), QString("bold"));
    u.setSelStart(2);
    QCOMPARE(u.HTag(), 7);
}

void TestTextControl::clipboardRoundTripKeepsTags() {
    TextControl a, b;
    buildPlan(a);
    a.setShowHidden(1);
    a.setCurPar(3);
    a.setSelToChar(TextControl::EndOfParagraph);
    a.setClipboardAction(2);
    QVERIFY(QApplication::clipboard()->mimeData()->hasFormat(TextControl::NativeMimeType));
    b.setSelText("X");
    b.setClipboardAction(3);
    QCOMPARE(b.toPlainText(), QString("XName: [BusinessName]. note"));
    b.setSelStart(0);
    QCOMPARE(b.FIND_HTAG(300, 1), 8);
    QCOMPARE(b.SelText(), QString("[BusinessName]"));
    QCOMPARE(b.NTag(), 1);
    QCOMPARE(b.FIND_HTAG(999, 1), 23);
    QCOMPARE(b.FontHidden(), -1);
    QCOMPARE(b.FontColor(), 255);

    // Cut and paste inside one control puts back the same runs.
    const auto before = a.tagRuns(0);
    a.setSelStart(0);
    a.setSelLength(a.TextLength());
    a.setClipboardAction(1);
    QCOMPARE(a.TextLength(), 0);
    a.setClipboardAction(3);
    QCOMPARE(a.tagRuns(0), before);
    QCOMPARE(a.tagRuns(0), a.tagRuns(0, false));
}

void TestTextControl::clipboardForOtherPrograms() {
    TextControl a;
    buildPlan(a);
    a.setCurPar(3);
    a.setSelToChar(TextControl::EndOfParagraph);
    a.setClipboardAction(2);
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    QCOMPARE(mime->text(), QString("Name: [BusinessName]."));
    QVERIFY(mime->hasHtml());
    QVERIFY(!mime->html().contains("note"));
    const QByteArray rtf = mime->data("text/rtf");
    QVERIFY(rtf.startsWith("{\\rtf"));
    QVERIFY(!rtf.contains("\\tzhtag"));
    QVERIFY(rtf.contains("\\v"));

    // Text from another program goes in with the attributes at the caret.
    TextControl b;
    b.setFontBold(-1);
    b.setHTag(4);
    auto* other = new QMimeData;
    other->setText("line one\r\nline two");
    QApplication::clipboard()->setMimeData(other);
    b.setClipboardAction(3);
    QCOMPARE(b.toPlainText(), QString("line one\nline two"));
    b.setSelStart(3);
    QCOMPARE(b.FontBold(), -1);
    QCOMPARE(b.HTag(), 4);
}

// A whole heading line, cut with its break and pasted at the start of another paragraph,
// is a paragraph of its own again with its section tags, and the paragraph it went before
// keeps its own; the plan saved and read back has every section.
void TestTextControl::cutAndPastedHeadingKeepsItsSection() {
    QTemporaryDir dir;
    const QString file = dir.filePath("2.mp");
    TextControl t;
    buildPlan(t);
    t.setSelStart(indexOf(t, "Second"));
    t.setSelLength(int(QString("Second\n").size()));
    t.setClipboardAction(1);
    QCOMPARE(t.toPlainText().count("Second"), 0);
    t.setSelStart(indexOf(t, "Third"));
    t.setClipboardAction(3);
    QCOMPARE(t.toPlainText(), QString("Title\nIntro [prompt A] more\nName: [BusinessName]. "
                                      "note\nSecond\nThird [prompt B]"));
    const auto sections = [](TextControl& c) {
        QList<QPair<QString, int>> out;
        for (QTextBlock b = c.document()->begin(); b.isValid(); b = b.next())
            out << qMakePair(b.text(), b.blockFormat().intProperty(TextFormat::PTagProperty));
        return out;
    };
    const QList<QPair<QString, int>> expected{{"Title", 99},
                                              {"Intro [prompt A] more", 0},
                                              {"Name: [BusinessName]. note", 0},
                                              {"Second", 1},
                                              {"Third [prompt B]", 2}};
    QCOMPARE(sections(t), expected);
    t.setCurPar(3);
    QCOMPARE(t.NTag(), 1);
    QVERIFY(t.saveFile(file, TextControl::NativeRtf));
    TextControl reread;
    QVERIFY(reread.loadFile(file, TextControl::NativeRtf));
    QCOMPARE(sections(reread), expected);
    // One undo takes the paste back whole.
    t.setUnDoAction(1);
    QCOMPARE(t.toPlainText().count("Second"), 0);
    // A heading copied, not cut, leaves its section where it was: the copy is plain text.
    t.setUnDoAction(1);
    t.setSelStart(indexOf(t, "Second"));
    t.setSelLength(int(QString("Second\n").size()));
    t.setClipboardAction(2);
    t.setSelStart(indexOf(t, "Third"));
    t.setClipboardAction(3);
    QCOMPARE(t.toPlainText().count("Second"), 2);
    int carrying = 0;
    for (QTextBlock b = t.document()->begin(); b.isValid(); b = b.next())
        if (b.blockFormat().intProperty(TextFormat::PTagProperty) == 1) ++carrying;
    QCOMPARE(carrying, 1);
    t.setCurPar(2);
    QCOMPARE(t.PTag(), 1);
}

// A paragraph typed word by word, with hidden notes in it, breaks into the same lines as
// the same paragraph read back from its file.
void TestTextControl::typingBreaksLinesAsReopeningDoes() {
    QTemporaryDir dir;
    const QString file = dir.filePath("typed.mp");
    TextControl t;
    t.resize(520, 400);
    t.setDocWidth(5000);
    t.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t));
    t.setSelText("Growth: ");
    t.setFontHidden(-1);
    t.setFontColor(255);
    t.setHTag(999);
    t.setSelText("[Note: say how sales have grown in the last three years.]");
    t.setFontHidden(0);
    t.setFontColor(0);
    t.setHTag(0);
    t.setSelText(" And more.");
    t.setSelStart(8);
    t.setFocus();
    const QString words = QStringLiteral(
        "Our sales have grown every year since we opened, and last year the online shop took "
        "62% of all sales, so we now plan for the web first and the shop second.");
    for (const QString& word : words.split(' ')) {
        QTest::keyClicks(&t, word + ' ');
    }
    QCoreApplication::processEvents();
    const auto lines = [](TextControl& c) {
        QStringList out;
        const QTextBlock b = c.document()->begin();
        c.document()->documentLayout()->blockBoundingRect(b);
        for (int i = 0; i < b.layout()->lineCount(); ++i) {
            const QTextLine l = b.layout()->lineAt(i);
            out << b.text().mid(l.textStart(), l.textLength());
        }
        return out;
    };
    QVERIFY(t.saveFile(file, TextControl::NativeRtf));
    TextControl reread;
    reread.resize(520, 400);
    reread.show();
    QVERIFY(QTest::qWaitForWindowExposed(&reread));
    QVERIFY(reread.loadFile(file, TextControl::NativeRtf));
    QCOMPARE(reread.toPlainText(), t.toPlainText());
    for (int width = 2400; width <= 7000; width += 97) {
        t.setDocWidth(width);
        reread.setDocWidth(width);
        QCoreApplication::processEvents();
        const QStringList typed = lines(t);
        QVERIFY(typed.size() > 1);
        QCOMPARE(lines(reread), typed);
    }
}

void TestTextControl::nativeFileRoundTrip() {
    QTemporaryDir dir;
    const QString file = dir.filePath("1.mp");
    TextControl t;
    buildPlan(t);
    t.setCurPar(1);
    t.setLeftIndent(720);
    t.setAlignment(2);
    t.setFileName(file);
    t.setDataType(2);
    t.setFileSave(1);
    QVERIFY(t.lastFileOk());

    TextControl u;
    u.setFileName(file);
    u.setDataType(2);
    u.PrepareLoad();
    u.setFileLoad(1);
    QVERIFY(u.lastFileOk());
    QCOMPARE(u.toPlainText(), t.toPlainText());
    for (int k = 0; k < 3; ++k)
        QCOMPARE(u.tagRuns(k), t.tagRuns(k, false));
    u.setCurPar(1);
    QCOMPARE(u.LeftIndent(), 720);
    QCOMPARE(u.Alignment(), 2);
    u.setSelStart(indexOf(u, "note") + 1);
    QCOMPARE(u.FontHidden(), -1);
    QCOMPARE(u.SelStart(), 0 + indexOf(u, "note") + 1);
    QCOMPARE(u.SelLength(), 0);

    // Standard RTF has no tags, but keeps hidden text.
    const QString std3 = dir.filePath("plan.rtf");
    QVERIFY(t.saveFile(std3, TextControl::StandardRtf));
    QVERIFY(u.loadFile(std3, TextControl::StandardRtf));
    QCOMPARE(u.toPlainText(), t.toPlainText());
    u.setSelStart(0);
    QVERIFY(u.FIND_HTAG(1, 1) <= 0);
    u.setSelStart(indexOf(u, "note") + 1);
    QCOMPARE(u.FontHidden(), -1);
}

void TestTextControl::fileLoadFailuresLeaveTheControlEmpty() {
    QTemporaryDir dir;
    const QString notRtf = dir.filePath("notrtf.mp");
    QVERIFY(writeFileBytes(notRtf, "just some words"));
    const QString deep = dir.filePath("deep.mp");
    QVERIFY(writeFileBytes(deep, "{\\rtf1 " + QByteArray(RtfReader::maxDepth + 50, '{') + "x"));

    struct Case {
        QString file;
        int type;
    };
    const Case cases[] = {
        {dir.filePath("missing.mp"), 2},
        {dir.filePath("missing.txt"), 0},
        {notRtf, 2},
        {notRtf, 3},
        {deep, 2},
        {notRtf, 7},
        {dir.path(), 2},
    };
    for (const Case& c : cases) {
        TextControl t;
        buildPlan(t);
        t.setFileName(c.file);
        t.setDataType(c.type);
        t.setFileLoad(1);
        QVERIFY2(!t.lastFileOk(), qPrintable(c.file));
        QVERIFY(!t.lastFileError().isEmpty());
        QCOMPARE(t.TextLength(), 0);
        QCOMPARE(t.UnDoAction(), 0);
        t.setSelStart(0);
        QCOMPARE(t.FIND_HTAG(1, 1), 0);
    }
    // A good load after a bad one reports success again.
    TextControl t;
    QVERIFY(!t.loadFile(notRtf, 2));
    QVERIFY(t.loadFile(notRtf, 0));
    QVERIFY(t.lastFileOk());
    QCOMPARE(t.toPlainText(), QString("just some words"));
}

void TestTextControl::fileSaveFailureReported() {
    QTemporaryDir dir;
    const QString file = dir.filePath("keep.mp");
    QVERIFY(writeFileBytes(file, "old contents"));
    TextControl t;
    t.setSelText("new");
    // A folder in the way of the file, and a folder that does not exist.
    QVERIFY(!t.saveFile(dir.path(), 2));
    QVERIFY(!t.lastFileError().isEmpty());
    QVERIFY(!t.saveFile(dir.filePath("no/such/folder/x.mp"), 2));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    const bool refused = !t.saveFile(file, 2);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (refused) // (root may write anyway)
        QCOMPARE(readFileBytes(file), QByteArray("old contents"));
    QVERIFY(t.saveFile(file, 2));
    QVERIFY(t.lastFileOk());
    QVERIFY(readFileBytes(file).startsWith("{\\rtf"));
}

void TestTextControl::indexFollowsRandomEdits() {
    TextControl t;
    buildPlan(t);
    QRandomGenerator rng(20261207);
    const QString letters = "abc de\nfg";
    // What is wrong with the index after a step, or nothing.
    auto problem = [&](int step) -> QString {
        // A kind-of-text run never reaches over a paragraph break.
        for (const auto& r : t.tagRuns(0, false)) {
            QTextCursor c(t.document());
            c.setPosition(r[0]);
            c.setPosition(r[1], QTextCursor::KeepAnchor);
            if (c.selectedText().contains(QChar::ParagraphSeparator))
                return QString("step %1: run [%2,%3) over a break").arg(step).arg(r[0]).arg(r[1]);
        }
        for (int k = 0; k < 3; ++k) {
            const auto kept = t.tagRuns(k);
            const auto scanned = t.tagRuns(k, false);
            if (kept != scanned) {
                QString msg = QString("step %1 kind %2:").arg(step).arg(k);
                for (const auto& r : kept)
                    msg += QString(" [%1,%2)=%3").arg(r[0]).arg(r[1]).arg(r[2]);
                msg += " vs";
                for (const auto& r : scanned)
                    msg += QString(" [%1,%2)=%3").arg(r[0]).arg(r[1]).arg(r[2]);
                return msg;
            }
        }
        return QString();
    };
    t.tagRuns(0); // build the index before editing
    for (int step = 0; step < 1500; ++step) {
        const int len = t.TextLength();
        const int a = int(rng.bounded(len + 1));
        const int b = std::min(len, a + int(rng.bounded(12)));
        switch (rng.bounded(10)) {
        case 0:
        case 1: { // typing-like insertion with a tag
            t.setSelStart(a);
            t.setHTag(int(rng.bounded(4)));
            t.setNTag(int(rng.bounded(3)));
            QString s;
            for (int i = 0, n = 1 + int(rng.bounded(6)); i < n; ++i)
                s += letters.at(int(rng.bounded(letters.size())));
            t.setSelText(s);
            break;
        }
        case 2: // deletion, paragraph breaks included
            t.setSelStart(a);
            t.setSelLength(b - a);
            t.setSelText("");
            break;
        case 3: // retag a stretch
            t.setSelStart(a);
            t.setSelLength(b - a);
            t.setHTag(int(rng.bounded(4)));
            break;
        case 4:
            t.setSelStart(a);
            t.setSelLength(b - a);
            t.setNTag(int(rng.bounded(3)));
            break;
        case 5:
            t.setSelStart(a);
            t.setSelLength(b - a);
            t.setPTag(int(rng.bounded(3)));
            break;
        case 6: // formatting that splits fragments without touching tags
            t.setSelStart(a);
            t.setSelLength(b - a);
            t.setFontBold(rng.bounded(2) ? -1 : 0);
            break;
        case 7:
            if (t.UnDoAction() > 2) t.setUnDoAction(1);
            break;
        case 9: { // a small table with tagged text in its cells
            if (rng.bounded(4) != 0) break;
            QTextCursor c(t.document());
            c.setPosition(a);
            if (c.currentTable()) break;
            QTextTable* table = c.insertTable(2, 2);
            for (int cell = 0; cell < 4; ++cell) {
                QTextCursor in = table->cellAt(cell / 2, cell % 2).firstCursorPosition();
                QTextCharFormat f;
                f.setProperty(TextFormat::HTagProperty, int(rng.bounded(3)));
                f.setProperty(TextFormat::NTagProperty, int(rng.bounded(2)));
                in.insertText(QString("c%1").arg(cell), f);
            }
            break;
        }
        case 8: { // formatted insertion
            t.setSelStart(a);
            t.setSelFText(QString("{\\rtf1 {\\tzhtag%1 x\\par y}{\\tzntag%2 z}}")
                              .arg(rng.bounded(4))
                              .arg(rng.bounded(3)));
            break;
        }
        }
        const QString wrong = problem(step);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
        // The searches agree with a walk over the runs read from the document.
        const int value = int(rng.bounded(4));
        const int from = int(rng.bounded(t.TextLength() + 1));
        t.setSelStart(from);
        int expected = 0;
        for (const auto& r : t.tagRuns(0, false))
            if (r[2] == value && r[0] >= from) {
                expected = r[0] + 1;
                break;
            }
        QCOMPARE(t.FIND_HTAG(value, 1), expected);
    }
}

void TestTextControl::findPhrase() {
    TextControl t;
    t.setSelText("Alpha beta\nalpha BETA alpha");
    t.setSelStart(0);
    QCOMPARE(t.find_phrase("alpha", -1, 0), 0);
    t.setSelStart(1);
    QCOMPARE(t.find_phrase("alpha", -1, 0), 11);
    QCOMPARE(t.SelStart(), 1); // the selection does not move
    QCOMPARE(t.find_phrase("alpha", -1, -1), 11);
    t.setSelStart(12);
    QCOMPARE(t.find_phrase("alpha", -1, 0), 22);
    t.setSelStart(23);
    QCOMPARE(t.find_phrase("alpha", -1, 0), TextControl::NotFound);
    QCOMPARE(t.find_phrase("Beta", -1, -1), TextControl::NotFound);
    QCOMPARE(t.find_phrase("", -1, 0), TextControl::NotFound);
    t.setSelStart(12);
    QCOMPARE(t.find_phrase("beta", 0, 0), 6);
}

void TestTextControl::events() {
    TextControl t;
    t.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t));
    connect(&t, &TextControl::OnKeyDown, &t, [](int& key, Qt::KeyboardModifiers mods) {
        if (key == Qt::Key_B && (mods & Qt::ControlModifier)) key = 0;
    });
    connect(&t, &TextControl::OnKeyPress, &t, [](int& ch) {
        if (ch == 'q')
            ch = 0;
        else if (ch == 'w')
            ch = 'W';
    });
    QSignalSpy change(&t, &TextControl::OnATXChange);
    QSignalSpy up(&t, &TextControl::OnKeyUp);
    QTest::keyClicks(&t, "aqwz");
    QCOMPARE(t.toPlainText(), QString("aWz"));
    QVERIFY(change.count() >= 3);
    QCOMPARE(up.count(), 4);
    t.setSelStart(0);
    t.setSelLength(1);
    QTest::keyClick(&t, Qt::Key_B, Qt::ControlModifier); // consumed: nothing changes
    QCOMPARE(t.SelLength(), 1);
    QTest::keyClick(&t, Qt::Key_Right);
    QCOMPARE(t.SelStart(), 1);

    QSignalSpy down(&t, &TextControl::OnMouseDown);
    QSignalSpy release(&t, &TextControl::OnMouseUp);
    QSignalSpy click(&t, &TextControl::OnClick);
    QSignalSpy dbl(&t, &TextControl::OnDblClick);
    QTest::mouseClick(t.viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(down.count(), 1);
    QCOMPARE(release.count(), 1);
    QCOMPARE(click.count(), 1);
    QTest::mouseDClick(t.viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(dbl.count(), 1);

    // The control's own keys: F2 shows or hides hidden text, F3 finds the last phrase
    // again; switched off, they reach the program's handlers only.
    t.setSelStart(0);
    QCOMPARE(t.find_phrase("z", -1, 0), 2);
    t.setF2ON(1);
    t.setF3ON(1);
    const int shown = t.ShowHidden();
    QTest::keyClick(&t, Qt::Key_F2);
    QCOMPARE(t.ShowHidden(), 1 - shown);
    QTest::keyClick(&t, Qt::Key_F3);
    QCOMPARE(t.SelStart(), 2);
    QCOMPARE(t.SelLength(), 1);
    t.setF2ON(0);
    t.setF3ON(0);
    t.setSelStart(0);
    QTest::keyClick(&t, Qt::Key_F2);
    QTest::keyClick(&t, Qt::Key_F3);
    QCOMPARE(t.ShowHidden(), 1 - shown);
    QCOMPARE(t.SelStart(), 0);

    QSignalSpy vscroll(&t, &TextControl::OnATXVScrollClick);
    t.setSelStart(t.TextLength());
    for (int i = 0; i < 100; ++i)
        t.setSelText("\nline");
    t.setScrollVert(0);
    QVERIFY(vscroll.count() > 0);
}

void TestTextControl::geometry() {
    TextControl t;
    t.resize(400, 200);
    t.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t));
    t.setFontSize(12);
    QString text;
    for (int i = 0; i < 60; ++i)
        text += QString("line %1\n").arg(i);
    t.setSelText(text);

    int x0 = -1, y0 = -1, x1 = -1, y1 = -1;
    QCOMPARE(t.ATX_CURTOXY(0, 0, x0, y0), 0);
    QCOMPARE(t.ATX_CURTOXY(10, 0, x1, y1), 0);
    QVERIFY(y1 > y0);
    // 12-point lines are at least 12 points (240 twips) apart.
    QVERIFY2((y1 - y0) / 10 >= 240 && (y1 - y0) / 10 < 480, qPrintable(QString::number(y1 - y0)));
    int x2 = 0, y2 = 0;
    QCOMPARE(t.ATX_CURTOXY(10, TextControl::EndOfParagraph, x2, y2), 0);
    QCOMPARE(y2, y1);
    QVERIFY(x2 > x1);
    QVERIFY(t.ATX_CURTOXY(500, 0, x2, y2) > 0);

    // Scrolling in twips; the end position shows the last line.
    const int end = t.EndScrollPos();
    QVERIFY(end > 0);
    t.setScrollVert(end);
    QCOMPARE(t.verticalScrollBar()->value(), t.verticalScrollBar()->maximum());
    QVERIFY(std::abs(t.ScrollVert() - end) <= 15);
    t.setScrollVert(0);
    QCOMPARE(t.ScrollVert(), 0);
    // The navigator's move: view at the end, caret at the end, back to a paragraph,
    // which comes to the top of the view.
    t.setCurPar(20);
    t.setPTag(5);
    t.setScrollVert(t.EndScrollPos());
    t.setSelStart(t.TextLength());
    QCOMPARE(t.FIND_PTAG(5, -1), 20);
    int px = 0, py = 0;
    t.ATX_CURTOXY(20, 0, px, py);
    QVERIFY2(std::abs(py - t.ScrollVert()) < 400,
             qPrintable(QString("%1 %2").arg(py).arg(t.ScrollVert())));

    // Line numbers: one line per paragraph here.
    t.setCurPar(7);
    QCOMPARE(t.LineNumber(), 7);
    t.setLineNumber(t.LineNumber() + 2);
    QCOMPARE(t.CurPar(), 9);
    t.setLineNumber(100000);
    QCOMPARE(t.SelStart(), t.TextLength());

    // DocWidth wraps the text at that many twips.
    t.setDocWidth(1440);
    QCOMPARE(t.DocWidth(), 1440);
    t.setCurPar(0);
    t.setSelText("a long line of words that cannot fit into one inch of width at all ");
    t.setCurPar(1);
    QVERIFY(t.LineNumber() > 2);
}

QTEST_MAIN(TestTextControl)
#include "tst_textcontrol.moc"
