// Results files: the results pane's lines on disk, CR LF after each line.
#pragma once

#include <QString>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

class ProgressNote;

// Reads a results file as the pane's lines: CR bytes are dropped, LF ends a
// line, a byte 0x1A ends the file, and a last line without a line end counts
// whole. Lines of any length are kept whole. Nothing when the file cannot be
// opened or read. With a note, the lines read so far are noted as the reading
// goes; a stop request ends it early, with whatever lines were read.
std::optional<std::vector<std::string>> ReadResultsFile(const QString& path,
                                                        std::stop_token stop = {},
                                                        ProgressNote* note = nullptr);

// Writes every line followed by CR LF into a temporary file beside `path` and
// renames it over `path` only when all of it was written, so a failed save
// leaves an existing file as it was. False when anything failed, with the
// cause in `cause` when one is given.
bool WriteResultsFile(const QString& path, const std::vector<std::string>& lines,
                      QString* cause = nullptr);

// Whether the file can be opened for reading.
bool FileReadable(const QString& path);
