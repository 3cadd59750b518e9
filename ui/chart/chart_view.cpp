#include "ui/chart/chart_view.h"

#include <QPainter>
#include <QPalette>

ChartView::ChartView(Painter paint, QWidget* parent) : QWidget(parent), paint_(paint) {
  setAutoFillBackground(true);
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);
}

void ChartView::SetData(const ChartData& data) {
  data_ = data;
  update();
}

void ChartView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  paint_(painter, QRectF(rect()), data_, font());
}
