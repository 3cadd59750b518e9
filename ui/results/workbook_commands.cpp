// The 計算結果 menu: the results as an Excel workbook, and the summary 一覧
// printed, saved as PDF, and its decimals.
#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <algorithm>

#include "engine/report/report_reading.h"
#include "engine/report/results_workbook.h"
#include "ui/dialogs/summary_decimals_dialog.h"
#include "ui/results/results_file.h"
#include "ui/results/results_pane.h"
#include "ui/results/summary_printing.h"
#include "ui/settings/settings_tab.h"
#include "ui/window/file_path.h"
#include "ui/window/file_problem.h"
#include "ui/window/handler_guard.h"
#include "ui/window/main_window.h"
#include "ui/window/wait_cursor.h"
#include "ui/window/window_settings.h"
#include "workbook/xlsx_bytes.h"

namespace {

// The summary is printed on A4 across, with margins for the heading, the
// page number and binding.
const QMarginsF kSummaryMargins(12, 12, 12, 12);

}  // namespace

bool TMainForm::HaveBlocks(const QString& refusal) {
  if (pane().lines().empty()) {
    dialogs().ShowError(refusal);
    return false;
  }
  if (kelvara::ReadReportBlocks(pane().lines()).empty()) {
    dialogs().ShowError(QStringLiteral("計算結果に変数の見出し「【…】」の行がありません。"));
    return false;
  }
  return true;
}

std::vector<kelvara::SummarySection> TMainForm::Summary() {
  const std::vector<std::string>& lines = pane().lines();
  std::vector<kelvara::SummarySection> sections =
      kelvara::SummarySections(kelvara::ReadReportBlocks(lines), lines, settings_->summaryDecimals());
  if (sections.empty()) {
    dialogs().ShowError(QStringLiteral("一覧表にできる区分の行がありません（どの年齢階級区分の区分名でもありません）。"));
  }
  return sections;
}

QString TMainForm::AskSummaryPath(const QString& filter, const QString& extension) {
  WorkbookDialog->filter = filter;
  WorkbookDialog->defaultExt = extension;
  const QString folder = settings_->folder(dialog_use::kWorkbookSave);
  WorkbookDialog->directory = folder.isEmpty() ? ResultsFolder() : folder;
  // The results file's name with the new extension, when there is one.
  const QString base = !SaveDialog->fileName.isEmpty() ? SaveDialog->fileName : WorkbookDialog->fileName;
  if (!base.isEmpty()) {
    const QFileInfo info(base);
    WorkbookDialog->fileName = info.dir().filePath(info.completeBaseName() + QLatin1Char('.') + extension);
  }
  if (!dialogs().Execute(*WorkbookDialog)) return {};
  WorkbookDialog->fileName = WithDefaultExtension(WorkbookDialog->fileName, extension);
  const QString path = WorkbookDialog->fileName;
  // Neither the survey data nor the results file is ever replaced by these.
  for (const QString& kept : {TabSheet2->hasSurvey() ? TabSheet2->surveyPath() : QString(),
                              SaveDialog->fileName}) {
    if (!kept.isEmpty() && SameFile(path, kept)) {
      dialogs().ShowError(ShownPath(path) + QStringLiteral("は開いているデータか計算結果のファイルです。"
                                                          "別の名前をつけて保存してください。"));
      return {};
    }
  }
  if (!ConfirmOverwrite(dialogs(), path)) return {};
  settings_->setFolder(dialog_use::kWorkbookSave, QFileInfo(path).absolutePath());
  return path;
}

