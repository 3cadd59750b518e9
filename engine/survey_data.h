// The columns one tabulation run needs, read from the survey data file once.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kelvara {

// Column indices (0-based cell positions) of the classification columns.
// -1 means no column; only the sampling unit and the weight may be -1.
struct ColumnChoice {
  int stratumColumn = -1;
  int sexColumn = -1;
  int ageColumn = -1;
  int pregnancyColumn = -1;
  int weightColumn = -1;
};

// One analysis variable over all data rows.
struct VariableColumn {
  std::string name;              // header cell, code page 932 bytes
  std::vector<double> value;     // decimal value of the cell
  std::vector<uint8_t> valid;    // 1 when the cell holds a usable number
};

// What the rows hold, as numbers. Row i is the i-th data row of the file.
struct SurveyData {
  size_t rowCount = 0;
  bool hasUnitColumn = false;
  std::vector<int32_t> unitCode;   // leading integer of the sampling-unit cell
  std::vector<int32_t> sex;
  std::vector<double> age;
  std::vector<int32_t> pregnancy;
  std::vector<double> weight;      // 1.0 without a usable weight cell
  // 1 when every classification cell (sampling unit, sex, age,
  // pregnant/lactating, weight) holds a usable number.
  std::vector<uint8_t> classifiable;
  std::vector<VariableColumn> variables;
};

// How reading (and so a tabulation run) ended.
enum class RunStatus {
  ok,
  cannotOpen,     // the file cannot be opened
  noHeaderRow,    // the file holds no row at all
  readError,      // reading stopped on an input error
  invalidColumn,  // a column index other than those a run accepts
};

// Reads every data row once, keeping only the chosen columns. The first
// non-blank row is the header; a cell a row does not reach is empty.
RunStatus ReadSurveyData(const std::filesystem::path& fileName, const ColumnChoice& columns,
                          const std::vector<int>& variableColumns, SurveyData& data);

}  // namespace kelvara
