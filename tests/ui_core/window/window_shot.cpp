// Shows a skinned frame window with its shadow, for the screenshot test (screenshot_test.sh) to
// take a picture of over the magenta screen background it sets.
//   window_shot.exe <ready file> <done file>
// Writes "x y width height" of the frame to the ready file once the frame and its shadow have
// been painted, then waits until the done file exists (at most 60 s) and ends.
#include <windows.h>

#include <cstdio>

#include "base/unique_resource.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/window/ui_shadow.h"
#include "ui_test_support.h"
#include "window_fixture.h"

namespace {

constexpr int kFrameX = 700;
constexpr int kFrameY = 450;

bool FileExists(const wchar_t* path) {
  return ::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  SkinUI::CWindowManagerUI::SetInstance(instance);
  SkinUI::CWindowManagerUI::SetResourceArchive7z(true);
  SkinUI::CWindowShadow::Initialize(instance);

  WindowFixture::TestFrame frame(L"ShotWnd.xml");
  if (frame.CreateAt(kFrameX, kFrameY) == nullptr) return 3;
  frame.ShowWindow(true);
  const bool shown = TestSupport::PumpUntil(
      [&] { return frame.paintCount > 0 && frame.GetShadow().GetLastPixels() != nullptr; },
      20000);
  if (!shown) return 4;

  RECT rc = {};
  ::GetWindowRect(frame.GetHWND(), &rc);
  Utils::UniqueCFile ready(_wfopen(argv[1], L"w"));
  if (!ready) return 5;
  std::fprintf(ready.get(), "%ld %ld %ld %ld\n", rc.left, rc.top, rc.right - rc.left,
               rc.bottom - rc.top);
  ready.reset();

  TestSupport::PumpUntil([&] { return FileExists(argv[2]); }, 60000);
  ::DestroyWindow(frame.GetHWND());
  return 0;
}
