#pragma once

#include <QIcon>
#include <QPixmap>

// The program's button pictures, drawn rather than loaded so that they stay sharp at any
// screen scale and look the same whatever desktop theme is installed.
enum class Glyph {
    Open,
    Save,
    PrintAll,
    Print,
    PrintBudget,
    Cut,
    Copy,
    Paste,
    Navigator,
    Find,
    Undo,
    Spell,
    Calendar,
    Example,
    Bold,
    Italic,
    Underline,
    Colour,
    AlignLeft,
    AlignCentre,
    AlignRight,
    Justify,
    First,
    Previous,
    Next,
    Last,
    Pointer,
};

// A 16 by 16 picture (drawn at twice the resolution for sharp scaling).
QPixmap glyphPixmap(Glyph glyph, int size = 16);
// The same as an icon, with a faded form for disabled buttons.
QIcon glyphIcon(Glyph glyph);

// The larger pictures of the splash and about windows.
QPixmap splashPicture(const QSize& size);
QPixmap aboutPicture(const QSize& size);
