// The run command: one report block per ticked analysis variable, computed
// off the window's thread and appended to the results pane.
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTabWidget>
#include <map>

#include "codec/cp932.h"
#include "engine/report/run_conditions.h"
#include "engine/tabulation.h"
#include "ui/window/main_window.h"
#include "ui/window/background_work.h"
#include "ui/window/file_path.h"
#include "ui/window/handler_guard.h"
#include "ui/results/results_pane.h"
#include "ui/results/results_tab.h"
#include "ui/window/display_text.h"
#include "ui/window/notice_bar.h"
#include "ui/settings/judging_notice.h"
#include "ui/settings/settings_tab.h"
#include "ui/dialogs/formula_messages.h"
#include "ui/settings/survey_messages.h"
#include "ui/window/window_settings.h"

namespace {

QString RunFailureMessage(kelvara::RunOutcome outcome, const QString& path, const QString& label) {
  switch (outcome.status) {
    case kelvara::RunStatus::cannotOpen:
      return CannotOpenSurveyMessage(path);
    case kelvara::RunStatus::noHeaderRow:
      return Survey(path) +
             QStringLiteral("に見出しの行がありません（開いた後でファイルが空になりました）.");
    case kelvara::RunStatus::readError:
      return Survey(path) + QStringLiteral("の読み込み中にエラーが発生しました.");
    case kelvara::RunStatus::invalidColumn:
      return QStringLiteral("列の指定が正しくありません.");
    case kelvara::RunStatus::nameNotConvertible:
      return QStringLiteral("分析変数「") + label +
             QStringLiteral("」の名前には、シフトJIS（コードページ932）にない文字があるため、"
                            "計算結果に書けません.\n\n列の名前を変えてから開き直してください.");
    case kelvara::RunStatus::unitNotConvertible:
      return QStringLiteral("分析変数「%1」の見出しの単位「%2」を、基準値表の %3 の単位「%4」に"
                            "換算できません（換算するのは g・mg・μg の間だけです）.\n\n"
                            "見出しの単位を直すか、標本設計と追加の列の「基準値による判定」で"
                            "この列の栄養素を空欄にしてください.")
          .arg(label, DisplayText(outcome.unit.headerUnit),
               QString::fromStdString(outcome.unit.key), DisplayText(outcome.unit.tableUnit));
    case kelvara::RunStatus::stopped:
    case kelvara::RunStatus::ok:
      break;
  }
  return {};
}

// What the progress window says about a run.
QString ProgressText(const kelvara::RunProgress& progress, const std::map<int, QString>& labels) {
  if (progress.stage == kelvara::RunProgress::Stage::reading) {
    return QStringLiteral("データを読み込み中: %L1 行").arg(progress.rowsRead);
  }
  const auto label = labels.find(progress.column);
  return QStringLiteral("計算中: %1（%2 / %3）")
      .arg(label != labels.end() ? label->second : QString())
      .arg(progress.variableNumber)
      .arg(progress.variableCount);
}

void NoteProgress(ProgressNote& note, const kelvara::RunProgress& progress,
                  const std::map<int, QString>& labels) {
  constexpr int kSteps = 1000;
  int value = 0, maximum = 0;
  if (progress.stage == kelvara::RunProgress::Stage::computing) {
    value = static_cast<int>(progress.variableNumber);
    maximum = static_cast<int>(progress.variableCount);
  } else if (progress.fileBytes > 0) {
    value = static_cast<int>(kSteps * std::min(1.0, static_cast<double>(progress.bytesRead) /
                                                        static_cast<double>(progress.fileBytes)));
    maximum = kSteps;
  }
  note.Set(ProgressText(progress, labels), value, maximum);
}

// What the report does not show: persons whose age lies in no age band of
// the scheme, who appear at most in totals without an age range. Empty when
// everyone has a band.
QString CoverageNotice(const kelvara::GroupCoverage& coverage, kelvara::SchemeId scheme,
                       const QString& schemeCaption, const QString& ageLabel) {
  QStringList notes;
  if (coverage.outsideAgeBands > 0) {
    // Where they do count: in totals that take their age, or nowhere.
    const size_t nowhere = coverage.outsideEveryGroup;
    const QString counted =
        nowhere == 0 ? QStringLiteral("総数・計などの集計の行にだけ数えられます")
        : nowhere == coverage.outsideAgeBands
            ? QStringLiteral("総数・計などの集計の行にも入らず、どの行にも数えられません")
            : QStringLiteral("うち %L1 人はどの行にも数えられず、ほかは総数・計などの集計の行にだけ数えられます")
                  .arg(nowhere);
    notes.append(QStringLiteral("分類（性・年齢・妊婦授乳婦など）の使える %L1 人のうち %L2 人は、"
                                "「%3」のどの年齢階級にも入りません（%4）。"
                                "年齢の列（%5）と年齢階級区分が合っているか確かめてください。")
                     .arg(coverage.persons)
                     .arg(coverage.outsideAgeBands)
                     .arg(schemeCaption, counted, ageLabel));
  }
  if (scheme != kelvara::SchemeId::category && coverage.agesLookLikeCategories) {
    notes.append(QStringLiteral("年齢の列（%1）の値はすべて 1 から 10 の整数です。"
                                "カテゴリー番号なら「カテゴリー番号1,2,3,...,10」を選んでください。")
                     .arg(ageLabel));
  }
  return notes.join(QLatin1Char('\n'));
}

}  // namespace

