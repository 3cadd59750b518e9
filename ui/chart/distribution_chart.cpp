#include "ui/chart/distribution_chart.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include "ui/chart/chart_heading.h"
#include "ui/chart/chart_style.h"
#include "ui/chart/reference_drawing.h"
#include "ui/chart/value_axis.h"

void PaintDistributionChart(QPainter& painter, const QRectF& area, const ChartData& data,
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

  // The legend on one line.

  painter.setFont(labelFont);
  struct LegendEntry {
    QString text;
    QColor border;
    QColor fill;
  };
  std::vector<LegendEntry> legend;
  for (const ChartSeriesData& series : data.series) {
    legend.push_back({series.name, SexColour(series.sex),
                      series.usual ? UsualIntakeFill(series.sex) : SexFill(series.sex)});
  }
  if (data.categories.size() > data.bandCount) {
    legend.push_back({QStringLiteral("集計区分"), SummaryShade(), SummaryShade()});
  }
  const double swatch = lineHeight * 0.8;
  double legendWidth = 0;
  for (const LegendEntry& entry : legend) {
    legendWidth += swatch + 4 + labelMetrics.horizontalAdvance(entry.text) + 16;
  }
  double x = area.center().x() - legendWidth / 2;
  for (const LegendEntry& entry : legend) {
    painter.setPen(QPen(entry.border, 1.5));
    painter.setBrush(entry.fill);
    painter.drawRect(QRectF(x, top + (lineHeight - swatch) / 2, swatch, swatch));
    painter.setPen(Qt::black);
    const double textWidth = labelMetrics.horizontalAdvance(entry.text);
    painter.drawText(QRectF(x + swatch + 4, top, textWidth + 2, lineHeight), Qt::AlignVCenter,
                     entry.text);
    x += swatch + 4 + textWidth + 16;
  }
  top += lineHeight;
  // The reference values' kinds, on a line of their own when drawn.
  if (const double height = DrawReferenceLegend(painter, area, top + 4, data); height > 0) {
    top += 4 + height;
  }
  top += 10;

  // The plot: value labels and the axis title on the left, age labels below.
  const ChartAxes axes = LayOutAxes(area, top, data, ChartScale(data), labelFont);
  auto yOf = [&](double value) { return axes.YOf(value); };
  auto xOf = [&](double position) { return axes.XOf(position); };
  DrawAxes(painter, area, axes, data);

  // The boxes.
  painter.setClipRect(axes.plot);
  const int sexes = static_cast<int>(data.series.size());
  const double boxWidth = SexSlotWidth(sexes) * axes.categoryWidth * 0.7;
  BeyondAxisMarks beyond(axes);
  for (int s = 0; s < sexes; ++s) {
    const ChartSeriesData& series = data.series[static_cast<size_t>(s)];
    const QColor colour = SexColour(series.sex);
    for (const auto* marks : {&series.bands, &series.summaries}) {
      for (const ChartMark& mark : *marks) {
        const double centre = xOf(mark.position + SexOffset(s, sexes));
        const double cap = boxWidth * 0.25;
        painter.setPen(QPen(colour, 1.2));
        painter.drawLine(QPointF(centre, yOf(mark.p5)), QPointF(centre, yOf(mark.p95)));
        painter.drawLine(QPointF(centre - cap, yOf(mark.p5)), QPointF(centre + cap, yOf(mark.p5)));
        painter.drawLine(QPointF(centre - cap, yOf(mark.p95)),
                         QPointF(centre + cap, yOf(mark.p95)));
        painter.setBrush(series.usual ? UsualIntakeFill(series.sex) : SexFill(series.sex));
        painter.drawRect(QRectF(QPointF(centre - boxWidth / 2, yOf(mark.p75)),
                                QPointF(centre + boxWidth / 2, yOf(mark.p25))));
        painter.setPen(QPen(colour.darker(130), 2.5, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(QPointF(centre - boxWidth / 2, yOf(mark.median)),
                         QPointF(centre + boxWidth / 2, yOf(mark.median)));
        // The EAR and UL reach past the box's sides, apart from its median.
        DrawReferenceMarks(painter, axes, mark, centre, boxWidth * 0.6, beyond);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x20, 0x20, 0x20));
        painter.drawEllipse(QPointF(centre, yOf(mark.mean)), 3, 3);
      }
    }
  }
  // The DG over the boxes, so that where each box lies against it shows;
  // the usual intakes' groups have the same DG as their one-day values.
  for (int s = 0; s < sexes; ++s) {
    const ChartSeriesData& series = data.series[static_cast<size_t>(s)];
    if (!series.usual) DrawGoalLines(painter, axes, series, SexOffset(s, sexes), beyond);
  }
  beyond.Draw(painter);
  painter.restore();
}
