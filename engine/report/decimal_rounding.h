// A printed number shown to a fixed number of decimals, rounded as a person
// rounds it (四捨五入): on its decimal digits, a half away from zero. This is
// how a spreadsheet shows the stored number under a format such as 0.0, so
// that the printed summary and the workbook show the same digits.
#pragma once

#include <string>
#include <string_view>

namespace kelvara {

// `number` as the report prints it ("6.64117", "1.23457e+06", "-0.000123")
// with `decimals` digits after the point ("6.6" for 1). A result of zero is
// printed without a sign. Text that is no plain decimal number ("inf") comes
// back as it is.
std::string RoundedDecimal(std::string_view number, int decimals);

}  // namespace kelvara
