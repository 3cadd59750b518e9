// How the results pane shows a report line: decoded, and the usual-intake
// method line, which runs to hundreds of characters, split into a line per
// band and per statement. For the eye only: the pane keeps, saves and prints
// the report's own lines.
#pragma once

#include <QStringList>
#include <string_view>

// The lines shown for one report line (code page 932): one, but for the
// usual-intake method line, whose continuation lines are indented and whose
// band その他 says who it holds.
QStringList ShownLines(std::string_view line);
