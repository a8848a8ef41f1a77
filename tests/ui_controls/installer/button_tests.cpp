// Push buttons in a real window: clicks by pointer and keyboard, state images and the fade
// between the normal and the hot image.
#include <gtest/gtest.h>

#include "controls_fixture.h"
#include "test_support.h"
#include "ui_controls/installer/ui_button.h"
#include "ui_controls/installer/ui_control_state.h"
#include "ui_core/manager/ui_manager.h"

namespace {

using ControlsTest::ControlsWindow;
using SkinUI::CButtonUI;
using TestSupport::ColorText;
using TestSupport::PumpUntil;

constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kGreen = 0xFF00FF00;

// A window with one 100 x 40 button at the top and room below it.
struct ButtonWindow {
  ControlsWindow window;
  CButtonUI* button;

  ButtonWindow() : button(window.Add(new CButtonUI(), 100, 40, L"okBtn")) {
    button->SetAttribute(L"normalimage", L"color='#FF0000FF'");
    button->SetAttribute(L"hotimage", L"color='#FFFF0000'");
    button->SetAttribute(L"pushedimage", L"color='#FF00FF00'");
  }
  int Clicks() { return window.recorder().Count(L"click", L"okBtn"); }
  uint32_t PixelAtCentre() {
    auto canvas = window.Paint();
    return canvas->Pixel(50, 20);
  }
};

TEST(ButtonTest, PressDragOutAndBackReleaseInsideClicksOnce) {
  ButtonWindow w;
  w.window.Attach();
  w.window.PressLeft(50, 20);
  EXPECT_TRUE(w.button->GetButtonState() & SkinUI::kStatePushed);
  w.window.MoveMouse(50, 150, MK_LBUTTON);
  EXPECT_FALSE(w.button->GetButtonState() & SkinUI::kStatePushed) << "dragged out";
  w.window.MoveMouse(60, 25, MK_LBUTTON);
  EXPECT_TRUE(w.button->GetButtonState() & SkinUI::kStatePushed) << "dragged back in";
  EXPECT_EQ(w.PixelAtCentre(), kGreen) << "pushed image while pushed";
  w.window.ReleaseLeft(60, 25);
  EXPECT_EQ(w.Clicks(), 1);
  EXPECT_FALSE(w.button->GetButtonState() & (SkinUI::kStatePushed | SkinUI::kStateCaptured));
}

TEST(ButtonTest, ReleaseOutsideSendsNothingAndClearsThePress) {
  ButtonWindow w;
  w.window.Attach();
  w.window.PressLeft(50, 20);
  w.window.ReleaseLeft(50, 150);
  EXPECT_EQ(w.Clicks(), 0);
  EXPECT_FALSE(w.button->GetButtonState() & (SkinUI::kStatePushed | SkinUI::kStateCaptured));
}

TEST(ButtonTest, DisabledButtonNeitherClicksNorShowsItsPress) {
  ButtonWindow w;
  w.window.Attach();
  w.button->SetEnabled(false);
  w.window.ClickLeft(50, 20);
  EXPECT_EQ(w.Clicks(), 0);
  EXPECT_EQ(w.button->GetButtonState() & SkinUI::kStatePushed, 0u);
  // Without a disabled image the normal image stands in.
  EXPECT_EQ(w.PixelAtCentre(), kBlue);
}

TEST(ButtonTest, KeysOnAFocusedButton) {
  struct Case {
    WPARAM key;
    bool enabled;
    int clicks;
  };
  const Case cases[] = {
      {VK_SPACE, true, 1}, {VK_RETURN, true, 1}, {'A', true, 0},
      {VK_SPACE, false, 0}, {VK_RETURN, false, 0},
  };
  for (const Case& c : cases) {
    ButtonWindow w;
    w.window.Attach();
    w.button->SetFocus();
    w.button->SetEnabled(c.enabled);
    w.window.KeyDown(c.key);
    EXPECT_EQ(w.Clicks(), c.clicks) << "key " << c.key << " enabled " << c.enabled;
  }
}

TEST(ButtonTest, HotImageFollowsThePointerWithEnterAndLeaveNotifications) {
  ButtonWindow w;
  w.window.Attach();
  w.window.MoveMouse(200, 200);
  EXPECT_EQ(w.PixelAtCentre(), kBlue);
  w.window.MoveMouse(50, 20);
  EXPECT_TRUE(w.button->GetButtonState() & SkinUI::kStateHot);
  EXPECT_EQ(w.PixelAtCentre(), kRed) << ColorText(w.PixelAtCentre());
  w.window.MoveMouse(200, 200);
  EXPECT_FALSE(w.button->GetButtonState() & SkinUI::kStateHot);
  EXPECT_EQ(w.PixelAtCentre(), kBlue);
  EXPECT_EQ(w.window.recorder().Count(L"mouseenter", L"okBtn"), 1);
  EXPECT_EQ(w.window.recorder().Count(L"mouseleave", L"okBtn"), 1);
}

// Counts the fade timer's steps as they reach the button. While `holdAfterFirst` is set, the
// steps after the first are kept from the button: on a slow machine one step's handling can take
// longer than the timer's period, and a pump that drains the queue would run the whole fade before
// the test looks at the image midway.
struct FadeStepCounter {
  int steps = 0;
  bool holdAfterFirst = false;
  bool OnEvent(void* param) {
    const auto* event = static_cast<SkinUI::TInputEventUI*>(param);
    if (event->type != SkinUI::kEventTimer || event->wParam != SkinUI::kFadeTimerId) return true;
    if (holdAfterFirst && steps >= 1) return false;
    ++steps;
    return true;
  }
};

TEST(ButtonTest, FadeReachesTheHotImageInFiveStepsAndStopsItsTimer) {
  ButtonWindow w;
  w.button->SetAttribute(L"fadedelta", L"51");
  FadeStepCounter counter;
  counter.holdAfterFirst = true;
  w.button->OnEvent += SkinUI::MakeDelegate(&counter, &FadeStepCounter::OnEvent);
  w.window.Attach();
  w.window.MoveMouse(200, 200);

  w.window.MoveMouse(50, 20);
  ASSERT_TRUE(PumpUntil([&] { return counter.steps >= 1; }));
  const uint32_t midway = w.PixelAtCentre();
  EXPECT_NE(midway, kBlue) << ColorText(midway);
  EXPECT_NE(midway, kRed) << ColorText(midway);
  EXPECT_GT(midway & 0xFF, 0u) << "some of the normal image still shows: " << ColorText(midway);
  EXPECT_GT((midway >> 16) & 0xFF, 0u) << "the hot image starts to show: " << ColorText(midway);

  counter.holdAfterFirst = false;
  ASSERT_TRUE(PumpUntil([&] { return w.button->GetFadeAlpha() == 0; }));
  EXPECT_EQ(counter.steps, 5);
  EXPECT_EQ(w.PixelAtCentre(), kRed);
  EXPECT_FALSE(w.window.manager().KillTimer(w.button, SkinUI::kFadeTimerId))
      << "the timer stops when the fade is complete";

  w.window.MoveMouse(200, 200);
  ASSERT_TRUE(PumpUntil([&] { return w.button->GetFadeAlpha() == 255; }));
  EXPECT_EQ(counter.steps, 10);
  EXPECT_EQ(w.PixelAtCentre(), kBlue);
  EXPECT_FALSE(w.window.manager().KillTimer(w.button, SkinUI::kFadeTimerId));
}

TEST(ButtonTest, RightClickSendsMenuOnlyWhenTheMenuIsEnabled) {
  for (const bool menu : {true, false}) {
    ButtonWindow w;
    w.button->SetAttribute(L"menu", menu ? L"true" : L"false");
    w.window.Attach();
    w.window.MoveMouse(50, 20);
    ::SendMessageW(w.window.hwnd(), WM_RBUTTONDOWN, MK_RBUTTON, TestSupport::PointParam(50, 20));
    POINT screen = {50, 20};
    ::ClientToScreen(w.window.hwnd(), &screen);
    ::SendMessageW(w.window.hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(w.window.hwnd()),
                   MAKELPARAM(screen.x, screen.y));
    EXPECT_EQ(w.window.recorder().Count(L"menu", L"okBtn"), menu ? 1 : 0) << menu;
  }
}

TEST(ButtonTest, FiveStatusImageCutsFiveFramesAndSizesAFloatButton) {
  TestSupport::ScratchDir dir(L"five");
  const uint32_t stripes[] = {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFF00, 0x808080};
  const std::wstring path = dir.File(L"five.bmp");
  ASSERT_TRUE(ControlsTest::WriteStripedBitmap(path, 250, 30, stripes, 5));

  ControlsWindow window;
  auto* button = new CButtonUI();
  window.root()->Add(button);
  window.Attach();
  button->SetFloat(true);
  button->SetAttribute(L"fivestatusimage", (L"file='" + path + L"'").c_str());
  EXPECT_EQ(button->GetFixedWidth(), 50);
  EXPECT_EQ(button->GetFixedHeight(), 30);
  button->SetPos(RECT{0, 0, 50, 30});
  // The first paint of a new tree gives the first tab stop the focus; the normal frame shows
  // only on a button without it.
  window.manager().SetFocus(nullptr);

  auto normal = window.Paint();
  EXPECT_EQ(normal->Pixel(25, 15), 0xFF0000FF) << ColorText(normal->Pixel(25, 15));
  window.MoveMouse(25, 15);
  auto hot = window.Paint();
  EXPECT_EQ(hot->Pixel(25, 15), 0xFFFF0000) << ColorText(hot->Pixel(25, 15));
  window.PressLeft(25, 15);
  auto pushed = window.Paint();
  EXPECT_EQ(pushed->Pixel(25, 15), 0xFF00FF00) << ColorText(pushed->Pixel(25, 15));
  window.ReleaseLeft(25, 15);
  button->SetEnabled(false);
  auto disabled = window.Paint();
  EXPECT_EQ(disabled->Pixel(25, 15), 0xFF808080) << ColorText(disabled->Pixel(25, 15));
}

}  // namespace
