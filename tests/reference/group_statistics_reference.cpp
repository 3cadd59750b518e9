// ComputeGroupStatistics step by step, over the whole person table.
#include <cmath>
#include <cstdlib>

#include "tests/reference/reference_tabulation.h"

namespace kelvara::reference {
namespace {

constexpr int32_t kMissingUnit = -999;

const SurveyRecord& AsRecord(const void* p) { return *static_cast<const SurveyRecord*>(p); }

}  // namespace

void AllocateRecords(VariableSummary& summary, int32_t count) {
  summary.count = 0;
  summary.records.resize(static_cast<size_t>(count));
  summary.count = count;
}

void ReleaseRecords(VariableSummary& summary) {
  summary.records.clear();
  summary.records.shrink_to_fit();
  summary.count = 0;
}

int CompareByStratum(const void* a, const void* b) {
  const int32_t x = AsRecord(a).stratum;
  const int32_t y = AsRecord(b).stratum;
  return x < y ? -1 : (x > y ? 1 : 0);
}

int CompareByGroupThenValue(const void* a, const void* b) {
  const SurveyRecord& x = AsRecord(a);
  const SurveyRecord& y = AsRecord(b);
  if (x.inGroup != y.inGroup) return x.inGroup > y.inGroup ? -1 : 1;
  if (x.value != y.value) return x.value < y.value ? -1 : 1;
  return 0;
}

void ComputeGroupStatistics(VariableSummary& s) {
  SurveyRecord* r = s.records.data();
  const int32_t count = s.count;
  // 1. Records of one sampling unit stand together.
  if (count > 0) std::qsort(r, static_cast<size_t>(count), sizeof *r, CompareByStratum);

  // 2. Count and sum.
  s.nMissing = 0;
  double W = 0, S = 0, N = 0;
  for (int32_t i = 0; i < count; ++i) {
    if (r[i].inGroup == 1.0 && r[i].missing) {
      ++s.nMissing;
      r[i].inGroup = 0.0;
    }
    if (r[i].inGroup == 1.0) {
      S += r[i].weight * r[i].value;
      W += r[i].weight;
      N += 1;
    }
  }
  // 3. Mean.
  s.mean = W != 0 ? S / W : S;

  // 4. Sampling units and standard error.
  double zSum = 0;
  int32_t H = 0;
  for (int32_t i = 0; i < count;) {
    const int32_t stratum = r[i].stratum;
    double t = 0;
    for (; i < count && r[i].stratum == stratum; ++i) {
      if (r[i].inGroup == 1.0) t += r[i].weight * (r[i].value - s.mean);
    }
    ++H;
    if (W != 0) zSum += t / W;
  }
  const double zMean = H > 0 ? zSum / H : 0.0;
  double Q = 0;
  int32_t L = 0;
  for (int32_t i = 0; i < count;) {
    const int32_t stratum = r[i].stratum;
    if (stratum == kMissingUnit) {
      ++i;
      continue;
    }
    double t = 0;
    for (; i < count && r[i].stratum == stratum; ++i) {
      if (r[i].inGroup == 1.0) t += r[i].weight * (r[i].value - s.mean);
    }
    ++L;
    if (W != 0) {
      const double z = t / W;
      Q += (z - zMean) * (z - zMean);
    }
  }
  s.nUnits = L;
  if (L > 1) {
    Q = Q * (static_cast<double>(L) / (L - 1));
  } else {
    Q = 0;
  }
  s.se = std::sqrt(Q);

  // 5. Variance and standard deviation.
  double SS = 0;
  for (int32_t i = 0; i < count; ++i) {
    if (r[i].inGroup == 1.0 && r[i].stratum != kMissingUnit) {
      SS += (r[i].value - s.mean) * r[i].weight * (r[i].value - s.mean);
    }
  }
  s.variance = W > 0 && N > 1 ? SS / ((N - 1) * W / N) : 0;
  s.sd = std::sqrt(s.variance);
  s.n = static_cast<int32_t>(N);

  // 6. Simple random sampling.
  if (L == 1 && N > 1) s.se = std::sqrt(s.variance / N);

  // 7. Members used first, by ascending value.
  if (count > 0) std::qsort(r, static_cast<size_t>(count), sizeof *r, CompareByGroupThenValue);

  // 8. Percentiles.
  if (s.n == 0) return;
  for (int p = 0; p <= 100; ++p) {
    const double T = (W / N + W) * p * 0.01;
    double before = 0, after = 0;
    int32_t m = 0;
    bool stopped = false;
    for (; m < s.n; ++m) {
      before = after;
      after = before + r[m].weight;
      if (!(T > after)) {
        stopped = true;
        break;
      }
    }
    double& pct = s.pct[static_cast<size_t>(p)];
    if (!stopped) {
      pct = r[s.n - 1].value;
    } else if (m == 0) {
      pct = r[0].value;
    } else {
      pct = r[m - 1].value + (T - before) / (after - before) * (r[m].value - r[m - 1].value);
    }
  }
}

GroupStatistics StatisticsOf(const VariableSummary& summary) {
  GroupStatistics g;
  g.n = summary.n;
  g.nMissing = summary.nMissing;
  g.nUnits = summary.nUnits;
  g.mean = summary.mean;
  g.variance = summary.variance;
  g.sd = summary.sd;
  g.se = summary.se;
  g.pct = summary.pct;
  return g;
}

}  // namespace kelvara::reference
