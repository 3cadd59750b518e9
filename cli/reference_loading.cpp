#include "cli/reference_loading.h"

#include "cli/column_lookup.h"
#include "codec/cp932.h"
#include "engine/reading/reference_location.h"
#include "platform/program_directory.h"

namespace kelvara {

std::shared_ptr<const ReferenceChoice> LoadReferenceChoice(const TabOptions& options,
                                                           const std::vector<std::string>& header,
                                                           std::string& error) {
  auto choice = std::make_shared<ReferenceChoice>();
  choice->origin = options.reference;
  std::optional<ReferenceTable> table = ReadNamedReferenceTable(
      options.reference, ProgramDirectory(), [](std::string_view text) { return Utf8ToCp932(text); },
      error);
  if (!table) return nullptr;
  choice->table = std::move(*table);
  if (options.pregnancyStage == "early") choice->pregnancyStage = PregnancyStage::early;
  if (options.pregnancyStage == "mid") choice->pregnancyStage = PregnancyStage::mid;
  if (options.pregnancyStage == "late") choice->pregnancyStage = PregnancyStage::late;
  if (options.menstruation == "yes") choice->menstruation = Menstruation::yes;
  if (options.menstruation == "no") choice->menstruation = Menstruation::no;
  for (const auto& [variable, key] : options.nutrients) {
    const std::optional<int> column = ResolveColumn(variable, header, "--nutrient", error);
    if (!column) return nullptr;
    if (!key.empty() && !choice->table.HasKey(key)) {
      error = "the reference table has no nutrient " + key;
      return nullptr;
    }
    choice->keyByColumn[*column] = key;
  }
  return choice;
}

}  // namespace kelvara
