// Command-line options of kelvara-tab.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kelvara {

// A column as the user named it: a 1-based column number or a header text
// (UTF-8), not yet matched against the file.
struct ColumnName {
  std::string text;
  bool given() const { return !text.empty(); }
};

struct TabOptions {
  std::string fileName;
  ColumnName unit, weight, sex, age, pregnancy, strata;
  std::vector<ColumnName> variables;
  int schemeItemIndex = 0;
  // Figures beyond the fixed report; the strata column is in `strata`.
  bool confidenceInterval = false;
  bool coefficientOfVariation = false;
  bool designEffect = false;
  std::optional<double> shareBelow;
  bool medianInterval = false;
  // Reference values: dri2025, dri2020 or a table file; empty for none.
  std::string reference;
  std::vector<std::pair<ColumnName, std::string>> nutrients;  // --nutrient VAR=KEY
  std::string pregnancyStage;  // early, mid, late or empty
  std::string menstruation;    // yes, no or empty
  bool utf8 = false;
  std::string outputFile;  // empty: standard output
  bool help = false;
};

// Parses the arguments after the program name. On bad input returns nothing
// and puts a one-line message into `error`.
std::optional<TabOptions> ParseTabOptions(const std::vector<std::string>& args,
                                          std::string& error);

extern const char* const kTabUsage;

}  // namespace kelvara
