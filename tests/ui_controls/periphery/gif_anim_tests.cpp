// The animated GIF in a real window, with GIFs made at build time by ImageMagick: four 16 x 16
// frames red (100 ms), green (300 ms), blue (delay 0) and yellow (50 ms), a single magenta
// frame, and a two-page TIFF (cyan, white) without frame delays. The frame shown after each
// timer tick is read back from paints into 32-bit DIBs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls_fixture.h"
#include "periphery_fixture.h"
#include "test_support.h"
#include "ui_controls/periphery/ui_gif_anim.h"
#include "ui_core/manager/ui_manager.h"

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
  explicit SkinFolder(const wchar_t* archive = L"", bool is7z = false) {
    CWindowManagerUI::SetResourcePath(FixtureDir().c_str());
    CWindowManagerUI::SetResourceZip(archive);
    CWindowManagerUI::SetResourceArchive7z(is7z);
  }
  ~SkinFolder() {
    CWindowManagerUI::SetResourceArchive7z(false);
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
  // Attached, on the first frame with its timer just started. Attaching pumps the window's
  // messages: on a busy machine a frame timer may have fired in it already. Nothing pumps
  // afterwards until a test waits.
  void AttachAtFirstFrame() {
    window.Attach();
    if (!gif->IsPlaying()) return;
    gif->StopGif();
    gif->PlayGif();
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
  w.AttachAtFirstFrame();
  ASSERT_EQ(w.gif->GetFrameCount(), 4u);
  const uint32_t frames[] = {kRed, kGreen, kBlue, kYellow, kRed, kGreen};
  for (size_t i = 0; i < sizeof(frames) / sizeof(frames[0]); ++i) {
    EXPECT_EQ(w.gif->GetCurrentFrame(), i % 4);
    EXPECT_EQ(Hex(w.Shown()), Hex(frames[i])) << "after " << i << " ticks";
    w.Tick();
    EXPECT_TRUE(w.gif->IsPlaying());
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
  w.AttachAtFirstFrame();
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
  w.AttachAtFirstFrame();
  w.Tick();
  w.gif->SetVisible(false);
  EXPECT_FALSE(w.gif->IsPlaying());
  EXPECT_EQ(w.gif->GetCurrentFrame(), 0u);
  EXPECT_FALSE(w.TimerWasRunning());
}

TEST(GifAnimTest, SameNameChangesNothingANewNameUnloadsAndLoadsAtThePaint) {
  SkinFolder skin;
  GifWindow w(L"animated.gif");
  w.AttachAtFirstFrame();
  w.Tick();
  for (const wchar_t* same : {L"animated.gif", static_cast<const wchar_t*>(nullptr)}) {
    w.gif->SetBkImage(same);
    EXPECT_TRUE(w.gif->IsPlaying());
    EXPECT_TRUE(w.gif->IsLoaded());
    EXPECT_EQ(w.gif->GetCurrentFrame(), 1u);
  }
  EXPECT_EQ(std::wstring(w.gif->GetBkImage().GetData()), L"animated.gif");

  w.gif->SetAttribute(L"bkimage", L"single.gif");
  EXPECT_FALSE(w.gif->IsPlaying());
  EXPECT_FALSE(w.gif->IsLoaded());
  EXPECT_EQ(w.gif->GetFrameCount(), 0u);
  EXPECT_EQ(Hex(w.Shown()), Hex(kMagenta));
  EXPECT_TRUE(w.gif->IsLoaded());
  EXPECT_EQ(w.gif->GetFrameCount(), 1u);
}

TEST(GifAnimTest, LoadsFromTheSkinArchiveAndFromAPlainPath) {
  for (const bool is7z : {false, true}) {
    SkinFolder skin(is7z ? L"gifskin.7z" : L"gifskin.zip", is7z);
    GifWindow w(L"anim.gif");
    w.AttachAtFirstFrame();
    ASSERT_TRUE(w.gif->IsLoaded()) << "an item of the skin archive, 7z " << is7z;
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

TEST(GifAnimTest, MissingEmptyUndecodableOrMalformedImageLeavesTheControlEmpty) {
  TestSupport::ScratchDir dir(L"gif");
  ASSERT_TRUE(TestSupport::WriteBytes(dir.File(L"text.gif"), "GIF89a but not really"));
  ASSERT_TRUE(TestSupport::WriteBytes(dir.File(L"empty.gif"), ""));
  const std::wstring names[] = {
      L"missing.gif",
      dir.File(L"text.gif"),
      dir.File(L"empty.gif"),
      L"",
      std::wstring(5000, L'a') + L".gif",  // longer than any path
      L"a|b?c*.gif",                       // characters no file name has
      FixtureDir(),                        // a folder
      L"..\\..\\..\\..\\..\\..\\..\\nothing.gif",
      L"\\\\?\\",
  };
  SkinFolder skin;
  for (const std::wstring& name : names) {
    const std::string label = TestSupport::ToUtf8(name.substr(0, 60));
    GifWindow w(name.c_str());
    w.window.Attach();
    EXPECT_FALSE(w.gif->IsLoaded()) << label;
    EXPECT_FALSE(w.gif->IsPlaying());
    EXPECT_FALSE(w.TimerWasRunning());
    EXPECT_EQ(Hex(w.Shown()), Hex(0x404040)) << "nothing painted: " << label;
    w.Tick();  // a stray tick changes nothing
    EXPECT_EQ(w.gif->GetCurrentFrame(), 0u);
    // A name that failed is not read again at every paint, but a new one is.
    w.gif->SetBkImage(L"single.gif");
    EXPECT_EQ(Hex(w.Shown()), Hex(kMagenta)) << label;
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

// The window's timer messages, each with the time it came and the frame shown until then. The
// window sees a tick before the control steps: the next tick cannot come before the delay the
// control then asks for, however late this process runs.
class FrameTicks : public SkinUI::IMessageFilterUI {
public:
  explicit FrameTicks(CGifAnimUI* gif) : gif_(gif) {}
  LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM /*lParam*/,
                         bool& /*handled*/) override {
    if (message != WM_TIMER || wParam == SkinUI::kLayeredTimerId) return 0;
    // Another timer of the window leaves the frame as it was: only the last tick before a frame
    // changes is the frame's own.
    const UINT frame = gif_->GetCurrentFrame();
    if (!frames.empty() && frames.back() == frame) {
      times.back() = ::GetTickCount();
    } else {
      times.push_back(::GetTickCount());
      frames.push_back(frame);
    }
    return 0;
  }
  std::vector<DWORD> times;
  std::vector<UINT> frames;

private:
  CGifAnimUI* gif_;
};

TEST(GifAnimTest, TheWindowTimerStepsTheFramesNoneBeforeItsDelay) {
  SkinFolder skin;
  GifWindow w(L"animated.gif");
  FrameTicks ticks(w.gif);
  w.window.manager().AddMessageFilter(&ticks);
  w.window.Attach();
  ASSERT_TRUE(w.gif->IsPlaying());
  const bool ticked = TestSupport::PumpUntil([&] { return ticks.times.size() >= 6; }, 10000);
  w.window.manager().RemoveMessageFilter(&ticks);
  ASSERT_TRUE(ticked);
  // Real timers: a frame may stay longer than its delay on a busy machine, never shorter (the
  // margin is the tick count's step).
  constexpr DWORD kMarginMs = 16;
  for (size_t i = 1; i < ticks.times.size(); ++i) {
    const UINT frame = ticks.frames[i];
    EXPECT_EQ(frame, (ticks.frames[i - 1] + 1) % 4) << "tick " << i;
    const DWORD stayed = ticks.times[i] - ticks.times[i - 1];
    EXPECT_GE(stayed + kMarginMs, w.gif->GetFrameDelay(frame)) << "frame " << frame;
    // Figures only: how long each frame stayed under this Wine.
    ::testing::Test::RecordProperty("tick" + std::to_string(i) + "_frame" + std::to_string(frame) +
                                        "_ms",
                                    static_cast<int>(stayed));
  }
}

TEST(GifAnimTest, MultiPageImageWithoutDelaysIsNotPlayed) {
  SkinFolder skin;
  GifWindow w(L"pages.tif");
  w.window.Attach();
  ASSERT_TRUE(w.gif->IsLoaded()) << "GDI+ reads the TIFF";
  EXPECT_EQ(w.gif->GetFrameCount(), 2u);
  EXPECT_FALSE(w.gif->IsPlaying());
  w.gif->SetVisible(false);
  w.gif->SetVisible(true);
  w.gif->PlayGif();
  EXPECT_FALSE(w.gif->IsPlaying()) << "no frame delays: nothing to time the frames by";
  EXPECT_FALSE(w.TimerWasRunning());
  EXPECT_EQ(Hex(w.Shown()), Hex(0x00FFFF)) << "the first page";
}

TEST(GifAnimTest, EventsOtherThanItsFrameTimerAreIgnored) {
  SkinFolder skin;
  GifWindow w(L"animated.gif");
  w.gif->SetContextMenuEnabled(true);  // the base control would send "menu"
  w.AttachAtFirstFrame();
  const struct {
    SkinUI::EventTypeUI type;
    WPARAM wParam;
  } cases[] = {
      {SkinUI::kEventTimer, 7},  // a timer of some other id
      {SkinUI::kEventContextMenu, 0},
      {SkinUI::kEventButtonDown, 0},
      {SkinUI::kEventScrollWheel, SB_LINEDOWN},
  };
  for (const auto& c : cases) {
    SkinUI::TInputEventUI event;
    event.type = c.type;
    event.wParam = c.wParam;
    event.mousePoint = ControlsWindow::Centre(w.gif);
    w.gif->Event(event);
    EXPECT_EQ(w.gif->GetCurrentFrame(), 0u) << c.type;
  }
  TestSupport::PumpPending();
  EXPECT_TRUE(w.window.recorder().Types(L"anim").empty()) << "no \"timer\" or \"menu\" notification";
}

}  // namespace
