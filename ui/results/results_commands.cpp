// The File menu: clear, load, save and print the results pane; exit.
#include <QFileInfo>
#include <QPrinter>
#include <QScopedValueRollback>

#include "ui/window/main_window.h"
#include "ui/window/background_work.h"
#include "ui/window/file_problem.h"
#include "ui/window/handler_guard.h"
#include "ui/results/results_file.h"
#include "ui/results/results_pane.h"
#include "ui/results/results_printing.h"
#include "ui/settings/settings_tab.h"
#include "ui/window/wait_cursor.h"
#include "ui/window/window_settings.h"

namespace {

const QString kResultsFilter = QStringLiteral("計算結果 (*.csv)");

QString FolderOf(const QString& path) { return QFileInfo(path).absolutePath(); }

}  // namespace

bool TMainForm::MayLoseResults(const QString& question) {
  if (!pane().hasUnsavedLines()) return true;
  return dialogs().Confirm(QStringLiteral("計算結果が保存されていません。\n\n") + question);
}

void TMainForm::FileNew() {
  RunGuarded(dialogs(), [this] {
    if (!MayLoseResults(QStringLiteral("計算結果をクリアします"))) return;
    pane().ClearLines();
    SaveDialog->fileName.clear();
    OpenDialog->fileName.clear();
  });
}

void TMainForm::FileOpen() {
  RunGuarded(dialogs(), [this] {
    OpenDialog->filter = kResultsFilter;
    OpenDialog->directory = settings_->folder(dialog_use::kResultsOpen);
    if (!dialogs().Execute(*OpenDialog)) return;
    const QString path = OpenDialog->fileName;
    settings_->setFolder(dialog_use::kResultsOpen, FolderOf(path));
    // The whole file is read before the pane changes, off the window's thread
    // with progress and 中止, so a file that cannot be read, or whose reading
    // is stopped, leaves the pane as it was.
    using Lines = std::optional<std::vector<std::string>>;
    std::optional<Lines> read;
    {
      const QScopedValueRollback<bool> busy(working_, true);
      read = RunWithProgress<Lines>(progressWindow(), *stoppedWork_, this,
                                    QStringLiteral("ファイルを読み込み中"),
                                    [path](std::stop_token stop, ProgressNote& note) {
                                      return ReadResultsFile(path, stop, &note);
                                    });
    }
    if (!read) return;  // stopped
    Lines& lines = *read;
    if (!lines) {
      dialogs().ShowError(FailureMessage(QStringLiteral("ファイルを開けませんでした。"), path,
                                         ReadProblem(path)));
      return;
    }
    // Asked only now that something would be lost.
    if (!MayLoseResults(QStringLiteral("計算結果を開くと、今の計算結果は失われます。開きますか？"))) {
      return;
    }
    // The pane is hidden while it fills, and shown again however that ends.
    WaitCursor wait;
    pane().setVisible(false);
    try {
      pane().ReplaceLines(std::move(*lines));
    } catch (...) {
      pane().setVisible(true);
      throw;
    }
    pane().setVisible(true);
    SaveDialog->fileName = path;
  });
}

void TMainForm::FileSaveAs() {
  RunGuarded(dialogs(), [this] {
    SaveDialog->filter = kResultsFilter;
    SaveDialog->defaultExt = QStringLiteral("csv");
    // With no name to offer, the dialog opens where results were saved last,
    // or else beside the survey data file.
    SaveDialog->directory = settings_->folder(dialog_use::kResultsSave);
    if (SaveDialog->directory.isEmpty() && TabSheet2->hasSurvey()) {
      SaveDialog->directory = FolderOf(TabSheet2->surveyPath());
    }
    if (!dialogs().Execute(*SaveDialog)) return;
    SaveDialog->fileName = WithDefaultExtension(SaveDialog->fileName, SaveDialog->defaultExt);
    const QString fileName = SaveDialog->fileName;
    if (!ConfirmOverwrite(dialogs(), fileName)) return;
    WaitCursor wait;
    QString cause;
    if (!WriteResultsFile(fileName, pane().lines(), &cause)) {
      dialogs().ShowError(
          FailureMessage(QStringLiteral("ファイルを保存できませんでした。"), fileName, cause));
      return;
    }
    pane().MarkSaved();
    settings_->setFolder(dialog_use::kResultsSave, FolderOf(fileName));
  });
}

void TMainForm::FilePrint() {
  RunGuarded(dialogs(), [this] {
    if (pane().lines().empty()) {
      dialogs().ShowError(QStringLiteral("印刷する計算結果がありません。"));
      return;
    }
    if (!dialogs().ExecutePrint(printer())) return;
    WaitCursor wait;
    printer().setDocName(windowTitle());
    PrintResults(pane(), printer());
    if (printer().printerState() == QPrinter::Error) {
      const QString target = printer().outputFileName().isEmpty()
                                 ? QStringLiteral("プリンタ: ") + printer().printerName()
                                 : QStringLiteral("ファイル: ") + printer().outputFileName();
      dialogs().ShowError(QStringLiteral("印刷できませんでした。\n\n") + target +
                          QStringLiteral("\n原因: プリンタが印刷を受け付けませんでした。"
                                         "プリンタの電源と接続、プリンタの設定を確かめてください。"));
    }
  });
}

void TMainForm::FilePrintSetup() {
  RunGuarded(dialogs(), [this] {
    if (dialogs().ExecutePrintSetup(printer())) settings_->savePageSetup(printer());
  });
}

void TMainForm::FileExit() {
  RunGuarded(dialogs(), [this] {
    if (!MayLoseResults(QStringLiteral("終了します"))) return;
    exitConfirmed_ = true;
    close();
  });
}
