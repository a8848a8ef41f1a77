#include "controls_fixture.h"

#include <algorithm>
#include <string>

#include "test_support.h"
#include "ui_core/manager/ui_manager.h"

namespace ControlsTest {

using TestSupport::ColorNear;
using TestSupport::DibCanvas;
using TestSupport::PointParam;

ControlsWindow::ControlsWindow(int x, int y, int width, int height)
    : host_(width, height, x, y), root_(new SkinUI::CVerticalLayoutUI()) {
  host_.manager().AddNotifier(&recorder_);
  ::SetForegroundWindow(host_.hwnd());
  ::SetFocus(host_.hwnd());
}

ControlsWindow::~ControlsWindow() {
  host_.manager().RemoveNotifier(&recorder_);
  if (!attached_) delete root_;
}

void ControlsWindow::Attach() {
  attached_ = host_.Attach(root_);
}

void ControlsWindow::MoveMouse(int x, int y, WPARAM buttons) {
  POINT screen = {x, y};
  ::ClientToScreen(hwnd(), &screen);
  ::SetCursorPos(screen.x, screen.y);
  ::SendMessageW(hwnd(), WM_MOUSEMOVE, buttons, PointParam(x, y));
}

void ControlsWindow::PressLeft(int x, int y) {
  MoveMouse(x, y);
  ::SendMessageW(hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, PointParam(x, y));
}

void ControlsWindow::ReleaseLeft(int x, int y) {
  MoveMouse(x, y, MK_LBUTTON);
  ::SendMessageW(hwnd(), WM_LBUTTONUP, 0, PointParam(x, y));
}

void ControlsWindow::ClickLeft(int x, int y) {
  PressLeft(x, y);
  ReleaseLeft(x, y);
}

void ControlsWindow::Wheel(int x, int y, bool up) {
  MoveMouse(x, y);
  POINT screen = {x, y};
  ::ClientToScreen(hwnd(), &screen);
  const short delta = up ? WHEEL_DELTA : -WHEEL_DELTA;
  ::SendMessageW(hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)),
                 MAKELPARAM(screen.x, screen.y));
}

void ControlsWindow::KeyDown(WPARAM key) {
  ::SendMessageW(hwnd(), WM_KEYDOWN, key, 1);
  ::SendMessageW(hwnd(), WM_KEYUP, key, 0xC0000001);
}

std::unique_ptr<DibCanvas> ControlsWindow::Paint(uint32_t fill) {
  RECT client = {0, 0, 0, 0};
  ::GetClientRect(hwnd(), &client);
  auto canvas = std::make_unique<DibCanvas>(client.right, client.bottom, fill);
  root_->Paint(canvas->dc(), canvas->Rect());
  ::GdiFlush();
  return canvas;
}

POINT ControlsWindow::Centre(const SkinUI::CControlUI* control) {
  const RECT& rc = control->GetPos();
  return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

PixelRun RowRun(const DibCanvas& canvas, int y, int left, int right, uint32_t argb) {
  PixelRun run;
  for (int x = left; x < right; ++x) {
    if (!ColorNear(canvas.Pixel(x, y), argb, 3)) continue;
    if (run.first < 0) run.first = x;
    ++run.count;
  }
  return run;
}

PixelRun ColumnRun(const DibCanvas& canvas, int x, int top, int bottom, uint32_t argb) {
  PixelRun run;
  for (int y = top; y < bottom; ++y) {
    if (!ColorNear(canvas.Pixel(x, y), argb, 3)) continue;
    if (run.first < 0) run.first = y;
    ++run.count;
  }
  return run;
}

bool AllPixels(const DibCanvas& canvas, const RECT& rc, uint32_t argb) {
  for (int y = rc.top; y < rc.bottom; ++y) {
    for (int x = rc.left; x < rc.right; ++x) {
      if (!ColorNear(canvas.Pixel(x, y), argb, 3)) return false;
    }
  }
  return true;
}

bool AnyPixelDiffers(const DibCanvas& canvas, const RECT& rc, uint32_t argb) {
  return !AllPixels(canvas, rc, argb);
}

bool PaintsAlike(SkinUI::CControlUI* control, SkinUI::CControlUI* reference, uint32_t fill) {
  const RECT a = control->GetPos();
  const RECT b = reference->GetPos();
  if (a.right - a.left != b.right - b.left || a.bottom - a.top != b.bottom - b.top) return false;
  DibCanvas first(std::max(a.right, b.right), std::max(a.bottom, b.bottom), fill);
  DibCanvas second(first.width(), first.height(), fill);
  control->Paint(first.dc(), a);
  reference->Paint(second.dc(), b);
  for (int y = 0; y < a.bottom - a.top; ++y) {
    for (int x = 0; x < a.right - a.left; ++x) {
      if (first.Pixel(a.left + x, a.top + y) != second.Pixel(b.left + x, b.top + y)) return false;
    }
  }
  return true;
}

bool WriteStripedBitmap(const std::wstring& path, int width, int height, const uint32_t* colors,
                        int colorCount) {
  const int rowBytes = (width * 3 + 3) & ~3;
  const int imageBytes = rowBytes * height;
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + imageBytes;
  info.biSize = sizeof(info);
  info.biWidth = width;
  info.biHeight = height;  // bottom-up; every row is the same anyway
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  info.biSizeImage = imageBytes;
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
  bytes.append(reinterpret_cast<const char*>(&info), sizeof(info));
  std::string row(static_cast<size_t>(rowBytes), '\0');
  const int stripe = width / colorCount;
  for (int x = 0; x < width; ++x) {
    const uint32_t rgb = colors[std::min(x / stripe, colorCount - 1)];
    row[x * 3 + 0] = static_cast<char>(rgb & 0xFF);
    row[x * 3 + 1] = static_cast<char>((rgb >> 8) & 0xFF);
    row[x * 3 + 2] = static_cast<char>((rgb >> 16) & 0xFF);
  }
  for (int y = 0; y < height; ++y) bytes += row;
  return TestSupport::WriteBytes(path, bytes);
}

}  // namespace ControlsTest
