#pragma once
// A one-way signal that tells a worker to stop: set once by the owner (usually on its way out),
// looked at between steps, and waited on instead of a plain sleep so that a pause ends at once
// when the owner goes away.
#include <windows.h>

#include <atomic>

#include "base/unique_resource.h"

namespace Utils {

class StopSignal {
public:
  StopSignal();
  StopSignal(const StopSignal&) = delete;
  StopSignal& operator=(const StopSignal&) = delete;

  // From now on IsSet is true and every wait returns at once; any thread may call it.
  void Set();
  bool IsSet() const { return set_.load(); }
  // Waits up to `milliseconds` for the signal; true when it is set (then the caller stops).
  bool WaitFor(DWORD milliseconds) const;
  // The flag itself, for a reader that looks at it on a hot path.
  const std::atomic<bool>* Flag() const { return &set_; }

private:
  std::atomic<bool> set_{false};
  UniqueHandle event_;  // manual reset: once set, every waiter sees it
};

}  // namespace Utils
