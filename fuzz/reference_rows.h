// The rows of a survey data file, worked out the plain way, byte by byte, as
// the reader's rules state them: the yardstick the fuzz checks hold the
// reader to.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvara::fuzz {

struct ReferenceRow {
  std::string line;                // the physical line, carriage returns dropped
  std::vector<std::string> cells;  // at most the limit asked for
};

// The non-blank rows of `bytes` read in text mode (CR dropped, 0x1A ends the
// file, LF ends a line, a UTF-8 byte order mark at the start dropped), each
// split into at most `cellLimit` cells.
std::vector<ReferenceRow> ReferenceRows(std::string_view bytes, int cellLimit);

// Cell `column` of a row; a column the row does not reach is empty.
std::string_view ReferenceCell(const ReferenceRow& row, int column);

}  // namespace kelvara::fuzz
