// The design options dialog: the choice it starts from, the choice it returns,
// and the cut-off read the same way whatever the locale.
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>
#include <vector>

#include "engine/statistics/reference_judgement.h"

#include "ui/dialogs/design_options_dialog.h"

class DesignOptionsDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void showsAndReturnsTheChoice();
  void cutOffMustBeADecimalWithAPoint();
  void usualIntakeNeedsPersonsOrARatio();
  void energyAdjustmentNeedsItsColumn();
  void cutOffsOfTheirOwnAndAFixedWidth();
  void referenceTableAlternativesAndNutrientsComeBack();
  void nutrientTableSaysWhatTheTableJudges();
};

namespace {

const QStringList kLabels = {QStringLiteral("1.地区"), QStringLiteral("2.性別"),
                             QStringLiteral("3.層")};

template <typename Widget>
Widget* Find(const QDialog& dialog, const char* name) {
  auto* widget = dialog.findChild<Widget*>(QString::fromLatin1(name));
  if (widget == nullptr) qFatal("no widget %s", name);
  return widget;
}

}  // namespace

void DesignOptionsDialogTest::showsAndReturnsTheChoice() {
  kelvara::DesignOptions initial;
  initial.strataColumn = 2;
  initial.confidenceInterval = true;
  initial.shareBelow = 0.1;
  DesignOptionsDialog dialog(kLabels, initial);
  auto* strata = Find<QComboBox>(dialog, "strataColumn");
  QCOMPARE(strata->count(), 4);
  QCOMPARE(strata->itemText(0), QStringLiteral("(なし)"));
  QCOMPARE(strata->currentText(), QStringLiteral("3.層"));
  kelvara::DesignOptions shown = dialog.options();
  QCOMPARE(shown.strataColumn, 2);
  QVERIFY(shown.confidenceInterval && !shown.coefficientOfVariation && !shown.designEffect);
  QCOMPARE(shown.shareBelow, std::optional<double>(0.1));

  strata->setCurrentIndex(0);
  Find<QCheckBox>(dialog, "coefficientOfVariation")->setChecked(true);
  Find<QCheckBox>(dialog, "designEffect")->setChecked(true);
  Find<QCheckBox>(dialog, "confidenceInterval")->setChecked(false);
  Find<QCheckBox>(dialog, "shareBelow")->setChecked(false);
  QVERIFY(!Find<QLineEdit>(dialog, "cutOff")->isEnabled());
  const kelvara::DesignOptions chosen = dialog.options();
  QCOMPARE(chosen.strataColumn, -1);
  QVERIFY(!chosen.confidenceInterval && chosen.coefficientOfVariation && chosen.designEffect);
  QVERIFY(!chosen.shareBelow.has_value());

  // A strata column the file no longer has shows as none.
  initial.strataColumn = 7;
  QCOMPARE(DesignOptionsDialog(kLabels, initial).options().strataColumn, -1);
}

void DesignOptionsDialogTest::cutOffMustBeADecimalWithAPoint() {
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  DesignOptionsDialog dialog(kLabels, {});
  auto* ok = Find<QDialogButtonBox>(dialog, "buttons")->button(QDialogButtonBox::Ok);
  auto* cutOff = Find<QLineEdit>(dialog, "cutOff");
  QVERIFY(ok->isEnabled());
  Find<QCheckBox>(dialog, "shareBelow")->setChecked(true);
  QVERIFY(!ok->isEnabled());
  for (const char* text : {"7,5", "abc", "inf", "1.5.2"}) {
    cutOff->setText(QString::fromLatin1(text));
    QVERIFY2(!ok->isEnabled(), text);
  }
  cutOff->setText(QStringLiteral(" 7.5 "));
  QVERIFY(ok->isEnabled());
  QCOMPARE(dialog.options().shareBelow, std::optional<double>(7.5));
  cutOff->setText(QStringLiteral("-2e3"));
  QCOMPARE(dialog.options().shareBelow, std::optional<double>(-2000));
  QLocale::setDefault(QLocale::c());
}

