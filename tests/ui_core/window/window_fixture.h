#pragma once
// What the window tests share: the skins made at build time, a frame window that creates the
// "Button" elements of those skins itself, a plain skinned window, and the process settings
// that every skinned window needs.
#include <windows.h>

#include <string>
#include <vector>

#include "ui_core/manager/ui_control.h"
#include "ui_core/window/ui_window_impl.h"

namespace WindowFixture {

// Module instance, 7z skin archives and the shadow class: once per process.
void InitProcess();
// No skin archive open and the test skin folder as the resource folder: windows of the folder
// type read its files, windows of the archive-resource type open the "ZIPRES" archive
// themselves.
void UseFreshSkinSource();
// Windows path of the test skin folder, with a trailing backslash.
std::wstring SkinFolder();

// A control that answers the class name "Button", made for the skins' Button elements (the
// controls library is not part of these tests).
class TestButtonUI : public SkinUI::CControlUI {
public:
  const wchar_t* GetClass() const override { return L"Button"; }
};

// Posted to a test window: it closes itself with the result in wParam.
constexpr UINT kMsgCloseWith = WM_APP + 50;
// Answers kMsgCloseWith for a window; false for any other message.
bool HandleCloseRequest(SkinUI::CWindowWnd& window, UINT message, WPARAM wParam);

// The skin settings of a test frame: the archive resource 147 unless another type is given.
SkinUI::TSkinInfoUI FrameInfo(const wchar_t* skinFile,
                              int resourceType = SkinUI::kSkinFromArchiveResource);

// A frame window for the tests: builds its skin from the folder (kSkinFromFolder) or from the
// resource archive (kSkinFromArchiveResource), creates TestButtonUI for "Button", and records
// what reached HandleDefaultKey, its key-down handler and its paint handler.
class TestFrame : public SkinUI::CSkinFrame {
public:
  explicit TestFrame(const SkinUI::TSkinInfoUI& info) : CSkinFrame(info) {}
  explicit TestFrame(const wchar_t* skinFile,
                     int resourceType = SkinUI::kSkinFromArchiveResource)
      : CSkinFrame(FrameInfo(skinFile, resourceType)) {}

  // Creates the window at (x, y) (the skin decides the size) with the frame test style.
  HWND CreateAt(int x, int y, DWORD style = WS_POPUP | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
  SkinUI::CControlUI* Find(const wchar_t* name) { return manager_.FindControl(name); }
  // The client point of the centre of a control, in screen coordinates.
  POINT ScreenCentreOf(const wchar_t* name);

  SkinUI::CControlUI* CreateControl(const wchar_t* elementName) override;

  std::vector<WPARAM> defaultKeys;  // keys given to HandleDefaultKey
  std::vector<WPARAM> keyDowns;     // WM_KEYDOWN that reached the window
  int initCount = 0;
  int paintCount = 0;
  bool deleteOnFinalMessage = false;
  static int destroyedObjects;

  ~TestFrame() override { ++destroyedObjects; }

protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void InitWindow() override;
  LRESULT HandleDefaultKey(WPARAM key) override;
  LRESULT OnKeyDown(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam,
                              bool& handled) override;
  void OnFinalMessage(HWND window) override;
};

// A plain skinned window (no frame): Escape closes it through HandleDefaultKey.
class TestImplWindow : public SkinUI::WindowImplBase {
public:
  explicit TestImplWindow(const wchar_t* skinFile) : skinFile_(skinFile) {}
  HWND CreateAt(int x, int y);
  SkinUI::CControlUI* CreateControl(const wchar_t* elementName) override;
  std::vector<WPARAM> defaultKeys;

protected:
  const wchar_t* GetWindowClassName() const override { return L"TessmarkTestImplWnd"; }
  SkinUI::CStringUI GetSkinFolder() override { return SkinUI::CStringUI(); }
  SkinUI::CStringUI GetSkinFile() override { return SkinUI::CStringUI(skinFile_.c_str()); }
  int GetResourceType() const override { return SkinUI::kSkinFromArchiveResource; }
  const wchar_t* GetResourceID() const override {
    return MAKEINTRESOURCEW(SkinUI::kSkinArchiveResourceId);
  }
  LRESULT HandleDefaultKey(WPARAM key) override;
  LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam,
                              bool& handled) override;

private:
  std::wstring skinFile_;
};

// Destroys a window that a test left open (failed assertions return early).
class WindowGuard {
public:
  explicit WindowGuard(HWND window) : window_(window) {}
  ~WindowGuard();
  WindowGuard(const WindowGuard&) = delete;
  WindowGuard& operator=(const WindowGuard&) = delete;

private:
  HWND window_;
};

RECT WindowRect(HWND window);

}  // namespace WindowFixture
