// Compiled into every test executable: a crash ends the process with a failing exit code and one
// line naming the exception, so that CTest never reads a crashed test as passed and no debugger
// waits for anyone.
#include <windows.h>

#include <cstdio>

namespace {

constexpr UINT kCrashExitCode = 3;

LONG WINAPI ExitOnCrash(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD* record = info != nullptr ? info->ExceptionRecord : nullptr;
  std::fprintf(stderr, "test executable crashed: exception 0x%08lX at %p\n",
               record != nullptr ? record->ExceptionCode : 0UL,
               record != nullptr ? record->ExceptionAddress : nullptr);
  std::fflush(stderr);
  ::TerminateProcess(::GetCurrentProcess(), kCrashExitCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

struct CrashExitInstaller {
  CrashExitInstaller() { ::SetUnhandledExceptionFilter(&ExitOnCrash); }
};
const CrashExitInstaller g_installed;

}  // namespace
