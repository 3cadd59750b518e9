// Printing the results pane.
#pragma once

#include <QString>

class QPrinter;
class ResultsPane;

// Prints every line of the pane on `printer`, in the pane's fixed-pitch face
// at a size meant for paper, made smaller when the widest line needs it so
// that no report line wraps in mid-record. Where that would make the print
// too small to read on portrait paper, the job is printed landscape. Each
// page has `heading` (the file the results belong to) at its top and
// "n / m" at its foot.
void PrintResults(const ResultsPane& pane, QPrinter& printer, const QString& heading = QString());
