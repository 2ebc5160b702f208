#pragma once

#include "plans/catalogue.h"
#include "plans/plansession.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class TfrmNew;
class Tfrmopennag;

// The open-a-plan window: the plan list, new and delete, and the plan's company details.
class Tfrmopen : public QDialog {
    Q_OBJECT
public:
    explicit Tfrmopen(QWidget* parent = nullptr);
    // The new-plan window and the required-details reminder this window opens.
    void setWindows(TfrmNew* newWindow, Tfrmopennag* nagWindow);

    // The calendar that fills the "Plan Date:" edit (set by the main window).
    std::function<void(QLineEdit*)> openCalendar;

    QStringList planList() const;
    // The text of one of the detail edits, by component name (the Options window pre-fills
    // keytexts from the products and competitors).
    QString fieldText(const QString& editName) const;
    // Texts that pre-fill the Options window's empty keytexts: product / service lines 1
    // to 5 and competitors A, B, C, in that order.
    QStringList keytextSources() const;
    QString companyName() const;
    QString sbuName() const;

    void FormShow();
    void cmbfilenameChange();
    void NewbtnClick();
    void Button5Click();
    void Button3Click();
    void Button4Click();

    // Settings-file section holding the user's own details, which pre-fill a new plan.
    static const char* userDetailsSection() { return "User"; }

protected:
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    QWidget* buildCompanyPage();
    QWidget* buildProductPage();
    QLineEdit* addEdit(const QString& name);
    void emptyFields();
    void reloadList();
    void showDetails(const CompanyDetails& d);
    CompanyDetails detailsFromFields() const;
    void prefillFromUser();
    void rememberUser(const CompanyDetails& d);
    void selectEntry(int index);
    void discardPendingPlan();
    // Lists the plans a package added and selects the first.
    void showImported(const QStringList& added);

    TfrmNew* m_new = nullptr;
    Tfrmopennag* m_nag = nullptr;
    bool m_confirmPlanDelete = true;
    bool m_mayClose = true;
    QTabWidget* m_notebook = nullptr;
    QComboBox* cmbfilename = nullptr;
    QPushButton* Newbtn = nullptr;
    QPushButton* Button5 = nullptr;
    QPushButton* Button3 = nullptr;
};
