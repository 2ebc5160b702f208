#include "budget/budgetview.h"

#include "budget/actuals.h"
#include "budget/actualsfrm.h"
#include "budget/budgetchart.h"
#include "budget/cashdet.h"
#include "controls/sheet/sheetcontrol.h"
#include "controls/sheet/sheetfile.h"
#include "controls/sheet/sheetmodel.h"
#include "dialogs/dialogfrm.h"
#include "platform/folders.h"
#include "platform/printerinfo.h"
#include "platform/repaintlock.h"
#include "platform/safefile.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QPrinter>

namespace {

constexpr int kBudgetRows = 28;
constexpr int kBudgetCols = 28;
// Heading rows and columns frozen at load, and by "Lock Rows & Columns".
constexpr int kLoadFixedRows = 1;
constexpr int kLockedFixedRows = 3;
constexpr int kFixedCols = 1;
const QString kStartCell = QStringLiteral("B6");

void setButtonDown(QAbstractButton* b, bool down) {
    if (b) b->setChecked(down);
}

} // namespace

class BudgetView::Quiet {
public:
    explicit Quiet(BudgetView& v) : m_v(v) { ++m_v.m_quiet; }
    ~Quiet() { --m_v.m_quiet; }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;

private:
    BudgetView& m_v;
};

BudgetView::BudgetView(SheetControl& sheet, const BudgetWidgets& widgets, QObject* parent)
    : QObject(parent), m_sheet(sheet), m_w(widgets) {
    {
        Quiet quiet(*this);
        m_sheet.setMaxRow(kBudgetRows);
        m_sheet.setMaxCol(kBudgetCols);
    }
    connect(&m_sheet, &SheetControl::Changed, this, &BudgetView::sheetChanged);
    connect(&m_sheet, &SheetControl::SelChange, this, [this] {
        if (m_shown) SpreadSelChange();
    });
    connect(&m_sheet, &SheetControl::MouseDown, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
                spreadMouseDown(button, x, y);
            });
    if (QMenu* menu = m_w.mnuCashflow ? m_w.mnuCashflow->menu() : nullptr) {
        menu->addSeparator();
        m_actualSpend = menu->addAction(QStringLiteral("&Actual Spend..."));
        m_actualSpend->setObjectName(QStringLiteral("ActualSpend1"));
        connect(m_actualSpend, &QAction::triggered, this, &BudgetView::ActualSpendClick);
    }
    // Both check-mark handlers set their own mark; undo the item's own flip first.
    if (QAction* a = m_w.Protection1)
        connect(a, &QAction::triggered, this, [this, a] {
            a->setChecked(!a->isChecked());
            Protection1Click();
        });
    if (QAction* a = m_w.LockRowsColumns1)
        connect(a, &QAction::triggered, this, [this, a] {
            a->setChecked(!a->isChecked());
            LockRowsColumns1Click();
        });
    if (m_w.ModifyCashflowDetails1)
        connect(m_w.ModifyCashflowDetails1, &QAction::triggered, this,
                &BudgetView::ModifyCashflowDetails1Click);
    if (m_w.LoadNewTemplate1)
        connect(m_w.LoadNewTemplate1, &QAction::triggered, this, &BudgetView::LoadNewTemplate1Click);
    if (m_w.DeleteRow1)
        connect(m_w.DeleteRow1, &QAction::triggered, this, &BudgetView::DeleteRow1Click);
    // The window's popup menu serves the sheet; it is opened by the press handler.
    m_sheet.setContextMenuPolicy(Qt::PreventContextMenu);
    if (m_w.pnlSpread) {
        m_w.pnlSpread->installEventFilter(this);
        pnlSpreadResize();
    }
}

QString BudgetView::templateFile() {
    return Folders::resolve(Folders::userDataFolder() + QStringLiteral("1.mps"));
}

QString BudgetView::damagedName(const QString& budgetFile) {
    QString name = budgetFile + QStringLiteral(".damaged");
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = budgetFile + QStringLiteral(".damaged") + QString::number(n);
    return name;
}

void BudgetView::sheetChanged() {
    if (m_quiet == 0 && onModified) onModified();
}

// --- The budget with the plan -----------------------------------------------------------

bool BudgetView::LoadBudget(const QString& sourceFile, const QString& ownFile) {
    int type = SheetControl::NativeFile;
    if (!m_sheet.Read(sourceFile, type) && !offerFreshBudget(sourceFile, ownFile)) return false;
    Quiet quiet(*this);
    m_sheet.setFixedRows(kLoadFixedRows);
    m_sheet.setFixedCols(kFixedCols);
    m_sheet.setEnableProtection(true);
    m_w.LockRowsColumns1->setChecked(m_sheet.FixedRows() != 0);
    m_w.Protection1->setChecked(m_sheet.EnableProtection());
    m_sheet.setFileName(ownFile);
    return true;
}

