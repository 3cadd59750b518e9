#include "engine/reading/reference_location.h"

#include <string>
#include <system_error>

namespace kelvara {

bool IsShippedReferenceName(std::string_view name) {
  for (std::string_view shipped : kShippedReferenceNames) {
    if (name == shipped) return true;
  }
  return false;
}

std::optional<std::filesystem::path> ShippedReferenceFile(
    const std::filesystem::path& programDirectory, std::string_view name) {
  const std::string file = std::string(name) + ".csv";
  for (const std::filesystem::path& place :
       {programDirectory / "reference", programDirectory / ".." / "share" / "kelvara" / "reference"}) {
    std::error_code error;
    if (std::filesystem::is_regular_file(place / file, error)) return place / file;
  }
  return std::nullopt;
}

}  // namespace kelvara
