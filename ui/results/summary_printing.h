// Printing the summary 一覧 in the national report's layout: a table per sex,
// the age groups across, the variables' statistics down.
#pragma once

#include <QString>
#include <span>
#include <utility>
#include <vector>

#include "engine/report/summary_table.h"

class QPagedPaintDevice;

// One printed row of a page.
struct SummaryPrintRow {
  enum class Kind { title, header, values, gap };
  Kind kind = Kind::values;
  size_t section = 0;
  size_t band = 0;  // the section's band of columns
  size_t row = 0;   // values: the section's row
  bool continued = false;  // title: the band goes on from an earlier page
};

// Where everything goes, in the printer's device pixels.
struct SummaryPrintLayout {
  double pointSize = 0;
  double pageWidth = 0;
  double labelWidths[2] = {};  // the variable and statistic columns
  std::vector<std::vector<double>> columnWidths;  // per section, per age group
  // Per section, its bands of columns [first, end): all of them when they fit
  // across the page, else as many as fit, one band after another.
  std::vector<std::vector<std::pair<size_t, size_t>>> bands;
  std::vector<std::vector<SummaryPrintRow>> pages;
};

// The type size: the normal one, smaller when that makes the widest section
// fit across the page, never below a legible size, one size for all; a
// section that does not fit even so wraps its columns into bands (each led
// by the label columns, the columns shared out evenly). A page takes whole variables
// where it can, and every page starts with its section's title and column
// headings, so that no page stands without them.
SummaryPrintLayout LayOutSummary(std::span<const kelvara::SummarySection> sections,
                                 QPagedPaintDevice& printer);

// Prints the summary on `printer` (A4 landscape is meant, any page is
// taken), `heading` at the top of every page and "n / m" at its foot; false
// when the printer could not be painted on.
bool PrintSummary(std::span<const kelvara::SummarySection> sections, QPagedPaintDevice& printer,
                  const QString& heading);

// The summary's type sizes, in points: the normal one and the smallest.
inline constexpr double kSummaryNormalPointSize = 9.0;
inline constexpr double kSummaryLegiblePointSize = 7.0;
