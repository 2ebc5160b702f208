#pragma once

#include <QDialog>

// Reminds the user which company details a plan cannot do without.
class Tfrmopennag : public QDialog {
    Q_OBJECT
public:
    explicit Tfrmopennag(QWidget* parent = nullptr);
};
