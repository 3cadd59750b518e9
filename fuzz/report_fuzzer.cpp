// libFuzzer entry: report lines read back from arbitrary results files.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/report_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string failure =
      kelvara::fuzz::CheckReportReading({reinterpret_cast<const char*>(data), size});
  if (!failure.empty()) {
    std::fprintf(stderr, "report check failed: %s\n", failure.c_str());
    std::abort();
  }
  return 0;
}
