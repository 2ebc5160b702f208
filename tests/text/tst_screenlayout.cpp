// The text control's own layout: paragraphs broken and placed as Qt's layout places them,
// tables laid out, and the incremental bookkeeping after edits giving the same places as a
// layout made afresh.

#include "analysis/analysistables.h"
#include "controls/text/screenlayout.h"
#include "controls/text/tablefunctions.h"
#include "controls/text/textcontrol.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QRandomGenerator>
#include <QScreen>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextTable>

namespace {

// A plan-like text: fonts of several sizes, justified and indented paragraphs, a word
// longer than a line, empty paragraphs, and a table between paragraphs.
void fill(TextControl& t) {
    QTextCursor c(t.document());
    const auto para = [&c](const QString& text, QFont font, Qt::Alignment align = Qt::AlignLeft,
                           qreal indent = 0, qreal first = 0, qreal rightMargin = 0) {
        QTextBlockFormat bf;
        bf.setAlignment(align);
        bf.setLeftMargin(indent);
        bf.setTextIndent(first);
        bf.setRightMargin(rightMargin);
        QTextCharFormat cf;
        cf.setFont(font);
        c.insertBlock(bf, cf);
        c.insertText(text, cf);
    };
    const QString sentence = QStringLiteral(
        "Our bakery sells bread, cakes and coffee to the people who work in the harbour. ");
    para(QStringLiteral("Marketing plan"), QFont(QStringLiteral("Arial"), 18));
    para(sentence.repeated(4), QFont(QStringLiteral("Arial"), 10), Qt::AlignJustify);
    para(QString(), QFont(QStringLiteral("Arial"), 10));
    para(sentence.repeated(3), QFont(QStringLiteral("Times New Roman"), 12), Qt::AlignLeft, 40,
         -20, 30);
    para(QStringLiteral("x").repeated(300), QFont(QStringLiteral("Arial"), 10));
    para(sentence + QStringLiteral("\tTabbed."), QFont(QStringLiteral("Arial"), 9),
         Qt::AlignRight);
    para(sentence.repeated(2), QFont(QStringLiteral("Arial"), 14), Qt::AlignHCenter);
}

void addTable(TextControl& t, int rows, int columns) {
    t.setSelStart(t.TextLength());
    t.setSelText(QStringLiteral("\n"));
    QCOMPARE(ATX_INSERTTABLE(&t, rows, columns), int(TableOk));
    QTextTable* table = t.textCursor().currentTable();
    QVERIFY(table);
    for (int r = 0; r < rows; ++r)
        for (int col = 0; col < columns; ++col)
            table->cellAt(r, col).firstCursorPosition().insertText(
                QStringLiteral("Cell %1 %2 with a few words in it").arg(r).arg(col).repeated(
                    1 + (r + col) % 3));
    t.setSelStart(t.TextLength());
    t.setSelText(QStringLiteral("\nAfter the table, a closing paragraph of plain words."));
}

// Every paragraph's place and line breaks.
struct Place {
    QRectF rect;
    QList<int> lineStarts;
    bool operator==(const Place& o) const {
        return std::abs(rect.x() - o.rect.x()) < 0.01 && std::abs(rect.y() - o.rect.y()) < 0.01 &&
               std::abs(rect.height() - o.rect.height()) < 0.01 && lineStarts == o.lineStarts;
    }
};

QList<Place> places(QTextDocument* doc) {
    QList<Place> out;
    QAbstractTextDocumentLayout* layout = doc->documentLayout();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        Place p;
        p.rect = layout->blockBoundingRect(b);
        for (int i = 0; i < b.layout()->lineCount(); ++i)
            p.lineStarts.append(b.layout()->lineAt(i).textStart());
        out.append(p);
    }
    return out;
}

// The same document laid out afresh by a layout of the kind given.
std::unique_ptr<QTextDocument> copyOf(QTextDocument* doc, bool screenLayout) {
    std::unique_ptr<QTextDocument> copy(doc->clone());
    copy->setDocumentMargin(doc->documentMargin());
    copy->setDefaultTextOption(doc->defaultTextOption());
    if (screenLayout) ScreenLayout::install(copy.get());
    copy->setPageSize(doc->pageSize());
    if (auto* s = qobject_cast<ScreenLayout*>(copy->documentLayout())) s->layoutAll();
    return copy;
}

