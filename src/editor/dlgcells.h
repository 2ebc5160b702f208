#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class UpDown;

// "Cell Height and Width": the height rule of the current row and the width of the
// selected cells. The caller fills it with prepare() and reads ComboBox1, udHeight,
// chkAllRows and txtWidthCm after OK.
class Tcellsdlg : public QDialog {
    Q_OBJECT
public:
    explicit Tcellsdlg(QWidget* parent = nullptr);
    // Shows the window modally, centred; 1 for OK, 2 for Cancel.
    int execute();

    // Opening: the row number (from 0), the current cell's width and the row's height in
    // twips. `maxWidthTwips` above 0 is the widest the cells may become: OK refuses a wider
    // one with a message and keeps the window open.
    void prepare(int row, int widthTwips, int heightTwips, int maxWidthTwips = 0);
    // Whether the width was changed since the window opened: a width nobody touched is
    // left alone (the one shown is rounded).
    bool widthChanged() const;
    // The message refusing a width: "... The widest it can be is 4.2 cm."
    static QString widthRefusal(double cm, int maxWidthTwips);

    // Width in whole millimetres, rounded.
    static int widthMillimetres(int twips);
    // The millimetres shown: a last digit of 1, 3, 5 or 7 goes up by one, 9 down to 8.
    static int shownMillimetres(int millimetres);
    // Centimetres to twips, rounded.
    static int centimetresToTwips(double cm);
    // "2.4" for 24 mm.
    static QString centimetreText(int millimetres);

    QGroupBox* grpRow;
    QComboBox* ComboBox1;
    QLabel* lblAt;
    QLineEdit* txtHeight;
    UpDown* udHeight;
    QCheckBox* chkAllRows;
    QGroupBox* grpColumn;
    QLabel* lblWidth;
    QLineEdit* txtWidth;
    UpDown* udWidth;
    QLineEdit* txtWidthCm; // hidden: the width in centimetres, without unit
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

    void cmdOKClick();
    void ComboBox1Change();
    void udHeightClick();
    void udWidthClick();

private:
    QString m_openingWidth;
    int m_maxWidth = 0;
};
