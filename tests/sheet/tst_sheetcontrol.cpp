// The spreadsheet control as the user and the program meet it: editing, selection by
// mouse and keys, frozen headings, protection, the clipboard, files, printing and the
// control's own dialogs. Set SHEET_SHOTS to a folder to keep pictures of the control.
#include "controls/sheet/sheetcontrol.h"
#include "controls/sheet/sheetfile.h"
#include "controls/sheet/sheetview.h"
#include "support/modal.h"
#include "support/testenv.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFontDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

using namespace Sheet;

namespace {

const QString kTemplate = QStringLiteral(TANDEL_PRISTINE_DIR "/userdata/1.mps");

SheetView* viewOf(SheetControl& s) {
    return s.findChild<SheetView*>(QStringLiteral("sheetView"));
}

QPoint centreOf(SheetControl& s, int row, int col) {
    return viewOf(s)->cellRect(row, col).center();
}

void clickCell(SheetControl& s, int row, int col, Qt::KeyboardModifiers mods = {}, Qt::MouseButton b = Qt::LeftButton) {
    QTest::mouseClick(viewOf(s)->viewport(), b, mods, centreOf(s, row, col));
}

// Key by key to whichever widget has the keys then, as the keyboard would.
void type(SheetControl& s, const QString& text) {
    for (QChar c : text) {
        QWidget* target = viewOf(s)->isEditing() ? static_cast<QWidget*>(viewOf(s)->editor()) : viewOf(s);
        QTest::keyClicks(target, QString(c));
    }
}

void key(SheetControl& s, Qt::Key k, Qt::KeyboardModifiers mods = {}) {
    QWidget* target = viewOf(s)->isEditing() ? static_cast<QWidget*>(viewOf(s)->editor()) : viewOf(s);
    QTest::keyClick(target, k, mods);
}

struct Shown {
    SheetControl sheet;
    Shown(int w = 900, int h = 500) {
        sheet.resize(w, h);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
    }
    bool loadTemplate() {
        int type = SheetControl::NativeFile;
        return sheet.Read(kTemplate, type);
    }
};

int pdfPages(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    if (!p.waitForFinished(30000)) return -1;
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(u'\n'))
        if (line.startsWith(QLatin1String("Pages:"))) return line.mid(6).trimmed().toInt();
    return -1;
}

QString pdfText(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    p.waitForFinished(30000);
    // Ligatures ("fl") come back as letters.
    return QString::fromUtf8(p.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
}

} // namespace

class TestSheetControl : public QObject {
    Q_OBJECT
private slots:
    void typingAndTheEditBar();
    void selectionByMouseAndKeys();
    void frozenHeadingsStayWhileTheRestScrolls();
    void selectingWhileHiddenScrollsByTheShownSize();
    void protection();
    void circularReferencesAreNamed();
    void formatsAndQueries();
    void clipboard();
    void clearAndDeleteRows();
    void files();
    void pagesForScaleAndFit();
    void printsToPdf();
    void ownDialogs();
    void pictures();
};

