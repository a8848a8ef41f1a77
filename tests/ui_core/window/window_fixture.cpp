#include "window_fixture.h"

#include <cwchar>

#include "test_support.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/window/ui_shadow.h"
#include "ui_test_support.h"

namespace WindowFixture {

using SkinUI::CWindowManagerUI;

void InitProcess() {
  static bool done = false;
  if (done) return;
  done = true;
  CWindowManagerUI::SetInstance(::GetModuleHandleW(nullptr));
  CWindowManagerUI::SetResourceArchive7z(true);
  SkinUI::CWindowShadow::Initialize(::GetModuleHandleW(nullptr));
}

std::wstring SkinFolder() { return TestSupport::TestDataDir() + L"\\window\\skin\\"; }

void UseFreshSkinSource() {
  InitProcess();
  CWindowManagerUI::SetResourceZip(L"", false);
  CWindowManagerUI::SetResourcePath(SkinFolder().c_str());
}

bool HandleCloseRequest(SkinUI::CWindowWnd& window, UINT message, WPARAM wParam) {
  if (message != kMsgCloseWith) return false;
  window.Close(static_cast<UINT>(wParam));
  return true;
}

RECT WindowRect(HWND window) {
  RECT rc = {};
  ::GetWindowRect(window, &rc);
  return rc;
}

WindowGuard::~WindowGuard() {
  if (window_ != nullptr && ::IsWindow(window_)) ::DestroyWindow(window_);
  TestSupport::PumpPending();
}

// --- TestFrame ---------------------------------------------------------------------------------

int TestFrame::destroyedObjects = 0;

SkinUI::TSkinInfoUI FrameInfo(const wchar_t* skinFile, int resourceType) {
  SkinUI::TSkinInfoUI info;
  info.resourceType = resourceType;
  info.resourceId = SkinUI::kSkinArchiveResourceId;
  info.skinFile = skinFile;
  info.windowClassName = L"TessmarkTestFrame";
  return info;
}

namespace {
SkinUI::CControlUI* MakeTestElement(const wchar_t* elementName) {
  if (elementName != nullptr && _wcsicmp(elementName, L"Button") == 0) return new TestButtonUI;
  return nullptr;
}
}  // namespace

HWND TestFrame::CreateAt(int x, int y, DWORD style) {
  return Create(nullptr, L"test frame", style, 0, x, y, 100, 100);
}

POINT TestFrame::ScreenCentreOf(const wchar_t* name) {
  POINT pt = {-1, -1};
  SkinUI::CControlUI* control = Find(name);
  if (control == nullptr) return pt;
  const RECT rc = control->GetPos();
  pt = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
  ::ClientToScreen(hWnd_, &pt);
  return pt;
}

SkinUI::CControlUI* TestFrame::CreateControl(const wchar_t* elementName) {
  return MakeTestElement(elementName);
}

LRESULT TestFrame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = CSkinFrame::HandleMessage(message, wParam, lParam);
  if (message == WM_PAINT) ++paintCount;
  return result;
}

void TestFrame::InitWindow() {
  ++initCount;
  CSkinFrame::InitWindow();
}

LRESULT TestFrame::HandleDefaultKey(WPARAM key) {
  defaultKeys.push_back(key);
  return CSkinFrame::HandleDefaultKey(key);
}

LRESULT TestFrame::OnKeyDown(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  keyDowns.push_back(wParam);
  return CSkinFrame::OnKeyDown(message, wParam, lParam, handled);
}

LRESULT TestFrame::HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                       bool& handled) {
  if (HandleCloseRequest(*this, message, wParam)) return 0;
  return CSkinFrame::HandleCustomMessage(message, wParam, lParam, handled);
}

void TestFrame::OnFinalMessage(HWND window) {
  CSkinFrame::OnFinalMessage(window);
  if (deleteOnFinalMessage) delete this;
}

// --- TestImplWindow ------------------------------------------------------------------------------

HWND TestImplWindow::CreateAt(int x, int y) {
  return Create(nullptr, L"test window", WS_POPUP, 0, x, y, 100, 100);
}

SkinUI::CControlUI* TestImplWindow::CreateControl(const wchar_t* elementName) {
  return MakeTestElement(elementName);
}

LRESULT TestImplWindow::HandleDefaultKey(WPARAM key) {
  defaultKeys.push_back(key);
  return WindowImplBase::HandleDefaultKey(key);
}

LRESULT TestImplWindow::HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                            bool& handled) {
  if (HandleCloseRequest(*this, message, wParam)) return 0;
  return WindowImplBase::HandleCustomMessage(message, wParam, lParam, handled);
}

}  // namespace WindowFixture
