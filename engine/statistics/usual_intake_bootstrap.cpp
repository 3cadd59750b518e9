#include "engine/statistics/usual_intake_bootstrap.h"

#include <cmath>
#include <map>
#include <random>
#include <utility>
#include <vector>

namespace kelvara {
namespace {

// The sampling unit of every layout position and the units of every stratum.
struct UnitDesign {
  std::vector<uint32_t> unitOf;                // per position
  std::vector<std::vector<uint32_t>> strata;   // units of each stratum
  uint32_t unitCount = 0;
};

UnitDesign DesignUnits(const RunLayout& layout) {
  const size_t size = layout.size();
  std::vector<uint32_t> stratumOf(size, 0);
  if (layout.hasStrata) {
    for (size_t j = 0; j < size; ++j) stratumOf[layout.strataOrder[j]] = layout.strataRank[j];
  }
  UnitDesign design;
  design.unitOf.resize(size);
  // A unit is a stratum with a unit code (every respondent a unit of their
  // own without a unit column); respondents coded -999 form no unit and each
  // stands alone.
  std::map<std::pair<uint32_t, int64_t>, uint32_t> units;
  for (size_t i = 0; i < size; ++i) {
    int64_t code = -1 - static_cast<int64_t>(i);
    if (layout.hasUnitColumn && !layout.codedMissingUnit[i]) code = layout.unitRank[i];
    const auto [found, added] = units.try_emplace({stratumOf[i], code}, design.unitCount);
    if (added) {
      if (design.strata.size() <= stratumOf[i]) design.strata.resize(stratumOf[i] + 1);
      design.strata[stratumOf[i]].push_back(design.unitCount++);
    }
    design.unitOf[i] = found->second;
  }
  return design;
}

// Running mean and sum of squared deviations of one figure's replicates.
struct Running {
  int count = 0;
  double mean = 0.0, squares = 0.0;
  void Add(double x) {
    ++count;
    const double d = x - mean;
    mean += d / count;
    squares += d * (x - mean);
  }
  double StandardDeviation() const {
    return count > 1 ? std::sqrt(squares / (count - 1)) : std::nan("");
  }
};

}  // namespace

GroupErrors BootstrapUsualIntakeErrors(const PersonIntakes& persons, const UsualIntakes& full,
                                       const RunLayout& layout, int replicates, uint64_t seed,
                                       std::optional<double> cutOff) {
  const UnitDesign design = DesignUnits(layout);
  const size_t groups = layout.groups.size();
  std::vector<Running> means(groups), shares(groups);
  std::vector<double> factor(design.unitCount);
  std::vector<double> weight(persons.personCount());
  std::vector<double> sumW(groups), sumWX(groups), sumBelow(groups);
  std::mt19937_64 random(seed);
  for (int b = 0; b < replicates; ++b) {
    std::fill(factor.begin(), factor.end(), 0.0);
    for (const std::vector<uint32_t>& units : design.strata) {
      const size_t n = units.size();
      if (n < 2) {
        for (uint32_t u : units) factor[u] = 1.0;
        continue;
      }
      std::uniform_int_distribution<size_t> pick(0, n - 1);
      const double scale = static_cast<double>(n) / static_cast<double>(n - 1);
      for (size_t draw = 0; draw + 1 < n; ++draw) factor[units[pick(random)]] += scale;
    }
    for (size_t i = 0; i < layout.size(); ++i) {
      const uint32_t person = layout.unitOrder[i];
      weight[person] = persons.weight[person] * factor[design.unitOf[i]];
    }
    const UsualIntakes fit = EstimateUsualIntakes(persons, weight, &full);
    std::fill(sumW.begin(), sumW.end(), 0.0);
    std::fill(sumWX.begin(), sumWX.end(), 0.0);
    std::fill(sumBelow.begin(), sumBelow.end(), 0.0);
    for (size_t i = 0; i < layout.size(); ++i) {
      const uint32_t person = layout.unitOrder[i];
      const double x = fit.usual[person];
      if (!layout.classifiable[i] || std::isnan(x)) continue;
      const double w = weight[person];
      ForEachGroup(layout.groupMask[i], [&](size_t g) {
        sumW[g] += w;
        sumWX[g] += w * x;
        if (cutOff && x < *cutOff) sumBelow[g] += w;
      });
    }
    for (size_t g = 0; g < groups; ++g) {
      if (!(sumW[g] > 0)) continue;  // the replicate drew none of the group's units
      means[g].Add(sumWX[g] / sumW[g]);
      shares[g].Add(sumBelow[g] / sumW[g]);
    }
  }
  GroupErrors errors;
  errors.mean.resize(groups);
  errors.shareBelow.resize(groups);
  for (size_t g = 0; g < groups; ++g) {
    errors.mean[g] = means[g].StandardDeviation();
    errors.shareBelow[g] = shares[g].StandardDeviation();
  }
  return errors;
}

}  // namespace kelvara
