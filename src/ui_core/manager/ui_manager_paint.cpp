// The window manager's paint path: layout of the controls that need it, double-buffered
// painting of the update area, layered windows through UpdateLayeredWindow with per-pixel alpha,
// printing for WM_PRINTCLIENT, and invalidation.
#include <cstring>

#include "ui_core/drawing/ui_render.h"
#include "ui_core/manager/ui_control.h"
#include "ui_core/manager/ui_globals.h"
#include "ui_core/manager/ui_manager.h"

namespace SkinUI {
namespace {

using UpdateLayeredWindowFunction = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF,
                                                  BLENDFUNCTION*, DWORD);

// Clears a flag on every way out of the scope that set it.
class ScopedFlag {
public:
  explicit ScopedFlag(bool& flag) : flag_(flag) { flag_ = true; }
  ~ScopedFlag() { flag_ = false; }
  ScopedFlag(const ScopedFlag&) = delete;
  ScopedFlag& operator=(const ScopedFlag&) = delete;

private:
  bool& flag_;
};

// A 32-bit top-down DIB section; *pixels points at its width * height * 4 bytes.
HBITMAP CreateTopDownDib(HDC dc, int width, int height, uint8_t** pixels) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  *pixels = bitmap != nullptr ? static_cast<uint8_t*>(bits) : nullptr;
  return bitmap;
}

// The part of area that lies inside a width x height bitmap.
RECT ClipToSize(const RECT& area, int width, int height) {
  RECT bounds = {0, 0, width, height};
  RECT clipped = {0, 0, 0, 0};
  ::IntersectRect(&clipped, &area, &bounds);
  return clipped;
}

CControlUI* CALLBACK CollectUpdateProc(CControlUI* control, LPVOID data) {
  // A control that needs a layout is placed with its whole subtree: its children are skipped.
  if (!control->IsUpdateNeeded()) return nullptr;
  static_cast<CPtrArrayUI*>(data)->Add(control);
  return control;
}

void FillBlack(HWND window) {
  PAINTSTRUCT ps = {};
  HDC dc = ::BeginPaint(window, &ps);
  if (dc != nullptr) ::FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
  ::EndPaint(window, &ps);
}

}  // namespace

bool CWindowManagerUI::HandlePaint() {
  if (root_ == nullptr) {
    FillBlack(paintWindow_);
    return true;
  }
  RECT paint = {0, 0, 0, 0};
  if (layered_) {
    offscreenPaint_ = true;
    paint = layeredUpdateRect_;
    ::SetRectEmpty(&layeredUpdateRect_);
    if (::IsRectEmpty(&paint)) {
      ::ValidateRect(paintWindow_, nullptr);
      return true;
    }
  } else if (!::GetUpdateRect(paintWindow_, &paint, FALSE)) {
    return true;
  }

  ScopedFlag painting(painting_);
  RECT client = {0, 0, 0, 0};
  ::GetClientRect(paintWindow_, &client);
  if (updateNeeded_) {
    updateNeeded_ = false;
    const bool initialised = !::IsRectEmpty(&client) && PaintLayoutPass(client);
    // A "windowinit" handler may have replaced or dropped the tree.
    if (root_ == nullptr || (initialised && layered_ && layeredUpdateNeeded_)) {
      if (root_ != nullptr) Invalidate();
      ::ValidateRect(paintWindow_, nullptr);
      return true;
    }
  } else if (layered_ && layeredUpdateNeeded_) {
    ClearOffscreenPixels(client);
    root_->SetPos(client, true);
  }
  // After the layout: with a layout still pending the move would only invalidate the window,
  // and this very paint would validate it again, leaving the focus where it was.
  if (focusNeeded_) SetNextTabControl(true);

  const bool offscreen = offscreenPaint_ && EnsureOffscreen(client);
  PAINTSTRUCT ps = {};
  HDC dc = ::BeginPaint(paintWindow_, &ps);
  if (offscreen) {
    Utils::ScopedSelectObject select(offscreenDC_.get(), offscreenBitmap_.get());
    {
      Utils::ScopedSaveDC saved(offscreenDC_.get());
      if (layered_ && layeredImage_.image == nullptr) ClearOffscreenPixels(paint);
      root_->Paint(offscreenDC_.get(), paint, nullptr);
      if (layered_) PaintNativeWindows(offscreenDC_.get(), paint);
      PaintPostPaintControls(offscreenDC_.get(), paint);
    }
    if (layered_) {
      PresentLayered(paint);
    } else if (dc != nullptr) {
      ::BitBlt(dc, paint.left, paint.top, paint.right - paint.left, paint.bottom - paint.top,
               offscreenDC_.get(), paint.left, paint.top, SRCCOPY);
      if (showDirty_) {
        Utils::ScopedSelectObject pen(dc, ProcessTables().dirtyPen.get());
        Utils::ScopedSelectObject brush(dc, ::GetStockObject(HOLLOW_BRUSH));
        ::Rectangle(dc, paint.left, paint.top, paint.right, paint.bottom);
      }
    }
  } else if (dc != nullptr && !layered_) {
    root_->Paint(dc, paint, nullptr);
  }
  ::EndPaint(paintWindow_, &ps);
  layeredUpdateNeeded_ = false;
  if (updateNeeded_) Invalidate();
  return true;
}

