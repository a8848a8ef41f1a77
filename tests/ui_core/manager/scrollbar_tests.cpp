// The scroll bar on its own: part rectangles for ranges and positions, clamping and snapping of
// the position, held buttons that repeat on timer 10 from the sixth tick, track clicks, thumb
// drags, hot states, the "scroll" notification and painting of the parts.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "control_test_util.h"
#include "ui_core/manager/ui_container.h"
#include "ui_core/manager/ui_scrollbar.h"
#include "ui_test_support.h"

using namespace SkinUI;
using ControlTest::MakeEvent;
using ControlTest::RectText;
using ControlTest::SameRect;

namespace {

struct PartsCase {
  bool horizontal;
  RECT rect;
  int range;
  int position;
  bool button1;
  bool button2;
  RECT expectedButton1;
  RECT expectedButton2;
  RECT expectedThumb;
  const char* what;
};

TEST(ScrollBarParts, ButtonTrackAndThumbRectangles) {
  const PartsCase cases[] = {
      {false, {0, 0, 16, 200}, 100, 0, true, true, {0, 0, 16, 16}, {0, 184, 16, 200},
       {0, 16, 16, 128}, "at the top"},
      {false, {0, 0, 16, 200}, 100, 50, true, true, {0, 0, 16, 16}, {0, 184, 16, 200},
       {0, 44, 16, 156}, "in the middle"},
      {false, {0, 0, 16, 200}, 100, 100, true, true, {0, 0, 16, 16}, {0, 184, 16, 200},
       {0, 72, 16, 184}, "at the end"},
      {false, {0, 0, 16, 200}, 0, 0, true, true, {0, 0, 16, 16}, {0, 184, 16, 200},
       {0, 16, 16, 184}, "range 0: the thumb fills the track"},
      {false, {0, 0, 16, 200}, 100000, 0, true, true, {0, 0, 16, 16}, {0, 184, 16, 200},
       {0, 16, 16, 32}, "a huge range keeps a thumb as long as the bar is thick"},
      {false, {0, 0, 16, 200}, 100000, 100000, true, true, {0, 0, 16, 16}, {0, 184, 16, 200},
       {0, 168, 16, 184}, "a huge range at its end"},
      {false, {0, 0, 16, 20}, 100, 0, true, true, {0, 0, 16, 10}, {0, 10, 16, 20},
       {0, 0, 0, 0}, "20 pixels long: two 10-pixel buttons, no thumb"},
      {false, {0, 0, 16, 40}, 100, 0, true, true, {0, 0, 16, 16}, {0, 24, 16, 40},
       {0, 0, 0, 0}, "a track no longer than the thickness has no thumb"},
      {false, {0, 0, 16, 200}, 100, 0, false, true, {0, 0, 0, 0}, {0, 184, 16, 200},
       {0, 0, 16, 122}, "without button 1"},
      {false, {0, 0, 16, 200}, 100, 100, true, false, {0, 0, 16, 16}, {0, 200, 0, 200},
       {0, 78, 16, 200}, "without button 2"},
      {false, {100, 50, 116, 250}, 100, 50, true, true, {100, 50, 116, 66},
       {100, 234, 116, 250}, {100, 94, 116, 206}, "away from the origin"},
      {true, {0, 0, 200, 16}, 100, 50, true, true, {0, 0, 16, 16}, {184, 0, 200, 16},
       {44, 0, 156, 16}, "horizontal"},
      {true, {10, 300, 30, 316}, 100, 0, true, true, {10, 300, 20, 316}, {20, 300, 30, 316},
       {0, 0, 0, 0}, "a short horizontal bar"},
  };
  for (const PartsCase& test : cases) {
    CScrollBarUI bar;
    if (test.horizontal) bar.SetHorizontal(true);
    bar.SetShowButton1(test.button1);
    bar.SetShowButton2(test.button2);
    bar.SetScrollRange(test.range);
    bar.SetScrollPos(test.position, false);
    bar.SetPos(test.rect);
    EXPECT_EQ(bar.GetScrollPos(), test.position) << test.what;
    EXPECT_TRUE(SameRect(bar.GetButton1Rect(), test.expectedButton1))
        << test.what << ": button 1 " << RectText(bar.GetButton1Rect());
    EXPECT_TRUE(SameRect(bar.GetButton2Rect(), test.expectedButton2))
        << test.what << ": button 2 " << RectText(bar.GetButton2Rect());
    EXPECT_TRUE(SameRect(bar.GetThumbRect(), test.expectedThumb))
        << test.what << ": thumb " << RectText(bar.GetThumbRect());
  }
}

TEST(ScrollBarParts, PositionIsClampedAndSnappedToTheScrollUnit) {
  struct Case {
    int unit;
    int range;
    int requested;
    int expected;
  } cases[] = {
      {1, 100, 14, 14},  {10, 100, 14, 10}, {10, 100, 15, 20}, {10, 100, 96, 100},
      {10, 95, 96, 95},  {10, 100, -7, 0},  {1, 100, 500, 100}, {1, 0, 5, 0},
      {20, 1000, 29, 20}, {20, 1000, 30, 40}, {0, 100, 33, 33},
      {1073741824, 2147483647, 2147483647, 2147483647},
  };
  for (const auto& test : cases) {
    CScrollBarUI bar;
    bar.SetScrollUnit(test.unit);
    bar.SetScrollRange(test.range);
    bar.SetScrollPos(test.requested, false);
    EXPECT_EQ(bar.GetScrollPos(), test.expected)
        << "unit " << test.unit << " range " << test.range << " requested " << test.requested;
  }
  CScrollBarUI bar;
  bar.SetScrollRange(100);
  bar.SetScrollPos(80, false);
  bar.SetScrollRange(50);
  EXPECT_EQ(bar.GetScrollPos(), 50) << "a smaller range lowers the position";
  bar.SetScrollRange(-20);
  EXPECT_EQ(bar.GetScrollRange(), 0) << "ranges are never negative";
  EXPECT_EQ(bar.GetScrollPos(), 0);
}

TEST(ScrollBarParts, AttributesOfTheBar) {
  CScrollBarUI bar;
  EXPECT_EQ(bar.GetFixedWidth(), 16);
  EXPECT_EQ(bar.GetScrollRange(), 100);
  EXPECT_EQ(bar.GetLineSize(), 8);
  bar.ApplyAttributeList(
      L"range=\"500\" value=\"40\" linesize=\"12\" scrollunit=\"-3\" showbutton1=\"false\" "
      L"button1color=\"#FF112233\" thumbimage=\"x\"");
  EXPECT_EQ(bar.GetScrollRange(), 500);
  EXPECT_EQ(bar.GetScrollPos(), 40);
  EXPECT_EQ(bar.GetLineSize(), 12);
  EXPECT_EQ(bar.GetScrollUnit(), 1) << "a negative scroll unit is ignored";
  EXPECT_FALSE(bar.GetShowButton1());
  EXPECT_STREQ(bar.GetCustomAttribute(L"thumbimage"), L"x") << "unknown names go to the base";
  bar.SetAttribute(L"linesize", L"-1");
  EXPECT_EQ(bar.GetLineSize(), 12);
  bar.SetAttribute(L"scrollunit", L"25");
  EXPECT_EQ(bar.GetLineSize(), 25) << "a scroll unit above 1 replaces the line size";
  bar.SetAttribute(L"hor", L"true");
  EXPECT_TRUE(bar.IsHorizontal());
  EXPECT_EQ(bar.GetFixedHeight(), 16);
  EXPECT_EQ(bar.GetInterface(L"ScrollBar"), &bar);
  EXPECT_STREQ(bar.GetClass(), L"ScrollBar");
}

TEST(ScrollBarInput, HeldButtonScrollsOnceThenFromTheSixthTick) {
  TestSupport::TestHostWindow host;
  auto bar = std::make_unique<CScrollBarUI>();
  bar->SetManager(&host.manager(), nullptr, false);
  bar->SetPos(RECT{0, 0, 16, 200});
  bar->SetScrollRange(100);

  TInputEventUI down = MakeEvent(kEventButtonDown, POINT{8, 190});
  bar->DoEvent(down);
  EXPECT_EQ(bar->GetScrollPos(), 8) << "once at once";
  EXPECT_NE(bar->GetButton2State() & kScrollStatePushed, 0u);
  const int expected[] = {8, 8, 8, 8, 8, 16, 24, 32};
  for (int tick = 0; tick < 8; ++tick) {
    TInputEventUI timer = MakeEvent(kEventTimer, POINT{8, 190}, kScrollBarTimerId);
    bar->DoEvent(timer);
    EXPECT_EQ(bar->GetScrollPos(), expected[tick]) << "after tick " << tick + 1;
  }
  TInputEventUI up = MakeEvent(kEventButtonUp, POINT{8, 190});
  bar->DoEvent(up);
  EXPECT_EQ(bar->GetButton2State() & kScrollStatePushed, 0u);
  EXPECT_FALSE(host.manager().KillTimer(bar.get(), kScrollBarTimerId)) << "timer stopped";

  // Button 1 steps back.
  TInputEventUI back = MakeEvent(kEventButtonDown, POINT{8, 4});
  bar->DoEvent(back);
  EXPECT_EQ(bar->GetScrollPos(), 24);
  TInputEventUI release = MakeEvent(kEventButtonUp, POINT{8, 4});
  bar->DoEvent(release);
  EXPECT_EQ(bar->GetButton1State() & kScrollStatePushed, 0u);
}

TEST(ScrollBarInput, HeldButtonRepeatsOnTheRealTimer) {
  TestSupport::TestHostWindow host;
  auto bar = std::make_unique<CScrollBarUI>();
  bar->SetManager(&host.manager(), nullptr, false);
  bar->SetPos(RECT{0, 0, 16, 200});
  TInputEventUI down = MakeEvent(kEventButtonDown, POINT{8, 190});
  bar->DoEvent(down);
  EXPECT_TRUE(TestSupport::PumpUntil([&] { return bar->GetScrollPos() >= 24; }, 5000))
      << "position " << bar->GetScrollPos();
  TInputEventUI up = MakeEvent(kEventButtonUp, POINT{8, 190});
  bar->DoEvent(up);
  EXPECT_FALSE(host.manager().KillTimer(bar.get(), kScrollBarTimerId));
}

TEST(ScrollBarInput, TrackClicksPageAndTheThumbDrags) {
  TestSupport::TestHostWindow host;
  auto bar = std::make_unique<CScrollBarUI>();
  bar->SetManager(&host.manager(), nullptr, false);
  bar->SetPos(RECT{0, 0, 16, 200});
  bar->SetScrollRange(300);
  TInputEventUI below = MakeEvent(kEventButtonDown, POINT{8, 150});
  bar->DoEvent(below);
  EXPECT_EQ(bar->GetScrollPos(), 200) << "a page is the bar's length";
  TInputEventUI up = MakeEvent(kEventButtonUp, POINT{8, 150});
  bar->DoEvent(up);
  TInputEventUI above = MakeEvent(kEventButtonDown, POINT{8, 18});
  bar->DoEvent(above);
  EXPECT_EQ(bar->GetScrollPos(), 0);
  bar->DoEvent(up);

  bar->SetScrollRange(100);
  ASSERT_TRUE(SameRect(bar->GetThumbRect(), RECT{0, 16, 16, 128}));
  TInputEventUI grab = MakeEvent(kEventButtonDown, POINT{8, 20});
  bar->DoEvent(grab);
  EXPECT_NE(bar->GetThumbState() & kScrollStateCaptured, 0u);
  TInputEventUI move = MakeEvent(kEventMouseMove, POINT{8, 48});
  bar->DoEvent(move);
  EXPECT_EQ(bar->GetScrollPos(), 0) << "the position follows on the next tick";
  TInputEventUI tick = MakeEvent(kEventTimer, POINT{8, 48}, kScrollBarTimerId);
  bar->DoEvent(tick);
  EXPECT_EQ(bar->GetScrollPos(), 50) << "28 of 56 track pixels";
  TInputEventUI beyond = MakeEvent(kEventMouseMove, POINT{8, 900});
  bar->DoEvent(beyond);
  bar->DoEvent(tick);
  EXPECT_EQ(bar->GetScrollPos(), 100);
  TInputEventUI before = MakeEvent(kEventMouseMove, POINT{8, -900});
  bar->DoEvent(before);
  bar->DoEvent(tick);
  EXPECT_EQ(bar->GetScrollPos(), 0);
  TInputEventUI release = MakeEvent(kEventButtonUp, POINT{8, -900});
  bar->DoEvent(release);
  EXPECT_EQ(bar->GetThumbState() & (kScrollStateCaptured | kScrollStatePushed), 0u);
}

TEST(ScrollBarInput, HotStatesFollowThePointerAndDisablingClearsThem) {
  CScrollBarUI bar;
  bar.SetPos(RECT{0, 0, 16, 200});
  TInputEventUI enter = MakeEvent(kEventMouseEnter, POINT{8, 50});
  bar.DoEvent(enter);
  EXPECT_NE(bar.GetButton1State() & kScrollStateHot, 0u);
  EXPECT_NE(bar.GetButton2State() & kScrollStateHot, 0u);
  EXPECT_NE(bar.GetThumbState() & kScrollStateHot, 0u) << "entered on the thumb";
  TInputEventUI off = MakeEvent(kEventMouseMove, POINT{8, 150});
  bar.DoEvent(off);
  EXPECT_EQ(bar.GetThumbState() & kScrollStateHot, 0u);
  TInputEventUI on = MakeEvent(kEventMouseMove, POINT{8, 30});
  bar.DoEvent(on);
  EXPECT_NE(bar.GetThumbState() & kScrollStateHot, 0u);
  TInputEventUI leave = MakeEvent(kEventMouseLeave, POINT{300, 300});
  bar.DoEvent(leave);
  EXPECT_EQ(bar.GetButton1State() & kScrollStateHot, 0u);
  EXPECT_EQ(bar.GetThumbState() & kScrollStateHot, 0u);
  bar.DoEvent(enter);
  bar.SetEnabled(false);
  EXPECT_EQ(bar.GetButton1State(), 0u);
  EXPECT_EQ(bar.GetButton2State(), 0u);
  EXPECT_EQ(bar.GetThumbState(), 0u);
  TInputEventUI down = MakeEvent(kEventButtonDown, POINT{8, 190});
  bar.DoEvent(down);
  EXPECT_EQ(bar.GetScrollPos(), 0) << "a disabled bar does not scroll";
}

TEST(ScrollBarInput, ScrollNotificationCarriesNewAndOldPositionOnlyWithAManager) {
  TestSupport::TestHostWindow host;
  TestSupport::NotifyRecorder recorder;
  host.manager().AddNotifier(&recorder);
  auto bar = std::make_unique<CScrollBarUI>();
  bar->SetAttribute(L"value", L"30");
  bar->SetManager(&host.manager(), nullptr, false);
  bar->SetAttribute(L"value", L"70");
  bar->SetScrollPos(70, true);  // unchanged: nothing to tell
  EXPECT_EQ(recorder.Count(L"scroll"), 0) << "queued, not sent at once";
  EXPECT_TRUE(TestSupport::PumpUntil([&] { return recorder.Count(L"scroll") >= 1; }));
  TestSupport::PumpPending();
  ASSERT_EQ(recorder.Count(L"scroll"), 1);
  for (const auto& n : recorder.list) {
    if (n.type != L"scroll") continue;
    EXPECT_EQ(n.sender, bar.get());
    EXPECT_EQ(n.wParam, 70u);
    EXPECT_EQ(n.lParam, 30);
  }
  host.manager().RemoveNotifier(&recorder);
}

TEST(ScrollBarPaint, PartsArePaintedInTheirColours) {
  struct Case {
    bool showButton1;
    bool enabled;
    uint32_t atTop;
    const char* what;
  } cases[] = {{true, true, 0xFFFF0000, "button 1 at the top"},
               {false, true, 0xFF00FF00, "without button 1 the thumb starts at the top"},
               {true, false, 0xFFFF0000, "a disabled bar keeps its colours"}};
  for (const auto& test : cases) {
    TestSupport::DibCanvas canvas(16, 100);
    CScrollBarUI bar;
    bar.ApplyAttributeList(
        L"button1color=\"#FFFF0000\" button2color=\"#FF0000FF\" thumbcolor=\"#FF00FF00\" "
        L"bkcolor=\"#FF808080\"");
    bar.SetShowButton1(test.showButton1);
    bar.SetEnabled(test.enabled);
    bar.SetPos(RECT{0, 0, 16, 100});
    EXPECT_TRUE(bar.Paint(canvas.dc(), canvas.Rect()));
    auto rgb = [&](int x, int y) { return canvas.Pixel(x, y) & 0x00FFFFFF; };
    EXPECT_EQ(rgb(8, 4), test.atTop & 0x00FFFFFF) << test.what;
    EXPECT_EQ(rgb(8, 95), 0x0000FFu) << test.what << ": button 2";
    EXPECT_EQ(rgb(8, 30), 0x00FF00u) << test.what << ": thumb";
    EXPECT_EQ(rgb(8, 75), 0x808080u) << test.what << ": track";
    EXPECT_EQ((bar.GetThumbState() & kScrollStateDisabled) != 0, !test.enabled) << test.what;
  }
}

}  // namespace
