#include "engine/statistics/usual_intake.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <limits>
#include <optional>

namespace kelvara {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Gauss-Hermite nodes and weights for the weight exp(-x^2), found by Newton's
// method on the orthonormal Hermite recurrence. Twelve nodes are exact for
// polynomials to degree 23 (every lambda of 1/k up to k = 23) and leave a
// relative error below 1e-12 on the lognormal mean for s_w up to 0.6 and
// below 1e-7 up to 1.5, past any within-person spread of intake data.
constexpr int kHermiteNodes = 12;

struct HermiteRule {
  std::array<double, kHermiteNodes> node{};
  std::array<double, kHermiteNodes> weight{};  // divided by sqrt(pi): they sum to 1
};

HermiteRule MakeHermiteRule() {
  HermiteRule rule;
  constexpr int n = kHermiteNodes;
  const double piToMinusQuarter = std::pow(std::acos(-1.0), -0.25);
  double z = 0.0;
  for (int i = 0; i < (n + 1) / 2; ++i) {
    // Starting guesses for the largest roots first.
    if (i == 0) {
      z = std::sqrt(2.0 * n + 1) - 1.85575 * std::pow(2.0 * n + 1, -1.0 / 6);
    } else if (i == 1) {
      z -= 1.14 * std::pow(static_cast<double>(n), 0.426) / z;
    } else if (i == 2) {
      z = 1.86 * z - 0.86 * rule.node[0];
    } else if (i == 3) {
      z = 1.91 * z - 0.91 * rule.node[1];
    } else {
      z = 2.0 * z - rule.node[static_cast<size_t>(i - 2)];
    }
    double derivative = 1.0;
    for (int iteration = 0; iteration < 100; ++iteration) {
      double p1 = piToMinusQuarter;
      double p2 = 0.0;
      for (int j = 1; j <= n; ++j) {
        const double p3 = p2;
        p2 = p1;
        p1 = z * std::sqrt(2.0 / j) * p2 - std::sqrt((j - 1.0) / j) * p3;
      }
      derivative = std::sqrt(2.0 * n) * p2;
      const double previous = z;
      z = previous - p1 / derivative;
      if (std::abs(z - previous) <= 1e-15 * std::max(1.0, std::abs(z))) break;
    }
    const double w = 2.0 / (derivative * derivative) / std::sqrt(std::acos(-1.0));
    rule.node[static_cast<size_t>(i)] = z;
    rule.node[static_cast<size_t>(n - 1 - i)] = -z;
    rule.weight[static_cast<size_t>(i)] = w;
    rule.weight[static_cast<size_t>(n - 1 - i)] = w;
  }
  return rule;
}

const HermiteRule& Hermite() {
  static const HermiteRule rule = MakeHermiteRule();
  return rule;
}

// g(y) from log y, accurate for lambda near 0.
double BoxCoxFromLog(double logY, double lambda) {
  return lambda == 0.0 ? logY : std::expm1(lambda * logY) / lambda;
}

// The persons and days of one variable as the estimation walks them.
struct Walk {
  const PersonIntakes& persons;
  const std::vector<double>& weight;
  std::vector<double> logDay;                // log of each (replaced) day value
  std::vector<std::vector<uint32_t>> inCell;  // persons of each cell, incl. the last
};

// Weighted sums of one pool of cells at one lambda.
struct PoolSums {
  int persons = 0;
  int repeated = 0;
  int bands = 0;  // cells of the pool holding persons
  double weight = 0.0;
  double firstSquares = 0.0;  // sum w (t1 - m1_band)^2
  double meanSquares = 0.0;   // sum w (tbar - M_band)^2
  double withinSquares = 0.0; // sum w sum_j (t_j - tbar)^2, persons with k >= 2
  double withinDegrees = 0.0; // sum w (k - 1), likewise
  double inverseDays = 0.0;   // sum w / k
};

PoolSums SumPool(const Walk& walk, const std::vector<int>& pool, double lambda) {
  PoolSums s;
  const PersonIntakes& p = walk.persons;
  for (int cell : pool) {
    const std::vector<uint32_t>& members = walk.inCell[static_cast<size_t>(cell)];
    if (members.empty()) continue;
    // Sums of squares from sums shifted by the band's first value, which
    // keeps them exact enough whatever the level of the values.
    const double shift = BoxCoxFromLog(walk.logDay[p.dayStart[members.front()]], lambda);
    double w1 = 0.0, t1Sum = 0.0, t1Squares = 0.0;  // first days of the band
    double wm = 0.0, tbarSum = 0.0, tbarSquares = 0.0;
    int bandPersons = 0;
    for (uint32_t person : members) {
      const double w = walk.weight[person];
      const uint32_t from = p.dayStart[person], to = p.dayStart[person + 1];
      ++bandPersons;
      const double t1 = BoxCoxFromLog(walk.logDay[from], lambda) - shift;
      w1 += w;
      t1Sum += w * t1;
      t1Squares += w * t1 * t1;
      const double k = to - from;
      double sum = 0.0;
      for (uint32_t j = from; j < to; ++j) sum += BoxCoxFromLog(walk.logDay[j], lambda);
      const double tbar = sum / k;
      if (k >= 2) {
        ++s.repeated;
        double squares = 0.0;
        for (uint32_t j = from; j < to; ++j) {
          const double d = BoxCoxFromLog(walk.logDay[j], lambda) - tbar;
          squares += d * d;
        }
        s.withinSquares += w * squares;
        s.withinDegrees += w * (k - 1);
      }
      s.inverseDays += w / k;
      wm += w;
      tbarSum += w * (tbar - shift);
      tbarSquares += w * (tbar - shift) * (tbar - shift);
    }
    if (bandPersons == 0) continue;
    ++s.bands;
    s.persons += bandPersons;
    s.weight += w1;
    // Squares around the band's own weighted mean, as the pooled bands may
    // lie at different levels.
    if (w1 > 0) s.firstSquares += std::max(0.0, t1Squares - t1Sum * t1Sum / w1);
    if (wm > 0) s.meanSquares += std::max(0.0, tbarSquares - tbarSum * tbarSum / wm);
  }
  return s;
}

// The first days of a pool's persons, band after band, for the many
// evaluations of the likelihood while lambda is sought.
struct FirstDays {
  std::vector<double> logY;
  std::vector<double> weight;
  std::vector<size_t> bandEnd;  // where each band's persons end
  double weightSum = 0.0;
  double meanLog = 0.0;  // weighted mean of log y
};

FirstDays GatherFirstDays(const Walk& walk, const std::vector<int>& pool) {
  FirstDays first;
  double logSum = 0.0;
  for (int cell : pool) {
    for (uint32_t person : walk.inCell[static_cast<size_t>(cell)]) {
      const double w = walk.weight[person];
      const double logY = walk.logDay[walk.persons.dayStart[person]];
      first.logY.push_back(logY);
      first.weight.push_back(w);
      first.weightSum += w;
      logSum += w * logY;
    }
    first.bandEnd.push_back(first.logY.size());
  }
  first.meanLog = first.weightSum > 0 ? logSum / first.weightSum : 0.0;
  return first;
}

// Profile log-likelihood per person of the first days' Box-Cox model with a
// mean per band: -1/2 log sigma^2 + (lambda - 1) * mean log y.
double ProfileLikelihood(const FirstDays& first, double lambda) {
  double squares = 0.0;
  size_t from = 0;
  for (size_t to : first.bandEnd) {
    if (to == from) continue;
    // Sums shifted by the band's first value, exact enough at any level.
    const double shift = BoxCoxFromLog(first.logY[from], lambda);
    double w = 0.0, sum = 0.0, sum2 = 0.0;
    for (size_t i = from; i < to; ++i) {
      const double t = BoxCoxFromLog(first.logY[i], lambda) - shift;
      w += first.weight[i];
      sum += first.weight[i] * t;
      sum2 += first.weight[i] * t * t;
    }
    if (w > 0) squares += std::max(0.0, sum2 - sum * sum / w);
    from = to;
  }
  if (!(first.weightSum > 0) || !(squares > 0)) return -std::numeric_limits<double>::infinity();
  return -0.5 * std::log(squares / first.weightSum) + (lambda - 1.0) * first.meanLog;
}

// The lambda in [0, 1] of highest profile likelihood. Without a start, a
// grid finds the peak's neighbourhood and a golden section narrows it to
// 5e-6. Narrower, the likelihood's differences near its peak fall to the
// rounding of its sums, which differs in the last bit between C libraries'
// log and exp, and a step the other way would give Windows another lambda
// than Linux. From a start (a bootstrap replicate's, near the full
// sample's), a shorter golden section around it.
double ChooseLambda(const Walk& walk, const std::vector<int>& pool, double start) {
  const FirstDays first = GatherFirstDays(walk, pool);
  constexpr int kGrid = 10;
  double best = 1.0;
  double bestValue = -std::numeric_limits<double>::infinity();
  int iterations = 22;  // 0.2 * 0.618^22 = 5e-6
  if (std::isnan(start)) {
    for (int i = 0; i <= kGrid; ++i) {
      const double lambda = static_cast<double>(i) / kGrid;
      const double value = ProfileLikelihood(first, lambda);
      if (value > bestValue) {
        bestValue = value;
        best = lambda;
      }
    }
    if (!std::isfinite(bestValue)) return 1.0;
  } else {
    best = start;
    bestValue = ProfileLikelihood(first, start);
    iterations = 12;  // to 3e-4: a replicate's lambda moves its figures far less than their spread
  }
  double a = std::max(0.0, best - 1.0 / kGrid), b = std::min(1.0, best + 1.0 / kGrid);
  const double ratio = (std::sqrt(5.0) - 1.0) / 2.0;
  double c = b - ratio * (b - a), d = a + ratio * (b - a);
  double fc = ProfileLikelihood(first, c), fd = ProfileLikelihood(first, d);
  for (int iteration = 0; iteration < iterations; ++iteration) {
    if (fc >= fd) {
      b = d;
      d = c;
      fd = fc;
      c = b - ratio * (b - a);
      fc = ProfileLikelihood(first, c);
    } else {
      a = c;
      c = d;
      fc = fd;
      d = a + ratio * (b - a);
      fd = ProfileLikelihood(first, d);
    }
  }
  const double refined = (a + b) / 2.0;
  return ProfileLikelihood(first, refined) >= bestValue ? refined : best;
}

// Whether a pool is large enough to estimate from.
bool Enough(const Walk& walk, const std::vector<int>& pool, bool estimateRatio) {
  int persons = 0, repeated = 0;
  for (int cell : pool) {
    for (uint32_t person : walk.inCell[static_cast<size_t>(cell)]) {
      ++persons;
      if (walk.persons.dayStart[person + 1] - walk.persons.dayStart[person] >= 2) ++repeated;
    }
  }
  return persons >= kMinPersons && (!estimateRatio || repeated >= kMinRepeatedPersons);
}

// The pool of cells a cell takes its parameters from (see the header);
// nothing when even every cell together is too small.
std::optional<std::vector<int>> PoolFor(const Walk& walk, int cell, bool estimateRatio) {
  const int bands = walk.persons.bandCount;
  std::vector<int> everything(static_cast<size_t>(walk.persons.cellCount() + 1));
  for (size_t c = 0; c < everything.size(); ++c) everything[c] = static_cast<int>(c);
  auto everyCell = [&]() -> std::optional<std::vector<int>> {
    if (!Enough(walk, everything, estimateRatio)) return std::nullopt;
    return everything;
  };
  if (cell == walk.persons.cellCount()) return everyCell();
  std::vector<int> pool{cell};
  const int sexFirst = cell / bands * bands;
  const int band = cell % bands;
  for (int distance = 1; !Enough(walk, pool, estimateRatio); ++distance) {
    if (distance >= bands) return everyCell();
    for (int neighbour : {band - distance, band + distance}) {
      if (neighbour < 0 || neighbour >= bands) continue;
      pool.push_back(sexFirst + neighbour);
      if (Enough(walk, pool, estimateRatio)) return pool;
    }
  }
  return pool;
}

}  // namespace

