// The open command of the settings tab: a survey data file into the grid,
// the five column selectors and the analysis-variable list, read off the
// window's thread with a progress window that can stop it.
#include <QFileInfo>
#include <QStringList>
#include <memory>

#include "codec/cp932.h"
#include "engine/reading/csv_table.h"
#include "ui/dialogs/formula_messages.h"
#include "ui/window/main_window.h"
#include "ui/window/background_work.h"
#include "ui/window/file_path.h"
#include "ui/window/handler_guard.h"
#include "ui/window/notice_bar.h"
#include "ui/settings/settings_tab.h"
#include "ui/settings/survey_contents.h"
#include "ui/settings/survey_messages.h"
#include "ui/window/window_settings.h"

namespace {

// Why a file is refused outright, or nothing.
QString RefusalOf(FileKind kind, const QString& path) {
  switch (kind) {
    case FileKind::utf16:
      return Survey(path) +
             QStringLiteral("は UTF-16 で書かれているため読み込めません.\n\n"
                            "シフトJIS の CSV か、UTF-8 の CSV（CSV UTF-8）で保存し直してください.");
    case FileKind::binary:
      return Survey(path) +
             QStringLiteral("はテキストの CSV ファイルではありません（文字でないバイトを含みます）.\n\n"
                            "健康・栄養調査データの CSV ファイルを選んでください.");
    case FileKind::text:
      break;
  }
  return {};
}

// The computed variables the file's headers allow, of those defined.
std::vector<kelvara::DerivedDefinition> UsableDerived(
    const std::vector<kelvara::DerivedDefinition>& derived, const QStringList& headerTexts) {
  std::vector<kelvara::DerivedDefinition> usable;
  for (const kelvara::DerivedDefinition& definition : derived) {
    if (DerivedDefinitionProblem(QString::fromStdString(definition.name),
                                 QString::fromStdString(definition.expression), headerTexts, 0)
            .isEmpty()) {
      usable.push_back(definition);
    }
  }
  return usable;
}

// The labels of the columns whose names code page 932 cannot hold.
QStringList NamesLackingCodePage(const SettingsTab& tab, size_t columns) {
  QStringList labels;
  for (size_t c = 0; c < columns; ++c) {
    if (!kelvara::Utf8ToCp932(tab.headerBytes(static_cast<int>(c)))) {
      labels.append(QStringLiteral("「") + tab.columnLabel(static_cast<int>(c)) + QStringLiteral("」"));
    }
  }
  return labels;
}

}  // namespace

void TMainForm::Button1Click() {
  RunGuarded(dialogs(), [this] { ChooseSurveyFile(); });
}

void TMainForm::OpenSurveyFile(const QString& path) {
  RunGuarded(dialogs(), [this, &path] { LoadSurvey(path); });
}

void TMainForm::ChooseSurveyFile() {
  OpenDialog->filter = QStringLiteral("栄養調査データ (*.csv)");
  OpenDialog->fileName = TabSheet2->surveyPath();
  OpenDialog->directory = settings_->folder(dialog_use::kSurvey);
  if (!dialogs().Execute(*OpenDialog)) {
    TabSheet2->SelectNoColumn();
    return;
  }
  LoadSurvey(OpenDialog->fileName);
}

void TMainForm::LoadSurvey(const QString& path) {
  settings_->setFolder(dialog_use::kSurvey, QFileInfo(path).absolutePath());
  const std::filesystem::path fileName = FileSystemPath(path);
  // The reader goes with the reading, which may end after the window has
  // been given back by 中止.
  auto table = std::make_shared<kelvara::CsvTable>();
  if (!table->Open(fileName)) {
    dialogs().ShowError(CannotOpenSurveyMessage(path));
    return;
  }
  if (const QString refusal = RefusalOf(KindOfFile(fileName), path); !refusal.isEmpty()) {
    dialogs().ShowError(refusal);
    return;
  }
  std::optional<SurveyContents> contents;
  {
    const WorkUnderWay loading(*this, Work::loading);
    contents = RunWithProgress<SurveyContents>(
        progressWindow(), *stoppedWork_, this, QStringLiteral("ファイルを読み込み中"),
        [table = std::move(table)](std::stop_token stop, ProgressNote& note) {
          return ReadSurveyContents(*table, stop, note);
        });
  }
  if (!contents) return;  // stopped: the window stays as it was
  if (!LooksLikeSurveyData(path, *contents)) return;

  const bool readFailed = contents->readFailed;
  const bool utf8 = contents->encoding == kelvara::TextEncoding::utf8;
  const size_t columns = contents->header.size();
  // The choices made for the file shown so far are kept, for it and for
  // files with the same headers. A file chosen before gets its own choices
  // back; another file those of the last file, where its headers match.
  RememberChoices();
  TabSheet2->ShowSurvey(path, std::move(*contents));
  const std::optional<ColumnChoices> own = settings_->columnsForFile(path);
  // A file's own computed variables; a file opened for the first time takes
  // those defined last that its headers allow.
  TabSheet2->setDerivedVariables(own ? settings_->derivedForFile(path)
                                     : UsableDerived(settings_->derived(), TabSheet2->headerTexts()));
  const QStringList missed = TabSheet2->applyChoices(own ? *own : settings_->columns());
  // Said once, beside the selectors, so that no choice is lost unnoticed.
  TabSheet2->notice().Show(
      missed.isEmpty()
          ? QString()
          : (own ? QStringLiteral("このファイルで前に選んだ列のうち、次の列が見つからないため選べませんでした: ")
                 : QStringLiteral("前のファイルで選んだ列のうち、次の列はこのファイルにないため選ばれていません: ")) +
                missed.join(QStringLiteral("、")) + QStringLiteral("。"));

  if (readFailed) {
    dialogs().ShowError(Survey(path) + QStringLiteral("を最後まで読み込めませんでした."));
  }
  if (utf8) {
    const QStringList lacking = NamesLackingCodePage(*TabSheet2, columns);
    if (!lacking.isEmpty()) {
      dialogs().ShowError(QStringLiteral("次の列の名前には、シフトJIS（コードページ932）にない文字があります: ") +
                          lacking.join(QStringLiteral("、")) +
                          QStringLiteral(".\n\nこれらの列は分析変数にできません（計算結果に名前を書けません）. "
                                         "列の名前を変えてから開き直してください."));
    }
  }
}

bool TMainForm::LooksLikeSurveyData(const QString& path, const SurveyContents& contents) {
  // Files that are no survey data are said so, and opened only when the user
  // still wants them.
  if (contents.rowCount == 0) {
    dialogs().ShowError(Survey(path) + QStringLiteral("には行がひとつもありません（空のファイルです）."));
    return false;
  }
  if (contents.rowCount == 1) {
    return dialogs().Confirm(Survey(path) +
                             QStringLiteral("にはデータの行がありません（見出しの行だけです）.\n\n"
                                            "それでも開きますか？"));
  }
  if (!contents.anyNumber) {
    return dialogs().Confirm(Survey(path) +
                             QStringLiteral("には数値の入った列がありません. "
                                            "健康・栄養調査データではないかもしれません.\n\n"
                                            "それでも開きますか？"));
  }
  return true;
}
