#pragma once
// What the installer's window tests share: the skin archive that the test program carries like
// the installer does, skin trees built into a host window, and a way to act inside a modal loop.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui_core/archives/skin_archive.h"
#include "ui_core/layout/ui_skin_builder.h"
#include "ui_core/manager/ui_control.h"
#include "ui_test_support.h"

namespace AppTest {

// Hands the framework this module and the "ZIPRES" 147 archive of the test program (read once),
// as the installer's entry and its frame windows do. False when the resource is missing.
bool UseEmbeddedSkin();

// The bytes of an item of the embedded archive; empty when missing.
std::string ReadSkinItem(const std::wstring& name);

// A skin layout of the embedded archive built into a host window of its size.
class SkinTree {
public:
  explicit SkinTree(const wchar_t* layout, int width = 600, int height = 400);
  SkinUI::CControlUI* Root() const { return root_; }
  SkinUI::CControlUI* Find(const wchar_t* name) { return host_.manager().FindControl(name); }
  TestSupport::TestHostWindow& Host() { return host_; }

private:
  TestSupport::TestHostWindow host_;
  SkinUI::CControlUI* root_ = nullptr;
};

// Runs `step` on this thread every `periodMs` while any message loop (a modal box's included)
// runs, until it returns true or the limit passes; then it is not called again.
class LoopAction {
public:
  LoopAction(std::function<bool()> step, UINT periodMs = 30, DWORD limitMs = 10000);
  ~LoopAction();
  LoopAction(const LoopAction&) = delete;
  LoopAction& operator=(const LoopAction&) = delete;
  bool Done() const { return done_; }

private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD);
  std::function<bool()> step_;
  DWORD start_;
  DWORD limit_;
  UINT_PTR timer_ = 0;
  bool done_ = false;
};

// The product key's values for one test (empty: the value is absent); the old ones come back
// afterwards.
class EarlierInstallationScope {
public:
  EarlierInstallationScope(const std::wstring& folder, const std::wstring& entry);
  ~EarlierInstallationScope();
  EarlierInstallationScope(const EarlierInstallationScope&) = delete;
  EarlierInstallationScope& operator=(const EarlierInstallationScope&) = delete;

private:
  std::optional<std::wstring> folder_;
  std::optional<std::wstring> entry_;
};

// Ends the processes of that executable file name that a test started (found by name, each
// ended by its id).
void StopProcessesNamed(const wchar_t* exeName);

// The visible top-level window of this process with that class, or null.
HWND FindOwnWindow(const wchar_t* windowClass);

// A left click at the middle of a control, as the mouse would give it.
void ClickControl(HWND window, SkinUI::CControlUI* control);

// The control tree behind a skinned window of this process (its window object's manager).
SkinUI::CControlUI* FindControlIn(HWND window, const wchar_t* name);

}  // namespace AppTest
