// A group box of radio buttons, one column, with an item index.
#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QStringList>

class TRadioGroup : public QGroupBox {
  Q_OBJECT

 public:
  TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent = nullptr);

  // The checked item's position, or -1 when none is checked.
  int itemIndex() const { return buttons_->checkedId(); }
  void setItemIndex(int index);
  int itemCount() const { return static_cast<int>(buttons_->buttons().size()); }

 private:
  QButtonGroup* buttons_;
};
