// The dialog that chooses the sampling design and the figures added to the
// report: the strata column, the added columns and the cut-off of the share
// below it, the usual-intake blocks (the person column of a file of
// person-days, or a variance ratio for a survey of one day), and the blocks
// of intakes adjusted for energy (the method and the energy column).
#pragma once

#include <QDialog>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/design_options.h"

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTableWidget;
class ReferenceChoiceBox;

class DesignOptionsDialog : public QDialog {
  Q_OBJECT

 public:
  // `columnLabels` are the survey file's column labels in column order, as
  // the column selectors show them, and `headerTexts` their header texts;
  // `initial` is the choice shown first (a strata column beyond the labels
  // shows as none).
  DesignOptionsDialog(const QStringList& columnLabels, const kelvara::DesignOptions& initial,
                      QWidget* parent = nullptr, const QStringList& headerTexts = {});

  // The variables that may have a cut-off of their own (the ticked ones),
  // by column index; those that have one in `initial` are listed too. The
  // nutrient table of the judging page lists them.
  void SetVariables(const std::vector<int>& columns);
  // The survey's classified persons by person class, for the nutrient table
  // to count those each reference value judges (empty: not known).
  void SetPersons(std::vector<int64_t> personsOfClass);

  // Reads a table of variance ratios by variable, sex and age band (the
  // format of kelvara-tab's --variance-ratios) in place of the ratios of
  // single variables given so far. False, with the reason under the usual
  // intake's fields, when it cannot be read or names a column the survey
  // does not have; the ratios then stay as they were.
  bool LoadRatioTable(const QString& path);

  // The choice as it stands; once the dialog is accepted, with a cut-off
  // whenever the share below it is ticked.
  kelvara::DesignOptions options() const;

  // A cut-off as typed: a decimal number written with a point whatever the
  // locale ("7.5", not "7,5"); nothing for anything else.
  static std::optional<double> ParseCutOff(const QString& text);

 private:
  // The OK button takes the choice only with a usable cut-off, when one is
  // needed; the hint says what is wrong.
  void UpdateAcceptance();
  // Lists the variables in the table of ratios, each with its own ratio and
  // a summary of those by sex and age band.
  void ShowRatios(const std::vector<int>& columns);

  QComboBox* strata_;
  QCheckBox* confidenceInterval_;
  QCheckBox* coefficientOfVariation_;
  QCheckBox* designEffect_;
  QCheckBox* shareBelow_;
  QLineEdit* cutOff_;
  QLabel* cutOffHint_;
  QCheckBox* usual_;
  QComboBox* person_;
  QLineEdit* ratio_;
  // Variable label, its own ratio (empty: the common one), its ratios by sex
  // and age band as read from a table.
  QTableWidget* ownRatios_;
  std::vector<int> ownRatioColumns_;
  std::vector<kelvara::VarianceRatio> bandRatios_;  // of single variables, by sex or age
  QLineEdit* ratioFile_;
  QString ratioFileProblem_;
  QSpinBox* bootstrap_;
  QStringList headerTexts_;
  QLabel* usualHint_;
  QComboBox* energyMethod_;  // なし, 残差法, エネルギー密度, in EnergyAdjustmentMethod order
  QComboBox* energyColumn_;
  QLabel* energyHint_;
  QTableWidget* ownCutOffs_;  // variable label, its own cut-off (empty: the common one)
  std::vector<int> ownCutOffColumns_;
  QStringList columnLabels_;
  kelvara::DesignOptions initial_;
  QCheckBox* medianInterval_;
  ReferenceChoiceBox* reference_ = nullptr;
  QLabel* referenceProblem_ = nullptr;
  QDialogButtonBox* buttons_;
};
