#include "ui/window/window_settings.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QSettings>
#include <algorithm>

#include "engine/cut_off.h"
#include "codec/cp932.h"
#include "engine/reading/reference_location.h"
#include "engine/statistics/reference_judgement.h"
#include "platform/program_directory.h"
#include "ui/settings/scheme_choice.h"

namespace {

const QString kGeometry = QStringLiteral("window/geometry");
const QString kScheme = QStringLiteral("run/scheme");
const QString kProvenance = QStringLiteral("run/provenance");
const QString kColumns = QStringLiteral("columns/");
const QString kUnit = QStringLiteral("unit");
const QString kWeight = QStringLiteral("weight");
const QString kSex = QStringLiteral("sex");
const QString kAge = QStringLiteral("age");
const QString kPregnancy = QStringLiteral("pregnancy");
const QString kVariables = QStringLiteral("variables");
const QString kStrata = QStringLiteral("strata");
const QString kPath = QStringLiteral("path");
const QString kCutOffs = QStringLiteral("cutOffs");
const QString kVarianceRatios = QStringLiteral("varianceRatios");
const QString kDerivedNames = QStringLiteral("derivedNames");
const QString kDerivedExpressions = QStringLiteral("derivedExpressions");
const QString kConfidenceInterval = QStringLiteral("design/confidenceInterval");
const QString kCoefficientOfVariation = QStringLiteral("design/coefficientOfVariation");
const QString kDesignEffect = QStringLiteral("design/designEffect");
const QString kShareBelow = QStringLiteral("design/shareBelow");
const QString kPerson = QStringLiteral("person");
const QString kEnergy = QStringLiteral("energy");
const QString kEnergyAdjustment = QStringLiteral("design/energyAdjustment");
const QString kUsual = QStringLiteral("design/usualIntake");
const QString kVarianceRatio = QStringLiteral("design/varianceRatio");
const QString kBootstrapReplicates = QStringLiteral("design/bootstrapReplicates");
const QString kMedianInterval = QStringLiteral("design/medianInterval");
const QString kReference = QStringLiteral("design/reference");
const QString kPregnancyStage = QStringLiteral("design/pregnancyStage");
const QString kMenstruation = QStringLiteral("design/menstruation");
// Nutrient keys set by hand, as "header<TAB>key" (the header decoded).
const QString kNutrientKeys = QStringLiteral("design/nutrientKeys");
// The summary's decimals per variable, as "decimals<TAB>name" (the name
// decoded), and of its share rows.
const QString kSummaryDecimals = QStringLiteral("summary/decimals");
const QString kShareDecimals = QStringLiteral("summary/shareDecimals");
const QString kPageSize = QStringLiteral("page/size");
const QString kOrientation = QStringLiteral("page/orientation");
const QString kMargins = QStringLiteral("page/marginsMillimetres");

QString FolderKey(const QString& dialog) { return QStringLiteral("folders/") + dialog; }

// A file's choices stand under a key made from its path, which may hold any
// character a settings key cannot; the path itself is kept beside them.
QString FileKey(const QString& path) {
  const QString absolute = QFileInfo(path).absoluteFilePath();
  return QStringLiteral("files/") +
         QString::fromLatin1(
             QCryptographicHash::hash(absolute.toUtf8(), QCryptographicHash::Sha1).toHex()) +
         QLatin1Char('/');
}

ColumnChoices ReadChoices(const QSettings& store, const QString& prefix) {
  ColumnChoices choices;
  choices.unit = store.value(prefix + kUnit).toString();
  choices.weight = store.value(prefix + kWeight).toString();
  choices.sex = store.value(prefix + kSex).toString();
  choices.age = store.value(prefix + kAge).toString();
  choices.pregnancy = store.value(prefix + kPregnancy).toString();
  choices.strata = store.value(prefix + kStrata).toString();
  choices.person = store.value(prefix + kPerson).toString();
  choices.energy = store.value(prefix + kEnergy).toString();
  choices.variables = store.value(prefix + kVariables).toStringList();
  choices.cutOffs = store.value(prefix + kCutOffs).toStringList();
  choices.varianceRatios = store.value(prefix + kVarianceRatios).toStringList();
  return choices;
}

void WriteChoices(QSettings& store, const QString& prefix, const ColumnChoices& choices) {
  store.setValue(prefix + kUnit, choices.unit);
  store.setValue(prefix + kWeight, choices.weight);
  store.setValue(prefix + kSex, choices.sex);
  store.setValue(prefix + kAge, choices.age);
  store.setValue(prefix + kPregnancy, choices.pregnancy);
  store.setValue(prefix + kStrata, choices.strata);
  store.setValue(prefix + kPerson, choices.person);
  store.setValue(prefix + kEnergy, choices.energy);
  store.setValue(prefix + kVariables, choices.variables);
  store.setValue(prefix + kCutOffs, choices.cutOffs);
  store.setValue(prefix + kVarianceRatios, choices.varianceRatios);
}

// Computed variables as two lists, names and expressions: either may hold
// any character.
std::vector<kelvara::DerivedDefinition> ReadDerived(const QSettings& store, const QString& prefix) {
  std::vector<kelvara::DerivedDefinition> derived;
  const QStringList names = store.value(prefix + kDerivedNames).toStringList();
  const QStringList expressions = store.value(prefix + kDerivedExpressions).toStringList();
  for (qsizetype k = 0; k < std::min(names.size(), expressions.size()); ++k) {
    derived.push_back({names[k].toUtf8().toStdString(), expressions[k].toUtf8().toStdString()});
  }
  return derived;
}

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
  if (isNumber) return SchemeForItemIndex(std::clamp(itemIndex, 0, 3));
  return kelvara::SchemeId::table1;
}