// The usual intake is taken only with repeated days (a person column) or a
// ratio of 0 or more, which then holds for every variable.
void DesignOptionsDialogTest::usualIntakeNeedsPersonsOrARatio() {
  DesignOptionsDialog dialog(kLabels, {});
  auto* ok = Find<QDialogButtonBox>(dialog, "buttons")->button(QDialogButtonBox::Ok);
  auto* person = Find<QComboBox>(dialog, "personColumn");
  auto* ratio = Find<QLineEdit>(dialog, "varianceRatio");
  Find<QCheckBox>(dialog, "usual")->setChecked(true);
  QVERIFY(!ok->isEnabled());
  person->setCurrentIndex(1);
  QVERIFY(ok->isEnabled());
  kelvara::DesignOptions chosen = dialog.options();
  QVERIFY(chosen.usual.enabled && chosen.usual.ratios.empty());
  QCOMPARE(chosen.usual.personColumn, 0);
  person->setCurrentIndex(0);
  for (const char* text : {"-1", "1,5"}) {
    ratio->setText(QString::fromLatin1(text));
    QVERIFY2(!ok->isEnabled(), text);
  }
  ratio->setText(QStringLiteral("1.5"));
  QVERIFY(ok->isEnabled());
  chosen = dialog.options();
  QCOMPARE(chosen.usual.personColumn, -1);
  QCOMPARE(chosen.usual.ratios.size(), size_t{1});
  QCOMPARE(chosen.usual.RatioFor(5, 2, 30, 40), 1.5);
  QCOMPARE(DesignOptionsDialog(kLabels, chosen).options().usual.RatioFor(5, 0), 1.5);
}

void DesignOptionsDialogTest::energyAdjustmentNeedsItsColumn() {
  DesignOptionsDialog dialog(kLabels, {});
  auto* ok = Find<QDialogButtonBox>(dialog, "buttons")->button(QDialogButtonBox::Ok);
  auto* method = Find<QComboBox>(dialog, "energyMethod");
  auto* column = Find<QComboBox>(dialog, "energyColumn");
  QVERIFY(!column->isEnabled());
  QVERIFY(!dialog.options().energyAdjustment.enabled());
  method->setCurrentIndex(1);
  QVERIFY(column->isEnabled());
  QVERIFY(!ok->isEnabled());
  QVERIFY(!Find<QLabel>(dialog, "energyHint")->text().isEmpty());
  column->setCurrentIndex(2);
  QVERIFY(ok->isEnabled());
  const kelvara::DesignOptions chosen = dialog.options();
  QVERIFY(chosen.energyAdjustment.method == kelvara::EnergyAdjustmentMethod::residual);
  QCOMPARE(chosen.energyAdjustment.energyColumn, 1);
  // Shown again as chosen; density is the third item.
  DesignOptionsDialog again(kLabels, chosen);
  QCOMPARE(Find<QComboBox>(again, "energyColumn")->currentText(), QStringLiteral("2.性別"));
  Find<QComboBox>(again, "energyMethod")->setCurrentIndex(2);
  QVERIFY(again.options().energyAdjustment.method == kelvara::EnergyAdjustmentMethod::density);
}

