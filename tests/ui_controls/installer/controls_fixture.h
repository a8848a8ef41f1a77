#pragma once
// A real window whose root is a vertical layout of controls placed from the top (each with a
// fixed size), a recorder of its notifications, pointer and key input sent to the window as the
// system would send it, and paints of the tree into a 32-bit DIB.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "ui_core/layout/ui_layouts.h"
#include "ui_core/manager/ui_control.h"
#include "ui_test_support.h"

namespace ControlsTest {

class ControlsWindow {
public:
  explicit ControlsWindow(int x = 100, int y = 100, int width = 400, int height = 300);
  ~ControlsWindow();

  HWND hwnd() const { return host_.hwnd(); }
  SkinUI::CWindowManagerUI& manager() { return host_.manager(); }
  TestSupport::NotifyRecorder& recorder() { return recorder_; }
  SkinUI::CVerticalLayoutUI* root() const { return root_; }

  // Appends a control of the given fixed size below the previous ones (the tree owns it).
  template <class Control>
  Control* Add(Control* control, int width, int height, const wchar_t* name = nullptr) {
    control->SetFixedWidth(width);
    control->SetFixedHeight(height);
    if (name != nullptr) control->SetName(name);
    root_->Add(control);
    return control;
  }
  // Attaches the tree to the window, lays it out and paints it once.
  void Attach();
  void Repaint() { host_.Repaint(); }

  // The pointer: the system cursor is moved there too, so that the window's leave tracking
  // does not see the pointer elsewhere.
  void MoveMouse(int x, int y, WPARAM buttons = 0);
  void PressLeft(int x, int y);
  void ReleaseLeft(int x, int y);
  void ClickLeft(int x, int y);
  // One notch of the wheel: away from the user (up) or toward the user (down).
  void Wheel(int x, int y, bool up);
  void KeyDown(WPARAM key);

  // The whole client area painted into a DIB filled with `fill` beforehand.
  std::unique_ptr<TestSupport::DibCanvas> Paint(uint32_t fill = 0xFF000000);

  // The centre of a control.
  static POINT Centre(const SkinUI::CControlUI* control);

private:
  TestSupport::NotifyRecorder recorder_;  // outlives the window that reports to it
  TestSupport::TestHostWindow host_;
  SkinUI::CVerticalLayoutUI* root_ = nullptr;  // owned by the window once attached
  bool attached_ = false;
};

// The first x (or y) and the count of the pixels near `argb` along one row (or column) of rc.
struct PixelRun {
  int first = -1;
  int count = 0;
};
PixelRun RowRun(const TestSupport::DibCanvas& canvas, int y, int left, int right, uint32_t argb);
PixelRun ColumnRun(const TestSupport::DibCanvas& canvas, int x, int top, int bottom, uint32_t argb);
// Whether every pixel of rc is near argb / whether any pixel of rc differs from argb.
bool AllPixels(const TestSupport::DibCanvas& canvas, const RECT& rc, uint32_t argb);
bool AnyPixelDiffers(const TestSupport::DibCanvas& canvas, const RECT& rc, uint32_t argb);
// Whether two controls of the same size paint the same pixels, each painted in its own place
// over `fill`: a comparison of two renderings that needs no knowledge of glyph shapes.
bool PaintsAlike(SkinUI::CControlUI* control, SkinUI::CControlUI* reference,
                 uint32_t fill = 0xFFFFFFFF);

// A 24-bit BMP of the given size made of vertical stripes of equal width, one per colour
// (0xRRGGBB), written to path.
bool WriteStripedBitmap(const std::wstring& path, int width, int height,
                        const uint32_t* colors, int colorCount);

}  // namespace ControlsTest
