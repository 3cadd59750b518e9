// Every seed and every regression input of the fuzz targets, through the same
// checks the fuzzers run, in the normal build.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "fuzz/expression_check.h"
#include "fuzz/reader_check.h"
#include "fuzz/reference_table_check.h"
#include "fuzz/report_check.h"
#include "fuzz/tabulation_check.h"
#include "tests/support/temp_dir.h"

namespace kelvara::hostile {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> InputsOf(const std::string& target) {
  std::vector<fs::path> inputs;
  for (const char* kind : {"corpus", "regressions"}) {
    const fs::path dir = fs::path(KELVARA_FUZZ_DIR) / kind / target;
    if (!fs::is_directory(dir)) continue;
    for (const auto& entry : fs::directory_iterator(dir)) {
      if (entry.is_regular_file() && entry.path().extension() != ".md") {
        inputs.push_back(entry.path());
      }
    }
  }
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

void ReplayAll(const std::string& target,
               const std::function<std::string(std::string_view)>& check) {
  const std::vector<fs::path> inputs = InputsOf(target);
  ASSERT_GE(inputs.size(), 5u) << "the seed corpus of " << target << " is missing";
  for (const fs::path& input : inputs) {
    EXPECT_EQ(check(testing::ReadBytes(input.string())), "") << input;
  }
}

TEST(FuzzReplay, ReaderInputs) { ReplayAll("reader", fuzz::CheckCsvTable); }

TEST(FuzzReplay, ReferenceTableInputs) { ReplayAll("reference_table", fuzz::CheckReferenceTable); }

TEST(FuzzReplay, ReportInputs) { ReplayAll("report", fuzz::CheckReportReading); }

TEST(FuzzReplay, TabulationInputs) { ReplayAll("tabulation", fuzz::CheckTabulation); }

TEST(FuzzReplay, ExpressionInputs) { ReplayAll("expression", fuzz::CheckExpression); }

}  // namespace
}  // namespace kelvara::hostile
