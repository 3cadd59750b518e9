#include "cli/column_lookup.h"

#include <algorithm>
#include <charconv>

#include "codec/cp932.h"
#include "engine/reading/csv_table.h"
#include "platform/utf8_path.h"

namespace kelvara {
namespace {

// A row keeps only its first CsvTable::kRowCellLimit cells, so a header row
// that reaches the limit may have had more columns than the run can see.
bool HeaderCutAtLimit(const std::vector<std::string>& header) {
  return header.size() >= static_cast<size_t>(CsvTable::kRowCellLimit);
}

const std::string kOnlyFirstColumnsRead =
    "only the first " + std::to_string(CsvTable::kRowCellLimit) + " columns of a row are read";

}  // namespace

std::optional<std::vector<std::string>> ReadHeaderRow(const std::filesystem::path& fileName,
                                                      std::string& error) {
  const std::string name = Utf8FromPath(fileName);
  CsvTable table;
  if (!table.Open(fileName)) {
    error = "cannot open the survey data file " + name;
    return std::nullopt;
  }
  if (table.ReadRow() < 0) {
    error = table.readFailed() ? "cannot read the survey data file " + name
                               : "the survey data file " + name + " holds no header row";
    return std::nullopt;
  }
  std::vector<std::string> names(table.cells().begin(), table.cells().end());
  if (table.encoding() == TextEncoding::utf8) {
    // Names are matched and reported in code page 932; one that has no code
    // page 932 form keeps its bytes, matches no typed name, and fails the run
    // with a message naming its column if it is tabulated.
    for (std::string& name : names) {
      if (std::optional<std::string> converted = Utf8ToCp932(name)) name = std::move(*converted);
    }
  }
  return names;
}

std::optional<int> ResolveColumn(const ColumnName& name, const std::vector<std::string>& header,
                                 const std::string& role, std::string& error) {
  const std::string& text = name.text;
  const bool allDigits = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return c >= '0' && c <= '9';
  });
  if (allDigits) {
    long long number = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (ec == std::errc() && number >= 1 && number <= static_cast<long long>(header.size())) {
      return static_cast<int>(number - 1);
    }
    error = role + " column " + text + " does not exist: " +
            (HeaderCutAtLimit(header)
                 ? kOnlyFirstColumnsRead
                 : "the header row has " + std::to_string(header.size()) + " columns");
    return std::nullopt;
  }
  const std::optional<std::string> cp932 = Utf8ToCp932(text);
  if (cp932) {
    const auto first = std::find(header.begin(), header.end(), *cp932);
    if (first != header.end()) {
      if (std::find(first + 1, header.end(), *cp932) != header.end()) {
        error = role + " column \"" + text + "\" names several columns: give its number";
        return std::nullopt;
      }
      return static_cast<int>(first - header.begin());
    }
  }
  error = "no column \"" + text + "\" in the header row (" + role + ")";
  if (HeaderCutAtLimit(header)) error += ": " + kOnlyFirstColumnsRead;
  return std::nullopt;
}

std::optional<std::pair<int, int>> ResolveRatio(const std::string& text,
                                                const std::vector<std::string>& header,
                                                std::string& error) {
  std::optional<std::pair<int, int>> found;
  std::string firstError;
  for (size_t slash = text.find('/'); slash != std::string::npos;
       slash = text.find('/', slash + 1)) {
    std::string sideError;
    const auto numerator = ResolveColumn({text.substr(0, slash)}, header, "--ratio numerator",
                                         sideError);
    const auto denominator =
        numerator ? ResolveColumn({text.substr(slash + 1)}, header, "--ratio denominator",
                                  sideError)
                  : std::nullopt;
    if (!denominator) {
      if (firstError.empty()) firstError = sideError;
      continue;
    }
    if (found) {
      error = "--ratio " + text + " splits into columns at more than one slash: give the columns' "
              "numbers, as 8/5";
      return std::nullopt;
    }
    found = std::pair{*numerator, *denominator};
  }
  if (!found) error = firstError;
  return found;
}

}  // namespace kelvara
