#include "ui/settings/judging_notice.h"

#include <QStringList>

#include "ui/window/display_text.h"

namespace {

// A notice names this many gaps at most; the reference line of each block
// counts them all.
constexpr int kShownGaps = 12;

QString Reason(kelvara::NotJudged reason) {
  switch (reason) {
    case kelvara::NotJudged::underOneYear: return QStringLiteral("1歳未満のため");
    case kelvara::NotJudged::stageNotChosen: return QStringLiteral("妊娠期が未選択のため");
    case kelvara::NotJudged::menstruationNotChosen:
      return QStringLiteral("月経の有無が未選択のため");
    case kelvara::NotJudged::noValue:
    case kelvara::NotJudged::judged: break;
  }
  return QStringLiteral("基準値表に値がないため");
}

// "10～64歳の女性", "妊婦", "1～17歳の男女": whom a gap holds.
QString Persons(const kelvara::JudgingGap& gap) {
  QString ages;
  if (gap.reason != kelvara::NotJudged::underOneYear) {
    if (gap.oldest >= 150) {
      ages = QStringLiteral("%1歳以上の").arg(gap.youngest);
    } else if (gap.youngest == gap.oldest) {
      ages = QStringLiteral("%1歳の").arg(gap.youngest);
    } else {
      ages = QStringLiteral("%1～%2歳の").arg(gap.youngest).arg(gap.oldest);
    }
  }
  const bool female = gap.women || gap.pregnant || gap.lactating;
  if (!gap.men && !gap.women && !gap.otherSex && (gap.pregnant || gap.lactating)) {
    // Their ages are those of every band: the state says who they are.
    if (!gap.lactating) return QStringLiteral("妊婦");
    if (!gap.pregnant) return QStringLiteral("授乳婦");
    return QStringLiteral("妊婦・授乳婦");
  }
  if (gap.otherSex && !gap.men && !female) return ages + QStringLiteral("性別が1・2以外の");
  if (gap.men && !female && !gap.otherSex) return ages + QStringLiteral("男性");
  if (female && !gap.men && !gap.otherSex) return ages + QStringLiteral("女性");
  return ages + QStringLiteral("男女");
}

QString Figures(uint8_t figures) {
  static const char* const kNames[] = {"EAR", "AI", "UL", "DG"};
  QStringList names;
  for (size_t f = 0; f < kelvara::kJudgedFigures; ++f) {
    if ((figures >> f) & 1) names.append(QString::fromLatin1(kNames[f]));
  }
  return names.join(QStringLiteral("・"));
}

}  // namespace

QString JudgingNotice(const std::vector<kelvara::JudgingGaps>& judging) {
  QStringList lines;
  int gaps = 0;
  for (const kelvara::JudgingGaps& variable : judging) {
    for (const kelvara::JudgingGap& gap : variable.gaps) {
      if (++gaps > kShownGaps) continue;
      lines.append(QStringLiteral("%1、%2%L3人を%4の%5について判定していません。")
                       .arg(Reason(gap.reason), Persons(gap))
                       .arg(gap.persons)
                       .arg(DisplayText(variable.name), Figures(gap.figures)));
    }
  }
  if (gaps > kShownGaps) {
    lines.append(QStringLiteral("ほかに %1 件（各変数の最後の行に判定しなかった人数があります）。")
                     .arg(gaps - kShownGaps));
  }
  return lines.join(QLatin1Char('\n'));
}
