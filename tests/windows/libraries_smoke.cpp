// The two libraries the Windows build links statically from Debian's sources
// (scripts/windows-libs.sh), used once each: muparser evaluates "1+2*3" and
// libxlsxwriter writes the value into a one-cell workbook, which
// one_cell_workbook.sh reads back on Linux.
#include <muParser.h>
#include <xlsxwriter.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: libraries_smoke WORKBOOK.xlsx\n");
    return 2;
  }
  double value = 0;
  try {
    mu::Parser parser;
    parser.SetExpr("1+2*3");
    value = parser.Eval();
  } catch (const mu::Parser::exception_type& error) {
    std::fprintf(stderr, "muparser: %s\n", error.GetMsg().c_str());
    return 1;
  }
  lxw_workbook* workbook = workbook_new(argv[1]);
  if (workbook == nullptr) {
    std::fprintf(stderr, "libxlsxwriter: cannot start %s\n", argv[1]);
    return 1;
  }
  lxw_worksheet* sheet = workbook_add_worksheet(workbook, nullptr);
  lxw_error written = worksheet_write_number(sheet, 0, 0, value, nullptr);
  lxw_error closed = workbook_close(workbook);
  if (written != LXW_NO_ERROR || closed != LXW_NO_ERROR) {
    std::fprintf(stderr, "libxlsxwriter: %s\n", lxw_strerror(written != LXW_NO_ERROR ? written : closed));
    return 1;
  }
  std::printf("1+2*3 = %.17g, written to %s\n", value, argv[1]);
  return 0;
}
