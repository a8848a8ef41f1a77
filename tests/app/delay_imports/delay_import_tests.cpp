// The installer's delay-loaded system libraries, made by the same recipe: a library maps on the
// first call of one of its functions, and a call that cannot be bound raises the delay-load
// helper's exception instead of jumping to address 0.
#include <gtest/gtest.h>

#include <windows.h>
#include <delayimp.h>
#include <mmsystem.h>

#include <string>

// Functions that the test's own delay-import libraries promise and that no library has: one in
// kernel32 (always mapped), one in a library that does not exist.
extern "C" __declspec(dllimport) DWORD WINAPI TessmarkAbsentFromKernel32();
extern "C" __declspec(dllimport) DWORD WINAPI TessmarkInAbsentLibrary();

namespace {

TEST(DelayImport, ALibraryMapsOnTheFirstCallOfItsFunctionAndNotBefore) {
  // Nothing else in this program uses winmm, as nothing before the installer's first paint does.
  ASSERT_EQ(GetModuleHandleW(L"winmm.dll"), nullptr);
  const DWORD first = timeGetTime();
  EXPECT_NE(GetModuleHandleW(L"winmm.dll"), nullptr);
  EXPECT_GE(timeGetTime(), first);
}

// What the helper's exception said, and what the call returns then.
struct Failure {
  DWORD code = 0;
  std::string dll;
  std::string function;
};
Failure g_failure;
constexpr DWORD kFallbackResult = 0x7E57;

DWORD WINAPI Fallback() { return kFallbackResult; }

// The helper raises its exception with the record of the failed call, and returns whatever
// function a handler put there when the program goes on.
LONG WINAPI RecordDelayLoadFailure(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD* record = info->ExceptionRecord;
  if (record->ExceptionCode != VcppException(ERROR_SEVERITY_ERROR, ERROR_MOD_NOT_FOUND) &&
      record->ExceptionCode != VcppException(ERROR_SEVERITY_ERROR, ERROR_PROC_NOT_FOUND)) {
    return EXCEPTION_CONTINUE_SEARCH;
  }
  auto* load = reinterpret_cast<DelayLoadInfo*>(record->ExceptionInformation[0]);
  g_failure.code = record->ExceptionCode;
  g_failure.dll = load->szDll;
  g_failure.function = load->dlp.fImportByName ? load->dlp.szProcName : "";
  load->pfnCur = reinterpret_cast<FARPROC>(&Fallback);
  return EXCEPTION_CONTINUE_EXECUTION;
}

TEST(DelayImport, ACallThatCannotBeBoundRaisesTheHelpersExceptionNamingLibraryAndFunction) {
  const struct {
    DWORD (WINAPI* call)();
    DWORD code;
    const char* dll;
    const char* function;
  } cases[] = {
      {&TessmarkAbsentFromKernel32, VcppException(ERROR_SEVERITY_ERROR, ERROR_PROC_NOT_FOUND),
       "kernel32.dll", "TessmarkAbsentFromKernel32"},
      {&TessmarkInAbsentLibrary, VcppException(ERROR_SEVERITY_ERROR, ERROR_MOD_NOT_FOUND),
       "tessmark_absent_library.dll", "TessmarkInAbsentLibrary"},
  };
  PVOID handler = AddVectoredExceptionHandler(1, &RecordDelayLoadFailure);
  ASSERT_NE(handler, nullptr);
  for (const auto& c : cases) {
    g_failure = Failure();
    EXPECT_EQ(c.call(), kFallbackResult) << c.function;
    EXPECT_EQ(g_failure.code, c.code) << c.function;
    EXPECT_EQ(g_failure.dll, c.dll);
    EXPECT_EQ(g_failure.function, c.function);
  }
  RemoveVectoredExceptionHandler(handler);
}

}  // namespace
