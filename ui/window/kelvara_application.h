// The application object: Japanese texts for the toolkit's own dialogs, and
// a last-resort display for exceptions that escape an event.
#pragma once

#include <QApplication>

class KelvaraApplication : public QApplication {
 public:
  KelvaraApplication(int& argc, char** argv);

  // Every command catches its own exceptions (RunGuarded); this catches what
  // still escapes an event, shows it and lets the program go on.
  bool notify(QObject* receiver, QEvent* event) override;
};
