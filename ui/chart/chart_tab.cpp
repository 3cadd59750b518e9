#include "ui/chart/chart_tab.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <map>

#include "engine/design_options.h"
#include "engine/report/block_scheme.h"
#include "platform/program_directory.h"
#include "ui/chart/chart_export.h"
#include "ui/chart/reference_marks.h"
#include "ui/dialogs/common_dialogs.h"
#include "ui/window/display_text.h"
#include "ui/window/file_problem.h"
#include "ui/chart/chart_view.h"
#include "ui/chart/distribution_chart.h"
#include "ui/window/handler_guard.h"
#include "ui/chart/mean_chart.h"
#include "ui/results/results_pane.h"
#include "ui/window/wait_cursor.h"

namespace {

const QString kChooseNote = QStringLiteral("一覧から変数を選ぶと、そのグラフを描きます。");
const QString kNoResultsNote =
    QStringLiteral("計算結果がありません。計算を実行するか、計算結果を開いてください。");
constexpr int kListWidth = 170;

// A file name offered for the chart: the variable's name without the
// characters that file systems refuse.
QString FileNameFor(const QString& title, const QString& extension) {
  QString name = title;
  name.replace(QRegularExpression(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1F]")),
               QStringLiteral("_"));
  if (name.trimmed().isEmpty()) name = QStringLiteral("chart");
  return name + QLatin1Char('.') + extension;
}

// The scheme's short name, as a list or a file name can hold it.
QString SchemeShortName(const kelvara::ReportBlock& block) {
  const std::optional<kelvara::BlockScheme> match = kelvara::MatchScheme(block);
  if (!match) return {};
  switch (match->scheme) {
    case kelvara::SchemeId::table1: return QStringLiteral("第1表");
    case kelvara::SchemeId::table2: return QStringLiteral("第2表");
    case kelvara::SchemeId::part5: return QStringLiteral("第5部");
    case kelvara::SchemeId::category: return QStringLiteral("カテゴリー");
  }
  return {};
}

// How a block differs from others of the same variable: its scheme, its
// place among the blocks of that name, the added columns and, when the
// report has provenance lines, when it was run and on which file.
QString BlockDetails(const kelvara::ReportBlock& block, int occurrence) {
  QStringList details;
  if (const QString scheme = SchemeShortName(block); !scheme.isEmpty()) details.append(scheme);
  if (block.strata && block.strata->units) details.append(QStringLiteral("層別"));
  if (block.Column(kelvara::kConfidenceLowerTitle)) details.append(QStringLiteral("信頼区間"));
  if (block.Column(kelvara::kCoefficientOfVariationTitle)) details.append(QStringLiteral("変動係数"));
  if (block.Column(kelvara::kDesignEffectTitle)) details.append(QStringLiteral("デザイン効果"));
  for (const std::string& title : block.titles) {
    const std::string_view text(title);
    if (text.ends_with(kelvara::kShareBelowTitleSuffix)) {
      details.append(DisplayText(text.substr(0, text.size() - kelvara::kShareBelowTitleSuffix.size())) +
                     QStringLiteral("未満"));
    }
  }
  if (block.provenance) details.append(DisplayText(block.provenance->dateTime));
  if (occurrence > 0) details.append(QStringLiteral("%1つ目").arg(occurrence + 1));
  return details.join(QStringLiteral("・"));
}

QString ProvenanceTip(const kelvara::ReportBlock& block) {
  if (!block.provenance) return {};
  const kelvara::ProvenanceFields& p = *block.provenance;
  const auto none = [](const std::string& text) {
    return text.empty() ? QStringLiteral("なし") : DisplayText(text);
  };
  return QStringLiteral("ファイル: %1\n年齢階級区分: %2\n抽出単位: %3\n重み: %4\n層: %5\n追加の列: %6\n日時: %7\n%8")
      .arg(none(p.file), none(p.scheme), none(p.unit), none(p.weight), none(p.strata),
           none(p.addedColumns), none(p.dateTime), DisplayText(p.program));
}

}  // namespace