bool inTable(const QTextBlock& b) {
    return QTextCursor(b).currentTable() != nullptr;
}

QString describe(const Place& p) {
    QStringList starts;
    for (int s : p.lineStarts)
        starts.append(QString::number(s));
    return QStringLiteral("(%1, %2) h %3, lines at %4")
        .arg(p.rect.x())
        .arg(p.rect.y())
        .arg(p.rect.height())
        .arg(starts.join(QLatin1Char(' ')));
}

// The first paragraph whose place differs between two layouts, in words; empty when none.
QString firstDifference(const QList<Place>& ours, const QList<Place>& theirs) {
    if (ours.size() != theirs.size())
        return QStringLiteral("%1 paragraphs against %2").arg(ours.size()).arg(theirs.size());
    for (int b = 0; b < ours.size(); ++b)
        if (!(ours[b] == theirs[b]))
            return QStringLiteral("paragraph %1: ours %2, the other %3")
                .arg(b)
                .arg(describe(ours[b]), describe(theirs[b]));
    return {};
}

} // namespace

class TestScreenLayout : public QObject {
    Q_OBJECT

private slots:
    void paragraphsAsQtLaysThemOut();
    void editsLeaveTheLayoutAsIfMadeAfresh();
    void clicksFindWhatTheCaretShows();
    void longTextIsLaidOutOnDemandAndInTheBackground();
    void tableBordersAsQtPlacesThem();
    void repaintAfterAnEditMatchesAFullRepaint_data();
    void repaintAfterAnEditMatchesAFullRepaint();
};

void TestScreenLayout::paragraphsAsQtLaysThemOut() {
    TextControl t;
    t.resize(700, 500);
    t.setDocWidth(9000);
    fill(t);
    addTable(t, 3, 3);
    fill(t);
    QVERIFY(qobject_cast<ScreenLayout*>(t.document()->documentLayout()));
    qobject_cast<ScreenLayout*>(t.document()->documentLayout())->layoutAll();

    auto qt = copyOf(t.document(), false);
    QVERIFY(!qobject_cast<ScreenLayout*>(qt->documentLayout()));
    const QList<Place> ours = places(t.document());
    const QList<Place> theirs = places(qt.get());
    // Every paragraph, in the table too, broken into the same lines at the same place.
    const QString difference = firstDifference(ours, theirs);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
    int inCells = 0;
    for (QTextBlock block = t.document()->begin(); block.isValid(); block = block.next())
        if (inTable(block)) ++inCells;
    QVERIFY(ours.size() > 20);
    QCOMPARE(inCells, 9);
    QCOMPARE(t.document()->documentLayout()->documentSize(), qt->documentLayout()->documentSize());
}