void TestSheetControl::typingAndTheEditBar() {
    Shown w;
    SheetControl& s = w.sheet;
    QSignalSpy changed(&s, &SheetControl::Changed);
    clickCell(s, 2, 2);
    QCOMPARE(s.Selection(), QStringLiteral("B2"));
    type(s, QStringLiteral("1200"));
    QVERIFY(viewOf(s)->isEditing());
    QCOMPARE(s.findChild<QLineEdit*>(QStringLiteral("txtEditBar"))->text(), QStringLiteral("1200"));
    key(s, Qt::Key_Return);
    QVERIFY(!viewOf(s)->isEditing());
    QCOMPARE(s.CellText(2, 2), QStringLiteral("1200"));
    QCOMPARE(s.Selection(), QStringLiteral("B3"));
    QVERIFY(changed.count() >= 1);
    // A formula; the edit bar shows it, the cell its value.
    type(s, QStringLiteral("=b2*2"));
    key(s, Qt::Key_Tab);
    QCOMPARE(s.CellText(3, 2), QStringLiteral("2400"));
    QCOMPARE(s.Selection(), QStringLiteral("C3"));
    clickCell(s, 3, 2);
    QCOMPARE(s.findChild<QLineEdit*>(QStringLiteral("txtEditBar"))->text(), QStringLiteral("=B2*2"));
    QCOMPARE(s.findChild<QLabel*>(QStringLiteral("lblCellRef"))->text(), QStringLiteral("B3"));
    // A formula that cannot be worked out keeps the edit open and says why.
    QSignalSpy status(&s, &SheetControl::StatusMessage);
    type(s, QStringLiteral("=SUM(1"));
    key(s, Qt::Key_Return);
    QVERIFY(viewOf(s)->isEditing());
    QCOMPARE(status.count(), 1);
    QVERIFY(status.at(0).at(0).toString().startsWith(QStringLiteral("The formula cannot be worked out")));
    key(s, Qt::Key_Escape);
    QVERIFY(!viewOf(s)->isEditing());
    QCOMPARE(s.CellText(3, 2), QStringLiteral("2400"));
    // F2 edits what is there; arrows then move the caret, not the cell.
    key(s, Qt::Key_F2);
    key(s, Qt::Key_Left);
    QVERIFY(viewOf(s)->isEditing());
    key(s, Qt::Key_Right);
    type(s, QStringLiteral("0"));
    key(s, Qt::Key_Return);
    QCOMPARE(s.CellEntry(3, 2), QStringLiteral("=B2*20"));
    // Typing replaces; an arrow ends the edit and moves.
    clickCell(s, 5, 1);
    type(s, QStringLiteral("abc"));
    key(s, Qt::Key_Right);
    QCOMPARE(s.CellText(5, 1), QStringLiteral("abc"));
    QCOMPARE(s.Selection(), QStringLiteral("B5"));
    // The edit bar edits the active cell too.
    auto* bar = s.findChild<QLineEdit*>(QStringLiteral("txtEditBar"));
    bar->setFocus();
    QTest::keyClicks(bar, QStringLiteral("=A5&\"!\""));
    QTest::keyClick(bar, Qt::Key_Return);
    QCOMPARE(s.CellText(5, 2), QStringLiteral("abc!"));
    bar->setFocus();
    QTest::keyClicks(bar, QStringLiteral("zzz"));
    QTest::keyClick(bar, Qt::Key_Escape);
    QCOMPARE(bar->text(), QStringLiteral("=A5&\"!\""));
    QCOMPARE(s.CellText(5, 2), QStringLiteral("abc!"));
    // Finish keeps an edit in progress, even a formula that cannot be worked out.
    clickCell(s, 6, 1);
    type(s, QStringLiteral("=1+"));
    s.Finish();
    QVERIFY(!viewOf(s)->isEditing());
    QCOMPARE(s.CellEntry(6, 1), QStringLiteral("=1+"));
    QCOMPARE(s.CellText(6, 1), QStringLiteral("#NAME?"));
    // The program's own calls.
    s.SetCellText(7, 1, QStringLiteral("=A6"));
    QCOMPARE(s.CellText(7, 1), QStringLiteral("#NAME?"));
    s.setShowEditBar(false);
    QVERIFY(s.findChild<QWidget*>(QStringLiteral("pnlEditBar"))->isHidden());
}

