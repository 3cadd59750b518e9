#include "ui/dialogs/design_options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "engine/cut_off.h"
#include "ui/dialogs/reference_choice_box.h"

namespace {

const QString kNone = QStringLiteral("(なし)");

QCheckBox* AddCheckBox(QVBoxLayout* layout, const char* name, const QString& text, bool checked) {
  auto* box = new QCheckBox(text);
  box->setObjectName(QString::fromLatin1(name));
  box->setChecked(checked);
  layout->addWidget(box);
  return box;
}

}  // namespace

DesignOptionsDialog::DesignOptionsDialog(const QStringList& columnLabels,
                                         const kelvara::DesignOptions& initial, QWidget* parent,
                                         const QStringList& headerTexts)
    : QDialog(parent), columnLabels_(columnLabels), initial_(initial) {
  setWindowTitle(QStringLiteral("標本設計と追加の列"));

  strata_ = new QComboBox;
  strata_->setObjectName(QStringLiteral("strataColumn"));
  strata_->addItem(kNone);
  strata_->addItems(columnLabels);
  const bool strataListed = initial.strataColumn >= 0 && initial.strataColumn < columnLabels.size();
  strata_->setCurrentIndex(strataListed ? initial.strataColumn + 1 : 0);
  auto* design = new QGroupBox(QStringLiteral("標本設計"));
  auto* designLayout = new QFormLayout(design);
  designLayout->addRow(QStringLiteral("層:"), strata_);
  auto* strataNote = new QLabel(QStringLiteral(
      "層を指定すると、抽出単位は層ごとに区別され（層3の単位1と層4の単位1は別の単位）、"
      "標準誤差は層別の推定になります。"));
  strataNote->setWordWrap(true);
  designLayout->addRow(strataNote);

  auto* columns = new QGroupBox(QStringLiteral("追加する列（2人以上の区分）"));
  auto* columnsLayout = new QVBoxLayout(columns);
  confidenceInterval_ = AddCheckBox(columnsLayout, "confidenceInterval",
                                    QStringLiteral("95%信頼区間（下限・上限）"),
                                    initial.confidenceInterval);
  coefficientOfVariation_ = AddCheckBox(columnsLayout, "coefficientOfVariation",
                                        QStringLiteral("変動係数(%)"),
                                        initial.coefficientOfVariation);
  designEffect_ = AddCheckBox(columnsLayout, "designEffect", QStringLiteral("デザイン効果"),
                              initial.designEffect);
  shareBelow_ = AddCheckBox(columnsLayout, "shareBelow",
                            QStringLiteral("基準値未満の割合(%)とその標準誤差"),
                            initial.shareBelow.has_value());
  cutOff_ = new QLineEdit;
  cutOff_->setObjectName(QStringLiteral("cutOff"));
  if (initial.shareBelow) cutOff_->setText(QString::number(*initial.shareBelow, 'g', 17));
  if (!initial.shareBelow && !initial.shareBelowByColumn.empty()) shareBelow_->setChecked(true);
  cutOffHint_ = new QLabel;
  cutOffHint_->setObjectName(QStringLiteral("cutOffHint"));
  // The box is as wide as a cut-off needs, empty or not, and the hint has a
  // line of its own: typing changes neither the box nor the dialog's width.
  cutOff_->setFixedWidth(cutOff_->fontMetrics().horizontalAdvance(QStringLiteral("0000000.000")) + 12);
  cutOffHint_->setWordWrap(true);
  cutOffHint_->setMinimumHeight(cutOffHint_->fontMetrics().height());
  auto* cutOffRow = new QHBoxLayout;
  cutOffRow->addSpacing(20);
  cutOffRow->addWidget(new QLabel(QStringLiteral("基準値:")));
  cutOffRow->addWidget(cutOff_);
  cutOffRow->addStretch(1);
  columnsLayout->addLayout(cutOffRow);
  // Cut-offs of single variables, in place of the common one: energy does
  // not share salt's 7.5. A variable left empty takes the common cut-off,
  // or, when that is empty too, has no share columns.
  ownCutOffs_ = new QTableWidget(0, 2);
  ownCutOffs_->setObjectName(QStringLiteral("ownCutOffs"));
  ownCutOffs_->setHorizontalHeaderLabels({QStringLiteral("変数"), QStringLiteral("変数ごとの基準値")});
  ownCutOffs_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  ownCutOffs_->verticalHeader()->hide();
  ownCutOffs_->setMaximumHeight(6 * ownCutOffs_->fontMetrics().height() + 16);
  auto* ownRow = new QHBoxLayout;
  ownRow->addSpacing(20);
  ownRow->addWidget(ownCutOffs_, 1);
  columnsLayout->addLayout(ownRow);
  auto* hintRow = new QHBoxLayout;
  hintRow->addSpacing(20);
  hintRow->addWidget(cutOffHint_, 1);
  columnsLayout->addLayout(hintRow);

  auto* usual = new QGroupBox(QStringLiteral("習慣的摂取量"));
  auto* usualLayout = new QFormLayout(usual);
  usual_ = new QCheckBox(QStringLiteral("各変数の区分の後に習慣的摂取量の区分を追加"));
  usual_->setObjectName(QStringLiteral("usual"));
  usual_->setChecked(initial.usual.enabled);
  usualLayout->addRow(usual_);
  person_ = new QComboBox;
  person_->setObjectName(QStringLiteral("personColumn"));
  person_->addItem(kNone);
  person_->addItems(columnLabels);
  const int person = initial.usual.personColumn;
  person_->setCurrentIndex(person >= 0 && person < columnLabels.size() ? person + 1 : 0);
  usualLayout->addRow(QStringLiteral("個人ID:"), person_);
  ratio_ = new QLineEdit;
  ratio_->setObjectName(QStringLiteral("varianceRatio"));
  for (const kelvara::VarianceRatio& given : initial.usual.ratios) {
    if (given.column == -1) ratio_->setText(QString::number(given.ratio, 'g', 17));
  }
  usualLayout->addRow(QStringLiteral("分散比（個人内／個人間）:"), ratio_);
  usualHint_ = new QLabel;
  usualHint_->setObjectName(QStringLiteral("usualHint"));
  usualLayout->addRow(usualHint_);
  auto* usualNote = new QLabel(QStringLiteral(
      "個人IDを指定すると1人1日1行のファイルとして読み、通常の区分は各人の最初の行で集計します。"
      "分散比は1日調査のとき全変数に共通の値として使います（2日以上の者がいれば、"
      "空欄にするとそこから推定します）。"));
  usualNote->setWordWrap(true);
  usualLayout->addRow(usualNote);
  auto* energy = new QGroupBox(QStringLiteral("エネルギー調整"));
  auto* energyLayout = new QFormLayout(energy);
  energyMethod_ = new QComboBox;
  energyMethod_->setObjectName(QStringLiteral("energyMethod"));
  energyMethod_->addItems({kNone, QStringLiteral("残差法（性別ごとの回帰）"),
                           QStringLiteral("エネルギー密度（1000kcal当たり）")});
  energyMethod_->setCurrentIndex(static_cast<int>(initial.energyAdjustment.method));
  energyLayout->addRow(QStringLiteral("方法:"), energyMethod_);
  energyColumn_ = new QComboBox;
  energyColumn_->setObjectName(QStringLiteral("energyColumn"));
  energyColumn_->addItem(kNone);
  energyColumn_->addItems(columnLabels);
  const int energyColumn = initial.energyAdjustment.energyColumn;
  energyColumn_->setCurrentIndex(
      energyColumn >= 0 && energyColumn < columnLabels.size() ? energyColumn + 1 : 0);
  energyLayout->addRow(QStringLiteral("エネルギー(kcal):"), energyColumn_);
  energyHint_ = new QLabel;
  energyHint_->setObjectName(QStringLiteral("energyHint"));
  energyLayout->addRow(energyHint_);
  auto* energyNote = new QLabel(QStringLiteral(
      "エネルギーの列以外の各変数の区分の後に、エネルギー調整した摂取量の区分を追加します。"
      "残差法は性別ごとにエネルギーへの重み付き回帰の残差に平均エネルギーでの予測値を加えた値、"
      "エネルギー密度は摂取量÷エネルギー×1000です。"));
  energyNote->setWordWrap(true);
  energyLayout->addRow(energyNote);
  medianInterval_ = AddCheckBox(columnsLayout, "medianInterval",
                                QStringLiteral("中央値の95%信頼区間（下限・上限）"),
                                initial.medianInterval);
  reference_ = new ReferenceChoiceBox(columnLabels, headerTexts.isEmpty() ? columnLabels : headerTexts,
                                      initial.reference);
  reference_->setObjectName(QStringLiteral("reference"));
  referenceProblem_ = new QLabel;
  referenceProblem_->setObjectName(QStringLiteral("referenceProblem"));
  referenceProblem_->setWordWrap(true);

  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons_->setObjectName(QStringLiteral("buttons"));
  buttons_->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
  connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(shareBelow_, &QCheckBox::toggled, this, &DesignOptionsDialog::UpdateAcceptance);
  connect(cutOff_, &QLineEdit::textChanged, this, &DesignOptionsDialog::UpdateAcceptance);
  connect(usual_, &QCheckBox::toggled, this, &DesignOptionsDialog::UpdateAcceptance);
  connect(person_, &QComboBox::currentIndexChanged, this, &DesignOptionsDialog::UpdateAcceptance);
  connect(ratio_, &QLineEdit::textChanged, this, &DesignOptionsDialog::UpdateAcceptance);
  connect(ownCutOffs_, &QTableWidget::itemChanged, this, &DesignOptionsDialog::UpdateAcceptance);
  connect(reference_, &ReferenceChoiceBox::changed, this, &DesignOptionsDialog::UpdateAcceptance);
  connect(energyMethod_, &QComboBox::currentIndexChanged, this,
          &DesignOptionsDialog::UpdateAcceptance);
  connect(energyColumn_, &QComboBox::currentIndexChanged, this,
          &DesignOptionsDialog::UpdateAcceptance);

  // Pages, so that the dialog fits a laptop screen at 150 %.
  auto* pages = new QTabWidget;
  pages->setObjectName(QStringLiteral("pages"));
  const auto addPage = [pages](const QString& title, std::initializer_list<QWidget*> parts) {
    auto* page = new QWidget;
    auto* pageLayout = new QVBoxLayout(page);
    for (QWidget* part : parts) pageLayout->addWidget(part);
    pageLayout->addStretch(1);
    pages->addTab(page, title);
  };
  addPage(QStringLiteral("標本設計と追加の列"), {design, columns});
  addPage(QStringLiteral("習慣的摂取量"), {usual});
  addPage(QStringLiteral("基準値による判定"), {reference_});
  addPage(QStringLiteral("エネルギー調整"), {energy});
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages);
  // Under the pages, so that what keeps OK disabled shows on every page.
  layout->addWidget(referenceProblem_);
  layout->addWidget(buttons_);
  UpdateAcceptance();
}

