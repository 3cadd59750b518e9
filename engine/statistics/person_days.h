// Survey files with a row per person-day: which rows belong to which person.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/reading/survey_data.h"

namespace kelvara {

// Persons in the order of their first row. Person p's rows (file order) are
// dayRows[dayStart[p] .. dayStart[p + 1]); the first of them carries the
// person's weight, unit, stratum, sex, age and pregnancy.
struct PersonDays {
  std::vector<uint32_t> firstRow;
  std::vector<uint32_t> dayStart;
  std::vector<uint32_t> dayRows;
  // Rows whose person cell is empty: each stands as a person of its own whose
  // classification is unusable, so no row is lost and none is counted twice.
  uint32_t rowsWithoutPerson = 0;
  // Persons with a row whose weight, unit, stratum, sex, age or pregnancy
  // differs from their first row's (a usable cell and an unusable one
  // differing too): the first row's are taken, and the report says how many.
  uint32_t disagreeingPersons = 0;

  size_t personCount() const { return firstRow.size(); }
};

// Groups the rows by the person cell's exact bytes (SurveyData::personKey).
PersonDays GroupPersonDays(const SurveyData& data);

// Every row a person of one day, for a survey without a person column.
PersonDays OneDayPerRow(size_t rowCount);

// The persons as rows: each person's first row, with the values of the
// first row (the one-day figures of the ordinary block).
SurveyData FirstRows(const SurveyData& data, const PersonDays& persons);

}  // namespace kelvara
