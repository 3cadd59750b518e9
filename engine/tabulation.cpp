#include "engine/tabulation.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <iterator>
#include <mutex>
#include <system_error>
#include <thread>

#include "engine/report/usual_intake_lines.h"
#include "engine/report/variable_block.h"
#include "engine/statistics/column_figures.h"
#include "engine/statistics/person_days.h"
#include "engine/statistics/reference_judgement.h"
#include "engine/statistics/run_layout.h"
#include "engine/statistics/usual_intake_figures.h"

namespace kelvara {
namespace {

bool AcceptsColumns(const RunRequest& request) {
  const ColumnChoice& c = request.columns;
  const bool required = c.sexColumn >= 0 && c.ageColumn >= 0 && c.pregnancyColumn >= 0;
  const bool optional =
      c.unitColumn >= -1 && c.weightColumn >= -1 && request.design.strataColumn >= -1 &&
      request.design.usual.personColumn >= -1;
  const bool variables = std::all_of(request.variableColumns.begin(),
                                     request.variableColumns.end(),
                                     [](int column) { return column >= 0; });
  return required && optional && variables;
}

// Hands progress to the caller's callback one call at a time, whichever
// thread reports it.
class ProgressReporter {
 public:
  explicit ProgressReporter(const RunControl& control) : control_(control) {}

  void Report(const RunProgress& progress) {
    if (!control_.progress) return;
    std::lock_guard lock(mutex_);
    control_.progress(progress);
  }

