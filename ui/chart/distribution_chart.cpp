#include "ui/chart/distribution_chart.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <limits>

#include "ui/chart/chart_style.h"

namespace {

// Value-axis ticks at 1, 2 or 5 times a power of ten, about five of them.
struct ValueScale {
  double low = 0;
  double high = 1;
  double step = 1;
};

ValueScale NiceScale(double low, double high) {
  constexpr double kLargest = std::numeric_limits<double>::max();
  if (!(high > low)) {
    const double spread = low != 0 ? std::abs(low) * 0.1 : 1;
    low = std::max(low - spread, -kLargest);
    high = std::min(high + spread, kLargest);
  }
  // Fifths before the difference, so that values of either sign near the
  // largest double still give a finite scale.
  const double rough = high / 5 - low / 5;
  if (!(rough >= std::numeric_limits<double>::min())) return {-1, 1, 0.5};  // below normal doubles
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  const double fraction = rough / power;
  const double step = (fraction < 1.5 ? 1 : fraction < 3 ? 2 : fraction < 7 ? 5 : 10) * power;
  return {std::max(std::floor(low / step) * step, -kLargest),
          std::min(std::ceil(high / step) * step, kLargest), step};
}

// The ticks are counted, not stepped through: where the step is below the
// spacing of doubles near a value, adding it leaves the value as it was.
constexpr int kMostTicks = 100;

int TickCount(const ValueScale& scale) {
  const double intervals = std::round(scale.high / scale.step - scale.low / scale.step);
  return intervals >= 0 && intervals < kMostTicks ? static_cast<int>(intervals) + 1 : 0;
}

double Tick(const ValueScale& scale, int i) {
  return std::min(scale.low + i * scale.step, scale.high);
}

QString TickText(double value) { return QString::number(value, 'g', 6); }

}  // namespace

void PaintDistributionChart(QPainter& painter, const QRectF& area, const ChartData& data,
                            const QFont& windowFont) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(area, Qt::white);
  const QFont titleFont = ChartFont(windowFont, kTitlePixels, true);
  const QFont labelFont = ChartFont(windowFont, kLabelPixels);
  const QFontMetricsF titleMetrics(titleFont);
  const QFontMetricsF labelMetrics(labelFont);
  const double lineHeight = labelMetrics.height();

  // Title, then the legend on one line.
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
  top += lineHeight + 10;

  // The plot: value labels and the axis title on the left, age labels below.
  const ValueScale scale = NiceScale(data.empty() ? 0 : data.Lowest(),
                                     data.empty() ? 1 : data.Highest());
  const int ticks = TickCount(scale);
  double labelWidth = 0;
  for (int tick = 0; tick < ticks; ++tick) {
    const double v = Tick(scale, tick);
    labelWidth = std::max(labelWidth, labelMetrics.horizontalAdvance(TickText(v)));
  }
  const double left = area.left() + lineHeight + 8 + labelWidth + 6;
  const double right = area.right() - 12;
  const int count = static_cast<int>(data.categories.size());
  const double categoryWidth = (right - left) / count;
  const bool onEnd = AxisLabelsCrowded(data.categories, labelFont, right - left);
  double widest = 0;
  for (const QString& label : data.categories) {
    widest = std::max(widest, labelMetrics.horizontalAdvance(label));
  }
  // Labels that do not fit side by side stand on end, as in the mean chart.
  const double labelsHeight = (onEnd ? widest : lineHeight) + 8;
  const double bottom = area.bottom() - labelsHeight;
  const QRectF plot(left, top, right - left, bottom - top);
  auto yOf = [&](double value) {
    // In halves, exact for all but the smallest doubles, so that no difference
    // overflows.
    return plot.bottom() -
           (value / 2 - scale.low / 2) / (scale.high / 2 - scale.low / 2) * plot.height();
  };
  auto xOf = [&](double position) { return plot.left() + (position + 0.5) * categoryWidth; };

  if (count > data.bandCount) {
    painter.fillRect(QRectF(plot.left() + data.bandCount * categoryWidth, plot.top(),
                            (count - data.bandCount) * categoryWidth, plot.height()),
                     SummaryShade());
  }
  painter.setPen(QPen(QColor(0xD0, 0xD0, 0xD0), 1));
  for (int tick = 0; tick < ticks; ++tick) {
    const double v = Tick(scale, tick);
    painter.drawLine(QPointF(plot.left(), yOf(v)), QPointF(plot.right(), yOf(v)));
  }
  for (int i = 1; i < count; ++i) {
    const double edge = plot.left() + i * categoryWidth;
    painter.drawLine(QPointF(edge, plot.top()), QPointF(edge, plot.bottom()));
  }
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(plot);

  for (int tick = 0; tick < ticks; ++tick) {
    const double v = Tick(scale, tick);
    painter.drawText(QRectF(plot.left() - 6 - labelWidth, yOf(v) - lineHeight / 2, labelWidth,
                            lineHeight),
                     Qt::AlignRight | Qt::AlignVCenter, TickText(v));
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

  // The boxes.
  painter.setClipRect(plot);
  const int sexes = static_cast<int>(data.series.size());
  const double boxWidth = SexSlotWidth(sexes) * categoryWidth * 0.7;
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
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x20, 0x20, 0x20));
        painter.drawEllipse(QPointF(centre, yOf(mark.mean)), 3, 3);
      }
    }
  }
  painter.restore();
}

DistributionChartView::DistributionChartView(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(true);
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);
}

void DistributionChartView::SetData(const ChartData& data) {
  data_ = data;
  update();
}

void DistributionChartView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintDistributionChart(painter, QRectF(rect()), data_, font());
}
