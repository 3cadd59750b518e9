#include "engine/tabulation.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <exception>
#include <iterator>
#include <mutex>
#include <system_error>
#include <thread>

#include "engine/report/energy_adjusted_lines.h"
#include "engine/report/ratio_block.h"
#include "engine/reading/derived_column.h"
#include "engine/report/formula_line.h"
#include "engine/report/usual_intake_lines.h"
#include "engine/report/variable_block.h"
#include "engine/statistics/column_figures.h"
#include "engine/statistics/energy_adjustment.h"
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
  const EnergyAdjustment& energy = request.design.energyAdjustment;
  const bool added =
      (!energy.enabled() || energy.energyColumn >= 0) &&
      std::all_of(request.design.ratios.begin(), request.design.ratios.end(),
                  [](const RatioOfTotals& r) {
                    return r.numeratorColumn >= 0 && r.denominatorColumn >= 0;
                  });
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
  return required && optional && variables && added && distinct;
}

const DerivedVariable* DerivedOf(const RunRequest& request, int column) {
  for (const DerivedVariable& derived : request.derived) {
    if (derived.column == column) return &derived;
  }
  return nullptr;
}

// The columns a run's blocks use, in the order the data holds them once read:
// the analysis variables, then those the added blocks need that are not among
// them (the energy column, the ratios' columns), each once. Any may be a file
// column or a computed variable.
std::vector<int> ColumnsUsed(const RunRequest& request) {
  std::vector<int> columns = request.variableColumns;
  auto add = [&](int column) {
    if (std::find(columns.begin(), columns.end(), column) == columns.end()) {
      columns.push_back(column);
    }
  };
  if (request.design.energyAdjustment.enabled()) add(request.design.energyAdjustment.energyColumn);
  for (const RatioOfTotals& ratio : request.design.ratios) {
    add(ratio.numeratorColumn);
    add(ratio.denominatorColumn);
  }
  return columns;
}

// The position among the columns used of the column `column`.
size_t ReadIndex(const std::vector<int>& columnsUsed, int column) {
  const auto found = std::find(columnsUsed.begin(), columnsUsed.end(), column);
  assert(found != columnsUsed.end() && "a column the run reads");
  return static_cast<size_t>(found - columnsUsed.begin());
}

// The file columns a run reads: first the file columns it uses, one slot
// each in the order used, then every operand of a computed variable that is
// not among them.
struct ReadPlan {
  std::vector<int> used;           // ColumnsUsed
  std::vector<int> columns;        // what the reader reads, by slot
  std::vector<size_t> slotOf;      // per column used: its slot (file columns)
  size_t namedSlots = 0;           // slots [0, namedSlots) are named in the report
};