void TestSheetControl::selectionByMouseAndKeys() {
    Shown w;
    SheetControl& s = w.sheet;
    QSignalSpy sel(&s, &SheetControl::SelChange);
    QSignalSpy mouse(&s, &SheetControl::MouseDown);
    QSignalSpy changed(&s, &SheetControl::Changed);
    clickCell(s, 6, 2);
    clickCell(s, 8, 4, Qt::ShiftModifier);
    QCOMPARE(s.Selection(), QStringLiteral("B6:D8"));
    QCOMPARE(s.Row(), 6);
    QCOMPARE(s.SelStartRow(), 6);
    QCOMPARE(s.SelEndRow(), 8);
    QVERIFY(sel.count() >= 2);
    QCOMPARE(mouse.count(), 2);
    QCOMPARE(mouse.at(0).at(0).value<Qt::MouseButton>(), Qt::LeftButton);
    // Drag.
    QTest::mousePress(viewOf(s)->viewport(), Qt::LeftButton, {}, centreOf(s, 2, 2));
    QTest::mouseMove(viewOf(s)->viewport(), centreOf(s, 4, 3));
    QMouseEvent move(QEvent::MouseMove, QPointF(centreOf(s, 4, 3)), QPointF(viewOf(s)->viewport()->mapToGlobal(centreOf(s, 4, 3))),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewOf(s)->viewport(), &move);
    QTest::mouseRelease(viewOf(s)->viewport(), Qt::LeftButton, {}, centreOf(s, 4, 3));
    QCOMPARE(s.Selection(), QStringLiteral("B2:C4"));
    // A right-click outside the selection moves it first, inside keeps it.
    clickCell(s, 3, 3, {}, Qt::RightButton);
    QCOMPARE(s.Selection(), QStringLiteral("B2:C4"));
    clickCell(s, 9, 5, {}, Qt::RightButton);
    QCOMPARE(s.Selection(), QStringLiteral("E9"));
    QCOMPARE(mouse.last().at(0).value<Qt::MouseButton>(), Qt::RightButton);
    // Keys.
    key(s, Qt::Key_Down);
    key(s, Qt::Key_Right, Qt::ShiftModifier);
    key(s, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(s.Selection(), QStringLiteral("E10:F11"));
    key(s, Qt::Key_Home);
    QCOMPARE(s.Selection(), QStringLiteral("A10"));
    key(s, Qt::Key_Tab);
    QCOMPARE(s.Selection(), QStringLiteral("B10"));
    QVERIFY(viewOf(s)->hasFocus());
    key(s, Qt::Key_Backtab);
    QCOMPARE(s.Selection(), QStringLiteral("A10"));
    // Moving about changes nothing the sheet holds.
    QCOMPARE(changed.count(), 0);
    s.setAllowArrows(false);
    key(s, Qt::Key_Down);
    QCOMPARE(s.Selection(), QStringLiteral("A10"));
    s.setAllowArrows(true);
    // Limits.
    s.setMaxRow(12);
    s.setMaxCol(3);
    for (int i = 0; i < 5; ++i) key(s, Qt::Key_Down);
    for (int i = 0; i < 5; ++i) key(s, Qt::Key_Right);
    QCOMPARE(s.Selection(), QStringLiteral("C12"));
    // Set by the program.
    s.setSelection(QStringLiteral("B6"));
    QCOMPARE(s.Row(), 6);
    QCOMPARE(s.Col(), 2);
    s.setSelStartRow(8);
    s.setSelEndRow(8);
    QCOMPARE(s.Selection(), QStringLiteral("B8"));
    s.setSelection(QStringLiteral("not a cell"));
    QCOMPARE(s.Selection(), QStringLiteral("B8"));
    // Whole rows and columns from the headings.
    const int hh = viewOf(s)->headingHeight();
    QTest::mouseClick(viewOf(s)->viewport(), Qt::LeftButton, {}, QPoint(5, viewOf(s)->cellRect(4, 1).center().y()));
    QCOMPARE(s.Selection(), QStringLiteral("A4:C4"));
    QTest::mouseClick(viewOf(s)->viewport(), Qt::LeftButton, {}, QPoint(viewOf(s)->cellRect(1, 2).center().x(), hh / 2));
    QCOMPARE(s.Selection(), QStringLiteral("B1:B12"));
}

void TestSheetControl::frozenHeadingsStayWhileTheRestScrolls() {
    Shown w(600, 300);
    SheetControl& s = w.sheet;
    QVERIFY(w.loadTemplate());
    s.setFixedRows(3);
    s.setFixedCols(1);
    SheetView* v = viewOf(s);
    const QRect a1 = v->cellRect(1, 1), a3 = v->cellRect(3, 1), b4 = v->cellRect(4, 2);
    QVERIFY(!a1.isEmpty() && !b4.isEmpty());
    v->verticalScrollBar()->setValue(v->verticalScrollBar()->value() + 5);
    v->horizontalScrollBar()->setValue(v->horizontalScrollBar()->value() + 3);
    QCOMPARE(s.TopRow(), 9);
    QCOMPARE(s.LeftCol(), 5);
    // The heading rows and the label column stay where they were.
    QCOMPARE(v->cellRect(1, 1), a1);
    QCOMPARE(v->cellRect(3, 1), a3);
    QVERIFY(v->cellRect(4, 2).isEmpty());
    // Row 9 now sits just below the frozen rows, column E just right of column A.
    QCOMPARE(v->cellRect(9, 5).topLeft(), b4.topLeft());
    QCOMPARE(v->cellRect(1, 5).left(), b4.left());
    QCOMPARE(v->cellRect(9, 1).top(), b4.top());
    const auto rows = v->visibleRows();
    QCOMPARE(rows[0].index, 1);
    QCOMPARE(rows[3].index, 9);
    // Moving to a cell above the scrolled part brings it back; the sheet ends at MaxRow.
    s.setSelection(QStringLiteral("B4"));
    QCOMPARE(s.TopRow(), 4);
    v->verticalScrollBar()->setValue(v->verticalScrollBar()->maximum());
    const auto last = v->visibleRows();
    QCOMPARE(last.back().index, 28);
    // Ctrl+Home goes to A1 and takes the scrolled part back to its start with it.
    s.setSelection(QStringLiteral("K20"));
    QVERIFY(s.TopRow() > 4 && s.LeftCol() > 2);
    key(s, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(s.Row(), 1);
    QCOMPARE(s.Col(), 1);
    QCOMPARE(s.TopRow(), 4);
    QCOMPARE(s.LeftCol(), 2);
    // Unfrozen, the first row scrolls too.
    s.setFixedRows(0);
    s.setFixedCols(0);
    v->verticalScrollBar()->setValue(2);
    QCOMPARE(v->visibleRows().front().index, 3);
}

void TestSheetControl::selectingWhileHiddenScrollsByTheShownSize() {
    Shown w(900, 120);
    SheetControl& s = w.sheet;
    QVERIFY(w.loadTemplate());
    s.setSelection(QStringLiteral("B2"));
    const int top = s.TopRow();
    // Hidden, the sheet is made larger (as the main window's layout does) and a cell is
    // chosen that the small size could not show but the new one does.
    s.hide();
    s.resize(900, 450);
    s.setSelection(QStringLiteral("B12"));
    s.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s));
    QCOMPARE(s.TopRow(), top);
    QVERIFY(!viewOf(s)->cellRect(12, 2).isEmpty());
    // A cell beyond the shown size is still brought into view.
    s.hide();
    s.resize(900, 120);
    s.setSelection(QStringLiteral("B20"));
    s.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s));
    QVERIFY(s.TopRow() > top);
    QVERIFY(!viewOf(s)->cellRect(20, 2).isEmpty());
}

