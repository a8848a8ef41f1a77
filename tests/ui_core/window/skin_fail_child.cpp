// A program that builds one skinned window and runs it, for the tests that must watch a process
// end: a skin that cannot be loaded shows the "SkinUI" box and ends the process with exit code 1.
//   skin_fail_child.exe <mode> [skin folder]
// Modes: archive-ok (the archive resource and a layout it holds; the window closes itself with
// 3), no-resource (no "ZIPRES" resource of that id), no-layout (the archive lacks the layout),
// folder-no-layout (the skin folder lacks the layout).
#include <windows.h>

#include <cwchar>

#include "ui_core/manager/ui_manager.h"
#include "window_fixture.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const wchar_t* mode = argv[1];
  SkinUI::CWindowManagerUI::SetInstance(::GetModuleHandleW(nullptr));
  SkinUI::CWindowManagerUI::SetResourceArchive7z(true);
  if (argc >= 3) SkinUI::CWindowManagerUI::SetResourcePath(argv[2]);

  SkinUI::TSkinInfoUI info = WindowFixture::FrameInfo(L"MainWnd.xml");
  info.windowClassName = L"TessmarkChildFrame";
  if (wcscmp(mode, L"no-resource") == 0) {
    info.resourceId = 999;
  } else if (wcscmp(mode, L"no-layout") == 0) {
    info.skinFile = L"Missing.xml";
  } else if (wcscmp(mode, L"folder-no-layout") == 0) {
    info.resourceType = SkinUI::kSkinFromFolder;
    info.skinFile = L"Missing.xml";
  } else if (wcscmp(mode, L"archive-ok") != 0) {
    return 2;
  }

  WindowFixture::TestFrame frame(info);
  if (frame.Create(nullptr, L"child frame", WS_POPUP | WS_VISIBLE, 0, CW_USEDEFAULT,
                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT) == nullptr) {
    return 4;
  }
  frame.CenterWindow();
  frame.Close(3);
  return static_cast<int>(frame.ShowModal());
}
