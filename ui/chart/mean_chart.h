// The mean chart drawn with Qt Charts: the weighted mean per age band, one
// line per sex, error bars on every mean, and the summary groups as open
// marks in a shaded part of the axis, not joined to the line.
#pragma once

class QChart;
class QFont;
struct ChartData;

// A new chart for `data` (the caller owns it), its texts in the window's
// font. `width` is the width it will be drawn at, which decides whether the
// age labels slant.
QChart* BuildMeanChart(const ChartData& data, const QFont& windowFont, double width);

// Slants the age labels of a chart built above as its new width requires.
void FitAgeLabels(QChart* chart, const QFont& windowFont, double width);