bool CWindowManagerUI::PaintLayoutPass(const RECT& client) {
  if (root_->IsUpdateNeeded()) {
    DropOffscreen();
    root_->SetPos(client, true);
  } else {
    CPtrArrayUI found;
    root_->FindControl(&CollectUpdateProc, &found, kFindVisible | kFindUpdateTest | kFindMeFirst);
    for (int i = 0; i < found.GetSize(); ++i) {
      auto* control = static_cast<CControlUI*>(found[i]);
      control->SetPos(control->IsFloat() ? control->GetRelativePos() : control->GetPos(), true);
    }
  }
  if (!firstLayout_) return false;
  firstLayout_ = false;
  SendNotify(root_, L"windowinit", 0, 0, false);
  return true;
}

bool CWindowManagerUI::EnsureOffscreen(const RECT& client) {
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  if (offscreenBitmap_ && offscreenSize_.cx == width && offscreenSize_.cy == height) return true;
  DropOffscreen();
  if (width <= 0 || height <= 0) return false;
  offscreenDC_.reset(::CreateCompatibleDC(paintDC_.get()));
  if (!offscreenDC_) return false;
  if (layered_) {
    offscreenBitmap_.reset(CreateTopDownDib(paintDC_.get(), width, height, &offscreenPixels_));
  } else {
    offscreenBitmap_.reset(::CreateCompatibleBitmap(paintDC_.get(), width, height));
  }
  if (!offscreenBitmap_) {
    DropOffscreen();
    return false;
  }
  offscreenSize_ = SIZE{width, height};
  return true;
}

void CWindowManagerUI::DropOffscreen() {
  offscreenBitmap_.reset();
  offscreenPixels_ = nullptr;
  offscreenSize_ = SIZE{0, 0};
  offscreenDC_.reset();
  backgroundBitmap_.reset();
  backgroundPixels_ = nullptr;
  backgroundSize_ = SIZE{0, 0};
  backgroundDC_.reset();
}

void CWindowManagerUI::ClearOffscreenPixels(const RECT& area) {
  if (offscreenPixels_ == nullptr) return;
  const RECT clear = ClipToSize(area, offscreenSize_.cx, offscreenSize_.cy);
  if (::IsRectEmpty(&clear)) return;
  ::GdiFlush();
  const size_t rowBytes = static_cast<size_t>(clear.right - clear.left) * 4;
  for (int y = clear.top; y < clear.bottom; ++y) {
    uint8_t* row = offscreenPixels_ +
                   (static_cast<size_t>(y) * offscreenSize_.cx + clear.left) * 4;
    std::memset(row, 0, rowBytes);
  }
}

void CWindowManagerUI::PaintNativeWindows(HDC dc, const RECT& paint) {
  for (int i = 0; i < nativeWindows_.GetSize();) {
    HWND window = static_cast<HWND>(nativeWindows_[i]);
    if (!::IsWindow(window)) {
      nativeWindows_.Remove(i);
      nativeWindowControls_.Remove(i);
      continue;
    }
    ++i;
    const RECT rc = GetNativeWindowRect(window);
    RECT overlap = {0, 0, 0, 0};
    if (!::IsWindowVisible(window) || !::IntersectRect(&overlap, &rc, &paint)) continue;
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    Utils::UniqueMemoryDC printDC(::CreateCompatibleDC(dc));
    uint8_t* pixels = nullptr;
    Utils::UniqueBitmap bitmap(CreateTopDownDib(dc, width, height, &pixels));
    if (!printDC || !bitmap) continue;
    Utils::ScopedSelectObject select(printDC.get(), bitmap.get());
    ::SendMessageW(window, WM_PRINT, reinterpret_cast<WPARAM>(printDC.get()),
                   PRF_CHECKVISIBLE | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
    ::GdiFlush();
    // GDI leaves alpha at 0; whatever the child drew is opaque in the layered image.
    auto* pixel = reinterpret_cast<uint32_t*>(pixels);
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t p = 0; p < count; ++p) {
      if (pixel[p] != 0) pixel[p] |= 0xFF000000u;
    }
    ::BitBlt(dc, rc.left, rc.top, width, height, printDC.get(), 0, 0, SRCCOPY);
  }
}

void CWindowManagerUI::PaintPostPaintControls(HDC dc, const RECT& paint) {
  const CPtrArrayUI controls(postPaintControls_);
  for (int i = 0; i < controls.GetSize(); ++i) {
    auto* control = static_cast<CControlUI*>(controls[i]);
    if (postPaintControls_.Find(control) >= 0) control->DoPostPaint(dc, paint);
  }
}

