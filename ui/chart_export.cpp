#include "ui/chart_export.h"

#include <QImage>
#include <QPainter>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <cmath>

#include "ui/chart_data.h"
#include "ui/chart_picture.h"

namespace {

constexpr double kLogicalDpi = 96;
constexpr double kImageDpi = 300;
constexpr double kMetresPerInch = 0.0254;

}  // namespace

bool SaveChartPng(const QString& path, const ChartData& data, const QFont& windowFont) {
  const double scale = kImageDpi / kLogicalDpi;
  QImage image(qRound(kChartPictureSize.width() * scale), qRound(kChartPictureSize.height() * scale),
               QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(scale, scale);
    PaintChartPicture(painter, QRectF(QPointF(0, 0), kChartPictureSize), data, windowFont);
  }
  // The resolution is told after drawing: the picture is laid out in logical
  // pixels, and the file says how large it prints.
  const int dotsPerMetre = qRound(kImageDpi / kMetresPerInch);
  image.setDotsPerMeterX(dotsPerMetre);
  image.setDotsPerMeterY(dotsPerMetre);
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (!image.save(&file, "PNG")) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

bool SaveChartPdf(const QString& path, const ChartData& data, const QFont& windowFont,
                  const QString& title) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  {
    QPdfWriter writer(&file);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Kelvara"));
    writer.setPageSize(QPageSize(QSizeF(kChartPictureSize.width() / kLogicalDpi,
                                        kChartPictureSize.height() / kLogicalDpi),
                                 QPageSize::Inch));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter;
    if (!painter.begin(&writer)) {
      file.cancelWriting();
      return false;
    }
    const double scale = writer.resolution() / kLogicalDpi;
    painter.scale(scale, scale);
    PaintChartPicture(painter, QRectF(QPointF(0, 0), kChartPictureSize), data, windowFont);
    painter.end();
  }
  return file.commit();
}

bool PrintChart(QPrinter& printer, const ChartData& data, const QFont& windowFont) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
  const double scale = std::min(page.width() / kChartPictureSize.width(),
                                page.height() / kChartPictureSize.height());
  // The painter starts at the printable area's corner; centre the picture across it.
  painter.translate((page.width() - kChartPictureSize.width() * scale) / 2, 0);
  painter.scale(scale, scale);
  PaintChartPicture(painter, QRectF(QPointF(0, 0), kChartPictureSize), data, windowFont);
  return painter.end();
}
