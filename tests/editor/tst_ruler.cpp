// The ruler over the plan text: snapping, the indent limits, markers following the caret,
// dragging, the page width and the sideways scrolling.

#include "controls/text/textcontrol.h"
#include "platform/printerinfo.h"
#include "widgets/ruler.h"

#include <QLabel>
#include <QTest>

class TestRuler : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { PrinterInfo::setNoPrinterForTesting(); }
    void markersMoveInSixPixelStepsAt96Dpi();
    void snappingFollowsTheScreen_data();
    void snappingFollowsTheScreen();
    void leftMarkerToTheFarLeft();
    void indentsKeepClearOfTheRightMargin_data();
    void indentsKeepClearOfTheRightMargin();
    void firstLineMarkerSetsAHangingIndent();
    void markersFollowTheCaret();
    void draggingAMarkerSetsTheParagraphsIndent();
    void sameSpotTwiceIsSkipped();
    void pageWidthWithoutAPrinter();
    void rulerScrollsWithTheText();
    void sectionPointerFollowsTheScroll();
};

void TestRuler::markersMoveInSixPixelStepsAt96Dpi() {
    // 1/16 inch = 90 twips = 6 pixels at 96 pixels per inch.
    for (int twips = 0; twips <= 1440 * 6; twips += 45) {
        const int left = Ruler::markerLeft(twips, 96);
        QCOMPARE((left - 3) % 6, 0);
    }
    QCOMPARE(Ruler::markerLeft(0, 96), 3);
    QCOMPARE(Ruler::markerLeft(720, 96), 51);  // half an inch
    QCOMPARE(Ruler::markerLeft(1440, 96), 99); // an inch
    QCOMPARE(Ruler::markerLeft(100, 96), 9);   // nearest sixteenth
    for (int x = 0; x < 600; ++x)
        QCOMPARE(Ruler::snapPixels(x, 96) % 6, 0);
    QCOMPARE(Ruler::snapPixels(8, 96), 6);
    QCOMPARE(Ruler::snapPixels(9, 96), 12);
    QCOMPARE(Ruler::snapPixels(5, 96), 0); // below one step counts as the margin
}

void TestRuler::snappingFollowsTheScreen_data() {
    QTest::addColumn<double>("ppi");
    QTest::addColumn<int>("twips");
    QTest::addColumn<int>("left");
    QTest::newRow("120 dpi, 1/16 in") << 120.0 << 90 << 11; // 7.5 + 3 rounded
    QTest::newRow("120 dpi, 1/8 in") << 120.0 << 180 << 18; // 15 + 3
    QTest::newRow("144 dpi, 1 in") << 144.0 << 1440 << 147;
    QTest::newRow("96 dpi, negative") << 96.0 << -360 << -21;
}

void TestRuler::snappingFollowsTheScreen() {
    QFETCH(double, ppi);
    QFETCH(int, twips);
    QFETCH(int, left);
    QCOMPARE(Ruler::markerLeft(twips, ppi), left);
}

void TestRuler::leftMarkerToTheFarLeft() {
    // A hanging first line (-720) with the text at 1440: the left marker taken to the far
    // left gives 0, and the first line is pulled back to the margin.
    const Ruler::Indents now{-720, 1440};
    const Ruler::Indents next = Ruler::dragIndents(Ruler::LeftMarker, 2, 96, 9000, 0, now);
    QCOMPARE(next.left, 0);
    QCOMPARE(next.firstLine, 0);
    // Further out than the ruler, likewise.
    const Ruler::Indents out = Ruler::dragIndents(Ruler::LeftMarker, -40, 96, 9000, 0, now);
    QCOMPARE(out.left, 0);
    QCOMPARE(out.firstLine, 0);
    // A positive first line is kept.
    const Ruler::Indents kept = Ruler::dragIndents(Ruler::LeftMarker, 0, 96, 9000, 0, {360, 720});
    QCOMPARE(kept.left, 0);
    QCOMPARE(kept.firstLine, 360);
}

void TestRuler::indentsKeepClearOfTheRightMargin_data() {
    QTest::addColumn<int>("marker");
    QTest::addColumn<int>("firstLine");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("rightIndent");
    QTest::addColumn<int>("expectFirstLine");
    QTest::addColumn<int>("expectLeft");
    // DocWidth 9000 twips; the limit is 9000 - right indent - 1200.
    QTest::newRow("left marker, far right") << int(Ruler::LeftMarker) << 0 << 0 << 0 << 0 << 7800;
    QTest::newRow("left marker, first line further in")
        << int(Ruler::LeftMarker) << 720 << 0 << 0 << 720 << 7080;
    QTest::newRow("left marker, right indent")
        << int(Ruler::LeftMarker) << 0 << 0 << 1440 << 0 << 6360;
    QTest::newRow("first-line marker, far right")
        << int(Ruler::FirstLineMarker) << 0 << 1440 << 0 << 7800 - 1440 << 1440;
    QTest::newRow("first-line marker, right indent")
        << int(Ruler::FirstLineMarker) << 0 << 0 << 720 << 7080 << 0;
}

