// The results tab "計算結果": the results pane, filling the tab.
#pragma once

#include <QWidget>

class NoticeBar;
class ResultsPane;

class ResultsTab : public QWidget {
 public:
  explicit ResultsTab(QWidget* parent = nullptr);

  ResultsPane& pane() const { return *RichEditKekka; }
  // Above the pane: what the last run left out of the report.
  NoticeBar& notice() const { return *notice_; }

 private:
  NoticeBar* notice_;
  ResultsPane* RichEditKekka;
};
