#include "ui/chart/reference_drawing.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <optional>
#include <vector>

#include "ui/chart/chart_style.h"
#include "ui/chart/value_axis.h"

namespace {

struct Kinds {
  bool ear = false, ul = false, dg = false;
};

Kinds KindsDrawn(const ChartData& data) {
  Kinds kinds;
  for (const ChartSeriesData& series : data.series) {
    for (const ChartMark& mark : series.bands) {
      kinds.ear = kinds.ear || mark.ear.has_value();
      kinds.ul = kinds.ul || mark.ul.has_value();
      kinds.dg = kinds.dg || mark.dgLow.has_value() || mark.dgHigh.has_value();
    }
  }
  return kinds;
}

// One step line through the bands' values of one DG bound.
void DrawSteps(QPainter& painter, const ChartAxes& axes, const ChartSeriesData& series,
               std::optional<double> ChartMark::*bound) {
  QPainterPath path;
  int previous = -2;
  double previousY = 0;
  for (const ChartMark& mark : series.bands) {
    if (!(mark.*bound)) {
      previous = -2;
      continue;
    }
    const double y = axes.YOf(*(mark.*bound));
    const double from = axes.XOf(mark.position - 0.5);
    const double to = axes.XOf(mark.position + 0.5);
    if (mark.position == previous + 1) {
      path.lineTo(from, previousY);
      path.lineTo(from, y);
    } else {
      path.moveTo(from, y);
    }
    path.lineTo(to, y);
    previous = mark.position;
    previousY = y;
  }
  painter.drawPath(path);
}

// The UL: a bar with its ends turned down, as a ceiling over the intakes.
void DrawUpperLimit(QPainter& painter, double left, double right, double y) {
  painter.setPen(UlPen());
  painter.setBrush(Qt::NoBrush);
  const QPointF points[] = {{left, y + kUlEndDrop}, {left, y}, {right, y}, {right, y + kUlEndDrop}};
  painter.drawPolyline(points, 4);
}

}  // namespace

double DrawReferenceLegend(QPainter& painter, const QRectF& area, double top,
                           const ChartData& data) {
  const Kinds kinds = KindsDrawn(data);
  struct Entry {
    QString text;
    QPen pen;
    bool ceiling = false;  // drawn as the UL is
  };
  std::vector<Entry> entries;
  if (kinds.ear) entries.push_back({QStringLiteral("EAR（推定平均必要量）"), EarPen()});
  if (kinds.ul) entries.push_back({QStringLiteral("UL（耐容上限量）"), UlPen(), true});
  if (kinds.dg) entries.push_back({QStringLiteral("DG（目標量）"), GoalPen(kelvara::SexCondition::any)});
  if (entries.empty()) return 0;
  const QFontMetricsF metrics(painter.font());
  const double lineHeight = metrics.height();
  const double sample = lineHeight * 1.6;
  auto widthOf = [&] {
    double width = 0;
    for (const Entry& entry : entries) width += sample + 4 + metrics.horizontalAdvance(entry.text) + 16;
    return width;
  };
  double width = widthOf();
  // A narrow chart names the values by their abbreviations alone.
  if (width > area.width() - 8) {
    for (Entry& entry : entries) entry.text = entry.text.left(entry.text.indexOf(QChar(0xFF08)));
    width = widthOf();
  }
  double x = area.center().x() - width / 2;
  const double middle = top + lineHeight / 2;
  for (const Entry& entry : entries) {
    if (entry.ceiling) {
      DrawUpperLimit(painter, x, x + sample, middle - kUlEndDrop / 2);
    } else {
      painter.setPen(entry.pen);
      painter.drawLine(QPointF(x, middle), QPointF(x + sample, middle));
    }
    painter.setPen(Qt::black);
    const double textWidth = metrics.horizontalAdvance(entry.text);
    painter.drawText(QRectF(x + sample + 4, top, textWidth + 2, lineHeight), Qt::AlignVCenter,
                     entry.text);
    x += sample + 4 + textWidth + 16;
  }
  return lineHeight;
}

void DrawReferenceMarks(QPainter& painter, const ChartAxes& axes, const ChartMark& mark,
                        double centre, double halfWidth) {
  if (mark.ear) {
    painter.setPen(EarPen());
    const double y = axes.YOf(*mark.ear);
    painter.drawLine(QPointF(centre - halfWidth, y), QPointF(centre + halfWidth, y));
  }
  if (mark.ul) DrawUpperLimit(painter, centre - halfWidth, centre + halfWidth, axes.YOf(*mark.ul));
}

void DrawGoalLines(QPainter& painter, const ChartAxes& axes, const ChartSeriesData& series) {
  painter.setPen(GoalPen(series.sex));
  painter.setBrush(Qt::NoBrush);
  DrawSteps(painter, axes, series, &ChartMark::dgLow);
  DrawSteps(painter, axes, series, &ChartMark::dgHigh);
}
