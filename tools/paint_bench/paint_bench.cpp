// Times the painting of a 480 x 360 window of 100 controls (text through CRenderUI, nine-grid
// background images, gradients, translucent fills, borders) into a 32-bit memory DC, next to
// the same picture painted with plain GDI and msimg32 calls in the same process. Prints figures
// only.
//   paint_bench.exe [--paints N]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "base/unique_resource.h"
#include "ui_core/drawing/ui_render.h"
#include "ui_core/manager/ui_container.h"
#include "ui_core/manager/ui_control.h"
#include "ui_core/manager/ui_manager.h"

using namespace SkinUI;

namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 360;
constexpr int kPanelColumns = 3;
constexpr int kPanelRows = 3;
constexpr int kItemsPerPanel = 10;
constexpr int kPanelCorner = 6;
constexpr int kRounds = 5;

// One control of the picture, in window coordinates; the same list drives both painters.
struct Box {
  RECT rc;
  DWORD bk1 = 0;
  DWORD bk2 = 0;           // with bk1: a vertical gradient
  DWORD border = 0;        // 1 pixel
  const wchar_t* image = nullptr;  // "panel" (nine-grid) or "icon" (16 x 16 at the left)
  std::wstring text;
  bool container = false;
};

// A control whose text is drawn through CRenderUI (the base control draws none).
class BenchLabel : public CControlUI {
public:
  void PaintText(HDC hDC) override {
    if (text_.IsEmpty()) return;
    RECT rc = itemRect_;
    rc.left += 20;
    CRenderUI::DrawText(hDC, manager_, rc, text_.GetData(), 0xFF000000, -1,
                        DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
  }
};

// A top-down 32-bit BMP with straight alpha (the loader reads it like a PNG; the benchmark
// times painting, not decoding).
bool WriteBmp(const std::wstring& path, int width, int height, const std::vector<uint32_t>& argb) {
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  const DWORD pixelBytes = static_cast<DWORD>(argb.size() * sizeof(uint32_t));
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + pixelBytes;
  info.biSize = sizeof(info);
  info.biWidth = width;
  info.biHeight = -height;
  info.biPlanes = 1;
  info.biBitCount = 32;
  info.biCompression = BI_RGB;
  info.biSizeImage = pixelBytes;
  Utils::UniqueFileHandle out(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return out && ::WriteFile(out.get(), &file, sizeof(file), &written, nullptr) &&
         ::WriteFile(out.get(), &info, sizeof(info), &written, nullptr) &&
         ::WriteFile(out.get(), argb.data(), pixelBytes, &written, nullptr) &&
         written == pixelBytes;
}

// panel.bmp: 24 x 24, a translucent frame of 6 pixels with rounded-looking corners around an
// opaque light centre. icon.bmp: 16 x 16, a disc with soft edges.
void WriteImages(const std::wstring& folder) {
  std::vector<uint32_t> panel(24 * 24);
  for (int y = 0; y < 24; ++y) {
    for (int x = 0; x < 24; ++x) {
      const bool frame = x < kPanelCorner || y < kPanelCorner || x >= 24 - kPanelCorner ||
                         y >= 24 - kPanelCorner;
      const int dx = x < 12 ? x : 23 - x;
      const int dy = y < 12 ? y : 23 - y;
      uint32_t alpha = frame ? 0xC0 : 0xFF;
      if (dx + dy < 4) alpha = 0;
      panel[static_cast<size_t>(y) * 24 + x] = alpha << 24 | (frame ? 0x406080u : 0xF0F4F8u);
    }
  }
  WriteBmp(folder + L"panel.bmp", 24, 24, panel);
  std::vector<uint32_t> icon(16 * 16);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const int d2 = (x - 8) * (x - 8) + (y - 8) * (y - 8);
      const uint32_t alpha = d2 < 36 ? 0xFF : (d2 < 64 ? 0x80 : 0x00);
      icon[static_cast<size_t>(y) * 16 + x] = alpha << 24 | 0xE08020u;
    }
  }
  WriteBmp(folder + L"icon.bmp", 16, 16, icon);
}

