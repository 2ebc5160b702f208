#pragma once

#include <QString>

class ChartFigure;
class TextControl;

// Puts a chart into the plan text where an analysis table goes, two lines below the caret:
// drawn at print resolution, in a paragraph of its own before the paragraph found there,
// no wider than the text and no taller than a page. One undo takes it out again. False,
// with the reason in `error`, when the text cannot take it (nothing is changed then).
bool insertChart(TextControl& text, const ChartFigure& figure, QString* error = nullptr);
