#include "engine/report/conditions_sheet.h"

#include <algorithm>
#include <cassert>

namespace kelvara {
namespace {

constexpr std::string_view kVariables = "\x95\xCF\x90\x94";      // 変数
constexpr std::string_view kUnknown = "\x95s\x96\xBE";           // 不明
constexpr std::string_view kNone = "\x82\xC8\x82\xB5";           // なし
constexpr std::string_view kComma = "\x81" "A";                  // 、
constexpr std::string_view kRun = "\x8Cv\x8EZ";                  // 計算

struct Item {
  std::string_view label;
  std::optional<std::string> RunConditions::*field;
};

constexpr Item kItems[] = {
    {"\x92\xB2\x8D\xB8\x83" "f\x81[\x83^\x83t\x83@\x83" "C\x83\x8B", &RunConditions::file},  // 調査データファイル
    {"\x94N\x97\xEE\x8AK\x8B\x89\x8B\xE6\x95\xAA", &RunConditions::scheme},  // 年齢階級区分
    {"\x92\x8A\x8Fo\x92P\x88\xCA", &RunConditions::unit},                     // 抽出単位
    {"\x8F" "d\x82\xDD", &RunConditions::weight},                             // 重み
    {"\x91w", &RunConditions::strata},                                         // 層
    {"\x92\xC7\x89\xC1\x82\xCC\x97\xF1", &RunConditions::addedColumns},       // 追加の列
    {"\x82\xBB\x82\xCC\x91\xBC\x82\xCC\x8Ew\x92\xE8", &RunConditions::otherOptions},  // その他の指定
    {"\x8A\xEE\x8F\x80\x92l\x95\\", &RunConditions::reference},               // 基準値表
    {"\x83v\x83\x8D\x83O\x83\x89\x83\x80", &RunConditions::program},          // プログラム
    {"\x93\xFA\x8E\x9E", &RunConditions::dateTime},                            // 日時
};

std::string Shown(const std::optional<std::string>& value) {
  if (!value) return std::string(kUnknown);
  return value->empty() ? std::string(kNone) : *value;
}

}  // namespace

WorkbookSheet ConditionsSheet(std::span<const ReportBlock> blocks,
                              std::span<const RunConditions> conditions, std::string sheetName) {
  assert(blocks.size() == conditions.size() && "the conditions of each block");
  std::vector<RunConditions> distinct;
  std::vector<std::string> names;  // the blocks of each distinct set
  for (size_t b = 0; b < blocks.size(); ++b) {
    const auto found = std::find(distinct.begin(), distinct.end(), conditions[b]);
    const size_t set = static_cast<size_t>(found - distinct.begin());
    if (found == distinct.end()) {
      distinct.push_back(conditions[b]);
      names.emplace_back();
    }
    if (!names[set].empty()) names[set] += kComma;
    names[set] += blocks[b].name;
  }
  WorkbookSheet sheet;
  sheet.name = std::move(sheetName);
  sheet.frozenRows = 1;
  sheet.frozenColumns = 1;
  sheet.AddText(0, 0, std::string(kRun), true);
  sheet.AddText(0, 1, std::string(kVariables), true);
  for (size_t i = 0; i < std::size(kItems); ++i) {
    sheet.AddText(0, static_cast<uint16_t>(i + 2), std::string(kItems[i].label), true);
  }
  for (size_t set = 0; set < distinct.size(); ++set) {
    const auto row = static_cast<uint32_t>(set + 1);
    sheet.AddNumber(row, 0, static_cast<double>(set + 1));
    sheet.AddText(row, 1, names[set]);
    for (size_t i = 0; i < std::size(kItems); ++i) {
      sheet.AddText(row, static_cast<uint16_t>(i + 2), Shown(distinct[set].*kItems[i].field));
    }
  }
  sheet.FitColumnWidths();
  return sheet;
}

}  // namespace kelvara
