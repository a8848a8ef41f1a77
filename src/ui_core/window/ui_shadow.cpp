#include "ui_core/window/ui_shadow.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "base/unique_resource.h"
#include "ui_core/drawing/ui_render.h"
#include "ui_core/manager/ui_globals.h"

namespace SkinUI {

namespace {

const wchar_t kShadowClassName[] = L"SkinShadowWnd";
// Holds a parent's previous window procedure when its shadow object went away while the parent
// still lived and could not be given its procedure back (someone subclassed it after us).
const wchar_t kOrphanProcProperty[] = L"SkinShadowPrevProc";

using UpdateLayeredWindowFunction = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF,
                                                  BLENDFUNCTION*, DWORD);

// Process-wide: looked up and registered once by CWindowShadow::Initialize.
UpdateLayeredWindowFunction g_updateLayeredWindow = nullptr;
HINSTANCE g_shadowInstance = nullptr;

// One entry of the process-wide table of shadowed parents. A null parent marks a free slot.
struct TShadowPairUI {
  HWND parent;
  CWindowShadow* shadow;
};
static_assert(sizeof(TShadowPairUI) == 2 * sizeof(void*),
              "the process tables size shadow pairs as two pointers");

TShadowPairUI* FindPair(HWND parent) {
  if (parent == nullptr) return nullptr;
  CValArrayUI& pairs = ProcessTables().shadowPairs;
  for (int i = 0; i < pairs.GetSize(); ++i) {
    auto* pair = static_cast<TShadowPairUI*>(pairs.GetAt(i));
    if (pair->parent == parent) return pair;
  }
  return nullptr;
}

bool AddPair(HWND parent, CWindowShadow* shadow) {
  CValArrayUI& pairs = ProcessTables().shadowPairs;
  for (int i = 0; i < pairs.GetSize(); ++i) {
    auto* pair = static_cast<TShadowPairUI*>(pairs.GetAt(i));
    if (pair->parent == nullptr) {
      *pair = TShadowPairUI{parent, shadow};
      return true;
    }
  }
  const TShadowPairUI pair = {parent, shadow};
  return pairs.Add(&pair);
}

void RemovePair(TShadowPairUI* pair) {
  if (pair != nullptr) *pair = TShadowPairUI{nullptr, nullptr};
}

// The colour at an alpha, premultiplied, as a 32-bit BGRA pixel.
uint32_t PremultipliedPixel(COLORREF color, unsigned alpha) {
  const uint32_t red = GetRValue(color) * alpha / 255;
  const uint32_t green = GetGValue(color) * alpha / 255;
  const uint32_t blue = GetBValue(color) * alpha / 255;
  return (static_cast<uint32_t>(alpha) << 24) | (red << 16) | (green << 8) | blue;
}

// First and last column of one row of a shape; empty when left > right.
struct TRowSpanUI {
  int left = INT_MAX;
  int right = INT_MIN;
  bool Empty() const { return left > right; }
};

// For every row of the parent (0..height-1), the first and last column inside its window
// region (window coordinates). False when the parent has no region.
bool ParentRowSpans(HWND parent, int width, int height, std::vector<TRowSpanUI>* spans) {
  Utils::UniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
  if (!region) return false;
  const int type = ::GetWindowRgn(parent, region.get());
  if (type == ERROR || type == NULLREGION) return false;
  const DWORD bytes = ::GetRegionData(region.get(), 0, nullptr);
  if (bytes < sizeof(RGNDATAHEADER)) return false;
  std::vector<uint8_t> data(bytes);
  auto* regionData = reinterpret_cast<RGNDATA*>(data.data());
  if (::GetRegionData(region.get(), bytes, regionData) == 0) return false;

  spans->assign(static_cast<size_t>(height), TRowSpanUI());
  const auto* rects = reinterpret_cast<const RECT*>(regionData->Buffer);
  for (DWORD i = 0; i < regionData->rdh.nCount; ++i) {
    const RECT& rc = rects[i];
    const int left = std::max<int>(rc.left, 0);
    const int right = std::min<int>(rc.right, width) - 1;
    if (left > right) continue;
    for (int y = std::max<int>(rc.top, 0); y < std::min<int>(rc.bottom, height); ++y) {
      TRowSpanUI& span = (*spans)[static_cast<size_t>(y)];
      span.left = std::min(span.left, left);
      span.right = std::max(span.right, right);
    }
  }
  return true;
}

}  // namespace