// The plan's own budget (or the budget it is being made from) cannot be read. Saving the
// plan now would write whatever the sheet holds over it, so the plan opens only with a
// fresh budget from the template, the unreadable file kept aside, or not at all.
bool BudgetView::offerFreshBudget(const QString& sourceFile, const QString& ownFile) {
    // The question alone: a general "could not load" before it would contradict the offer.
    const QString reason = m_sheet.lastError();

    const bool ownBudget = QFileInfo(sourceFile).absoluteFilePath() ==
                           QFileInfo(ownFile).absoluteFilePath();
    const bool keepAside = ownBudget && QFileInfo::exists(ownFile);
    const QString aside = keepAside ? damagedName(ownFile) : QString();
    QString question = QStringLiteral("The budget of this plan cannot be read.");
    if (!reason.isEmpty()) question += QLatin1Char('\n') + reason;
    question += QStringLiteral("\n\nDo you want to open the plan with a new budget from the "
                               "template?");
    if (keepAside)
        question += QStringLiteral("\nThe budget that cannot be read will be kept as %1.")
                        .arg(QFileInfo(aside).fileName());
    if (ShowMessageDialog(question, mtWarning, mbYes | mbNo, mbNo, 0) != mrYes) return false;

    if (keepAside && !QFile::rename(ownFile, aside)) {
        ShowError(QStringLiteral("The budget that cannot be read could not be kept as %1, so "
                                 "the plan has not been opened.")
                      .arg(QFileInfo(aside).fileName()));
        return false;
    }
    int type = SheetControl::NativeFile;
    if (!m_sheet.Read(templateFile(), type)) {
        if (keepAside) QFile::rename(aside, ownFile);
        ShowError(QStringLiteral("The budget template cannot be read, so the plan has not been "
                                 "opened.\n") +
                  m_sheet.lastError());
        return false;
    }
    return true;
}

bool BudgetView::SaveBudget() {
    // Before any plan was loaded the sheet belongs to no plan.
    if (m_sheet.FileName().isEmpty()) return true;
    m_sheet.Finish();
    return m_sheet.Write(m_sheet.FileName(), SheetControl::NativeFile);
}

QString BudgetView::lastSaveFailure() const { return m_sheet.lastFailure(); }

void BudgetView::SelectStartCell() {
    m_sheet.setSelection(kStartCell);
    // The sheet is hidden while a plan loads and scrolls to the cell by the size it had
    // then; it opens at its top-left corner, where B6 is in view.
    m_sheet.setTopRow(1);
    m_sheet.setLeftCol(1);
}

// --- The view ---------------------------------------------------------------------------

void BudgetView::ShowBudgetView(bool budget) {
    if (!budget) {
        if (!m_shown) return;
        m_shown = false;
        m_w.pnlSpread->hide();
        m_w.mnuCashflow->setVisible(false);
        for (QWidget* t : m_w.textTools)
            t->show();
        for (QAction* a : m_w.textItems)
            a->setVisible(true);
        m_w.pnlPointer->show();
        m_w.textPanel->show();
        return;
    }

    m_shown = true;
    {
        Quiet quiet(*this);
        m_sheet.setAllowArrows(true);
        m_sheet.setShowEditBar(true);
        m_sheet.setMaxRow(kBudgetRows);
        m_sheet.setMaxCol(kBudgetCols);
    }
    for (QWidget* t : m_w.textTools)
        t->hide();
    for (QAction* a : m_w.textItems)
        a->setVisible(false);
    m_w.pnlPointer->hide();
    m_w.Pointer->hide();
    m_w.textPanel->hide();

    m_w.pnlSpread->show();
    m_w.mnuCashflow->setVisible(true);
    pumpMessages();
    m_sheet.setFocus();

    if (m_sheet.CellText(1, 1) == unconfirmedTitle()) {
        m_sheet.SetCellText(1, 1, confirmedTitle());
        // The section move holds the window's painting off until it ends; behind the
        // details window the user must see the budget, not the section just left.
        if (QWidget* window = m_w.pnlSpread->window(); !window->updatesEnabled()) {
            window->setUpdatesEnabled(true);
            pumpMessages();
        }
        // Painted now: a repaint asked for is made only when the window next gets round
        // to it, which the details window's own showing comes before.
        m_w.pnlSpread->repaint();
        ModifyCashflowDetails1Click();
    }
    SpreadSelChange();
}

