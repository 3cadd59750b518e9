// What the window remembers between runs: its place on the screen, the
// folders of its file dialogs, the age-group scheme, the column choices and
// the page set-up.
#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "engine/design_options.h"
#include "engine/report/summary_table.h"
#include "engine/statistics/age_group_scheme.h"
#include "expression/formula.h"
#include "ui/settings/column_choices.h"

class QPrinter;
class QSettings;

class WindowSettings {
 public:
  // Kept in `file` (an INI file), or where the system keeps a user's
  // program settings when `file` is empty (the registry on Windows).
  explicit WindowSettings(const QString& file);
  ~WindowSettings();
  WindowSettings(const WindowSettings&) = delete;
  WindowSettings& operator=(const WindowSettings&) = delete;

  QByteArray geometry() const;
  void setGeometry(const QByteArray& geometry);

  // The folder a file dialog showed last; `dialog` names the dialog's use.
  QString folder(const QString& dialog) const;
  void setFolder(const QString& dialog, const QString& folder);

  // The age-group scheme, kept by its name; table 1 when none is
  // remembered. A settings file of an earlier version holds the radio item's
  // index instead, which is read as such.
  kelvara::SchemeId scheme() const;
  void setScheme(kelvara::SchemeId scheme);

  // The choices made last, for a file not seen before with the same headers.
  ColumnChoices columns() const;
  void setColumns(const ColumnChoices& choices);
  // The choices made for one file, by its full path; nothing when that file
  // was never run or left with choices.
  std::optional<ColumnChoices> columnsForFile(const QString& path) const;
  void setColumnsForFile(const QString& path, const ColumnChoices& choices);
  // The computed variables defined last, and those of one file, by its full
  // path; none when that file was never left with any.
  std::vector<kelvara::DerivedDefinition> derived() const;
  std::vector<kelvara::DerivedDefinition> derivedForFile(const QString& path) const;
  // Keeps them for the file and as the last defined.
  void setDerivedForFile(const QString& path,
                         const std::vector<kelvara::DerivedDefinition>& derived);

  // The figures added to the report; the strata column is kept with the
  // column choices, by its header text, and is -1 here.
  kelvara::DesignOptions design() const;
  void setDesign(const kelvara::DesignOptions& design);

  // Whether each block is preceded by its provenance line; off unless the
  // user turned it on.
  bool provenance() const;
  void setProvenance(bool on);

  // The decimals of the summary 一覧, per variable by its name, and of its
  // share rows; a variable not set is shown as printed.
  kelvara::SummaryDecimals summaryDecimals() const;
  void setSummaryDecimals(const kelvara::SummaryDecimals& decimals);

  // Page size, orientation and margins; the printer keeps its own unless
  // some were remembered.
  void loadPageSetup(QPrinter& printer) const;
  void savePageSetup(const QPrinter& printer);

  // Writes what was changed to the file now.
  void sync();

 private:
  std::unique_ptr<QSettings> store_;
};

// The file dialogs whose folders are remembered.
namespace dialog_use {
inline const QString kSurvey = QStringLiteral("survey");
inline const QString kResultsOpen = QStringLiteral("resultsOpen");
inline const QString kResultsSave = QStringLiteral("resultsSave");
inline const QString kWorkbookSave = QStringLiteral("workbookSave");
}  // namespace dialog_use