ReadPlan PlanReading(const RunRequest& request) {
  ReadPlan plan;
  plan.used = ColumnsUsed(request);
  plan.slotOf.assign(plan.used.size(), 0);
  for (size_t u = 0; u < plan.used.size(); ++u) {
    if (DerivedOf(request, plan.used[u])) continue;
    plan.slotOf[u] = plan.columns.size();
    plan.columns.push_back(plan.used[u]);
  }
  plan.namedSlots = plan.columns.size();
  for (int column : plan.used) {
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

// Puts the columns used in their order: the file columns read for
// themselves, and each computed variable worked out from its operands; the
// columns read only as operands go.
void ArrangeVariables(const RunRequest& request, const ReadPlan& plan, SurveyData& data) {
  std::vector<VariableColumn> arranged(plan.used.size());
  for (size_t u = 0; u < plan.used.size(); ++u) {
    const DerivedVariable* derived = DerivedOf(request, plan.used[u]);
    if (!derived) continue;
    std::vector<const VariableColumn*> operands;
    for (int operand : derived->rows->operandColumns()) {
      const auto slot = std::find(plan.columns.begin(), plan.columns.end(), operand);
      operands.push_back(&data.variables[static_cast<size_t>(slot - plan.columns.begin())]);
    }
    arranged[u] = DeriveColumn(*derived, operands, data.rowCount);
  }
  for (size_t u = 0; u < plan.used.size(); ++u) {
    if (!DerivedOf(request, plan.used[u])) {
      arranged[u] = std::move(data.variables[plan.slotOf[u]]);
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

// Adds to variable v's block what a person column and the usual intake ask;
// a usual intake of mostly non-positive days is warned of in `episodic`.
void ExtendBlock(const PersonRun& run, const RunLayout& layout, const RunRequest& request,
                 const DesignOptions& design, size_t v, std::vector<std::string>& block,
                 ColumnWorkspace& workspace, std::optional<EpisodicIntake>& episodic) {
  if (run.byPerson) {
    block.insert(block.end() - 1, FirstRowsLine(run.persons.personCount(), run.days->rowCount,
                                                run.persons.disagreeingPersons));
  }
  if (request.design.usual.enabled) {
    const UsualIntakeFigures figures =
        ComputeUsualIntakeFigures(*run.days, run.persons, layout, v, request.variableColumns[v],
                                  request.design.usual, design, workspace);
    if (figures.figures && figures.fit.MostlyEpisodic()) {
      episodic = EpisodicIntake{request.variableColumns[v], figures.fit.replacedDays,
                                figures.fit.days};
    }
    std::vector<std::string> usual =
        UsualIntakeBlockLines(run.days->variables[v].name, figures, layout, design);
    block.insert(block.end(), std::make_move_iterator(usual.begin()),
                 std::make_move_iterator(usual.end()));
  }
}

// Adds to variable v's blocks that of its intakes adjusted for energy, unless
// it is the energy column itself.
void AddEnergyAdjustedBlock(const SurveyData& data, const RunLayout& layout,
                            const RunRequest& request, const std::vector<int>& columnsRead,
                            const DesignOptions& design, size_t v,
                            std::vector<std::string>& blocks, ColumnWorkspace& workspace) {
  const EnergyAdjustment& adjustment = request.design.energyAdjustment;
  if (!adjustment.enabled() || request.variableColumns[v] == adjustment.energyColumn) return;
  const VariableColumn& energy = data.variables[ReadIndex(columnsRead, adjustment.energyColumn)];
  const EnergyAdjustedIntakes intakes =
      AdjustForEnergy(data.variables[v], energy, data, layout, adjustment.method);
  // Reference values hold for intakes, not for intakes adjusted to a mean
  // energy or per 1000 kcal: the block is judged against no nutrient.
  const ColumnFigures figures = ComputeColumnFigures(intakes.adjusted, layout, workspace, design);
  std::vector<std::string> lines =
      EnergyAdjustedBlockLines(data.variables[v].name, energy.name, adjustment.method, intakes,
                               figures, layout.groups, design);
  blocks.insert(blocks.end(), std::make_move_iterator(lines.begin()),
                std::make_move_iterator(lines.end()));
}

// The block of the request's r-th ratio of totals.
std::vector<std::string> RatioBlock(const SurveyData& data, const RunLayout& layout,
                                    const RunRequest& request,
                                    const std::vector<int>& columnsRead, size_t r,
                                    ColumnWorkspace& workspace) {
  const RatioOfTotals& ratio = request.design.ratios[r];
  const VariableColumn& numerator = data.variables[ReadIndex(columnsRead, ratio.numeratorColumn)];
  const VariableColumn& denominator =
      data.variables[ReadIndex(columnsRead, ratio.denominatorColumn)];
  const ColumnFigures figures =
      ComputeRatioFigures(numerator, denominator, layout, workspace, request.design);
  return RatioBlockLines(numerator.name, denominator.name, figures, layout.groups,
                         request.design);
}

// Computes the blocks of all variables, then of the ratios, each on whichever
// worker takes it next; blocks land at their index, so the order of the
// report does not depend on the workers. Workers take no new block once a
// stop is requested. `gaps` receives, per variable, who was not judged.
std::vector<std::vector<std::string>> ComputeBlocks(
    const SurveyData& data, const RunLayout& layout, const RunRequest& request,
    const std::vector<int>& columnsRead, const RunControl& control, ProgressReporter& reporter,
    const PersonRun& run, std::vector<std::optional<EpisodicIntake>>& episodic,
    std::vector<std::vector<JudgingGap>>& gaps) {
  const size_t variables = request.variableColumns.size();
  const size_t items = variables + request.design.ratios.size();
  std::vector<std::vector<std::string>> blocks(items);
  episodic.assign(variables, std::nullopt);
  gaps.assign(variables, {});
  unsigned threads = control.threads;
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  threads = static_cast<unsigned>(std::min<size_t>(threads, items));

  std::atomic<size_t> next{0};
  std::exception_ptr failure;
  std::mutex failureMutex;
  auto work = [&] {
    try {
      ColumnWorkspace workspace;
      for (size_t v = next++; v < items && !control.stop.stop_requested(); v = next++) {
        RunProgress progress;
        progress.stage = RunProgress::Stage::computing;
        progress.rowsRead = data.rowCount;
        progress.variableNumber = v + 1;
        progress.variableCount = items;
        progress.column = v < variables ? request.variableColumns[v]
                                        : request.design.ratios[v - variables].numeratorColumn;
        reporter.Report(progress);
        if (v >= variables) {
          blocks[v] = RatioBlock(data, layout, request, columnsRead, v - variables, workspace);
          continue;
        }
        const DesignOptions design = request.design.ForColumn(request.variableColumns[v]);
        const ColumnFigures figures = ComputeColumnFigures(
            data.variables[v], layout, workspace, design, ColumnNutrient(layout, design, v));
        blocks[v] = VariableBlockLines(data.variables[v].name, figures, layout.groups, design);
        if (figures.nutrient) {
          gaps[v] = DescribeNotJudged(*figures.nutrient, figures.personsOfClass);
        }
        if (const DerivedVariable* derived = DerivedOf(request, request.variableColumns[v])) {
          blocks[v].insert(blocks[v].end() - 1, FormulaLine(derived->formula));
        }
        ExtendBlock(run, layout, request, design, v, blocks[v], workspace, episodic[v]);
        AddEnergyAdjustedBlock(data, layout, request, columnsRead, design, v, blocks[v],
                               workspace);
      }
    } catch (...) {
      std::lock_guard lock(failureMutex);
      if (!failure) failure = std::current_exception();
      next = items;  // the others stop at their next block
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

// The names of a UTF-8 file's columns named in the report, in its code page
// 932 (operands are not named in it); the column of the first name that does
// not convert, or -1.
int ConvertNames(const ReadPlan& plan, const RunControl& control, SurveyData& data) {
  if (data.encoding != TextEncoding::utf8 || !control.utf8ToCp932) return -1;
  for (size_t slot = 0; slot < plan.namedSlots; ++slot) {
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
  // Persons, not person-days: each counted once, by the row the report
  // classifies them by.
  RunOutcome outcome;
  outcome.coverage = CountGroupCoverage(tabulated, scheme);
  if (request.variableColumns.empty() && request.design.ratios.empty()) return outcome;
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
  std::vector<std::optional<EpisodicIntake>> episodic;
  std::vector<std::vector<JudgingGap>> gaps;
  const std::vector<std::vector<std::string>> blocks = ComputeBlocks(
      tabulated, layout, request, plan.used, control, reporter, run, episodic, gaps);
  // A stop during the last variables leaves some blocks unfilled: the run
  // hands over all of them or none.
  if (control.stop.stop_requested()) return {RunStatus::stopped};
  outcome.disagreeingPersons = run.persons.disagreeingPersons;
  for (const std::optional<EpisodicIntake>& one : episodic) {
    if (one) outcome.episodic.push_back(*one);
  }
  for (size_t v = 0; v < gaps.size(); ++v) {
    if (gaps[v].empty()) continue;
    outcome.judging.push_back({request.variableColumns[v], tabulated.variables[v].name,
                               std::move(gaps[v])});
  }
  for (size_t v = 0; v < blocks.size(); ++v) {
    if (request.provenance) {
      const int column = v < request.variableColumns.size() ? request.variableColumns[v] : -1;
      sink(ProvenanceLine(*request.provenance, scheme, request.design.ForColumn(column)));
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
