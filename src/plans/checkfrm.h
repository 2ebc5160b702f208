#pragma once

#include "plans/plancheck.h"

#include <QDialog>
#include <QHash>
#include <QSet>
#include <QTimer>

#include <functional>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The Check Plan window: what is left to do in the plan, section by section. It stays open
// beside the plan (modeless) and follows the text as the owner works; a double-click on an
// entry goes to its place in the text.
class TfrmCheckPlan : public QDialog {
    Q_OBJECT
public:
    TfrmCheckPlan(PlanCheck& check, PlanProgress& progress, QWidget* parent = nullptr);

    // The navigator's titles of the sections, by number.
    void setSectionTitles(std::function<QString(int)> titles) { m_titles = std::move(titles); }
    // Goes to an entry's place in the plan text; a section's own row goes to its start.
    void setGoTo(std::function<void(const CheckEntry&)> goTo) { m_goTo = std::move(goTo); }

    QLabel* lblSummary = nullptr;
    QTreeWidget* lstCheck = nullptr;
    QPushButton* cmdGoTo = nullptr;
    QPushButton* cmdClose = nullptr;

    // Looks through the whole plan again (the budget, for one, changes without the text).
    void Recheck();
    // Whether the plan is complete as the window last saw it.
    bool NothingLeft() const;
    // The entries the window lists, in order.
    QList<CheckEntry> Entries() const;

    void lstCheckDblClick(QTreeWidgetItem* item);
    void cmdGoToClick();

    // Waiting time after the last edit before the window looks again.
    static constexpr int kSettleMs = 300;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void sectionsEdited(const QList<int>& sections);
    void recheckStale();
    void fill();

    PlanCheck& m_check;
    PlanProgress& m_progress;
    std::function<QString(int)> m_titles;
    std::function<void(const CheckEntry&)> m_goTo;
    QHash<int, QList<CheckEntry>> m_entries; // by section
    QSet<int> m_stale;
    QTimer m_settle;
};

// The picture of the Check Plan command: a clipboard with a tick.
QIcon checkPlanIcon();
