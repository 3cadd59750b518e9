#include "ui/window/window_settings.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QSettings>
#include <algorithm>

#include "engine/cut_off.h"

namespace {

const QString kGeometry = QStringLiteral("window/geometry");
const QString kScheme = QStringLiteral("run/scheme");
const QString kUnit = QStringLiteral("columns/unit");
const QString kWeight = QStringLiteral("columns/weight");
const QString kSex = QStringLiteral("columns/sex");
const QString kAge = QStringLiteral("columns/age");
const QString kPregnancy = QStringLiteral("columns/pregnancy");
const QString kVariables = QStringLiteral("columns/variables");
const QString kStrata = QStringLiteral("columns/strata");
const QString kConfidenceInterval = QStringLiteral("design/confidenceInterval");
const QString kCoefficientOfVariation = QStringLiteral("design/coefficientOfVariation");
const QString kDesignEffect = QStringLiteral("design/designEffect");
const QString kShareBelow = QStringLiteral("design/shareBelow");
const QString kPageSize = QStringLiteral("page/size");
const QString kOrientation = QStringLiteral("page/orientation");
const QString kMargins = QStringLiteral("page/marginsMillimetres");

QString FolderKey(const QString& dialog) { return QStringLiteral("folders/") + dialog; }

}  // namespace

WindowSettings::WindowSettings(const QString& file)
    : store_(file.isEmpty() ? std::make_unique<QSettings>(QStringLiteral("Kelvara"),
                                                          QStringLiteral("Kelvara"))
                            : std::make_unique<QSettings>(file, QSettings::IniFormat)) {}

WindowSettings::~WindowSettings() = default;

QByteArray WindowSettings::geometry() const { return store_->value(kGeometry).toByteArray(); }

void WindowSettings::setGeometry(const QByteArray& geometry) { store_->setValue(kGeometry, geometry); }

QString WindowSettings::folder(const QString& dialog) const {
  return store_->value(FolderKey(dialog)).toString();
}

void WindowSettings::setFolder(const QString& dialog, const QString& folder) {
  store_->setValue(FolderKey(dialog), folder);
}

kelvara::SchemeId WindowSettings::scheme() const {
  const QString stored = store_->value(kScheme).toString();
  if (const auto named = kelvara::SchemeNamed(stored.toStdString())) return *named;
  bool isNumber = false;
  const int itemIndex = stored.toInt(&isNumber);
  if (isNumber) return kelvara::SchemeForItemIndex(std::clamp(itemIndex, 0, 3));
  return kelvara::SchemeId::table1;
}

void WindowSettings::setScheme(kelvara::SchemeId scheme) {
  const std::string_view name = kelvara::SchemeName(scheme);
  store_->setValue(kScheme, QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
}

ColumnChoices WindowSettings::columns() const {
  ColumnChoices choices;
  choices.unit = store_->value(kUnit).toString();
  choices.weight = store_->value(kWeight).toString();
  choices.sex = store_->value(kSex).toString();
  choices.age = store_->value(kAge).toString();
  choices.pregnancy = store_->value(kPregnancy).toString();
  choices.strata = store_->value(kStrata).toString();
  choices.variables = store_->value(kVariables).toStringList();
  return choices;
}

void WindowSettings::setColumns(const ColumnChoices& choices) {
  store_->setValue(kUnit, choices.unit);
  store_->setValue(kWeight, choices.weight);
  store_->setValue(kSex, choices.sex);
  store_->setValue(kAge, choices.age);
  store_->setValue(kPregnancy, choices.pregnancy);
  store_->setValue(kStrata, choices.strata);
  store_->setValue(kVariables, choices.variables);
}

kelvara::DesignOptions WindowSettings::design() const {
  kelvara::DesignOptions design;
  design.confidenceInterval = store_->value(kConfidenceInterval, false).toBool();
  design.coefficientOfVariation = store_->value(kCoefficientOfVariation, false).toBool();
  design.designEffect = store_->value(kDesignEffect, false).toBool();
  // The cut-off is kept as text with a decimal point, so that no locale
  // changes the number read back.
  design.shareBelow = kelvara::ParseCutOff(store_->value(kShareBelow).toString().toStdString());
  return design;
}

void WindowSettings::setDesign(const kelvara::DesignOptions& design) {
  store_->setValue(kConfidenceInterval, design.confidenceInterval);
  store_->setValue(kCoefficientOfVariation, design.coefficientOfVariation);
  store_->setValue(kDesignEffect, design.designEffect);
  store_->setValue(kShareBelow, design.shareBelow ? QString::number(*design.shareBelow, 'g', 17)
                                                  : QString());
}

void WindowSettings::loadPageSetup(QPrinter& printer) const {
  if (store_->contains(kPageSize)) {
    const auto id = static_cast<QPageSize::PageSizeId>(store_->value(kPageSize).toInt());
    if (id >= 0 && id <= QPageSize::LastPageSize) printer.setPageSize(QPageSize(id));
  }
  if (store_->contains(kOrientation)) {
    printer.setPageOrientation(store_->value(kOrientation).toInt() == QPageLayout::Portrait
                                   ? QPageLayout::Portrait
                                   : QPageLayout::Landscape);
  }
  const QStringList margins = store_->value(kMargins).toStringList();
  if (margins.size() == 4) {
    printer.setPageMargins(QMarginsF(margins[0].toDouble(), margins[1].toDouble(),
                                     margins[2].toDouble(), margins[3].toDouble()),
                           QPageLayout::Millimeter);
  }
}

void WindowSettings::savePageSetup(const QPrinter& printer) {
  const QPageLayout layout = printer.pageLayout();
  store_->setValue(kPageSize, static_cast<int>(layout.pageSize().id()));
  store_->setValue(kOrientation, static_cast<int>(layout.orientation()));
  const QMarginsF margins = layout.margins(QPageLayout::Millimeter);
  store_->setValue(kMargins, QStringList{QString::number(margins.left()), QString::number(margins.top()),
                                         QString::number(margins.right()),
                                         QString::number(margins.bottom())});
}

void WindowSettings::sync() { store_->sync(); }
