// Progress unit: the window shown while a survey data file is read or a run
// is computed, with what is being done and a button to stop it.
#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

class TFormProgress : public QDialog {
  Q_OBJECT

 public:
  explicit TFormProgress(QWidget* parent = nullptr);

  // Shows the window without blocking, centred on `owner`, with `caption` in
  // its title bar, no text yet, a busy bar and 中止 ready.
  void Begin(const QString& caption, const QWidget* owner);
  // What is being done, and how far: `value` of `maximum` (a busy bar when
  // `maximum` is 0).
  void ShowStatus(const QString& text, int value, int maximum);

 signals:
  // 中止 was pressed (or Esc).
  void stopRequested();
  // The window's close box: the work goes on unless the user, asked, stops it.
  void closeRequested();

 protected:
  void reject() override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QLabel* LabelStatus;
  QProgressBar* ProgressBar;
  QPushButton* ButtonStop;
};
