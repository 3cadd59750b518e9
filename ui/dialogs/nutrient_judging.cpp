#include "ui/dialogs/nutrient_judging.h"

#include <QStringList>
#include <numeric>

#include "ui/window/display_text.h"

NutrientJudging DescribeNutrientJudging(const kelvara::ReferenceChoice& choice, int column,
                                        const std::string& header,
                                        std::span<const int64_t> personsOfClass) {
  NutrientJudging shown;
  const kelvara::ColumnNutrient match = kelvara::MatchColumnNutrient(choice, column, header);
  if (match.key.empty()) {
    shown.figures = QStringLiteral("判定しない");
    return shown;
  }
  if (!match.inTable) {
    shown.figures = QStringLiteral("基準値表にない栄養素");
    shown.problem = true;
    return shown;
  }
  if (!match.powerOfTen) {
    shown.figures = QStringLiteral("単位「%1」を表の「%2」に換算できない")
                        .arg(DisplayText(match.headerUnit), DisplayText(match.tableUnit));
    shown.problem = true;
    return shown;
  }
  const kelvara::NutrientReference nutrient(choice, match.key, *match.powerOfTen);
  static const char* const kFigureNames[] = {"EAR", "AI", "UL", "DG"};
  QStringList figures;
  QStringList persons;
  for (size_t f = 0; f < kelvara::kJudgedFigures; ++f) {
    const auto figure = static_cast<kelvara::JudgedFigure>(f);
    if (!nutrient.gives(figure)) continue;
    figures.append(QString::fromLatin1(kFigureNames[f]));
    if (personsOfClass.size() != kelvara::kPersonClasses) continue;
    int64_t judged = 0;
    for (uint16_t c = 0; c < personsOfClass.size(); ++c) {
      if (nutrient.reason(figure, c) == kelvara::NotJudged::judged) judged += personsOfClass[c];
    }
    persons.append(QStringLiteral("%1 %L2人").arg(QString::fromLatin1(kFigureNames[f])).arg(judged));
  }
  if (figures.isEmpty()) {
    shown.figures = QStringLiteral("判定できる値がない");
    shown.problem = true;
    return shown;
  }
  shown.figures = figures.join(QStringLiteral("・"));
  if (!nutrient.convertedUnit().empty()) {
    shown.figures += QStringLiteral("（%1に換算）").arg(DisplayText(nutrient.convertedUnit()));
  }
  if (nutrient.dgFromSalt()) shown.figures += QStringLiteral("（DGは食塩相当量から換算）");
  if (!persons.isEmpty()) {
    const int64_t all = std::accumulate(personsOfClass.begin(), personsOfClass.end(), int64_t{0});
    shown.persons = persons.join(QStringLiteral("・")) + QStringLiteral("（%L1人中）").arg(all);
  }
  return shown;
}
