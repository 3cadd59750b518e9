#include "engine/report/usual_intake_lines.h"

#include <algorithm>
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
// 標準誤差はすべて（信頼区間・変動係数・デザイン効果・中央値の信頼区間の元も）
// Rao-Wuブートストラップ（ … 回、λと分散成分の推定を含む）
constexpr std::string_view kBootstrapErrors =
    "\x95W\x8F\x80\x8C\xEB\x8D\xB7\x82\xCD\x82\xB7\x82\xD7\x82\xC4\x81i\x90M\x97\x8A\x8B\xE6"
    "\x8A\xD4\x81" "E\x95\xCF\x93\xAE\x8CW\x90\x94\x81" "E\x83" "f\x83U\x83" "C\x83\x93\x8C\xF8\x89"
    "\xCA\x81" "E\x92\x86\x89\x9B\x92l\x82\xCC\x90M\x97\x8A\x8B\xE6\x8A\xD4\x82\xCC\x8C\xB3\x82"
    "\xE0\x81jRao-Wu\x83u\x81[\x83g\x83X\x83g\x83\x89\x83" "b\x83v\x81i";
constexpr std::string_view kReplicatesClose =
    "\x89\xF1\x81" "A\x83\xC9\x82\xC6\x95\xAA\x8EU\x90\xAC\x95\xAA\x82\xCC\x90\x84\x92\xE8\x82"
    "\xF0\x8A\xDC\x82\xDE\x81j";
// ；区分の単位を1つも引かなかった複製はその区分の標準誤差から除外：延べ … 回（最多： … 回）
constexpr std::string_view kDrewNoUnit =
    "\x81G\x8B\xE6\x95\xAA\x82\xCC\x92P\x88\xCA\x82\xF0" "1\x82\xC2\x82\xE0\x88\xF8\x82\xA9\x82"
    "\xC8\x82\xA9\x82\xC1\x82\xBD\x95\xA1\x90\xBB\x82\xCD\x82\xBB\x82\xCC\x8B\xE6\x95\xAA\x82"
    "\xCC\x95W\x8F\x80\x8C\xEB\x8D\xB7\x82\xA9\x82\xE7\x8F\x9C\x8AO\x81" "F\x89\x84\x82\xD7";
constexpr std::string_view kTimes = "\x89\xF1";                         // 回
constexpr std::string_view kMostIn = "\x89\xF1\x81i\x8D\xC5\x91\xBD\x81" "F";  // 回（最多：
constexpr std::string_view kTimesClose = "\x89\xF1\x81j";              // 回）
// ；分散成分を推定できなかった複製は全区分で除外：
constexpr std::string_view kUnestimated =
    "\x81G\x95\xAA\x8EU\x90\xAC\x95\xAA\x82\xF0\x90\x84\x92\xE8\x82\xC5\x82\xAB\x82\xC8\x82"
    "\xA9\x82\xC1\x82\xBD\x95\xA1\x90\xBB\x82\xCD\x91S\x8B\xE6\x95\xAA\x82\xC5\x8F\x9C\x8AO\x81"
    "F";
constexpr std::string_view kFloorMark = "\x81i\x89\xBA\x8C\xC0\x81j";  // （下限）
constexpr std::string_view kInfinity = "\x81\x87";                      // ∞
// 2日以上の者が … 人しかおらず、すべての区分を併合しても推定に必要な … 人に満たないため推定できない
constexpr std::string_view kRepeatedOnly =
    "2\x93\xFA\x88\xC8\x8F\xE3\x82\xCC\x8E\xD2\x82\xAA";
// 分散比の指定がない区分（ … ）では
constexpr std::string_view kNoRatioIn =
    "\x95\xAA\x8E\x55\x94\xE4\x82\xCC\x8E\x77\x92\xE8\x82\xAA\x82\xC8\x82\xA2\x8B\xE6\x95\xAA\x81\x69";
constexpr std::string_view kNoRatioInClose = "\x81\x6A\x82\xC5\x82\xCD";
// 。その区分の分散比も指定すれば推定できる
constexpr std::string_view kGiveTheirRatio =
    "\x81\x42\x82\xBB\x82\xCC\x8B\xE6\x95\xAA\x82\xCC\x95\xAA\x8E\x55\x94\xE4\x82\xE0\x8E\x77\x92"
    "\xE8\x82\xB7\x82\xEA\x82\xCE\x90\x84\x92\xE8\x82\xC5\x82\xAB\x82\xE9";
