// kelvara-generate-survey: writes a big synthetic survey data file for the
// benchmarks. The same arguments always give the same bytes.
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "bench/synthetic_survey.h"

namespace {

constexpr const char* kUsage =
    "Usage: kelvara-generate-survey [--rows N] [--variables V] [--units U] [--seed S] [-o FILE]\n"
    "Writes a synthetic survey data file (code page 932, CR LF): columns 1 地区 (sampling\n"
    "unit), 2 性別, 3 年齢, 4 妊婦授乳婦, 5 重み, then V nutrient columns 栄養素1 ...\n"
    "  --rows N        data rows (default 1000000)\n"
    "  --variables V   nutrient columns, 1 to 1019 (default 50)\n"
    "  --units U       sampling units (default 300)\n"
    "  --seed S        random seed (default 20240601)\n"
    "  -o FILE         output file (default: standard output)\n";

template <typename Number>
bool ParseNumber(std::string_view text, Number minimum, Number maximum, Number& value) {
  Number parsed{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (error != std::errc() || end != text.data() + text.size()) return false;
  if (parsed < minimum || parsed > maximum) return false;
  value = parsed;
  return true;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "kelvara-generate-survey: %s\n", message.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  kelvara::bench::SurveyShape shape;
  std::string outputFile;
  for (int i = 1; i < argc; ++i) {
    const std::string_view option = argv[i];
    if (option == "--help" || option == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (i + 1 >= argc) return Fail("option " + std::string(option) + " needs a value (see --help)");
    const std::string_view value = argv[++i];
    bool valid = true;
    if (option == "--rows") {
      valid = ParseNumber<int64_t>(value, 0, 10'000'000'000, shape.rows);
    } else if (option == "--variables") {
      valid = ParseNumber(value, 1, kelvara::bench::kMaxVariables, shape.variables);
    } else if (option == "--units") {
      valid = ParseNumber(value, 1, 1'000'000, shape.units);
    } else if (option == "--seed") {
      valid = ParseNumber(value, uint64_t{0}, std::numeric_limits<uint64_t>::max(), shape.seed);
    } else if (option == "-o") {
      outputFile = value;
    } else {
      return Fail("unknown option " + std::string(option) + " (see --help)");
    }
    if (!valid) return Fail("bad value " + std::string(value) + " for " + std::string(option));
  }

  std::FILE* out = stdout;
  if (!outputFile.empty()) {
    out = std::fopen(outputFile.c_str(), "wb");
    if (out == nullptr) {
      return Fail("cannot create " + outputFile + ": " + std::strerror(errno));
    }
  }
  bool written = kelvara::bench::WriteSyntheticSurvey(shape, out);
  if (out != stdout) written = std::fclose(out) == 0 && written;
  if (!written) {
    // A cut-off file would pass for a smaller survey: leave none behind.
    if (!outputFile.empty()) std::remove(outputFile.c_str());
    std::fprintf(stderr, "kelvara-generate-survey: writing %s failed\n",
                 outputFile.empty() ? "standard output" : outputFile.c_str());
    return 1;
  }
  return 0;
}
