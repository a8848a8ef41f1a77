#pragma once
// What the framework's and the controls' tests share: a 32-bit DIB to paint into and read back,
// a real window whose messages go to a window manager, a recorder of notifications, and a
// message pump that waits on a condition with a limit.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/unique_resource.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/values/ui_events.h"

namespace TestSupport {

// A memory DC with a 32-bit top-down DIB section selected, filled with one ARGB colour.
class DibCanvas {
public:
  DibCanvas(int width, int height, uint32_t fill = 0xFFFFFFFF);
  ~DibCanvas();
  DibCanvas(const DibCanvas&) = delete;
  DibCanvas& operator=(const DibCanvas&) = delete;

  HDC dc() const { return dc_.get(); }
  HBITMAP bitmap() const { return bitmap_.get(); }
  int width() const { return width_; }
  int height() const { return height_; }
  // The pixel as 0xAARRGGBB (GdiFlush first). Outside the canvas: 0.
  uint32_t Pixel(int x, int y) const;
  void Fill(uint32_t argb);
  RECT Rect() const { return RECT{0, 0, width_, height_}; }

private:
  int width_;
  int height_;
  uint32_t* pixels_ = nullptr;
  Utils::UniqueMemoryDC dc_;
  Utils::UniqueBitmap bitmap_;
  HGDIOBJ oldBitmap_ = nullptr;
};

// Whether each of the four channels differs by at most tolerance.
bool ColorNear(uint32_t actual, uint32_t expected, int tolerance = 2);
// "0xAARRGGBB" for messages.
std::string ColorText(uint32_t argb);

// Pumps this thread's messages until done() is true or the limit passes; the result of done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
// Pumps what is queued now (and whatever that posts) without waiting.
void PumpPending();

// A real top-level window whose every message goes to its own CWindowManagerUI (as a skinned
// window's would), shown at (x, y) with the given client size.
class TestHostWindow {
public:
  explicit TestHostWindow(int clientWidth = 400, int clientHeight = 300, int x = 100,
                          int y = 100, DWORD exStyle = 0);
  ~TestHostWindow();
  TestHostWindow(const TestHostWindow&) = delete;
  TestHostWindow& operator=(const TestHostWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  SkinUI::CWindowManagerUI& manager() { return manager_; }
  // Attaches the tree (the manager owns it from now on), lays it out and paints once.
  bool Attach(SkinUI::CControlUI* root);
  // Forces a layout and paint now (UpdateWindow after invalidating).
  void Repaint();

  // Messages the window received, in order (message numbers only), while recording is on.
  std::vector<UINT> received;
  bool recordMessages = false;

private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  SkinUI::CWindowManagerUI manager_;
  HWND hwnd_ = nullptr;
};

struct RecordedNotify {
  std::wstring type;
  std::wstring senderName;  // empty when there was no sender
  SkinUI::CControlUI* sender = nullptr;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  DWORD threadId = 0;
};

// Records every notification it is given.
class NotifyRecorder : public SkinUI::INotifyUI {
public:
  void Notify(SkinUI::TNotifyMsgUI& msg) override;
  std::vector<RecordedNotify> list;
  // The types in order, optionally only those of one sender name.
  std::vector<std::wstring> Types(const std::wstring& senderName = L"") const;
  int Count(const std::wstring& type, const std::wstring& senderName = L"") const;
  void Clear() { list.clear(); }
};

// lParam of a mouse message at a client point.
inline LPARAM PointParam(int x, int y) { return MAKELPARAM(x, y); }

}  // namespace TestSupport