 private:
  const RunControl& control_;
  std::mutex mutex_;
};

// A run over persons with their days: the persons' first rows for the
// ordinary blocks, all days for the usual-intake blocks.
struct PersonRun {
  const SurveyData* days = nullptr;  // every row
  PersonDays persons;
  bool byPerson = false;  // a person column groups the rows
};

// Adds to variable v's block what a person column and the usual intake ask.
void ExtendBlock(const PersonRun& run, const RunLayout& layout, const RunRequest& request,
                 const DesignOptions& design, size_t v, std::vector<std::string>& block,
                 ColumnWorkspace& workspace) {
  if (run.byPerson) {
    block.insert(block.end() - 1, FirstRowsLine(run.persons.personCount(), run.days->rowCount));
  }
  if (request.design.usual.enabled) {
    const UsualIntakeFigures figures =
        ComputeUsualIntakeFigures(*run.days, run.persons, layout, v, request.variableColumns[v],
                                  request.design.usual, design, workspace);
    std::vector<std::string> usual =
        UsualIntakeBlockLines(run.days->variables[v].name, figures, layout, design);
    block.insert(block.end(), std::make_move_iterator(usual.begin()),
                 std::make_move_iterator(usual.end()));
  }
}

// Computes the blocks of all variables, each variable on whichever worker
// takes it next; blocks land at their variable's index, so the order of the
// report does not depend on the workers. Workers take no new variable once a
// stop is requested. `gaps` receives, per variable, who was not judged.
std::vector<std::vector<std::string>> ComputeBlocks(const SurveyData& data,
                                                    const RunLayout& layout,
                                                    const RunRequest& request,
                                                    const RunControl& control,
                                                    ProgressReporter& reporter,
                                                    const PersonRun& run,
                                                    std::vector<std::vector<JudgingGap>>& gaps) {
  const size_t variables = data.variables.size();
  std::vector<std::vector<std::string>> blocks(variables);
  gaps.assign(variables, {});
  unsigned threads = control.threads;
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  threads = static_cast<unsigned>(std::min<size_t>(threads, variables));

  std::atomic<size_t> next{0};
  std::exception_ptr failure;
  std::mutex failureMutex;
  auto work = [&] {
    try {
      ColumnWorkspace workspace;
      for (size_t v = next++; v < variables && !control.stop.stop_requested(); v = next++) {
        RunProgress progress;
        progress.stage = RunProgress::Stage::computing;
        progress.rowsRead = data.rowCount;
        progress.variableNumber = v + 1;
        progress.variableCount = variables;
        progress.column = request.variableColumns[v];
        reporter.Report(progress);
        const DesignOptions design = request.design.ForColumn(request.variableColumns[v]);
        const ColumnFigures figures = ComputeColumnFigures(
            data.variables[v], layout, workspace, design, ColumnNutrient(layout, design, v));
        blocks[v] = VariableBlockLines(data.variables[v].name, figures, layout.groups, design);
        if (figures.nutrient) gaps[v] = DescribeNotJudged(*figures.nutrient, figures.personsOfClass);
        ExtendBlock(run, layout, request, design, v, blocks[v], workspace);
      }
    } catch (...) {
      std::lock_guard lock(failureMutex);
      if (!failure) failure = std::current_exception();
      next = variables;  // the others stop at their next variable
    }
  };
  {
    // The calling thread works too; helpers that cannot be started (no room
    // for another thread) are simply not there.
    std::vector<std::jthread> helpers;
    try {
      for (unsigned t = 1; t < threads; ++t) helpers.emplace_back(work);
    } catch (const std::system_error&) {
    }
    work();
  }
  if (failure) std::rethrow_exception(failure);
  return blocks;
}

// The names of a UTF-8 file's variables in the code page 932 of the report;
// the column of the first name that does not convert, or -1.
int ConvertNames(const RunRequest& request, const RunControl& control, SurveyData& data) {
  if (data.encoding != TextEncoding::utf8 || !control.utf8ToCp932) return -1;
  for (size_t v = 0; v < data.variables.size(); ++v) {
    std::optional<std::string> name = control.utf8ToCp932(data.variables[v].name);
    if (!name) return request.variableColumns[v];
    data.variables[v].name = std::move(*name);
  }
  return -1;
}

}  // namespace

RunOutcome TabulateVariables(const RunRequest& request, const LineSink& sink,
                             const RunControl& control) {
  if (!AcceptsColumns(request)) return {RunStatus::invalidColumn};
  ProgressReporter reporter(control);
  SurveyData data;
  const RunStatus read = ReadSurveyData(
      request.fileName, request.columns, request.variableColumns, data,
      request.design.strataColumn, control.stop,
      [&](size_t rows, size_t bytes, size_t fileBytes) {
        RunProgress progress;
        progress.rowsRead = rows;
        progress.bytesRead = bytes;
        progress.fileBytes = fileBytes;
        reporter.Report(progress);
      },
      request.design.usual.personColumn);
  if (read != RunStatus::ok) return {read};
  if (const int column = ConvertNames(request, control, data); column >= 0) {
    return {RunStatus::nameNotConvertible, column};
  }
  const SchemeId scheme = request.scheme;
  RunOutcome outcome;
  outcome.coverage = CountGroupCoverage(data, scheme);
  if (request.variableColumns.empty()) return outcome;

  PersonRun run;
  run.days = &data;
  run.byPerson = request.design.usual.personColumn >= 0;
  SurveyData firstRows;
  if (run.byPerson) {
    run.persons = GroupPersonDays(data);
    firstRows = FirstRows(data, run.persons);
  } else if (request.design.usual.enabled) {
    run.persons = OneDayPerRow(data.rowCount);
  }
  const SurveyData& tabulated = run.byPerson ? firstRows : data;
  RunLayout layout = BuildRunLayout(tabulated, request.scheme, request.design);
  if (request.design.reference) {
    layout.reference = BuildReferenceRun(tabulated, layout.unitOrder, layout.groupMask,
                                         request.variableColumns, request.design.reference);
    // A value in µg judged against mg would be judged a thousandfold wrong:
    // a unit that cannot be converted refuses the run.
    for (size_t v = 0; v < layout.reference->columns.size(); ++v) {
      if (layout.reference->columns[v].powerOfTen) continue;
      RunOutcome refused{RunStatus::unitNotConvertible, request.variableColumns[v]};
      refused.unit = layout.reference->columns[v];
      return refused;
    }
  }
  std::vector<std::vector<JudgingGap>> gaps;
  const std::vector<std::vector<std::string>> blocks =
      ComputeBlocks(tabulated, layout, request, control, reporter, run, gaps);
  // A stop during the last variables leaves some blocks unfilled: the run
  // hands over all of them or none.
  if (control.stop.stop_requested()) return {RunStatus::stopped};
  for (size_t v = 0; v < gaps.size(); ++v) {
    if (gaps[v].empty()) continue;
    outcome.judging.push_back({request.variableColumns[v], tabulated.variables[v].name,
                               std::move(gaps[v])});
  }
  for (size_t v = 0; v < blocks.size(); ++v) {
    if (request.provenance) {
      sink(ProvenanceLine(*request.provenance, scheme,
                          request.design.ForColumn(request.variableColumns[v])));
    }
    for (const std::string& line : blocks[v]) sink(line);
  }
  return outcome;
}

RunStatus TabulateVariables(const RunRequest& request, const LineSink& sink, unsigned threads) {
  RunControl control;
  control.threads = threads;
  return TabulateVariables(request, sink, control).status;
}

RunStatus TabulateVariable(const std::filesystem::path& fileName, int unitColumn, int sexColumn,
                           int ageColumn, int pregnancyColumn, int variableColumn,
                           int weightColumn, SchemeId scheme, const LineSink& sink) {
  RunRequest request;
  request.fileName = fileName;
  request.columns = {unitColumn, sexColumn, ageColumn, pregnancyColumn, weightColumn};
  request.variableColumns = {variableColumn};
  request.scheme = scheme;
  return TabulateVariables(request, sink);
}

}  // namespace kelvara
