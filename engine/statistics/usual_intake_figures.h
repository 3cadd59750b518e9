// The figures of one variable's usual-intake block: the fit of the persons'
// days and the persons' estimated usual intakes through the block's own
// figures.
#pragma once

#include <optional>
#include <vector>

#include "engine/reading/survey_data.h"
#include "engine/statistics/column_figures.h"
#include "engine/statistics/person_days.h"
#include "engine/statistics/run_layout.h"
#include "engine/statistics/usual_intake.h"
#include "engine/usual_intake_options.h"

namespace kelvara {

// The age bands of each sex in the scheme, male first: the estimation cells
// (cell c is male band c, then female band c - male.size(); the last cell,
// 2 * male.size(), holds the persons in no band).
struct SchemeAgeBands {
  std::vector<const AgeGroup*> male, female;
};

SchemeAgeBands SchemeBands(const RunLayout& layout);

// The persons' days of variable `variable` (file column `column`), with the
// estimation cells (sex x age band of the layout's scheme) of their first
// rows and the ratios the options give.
PersonIntakes GatherPersonIntakes(const SurveyData& days, const PersonDays& persons,
                                  const RunLayout& layout, size_t variable, int column,
                                  const UsualIntakeOptions& options);

struct UsualIntakeFigures {
  UsualIntakes fit;
  // The block's figures; nothing when the fit is refused: no positive value,
  // or some band's persons could not be estimated even from every band
  // together (UsualIntakes::Complete).
  std::optional<ColumnFigures> figures;
  int replicates = 0;  // bootstrap replicates behind the standard errors; 0: linearised
  // With the bootstrap, per group: replicates left out of its errors; and
  // the replicates whose fit left some band unestimated (left out of all).
  std::vector<int> leftOutReplicates;
  int unestimatedReplicates = 0;
};

// `layout` lays out the persons (their first rows), as for the ordinary block
// of a run with a person column.
UsualIntakeFigures ComputeUsualIntakeFigures(const SurveyData& days, const PersonDays& persons,
                                             const RunLayout& layout, size_t variable,
                                             int column, const UsualIntakeOptions& options,
                                             const DesignOptions& design, ColumnWorkspace& work);

}  // namespace kelvara
