// The results tab "計算結果": the results pane, filling the tab.
#pragma once

#include <QWidget>

class ResultsPane;

class ResultsTab : public QWidget {
 public:
  explicit ResultsTab(QWidget* parent = nullptr);

  ResultsPane& pane() const { return *RichEditKekka; }

 private:
  ResultsPane* RichEditKekka;
};
