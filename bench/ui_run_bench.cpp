// ui_run_bench: whether the window stays responsive while it reads a big
// survey data file and runs 50 variables on it, and how soon 中止 ends the
// work.
//
//   ui_run_bench SURVEY.csv
//
// SURVEY.csv is a file of kelvara-generate-survey: 1 地区, 2 性別, 3 年齢,
// 4 妊婦授乳婦, 5 重み, then the nutrients from column 6 on (50 of them).
// Prints, for the load and for the run: the time taken, the longest gap
// between two turns of the window's event loop (a 10 ms timer that can only
// fire when the loop turns) and between two repaints of the main window
// (which the timer asks for at every turn); for a load and a run stopped
// part-way, the time from 中止 to the window being free again and what was
// left behind; last, how long the engine's own threads go on after a stop
// request while reading and while computing. Runs on the offscreen platform unless
// QT_QPA_PLATFORM says otherwise. With KELVARA_BENCH_GAPS set it also lists
// when the event loop stood still for more than 60 ms.
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QFile>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <stop_token>
#include <thread>
#include <vector>

#include "engine/tabulation.h"

#include "bench/fixed_answers.h"
#include "ui/window/main_window.h"
#include "ui/window/progress_window.h"
#include "ui/window/program_entry.h"
#include "ui/results/results_pane.h"

namespace {

// The longest wait between two events of one kind, from `start` to `end`.
class Gaps {
 public:
  void Start() {
    clock_.start();
    last_ = 0;
    longest_ = 0;
    count_ = 0;
  }
  void Tick() {
    const qint64 now = clock_.elapsed();
    longest_ = std::max(longest_, now - last_);
    if (now - last_ > kSlowMs) slow_.emplace_back(last_, now);
    last_ = now;
    ++count_;
  }
  // The gaps longer than kSlowMs, as (from, to) in milliseconds.
  const std::vector<std::pair<qint64, qint64>>& slow() const { return slow_; }
  qint64 longest() const { return longest_; }
  int count() const { return count_; }

 private:
  QElapsedTimer clock_;
  static constexpr qint64 kSlowMs = 60;
  qint64 last_ = 0;
  qint64 longest_ = 0;
  int count_ = 0;
  std::vector<std::pair<qint64, qint64>> slow_;
};

// Counts a window's repaints.
class PaintWatch : public QObject {
 public:
  Gaps gaps;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) gaps.Tick();
    return QObject::eventFilter(watched, event);
  }
};

struct Measured {
  double seconds = 0;
  qint64 longestTurnMs = 0;
  qint64 longestPaintMs = 0;
  int paints = 0;
};

// Runs a command with the timer and the paint watch on; the gaps end when
// the command returns, so work done after the progress window closes counts.
template <typename Command>
Measured Watch(PaintWatch& paints, Command command) {
  Gaps turns;
  QTimer timer;
  timer.setInterval(10);
  QObject::connect(&timer, &QTimer::timeout, [&turns] {
    turns.Tick();
    MainForm->update();
  });
  QElapsedTimer clock;
  clock.start();
  turns.Start();
  paints.gaps.Start();
  timer.start();
  command();
  turns.Tick();
  paints.gaps.Tick();
  if (qEnvironmentVariableIsSet("KELVARA_BENCH_GAPS")) {
    for (const auto& [from, to] : turns.slow()) {
      std::printf("  no event-loop turn from %lld to %lld ms\n", static_cast<long long>(from),
                  static_cast<long long>(to));
    }
  }
  return {static_cast<double>(clock.nsecsElapsed()) / 1e9, turns.longest(), paints.gaps.longest(),
          paints.gaps.count() - 1};
}

struct Stopped {
  double ms = -1;  // from the press to the command's return
  QString doing;   // what the progress window said at the press
};

// Presses 中止 once the progress window's text starts with `doing`, at
// least `afterMs` after the command starts, and measures from the press to
// the command's return.
template <typename Command>
Stopped StopWhen(const QString& doing, int afterMs, Command command) {
  QElapsedTimer sinceStart, sincePress;
  Stopped stopped;
  QTimer watch;
  watch.setInterval(10);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    const QString text = FormProgress->findChild<QLabel*>(QStringLiteral("LabelStatus"))->text();
    if (sincePress.isValid() || sinceStart.elapsed() < afterMs || !text.startsWith(doing)) return;
    stopped.doing = text;
    sincePress.start();
    FormProgress->findChild<QPushButton*>(QStringLiteral("ButtonStop"))->click();
  });
  sinceStart.start();
  watch.start();
  command();
  if (sincePress.isValid()) stopped.ms = static_cast<double>(sincePress.nsecsElapsed()) / 1e6;
  return stopped;
}

