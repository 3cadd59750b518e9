#include "ui/chart/mean_chart.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <limits>

#include "ui/chart/chart_style.h"

namespace {

// Half the width of an error bar's caps, in categories.
constexpr double kCapHalfWidth = 0.06;
constexpr double kDotRadius = 4;
constexpr double kSquareSide = 9;

// Value-axis ticks at 1, 2 or 5 times a power of ten, about five of them,
// spanning the values with a twentieth of their range to spare either side.
struct ValueScale {
  double low = 0;
  double step = 1;
  int steps = 1;
  double high() const { return low + steps * step; }
  double Tick(int i) const { return low + i * step; }
};

ValueScale NiceScale(double low, double high) {
  constexpr double kLargest = std::numeric_limits<double>::max();
  // Twentieths and fifths before the difference, so that values of either
  // sign near the largest double still give a finite scale.
  const double pad =
      high > low ? high / 20 - low / 20 : std::max(1.0, std::abs(high) * 0.1);
  low = std::max(low - pad, -kLargest);
  high = std::min(high + pad, kLargest);
  const double rough = high / 5 - low / 5;
  if (!(rough >= std::numeric_limits<double>::min())) return {-1, 0.5, 4};
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  const double fraction = rough / power;
  const double step = (fraction < 1.5 ? 1 : fraction < 3 ? 2 : fraction < 7 ? 5 : 10) * power;
  const double first = std::floor(low / step);
  // Counted in whole steps, so that the last tick is not lost to rounding;
  // a loaded file's values may leave the count anything, so it is bounded
  // before it becomes an integer.
  const double steps = std::ceil(high / step) - first;
  return {first * step, step, steps >= 1 && steps <= 100 ? static_cast<int>(steps) : 1};
}

// Ticks printed as %g prints them, so 0.1 is not 0.1000000000000001.
QString TickText(double value) {
  if (std::abs(value) < 1e-12) value = 0;
  return QString::number(value, 'g', 6);
}

QPen SolidPen(const QColor& colour, double width) {
  QPen pen(colour, width);
  pen.setCapStyle(Qt::FlatCap);
  return pen;
}

void DrawOpenSquare(QPainter& painter, const QPointF& centre, const QColor& colour) {
  painter.setPen(SolidPen(colour, 2));
  painter.setBrush(Qt::white);
  painter.drawRect(QRectF(centre.x() - kSquareSide / 2, centre.y() - kSquareSide / 2,
                          kSquareSide, kSquareSide));
}

}  // namespace

