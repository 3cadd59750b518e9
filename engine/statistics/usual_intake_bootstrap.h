// Design bootstrap of the usual-intake block: Rao-Wu rescaling over the
// sampling units within strata, each replicate refitting the whole chain
// (lambda, variance components, shrinkage, back-transform), so that the
// standard errors carry the uncertainty of the fitted parameters too.
#pragma once

#include <cstdint>
#include <optional>

#include "engine/statistics/run_layout.h"
#include "engine/statistics/usual_intake.h"
#include "engine/statistics/column_figures.h"

namespace kelvara {

// Each of `replicates` replicates draws n_h - 1 of the n_h units of every
// stratum with replacement and multiplies the weights of a unit drawn r times
// by r * n_h / (n_h - 1) (a stratum of a single unit keeps its weights). The
// standard error of a group's figure is the standard deviation of its
// replicate values. Persons are the layout's rows; the draws follow `seed`
// alone, and only running sums are kept, whatever the number of replicates.
// `full` is the full sample's fit, from which each replicate's search for
// lambda starts.
GroupErrors BootstrapUsualIntakeErrors(const PersonIntakes& persons, const UsualIntakes& full,
                                       const RunLayout& layout, int replicates, uint64_t seed,
                                       std::optional<double> cutOff);

}  // namespace kelvara
