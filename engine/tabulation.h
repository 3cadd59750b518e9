// A tabulation run: report blocks for the analysis variables of a survey file.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "engine/derived_variable.h"
#include "engine/design_options.h"
#include "engine/report/provenance.h"
#include "engine/reading/survey_data.h"
#include "engine/statistics/run_layout.h"
#include "engine/statistics/age_group_scheme.h"
#include "engine/statistics/reference_judgement.h"

namespace kelvara {

// Receives the report lines, one call per line, in order. Lines are code page
// 932 bytes without a line end.
using LineSink = std::function<void(std::string_view line)>;

// Turns a UTF-8 column name into code page 932; nothing when some character
// has no code page 932 form. The engine converts no text itself: the program
// around it hands in its codec.
using NameConversion = std::function<std::optional<std::string>(std::string_view utf8)>;

struct RunRequest {
  std::filesystem::path fileName;
  ColumnChoice columns;
  std::vector<int> variableColumns;  // one block per entry, in this order
  SchemeId scheme = SchemeId::table1;
  DesignOptions design;              // figures beyond the fixed report (none by default)
  // When given, each block is preceded by a line on where it came from.
  std::optional<Provenance> provenance;
  // Computed variables: an entry of variableColumns equal to one's `column`
  // is that variable, worked out from the file columns its formula reads.
  std::vector<DerivedVariable> derived;
};

// How far a run has come.
struct RunProgress {
  enum class Stage { reading, computing };
  Stage stage = Stage::reading;
  size_t rowsRead = 0;   // data rows read so far
  size_t bytesRead = 0;  // of fileBytes, for a progress bar
  size_t fileBytes = 0;  // 0 when the file tells no size
  // While computing: the variable started last is the variableNumber-th of
  // variableCount (counted from 1), the one in column `column`.
  size_t variableNumber = 0;
  size_t variableCount = 0;
  int column = -1;
};

// What the program around a run hands in to watch and steer it. `progress` is
// called after each block of rows read and as each variable starts, from
// whichever thread does the work but never from two at once; it must return
// quickly. A stop request is honoured between blocks while reading and
// between variables while computing: the run then ends with
// RunStatus::stopped and hands nothing to the sink.
struct RunControl {
  std::function<void(const RunProgress&)> progress;
  std::stop_token stop;
  unsigned threads = 0;  // 0: one per core
  // For a survey file in UTF-8: how the variables' names become the code page
  // 932 of the report. Without it the names keep the file's bytes.
  NameConversion utf8ToCp932;
};

// A variable whose usual intake was estimated though more than
// kMostNonPositiveDays of its day values are 0 or less.
struct EpisodicIntake {
  int column = -1;  // the analysis column
  int nonPositiveDays = 0;
  int days = 0;
};

// The persons a judged variable leaves unjudged for some figure, for the
// window to say so above the results.
struct JudgingGaps {
  int column = -1;
  std::string name;  // the variable's name, code page 932
  std::vector<JudgingGap> gaps;
};

// How a run ended; for RunStatus::nameNotConvertible, the column whose name
// code page 932 cannot hold; for RunStatus::unitNotConvertible, the column
// and its nutrient and units. After a run that read the file, who the
// scheme's age bands leave out (the report itself does not say); with a
// person column, how many persons' rows disagree on their classification or
// weight; with the usual intake, the variables warned of in their blocks for
// their many day values of 0 or less, in the request's order; after a judged
// run, who was not judged.
struct RunOutcome {
  RunOutcome(RunStatus status = RunStatus::ok, int column = -1) : status(status), column(column) {}
  RunStatus status;
  int column;
  ColumnNutrient unit;
  GroupCoverage coverage;
  size_t disagreeingPersons = 0;
  std::vector<EpisodicIntake> episodic;
  std::vector<JudgingGaps> judging;
};

// Runs every variable of the request and hands the blocks to `sink`, in the
// request's order. The file is read once for all variables; variables are
// computed in parallel, with the same result for any number of threads. Lines
// reach the sink only when every block is complete: on a failed status, on a
// stop, or when memory runs out (std::bad_alloc leaves the call), nothing has
// been handed over.
RunOutcome TabulateVariables(const RunRequest& request, const LineSink& sink,
                             const RunControl& control);

// The same without progress or stop, on `threads` threads (0: one per core).
RunStatus TabulateVariables(const RunRequest& request, const LineSink& sink, unsigned threads = 0);

// One variable's block, as the run command produces it for one ticked
// variable. Column indices are 0-based; unitColumn and weightColumn may be
// -1 for none.
RunStatus TabulateVariable(const std::filesystem::path& fileName, int unitColumn, int sexColumn,
                           int ageColumn, int pregnancyColumn, int variableColumn,
                           int weightColumn, SchemeId scheme, const LineSink& sink);

}  // namespace kelvara
