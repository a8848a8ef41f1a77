// Painting of the base control into a 32-bit DIB: background fills (opaque, translucent,
// gradients), borders of every style, the order of the paint steps, the rounded clip, covers
// and the paint delegates.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "control_test_util.h"
#include "ui_core/drawing/ui_render.h"
#include "ui_core/manager/ui_control.h"
#include "ui_test_support.h"

using namespace SkinUI;
using TestSupport::ColorNear;
using TestSupport::ColorText;
using TestSupport::DibCanvas;

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint32_t kGreen = 0xFF00FF00;

uint32_t Rgb(uint32_t argb) { return argb & 0x00FFFFFF; }

// Colour channels only: GDI leaves the alpha byte of what it draws undefined.
bool RgbNear(uint32_t actual, uint32_t expected, int tolerance = 2) {
  return ColorNear(Rgb(actual) | 0xFF000000, Rgb(expected) | 0xFF000000, tolerance);
}

int Green(uint32_t argb) { return static_cast<int>((argb >> 8) & 0xFF); }

TEST(ControlPaint, OpaqueBackgroundFillsOnlyThePaintRectTranslucentBlendsTheWholeItem) {
  struct Case {
    DWORD color;
    bool outsidePaintRectChanged;
  } cases[] = {{0xFFFF0000, false}, {0x80FF0000, true}};
  for (const Case& test : cases) {
    DibCanvas canvas(100, 100);
    CControlUI control;
    control.SetBkColor(test.color);
    control.SetPos(RECT{0, 0, 100, 100});
    EXPECT_TRUE(control.Paint(canvas.dc(), RECT{0, 0, 50, 50}));
    const uint32_t inside = canvas.Pixel(25, 25);
    const uint32_t outside = canvas.Pixel(75, 75);
    if (test.color >= 0xFF000000) {
      EXPECT_TRUE(RgbNear(inside, kRed)) << ColorText(inside);
      EXPECT_TRUE(RgbNear(outside, kWhite)) << ColorText(outside);
    } else {
      // Half red over white: red stays full, green and blue drop to about half.
      for (uint32_t pixel : {inside, outside}) {
        EXPECT_GE(static_cast<int>((pixel >> 16) & 0xFF), 250) << ColorText(pixel);
        EXPECT_GT(Green(pixel), 100) << ColorText(pixel);
        EXPECT_LT(Green(pixel), 160) << ColorText(pixel);
      }
    }
  }
}

TEST(ControlPaint, BackgroundWithAlphaZeroOrNoColourDrawsNothing) {
  for (DWORD color : {0x00000000u, 0x00FF0000u}) {
    DibCanvas canvas(40, 40);
    CControlUI control;
    control.SetBkColor(color);
    control.SetPos(RECT{0, 0, 40, 40});
    control.Paint(canvas.dc(), canvas.Rect());
    EXPECT_TRUE(RgbNear(canvas.Pixel(20, 20), kWhite)) << ColorText(canvas.Pixel(20, 20));
  }
}

TEST(ControlPaint, GradientsRunFromTopToBottom) {
  {
    DibCanvas canvas(20, 160);
    CControlUI control;
    control.SetBkColor(0xFF000000);
    control.SetBkColor2(0xFFFFFFFF);
    control.SetPos(RECT{0, 0, 20, 160});
    control.Paint(canvas.dc(), canvas.Rect());
    EXPECT_LT(Green(canvas.Pixel(10, 1)), 24) << ColorText(canvas.Pixel(10, 1));
    EXPECT_GT(Green(canvas.Pixel(10, 158)), 231) << ColorText(canvas.Pixel(10, 158));
    EXPECT_LT(Green(canvas.Pixel(10, 40)), Green(canvas.Pixel(10, 120)));
  }
  {
    DibCanvas canvas(20, 160);
    CControlUI control;
    control.SetBkColor(0xFF000000);
    control.SetBkColor2(0xFFFFFFFF);
    control.SetBkColor3(0xFF000000);
    control.SetPos(RECT{0, 0, 20, 160});
    control.Paint(canvas.dc(), canvas.Rect());
    EXPECT_LT(Green(canvas.Pixel(10, 1)), 40) << ColorText(canvas.Pixel(10, 1));
    EXPECT_GT(Green(canvas.Pixel(10, 79)), 215) << ColorText(canvas.Pixel(10, 79));
    EXPECT_LT(Green(canvas.Pixel(10, 158)), 40) << ColorText(canvas.Pixel(10, 158));
  }
}

