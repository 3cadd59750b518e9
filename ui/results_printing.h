// Printing the results pane.
#pragma once

class QPrinter;
class ResultsPane;

// Prints every line of the pane on `printer`, in the pane's fixed-pitch face
// at a size meant for paper; lines wider than the page wrap.
void PrintResults(const ResultsPane& pane, QPrinter& printer);