void TestSheetControl::protection() {
    Shown w;
    SheetControl& s = w.sheet;
    QVERIFY(w.loadTemplate());
    QVERIFY(s.EnableProtection());
    QSignalSpy status(&s, &SheetControl::StatusMessage);
    // A locked heading refuses typing; an entry cell takes it.
    s.setSelection(QStringLiteral("A6"));
    type(s, QStringLiteral("x"));
    QVERIFY(!viewOf(s)->isEditing());
    QCOMPARE(status.count(), 1);
    QCOMPARE(status.at(0).at(0).toString(), SheetControl::lockedMessage());
    QCOMPARE(s.CellText(6, 1), QStringLiteral("Print advertising"));
    // Its tip stays while the caret is on the cell and goes when the caret leaves it.
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), SheetControl::lockedMessage());
    key(s, Qt::Key_Down);
    QTRY_VERIFY(!QToolTip::isVisible());
    s.setSelection(QStringLiteral("B6"));
    type(s, QStringLiteral("250"));
    key(s, Qt::Key_Return);
    QCOMPARE(s.CellText(6, 2), QStringLiteral("£250"));
    QCOMPARE(s.CellText(5, 2), QStringLiteral("£250"));
    // Formatting, clearing, deleting and pasting over locked cells are refused too.
    s.setSelection(QStringLiteral("A5:B6"));
    s.setFontBold(true);
    QVERIFY(!s.model().format(6, 2).bold);
    QVERIFY(!s.Clear(SheetControl::ClearContents));
    QVERIFY(!s.Delete(SheetControl::ShiftRows));
    QCOMPARE(s.CellText(6, 2), QStringLiteral("£250"));
    QVERIFY(status.count() >= 4);
    // The edit bar of a locked cell cannot be typed into.
    s.setSelection(QStringLiteral("N6"));
    QVERIFY(s.findChild<QLineEdit*>(QStringLiteral("txtEditBar"))->isReadOnly());
    s.setSelection(QStringLiteral("C6"));
    QVERIFY(!s.findChild<QLineEdit*>(QStringLiteral("txtEditBar"))->isReadOnly());
    // The program writes its set-up cells whatever the protection.
    s.SetCellText(1, 1, QStringLiteral("Cashflow forecast"));
    QCOMPARE(s.CellText(1, 1), QStringLiteral("Cashflow forecast"));
    // Off, everything may change.
    s.setEnableProtection(false);
    s.setSelection(QStringLiteral("A6"));
    type(s, QStringLiteral("Radio"));
    key(s, Qt::Key_Return);
    QCOMPARE(s.CellText(6, 1), QStringLiteral("Radio"));
    // A hidden formula shows its value, not its text, while protected.
    s.setSelection(QStringLiteral("N6"));
    QVERIFY(s.setLocked(true));
    s.model().changeFormat(CellRange::cell(6, 14), [](CellFormat& f) { f.hidden = true; });
    s.setEnableProtection(true);
    s.setSelection(QStringLiteral("N6"));
    QCOMPARE(s.findChild<QLineEdit*>(QStringLiteral("txtEditBar"))->text(), QStringLiteral("£250"));
}

