// A notice across the top of a tab: what the user should know about the
// last command without a box to click away, until it is closed or replaced.
#pragma once

#include <QFrame>

class QLabel;
class QToolButton;

class NoticeBar : public QFrame {
  Q_OBJECT

 public:
  explicit NoticeBar(QWidget* parent = nullptr);

  // Shows `text` in place of any earlier notice; an empty text hides the bar.
  void Show(const QString& text);
  void Clear() { Show(QString()); }
  QString text() const;

 private:
  QLabel* text_;
  QToolButton* close_;
};
