#include "engine/report/ratio_block.h"

#include "engine/report/report_format.h"

namespace kelvara {
namespace {

constexpr std::string_view kTitles =
    "\"\x90\xAB\x94N\x97\xEE\","               // 性年齢
    "\"\x90l\x90\x94\","                       // 人数
    "\"\x8C\x87\x91\xB9\x92l\x90l\x90\x94\","  // 欠損値人数
    "\"\x94\xE4\","                            // 比
    "\"\x95W\x8F\x80\x8C\xEB\x8D\xB7\"";       // 標準誤差

// 比の推定：重み付き合計の比（
constexpr std::string_view kMethodTitle =
    "\x94\xE4\x82\xCC\x90\x84\x92\xE8\x81" "F\x8F" "d\x82\xDD\x95t\x82\xAB\x8D\x87\x8Cv\x82\xCC"
    "\x94\xE4\x81i";
constexpr std::string_view kAnd = "\x82\xC6";  // と
// の両方がある者）；標準誤差は線形化（分子−比×分母）による
constexpr std::string_view kMethodEnd =
    "\x82\xCC\x97\xBC\x95\xFB\x82\xAA\x82\xA0\x82\xE9\x8E\xD2\x81j\x81G\x95W\x8F\x80\x8C\xEB\x8D"
    "\xB7\x82\xCD\x90\xFC\x8C`\x89\xBB\x81i\x95\xAA\x8Eq\x81|\x94\xE4\x81~\x95\xAA\x95\xEA\x81j"
    "\x82\xC9\x82\xE6\x82\xE9";

// The ratio block's fields of the added columns: those of the mean's that
// a ratio has.
DesignOptions RatioColumns(const DesignOptions& design) {
  DesignOptions columns;
  columns.confidenceInterval = design.confidenceInterval;
  columns.coefficientOfVariation = design.coefficientOfVariation;
  return columns;
}

void AppendField(std::string& line, double value) {
  line.push_back(',');
  line.append(FormatNumber(value));
}

std::string RatioLine(std::string_view label, const GroupStatistics& s,
                      const DesignOptions& columns) {
  std::string line = QuotedLine(label);
  line.append(",").append(std::to_string(s.n));
  line.append(",").append(std::to_string(s.nMissing));
  if (s.n == 0) return line;
  AppendField(line, s.mean);
  if (s.n == 1) {
    line.push_back(',');
    return line;
  }
  AppendField(line, s.se);
  if (columns.confidenceInterval) {
    AppendField(line, s.meanLower);
    AppendField(line, s.meanUpper);
  }
  if (columns.coefficientOfVariation) AppendField(line, s.coefficientOfVariation);
  return line;
}

}  // namespace

std::string RatioTitleLine(const DesignOptions& design) {
  std::string titles(kTitles);
  for (const std::string& title : AddedColumnTitles(RatioColumns(design))) {
    titles.append(",").append(QuotedLine(title));
  }
  return titles;
}

std::string_view RatioMethodStart() { return kMethodTitle; }

std::string_view RatioSuffix() {
  return "\x81i\x94\xE4\x82\xCC\x90\x84\x92\xE8\x81j";  // （比の推定）
}

std::vector<std::string> RatioBlockLines(std::string_view numeratorName,
                                         std::string_view denominatorName,
                                         const ColumnFigures& figures,
                                         std::span<const AgeGroup> groups,
                                         const DesignOptions& design) {
  const DesignOptions columns = RatioColumns(design);
  std::vector<std::string> lines;
  lines.reserve(groups.size() + 5);
  std::string heading(numeratorName);
  heading.append("/").append(denominatorName).append(RatioSuffix());
  lines.push_back(HeaderLine(heading));
  lines.push_back(RatioTitleLine(design));
  for (size_t g = 0; g < figures.groups.size(); ++g) {
    lines.push_back(RatioLine(groups[g].label, figures.groups[g], columns));
  }
  lines.push_back(figures.stratified ? StrataLine(figures.counts)
                                     : StrataLine(figures.counts.units));
  std::string method(kMethodTitle);
  method.append(numeratorName).append(kAnd).append(denominatorName).append(kMethodEnd);
  lines.push_back(QuotedLine(method));
  lines.emplace_back();
  return lines;
}

}  // namespace kelvara
