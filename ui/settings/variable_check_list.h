// The analysis-variable list: a list whose items are ticked.
#pragma once

#include <QListWidget>

class VariableCheckList : public QListWidget {
 public:
  explicit VariableCheckList(QWidget* parent = nullptr);

  // Items with unticked boxes, one per label.
  void SetItems(const QStringList& labels);

 protected:
  // A click on an item's box ticks it and also makes the item current, so
  // that the keys (Down, Space) go on from the item the user touched.
  void mousePressEvent(QMouseEvent* event) override;
};
