// Long work (reading a survey file, a run) off the window's thread: the
// window keeps painting, the progress window says what is being done, and
// 中止 gives the window back at once.
#pragma once

#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>
#include <vector>

class QWidget;
class TFormProgress;

// The latest state of the work, written by the work's thread and read by the
// window's. Only the latest counts: the window shows it a few times a second.
class ProgressNote {
 public:
  struct State {
    QString text;
    int value = 0;
    int maximum = 0;  // 0: no measure of how far, a busy bar
  };

  void Set(QString text, int value, int maximum);
  State Latest() const;

 private:
  mutable std::mutex mutex_;
  State state_;
};

// Stopped work that is still ending its last step (a run ends between
// variables, and one variable of a million rows takes a while): its thread is
// kept here and waited for at the latest when the keeper goes.
class StoppedWork {
 public:
  StoppedWork() = default;
  StoppedWork(const StoppedWork&) = delete;
  StoppedWork& operator=(const StoppedWork&) = delete;

  void Keep(std::jthread worker, std::shared_ptr<const std::atomic<bool>> ended);

 private:
  struct Ending {
    std::shared_ptr<const std::atomic<bool>> ended;
    std::jthread worker;
  };
  std::vector<Ending> ending_;
};

// Runs `job` on a thread of its own and returns when it has ended, while the
// progress window, shown over `owner` with `caption`, shows the latest note
// and the window's events go on. On 中止 the job is asked to
// stop and the window is given back at once, false returned; the job ends in
// `stopped`, so it must own everything it uses. An exception leaving a job
// that was not stopped is thrown again here.
bool RunWithProgress(TFormProgress& progress, StoppedWork& stopped, const QWidget* owner,
                     const QString& caption,
                     std::function<void(std::stop_token, ProgressNote&)> job);

// The same for a job with a result: nothing when the user stopped it.
template <typename Result>
std::optional<Result> RunWithProgress(TFormProgress& progress, StoppedWork& stopped,
                                      const QWidget* owner, const QString& caption,
                                      std::function<Result(std::stop_token, ProgressNote&)> job) {
  auto result = std::make_shared<std::optional<Result>>();
  const bool finished =
      RunWithProgress(progress, stopped, owner, caption,
                      [result, job = std::move(job)](std::stop_token stop, ProgressNote& note) {
                        result->emplace(job(stop, note));
                      });
  if (!finished) return std::nullopt;
  return std::move(*result);
}
