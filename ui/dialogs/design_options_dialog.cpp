#include "ui/dialogs/design_options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <map>

#include "engine/cut_off.h"
#include "engine/reading/ratio_table.h"
#include "ui/dialogs/reference_choice_box.h"
#include "ui/window/file_path.h"

namespace {

const QString kNone = QStringLiteral("(なし)");

QCheckBox* AddCheckBox(QVBoxLayout* layout, const char* name, const QString& text, bool checked) {
  auto* box = new QCheckBox(text);
  box->setObjectName(QString::fromLatin1(name));
  box->setChecked(checked);
  layout->addWidget(box);
  return box;
}

// A variable's ratio given for every sex and age: shown in its own cell.
bool IsGeneral(const kelvara::VarianceRatio& given) { return given.sex == 0 && std::isnan(given.age); }

// The shortest text that reads back as the same number.
QString RatioText(double ratio) { return QString::number(ratio, 'g', QLocale::FloatingPointShortest); }

// A variable's ratios by sex and age band, as "男・30歳の階級 1.2、女 1.4".
QString BandSummary(const std::vector<kelvara::VarianceRatio>& ratios, int column) {
  QStringList parts;
  for (const kelvara::VarianceRatio& given : ratios) {
    if (given.column != column) continue;
    QString part = given.sex == 1 ? QStringLiteral("男") : given.sex == 2 ? QStringLiteral("女")
                                                                          : QStringLiteral("男女");
    if (!std::isnan(given.age)) part += QStringLiteral("・%1歳の階級").arg(RatioText(given.age));
    parts.append(part + QLatin1Char(' ') + RatioText(given.ratio));
  }
  return parts.join(QStringLiteral("、"));
}

// Why a ratio table could not be read, in the user's words.
QString RatioTableMessage(const kelvara::RatioTableProblem& problem) {
  using Kind = kelvara::RatioTableProblem::Kind;
  switch (problem.kind) {
    case Kind::cannotOpen: return QStringLiteral("分散比の表を開けません");
    case Kind::cannotRead: return QStringLiteral("分散比の表を読めません");
    default: break;
  }
  const QString what = problem.kind == Kind::fieldCount ? QStringLiteral("「変数,性別,年齢,分散比」の4項目が必要です")
                       : problem.kind == Kind::noVariable ? QStringLiteral("変数がありません")
                       : problem.kind == Kind::badSex ? QStringLiteral("性別は1、2、0（男女）のどれかです")
                       : problem.kind == Kind::badAge ? QStringLiteral("年齢は年齢階級に入る年齢か空欄です")
                                                      : QStringLiteral("分散比は0以上の数値です（例：1.5）");
  return QStringLiteral("分散比の表の%1行目：%2").arg(problem.line).arg(what);
}

}  // namespace

