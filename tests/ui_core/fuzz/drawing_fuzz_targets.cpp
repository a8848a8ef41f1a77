// Fuzz targets of the drawing code's text inputs: image descriptions and the mark-up of rich
// labels. Both take the input as UTF-8 (invalid bytes become U+FFFD), draw it into a 32-bit DIB
// through a window manager without a window, and measure it; the skin folder holds one small
// PNG (a.png, 3 x 2 with alpha) so that descriptions and inline images can name a real file.
#include <windows.h>

#include <string>
#include <vector>

#include "fuzz_targets.h"
#include "test_support.h"
#include "ui_core/drawing/ui_render.h"
#include "ui_core/manager/ui_globals.h"
#include "ui_core/manager/ui_manager.h"

using namespace SkinUI;

namespace {

const uint8_t kSmallPng[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52,
    0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x02, 0x08, 0x06, 0x00, 0x00, 0x00, 0x9D, 0x74, 0x66,
    0x1A, 0x00, 0x00, 0x00, 0x1A, 0x49, 0x44, 0x41, 0x54, 0x78, 0xDA, 0x63, 0xF8, 0xCF, 0xC0, 0xF0,
    0x1F, 0x08, 0x1B, 0x40, 0x14, 0xC3, 0x7F, 0x10, 0x13, 0x44, 0xFD, 0xFF, 0xEF, 0x00, 0x00, 0x88,
    0xDA, 0x0B, 0xB6, 0x6B, 0x3F, 0x34, 0x01, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE,
    0x42, 0x60, 0x82};

// What every input draws with, made on first use and kept for the run.
struct DrawingBench {
  TestSupport::ScratchDir skin{L"fuzzskin"};
  CWindowManagerUI manager;
  Utils::UniqueMemoryDC dc{::CreateCompatibleDC(nullptr)};
  Utils::UniqueBitmap bitmap;
  HGDIOBJ oldBitmap = nullptr;

  DrawingBench() {
    TestSupport::WriteBytes(skin.File(L"a.png"),
                            std::string(reinterpret_cast<const char*>(kSmallPng), sizeof(kSmallPng)));
    bitmap = CreateDib32(200, 80, nullptr);
    oldBitmap = ::SelectObject(dc.get(), bitmap.get());
  }
  ~DrawingBench() { ::SelectObject(dc.get(), oldBitmap); }

  // Fonts and images that one input added must not pile up over the run.
  void Forget() {
    manager.RemoveAllFonts();
    manager.RemoveAllImages();
  }
};

DrawingBench& Bench() {
  static DrawingBench bench;
  return bench;
}

// The bench's folder is the skin folder for one input; the other targets keep theirs.
class SkinFolderForInput {
public:
  explicit SkinFolderForInput(const DrawingBench& bench)
      : oldFolder_(CWindowManagerUI::GetResourcePath()) {
    CWindowManagerUI::SetResourcePath(bench.skin.Path().c_str());
  }
  ~SkinFolderForInput() { CWindowManagerUI::SetResourcePath(oldFolder_.GetData()); }
  SkinFolderForInput(const SkinFolderForInput&) = delete;
  SkinFolderForInput& operator=(const SkinFolderForInput&) = delete;

private:
  CStringUI oldFolder_;
};

std::wstring FromUtf8(const uint8_t* data, size_t size) {
  if (size == 0) return std::wstring();
  const int length = ::MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(data),
                                           static_cast<int>(size), nullptr, 0);
  std::wstring text(static_cast<size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0) {
    ::MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(data), static_cast<int>(size),
                          &text[0], length);
  }
  return text;
}

}  // namespace

int FuzzImageDescOne(const uint8_t* data, size_t size) {
  DrawingBench& bench = Bench();
  const SkinFolderForInput folder(bench);
  const std::wstring text = FromUtf8(data, size);
  TImageDescUI desc(text.c_str());
  desc.Parse();
  TImageDescUI drawn(text.c_str());
  const bool loaded =
      CRenderUI::DrawImageString(bench.dc.get(), &bench.manager, RECT{10, 10, 150, 70},
                                 RECT{0, 0, 200, 80}, drawn);
  // Drawn again: the parsed record, another item and a paint rect that cuts it.
  CRenderUI::DrawImageString(bench.dc.get(), &bench.manager, RECT{-40, -40, 260, 120},
                             RECT{20, 5, 90, 60}, drawn);
  bench.Forget();
  return loaded ? 2 : 1;
}

int FuzzMarkupOne(const uint8_t* data, size_t size) {
  DrawingBench& bench = Bench();
  const SkinFolderForInput folder(bench);
  const std::wstring text = FromUtf8(data, size);
  const UINT styles[] = {DT_SINGLELINE | DT_END_ELLIPSIS | DT_CENTER | DT_VCENTER, DT_WORDBREAK,
                         DT_WORDBREAK | DT_RIGHT | DT_BOTTOM | DT_END_ELLIPSIS, 0};
  RECT links[4] = {};
  CStringUI linkTexts[4];
  int found = 0;
  for (UINT style : styles) {
    RECT rc = {4, 4, 196, 76};
    int count = 4;
    CRenderUI::DrawHtmlText(bench.dc.get(), &bench.manager, rc, text.c_str(), 0xFF102030, links,
                            linkTexts, &count, -1, style);
    found += count;
  }
  RECT measured = {0, 0, 120, 9999};
  CRenderUI::DrawHtmlText(bench.dc.get(), &bench.manager, measured, text.c_str(), 0xFF000000,
                          nullptr, nullptr, nullptr, -1, DT_WORDBREAK | DT_CALCRECT);
  bench.Forget();
  return 1 + found;
}
