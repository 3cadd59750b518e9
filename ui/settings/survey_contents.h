// What the settings tab shows of a survey data file, read off the window's
// thread, and what tells a survey data file from other files.
#pragma once

#include <filesystem>
#include <stop_token>
#include <string>
#include <vector>

#include "engine/reading/text_encoding.h"
#include "ui/settings/cell_store.h"

namespace kelvara {
class CsvTable;
}
class ProgressNote;

struct SurveyContents {
  int rowCount = 0;     // rows, the header row included
  int columnCount = 0;  // the widest row, each row counted up to 256 cells
  // The header row's cells (at most columnCount), as the file's bytes.
  std::vector<std::string> header;
  kelvara::TextEncoding encoding = kelvara::TextEncoding::cp932;      // of the names
  kelvara::TextEncoding cellEncoding = kelvara::TextEncoding::cp932;  // of the cells shown
  CellStore cells;  // the data rows, at most columnCount cells each
  bool readFailed = false;
  bool anyNumber = false;  // some cell of the first data rows holds a number
};

// Reads every row of an opened survey data file into the contents, telling
// `note` how far it has come. Returns early, incomplete, on a stop request.
SurveyContents ReadSurveyContents(kelvara::CsvTable& table, std::stop_token stop,
                                  ProgressNote& note);

// What the first bytes of a file say it is.
enum class FileKind {
  text,
  utf16,   // text in UTF-16 (its byte order mark): every other byte is 0
  binary,  // bytes that are not text at all (0 bytes, many control bytes)
};
FileKind KindOfFile(const std::filesystem::path& path);
