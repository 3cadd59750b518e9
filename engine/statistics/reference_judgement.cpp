#include "engine/statistics/reference_judgement.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>
#include <optional>
#include <tuple>
#include <unordered_map>

#include "engine/reading/cell_number.h"
#include "engine/reading/reference_unit.h"

namespace kelvara {
namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
constexpr uint16_t kAges = kOldestReferenceAge + 1;
constexpr uint16_t kClassCount = 3 * 3 * kAges;
static_assert(kClassCount == kPersonClasses, "the classes PersonClass gives");

enum class Condition : uint8_t { none, pregnant, lactating };

struct PersonKind {
  int32_t sex;  // 1, 2, or 0 for any other code
  Condition condition;
  int32_t age;  // whole years; 0 under one year
};

PersonKind KindOfClass(uint16_t personClass) {
  assert(personClass < kClassCount && "a class PersonClass gives");
  const int32_t age = personClass % kAges;
  const int32_t rest = personClass / kAges;
  const int32_t sexIndex = rest / 3;
  return {sexIndex == 2 ? 0 : sexIndex + 1, static_cast<Condition>(rest % 3), age};
}

// A value found for a person, or why there is none.
struct Found {
  std::optional<ReferenceNumber> number;
  NotJudged reason = NotJudged::noValue;
};

class ValueLookup {
 public:
  // Only the nutrient's rows for total intake are ever looked at.
  ValueLookup(const ReferenceChoice& choice, const std::string& key) : choice_(choice) {
    for (const ReferenceValue& row : choice.table.values) {
      if (row.key == key && row.totalIntake) rows_.push_back(&row);
    }
  }

  Found Find(ReferenceKind kind, const PersonKind& person) const {
    if (person.sex == 0) return {};
    if (person.age < 1) return {std::nullopt, NotJudged::underOneYear};
    if (person.condition == Condition::none) return BandValue(kind, person, false);
    // Pregnant and lactating women do not menstruate: their base is the
    // value without menstruation where the band distinguishes it.
    const Found base = BandValue(kind, person, true);
    if (person.condition == Condition::lactating) {
      return WithState(base, Row(kind, person, ReferenceState::lactating));
    }
    if (const ReferenceValue* all = Row(kind, person, ReferenceState::pregnant)) {
      return WithState(base, all);
    }
    const ReferenceValue* stages[] = {Row(kind, person, ReferenceState::pregnantEarly),
                                      Row(kind, person, ReferenceState::pregnantMid),
                                      Row(kind, person, ReferenceState::pregnantLate)};
    if (!stages[0] && !stages[1] && !stages[2]) return {};
    switch (choice_.pregnancyStage) {
      case PregnancyStage::early: return WithState(base, stages[0]);
      case PregnancyStage::mid: return WithState(base, stages[1]);
      case PregnancyStage::late: return WithState(base, stages[2]);
      case PregnancyStage::notChosen: break;
    }
    // Without a chosen stage only the same value at every stage judges.
    const Found early = WithState(base, stages[0]);
    for (const ReferenceValue* stage : {stages[1], stages[2]}) {
      const Found other = WithState(base, stage);
      if (!SameNumber(early, other)) return {std::nullopt, NotJudged::stageNotChosen};
    }
    return early;
  }

 private:
  const ReferenceValue* Row(ReferenceKind kind, const PersonKind& person,
                            ReferenceState state) const {
    for (const ReferenceValue* row : rows_) {
      if (row->kind == kind && row->state == state && row->sex == person.sex &&
          row->CoversAge(person.age)) {
        return row;
      }
    }
    return nullptr;
  }

  Found BandValue(ReferenceKind kind, const PersonKind& person, bool notMenstruating) const {
    const ReferenceValue* general = Row(kind, person, ReferenceState::general);
    const ReferenceValue* with = Row(kind, person, ReferenceState::menstruating);
    const ReferenceValue* without = Row(kind, person, ReferenceState::notMenstruating);
    auto found = [](const ReferenceValue* row) {
      return row ? Found{row->number, NotJudged::judged} : Found{};
    };
    if (!with && !without) return found(general);
    if (notMenstruating) return found(without ? without : general);
    if (choice_.menstruation == Menstruation::yes) return found(with ? with : general);
    if (choice_.menstruation == Menstruation::no) return found(without ? without : general);
    const Found a = found(with ? with : general), b = found(without ? without : general);
    if (SameNumber(a, b)) return a;
    return {std::nullopt, NotJudged::menstruationNotChosen};
  }

