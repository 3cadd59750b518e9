#include "engine/statistics/age_group_scheme.h"

#include <limits>
#include <string_view>

namespace kelvara {

bool AgeGroup::Contains(int32_t sexCode, double ageValue, int32_t pregnancyCode) const {
  switch (sex) {
    case SexCondition::any: break;
    case SexCondition::male: if (sexCode != 1) return false; break;
    case SexCondition::female: if (sexCode != 2) return false; break;
  }
  if (!(age.from <= ageValue)) return false;
  if (age.toIncluded ? !(ageValue <= age.to) : !(ageValue < age.to)) return false;
  switch (pregnancy) {
    case PregnancyCondition::any: return true;
    case PregnancyCondition::neither: return pregnancyCode == 0;
    case PregnancyCondition::pregnant: return pregnancyCode == 1;
    case PregnancyCondition::lactating: return pregnancyCode == 2;
    case PregnancyCondition::pregnantOrLactating: return pregnancyCode == 1 || pregnancyCode == 2;
  }
  return false;
}

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

constexpr SexCondition kAnySex = SexCondition::any;
constexpr SexCondition kMale = SexCondition::male;
constexpr SexCondition kFemale = SexCondition::female;

constexpr PregnancyCondition kAnyPregnancy = PregnancyCondition::any;
constexpr PregnancyCondition kNeither = PregnancyCondition::neither;
constexpr PregnancyCondition kPregnant = PregnancyCondition::pregnant;
constexpr PregnancyCondition kLactating = PregnancyCondition::lactating;
constexpr PregnancyCondition kPregnantOrLactating = PregnancyCondition::pregnantOrLactating;

constexpr GroupRole kSummary = GroupRole::summary;

// Every age, also 0 (an empty age cell), negative ages and 199 or more.
constexpr AgeRange kAnyAge{-kInfinity, kInfinity, true};

// Report age classes: from `from` years up to, not including, `to`. The open
// classes ("70以上") end at 199 like the others.
constexpr AgeRange Ages(double from, double to) { return {from, to, false}; }

// Category scheme: the age column holds a category number, compared exactly.
constexpr AgeRange Category(double k) { return {k, k, true}; }
constexpr AgeRange kCategories1To10{1, 10, true};

// Labels are code page 932 bytes (scripts/cp932_literal.py writes them); the
// comment after each group gives the label as text.
constexpr AgeGroup kTable1Groups[] = {
    {"\x92j\x91\x8D\x90\x94",                 kMale, kAnyAge, kAnyPregnancy, kSummary},  // 男総数
    {"\x92j1\x81`6",                          kMale, Ages(1, 7), kAnyPregnancy},  // 男1～6
    {"\x92j7\x81`14",                         kMale, Ages(7, 15), kAnyPregnancy},  // 男7～14
    {"\x92j15\x81`19",                        kMale, Ages(15, 20), kAnyPregnancy},  // 男15～19
    {"\x92j20\x81`29",                        kMale, Ages(20, 30), kAnyPregnancy},  // 男20～29
    {"\x92j30\x81`39",                        kMale, Ages(30, 40), kAnyPregnancy},  // 男30～39
    {"\x92j40\x81`49",                        kMale, Ages(40, 50), kAnyPregnancy},  // 男40～49
    {"\x92j50\x81`59",                        kMale, Ages(50, 60), kAnyPregnancy},  // 男50～59
    {"\x92j60\x81`69",                        kMale, Ages(60, 70), kAnyPregnancy},  // 男60～69
    {"\x92j70\x88\xC8\x8F\xE3",               kMale, Ages(70, 199), kAnyPregnancy},  // 男70以上
    {"\x92j(\x8D\xC4\x8C" "f)20\x88\xC8\x8F\xE3", kMale, Ages(20, 199), kAnyPregnancy, kSummary},  // 男(再掲)20以上
    {"\x92j(\x8D\xC4\x8C" "f)65\x81`74",      kMale, Ages(65, 75), kAnyPregnancy, kSummary},  // 男(再掲)65～74
    {"\x92j(\x8D\xC4\x8C" "f)75\x88\xC8\x8F\xE3", kMale, Ages(75, 199), kAnyPregnancy, kSummary},  // 男(再掲)75以上
    {"\x8F\x97\x91\x8D\x90\x94",              kFemale, kAnyAge, kAnyPregnancy, kSummary},  // 女総数
    {"\x8F\x97" "1\x81`6",                    kFemale, Ages(1, 7), kAnyPregnancy},  // 女1～6
    {"\x8F\x97" "7\x81`14",                   kFemale, Ages(7, 15), kAnyPregnancy},  // 女7～14
    {"\x8F\x97" "15\x81`19",                  kFemale, Ages(15, 20), kAnyPregnancy},  // 女15～19
    {"\x8F\x97" "20\x81`29",                  kFemale, Ages(20, 30), kAnyPregnancy},  // 女20～29
    {"\x8F\x97" "30\x81`39",                  kFemale, Ages(30, 40), kAnyPregnancy},  // 女30～39
    {"\x8F\x97" "40\x81`49",                  kFemale, Ages(40, 50), kAnyPregnancy},  // 女40～49
    {"\x8F\x97" "50\x81`59",                  kFemale, Ages(50, 60), kAnyPregnancy},  // 女50～59
    {"\x8F\x97" "60\x81`69",                  kFemale, Ages(60, 70), kAnyPregnancy},  // 女60～69
    {"\x8F\x97" "70\x88\xC8\x8F\xE3",         kFemale, Ages(70, 199), kAnyPregnancy},  // 女70以上
    {"\x8F\x97(\x8D\xC4\x8C" "f)20\x88\xC8\x8F\xE3", kFemale, Ages(20, 199), kAnyPregnancy, kSummary},  // 女(再掲)20以上
    {"\x8F\x97(\x8D\xC4\x8C" "f)65\x81`74",   kFemale, Ages(65, 75), kAnyPregnancy, kSummary},  // 女(再掲)65～74
    {"\x8F\x97(\x8D\xC4\x8C" "f)75\x88\xC8\x8F\xE3", kFemale, Ages(75, 199), kAnyPregnancy, kSummary},  // 女(再掲)75以上
    {"\x92j\x8F\x97\x91\x8D\x90\x94",         kAnySex, kAnyAge, kAnyPregnancy, kSummary},  // 男女総数
    {"\x92j\x8F\x97" "1\x81`6",               kAnySex, Ages(1, 7), kAnyPregnancy},  // 男女1～6
    {"\x92j\x8F\x97" "7\x81`14",              kAnySex, Ages(7, 15), kAnyPregnancy},  // 男女7～14
    {"\x92j\x8F\x97" "15\x81`19",             kAnySex, Ages(15, 20), kAnyPregnancy},  // 男女15～19
    {"\x92j\x8F\x97" "20\x81`29",             kAnySex, Ages(20, 30), kAnyPregnancy},  // 男女20～29
    {"\x92j\x8F\x97" "30\x81`39",             kAnySex, Ages(30, 40), kAnyPregnancy},  // 男女30～39
    {"\x92j\x8F\x97" "40\x81`49",             kAnySex, Ages(40, 50), kAnyPregnancy},  // 男女40～49
    {"\x92j\x8F\x97" "50\x81`59",             kAnySex, Ages(50, 60), kAnyPregnancy},  // 男女50～59
    {"\x92j\x8F\x97" "60\x81`69",             kAnySex, Ages(60, 70), kAnyPregnancy},  // 男女60～69
    {"\x92j\x8F\x97" "70\x88\xC8\x8F\xE3",    kAnySex, Ages(70, 199), kAnyPregnancy},  // 男女70以上
    {"\x92j\x8F\x97(\x8D\xC4\x8C" "f)20\x88\xC8\x8F\xE3", kAnySex, Ages(20, 199), kAnyPregnancy, kSummary},  // 男女(再掲)20以上
    {"\x92j\x8F\x97(\x8D\xC4\x8C" "f)65\x81`74", kAnySex, Ages(65, 75), kAnyPregnancy, kSummary},  // 男女(再掲)65～74
    {"\x92j\x8F\x97(\x8D\xC4\x8C" "f)75\x88\xC8\x8F\xE3", kAnySex, Ages(75, 199), kAnyPregnancy, kSummary},  // 男女(再掲)75以上
};

constexpr AgeGroup kTable2Groups[] = {
    {"\x92j\x91\x8D\x90\x94",                 kMale, Ages(1, 199), kAnyPregnancy, kSummary},  // 男総数
    {"\x92j1\x81`2",                          kMale, Ages(1, 3), kAnyPregnancy},  // 男1～2
    {"\x92j3\x81`5",                          kMale, Ages(3, 6), kAnyPregnancy},  // 男3～5
    {"\x92j6\x81`8",                          kMale, Ages(6, 9), kAnyPregnancy},  // 男6～8
    {"\x92j9\x81`11",                         kMale, Ages(9, 12), kAnyPregnancy},  // 男9～11
    {"\x92j12\x81`14",                        kMale, Ages(12, 15), kAnyPregnancy},  // 男12～14
    {"\x92j15\x81`17",                        kMale, Ages(15, 18), kAnyPregnancy},  // 男15～17
    {"\x92j18\x81`29",                        kMale, Ages(18, 30), kAnyPregnancy},  // 男18～29
    {"\x92j30\x81`49",                        kMale, Ages(30, 50), kAnyPregnancy},  // 男30～49
    {"\x92j50\x81`69",                        kMale, Ages(50, 70), kAnyPregnancy},  // 男50～69
    {"\x92j70\x88\xC8\x8F\xE3",               kMale, Ages(70, 199), kAnyPregnancy},  // 男70以上
    {"\x92j(\x8D\xC4\x8C" "f)20\x81`49",      kMale, Ages(20, 50), kAnyPregnancy, kSummary},  // 男(再掲)20～49
    {"\x8F\x97\x91\x8D\x90\x94",              kFemale, Ages(1, 199), kAnyPregnancy, kSummary},  // 女総数
    {"\x8F\x97" "1\x81`2",                    kFemale, Ages(1, 3), kAnyPregnancy},  // 女1～2
    {"\x8F\x97" "3\x81`5",                    kFemale, Ages(3, 6), kAnyPregnancy},  // 女3～5
    {"\x8F\x97" "6\x81`8",                    kFemale, Ages(6, 9), kAnyPregnancy},  // 女6～8
    {"\x8F\x97" "9\x81`11",                   kFemale, Ages(9, 12), kAnyPregnancy},  // 女9～11
    {"\x8F\x97" "12\x81`14",                  kFemale, Ages(12, 15), kAnyPregnancy},  // 女12～14
    {"\x8F\x97" "15\x81`17",                  kFemale, Ages(15, 18), kAnyPregnancy},  // 女15～17
    {"\x8F\x97" "18\x81`29",                  kFemale, Ages(18, 30), kAnyPregnancy},  // 女18～29
    {"\x8F\x97" "30\x81`49",                  kFemale, Ages(30, 50), kAnyPregnancy},  // 女30～49
    {"\x8F\x97" "50\x81`69",                  kFemale, Ages(50, 70), kAnyPregnancy},  // 女50～69
    {"\x8F\x97" "70\x88\xC8\x8F\xE3",         kFemale, Ages(70, 199), kAnyPregnancy},  // 女70以上
    {"\x8F\x97(\x8D\xC4\x8C" "f)20\x81`49",   kFemale, Ages(20, 50), kAnyPregnancy, kSummary},  // 女(再掲)20～49
    {"\x92j\x8F\x97\x91\x8D\x90\x94",         kAnySex, Ages(1, 199), kAnyPregnancy, kSummary},  // 男女総数
    {"\x92j\x8F\x97" "1\x81`2",               kAnySex, Ages(1, 3), kAnyPregnancy},  // 男女1～2
    {"\x92j\x8F\x97" "3\x81`5",               kAnySex, Ages(3, 6), kAnyPregnancy},  // 男女3～5
    {"\x92j\x8F\x97" "6\x81`8",               kAnySex, Ages(6, 9), kAnyPregnancy},  // 男女6～8
    {"\x92j\x8F\x97" "9\x81`11",              kAnySex, Ages(9, 12), kAnyPregnancy},  // 男女9～11
    {"\x92j\x8F\x97" "12\x81`14",             kAnySex, Ages(12, 15), kAnyPregnancy},  // 男女12～14
    {"\x92j\x8F\x97" "15\x81`17",             kAnySex, Ages(15, 18), kAnyPregnancy},  // 男女15～17
    {"\x92j\x8F\x97" "18\x81`29",             kAnySex, Ages(18, 30), kAnyPregnancy},  // 男女18～29
    {"\x92j\x8F\x97" "30\x81`49",             kAnySex, Ages(30, 50), kAnyPregnancy},  // 男女30～49
    {"\x92j\x8F\x97" "50\x81`69",             kAnySex, Ages(50, 70), kAnyPregnancy},  // 男女50～69
    {"\x92j\x8F\x97" "70\x88\xC8\x8F\xE3",    kAnySex, Ages(70, 199), kAnyPregnancy},  // 男女70以上
    {"\x92j\x8F\x97(\x8D\xC4\x8C" "f)20\x81`49", kAnySex, Ages(20, 50), kAnyPregnancy, kSummary},  // 男女(再掲)20～49
};

constexpr AgeGroup kPart5Groups[] = {
    {"\x92j1\x81`2",                          kMale, Ages(1, 3), kAnyPregnancy},  // 男1～2
    {"\x92j3\x81`5",                          kMale, Ages(3, 6), kAnyPregnancy},  // 男3～5
    {"\x92j6\x81`7",                          kMale, Ages(6, 8), kAnyPregnancy},  // 男6～7
    {"\x92j8\x81`9",                          kMale, Ages(8, 10), kAnyPregnancy},  // 男8～9
    {"\x92j10\x81`11",                        kMale, Ages(10, 12), kAnyPregnancy},  // 男10～11
    {"\x92j12\x81`14",                        kMale, Ages(12, 15), kAnyPregnancy},  // 男12～14
    {"\x92j15\x81`17",                        kMale, Ages(15, 18), kAnyPregnancy},  // 男15～17
    {"\x92j18\x81`29",                        kMale, Ages(18, 30), kAnyPregnancy},  // 男18～29
    {"\x92j30\x81`49",                        kMale, Ages(30, 50), kAnyPregnancy},  // 男30～49
    {"\x92j50\x81`69",                        kMale, Ages(50, 70), kAnyPregnancy},  // 男50～69
    {"\x92j70\x88\xC8\x8F\xE3",               kMale, Ages(70, 199), kAnyPregnancy},  // 男70以上
    {"\x92j\x91S\x94N\x97\xEE",               kMale, Ages(1, 199), kAnyPregnancy, kSummary},  // 男全年齢
    {"\x8F\x97" "1\x81`2",                    kFemale, Ages(1, 3), kNeither},  // 女1～2
    {"\x8F\x97" "3\x81`5",                    kFemale, Ages(3, 6), kNeither},  // 女3～5
    {"\x8F\x97" "6\x81`7",                    kFemale, Ages(6, 8), kNeither},  // 女6～7
    {"\x8F\x97" "8\x81`9",                    kFemale, Ages(8, 10), kNeither},  // 女8～9
    {"\x8F\x97" "10\x81`11",                  kFemale, Ages(10, 12), kNeither},  // 女10～11
    {"\x8F\x97" "12\x81`14",                  kFemale, Ages(12, 15), kNeither},  // 女12～14
    {"\x8F\x97" "15\x81`17",                  kFemale, Ages(15, 18), kNeither},  // 女15～17
    {"\x8F\x97" "18\x81`29",                  kFemale, Ages(18, 30), kNeither},  // 女18～29
    {"\x8F\x97" "30\x81`49",                  kFemale, Ages(30, 50), kNeither},  // 女30～49
    {"\x8F\x97" "50\x81`69",                  kFemale, Ages(50, 70), kNeither},  // 女50～69
    {"\x8F\x97" "70\x88\xC8\x8F\xE3",         kFemale, Ages(70, 199), kNeither},  // 女70以上
    {"\x8F\x97\x94" "D\x95w",                 kFemale, kAnyAge, kPregnant, kSummary},  // 女妊婦
    {"\x8F\x97\x8E\xF6\x93\xFB\x95w",         kFemale, kAnyAge, kLactating, kSummary},  // 女授乳婦
    {"\x8F\x97\x8F\xAC\x8Cv",                 kFemale, kAnyAge, kPregnantOrLactating, kSummary},  // 女小計
    {"\x8F\x97\x91S\x94N\x97\xEE",            kFemale, Ages(1, 199), kNeither, kSummary},  // 女全年齢
    {"\x8F\x97\x91S\x94N\x97\xEE+\x8F\xAC\x8Cv", kFemale, Ages(1, 199), kAnyPregnancy, kSummary},  // 女全年齢+小計
    {"\x92j\x8F\x97\x8Cv",                    kAnySex, kAnyAge, kAnyPregnancy, kSummary},  // 男女計
};

constexpr AgeGroup kCategoryGroups[] = {
    {"\x92j1",                                kMale, Category(1), kAnyPregnancy},  // 男1
    {"\x92j2",                                kMale, Category(2), kAnyPregnancy},  // 男2
    {"\x92j3",                                kMale, Category(3), kAnyPregnancy},  // 男3
    {"\x92j4",                                kMale, Category(4), kAnyPregnancy},  // 男4
    {"\x92j5",                                kMale, Category(5), kAnyPregnancy},  // 男5
    {"\x92j6",                                kMale, Category(6), kAnyPregnancy},  // 男6
    {"\x92j7",                                kMale, Category(7), kAnyPregnancy},  // 男7
    {"\x92j8",                                kMale, Category(8), kAnyPregnancy},  // 男8
    {"\x92j9",                                kMale, Category(9), kAnyPregnancy},  // 男9
    {"\x92j10",                               kMale, Category(10), kAnyPregnancy},  // 男10
    {"\x92j\x8Cv",                            kMale, kCategories1To10, kAnyPregnancy, kSummary},  // 男計
    {"\x8F\x97" "1",                          kFemale, Category(1), kAnyPregnancy},  // 女1
    {"\x8F\x97" "2",                          kFemale, Category(2), kAnyPregnancy},  // 女2
    {"\x8F\x97" "3",                          kFemale, Category(3), kAnyPregnancy},  // 女3
    {"\x8F\x97" "4",                          kFemale, Category(4), kAnyPregnancy},  // 女4
    {"\x8F\x97" "5",                          kFemale, Category(5), kAnyPregnancy},  // 女5
    {"\x8F\x97" "6",                          kFemale, Category(6), kAnyPregnancy},  // 女6
    {"\x8F\x97" "7",                          kFemale, Category(7), kAnyPregnancy},  // 女7
    {"\x8F\x97" "8",                          kFemale, Category(8), kAnyPregnancy},  // 女8
    {"\x8F\x97" "9",                          kFemale, Category(9), kAnyPregnancy},  // 女9
    {"\x8F\x97" "10",                         kFemale, Category(10), kAnyPregnancy},  // 女10
    {"\x8F\x97\x8Cv",                         kFemale, kCategories1To10, kAnyPregnancy, kSummary},  // 女計
    {"\x92j\x8F\x97" "1",                     kAnySex, Category(1), kAnyPregnancy},  // 男女1
    {"\x92j\x8F\x97" "2",                     kAnySex, Category(2), kAnyPregnancy},  // 男女2
    {"\x92j\x8F\x97" "3",                     kAnySex, Category(3), kAnyPregnancy},  // 男女3
    {"\x92j\x8F\x97" "4",                     kAnySex, Category(4), kAnyPregnancy},  // 男女4
    {"\x92j\x8F\x97" "5",                     kAnySex, Category(5), kAnyPregnancy},  // 男女5
    {"\x92j\x8F\x97" "6",                     kAnySex, Category(6), kAnyPregnancy},  // 男女6
    {"\x92j\x8F\x97" "7",                     kAnySex, Category(7), kAnyPregnancy},  // 男女7
    {"\x92j\x8F\x97" "8",                     kAnySex, Category(8), kAnyPregnancy},  // 男女8
    {"\x92j\x8F\x97" "9",                     kAnySex, Category(9), kAnyPregnancy},  // 男女9
    {"\x92j\x8F\x97" "10",                    kAnySex, Category(10), kAnyPregnancy},  // 男女10
    {"\x92j\x8F\x97\x8Cv",                    kAnySex, kCategories1To10, kAnyPregnancy, kSummary},  // 男女計
};

constexpr std::string_view kMaleWord = "\x92j";            // 男
constexpr std::string_view kFemaleWord = "\x8F\x97";       // 女
constexpr std::string_view kBothWord = "\x92j\x8F\x97";    // 男女

constexpr std::string_view SexWordOf(SexCondition sex) {
  switch (sex) {
    case SexCondition::male: return kMaleWord;
    case SexCondition::female: return kFemaleWord;
    case SexCondition::any: return kBothWord;
  }
  return kBothWord;
}

// Every label starts with the sex word of its sex condition, so the rest of
// it names the age band or summary.
template <size_t N>
constexpr bool LabelsStartWithTheirSexWord(const AgeGroup (&groups)[N]) {
  for (const AgeGroup& group : groups) {
    if (!std::string_view(group.label).starts_with(SexWordOf(group.sex))) return false;
  }
  return true;
}

// The age bands of each sex in a scheme rise in age, and every sex that has
// bands has the same ones with the same labels: a chart lays all sexes along
// one age axis.
template <size_t N>
constexpr bool SexesShareRisingAgeBands(const AgeGroup (&groups)[N]) {
  const AgeGroup* first[N] = {};  // the bands of the first sex with bands
  size_t firstCount = 0;
  SexCondition firstSex = groups[0].sex;
  bool seen = false;
  for (const AgeGroup& group : groups) {
    if (group.role != GroupRole::ageBand) continue;
    if (!seen) firstSex = group.sex;
    seen = true;
    if (group.sex == firstSex) first[firstCount++] = &group;
  }
  for (SexCondition sex : {SexCondition::male, SexCondition::female, SexCondition::any}) {
    size_t k = 0;
    for (const AgeGroup& group : groups) {
      if (group.role != GroupRole::ageBand || group.sex != sex) continue;
      if (k >= firstCount) return false;
      const AgeGroup& peer = *first[k];
      if (group.age.from != peer.age.from || group.age.to != peer.age.to) return false;
      if (std::string_view(group.label).substr(SexWordOf(sex).size()) !=
          std::string_view(peer.label).substr(SexWordOf(peer.sex).size())) {
        return false;
      }
      if (k > 0 && !(first[k - 1]->age.from < peer.age.from)) return false;
      ++k;
    }
    if (k != 0 && k != firstCount) return false;
  }
  return firstCount > 0;
}

static_assert(LabelsStartWithTheirSexWord(kTable1Groups) && LabelsStartWithTheirSexWord(kTable2Groups) &&
              LabelsStartWithTheirSexWord(kPart5Groups) && LabelsStartWithTheirSexWord(kCategoryGroups));
static_assert(SexesShareRisingAgeBands(kTable1Groups) && SexesShareRisingAgeBands(kTable2Groups) &&
              SexesShareRisingAgeBands(kPart5Groups) && SexesShareRisingAgeBands(kCategoryGroups));

}  // namespace

std::string_view SexWord(SexCondition sex) { return SexWordOf(sex); }

std::string_view AgeText(const AgeGroup& group) {
  return std::string_view(group.label).substr(SexWordOf(group.sex).size());
}

std::string_view SchemeName(SchemeId scheme) {
  switch (scheme) {
    case SchemeId::table1: return "table1";
    case SchemeId::table2: return "table2";
    case SchemeId::part5: return "part5";
    case SchemeId::category: return "category";
  }
  return "category";
}

std::optional<SchemeId> SchemeNamed(std::string_view name) {
  for (SchemeId scheme : {SchemeId::table1, SchemeId::table2, SchemeId::part5, SchemeId::category}) {
    if (SchemeName(scheme) == name) return scheme;
  }
  return std::nullopt;
}

std::span<const AgeGroup> SchemeGroups(SchemeId scheme) {
  switch (scheme) {
    case SchemeId::table1: return kTable1Groups;
    case SchemeId::table2: return kTable2Groups;
    case SchemeId::part5: return kPart5Groups;
    case SchemeId::category: return kCategoryGroups;
  }
  return kCategoryGroups;
}

}  // namespace kelvara
