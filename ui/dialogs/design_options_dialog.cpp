#include "ui/dialogs/design_options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

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
    : QDialog(parent) {
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
  cutOffHint_ = new QLabel;
  cutOffHint_->setObjectName(QStringLiteral("cutOffHint"));
  auto* cutOffRow = new QHBoxLayout;
  cutOffRow->addSpacing(20);
  cutOffRow->addWidget(new QLabel(QStringLiteral("基準値:")));
  cutOffRow->addWidget(cutOff_);
  cutOffRow->addWidget(cutOffHint_, 1);
  columnsLayout->addLayout(cutOffRow);
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
  connect(reference_, &ReferenceChoiceBox::changed, this, &DesignOptionsDialog::UpdateAcceptance);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(design);
  layout->addWidget(columns);
  layout->addWidget(reference_);
  layout->addWidget(referenceProblem_);
  layout->addWidget(buttons_);
  UpdateAcceptance();
}

std::optional<double> DesignOptionsDialog::ParseCutOff(const QString& text) {
  // QString::toDouble reads the C locale's notation whatever the user's
  // locale; it also takes "inf" and "nan", which are no cut-offs.
  bool ok = false;
  const double value = text.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(value)) return std::nullopt;
  return value;
}

kelvara::DesignOptions DesignOptionsDialog::options() const {
  kelvara::DesignOptions design;
  design.strataColumn = strata_->currentIndex() - 1;
  design.confidenceInterval = confidenceInterval_->isChecked();
  design.coefficientOfVariation = coefficientOfVariation_->isChecked();
  design.designEffect = designEffect_->isChecked();
  if (shareBelow_->isChecked()) design.shareBelow = ParseCutOff(cutOff_->text());
  design.medianInterval = medianInterval_->isChecked();
  design.reference = reference_->choice();
  return design;
}

void DesignOptionsDialog::UpdateAcceptance() {
  const bool needed = shareBelow_->isChecked();
  cutOff_->setEnabled(needed);
  const bool usable = !needed || ParseCutOff(cutOff_->text()).has_value();
  cutOffHint_->setText(usable ? QString() : QStringLiteral("数値を入力してください（例：7.5）"));
  const QString problem = reference_ ? reference_->problem() : QString();
  referenceProblem_->setText(problem);
  buttons_->button(QDialogButtonBox::Ok)->setEnabled(usable && problem.isEmpty());
}
