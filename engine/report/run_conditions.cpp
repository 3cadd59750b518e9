#include "engine/report/run_conditions.h"

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

// The usual-intake choices: the person column, given ratios, bootstrap.
std::string OtherOptions(const DesignOptions& design, std::string_view personLabel) {
  std::vector<std::string> parts;
  if (!personLabel.empty()) parts.push_back(std::string(kPersonColumn) + std::string(personLabel));
  if (!design.usual.enabled) return Joined(parts, kComma);
  if (!design.usual.ratios.empty()) parts.emplace_back(kRatiosGiven);
  if (design.usual.bootstrapReplicates > 0) {
    parts.push_back(std::string(kBootstrap) + std::to_string(design.usual.bootstrapReplicates) +
                    std::string(kTimes));
  }
  return std::string(kUsualIntake) + Bracketed(parts);
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
                              const DesignOptions& design, std::string_view personLabel) {
  RunConditions conditions;
  conditions.file = names.file;
  conditions.scheme = std::string(SchemeCaption(scheme));
  conditions.unit = names.unit;
  conditions.weight = names.weight;
  conditions.strata = names.strata;
  conditions.otherOptions = OtherOptions(design, personLabel);
  conditions.reference = design.reference ? ReferenceText(*design.reference) : std::string();
  conditions.program = std::string(ProgramName());
  conditions.dateTime = names.dateTime;
  return conditions;
}

RunConditions ConditionsOfBlock(const ReportBlock& block, const RunConditions* run) {
  RunConditions conditions;
  if (run != nullptr) {
    conditions = *run;
  } else if (block.provenance) {
    const ProvenanceFields& p = *block.provenance;
    conditions.file = p.file;
    conditions.scheme = p.scheme;
    conditions.unit = p.unit;
    conditions.weight = p.weight;
    conditions.strata = p.strata;
    conditions.program = p.program;
    conditions.dateTime = p.dateTime;
  } else if (const std::optional<BlockScheme> scheme = MatchScheme(block)) {
    conditions.scheme = std::string(SchemeCaption(scheme->scheme));
  }
  // The block's own columns say what was added to it (a cut-off of its own
  // included), and its reference line what it was judged against.
  const size_t fixed = ReportLineFields(ColumnTitleLine()).size() - 1;
  if (block.titles.size() >= fixed) {
    conditions.addedColumns = Joined(
        std::vector<std::string>(block.titles.begin() + static_cast<std::ptrdiff_t>(fixed),
                                 block.titles.end()),
        " ");
    if (run == nullptr) conditions.reference = std::string();
  }
  if (block.reference && run == nullptr) conditions.reference = block.reference->table;
  return conditions;
}

}  // namespace kelvara
