// Files far larger than the reader's read blocks, through the fuzz checks: the
// fuzzers' inputs stay small, so the places where a row, a CR LF or a
// double-byte character is cut by the end of a read block are tried here.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "fuzz/reader_check.h"
#include "fuzz/tabulation_check.h"

namespace kelvara::hostile {
namespace {

// Columns: unit, sex, age, pregnant/lactating, two analysis values, weight.
constexpr const char* kHeader = "unit,sex,age,preg,energy,salt,weight\r\n";

// One row of a kind chosen at random: plain, LF only, quoted, with missing or
// odd cells, blank, short, with Japanese text or NUL bytes, or a long note.
std::string RandomRow(std::mt19937& random) {
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  const std::string unit = std::to_string(1 + pick(30));
  const std::string sex = std::to_string(1 + pick(2));
  const std::string age = std::to_string(pick(100)) + (pick(4) == 0 ? ".5" : "");
  const std::string preg = std::to_string(pick(8) == 0 ? 1 + pick(2) : 0);
  const std::string energy = std::to_string(1000 + pick(2000)) + "." + std::to_string(pick(10));
  const std::string salt = std::to_string(pick(200) / 10.0);
  const std::string weight = std::to_string(1 + pick(3)) + ".25";
  const std::string plain = unit + "," + sex + "," + age + "," + preg + "," + energy + "," + salt +
                            "," + weight;
  switch (pick(32)) {
    case 0: return plain + "\n";
    case 1: return "\"" + unit + "\",\"" + sex + "\", " + age + " ,\"" + preg + "\",\"" + energy +
                   "\"," + salt + "," + weight + "\r\n";
    case 2: return unit + "," + sex + "," + age + "," + preg + ",,NA," + weight + "\r\n";
    case 3: return " , ,\"\"\r\n";
    case 4: return "\r\n";
    case 5: return unit + "," + sex + "\r\n";
    case 6: return plain + ",\"\x83m\x81[\x83g,\x82\xA0\"\r\n";
    case 7: return unit + "," + sex + "," + age + std::string(1, '\0') + "9," + preg + "," + energy +
                   "," + salt + "," + weight + "\r\n";
    case 8: return plain + "," + std::string(1000 + pick(20000), 'n') + "\r\n";
    case 9: return unit + "," + sex + "," + age + "," + preg + "," + energy + "e0,1e999," + weight +
                   "\r\n";
    default: return plain + "\r\n";
  }
}

// Appends a plain row whose CR LF straddles `boundary`: the CR is its last
// byte before it, the LF its first byte after.
void StraddleLineEndAt(std::string& text, size_t boundary) {
  const std::string row = "1,1,30,0,5,5,1\r\n";
  const std::string fillerStart = "2,2,40,0,6,6,1,";
  const size_t needed = boundary + 1 - row.size() - text.size();  // filler length
  text += fillerStart + std::string(needed - fillerStart.size() - 1, 'x') + "\n" + row;
}

// A double-byte character (あ) cut by `boundary`.
void StraddleCharacterAt(std::string& text, size_t boundary) {
  const std::string head = "3,2,50,0,7,";
  const size_t needed = boundary - 1 - head.size() - text.size();
  text += std::string(needed - 1, ' ') + "\n" + head + "\x82\xA0,1\r\n";
}

// About `size` bytes of survey rows, with line ends and a double-byte
// character straddling each of `boundaries`.
std::string MixedSurvey(size_t size, std::initializer_list<size_t> boundaries, unsigned seed) {
  std::mt19937 random(seed);
  std::string text = kHeader;
  text.reserve(size + 70000);
  for (size_t boundary : boundaries) {
    while (text.size() + 70000 < boundary - 200) text += RandomRow(random);
    StraddleLineEndAt(text, boundary);
    while (text.size() + 70000 < boundary + 100000) text += RandomRow(random);
    StraddleCharacterAt(text, boundary + 100000);
  }
  while (text.size() < size) text += RandomRow(random);
  return text;
}

TEST(HostileLargeFiles, ReaderAcrossItsReadBlocks) {
  constexpr size_t kBlock = 256 * 1024;
  const std::string text = MixedSurvey(3 << 20, {kBlock, 2 * kBlock, 5 * kBlock}, 11);
  EXPECT_EQ(fuzz::CheckCsvTable(text), "");
}

// Control bytes of a tabulation case: scheme, unit, sex, age, pregnant or
// lactating, weight, two analysis variables (0xFF no column).
TEST(HostileLargeFiles, TabulationAcrossReadBlocks) {
  constexpr size_t kBlock = 8 << 20;
  const std::string survey = MixedSurvey(18 << 20, {kBlock, 2 * kBlock}, 7);
  // Rows after a 0x1A are never read, whatever block they fall into.
  std::string tail = MixedSurvey(1 << 20, {}, 8);
  tail.insert(tail.begin(), '\x1A');
  EXPECT_EQ(fuzz::CheckTabulation(std::string("\x00\x00\x01\x02\x03\x06\x04\x05", 8) + survey + tail),
            "");
  EXPECT_EQ(fuzz::CheckTabulation(std::string("\x02\xFF\x01\x02\x03\xFF\x05\x04", 8) + survey), "");
}

}  // namespace
}  // namespace kelvara::hostile
