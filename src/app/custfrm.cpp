#include "app/custfrm.h"

#include "app/editfrm.h"
#include "app/settings.h"
#include "app/startup.h"
#include "dialogs/dialogfrm.h"
#include "plans/autosave.h"
#include "plans/openfrm.h"
#include "platform/folders.h"
#include "platform/inifile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

TfrmCust* frmCust = nullptr;

namespace {

QLabel* buddyLabel(const QString& caption, QWidget* buddy, QWidget* parent) {
    auto* l = new QLabel(caption, parent);
    l->setBuddy(buddy);
    return l;
}

} // namespace

TfrmCust::TfrmCust(TfrmEdit* editor, QWidget* parent) : QDialog(parent), m_editor(editor) {
    setObjectName(QStringLiteral("TfrmCust"));
    setWindowTitle(QStringLiteral("Options"));
    setModal(true);

    pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("pages"));

    // Options page.
    auto* options = new QWidget(pages);
    options->setObjectName(QStringLiteral("tabOptions"));
    auto* optionsColumn = new QVBoxLayout(options);

    auto* margins = new QGroupBox(QStringLiteral("Default Margins (Inches)"), options);
    margins->setObjectName(QStringLiteral("grpMargins"));
    auto* marginGrid = new QGridLayout(margins);
    txtLeftMargin = marginEdit(QStringLiteral("txtLeftMargin"));
    txtRightMargin = marginEdit(QStringLiteral("txtRightMargin"));
    txtTopMargin = marginEdit(QStringLiteral("txtTopMargin"));
    txtBottomMargin = marginEdit(QStringLiteral("txtBottomMargin"));
    marginGrid->addWidget(buddyLabel(QStringLiteral("&Left"), txtLeftMargin, margins), 0, 0);
    marginGrid->addWidget(txtLeftMargin, 0, 1);
    marginGrid->addWidget(buddyLabel(QStringLiteral("&Right"), txtRightMargin, margins), 0, 3);
    marginGrid->addWidget(txtRightMargin, 0, 4);
    marginGrid->addWidget(buddyLabel(QStringLiteral("&Top"), txtTopMargin, margins), 1, 0);
    marginGrid->addWidget(txtTopMargin, 1, 1);
    marginGrid->addWidget(buddyLabel(QStringLiteral("&Bottom"), txtBottomMargin, margins), 1, 3);
    marginGrid->addWidget(txtBottomMargin, 1, 4);
    marginGrid->setColumnMinimumWidth(2, 24);
    marginGrid->setColumnStretch(5, 1);
    for (QLineEdit* e : {txtLeftMargin, txtRightMargin, txtTopMargin, txtBottomMargin})
        e->setParent(margins);
    optionsColumn->addWidget(margins);

    auto* internet = new QGroupBox(QStringLiteral("Internet"), options);
    internet->setObjectName(QStringLiteral("grpInternet"));
    auto* internetRow = new QHBoxLayout(internet);
    txtURL = new QLineEdit(internet);
    txtURL->setObjectName(QStringLiteral("txtURL"));
    txtURL->setMaxLength(250);
    internetRow->addWidget(buddyLabel(QStringLiteral("&Tandel URL"), txtURL, internet));
    internetRow->addWidget(txtURL, 1);
    optionsColumn->addWidget(internet);

    auto* tips = new QGroupBox(QStringLiteral("Tips"), options);
    tips->setObjectName(QStringLiteral("grpTips"));
    auto* tipsRow = new QHBoxLayout(tips);
    chkTips = new QCheckBox(QStringLiteral("&Show tips on startup"), tips);
    chkTips->setObjectName(QStringLiteral("chkTips"));
    tipsRow->addWidget(chkTips);
    optionsColumn->addWidget(tips);

    auto* planCheck = new QGroupBox(QStringLiteral("Plan Check"), options);
    planCheck->setObjectName(QStringLiteral("grpPlanCheck"));
    auto* planCheckRow = new QHBoxLayout(planCheck);
    chkPlanCheck = new QCheckBox(
        QStringLiteral("&Remind me of template prompts before printing or exporting"), planCheck);
    chkPlanCheck->setObjectName(QStringLiteral("chkPlanCheck"));
    planCheckRow->addWidget(chkPlanCheck);
    optionsColumn->addWidget(planCheck);

    auto* recovery = new QGroupBox(QStringLiteral("Recovery"), options);
    recovery->setObjectName(QStringLiteral("grpRecovery"));
    auto* recoveryRow = new QHBoxLayout(recovery);
    cmbRecovery = new QComboBox(recovery);
    cmbRecovery->setObjectName(QStringLiteral("cmbRecovery"));
    for (int minutes : Settings::RecoveryIntervals) {
        const QString text = minutes == 0   ? QStringLiteral("Off")
                             : minutes == 1 ? QStringLiteral("Every minute")
                                            : QStringLiteral("Every %1 minutes").arg(minutes);
        cmbRecovery->addItem(text, minutes);
    }
    recoveryRow->addWidget(buddyLabel(QStringLiteral("Save a recovery copy of &unsaved changes"),
                                      cmbRecovery, recovery));
    recoveryRow->addWidget(cmbRecovery);
    recoveryRow->addStretch(1);
    optionsColumn->addWidget(recovery);
    optionsColumn->addStretch(1);
    pages->addTab(options, QStringLiteral("Options"));

    // Keytext page.
    auto* keys = new QWidget(pages);
    keys->setObjectName(QStringLiteral("tabKeytext"));
    auto* keyForm = new QFormLayout(keys);
    keyForm->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    for (int i = 0; i < 10; ++i) {
        const int digit = (i + 1) % 10;
        txtKey[i] = new QLineEdit(keys);
        txtKey[i]->setObjectName(QStringLiteral("txtKey%1").arg(digit));
        txtKey[i]->setMaxLength(100);
        keyForm->addRow(buddyLabel(QStringLiteral("Keytext &%1").arg(digit), txtKey[i], keys),
                        txtKey[i]);
    }
    pages->addTab(keys, QStringLiteral("Keytext"));

    cmdOk = new QPushButton(QStringLiteral("Ok"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(cmdOk, &QPushButton::clicked, this, &TfrmCust::cmdOkClick);
    connect(cmdCancel, &QPushButton::clicked, this, &TfrmCust::cmdCancelClick);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    auto* column = new QVBoxLayout(this);
    column->addWidget(pages, 1);
    column->addLayout(buttons);
    resize(470, 420);
}

QLineEdit* TfrmCust::marginEdit(const QString& name) {
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    e->setMaxLength(10);
    e->setFixedWidth(70);
    e->installEventFilter(this);
    return e;
}

void TfrmCust::tidyMargin(QLineEdit* edit) {
    edit->setText(Settings::marginText(Settings::marginFromText(edit->text())));
}

bool TfrmCust::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    const bool isMargin = edit && (edit == txtLeftMargin || edit == txtRightMargin ||
                                   edit == txtTopMargin || edit == txtBottomMargin);
    if (isMargin && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        // Only digits and the decimal point are typed in; editing and moving keys work.
        const bool printable = !text.isEmpty() && text.at(0).isPrint() &&
                               !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        const bool allowed =
            text.size() == 1 && ((text.at(0) >= u'0' && text.at(0) <= u'9') || text == ".");
        if (printable && !allowed) return true;
    } else if (isMargin && event->type() == QEvent::FocusOut) {
        tidyMargin(edit);
    }
    return QDialog::eventFilter(watched, event);
}

