// Colour fills, gradients, lines and frames, clip regions, the blend, plain text and window
// snapshots, painted into 32-bit DIBs.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "drawing_fixture.h"
#include "test_support.h"
#include "ui_core/drawing/ui_render.h"
#include "ui_core/manager/ui_container.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_test_support.h"

using namespace DrawingTest;
using SkinUI::CRenderClipUI;
using SkinUI::CRenderUI;
using TestSupport::ColorNear;
using TestSupport::ColorText;
using TestSupport::DibCanvas;

namespace {

// Whether any pixel of rc differs from the colour (alpha ignored).
bool AnyPixelDiffers(const DibCanvas& canvas, const RECT& rc, uint32_t rgb) {
  for (int y = rc.top; y < rc.bottom; ++y) {
    for (int x = rc.left; x < rc.right; ++x) {
      if (Rgb(canvas.Pixel(x, y)) != rgb) return true;
    }
  }
  return false;
}

}  // namespace

TEST(Fills, DrawColorByAlpha) {
  struct Case {
    uint32_t background;
    uint32_t colour;
    uint32_t expected;  // ARGB, alpha compared only where the blend defines it
    bool compareAlpha;
  } cases[] = {
      {0xFFFFFFFF, 0x00FF0000, 0xFFFFFFFF, true},   // alpha 0: nothing
      {0xFFFFFFFF, 0xFFFF0000, 0xFFFF0000, false},  // opaque: a plain fill
      {0xFFFFFFFF, 0x80FF0000, 0xFFFF7F7F, true},   // translucent over white
      {0xFF000000, 0x80FF0000, 0xFF800000, true},   // over black
      {0x00000000, 0x80FF0000, 0x80800000, true},   // over nothing: the premultiplied pixel
      {0xFF0000FF, 0x4000FF00, 0xFF0040BF, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ColorText(c.colour) + " over " + ColorText(c.background));
    DibCanvas canvas(20, 20, c.background);
    CRenderUI::DrawColor(canvas.dc(), RECT{5, 5, 15, 15}, c.colour);
    const uint32_t inside = canvas.Pixel(10, 10);
    if (c.compareAlpha) {
      EXPECT_TRUE(ColorNear(inside, c.expected, 2)) << ColorText(inside);
    } else {
      EXPECT_TRUE(RgbNear(inside, Rgb(c.expected))) << ColorText(inside);
    }
    EXPECT_EQ(canvas.Pixel(4, 4), c.background);
    EXPECT_EQ(canvas.Pixel(15, 15), c.background);
  }
  CRenderUI::DrawColor(nullptr, RECT{0, 0, 1, 1}, 0xFFFF0000);
}

TEST(Fills, GradientsBlendByTheirMeanAlpha) {
  // Opaque, vertical: red at the top, blue at the bottom, a mix between.
  DibCanvas vertical(10, 100);
  CRenderUI::DrawGradient(vertical.dc(), RECT{0, 0, 10, 100}, 0xFFFF0000, 0xFF0000FF, true, 64);
  EXPECT_TRUE(RgbNear(vertical.Pixel(5, 0), 0xFF0000, 6)) << ColorText(vertical.Pixel(5, 0));
  EXPECT_TRUE(RgbNear(vertical.Pixel(5, 99), 0x0000FF, 6)) << ColorText(vertical.Pixel(5, 99));
  EXPECT_TRUE(RgbNear(vertical.Pixel(5, 50), 0x7F007F, 8)) << ColorText(vertical.Pixel(5, 50));

  DibCanvas horizontal(100, 10);
  CRenderUI::DrawGradient(horizontal.dc(), RECT{0, 0, 100, 10}, 0xFF000000, 0xFFFFFFFF, false, 16);
  EXPECT_TRUE(RgbNear(horizontal.Pixel(0, 5), 0x000000, 6));
  EXPECT_TRUE(RgbNear(horizontal.Pixel(99, 5), 0xFFFFFF, 6));

  // Both alphas 0: nothing.
  DibCanvas none(10, 10);
  CRenderUI::DrawGradient(none.dc(), RECT{0, 0, 10, 10}, 0x00000000, 0x00FF0000, true, 8);
  EXPECT_EQ(none.Pixel(5, 5), 0xFFFFFFFFu);

  // Alphas 0xFF and 0x00: blended at the constant alpha 0x7F over the background.
  DibCanvas half(10, 10);
  CRenderUI::DrawGradient(half.dc(), RECT{2, 2, 8, 8}, 0xFF000000, 0x00000000, true, 8);
  EXPECT_TRUE(ColorNear(half.Pixel(5, 5), 0xFF808080, 2)) << ColorText(half.Pixel(5, 5));
  EXPECT_EQ(half.Pixel(1, 1), 0xFFFFFFFFu);
  EXPECT_EQ(half.Pixel(8, 8), 0xFFFFFFFFu);

  // Translucent gradients stay inside a clip.
  DibCanvas clipped(20, 20);
  {
    CRenderClipUI clip;
    CRenderUI::GenerateClip(clipped.dc(), RECT{0, 0, 10, 20}, clip);
    CRenderUI::DrawGradient(clipped.dc(), RECT{0, 0, 20, 20}, 0x80FF0000, 0x80FF0000, false, 8);
  }
  EXPECT_TRUE(RgbNear(clipped.Pixel(5, 5), 0xFF7F7F));
  EXPECT_EQ(clipped.Pixel(15, 5), 0xFFFFFFFFu);
}

