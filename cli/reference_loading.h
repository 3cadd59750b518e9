// The reference values named on the command line, loaded for a run.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cli/tab_options.h"
#include "engine/statistics/reference_judgement.h"

namespace kelvara {

// Reads the table (shipped by name, or a file), takes the chosen
// alternatives, and matches each --nutrient variable against `header`.
// Nothing, with a one-line message in `error`, when the table cannot be read
// or names no such nutrient.
std::shared_ptr<const ReferenceChoice> LoadReferenceChoice(const TabOptions& options,
                                                           const std::vector<std::string>& header,
                                                           std::string& error);

}  // namespace kelvara
