// The animated GIF in a real window, with GIFs made at build time by ImageMagick: four 16 x 16
// frames red (100 ms), green (300 ms), blue (delay 0) and yellow (50 ms), and a single magenta
// frame. The frame shown after each timer tick is read back from paints into 32-bit DIBs.
#include <gtest/gtest.h>

#include <string>

#include "controls_fixture.h"
#include "periphery_fixture.h"
#include "test_support.h"
#include "ui_controls/ui_gif_anim.h"
#include "ui_core/ui_manager.h"

namespace {

using ControlsTest::ControlsWindow;
using SkinUI::CGifAnimUI;
using SkinUI::CWindowManagerUI;
using TestSupport::DibCanvas;

constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kYellow = 0xFFFF00;
constexpr uint32_t kMagenta = 0xFF00FF;

std::wstring FixtureDir() { return TestSupport::TestDataDir() + L"\\periphery\\"; }

// The skin folder (and archive) the GIFs load from, set for one test and cleared after it.
class SkinFolder {
public:
  explicit SkinFolder(const wchar_t* archive = L"") {
    CWindowManagerUI::SetResourcePath(FixtureDir().c_str());
    CWindowManagerUI::SetResourceZip(archive);
  }
  ~SkinFolder() {
    CWindowManagerUI::SetResourceZip(L"");
    CWindowManagerUI::SetResourcePath(L"");
  }
  SkinFolder(const SkinFolder&) = delete;
  SkinFolder& operator=(const SkinFolder&) = delete;
};

// A 40 x 40 animation named "anim" at the top of the window.
struct GifWindow {
  ControlsWindow window;
  CGifAnimUI* gif;

