// What a run needs to add the usual-intake blocks: how persons and their
// days are found, and the within/between variance ratios given by the user.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <span>
#include <vector>

namespace kelvara {

// The within/between-person variance ratio, on the transformed scale, of
// one analysis column, for a survey of one day per person. A ratio table's
// row names a sex, and an age that picks the age band of the run's scheme
// holding it; sex 0 means every sex, an age that is not a number every band.
struct VarianceRatio {
  int column = -1;   // the analysis column, 0-based; -1 every column
  double ratio = 0;  // s_w^2 / s_b^2, 0 or more
  int sex = 0;       // 0 any, 1 male, 2 female
  double age = std::numeric_limits<double>::quiet_NaN();
};

// One replicate of the usual-intake bootstrap as drawn and fitted, for
// checking the bootstrap from outside. Persons are numbered in the order of
// their first rows in the file, from 0.
struct BootstrapReplicate {
  int column = -1;    // the analysis column
  int replicate = 0;  // 1 to B; 0 the full sample
  // Per draw, in order: the first person (in layout order) of the unit drawn.
  std::span<const uint32_t> drawnPersons;
  // Each person's usual intake as this replicate's fit gives it; NaN for a
  // person left out.
  std::span<const double> usual;
};

struct UsualIntakeOptions {
  // Column index (0-based) of the respondent's id, or -1 for none. With it
  // the file holds a row per person-day; a person's weight, unit, stratum,
  // sex, age and pregnancy are those of their first row, and the ordinary
  // block counts first rows only (and says so), so nobody is counted twice.
  // A row whose person cell is empty is missing.
  int personColumn = -1;
  // Adds after each variable's block the block of the persons' estimated
  // usual intakes.
  bool enabled = false;
  std::vector<VarianceRatio> ratios;
  // With 2 or more, the usual-intake block's standard errors come from this
  // many Rao-Wu bootstrap replicates (seeded: the same report every run).
  int bootstrapReplicates = 0;
  uint64_t bootstrapSeed = 20240601;
  // Called with the full sample and every replicate of every variable, from
  // whichever thread computes the variable; not called when empty.
  std::function<void(const BootstrapReplicate&)> replicateTrace;

  // The ratio given for a column in the band of ages from `from` to `to`
  // (`to` itself included when `toIncluded`) of a sex (0 for persons in no
  // band): the band's own for the sex, else the band's for both sexes, else
  // the sex's, else the column's general one; a negative value when none is
  // given.
  double RatioFor(int column, int sex, double from = 0, double to = -1,
                  bool toIncluded = false) const {
    double ofBothInBand = -1, ofSex = -1, general = -1;
    for (const VarianceRatio& r : ratios) {
      if (r.column != column && r.column != -1) continue;
      const bool everyAge = std::isnan(r.age);
      const bool inBand = from <= r.age && (toIncluded ? r.age <= to : r.age < to);
      if (r.sex == sex && sex != 0 && inBand) return r.ratio;
      if (r.sex == 0 && sex != 0 && inBand && ofBothInBand < 0) ofBothInBand = r.ratio;
      if (r.sex == sex && sex != 0 && everyAge) ofSex = r.ratio;
      if (r.sex == 0 && everyAge) general = r.ratio;
    }
    return ofBothInBand >= 0 ? ofBothInBand : ofSex >= 0 ? ofSex : general;
  }

  // Whether some ratio is given for the column, for some band at least.
  bool HasRatio(int column) const {
    for (const VarianceRatio& r : ratios) {
      if (r.column == column || r.column == -1) return true;
    }
    return false;
  }
};

}  // namespace kelvara
