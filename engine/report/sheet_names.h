// Names of a workbook's sheets as spreadsheets accept them: at most 31
// characters, none of []:*?/\, not empty, not starting or ending with an
// apostrophe, not the reserved History, and unique without regard to case.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvara {

// The most characters a sheet's name may have.
inline constexpr size_t kSheetNameLimit = 31;

class SheetNames {
 public:
  // A valid name for a sheet named after `wanted` (code page 932), unique
  // among those taken so far, and taken. Characters that may not stand in a
  // name become '_'; a name too long is cut, keeping a closing bracketed
  // part such as （習慣的摂取量）, so that a variable's blocks stay told
  // apart; a name taken already gets " (2)", " (3)", ...
  std::string Take(std::string_view wanted);

  // Whether `name` may name a sheet, taken or not.
  static bool Valid(std::string_view name);

 private:
  bool Taken(std::string_view name) const;

  std::vector<std::string> taken_;
};

}  // namespace kelvara
