#include "sheetcontrol.h"

#include "biff4.h"
#include "platform/printerinfo.h"
#include "sheetfile.h"
#include "sheetprint.h"
#include "sheetview.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>
#include "platform/safefile.h"
#include <QStringDecoder>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <cmath>

using namespace Sheet;

namespace {
const char* const kCellsMime = "application/x-tandel-sheet-cells";

int colorCode(QRgb c) {
    return qRed(c) + 256 * qGreen(c) + 65536 * qBlue(c);
}
} // namespace

QString SheetControl::lockedMessage() {
    return QStringLiteral("Locked cells cannot be changed while the sheet is protected.");
}

SheetControl::SheetControl(QWidget* parent) : SheetControl(nullptr, parent) {}

SheetControl::SheetControl(SheetModel* sheet, QWidget* parent)
    : QWidget(parent), m_ownModel(sheet ? nullptr : std::make_unique<SheetModel>()),
      m_model(sheet ? sheet : m_ownModel.get()) {
    setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_editBar = new QWidget(this);
    m_editBar->setObjectName(QStringLiteral("pnlEditBar"));
    auto* bar = new QHBoxLayout(m_editBar);
    bar->setContentsMargins(2, 2, 2, 2);
    bar->setSpacing(4);
    m_cellRef = new QLabel(m_editBar);
    m_cellRef->setObjectName(QStringLiteral("lblCellRef"));
    m_cellRef->setFrameShape(QFrame::StyledPanel);
    m_cellRef->setAlignment(Qt::AlignCenter);
    m_cellRef->setMinimumWidth(m_cellRef->fontMetrics().horizontalAdvance(QStringLiteral("XX99999")) + 8);
    m_editLine = new QLineEdit(m_editBar);
    m_editLine->setObjectName(QStringLiteral("txtEditBar"));
    bar->addWidget(m_cellRef);
    bar->addWidget(m_editLine, 1);
    layout->addWidget(m_editBar);

    m_view = new SheetView(this);
    layout->addWidget(m_view, 1);
    setFocusProxy(m_view);

    m_model->setChangeListener([this] { modelChanged(); });

    // The edit bar edits the active cell too; both editors show the same text.
    connect(m_view, &SheetView::editorTextEdited, m_editLine, [this](const QString& t) {
        if (m_editLine->text() != t) m_editLine->setText(t);
    });
    connect(m_editLine, &QLineEdit::textEdited, this, [this](const QString& t) {
        m_editBarEditing = true;
        if (m_view->isEditing()) m_view->setEditorText(t);
    });
    connect(m_editLine, &QLineEdit::returnPressed, this, [this] {
        if (m_view->isEditing()) {
            if (m_view->commitEdit()) m_view->setFocus();
            return;
        }
        if (!m_editBarEditing) {
            m_view->setFocus();
            return;
        }
        const ViewSettings& v = m_model->view();
        if (commitEntry(v.activeRow, v.activeCol, m_editLine->text(), false)) {
            m_editBarEditing = false;
            m_view->setFocus();
        }
    });
    m_editLine->installEventFilter(this);
    syncEditBar();
}

SheetControl::~SheetControl() {
    if (!m_ownModel) m_model->setChangeListener({});
}