TEST(Fills, GradientBandsWithoutGradientFill) {
  // Two bands (steps below 4): the bottom band is the end colour, the top one the mean.
  DibCanvas canvas(10, 20);
  CRenderUI::DrawGradientBands(canvas.dc(), RECT{0, 0, 10, 20}, 0xFF000000, 0xFFFF0000, true, 2);
  EXPECT_TRUE(RgbNear(canvas.Pixel(5, 15), 0xFF0000, 0));
  EXPECT_TRUE(RgbNear(canvas.Pixel(5, 5), 0x7F0000, 0));

  DibCanvas wide(64, 4);
  CRenderUI::DrawGradientBands(wide.dc(), RECT{0, 0, 64, 4}, 0xFF0000FF, 0xFF000000, false, 100);
  EXPECT_TRUE(RgbNear(wide.Pixel(63, 2), 0x000000, 0));  // rightmost band: the end colour
  EXPECT_TRUE(RgbNear(wide.Pixel(0, 2), 0x0000FB, 0)) << ColorText(wide.Pixel(0, 2));  // (0 * 1 + 255 * 63) >> 6
}

TEST(Outlines, LinesAndRectanglesStayWhereTheySay) {
  DibCanvas canvas(40, 40);
  CRenderUI::DrawLine(canvas.dc(), RECT{5, 20, 35, 20}, 1, 0xFF0000FF);
  EXPECT_TRUE(RgbNear(canvas.Pixel(10, 20), 0x0000FF));
  EXPECT_TRUE(RgbNear(canvas.Pixel(10, 21), 0xFFFFFF));
  EXPECT_TRUE(RgbNear(canvas.Pixel(36, 20), 0xFFFFFF));

  DibCanvas frame(40, 40);
  CRenderUI::DrawRect(frame.dc(), RECT{10, 10, 30, 30}, 2, 0xFFFF0000);
  EXPECT_TRUE(RgbNear(frame.Pixel(10, 20), 0xFF0000));
  EXPECT_TRUE(RgbNear(frame.Pixel(11, 20), 0xFF0000));
  EXPECT_TRUE(RgbNear(frame.Pixel(12, 20), 0xFFFFFF));  // inside frame, interior untouched
  EXPECT_TRUE(RgbNear(frame.Pixel(29, 20), 0xFF0000));
  EXPECT_TRUE(RgbNear(frame.Pixel(30, 20), 0xFFFFFF));
  EXPECT_TRUE(RgbNear(frame.Pixel(20, 29), 0xFF0000));
  EXPECT_TRUE(RgbNear(frame.Pixel(20, 20), 0xFFFFFF));

  // A dashed frame keeps its style: some of its edge is drawn, the interior stays.
  DibCanvas dashed(40, 40);
  CRenderUI::DrawRect(dashed.dc(), RECT{10, 10, 30, 30}, 1, 0xFF000000, PS_DASH);
  EXPECT_TRUE(AnyPixelDiffers(dashed, RECT{10, 10, 30, 11}, 0xFFFFFF));
  EXPECT_FALSE(AnyPixelDiffers(dashed, RECT{12, 12, 28, 28}, 0xFFFFFF));

  // Hostile widths are clamped, not fatal.
  CRenderUI::DrawLine(canvas.dc(), RECT{0, 0, 5, 5}, 2000000000, 0xFF000000);
  CRenderUI::DrawRect(canvas.dc(), RECT{0, 0, 5, 5}, -7, 0xFF000000);
}

