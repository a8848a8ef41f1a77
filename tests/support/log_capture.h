#pragma once
// Puts a capturing sink in place of the debugger output for the lifetime of the object, so that
// a test reads the exact lines the engine wrote, from any thread.
#include <string>
#include <vector>

#include "base/log.h"

class LogCapture {
public:
  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  std::vector<std::wstring> Lines() const;
  // The captured lines that contain the text.
  std::vector<std::wstring> LinesContaining(const std::wstring& text) const;
  // How many captured lines hold every one of the fragments.
  size_t Count(const std::vector<std::wstring>& fragments) const;
  // Waits until a line that contains the text has been captured; false when the limit passes
  // first (it only keeps a broken run from hanging the test program).
  bool WaitFor(const std::wstring& text, unsigned limitMs = 60000) const;

private:
  Utils::LogSink previous_;
};
