// Reading report lines back into the blocks of the variables they hold: the
// lines of the results pane, or of a results file loaded into it.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/report/provenance.h"

namespace kelvara {

// The line on the sampling design that ends a block.
struct StrataNote {
  bool simpleRandomSampling = false;    // one sampling unit, or none chosen
  int strata = 0;                       // 層の数
  std::optional<int> units;             // 抽出単位の数
  std::optional<int> degreesOfFreedom;  // 自由度
  std::optional<int> singleUnitStrata;  // 1単位の層

  bool operator==(const StrataNote&) const = default;
};

// One group's line: its label and a value per field after it, as far as the
// line goes (a group without members has two). An empty field, or one that
// is not a number, has no value.
struct ReportGroupLine {
  std::string label;  // code page 932 bytes
  std::vector<std::optional<double>> values;  // in the order of the titles
  size_t line = 0;  // its position among the lines read

  // The same group with the same values, wherever its line stood.
  bool operator==(const ReportGroupLine& other) const {
    return label == other.label && values == other.values;
  }
};

// The line that ends a block judged against reference values.
struct ReferenceNote {
  std::string text;   // the whole line without its quotes, code page 932
  std::string table;  // the table's title, as the line names it
  std::string nutrient;  // the nutrient's key; empty when the line names none

  bool operator==(const ReferenceNote&) const = default;
};

struct ReportBlock {
  std::string name;       // the variable's name, code page 932 bytes
  size_t headerLine = 0;  // the position of its 【name】 line among the lines read
  // The column titles after the group column, as the title line reads; empty
  // when the line after the header is not a title line.
  std::vector<std::string> titles;
  std::vector<ReportGroupLine> groups;
  std::optional<StrataNote> strata;
  // The provenance line just before the header, when the report has them.
  std::optional<ProvenanceFields> provenance;
  std::optional<ReferenceNote> reference;
  // One past the block's last line: its closing lines (strata, reference,
  // method and the like) run up to the empty line, the next header or the
  // next block's provenance line.
  size_t endLine = 0;

  // The position in `values` of the column with this title.
  std::optional<size_t> Column(std::string_view title) const;
  // The group's value in the column with this title.
  std::optional<double> Value(const ReportGroupLine& group, std::string_view title) const;

  bool operator==(const ReportBlock&) const = default;
};

// The columns a chart reads, by their titles in the report.
enum class ReportColumn {
  persons, missingPersons, mean, sd, se, minimum,
  p1, p5, p10, p25, median, p75, p90, p95, p99, maximum,
  ciLower, ciUpper,  // present only when the block was asked for confidence intervals
  medianLower, medianUpper,  // the median's confidence interval, when asked for
  // Judged against reference values: each share and its standard error, and
  // the persons judged for it (in reports from this version on).
  earShare, earShareSe, aiShare, aiShareSe, ulShare, ulShareSe, dgShare, dgShareSe,
  earPersons, aiPersons, ulPersons, dgPersons,
};
std::string_view ColumnTitle(ReportColumn column);

// A whole report field as a number, locale-free (std::from_chars); nothing
// for an empty field, trailing text, inf or nan: no statistic of a report is
// any of these.
std::optional<double> ReportFieldNumber(std::string_view field);

// The fields of a report line, quotes removed, as SplitLine splits it.
std::vector<std::string> ReportLineFields(std::string_view line);

// The blocks among `lines`, in order. A block starts at a 【name】 header
// line, takes its column titles from the line after it, and its groups from
// the lines that follow until its strata line, an empty line or the next
// header. A provenance line right before the header belongs to the block.
// Lines outside blocks, and lines inside that are none of these, are passed
// over.
std::vector<ReportBlock> ReadReportBlocks(std::span<const std::string> lines);

}  // namespace kelvara
