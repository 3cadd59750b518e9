// kelvara-tab-reference: kelvara-tab's command line over the straightforward
// tabulation, for comparing results and speed with the engine.
#include "cli/tab_command.h"
#include "tests/reference/reference_tabulation.h"

int main(int argc, char** argv) {
  return kelvara::RunTabCommandGuarded(
      argc, argv, [](const kelvara::RunRequest& request, const kelvara::LineSink& sink) {
        const kelvara::ColumnChoice& c = request.columns;
        for (int variable : request.variableColumns) {
          const std::vector<std::string> lines = kelvara::reference::TabulateVariable(
              request.fileName, c.unitColumn, c.sexColumn, c.ageColumn, c.pregnancyColumn,
              variable, c.weightColumn, request.scheme, request.design);
          if (lines.empty()) return kelvara::RunStatus::cannotOpen;
          for (const std::string& line : lines) sink(line);
        }
        return kelvara::RunStatus::ok;
      });
}
