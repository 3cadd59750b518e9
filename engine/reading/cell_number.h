// Numbers in survey data cells, read the same way whatever the process locale.
#pragma once

#include <cstdint>
#include <string_view>

namespace kelvara {

// The leading integer of a cell: leading white space, an optional sign and
// decimal digits, as a text-to-long conversion reads them ("2.0" gives 2, a
// cell without leading digits gives 0). Values beyond the signed 32-bit range
// saturate at its ends instead of wrapping.
int32_t LeadingInteger(std::string_view text);

struct DecimalNumber {
  double value = 0.0;      // 0 when the cell does not begin with a number
  bool outOfRange = false; // the number lies beyond the range of a double
};

// The decimal value of a cell: leading white space, an optional sign, digits
// with an optional fraction and an optional exponent. Only decimal notation is
// read (no hexadecimal, no "inf" or "nan"). A number too large for a double
// gives plus or minus infinity and outOfRange; one too small gives zero.
DecimalNumber ReadDecimal(std::string_view text);

inline double DecimalValue(std::string_view text) { return ReadDecimal(text).value; }

// Whether a cell holds a usable number: a non-zero decimal value, or text
// that starts (after blanks, control bytes and bytes from 0x80 up, and one
// sign) with "0" or ".0". A value beyond the range of a double is not usable.
bool IsValidCell(std::string_view text);

// The decimal value of a cell and whether it is usable, read in one go.
struct CellValue {
  double value;
  bool valid;
};
CellValue ReadCell(std::string_view text);

}  // namespace kelvara
