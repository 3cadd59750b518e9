#include "workbook/xlsx_bytes.h"

#include <xlsxwriter.h>

#include <cstdio>
#include <map>
#include <system_error>

#include "codec/cp932.h"
#include "platform/c_number_format.h"
#include "platform/file_opening.h"
#include "platform/file_replacement.h"
#include "platform/narrow_file_name.h"

namespace kelvara {
namespace {

// The most characters a cell holds.
constexpr size_t kCellTextLimit = 32767;

// The text cut to the characters a cell holds, at a character's start.
std::string CellText(std::string_view cp932) {
  std::string utf8 = Cp932ToUtf8(cp932);
  size_t characters = 0;
  for (size_t i = 0; i < utf8.size(); ++i) {
    if ((static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) continue;
    // A character beyond the first plane counts twice, as a cell counts it.
    characters += static_cast<unsigned char>(utf8[i]) >= 0xF0 ? 2 : 1;
    if (characters > kCellTextLimit) {
      utf8.resize(i);
      break;
    }
  }
  return utf8;
}

// The temporary file libxlsxwriter writes, removed however the writing ends.
class TemporaryFile {
 public:
  ~TemporaryFile() {
    if (path.empty()) return;
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
  std::filesystem::path path;
};

// The formats of one workbook, made once each.
class Formats {
 public:
  explicit Formats(lxw_workbook* book) : book_(book) {}

  lxw_format* Heading() {
    if (heading_ == nullptr) {
      heading_ = workbook_add_format(book_);
      format_set_bold(heading_);
    }
    return heading_;
  }

  // "0", "0.0", "0.00", ...; nothing for the General format.
  lxw_format* Decimals(int decimals) {
    if (decimals < 0) return nullptr;
    lxw_format*& format = decimals_[decimals];
    if (format == nullptr) {
      format = workbook_add_format(book_);
      const std::string pattern = decimals == 0 ? "0" : "0." + std::string(static_cast<size_t>(decimals), '0');
      format_set_num_format(format, pattern.c_str());
    }
    return format;
  }

 private:
  lxw_workbook* book_;
  lxw_format* heading_ = nullptr;
  std::map<int, lxw_format*> decimals_;
};

// Puts the sheets into the book; the library's first complaint, if any.
lxw_error FillBook(lxw_workbook* book, const Workbook& workbook, std::string& detail) {
  Formats formats(book);
  for (const WorkbookSheet& sheet : workbook.sheets) {
    const std::string name = Cp932ToUtf8(sheet.name);
    lxw_worksheet* worksheet = workbook_add_worksheet(book, name.c_str());
    if (worksheet == nullptr) {
      detail = "the sheet name " + name + " was refused";
      return LXW_ERROR_SHEETNAME_ALREADY_USED;
    }
    for (const WorkbookCell& cell : sheet.cells) {
      lxw_error error = LXW_NO_ERROR;
      if (cell.number) {
        error = worksheet_write_number(worksheet, cell.row, cell.column, *cell.number,
                                       formats.Decimals(cell.decimals));
      } else if (!cell.text.empty()) {
        error = worksheet_write_string(worksheet, cell.row, cell.column, CellText(cell.text).c_str(),
                                       cell.heading ? formats.Heading() : nullptr);
      }
      if (error != LXW_NO_ERROR) {
        detail = "sheet " + name + ", row " + std::to_string(cell.row + 1) + ": " + lxw_strerror(error);
        return error;
      }
    }
    for (size_t c = 0; c < sheet.columnWidths.size(); ++c) {
      const auto column = static_cast<lxw_col_t>(c);
      worksheet_set_column(worksheet, column, column, sheet.columnWidths[c], nullptr);
    }
    if (sheet.frozenRows > 0 || sheet.frozenColumns > 0) {
      worksheet_freeze_panes(worksheet, sheet.frozenRows, sheet.frozenColumns);
    }
  }
  return LXW_NO_ERROR;
}

std::optional<std::string> ReadBytes(const std::filesystem::path& path) {
  std::FILE* file = OpenFileStream(path, "rb");
  if (file == nullptr) return std::nullopt;
  std::string bytes;
  char buffer[1 << 16];
  for (size_t read; (read = std::fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.append(buffer, read);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) return std::nullopt;
  return bytes;
}

}  // namespace

XlsxBytes WriteXlsx(const Workbook& workbook) {
  XlsxBytes result;
  // The library writes a named file, and its own temporary files into a
  // folder: both in the system's folder for temporary files, under names its
  // narrow fopen can open.
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  TemporaryFile temporary;
  std::string reason;
  std::FILE* reserved =
      error ? nullptr : CreateFileBeside(folder / "kelvara-workbook.xlsx", temporary.path, reason);
  if (reserved == nullptr) {
    result.status = XlsxBytes::Status::noTemporary;
    result.detail = error ? error.message() : reason;
    return result;
  }
  std::fclose(reserved);
  std::optional<std::string> fileName = NarrowFileName(temporary.path);
  std::optional<std::string> folderName = NarrowFileName(folder);
  if (!fileName || !folderName) {
    result.status = XlsxBytes::Status::noTemporary;
    result.detail = "the folder for temporary files has a name the library cannot open";
    return result;
  }
  // Debian's library prints numbers with printf, which follows the locale.
  const CNumberFormatScope numbersAsInTheFile;
  lxw_workbook_options options = {};
  options.tmpdir = folderName->data();
  lxw_workbook* book = workbook_new_opt(fileName->c_str(), &options);
  if (book == nullptr) {
    result.status = XlsxBytes::Status::failed;
    result.detail = "cannot start a workbook";
    return result;
  }
  const lxw_error filled = FillBook(book, workbook, result.detail);
  const lxw_error closed = workbook_close(book);  // frees the book in any case
  if (filled != LXW_NO_ERROR || closed != LXW_NO_ERROR) {
    result.status = XlsxBytes::Status::failed;
    if (filled == LXW_NO_ERROR) result.detail = lxw_strerror(closed);
    return result;
  }
  std::optional<std::string> bytes = ReadBytes(temporary.path);
  if (!bytes) {
    result.status = XlsxBytes::Status::failed;
    result.detail = "cannot read back the workbook written";
    return result;
  }
  result.bytes = std::move(*bytes);
  return result;
}

}  // namespace kelvara
