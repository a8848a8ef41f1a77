// The installer as a program: one copy at a time, a broken skin ends it, and its start page as
// the screen shows it (background, install button, Chinese texts drawn as glyphs).
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include <stb_image.h>

#include "app_ui_support.h"
#include "engine/registry.h"
#include "test_support.h"

namespace {

std::wstring Program(const char* unixPath) { return TestSupport::UnixToWinePath(unixPath); }

struct WindowSearch {
  DWORD pid;
  const wchar_t* windowClass;  // null: any
  const wchar_t* title;        // null: any
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
  auto* s = reinterpret_cast<WindowSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  wchar_t cls[128] = L"", text[128] = L"";
  GetClassNameW(window, cls, 128);
  GetWindowTextW(window, text, 128);
  if (pid == s->pid && IsWindowVisible(window) &&
      (s->windowClass == nullptr || wcscmp(cls, s->windowClass) == 0) &&
      (s->title == nullptr || wcscmp(text, s->title) == 0)) {
    s->found = window;
    return FALSE;
  }
  return TRUE;
}

// A started program, ended (if it still runs) when the test is over.
class Child {
public:
  explicit Child(const std::wstring& exe) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW si = {sizeof(si)};
    started_ = CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &si, &pi_) != FALSE;
  }
  ~Child() {
    if (!started_) return;
    if (WaitForSingleObject(pi_.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(pi_.hProcess, 9);
    WaitForSingleObject(pi_.hProcess, 5000);
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
  }
  bool Started() const { return started_; }
  DWORD Pid() const { return pi_.dwProcessId; }
  // The exit code once the program ended within the limit; nothing otherwise.
  std::optional<DWORD> WaitExit(DWORD limitMs) {
    if (WaitForSingleObject(pi_.hProcess, limitMs) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
  }
  // A visible top-level window of this program with that class (or any, for null) and, when
  // given, that title; waits up to the limit.
  HWND WaitWindow(const wchar_t* windowClass, const wchar_t* title, DWORD limitMs) {
    WindowSearch state = {pi_.dwProcessId, windowClass, title, nullptr};
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < limitMs) {
      EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&state));
      if (state.found != nullptr) return state.found;
      if (WaitForSingleObject(pi_.hProcess, 20) == WAIT_OBJECT_0) return nullptr;
    }
    return nullptr;
  }

private:
  PROCESS_INFORMATION pi_ = {};
  bool started_ = false;
};

// No earlier installation while a test runs (the program would ask about it first).
class NoEarlierInstallation {
public:
  NoEarlierInstallation() {
    DWORD type = 0;
    std::wstring text;
    if (Utils::RegReadString(L"InstallPath", &type, &text)) folder_ = text;
    RegDeleteKeyValueW(HKEY_CURRENT_USER, Utils::kProductRegistryKey, L"InstallPath");
  }
  ~NoEarlierInstallation() {
    if (folder_) Utils::RegWriteString(L"InstallPath", *folder_);
  }

private:
  std::optional<std::wstring> folder_;
};

TEST(Program, ASecondCopyReturnsMinusOneAtOnceAndShowsNothing) {
  NoEarlierInstallation clean;
  Child first(Program(TESSMARK_INSTALLER_EXE));
  ASSERT_TRUE(first.Started());
  HWND window = first.WaitWindow(L"MainWnd", L"Brisolan", 30000);
  ASSERT_NE(window, nullptr);

  Child second(Program(TESSMARK_INSTALLER_EXE));
  ASSERT_TRUE(second.Started());
  const std::optional<DWORD> code = second.WaitExit(15000);
  ASSERT_TRUE(code);
  EXPECT_EQ(*code, static_cast<DWORD>(-1));
  EXPECT_TRUE(IsWindow(window));  // the first copy is undisturbed

  PostMessageW(window, WM_CLOSE, 1, 0);
  const std::optional<DWORD> firstCode = first.WaitExit(15000);
  ASSERT_TRUE(firstCode);
  EXPECT_EQ(*firstCode, 0u);
}

