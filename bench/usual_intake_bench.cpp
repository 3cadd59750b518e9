// Usual-intake runs on a generated person-day file: 20,000 persons, 30% of
// them with a second day, 10 intake variables, 10 age bands a sex, 200
// sampling units in 20 strata. Times whole runs (reading included).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

#include <unistd.h>

#include "engine/tabulation.h"

namespace {

constexpr int kPersons = 20000;
constexpr double kRepeatedShare = 0.3;
constexpr int kVariables = 10;

// Columns: person, unit, stratum, sex, age, pregnancy, weight, v1..v10.
class PersonDayFile {
 public:
  PersonDayFile() {
    path_ = (std::filesystem::temp_directory_path() /
             ("kelvara-usual-bench-" + std::to_string(::getpid()) + ".csv"))
                .string();
    std::FILE* out = std::fopen(path_.c_str(), "wb");
    if (out == nullptr) throw std::runtime_error("cannot write " + path_);
    std::mt19937_64 random(1);
    std::normal_distribution<double> normal(0.0, 1.0);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    std::fputs("person,unit,stratum,sex,age,preg,weight", out);
    for (int v = 1; v <= kVariables; ++v) std::fprintf(out, ",v%d", v);
    std::fputs("\r\n", out);
    std::string secondDays;
    for (int p = 0; p < kPersons; ++p) {
      const int unit = p % 200, stratum = unit / 10;
      const int sex = 1 + p % 2;
      const int age = 1 + (p / 2) % 90;
      const double weight = 1 + 2 * uniform(random);
      double usual[kVariables];
      for (int v = 0; v < kVariables; ++v) usual[v] = std::log(100.0 * (v + 1)) + 0.3 * normal(random);
      const int days = uniform(random) < kRepeatedShare ? 2 : 1;
      for (int d = 0; d < days; ++d) {
        char row[512];
        int length = std::snprintf(row, sizeof row, "%d,%d,%d,%d,%d,0,%.4f", p, unit, stratum, sex,
                                   age, weight);
        for (int v = 0; v < kVariables; ++v) {
          length += std::snprintf(row + length, sizeof row - static_cast<size_t>(length), ",%.5g",
                                  std::exp(usual[v] + 0.4 * normal(random)));
        }
        std::string line = std::string(row) + "\r\n";
        // Second days follow all first days, as in a file of two survey days.
        if (d == 0) {
          std::fputs(line.c_str(), out);
        } else {
          secondDays += line;
        }
      }
    }
    std::fputs(secondDays.c_str(), out);
    if (std::fclose(out) != 0) throw std::runtime_error("cannot write " + path_);
  }
  ~PersonDayFile() { std::remove(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

const std::string& FilePath() {
  static const PersonDayFile file;
  return file.path();
}

kelvara::RunRequest UsualRequest() {
  kelvara::RunRequest request;
  request.fileName = FilePath();
  request.columns = {1, 3, 4, 5, 6};
  for (int v = 0; v < kVariables; ++v) request.variableColumns.push_back(7 + v);
  request.design.strataColumn = 2;
  request.design.usual.personColumn = 0;
  request.design.usual.enabled = true;
  return request;
}

void Run(benchmark::State& state, const kelvara::RunRequest& request) {
  size_t lines = 0;
  for (auto _ : state) {
    lines = 0;
    const kelvara::RunStatus status =
        kelvara::TabulateVariables(request, [&](std::string_view) { ++lines; });
    if (status != kelvara::RunStatus::ok) state.SkipWithError("the run failed");
  }
  state.counters["lines"] = static_cast<double>(lines);
}

// The target: under 2 s on the 2-core machine.
void BM_UsualIntake(benchmark::State& state) { Run(state, UsualRequest()); }
BENCHMARK(BM_UsualIntake)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// With --bootstrap 200: under 60 s.
void BM_UsualIntakeBootstrap(benchmark::State& state) {
  kelvara::RunRequest request = UsualRequest();
  request.design.usual.bootstrapReplicates = 200;
  request.design.shareBelow = 300;
  Run(state, request);
}
BENCHMARK(BM_UsualIntakeBootstrap)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// The same file without --usual, for the share the usual intake adds.
void BM_FirstRowsOnly(benchmark::State& state) {
  kelvara::RunRequest request = UsualRequest();
  request.design.usual.enabled = false;
  Run(state, request);
}
BENCHMARK(BM_FirstRowsOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
