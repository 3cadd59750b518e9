// The help page: what each column of the report means, and why some figures
// look as they do.
#pragma once

#include <QDialog>

class QTextBrowser;

class HelpPage : public QDialog {
  Q_OBJECT

 public:
  explicit HelpPage(QWidget* parent = nullptr);

  // The page's text, as shown.
  QString text() const;

 private:
  QTextBrowser* browser_;
};
