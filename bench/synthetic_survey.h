// Big synthetic survey data files for benchmarks: the layout of a national
// nutrition survey file, with made-up respondents.
#pragma once

#include <cstdint>
#include <cstdio>

namespace kelvara::bench {

struct SurveyShape {
  int64_t rows = 1000000;      // respondents (data rows)
  int variables = 50;          // nutrient columns after the five classification columns
  int units = 300;             // sampling units (districts), codes 1 to units
  uint64_t seed = 20240601;    // the same seed and shape give the same bytes
};

// Columns of every file, 1-based as kelvara-tab numbers them.
constexpr int kUnitColumn = 1;       // 地区
constexpr int kSexColumn = 2;        // 性別
constexpr int kAgeColumn = 3;        // 年齢
constexpr int kPregnancyColumn = 4;  // 妊婦授乳婦
constexpr int kWeightColumn = 5;     // 重み
constexpr int kFirstNutrientColumn = 6;

// The reader hands over at most 1024 cells of a row.
constexpr int kMaxVariables = 1024 - 5;

// Writes the header row and `shape.rows` data rows, code page 932 with CR LF
// line ends. Respondents come in blocks of one sampling unit, as survey files
// are sorted. About 0.5% of the nutrient cells are empty or "NA". Returns false
// when writing failed.
bool WriteSyntheticSurvey(const SurveyShape& shape, std::FILE* out);

}  // namespace kelvara::bench
