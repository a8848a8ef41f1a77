#pragma once
// What the drawing tests share: PNG files written at test time, a skin folder that is the
// resource folder while it lives, and colour checks that ignore the alpha byte where GDI leaves
// it undefined.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "test_support.h"
#include "ui_core/drawing/ui_image.h"
#include "ui_core/values/ui_string.h"

namespace DrawingTest {

// Straight (not premultiplied) 0xAARRGGBB pixels, row by row.
using Pixels = std::vector<uint32_t>;

std::string EncodePng(int width, int height, const Pixels& argb);
bool WritePng(const std::wstring& path, int width, int height, const Pixels& argb);

// The canvas pixel without its alpha byte.
inline uint32_t Rgb(uint32_t argb) { return argb & 0x00FFFFFFu; }
// Red, green and blue within the tolerance (alpha not compared).
bool RgbNear(uint32_t actual, uint32_t expectedRgb, int tolerance = 2);

// A pixel of a loaded image (premultiplied BGRA read as 0xAARRGGBB).
uint32_t ImagePixel(const SkinUI::TImageEntryUI& image, int x, int y);

// The resource folder (and archive settings) point at a fresh scratch folder while this lives;
// the settings before are restored afterwards.
class SkinFolder {
public:
  SkinFolder();
  ~SkinFolder();
  SkinFolder(const SkinFolder&) = delete;
  SkinFolder& operator=(const SkinFolder&) = delete;

  const std::wstring& Path() const { return dir_.Path(); }
  std::wstring File(const std::wstring& name) const { return dir_.File(name); }
  bool AddPng(const std::wstring& name, int width, int height, const Pixels& argb) const {
    return WritePng(File(name), width, height, argb);
  }

private:
  TestSupport::ScratchDir dir_;
  SkinUI::CStringUI oldPath_;
  SkinUI::CStringUI oldArchive_;
  bool oldIs7z_ = false;
};

// The test images (straight ARGB). grid: 6 x 6, a 2-pixel frame of eight colours around a 2 x 2
// centre, so that each of the nine parts of a nine-grid has a colour of its own.
constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint32_t kYellow = 0xFFFFFF00;
constexpr uint32_t kMagenta = 0xFFFF00FF;
constexpr uint32_t kCyan = 0xFF00FFFF;
constexpr uint32_t kGray = 0xFF808080;
constexpr uint32_t kOrange = 0xFFFF8000;
constexpr uint32_t kCentre = 0xFF204060;
constexpr uint32_t kWhite = 0xFFFFFFFF;

// Top-left red, top edge magenta, top-right green, left edge gray, centre kCentre, right edge
// orange, bottom-left blue, bottom edge cyan, bottom-right yellow.
Pixels GridPixels();
// Every file the image tests use, written into the folder.
void WriteTestImages(const SkinFolder& skin);

}  // namespace DrawingTest
