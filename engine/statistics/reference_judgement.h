// Intake judged against each person's own dietary reference values: the
// values of their sex and age band, plus the addition when pregnant or
// lactating, and the alternatives the survey does not record as the user
// chose them.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
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

// The nutrient a survey column is judged as, and in which unit.
struct ColumnNutrient {
  std::string key;  // empty: judged against nothing (no name matched, or set so)
  bool inTable = false;  // the table has values for the key
  // The unit the header names (code page 932), and the table's unit of the
  // key's values; both empty when the header names none.
  std::string headerUnit;
  std::string tableUnit;
  // p such that the column's value times 10^p is the value in the table's
  // unit; nothing when the header's unit cannot be converted to the table's.
  std::optional<int> powerOfTen = 0;
};

// Which nutrient the column `column` with header text `header` (code page
// 932) is, by hand or by the table's names, and how its unit stands to the
// table's. A header names its unit in trailing brackets; without one the
// column is taken to be in the table's unit. The column is judged when the
// key is in the table and the unit converts.
ColumnNutrient MatchColumnNutrient(const ReferenceChoice& choice, int column,
                                   std::string_view header);

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
// Person classes there are: PersonClass gives one below this.
inline constexpr size_t kPersonClasses = 3 * 3 * 151;
// The class of a person from the sex, age and pregnancy cells of their row,
// read as a run reads them; nothing when one of the cells is no usable number
// and the run would not classify the person.
std::optional<uint16_t> PersonClassOfCells(std::string_view sex, std::string_view age,
                                           std::string_view pregnancy);

// The sodium key's DG is the salt key's, with salt equivalent in g taken as
// sodium in mg times 2.54 / 1000, as the reference tables give it.
inline constexpr std::string_view kSodiumKey = "sodium";
inline constexpr std::string_view kSaltKey = "salt";

// One nutrient's reference values for every person class.
class NutrientReference {
 public:
  struct Bounds {
    // Not a number where the table gives none. The DG is outside below
    // `low`, at or above `below`, above `high`. EAR, AI and UL are in the
    // column's unit; the DG in the unit it is judged in (DgInColumnUnit).
    double value = 0.0, low = 0.0, below = 0.0, high = 0.0;
    NotJudged reason = NotJudged::noValue;
  };

  // The values of `key` for a column whose value times 10^powerOfTen is in
  // the table's unit.
  NutrientReference(const ReferenceChoice& choice, const std::string& key, int powerOfTen = 0);

  const std::string& key() const { return key_; }
  // Whether the table gives the figure for total intake at all.
  bool gives(JudgedFigure figure) const { return gives_[static_cast<size_t>(figure)]; }
  // The column's unit when the table's values were converted to it (code
  // page 932, "μg"); empty when they were not.
  const std::string& convertedUnit() const { return convertedUnit_; }
  // Whether the DG is the salt key's, judged on the sodium converted to salt.
  bool dgFromSalt() const { return dgFromSalt_; }
  // A DG bound of Bounds in the column's unit, for drawing beside intakes.
  double DgInColumnUnit(double bound) const;

  // What a person of the class is judged against for the figure.
  const Bounds& BoundsOf(JudgedFigure figure, uint16_t personClass) const;

  // Why the table judges a person of this class for the figure or not: the
  // same for every value.
  NotJudged reason(JudgedFigure figure, uint16_t personClass) const {
    return BoundsOf(figure, personClass).reason;
  }

  // The judging rule, for the four figures at once in report order: bit f
  // of the result is set when figure f judges the person, bit 4 + f when
  // the value is on its judged side (below the EAR, at or above the AI,
  // above the UL, outside the DG). Kept inline and free of branches on the
  // value: it runs for every person, and intakes fall on either side of a
  // bound with no pattern to predict.
  uint32_t JudgeAll(uint16_t personClass, double value) const {
    const std::array<Bounds, kJudgedFigures>& b = classes_[personClass];
    uint32_t bits = judgedFigures_[personClass];
    // A bound the table does not give is not a number: no comparison holds.
    bits |= static_cast<uint32_t>(value < b[0].value) << 4;
    bits |= static_cast<uint32_t>(value >= b[1].value) << 5;
    bits |= static_cast<uint32_t>(value > b[2].value) << 6;
    // Salt equivalent from sodium in the order the tables write it; the
    // branch is the same for every person of the nutrient.
    const double goal = dgFromSalt_ ? value * sodiumUp_ / sodiumDown_ * 2.54 / 1000 : value;
    const uint32_t outsideGoal = static_cast<uint32_t>(goal < b[3].low) |
                                 static_cast<uint32_t>(goal >= b[3].below) |
                                 static_cast<uint32_t>(goal > b[3].high);
    bits |= outsideGoal << 7;
    return bits;
  }

 private:
  std::string key_;
  std::array<bool, kJudgedFigures> gives_{};
  std::string convertedUnit_;
  bool dgFromSalt_ = false;
  // The column's value times sodiumUp_ / sodiumDown_ is sodium in mg.
  double sodiumUp_ = 1.0, sodiumDown_ = 1.0;
  std::vector<std::array<Bounds, kJudgedFigures>> classes_;
  std::vector<uint8_t> judgedFigures_;  // per class: bit f when figure f judges it
};

// Persons not judged for each figure, by reason, from the usable persons of
// each class (`personsOfClass`, kPersonClasses long).
NotJudgedCounts CountNotJudged(const NutrientReference& nutrient,
                               std::span<const int64_t> personsOfClass);

// Who was not judged for some figures and why: the persons and the sexes,
// states and whole-year ages they span, pregnant and lactating women apart
// from the others. Figures whose persons are the same for one reason are one
// gap.
struct JudgingGap {
  NotJudged reason = NotJudged::noValue;
  uint8_t figures = 0;  // bit f: figure f
  int64_t persons = 0;
  int32_t youngest = 0, oldest = 0;  // whole years (150 for 150 and over)
  bool men = false, women = false;   // neither pregnant nor lactating
  bool pregnant = false, lactating = false;
  bool otherSex = false;             // a sex code other than 1 and 2
};
std::vector<JudgingGap> DescribeNotJudged(const NutrientReference& nutrient,
                                          std::span<const int64_t> personsOfClass);

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
  std::vector<ColumnNutrient> columns;                                // per variable
  std::vector<std::shared_ptr<const NutrientReference>> nutrients;  // per variable
};

// `unitOrder` gives the file row of each position, `groupMask` its groups;
// `variableColumns` the survey column of each variable. A variable whose
// unit cannot be converted has no nutrient; its `columns` entry says why.
std::shared_ptr<const ReferenceRun> BuildReferenceRun(
    const SurveyData& data, std::span<const uint32_t> unitOrder,
    std::span<const uint64_t> groupMask, std::span<const int> variableColumns,
    std::shared_ptr<const ReferenceChoice> choice);

// The indicator of one figure for every usable person (`missing` 0) and the
// groups they count in: their groups when judged, none when not.
void JudgePersons(const ReferenceRun& run, const NutrientReference& nutrient, JudgedFigure figure,
                  std::span<const double> value, std::span<const uint8_t> missing,
                  std::span<const uint64_t> groupMask, std::vector<double>& indicator,
                  std::vector<uint64_t>& judgedMask);

}  // namespace kelvara
