#pragma once
// Drawing on a GDI device context: colour fills with alpha, gradients, lines and rectangles,
// clip regions, plain and measured text, the inline mark-up text of rich labels, images from
// descriptions and snapshots of a window area. Colours are 32-bit ARGB (alpha in the top byte);
// every function that blends hands GDI premultiplied pixels.
//
// Every function does nothing (or returns null/false) without a DC, text, manager or bitmap.
#include <windows.h>

#include "base/unique_resource.h"
#include "ui_core/drawing/ui_image.h"
#include "ui_core/values/ui_string.h"

namespace SkinUI {

class CWindowManagerUI;
class CControlUI;

// A clip region selected for the life of the object; the region in force before is selected
// again when it ends.
class CRenderClipUI {
public:
  CRenderClipUI() = default;
  ~CRenderClipUI();
  CRenderClipUI(const CRenderClipUI&) = delete;
  CRenderClipUI& operator=(const CRenderClipUI&) = delete;

  RECT rcItem = {0, 0, 0, 0};
  HDC hDC = nullptr;
  Utils::UniqueRegion region;     // selected by this clip
  Utils::UniqueRegion oldRegion;  // built from the DC's clip box before
};

// The function table that AlphaBlend has; the own routine stands in when msimg32 lacks it.
using AlphaBlendFunction = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int,
                                         BLENDFUNCTION);

class CRenderUI {
public:
  // --- images (decoding and drawing) ---------------------------------------------------------

  // Decodes an image: type kImageTypeColor reads the name as ARGB; another type reads the
  // resource (name, type) of the resource instance, falling back to the name as a path; no type
  // looks the name up in the skin (folder or archive), falling back to a plain path. Pixels are
  // premultiplied; pixels equal to a non-zero mask become transparent. Null on any failure.
  static TImageEntryUI* LoadImage(const wchar_t* name, const wchar_t* type = nullptr,
                                  DWORD mask = 0);
  // The same from bytes already in memory (PNG, JPEG, BMP, GIF ... as stb_image reads them).
  static TImageEntryUI* LoadImageFromMemory(const uint8_t* bytes, size_t size, DWORD mask = 0);
  static void FreeImage(TImageEntryUI* entry, bool deleteRecord = true);

  // Parses the description on first use, loads its image through the manager and draws it into
  // the item rect clipped to the paint rect. False when the description is empty or its image
  // cannot be loaded (then and on every later call until the record is cleared).
  static bool DrawImageString(HDC hDC, CWindowManagerUI* manager, const RECT& item,
                              const RECT& paint, TImageDescUI& image);
  // Nine-grid drawing of a bitmap: corners unstretched, edges stretched along their length, the
  // centre stretched or tiled (or left out with hole). alpha: the bitmap has per-pixel alpha.
  static void DrawImage(HDC hDC, HBITMAP bitmap, const RECT& dest, const RECT& paint,
                        const RECT& source, const RECT& corners, bool alpha, BYTE fade = 255,
                        bool hole = false, bool xtiled = false, bool ytiled = false);

  // Colour shift: hue 0-360 (180 neutral), saturation and lightness in percent (100 neutral).
  static DWORD AdjustColor(DWORD argb, short hue, short saturation, short lightness);
  static void AdjustImage(bool useHsl, TImageEntryUI* entry, short hue, short saturation,
                          short lightness);

  // --- fills, lines and clips ---------------------------------------------------------------

  static void DrawColor(HDC hDC, const RECT& rc, DWORD argb);
  static void DrawGradient(HDC hDC, const RECT& rc, DWORD argbFrom, DWORD argbTo, bool vertical,
                           int steps);
  // The gradient as solid bands (2 to 64 by steps), for a system without GradientFill; the
  // alpha bytes of the colours are ignored.
  static void DrawGradientBands(HDC hDC, const RECT& rc, DWORD argbFrom, DWORD argbTo,
                                bool vertical, int steps);
  static void DrawLine(HDC hDC, const RECT& rc, int width, DWORD argb, int style = PS_SOLID);
  static void DrawRect(HDC hDC, const RECT& rc, int width, DWORD argb, int style = PS_SOLID);
  static void DrawRoundRect(HDC hDC, const RECT& rc, int width, int ellipseWidth,
                            int ellipseHeight, DWORD argb, int style = PS_SOLID);

  static void GenerateClip(HDC hDC, const RECT& rc, CRenderClipUI& clip);
  static void GenerateRoundClip(HDC hDC, const RECT& paint, const RECT& item, int ellipseWidth,
                                int ellipseHeight, CRenderClipUI& clip);
  static void SelectOuterClip(HDC hDC, CRenderClipUI& clip);
  static void SelectInnerClip(HDC hDC, CRenderClipUI& clip);

  // --- text ---------------------------------------------------------------------------------

  // Plain text after the language-token substitution, in the manager's font `font` (-1 or an
  // unknown id: the default font), DrawTextW with `style` | DT_NOPREFIX. Both leave that font
  // selected in the DC (the next text in it then costs no font selection).
  static void DrawText(HDC hDC, CWindowManagerUI* manager, RECT& rc, const wchar_t* text,
                       DWORD argb, int font, UINT style);
  static SIZE GetTextSize(HDC hDC, CWindowManagerUI* manager, const wchar_t* text, int font,
                          UINT style);
  // Mark-up text: <a>, <b>, <c>, <f>, <i>, <n>, <p>, <r>, <s>, <u>, <v>, <x>, <y> (or with braces).
  // links/linkTexts hold *linkCount slots on entry; *linkCount is the number of links found on
  // return. With DT_CALCRECT nothing is drawn and rc becomes the needed rectangle.
  static void DrawHtmlText(HDC hDC, CWindowManagerUI* manager, RECT& rc, const wchar_t* text,
                           DWORD argb, RECT* links, CStringUI* linkTexts, int* linkCount,
                           int font, UINT style);

  // A snapshot of rc of the manager's window as a 32-bit DIB owned by the caller, painted up to
  // (not including) stop, with argb laid over it when its alpha is not 0.
  static HBITMAP GenerateBitmap(CWindowManagerUI* manager, const RECT& rc,
                                CControlUI* stop = nullptr, DWORD argb = 0);

  // AlphaBlend from msimg32 when it is there, else the own premultiplied blend.
  static AlphaBlendFunction GetAlphaBlend();
  // The own blend: premultiplied source-over with a constant alpha, through 32-bit DIBs.
  static BOOL WINAPI OwnAlphaBlend(HDC dest, int dx, int dy, int dw, int dh, HDC src, int sx,
                                   int sy, int sw, int sh, BLENDFUNCTION blend);
};

// A 32-bit top-down DIB section of width x height (both above 0), its pixels through *bits;
// null on failure.
Utils::UniqueBitmap CreateDib32(int width, int height, void** bits);

// ARGB with straight colour to the premultiplied pixel that AlphaBlend with AC_SRC_ALPHA expects.
DWORD PremultiplyArgb(DWORD argb);

// ARGB (alpha in the top byte) to a GDI COLORREF (red in the low byte), alpha dropped.
inline COLORREF ArgbToColorRef(DWORD argb) {
  return RGB(GetBValue(argb), GetGValue(argb), GetRValue(argb));
}

}  // namespace SkinUI
