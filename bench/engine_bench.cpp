// Micro-benchmarks of the engine on a generated 100,000-row survey file:
// reading rows, reading cell numbers, and whole tabulation runs.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "bench/synthetic_survey.h"
#include "engine/reading/cell_number.h"
#include "engine/reading/csv_table.h"
#include "engine/tabulation.h"

namespace {

constexpr int64_t kRows = 100000;
constexpr int kVariables = 50;

// The survey file shared by every benchmark, written once into the temporary
// directory and removed when the program ends.
class BenchSurveyFile {
 public:
  BenchSurveyFile() {
    path_ = (std::filesystem::temp_directory_path() /
             ("kelvara-engine-bench-" + std::to_string(::getpid()) + ".csv"))
                .string();
    std::FILE* out = std::fopen(path_.c_str(), "wb");
    kelvara::bench::SurveyShape shape;
    shape.rows = kRows;
    shape.variables = kVariables;
    const bool written = out != nullptr && kelvara::bench::WriteSyntheticSurvey(shape, out);
    if (out != nullptr && std::fclose(out) != 0) throw std::runtime_error("cannot write " + path_);
    if (!written) throw std::runtime_error("cannot write " + path_);
  }
  ~BenchSurveyFile() { std::remove(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

const std::string& SurveyPath() {
  static const BenchSurveyFile file;
  return file.path();
}

int64_t FileBytes() { return static_cast<int64_t>(std::filesystem::file_size(SurveyPath())); }

// Columns of the generated file, 0-based as the engine takes them.
kelvara::RunRequest TableOneRequest(int variables) {
  kelvara::RunRequest request;
  request.fileName = SurveyPath();
  request.columns.unitColumn = kelvara::bench::kUnitColumn - 1;
  request.columns.sexColumn = kelvara::bench::kSexColumn - 1;
  request.columns.ageColumn = kelvara::bench::kAgeColumn - 1;
  request.columns.pregnancyColumn = kelvara::bench::kPregnancyColumn - 1;
  request.columns.weightColumn = kelvara::bench::kWeightColumn - 1;
  for (int v = 0; v < variables; ++v) {
    request.variableColumns.push_back(kelvara::bench::kFirstNutrientColumn - 1 + v);
  }
  return request;
}

// Scan plus one pass over every row: what the window's loading and every
// tabulation start with.
void BM_CsvTableScanAndRead(benchmark::State& state) {
  const std::string& path = SurveyPath();
  for (auto _ : state) {
    kelvara::CsvTable table;
    if (!table.Open(path)) {
      state.SkipWithError("cannot open the survey file");
      return;
    }
    table.Scan();
    int64_t cells = 0;
    while (table.ReadRow() >= 0) cells += table.cellCount();
    table.Close();
    benchmark::DoNotOptimize(cells);
  }
  state.SetBytesProcessed(state.iterations() * FileBytes());
}
BENCHMARK(BM_CsvTableScanAndRead)->Unit(benchmark::kMillisecond);

// Reading every cell as a number, as the person table is built.
void BM_CellNumbers(benchmark::State& state) {
  kelvara::CsvTable table;
  if (!table.Open(SurveyPath())) {
    state.SkipWithError("cannot open the survey file");
    return;
  }
  std::vector<std::string> cells;
  table.ReadRow();  // header
  while (table.ReadRow() >= 0 && cells.size() < 200000) {
    for (std::string_view cell : table.cells()) cells.emplace_back(cell);
  }
  for (auto _ : state) {
    double sum = 0.0;
    for (const std::string& cell : cells) {
      if (kelvara::IsValidCell(cell)) sum += kelvara::DecimalValue(cell);
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(cells.size()));
}
BENCHMARK(BM_CellNumbers)->Unit(benchmark::kMicrosecond);

// A whole run, Table 1 scheme with sampling units and weights; arguments:
// number of variables, threads (0: one per core).
void BM_TabulateVariables(benchmark::State& state) {
  const kelvara::RunRequest request = TableOneRequest(static_cast<int>(state.range(0)));
  const auto threads = static_cast<unsigned>(state.range(1));
  for (auto _ : state) {
    size_t bytes = 0;
    const kelvara::RunStatus status = kelvara::TabulateVariables(
        request, [&](std::string_view line) { bytes += line.size(); }, threads);
    if (status != kelvara::RunStatus::ok) {
      state.SkipWithError("the tabulation run failed");
      return;
    }
    benchmark::DoNotOptimize(bytes);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_TabulateVariables)
    ->ArgNames({"variables", "threads"})
    ->Args({1, 1})
    ->Args({kVariables, 1})
    ->Args({kVariables, 0})
    ->UseRealTime()  // the run has worker threads: wall time is what the user waits
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
