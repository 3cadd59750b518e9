// What a reference table can judge of one survey column, as the design
// dialog's nutrient table shows it before the run.
#pragma once

#include <QString>
#include <cstdint>
#include <span>
#include <string>

#include "engine/statistics/reference_judgement.h"

struct NutrientJudging {
  // The figures the table gives the column's nutrient ("EAR・UL"), or why
  // it judges nothing.
  QString figures;
  // For each figure, the persons of the file who have a value
  // ("EAR 520人・UL 430人（595人中）"); empty when the persons are not known.
  QString persons;
  // The column names a nutrient the table lacks, or a unit it cannot convert.
  bool problem = false;
};

// `choice` as the dialog stands, `column` and its header text (code page
// 932); `personsOfClass` the file's classified persons by person class
// (kelvara::kPersonClasses long, or empty when the sex, age and pregnancy
// columns are not chosen).
NutrientJudging DescribeNutrientJudging(const kelvara::ReferenceChoice& choice, int column,
                                        const std::string& header,
                                        std::span<const int64_t> personsOfClass);