std::optional<double> DesignOptionsDialog::ParseCutOff(const QString& text) {
  return kelvara::ParseCutOff(text.trimmed().toStdString());
}

void DesignOptionsDialog::SetVariables(const std::vector<int>& columns) {
  std::vector<int> listed = columns;
  for (const auto& [column, cutOff] : initial_.shareBelowByColumn) listed.push_back(column);
  std::sort(listed.begin(), listed.end());
  listed.erase(std::unique(listed.begin(), listed.end()), listed.end());
  ownCutOffColumns_.clear();
  const QSignalBlocker blocker(ownCutOffs_);
  ownCutOffs_->setRowCount(0);
  for (int column : listed) {
    if (column < 0 || column >= columnLabels_.size()) continue;
    const int row = ownCutOffs_->rowCount();
    ownCutOffs_->insertRow(row);
    auto* name = new QTableWidgetItem(columnLabels_[column]);
    name->setFlags(Qt::ItemIsEnabled);
    ownCutOffs_->setItem(row, 0, name);
    const auto own = initial_.shareBelowByColumn.find(column);
    ownCutOffs_->setItem(row, 1, new QTableWidgetItem(
        own == initial_.shareBelowByColumn.end() ? QString() : QString::number(own->second, 'g', 17)));
    ownCutOffColumns_.push_back(column);
  }
  reference_->SetVariables(columns);
  UpdateAcceptance();
}

