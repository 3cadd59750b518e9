#include "engine/report/report_reading.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cmath>
#include <limits>

#include "engine/reading/csv_line.h"
#include "engine/report/reference_line.h"
#include "engine/report/report_format.h"

namespace kelvara {
namespace {

// No report line holds this many fields; the limit bounds the split of
// whatever a loaded file holds.
constexpr int kFieldLimit = 256;

// The report writer's own texts, split where a marker was put in.
struct Around {
  std::string before;
  std::string after;
};

Around SplitAt(const std::string& text, std::string_view marker) {
  const size_t at = text.find(marker);
  assert(at != std::string::npos && "the marker is in the formatted line");
  return {text.substr(0, at), text.substr(at + marker.size())};
}

struct ReportTexts {
  Around header = SplitAt(HeaderLine("\n"), "\n");             // "【 and 】"
  std::string strataPrefix = SplitAt(StrataLine(7), "7").before;  // "層の数：
  std::string simpleRandomSampling = StrataLine(1);
  // The words between the numbers of a stratified design's strata line:
  // 、抽出単位の数：, 、自由度： and 、1単位の層：.
  std::string unitsWord, freedomWord, singleUnitWord;
  std::vector<std::string> titles;  // the 17 fixed titles, group column first

  ReportTexts() {
    std::string cellText;
    std::vector<std::string_view> cells;
    SplitLine(ColumnTitleLine(), kFieldLimit, cellText, cells);
    titles.assign(cells.begin(), cells.end());
    // Strata 1000001, units 3000003, hence 2000002 degrees of freedom, and
    // 4000004 single-unit strata: numbers that stand nowhere else in the line.
    const std::string stratified = StrataLine(DesignCounts{1000001, 3000003, 4000004});
    const std::string afterStrata = SplitAt(stratified, "1000001").after;
    unitsWord = SplitAt(afterStrata, "3000003").before;
    const std::string afterUnits = SplitAt(afterStrata, "3000003").after;
    freedomWord = SplitAt(afterUnits, "2000002").before;
    singleUnitWord = SplitAt(SplitAt(afterUnits, "2000002").after, "4000004").before;
  }
};

const ReportTexts& Texts() {
  static const ReportTexts texts;
  return texts;
}

bool IsHeaderLine(std::string_view line) {
  const Around& header = Texts().header;
  return line.size() >= header.before.size() + header.after.size() &&
         line.starts_with(header.before) && line.ends_with(header.after);
}

// The name between the brackets, taken from both ends of the line so that a
// name holding commas, quotes or a trail byte 0x5C comes back whole.
std::string HeaderName(std::string_view line) {
  const Around& header = Texts().header;
  line.remove_prefix(header.before.size());
  line.remove_suffix(header.after.size());
  return std::string(line);
}

// Reads a decimal count at the front of `text` and moves past it.
std::optional<int> TakeCount(std::string_view& text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end == text.data()) return std::nullopt;
  text.remove_prefix(static_cast<size_t>(end - text.data()));
  return value;
}

std::optional<int> TakeLabelledCount(std::string_view& text, std::string_view word) {
  if (!text.starts_with(word)) return std::nullopt;
  text.remove_prefix(word.size());
  return TakeCount(text);
}

// The strata line in any of its forms, or nothing when the line is not one.
std::optional<StrataNote> ReadStrataLine(std::string_view line) {
  const ReportTexts& texts = Texts();
  if (line == texts.simpleRandomSampling) {
    StrataNote note;
    note.simpleRandomSampling = true;
    note.strata = 1;
    return note;
  }
  if (!line.starts_with(texts.strataPrefix) || !line.ends_with('"')) return std::nullopt;
  std::string_view rest = line.substr(texts.strataPrefix.size());
  rest.remove_suffix(1);
  StrataNote note;
  const std::optional<int> strata = TakeCount(rest);
  if (!strata) return std::nullopt;
  note.strata = *strata;
  if (!rest.empty()) {
    note.units = TakeLabelledCount(rest, texts.unitsWord);
    note.degreesOfFreedom = TakeLabelledCount(rest, texts.freedomWord);
    if (!note.units || !note.degreesOfFreedom) return std::nullopt;
    if (!rest.empty()) {
      note.singleUnitStrata = TakeLabelledCount(rest, texts.singleUnitWord);
      if (!note.singleUnitStrata || !rest.empty()) return std::nullopt;
    }
  }
  return note;
}

// The reference line, recognised and split in the writer's own words.
std::optional<ReferenceNote> ReadReferenceLine(std::string_view line) {
  const std::optional<std::string> table = ReferenceLineTable(line);
  if (!table) return std::nullopt;
  return ReferenceNote{std::string(line.substr(1, line.size() - 2)), *table,
                       ReferenceLineNutrient(line).value_or(std::string())};
}

// The group lines from line `i` on, up to the strata line (with the reference
// line after it) or the block's end; `i` is left after what was read.
void ReadGroups(std::span<const std::string> lines, size_t& i, ReportBlock& block) {
  std::string cellText;
  std::vector<std::string_view> cells;
  for (; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.empty() || IsHeaderLine(line) || ReadProvenanceLine(line)) return;
    if (std::optional<StrataNote> note = ReadStrataLine(line)) {
      block.strata = *note;
      ++i;
      if (i < lines.size()) {
        block.reference = ReadReferenceLine(lines[i]);
        if (block.reference) ++i;
      }
      return;
    }
    SplitLine(line, kFieldLimit, cellText, cells);
    if (cells.size() < 3 || cells.front().empty()) continue;  // not a group line
    ReportGroupLine& group = block.groups.emplace_back();
    group.label = cells.front();
    group.line = i;
    // Only the fields present are kept, so that what a hostile file costs
    // stays in proportion to its own size.
    group.values.resize(std::min(cells.size() - 1, block.titles.size()));
    for (size_t c = 0; c < group.values.size(); ++c) group.values[c] = ReportFieldNumber(cells[c + 1]);
  }
}

}  // namespace

