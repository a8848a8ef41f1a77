#include "base/thread.h"

#include <process.h>

#include <string>

#include "base/log.h"
#include "base/string_utils.h"

namespace Utils {
namespace {

constexpr DWORD kSetThreadNameException = 0x406D1388;

#pragma pack(push, 8)
struct ThreadNameInfo {
  DWORD type;        // 0x1000
  LPCSTR name;
  DWORD threadId;
  DWORD flags;
};
#pragma pack(pop)

// Continues past the naming exception when a debugger attached to the process does not
// handle it; every other exception goes on to the next handler.
LONG CALLBACK SwallowThreadNameException(EXCEPTION_POINTERS* info) {
  if (info->ExceptionRecord->ExceptionCode == kSetThreadNameException) {
    return EXCEPTION_CONTINUE_EXECUTION;
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

using SetThreadDescriptionFn = HRESULT(WINAPI*)(HANDLE, PCWSTR);

void SetThreadDescriptionIfAvailable(unsigned threadId, const std::wstring& name) {
  HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  if (kernel == nullptr) return;
  auto setDescription = reinterpret_cast<SetThreadDescriptionFn>(
      reinterpret_cast<void*>(::GetProcAddress(kernel, "SetThreadDescription")));
  if (setDescription == nullptr) return;
  UniqueHandle thread(::OpenThread(THREAD_SET_LIMITED_INFORMATION, FALSE, threadId));
  if (!thread) return;
  setDescription(thread.get(), name.c_str());
}

}  // namespace

std::wstring ThreadDebugName(const std::wstring& name, unsigned threadId) {
  if (!name.empty()) return name;
  return L"t" + std::to_wstring(threadId);
}

void SetThreadName(unsigned threadId, const std::string& name) {
  SetThreadName(threadId, ToWString(name, CP_ACP));
}

void SetThreadName(unsigned threadId, const std::wstring& wideName) {
  SetThreadDescriptionIfAvailable(threadId, wideName);
  const std::string name = ToString(wideName, CP_ACP);
  // Without a debugger nobody would handle the exception and the process would end: g++ has no
  // structured exception handling of its own, so raise it only for a debugger, and keep a
  // vectored handler in place in case the debugger passes it on.
  if (!::IsDebuggerPresent()) return;
  PVOID handler = ::AddVectoredExceptionHandler(1, &SwallowThreadNameException);
  if (handler == nullptr) return;
  ThreadNameInfo info;
  info.type = 0x1000;
  info.name = name.c_str();
  info.threadId = threadId;
  info.flags = 0;
  ::RaiseException(kSetThreadNameException, 0, sizeof(info) / sizeof(ULONG_PTR),
                   reinterpret_cast<const ULONG_PTR*>(&info));
  ::RemoveVectoredExceptionHandler(handler);
}

Thread::Thread(void* param, const wchar_t* name, Body body)
    : body_(std::move(body)), param_(param), name_(name != nullptr ? name : L"") {
  unsigned id = 0;
  const uintptr_t handle =
      ::_beginthreadex(nullptr, 0, &Thread::CallBack, this, CREATE_SUSPENDED, &id);
  if (handle == 0) return;
  handle_.reset(reinterpret_cast<HANDLE>(handle));
  id_ = id;
  SetThreadName(id_, ThreadDebugName(name_, id_));
}

Thread::~Thread() {
  Join();
  name_.clear();
  body_ = nullptr;
}

void Thread::Join() {
  if (!handle_) return;
  ::WaitForSingleObject(handle_.get(), INFINITE);
  handle_.reset();
  id_ = static_cast<unsigned>(-1);
}

unsigned __stdcall Thread::CallBack(void* self) {
  Thread* thread = static_cast<Thread*>(self);
  UTILS_LOG(L"THREAD BEGIN\r\n");
  // An empty body has nothing to run; calling it would throw out of the thread's entry and end
  // the process.
  if (thread->body_) thread->body_(thread->param_);
  UTILS_LOG(L"THREAD END\r\n");
  return 0;  // the runtime's thread wrapper ends the thread with this exit code
}

}  // namespace Utils
