// The settings tab "計算法の指定": the survey data file in a grid, the
// columns' roles, the analysis variables, the age-group scheme and the run
// button.
#pragma once

#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/design_options.h"
#include "engine/statistics/age_group_scheme.h"
#include "expression/formula.h"
#include "ui/settings/column_choices.h"

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QTableView;
class NoticeBar;
class QVBoxLayout;
class SurveyGridModel;
class TRadioGroup;
class VariableCheckList;
struct SurveyContents;

class SettingsTab : public QWidget {
  Q_OBJECT

 public:
  explicit SettingsTab(QWidget* parent = nullptr);

  // The survey data file shown: its full path, empty before the first load.
  // The box above the grid shows it with the system's separators.
  QString surveyPath() const { return surveyPath_; }
  bool hasSurvey() const { return !surveyPath_.isEmpty(); }

  // Shows a survey data file: grid, labels in the five selectors and the
  // variable list, every selector at "(なし)" and nothing ticked.
  void ShowSurvey(const QString& path, SurveyContents contents);
  // Sets every selector to "(なし)" (to nothing while no file is shown).
  void SelectNoColumn();

  // A list-only selector's column index; -1 for "(なし)" and -2 when nothing
  // is chosen.
  int unitColumn() const;
  int sexColumn() const;
  int ageColumn() const;
  int pregnancyColumn() const;
  // The weight field's column index (-1 for "(なし)"): from a list entry, a
  // column's number, or its header text; nothing when the text names no
  // column. The field then shows the entry it names.
  std::optional<int> weightColumn();
  QString weightText() const;
  // The ticked analysis variables' column indices, in list order; a
  // computed variable counts as a column past the file's last.
  std::vector<int> tickedColumns() const;
  // The file's persons whose sex, age and pregnancy cells are usable, by
  // person class (kelvara::kPersonClasses long); empty while one of those
  // columns is not chosen.
  std::vector<int64_t> personsOfClass() const;

  // The computed variables of the file shown, listed after its columns
  // marked （計算）, variable k standing for column columnCount() + k.
  const std::vector<kelvara::DerivedDefinition>& derivedVariables() const { return derived_; }
  // Sets them; a computed variable keeps its tick where its name stays.
  void setDerivedVariables(std::vector<kelvara::DerivedDefinition> derived);
  // Ticks the variable of this name (a column's header or a computed one's).
  void tickVariable(const QString& name);
  // The file's number of columns.
  int columnCount() const { return static_cast<int>(header_.size()); }

  // The age-group scheme of the radio item chosen.
  kelvara::SchemeId scheme() const;
  void setScheme(kelvara::SchemeId scheme);
  // The chosen scheme's caption, as its radio button reads.
  QString schemeCaption() const;

  // A column's label ("5.エネルギー") and its header text; for a computed
  // variable "（計算）name" and its name.
  QString columnLabel(int column) const;
  // The survey's header texts, decoded, in column order.
  const QStringList& headerTexts() const { return headerTexts_; }
  QString headerText(int column) const;
  // The header cell of a column as the file's bytes.
  const std::string& headerBytes(int column) const;

  // The choices by header text, and choosing them again where the file
  // shown has exactly one column of that text. Returns the choices that
  // could not be made, each as its role and header text.
  ColumnChoices choices() const;
  QStringList applyChoices(const ColumnChoices& choices);

  // Between the grid and the selectors: what the last opening could not
  // choose again.
  NoticeBar& notice() const { return *notice_; }

  // The column labels of the file shown, in column order.
  QStringList columnLabels() const;

  // The sampling design and the figures added to the report. The note under
  // the run button says what is chosen, so that nobody forgets it is on. A
  // new file shows no strata column until one is chosen (or remembered).
  const kelvara::DesignOptions& designOptions() const { return design_; }
  void setDesignOptions(const kelvara::DesignOptions& design);

 signals:
  void openClicked();
  void runClicked();

 private:
  void CreateFileStrip(QFrame* upper);
  void CreateSelectorPanel();
  void FitColumnsToHeadings();
  void ShowDesignOptions();
  int ColumnOfHeader(const QString& text) const;
  // The weight field's list position, as weightColumn reads the field.
  std::optional<int> WeightPosition() const;
  // すべて選択: every variable but the columns chosen for a role.
  void TickEveryVariable();
  static int ColumnOf(const QComboBox* selector);

  SurveyGridModel* gridModel_;
  QFrame* Panel2;
  QTableView* StringGridDietFile;
  QFrame* Panel1;
  QLabel* Label6;
  QPushButton* Button1;
  QLabel* PanelDietFileName;
  QFrame* Panel3;
  QGroupBox* GroupBox1;
  QGroupBox* GroupBox3;
  QLabel* Label7;
  QLabel* Label8;
  QLabel* Label9;
  QGroupBox* GroupBox2;
  QComboBox* ComboBoxID1;
  QComboBox* ComboBoxBunrui1;
  QComboBox* ComboBoxBunrui2;
  QComboBox* ComboBoxBunrui3;
  QPushButton* ButtonRun;
  VariableCheckList* CheckListEiyoso;
  QLabel* Label2;
  TRadioGroup* RadioGroupFormat;
  QGroupBox* GroupBox4;
  QComboBox* ComboBoxWeight;
  QLabel* LabelDesignOptions;
  NoticeBar* notice_;
  kelvara::DesignOptions design_;

  QString surveyPath_;
  std::vector<std::string> header_;  // the header cells of the file shown
  QStringList headerTexts_;          // the same, decoded
  std::vector<kelvara::DerivedDefinition> derived_;
};
