#include "bench/synthetic_survey.h"

#include <algorithm>
#include <charconv>
#include <random>
#include <string>
#include <vector>

namespace kelvara::bench {
namespace {

// Header texts as code page 932 bytes.
constexpr const char* kClassificationHeader =
    "\x92n\x8B\xE6"                          // 地区
    ",\x90\xAB\x95\xCA"                      // 性別
    ",\x94N\x97\xEE"                         // 年齢
    ",\x94" "D\x95w\x8E\xF6\x93\xFB\x95w"    // 妊婦授乳婦
    ",\x8F" "d\x82\xDD";                     // 重み
constexpr const char* kNutrientStem = "\x89h\x97{\x91" "f";  // 栄養素

// Typical intakes of the nutrient columns, in hundredths, repeated when there
// are more columns: energy-like, protein-like, fat-like ... down to trace
// elements. Columns of 100 and more are printed with one decimal, the others
// with two, as survey files mix both.
constexpr int64_t kTypicalHundredths[] = {
    200000, 7000, 6000, 26000, 1000, 50000, 800, 10000, 120, 1500,
    230000, 65, 900, 35000, 280, 4500, 1800, 600000, 95, 12000,
};

constexpr size_t kFlushSize = 1 << 20;

// Random numbers from the raw engine only: the standard distributions differ
// between library implementations, and the file must not.
class Draw {
 public:
  explicit Draw(uint64_t seed) : engine_(seed) {}
  uint64_t Bits() { return engine_(); }
  // A whole number in [0, n), n below 2^32.
  int64_t Below(int64_t n) {
    return static_cast<int64_t>(((engine_() >> 32) * static_cast<uint64_t>(n)) >> 32);
  }

 private:
  std::mt19937_64 engine_;
};

void AppendInteger(std::string& out, int64_t value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, end);
}

// A non-negative number given in units of 10^-decimals, as "12.3" or "0.45".
void AppendFixed(std::string& out, int64_t scaled, int decimals) {
  const int64_t unit = decimals == 1 ? 10 : 100;
  AppendInteger(out, scaled / unit);
  out.push_back('.');
  const int64_t fraction = scaled % unit;
  if (decimals == 2 && fraction < 10) out.push_back('0');
  AppendInteger(out, fraction);
}

void AppendHeader(std::string& out, int variables) {
  out.append(kClassificationHeader);
  for (int v = 1; v <= variables; ++v) {
    out.push_back(',');
    out.append(kNutrientStem);
    AppendInteger(out, v);
  }
  out.append("\r\n");
}

// One nutrient cell: about 0.5% of cells are left empty or marked "NA", the
// rest scatter between 0.3 and 1.7 times the typical intake with most of them
// near it (the sum of three uniform draws).
void AppendNutrient(std::string& out, Draw& draw, int64_t typicalHundredths) {
  const uint64_t bits = draw.Bits();
  const uint64_t missingDraw = (bits & 0xFFFF) % 1000;
  if (missingDraw < 5) {
    if (missingDraw < 2) out.append("NA");
    return;
  }
  const uint64_t spread = ((bits >> 16) & 0xFFFF) + ((bits >> 32) & 0xFFFF) + (bits >> 48);
  const int64_t perMillion = 300000 + static_cast<int64_t>(spread * 1400000 / (3 * 0xFFFF));
  const int64_t hundredths = typicalHundredths * perMillion / 1000000;
  if (typicalHundredths >= 10000) {
    AppendFixed(out, hundredths / 10, 1);
  } else {
    AppendFixed(out, hundredths, 2);
  }
}

}  // namespace

bool WriteSyntheticSurvey(const SurveyShape& shape, std::FILE* out) {
  Draw draw(shape.seed);
  // Households of one district share the district's design weight.
  std::vector<int64_t> unitWeightHundredths(static_cast<size_t>(shape.units));
  for (int64_t& weight : unitWeightHundredths) weight = 60 + draw.Below(201);

  std::string text;
  text.reserve(kFlushSize + 16384);
  AppendHeader(text, shape.variables);
  const auto flush = [&] {
    const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    text.clear();
    return written;
  };

  for (int64_t row = 0; row < shape.rows; ++row) {
    const int64_t unit = row * shape.units / shape.rows;  // sorted by district
    const int64_t sex = 1 + draw.Below(2);
    const int64_t age = draw.Below(101);
    int64_t pregnancy = 0;
    if (sex == 2 && age >= 18 && age < 45) {
      const int64_t pregnancyDraw = draw.Below(100);
      pregnancy = pregnancyDraw < 5 ? 1 : pregnancyDraw < 10 ? 2 : 0;
    }
    const int64_t weight = std::clamp<int64_t>(
        unitWeightHundredths[static_cast<size_t>(unit)] * (85 + draw.Below(31)) / 100, 50, 300);

    AppendInteger(text, unit + 1);
    text.push_back(',');
    AppendInteger(text, sex);
    text.push_back(',');
    AppendInteger(text, age);
    text.push_back(',');
    AppendInteger(text, pregnancy);
    text.push_back(',');
    AppendFixed(text, weight, 2);
    for (int v = 0; v < shape.variables; ++v) {
      text.push_back(',');
      AppendNutrient(text, draw, kTypicalHundredths[v % std::size(kTypicalHundredths)]);
    }
    text.append("\r\n");
    if (text.size() >= kFlushSize && !flush()) return false;
  }
  return flush() && std::fflush(out) == 0 && !std::ferror(out);
}

}  // namespace kelvara::bench
