// The columns one tabulation run needs, read from the survey data file once.
#pragma once

#include <cstdint>
#include <functional>
#include <stop_token>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/reading/text_encoding.h"

namespace kelvara {

// Column indices (0-based cell positions) of the classification columns.
// -1 means no column; only the sampling unit and the weight may be -1.
struct ColumnChoice {
  int unitColumn = -1;
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
  TextEncoding encoding = TextEncoding::cp932;  // of the names
  bool hasUnitColumn = false;
  std::vector<int32_t> unitCode;   // leading integer of the sampling-unit cell
  bool hasStrataColumn = false;
  std::vector<int32_t> stratumCode;  // leading integer of the stratum cell
  std::vector<int32_t> sex;
  std::vector<double> age;
  std::vector<int32_t> pregnancy;
  std::vector<double> weight;      // 1.0 without a usable weight cell
  std::vector<std::string> personKey;  // the person cell's bytes, with a person column
  // 1 when every classification cell (sampling unit, stratum, sex, age,
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
  nameNotConvertible,  // a variable's name has a character code page 932 lacks
  unitNotConvertible,  // a judged variable's header names a unit its nutrient's is not
  stopped,        // the caller asked the run to stop
};

// Told after each block of rows: data rows and file bytes read so far, and
// the file's size (0 when it tells none).
using ReadingProgress = std::function<void(size_t rowsRead, size_t bytesRead, size_t fileBytes)>;

// Reads every data row once, keeping only the chosen columns (and the stratum
// column when `strataColumn` is not -1). The first non-blank row is the
// header; a cell a row does not reach is empty. A UTF-8 byte order mark at
// the start of the file is dropped. A stop request is honoured between blocks
// of rows (RunStatus::stopped). With `personColumn` not -1 the person cells'
// bytes are kept in SurveyData::personKey.
RunStatus ReadSurveyData(const std::filesystem::path& fileName, const ColumnChoice& columns,
                          const std::vector<int>& variableColumns, SurveyData& data,
                          int strataColumn = -1, std::stop_token stop = {},
                          const ReadingProgress& progress = {}, int personColumn = -1);

}  // namespace kelvara
