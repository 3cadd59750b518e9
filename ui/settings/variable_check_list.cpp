#include "ui/settings/variable_check_list.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>

namespace {

// Between the box and its label, and above and below the box, in logical pixels.
constexpr int kBoxGap = 5;
constexpr int kRowPadding = 2;

// An item drawn as box, gap, label. The styles' own layout leaves the box a
// pixel from its label, and where a style draws the box larger than the room
// it keeps for it (the Windows style at high dpi), over the label and over
// the box of the next row; here each box has a row of its own and its label
// starts clear of it.
class CheckItemDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QSize box = BoxSize(item);
    const int textWidth = item.fontMetrics.horizontalAdvance(item.text);
    return QSize(kBoxGap + box.width() + kBoxGap + textWidth + kBoxGap,
                 std::max(box.height(), item.fontMetrics.height()) + 2 * kRowPadding);
  }

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QWidget* widget = item.widget;
    const QStyle* style = widget != nullptr ? widget->style() : QApplication::style();

    // The row's background, selection and focus, as the style draws them.
    QStyleOptionViewItem row = item;
    row.text.clear();
    row.features &= ~QStyleOptionViewItem::HasCheckIndicator;
    style->drawControl(QStyle::CE_ItemViewItem, &row, painter, widget);

    const QSize boxSize = BoxSize(item);
    const QRect box(QPoint(item.rect.left() + kBoxGap,
                           item.rect.top() + (item.rect.height() - boxSize.height()) / 2),
                    boxSize);
    QStyleOptionViewItem check = item;
    check.rect = box;
    check.state &= ~QStyle::State_HasFocus;
    check.state |= item.checkState == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
    style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &check, painter, widget);

    QRect label = item.rect;
    label.setLeft(box.right() + 1 + kBoxGap);
    const bool selected = item.state & QStyle::State_Selected;
    const QPalette::ColorGroup group =
        !(item.state & QStyle::State_Enabled) ? QPalette::Disabled
        : (item.state & QStyle::State_Active) ? QPalette::Active
                                              : QPalette::Inactive;
    painter->save();
    painter->setFont(item.font);
    painter->setPen(item.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(label, Qt::AlignLeft | Qt::AlignVCenter,
                      item.fontMetrics.elidedText(item.text, Qt::ElideRight, label.width()));
    painter->restore();
  }

 private:
  static QSize BoxSize(const QStyleOptionViewItem& item) {
    const QStyle* style = item.widget != nullptr ? item.widget->style() : QApplication::style();
    return QSize(style->pixelMetric(QStyle::PM_IndicatorWidth, &item, item.widget),
                 style->pixelMetric(QStyle::PM_IndicatorHeight, &item, item.widget));
  }
};

}  // namespace

VariableCheckList::VariableCheckList(QWidget* parent) : QListWidget(parent) {
  setItemDelegate(new CheckItemDelegate(this));
  setUniformItemSizes(true);
}

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

void VariableCheckList::SetAllChecked(bool checked, const std::vector<int>& leftAlone) {
  for (int i = 0; i < count(); ++i) {
    if (std::find(leftAlone.begin(), leftAlone.end(), i) != leftAlone.end()) continue;
    item(i)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
  }
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
