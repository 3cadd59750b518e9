// The lines of a saved results file, as the code page 932 report lines they
// stand for: kelvara-tab's --xlsx-from and the window's loaded results.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "engine/tabulation.h"

namespace kelvara {

struct ResultsLines {
  enum class Status {
    ok,
    cannotRead,     // the file cannot be opened or read
    lackingCp932,   // UTF-8 text with a character code page 932 lacks
  };
  Status status = Status::ok;
  // ok: the lines. lackingCp932: those before badLine converted, the others
  // as read (enough to tell what kind of file it is).
  std::vector<std::string> lines;
  size_t badLine = 0;  // lackingCp932: the first such line, counted from 1
};

// How far a reading has come: lines read, and bytes read of the file's size
// (0 when the file tells none).
using ReadingProgress = std::function<void(size_t lines, size_t bytesRead, size_t fileBytes)>;

// Reads the first `byteLimit` bytes of a results file (all of it by default)
// as text mode reads them: CR bytes dropped, 0x1A ends the file, lines of any
// length kept whole, empty lines kept. A file in UTF-8 (with a byte order
// mark, or without one when its text is valid UTF-8 and not plain ASCII), as
// kelvara-tab --utf8 writes it, becomes the code page 932 lines it stands
// for, through `utf8ToCp932`; a code page 932 file (whose Japanese is
// practically never valid UTF-8) stays as it is, its byte order mark put back
// if it had one. A stop request ends the reading early, with the lines read.
ResultsLines ReadResultsLines(const std::filesystem::path& path,
                              const NameConversion& utf8ToCp932,
                              size_t byteLimit = static_cast<size_t>(-1),
                              std::stop_token stop = {}, const ReadingProgress& progress = {});

}  // namespace kelvara