void DesignOptionsDialog::SetPersons(std::vector<int64_t> personsOfClass) {
  reference_->SetPersons(std::move(personsOfClass));
}

kelvara::DesignOptions DesignOptionsDialog::options() const {
  kelvara::DesignOptions design;
  design.strataColumn = strata_->currentIndex() - 1;
  design.confidenceInterval = confidenceInterval_->isChecked();
  design.coefficientOfVariation = coefficientOfVariation_->isChecked();
  design.designEffect = designEffect_->isChecked();
  if (shareBelow_->isChecked()) {
    design.shareBelow = ParseCutOff(cutOff_->text());
    for (size_t row = 0; row < ownCutOffColumns_.size(); ++row) {
      const QTableWidgetItem* cell = ownCutOffs_->item(static_cast<int>(row), 1);
      if (const auto own = ParseCutOff(cell != nullptr ? cell->text() : QString())) {
        design.shareBelowByColumn[ownCutOffColumns_[row]] = *own;
      }
    }
  }
  design.usual.enabled = usual_->isChecked();
  design.usual.personColumn = person_->currentIndex() - 1;
  const std::optional<double> ratio = ParseCutOff(ratio_->text());
  if (ratio && *ratio >= 0) design.usual.ratios.push_back({-1, *ratio});
  design.medianInterval = medianInterval_->isChecked();
  design.reference = reference_->choice();
  design.energyAdjustment.method =
      static_cast<kelvara::EnergyAdjustmentMethod>(energyMethod_->currentIndex());
  design.energyAdjustment.energyColumn = energyColumn_->currentIndex() - 1;
  return design;
}