void CWindowShadow::ImageDeleter::operator()(TImageEntryUI* entry) const {
  CRenderUI::FreeImage(entry, true);
}

// --- set-up ----------------------------------------------------------------------------------------

CWindowShadow::CWindowShadow() = default;

CWindowShadow::~CWindowShadow() {
  if (TShadowPairUI* pair = FindPair(parent_); pair != nullptr && pair->shadow == this) {
    RemovePair(pair);
    if (::IsWindow(parent_)) {
      const auto current = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(parent_, GWLP_WNDPROC));
      if (current == &CWindowShadow::ParentProc) {
        ::SetWindowLongPtrW(parent_, GWLP_WNDPROC,
                            reinterpret_cast<LONG_PTR>(previousParentProc_));
      } else {
        ::SetPropW(parent_, kOrphanProcProperty, reinterpret_cast<HANDLE>(previousParentProc_));
      }
    }
  }
  DestroyBands();
}

void CWindowShadow::DestroyBands() {
  for (Utils::UniqueWindow& band : bands_) {
    const HWND window = band.get();
    if (window == nullptr) continue;
    // The system destroys owned windows before their owner, and only the creating thread may
    // destroy a window: a band that is gone or foreign is let go, not destroyed again.
    if (!::IsWindow(window)) {
      band.release();
    } else if (::GetWindowThreadProcessId(window, nullptr) != ::GetCurrentThreadId()) {
      ::PostMessageW(band.release(), WM_CLOSE, 0, 0);
    } else {
      band.reset();
    }
  }
  for (TBandPlaceUI& place : places_) place = TBandPlaceUI{};
}

bool CWindowShadow::Initialize(HINSTANCE instance) {
  if (g_updateLayeredWindow != nullptr) return false;
  HMODULE user32 = ::GetModuleHandleW(L"USER32.DLL");
  if (user32 == nullptr) return false;
  auto update = reinterpret_cast<UpdateLayeredWindowFunction>(
      ::GetProcAddress(user32, "UpdateLayeredWindow"));
  if (update == nullptr) return false;

  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = &CWindowShadow::ShadowProc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
  wc.lpszClassName = kShadowClassName;
  if (::RegisterClassExW(&wc) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    return false;
  }
  g_shadowInstance = instance;
  g_updateLayeredWindow = update;
  return true;
}

bool CWindowShadow::IsInitialized() { return g_updateLayeredWindow != nullptr; }

void CWindowShadow::Create(HWND parent) {
  if (g_updateLayeredWindow == nullptr || parent == nullptr || !::IsWindow(parent)) return;
  // One shadow per window: a second one would subclass the parent into itself.
  if (HasWindows() || FindPair(parent) != nullptr) return;

  for (Utils::UniqueWindow& band : bands_) {
    // A plain popup without a system menu: under Wine a popup with one counts as a managed
    // top-level window, and the window manager then has a say in showing and destroying it.
    band.reset(::CreateWindowExW(
        WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW,
        kShadowClassName, nullptr, WS_POPUP, CW_USEDEFAULT, 0, 0, 0, parent, nullptr,
        g_shadowInstance, nullptr));
    if (!band) {
      DestroyBands();
      return;
    }
  }
  if (!AddPair(parent, this)) {
    DestroyBands();
    return;
  }
  parent_ = parent;

  const LONG_PTR style = ::GetWindowLongPtrW(parent, GWL_STYLE);
  if ((style & WS_VISIBLE) == 0) {
    status_ = kEnabled;
  } else if ((style & (WS_MAXIMIZE | WS_MINIMIZE)) != 0) {
    status_ = kEnabled | kParentVisible;
  } else {
    status_ = kEnabled | kVisible | kParentVisible;
    Update(parent);
  }

  previousParentProc_ = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
      parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWindowShadow::ParentProc)));
}

HWND CWindowShadow::GetBandWindow(int band) const {
  return band >= 0 && band < kBandCount ? bands_[band].get() : nullptr;
}

CWindowShadow::TBandPlaceUI CWindowShadow::GetBandPlace(int band) const {
  return band >= 0 && band < kBandCount ? places_[band] : TBandPlaceUI{};
}

int CWindowShadow::GetBitmapsHanded(int band) const {
  return band >= 0 && band < kBandCount ? bitmapsHanded_[band] : 0;
}

// --- setters ---------------------------------------------------------------------------------------

void CWindowShadow::UpdateIfVisible() {
  if ((status_ & kVisible) != 0) Update(parent_);
}

