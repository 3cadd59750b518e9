// Standard output and standard error as the tabulator writes them.
#pragma once

#include <cstdio>
#include <string_view>

namespace kelvara {

// Puts standard output and standard error into binary mode, so that the
// report's bytes, CR LF included, leave unchanged (Windows' text mode would
// put a CR before every LF). Nothing to do elsewhere.
void UseBinaryStandardStreams();

// Writes UTF-8 text. A Windows console is given the text as Unicode, so that
// it reads right whatever the console's code page; files, pipes and
// terminals elsewhere receive the bytes as they are. False when the write
// failed at once (a stream error may also show only when it is flushed).
bool WriteUtf8(std::FILE* stream, std::string_view text);

}  // namespace kelvara