void DesignOptionsDialog::UpdateAcceptance() {
  const bool needed = shareBelow_->isChecked();
  cutOff_->setEnabled(needed);
  ownCutOffs_->setEnabled(needed);
  // Each cut-off given must be a number; at least one must be given.
  bool numbers = cutOff_->text().trimmed().isEmpty() || ParseCutOff(cutOff_->text()).has_value();
  bool any = ParseCutOff(cutOff_->text()).has_value();
  for (int row = 0; row < ownCutOffs_->rowCount(); ++row) {
    const QTableWidgetItem* cell = ownCutOffs_->item(row, 1);
    const QString text = cell != nullptr ? cell->text().trimmed() : QString();
    if (text.isEmpty()) continue;
    const bool number = ParseCutOff(text).has_value();
    numbers = numbers && number;
    any = any || number;
  }
  const bool usable = !needed || (numbers && any);
  cutOffHint_->setText(usable ? QString() : QStringLiteral("数値を入力してください（例：7.5）"));
  const QString problem = reference_ ? reference_->problem() : QString();
  referenceProblem_->setText(problem);
  // The usual intake needs repeated days (a person column) or a ratio; a
  // ratio typed must be a number of 0 or more.
  const bool usualOn = usual_->isChecked();
  ratio_->setEnabled(usualOn);
  const QString ratioText = ratio_->text().trimmed();
  const std::optional<double> ratio = ParseCutOff(ratioText);
  const bool ratioUsable = ratioText.isEmpty() || (ratio && *ratio >= 0);
  const bool usualUsable =
      !usualOn || (ratioUsable && (person_->currentIndex() > 0 || !ratioText.isEmpty()));
  usualHint_->setText(usualUsable ? QString()
                      : !ratioUsable
                          ? QStringLiteral("分散比は0以上の数値を入力してください（例：1.5）")
                          : QStringLiteral("個人IDか分散比を指定してください"));
  // An adjustment needs its energy column.
  const bool energyOn = energyMethod_->currentIndex() > 0;
  energyColumn_->setEnabled(energyOn);
  const bool energyUsable = !energyOn || energyColumn_->currentIndex() > 0;
  energyHint_->setText(energyUsable ? QString()
                                    : QStringLiteral("エネルギーの列を選んでください"));
  buttons_->button(QDialogButtonBox::Ok)->setEnabled(usable && usualUsable && energyUsable &&
                                                     problem.isEmpty());
}
