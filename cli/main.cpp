// kelvara-tab: the run command of the window, for scripts and for checking
// results. Prints the report blocks of the named analysis variables.
#include "cli/tab_command.h"
#include "codec/cp932.h"

int main(int argc, char** argv) {
  return kelvara::RunTabCommandGuarded(
      argc, argv, [](const kelvara::RunRequest& request, const kelvara::LineSink& sink) {
        kelvara::RunControl control;
        // The names of a UTF-8 survey file reach the report in code page 932.
        control.utf8ToCp932 = [](std::string_view name) { return kelvara::Utf8ToCp932(name); };
        return kelvara::TabulateVariables(request, sink, control);
      });
}