std::vector<Box> Layout() {
  std::vector<Box> boxes;
  Box root;
  root.rc = RECT{0, 0, kWidth, kHeight};
  root.bk1 = 0xFF3050A0;
  root.bk2 = 0xFF102040;
  root.container = true;
  boxes.push_back(root);
  const int panelWidth = kWidth / kPanelColumns;
  const int panelHeight = kHeight / kPanelRows;
  for (int row = 0; row < kPanelRows; ++row) {
    for (int column = 0; column < kPanelColumns; ++column) {
      Box panel;
      panel.rc = RECT{column * panelWidth + 4, row * panelHeight + 4,
                      (column + 1) * panelWidth - 4, (row + 1) * panelHeight - 4};
      panel.image = L"panel";
      panel.border = 0xFF203040;
      panel.container = true;
      boxes.push_back(panel);
      for (int item = 0; item < kItemsPerPanel; ++item) {
        Box box;
        const int x = panel.rc.left + 6 + (item % 2) * 73;
        const int y = panel.rc.top + 6 + (item / 2) * 21;
        box.rc = RECT{x, y, x + 70, y + 19};
        switch (item % 4) {
          case 0:
            box.bk1 = 0x80FFFFFF;  // translucent
            box.image = L"icon";
            break;
          case 1:
            box.bk1 = 0xFFE0E8F0;
            box.bk2 = 0xFFA0B0C0;  // opaque gradient
            break;
          case 2:
            box.bk1 = 0xFFD0D8E0;  // opaque
            box.image = L"icon";
            break;
          default:
            box.bk1 = 0x60203040;  // translucent dark
            break;
        }
        box.border = 0xFF405060;
        box.text = L"Item " + std::to_wstring(row * 30 + column * 10 + item);
        boxes.push_back(box);
      }
    }
  }
  return boxes;
}

// --- the framework's picture ------------------------------------------------------------------

std::wstring Hex(DWORD argb) {
  wchar_t text[16];
  std::swprintf(text, 16, L"#%08X", static_cast<unsigned>(argb));
  return text;
}

std::wstring Pos(const RECT& rc, const RECT& parent) {
  return std::to_wstring(rc.left - parent.left) + L"," + std::to_wstring(rc.top - parent.top) +
         L"," + std::to_wstring(rc.right - parent.left) + L"," +
         std::to_wstring(rc.bottom - parent.top);
}

void Configure(CControlUI* control, const Box& box, const RECT& parent, bool isRoot) {
  if (!isRoot) {
    control->SetAttribute(L"float", L"true");
    control->SetAttribute(L"pos", Pos(box.rc, parent).c_str());
  }
  if (box.bk1 != 0) control->SetAttribute(L"bkcolor", Hex(box.bk1).c_str());
  if (box.bk2 != 0) control->SetAttribute(L"bkcolor2", Hex(box.bk2).c_str());
  if (box.border != 0) {
    control->SetAttribute(L"bordercolor", Hex(box.border).c_str());
    control->SetAttribute(L"bordersize", L"1");
  }
  if (box.image != nullptr && std::wcscmp(box.image, L"panel") == 0) {
    control->SetAttribute(L"bkimage", L"file='panel.bmp' corner='6,6,6,6'");
  } else if (box.image != nullptr) {
    control->SetAttribute(L"bkimage", L"file='icon.bmp' dest='2,1,18,17'");
  }
  if (!box.text.empty()) control->SetAttribute(L"text", box.text.c_str());
}

CControlUI* BuildTree(const std::vector<Box>& boxes) {
  auto* root = new CContainerUI;
  Configure(root, boxes[0], boxes[0].rc, true);
  CContainerUI* panel = nullptr;
  RECT panelRect = {};
  for (size_t i = 1; i < boxes.size(); ++i) {
    if (boxes[i].container) {
      panel = new CContainerUI;
      panelRect = boxes[i].rc;
      Configure(panel, boxes[i], boxes[0].rc, false);
      root->Add(panel);
    } else {
      auto* label = new BenchLabel;
      Configure(label, boxes[i], panelRect, false);
      panel->Add(label);
    }
  }
  return root;
}

// --- the same picture with plain calls ----------------------------------------------------------

class PlainPainter {
public:
  PlainPainter(HDC reference, const std::wstring& folder, HFONT font) : font_(font) {
    Load(reference, folder + L"panel.bmp", &panelDC_, &panelBitmap_);
    Load(reference, folder + L"icon.bmp", &iconDC_, &iconBitmap_);
    void* bits = nullptr;
    pixelBitmap_ = CreateDib32(1, 1, &bits);
    pixel_ = static_cast<uint32_t*>(bits);
    pixelDC_.reset(::CreateCompatibleDC(reference));
    ::SelectObject(pixelDC_.get(), pixelBitmap_.get());
  }

