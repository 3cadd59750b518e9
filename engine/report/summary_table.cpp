#include "engine/report/summary_table.h"

#include <algorithm>
#include <cassert>

#include "engine/report/block_scheme.h"
#include "engine/report/decimal_rounding.h"
#include "engine/report/provenance.h"

namespace kelvara {
namespace {

constexpr std::string_view kOpen = "\x81i";                 // （
constexpr std::string_view kClose = "\x81j";                // ）
constexpr std::string_view kBothSexes = "\x92j\x8F\x97\x8Cv";  // 男女計
constexpr std::string_view kShareSuffix = "\x8A\x84\x8D\x87(%)";  // 割合(%)
constexpr std::string_view kMean = "\x95\xBD\x8B\xCF\x92l";       // 平均値
constexpr std::string_view kSd = "\x95W\x8F\x80\x95\xCE\x8D\xB7";  // 標準偏差
constexpr std::string_view kMedian = "\x92\x86\x89\x9B\x92l";      // 中央値

constexpr SexCondition kSexes[] = {SexCondition::male, SexCondition::female, SexCondition::any};

// One block as the summary reads it: its scheme's group for each of its
// lines, and each group line's fields as printed.
struct SummaryBlock {
  const ReportBlock* block;
  std::string variable;
  BlockScheme scheme;
  std::vector<std::vector<std::string>> fields;  // per group, after the label

