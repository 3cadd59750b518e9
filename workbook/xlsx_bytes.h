// A workbook of report tables as the bytes of an Excel file (.xlsx), written
// by libxlsxwriter. The callers put the bytes on the disk their own way (all
// or nothing), as they do with report lines.
#pragma once

#include <string>

#include "engine/report/workbook.h"

namespace kelvara {

struct XlsxBytes {
  enum class Status {
    ok,
    noTemporary,  // no temporary file to write through
    failed,       // the library refused the workbook
  };
  Status status = Status::ok;
  std::string bytes;   // ok: the file's bytes
  std::string detail;  // otherwise: the system's or the library's words (English)
};

// The file of `workbook`: text as UTF-8, numbers as numbers in their format,
// headings in bold, column widths and frozen panes as the sheets say. A
// cell's text beyond the 32767 characters a cell holds is cut.
XlsxBytes WriteXlsx(const Workbook& workbook);

}  // namespace kelvara
