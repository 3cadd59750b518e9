#include "ui/results/results_printing.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <optional>
#include <vector>

#include "ui/results/page_frame.h"
#include "ui/results/results_pane.h"
#include "ui/window/display_text.h"

namespace {

// The pane's font is sized in screen pixels, which would come out minute at
// a printer's resolution; paper gets a size in points: this size unless the
// longest line needs a smaller one to fit across the page.
constexpr double kPrintPointSize = 9.0;
// Below this a report line is hard to read: the columns wrap into bands.
constexpr double kLegiblePointSize = 7.0;
constexpr double kHeadingPointSize = 8.0;

// The fields of a report line, each with its quotes, split at the commas
// outside quotes.
QStringList Fields(const QString& line) {
  QStringList fields;
  QString field;
  bool quoted = false;
  for (const QChar c : line) {
    if (c == QLatin1Char('"')) quoted = !quoted;
    if (c == QLatin1Char(',') && !quoted) {
      fields.append(field);
      field.clear();
    } else {
      field += c;
    }
  }
  fields.append(field);
  return fields;
}

// The line before a block that says where it came from: printed whole, not
// as columns.
bool IsProvenanceLine(const QStringList& fields) {
  return fields.size() > 1 && fields.front() == QStringLiteral("\"出所\"");
}

// Lines as they go on paper: whole when they fit across the page, else one
// pass over each block per band of columns, every band led by the group
// column. A band holds as many columns as fit, at least one.
QStringList LinesInBands(const QStringList& lines, const QFontMetricsF& metrics, double width) {
  std::vector<QStringList> split;
  std::vector<double> columnWidth;  // the widest field of each column, comma included
  for (const QString& line : lines) {
    split.push_back(Fields(line));
    const QStringList& fields = split.back();
    if (IsProvenanceLine(fields)) continue;
    if (columnWidth.size() < static_cast<size_t>(fields.size())) columnWidth.resize(fields.size(), 0);
    for (qsizetype i = 0; i < fields.size(); ++i) {
      columnWidth[i] = std::max(columnWidth[i], metrics.horizontalAdvance(fields[i] + QLatin1Char(',')));
    }
  }
  if (columnWidth.empty()) return lines;
  // Bands of the columns after the group column: [first, end).
  std::vector<std::pair<size_t, size_t>> bands;
  for (size_t first = 1; first < columnWidth.size();) {
    double used = columnWidth[0] + columnWidth[first];
    size_t end = first + 1;
    while (end < columnWidth.size() && used + columnWidth[end] <= width) used += columnWidth[end++];
    bands.emplace_back(first, end);
    first = end;
  }
  if (bands.size() <= 1) return lines;

  QStringList printed;
  // A block runs from its first line to the next empty line.
  for (size_t start = 0; start < split.size();) {
    size_t end = start;
    while (end < split.size() && !lines[static_cast<qsizetype>(end)].isEmpty()) ++end;
    // The block's bands: those its longest line reaches.
    size_t blockBands = 1;
    std::optional<size_t> heading;  // the variable's 【name】 line
    for (size_t i = start; i < end; ++i) {
      if (IsProvenanceLine(split[i])) continue;
      if (split[i].size() == 1 && !heading) heading = i;
      while (blockBands < bands.size() &&
             static_cast<size_t>(split[i].size()) > bands[blockBands].first) {
        ++blockBands;
      }
    }
    for (size_t b = 0; b < blockBands; ++b) {
      for (size_t i = start; i < end; ++i) {
        const QStringList& fields = split[i];
        if (IsProvenanceLine(fields)) {
          if (b == 0) printed.append(lines[static_cast<qsizetype>(i)]);
          continue;
        }
        if (fields.size() == 1) {
          // The variable's heading stands over every band, marked as
          // continued over all but the first; the strata line and the other
          // notes stand under the last.
          if (i == heading) {
            printed.append(b == 0 ? fields.front() : fields.front() + QStringLiteral("（続き）"));
          } else if (b + 1 == blockBands) {
            printed.append(fields.front());
          }
          continue;
        }
        if (static_cast<size_t>(fields.size()) <= bands[b].first) continue;
        const qsizetype from = static_cast<qsizetype>(bands[b].first);
        const qsizetype count = static_cast<qsizetype>(
            std::min<size_t>(bands[b].second, fields.size()) - bands[b].first);
        printed.append((QStringList{fields.front()} + fields.mid(from, count)).join(QLatin1Char(',')));
      }
      printed.append(QString());
    }
    start = end + 1;
  }
  return printed;
}

// A line as printed: whole when it fits, else continued on the next line
// where the page ends (only a line even a band cannot hold, such as a long
// variable name).
QStringList Wrapped(const QStringList& lines, const QFontMetricsF& metrics, double width) {
  QStringList printed;
  for (const QString& line : lines) {
    QString rest = line;
    while (rest.size() > 1 && metrics.horizontalAdvance(rest) > width) {
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
  // The report's own lines: the pane splits some for the eye only.
  QStringList lines;
  for (const std::string& line : pane.lines()) lines.append(DisplayText(line));
  QFont font = pane.font();
  font.setPointSizeF(kPrintPointSize);
  double widest = 0;
  {
    const QFontMetricsF metrics(font, &printer);
    for (const QString& line : lines) widest = std::max(widest, metrics.horizontalAdvance(line));
  }
  // A little room for the layout's rounding.
  const double across = 0.97 * printer.width();
  if (widest > across) {
    const double fitting = kPrintPointSize * across / widest;
    font.setPointSizeF(std::max(kLegiblePointSize, fitting));
    if (fitting < kLegiblePointSize) lines = LinesInBands(lines, QFontMetricsF(font, &printer), across);
  }
  QFont headingFont = pane.font();
  headingFont.setPointSizeF(kHeadingPointSize);

  QPainter painter;
  if (!painter.begin(&printer)) return;
  const QFontMetricsF metrics(font, &printer);
  const QFontMetricsF headingMetrics(headingFont, &printer);
  const double width = printer.width();
  const double height = printer.height();
  const double headingHeight = headingMetrics.lineSpacing() * 1.6;
  const double footHeight = headingMetrics.lineSpacing() * 1.6;
  const double lineHeight = metrics.lineSpacing();
  lines = Wrapped(lines, metrics, width);
  const int perPage = std::max(1, static_cast<int>((height - headingHeight - footHeight) / lineHeight));
  const int pages = std::max(1, static_cast<int>((lines.size() + perPage - 1) / perPage));
  for (int page = 0; page < pages; ++page) {
    if (page > 0) printer.newPage();
    painter.setFont(headingFont);
    DrawPageFrame(painter, headingMetrics, width, height, heading, page, pages);
    painter.setFont(font);
    double y = headingHeight;
    for (int i = page * perPage; i < std::min<int>((page + 1) * perPage, lines.size()); ++i) {
      painter.drawText(QPointF(0, y + metrics.ascent()), lines[i]);
      y += lineHeight;
    }
  }
  painter.end();
}