// A formula that comes back to its own cell shows an error naming the cause, what reads it
// shows that error too, and the user is told which cells make the circle: when the formula
// goes in and whenever the caret comes to one of them.
void TestSheetControl::circularReferencesAreNamed() {
    Shown w;
    SheetControl& s = w.sheet;
    QSignalSpy status(&s, &SheetControl::StatusMessage);
    s.setSelection(QStringLiteral("B2"));
    type(s, QStringLiteral("=C2+1"));
    key(s, Qt::Key_Return);
    s.setSelection(QStringLiteral("B4"));
    type(s, QStringLiteral("=SUM(B2:B3)"));
    key(s, Qt::Key_Return);
    QCOMPARE(s.CellText(4, 2), QStringLiteral("1"));
    QCOMPARE(status.count(), 0);
    s.setSelection(QStringLiteral("C2"));
    type(s, QStringLiteral("=B2*2"));
    key(s, Qt::Key_Return);
    QCOMPARE(s.CellText(2, 3), QStringLiteral("#CIRC!"));
    QCOMPARE(s.CellText(2, 2), QStringLiteral("#CIRC!"));
    QCOMPARE(s.CellText(4, 2), QStringLiteral("#CIRC!"));
    const QString message = QStringLiteral("Circular reference: the formulas in B2 and C2 read "
                                           "each other, so none of them can be worked out.");
    QTRY_COMPARE(status.count(), 1);
    QCOMPARE(status.last().at(0).toString(), message);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), message);
    // The total that only reads the circle is not on it.
    s.setSelection(QStringLiteral("B4"));
    QCOMPARE(status.count(), 1);
    QTRY_VERIFY(!QToolTip::isVisible());
    s.setSelection(QStringLiteral("B2"));
    QCOMPARE(status.count(), 2);
    QCOMPARE(status.last().at(0).toString(), message);
    // Broken, every cell has its value again and nothing more is said.
    s.setSelection(QStringLiteral("C2"));
    type(s, QStringLiteral("5"));
    key(s, Qt::Key_Return);
    QCOMPARE(s.CellText(2, 2), QStringLiteral("6"));
    QCOMPARE(s.CellText(4, 2), QStringLiteral("6"));
    const int said = status.count();
    s.setSelection(QStringLiteral("B2"));
    QCOMPARE(status.count(), said);
    // A formula reading its own cell.
    s.setSelection(QStringLiteral("D1"));
    type(s, QStringLiteral("=D1+1"));
    key(s, Qt::Key_Return);
    QTRY_COMPARE(status.last().at(0).toString(),
                 QStringLiteral("Circular reference: the formula in D1 reads its own cell, so it "
                                "cannot be worked out."));
}

void TestSheetControl::formatsAndQueries() {
    Shown w;
    SheetControl& s = w.sheet;
    s.setSelection(QStringLiteral("B2:C3"));
    s.setFontName(QStringLiteral("Times New Roman"));
    s.setFontSize(10.5);
    s.setFontBold(true);
    s.setFontItalic(true);
    s.setFontUnderline(true);
    s.setFontColor(0x0000FF); // red
    s.setHAlign(6);
    s.setNumberFormat(QStringLiteral("0.00"));
    s.setSelection(QStringLiteral("C3"));
    QString name;
    int size, color;
    bool bold, italic, underline, strike, outline, shadow;
    s.GetFont(name, size, bold, italic, underline, strike, color, outline, shadow);
    QCOMPARE(name, QStringLiteral("Times New Roman"));
    QCOMPARE(size, 210);
    QVERIFY(bold && italic && underline && !strike);
    QCOMPARE(color, 0x0000FF);
    QCOMPARE(s.model().format(3, 3).color, qRgb(255, 0, 0));
    int h, vert, orient;
    bool wrap;
    s.GetAlignment(h, wrap, vert, orient);
    QCOMPARE(h, 6);
    QCOMPARE(vert, 3);
    bool locked, hidden;
    s.GetProtection(locked, hidden);
    QVERIFY(locked && !hidden);
    s.SetCellText(3, 3, QStringLiteral("2"));
    QCOMPARE(s.CellText(3, 3), QStringLiteral("2.00"));
    // The rows grow with their largest font.
    const int before = s.model().rowHeight(2);
    s.setSelection(QStringLiteral("B2"));
    s.setFontSize(24);
    QVERIFY(s.model().rowHeight(2) > before);
    QCOMPARE(s.model().rowHeight(5), 20);
}

