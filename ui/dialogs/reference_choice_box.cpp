#include "ui/dialogs/reference_choice_box.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "codec/cp932.h"
#include "engine/reading/reference_location.h"
#include "platform/program_directory.h"

namespace {

// The table choices in list order; the last is a file of one's own.
const char* const kShippedNames[] = {"dri2025", "dri2020"};
constexpr int kFileItem = 3;

std::string Cp932(const QString& text) {
  return kelvara::Utf8ToCp932(text.toStdString()).value_or(std::string());
}

}  // namespace

ReferenceChoiceBox::ReferenceChoiceBox(const QStringList& columnLabels,
                                       const QStringList& headerTexts,
                                       std::shared_ptr<const kelvara::ReferenceChoice> initial,
                                       QWidget* parent)
    : QGroupBox(QStringLiteral("基準値による判定（EAR・AI・UL・DG）"), parent),
      headerTexts_(headerTexts) {
  tableChoice_ = new QComboBox;
  tableChoice_->setObjectName(QStringLiteral("referenceTable"));
  tableChoice_->addItems({QStringLiteral("(なし)"), QStringLiteral("日本人の食事摂取基準（2025年版）"),
                          QStringLiteral("日本人の食事摂取基準（2020年版）"),
                          QStringLiteral("ファイルの基準値表")});
  file_ = new QLineEdit;
  file_->setObjectName(QStringLiteral("referenceFile"));
  auto* browse = new QPushButton(QStringLiteral("参照..."));
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(file_, 1);
  fileRow->addWidget(browse);

  stage_ = new QComboBox;
  stage_->setObjectName(QStringLiteral("pregnancyStage"));
  stage_->addItems({QStringLiteral("指定しない（付加量が時期で異なれば判定しない）"),
                    QStringLiteral("初期"), QStringLiteral("中期"), QStringLiteral("後期")});
  menstruation_ = new QComboBox;
  menstruation_->setObjectName(QStringLiteral("menstruation"));
  menstruation_->addItems({QStringLiteral("指定しない（月経の有無で異なれば判定しない）"),
                           QStringLiteral("月経あり"), QStringLiteral("月経なし")});

  mapping_ = new QTableWidget(static_cast<int>(columnLabels.size()), 2);
  mapping_->setObjectName(QStringLiteral("nutrientMapping"));
  mapping_->setHorizontalHeaderLabels({QStringLiteral("列"), QStringLiteral("栄養素")});
  mapping_->horizontalHeader()->setStretchLastSection(true);
  mapping_->verticalHeader()->hide();
  mapping_->setMinimumHeight(140);
  for (int row = 0; row < columnLabels.size(); ++row) {
    auto* label = new QTableWidgetItem(columnLabels[row]);
    label->setFlags(label->flags() & ~Qt::ItemIsEditable);
    mapping_->setItem(row, 0, label);
    mapping_->setItem(row, 1, new QTableWidgetItem);
  }
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
      "（空欄は判定しない）。"));
  mappingNote->setWordWrap(true);
  layout->addWidget(mappingNote);
  layout->addWidget(mapping_);
  layout->addWidget(hint_);

  if (initial) {
    int item = kFileItem;
    for (int i = 0; i < 2; ++i) {
      if (initial->origin == kShippedNames[i]) item = i + 1;
    }
    tableChoice_->setCurrentIndex(item);
    if (item == kFileItem) file_->setText(QString::fromStdString(initial->origin));
    stage_->setCurrentIndex(static_cast<int>(initial->pregnancyStage));
    menstruation_->setCurrentIndex(static_cast<int>(initial->menstruation));
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
  connect(stage_, &QComboBox::currentIndexChanged, this, &ReferenceChoiceBox::changed);
  connect(menstruation_, &QComboBox::currentIndexChanged, this, &ReferenceChoiceBox::changed);
  connect(mapping_, &QTableWidget::itemChanged, this, &ReferenceChoiceBox::changed);
  LoadTable();
}

QString ReferenceChoiceBox::Origin() const {
  const int item = tableChoice_->currentIndex();
  if (item >= 1 && item <= 2) return QString::fromLatin1(kShippedNames[item - 1]);
  if (item == kFileItem) return file_->text().trimmed();
  return {};
}

void ReferenceChoiceBox::LoadTable() {
  // Keys typed so far are kept across a change of table.
  for (int row = 0; row < mapping_->rowCount() && table_; ++row) {
    const std::string header = Cp932(headerTexts_.value(row));
    const std::string key = mapping_->item(row, 1)->text().trimmed().toStdString();
    if (key != table_->KeyForHeader(header).value_or(std::string())) {
      initialKeys_[header] = key;
    } else {
      initialKeys_.erase(header);
    }
  }
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
  emit changed();
}

void ReferenceChoiceBox::FillMapping() {
  const QSignalBlocker blocker(mapping_);
  for (int row = 0; row < mapping_->rowCount(); ++row) {
    QString key;
    if (table_) {
      const std::string header = Cp932(headerTexts_.value(row));
      const auto byHand = initialKeys_.find(header);
      key = QString::fromStdString(byHand != initialKeys_.end()
                                       ? byHand->second
                                       : table_->KeyForHeader(header).value_or(std::string()));
    }
    mapping_->item(row, 1)->setText(key);
  }
}

QString ReferenceChoiceBox::problem() const {
  if (!loadError_.isEmpty()) return loadError_;
  if (!table_) return {};
  for (int row = 0; row < mapping_->rowCount(); ++row) {
    const QString key = mapping_->item(row, 1)->text().trimmed();
    if (!key.isEmpty() && !table_->HasKey(key.toStdString())) {
      return QStringLiteral("栄養素 %1 は基準値表にありません。").arg(key);
    }
  }
  return {};
}

std::shared_ptr<const kelvara::ReferenceChoice> ReferenceChoiceBox::choice() const {
  if (!table_) return nullptr;
  auto choice = std::make_shared<kelvara::ReferenceChoice>();
  choice->origin = Origin().toStdString();
  choice->table = *table_;
  choice->pregnancyStage = static_cast<kelvara::PregnancyStage>(stage_->currentIndex());
  choice->menstruation = static_cast<kelvara::Menstruation>(menstruation_->currentIndex());
  // Keys differing from what the header finds were set by hand; so are the
  // remembered ones of columns this file does not have.
  choice->keyByHeader = initialKeys_;
  for (int row = 0; row < mapping_->rowCount(); ++row) {
    const std::string header = Cp932(headerTexts_.value(row));
    const std::string key = mapping_->item(row, 1)->text().trimmed().toStdString();
    if (key != table_->KeyForHeader(header).value_or(std::string())) {
      choice->keyByHeader[header] = key;
    } else {
      choice->keyByHeader.erase(header);
    }
  }
  return choice;
}
