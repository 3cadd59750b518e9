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
#include <QSplitter>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>
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
// The list's width at first; the splitter beside it gives it more.
constexpr int kListWidth = 190;

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

// The reference table a judged block was judged against, as short as tells
// the editions apart: "2025年版" of 日本人の食事摂取基準（2025年版）, else its
// title. Empty for a block that was not judged.
QString ReferenceShortName(const kelvara::ReportBlock& block) {
  if (!block.reference) return {};
  const QString title = DisplayText(block.reference->table);
  static const QRegularExpression edition(QStringLiteral("(\\d{4})\\s*年版"));
  if (const QRegularExpressionMatch match = edition.match(title); match.hasMatch()) {
    return match.captured(1) + QStringLiteral("年版");
  }
  return title;
}

// How a block differs from others of the same variable: its scheme, the
// reference table it was judged against, its place among the blocks of that
// name, the added columns and, when the report has provenance lines, when it
// was run and on which file.
QString BlockDetails(const kelvara::ReportBlock& block, int occurrence) {
  QStringList details;
  if (const QString scheme = SchemeShortName(block); !scheme.isEmpty()) details.append(scheme);
  if (const QString table = ReferenceShortName(block); !table.isEmpty()) details.append(table);
  if (block.strata && block.strata->units) details.append(QStringLiteral("層別"));
  if (block.Column(kelvara::kConfidenceLowerTitle)) details.append(QStringLiteral("信頼区間"));
  if (block.Column(kelvara::kCoefficientOfVariationTitle)) details.append(QStringLiteral("変動係数"));
  if (block.Column(kelvara::kDesignEffectTitle)) details.append(QStringLiteral("デザイン効果"));
  for (const std::string& title : block.titles) {
    const std::string_view text(title);
    // The judged shares (EAR未満の割合) are told by the table's edition.
    const bool judged = std::find(std::begin(kelvara::kJudgedShareTitles),
                                  std::end(kelvara::kJudgedShareTitles),
                                  text) != std::end(kelvara::kJudgedShareTitles);
    if (text.ends_with(kelvara::kShareBelowTitleSuffix) && !judged) {
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

// The picture's file name without its extension: the variable, its scheme
// and the table it was judged against.
QString PictureStem(const kelvara::ReportBlock& block) {
  QStringList parts{DisplayText(block.name)};
  for (const QString& part : {SchemeShortName(block), ReferenceShortName(block)}) {
    if (!part.isEmpty()) parts.append(part);
  }
  return parts.join(QLatin1Char('_'));
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
  // What tells blocks apart stands at both ends of an entry (the scheme
  // first, 「2つ目」 last): a narrow list cuts the middle.
  list_->setTextElideMode(Qt::ElideMiddle);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list_->setMinimumWidth(90);

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
  auto* listPanel = new QWidget(this);
  auto* listColumn = new QVBoxLayout(listPanel);
  listColumn->setContentsMargins(0, 0, 0, 0);
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
  auto* chartPanel = new QWidget(this);
  auto* chartColumn = new QVBoxLayout(chartPanel);
  chartColumn->setContentsMargins(0, 0, 0, 0);
  chartColumn->addLayout(controls);
  chartColumn->addWidget(stack_, 1);
  chartColumn->addWidget(noteLabel_);

  // The list beside the chart, as wide as the user drags it.
  splitter_ = new QSplitter(Qt::Horizontal, this);
  splitter_->setObjectName(QStringLiteral("SplitterChart"));
  splitter_->setChildrenCollapsible(false);
  splitter_->addWidget(listPanel);
  splitter_->addWidget(chartPanel);
  splitter_->setStretchFactor(0, 0);
  splitter_->setStretchFactor(1, 1);
  splitter_->setSizes({kListWidth, 4 * kListWidth});
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(splitter_);

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
    const QString text =
        DisplayText(block.name) + (details.isEmpty() ? QString() : QLatin1Char('\n') + details);
    auto* item = new QListWidgetItem(text);
    // The whole entry, however narrow the list, and where the block came from.
    const QString provenance = ProvenanceTip(block);
    item->setToolTip(provenance.isEmpty() ? text : text + QStringLiteral("\n\n") + provenance);
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
  // Offer the block's name, in the folder of the last chart saved.
  const QString offered = FileNameFor(OfferedStem(), extension);
  saveDialog_->fileName = folder_.isEmpty() ? offered : QDir(folder_).filePath(offered);
  if (!dialogs.Execute(*saveDialog_)) return false;
  saveDialog_->fileName = WithDefaultExtension(saveDialog_->fileName, extension);
  path = saveDialog_->fileName;
  folder_ = QFileInfo(path).absolutePath();
  return ConfirmOverwrite(dialogs, path);
}

QString ChartTab::OfferedStem() const {
  const std::optional<int> row = chosen_ ? RowOf(*chosen_) : std::nullopt;
  if (!row) return data_.title;
  // Blocks that would give the same name (runs of one variable and scheme,
  // against one table) are told apart by their place among them.
  const QString stem = PictureStem(blocks_[static_cast<size_t>(*row)]);
  int same = 0, place = 0;
  for (size_t i = 0; i < blocks_.size(); ++i) {
    if (PictureStem(blocks_[i]) != stem) continue;
    ++same;
    if (i == static_cast<size_t>(*row)) place = same;
  }
  return place > 1 ? stem + QStringLiteral("_%1").arg(place) : stem;
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
