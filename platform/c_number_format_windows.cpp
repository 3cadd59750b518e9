#include "platform/c_number_format.h"

#include <clocale>
#include <locale.h>
#include <string>

namespace kelvara {

// Windows: the C runtime's locale made the thread's own for the scope, its
// numbers set to the C locale's, and both restored after.
struct CNumberFormatScope::Previous {
  int threadMode = -1;
  std::string numbers;
};

CNumberFormatScope::CNumberFormatScope() : previous_(std::make_unique<Previous>()) {
  previous_->threadMode = _configthreadlocale(_ENABLE_PER_THREAD_LOCALE);
  if (const char* numbers = std::setlocale(LC_NUMERIC, nullptr)) previous_->numbers = numbers;
  std::setlocale(LC_NUMERIC, "C");
}

CNumberFormatScope::~CNumberFormatScope() {
  if (!previous_->numbers.empty()) std::setlocale(LC_NUMERIC, previous_->numbers.c_str());
  if (previous_->threadMode != -1) _configthreadlocale(previous_->threadMode);
}

}  // namespace kelvara
