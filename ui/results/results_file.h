// Results files: the results pane's lines on disk, CR LF after each line.
#pragma once

#include <QString>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

class ProgressNote;

// Reads a results file as the pane's lines: CR bytes are dropped, LF ends a
// line, a byte 0x1A ends the file, and a last line without a line end counts
// whole. Lines of any length are kept whole. A file in UTF-8 (with a byte
// order mark, or without one when its text is valid UTF-8), as kelvara-tab
// --utf8 writes it, is read as the code page 932 lines it stands for.
// Nothing when the file cannot be opened or read, or, with `refusal` set,
// when it is no results file: it has no block heading 【…】, or a UTF-8
// character that code page 932 lacks. With a note, the lines read so far are
// noted as the reading goes; a stop request ends it early, with whatever
// lines were read.
std::optional<std::vector<std::string>> ReadResultsFile(const QString& path,
                                                        std::stop_token stop = {},
                                                        ProgressNote* note = nullptr,
                                                        QString* refusal = nullptr);

// What an existing file that a save would replace is, when it is not a
// results file (no 【…】 heading among its first lines): a few words such as
// "空のファイル". Empty when there is no such file or it is a results file.
QString NonResultsFileDescription(const QString& path);

// Writes every line followed by CR LF into a temporary file beside `path` and
// renames it over `path` only when all of it was written, so a failed save
// leaves an existing file as it was. False when anything failed, with the
// cause in `cause` when one is given.
bool WriteResultsFile(const QString& path, const std::vector<std::string>& lines,
                      QString* cause = nullptr);

// The same for bytes as they are (a workbook's).
bool WriteFileBytes(const QString& path, std::string_view bytes, QString* cause = nullptr);

// Whether the file can be opened for reading.
bool FileReadable(const QString& path);
