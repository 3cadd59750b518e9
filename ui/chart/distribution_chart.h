// The distribution chart, drawn with QPainter: per group a whisker from P5 to
// P95, a box from P25 to P75, a line at the median and a dot at the mean, the
// sexes side by side within each age category. Qt Charts' box series has no
// mark for the mean and sets the sexes side by side at offsets it does not
// expose, so the mean could not be placed on its box; drawn here, every
// device (screen, image, PDF, printer) gets the same picture.
#pragma once

#include <QRectF>

#include "ui/chart/chart_data.h"

class QFont;
class QPainter;

// Draws the chart of `data` into `area`, in logical pixels (1/96 inch).
void PaintDistributionChart(QPainter& painter, const QRectF& area, const ChartData& data,
                            const QFont& windowFont);

