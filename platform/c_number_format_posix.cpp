#include "platform/c_number_format.h"

#include <locale.h>

namespace kelvara {

// POSIX: a thread locale of its own, the C locale's numbers over the
// thread's present locale.
struct CNumberFormatScope::Previous {
  locale_t numbers = static_cast<locale_t>(0);
  locale_t before = static_cast<locale_t>(0);
};

CNumberFormatScope::CNumberFormatScope() : previous_(std::make_unique<Previous>()) {
  locale_t base = duplocale(uselocale(static_cast<locale_t>(0)));
  if (base == static_cast<locale_t>(0)) return;
  previous_->numbers = newlocale(LC_NUMERIC_MASK, "C", base);
  if (previous_->numbers == static_cast<locale_t>(0)) {
    freelocale(base);
    return;
  }
  previous_->before = uselocale(previous_->numbers);
}

CNumberFormatScope::~CNumberFormatScope() {
  if (previous_->numbers == static_cast<locale_t>(0)) return;
  uselocale(previous_->before);
  freelocale(previous_->numbers);
}

}  // namespace kelvara
