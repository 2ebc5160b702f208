#pragma once

#include <QWidget>

// A vertical meter that fills from the bottom to the top, without a percentage text.
class MeterGauge : public QWidget {
    Q_OBJECT
public:
    explicit MeterGauge(QWidget* parent = nullptr);

    int percent() const { return m_percent; }
    void setPercent(int percent); // kept within 0 to 100
    // The y of the fill's top edge, in the gauge's own coordinates.
    int fillTop() const;

    QSize sizeHint() const override { return {18, 84}; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QRect inner() const;
    int m_percent = 0;
};
