#include "cli/ratio_table.h"

#include <fstream>
#include <sstream>

#include "engine/cut_off.h"
#include "platform/utf8_path.h"

namespace kelvara {
namespace {

std::string Trimmed(const std::string& text) {
  const size_t from = text.find_first_not_of(" \t\r");
  if (from == std::string::npos) return {};
  return text.substr(from, text.find_last_not_of(" \t\r") - from + 1);
}

// The row of a line, or a message saying what is wrong with it.
std::optional<RatioRow> ReadRow(const std::string& line, std::string& problem) {
  std::vector<std::string> cells;
  std::stringstream stream(line);
  for (std::string cell; std::getline(stream, cell, ',');) cells.push_back(Trimmed(cell));
  if (cells.size() != 4) {
    problem = "needs 4 fields VAR,SEX,AGE,R";
    return std::nullopt;
  }
  RatioRow row;
  row.variable.text = cells[0];
  const std::optional<double> sex = ParseCutOff(cells[1]);
  const std::optional<double> ratio = ParseCutOff(cells[3]);
  if (row.variable.text.empty()) {
    problem = "names no variable";
  } else if (!sex || (*sex != 0 && *sex != 1 && *sex != 2)) {
    problem = "SEX must be 1, 2 or 0 (both)";
  } else if (!cells[2].empty() && !ParseCutOff(cells[2])) {
    problem = "AGE must be an age of the band or empty";
  } else if (!ratio || *ratio < 0) {
    problem = "R must be a ratio of 0 or more such as 1.5";
  }
  if (!problem.empty()) return std::nullopt;
  row.sex = static_cast<int>(*sex);
  if (!cells[2].empty()) row.age = ParseCutOff(cells[2]);
  row.ratio = *ratio;
  return row;
}

// A header names its columns: its last field is no number.
bool IsHeader(const std::string& line) {
  const size_t comma = line.rfind(',');
  return comma != std::string::npos && !ParseCutOff(Trimmed(line.substr(comma + 1)));
}

}  // namespace

std::optional<std::vector<RatioRow>> ReadRatioTable(const std::filesystem::path& fileName,
                                                    std::string& error) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) {
    error = "cannot open the variance-ratio table " + Utf8FromPath(fileName);
    return std::nullopt;
  }
  std::vector<RatioRow> rows;
  std::string line;
  bool first = true;
  for (int number = 1; std::getline(in, line); ++number) {
    if (number == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    const std::string text = Trimmed(line);
    if (text.empty() || text.front() == '#') continue;
    if (first && IsHeader(text)) {
      first = false;
      continue;
    }
    first = false;
    std::string problem;
    std::optional<RatioRow> row = ReadRow(text, problem);
    if (!row) {
      error = "line " + std::to_string(number) + " of the variance-ratio table " +
              Utf8FromPath(fileName) + " " + problem;
      return std::nullopt;
    }
    rows.push_back(std::move(*row));
  }
  if (in.bad()) {
    error = "cannot read the variance-ratio table " + Utf8FromPath(fileName);
    return std::nullopt;
  }
  return rows;
}

}  // namespace kelvara
