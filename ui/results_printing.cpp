#include "ui/results_printing.h"

#include <QPrinter>
#include <QTextDocument>
#include <QTextOption>

#include "ui/results_pane.h"

namespace {
// The pane's font is sized in screen pixels, which would come out minute at
// a printer's resolution; paper gets a size in points, small enough that a
// full report line (about 115 characters) fits the width of an A4 page.
constexpr double kPrintPointSize = 7.5;
}

void PrintResults(const ResultsPane& pane, QPrinter& printer) {
  QTextDocument document;
  QFont font = pane.font();
  font.setPointSizeF(kPrintPointSize);
  document.setDefaultFont(font);
  QTextOption option;
  // A longer line continues on the next at the page edge, not at the first
  // break opportunity after the group's label.
  option.setWrapMode(QTextOption::WrapAnywhere);
  document.setDefaultTextOption(option);
  document.setPlainText(pane.toPlainText());
  document.print(&printer);
}
