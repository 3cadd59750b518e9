#include "fuzz/chart_check.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <vector>

#include "engine/reading/text_blocks.h"
#include "engine/report/report_reading.h"
#include "ui/chart/chart_data.h"
#include "ui/chart/chart_picture.h"

namespace kelvara::fuzz {
namespace {

// Enough blocks to reach every path; a file of many costs no more.
constexpr size_t kMostBlocks = 4;

bool Finite(const ChartMark& mark) {
  for (double value : {mark.mean, mark.low, mark.high, mark.p5, mark.p25, mark.median, mark.p75,
                       mark.p95}) {
    if (!std::isfinite(value)) return false;
  }
  return true;
}

}  // namespace

std::string CheckChartDrawing(std::string_view bytes) {
  std::vector<std::string> lines;
  LineCursor cursor(bytes);
  for (std::string_view line; cursor.Next(line);) lines.emplace_back(line);
  const std::vector<ReportBlock> blocks = ReadReportBlocks(lines);

  // A quarter of the saved size keeps each input quick; the painting is the same.
  QImage image((kChartPictureSize / 4).toSize(), QImage::Format_RGB32);
  const QFont font;
  for (size_t b = 0; b < blocks.size() && b < kMostBlocks; ++b) {
    for (ChartKind kind : {ChartKind::mean, ChartKind::distribution}) {
      for (bool withBothSexes : {false, true}) {
        const ChartData data = BuildChartData(blocks[b], kind, withBothSexes);
        for (const ChartSeriesData& series : data.series) {
          for (const auto* marks : {&series.bands, &series.summaries}) {
            for (const ChartMark& mark : *marks) {
              if (!Finite(mark)) return "a drawn mark with a value that is no number";
              if (mark.position < 0 || mark.position >= data.categories.size()) {
                return "a drawn mark off the axis";
              }
              const bool band = marks == &series.bands;
              if (band != (mark.position < data.bandCount)) return "a mark on the wrong side";
            }
          }
        }
        QPainter painter(&image);
        painter.scale(0.25, 0.25);
        PaintChartPicture(painter, QRectF(QPointF(0, 0), kChartPictureSize), data, font);
      }
    }
  }
  return {};
}

}  // namespace kelvara::fuzz
