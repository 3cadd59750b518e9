// The conditions a workbook's 条件 sheet states for its blocks: what the run
// was given, as far as it is known.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/design_options.h"
#include "engine/report/provenance.h"
#include "engine/report/report_reading.h"

namespace kelvara {

// Code page 932 texts; an empty text is none (なし), nothing is unknown (不明).
struct RunConditions {
  std::optional<std::string> file, scheme, unit, weight, strata, addedColumns, otherOptions,
      reference, program, dateTime;

  bool operator==(const RunConditions&) const = default;
};

// The lines [firstLine, endLine) of some results came from a run with these
// conditions: kelvara-tab's own run, or a run of the window.
struct RunSpan {
  size_t firstLine = 0;
  size_t endLine = 0;
  RunConditions conditions;
};

// The conditions of a run, with the file and columns named as the user sees
// them: `names`, and `columnLabel` for the person column and the variables
// with a cut-off of their own.
RunConditions ConditionsOfRun(const Provenance& names, SchemeId scheme,
                              const DesignOptions& design,
                              const std::function<std::string(int column)>& columnLabel);

// The conditions of a block: those of the run that made it when it is known,
// else what the block says of its run: its provenance line when it has one,
// else its scheme (from its groups' labels) and the columns it has beyond
// the fixed ones; and the reference table it was judged against. The rest is
// unknown.
RunConditions ConditionsOfBlock(const ReportBlock& block, const RunConditions* run);

}  // namespace kelvara