bool SheetControl::eventFilter(QObject* watched, QEvent* event) {
    // Escape in the edit bar gives up what was typed there.
    if (watched == m_editLine && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        if (m_view->isEditing()) m_view->cancelEdit();
        syncEditBar();
        m_view->setFocus();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void SheetControl::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    m_view->setFocus();
}

void SheetControl::modelChanged() {
    m_view->updateLayout();
    syncEditBar();
    if (!m_reading) emit Changed();
}

void SheetControl::syncEditBar() {
    const ViewSettings& v = m_model->view();
    // A refusal's tip is about the cell it was shown at; it goes when the caret leaves.
    if (m_tipRow > 0 && (m_tipRow != v.activeRow || m_tipCol != v.activeCol)) {
        m_tipRow = m_tipCol = 0;
        QToolTip::hideText();
    }
    m_editBar->setVisible(v.showEditBar);
    m_cellRef->setText(cellName(v.activeRow, v.activeCol));
    if (m_view->isEditing()) return;
    const CellFormat& f = m_model->format(v.activeRow, v.activeCol);
    const bool locked = v.protection && f.locked;
    // A hidden cell under protection shows its value, not its formula.
    const QString entry = v.protection && f.hidden ? m_model->shownText(v.activeRow, v.activeCol)
                                                  : m_model->entry(v.activeRow, v.activeCol);
    m_editBarEditing = false;
    if (m_editLine->text() != entry) m_editLine->setText(entry);
    m_editLine->setCursorPosition(0);
    m_editLine->setReadOnly(locked);
}

void SheetControl::refuse(const QString& message) {
    emit StatusMessage(message);
    const ViewSettings& v = m_model->view();
    QRect r = m_view->cellRect(v.activeRow, v.activeCol);
    const QPoint at = r.isEmpty() ? m_view->viewport()->rect().center() : r.bottomLeft();
    if (isVisible()) {
        QToolTip::showText(m_view->viewport()->mapToGlobal(at), message, m_view->viewport());
        m_tipRow = v.activeRow;
        m_tipCol = v.activeCol;
    }
}

bool SheetControl::refuseIfLocked(const CellRange& range) {
    if (!m_model->view().protection || !m_model->anyLocked(range)) return false;
    refuse(lockedMessage());
    return true;
}

bool SheetControl::commitEntry(int row, int col, const QString& text, bool force) {
    if (refuseIfLocked(CellRange::cell(row, col))) return false;
    if (!force && text.size() > 1 && text.startsWith(u'=')) {
        const ParseResult r = parseFormula(QStringView(text).mid(1));
        if (!r.expr) {
            refuse(QStringLiteral("The formula cannot be worked out: %1.").arg(r.error));
            return false;
        }
    }
    if (text != m_model->entry(row, col)) {
        m_model->setEntry(row, col, text);
        // Told at once, at the cell, once the caret has gone where the key sends it.
        if (!m_model->circleOf(row, col).isEmpty())
            QTimer::singleShot(0, this, [this, row, col] { tellCircle(row, col); });
    }
    syncEditBar();
    return true;
}

QString SheetControl::circleMessage(const QList<QPoint>& circle) {
    if (circle.isEmpty()) return QString();
    if (circle.size() == 1)
        return QStringLiteral("Circular reference: the formula in %1 reads its own cell, so it "
                              "cannot be worked out.")
            .arg(cellName(circle.first().y(), circle.first().x()));
    QStringList names;
    for (const QPoint& p : circle)
        names << cellName(p.y(), p.x());
    const QString last = names.takeLast();
    return QStringLiteral("Circular reference: the formulas in %1 and %2 read each other, so "
                          "none of them can be worked out.")
        .arg(names.join(QStringLiteral(", ")), last);
}

void SheetControl::tellCircle(int row, int col) {
    const QString message = circleMessage(m_model->circleOf(row, col));
    if (message.isEmpty()) return;
    emit StatusMessage(message);
    if (!isVisible()) return;
    const QRect r = m_view->cellRect(row, col);
    const QPoint at = r.isEmpty() ? m_view->viewport()->rect().center() : r.bottomLeft();
    QToolTip::showText(m_view->viewport()->mapToGlobal(at), message, m_view->viewport());
    m_tipRow = m_model->view().activeRow;
    m_tipCol = m_model->view().activeCol;
}

void SheetControl::setView(const std::function<void(ViewSettings&)>& change) {
    ViewSettings v = m_model->view();
    const ViewSettings before = v;
    change(v);
    if (v == before) return;
    if (m_view->isEditing() && (v.activeRow != before.activeRow || v.activeCol != before.activeCol))
        m_view->commitEdit(true);
    m_model->setView(v);
    const ViewSettings& now = m_model->view();
    if (now.activeRow != before.activeRow || now.activeCol != before.activeCol || !(now.selection == before.selection)) {
        syncEditBar();
        if (now.activeRow != before.activeRow || now.activeCol != before.activeCol)
            tellCircle(now.activeRow, now.activeCol);
        emit SelChange();
    }
}

void SheetControl::setPrint(const std::function<void(PrintSettings&)>& change) {
    PrintSettings p = m_model->print();
    change(p);
    m_model->setPrint(p);
}

// ---------------------------------------------------------------- selection

void SheetControl::selectRange(const CellRange& range, int activeRow, int activeCol) {
    setView([&](ViewSettings& v) {
        v.selection = range.normalized();
        v.activeRow = activeRow;
        v.activeCol = activeCol;
    });
    m_view->viewport()->update();
}

int SheetControl::Row() const { return m_model->view().activeRow; }
int SheetControl::Col() const { return m_model->view().activeCol; }
int SheetControl::SelStartRow() const { return m_model->view().selection.row1; }
int SheetControl::SelEndRow() const { return m_model->view().selection.row2; }
int SheetControl::SelStartCol() const { return m_model->view().selection.col1; }
int SheetControl::SelEndCol() const { return m_model->view().selection.col2; }

void SheetControl::setRow(int row) {
    selectRange(CellRange::cell(row, Col()), row, Col());
    m_view->ensureVisible(Row(), Col());
}

void SheetControl::setCol(int col) {
    selectRange(CellRange::cell(Row(), col), Row(), col);
    m_view->ensureVisible(Row(), Col());
}

// The selection's rows are set one end at a time; the active cell moves into it when it
// would fall outside.
void SheetControl::setSelStartRow(int row) {
    CellRange s = m_model->view().selection;
    s.row1 = row;
    if (s.row2 < row) s.row2 = row;
    const int active = s.contains(Row(), Col()) ? Row() : s.row1;
    selectRange(s, active, s.contains(active, Col()) ? Col() : s.col1);
}

void SheetControl::setSelEndRow(int row) {
    CellRange s = m_model->view().selection;
    s.row2 = row;
    if (s.row1 > row) s.row1 = row;
    const int active = s.contains(Row(), Col()) ? Row() : s.row1;
    selectRange(s, active, s.contains(active, Col()) ? Col() : s.col1);
}

void SheetControl::setSelStartCol(int col) {
    CellRange s = m_model->view().selection;
    s.col1 = col;
    if (s.col2 < col) s.col2 = col;
    selectRange(s, s.contains(Row(), Col()) ? Row() : s.row1, s.contains(Row(), Col()) ? Col() : s.col1);
}

void SheetControl::setSelEndCol(int col) {
    CellRange s = m_model->view().selection;
    s.col2 = col;
    if (s.col1 > col) s.col1 = col;
    selectRange(s, s.contains(Row(), Col()) ? Row() : s.row1, s.contains(Row(), Col()) ? Col() : s.col1);
}

QString SheetControl::Selection() const {
    return rangeName(m_model->view().selection);
}

void SheetControl::setSelection(const QString& ref) {
    CellRange r;
    if (!parseRangeName(ref, &r)) return;
    const int colon = ref.indexOf(u':');
    int row = r.row1, col = r.col1;
    parseCellName(colon < 0 ? ref : ref.left(colon), &row, &col);
    selectRange(r, row, col);
    m_view->ensureVisible(Row(), Col());
}

// ---------------------------------------------------------------- view

int SheetControl::FixedRows() const { return m_model->view().fixedRows; }
void SheetControl::setFixedRows(int rows) { setView([&](ViewSettings& v) { v.fixedRows = qMax(0, rows); }); }
int SheetControl::FixedCols() const { return m_model->view().fixedCols; }
void SheetControl::setFixedCols(int cols) { setView([&](ViewSettings& v) { v.fixedCols = qMax(0, cols); }); }
int SheetControl::MaxRow() const { return m_model->view().maxRow; }
void SheetControl::setMaxRow(int rows) { setView([&](ViewSettings& v) { v.maxRow = rows; }); }
int SheetControl::MaxCol() const { return m_model->view().maxCol; }
void SheetControl::setMaxCol(int cols) { setView([&](ViewSettings& v) { v.maxCol = cols; }); }
bool SheetControl::EnableProtection() const { return m_model->view().protection; }
void SheetControl::setEnableProtection(bool on) {
    setView([&](ViewSettings& v) { v.protection = on; });
    syncEditBar();
}
bool SheetControl::AllowArrows() const { return m_model->view().allowArrows; }
void SheetControl::setAllowArrows(bool on) { setView([&](ViewSettings& v) { v.allowArrows = on; }); }
bool SheetControl::ShowEditBar() const { return m_model->view().showEditBar; }
void SheetControl::setShowEditBar(bool on) {
    setView([&](ViewSettings& v) { v.showEditBar = on; });
    syncEditBar();
}
bool SheetControl::ShowGridLines() const { return m_model->view().showGridLines; }
void SheetControl::setShowGridLines(bool on) { setView([&](ViewSettings& v) { v.showGridLines = on; }); }
int SheetControl::TopRow() const { return m_view->topRow(); }
void SheetControl::setTopRow(int row) { m_view->setTopRow(row); }
int SheetControl::LeftCol() const { return m_view->leftCol(); }
void SheetControl::setLeftCol(int col) { m_view->setLeftCol(col); }

// ---------------------------------------------------------------- cells

QString SheetControl::CellText(int row, int col) const {
    return m_model->shownText(row, col);
}

void SheetControl::SetCellText(int row, int col, const QString& text) {
    m_model->setEntry(row, col, text);
}

QString SheetControl::CellEntry(int row, int col) const {
    return m_model->entry(row, col);
}

const CellFormat& SheetControl::activeFormat() const {
    return m_model->format(Row(), Col());
}

bool SheetControl::changeSelectionFormat(const std::function<void(CellFormat&)>& change) {
    const CellRange sel = m_model->view().selection;
    if (refuseIfLocked(sel)) return false;
    m_model->changeFormat(sel, change);
    m_view->viewport()->update();
    return true;
}

QString SheetControl::FontName() const { return activeFormat().fontName; }
void SheetControl::setFontName(const QString& name) {
    if (!name.trimmed().isEmpty()) changeSelectionFormat([&](CellFormat& f) { f.fontName = name.trimmed(); });
}
double SheetControl::FontSize() const { return activeFormat().fontSize; }
void SheetControl::setFontSize(double points) {
    if (std::isfinite(points) && points >= 1 && points <= 409)
        changeSelectionFormat([&](CellFormat& f) { f.fontSize = points; });
}
bool SheetControl::FontBold() const { return activeFormat().bold; }
void SheetControl::setFontBold(bool on) { changeSelectionFormat([&](CellFormat& f) { f.bold = on; }); }
bool SheetControl::FontItalic() const { return activeFormat().italic; }
void SheetControl::setFontItalic(bool on) { changeSelectionFormat([&](CellFormat& f) { f.italic = on; }); }
bool SheetControl::FontUnderline() const { return activeFormat().underline; }
void SheetControl::setFontUnderline(bool on) { changeSelectionFormat([&](CellFormat& f) { f.underline = on; }); }
bool SheetControl::FontStrikeout() const { return activeFormat().strikeout; }
void SheetControl::setFontStrikeout(bool on) { changeSelectionFormat([&](CellFormat& f) { f.strikeout = on; }); }
int SheetControl::FontColor() const { return colorCode(activeFormat().color); }
void SheetControl::setFontColor(int color) {
    const QRgb c = qRgb(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
    changeSelectionFormat([&](CellFormat& f) { f.color = c; });
}
int SheetControl::HAlign() const { return activeFormat().hAlign; }
void SheetControl::setHAlign(int code) {
    if (code >= 1 && code <= 6) changeSelectionFormat([&](CellFormat& f) { f.hAlign = code; });
}
QString SheetControl::NumberFormat() const { return activeFormat().numberFormat; }
void SheetControl::setNumberFormat(const QString& code) {
    if (!code.isEmpty()) changeSelectionFormat([&](CellFormat& f) { f.numberFormat = code; });
}
bool SheetControl::setLocked(bool locked) {
    return changeSelectionFormat([&](CellFormat& f) { f.locked = locked; });
}

void SheetControl::GetFont(QString& name, int& size, bool& bold, bool& italic, bool& underline,
                           bool& strikeout, int& color, bool& outline, bool& shadow) const {
    const CellFormat& f = activeFormat();
    name = f.fontName;
    size = int(std::lround(f.fontSize * 20));
    bold = f.bold;
    italic = f.italic;
    underline = f.underline;
    strikeout = f.strikeout;
    color = colorCode(f.color);
    outline = false;
    shadow = false;
}

void SheetControl::GetAlignment(int& horizontal, bool& wordWrap, int& vertical, int& orientation) const {
    const CellFormat& f = activeFormat();
    horizontal = f.hAlign;
    wordWrap = f.wrap;
    vertical = f.vAlign;
    orientation = 0;
}

void SheetControl::GetProtection(bool& locked, bool& hidden) const {
    const CellFormat& f = activeFormat();
    locked = f.locked;
    hidden = f.hidden;
}

// ---------------------------------------------------------------- editing

bool SheetControl::isEditing() const {
    return m_view->isEditing();
}

void SheetControl::Finish() {
    if (m_view->isEditing()) m_view->commitEdit(true);
    else if (m_editBarEditing) {
        const ViewSettings& v = m_model->view();
        commitEntry(v.activeRow, v.activeCol, m_editLine->text(), true);
        m_editBarEditing = false;
    }
}

bool SheetControl::Copy() {
    Finish();
    const CellRange sel = m_model->view().selection;
    const CellRange used = m_model->formattedRange();
    // A whole row or column copies as far as the sheet is used.
    CellRange r = sel;
    r.row2 = qMax(r.row1, qMin(r.row2, qMax(used.row2, r.row1)));
    r.col2 = qMax(r.col1, qMin(r.col2, qMax(used.col2, r.col1)));
    SheetModel part;
    {
        SheetModel::Batch batch(part);
        part.paste(*m_model, r, r.row1, r.col1, false);
    }
    ViewSettings v = part.view();
    v.selection = r;
    v.activeRow = r.row1;
    v.activeCol = r.col1;
    part.setView(v);
    auto* mime = new QMimeData;
    mime->setText(writeTsv(*m_model, r));
    mime->setData(QLatin1String(kCellsMime), writeNative(part));
    QApplication::clipboard()->setMimeData(mime);
    return true;
}

bool SheetControl::Cut() {
    if (refuseIfLocked(m_model->view().selection)) return false;
    return Copy() && Clear(ClearContents);
}

bool SheetControl::Paste() {
    Finish();
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    if (!mime) return false;
    const ViewSettings& v = m_model->view();
    const int row = v.selection.row1, col = v.selection.col1;
    if (mime->hasFormat(QLatin1String(kCellsMime))) {
        SheetModel part;
        QString error;
        if (readNative(mime->data(QLatin1String(kCellsMime)), &part, &error)) {
            const CellRange src = part.view().selection;
            const CellRange dest{row, col, qMin(v.maxRow, row + src.rows() - 1), qMin(v.maxCol, col + src.cols() - 1)};
            if (refuseIfLocked(dest)) return false;
            m_model->paste(part, src, row, col, true);
            selectRange(dest, row, col);
            return true;
        }
    }
    if (!mime->hasText()) return false;
    const QList<QStringList> rows = parseTsv(mime->text());
    if (rows.isEmpty()) return false;
    int width = 0;
    for (const QStringList& r : rows) width = qMax(width, int(r.size()));
    const CellRange dest{row, col, qMin(v.maxRow, row + int(rows.size()) - 1), qMin(v.maxCol, col + width - 1)};
    if (refuseIfLocked(dest)) return false;
    {
        SheetModel::Batch batch(*m_model);
        for (int r = dest.row1; r <= dest.row2; ++r)
            for (int c = dest.col1; c <= dest.col2; ++c)
                m_model->setEntry(r, c, rows[r - row].value(c - col));
    }
    selectRange(dest, row, col);
    return true;
}

bool SheetControl::Clear(int type) {
    Finish();
    const CellRange sel = m_model->view().selection;
    if (type < ClearAll || type > ClearContents) return false;
    if (refuseIfLocked(sel)) return false;
    if (type == ClearContents) m_model->clearContents(sel);
    else if (type == ClearAll) m_model->clearAll(sel);
    else m_model->changeFormat(sel, [](CellFormat& f) {
        const bool locked = f.locked, hidden = f.hidden;
        f = CellFormat();
        f.locked = locked;
        f.hidden = hidden;
    });
    syncEditBar();
    return true;
}

bool SheetControl::Delete(int shiftType) {
    Finish();
    if (shiftType != ShiftRows) return false;
    const CellRange sel = m_model->view().selection;
    // Under protection the user deletes the lines he works on: rows are deleted from an
    // unlocked active cell (an entry line), with the locked labels and totals on them.
    if (refuseIfLocked(CellRange::cell(Row(), Col()))) return false;
    m_model->deleteRows(sel.row1, sel.row2);
    syncEditBar();
    emit SelChange();
    return true;
}

// ---------------------------------------------------------------- files

bool SheetControl::Read(const QString& path) {
    int type = NativeFile;
    return Read(path, type);
}

bool SheetControl::Read(const QString& path, int& fileType) {
    Finish();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        m_lastError = QStringLiteral("The sheet file %1 cannot be opened: %2.").arg(path, f.errorString());
        return false;
    }
    if (f.size() > kMaxSheetFileSize) {
        m_lastError = QStringLiteral("The sheet file %1 cannot be read: it is too large.").arg(path);
        return false;
    }
    const QByteArray bytes = f.readAll();
    SheetModel loaded;
    int type = fileType;
    if (type == DetectType) type = looksNative(bytes) ? NativeFile : TabbedText;
    if (type == NativeFile || type == NativeFile5) {
        QString error;
        if (!readNative(bytes, &loaded, &error)) {
            m_lastError = error;
            return false;
        }
        type = NativeFile;
    } else if (type == TabbedText) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8(bytes);
        if (utf8.hasError()) text = fromCp1252(bytes);
        if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
        const QList<QStringList> rows = parseTsv(text);
        SheetModel::Batch batch(loaded);
        for (int r = 0; r < rows.size() && r < kMaxRows; ++r)
            for (int c = 0; c < rows[r].size() && c < kMaxCols; ++c) loaded.setEntry(r + 1, c + 1, rows[r][c]);
    } else {
        m_lastError = QStringLiteral("The sheet cannot read files of type %1.").arg(fileType);
        return false;
    }
    m_reading = true;
    m_model->adopt(std::move(loaded));
    m_reading = false;
    fileType = type;
    m_lastError.clear();
    m_view->setTopRow(1);
    m_view->setLeftCol(1);
    m_view->ensureVisible(Row(), Col());
    syncEditBar();
    emit SelChange();
    return true;
}

