#include "engine/statistics/usual_intake_bootstrap.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <map>
#include <utility>

namespace kelvara {
namespace {

// The sampling unit of every usable layout position, the units of every
// stratum, and a person naming each unit.
struct UnitDesign {
  std::vector<uint32_t> unitOf;               // per position
  std::vector<std::vector<uint32_t>> strata;  // units of each stratum
  std::vector<uint32_t> firstPerson;          // per unit
};

UnitDesign DesignUnits(const RunLayout& layout, const std::vector<uint8_t>& usable) {
  const size_t size = layout.size();
  std::vector<uint32_t> stratumOf(size, 0);
  if (layout.hasStrata) {
    for (size_t j = 0; j < size; ++j) stratumOf[layout.strataOrder[j]] = layout.strataRank[j];
  }
  // A unit is a stratum with a unit code; without a unit column every
  // respondent is a unit of their own, and respondents coded -999 form no
  // unit and each stands alone.
  auto coded = [&](size_t i) { return layout.hasUnitColumn && !layout.codedMissingUnit[i]; };
  std::map<std::pair<uint32_t, uint32_t>, int> codedUnits;
  for (size_t i = 0; i < size; ++i) {
    if (usable[i] && coded(i)) codedUnits.try_emplace({stratumOf[i], layout.unitRank[i]}, 0);
  }
  // One unit in all: its respondents, as a simple random sample.
  const bool oneUnit = codedUnits.size() == 1;
  UnitDesign design;
  design.unitOf.assign(size, 0);
  std::map<std::pair<uint32_t, int64_t>, uint32_t> units;
  for (size_t i = 0; i < size; ++i) {
    if (!usable[i]) continue;
    const uint32_t stratum = oneUnit ? 0 : stratumOf[i];
    const int64_t code =
        coded(i) && !oneUnit ? int64_t{layout.unitRank[i]} : -1 - static_cast<int64_t>(i);
    const auto next = static_cast<uint32_t>(design.firstPerson.size());
    const auto [found, added] = units.try_emplace({stratum, code}, next);
    if (added) {
      if (design.strata.size() <= stratum) design.strata.resize(stratum + 1);
      design.strata[stratum].push_back(next);
      design.firstPerson.push_back(layout.unitOrder[i]);
    }
    design.unitOf[i] = found->second;
  }
  return design;
}

// Running mean and sum of squared deviations of one figure's replicates;
// a replicate without an estimate is passed over.
struct Running {
  int count = 0;
  double mean = 0.0, squares = 0.0;
  void Add(double x) {
    if (std::isnan(x)) return;
    ++count;
    const double d = x - mean;
    mean += d / count;
    squares += d * (x - mean);
  }
  double StandardDeviation() const {
    return count > 1 ? std::sqrt(squares / (count - 1)) : GroupStatistics::kNoFigure;
  }
};

// The replicates of every figure of one group.
struct GroupReplicates {
  Running mean, shareBelow, medianShare;
  std::array<Running, kJudgedFigures> judgedShare;
};

void AddReplicate(const ReplicatedFigures& replicate, std::vector<GroupReplicates>& groups,
                  std::vector<int>& leftOut) {
  for (size_t g = 0; g < groups.size(); ++g) {
    if (std::isnan(replicate.mean[g])) {
      ++leftOut[g];
      continue;
    }
    groups[g].mean.Add(replicate.mean[g]);
    if (!replicate.shareBelow.empty()) groups[g].shareBelow.Add(replicate.shareBelow[g]);
    if (!replicate.medianShare.empty()) groups[g].medianShare.Add(replicate.medianShare[g]);
    for (size_t f = 0; f < kJudgedFigures && !replicate.judgedShare.empty(); ++f) {
      groups[g].judgedShare[f].Add(replicate.judgedShare[g][f]);
    }
  }
}

// Standard deviations of the replicates of the figures `design` asks for.
ReplicatedFigures StandardErrors(const std::vector<GroupReplicates>& groups,
                                 const DesignOptions& design, const NutrientReference* nutrient) {
  ReplicatedFigures errors;
  const size_t count = groups.size();
  errors.mean.resize(count);
  errors.shareBelow.resize(design.shareBelow ? count : 0);
  errors.judgedShare.resize(nutrient ? count : 0);
  errors.medianShare.resize(design.medianInterval ? count : 0);
  for (size_t g = 0; g < count; ++g) {
    errors.mean[g] = groups[g].mean.StandardDeviation();
    if (!errors.shareBelow.empty()) errors.shareBelow[g] = groups[g].shareBelow.StandardDeviation();
    if (!errors.medianShare.empty()) {
      errors.medianShare[g] = groups[g].medianShare.StandardDeviation();
    }
    for (size_t f = 0; f < kJudgedFigures && !errors.judgedShare.empty(); ++f) {
      errors.judgedShare[g][f] = groups[g].judgedShare[f].StandardDeviation();
    }
  }
  return errors;
}

}  // namespace

uint64_t DrawBelow(std::mt19937_64& engine, uint64_t n) {
  assert(n > 0 && "a draw among at least one unit");
  // 2^64 mod n: the outputs below it would make the smallest remainders a
  // little likelier; the outputs from it on cover every remainder equally.
  const uint64_t uneven = (uint64_t{0} - n) % n;
  for (;;) {
    const uint64_t x = engine();
    if (x >= uneven) return x % n;
  }
}

BootstrapErrors BootstrapUsualIntakeErrors(const PersonIntakes& persons, const UsualIntakes& full,
                                           const RunLayout& layout,
                                           const UsualIntakeOptions& options, int column,
                                           const DesignOptions& design,
                                           const NutrientReference* nutrient,
                                           std::span<const double> fullMedians,
                                           ColumnWorkspace& work) {
  const size_t count = persons.personCount();
  assert(layout.size() == count && "the layout's rows are the persons");
  assert(full.usual.size() == count && "the full sample's fit of the same persons");
  assert(options.bootstrapReplicates >= 2 && "two replicates at least for a spread");
  std::vector<uint8_t> usable(count);
  for (size_t i = 0; i < count; ++i) {
    usable[i] = layout.classifiable[i] && !std::isnan(full.usual[layout.unitOrder[i]]);
  }
  const UnitDesign units = DesignUnits(layout, usable);
  const size_t groupCount = layout.groups.size();
  std::vector<GroupReplicates> groups(groupCount);
  BootstrapErrors result;
  result.leftOut.assign(groupCount, 0);

  if (options.replicateTrace) options.replicateTrace({column, 0, {}, full.usual});
  std::mt19937_64 engine(options.bootstrapSeed + static_cast<uint64_t>(column));
  std::vector<double> factor(units.firstPerson.size());
  std::vector<uint32_t> drawn;
  std::vector<double> weight(count);
  RunLayout replicateLayout = layout;  // with each replicate's weights
  VariableColumn usual;
  usual.value.resize(count);
  usual.valid.resize(count);
  for (int b = 1; b <= options.bootstrapReplicates; ++b) {
    std::fill(factor.begin(), factor.end(), 0.0);
    drawn.clear();
    for (const std::vector<uint32_t>& stratum : units.strata) {
      const size_t n = stratum.size();
      if (n == 1) factor[stratum.front()] = 1.0;
      if (n < 2) continue;
      const double scale = static_cast<double>(n) / static_cast<double>(n - 1);
      for (size_t draw = 0; draw + 1 < n; ++draw) {
        const uint32_t unit = stratum[DrawBelow(engine, n)];
        factor[unit] += scale;
        drawn.push_back(units.firstPerson[unit]);
      }
    }
    for (size_t i = 0; i < count; ++i) {
      const uint32_t person = layout.unitOrder[i];
      const double f = usable[i] ? factor[units.unitOf[i]] : 0.0;
      weight[person] = persons.weight[person] * f;
      replicateLayout.weight[i] = layout.weight[i] * f;
      // Respondents of the units not drawn are out of the replicate.
      usual.valid[person] = f > 0 ? 1 : 0;
    }
    const UsualIntakes fit = EstimateUsualIntakes(persons, weight, &full);
    if (!fit.Complete()) {
      ++result.unestimated;
      for (int& left : result.leftOut) ++left;
      continue;
    }
    if (options.replicateTrace) options.replicateTrace({column, b, drawn, fit.usual});
    for (size_t p = 0; p < count; ++p) {
      usual.value[p] = fit.usual[p];
      if (std::isnan(fit.usual[p])) usual.valid[p] = 0;
    }
    const ReplicatedFigures replicate = ComputeReplicateFigures(
        usual, replicateLayout, work, design, nutrient, fullMedians);
    AddReplicate(replicate, groups, result.leftOut);
  }
  result.standardErrors = StandardErrors(groups, design, nutrient);
  return result;
}

}  // namespace kelvara
