#include "plans/checkfrm.h"

#include "plans/progressmarks.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kSectionRole = Qt::UserRole; // 0 for the red notes' heading
constexpr int kEntryRole = Qt::UserRole + 1; // index among the section's entries; -1 the section

QIcon entryIcon(CheckEntry::Kind kind) {
    QColor colour(232, 160, 0); // work on the section as a whole
    if (kind == CheckEntry::Prompt) colour = QColor(0, 0, 255);
    if (kind == CheckEntry::Misspelt) colour = QColor(200, 0, 0);
    if (kind == CheckEntry::RedNotes) colour = QColor(240, 150, 150);
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pm(16 * scale, 16 * scale);
        pm.setDevicePixelRatio(scale);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawRoundedRect(QRectF(4.5, 4.5, 7, 7), 1.5, 1.5);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

} // namespace

QIcon checkPlanIcon() {
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pm(16 * scale, 16 * scale);
        pm.setDevicePixelRatio(scale);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        // The board, its clip and a sheet of paper.
        p.setPen(QPen(QColor(120, 80, 30), 1));
        p.setBrush(QColor(200, 150, 80));
        p.drawRoundedRect(QRectF(2.5, 2.5, 11, 13), 1.5, 1.5);
        p.setPen(QPen(QColor(90, 90, 90), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 4.5, 7, 9));
        p.setBrush(QColor(160, 160, 170));
        p.drawRoundedRect(QRectF(5.5, 1.5, 5, 3), 1, 1);
        // The tick.
        QPen tick(QColor(46, 150, 66), 1.8);
        tick.setCapStyle(Qt::RoundCap);
        tick.setJoinStyle(Qt::RoundJoin);
        p.setPen(tick);
        p.setBrush(Qt::NoBrush);
        QPolygonF line;
        line << QPointF(5.8, 9.2) << QPointF(7.6, 11.2) << QPointF(10.6, 6.6);
        p.drawPolyline(line);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

TfrmCheckPlan::TfrmCheckPlan(PlanCheck& check, PlanProgress& progress, QWidget* parent)
    : QDialog(parent), m_check(check), m_progress(progress) {
    setObjectName(QStringLiteral("TfrmCheckPlan"));
    setWindowTitle(QStringLiteral("Check Plan"));
    setModal(false);
    setWindowIcon(checkPlanIcon());

    lblSummary = new QLabel(this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setWordWrap(true);

    lstCheck = new QTreeWidget(this);
    lstCheck->setObjectName(QStringLiteral("lstCheck"));
    lstCheck->setHeaderHidden(true);
    lstCheck->setColumnCount(1);
    lstCheck->setRootIsDecorated(true);
    lstCheck->setUniformRowHeights(true);
    lstCheck->setExpandsOnDoubleClick(false);
    lstCheck->setSelectionMode(QAbstractItemView::SingleSelection);
    lstCheck->header()->setStretchLastSection(true);
    connect(lstCheck, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { lstCheckDblClick(item); });

    auto* hint = new QLabel(QStringLiteral("Double-click an entry to go to it in the plan."), this);
    hint->setObjectName(QStringLiteral("lblHint"));
    cmdGoTo = new QPushButton(QStringLiteral("&Go To"), this);
    cmdGoTo->setObjectName(QStringLiteral("cmdGoTo"));
    cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setAutoDefault(false);
    cmdGoTo->setAutoDefault(false);
    connect(cmdGoTo, &QPushButton::clicked, this, &TfrmCheckPlan::cmdGoToClick);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(hint, 1);
    buttons->addWidget(cmdGoTo);
    buttons->addWidget(cmdClose);
    auto* column = new QVBoxLayout(this);
    column->addWidget(lblSummary);
    column->addWidget(lstCheck, 1);
    column->addLayout(buttons);
    resize(560, 480);

    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &TfrmCheckPlan::recheckStale);
    connect(&m_progress, &PlanProgress::refreshed, this,
            [this](const QList<int>& sections, const QList<int>&) { sectionsEdited(sections); });
}

void TfrmCheckPlan::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Recheck();
}

void TfrmCheckPlan::sectionsEdited(const QList<int>& sections) {
    for (int n : sections)
        m_stale.insert(n);
    if (isVisible()) m_settle.start();
}

void TfrmCheckPlan::Recheck() {
    m_settle.stop();
    m_progress.refresh();
    m_stale.clear();
    m_entries.clear();
    if (m_progress.isActive())
        for (int n = 1; n <= m_progress.sectionCount(); ++n)
            m_entries.insert(n, m_check.entriesOf(n));
    fill();
}

void TfrmCheckPlan::recheckStale() {
    m_progress.refresh();
    m_settle.stop();
    const QSet<int> stale = std::exchange(m_stale, {});
    if (!m_progress.isActive()) {
        m_entries.clear();
    } else {
        for (int n : stale)
            if (n >= 1 && n <= m_progress.sectionCount()) m_entries.insert(n, m_check.entriesOf(n));
    }
    fill();
}

QList<CheckEntry> TfrmCheckPlan::Entries() const {
    QList<int> sections = m_entries.keys();
    std::sort(sections.begin(), sections.end());
    QList<CheckEntry> out;
    for (int n : sections)
        out += m_entries.value(n);
    return out;
}

bool TfrmCheckPlan::NothingLeft() const {
    return m_progress.isActive() && !PlanCheck::anythingToDo(Entries());
}

