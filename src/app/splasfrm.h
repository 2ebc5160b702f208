#pragma once

#include <QWidget>

// The window shown while the program starts: a picture with the program's name.
class TfrmSplash : public QWidget {
    Q_OBJECT
public:
    explicit TfrmSplash(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
