#include "ui/chart/reference_drawing.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
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

// An arrow's shaft and head, and the gap the arrow keeps from the frame, in
// logical pixels; the numbers' size.
constexpr double kArrowLength = 12;
constexpr double kArrowHead = 4;
constexpr double kFrameGap = 3;
constexpr int kNumberPixels = 10;

// One step line through the bands' values of one DG bound.
void DrawSteps(QPainter& painter, const ChartAxes& axes, const ChartSeriesData& series,
               std::optional<double> ChartMark::*bound, double offset,
               BeyondAxisMarks& beyond) {
  QPainterPath path;
  int previous = -2;
  double previousY = 0;
  for (const ChartMark& mark : series.bands) {
    if (!(mark.*bound)) {
      previous = -2;
      continue;
    }
    if (!axes.OnScale(*(mark.*bound))) {
      beyond.Add(mark.position, axes.XOf(mark.position + offset), *(mark.*bound),
                 painter.pen().color());
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

void BeyondAxisMarks::Add(int category, double x, double value, const QColor& colour) {
  entries_.push_back({category, x, value, colour});
}

void BeyondAxisMarks::Draw(QPainter& painter) const {
  if (entries_.empty()) return;
  painter.save();
  const QRectF& plot = axes_.plot;
  const auto above = [&](const Entry& entry) { return entry.value > axes_.scale.high; };
  // From the tip at the edge inwards: +1 down from the top, -1 up from the bottom.
  const auto inward = [&](const Entry& entry) { return above(entry) ? 1.0 : -1.0; };
  const auto tipY = [&](const Entry& entry) {
    return above(entry) ? plot.top() + kFrameGap : plot.bottom() - kFrameGap;
  };
  for (const Entry& entry : entries_) {
    const double tip = tipY(entry);
    const double end = tip + inward(entry) * kArrowLength;
    const double head = tip + inward(entry) * kArrowHead;
    painter.setPen(QPen(entry.colour, 1.5, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    painter.setBrush(entry.colour);
    painter.drawLine(QPointF(entry.x, head), QPointF(entry.x, end));
    const QPointF arrowHead[] = {{entry.x, tip}, {entry.x - kArrowHead, head}, {entry.x + kArrowHead, head}};
    painter.drawPolygon(arrowHead, 3);
  }

  // The numbers: per category and edge, a line for each distinct value,
  // centred over the arrows that share it.
  struct Number {
    const Entry* first;
    int line;
    double xSum = 0;
    int count = 0;
  };
  std::vector<Number> numbers;
  const auto together = [&](const Entry& a, const Entry& b) {
    return a.category == b.category && above(a) == above(b);
  };
  for (const Entry& entry : entries_) {
    auto same = std::find_if(numbers.begin(), numbers.end(), [&](const Number& number) {
      return together(*number.first, entry) && number.first->value == entry.value;
    });
    if (same == numbers.end()) {
      const auto line = std::count_if(numbers.begin(), numbers.end(), [&](const Number& number) {
        return together(*number.first, entry);
      });
      same = numbers.insert(numbers.end(), Number{&entry, static_cast<int>(line)});
    }
    same->xSum += entry.x;
    ++same->count;
  }
  QFont font = painter.font();
  font.setPixelSize(kNumberPixels);
  painter.setFont(font);
  const QFontMetricsF metrics(font);
  const double lineHeight = metrics.height();
  for (const Number& number : numbers) {
    const Entry& entry = *number.first;
    const QString text = QString::number(entry.value, 'g', 6);
    const double width = metrics.horizontalAdvance(text) + 2;
    const double nearEdge =
        tipY(entry) + inward(entry) * (kArrowLength + 1 + number.line * lineHeight);
    const double top = above(entry) ? nearEdge : nearEdge - lineHeight;
    painter.setPen(entry.colour);
    painter.drawText(QRectF(number.xSum / number.count - width / 2, top, width, lineHeight),
                     Qt::AlignCenter, text);
  }
  painter.restore();
}

void DrawReferenceMarks(QPainter& painter, const ChartAxes& axes, const ChartMark& mark,
                        double centre, double halfWidth, BeyondAxisMarks& beyond) {
  if (mark.ear) {
    if (axes.OnScale(*mark.ear)) {
      painter.setPen(EarPen());
      const double y = axes.YOf(*mark.ear);
      painter.drawLine(QPointF(centre - halfWidth, y), QPointF(centre + halfWidth, y));
    } else {
      beyond.Add(mark.position, centre, *mark.ear, EarPen().color());
    }
  }
  if (mark.ul) {
    if (axes.OnScale(*mark.ul)) {
      DrawUpperLimit(painter, centre - halfWidth, centre + halfWidth, axes.YOf(*mark.ul));
    } else {
      beyond.Add(mark.position, centre, *mark.ul, UlPen().color());
    }
  }
}

void DrawGoalLines(QPainter& painter, const ChartAxes& axes, const ChartSeriesData& series,
                   double offset, BeyondAxisMarks& beyond) {
  painter.setPen(GoalPen(series.sex));
  painter.setBrush(Qt::NoBrush);
  DrawSteps(painter, axes, series, &ChartMark::dgLow, offset, beyond);
  DrawSteps(painter, axes, series, &ChartMark::dgHigh, offset, beyond);
}
