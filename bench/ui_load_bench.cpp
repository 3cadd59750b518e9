// ui_load_bench: how long the window takes to load a big survey data file
// into the grid, how much memory that takes at its peak, whether scrolling
// stays immediate, and how long loading a big results file takes.
//
//   ui_load_bench SURVEY.csv [RESULT_LINES]
//
// Prints one line per figure. Runs on the offscreen platform unless
// QT_QPA_PLATFORM says otherwise.
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>
#include <string>

#include "bench/fixed_answers.h"
#include "ui/window/main_window.h"
#include "ui/window/program_entry.h"
#include "ui/results/results_pane.h"
#include "ui/settings/survey_grid_model.h"

namespace {

double PeakResidentMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
}

// A results file of `count` lines shaped like report lines.
QString WriteResultsFile(const QTemporaryDir& dir, int count) {
  const QString path = dir.filePath(QStringLiteral("results.csv"));
  std::FILE* out = std::fopen(path.toLocal8Bit().constData(), "wb");
  for (int i = 0; i < count; ++i) {
    std::fprintf(out,
                 "\"\x92j\x91\x8D\x90\x94\",%d,%d,1947.25,512.113,20.8731,312,705.2,1064.3,"
                 "1266.47,1586.82,1921.5,2274.88,2614.6,2851.93,3305.17,%d\r\n",
                 i, i % 17, 4200 + i % 1000);
  }
  std::fclose(out);
  return path;
}

// Milliseconds to move the grid to `position` of its vertical range and paint
// what it then shows.
double ScrollAndPaint(QTableView* grid, int position) {
  QElapsedTimer timer;
  timer.start();
  grid->verticalScrollBar()->setValue(position);
  grid->viewport()->grab();
  return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: ui_load_bench SURVEY.csv [RESULT_LINES]\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const QString surveyPath = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
  const int resultLines = argc > 2 ? std::stoi(argv[2]) : 100000;

  CreateWindows();
  FixedAnswers dialogs;
  MainForm->SetDialogService(&dialogs);
  MainForm->show();
  QApplication::processEvents();
  const double baseline = PeakResidentMegabytes();

  const double fileMegabytes = static_cast<double>(QFileInfo(surveyPath).size()) / 1048576.0;
  dialogs.path = surveyPath;
  QElapsedTimer timer;
  timer.start();
  MainForm->Button1Click();
  QApplication::processEvents();
  const double loadSeconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
  const double peak = PeakResidentMegabytes();
  auto* grid = MainForm->findChild<QTableView*>(QStringLiteral("StringGridDietFile"));
  if (!dialogs.errors.isEmpty()) {
    std::fprintf(stderr, "load failed: %s\n", qPrintable(dialogs.errors.join(QLatin1Char(' '))));
    return 1;
  }
  std::printf("survey file: %s, %.1f MiB, %d data rows, %d columns\n", argv[1], fileMegabytes,
              grid->model()->rowCount(), grid->model()->columnCount());
  std::printf("grid load: %.2f s\n", loadSeconds);
  std::printf("peak resident memory: %.1f MiB (%.2f x the file; %.1f MiB before loading)\n", peak,
              peak / fileMegabytes, baseline);

  const int bottom = grid->verticalScrollBar()->maximum();
  double slowest = 0;
  for (int position : {bottom, 0, bottom / 2, bottom / 3, bottom - 1, 1}) {
    slowest = std::max(slowest, ScrollAndPaint(grid, position));
  }
  std::printf("scroll and repaint, slowest of 6 jumps: %.1f ms\n", slowest);

  QTemporaryDir dir;
  dialogs.path = WriteResultsFile(dir, resultLines);
  timer.restart();
  MainForm->FileOpen();
  QApplication::processEvents();
  const double resultsSeconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
  std::printf("results file load: %zu lines in %.2f s\n", MainForm->findChild<ResultsPane*>(QStringLiteral("RichEditKekka"))->lines().size(),
              resultsSeconds);
  DestroyWindows();
  return 0;
}