// 。その他（どの年齢階級にも入らない人）には男女共通・全年齢の分散比が使われる
constexpr std::string_view kOtherTakesGeneralRatio =
    "\x81\x42\x82\xBB\x82\xCC\x91\xBC\x81\x69\x82\xC7\x82\xCC\x94\x4E\x97\xEE\x8A\x4B\x8B\x89\x82"
    "\xC9\x82\xE0\x93\xFC\x82\xE7\x82\xC8\x82\xA2\x90\x6C\x81\x6A\x82\xC9\x82\xCD\x92\x6A\x8F\x97"
    "\x8B\xA4\x92\xCA\x81\x45\x91\x53\x94\x4E\x97\xEE\x82\xCC\x95\xAA\x8E\x55\x94\xE4\x82\xAA\x8E"
    "\x67\x82\xED\x82\xEA\x82\xE9";
constexpr std::string_view kPersonsOnly = "\x91\xCE\x8F\xDB\x8E\xD2\x82\xAA";  // 対象者が
constexpr std::string_view kEvenPooled =
    "\x90l\x82\xB5\x82\xA9\x82\xA8\x82\xE7\x82\xB8\x81" "A\x82\xB7\x82\xD7\x82\xC4\x82\xCC\x8B"
    "\xE6\x95\xAA\x82\xF0\x95\xB9\x8D\x87\x82\xB5\x82\xC4\x82\xE0\x90\x84\x92\xE8\x82\xC9\x95K"
    "\x97v\x82\xC8";
constexpr std::string_view kTooFew =
    "\x90l\x82\xC9\x96\x9E\x82\xBD\x82\xC8\x82\xA2\x82\xBD\x82\xDF\x90\x84\x92\xE8\x82\xC5\x82"
    "\xAB\x82\xC8\x82\xA2";
// 注意：日ごとの値の … %（ … 件中 … 件）が0以下。この推定は毎日摂取される栄養素を前提とし、
// 摂取しない日が多い栄養素には摂取の有無も扱うモデルが要る
constexpr std::string_view kCaution =
    "\x92\x8D\x88\xD3\x81" "F\x93\xFA\x82\xB2\x82\xC6\x82\xCC\x92l\x82\xCC";
constexpr std::string_view kPercentOpen = "%\x81i";     // %（
constexpr std::string_view kCasesOf = "\x8C\x8F\x92\x86";  // 件中
constexpr std::string_view kEpisodic =
    "\x8C\x8F\x81j\x82\xAA" "0\x88\xC8\x89\xBA\x81" "B\x82\xB1\x82\xCC\x90\x84\x92\xE8\x82\xCD\x96"
    "\x88\x93\xFA\x90\xDB\x8E\xE6\x82\xB3\x82\xEA\x82\xE9\x89h\x97{\x91" "f\x82\xF0\x91O\x92\xF1"
    "\x82\xC6\x82\xB5\x81" "A\x90\xDB\x8E\xE6\x82\xB5\x82\xC8\x82\xA2\x93\xFA\x82\xAA\x91\xBD\x82"
    "\xA2\x89h\x97{\x91" "f\x82\xC9\x82\xCD\x90\xDB\x8E\xE6\x82\xCC\x97L\x96\xB3\x82\xE0\x88\xB5"
    "\x82\xA4\x83\x82\x83" "f\x83\x8B\x82\xAA\x97v\x82\xE9";
// 正の値がないため推定できない
constexpr std::string_view kNoPositiveValue =
    "\x90\xB3\x82\xCC\x92l\x82\xAA\x82\xC8\x82\xA2\x82\xBD\x82\xDF\x90\x84\x92\xE8\x82\xC5\x82\xAB"
    "\x82\xC8\x82\xA2";
// 各人の最初の行のみを集計（ … 人、 … 行）
constexpr std::string_view kFirstRowsOnly =
    "\x8A" "e\x90l\x82\xCC\x8D\xC5\x8F\x89\x82\xCC\x8Ds\x82\xCC\x82\xDD\x82\xF0\x8FW\x8Cv\x81i";