void PaintMeanChart(QPainter& painter, const QRectF& area, const ChartData& data,
                    const QFont& windowFont) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(area, Qt::white);
  const QFont titleFont = ChartFont(windowFont, kTitlePixels, true);
  const QFont labelFont = ChartFont(windowFont, kLabelPixels);
  const QFontMetricsF titleMetrics(titleFont);
  const QFontMetricsF labelMetrics(labelFont);
  const double lineHeight = labelMetrics.height();

  // Title, then the legend on one line: a line with its dot per sex, and the
  // shade of the summaries.
  double top = area.top() + 6;
  painter.setFont(titleFont);
  painter.setPen(Qt::black);
  painter.drawText(QRectF(area.left(), top, area.width(), titleMetrics.height()), Qt::AlignCenter,
                   data.title);
  top += titleMetrics.height() + 6;
  if (data.categories.isEmpty()) {
    painter.restore();
    return;
  }

  painter.setFont(labelFont);
  const int count = static_cast<int>(data.categories.size());
  const bool summariesShown = count > data.bandCount;
  const double sample = lineHeight * 1.6;  // a legend entry's line
  double legendWidth = 0;
  for (const ChartSeriesData& series : data.series) {
    legendWidth += sample + 4 + labelMetrics.horizontalAdvance(series.name) + 16;
  }
  const QString summaryName = QStringLiteral("集計区分");
  const double swatch = lineHeight * 0.8;
  if (summariesShown) legendWidth += swatch + 4 + labelMetrics.horizontalAdvance(summaryName);
  double x = area.center().x() - legendWidth / 2;
  const double legendMiddle = top + lineHeight / 2;
  for (const ChartSeriesData& series : data.series) {
    const QColor colour = SexColour(series.sex);
    painter.setPen(SolidPen(colour, 2));
    painter.drawLine(QPointF(x, legendMiddle), QPointF(x + sample, legendMiddle));
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(QPointF(x + sample / 2, legendMiddle), kDotRadius, kDotRadius);
    painter.setPen(Qt::black);
    const double textWidth = labelMetrics.horizontalAdvance(series.name);
    painter.drawText(QRectF(x + sample + 4, top, textWidth + 2, lineHeight), Qt::AlignVCenter,
                     series.name);
    x += sample + 4 + textWidth + 16;
  }
  if (summariesShown) {
    painter.setPen(QPen(SummaryShade().darker(130), 1));
    painter.setBrush(SummaryShade());
    painter.drawRect(QRectF(x, top + (lineHeight - swatch) / 2, swatch, swatch));
    painter.setPen(Qt::black);
    painter.drawText(QRectF(x + swatch + 4, top, labelMetrics.horizontalAdvance(summaryName) + 2,
                            lineHeight),
                     Qt::AlignVCenter, summaryName);
  }
  top += lineHeight + 10;

  // The plot: value labels and the axis title on the left, age labels below,
  // upright when they fit side by side, else on end.
  const ValueScale scale = NiceScale(data.empty() ? 0 : data.Lowest(),
                                     data.empty() ? 1 : data.Highest());
  double labelWidth = 0;
  for (int i = 0; i <= scale.steps; ++i) {
    labelWidth = std::max(labelWidth, labelMetrics.horizontalAdvance(TickText(scale.Tick(i))));
  }
  const double left = area.left() + lineHeight + 8 + labelWidth + 6;
  const double right = area.right() - 12;
  const double categoryWidth = (right - left) / count;
  const bool onEnd = AxisLabelsCrowded(data.categories, labelFont, right - left);
  double widest = 0;
  for (const QString& label : data.categories) {
    widest = std::max(widest, labelMetrics.horizontalAdvance(label));
  }
  const double labelsHeight = (onEnd ? widest : lineHeight) + 8;
  const QRectF plot(left, top, right - left, area.bottom() - labelsHeight - top);
  auto yOf = [&](double value) {
    return plot.bottom() - (value - scale.low) / (scale.high() - scale.low) * plot.height();
  };
  auto xOf = [&](double position) { return plot.left() + (position + 0.5) * categoryWidth; };

  if (summariesShown) {
    painter.fillRect(QRectF(plot.left() + data.bandCount * categoryWidth, plot.top(),
                            (count - data.bandCount) * categoryWidth, plot.height()),
                     SummaryShade());
  }
  painter.setPen(QPen(QColor(0xD0, 0xD0, 0xD0), 1));
  for (int i = 0; i <= scale.steps; ++i) {
    const double y = yOf(scale.Tick(i));
    painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
  }
  for (int i = 1; i < count; ++i) {
    const double edge = plot.left() + i * categoryWidth;
    painter.drawLine(QPointF(edge, plot.top()), QPointF(edge, plot.bottom()));
  }
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(plot);

  for (int i = 0; i <= scale.steps; ++i) {
    painter.drawText(QRectF(plot.left() - 6 - labelWidth, yOf(scale.Tick(i)) - lineHeight / 2,
                            labelWidth, lineHeight),
                     Qt::AlignRight | Qt::AlignVCenter, TickText(scale.Tick(i)));
  }
  painter.save();
  painter.translate(area.left() + 4, plot.center().y());
  painter.rotate(-90);
  painter.drawText(QRectF(-plot.height() / 2, 0, plot.height(), lineHeight), Qt::AlignCenter,
                   data.valueTitle);
  painter.restore();

  for (int i = 0; i < count; ++i) {
    const QString& label = data.categories[i];
    if (onEnd) {
      painter.save();
      painter.translate(xOf(i) - lineHeight / 2, plot.bottom() + 4);
      painter.rotate(-90);
      painter.drawText(QRectF(-widest, 0, widest, lineHeight), Qt::AlignRight | Qt::AlignVCenter,
                       label);
      painter.restore();
    } else {
      painter.drawText(QRectF(xOf(i) - categoryWidth / 2, plot.bottom() + 4, categoryWidth,
                              lineHeight),
                       Qt::AlignHCenter | Qt::AlignTop, label);
    }
  }

  // The marks: error bars first, so that the means are drawn over them.
  painter.setClipRect(plot);
  const int sexes = static_cast<int>(data.series.size());
  const double cap = kCapHalfWidth * categoryWidth;
  for (int s = 0; s < sexes; ++s) {
    const ChartSeriesData& series = data.series[static_cast<size_t>(s)];
    const QColor colour = SexColour(series.sex);
    const double offset = SexOffset(s, sexes);
    painter.setPen(SolidPen(colour, 1.5));
    for (const auto* marks : {&series.bands, &series.summaries}) {
      for (const ChartMark& mark : *marks) {
        const double centre = xOf(mark.position + offset);
        const double low = yOf(mark.low);
        const double high = yOf(mark.high);
        painter.drawLine(QPointF(centre, low), QPointF(centre, high));
        painter.drawLine(QPointF(centre - cap, low), QPointF(centre + cap, low));
        painter.drawLine(QPointF(centre - cap, high), QPointF(centre + cap, high));
      }
    }

    // The line joins neighbouring age bands only: a band left out breaks it.
    painter.setPen(SolidPen(colour, 2));
    painter.setBrush(Qt::NoBrush);
    QPainterPath line;
    int previous = -2;
    for (const ChartMark& mark : series.bands) {
      const QPointF point(xOf(mark.position + offset), yOf(mark.mean));
      if (mark.position == previous + 1) {
        line.lineTo(point);
      } else {
        line.moveTo(point);
      }
      previous = mark.position;
    }
    painter.drawPath(line);

    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    for (const ChartMark& mark : series.bands) {
      painter.drawEllipse(QPointF(xOf(mark.position + offset), yOf(mark.mean)), kDotRadius,
                          kDotRadius);
    }
    // Summaries: open squares, on their own.
    for (const ChartMark& mark : series.summaries) {
      DrawOpenSquare(painter, QPointF(xOf(mark.position + offset), yOf(mark.mean)), colour);
    }
  }
  painter.restore();
}

MeanChartView::MeanChartView(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(true);
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);
}

void MeanChartView::SetData(const ChartData& data) {
  data_ = data;
  update();
}

void MeanChartView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintMeanChart(painter, QRectF(rect()), data_, font());
}