  // The value under a pregnancy or lactation row: the base plus the
  // addition, or the row's own value. Without a row there is none: the
  // published tables give every figure for pregnant and lactating women (an
  // addition of +0 included), so a missing row means a table that does not
  // say, and the band's own value could judge them wrongly.
  static Found WithState(const Found& base, const ReferenceValue* row) {
    if (!row) return {};
    if (!row->addition) return {row->number, NotJudged::judged};
    if (!base.number) return base;
    return {base.number->Plus(row->number), NotJudged::judged};
  }

  static bool SameNumber(const Found& a, const Found& b) {
    if (a.reason != b.reason) return false;
    if (!a.number || !b.number) return !a.number && !b.number;
    return a.number->ToDouble() == b.number->ToDouble();
  }

  const ReferenceChoice& choice_;
  std::vector<const ReferenceValue*> rows_;
};

// The bounds of one figure for a person kind: EAR, AI and UL from single
// rows, the DG from its three forms, judged when some bound applies and
// none waits for a choice.
NutrientReference::Bounds SingleBounds(const ValueLookup& lookup, ReferenceKind kind,
                                       const PersonKind& person, int powerOfTen) {
  const Found found = lookup.Find(kind, person);
  NutrientReference::Bounds bounds{kNone, kNone, kNone, kNone, found.reason};
  if (found.number) bounds.value = found.number->ToDouble(powerOfTen);
  return bounds;
}

NutrientReference::Bounds GoalBounds(const ValueLookup& lookup, const PersonKind& person,
                                     int powerOfTen) {
  const auto low = SingleBounds(lookup, ReferenceKind::dgMin, person, powerOfTen);
  const auto below = SingleBounds(lookup, ReferenceKind::dgBelow, person, powerOfTen);
  const auto high = SingleBounds(lookup, ReferenceKind::dgMax, person, powerOfTen);
  NutrientReference::Bounds dg{kNone, low.value, below.value, high.value, NotJudged::noValue};
  for (const NutrientReference::Bounds* bound : {&low, &below, &high}) {
    if (bound->reason == NotJudged::judged && dg.reason == NotJudged::noValue) {
      dg.reason = NotJudged::judged;
    } else if (bound->reason != NotJudged::judged && bound->reason != NotJudged::noValue) {
      dg.reason = bound->reason;
      break;
    }
  }
  return dg;
}

bool GivesGoal(const ReferenceTable& table, std::string_view key) {
  return std::any_of(table.values.begin(), table.values.end(), [&](const ReferenceValue& row) {
    return row.key == key && row.totalIntake &&
           (row.kind == ReferenceKind::dgMin || row.kind == ReferenceKind::dgBelow ||
            row.kind == ReferenceKind::dgMax);
  });
}

}  // namespace

uint16_t PersonClass(int32_t sex, double age, int32_t pregnancy) {
  const int32_t sexIndex = sex == 1 ? 0 : sex == 2 ? 1 : 2;
  Condition condition = Condition::none;
  if (sex == 2 && pregnancy == 1) condition = Condition::pregnant;
  if (sex == 2 && pregnancy == 2) condition = Condition::lactating;
  const int32_t years =
      age >= 1 ? static_cast<int32_t>(std::min(std::floor(age), double{kOldestReferenceAge})) : 0;
  return static_cast<uint16_t>((sexIndex * 3 + static_cast<int32_t>(condition)) * kAges + years);
}

std::optional<uint16_t> PersonClassOfCells(std::string_view sex, std::string_view age,
                                           std::string_view pregnancy) {
  const CellValue ageValue = ReadCell(age);
  if (!IsValidCell(sex) || !ageValue.valid || !IsValidCell(pregnancy)) return std::nullopt;
  return PersonClass(LeadingInteger(sex), ageValue.value, LeadingInteger(pregnancy));
}

ColumnNutrient MatchColumnNutrient(const ReferenceChoice& choice, int column,
                                   std::string_view header) {
  const ReferenceTable& table = choice.table;
  std::optional<std::string> key;
  if (const auto byHand = choice.keyByColumn.find(column); byHand != choice.keyByColumn.end()) {
    key = byHand->second;
  } else if (const auto byHeader = choice.keyByHeader.find(std::string(header));
             byHeader != choice.keyByHeader.end()) {
    key = byHeader->second;
  } else {
    key = table.KeyForHeader(header);
  }
  ColumnNutrient match;
  if (!key) return match;
  match.key = *key;
  match.inTable = table.HasKey(*key);
  if (!match.inTable) return match;
  const std::optional<std::string> unit = table.HeaderUnit(header);
  if (!unit) return match;
  match.headerUnit = *unit;
  match.tableUnit = table.UnitOf(*key);
  match.powerOfTen =
      PowerOfTenBetween(MeasureUnit::Read(match.headerUnit), MeasureUnit::Read(match.tableUnit));
  return match;
}

