// What the results tab says above a judged run's results: who was not judged
// for which value of which variable, and why, since the shares of their
// groups rest on fewer persons than the groups hold.
#pragma once

#include <QString>
#include <vector>

#include "engine/tabulation.h"

// One line per variable, reason and the persons left out, e.g.
// "月経の有無が未選択のため、10～64歳の女性177人を鉄のEARについて判定していません。";
// empty when everyone was judged for everything.
QString JudgingNotice(const std::vector<kelvara::JudgingGaps>& judging);
