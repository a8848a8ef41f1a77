#pragma once
// Records the status reports of an engine worker (a downloader, a runner, the orchestrator) from
// whatever thread they come, and lets a test wait, with a limit, until they say what it waits
// for. The limits only keep a broken run from hanging the test program; they measure nothing.
#include <windows.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "engine/status.h"

struct StatusReport {
  int code;
  double progress;
  std::wstring text;
  bool operator==(const StatusReport& other) const {
    return code == other.code && progress == other.progress && text == other.text;
  }
};
void PrintTo(const StatusReport& report, std::ostream* out);

class StatusRecorder {
public:
  static constexpr DWORD kDefaultLimitMs = 120000;

  StatusCallback Callback();
  // Called from inside a 1005 report, after it was recorded, as the orchestrator's handler
  // restarts the download there.
  std::function<void()> onRetry;

  // Forgets the reports, for another run.
  void Reset();

  // Waits until `done` holds for the reports so far; false when the limit passes first.
  bool WaitUntil(const std::function<bool(const std::vector<StatusReport>&)>& done,
                 DWORD limitMs = kDefaultLimitMs) const;
  bool WaitForCode(int code, DWORD limitMs = kDefaultLimitMs) const;
  // A downloader's run has ended: 1003 or 1004 came.
  bool WaitForDownloadEnd(DWORD limitMs = kDefaultLimitMs) const;
  // `count` reports after which an orchestrator's run sends nothing more (IsFinalStatus) came.
  bool WaitForFinals(int count, DWORD limitMs = kDefaultLimitMs) const;

  std::vector<StatusReport> Reports() const;
  // The codes in order; the progress codes (1002, 2002, 5002) only when asked for.
  std::vector<int> Codes(bool withProgress = false) const;

private:
  void Add(int code, double progress, const wchar_t* text);

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<StatusReport> reports_;
};
