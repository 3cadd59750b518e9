// The reference values a judged block was judged against, found again for
// its chart from the table the block's last line names.
#pragma once

#include <QString>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "engine/reading/reference_table.h"
#include "engine/statistics/reference_judgement.h"

namespace kelvara {
struct ReportBlock;
}

// The nutrient's values for the chart, or why there are none.
struct ChartReference {
  std::shared_ptr<const kelvara::NutrientReference> nutrient;
  QString table;    // the table's title, for the note
  QString problem;  // why there are no values; empty when found or not judged
};

class ReferenceTableFinder {
 public:
  // Shipped tables are looked for from `programDirectory`.
  explicit ReferenceTableFinder(std::filesystem::path programDirectory);

  // The table whose title the block's reference line names: the one chosen
  // in the design options (`designChoice`, may be null) when its title is
  // that, else a shipped table of that title. The menstruation choice is
  // taken from the design options only with their own table: another table's
  // bands may not be the same. A block that was not judged gives nothing.
  ChartReference Find(const kelvara::ReportBlock& block,
                      const kelvara::ReferenceChoice* designChoice);

 private:
  const kelvara::ReferenceTable* ShippedTable(const std::string& title);

  std::filesystem::path programDirectory_;
  // Read once each; nothing for a shipped table that cannot be read.
  std::map<std::string, std::optional<kelvara::ReferenceTable>> shipped_;
};
