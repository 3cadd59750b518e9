#include "cli/tab_command.h"

#include <cstdio>
#include <new>

#include "cli/column_lookup.h"
#include "cli/program_arguments.h"
#include "cli/reference_loading.h"
#include "cli/report_writer.h"
#include "cli/standard_streams.h"
#include "cli/tab_options.h"
#include "platform/utf8_path.h"

namespace kelvara {

namespace {

constexpr int kExitRunFailed = 1;
constexpr int kExitBadUsage = 2;

int Fail(const std::string& message, int status) {
  WriteUtf8(stderr, "kelvara-tab: " + message + "\n");
  return status;
}

// Turns the named columns into a run request; false with `error` set when a
// column matches nothing.
bool BuildRequest(const TabOptions& options, const std::vector<std::string>& header,
                  RunRequest& request, std::string& error) {
  auto resolve = [&](const ColumnName& name, const char* role, int& column) {
    if (!name.given()) {
      column = -1;
      return true;
    }
    const auto index = ResolveColumn(name, header, role, error);
    if (index) column = *index;
    return index.has_value();
  };
  request.fileName = PathFromUtf8(options.fileName);
  request.schemeItemIndex = options.schemeItemIndex;
  ColumnChoice& c = request.columns;
  if (!resolve(options.unit, "sampling-unit", c.unitColumn) ||
      !resolve(options.weight, "weight", c.weightColumn) ||
      !resolve(options.sex, "sex", c.sexColumn) || !resolve(options.age, "age", c.ageColumn) ||
      !resolve(options.pregnancy, "pregnant/lactating", c.pregnancyColumn) ||
      !resolve(options.strata, "stratum", request.design.strataColumn)) {
    return false;
  }
  request.design.confidenceInterval = options.confidenceInterval;
  request.design.coefficientOfVariation = options.coefficientOfVariation;
  request.design.designEffect = options.designEffect;
  request.design.shareBelow = options.shareBelow;
  request.design.medianInterval = options.medianInterval;
  if (!options.reference.empty()) {
    request.design.reference = LoadReferenceChoice(options, header, error);
    if (!request.design.reference) return false;
  }
  for (const ColumnName& variable : options.variables) {
    int column = -1;
    if (!resolve(variable, "analysis variable", column)) return false;
    request.variableColumns.push_back(column);
  }
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
    case RunStatus::stopped: return "the run was stopped";
    case RunStatus::ok: break;
  }
  return {};
}

}  // namespace

int RunTabCommand(const std::vector<std::string>& args, const Tabulator& tabulate) {
  std::string error;
  const auto options = ParseTabOptions(args, error);
  if (!options) return Fail(error, kExitBadUsage);
  if (options->help) {
    std::fputs(kTabUsage, stdout);
    return 0;
  }
  const auto header = ReadHeaderRow(PathFromUtf8(options->fileName), error);
  if (!header) return Fail(error, kExitRunFailed);
  RunRequest request;
  if (!BuildRequest(*options, *header, request, error)) return Fail(error, kExitBadUsage);

  std::vector<std::string> lines;
  const RunOutcome outcome =
      tabulate(request, [&](std::string_view line) { lines.emplace_back(line); });
  if (outcome.status != RunStatus::ok) {
    return Fail(DescribeFailure(outcome, options->fileName), kExitRunFailed);
  }

  ReportWriter writer(PathFromUtf8(options->outputFile), options->utf8);
  if (!writer.Open(error)) return Fail(error, kExitRunFailed);
  for (const std::string& line : lines) writer.WriteLine(line);
  if (!writer.Commit(error)) return Fail(error, kExitRunFailed);
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