void CWindowShadow::UpdateIfPending(HWND parent) {
  if (!updatePending_) return;
  updatePending_ = false;
  Update(parent);
}

void CWindowShadow::ParentPainted() { UpdateIfPending(parent_); }

bool CWindowShadow::SetSize(int size) {
  if (size < -20 || size > 20) return false;
  size_ = static_cast<signed char>(size);
  UpdateIfVisible();
  return true;
}

bool CWindowShadow::SetSharpness(unsigned sharpness) {
  if (sharpness > 20) return false;
  sharpness_ = static_cast<BYTE>(sharpness);
  UpdateIfVisible();
  return true;
}

bool CWindowShadow::SetDarkness(unsigned darkness) {
  if (darkness > 255) return false;
  darkness_ = static_cast<BYTE>(darkness);
  UpdateIfVisible();
  return true;
}

bool CWindowShadow::SetPosition(int x, int y) {
  if (x < -20 || x > 20 || y < -20 || y > 20) return false;
  xOffset_ = static_cast<signed char>(x);
  yOffset_ = static_cast<signed char>(y);
  UpdateIfVisible();
  return true;
}

bool CWindowShadow::SetColor(COLORREF color) {
  color_ = color & 0x00FFFFFF;
  UpdateIfVisible();
  return true;
}

bool CWindowShadow::SetImage(const wchar_t* image, RECT corner, RECT holeOffset) {
  if (image == nullptr || image[0] == L'\0') return false;
  std::unique_ptr<TImageEntryUI, ImageDeleter> loaded(CRenderUI::LoadImage(image, nullptr, 0));
  if (!loaded) return false;
  image_ = std::move(loaded);
  corner_ = corner;
  holeOffset_ = holeOffset;
  UpdateIfVisible();
  return true;
}

// --- following the parent --------------------------------------------------------------------------

POINT CWindowShadow::ShadowOrigin(const RECT& parentRect) const {
  if (image_) return POINT{parentRect.left - corner_.left, parentRect.top - corner_.top};
  return POINT{parentRect.left + xOffset_ - size_, parentRect.top + yOffset_ - size_};
}

LRESULT CALLBACK CWindowShadow::ParentProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  TShadowPairUI* pair = FindPair(window);
  if (pair == nullptr) {
    auto orphan = reinterpret_cast<WNDPROC>(::GetPropW(window, kOrphanProcProperty));
    if (message == WM_NCDESTROY) ::RemovePropW(window, kOrphanProcProperty);
    if (orphan != nullptr) return ::CallWindowProcW(orphan, window, message, wParam, lParam);
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
  CWindowShadow* self = pair->shadow;
  const WNDPROC previous = self->previousParentProc_;
  self->OnParentMessage(window, message, wParam, lParam);
  // The entry goes before the old procedure runs: whatever that procedure does with the object
  // (a window may delete itself at its last message), the table no longer points at it.
  if (message == WM_NCDESTROY) {
    RemovePair(pair);
    self->parent_ = nullptr;
  }
  const LRESULT result = ::CallWindowProcW(previous, window, message, wParam, lParam);
  // The pending repaint follows the parent's own paint, so that a window that has just been
  // shown shows its content first and its shadow right after. The pair is looked up again: the
  // paint may have ended the shadow.
  if (message == WM_PAINT) {
    if (TShadowPairUI* painted = FindPair(window)) painted->shadow->UpdateIfPending(window);
  }
  return result;
}

void CWindowShadow::OnParentMessage(HWND parent, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      DestroyBands();
      status_ = 0;
      break;
    case WM_MOVE:
      if ((status_ & kVisible) != 0 && HasWindows()) {
        RECT rc = {};
        ::GetWindowRect(parent, &rc);
        MoveBands(rc);
      }
      break;
    case WM_SIZE:
      if ((status_ & kEnabled) == 0) break;
      if (wParam == SIZE_MINIMIZED || wParam == SIZE_MAXIMIZED) {
        ShowBands(false);
        status_ &= static_cast<BYTE>(~kVisible);
      } else if ((status_ & kParentVisible) != 0) {
        const WORD width = LOWORD(lParam);
        const WORD height = HIWORD(lParam);
        // A growing window is repainted first, so its shadow follows at that paint; a shrinking
        // one would otherwise leave shadow over the uncovered area.
        if (width <= lastParentWidth_ && height <= lastParentHeight_) {
          Update(parent);
        } else {
          updatePending_ = true;
        }
        if ((status_ & kVisible) == 0) {
          status_ |= kVisible;
          ShowBands(true);
        }
      }
      lastParentWidth_ = LOWORD(lParam);
      lastParentHeight_ = HIWORD(lParam);
      break;
    case WM_ACTIVATE:
    case WM_EXITSIZEMOVE:
      // A window shown for the first time is activated before its first paint; the shadow has
      // nothing on the screen yet, and the repaint pending for that paint draws it once.
      if (!updatePending_ || lastPixels_ != nullptr) UpdateIfVisible();
      break;
    case WM_SHOWWINDOW:
      if ((status_ & kEnabled) == 0) break;
      if (wParam == FALSE) {
        ShowBands(false);
        status_ &= static_cast<BYTE>(~(kVisible | kParentVisible));
      } else if ((status_ & kParentVisible) == 0) {
        updatePending_ = true;
        status_ |= kVisible | kParentVisible;
        ShowBands(true);
      }
      break;
    default:
      break;
  }
}