NutrientReference::NutrientReference(const ReferenceChoice& choice, const std::string& key,
                                     int powerOfTen)
    : key_(key), classes_(kClassCount), judgedFigures_(kClassCount, 0) {
  for (const ReferenceValue& row : choice.table.values) {
    if (row.key != key || !row.totalIntake) continue;
    switch (row.kind) {
      case ReferenceKind::ear: gives_[0] = true; break;
      case ReferenceKind::ai: gives_[1] = true; break;
      case ReferenceKind::ul: gives_[2] = true; break;
      case ReferenceKind::dgMin:
      case ReferenceKind::dgBelow:
      case ReferenceKind::dgMax: gives_[3] = true; break;
      case ReferenceKind::rda: break;
    }
  }
  const MeasureUnit tableUnit = MeasureUnit::Read(choice.table.UnitOf(key));
  if (powerOfTen != 0) {
    assert(tableUnit.massPowerOfTen && "only masses are converted");
    MeasureUnit columnUnit = tableUnit;
    columnUnit.massPowerOfTen = *tableUnit.massPowerOfTen + powerOfTen;
    convertedUnit_ = columnUnit.Written();
  }
  // Sodium in mg is judged against the DG of salt in g when it has none of
  // its own.
  const MeasureUnit saltUnit = MeasureUnit::Read(choice.table.UnitOf(kSaltKey));
  if (key == kSodiumKey && !gives_[3] && GivesGoal(choice.table, kSaltKey) &&
      tableUnit.massPowerOfTen && saltUnit.massPowerOfTen) {
    dgFromSalt_ = true;
    gives_[3] = true;
    const int toMilligrams = *tableUnit.massPowerOfTen + powerOfTen + 3;
    for (int i = 0; i < toMilligrams; ++i) sodiumUp_ *= 10;
    for (int i = 0; i > toMilligrams; --i) sodiumDown_ *= 10;
  }
  const ValueLookup lookup(choice, key_);
  const ValueLookup saltLookup(choice, std::string(kSaltKey));
  for (uint16_t c = 0; c < kClassCount; ++c) {
    const PersonKind person = KindOfClass(c);
    std::array<Bounds, kJudgedFigures>& figures = classes_[c];
    figures[0] = SingleBounds(lookup, ReferenceKind::ear, person, -powerOfTen);
    figures[1] = SingleBounds(lookup, ReferenceKind::ai, person, -powerOfTen);
    figures[2] = SingleBounds(lookup, ReferenceKind::ul, person, -powerOfTen);
    figures[3] = dgFromSalt_ ? GoalBounds(saltLookup, person, *saltUnit.massPowerOfTen)
                             : GoalBounds(lookup, person, -powerOfTen);
    for (size_t f = 0; f < kJudgedFigures; ++f) {
      if (gives_[f] && figures[f].reason == NotJudged::judged) {
        judgedFigures_[c] |= static_cast<uint8_t>(1u << f);
      }
    }
  }
}

double NutrientReference::DgInColumnUnit(double bound) const {
  return dgFromSalt_ ? bound * 1000 / 2.54 * sodiumDown_ / sodiumUp_ : bound;
}

const NutrientReference::Bounds& NutrientReference::BoundsOf(JudgedFigure figure,
                                                             uint16_t personClass) const {
  assert(personClass < classes_.size() && "a class PersonClass gives");
  return classes_[personClass][static_cast<size_t>(figure)];
}

NotJudgedCounts CountNotJudged(const NutrientReference& nutrient,
                               std::span<const int64_t> personsOfClass) {
  assert(personsOfClass.size() == kPersonClasses && "a count for every person class");
  NotJudgedCounts counts{};
  for (size_t f = 0; f < kJudgedFigures; ++f) {
    const auto figure = static_cast<JudgedFigure>(f);
    if (!nutrient.gives(figure)) continue;
    for (size_t c = 0; c < personsOfClass.size(); ++c) {
      const NotJudged reason = nutrient.reason(figure, static_cast<uint16_t>(c));
      if (reason != NotJudged::judged) counts[f][static_cast<size_t>(reason)] += personsOfClass[c];
    }
  }
  return counts;
}

