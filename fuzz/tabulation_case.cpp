#include "fuzz/tabulation_case.h"

namespace kelvara::fuzz {

int DecodeColumn(uint8_t byte) {
  switch (byte) {
    case 0xFF: return -1;
    case 0xFE: return -2;
    case 0xFD: return 1023;
    case 0xFC: return 1500;
    default: return byte % 12;
  }
}

TabulationCase DecodeTabulationCase(std::string_view input) {
  uint8_t control[kControlBytes] = {};
  for (size_t i = 0; i < kControlBytes && i < input.size(); ++i) {
    control[i] = static_cast<uint8_t>(input[i]);
  }
  TabulationCase c;
  c.schemeItemIndex = static_cast<int8_t>(control[0]);
  constexpr SchemeId kNumbered[] = {SchemeId::table1, SchemeId::table2, SchemeId::part5};
  c.scheme = c.schemeItemIndex >= 0 && c.schemeItemIndex < 3 ? kNumbered[c.schemeItemIndex]
                                                             : SchemeId::category;
  c.columns.unitColumn = DecodeColumn(control[1]);
  c.columns.sexColumn = DecodeColumn(control[2]);
  c.columns.ageColumn = DecodeColumn(control[3]);
  c.columns.pregnancyColumn = DecodeColumn(control[4]);
  c.columns.weightColumn = DecodeColumn(control[5]);
  c.variableColumns[0] = DecodeColumn(control[6]);
  c.variableColumns[1] = DecodeColumn(control[7]);
  c.fileBytes = input.size() > kControlBytes ? input.substr(kControlBytes) : std::string_view{};
  return c;
}

}  // namespace kelvara::fuzz