  void Paint(HDC hDC, const std::vector<Box>& boxes) {
    const HGDIOBJ oldFont = ::SelectObject(hDC, font_);
    ::SetBkMode(hDC, TRANSPARENT);
    ::SetTextColor(hDC, RGB(0, 0, 0));
    ::SetStretchBltMode(hDC, COLORONCOLOR);
    for (const Box& box : boxes) {
      if (box.bk2 != 0) {
        Gradient(hDC, box.rc, box.bk1, box.bk2);
      } else if ((box.bk1 >> 24) == 0xFF) {
        ::SetBkColor(hDC, ArgbToColorRef(box.bk1));
        ::ExtTextOutW(hDC, 0, 0, ETO_OPAQUE, &box.rc, nullptr, 0, nullptr);
      } else if (box.bk1 != 0) {
        *pixel_ = PremultiplyArgb(box.bk1);
        Blend(hDC, box.rc, pixelDC_.get(), RECT{0, 0, 1, 1});
      }
      if (box.image != nullptr && std::wcscmp(box.image, L"panel") == 0) {
        NineGrid(hDC, box.rc);
      } else if (box.image != nullptr) {
        Blend(hDC, RECT{box.rc.left + 2, box.rc.top + 1, box.rc.left + 18, box.rc.top + 17},
              iconDC_.get(), RECT{0, 0, 16, 16});
      }
      if (!box.text.empty()) {
        RECT rc = box.rc;
        rc.left += 20;
        ::DrawTextW(hDC, box.text.c_str(), -1, &rc,
                    DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
      }
      if (box.border != 0) {
        Utils::UniquePen pen(::CreatePen(PS_INSIDEFRAME, 1, ArgbToColorRef(box.border)));
        Utils::ScopedSelectObject selectPen(hDC, pen.get());
        Utils::ScopedSelectObject selectBrush(hDC, ::GetStockObject(NULL_BRUSH));
        ::Rectangle(hDC, box.rc.left, box.rc.top, box.rc.right, box.rc.bottom);
      }
    }
    ::SelectObject(hDC, oldFont);
  }

private:
  // The decoded pixels copied into a bitmap of the painter's own, selected once.
  static void Load(HDC reference, const std::wstring& path, Utils::UniqueMemoryDC* dc,
                   Utils::UniqueBitmap* bitmap) {
    TImageEntryUI* image = CRenderUI::LoadImage(path.c_str());
    if (image == nullptr) return;
    void* bits = nullptr;
    *bitmap = CreateDib32(image->width, image->height, &bits);
    if (bits != nullptr) {
      std::memcpy(bits, image->pixels, static_cast<size_t>(image->width) * image->height * 4);
    }
    CRenderUI::FreeImage(image);
    dc->reset(::CreateCompatibleDC(reference));
    ::SelectObject(dc->get(), bitmap->get());
  }

  static void Gradient(HDC hDC, const RECT& rc, DWORD from, DWORD to) {
    TRIVERTEX v[2] = {};
    v[0] = {rc.left, rc.top, static_cast<COLOR16>(((from >> 16) & 0xFF) << 8),
            static_cast<COLOR16>(((from >> 8) & 0xFF) << 8), static_cast<COLOR16>((from & 0xFF) << 8),
            0xFF00};
    v[1] = {rc.right, rc.bottom, static_cast<COLOR16>(((to >> 16) & 0xFF) << 8),
            static_cast<COLOR16>(((to >> 8) & 0xFF) << 8), static_cast<COLOR16>((to & 0xFF) << 8),
            0xFF00};
    GRADIENT_RECT g = {0, 1};
    ::GradientFill(hDC, v, 2, &g, 1, GRADIENT_FILL_RECT_V);
  }

  static void Blend(HDC hDC, const RECT& dst, HDC source, const RECT& src) {
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::AlphaBlend(hDC, dst.left, dst.top, dst.right - dst.left, dst.bottom - dst.top, source,
                 src.left, src.top, src.right - src.left, src.bottom - src.top, blend);
  }

  void NineGrid(HDC hDC, const RECT& d) {
    const int c = kPanelCorner;
    const int s = 24;
    const HDC p = panelDC_.get();
    Blend(hDC, RECT{d.left + c, d.top + c, d.right - c, d.bottom - c}, p, RECT{c, c, s - c, s - c});
    Blend(hDC, RECT{d.left, d.top, d.left + c, d.top + c}, p, RECT{0, 0, c, c});
    Blend(hDC, RECT{d.right - c, d.top, d.right, d.top + c}, p, RECT{s - c, 0, s, c});
    Blend(hDC, RECT{d.left, d.bottom - c, d.left + c, d.bottom}, p, RECT{0, s - c, c, s});
    Blend(hDC, RECT{d.right - c, d.bottom - c, d.right, d.bottom}, p, RECT{s - c, s - c, s, s});
    Blend(hDC, RECT{d.left, d.top + c, d.left + c, d.bottom - c}, p, RECT{0, c, c, s - c});
    Blend(hDC, RECT{d.left + c, d.top, d.right - c, d.top + c}, p, RECT{c, 0, s - c, c});
    Blend(hDC, RECT{d.right - c, d.top + c, d.right, d.bottom - c}, p, RECT{s - c, c, s, s - c});
    Blend(hDC, RECT{d.left + c, d.bottom - c, d.right - c, d.bottom}, p, RECT{c, s - c, s - c, s});
  }

  HFONT font_;
  Utils::UniqueMemoryDC panelDC_, iconDC_, pixelDC_;
  Utils::UniqueBitmap panelBitmap_, iconBitmap_, pixelBitmap_;
  uint32_t* pixel_ = nullptr;
};

// --- timing -------------------------------------------------------------------------------------

class Canvas {
public:
  Canvas() : dc_(::CreateCompatibleDC(nullptr)) {
    void* bits = nullptr;
    bitmap_ = CreateDib32(kWidth, kHeight, &bits);
    pixels_ = static_cast<uint32_t*>(bits);
    old_ = ::SelectObject(dc_.get(), bitmap_.get());
  }
  ~Canvas() { ::SelectObject(dc_.get(), old_); }
  HDC dc() const { return dc_.get(); }
  void Clear() {
    ::GdiFlush();
    std::memset(pixels_, 0, static_cast<size_t>(kWidth) * kHeight * 4);
  }
  const uint32_t* pixels() const {
    ::GdiFlush();
    return pixels_;
  }

private:
  Utils::UniqueMemoryDC dc_;
  Utils::UniqueBitmap bitmap_;
  uint32_t* pixels_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <typename PaintOnce>
double MillisecondsPerPaint(Canvas& canvas, int paints, PaintOnce paint) {
  canvas.Clear();
  paint();  // warm-up
  ::GdiFlush();
  const double start = Now();
  for (int i = 0; i < paints; ++i) paint();
  ::GdiFlush();
  return (Now() - start) * 1000.0 / paints;
}

std::wstring TempFolder() {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + L"paint_bench_" +
                        std::to_wstring(::GetCurrentProcessId()) + L"\\";
  ::CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int paints = 200;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::wcscmp(argv[i], L"--paints") == 0) paints = std::max(1, _wtoi(argv[i + 1]));
  }
  const std::wstring folder = TempFolder();
  WriteImages(folder);
  CWindowManagerUI::SetInstance(::GetModuleHandleW(nullptr));
  CWindowManagerUI::SetResourcePath(folder.c_str());

