#include "engine/reading/reference_location.h"

#include <string>
#include <system_error>

#include "platform/utf8_path.h"

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

std::optional<ReferenceTable> ReadNamedReferenceTable(const std::string& nameOrPath,
                                                      const std::filesystem::path& programDirectory,
                                                      const TextConversion& utf8ToCp932,
                                                      std::string& error) {
  std::filesystem::path file;
  if (IsShippedReferenceName(nameOrPath)) {
    const auto shipped = ShippedReferenceFile(programDirectory, nameOrPath);
    if (!shipped) {
      error = "基準値表 " + nameOrPath + " がインストールされていません（プログラムの隣の reference/" +
              nameOrPath + ".csv）";
      return std::nullopt;
    }
    file = *shipped;
  } else {
    file = PathFromUtf8(nameOrPath);
  }
  std::optional<ReferenceTable> table = ReadReferenceTable(file, utf8ToCp932, error);
  if (!table) error = Utf8FromPath(file) + ": " + error;
  return table;
}

}  // namespace kelvara
