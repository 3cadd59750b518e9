#include "ui/chart/mean_chart.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "ui/chart/chart_heading.h"
#include "ui/chart/chart_style.h"
#include "ui/chart/reference_drawing.h"
#include "ui/chart/value_axis.h"

namespace {

// Half the width of an error bar's caps, in categories.
constexpr double kCapHalfWidth = 0.06;
constexpr double kDotRadius = 4;
constexpr double kSquareSide = 9;

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
  double top = PaintChartHeading(painter, area, data.title, windowFont);
  if (data.categories.isEmpty()) {
    painter.restore();
    return;
  }
  const QFont labelFont = ChartFont(windowFont, kLabelPixels);
  const QFontMetricsF labelMetrics(labelFont);
  const double lineHeight = labelMetrics.height();

  // The legend on one line: a line with its dot per sex, and the
  // shade of the summaries.

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
  top += lineHeight;
  // The reference values' kinds, on a line of their own when drawn.
  if (const double height = DrawReferenceLegend(painter, area, top + 4, data); height > 0) {
    top += 4 + height;
  }
  top += 10;

  // The plot: value labels and the axis title on the left, age labels below,
  // upright when they fit side by side, else on end.
  const ChartAxes axes = LayOutAxes(area, top, data, ChartScale(data), labelFont);
  const QRectF& plot = axes.plot;
  const double categoryWidth = axes.categoryWidth;
  auto yOf = [&](double value) { return axes.YOf(value); };
  auto xOf = [&](double position) { return axes.XOf(position); };
  DrawAxes(painter, area, axes, data);

  // The DG behind the intakes. The EAR and UL are the distribution chart's:
  // they are read against the spread of intakes, not against the mean.
  painter.setClipRect(plot);
  const int sexes = static_cast<int>(data.series.size());
  BeyondAxisMarks beyond(axes);
  for (int s = 0; s < sexes; ++s) {
    DrawGoalLines(painter, axes, data.series[static_cast<size_t>(s)], SexOffset(s, sexes), beyond);
  }

  // The marks: error bars first, so that the means are drawn over them.
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

  beyond.Draw(painter);
  painter.restore();
}