ChartTab::ChartTab(const ResultsPane& pane, std::function<DialogService&()> dialogs,
                   std::function<QPrinter&()> printer, ReferenceSource reference,
                   QWidget* parent)
    : QWidget(parent),
      pane_(pane),
      dialogs_(std::move(dialogs)),
      printer_(std::move(printer)),
      reference_(std::move(reference)),
      tables_(kelvara::ProgramDirectory()),
      saveDialog_(new TFileDialog(TFileDialog::Kind::save, QStringLiteral("SaveChartDialog"), this)) {
  auto* listCaption = new QLabel(QStringLiteral("変数"), this);
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("ListChartBlocks"));
  list_->setFixedWidth(kListWidth);

  meanButton_ = new QRadioButton(QStringLiteral("平均と誤差線"), this);
  distributionButton_ = new QRadioButton(QStringLiteral("分布（箱ひげ図）"), this);
  meanButton_->setChecked(true);
  auto* kinds = new QButtonGroup(this);
  kinds->addButton(meanButton_);
  kinds->addButton(distributionButton_);
  bothSexesBox_ = new QCheckBox(QStringLiteral("男女も描く"), this);
  savePngButton_ = new QPushButton(QStringLiteral("PNG保存..."), this);
  savePdfButton_ = new QPushButton(QStringLiteral("PDF保存..."), this);
  printButton_ = new QPushButton(QStringLiteral("印刷..."), this);
  auto* controls = new QHBoxLayout;
  controls->addWidget(meanButton_);
  controls->addWidget(distributionButton_);
  controls->addWidget(bothSexesBox_);
  controls->addStretch(1);
  // The picture's commands stand under the list of variables, so that the
  // tab is no wider than the window's other tabs need.
  auto* listColumn = new QVBoxLayout;
  listColumn->addWidget(listCaption);
  listColumn->addWidget(list_, 1);
  listColumn->addWidget(savePngButton_);
  listColumn->addWidget(savePdfButton_);
  listColumn->addWidget(printButton_);

  meanView_ = new ChartView(PaintMeanChart, this);
  distributionView_ = new ChartView(PaintDistributionChart, this);
  stack_ = new QStackedWidget(this);
  stack_->addWidget(meanView_);
  stack_->addWidget(distributionView_);
  noteLabel_ = new QLabel(this);
  noteLabel_->setObjectName(QStringLiteral("LabelChartNote"));
  noteLabel_->setWordWrap(true);
  noteLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* chartColumn = new QVBoxLayout;
  chartColumn->addLayout(controls);
  chartColumn->addWidget(stack_, 1);
  chartColumn->addWidget(noteLabel_);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addLayout(listColumn);
  layout->addLayout(chartColumn, 1);

  connect(&pane_, &ResultsPane::linesChanged, this, &ChartTab::RefreshBlocks);
  connect(list_, &QListWidget::currentRowChanged, this, &ChartTab::ChooseRow);
  connect(meanButton_, &QRadioButton::toggled, this, [this](bool on) {
    SetKind(on ? ChartKind::mean : ChartKind::distribution);
  });
  connect(bothSexesBox_, &QCheckBox::toggled, this, &ChartTab::SetBothSexesShown);
  connect(savePngButton_, &QPushButton::clicked, this, &ChartTab::SaveAsPng);
  connect(savePdfButton_, &QPushButton::clicked, this, &ChartTab::SaveAsPdf);
  connect(printButton_, &QPushButton::clicked, this, &ChartTab::Print);

  RefreshBlocks();
}

ChartTab::~ChartTab() = default;

QString ChartTab::note() const { return noteLabel_->text(); }

void ChartTab::SetKind(ChartKind kind) {
  if (kind == kind_) return;
  kind_ = kind;
  const QSignalBlocker blocker(meanButton_);
  (kind == ChartKind::mean ? meanButton_ : distributionButton_)->setChecked(true);
  stack_->setCurrentWidget(kind == ChartKind::mean ? static_cast<QWidget*>(meanView_)
                                                   : distributionView_);
  Draw(true);
}

void ChartTab::SetBothSexesShown(bool shown) {
  if (shown == bothSexes_) return;
  bothSexes_ = shown;
  const QSignalBlocker blocker(bothSexesBox_);
  bothSexesBox_->setChecked(shown);
  Draw(true);
}

std::optional<int> ChartTab::RowOf(const BlockKey& key) const {
  int seen = 0;
  for (size_t i = 0; i < blocks_.size(); ++i) {
    if (blocks_[i].name != key.name) continue;
    if (seen++ == key.occurrence) return static_cast<int>(i);
  }
  return std::nullopt;
}

void ChartTab::RefreshBlocks() {
  blocks_ = kelvara::ReadReportBlocks(pane_.lines());
  const QSignalBlocker blocker(list_);
  list_->clear();
  // Blocks of one variable (four schemes, two designs) read alike by name:
  // a second line tells them apart.
  std::map<std::string, int> seen;
  for (const kelvara::ReportBlock& block : blocks_) {
    const QString details = BlockDetails(block, seen[block.name]++);
    auto* item = new QListWidgetItem(DisplayText(block.name) +
                                     (details.isEmpty() ? QString() : QLatin1Char('\n') + details));
    item->setToolTip(ProvenanceTip(block));
    list_->addItem(item);
  }

  // Nothing chosen yet: the first block is drawn as soon as there is one.
  if (!chosen_ && !blocks_.empty()) chosen_ = BlockKey{blocks_.front().name, 0};
  const std::optional<int> row = chosen_ ? RowOf(*chosen_) : std::nullopt;
  list_->setCurrentRow(row.value_or(-1));
  if (blocks_.empty() && !chosen_) {
    emptyNote_ = kNoResultsNote;
  } else if (!row) {
    emptyNote_ = QStringLiteral("「") + DisplayText(chosen_->name) +
                 QStringLiteral("」の計算結果は計算結果タブにもうありません。") +
                 (blocks_.empty() ? QString() : kChooseNote);
  }
  Draw(false);
}

