#include "ui/chart/chart_picture.h"

#include <QFontMetricsF>
#include <QPainter>

#include "ui/chart/chart_data.h"
#include "ui/chart/chart_style.h"
#include "ui/chart/distribution_chart.h"
#include "ui/chart/mean_chart.h"

namespace {

constexpr double kNoteMargin = 8;

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
