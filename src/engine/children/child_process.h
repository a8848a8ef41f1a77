#pragma once
// A hidden child program whose standard output comes back to the engine through a pipe.
#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "engine/children/pipe.h"
#include "base/unique_resource.h"

namespace Utils {

class ChildProcess {
public:
  // Receives each piece of output as it was read; pieces follow no line boundaries.
  using OutputSink = std::function<void(const char* data, size_t size)>;

  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts the program that the first token of the command line names (no separate
  // application name), hidden, in the engine's environment and current folder. Its standard
  // output goes into a pipe that this object reads; its standard input and standard error are
  // the null device, so a program that reads its input sees the end at once and one that
  // writes much to its error output never blocks on a pipe that nobody reads.
  // False when the pipe or the process cannot be made; GetLastError tells why.
  bool Start(const std::wstring& commandLine);

  // Hands everything the child writes to the sink, until the child has ended and all it wrote
  // before ending has been read. A program that the child started and that inherited its output
  // does not keep the caller waiting beyond the child's own end. When the child closes its
  // output and goes on running, waits for its end without a time limit.
  void ReadUntilExit(const OutputSink& sink);

  // The exit code of an ended child; false while it runs or when it cannot be had.
  bool ExitCode(DWORD* code) const;

  HANDLE ProcessHandle() const { return process_.get(); }
  DWORD ProcessId() const { return processId_; }

  // Closes the thread and process handles and the pipe; the child itself runs on.
  void Close();

private:
  std::vector<wchar_t> commandLine_;
  Pipe output_;
  Utils::UniqueHandle process_;
  Utils::UniqueHandle thread_;
  DWORD processId_ = 0;
  DWORD threadId_ = 0;
};

}  // namespace Utils
