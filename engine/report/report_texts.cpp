#include "engine/report/report_texts.h"

#include <memory>

#include "engine/reading/csv_line.h"
#include "engine/report/energy_adjusted_lines.h"
#include "engine/report/formula_line.h"
#include "engine/report/provenance.h"
#include "engine/report/ratio_block.h"
#include "engine/report/reference_line.h"
#include "engine/report/report_format.h"
#include "engine/report/usual_intake_lines.h"
#include "engine/statistics/reference_judgement.h"

namespace kelvara {
namespace {

void AppendCells(std::string_view line, std::vector<std::string>& titles) {
  std::string cellText;
  std::vector<std::string_view> cells;
  SplitLine(line, 1000, cellText, cells);
  titles.insert(titles.end(), cells.begin(), cells.end());
}

// A written line without its opening quote.
std::string Unquoted(const std::string& line) {
  return line.starts_with('"') ? line.substr(1) : line;
}

}  // namespace

ReportTexts EveryReportText() {
  DesignOptions everything;
  everything.confidenceInterval = true;
  everything.coefficientOfVariation = true;
  everything.designEffect = true;
  everything.shareBelow = 7.5;
  everything.medianInterval = true;
  everything.reference = std::make_shared<ReferenceChoice>();

  ReportTexts texts;
  AppendCells(ColumnTitleLine(everything), texts.columnTitles);
  AppendCells(RatioTitleLine(everything), texts.columnTitles);

  texts.headingSuffixes = {std::string(UsualIntakeSuffix()),
                           std::string(EnergyAdjustedSuffix(EnergyAdjustmentMethod::residual)),
                           std::string(EnergyAdjustedSuffix(EnergyAdjustmentMethod::density)),
                           std::string(RatioSuffix())};

  DesignCounts stratified;
  stratified.strata = 3;
  stratified.units = 10;
  stratified.singleUnitStrata = 1;
  for (const std::string& line :
       {StrataLine(1), StrataLine(15), StrataLine(stratified),
        ReferenceLine("T", nullptr, NotJudgedCounts{}),
        ProvenanceLine(Provenance{}, SchemeId::table1, DesignOptions{}), FirstRowsLine(2, 3, 1),
        FormulaLine("{1}")}) {
    texts.lineStarts.push_back(Unquoted(line));
  }
  for (std::string_view start : UsualIntakeLineStarts()) texts.lineStarts.emplace_back(start);
  for (std::string_view start : EnergyAdjustedLineStarts()) texts.lineStarts.emplace_back(start);
  texts.lineStarts.emplace_back(RatioMethodStart());
  return texts;
}

}  // namespace kelvara
