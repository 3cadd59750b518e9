// libFuzzer entry: arbitrary results files drawn as the chart tab draws them,
// offscreen.
#include <QApplication>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/chart_check.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication application(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string failure =
      kelvara::fuzz::CheckChartDrawing({reinterpret_cast<const char*>(data), size});
  if (!failure.empty()) {
    std::fprintf(stderr, "chart check failed: %s\n", failure.c_str());
    std::abort();
  }
  return 0;
}