struct BorderCase {
  const wchar_t* size;
  std::vector<POINT> colored;
  std::vector<POINT> plain;
  const char* what;
};

TEST(ControlPaint, BordersOfEveryStyle) {
  const BorderCase cases[] = {
      {L"1", {{0, 50}, {99, 50}, {50, 0}, {50, 99}}, {{50, 50}, {2, 50}, {50, 2}},
       "one width for all edges"},
      {L"3", {{0, 50}, {2, 50}, {97, 50}, {99, 50}, {50, 0}, {50, 2}, {50, 99}},
       {{50, 50}, {5, 50}, {94, 50}}, "a wide frame stays inside the item"},
      {L"0,0,0,2", {{50, 98}}, {{0, 50}, {50, 0}, {99, 50}, {50, 50}, {50, 5}},
       "only a bottom line"},
      {L"2,0,0,0", {{0, 50}}, {{50, 98}, {50, 0}, {98, 50}, {50, 50}}, "only a left line"},
      {L"0,2,0,0", {{50, 0}}, {{0, 50}, {98, 50}, {50, 98}, {50, 50}}, "only a top line"},
      {L"0,0,2,0", {{98, 50}}, {{0, 50}, {50, 0}, {50, 98}, {50, 50}}, "only a right line"},
      {L"2,2,2,4", {{0, 50}, {50, 0}, {98, 50}, {50, 97}}, {{50, 50}, {10, 50}},
       "four different widths as lines"},
      {L"0", {}, {{0, 50}, {50, 0}, {50, 50}}, "width 0 draws nothing"},
      {L"-3", {}, {{0, 50}, {50, 0}, {50, 50}}, "a negative width draws nothing"},
  };
  for (const BorderCase& test : cases) {
    DibCanvas canvas(100, 100);
    CControlUI control;
    control.SetAttribute(L"bordercolor", L"#FFFF0000");
    control.SetAttribute(L"bordersize", test.size);
    control.SetPos(RECT{0, 0, 100, 100});
    control.Paint(canvas.dc(), canvas.Rect());
    for (const POINT& pt : test.colored) {
      EXPECT_TRUE(RgbNear(canvas.Pixel(pt.x, pt.y), kRed))
          << test.what << " at " << pt.x << "," << pt.y << ": "
          << ColorText(canvas.Pixel(pt.x, pt.y));
    }
    for (const POINT& pt : test.plain) {
      EXPECT_TRUE(RgbNear(canvas.Pixel(pt.x, pt.y), kWhite))
          << test.what << " at " << pt.x << "," << pt.y << ": "
          << ColorText(canvas.Pixel(pt.x, pt.y));
    }
  }
}

TEST(ControlPaint, FocusBorderColourWhileFocused) {
  struct Case {
    DWORD border;
    DWORD focus;
    bool focused;
    uint32_t expected;  // colour of the left edge
    const char* what;
  } cases[] = {
      {kRed, kBlue, false, kRed, "unfocused: border colour"},
      {kRed, kBlue, true, kBlue, "focused: focus colour"},
      {kRed, 0, true, kRed, "focused without focus colour: border colour"},
      {0, kBlue, true, kBlue, "only a focus colour, focused"},
      {0, kBlue, false, kWhite, "only a focus colour, unfocused: no border"},
      {0, 0, true, kWhite, "no colour at all: no border"},
  };
  for (const auto& test : cases) {
    DibCanvas canvas(60, 60);
    CControlUI control;
    control.SetBorderColor(test.border);
    control.SetFocusBorderColor(test.focus);
    control.SetBorderSize(2);
    control.SetPos(RECT{0, 0, 60, 60});
    if (test.focused) {
      TInputEventUI event = ControlTest::MakeEvent(kEventSetFocus);
      control.DoEvent(event);
    }
    EXPECT_EQ(control.IsFocused(), test.focused);
    control.Paint(canvas.dc(), canvas.Rect());
    EXPECT_TRUE(RgbNear(canvas.Pixel(0, 30), test.expected))
        << test.what << ": " << ColorText(canvas.Pixel(0, 30));
  }
}

