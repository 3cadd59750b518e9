// Usual intake on simulated surveys whose true usual intakes are known, and
// the closed forms the method must meet.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "engine/reading/ratio_table.h"
#include "engine/reading/reference_table.h"
#include "engine/statistics/reference_judgement.h"
#include "engine/statistics/usual_intake.h"
#include "engine/tabulation.h"
#include "tests/support/temp_dir.h"

namespace kelvara {
namespace {

// Columns: 0 person, 1 sex, 2 age, 3 pregnancy, 4 value, 5 weight, 6 unit.
constexpr int kPerson = 0, kValue = 4;
const std::string kMale20s = "\x92j20\x81`29";           // 男20～29
const std::string kFemale30s = "\x8F\x97" "30\x81`39";   // 女30～39
const std::string kUsualMark = "\x81i\x8FK\x8A\xB5\x93I\x90\xDB\x8E\xE6\x97\xCA\x81j";  // （習慣的摂取量）

struct Scenario {
  double lambda;         // true Box-Cox parameter
  double ratio;          // true s_w^2 / s_b^2
  double repeatedShare;  // persons with a second day
  double mean[2];        // of T, per band
  double between;        // s_b, on the transformed scale
};

struct Person {
  int band;  // 0 men 20-29, 1 women 30-39
  double weight;
  double usual;  // the true long-run mean of the person's days
};

// The true usual intake E[g^-1(T + e)], e ~ N(0, s^2), in closed form: a
// lognormal mean at lambda 0, the moments of a normal variable at 1/4, 1/2
// and 1.
double TrueUsual(double lambda, double t, double s2) {
  if (lambda == 0) return std::exp(t + s2 / 2);
  const double a = 1 + lambda * t, v = lambda * lambda * s2;
  if (lambda == 0.25) return a * a * a * a + 6 * a * a * v + 3 * v * v;
  if (lambda == 0.5) return a * a + v;
  return a;  // lambda 1
}

struct Survey {
  std::string csv;
  std::string firstRowsCsv;  // each person's first row only, in file order
  std::vector<Person> persons;
};

Survey Simulate(const Scenario& s, uint64_t seed, int personsPerBand = 2500) {
  std::mt19937_64 random(seed);
  std::normal_distribution<double> normal(0.0, 1.0);
  std::uniform_real_distribution<double> uniform(0.0, 1.0);
  const double within = std::sqrt(s.ratio) * s.between;
  auto dayValue = [&](double t) {
    const double x = t + within * normal(random);
    return s.lambda == 0 ? std::exp(x) : std::pow(std::max(0.0, 1 + s.lambda * x), 1 / s.lambda);
  };
  Survey survey;
  std::vector<std::string> rows;
  std::vector<int> rowPerson;
  for (int p = 0; p < 2 * personsPerBand; ++p) {
    const int band = p % 2;
    const double t = s.mean[band] + s.between * normal(random);
    const double weight = 1 + 2 * uniform(random);
    survey.persons.push_back({band, weight, TrueUsual(s.lambda, t, within * within)});
    const int days = uniform(random) < s.repeatedShare ? 2 : 1;
    for (int d = 0; d < days; ++d) {
      char row[160];
      std::snprintf(row, sizeof row, "%d,%d,%d,0,%.7g,%.6g,%d\r\n", p, band + 1, band ? 35 : 25,
                    dayValue(t), weight, p / 10);
      rows.push_back(row);
      rowPerson.push_back(p);
    }
  }
  // Second days stand apart from first days, as in a file of two survey days.
  std::vector<size_t> order(rows.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), random);
  survey.csv = survey.firstRowsCsv = "person,sex,age,preg,value,weight,unit\r\n";
  std::vector<bool> seen(survey.persons.size());
  for (size_t i : order) {
    survey.csv += rows[i];
    if (!seen[static_cast<size_t>(rowPerson[i])]) survey.firstRowsCsv += rows[i];
    seen[static_cast<size_t>(rowPerson[i])] = true;
  }
  return survey;
}

std::vector<std::string> Tabulate(const std::string& file, DesignOptions design) {
  RunRequest request{file, {6, 1, 2, 3, 5}, {kValue}, SchemeId::table1, design, {}, {}};
  std::vector<std::string> lines;
  EXPECT_EQ(TabulateVariables(request, [&](std::string_view l) { lines.emplace_back(l); }),
            RunStatus::ok);
  return lines;
}

// The fields of a group's line in the ordinary block (usual false) or the
// usual-intake block.
std::vector<double> Fields(const std::vector<std::string>& lines, const std::string& label,
                           bool usual) {
  bool inUsual = false;
  for (const std::string& line : lines) {
    if (line.find(kUsualMark) != std::string::npos) inUsual = true;
    if (inUsual != usual || line.rfind("\"" + label + "\",", 0) != 0) continue;
    std::vector<double> fields;
    for (size_t pos = line.find(',') + 1; pos != 0; pos = line.find(',', pos) + 1) {
      fields.push_back(std::strtod(line.c_str() + pos, nullptr));
    }
    return fields;
  }
  ADD_FAILURE() << "no line " << label;
  return {};
}

// The weighted quantile of the true usual intakes of a band: the smallest
// value whose cumulative weight reaches q.
double TrueQuantile(const std::vector<Person>& persons, int band, double q) {
  std::vector<std::pair<double, double>> values;
  double total = 0;
  for (const Person& p : persons) {
    if (p.band != band) continue;
    values.emplace_back(p.usual, p.weight);
    total += p.weight;
  }
  std::sort(values.begin(), values.end());
  double sum = 0;
  for (const auto& [value, weight] : values) {
    sum += weight;
    if (sum >= q * total) return value;
  }
  return values.back().first;
}

double TrueShareBelow(const std::vector<Person>& persons, int band, double cutOff) {
  double below = 0, total = 0;
  for (const Person& p : persons) {
    if (p.band != band) continue;
    total += p.weight;
    if (p.usual < cutOff) below += p.weight;
  }
  return 100 * below / total;
}

// How far the block's figures may fairly lie from the truth: three standard
// deviations of their error. The error has two parts. The estimated
// distribution and the persons' true one are two samples of the same law: a
// P10 of n persons has a sampling SD of sqrt(0.1 * 0.9 / n) / phi(1.28) SDs of
// the law, 0.013 of its P10-P90 range at n = 2,500, twice over. And s_b^2 is
// the difference of the variance V of person means and s_w^2 * mean(1/k):
// its relative SD is about sqrt(2 (V/s_b^2)^2 / n + 2 (R c)^2 / r), c being
// mean(1/k) and r the persons with two days (no second term with a given
// ratio); a relative error e of s_b^2 moves P10 and P90 by e/4 of the range.
// The share below the band's P25 has a sampling SD of 0.87 points, twice
// over, and moves by phi(0.674) * 0.674 * e/2 = 0.107 e.
struct Tolerance {
  double range;  // of P10, median and P90, as a share of the true P10-P90 range
  double share;  // percentage points
};

Tolerance FairTolerance(const Scenario& s, bool givenRatio, int persons) {
  const double c = 1 - s.repeatedShare / 2;
  const double repeated = s.repeatedShare * persons;
  double e2 = 2 * std::pow(1 + s.ratio * c, 2) / persons;
  if (!givenRatio) e2 += 2 * std::pow(s.ratio * c, 2) / repeated;
  const double sampling = std::sqrt(0.1 * 0.9 / persons) / 0.1755 / 2.5631;
  const double shareSampling = 100 * std::sqrt(0.25 * 0.75 / persons);
  return {3 * std::sqrt(2 * sampling * sampling + e2 / 16),
          3 * std::sqrt(2 * shareSampling * shareSampling + 100 * 0.107 * 0.107 * e2)};
}

// The block's P10, median, P90 and share below a cut-off (the men's true
// P25) against the weighted figures of the same persons' true usual
// intakes, within the fair tolerance; the one-day figures of the same run
// must miss P10 or P90 by more than the tolerance (at a ratio of 0.5 the
// one-day spread is only sqrt(1.5) times the usual one, so not by much more).
TEST(UsualIntake, RecoversTheTrueUsualIntakeWhereOneDayDoesNot) {
  const struct {
    Scenario scenario;
    bool givenRatio;  // one day per person with the true ratio given
  } cases[] = {
      {{0.0, 0.5, 0.3, {7.6, 7.4}, 0.3}, false},
      {{0.5, 2.0, 0.4, {18, 20}, 2.0}, false},
      {{1.0, 4.0, 0.5, {150, 120}, 15}, false},
      {{0.25, 1.0, 0.0, {22.7, 21}, 1.6}, true},
  };
  constexpr int kPersonsPerBand = 2500;
  uint64_t seed = 17;
  for (const auto& c : cases) {
    SCOPED_TRACE("lambda " + std::to_string(c.scenario.lambda) + " ratio " +
                 std::to_string(c.scenario.ratio));
    const Survey survey = Simulate(c.scenario, seed++, kPersonsPerBand);
    const double cutOff = TrueQuantile(survey.persons, 0, 0.25);
    DesignOptions design;
    design.shareBelow = cutOff;
    design.usual.enabled = true;
    if (c.givenRatio) {
      design.usual.ratios.push_back({kValue, c.scenario.ratio});
    } else {
      design.usual.personColumn = kPerson;
    }
    testing::TempDir dir;
    const std::vector<std::string> lines = Tabulate(dir.Write("days.csv", survey.csv), design);
    for (int band : {0, 1}) {
      const std::string& label = band ? kFemale30s : kMale20s;
      const std::vector<double> usual = Fields(lines, label, true);
      const std::vector<double> oneDay = Fields(lines, label, false);
      ASSERT_EQ(usual.size(), 18u);
      const double p10 = TrueQuantile(survey.persons, band, 0.1);
      const double p50 = TrueQuantile(survey.persons, band, 0.5);
      const double p90 = TrueQuantile(survey.persons, band, 0.9);
      const Tolerance fair = FairTolerance(c.scenario, c.givenRatio, kPersonsPerBand);
      const double tolerance = fair.range * (p90 - p10);
      EXPECT_NEAR(usual[8], p10, tolerance) << label;
      EXPECT_NEAR(usual[10], p50, tolerance) << label;
      EXPECT_NEAR(usual[12], p90, tolerance) << label;
      EXPECT_NEAR(usual[16], TrueShareBelow(survey.persons, band, cutOff), fair.share) << label;
      EXPECT_GT(std::max(std::abs(oneDay[8] - p10), std::abs(oneDay[12] - p90)), tolerance)
          << label;
    }
  }
}

// With no within-person variance the usual intake is the day's value: the
// block equals the ordinary one, added columns included. With a person
// column the ordinary block is the block of the persons' first rows.
TEST(UsualIntake, ClosedFormsOfTheBlocks) {
  const Survey survey = Simulate({0.5, 2.0, 0.4, {18, 20}, 2.0}, 5, 400);
  testing::TempDir dir;
  DesignOptions plain;
  plain.confidenceInterval = plain.coefficientOfVariation = plain.designEffect = true;
  plain.shareBelow = 100;
  const std::vector<std::string> firstRows = Tabulate(dir.Write("first.csv", survey.firstRowsCsv), plain);

  DesignOptions zeroRatio = plain;
  zeroRatio.usual.enabled = true;
  zeroRatio.usual.ratios.push_back({kValue, 0.0});
  const std::vector<std::string> both = Tabulate(dir.PathOf("first.csv"), zeroRatio);
  ASSERT_EQ(both.size(), 2 * firstRows.size() + 1);
  EXPECT_EQ(both[firstRows.size()], "\"\x81y" "value" + kUsualMark + "\x81z\"");
  for (size_t i = 1; i + 1 < firstRows.size(); ++i) {
    EXPECT_EQ(both[firstRows.size() + i], firstRows[i]);
  }

  DesignOptions byPerson = plain;
  byPerson.usual.personColumn = kPerson;
  const std::vector<std::string> days = Tabulate(dir.Write("days.csv", survey.csv), byPerson);
  ASSERT_EQ(days.size(), firstRows.size() + 1);
  for (size_t i = 0; i + 1 < firstRows.size(); ++i) EXPECT_EQ(days[i], firstRows[i]);
  EXPECT_NE(days[days.size() - 2].find("800"), std::string::npos);  // persons counted
}

// With no within-person variance the usual intakes are the day values, and
// the Rao-Wu bootstrap's standard error of every figure estimates the same as
// the linearised one: the mean's, the share's below the cut-off, the share's
// below the EAR, and the median interval's width (from the share at or below
// the median). Within 15 % at 400 replicates (the Monte Carlo error of a
// standard deviation from B replicates is 1/sqrt(2B), 3.5 %), 25 % for the
// interval, whose ends step between order statistics; yet none is the
// linearised figure carried over. The draws are seeded:
// a second run gives the same report.
TEST(UsualIntake, BootstrapAgreesWithLinearisationWithoutWithinVariance) {
  const Survey survey = Simulate({0.5, 2.0, 0.0, {18, 20}, 2.0}, 11, 600);
  testing::TempDir dir;
  std::string error;
  std::optional<ReferenceTable> table = ParseReferenceTable(
      "title,t\nname,v,value\nvalue,v,1,1,,,EAR,100,g,total,x\nvalue,v,2,1,,,EAR,120,g,total,x\n",
      error);
  ASSERT_TRUE(table) << error;
  auto reference = std::make_shared<ReferenceChoice>();
  reference->table = std::move(*table);
  DesignOptions design;
  design.shareBelow = 100;
  design.medianInterval = true;
  design.reference = reference;
  design.usual.enabled = true;
  design.usual.ratios.push_back({kValue, 0.0});
  design.usual.bootstrapReplicates = 400;
  const std::string file = dir.Write("first.csv", survey.firstRowsCsv);
  const std::vector<std::string> lines = Tabulate(file, design);
  for (const std::string& label : {kMale20s, kFemale30s}) {
    const std::vector<double> linearised = Fields(lines, label, false);
    const std::vector<double> bootstrap = Fields(lines, label, true);
    // Fields: n, missing, mean, SD, SE, 11 percentiles, the share below and
    // its SE, the median interval, then per judged figure its count, share
    // and SE (EAR's at 20-22).
    ASSERT_EQ(bootstrap.size(), 32u);
    EXPECT_NEAR(bootstrap[4] / linearised[4], 1.0, 0.15) << label;
    EXPECT_NEAR(bootstrap[17] / linearised[17], 1.0, 0.15) << label;
    EXPECT_NEAR(bootstrap[22] / linearised[22], 1.0, 0.15) << label;
    EXPECT_NEAR((bootstrap[19] - bootstrap[18]) / (linearised[19] - linearised[18]), 1.0, 0.25)
        << label;
    // Each from the replicates, not the linearised figure carried over.
    for (size_t field : {4u, 17u, 18u, 19u, 22u}) EXPECT_NE(bootstrap[field], linearised[field]);
  }
  EXPECT_EQ(Tabulate(file, design), lines);
}

// A person-day file of men aged 25: `days[p]` holds person p's day values,
// first day first; columns as Simulate writes them, all in unit p % 5.
std::string PersonDayFile(const std::vector<std::vector<std::string>>& days) {
  std::string csv = "person,sex,age,preg,value,weight,unit\r\n";
  for (size_t p = 0; p < days.size(); ++p) {
    for (const std::string& value : days[p]) {
      csv += std::to_string(p) + ",1,25,0," + value + ",1," + std::to_string(p % 5) + "\r\n";
    }
  }
  return csv;
}

struct ByPerson {
  RunOutcome outcome;
  std::vector<std::string> lines;

