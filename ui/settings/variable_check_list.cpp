#include "ui/settings/variable_check_list.h"

#include <QMouseEvent>

VariableCheckList::VariableCheckList(QWidget* parent) : QListWidget(parent) {}

void VariableCheckList::SetItems(const QStringList& labels) {
  clear();
  addItems(labels);
  for (int i = 0; i < count(); ++i) {
    QListWidgetItem* entry = item(i);
    entry->setFlags(entry->flags() | Qt::ItemIsUserCheckable);
    entry->setCheckState(Qt::Unchecked);
  }
}

void VariableCheckList::mousePressEvent(QMouseEvent* event) {
  const QModelIndex pressed = indexAt(event->position().toPoint());
  QListWidget::mousePressEvent(event);
  // The view lets the box take the press without moving the current item.
  if (pressed.isValid() && event->button() == Qt::LeftButton && currentIndex() != pressed) {
    setCurrentIndex(pressed);
  }
}