void BudgetView::pnlSpreadResize() {
    if (m_w.pnlSpread) m_sheet.setGeometry(0, 0, m_w.pnlSpread->width(), m_w.pnlSpread->height());
}

bool BudgetView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_w.pnlSpread && event->type() == QEvent::Resize) pnlSpreadResize();
    return QObject::eventFilter(watched, event);
}

// --- Budget menu ------------------------------------------------------------------------

void BudgetView::Protection1Click() {
    Quiet quiet(*this);
    const bool on = !m_w.Protection1->isChecked();
    m_w.Protection1->setChecked(on);
    m_sheet.setEnableProtection(on);
}

void BudgetView::applyFrozenHeadings(bool locked) {
    Quiet quiet(*this);
    m_sheet.setFixedRows(locked ? kLockedFixedRows : 0);
    m_sheet.setFixedCols(locked ? kFixedCols : 0);
    m_w.LockRowsColumns1->setChecked(locked);
}

void BudgetView::LockRowsColumns1Click() {
    applyFrozenHeadings(!m_w.LockRowsColumns1->isChecked());
}

void BudgetView::ModifyCashflowDetails1Click() {
    const QString start = m_sheet.CellText(1, 3);
    const QString period = m_sheet.CellText(2, 1);
    BudgetStartText = start;
    BudgetPeriodText = period;
    if (TfrmCashdet* details = detailsWindow ? detailsWindow() : nullptr) {
        details->BudgetStartText = BudgetStartText;
        details->BudgetPeriodText = BudgetPeriodText;
        details->exec();
        BudgetStartText = details->BudgetStartText;
        BudgetPeriodText = details->BudgetPeriodText;
    }
    // What the window left unchanged is not written again, so a start cell that held no
    // date, or a formula, stays as it was.
    if (BudgetStartText != start) m_sheet.SetCellText(1, 3, BudgetStartText);
    if (BudgetPeriodText != period) m_sheet.SetCellText(2, 1, BudgetPeriodText);
}

bool BudgetView::readTemplateInto(const QString& budgetFile, QString* error) {
    QFile source(templateFile());
    if (!source.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("The budget template %1 cannot be opened.")
                     .arg(QFileInfo(source).fileName());
        return false;
    }
    if (source.size() > Sheet::kMaxSheetFileSize) {
        *error = QStringLiteral("The budget template is too large.");
        return false;
    }
    const QByteArray bytes = source.readAll();

    // The budget is replaced only by a template that reads as a sheet, and in one step
    // (the writer keeps the budget file's permissions).
    Sheet::SheetModel check;
    QString why;
    if (source.error() != QFileDevice::NoError || !Sheet::readNative(bytes, &check, &why)) {
        *error = QStringLiteral("The budget template cannot be read. ") + why;
        return false;
    }
    const SafeFile::Result written = SafeFile::write(budgetFile, bytes);
    if (!written.ok) {
        *error = QStringLiteral("The budget file could not be replaced.\n") + written.failure;
        return false;
    }
    int type = SheetControl::NativeFile;
    if (!m_sheet.Read(budgetFile, type)) {
        *error = m_sheet.lastError();
        return false;
    }
    return true;
}

void BudgetView::LoadNewTemplate1Click() {
    if (ShowMessageDialog(QStringLiteral("Load a new template ?\n\nYou will lose all information "
                                         "stored in the current sheet"),
                          mtWarning, mbYes | mbNo, mbNo, 0) != mrYes)
        return;
    QString error;
    if (!readTemplateInto(m_sheet.FileName(), &error)) {
        ShowError(QStringLiteral("The new template could not be loaded, so the budget has not "
                                 "been changed.\n") +
                  error);
        return;
    }
    pumpMessages();
    ModifyCashflowDetails1Click();
    // The new sheet takes the menu's protection and heading settings.
    Protection1Click();
    Protection1Click();
    LockRowsColumns1Click();
    LockRowsColumns1Click();
    SelectStartCell();
}

// --- The sheet's events -----------------------------------------------------------------

