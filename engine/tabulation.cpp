#include "engine/tabulation.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

#include "engine/run_layout.h"
#include "engine/variable_tabulation.h"

namespace kelvara {
namespace {

bool AcceptsColumns(const RunRequest& request) {
  const ColumnChoice& c = request.columns;
  const bool required = c.sexColumn >= 0 && c.ageColumn >= 0 && c.pregnancyColumn >= 0;
  const bool optional = c.stratumColumn >= -1 && c.weightColumn >= -1;
  const bool variables = std::all_of(request.variableColumns.begin(),
                                     request.variableColumns.end(),
                                     [](int column) { return column >= 0; });
  return required && optional && variables;
}

// Computes the blocks of all variables, each variable on whichever worker
// takes it next; blocks land at their variable's index, so the order of the
// report does not depend on the workers.
std::vector<std::vector<std::string>> ComputeBlocks(const SurveyData& data,
                                                    const RunLayout& layout, unsigned threads) {
  const size_t variables = data.variables.size();
  std::vector<std::vector<std::string>> blocks(variables);
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  threads = static_cast<unsigned>(std::min<size_t>(threads, variables));

  std::atomic<size_t> next{0};
  std::exception_ptr failure;
  std::mutex failureMutex;
  auto work = [&] {
    try {
      ColumnWorkspace workspace;
      for (size_t v = next++; v < variables; v = next++) {
        blocks[v] = TabulateColumn(data, layout, v, workspace);
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

}  // namespace

RunStatus TabulateVariables(const RunRequest& request, const LineSink& sink, unsigned threads) {
  if (!AcceptsColumns(request)) return RunStatus::invalidColumn;
  SurveyData data;
  const RunStatus read =
      ReadSurveyData(request.fileName, request.columns, request.variableColumns, data);
  if (read != RunStatus::ok) return read;
  if (request.variableColumns.empty()) return RunStatus::ok;

  const RunLayout layout = BuildRunLayout(data, SchemeForItemIndex(request.schemeItemIndex));
  const std::vector<std::vector<std::string>> blocks = ComputeBlocks(data, layout, threads);
  for (const auto& block : blocks) {
    for (const std::string& line : block) sink(line);
  }
  return RunStatus::ok;
}

RunStatus TabulateVariable(const std::filesystem::path& fileName, int stratumColumn, int sexColumn,
                           int ageColumn, int pregnancyColumn, int variableColumn,
                           int weightColumn, int schemeItemIndex, const LineSink& sink) {
  RunRequest request;
  request.fileName = fileName;
  request.columns = {stratumColumn, sexColumn, ageColumn, pregnancyColumn, weightColumn};
  request.variableColumns = {variableColumn};
  request.schemeItemIndex = schemeItemIndex;
  return TabulateVariables(request, sink);
}

}  // namespace kelvara
