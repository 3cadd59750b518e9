#include "engine/report/usual_intake_lines.h"

#include <cmath>

#include "engine/report/report_format.h"
#include "engine/report/variable_block.h"

namespace kelvara {
namespace {

constexpr std::string_view kMethodTitle =
    "\x8FK\x8A\xB5\x93I\x90\xDB\x8E\xE6\x97\xCA\x82\xCC\x90\x84\x92\xE8\x81" "F";  // 習慣的摂取量の推定：
// λ（Box-Cox）と分散比（個人内／個人間）
constexpr std::string_view kLambdaAndRatio =
    "\x83\xC9\x81iBox-Cox\x81j\x82\xC6\x95\xAA\x8EU\x94\xE4\x81i\x8C\xC2\x90l\x93\xE0\x81^"
    "\x8C\xC2\x90l\x8A\xD4\x81j";
constexpr std::string_view kLambdaIs = " \x83\xC9=";  //  λ=
constexpr std::string_view kRatioIs = " \x94\xE4=";   //  比=
constexpr std::string_view kPooled = "\x81i\x95\xB9\x8D\x87\x81j";  // （併合）
constexpr std::string_view kOtherPersons = "\x82\xBB\x82\xCC\x91\xBC";  // その他
constexpr std::string_view kSemicolon = "\x81G";                        // ；
constexpr std::string_view kComma = "\x81" "A";                         // 、
// 個人内・個人間分散は2日以上の者 … 人から推定
constexpr std::string_view kEstimatedFrom =
    "\x8C\xC2\x90l\x93\xE0\x81" "E\x8C\xC2\x90l\x8A\xD4\x95\xAA\x8EU\x82\xCD" "2\x93\xFA\x88\xC8"
    "\x8F\xE3\x82\xCC\x8E\xD2";
constexpr std::string_view kPersonsEstimated = "\x90l\x82\xA9\x82\xE7\x90\x84\x92\xE8";
constexpr std::string_view kRatioGiven = "\x95\xAA\x8EU\x94\xE4\x82\xCD\x8Ew\x92\xE8\x92l";  // 分散比は指定値
// 0以下の値を最小正値の1/2に置換：
constexpr std::string_view kReplaced =
    "0\x88\xC8\x89\xBA\x82\xCC\x92l\x82\xF0\x8D\xC5\x8F\xAC\x90\xB3\x92l\x82\xCC" "1/2\x82\xC9"
    "\x92u\x8A\xB7\x81" "F";
constexpr std::string_view kCases = "\x8C\x8F";  // 件
// 個人間分散を下限（総分散の5%）とした者：
constexpr std::string_view kFloored =
    "\x8C\xC2\x90l\x8A\xD4\x95\xAA\x8EU\x82\xF0\x89\xBA\x8C\xC0\x81i\x91\x8D\x95\xAA\x8EU\x82\xCC"
    "5%\x81j\x82\xC6\x82\xB5\x82\xBD\x8E\xD2\x81" "F";
constexpr std::string_view kPersons = "\x90l";  // 人
// 標準誤差は調整値の線形化によるもので、λと分散成分の不確かさを含まない
constexpr std::string_view kLinearisedErrors =
    "\x95W\x8F\x80\x8C\xEB\x8D\xB7\x82\xCD\x92\xB2\x90\xAE\x92l\x82\xCC\x90\xFC\x8C`\x89\xBB\x82"
    "\xC9\x82\xE6\x82\xE9\x82\xE0\x82\xCC\x82\xC5\x81" "A\x83\xC9\x82\xC6\x95\xAA\x8EU\x90\xAC\x95"
    "\xAA\x82\xCC\x95s\x8Am\x82\xA9\x82\xB3\x82\xF0\x8A\xDC\x82\xDC\x82\xC8\x82\xA2";
// 標準誤差はRao-Wuブートストラップ（ … 回、λと分散成分の推定を含む）
constexpr std::string_view kBootstrapErrors =
    "\x95W\x8F\x80\x8C\xEB\x8D\xB7\x82\xCDRao-Wu\x83u\x81[\x83g\x83X\x83g\x83\x89\x83"
    "b\x83v\x81i";
constexpr std::string_view kReplicatesClose =
    "\x89\xF1\x81" "A\x83\xC9\x82\xC6\x95\xAA\x8EU\x90\xAC\x95\xAA\x82\xCC\x90\x84\x92\xE8\x82"
    "\xF0\x8A\xDC\x82\xDE\x81j";
// 2日以上の者がいないため推定できない
constexpr std::string_view kNoRepeatedDays =
    "2\x93\xFA\x88\xC8\x8F\xE3\x82\xCC\x8E\xD2\x82\xAA\x82\xA2\x82\xC8\x82\xA2\x82\xBD\x82\xDF"
    "\x90\x84\x92\xE8\x82\xC5\x82\xAB\x82\xC8\x82\xA2";
// 正の値がないため推定できない
constexpr std::string_view kNoPositiveValue =
    "\x90\xB3\x82\xCC\x92l\x82\xAA\x82\xC8\x82\xA2\x82\xBD\x82\xDF\x90\x84\x92\xE8\x82\xC5\x82\xAB"
    "\x82\xC8\x82\xA2";
// 各人の最初の行のみを集計（ … 人、 … 行）
constexpr std::string_view kFirstRowsOnly =
    "\x8A" "e\x90l\x82\xCC\x8D\xC5\x8F\x89\x82\xCC\x8Ds\x82\xCC\x82\xDD\x82\xF0\x8FW\x8Cv\x81i";
constexpr std::string_view kPersonsComma = "\x90l\x81" "A";  // 人、
constexpr std::string_view kRowsClose = "\x8Ds\x81j";        // 行）

std::string Quoted(std::string_view text) {
  std::string line;
  line.reserve(text.size() + 2);
  line.push_back('"');
  line.append(text);
  line.push_back('"');
  return line;
}

std::string MethodLine(const UsualIntakes& fit, const SchemeAgeBands& bands, int replicates) {
  const size_t bandCount = bands.male.size();
  std::string line(kMethodTitle);
  line.append(kLambdaAndRatio);
  bool first = true;
  bool anyGiven = false, anyEstimated = false, anyMissing = false;
  for (size_t c = 0; c < fit.cells.size(); ++c) {
    const CellFit& cell = fit.cells[c];
    if (cell.persons == 0) continue;
    if (!cell.estimated) {
      anyMissing = true;
      continue;
    }
    anyGiven = anyGiven || cell.given;
    anyEstimated = anyEstimated || !cell.given;
    line.append(first ? " " : std::string(kComma));
    first = false;
    if (c == 2 * bandCount) {
      line.append(kOtherPersons);
    } else {
      line.append(c < bandCount ? bands.male[c]->label : bands.female[c - bandCount]->label);
    }
    line.append(kLambdaIs).append(FormatNumber(cell.lambda));
    const double ratio = cell.betweenVariance > 0 ? cell.withinVariance / cell.betweenVariance
                                                  : std::nan("");
    line.append(kRatioIs).append(FormatNumber(ratio));
    if (cell.pooled) line.append(kPooled);
  }
  line.append(kSemicolon);
  if (anyEstimated) {
    line.append(kEstimatedFrom).append(std::to_string(fit.repeatedPersons)).append(kPersonsEstimated);
    if (anyGiven) line.append(kComma);
  }
  if (anyGiven) line.append(kRatioGiven);
  if (anyMissing) line.append(kComma).append(kNoRepeatedDays);
  line.append(kSemicolon).append(kReplaced).append(std::to_string(fit.replacedDays)).append(kCases);
  line.append(kSemicolon).append(kFloored).append(std::to_string(fit.flooredPersons)).append(kPersons);
  line.append(kSemicolon);
  if (replicates > 0) {
    line.append(kBootstrapErrors).append(std::to_string(replicates)).append(kReplicatesClose);
  } else {
    line.append(kLinearisedErrors);
  }
  return Quoted(line);
}

}  // namespace

std::string_view UsualIntakeSuffix() {
  return "\x81i\x8FK\x8A\xB5\x93I\x90\xDB\x8E\xE6\x97\xCA\x81j";  // （習慣的摂取量）
}

std::vector<std::string> UsualIntakeBlockLines(std::string_view name,
                                               const UsualIntakeFigures& usual,
                                               const RunLayout& layout,
                                               const DesignOptions& design) {
  const std::string heading = std::string(name) + std::string(UsualIntakeSuffix());
  if (!usual.figures) {
    return {HeaderLine(heading),
            Quoted(std::string(kMethodTitle) +
                   std::string(usual.fit.anyPositive ? kNoRepeatedDays : kNoPositiveValue)),
            std::string()};
  }
  std::vector<std::string> lines = VariableBlockLines(heading, *usual.figures, layout.groups, design);
  lines.insert(lines.end() - 1, MethodLine(usual.fit, SchemeBands(layout), usual.replicates));
  return lines;
}

std::string FirstRowsLine(size_t personCount, size_t rowCount) {
  std::string line(kFirstRowsOnly);
  line.append(std::to_string(personCount)).append(kPersonsComma);
  line.append(std::to_string(rowCount)).append(kRowsClose);
  return Quoted(line);
}

}  // namespace kelvara
