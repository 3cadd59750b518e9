#include "ui/chart/mean_chart.h"

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QChart>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPen>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "ui/chart/chart_data.h"
#include "ui/chart/chart_style.h"

namespace {

// Half the width of an error bar's caps, in categories.
constexpr double kCapHalfWidth = 0.06;
// Room taken by the value axis and the margins beside the plot.
constexpr double kBesidePlot = 90;

void HideFromLegend(QChart* chart, QAbstractSeries* series) {
  for (QLegendMarker* marker : chart->legend()->markers(series)) marker->setVisible(false);
}

// Upright when the labels fit side by side, else on end. Slanted labels
// would be hidden where their bounding boxes meet, and their text comes out
// of a PDF file in pieces.
int AgeLabelAngle(const QStringList& labels, const QFont& font, double width) {
  return AxisLabelsCrowded(labels, font, width - kBesidePlot) ? -90 : 0;
}

void AddSeries(QChart* chart, QAbstractSeries* series, QAbstractAxis* x, QAbstractAxis* y) {
  chart->addSeries(series);
  series->attachAxis(x);
  series->attachAxis(y);
}

QPen SolidPen(const QColor& colour, double width) {
  QPen pen(colour, width);
  pen.setCapStyle(Qt::FlatCap);
  return pen;
}

}  // namespace

QChart* BuildMeanChart(const ChartData& data, const QFont& windowFont, double width) {
  auto* chart = new QChart;
  chart->setAnimationOptions(QChart::NoAnimation);
  chart->setBackgroundRoundness(0);
  chart->setMargins(QMargins(4, 4, 8, 4));
  chart->setTitle(data.title);
  chart->setTitleFont(ChartFont(windowFont, kTitlePixels, true));
  const QFont labelFont = ChartFont(windowFont, kLabelPixels);
  chart->legend()->setFont(labelFont);
  chart->legend()->setAlignment(Qt::AlignTop);
  if (data.categories.isEmpty()) {
    chart->legend()->hide();
    return chart;
  }

  const int count = static_cast<int>(data.categories.size());
  auto* axisX = new QCategoryAxis;
  axisX->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
  axisX->setStartValue(-0.5);
  axisX->setRange(-0.5, count - 0.5);
  for (int i = 0; i < count; ++i) axisX->append(data.categories[i], i + 0.5);
  axisX->setLabelsFont(labelFont);
  axisX->setLabelsColor(Qt::black);
  axisX->setTruncateLabels(false);  // a cut label such as "(再掲..." names no group
  axisX->setLabelsAngle(AgeLabelAngle(data.categories, labelFont, width));
  chart->addAxis(axisX, Qt::AlignBottom);

  auto* axisY = new QValueAxis;
  double low = data.empty() ? 0 : data.Lowest();
  double high = data.empty() ? 1 : data.Highest();
  const double pad = high > low ? 0.05 * (high - low) : std::max(1.0, std::abs(high) * 0.1);
  axisY->setRange(low - pad, high + pad);
  axisY->applyNiceNumbers();
  axisY->setLabelFormat(QStringLiteral("%g"));
  axisY->setLabelsFont(labelFont);
  axisY->setLabelsColor(Qt::black);
  axisY->setTitleText(data.valueTitle);
  axisY->setTitleFont(labelFont);
  chart->addAxis(axisY, Qt::AlignLeft);

  // The summary categories lie on a shaded part of the axis.
  if (count > data.bandCount) {
    auto* top = new QLineSeries;
    auto* bottom = new QLineSeries;
    top->append(data.bandCount - 0.5, axisY->max());
    top->append(count - 0.5, axisY->max());
    bottom->append(data.bandCount - 0.5, axisY->min());
    bottom->append(count - 0.5, axisY->min());
    auto* shade = new QAreaSeries(top, bottom);
    shade->setName(QStringLiteral("集計区分"));
    shade->setColor(SummaryShade());
    shade->setBorderColor(SummaryShade());
    AddSeries(chart, shade, axisX, axisY);
    for (QLegendMarker* marker : chart->legend()->markers(shade)) {
      marker->setBrush(SummaryShade());
      marker->setPen(QPen(SummaryShade().darker(130)));
    }
  }

  const int sexes = static_cast<int>(data.series.size());
  for (int s = 0; s < sexes; ++s) {
    const ChartSeriesData& series = data.series[static_cast<size_t>(s)];
    const QColor colour = SexColour(series.sex);
    const double offset = SexOffset(s, sexes);

    // Error bars first, so that the marks are drawn over them.
    for (const auto* marks : {&series.bands, &series.summaries}) {
      for (const ChartMark& mark : *marks) {
        const double x = mark.position + offset;
        auto* bar = new QLineSeries;
        bar->append(x - kCapHalfWidth, mark.low);
        bar->append(x + kCapHalfWidth, mark.low);
        bar->append(x, mark.low);
        bar->append(x, mark.high);
        bar->append(x - kCapHalfWidth, mark.high);
        bar->append(x + kCapHalfWidth, mark.high);
        bar->setPen(SolidPen(colour, 1.5));
        AddSeries(chart, bar, axisX, axisY);
        HideFromLegend(chart, bar);
      }
    }

    // The line joins neighbouring age bands only: a band left out breaks it.
    QLineSeries* line = nullptr;
    int previous = -2;
    bool named = false;
    for (const ChartMark& mark : series.bands) {
      if (line == nullptr || mark.position != previous + 1) {
        line = new QLineSeries;
        line->setPen(SolidPen(colour, 2));
        AddSeries(chart, line, axisX, axisY);
        if (named) {
          HideFromLegend(chart, line);
        } else {
          line->setName(series.name);
          named = true;
        }
      }
      line->append(mark.position + offset, mark.mean);
      previous = mark.position;
    }
    if (!named) {  // every band left out: the sex still has its legend entry
      auto* empty = new QLineSeries;
      empty->setPen(SolidPen(colour, 2));
      empty->setName(series.name);
      AddSeries(chart, empty, axisX, axisY);
    }

    auto* dots = new QScatterSeries;
    dots->setMarkerSize(8);
    dots->setColor(colour);
    dots->setBorderColor(colour);
    for (const ChartMark& mark : series.bands) dots->append(mark.position + offset, mark.mean);
    AddSeries(chart, dots, axisX, axisY);
    HideFromLegend(chart, dots);

    // Summaries: open squares, on their own.
    auto* open = new QScatterSeries;
    open->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    open->setMarkerSize(9);
    open->setColor(Qt::white);
    open->setPen(SolidPen(colour, 2));
    for (const ChartMark& mark : series.summaries) open->append(mark.position + offset, mark.mean);
    AddSeries(chart, open, axisX, axisY);
    HideFromLegend(chart, open);
  }
  return chart;
}

void FitAgeLabels(QChart* chart, const QFont& windowFont, double width) {
  for (QAbstractAxis* axis : chart->axes(Qt::Horizontal)) {
    auto* ages = qobject_cast<QCategoryAxis*>(axis);
    if (ages == nullptr) continue;
    const int angle =
        AgeLabelAngle(ages->categoriesLabels(), ChartFont(windowFont, kLabelPixels), width);
    if (ages->labelsAngle() != angle) ages->setLabelsAngle(angle);
  }
}
