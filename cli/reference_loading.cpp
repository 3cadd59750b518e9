#include "cli/reference_loading.h"

#include "cli/column_lookup.h"
#include "codec/cp932.h"
#include "engine/reading/reference_location.h"
#include "platform/program_directory.h"
#include "platform/utf8_path.h"

namespace kelvara {

std::shared_ptr<const ReferenceChoice> LoadReferenceChoice(const TabOptions& options,
                                                           const std::vector<std::string>& header,
                                                           std::string& error) {
  std::filesystem::path file;
  if (IsShippedReferenceName(options.reference)) {
    const auto shipped = ShippedReferenceFile(ProgramDirectory(), options.reference);
    if (!shipped) {
      error = "the reference table " + options.reference +
              " is not installed (reference/" + options.reference + ".csv beside kelvara-tab)";
      return nullptr;
    }
    file = *shipped;
  } else {
    file = PathFromUtf8(options.reference);
  }
  auto choice = std::make_shared<ReferenceChoice>();
  std::optional<ReferenceTable> table = ReadReferenceTable(
      file, [](std::string_view text) { return Utf8ToCp932(text); }, error);
  if (!table) {
    error = Utf8FromPath(file) + ": " + error;
    return nullptr;
  }
  choice->table = std::move(*table);
  if (options.pregnancyStage == "early") choice->pregnancyStage = PregnancyStage::early;
  if (options.pregnancyStage == "mid") choice->pregnancyStage = PregnancyStage::mid;
  if (options.pregnancyStage == "late") choice->pregnancyStage = PregnancyStage::late;
  if (options.menstruation == "yes") choice->menstruation = Menstruation::yes;
  if (options.menstruation == "no") choice->menstruation = Menstruation::no;
  for (const auto& [variable, key] : options.nutrients) {
    const std::optional<int> column = ResolveColumn(variable, header, "--nutrient", error);
    if (!column) return nullptr;
    if (!choice->table.HasKey(key)) {
      error = "the reference table has no nutrient " + key;
      return nullptr;
    }
    choice->keyByColumn[*column] = key;
  }
  return choice;
}

}  // namespace kelvara
