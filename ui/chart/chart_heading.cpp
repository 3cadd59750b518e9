#include "ui/chart/chart_heading.h"

#include <QFontMetricsF>

#include "ui/chart/chart_style.h"

double PaintChartHeading(QPainter& painter, const QRectF& area, const QString& title,
                         const QFont& windowFont) {
  painter.fillRect(area, Qt::white);
  const QFont titleFont = ChartFont(windowFont, kTitlePixels, true);
  const double titleHeight = QFontMetricsF(titleFont).height();
  const double top = area.top() + 6;
  painter.setFont(titleFont);
  painter.setPen(Qt::black);
  painter.drawText(QRectF(area.left(), top, area.width(), titleHeight), Qt::AlignCenter, title);
  return top + titleHeight + 6;
}
