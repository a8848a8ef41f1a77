// Drawing image descriptions into a control's rect: the rectangles they draw, nine-grid
// corners, masks, holes, tiling, fades, and descriptions whose image is missing.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "drawing_fixture.h"
#include "test_support.h"
#include "ui_core/drawing/ui_render.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_test_support.h"

using namespace DrawingTest;
using SkinUI::CRenderUI;
using SkinUI::TImageDescUI;
using SkinUI::TImageEntryUI;
using TestSupport::ColorText;
using TestSupport::DibCanvas;

namespace {

// The control's rect on a 40 x 40 white canvas.
constexpr RECT kItem = {10, 10, 30, 30};
constexpr RECT kPaint = {0, 0, 40, 40};

struct Probe {
  int x;
  int y;
  uint32_t rgb;
};

struct DrawCase {
  const wchar_t* description;
  std::vector<Probe> probes;
};

constexpr uint32_t kBlank = 0xFFFFFF;
constexpr uint32_t kCentreRgb = kCentre & 0xFFFFFF;

uint32_t StripeAt(int offset) { return offset % 4 < 2 ? 0xFF0000 : 0x0000FF; }

std::vector<DrawCase> Cases() {
  std::vector<DrawCase> cases = {
      // A bare name: the whole image stretched over the whole rect, nothing outside it.
      {L"grid.png", {{10, 10, 0xFF0000}, {29, 29, 0xFFFF00}, {20, 20, kCentreRgb},
                     {11, 20, 0x808080}, {9, 9, kBlank}, {30, 30, kBlank}}},
      // Nine-grid: corners unstretched, edges stretched along their length, centre stretched.
      {L"file='grid.png' corner='2,2,2,2'",
       {{10, 10, 0xFF0000}, {11, 11, 0xFF0000}, {12, 12, kCentreRgb}, {28, 10, 0x00FF00},
        {29, 11, 0x00FF00}, {10, 28, 0x0000FF}, {29, 29, 0xFFFF00}, {20, 10, 0xFF00FF},
        {20, 11, 0xFF00FF}, {10, 20, 0x808080}, {29, 20, 0xFF8000}, {20, 29, 0x00FFFF},
        {20, 20, kCentreRgb}, {27, 27, kCentreRgb}}},
      // dest places the image inside the rect.
      {L"file='grid.png' dest='2,2,8,8'",
       {{12, 12, 0xFF0000}, {11, 11, kBlank}, {17, 17, 0xFFFF00}, {18, 18, kBlank},
        {14, 14, kCentreRgb}}},
      // A dest larger than the control is cut at its right and bottom.
      {L"file='grid.png' dest='10,10,100,100'",
       {{20, 20, 0xFF0000}, {29, 29, 0xFFFF00}, {19, 19, kBlank}, {30, 30, kBlank},
        {35, 35, kBlank}}},
      // source picks a part of the bitmap; one wider than the image is clamped to it.
      {L"file='grid.png' source='0,0,2,2'", {{10, 10, 0xFF0000}, {29, 29, 0xFF0000}, {20, 20, 0xFF0000}}},
      {L"file='grid.png' source='4,4,100,100'", {{10, 10, 0xFFFF00}, {29, 29, 0xFFFF00}}},
      // A hole leaves the centre as it was.
      {L"file='grid.png' corner='2,2,2,2' hole='true'",
       {{20, 20, kBlank}, {13, 13, kBlank}, {10, 10, 0xFF0000}, {20, 10, 0xFF00FF}, {29, 29, 0xFFFF00}}},
      // Solid colours.
      {L"color='#FFFF0000'", {{10, 10, 0xFF0000}, {29, 29, 0xFF0000}, {9, 9, kBlank}}},
      {L"color='#80FF0000'", {{20, 20, 0xFF7F7F}, {9, 9, kBlank}}},
      // A fade blends an opaque image at that constant alpha.
      {L"file='blue.png' fade='128'", {{20, 20, 0x7F7FFF}}},
      // The masked pixel is transparent.
      {L"file='redblue.png' mask='#FFFF0000'", {{12, 20, kBlank}, {25, 20, 0x0000FF}}},
      // Per-pixel alpha over white: half green, fully transparent, opaque.
      {L"file='alpha.png'",
       {{12, 12, 0xFF0000}, {25, 12, 0x7FFF7F}, {12, 25, kBlank}, {25, 25, 0x0000FF}}},
      // Horizontal tiling: 4-pixel tiles left to right, each stretched to the height.
      {L"file='stripes.png' xtiled='true'",
       {{10, 15, StripeAt(0)}, {11, 15, StripeAt(1)}, {12, 15, StripeAt(2)}, {13, 25, StripeAt(3)},
        {14, 15, StripeAt(4)}, {29, 29, StripeAt(19)}}},
      // The last tile is cut.
      {L"file='stripes.png' xtiled='true' dest='0,0,18,20'",
       {{26, 20, 0xFF0000}, {27, 20, 0xFF0000}, {28, 20, kBlank}}},
      // Vertical tiling.
      {L"file='vstripes.png' ytiled='true'",
       {{15, 10, StripeAt(0)}, {15, 12, StripeAt(2)}, {25, 13, StripeAt(3)}, {15, 29, StripeAt(19)}}},
      // Both ways: a grid of unstretched tiles.
      {L"file='checker.png' xtiled='true' ytiled='true'",
       {{10, 10, 0xFF0000}, {11, 10, 0x0000FF}, {10, 11, 0x0000FF}, {11, 11, 0xFF0000},
        {29, 28, 0x0000FF}, {29, 29, 0xFF0000}}},
      // Corners that leave no source centre: the centre is skipped, never looped over.
      {L"file='grid.png' corner='3,3,3,3' xtiled='true' ytiled='true'",
       {{10, 10, 0xFF0000}, {20, 20, kBlank}, {29, 29, 0xFFFF00}}},
      {L"file='grid.png' corner='3,3,3,3' xtiled='true'", {{10, 10, 0xFF0000}, {20, 20, kBlank}}},
      // Corners wider than the rect do not break anything.
      {L"file='grid.png' corner='20,20,20,20'", {{10, 10, 0xFF0000}, {35, 35, kBlank}}},
  };
  return cases;
}

class ImageDrawing : public ::testing::Test {
protected:
  ImageDrawing() { WriteTestImages(skin_); }

