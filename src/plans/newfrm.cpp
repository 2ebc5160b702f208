#include "plans/newfrm.h"

#include "dialogs/dialogfrm.h"
#include "platform/folders.h"
#include "platform/helpsystem.h"
#include "platform/inifile.h"
#include "plans/catalogue.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
QString originalPlanFile() { return Folders::resolve(Folders::userDataFolder() + "1.mp"); }
} // namespace

TfrmNew::TfrmNew(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TfrmNew"));
    setWindowTitle(QStringLiteral("Create a new plan"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto* layout = new QVBoxLayout(this);
    auto* nameLabel = new QLabel(QStringLiteral("Type the name of the new plan below:"), this);
    txtNewPlanName = new QLineEdit(this);
    txtNewPlanName->setObjectName(QStringLiteral("txtNewPlanName"));
    // No length limit of its own: a limit would cut a pasted name without a word, where
    // OK refuses a name that is too long and says why.
    nameLabel->setBuddy(txtNewPlanName);
    layout->addWidget(nameLabel);
    layout->addWidget(txtNewPlanName);

    auto* question = new QLabel(
        QStringLiteral("Do you want to base this plan on the original plan or on one already "
                       "created?"),
        this);
    question->setWordWrap(true);
    layout->addSpacing(6);
    layout->addWidget(question);
    auto* radios = new QHBoxLayout;
    rdoOriginal = new QRadioButton(QStringLiteral("Original Plan"), this);
    rdoOriginal->setObjectName(QStringLiteral("rdoOriginal"));
    rdoAnother = new QRadioButton(QStringLiteral("Another Plan"), this);
    rdoAnother->setObjectName(QStringLiteral("rdoAnother"));
    radios->addWidget(rdoOriginal);
    radios->addWidget(rdoAnother);
    radios->addStretch();
    layout->addLayout(radios);

    Label2 = new QLabel(QStringLiteral("To base the new plan on one already created, select from "
                                       "the list below:"),
                        this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setWordWrap(true);
    lstAnotherPlan = new QListWidget(this);
    lstAnotherPlan->setObjectName(QStringLiteral("lstAnotherPlan"));
    lstAnotherPlan->setMinimumHeight(110);
    layout->addWidget(Label2);
    layout->addWidget(lstAnotherPlan);

    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("Button2"));
    auto* help = new QPushButton(QStringLiteral("&Help"), this);
    help->setObjectName(QStringLiteral("Button3"));
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);
    layout->addLayout(buttons);

    connect(rdoOriginal, &QRadioButton::clicked, this, &TfrmNew::rdoOriginalClick);
    connect(rdoAnother, &QRadioButton::clicked, this, &TfrmNew::rdoAnotherClick);
    connect(lstAnotherPlan, &QListWidget::itemClicked, this, &TfrmNew::lstAnotherPlanClick);
    connect(ok, &QPushButton::clicked, this, &TfrmNew::cmdOKClick);
    connect(cancel, &QPushButton::clicked, this, &TfrmNew::cmdCancelClick);
    connect(help, &QPushButton::clicked, this, [] { HelpSystem::instance().showContext(7); });
    resize(380, 330);
}

void TfrmNew::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!e->spontaneous())
        FormShow();
}

void TfrmNew::FormShow() {
    m_mayClose = true;
    txtNewPlanName->clear();
    lstAnotherPlan->clear();
    lstAnotherPlan->addItems(m_plans);
    rdoAnother->setEnabled(!m_plans.isEmpty());
    rdoOriginal->setChecked(true);
    if (lstAnotherPlan->count() > 0)
        lstAnotherPlan->setCurrentRow(0);
    rdoOriginalClick();
    txtNewPlanName->setFocus();
}

void TfrmNew::rdoOriginalClick() {
    m_baseName.clear();
    Label2->setEnabled(false);
    lstAnotherPlan->setEnabled(false);
    planSession().BasePlanFile = originalPlanFile();
}

void TfrmNew::rdoAnotherClick() {
    Label2->setEnabled(true);
    lstAnotherPlan->setEnabled(true);
}

void TfrmNew::lstAnotherPlanClick() {
    QListWidgetItem* item = lstAnotherPlan->currentItem();
    if (!item)
        return;
    m_baseName = item->text();
    const QString file = Catalogue().planTextFile(item->text());
    // Even a base that cannot be found is the one chosen: OK refuses it rather than take
    // another.
    planSession().BasePlanFile = file;
    if (file.isEmpty())
        ShowMessageDialog(missingBaseMessage(), mtWarning, mbOK, mbOK, 0);
}

QString TfrmNew::missingBaseMessage() const {
    if (m_baseName.isEmpty())
        return QStringLiteral("The original plan cannot be found, so a new plan cannot be made "
                              "from it.");
    return QStringLiteral("The files of the plan \"%1\" cannot be found, so a new plan cannot "
                          "be based on it.")
        .arg(m_baseName);
}

void TfrmNew::refuse(const QString& message) {
    ShowMessageDialog(message, mtWarning, mbOK, mbOK, 0);
    txtNewPlanName->setFocus();
    m_mayClose = false;
}

void TfrmNew::cmdOKClick() {
    const QString name = txtNewPlanName->text();
    if (name.isEmpty()) {
        refuse(QStringLiteral("You must specify a name for your new plan."));
        return;
    }
    QString message;
    for (const QString& p : m_plans)
        if (p.compare(name, Qt::CaseInsensitive) == 0)
            message = QStringLiteral("Plan name already exists.");
    if (name.contains(QLatin1Char('[')))
        message = QStringLiteral("Illegal character in plan name '['.");
    else if (name.contains(QLatin1Char(']')))
        message = QStringLiteral("Illegal character in plan name ']'.");
    // Names the catalogue file could not store and read back as themselves.
    if (message.isEmpty())
        message = Catalogue::nameProblem(name);
    if (message.isEmpty() && Catalogue().contains(name))
        message = QStringLiteral("Plan name already exists.");
    // A plan is made by copying its base: without the base's files it could never be
    // opened, so it is refused before anything is written.
    if (message.isEmpty() && !QFileInfo::exists(planSession().BasePlanFile))
        message = missingBaseMessage();
    if (!message.isEmpty()) {
        refuse(message);
        return;
    }
    try {
        Catalogue cat;
        const int number = cat.takePlanNumber();
        cat.addPlan(name, number);
        planSession().NewPlanName = name;
        planSession().NewPlanFile =
            Folders::resolve(Folders::userDataFolder() + QString::number(number) + ".mp");
        planSession().CurrentPlanFile = planSession().NewPlanFile;
    } catch (const IniWriteError& e) {
        ShowError(e.message());
        m_mayClose = false;
        return;
    }
    m_mayClose = true;
    done(mrOk);
}

void TfrmNew::cmdCancelClick() {
    m_mayClose = true;
    done(mrCancel);
}

void TfrmNew::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        cmdCancelClick();
        return;
    }
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        cmdOKClick();
        return;
    }
    QDialog::keyPressEvent(e);
}

void TfrmNew::closeEvent(QCloseEvent* e) {
    // The close box cancels, like the Cancel button.
    m_mayClose = true;
    setResult(mrCancel);
    QDialog::closeEvent(e);
}
