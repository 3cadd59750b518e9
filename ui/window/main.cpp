// Program entry: creates the three windows and runs the event loop. The
// command line is not used.
#include "ui/dialogs/common_dialogs.h"
#include "ui/window/kelvara_application.h"
#include "ui/window/program_entry.h"

int main(int argc, char** argv) {
  KelvaraApplication application(argc, argv);
  const auto failureDisplay = MakeToolkitDialogs(nullptr);
  return RunKelvara([] { CreateWindows(); }, *failureDisplay);
}
