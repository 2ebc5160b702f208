// The calendar window, the hidden date edits that put its date into the plan text, and
// the keytexts.

#include "controls/text/textcontrol.h"
#include "editor/bluetext.h"
#include "editor/cal.h"
#include "editor/keytext.h"
#include "support/modal.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace {

QAbstractItemView* dayGrid(TfrmCal& cal) {
    return cal.cal->findChild<QAbstractItemView*>();
}

// "Plan for <prompt> ends." with the prompt blue, HTag 1.
void writePromptText(TextControl& text, const QString& prompt) {
    text.setSelText(QStringLiteral("Plan for "));
    const int start = text.SelStart();
    text.setSelText(prompt);
    const int end = text.SelStart();
    text.setSelText(QStringLiteral(" ends."));
    text.setSelStart(start);
    text.setSelLength(end - start);
    text.setHTag(GuidanceTag::BluePrompt);
    text.setFontColor(kBlueText);
    text.setSelStart(0);
}

struct Attributes {
    int tag;
    int colour;
};
Attributes attributesAt(TextControl& text, int position) {
    const int start = text.SelStart();
    const int length = text.SelLength();
    text.setSelStart(position + 1); // the caret reads the character before it
    const Attributes a{text.HTag(), text.FontColor()};
    text.setSelStart(start);
    text.setSelLength(length);
    return a;
}

} // namespace

class TestCalendar : public QObject {
    Q_OBJECT
private slots:
    void composesDatesWithoutLeadingZeros();
    void readsTheDatesTheProgramWrites();
    void knowsLeapYears();
    void arrowKeysCrossMonthsAndYears_data();
    void arrowKeysCrossMonthsAndYears();
    void buttonsStepMonthsAndYearsAndLabelsFollow();
    void placementKeepsTheWindowOnTheScreen();
    void opensOnTheEditsDateOrToday();
    void okEnterAndDoubleClickWriteTheDate();
    void cancelEscapeAndLosingFocusWriteNothing();
    void cancelledCalendarLeavesThePlanAsItWas();
    void pickedDateReplacesTheSelectionAsUserText();
    void menuKeytextIsUserTextTypedKeytextTakesTheGuidance();
};

void TestCalendar::composesDatesWithoutLeadingZeros() {
    QCOMPARE(TfrmCal::composeDate(QDate(1998, 3, 5)), QStringLiteral("5 March 1998"));
    QCOMPARE(TfrmCal::composeDate(QDate(2001, 1, 1)), QStringLiteral("1 January 2001"));
    QCOMPARE(TfrmCal::composeDate(QDate(2026, 12, 31)), QStringLiteral("31 December 2026"));
}

void TestCalendar::readsTheDatesTheProgramWrites() {
    QCOMPARE(TfrmCal::readDate(QStringLiteral("05/03/1998")), QDate(1998, 3, 5));
    QCOMPARE(TfrmCal::readDate(QStringLiteral("5 March 1998")), QDate(1998, 3, 5));
    QCOMPARE(TfrmCal::readDate(QStringLiteral(" 29 February 2000 ")), QDate(2000, 2, 29));
    QVERIFY(!TfrmCal::readDate(QStringLiteral("txtDate")).isValid());
    QVERIFY(!TfrmCal::readDate(QStringLiteral("31/02/2001")).isValid());
    QVERIFY(!TfrmCal::readDate(QString()).isValid());
}

void TestCalendar::knowsLeapYears() {
    QCOMPARE(TfrmCal::daysInMonth(2000, 2), 29);
    QCOMPARE(TfrmCal::daysInMonth(1900, 2), 28);
    QCOMPARE(TfrmCal::daysInMonth(2004, 2), 29);
    QCOMPARE(TfrmCal::daysInMonth(2001, 2), 28);
    QCOMPARE(TfrmCal::daysInMonth(2001, 4), 30);
    QCOMPARE(TfrmCal::daysInMonth(2001, 12), 31);
}

