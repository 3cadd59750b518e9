#include "ui/chart/chart_data.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>

#include "engine/report/block_scheme.h"
#include "engine/report/report_reading.h"
#include "engine/report/usual_intake_lines.h"
#include "ui/window/display_text.h"

using kelvara::AgeGroup;
using kelvara::GroupRole;
using kelvara::ReportBlock;
using kelvara::ReportColumn;
using kelvara::SexCondition;

namespace {

// Without interval columns the error bar is the normal approximation of a
// 95% interval around the mean.
constexpr double kNormalQuantile95 = 1.96;

constexpr SexCondition kSexOrder[] = {SexCondition::male, SexCondition::female,
                                      SexCondition::any};

// The scheme's categories: its age bands (each sex has the same ones), then
// its summaries among the sexes shown, each text once, in the scheme's order.
struct Categories {
  std::vector<std::string_view> texts;
  int bandCount = 0;

  int PositionOf(std::string_view text) const {
    const auto found = std::find(texts.begin(), texts.end(), text);
    return found == texts.end() ? -1 : static_cast<int>(found - texts.begin());
  }
};

Categories SchemeCategories(kelvara::SchemeId scheme, bool withBothSexes) {
  Categories categories;
  const std::span<const AgeGroup> groups = kelvara::SchemeGroups(scheme);
  std::optional<SexCondition> bandSex;
  for (const AgeGroup& group : groups) {
    if (group.role != GroupRole::ageBand) continue;
    if (!bandSex) bandSex = group.sex;
    if (group.sex == *bandSex) categories.texts.push_back(kelvara::AgeText(group));
  }
  categories.bandCount = static_cast<int>(categories.texts.size());
  for (const AgeGroup& group : groups) {
    if (group.role != GroupRole::summary) continue;
    if (group.sex == SexCondition::any && !withBothSexes) continue;
    if (categories.PositionOf(kelvara::AgeText(group)) < 0) {
      categories.texts.push_back(kelvara::AgeText(group));
    }
  }
  return categories;
}

// The values a chart needs of one group, or the reason it is left out.
struct GroupReading {
  std::optional<ChartMark> mark;
  QString reason;
};

GroupReading ReadGroup(const ReportBlock& block, const kelvara::ReportGroupLine& line,
                       ChartKind kind, bool intervalColumns) {
  auto value = [&](ReportColumn column) { return block.Value(line, kelvara::ColumnTitle(column)); };
  GroupReading reading;
  const std::optional<double> persons = value(ReportColumn::persons);
  // Any number a loaded file holds, printed as read rather than cast to a
  // count it may not fit.
  if (persons && !(*persons >= 2)) {
    reading.reason = QStringLiteral("人数%1").arg(*persons, 0, 'g', 6);
    return reading;
  }
  std::vector<ReportColumn> needed = {ReportColumn::persons, ReportColumn::mean};
  if (kind == ChartKind::mean) {
    if (intervalColumns) {
      needed.insert(needed.end(), {ReportColumn::ciLower, ReportColumn::ciUpper});
    } else {
      needed.push_back(ReportColumn::se);
    }
  } else {
    needed.insert(needed.end(), {ReportColumn::p5, ReportColumn::p25, ReportColumn::median,
                                 ReportColumn::p75, ReportColumn::p95});
  }
  for (ReportColumn column : needed) {
    if (!value(column)) {
      reading.reason = DisplayText(kelvara::ColumnTitle(column)) + QStringLiteral("が空欄");
      return reading;
    }
  }
  ChartMark mark;
  mark.label = DisplayText(line.label);
  mark.mean = *value(ReportColumn::mean);
  mark.persons = *value(ReportColumn::persons);
  mark.earPersons = value(ReportColumn::earPersons);
  mark.ulPersons = value(ReportColumn::ulPersons);
  mark.dgPersons = value(ReportColumn::dgPersons);
  if (kind == ChartKind::mean) {
    if (intervalColumns) {
      mark.low = *value(ReportColumn::ciLower);
      mark.high = *value(ReportColumn::ciUpper);
    } else {
      const double halfWidth = kNormalQuantile95 * *value(ReportColumn::se);
      mark.low = mark.mean - halfWidth;
      mark.high = mark.mean + halfWidth;
    }
    // Finite fields can still make ends beyond the doubles (an SE of 1e308),
    // which no axis can hold.
    if (!std::isfinite(mark.low) || !std::isfinite(mark.high)) {
      reading.reason = QStringLiteral("誤差線の端が数値の範囲外");
      return reading;
    }
  } else {
    mark.p5 = *value(ReportColumn::p5);
    mark.p25 = *value(ReportColumn::p25);
    mark.median = *value(ReportColumn::median);
    mark.p75 = *value(ReportColumn::p75);
    mark.p95 = *value(ReportColumn::p95);
  }
  reading.mark = mark;
  return reading;
}

QString SexName(SexCondition sex) { return DisplayText(kelvara::SexWord(sex)); }

}  // namespace

bool ChartData::empty() const {
  for (const ChartSeriesData& one : series) {
    if (!one.bands.empty() || !one.summaries.empty()) return false;
  }
  return true;
}

bool ChartData::HasReferenceMarks() const {
  for (const ChartSeriesData& one : series) {
    for (const ChartMark& mark : one.bands) {
      if (mark.ear || mark.ul || mark.dgLow || mark.dgHigh) return true;
    }
  }
  return false;
}

