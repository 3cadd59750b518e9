// The reference table reader's refusals: each table below breaks one rule of
// the format, and the reader must refuse it naming the lines at fault, as the
// program reads a table and as kelvara-tab --check-reference checks one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/reading/reference_table.h"

namespace kelvara {
namespace {

// A sound table: lines 1 to 6.
const std::string kSound =
    "title,T\n"
    "name,iron,Fe\n"
    "value,iron,1,18,29,,EAR,6.5,mg,total,s\n"
    "value,iron,1,18,29,,RDA,7.5,mg,total,s\n"
    "value,iron,1,18,29,,UL,50,mg,total,s\n"
    "value,iron,2,,,pregnant_early,EAR,+2.0,mg,total,s\n";

struct Refusal {
  std::string lines;     // added after the sound table, from line 7
  std::string expected;  // the whole problem, lines and words
};

TEST(ReferenceTableReading, RefusesEachBrokenRuleNamingItsLines) {
  ASSERT_TRUE(ReferenceTableProblems(kSound).empty());
  const std::string keyRule =
      "栄養素のキーは英小文字で始まり、英小文字・数字・_ だけからなります（例：vitamin_c）";
  const std::vector<Refusal> refusals = {
      {"value,iron,1,18,29,,EAR,6.0,mg,total,s\n",
       "7行目と3行目：栄養素 iron・性別 1・状態 （なし）・指標 EAR：年齢 18～29 に値が 2 つあります"
       "（一つの年齢階級には値を一つだけ書きます）"},
      {"value,iron,1,25,,,UL,45,mg,total,s\n",
       "7行目と5行目：栄養素 iron・性別 1・状態 （なし）・指標 UL：年齢 18～29 と 25～ が重なって"
       "います（一つの年齢階級には値を一つだけ書きます）"},
      // A value for every stage beside one for a single stage.
      {"value,iron,2,,,pregnant,EAR,+8.0,mg,total,s\n",
       "7行目と6行目：栄養素 iron・性別 2・状態 pregnant・指標 EAR（EAR・pregnant_early の行と同じ人"
       "に当たります）：年齢 1～ に値が 2 つあります（一つの年齢階級には値を一つだけ書きます）"},
      // "X未満" and "X以下" both close a band's goal from above.
      {"value,iron,1,30,49,,DG_below,10,mg,total,s\nvalue,iron,1,40,49,,DG_max,12,mg,total,s\n",
       "8行目と7行目：栄養素 iron・性別 1・状態 （なし）・指標 DG_max（DG_below・（なし） の行と同じ人"
       "に当たります）：年齢 30～49 と 40～49 が重なっています（一つの年齢階級には値を一つだけ書きます）"},
      {"name,zinc,Fe\nvalue,zinc,1,18,,,EAR,8,mg,total,s\n",
       "7行目と2行目：同じ調査の列名が別の栄養素（iron と zinc）を指しています"},
      {"name,Zinc,Zn\n", "7行目：栄養素のキー「Zinc」が規則に合いません：" + keyRule},
      {"name,vitamin-c,C\n", "7行目：栄養素のキー「vitamin-c」が規則に合いません：" + keyRule},
      {"value,_zinc,1,18,,,EAR,8,mg,total,s\n", "7行目：栄養素のキー「_zinc」が規則に合いません：" + keyRule},
      {"value,iron,1,30,49,,EAR,6500,ug,total,s\n",
       "7行目と3行目：栄養素 iron の総摂取量（total）の値の単位が違います（単位は栄養素ごとに一つ）"},
      {"value,iron,1,30,49,,EAR,8.0,mg,total,s\nvalue,iron,1,30,49,,RDA,7.5,mg,total,s\n",
       "7行目と8行目：栄養素 iron・性別 1・状態 （なし）・指標 EAR：EAR が RDA より大きくなっています"},
      {"value,iron,1,30,49,,AI,60,mg,total,s\nvalue,iron,1,30,49,,UL,50,mg,total,s\n",
       "7行目と8行目：栄養素 iron・性別 1・状態 （なし）・指標 AI：AI が UL より大きくなっています"},
      {"value,zinc,1,18,,,EAR,8,mg,total,s\n",
       "7行目：栄養素 zinc に値があるのに、それを指す調査の列名（name の行）がありません"},
      {"value,iron,1,30,49,,EAR,1234567890,mg,total,s\n",
       "7行目：値は小数点の前と後ろそれぞれ 9 桁までの数です（例：7.5）"},
      {"value,iron,1,30,49,,EAR,1.1234567890,mg,total,s\n",
       "7行目：値は小数点の前と後ろそれぞれ 9 桁までの数です（例：7.5）"},
      {"value,iron,1,30,49,,EAR,-1,mg,total,s\n",
       "7行目：値は小数点の前と後ろそれぞれ 9 桁までの数です（例：7.5）"},
      {"value,iron,1,30,49,,EAR,+1,mg,total,s\n", "7行目：+ の付加量は妊娠・授乳の行だけに書けます"},
      {"value,iron,1,30,49,,EAR,7,mg,total,s,more\n",
       "7行目：value の行は value,キー,性別,年齢（から）,年齢（まで）,状態,指標,値,単位,範囲,出典 の11列"
       "です"},
      {"value,iron,1,30,49,,EAR,7,mg,total,\n", "7行目：単位・範囲（total など）・出典は空欄にできません"},
      {"value,iron,1,,49,pregnant,EAR,7,mg,total,s\n",
       "7行目：妊娠・授乳・月経の行は性別 2 です"},
      {"value,iron,2,,49,pregnant,EAR,+7,mg,total,s\n",
       "7行目：年齢（まで）を書くときは年齢（から）も書きます"},
      {"value,iron,1,49,30,,EAR,7,mg,total,s\n",
       "7行目：年齢（まで）は年齢（から）以上、150 以下の整数（歳）です"},
      {"title,U\n", "7行目：title の行が 2 つあります（1行目にも）"},
      {"values,iron\n", "7行目：行の種類「values」は title、name、value のどれかです（# で始まる行は注記）"},
  };
  for (const Refusal& refusal : refusals) {
    const std::vector<std::string> problems = ReferenceTableProblems(kSound + refusal.lines);
    ASSERT_EQ(problems.size(), 1u) << refusal.lines;
    EXPECT_EQ(problems.front(), refusal.expected) << refusal.lines;
    // The program refuses the table with the same words.
    std::string error;
    EXPECT_FALSE(ParseReferenceTable(kSound + refusal.lines, error)) << refusal.lines;
    EXPECT_EQ(error, refusal.expected);
  }
  // A spreadsheet pads every row with empty cells; comments and blank lines
  // are passed over. The first problem is named, with how many follow.
  EXPECT_TRUE(ReferenceTableProblems("title,T,,,,,,,,,\r\n#note,x\r\n\r\n,,,\r\nname,iron,Fe,,,,,,,,\r\n"
                                     "value,iron,1,18,,,EAR,6.5,mg,total,s,,\r\n")
                  .empty());
  std::string error;
  EXPECT_FALSE(ParseReferenceTable("name,iron,Fe\nvalue,iron,3,18,,,EAR,6.5,mg,total,s\n", error));
  EXPECT_EQ(error, "2行目：性別は 1（男）か 2（女）です（ほかに 1 件）");
  EXPECT_EQ(ReferenceTableProblems("name,iron,Fe\n").back(), "title の行（表の名前）がありません");
}

// A band's value plus an addition is their decimal sum, even at the largest
// numbers a table may hold, and a change of unit only shifts the point.
TEST(ReferenceTableReading, SumsAndUnitShiftsAreExactDecimals) {
  const ReferenceNumber largest{999'999'999'999'999'999, 9};  // 999999999.999999999
  const ReferenceNumber sum = largest.Plus(largest);
  EXPECT_EQ(sum.units, 1'999'999'999'999'999'998);
  EXPECT_EQ(sum.scale, 9);
  const ReferenceNumber whole = ReferenceNumber{999'999'999, 0}.Plus({1, 9});
  EXPECT_EQ(whole.units, 999'999'999'000'000'001);
  EXPECT_EQ(whole.scale, 9);
  EXPECT_EQ((ReferenceNumber{9, 1}.Plus({2, 1}).ToDouble()), 1.1);
  EXPECT_EQ((ReferenceNumber{65, 1}.ToDouble(3)), 6500.0);
  EXPECT_EQ((ReferenceNumber{9, 1}.ToDouble(-3)), 0.0009);
  EXPECT_EQ((ReferenceNumber{24, 0}.ToDouble(-6)), 0.000024);
}

}  // namespace
}  // namespace kelvara
