// The writer of a build without libxlsxwriter (a Windows build before the
// library is there): it says so, and the rest of the program goes on.
#include "workbook/xlsx_bytes.h"

namespace kelvara {

bool XlsxAvailable() { return false; }

XlsxBytes WriteXlsx(const Workbook&) {
  XlsxBytes result;
  result.status = XlsxBytes::Status::unavailable;
  result.detail = "this build of Kelvara was made without libxlsxwriter";
  return result;
}

}  // namespace kelvara
