// The shipped reference tables, read back through kelvara-tab by name. For
// each value, one person at the value and one just past it show, in the share
// printed for that figure, that the person was judged against that very
// number. The numbers below are typed from the published tables, not taken
// from the shipped files: a wrong number, a lost `+`, a value in the wrong
// band or an addition put on the wrong base fails here.
#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/judged_shares.h"

namespace {

using kelvara::testing::JudgedPerson;
using kelvara::testing::JudgeOnePerson;

// The share each figure is printed as: EAR未満, AI以上, UL超, DG外.
enum class Figure { ear, ai, ul, dgMin, dgMax, dgBelow };

size_t Slot(Figure figure) {
  switch (figure) {
    case Figure::ear: return 0;
    case Figure::ai: return 1;
    case Figure::ul: return 2;
    default: return 3;
  }
}

struct Shipped {
  const char* page;    // where the published table prints the number
  const char* column;  // the survey column
  int sex;
  const char* age;
  int code;            // 0, 1 pregnant, 2 lactating
  Figure figure;
  const char* value;   // the value that applies to this person (base + addition)
  std::vector<std::string> options = {};
};

// A person for whom the table must give no value for this figure.
struct Unjudged {
  const char* why;
  const char* column;
  int sex;
  const char* age;
  int code;
  Figure figure;
  std::vector<std::string> options = {};
};

std::string Shifted(const std::string& value, double by) {
  double number = 0;
  std::from_chars(value.data(), value.data() + value.size(), number);
  std::array<char, 32> text{};
  const auto end = std::to_chars(text.data(), text.data() + text.size(), number + by,
                                 std::chars_format::fixed, 2).ptr;
  return std::string(text.data(), end);
}

void ExpectValuesUsed(const std::string& table, const std::string& title,
                      const std::vector<Shipped>& values) {
  for (const Shipped& v : values) {
    // Just past the value on the side its figure counts: below an EAR, AI or
    // DG lower end, above a UL or DG upper end; the DG "X未満" counts X itself
    // as outside.
    const bool countsAbove = v.figure == Figure::ul || v.figure == Figure::dgMax;
    const std::string past = Shifted(v.value, countsAbove ? 0.01 : -0.01);
    const bool atCounts = v.figure == Figure::ai || v.figure == Figure::dgBelow;
    const bool pastCounts = !atCounts;
    for (const auto& [intake, counted] :
         {std::pair<std::string, bool>{v.value, atCounts}, {past, pastCounts}}) {
      const JudgedPerson person{v.column, v.sex, v.age, v.code, intake};
      const auto judged = JudgeOnePerson(KELVARA_TAB, table, person, v.options);
      const std::string where = std::string(v.page) + ": " + v.column + " sex " +
                                std::to_string(v.sex) + " age " + v.age + " code " +
                                std::to_string(v.code) + " intake " + intake;
      ASSERT_EQ(judged.error, "") << where;
      EXPECT_EQ(judged.referenceLine.rfind("基準値：" + title + "、", 0), 0u)
          << where << "\n" << judged.referenceLine;
      EXPECT_EQ(judged.percent[Slot(v.figure)], counted ? 100.0 : 0.0)
          << where << "\n" << judged.referenceLine;
    }
  }
}

void ExpectUnjudged(const std::string& table, const std::vector<Unjudged>& persons) {
  for (const Unjudged& u : persons) {
    const auto judged =
        JudgeOnePerson(KELVARA_TAB, table, {u.column, u.sex, u.age, u.code, "1"}, u.options);
    ASSERT_EQ(judged.error, "") << u.why;
    EXPECT_EQ(judged.percent[Slot(u.figure)], std::nullopt) << u.why << "\n" << judged.referenceLine;
  }
}

using F = Figure;
const std::vector<std::string> kMenstruating = {"--menstruation", "yes"};
const std::vector<std::string> kNotMenstruating = {"--menstruation", "no"};
const std::vector<std::string> kEarly = {"--pregnancy-stage", "early"};
const std::vector<std::string> kMid = {"--pregnancy-stage", "mid"};
const std::vector<std::string> kLate = {"--pregnancy-stage", "late"};

// 「日本人の食事摂取基準（2025年版）」策定検討会報告書, read from its pages.
TEST(ShippedReferenceValues, Edition2025AsPrintedOnTheReportsPages) {
  const char* iron = "2025 p.345 鉄の食事摂取基準";
  const char* vitaminD = "2025 p.182 ビタミンDの食事摂取基準";
  const char* children = "2025 p.381 表15 小児（12～14歳）";
  const char* lactation = "2025 p.363 授乳婦の食事摂取基準";
  ExpectValuesUsed("dri2025", "日本人の食事摂取基準（2025年版）", {
      // Iron EAR by band; women 10-64 by the menstruation chosen.
      {iron, "鉄", 1, "1", 0, F::ear, "3.0"},
      {iron, "鉄", 2, "9", 0, F::ear, "6.0"},
      {iron, "鉄", 1, "10", 0, F::ear, "6.5"},
      {iron, "鉄", 1, "13", 0, F::ear, "7.5"},
      {iron, "鉄", 2, "15", 0, F::ear, "7.5", kMenstruating},
      {iron, "鉄", 2, "15", 0, F::ear, "5.5", kNotMenstruating},
      {iron, "鉄", 1, "29.5", 0, F::ear, "5.5"},
      {iron, "鉄", 1, "30", 0, F::ear, "6.0"},
      {iron, "鉄", 2, "45", 0, F::ear, "7.5", kMenstruating},
      {iron, "鉄", 2, "64", 0, F::ear, "5.0", kNotMenstruating},
      {iron, "鉄", 1, "65", 0, F::ear, "5.5"},
      {iron, "鉄", 2, "80", 0, F::ear, "4.5"},
      // Pregnancy and lactation add to the value without menstruation (5.0
      // at 30): +2.0 early, +7.0 mid and late, +1.5 lactating (also p.363).
      {iron, "鉄", 2, "30", 1, F::ear, "7.0", {"--pregnancy-stage", "early"}},
      {iron, "鉄", 2, "30", 1, F::ear, "12.0", {"--pregnancy-stage", "late"}},
      {iron, "鉄", 2, "30", 2, F::ear, "6.5"},
      // Vitamin D: AI and UL, the same for both sexes; 9.0 pregnant and lactating.
      {vitaminD, "ビタミンD", 1, "2", 0, F::ai, "3.5"},
      {vitaminD, "ビタミンD", 1, "2", 0, F::ul, "25"},
      {vitaminD, "ビタミンD", 2, "5", 0, F::ai, "4.5"},
      {vitaminD, "ビタミンD", 2, "7", 0, F::ul, "40"},
      {vitaminD, "ビタミンD", 1, "11", 0, F::ai, "8.0"},
      {vitaminD, "ビタミンD", 1, "11", 0, F::ul, "60"},
      {vitaminD, "ビタミンD", 2, "16", 0, F::ul, "90"},
      {vitaminD, "ビタミンD", 1, "75", 0, F::ai, "9.0"},
      {vitaminD, "ビタミンD", 1, "75", 0, F::ul, "100"},
      {vitaminD, "ビタミンD", 2, "30", 1, F::ai, "9.0"},
      {vitaminD, "ビタミンD", 2, "30", 2, F::ai, "9.0"},
      // Children 12-14, the re-listed table.
      {children, "たんぱく質", 1, "13", 0, F::ear, "50"},
      {children, "たんぱく質", 2, "12", 0, F::ear, "45"},
      {children, "n-3系脂肪酸", 1, "14", 0, F::ai, "2.2"},
      {children, "n-6系脂肪酸", 2, "13", 0, F::ai, "11"},
      {children, "食物繊維総量", 1, "13", 0, F::dgMin, "17"},
      {children, "食物繊維総量", 2, "13", 0, F::dgMin, "16"},
      {children, "ビタミンA", 1, "13", 0, F::ear, "550"},
      {children, "ビタミンE", 1, "13", 0, F::ai, "6.5"},
      {children, "ビタミンE", 1, "13", 0, F::ul, "650"},
      {children, "ビタミンE", 2, "13", 0, F::ul, "600"},
      {children, "ビタミンK", 2, "13", 0, F::ai, "150"},
      {children, "ビタミンB1", 1, "13", 0, F::ear, "0.8"},
      {children, "ビタミンB2", 2, "13", 0, F::ear, "1.2"},
      {children, "ナイアシン当量", 1, "13", 0, F::ear, "12"},
      {children, "ビタミンB6", 2, "13", 0, F::ear, "1.1"},
      {children, "ビタミンB12", 1, "13", 0, F::ai, "4.0"},
      {children, "葉酸", 2, "14", 0, F::ear, "190"},
      {children, "パントテン酸", 1, "12", 0, F::ai, "7"},
      // Lactation: additions on the 12-14 girl's value, and values outright.
      {lactation, "たんぱく質", 2, "13", 2, F::ear, "60"},   // 45 + 15
      {lactation, "ビタミンA", 2, "13", 2, F::ear, "800"},   // 500 + 300
      {lactation, "ビタミンB2", 2, "13", 2, F::ear, "1.7"},  // 1.2 + 0.5
      {lactation, "葉酸", 2, "13", 2, F::ear, "270"},        // 190 + 80
      {lactation, "ビタミンE", 2, "30", 2, F::ai, "5.5"},
      {lactation, "ビオチン", 2, "30", 2, F::ai, "50"},
      {lactation, "ナトリウム", 2, "30", 2, F::ear, "600"},
      {lactation, "食塩相当量", 2, "30", 2, F::ear, "1.5"},
      {lactation, "食塩相当量", 2, "30", 2, F::dgBelow, "6.5"},
      {lactation, "カリウム", 2, "30", 2, F::ai, "2000"},
      {lactation, "カリウム", 2, "30", 2, F::dgMin, "2600"},
      {lactation, "リン", 2, "30", 2, F::ai, "800"},
      {lactation, "クロム", 2, "30", 2, F::ai, "10"},
      // The nutrients' own tables (pp.103-352) for the other bands and
      // states. Pregnancy and lactation add to the 30-49 woman's value.
      {"2025 p.283 カルシウム", "カルシウム", 1, "40", 0, F::ear, "650"},
      {"2025 p.283 カルシウム", "カルシウム", 2, "70", 0, F::ul, "2500"},
      {"2025 p.242 ビタミンC", "ビタミンC", 2, "50", 0, F::ear, "80"},
      {"2025 p.282 カリウム", "カリウム", 1, "70", 0, F::ai, "2500"},
      {"2025 p.282 カリウム", "カリウム", 2, "4", 0, F::dgMin, "1400"},
      {"2025 p.281 ナトリウム", "食塩相当量", 1, "2", 0, F::dgBelow, "3.0"},
      {"2025 p.281 ナトリウム", "食塩相当量", 1, "16", 0, F::dgBelow, "7.5"},
      {"2025 p.281 ナトリウム", "ナトリウム", 1, "50", 0, F::ear, "600"},
      {"2025 p.346 亜鉛", "亜鉛", 2, "30", 1, F::ear, "8.5", kLate},        // 6.5 + 2.0
      {"2025 p.239 葉酸", "葉酸", 2, "30", 1, F::ear, "400", kMid},          // 200 + 200
      {"2025 p.352 モリブデン", "モリブデン", 2, "30", 2, F::ear, "22.5"},  // 20 + 2.5
      {"2025 p.349 ヨウ素", "ヨウ素", 2, "30", 1, F::ul, "2000"},
      {"2025 p.284 マグネシウム", "マグネシウム", 2, "70", 0, F::ear, "240"},
      {"2025 p.144 食物繊維", "食物繊維総量", 1, "40", 0, F::dgMin, "22"},
      {"2025 p.103 たんぱく質", "たんぱく質エネルギー比率", 1, "60", 0, F::dgMin, "14"},
      {"2025 p.126 脂質", "脂肪エネルギー比率", 2, "45", 0, F::dgMax, "30"},
      {"2025 p.127 飽和脂肪酸", "飽和脂肪酸エネルギー比率", 1, "16", 0, F::dgMax, "9"},
  });
  ExpectUnjudged("dri2025", {
      {"p.345: the 2025 table gives iron no UL", "鉄", 1, "30", 0, F::ul},
      {"p.182: no vitamin D UL for pregnant women", "ビタミンD", 2, "30", 1, F::ul},
      {"p.381: vitamin A UL is of preformed vitamin A", "ビタミンA", 1, "13", 0, F::ul},
      {"p.381: niacin UL is of nicotinamide", "ナイアシン当量", 1, "13", 0, F::ul},
      {"p.381: folate UL is of folic acid from supplements", "葉酸", 2, "14", 0, F::ul},
      {"p.381: vitamin B6 UL is of pyridoxine", "ビタミンB6", 2, "13", 0, F::ul},
      {"p.284: the magnesium UL is for sources other than food", "マグネシウム", 1, "40", 0, F::ul},
      {"p.183: men 65-74, the sources differ (7.5, 7.0) and no page decides",
       "ビタミンE", 1, "70", 0, F::ai},
  });
}

// 日本人の食事摂取基準（2020年版）. The first values were typed from
// transcriptions of its tables; those from the iron on were typed from the
// text of the report PDF's tables and of the English edition, cited by the
// PDF page and the English edition's page (reference/dri2020-check.md).
TEST(ShippedReferenceValues, Edition2020AsTranscribedFromItsTables) {
  const char* vitaminC = "2020 ビタミンC, transcribed";
  const char* zinc = "2020 亜鉛, transcribed";
  const char* potassium = "2020 カリウム, transcribed";
  const char* salt = "2020 食塩相当量, transcribed";
  const char* calcium = "2020 カルシウム, transcribed";
  ExpectValuesUsed("dri2020", "日本人の食事摂取基準（2020年版）", {
      {vitaminC, "ビタミンC", 1, "1", 0, F::ear, "35"},
      {vitaminC, "ビタミンC", 2, "4", 0, F::ear, "40"},
      {vitaminC, "ビタミンC", 1, "7", 0, F::ear, "50"},
      {vitaminC, "ビタミンC", 2, "9", 0, F::ear, "60"},
      {vitaminC, "ビタミンC", 1, "11", 0, F::ear, "70"},
      {vitaminC, "ビタミンC", 2, "13", 0, F::ear, "85"},
      {vitaminC, "ビタミンC", 1, "64", 0, F::ear, "85"},
      {vitaminC, "ビタミンC", 2, "65", 0, F::ear, "80"},
      {vitaminC, "ビタミンC", 1, "80", 0, F::ear, "80"},
      {zinc, "亜鉛", 1, "25", 0, F::ear, "9"},
      {zinc, "亜鉛", 1, "25", 0, F::ul, "40"},
      {zinc, "亜鉛", 1, "40", 0, F::ul, "45"},
      {zinc, "亜鉛", 1, "70", 0, F::ul, "40"},
      {zinc, "亜鉛", 2, "30", 0, F::ear, "7"},
      {zinc, "亜鉛", 2, "30", 0, F::ul, "35"},
      {zinc, "亜鉛", 2, "80", 0, F::ear, "6"},
      {zinc, "亜鉛", 2, "80", 0, F::ul, "30"},
      {potassium, "カリウム", 1, "1", 0, F::ai, "900"},
      {potassium, "カリウム", 2, "5", 0, F::ai, "1000"},
      {potassium, "カリウム", 2, "5", 0, F::dgMin, "1400"},
      {potassium, "カリウム", 1, "6", 0, F::ai, "1300"},
      {potassium, "カリウム", 2, "7", 0, F::ai, "1200"},
      {potassium, "カリウム", 1, "9", 0, F::dgMin, "2000"},
      {potassium, "カリウム", 1, "11", 0, F::dgMin, "2200"},
      {potassium, "カリウム", 2, "10", 0, F::dgMin, "2000"},
      {potassium, "カリウム", 1, "13", 0, F::ai, "2300"},
      {potassium, "カリウム", 1, "16", 0, F::ai, "2700"},
      {potassium, "カリウム", 1, "16", 0, F::dgMin, "3000"},
      {potassium, "カリウム", 2, "16", 0, F::dgMin, "2600"},
      {potassium, "カリウム", 1, "50", 0, F::ai, "2500"},
      {potassium, "カリウム", 2, "80", 0, F::ai, "2000"},
      {potassium, "カリウム", 2, "80", 0, F::dgMin, "2600"},
      {salt, "食塩相当量", 1, "30", 0, F::dgBelow, "7.5"},
      {salt, "食塩相当量", 2, "18", 0, F::dgBelow, "6.5"},
      {salt, "食塩相当量", 1, "75", 0, F::dgBelow, "7.5"},
      {calcium, "カルシウム", 1, "18", 0, F::ul, "2500"},
      {calcium, "カルシウム", 2, "80", 0, F::ul, "2500"},
      {"2020 PDF p.373, English p.35 鉄", "鉄", 2, "20", 0, F::ear, "8.5", kMenstruating},
      {"2020 PDF p.373, English p.35 鉄", "鉄", 2, "30", 1, F::ear, "13.5", kMid},  // 5.5 + 8.0
      {"2020 PDF p.315, English p.32 カルシウム", "カルシウム", 1, "70", 0, F::ear, "600"},
      {"2020 PDF p.213, English p.18 ビタミンD", "ビタミンD", 2, "13", 0, F::ai, "9.5"},
      {"2020 PDF p.313, English p.30 ナトリウム", "食塩相当量", 1, "13", 0, F::dgBelow, "7.0"},
      {"2020 PDF p.266, English p.23 ナイアシン", "ナイアシン当量", 2, "16", 0, F::ear, "11"},
      {"2020 PDF p.269, English p.26 葉酸", "葉酸", 2, "30", 1, F::ear, "400", kLate},  // 200 + 200
      {"2020 PDF p.314, English p.31 カリウム", "カリウム", 2, "30", 1, F::ai, "2000"},
      {"2020 PDF p.133, English p.9 たんぱく質", "たんぱく質エネルギー比率", 1, "55", 0, F::dgMin, "14"},
  });
  ExpectUnjudged("dri2020", {
      {"English p.26: the folate addition is for mid and late pregnancy only", "葉酸", 2, "30", 1,
       F::ear, kEarly},
      {"English p.33: the magnesium UL is a footnote, absent from the PDF's table text", "マグネシウム", 1,
       "30", 0, F::ul},
  });
}

}  // namespace
