#include "ui/program_entry.h"

#include <QApplication>

#include "ui/About.h"
#include "ui/Main.h"
#include "ui/Progress.h"
#include "ui/handler_guard.h"

TMainForm* MainForm = nullptr;
TAboutBox* AboutBox = nullptr;
TFormProgress* FormProgress = nullptr;

void CreateWindows(const QString& settingsFile) {
  MainForm = new TMainForm(settingsFile);
  AboutBox = new TAboutBox(MainForm);
  FormProgress = new TFormProgress(MainForm);
  MainForm->SetAboutBox(AboutBox);
  MainForm->SetProgressWindow(FormProgress);
}

void DestroyWindows() {
  delete MainForm;  // the about box and the progress window go with it
  MainForm = nullptr;
  AboutBox = nullptr;
  FormProgress = nullptr;
}

int RunKelvara(const std::function<void()>& createWindows, DialogService& failureDisplay) {
  try {
    createWindows();
    MainForm->show();
    QApplication::exec();
  } catch (...) {
    ShowException(failureDisplay, std::current_exception());
  }
  DestroyWindows();
  return 0;
}
