#pragma once

#include <QImage>

class ChartFigure;

// Draws a figure off screen at print resolution: an image of the figure's size in inches
// at `dpi` dots an inch, white behind, carrying that resolution so that it prints at the
// figure's size. Needs the application object (charts are graphics widgets), not a window.
QImage renderFigure(const ChartFigure& figure, int dpi = 300);
