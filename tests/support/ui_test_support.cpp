#include "ui_test_support.h"

#include <cstdio>
#include <cstdlib>

#include "ui_core/manager/ui_control.h"

namespace TestSupport {

DibCanvas::DibCanvas(int width, int height, uint32_t fill) : width_(width), height_(height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  dc_.reset(::CreateCompatibleDC(nullptr));
  bitmap_.reset(::CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  pixels_ = static_cast<uint32_t*>(bits);
  oldBitmap_ = ::SelectObject(dc_.get(), bitmap_.get());
  Fill(fill);
}

DibCanvas::~DibCanvas() {
  if (oldBitmap_ != nullptr) ::SelectObject(dc_.get(), oldBitmap_);
}

uint32_t DibCanvas::Pixel(int x, int y) const {
  if (pixels_ == nullptr || x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  ::GdiFlush();
  return pixels_[static_cast<size_t>(y) * width_ + x];
}

void DibCanvas::Fill(uint32_t argb) {
  ::GdiFlush();
  if (pixels_ == nullptr) return;
  for (size_t i = 0; i < static_cast<size_t>(width_) * height_; ++i) pixels_[i] = argb;
}

bool ColorNear(uint32_t actual, uint32_t expected, int tolerance) {
  for (int shift = 0; shift < 32; shift += 8) {
    const int a = static_cast<int>((actual >> shift) & 0xFF);
    const int e = static_cast<int>((expected >> shift) & 0xFF);
    if (std::abs(a - e) > tolerance) return false;
  }
  return true;
}

std::string ColorText(uint32_t argb) {
  char text[16];
  std::snprintf(text, sizeof(text), "0x%08X", static_cast<unsigned>(argb));
  return text;
}

namespace {
// Takes one message off the queue and dispatches it; false when none is there.
bool DispatchOne() {
  MSG msg;
  if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  ::TranslateMessage(&msg);
  ::DispatchMessageW(&msg);
  return true;
}

// How long PumpPending goes on at most: a timer whose handling takes longer than its period (a
// short animation timer on a slow or emulated machine) is due again at every look, so the queue
// would never be empty.
constexpr DWORD kPendingLimitMs = 10000;
}  // namespace

void PumpPending() {
  const DWORD start = ::GetTickCount();
  while (DispatchOne()) {
    if (::GetTickCount() - start >= kPendingLimitMs) return;
  }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  const auto timeIsUp = [&] { return ::GetTickCount() - start >= timeoutMs; };
  while (!done()) {
    if (timeIsUp()) return done();
    if (!DispatchOne()) {
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      continue;
    }
    // What is queued, as a whole; the condition and the time are looked at after each message,
    // so that a queue that is never empty (see PumpPending) still ends the wait.
    while (!done() && !timeIsUp() && DispatchOne()) {
    }
    if (done()) {
      // As when the condition is met once the queue is empty: what came with it is handled too.
      PumpPending();
      return true;
    }
  }
  return true;
}

namespace {
const wchar_t kHostClass[] = L"TessmarkTestHost";

void RegisterHostClass(WNDPROC proc) {
  static bool registered = false;
  if (registered) return;
  WNDCLASSW wc = {};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kHostClass;
  registered = ::RegisterClassW(&wc) != 0;
}
}  // namespace

TestHostWindow::TestHostWindow(int clientWidth, int clientHeight, int x, int y, DWORD exStyle) {
  RegisterHostClass(&TestHostWindow::Proc);
  if (SkinUI::CWindowManagerUI::GetInstance() == nullptr) {
    SkinUI::CWindowManagerUI::SetInstance(::GetModuleHandleW(nullptr));
  }
  // A pointer left where this window appears (by the previous case, or another program on the
  // display) would hover its controls as soon as it shows: park it in the screen's far corner.
  ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);
  RECT rc = {0, 0, clientWidth, clientHeight};
  const DWORD style = WS_POPUP | WS_VISIBLE;
  ::AdjustWindowRectEx(&rc, style, FALSE, exStyle);
  hwnd_ = ::CreateWindowExW(exStyle, kHostClass, L"test host", style, x, y, rc.right - rc.left,
                            rc.bottom - rc.top, nullptr, nullptr, ::GetModuleHandleW(nullptr),
                            this);
  PumpPending();
}

TestHostWindow::~TestHostWindow() {
  if (hwnd_ != nullptr && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
  PumpPending();
}

bool TestHostWindow::Attach(SkinUI::CControlUI* root) {
  if (!manager_.AttachDialog(root)) return false;
  Repaint();
  return true;
}

void TestHostWindow::Repaint() {
  ::InvalidateRect(hwnd_, nullptr, FALSE);
  ::UpdateWindow(hwnd_);
  PumpPending();
}

LRESULT CALLBACK TestHostWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  TestHostWindow* self = nullptr;
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    self = static_cast<TestHostWindow*>(create->lpCreateParams);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = window;
  } else {
    self = reinterpret_cast<TestHostWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  }
  if (self == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  if (self->recordMessages) self->received.push_back(message);
  if (message == WM_CREATE) self->manager_.Init(window);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
  LRESULT result = 0;
  if (self->manager_.MessageHandler(message, wParam, lParam, result)) return result;
  return ::DefWindowProcW(window, message, wParam, lParam);
}

void NotifyRecorder::Notify(SkinUI::TNotifyMsgUI& msg) {
  RecordedNotify record;
  record.type = msg.type.GetData();
  record.sender = msg.sender;
  if (msg.sender != nullptr) record.senderName = msg.sender->GetName().GetData();
  record.wParam = msg.wParam;
  record.lParam = msg.lParam;
  record.threadId = ::GetCurrentThreadId();
  list.push_back(record);
}

std::vector<std::wstring> NotifyRecorder::Types(const std::wstring& senderName) const {
  std::vector<std::wstring> types;
  for (const RecordedNotify& n : list) {
    if (senderName.empty() || n.senderName == senderName) types.push_back(n.type);
  }
  return types;
}

int NotifyRecorder::Count(const std::wstring& type, const std::wstring& senderName) const {
  int count = 0;
  for (const RecordedNotify& n : list) {
    if (n.type == type && (senderName.empty() || n.senderName == senderName)) ++count;
  }
  return count;
}

}  // namespace TestSupport
