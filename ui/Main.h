// Main unit: the main window.
#pragma once

#include <QMainWindow>
#include <string>

class TMainForm : public QMainWindow {
  Q_OBJECT

 public:
  explicit TMainForm(QWidget* parent = nullptr);

  std::string ReadRegistryDefault(const std::string& key);
};

extern TMainForm* MainForm;
