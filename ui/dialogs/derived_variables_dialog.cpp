#include "ui/dialogs/derived_variables_dialog.h"

#include <QComboBox>
#include <QEvent>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/dialogs/formula_messages.h"

namespace {

enum TableColumn { kNameColumn, kExpressionColumn, kCheckColumn };

}  // namespace

DerivedVariablesDialog::DerivedVariablesDialog(
    const QStringList& columnLabels, const QStringList& headerTexts,
    const std::vector<kelvara::DerivedDefinition>& definitions, QWidget* parent)
    : QDialog(parent), headerTexts_(headerTexts) {
  setWindowTitle(QStringLiteral("計算列"));
  auto* note = new QLabel(QStringLiteral(
      "ファイルの列から行ごとに計算する変数です。分析変数の一覧の最後に「（計算）」を付けて並び、"
      "ほかの列と同じように集計・判定されます。\n"
      "式には {見出し} か {列の番号}、数（小数点はピリオド）、+ - * / ^（べき乗）、かっこ、"
      "min max abs sqrt log（自然対数） exp が使えます。"
      "使う列のどれかが欠損の行や、0で割るなど計算できない行は欠損値になります。"));
  note->setWordWrap(true);

  table_ = new QTableWidget(0, 3);
  table_->setObjectName(QStringLiteral("DerivedTable"));
  table_->setHorizontalHeaderLabels(
      {QStringLiteral("名前"), QStringLiteral("式"), QStringLiteral("確認")});
  // The expression takes what width the dialog gains; the name is as wide
  // as the longest energy ratio's, the check as a message needs on two lines.
  QHeaderView* heading = table_->horizontalHeader();
  heading->setSectionResizeMode(kNameColumn, QHeaderView::Interactive);
  heading->setSectionResizeMode(kExpressionColumn, QHeaderView::Stretch);
  heading->setSectionResizeMode(kCheckColumn, QHeaderView::Interactive);
  table_->setColumnWidth(
      kNameColumn,
      fontMetrics().horizontalAdvance(QStringLiteral("飽和脂肪酸エネルギー比率")) + 16);
  table_->setColumnWidth(kCheckColumn, fontMetrics().horizontalAdvance(QLatin1Char('M')) * 24);
  table_->verticalHeader()->hide();
  // The fields are edited in place: rows are not selected.
  table_->setSelectionMode(QAbstractItemView::NoSelection);
  table_->setMinimumSize(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 72,
                         8 * fontMetrics().height());

  auto* add = new QPushButton(QStringLiteral("追加"));
  add->setObjectName(QStringLiteral("ButtonAddDerived"));
  auto* remove = new QPushButton(QStringLiteral("削除"));
  remove->setObjectName(QStringLiteral("ButtonRemoveDerived"));
  insertColumn_ = new QComboBox;
  insertColumn_->setObjectName(QStringLiteral("ComboInsertColumn"));
  insertColumn_->addItem(QStringLiteral("式に列を入れる…"));
  insertColumn_->addItems(columnLabels);
  auto* rowButtons = new QHBoxLayout;
  rowButtons->addWidget(add);
  rowButtons->addWidget(remove);
  rowButtons->addStretch(1);
  rowButtons->addWidget(insertColumn_);

  hint_ = new QLabel;
  hint_->setObjectName(QStringLiteral("DerivedHint"));
  hint_->setWordWrap(true);
  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons_->setObjectName(QStringLiteral("buttons"));
  buttons_->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
  connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(add, &QPushButton::clicked, this, [this] {
    AddRow({}, {});
    nameField(table_->rowCount() - 1)->setFocus();
  });
  connect(remove, &QPushButton::clicked, this, &DerivedVariablesDialog::RemoveCurrentRow);
  connect(insertColumn_, &QComboBox::activated, this, [this](int entry) {
    if (entry > 0) InsertColumn(entry - 1);
    insertColumn_->setCurrentIndex(0);
  });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(note);
  layout->addWidget(table_, 1);
  layout->addLayout(rowButtons);
  layout->addWidget(hint_);
  layout->addWidget(buttons_);

  for (const kelvara::DerivedDefinition& definition : definitions) {
    AddRow(QString::fromStdString(definition.name), QString::fromStdString(definition.expression));
  }
  if (definitions.empty()) AddRow({}, {});
  CheckRows();
}

QLineEdit* DerivedVariablesDialog::nameField(int row) const {
  return qobject_cast<QLineEdit*>(table_->cellWidget(row, kNameColumn));
}

