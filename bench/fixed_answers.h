// The window's dialogs answered without a person, for the window benchmarks:
// every file dialog with one path, every question with Yes, nothing printed.
#pragma once

#include <QString>
#include <QStringList>

#include "ui/dialogs/common_dialogs.h"

class FixedAnswers : public DialogService {
 public:
  QString path;
  QStringList errors;

  bool Execute(TFileDialog& dialog) override {
    dialog.fileName = path;
    return true;
  }
  bool ExecutePrint(QPrinter&) override { return false; }
  bool ExecutePrintSetup(QPrinter&) override { return false; }
  bool ExecuteDialog(QDialog&) override { return false; }
  void ShowError(const QString& text) override { errors.append(text); }
  bool Confirm(const QString&) override { return true; }
};