TEST(Program, ASkinWithoutTheMainWindowEndsWithExitCodeOneAfterTheSkinUIBox) {
  NoEarlierInstallation clean;
  Child broken(Program(TESSMARK_BROKEN_SKIN_EXE));
  ASSERT_TRUE(broken.Started());
  HWND box = broken.WaitWindow(nullptr, L"SkinUI", 30000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(broken.WaitExit(0), std::nullopt);  // the box waits for the user
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  const std::optional<DWORD> code = broken.WaitExit(15000);
  ASSERT_TRUE(code);
  EXPECT_EQ(*code, 1u);
}

// --- the start page on the screen ---------------------------------------------------------

struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> argb;
  uint32_t At(int x, int y) const { return argb[static_cast<size_t>(y) * width + x]; }
};

Image Capture(const RECT& rc) {
  Image image;
  image.width = rc.right - rc.left;
  image.height = rc.bottom - rc.top;
  TestSupport::DibCanvas canvas(image.width, image.height, 0xFF000000);
  HDC screen = GetDC(nullptr);
  BitBlt(canvas.dc(), 0, 0, image.width, image.height, screen, rc.left, rc.top, SRCCOPY);
  ReleaseDC(nullptr, screen);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) image.argb.push_back(canvas.Pixel(x, y) | 0xFF000000);
  }
  return image;
}

Image DecodeSkinPng(const wchar_t* name) {
  Image image;
  const std::string png = AppTest::ReadSkinItem(name);
  int w = 0, h = 0, n = 0;
  stbi_uc* rgba = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(png.data()),
                                        static_cast<int>(png.size()), &w, &h, &n, 4);
  if (rgba == nullptr) return image;
  image.width = w;
  image.height = h;
  for (int i = 0; i < w * h; ++i) {
    image.argb.push_back(0xFF000000u | (rgba[i * 4] << 16) | (rgba[i * 4 + 1] << 8) | rgba[i * 4 + 2]);
  }
  stbi_image_free(rgba);
  return image;
}

void SaveBmp(const Image& image, const std::wstring& path) {
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof(info);
  info.biWidth = image.width;
  info.biHeight = -image.height;
  info.biPlanes = 1;
  info.biBitCount = 32;
  const DWORD bytes = static_cast<DWORD>(image.argb.size() * 4);
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + bytes;
  std::string out(reinterpret_cast<const char*>(&file), sizeof(file));
  out.append(reinterpret_cast<const char*>(&info), sizeof(info));
  out.append(reinterpret_cast<const char*>(image.argb.data()), bytes);
  TestSupport::WriteBytes(path, out);
}

// The ink of a text in a region: pixels far from the region's background colour, and the
// columns they span.
struct Ink {
  int pixels = 0;
  int left = -1;
  int right = -1;
};

Ink MeasureInk(const Image& image, RECT region, uint32_t background) {
  Ink ink;
  for (int y = region.top; y < region.bottom; ++y) {
    for (int x = region.left; x < region.right; ++x) {
      const uint32_t c = image.At(x, y);
      int d = 0;
      for (int shift = 0; shift < 24; shift += 8) {
        d = std::max(d, abs(static_cast<int>((c >> shift) & 0xFF) -
                            static_cast<int>((background >> shift) & 0xFF)));
      }
      if (d < 64) continue;
      ++ink.pixels;
      if (ink.left < 0 || x < ink.left) ink.left = x;
      if (x > ink.right) ink.right = x;
    }
  }
  return ink;
}

