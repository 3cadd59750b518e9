#include "engine/reading/ratio_table.h"

#include <fstream>
#include <sstream>

#include "engine/cut_off.h"

namespace kelvara {
namespace {

std::string Trimmed(const std::string& text) {
  const size_t from = text.find_first_not_of(" \t\r");
  if (from == std::string::npos) return {};
  return text.substr(from, text.find_last_not_of(" \t\r") - from + 1);
}

// The row of a line, or what is wrong with it.
std::optional<RatioRow> ReadRow(const std::string& line, RatioTableProblem::Kind& problem) {
  using Kind = RatioTableProblem::Kind;
  std::vector<std::string> cells;
  std::stringstream stream(line);
  for (std::string cell; std::getline(stream, cell, ',');) cells.push_back(Trimmed(cell));
  if (cells.size() != 4) {
    problem = Kind::fieldCount;
    return std::nullopt;
  }
  RatioRow row;
  row.variable = cells[0];
  const std::optional<double> sex = ParseCutOff(cells[1]);
  const std::optional<double> ratio = ParseCutOff(cells[3]);
  if (row.variable.empty()) {
    problem = Kind::noVariable;
  } else if (!sex || (*sex != 0 && *sex != 1 && *sex != 2)) {
    problem = Kind::badSex;
  } else if (!cells[2].empty() && !ParseCutOff(cells[2])) {
    problem = Kind::badAge;
  } else if (!ratio || *ratio < 0) {
    problem = Kind::badRatio;
  }
  if (problem != Kind::none) return std::nullopt;
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
                                                    RatioTableProblem& problem) {
  problem = {};
  std::ifstream in(fileName, std::ios::binary);
  if (!in) {
    problem.kind = RatioTableProblem::Kind::cannotOpen;
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
    std::optional<RatioRow> row = ReadRow(text, problem.kind);
    if (!row) {
      problem.line = number;
      return std::nullopt;
    }
    rows.push_back(std::move(*row));
  }
  if (in.bad()) {
    problem.kind = RatioTableProblem::Kind::cannotRead;
    return std::nullopt;
  }
  return rows;
}

VarianceRatio GivenRatio(const RatioRow& row, int column) {
  VarianceRatio given{column, row.ratio, row.sex};
  if (row.age) given.age = *row.age;
  return given;
}

}  // namespace kelvara