TEST(Outlines, RoundRectangleLeavesItsCornersUntouched) {
  DibCanvas canvas(40, 40);
  CRenderUI::DrawRoundRect(canvas.dc(), RECT{0, 0, 40, 40}, 1, 16, 16, 0xFF00FF00);
  EXPECT_TRUE(RgbNear(canvas.Pixel(20, 0), 0x00FF00));
  EXPECT_TRUE(RgbNear(canvas.Pixel(0, 20), 0x00FF00));
  for (const POINT& corner : {POINT{0, 0}, POINT{39, 0}, POINT{0, 39}, POINT{39, 39},
                              POINT{1, 1}}) {
    EXPECT_EQ(canvas.Pixel(corner.x, corner.y), 0xFFFFFFFFu) << corner.x << "," << corner.y;
  }
  EXPECT_TRUE(RgbNear(canvas.Pixel(20, 20), 0xFFFFFF));
}

TEST(Clips, RectangularClipsNestAndRestore) {
  DibCanvas canvas(40, 40);
  {
    CRenderClipUI outer;
    CRenderUI::GenerateClip(canvas.dc(), RECT{0, 0, 20, 40}, outer);
    {
      CRenderClipUI inner;
      CRenderUI::GenerateClip(canvas.dc(), RECT{10, 0, 40, 20}, inner);
      CRenderUI::DrawColor(canvas.dc(), RECT{0, 0, 40, 40}, 0xFFFF0000);
      // The outer region again, then the inner one.
      CRenderUI::SelectOuterClip(canvas.dc(), inner);
      CRenderUI::DrawColor(canvas.dc(), RECT{0, 30, 40, 40}, 0xFF0000FF);
      CRenderUI::SelectInnerClip(canvas.dc(), inner);
      CRenderUI::DrawColor(canvas.dc(), RECT{0, 0, 40, 5}, 0xFF00FF00);
    }
    CRenderUI::DrawColor(canvas.dc(), RECT{0, 25, 40, 26}, 0xFF000000);
  }
  EXPECT_TRUE(RgbNear(canvas.Pixel(15, 10), 0xFF0000));  // inside both
  EXPECT_TRUE(RgbNear(canvas.Pixel(5, 10), 0xFFFFFF));   // outside the inner
  EXPECT_TRUE(RgbNear(canvas.Pixel(25, 10), 0xFFFFFF));  // outside the outer
  EXPECT_TRUE(RgbNear(canvas.Pixel(5, 35), 0x0000FF));   // outer region selected again
  EXPECT_TRUE(RgbNear(canvas.Pixel(25, 35), 0xFFFFFF));
  EXPECT_TRUE(RgbNear(canvas.Pixel(15, 2), 0x00FF00));
  EXPECT_TRUE(RgbNear(canvas.Pixel(5, 2), 0xFFFFFF));
  EXPECT_TRUE(RgbNear(canvas.Pixel(5, 25), 0x000000));   // the outer clip's region
  EXPECT_TRUE(RgbNear(canvas.Pixel(25, 25), 0xFFFFFF));

  // Every clip ended: the whole canvas again.
  CRenderUI::DrawColor(canvas.dc(), RECT{0, 0, 40, 40}, 0xFF00FFFF);
  EXPECT_TRUE(RgbNear(canvas.Pixel(39, 39), 0x00FFFF));
}

TEST(Clips, RoundClipKeepsTheCornersOfTheItem) {
  DibCanvas canvas(40, 40);
  {
    CRenderClipUI clip;
    CRenderUI::GenerateRoundClip(canvas.dc(), RECT{0, 0, 40, 40}, RECT{0, 0, 39, 39}, 20, 20, clip);
    CRenderUI::DrawColor(canvas.dc(), RECT{0, 0, 40, 40}, 0xFFFF0000);
  }
  EXPECT_TRUE(RgbNear(canvas.Pixel(20, 20), 0xFF0000));
  EXPECT_TRUE(RgbNear(canvas.Pixel(20, 0), 0xFF0000));
  EXPECT_TRUE(RgbNear(canvas.Pixel(0, 0), 0xFFFFFF));
  EXPECT_TRUE(RgbNear(canvas.Pixel(39, 39), 0xFFFFFF));
  EXPECT_TRUE(RgbNear(canvas.Pixel(39, 0), 0xFFFFFF));
}