  SkinFolder skin_;
  TestSupport::TestHostWindow host_;
};

}  // namespace

TEST_F(ImageDrawing, EachDescriptionDrawsWhereItSays) {
  for (const DrawCase& c : Cases()) {
    SCOPED_TRACE(TestSupport::ToUtf8(c.description));
    DibCanvas canvas(40, 40);
    TImageDescUI desc(c.description);
    EXPECT_TRUE(CRenderUI::DrawImageString(canvas.dc(), &host_.manager(), kItem, kPaint, desc));
    for (const Probe& p : c.probes) {
      const uint32_t actual = canvas.Pixel(p.x, p.y);
      EXPECT_TRUE(RgbNear(actual, p.rgb)) << "at " << p.x << "," << p.y << ": " << ColorText(actual)
                                          << " expected " << ColorText(p.rgb);
    }
  }
}

TEST_F(ImageDrawing, TranslucentColourHandsPremultipliedPixels) {
  // Over a transparent background (as in a layered window's bitmap) the pixel is the
  // premultiplied colour itself.
  DibCanvas canvas(40, 40, 0x00000000);
  TImageDescUI desc(L"color='#80FF0000'");
  ASSERT_TRUE(CRenderUI::DrawImageString(canvas.dc(), &host_.manager(), kItem, kPaint, desc));
  EXPECT_TRUE(TestSupport::ColorNear(canvas.Pixel(20, 20), 0x80800000, 1))
      << ColorText(canvas.Pixel(20, 20));
  EXPECT_EQ(canvas.Pixel(5, 5), 0u);

  DibCanvas white(40, 40);
  TImageDescUI again(L"color='#80FF0000'");
  ASSERT_TRUE(CRenderUI::DrawImageString(white.dc(), &host_.manager(), kItem, kPaint, again));
  EXPECT_TRUE(TestSupport::ColorNear(white.Pixel(20, 20), 0xFFFF7F7F, 2))
      << ColorText(white.Pixel(20, 20));
}

