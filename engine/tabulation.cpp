#include "engine/tabulation.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <iterator>
#include <mutex>
#include <system_error>
#include <thread>

#include "engine/reading/derived_column.h"
#include "engine/report/formula_line.h"
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
  // Each computed variable has a number of its own and reads file columns.
  std::vector<int> derivedColumns;
  for (const DerivedVariable& derived : request.derived) {
    if (derived.column < 0 || !derived.rows) return false;
    const std::vector<int>& operands = derived.rows->operandColumns();
    if (!std::all_of(operands.begin(), operands.end(), [](int column) { return column >= 0; })) {
      return false;
    }
    derivedColumns.push_back(derived.column);
  }
  std::sort(derivedColumns.begin(), derivedColumns.end());
  const bool distinct =
      std::adjacent_find(derivedColumns.begin(), derivedColumns.end()) == derivedColumns.end();
  return required && optional && variables && distinct;
}

const DerivedVariable* DerivedOf(const RunRequest& request, int column) {
  for (const DerivedVariable& derived : request.derived) {
    if (derived.column == column) return &derived;
  }
  return nullptr;
}

// The file columns a run reads: first those tabulated as they are, one slot
// each in request order, then every operand of a computed variable that is
// not among them.
struct ReadPlan {
  std::vector<int> columns;        // what the reader reads, by slot
  std::vector<size_t> slotOf;      // per request variable: its slot (file columns)
  size_t tabulatedSlots = 0;       // slots [0, tabulatedSlots) are tabulated
};

ReadPlan PlanReading(const RunRequest& request) {
  ReadPlan plan;
  plan.slotOf.assign(request.variableColumns.size(), 0);
  for (size_t v = 0; v < request.variableColumns.size(); ++v) {
    if (DerivedOf(request, request.variableColumns[v])) continue;
    plan.slotOf[v] = plan.columns.size();
    plan.columns.push_back(request.variableColumns[v]);
  }
  plan.tabulatedSlots = plan.columns.size();
  for (int column : request.variableColumns) {
    const DerivedVariable* derived = DerivedOf(request, column);
    if (!derived) continue;
    for (int operand : derived->rows->operandColumns()) {
      if (std::find(plan.columns.begin(), plan.columns.end(), operand) == plan.columns.end()) {
        plan.columns.push_back(operand);
      }
    }
  }
  return plan;
}

// Puts the run's variables in request order: the file columns read for
// themselves, and each computed variable worked out from its operands; the
// columns read only as operands go.
void ArrangeVariables(const RunRequest& request, const ReadPlan& plan, SurveyData& data) {
  std::vector<VariableColumn> arranged(request.variableColumns.size());
  for (size_t v = 0; v < request.variableColumns.size(); ++v) {
    const DerivedVariable* derived = DerivedOf(request, request.variableColumns[v]);
    if (!derived) continue;
    std::vector<const VariableColumn*> operands;
    for (int operand : derived->rows->operandColumns()) {
      const auto slot = std::find(plan.columns.begin(), plan.columns.end(), operand);
      operands.push_back(&data.variables[static_cast<size_t>(slot - plan.columns.begin())]);
    }
    arranged[v] = DeriveColumn(*derived, operands, data.rowCount);
  }
  for (size_t v = 0; v < request.variableColumns.size(); ++v) {
    if (!DerivedOf(request, request.variableColumns[v])) {
      arranged[v] = std::move(data.variables[plan.slotOf[v]]);
    }
  }
  data.variables = std::move(arranged);
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
// stop is requested.
std::vector<std::vector<std::string>> ComputeBlocks(const SurveyData& data,
                                                    const RunLayout& layout,
                                                    const RunRequest& request,
                                                    const RunControl& control,
                                                    ProgressReporter& reporter,
                                                    const PersonRun& run) {
  const size_t variables = data.variables.size();
  std::vector<std::vector<std::string>> blocks(variables);
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
        if (const DerivedVariable* derived = DerivedOf(request, request.variableColumns[v])) {
          blocks[v].insert(blocks[v].end() - 1, FormulaLine(derived->formula));
        }
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

// The names of a UTF-8 file's tabulated columns in the code page 932 of the
// report (operands are not named in it); the column of the first name that
// does not convert, or -1.
int ConvertNames(const ReadPlan& plan, const RunControl& control, SurveyData& data) {
  if (data.encoding != TextEncoding::utf8 || !control.utf8ToCp932) return -1;
  for (size_t slot = 0; slot < plan.tabulatedSlots; ++slot) {
    std::optional<std::string> name = control.utf8ToCp932(data.variables[slot].name);
    if (!name) return plan.columns[slot];
    data.variables[slot].name = std::move(*name);
  }
  return -1;
}

}  // namespace

RunOutcome TabulateVariables(const RunRequest& request, const LineSink& sink,
                             const RunControl& control) {
  if (!AcceptsColumns(request)) return {RunStatus::invalidColumn};
  ProgressReporter reporter(control);
  SurveyData data;
  const ReadPlan plan = PlanReading(request);
  const RunStatus read = ReadSurveyData(
      request.fileName, request.columns, plan.columns, data,
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
  if (const int column = ConvertNames(plan, control, data); column >= 0) {
    return {RunStatus::nameNotConvertible, column};
  }
  ArrangeVariables(request, plan, data);
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
  }
  const std::vector<std::vector<std::string>> blocks =
      ComputeBlocks(tabulated, layout, request, control, reporter, run);
  // A stop during the last variables leaves some blocks unfilled: the run
  // hands over all of them or none.
  if (control.stop.stop_requested()) return {RunStatus::stopped};
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
