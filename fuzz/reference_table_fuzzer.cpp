// libFuzzer entry: the reference table reader on arbitrary bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/reference_table_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string failure =
      kelvara::fuzz::CheckReferenceTable({reinterpret_cast<const char*>(data), size});
  if (!failure.empty()) {
    std::fprintf(stderr, "reference table check failed: %s\n", failure.c_str());
    std::abort();
  }
  return 0;
}