void TestSheetControl::clipboard() {
    Shown w;
    SheetControl& s = w.sheet;
    s.SetCellText(1, 1, QStringLiteral("10"));
    s.SetCellText(2, 1, QStringLiteral("=A1*2"));
    s.SetCellText(2, 2, QStringLiteral("=$A$1+A1"));
    s.setSelection(QStringLiteral("A1:B2"));
    s.setFontBold(true);
    QVERIFY(s.Copy());
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    QCOMPARE(mime->text(), QStringLiteral("10\t\r\n20\t20\r\n"));
    s.setSelection(QStringLiteral("C4"));
    QVERIFY(s.Paste());
    QCOMPARE(s.Selection(), QStringLiteral("C4:D5"));
    QCOMPARE(s.CellEntry(5, 3), QStringLiteral("=C4*2"));
    QCOMPARE(s.CellEntry(5, 4), QStringLiteral("=$A$1+C4"));
    QCOMPARE(s.CellText(5, 4), QStringLiteral("20"));
    QVERIFY(s.model().format(4, 3).bold);
    // Again from there, a block away from the sheet's corner.
    QVERIFY(s.Copy());
    s.setSelection(QStringLiteral("E8"));
    QVERIFY(s.Paste());
    QCOMPARE(s.Selection(), QStringLiteral("E8:F9"));
    QCOMPARE(s.CellEntry(9, 5), QStringLiteral("=E8*2"));
    QCOMPARE(s.CellEntry(9, 6), QStringLiteral("=$A$1+E8"));
    // Text from another spreadsheet goes in as typed entries.
    QApplication::clipboard()->setText(QStringLiteral("Item\tCost\r\nPens\t£1,200\r\n"));
    s.setSelection(QStringLiteral("F1"));
    QVERIFY(s.Paste());
    QCOMPARE(s.CellText(2, 7), QStringLiteral("£1,200"));
    QCOMPARE(s.model().cellValue(2, 7).number, 1200.0);
    QCOMPARE(s.Selection(), QStringLiteral("F1:G2"));
    // Cut is copy, then clear.
    s.setSelection(QStringLiteral("F2"));
    QVERIFY(s.Cut());
    QCOMPARE(s.CellText(2, 6), QString());
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Pens\r\n"));
}

void TestSheetControl::clearAndDeleteRows() {
    Shown w;
    SheetControl& s = w.sheet;
    QVERIFY(w.loadTemplate());
    s.SetCellText(6, 2, QStringLiteral("100"));
    s.SetCellText(7, 2, QStringLiteral("20"));
    s.SetCellText(8, 2, QStringLiteral("3"));
    s.setSelection(QStringLiteral("B7:C7"));
    QVERIFY(s.Clear(SheetControl::ClearContents));
    QCOMPARE(s.CellText(5, 2), QStringLiteral("£103"));
    QCOMPARE(s.model().format(7, 2).numberFormat, s.model().format(6, 2).numberFormat);
    // As the budget's "Delete Row" does: the active row, whole.
    s.SetCellText(7, 2, QStringLiteral("20"));
    s.setSelection(QStringLiteral("C8:N8"));
    s.setSelStartRow(s.Row());
    s.setSelEndRow(s.Row());
    QVERIFY(s.EnableProtection());
    QVERIFY(s.Delete(SheetControl::ShiftRows));
    QCOMPARE(s.CellText(8, 1), QStringLiteral("Social media advertising"));
    QCOMPARE(s.CellText(5, 2), QStringLiteral("£120"));
    QCOMPARE(s.CellEntry(5, 2), QStringLiteral("=SUM(B6:B8)"));
    QCOMPARE(s.CellText(25, 1), QStringLiteral("Total marketing budget"));
    QVERIFY(!s.Delete(4));
}

