// libFuzzer entry: the CSV table reader on arbitrary bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/reader_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string failure =
      kelvara::fuzz::CheckCsvTable({reinterpret_cast<const char*>(data), size});
  if (!failure.empty()) {
    std::fprintf(stderr, "reader check failed: %s\n", failure.c_str());
    std::abort();
  }
  return 0;
}
