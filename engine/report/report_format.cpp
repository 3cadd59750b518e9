#include "engine/report/report_format.h"

#include <charconv>
#include <cmath>
#include <iterator>

namespace kelvara {
namespace {

constexpr std::string_view kOpenBracket = "\x81y";   // 【
constexpr std::string_view kCloseBracket = "\x81z";  // 】

constexpr std::string_view kColumnTitles =
    "\"\x90\xAB\x94N\x97\xEE\","              // 性年齢
    "\"\x90l\x90\x94\","                      // 人数
    "\"\x8C\x87\x91\xB9\x92l\x90l\x90\x94\"," // 欠損値人数
    "\"\x95\xBD\x8B\xCF\","                   // 平均
    "\"\x95W\x8F\x80\x95\xCE\x8D\xB7\","      // 標準偏差
    "\"\x95W\x8F\x80\x8C\xEB\x8D\xB7\","      // 標準誤差
    "\"\x8D\xC5\x8F\xAC\x92l\","              // 最小値
    "\"P1\",\"P5\",\"P10\",\"P25\","
    "\"\x92\x86\x89\x9B\x92l\","              // 中央値
    "\"P75\",\"P90\",\"P95\",\"P99\","
    "\"\x8D\xC5\x91\xE5\x92l\"";              // 最大値

// 層の数が１、または指定されていないため単純無作為抽出を仮定.
constexpr std::string_view kSimpleRandomSampling =
    "\"\x91w\x82\xCC\x90\x94\x82\xAA\x82P\x81" "A\x82\xDC\x82\xBD\x82\xCD\x8Ew\x92\xE8"
    "\x82\xB3\x82\xEA\x82\xC4\x82\xA2\x82\xC8\x82\xA2\x82\xBD\x82\xDF\x92P\x8F\x83\x96\xB3"
    "\x8D\xEC\x88\xD7\x92\x8A\x8Fo\x82\xF0\x89\xBC\x92\xE8.\"";

constexpr std::string_view kNumberOfStrata = "\x91w\x82\xCC\x90\x94\x81" "F";  // 層の数：
constexpr std::string_view kNumberOfUnits =
    "\x81" "A\x92\x8A\x8Fo\x92P\x88\xCA\x82\xCC\x90\x94\x81" "F";  // 、抽出単位の数：
constexpr std::string_view kDegreesOfFreedom = "\x81" "A\x8E\xA9\x97R\x93x\x81" "F";  // 、自由度：
constexpr std::string_view kSingleUnitStrata =
    "\x81" "A1\x92P\x88\xCA\x82\xCC\x91w\x81" "F";  // 、1単位の層：

// The percentiles printed, from minimum to maximum.
constexpr int kReportedPercents[] = {0, 1, 5, 10, 25, 50, 75, 90, 95, 99, 100};

void AppendQuoted(std::string& line, std::string_view text) {
  line.push_back('"');
  line.append(text);
  line.push_back('"');
}

void AppendField(std::string& line, double value) {
  line.push_back(',');
  line.append(FormatNumber(value));
}

}  // namespace

std::string FormatNumber(double value) {
  if (std::isnan(value)) return {};
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                    std::chars_format::general, 6);
  return std::string(buffer, result.ptr);
}

std::string QuotedLine(std::string_view text) {
  std::string line;
  AppendQuoted(line, text);
  return line;
}

std::string HeaderLine(std::string_view variableName) {
  std::string line;
  line.reserve(variableName.size() + 6);
  line.push_back('"');
  line.append(kOpenBracket);
  line.append(variableName);
  line.append(kCloseBracket);
  line.push_back('"');
  return line;
}

std::string_view ColumnTitleLine() { return kColumnTitles; }

std::vector<std::string> AddedColumnTitles(const DesignOptions& design) {
  std::vector<std::string> titles;
  if (design.confidenceInterval) {
    titles.emplace_back(kConfidenceLowerTitle);
    titles.emplace_back(kConfidenceUpperTitle);
  }
  if (design.coefficientOfVariation) titles.emplace_back(kCoefficientOfVariationTitle);
  if (design.designEffect) titles.emplace_back(kDesignEffectTitle);
  if (design.shareBelow) {
    const std::string cutOff = FormatNumber(*design.shareBelow);
    titles.push_back(cutOff + std::string(kShareBelowTitleSuffix));
    titles.push_back(cutOff + std::string(kShareBelowErrorTitleSuffix));
  }
  if (design.medianInterval) {
    titles.emplace_back(kMedianLowerTitle);
    titles.emplace_back(kMedianUpperTitle);
  }
  if (design.reference) {
    for (size_t f = 0; f < std::size(kJudgedShareTitles); ++f) {
      titles.emplace_back(kJudgedPersonsTitles[f]);
      titles.emplace_back(kJudgedShareTitles[f]);
      titles.emplace_back(kJudgedShareErrorTitles[f]);
    }
  }
  return titles;
}

std::string ColumnTitleLine(const DesignOptions& design) {
  std::string line(kColumnTitles);
  for (const std::string& title : AddedColumnTitles(design)) {
    line.push_back(',');
    AppendQuoted(line, title);
  }
  return line;
}

std::string GroupLine(std::string_view label, const GroupStatistics& s,
                      std::span<const AddedField> addedFields) {
  std::string line;
  AppendQuoted(line, label);
  line.append(",").append(std::to_string(s.n));
  line.append(",").append(std::to_string(s.nMissing));
  if (s.n == 0) return line;
  AppendField(line, s.mean);
  if (s.n == 1) {
    line.append(",,");
  } else {
    AppendField(line, s.sd);
    AppendField(line, s.se);
  }
  for (int percent : kReportedPercents) AppendField(line, s.pct[static_cast<size_t>(percent)]);
  if (s.n >= 2) {
    for (const AddedField& field : addedFields) {
      if (field.count && !std::isnan(field.value)) {
        line.append(",").append(std::to_string(static_cast<int64_t>(field.value)));
      } else {
        AppendField(line, field.value);
      }
    }
  }
  return line;
}

std::string StrataLine(int nUnits) {
  if (nUnits == 1) return std::string(kSimpleRandomSampling);
  std::string line;
  line.push_back('"');
  line.append(kNumberOfStrata);
  line.append(std::to_string(nUnits));
  line.push_back('"');
  return line;
}

std::string StrataLine(const DesignCounts& counts) {
  std::string line;
  line.push_back('"');
  line.append(kNumberOfStrata).append(std::to_string(counts.strata));
  line.append(kNumberOfUnits).append(std::to_string(counts.units));
  line.append(kDegreesOfFreedom).append(std::to_string(counts.units - counts.strata));
  if (counts.singleUnitStrata > 0) {
    line.append(kSingleUnitStrata).append(std::to_string(counts.singleUnitStrata));
  }
  line.push_back('"');
  return line;
}

}  // namespace kelvara
