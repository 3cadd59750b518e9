#include "fuzz/tabulation_check.h"

#include <charconv>
#include <cmath>
#include <set>
#include <vector>

#include "engine/reading/cell_number.h"
#include "engine/tabulation.h"
#include "fuzz/group_nesting.h"
#include "fuzz/memory_file.h"
#include "fuzz/reference_rows.h"
#include "fuzz/tabulation_case.h"
#include "tests/support/report_fields.h"

namespace kelvara::fuzz {
namespace {

constexpr int kReaderCellLimit = 1024;
constexpr int32_t kMissingUnitCode = -999;

constexpr std::string_view kOpenBracket = "\x81y";   // 【
constexpr std::string_view kCloseBracket = "\x81z";  // 】
// 層の数が１、または指定されていないため単純無作為抽出を仮定.
constexpr std::string_view kSimpleRandomSampling =
    "\"\x91w\x82\xCC\x90\x94\x82\xAA\x82P\x81" "A\x82\xDC\x82\xBD\x82\xCD\x8Ew\x92\xE8"
    "\x82\xB3\x82\xEA\x82\xC4\x82\xA2\x82\xC8\x82\xA2\x82\xBD\x82\xDF\x92P\x8F\x83\x96\xB3"
    "\x8D\xEC\x88\xD7\x92\x8A\x8Fo\x82\xF0\x89\xBC\x92\xE8.\"";
constexpr std::string_view kNumberOfStrata = "\x91w\x82\xCC\x90\x94\x81" "F";  // 層の数：

using Lines = std::vector<std::string>;

bool ParseCount(std::string_view field, long long& count) {
  const auto [ptr, error] = std::from_chars(field.data(), field.data() + field.size(), count);
  return error == std::errc() && ptr == field.data() + field.size();
}

// A number field as the report prints it; empty stands for a result that is
// not a number.
bool ParseStatistic(std::string_view field, double& value) {
  value = std::nan("");
  if (field.empty()) return true;
  const auto [ptr, error] = std::from_chars(field.data(), field.data() + field.size(), value);
  return error == std::errc() && ptr == field.data() + field.size();
}

struct RunContext {
  TabulationCase c;
  std::vector<ReferenceRow> rows;  // header row first
};

// Whether a data row is usable for `variable` under the row rule.
bool IsUsable(const RunContext& run, const ReferenceRow& row, int variable) {
  const ColumnChoice& columns = run.c.columns;
  auto valid = [&](int column) { return IsValidCell(ReferenceCell(row, column)); };
  return valid(columns.sexColumn) && valid(columns.ageColumn) && valid(columns.pregnancyColumn) &&
         valid(variable) && (columns.unitColumn < 0 || valid(columns.unitColumn)) &&
         (columns.weightColumn == -1 || valid(columns.weightColumn));
}

std::string ExpectedStrataLine(const RunContext& run, int variable) {
  const size_t dataRows = run.rows.size() - 1;
  int units = dataRows > 0 ? 1 : 0;
  if (run.c.columns.unitColumn >= 0) {
    std::set<int32_t> codes;
    for (size_t r = 1; r < run.rows.size(); ++r) {
      if (!IsUsable(run, run.rows[r], variable)) continue;
      const int32_t code = LeadingInteger(ReferenceCell(run.rows[r], run.c.columns.unitColumn));
      if (code != kMissingUnitCode) codes.insert(code);
    }
    units = static_cast<int>(codes.size());
  }
  if (units == 1) return std::string(kSimpleRandomSampling);
  std::string line = "\"";
  line.append(kNumberOfStrata).append(std::to_string(units)).append("\"");
  return line;
}

std::string CheckGroupLine(const RunContext& run, std::string_view line, GroupCount& count) {
  const std::vector<std::string> fields = testing::ReportFields(line);
  if (fields.size() != 3 && fields.size() != 17) {
    return std::to_string(fields.size()) + " fields";
  }
  const std::string_view label = fields[0];
  if (label.size() < 3 || label.front() != '"' || label.back() != '"' ||
      label.substr(1, label.size() - 2).find('"') != std::string_view::npos) {
    return "the label is not one quoted text";
  }
  if (!ParseCount(fields[1], count.n) || !ParseCount(fields[2], count.nMissing)) {
    return "a count is not an integer";
  }
  if (count.n < 0 || count.nMissing < 0) return "a negative count";
  if ((fields.size() == 3) != (count.n == 0)) return "the short form does not go with n = 0";
  if (count.n == 0) return {};

  std::vector<double> numbers(fields.size());
  for (size_t f = 3; f < fields.size(); ++f) {
    if (!ParseStatistic(fields[f], numbers[f])) return "field " + std::to_string(f) + " is no number";
  }
  if (count.n == 1 && (!fields[4].empty() || !fields[5].empty())) {
    return "one member, yet a standard deviation or error is printed";
  }
  if (run.c.columns.weightColumn == -1) {
    // All weights 1: the minimum and maximum are member values, printed as they are.
    const double minimum = numbers[6];
    const double maximum = numbers[16];
    if (!std::isfinite(minimum) || !std::isfinite(maximum) || minimum > maximum) {
      return "minimum and maximum out of order";
    }
    // One member of weight 1: mean and percentiles are its value (the mean
    // of -0 prints as 0, hence a numeric comparison).
    if (count.n == 1) {
      for (size_t f = 6; f < fields.size(); ++f) {
        if (numbers[f] != numbers[3]) return "one member, yet its statistics differ from its value";
      }
    }
  }
  return {};
}

// Checks one variable's block and hands back its group counts.
std::string CheckBlock(const RunContext& run, const Lines& block, int variable,
                       std::vector<GroupCount>& counts) {
  const size_t groups = SchemeGroupCount(run.c.schemeItemIndex);
  if (block.size() != groups + 4) return "the block has " + std::to_string(block.size()) + " lines";
  for (const std::string& line : block) {
    if (line.find_first_of("\r\n") != std::string::npos) return "a line holds a line end";
  }
  std::string header = "\"";
  header.append(kOpenBracket).append(ReferenceCell(run.rows.front(), variable));
  header.append(kCloseBracket).append("\"");
  if (block[0] != header) return "the header line does not carry the variable's name";
  if (testing::ReportFields(block[1]).size() != 17) return "the column titles are not 17 fields";

  counts.assign(groups, {});
  for (size_t g = 0; g < groups; ++g) {
    const std::string failure = CheckGroupLine(run, block[2 + g], counts[g]);
    if (!failure.empty()) return "group line " + std::to_string(g) + ": " + failure;
  }
  if (block[2 + groups] != ExpectedStrataLine(run, variable)) return "wrong strata line";
  if (!block.back().empty()) return "the block does not end with an empty line";

  if (std::string failure = CheckGroupNesting(run.c.schemeItemIndex, counts); !failure.empty()) {
    return failure;
  }
  if (const int everyone = EveryoneGroup(run.c.schemeItemIndex); everyone >= 0) {
    long long usable = 0;
    for (size_t r = 1; r < run.rows.size(); ++r) usable += IsUsable(run, run.rows[r], variable);
    const long long dataRows = static_cast<long long>(run.rows.size()) - 1;
    const GroupCount& all = counts[static_cast<size_t>(everyone)];
    if (all.n != usable || all.nMissing != dataRows - usable) {
      return "the group of everyone has n " + std::to_string(all.n) + ", missing " +
             std::to_string(all.nMissing) + "; the rows give " + std::to_string(usable) + ", " +
             std::to_string(dataRows - usable);
    }
  }
  return {};
}

RunRequest RequestFor(const TabulationCase& c, const std::filesystem::path& fileName,
                      std::vector<int> variables) {
  RunRequest request;
  request.fileName = fileName;
  request.columns = c.columns;
  request.variableColumns = std::move(variables);
  request.scheme = c.scheme;
  return request;
}

RunStatus Run(const RunRequest& request, unsigned threads, Lines& lines) {
  lines.clear();
  return TabulateVariables(request, [&](std::string_view line) { lines.emplace_back(line); },
                           threads);
}

bool AcceptsColumns(const TabulationCase& c) {
  const ColumnChoice& columns = c.columns;
  return columns.sexColumn >= 0 && columns.ageColumn >= 0 && columns.pregnancyColumn >= 0 &&
         columns.unitColumn >= -1 && columns.weightColumn >= -1 && c.variableColumns[0] >= 0 &&
         c.variableColumns[1] >= 0;
}

}  // namespace

std::string CheckTabulation(std::string_view input) {
  RunContext run{DecodeTabulationCase(input), {}};
  const MemoryFile file(run.c.fileBytes);
  if (!file.ok()) return "the input could not be put into an in-memory file";
  const std::vector<int> variables = {run.c.variableColumns[0], run.c.variableColumns[1]};

  Lines lines;
  const RunStatus status = Run(RequestFor(run.c, file.path(), variables), 2, lines);
  if (!AcceptsColumns(run.c)) {
    if (status != RunStatus::invalidColumn) return "a refused column index was not refused";
    return lines.empty() ? std::string() : "lines were handed over for refused columns";
  }
  run.rows = ReferenceRows(run.c.fileBytes, kReaderCellLimit);
  if (run.rows.empty()) {
    if (status != RunStatus::noHeaderRow) return "a file without rows was not reported";
    return lines.empty() ? std::string() : "lines were handed over for a file without rows";
  }
  if (status != RunStatus::ok) return "the run failed on a readable file";

  const size_t blockSize = SchemeGroupCount(run.c.schemeItemIndex) + 4;
  if (lines.size() != 2 * blockSize) return "the report has " + std::to_string(lines.size()) + " lines";
  std::vector<GroupCount> counts[2];
  for (size_t v = 0; v < 2; ++v) {
    const Lines block(lines.begin() + static_cast<long>(v * blockSize),
                      lines.begin() + static_cast<long>((v + 1) * blockSize));
    if (std::string failure = CheckBlock(run, block, variables[v], counts[v]); !failure.empty()) {
      return "block " + std::to_string(v) + ": " + failure;
    }
    // A block is what a run of its variable alone gives. One of the two is
    // compared, chosen by the input, since every run reads the file afresh.
    if (v != input.size() % 2) continue;
    Lines alone;
    if (Run(RequestFor(run.c, file.path(), {variables[v]}), 1, alone) != RunStatus::ok ||
        alone != block) {
      return "block " + std::to_string(v) + " differs from a run of its variable alone";
    }
  }
  // Membership depends on sex, age and pregnant/lactating codes only, which
  // both variables share.
  for (size_t g = 0; g < counts[0].size(); ++g) {
    if (counts[0][g].n + counts[0][g].nMissing != counts[1][g].n + counts[1][g].nMissing) {
      return "group " + std::to_string(g) + " has different members for the two variables";
    }
  }
  return {};
}

}  // namespace kelvara::fuzz
