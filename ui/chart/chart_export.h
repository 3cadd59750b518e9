// Saving a chart picture as a PNG image or a PDF file, and printing it.
#pragma once

#include <QString>

class QFont;
class QPrinter;
struct ChartData;

// The picture as a PNG image at 300 dots per inch, fit for a paper. False
// when it could not be written, with the cause in `cause`; an existing file
// is then left as it was.
bool SaveChartPng(const QString& path, const ChartData& data, const QFont& windowFont,
                  QString* cause = nullptr);

// The picture as a one-page PDF file of its own size, in vectors, with
// `title` as the document's title. False as for the image.
bool SaveChartPdf(const QString& path, const ChartData& data, const QFont& windowFont,
                  const QString& title, QString* cause = nullptr);

// Prints the picture on one page of `printer`, as large as the page's
// printable area allows at the picture's own proportions. False when the
// printer could not be started.
bool PrintChart(QPrinter& printer, const ChartData& data, const QFont& windowFont);
