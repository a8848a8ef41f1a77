// Start-up benchmark: the time from process start to the first painted start page of the
// installer, next to the same measure for a bare Win32 window, in the same Wine session; and the
// installer's working set once its start page shows. Prints figures, asserts nothing.
//   startup_bench <installer.exe> <bare_window.exe> [rounds]
// A window counts as painted when the screen shows the accent colour at its probe point (the
// install button of the start page, the middle of the bare window).
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr COLORREF kAccent = RGB(0x2B, 0x65, 0xEC);
constexpr DWORD kLimitMs = 30000;

struct Target {
  const wchar_t* path;
  const wchar_t* windowClass;
  POINT probe;  // in window coordinates
};

struct Sample {
  double ms = -1;
  SIZE_T workingSet = 0;
};

struct FindState {
  DWORD pid;
  const wchar_t* windowClass;
  HWND found;
};

BOOL CALLBACK FindWindowOf(HWND window, LPARAM param) {
  auto* state = reinterpret_cast<FindState*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  wchar_t cls[64] = L"";
  GetClassNameW(window, cls, 64);
  if (pid == state->pid && IsWindowVisible(window) && wcscmp(cls, state->windowClass) == 0) {
    state->found = window;
    return FALSE;
  }
  return TRUE;
}

bool Near(COLORREF a, COLORREF b) {
  return abs(GetRValue(a) - GetRValue(b)) <= 6 && abs(GetGValue(a) - GetGValue(b)) <= 6 &&
         abs(GetBValue(a) - GetBValue(b)) <= 6;
}

double Ms(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
  return (to.QuadPart - from.QuadPart) * 1000.0 / frequency.QuadPart;
}

Sample RunOnce(const Target& target) {
  Sample sample;
  LARGE_INTEGER frequency, start, now;
  QueryPerformanceFrequency(&frequency);
  std::wstring commandLine = L"\"" + std::wstring(target.path) + L"\"";
  STARTUPINFOW si = {sizeof(si)};
  PROCESS_INFORMATION pi = {};
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(target.path, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &si, &pi)) {
    fwprintf(stderr, L"cannot start %ls (%lu)\n", target.path, GetLastError());
    return sample;
  }
  HDC screen = GetDC(nullptr);
  FindState state = {pi.dwProcessId, target.windowClass, nullptr};
  const DWORD begin = GetTickCount();
  while (GetTickCount() - begin < kLimitMs) {
    if (state.found == nullptr) EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&state));
    if (state.found != nullptr) {
      RECT rc;
      GetWindowRect(state.found, &rc);
      if (Near(GetPixel(screen, rc.left + target.probe.x, rc.top + target.probe.y), kAccent)) {
        QueryPerformanceCounter(&now);
        sample.ms = Ms(start, now, frequency);
        break;
      }
    }
    if (WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0) break;
  }
  ReleaseDC(nullptr, screen);
  PROCESS_MEMORY_COUNTERS counters = {sizeof(counters)};
  if (GetProcessMemoryInfo(pi.hProcess, &counters, sizeof(counters))) {
    sample.workingSet = counters.WorkingSetSize;
  }
  if (state.found != nullptr) PostMessageW(state.found, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return sample;
}

double Median(std::vector<double> values) {
  if (values.empty()) return -1;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    fwprintf(stderr, L"usage: startup_bench <installer.exe> <bare_window.exe> [rounds]\n");
    return 2;
  }
  const int rounds = argc > 3 ? std::max(1, _wtoi(argv[3])) : 7;
  const Target installer = {argv[1], L"MainWnd", {212, 284}};
  const Target bare = {argv[2], L"BareWindow", {300, 200}};
  // One round of each first, unmeasured: the first start of a program pays for loading Wine's
  // libraries into the page cache.
  RunOnce(bare);
  RunOnce(installer);
  std::vector<double> installerMs, bareMs;
  SIZE_T workingSet = 0;
  for (int i = 0; i < rounds; ++i) {
    const Sample b = RunOnce(bare);
    const Sample a = RunOnce(installer);
    if (b.ms >= 0) bareMs.push_back(b.ms);
    if (a.ms >= 0) installerMs.push_back(a.ms);
    workingSet = std::max(workingSet, a.workingSet);
    wprintf(L"round %d: installer %.1f ms, bare window %.1f ms\n", i + 1, a.ms, b.ms);
  }
  const double a = Median(installerMs), b = Median(bareMs);
  wprintf(L"start to first paint, median of %d: installer %.1f ms, bare window %.1f ms, ratio %.2f\n",
          rounds, a, b, b > 0 ? a / b : 0.0);
  wprintf(L"installer working set at the start page: %.1f MiB\n", workingSet / 1048576.0);
  return 0;
}
