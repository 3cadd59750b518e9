#include "ui/results/page_frame.h"

#include <QPainter>

void DrawPageFrame(QPainter& painter, const QFontMetricsF& metrics, double width, double height,
                   const QString& heading, int page, int pages) {
  const double line = metrics.lineSpacing();
  painter.drawText(QRectF(0, 0, width, line), Qt::AlignLeft | Qt::AlignTop,
                   metrics.elidedText(heading, Qt::ElideMiddle, width));
  const double rule = line * 1.2;
  painter.drawLine(QPointF(0, rule), QPointF(width, rule));
  painter.drawText(QRectF(0, height - line, width, line), Qt::AlignHCenter | Qt::AlignBottom,
                   QStringLiteral("%1 / %2").arg(page + 1).arg(pages));
}