DesignOptionsDialog::DesignOptionsDialog(const QStringList& columnLabels,
                                         const kelvara::DesignOptions& initial, QWidget* parent,
                                         const QStringList& headerTexts)
    : QDialog(parent), columnLabels_(columnLabels), initial_(initial) {
  headerTexts_ = headerTexts.isEmpty() ? columnLabels : headerTexts;
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
  // Ratios of single variables, typed or read from a table by sex and age
  // band, in place of the common one.
  ownRatios_ = new QTableWidget(0, 3);
  ownRatios_->setObjectName(QStringLiteral("ownRatios"));
  ownRatios_->setHorizontalHeaderLabels(
      {QStringLiteral("変数"), QStringLiteral("変数ごとの分散比"), QStringLiteral("性・年齢階級別（表から）")});
  ownRatios_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  ownRatios_->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
  ownRatios_->verticalHeader()->hide();
  ownRatios_->setWordWrap(false);  // the whole list is the cell's tooltip
  ownRatios_->setMaximumHeight(6 * ownRatios_->fontMetrics().height() + 16);
  for (const kelvara::VarianceRatio& given : initial.usual.ratios) {
    if (given.column >= 0 && !IsGeneral(given)) bandRatios_.push_back(given);
  }
  usualLayout->addRow(ownRatios_);
  ratioFile_ = new QLineEdit;
  ratioFile_->setObjectName(QStringLiteral("ratioFile"));
  auto* browseRatios = new QPushButton(QStringLiteral("参照..."));
  browseRatios->setObjectName(QStringLiteral("browseRatioFile"));
  auto* ratioFileRow = new QHBoxLayout;
  ratioFileRow->addWidget(ratioFile_, 1);
  ratioFileRow->addWidget(browseRatios);
  usualLayout->addRow(QStringLiteral("分散比の表:"), ratioFileRow);
  bootstrap_ = new QSpinBox;
  bootstrap_->setObjectName(QStringLiteral("bootstrapReplicates"));
  bootstrap_->setRange(0, 100000);
  bootstrap_->setSpecialValueText(QStringLiteral("0（線形化）"));
  bootstrap_->setValue(std::clamp(initial.usual.bootstrapReplicates, 0, 100000));
  usualLayout->addRow(QStringLiteral("ブートストラップの反復回数:"), bootstrap_);
  usualHint_ = new QLabel;
  usualHint_->setObjectName(QStringLiteral("usualHint"));
  usualHint_->setWordWrap(true);
  usualLayout->addRow(usualHint_);
  auto* usualNote = new QLabel(QStringLiteral(
      "個人IDを指定すると1人1日1行のファイルとして読み、通常の区分は各人の最初の行で集計します。"
      "分散比は1日調査のとき全変数に共通の値として使い、変数ごとの分散比があればそちらを使います"
      "（2日以上の者がいれば、空欄にするとそこから推定します）。"
      "分散比の表（kelvara-tab の --variance-ratios と同じ、1行に「変数,性別,年齢,分散比」の UTF-8 の CSV）を"
      "読むと、変数ごとの分散比はその表の値に置き換わります。"
      "ブートストラップの反復回数を2以上にすると、習慣的摂取量の区分の標準誤差を Rao-Wu の"
      "ブートストラップで求めます（λと分散の推定の不確かさを含みます）。"));
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
  connect(ownRatios_, &QTableWidget::itemChanged, this, &DesignOptionsDialog::UpdateAcceptance);
  connect(bootstrap_, &QSpinBox::valueChanged, this, &DesignOptionsDialog::UpdateAcceptance);
  connect(ratioFile_, &QLineEdit::editingFinished, this, [this] {
    if (!ratioFile_->text().trimmed().isEmpty()) {
      LoadRatioTable(ratioFile_->text().trimmed());
      return;
    }
    ratioFileProblem_.clear();
    UpdateAcceptance();
  });
  connect(browseRatios, &QPushButton::clicked, this, [this] {
    const QString file = QFileDialog::getOpenFileName(
        this, QStringLiteral("分散比の表を開く"), ratioFile_->text(),
        QStringLiteral("分散比の表 (*.csv *.txt);;すべてのファイル (*)"));
    if (file.isEmpty()) return;
    ratioFile_->setText(file);
    LoadRatioTable(file);
  });
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
  ShowRatios(columns);
  reference_->SetVariables(columns);
  UpdateAcceptance();
}

void DesignOptionsDialog::ShowRatios(const std::vector<int>& columns) {
  // What the rows hold now, else what the dialog started with.
  std::map<int, QString> own;
  for (const kelvara::VarianceRatio& given : initial_.usual.ratios) {
    if (given.column >= 0 && IsGeneral(given)) own[given.column] = RatioText(given.ratio);
  }
  for (size_t row = 0; row < ownRatioColumns_.size(); ++row) {
    const QTableWidgetItem* cell = ownRatios_->item(static_cast<int>(row), 1);
    own[ownRatioColumns_[row]] = cell != nullptr ? cell->text() : QString();
  }
  std::vector<int> listed = columns;
  for (const auto& [column, text] : own) {
    if (!text.trimmed().isEmpty()) listed.push_back(column);
  }
  for (const kelvara::VarianceRatio& given : bandRatios_) listed.push_back(given.column);
  std::sort(listed.begin(), listed.end());
  listed.erase(std::unique(listed.begin(), listed.end()), listed.end());
  const QSignalBlocker blocker(ownRatios_);
  ownRatios_->setRowCount(0);
  ownRatioColumns_.clear();
  for (int column : listed) {
    if (column < 0 || column >= columnLabels_.size()) continue;
    const int row = ownRatios_->rowCount();
    ownRatios_->insertRow(row);
    auto* name = new QTableWidgetItem(columnLabels_[column]);
    name->setFlags(Qt::ItemIsEnabled);
    ownRatios_->setItem(row, 0, name);
    ownRatios_->setItem(row, 1, new QTableWidgetItem(own.count(column) ? own[column] : QString()));
    auto* bands = new QTableWidgetItem(BandSummary(bandRatios_, column));
    bands->setFlags(Qt::ItemIsEnabled);
    bands->setToolTip(bands->text());
    ownRatios_->setItem(row, 2, bands);
    ownRatioColumns_.push_back(column);
  }
}

