#include "ui/chart/chart_style.h"

#include <QFontMetricsF>

using kelvara::SexCondition;

QColor SexColour(SexCondition sex) {
  switch (sex) {
    case SexCondition::male: return QColor(0x1F, 0x5F, 0xA8);
    case SexCondition::female: return QColor(0xC0, 0x39, 0x2B);
    case SexCondition::any: return QColor(0x3A, 0x3A, 0x3A);
  }
  return Qt::black;
}

QColor SexFill(SexCondition sex) {
  QColor fill = SexColour(sex);
  return QColor::fromRgbF(0.75f + 0.25f * fill.redF(), 0.75f + 0.25f * fill.greenF(),
                          0.75f + 0.25f * fill.blueF());
}

QColor UsualIntakeFill(SexCondition sex) {
  QColor fill = SexColour(sex);
  return QColor::fromRgbF(0.35f + 0.65f * fill.redF(), 0.35f + 0.65f * fill.greenF(),
                          0.35f + 0.65f * fill.blueF());
}

QColor SummaryShade() { return QColor(0xE8, 0xE8, 0xE8); }

QPen EarPen() {
  QPen pen(QColor(0x00, 0x9E, 0x73), 3);  // bluish green
  pen.setCapStyle(Qt::FlatCap);
  return pen;
}

QPen UlPen() {
  QPen pen(QColor(0x20, 0x20, 0x20), 2.5);
  pen.setCapStyle(Qt::FlatCap);
  pen.setJoinStyle(Qt::MiterJoin);
  return pen;
}

QPen GoalPen(SexCondition sex) {
  QPen pen(sex == SexCondition::any ? QColor(0x50, 0x50, 0x50) : SexColour(sex).darker(115), 1.8);
  pen.setDashPattern({3, 2});
  pen.setCapStyle(Qt::FlatCap);
  return pen;
}

QFont ChartFont(const QFont& windowFont, int pixelSize, bool bold) {
  QFont font = windowFont;
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

double SexOffset(int index, int count) {
  return (index - (count - 1) / 2.0) * SexSlotWidth(count);
}

double SexSlotWidth(int count) { return count <= 1 ? 0.5 : 0.8 / count; }

bool AxisLabelsCrowded(const QStringList& labels, const QFont& font, double axisWidth) {
  if (labels.isEmpty()) return false;
  const QFontMetricsF metrics(font);
  double widest = 0;
  for (const QString& label : labels) widest = std::max(widest, metrics.horizontalAdvance(label));
  return widest + 6 > axisWidth / labels.size();
}
