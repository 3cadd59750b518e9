#include "engine/report/energy_adjusted_lines.h"

#include "engine/report/report_format.h"
#include "engine/report/variable_block.h"

namespace kelvara {
namespace {

// エネルギー調整（残差法）：エネルギー＝
constexpr std::string_view kResidualTitle =
    "\x83G\x83l\x83\x8B\x83M\x81[\x92\xB2\x90\xAE\x81i\x8E" "c\x8D\xB7\x96@\x81j\x81"
    "F\x83G\x83l\x83\x8B\x83M\x81[\x81\x81";
// エネルギー密度（1000kcal当たり）：
constexpr std::string_view kDensityTitle =
    "\x83G\x83l\x83\x8B\x83M\x81[\x96\xA7\x93x\x81i1000kcal\x93\x96\x82\xBD\x82\xE8\x81j\x81" "F";
constexpr std::string_view kDividedBy = "\x81\x80";  // ÷
// ×1000；調整値なし：エネルギーが欠損または0以下
constexpr std::string_view kDensityMissing =
    "\x81~1000\x81G\x92\xB2\x90\xAE\x92l\x82\xC8\x82\xB5\x81" "F\x83G\x83l\x83\x8B\x83M\x81["
    "\x82\xAA\x8C\x87\x91\xB9\x82\xDC\x82\xBD\x82\xCD" "0\x88\xC8\x89\xBA ";
constexpr std::string_view kSemicolon = "\x81G";  // ；
constexpr std::string_view kComma = "\x81" "A";   // 、
constexpr std::string_view kSexWords[] = {"\x92j", "\x8F\x97"};  // 男, 女
constexpr std::string_view kSlope = " \x8CX\x82\xAB=";       //  傾き=
constexpr std::string_view kIntercept = " \x90\xD8\x95\xD0=";  //  切片=
constexpr std::string_view kMeanEnergy =
    " \x95\xBD\x8B\xCF\x83G\x83l\x83\x8B\x83M\x81[=";  //  平均エネルギー=
constexpr std::string_view kPersonsIs = " n=";
constexpr std::string_view kNotFitted =
    " \x93\x96\x82\xC4\x82\xCD\x82\xDF\x82\xC5\x82\xAB\x82\xC8\x82\xA2";  //  当てはめできない
// ；調整値なし：エネルギー欠損
constexpr std::string_view kResidualMissing =
    "\x81G\x92\xB2\x90\xAE\x92l\x82\xC8\x82\xB5\x81" "F\x83G\x83l\x83\x8B\x83M\x81[\x8C\x87"
    "\x91\xB9 ";
// 人、性別が男女以外
constexpr std::string_view kSexUnknown =
    "\x90l\x81" "A\x90\xAB\x95\xCA\x82\xAA\x92j\x8F\x97\x88\xC8\x8AO ";
constexpr std::string_view kPersons = "\x90l";  // 人
// 標準誤差は調整値の線形化によるもので、回帰の当てはめの不確かさを含まない
constexpr std::string_view kLinearisedErrors =
    "\x95W\x8F\x80\x8C\xEB\x8D\xB7\x82\xCD\x92\xB2\x90\xAE\x92l\x82\xCC\x90\xFC\x8C`\x89\xBB\x82"
    "\xC9\x82\xE6\x82\xE9\x82\xE0\x82\xCC\x82\xC5\x81" "A\x89\xF1\x8B" "A\x82\xCC\x93\x96\x82"
    "\xC4\x82\xCD\x82\xDF\x82\xCC\x95s\x8Am\x82\xA9\x82\xB3\x82\xF0\x8A\xDC\x82\xDC\x82\xC8\x82\xA2";

std::string ResidualLine(std::string_view energyName, const EnergyAdjustedIntakes& intakes) {
  std::string line(kResidualTitle);
  line.append(energyName);
  for (size_t s = 0; s < intakes.fits.size(); ++s) {
    const EnergyFit& fit = intakes.fits[s];
    line.append(s == 0 ? kSemicolon : kComma).append(kSexWords[s]);
    if (fit.fitted()) {
      line.append(kSlope).append(FormatNumber(fit.slope));
      line.append(kIntercept).append(FormatNumber(fit.intercept));
      line.append(kMeanEnergy).append(FormatNumber(fit.meanEnergy));
    } else {
      line.append(kNotFitted);
    }
    line.append(kPersonsIs).append(std::to_string(fit.persons));
  }
  line.append(kResidualMissing).append(std::to_string(intakes.energyMissing));
  line.append(kSexUnknown).append(std::to_string(intakes.sexUnknown)).append(kPersons);
  line.append(kSemicolon).append(kLinearisedErrors);
  return QuotedLine(line);
}

std::string DensityLine(std::string_view nutrientName, std::string_view energyName,
                        const EnergyAdjustedIntakes& intakes) {
  std::string line(kDensityTitle);
  line.append(nutrientName).append(kDividedBy).append(energyName).append(kDensityMissing);
  line.append(std::to_string(intakes.energyMissing)).append(kPersons);
  return QuotedLine(line);
}

}  // namespace

std::string_view EnergyAdjustedSuffix(EnergyAdjustmentMethod method) {
  if (method == EnergyAdjustmentMethod::density) {
    // （エネルギー密度：1000kcal当たり）
    return "\x81i\x83G\x83l\x83\x8B\x83M\x81[\x96\xA7\x93x\x81" "F1000kcal\x93\x96\x82\xBD\x82"
           "\xE8\x81j";
  }
  // （エネルギー調整：残差法）
  return "\x81i\x83G\x83l\x83\x8B\x83M\x81[\x92\xB2\x90\xAE\x81" "F\x8E" "c\x8D\xB7\x96@\x81j";
}

std::vector<std::string_view> EnergyAdjustedLineStarts() { return {kResidualTitle, kDensityTitle}; }

std::vector<std::string> EnergyAdjustedBlockLines(std::string_view nutrientName,
                                                  std::string_view energyName,
                                                  EnergyAdjustmentMethod method,
                                                  const EnergyAdjustedIntakes& intakes,
                                                  const ColumnFigures& figures,
                                                  std::span<const AgeGroup> groups,
                                                  const DesignOptions& design) {
  const std::string heading = std::string(nutrientName) + std::string(EnergyAdjustedSuffix(method));
  std::vector<std::string> lines = VariableBlockLines(heading, figures, groups, design);
  lines.insert(lines.end() - 1, method == EnergyAdjustmentMethod::density
                                    ? DensityLine(nutrientName, energyName, intakes)
                                    : ResidualLine(energyName, intakes));
  return lines;
}

}  // namespace kelvara
