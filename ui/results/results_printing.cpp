#include "ui/results/results_printing.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cmath>

#include "ui/results/results_pane.h"

namespace {

// The pane's font is sized in screen pixels, which would come out minute at
// a printer's resolution; paper gets a size in points: this size unless the
// longest line needs a smaller one to fit across the page.
constexpr double kPrintPointSize = 9.0;
// Below this a report line is hard to read: portrait paper is then printed
// landscape for this job.
constexpr double kLegiblePointSize = 7.0;
// Below this size print is no longer readable: a longer line wraps instead.
constexpr double kSmallestPointSize = 4.0;
constexpr double kHeadingPointSize = 8.0;

// The point size at which the widest line fits across the printer's page.
double FittingSize(const QFont& pane, const QStringList& lines, const QPrinter& printer) {
  QFont font = pane;
  font.setPointSizeF(kPrintPointSize);
  const QFontMetricsF metrics(font, &printer);
  double widest = 0;
  for (const QString& line : lines) widest = std::max(widest, metrics.horizontalAdvance(line));
  // A little room for the layout's rounding.
  const double across = 0.97 * printer.width();
  if (widest <= across) return kPrintPointSize;
  return std::max(kSmallestPointSize, kPrintPointSize * across / widest);
}

// A line as printed: whole when it fits, else cut where the page ends.
QStringList PrintedLines(const QStringList& lines, const QFontMetricsF& metrics, double width) {
  QStringList printed;
  for (const QString& line : lines) {
    QString rest = line;
    while (metrics.horizontalAdvance(rest) > width && rest.size() > 1) {
      qsizetype fits = 1;
      while (fits < rest.size() && metrics.horizontalAdvance(rest.left(fits + 1)) <= width) ++fits;
      printed.append(rest.left(fits));
      rest = rest.mid(fits);
    }
    printed.append(rest);
  }
  return printed;
}

}  // namespace

void PrintResults(const ResultsPane& pane, QPrinter& printer, const QString& heading) {
  const QStringList lines = pane.toPlainText().split(QLatin1Char('\n'));
  const QPageLayout::Orientation chosen = printer.pageLayout().orientation();
  double size = FittingSize(pane.font(), lines, printer);
  if (size < kLegiblePointSize && chosen == QPageLayout::Portrait) {
    printer.setPageOrientation(QPageLayout::Landscape);
    size = FittingSize(pane.font(), lines, printer);
  }
  QFont font = pane.font();
  font.setPointSizeF(size);
  QFont headingFont = pane.font();
  headingFont.setPointSizeF(kHeadingPointSize);

  QPainter painter;
  if (painter.begin(&printer)) {
    const QFontMetricsF metrics(font, &printer);
    const QFontMetricsF headingMetrics(headingFont, &printer);
    const double width = printer.width();
    const double height = printer.height();
    const double headingHeight = headingMetrics.lineSpacing() * 1.6;
    const double footHeight = headingMetrics.lineSpacing() * 1.6;
    const double lineHeight = metrics.lineSpacing();
    const QStringList printed = PrintedLines(lines, metrics, width);
    const int perPage =
        std::max(1, static_cast<int>((height - headingHeight - footHeight) / lineHeight));
    const int pages = std::max(1, static_cast<int>((printed.size() + perPage - 1) / perPage));
    for (int page = 0; page < pages; ++page) {
      if (page > 0) printer.newPage();
      painter.setFont(headingFont);
      painter.drawText(QRectF(0, 0, width, headingMetrics.lineSpacing()),
                       Qt::AlignLeft | Qt::AlignTop, headingMetrics.elidedText(heading, Qt::ElideMiddle, width));
      const double rule = headingMetrics.lineSpacing() * 1.2;
      painter.drawLine(QPointF(0, rule), QPointF(width, rule));
      painter.drawText(QRectF(0, height - headingMetrics.lineSpacing(), width, headingMetrics.lineSpacing()),
                       Qt::AlignHCenter | Qt::AlignBottom,
                       QStringLiteral("%1 / %2").arg(page + 1).arg(pages));
      painter.setFont(font);
      double y = headingHeight;
      for (int i = page * perPage; i < std::min<int>((page + 1) * perPage, printed.size()); ++i) {
        painter.drawText(QPointF(0, y + metrics.ascent()), printed[i]);
        y += lineHeight;
      }
    }
    painter.end();
  }
  printer.setPageOrientation(chosen);
}
