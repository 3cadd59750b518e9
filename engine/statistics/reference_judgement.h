// Intake judged against each person's own dietary reference values: the
// values of their sex and age band, plus the addition when pregnant or
// lactating, and the alternatives the survey does not record as the user
// chose them.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "engine/reading/reference_table.h"
#include "engine/reading/survey_data.h"

namespace kelvara {

enum class PregnancyStage : uint8_t { notChosen, early, mid, late };
enum class Menstruation : uint8_t { notChosen, yes, no };

// What a run judges intake against.
struct ReferenceChoice {
  // What the user chose the table by: a shipped table's name (dri2025) or a
  // file's path, UTF-8.
  std::string origin;
  ReferenceTable table;
  // The alternatives the survey does not record; a person whose value
  // depends on one not chosen is not judged for that figure.
  PregnancyStage pregnancyStage = PregnancyStage::notChosen;
  Menstruation menstruation = Menstruation::notChosen;
  // Nutrient keys set by hand, by survey column index or by header text (code
  // page 932); an empty key judges the column against nothing. Other columns
  // find theirs by the table's names.
  std::map<int, std::string> keyByColumn;
  std::map<std::string, std::string> keyByHeader;
};

// The judged figures, in report order.
enum class JudgedFigure : uint8_t { ear, ai, ul, dg };
inline constexpr size_t kJudgedFigures = 4;

// Why a person has no value for a figure; `judged` when they have one.
enum class NotJudged : uint8_t {
  judged,
  underOneYear,
  stageNotChosen,
  menstruationNotChosen,
  noValue,  // none for their sex, age band and state
};
inline constexpr size_t kNotJudgedReasons = 5;

// Persons not judged, by figure and reason ([f][judged] stays 0).
using NotJudgedCounts = std::array<std::array<int64_t, kNotJudgedReasons>, kJudgedFigures>;

// A person's class: sex, pregnancy or lactation, and whole years of age,
// which is all their reference values depend on.
uint16_t PersonClass(int32_t sex, double age, int32_t pregnancy);

// One nutrient's reference values for every person class.
class NutrientReference {
 public:
  struct Bounds {
    // Not a number where the table gives none. The DG is outside below
    // `low`, at or above `below`, above `high`.
    double value = 0.0, low = 0.0, below = 0.0, high = 0.0;
    NotJudged reason = NotJudged::noValue;
  };

  NutrientReference(const ReferenceChoice& choice, const std::string& key);

  const std::string& key() const { return key_; }
  // Whether the table gives the figure for total intake at all.
  bool gives(JudgedFigure figure) const { return gives_[static_cast<size_t>(figure)]; }

  // What a person of the class is judged against for the figure.
  const Bounds& BoundsOf(JudgedFigure figure, uint16_t personClass) const {
    return classes_[personClass][static_cast<size_t>(figure)];
  }

  // 1 when the value is on the judged side (below the EAR, at or above the
  // AI, above the UL, outside the DG), 0 when not; `reason` says whether the
  // person was judged at all.
  double Judge(JudgedFigure figure, uint16_t personClass, double value, NotJudged& reason) const;

  // Why the table judges a person of this class for the figure or not: the
  // same for every value.
  NotJudged reason(JudgedFigure figure, uint16_t personClass) const {
    return classes_[personClass][static_cast<size_t>(figure)].reason;
  }
  // Person classes there are (PersonClass gives one below this).
  size_t classCount() const { return classes_.size(); }

  // The same for the four figures at once, in report order: bit f of the
  // result is set when figure f judges the person, bit 4 + f when the value
  // is on its judged side. Kept inline and free of branches on the value: it
  // runs for every person, and intakes fall on either side of a bound with
  // no pattern to predict.
  uint32_t JudgeAll(uint16_t personClass, double value) const {
    const std::array<Bounds, kJudgedFigures>& b = classes_[personClass];
    uint32_t bits = judgedFigures_[personClass];
    // A bound the table does not give is not a number: no comparison holds.
    bits |= static_cast<uint32_t>(value < b[0].value) << 4;
    bits |= static_cast<uint32_t>(value >= b[1].value) << 5;
    bits |= static_cast<uint32_t>(value > b[2].value) << 6;
    const uint32_t outsideGoal = static_cast<uint32_t>(value < b[3].low) |
                                 static_cast<uint32_t>(value >= b[3].below) |
                                 static_cast<uint32_t>(value > b[3].high);
    bits |= outsideGoal << 7;
    return bits;
  }

 private:
  std::string key_;
  std::array<bool, kJudgedFigures> gives_{};
  std::vector<std::array<Bounds, kJudgedFigures>> classes_;
  std::vector<uint8_t> judgedFigures_;  // per class: bit f when figure f judges it
};

// What a run's variables share when judged: every person's class in the
// run's sampling-unit order, and each variable's nutrient (null when none).
struct ReferenceRun {
  std::shared_ptr<const ReferenceChoice> choice;
  std::vector<uint16_t> personClass;
  // The distinct group masks of the run, and each position's among them:
  // persons of one mask share every group, so their sums can be gathered
  // once per unit before they are added to the groups.
  std::vector<uint64_t> masks;
  std::vector<uint32_t> maskIndex;
  std::vector<std::shared_ptr<const NutrientReference>> nutrients;  // per variable
};

// `unitOrder` gives the file row of each position, `groupMask` its groups;
// `variableColumns` the survey column of each variable.
std::shared_ptr<const ReferenceRun> BuildReferenceRun(
    const SurveyData& data, std::span<const uint32_t> unitOrder,
    std::span<const uint64_t> groupMask, std::span<const int> variableColumns,
    std::shared_ptr<const ReferenceChoice> choice);

// The indicator of one figure for every usable person (`missing` 0) and the
// groups they count in: their groups when judged, none when not. Persons
// not judged are counted by reason.
void JudgePersons(const ReferenceRun& run, const NutrientReference& nutrient, JudgedFigure figure,
                  std::span<const double> value, std::span<const uint8_t> missing,
                  std::span<const uint64_t> groupMask, std::vector<double>& indicator,
                  std::vector<uint64_t>& judgedMask, NotJudgedCounts& counts);

}  // namespace kelvara
