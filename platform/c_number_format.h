// C libraries that print numbers with printf follow the process's locale:
// under de_DE they write 7,5 where a file format wants 7.5. The window runs
// in the user's locale (Qt sets it at start), so a library writing a file
// format is called inside one of these scopes.
#pragma once

#include <memory>

namespace kelvara {

// While it lives, the calling thread prints and reads numbers as the C
// locale does; other threads keep theirs.
class CNumberFormatScope {
 public:
  CNumberFormatScope();
  ~CNumberFormatScope();
  CNumberFormatScope(const CNumberFormatScope&) = delete;
  CNumberFormatScope& operator=(const CNumberFormatScope&) = delete;

 private:
  struct Previous;
  std::unique_ptr<Previous> previous_;
};

}  // namespace kelvara