void TestRuler::indentsKeepClearOfTheRightMargin() {
    QFETCH(int, marker);
    QFETCH(int, firstLine);
    QFETCH(int, left);
    QFETCH(int, rightIndent);
    QFETCH(int, expectFirstLine);
    QFETCH(int, expectLeft);
    const Ruler::Indents next =
        Ruler::dragIndents(Ruler::Marker(marker), 2000, 96, 9000, rightIndent, {firstLine, left});
    QCOMPARE(next.left, expectLeft);
    QCOMPARE(next.firstLine, expectFirstLine);
    QVERIFY(next.left <= 9000 - rightIndent - 1200);
    QVERIFY(next.left + next.firstLine <= 9000 - rightIndent - 1200);
}

void TestRuler::firstLineMarkerSetsAHangingIndent() {
    // Left indent one inch; the first-line marker dragged to the margin.
    Ruler::Indents next = Ruler::dragIndents(Ruler::FirstLineMarker, 3, 96, 9000, 0, {0, 1440});
    QCOMPARE(next.firstLine, -1440);
    QCOMPARE(next.left, 1440);
    // To 1/2 inch (48 pixels) and a bit: snaps to 48.
    next = Ruler::dragIndents(Ruler::FirstLineMarker, 50, 96, 9000, 0, {0, 1440});
    QCOMPARE(next.firstLine, 720 - 1440);
}

void TestRuler::markersFollowTheCaret() {
    TextControl text;
    text.setSelText(QStringLiteral("First\nSecond"));
    text.setCurPar(1);
    text.setLeftIndent(1440);
    text.setFirstLineIndent(-720);
    Ruler ruler;
    ruler.setPixelsPerInch(96);
    ruler.setTextControl(&text);
    ruler.followCaret();
    QCOMPARE(ruler.leftMarkerLeft(), 99);
    QCOMPARE(ruler.firstLineMarkerLeft(), 51);
    QCOMPARE(ruler.imgLeftIndent->x(), 99);
    text.setCurPar(0);
    ruler.followCaret();
    QCOMPARE(ruler.leftMarkerLeft(), 3);
    QCOMPARE(ruler.firstLineMarkerLeft(), 3);
}

void TestRuler::draggingAMarkerSetsTheParagraphsIndent() {
    TextControl text;
    text.setSelText(QStringLiteral("A paragraph of the plan."));
    text.setDocWidth(9000);
    Ruler ruler;
    ruler.setPixelsPerInch(96);
    ruler.setTextControl(&text);
    ruler.resize(800, Ruler::kHeight);
    ruler.show();
    QVERIFY(QTest::qWaitForWindowExposed(&ruler));
    ruler.followCaret();
    int changes = 0;
    connect(&ruler, &Ruler::indentsChanged, &ruler, [&] { ++changes; });

    // Grab the left marker in its middle and move it right, one pixel at a time: the
    // marker and the indent move only in whole sixteenths of an inch.
    QLabel* marker = ruler.imgLeftIndent;
    QTest::mousePress(marker, Qt::LeftButton, {}, QPoint(4, 3));
    QList<int> lefts;
    for (int dx = 1; dx <= 50; ++dx) {
        QTest::mouseMove(marker, marker->mapFrom(&ruler, QPoint(3 + 4 + dx, 8)));
        const int left = ruler.leftMarkerLeft();
        if (lefts.isEmpty() || lefts.last() != left) lefts << left;
        QCOMPARE((left - 3) % 6, 0);
        QCOMPARE(text.LeftIndent() % 90, 0);
        QCOMPARE(ruler.imgLeftIndent->x(), left);
    }
    QTest::mouseRelease(marker, Qt::LeftButton, {}, marker->mapFrom(&ruler, QPoint(57, 8)));
    QCOMPARE(lefts, (QList<int>{3, 9, 15, 21, 27, 33, 39, 45, 51}));
    QCOMPARE(text.LeftIndent(), 720);
    QCOMPARE(text.FirstLineIndent(), 0);
    // The first-line marker moved along with it: the first line keeps its place relative.
    QCOMPARE(ruler.firstLineMarkerLeft(), 51);
    QVERIFY(changes >= 8);
    // The drag is one step of the undo history, whatever the spots it passed; so is the
    // next one.
    QTest::mousePress(marker, Qt::LeftButton, {}, QPoint(4, 3));
    for (int dx = 1; dx <= 20; ++dx)
        QTest::mouseMove(marker, marker->mapFrom(&ruler, QPoint(51 + 4 + dx, 8)));
    QTest::mouseRelease(marker, Qt::LeftButton, {}, marker->mapFrom(&ruler, QPoint(75, 8)));
    QVERIFY(text.LeftIndent() > 720);
    text.setUnDoAction(1);
    QCOMPARE(text.LeftIndent(), 720);
    text.setUnDoAction(1);
    QCOMPARE(text.LeftIndent(), 0);
    QCOMPARE(text.toPlainText(), QStringLiteral("A paragraph of the plan."));
    text.setReDoAction(1);
    QCOMPARE(text.LeftIndent(), 720);
    text.setReDoAction(1);
    text.setUnDoAction(1);
    text.setReDoAction(1);
    QVERIFY(text.LeftIndent() > 720);

    // Over the shaded block beyond the right margin a drag changes nothing.
    ruler.applyTextArea({2.0, 9.0});
    QCOMPARE(ruler.rightAreaLeft(), 197);
    const int before = text.LeftIndent();
    QTest::mousePress(marker, Qt::LeftButton, {}, QPoint(4, 3));
    QTest::mouseMove(marker, marker->mapFrom(&ruler, QPoint(300, 8)));
    QTest::mouseRelease(marker, Qt::LeftButton, {}, marker->mapFrom(&ruler, QPoint(300, 8)));
    QCOMPARE(text.LeftIndent(), before);
}

