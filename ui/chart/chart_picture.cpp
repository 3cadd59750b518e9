#include "ui/chart/chart_picture.h"

#include <QChart>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QPainter>
#include <memory>

#include "ui/chart/chart_data.h"
#include "ui/chart/chart_style.h"
#include "ui/chart/distribution_chart.h"
#include "ui/chart/mean_chart.h"

namespace {

constexpr double kNoteMargin = 8;

void PaintMeanChart(QPainter& painter, const QRectF& area, const ChartData& data,
                    const QFont& windowFont) {
  // The chart is laid out at the picture's logical size in a scene of its
  // own and drawn through the painter, so a PDF or a printer gets vectors.
  QGraphicsScene scene;
  QChart* chart = BuildMeanChart(data, windowFont, area.width());
  scene.addItem(chart);  // the scene owns it now
  const QRectF bounds(QPointF(0, 0), area.size());
  chart->setGeometry(bounds);
  if (chart->layout() != nullptr) chart->layout()->activate();
  scene.setSceneRect(bounds);
  scene.render(&painter, area, bounds, Qt::IgnoreAspectRatio);
}

}  // namespace

void PaintChartPicture(QPainter& painter, const QRectF& area, const ChartData& data,
                       const QFont& windowFont) {
  const QFont noteFont = ChartFont(windowFont, kLabelPixels);
  const QFontMetricsF metrics(noteFont);
  const double noteWidth = area.width() - 2 * kNoteMargin;
  const QRectF noteBounds =
      metrics.boundingRect(QRectF(0, 0, noteWidth, area.height()), Qt::TextWordWrap, data.note);
  const double noteHeight = data.note.isEmpty() ? 0 : noteBounds.height() + 2 * kNoteMargin;
  const QRectF chartArea(area.topLeft(), QSizeF(area.width(), area.height() - noteHeight));

  painter.save();
  painter.fillRect(area, Qt::white);
  if (data.kind == ChartKind::mean) {
    PaintMeanChart(painter, chartArea, data, windowFont);
  } else {
    PaintDistributionChart(painter, chartArea, data, windowFont);
  }
  if (noteHeight > 0) {
    painter.setFont(noteFont);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(area.left() + kNoteMargin, chartArea.bottom() + kNoteMargin, noteWidth,
                            noteBounds.height()),
                     Qt::TextWordWrap, data.note);
  }
  painter.restore();
}
