// The File menu: clear, load, save and print the results pane; exit.
#include <QFileInfo>
#include <QPrinter>

#include "ui/Main.h"
#include "ui/handler_guard.h"
#include "ui/results_file.h"
#include "ui/results_pane.h"
#include "ui/results_printing.h"
#include "ui/wait_cursor.h"

namespace {

const QString kResultsFilter = QStringLiteral("計算結果 (*.csv)");

// The save dialog's default extension, added to a name typed without one.
QString WithDefaultExtension(const QString& fileName, const QString& extension) {
  if (extension.isEmpty() || !QFileInfo(fileName).suffix().isEmpty()) return fileName;
  return fileName + QLatin1Char('.') + extension;
}

}  // namespace

void TMainForm::FileNew() {
  RunGuarded(dialogs(), [this] {
    if (!dialogs().Confirm(QStringLiteral("計算結果をクリアします"))) return;
    RichEditKekka->ClearLines();
    SaveDialog->fileName.clear();
    OpenDialog->fileName.clear();
  });
}

void TMainForm::FileOpen() {
  RunGuarded(dialogs(), [this] {
    OpenDialog->filter = kResultsFilter;
    if (!dialogs().Execute(*OpenDialog)) return;
    WaitCursor wait;
    // The whole file is read before the pane changes, so a file that cannot
    // be read leaves the pane as it was.
    std::optional<std::vector<std::string>> lines = ReadResultsFile(OpenDialog->fileName);
    if (!lines) {
      dialogs().ShowError(QStringLiteral("ファイルを開けませんでした。"));
      return;
    }
    // The pane is hidden while it fills, and shown again however that ends.
    RichEditKekka->setVisible(false);
    try {
      RichEditKekka->ClearLines();
      RichEditKekka->AppendLines(std::move(*lines));
    } catch (...) {
      RichEditKekka->setVisible(true);
      throw;
    }
    RichEditKekka->setVisible(true);
    SaveDialog->fileName = OpenDialog->fileName;
  });
}

void TMainForm::FileSaveAs() {
  RunGuarded(dialogs(), [this] {
    SaveDialog->filter = kResultsFilter;
    SaveDialog->defaultExt = QStringLiteral("csv");
    if (!dialogs().Execute(*SaveDialog)) return;
    SaveDialog->fileName = WithDefaultExtension(SaveDialog->fileName, SaveDialog->defaultExt);
    const QString fileName = SaveDialog->fileName;
    if (FileReadable(fileName) &&
        !dialogs().Confirm(QStringLiteral("ファイル ") + fileName +
                           QStringLiteral(" が既に存在します。\n\n重ね書きしますか？"))) {
      return;
    }
    WaitCursor wait;
    if (!WriteResultsFile(fileName, RichEditKekka->lines())) {
      dialogs().ShowError(QStringLiteral("ファイルを保存できませんでした。"));
    }
  });
}

void TMainForm::FilePrint() {
  RunGuarded(dialogs(), [this] {
    if (!dialogs().ExecutePrint(printer())) return;
    WaitCursor wait;
    printer().setDocName(windowTitle());
    PrintResults(*RichEditKekka, printer());
    if (printer().printerState() == QPrinter::Error) {
      dialogs().ShowError(QStringLiteral("印刷できませんでした。"));
    }
  });
}

void TMainForm::FilePrintSetup() {
  RunGuarded(dialogs(), [this] { dialogs().ExecutePrintSetup(printer()); });
}

void TMainForm::FileExit() {
  RunGuarded(dialogs(), [this] {
    if (dialogs().Confirm(QStringLiteral("終了します"))) close();
  });
}
