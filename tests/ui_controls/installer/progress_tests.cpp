// Progress bars and sliders: the painted fill for a table of values in both directions, and the
// slider's thumb moved by dragging, clicking and the wheel.
#include <gtest/gtest.h>

#include <climits>

#include "controls_fixture.h"
#include "ui_controls/installer/ui_control_state.h"
#include "ui_controls/installer/ui_progress.h"
#include "ui_core/manager/ui_manager.h"

namespace {

using ControlsTest::ColumnRun;
using ControlsTest::ControlsWindow;
using ControlsTest::RowRun;
using ControlsTest::PixelRun;
using SkinUI::CProgressUI;
using SkinUI::CSliderUI;

constexpr uint32_t kFill = 0xFFFF0000;

struct FillCase {
  int min;
  int max;
  int value;       // set through SetValue before min and max change
  int storedValue;  // after the paint
  int filled;       // pixels of a 200-pixel bar
};

// min and max are set after the value, so that the value may lie outside them at paint time.
const FillCase kFillCases[] = {
    {0, 100, 0, 0, 0},          // minimum
    {0, 100, 50, 50, 100},      // middle
    {0, 100, 25, 25, 50},
    {0, 100, 100, 100, 200},    // maximum
    {0, 100, 150, 100, 200},    // above the maximum
    {0, 100, -5, 0, 0},         // below the minimum
    {60, 100, 50, 60, 0},       // a minimum raised over the value
    {0, 40, 50, 40, 200},       // a maximum lowered under the value
    {10, 10, 10, 10, 0},        // no range: painted as if the maximum were one larger
    {-2147483600, 2147483600, 0, 0, 100},  // ranges whose products overflow 32 bits
    {-2000000000, 2000000000, 1000000000, 1000000000, 150},
};

CProgressUI* AddBar(ControlsWindow& window, bool horizontal, const FillCase& c) {
  CProgressUI* bar = horizontal ? window.Add(new CProgressUI(), 200, 20, L"installPrg")
                                : window.Add(new CProgressUI(), 20, 200, L"installPrg");
  bar->SetHorizontal(horizontal);
  bar->SetForeImage(L"color='#FFFF0000'");
  bar->SetMaxValue(INT_MAX);
  bar->SetMinValue(INT_MIN);
  bar->SetValue(c.value);
  bar->SetMinValue(c.min);
  bar->SetMaxValue(c.max);
  return bar;
}

TEST(ProgressTest, FillCoversTheValueFromTheLeftOrFromTheBottom) {
  for (const bool horizontal : {true, false}) {
    for (const FillCase& c : kFillCases) {
      ControlsWindow window;
      CProgressUI* bar = AddBar(window, horizontal, c);
      window.Attach();
      auto canvas = window.Paint();
      // Along the middle of the bar; a horizontal fill starts at the left, a vertical one ends
      // at the bottom.
      const PixelRun run = horizontal ? RowRun(*canvas, 10, 0, 200, kFill)
                                      : ColumnRun(*canvas, 10, 0, 200, kFill);
      EXPECT_EQ(run.count, c.filled)
          << (horizontal ? "horizontal " : "vertical ") << c.min << ".." << c.max << " value "
          << c.value;
      if (c.filled > 0) {
        EXPECT_EQ(run.first, horizontal ? 0 : 200 - c.filled);
      }
      EXPECT_EQ(bar->GetValue(), c.storedValue);
      EXPECT_GT(bar->GetMaxValue(), bar->GetMinValue());
    }
  }
}

TEST(ProgressTest, SetValueClampsToTheRange) {
  CProgressUI bar;
  const struct {
    int set;
    int stored;
  } cases[] = {{150, 100}, {-5, 0}, {42, 42}, {INT_MAX, 100}, {INT_MIN, 0}};
  for (const auto& c : cases) {
    bar.SetValue(c.set);
    EXPECT_EQ(bar.GetValue(), c.stored) << c.set;
  }
  bar.SetMinValue(50);
  bar.SetMaxValue(10);
  bar.SetValue(30);
  EXPECT_EQ(bar.GetValue(), 50) << "a minimum above the maximum wins";
}

// A 200 x 20 slider at the top of the window, 0..100, 10 x 10 thumb.
struct SliderWindow {
  ControlsWindow window;
  CSliderUI* slider;

