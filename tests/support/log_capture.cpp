#include "log_capture.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

std::mutex g_mutex;
std::condition_variable g_captured;
std::vector<std::wstring> g_lines;

void CaptureLine(const wchar_t* line) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_lines.emplace_back(line);
  }
  g_captured.notify_all();
}

}  // namespace

LogCapture::LogCapture() {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_lines.clear();
  }
  previous_ = Utils::SetLogSink(&CaptureLine);
}

LogCapture::~LogCapture() { Utils::SetLogSink(previous_); }

std::vector<std::wstring> LogCapture::Lines() const {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_lines;
}

std::vector<std::wstring> LogCapture::LinesContaining(const std::wstring& text) const {
  std::vector<std::wstring> found;
  for (const std::wstring& line : Lines()) {
    if (line.find(text) != std::wstring::npos) found.push_back(line);
  }
  return found;
}

size_t LogCapture::Count(const std::vector<std::wstring>& fragments) const {
  const std::vector<std::wstring> lines = Lines();
  return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::wstring& line) {
    return std::all_of(fragments.begin(), fragments.end(),
                       [&](const std::wstring& f) { return line.find(f) != std::wstring::npos; });
  }));
}

bool LogCapture::WaitFor(const std::wstring& text, unsigned limitMs) const {
  std::unique_lock<std::mutex> lock(g_mutex);
  return g_captured.wait_for(lock, std::chrono::milliseconds(limitMs), [&] {
    return std::any_of(g_lines.begin(), g_lines.end(),
                       [&](const std::wstring& line) { return line.find(text) != std::wstring::npos; });
  });
}