std::vector<JudgingGap> DescribeNotJudged(const NutrientReference& nutrient,
                                          std::span<const int64_t> personsOfClass) {
  assert(personsOfClass.size() == kPersonClasses && "a count for every person class");
  std::vector<JudgingGap> gaps;
  for (size_t r = 1; r < kNotJudgedReasons; ++r) {
    const auto reason = static_cast<NotJudged>(r);
    // Pregnant and lactating women apart from the others: their ages span
    // every band and would blur the others' ages.
    for (const bool inState : {false, true}) {
      for (size_t f = 0; f < kJudgedFigures; ++f) {
        const auto figure = static_cast<JudgedFigure>(f);
        if (!nutrient.gives(figure)) continue;
        JudgingGap gap;
        gap.reason = reason;
        gap.figures = static_cast<uint8_t>(1u << f);
        for (uint16_t c = 0; c < personsOfClass.size(); ++c) {
          const PersonKind person = KindOfClass(c);
          if (personsOfClass[c] == 0 || nutrient.reason(figure, c) != reason ||
              (person.condition != Condition::none) != inState) {
            continue;
          }
          if (gap.persons == 0 || person.age < gap.youngest) gap.youngest = person.age;
          if (gap.persons == 0 || person.age > gap.oldest) gap.oldest = person.age;
          gap.persons += personsOfClass[c];
          gap.otherSex = gap.otherSex || person.sex == 0;
          gap.men = gap.men || person.sex == 1;
          gap.women = gap.women || (person.sex == 2 && person.condition == Condition::none);
          gap.pregnant = gap.pregnant || person.condition == Condition::pregnant;
          gap.lactating = gap.lactating || person.condition == Condition::lactating;
        }
        if (gap.persons == 0) continue;
        auto same = [&](const JudgingGap& other) {
          return std::tie(other.reason, other.persons, other.youngest, other.oldest, other.men,
                          other.women, other.pregnant, other.lactating, other.otherSex) ==
                 std::tie(gap.reason, gap.persons, gap.youngest, gap.oldest, gap.men, gap.women,
                          gap.pregnant, gap.lactating, gap.otherSex);
        };
        const auto earlier = std::find_if(gaps.begin(), gaps.end(), same);
        if (earlier != gaps.end()) {
          earlier->figures |= gap.figures;
        } else {
          gaps.push_back(gap);
        }
      }
    }
  }
  return gaps;
}

std::shared_ptr<const ReferenceRun> BuildReferenceRun(
    const SurveyData& data, std::span<const uint32_t> unitOrder,
    std::span<const uint64_t> groupMask, std::span<const int> variableColumns,
    std::shared_ptr<const ReferenceChoice> choice) {
  assert(choice && "a table to judge against");
  assert(unitOrder.size() == groupMask.size() && "a group mask for every position");
  auto run = std::make_shared<ReferenceRun>();
  run->choice = choice;
  run->personClass.resize(unitOrder.size());
  run->maskIndex.resize(unitOrder.size());
  std::unordered_map<uint64_t, uint32_t> indexOfMask;
  for (size_t i = 0; i < unitOrder.size(); ++i) {
    const uint32_t row = unitOrder[i];
    run->personClass[i] = PersonClass(data.sex[row], data.age[row], data.pregnancy[row]);
    const auto [at, added] =
        indexOfMask.try_emplace(groupMask[i], static_cast<uint32_t>(run->masks.size()));
    if (added) run->masks.push_back(groupMask[i]);
    run->maskIndex[i] = at->second;
  }
  std::map<std::pair<std::string, int>, std::shared_ptr<const NutrientReference>> shared;
  for (size_t v = 0; v < data.variables.size(); ++v) {
    const int column = v < variableColumns.size() ? variableColumns[v] : -1;
    ColumnNutrient match = MatchColumnNutrient(*choice, column, data.variables[v].name);
    std::shared_ptr<const NutrientReference> nutrient;
    if (match.inTable && match.powerOfTen) {
      auto& one = shared[{match.key, *match.powerOfTen}];
      if (!one) one = std::make_shared<NutrientReference>(*choice, match.key, *match.powerOfTen);
      nutrient = one;
    }
    run->columns.push_back(std::move(match));
    run->nutrients.push_back(std::move(nutrient));
  }
  return run;
}

void JudgePersons(const ReferenceRun& run, const NutrientReference& nutrient, JudgedFigure figure,
                  std::span<const double> value, std::span<const uint8_t> missing,
                  std::span<const uint64_t> groupMask, std::vector<double>& indicator,
                  std::vector<uint64_t>& judgedMask) {
  assert(value.size() == missing.size() && value.size() == groupMask.size() &&
         value.size() == run.personClass.size() && "one entry per person of the run");
  indicator.resize(value.size());
  judgedMask.resize(value.size());
  const auto f = static_cast<uint32_t>(figure);
  for (size_t i = 0; i < value.size(); ++i) {
    const uint32_t bits = missing[i] ? 0 : nutrient.JudgeAll(run.personClass[i], value[i]);
    indicator[i] = (bits >> (4 + f)) & 1 ? 1.0 : 0.0;
    judgedMask[i] = (bits >> f) & 1 ? groupMask[i] : 0;
  }
}

}  // namespace kelvara
