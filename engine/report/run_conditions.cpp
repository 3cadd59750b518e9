#include "engine/report/run_conditions.h"

#include <algorithm>
#include <vector>

#include "engine/report/block_scheme.h"
#include "engine/report/report_format.h"
#include "engine/statistics/reference_judgement.h"

namespace kelvara {
namespace {

constexpr std::string_view kComma = "\x81" "A";       // 、
constexpr std::string_view kColon = "\x81" "F";       // ：
constexpr std::string_view kOpen = "\x81i";           // （
constexpr std::string_view kClose = "\x81j";          // ）
constexpr std::string_view kUsualIntake = "\x8FK\x8A\xB5\x93I\x90\xDB\x8E\xE6\x97\xCA";  // 習慣的摂取量
constexpr std::string_view kPersonColumn = "\x8C\xC2\x90l\x82\xCC\x97\xF1\x81" "F";     // 個人の列：
constexpr std::string_view kRatiosGiven = "\x95\xAA\x8EU\x94\xE4\x81" "F\x8Ew\x92\xE8";  // 分散比：指定
constexpr std::string_view kBootstrap = "\x83u\x81[\x83g\x83X\x83g\x83\x89\x83" "b\x83v ";  // ブートストラップ
constexpr std::string_view kTimes = "\x89\xF1";                // 回
constexpr std::string_view kStage = "\x94" "D\x90P\x8A\xFA";   // 妊娠期
constexpr std::string_view kMenstruation = "\x8C\x8E\x8Co";    // 月経
constexpr std::string_view kStages[] = {"", "\x8F\x89\x8A\xFA", "\x92\x86\x8A\xFA",
                                        "\x8C\xE3\x8A\xFA"};  // 初期, 中期, 後期
constexpr std::string_view kOwnCutOffs =
    "\x95\xCF\x90\x94\x82\xB2\x82\xC6\x82\xCC\x8A\xEE\x8F\x80\x81" "F";  // 変数ごとの基準：
constexpr std::string_view kYes = "\x82\xA0\x82\xE8";  // あり
constexpr std::string_view kNo = "\x82\xC8\x82\xB5";   // なし

std::string Joined(const std::vector<std::string>& parts, std::string_view separator) {
  std::string text;
  for (const std::string& part : parts) {
    if (!text.empty()) text += separator;
    text += part;
  }
  return text;
}

std::string Bracketed(const std::vector<std::string>& parts) {
  return parts.empty() ? std::string() : std::string(kOpen) + Joined(parts, kComma) + std::string(kClose);
}

// The choices beyond the added columns: the variables' own cut-offs, the
// person column, and the usual intake's ratios and bootstrap.
std::string OtherOptions(const DesignOptions& design,
                         const std::function<std::string(int column)>& columnLabel) {
  std::vector<std::string> parts;
  if (!design.shareBelowByColumn.empty()) {
    std::vector<std::string> cutOffs;
    for (const auto& [column, cutOff] : design.shareBelowByColumn) {
      cutOffs.push_back(columnLabel(column) + "=" + FormatNumber(cutOff));
    }
    parts.push_back(std::string(kOwnCutOffs) + Joined(cutOffs, kComma));
  }
  if (design.usual.personColumn >= 0) {
    parts.push_back(std::string(kPersonColumn) + columnLabel(design.usual.personColumn));
  }
  if (!design.usual.enabled) return Joined(parts, kComma);
  std::vector<std::string> usual;
  if (!design.usual.ratios.empty()) usual.emplace_back(kRatiosGiven);
  if (design.usual.bootstrapReplicates > 0) {
    usual.push_back(std::string(kBootstrap) + std::to_string(design.usual.bootstrapReplicates) +
                    std::string(kTimes));
  }
  parts.push_back(std::string(kUsualIntake) + Bracketed(usual));
  return Joined(parts, kComma);
}

std::string ReferenceText(const ReferenceChoice& choice) {
  std::vector<std::string> parts;
  if (choice.pregnancyStage != PregnancyStage::notChosen) {
    parts.push_back(std::string(kStage) + std::string(kColon) +
                    std::string(kStages[static_cast<size_t>(choice.pregnancyStage)]));
  }
  if (choice.menstruation != Menstruation::notChosen) {
    parts.push_back(std::string(kMenstruation) + std::string(kColon) +
                    std::string(choice.menstruation == Menstruation::yes ? kYes : kNo));
  }
  return choice.table.title + Bracketed(parts);
}

}  // namespace

RunConditions ConditionsOfRun(const Provenance& names, SchemeId scheme,
                              const DesignOptions& design,
                              const std::function<std::string(int column)>& columnLabel) {
  RunConditions conditions;
  conditions.file = names.file;
  conditions.scheme = std::string(SchemeCaption(scheme));
  conditions.unit = names.unit;
  conditions.weight = names.weight;
  conditions.strata = names.strata;
  conditions.addedColumns = Joined(AddedColumnTitles(design), " ");
  conditions.otherOptions = OtherOptions(design, columnLabel);
  conditions.reference = design.reference ? ReferenceText(*design.reference) : std::string();
  conditions.program = std::string(ProgramName());
  conditions.dateTime = names.dateTime;
  return conditions;
}

RunConditions ConditionsOfBlock(const ReportBlock& block, const RunConditions* run) {
  if (run != nullptr) return *run;
  RunConditions conditions;
  if (block.provenance) {
    const ProvenanceFields& p = *block.provenance;
    conditions.file = p.file;
    conditions.scheme = p.scheme;
    conditions.unit = p.unit;
    conditions.weight = p.weight;
    conditions.strata = p.strata;
    conditions.addedColumns = p.addedColumns;
    conditions.program = p.program;
    conditions.dateTime = p.dateTime;
  } else {
    if (const std::optional<BlockScheme> scheme = MatchScheme(block)) {
      conditions.scheme = std::string(SchemeCaption(scheme->scheme));
    }
    // An ordinary block's columns beyond the fixed ones are those the run
    // added (a ratio's block has columns of its own, and tells nothing).
    const std::vector<std::string> fixed = ReportLineFields(ColumnTitleLine());
    if (block.Column(ColumnTitle(ReportColumn::mean))) {
      std::vector<std::string> added;
      for (const std::string& title : block.titles) {
        if (std::find(fixed.begin(), fixed.end(), title) == fixed.end()) added.push_back(title);
      }
      conditions.addedColumns = Joined(added, " ");
    }
  }
  // A judged block ends with its reference line.
  if (block.reference) {
    conditions.reference = block.reference->table;
  } else if (!block.titles.empty()) {
    conditions.reference = std::string();
  }
  return conditions;
}

}  // namespace kelvara
