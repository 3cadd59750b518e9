// kelvara-tab: the run command of the window, for scripts and for checking
// results. Prints the report blocks of the named analysis variables.
#include "cli/tab_command.h"

int main(int argc, char** argv) {
  return kelvara::RunTabCommandGuarded(
      argc, argv, [](const kelvara::RunRequest& request, const kelvara::LineSink& sink) {
        return kelvara::TabulateVariables(request, sink);
      });
}