// The ticked variables may have cut-offs of their own; with none in common,
// only they get the share columns. Typing, and the hint coming and going,
// change neither the box's nor the dialog's width.
void DesignOptionsDialogTest::cutOffsOfTheirOwnAndAFixedWidth() {
  kelvara::DesignOptions initial;
  initial.shareBelowByColumn[2] = 7.5;  // 3.層, not ticked now: still listed
  DesignOptionsDialog dialog(kLabels, initial);
  dialog.SetVariables({0, 1});
  dialog.show();
  auto* ok = Find<QDialogButtonBox>(dialog, "buttons")->button(QDialogButtonBox::Ok);
  auto* own = Find<QTableWidget>(dialog, "ownCutOffs");
  auto* cutOff = Find<QLineEdit>(dialog, "cutOff");
  QVERIFY(Find<QCheckBox>(dialog, "shareBelow")->isChecked());
  QCOMPARE(own->rowCount(), 3);
  QCOMPARE(own->item(2, 0)->text(), QStringLiteral("3.層"));
  QCOMPARE(own->item(2, 1)->text(), QStringLiteral("7.5"));
  QVERIFY(ok->isEnabled());
  const int boxWidth = cutOff->width();
  const int dialogWidth = dialog.sizeHint().width();

  own->item(0, 1)->setText(QStringLiteral("2,000"));
  QVERIFY(!ok->isEnabled());
  QVERIFY(!Find<QLabel>(dialog, "cutOffHint")->text().isEmpty());
  QCOMPARE(dialog.sizeHint().width(), dialogWidth);
  own->item(0, 1)->setText(QStringLiteral("2000"));
  own->item(2, 1)->setText(QString());
  QVERIFY(ok->isEnabled());
  kelvara::DesignOptions chosen = dialog.options();
  QCOMPARE(chosen.shareBelow, std::nullopt);
  QCOMPARE(chosen.shareBelowByColumn, (std::map<int, double>{{0, 2000}}));

  cutOff->setText(QStringLiteral("123456.75"));
  QCOMPARE(cutOff->width(), boxWidth);
  QCOMPARE(dialog.sizeHint().width(), dialogWidth);
  chosen = dialog.options();
  QCOMPARE(chosen.ForColumn(0).shareBelow, std::optional<double>(2000));
  QCOMPARE(chosen.ForColumn(1).shareBelow, std::optional<double>(123456.75));
  // Unticked, the share has no cut-off at all.
  Find<QCheckBox>(dialog, "shareBelow")->setChecked(false);
  QVERIFY(dialog.options().shareBelowByColumn.empty());
}

// A table from a file: each column's nutrient found by its header (a unit in
// brackets dropped), one set by hand, an unknown key refused; the choice
// given back as the initial one shows the same again.
void DesignOptionsDialogTest::referenceTableAlternativesAndNutrientsComeBack() {
  const QStringList labels = {QStringLiteral("1.性別"), QStringLiteral("2.鉄(mg)"),
                              QStringLiteral("3.X")};
  const QStringList headers = {QStringLiteral("性別"), QStringLiteral("鉄(mg)"),
                               QStringLiteral("X")};
  DesignOptionsDialog dialog(labels, {}, nullptr, headers);
  auto* ok = Find<QDialogButtonBox>(dialog, "buttons")->button(QDialogButtonBox::Ok);
  auto* mapping = Find<QTableWidget>(dialog, "nutrientMapping");
  QVERIFY(!dialog.options().reference);
  Find<QComboBox>(dialog, "referenceTable")->setCurrentIndex(3);
  QVERIFY(!ok->isEnabled());  // no file yet
  auto* file = Find<QLineEdit>(dialog, "referenceFile");
  file->setText(QString::fromUtf8(KELVARA_TEST_REFERENCE));
  emit file->editingFinished();
  QVERIFY(ok->isEnabled());
  QCOMPARE(mapping->item(1, 1)->text(), QStringLiteral("iron"));
  QCOMPARE(mapping->item(2, 1)->text(), QString());
  mapping->item(2, 1)->setText(QStringLiteral("zinc"));
  QVERIFY(!ok->isEnabled());
  mapping->item(2, 1)->setText(QStringLiteral("calcium"));
  QVERIFY(ok->isEnabled());
  Find<QComboBox>(dialog, "pregnancyStage")->setCurrentIndex(2);
  Find<QCheckBox>(dialog, "medianInterval")->setChecked(true);

  const kelvara::DesignOptions chosen = dialog.options();
  QVERIFY(chosen.medianInterval);
  QVERIFY(chosen.reference);
  QCOMPARE(QString::fromStdString(chosen.reference->origin),
           QString::fromUtf8(KELVARA_TEST_REFERENCE));
  QVERIFY(chosen.reference->pregnancyStage == kelvara::PregnancyStage::mid);
  QVERIFY(chosen.reference->menstruation == kelvara::Menstruation::notChosen);
  const std::map<std::string, std::string> byHand = {{"X", "calcium"}};
  QVERIFY(chosen.reference->keyByHeader == byHand);

  DesignOptionsDialog again(labels, chosen, nullptr, headers);
  QCOMPARE(Find<QTableWidget>(again, "nutrientMapping")->item(2, 1)->text(),
           QStringLiteral("calcium"));
  QCOMPARE(Find<QComboBox>(again, "pregnancyStage")->currentIndex(), 2);
  QVERIFY(again.options().reference->keyByHeader == byHand);
  Find<QComboBox>(again, "referenceTable")->setCurrentIndex(0);
  QVERIFY(!again.options().reference);
}

