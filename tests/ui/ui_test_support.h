// Shared pieces of the window tests: scripted dialogs, test files, the
// windows created as the program creates them.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/window/main_window.h"
#include "ui/dialogs/common_dialogs.h"
#include "ui/window/program_entry.h"

class QComboBox;
class QListWidget;
class ResultsPane;
class SurveyGridModel;

// Answers the window's dialogs from queues and records what was asked.
// A dialog shown with no answer queued counts as cancelled (or No).
class ScriptedDialogs : public DialogService {
 public:
  std::deque<std::optional<QString>> fileAnswers;  // nullopt: cancel
  std::deque<bool> confirmAnswers;
  // Answers to the question before unsaved results are lost; while none is
  // queued, the question is answered as a Yes/No question from confirmAnswers.
  std::deque<SaveAnswer> saveAnswers;
  std::function<bool(QPrinter&)> onPrint;
  std::function<bool(QPrinter&)> onPrintSetup;
  std::function<bool(QDialog&)> onDialog;  // fills in and answers a dialog

  QStringList errors;
  QStringList questions;
  QStringList offeredFileNames;    // the name each file dialog offered
  QStringList offeredDirectories;  // the folder each file dialog offered
  QStringList filters;

  bool Execute(TFileDialog& dialog) override;
  bool ExecutePrint(QPrinter& printer) override;
  bool ExecutePrintSetup(QPrinter& printer) override;
  bool ExecuteDialog(QDialog& dialog) override;
  void ShowError(const QString& text) override;
  bool Confirm(const QString& text) override;
  SaveAnswer AskToSave(const QString& text) override;
};

// Creates MainForm, AboutBox and FormProgress as the program does, with the
// dialogs answered by `dialogs`, and settings kept in `settingsFile` (a fresh
// file of its own when empty); destroys them when it goes.
class TestWindows {
 public:
  explicit TestWindows(ScriptedDialogs& dialogs, const QString& settingsFile = QString());
  ~TestWindows();
  TestWindows(const TestWindows&) = delete;
  TestWindows& operator=(const TestWindows&) = delete;

 private:
  QTemporaryDir settingsDir_;
};

// A control of the main window by its object name; the test stops when
// there is none.
template <typename Control>
Control* Find(const char* name) {
  Control* control = MainForm == nullptr ? nullptr
      : MainForm->findChild<Control*>(QString::fromLatin1(name));
  if (control == nullptr) qFatal("the main window has no %s", name);
  return control;
}
ResultsPane* Pane();
SurveyGridModel* Grid();

// A file of the given bytes in `dir`; returns its full path.
QString WriteFile(const QTemporaryDir& dir, const QString& name, const std::string& bytes);
std::string ReadBytes(const QString& path);

// Loads the survey data file through the open button.
void LoadSurveyFile(ScriptedDialogs& dialogs, const QString& path);

// The texts of a combo box's entries / a check list's items.
QStringList EntryTexts(const class QComboBox* box);
QStringList ItemTexts(const class QListWidget* list);

// A small code page 932 survey file: header ID,性別,年齢,妊婦,エネルギー,重み
// and rows of men and women with a few unusable cells.
std::string SmallSurveyBytes();