void TestScreenLayout::editsLeaveTheLayoutAsIfMadeAfresh() {
    TextControl t;
    t.resize(700, 500);
    t.show();
    fill(t);
    addTable(t, 2, 2);
    fill(t);
    addTable(t, 3, 2);
    fill(t);
    QRandomGenerator random(20261208);
    auto* layout = qobject_cast<ScreenLayout*>(t.document()->documentLayout());
    QVERIFY(layout);
    const auto compareAfresh = [&](int step, const QString& action, int at) {
        layout->layoutAll();
        auto fresh = copyOf(t.document(), true);
        const QString difference = firstDifference(places(t.document()), places(fresh.get()));
        QVERIFY2(difference.isEmpty(), qPrintable(QStringLiteral("step %1 (%2 at %3), %4")
                                                      .arg(step)
                                                      .arg(action)
                                                      .arg(at)
                                                      .arg(difference)));
        QCOMPARE(layout->documentSize(), fresh->documentLayout()->documentSize());
    };
    compareAfresh(-1, QStringLiteral("start"), 0);
    if (QTest::currentTestFailed()) return;
    for (int step = 0; step < 160; ++step) {
        const int length = t.TextLength();
        const int at = random.bounded(std::max(1, length));
        t.setSelStart(at);
        QString action;
        switch (random.bounded(10)) {
        case 0:
        case 1:
            action = QStringLiteral("type");
            QTest::keyClicks(&t, QStringLiteral("word "));
            break;
        case 2:
            action = QStringLiteral("enter");
            QTest::keyClick(&t, Qt::Key_Return);
            break;
        case 3:
            action = QStringLiteral("backspace");
            QTest::keyClick(&t, Qt::Key_Backspace);
            break;
        case 4:
            action = QStringLiteral("delete a stretch");
            t.setSelLength(std::min(length - at, 1 + random.bounded(400)));
            QTest::keyClick(&t, Qt::Key_Delete);
            break;
        case 5:
            action = QStringLiteral("paste a long text");
            t.setSelText(QStringLiteral("A pasted sentence that runs on for a while. ").repeated(5));
            break;
        case 6:
            action = QStringLiteral("undo");
            t.undo();
            break;
        case 7:
            action = QStringLiteral("row");
            if (t.textCursor().currentTable()) ATX_INSERTTABLEROW(&t);
            break;
        case 9: {
            // Into a cell, enough to wrap and make the row taller.
            action = QStringLiteral("type in a cell");
            QList<QTextTable*> tables;
            for (QTextFrame* f : t.document()->rootFrame()->childFrames())
                if (auto* table = qobject_cast<QTextTable*>(f)) tables.append(table);
            if (tables.isEmpty()) break;
            QTextTable* table = tables.at(random.bounded(int(tables.size())));
            const QTextTableCell cell =
                table->cellAt(random.bounded(table->rows()), random.bounded(table->columns()));
            t.setSelStart(cell.lastPosition());
            QTest::keyClicks(&t, QStringLiteral(" more words in this cell"));
            // A paragraph of its own in the cell, and sometimes back again.
            QTest::keyClick(&t, Qt::Key_Return);
            QTest::keyClicks(&t, QStringLiteral("x"));
            if (random.bounded(2)) {
                QTest::keyClick(&t, Qt::Key_Backspace);
                QTest::keyClick(&t, Qt::Key_Backspace);
            }
            break;
        }
        case 8:
            action = QStringLiteral("bigger font");
            t.setSelLength(std::min(length - at, 1 + random.bounded(200)));
            t.setFontSize(16);
            break;
        }
        QApplication::processEvents();
        compareAfresh(step, action, at);
        if (QTest::currentTestFailed()) return;
    }
}

void TestScreenLayout::clicksFindWhatTheCaretShows() {
    TextControl t;
    t.resize(700, 500);
    t.show();
    fill(t);
    addTable(t, 3, 3);
    QVERIFY(QTest::qWaitForWindowExposed(&t));
    QAbstractTextDocumentLayout* layout = t.document()->documentLayout();
    int tested = 0, inCells = 0;
    for (int pos = 0; pos < t.TextLength(); pos += 7) {
        QTextCursor c(t.document());
        c.setPosition(pos);
        const QTextBlock b = c.block();
        const int inBlock = pos - b.position();
        // Between two letters of a word, so that the place is not a line's edge.
        if (inBlock == 0 || inBlock >= b.length() - 2) continue;
        if (!b.text().at(inBlock - 1).isLetter() || !b.text().at(inBlock).isLetter()) continue;
        const QTextLine line = b.layout()->lineForTextPosition(inBlock);
        const QRectF block = layout->blockBoundingRect(b);
        const QPointF point(block.x() + line.cursorToX(inBlock), block.y() + line.y() + 2);
        QCOMPARE(layout->hitTest(point, Qt::FuzzyHit), pos);
        ++tested;
        if (c.currentTable()) ++inCells;
    }
    QVERIFY(tested > 50);
    QVERIFY(inCells > 5);
    // Below the text: its end; above it: its start.
    QCOMPARE(layout->hitTest(QPointF(10, layout->documentSize().height() + 50), Qt::FuzzyHit),
             t.TextLength());
    QCOMPARE(layout->hitTest(QPointF(10, -20), Qt::FuzzyHit), 0);
}

