#include "ui/chart/reference_marks.h"

#include <tuple>

#include "engine/statistics/group_reference.h"
#include "ui/chart/chart_reference.h"

using kelvara::SexCondition;

void AddReferenceMarks(ChartData& data, const ChartReference& reference) {
  QStringList lines;
  if (!reference.problem.isEmpty()) lines.append(reference.problem);
  // Category numbers stand where the ages would: no band of the table is known.
  const bool categories = data.scheme == kelvara::SchemeId::category;
  if (reference.nutrient && categories) {
    lines.append(QStringLiteral("カテゴリー番号の区分は年齢階級がわからないため、基準値の印を描きません。"));
  } else if (reference.nutrient) {
    QStringList differs;
    QStringList waiting;
    QStringList partly;
    bool summariesShown = false;
    bool bothSexesShown = false;
    // The mean chart marks the DG alone: the EAR and UL are read against the
    // distribution of intakes (the share below the EAR, above the UL), and
    // a bar beside a mean would invite comparing them with the mean.
    const bool meanChart = data.kind == ChartKind::mean;
    bool requirementsLeftOut = false;
    for (ChartSeriesData& series : data.series) {
      summariesShown = summariesShown || !series.summaries.empty();
      if (series.sex == SexCondition::any) {
        bothSexesShown = bothSexesShown || !series.bands.empty();
        continue;
      }
      const int32_t sex = series.sex == SexCondition::male ? 1 : 2;
      for (ChartMark& mark : series.bands) {
        if (mark.group == nullptr) continue;
        const kelvara::GroupReference values =
            kelvara::GeneralReferenceOfGroup(*reference.nutrient, sex, mark.group->age);
        requirementsLeftOut = requirementsLeftOut || (meanChart && (values.ear || values.ul));
        mark.ear = meanChart ? std::nullopt : values.ear;
        mark.ul = meanChart ? std::nullopt : values.ul;
        mark.dgLow = values.dgLow;
        mark.dgHigh = values.dgHigh;
        // The usual intakes beside the one-day values are the same groups:
        // each is named once.
        if (series.usual) continue;
        if (values.menstruationNotChosen) waiting.append(mark.label);
        if (values.differsWithinGroup) differs.append(mark.label);
        // A mark beside a share some members were not judged for.
        QStringList counts;
        for (const auto& [value, judged, name] :
             {std::tuple{mark.ear, mark.earPersons, "EAR"}, std::tuple{mark.ul, mark.ulPersons, "UL"},
              std::tuple{mark.dgLow ? mark.dgLow : mark.dgHigh, mark.dgPersons, "DG"}}) {
          if (value && judged && *judged < mark.persons) {
            counts.append(QStringLiteral("%1 %2／%3人").arg(QString::fromLatin1(name))
                              .arg(*judged, 0, 'g', 10).arg(mark.persons, 0, 'g', 10));
          }
        }
        if (!counts.isEmpty()) {
          partly.append(mark.label + QStringLiteral("（") + counts.join(QStringLiteral("、")) +
                        QStringLiteral("）"));
        }
      }
    }
    if (data.HasReferenceMarks()) {
      lines.append(QStringLiteral("基準値：%1（妊婦・授乳婦でない人の値）").arg(reference.table));
    }
    if (requirementsLeftOut) {
      lines.append(QStringLiteral("EARとULは分布（箱ひげ図）のグラフに描きます。EARは平均ではなく"
                                  "摂取量の分布と比べるもので（EAR未満の割合）、平均がEARを上回っていても"
                                  "EARに満たない人が多いことがあります。"));
    }
    // What was left unmarked, said only where the chart marks anything: a
    // mean chart of a nutrient without a DG marks nothing at all.
    if (meanChart && !data.HasReferenceMarks()) {
      summariesShown = bothSexesShown = false;
      differs.clear();
      waiting.clear();
    }
    // Said once: such groups mix age bands, or sexes, of different values.
    if (summariesShown && bothSexesShown) {
      lines.append(QStringLiteral("集計区分と男女の区分は年齢階級や性の違う人を含むため、基準値の印を描きません。"));
    } else if (summariesShown) {
      lines.append(QStringLiteral("集計区分は年齢階級の違う人を含むため、基準値の印を描きません。"));
    } else if (bothSexesShown) {
      lines.append(QStringLiteral("男女の区分は性の違う人を含むため、基準値の印を描きません。"));
    }
    if (!differs.isEmpty()) {
      lines.append(QStringLiteral("区分の中で基準値が異なるため印を描かなかった区分：") +
                   differs.join(QStringLiteral("、")));
    }
    if (!partly.isEmpty()) {
      lines.append(QStringLiteral("一部の人しか判定していない区分（判定人数／人数）：") +
                   partly.join(QStringLiteral("、")));
    }
    if (!waiting.isEmpty()) {
      lines.append(QStringLiteral("月経の有無の指定（基準値による判定）がないため印を描かなかった区分：") +
                   waiting.join(QStringLiteral("、")));
    }
  }
  if (lines.isEmpty()) return;
  if (!data.note.isEmpty()) data.note += QLatin1Char('\n');
  data.note += lines.join(QLatin1Char('\n'));
}