constexpr std::string_view kPersonsComma = "\x90l\x81" "A";  // 人、
constexpr std::string_view kRows = "\x8Ds";                   // 行
constexpr std::string_view kClose = "\x81j";                  // ）
// ；重み・抽出単位・層・性別・年齢・妊婦授乳婦が行により異なる者 … 人は最初の行による
constexpr std::string_view kDisagreeing =
    "\x81G\x8F" "d\x82\xDD\x81" "E\x92\x8A\x8Fo\x92P\x88\xCA\x81" "E\x91w\x81" "E\x90\xAB\x95\xCA"
    "\x81" "E\x94N\x97\xEE\x81" "E\x94" "D\x95w\x8E\xF6\x93\xFB\x95w\x82\xAA\x8Ds\x82\xC9\x82\xE6\x82"
    "\xE8\x88\xD9\x82\xC8\x82\xE9\x8E\xD2";
constexpr std::string_view kByFirstRow =
    "\x90l\x82\xCD\x8D\xC5\x8F\x89\x82\xCC\x8Ds\x82\xC9\x82\xE6\x82\xE9";  // 人は最初の行による

std::string Quoted(std::string_view text) {
  std::string line;
  line.reserve(text.size() + 2);
  line.push_back('"');
  line.append(text);
  line.push_back('"');
  return line;
}

// The ratio s_w^2 / s_b^2 a band used; with s_b^2 at 0 (no spread of the
// first days at all), infinite when there is within-person variation to take
// out and 0 when there is none.
std::string RatioText(const CellFit& cell) {
  if (cell.betweenVariance > 0) return FormatNumber(cell.withinVariance / cell.betweenVariance);
  return cell.withinVariance > 0 ? std::string(kInfinity) : FormatNumber(0.0);
}

// The replicates left out of the groups' errors, over the groups whose
// lines show errors (two members or more), and the group missing most.
std::string LeftOutText(const UsualIntakeFigures& usual, const RunLayout& layout) {
  int64_t total = 0;
  int most = 0;
  size_t mostGroup = 0;
  for (size_t g = 0; g < usual.leftOutReplicates.size(); ++g) {
    if (usual.figures->groups[g].n < 2) continue;
    const int drewNone = usual.leftOutReplicates[g] - usual.unestimatedReplicates;
    total += drewNone;
    if (drewNone > most) {
      most = drewNone;
      mostGroup = g;
    }
  }
  std::string text(kDrewNoUnit);
  text.append(std::to_string(total));
  if (most > 0) {
    text.append(kMostIn).append(layout.groups[mostGroup].label).append(" ");
    text.append(std::to_string(most)).append(kTimesClose);
  } else {
    text.append(kTimes);
  }
  if (usual.unestimatedReplicates > 0) {
    text.append(kUnestimated).append(std::to_string(usual.unestimatedReplicates)).append(kTimes);
  }
  return text;
}

// The label of a fit's cell: the band's of its sex, or その他.
std::string_view CellLabel(const SchemeAgeBands& bands, size_t cell) {
  const size_t bandCount = bands.male.size();
  if (cell == 2 * bandCount) return kOtherPersons;
  return cell < bandCount ? bands.male[cell]->label : bands.female[cell - bandCount]->label;
}

std::string MethodLine(const UsualIntakeFigures& usual, const RunLayout& layout) {
  const UsualIntakes& fit = usual.fit;
  const SchemeAgeBands bands = SchemeBands(layout);
  std::string line(kMethodTitle);
  line.append(kLambdaAndRatio);
  bool first = true;
  bool anyGiven = false, anyEstimated = false;
  for (size_t c = 0; c < fit.cells.size(); ++c) {
    const CellFit& cell = fit.cells[c];
    if (cell.persons == 0) continue;
    anyGiven = anyGiven || cell.given;
    anyEstimated = anyEstimated || !cell.given;
    line.append(first ? " " : std::string(kComma));
    first = false;
    line.append(CellLabel(bands, c));
    line.append(kLambdaIs).append(FormatNumber(cell.lambda));
    line.append(kRatioIs).append(RatioText(cell));
    if (cell.floored) line.append(kFloorMark);
    if (cell.pooled) line.append(kPooled);
  }
  line.append(kSemicolon);
  if (anyEstimated) {
    line.append(kEstimatedFrom).append(std::to_string(fit.repeatedPersons)).append(kPersonsEstimated);
    if (anyGiven) line.append(kComma);
  }
  if (anyGiven) line.append(kRatioGiven);
  line.append(kSemicolon).append(kReplaced).append(std::to_string(fit.replacedDays)).append(kCases);
  line.append(kSemicolon).append(kFloored).append(std::to_string(fit.flooredPersons)).append(kPersons);
  line.append(kSemicolon);
  if (usual.replicates > 0) {
    line.append(kBootstrapErrors).append(std::to_string(usual.replicates)).append(kReplicatesClose);
    line.append(LeftOutText(usual, layout));
  } else {
    line.append(kLinearisedErrors);
  }
  return Quoted(line);
}