bool SheetControl::Write(const QString& path, int fileType) {
    Finish();
    QByteArray bytes;
    switch (fileType) {
    case NativeFile:
    case NativeFile5: bytes = writeNative(*m_model); break;
    case Excel4File: bytes = writeBiff4(*m_model); break;
    case TabbedText: bytes = writeTsvFile(*m_model); break;
    default:
        m_lastError = QStringLiteral("The sheet cannot write files of type %1.").arg(fileType);
        return false;
    }
    SafeFile f(path);
    if (!f.open() || !f.write(bytes) || !f.commit()) {
        m_lastError = QStringLiteral("The sheet could not be saved to %1: %2.").arg(path, f.reason());
        m_lastFailure = f.failure();
        return false;
    }
    m_lastError.clear();
    m_lastFailure.clear();
    return true;
}

// ---------------------------------------------------------------- printing

bool SheetControl::PrintHCenter() const { return m_model->print().hCenter; }
void SheetControl::setPrintHCenter(bool on) { setPrint([&](PrintSettings& p) { p.hCenter = on; }); }
bool SheetControl::PrintVCenter() const { return m_model->print().vCenter; }
void SheetControl::setPrintVCenter(bool on) { setPrint([&](PrintSettings& p) { p.vCenter = on; }); }
bool SheetControl::PrintLandscape() const { return m_model->print().landscape; }
void SheetControl::setPrintLandscape(bool on) { setPrint([&](PrintSettings& p) { p.landscape = on; }); }
double SheetControl::PrintLeftMargin() const { return m_model->print().leftMargin; }
void SheetControl::setPrintLeftMargin(double in) { setPrint([&](PrintSettings& p) { p.leftMargin = in; }); }
double SheetControl::PrintRightMargin() const { return m_model->print().rightMargin; }
void SheetControl::setPrintRightMargin(double in) { setPrint([&](PrintSettings& p) { p.rightMargin = in; }); }
double SheetControl::PrintTopMargin() const { return m_model->print().topMargin; }
void SheetControl::setPrintTopMargin(double in) { setPrint([&](PrintSettings& p) { p.topMargin = in; }); }
double SheetControl::PrintBottomMargin() const { return m_model->print().bottomMargin; }
void SheetControl::setPrintBottomMargin(double in) { setPrint([&](PrintSettings& p) { p.bottomMargin = in; }); }
bool SheetControl::PrintGridLines() const { return m_model->print().gridLines; }
void SheetControl::setPrintGridLines(bool on) { setPrint([&](PrintSettings& p) { p.gridLines = on; }); }
bool SheetControl::PrintHeadings() const { return m_model->print().headings; }
void SheetControl::setPrintHeadings(bool on) { setPrint([&](PrintSettings& p) { p.headings = on; }); }

