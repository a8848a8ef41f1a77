#include "ui_core/ui_render.h"

#include <algorithm>
#include <cstring>

#include "ui_core/ui_control.h"
#include "ui_core/ui_manager.h"

namespace SkinUI {
namespace {

using GradientFillFunction = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

// Pixels of one scratch bitmap of a blend; a larger area is refused rather than allocated.
constexpr long long kMaxScratchPixels = 64LL << 20;
// Pen widths beyond this are nonsense from a skin.
constexpr int kMaxPenWidth = 4096;

// msimg32's blend and gradient, looked up once per process. The library stays loaded.
struct ImagingFunctions {
  Utils::UniqueLibrary library;
  AlphaBlendFunction alphaBlend = nullptr;
  GradientFillFunction gradientFill = nullptr;

  ImagingFunctions() : library(::LoadLibraryW(L"msimg32.dll")) {
    if (library) {
      alphaBlend = reinterpret_cast<AlphaBlendFunction>(
          reinterpret_cast<void*>(::GetProcAddress(library.get(), "AlphaBlend")));
      gradientFill = reinterpret_cast<GradientFillFunction>(
          reinterpret_cast<void*>(::GetProcAddress(library.get(), "GradientFill")));
    }
  }
};

const ImagingFunctions& Imaging() {
  static const ImagingFunctions functions;
  return functions;
}

bool FitsScratch(int width, int height) {
  return width > 0 && height > 0 &&
         static_cast<long long>(width) * static_cast<long long>(height) <= kMaxScratchPixels;
}

int ClampPenWidth(int width) { return std::min(std::max(width, 0), kMaxPenWidth); }

COLOR16 Channel16(DWORD argb, int shift) { return static_cast<COLOR16>(((argb >> shift) & 0xFF) << 8); }

// The gradient drawn opaque over rc of the DC (GradientFill, else bands).
void FillGradient(HDC hDC, const RECT& rc, DWORD from, DWORD to, bool vertical, int steps) {
  const GradientFillFunction gradientFill = Imaging().gradientFill;
  if (gradientFill == nullptr) {
    CRenderUI::DrawGradientBands(hDC, rc, from, to, vertical, steps);
    return;
  }
  TRIVERTEX vertices[2] = {};
  vertices[0].x = rc.left;
  vertices[0].y = rc.top;
  vertices[0].Red = Channel16(from, 16);
  vertices[0].Green = Channel16(from, 8);
  vertices[0].Blue = Channel16(from, 0);
  vertices[0].Alpha = 0xFF00;
  vertices[1].x = rc.right;
  vertices[1].y = rc.bottom;
  vertices[1].Red = Channel16(to, 16);
  vertices[1].Green = Channel16(to, 8);
  vertices[1].Blue = Channel16(to, 0);
  vertices[1].Alpha = 0xFF00;
  GRADIENT_RECT gradient = {0, 1};
  gradientFill(hDC, vertices, 2, &gradient, 1,
               vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
}

// A pen for the outline functions. A solid frame is drawn inside the rectangle; other styles keep
// their own (adding the inside-frame bit to a dash style would make it another style).
Utils::UniquePen MakePen(int style, int width, DWORD argb) {
  LOGPEN pen = {};
  pen.lopnStyle = static_cast<UINT>(style);
  pen.lopnWidth.x = ClampPenWidth(width);
  pen.lopnColor = ArgbToColorRef(argb);
  return Utils::UniquePen(::CreatePenIndirect(&pen));
}

int FrameStyle(int style) { return style == PS_SOLID ? PS_INSIDEFRAME : style; }

void SelectClip(HDC hDC, const Utils::UniqueRegion& region) {
  if (hDC != nullptr && region) ::SelectClipRgn(hDC, region.get());
}

}  // namespace

Utils::UniqueBitmap CreateDib32(int width, int height, void** bits) {
  if (bits != nullptr) *bits = nullptr;
  if (width <= 0 || height <= 0) return Utils::UniqueBitmap();
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  Utils::UniqueBitmap bitmap(
      ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
  if (!bitmap || pixels == nullptr) return Utils::UniqueBitmap();
  if (bits != nullptr) *bits = pixels;
  return bitmap;
}

DWORD PremultiplyArgb(DWORD argb) {
  const DWORD a = argb >> 24;
  const DWORD r = ((argb >> 16) & 0xFF) * a / 255;
  const DWORD g = ((argb >> 8) & 0xFF) * a / 255;
  const DWORD b = (argb & 0xFF) * a / 255;
  return a << 24 | r << 16 | g << 8 | b;
}

// --- the blend ----------------------------------------------------------------------------------

AlphaBlendFunction CRenderUI::GetAlphaBlend() {
  const AlphaBlendFunction system = Imaging().alphaBlend;
  return system != nullptr ? system : &CRenderUI::OwnAlphaBlend;
}

BOOL WINAPI CRenderUI::OwnAlphaBlend(HDC dest, int dx, int dy, int dw, int dh, HDC src, int sx,
                                     int sy, int sw, int sh, BLENDFUNCTION blend) {
  if (dest == nullptr || src == nullptr || sw <= 0 || sh <= 0 || !FitsScratch(dw, dh)) {
    return FALSE;
  }
  Utils::UniqueMemoryDC sourceDC(::CreateCompatibleDC(dest));
  Utils::UniqueMemoryDC destDC(::CreateCompatibleDC(dest));
  void* sourceBits = nullptr;
  void* destBits = nullptr;
  Utils::UniqueBitmap sourceDib = CreateDib32(dw, dh, &sourceBits);
  Utils::UniqueBitmap destDib = CreateDib32(dw, dh, &destBits);
  if (!sourceDC || !destDC || !sourceDib || !destDib) return FALSE;
  Utils::ScopedSelectObject selectSource(sourceDC.get(), sourceDib.get());
  Utils::ScopedSelectObject selectDest(destDC.get(), destDib.get());

  ::SetStretchBltMode(sourceDC.get(), COLORONCOLOR);
  ::StretchBlt(sourceDC.get(), 0, 0, dw, dh, src, sx, sy, sw, sh, SRCCOPY);
  ::BitBlt(destDC.get(), 0, 0, dw, dh, dest, dx, dy, SRCCOPY);
  ::GdiFlush();

  // Premultiplied source-over: dest = src * k + dest * (1 - srcAlpha * k), k the constant alpha.
  // Without per-pixel alpha the source counts as opaque.
  const uint32_t k = blend.SourceConstantAlpha;
  const bool perPixel = (blend.AlphaFormat & AC_SRC_ALPHA) != 0;
  const auto* in = static_cast<const uint8_t*>(sourceBits);
  auto* out = static_cast<uint8_t*>(destBits);
  const size_t count = static_cast<size_t>(dw) * static_cast<size_t>(dh);
  for (size_t i = 0; i < count; ++i, in += 4, out += 4) {
    const uint32_t sa = perPixel ? in[3] : 255;
    const uint32_t keep = 255 * 255 - sa * k;
    for (int ch = 0; ch < 4; ++ch) {
      const uint32_t s = ch == 3 ? sa : in[ch];
      const uint32_t v = (s * k * 255 + out[ch] * keep + 255 * 255 / 2) / (255 * 255);
      out[ch] = static_cast<uint8_t>(std::min<uint32_t>(v, 255));
    }
  }
  return ::BitBlt(dest, dx, dy, dw, dh, destDC.get(), 0, 0, SRCCOPY);
}

// --- fills and lines ----------------------------------------------------------------------------

void CRenderUI::DrawColor(HDC hDC, const RECT& rc, DWORD argb) {
  if (hDC == nullptr || (argb >> 24) == 0) return;
  if ((argb >> 24) == 0xFF) {
    const COLORREF old = ::SetBkColor(hDC, ArgbToColorRef(argb));
    ::ExtTextOutW(hDC, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    ::SetBkColor(hDC, old);
    return;
  }
  // One premultiplied pixel stretched over the rect with per-pixel alpha.
  void* bits = nullptr;
  Utils::UniqueBitmap pixel = CreateDib32(1, 1, &bits);
  if (!pixel) return;
  const DWORD premultiplied = PremultiplyArgb(argb);
  std::memcpy(bits, &premultiplied, sizeof(premultiplied));
  DrawImage(hDC, pixel.get(), rc, rc, RECT{0, 0, 1, 1}, RECT{0, 0, 0, 0}, true);
}

void CRenderUI::DrawGradient(HDC hDC, const RECT& rc, DWORD argbFrom, DWORD argbTo,
                             bool vertical, int steps) {
  if (hDC == nullptr || rc.right <= rc.left || rc.bottom <= rc.top) return;
  const DWORD alpha = ((argbFrom >> 24) + (argbTo >> 24)) >> 1;
  if (alpha == 0) return;
  if (alpha == 255) {
    FillGradient(hDC, rc, argbFrom, argbTo, vertical, steps);
    return;
  }
  // Translucent: the gradient is drawn opaque into a scratch bitmap of the part that the DC can
  // show, then blended over it at the constant alpha.
  RECT clip = {};
  if (::GetClipBox(hDC, &clip) == ERROR) clip = rc;
  RECT visible = {};
  if (!::IntersectRect(&visible, &rc, &clip)) return;
  const int width = visible.right - visible.left;
  const int height = visible.bottom - visible.top;
  if (!FitsScratch(width, height)) return;
  Utils::UniqueMemoryDC memory(::CreateCompatibleDC(hDC));
  void* bits = nullptr;
  Utils::UniqueBitmap scratch = CreateDib32(width, height, &bits);
  if (!memory || !scratch) return;
  Utils::ScopedSelectObject select(memory.get(), scratch.get());
  RECT local = rc;
  ::OffsetRect(&local, -visible.left, -visible.top);
  FillGradient(memory.get(), local, argbFrom, argbTo, vertical, steps);
  ::GdiFlush();
  // GDI leaves the alpha bytes undefined; the scratch bitmap is opaque.
  auto* pixels = static_cast<uint8_t*>(bits);
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  for (size_t i = 0; i < count; ++i) pixels[i * 4 + 3] = 0xFF;
  const BLENDFUNCTION blend = {AC_SRC_OVER, 0, static_cast<BYTE>(alpha), AC_SRC_ALPHA};
  GetAlphaBlend()(hDC, visible.left, visible.top, width, height, memory.get(), 0, 0, width,
                  height, blend);
}

void CRenderUI::DrawGradientBands(HDC hDC, const RECT& rc, DWORD argbFrom, DWORD argbTo,
                                  bool vertical, int steps) {
  if (hDC == nullptr || rc.right <= rc.left || rc.bottom <= rc.top) return;
  int shift = 6;
  if (steps < 4) {
    shift = 1;
  } else if (steps < 8) {
    shift = 2;
  } else if (steps < 16) {
    shift = 3;
  } else if (steps < 32) {
    shift = 4;
  } else if (steps < 64) {
    shift = 5;
  }
  const long long bands = 1LL << shift;
  const long long extent = vertical ? rc.bottom - rc.top : rc.right - rc.left;
  for (long long i = 0; i < bands; ++i) {
    const auto mix = [&](int channelShift) -> BYTE {
      const long long to = (argbTo >> channelShift) & 0xFF;
      const long long from = (argbFrom >> channelShift) & 0xFF;
      return static_cast<BYTE>((to * (bands - i) + from * i) >> shift);
    };
    // Counted from the bottom (vertical) or the right edge (horizontal).
    const int nearOffset = static_cast<int>(extent * i >> shift);
    const int farOffset = static_cast<int>(extent * (i + 1) >> shift);
    if (farOffset <= nearOffset) continue;
    RECT band = rc;
    if (vertical) {
      band.bottom = rc.bottom - nearOffset;
      band.top = rc.bottom - farOffset;
    } else {
      band.right = rc.right - nearOffset;
      band.left = rc.right - farOffset;
    }
    Utils::UniqueBrush brush(::CreateSolidBrush(RGB(mix(16), mix(8), mix(0))));
    if (brush) ::FillRect(hDC, &band, brush.get());
  }
}

void CRenderUI::DrawLine(HDC hDC, const RECT& rc, int width, DWORD argb, int style) {
  if (hDC == nullptr) return;
  Utils::UniquePen pen = MakePen(style, width, argb);
  if (!pen) return;
  Utils::ScopedSelectObject select(hDC, pen.get());
  POINT old = {};
  ::MoveToEx(hDC, rc.left, rc.top, &old);
  ::LineTo(hDC, rc.right, rc.bottom);
  ::MoveToEx(hDC, old.x, old.y, nullptr);
}

void CRenderUI::DrawRect(HDC hDC, const RECT& rc, int width, DWORD argb, int style) {
  if (hDC == nullptr) return;
  Utils::UniquePen pen = MakePen(FrameStyle(style), width, argb);
  if (!pen) return;
  Utils::ScopedSelectObject selectPen(hDC, pen.get());
  Utils::ScopedSelectObject selectBrush(hDC, ::GetStockObject(NULL_BRUSH));
  ::Rectangle(hDC, rc.left, rc.top, rc.right, rc.bottom);
}

void CRenderUI::DrawRoundRect(HDC hDC, const RECT& rc, int width, int ellipseWidth,
                              int ellipseHeight, DWORD argb, int style) {
  if (hDC == nullptr) return;
  Utils::UniquePen pen = MakePen(FrameStyle(style), width, argb);
  if (!pen) return;
  Utils::ScopedSelectObject selectPen(hDC, pen.get());
  Utils::ScopedSelectObject selectBrush(hDC, ::GetStockObject(NULL_BRUSH));
  ::RoundRect(hDC, rc.left, rc.top, rc.right, rc.bottom, ellipseWidth, ellipseHeight);
}

// --- clips --------------------------------------------------------------------------------------

CRenderClipUI::~CRenderClipUI() { SelectClip(hDC, oldRegion); }

void CRenderUI::GenerateClip(HDC hDC, const RECT& rc, CRenderClipUI& clip) {
  if (hDC == nullptr) return;
  RECT box = {};
  ::GetClipBox(hDC, &box);
  clip.hDC = hDC;
  clip.rcItem = rc;
  clip.oldRegion.reset(::CreateRectRgnIndirect(&box));
  clip.region.reset(::CreateRectRgnIndirect(&rc));
  if (!clip.oldRegion || !clip.region) return;
  ::CombineRgn(clip.region.get(), clip.region.get(), clip.oldRegion.get(), RGN_AND);
  SelectClip(hDC, clip.region);
}

void CRenderUI::GenerateRoundClip(HDC hDC, const RECT& paint, const RECT& item, int ellipseWidth,
                                  int ellipseHeight, CRenderClipUI& clip) {
  if (hDC == nullptr) return;
  RECT box = {};
  ::GetClipBox(hDC, &box);
  clip.hDC = hDC;
  clip.rcItem = paint;
  clip.oldRegion.reset(::CreateRectRgnIndirect(&box));
  clip.region.reset(::CreateRectRgnIndirect(&paint));
  Utils::UniqueRegion round(::CreateRoundRectRgn(item.left, item.top, item.right + 1,
                                                 item.bottom + 1, ellipseWidth, ellipseHeight));
  if (!clip.oldRegion || !clip.region || !round) return;
  ::CombineRgn(clip.region.get(), clip.region.get(), clip.oldRegion.get(), RGN_AND);
  ::CombineRgn(clip.region.get(), clip.region.get(), round.get(), RGN_AND);
  SelectClip(hDC, clip.region);
}

void CRenderUI::SelectOuterClip(HDC hDC, CRenderClipUI& clip) { SelectClip(hDC, clip.oldRegion); }

void CRenderUI::SelectInnerClip(HDC hDC, CRenderClipUI& clip) { SelectClip(hDC, clip.region); }

// --- plain text ---------------------------------------------------------------------------------

void CRenderUI::DrawText(HDC hDC, CWindowManagerUI* manager, RECT& rc, const wchar_t* text,
                         DWORD argb, int font, UINT style) {
  if (hDC == nullptr || manager == nullptr || text == nullptr || *text == L'\0') return;
  CStringUI shown(text);
  CWindowManagerUI::ProcessMultiLanguageTokens(shown);
  Utils::ScopedSelectObject selectFont(hDC, manager->GetFont(font));
  const int oldMode = ::SetBkMode(hDC, TRANSPARENT);
  const COLORREF oldColor = ::SetTextColor(hDC, ArgbToColorRef(argb));
  ::DrawTextW(hDC, shown.GetData(), -1, &rc, style | DT_NOPREFIX);
  ::SetTextColor(hDC, oldColor);
  ::SetBkMode(hDC, oldMode);
}

SIZE CRenderUI::GetTextSize(HDC hDC, CWindowManagerUI* manager, const wchar_t* text, int font,
                            UINT style) {
  (void)style;  // measured as one line, as the callers lay it out
  SIZE size = {0, 0};
  if (hDC == nullptr || manager == nullptr || text == nullptr || *text == L'\0') return size;
  CStringUI shown(text);
  CWindowManagerUI::ProcessMultiLanguageTokens(shown);
  Utils::ScopedSelectObject selectFont(hDC, manager->GetFont(font));
  ::GetTextExtentPoint32W(hDC, shown.GetData(), shown.GetLength(), &size);
  return size;
}

// --- snapshots ----------------------------------------------------------------------------------

HBITMAP CRenderUI::GenerateBitmap(CWindowManagerUI* manager, const RECT& rc, CControlUI* stop,
                                  DWORD argb) {
  if (manager == nullptr) return nullptr;
  const int width = rc.right - rc.left;
  const int height = rc.bottom - rc.top;
  if (!FitsScratch(width, height) || rc.left < 0 || rc.top < 0) return nullptr;
  Utils::UniqueMemoryDC memory(::CreateCompatibleDC(manager->GetPaintDC()));
  if (!memory) return nullptr;

  // The window's picture: the off-screen bitmap when it holds the whole window as painted,
  // otherwise the tree painted afresh (up to the stop control).
  Utils::UniqueBitmap painted;
  HGDIOBJ old = nullptr;
  HBITMAP offscreen = manager->GetOffscreenBitmap();
  if (stop == nullptr && !manager->IsLayered() && offscreen != nullptr) {
    old = ::SelectObject(memory.get(), offscreen);
    if (old == HGDI_ERROR) old = nullptr;  // still selected where the manager paints
  }
  if (old == nullptr) {
    if (!FitsScratch(rc.right, rc.bottom)) return nullptr;
    painted = CreateDib32(rc.right, rc.bottom, nullptr);
    if (!painted) return nullptr;
    old = ::SelectObject(memory.get(), painted.get());
    if (CControlUI* root = manager->GetRoot()) root->Paint(memory.get(), rc, stop);
  }

  void* bits = nullptr;
  Utils::UniqueBitmap snapshot = CreateDib32(width, height, &bits);
  if (snapshot) {
    Utils::UniqueMemoryDC target(::CreateCompatibleDC(manager->GetPaintDC()));
    if (target) {
      Utils::ScopedSelectObject select(target.get(), snapshot.get());
      ::BitBlt(target.get(), 0, 0, width, height, memory.get(), rc.left, rc.top, SRCCOPY);
      if ((argb >> 24) != 0) DrawColor(target.get(), RECT{0, 0, width, height}, argb);
    } else {
      snapshot.reset();
    }
  }
  ::GdiFlush();
  if (old != nullptr) ::SelectObject(memory.get(), old);
  return snapshot.release();
}

}  // namespace SkinUI