double ChartData::Lowest() const {
  double lowest = std::numeric_limits<double>::infinity();
  for (const ChartSeriesData& one : series) {
    for (const auto* marks : {&one.bands, &one.summaries}) {
      for (const ChartMark& mark : *marks) {
        lowest = std::min({lowest, mark.mean, kind == ChartKind::mean ? mark.low : mark.p5});
      }
    }
  }
  return lowest;
}

double ChartData::Highest() const {
  double highest = -std::numeric_limits<double>::infinity();
  for (const ChartSeriesData& one : series) {
    for (const auto* marks : {&one.bands, &one.summaries}) {
      for (const ChartMark& mark : *marks) {
        highest = std::max({highest, mark.mean, kind == ChartKind::mean ? mark.high : mark.p95});
      }
    }
  }
  return highest;
}

ChartData BuildChartData(const ReportBlock& block, ChartKind kind, bool withBothSexes) {
  ChartData data;
  data.kind = kind;
  data.title = DisplayText(block.name);
  data.valueTitle = kind == ChartKind::mean ? QStringLiteral("平均") : QStringLiteral("値");
  QStringList notes;
  const std::optional<kelvara::BlockScheme> scheme = kelvara::MatchScheme(block);
  if (!scheme) {
    data.note = block.groups.empty() ? QStringLiteral("この変数の計算結果には区分の行がありません。")
                                     : QStringLiteral("区分の名前がどの年齢階級区分にもありません。");
    return data;
  }
  data.scheme = scheme->scheme;
  const Categories categories = SchemeCategories(scheme->scheme, withBothSexes);
  for (std::string_view text : categories.texts) data.categories.append(DisplayText(text));
  data.bandCount = categories.bandCount;

  const bool intervalColumns = block.Column(kelvara::ColumnTitle(ReportColumn::ciLower)) &&
                               block.Column(kelvara::ColumnTitle(ReportColumn::ciUpper));
  for (SexCondition sex : kSexOrder) {
    if (sex == SexCondition::any && !withBothSexes) continue;
    ChartSeriesData series{sex, SexName(sex), {}, {}, false};
    for (size_t g = 0; g < block.groups.size(); ++g) {
      const AgeGroup* group = scheme->groups[g];
      if (group == nullptr || group->sex != sex) continue;
      const GroupReading reading = ReadGroup(block, block.groups[g], kind, intervalColumns);
      if (!reading.mark) {
        notes.append(DisplayText(block.groups[g].label) + QStringLiteral("（") + reading.reason +
                     QStringLiteral("）"));
        continue;
      }
      ChartMark mark = *reading.mark;
      mark.position = categories.PositionOf(kelvara::AgeText(*group));
      mark.group = group;
      auto& marks = group->role == GroupRole::ageBand ? series.bands : series.summaries;
      marks.push_back(mark);
    }
    // The block's lines follow the scheme; a reordered file still draws in
    // the axis order.
    for (auto* marks : {&series.bands, &series.summaries}) {
      std::stable_sort(marks->begin(), marks->end(),
                       [](const ChartMark& a, const ChartMark& b) { return a.position < b.position; });
    }
    data.series.push_back(std::move(series));
  }
  QStringList unknown;
  for (size_t g = 0; g < block.groups.size(); ++g) {
    if (scheme->groups[g] == nullptr) unknown.append(DisplayText(block.groups[g].label));
  }

  QStringList lines;
  if (kind == ChartKind::mean) {
    lines.append(intervalColumns ? QStringLiteral("誤差線：95%信頼区間")
                                 : QStringLiteral("誤差線：平均±1.96×標準誤差"));
  } else {
    lines.append(QStringLiteral("ひげ：P5～P95、箱：P25～P75、横線：中央値、●：平均"));
  }
  if (categories.texts.size() > static_cast<size_t>(categories.bandCount)) {
    lines.last() += kind == ChartKind::mean
                        ? QStringLiteral("。網掛けの欄は総数・計・再掲などの集計区分（年齢の線で結ばない）")
                        : QStringLiteral("。網掛けの欄は総数・計・再掲などの集計区分");
  }
  if (!notes.isEmpty()) {
    lines.append(QStringLiteral("描かなかった区分：") + notes.join(QStringLiteral("、")));
  }
  if (!unknown.isEmpty()) {
    lines.append(QStringLiteral("年齢階級区分にない区分：") + unknown.join(QStringLiteral("、")));
  }
  data.note = lines.join(QLatin1Char('\n'));
  return data;
}

bool IsUsualIntakeOf(const ReportBlock& usual, const ReportBlock& block) {
  return usual.name == block.name + std::string(kelvara::UsualIntakeSuffix());
}

void AddUsualIntakes(ChartData& data, const ReportBlock& usual, bool withBothSexes) {
  ChartData added = BuildChartData(usual, ChartKind::distribution, withBothSexes);
  if (added.categories != data.categories) return;  // another scheme: nothing to set beside
  std::vector<ChartSeriesData> series;
  for (ChartSeriesData& oneDay : data.series) {
    const kelvara::SexCondition sex = oneDay.sex;
    series.push_back(std::move(oneDay));
    for (ChartSeriesData& other : added.series) {
      if (other.sex != sex) continue;
      other.usual = true;
      other.name += DisplayText(kelvara::UsualIntakeSuffix());
      series.push_back(std::move(other));
    }
  }
  data.series = std::move(series);
  data.note = QStringLiteral("淡い箱：1日の値、濃い箱：習慣的摂取量。") + data.note;
}
