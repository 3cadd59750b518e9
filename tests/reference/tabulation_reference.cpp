// TabulateVariable as one self-contained pass per variable.
#include <cmath>

#include "engine/statistics/age_group_scheme.h"
#include "engine/reading/cell_number.h"
#include "engine/reading/csv_table.h"
#include "engine/report/report_format.h"
#include "engine/report/variable_block.h"
#include "tests/reference/reference_tabulation.h"

namespace kelvara::reference {

std::vector<std::string> TabulateVariable(const std::filesystem::path& fileName, int unitColumn,
                                          int sexColumn, int ageColumn, int pregnancyColumn,
                                          int variableColumn, int weightColumn,
                                          SchemeId scheme, const DesignOptions& design) {
  const int strataColumn = design.strataColumn;
  CsvTable table;
  if (!table.Open(fileName)) return {};
  table.Scan();
  if (table.rowCount() < 1) return {};

  VariableSummary summary;
  AllocateRecords(summary, table.rowCount() - 1);
  table.ReadRow();
  summary.name = std::string(table.cell(variableColumn));
  for (int32_t i = 0; i < summary.count; ++i) {
    table.ReadRow();
    SurveyRecord& r = summary.records[static_cast<size_t>(i)];
    bool usable = (unitColumn < 0 || IsValidCell(table.cell(unitColumn))) &&
                  IsValidCell(table.cell(sexColumn)) && IsValidCell(table.cell(ageColumn)) &&
                  IsValidCell(table.cell(pregnancyColumn)) &&
                  IsValidCell(table.cell(variableColumn)) &&
                  (weightColumn == -1 || IsValidCell(table.cell(weightColumn))) &&
                  (strataColumn < 0 || IsValidCell(table.cell(strataColumn)));
    r.missing = usable ? 0 : 1;
    r.stratum = unitColumn == -1 ? 1
                : r.missing         ? -999
                                    : LeadingInteger(table.cell(unitColumn));
    r.sex = LeadingInteger(table.cell(sexColumn));
    r.age = DecimalValue(table.cell(ageColumn));
    r.pregnancy = LeadingInteger(table.cell(pregnancyColumn));
    r.value = DecimalValue(table.cell(variableColumn));
    r.weight = 1.0;
    if (weightColumn != -1 && IsValidCell(table.cell(weightColumn))) {
      r.weight = DecimalValue(table.cell(weightColumn));
    }
    r.designStratum = strataColumn < 0 ? 0 : LeadingInteger(table.cell(strataColumn));
    r.row = i;
  }
  table.Close();

  const bool hasStrata = strataColumn >= 0;
  const bool hasUnits = unitColumn >= 0;
  int32_t usableRows = 0;
  for (const SurveyRecord& r : summary.records) usableRows += r.missing ? 0 : 1;

  std::vector<std::string> lines;
  lines.push_back(HeaderLine(summary.name));
  lines.push_back(design.addsColumns() ? ColumnTitleLine(design)
                                       : std::string(ColumnTitleLine()));
  for (const AgeGroup& group : SchemeGroups(scheme)) {
    for (SurveyRecord& r : summary.records) {
      r.inGroup = group.Contains(r.sex, r.age, r.pregnancy) ? 1.0 : 0.0;
    }
    ComputeGroupStatistics(summary);
    GroupStatistics statistics = StatisticsOf(summary);
    // A design of one unit in all keeps the report's simple-random-sampling
    // standard error, strata or not.
    const bool stratified = hasStrata && CountDesign(summary, hasUnits).units > 1;
    if (stratified) statistics.se = std::sqrt(StratifiedVariance(summary, hasUnits));
    if (design.shareBelow) {
      // The share below the cut-off is the mean of the indicator value < cut-off.
      VariableSummary indicator = summary;
      for (SurveyRecord& r : indicator.records) r.value = r.value < *design.shareBelow ? 1 : 0;
      ComputeGroupStatistics(indicator);
      statistics.shareBelow = indicator.mean;
      statistics.shareBelowSe =
          stratified ? std::sqrt(StratifiedVariance(indicator, hasUnits)) : indicator.se;
    }
    const DesignCounts counts =
        hasStrata ? CountDesign(summary, hasUnits) : DesignCounts{0, summary.nUnits, 0};
    const double multiplier =
        design.confidenceInterval
            ? ConfidenceMultiplier(DegreesOfFreedom(hasStrata, hasUnits, counts, usableRows))
            : 0.0;
    AddDesignFigures(statistics, multiplier);
    lines.push_back(GroupLine(group.label, statistics, AddedFields(statistics, design)));
  }
  lines.push_back(hasStrata ? StrataLine(CountDesign(summary, hasUnits))
                            : StrataLine(summary.nUnits));
  lines.emplace_back();
  ReleaseRecords(summary);
  return lines;
}

}  // namespace kelvara::reference