void TMainForm::ResultsSaveWorkbook() {
  RunGuarded(dialogs(), [this] {
    if (!HaveBlocks(QStringLiteral("保存する計算結果がありません。"))) return;
    const QString path = AskSummaryPath(QStringLiteral("Excel ブック (*.xlsx)"), QStringLiteral("xlsx"));
    if (path.isEmpty()) return;
    WaitCursor wait;
    const kelvara::XlsxBytes written = kelvara::WriteXlsx(
        kelvara::ResultsWorkbook(pane().lines(), pane().runs(), settings_->summaryDecimals()));
    QString cause;
    const QString detail = QString::fromStdString(written.detail);
    switch (written.status) {
      case kelvara::XlsxBytes::Status::ok: break;
      case kelvara::XlsxBytes::Status::noTemporary:
        cause = QStringLiteral("作業用の一時ファイルを作れませんでした（%1）。").arg(detail);
        break;
      case kelvara::XlsxBytes::Status::failed:
        cause = QStringLiteral("Excel 形式に書き出せませんでした（%1）。").arg(detail);
        break;
    }
    if (!cause.isEmpty() || !WriteFileBytes(path, written.bytes, &cause)) {
      dialogs().ShowError(FailureMessage(QStringLiteral("ファイルを保存できませんでした。"), path, cause));
    }
  });
}

void TMainForm::ResultsPrintSummary() {
  RunGuarded(dialogs(), [this] {
    if (!HaveBlocks(QStringLiteral("印刷する計算結果がありません。"))) return;
    QPrinter& printer = this->printer();
    // A4 across for this print; the page set-up of the results' print is
    // given back afterwards.
    const std::vector<kelvara::SummarySection> sections = Summary();
    if (sections.empty()) return;
    const QPageLayout kept = printer.pageLayout();
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                      kSummaryMargins, QPageLayout::Millimeter));
    if (dialogs().ExecutePrint(printer)) {
      WaitCursor wait;
      printer.setDocName(windowTitle());
      PrintSummary(sections, printer, QStringLiteral("一覧表　") + PrintHeading());
      if (printer.printerState() == QPrinter::Error) {
        dialogs().ShowError(QStringLiteral("印刷できませんでした。"));
      }
    }
    printer.setPageLayout(kept);
  });
}

void TMainForm::ResultsSaveSummaryPdf() {
  RunGuarded(dialogs(), [this] {
    if (!HaveBlocks(QStringLiteral("保存する計算結果がありません。"))) return;
    const std::vector<kelvara::SummarySection> sections = Summary();
    if (sections.empty()) return;
    const QString path = AskSummaryPath(QStringLiteral("PDF (*.pdf)"), QStringLiteral("pdf"));
    if (path.isEmpty()) return;
    WaitCursor wait;
    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly);
    if (written) {
      // The writer ends its file before the file is put in place.
      QPdfWriter writer(&file);
      writer.setTitle(QStringLiteral("一覧表"));
      writer.setCreator(QStringLiteral("Kelvara"));
      writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                       kSummaryMargins, QPageLayout::Millimeter));
      written = PrintSummary(sections, writer, QStringLiteral("一覧表　") + PrintHeading());
    }
    written = written && file.commit();
    if (!written) {
      const QFileDevice::FileError error =
          file.error() == QFileDevice::NoError ? QFileDevice::WriteError : file.error();
      dialogs().ShowError(FailureMessage(QStringLiteral("ファイルを保存できませんでした。"), path,
                                         WriteProblem(path, error, file.errorString())));
    }
  });
}

void TMainForm::ResultsChooseDecimals() {
  RunGuarded(dialogs(), [this] {
    if (!HaveBlocks(QStringLiteral("計算結果がありません。計算するか、計算結果を開いてから選んでください。"))) {
      return;
    }
    std::vector<std::string> variables;
    for (std::string& variable : kelvara::BlockVariables(kelvara::ReadReportBlocks(pane().lines()))) {
      if (std::find(variables.begin(), variables.end(), variable) == variables.end()) {
        variables.push_back(std::move(variable));
      }
    }
    SummaryDecimalsDialog dialog(std::move(variables), settings_->summaryDecimals(), this);
    if (dialogs().ExecuteDialog(dialog)) settings_->setSummaryDecimals(dialog.decimals());
  });
}
