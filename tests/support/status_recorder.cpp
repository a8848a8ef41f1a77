#include "status_recorder.h"

#include <algorithm>
#include <chrono>

#include "test_support.h"

void PrintTo(const StatusReport& report, std::ostream* out) {
  *out << "{" << report.code << ", " << report.progress << ", \"" << TestSupport::ToUtf8(report.text) << "\"}";
}

StatusCallback StatusRecorder::Callback() {
  return [this](int code, double progress, const wchar_t* text) { Add(code, progress, text); };
}

void StatusRecorder::Add(int code, double progress, const wchar_t* text) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    reports_.push_back({code, progress, text != nullptr ? text : L"<null>"});
  }
  changed_.notify_all();
  if (code == DL_CODE_RETRY && onRetry) onRetry();
}

void StatusRecorder::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  reports_.clear();
}

bool StatusRecorder::WaitUntil(const std::function<bool(const std::vector<StatusReport>&)>& done,
                               DWORD limitMs) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(limitMs), [&] { return done(reports_); });
}

bool StatusRecorder::WaitForCode(int code, DWORD limitMs) const {
  return WaitUntil(
      [code](const std::vector<StatusReport>& reports) {
        return std::any_of(reports.begin(), reports.end(), [code](const StatusReport& r) { return r.code == code; });
      },
      limitMs);
}

bool StatusRecorder::WaitForDownloadEnd(DWORD limitMs) const {
  return WaitUntil(
      [](const std::vector<StatusReport>& reports) {
        return std::any_of(reports.begin(), reports.end(), [](const StatusReport& r) {
          return r.code == DL_CODE_SUCCESS || r.code == DL_CODE_FAIL;
        });
      },
      limitMs);
}

bool StatusRecorder::WaitForFinals(int count, DWORD limitMs) const {
  return WaitUntil(
      [count](const std::vector<StatusReport>& reports) {
        return std::count_if(reports.begin(), reports.end(),
                             [](const StatusReport& r) { return IsFinalStatus(r.code); }) >= count;
      },
      limitMs);
}

std::vector<StatusReport> StatusRecorder::Reports() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return reports_;
}

std::vector<int> StatusRecorder::Codes(bool withProgress) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<int> codes;
  for (const StatusReport& r : reports_) {
    const bool progress = r.code == DL_CODE_PROGRESS || r.code == IST_CODE_PROGRESS || r.code == UNIST_CODE_PROGRESS;
    if (withProgress || !progress) codes.push_back(r.code);
  }
  return codes;
}
