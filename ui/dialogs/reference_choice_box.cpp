#include "ui/dialogs/reference_choice_box.h"

#include <QBrush>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>

#include "codec/cp932.h"
#include "engine/reading/reference_location.h"
#include "platform/program_directory.h"
#include "ui/dialogs/nutrient_judging.h"
#include "ui/window/display_text.h"

namespace {

// The items of the alternatives' lists, in list order, each with what it
// chooses.
template <typename Choice>
struct ListItem {
  Choice choice;
  const char* text;
};
constexpr ListItem<kelvara::PregnancyStage> kStageItems[] = {
    {kelvara::PregnancyStage::notChosen, "指定しない（付加量が時期で異なれば判定しない）"},
    {kelvara::PregnancyStage::early, "初期"},
    {kelvara::PregnancyStage::mid, "中期"},
    {kelvara::PregnancyStage::late, "後期"},
};
constexpr ListItem<kelvara::Menstruation> kMenstruationItems[] = {
    {kelvara::Menstruation::notChosen, "指定しない（月経の有無で異なれば判定しない）"},
    {kelvara::Menstruation::yes, "月経あり"},
    {kelvara::Menstruation::no, "月経なし"},
};

template <typename Choice, size_t N>
void FillList(QComboBox* list, const ListItem<Choice> (&items)[N]) {
  for (const ListItem<Choice>& item : items) list->addItem(QString::fromUtf8(item.text));
}

template <typename Choice, size_t N>
void ShowChoice(QComboBox* list, const ListItem<Choice> (&items)[N], Choice chosen) {
  for (size_t i = 0; i < N; ++i) {
    if (items[i].choice == chosen) list->setCurrentIndex(static_cast<int>(i));
  }
}

template <typename Choice, size_t N>
Choice ChoiceOf(const QComboBox* list, const ListItem<Choice> (&items)[N]) {
  return items[std::clamp(list->currentIndex(), 0, static_cast<int>(N) - 1)].choice;
}

// The table list: (なし), each shipped table under its own title, a file.
constexpr int kShippedTables = static_cast<int>(std::size(kelvara::kShippedReferenceNames));
constexpr int kFileItem = kShippedTables + 1;

enum MappingColumn { kColumnLabel, kNutrient, kFigures, kPersons, kMappingColumns };

std::string Cp932(const QString& text) {
  return kelvara::Utf8ToCp932(text.toStdString()).value_or(std::string());
}

// A shipped table's title as its file gives it; its name when it cannot be read.
QString ShippedTitle(std::string_view name) {
  std::string error;
  const std::optional<kelvara::ReferenceTable> table = kelvara::ReadNamedReferenceTable(
      std::string(name), kelvara::ProgramDirectory(),
      [](std::string_view text) { return kelvara::Utf8ToCp932(text); }, error);
  return table ? DisplayText(table->title) : QString::fromUtf8(name.data(), static_cast<int>(name.size()));
}

QTableWidgetItem* ReadOnlyItem(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(item->flags() & ~Qt::ItemIsEditable);
  return item;
}

}  // namespace

