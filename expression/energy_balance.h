// The energy-providing nutrient balance (エネルギー産生栄養素バランス) in one
// step: the percentages of energy from protein, fat, saturated fat and
// carbohydrate as computed variables, from the file's energy, protein, fat
// and saturated fatty acid columns. Protein and carbohydrate give 4 kcal/g,
// fat 9 kcal/g; carbohydrate is the rest, 100 minus the protein and fat
// percentages, so that it holds alcohol (and fibre) as the Dietary Reference
// Intakes' goal of 50-65 % does.
#pragma once

#include <array>
#include <span>
#include <string>
#include <vector>

#include "expression/formula.h"

namespace kelvara {

// The columns the ratios are worked out from, in this order.
enum class EnergyPart { energy, protein, fat, saturatedFat };
inline constexpr size_t kEnergyParts = 4;

// The option's word for each part (energy=COL,protein=COL,fat=COL,saturated-fat=COL).
std::string_view EnergyPartWord(EnergyPart part);

// The header texts a part is known by, UTF-8, without a unit.
std::span<const std::string_view> EnergyPartAliases(EnergyPart part);

// Where a part's column was found: its 0-based index, or why none.
struct EnergyColumn {
  enum class Found { column, none, several };
  Found found = Found::none;
  int column = -1;
};

struct EnergyBalance {
  std::array<EnergyColumn, kEnergyParts> columns;
  // The ratios the columns allow (carbohydrate needs protein and fat), in
  // the order protein, fat, saturated fat, carbohydrate; none without energy.
  std::vector<DerivedDefinition> definitions;
  // Ratios left out because the file holds them already, by their names or
  // the names surveys give them (脂質エネルギー比率, with or without a unit):
  // the header texts of those columns, which are the ones judged, as they are.
  std::vector<std::string> heldByFile;
};

// Finds the parts in the header (UTF-8 texts) by their aliases, with or
// without a unit in brackets (エネルギー(kcal), たんぱく質（g）); a unit other
// than kcal for energy or g for the others keeps the column from counting.
// A part whose column is given (0-based, not -1) takes that column instead.
EnergyBalance PlanEnergyBalance(std::span<const std::string> header,
                                const std::array<int, kEnergyParts>& given);

// The names of the four ratios, UTF-8, in the order above.
std::span<const std::string_view> EnergyRatioNames();

}  // namespace kelvara