  SliderWindow() : slider(window.Add(new CSliderUI(), 200, 20, L"volume")) {
    slider->SetAttribute(L"foreimage", L"color='#FFFF0000'");
    slider->SetAttribute(L"thumbimage", L"color='#FF00FF00'");
    slider->SetAttribute(L"thumbsize", L"10,10");
  }
  int Changes() { return window.recorder().Count(L"valuechanged", L"volume"); }
};

TEST(SliderTest, DragChangesTheValueWithOneNotificationAtTheRelease) {
  SliderWindow w;
  w.window.Attach();
  w.window.PressLeft(5, 10);  // on the thumb at the minimum
  EXPECT_EQ(w.slider->GetValue(), 0);
  const struct {
    int x;
    int value;
  } moves[] = {{105, 52}, {300, 100}, {195, 100}, {0, 0}, {5, 0}, {100, 50}, {390, 100}};
  for (const auto& m : moves) {
    w.window.MoveMouse(m.x, 10, MK_LBUTTON);
    EXPECT_EQ(w.slider->GetValue(), m.value) << "x " << m.x;
  }
  EXPECT_EQ(w.Changes(), 0) << "nothing while dragging";
  w.window.ReleaseLeft(390, 10);
  EXPECT_EQ(w.slider->GetValue(), 100);
  EXPECT_EQ(w.Changes(), 1);
  EXPECT_EQ(w.slider->GetButtonState() & SkinUI::kStateCaptured, 0u);
}

TEST(SliderTest, ImmediateSliderReportsEveryMove) {
  SliderWindow w;
  w.slider->SetAttribute(L"imm", L"true");
  w.window.Attach();
  w.window.PressLeft(5, 10);
  w.window.MoveMouse(50, 10, MK_LBUTTON);
  w.window.MoveMouse(150, 10, MK_LBUTTON);
  EXPECT_EQ(w.Changes(), 2);
  ::SendMessageW(w.window.hwnd(), WM_LBUTTONUP, 0, TestSupport::PointParam(150, 10));
  EXPECT_EQ(w.Changes(), 3) << "and the release once more";
}

TEST(SliderTest, ClickOnTheTrackMovesTheThumbAndReportsOnRelease) {
  SliderWindow w;
  w.window.Attach();
  w.window.PressLeft(100, 10);
  EXPECT_EQ(w.slider->GetValue(), 50);
  EXPECT_EQ(w.Changes(), 0);
  w.window.ReleaseLeft(100, 10);
  EXPECT_EQ(w.Changes(), 1);
  const RECT thumb = w.slider->GetThumbRect();
  EXPECT_EQ(thumb.left, 95);
  EXPECT_EQ(thumb.right, 105);
  auto canvas = w.window.Paint();
  EXPECT_EQ(RowRun(*canvas, 10, 0, 200, 0xFF00FF00).first, 95) << "the thumb is painted there";
}

TEST(SliderTest, WheelStepsAreClampedAtBothEndsAndEachReported) {
  SliderWindow w;
  w.slider->SetAttribute(L"step", L"5");
  w.slider->SetValue(93);
  w.window.Attach();
  const int upValues[] = {98, 100, 100};
  int changes = 0;
  for (const int value : upValues) {
    w.window.Wheel(100, 10, true);
    EXPECT_EQ(w.slider->GetValue(), value);
    EXPECT_EQ(w.Changes(), ++changes);
  }
  w.slider->SetValue(7);
  const int downValues[] = {2, 0, 0};
  for (const int value : downValues) {
    w.window.Wheel(100, 10, false);
    EXPECT_EQ(w.slider->GetValue(), value);
    EXPECT_EQ(w.Changes(), ++changes);
  }
}

TEST(SliderTest, DegenerateRangesAndTracksNeverDivideByZero) {
  // A press, a move and a release at pointX on a slider at (0, 0) of the given width; the value
  // under the pointer and the thumb's place follow from the range and the track (the width less
  // the thumb), whatever either is. The first paint gives a range of no length a maximum one
  // above the minimum.
  const struct {
    int min;
    int max;
    int width;  // the thumb is 10 wide
    int pointX;
    int maxAfter;   // the maximum once painted
    int value;      // after the release
    int thumbLeft;  // after the release
  } cases[] = {
      {10, 10, 200, 100, 11, 10, 0},     // minimum equal to the maximum
      {10, 10, 200, 199, 11, 11, 190},   // the same, at the far end of the track
      {0, 100, 10, 5, 100, 100, 0},      // a track of no length: the pointer is at its far end
      {0, 100, 11, 5, 100, 0, 0},        // a one-pixel track: the pointer before its start
      {0, 100, 11, 6, 100, 100, 1},      // the same track, the pointer at its far end
      {50, 0, 200, 100, 51, 50, 0},      // minimum above the maximum
      {INT_MIN, INT_MAX, 200, 150, INT_MAX, 1130254550, 144},  // a range that overflows 32 bits
  };
  for (const auto& c : cases) {
    SliderWindow w;
    w.slider->SetFixedWidth(c.width);
    w.slider->SetMinValue(c.min);
    w.slider->SetMaxValue(c.max);
    w.window.Attach();
    const RECT thumb = w.slider->GetThumbRect();
    EXPECT_EQ(thumb.right - thumb.left, 10);
    EXPECT_GE(thumb.left, 0);
    w.window.PressLeft(c.pointX, 10);
    w.window.MoveMouse(c.pointX + 1, 10, MK_LBUTTON);
    w.window.ReleaseLeft(c.pointX, 10);
    EXPECT_EQ(w.Changes(), 1);
    EXPECT_EQ(w.slider->GetMaxValue(), c.maxAfter);
    EXPECT_EQ(w.slider->GetValue(), c.value) << c.min << ".." << c.max << " width " << c.width;
    const RECT moved = w.slider->GetThumbRect();
    EXPECT_EQ(moved.left, c.thumbLeft) << c.min << ".." << c.max << " width " << c.width;
    EXPECT_EQ(moved.right - moved.left, 10);
    EXPECT_EQ(moved.top, 5);
    w.window.Paint();
  }
}

}  // namespace
