#include "ui/chart/value_axis.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>

#include "ui/chart/chart_data.h"
#include "ui/chart/chart_style.h"

namespace {

constexpr double kLargest = std::numeric_limits<double>::max();
// Where the step is below the spacing of doubles near a value, adding it
// leaves the value as it was: a loaded file's values may ask for any count,
// so it is bounded before it becomes an integer.
constexpr int kMostTicks = 100;

// Ticks printed as %g prints them, so 0.1 is not 0.1000000000000001, and
// the tick stepped to from -0.3 by 0.1 reads 0, not 5.55112e-17.
QString TickText(double value, double step) {
  if (std::abs(value) < step * 1e-6) value = 0;
  return QString::number(value, 'g', 6);
}

}  // namespace

double ValueScale::Tick(int i) const { return std::min(low + i * step, high); }

ValueScale NiceScale(double low, double high, ValueMargin margin) {
  if (margin == ValueMargin::twentieth) {
    // Twentieths before the difference, so that values of either sign near
    // the largest double still give a finite scale.
    const double pad = high > low ? high / 20 - low / 20 : std::max(1.0, std::abs(high) * 0.1);
    low = std::max(low - pad, -kLargest);
    high = std::min(high + pad, kLargest);
  } else if (!(high > low)) {
    const double spread = low != 0 ? std::abs(low) * 0.1 : 1;
    low = std::max(low - spread, -kLargest);
    high = std::min(high + spread, kLargest);
  }
  // Fifths before the difference, for the same reason.
  const double rough = high / 5 - low / 5;
  if (!(rough >= std::numeric_limits<double>::min())) return {-1, 1, 0.5, 5};  // below normal doubles
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  const double fraction = rough / power;
  const double step = (fraction < 1.5 ? 1 : fraction < 3 ? 2 : fraction < 7 ? 5 : 10) * power;
  ValueScale scale{std::max(std::floor(low / step) * step, -kLargest),
                   std::min(std::ceil(high / step) * step, kLargest), step, 0};
  const double intervals = std::round(scale.high / step - scale.low / step);
  scale.ticks = intervals >= 0 && intervals < kMostTicks ? static_cast<int>(intervals) + 1 : 0;
  return scale;
}

ValueScale ChartScale(const ChartData& data) {
  if (data.empty()) return NiceScale(0, 1, ValueMargin::none);
  return NiceScale(data.Lowest(), data.Highest(),
                   data.kind == ChartKind::mean ? ValueMargin::twentieth : ValueMargin::none);
}

double ChartAxes::YOf(double value) const {
  // In halves, exact for all but the smallest doubles, so that no difference
  // overflows.
  const double span = std::max(plot.height() - 2 * kValueInset, 1.0);
  return plot.bottom() - kValueInset -
         (value / 2 - scale.low / 2) / (scale.high / 2 - scale.low / 2) * span;
}

double ChartAxes::XOf(double position) const {
  return plot.left() + (position + 0.5) * categoryWidth;
}

ChartAxes LayOutAxes(const QRectF& area, double top, const ChartData& data,
                     const ValueScale& scale, const QFont& labelFont) {
  const QFontMetricsF labelMetrics(labelFont);
  const double lineHeight = labelMetrics.height();
  ChartAxes axes;
  axes.scale = scale;
  for (int tick = 0; tick < scale.ticks; ++tick) {
    axes.labelWidth =
        std::max(axes.labelWidth, labelMetrics.horizontalAdvance(TickText(scale.Tick(tick), scale.step)));
  }
  const double left = area.left() + lineHeight + 8 + axes.labelWidth + 6;
  const double right = area.right() - 12;
  const int count = static_cast<int>(data.categories.size());
  axes.categoryWidth = (right - left) / std::max(count, 1);
  // Labels that do not fit side by side stand on end.
  axes.onEnd = AxisLabelsCrowded(data.categories, labelFont, right - left);
  for (const QString& label : data.categories) {
    axes.widest = std::max(axes.widest, labelMetrics.horizontalAdvance(label));
  }
  const double labelsHeight = (axes.onEnd ? axes.widest : lineHeight) + 8;
  axes.plot = QRectF(left, top, right - left, area.bottom() - labelsHeight - top);
  return axes;
}

void DrawAxes(QPainter& painter, const QRectF& area, const ChartAxes& axes, const ChartData& data) {
  const double lineHeight = QFontMetricsF(painter.font()).height();
  const QRectF& plot = axes.plot;
  const ValueScale& scale = axes.scale;
  const int count = static_cast<int>(data.categories.size());
  if (count > data.bandCount) {
    painter.fillRect(QRectF(plot.left() + data.bandCount * axes.categoryWidth, plot.top(),
                            (count - data.bandCount) * axes.categoryWidth, plot.height()),
                     SummaryShade());
  }
  painter.setPen(QPen(QColor(0xD0, 0xD0, 0xD0), 1));
  for (int tick = 0; tick < scale.ticks; ++tick) {
    const double y = axes.YOf(scale.Tick(tick));
    painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
  }
  for (int i = 1; i < count; ++i) {
    const double edge = plot.left() + i * axes.categoryWidth;
    painter.drawLine(QPointF(edge, plot.top()), QPointF(edge, plot.bottom()));
  }
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(plot);

  for (int tick = 0; tick < scale.ticks; ++tick) {
    const double v = scale.Tick(tick);
    painter.drawText(QRectF(plot.left() - 6 - axes.labelWidth, axes.YOf(v) - lineHeight / 2,
                            axes.labelWidth, lineHeight),
                     Qt::AlignRight | Qt::AlignVCenter, TickText(v, scale.step));
  }
  painter.save();
  painter.translate(area.left() + 4, plot.center().y());
  painter.rotate(-90);
  painter.drawText(QRectF(-plot.height() / 2, 0, plot.height(), lineHeight), Qt::AlignCenter,
                   data.valueTitle);
  painter.restore();

  for (int i = 0; i < count; ++i) {
    const QString& label = data.categories[i];
    if (axes.onEnd) {
      painter.save();
      painter.translate(axes.XOf(i) - lineHeight / 2, plot.bottom() + 4);
      painter.rotate(-90);
      painter.drawText(QRectF(-axes.widest, 0, axes.widest, lineHeight),
                       Qt::AlignRight | Qt::AlignVCenter, label);
      painter.restore();
    } else {
      painter.drawText(QRectF(axes.XOf(i) - axes.categoryWidth / 2, plot.bottom() + 4,
                              axes.categoryWidth, lineHeight),
                       Qt::AlignHCenter | Qt::AlignTop, label);
    }
  }
}
