#pragma once
// A soft drop shadow for a borderless top-level window: a separate layered, click-through popup
// ("SkinShadowWnd") owned by the parent, placed behind it and painted with per-pixel alpha
// through UpdateLayeredWindow. It follows the parent by subclassing the parent's window
// procedure. The shadow is computed from the parent's window region (size, sharpness, darkness,
// offset, colour) or drawn from a nine-grid image with a transparent centre.
#include <windows.h>

#include <cstdint>
#include <memory>

#include "ui_core/ui_image.h"

namespace SkinUI {

class CWindowShadow {
public:
  CWindowShadow();
  virtual ~CWindowShadow();
  CWindowShadow(const CWindowShadow&) = delete;
  CWindowShadow& operator=(const CWindowShadow&) = delete;

  // Once per process: registers the shadow window class. False when already done or when the
  // system has no UpdateLayeredWindow.
  static bool Initialize(HINSTANCE instance);
  static bool IsInitialized();

  void Create(HWND parent);

  bool SetSize(int size);            // -20..20
  bool SetSharpness(unsigned sharpness);  // 0..20
  bool SetDarkness(unsigned darkness);    // 0..255
  bool SetPosition(int x, int y);    // each -20..20
  bool SetColor(COLORREF color);     // red in the low byte; the high byte is ignored
  // A nine-grid image from the skin (folder or archive); its centre, inset by corner + hole
  // offset, stays transparent. False when the image cannot be loaded.
  bool SetImage(const wchar_t* image, RECT corner, RECT holeOffset);

  HWND GetShadowWindow() const { return shadowWindow_; }
  BYTE GetStatus() const { return status_; }
  // The pixels of the last update as handed to UpdateLayeredWindow (premultiplied BGRA,
  // top-down), with their size; for tests and diagnostics.
  const uint8_t* GetLastPixels() const { return lastPixels_.get(); }
  SIZE GetLastSize() const { return lastSize_; }

  // Status bits.
  static constexpr BYTE kEnabled = 0x01;
  static constexpr BYTE kVisible = 0x02;
  static constexpr BYTE kParentVisible = 0x04;

private:
  // Frees an image the way the image loader made it.
  struct ImageDeleter {
    void operator()(TImageEntryUI* entry) const;
  };

  static LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ShadowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void OnParentMessage(HWND parent, UINT message, WPARAM wParam, LPARAM lParam);
  void Update(HWND parent);
  void UpdateIfVisible();
  void MakeShadow(uint32_t* pixels, HWND parent, const RECT& parentRect);
  // Top-left corner of the shadow window for a parent window rectangle (screen coordinates).
  POINT ShadowOrigin(const RECT& parentRect) const;

  HWND shadowWindow_ = nullptr;
  WNDPROC previousParentProc_ = nullptr;
  BYTE status_ = 0;
  BYTE darkness_ = 150;
  BYTE sharpness_ = 5;
  signed char size_ = 0;
  signed char xOffset_ = 5;
  signed char yOffset_ = 5;
  bool updatePending_ = false;
  WORD lastParentWidth_ = 0;
  WORD lastParentHeight_ = 0;
  COLORREF color_ = 0;
  std::unique_ptr<TImageEntryUI, ImageDeleter> image_;
  RECT corner_ = {0, 0, 0, 0};
  RECT holeOffset_ = {0, 0, 0, 0};
  HWND parent_ = nullptr;  // the shadowed window, from Create to its WM_NCDESTROY
  std::unique_ptr<uint8_t[]> lastPixels_;
  SIZE lastSize_ = {0, 0};
};

}  // namespace SkinUI
