#pragma once
// A named worker thread. It is created suspended: the owner calls ResumeThread(t.Handle()) to let
// it run, and joins it with Join() or by destroying the object. The body is called once with
// the parameter, between the log lines "THREAD BEGIN" and "THREAD END".
#include <windows.h>

#include <functional>
#include <string>

#include "base/unique_resource.h"

namespace Utils {

class Thread {
public:
  using Body = std::function<void(void*)>;

  // Stores the three, creates the thread suspended and names it for a debugger. When creation
  // fails Handle() is null and the body never runs.
  Thread(void* param, const wchar_t* name, Body body);
  // Waits for the thread (when one was created), then closes its handle.
  ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // Waits without a time limit, closes the handle and sets the id to -1; with no handle held
  // (never created, or already joined) does nothing. Never call it from the thread's own body.
  void Join();

  HANDLE Handle() const { return handle_.get(); }
  unsigned Id() const { return id_; }
  const std::wstring& Name() const { return name_; }

private:
  static unsigned __stdcall CallBack(void* self);

  unsigned id_ = static_cast<unsigned>(-1);
  UniqueHandle handle_;
  Body body_;
  void* param_ = nullptr;
  std::wstring name_;
};

// The name a debugger shows for a thread: the given name, or "t" and the decimal id when the
// given name is empty.
std::wstring ThreadDebugName(const std::wstring& name, unsigned threadId);

// Names a thread for an attached debugger (and, where the system has it, in the thread's own
// description, which tools read without a debugger).
// The narrow name is in the ANSI code page.
void SetThreadName(unsigned threadId, const std::string& name);
void SetThreadName(unsigned threadId, const std::wstring& name);

}  // namespace Utils
