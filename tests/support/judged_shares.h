// One person's intake judged by kelvara-tab against a reference table, so
// that a test of a table's values is a list of expectations: for a nutrient
// column, a sex, an age, a pregnancy code and an intake, which side of each
// reference value the intake falls on.
#pragma once

#include <array>
#include <charconv>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/program_run.h"
#include "tests/support/report_fields.h"
#include "tests/support/temp_dir.h"

namespace kelvara::testing {

struct JudgedPerson {
  std::string column;  // the survey column's header text (UTF-8), e.g. 鉄
  int sex = 1;
  std::string age;     // as in the survey cell, e.g. "30"
  int pregnancy = 0;   // 0 neither, 1 pregnant, 2 lactating
  std::string intake;  // as in the survey cell, e.g. "5.49"
};

// The percentages below the EAR, at or above the AI, above the UL and
// outside the DG (100 on the judged side, 0 not, nothing when the person has
// no such value) and the block's last line, for a survey file of the person
// twice (the added columns need a group of two). `reference` is what
// --reference takes; `extra` more options (alternatives, never other added
// columns). `error` receives kelvara-tab's message when it fails.
struct JudgedShares {
  std::array<std::optional<double>, 4> percent;
  std::string referenceLine;  // UTF-8, without quotes
  std::string error;
};

inline JudgedShares JudgeOnePerson(const std::string& tab, const std::string& reference,
                                   const JudgedPerson& person,
                                   const std::vector<std::string>& extra = {}) {
  TempDir dir;
  std::string survey = "\xE6\x80\xA7\xE5\x88\xA5,\xE5\xB9\xB4\xE9\xBD\xA2,"  // 性別,年齢,
                       "\xE5\xA6\x8A\xE5\xA9\xA6," + person.column + "\n";   // 妊婦,
  const std::string row = std::to_string(person.sex) + "," + person.age + "," +
                          std::to_string(person.pregnancy) + "," + person.intake + "\n";
  survey += row + row;
  std::vector<std::string> args = {"--sex", "1", "--age", "2", "--pregnancy", "3",
                                   "--reference", reference, "--utf8"};
  args.insert(args.end(), extra.begin(), extra.end());
  args.push_back(dir.Write("survey.csv", survey));
  args.push_back("4");
  const ProgramOutcome outcome = RunProgram(tab, args);
  JudgedShares shares;
  if (outcome.status != 0) {
    shares.error = outcome.err.empty() ? "kelvara-tab failed" : outcome.err;
    return shares;
  }
  const std::vector<std::string> lines = ReportLines(outcome.out);
  // Each share is found by its title: the report puts the persons judged
  // before it.
  static const char* const kShareTitles[] = {"\"EAR未満の割合(%)\"", "\"AI以上の割合(%)\"",
                                             "\"UL超の割合(%)\"", "\"DG外の割合(%)\""};
  std::array<size_t, 4> column{};
  for (const std::string& line : lines) {
    const std::vector<std::string> fields = ReportFields(line);
    if (fields.front() == "\"性年齢\"") {
      for (size_t f = 0; f < 4; ++f) {
        for (size_t c = 0; c < fields.size(); ++c) {
          if (fields[c] == kShareTitles[f]) column[f] = c;
        }
      }
      continue;
    }
    if (fields.size() > 2 && fields[1] == "2" && column[0] > 0) {
      for (size_t f = 0; f < 4; ++f) {
        const std::string& cell = fields.at(column[f]);
        double value = 0;
        if (!cell.empty() && std::from_chars(cell.data(), cell.data() + cell.size(), value).ec ==
                                 std::errc()) {
          shares.percent[f] = value;
        }
      }
      break;
    }
  }
  if (lines.size() >= 2) {
    shares.referenceLine = lines[lines.size() - 2];
    if (shares.referenceLine.size() >= 2) {
      shares.referenceLine = shares.referenceLine.substr(1, shares.referenceLine.size() - 2);
    }
  }
  return shares;
}

}  // namespace kelvara::testing