ReferenceChoiceBox::ReferenceChoiceBox(const QStringList& columnLabels,
                                       const QStringList& headerTexts,
                                       std::shared_ptr<const kelvara::ReferenceChoice> initial,
                                       QWidget* parent)
    : QGroupBox(QStringLiteral("基準値による判定（EAR・AI・UL・DG）"), parent),
      columnLabels_(columnLabels),
      headerTexts_(headerTexts) {
  tableChoice_ = new QComboBox;
  tableChoice_->setObjectName(QStringLiteral("referenceTable"));
  tableChoice_->addItem(QStringLiteral("(なし)"));
  for (std::string_view name : kelvara::kShippedReferenceNames) tableChoice_->addItem(ShippedTitle(name));
  tableChoice_->addItem(QStringLiteral("ファイルの基準値表"));
  file_ = new QLineEdit;
  file_->setObjectName(QStringLiteral("referenceFile"));
  auto* browse = new QPushButton(QStringLiteral("参照..."));
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(file_, 1);
  fileRow->addWidget(browse);

  stage_ = new QComboBox;
  stage_->setObjectName(QStringLiteral("pregnancyStage"));
  FillList(stage_, kStageItems);
  menstruation_ = new QComboBox;
  menstruation_->setObjectName(QStringLiteral("menstruation"));
  FillList(menstruation_, kMenstruationItems);

  mapping_ = new QTableWidget(0, kMappingColumns);
  mapping_->setObjectName(QStringLiteral("nutrientMapping"));
  mapping_->setHorizontalHeaderLabels({QStringLiteral("列"), QStringLiteral("栄養素"),
                                       QStringLiteral("判定できる値"),
                                       QStringLiteral("値のある人数")});
  mapping_->horizontalHeader()->setStretchLastSection(true);
  mapping_->verticalHeader()->hide();
  mapping_->setMinimumHeight(140);
  hint_ = new QLabel;
  hint_->setObjectName(QStringLiteral("referenceHint"));
  hint_->setWordWrap(true);

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("基準値表:"), tableChoice_);
  form->addRow(QStringLiteral("ファイル:"), fileRow);
  form->addRow(QStringLiteral("妊婦の時期:"), stage_);
  form->addRow(QStringLiteral("鉄（女性10～64歳）:"), menstruation_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  auto* mappingNote = new QLabel(QStringLiteral(
      "各列の栄養素（基準値表のキー）。列名から自動で対応づけ、書き換えると手で指定したことになります"
      "（空欄は判定しない）。列名の括弧の単位（g・mg・μg）は表の単位に換算します。"
      "値のある人数は、性別・年齢・妊婦授乳婦の列から数えた、その値で判定できる人の数です。"));
  mappingNote->setWordWrap(true);
  layout->addWidget(mappingNote);
  layout->addWidget(mapping_);
  layout->addWidget(hint_);

  if (initial) {
    int item = kFileItem;
    for (int i = 0; i < kShippedTables; ++i) {
      if (initial->origin == kelvara::kShippedReferenceNames[i]) item = i + 1;
    }
    tableChoice_->setCurrentIndex(item);
    if (item == kFileItem) file_->setText(QString::fromStdString(initial->origin));
    ShowChoice(stage_, kStageItems, initial->pregnancyStage);
    ShowChoice(menstruation_, kMenstruationItems, initial->menstruation);
    initialKeys_ = initial->keyByHeader;
  }
  connect(tableChoice_, &QComboBox::currentIndexChanged, this, &ReferenceChoiceBox::LoadTable);
  connect(file_, &QLineEdit::editingFinished, this, &ReferenceChoiceBox::LoadTable);
  connect(browse, &QPushButton::clicked, this, [this] {
    const QString file = QFileDialog::getOpenFileName(
        this, QStringLiteral("基準値表を開く"), file_->text(),
        QStringLiteral("基準値表 (*.csv);;すべてのファイル (*)"));
    if (file.isEmpty()) return;
    file_->setText(file);
    tableChoice_->setCurrentIndex(kFileItem);
    LoadTable();
  });
  for (QComboBox* alternative : {stage_, menstruation_}) {
    connect(alternative, &QComboBox::currentIndexChanged, this, [this] {
      ShowJudging();
      emit changed();
    });
  }
  connect(mapping_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (item->column() != kNutrient) return;
    ShowJudging();
    emit changed();
  });
  SetVariables({});
  LoadTable();
}

void ReferenceChoiceBox::SetVariables(const std::vector<int>& columns) {
  KeepKeysTyped();
  rowColumns_.clear();
  for (int column : columns) {
    if (column >= 0 && column < columnLabels_.size()) rowColumns_.push_back(column);
  }
  if (rowColumns_.empty()) {
    for (int column = 0; column < columnLabels_.size(); ++column) rowColumns_.push_back(column);
  }
  {
    const QSignalBlocker blocker(mapping_);
    mapping_->setRowCount(static_cast<int>(rowColumns_.size()));
    for (int row = 0; row < mapping_->rowCount(); ++row) {
      mapping_->setItem(row, kColumnLabel, ReadOnlyItem(columnLabels_[rowColumns_[row]]));
      mapping_->setItem(row, kNutrient, new QTableWidgetItem);
      mapping_->setItem(row, kFigures, ReadOnlyItem(QString()));
      mapping_->setItem(row, kPersons, ReadOnlyItem(QString()));
    }
  }
  FillMapping();
  ShowJudging();
  emit changed();
}

void ReferenceChoiceBox::SetPersons(std::vector<int64_t> personsOfClass) {
  personsOfClass_ = std::move(personsOfClass);
  ShowJudging();
}

QString ReferenceChoiceBox::Origin() const {
  const int item = tableChoice_->currentIndex();
  if (item >= 1 && item <= kShippedTables) {
    return QString::fromLatin1(kelvara::kShippedReferenceNames[item - 1].data(),
                               static_cast<int>(kelvara::kShippedReferenceNames[item - 1].size()));
  }
  if (item == kFileItem) return file_->text().trimmed();
  return {};
}

std::string ReferenceChoiceBox::HeaderOfRow(int row) const {
  return Cp932(headerTexts_.value(rowColumns_[static_cast<size_t>(row)]));
}

