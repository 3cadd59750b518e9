// Program entry: creates the three windows and runs the event loop; a survey
// data file named on the command line is opened at start.
#include "ui/dialogs/common_dialogs.h"
#include "ui/window/kelvara_application.h"
#include "ui/window/program_entry.h"

int main(int argc, char** argv) {
  KelvaraApplication application(argc, argv);
  const auto failureDisplay = MakeToolkitDialogs(nullptr);
  return RunKelvara([] { CreateWindows(); }, *failureDisplay, QApplication::arguments());
}
