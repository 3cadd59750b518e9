// kelvara-tab: the run command of the window, for scripts and for checking
// results. Prints the report blocks of the named analysis variables.
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "cli/column_lookup.h"
#include "cli/report_writer.h"
#include "cli/tab_options.h"
#include "engine/tabulation.h"

namespace {

constexpr int kExitRunFailed = 1;
constexpr int kExitBadUsage = 2;

int Fail(const std::string& message, int status) {
  std::fprintf(stderr, "kelvara-tab: %s\n", message.c_str());
  return status;
}

// Turns the named columns into a run request; false with `error` set when a
// column matches nothing.
bool BuildRequest(const kelvara::TabOptions& options, const std::vector<std::string>& header,
                  kelvara::RunRequest& request, std::string& error) {
  auto resolve = [&](const kelvara::ColumnName& name, const char* role, int& column) {
    if (!name.given()) {
      column = -1;
      return true;
    }
    const auto index = kelvara::ResolveColumn(name, header, role, error);
    if (index) column = *index;
    return index.has_value();
  };
  request.fileName = options.fileName;
  request.schemeItemIndex = options.schemeItemIndex;
  kelvara::ColumnChoice& c = request.columns;
  if (!resolve(options.unit, "sampling-unit", c.stratumColumn) ||
      !resolve(options.weight, "weight", c.weightColumn) ||
      !resolve(options.sex, "sex", c.sexColumn) || !resolve(options.age, "age", c.ageColumn) ||
      !resolve(options.pregnancy, "pregnant/lactating", c.pregnancyColumn)) {
    return false;
  }
  for (const kelvara::ColumnName& variable : options.variables) {
    int column = -1;
    if (!resolve(variable, "analysis variable", column)) return false;
    request.variableColumns.push_back(column);
  }
  return true;
}

std::string DescribeFailure(kelvara::RunStatus status, const std::string& fileName) {
  switch (status) {
    case kelvara::RunStatus::cannotOpen: return "cannot open the survey data file " + fileName;
    case kelvara::RunStatus::noHeaderRow: return "the survey data file " + fileName + " holds no header row";
    case kelvara::RunStatus::readError: return "cannot read the survey data file " + fileName;
    case kelvara::RunStatus::invalidColumn: return "a column index out of range";
    case kelvara::RunStatus::ok: break;
  }
  return {};
}

int Run(const std::vector<std::string>& args) {
  std::string error;
  const auto options = kelvara::ParseTabOptions(args, error);
  if (!options) return Fail(error, kExitBadUsage);
  if (options->help) {
    std::fputs(kelvara::kTabUsage, stdout);
    return 0;
  }
  const auto header = kelvara::ReadHeaderRow(options->fileName, error);
  if (!header) return Fail(error, kExitRunFailed);
  kelvara::RunRequest request;
  if (!BuildRequest(*options, *header, request, error)) return Fail(error, kExitBadUsage);

  std::vector<std::string> lines;
  const kelvara::RunStatus status =
      kelvara::TabulateVariables(request, [&](std::string_view line) { lines.emplace_back(line); });
  if (status != kelvara::RunStatus::ok) {
    return Fail(DescribeFailure(status, options->fileName), kExitRunFailed);
  }

  kelvara::ReportWriter writer(options->outputFile, options->utf8);
  if (!writer.Open(error)) return Fail(error, kExitRunFailed);
  for (const std::string& line : lines) writer.WriteLine(line);
  if (!writer.Commit(error)) return Fail(error, kExitRunFailed);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::bad_alloc&) {
    return Fail("out of memory: the survey data file is too large for this machine",
                kExitRunFailed);
  } catch (const std::exception& e) {
    return Fail(e.what(), kExitRunFailed);
  }
}