void TestCalendar::arrowKeysCrossMonthsAndYears_data() {
    QTest::addColumn<QDate>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<QDate>("to");
    QTest::newRow("31 Dec, Right")
        << QDate(2000, 12, 31) << int(Qt::Key_Right) << QDate(2001, 1, 1);
    QTest::newRow("31 Dec, Down") << QDate(1999, 12, 31) << int(Qt::Key_Down) << QDate(2000, 1, 1);
    QTest::newRow("1 Mar 2000, Up") << QDate(2000, 3, 1) << int(Qt::Key_Up) << QDate(2000, 2, 29);
    QTest::newRow("1 Mar 1900, Left")
        << QDate(1900, 3, 1) << int(Qt::Key_Left) << QDate(1900, 2, 28);
    QTest::newRow("1 Mar 2001, Left")
        << QDate(2001, 3, 1) << int(Qt::Key_Left) << QDate(2001, 2, 28);
    QTest::newRow("28 Feb 2001, Right")
        << QDate(2001, 2, 28) << int(Qt::Key_Right) << QDate(2001, 3, 1);
    QTest::newRow("28 Feb 2000 stays in Feb")
        << QDate(2000, 2, 28) << int(Qt::Key_Right) << QDate(2000, 2, 29);
    QTest::newRow("1 Jan, Left") << QDate(2001, 1, 1) << int(Qt::Key_Left) << QDate(2000, 12, 31);
    QTest::newRow("mid-month Left")
        << QDate(2001, 6, 15) << int(Qt::Key_Left) << QDate(2001, 6, 14);
}

void TestCalendar::arrowKeysCrossMonthsAndYears() {
    QFETCH(QDate, from);
    QFETCH(int, key);
    QFETCH(QDate, to);
    TfrmCal cal;
    cal.setSelectedDate(from);
    QTest::keyClick(dayGrid(cal), Qt::Key(key));
    QCOMPARE(cal.selectedDate(), to);
    QCOMPARE(cal.lblMonth->text(), TfrmCal::monthName(to.month()));
    QCOMPARE(cal.lblYear->text(), QString::number(to.year()));
}

void TestCalendar::buttonsStepMonthsAndYearsAndLabelsFollow() {
    TfrmCal cal;
    cal.setSelectedDate(QDate(2001, 3, 31));
    cal.cmdPrevMonth->click();
    QCOMPARE(cal.selectedDate(), QDate(2001, 2, 28));
    QCOMPARE(cal.lblMonth->text(), QStringLiteral("February"));
    cal.cmdNextYear->click();
    QCOMPARE(cal.selectedDate(), QDate(2002, 2, 28));
    QCOMPARE(cal.lblYear->text(), QStringLiteral("2002"));
    cal.cmdNextMonth->click();
    QCOMPARE(cal.selectedDate(), QDate(2002, 3, 28));
    cal.cmdPrevYear->click();
    cal.cmdPrevYear->click();
    QCOMPARE(cal.selectedDate(), QDate(2000, 3, 28));
    QCOMPARE(cal.lblMonth->text(), QStringLiteral("March"));
    QCOMPARE(cal.lblYear->text(), QStringLiteral("2000"));
    QCOMPARE(cal.cal->monthShown(), 3);
    QCOMPARE(cal.cal->yearShown(), 2000);
}

void TestCalendar::placementKeepsTheWindowOnTheScreen() {
    const QSize screen(1280, 1024);
    const QSize window(240, 210);
    // Room enough: top with the edit's top, left at the edit's right edge.
    QCOMPARE(TfrmCal::placement(QRect(100, 200, 80, 21), window, screen), QPoint(180, 200));
    // Too low: up by its own height less the edit's.
    QCOMPARE(TfrmCal::placement(QRect(100, 900, 80, 21), window, screen),
             QPoint(180, 900 - (210 - 21)));
    // Too far right: left by its own width less 1.
    QCOMPARE(TfrmCal::placement(QRect(1100, 200, 80, 21), window, screen), QPoint(1180 - 239, 200));
}

