// The drop shadow on real windows under Xvfb: its window next to the parent, following moves,
// sizes, minimise and maximise, its per-pixel alpha as handed to UpdateLayeredWindow (Wine draws
// layered windows without blending, so a screenshot cannot show it), the image shadow, the
// setters' ranges and the table of shadowed windows.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "ui_core/ui_globals.h"
#include "ui_core/ui_shadow.h"
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

// A shown 600 x 400 frame at (200, 150) whose computed shadow has size 6, sharpness 10,
// darkness 20, position 1,1 and the colour "#26003B76".
class ShadowWndTest : public ShadowTest {
protected:
  void SetUp() override {
    ShadowTest::SetUp();
    hwnd_ = ShowFrame(frame_, 200, 150, SIZE{612, 412});
    ASSERT_NE(hwnd_, nullptr);
    shadowWindow_ = frame_.GetShadow().GetShadowWindow();
    ASSERT_NE(shadowWindow_, nullptr);
  }
  void TearDown() override {
    if (hwnd_ != nullptr && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
    TestSupport::PumpPending();
  }

  TestFrame frame_{L"ShadowWnd.xml"};
  HWND hwnd_ = nullptr;
  HWND shadowWindow_ = nullptr;
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

void ExpectRect(const RECT& actual, int left, int top, int width, int height) {
  EXPECT_EQ(actual.left, left);
  EXPECT_EQ(actual.top, top);
  EXPECT_EQ(actual.right - actual.left, width);
  EXPECT_EQ(actual.bottom - actual.top, height);
}

TEST_F(ShadowWndTest, ShadowOfA600x400WindowWithSize6IsLargerBy12AndSitsAtMinus5) {
  EXPECT_EQ(frame_.GetShadow().GetLastSize().cx, 612);
  EXPECT_EQ(frame_.GetShadow().GetLastSize().cy, 412);
  ExpectRect(WindowRect(shadowWindow_), 195, 145, 612, 412);
  EXPECT_TRUE(::IsWindowVisible(shadowWindow_));
  EXPECT_EQ(frame_.GetShadow().GetStatus(),
            CWindowShadow::kEnabled | CWindowShadow::kVisible | CWindowShadow::kParentVisible);

  wchar_t className[32] = {};
  ::GetClassNameW(shadowWindow_, className, 32);
  EXPECT_STREQ(className, L"SkinShadowWnd");
  EXPECT_EQ(::GetWindow(shadowWindow_, GW_OWNER), hwnd_);
}

TEST_F(ShadowWndTest, ClicksPassThroughTheShadowAndNeverActivateIt) {
  const LONG_PTR exStyle = ::GetWindowLongPtrW(shadowWindow_, GWL_EXSTYLE);
  EXPECT_EQ(exStyle & (WS_EX_LAYERED | WS_EX_TRANSPARENT), WS_EX_LAYERED | WS_EX_TRANSPARENT);
  EXPECT_EQ(::SendMessageW(shadowWindow_, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(hwnd_),
                           MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
            MA_NOACTIVATE);
  // Over the band right of the parent the point belongs to whatever lies below the shadow.
  EXPECT_NE(::WindowFromPoint(POINT{200 + 603, 150 + 200}), shadowWindow_);
}

struct AlphaCase {
  int x, y;  // shadow coordinates
  int alpha;
  const char* where;
};

TEST_F(ShadowWndTest, ComputedShadowFadesOutwardsAndIsClearOverTheParent) {
  const CWindowShadow& shadow = frame_.GetShadow();
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

TEST_F(ShadowWndTest, ShadowColourIsRedInTheLowByteAndIgnoresTheTopByte) {
  CWindowShadow& shadow = frame_.GetShadow();
  // A hard shadow of the parent's own shape, 10 pixels down and right, fully dark.
  ASSERT_TRUE(shadow.SetSize(0));
  ASSERT_TRUE(shadow.SetSharpness(0));
  ASSERT_TRUE(shadow.SetPosition(10, 10));
  ASSERT_TRUE(shadow.SetDarkness(255));
  EXPECT_EQ(shadow.GetLastSize().cx, 600);
  ExpectRect(WindowRect(shadow.GetShadowWindow()), 210, 160, 600, 400);
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
  EXPECT_EQ(shadow.GetShadowWindow(), nullptr);  // nothing was created
}

TEST_F(ShadowTest, BadShadowAttributesKeepTheDefaults) {
  TestFrame frame(L"BadShadowWnd.xml");  // 200 x 150, every value refused, image missing
  const HWND hwnd = ShowFrame(frame, 300, 200, SIZE{200, 150});
  ASSERT_NE(hwnd, nullptr);
  WindowGuard guard(hwnd);
  // Size 0 and offset 5,5: the parent's size, 5 pixels down and right.
  ExpectRect(WindowRect(frame.GetShadow().GetShadowWindow()), 305, 205, 200, 150);
  // Sharpness 5 and darkness 150: the shape eroded by 5 lies under the parent; 3 rows below
  // its last row the fade gives (1 - 3 / 6) * 150.
  EXPECT_EQ(Alpha(ShadowPixel(frame.GetShadow(), 100, 147)), 75);
}

TEST_F(ShadowWndTest, ShadowFollowsMovesAtOnceShrinkingAtOnceAndGrowingAtThePaint) {
  ::SetWindowPos(hwnd_, nullptr, 300, 250, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ExpectRect(WindowRect(shadowWindow_), 295, 245, 612, 412);

  ::SetWindowPos(hwnd_, nullptr, 0, 0, 500, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(frame_.GetShadow().GetLastSize().cx, 512);  // before any paint
  ExpectRect(WindowRect(shadowWindow_), 295, 245, 512, 312);

  ::SetWindowPos(hwnd_, nullptr, 0, 0, 700, 450, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(frame_.GetShadow().GetLastSize().cx, 512);  // waits for the parent's paint
  ASSERT_TRUE(PumpUntil([&] { return frame_.GetShadow().GetLastSize().cx == 712; }));
  ExpectRect(WindowRect(shadowWindow_), 295, 245, 712, 462);
}

TEST_F(ShadowWndTest, ShadowHidesWhenTheParentIsMinimisedMaximisedOrHidden) {
  ASSERT_TRUE(::IsWindowVisible(shadowWindow_));

  ::ShowWindow(hwnd_, SW_MINIMIZE);
  EXPECT_FALSE(::IsWindowVisible(shadowWindow_));
  EXPECT_EQ(frame_.GetShadow().GetStatus() & CWindowShadow::kVisible, 0);
  ::ShowWindow(hwnd_, SW_RESTORE);
  EXPECT_TRUE(::IsWindowVisible(shadowWindow_));
  ASSERT_TRUE(PumpUntil([&] { return frame_.GetShadow().GetLastSize().cx == 612; }));

  ::ShowWindow(hwnd_, SW_MAXIMIZE);
  EXPECT_FALSE(::IsWindowVisible(shadowWindow_));
  ::ShowWindow(hwnd_, SW_RESTORE);
  EXPECT_TRUE(::IsWindowVisible(shadowWindow_));

  ::ShowWindow(hwnd_, SW_HIDE);
  EXPECT_FALSE(::IsWindowVisible(shadowWindow_));
  EXPECT_EQ(frame_.GetShadow().GetStatus(), CWindowShadow::kEnabled);
  ::ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
  EXPECT_TRUE(::IsWindowVisible(shadowWindow_));
  EXPECT_EQ(frame_.GetShadow().GetStatus(),
            CWindowShadow::kEnabled | CWindowShadow::kVisible | CWindowShadow::kParentVisible);
}

TEST_F(ShadowTest, ImageShadowIsANineGridWithATransparentCentre) {
  TestFrame frame(L"ImageShadowWnd.xml");  // 300 x 200, corner 8, hole offset 2, alpha 127
  const HWND hwnd = ShowFrame(frame, 250, 200, SIZE{316, 216});
  ASSERT_NE(hwnd, nullptr);
  WindowGuard guard(hwnd);
  const CWindowShadow& shadow = frame.GetShadow();
  ExpectRect(WindowRect(shadow.GetShadowWindow()), 242, 192, 316, 216);
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
  ExpectRect(WindowRect(first.GetShadow().GetShadowWindow()), 105, 105, 200, 150);
  ExpectRect(WindowRect(second.GetShadow().GetShadowWindow()), 505, 305, 200, 150);
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
  const HWND shadow = frame->GetShadow().GetShadowWindow();
  EXPECT_TRUE(TableHolds(hwnd));
  const int destroyedBefore = TestFrame::destroyedObjects;

  ::DestroyWindow(hwnd);  // the frame object is deleted inside
  EXPECT_EQ(TestFrame::destroyedObjects, destroyedBefore + 1);
  EXPECT_FALSE(::IsWindow(shadow));
  EXPECT_FALSE(TableHolds(hwnd));

  // The freed slot serves the next window.
  TestFrame next(L"BadShadowWnd.xml");
  const HWND again = ShowFrame(next, 120, 120, SIZE{200, 150});
  ASSERT_NE(again, nullptr);
  WindowGuard guard(again);
  EXPECT_TRUE(TableHolds(again));
  ::SetWindowPos(again, nullptr, 130, 140, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ExpectRect(WindowRect(next.GetShadow().GetShadowWindow()), 135, 145, 200, 150);
}

TEST_F(ShadowTest, ShadowObjectGoneBeforeItsWindowGivesTheProcedureBack) {
  TestSupport::TestHostWindow host(200, 100, 100, 100);
  const LONG_PTR original = ::GetWindowLongPtrW(host.hwnd(), GWLP_WNDPROC);
  {
    CWindowShadow shadow;
    shadow.Create(host.hwnd());
    ASSERT_NE(shadow.GetShadowWindow(), nullptr);
    EXPECT_NE(::GetWindowLongPtrW(host.hwnd(), GWLP_WNDPROC), original);
    // No window region: the computed shadow is fully transparent.
    TestSupport::PumpPending();
    const SIZE size = shadow.GetLastSize();
    ASSERT_GT(size.cx, 0);
    EXPECT_EQ(ShadowPixel(shadow, size.cx / 2, size.cy - 1), 0u);
    // A second shadow for the same window is refused.
    CWindowShadow second;
    second.Create(host.hwnd());
    EXPECT_EQ(second.GetShadowWindow(), nullptr);
  }
  EXPECT_EQ(::GetWindowLongPtrW(host.hwnd(), GWLP_WNDPROC), original);
  EXPECT_FALSE(TableHolds(host.hwnd()));
  host.recordMessages = true;
  ::SendMessageW(host.hwnd(), WM_NULL, 0, 0);
  EXPECT_EQ(host.received.size(), 1u);
}

}  // namespace
