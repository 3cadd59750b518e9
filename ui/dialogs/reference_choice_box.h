// The part of the design dialog that chooses the reference table intake is
// judged against, the alternatives the survey does not record, and which
// nutrient each survey column is, with what the table can judge of it.
#pragma once

#include <QGroupBox>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "engine/statistics/reference_judgement.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;

class ReferenceChoiceBox : public QGroupBox {
  Q_OBJECT

 public:
  // `columnLabels` and `headerTexts` (decoded) of the survey's columns, in
  // column order; `initial` the choice shown first (none: no table).
  ReferenceChoiceBox(const QStringList& columnLabels, const QStringList& headerTexts,
                     std::shared_ptr<const kelvara::ReferenceChoice> initial,
                     QWidget* parent = nullptr);

  // The nutrient table lists these columns (the ticked variables); until
  // they are given, or when none are, it lists every column.
  void SetVariables(const std::vector<int>& columns);
  // The file's classified persons by person class, for the table to say
  // how many have each value (kelvara::kPersonClasses long; empty: unknown).
  void SetPersons(std::vector<int64_t> personsOfClass);

  // The choice as it stands: null without a table, or when the table cannot
  // be read (problem() then says why).
  std::shared_ptr<const kelvara::ReferenceChoice> choice() const;
  // Why the choice cannot be taken; empty when it can.
  QString problem() const;

 signals:
  void changed();

 private:
  void LoadTable();
  void KeepKeysTyped();
  void FillMapping();
  void ShowJudging();
  QString Origin() const;
  std::string HeaderOfRow(int row) const;  // code page 932
  std::string KeyOfRow(int row) const;

  QStringList columnLabels_;
  QStringList headerTexts_;
  std::vector<int> rowColumns_;  // the column of each row of the nutrient table
  std::vector<int64_t> personsOfClass_;
  std::optional<kelvara::ReferenceTable> table_;
  QString loadError_;
  QComboBox* tableChoice_;
  QLineEdit* file_;
  QComboBox* stage_;
  QComboBox* menstruation_;
  QTableWidget* mapping_;
  QLabel* hint_;
  std::map<std::string, std::string> initialKeys_;  // by header, code page 932
};
