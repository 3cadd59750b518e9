// What a chart of one variable's block shows: the groups drawn, where they
// stand on the age axis, and what was left out. Built from the block alone,
// so that the window and the saved pictures show the same.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "engine/statistics/age_group_scheme.h"

namespace kelvara {
struct ReportBlock;
}

enum class ChartKind {
  mean,          // weighted mean per group with its error bar
  distribution,  // P5 to P95 whiskers, P25 to P75 box, median, mean
};

// One group as drawn.
struct ChartMark {
  QString label;        // the group's label as reported, e.g. 男20～29
  int position = 0;     // its category on the axis
  double mean = 0;
  double low = 0;       // mean chart: the error bar's ends
  double high = 0;
  double p5 = 0, p25 = 0, median = 0, p75 = 0, p95 = 0;  // distribution chart
  const kelvara::AgeGroup* group = nullptr;  // the scheme's group it is
  // The group's dietary reference values, where the block was judged and
  // the group has them (reference_marks.h).
  std::optional<double> ear, ul, dgLow, dgHigh;
  // The group's persons and, where the report counts them, those judged
  // against the EAR, the UL and the DG.
  double persons = 0;
  std::optional<double> earPersons, ulPersons, dgPersons;
};

// The groups of one sex (男, 女 or 男女).
struct ChartSeriesData {
  kelvara::SexCondition sex;
  QString name;
  std::vector<ChartMark> bands;      // on the age line, in axis order
  std::vector<ChartMark> summaries;  // totals and the like, apart from the line
  bool usual = false;  // the usual intakes of the same sex, beside the one-day values
};

struct ChartData {
  ChartKind kind = ChartKind::mean;
  std::optional<kelvara::SchemeId> scheme;  // the block's age-group scheme
  QString title;           // the variable's name
  QStringList categories;  // the axis: the age bands, then the summaries
  int bandCount = 0;       // how many of the categories are age bands
  std::vector<ChartSeriesData> series;  // 男, 女, then 男女 when shown
  QString valueTitle;      // what the value axis shows
  QString note;            // the error bars, the marks, and what was left out

  bool empty() const;
  bool HasReferenceMarks() const;
  // The lowest and highest intake drawn (reference values left out: the
  // value axis keeps to the intakes).
  double Lowest() const;
  double Highest() const;
};

// The chart of a block. Groups with fewer than two persons, or with an empty
// field that the chart needs, are left out and named in the note, as are
// groups whose label no age-group scheme holds. Both-sexes groups are drawn
// only when asked for.
ChartData BuildChartData(const kelvara::ReportBlock& block, ChartKind kind, bool withBothSexes);

// Whether `usual` is the usual-intake block of `block` (【name（習慣的摂取量）】).
bool IsUsualIntakeOf(const kelvara::ReportBlock& usual, const kelvara::ReportBlock& block);

// A distribution chart with the usual intakes of `usual` beside each sex's
// one-day values, so that the narrower spread of the usual intake shows.
void AddUsualIntakes(ChartData& data, const kelvara::ReportBlock& usual, bool withBothSexes);
