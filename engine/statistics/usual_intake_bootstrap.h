// Design bootstrap of the usual-intake block: Rao and Wu's rescaling bootstrap
// (J. Am. Stat. Assoc. 83, 1988) over the sampling units within strata, each
// replicate refitting the whole chain (lambda, variance components,
// shrinkage, back-transform) and estimating every figure with a standard
// error again, so that the errors carry the uncertainty of the fitted
// parameters too.
#pragma once

#include <cstdint>
#include <random>
#include <span>
#include <vector>

#include "engine/design_options.h"
#include "engine/statistics/column_figures.h"
#include "engine/statistics/run_layout.h"
#include "engine/statistics/usual_intake.h"

namespace kelvara {

struct BootstrapErrors {
  ReplicatedFigures standardErrors;
  // Per group: replicates left out of its errors, as they drew none of its
  // units, or their fit left some band unestimated.
  std::vector<int> leftOut;
  int unestimated = 0;  // replicates whose fit left some band unestimated
};

// A uniform draw from 0 to n - 1 (n > 0) out of the engine's 64-bit outputs,
// by rejection: the same numbers from every standard library, which
// std::uniform_int_distribution does not promise.
uint64_t DrawBelow(std::mt19937_64& engine, uint64_t n);

// Each of the options' bootstrapReplicates replicates draws n_h - 1 of the
// n_h units of every stratum with replacement and multiplies the weights of a
// unit drawn r times by r * n_h / (n_h - 1); a stratum of a single unit keeps
// its weights (a certainty unit), and a design of one unit in all resamples
// its respondents, as its linearised error takes them for a simple random
// sample. Units are those of the persons with a usual intake in `full` (the
// full sample's fit). Every figure of `design` with a standard error is
// estimated again by ComputeReplicateFigures (the median's share at
// `fullMedians`, the full sample's medians per group), and its error is the
// standard deviation of its replicate values. Persons are the layout's rows;
// the draws follow the options' seed plus `column` alone, and only running
// sums are kept, whatever the number of replicates.
BootstrapErrors BootstrapUsualIntakeErrors(const PersonIntakes& persons, const UsualIntakes& full,
                                           const RunLayout& layout,
                                           const UsualIntakeOptions& options, int column,
                                           const DesignOptions& design,
                                           const NutrientReference* nutrient,
                                           std::span<const double> fullMedians,
                                           ColumnWorkspace& work);

}  // namespace kelvara
