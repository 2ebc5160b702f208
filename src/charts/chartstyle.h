#pragma once

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QPen>

// The look every chart shares. Charts are laid out at 96 units an inch and drawn at print
// resolution, so sizes here are those units. Colours are the Okabe-Ito set, which readers
// with the common colour-vision deficiencies tell apart; each fill also carries a pattern
// of its own, so that the bars still differ when the plan is printed in grey.
namespace ChartStyle {

constexpr double UnitsPerInch = 96.0;

// Text sizes in points.
constexpr double TitleSize = 12;
constexpr double QuarterTitleSize = 10.5;
constexpr double AxisTitleSize = 9;
constexpr double AxisLabelSize = 8.5;
constexpr double LegendSize = 8.5;
constexpr double NoteSize = 8;

// Styles of the four sides of the SWOT summary, kept for the same sides in other charts.
constexpr int StrengthStyle = 0;
constexpr int ThreatStyle = 1;
constexpr int OpportunityStyle = 2;
constexpr int WeaknessStyle = 4;

QFont font(double points, bool bold = false);
QColor ink();       // text, axes and outlines
QColor gridGrey();  // grid lines
// The n-th colour and its fill (colour with its pattern); they repeat after seven.
QColor colour(int style);
QBrush fill(int style);
QPen outline();

} // namespace ChartStyle