void CWindowShadow::ShowBands(bool show) {
  for (int i = 0; i < kBandCount; ++i) {
    const HWND band = bands_[i].get();
    if (band == nullptr) continue;
    const bool wanted = show && !::IsRectEmpty(&places_[i].screen);
    if ((::IsWindowVisible(band) != FALSE) != wanted) {
      ::ShowWindow(band, wanted ? SW_SHOWNA : SW_HIDE);
    }
  }
}

void CWindowShadow::MoveBands(const RECT& parentRect) {
  const int dx = parentRect.left - placedParentOrigin_.x;
  const int dy = parentRect.top - placedParentOrigin_.y;
  if (dx == 0 && dy == 0) return;
  placedParentOrigin_ = POINT{parentRect.left, parentRect.top};
  lastOrigin_.x += dx;
  lastOrigin_.y += dy;
  for (int i = 0; i < kBandCount; ++i) {
    RECT& screen = places_[i].screen;
    if (::IsRectEmpty(&screen)) continue;
    ::OffsetRect(&screen, dx, dy);
    ::SetWindowPos(bands_[i].get(), nullptr, screen.left, screen.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void CWindowShadow::SplitAroundParent(const RECT& shadow, const RECT& parent,
                                      RECT bands[kBandCount]) {
  // Clamping every edge of the parent into the shadow turns the subtraction into four plain
  // strips, also when an offset pushes the shadow off one side of the parent or off it whole
  // (then the inner rectangle is empty and the strips cover the whole shadow).
  const auto clamp = [](LONG value, LONG low, LONG high) {
    return std::max(low, std::min(value, high));
  };
  const LONG width = std::max<LONG>(shadow.right - shadow.left, 0);
  const LONG height = std::max<LONG>(shadow.bottom - shadow.top, 0);
  const RECT s = {shadow.left, shadow.top, shadow.left + width, shadow.top + height};
  const LONG innerTop = clamp(parent.top, s.top, s.bottom);
  const LONG innerBottom = clamp(parent.bottom, innerTop, s.bottom);
  const LONG innerLeft = clamp(parent.left, s.left, s.right);
  const LONG innerRight = clamp(parent.right, innerLeft, s.right);
  bands[kTopBand] = RECT{s.left, s.top, s.right, innerTop};
  bands[kBottomBand] = RECT{s.left, innerBottom, s.right, s.bottom};
  bands[kLeftBand] = RECT{s.left, innerTop, innerLeft, innerBottom};
  bands[kRightBand] = RECT{innerRight, innerTop, s.right, innerBottom};
  for (int i = 0; i < kBandCount; ++i) {
    if (::IsRectEmpty(&bands[i])) bands[i] = RECT{0, 0, 0, 0};
  }
}

LRESULT CALLBACK CWindowShadow::ShadowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  // Clicks on the shadow go to the windows below and never activate it.
  if (message == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
  return ::DefWindowProcW(window, message, wParam, lParam);
}

// --- painting --------------------------------------------------------------------------------------

void CWindowShadow::Update(HWND parent) {
  if (!HasWindows() || parent == nullptr) return;
  RECT parentRect = {};
  ::GetWindowRect(parent, &parentRect);
  const int width = parentRect.right - parentRect.left;
  const int height = parentRect.bottom - parentRect.top;
  SIZE shadowSize = {width + 2 * size_, height + 2 * size_};
  if (image_) {
    shadowSize.cx = width + corner_.left + corner_.right;
    shadowSize.cy = height + corner_.top + corner_.bottom;
  }
  if (shadowSize.cx <= 0 || shadowSize.cy <= 0) {
    // A negative size larger than the parent leaves no shadow; an old one would be wrong.
    for (TBandPlaceUI& place : places_) place = TBandPlaceUI{};
    ShowBands(false);
    return;
  }

  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = shadowSize.cx;
  info.bmiHeader.biHeight = -shadowSize.cy;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  Utils::UniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
  Utils::UniqueBitmap bitmap(
      ::CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dc || !bitmap || bits == nullptr) return;
  const size_t pixelCount = static_cast<size_t>(shadowSize.cx) * shadowSize.cy;
  auto* pixels = static_cast<uint32_t*>(bits);
  std::memset(pixels, 0, pixelCount * sizeof(uint32_t));
  Utils::ScopedSelectObject select(dc.get(), bitmap.get());

  if (image_) {
    const RECT whole = {0, 0, shadowSize.cx, shadowSize.cy};
    const RECT source = {0, 0, image_->width, image_->height};
    const RECT borders = {corner_.left + holeOffset_.left, corner_.top + holeOffset_.top,
                          corner_.right + holeOffset_.right,
                          corner_.bottom + holeOffset_.bottom};
    CRenderUI::DrawImage(dc.get(), image_->bitmap.get(), whole, whole, source, borders, true, 255,
                         true);
    ::GdiFlush();
  } else {
    MakeShadow(pixels, parent, parentRect);
  }

  PlaceBands(dc.get(), ShadowOrigin(parentRect), shadowSize, parentRect);

  lastPixels_.reset(new uint8_t[pixelCount * sizeof(uint32_t)]);
  std::memcpy(lastPixels_.get(), pixels, pixelCount * sizeof(uint32_t));
  lastSize_ = shadowSize;
}

void CWindowShadow::PlaceBands(HDC bitmapDC, POINT origin, SIZE size, const RECT& parentRect) {
  const RECT shadowRect = {origin.x, origin.y, origin.x + size.cx, origin.y + size.cy};
  RECT screen[kBandCount];
  SplitAroundParent(shadowRect, parentRect, screen);
  lastOrigin_ = origin;
  placedParentOrigin_ = POINT{parentRect.left, parentRect.top};
  for (int i = 0; i < kBandCount; ++i) {
    TBandPlaceUI& place = places_[i];
    place.screen = screen[i];
    place.source = POINT{screen[i].left - origin.x, screen[i].top - origin.y};
    if (::IsRectEmpty(&place.screen)) continue;
    const HWND band = bands_[i].get();
    POINT position = {place.screen.left, place.screen.top};
    SIZE bandSize = {place.screen.right - place.screen.left,
                     place.screen.bottom - place.screen.top};
    ::SetWindowPos(band, nullptr, position.x, position.y, bandSize.cx, bandSize.cy,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    if (g_updateLayeredWindow(band, nullptr, &position, &bandSize, bitmapDC, &place.source, 0,
                              &blend, ULW_ALPHA)) {
      ++bitmapsHanded_[i];
    }
  }
  ShowBands((status_ & kVisible) != 0);
}

void CWindowShadow::MakeShadow(uint32_t* pixels, HWND parent, const RECT& parentRect) {
  const int width = parentRect.right - parentRect.left;
  const int height = parentRect.bottom - parentRect.top;
  const int size = size_;
  const int sharpness = sharpness_;
  const int shadowWidth = width + 2 * size;
  const int shadowHeight = height + 2 * size;
  std::vector<TRowSpanUI> parentSpans;
  // Without a region there is no shape to cast: the shadow stays fully transparent.
  if (!ParentRowSpans(parent, width, height, &parentSpans)) return;

  // The parent's shape in shadow coordinates: shifted by the size on both axes.
  std::vector<TRowSpanUI> shape(static_cast<size_t>(shadowHeight));
  for (int row = 0; row < shadowHeight; ++row) {
    const int y = row - size;
    if (y < 0 || y >= height || parentSpans[static_cast<size_t>(y)].Empty()) continue;
    TRowSpanUI span;
    span.left = std::max(parentSpans[static_cast<size_t>(y)].left + size, 0);
    span.right = std::min(parentSpans[static_cast<size_t>(y)].right + size, shadowWidth - 1);
    shape[static_cast<size_t>(row)] = span;
  }
  auto rowAt = [&shape, shadowHeight](int row) {
    return row >= 0 && row < shadowHeight ? shape[static_cast<size_t>(row)] : TRowSpanUI();
  };

  // A soft edge wider than the size eats into the shape, so that the fade ends where the
  // parent's outline (pushed out by the size) does.
  for (int pass = 0; pass < sharpness - size; ++pass) {
    std::vector<TRowSpanUI> eroded(shape.size());
    for (int row = 0; row < shadowHeight; ++row) {
      const TRowSpanUI above = rowAt(row - 1);
      const TRowSpanUI here = rowAt(row);
      const TRowSpanUI below = rowAt(row + 1);
      if (above.Empty() || here.Empty() || below.Empty()) continue;
      TRowSpanUI span;
      span.left = std::max({above.left, here.left, below.left}) + 1;
      span.right = std::min({above.right, here.right, below.right}) - 1;
      if (!span.Empty()) eroded[static_cast<size_t>(row)] = span;
    }
    shape.swap(eroded);
  }

  // The kernel stamped along the outline: solid up to the size beyond the sharpness, then a
  // linear fade over the sharpness.
  const int radius = std::max(sharpness, size);
  const int solid = size > sharpness ? size - sharpness : 0;
  const int side = 2 * radius + 1;
  std::vector<uint32_t> kernel(static_cast<size_t>(side) * side, 0);
  for (int ky = -radius; ky <= radius; ++ky) {
    for (int kx = -radius; kx <= radius; ++kx) {
      const double distance = std::sqrt(static_cast<double>(kx * kx + ky * ky));
      unsigned alpha = 0;
      if (distance < solid) {
        alpha = darkness_;
      } else if (distance <= radius) {
        alpha = static_cast<unsigned>((1.0 - (distance - solid) / (sharpness + 1)) * darkness_);
      }
      kernel[static_cast<size_t>(ky + radius) * side + (kx + radius)] =
          PremultipliedPixel(color_, alpha);
    }
  }
  auto stamp = [&](int cx, int cy) {
    for (int ky = -radius; ky <= radius; ++ky) {
      const int y = cy + ky;
      if (y < 0 || y >= shadowHeight) continue;
      uint32_t* line = pixels + static_cast<size_t>(y) * shadowWidth;
      const uint32_t* kline = kernel.data() + static_cast<size_t>(ky + radius) * side;
      for (int kx = -radius; kx <= radius; ++kx) {
        const int x = cx + kx;
        if (x < 0 || x >= shadowWidth) continue;
        line[x] = std::max(line[x], kline[kx + radius]);
      }
    }
  };
  for (int row = 0; row < shadowHeight; ++row) {
    const TRowSpanUI here = rowAt(row);
    if (here.Empty()) continue;
    const TRowSpanUI above = rowAt(row - 1);
    const TRowSpanUI below = rowAt(row + 1);
    // Next to an empty row the whole row is outline.
    const bool open = above.Empty() || below.Empty();
    const int leftEnd =
        open ? here.right : std::clamp(std::max(above.left, below.left) + 1, here.left, here.right);
    const int rightStart =
        open ? here.right + 1
             : std::clamp(std::min(above.right, below.right) - 1, here.left, here.right);
    for (int x = here.left; x <= leftEnd; ++x) stamp(x, row);
    for (int x = std::max(rightStart, leftEnd + 1); x <= here.right; ++x) stamp(x, row);
  }

  // The shape itself is solid.
  const uint32_t solidPixel = PremultipliedPixel(color_, darkness_);
  for (int row = 0; row < shadowHeight; ++row) {
    const TRowSpanUI here = rowAt(row);
    if (here.Empty()) continue;
    uint32_t* line = pixels + static_cast<size_t>(row) * shadowWidth;
    std::fill(line + here.left, line + here.right + 1, solidPixel);
  }
  // The shadow window lies above its owner: where the parent is, it must be clear.
  for (int row = 0; row < shadowHeight; ++row) {
    const int y = row - size + yOffset_;
    if (y < 0 || y >= height) continue;
    const TRowSpanUI& covered = parentSpans[static_cast<size_t>(y)];
    if (covered.Empty()) continue;
    const int left = std::max(covered.left + size - xOffset_, 0);
    const int right = std::min(covered.right + size - xOffset_, shadowWidth - 1);
    if (left > right) continue;
    uint32_t* line = pixels + static_cast<size_t>(row) * shadowWidth;
    std::fill(line + left, line + right + 1, 0u);
  }
}

}  // namespace SkinUI