QLineEdit* DerivedVariablesDialog::expressionField(int row) const {
  return qobject_cast<QLineEdit*>(table_->cellWidget(row, kExpressionColumn));
}

QLabel* DerivedVariablesDialog::checkLabel(int row) const {
  return qobject_cast<QLabel*>(table_->cellWidget(row, kCheckColumn));
}

void DerivedVariablesDialog::AddRow(const QString& name, const QString& expression) {
  const int row = table_->rowCount();
  table_->insertRow(row);
  auto* nameEdit = new QLineEdit(name);
  auto* expressionEdit = new QLineEdit(expression);
  expressionEdit->setPlaceholderText(QStringLiteral("例: {脂質}*9/{エネルギー}*100"));
  auto* check = new QLabel;
  check->setWordWrap(true);
  table_->setCellWidget(row, kNameColumn, nameEdit);
  table_->setCellWidget(row, kExpressionColumn, expressionEdit);
  table_->setCellWidget(row, kCheckColumn, check);
  connect(nameEdit, &QLineEdit::textChanged, this, &DerivedVariablesDialog::CheckRows);
  connect(expressionEdit, &QLineEdit::textChanged, this, &DerivedVariablesDialog::CheckRows);
  // 削除 takes the row worked in last, the column list fills its expression.
  for (QLineEdit* field : {nameEdit, expressionEdit}) field->installEventFilter(this);
  lastExpression_ = expressionEdit;
  CheckRows();
}

bool DerivedVariablesDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    for (int row = 0; row < table_->rowCount(); ++row) {
      if (watched == nameField(row) || watched == expressionField(row)) {
        lastExpression_ = expressionField(row);
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}

void DerivedVariablesDialog::RemoveCurrentRow() {
  int row = table_->rowCount() - 1;
  for (int r = 0; r < table_->rowCount(); ++r) {
    if (expressionField(r) == lastExpression_) row = r;
  }
  if (row < 0) return;
  table_->removeRow(row);
  lastExpression_ =
      table_->rowCount() > 0 ? expressionField(std::min(row, table_->rowCount() - 1)) : nullptr;
  CheckRows();
}

void DerivedVariablesDialog::InsertColumn(int column) {
  if (lastExpression_ == nullptr) {
    if (table_->rowCount() == 0) AddRow({}, {});
    lastExpression_ = expressionField(table_->rowCount() - 1);
  }
  const std::vector<std::string> header = Utf8Texts(headerTexts_);
  lastExpression_->insert(QString::fromStdString(kelvara::ColumnReference(column, header)));
  lastExpression_->setFocus();
}

void DerivedVariablesDialog::CheckRows() {
  int problems = 0;
  for (int row = 0; row < table_->rowCount(); ++row) {
    QLineEdit* name = nameField(row);
    QLineEdit* expression = expressionField(row);
    QLabel* check = checkLabel(row);
    if (name == nullptr || expression == nullptr || check == nullptr) continue;  // being built
    if (name->text().trimmed().isEmpty() && expression->text().trimmed().isEmpty()) {
      check->clear();
      continue;
    }
    int othersNamed = 0;
    for (int other = 0; other < table_->rowCount(); ++other) {
      if (other != row && nameField(other) != nullptr &&
          nameField(other)->text().trimmed() == name->text().trimmed()) {
        ++othersNamed;
      }
    }
    const QString problem =
        DerivedDefinitionProblem(name->text(), expression->text(), headerTexts_, othersNamed);
    problems += !problem.isEmpty();
    check->setText(problem.isEmpty() ? QStringLiteral("OK") : problem);
    check->setStyleSheet(problem.isEmpty() ? QString() : QStringLiteral("color: #b00020;"));
    table_->resizeRowToContents(row);
  }
  hint_->setText(problems == 0 ? QString()
                               : QStringLiteral("「確認」の欄の誤りを直すと OK で決められます。"));
  buttons_->button(QDialogButtonBox::Ok)->setEnabled(problems == 0);
}

std::vector<kelvara::DerivedDefinition> DerivedVariablesDialog::definitions() const {
  std::vector<kelvara::DerivedDefinition> list;
  for (int row = 0; row < table_->rowCount(); ++row) {
    const QString name = nameField(row)->text().trimmed();
    const QString expression = expressionField(row)->text().trimmed();
    if (name.isEmpty() && expression.isEmpty()) continue;
    list.push_back({name.toUtf8().toStdString(), expression.toUtf8().toStdString()});
  }
  return list;
}
