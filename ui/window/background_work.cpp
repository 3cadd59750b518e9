#include "ui/window/background_work.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <exception>

#include "ui/window/progress_window.h"

namespace {

// How often the window looks at the work: whether it has ended, and its note.
constexpr int kLookIntervalMs = 20;

// What the window and the work's thread share; the thread holds it as long
// as it runs, also after the window has been given back.
struct SharedWork {
  std::function<void(std::stop_token, ProgressNote&)> job;
  ProgressNote note;
  std::exception_ptr failure;
  std::atomic<bool> ended{false};
};

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

void StoppedWork::Keep(std::jthread worker, std::shared_ptr<const std::atomic<bool>> ended) {
  // Threads that have ended since are joined now (at once) and let go.
  std::erase_if(ending_, [](const Ending& e) { return e.ended->load(); });
  ending_.push_back({std::move(ended), std::move(worker)});
}

bool RunWithProgress(TFormProgress& progress, StoppedWork& stopped, const QWidget* owner,
                     const QString& caption,
                     std::function<void(std::stop_token, ProgressNote&)> job) {
  auto work = std::make_shared<SharedWork>();
  work->job = std::move(job);
  progress.Begin(caption, owner);
  std::jthread worker([work](std::stop_token stop) {
    try {
      work->job(stop, work->note);
    } catch (...) {
      work->failure = std::current_exception();
    }
    work->ended = true;
  });

  QEventLoop loop;
  bool stopRequested = false;
  QTimer look;
  look.setInterval(kLookIntervalMs);
  QObject::connect(&look, &QTimer::timeout, &loop, [&] {
    const ProgressNote::State state = work->note.Latest();
    progress.ShowStatus(state.text, state.value, state.maximum);
    if (work->ended) loop.quit();
  });
  const QMetaObject::Connection stop =
      QObject::connect(&progress, &TFormProgress::stopRequested, &loop, [&] {
        stopRequested = true;
        loop.quit();
      });
  look.start();
  loop.exec();
  QObject::disconnect(stop);

  // Stopped, or the whole program asked to quit: the work is asked to stop
  // and ends on its own; the window does not wait for it.
  if (!work->ended) {
    worker.request_stop();
    stopped.Keep(std::move(worker), std::shared_ptr<const std::atomic<bool>>(work, &work->ended));
    progress.hide();
    return false;
  }
  worker.join();
  const ProgressNote::State last = work->note.Latest();
  progress.ShowStatus(last.text, last.value, last.maximum);
  progress.hide();
  if (stopRequested) return false;  // 中止 came as the work ended: nothing of it is kept
  if (work->failure) std::rethrow_exception(work->failure);
  return true;
}
