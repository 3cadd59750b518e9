// The optional line before each block that says where its figures came from:
// the survey file, the age-group scheme, the design, the added columns, when
// and by which program version. Off unless asked for, so the fixed report
// keeps its bytes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/design_options.h"
#include "engine/statistics/age_group_scheme.h"

namespace kelvara {

// What the program around a run knows and the engine does not: names as the
// user sees them, in code page 932; an empty name is none.
struct Provenance {
  std::string file;      // the survey data file's path
  std::string unit;      // the sampling-unit column's label
  std::string weight;    // the weight column's label
  std::string strata;    // the stratum column's label
  std::string dateTime;  // when the run was made, as "2026-12-07 20:30:00"
};

// The line as it stands before a block: "出所" and the fields
// "ファイル：…", "年齢階級区分：…", "抽出単位：…", "重み：…", "層：…",
// "追加の列：…", "日時：…" and "Kelvara <version>", each between double quotes.
std::string ProvenanceLine(const Provenance& provenance, SchemeId scheme,
                           const DesignOptions& design);

// The fields of a provenance line as read back.
struct ProvenanceFields {
  std::string file, scheme, unit, weight, strata, addedColumns, dateTime, program;

  bool operator==(const ProvenanceFields&) const = default;
};

// Nothing when `line` is no provenance line.
std::optional<ProvenanceFields> ReadProvenanceLine(std::string_view line);

// The scheme's caption as the window's choice reads, code page 932.
std::string_view SchemeCaption(SchemeId scheme);

// "Kelvara <version>", as the provenance line names the program.
std::string_view ProgramName();

}  // namespace kelvara
