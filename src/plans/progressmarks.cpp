#include "plans/progressmarks.h"

#include <QAbstractItemModel>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QStatusBar>
#include <QTreeView>

#include <cmath>

namespace {

// Room the mark takes beside the picture: a gap and the mark itself.
constexpr int kMarkGap = 3;
constexpr int kMarkSize = 9;

const QColor kRing(120, 120, 120);
const QColor kBusy(232, 160, 0);
const QColor kDone(46, 150, 66);

void paintMark(QPainter& p, const QRectF& r, PlanProgress::State state) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF ring = r.adjusted(0.5, 0.5, -0.5, -0.5);
    switch (state) {
    case PlanProgress::NotStarted:
        p.setPen(QPen(kRing, 1));
        p.setBrush(Qt::white);
        p.drawEllipse(ring);
        break;
    case PlanProgress::InProgress: {
        p.setPen(QPen(kBusy, 1));
        p.setBrush(Qt::white);
        p.drawEllipse(ring);
        // The left half filled: half way there.
        QPainterPath half;
        half.moveTo(ring.center());
        half.arcTo(ring, 90, 180);
        half.closeSubpath();
        p.setBrush(kBusy);
        p.drawPath(half);
        break;
    }
    case PlanProgress::Done: {
        p.setPen(Qt::NoPen);
        p.setBrush(kDone);
        p.drawEllipse(r);
        QPen tick(Qt::white, r.width() / 6.0);
        tick.setCapStyle(Qt::RoundCap);
        tick.setJoinStyle(Qt::RoundJoin);
        p.setPen(tick);
        p.setBrush(Qt::NoBrush);
        const qreal w = r.width();
        QPolygonF line;
        line << QPointF(r.left() + w * 0.26, r.top() + w * 0.52)
             << QPointF(r.left() + w * 0.43, r.top() + w * 0.70)
             << QPointF(r.left() + w * 0.74, r.top() + w * 0.32);
        p.drawPolyline(line);
        break;
    }
    }
    p.restore();
}

QString stateText(PlanProgress::State state) {
    switch (state) {
    case PlanProgress::NotStarted:
        return QStringLiteral("Not started");
    case PlanProgress::InProgress:
        return QStringLiteral("In progress");
    case PlanProgress::Done:
        break;
    }
    return QStringLiteral("Done");
}

void collect(const QAbstractItemModel* model, const QModelIndex& parent, QList<QModelIndex>& out) {
    for (int row = 0; row < model->rowCount(parent); ++row) {
        const QModelIndex i = model->index(row, 0, parent);
        out.append(i);
        collect(model, i, out);
    }
}

} // namespace

QIcon progressMarkIcon(PlanProgress::State state) {
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pm(16 * scale, 16 * scale);
        pm.setDevicePixelRatio(scale);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        paintMark(p, QRectF(3, 3, 10, 10), state);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

QString progressSummary(int done, int total) {
    return QStringLiteral("%1 of %2 sections done").arg(done).arg(total);
}

void ProgressMarkDelegate::initStyleOption(QStyleOptionViewItem* option,
                                           const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const QVariant mark = index.data(ProgressRole);
    if (!mark.isValid()) return;
    const QSize picture = option->decorationSize;
    const QSize both(picture.width() + kMarkGap + kMarkSize, picture.height());
    const qreal dpr =
        std::ceil(option->widget ? option->widget->devicePixelRatioF() : qreal(1));
    QPixmap pm(both * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    const QIcon::Mode mode =
        option->state & QStyle::State_Selected ? QIcon::Selected : QIcon::Normal;
    option->icon.paint(&p, QRect(QPoint(0, 0), picture), Qt::AlignCenter, mode);
    paintMark(p,
              QRectF(picture.width() + kMarkGap, (picture.height() - kMarkSize) / 2.0, kMarkSize,
                     kMarkSize),
              PlanProgress::State(mark.toInt()));
    p.end();
    option->icon = QIcon(pm);
    option->decorationSize = both;
    option->features |= QStyleOptionViewItem::HasDecoration;
}

ProgressMarks::ProgressMarks(PlanProgress& progress, QTreeView& outline, QStatusBar* status,
                             QObject* parent)
    : QObject(parent), m_progress(progress), m_outline(&outline) {
    outline.setItemDelegate(new ProgressMarkDelegate(&outline));
    if (status) {
        m_summary = new QLabel(status);
        m_summary->setObjectName(QStringLiteral("lblProgress"));
        m_summary->setContentsMargins(6, 0, 6, 0);
        status->addPermanentWidget(m_summary);
        m_summary->hide();
    }
}

QList<QModelIndex> ProgressMarks::items() const {
    QList<QModelIndex> out;
    if (m_outline && m_outline->model()) collect(m_outline->model(), {}, out);
    return out;
}

void ProgressMarks::update() {
    if (!m_outline || !m_outline->model()) return;
    QAbstractItemModel* model = m_outline->model();
    const QList<QModelIndex> all = items();
    // Item number -> its own state; a heading adds the states of everything below it.
    QHash<QModelIndex, int> numberOf;
    for (int i = 0; i < all.size(); ++i)
        numberOf.insert(all.at(i), i + 1);
    for (int i = 0; i < all.size(); ++i) {
        const QModelIndex item = all.at(i);
        const int number = i + 1;
        QList<PlanProgress::State> states;
        if (!m_progress.section(number).nothingToWrite) states.append(m_progress.state(number));
        int done = !states.isEmpty() && states.first() == PlanProgress::Done ? 1 : 0;
        QList<QModelIndex> below;
        collect(model, item, below);
        for (const QModelIndex& child : below) {
            if (m_progress.section(numberOf.value(child)).nothingToWrite) continue;
            const PlanProgress::State s = m_progress.state(numberOf.value(child));
            states.append(s);
            done += s == PlanProgress::Done ? 1 : 0;
        }
        const PlanProgress::State shown = PlanProgress::combine(states);
        QString tip = stateText(shown);
        const int prompts = m_progress.section(number).prompts;
        if (!below.isEmpty())
            tip = QStringLiteral("%1 of %2 sections of this part done").arg(done).arg(states.size());
        else if (prompts > 0 && shown == PlanProgress::InProgress)
            tip += prompts == 1 ? QStringLiteral(": 1 prompt left")
                                : QStringLiteral(": %1 prompts left").arg(prompts);
        // Under the section's whole name, which a narrow navigator cuts short.
        tip = item.data(Qt::DisplayRole).toString() + QLatin1Char('\n') + tip;
        if (item.data(ProgressRole) != QVariant(int(shown))) model->setData(item, int(shown), ProgressRole);
        if (item.data(Qt::ToolTipRole).toString() != tip) model->setData(item, tip, Qt::ToolTipRole);
    }
    if (m_summary) {
        m_summary->setText(progressSummary(m_progress.doneCount(), m_progress.sectionsToWrite()));
        m_summary->show();
    }
}

void ProgressMarks::clear() {
    if (m_outline && m_outline->model()) {
        QAbstractItemModel* model = m_outline->model();
        for (const QModelIndex& item : items()) {
            model->setData(item, QVariant(), ProgressRole);
            model->setData(item, item.data(Qt::DisplayRole), Qt::ToolTipRole);
        }
    }
    if (m_summary) m_summary->hide();
}
