// The dialog 計算列: the computed variables of the file shown, each a name
// and an expression over the file's columns, checked as they are typed.
#pragma once

#include <QDialog>
#include <QStringList>
#include <vector>

#include "expression/formula.h"

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QTableWidget;

class DerivedVariablesDialog : public QDialog {
  Q_OBJECT

 public:
  // `columnLabels` and `headerTexts` are the file's, in column order;
  // `definitions` the computed variables defined so far.
  DerivedVariablesDialog(const QStringList& columnLabels, const QStringList& headerTexts,
                         const std::vector<kelvara::DerivedDefinition>& definitions,
                         QWidget* parent = nullptr);

  // The rows that hold a name or an expression, names and expressions
  // without blanks around them.
  std::vector<kelvara::DerivedDefinition> definitions() const;

  // The table's cells, for the tests: the name and expression fields and
  // the check of a row.
  QLineEdit* nameField(int row) const;
  QLineEdit* expressionField(int row) const;
  QLabel* checkLabel(int row) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void AddRow(const QString& name, const QString& expression);
  void RemoveCurrentRow();
  // Checks every row (a name's check depends on the others) and lets OK
  // take the list only when every row is right.
  void CheckRows();
  // Puts the column, as {header} or {number}, into the expression of the
  // row worked in last, at its cursor.
  void InsertColumn(int column);

  QTableWidget* table_;
  QComboBox* insertColumn_;
  QLabel* hint_;
  QDialogButtonBox* buttons_;
  QStringList headerTexts_;
  QLineEdit* lastExpression_ = nullptr;
};
