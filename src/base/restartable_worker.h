#pragma once
// One run at a time on a worker thread, restartable from any thread, including from inside the
// run itself (a downloader restarts from its own 1005 report). A thread cannot wait for itself,
// so a run started from inside the previous one waits for that one to return before it begins.
#include <functional>
#include <memory>
#include <mutex>

#include "base/thread.h"

namespace Utils {

class RestartableWorker {
public:
  RestartableWorker() = default;
  // Waits for the runs; the owner makes its job return first (a stop flag) when it must.
  ~RestartableWorker();
  RestartableWorker(const RestartableWorker&) = delete;
  RestartableWorker& operator=(const RestartableWorker&) = delete;

  // Waits for the run before (unless called from inside it), runs `prepare` (the owner stores
  // the new run's settings there, while no other run of this worker can read them), then starts
  // `job` on a new thread with the given debugger name. False when no thread could be started.
  // Restarts follow each other: a run restarts from inside itself, or one other thread restarts
  // it, never both at once.
  bool Start(const wchar_t* name, const std::function<void()>& prepare, std::function<void()> job);

  // Waits for every run. Not from inside a run.
  void Stop();

private:
  std::mutex mutex_;
  std::unique_ptr<Thread> worker_;
  // The run that started its successor from inside itself: the successor joins it.
  std::unique_ptr<Thread> retired_;
};

}  // namespace Utils
