#include "plans/recoverfrm.h"

#include "dialogs/dialogfrm.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

TfrmRecover::TfrmRecover(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TfrmRecover"));
    setWindowTitle(QStringLiteral("Recover unsaved changes"));
    setModal(true);

    lblExplain = new QLabel(
        QStringLiteral("The program ended before the changes to these plans were saved. "
                       "Their recovery copies hold the changes:"),
        this);
    lblExplain->setObjectName(QStringLiteral("lblExplain"));
    lblExplain->setWordWrap(true);

    lstCopies = new QTreeWidget(this);
    lstCopies->setObjectName(QStringLiteral("lstCopies"));
    lstCopies->setColumnCount(2);
    lstCopies->setHeaderLabels({QStringLiteral("Plan"), QStringLiteral("Copy made")});
    lstCopies->setRootIsDecorated(false);
    lstCopies->setSelectionMode(QAbstractItemView::SingleSelection);
    lstCopies->header()->setStretchLastSection(false);
    lstCopies->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    lstCopies->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    connect(lstCopies, &QTreeWidget::itemDoubleClicked, this, [this] { cmdRecoverClick(); });

    auto* note = new QLabel(
        QStringLiteral("Recover opens the plan with the recovered changes; its own file stays "
                       "as it was until you save it. Discard deletes the recovery copy. Later "
                       "keeps the copies and asks again the next time the program starts."),
        this);
    note->setObjectName(QStringLiteral("lblNote"));
    note->setWordWrap(true);

    cmdRecover = new QPushButton(QStringLiteral("&Recover"), this);
    cmdRecover->setObjectName(QStringLiteral("cmdRecover"));
    cmdRecover->setDefault(true);
    cmdDiscard = new QPushButton(QStringLiteral("&Discard"), this);
    cmdDiscard->setObjectName(QStringLiteral("cmdDiscard"));
    cmdLater = new QPushButton(QStringLiteral("&Later"), this);
    cmdLater->setObjectName(QStringLiteral("cmdLater"));
    connect(cmdRecover, &QPushButton::clicked, this, &TfrmRecover::cmdRecoverClick);
    connect(cmdDiscard, &QPushButton::clicked, this, &TfrmRecover::cmdDiscardClick);
    connect(cmdLater, &QPushButton::clicked, this, &TfrmRecover::cmdLaterClick);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdRecover);
    buttons->addWidget(cmdDiscard);
    buttons->addWidget(cmdLater);
    auto* column = new QVBoxLayout(this);
    column->addWidget(lblExplain);
    column->addWidget(lstCopies, 1);
    column->addWidget(note);
    column->addLayout(buttons);
    resize(480, 300);
}

void TfrmRecover::setCopies(const QList<Recovery::Copy>& copies) {
    m_copies = copies;
    fillList();
}

void TfrmRecover::fillList() {
    lstCopies->clear();
    for (const Recovery::Copy& c : m_copies) {
        auto* item = new QTreeWidgetItem(lstCopies);
        item->setText(0, c.planName);
        item->setText(1, c.made.toString(QStringLiteral("dd/MM/yyyy HH:mm")));
    }
    if (lstCopies->topLevelItemCount() > 0)
        lstCopies->setCurrentItem(lstCopies->topLevelItem(0));
    cmdRecover->setEnabled(!m_copies.isEmpty());
    cmdDiscard->setEnabled(!m_copies.isEmpty());
}

int TfrmRecover::current() const {
    const int row = lstCopies->indexOfTopLevelItem(lstCopies->currentItem());
    return row >= 0 && row < m_copies.size() ? row : (m_copies.isEmpty() ? -1 : 0);
}

Recovery::Copy TfrmRecover::chosen() const {
    const int row = current();
    return row >= 0 ? m_copies.at(row) : Recovery::Copy{};
}

void TfrmRecover::cmdRecoverClick() {
    if (current() >= 0) accept();
}

void TfrmRecover::cmdDiscardClick() {
    const int row = current();
    if (row < 0) return;
    const Recovery::Copy copy = m_copies.at(row);
    const int answer = ShowMessageDialog(
        QStringLiteral("Discard the recovery copy of \"%1\"?\n\nThe changes it holds, made "
                       "after the plan was last saved, will be lost.")
            .arg(copy.planName),
        mtWarning, mbYes | mbNo, mbNo, 0);
    if (answer != mrYes) return;
    Recovery::remove(copy.number);
    m_copies.removeAt(row);
    fillList();
    if (m_copies.isEmpty()) reject();
}

void TfrmRecover::cmdLaterClick() {
    reject();
}
