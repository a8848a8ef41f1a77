#include "engine/children/child_process.h"

#include <algorithm>

namespace Utils {

namespace {

// How long to wait for the child's end between two looks into an empty pipe: briefly while
// output keeps coming (a chatty child blocks on the full pipe while the reader sleeps), longer
// when it has gone quiet.
const DWORD kFirstIdleWait = 1;
const DWORD kLongestIdleWait = 50;

Utils::UniqueFileHandle OpenInheritableNullDevice() {
  SECURITY_ATTRIBUTES inheritable = {};
  inheritable.nLength = sizeof inheritable;
  inheritable.bInheritHandle = TRUE;
  return Utils::UniqueFileHandle(::CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

bool ChildProcess::Start(const std::wstring& commandLine) {
  Close();
  // CreateProcessW may write into the command line, so it gets a copy of its own; the copy is
  // as long as the text, so a long install folder is passed whole rather than cut.
  commandLine_.assign(commandLine.begin(), commandLine.end());
  commandLine_.push_back(L'\0');

  if (!output_.Create()) return false;
  Utils::UniqueFileHandle nullDevice = OpenInheritableNullDevice();
  if (!nullDevice) {
    DWORD error = ::GetLastError();
    output_.Close();
    ::SetLastError(error);
    return false;
  }
  // The engine's own end must not leak into the child: a child holding it would keep the pipe
  // open and never let the reader see the end.
  ::SetHandleInformation(output_.ReadEnd(), HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  startup.hStdInput = nullDevice.get();
  startup.hStdOutput = output_.WriteEnd();
  startup.hStdError = nullDevice.get();

  PROCESS_INFORMATION info = {};
  BOOL created = ::CreateProcessW(nullptr, commandLine_.data(), nullptr, nullptr, TRUE, 0,
                                  nullptr, nullptr, &startup, &info);
  DWORD error = ::GetLastError();
  // Only the child may hold the write end now, so the pipe reports its end once the child (and
  // whatever inherited the handle from it) has closed its output.
  output_.CloseWriteEnd();
  if (!created) {
    output_.Close();
    ::SetLastError(error);
    return false;
  }
  process_.reset(info.hProcess);
  thread_.reset(info.hThread);
  processId_ = info.dwProcessId;
  threadId_ = info.dwThreadId;
  return true;
}

void ChildProcess::ReadUntilExit(const OutputSink& sink) {
  char buffer[4096];
  bool ended = false;
  bool outputClosed = !output_.ReadEnd();
  DWORD idleWait = kFirstIdleWait;
  while (!outputClosed) {
    // Take everything that is waiting. Peeking first keeps the read from blocking, which
    // matters once the child has ended while something it started still holds the pipe.
    bool gotData = false;
    for (;;) {
      DWORD waiting = 0;
      if (!::PeekNamedPipe(output_.ReadEnd(), nullptr, 0, nullptr, &waiting, nullptr)) {
        outputClosed = true;  // every writer has gone and the pipe is empty
        break;
      }
      if (waiting == 0) break;
      DWORD got = 0;
      DWORD want = std::min<DWORD>(waiting, sizeof buffer);
      if (!::ReadFile(output_.ReadEnd(), buffer, want, &got, nullptr) || got == 0) {
        outputClosed = true;
        break;
      }
      gotData = true;
      sink(buffer, got);
    }
    // What the child wrote before it ended was already in the pipe when its end was seen, and
    // the pass above has read it.
    if (ended || outputClosed) break;
    DWORD wait = 0;
    if (gotData) {
      idleWait = kFirstIdleWait;
    } else {
      wait = idleWait;
      idleWait = std::min(idleWait * 2, kLongestIdleWait);
    }
    ended = ::WaitForSingleObject(process_.get(), wait) == WAIT_OBJECT_0;
  }
  if (process_) ::WaitForSingleObject(process_.get(), INFINITE);
}

bool ChildProcess::ExitCode(DWORD* code) const {
  DWORD value = 0;
  if (!process_ || !::GetExitCodeProcess(process_.get(), &value)) return false;
  if (value == STILL_ACTIVE && ::WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0)
    return false;
  *code = value;
  return true;
}

void ChildProcess::Close() {
  thread_.reset();
  process_.reset();
  processId_ = 0;
  threadId_ = 0;
  output_.Close();
}

}  // namespace Utils
