#include "ui/results/summary_printing.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPagedPaintDevice>
#include <algorithm>
#include <cmath>

#include "ui/results/page_frame.h"
#include "ui/window/display_text.h"
#include "ui/window/window_fonts.h"

using kelvara::SummarySection;

namespace {

constexpr double kHeadingPointSize = 8.0;
constexpr double kRowSpacing = 1.4;  // a row's height over the font's line spacing
// The label columns take at most this share of the page: a long variable
// name is cut short rather than crowd out the figures.
constexpr double kMostLabelShare = 0.3;

QFont TableFont(double points, bool bold = false) {
  QFont font;
  font.setFamilies(WindowFontFamilies());
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

QString VariableTitle() { return QStringLiteral("変数"); }
QString StatisticTitle() { return QStringLiteral("統計量"); }

// The widths of the label columns and of each section's columns, with room
// on both sides of each text, at one type size.
struct Widths {
  double labels[2] = {};
  std::vector<std::vector<double>> columns;
};

Widths Measure(std::span<const SummarySection> sections, double points, QPagedPaintDevice& printer) {
  const QFontMetricsF plain(TableFont(points), &printer);
  const QFontMetricsF bold(TableFont(points, true), &printer);
  const double padding = plain.averageCharWidth();
  Widths widths;
  widths.labels[0] = bold.horizontalAdvance(VariableTitle());
  widths.labels[1] = bold.horizontalAdvance(StatisticTitle());
  for (const SummarySection& section : sections) {
    std::vector<double> columns;
    for (const std::string& column : section.columns) {
      columns.push_back(bold.horizontalAdvance(DisplayText(column)));
    }
    for (const kelvara::SummaryRow& row : section.rows) {
      widths.labels[0] = std::max(widths.labels[0], plain.horizontalAdvance(DisplayText(row.variable)));
      widths.labels[1] = std::max(widths.labels[1], plain.horizontalAdvance(DisplayText(row.statistic)));
      for (size_t c = 0; c < row.texts.size() && c < columns.size(); ++c) {
        columns[c] = std::max(columns[c], plain.horizontalAdvance(DisplayText(row.texts[c])));
      }
    }
    for (double& width : columns) width += 2 * padding;
    widths.columns.push_back(std::move(columns));
  }
  for (double& width : widths.labels) {
    width = std::min(width + 2 * padding, kMostLabelShare / 2 * printer.width());
  }
  return widths;
}

double WidestSection(const Widths& widths) {
  double widest = 0;
  for (const std::vector<double>& columns : widths.columns) {
    double across = widths.labels[0] + widths.labels[1];
    for (double width : columns) across += width;
    widest = std::max(widest, across);
  }
  return widest;
}

// The rows of a section, a variable's rows kept together: the persons row
// that heads the section alone, then each variable with its rows.
std::vector<std::pair<size_t, size_t>> VariableGroups(const SummarySection& section) {
  std::vector<std::pair<size_t, size_t>> groups;
  for (size_t r = 0; r < section.rows.size(); ++r) {
    const bool afterSharedPersons = r == 1 && section.rows[0].variable.empty();
    if (groups.empty() || !section.rows[r].variable.empty() || afterSharedPersons) {
      groups.emplace_back(r, r + 1);
    } else {
      groups.back().second = r + 1;
    }
  }
  return groups;
}

// The columns in as few bands as fit across, each as many columns as fit;
// then, when that takes more than one, the same number of bands with the
// columns shared out evenly, if those fit: two halves read better than a
// full band and a last column alone.
std::vector<std::pair<size_t, size_t>> Bands(const std::vector<double>& columns, double across) {
  std::vector<std::pair<size_t, size_t>> bands;
  for (size_t first = 0; first < columns.size();) {
    double used = columns[first];
    size_t end = first + 1;
    while (end < columns.size() && used + columns[end] <= across) used += columns[end++];
    bands.emplace_back(first, end);
    first = end;
  }
  if (bands.empty()) return {{0, 0}};
  if (bands.size() == 1) return bands;
  std::vector<std::pair<size_t, size_t>> even;
  for (size_t b = 0; b < bands.size(); ++b) {
    const size_t first = columns.size() * b / bands.size();
    const size_t end = columns.size() * (b + 1) / bands.size();
    double used = 0;
    for (size_t c = first; c < end; ++c) used += columns[c];
    if (used > across && end > first + 1) return bands;
    even.emplace_back(first, end);
  }
  return even;
}

struct Heights {
  double row = 0, heading = 0, foot = 0;
};

Heights MeasureHeights(double points, QPagedPaintDevice& printer) {
  const QFontMetricsF plain(TableFont(points), &printer);
  const QFontMetricsF heading(TableFont(kHeadingPointSize), &printer);
  return {plain.lineSpacing() * kRowSpacing, heading.lineSpacing() * 1.6, heading.lineSpacing() * 1.6};
}

}  // namespace

SummaryPrintLayout LayOutSummary(std::span<const SummarySection> sections, QPagedPaintDevice& printer) {
  SummaryPrintLayout layout;
  layout.pageWidth = printer.width();
  // The size that fits the widest section across, down to the legible size
  // (text widths are near enough proportional to the size); at that size a
  // section still too wide wraps into bands.
  const double widest = WidestSection(Measure(sections, kSummaryNormalPointSize, printer));
  layout.pointSize =
      widest <= layout.pageWidth
          ? kSummaryNormalPointSize
          : std::max(kSummaryLegiblePointSize,
                     std::floor(kSummaryNormalPointSize * layout.pageWidth / widest * 10) / 10);
  Widths widths = Measure(sections, layout.pointSize, printer);
  layout.labelWidths[0] = widths.labels[0];
  layout.labelWidths[1] = widths.labels[1];
  layout.columnWidths = std::move(widths.columns);
  const double across = layout.pageWidth - layout.labelWidths[0] - layout.labelWidths[1];
  for (const std::vector<double>& columns : layout.columnWidths) {
    layout.bands.push_back(Bands(columns, across));
  }

  const Heights heights = MeasureHeights(layout.pointSize, printer);
  const auto perPage = static_cast<size_t>(
      std::max(4.0, std::floor((printer.height() - heights.heading - heights.foot) / heights.row)));
  layout.pages.emplace_back();
  auto page = [&]() -> std::vector<SummaryPrintRow>& { return layout.pages.back(); };
  using Kind = SummaryPrintRow::Kind;
  for (size_t s = 0; s < sections.size(); ++s) {
    const std::vector<std::pair<size_t, size_t>> groups = VariableGroups(sections[s]);
    for (size_t b = 0; b < layout.bands[s].size(); ++b) {
      // The band's headings, after a gap, on a page with room for them and a row.
      const auto head = [&](bool continued) {
        page().push_back({Kind::title, s, b, 0, continued});
        page().push_back({Kind::header, s, b, 0, false});
      };
      if (!page().empty() && page().size() + 4 > perPage) {
        layout.pages.emplace_back();
      } else if (!page().empty()) {
        page().push_back({Kind::gap, s, b, 0, false});
      }
      head(false);
      for (const auto& [first, end] : groups) {
        const size_t size = end - first;
        // A variable that fits on a page is not split across two.
        if (page().size() + size > perPage && size + 2 <= perPage) {
          layout.pages.emplace_back();
          head(true);
        }
        for (size_t r = first; r < end; ++r) {
          if (page().size() >= perPage) {
            layout.pages.emplace_back();
            head(true);
          }
          page().push_back({Kind::values, s, b, r, false});
        }
      }
    }
  }
  return layout;
}

bool PrintSummary(std::span<const SummarySection> sections, QPagedPaintDevice& printer,
                  const QString& heading) {
  const SummaryPrintLayout layout = LayOutSummary(sections, printer);
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  const QFont plain = TableFont(layout.pointSize);
  const QFont bold = TableFont(layout.pointSize, true);
  const QFont headingFont = TableFont(kHeadingPointSize);
  const QFontMetricsF metrics(plain, &printer);
  const QFontMetricsF headingMetrics(headingFont, &printer);
  const Heights heights = MeasureHeights(layout.pointSize, printer);
  const double width = printer.width();
  const double height = printer.height();
  const double padding = metrics.averageCharWidth();
  const QPen rule(QColor(0x80, 0x80, 0x80), std::max(1.0, printer.logicalDpiY() / 200.0));
  const QPen strongRule(Qt::black, std::max(1.0, printer.logicalDpiY() / 120.0));
  const QColor headerShade(0xE8, 0xE8, 0xE8);
  const auto pages = static_cast<int>(layout.pages.size());
  for (int p = 0; p < pages; ++p) {
    if (p > 0) printer.newPage();
    painter.setFont(headingFont);
    painter.setPen(Qt::black);
    DrawPageFrame(painter, headingMetrics, width, height, heading, p, pages);
    double y = heights.heading;
    const std::vector<SummaryPrintRow>& rows = layout.pages[static_cast<size_t>(p)];
    for (size_t i = 0; i < rows.size(); ++i) {
      const SummaryPrintRow& row = rows[i];
      const SummarySection& section = sections[row.section];
      const auto [first, end] = layout.bands[row.section][row.band];
      const std::vector<double>& columns = layout.columnWidths[row.section];
      double right = layout.labelWidths[0] + layout.labelWidths[1];
      for (size_t c = first; c < end; ++c) right += columns[c];
      // Draws a cell's text in [x, x + w), cut short if need be.
      const auto cell = [&](double x, double w, const QString& text, Qt::Alignment align) {
        const QFontMetricsF cellMetrics(painter.font(), &printer);
        painter.drawText(QRectF(x + padding, y, w - 2 * padding, heights.row), align | Qt::AlignVCenter,
                         cellMetrics.elidedText(text, Qt::ElideRight, w - 2 * padding));
      };
      switch (row.kind) {
        case SummaryPrintRow::Kind::gap:
          break;
        case SummaryPrintRow::Kind::title: {
          QString title = DisplayText(section.title);
          const size_t bands = layout.bands[row.section].size();
          if (bands > 1) title += QStringLiteral("（%1／%2）").arg(row.band + 1).arg(bands);
          if (row.continued) title += QStringLiteral("（続き）");
          painter.setFont(bold);
          cell(0, width, title, Qt::AlignLeft);
          break;
        }
        case SummaryPrintRow::Kind::header: {
          painter.fillRect(QRectF(0, y, right, heights.row), headerShade);
          painter.setPen(strongRule);
          painter.drawLine(QPointF(0, y), QPointF(right, y));
          painter.drawLine(QPointF(0, y + heights.row), QPointF(right, y + heights.row));
          painter.setPen(Qt::black);
          painter.setFont(bold);
          cell(0, layout.labelWidths[0], VariableTitle(), Qt::AlignLeft);
          cell(layout.labelWidths[0], layout.labelWidths[1], StatisticTitle(), Qt::AlignLeft);
          double x = layout.labelWidths[0] + layout.labelWidths[1];
          for (size_t c = first; c < end; ++c) {
            cell(x, columns[c], DisplayText(section.columns[c]), Qt::AlignHCenter);
            x += columns[c];
          }
          break;
        }
        case SummaryPrintRow::Kind::values: {
          const kelvara::SummaryRow& values = section.rows[row.row];
          painter.setFont(plain);
          painter.setPen(Qt::black);
          // A variable's name, and again at the top of a page it goes on to.
          const bool firstOnPage = i > 0 && rows[i - 1].kind == SummaryPrintRow::Kind::header;
          std::string_view variable = values.variable;
          for (size_t r = row.row; firstOnPage && variable.empty() && r-- > 0;) {
            variable = section.rows[r].variable;
          }
          cell(0, layout.labelWidths[0], DisplayText(variable), Qt::AlignLeft);
          cell(layout.labelWidths[0], layout.labelWidths[1], DisplayText(values.statistic), Qt::AlignLeft);
          double x = layout.labelWidths[0] + layout.labelWidths[1];
          for (size_t c = first; c < end; ++c) {
            if (c < values.texts.size()) cell(x, columns[c], DisplayText(values.texts[c]), Qt::AlignRight);
            x += columns[c];
          }
          // A rule under each variable's rows.
          const bool last = i + 1 == rows.size() || rows[i + 1].kind != SummaryPrintRow::Kind::values ||
                            !section.rows[rows[i + 1].row].variable.empty();
          painter.setPen(last ? strongRule : rule);
          painter.drawLine(QPointF(last ? 0 : layout.labelWidths[0], y + heights.row),
                           QPointF(right, y + heights.row));
          break;
        }
      }
      y += heights.row;
    }
  }
  return painter.end();
}
