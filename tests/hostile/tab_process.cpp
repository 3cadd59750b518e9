#include "tests/hostile/tab_process.h"

namespace kelvara::hostile {

TabOutcome RunTab(const std::vector<std::string>& args, unsigned long addressSpaceLimit) {
  return testing::RunProgram(KELVARA_TAB, args, addressSpaceLimit);
}

}  // namespace kelvara::hostile