double BoxCox(double y, double lambda) { return BoxCoxFromLog(std::log(y), lambda); }

double InverseBoxCox(double t, double lambda) {
  if (lambda == 0.0) return std::exp(t);
  const double base = lambda * t + 1.0;
  return base > 0.0 ? std::exp(std::log1p(lambda * t) / lambda) : 0.0;
}

double MeanOfInverse(double t, double lambda, double variance) {
  if (!(variance > 0)) return InverseBoxCox(t, lambda);
  const HermiteRule& rule = Hermite();
  const double scale = std::sqrt(2.0 * variance);
  double sum = 0.0;
  for (int q = 0; q < kHermiteNodes; ++q) {
    const size_t i = static_cast<size_t>(q);
    sum += rule.weight[i] * InverseBoxCox(t + scale * rule.node[i], lambda);
  }
  return sum;
}

bool UsualIntakes::Complete() const {
  return std::all_of(cells.begin(), cells.end(),
                     [](const CellFit& cell) { return cell.persons == 0 || cell.estimated; });
}

UsualIntakes EstimateUsualIntakes(const PersonIntakes& persons,
                                  const std::vector<double>& weightOverride,
                                  const UsualIntakes* near) {
  const size_t count = persons.personCount();
  assert(persons.bandCount > 0 && "a scheme with age bands");
  assert(persons.dayStart.size() == count + 1 && persons.dayStart.front() == 0 &&
         persons.dayStart.back() == persons.day.size() && "days laid out person by person");
  assert(std::is_sorted(persons.dayStart.begin(), persons.dayStart.end()) &&
         "each person's days after the previous person's");
  assert(persons.cell.size() == count && "a cell for every person");
  assert((persons.givenRatio.empty() ||
          persons.givenRatio.size() == static_cast<size_t>(persons.cellCount() + 1)) &&
         "a given ratio, or none, for every cell");
  assert((weightOverride.empty() || weightOverride.size() == count) &&
         "a replicate weight for every person");
  assert((near == nullptr || near->cells.size() == static_cast<size_t>(persons.cellCount() + 1)) &&
         "a start fitted to the same cells");
  const std::vector<double>& weight = weightOverride.empty() ? persons.weight : weightOverride;
  UsualIntakes result;
  result.usual.assign(count, kNaN);
  result.transformed.assign(count, kNaN);
  const int cells = persons.cellCount() + 1;
  result.cells.assign(static_cast<size_t>(cells), CellFit{});

  Walk walk{persons, weight, {}, std::vector<std::vector<uint32_t>>(static_cast<size_t>(cells))};
  double smallestPositive = std::numeric_limits<double>::infinity();
  for (size_t p = 0; p < count; ++p) {
    if (persons.cell[p] == PersonIntakes::kNoCell) continue;
    assert(persons.cell[p] >= 0 && persons.cell[p] < cells && "a person's cell among the cells");
    if (persons.dayStart[p + 1] == persons.dayStart[p]) continue;
    result.days += static_cast<int>(persons.dayStart[p + 1] - persons.dayStart[p]);
    walk.inCell[static_cast<size_t>(persons.cell[p])].push_back(static_cast<uint32_t>(p));
    for (uint32_t j = persons.dayStart[p]; j < persons.dayStart[p + 1]; ++j) {
      if (persons.day[j] > 0) smallestPositive = std::min(smallestPositive, persons.day[j]);
    }
  }
  if (!std::isfinite(smallestPositive)) {
    result.anyPositive = false;
    return result;
  }
  walk.logDay.resize(persons.day.size());
  for (size_t j = 0; j < persons.day.size(); ++j) {
    double y = persons.day[j];
    if (!(y > 0)) {
      y = smallestPositive / 2.0;
      ++result.replacedDays;
    }
    walk.logDay[j] = std::log(y);
  }
  // Days of persons left out are not counted as replaced.
  for (size_t p = 0; p < count; ++p) {
    if (persons.cell[p] != PersonIntakes::kNoCell) continue;
    for (uint32_t j = persons.dayStart[p]; j < persons.dayStart[p + 1]; ++j) {
      if (!(persons.day[j] > 0)) --result.replacedDays;
    }
  }

  for (int cell = 0; cell < cells; ++cell) {
    CellFit& fit = result.cells[static_cast<size_t>(cell)];
    const std::vector<uint32_t>& members = walk.inCell[static_cast<size_t>(cell)];
    fit.persons = static_cast<int>(members.size());
    for (uint32_t person : members) {
      if (persons.dayStart[person + 1] - persons.dayStart[person] >= 2) ++fit.repeatedPersons;
    }
    result.persons += fit.persons;
    result.repeatedPersons += fit.repeatedPersons;
    if (members.empty()) continue;
    const double given = persons.givenRatio.empty()
                             ? -1.0
                             : persons.givenRatio[static_cast<size_t>(cell)];
    fit.given = given >= 0;
    const std::optional<std::vector<int>> found = PoolFor(walk, cell, !fit.given);
    if (!found) {
      fit.tooFew = true;
      continue;
    }
    const std::vector<int>& pool = *found;
    fit.pooled = pool.size() > 1;
    const double start = near != nullptr && near->cells[static_cast<size_t>(cell)].estimated
                             ? near->cells[static_cast<size_t>(cell)].lambda
                             : std::nan("");
    fit.lambda = ChooseLambda(walk, pool, start);
    const PoolSums s = SumPool(walk, pool, fit.lambda);
    const double n = s.persons;
    const double divisor = n > s.bands && s.weight > 0 ? (n - s.bands) * s.weight / n : 0.0;
    fit.totalVariance = divisor > 0 ? s.firstSquares / divisor : 0.0;
    if (fit.given) {
      fit.betweenVariance = fit.totalVariance / (1.0 + given);
      fit.withinVariance = given * fit.betweenVariance;
    } else {
      if (!(s.withinDegrees > 0)) continue;  // nobody with two days: not estimable
      fit.withinVariance = s.withinSquares / s.withinDegrees;
      const double meanVariance = divisor > 0 ? s.meanSquares / divisor : 0.0;
      fit.betweenVariance = meanVariance - fit.withinVariance * (s.inverseDays / s.weight);
    }
    if (!(fit.betweenVariance > 0)) {
      // Without any spread of the first days the floor is 0 too: every
      // person then stands at the band's mean, which no shrink factor of a
      // negative s_b^2 would give.
      fit.betweenVariance = kBetweenFloor * fit.totalVariance;
      fit.floored = true;
      result.flooredPersons += fit.persons;
    }
    fit.estimated = true;

    // Shrink towards the band's own weighted mean of the person means.
    std::vector<double> tbar(members.size());
    double wSum = 0.0, tSum = 0.0;
    for (size_t i = 0; i < members.size(); ++i) {
      const uint32_t person = members[i];
      const uint32_t from = persons.dayStart[person], to = persons.dayStart[person + 1];
      double sum = 0.0;
      for (uint32_t j = from; j < to; ++j) sum += BoxCoxFromLog(walk.logDay[j], fit.lambda);
      tbar[i] = sum / (to - from);
      wSum += weight[person];
      tSum += weight[person] * tbar[i];
    }
    const double m = wSum != 0 ? tSum / wSum : 0.0;
    for (size_t i = 0; i < members.size(); ++i) {
      const uint32_t person = members[i];
      const double k = persons.dayStart[person + 1] - persons.dayStart[person];
      const double spread = fit.betweenVariance + fit.withinVariance / k;
      const double shrink = spread > 0 ? std::sqrt(fit.betweenVariance / spread) : 1.0;
      const double t = m + (tbar[i] - m) * shrink;
      result.transformed[person] = t;
      result.usual[person] = MeanOfInverse(t, fit.lambda, fit.withinVariance);
    }
  }
  return result;
}

}  // namespace kelvara
