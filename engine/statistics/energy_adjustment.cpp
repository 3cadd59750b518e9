#include "engine/statistics/energy_adjustment.h"

#include <cassert>

namespace kelvara {
namespace {

// Index into the fits of a person's sex code; -1 for neither 1 nor 2.
int SexIndex(int32_t sexCode) { return sexCode == 1 || sexCode == 2 ? sexCode - 1 : -1; }

// Weighted sums of one sex's persons in the fit.
struct FitSums {
  int32_t persons = 0;
  double weight = 0.0;
  double energy = 0.0;    // sum w x
  double nutrient = 0.0;  // sum w y
  double crossProducts = 0.0;  // sum w (x - xbar)(y - ybar)
  double energySquares = 0.0;  // sum w (x - xbar)^2
};

}  // namespace

EnergyAdjustedIntakes AdjustForEnergy(const VariableColumn& nutrient,
                                      const VariableColumn& energy, const SurveyData& data,
                                      const RunLayout& layout, EnergyAdjustmentMethod method) {
  assert(method != EnergyAdjustmentMethod::none && "an adjustment method");
  assert(nutrient.value.size() == data.rowCount && energy.value.size() == data.rowCount &&
         "nutrient and energy of the data's rows");
  EnergyAdjustedIntakes result;
  result.adjusted.name = nutrient.name;
  result.adjusted.value.assign(data.rowCount, GroupStatistics::kNoFigure);
  result.adjusted.valid.assign(data.rowCount, 0);
  // Persons with the nutrient, in the run's sampling-unit order, like every
  // other sum of the report.
  auto forEachPerson = [&](auto&& visit) {
    for (size_t i = 0; i < layout.size(); ++i) {
      const uint32_t row = layout.unitOrder[i];
      if (layout.classifiable[i] && nutrient.valid[row]) visit(i, row);
    }
  };

  if (method == EnergyAdjustmentMethod::density) {
    forEachPerson([&](size_t, uint32_t row) {
      const double x = energy.value[row];
      if (!energy.valid[row] || !(x > 0)) {
        ++result.energyMissing;
        return;
      }
      result.adjusted.value[row] = nutrient.value[row] / x * 1000;
      result.adjusted.valid[row] = 1;
    });
    return result;
  }

  std::array<FitSums, 2> sums{};
  auto inFit = [&](uint32_t row) { return energy.valid[row] && SexIndex(data.sex[row]) >= 0; };
  forEachPerson([&](size_t i, uint32_t row) {
    if (!energy.valid[row]) {
      ++result.energyMissing;
    } else if (SexIndex(data.sex[row]) < 0) {
      ++result.sexUnknown;
    } else {
      FitSums& s = sums[static_cast<size_t>(SexIndex(data.sex[row]))];
      const double w = layout.weight[i];
      ++s.persons;
      s.weight += w;
      s.energy += w * energy.value[row];
      s.nutrient += w * nutrient.value[row];
    }
  });
  std::array<double, 2> meanEnergy{}, meanNutrient{};
  for (size_t s = 0; s < sums.size(); ++s) {
    meanEnergy[s] = sums[s].energy / sums[s].weight;
    meanNutrient[s] = sums[s].nutrient / sums[s].weight;
  }
  forEachPerson([&](size_t i, uint32_t row) {
    if (!inFit(row)) return;
    const size_t s = static_cast<size_t>(SexIndex(data.sex[row]));
    const double w = layout.weight[i];
    const double dx = energy.value[row] - meanEnergy[s];
    const double dy = nutrient.value[row] - meanNutrient[s];
    sums[s].crossProducts += w * dx * dy;
    sums[s].energySquares += w * dx * dx;
  });
  for (size_t s = 0; s < sums.size(); ++s) {
    EnergyFit& fit = result.fits[s];
    fit.persons = sums[s].persons;
    if (!(sums[s].weight > 0)) continue;
    fit.meanEnergy = meanEnergy[s];
    if (!(sums[s].energySquares > 0)) continue;
    fit.slope = sums[s].crossProducts / sums[s].energySquares;
    fit.intercept = meanNutrient[s] - fit.slope * meanEnergy[s];
  }
  forEachPerson([&](size_t, uint32_t row) {
    if (!inFit(row)) return;
    const EnergyFit& fit = result.fits[static_cast<size_t>(SexIndex(data.sex[row]))];
    if (!fit.fitted()) return;
    const double x = energy.value[row];
    const double residual = nutrient.value[row] - (fit.intercept + fit.slope * x);
    result.adjusted.value[row] = residual + (fit.intercept + fit.slope * fit.meanEnergy);
    result.adjusted.valid[row] = 1;
  });
  return result;
}

}  // namespace kelvara
