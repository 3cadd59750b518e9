// libFuzzer entry: a whole tabulation run on an arbitrary file with arbitrary
// column choices and scheme.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/tabulation_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string failure =
      kelvara::fuzz::CheckTabulation({reinterpret_cast<const char*>(data), size});
  if (!failure.empty()) {
    std::fprintf(stderr, "tabulation check failed: %s\n", failure.c_str());
    std::abort();
  }
  return 0;
}
