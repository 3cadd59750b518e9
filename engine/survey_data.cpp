#include "engine/survey_data.h"

#include "engine/cell_number.h"
#include "engine/csv_table.h"

namespace kelvara {
namespace {

void ReadRowInto(const CsvTable& table, const ColumnChoice& columns,
                 const std::vector<int>& variableColumns, SurveyData& data) {
  const std::string_view unitCell = table.cell(columns.stratumColumn);
  const std::string_view sexCell = table.cell(columns.sexColumn);
  const std::string_view ageCell = table.cell(columns.ageColumn);
  const std::string_view pregnancyCell = table.cell(columns.pregnancyColumn);
  const std::string_view weightCell = table.cell(columns.weightColumn);

  bool classifiable = IsValidCell(sexCell) && IsValidCell(ageCell) && IsValidCell(pregnancyCell);
  if (data.hasUnitColumn) {
    classifiable = IsValidCell(unitCell) && classifiable;
    data.unitCode.push_back(LeadingInteger(unitCell));
  }
  double weight = 1.0;
  if (columns.weightColumn != -1) {
    if (IsValidCell(weightCell)) {
      weight = DecimalValue(weightCell);
    } else {
      classifiable = false;
    }
  }
  data.sex.push_back(LeadingInteger(sexCell));
  data.age.push_back(DecimalValue(ageCell));
  data.pregnancy.push_back(LeadingInteger(pregnancyCell));
  data.weight.push_back(weight);
  data.classifiable.push_back(classifiable ? 1 : 0);

  for (size_t v = 0; v < variableColumns.size(); ++v) {
    const std::string_view cell = table.cell(variableColumns[v]);
    VariableColumn& variable = data.variables[v];
    variable.value.push_back(DecimalValue(cell));
    variable.valid.push_back(IsValidCell(cell) ? 1 : 0);
  }
}

}  // namespace

ReadStatus ReadSurveyData(const std::string& fileName, const ColumnChoice& columns,
                          const std::vector<int>& variableColumns, SurveyData& data) {
  data = SurveyData{};
  data.hasUnitColumn = columns.stratumColumn >= 0;
  data.variables.resize(variableColumns.size());

  CsvTable table;
  if (!table.Open(fileName)) return ReadStatus::cannotOpen;
  if (table.ReadRow() < 0) {
    return table.readFailed() ? ReadStatus::readError : ReadStatus::noHeaderRow;
  }
  for (size_t v = 0; v < variableColumns.size(); ++v) {
    data.variables[v].name = std::string(table.cell(variableColumns[v]));
  }
  while (table.ReadRow() >= 0) {
    ReadRowInto(table, columns, variableColumns, data);
    ++data.rowCount;
  }
  if (table.readFailed()) return ReadStatus::readError;
  return ReadStatus::ok;
}

}  // namespace kelvara
