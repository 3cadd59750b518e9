// The analysis-variable list: a list whose items are ticked.
#pragma once

#include <QListWidget>
#include <vector>

class VariableCheckList : public QListWidget {
 public:
  explicit VariableCheckList(QWidget* parent = nullptr);

  // Items with unticked boxes, one per label.
  void SetItems(const QStringList& labels);
  // Ticks or unticks every item but those at the positions in `leftAlone`.
  void SetAllChecked(bool checked, const std::vector<int>& leftAlone = {});

 protected:
  // A click on an item, on its box or its label, ticks or unticks it and
  // makes it current, so that the keys (Down, Space) go on from there. A
  // click with Shift gives every item from the one clicked last to this one
  // the state the last click gave, as a range is ticked in a spreadsheet.
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  int anchor_ = -1;  // the item clicked last without Shift
};