// The judging page lists the ticked variables, each with the values the
// table gives it and how many of the file's persons have each, before the
// run; a nutrient the table lacks, or a unit it cannot convert, is marked.
void DesignOptionsDialogTest::nutrientTableSaysWhatTheTableJudges() {
  const QStringList headers = {QStringLiteral("性別"), QStringLiteral("鉄(μg)"), QStringLiteral("X"),
                               QStringLiteral("食塩相当量"), QStringLiteral("カルシウム(総量)")};
  QStringList labels;
  for (int c = 0; c < headers.size(); ++c) labels.append(QStringLiteral("%1.%2").arg(c + 1).arg(headers[c]));
  DesignOptionsDialog dialog(labels, {}, nullptr, headers);
  dialog.SetVariables({1, 2, 3, 4});
  // Two men and a woman of 30, a boy of 10, a baby.
  std::vector<int64_t> persons(kelvara::kPersonClasses, 0);
  persons[kelvara::PersonClass(1, 30, 0)] = 2;
  persons[kelvara::PersonClass(2, 30, 0)] = 1;
  persons[kelvara::PersonClass(1, 10, 0)] = 1;
  persons[kelvara::PersonClass(1, 0.5, 0)] = 1;
  dialog.SetPersons(persons);
  Find<QComboBox>(dialog, "referenceTable")->setCurrentIndex(3);
  auto* file = Find<QLineEdit>(dialog, "referenceFile");
  file->setText(QString::fromUtf8(KELVARA_TEST_REFERENCE));
  emit file->editingFinished();

  auto* mapping = Find<QTableWidget>(dialog, "nutrientMapping");
  QCOMPARE(mapping->rowCount(), 4);
  const auto row = [&](int r) {
    return QStringList{mapping->item(r, 0)->text(), mapping->item(r, 1)->text(),
                       mapping->item(r, 2)->text(), mapping->item(r, 3)->text()};
  };
  const auto marked = [&](int r) { return mapping->item(r, 2)->foreground().color() == QColor(Qt::red); };
  // Iron: EAR for the men and the boy (the woman's waits for the
  // menstruation choice), UL from 18.
  QCOMPARE(row(0), (QStringList{QStringLiteral("2.鉄(μg)"), QStringLiteral("iron"),
                                QStringLiteral("EAR・UL（μgに換算）"),
                                QStringLiteral("EAR 3人・UL 3人（5人中）")}));
  QCOMPARE(row(1), (QStringList{QStringLiteral("3.X"), QString(), QStringLiteral("判定しない"), QString()}));
  QCOMPARE(row(2), (QStringList{QStringLiteral("4.食塩相当量"), QStringLiteral("salt"),
                                QStringLiteral("DG"), QStringLiteral("DG 3人（5人中）")}));
  QCOMPARE(row(3)[2], QStringLiteral("単位「総量」を表の「mg」に換算できない"));
  QVERIFY(!marked(0) && !marked(1) && !marked(2) && marked(3));
  QVERIFY(!Find<QLabel>(dialog, "referenceHint")->text().isEmpty());

  Find<QComboBox>(dialog, "menstruation")->setCurrentIndex(1);
  QCOMPARE(row(0)[3], QStringLiteral("EAR 4人・UL 3人（5人中）"));
  mapping->item(1, 1)->setText(QStringLiteral("zinc"));
  QCOMPARE(row(1)[2], QStringLiteral("基準値表にない栄養素"));
  QVERIFY(marked(1));
  QVERIFY(!Find<QDialogButtonBox>(dialog, "buttons")->button(QDialogButtonBox::Ok)->isEnabled());
}

QTEST_MAIN(DesignOptionsDialogTest)
#include "design_options_dialog_test.moc"
