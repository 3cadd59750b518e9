#include "ui/background_work.h"

#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <exception>
#include <thread>

#include "ui/Progress.h"

namespace {
// How often the progress window takes up the latest note.
constexpr int kNoteIntervalMs = 50;
}  // namespace

void ProgressNote::Set(QString text, int value, int maximum) {
  std::lock_guard lock(mutex_);
  state_.text = std::move(text);
  state_.value = value;
  state_.maximum = maximum;
}

ProgressNote::State ProgressNote::Latest() const {
  std::lock_guard lock(mutex_);
  return state_;
}

bool RunWithProgress(TFormProgress& progress, const QWidget* owner, const QString& caption,
                     const std::function<void(std::stop_token, ProgressNote&)>& job) {
  ProgressNote note;
  QEventLoop loop;
  std::atomic<bool> finished{false};
  std::exception_ptr failure;
  bool stopRequested = false;

  progress.Begin(caption, owner);
  std::jthread worker([&](std::stop_token stop) {
    try {
      job(stop, note);
    } catch (...) {
      failure = std::current_exception();
    }
    finished = true;
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });

  const auto showNote = [&] {
    const ProgressNote::State state = note.Latest();
    if (!stopRequested) progress.ShowStatus(state.text, state.value, state.maximum);
  };
  QTimer noteTimer;
  noteTimer.setInterval(kNoteIntervalMs);
  QObject::connect(&noteTimer, &QTimer::timeout, &loop, [&] {
    showNote();
    if (finished) loop.quit();
  });
  const QMetaObject::Connection stopConnection =
      QObject::connect(&progress, &TFormProgress::stopRequested, &loop, [&] {
        stopRequested = true;
        worker.request_stop();
        progress.ShowStopping();
      });
  noteTimer.start();
  if (!finished) loop.exec();

  // The loop also ends when the whole program is asked to quit: the work is
  // then stopped, and waited for, all the same.
  if (!finished) {
    stopRequested = true;
    worker.request_stop();
  }
  worker.join();
  QObject::disconnect(stopConnection);
  showNote();
  progress.hide();
  if (failure) std::rethrow_exception(failure);
  return !stopRequested;
}
