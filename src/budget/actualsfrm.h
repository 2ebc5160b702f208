#pragma once

#include <QDialog>
#include <functional>

class QPushButton;
class SheetControl;
namespace Sheet {
class SheetModel;
}

// "Actual Spend": the budget's Actual Spend sheet in a window of its own, where the user
// types what was really spent and reads the variances beside the budget. The sheet
// belongs to the budget's workbook and is saved with the budget.
class TfrmActuals : public QDialog {
    Q_OBJECT
public:
    // `sheet` must outlive the window.
    explicit TfrmActuals(Sheet::SheetModel& sheet, QWidget* parent = nullptr);

    SheetControl* spread;
    QPushButton* cmdInsertChart;
    QPushButton* cmdPrint;
    QPushButton* cmdClose;

    // Puts the chart of the budget against the actual spend into the plan; the button
    // shows only when it is set.
    std::function<void()> onInsertChart;
    void setInsertChart(std::function<void()> insert);

    // Prints the sheet, the print dialog first.
    void cmdPrintClick();
};
