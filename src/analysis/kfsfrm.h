#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// Asks for the name of a new factor. The caller sets the caption and the label above the
// name before each showing; the name comes back in Edit1, exactly as typed.
class Tfrmkfsname : public QDialog {
    Q_OBJECT
public:
    explicit Tfrmkfsname(QWidget* parent = nullptr);

    // Shows the window with this caption and label; returns mrOk or mrCancel.
    int ask(const QString& caption, const QString& label);
    QString name() const;

    void Button1Click();
    void Button2Click();

    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* Button1;
    QPushButton* Button2;

protected:
    void showEvent(QShowEvent* e) override;
};

extern Tfrmkfsname* frmkfsname;
