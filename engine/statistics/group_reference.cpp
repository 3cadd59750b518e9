#include "engine/statistics/group_reference.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace kelvara {
namespace {

// One bound over the group's ages: the same number at every age, or none
// at every age; anything else is no single value.
struct Shared {
  std::optional<double> value;
  bool seen = false;
  bool mixed = false;

  void Add(double bound) {
    const std::optional<double> here = std::isnan(bound) ? std::nullopt : std::optional(bound);
    if (!seen) {
      value = here;
      seen = true;
    } else if (here != value) {
      mixed = true;
    }
  }
};

}  // namespace

GroupReference GeneralReferenceOfGroup(const NutrientReference& nutrient, int32_t sex,
                                       const AgeRange& ages) {
  GroupReference result;
  const double first = std::max(1.0, std::ceil(ages.from));
  const double last = std::min(
      double{kOldestReferenceAge}, ages.toIncluded ? std::floor(ages.to) : std::ceil(ages.to) - 1);
  if (!(first <= last) || (sex != 1 && sex != 2)) return result;

  Shared ear, ul, dgLow, dgHigh;
  for (double year = first; year <= last; ++year) {
    const uint16_t personClass = PersonClass(sex, year, 0);
    const NutrientReference::Bounds& e = nutrient.BoundsOf(JudgedFigure::ear, personClass);
    const NutrientReference::Bounds& u = nutrient.BoundsOf(JudgedFigure::ul, personClass);
    const NutrientReference::Bounds& d = nutrient.BoundsOf(JudgedFigure::dg, personClass);
    for (const NutrientReference::Bounds* bounds : {&e, &u, &d}) {
      if (bounds->reason == NotJudged::menstruationNotChosen) result.menstruationNotChosen = true;
    }
    ear.Add(e.reason == NotJudged::judged ? e.value : NAN);
    ul.Add(u.reason == NotJudged::judged ? u.value : NAN);
    const bool dgJudged = d.reason == NotJudged::judged;
    dgLow.Add(dgJudged ? nutrient.DgInColumnUnit(d.low) : NAN);
    // "X未満" and "X以下" both close the range from above.
    dgHigh.Add(dgJudged ? nutrient.DgInColumnUnit(std::isnan(d.below) ? d.high : d.below) : NAN);
  }
  auto take = [&](const Shared& shared, std::optional<double>& into) {
    if (shared.mixed) {
      result.differsWithinGroup = true;
    } else {
      into = shared.value;
    }
  };
  take(ear, result.ear);
  take(ul, result.ul);
  take(dgLow, result.dgLow);
  take(dgHigh, result.dgHigh);
  // A value waiting for the choice is no value at that age: it is said once
  // as such, not as a difference within the group.
  if (result.menstruationNotChosen) result.differsWithinGroup = false;
  return result;
}

}  // namespace kelvara