TEST(ControlPaint, RoundCornersClipTheBackgroundAndRoundTheBorder) {
  DibCanvas canvas(100, 100);
  CControlUI control;
  control.SetBkColor(kGreen);
  control.SetAttribute(L"borderround", L"40,40");
  control.SetAttribute(L"bordersize", L"2");
  control.SetAttribute(L"bordercolor", L"#FFFF0000");
  control.SetPos(RECT{0, 0, 100, 100});
  control.Paint(canvas.dc(), canvas.Rect());
  for (POINT corner : {POINT{1, 1}, POINT{98, 1}, POINT{1, 98}, POINT{98, 98}}) {
    EXPECT_TRUE(RgbNear(canvas.Pixel(corner.x, corner.y), kWhite))
        << corner.x << "," << corner.y << ": " << ColorText(canvas.Pixel(corner.x, corner.y));
  }
  EXPECT_TRUE(RgbNear(canvas.Pixel(50, 50), kGreen)) << ColorText(canvas.Pixel(50, 50));
  EXPECT_TRUE(RgbNear(canvas.Pixel(0, 50), kRed)) << ColorText(canvas.Pixel(0, 50));
  EXPECT_TRUE(RgbNear(canvas.Pixel(50, 0), kRed)) << ColorText(canvas.Pixel(50, 0));
  // The clip ends with the control: a later fill reaches the corners again.
  CControlUI later;
  later.SetBkColor(kBlue);
  later.SetPos(RECT{0, 0, 100, 100});
  later.Paint(canvas.dc(), canvas.Rect());
  EXPECT_TRUE(RgbNear(canvas.Pixel(1, 1), kBlue)) << ColorText(canvas.Pixel(1, 1));
}

// Records the order of the paint steps and still paints through the base control; its status
// step fills the middle band so that the layering can be read from the pixels.
class StepRecorder : public CControlUI {
public:
  void PaintBkColor(HDC hDC) override {
    steps.push_back("bkcolor");
    CControlUI::PaintBkColor(hDC);
  }
  void PaintBkImage(HDC hDC) override {
    steps.push_back("bkimage");
    CControlUI::PaintBkImage(hDC);
  }
  void PaintStatusImage(HDC hDC) override {
    steps.push_back("status");
    CRenderUI::DrawColor(hDC, RECT{25, 0, 75, 100}, kBlue);
  }
  void PaintText(HDC hDC) override {
    steps.push_back("text");
    CControlUI::PaintText(hDC);
  }
  void PaintBorder(HDC hDC) override {
    steps.push_back("border");
    CControlUI::PaintBorder(hDC);
  }
  std::vector<std::string> steps;
};

TEST(ControlPaint, StepsRunInOrderEachOverThePreviousOne) {
  TestSupport::TestHostWindow host;
  DibCanvas canvas(100, 100);
  auto control = std::make_unique<StepRecorder>();
  control->SetManager(&host.manager(), nullptr, false);
  control->SetBkColor(kGreen);
  control->SetBkImage(L"color='#FFFF0000' dest='0,0,50,100'");
  control->SetBorderColor(0xFF000000);
  control->SetBorderSize(1);
  control->SetPos(RECT{0, 0, 100, 100});
  EXPECT_TRUE(control->Paint(canvas.dc(), canvas.Rect()));
  EXPECT_EQ(control->steps,
            (std::vector<std::string>{"bkcolor", "bkimage", "status", "text", "border"}));
  EXPECT_TRUE(RgbNear(canvas.Pixel(90, 50), kGreen)) << "background colour alone: "
                                                     << ColorText(canvas.Pixel(90, 50));
  EXPECT_TRUE(RgbNear(canvas.Pixel(10, 50), kRed)) << "image over the colour: "
                                                   << ColorText(canvas.Pixel(10, 50));
  EXPECT_TRUE(RgbNear(canvas.Pixel(40, 50), kBlue)) << "status over the image: "
                                                    << ColorText(canvas.Pixel(40, 50));
  EXPECT_TRUE(RgbNear(canvas.Pixel(50, 0), 0xFF000000)) << "border over the status: "
                                                        << ColorText(canvas.Pixel(50, 0));
  EXPECT_TRUE(RgbNear(canvas.Pixel(0, 50), 0xFF000000)) << "border over the image: "
                                                        << ColorText(canvas.Pixel(0, 50));
}