TEST_F(ImageDrawing, OnlyThePaintRectIsDrawnOfUnstretchedParts) {
  DibCanvas canvas(40, 40);
  TImageDescUI desc(L"file='grid.png' dest='0,0,6,6'");
  const RECT paint = {10, 10, 13, 13};
  ASSERT_TRUE(CRenderUI::DrawImageString(canvas.dc(), &host_.manager(), kItem, paint, desc));
  EXPECT_TRUE(RgbNear(canvas.Pixel(10, 10), 0xFF0000));
  EXPECT_TRUE(RgbNear(canvas.Pixel(12, 12), kCentreRgb));
  EXPECT_TRUE(RgbNear(canvas.Pixel(13, 13), kBlank));
  EXPECT_TRUE(RgbNear(canvas.Pixel(15, 10), kBlank));

  // A dest outside the paint rect draws nothing and still counts as drawn.
  DibCanvas other(40, 40);
  TImageDescUI outside(L"file='grid.png' dest='15,15,20,20'");
  EXPECT_TRUE(CRenderUI::DrawImageString(other.dc(), &host_.manager(), kItem, paint, outside));
  EXPECT_TRUE(RgbNear(other.Pixel(27, 27), kBlank));
}

TEST_F(ImageDrawing, MissingImageIsLookedUpOnceAndDrawsNothing) {
  DibCanvas canvas(40, 40);
  TImageDescUI desc(L"file='late.png'");
  EXPECT_FALSE(CRenderUI::DrawImageString(canvas.dc(), &host_.manager(), kItem, kPaint, desc));
  EXPECT_TRUE(desc.parsed);
  EXPECT_EQ(desc.image, nullptr);

  // The file appears, but the record is not looked up again until it is cleared.
  ASSERT_TRUE(skin_.AddPng(L"late.png", 1, 1, {kRed}));
  EXPECT_FALSE(CRenderUI::DrawImageString(canvas.dc(), &host_.manager(), kItem, kPaint, desc));
  EXPECT_TRUE(RgbNear(canvas.Pixel(20, 20), kBlank));

  desc.SetDescription(L"file='late.png'");
  EXPECT_TRUE(CRenderUI::DrawImageString(canvas.dc(), &host_.manager(), kItem, kPaint, desc));
  EXPECT_TRUE(RgbNear(canvas.Pixel(20, 20), 0xFF0000));
}

TEST_F(ImageDrawing, EmptyDescriptionsNullDcAndMissingManager) {
  DibCanvas canvas(40, 40);
  TImageDescUI empty;
  EXPECT_FALSE(CRenderUI::DrawImageString(canvas.dc(), &host_.manager(), kItem, kPaint, empty));
  EXPECT_FALSE(CRenderUI::DrawImageString(canvas.dc(), &host_.manager(), kItem, kPaint, empty));

  // Without a window nothing can be loaded yet; the record waits for one.
  TImageDescUI waiting(L"file='grid.png' source='0,0,2,2'");
  EXPECT_TRUE(CRenderUI::DrawImageString(canvas.dc(), nullptr, kItem, kPaint, waiting));
  EXPECT_FALSE(waiting.parsed);
  EXPECT_TRUE(RgbNear(canvas.Pixel(20, 20), kBlank));

  // Without a DC the image is loaded, nothing drawn.
  TImageDescUI loadOnly(L"grid.png");
  EXPECT_TRUE(CRenderUI::DrawImageString(nullptr, &host_.manager(), kItem, kPaint, loadOnly));
  ASSERT_NE(loadOnly.image, nullptr);
  EXPECT_EQ(loadOnly.source.right, 6);
  EXPECT_EQ(loadOnly.source.bottom, 6);
  EXPECT_TRUE(loadOnly.IsLoaded(L"grid.png"));

  // The same image is shared through the window's image table.
  TImageDescUI second(L"file='grid.png' corner='1,1,1,1'");
  EXPECT_TRUE(CRenderUI::DrawImageString(nullptr, &host_.manager(), kItem, kPaint, second));
  EXPECT_EQ(second.image, loadOnly.image);
}