void TestScreenLayout::longTextIsLaidOutOnDemandAndInTheBackground() {
    TextControl t;
    t.resize(700, 500);
    t.show();
    auto* doc = new QTextDocument;
    QTextCursor c(doc);
    for (int i = 0; i < 4000; ++i)
        c.insertText(QStringLiteral("Paragraph %1 of a long plan, with words enough to wrap onto a "
                                    "second line at the width of the window.\n")
                         .arg(i));
    t.adoptDocument(doc);
    auto* layout = qobject_cast<ScreenLayout*>(t.document()->documentLayout());
    QVERIFY(layout);
    QVERIFY(!layout->isComplete());
    // Asked for, a paragraph's place is exact at once.
    auto fresh = copyOf(doc, false);
    const QRectF middle = layout->blockBoundingRect(doc->findBlockByNumber(2000));
    QCOMPARE(middle.y(),
             fresh->documentLayout()->blockBoundingRect(fresh->findBlockByNumber(2000)).y());
    QTRY_VERIFY(layout->isComplete());
    QCOMPARE(layout->documentSize().height(), fresh->documentLayout()->documentSize().height());
    QCOMPARE(layout->blockBoundingRect(doc->lastBlock()),
             fresh->documentLayout()->blockBoundingRect(fresh->lastBlock()));
}

QTEST_MAIN(TestScreenLayout)
// A table with a border (thick outline, or hairlines all over) between two paragraphs,
// the caret on the line after it.
void borderedTable(TextControl& t, int border) {
    t.setSelText(QStringLiteral("Before the table."));
    addTable(t, 2, 2);
    t.setSelStart(t.toPlainText().indexOf(QStringLiteral("Cell 0 0")));
    QVERIFY(t.textCursor().currentTable());
    QCOMPARE(ATX_TABLEBORDER(&t, border), int(TableOk));
    t.setSelStart(t.toPlainText().indexOf(QStringLiteral("After the table")));
}

// The outer half of a border drawn on a table's edge belongs to the table: the paragraph
// after it starts below it, as in Qt's own layout.
void TestScreenLayout::tableBordersAsQtPlacesThem() {
    for (const int border : {3, 2}) {
        TextControl t;
        t.resize(700, 500);
        t.setDocWidth(9000);
        borderedTable(t, border);
        if (QTest::currentTestFailed()) return;
        qobject_cast<ScreenLayout*>(t.document()->documentLayout())->layoutAll();
        auto qt = copyOf(t.document(), false);
        const QString difference = firstDifference(places(t.document()), places(qt.get()));
        QVERIFY2(difference.isEmpty(),
                 qPrintable(QStringLiteral("border %1: %2").arg(border).arg(difference)));
        QCOMPARE(t.document()->documentLayout()->documentSize(),
                 qt->documentLayout()->documentSize());
    }
}

void TestScreenLayout::repaintAfterAnEditMatchesAFullRepaint_data() {
    QTest::addColumn<int>("border");
    QTest::newRow("thick outline") << 3;
    QTest::newRow("hairlines") << 2;
}

// What the screen shows after typing on the line below a table, and taking it back, is what
// a repaint of the whole text shows: the table's bottom border and its corners are there.
void TestScreenLayout::repaintAfterAnEditMatchesAFullRepaint() {
    QFETCH(int, border);
    const int flash = QApplication::cursorFlashTime();
    QApplication::setCursorFlashTime(0); // the caret shows all the time, in both pictures
    TextControl t;
    t.resize(500, 300);
    t.setDocWidth(6000);
    borderedTable(t, border);
    if (QTest::currentTestFailed()) return;
    t.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t));
    t.setFocus();
    QTest::qWait(50);
    const auto screenNow = [&t] {
        QCoreApplication::processEvents();
        return t.screen()->grabWindow(t.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    };
    QTest::keyClicks(&t, QStringLiteral("x"));
    QTest::qWait(20);
    QTest::keyClick(&t, Qt::Key_Backspace);
    QTest::qWait(20);
    const QImage edited = screenNow();
    t.viewport()->repaint();
    const QImage whole = screenNow();
    QApplication::setCursorFlashTime(flash);
    QCOMPARE(edited.size(), whole.size());
    QVERIFY(!edited.isNull());
    int differing = 0;
    QPoint first(-1, -1);
    for (int y = 0; y < whole.height(); ++y)
        for (int x = 0; x < whole.width(); ++x)
            if (edited.pixel(x, y) != whole.pixel(x, y)) {
                if (differing++ == 0) first = QPoint(x, y);
            }
    QVERIFY2(differing == 0, qPrintable(QStringLiteral("%1 pixels differ, the first at (%2, %3)")
                                            .arg(differing)
                                            .arg(first.x())
                                            .arg(first.y())));
}

#include "tst_screenlayout.moc"
