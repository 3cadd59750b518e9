// The design-based figures a run may add to the fixed report, and the texts
// of their column titles.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "engine/added_block_options.h"
#include "engine/usual_intake_options.h"

namespace kelvara {

struct ReferenceChoice;

// What a run adds to the fixed report. With every field at its default the
// report is the fixed one, byte for byte.
struct DesignOptions {
  // Column index (0-based) of the stratum code, or -1 for none. With strata,
  // sampling units are nested in them (a unit is a stratum code together with
  // a unit code), the standard error of the mean is the stratified
  // with-replacement one, and the block ends with the numbers of strata,
  // units and degrees of freedom. A row whose stratum cell holds no number is
  // missing, like a row with any other classification cell empty.
  int strataColumn = -1;
  // Adds the lower and upper limit of the 95% confidence interval of the
  // mean, mean -/+ t(0.975, df) * SE.
  bool confidenceInterval = false;
  // Adds the coefficient of variation of the mean, 100 * SE / |mean|, in
  // percent: the usual flag for estimates too unreliable to publish.
  bool coefficientOfVariation = false;
  // Adds the design effect SE^2 * n / SD^2: the variance of the mean under
  // the design relative to a simple random sample of the same size.
  bool designEffect = false;
  // Adds the weighted percentage of the group whose value lies below this
  // cut-off (the cut-point method for inadequate intake) and its standard
  // error under the design.
  std::optional<double> shareBelow;
  // A person column (rows per person-day) and the usual-intake blocks.
  UsualIntakeOptions usual;
  // Cut-offs of single variables, by column index, in place of shareBelow
  // for that variable: energy does not share salt's 7.5.
  std::map<int, double> shareBelowByColumn;
  // Adds the 95% confidence interval of the median by Woodruff's method: the
  // design SE of the share at or below the median, p = 0.5 -/+ t(0.975, df)
  // * SE, each end mapped back to a value by the percentile rule.
  bool medianInterval = false;
  // Judges each person's value against the reference values of their own
  // sex, age band and state, and adds for the EAR, AI, UL and DG the persons
  // judged, then the shares below the EAR, at or above the AI, above the UL
  // and outside the DG with their SEs; the block ends with a line naming the
  // table and counting the persons not judged.
  std::shared_ptr<const ReferenceChoice> reference;
  // Adds after each variable's blocks (but the energy column's) a block of
  // its intakes adjusted for energy.
  EnergyAdjustment energyAdjustment;
  // Adds after the variables' blocks a block per ratio of weighted totals.
  std::vector<RatioOfTotals> ratios;

  bool addsColumns() const {
    return confidenceInterval || coefficientOfVariation || designEffect ||
           shareBelow.has_value() || medianInterval || reference != nullptr;
  }

  // The options of the block of the variable in `column`: its own cut-off,
  // when it has one, as the cut-off.
  DesignOptions ForColumn(int column) const {
    DesignOptions options = *this;
    if (const auto own = shareBelowByColumn.find(column); own != shareBelowByColumn.end()) {
      options.shareBelow = own->second;
    }
    return options;
  }
};

// Titles of the added columns, code page 932, in report order. The two
// share titles follow the cut-off printed as %g ("50未満の割合(%)").
inline constexpr std::string_view kConfidenceLowerTitle =
    "95%\x90M\x97\x8A\x8B\xE6\x8A\xD4\x89\xBA\x8C\xC0";  // 95%信頼区間下限
inline constexpr std::string_view kConfidenceUpperTitle =
    "95%\x90M\x97\x8A\x8B\xE6\x8A\xD4\x8F\xE3\x8C\xC0";  // 95%信頼区間上限
inline constexpr std::string_view kCoefficientOfVariationTitle =
    "\x95\xCF\x93\xAE\x8CW\x90\x94(%)";  // 変動係数(%)
inline constexpr std::string_view kDesignEffectTitle =
    "\x83" "f\x83U\x83" "C\x83\x93\x8C\xF8\x89\xCA";  // デザイン効果
inline constexpr std::string_view kShareBelowTitleSuffix =
    "\x96\xA2\x96\x9E\x82\xCC\x8A\x84\x8D\x87(%)";  // 未満の割合(%)
// 未満の割合の標準誤差
inline constexpr std::string_view kShareBelowErrorTitleSuffix =
    "\x96\xA2\x96\x9E\x82\xCC\x8A\x84\x8D\x87\x82\xCC\x95W\x8F\x80\x8C\xEB\x8D\xB7";

inline constexpr std::string_view kMedianLowerTitle =
    "\x92\x86\x89\x9B\x92l\x82\xCC" "95%\x90M\x97\x8A\x8B\xE6\x8A\xD4\x89\xBA\x8C\xC0";  // 中央値の95%信頼区間下限
inline constexpr std::string_view kMedianUpperTitle =
    "\x92\x86\x89\x9B\x92l\x82\xCC" "95%\x90M\x97\x8A\x8B\xE6\x8A\xD4\x8F\xE3\x8C\xC0";  // 中央値の95%信頼区間上限
// The persons judged for each figure, its share and the share's standard
// error: EAR, AI, UL, DG.
inline constexpr std::string_view kJudgedPersonsTitles[] = {
    "EAR\x94\xBB\x92\xE8\x90l\x90\x94",  // EAR判定人数
    "AI\x94\xBB\x92\xE8\x90l\x90\x94",   // AI判定人数
    "UL\x94\xBB\x92\xE8\x90l\x90\x94",   // UL判定人数
    "DG\x94\xBB\x92\xE8\x90l\x90\x94",   // DG判定人数
};
inline constexpr std::string_view kJudgedShareTitles[] = {
    "EAR\x96\xA2\x96\x9E\x82\xCC\x8A\x84\x8D\x87(%)",  // EAR未満の割合(%)
    "AI\x88\xC8\x8F\xE3\x82\xCC\x8A\x84\x8D\x87(%)",   // AI以上の割合(%)
    "UL\x92\xB4\x82\xCC\x8A\x84\x8D\x87(%)",             // UL超の割合(%)
    "DG\x8AO\x82\xCC\x8A\x84\x8D\x87(%)",                 // DG外の割合(%)
};
inline constexpr std::string_view kJudgedShareErrorTitles[] = {
    // EAR未満の割合の標準誤差
    "EAR\x96\xA2\x96\x9E\x82\xCC\x8A\x84\x8D\x87\x82\xCC\x95W\x8F\x80\x8C\xEB\x8D\xB7",
    // AI以上の割合の標準誤差
    "AI\x88\xC8\x8F\xE3\x82\xCC\x8A\x84\x8D\x87\x82\xCC\x95W\x8F\x80\x8C\xEB\x8D\xB7",
    // UL超の割合の標準誤差
    "UL\x92\xB4\x82\xCC\x8A\x84\x8D\x87\x82\xCC\x95W\x8F\x80\x8C\xEB\x8D\xB7",
    // DG外の割合の標準誤差
    "DG\x8AO\x82\xCC\x8A\x84\x8D\x87\x82\xCC\x95W\x8F\x80\x8C\xEB\x8D\xB7",
};

}  // namespace kelvara