  explicit GifWindow(const wchar_t* image, const wchar_t* autoplay = nullptr)
      : gif(window.Add(new CGifAnimUI(), 40, 40, L"anim")) {
    gif->SetAttribute(L"bkimage", image);
    if (autoplay != nullptr) gif->SetAttribute(L"autoplay", autoplay);
  }
  // The colour painted at the centre of the control (0xRRGGBB).
  uint32_t Shown() {
    auto canvas = window.Paint(0xFF404040);
    return canvas->Pixel(20, 20) & 0xFFFFFF;
  }
  // One tick of the frame timer, as the window manager delivers it.
  void Tick() {
    SkinUI::TInputEventUI event;
    event.type = SkinUI::kEventTimer;
    event.wParam = 100;
    gif->Event(event);
  }
  // Whether the frame timer runs (asking stops it).
  bool TimerWasRunning() { return window.manager().KillTimer(gif, 100); }
};

std::string Hex(uint32_t rgb) { return TestSupport::ColorText(rgb); }

TEST(GifAnimTest, LoadsTheFramesAndTheirDelaysAndPlays) {
  SkinFolder skin;
  GifWindow w(L"animated.gif");
  w.window.Attach();
  ASSERT_TRUE(w.gif->IsLoaded());
  EXPECT_EQ(w.gif->GetFrameCount(), 4u);
  const UINT delays[] = {100, 300, 100, 50};  // delay 0 plays as 100 ms
  for (UINT i = 0; i < 4; ++i) EXPECT_EQ(w.gif->GetFrameDelay(i), delays[i]) << i;
  EXPECT_EQ(w.gif->GetFrameDelay(4), 100u) << "past the delays the image gives";
  EXPECT_TRUE(w.gif->IsPlaying());
  EXPECT_TRUE(w.TimerWasRunning());
}

TEST(GifAnimTest, EachTickShowsTheNextFrame) {
  SkinFolder skin;
  GifWindow w(L"animated.gif");
  w.window.Attach();
  ASSERT_EQ(w.gif->GetFrameCount(), 4u);
  const uint32_t frames[] = {kRed, kGreen, kBlue, kYellow, kRed, kGreen};
  for (size_t i = 0; i < sizeof(frames) / sizeof(frames[0]); ++i) {
    EXPECT_EQ(w.gif->GetCurrentFrame(), i % 4);
    EXPECT_EQ(Hex(w.Shown()), Hex(frames[i])) << "after " << i << " ticks";
    w.Tick();
    EXPECT_TRUE(w.gif->IsPlaying());
  }
}

TEST(GifAnimTest, TheWindowTimerStepsTheFrames) {
  SkinFolder skin;
  GifWindow w(L"animated.gif");
  w.window.Attach();
  ASSERT_TRUE(w.gif->IsPlaying());
  // Real timers: frame 0 stays 100 ms, frame 1 300 ms. Each wait ends when the frame changes.
  std::vector<UINT> seen;
  std::vector<DWORD> took;
  DWORD start = ::GetTickCount();
  for (UINT frame = 1; frame <= 4; ++frame) {
    const UINT wanted = frame % 4;
    ASSERT_TRUE(TestSupport::PumpUntil([&] { return w.gif->GetCurrentFrame() == wanted; }, 5000))
        << "frame " << wanted;
    const DWORD now = ::GetTickCount();
    took.push_back(now - start);
    start = now;
    seen.push_back(w.gif->GetCurrentFrame());
  }
  EXPECT_EQ(seen, (std::vector<UINT>{1, 2, 3, 0}));
  // Figures only: how long each frame stayed under this Wine (100, 300, 100, 50 ms asked).
  for (size_t i = 0; i < took.size(); ++i) {
    ::testing::Test::RecordProperty("frame" + std::to_string(i) + "_ms", static_cast<int>(took[i]));
  }
}

TEST(GifAnimTest, SingleFrameImageStartsNoTimer) {
  SkinFolder skin;
  GifWindow w(L"single.gif");
  w.window.Attach();
  ASSERT_TRUE(w.gif->IsLoaded());
  EXPECT_EQ(w.gif->GetFrameCount(), 1u);
  EXPECT_FALSE(w.gif->IsPlaying());
  EXPECT_FALSE(w.TimerWasRunning());
  EXPECT_EQ(Hex(w.Shown()), Hex(kMagenta));
  w.gif->SetVisible(false);
  w.gif->SetVisible(true);
  EXPECT_FALSE(w.gif->IsPlaying()) << "showing it again does not start one either";
  EXPECT_FALSE(w.TimerWasRunning());
}

TEST(GifAnimTest, WithoutAutoplayTheFirstFrameStaysUntilShownAgain) {
  SkinFolder skin;
  GifWindow w(L"animated.gif", L"false");
  w.window.Attach();
  EXPECT_FALSE(w.gif->IsAutoPlay());
  EXPECT_FALSE(w.gif->IsPlaying());
  EXPECT_FALSE(w.TimerWasRunning());
  EXPECT_EQ(Hex(w.Shown()), Hex(kRed));
  w.gif->SetVisible(false);
  EXPECT_FALSE(w.gif->IsPlaying());
  w.gif->SetVisible(true);
  EXPECT_TRUE(w.gif->IsPlaying());
  EXPECT_TRUE(w.TimerWasRunning());
}

TEST(GifAnimTest, PauseKeepsTheFrameStopGoesBackToTheFirst) {
  SkinFolder skin;
  GifWindow w(L"animated.gif");
  w.window.Attach();
  w.Tick();
  w.Tick();
  EXPECT_EQ(Hex(w.Shown()), Hex(kBlue));
  w.gif->PauseGif();
  EXPECT_FALSE(w.gif->IsPlaying());
  EXPECT_FALSE(w.TimerWasRunning());
  EXPECT_EQ(Hex(w.Shown()), Hex(kBlue));
  w.gif->PlayGif();
  EXPECT_TRUE(w.gif->IsPlaying());
  EXPECT_EQ(w.gif->GetCurrentFrame(), 2u) << "playing goes on from the paused frame";
  w.gif->StopGif();
  EXPECT_FALSE(w.gif->IsPlaying());
  EXPECT_FALSE(w.TimerWasRunning());
  EXPECT_EQ(Hex(w.Shown()), Hex(kRed));
}

TEST(GifAnimTest, HidingStopsTheAnimation) {
  SkinFolder skin;
  GifWindow w(L"animated.gif");
  w.window.Attach();
  w.Tick();
  w.gif->SetVisible(false);
  EXPECT_FALSE(w.gif->IsPlaying());
  EXPECT_EQ(w.gif->GetCurrentFrame(), 0u);
  EXPECT_FALSE(w.TimerWasRunning());
}

TEST(GifAnimTest, SameNameChangesNothingANewNameUnloadsAndLoadsAtThePaint) {
  SkinFolder skin;
  GifWindow w(L"animated.gif");
  w.window.Attach();
  w.Tick();
  w.gif->SetBkImage(L"animated.gif");
  EXPECT_TRUE(w.gif->IsPlaying());
  EXPECT_EQ(w.gif->GetCurrentFrame(), 1u);

  w.gif->SetAttribute(L"bkimage", L"single.gif");
  EXPECT_FALSE(w.gif->IsPlaying());
  EXPECT_FALSE(w.gif->IsLoaded());
  EXPECT_EQ(w.gif->GetFrameCount(), 0u);
  EXPECT_EQ(Hex(w.Shown()), Hex(kMagenta));
  EXPECT_TRUE(w.gif->IsLoaded());
  EXPECT_EQ(w.gif->GetFrameCount(), 1u);
}

TEST(GifAnimTest, LoadsFromTheSkinArchiveAndFromAPlainPath) {
  {
    SkinFolder skin(L"gifskin.zip");
    GifWindow w(L"anim.gif");
    w.window.Attach();
    ASSERT_TRUE(w.gif->IsLoaded()) << "an item of the skin archive";
    EXPECT_EQ(w.gif->GetFrameCount(), 4u);
    EXPECT_EQ(Hex(w.Shown()), Hex(kRed));
  }
  {
    SkinFolder skin(L"gifskin.zip");
    CWindowManagerUI::SetResourceZip(L"gifskin.zip", true);
    GifWindow w(L"anim.gif");
    w.window.Attach();
    EXPECT_EQ(w.gif->GetFrameCount(), 4u) << "the archive kept open";
  }
  GifWindow w((FixtureDir() + L"single.gif").c_str());
  w.window.Attach();
  ASSERT_TRUE(w.gif->IsLoaded()) << "a path of its own";
  EXPECT_EQ(Hex(w.Shown()), Hex(kMagenta));
}

TEST(GifAnimTest, AutosizeTakesTheImageSize) {
  SkinFolder skin;
  GifWindow w(L"animated.gif");
  w.gif->SetAttribute(L"autosize", L"true");
  w.window.Attach();
  EXPECT_EQ(w.gif->GetFixedWidth(), 16);
  EXPECT_EQ(w.gif->GetFixedHeight(), 16);
}

TEST(GifAnimTest, MissingEmptyOrUndecodableImageLeavesTheControlEmpty) {
  TestSupport::ScratchDir dir(L"gif");
  ASSERT_TRUE(TestSupport::WriteBytes(dir.File(L"text.gif"), "GIF89a but not really"));
  ASSERT_TRUE(TestSupport::WriteBytes(dir.File(L"empty.gif"), ""));
  const std::wstring names[] = {L"missing.gif", dir.File(L"text.gif"), dir.File(L"empty.gif"),
                                L""};
  SkinFolder skin;
  for (const std::wstring& name : names) {
    GifWindow w(name.c_str());
    w.window.Attach();
    EXPECT_FALSE(w.gif->IsLoaded()) << TestSupport::ToUtf8(name);
    EXPECT_FALSE(w.gif->IsPlaying());
    EXPECT_FALSE(w.TimerWasRunning());
    EXPECT_EQ(Hex(w.Shown()), Hex(0x404040)) << "nothing painted";
    w.Tick();  // a stray tick changes nothing
    EXPECT_EQ(w.gif->GetCurrentFrame(), 0u);
  }
}

TEST(GifAnimTest, SkinBuildsGifAnimByItsExactName) {
  SkinFolder skin;
  TestSupport::TestHostWindow host;
  ASSERT_NE(PeripheryTest::BuildSkin(
                host, L"<Window size=\"400,300\"><VerticalLayout>"
                      L"<GifAnim name=\"anim\" bkimage=\"animated.gif\" autoplay=\"yes\" "
                      L"autosize=\"true\"/>"
                      L"<gifanim name=\"lower\" height=\"20\"/>"
                      L"</VerticalLayout></Window>"),
            nullptr);
  auto* gif = static_cast<CGifAnimUI*>(host.manager().FindControl(L"anim"));
  ASSERT_NE(gif, nullptr);
  EXPECT_EQ(std::wstring(gif->GetClass()), L"GifAnim");
  EXPECT_EQ(gif->GetInterface(L"GifAnim"), gif);
  EXPECT_FALSE(gif->IsAutoPlay()) << "only \"true\" turns it on";
  EXPECT_TRUE(gif->IsLoaded());
  EXPECT_EQ(gif->GetFixedWidth(), 16);
  SkinUI::CControlUI* lower = host.manager().FindControl(L"lower");
  EXPECT_TRUE(lower == nullptr || lower->GetInterface(L"GifAnim") == nullptr)
      << "the element name is matched with its case";
}

}  // namespace
