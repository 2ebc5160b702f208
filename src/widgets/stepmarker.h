#pragma once

#include <QWidget>

// A numbered step of a window's instructions: a navy disc with a white digit.
class StepMarker : public QWidget {
    Q_OBJECT
public:
    StepMarker(int number, QWidget* parent = nullptr);
    int number() const { return m_number; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    int m_number;
};
