// The File menu: clear, load, save and print the results pane; exit.
#include <QFileInfo>
#include <QPrinter>

#include "ui/window/main_window.h"
#include "ui/window/background_work.h"
#include "ui/window/file_path.h"
#include "ui/window/file_problem.h"
#include "ui/window/handler_guard.h"
#include "ui/results/results_file.h"
#include "ui/results/results_pane.h"
#include "ui/results/results_printing.h"
#include "ui/results/results_tab.h"
#include "ui/window/notice_bar.h"
#include "ui/settings/settings_tab.h"
#include "ui/window/wait_cursor.h"
#include "ui/window/window_settings.h"

namespace {

const QString kResultsFilter = QStringLiteral("計算結果 (*.csv)");

QString FolderOf(const QString& path) { return QFileInfo(path).absolutePath(); }

}  // namespace

QString TMainForm::PrintHeading() const {
  // The results file when the pane was loaded or saved, else the survey
  // file the results were computed from.
  if (!SaveDialog->fileName.isEmpty() && !pane().hasUnsavedLines()) {
    return QStringLiteral("計算結果: ") + ShownPath(SaveDialog->fileName);
  }
  if (TabSheet2->hasSurvey()) {
    return QStringLiteral("計算結果（栄養調査データ: ") + ShownPath(TabSheet2->surveyPath()) + QStringLiteral("）");
  }
  return QStringLiteral("計算結果");
}

QString TMainForm::ResultsFolder() const {
  // Where results were saved or opened last, else beside the survey file.
  for (const QString& use : {dialog_use::kResultsSave, dialog_use::kResultsOpen}) {
    const QString folder = settings_->folder(use);
    if (!folder.isEmpty()) return folder;
  }
  return TabSheet2->hasSurvey() ? FolderOf(TabSheet2->surveyPath()) : QString();
}

bool TMainForm::MayLoseResults(const QString& question) {
  if (!pane().hasUnsavedLines()) return true;
  return dialogs().Confirm(QStringLiteral("計算結果が保存されていません。\n\n") + question);
}

void TMainForm::FileNew() {
  RunGuarded(dialogs(), [this] {
    if (!MayLoseResults(QStringLiteral("計算結果をクリアしますか？"))) return;
    pane().ClearLines();
    TabSheet3->notice().Clear();  // it spoke of results now gone
    SaveDialog->fileName.clear();
    OpenDialog->fileName.clear();
  });
}

void TMainForm::FileOpen() {
  RunGuarded(dialogs(), [this] {
    OpenDialog->filter = kResultsFilter;
    // The dialog is shared with the survey file's: results are looked for
    // where results were opened or saved last, with no file offered, so that
    // the survey file is not one click away.
    OpenDialog->fileName.clear();
    OpenDialog->directory = ResultsFolder();
    if (!dialogs().Execute(*OpenDialog)) return;
    const QString path = OpenDialog->fileName;
    OpenDialog->fileName.clear();
    settings_->setFolder(dialog_use::kResultsOpen, FolderOf(path));
    // The whole file is read before the pane changes, off the window's thread
    // with progress and 中止, so a file that cannot be read, is no results
    // file, or whose reading is stopped, leaves the pane as it was. The
    // reading owns what it returns: a stopped one may end after this returns.
    struct Reading {
      std::optional<std::vector<std::string>> lines;
      QString refusal;
    };
    std::optional<Reading> read;
    {
      const WorkUnderWay loading(*this, Work::loading);
      read = RunWithProgress<Reading>(progressWindow(), *stoppedWork_, this,
                                      QStringLiteral("ファイルを読み込み中"),
                                      [path](std::stop_token stop, ProgressNote& note) {
                                        Reading reading;
                                        reading.lines =
                                            ReadResultsFile(path, stop, &note, &reading.refusal);
                                        return reading;
                                      });
    }
    if (!read) return;  // stopped
    std::optional<std::vector<std::string>>& lines = read->lines;
    const QString& refusal = read->refusal;
    if (!lines) {
      dialogs().ShowError(refusal.isEmpty()
                              ? FailureMessage(QStringLiteral("ファイルを開けませんでした。"), path,
                                               ReadProblem(path))
                              : FailureMessage(QStringLiteral("ファイルを開きませんでした。"), path,
                                               refusal));
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
    TabSheet3->notice().Clear();
    SaveDialog->fileName = path;
  });
}

bool TMainForm::MayQuit() {
  if (!pane().hasUnsavedLines()) return true;
  switch (dialogs().AskToSave(QStringLiteral("計算結果が保存されていません。\n\n終了しますか？"))) {
    case DialogService::SaveAnswer::save: return SaveResults();
    case DialogService::SaveAnswer::discard: return true;
    case DialogService::SaveAnswer::cancel: break;
  }
  return false;
}

void TMainForm::FileSaveAs() {
  RunGuarded(dialogs(), [this] { SaveResults(); });
}

bool TMainForm::SaveResults() {
  // An empty pane is refused as printing it is: no 0-byte results file.
  if (pane().lines().empty()) {
    dialogs().ShowError(QStringLiteral("保存する計算結果がありません。"));
    return false;
  }
  SaveDialog->filter = kResultsFilter;
  SaveDialog->defaultExt = QStringLiteral("csv");
  // With no name to offer, the dialog opens where results were saved last,
  // or else beside the survey data file.
  SaveDialog->directory = ResultsFolder();
  if (!dialogs().Execute(*SaveDialog)) return false;
  SaveDialog->fileName = WithDefaultExtension(SaveDialog->fileName, SaveDialog->defaultExt);
  const QString fileName = SaveDialog->fileName;
  // The survey data are never replaced by results; other files that are
  // no results are replaced only when the user, told what they are, agrees.
  if (TabSheet2->hasSurvey() && SameFile(fileName, TabSheet2->surveyPath())) {
    dialogs().ShowError(QStringLiteral("計算結果を、開いている健康・栄養調査データ[") +
                        ShownPath(TabSheet2->surveyPath()) +
                        QStringLiteral("]に上書きすることはできません。別の名前をつけて保存してください。"));
    return false;
  }
  if (const QString other = NonResultsFileDescription(fileName); !other.isEmpty()) {
    if (!dialogs().Confirm(ShownPath(fileName) + QStringLiteral("は計算結果のファイルではなく、") + other +
                           QStringLiteral("です。\n\n上書きすると、元の内容は失われます。上書きしますか？"))) {
      return false;
    }
  } else if (!ConfirmOverwrite(dialogs(), fileName)) {
    return false;
  }
  WaitCursor wait;
  QString cause;
  if (!WriteResultsFile(fileName, pane().lines(), &cause)) {
    dialogs().ShowError(
        FailureMessage(QStringLiteral("ファイルを保存できませんでした。"), fileName, cause));
    return false;
  }
  pane().MarkSaved();
  settings_->setFolder(dialog_use::kResultsSave, FolderOf(fileName));
  return true;
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
    PrintResults(pane(), printer(), PrintHeading());
    if (printer().printerState() == QPrinter::Error) {
      const QString target = printer().outputFileName().isEmpty()
                                 ? QStringLiteral("プリンタ: ") + printer().printerName()
                                 : QStringLiteral("ファイル: ") + ShownPath(printer().outputFileName());
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
    if (!MayQuit()) return;
    exitConfirmed_ = true;
    close();
  });
}
