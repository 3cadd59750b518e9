// The look shared by the charts: colours per sex, fonts, the spread of the
// sexes within an axis category, and when the axis labels must slant.
#pragma once

#include <QColor>
#include <QFont>
#include <QPen>
#include <QStringList>

#include "engine/statistics/age_group_scheme.h"

QColor SexColour(kelvara::SexCondition sex);
// A lighter shade of the sex's colour, for the boxes' fill.
QColor SexFill(kelvara::SexCondition sex);
// A stronger shade of the sex's colour, for the boxes of the usual intake
// drawn beside the one-day values.
QColor UsualIntakeFill(kelvara::SexCondition sex);
// The background of the summary categories.
QColor SummaryShade();

// The dietary reference values, apart from the sexes' blue and red and
// from each other by shape as well as colour, so that they read in grey
// print and for colour-blind readers: the EAR a green bar, the UL a black
// bar with its ends turned down (a ceiling), the DG dashed in the colour of
// its sex (grey in the legend).
QPen EarPen();
QPen UlPen();
QPen GoalPen(kelvara::SexCondition sex);
// How far the UL's ends turn down, in logical pixels.
constexpr double kUlEndDrop = 4;

// The window's font at a size in pixels. Pixel sizes scale with the painter
// alone, so a chart looks the same on screen, in a 300 dpi image, in a PDF
// file and on a printer.
QFont ChartFont(const QFont& windowFont, int pixelSize, bool bold = false);

constexpr int kTitlePixels = 16;
constexpr int kLabelPixels = 12;

// Where series `index` of `count` stands within a category one unit wide.
double SexOffset(int index, int count);
// The width of one series' mark within a category.
double SexSlotWidth(int count);

// Whether the labels, set side by side under an axis this wide, would run
// into each other upright.
bool AxisLabelsCrowded(const QStringList& labels, const QFont& font, double axisWidth);
