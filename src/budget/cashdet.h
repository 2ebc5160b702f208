#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QPushButton;

// How the budget's two set-up cells read and are written: C1 holds the first month as
// "01/<month>/<year>" and A2 the period as "Period - Monthly" or "Period - Quarterly".
namespace BudgetDetails {

constexpr int kFirstYear = 1997;
// The year list runs this many years past the current one.
constexpr int kYearsAhead = 10;

struct Start {
    bool valid = false;
    int month = 1; // 1..12
    int year = 0;
};

// Reads C1 as a day/month/year date ("01/4/1998", "15/7/1999", "1 Apr 1998"); the day
// is of no account. Anything else is not valid.
Start decodeStart(const QString& text);
// "01/" + month without a leading zero + "/" + four-digit year.
QString startText(int month, int year);
// "Period - " + the period's name.
QString periodText(const QString& period);
bool isQuarterly(const QString& periodText);

// The years offered: from 1997 to ten years after `currentYear`, with `storedYear` added
// in its place when it lies outside them (0 adds nothing).
QStringList yearItems(int currentYear, int storedYear);

} // namespace BudgetDetails

// "Modify Budget Details": the budget's first month and year and whether it is projected
// by the month or by the quarter. It edits BudgetStartText and BudgetPeriodText only; the
// caller reads them from the sheet before and writes them back after.
class TfrmCashdet : public QDialog {
    Q_OBJECT
public:
    explicit TfrmCashdet(QWidget* parent = nullptr);

    static constexpr int kHelpContext = 37;

    // In: the texts of C1 and A2. Out: the chosen ones after "Ok", unchanged otherwise.
    QString BudgetStartText;
    QString BudgetPeriodText;

    void FormShow();
    void cmdOKClick();
    void cmdCancelClick();
    void cmdHelpClick();

    QComboBox* ComboBox1; // start month
    QComboBox* ComboBox3; // start year
    QComboBox* ComboBox2; // projection period
    QPushButton* Button1;
    QPushButton* cmdCancel;
    QPushButton* cmdHelp;

protected:
    void showEvent(QShowEvent* event) override;
};
extern TfrmCashdet* frmCashdet;
