#include "ui/chart/chart_export.h"

#include <QImage>
#include <QPainter>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <cmath>

#include "ui/chart/chart_data.h"
#include "ui/chart/chart_picture.h"
#include "ui/window/file_problem.h"

namespace {

constexpr double kLogicalDpi = 96;
constexpr double kImageDpi = 300;
constexpr double kMetresPerInch = 0.0254;

// Gives up a save: the temporary file goes and `cause` says why.
bool Failed(QSaveFile& file, const QString& path, QString* cause) {
  const QFileDevice::FileError error =
      file.error() == QFileDevice::NoError ? QFileDevice::WriteError : file.error();
  if (cause != nullptr) *cause = WriteProblem(path, error, file.errorString());
  file.cancelWriting();
  return false;
}

}  // namespace

bool SaveChartPng(const QString& path, const ChartData& data, const QFont& windowFont,
                  QString* cause) {
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
  if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit()) {
    return Failed(file, path, cause);
  }
  return true;
}

bool SaveChartPdf(const QString& path, const ChartData& data, const QFont& windowFont,
                  const QString& title, QString* cause) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return Failed(file, path, cause);
  {
    QPdfWriter writer(&file);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Kelvara"));
    writer.setPageSize(QPageSize(QSizeF(kChartPictureSize.width() / kLogicalDpi,
                                        kChartPictureSize.height() / kLogicalDpi),
                                 QPageSize::Inch));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter;
    if (!painter.begin(&writer)) return Failed(file, path, cause);
    const double scale = writer.resolution() / kLogicalDpi;
    painter.scale(scale, scale);
    PaintChartPicture(painter, QRectF(QPointF(0, 0), kChartPictureSize), data, windowFont);
    painter.end();
  }
  return file.commit() || Failed(file, path, cause);
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