TEST(ControlPaint, FloatControlWithoutSizeTakesItsBackgroundImageSize) {
  TestSupport::TestHostWindow host;
  auto control = std::make_unique<CControlUI>();
  control->SetManager(&host.manager(), nullptr, false);
  control->SetFloat(true);
  control->SetBkImage(L"color='#FF00FF00'");
  EXPECT_EQ(control->GetFixedWidth(), 1) << "a colour image is one pixel";
  EXPECT_EQ(control->GetFixedHeight(), 1);
  auto fixed = std::make_unique<CControlUI>();
  fixed->SetManager(&host.manager(), nullptr, false);
  fixed->SetBkImage(L"color='#FF00FF00'");
  EXPECT_EQ(fixed->GetFixedWidth(), 0) << "only float controls take the size";
}

class PaintWatcher {
public:
  explicit PaintWatcher(bool answer) : answer_(answer) {}
  bool OnPaint(void* param) {
    calls.push_back(static_cast<CControlUI*>(param));
    return answer_;
  }
  std::vector<CControlUI*> calls;

private:
  bool answer_;
};

TEST(ControlPaint, PaintDelegatesStopControlAndCover) {
  {
    // A paint delegate that answers false keeps the control from painting.
    DibCanvas canvas(50, 50);
    CControlUI control;
    PaintWatcher watcher(false);
    control.OnPaint += MakeDelegate(&watcher, &PaintWatcher::OnPaint);
    control.SetBkColor(kRed);
    control.SetPos(RECT{0, 0, 50, 50});
    EXPECT_TRUE(control.Paint(canvas.dc(), canvas.Rect()));
    ASSERT_EQ(watcher.calls.size(), 1u);
    EXPECT_EQ(watcher.calls[0], &control);
    EXPECT_TRUE(RgbNear(canvas.Pixel(25, 25), kWhite));
  }
  {
    DibCanvas canvas(50, 50);
    CControlUI control;
    PaintWatcher watcher(true);
    control.OnPaint += MakeDelegate(&watcher, &PaintWatcher::OnPaint);
    control.OnPostPaint += MakeDelegate(&watcher, &PaintWatcher::OnPaint);
    control.SetBkColor(kRed);
    control.SetPos(RECT{0, 0, 50, 50});
    EXPECT_FALSE(control.Paint(canvas.dc(), canvas.Rect(), &control)) << "the stop control";
    EXPECT_TRUE(RgbNear(canvas.Pixel(25, 25), kWhite));
    EXPECT_TRUE(control.Paint(canvas.dc(), RECT{60, 60, 70, 70})) << "outside the paint rect";
    EXPECT_TRUE(watcher.calls.empty());
    EXPECT_TRUE(control.Paint(canvas.dc(), canvas.Rect()));
    EXPECT_TRUE(RgbNear(canvas.Pixel(25, 25), kRed));
    control.DoPostPaint(canvas.dc(), canvas.Rect());
    EXPECT_EQ(watcher.calls.size(), 2u);
  }
  {
    // The cover paints over its control.
    TestSupport::TestHostWindow host;
    DibCanvas canvas(100, 100);
    auto control = std::make_unique<CControlUI>();
    control->SetManager(&host.manager(), nullptr, false);
    control->SetBkColor(kRed);
    auto* cover = new CControlUI;
    cover->SetBkColor(kBlue);
    cover->SetMaxWidth(50);
    control->SetCover(cover);
    control->SetPos(RECT{0, 0, 100, 100});
    EXPECT_TRUE(control->Paint(canvas.dc(), canvas.Rect()));
    EXPECT_TRUE(RgbNear(canvas.Pixel(25, 50), kBlue)) << ColorText(canvas.Pixel(25, 50));
    EXPECT_TRUE(RgbNear(canvas.Pixel(75, 50), kRed)) << ColorText(canvas.Pixel(75, 50));
  }
}

}  // namespace
