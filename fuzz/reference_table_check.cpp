#include "fuzz/reference_table_check.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <set>
#include <vector>

#include "engine/reading/reference_table.h"
#include "engine/reading/text_encoding.h"
#include "engine/statistics/reference_judgement.h"

namespace kelvara::fuzz {
namespace {

// Nutrients and choices judged per input: enough to reach every path, few
// enough to keep the fuzzer fast.
constexpr size_t kKeysJudged = 2;

std::string CheckRow(const ReferenceValue& row) {
  const std::string where = "line " + std::to_string(row.line) + ": ";
  if (!IsNutrientKey(row.key)) return where + "a key that breaks the rule was taken";
  if (row.sex != 1 && row.sex != 2) return where + "a sex other than 1 and 2 was taken";
  if (row.ageFrom < 0 || row.ageFrom > 150 || (row.ageTo && (*row.ageTo < row.ageFrom || *row.ageTo > 150))) {
    return where + "an age band outside 0-150 or running backwards was taken";
  }
  if (row.state != ReferenceState::general && row.sex != 2) return where + "a state row of sex 1";
  if (row.number.units < 0 || row.number.scale < 0 || row.number.scale > ReferenceNumber::kMaxDigits) {
    return where + "a number outside the table's limits was taken";
  }
  const double value = row.number.ToDouble();
  if (!std::isfinite(value) || value < 0) return where + "a number that is no amount was taken";
  if (row.unit.empty() || row.source.empty()) return where + "an empty unit or source was taken";
  return {};
}

// The judging rule against the bounds of one person class: the bound itself
// and the next double beyond it fall on the two sides, as the table writes
// them.
std::string CheckRule(const NutrientReference& nutrient, uint16_t personClass) {
  const std::string where = "class " + std::to_string(personClass) + ": ";
  constexpr double kDown = -std::numeric_limits<double>::infinity();
  constexpr double kUp = std::numeric_limits<double>::infinity();
  struct Side {
    JudgedFigure figure;
    bool judgedAtBound;   // on the judged side at the bound itself
    double beyond;        // the direction in which the side changes
  };
  const Side sides[] = {{JudgedFigure::ear, false, kDown},
                        {JudgedFigure::ai, true, kDown},
                        {JudgedFigure::ul, false, kUp}};
  for (const Side& side : sides) {
    const auto f = static_cast<uint32_t>(side.figure);
    const NutrientReference::Bounds& bounds = nutrient.BoundsOf(side.figure, personClass);
    const bool judged = nutrient.gives(side.figure) && bounds.reason == NotJudged::judged;
    const uint32_t atBound = nutrient.JudgeAll(personClass, bounds.value);
    if (((atBound >> f) & 1) != (judged ? 1u : 0u)) return where + "judged against no value";
    if (!judged) continue;
    if (!std::isfinite(bounds.value)) return where + "judged against a bound that is no number";
    const uint32_t past = nutrient.JudgeAll(personClass, std::nextafter(bounds.value, side.beyond));
    if (((atBound >> (4 + f)) & 1) != (side.judgedAtBound ? 1u : 0u) ||
        ((past >> (4 + f)) & 1) != (side.judgedAtBound ? 0u : 1u)) {
      return where + "a value at or just past a bound is judged on the wrong side";
    }
  }
  return {};
}

std::string CheckNutrient(const ReferenceChoice& choice, const std::string& key) {
  const NutrientReference nutrient(choice, key);
  for (uint16_t c = 0; c < kPersonClasses; ++c) {
    if (std::string failure = CheckRule(nutrient, c); !failure.empty()) return key + " " + failure;
  }
  // One person of every class: each is judged or not judged for a reason,
  // and the gaps hold every person not judged.
  const std::vector<int64_t> persons(kPersonClasses, 1);
  const NotJudgedCounts counts = CountNotJudged(nutrient, persons);
  const std::vector<JudgingGap> gaps = DescribeNotJudged(nutrient, persons);
  for (size_t f = 0; f < kJudgedFigures; ++f) {
    const auto figure = static_cast<JudgedFigure>(f);
    int64_t judged = 0, notJudged = 0, inGaps = 0;
    for (uint16_t c = 0; c < kPersonClasses; ++c) {
      judged += nutrient.reason(figure, c) == NotJudged::judged ? 1 : 0;
    }
    for (const int64_t count : counts[f]) notJudged += count;
    for (const JudgingGap& gap : gaps) inGaps += (gap.figures >> f) & 1 ? gap.persons : 0;
    if (nutrient.gives(figure) && judged + notJudged != static_cast<int64_t>(kPersonClasses)) {
      return key + ": persons judged and not judged do not add up to every class";
    }
    if (inGaps != notJudged) return key + ": the gaps do not hold every person not judged";
  }
  return {};
}

}  // namespace

std::string CheckReferenceTable(std::string_view bytes) {
  std::string error;
  const std::optional<ReferenceTable> table = ParseReferenceTable(bytes, error);
  const std::vector<std::string> problems = ReferenceTableProblems(bytes);
  if (table.has_value() != problems.empty()) {
    return "the program and the check disagree on whether the table is sound";
  }
  for (const std::string& problem : problems) {
    if (problem.empty() || !IsValidUtf8(problem)) return "a problem that is no UTF-8 message";
  }
  if (!table) {
    return error.starts_with(problems.front()) ? std::string()
                                               : "the program's error is not the first problem";
  }
  if (table->title.empty()) return "a table without a title was taken";
  std::set<std::string> named;
  for (const auto& [header, key] : table->names) {
    if (header.empty() || !IsNutrientKey(key)) return "a name row that breaks the rule was taken";
    named.insert(key);
  }
  std::vector<std::string> keys;
  for (const ReferenceValue& row : table->values) {
    if (std::string failure = CheckRow(row); !failure.empty()) return failure;
    if (!named.contains(row.key)) return "a key without a name row was taken";
    if (keys.size() < kKeysJudged && std::find(keys.begin(), keys.end(), row.key) == keys.end()) {
      keys.push_back(row.key);
    }
  }
  // A column named by the table's own name judges its key in the table's unit.
  ReferenceChoice choice;
  choice.table = *table;
  for (const auto& [header, key] : table->names) {
    const ColumnNutrient match = MatchColumnNutrient(choice, 0, header);
    if (match.key != table->KeyForHeader(header) || (match.inTable && match.powerOfTen != 0)) {
      return "a column named as the table names it is not its nutrient in the table's unit";
    }
  }
  for (const std::string& key : keys) {
    for (const auto& [stage, menstruation] :
         {std::pair{PregnancyStage::notChosen, Menstruation::notChosen},
          std::pair{PregnancyStage::mid, Menstruation::yes}}) {
      choice.pregnancyStage = stage;
      choice.menstruation = menstruation;
      if (std::string failure = CheckNutrient(choice, key); !failure.empty()) return failure;
    }
  }
  return {};
}

}  // namespace kelvara::fuzz
