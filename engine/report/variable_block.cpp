#include "engine/report/variable_block.h"

#include "engine/report/reference_line.h"
#include "engine/report/report_format.h"

namespace kelvara {

std::vector<AddedField> AddedFields(const GroupStatistics& s, const DesignOptions& design) {
  std::vector<AddedField> fields;
  if (design.confidenceInterval) {
    fields.push_back(s.meanLower);
    fields.push_back(s.meanUpper);
  }
  if (design.coefficientOfVariation) fields.push_back(s.coefficientOfVariation);
  if (design.designEffect) fields.push_back(s.designEffect);
  if (design.shareBelow) {
    fields.push_back(100 * s.shareBelow);
    fields.push_back(100 * s.shareBelowSe);
  }
  if (design.medianInterval) {
    fields.push_back(s.medianLower);
    fields.push_back(s.medianUpper);
  }
  if (design.reference) {
    for (size_t f = 0; f < s.judgedShare.size(); ++f) {
      fields.push_back(AddedField::Count(s.judgedPersons[f]));
      fields.push_back(100 * s.judgedShare[f]);
      fields.push_back(100 * s.judgedShareSe[f]);
    }
  }
  return fields;
}

std::vector<std::string> VariableBlockLines(std::string_view name, const ColumnFigures& figures,
                                            std::span<const AgeGroup> groups,
                                            const DesignOptions& design) {
  std::vector<std::string> lines;
  lines.reserve(groups.size() + 5);
  lines.push_back(HeaderLine(name));
  if (design.addsColumns()) {
    lines.push_back(ColumnTitleLine(design));
  } else {
    lines.emplace_back(ColumnTitleLine());
  }
  for (size_t g = 0; g < figures.groups.size(); ++g) {
    lines.push_back(GroupLine(groups[g].label, figures.groups[g],
                              AddedFields(figures.groups[g], design)));
  }
  lines.push_back(figures.stratified ? StrataLine(figures.counts)
                                     : StrataLine(figures.counts.units));
  if (design.reference) {
    lines.push_back(ReferenceLine(design.reference->table.title, figures.nutrient,
                                  figures.notJudged));
  }
  lines.emplace_back();
  return lines;
}

}  // namespace kelvara
