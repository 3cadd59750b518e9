// The summary of all blocks in the national report's layout (一覧): one
// section per sex, the age groups of the scheme across, and for each
// variable its mean, standard deviation, median and shares down. The
// workbook's 一覧 sheet and the window's printed summary are both made from
// it.
#pragma once

#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/report/report_reading.h"

namespace kelvara {

// The most decimals a summary shows: beyond the six significant digits of
// the report for any value from 1 up.
inline constexpr int kMostDecimals = 6;

// Decimals shown per variable (by the name of its block; its usual-intake
// and other blocks follow it) and for the share rows; -1 or no entry: as
// printed.
struct SummaryDecimals {
  std::map<std::string, int> byVariable;  // code page 932 names
  int shares = -1;
};

struct SummaryRow {
  std::string variable;   // the block's name on its first row, else empty
  // 人数, 平均値, 標準偏差, 中央値 or a share's column title; a block without
  // a mean (a ratio of totals) has the row of its own figure (比).
  std::string statistic;
  // Per column: the value, and its text as shown (the report's field, or
  // rounded to `decimals`); an empty text is an empty cell.
  std::vector<std::optional<double>> values;
  std::vector<std::string> texts;
  int decimals = -1;
};

struct SummarySection {
  std::string title;                 // 男, 女 or 男女計, with the scheme when results hold several
  std::vector<std::string> columns;  // the age groups: bands, then summaries
  std::vector<SummaryRow> rows;
};

// The variable each block belongs to, by name: its own, or that of an
// earlier block whose name followed by （ begins its own (鉄 for
// 鉄（習慣的摂取量）).
std::vector<std::string> BlockVariables(std::span<const ReportBlock> blocks);

// The sections of the summary: for every scheme among the blocks (in the
// order they first appear) the sections 男, 女 and 男女計, each headed by a
// row of persons per group, then each block's rows (each block with its own
// row of persons when they differ between blocks, as missing values make
// them). Values are read from
// `lines`, the lines the blocks were read from, field by field as printed.
std::vector<SummarySection> SummarySections(std::span<const ReportBlock> blocks,
                                            std::span<const std::string> lines,
                                            const SummaryDecimals& decimals);

}  // namespace kelvara
