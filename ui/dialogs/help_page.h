// The help page: what each column and each kind of line of the report means,
// and why some figures look as they do.
#pragma once

#include <QDialog>

class QTextBrowser;

class HelpPage : public QDialog {
  Q_OBJECT

 public:
  explicit HelpPage(QWidget* parent = nullptr);

  // The page's text, as shown.
  QString text() const;
  // Scrolls to the paragraph of a topic's anchor (HelpTopic::anchor); the
  // top of the page for an empty one.
  void ShowTopic(const QString& anchor);

 private:
  QTextBrowser* browser_;
};
