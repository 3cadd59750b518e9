#include "engine/statistics/person_days.h"

#include <cmath>
#include <string_view>
#include <type_traits>
#include <unordered_map>

namespace kelvara {

namespace {

// Whether two rows carry the same classification and weight, cell by cell
// as read (two cells read as no number agree).
bool SameClassification(const SurveyData& data, uint32_t a, uint32_t b) {
  auto same = [&](const auto& column) {
    if (column.empty() || column[a] == column[b]) return true;
    if constexpr (std::is_floating_point_v<std::decay_t<decltype(column[a])>>) {
      return std::isnan(column[a]) && std::isnan(column[b]);
    }
    return false;
  };
  return data.classifiable[a] == data.classifiable[b] && same(data.weight) &&
         same(data.unitCode) && same(data.stratumCode) && same(data.sex) && same(data.age) &&
         same(data.pregnancy);
}

}  // namespace

PersonDays GroupPersonDays(const SurveyData& data) {
  PersonDays persons;
  const size_t rows = data.rowCount;
  std::vector<uint32_t> personOfRow(rows);
  std::unordered_map<std::string_view, uint32_t> byKey;
  byKey.reserve(rows);
  for (size_t row = 0; row < rows; ++row) {
    const std::string_view key = data.personKey[row];
    uint32_t person = static_cast<uint32_t>(persons.firstRow.size());
    if (key.empty()) {
      ++persons.rowsWithoutPerson;
    } else if (auto [found, added] = byKey.try_emplace(key, person); !added) {
      person = found->second;
    }
    if (person == persons.firstRow.size()) persons.firstRow.push_back(static_cast<uint32_t>(row));
    personOfRow[row] = person;
  }
  // Counting sort of the rows by person, file order kept within a person.
  persons.dayStart.assign(persons.firstRow.size() + 1, 0);
  for (uint32_t person : personOfRow) ++persons.dayStart[person + 1];
  for (size_t p = 0; p < persons.firstRow.size(); ++p) {
    persons.dayStart[p + 1] += persons.dayStart[p];
  }
  persons.dayRows.resize(rows);
  std::vector<uint32_t> next(persons.dayStart.begin(), persons.dayStart.end() - 1);
  for (size_t row = 0; row < rows; ++row) {
    persons.dayRows[next[personOfRow[row]]++] = static_cast<uint32_t>(row);
  }
  for (size_t p = 0; p < persons.firstRow.size(); ++p) {
    for (uint32_t j = persons.dayStart[p] + 1; j < persons.dayStart[p + 1]; ++j) {
      if (!SameClassification(data, persons.firstRow[p], persons.dayRows[j])) {
        ++persons.disagreeingPersons;
        break;
      }
    }
  }
  return persons;
}

PersonDays OneDayPerRow(size_t rowCount) {
  PersonDays persons;
  persons.firstRow.resize(rowCount);
  persons.dayStart.resize(rowCount + 1);
  persons.dayRows.resize(rowCount);
  for (size_t row = 0; row < rowCount; ++row) {
    persons.firstRow[row] = persons.dayRows[row] = static_cast<uint32_t>(row);
    persons.dayStart[row + 1] = static_cast<uint32_t>(row + 1);
  }
  return persons;
}

SurveyData FirstRows(const SurveyData& data, const PersonDays& persons) {
  SurveyData first;
  first.rowCount = persons.personCount();
  first.encoding = data.encoding;
  first.hasUnitColumn = data.hasUnitColumn;
  first.hasStrataColumn = data.hasStrataColumn;
  auto pick = [&](const auto& byRow, auto& byPerson) {
    if (byRow.empty()) return;
    byPerson.resize(first.rowCount);
    for (size_t p = 0; p < first.rowCount; ++p) byPerson[p] = byRow[persons.firstRow[p]];
  };
  pick(data.unitCode, first.unitCode);
  pick(data.stratumCode, first.stratumCode);
  pick(data.sex, first.sex);
  pick(data.age, first.age);
  pick(data.pregnancy, first.pregnancy);
  pick(data.weight, first.weight);
  pick(data.classifiable, first.classifiable);
  for (size_t p = 0; p < first.rowCount; ++p) {
    if (data.personKey[persons.firstRow[p]].empty()) first.classifiable[p] = 0;
  }
  first.variables.resize(data.variables.size());
  for (size_t v = 0; v < data.variables.size(); ++v) {
    first.variables[v].name = data.variables[v].name;
    pick(data.variables[v].value, first.variables[v].value);
    pick(data.variables[v].valid, first.variables[v].valid);
  }
  return first;
}

}  // namespace kelvara
