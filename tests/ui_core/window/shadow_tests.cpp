// The drop shadow on real windows under Xvfb: its band windows around the parent (never over
// it), following moves, sizes, minimise and maximise, its per-pixel alpha as handed to
// UpdateLayeredWindow (Wine draws layered windows without blending, so a screenshot cannot show
// it), its first picture after the parent's first paint (plain and layered parents), the image
// shadow, the setters' ranges and the table of shadowed windows.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "ui_core/manager/ui_globals.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/values/ui_delegate.h"
#include "ui_core/window/ui_shadow.h"
#include "ui_test_support.h"
#include "window_fixture.h"

namespace {

using SkinUI::CWindowShadow;
using TestSupport::PumpUntil;
using WindowFixture::TestFrame;
using WindowFixture::WindowGuard;
using WindowFixture::WindowRect;

class ShadowTest : public testing::Test {
protected:
  void SetUp() override {
    WindowFixture::UseFreshSkinSource();
    ASSERT_TRUE(CWindowShadow::IsInitialized());
  }

  // Creates and shows the frame, and waits until its shadow has been painted at the given size.
  static HWND ShowFrame(TestFrame& frame, int x, int y, SIZE shadowSize) {
    const HWND hwnd = frame.CreateAt(x, y);
    if (hwnd == nullptr) return nullptr;
    frame.ShowWindow(true, false);
    PumpUntil([&] {
      const SIZE size = frame.GetShadow().GetLastSize();
      return size.cx == shadowSize.cx && size.cy == shadowSize.cy;
    });
    return hwnd;
  }
};

// Pixel (x, y) of the last shadow bitmap as 0xAARRGGBB (premultiplied).
uint32_t ShadowPixel(const CWindowShadow& shadow, int x, int y) {
  const SIZE size = shadow.GetLastSize();
  if (shadow.GetLastPixels() == nullptr || x < 0 || y < 0 || x >= size.cx || y >= size.cy) {
    return 0xDEADBEEF;
  }
  uint32_t pixel = 0;
  std::memcpy(&pixel, shadow.GetLastPixels() + (static_cast<size_t>(y) * size.cx + x) * 4, 4);
  return pixel;
}

int Alpha(uint32_t pixel) { return static_cast<int>(pixel >> 24); }

std::string RectText(const RECT& rc) {
  return std::to_string(rc.left) + "," + std::to_string(rc.top) + " - " +
         std::to_string(rc.right) + "," + std::to_string(rc.bottom);
}

bool Contains(const RECT& rc, int x, int y) {
  return x >= rc.left && x < rc.right && y >= rc.top && y < rc.bottom;
}

// The shadow bitmap of the last update lies at (left, top) with that size on the screen.
void ExpectShadowAt(const CWindowShadow& shadow, int left, int top, int width, int height) {
  EXPECT_EQ(shadow.GetLastOrigin().x, left);
  EXPECT_EQ(shadow.GetLastOrigin().y, top);
  EXPECT_EQ(shadow.GetLastSize().cx, width);
  EXPECT_EQ(shadow.GetLastSize().cy, height);
}

// Checks a set of band rectangles against shadow minus parent point by point: every point of
// the shadow outside the parent lies in exactly one band, no other point lies in any.
void ExpectBandsAreShadowMinusParent(const RECT (&bands)[CWindowShadow::kBandCount],
                                     const RECT& shadow, const RECT& parent) {
  for (const RECT& band : bands) {
    EXPECT_LE(band.left, band.right) << RectText(band);
    EXPECT_LE(band.top, band.bottom) << RectText(band);
  }
  RECT box = {};
  ::UnionRect(&box, &shadow, &parent);
  int wrong = 0;
  for (int y = box.top - 1; y <= box.bottom && wrong < 5; ++y) {
    for (int x = box.left - 1; x <= box.right && wrong < 5; ++x) {
      int covering = 0;
      for (const RECT& band : bands) covering += Contains(band, x, y) ? 1 : 0;
      const int expected = Contains(shadow, x, y) && !Contains(parent, x, y) ? 1 : 0;
      if (covering != expected) {
        ADD_FAILURE() << "point " << x << "," << y << " lies in " << covering << " bands";
        ++wrong;
      }
    }
  }
}

// The band windows as they are on the screen: visible exactly where a band has area, at the
// place the shadow gave it, and together the shadow rectangle minus the parent's rectangle.
void ExpectBandWindowsAround(const CWindowShadow& shadow, HWND parent, const RECT& shadowRect) {
  RECT actual[CWindowShadow::kBandCount] = {};
  for (int band = 0; band < CWindowShadow::kBandCount; ++band) {
    SCOPED_TRACE("band " + std::to_string(band));
    const HWND window = shadow.GetBandWindow(band);
    ASSERT_NE(window, nullptr);
    const RECT placed = shadow.GetBandPlace(band).screen;
    if (::IsRectEmpty(&placed)) {
      EXPECT_FALSE(::IsWindowVisible(window));
      continue;
    }
    EXPECT_TRUE(::IsWindowVisible(window));
    actual[band] = WindowRect(window);
    EXPECT_TRUE(::EqualRect(&actual[band], &placed))
        << RectText(actual[band]) << " placed at " << RectText(placed);
  }
  ExpectBandsAreShadowMinusParent(actual, shadowRect, WindowRect(parent));
}

// Every band shows its own part of the shadow: the pixel that a band hands UpdateLayeredWindow
// for a screen point (its slice of the bitmap starts at its source point) is the shadow's pixel
// at that point, the bitmap lying at the expected origin. Returns how many pixels were compared.
int ExpectBandsShowTheShadowAt(const CWindowShadow& shadow, POINT origin) {
  const SIZE size = shadow.GetLastSize();
  int compared = 0;
  if (shadow.GetLastPixels() == nullptr) {
    ADD_FAILURE() << "no shadow bitmap";
    return compared;
  }
  for (int band = 0; band < CWindowShadow::kBandCount; ++band) {
    SCOPED_TRACE("band " + std::to_string(band));
    const CWindowShadow::TBandPlaceUI place = shadow.GetBandPlace(band);
    if (::IsRectEmpty(&place.screen)) continue;
    const int width = place.screen.right - place.screen.left;
    const int height = place.screen.bottom - place.screen.top;
    // The slice lies inside the bitmap.
    if (place.source.x < 0 || place.source.y < 0 || place.source.x + width > size.cx ||
        place.source.y + height > size.cy) {
      ADD_FAILURE() << "slice at " << place.source.x << "," << place.source.y
                    << " leaves the bitmap";
      continue;
    }
    int wrong = 0;
    for (int y = 0; y < height && wrong < 5; ++y) {
      for (int x = 0; x < width && wrong < 5; ++x) {
        const uint32_t handed = ShadowPixel(shadow, place.source.x + x, place.source.y + y);
        const int screenX = place.screen.left + x;
        const int screenY = place.screen.top + y;
        const uint32_t expected = ShadowPixel(shadow, screenX - origin.x, screenY - origin.y);
        ++compared;
        if (Alpha(handed) != Alpha(expected)) {
          ADD_FAILURE() << "at " << screenX << "," << screenY << " the band hands alpha "
                        << Alpha(handed) << ", the shadow has " << Alpha(expected);
          ++wrong;
        }
      }
    }
  }
  return compared;
}

bool AnyBandVisible(const CWindowShadow& shadow) {
  for (int band = 0; band < CWindowShadow::kBandCount; ++band) {
    if (::IsWindowVisible(shadow.GetBandWindow(band))) return true;
  }
  return false;
}

TEST_F(ShadowTest, ShadowOfA600x400WindowWithSize6IsLargerBy12AndSitsAtMinus5) {
  TestFrame frame(L"ShadowWnd.xml");  // size 6, sharpness 10, darkness 20, position 1,1
  const HWND hwnd = ShowFrame(frame, 200, 150, SIZE{612, 412});
  ASSERT_NE(hwnd, nullptr);
  WindowGuard guard(hwnd);
  const CWindowShadow& shadow = frame.GetShadow();
  ExpectShadowAt(shadow, 195, 145, 612, 412);
  EXPECT_EQ(shadow.GetStatus(),
            CWindowShadow::kEnabled | CWindowShadow::kVisible | CWindowShadow::kParentVisible);
  // The parent covers 200..800 x 150..550: 5 rows above, 7 below, 5 columns left, 7 right.
  const struct {
    int band;
    RECT screen;
  } bands[] = {
      {CWindowShadow::kTopBand, {195, 145, 807, 150}},
      {CWindowShadow::kBottomBand, {195, 550, 807, 557}},
      {CWindowShadow::kLeftBand, {195, 150, 200, 550}},
      {CWindowShadow::kRightBand, {800, 150, 807, 550}},
  };
  for (const auto& expected : bands) {
    SCOPED_TRACE("band " + std::to_string(expected.band));
    const HWND window = shadow.GetBandWindow(expected.band);
    ASSERT_NE(window, nullptr);
    const RECT actual = WindowRect(window);
    EXPECT_TRUE(::EqualRect(&actual, &expected.screen)) << RectText(actual);
    EXPECT_TRUE(::IsWindowVisible(window));
    wchar_t className[32] = {};
    ::GetClassNameW(window, className, 32);
    EXPECT_STREQ(className, L"SkinShadowWnd");
    EXPECT_EQ(::GetWindow(window, GW_OWNER), hwnd);
  }
  EXPECT_EQ(ExpectBandsShowTheShadowAt(shadow, POINT{195, 145}), 612 * 412 - 600 * 400);
}

TEST_F(ShadowTest, ClicksPassThroughTheShadowAndNeverActivateIt) {
  TestFrame frame(L"ShadowWnd.xml");
  const HWND hwnd = ShowFrame(frame, 200, 150, SIZE{612, 412});
  ASSERT_NE(hwnd, nullptr);
  WindowGuard guard(hwnd);
  const LONG_PTR clickThrough =
      WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW;
  for (int band = 0; band < CWindowShadow::kBandCount; ++band) {
    SCOPED_TRACE("band " + std::to_string(band));
    const HWND shadow = frame.GetShadow().GetBandWindow(band);
    ASSERT_NE(shadow, nullptr);
    EXPECT_EQ(::GetWindowLongPtrW(shadow, GWL_EXSTYLE) & clickThrough, clickThrough);
    EXPECT_EQ(::SendMessageW(shadow, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(hwnd),
                             MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
              MA_NOACTIVATE);
  }
  // Over the band right of the parent the point belongs to whatever lies below the shadow.
  EXPECT_NE(::WindowFromPoint(POINT{200 + 603, 150 + 200}),
            frame.GetShadow().GetBandWindow(CWindowShadow::kRightBand));
}

struct SplitCase {
  RECT shadow;
  RECT parent;
  const char* what;
};

TEST_F(ShadowTest, BandsAreExactlyTheShadowOutsideTheParent) {
  const SplitCase cases[] = {
      {{0, 0, 40, 30}, {5, 5, 35, 25}, "shadow larger on every side"},
      {{5, 5, 45, 35}, {0, 0, 40, 30}, "offset down and right: nothing above or left"},
      {{-5, 3, 35, 33}, {0, 0, 40, 30}, "offset left and down"},
      {{10, -8, 50, 22}, {0, 0, 40, 30}, "offset right and up"},
      {{2, 2, 38, 28}, {0, 0, 40, 30}, "negative size: the shadow lies under the parent"},
      {{0, 0, 40, 30}, {0, 0, 40, 30}, "same rectangle"},
      {{-20, 0, 60, 30}, {0, 0, 40, 30}, "wider only"},
      {{0, -20, 40, 50}, {0, 0, 40, 30}, "taller only"},
      {{50, 0, 90, 30}, {0, 0, 40, 30}, "apart on the right"},
      {{0, 40, 40, 70}, {0, 0, 40, 30}, "apart below"},
      {{-45, -35, -5, -5}, {0, 0, 40, 30}, "apart above and left"},
      {{40, 30, 80, 60}, {0, 0, 40, 30}, "touching at the corner"},
      {{0, 0, 40, 30}, {10, 10, 10, 20}, "empty parent"},
      {{0, 0, 0, 0}, {0, 0, 40, 30}, "empty shadow"},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(c.what);
    RECT bands[CWindowShadow::kBandCount];
    CWindowShadow::SplitAroundParent(c.shadow, c.parent, bands);
    ExpectBandsAreShadowMinusParent(bands, c.shadow, c.parent);
  }
}

struct BandCase {
  int size;
  int x, y;  // offset
  const char* what;
};

TEST_F(ShadowTest, BandWindowsSurroundTheParentAndShowTheirSliceOfTheShadow) {
  TestFrame frame(L"ShadowWnd.xml");  // sharpness 10, darkness 20
  const HWND hwnd = ShowFrame(frame, 200, 150, SIZE{612, 412});
  ASSERT_NE(hwnd, nullptr);
  WindowGuard guard(hwnd);
  CWindowShadow& shadow = frame.GetShadow();
  const BandCase cases[] = {
      {6, 1, 1, "larger on every side"},
      {0, 10, 10, "offset down and right: no band above or left"},
      {4, -10, 0, "offset left beyond the size: no band right"},
      {20, -20, 20, "largest size and offsets"},
      {3, 20, -20, "offset beyond the size on two sides"},
      {-5, 0, 0, "negative size: everything under the parent, no band"},
      {-20, 20, 20, "smaller and moved, still under the parent"},
  };
  for (const BandCase& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(shadow.SetSize(c.size));
    ASSERT_TRUE(shadow.SetPosition(c.x, c.y));
    const RECT parent = WindowRect(hwnd);
    const RECT expected = {parent.left + c.x - c.size, parent.top + c.y - c.size,
                           parent.right + c.x + c.size, parent.bottom + c.y + c.size};
    ExpectShadowAt(shadow, expected.left, expected.top, expected.right - expected.left,
                   expected.bottom - expected.top);
    ExpectBandWindowsAround(shadow, hwnd, expected);
    ExpectBandsShowTheShadowAt(shadow, POINT{expected.left, expected.top});
  }
}

struct AlphaCase {
  int x, y;  // shadow coordinates
  int alpha;
  const char* where;
};

TEST_F(ShadowTest, ComputedShadowFadesOutwardsAndIsClearOverTheParent) {
  TestFrame frame(L"ShadowWnd.xml");
  const HWND hwnd = ShowFrame(frame, 200, 150, SIZE{612, 412});
  ASSERT_NE(hwnd, nullptr);
  WindowGuard guard(hwnd);
  const CWindowShadow& shadow = frame.GetShadow();
  ASSERT_NE(shadow.GetLastPixels(), nullptr);
  // The shape is the parent pushed out by 6 and eroded by 10 - 6 = 4; the fade over the
  // sharpness gives alpha (1 - d / 11) * 20 at distance d from its outline; the parent itself
  // (offset 1,1 from the shadow's origin at -6,-6, so at 5..604 x 5..404) stays clear.
  const AlphaCase cases[] = {
      {300, 200, 0, "over the parent"},
      {5, 200, 0, "parent's left column"},
      {604, 200, 0, "parent's right column"},
      {605, 200, 12, "first column right of the parent (d = 4)"},
      {606, 200, 10, "d = 5"},
      {611, 200, 1, "outermost column (d = 10)"},
      {4, 200, 9, "last column left of the parent (d = 6)"},
      {0, 200, 1, "outermost left column (d = 10)"},
      {300, 405, 12, "first row below the parent (d = 4)"},
      {300, 411, 1, "outermost row (d = 10)"},
      {300, 4, 9, "last row above the parent (d = 6)"},
  };
  for (const AlphaCase& c : cases) {
    SCOPED_TRACE(c.where);
    const uint32_t pixel = ShadowPixel(shadow, c.x, c.y);
    EXPECT_EQ(Alpha(pixel), c.alpha) << TestSupport::ColorText(pixel);
  }
  // Premultiplied "#26003B76": red 0x76 and green 0x3B at alpha 12, no blue.
  EXPECT_EQ(ShadowPixel(shadow, 605, 200), 0x0C050200u)
      << TestSupport::ColorText(ShadowPixel(shadow, 605, 200));
  // Alpha falls from the parent outwards.
  for (int x = 606; x < 612; ++x) {
    EXPECT_LE(Alpha(ShadowPixel(shadow, x, 200)), Alpha(ShadowPixel(shadow, x - 1, 200))) << x;
  }
}

TEST_F(ShadowTest, ShadowColourIsRedInTheLowByteAndIgnoresTheTopByte) {
  TestFrame frame(L"ShadowWnd.xml");  // colour #26003B76
  const HWND hwnd = ShowFrame(frame, 200, 150, SIZE{612, 412});
  ASSERT_NE(hwnd, nullptr);
  WindowGuard guard(hwnd);
  CWindowShadow& shadow = frame.GetShadow();
  // A hard shadow of the parent's own shape, 10 pixels down and right, fully dark.
  ASSERT_TRUE(shadow.SetSize(0));
  ASSERT_TRUE(shadow.SetSharpness(0));
  ASSERT_TRUE(shadow.SetPosition(10, 10));
  ASSERT_TRUE(shadow.SetDarkness(255));
  ExpectShadowAt(shadow, 210, 160, 600, 400);
  ExpectBandWindowsAround(shadow, hwnd, RECT{210, 160, 810, 560});
  EXPECT_EQ(ShadowPixel(shadow, 595, 200), 0xFF763B00u)
      << TestSupport::ColorText(ShadowPixel(shadow, 595, 200));
  EXPECT_EQ(ShadowPixel(shadow, 300, 200), 0u);  // under the parent
  EXPECT_EQ(ShadowPixel(shadow, 300, 395), 0xFF763B00u);
}

TEST_F(ShadowTest, SettersRefuseValuesOutOfRangeAndChangeNothing) {
  CWindowShadow shadow;
  EXPECT_FALSE(shadow.SetSize(21));
  EXPECT_FALSE(shadow.SetSize(-21));
  EXPECT_TRUE(shadow.SetSize(-20));
  EXPECT_TRUE(shadow.SetSize(20));
  EXPECT_FALSE(shadow.SetSharpness(21));
  EXPECT_TRUE(shadow.SetSharpness(0));
  EXPECT_TRUE(shadow.SetSharpness(20));
  EXPECT_FALSE(shadow.SetDarkness(256));
  EXPECT_TRUE(shadow.SetDarkness(255));
  EXPECT_TRUE(shadow.SetPosition(-20, 20));
  EXPECT_FALSE(shadow.SetPosition(21, 0));
  EXPECT_FALSE(shadow.SetPosition(0, -21));
  EXPECT_TRUE(shadow.SetColor(0xFFFFFFFF));
  EXPECT_FALSE(shadow.SetImage(L"missing.png", RECT{}, RECT{}));
  EXPECT_FALSE(shadow.SetImage(L"", RECT{}, RECT{}));
  EXPECT_FALSE(shadow.HasWindows());  // nothing was created
}

TEST_F(ShadowTest, BadShadowAttributesKeepTheDefaults) {
  TestFrame frame(L"BadShadowWnd.xml");  // 200 x 150, every value refused, image missing
  const HWND hwnd = ShowFrame(frame, 300, 200, SIZE{200, 150});
  ASSERT_NE(hwnd, nullptr);
  WindowGuard guard(hwnd);
  // Size 0 and offset 5,5: the parent's size, 5 pixels down and right.
  ExpectShadowAt(frame.GetShadow(), 305, 205, 200, 150);
  ExpectBandWindowsAround(frame.GetShadow(), hwnd, RECT{305, 205, 505, 355});
  // Sharpness 5 and darkness 150: the shape eroded by 5 lies under the parent; 3 rows below
  // its last row the fade gives (1 - 3 / 6) * 150.
  EXPECT_EQ(Alpha(ShadowPixel(frame.GetShadow(), 100, 147)), 75);
}

TEST_F(ShadowTest, ShadowFollowsMovesAtOnceShrinkingAtOnceAndGrowingAtThePaint) {
  TestFrame frame(L"ShadowWnd.xml");
  const HWND hwnd = ShowFrame(frame, 200, 150, SIZE{612, 412});
  ASSERT_NE(hwnd, nullptr);
  WindowGuard guard(hwnd);
  const CWindowShadow& shadow = frame.GetShadow();

  ::SetWindowPos(hwnd, nullptr, 300, 250, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(shadow.GetLastOrigin().x, 295);
  EXPECT_EQ(shadow.GetLastOrigin().y, 245);
  ExpectBandWindowsAround(shadow, hwnd, RECT{295, 245, 907, 657});
  ExpectBandsShowTheShadowAt(shadow, POINT{295, 245});

  ::SetWindowPos(hwnd, nullptr, 0, 0, 500, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ExpectShadowAt(shadow, 295, 245, 512, 312);  // before any paint
  ExpectBandWindowsAround(shadow, hwnd, RECT{295, 245, 807, 557});

  ::SetWindowPos(hwnd, nullptr, 0, 0, 700, 450, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(shadow.GetLastSize().cx, 512);  // waits for the parent's paint
  ASSERT_TRUE(PumpUntil([&] { return shadow.GetLastSize().cx == 712; }));
  ExpectShadowAt(shadow, 295, 245, 712, 462);
  ExpectBandWindowsAround(shadow, hwnd, RECT{295, 245, 1007, 707});
  ExpectBandsShowTheShadowAt(shadow, POINT{295, 245});
}

TEST_F(ShadowTest, ShadowHidesWhenTheParentIsMinimisedMaximisedOrHidden) {
  TestFrame frame(L"ShadowWnd.xml");
  const HWND hwnd = ShowFrame(frame, 200, 150, SIZE{612, 412});
  ASSERT_NE(hwnd, nullptr);
  WindowGuard guard(hwnd);
  const CWindowShadow& shadow = frame.GetShadow();
  const RECT around = {195, 145, 807, 557};
  ExpectBandWindowsAround(shadow, hwnd, around);

  ::ShowWindow(hwnd, SW_MINIMIZE);
  EXPECT_FALSE(AnyBandVisible(shadow));
  EXPECT_EQ(shadow.GetStatus() & CWindowShadow::kVisible, 0);
  ::ShowWindow(hwnd, SW_RESTORE);
  ASSERT_TRUE(PumpUntil([&] { return shadow.GetLastSize().cx == 612; }));
  ExpectBandWindowsAround(shadow, hwnd, around);

  ::ShowWindow(hwnd, SW_MAXIMIZE);
  EXPECT_FALSE(AnyBandVisible(shadow));
  ::ShowWindow(hwnd, SW_RESTORE);
  ExpectBandWindowsAround(shadow, hwnd, around);

  ::ShowWindow(hwnd, SW_HIDE);
  EXPECT_FALSE(AnyBandVisible(shadow));
  EXPECT_EQ(shadow.GetStatus(), CWindowShadow::kEnabled);
  ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  ExpectBandWindowsAround(shadow, hwnd, around);
  EXPECT_EQ(shadow.GetStatus(),
            CWindowShadow::kEnabled | CWindowShadow::kVisible | CWindowShadow::kParentVisible);
}

int BitmapsHanded(const CWindowShadow& shadow) {
  int handed = 0;
  for (int band = 0; band < CWindowShadow::kBandCount; ++band) {
    handed += shadow.GetBitmapsHanded(band);
  }
  return handed;
}

// Runs this thread's messages without the parent's pictures: its WM_PAINT is never asked for
// and its layered timer's ticks are dropped, while showing, activation and sizes go through.
// Ends when a thread timer of `ms` milliseconds has come round.
void PumpWithoutPaints(HWND parent, UINT ms) {
  const UINT_PTR marker = ::SetTimer(nullptr, 0, ms, nullptr);
  for (;;) {
    MSG msg;
    if (!::PeekMessageW(&msg, nullptr, 0, WM_PAINT - 1, PM_REMOVE) &&
        !::PeekMessageW(&msg, nullptr, WM_PAINT + 1, UINT_MAX, PM_REMOVE)) {
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT & ~QS_PAINT);
      continue;
    }
    if (msg.message == WM_TIMER && msg.hwnd == nullptr && msg.wParam == marker) break;
    if (msg.message == WM_TIMER && msg.hwnd == parent && msg.wParam == SkinUI::kLayeredTimerId) {
      continue;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  ::KillTimer(nullptr, marker);
}

// Dispatches this thread's messages one at a time until done() is true; false after 5 s.
bool DispatchUntil(const std::function<bool()>& done) {
  const DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start >= 5000) return false;
    MSG msg;
    if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      continue;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return true;
}

// What the shadow had done when the parent's tree painted for the first time.
struct FirstPaintProbe {
  explicit FirstPaintProbe(const CWindowShadow& watched) : shadow(watched) {}
  bool OnPaint(void*) {
    if (paints++ == 0) {
      handedBefore = BitmapsHanded(shadow);
      visibleBefore = AnyBandVisible(shadow);
    }
    return true;
  }
  const CWindowShadow& shadow;
  int paints = 0;
  int handedBefore = -1;
  bool visibleBefore = true;
};

struct FirstShowCase {
  const wchar_t* skin;
  bool layered;
  POINT at;
  RECT shadowRect;   // on the screen
  AlphaCase sample;  // a pixel of the bitmap that a band hands on
  const char* what;
};

TEST_F(ShadowTest, FirstShowHandsTheBandsTheirBitmapsOnceAfterTheParentsFirstPaint) {
  const FirstShowCase cases[] = {
      {L"ShadowWnd.xml", false, {200, 150}, {195, 145, 807, 557}, {605, 200, 12, "right band"},
       "a window painted at WM_PAINT, computed shadow"},
      {L"LayeredShadowWnd.xml", true, {250, 200}, {242, 192, 558, 408},
       {2, 108, 127, "left band"}, "a layered window painted from its timer, image shadow"},
  };
  for (const FirstShowCase& c : cases) {
    SCOPED_TRACE(c.what);
    TestFrame frame(c.skin);
    const HWND hwnd = frame.CreateAt(c.at.x, c.at.y);
    ASSERT_NE(hwnd, nullptr);
    WindowGuard guard(hwnd);
    EXPECT_EQ(frame.GetManager().IsLayered(), c.layered);
    const CWindowShadow& shadow = frame.GetShadow();
    FirstPaintProbe probe(shadow);
    ASSERT_NE(frame.GetManager().GetRoot(), nullptr);
    frame.GetManager().GetRoot()->OnPaint +=
        SkinUI::MakeDelegate(&probe, &FirstPaintProbe::OnPaint);
    const auto expectEachBandHandedOnce = [&] {
      for (int band = 0; band < CWindowShadow::kBandCount; ++band) {
        SCOPED_TRACE("band " + std::to_string(band));
        const RECT placed = shadow.GetBandPlace(band).screen;
        EXPECT_EQ(shadow.GetBitmapsHanded(band), ::IsRectEmpty(&placed) ? 0 : 1);
      }
    };

    // Shown and activated, but never painted: no band shows, none has been handed anything.
    // The activation is the message that a shown window gets before its first paint; a real
    // one would hand the window to the window manager, which may place it elsewhere.
    frame.ShowWindow(true, false);
    ::SendMessageW(hwnd, WM_ACTIVATE, WA_ACTIVE, 0);
    PumpWithoutPaints(hwnd, 300);
    EXPECT_EQ(probe.paints, 0);
    EXPECT_FALSE(AnyBandVisible(shadow));
    EXPECT_EQ(BitmapsHanded(shadow), 0);
    EXPECT_EQ(shadow.GetLastPixels(), nullptr);

    // The first paint: the tree paints before any band is shown or handed its slice; then
    // every band with area is handed its slice once (a layered window may still be painting
    // what its first tick left pending: its shadow follows once nothing is).
    ASSERT_TRUE(DispatchUntil([&] { return probe.paints > 0; }));
    EXPECT_EQ(probe.handedBefore, 0);
    EXPECT_FALSE(probe.visibleBefore);
    ASSERT_TRUE(DispatchUntil([&] { return BitmapsHanded(shadow) > 0; }));
    expectEachBandHandedOnce();
    ExpectBandWindowsAround(shadow, hwnd, c.shadowRect);
    ExpectBandsShowTheShadowAt(shadow, POINT{c.shadowRect.left, c.shadowRect.top});
    {
      SCOPED_TRACE(c.sample.where);
      EXPECT_NEAR(Alpha(ShadowPixel(shadow, c.sample.x, c.sample.y)), c.sample.alpha, 2);
    }
    // Nothing that follows the first paint draws the first picture again.
    TestSupport::PumpPending();
    expectEachBandHandedOnce();
  }
}

TEST_F(ShadowTest, ImageShadowIsANineGridWithATransparentCentre) {
  TestFrame frame(L"ImageShadowWnd.xml");  // 300 x 200, corner 8, hole offset 2, alpha 127
  const HWND hwnd = ShowFrame(frame, 250, 200, SIZE{316, 216});
  ASSERT_NE(hwnd, nullptr);
  WindowGuard guard(hwnd);
  const CWindowShadow& shadow = frame.GetShadow();
  ExpectShadowAt(shadow, 242, 192, 316, 216);
  ExpectBandWindowsAround(shadow, hwnd, RECT{242, 192, 558, 408});
  ExpectBandsShowTheShadowAt(shadow, POINT{242, 192});
  const AlphaCase cases[] = {
      {2, 108, 127, "left border"},   {9, 108, 127, "left border, inner column"},
      {10, 108, 0, "centre starts"},  {158, 108, 0, "centre"},
      {313, 108, 127, "right border"}, {158, 2, 127, "top border"},
      {158, 213, 127, "bottom border"}, {0, 0, 127, "corner"},
  };
  for (const AlphaCase& c : cases) {
    SCOPED_TRACE(c.where);
    EXPECT_NEAR(Alpha(ShadowPixel(shadow, c.x, c.y)), c.alpha, 2);
  }
}

TEST_F(ShadowTest, EachShadowFollowsItsOwnParent) {
  TestFrame first(L"BadShadowWnd.xml");
  TestFrame second(L"BadShadowWnd.xml");
  const HWND a = ShowFrame(first, 100, 100, SIZE{200, 150});
  const HWND b = ShowFrame(second, 400, 100, SIZE{200, 150});
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  WindowGuard guardA(a);
  WindowGuard guardB(b);
  ::SetWindowPos(b, nullptr, 500, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ExpectBandWindowsAround(first.GetShadow(), a, RECT{105, 105, 305, 255});
  ExpectBandWindowsAround(second.GetShadow(), b, RECT{505, 305, 705, 455});
}

bool TableHolds(HWND parent) {
  SkinUI::CValArrayUI& pairs = SkinUI::ProcessTables().shadowPairs;
  for (int i = 0; i < pairs.GetSize(); ++i) {
    HWND entry = nullptr;
    std::memcpy(&entry, pairs.GetAt(i), sizeof(entry));
    if (entry == parent) return true;
  }
  return false;
}

TEST_F(ShadowTest, WindowThatDeletesItselfAtItsLastMessageLeavesNoShadowBehind) {
  auto* frame = new TestFrame(L"BadShadowWnd.xml");
  frame->deleteOnFinalMessage = true;
  const HWND hwnd = ShowFrame(*frame, 100, 100, SIZE{200, 150});
  ASSERT_NE(hwnd, nullptr);
  std::vector<HWND> bands;
  for (int band = 0; band < CWindowShadow::kBandCount; ++band) {
    bands.push_back(frame->GetShadow().GetBandWindow(band));
  }
  EXPECT_TRUE(TableHolds(hwnd));
  const int destroyedBefore = TestFrame::destroyedObjects;

  ::DestroyWindow(hwnd);  // the frame object is deleted inside
  EXPECT_EQ(TestFrame::destroyedObjects, destroyedBefore + 1);
  for (HWND band : bands) EXPECT_FALSE(::IsWindow(band));
  EXPECT_FALSE(TableHolds(hwnd));

  // The freed slot serves the next window.
  TestFrame next(L"BadShadowWnd.xml");
  const HWND again = ShowFrame(next, 120, 120, SIZE{200, 150});
  ASSERT_NE(again, nullptr);
  WindowGuard guard(again);
  EXPECT_TRUE(TableHolds(again));
  ::SetWindowPos(again, nullptr, 130, 140, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ExpectBandWindowsAround(next.GetShadow(), again, RECT{135, 145, 335, 295});
}

TEST_F(ShadowTest, ShadowObjectGoneBeforeItsWindowGivesTheProcedureBack) {
  TestSupport::TestHostWindow host(200, 100, 100, 100);
  const LONG_PTR original = ::GetWindowLongPtrW(host.hwnd(), GWLP_WNDPROC);
  std::vector<HWND> bands;
  {
    CWindowShadow shadow;
    shadow.Create(host.hwnd());
    ASSERT_TRUE(shadow.HasWindows());
    for (int band = 0; band < CWindowShadow::kBandCount; ++band) {
      bands.push_back(shadow.GetBandWindow(band));
    }
    EXPECT_NE(::GetWindowLongPtrW(host.hwnd(), GWLP_WNDPROC), original);
    // No window region: the computed shadow is fully transparent.
    TestSupport::PumpPending();
    const SIZE size = shadow.GetLastSize();
    ASSERT_GT(size.cx, 0);
    EXPECT_EQ(ShadowPixel(shadow, size.cx / 2, size.cy - 1), 0u);
    // A second shadow for the same window is refused.
    CWindowShadow second;
    second.Create(host.hwnd());
    EXPECT_FALSE(second.HasWindows());
  }
  // The bands go with the object, the parent stays.
  for (HWND band : bands) EXPECT_FALSE(::IsWindow(band));
  EXPECT_EQ(::GetWindowLongPtrW(host.hwnd(), GWLP_WNDPROC), original);
  EXPECT_FALSE(TableHolds(host.hwnd()));
  host.recordMessages = true;
  ::SendMessageW(host.hwnd(), WM_NULL, 0, 0);
  EXPECT_EQ(host.received.size(), 1u);
}

}  // namespace
