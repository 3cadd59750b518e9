// Long work (reading a survey file, a run) off the window's thread: the
// window keeps painting, the progress window says what is being done, and
// 中止 ends the work.
#pragma once

#include <QString>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>

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

// Runs `job` on a thread of its own and returns when it has ended, while the
// progress window, shown application-modal over `owner` with `caption`, shows
// the latest note and the window's events go on. Returns false when the user
// pressed 中止 (whatever the job did meanwhile); an exception leaving the job
// is thrown again here.
bool RunWithProgress(TFormProgress& progress, const QWidget* owner, const QString& caption,
                     const std::function<void(std::stop_token, ProgressNote&)>& job);

// The same for a job with a result: nothing when the user stopped it.
template <typename Result>
std::optional<Result> RunWithProgress(
    TFormProgress& progress, const QWidget* owner, const QString& caption,
    const std::function<Result(std::stop_token, ProgressNote&)>& job) {
  std::optional<Result> result;
  const bool finished = RunWithProgress(
      progress, owner, caption,
      [&](std::stop_token stop, ProgressNote& note) { result.emplace(job(stop, note)); });
  if (!finished) return std::nullopt;
  return result;
}
