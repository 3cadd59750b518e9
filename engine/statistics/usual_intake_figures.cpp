#include "engine/statistics/usual_intake_figures.h"

#include <cassert>
#include <cmath>

#include "engine/statistics/usual_intake_bootstrap.h"

namespace kelvara {
namespace {

bool InAgeRange(const AgeRange& range, double age) {
  if (!(range.from <= age)) return false;
  return range.toIncluded ? age <= range.to : age < range.to;
}

// A person's cell by sex and age alone: a pregnant or lactating woman
// belongs to her age band for the estimation, though the scheme may list
// her apart.
int32_t CellOf(const SchemeAgeBands& bands, int32_t sex, double age) {
  const int bandCount = static_cast<int>(bands.male.size());
  const std::vector<const AgeGroup*>* ofSex =
      sex == 1 ? &bands.male : sex == 2 ? &bands.female : nullptr;
  if (ofSex != nullptr) {
    for (size_t b = 0; b < ofSex->size(); ++b) {
      if (InAgeRange((*ofSex)[b]->age, age)) return (sex - 1) * bandCount + static_cast<int>(b);
    }
  }
  return 2 * bandCount;
}

}  // namespace

SchemeAgeBands SchemeBands(const RunLayout& layout) {
  SchemeAgeBands bands;
  for (const AgeGroup& group : layout.groups) {
    if (group.role != GroupRole::ageBand) continue;
    if (group.sex == SexCondition::male) bands.male.push_back(&group);
    if (group.sex == SexCondition::female) bands.female.push_back(&group);
  }
  return bands;
}

PersonIntakes GatherPersonIntakes(const SurveyData& days, const PersonDays& persons,
                                  const RunLayout& layout, size_t variable, int column,
                                  const UsualIntakeOptions& options) {
  assert(variable < days.variables.size() && "an analysis variable of the run");
  assert(layout.size() == persons.personCount() && "the layout's rows are the persons");
  assert(persons.dayStart.size() == persons.personCount() + 1 &&
         persons.dayStart.back() == persons.dayRows.size() && "days laid out person by person");
  const SchemeAgeBands bands = SchemeBands(layout);
  assert(bands.male.size() == bands.female.size() && "every sex has the same age bands");
  const VariableColumn& values = days.variables[variable];
  PersonIntakes intakes;
  intakes.bandCount = static_cast<int>(bands.male.size());
  const size_t count = persons.personCount();
  intakes.weight.resize(count);
  intakes.cell.resize(count);
  intakes.dayStart.reserve(count + 1);
  intakes.day.reserve(persons.dayRows.size());
  for (size_t p = 0; p < count; ++p) {
    const uint32_t row = persons.firstRow[p];
    for (uint32_t j = persons.dayStart[p]; j < persons.dayStart[p + 1]; ++j) {
      const uint32_t day = persons.dayRows[j];
      if (values.valid[day]) intakes.day.push_back(values.value[day]);
    }
    intakes.dayStart.push_back(static_cast<uint32_t>(intakes.day.size()));
    intakes.weight[p] = days.weight[row];
    const bool usable = days.classifiable[row] && (days.personKey.empty() ||
                                                   !days.personKey[row].empty());
    intakes.cell[p] = usable ? CellOf(bands, days.sex[row], days.age[row])
                             : PersonIntakes::kNoCell;
  }
  intakes.givenRatio.resize(static_cast<size_t>(intakes.cellCount() + 1));
  for (int cell = 0; cell <= intakes.cellCount(); ++cell) {
    const bool banded = cell < intakes.cellCount();
    const int sex = banded ? cell / intakes.bandCount + 1 : 0;
    if (!banded) {
      intakes.givenRatio[static_cast<size_t>(cell)] = options.RatioFor(column, 0);
      continue;
    }
    const size_t band = static_cast<size_t>(cell % intakes.bandCount);
    const AgeRange& ages = (sex == 1 ? bands.male : bands.female)[band]->age;
    intakes.givenRatio[static_cast<size_t>(cell)] =
        options.RatioFor(column, sex, ages.from, ages.to, ages.toIncluded);
  }
  return intakes;
}

UsualIntakeFigures ComputeUsualIntakeFigures(const SurveyData& days, const PersonDays& persons,
                                             const RunLayout& layout, size_t variable,
                                             int column, const UsualIntakeOptions& options,
                                             const DesignOptions& design,
                                             ColumnWorkspace& work) {
  const PersonIntakes intakes =
      GatherPersonIntakes(days, persons, layout, variable, column, options);
  UsualIntakeFigures result;
  result.fit = EstimateUsualIntakes(intakes);
  bool anyEstimated = false;
  for (const CellFit& cell : result.fit.cells) anyEstimated = anyEstimated || cell.estimated;
  if (!result.fit.anyPositive || !anyEstimated || !result.fit.Complete()) return result;
  VariableColumn usual;
  usual.value = result.fit.usual;
  usual.valid.resize(result.fit.usual.size());
  for (size_t p = 0; p < result.fit.usual.size(); ++p) {
    usual.valid[p] = std::isnan(result.fit.usual[p]) ? 0 : 1;
  }
  const NutrientReference* nutrient = ColumnNutrient(layout, design, variable);
  result.figures = ComputeColumnFigures(usual, layout, work, design, nutrient);
  if (options.bootstrapReplicates < 2) return result;
  // The replicates estimate the share at or below the full sample's medians.
  std::vector<double> medians(result.figures->groups.size(), GroupStatistics::kNoFigure);
  for (size_t g = 0; g < medians.size(); ++g) {
    if (result.figures->groups[g].n > 0) medians[g] = result.figures->groups[g].pct[50];
  }
  const BootstrapErrors errors = BootstrapUsualIntakeErrors(
      intakes, result.fit, layout, options, column, design, nutrient, medians, work);
  result.replicates = options.bootstrapReplicates;
  result.leftOutReplicates = errors.leftOut;
  result.unestimatedReplicates = errors.unestimated;
  result.figures =
      ComputeColumnFigures(usual, layout, work, design, nutrient, &errors.standardErrors);
  return result;
}

}  // namespace kelvara