TEST(Blend, OwnBlendMatchesThePremultipliedFormula) {
  ASSERT_NE(CRenderUI::GetAlphaBlend(), nullptr);
  EXPECT_EQ(CRenderUI::GetAlphaBlend(), CRenderUI::GetAlphaBlend());

  struct Case {
    uint32_t source;  // premultiplied
    uint32_t dest;
    BYTE constant;
  } cases[] = {
      {0x80800000, 0xFFFFFFFF, 255}, {0xFF00FF00, 0xFF000000, 128}, {0x00000000, 0xFF123456, 255},
      {0x40102030, 0x80404040, 200}, {0xFFFFFFFF, 0x00000000, 64},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ColorText(c.source) + " over " + ColorText(c.dest));
    DibCanvas source(4, 4, c.source);
    DibCanvas own(8, 8, c.dest);
    DibCanvas system(8, 8, c.dest);
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, c.constant, AC_SRC_ALPHA};
    ASSERT_TRUE(CRenderUI::OwnAlphaBlend(own.dc(), 2, 2, 4, 4, source.dc(), 0, 0, 4, 4, blend));
    ::AlphaBlend(system.dc(), 2, 2, 4, 4, source.dc(), 0, 0, 4, 4, blend);

    // dest = src * k + dest * (1 - srcAlpha * k), channel by channel, alpha included.
    const double k = c.constant / 255.0;
    const double keep = 1.0 - (c.source >> 24) / 255.0 * k;
    uint32_t expected = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      const double v = ((c.source >> shift) & 0xFF) * k + ((c.dest >> shift) & 0xFF) * keep;
      expected |= static_cast<uint32_t>(v + 0.5) << shift;
    }
    EXPECT_TRUE(ColorNear(own.Pixel(3, 3), expected, 1)) << ColorText(own.Pixel(3, 3));
    EXPECT_TRUE(ColorNear(system.Pixel(3, 3), own.Pixel(3, 3), 2)) << ColorText(system.Pixel(3, 3));
    EXPECT_EQ(own.Pixel(1, 1), c.dest);
    EXPECT_EQ(own.Pixel(6, 6), c.dest);
  }

  // Stretching, and without per-pixel alpha the source counts as opaque.
  DibCanvas source(1, 1, 0x00FF0000);
  DibCanvas target(10, 10, 0xFF0000FF);
  const BLENDFUNCTION constantOnly = {AC_SRC_OVER, 0, 128, 0};
  ASSERT_TRUE(CRenderUI::OwnAlphaBlend(target.dc(), 0, 0, 10, 10, source.dc(), 0, 0, 1, 1, constantOnly));
  EXPECT_TRUE(RgbNear(target.Pixel(9, 9), 0x80007F, 1)) << ColorText(target.Pixel(9, 9));

  EXPECT_FALSE(CRenderUI::OwnAlphaBlend(nullptr, 0, 0, 1, 1, source.dc(), 0, 0, 1, 1, constantOnly));
  EXPECT_FALSE(CRenderUI::OwnAlphaBlend(target.dc(), 0, 0, -1, 1, source.dc(), 0, 0, 1, 1, constantOnly));
}

