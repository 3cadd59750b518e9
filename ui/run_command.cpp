// The run command: one report block per ticked analysis variable, appended
// to the results pane.
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QTabWidget>

#include "engine/tabulation.h"
#include "ui/Main.h"
#include "ui/file_path.h"
#include "ui/handler_guard.h"
#include "ui/radio_group.h"
#include "ui/results_pane.h"
#include "ui/wait_cursor.h"

namespace {

QString RunFailureMessage(kelvara::RunStatus status, const QString& path) {
  switch (status) {
    case kelvara::RunStatus::cannotOpen:
    case kelvara::RunStatus::noHeaderRow:
      return QStringLiteral("栄養調査データ[") + path + QStringLiteral("]が見つかりません.");
    case kelvara::RunStatus::readError:
      return QStringLiteral("栄養調査データ[") + path +
             QStringLiteral("]の読み込み中にエラーが発生しました.");
    case kelvara::RunStatus::invalidColumn:
      return QStringLiteral("列の指定が正しくありません.");
    case kelvara::RunStatus::ok:
      break;
  }
  return {};
}

}  // namespace

void TMainForm::ButtonRunClick() {
  RunGuarded(dialogs(), [this] { RunTabulation(); });
}

// The weight selector's position for its text: the entry that the text names
// exactly, or -1 when typed text names none.
int TMainForm::WeightPosition() const {
  return ComboBoxWeight->findText(ComboBoxWeight->currentText(),
                                  Qt::MatchExactly | Qt::MatchCaseSensitive);
}

void TMainForm::RunTabulation() {
  if (ComboBoxBunrui1->currentIndex() < 1) {
    dialogs().ShowError(QStringLiteral("性別が指定されていません."));
    return;
  }
  if (ComboBoxBunrui2->currentIndex() < 1) {
    dialogs().ShowError(QStringLiteral("年齢が指定されていません."));
    return;
  }
  if (ComboBoxBunrui3->currentIndex() < 1) {
    dialogs().ShowError(QStringLiteral("妊婦・授乳婦が指定されていません."));
    return;
  }
  const int weightPosition = WeightPosition();
  if (weightPosition < 0) {
    dialogs().ShowError(QStringLiteral("重み（サンプリング・ウエイト）の「") +
                        ComboBoxWeight->currentText() +
                        QStringLiteral("」という列はありません. 一覧から選んでください."));
    return;
  }
  PageControl1->setCurrentWidget(TabSheet3);

  kelvara::RunRequest request;
  for (int k = 0; k < CheckListEiyoso->count(); ++k) {
    if (CheckListEiyoso->item(k)->checkState() == Qt::Checked) {
      request.variableColumns.push_back(k);
    }
  }
  if (request.variableColumns.empty()) return;
  const QString path = PanelDietFileName->text();
  request.fileName = FileSystemPath(path);
  request.columns.stratumColumn = ComboBoxID1->currentIndex() - 1;
  request.columns.sexColumn = ComboBoxBunrui1->currentIndex() - 1;
  request.columns.ageColumn = ComboBoxBunrui2->currentIndex() - 1;
  request.columns.pregnancyColumn = ComboBoxBunrui3->currentIndex() - 1;
  request.columns.weightColumn = weightPosition - 1;
  request.schemeItemIndex = RadioGroupFormat->itemIndex();

  WaitCursor wait;
  std::vector<std::string> lines;
  const kelvara::RunStatus status = kelvara::TabulateVariables(
      request, [&lines](std::string_view line) { lines.emplace_back(line); });
  if (status != kelvara::RunStatus::ok) {
    dialogs().ShowError(RunFailureMessage(status, path));
    return;
  }
  RichEditKekka->AppendLines(std::move(lines));
}
