#include "editor/tablecommands.h"

#include "controls/text/tablefunctions.h"
#include "controls/text/tablemodel.h"
#include "controls/text/textcontrol.h"
#include "dialogs/dialogfrm.h"
#include "editor/dlgbord.h"
#include "editor/dlgcells.h"
#include "editor/dlgsplit.h"
#include "editor/tblfrm.h"
#include "editor/updown.h"
#include "platform/repaintlock.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>

namespace TableCommands {

namespace {

constexpr int kMinCount = 1;
constexpr int kEveryRow = -2; // ATX_CHANGETABLEBOUND: the bound in every row, not one
constexpr int kMaxCount = 100;

void repaint(TextControl* atx) {
    atx->viewport()->update();
}

// Reports a failing code of the control and says whether the call went through.
bool done(int code) {
    if (code == TableOk) return true;
    ShowMessageDialog(errorText(code), mtError, mbOK, mbOK, 0);
    return false;
}

} // namespace

QString errorText(int code) {
    QString reason;
    switch (code) {
    case TableNotInTable:
        reason = QStringLiteral("The caret is not in a table.");
        break;
    case TableBadArgument:
        reason = QStringLiteral("The table cannot take that number of rows or cells.");
        break;
    case TableNothingToDo:
        reason = QStringLiteral("Select two or more cells to merge.");
        break;
    case TableInTable:
        reason = QStringLiteral("A table cannot be made inside a table.");
        break;
    default:
        reason = QStringLiteral("The table command could not be carried out.");
        break;
    }
    return QStringLiteral("%1 (Table error %2)").arg(reason).arg(code);
}

QString countOutOfRange(const QString& text) {
    bool ok = false;
    const long long value = text.trimmed().toLongLong(&ok);
    if (!ok || (value >= kMinCount && value <= kMaxCount)) return QString();
    return QStringLiteral("'%1' is out of range: please enter a whole number from %2 to %3.")
        .arg(text.trimmed())
        .arg(kMinCount)
        .arg(kMaxCount);
}

bool acceptCounts(std::initializer_list<QLineEdit*> edits) {
    for (QLineEdit* edit : edits) {
        const QString refusal = countOutOfRange(edit->text());
        if (refusal.isEmpty()) continue;
        ShowMessageDialog(refusal, mtWarning, mbOK, mbOK, 0);
        edit->setFocus();
        edit->selectAll();
        return false;
    }
    return true;
}

std::optional<int> readCount(const QString& text, QWidget* parent) {
    bool ok = false;
    const long long value = text.trimmed().toLongLong(&ok);
    if (!ok) {
        QMessageBox::critical(parent, QStringLiteral("Error"),
                              QStringLiteral("'%1' is not a valid integer value").arg(text));
        return std::nullopt;
    }
    if (const QString refusal = countOutOfRange(text); !refusal.isEmpty()) {
        ShowMessageDialog(refusal, mtWarning, mbOK, mbOK, 0);
        return std::nullopt;
    }
    return int(value);
}

bool insertTable(TextControl* atx, Tfrminserttbl* dialog) {
    if (dialog->execute() != 1) return false;
    const std::optional<int> rows = readCount(dialog->txtRows->text(), atx);
    if (!rows) return false;
    const std::optional<int> columns = readCount(dialog->txtColumns->text(), atx);
    if (!columns) return false;
    const bool ok = done(ATX_INSERTTABLE(atx, *rows, *columns));
    repaint(atx);
    return ok;
}

bool insertRow(TextControl* atx) {
    const bool ok = done(ATX_INSERTTABLEROW(atx));
    repaint(atx);
    return ok;
}

bool deleteCells(TextControl* atx) {
    const bool ok = done(ATX_DELETETABLECELL(atx));
    repaint(atx);
    return ok;
}

bool mergeCells(TextControl* atx) {
    const bool ok = done(ATX_MERGETABLECELL(atx, 1));
    repaint(atx);
    return ok;
}

bool splitCells(TextControl* atx, Tsplitcelllsdlg* dialog) {
    if (dialog->execute() != 1) return false;
    const std::optional<int> columns = readCount(dialog->txtColumns->text(), atx);
    if (!columns) return false;
    const bool ok = done(ATX_SPLITTABLECELL(atx, *columns));
    repaint(atx);
    return ok;
}

bool selectRow(TextControl* atx) {
    bool ok = done(ATX_SETCURTABLEROWCELL(atx, 0, 0, 0));
    if (ok) {
        int row = 0, cells = 0, left = 0, right = 0;
        ATX_GETCURROWINFO(atx, row, cells, left, right);
        ok = done(ATX_SETCURTABLEROWCELL(atx, cells - 1, -1, -1));
    }
    repaint(atx);
    return ok;
}

bool selectTable(TextControl* atx) {
    bool ok = done(ATX_SETCURTABLEROW(atx, 0, 0, 0));
    if (ok)
        ok = done(ATX_SETCURTABLEROWCELL(atx, 0, 0, 0)) &&
             done(ATX_SETCURTABLEROW(atx, ATX_TABLEROWS(atx) - 1, -1, -1));
    repaint(atx);
    return ok;
}

bool convertTextToTable(TextControl* atx) {
    const bool ok = done(ATX_CONVERTTOTABLE(atx));
    repaint(atx);
    return ok;
}

bool borders(TextControl* atx, Tdlgborder* dialog) {
    if (ATX_TABLEROWS(atx) == 0) return false;
    const int current = ATX_TABLEBORDER(atx, -1);
    dialog->setBevel(current);
    // OK without a click keeps the border the dialog shows.
    dialog->Tag = current;
    if (dialog->execute() != 1) return false;
    const bool ok = done(ATX_TABLEBORDER(atx, dialog->Tag));
    repaint(atx);
    return ok;
}

bool cellHeightAndWidth(TextControl* atx, Tcellsdlg* dialog) {
    int firstBound = 0, lastBound = 0, left = 0, right = 0;
    if (!done(ATX_GETSELCELLSBOUNDS(atx, firstBound, lastBound, left, right))) return false;
    int row = 0, cells = 0, rowLeft = 0, rowRight = 0;
    ATX_GETCURROWINFO(atx, row, cells, rowLeft, rowRight);
    int cellRow = 0, cell = 0, cellLeft = 0, cellRight = 0, width = 0;
    ATX_GETCURCELLINFO(atx, cellRow, cell, cellLeft, cellRight, width);
    int height = 0;
    ATX_GETCURROWH(atx, height);
    // The selected cells share what the rest of the table leaves of the text width (or of
    // the table's own width, when it is already wider).
    const QList<int> grid = tableGridBounds(atx->textCursor().currentTable());
    const int tableWidth = grid.isEmpty() ? rowRight : grid.last();
    const int room = std::max(atx->DocWidth(), tableWidth) - (tableWidth - (right - left));
    const int selected = std::max(lastBound - firstBound, 1);
    dialog->prepare(row, width, height, std::max(room / selected, 1));
    if (dialog->execute() != 1) return false;

    RepaintLock lock(atx);
    // A width nobody touched is left alone (the one shown is rounded). Each selected cell
    // takes the width, in its column in every row; the cells to their right keep theirs.
    // Bounds are moved from the right when cells grow and from the left when they shrink,
    // so that no bound ever has to pass its neighbour on the way. (Each move is an edit of
    // its own: the table functions find the table through the document's frames, which an
    // edit block around them all would leave out of date; the group makes them one undo.)
    TextControl::UndoGroup group(atx);
    const int wanted = Tcellsdlg::centimetresToTwips(dialog->txtWidthCm->text().toDouble());
    for (int c = lastBound - 1; dialog->widthChanged() && c >= firstBound; --c) {
        int r = 0, n = 0, l = 0, rr = 0;
        ATX_GETCURROWINFO(atx, r, n, l, rr);
        int cr = 0, cc = 0, cl = 0, crr = 0, cw = 0;
        ATX_SETCURTABLEROWCELL(atx, c, 0, 0);
        ATX_GETCURCELLINFO(atx, cr, cc, cl, crr, cw);
        const int distance = wanted - cw;
        if (distance > 0)
            for (int i = n; i >= c + 1; --i)
                ATX_CHANGETABLEBOUND(atx, i, kEveryRow, distance);
        else if (distance < 0)
            for (int i = c + 1; i <= n; ++i)
                ATX_CHANGETABLEBOUND(atx, i, kEveryRow, distance);
    }
    const QString rule = dialog->ComboBox1->currentText();
    if (rule == "Exactly" || rule == "At Least") {
        const int h = dialog->udHeight->Position() * 20;
        ATX_SETCURROWH(atx, dialog->chkAllRows->isChecked() ? -2 : 1, h);
    }
    lock.release();
    repaint(atx);
    return true;
}

} // namespace TableCommands
