#pragma once
// A soft drop shadow for a borderless top-level window. The shadow is one premultiplied bitmap,
// computed from the parent's window region (size, sharpness, darkness, offset, colour) or drawn
// from a nine-grid image with a transparent centre. It is shown by up to four layered,
// click-through popups ("SkinShadowWnd") owned by the parent: the bands of the shadow rectangle
// that lie outside the parent's rectangle (top and bottom full width, left and right between
// them), each painted through UpdateLayeredWindow from its slice of the bitmap. No band covers
// the parent, so a system that shows layered windows without blending still shows the parent
// whole. The shadow follows the parent by subclassing the parent's window procedure.
#include <windows.h>

#include <cstdint>
#include <memory>

#include "base/unique_resource.h"
#include "ui_core/drawing/ui_image.h"

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

  // The parent has put its picture on the screen without a WM_PAINT (a layered window paints
  // from a timer): an update left for the parent's next paint is done now.
  void ParentPainted();

  bool SetSize(int size);            // -20..20
  bool SetSharpness(unsigned sharpness);  // 0..20
  bool SetDarkness(unsigned darkness);    // 0..255
  bool SetPosition(int x, int y);    // each -20..20
  bool SetColor(COLORREF color);     // red in the low byte; the high byte is ignored
  // A nine-grid image from the skin (folder or archive); its centre, inset by corner + hole
  // offset, stays transparent. False when the image cannot be loaded.
  bool SetImage(const wchar_t* image, RECT corner, RECT holeOffset);

  // The bands around the parent, in this order.
  enum TShadowBandUI { kTopBand, kBottomBand, kLeftBand, kRightBand, kBandCount };
  // Where a band lies and which part of the shadow bitmap it shows.
  struct TBandPlaceUI {
    RECT screen;   // screen rectangle; empty when the band has no area
    POINT source;  // its top-left corner in the shadow bitmap
  };

  // The strips of the shadow rectangle that lie outside the parent's rectangle, as the bands
  // are ordered. A side where the shadow does not reach past the parent gets an empty band.
  static void SplitAroundParent(const RECT& shadow, const RECT& parent,
                                RECT bands[kBandCount]);

  // The window of a band (null before Create and after the parent is destroyed).
  HWND GetBandWindow(int band) const;
  // True from Create until the parent is destroyed.
  bool HasWindows() const { return bands_[kTopBand].get() != nullptr; }
  BYTE GetStatus() const { return status_; }
  // The pixels of the last update (premultiplied BGRA, top-down), with their size and the
  // screen position of their top-left corner; each band hands UpdateLayeredWindow its slice
  // (GetBandPlace). For tests and diagnostics.
  const uint8_t* GetLastPixels() const { return lastPixels_.get(); }
  SIZE GetLastSize() const { return lastSize_; }
  POINT GetLastOrigin() const { return lastOrigin_; }
  // The place of a band as of the last update or move.
  TBandPlaceUI GetBandPlace(int band) const;
  // How many bitmaps UpdateLayeredWindow has taken for a band since Create: every update hands
  // each band with area its slice once.
  int GetBitmapsHanded(int band) const;

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
  void UpdateIfPending(HWND parent);
  void MakeShadow(uint32_t* pixels, HWND parent, const RECT& parentRect);
  // Top-left corner of the shadow for a parent window rectangle (screen coordinates).
  POINT ShadowOrigin(const RECT& parentRect) const;
  // Places the bands around a shadow at origin (screen) of the given size from the DC that
  // holds its bitmap; shows the ones with area when the shadow is visible, hides the others.
  void PlaceBands(HDC bitmapDC, POINT origin, SIZE size, const RECT& parentRect);
  // Moves the bands by the parent's move since the last update, keeping their sizes.
  void MoveBands(const RECT& parentRect);
  // Shows the bands that have area, or hides all of them.
  void ShowBands(bool show);
  void DestroyBands();

  Utils::UniqueWindow bands_[kBandCount];
  TBandPlaceUI places_[kBandCount] = {};
  int bitmapsHanded_[kBandCount] = {};
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
  POINT lastOrigin_ = {0, 0};
  POINT placedParentOrigin_ = {0, 0};  // the parent's top-left when the bands were placed
};

}  // namespace SkinUI
