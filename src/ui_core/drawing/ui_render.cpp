#include "ui_core/drawing/ui_render.h"

#include <algorithm>

#include "ui_core/manager/ui_control.h"
#include "ui_core/manager/ui_manager.h"

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

// Draws an outline shape with a frame pen and no fill.
template <typename Shape>
void DrawOutline(HDC hDC, int style, int width, DWORD argb, Shape shape) {
  if (hDC == nullptr) return;
  Utils::UniquePen pen = MakePen(FrameStyle(style), width, argb);
  if (!pen) return;
  Utils::ScopedSelectObject selectPen(hDC, pen.get());
  Utils::ScopedSelectObject selectBrush(hDC, ::GetStockObject(NULL_BRUSH));
  shape();
}

// A 32-bit DIB kept selected into a memory DC of this thread for the blends of translucent
// fills: making and selecting a bitmap per fill costs far more than the fill. It grows to the
// largest area asked for.
class ScratchSurface {
public:
  // The DC, with at least width x height pixels at (0, 0); null when it cannot be made.
  HDC Reserve(int width, int height) {
    if (!FitsScratch(width, height)) return nullptr;
    if (width > width_ || height > height_) {
      const int newWidth = std::max(width, width_);
      const int newHeight = std::max(height, height_);
      if (!FitsScratch(newWidth, newHeight)) return nullptr;
      if (!dc_) dc_.reset(::CreateCompatibleDC(nullptr));
      void* bits = nullptr;
      Utils::UniqueBitmap bitmap = CreateDib32(newWidth, newHeight, &bits);
      if (!dc_ || !bitmap) return nullptr;
      const HGDIOBJ old = ::SelectObject(dc_.get(), bitmap.get());
      if (old == nullptr || old == HGDI_ERROR) return nullptr;
      if (!stockBitmap_) stockBitmap_ = old;
      bitmap_ = std::move(bitmap);  // the previous one is no longer selected
      pixels_ = static_cast<uint32_t*>(bits);
      width_ = newWidth;
      height_ = newHeight;
    }
    ::GdiFlush();  // earlier blends from it are done before its pixels change
    return dc_.get();
  }
  uint32_t* Row(int y) const { return pixels_ + static_cast<size_t>(y) * width_; }

  ~ScratchSurface() {
    if (dc_ && stockBitmap_ != nullptr) ::SelectObject(dc_.get(), stockBitmap_);
  }

private:
  Utils::UniqueMemoryDC dc_;
  Utils::UniqueBitmap bitmap_;
  HGDIOBJ stockBitmap_ = nullptr;
  uint32_t* pixels_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

ScratchSurface& Scratch() {
  thread_local ScratchSurface surface;
  return surface;
}

// Selects the font unless the DC has it already, and leaves it selected: selecting a font costs
// more than drawing a label's text, and the next text of a window is mostly in the same font.
// (A window's font deleted while still selected is deleted when the DC lets go of it.)
void UseFont(HDC hDC, HFONT font) {
  if (font != nullptr && ::GetCurrentObject(hDC, OBJ_FONT) != font) ::SelectObject(hDC, font);
}

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
  if (rc.right <= rc.left || rc.bottom <= rc.top) return;
  ScratchSurface& scratch = Scratch();
  HDC pixel = scratch.Reserve(1, 1);
  if (pixel == nullptr) return;
  *scratch.Row(0) = PremultiplyArgb(argb);
  const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  const int oldMode = ::SetStretchBltMode(hDC, COLORONCOLOR);
  GetAlphaBlend()(hDC, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, pixel, 0, 0, 1, 1,
                  blend);
  ::SetStretchBltMode(hDC, oldMode);
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
  ScratchSurface& scratch = Scratch();
  HDC memory = scratch.Reserve(width, height);
  if (memory == nullptr) return;
  RECT local = rc;
  ::OffsetRect(&local, -visible.left, -visible.top);
  FillGradient(memory, local, argbFrom, argbTo, vertical, steps);
  ::GdiFlush();
  // GDI leaves the alpha bytes undefined; the gradient is opaque.
  for (int y = 0; y < height; ++y) {
    uint32_t* row = scratch.Row(y);
    for (int x = 0; x < width; ++x) row[x] |= 0xFF000000u;
  }
  const BLENDFUNCTION blend = {AC_SRC_OVER, 0, static_cast<BYTE>(alpha), AC_SRC_ALPHA};
  GetAlphaBlend()(hDC, visible.left, visible.top, width, height, memory, 0, 0, width, height,
                  blend);
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
  DrawOutline(hDC, style, width, argb,
              [&] { ::Rectangle(hDC, rc.left, rc.top, rc.right, rc.bottom); });
}

void CRenderUI::DrawRoundRect(HDC hDC, const RECT& rc, int width, int ellipseWidth,
                              int ellipseHeight, DWORD argb, int style) {
  DrawOutline(hDC, style, width, argb, [&] {
    ::RoundRect(hDC, rc.left, rc.top, rc.right, rc.bottom, ellipseWidth, ellipseHeight);
  });
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
  UseFont(hDC, manager->GetFont(font));
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
  UseFont(hDC, manager->GetFont(font));
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
