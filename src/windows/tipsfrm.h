#pragma once

#include <QDialog>

class QCheckBox;
class QPushButton;

// The editing tips sheet shown at start-up until the user switches it off.
class TfrmTips : public QDialog {
    Q_OBJECT
public:
    explicit TfrmTips(QWidget* parent = nullptr);

    QCheckBox* chkDontShow = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdHelp = nullptr;

    void cmdOkClick();
    void cmdHelpClick();

    // Whether start-up shows the tips ("tips" in section "bps", 1 unless switched off).
    static bool TipsWanted();

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

extern TfrmTips* frmTips;
