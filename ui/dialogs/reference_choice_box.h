// The part of the design dialog that chooses the reference table intake is
// judged against, the alternatives the survey does not record, and which
// nutrient each survey column is.
#pragma once

#include <QGroupBox>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

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

  // The choice as it stands: null without a table, or when the table cannot
  // be read (problem() then says why).
  std::shared_ptr<const kelvara::ReferenceChoice> choice() const;
  // Why the choice cannot be taken; empty when it can.
  QString problem() const;

 signals:
  void changed();

 private:
  void LoadTable();
  void FillMapping();
  QString Origin() const;

  QStringList headerTexts_;
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
