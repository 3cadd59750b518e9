// The columns a user chose, by their header texts, so that they can be
// chosen again in a file with the same headers.
#pragma once

#include <QString>
#include <QStringList>

struct ColumnChoices {
  QString unit;
  QString weight;
  QString sex;
  QString age;
  QString pregnancy;
  QString strata;         // the stratum column of the sampling design
  QString person;         // the respondent's id of a file of person-days
  QString energy;         // the energy column of the energy adjustment
  QStringList variables;  // the ticked analysis variables
  // Cut-offs of single variables, each as "7.5=header" (a number holds no
  // '=', a header may).
  QStringList cutOffs;
  // Variance ratios of single variables, each as "R,SEX,AGE=header" (SEX 0
  // for both, AGE empty for every band), in the order given.
  QStringList varianceRatios;
};
