// Progress unit: the window shown while a survey data file is read.
#pragma once

#include <QDialog>
#include <QElapsedTimer>

class QProgressBar;

class TFormProgress : public QDialog {
  Q_OBJECT

 public:
  explicit TFormProgress(QWidget* parent = nullptr);

  QProgressBar* ProgressBar;

  // Sets the bar and, every so often, lets the window paint itself while the
  // reading command holds the event loop; no user input is taken meanwhile.
  void SetPosition(int position);
  // Shows the window without blocking, centred on `owner`, painted at once.
  void ShowCentredOn(const QWidget* owner);

 private:
  QElapsedTimer paintTimer_;
};

extern TFormProgress* FormProgress;