  // The line of the usual-intake block starting with `start`, or "".
  std::string UsualLine(const std::string& start) const {
    bool inUsual = false;
    for (const std::string& line : lines) {
      if (line.find(kUsualMark) != std::string::npos) inUsual = true;
      if (inUsual && line.rfind(start, 0) == 0) return line;
    }
    return {};
  }
};

ByPerson TabulateByPerson(const std::string& file, DesignOptions design) {
  design.usual.enabled = true;
  if (design.usual.ratios.empty()) design.usual.personColumn = kPerson;
  ByPerson run;
  const RunRequest request{file, {6, 1, 2, 3, 5}, {kValue}, SchemeId::table1, design, {}, {}};
  run.outcome = TabulateVariables(
      request, [&](std::string_view l) { run.lines.emplace_back(l); }, RunControl{});
  EXPECT_EQ(run.outcome.status, RunStatus::ok);
  return run;
}

// "習慣的摂取量の推定：
const std::string kMethodStart =
    "\"\x8FK\x8A\xB5\x93I\x90\xDB\x8E\xE6\x97\xCA\x82\xCC\x90\x84\x92\xE8\x81" "F";

// The block is refused below kMinRepeatedPersons persons with two days (or,
// with a given ratio, kMinPersons persons), and a line says why; it is
// estimated at the minimum. More than a tenth of day values at 0 or less is
// warned of in the block and in the outcome, a tenth is not. Persons whose
// rows disagree are counted (a value written otherwise is the same value).
// With no spread among the first days s_b^2 is floored at 0: every person
// stands at the band's mean, none is lost, and the ratio reads infinite.
TEST(UsualIntake, RefusesAndWarnsWhereTheModelDoesNotHold) {
  testing::TempDir dir;
  auto days = [](size_t persons, size_t repeated, size_t nonPositive) {
    std::vector<std::vector<std::string>> values(persons);
    for (size_t p = 0; p < persons; ++p) {
      values[p].push_back(std::to_string(10 + p % 7));
      if (p < repeated) values[p].push_back(std::to_string(8 + p % 5) + ".5");
    }
    for (size_t k = 0; k < nonPositive; ++k) values[k].back() = k % 2 ? "0" : "-1";
    return values;
  };
  // 習慣的摂取量の推定：2日以上の者が / 対象者が, then
  // 29人しかおらず、すべての区分を併合しても推定に必要な30人に満たないため推定できない
  const std::string repeatedWord = "2\x93\xFA\x88\xC8\x8F\xE3\x82\xCC\x8E\xD2\x82\xAA";
  const std::string personsWord = "\x91\xCE\x8F\xDB\x8E\xD2\x82\xAA";
  const std::string tooFew =
      "29\x90l\x82\xB5\x82\xA9\x82\xA8\x82\xE7\x82\xB8\x81" "A\x82\xB7\x82\xD7\x82\xC4\x82\xCC\x8B"
      "\xE6\x95\xAA\x82\xF0\x95\xB9\x8D\x87\x82\xB5\x82\xC4\x82\xE0\x90\x84\x92\xE8\x82\xC9\x95K"
      "\x97v\x82\xC8" "30\x90l\x82\xC9\x96\x9E\x82\xBD\x82\xC8\x82\xA2\x82\xBD\x82\xDF\x90\x84\x92"
      "\xE8\x82\xC5\x82\xAB\x82\xC8\x82\xA2\"";
  ByPerson run = TabulateByPerson(dir.Write("a.csv", PersonDayFile(days(60, 29, 0))), {});
  EXPECT_EQ(run.UsualLine(kMethodStart), kMethodStart + repeatedWord + tooFew);
  EXPECT_EQ(run.UsualLine("\"" + kMale20s + "\","), "");
  run = TabulateByPerson(dir.Write("b.csv", PersonDayFile(days(60, 30, 0))), {});
  EXPECT_NE(run.UsualLine("\"" + kMale20s + "\",60,0,"), "");
  DesignOptions given;
  given.usual.ratios.push_back({kValue, 1.0});
  EXPECT_EQ(TabulateByPerson(dir.Write("c.csv", PersonDayFile(days(29, 0, 0))), given)
                .UsualLine(kMethodStart),
            kMethodStart + personsWord + tooFew);
  // A ratio for men only leaves a baby (in no band: その他) without one, and
  // a survey of one day has nobody to estimate it from: the refusal names
  // the cell (分散比の指定がない区分（その他）では…) and who takes which ratio;
  // a ratio for every sex and age lets the block through.
  std::string withBaby = PersonDayFile(days(40, 0, 0));
  withBaby.replace(withBaby.find("\r\n0,1,25,"), 11, "\r\n0,1,0,0,");
  DesignOptions men;
  men.usual.ratios.push_back({kValue, 1.0, 1});
  const std::string refusal = TabulateByPerson(dir.Write("c2.csv", withBaby), men).UsualLine(kMethodStart);
  EXPECT_EQ(refusal.rfind(kMethodStart + "\x95\xAA\x8EU\x94\xE4\x82\xCC\x8Ew\x92\xE8\x82\xAA\x82\xC8\x82"
                                         "\xA2\x8B\xE6\x95\xAA\x81i\x82\xBB\x82\xCC\x91\xBC\x81j\x82\xC5\x82\xCD" +
                              repeatedWord + "0\x90l",
                          0),
            0u)
      << refusal;
  EXPECT_TRUE(refusal.ends_with("\x91S\x94N\x97\xEE\x82\xCC\x95\xAA\x8EU\x94\xE4\x82\xAA\x8Eg\x82\xED\x82"
                                "\xEA\x82\xE9\""))  // 全年齢の分散比が使われる
      << refusal;
  men.usual.ratios.push_back({kValue, 2.0, 0});
  EXPECT_NE(TabulateByPerson(dir.Write("c3.csv", withBaby), men).UsualLine("\"" + kMale20s + "\",39,0,"), "");

  // 100 day values: 10 at 0 or less pass, 11 are warned of
  // (注意：日ごとの値の11%（100件中11件）が0以下…).
  const std::string caution = "\"\x92\x8D\x88\xD3\x81" "F";
  run = TabulateByPerson(dir.Write("d.csv", PersonDayFile(days(50, 50, 10))), {});
  EXPECT_EQ(run.UsualLine(caution), "");
  EXPECT_TRUE(run.outcome.episodic.empty());
  run = TabulateByPerson(dir.Write("e.csv", PersonDayFile(days(50, 50, 11))), {});
  EXPECT_EQ(run.UsualLine(caution).rfind(caution + "\x93\xFA\x82\xB2\x82\xC6\x82\xCC\x92l\x82\xCC"
                                                  "11%\x81i100\x8C\x8F\x92\x86" "11\x8C\x8F\x81j",
                                         0),
            0u);
  ASSERT_EQ(run.outcome.episodic.size(), 1u);
  EXPECT_EQ(run.outcome.episodic[0].column, kValue);
  EXPECT_EQ(run.outcome.episodic[0].nonPositiveDays, 11);
  EXPECT_EQ(run.outcome.episodic[0].days, 100);

  // Person 1's second row another sex, person 2's another weight; person 3's
  // age written 25.0: 各人の最初の行のみを集計（50人、100行；…異なる者2人は最初の行による）.
  std::string disagreeing = PersonDayFile(days(50, 50, 0));
  for (const auto& [from, to] : {std::pair{"\r\n1,1,25,0,9.5,1,1", "\r\n1,2,25,0,9.5,1,1"},
                                 std::pair{"\r\n2,1,25,0,10.5,1,2", "\r\n2,1,25,0,10.5,2,2"},
                                 std::pair{"\r\n3,1,25,0,11.5,1,3", "\r\n3,1,25.0,0,11.5,1,3"}}) {
    ASSERT_NE(disagreeing.find(from), std::string::npos) << from;
    disagreeing.replace(disagreeing.find(from), std::strlen(from), to);
  }
  run = TabulateByPerson(dir.Write("f.csv", disagreeing), {});
  EXPECT_EQ(run.outcome.disagreeingPersons, 2u);
  const std::string firstRows = "\"\x8A" "e\x90l\x82\xCC\x8D\xC5\x8F\x89\x82\xCC\x8Ds\x82\xCC\x82\xDD";
  bool said = false;
  for (const std::string& line : run.lines) {
    said = said || (line.rfind(firstRows, 0) == 0 &&
                    line.find("\x8E\xD2" "2\x90l\x82\xCD\x8D\xC5\x8F\x89") != std::string::npos);
  }
  EXPECT_TRUE(said);

  // First days all 10, second days 5 or 20: s_b^2 by the moments is negative.
  std::vector<std::vector<std::string>> flat(40);
  for (size_t p = 0; p < flat.size(); ++p) flat[p] = {"10", p % 2 ? "5" : "20"};
  run = TabulateByPerson(dir.Write("g.csv", PersonDayFile(flat)), {});
  EXPECT_NE(run.UsualLine("\"" + kMale20s + "\",40,0,"), "");  // nobody lost
  EXPECT_NE(run.UsualLine(kMethodStart).find(" \x94\xE4=\x81\x87\x81i\x89\xBA\x8C\xC0\x81j"),
            std::string::npos);  // 比=∞（下限）
}

// A --variance-ratios table as both programs read it: a band's row of the
// sex, then the band's row of both sexes, then the sex's row, then the row of
// every sex and age; persons in no band (sex 0) take the last only.
TEST(UsualIntake, RatioTableRowsApplyFromTheNarrowest) {
  testing::TempDir dir;
  const std::string file = dir.Write("ratios.csv",
                                     "\xEF\xBB\xBFVAR,SEX,AGE,R\n# energy\nx,0,,1.3\nx,2,,1.5\n"
                                     "x,0,30,0.5\nx,2,35,0.8\n\nx,1,72,3\n");
  RatioTableProblem problem;
  const auto rows = ReadRatioTable(file, problem);
  ASSERT_TRUE(rows) << static_cast<int>(problem.kind) << " at line " << problem.line;
  UsualIntakeOptions usual;
  for (const RatioRow& row : *rows) usual.ratios.push_back(GivenRatio(row, 4));
  EXPECT_EQ(usual.RatioFor(4, 2, 30, 40), 0.8);   // the women's own 30s
  EXPECT_EQ(usual.RatioFor(4, 1, 30, 40), 0.5);   // the 30s of both sexes
  EXPECT_EQ(usual.RatioFor(4, 2, 40, 50), 1.5);   // the women's
  EXPECT_EQ(usual.RatioFor(4, 1, 40, 50), 1.3);   // everyone's
  EXPECT_EQ(usual.RatioFor(4, 1, 70, 80, true), 3.0);
  EXPECT_EQ(usual.RatioFor(4, 0), 1.3);           // in no band
  EXPECT_LT(usual.RatioFor(5, 1, 30, 40), 0.0);   // another variable: none

  // A bad row stops the reading and says where.
  ASSERT_FALSE(ReadRatioTable(dir.Write("bad.csv", "VAR,SEX,AGE,R\nx,3,,1\n"), problem));
  EXPECT_EQ(problem.kind, RatioTableProblem::Kind::badSex);
  EXPECT_EQ(problem.line, 2);
}

// Every person on k days, equal weights, one band: the shrink factor is the
// textbook sqrt(1 - MSW / MSB) of the one-way analysis of variance, and the
// back-transform is the mean of the day distribution (lognormal and
// polynomial moments).
TEST(UsualIntake, BalancedDaysShrinkByTheTextbookFactor) {
  constexpr int kPersons = 300, kDays = 3;
  std::mt19937_64 random(3);
  std::normal_distribution<double> normal(0.0, 1.0);
  PersonIntakes intakes;
  intakes.bandCount = 1;
  for (int p = 0; p < kPersons; ++p) {
    const double t = 6 + 0.4 * normal(random);
    for (int d = 0; d < kDays; ++d) intakes.day.push_back(std::exp(t + 0.5 * normal(random)));
    intakes.dayStart.push_back(static_cast<uint32_t>(intakes.day.size()));
    intakes.weight.push_back(2.0);
    intakes.cell.push_back(0);
  }
  const UsualIntakes fit = EstimateUsualIntakes(intakes);
  const double lambda = fit.cells[0].lambda;
  std::vector<double> means(kPersons);
  double grand = 0, within = 0;
  for (int p = 0; p < kPersons; ++p) {
    for (int d = 0; d < kDays; ++d) means[p] += BoxCox(intakes.day[p * kDays + d], lambda) / kDays;
    for (int d = 0; d < kDays; ++d) {
      within += std::pow(BoxCox(intakes.day[p * kDays + d], lambda) - means[p], 2);
    }
    grand += means[p] / kPersons;
  }
  double between = 0;
  for (double m : means) between += kDays * (m - grand) * (m - grand);
  const double msb = between / (kPersons - 1), msw = within / (kPersons * (kDays - 1));
  const double shrink = std::sqrt(1 - msw / msb);
  EXPECT_FALSE(fit.cells[0].floored);
  for (int p = 0; p < kPersons; ++p) {
    EXPECT_NEAR(fit.transformed[p] - grand, (means[p] - grand) * shrink, 1e-9);
  }
  EXPECT_NEAR(MeanOfInverse(7.0, 0.0, 0.36) / std::exp(7.0 + 0.18), 1.0, 1e-12);
  EXPECT_NEAR(MeanOfInverse(22.0, 0.25, 2.5) / TrueUsual(0.25, 22.0, 2.5), 1.0, 1e-12);
}

}  // namespace
}  // namespace kelvara