bool TMainForm::AddDerivedVariables(kelvara::RunRequest& request) {
  const std::vector<kelvara::DerivedDefinition>& derived = TabSheet2->derivedVariables();
  const std::vector<std::string> header = Utf8Texts(TabSheet2->headerTexts());
  for (int column : request.variableColumns) {
    if (column < TabSheet2->columnCount()) continue;
    const kelvara::DerivedDefinition& definition =
        derived[static_cast<size_t>(column - TabSheet2->columnCount())];
    const kelvara::CompiledFormula compiled = kelvara::CompileFormula(definition.expression, header);
    const std::optional<std::string> name = kelvara::Utf8ToCp932(definition.name);
    const std::optional<std::string> formula = kelvara::Utf8ToCp932(definition.expression);
    if (compiled.problem || !name || !formula) {
      dialogs().ShowError(
          QStringLiteral("計算列「%1」を計算できません: ").arg(QString::fromStdString(definition.name)) +
          DerivedDefinitionProblem(QString::fromStdString(definition.name),
                                   QString::fromStdString(definition.expression),
                                   TabSheet2->headerTexts(), 0) +
          QStringLiteral("\n\n計算 > 計算列 で式を直してください."));
      return false;
    }
    request.derived.push_back({column, *name, *formula, compiled.rows});
  }
  return true;
}

void TMainForm::ButtonRunClick() {
  RunGuarded(dialogs(), [this] { RunTabulation(); });
}