  // The printed field of the block's group that is the scheme's `group`, in
  // the column titled `title`; empty when there is none.
  std::string Field(const AgeGroup* group, std::string_view title) const {
    const std::optional<size_t> column = block->Column(title);
    if (!column) return {};
    for (size_t g = 0; g < scheme.groups.size(); ++g) {
      if (scheme.groups[g] != group) continue;
      return *column < fields[g].size() ? fields[g][*column] : std::string();
    }
    return {};
  }
};

SummaryRow Row(const SummaryBlock& block, std::span<const AgeGroup* const> groups,
               std::string_view title, std::string_view statistic, int decimals) {
  SummaryRow row;
  row.statistic = statistic;
  row.decimals = decimals;
  for (const AgeGroup* group : groups) {
    std::string text = block.Field(group, title);
    const std::optional<double> value = ReportFieldNumber(text);
    if (value && decimals >= 0) text = RoundedDecimal(text, decimals);
    row.values.push_back(value);
    row.texts.push_back(std::move(text));
  }
  return row;
}

// The figures of a block the summary shows, each as (column title, row
// name): its mean, standard deviation and median; a block without them (a
// ratio of totals) shows its own figure, the column after the persons.
std::vector<std::pair<std::string, std::string>> Figures(const ReportBlock& block) {
  std::vector<std::pair<std::string, std::string>> figures;
  for (const auto& [column, statistic] : {std::pair{ReportColumn::mean, kMean},
                                          std::pair{ReportColumn::sd, kSd},
                                          std::pair{ReportColumn::median, kMedian}}) {
    if (block.Column(ColumnTitle(column))) figures.emplace_back(ColumnTitle(column), statistic);
  }
  constexpr size_t kFirstFigure = 2;  // after 人数 and 欠損値人数
  if (figures.empty() && block.titles.size() > kFirstFigure) {
    figures.emplace_back(block.titles[kFirstFigure], block.titles[kFirstFigure]);
  }
  return figures;
}

// The scheme's groups of one sex: its age bands in order, then its summaries.
std::vector<const AgeGroup*> SexGroups(SchemeId scheme, SexCondition sex) {
  std::vector<const AgeGroup*> groups;
  for (GroupRole role : {GroupRole::ageBand, GroupRole::summary}) {
    for (const AgeGroup& group : SchemeGroups(scheme)) {
      if (group.sex == sex && group.role == role) groups.push_back(&group);
    }
  }
  return groups;
}

std::string SectionTitle(SexCondition sex, SchemeId scheme, bool severalSchemes) {
  std::string title(sex == SexCondition::any ? kBothSexes : SexWord(sex));
  if (severalSchemes) title += std::string(kOpen) + std::string(SchemeCaption(scheme)) + std::string(kClose);
  return title;
}

}  // namespace

std::vector<std::string> BlockVariables(std::span<const ReportBlock> blocks) {
  std::vector<std::string> variables;
  for (size_t b = 0; b < blocks.size(); ++b) {
    std::string variable = blocks[b].name;
    for (size_t earlier = 0; earlier < b; ++earlier) {
      const std::string& name = blocks[earlier].name;
      if (name != blocks[b].name && blocks[b].name.starts_with(name + std::string(kOpen))) {
        variable = variables[earlier];
        break;
      }
    }
    variables.push_back(std::move(variable));
  }
  return variables;
}

std::vector<SummarySection> SummarySections(std::span<const ReportBlock> blocks,
                                            std::span<const std::string> lines,
                                            const SummaryDecimals& decimals) {
  const std::vector<std::string> variables = BlockVariables(blocks);
  std::vector<SchemeId> schemes;  // in the order they first appear
  std::vector<SummaryBlock> read;
  for (size_t b = 0; b < blocks.size(); ++b) {
    std::optional<BlockScheme> scheme = MatchScheme(blocks[b]);
    if (!scheme) continue;
    if (std::find(schemes.begin(), schemes.end(), scheme->scheme) == schemes.end()) {
      schemes.push_back(scheme->scheme);
    }
    SummaryBlock& block = read.emplace_back(SummaryBlock{&blocks[b], variables[b], std::move(*scheme), {}});
    for (const ReportGroupLine& group : blocks[b].groups) {
      assert(group.line < lines.size() && "the blocks were read from these lines");
      std::vector<std::string> fields = ReportLineFields(lines[group.line]);
      fields.erase(fields.begin());  // the label
      block.fields.push_back(std::move(fields));
    }
  }
  const std::string_view personsTitle = ColumnTitle(ReportColumn::persons);
  std::vector<SummarySection> sections;
  for (SchemeId scheme : schemes) {
    for (SexCondition sex : kSexes) {
      const std::vector<const AgeGroup*> groups = SexGroups(scheme, sex);
      if (groups.empty()) continue;
      SummarySection& section = sections.emplace_back();
      section.title = SectionTitle(sex, scheme, schemes.size() > 1);
      for (const AgeGroup* group : groups) section.columns.emplace_back(AgeText(*group));
      std::vector<const SummaryBlock*> members;
      std::vector<SummaryRow> persons;
      for (const SummaryBlock& block : read) {
        if (block.scheme.scheme != scheme) continue;
        members.push_back(&block);
        persons.push_back(Row(block, groups, personsTitle, personsTitle, -1));
      }
      // One row of persons heads the section when every variable has the
      // same persons; else each variable has its own.
      const bool shared = std::all_of(persons.begin(), persons.end(), [&](const SummaryRow& row) {
        return row.texts == persons.front().texts;
      });
      if (shared && !persons.empty()) section.rows.push_back(persons.front());
      for (size_t m = 0; m < members.size(); ++m) {
        const SummaryBlock& block = *members[m];
        const auto own = decimals.byVariable.find(block.variable);
        const int valueDecimals = own == decimals.byVariable.end() ? -1 : own->second;
        std::vector<SummaryRow> rows;
        if (!shared) rows.push_back(std::move(persons[m]));
        for (const auto& [title, statistic] : Figures(*block.block)) {
          rows.push_back(Row(block, groups, title, statistic, valueDecimals));
        }
        for (const std::string& title : block.block->titles) {
          if (title.ends_with(kShareSuffix)) rows.push_back(Row(block, groups, title, title, decimals.shares));
        }
        if (rows.empty()) continue;  // a block of no figure the summary shows
        rows.front().variable = block.block->name;
        for (SummaryRow& row : rows) section.rows.push_back(std::move(row));
      }
    }
  }
  return sections;
}

}  // namespace kelvara
