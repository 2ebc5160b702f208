#pragma once

#include <QWidget>

#include <array>
#include <functional>

class QToolButton;

// The small "Text Colour" window under the Colour button: sixteen colour buttons, each
// naming its colour in its hint. A click hands the colour on and hides the window; so do
// Escape and Enter (without a colour), a click elsewhere and leaving the program.
class Tfrmtextcolour : public QWidget {
    Q_OBJECT
public:
    explicit Tfrmtextcolour(QWidget* parent = nullptr);

    struct Colour {
        const char* hint;
        int red, green, blue;
    };
    // The buttons' colours in tag order (tag 1 = index 0).
    static const std::array<Colour, 16>& colours();
    // The colour as the text control's FontColor reads it: red + 256 * green + 65536 * blue.
    static int fontColor(int tag);

    // Called with the chosen FontColor value; the main window writes it to the plan text,
    // or to the budget sheet while the sheet shows.
    std::function<void(int fontColor)> onColour;

    // Shows the window without waiting, its left edge at the window's left plus the
    // button's left, its top at `toolbarsBottom` (the bottom of the visible toolbars, in
    // the coordinates of the button's window).
    void showBelow(QWidget* colourButton, int toolbarsBottom);

    // The button with the given tag (1 to 16).
    QToolButton* button(int tag) const;
    void ColourClick(int tag);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::array<QToolButton*, 16> m_buttons{};
};
