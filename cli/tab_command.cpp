#include "cli/tab_command.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <new>
#include <optional>

#include "cli/column_lookup.h"
#include "cli/derived_variables.h"
#include "cli/reference_check.h"
#include "cli/reference_loading.h"
#include "cli/report_writer.h"
#include "cli/tab_options.h"
#include "cli/workbook_output.h"
#include "codec/cp932.h"
#include "engine/reading/ratio_table.h"
#include "platform/program_arguments.h"
#include "platform/standard_streams.h"
#include "platform/utf8_path.h"

namespace kelvara {

namespace {

constexpr int kExitRunFailed = 1;
constexpr int kExitBadUsage = 2;

int Fail(const std::string& message, int status) {
  WriteUtf8(stderr, "kelvara-tab: " + message + "\n");
  return status;
}

// Why a variance-ratio table could not be read.
std::string RatioTableMessage(const RatioTableProblem& problem, const std::string& fileName) {
  using Kind = RatioTableProblem::Kind;
  switch (problem.kind) {
    case Kind::cannotOpen: return "cannot open the variance-ratio table " + fileName;
    case Kind::cannotRead: return "cannot read the variance-ratio table " + fileName;
    default: break;
  }
  const char* what = problem.kind == Kind::fieldCount ? "needs 4 fields VAR,SEX,AGE,R"
                     : problem.kind == Kind::noVariable ? "names no variable"
                     : problem.kind == Kind::badSex     ? "SEX must be 1, 2 or 0 (both)"
                     : problem.kind == Kind::badAge     ? "AGE must be an age of the band or empty"
                                                        : "R must be a ratio of 0 or more such as 1.5";
  return "line " + std::to_string(problem.line) + " of the variance-ratio table " + fileName + " " +
         what;
}

// The usual-intake part of the request: every variable needs either persons
// with repeated days or a given ratio.
template <typename Resolve>
bool AddUsualIntake(const TabOptions& options, const std::vector<std::string>& labels,
                    RunRequest& request, Resolve& resolve, std::string& error) {
  request.design.usual.enabled = options.usual;
  request.design.usual.bootstrapReplicates = options.bootstrapReplicates;
  for (const auto& [name, ratio] : options.varianceRatios) {
    int column = -1;
    if (!resolve(name, "variance-ratio", column)) return false;
    if (std::find(request.variableColumns.begin(), request.variableColumns.end(), column) ==
        request.variableColumns.end()) {
      error = "--variance-ratio names " + name.text + ", which is not an analysis VARIABLE";
      return false;
    }
    request.design.usual.ratios.push_back({column, ratio});
  }
  if (!options.ratioTable.empty()) {
    RatioTableProblem problem;
    const auto table = ReadRatioTable(PathFromUtf8(options.ratioTable), problem);
    if (!table) {
      error = RatioTableMessage(problem, options.ratioTable);
      return false;
    }
    for (const RatioRow& row : *table) {
      int column = -1;
      if (!resolve(ColumnName{row.variable}, "variance-ratio", column)) return false;
      request.design.usual.ratios.push_back(GivenRatio(row, column));
    }
  }
  if (!options.usual || options.person.given()) return true;
  for (size_t v = 0; v < request.variableColumns.size(); ++v) {
    if (!request.design.usual.HasRatio(request.variableColumns[v])) {
      error = "--usual needs --person (repeated days) or --variance-ratio " + labels[v] +
              "=R for a survey of one day";
      return false;
    }
  }
  return true;
}

// A column as the window labels it, "3.年齢"; a computed variable by its
// name; empty for none.
std::string ColumnLabel(const std::vector<std::string>& header,
                        const std::vector<std::string>& variableNames, int column) {
  if (column < 0) return {};
  const auto index = static_cast<size_t>(column);
  if (index >= header.size()) return variableNames[index];
  return std::to_string(column + 1) + "." + header[index];
}

// Turns the named columns into a run request, and states its conditions as
// the report names things (for the workbook); false with `error` set when a
// column matches nothing. The classification columns are the file's; an
// analysis variable, and the options given per variable, may also name a
// computed variable, numbered on from the file's last column.
bool BuildRequest(const TabOptions& options, const std::vector<std::string>& header,
                  RunRequest& request, RunConditions& conditions, std::string& error,
                  std::vector<std::string>& notes) {
  auto resolveIn = [&](const std::vector<std::string>& names) {
    return [&error, &names](const ColumnName& name, const char* role, int& column) {
      if (!name.given()) {
        column = -1;
        return true;
      }
      const auto index = ResolveColumn(name, names, role, error);
      if (index) column = *index;
      return index.has_value();
    };
  };
  auto resolve = resolveIn(header);
  std::optional<std::vector<DerivedVariable>> derived =
      BuildDerivedVariables(options, header, error, notes);
  if (!derived) return false;
  std::vector<std::string> variableNames = header;
  for (const DerivedVariable& variable : *derived) variableNames.push_back(variable.name);
  auto resolveVariable = resolveIn(variableNames);
  request.fileName = PathFromUtf8(options.fileName);
  request.scheme = options.scheme;
  request.design = options.design;
  ColumnChoice& c = request.columns;
  if (!resolve(options.unit, "sampling-unit", c.unitColumn) ||
      !resolve(options.weight, "weight", c.weightColumn) ||
      !resolve(options.sex, "sex", c.sexColumn) || !resolve(options.age, "age", c.ageColumn) ||
      !resolve(options.pregnancy, "pregnant/lactating", c.pregnancyColumn) ||
      !resolve(options.strata, "stratum", request.design.strataColumn) ||
      !resolve(options.person, "person", request.design.usual.personColumn)) {
    return false;
  }
  for (const auto& [name, cutOff] : options.shareBelowFor) {
    int column = -1;
    if (!resolveVariable(name, "cut-off variable", column)) return false;
    request.design.shareBelowByColumn[column] = cutOff;
  }
  // The names of the file and columns as the user gave them: for the
  // provenance lines, and for the workbook's conditions.
  const auto label = [&](int column) { return ColumnLabel(header, variableNames, column); };
  Provenance names;
  // The full path, so that the line still names the file when the report
  // is read elsewhere; in the report's code page.
  std::error_code failed;
  const std::filesystem::path full =
      std::filesystem::absolute(PathFromUtf8(options.fileName), failed).lexically_normal();
  const std::string file = failed ? options.fileName : Utf8FromPath(full);
  names.file = Utf8ToCp932(file).value_or(file);
  names.unit = label(c.unitColumn);
  names.weight = label(c.weightColumn);
  names.strata = label(request.design.strataColumn);
  const std::time_t now = std::time(nullptr);
  char stamp[32] = {};
  if (const std::tm* local = std::localtime(&now)) {
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", local);
  }
  names.dateTime = stamp;
  if (options.provenance) request.provenance = names;
  if (!options.reference.empty()) {
    request.design.reference = LoadReferenceChoice(options, variableNames, error);
    if (!request.design.reference) return false;
  }
  // What each variable is called in messages: as the user named it.
  std::vector<std::string> labels;
  for (const ColumnName& variable : options.variables) {
    int column = -1;
    if (!resolveVariable(variable, "analysis variable", column)) return false;
    request.variableColumns.push_back(column);
    labels.push_back(variable.text);
  }
  // Computed variables not named among the variables follow them.
  for (const DerivedVariable& variable : *derived) {
    if (std::find(request.variableColumns.begin(), request.variableColumns.end(),
                  variable.column) == request.variableColumns.end()) {
      request.variableColumns.push_back(variable.column);
      labels.push_back(Cp932ToUtf8(variable.name));
    }
  }
  request.derived = std::move(*derived);
  request.design.energyAdjustment.method = options.energyAdjust;
  if (!resolveVariable(options.energy, "energy", request.design.energyAdjustment.energyColumn)) {
    return false;
  }
  for (const std::string& ratio : options.ratios) {
    const auto columns = ResolveRatio(ratio, variableNames, error);
    if (!columns) return false;
    request.design.ratios.push_back({columns->first, columns->second});
  }
  if (!AddUsualIntake(options, labels, request, resolveVariable, error)) return false;
  conditions = ConditionsOfRun(names, request.scheme, request.design, label);
  return true;
}

std::string DescribeFailure(RunOutcome outcome, const std::string& fileName) {
  switch (outcome.status) {
    case RunStatus::cannotOpen: return "cannot open the survey data file " + fileName;
    case RunStatus::noHeaderRow: return "the survey data file " + fileName + " holds no header row";
    case RunStatus::readError: return "cannot read the survey data file " + fileName;
    case RunStatus::invalidColumn: return "a column index out of range";
    case RunStatus::nameNotConvertible:
      return "the name of column " + std::to_string(outcome.column + 1) + " in " + fileName +
             " has a character that code page 932 lacks, so the report cannot carry it";
    case RunStatus::unitNotConvertible: {
      const std::string column = std::to_string(outcome.column + 1);
      return "列 " + column + " の見出しの単位「" + Cp932ToUtf8(outcome.unit.headerUnit) +
             "」を基準値表の " + outcome.unit.key + " の単位「" +
             Cp932ToUtf8(outcome.unit.tableUnit) +
             "」に換算できません（換算するのは g・mg・µg の間だけです）。見出しの単位を直すか、"
             "--nutrient " + column + "= でこの列を判定から外してください";
    }
    case RunStatus::stopped: return "the run was stopped";
    case RunStatus::ok: break;
  }
  return {};
}

// Where the persons outside every age band count: in totals that take their
// age, or nowhere.
std::string WhereCounted(const GroupCoverage& coverage) {
  const size_t nowhere = coverage.outsideEveryGroup;
  if (nowhere == 0) return "they count at most in totals that take every age";
  if (nowhere == coverage.outsideAgeBands) return "they count in no group, not even a total";
  return std::to_string(nowhere) + " of them count in no group, the others only in totals";
}

// Persons the report leaves out of every age band, said on standard error so
// that the report stays as it is.
void WarnOfCoverage(const GroupCoverage& coverage, SchemeId scheme) {
  const std::string name(SchemeName(scheme));
  if (coverage.outsideAgeBands > 0) {
    WriteUtf8(stderr, "kelvara-tab: note: " + std::to_string(coverage.outsideAgeBands) + " of " +
                          std::to_string(coverage.persons) +
                          " persons with usable sex, age and other classification cells are in "
                          "no age group of the " + name + " scheme (" + WhereCounted(coverage) +
                          "); check the --age column and the --scheme\n");
  }
  if (scheme != SchemeId::category && coverage.agesLookLikeCategories) {
    WriteUtf8(stderr, "kelvara-tab: note: every age is a whole number from 1 to 10: if the --age "
                      "column holds category numbers, use --scheme category\n");
  }
}

// Usual intakes of nutrients too seldom eaten for the daily-intake model,
// and persons whose rows disagree, said on standard error as in the report.
void WarnOfPersonDays(const RunOutcome& outcome, const std::vector<std::string>& header) {
  if (outcome.disagreeingPersons > 0) {
    const size_t n = outcome.disagreeingPersons;
    WriteUtf8(stderr, "kelvara-tab: note: " + std::to_string(n) +
                          (n == 1 ? " person has" : " persons have") +
                          " rows that disagree on weight, unit, stratum, sex, age or pregnancy; "
                          "the first row is taken\n");
  }
  for (const EpisodicIntake& one : outcome.episodic) {
    const std::string share = std::to_string(
        static_cast<int>(std::lround(100.0 * one.nonPositiveDays / one.days)));
    WriteUtf8(stderr, "kelvara-tab: warning: " + std::to_string(one.nonPositiveDays) + " of the " +
                          std::to_string(one.days) + " day values (" + share + " %) of " +
                          Cp932ToUtf8(header[static_cast<size_t>(one.column)]) +
                          " are 0 or less: the usual intake assumes a nutrient eaten daily, and "
                          "one eaten episodically needs a model of the chance of eating it too\n");
  }
}

// KELVARA_BOOTSTRAP_TRACE=FILE, for checking the bootstrap from outside
// (scripts/check_with_r.R): every replicate's draws and usual intakes, as
// lines "draw,COLUMN,REPLICATE,PERSON" and "usual,COLUMN,REPLICATE,PERSON,VALUE"
// (columns from 1, persons from 0 in the order of their first rows, replicate
// 0 the full sample).
class ReplicateTrace {
 public:
  explicit ReplicateTrace(const char* fileName) : out_(PathFromUtf8(fileName), std::ios::binary) {}

