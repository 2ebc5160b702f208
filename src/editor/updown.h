#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// A pair of arrow buttons stepping a whole number between a least and a greatest value.
// A step that would leave that range is ignored. With a buddy edit the step starts from
// the number the edit shows (or from Position when it shows none) and writes the result
// back into it.
class UpDown : public QWidget {
    Q_OBJECT
public:
    explicit UpDown(QWidget* parent = nullptr);

    int Min() const { return m_min; }
    int Max() const { return m_max; }
    int Increment() const { return m_increment; }
    int Position() const { return m_position; }
    void setRange(int min, int max);
    void setIncrement(int increment);
    // Kept within the range.
    void setPosition(int position);
    void setBuddy(QLineEdit* edit) { m_buddy = edit; }

    // The same as clicking an arrow.
    void stepUp() { step(+1); }
    void stepDown() { step(-1); }

    QToolButton* btnUp;
    QToolButton* btnDown;

signals:
    // After each click, whether or not the position changed.
    void Click(bool up);

private:
    void step(int direction);

    int m_min = 0;
    int m_max = 100;
    int m_increment = 1;
    int m_position = 0;
    QLineEdit* m_buddy = nullptr;
};