void TestSheetControl::files() {
    QTemporaryDir dir;
    Shown w;
    SheetControl& s = w.sheet;
    QSignalSpy changed(&s, &SheetControl::Changed);
    QVERIFY(w.loadTemplate());
    QCOMPARE(changed.count(), 0);
    s.SetCellText(6, 2, QStringLiteral("500"));
    s.setFixedRows(3);
    s.SetPrintScale(80, false, 2, 3);
    s.setPrintLeftMargin(0.4);
    s.setPrintDevMode({1, 7});
    const QString own = dir.filePath(QStringLiteral("2.mps"));
    QVERIFY2(s.Write(own, SheetControl::NativeFile), qPrintable(s.lastError()));
    SheetControl t;
    int type = SheetControl::NativeFile;
    QVERIFY(t.Read(own, type));
    QCOMPARE(type, 1);
    QCOMPARE(writeNative(t.model()), writeNative(s.model()));
    QCOMPARE(t.FixedRows(), 3);
    QCOMPARE(t.PrintDevMode(), (SheetControl::DevMode{1, 7}));
    int scale, high, wide;
    bool fit;
    t.GetPrintScale(scale, fit, high, wide);
    QCOMPARE(scale, 80);
    QVERIFY(!fit);
    QCOMPARE(t.PrintLeftMargin(), 0.4);
    // Type 5 is the control's own format too.
    QVERIFY(s.Write(dir.filePath(QStringLiteral("5.mps")), 5));
    // Tab-separated text, read back as entries.
    const QString txt = dir.filePath(QStringLiteral("budget.txt"));
    QVERIFY(s.Write(txt, SheetControl::TabbedText));
    type = SheetControl::TabbedText;
    QVERIFY(t.Read(txt, type));
    QCOMPARE(t.CellText(6, 2), QStringLiteral("£500"));
    QCOMPARE(t.CellText(3, 2), QStringLiteral("Apr 2027"));
    type = SheetControl::DetectType;
    QVERIFY(t.Read(own, type));
    QCOMPARE(type, 1);
    // An Excel 4 file.
    const QString xls = dir.filePath(QStringLiteral("budget.xls"));
    QVERIFY(s.Write(xls, SheetControl::Excel4File));
    QVERIFY(QFile(xls).size() > 1000);
    QVERIFY(!s.Write(dir.filePath(QStringLiteral("x.csv")), 4));
    // Files that cannot be read leave the sheet as it was.
    const QByteArray before = writeNative(t.model());
    type = SheetControl::NativeFile;
    QVERIFY(!t.Read(txt, type));
    QVERIFY2(t.lastError().startsWith(QStringLiteral("The sheet file cannot be read")), qPrintable(t.lastError()));
    QVERIFY(!t.Read(dir.filePath(QStringLiteral("missing.mps")), type));
    QVERIFY(t.lastError().contains(QStringLiteral("cannot be opened")));
    QFile damaged(dir.filePath(QStringLiteral("damaged.mps")));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write(QFile(own).open(QIODevice::ReadOnly) ? QByteArray() : QByteArray());
    damaged.write(readFileBytes(own).left(500));
    damaged.close();
    QVERIFY(!t.Read(damaged.fileName(), type));
    QCOMPARE(writeNative(t.model()), before);
    // A write that fails leaves the old file whole.
    QVERIFY(!s.Write(dir.filePath(QStringLiteral("no/such/folder/x.mps")), 1));
    QVERIFY(s.lastError().startsWith(QStringLiteral("The sheet could not be saved")));
}

void TestSheetControl::pagesForScaleAndFit() {
    SheetControl s;
    QVERIFY(s.Read(kTemplate));
    // The budget prints on one landscape page.
    QCOMPARE(s.PageCount(), 1);
    QVERIFY(s.PrintLandscape());
    QVERIFY(s.PaperSize().width() > s.PaperSize().height());
    QVERIFY(s.EffectiveScale() < 100 && s.EffectiveScale() >= 40);
    // At 100% it needs more pages, more again in portrait; a bigger scale more still.
    s.SetPrintScale(100, false, 1, 1);
    const int landscape100 = s.PageCount();
    QVERIFY(landscape100 >= 2);
    s.setPrintLandscape(false);
    const int portrait100 = s.PageCount();
    QVERIFY(portrait100 > landscape100);
    s.SetPrintScale(200, false, 1, 1);
    QVERIFY(s.PageCount() > portrait100);
    // Fit to two pages wide, one high.
    s.SetPrintScale(100, true, 1, 2);
    QCOMPARE(s.PageCount(), 2);
    // With the label column frozen, it repeats on each page across.
    s.setFixedCols(1);
    s.setFixedRows(3);
    s.SetPrintScale(100, false, 1, 1);
    QImage page(800, 600, QImage::Format_RGB32);
    QPainter p(&page);
    const int count = s.DrawPage(&p, QRectF(0, 0, 800, 600), 1);
    QCOMPARE(count, s.PageCount());
    p.end();
    const SheetModel& m = s.model();
    (void)m;
    // A page out of range draws nothing and still reports the count.
    QCOMPARE(s.DrawPage(nullptr, QRectF(), 99), count);
    // An empty sheet is one blank page.
    SheetControl empty;
    QCOMPARE(empty.PageCount(), 1);
}

