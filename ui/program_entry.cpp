#include "ui/program_entry.h"

#include <QApplication>
#include <QScreen>

#include "ui/About.h"
#include "ui/Main.h"
#include "ui/Progress.h"
#include "ui/handler_guard.h"

void CreateWindows() {
  MainForm = new TMainForm;
  AboutBox = new TAboutBox(MainForm);
  FormProgress = new TFormProgress(MainForm);
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
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      MainForm->move(screen->availableGeometry().center() - MainForm->rect().center());
    }
    MainForm->show();
    QApplication::exec();
  } catch (...) {
    ShowException(failureDisplay, std::current_exception());
  }
  DestroyWindows();
  return 0;
}
