#include "base/restartable_worker.h"

#include <windows.h>

#include <utility>

namespace Utils {

RestartableWorker::~RestartableWorker() { Stop(); }

bool RestartableWorker::Start(const wchar_t* name, const std::function<void()>& prepare,
                              std::function<void()> job) {
  std::unique_ptr<Thread> previous;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    previous = std::move(worker_);
  }
  const bool fromPreviousRun = previous && previous->Id() == ::GetCurrentThreadId();
  if (previous && !fromPreviousRun) previous.reset();  // waits for the run to end

  std::lock_guard<std::mutex> lock(mutex_);
  if (fromPreviousRun) retired_ = std::move(previous);
  if (prepare) prepare();
  worker_ = std::make_unique<Thread>(nullptr, name, [this, job = std::move(job)](void*) {
    std::unique_ptr<Thread> retired;
    {
      std::lock_guard<std::mutex> runLock(mutex_);
      retired = std::move(retired_);
    }
    retired.reset();  // the run that started this one has returned once this returns
    if (job) job();
  });
  return worker_->Handle() != nullptr && ::ResumeThread(worker_->Handle()) != static_cast<DWORD>(-1);
}

void RestartableWorker::Stop() {
  std::unique_ptr<Thread> worker, retired;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    worker = std::move(worker_);
    retired = std::move(retired_);
  }
  worker.reset();
  retired.reset();
}

}  // namespace Utils
