#include "ui/dialogs/summary_decimals_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/window/display_text.h"

namespace {

// A choice of decimals: 表示どおり (as printed), then 0 to the most.
QComboBox* DecimalsBox(int decimals) {
  auto* box = new QComboBox;
  box->addItem(QStringLiteral("表示どおり"), -1);
  for (int places = 0; places <= kelvara::kMostDecimals; ++places) {
    box->addItem(QStringLiteral("小数 %1 桁").arg(places), places);
  }
  box->setCurrentIndex(std::max(0, box->findData(decimals)));
  return box;
}

int Chosen(const QTableWidget* table, int row) {
  return qobject_cast<QComboBox*>(table->cellWidget(row, 1))->currentData().toInt();
}

}  // namespace

SummaryDecimalsDialog::SummaryDecimalsDialog(std::vector<std::string> variables,
                                             const kelvara::SummaryDecimals& initial,
                                             QWidget* parent)
    : QDialog(parent), variables_(std::move(variables)), initial_(initial) {
  setObjectName(QStringLiteral("SummaryDecimalsDialog"));
  setWindowTitle(QStringLiteral("一覧表の小数桁数"));
  auto* layout = new QVBoxLayout(this);
  auto* note = new QLabel(QStringLiteral(
      "一覧表（Excel の「一覧」シートと印刷）で、平均値・標準偏差・中央値と割合を小数何桁まで"
      "見せるかを変数ごとに選びます。\n表示どおりは計算結果の値（有効数字6桁）をそのまま見せます。"
      "Excel のセルには丸める前の値が入ります。"));
  note->setWordWrap(true);
  layout->addWidget(note);
  table_ = new QTableWidget(static_cast<int>(variables_.size()) + 1, 2, this);
  table_->setObjectName(QStringLiteral("decimals"));
  table_->setHorizontalHeaderLabels({QStringLiteral("変数"), QStringLiteral("小数桁数")});
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  table_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  for (size_t v = 0; v < variables_.size(); ++v) {
    const auto row = static_cast<int>(v);
    table_->setItem(row, 0, new QTableWidgetItem(DisplayText(variables_[v])));
    const auto own = initial_.byVariable.find(variables_[v]);
    table_->setCellWidget(row, 1, DecimalsBox(own == initial_.byVariable.end() ? -1 : own->second));
  }
  const int shares = static_cast<int>(variables_.size());
  table_->setItem(shares, 0, new QTableWidgetItem(QStringLiteral("割合(%)の行（すべての変数）")));
  table_->setCellWidget(shares, 1, DecimalsBox(initial_.shares));
  layout->addWidget(table_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->setObjectName(QStringLiteral("buttons"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  resize(480, std::min(640, 200 + 32 * table_->rowCount()));
}

kelvara::SummaryDecimals SummaryDecimalsDialog::decimals() const {
  kelvara::SummaryDecimals decimals = initial_;
  for (size_t v = 0; v < variables_.size(); ++v) {
    const int chosen = Chosen(table_, static_cast<int>(v));
    if (chosen < 0) {
      decimals.byVariable.erase(variables_[v]);
    } else {
      decimals.byVariable[variables_[v]] = chosen;
    }
  }
  decimals.shares = Chosen(table_, static_cast<int>(variables_.size()));
  return decimals;
}