TEST(Text, PlainTextIsDrawnInsideItsRectAndMeasured) {
  TestSupport::TestHostWindow host;
  SkinUI::CWindowManagerUI& manager = host.manager();
  DibCanvas canvas(200, 40);
  RECT rc = {10, 5, 190, 35};
  CRenderUI::DrawText(canvas.dc(), &manager, rc, L"Hello, world", 0xFF000000, -1,
                      DT_SINGLELINE | DT_VCENTER);
  EXPECT_TRUE(AnyPixelDiffers(canvas, RECT{10, 5, 190, 35}, 0xFFFFFF));
  EXPECT_FALSE(AnyPixelDiffers(canvas, RECT{0, 0, 200, 5}, 0xFFFFFF));
  EXPECT_FALSE(AnyPixelDiffers(canvas, RECT{0, 0, 10, 40}, 0xFFFFFF));

  const SIZE size = CRenderUI::GetTextSize(canvas.dc(), &manager, L"Hello, world", -1, 0);
  EXPECT_GT(size.cx, 20);
  EXPECT_GT(size.cy, 5);
  RECT measured = {0, 0, 1000, 100};
  CRenderUI::DrawText(canvas.dc(), &manager, measured, L"Hello, world", 0xFF000000, -1,
                      DT_SINGLELINE | DT_CALCRECT);
  EXPECT_EQ(measured.right, size.cx);
  EXPECT_EQ(measured.bottom, size.cy);

  // Language tokens are replaced before drawing and measuring; & is not a prefix.
  SkinUI::CWindowManagerUI::SetLanguageText(7001, L"Hello, world");
  const SIZE viaToken = CRenderUI::GetTextSize(canvas.dc(), &manager, L"%{7001}", -1, 0);
  EXPECT_EQ(viaToken.cx, size.cx);
  const SIZE prefix = CRenderUI::GetTextSize(canvas.dc(), &manager, L"&&", -1, 0);
  RECT amp = {0, 0, 1000, 100};
  CRenderUI::DrawText(canvas.dc(), &manager, amp, L"&&", 0xFF000000, -1, DT_SINGLELINE | DT_CALCRECT);
  EXPECT_EQ(amp.right, prefix.cx);

  // Nothing without text, manager or DC.
  const SIZE none = CRenderUI::GetTextSize(canvas.dc(), nullptr, L"x", -1, 0);
  EXPECT_EQ(none.cx, 0);
  EXPECT_EQ(CRenderUI::GetTextSize(nullptr, &manager, L"x", -1, 0).cx, 0);
  EXPECT_EQ(CRenderUI::GetTextSize(canvas.dc(), &manager, nullptr, -1, 0).cx, 0);
  DibCanvas untouched(20, 20);
  RECT small = {0, 0, 20, 20};
  CRenderUI::DrawText(untouched.dc(), nullptr, small, L"x", 0xFF000000, -1, 0);
  CRenderUI::DrawText(untouched.dc(), &manager, small, nullptr, 0xFF000000, -1, 0);
  EXPECT_FALSE(AnyPixelDiffers(untouched, RECT{0, 0, 20, 20}, 0xFFFFFF));
}

TEST(Snapshot, GenerateBitmapCopiesTheWindowAreaAndLaysTheColourOver) {
  TestSupport::TestHostWindow host(100, 80);
  auto* root = new SkinUI::CContainerUI;
  root->SetBkColor(0xFFFF0000);
  auto* child = new SkinUI::CControlUI;
  child->SetBkColor(0xFF0000FF);
  child->SetFloat(true);
  child->SetAttribute(L"pos", L"50,0,100,80");
  root->Add(child);
  ASSERT_TRUE(host.Attach(root));

  const RECT area = {40, 10, 60, 30};
  Utils::UniqueBitmap plain(CRenderUI::GenerateBitmap(&host.manager(), area));
  ASSERT_TRUE(plain);
  BITMAP info = {};
  ASSERT_EQ(::GetObjectW(plain.get(), sizeof(info), &info), static_cast<int>(sizeof(info)));
  EXPECT_EQ(info.bmWidth, 20);
  EXPECT_EQ(std::abs(info.bmHeight), 20);
  EXPECT_EQ(info.bmBitsPixel, 32);
  ASSERT_NE(info.bmBits, nullptr);
  const auto* pixels = static_cast<const uint32_t*>(info.bmBits);
  EXPECT_TRUE(RgbNear(pixels[5 * 20 + 2], 0xFF0000)) << ColorText(pixels[5 * 20 + 2]);
  EXPECT_TRUE(RgbNear(pixels[5 * 20 + 15], 0x0000FF)) << ColorText(pixels[5 * 20 + 15]);

  // Stopping at the child leaves it out; a translucent black is laid over everything.
  Utils::UniqueBitmap stopped(CRenderUI::GenerateBitmap(&host.manager(), area, child, 0x80000000));
  ASSERT_TRUE(stopped);
  ASSERT_EQ(::GetObjectW(stopped.get(), sizeof(info), &info), static_cast<int>(sizeof(info)));
  const auto* dimmed = static_cast<const uint32_t*>(info.bmBits);
  EXPECT_TRUE(RgbNear(dimmed[5 * 20 + 2], 0x7F0000)) << ColorText(dimmed[5 * 20 + 2]);
  EXPECT_FALSE(RgbNear(dimmed[5 * 20 + 15], 0x00007F)) << ColorText(dimmed[5 * 20 + 15]);

  EXPECT_EQ(CRenderUI::GenerateBitmap(nullptr, area), nullptr);
  EXPECT_EQ(CRenderUI::GenerateBitmap(&host.manager(), RECT{10, 10, 5, 5}), nullptr);
}
