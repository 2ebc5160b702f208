#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class TfrmEdit;

// The Options window: default margins, the web address, the tips at start-up and the ten
// keytexts.
class TfrmCust : public QDialog {
    Q_OBJECT
public:
    // The main window whose defaults, web address and keytext items "Ok" updates.
    explicit TfrmCust(TfrmEdit* editor, QWidget* parent = nullptr);

    QTabWidget* pages = nullptr;
    QLineEdit* txtLeftMargin = nullptr;
    QLineEdit* txtRightMargin = nullptr;
    QLineEdit* txtTopMargin = nullptr;
    QLineEdit* txtBottomMargin = nullptr;
    QLineEdit* txtURL = nullptr;
    QCheckBox* chkTips = nullptr;
    QCheckBox* chkPlanCheck = nullptr;
    // Minutes at most between recovery copies of unsaved changes (Off, 1, 2, 5, 10).
    QComboBox* cmbRecovery = nullptr;
    QLineEdit* txtKey[10] = {}; // txtKey1 ... txtKey9, txtKey0
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;

    void FormShow();
    void cmdOkClick();
    void cmdCancelClick();
    // A margin edit as it is shown once it loses the focus.
    static void tidyMargin(QLineEdit* edit);
    // Texts for the keytexts that are still empty when the window opens (product or
    // service lines 1 to 5, then competitors A to C, of the open-a-plan window).
    QStringList companyKeytexts() const;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* marginEdit(const QString& name);
    TfrmEdit* m_editor;
};

extern TfrmCust* frmCust;
