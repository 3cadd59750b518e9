#include "expression/energy_balance.h"

#include <algorithm>
#include <cassert>
#include <optional>

namespace kelvara {
namespace {

constexpr std::string_view kEnergyAliases[] = {"エネルギー", "エネルギー摂取量", "熱量"};
constexpr std::string_view kProteinAliases[] = {"たんぱく質", "タンパク質", "蛋白質"};
constexpr std::string_view kFatAliases[] = {"脂質", "脂肪"};
constexpr std::string_view kSaturatedFatAliases[] = {"飽和脂肪酸"};

constexpr std::string_view kRatioNames[] = {"たんぱく質エネルギー比率", "脂肪エネルギー比率",
                                            "飽和脂肪酸エネルギー比率", "炭水化物エネルギー比率"};
// The header texts a file holding a ratio already may give it, beside its name.
constexpr std::string_view kProteinRatioAliases[] = {
    "たんぱく質エネルギー比率", "タンパク質エネルギー比率", "たんぱく質エネルギー比"};
constexpr std::string_view kFatRatioAliases[] = {"脂肪エネルギー比率", "脂質エネルギー比率",
                                                 "脂肪エネルギー比", "脂質エネルギー比"};
constexpr std::string_view kSaturatedFatRatioAliases[] = {"飽和脂肪酸エネルギー比率",
                                                          "飽和脂肪酸エネルギー比"};
constexpr std::string_view kCarbohydrateRatioAliases[] = {"炭水化物エネルギー比率",
                                                          "炭水化物エネルギー比"};
constexpr std::span<const std::string_view> kRatioAliases[] = {
    kProteinRatioAliases, kFatRatioAliases, kSaturatedFatRatioAliases, kCarbohydrateRatioAliases};

constexpr std::string_view kIdeographicSpace = "\u3000";

std::string_view TrimBlanks(std::string_view text) {
  for (;;) {
    if (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
      text.remove_prefix(1);
    } else if (text.starts_with(kIdeographicSpace)) {
      text.remove_prefix(kIdeographicSpace.size());
    } else if (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
      text.remove_suffix(1);
    } else if (text.ends_with(kIdeographicSpace)) {
      text.remove_suffix(kIdeographicSpace.size());
    } else {
      return text;
    }
  }
}

// A header split into its name and the unit in brackets after it
// ("エネルギー(kcal)", "たんぱく質（g）"); the unit is empty when there is none.
struct NameAndUnit {
  std::string_view name, unit;
};

NameAndUnit SplitUnit(std::string_view header) {
  const std::string_view text = TrimBlanks(header);
  for (const auto& [open, close] :
       {std::pair<std::string_view, std::string_view>{"(", ")"}, {"（", "）"}}) {
    if (!text.ends_with(close)) continue;
    const size_t at = text.rfind(open);
    if (at == std::string_view::npos || at == 0) continue;
    return {
        TrimBlanks(text.substr(0, at)),
        TrimBlanks(text.substr(at + open.size(), text.size() - close.size() - at - open.size()))};
  }
  return {text, {}};
}

// A unit as typed, in ASCII lower case (ｋｃａｌ, KCAL and kcal alike).
std::string PlainUnit(std::string_view unit) {
  std::string plain;
  for (size_t i = 0; i < unit.size();) {
    // Full-width ASCII forms are EF BC 81..EF BD 9E in UTF-8.
    if (i + 2 < unit.size() && static_cast<unsigned char>(unit[i]) == 0xEF) {
      const auto second = static_cast<unsigned char>(unit[i + 1]);
      const auto third = static_cast<unsigned char>(unit[i + 2]);
      const int code = (second == 0xBC ? 0xFF00 : second == 0xBD ? 0xFF40 : -1) + (third - 0x80);
      if ((second == 0xBC || second == 0xBD) && code >= 0xFF01 && code <= 0xFF5E) {
        plain.push_back(static_cast<char>(code - 0xFEE0));
        i += 3;
        continue;
      }
    }
    plain.push_back(unit[i]);
    ++i;
  }
  std::transform(plain.begin(), plain.end(), plain.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return plain;
}

// Whether the unit is one the part's figures can be in: an energy in kcal,
// the others in grams, per day or not.
bool UnitFits(EnergyPart part, std::string_view unit) {
  if (unit.empty()) return true;
  const std::string plain = PlainUnit(unit);
  const std::string_view wanted = part == EnergyPart::energy ? "kcal" : "g";
  return plain == wanted || plain == std::string(wanted) + "/日";
}

EnergyColumn FindPart(EnergyPart part, std::span<const std::string> header) {
  EnergyColumn found;
  const std::span<const std::string_view> aliases = EnergyPartAliases(part);
  for (size_t c = 0; c < header.size(); ++c) {
    const NameAndUnit split = SplitUnit(header[c]);
    if (std::find(aliases.begin(), aliases.end(), split.name) == aliases.end() ||
        !UnitFits(part, split.unit)) {
      continue;
    }
    if (found.found == EnergyColumn::Found::column) return {EnergyColumn::Found::several, -1};
    found = {EnergyColumn::Found::column, static_cast<int>(c)};
  }
  return found;
}

}  // namespace

std::string_view EnergyPartWord(EnergyPart part) {
  switch (part) {
    case EnergyPart::energy: return "energy";
    case EnergyPart::protein: return "protein";
    case EnergyPart::fat: return "fat";
    case EnergyPart::saturatedFat: return "saturated-fat";
  }
  return {};
}

std::span<const std::string_view> EnergyPartAliases(EnergyPart part) {
  switch (part) {
    case EnergyPart::energy: return kEnergyAliases;
    case EnergyPart::protein: return kProteinAliases;
    case EnergyPart::fat: return kFatAliases;
    case EnergyPart::saturatedFat: return kSaturatedFatAliases;
  }
  return {};
}

std::span<const std::string_view> EnergyRatioNames() { return kRatioNames; }

EnergyBalance PlanEnergyBalance(std::span<const std::string> header,
                                const std::array<int, kEnergyParts>& given) {
  EnergyBalance plan;
  for (size_t p = 0; p < kEnergyParts; ++p) {
    assert(given[p] < static_cast<int>(header.size()) && "a given column lies in the header");
    plan.columns[p] = given[p] >= 0 ? EnergyColumn{EnergyColumn::Found::column, given[p]}
                                    : FindPart(static_cast<EnergyPart>(p), header);
  }
  auto column = [&](EnergyPart part) -> std::optional<std::string> {
    const EnergyColumn& found = plan.columns[static_cast<size_t>(part)];
    if (found.found != EnergyColumn::Found::column) return std::nullopt;
    return ColumnReference(found.column, header);
  };
  const std::optional<std::string> energy = column(EnergyPart::energy);
  const std::optional<std::string> protein = column(EnergyPart::protein);
  const std::optional<std::string> fat = column(EnergyPart::fat);
  const std::optional<std::string> saturated = column(EnergyPart::saturatedFat);
  if (!energy) return plan;
  // Percent of energy as the reports write it: grams times kcal per gram,
  // over the energy, times 100. Carbohydrate repeats the same two terms, so
  // that the four sum to 100 in the same arithmetic.
  const std::string proteinShare = protein ? *protein + "*4/" + *energy + "*100" : "";
  const std::string fatShare = fat ? *fat + "*9/" + *energy + "*100" : "";
  const std::string expressions[] = {proteinShare, fatShare,
                                     saturated ? *saturated + "*9/" + *energy + "*100" : "",
                                     protein && fat ? "100-" + proteinShare + "-" + fatShare : ""};
  for (size_t r = 0; r < std::size(kRatioNames); ++r) {
    if (expressions[r].empty()) continue;
    const std::span<const std::string_view> aliases = kRatioAliases[r];
    const auto held = std::find_if(header.begin(), header.end(), [&](const std::string& text) {
      return std::find(aliases.begin(), aliases.end(), SplitUnit(text).name) != aliases.end();
    });
    if (held != header.end()) {
      plan.heldByFile.push_back(*held);
    } else {
      plan.definitions.push_back({std::string(kRatioNames[r]), expressions[r]});
    }
  }
  return plan;
}

}  // namespace kelvara
