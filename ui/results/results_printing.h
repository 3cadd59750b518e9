// Printing the results pane.
#pragma once

class QPrinter;
class ResultsPane;

// Prints every line of the pane on `printer`, in the pane's fixed-pitch face
// at a size meant for paper, made smaller when the widest line needs it so
// that no report line wraps in mid-record.
void PrintResults(const ResultsPane& pane, QPrinter& printer);
