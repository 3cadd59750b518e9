#include "engine/statistics/column_figures.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <cmath>
#include <optional>
#include <span>
#include <utility>

#include "engine/statistics/design_figures.h"
#include "engine/statistics/group_statistics.h"
#include "engine/statistics/median_interval.h"
#include "engine/statistics/person_values.h"
#include "engine/statistics/reference_judgement.h"
#include "engine/statistics/stratified_variance.h"
#include "engine/statistics/weighted_percentiles.h"

namespace kelvara {
namespace {

// The person table of one variable, in the run's sampling-unit order: the
// values, which respondents are missing, and the sampling units as this
// variable sees them (a missing respondent belongs to no unit).
struct PersonTable {
  const RunLayout& layout;
  std::vector<double>& value;
  std::vector<uint8_t>& missing;
  std::vector<uint8_t> unitPresent;  // per unit rank: some usable respondent has it
  int32_t unitCount = 0;             // sampling units L, the -999 code excluded
  int32_t runCount = 0;              // runs H of equal codes, -999 included
  int32_t usableCount = 0;           // usable respondents, all groups
  std::span<const uint64_t> groupMask;  // the groups each respondent is in
};

PersonTable BuildPersonTable(const VariableColumn& column, const RunLayout& layout,
                             ColumnWorkspace& work) {
  const size_t size = layout.size();
  work.value.resize(size);
  work.missing.resize(size);
  PersonTable table{layout, work.value, work.missing, {}, 0, 0, 0, layout.groupMask};
  table.unitPresent.assign(layout.unitCodes.size(), 0);
  bool anyMissing = false;
  for (size_t i = 0; i < size; ++i) {
    const uint32_t row = layout.unitOrder[i];
    table.value[i] = column.value[row];
    const bool missing = !(layout.classifiable[i] && column.valid[row]);
    table.missing[i] = missing ? 1 : 0;
    anyMissing = anyMissing || missing;
    if (!missing) {
      table.unitPresent[layout.unitRank[i]] = 1;
      ++table.usableCount;
    }
  }
  if (!layout.hasUnitColumn) {
    // Every record carries the code 1, usable or not.
    table.unitCount = table.runCount = size > 0 ? 1 : 0;
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
  // Missing respondents carry the missing-unit code and form a run of their
  // own, shared with usable respondents whose unit cell holds -999.
  if (anyMissing && !missingCodePresent) ++table.runCount;
  return table;
}

// Running sums of one group over the person table.
struct GroupSums {
  int32_t nMissing = 0;
  double sum = 0.0;     // S: weighted values
  double weight = 0.0;  // W
  double count = 0.0;   // N
  double mean = 0.0;
  // Deviations from the mean within the sampling unit being walked, and the
  // units' shares z_h = t_h / W of the units walked so far.
  double unitDeviation = 0.0;
  double zSum = 0.0;
  std::vector<std::pair<uint32_t, double>> unitShares;  // (unit rank, z_h)
  double squares = 0.0;  // SS
};

// First walk: counts, weighted sums and means.
void SumGroups(const PersonTable& table, const PersonValues& values,
               std::vector<GroupSums>& groups) {
  const RunLayout& layout = table.layout;
  for (size_t i = 0; i < layout.size(); ++i) {
    if (table.missing[i]) {
      ForEachGroup(values.groupMask[i], [&](size_t g) { ++groups[g].nMissing; });
      continue;
    }
    const double w = layout.weight[i];
    ForEachGroup(values.groupMask[i], [&](size_t g) {
      const double x = values(i, g);
      GroupSums& s = groups[g];
      s.sum += w * x;
      s.weight += w;
      s.count += 1;
    });
  }
  for (GroupSums& s : groups) s.mean = s.weight != 0 ? s.sum / s.weight : s.sum;
}

// A domain's weighted count on the counted side, weight and members within
// one sampling unit: for a 0/1 indicator these are all a unit's z needs,
// z_u = (A_u - p B_u) / W.
struct UnitShare {
  uint32_t rank = 0;
  double indicator = 0.0;  // A_u
  double weight = 0.0;     // B_u
  double count = 0.0;
};

// `weight` for a member on the counted side, else +0.0: the same addend as
// choosing between the two, without a branch on values that fall on either
// side with no pattern a processor could predict.
double WeightIf(bool counted, double weight) {
  return std::bit_cast<double>(std::bit_cast<uint64_t>(weight) &
                               (uint64_t{0} - static_cast<uint64_t>(counted)));
}

// The share at or below each group's median, gathered unit by unit on the
// walk of the deviations from the mean, which visits the same members in the
// same order: no walk of its own.
struct MedianShares {
  std::vector<double> medians;             // per group; not a number where none
  std::vector<UnitShare> current;          // per group: the unit being walked
  std::vector<std::vector<UnitShare>> units;  // per group: the units walked
  uint64_t touched = 0;                    // groups with members in the unit

  explicit MedianShares(std::vector<double> groupMedians)
      : medians(std::move(groupMedians)), current(medians.size()), units(medians.size()) {}

  void Add(size_t g, double x, double w) {
    UnitShare& share = current[g];
    share.indicator += WeightIf(x <= medians[g], w);
    share.weight += w;
    share.count += 1;
  }

  void CloseUnit(uint32_t rank) {
    ForEachGroup(touched, [&](size_t g) {
      UnitShare& unit = current[g];
      unit.rank = rank;
      units[g].push_back(unit);
      unit = UnitShare{};
    });
    touched = 0;
  }
};

// Second walk, unit by unit: each unit's weighted deviations from the group
// mean, and the weighted sum of squares (respondents coded -999 form no unit
// and stay out of it); kWithMedian, the units' shares at or below the
// medians as well, for the values themselves (`values` without a cut-off).
template <bool kWithMedian>
void SumDeviations(const PersonTable& table, const PersonValues& values,
                   std::vector<GroupSums>& groups, MedianShares* median) {
  const RunLayout& layout = table.layout;
  uint64_t touched = 0;  // groups with members in the unit being walked
  uint64_t medianTouched = 0;
  auto closeUnit = [&](uint32_t rank) {
    if constexpr (kWithMedian) {
      median->touched = medianTouched;
      medianTouched = 0;
    }
    ForEachGroup(touched, [&](size_t g) {
      GroupSums& s = groups[g];
      const double z = s.unitDeviation / s.weight;
      s.zSum += z;
      s.unitShares.emplace_back(rank, z);
      s.unitDeviation = 0.0;
    });
    touched = 0;
    if constexpr (kWithMedian) median->CloseUnit(rank);
  };
  for (size_t i = 0; i < layout.size(); ++i) {
    if (i > 0 && layout.unitRank[i] != layout.unitRank[i - 1]) closeUnit(layout.unitRank[i - 1]);
    if (table.missing[i]) continue;
    const double w = layout.weight[i];
    const bool inUnit = !(layout.hasUnitColumn && layout.codedMissingUnit[i]);
    if constexpr (kWithMedian) medianTouched |= values.groupMask[i];
    ForEachGroup(values.groupMask[i], [&](size_t g) {
      if constexpr (kWithMedian) median->Add(g, values.value[i], w);
      GroupSums& s = groups[g];
      if (s.weight == 0) return;
      const double x = values(i, g);
      s.unitDeviation += w * (x - s.mean);
      touched |= uint64_t{1} << g;
      if (inUnit) s.squares += (x - s.mean) * w * (x - s.mean);
    });
  }
  if (layout.size() > 0) closeUnit(layout.unitRank.back());
}

// Linearised variance of the ratio mean over the sampling units: the spread
// of the units' shares z_h around their average over all runs.
double UnitVariance(const PersonTable& table, GroupSums& s) {
  if (s.weight == 0) return 0.0;
  if (s.unitShares.size() == 1) {
    // All members lie in one run, whose deviations from the mean then add up
    // to exactly 0; summed in floating point they leave rounding noise that
    // would print as a meaningless standard error like 4e-13.
    s.unitShares.clear();
    s.zSum = 0.0;
  }
  const double zMean = table.runCount > 0 ? s.zSum / table.runCount : 0.0;
  const RunLayout& layout = table.layout;
  double q = 0.0;
  size_t next = 0;
  for (uint32_t rank = 0; rank < layout.unitCodes.size(); ++rank) {
    double z = 0.0;
    if (next < s.unitShares.size() && s.unitShares[next].first == rank) {
      z = s.unitShares[next++].second;
    }
    if (!table.unitPresent[rank]) continue;
    if (layout.hasUnitColumn && layout.unitCodes[rank] == kMissingUnitCode) continue;
    const double d = z - zMean;
    q += d * d;
  }
  return q;
}

GroupStatistics Finish(const PersonTable& table, GroupSums& s) {
  GroupStatistics result;
  result.nUnits = table.unitCount;
  result.nMissing = s.nMissing;
  result.mean = s.mean;
  const int32_t units = table.unitCount;
  double q = UnitVariance(table, s);
  q = units > 1 ? q * (static_cast<double>(units) / (units - 1)) : 0.0;
  result.se = std::sqrt(q);
  const double n = s.count;
  result.variance = s.weight > 0 && n > 1 ? s.squares / ((n - 1) * s.weight / n) : 0.0;
  result.sd = std::sqrt(result.variance);
  result.n = static_cast<int32_t>(n);
  if (units == 1 && n > 1) result.se = std::sqrt(result.variance / n);
  return result;
}

// Counts, means, spreads and standard errors of every group for `values`
// (the analysis variable, or an indicator derived from it, over the groups
// each respondent counts in), in two steps: the counts, weights and means of
// `sums` first (all the percentiles need), then the rest, with the shares at
// or below the medians when asked for. With a strata column the standard
// error is the stratified one and `counts` receives the design's strata and
// units.
void StartMoments(const PersonTable& table, const PersonValues& values,
                  std::vector<GroupSums>& sums) {
  sums.assign(table.layout.groups.size(), GroupSums{});
  SumGroups(table, values, sums);
}

std::vector<GroupStatistics> FinishMoments(const PersonTable& table, const PersonValues& values,
                                           std::vector<GroupSums>& sums, DesignCounts& counts,
                                           ColumnWorkspace& work, MedianShares* median) {
  const RunLayout& layout = table.layout;
  if (median) {
    SumDeviations<true>(table, values, sums, median);
  } else {
    SumDeviations<false>(table, values, sums, nullptr);
  }
  std::vector<GroupStatistics> results;
  results.reserve(sums.size());
  for (GroupSums& s : sums) results.push_back(Finish(table, s));
  counts = {};
  counts.units = table.unitCount;
  if (layout.hasStrata) {
    std::vector<GroupMean> means;
    means.reserve(sums.size());
    for (const GroupSums& s : sums) means.push_back({s.mean, s.weight});
    const std::vector<double> variances =
        StratifiedVariances(layout, values, table.missing, means, counts, work.stratumShares);
    // One unit in all: the single-unit rule of the report without strata (a
    // simple random sample of its respondents), not a certainty unit's 0.
    for (size_t g = 0; g < results.size() && counts.units > 1; ++g) {
      results[g].se = std::sqrt(variances[g]);
    }
  }
  return results;
}

std::vector<GroupStatistics> GroupMoments(const PersonTable& table, const PersonValues& values,
                                          std::vector<GroupSums>& sums, DesignCounts& counts,
                                          ColumnWorkspace& work) {
  StartMoments(table, values, sums);
  return FinishMoments(table, values, sums, counts, work, nullptr);
}

// The share of each group below the cut-off and its standard error: the mean
// and standard error of the indicator value < cut-off.
void AddSharesBelow(const PersonTable& table, double cutOff, std::vector<GroupStatistics>& results,
                    ColumnWorkspace& work) {
  work.indicator.resize(table.value.size());
  for (size_t i = 0; i < table.value.size(); ++i) {
    work.indicator[i] = table.value[i] < cutOff ? 1.0 : 0.0;
  }
  std::vector<GroupSums> sums;
  DesignCounts counts;
  const std::vector<GroupStatistics> shares =
      GroupMoments(table, PersonValues{work.indicator, table.groupMask, {}}, sums, counts, work);
  for (size_t g = 0; g < results.size(); ++g) {
    results[g].shareBelow = shares[g].mean;
    results[g].shareBelowSe = shares[g].se;
  }
}

// Each figure the table gives for the nutrient, judged person by person:
// the share of the group's members who have that value, with its standard
// error. Members without a value stay out of the share's numerator and
// denominator (a domain of the design).
void AddJudgedShares(const PersonTable& table, const ReferenceRun& run,
                     const NutrientReference& nutrient, std::vector<GroupStatistics>& results,
                     ColumnWorkspace& work) {
  for (size_t f = 0; f < kJudgedFigures; ++f) {
    const auto figure = static_cast<JudgedFigure>(f);
    if (!nutrient.gives(figure)) continue;
    JudgePersons(run, nutrient, figure, table.value, table.missing, table.groupMask,
                 work.indicator, work.judgedMask);
    std::vector<GroupSums> sums;
    DesignCounts counts;
    const std::vector<GroupStatistics> shares =
        GroupMoments(table, PersonValues{work.indicator, work.judgedMask, {}}, sums, counts, work);
    for (size_t g = 0; g < results.size(); ++g) {
      results[g].judgedPersons[f] = shares[g].n;
      if (shares[g].n == 0) continue;
      results[g].judgedShare[f] = shares[g].mean;
      results[g].judgedShareSe[f] = shares[g].se;
    }
  }
}

// Each group's median, where it has members.
std::vector<double> GroupMedians(const std::vector<GroupStatistics>& results) {
  std::vector<double> medians(results.size(), GroupStatistics::kNoFigure);
  for (size_t g = 0; g < results.size(); ++g) {
    if (results[g].n > 0) medians[g] = results[g].pct[50];
  }
  return medians;
}

// The design SE of each group's share at or below its own median, with
// strata.
std::vector<double> StratifiedMedianShareErrors(const PersonTable& table,
                                                const std::vector<GroupStatistics>& results,
                                                ColumnWorkspace& work) {
  const std::vector<double> medians = GroupMedians(results);
  std::vector<GroupSums> sums;
  DesignCounts counts;
  const std::vector<GroupStatistics> shares =
      GroupMoments(table, PersonValues{table.value, table.groupMask, medians}, sums, counts, work);
  std::vector<double> errors(results.size());
  for (size_t g = 0; g < results.size(); ++g) errors[g] = shares[g].se;
  return errors;
}

// Woodruff's interval for each group's median: from the SE of the share at
// or below the median, p = 0.5 -/+ t * SE, each end mapped back to a value by
// the percentile rule over the members, still in order of value.
void AddMedianIntervals(const std::vector<GroupSums>& groupSums, double multiplier,
                        const std::vector<double>& shareErrors,
                        std::vector<GroupStatistics>& results, ColumnWorkspace& work) {
  std::vector<ShareEnds> ends(results.size());
  for (size_t g = 0; g < results.size(); ++g) {
    ends[g].totalWeight = groupSums[g].weight;
    ends[g].memberCount = groupSums[g].count;
    ends[g].share[0] = 0.5 - multiplier * shareErrors[g];
    ends[g].share[1] = 0.5 + multiplier * shareErrors[g];
    if (g < work.percentileMarks.size()) ends[g].marks = work.percentileMarks[g];
  }
  ValuesAtShares(work.members, ends);
  for (size_t g = 0; g < results.size(); ++g) {
    results[g].medianLower = ends[g].value[0];
    results[g].medianUpper = ends[g].value[1];
  }
}

// The share of a 0/1 indicator over a domain without strata, from its sums
// unit by unit: the mean's own variance (Finish), each unit's z from its
// weighted count and weight, the squares from the totals.
GroupStatistics ShareOfUnits(const PersonTable& table, const std::vector<UnitShare>& walked) {
  const RunLayout& layout = table.layout;
  // Totals over the units; those inside units (not coded -999) for the sum
  // of squares.
  GroupSums s;
  double inIndicator = 0.0, inWeight = 0.0;
  for (const UnitShare& unit : walked) {
    s.sum += unit.indicator;
    s.weight += unit.weight;
    s.count += unit.count;
    if (!(layout.hasUnitColumn && layout.unitCodes[unit.rank] == kMissingUnitCode)) {
      inIndicator += unit.indicator;
      inWeight += unit.weight;
    }
  }
  s.mean = s.weight != 0 ? s.sum / s.weight : s.sum;
  const double p = s.mean;
  if (s.weight != 0) {
    for (const UnitShare& unit : walked) {
      const double z = (unit.indicator - p * unit.weight) / s.weight;
      s.zSum += z;
      s.unitShares.emplace_back(unit.rank, z);
    }
  }
  // Members on the counted side deviate by 1 - p, the others by -p.
  s.squares = inIndicator * (1 - p) * (1 - p) + (inWeight - inIndicator) * p * p;
  return Finish(table, s);
}

// The design SE of each group's share at or below its median, from the units
// gathered on the walk of the deviations; none for a group without units.
std::vector<double> MedianShareErrors(const PersonTable& table, const MedianShares& median) {
  std::vector<double> errors(median.units.size(), GroupStatistics::kNoFigure);
  for (size_t g = 0; g < errors.size(); ++g) {
    if (!median.units[g].empty()) errors[g] = ShareOfUnits(table, median.units[g]).se;
  }
  return errors;
}

// The judged figures without strata, all in one walk: for each, the share of
// the group's members who have that value, with its standard error (as
// AddJudgedShares gives them with strata).
void AddSharesByUnit(const PersonTable& table, const ReferenceRun& run,
                     const NutrientReference& nutrient, std::vector<GroupStatistics>& results) {
  const RunLayout& layout = table.layout;
  const size_t groups = results.size();
  // Per group and figure: the unit being walked, and the units walked.
  std::vector<UnitShare> current(groups * kJudgedFigures);
  std::vector<std::vector<UnitShare>> units(groups * kJudgedFigures);
  uint64_t touched[kJudgedFigures] = {};
  bool active[kJudgedFigures] = {};
  uint32_t activeBits = 0;  // the figures the nutrient has, and their sides
  for (size_t f = 0; f < kJudgedFigures; ++f) {
    active[f] = nutrient.gives(static_cast<JudgedFigure>(f));
    if (active[f]) activeBits |= (1u << f) | (1u << (4 + f));
  }
  // The judged figures are the same for every group of a person: they are
  // gathered per group mask within the unit, and added to the groups when the
  // unit closes. While every person of a mask in the unit is judged for every
  // figure, the figures' weights and counts are one and the same sum, kept
  // once (`common`); the first person judged for fewer splits it into the
  // figures', which go on from there.
  const size_t maskCount = run.masks.size();
  const uint32_t activeFigures = activeBits & 0xF;
  std::vector<UnitShare> byMask(maskCount * kJudgedFigures);
  std::vector<UnitShare> common(maskCount);
  std::vector<uint8_t> split(maskCount, 0);
  std::vector<uint8_t> maskSeen(maskCount, 0);
  std::vector<uint32_t> masksInUnit;
  auto splitFigures = [&](uint32_t m) {
    for (size_t f = 0; f < kJudgedFigures; ++f) {
      if (!((activeFigures >> f) & 1)) continue;
      byMask[m * kJudgedFigures + f].weight = common[m].weight;
      byMask[m * kJudgedFigures + f].count = common[m].count;
    }
    common[m] = UnitShare{};
    split[m] = 1;
  };
  auto closeUnit = [&](uint32_t rank) {
    for (const uint32_t m : masksInUnit) {
      if (!split[m]) splitFigures(m);
      split[m] = 0;
      for (size_t f = 0; f < kJudgedFigures; ++f) {
        UnitShare& gathered = byMask[m * kJudgedFigures + f];
        if (gathered.count == 0) continue;
        ForEachGroup(run.masks[m], [&](size_t g) {
          UnitShare& unit = current[g * kJudgedFigures + f];
          unit.indicator += gathered.indicator;
          unit.weight += gathered.weight;
          unit.count += gathered.count;
        });
        touched[f] |= run.masks[m];
        gathered = UnitShare{};
      }
      maskSeen[m] = 0;
    }
    masksInUnit.clear();
    for (size_t f = 0; f < kJudgedFigures; ++f) {
      ForEachGroup(touched[f], [&](size_t g) {
        UnitShare& unit = current[g * kJudgedFigures + f];
        unit.rank = rank;
        units[g * kJudgedFigures + f].push_back(unit);
        unit = UnitShare{};
      });
      touched[f] = 0;
    }
  };
  for (size_t i = 0; i < layout.size(); ++i) {
    if (i > 0 && layout.unitRank[i] != layout.unitRank[i - 1]) closeUnit(layout.unitRank[i - 1]);
    if (table.missing[i]) continue;
    const double w = layout.weight[i];
    const uint16_t personClass = run.personClass[i];
    // Bit f: the person counts in figure f; bit 4 + f: on its judged side.
    const uint32_t judged = nutrient.JudgeAll(personClass, table.value[i]) & activeBits;
    if ((judged & 0xF) == 0 || table.groupMask[i] == 0) continue;
    const uint32_t m = run.maskIndex[i];
    if (!maskSeen[m]) {
      maskSeen[m] = 1;
      masksInUnit.push_back(m);
    }
    UnitShare* gathered = &byMask[m * kJudgedFigures];
    if (!split[m] && (judged & 0xF) == activeFigures) {
      common[m].weight += w;
      common[m].count += 1;
      for (size_t f = 0; f < kJudgedFigures; ++f) {
        if ((judged >> f) & 1) gathered[f].indicator += WeightIf((judged >> (4 + f)) & 1, w);
      }
      continue;
    }
    if (!split[m]) splitFigures(m);
    for (size_t f = 0; f < kJudgedFigures; ++f) {
      if (!((judged >> f) & 1)) continue;
      gathered[f].indicator += WeightIf((judged >> (4 + f)) & 1, w);
      gathered[f].weight += w;
      gathered[f].count += 1;
    }
  }
  if (layout.size() > 0) closeUnit(layout.unitRank.back());
  for (size_t g = 0; g < groups; ++g) {
    for (size_t f = 0; f < kJudgedFigures; ++f) {
      if (!active[f]) continue;
      const std::vector<UnitShare>& walked = units[g * kJudgedFigures + f];
      double persons = 0;
      for (const UnitShare& unit : walked) persons += unit.count;
      results[g].judgedPersons[f] = static_cast<int32_t>(persons);
      if (walked.empty()) continue;
      const GroupStatistics share = ShareOfUnits(table, walked);
      results[g].judgedShare[f] = share.mean;
      results[g].judgedShareSe[f] = share.se;
    }
  }
}

// The usable persons of each class: whether and why a person is judged
// depends on their class alone.
std::vector<int64_t> PersonsOfClass(const PersonTable& table, const ReferenceRun& run) {
  std::vector<int64_t> persons(kPersonClasses, 0);
  for (size_t i = 0; i < table.value.size(); ++i) {
    if (!table.missing[i]) ++persons[run.personClass[i]];
  }
  return persons;
}

// A share of fewer than two judged persons is no estimate, as no added
// figure is for a group of fewer than two.
void LeaveSharesOfSingleMembersEmpty(std::vector<GroupStatistics>& results) {
  for (GroupStatistics& group : results) {
    for (size_t f = 0; f < kJudgedFigures; ++f) {
      if (group.judgedPersons[f].value_or(0) >= 2) continue;
      group.judgedShare[f] = GroupStatistics::kNoFigure;
      group.judgedShareSe[f] = GroupStatistics::kNoFigure;
    }
  }
}

// Percentiles of every group with members, in one walk over the usable
// respondents in ascending order of value (equal values in sampling-unit
// order); `sums` gives the groups' weights and counts. With `keepMarks` each
// group's marks are kept in `work`, for the median's interval to start its
// walks near the median.
std::vector<std::array<double, 101>> GroupPercentiles(const PersonTable& table,
                                                      const std::vector<GroupSums>& sums,
                                                      ColumnWorkspace& work, bool keepMarks) {
  const RunLayout& layout = table.layout;
  std::vector<ValuedMember>& members = work.members;
  members.clear();
  members.reserve(layout.size());
  for (size_t i = 0; i < layout.size(); ++i) {
    if (!table.missing[i]) {
      members.push_back({table.value[i], layout.weight[i], layout.groupMask[i]});
    }
  }
  SortByValue(members, work.scratch);

  std::vector<WeightedPercentiles> walks;
  walks.reserve(sums.size());
  for (const GroupSums& s : sums) walks.emplace_back(s.weight, s.count);
  for (size_t i = 0; i < members.size(); ++i) {
    const ValuedMember& m = members[i];
    ForEachGroup(m.groupMask, [&](size_t g) { walks[g].Add(m.value, m.weight, i); });
  }
  work.percentileMarks.resize(keepMarks ? sums.size() : 0);
  for (size_t g = 0; g < work.percentileMarks.size(); ++g) {
    const std::span<const PercentileMark> marks = walks[g].marks();
    work.percentileMarks[g].assign(marks.begin(), marks.end());
  }
  std::vector<std::array<double, 101>> percentiles(sums.size(), std::array<double, 101>{});
  for (size_t g = 0; g < sums.size(); ++g) {
    if (sums[g].count > 0) walks[g].Finish(percentiles[g]);
  }
  return percentiles;
}

// The judged shares of every group: gathered unit by unit without strata,
// through the stratified variance with them.
void AddJudged(const PersonTable& table, const NutrientReference& nutrient,
               std::vector<GroupStatistics>& results, ColumnWorkspace& work) {
  const ReferenceRun& run = *table.layout.reference;
  if (table.layout.hasStrata) {
    AddJudgedShares(table, run, nutrient, results, work);
  } else {
    AddSharesByUnit(table, run, nutrient, results);
  }
}

// A replicate method's standard errors in place of the linearised ones; a
// judged share without an estimate keeps no error.
void TakeReplicateErrors(const ReplicatedFigures& errors, std::vector<GroupStatistics>& results,
                         std::vector<double>& medianErrors) {
  for (size_t g = 0; g < results.size(); ++g) {
    GroupStatistics& group = results[g];
    group.se = errors.mean[g];
    if (!errors.shareBelow.empty()) group.shareBelowSe = errors.shareBelow[g];
    for (size_t f = 0; f < kJudgedFigures && !errors.judgedShare.empty(); ++f) {
      if (!std::isnan(group.judgedShare[f])) group.judgedShareSe[f] = errors.judgedShare[g][f];
    }
    if (!errors.medianShare.empty()) medianErrors[g] = errors.medianShare[g];
  }
}

}  // namespace

const NutrientReference* ColumnNutrient(const RunLayout& layout, const DesignOptions& design,
                                        size_t variable) {
  if (!design.reference || !layout.reference) return nullptr;
  return layout.reference->nutrients[variable].get();
}

ColumnFigures ComputeColumnFigures(const VariableColumn& column, const RunLayout& layout,
                                   ColumnWorkspace& work, const DesignOptions& design,
                                   const NutrientReference* nutrient,
                                   const ReplicatedFigures* errors) {
  const PersonTable table = BuildPersonTable(column, layout, work);
  const PersonValues values{table.value, table.groupMask, {}};
  // The percentiles need only the groups' weights and counts, so they come
  // before the walk of the deviations, which then gathers the shares at or
  // below the medians on the way (without strata; with strata those have a
  // walk of their own).
  std::vector<GroupSums> sums;
  StartMoments(table, values, sums);
  std::vector<std::array<double, 101>> percentiles =
      GroupPercentiles(table, sums, work, design.medianInterval);
  std::optional<MedianShares> medianShares;
  if (design.medianInterval && !layout.hasStrata) {
    std::vector<double> medians(sums.size(), GroupStatistics::kNoFigure);
    for (size_t g = 0; g < sums.size(); ++g) {
      if (sums[g].count > 0) medians[g] = percentiles[g][50];
    }
    medianShares.emplace(std::move(medians));
  }
  ColumnFigures figures;
  figures.stratified = layout.hasStrata;
  figures.nutrient = nutrient;
  std::vector<GroupStatistics>& results = figures.groups;
  results = FinishMoments(table, values, sums, figures.counts, work,
                          medianShares ? &*medianShares : nullptr);
  for (size_t g = 0; g < results.size(); ++g) {
    if (results[g].n > 0) results[g].pct = percentiles[g];
  }
  if (design.shareBelow) AddSharesBelow(table, *design.shareBelow, results, work);
  std::vector<double> medianErrors(results.size(), GroupStatistics::kNoFigure);
  if (layout.hasStrata) {
    if (design.medianInterval) medianErrors = StratifiedMedianShareErrors(table, results, work);
  } else if (medianShares) {
    medianErrors = MedianShareErrors(table, *medianShares);
  }
  if (nutrient) {
    AddJudged(table, *nutrient, results, work);
    LeaveSharesOfSingleMembersEmpty(results);
    figures.personsOfClass = PersonsOfClass(table, *layout.reference);
    figures.notJudged = CountNotJudged(*nutrient, figures.personsOfClass);
  }
  if (errors != nullptr) TakeReplicateErrors(*errors, results, medianErrors);

  if (design.confidenceInterval || design.medianInterval) {
    figures.confidenceMultiplier = ConfidenceMultiplier(DegreesOfFreedom(
        layout.hasStrata, layout.hasUnitColumn, figures.counts, table.usableCount));
  }
  for (GroupStatistics& group : results) AddDesignFigures(group, figures.confidenceMultiplier);
  if (design.medianInterval) {
    AddMedianIntervals(sums, figures.confidenceMultiplier, medianErrors, results, work);
  }
  return figures;
}

ColumnFigures ComputeRatioFigures(const VariableColumn& numerator,
                                  const VariableColumn& denominator, const RunLayout& layout,
                                  ColumnWorkspace& work, const DesignOptions& design) {
  assert(numerator.value.size() == denominator.value.size() &&
         "numerator and denominator of the same rows");
  VariableColumn both;
  both.value = numerator.value;
  both.valid.resize(numerator.valid.size());
  for (size_t row = 0; row < both.valid.size(); ++row) {
    both.valid[row] = numerator.valid[row] && denominator.valid[row] ? 1 : 0;
  }
  const PersonTable table = BuildPersonTable(both, layout, work);
  std::vector<double> x(layout.size());
  for (size_t i = 0; i < x.size(); ++i) x[i] = denominator.value[layout.unitOrder[i]];
  std::vector<GroupSums> sums, denominatorSums;
  StartMoments(table, PersonValues{table.value, table.groupMask, {}}, sums);
  StartMoments(table, PersonValues{x, table.groupMask, {}}, denominatorSums);
  const size_t groups = sums.size();
  std::vector<double> ratio(groups, GroupStatistics::kNoFigure);
  std::vector<double> denominatorMean(groups, GroupStatistics::kNoFigure);
  for (size_t g = 0; g < groups; ++g) {
    if (denominatorSums[g].sum != 0) {
      ratio[g] = sums[g].sum / denominatorSums[g].sum;
      denominatorMean[g] = denominatorSums[g].sum / sums[g].weight;
    }
    sums[g].mean = 0.0;  // of the linearised variable
  }
  const RatioLinearisation linearised{x, ratio, denominatorMean};
  ColumnFigures figures;
  figures.stratified = layout.hasStrata;
  figures.groups =
      FinishMoments(table, PersonValues{table.value, table.groupMask, {}, &linearised}, sums,
                    figures.counts, work, nullptr);
  if (design.confidenceInterval) {
    figures.confidenceMultiplier = ConfidenceMultiplier(DegreesOfFreedom(
        layout.hasStrata, layout.hasUnitColumn, figures.counts, table.usableCount));
  }
  for (size_t g = 0; g < groups; ++g) {
    GroupStatistics& group = figures.groups[g];
    group.mean = ratio[g];
    if (std::isnan(group.mean)) group.se = GroupStatistics::kNoFigure;
    AddDesignFigures(group, figures.confidenceMultiplier);
  }
  return figures;
}

ReplicatedFigures ComputeReplicateFigures(const VariableColumn& column, const RunLayout& layout,
                                          ColumnWorkspace& work, const DesignOptions& design,
                                          const NutrientReference* nutrient,
                                          std::span<const double> fullMedians) {
  const PersonTable table = BuildPersonTable(column, layout, work);
  const PersonValues values{table.value, table.groupMask, {}};
  std::vector<GroupSums> sums;
  StartMoments(table, values, sums);
  const size_t groups = sums.size();
  std::vector<GroupStatistics> results(groups);
  for (size_t g = 0; g < groups; ++g) {
    results[g].n = static_cast<int32_t>(sums[g].count);
    results[g].mean = sums[g].mean;
  }
  if (design.shareBelow) AddSharesBelow(table, *design.shareBelow, results, work);
  if (nutrient) AddJudged(table, *nutrient, results, work);
  std::vector<GroupStatistics> medianShares;
  if (design.medianInterval) {
    assert(fullMedians.size() == groups && "a full-sample median for every group");
    DesignCounts counts;
    medianShares = GroupMoments(table, PersonValues{table.value, table.groupMask, fullMedians},
                                sums, counts, work);
  }

  ReplicatedFigures replicate;
  replicate.mean.resize(groups);
  if (design.shareBelow) replicate.shareBelow.resize(groups);
  if (nutrient) replicate.judgedShare.resize(groups);
  if (design.medianInterval) replicate.medianShare.resize(groups);
  for (size_t g = 0; g < groups; ++g) {
    // A group the replicate drew none of has no estimate at all.
    const bool drawn = results[g].n > 0;
    auto estimate = [&](double value) { return drawn ? value : GroupStatistics::kNoFigure; };
    replicate.mean[g] = estimate(results[g].mean);
    if (design.shareBelow) replicate.shareBelow[g] = estimate(results[g].shareBelow);
    if (nutrient) {
      for (size_t f = 0; f < kJudgedFigures; ++f) {
        replicate.judgedShare[g][f] = estimate(results[g].judgedShare[f]);
      }
    }
    if (design.medianInterval) replicate.medianShare[g] = estimate(medianShares[g].mean);
  }
  return replicate;
}

}  // namespace kelvara