void BudgetView::SpreadSelChange() {
    QString name;
    int size = 0, color = 0;
    bool bold = false, italic = false, underline = false, strikeout = false, outline = false,
         shadow = false;
    m_sheet.GetFont(name, size, bold, italic, underline, strikeout, color, outline, shadow);
    int horizontal = 0, vertical = 0, orientation = 0;
    bool wrap = false;
    m_sheet.GetAlignment(horizontal, wrap, vertical, orientation);

    setButtonDown(m_w.cmdBold, bold);
    setButtonDown(m_w.cmdItalic, italic);
    setButtonDown(m_w.cmdUnder, underline);

    // An alignment the buttons do not show (general, fill) leaves all four up, which an
    // exclusive group allows only while it is not exclusive.
    const QList<QPair<QAbstractButton*, int>> alignments = {
        {m_w.cmdLeft, 2}, {m_w.cmdCenter, 3}, {m_w.cmdRight, 4}, {m_w.cmdJustify, 6}};
    for (const auto& [button, code] : alignments) {
        if (!button) continue;
        const bool exclusive = button->autoExclusive();
        button->setAutoExclusive(false);
        button->setChecked(horizontal == code);
        button->setAutoExclusive(exclusive);
    }

    if (QComboBox* sizes = m_w.cmbFontSize) {
        const int points = size / 20;
        for (int i = 0; i < sizes->count(); ++i)
            if (sizes->itemText(i).toInt() == points) {
                sizes->setCurrentIndex(i);
                break;
            }
    }
    if (QComboBox* fonts = m_w.cmbFont) {
        const int i = fonts->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (i >= 0) fonts->setCurrentIndex(i);
    }
}

void BudgetView::spreadMouseDown(Qt::MouseButton button, int x, int y) {
    if (button != Qt::RightButton) {
        m_rightButtonDown = false;
        return;
    }
    m_rightButtonDown = true;
    bool locked = true;
    bool hidden = false;
    if (m_w.pnlSpread->isVisible()) m_sheet.GetProtection(locked, hidden);
    m_w.DeleteRow1->setVisible(!locked);
    m_w.mnupopup->popup(m_sheet.mapToGlobal(QPoint(x, y)));
}

void BudgetView::DeleteRow1Click() {
    if (!m_shown) return;
    const int row = m_sheet.Row();
    m_sheet.setSelStartRow(row);
    m_sheet.setSelEndRow(row);
    // The line's actual figures go with it.
    if (m_sheet.Delete(SheetControl::ShiftRows))
        Actuals::budgetRowsDeleted(m_sheet.model(), row, row);
}

void BudgetView::ActualSpendClick() {
    // Only a plan's budget has actuals.
    if (m_sheet.FileName().isEmpty()) return;
    m_sheet.Finish();
    const bool had = Actuals::exists(m_sheet.model());
    Sheet::SheetModel* sheet = nullptr;
    {
        Quiet quiet(*this);
        sheet = &Actuals::build(m_sheet.model());
    }
    // New actuals are the plan's to save even before a figure is typed.
    if (!had && onModified) onModified();
    TfrmActuals window(*sheet, m_sheet.window());
    connect(window.spread, &SheetControl::Changed, this, [this] {
        if (onModified) onModified();
    });
    if (planText)
        window.setInsertChart([this] {
            const int tag = monitoringSectionTag ? monitoringSectionTag() : -1;
            if (InsertActualsChart(m_sheet.model(), *planText, tag) && onModified) onModified();
        });
    window.exec();
    window.spread->Finish();
    // The budget's own view shows its cells again.
    m_sheet.update();
}

bool BudgetView::TypeIntoActiveCell(const QString& text) {
    bool locked = false;
    bool hidden = false;
    m_sheet.GetProtection(locked, hidden);
    if (locked && m_sheet.EnableProtection()) return false;
    m_sheet.SetCellText(m_sheet.Row(), m_sheet.Col(), text);
    return true;
}

// --- Printing ---------------------------------------------------------------------------

// --- What the plan check asks -------------------------------------------------------------

bool BudgetView::DetailsConfirmed() const {
    return m_sheet.CellText(1, 1) != unconfirmedTitle();
}

double BudgetView::GrandTotal() const {
    const Sheet::SheetModel& model = m_sheet.model();
    const int rows = m_sheet.MaxRow();
    const int cols = m_sheet.MaxCol();
    for (int row = 1; row <= rows; ++row) {
        if (m_sheet.CellText(row, 1).trimmed().compare(QLatin1String("Total marketing budget"),
                                                       Qt::CaseInsensitive) != 0)
            continue;
        for (int col = cols; col > 1; --col) {
            const Sheet::Value v = model.cellValue(row, col);
            if (v.type == Sheet::Value::Number) return v.number;
        }
        return 0;
    }
    return 0;
}

bool BudgetView::PrintBudget(QPrinter* printer) {
    QPrinter* p = printer ? printer : PrinterInfo::instance().printer();
    return p && m_sheet.Print(p, false);
}
