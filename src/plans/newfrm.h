#pragma once

#include "plans/plansession.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QPushButton;

// Names a new plan and chooses what it is based on: the original plan or one already made.
class TfrmNew : public QDialog {
    Q_OBJECT
public:
    explicit TfrmNew(QWidget* parent = nullptr);

    // The open window's list of plans, offered as bases.
    void setPlanList(const QStringList& plans) { m_plans = plans; }

    void FormShow();
    void rdoOriginalClick();
    void rdoAnotherClick();
    void lstAnotherPlanClick();
    void cmdOKClick();
    void cmdCancelClick();

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void refuse(const QString& message);
    QString missingBaseMessage() const;

    QStringList m_plans;
    QString m_baseName; // the plan clicked in the list, the base with "Another Plan"
    bool m_mayClose = true;
    QLineEdit* txtNewPlanName;
    QRadioButton* rdoOriginal;
    QRadioButton* rdoAnother;
    QLabel* Label2;
    QListWidget* lstAnotherPlan;
};