void TestCalendar::opensOnTheEditsDateOrToday() {
    QWidget owner;
    auto* edit = new QLineEdit(&owner);
    owner.show();
    TfrmCal cal(&owner);
    edit->setText(QStringLiteral("05/03/1998"));
    cal.openFor(edit);
    QVERIFY(cal.isVisible());
    QCOMPARE(cal.selectedDate(), QDate(1998, 3, 5));
    QCOMPARE(cal.lblMonth->text(), QStringLiteral("March"));
    QCOMPARE(cal.lblYear->text(), QStringLiteral("1998"));
    QCOMPARE(cal.editTextOnOpening(), QStringLiteral("05/03/1998"));
    cal.cmdCancelClick();

    edit->setText(QStringLiteral("not a date"));
    cal.openFor(edit);
    QCOMPARE(cal.selectedDate(), QDate::currentDate());
    cal.cmdCancelClick();
    QCOMPARE(edit->text(), QStringLiteral("not a date"));
}

void TestCalendar::okEnterAndDoubleClickWriteTheDate() {
    QWidget owner;
    auto* edit = new QLineEdit(&owner);
    owner.show();
    TfrmCal cal(&owner);
    QStringList changes;
    connect(edit, &QLineEdit::textChanged, &owner, [&](const QString& t) { changes << t; });

    cal.openFor(edit);
    cal.setSelectedDate(QDate(1998, 3, 5));
    cal.cmdOK->click();
    QVERIFY(!cal.isVisible());
    QCOMPARE(edit->text(), QStringLiteral("5 March 1998"));

    // Opening on a date it wrote shows that date; Enter on the grid takes it again, and
    // the edit sees a change even for the same text.
    changes.clear();
    cal.openFor(edit);
    QCOMPARE(cal.selectedDate(), QDate(1998, 3, 5));
    QTest::keyClick(dayGrid(cal), Qt::Key_Return);
    QVERIFY(!cal.isVisible());
    QCOMPARE(changes, (QStringList{QString(), QStringLiteral("5 March 1998")}));

    // Double-click on a day.
    cal.openFor(edit);
    cal.setSelectedDate(QDate(2001, 1, 1));
    QAbstractItemView* grid = dayGrid(cal);
    const QModelIndex current = grid->currentIndex();
    QVERIFY(current.isValid());
    const QPoint centre = grid->visualRect(current).center();
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, centre);
    QTRY_VERIFY(!cal.isVisible());
    QCOMPARE(edit->text(), QStringLiteral("1 January 2001"));
}

void TestCalendar::cancelEscapeAndLosingFocusWriteNothing() {
    QWidget owner;
    auto* edit = new QLineEdit(&owner);
    edit->setText(QStringLiteral("07/07/2007"));
    owner.show();
    TfrmCal cal(&owner);

    cal.openFor(edit);
    cal.cmdCancel->click();
    QVERIFY(!cal.isVisible());

    cal.openFor(edit);
    QTest::keyClick(dayGrid(cal), Qt::Key_Escape);
    QVERIFY(!cal.isVisible());

    cal.openFor(edit);
    QTRY_VERIFY(QApplication::activeWindow() == &cal);
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    QTRY_VERIFY(!cal.isVisible());
    QCOMPARE(edit->text(), QStringLiteral("07/07/2007"));
}

