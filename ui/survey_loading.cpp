// The open command of the settings tab: a survey data file into the grid,
// the five column selectors and the analysis-variable check list.
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QStringList>
#include <QTableView>
#include <algorithm>

#include "engine/csv_table.h"
#include "ui/Main.h"
#include "ui/Progress.h"
#include "ui/display_text.h"
#include "ui/file_path.h"
#include "ui/handler_guard.h"
#include "ui/survey_grid_model.h"
#include "ui/wait_cursor.h"

namespace {

const QString kNoColumn = QStringLiteral("(なし)");

// A column's label everywhere in the window: its 1-based number, ".", and
// its header text.
QString ColumnLabel(int column, std::string_view header) {
  return QString::number(column + 1) + QLatin1Char('.') + DisplayText(header);
}

// Hides the progress window however the reading ends.
class ProgressShown {
 public:
  ProgressShown(int rows, const QWidget* owner) {
    FormProgress->setWindowTitle(QStringLiteral("ファイルを読み込み中"));
    FormProgress->ProgressBar->setRange(0, rows);
    FormProgress->ProgressBar->setValue(0);
    FormProgress->ShowCentredOn(owner);
  }
  ~ProgressShown() { FormProgress->hide(); }
  ProgressShown(const ProgressShown&) = delete;
  ProgressShown& operator=(const ProgressShown&) = delete;
};

}  // namespace

void TMainForm::Button1Click() {
  RunGuarded(dialogs(), [this] { LoadSurveyData(); });
}

void TMainForm::LoadSurveyData() {
  kelvara::CsvTable table;
  OpenDialog->filter = QStringLiteral("栄養調査データ (*.csv)");
  OpenDialog->fileName = PanelDietFileName->text();
  if (dialogs().Execute(*OpenDialog)) {
    const QString path = OpenDialog->fileName;
    if (!table.Open(FileSystemPath(path))) {
      dialogs().ShowError(QStringLiteral("栄養調査データ[") + path +
                          QStringLiteral("]が見つかりません."));
      return;
    }
    PanelDietFileName->setText(path);
    FillFromTable(table);
    table.Close();
    if (table.readFailed()) {
      dialogs().ShowError(QStringLiteral("栄養調査データ[") + path +
                          QStringLiteral("]を最後まで読み込めませんでした."));
    }
  }
  SelectNoColumn();
}

void TMainForm::FillFromTable(kelvara::CsvTable& table) {
  WaitCursor wait;
  table.Scan();
  const int rows = table.rowCount();
  const int columns = table.maxCellCount();
  gridModel_->Reset(std::max(rows - 1, 0), columns, true);

  QComboBox* const selectors[] = {ComboBoxID1, ComboBoxWeight, ComboBoxBunrui1, ComboBoxBunrui2,
                                  ComboBoxBunrui3};
  ComboBoxID1->clear();
  ComboBoxWeight->clear();
  CheckListEiyoso->clear();
  ComboBoxBunrui1->clear();
  ComboBoxBunrui2->clear();
  ComboBoxBunrui3->clear();
  ComboBoxWeight->clearEditText();

  ProgressShown progress(rows, this);
  for (QComboBox* selector : selectors) selector->addItem(kNoColumn);

  for (int r = 0; r < rows; ++r) {
    FormProgress->SetPosition(r + 1);
    const int cellCount = table.ReadRow();
    if (cellCount < 0) break;  // the file became shorter since it was scanned
    if (r > 0) {
      gridModel_->AppendRow(table.cells());
      continue;
    }
    // Only the columns the header row reaches get a label and can be chosen.
    QStringList labels;
    for (int c = 0; c < std::min(cellCount, columns); ++c) {
      labels.append(ColumnLabel(c, table.cell(c)));
    }
    gridModel_->SetColumnLabels(labels);
    for (QComboBox* selector : selectors) selector->addItems(labels);
    CheckListEiyoso->addItems(labels);
    for (int i = 0; i < CheckListEiyoso->count(); ++i) {
      QListWidgetItem* item = CheckListEiyoso->item(i);
      item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
      item->setCheckState(Qt::Unchecked);
    }
  }
  gridModel_->FinishFilling();
  FitColumnsToHeadings();
}

void TMainForm::FitColumnsToHeadings() {
  // Columns start wide enough for their heading, so that a label such as
  // "6.エネルギー" reads whole; the user can still change every width.
  constexpr int kNarrowest = 64;
  constexpr int kWidest = 240;
  QHeaderView* heading = StringGridDietFile->horizontalHeader();
  for (int c = 0; c < gridModel_->columnCount(); ++c) {
    heading->resizeSection(c, std::clamp(heading->sectionSizeHint(c), kNarrowest, kWidest));
  }
}

void TMainForm::SelectNoColumn() {
  for (QComboBox* selector :
       {ComboBoxID1, ComboBoxWeight, ComboBoxBunrui1, ComboBoxBunrui2, ComboBoxBunrui3}) {
    selector->setCurrentIndex(selector->count() > 0 ? 0 : -1);
  }
}