void TMainForm::RunTabulation() {
  if (!TabSheet2->hasSurvey()) {
    dialogs().ShowError(QStringLiteral("健康・栄養調査データが開かれていません. "
                                       "「開く」でファイルを選んでください."));
    return;
  }
  if (TabSheet2->sexColumn() < 0) {
    dialogs().ShowError(QStringLiteral("性別が指定されていません."));
    return;
  }
  if (TabSheet2->ageColumn() < 0) {
    dialogs().ShowError(QStringLiteral("年齢が指定されていません."));
    return;
  }
  if (TabSheet2->pregnancyColumn() < 0) {
    dialogs().ShowError(QStringLiteral("妊婦・授乳婦が指定されていません."));
    return;
  }
  const std::optional<int> weightColumn = TabSheet2->weightColumn();
  if (!weightColumn) {
    dialogs().ShowError(QStringLiteral("重み（サンプリング・ウエイト）の「") + TabSheet2->weightText() +
                        QStringLiteral("」という列はありません. "
                                       "一覧から選ぶか、列の番号か見出しを入力してください."));
    return;
  }
  if (TabSheet2->scheme() == kelvara::SchemeId::category && TabSheet2->designOptions().reference) {
    dialogs().ShowError(QStringLiteral("基準値による判定は年齢で行うため、カテゴリー番号の区分では"
                                       "できません. 年齢階級の区分を選ぶか、計算法の指定で"
                                       "基準値の表を「なし」にしてください."));
    return;
  }
  kelvara::RunRequest request;
  request.variableColumns = TabSheet2->tickedColumns();
  if (request.variableColumns.empty()) {
    dialogs().ShowError(QStringLiteral("分析変数（栄養素等）が選ばれていません. "
                                       "計算する変数にチェックを付けてください."));
    return;
  }
  RememberChoices();
  settings_->setScheme(TabSheet2->scheme());

  const QString path = TabSheet2->surveyPath();
  request.fileName = FileSystemPath(path);
  request.columns.unitColumn = TabSheet2->unitColumn();
  request.columns.sexColumn = TabSheet2->sexColumn();
  request.columns.ageColumn = TabSheet2->ageColumn();
  request.columns.pregnancyColumn = TabSheet2->pregnancyColumn();
  request.columns.weightColumn = *weightColumn;
  request.scheme = TabSheet2->scheme();
  request.design = TabSheet2->designOptions();
  // A method remembered without its column in this file adds nothing.
  if (request.design.energyAdjustment.energyColumn < 0) request.design.energyAdjustment = {};
  // Names as the window shows them, in the report's code page: for the
  // provenance lines and the workbook's conditions.
  const auto cp932 = [](const QString& text) {
    return kelvara::Utf8ToCp932(text.toUtf8().toStdString()).value_or("?");
  };
  const auto label = [&](int column) {
    return column < 0 ? std::string() : cp932(TabSheet2->columnLabel(column));
  };
  kelvara::Provenance names;
  names.file = cp932(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
  names.unit = label(request.columns.unitColumn);
  names.weight = label(request.columns.weightColumn);
  names.strata = label(request.design.strataColumn);
  names.dateTime =
      QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString();
  if (ProvenanceItem->isChecked()) request.provenance = names;
  if (!AddDerivedVariables(request)) return;
  kelvara::RunConditions conditions =
      kelvara::ConditionsOfRun(names, request.scheme, request.design, label);
  std::map<int, QString> labels;
  for (int column : request.variableColumns) labels[column] = TabSheet2->columnLabel(column);

  // The run owns what it uses: after 中止 it may end its last variable while
  // the window has gone on.
  struct Result {
    kelvara::RunOutcome outcome;
    std::vector<std::string> lines;
  };
  std::optional<Result> result;
  {
    const WorkUnderWay running(*this, Work::running);
    result = RunWithProgress<Result>(
        progressWindow(), *stoppedWork_, this, QStringLiteral("計算中"),
        [request, labels](std::stop_token stop, ProgressNote& note) {
          note.Set(QStringLiteral("データを読み込み中"), 0, 0);
          kelvara::RunControl control;
          control.stop = stop;
          control.progress = [&](const kelvara::RunProgress& p) { NoteProgress(note, p, labels); };
          control.utf8ToCp932 = [](std::string_view name) { return kelvara::Utf8ToCp932(name); };
          Result result;
          result.outcome = kelvara::TabulateVariables(
              request, [&result](std::string_view line) { result.lines.emplace_back(line); },
              control);
          return result;
        });
  }
  // Stopped: nothing is appended and the user stays where they were.
  if (!result || result->outcome.status == kelvara::RunStatus::stopped) return;
  const kelvara::RunOutcome outcome = result->outcome;
  if (outcome.status != kelvara::RunStatus::ok) {
    dialogs().ShowError(RunFailureMessage(outcome, path, TabSheet2->columnLabel(outcome.column)));
    return;
  }
  pane().AppendLines(std::move(result->lines), std::move(conditions));
  QStringList notices = {CoverageNotice(outcome.coverage, request.scheme,
                                        TabSheet2->schemeCaption(),
                                        TabSheet2->columnLabel(request.columns.ageColumn)),
                         JudgingNotice(outcome.judging)};
  notices.removeAll(QString());
  TabSheet3->notice().Show(notices.join(QLatin1Char('\n')));
  PageControl1->setCurrentWidget(TabSheet3);
}
