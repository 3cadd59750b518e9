// The computed variables of a kelvara-tab run: --derive NAME=EXPR and the
// energy ratios of --energy-balance, compiled against the file's header.
#pragma once

#include <string>
#include <vector>

#include "cli/tab_options.h"
#include "engine/derived_variable.h"

namespace kelvara {

// Compiles the computed variables the options define against the header
// (code page 932 cells), numbered on from its last column: --derive in the
// order given, then the energy ratios. Nothing, with a one-line message in
// `error`, on a bad name or expression. Notes for standard error (a ratio
// the file holds already, saturated fat not found) go into `notes`.
std::optional<std::vector<DerivedVariable>> BuildDerivedVariables(
    const TabOptions& options, const std::vector<std::string>& header, std::string& error,
    std::vector<std::string>& notes);

}  // namespace kelvara
