#include "ui/results_printing.h"

#include <QPrinter>
#include <QTextDocument>
#include <QTextOption>

#include "ui/results_pane.h"

namespace {
// The pane's font is sized in screen pixels, which would come out minute at
// a printer's resolution; paper gets a size in points.
constexpr double kPrintPointSize = 9.0;
}

void PrintResults(const ResultsPane& pane, QPrinter& printer) {
  QTextDocument document;
  QFont font = pane.font();
  font.setPointSizeF(kPrintPointSize);
  document.setDefaultFont(font);
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  document.setDefaultTextOption(option);
  document.setPlainText(pane.toPlainText());
  document.print(&printer);
}
