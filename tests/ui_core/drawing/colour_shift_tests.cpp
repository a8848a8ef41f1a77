// The window's colour shift applied to colours and to images that follow it.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "drawing_fixture.h"
#include "test_support.h"
#include "ui_core/drawing/ui_render.h"
#include "ui_test_support.h"

using namespace DrawingTest;
using SkinUI::CRenderUI;
using SkinUI::TImageEntryUI;
using TestSupport::ColorNear;
using TestSupport::ColorText;

TEST(ColourShift, AdjustColorShiftsHueSaturationAndLightness) {
  struct Case {
    uint32_t colour;
    short hue, saturation, lightness;
    uint32_t expected;
  } cases[] = {
      {0x80FF0000, 180, 100, 100, 0x80FF0000},  // neutral: unchanged
      {0xFFFF0000, 300, 100, 100, 0xFF00FF00},  // +120 degrees: red to green
      {0xFFFF0000, 60, 100, 100, 0xFF0000FF},   // -120 degrees: red to blue
      {0x40FF0000, 0, 100, 100, 0x4000FFFF},    // -180 degrees: cyan; alpha stays
      {0xFFFF0000, 180, 0, 100, 0xFF808080},    // no saturation: the grey of its lightness
      {0xFFFFFFFF, 180, 100, 50, 0xFF808080},   // half the lightness
      {0xFF404040, 180, 100, 400, 0xFFFFFFFF},  // lightness is capped at white
      {0xFF808080, 90, 100, 100, 0xFF808080},   // grey has no hue to turn
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ColorText(c.colour));
    const DWORD shifted = CRenderUI::AdjustColor(c.colour, c.hue, c.saturation, c.lightness);
    EXPECT_TRUE(ColorNear(shifted, c.expected, 1)) << ColorText(shifted);
  }
}

TEST(ColourShift, AdjustImageShiftsFromTheUntouchedCopyAndRestoresIt) {
  SkinFolder skin;
  WriteTestImages(skin);
  std::unique_ptr<TImageEntryUI, void (*)(TImageEntryUI*)> image(
      CRenderUI::LoadImage(L"alpha.png"), [](TImageEntryUI* e) { CRenderUI::FreeImage(e); });
  ASSERT_TRUE(image);
  const size_t bytes = static_cast<size_t>(image->width) * image->height * 4;

  // An image that does not follow the window is left alone.
  CRenderUI::AdjustImage(true, image.get(), 300, 100, 100);
  EXPECT_EQ(ImagePixel(*image, 0, 0), 0xFFFF0000u);

  image->useHsl = true;
  image->pixelCopy.reset(new uint8_t[bytes]);
  std::memcpy(image->pixelCopy.get(), image->pixels, bytes);
  CRenderUI::AdjustImage(true, image.get(), 300, 100, 100);
  EXPECT_EQ(ImagePixel(*image, 0, 0), 0xFF00FF00u);  // opaque red turned green
  // Half-transparent green turned blue and stays premultiplied (no channel above alpha).
  EXPECT_TRUE(ColorNear(ImagePixel(*image, 1, 0), 0x80000080u, 1)) << ColorText(ImagePixel(*image, 1, 0));
  EXPECT_EQ(ImagePixel(*image, 0, 1), 0u);
  // Shifting again starts from the copy, not from the shifted pixels.
  CRenderUI::AdjustImage(true, image.get(), 300, 100, 100);
  EXPECT_EQ(ImagePixel(*image, 0, 0), 0xFF00FF00u);
  // Lighter half-transparent pixels are capped at their alpha.
  CRenderUI::AdjustImage(true, image.get(), 180, 100, 300);
  const uint32_t light = ImagePixel(*image, 1, 0);
  for (int shift = 0; shift < 24; shift += 8) EXPECT_LE((light >> shift) & 0xFF, light >> 24);

  // Off, or neutral: the untouched pixels again.
  CRenderUI::AdjustImage(false, image.get(), 300, 100, 100);
  EXPECT_EQ(ImagePixel(*image, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(ImagePixel(*image, 1, 0), 0x80008000u);
  CRenderUI::AdjustImage(true, image.get(), 300, 100, 100);
  CRenderUI::AdjustImage(true, image.get(), 180, 100, 100);
  EXPECT_EQ(ImagePixel(*image, 0, 0), 0xFFFF0000u);

  CRenderUI::AdjustImage(true, nullptr, 300, 100, 100);
}