void TestRuler::sameSpotTwiceIsSkipped() {
    TextControl text;
    text.setSelText(QStringLiteral("Text"));
    text.setDocWidth(9000);
    Ruler ruler;
    ruler.setTextControl(&text);
    ruler.setPixelsPerInch(96);
    QVERIFY(ruler.dragMarker(Ruler::LeftMarker, 48));
    QCOMPARE(text.LeftIndent(), 720);
    // The user sets an indent elsewhere; a drag event at the same snapped spot is skipped.
    text.setLeftIndent(0);
    QVERIFY(!ruler.dragMarker(Ruler::LeftMarker, 49));
    QCOMPARE(text.LeftIndent(), 0);
    QVERIFY(ruler.dragMarker(Ruler::LeftMarker, 54));
    QCOMPARE(text.LeftIndent(), 810);
}

void TestRuler::pageWidthWithoutAPrinter() {
    // The whole sheet of A4 (8.27 by 11.69 inches) less the margins.
    const Ruler::TextArea area = Ruler::textArea(1.0, 1.25, 0.5, 0.75);
    QVERIFY(qAbs(area.width - (8.27 - 2.25)) < 0.01);
    QVERIFY(qAbs(area.height - (11.69 - 1.25)) < 0.01);

    TextControl text;
    TextControl guidance;
    guidance.resize(260, 300);
    Ruler ruler;
    ruler.setPixelsPerInch(96);
    ruler.setTextControl(&text);
    ruler.applyTextArea(Ruler::TextArea{5.54, 9.99}, &guidance);
    QCOMPARE(text.DocWidth(), 7978);      // 5.54 in
    QCOMPARE(text.PageHeight(), 14386);   // 9.99 in
    QCOMPARE(ruler.rightAreaLeft(), 537); // 7978 / 1440 * 96 + 5
    QCOMPARE(ruler.Panel5->x(), 537);
    QCOMPARE(guidance.DocWidth(), Ruler::guidanceDocWidth(260, 96));
    QCOMPARE(guidance.DocWidth(), 3600);
    QCOMPARE(guidance.PrinterDC(), 0);
    QCOMPARE(ruler.scrollOffset(), 0);
}

void TestRuler::rulerScrollsWithTheText() {
    TextControl text;
    text.setSelText(QStringLiteral("A line of text that is wide enough to scroll sideways."));
    text.setDocWidth(1440 * 20);
    text.resize(300, 120);
    text.show();
    QVERIFY(QTest::qWaitForWindowExposed(&text));
    Ruler ruler;
    ruler.setPixelsPerInch(96);
    ruler.setTextControl(&text);
    ruler.followCaret();
    text.setScrollHorz(1440);
    QVERIFY(text.ScrollHorz() > 0);
    ruler.followScroll();
    QCOMPARE(ruler.scrollOffset(), qRound(text.ScrollHorz() / 1440.0 * 96));
    QCOMPARE(ruler.imgLeftIndent->x(), 3 - ruler.scrollOffset());
    QCOMPARE(ruler.Image1->x(), Ruler::kImageLeft - ruler.scrollOffset());
    ruler.applyTextArea({5.0, 9.0});
    QCOMPARE(text.ScrollHorz(), 0);
    QCOMPARE(ruler.scrollOffset(), 0);
}

void TestRuler::sectionPointerFollowsTheScroll() {
    TextControl text;
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines << QStringLiteral("Paragraph %1").arg(i);
    text.setSelText(lines.join(QLatin1Char('\n')));
    text.resize(300, 200);
    text.show();
    QVERIFY(QTest::qWaitForWindowExposed(&text));
    text.setScrollVert(0);
    const int top = SectionPointerTop(&text, 50, 96, 20);
    int x = 0, y = 0;
    text.ATX_CURTOXY(50, 0, x, y);
    QCOMPARE(top, qRound(96.0 * y / 1440 + 20));
    text.setScrollVert(1440);
    QCOMPARE(SectionPointerTop(&text, 50, 96, 20),
             qRound(96.0 * (y - text.ScrollVert()) / 1440 + 20));
    QVERIFY(SectionPointerTop(&text, 50, 96, 20) < top);
}

QTEST_MAIN(TestRuler)
#include "tst_ruler.moc"