bool DesignOptionsDialog::LoadRatioTable(const QString& path) {
  kelvara::RatioTableProblem problem;
  const auto table = kelvara::ReadRatioTable(FileSystemPath(path), problem);
  ratioFileProblem_.clear();
  if (!table) {
    ratioFileProblem_ = RatioTableMessage(problem);
    UpdateAcceptance();
    return false;
  }
  // A variable is a column's number from 1 or its header text, as for kelvara-tab.
  const auto columnOf = [this](const QString& name) {
    bool number = false;
    const int given = name.toInt(&number);
    const bool digits = number && std::all_of(name.begin(), name.end(), [](QChar c) { return c.isDigit(); });
    if (digits) return given >= 1 && given <= headerTexts_.size() ? given - 1 : -1;
    const auto first = static_cast<int>(headerTexts_.indexOf(name));
    return first >= 0 && headerTexts_.indexOf(name, first + 1) < 0 ? first : -1;
  };
  std::map<int, double> own;
  std::vector<kelvara::VarianceRatio> bands;
  for (const kelvara::RatioRow& row : *table) {
    const QString name = QString::fromStdString(row.variable);
    const int column = columnOf(name);
    if (column < 0) {
      ratioFileProblem_ = QStringLiteral("分散比の表の変数「%1」は調査ファイルの列にないか、複数の列の見出しです").arg(name);
      UpdateAcceptance();
      return false;
    }
    const kelvara::VarianceRatio given = kelvara::GivenRatio(row, column);
    if (IsGeneral(given)) {
      own[column] = row.ratio;
    } else {
      bands.push_back(given);
    }
  }
  // The table's ratios replace those of single variables.
  bandRatios_ = std::move(bands);
  {
    const QSignalBlocker blocker(ownRatios_);
    for (size_t row = 0; row < ownRatioColumns_.size(); ++row) {
      const auto found = own.find(ownRatioColumns_[row]);
      ownRatios_->item(static_cast<int>(row), 1)->setText(found == own.end() ? QString() : RatioText(found->second));
    }
  }
  // Variables not listed yet take the table's ratios from here.
  initial_.usual.ratios.clear();
  for (const auto& [column, ratio] : own) initial_.usual.ratios.push_back({column, ratio});
  ShowRatios(ownRatioColumns_);
  UpdateAcceptance();
  return true;
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
  for (size_t row = 0; row < ownRatioColumns_.size(); ++row) {
    const QTableWidgetItem* cell = ownRatios_->item(static_cast<int>(row), 1);
    const std::optional<double> own = ParseCutOff(cell != nullptr ? cell->text() : QString());
    if (own && *own >= 0) design.usual.ratios.push_back({ownRatioColumns_[row], *own});
  }
  design.usual.ratios.insert(design.usual.ratios.end(), bandRatios_.begin(), bandRatios_.end());
  design.usual.bootstrapReplicates = bootstrap_->value();
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
  // The usual intake needs repeated days (a person column) or a ratio for
  // every variable; a ratio typed must be a number of 0 or more, and the
  // bootstrap needs 2 replicates at least.
  const bool usualOn = usual_->isChecked();
  for (QWidget* field : std::initializer_list<QWidget*>{ratio_, ownRatios_, ratioFile_, bootstrap_}) {
    field->setEnabled(usualOn);
  }
  const auto usableRatio = [](const QString& text) {
    const std::optional<double> ratio = ParseCutOff(text);
    return text.trimmed().isEmpty() || (ratio && *ratio >= 0);
  };
  bool ratiosUsable = usableRatio(ratio_->text());
  bool everyVariableHasOne = !ownRatioColumns_.empty();
  for (size_t row = 0; row < ownRatioColumns_.size(); ++row) {
    const QTableWidgetItem* cell = ownRatios_->item(static_cast<int>(row), 1);
    const QString text = cell != nullptr ? cell->text().trimmed() : QString();
    ratiosUsable = ratiosUsable && usableRatio(text);
    const bool banded = std::any_of(bandRatios_.begin(), bandRatios_.end(), [&](const auto& given) {
      return given.column == ownRatioColumns_[row];
    });
    everyVariableHasOne = everyVariableHasOne && (!text.isEmpty() || banded);
  }
  const bool ratioGiven = !ratio_->text().trimmed().isEmpty() || everyVariableHasOne;
  const bool bootstrapUsable = bootstrap_->value() != 1;
  const bool usualUsable = !usualOn || (ratiosUsable && bootstrapUsable && ratioFileProblem_.isEmpty() &&
                                        (person_->currentIndex() > 0 || ratioGiven));
  usualHint_->setText(usualUsable || !usualOn ? QString()
                      : !ratioFileProblem_.isEmpty() ? ratioFileProblem_
                      : !ratiosUsable
                          ? QStringLiteral("分散比は0以上の数値を入力してください（例：1.5）")
                      : !bootstrapUsable
                          ? QStringLiteral("ブートストラップの反復回数は0（線形化）か2以上にしてください")
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
