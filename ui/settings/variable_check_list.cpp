#include "ui/settings/variable_check_list.h"

#include <QMouseEvent>
#include <algorithm>

VariableCheckList::VariableCheckList(QWidget* parent) : QListWidget(parent) {}

void VariableCheckList::SetItems(const QStringList& labels) {
  clear();
  anchor_ = -1;
  addItems(labels);
  for (int i = 0; i < count(); ++i) {
    QListWidgetItem* entry = item(i);
    entry->setFlags(entry->flags() | Qt::ItemIsUserCheckable);
    entry->setCheckState(Qt::Unchecked);
  }
}

void VariableCheckList::SetAllChecked(bool checked) {
  for (int i = 0; i < count(); ++i) item(i)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void VariableCheckList::mousePressEvent(QMouseEvent* event) {
  const QModelIndex pressed = indexAt(event->position().toPoint());
  if (!pressed.isValid() || event->button() != Qt::LeftButton) {
    QListWidget::mousePressEvent(event);
    return;
  }
  // The press decides; the view's own handling, which ticks only on the box
  // and on release, is left out.
  const int row = pressed.row();
  if ((event->modifiers() & Qt::ShiftModifier) && anchor_ >= 0 && anchor_ < count()) {
    const Qt::CheckState state = item(anchor_)->checkState();
    for (int i = std::min(anchor_, row); i <= std::max(anchor_, row); ++i) {
      item(i)->setCheckState(state);
    }
  } else {
    QListWidgetItem* entry = item(row);
    entry->setCheckState(entry->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    anchor_ = row;
  }
  setCurrentRow(row);
  setFocus(Qt::MouseFocusReason);
  event->accept();
}

void VariableCheckList::mouseReleaseEvent(QMouseEvent* event) {
  if (indexAt(event->position().toPoint()).isValid() && event->button() == Qt::LeftButton) {
    event->accept();
    return;
  }
  QListWidget::mouseReleaseEvent(event);
}

void VariableCheckList::mouseDoubleClickEvent(QMouseEvent* event) {
  // A quick second click is a second tick, not an edit.
  mousePressEvent(event);
}
