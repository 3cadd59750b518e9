// A tabulation run spelled out in fuzz input bytes.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/reading/survey_data.h"
#include "engine/statistics/age_group_scheme.h"

namespace kelvara::fuzz {

// The input starts with kControlBytes choices, the survey data file follows:
//   byte 0     the scheme's item index, as a signed byte (0 to 3, or any other)
//   bytes 1-5  sampling unit, sex, age, pregnant/lactating, weight column
//   bytes 6-7  the two analysis variable columns
// A column byte is read by DecodeColumn. Inputs shorter than the choices are
// padded with zero bytes.
constexpr size_t kControlBytes = 8;

struct TabulationCase {
  int schemeItemIndex = 0;
  SchemeId scheme = SchemeId::table1;  // 0 table 1, 1 table 2, 2 part 5, any other category
  ColumnChoice columns;
  int variableColumns[2] = {0, 0};
  std::string_view fileBytes;
};

// 0xFF no column (-1), 0xFE a column no run accepts (-2), 0xFD the last column
// a row can have (1023), 0xFC a column beyond it (1500); any other byte b the
// column b % 12, often beyond a short row.
int DecodeColumn(uint8_t byte);

TabulationCase DecodeTabulationCase(std::string_view input);

}  // namespace kelvara::fuzz