std::string ReferenceChoiceBox::KeyOfRow(int row) const {
  const QTableWidgetItem* cell = mapping_->item(row, kNutrient);
  return cell ? cell->text().trimmed().toStdString() : std::string();
}

// Keys that differ from what the header finds were typed by hand; they are
// kept across a change of table or of the rows listed.
void ReferenceChoiceBox::KeepKeysTyped() {
  for (int row = 0; row < mapping_->rowCount() && table_; ++row) {
    const std::string header = HeaderOfRow(row);
    const std::string key = KeyOfRow(row);
    if (key != table_->KeyForHeader(header).value_or(std::string())) {
      initialKeys_[header] = key;
    } else {
      initialKeys_.erase(header);
    }
  }
}

void ReferenceChoiceBox::LoadTable() {
  KeepKeysTyped();
  table_.reset();
  loadError_.clear();
  const QString origin = Origin();
  const bool chosen = tableChoice_->currentIndex() > 0;
  file_->setEnabled(tableChoice_->currentIndex() == kFileItem);
  stage_->setEnabled(chosen);
  menstruation_->setEnabled(chosen);
  mapping_->setEnabled(chosen);
  if (chosen && origin.isEmpty()) {
    loadError_ = QStringLiteral("基準値表のファイルを指定してください。");
  } else if (chosen) {
    std::string error;
    table_ = kelvara::ReadNamedReferenceTable(
        origin.toStdString(), kelvara::ProgramDirectory(),
        [](std::string_view text) { return kelvara::Utf8ToCp932(text); }, error);
    if (!table_) loadError_ = QStringLiteral("基準値表を読めません：") + QString::fromStdString(error);
  }
  FillMapping();
  ShowJudging();
  emit changed();
}

void ReferenceChoiceBox::FillMapping() {
  const QSignalBlocker blocker(mapping_);
  for (int row = 0; row < mapping_->rowCount(); ++row) {
    QString key;
    if (table_) {
      const std::string header = HeaderOfRow(row);
      const auto byHand = initialKeys_.find(header);
      key = QString::fromStdString(byHand != initialKeys_.end()
                                       ? byHand->second
                                       : table_->KeyForHeader(header).value_or(std::string()));
    }
    mapping_->item(row, kNutrient)->setText(key);
  }
}

void ReferenceChoiceBox::ShowJudging() {
  const QSignalBlocker blocker(mapping_);
  const std::shared_ptr<const kelvara::ReferenceChoice> current = choice();
  int problems = 0;
  for (int row = 0; row < mapping_->rowCount(); ++row) {
    NutrientJudging judging;
    if (current) {
      judging = DescribeNutrientJudging(*current, rowColumns_[static_cast<size_t>(row)],
                                        HeaderOfRow(row), personsOfClass_);
    }
    problems += judging.problem ? 1 : 0;
    for (const auto& [column, text] : {std::pair{kFigures, judging.figures},
                                       std::pair{kPersons, judging.persons}}) {
      QTableWidgetItem* cell = mapping_->item(row, column);
      cell->setText(text);
      cell->setForeground(judging.problem ? QBrush(Qt::red) : palette().brush(QPalette::Text));
    }
  }
  hint_->setText(problems == 0 ? QString()
                               : QStringLiteral("赤い行の列は判定できません（基準値表にない栄養素か、"
                                                "換算できない単位）。栄養素を直すか空欄にしてください。"));
}

QString ReferenceChoiceBox::problem() const {
  if (!loadError_.isEmpty()) return loadError_;
  if (!table_) return {};
  for (int row = 0; row < mapping_->rowCount(); ++row) {
    const std::string key = KeyOfRow(row);
    if (!key.empty() && !table_->HasKey(key)) {
      return QStringLiteral("栄養素 %1 は基準値表にありません。").arg(QString::fromStdString(key));
    }
  }
  return {};
}

std::shared_ptr<const kelvara::ReferenceChoice> ReferenceChoiceBox::choice() const {
  if (!table_) return nullptr;
  auto choice = std::make_shared<kelvara::ReferenceChoice>();
  choice->origin = Origin().toStdString();
  choice->table = *table_;
  choice->pregnancyStage = ChoiceOf(stage_, kStageItems);
  choice->menstruation = ChoiceOf(menstruation_, kMenstruationItems);
  // Keys differing from what the header finds were set by hand; so are the
  // remembered ones of columns not listed.
  choice->keyByHeader = initialKeys_;
  for (int row = 0; row < mapping_->rowCount(); ++row) {
    const std::string header = HeaderOfRow(row);
    const std::string key = KeyOfRow(row);
    if (key != table_->KeyForHeader(header).value_or(std::string())) {
      choice->keyByHeader[header] = key;
    } else {
      choice->keyByHeader.erase(header);
    }
  }
  return choice;
}
