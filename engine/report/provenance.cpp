#include "engine/report/provenance.h"

#include <vector>

#include "engine/reading/csv_line.h"
#include "engine/report/report_format.h"

#ifndef KELVARA_VERSION
#define KELVARA_VERSION "?"
#endif

namespace kelvara {
namespace {

constexpr std::string_view kMarker = "\x8Fo\x8F\x8A";  // 出所
constexpr std::string_view kNone = "\x82\xC8\x82\xB5";  // なし
// The words before each field's value, in line order.
constexpr std::string_view kFileWord = "\x83t\x83@\x83" "C\x83\x8B\x81" "F";  // ファイル：
constexpr std::string_view kSchemeWord =
    "\x94N\x97\xEE\x8AK\x8B\x89\x8B\xE6\x95\xAA\x81" "F";  // 年齢階級区分：
constexpr std::string_view kUnitWord = "\x92\x8A\x8Fo\x92P\x88\xCA\x81" "F";  // 抽出単位：
constexpr std::string_view kWeightWord = "\x8F" "d\x82\xDD\x81" "F";         // 重み：
constexpr std::string_view kStrataWord = "\x91w\x81" "F";                     // 層：
constexpr std::string_view kAddedWord = "\x92\xC7\x89\xC1\x82\xCC\x97\xF1\x81" "F";  // 追加の列：
constexpr std::string_view kDateTimeWord = "\x93\xFA\x8E\x9E\x81" "F";               // 日時：
constexpr std::string_view kProgram = "Kelvara " KELVARA_VERSION;

constexpr int kFields = 9;

// A field between double quotes, a quote inside doubled.
void AppendField(std::string& line, std::string_view word, std::string_view value) {
  if (!line.empty()) line += ',';
  line += '"';
  for (std::string_view part : {word, value.empty() ? kNone : value}) {
    for (char c : part) {
      if (c == '"') line += '"';
      line += c;
    }
  }
  line += '"';
}

std::optional<std::string> After(std::string_view field, std::string_view word) {
  if (!field.starts_with(word)) return std::nullopt;
  field.remove_prefix(word.size());
  return std::string(field == kNone ? std::string_view() : field);
}

}  // namespace

std::string_view SchemeCaption(SchemeId scheme) {
  switch (scheme) {
    case SchemeId::table1:  // NHNS報告書　第１表の区分
      return "NHNS\x95\xF1\x8D\x90\x8F\x91\x81@\x91\xE6\x82P\x95\\\x82\xCC\x8B\xE6\x95\xAA";
    case SchemeId::table2:  // NHNS報告書　第２表の区分
      return "NHNS\x95\xF1\x8D\x90\x8F\x91\x81@\x91\xE6\x82Q\x95\\\x82\xCC\x8B\xE6\x95\xAA";
    case SchemeId::part5:  // NHNS報告書　第５部の区分
      return "NHNS\x95\xF1\x8D\x90\x8F\x91\x81@\x91\xE6\x82T\x95\x94\x82\xCC\x8B\xE6\x95\xAA";
    case SchemeId::category:  // カテゴリー番号1,2,3,...,10
      return "\x83J\x83" "e\x83S\x83\x8A\x81[\x94\xD4\x8D\x86" "1,2,3,...,10";
  }
  return {};
}

std::string_view ProgramName() { return kProgram; }

std::string ProvenanceLine(const Provenance& provenance, SchemeId scheme,
                           const DesignOptions& design) {
  std::string added;
  for (const std::string& title : AddedColumnTitles(design)) {
    if (!added.empty()) added += ' ';
    added += title;
  }
  std::string line;
  AppendField(line, {}, kMarker);
  AppendField(line, kFileWord, provenance.file);
  AppendField(line, kSchemeWord, SchemeCaption(scheme));
  AppendField(line, kUnitWord, provenance.unit);
  AppendField(line, kWeightWord, provenance.weight);
  AppendField(line, kStrataWord, provenance.strata);
  AppendField(line, kAddedWord, added);
  AppendField(line, kDateTimeWord, provenance.dateTime);
  AppendField(line, {}, kProgram);
  return line;
}

std::optional<ProvenanceFields> ReadProvenanceLine(std::string_view line) {
  // The marker cell, "出所", opens the line.
  if (line.size() < kMarker.size() + 3 || line[0] != '"' ||
      line.substr(1, kMarker.size()) != kMarker || line.substr(kMarker.size() + 1, 2) != "\",") {
    return std::nullopt;
  }
  std::string cellText;
  std::vector<std::string_view> cells;
  if (SplitLine(line, kFields + 1, cellText, cells) != kFields) return std::nullopt;
  ProvenanceFields fields;
  const std::pair<std::string_view, std::string*> parts[] = {
      {kFileWord, &fields.file},     {kSchemeWord, &fields.scheme},
      {kUnitWord, &fields.unit},     {kWeightWord, &fields.weight},
      {kStrataWord, &fields.strata}, {kAddedWord, &fields.addedColumns},
      {kDateTimeWord, &fields.dateTime}};
  for (size_t i = 0; i < std::size(parts); ++i) {
    std::optional<std::string> value = After(cells[i + 1], parts[i].first);
    if (!value) return std::nullopt;
    *parts[i].second = std::move(*value);
  }
  fields.program = std::string(cells[kFields - 1]);
  return fields;
}

}  // namespace kelvara