// The same text drawn with the CJK font itself, in the skin's size and weight, centred or left
// in a region of the same size on the same background.
Image DrawReference(const wchar_t* text, int pixelSize, bool bold, SIZE size, uint32_t background,
                    uint32_t color, UINT align) {
  TestSupport::DibCanvas canvas(size.cx, size.cy, background);
  HFONT font = CreateFontW(-pixelSize, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, 0, 0,
                           DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0, L"Noto Sans CJK SC");
  HGDIOBJ old = SelectObject(canvas.dc(), font);
  SetBkMode(canvas.dc(), TRANSPARENT);
  SetTextColor(canvas.dc(), RGB((color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF));
  RECT rc = canvas.Rect();
  DrawTextW(canvas.dc(), text, -1, &rc, align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(canvas.dc(), old);
  DeleteObject(font);
  Image image;
  image.width = size.cx;
  image.height = size.cy;
  for (int y = 0; y < size.cy; ++y) {
    for (int x = 0; x < size.cx; ++x) image.argb.push_back(canvas.Pixel(x, y) | 0xFF000000);
  }
  return image;
}

bool Near(uint32_t a, uint32_t b, int tolerance) { return TestSupport::ColorNear(a, b, tolerance); }

TEST(Program, TheStartPageShowsItsBackgroundButtonAndChineseTexts) {
  ASSERT_TRUE(AppTest::UseEmbeddedSkin());
  NoEarlierInstallation clean;
  Child installer(Program(TESSMARK_INSTALLER_EXE));
  ASSERT_TRUE(installer.Started());
  HWND window = installer.WaitWindow(L"MainWnd", L"Brisolan", 30000);
  ASSERT_NE(window, nullptr);
  RECT rc;
  ASSERT_TRUE(GetWindowRect(window, &rc));
  ASSERT_EQ(rc.right - rc.left, 600);
  ASSERT_EQ(rc.bottom - rc.top, 400);
  const uint32_t accent = 0xFF2B65EC;
  // Painted once the install button shows (a limited wait on the screen, not a sleep).
  Image shot;
  const DWORD start = GetTickCount();
  do {
    shot = Capture(rc);
  } while (!Near(shot.At(212, 284), accent, 6) && GetTickCount() - start < 20000);
  SaveBmp(shot, TestSupport::TestDataDir() + L"\\app\\start_page.bmp");

  // The background is the start page's image where nothing covers it.
  const Image bg1 = DecodeSkinPng(L"res\\mainWnd\\bg1.png");
  ASSERT_EQ(bg1.width, 600);
  for (POINT p : {POINT{20, 60}, POINT{150, 200}, POINT{560, 220}, POINT{300, 70}, POINT{40, 250},
                  POINT{300, 390}, POINT{580, 300}}) {
    EXPECT_TRUE(Near(shot.At(p.x, p.y), bg1.At(p.x, p.y), 6))
        << p.x << "," << p.y << ": " << TestSupport::ColorText(shot.At(p.x, p.y)) << " vs "
        << TestSupport::ColorText(bg1.At(p.x, p.y));
  }
  // The install button: accent all round its text.
  for (POINT p : {POINT{212, 284}, POINT{388, 284}, POINT{300, 266}, POINT{300, 302}}) {
    EXPECT_TRUE(Near(shot.At(p.x, p.y), accent, 6)) << p.x << "," << p.y;
  }
  // Chinese texts are glyphs: their ink matches the same text drawn in the CJK font.
  const struct {
    const wchar_t* text;
    RECT region;  // in window coordinates
    int pixelSize;
    bool bold;
    uint32_t background;
    uint32_t color;
    UINT align;
  } texts[] = {
      {L"立即安装", {208, 266, 392, 302}, 16, true, accent, 0xFFFFFFFF, DT_CENTER},
      {L"已同意", {46, 352, 82, 372}, 13, false, 0xFFFFFFFF, 0xFF4E5561, DT_LEFT},
      {L"《用户许可协议》", {82, 352, 200, 372}, 13, false, 0xFFFFFFFF, 0xFF2B65EC, DT_LEFT},
      {L"自定义安装", {456, 352, 576, 372}, 13, false, 0xFFFFFFFF, 0xFF4E5561, DT_RIGHT},
  };
  for (const auto& t : texts) {
    SCOPED_TRACE(TestSupport::ToUtf8(t.text));
    const SIZE size = {t.region.right - t.region.left, t.region.bottom - t.region.top};
    const Image reference =
        DrawReference(t.text, t.pixelSize, t.bold, size, t.background, t.color, t.align);
    const Ink expected = MeasureInk(reference, RECT{0, 0, size.cx, size.cy}, t.background);
    const Ink shown = MeasureInk(shot, t.region, t.background);
    ASSERT_GT(expected.pixels, 20);
    EXPECT_NEAR(shown.pixels, expected.pixels, expected.pixels * 0.3);
    EXPECT_NEAR(shown.right - shown.left, expected.right - expected.left, 4);
  }
  PostMessageW(window, WM_CLOSE, 1, 0);
  EXPECT_TRUE(installer.WaitExit(15000));
}

}  // namespace
