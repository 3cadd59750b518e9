// Progress unit: the window shown while a survey data file is read.
#pragma once

#include <QDialog>

class TFormProgress : public QDialog {
  Q_OBJECT

 public:
  explicit TFormProgress(QWidget* parent = nullptr);
};

extern TFormProgress* FormProgress;