void CWindowManagerUI::PresentLayered(const RECT& paint) {
  RECT window = {0, 0, 0, 0};
  ::GetWindowRect(paintWindow_, &window);
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  if (layeredImage_.image != nullptr && width > 0 && height > 0) {
    if (!backgroundBitmap_ || layeredUpdateNeeded_ || backgroundSize_.cx != width ||
        backgroundSize_.cy != height) {
      if (!backgroundDC_) backgroundDC_.reset(::CreateCompatibleDC(paintDC_.get()));
      if (!backgroundBitmap_ || backgroundSize_.cx != width || backgroundSize_.cy != height) {
        backgroundBitmap_.reset(CreateTopDownDib(paintDC_.get(), width, height, &backgroundPixels_));
        backgroundSize_ = backgroundBitmap_ ? SIZE{width, height} : SIZE{0, 0};
      }
      if (backgroundBitmap_ && backgroundDC_) {
        ::GdiFlush();
        std::memset(backgroundPixels_, 0, static_cast<size_t>(width) * height * 4);
        Utils::ScopedSelectObject select(backgroundDC_.get(), backgroundBitmap_.get());
        const RECT all = {0, 0, width, height};
        CRenderUI::DrawImageString(backgroundDC_.get(), this, all, all, layeredImage_);
      }
    }
    if (layeredImage_.image != nullptr && layeredImage_.image->alpha) {
      ApplyLayeredImageAlpha(paint, width, height);
    }
  }
  static const auto updateLayered =
      reinterpret_cast<UpdateLayeredWindowFunction>(LookupUser32("UpdateLayeredWindow"));
  if (updateLayered == nullptr) return;
  POINT destination = {window.left, window.top};
  // The off-screen bitmap has the client's size, which is the window's for a skinned window.
  SIZE size = offscreenSize_;
  POINT source = {0, 0};
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, opacity_, AC_SRC_ALPHA};
  updateLayered(paintWindow_, paintDC_.get(), &destination, &size, offscreenDC_.get(), &source, 0,
                &blend, ULW_ALPHA);
}

void CWindowManagerUI::ApplyLayeredImageAlpha(const RECT& paint, int width, int height) {
  if (offscreenPixels_ == nullptr || backgroundPixels_ == nullptr) return;
  RECT area = ClipToSize(paint, offscreenSize_.cx, offscreenSize_.cy);
  area = ClipToSize(area, width < backgroundSize_.cx ? width : backgroundSize_.cx,
                    height < backgroundSize_.cy ? height : backgroundSize_.cy);
  ::GdiFlush();
  // The layered image's alpha is the window's shape: every pixel takes it, premultiplied.
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      uint8_t* pixel = offscreenPixels_ + (static_cast<size_t>(y) * offscreenSize_.cx + x) * 4;
      const unsigned alpha =
          backgroundPixels_[(static_cast<size_t>(y) * backgroundSize_.cx + x) * 4 + 3];
      pixel[0] = static_cast<uint8_t>(pixel[0] * alpha / 255);
      pixel[1] = static_cast<uint8_t>(pixel[1] * alpha / 255);
      pixel[2] = static_cast<uint8_t>(pixel[2] * alpha / 255);
      pixel[3] = static_cast<uint8_t>(alpha);
    }
  }
}

void CWindowManagerUI::HandlePrintClient(HDC dc, LPARAM flags) {
  if (root_ == nullptr || dc == nullptr) return;
  RECT client = {0, 0, 0, 0};
  ::GetClientRect(paintWindow_, &client);
  root_->Paint(dc, client, nullptr);
  if ((flags & PRF_CHILDREN) == 0) return;
  for (HWND child = ::GetWindow(paintWindow_, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    const RECT rc = GetNativeWindowRect(child);
    POINT origin = {0, 0};
    ::OffsetWindowOrgEx(dc, -rc.left, -rc.top, &origin);
    ::SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(dc), flags | PRF_NONCLIENT);
    ::SetWindowOrgEx(dc, origin.x, origin.y, nullptr);
  }
}

// --- invalidation ----------------------------------------------------------------------------

void CWindowManagerUI::Invalidate(RECT rc) {
  if (rc.left < 0) rc.left = 0;
  if (rc.top < 0) rc.top = 0;
  if (rc.right < rc.left) rc.right = rc.left;
  if (rc.bottom < rc.top) rc.bottom = rc.top;
  if (layered_) {
    // Gathered here and painted by the 10 ms layered timer.
    ::UnionRect(&layeredUpdateRect_, &layeredUpdateRect_, &rc);
  } else if (paintWindow_ != nullptr) {
    ::InvalidateRect(paintWindow_, &rc, FALSE);
  }
}

void CWindowManagerUI::Invalidate() {
  if (paintWindow_ == nullptr) return;
  if (layered_) {
    RECT client = {0, 0, 0, 0};
    ::GetClientRect(paintWindow_, &client);
    Invalidate(client);
  } else {
    ::InvalidateRect(paintWindow_, nullptr, FALSE);
  }
}

}  // namespace SkinUI
