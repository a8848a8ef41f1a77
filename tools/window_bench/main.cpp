// Time from Create to the first painted frame: a skinned frame window of 100 controls built from
// a 7z skin archive carried as the "ZIPRES" resource, next to a bare Win32 window of the same
// size that paints 100 bordered rectangles with GDI. Both kinds run alternately in the same
// process. Prints figures only.
//   window_bench.exe [--runs N]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <vector>

#include "base/unique_resource.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/window/ui_window_impl.h"

namespace {

constexpr int kWidth = 600;
constexpr int kHeight = 400;

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER counter;
  ::QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void PumpPending() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

// Pumps until *painted, at most 10 s; false when it never painted.
bool PumpUntilPainted(const bool* painted) {
  const DWORD start = ::GetTickCount();
  while (!*painted) {
    if (::GetTickCount() - start > 10000) return false;
    PumpPending();
    if (!*painted) ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  return true;
}

class BenchFrame : public SkinUI::CSkinFrame {
public:
  BenchFrame() : CSkinFrame(Info()) {}
  bool painted = false;

protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    const LRESULT result = CSkinFrame::HandleMessage(message, wParam, lParam);
    if (message == WM_PAINT) painted = true;
    return result;
  }

private:
  static SkinUI::TSkinInfoUI Info() {
    SkinUI::TSkinInfoUI info;
    info.skinFile = L"BenchWnd.xml";
    info.windowClassName = L"TessmarkBenchFrame";
    return info;
  }
};

// Milliseconds from Create to the end of the first WM_PAINT; negative when it failed.
double TimeSkinnedWindow() {
  BenchFrame frame;
  const double start = Now();
  if (frame.Create(nullptr, L"bench", WS_POPUP, 0, 100, 100, kWidth, kHeight) == nullptr) {
    return -1;
  }
  frame.ShowWindow(true, false);
  ::UpdateWindow(frame.GetHWND());
  const bool painted = PumpUntilPainted(&frame.painted);
  const double elapsed = Now() - start;
  // The whole tree must be there, or the figure measures a broken window.
  const bool built = frame.GetManager().FindControl(L"c9_9") != nullptr;
  ::DestroyWindow(frame.GetHWND());
  PumpPending();
  return painted && built ? elapsed : -1;
}

bool g_barePainted = false;

LRESULT CALLBACK BareProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return ::DefWindowProcW(window, message, wParam, lParam);
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(window, &ps);
  RECT client;
  ::GetClientRect(window, &client);
  Utils::UniqueBrush background(::CreateSolidBrush(RGB(0x20, 0x30, 0x40)));
  ::FillRect(dc, &client, background.get());
  Utils::UniqueBrush border(::CreateSolidBrush(RGB(0, 0, 0)));
  const int cellWidth = (kWidth - 20 - 9 * 4) / 10;
  const int cellHeight = (kHeight - 20 - 9 * 4) / 10;
  for (int row = 0; row < 10; ++row) {
    for (int col = 0; col < 10; ++col) {
      const int shade = (row * 10 + col) * 2 + 40;
      Utils::UniqueBrush fill(::CreateSolidBrush(RGB(shade, 255 - shade, 128)));
      RECT cell = {10 + col * (cellWidth + 4), 10 + row * (cellHeight + 4), 0, 0};
      cell.right = cell.left + cellWidth;
      cell.bottom = cell.top + cellHeight;
      ::FillRect(dc, &cell, fill.get());
      ::FrameRect(dc, &cell, border.get());
    }
  }
  ::EndPaint(window, &ps);
  g_barePainted = true;
  return 0;
}

double TimeBareWindow() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &BareProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"TessmarkBenchBare";
    registered = ::RegisterClassW(&wc) != 0;
  }
  g_barePainted = false;
  const double start = Now();
  const HWND window =
      ::CreateWindowExW(0, L"TessmarkBenchBare", L"bare", WS_POPUP, 100, 100, kWidth, kHeight,
                        nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  if (window == nullptr) return -1;
  ::ShowWindow(window, SW_SHOWNOACTIVATE);
  ::UpdateWindow(window);
  const bool painted = PumpUntilPainted(&g_barePainted);
  const double elapsed = Now() - start;
  ::DestroyWindow(window);
  PumpPending();
  return painted ? elapsed : -1;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t mid = values.size() / 2;
  return values.size() % 2 != 0 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int runs = 21;
  for (int i = 1; i + 1 < argc; ++i) {
    if (wcscmp(argv[i], L"--runs") == 0) runs = std::max(1, _wtoi(argv[++i]));
  }
  SkinUI::CWindowManagerUI::SetInstance(::GetModuleHandleW(nullptr));
  SkinUI::CWindowManagerUI::SetResourceArchive7z(true);

  // The first skinned window also copies the archive out of the resources and decodes it.
  const double bareFirst = TimeBareWindow();
  const double skinnedFirst = TimeSkinnedWindow();
  std::vector<double> skinned;
  std::vector<double> bare;
  for (int i = 0; i < runs; ++i) {
    const double s = TimeSkinnedWindow();
    const double b = TimeBareWindow();
    if (s < 0 || b < 0) {
      std::printf("a window was not built or did not paint\n");
      return 1;
    }
    skinned.push_back(s);
    bare.push_back(b);
  }
  const double skinnedMedian = Median(skinned);
  const double bareMedian = Median(bare);
  std::printf("runs:                       %d (after one first window of each kind)\n", runs);
  std::printf("first skinned window:       %.2f ms (copies and decodes the skin archive)\n",
              skinnedFirst);
  std::printf("first bare window:          %.2f ms\n", bareFirst);
  std::printf("skinned window, median:     %.2f ms (min %.2f, max %.2f)\n", skinnedMedian,
              *std::min_element(skinned.begin(), skinned.end()),
              *std::max_element(skinned.begin(), skinned.end()));
  std::printf("bare GDI window, median:    %.2f ms (min %.2f, max %.2f)\n", bareMedian,
              *std::min_element(bare.begin(), bare.end()),
              *std::max_element(bare.begin(), bare.end()));
  std::printf("ratio skinned / bare:       %.2f (median), %.2f (first windows)\n",
              bareMedian > 0 ? skinnedMedian / bareMedian : 0.0,
              bareFirst > 0 ? skinnedFirst / bareFirst : 0.0);
  return 0;
}