SheetControl::DevMode SheetControl::PrintDevMode() const {
    return {m_model->print().paperSize, m_model->print().paperSource};
}

void SheetControl::setPrintDevMode(const DevMode& mode) {
    setPrint([&](PrintSettings& p) {
        if (PrinterInfo::pageSizeForCode(mode.paperSize).isValid()) p.paperSize = mode.paperSize;
        p.paperSource = qMax(0, mode.paperSource);
    });
}

void SheetControl::GetPrintScale(int& scale, bool& fitToPages, int& pagesHigh, int& pagesWide) const {
    const PrintSettings& p = m_model->print();
    scale = p.scale;
    fitToPages = p.fitToPages;
    pagesHigh = p.pagesHigh;
    pagesWide = p.pagesWide;
}

void SheetControl::SetPrintScale(int scale, bool fitToPages, int pagesHigh, int pagesWide) {
    setPrint([&](PrintSettings& p) {
        p.scale = scale;
        p.fitToPages = fitToPages;
        p.pagesHigh = pagesHigh;
        p.pagesWide = pagesWide;
    });
}

int SheetControl::PageCount() const {
    return SheetPrinter(*m_model).pageCount();
}

QSizeF SheetControl::PaperSize() const {
    return SheetPrinter::paperInches(m_model->print());
}

