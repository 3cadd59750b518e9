// The mean chart, drawn with QPainter: the weighted mean per age band, one
// line per sex, error bars on every mean, and the summary groups as open
// marks in a shaded part of the axis, not joined to the line. Drawn here as
// the distribution chart is, every device (screen, image, PDF, printer) gets
// the same picture.
#pragma once

#include <QRectF>

#include "ui/chart/chart_data.h"

class QFont;
class QPainter;

// Draws the chart of `data` into `area`, in logical pixels (1/96 inch).
void PaintMeanChart(QPainter& painter, const QRectF& area, const ChartData& data,
                    const QFont& windowFont);

