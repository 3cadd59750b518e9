#include "engine/report/reference_line.h"

#include <algorithm>

namespace kelvara {
namespace {

constexpr std::string_view kPrefix = "\"\x8A\xEE\x8F\x80\x92l\x81" "F";  // "基準値：
constexpr std::string_view kNutrient = "\x81" "A\x89h\x97{\x91" "f\x81" "F";  // 、栄養素：
constexpr std::string_view kNoNutrient = "\x91\xCE\x89\x9E\x82\xC8\x82\xB5";  // 対応なし
// 、判定しなかった人数：
constexpr std::string_view kNotJudged =
    "\x81" "A\x94\xBB\x92\xE8\x82\xB5\x82\xC8\x82\xA9\x82\xC1\x82\xBD\x90l\x90\x94\x81" "F";
constexpr std::string_view kComma = "\x81" "A";  // 、
constexpr std::string_view kOpen = "\x81i";      // （
constexpr std::string_view kClose = "\x81j";     // ）
// 、基準値は列の単位 ... に換算
constexpr std::string_view kConvertedTo = "\x81" "A\x8A\xEE\x8F\x80\x92l\x82\xCD\x97\xF1\x82\xCC\x92P\x88\xCA";
constexpr std::string_view kConverted = "\x82\xC9\x8A\xB7\x8EZ";
// 、DGは食塩相当量の目標量から換算（食塩相当量g＝ナトリウムmg×2.54÷1000）
constexpr std::string_view kGoalFromSalt =
    "\x81" "ADG\x82\xCD\x90H\x89\x96\x91\x8A\x93\x96\x97\xCA\x82\xCC\x96\xDA\x95W\x97\xCA\x82\xA9"
    "\x82\xE7\x8A\xB7\x8EZ\x81i\x90H\x89\x96\x91\x8A\x93\x96\x97\xCAg\x81\x81\x83i\x83g\x83\x8A"
    "\x83" "E\x83\x80mg\x81~2.54\x81\x80" "1000\x81j";
constexpr std::string_view kFigureNames[] = {"EAR", "AI", "UL", "DG"};
// By NotJudged, from underOneYear on: 1歳未満, 妊娠期の指定なし,
// 月経の有無の指定なし, 基準値なし.
constexpr std::string_view kReasonWords[] = {
    "1\x8D\xCE\x96\xA2\x96\x9E",
    "\x94" "D\x90P\x8A\xFA\x82\xCC\x8Ew\x92\xE8\x82\xC8\x82\xB5",
    "\x8C\x8E\x8Co\x82\xCC\x97L\x96\xB3\x82\xCC\x8Ew\x92\xE8\x82\xC8\x82\xB5",
    "\x8A\xEE\x8F\x80\x92l\x82\xC8\x82\xB5",
};

}  // namespace

std::string_view ReferenceLinePrefix() { return kPrefix; }

std::optional<std::string> ReferenceLineTable(std::string_view line) {
  if (line.size() < kPrefix.size() + 1 || !line.starts_with(kPrefix) || !line.ends_with('"')) {
    return std::nullopt;
  }
  const std::string_view rest = line.substr(kPrefix.size(), line.size() - kPrefix.size() - 1);
  // A title may hold 、栄養素： itself: the line's own word is the last one.
  const size_t end = rest.rfind(kNutrient);
  if (end == std::string_view::npos) return std::nullopt;
  return std::string(rest.substr(0, end));
}

std::optional<std::string> ReferenceLineNutrient(std::string_view line) {
  if (!ReferenceLineTable(line)) return std::nullopt;
  std::string_view rest = line.substr(0, line.size() - 1);
  rest = rest.substr(rest.rfind(kNutrient) + kNutrient.size());
  // Keys are ASCII letters, digits and _: the first 、 ends one.
  rest = rest.substr(0, std::min(rest.size(), rest.find(kComma)));
  if (rest == kNoNutrient) return std::string();
  return std::string(rest);
}

std::string ReferenceLine(std::string_view title, const NutrientReference* nutrient,
                          const NotJudgedCounts& counts) {
  std::string line(kPrefix);
  line.append(title).append(kNutrient);
  if (!nutrient) {
    line.append(kNoNutrient).push_back('"');
    return line;
  }
  line.append(nutrient->key()).append(kNotJudged);
  bool first = true;
  for (size_t f = 0; f < kJudgedFigures; ++f) {
    if (!nutrient->gives(static_cast<JudgedFigure>(f))) continue;
    if (!first) line.append(kComma);
    first = false;
    int64_t total = 0;
    for (int64_t count : counts[f]) total += count;
    line.append(kFigureNames[f]).append(" ").append(std::to_string(total));
    if (total == 0) continue;
    line.append(kOpen);
    bool firstReason = true;
    for (size_t r = 1; r < kNotJudgedReasons; ++r) {
      if (counts[f][r] == 0) continue;
      if (!firstReason) line.append(kComma);
      firstReason = false;
      line.append(kReasonWords[r - 1]).append(" ").append(std::to_string(counts[f][r]));
    }
    line.append(kClose);
  }
  if (first) line.append("0");
  if (!nutrient->convertedUnit().empty()) {
    line.append(kConvertedTo).append(nutrient->convertedUnit()).append(kConverted);
  }
  if (nutrient->dgFromSalt()) line.append(kGoalFromSalt);
  line.push_back('"');
  return line;
}

}  // namespace kelvara