int SheetControl::EffectiveScale() const {
    return SheetPrinter(*m_model).scale();
}

int SheetControl::DrawPage(QPainter* painter, const QRectF& rect, int page) {
    Finish();
    const SheetPrinter printer(*m_model);
    if (painter) printer.drawPage(*painter, rect, page);
    return printer.pageCount();
}

bool SheetControl::Print(QPrinter* printer, bool showDialog) {
    Finish();
    if (!printer) return false;
    const PrintSettings& p = m_model->print();
    const QPageLayout layout = printer->pageLayout();
    const bool fullPage = printer->fullPage();
    QPageSize size = PrinterInfo::pageSizeForCode(p.paperSize);
    if (!size.isValid()) size = QPageSize(QPageSize::A4);
    printer->setFullPage(true);
    printer->setPageSize(size);
    printer->setPageOrientation(p.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Inch);
    if (showDialog) {
        QPrintDialog dialog(printer, this);
        dialog.setObjectName(QStringLiteral("dlgPrint"));
        if (dialog.exec() != QDialog::Accepted) {
            printer->setFullPage(fullPage);
            printer->setPageLayout(layout);
            return false;
        }
    }
    const SheetPrinter pages(*m_model);
    QPainter painter;
    bool ok = painter.begin(printer);
    if (ok) {
        const QRectF paper = printer->paperRect(QPrinter::DevicePixel);
        const QRectF target(0, 0, paper.width(), paper.height());
        for (int i = 1; ok && i <= pages.pageCount(); ++i) {
            if (i > 1) ok = printer->newPage();
            if (ok) pages.drawPage(painter, target, i);
        }
        ok = painter.end() && ok;
    }
    // The printer may be shared with the plan: it gets its own paper settings back.
    printer->setFullPage(fullPage);
    printer->setPageLayout(layout);
    return ok;
}