  void Write(const BootstrapReplicate& replicate) {
    std::string text;
    const std::string head = std::to_string(replicate.column + 1) + "," +
                             std::to_string(replicate.replicate) + ",";
    for (uint32_t person : replicate.drawnPersons) {
      text += "draw," + head + std::to_string(person) + "\n";
    }
    for (size_t p = 0; p < replicate.usual.size(); ++p) {
      char number[32] = {};
      if (!std::isnan(replicate.usual[p])) {
        std::to_chars(number, number + sizeof number - 1, replicate.usual[p]);
      }
      text += "usual," + head + std::to_string(p) + "," + number + "\n";
    }
    std::lock_guard lock(mutex_);
    out_ << text;
  }

 private:
  std::ofstream out_;
  std::mutex mutex_;
};

// --xlsx-from: the workbook of a saved results file.
int ConvertResultsFile(const TabOptions& options) {
  if (SameFile(options.workbookFile, options.resultsFile)) {
    return Fail("--xlsx-from would write the workbook over the results file " +
                    options.resultsFile,
                kExitBadUsage);
  }
  std::string error;
  const auto lines = ResultsFileLines(options.resultsFile, error);
  if (!lines) return Fail(error, kExitRunFailed);
  const auto workbook = WorkbookBytes(*lines, {}, error);
  if (!workbook || !WriteWorkbookFile(options.workbookFile, *workbook, error)) {
    return Fail(error, kExitRunFailed);
  }
  return 0;
}

}  // namespace

int RunTabCommand(const std::vector<std::string>& args, const Tabulator& tabulate) {
  if (!args.empty() && args.front() == "--check-reference") {
    return RunReferenceCheck({args.begin() + 1, args.end()});
  }
  std::string error;
  const auto options = ParseTabOptions(args, error);
  if (!options) return Fail(error, kExitBadUsage);
  if (options->help) {
    std::fputs(kTabUsage, stdout);
    return 0;
  }
  if (!options->resultsFile.empty()) return ConvertResultsFile(*options);
  const auto header = ReadHeaderRow(PathFromUtf8(options->fileName), error);
  if (!header) return Fail(error, kExitRunFailed);
  RunRequest request;
  RunConditions conditions;
  std::vector<std::string> notes;
  if (!BuildRequest(*options, *header, request, conditions, error, notes)) {
    return Fail(error, kExitBadUsage);
  }
  for (const std::string& note : notes) WriteUtf8(stderr, "kelvara-tab: note: " + note + "\n");
  if (!options->workbookFile.empty() && (SameFile(options->workbookFile, options->fileName) ||
                                         SameFile(options->workbookFile, options->outputFile))) {
    return Fail("--xlsx names the survey data file or the -o file: give the workbook a name "
                "of its own",
                kExitBadUsage);
  }

  std::optional<ReplicateTrace> trace;
  if (const char* traceFile = std::getenv("KELVARA_BOOTSTRAP_TRACE")) {
    trace.emplace(traceFile);
    request.design.usual.replicateTrace = [&](const BootstrapReplicate& r) { trace->Write(r); };
  }
  std::vector<std::string> lines;
  const RunOutcome outcome =
      tabulate(request, [&](std::string_view line) { lines.emplace_back(line); });
  if (outcome.status != RunStatus::ok) {
    return Fail(DescribeFailure(outcome, options->fileName), kExitRunFailed);
  }
  // The workbook is made before anything is written, so that a workbook that
  // cannot be made leaves no report behind either.
  std::optional<std::string> workbook;
  if (!options->workbookFile.empty()) {
    const RunSpan run{0, lines.size(), conditions};
    workbook = WorkbookBytes(lines, std::span(&run, 1), error);
    if (!workbook) return Fail(error, kExitRunFailed);
  }

  ReportWriter writer(PathFromUtf8(options->outputFile), options->utf8);
  if (!writer.Open(error)) return Fail(error, kExitRunFailed);
  for (const std::string& line : lines) writer.WriteLine(line);
  if (!writer.Commit(error)) return Fail(error, kExitRunFailed);
  if (workbook && !WriteWorkbookFile(options->workbookFile, *workbook, error)) {
    return Fail(error, kExitRunFailed);
  }
  WarnOfCoverage(outcome.coverage, options->scheme);
  WarnOfPersonDays(outcome, *header);
  return 0;
}

int RunTabCommandGuarded(int argc, char** argv, const Tabulator& tabulate) {
  UseBinaryStandardStreams();
  try {
    return RunTabCommand(ProgramArguments(argc, argv), tabulate);
  } catch (const std::bad_alloc&) {
    return Fail("out of memory: the survey data file is too large for this machine",
                kExitRunFailed);
  } catch (const std::exception& e) {
    return Fail(e.what(), kExitRunFailed);
  }
}

}  // namespace kelvara
