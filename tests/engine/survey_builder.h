// Small survey data files for tests, and their report through either
// tabulation path (the engine, or the straightforward reference).
#pragma once

#include <string>
#include <vector>

#include "engine/tabulation.h"
#include "tests/support/temp_dir.h"
#include "tests/reference/reference_tabulation.h"

namespace kelvara::testing {

// Columns: 0 unit, 1 sex, 2 age, 3 pregnancy, 4 value, 5 weight, 6 stratum.
struct Respondent {
  std::string unit = "1", sex = "1", age = "30", pregnancy = "0", value = "0", weight = "1",
              stratum = "1";
};

inline std::string SurveyFile(const std::vector<Respondent>& respondents) {
  std::string text = "unit,sex,age,preg,value,weight,stratum\r\n";
  for (const Respondent& r : respondents) {
    text += r.unit + "," + r.sex + "," + r.age + "," + r.pregnancy + "," + r.value + "," +
            r.weight + "," + r.stratum + "\r\n";
  }
  return text;
}

constexpr int kStratumColumn = 6;

enum class Path { engine, reference };

// The four schemes, for tests that go through them by number.
inline constexpr SchemeId kSchemes[] = {SchemeId::table1, SchemeId::table2, SchemeId::part5,
                                        SchemeId::category};

struct Choice {
  bool unit = false;
  bool weight = false;
  SchemeId scheme = SchemeId::table1;
  DesignOptions design = {};
};

inline std::vector<std::string> Tabulate(Path path, const std::string& file, Choice choice) {
  const int unit = choice.unit ? 0 : -1;
  const int weight = choice.weight ? 5 : -1;
  const SchemeId scheme = choice.scheme;
  if (path == Path::reference) {
    return reference::TabulateVariable(file, unit, 1, 2, 3, 4, weight, scheme,
                                       choice.design);
  }
  std::vector<std::string> lines;
  const LineSink sink = [&](std::string_view line) { lines.emplace_back(line); };
  if (choice.design.strataColumn < 0 && !choice.design.addsColumns()) {
    TabulateVariable(file, unit, 1, 2, 3, 4, weight, scheme, sink);
  } else {
    const RunRequest request{file, {unit, 1, 2, 3, weight}, {4}, scheme, choice.design, {}, {}};
    TabulateVariables(request, sink);
  }
  return lines;
}

inline std::vector<std::string> Tabulate(Path path, const std::vector<Respondent>& respondents,
                                         Choice choice) {
  TempDir dir;
  return Tabulate(path, dir.Write("survey.csv", SurveyFile(respondents)), choice);
}

// The report line of the group with this label (code page 932), or "".
inline std::string LineOf(const std::vector<std::string>& lines, const std::string& label) {
  const std::string prefix = "\"" + label + "\",";
  for (const std::string& line : lines) {
    if (line.rfind(prefix, 0) == 0) return line.substr(prefix.size() - 1);
  }
  return {};
}

// Labels used by the tests, in code page 932.
inline const std::string kMaleTotal = "\x92j\x91\x8D\x90\x94";          // 男総数
inline const std::string kMale70Plus = "\x92j70\x88\xC8\x8F\xE3";       // 男70以上
inline const std::string kFemalePregnant = "\x8F\x97\x94\x44\x95\x77";  // 女妊婦
inline const std::string kBothTotal = "\x92j\x8F\x97\x91\x8D\x90\x94";  // 男女総数
inline const std::string kFemaleTotal = "\x8F\x97\x91\x8D\x90\x94";       // 女総数

}  // namespace kelvara::testing