  WNDCLASSW wc = {};
  wc.lpfnWndProc = &HostProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = L"PaintBenchHost";
  ::RegisterClassW(&wc);
  Utils::UniqueWindow window(::CreateWindowExW(0, wc.lpszClassName, L"paint bench", WS_POPUP, 0,
                                               0, kWidth, kHeight, nullptr, nullptr,
                                               wc.hInstance, nullptr));
  double framework = 0;
  double plain = 0;
  double differing = 0;
  {
    CWindowManagerUI manager;
    manager.Init(window.get());
    const std::vector<Box> boxes = Layout();
    CControlUI* root = BuildTree(boxes);
    manager.AttachDialog(root);
    root->SetPos(RECT{0, 0, kWidth, kHeight}, false);
    const RECT all = {0, 0, kWidth, kHeight};

    Canvas skinCanvas;
    Canvas plainCanvas;
    PlainPainter painter(plainCanvas.dc(), folder, manager.GetFont(-1));
    // Rounds taken in turn; the best of each side counts, so that a busy machine in one round
    // does not decide the ratio.
    for (int round = 0; round < kRounds; ++round) {
      const double tree =
          MillisecondsPerPaint(skinCanvas, paints, [&] { root->Paint(skinCanvas.dc(), all); });
      const double gdi =
          MillisecondsPerPaint(plainCanvas, paints, [&] { painter.Paint(plainCanvas.dc(), boxes); });
      framework = round == 0 ? tree : std::min(framework, tree);
      plain = round == 0 ? gdi : std::min(plain, gdi);
    }

    // How alike the two pictures are (RGB; a channel off by more than 8 counts).
    const uint32_t* a = skinCanvas.pixels();
    const uint32_t* b = plainCanvas.pixels();
    int count = 0;
    for (int i = 0; i < kWidth * kHeight; ++i) {
      for (int shift = 0; shift < 24; shift += 8) {
        if (std::abs(static_cast<int>((a[i] >> shift) & 0xFF) -
                     static_cast<int>((b[i] >> shift) & 0xFF)) > 8) {
          ++count;
          break;
        }
      }
    }
    differing = 100.0 * count / (kWidth * kHeight);
  }
  ::DeleteFileW((folder + L"panel.bmp").c_str());
  ::DeleteFileW((folder + L"icon.bmp").c_str());
  ::RemoveDirectoryW(folder.c_str());

  std::printf("controls:        100 (480 x 360), best of %d rounds of %d paints\n", kRounds, paints);
  std::printf("SkinUI tree:     %.3f ms/paint\n", framework);
  std::printf("plain GDI:       %.3f ms/paint\n", plain);
  std::printf("ratio:           %.2f (SkinUI / plain; goal <= 1.5)\n", plain > 0 ? framework / plain : 0.0);
  std::printf("pixels apart:    %.2f%% (channel difference above 8)\n", differing);
  return 0;
}
