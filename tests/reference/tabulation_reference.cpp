// TabulateVariable as one self-contained pass per variable.
#include "engine/age_group_scheme.h"
#include "engine/cell_number.h"
#include "engine/csv_table.h"
#include "engine/report_format.h"
#include "tests/reference/reference_tabulation.h"

namespace kelvara::reference {

std::vector<std::string> TabulateVariable(const std::filesystem::path& fileName, int stratumColumn,
                                          int sexColumn, int ageColumn, int pregnancyColumn,
                                          int variableColumn, int weightColumn,
                                          int schemeItemIndex) {
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
    bool usable = (stratumColumn < 0 || IsValidCell(table.cell(stratumColumn))) &&
                  IsValidCell(table.cell(sexColumn)) && IsValidCell(table.cell(ageColumn)) &&
                  IsValidCell(table.cell(pregnancyColumn)) &&
                  IsValidCell(table.cell(variableColumn)) &&
                  (weightColumn == -1 || IsValidCell(table.cell(weightColumn)));
    r.missing = usable ? 0 : 1;
    r.stratum = stratumColumn == -1 ? 1
                : r.missing         ? -999
                                    : LeadingInteger(table.cell(stratumColumn));
    r.sex = LeadingInteger(table.cell(sexColumn));
    r.age = DecimalValue(table.cell(ageColumn));
    r.pregnancy = LeadingInteger(table.cell(pregnancyColumn));
    r.value = DecimalValue(table.cell(variableColumn));
    r.weight = 1.0;
    if (weightColumn != -1 && IsValidCell(table.cell(weightColumn))) {
      r.weight = DecimalValue(table.cell(weightColumn));
    }
  }
  table.Close();

  std::vector<std::string> lines;
  lines.push_back(HeaderLine(summary.name));
  lines.emplace_back(ColumnTitleLine());
  for (const AgeGroup& group : SchemeGroups(SchemeForItemIndex(schemeItemIndex))) {
    for (SurveyRecord& r : summary.records) {
      r.inGroup = group.Contains(r.sex, r.age, r.pregnancy) ? 1.0 : 0.0;
    }
    ComputeGroupStatistics(summary);
    lines.push_back(GroupLine(group.label, StatisticsOf(summary)));
  }
  lines.push_back(StrataLine(summary.nStrata));
  lines.emplace_back();
  ReleaseRecords(summary);
  return lines;
}

}  // namespace kelvara::reference
