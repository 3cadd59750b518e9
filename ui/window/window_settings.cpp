#include "ui/window/window_settings.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QSettings>
#include <algorithm>

#include "codec/cp932.h"
#include "engine/reading/reference_location.h"
#include "engine/statistics/reference_judgement.h"
#include "platform/program_directory.h"

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
const QString kMedianInterval = QStringLiteral("design/medianInterval");
const QString kReference = QStringLiteral("design/reference");
const QString kPregnancyStage = QStringLiteral("design/pregnancyStage");
const QString kMenstruation = QStringLiteral("design/menstruation");
// Nutrient keys set by hand, as "header<TAB>key" (the header decoded).
const QString kNutrientKeys = QStringLiteral("design/nutrientKeys");
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

int WindowSettings::scheme() const { return store_->value(kScheme, 0).toInt(); }

void WindowSettings::setScheme(int itemIndex) { store_->setValue(kScheme, itemIndex); }

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
  const QString cutOff = store_->value(kShareBelow).toString();
  if (!cutOff.isEmpty()) {
    bool ok = false;
    const double value = cutOff.toDouble(&ok);
    if (ok) design.shareBelow = value;
  }
  design.medianInterval = store_->value(kMedianInterval, false).toBool();
  // The table is read again; one that can no longer be read is not chosen.
  const QString origin = store_->value(kReference).toString();
  if (!origin.isEmpty()) {
    std::string error;
    std::optional<kelvara::ReferenceTable> table = kelvara::ReadNamedReferenceTable(
        origin.toStdString(), kelvara::ProgramDirectory(),
        [](std::string_view text) { return kelvara::Utf8ToCp932(text); }, error);
    if (table) {
      auto choice = std::make_shared<kelvara::ReferenceChoice>();
      choice->origin = origin.toStdString();
      choice->table = std::move(*table);
      choice->pregnancyStage = static_cast<kelvara::PregnancyStage>(
          std::clamp(store_->value(kPregnancyStage, 0).toInt(), 0, 3));
      choice->menstruation = static_cast<kelvara::Menstruation>(
          std::clamp(store_->value(kMenstruation, 0).toInt(), 0, 2));
      for (const QString& entry : store_->value(kNutrientKeys).toStringList()) {
        const QStringList parts = entry.split(QLatin1Char('\t'));
        const auto header = kelvara::Utf8ToCp932(parts.value(0).toStdString());
        if (parts.size() == 2 && header) choice->keyByHeader[*header] = parts[1].toStdString();
      }
      design.reference = std::move(choice);
    }
  }
  return design;
}

void WindowSettings::setDesign(const kelvara::DesignOptions& design) {
  store_->setValue(kConfidenceInterval, design.confidenceInterval);
  store_->setValue(kCoefficientOfVariation, design.coefficientOfVariation);
  store_->setValue(kDesignEffect, design.designEffect);
  store_->setValue(kShareBelow, design.shareBelow ? QString::number(*design.shareBelow, 'g', 17)
                                                  : QString());
  store_->setValue(kMedianInterval, design.medianInterval);
  const kelvara::ReferenceChoice* reference = design.reference.get();
  store_->setValue(kReference, reference ? QString::fromStdString(reference->origin) : QString());
  store_->setValue(kPregnancyStage, reference ? static_cast<int>(reference->pregnancyStage) : 0);
  store_->setValue(kMenstruation, reference ? static_cast<int>(reference->menstruation) : 0);
  QStringList keys;
  if (reference) {
    for (const auto& [header, key] : reference->keyByHeader) {
      keys.append(QString::fromStdString(kelvara::Cp932ToUtf8(header)) + QLatin1Char('\t') +
                  QString::fromStdString(key));
    }
  }
  store_->setValue(kNutrientKeys, keys);
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