void TestCalendar::cancelledCalendarLeavesThePlanAsItWas() {
    QWidget window;
    auto* text = new TextControl(&window);
    window.show();
    TfrmCal cal(&window);
    DateEntry dates(text, &window, &cal);
    int inserted = 0;
    dates.onInserted = [&] { ++inserted; };

    text->setSelText(QStringLiteral("Signed on [DATE] by me."));
    text->setSelStart(10);
    text->setSelLength(6);
    QCOMPARE(text->SelText(), QStringLiteral("[DATE]"));

    for (int round = 0; round < 2; ++round) {
        dates.openForText();
        QVERIFY(cal.isVisible());
        cal.cmdCancelClick();
        QCOMPARE(text->toPlainText(), QStringLiteral("Signed on [DATE] by me."));
        QCOMPARE(text->SelStart(), 10);
        QCOMPARE(text->SelText(), QStringLiteral("[DATE]"));
    }
    dates.openForMenu();
    cal.cmdCancelClick();
    QCOMPARE(text->toPlainText(), QStringLiteral("Signed on [DATE] by me."));
    QCOMPARE(inserted, 0);

    // And picking a date after all replaces the selection.
    dates.openForText();
    cal.setSelectedDate(QDate(2001, 1, 1));
    cal.cmdOKClick();
    QCOMPARE(text->toPlainText(), QStringLiteral("Signed on 1 January 2001 by me."));
    QCOMPARE(inserted, 1);

    // The edit now holds that date; opening on a new selection and cancelling still
    // removes nothing.
    text->setSelStart(0);
    text->setSelLength(6);
    dates.openForText();
    cal.cmdCancelClick();
    QCOMPARE(text->toPlainText(), QStringLiteral("Signed on 1 January 2001 by me."));
    QCOMPARE(text->SelText(), QStringLiteral("Signed"));
    QCOMPARE(inserted, 1);
}

void TestCalendar::pickedDateReplacesTheSelectionAsUserText() {
    QWidget window;
    auto* text = new TextControl(&window);
    window.show();
    TfrmCal cal(&window);
    DateEntry dates(text, &window, &cal);
    writePromptText(*text, QStringLiteral("[DATE]"));
    text->setSelStart(9);
    text->setSelLength(6);
    QCOMPARE(text->SelText(), QStringLiteral("[DATE]"));

    dates.openForMenu();
    QCOMPARE(cal.edit(), dates.txtDate);
    cal.setSelectedDate(QDate(2001, 1, 1));
    QTest::keyClick(dayGrid(cal), Qt::Key_Return);
    QCOMPARE(text->toPlainText(), QStringLiteral("Plan for 1 January 2001 ends."));
    const Attributes inserted = attributesAt(*text, 9);
    QCOMPARE(inserted.tag, 0);
    QCOMPARE(inserted.colour, kBlackText);

    // At a bare caret the date goes in there.
    text->setSelStart(0);
    dates.openForMenu();
    cal.setSelectedDate(QDate(1998, 3, 5));
    cal.cmdOKClick();
    QVERIFY(text->toPlainText().startsWith(QStringLiteral("5 March 1998Plan for")));
}

void TestCalendar::menuKeytextIsUserTextTypedKeytextTakesTheGuidance() {
    TextControl text;
    writePromptText(text, QStringLiteral("[product]"));
    // The caret inside the prompt, after "[pro".
    text.setSelStart(13);
    InsertKeytext(&text, QStringLiteral("Widgets"));
    QCOMPARE(text.toPlainText(), QStringLiteral("Plan for [proWidgetsduct] ends."));
    QCOMPARE(attributesAt(text, 13).tag, 0);
    QCOMPARE(attributesAt(text, 13).colour, kBlackText);
    QCOMPARE(attributesAt(text, 19).colour, kBlackText);
    QCOMPARE(attributesAt(text, 20).tag, GuidanceTag::BluePrompt);

    TextControl typed;
    writePromptText(typed, QStringLiteral("[product]"));
    typed.setSelStart(13);
    TypeKeytext(&typed, QStringLiteral("Widgets"));
    QCOMPARE(typed.toPlainText(), QStringLiteral("Plan for [proWidgetsduct] ends."));
    QCOMPARE(attributesAt(typed, 13).tag, GuidanceTag::BluePrompt);
    QCOMPARE(attributesAt(typed, 13).colour, kBlueText);

    // A selection is replaced.
    typed.setSelStart(0);
    typed.setSelLength(4);
    InsertKeytext(&typed, QStringLiteral("Budget"));
    QVERIFY(typed.toPlainText().startsWith(QStringLiteral("Budget for")));
}

QTEST_MAIN(TestCalendar)
#include "tst_calendar.moc"
