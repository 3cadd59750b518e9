#include "tests/ui/ui_test_support.h"

#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QTableView>

#include "ui/about/about_box.h"
#include "ui/window/main_window.h"
#include "ui/window/progress_window.h"
#include "ui/results/results_pane.h"
#include "ui/settings/survey_grid_model.h"

bool ScriptedDialogs::Execute(TFileDialog& dialog) {
  offeredFileNames.append(dialog.fileName);
  offeredDirectories.append(dialog.directory);
  filters.append(dialog.filter);
  if (fileAnswers.empty()) return false;
  const std::optional<QString> answer = fileAnswers.front();
  fileAnswers.pop_front();
  if (!answer) return false;
  dialog.fileName = *answer;
  return true;
}

bool ScriptedDialogs::ExecutePrint(QPrinter& printer) { return onPrint && onPrint(printer); }

bool ScriptedDialogs::ExecuteDialog(QDialog& dialog) { return onDialog && onDialog(dialog); }

bool ScriptedDialogs::ExecutePrintSetup(QPrinter& printer) {
  return onPrintSetup && onPrintSetup(printer);
}

void ScriptedDialogs::ShowError(const QString& text) { errors.append(text); }

bool ScriptedDialogs::Confirm(const QString& text) {
  questions.append(text);
  if (confirmAnswers.empty()) return false;
  const bool answer = confirmAnswers.front();
  confirmAnswers.pop_front();
  return answer;
}

DialogService::SaveAnswer ScriptedDialogs::AskToSave(const QString& text) {
  if (saveAnswers.empty()) return DialogService::AskToSave(text);
  questions.append(text);
  const SaveAnswer answer = saveAnswers.front();
  saveAnswers.pop_front();
  return answer;
}

TestWindows::TestWindows(ScriptedDialogs& dialogs, const QString& settingsFile) {
  CreateWindows(settingsFile.isEmpty() ? settingsDir_.filePath(QStringLiteral("kelvara.ini"))
                                       : settingsFile);
  MainForm->SetDialogService(&dialogs);
}

TestWindows::~TestWindows() { DestroyWindows(); }

ResultsPane* Pane() { return Find<ResultsPane>("RichEditKekka"); }

SurveyGridModel* Grid() {
  return static_cast<SurveyGridModel*>(Find<QTableView>("StringGridDietFile")->model());
}

QString WriteFile(const QTemporaryDir& dir, const QString& name, const std::string& bytes) {
  const QString path = dir.filePath(name);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
          static_cast<qint64>(bytes.size())) {
    qFatal("cannot write the test file %s", qPrintable(path));
  }
  return path;
}

std::string ReadBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll().toStdString();
}

void LoadSurveyFile(ScriptedDialogs& dialogs, const QString& path) {
  dialogs.fileAnswers.push_back(path);
  MainForm->Button1Click();
}

QStringList EntryTexts(const QComboBox* box) {
  QStringList texts;
  for (int i = 0; i < box->count(); ++i) texts.append(box->itemText(i));
  return texts;
}

QStringList ItemTexts(const QListWidget* list) {
  QStringList texts;
  for (int i = 0; i < list->count(); ++i) texts.append(list->item(i)->text());
  return texts;
}

std::string SmallSurveyBytes() {
  // ID,性別,年齢,妊婦,エネルギー,重み
  std::string bytes =
      "ID,\x90\xAB\x95\xCA,\x94N\x97\xEE,\x94\x44\x95\x77,\x83G\x83l\x83\x8B\x83M\x81[,"
      "\x8F\x64\x82\xDD\r\n";
  const char* rows[] = {
      "1,1,30,0,2100.5,1.2", "1,1,45,0,1980,0.8", "2,1,72,0,1650,1",  "2,2,28,1,1850,1.1",
      "1,2,33,2,2050,0.9",   "2,2,51,0,1720.25,1", "1,2,80,0,1400,1.3", "2,1,19,0,2600,1",
      "1,1,55,,2200,1",      "2,2,40,0,NA,1",      "1,1,8,0,1500,1",    "2,2,12,0,1700,1",
  };
  for (const char* row : rows) bytes += std::string(row) + "\r\n";
  return bytes;
}
