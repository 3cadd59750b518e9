// The axes the two charts share: the value scale, where the plot stands in
// its area, and the drawing of the grid, the frame, the value ticks and the
// age categories beneath.
#pragma once

#include <QFont>
#include <QRectF>

struct ChartData;
class QPainter;

// What the scale leaves beyond the values drawn: nothing, so that the
// whiskers end within ticks, or a twentieth of their range either side, so
// that error bars and points stand clear of the frame.
enum class ValueMargin { none, twentieth };

// Value-axis ticks at 1, 2 or 5 times a power of ten, about five of them.
struct ValueScale {
  double low = 0;
  double high = 1;
  double step = 1;
  int ticks = 0;  // counted, not stepped through: see NiceScale

  double Tick(int i) const;
};

ValueScale NiceScale(double low, double high, ValueMargin margin);

// A chart's value scale: over the intakes drawn, with the margin of its kind.
// Reference values do not stretch it: one beyond it is marked at the edge.
ValueScale ChartScale(const ChartData& data);

// How far the scale's ends stand inside the plot's frame, in logical pixels,
// so that no mark at an end is drawn on the frame.
constexpr double kValueInset = 6;

// The plot of a chart and what its axes need.
struct ChartAxes {
  QRectF plot;
  ValueScale scale;
  double categoryWidth = 1;
  double labelWidth = 0;  // the widest tick text
  double widest = 0;      // the widest category label
  bool onEnd = false;     // category labels set on end, not side by side

  // Where a value stands, and the centre of a category (or a point within it).
  double YOf(double value) const;
  double XOf(double position) const;
  // Whether a value lies on the scale, its ends included.
  bool OnScale(double value) const { return value >= scale.low && value <= scale.high; }
};

// The plot within `area` below `top`, with room on the left for the tick
// texts and the value title, and below for the category labels.
ChartAxes LayOutAxes(const QRectF& area, double top, const ChartData& data,
                     const ValueScale& scale, const QFont& labelFont);

// The summaries' shade, the grid, the frame, the tick texts, the value
// title and the category labels, in `labelFont` (already the painter's).
void DrawAxes(QPainter& painter, const QRectF& area, const ChartAxes& axes, const ChartData& data);