QStringList TfrmCust::companyKeytexts() const {
    return frmopen ? frmopen->keytextSources() : QStringList();
}

void TfrmCust::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TfrmCust::FormShow() {
    using namespace Settings;
    const IniFile ini(Folders::settingsFile());
    txtLeftMargin->setText(ini.readString(MainSection, "MarginL", "1"));
    txtRightMargin->setText(ini.readString(MainSection, "MarginR", "1"));
    txtTopMargin->setText(ini.readString(MainSection, "MarginT", "1"));
    txtBottomMargin->setText(ini.readString(MainSection, "MarginB", "1"));
    // The box shows the setting start-up reads, so that tips switched off in the tips
    // window can be switched on again here.
    chkTips->setChecked(ini.readInteger(TipsSection, "tips", 1) == 1);
    chkPlanCheck->setChecked(ini.readInteger(MainSection, PlanCheckReminderKey, 1) != 0);
    txtURL->setText(m_editor ? m_editor->WebHomePage : QString());
    const int interval = recoveryInterval(
        ini.readInteger(MainSection, RecoveryIntervalKey, DefaultRecoveryInterval));
    cmbRecovery->setCurrentIndex(cmbRecovery->findData(interval));

    const QStringList company = companyKeytexts();
    for (int i = 0; i < 10; ++i) {
        txtKey[i]->setText(ini.readString(MainSection, keytextKey(i)));
        // Keytexts 9 and 0 have no company field.
        if (txtKey[i]->text().isEmpty() && i < 8 && i < company.size())
            txtKey[i]->setText(company.at(i).left(100));
    }
    pages->setCurrentIndex(0);
}

void TfrmCust::cmdOkClick() {
    using namespace Settings;
    // Enter presses "Ok" without leaving the edit, so tidy the margins here too.
    for (QLineEdit* e : {txtLeftMargin, txtRightMargin, txtTopMargin, txtBottomMargin})
        tidyMargin(e);
    QStringList keytexts;
    for (QLineEdit* e : txtKey)
        keytexts << e->text();
    try {
        IniFile ini(Folders::settingsFile());
        ini.beginBatch();
        ini.writeString(MainSection, "MarginL", txtLeftMargin->text());
        ini.writeString(MainSection, "MarginR", txtRightMargin->text());
        ini.writeString(MainSection, "MarginT", txtTopMargin->text());
        ini.writeString(MainSection, "MarginB", txtBottomMargin->text());
        ini.writeString(WebSection, "Home", txtURL->text());
        ini.writeInteger(TipsSection, "tips", chkTips->isChecked() ? 1 : 0);
        ini.writeInteger(MainSection, PlanCheckReminderKey, chkPlanCheck->isChecked() ? 1 : 0);
        ini.writeInteger(MainSection, RecoveryIntervalKey, cmbRecovery->currentData().toInt());
        for (int i = 0; i < 10; ++i)
            ini.writeString(MainSection, keytextKey(i), keytexts.at(i));
        ini.commit();
    } catch (const IniWriteError& e) {
        // Nothing was written; the window stays open so the choices are not lost.
        ShowError(e.message());
        return;
    }
    if (m_editor) {
        m_editor->DefaultMargins.Left = marginFromText(txtLeftMargin->text());
        m_editor->DefaultMargins.Right = marginFromText(txtRightMargin->text());
        m_editor->DefaultMargins.Top = marginFromText(txtTopMargin->text());
        m_editor->DefaultMargins.Bottom = marginFromText(txtBottomMargin->text());
        m_editor->WebHomePage = txtURL->text();
        m_editor->SetKeytexts(keytexts);
        if (m_editor->autoSave()) m_editor->autoSave()->setInterval(cmbRecovery->currentData().toInt());
    }
    done(mrOk);
}

void TfrmCust::cmdCancelClick() {
    done(mrCancel);
}
