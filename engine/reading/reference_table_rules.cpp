#include "engine/reading/reference_table_rules.h"

#include <limits>
#include <map>
#include <set>
#include <tuple>

namespace kelvara {
namespace {

std::string_view KindName(ReferenceKind kind) {
  switch (kind) {
    case ReferenceKind::ear: return "EAR";
    case ReferenceKind::rda: return "RDA";
    case ReferenceKind::ai: return "AI";
    case ReferenceKind::ul: return "UL";
    case ReferenceKind::dgMin: return "DG_min";
    case ReferenceKind::dgBelow: return "DG_below";
    case ReferenceKind::dgMax: return "DG_max";
  }
  return "";
}

std::string_view StateName(ReferenceState state) {
  switch (state) {
    case ReferenceState::general: return "（なし）";
    case ReferenceState::pregnantEarly: return "pregnant_early";
    case ReferenceState::pregnantMid: return "pregnant_mid";
    case ReferenceState::pregnantLate: return "pregnant_late";
    case ReferenceState::pregnant: return "pregnant";
    case ReferenceState::lactating: return "lactating";
    case ReferenceState::menstruating: return "menstruating";
    case ReferenceState::notMenstruating: return "not_menstruating";
  }
  return "";
}

// DG "X未満" and "X以下" both close the range from above: one band holds one
// of them at most.
int FigureSlot(ReferenceKind kind) {
  return kind == ReferenceKind::dgMax ? static_cast<int>(ReferenceKind::dgBelow)
                                      : static_cast<int>(kind);
}

bool IsPregnancyStage(ReferenceState state) {
  return state == ReferenceState::pregnantEarly || state == ReferenceState::pregnantMid ||
         state == ReferenceState::pregnantLate;
}

// Two rows that would both apply to one woman: the same state, or a value
// for every stage beside one for a single stage.
bool StatesCollide(ReferenceState a, ReferenceState b) {
  return a == b || (a == ReferenceState::pregnant && IsPregnancyStage(b)) ||
         (b == ReferenceState::pregnant && IsPregnancyStage(a));
}

int32_t UpperAge(const ReferenceValue& row) {
  return row.ageTo.value_or(std::numeric_limits<int32_t>::max());
}

std::string Band(const ReferenceValue& row) {
  return std::to_string(row.ageFrom) + "～" + (row.ageTo ? std::to_string(*row.ageTo) : "");
}

std::string Figure(const ReferenceValue& row) {
  return "栄養素 " + row.key + "・性別 " + std::to_string(row.sex) + "・状態 " +
         std::string(StateName(row.state)) + "・指標 " + std::string(KindName(row.kind));
}

void AddOverlaps(const ReferenceTable& table, std::vector<TableProblem>& problems) {
  std::map<std::tuple<std::string, int32_t, int>, std::vector<const ReferenceValue*>> rows;
  for (const ReferenceValue& row : table.values) {
    rows[{row.key, row.sex, FigureSlot(row.kind)}].push_back(&row);
  }
  for (const auto& [slot, group] : rows) {
    for (size_t j = 1; j < group.size(); ++j) {
      for (size_t i = 0; i < j; ++i) {
        const ReferenceValue& a = *group[i];
        const ReferenceValue& b = *group[j];
        if (!StatesCollide(a.state, b.state)) continue;
        if (a.ageFrom > UpperAge(b) || b.ageFrom > UpperAge(a)) continue;
        std::string what = Figure(b);
        if (a.kind != b.kind || a.state != b.state) {
          what += "（" + std::string(KindName(a.kind)) + "・" + std::string(StateName(a.state)) +
                  " の行と同じ人に当たります）";
        }
        if (a.ageFrom == b.ageFrom && a.ageTo == b.ageTo) {
          what += "：年齢 " + Band(b) + " に値が 2 つあります";
        } else {
          what += "：年齢 " + Band(a) + " と " + Band(b) + " が重なっています";
        }
        problems.push_back({b.line, a.line, what + "（一つの年齢階級には値を一つだけ書きます）"});
      }
    }
  }
}

// A requirement above the recommended amount, or a recommended or adequate
// amount above the upper level, is a slip of transcription.
void AddOrderProblems(const ReferenceTable& table, std::vector<TableProblem>& problems) {
  using BandKey = std::tuple<std::string, int32_t, int32_t, int32_t, ReferenceState>;
  std::map<BandKey, std::map<ReferenceKind, const ReferenceValue*>> bands;
  for (const ReferenceValue& row : table.values) {
    if (row.addition) continue;
    bands[{row.key, row.sex, row.ageFrom, UpperAge(row), row.state}].emplace(row.kind, &row);
  }
  auto above = [&](const ReferenceValue* low, const ReferenceValue* high) {
    if (!low || !high || low->totalIntake != high->totalIntake || low->unit != high->unit) return;
    if (low->number.ToDouble() <= high->number.ToDouble()) return;
    problems.push_back({low->line, high->line,
                        Figure(*low) + "：" + std::string(KindName(low->kind)) + " が " +
                            std::string(KindName(high->kind)) + " より大きくなっています"});
  };
  for (const auto& band : bands) {
    const std::map<ReferenceKind, const ReferenceValue*>& kinds = band.second;
    auto row = [&](ReferenceKind kind) {
      const auto found = kinds.find(kind);
      return found == kinds.end() ? nullptr : found->second;
    };
    above(row(ReferenceKind::ear), row(ReferenceKind::rda));
    above(row(ReferenceKind::rda), row(ReferenceKind::ul));
    above(row(ReferenceKind::ai), row(ReferenceKind::ul));
  }
}

}  // namespace

std::string TableProblem::Message() const {
  if (line == 0) return text;
  std::string message = std::to_string(line) + "行目";
  if (otherLine > 0) message += "と" + std::to_string(otherLine) + "行目";
  return message + "：" + text;
}

void AddCrossRecordProblems(const ReferenceTable& table, const std::vector<int>& nameLines,
                            std::vector<TableProblem>& problems) {
  std::map<std::string, std::pair<std::string, int>> keyOfName;  // header -> (key, line)
  std::set<std::string> namedKeys;
  for (size_t i = 0; i < table.names.size(); ++i) {
    const auto& [header, key] = table.names[i];
    namedKeys.insert(key);
    const auto [at, added] = keyOfName.try_emplace(header, key, nameLines[i]);
    if (!added && at->second.first != key) {
      problems.push_back({nameLines[i], at->second.second,
                          "同じ調査の列名が別の栄養素（" + at->second.first + " と " + key +
                              "）を指しています"});
    }
  }
  std::map<std::string, const ReferenceValue*> firstOfKey;  // its first row for total intake
  std::set<std::string> reported;
  for (const ReferenceValue& row : table.values) {
    if (!namedKeys.contains(row.key) && reported.insert(row.key).second) {
      problems.push_back({row.line, 0,
                          "栄養素 " + row.key +
                              " に値があるのに、それを指す調査の列名（name の行）がありません"});
    }
    if (!row.totalIntake) continue;
    const auto [first, added] = firstOfKey.try_emplace(row.key, &row);
    if (!added && first->second->unit != row.unit && reported.insert(row.key + "\n").second) {
      problems.push_back({row.line, first->second->line,
                          "栄養素 " + row.key +
                              " の総摂取量（total）の値の単位が違います（単位は栄養素ごとに一つ）"});
    }
  }
  AddOverlaps(table, problems);
  AddOrderProblems(table, problems);
}

}  // namespace kelvara
