// Printing the results pane.
#pragma once

#include <QString>

class QPrinter;
class ResultsPane;

// Prints every line of the pane on `printer`, in the pane's fixed-pitch face
// at a size meant for paper, made smaller when the widest line needs it so
// that report lines print whole. Where that would make the print too small
// to read (long lines with added columns, portrait paper), the columns are
// wrapped into bands instead: each block is printed with its first columns,
// then again under its heading marked 「（続き）」 with the group labels and
// the columns that follow, as a wide table is printed on two sheets. Each page has `heading` (the file the
// results belong to) at its top and "n / m" at its foot.
void PrintResults(const ResultsPane& pane, QPrinter& printer, const QString& heading = QString());
