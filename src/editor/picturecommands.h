#pragma once

#include <QDialog>
#include <QSizeF>
#include <QString>

class QCheckBox;
class QDoubleSpinBox;
class QPushButton;
class QWidget;
class TextControl;

// Format > Picture...: the size a picture is shown at, in centimetres, its proportions kept
// unless the user unticks them.
class TdlgPicture : public QDialog {
    Q_OBJECT

public:
    explicit TdlgPicture(QWidget* parent = nullptr);
    // Shows `size` (points) and remembers its proportions.
    void setPictureSize(QSizeF points);
    QSizeF pictureSize() const; // points

    QDoubleSpinBox* spnWidth;
    QDoubleSpinBox* spnHeight;
    QCheckBox* chkKeepProportions;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

private:
    void widthChanged();
    void heightChanged();
    double m_aspect = 1; // width / height
    bool m_updating = false;
};

// The commands for pictures in the plan text. Each reports a failure in the program's
// words and returns whether it changed the text.
namespace PictureCommands {

// Insert > Picture...: asks for a PNG or JPEG file and puts it at the caret.
bool insertPicture(TextControl* atx, QWidget* parent);
// The picture in `fileName` at the caret, at its natural size made to fit the text.
bool insertPictureFile(TextControl* atx, const QString& fileName);
// Format > Picture...: the size dialog for the picture selected, or the one just after or
// before the caret; nothing without one.
bool formatPicture(TextControl* atx, TdlgPicture* dialog);
// The picture Format > Picture... works on: its position, or -1.
int pictureAtCaret(TextControl* atx);
// Messages the control has about pictures (an image pasted that is too large) are shown.
void attach(TextControl* atx);

} // namespace PictureCommands