// Why a block was refused: no positive value, or too few persons (with two
// days, where the variances are estimated) even over every band. Where
// ratios were given for other cells, the cells without one are named: a
// ratio table by sex leaves その他 (persons of either sex in no band)
// without a ratio, and the survey of one day has nobody to estimate it from.
std::string RefusalText(const UsualIntakes& fit, const RunLayout& layout) {
  if (!fit.anyPositive) return std::string(kNoPositiveValue);
  std::vector<size_t> unrated;
  bool anyGiven = false;
  for (size_t c = 0; c < fit.cells.size(); ++c) {
    const CellFit& cell = fit.cells[c];
    anyGiven = anyGiven || (cell.persons > 0 && cell.given);
    if (cell.persons > 0 && !cell.estimated && !cell.given) unrated.push_back(c);
  }
  const bool repeatedShort = !unrated.empty();
  const bool someUnrated = repeatedShort && anyGiven;
  const SchemeAgeBands bands = SchemeBands(layout);
  std::string text;
  if (someUnrated) {
    text.append(kNoRatioIn);
    for (size_t i = 0; i < unrated.size(); ++i) {
      if (i > 0) text.append(kComma);
      text.append(CellLabel(bands, unrated[i]));
    }
    text.append(kNoRatioInClose);
  }
  text.append(repeatedShort ? kRepeatedOnly : kPersonsOnly);
  text.append(std::to_string(repeatedShort ? fit.repeatedPersons : fit.persons));
  text.append(kEvenPooled);
  text.append(std::to_string(repeatedShort ? kMinRepeatedPersons : kMinPersons));
  text.append(kTooFew);
  if (someUnrated) {
    text.append(kGiveTheirRatio);
    if (CellLabel(bands, unrated.back()) == kOtherPersons) text.append(kOtherTakesGeneralRatio);
  }
  return text;
}

// The warning on day values of 0 or less, with their share and counts.
std::string EpisodicLine(const UsualIntakes& fit) {
  std::string line(kCaution);
  line.append(FormatNumber(100.0 * fit.replacedDays / fit.days)).append(kPercentOpen);
  line.append(std::to_string(fit.days)).append(kCasesOf);
  line.append(std::to_string(fit.replacedDays)).append(kEpisodic);
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
    return {HeaderLine(heading), Quoted(std::string(kMethodTitle) + RefusalText(usual.fit, layout)),
            std::string()};
  }
  std::vector<std::string> lines = VariableBlockLines(heading, *usual.figures, layout.groups, design);
  if (usual.fit.MostlyEpisodic()) lines.insert(lines.end() - 1, EpisodicLine(usual.fit));
  lines.insert(lines.end() - 1, MethodLine(usual, layout));
  return lines;
}

std::vector<std::string_view> UsualIntakeLineStarts() { return {kMethodTitle, kCaution}; }

std::string FirstRowsLine(size_t personCount, size_t rowCount, size_t disagreeingPersons) {
  std::string line(kFirstRowsOnly);
  line.append(std::to_string(personCount)).append(kPersonsComma);
  line.append(std::to_string(rowCount)).append(kRows);
  if (disagreeingPersons > 0) {
    line.append(kDisagreeing).append(std::to_string(disagreeingPersons)).append(kByFirstRow);
  }
  line.append(kClose);
  return Quoted(line);
}

}  // namespace kelvara
