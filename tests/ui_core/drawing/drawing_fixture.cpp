#include "drawing_fixture.h"

#include <cstdlib>
#include <cstring>

#include "ui_core/manager/ui_globals.h"
#include "ui_test_support.h"
#include "ui_core/manager/ui_manager.h"

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#endif
#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace DrawingTest {
namespace {

void AppendBytes(void* context, void* data, int size) {
  static_cast<std::string*>(context)->append(static_cast<const char*>(data),
                                             static_cast<size_t>(size));
}

}  // namespace

std::string EncodePng(int width, int height, const Pixels& argb) {
  std::vector<uint8_t> rgba(argb.size() * 4);
  for (size_t i = 0; i < argb.size(); ++i) {
    rgba[i * 4 + 0] = static_cast<uint8_t>(argb[i] >> 16);
    rgba[i * 4 + 1] = static_cast<uint8_t>(argb[i] >> 8);
    rgba[i * 4 + 2] = static_cast<uint8_t>(argb[i]);
    rgba[i * 4 + 3] = static_cast<uint8_t>(argb[i] >> 24);
  }
  std::string png;
  stbi_write_png_to_func(&AppendBytes, &png, width, height, 4, rgba.data(), width * 4);
  return png;
}

bool WritePng(const std::wstring& path, int width, int height, const Pixels& argb) {
  const std::string png = EncodePng(width, height, argb);
  return !png.empty() && TestSupport::WriteBytes(path, png);
}

bool RgbNear(uint32_t actual, uint32_t expectedRgb, int tolerance) {
  return TestSupport::ColorNear(actual | 0xFF000000u, expectedRgb | 0xFF000000u, tolerance);
}

uint32_t ImagePixel(const SkinUI::TImageEntryUI& image, int x, int y) {
  uint32_t pixel = 0;
  std::memcpy(&pixel, image.pixels + (static_cast<size_t>(y) * image.width + x) * 4, 4);
  return pixel;
}

SkinFolder::SkinFolder() : dir_(L"draw") {
  using SkinUI::CWindowManagerUI;
  oldPath_ = CWindowManagerUI::GetResourcePath();
  oldArchive_ = CWindowManagerUI::GetResourceZip();
  oldIs7z_ = CWindowManagerUI::IsResourceArchive7z();
  CWindowManagerUI::SetResourceZip(L"");
  CWindowManagerUI::SetResourcePath(dir_.Path().c_str());
}

SkinFolder::~SkinFolder() {
  using SkinUI::CWindowManagerUI;
  CWindowManagerUI::SetResourceZip(oldArchive_.GetData());
  CWindowManagerUI::SetResourceArchive7z(oldIs7z_);
  CWindowManagerUI::SetResourcePath(oldPath_.GetData());
}

Pixels GridPixels() {
  Pixels p(36);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 6; ++x) {
      const int col = x < 2 ? 0 : (x < 4 ? 1 : 2);
      const int row = y < 2 ? 0 : (y < 4 ? 1 : 2);
      static const uint32_t kParts[3][3] = {{kRed, kMagenta, kGreen},
                                            {kGray, kCentre, kOrange},
                                            {kBlue, kCyan, kYellow}};
      p[static_cast<size_t>(y) * 6 + x] = kParts[row][col];
    }
  }
  return p;
}

void WriteTestImages(const SkinFolder& skin) {
  skin.AddPng(L"grid.png", 6, 6, GridPixels());
  // 2 x 2: opaque red, half-transparent green, fully transparent, opaque blue.
  skin.AddPng(L"alpha.png", 2, 2, {kRed, 0x8000FF00, 0x00000000, kBlue});
  skin.AddPng(L"blue.png", 2, 2, {kBlue, kBlue, kBlue, kBlue});
  // 2 x 1: red, blue (the red one is masked away in the tests).
  skin.AddPng(L"redblue.png", 2, 1, {kRed, kBlue});
  // 4 x 1 columns red, red, blue, blue: one tile of horizontal stripes.
  skin.AddPng(L"stripes.png", 4, 1, {kRed, kRed, kBlue, kBlue});
  // 1 x 4 rows red, red, blue, blue.
  skin.AddPng(L"vstripes.png", 1, 4, {kRed, kRed, kBlue, kBlue});
  // 2 x 2 checker board.
  skin.AddPng(L"checker.png", 2, 2, {kRed, kBlue, kBlue, kRed});
  // Three frames of 2 x 2 side by side: red, green, blue.
  skin.AddPng(L"frames.png", 6, 2,
              {kRed, kRed, kGreen, kGreen, kBlue, kBlue, kRed, kRed, kGreen, kGreen, kBlue, kBlue});
  ::CreateDirectoryW(skin.File(L"sub").c_str(), nullptr);
  skin.AddPng(L"sub\\inner.png", 1, 1, {kGreen});
}

}  // namespace DrawingTest
