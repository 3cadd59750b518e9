// The dietary reference values as the charts draw them: the EAR and UL as
// short marks across a group's box or through its point, the DG as a step
// line along the age axis, and their legend.
#pragma once

#include <QFont>
#include <QRectF>

#include "ui/chart/chart_data.h"

struct ChartAxes;
class QPainter;

// The legend of the kinds of reference value the chart draws, on a line of
// its own centred below `top`; its height, 0 when there are none.
double DrawReferenceLegend(QPainter& painter, const QRectF& area, double top,
                           const ChartData& data);

// The EAR and UL of `mark`, `halfWidth` either side of `centre`.
void DrawReferenceMarks(QPainter& painter, const ChartAxes& axes, const ChartMark& mark,
                        double centre, double halfWidth);

// The DG of a sex's age bands: a level across each band's category, joined
// between neighbouring bands that both have one.
void DrawGoalLines(QPainter& painter, const ChartAxes& axes, const ChartSeriesData& series);