void WindowSettings::setScheme(kelvara::SchemeId scheme) {
  const std::string_view name = kelvara::SchemeName(scheme);
  store_->setValue(kScheme, QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
}

ColumnChoices WindowSettings::columns() const { return ReadChoices(*store_, kColumns); }

void WindowSettings::setColumns(const ColumnChoices& choices) {
  WriteChoices(*store_, kColumns, choices);
}

std::optional<ColumnChoices> WindowSettings::columnsForFile(const QString& path) const {
  const QString prefix = FileKey(path);
  // Two paths of one hash are practically impossible, but cost nothing to tell apart.
  if (store_->value(prefix + kPath).toString() != QFileInfo(path).absoluteFilePath()) {
    return std::nullopt;
  }
  return ReadChoices(*store_, prefix);
}

void WindowSettings::setColumnsForFile(const QString& path, const ColumnChoices& choices) {
  const QString prefix = FileKey(path);
  store_->setValue(prefix + kPath, QFileInfo(path).absoluteFilePath());
  WriteChoices(*store_, prefix, choices);
}

std::vector<kelvara::DerivedDefinition> WindowSettings::derived() const {
  return ReadDerived(*store_, kColumns);
}

std::vector<kelvara::DerivedDefinition> WindowSettings::derivedForFile(const QString& path) const {
  const QString prefix = FileKey(path);
  if (store_->value(prefix + kPath).toString() != QFileInfo(path).absoluteFilePath()) return {};
  return ReadDerived(*store_, prefix);
}

void WindowSettings::setDerivedForFile(const QString& path,
                                       const std::vector<kelvara::DerivedDefinition>& derived) {
  QStringList names, expressions;
  for (const kelvara::DerivedDefinition& definition : derived) {
    names.append(QString::fromStdString(definition.name));
    expressions.append(QString::fromStdString(definition.expression));
  }
  const QString prefix = FileKey(path);
  store_->setValue(prefix + kPath, QFileInfo(path).absoluteFilePath());
  for (const QString& key : {prefix, kColumns}) {
    store_->setValue(key + kDerivedNames, names);
    store_->setValue(key + kDerivedExpressions, expressions);
  }
}

kelvara::DesignOptions WindowSettings::design() const {
  kelvara::DesignOptions design;
  design.confidenceInterval = store_->value(kConfidenceInterval, false).toBool();
  design.coefficientOfVariation = store_->value(kCoefficientOfVariation, false).toBool();
  design.designEffect = store_->value(kDesignEffect, false).toBool();
  // The cut-off is kept as text with a decimal point, so that no locale
  // changes the number read back.
  design.shareBelow = kelvara::ParseCutOff(store_->value(kShareBelow).toString().toStdString());
  design.usual.enabled = store_->value(kUsual, false).toBool();
  const std::optional<double> ratio =
      kelvara::ParseCutOff(store_->value(kVarianceRatio).toString().toStdString());
  if (ratio && *ratio >= 0) design.usual.ratios.push_back({-1, *ratio});
  // Those of single variables come with the file's column choices.
  const int replicates = store_->value(kBootstrapReplicates, 0).toInt();
  design.usual.bootstrapReplicates = replicates >= 2 && replicates <= 100000 ? replicates : 0;
  design.medianInterval = store_->value(kMedianInterval, false).toBool();
  // The method; its column comes with the file's column choices.
  design.energyAdjustment.method = static_cast<kelvara::EnergyAdjustmentMethod>(
      std::clamp(store_->value(kEnergyAdjustment, 0).toInt(), 0, 2));
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
  store_->setValue(kUsual, design.usual.enabled);
  QString ratio;
  for (const kelvara::VarianceRatio& given : design.usual.ratios) {
    if (given.column == -1) ratio = QString::number(given.ratio, 'g', 17);
  }
  store_->setValue(kVarianceRatio, ratio);
  store_->setValue(kBootstrapReplicates, design.usual.bootstrapReplicates);
  store_->setValue(kMedianInterval, design.medianInterval);
  store_->setValue(kEnergyAdjustment, static_cast<int>(design.energyAdjustment.method));
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

bool WindowSettings::provenance() const { return store_->value(kProvenance, false).toBool(); }

void WindowSettings::setProvenance(bool on) { store_->setValue(kProvenance, on); }

kelvara::SummaryDecimals WindowSettings::summaryDecimals() const {
  kelvara::SummaryDecimals decimals;
  for (const QString& entry : store_->value(kSummaryDecimals).toStringList()) {
    const qsizetype tab = entry.indexOf(QLatin1Char('\t'));
    bool number = false;
    const int places = entry.left(tab).toInt(&number);
    const auto name = kelvara::Utf8ToCp932(entry.mid(tab + 1).toStdString());
    if (tab > 0 && number && places >= 0 && places <= kelvara::kMostDecimals && name) {
      decimals.byVariable[*name] = places;
    }
  }
  const int shares = store_->value(kShareDecimals, -1).toInt();
  decimals.shares = shares >= 0 && shares <= kelvara::kMostDecimals ? shares : -1;
  return decimals;
}

void WindowSettings::setSummaryDecimals(const kelvara::SummaryDecimals& decimals) {
  QStringList entries;
  for (const auto& [name, places] : decimals.byVariable) {
    if (places < 0) continue;
    entries.append(QString::number(places) + QLatin1Char('\t') +
                   QString::fromStdString(kelvara::Cp932ToUtf8(name)));
  }
  store_->setValue(kSummaryDecimals, entries);
  store_->setValue(kShareDecimals, decimals.shares);
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