// How long the engine itself goes on after a stop request: the window is
// given back at once, while the run ends between blocks of rows or between
// variables. The stop comes `afterMs` into the stage named.
double EngineStopMs(const QString& survey, kelvara::RunProgress::Stage stage, int afterMs) {
  kelvara::RunRequest request;
  request.fileName = QFile::encodeName(survey).toStdString();
  request.columns = {0, 1, 2, 3, 4};
  for (int column = 5; column < 55; ++column) request.variableColumns.push_back(column);
  std::stop_source stop;
  std::atomic<bool> stageReached{false};
  kelvara::RunControl control;
  control.stop = stop.get_token();
  control.progress = [&](const kelvara::RunProgress& p) {
    if (p.stage == stage) stageReached = true;
  };
  QElapsedTimer sinceStop;
  std::jthread stopper([&] {
    while (!stageReached) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(afterMs));
    sinceStop.start();
    stop.request_stop();
  });
  kelvara::TabulateVariables(request, [](std::string_view) {}, control);
  const double ms = static_cast<double>(sinceStop.nsecsElapsed()) / 1e6;
  stopper.join();
  return ms;
}

void ChooseEverything() {
  const auto select = [](const char* name, int position) {
    MainForm->findChild<QComboBox*>(QString::fromLatin1(name))->setCurrentIndex(position);
  };
  select("ComboBoxID1", 1);
  select("ComboBoxBunrui1", 2);
  select("ComboBoxBunrui2", 3);
  select("ComboBoxBunrui3", 4);
  select("ComboBoxWeight", 5);
  auto* list = MainForm->findChild<QListWidget*>(QStringLiteral("CheckListEiyoso"));
  for (int i = 5; i < list->count(); ++i) list->item(i)->setCheckState(Qt::Checked);
}

void Print(const char* what, const Measured& m) {
  std::printf("%s: %.2f s; longest gap between event-loop turns %lld ms; main window "
              "repainted %d times, longest gap %lld ms\n",
              what, m.seconds, static_cast<long long>(m.longestTurnMs), m.paints,
              static_cast<long long>(m.longestPaintMs));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: ui_run_bench SURVEY.csv\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QTemporaryDir settings;
  CreateWindows(settings.filePath(QStringLiteral("kelvara.ini")));
  FixedAnswers dialogs;
  dialogs.path = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
  MainForm->SetDialogService(&dialogs);
  MainForm->show();
  PaintWatch paints;
  MainForm->installEventFilter(&paints);
  QApplication::processEvents();
  auto* pane = MainForm->findChild<ResultsPane*>(QStringLiteral("RichEditKekka"));
  auto* grid = MainForm->findChild<QTableView*>(QStringLiteral("StringGridDietFile"));

  // A load stopped part-way leaves the window as it was: no file.
  const Stopped load = StopWhen(QString(), 500, [] { MainForm->Button1Click(); });
  std::printf("load stopped after 0.5 s (%s): window free again %.0f ms after 中止; file shown: \"%s\"\n",
              qPrintable(load.doing), load.ms,
              qPrintable(MainForm->findChild<QLabel*>(QStringLiteral("PanelDietFileName"))->text()));

  Print("load", Watch(paints, [] { MainForm->Button1Click(); }));
  std::printf("  %d data rows, %d columns\n", grid->model()->rowCount(),
              grid->model()->columnCount());
  if (!dialogs.errors.isEmpty()) {
    std::fprintf(stderr, "load failed: %s\n", qPrintable(dialogs.errors.join(QLatin1Char(' '))));
    return 1;
  }
  ChooseEverything();

  // While the file is read, and while the variables are computed.
  for (const auto& [doing, afterMs] : {std::pair{QStringLiteral("データを読み込み中"), 300},
                                       std::pair{QStringLiteral("データを読み込み中: "), 1000},
                                       std::pair{QStringLiteral("計算中: "), 0}}) {
    const Stopped run = StopWhen(doing, afterMs, [] { MainForm->ButtonRunClick(); });
    std::printf("run stopped at \"%s\": window free again %.0f ms after 中止; lines "
                "appended: %zu\n",
                qPrintable(run.doing), run.ms, pane->lines().size());
  }

  Print("run of 50 variables", Watch(paints, [] { MainForm->ButtonRunClick(); }));
  std::printf("  lines appended: %zu\n", pane->lines().size());
  if (!dialogs.errors.isEmpty()) {
    std::fprintf(stderr, "run failed: %s\n", qPrintable(dialogs.errors.join(QLatin1Char(' '))));
    return 1;
  }
  DestroyWindows();

  // The window is free at once after 中止; the stopped run's own threads
  // end this much later.
  const QString survey = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
  for (int afterMs : {200, 700}) {
    std::printf("engine stopped %d ms into reading: ended %.0f ms later\n", afterMs,
                EngineStopMs(survey, kelvara::RunProgress::Stage::reading, afterMs));
    std::printf("engine stopped %d ms into computing: ended %.0f ms later\n", afterMs,
                EngineStopMs(survey, kelvara::RunProgress::Stage::computing, afterMs));
  }
  return 0;
}
