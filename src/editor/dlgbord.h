#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

// "Table border": four pictures of the border styles. Clicking one (or its frame) lowers
// that frame, raises the others and keeps the style's number in Tag, which lives as long
// as the window does (0 at first).
class Tdlgborder : public QDialog {
    Q_OBJECT
public:
    explicit Tdlgborder(QWidget* parent = nullptr);
    // Shows the window modally, centred; 1 for OK, 2 for Cancel.
    int execute();

    // Clears every frame's bevel and lowers the one of the given style (0 to 3).
    void setBevel(int border);
    // The style whose frame is lowered, -1 when none is.
    int bevelled() const;
    // What clicking the picture of a style does.
    void pictureClick(int border);

    int Tag = 0;

    // In the order shown: none, all, outline, thick outline.
    QFrame* pnlNone;
    QFrame* pnlAll;
    QFrame* pnlOutline;
    QFrame* pnlThick;
    QLabel* imgNone;
    QLabel* imgAll;
    QLabel* imgOutline;
    QLabel* imgThick;
    QLabel* lblNone;
    QLabel* lblAll;
    QLabel* lblOutline;
    QLabel* lblThick;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

    // The frame standing for a border style.
    QFrame* frameFor(int border) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