std::optional<double> ReportFieldNumber(std::string_view field) {
  if (field.empty()) return std::nullopt;
  double value = 0;
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
  if (error != std::errc() || end != field.data() + field.size()) return std::nullopt;
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

std::vector<std::string> ReportLineFields(std::string_view line) {
  std::string cellText;
  std::vector<std::string_view> cells;
  SplitLine(line, kFieldLimit, cellText, cells);
  return {cells.begin(), cells.end()};
}

std::string_view ColumnTitle(ReportColumn column) {
  switch (column) {
    case ReportColumn::ciLower: return kConfidenceLowerTitle;
    case ReportColumn::ciUpper: return kConfidenceUpperTitle;
    case ReportColumn::medianLower: return kMedianLowerTitle;
    case ReportColumn::medianUpper: return kMedianUpperTitle;
    case ReportColumn::earShare: return kJudgedShareTitles[0];
    case ReportColumn::earShareSe: return kJudgedShareErrorTitles[0];
    case ReportColumn::aiShare: return kJudgedShareTitles[1];
    case ReportColumn::aiShareSe: return kJudgedShareErrorTitles[1];
    case ReportColumn::ulShare: return kJudgedShareTitles[2];
    case ReportColumn::ulShareSe: return kJudgedShareErrorTitles[2];
    case ReportColumn::dgShare: return kJudgedShareTitles[3];
    case ReportColumn::dgShareSe: return kJudgedShareErrorTitles[3];
    case ReportColumn::earPersons: return kJudgedPersonsTitles[0];
    case ReportColumn::aiPersons: return kJudgedPersonsTitles[1];
    case ReportColumn::ulPersons: return kJudgedPersonsTitles[2];
    case ReportColumn::dgPersons: return kJudgedPersonsTitles[3];
    default: {
      // The fixed titles in report order; the group column comes first.
      const auto index = static_cast<size_t>(column) + 1;
      assert(index < Texts().titles.size() && "a fixed column of the report");
      return Texts().titles[index];
    }
  }
}

std::optional<size_t> ReportBlock::Column(std::string_view title) const {
  for (size_t i = 0; i < titles.size(); ++i) {
    if (titles[i] == title) return i;
  }
  return std::nullopt;
}

std::optional<double> ReportBlock::Value(const ReportGroupLine& group,
                                         std::string_view title) const {
  const std::optional<size_t> column = Column(title);
  if (!column || *column >= group.values.size()) return std::nullopt;
  return group.values[*column];
}

std::vector<ReportBlock> ReadReportBlocks(std::span<const std::string> lines) {
  const std::string& groupTitle = Texts().titles.front();  // 性年齢
  std::vector<ReportBlock> blocks;
  std::string cellText;
  std::vector<std::string_view> cells;
  size_t i = 0;
  while (i < lines.size()) {
    if (!IsHeaderLine(lines[i])) {
      ++i;
      continue;
    }
    ReportBlock& block = blocks.emplace_back();
    block.name = HeaderName(lines[i]);
    if (i > 0) block.provenance = ReadProvenanceLine(lines[i - 1]);
    block.headerLine = i++;
    if (i < lines.size() && !IsHeaderLine(lines[i])) {
      SplitLine(lines[i], kFieldLimit, cellText, cells);
      if (cells.size() > 1 && cells.front() == groupTitle) {
        block.titles.assign(cells.begin() + 1, cells.end());
        ++i;
      }
    }
    if (!block.titles.empty()) ReadGroups(lines, i, block);
    // The closing lines the reader does not know (a method line, say) still
    // belong to the block.
    while (i < lines.size() && !lines[i].empty() && !IsHeaderLine(lines[i]) &&
           !ReadProvenanceLine(lines[i])) {
      ++i;
    }
    block.endLine = i;
  }
  return blocks;
}

}  // namespace kelvara