void TestSheetControl::printsToPdf() {
    QTemporaryDir dir;
    SheetControl s;
    QVERIFY(s.Read(kTemplate));
    s.SetCellText(6, 2, QStringLiteral("1234"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = dir.filePath(QStringLiteral("budget.pdf"));
    printer.setOutputFileName(pdf);
    printer.setPageOrientation(QPageLayout::Portrait);
    QVERIFY(s.Print(&printer));
    // A shared printer keeps its own orientation for the plan.
    QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Portrait);
    QCOMPARE(pdfPages(pdf), 1);
    const QString text = pdfText(pdf);
    QVERIFY2(text.contains(QStringLiteral("Cashflow forecast")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Apr 2027")));
    QVERIFY(text.contains(QStringLiteral("£1,234")));
    QVERIFY(text.contains(QStringLiteral("Contingency")));
    // Repeated headings: two pages across, each with the cost lines and the headings.
    s.setFixedRows(3);
    s.setFixedCols(1);
    s.SetPrintScale(100, true, 1, 2);
    QPrinter second(QPrinter::HighResolution);
    second.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf2 = dir.filePath(QStringLiteral("two.pdf"));
    second.setOutputFileName(pdf2);
    QVERIFY(s.Print(&second));
    QCOMPARE(pdfPages(pdf2), 2);
    const QStringList pages = pdfText(pdf2).split(u'\f');
    QVERIFY(pages.size() >= 2);
    for (int i = 0; i < 2; ++i) {
        QVERIFY2(pages[i].contains(QStringLiteral("Contingency")), qPrintable(pages[i]));
        QVERIFY(pages[i].contains(QStringLiteral("Cashflow forecast")));
    }
    QVERIFY(pages[0].contains(QStringLiteral("Apr 2027")));
    QVERIFY(pages[1].contains(QStringLiteral("Total")));
    QVERIFY(!s.Print(nullptr));
}

void TestSheetControl::ownDialogs() {
    Shown w;
    SheetControl& s = w.sheet;
    s.setSelection(QStringLiteral("B2"));
    {
        ModalAnswer answer([](QWidget* dlg) {
            auto* fd = qobject_cast<QFontDialog*>(dlg);
            QFont f(QStringLiteral("DejaVu Serif"), 16, QFont::Bold);
            fd->setCurrentFont(f);
            fd->accept();
        });
        QVERIFY(s.ShowFontDialog());
        QVERIFY(answer.wasAnswered());
    }
    QVERIFY(s.FontBold());
    QCOMPARE(s.FontSize(), 16.0);
    QCOMPARE(s.FontName(), QStringLiteral("DejaVu Serif"));
    {
        ModalAnswer answer([](QWidget* dlg) { static_cast<QDialog*>(dlg)->reject(); });
        QVERIFY(!s.ShowFontDialog());
        QVERIFY(answer.wasAnswered());
    }
    {
        ModalAnswer answer([](QWidget* dlg) { static_cast<QDialog*>(dlg)->accept(); });
        s.setPrintLandscape(true);
        s.setPrintTopMargin(1.5);
        QVERIFY(s.ShowPrinterSetupDialog());
        QVERIFY(answer.wasAnswered());
    }
    // Accepted unchanged, the settings come back as they went in.
    QVERIFY(s.PrintLandscape());
    QCOMPARE(s.PrintTopMargin(), 1.5);
}

void TestSheetControl::pictures() {
    const QString folder = qEnvironmentVariable("SHEET_SHOTS");
    if (folder.isEmpty()) QSKIP("SHEET_SHOTS is not set: no pictures kept");
    QDir().mkpath(folder);
    Shown w(1100, 640);
    SheetControl& s = w.sheet;
    QVERIFY(w.loadTemplate());
    s.SetCellText(1, 1, QStringLiteral("Cashflow forecast"));
    for (int r = 6; r <= 9; ++r)
        for (int c = 2; c <= 13; ++c) s.SetCellText(r, c, QString::number(r * 100 + c * 7));
    s.SetCellText(22, 4, QStringLiteral("1500"));
    s.setSelection(QStringLiteral("C7:E8"));
    s.grab().save(folder + QStringLiteral("/sheet-top.png"));
    viewOf(s)->verticalScrollBar()->setValue(12);
    viewOf(s)->horizontalScrollBar()->setValue(6);
    s.grab().save(folder + QStringLiteral("/sheet-scrolled.png"));
    s.SetCellText(2, 1, QStringLiteral("Period - Quarterly"));
    viewOf(s)->verticalScrollBar()->setValue(0);
    viewOf(s)->horizontalScrollBar()->setValue(0);
    s.setSelection(QStringLiteral("B6"));
    type(s, QStringLiteral("=B7+1"));
    s.grab().save(folder + QStringLiteral("/sheet-quarterly-editing.png"));
    key(s, Qt::Key_Escape);
    QImage page(1169, 827, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter p(&page);
    s.DrawPage(&p, QRectF(0, 0, 1169, 827), 1);
    p.end();
    page.save(folder + QStringLiteral("/sheet-page.png"));
}

QTEST_MAIN(TestSheetControl)
#include "tst_sheetcontrol.moc"
