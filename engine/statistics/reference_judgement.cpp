#include "engine/statistics/reference_judgement.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <unordered_map>

namespace kelvara {
namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
constexpr uint16_t kAges = kOldestReferenceAge + 1;
constexpr uint16_t kClassCount = 3 * 3 * kAges;

enum class Condition : uint8_t { none, pregnant, lactating };

struct PersonKind {
  int32_t sex;  // 1, 2, or 0 for any other code
  Condition condition;
  int32_t age;  // whole years; 0 under one year
};

PersonKind KindOfClass(uint16_t personClass) {
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

NutrientReference::NutrientReference(const ReferenceChoice& choice, const std::string& key)
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
  const ValueLookup lookup(choice, key_);
  for (uint16_t c = 0; c < kClassCount; ++c) {
    const PersonKind person = KindOfClass(c);
    auto single = [&](ReferenceKind kind) {
      const Found found = lookup.Find(kind, person);
      Bounds bounds{kNone, kNone, kNone, kNone, found.reason};
      if (found.number) bounds.value = found.number->ToDouble();
      return bounds;
    };
    std::array<Bounds, kJudgedFigures>& figures = classes_[c];
    figures[0] = single(ReferenceKind::ear);
    figures[1] = single(ReferenceKind::ai);
    figures[2] = single(ReferenceKind::ul);
    // The DG: judged when some bound applies and none waits for a choice.
    const Bounds low = single(ReferenceKind::dgMin);
    const Bounds below = single(ReferenceKind::dgBelow);
    const Bounds high = single(ReferenceKind::dgMax);
    Bounds& dg = figures[3];
    dg = {kNone, low.value, below.value, high.value, NotJudged::noValue};
    for (const Bounds* bound : {&low, &below, &high}) {
      if (bound->reason == NotJudged::judged && dg.reason == NotJudged::noValue) {
        dg.reason = NotJudged::judged;
      } else if (bound->reason != NotJudged::judged && bound->reason != NotJudged::noValue) {
        dg.reason = bound->reason;
        break;
      }
    }
    for (size_t f = 0; f < kJudgedFigures; ++f) {
      if (figures[f].reason == NotJudged::judged) {
        judgedFigures_[c] |= static_cast<uint8_t>(1u << f);
      }
    }
  }
}

double NutrientReference::Judge(JudgedFigure figure, uint16_t personClass, double value,
                                NotJudged& reason) const {
  const Bounds& b = classes_[personClass][static_cast<size_t>(figure)];
  reason = b.reason;
  if (reason != NotJudged::judged) return 0.0;
  switch (figure) {
    case JudgedFigure::ear: return value < b.value ? 1.0 : 0.0;
    case JudgedFigure::ai: return value >= b.value ? 1.0 : 0.0;
    case JudgedFigure::ul: return value > b.value ? 1.0 : 0.0;
    case JudgedFigure::dg:
      // A bound the table does not give is not a number: no comparison holds.
      return value < b.low || value >= b.below || value > b.high ? 1.0 : 0.0;
  }
  return 0.0;
}

std::shared_ptr<const ReferenceRun> BuildReferenceRun(
    const SurveyData& data, std::span<const uint32_t> unitOrder,
    std::span<const uint64_t> groupMask, std::span<const int> variableColumns,
    std::shared_ptr<const ReferenceChoice> choice) {
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
  std::map<std::string, std::shared_ptr<const NutrientReference>> byKey;
  for (size_t v = 0; v < data.variables.size(); ++v) {
    std::optional<std::string> key;
    const int column = v < variableColumns.size() ? variableColumns[v] : -1;
    const std::string& name = data.variables[v].name;
    if (const auto byHand = choice->keyByColumn.find(column); byHand != choice->keyByColumn.end()) {
      key = byHand->second;
    } else if (const auto byHeader = choice->keyByHeader.find(name);
               byHeader != choice->keyByHeader.end()) {
      key = byHeader->second;
    } else {
      key = choice->table.KeyForHeader(name);
    }
    std::shared_ptr<const NutrientReference> nutrient;
    if (key && choice->table.HasKey(*key)) {
      auto& shared = byKey[*key];
      if (!shared) shared = std::make_shared<NutrientReference>(*choice, *key);
      nutrient = shared;
    }
    run->nutrients.push_back(std::move(nutrient));
  }
  return run;
}

void JudgePersons(const ReferenceRun& run, const NutrientReference& nutrient, JudgedFigure figure,
                  std::span<const double> value, std::span<const uint8_t> missing,
                  std::span<const uint64_t> groupMask, std::vector<double>& indicator,
                  std::vector<uint64_t>& judgedMask, NotJudgedCounts& counts) {
  indicator.resize(value.size());
  judgedMask.resize(value.size());
  std::array<int64_t, kNotJudgedReasons>& reasons = counts[static_cast<size_t>(figure)];
  for (size_t i = 0; i < value.size(); ++i) {
    if (missing[i]) {
      indicator[i] = 0.0;
      judgedMask[i] = 0;
      continue;
    }
    NotJudged reason;
    indicator[i] = nutrient.Judge(figure, run.personClass[i], value[i], reason);
    judgedMask[i] = reason == NotJudged::judged ? groupMask[i] : 0;
    ++reasons[static_cast<size_t>(reason)];
  }
  reasons[0] = 0;
}

}  // namespace kelvara