// ---------------------------------------------------------------- dialogs

bool SheetControl::ShowFontDialog() {
    Finish();
    if (refuseIfLocked(m_model->view().selection)) return false;
    const CellFormat& f = activeFormat();
    QFont current(f.fontName);
    current.setPointSizeF(f.fontSize);
    current.setBold(f.bold);
    current.setItalic(f.italic);
    current.setUnderline(f.underline);
    current.setStrikeOut(f.strikeout);
    QFontDialog dialog(current, this);
    dialog.setObjectName(QStringLiteral("dlgFont"));
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted) return false;
    const QFont chosen = dialog.selectedFont();
    return changeSelectionFormat([&](CellFormat& c) {
        c.fontName = chosen.family();
        if (chosen.pointSizeF() > 0) c.fontSize = chosen.pointSizeF();
        c.bold = chosen.bold();
        c.italic = chosen.italic();
        c.underline = chosen.underline();
        c.strikeout = chosen.strikeOut();
    });
}

bool SheetControl::ShowPrinterSetupDialog() {
    Finish();
    const PrintSettings p = m_model->print();
    QPrinter printer(QPrinter::HighResolution);
    if (QPrinter* system = PrinterInfo::instance().printer())
        printer.setPrinterName(system->printerName());
    QPageSize size = PrinterInfo::pageSizeForCode(p.paperSize);
    if (!size.isValid()) size = QPageSize(QPageSize::A4);
    printer.setPageLayout(QPageLayout(size, p.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                      QMarginsF(p.leftMargin, p.topMargin, p.rightMargin, p.bottomMargin),
                                      QPageLayout::Inch));
    QPageSetupDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("dlgPrinterSetup"));
    if (dialog.exec() != QDialog::Accepted) return false;
    const QPageLayout layout = printer.pageLayout();
    const QMarginsF m = layout.margins(QPageLayout::Inch);
    setPrint([&](PrintSettings& s) {
        const int code = PrinterInfo::paperCode(layout.pageSize());
        if (code > 0) s.paperSize = code;
        s.landscape = layout.orientation() == QPageLayout::Landscape;
        s.leftMargin = m.left();
        s.rightMargin = m.right();
        s.topMargin = m.top();
        s.bottomMargin = m.bottom();
    });
    return true;
}