TEST_F(ImageDrawing, DrawImageIgnoresEmptyAndOutOfRangeInput) {
  DibCanvas canvas(40, 40);
  TImageDescUI desc(L"grid.png");
  ASSERT_TRUE(CRenderUI::DrawImageString(nullptr, &host_.manager(), kItem, kPaint, desc));
  HBITMAP bitmap = desc.image->bitmap.get();
  const RECT zero = {0, 0, 0, 0};
  const RECT whole = {0, 0, 6, 6};
  CRenderUI::DrawImage(nullptr, bitmap, kItem, kPaint, whole, zero, false);
  CRenderUI::DrawImage(canvas.dc(), nullptr, kItem, kPaint, whole, zero, false);
  CRenderUI::DrawImage(canvas.dc(), bitmap, RECT{30, 30, 10, 10}, kPaint, whole, zero, false);
  CRenderUI::DrawImage(canvas.dc(), bitmap, kItem, kPaint, RECT{7, 7, 20, 20}, zero, false);
  CRenderUI::DrawImage(canvas.dc(), bitmap, kItem, kPaint, RECT{4, 4, 2, 2}, zero, true);
  CRenderUI::DrawImage(canvas.dc(), bitmap, kItem, kPaint, whole, RECT{-5, -5, -5, -5}, true, 255,
                       false, true, true);
  EXPECT_TRUE(RgbNear(canvas.Pixel(10, 10), 0xFF0000));  // the last call drew the whole image
  EXPECT_TRUE(RgbNear(canvas.Pixel(35, 35), kBlank));
}

TEST_F(ImageDrawing, AnyBitmapDrawsAndFreedImagesLeaveNothingBehind) {
  // A bitmap that is not a loaded image is selected for the one call.
  void* bits = nullptr;
  Utils::UniqueBitmap plain = SkinUI::CreateDib32(2, 1, &bits);
  ASSERT_TRUE(plain);
  const uint32_t pixels[2] = {0xFFFF0000, 0xFF0000FF};
  std::memcpy(bits, pixels, sizeof(pixels));
  const RECT zero = {0, 0, 0, 0};
  DibCanvas canvas(40, 40);
  CRenderUI::DrawImage(canvas.dc(), plain.get(), kItem, kPaint, RECT{0, 0, 2, 1}, zero, false);
  EXPECT_TRUE(RgbNear(canvas.Pixel(12, 20), 0xFF0000));
  EXPECT_TRUE(RgbNear(canvas.Pixel(25, 20), 0x0000FF));
  // It is not kept selected: the caller can still use and delete it.
  Utils::UniqueMemoryDC other(::CreateCompatibleDC(nullptr));
  const HGDIOBJ old = ::SelectObject(other.get(), plain.get());
  EXPECT_NE(old, nullptr);
  // While it is selected elsewhere it cannot be drawn; nothing happens.
  DibCanvas busy(40, 40);
  CRenderUI::DrawImage(busy.dc(), plain.get(), kItem, kPaint, RECT{0, 0, 2, 1}, zero, false);
  EXPECT_TRUE(RgbNear(busy.Pixel(12, 20), kBlank));
  ::SelectObject(other.get(), old);
  EXPECT_TRUE(::DeleteObject(plain.release()));

  // Images loaded, drawn, freed and loaded again draw their own pixels every time.
  for (int round = 0; round < 3; ++round) {
    TImageEntryUI* red = CRenderUI::LoadImage(L"redblue.png");
    TImageEntryUI* grid = CRenderUI::LoadImage(L"grid.png");
    ASSERT_NE(red, nullptr);
    ASSERT_NE(grid, nullptr);
    DibCanvas target(40, 40);
    CRenderUI::DrawImage(target.dc(), red->bitmap.get(), kItem, kPaint, RECT{0, 0, 2, 1}, zero, false);
    EXPECT_TRUE(RgbNear(target.Pixel(12, 20), 0xFF0000));
    CRenderUI::FreeImage(red);
    CRenderUI::DrawImage(target.dc(), grid->bitmap.get(), kItem, kPaint, RECT{0, 0, 6, 6}, zero, false);
    EXPECT_TRUE(RgbNear(target.Pixel(29, 29), 0xFFFF00));
    // FreeImage without deleting the record lets go of the bitmap too.
    CRenderUI::FreeImage(grid, false);
    EXPECT_FALSE(grid->bitmap);
    EXPECT_FALSE(grid->dc);
    delete grid;
  }
}