void TfrmCheckPlan::fill() {
    // What the owner was looking at stays where it was.
    const int scroll = lstCheck->verticalScrollBar()->value();
    int currentSection = 0, currentEntry = -2;
    if (QTreeWidgetItem* c = lstCheck->currentItem()) {
        currentSection = c->data(0, kSectionRole).toInt();
        currentEntry = c->data(0, kEntryRole).toInt();
    }
    QSet<int> collapsed;
    bool notesOpen = false;
    for (int i = 0; i < lstCheck->topLevelItemCount(); ++i) {
        QTreeWidgetItem* top = lstCheck->topLevelItem(i);
        const int n = top->data(0, kSectionRole).toInt();
        if (n == 0)
            notesOpen = top->isExpanded();
        else if (!top->isExpanded())
            collapsed.insert(n);
    }

    lstCheck->setUpdatesEnabled(false);
    lstCheck->clear();
    QList<int> sections = m_entries.keys();
    std::sort(sections.begin(), sections.end());
    QTreeWidgetItem* current = nullptr;
    auto sectionLabel = [this](int n) {
        const QString title = m_titles ? m_titles(n) : QString();
        return title.isEmpty() ? QStringLiteral("Section %1").arg(n)
                               : QStringLiteral("%1. %2").arg(n).arg(title);
    };
    auto addRow = [&](QTreeWidgetItem* parent, const QString& text, int n, int i) {
        auto* row = new QTreeWidgetItem(parent);
        row->setText(0, text);
        row->setToolTip(0, text);
        row->setData(0, kSectionRole, n);
        row->setData(0, kEntryRole, i);
        if (n == currentSection && i == currentEntry) current = row;
        return row;
    };
    auto boldRow = [&](const QString& text, int n) {
        QTreeWidgetItem* top = addRow(lstCheck->invisibleRootItem(), text, n, -1);
        QFont bold = top->font(0);
        bold.setBold(true);
        top->setFont(0, bold);
        return top;
    };

    // What is left to do, section by section.
    int notes = 0;
    for (int n : sections) {
        const QList<CheckEntry>& entries = m_entries.value(n);
        QTreeWidgetItem* top = nullptr;
        for (int i = 0; i < entries.size(); ++i) {
            const CheckEntry& e = entries.at(i);
            if (e.isInformation()) {
                notes += e.count;
                continue;
            }
            if (!top) {
                top = boldRow(sectionLabel(n), n);
                top->setIcon(0, progressMarkIcon(m_progress.state(n)));
            }
            addRow(top, e.text(), n, i)->setIcon(0, entryIcon(e.kind));
        }
        if (top) top->setExpanded(!collapsed.contains(n));
    }
    // Then, apart, what is only worth knowing: the red notes.
    if (notes > 0) {
        QTreeWidgetItem* group = boldRow(
            notes == 1 ? QStringLiteral("1 red note is still in the plan (notes never print)")
                       : QStringLiteral("%1 red notes are still in the plan (notes never print)")
                             .arg(notes),
            0);
        group->setIcon(0, entryIcon(CheckEntry::RedNotes));
        const QColor information = palette().color(QPalette::Disabled, QPalette::Text);
        for (int n : sections) {
            const QList<CheckEntry>& entries = m_entries.value(n);
            for (int i = 0; i < entries.size(); ++i) {
                if (!entries.at(i).isInformation()) continue;
                QTreeWidgetItem* row =
                    addRow(group, sectionLabel(n) + QStringLiteral(": ") + entries.at(i).text(), n, i);
                row->setForeground(0, information);
            }
        }
        group->setExpanded(notesOpen);
    }
    // (Making a row current opens its heading: a closed heading stays closed.)
    if (current && (!current->parent() || current->parent()->isExpanded()))
        lstCheck->setCurrentItem(current);
    lstCheck->verticalScrollBar()->setValue(scroll);
    lstCheck->setUpdatesEnabled(true);

    const QList<CheckEntry> all = Entries();
    const bool complete = m_progress.isActive() && !PlanCheck::anythingToDo(all);
    // A complete plan is said plainly, in large green letters.
    QPalette summary = palette();
    if (complete) summary.setColor(QPalette::WindowText, QColor(30, 120, 50));
    lblSummary->setPalette(summary);
    QFont summaryFont = font();
    summaryFont.setBold(true);
    if (complete) summaryFont.setPointSizeF(summaryFont.pointSizeF() * 1.4);
    lblSummary->setFont(summaryFont);
    if (!m_progress.isActive()) {
        lblSummary->setText(QStringLiteral("No plan is open."));
    } else if (complete) {
        lblSummary->setText(QStringLiteral("Nothing left to do"));
    } else {
        lblSummary->setText(
            progressSummary(m_progress.doneCount(), m_progress.sectionsToWrite()) +
            QStringLiteral(". Left to do, section by section:"));
    }
    lstCheck->setVisible(!all.isEmpty());
    cmdGoTo->setEnabled(!all.isEmpty());
}

void TfrmCheckPlan::lstCheckDblClick(QTreeWidgetItem* item) {
    if (!item || !m_goTo) return;
    const int section = item->data(0, kSectionRole).toInt();
    const int index = item->data(0, kEntryRole).toInt();
    if (section == 0) return; // the red notes' heading
    const QList<CheckEntry> entries = m_entries.value(section);
    if (index >= 0 && index < entries.size()) {
        m_goTo(entries.at(index));
        return;
    }
    // The section's own row: its start.
    CheckEntry start;
    start.section = section;
    const int at = m_progress.extent(section).start;
    start.place = {at, at};
    m_goTo(start);
}

void TfrmCheckPlan::cmdGoToClick() {
    lstCheckDblClick(lstCheck->currentItem());
}
