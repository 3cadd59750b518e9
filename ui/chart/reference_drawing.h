// The dietary reference values as the charts draw them: the EAR and UL as
// short marks across a group's box, the DG as a step line along the age
// axis, a value beyond the value axis as an arrow at the plot's edge with its
// number, and their legend.
#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <vector>

#include "ui/chart/chart_data.h"

struct ChartAxes;
class QPainter;
class QPen;

// The legend of the kinds of reference value the chart draws, on a line of
// its own centred below `top`; its height, 0 when there are none.
double DrawReferenceLegend(QPainter& painter, const QRectF& area, double top,
                           const ChartData& data);

// Reference values beyond the value axis, which keeps to the intakes: each
// is an arrow just inside the plot's edge, pointing the way the value lies,
// with its number beside, in the colour of its kind. Gathered while the
// marks are drawn and drawn last, over the intakes.
class BeyondAxisMarks {
 public:
  explicit BeyondAxisMarks(const ChartAxes& axes) : axes_(axes) {}

  // Keeps `value` of age-axis category `category` to be marked at `x`.
  void Add(int category, double x, double value, const QColor& colour);
  // The arrows, then the numbers: those of one category and edge each on a
  // line of its own, one number for marks of equal value (men's and
  // women's UL alike).
  void Draw(QPainter& painter) const;

 private:
  struct Entry {
    int category;
    double x;
    double value;
    QColor colour;
  };
  const ChartAxes& axes_;
  std::vector<Entry> entries_;
};

// The EAR and UL of `mark`, `halfWidth` either side of `centre`; those beyond
// the axis go to `beyond`.
void DrawReferenceMarks(QPainter& painter, const ChartAxes& axes, const ChartMark& mark,
                        double centre, double halfWidth, BeyondAxisMarks& beyond);

// The DG of a sex's age bands: a level across each band's category, joined
// between neighbouring bands that both have one on the axis. A band's DG
// beyond the axis goes to `beyond`, at the sex's place `offset` in its category.
void DrawGoalLines(QPainter& painter, const ChartAxes& axes, const ChartSeriesData& series,
                   double offset, BeyondAxisMarks& beyond);
