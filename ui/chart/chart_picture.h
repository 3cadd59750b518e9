// A whole chart picture, the chart with its note beneath, as it is saved and
// printed.
#pragma once

#include <QRectF>
#include <QSizeF>

class QFont;
class QPainter;
struct ChartData;

// A saved chart's size in logical pixels (1/96 inch): 10 by 6.25 inches.
inline constexpr QSizeF kChartPictureSize(960, 600);

// Draws the chart of `data` and its note into `area`, in logical pixels; the
// painter's transform takes them to the device's resolution.
void PaintChartPicture(QPainter& painter, const QRectF& area, const ChartData& data,
                       const QFont& windowFont);
