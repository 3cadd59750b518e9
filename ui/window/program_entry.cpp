#include "ui/window/program_entry.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

#include "ui/about/about_box.h"
#include "ui/window/main_window.h"
#include "ui/window/progress_window.h"
#include "ui/window/handler_guard.h"

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

int RunKelvara(const std::function<void()>& createWindows, DialogService& failureDisplay,
               const QStringList& arguments) {
  try {
    createWindows();
    MainForm->show();
    // The window holds one survey file: of several named, the first is
    // opened. A relative name is taken from the folder the program started in.
    if (arguments.size() > 1) {
      const QString path = QFileInfo(arguments[1]).absoluteFilePath();
      QTimer::singleShot(0, MainForm, [path] { MainForm->OpenSurveyFile(path); });
    }
    QApplication::exec();
  } catch (...) {
    ShowException(failureDisplay, std::current_exception());
  }
  DestroyWindows();
  return 0;
}
