// Program entry: creates the three windows and runs the event loop.
#include <QApplication>

#include "ui/About.h"
#include "ui/Main.h"
#include "ui/Progress.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  MainForm = new TMainForm;
  AboutBox = new TAboutBox(MainForm);
  FormProgress = new TFormProgress(MainForm);
  MainForm->show();
  application.exec();
  return 0;
}
