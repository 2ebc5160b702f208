#pragma once

#include "plans/planprogress.h"

#include <QIcon>
#include <QList>
#include <QModelIndex>
#include <QObject>
#include <QPointer>
#include <QStyledItemDelegate>

class QLabel;
class QStatusBar;
class QTreeView;

// The outline items carry their progress in this role (a PlanProgress::State; a heading
// the state of its part), and nothing while no plan is open.
constexpr int ProgressRole = Qt::UserRole + 40;

// The small round mark of a state: an empty ring (not started), a half-filled ring (in
// progress), a green disc with a tick (done).
QIcon progressMarkIcon(PlanProgress::State state);
// "23 of 40 sections done".
QString progressSummary(int done, int total);

// Draws an outline item's picture with its progress mark beside it.
class ProgressMarkDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

// Keeps the outline's marks and the status bar's count in step with the plan's progress.
// Items are numbered as the navigator numbers them: every item in file order.
class ProgressMarks : public QObject {
    Q_OBJECT
public:
    ProgressMarks(PlanProgress& progress, QTreeView& outline, QStatusBar* status,
                  QObject* parent = nullptr);

    // Marks every item from the progress as it stands (cheap: a few dozen items).
    void update();
    // No plan: no marks, no count.
    void clear();
    QLabel* summaryLabel() const { return m_summary; }
    // The outline's items in file order.
    QList<QModelIndex> items() const;

private:
    PlanProgress& m_progress;
    QPointer<QTreeView> m_outline;
    QLabel* m_summary = nullptr;
};
