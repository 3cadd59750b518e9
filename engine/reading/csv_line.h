// Splitting one line of a survey data file into cells.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvara {

// A line is blank when none of its bytes is content. Content bytes are the
// printable ASCII bytes other than comma and double quote, and every byte from
// 0x80 up, so that a header made only of Japanese column names is a row.
bool IsBlankLine(std::string_view line);

// Splits a line into at most `limit` cells and returns their number (at least
// 1). The cells are laid end to end in `cellText`, which the views in `cells`
// point into; both are overwritten. Quoted cells may hold commas and doubled
// quotes; spaces around cells and at the end of a cell are dropped; text after
// a closing quote starts a new cell. Cells past the limit are ignored.
//
// Shift-JIS double-byte characters need no special care here: no trail byte
// (0x40 to 0xFC) is a comma, a double quote or a space, so a byte-wise walk
// never moves a cell boundary into a character, and a lead byte at the very end
// of a line is copied alone without looking past the line.
int SplitLine(std::string_view line, int limit, std::string& cellText,
              std::vector<std::string_view>& cells);

}  // namespace kelvara
