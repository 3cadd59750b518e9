// The stratified design from its definition: units nested in strata, every
// unit's z summed afresh, for one group at a time.
#include <algorithm>
#include <map>
#include <tuple>
#include <vector>

#include "tests/reference/reference_tabulation.h"

namespace kelvara::reference {
namespace {

constexpr int32_t kMissingUnit = -999;

// The records that form units, ordered by stratum, unit and data row.
std::vector<const SurveyRecord*> UnitRecords(const VariableSummary& s, bool hasUnitColumn) {
  std::vector<const SurveyRecord*> records;
  for (const SurveyRecord& r : s.records) {
    if (r.missing || (hasUnitColumn && r.stratum == kMissingUnit)) continue;
    records.push_back(&r);
  }
  auto key = [&](const SurveyRecord* r) {
    return std::tuple(r->designStratum, hasUnitColumn ? r->stratum : r->row, r->row);
  };
  std::sort(records.begin(), records.end(),
            [&](const SurveyRecord* a, const SurveyRecord* b) { return key(a) < key(b); });
  return records;
}

// z of every unit, stratum by stratum.
std::map<int32_t, std::vector<double>> UnitShares(const VariableSummary& s, bool hasUnitColumn) {
  double W = 0;
  for (const SurveyRecord& r : s.records) {
    if (r.inGroup == 1.0) W += r.weight;
  }
  std::map<int32_t, std::vector<double>> shares;
  const std::vector<const SurveyRecord*> records = UnitRecords(s, hasUnitColumn);
  for (size_t i = 0; i < records.size();) {
    const int32_t stratum = records[i]->designStratum;
    const int32_t unit = hasUnitColumn ? records[i]->stratum : records[i]->row;
    double t = 0;
    for (; i < records.size() && records[i]->designStratum == stratum &&
           (hasUnitColumn ? records[i]->stratum : records[i]->row) == unit;
         ++i) {
      const SurveyRecord& r = *records[i];
      if (r.inGroup == 1.0) t += r.weight * (r.value - s.mean);
    }
    shares[stratum].push_back(W != 0 ? t / W : 0.0);
  }
  return shares;
}

}  // namespace

DesignCounts CountDesign(const VariableSummary& s, bool hasUnitColumn) {
  DesignCounts counts;
  for (const auto& [stratum, z] : UnitShares(s, hasUnitColumn)) {
    ++counts.strata;
    counts.units += static_cast<int32_t>(z.size());
    if (z.size() == 1) ++counts.singleUnitStrata;
  }
  return counts;
}

double StratifiedVariance(const VariableSummary& s, bool hasUnitColumn) {
  // The usable respondents of each stratum outside units: their run's z, as
  // in the report without strata, counts in the stratum's average z only.
  double W = 0;
  for (const SurveyRecord& r : s.records) {
    if (r.inGroup == 1.0) W += r.weight;
  }
  std::map<int32_t, double> outsideZ;
  if (hasUnitColumn) {
    for (const SurveyRecord& r : s.records) {
      if (r.missing || r.stratum != kMissingUnit) continue;
      double& z = outsideZ[r.designStratum];
      if (r.inGroup == 1.0 && W != 0) z += r.weight * (r.value - s.mean) / W;
    }
  }
  double v = 0;
  for (const auto& [stratum, z] : UnitShares(s, hasUnitColumn)) {
    const double n = static_cast<double>(z.size());
    if (n < 2) continue;  // a certainty unit
    const auto outside = outsideZ.find(stratum);
    double zSum = outside == outsideZ.end() ? 0 : outside->second;
    for (double zi : z) zSum += zi;
    const double zMean = zSum / (outside == outsideZ.end() ? n : n + 1);
    double q = 0;
    for (double zi : z) q += (zi - zMean) * (zi - zMean);
    v += n / (n - 1) * q;
  }
  return v;
}

}  // namespace kelvara::reference
