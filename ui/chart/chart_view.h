// A chart on screen: a white widget that paints its data with one of the
// chart painters, the same ones that draw the saved and printed pictures.
#pragma once

#include <QWidget>

#include "ui/chart/chart_data.h"

class QPainter;

class ChartView : public QWidget {
 public:
  // Draws the chart of the data into an area, in logical pixels.
  using Painter = void (*)(QPainter& painter, const QRectF& area, const ChartData& data,
                           const QFont& windowFont);

  explicit ChartView(Painter paint, QWidget* parent = nullptr);
  void SetData(const ChartData& data);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Painter paint_;
  ChartData data_;
};