void ChartTab::ChooseRow(int row) {
  if (row < 0 || static_cast<size_t>(row) >= blocks_.size()) return;
  const std::string& name = blocks_[static_cast<size_t>(row)].name;
  int occurrence = 0;
  for (int i = 0; i < row; ++i) {
    if (blocks_[static_cast<size_t>(i)].name == name) ++occurrence;
  }
  chosen_ = BlockKey{name, occurrence};
  Draw(false);
}

void ChartTab::Draw(bool force) {
  const std::optional<int> row = chosen_ ? RowOf(*chosen_) : std::nullopt;
  if (!row) {
    drawnBlock_.reset();
    data_ = ChartData();
  } else {
    const kelvara::ReportBlock& block = blocks_[static_cast<size_t>(*row)];
    std::shared_ptr<const kelvara::ReferenceChoice> reference =
        reference_ ? reference_() : nullptr;
    // Lines added after the block change nothing in its chart.
    if (!force && drawnBlock_ && *drawnBlock_ == block && drawnReference_ == reference) return;
    drawnBlock_ = block;
    drawnReference_ = reference;
    data_ = BuildChartData(block, kind_, bothSexes_);
    // A block followed by its usual-intake block: the distributions side by side.
    const size_t next = static_cast<size_t>(*row) + 1;
    if (kind_ == ChartKind::distribution && next < blocks_.size() &&
        IsUsualIntakeOf(blocks_[next], block)) {
      AddUsualIntakes(data_, blocks_[next], bothSexes_);
    }
    AddReferenceMarks(data_, tables_.Find(block, reference.get()));
  }

  meanView_->SetData(data_);
  distributionView_->SetData(data_);
  noteLabel_->setText(row ? data_.note : emptyNote_);
  const bool drawn = row && !data_.empty();
  savePngButton_->setEnabled(drawn);
  savePdfButton_->setEnabled(drawn);
  printButton_->setEnabled(drawn);
}

bool ChartTab::AskSavePath(const QString& filter, const QString& extension, QString& path) {
  DialogService& dialogs = dialogs_();
  saveDialog_->filter = filter;
  saveDialog_->defaultExt = extension;
  // Offer the variable's name, in the folder of the last chart saved.
  const QString scheme = drawnBlock_ ? SchemeShortName(*drawnBlock_) : QString();
  const QString offered =
      FileNameFor(scheme.isEmpty() ? data_.title : data_.title + QLatin1Char('_') + scheme, extension);
  saveDialog_->fileName = saveDialog_->fileName.isEmpty()
                              ? offered
                              : QFileInfo(saveDialog_->fileName).dir().filePath(offered);
  if (!dialogs.Execute(*saveDialog_)) return false;
  saveDialog_->fileName = WithDefaultExtension(saveDialog_->fileName, extension);
  path = saveDialog_->fileName;
  return ConfirmOverwrite(dialogs, path);
}

void ChartTab::SaveAsPng() {
  RunGuarded(dialogs_(), [this] {
    if (data_.empty()) return;
    QString path;
    if (!AskSavePath(QStringLiteral("PNG画像 (*.png)"), QStringLiteral("png"), path)) return;
    WaitCursor wait;
    QString cause;
    if (!SaveChartPng(path, data_, font(), &cause)) {
      dialogs_().ShowError(
          FailureMessage(QStringLiteral("ファイルを保存できませんでした。"), path, cause));
    }
  });
}

void ChartTab::SaveAsPdf() {
  RunGuarded(dialogs_(), [this] {
    if (data_.empty()) return;
    QString path;
    if (!AskSavePath(QStringLiteral("PDF (*.pdf)"), QStringLiteral("pdf"), path)) return;
    WaitCursor wait;
    QString cause;
    if (!SaveChartPdf(path, data_, font(), data_.title, &cause)) {
      dialogs_().ShowError(
          FailureMessage(QStringLiteral("ファイルを保存できませんでした。"), path, cause));
    }
  });
}

void ChartTab::Print() {
  RunGuarded(dialogs_(), [this] {
    if (data_.empty()) return;
    QPrinter& printer = printer_();
    if (!dialogs_().ExecutePrint(printer)) return;
    WaitCursor wait;
    printer.setDocName(window()->windowTitle());
    if (!PrintChart(printer, data_, font()) || printer.printerState() == QPrinter::Error) {
      dialogs_().ShowError(QStringLiteral("印刷できませんでした。"));
    }
  });
}
