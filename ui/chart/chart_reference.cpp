#include "ui/chart/chart_reference.h"

#include "codec/cp932.h"
#include "engine/reading/reference_location.h"
#include "engine/report/report_reading.h"
#include "ui/window/display_text.h"

ReferenceTableFinder::ReferenceTableFinder(std::filesystem::path programDirectory)
    : programDirectory_(std::move(programDirectory)) {}

const kelvara::ReferenceTable* ReferenceTableFinder::ShippedTable(const std::string& title) {
  for (std::string_view name : kelvara::kShippedReferenceNames) {
    auto [at, added] = shipped_.try_emplace(std::string(name));
    if (added) {
      std::string error;
      at->second = kelvara::ReadNamedReferenceTable(
          std::string(name), programDirectory_,
          [](std::string_view text) { return kelvara::Utf8ToCp932(text); }, error);
    }
    if (at->second && at->second->title == title) return &*at->second;
  }
  return nullptr;
}

ChartReference ReferenceTableFinder::Find(const kelvara::ReportBlock& block,
                                          const kelvara::ReferenceChoice* designChoice) {
  ChartReference found;
  if (!block.reference) return found;
  const kelvara::ReferenceNote& note = *block.reference;
  found.table = DisplayText(note.table);
  if (note.nutrient.empty()) return found;  // judged against nothing: nothing to mark

  kelvara::ReferenceChoice choice;
  if (designChoice != nullptr && designChoice->table.title == note.table) {
    choice.table = designChoice->table;
    choice.menstruation = designChoice->menstruation;
  } else if (const kelvara::ReferenceTable* shipped = ShippedTable(note.table)) {
    choice.table = *shipped;
  } else {
    found.problem = QStringLiteral("基準値の表「%1」が見つからないため、基準値の印は描きません。")
                        .arg(found.table);
    return found;
  }
  if (!choice.table.HasKey(note.nutrient)) {
    found.problem = QStringLiteral("基準値の表「%1」に栄養素「%2」がないため、基準値の印は描きません。")
                        .arg(found.table, DisplayText(note.nutrient));
    return found;
  }
  // The values in the block's own unit, as the run converted them from the
  // unit its header names.
  choice.keyByHeader[block.name] = note.nutrient;
  const std::optional<int> powerOfTen =
      kelvara::MatchColumnNutrient(choice, -1, block.name).powerOfTen;
  if (!powerOfTen) {
    found.problem = QStringLiteral("「%1」の単位を基準値の表「%2」の単位に換算できないため、基準値の印は描きません。")
                        .arg(DisplayText(block.name), found.table);
    return found;
  }
  found.nutrient =
      std::make_shared<const kelvara::NutrientReference>(choice, note.nutrient, *powerOfTen);
  return found;
}
