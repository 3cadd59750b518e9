// What a run needs to add the usual-intake blocks: how persons and their
// days are found, and the within/between variance ratios given by the user.
#pragma once

#include <cstdint>
#include <vector>

namespace kelvara {

// The within/between-person variance ratio, on the transformed scale, of
// one analysis column, for a survey of one day per person. With a sex and
// a band the ratio holds for that band only (a ratio table's row); sex 0 and
// band -1 mean every sex and every band.
struct VarianceRatio {
  int column = -1;   // the analysis column, 0-based; -1 every column
  double ratio = 0;  // s_w^2 / s_b^2, 0 or more
  int sex = 0;       // 0 any, 1 male, 2 female
  int band = -1;     // index of the age band among its sex's bands, -1 any
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

  // The ratio given for a column's band, the band's own before the column's
  // general one; a negative value when none is given.
  double RatioFor(int column, int sex, int band) const {
    double general = -1;
    for (const VarianceRatio& r : ratios) {
      if (r.column != column && r.column != -1) continue;
      if (r.sex == sex && r.band == band) return r.ratio;
      if (r.sex == 0 && r.band == -1) general = r.ratio;
    }
    return general;
  }
};

}  // namespace kelvara
