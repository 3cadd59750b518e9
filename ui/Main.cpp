#include "ui/Main.h"

#include "ui/browser_command.h"

TMainForm* MainForm = nullptr;

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) { setWindowTitle("Kelvara"); }

std::string TMainForm::ReadRegistryDefault(const std::string& key) {
  return ReadRegistryDefaultValue(key);
}
