#include "engine/variable_tabulation.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "engine/group_statistics.h"
#include "engine/report_format.h"
#include "engine/weighted_percentiles.h"

namespace kelvara {
namespace {

// The person table of one variable: which rows are usable, and the sampling
// units as this variable sees them (an unusable row belongs to no unit).
struct PersonTable {
  const SurveyData& data;
  const RunLayout& layout;
  const double* value;
  std::vector<uint8_t> missing;
  std::vector<uint8_t> unitPresent;  // per unit rank: some usable row has it
  int32_t unitCount = 0;             // sampling units L, the -999 code excluded
  int32_t runCount = 0;              // runs H of equal codes, -999 included

  // Whether a usable row's stratum is the missing-unit code, which forms no
  // sampling unit.
  bool InNoUnit(uint32_t row) const {
    return data.hasUnitColumn && data.unitCode[row] == kMissingUnitCode;
  }
};

PersonTable BuildPersonTable(const SurveyData& data, const RunLayout& layout, size_t variable) {
  const VariableColumn& column = data.variables[variable];
  PersonTable table{data, layout, column.value.data(), {}, {}};
  table.missing.resize(data.rowCount);
  table.unitPresent.assign(layout.unitCodes.size(), 0);
  bool anyMissing = false;
  for (size_t row = 0; row < data.rowCount; ++row) {
    const bool missing = !(data.classifiable[row] && column.valid[row]);
    table.missing[row] = missing ? 1 : 0;
    anyMissing = anyMissing || missing;
    if (!missing) table.unitPresent[layout.unitRank[row]] = 1;
  }
  if (!data.hasUnitColumn) {
    // Every record carries the code 1, usable or not.
    table.unitCount = table.runCount = data.rowCount > 0 ? 1 : 0;
    return table;
  }
  bool missingCodePresent = false;
  for (size_t rank = 0; rank < layout.unitCodes.size(); ++rank) {
    if (!table.unitPresent[rank]) continue;
    ++table.runCount;
    if (layout.unitCodes[rank] == kMissingUnitCode) {
      missingCodePresent = true;
    } else {
      ++table.unitCount;
    }
  }
  // Unusable rows carry the missing-unit code and form a run of their own,
  // shared with usable rows whose unit cell holds -999.
  if (anyMissing && !missingCodePresent) ++table.runCount;
  return table;
}

// Usable rows ordered by value, equal values in file order, handed out to the
// groups they belong to: each group's members used, in ascending value.
std::vector<std::vector<uint32_t>> MembersByValue(const PersonTable& table) {
  std::vector<std::pair<double, uint32_t>> byValue;
  byValue.reserve(table.data.rowCount);
  for (uint32_t row = 0; row < table.data.rowCount; ++row) {
    if (!table.missing[row]) byValue.emplace_back(table.value[row], row);
  }
  std::sort(byValue.begin(), byValue.end());
  std::vector<std::vector<uint32_t>> members(table.layout.membersByUnit.size());
  for (size_t g = 0; g < members.size(); ++g) {
    members[g].reserve(table.layout.membersByUnit[g].size());
  }
  for (const auto& [value, row] : byValue) {
    for (uint64_t mask = table.layout.groupMask[row]; mask != 0; mask &= mask - 1) {
      members[static_cast<size_t>(std::countr_zero(mask))].push_back(row);
    }
  }
  return members;
}

// The statistics of group `g`. Sums run over the members in sampling-unit
// order, each formula evaluated in the order it is written, so that the
// printed digits do not depend on how the work is organised.
GroupStatistics ComputeGroup(const PersonTable& table, size_t g,
                             std::span<const uint32_t> membersByValue,
                             std::vector<double>& unitValue) {
  const SurveyData& data = table.data;
  const std::vector<uint32_t>& members = table.layout.membersByUnit[g];
  const double* weight = data.weight.data();
  const double* value = table.value;

  GroupStatistics s;
  s.nStrata = table.unitCount;
  double sum = 0.0;
  double totalWeight = 0.0;
  double count = 0.0;
  for (uint32_t row : members) {
    if (table.missing[row]) {
      ++s.nMissing;
      continue;
    }
    sum += weight[row] * value[row];
    totalWeight += weight[row];
    count += 1;
  }
  s.mean = totalWeight != 0 ? sum / totalWeight : sum;

  // Linearised variance of the ratio mean: each unit's share of the weighted
  // deviations, z_h = t_h / W, spread around its average over the runs.
  double q = 0.0;
  if (totalWeight != 0) {
    const std::vector<uint32_t>& rank = table.layout.unitRank;
    std::fill(unitValue.begin(), unitValue.end(), 0.0);
    double zSum = 0.0;
    size_t runsWithMembers = 0;
    size_t i = 0;
    while (i < members.size()) {
      const uint32_t unit = rank[members[i]];
      double t = 0.0;
      bool used = false;
      for (; i < members.size() && rank[members[i]] == unit; ++i) {
        const uint32_t row = members[i];
        if (table.missing[row]) continue;
        t += weight[row] * (value[row] - s.mean);
        used = true;
      }
      runsWithMembers += used ? 1 : 0;
      const double z = t / totalWeight;
      unitValue[unit] = z;
      zSum += z;
    }
    if (runsWithMembers == 1) {
      // All members used lie in one run, whose deviations from the mean then
      // add up to exactly 0; summed in floating point they leave rounding
      // noise that would print as a meaningless standard error like 4e-13.
      std::fill(unitValue.begin(), unitValue.end(), 0.0);
      zSum = 0.0;
    }
    const double zMean = table.runCount > 0 ? zSum / table.runCount : 0.0;
    for (size_t unit = 0; unit < unitValue.size(); ++unit) {
      if (!table.unitPresent[unit]) continue;
      if (data.hasUnitColumn && table.layout.unitCodes[unit] == kMissingUnitCode) continue;
      const double d = unitValue[unit] - zMean;
      q += d * d;
    }
  }
  const int32_t units = table.unitCount;
  q = units > 1 ? q * (static_cast<double>(units) / (units - 1)) : 0.0;
  s.se = std::sqrt(q);

  double squares = 0.0;
  for (uint32_t row : members) {
    if (table.missing[row] || table.InNoUnit(row)) continue;
    const double deviation = value[row] - s.mean;
    squares += deviation * weight[row] * deviation;
  }
  s.variance = totalWeight > 0 && count > 1 ? squares / ((count - 1) * totalWeight / count) : 0.0;
  s.sd = std::sqrt(s.variance);
  s.n = static_cast<int32_t>(count);
  if (units == 1 && count > 1) s.se = std::sqrt(s.variance / count);

  if (s.n > 0) {
    WeightedPercentiles(membersByValue, value, weight, totalWeight, count, s.pct);
  }
  return s;
}

}  // namespace

std::vector<std::string> TabulateColumn(const SurveyData& data, const RunLayout& layout,
                                        size_t variable) {
  const PersonTable table = BuildPersonTable(data, layout, variable);
  const std::vector<std::vector<uint32_t>> membersByValue = MembersByValue(table);
  std::vector<double> unitValue(layout.unitCodes.size());

  std::vector<std::string> lines;
  lines.reserve(layout.groups.size() + 4);
  lines.push_back(HeaderLine(data.variables[variable].name));
  lines.emplace_back(ColumnTitleLine());
  for (size_t g = 0; g < layout.membersByUnit.size(); ++g) {
    const GroupStatistics s = ComputeGroup(table, g, membersByValue[g], unitValue);
    lines.push_back(GroupLine(layout.groups[g].label, s));
  }
  lines.push_back(StrataLine(table.unitCount));
  lines.emplace_back();
  return lines;
}

}  // namespace kelvara
