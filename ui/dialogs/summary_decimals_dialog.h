// The dialog that sets how many decimals the summary 一覧 shows: one choice
// per variable of the results, and one for the share rows.
#pragma once

#include <QDialog>
#include <QStringList>
#include <string>
#include <vector>

#include "engine/report/summary_table.h"

class QTableWidget;

class SummaryDecimalsDialog : public QDialog {
  Q_OBJECT

 public:
  // `variables` are the variables' names (code page 932) in the results'
  // order; `initial` the decimals remembered.
  SummaryDecimalsDialog(std::vector<std::string> variables, const kelvara::SummaryDecimals& initial,
                        QWidget* parent = nullptr);

  // `initial` with the choices made for the variables shown.
  kelvara::SummaryDecimals decimals() const;

 private:
  std::vector<std::string> variables_;
  kelvara::SummaryDecimals initial_;
  QTableWidget* table_;  // a row per variable, then the share row
};
