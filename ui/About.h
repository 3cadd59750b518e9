// About unit: the about box (program title, version, terms, download page).
#pragma once

#include <QDialog>

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutBox(QWidget* parent = nullptr);

  void Label4DblClick();
};

extern TAboutBox* AboutBox;
