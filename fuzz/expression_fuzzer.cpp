// libFuzzer entry: an expression of a computed variable, compiled and evaluated.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/expression_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string failure =
      kelvara::fuzz::CheckExpression({reinterpret_cast<const char*>(data), size});
  if (!failure.empty()) {
    std::fprintf(stderr, "expression check failed: %s\n", failure.c_str());
    std::abort();
  }
  return 0;
}
