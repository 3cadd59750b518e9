#include "ui/results/results_printing.h"

#include <QFontMetricsF>
#include <QPrinter>
#include <QTextDocument>
#include <QTextOption>
#include <algorithm>

#include "ui/results/results_pane.h"

namespace {

// The pane's font is sized in screen pixels, which would come out minute at
// a printer's resolution; paper gets a size in points: this size unless the
// longest line needs a smaller one to fit across the page.
constexpr double kPrintPointSize = 9.0;
// Below this size print is no longer readable: a longer line wraps instead.
constexpr double kSmallestPointSize = 4.0;
// QTextDocument::print keeps 2 cm margins inside the printable area.
constexpr double kDocumentMarginInches = 2.0 / 2.54;

}  // namespace

void PrintResults(const ResultsPane& pane, QPrinter& printer) {
  const QString text = pane.toPlainText();
  QFont font = pane.font();
  font.setPointSizeF(kPrintPointSize);
  const QFontMetricsF metrics(font, &printer);
  double widest = 0;
  for (QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
    widest = std::max(widest, metrics.horizontalAdvance(line.toString()));
  }
  // A report line prints on one line: the font shrinks until the widest one
  // fits, with a little room for the layout's rounding.
  const double across = printer.width() - 2 * kDocumentMarginInches * printer.logicalDpiX();
  if (widest > 0 && widest > 0.97 * across) {
    font.setPointSizeF(std::max(kSmallestPointSize, kPrintPointSize * 0.97 * across / widest));
  }

  QTextDocument document;
  document.setDefaultFont(font);
  QTextOption option;
  // Only a line too long even for the smallest size continues on the next
  // line, at the page edge rather than at the first blank.
  option.setWrapMode(QTextOption::WrapAnywhere);
  document.setDefaultTextOption(option);
  document.setPlainText(text);
  document.print(&printer);
}
