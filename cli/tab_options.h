// Command-line options of kelvara-tab.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/design_options.h"
#include "engine/statistics/age_group_scheme.h"

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
  SchemeId scheme = SchemeId::table1;
  // Figures beyond the fixed report. The strata column is named in `strata`
  // and matched against the file later; design.strataColumn stays -1 here.
  DesignOptions design;
  // Usual intake: the person column of a file with a row per person-day, and
  // the within/between variance ratios given per variable.
  ColumnName person;
  bool usual = false;
  std::vector<std::pair<ColumnName, double>> varianceRatios;
  std::string ratioTable;  // --variance-ratios FILE, UTF-8 path
  int bootstrapReplicates = 0;
  // --below VAR=X: a cut-off for one variable, in place of the one for all.
  std::vector<std::pair<ColumnName, double>> shareBelowFor;
  bool provenance = false;
  // Computed variables: --derive NAME=EXPR (UTF-8, as given), and the energy
  // ratios of --energy-balance with the parts given by hand ("energy", COL).
  std::vector<std::pair<std::string, std::string>> derive;
  bool energyBalance = false;
  std::vector<std::pair<std::string, ColumnName>> energyColumns;
  // Reference values: dri2025, dri2020 or a table file; empty for none.
  std::string reference;
  std::vector<std::pair<ColumnName, std::string>> nutrients;  // --nutrient VAR=KEY
  std::string pregnancyStage;  // early, mid, late or empty
  std::string menstruation;    // yes, no or empty
  // --energy-adjust residual|density with --energy COL.
  EnergyAdjustmentMethod energyAdjust = EnergyAdjustmentMethod::none;
  ColumnName energy;
  std::vector<std::string> ratios;  // --ratio NUM/DEN as given, split against the header
  bool utf8 = false;
  std::string outputFile;  // empty: standard output
  std::string workbookFile;  // --xlsx FILE, or OUT.xlsx of --xlsx-from; empty: none
  std::string resultsFile;   // --xlsx-from RESULTS.csv: convert it, run nothing
  bool help = false;
};

// Parses the arguments after the program name. On bad input returns nothing
// and puts a one-line message into `error`.
std::optional<TabOptions> ParseTabOptions(const std::vector<std::string>& args,
                                          std::string& error);

extern const char* const kTabUsage;

}  // namespace kelvara
