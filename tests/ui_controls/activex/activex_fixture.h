#pragma once
// What the ActiveX and web browser tests share: COM entered for the whole test, a real window
// whose root is a vertical layout, the tests' own control module with its journal, and the
// reference count an object is left with.
#include <windows.h>
#include <ole2.h>

#include <memory>
#include <string>
#include <vector>

#include "base/unique_resource.h"
#include "test_control/test_control.h"
#include "ui_core/layout/ui_layouts.h"
#include "ui_core/manager/ui_control.h"
#include "ui_test_support.h"

namespace ActiveXTest {

// COM for the test's own pointers: they must stay usable after the controls (which enter and
// leave COM themselves) are gone.
class ComScope {
public:
  ComScope() : hr_(::CoInitialize(nullptr)) {}
  ~ComScope() {
    if (SUCCEEDED(hr_)) ::CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

private:
  HRESULT hr_;
};

// A real window (400 x 300 client) whose root is a vertical layout of fixed-height controls.
class HostWindow {
public:
  HostWindow(int width = 400, int height = 300);
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  HWND hwnd() const { return host_ ? host_->hwnd() : nullptr; }
  SkinUI::CWindowManagerUI& manager() { return host_->manager(); }
  TestSupport::TestHostWindow& host() { return *host_; }
  TestSupport::NotifyRecorder& recorder() { return recorder_; }
  SkinUI::CVerticalLayoutUI* root() const { return root_; }

  // Appends a control of the given height below the previous ones (the tree owns it).
  template <class Control>
  Control* Add(Control* control, int height, const wchar_t* name = nullptr) {
    control->SetFixedHeight(height);
    if (name != nullptr) control->SetName(name);
    root_->Add(control);
    return control;
  }
  // Attaches the tree, lays it out and paints it once.
  void Attach();
  // Attaches a tree built from skin XML (the standard controls registered).
  SkinUI::CControlUI* AttachSkin(const wchar_t* xml, SkinUI::IDialogBuilderCallback* callback = nullptr);
  // Destroys the window and its tree now (the controls release what they hold).
  void Close();

private:
  TestSupport::NotifyRecorder recorder_;
  std::unique_ptr<TestSupport::TestHostWindow> host_;
  SkinUI::CVerticalLayoutUI* root_ = nullptr;
  bool attached_ = false;
};

// The tests' own control module, loaded by the test (so that its journal outlives the
// controls) from beside the test program.
class TestControlModule {
public:
  TestControlModule();
  static std::wstring Path();
  bool Loaded() const { return static_cast<bool>(module_); }
  std::vector<std::wstring> Journal() const;
  // The journal lines that start with prefix.
  std::vector<std::wstring> Lines(const std::wstring& prefix) const;
  // The first line that starts with prefix, or "" when there is none.
  std::wstring Line(const std::wstring& prefix) const;
  bool Has(const std::wstring& line) const;
  void ClearJournal() const;
  LONG LiveObjects() const;

private:
  Utils::UniqueLibrary module_;
  ActiveXTestControl::JournalProc journal_ = nullptr;
  ActiveXTestControl::ClearJournalProc clear_ = nullptr;
  ActiveXTestControl::LiveObjectsProc live_ = nullptr;
};

// "{...}" of a CLSID.
std::wstring ClsidText(const CLSID& clsid);

// Releases the caller's reference and returns the count the object is left with (0: it is gone,
// nobody else holds it).
template <typename T>
ULONG ReleaseAndCount(Utils::ComPtr<T>& pointer) {
  T* object = pointer.release();
  return object != nullptr ? object->Release() : 0;
}

// The client site an object keeps, with one reference for the caller. Wine's media player hands
// out its site without the reference that IOleObject::GetClientSite owes; the count tells.
Utils::ComPtr<IOleClientSite> ClientSiteOf(IOleObject* object);

// Whether two interface pointers belong to one COM object (their IUnknown is the same).
bool SameObject(IUnknown* a, IUnknown* b);

// The class name of a window ("" when there is none).
std::wstring ClassOf(HWND window);
// The first direct child of parent with the given class, or null.
HWND FindChildOfClass(HWND parent, const wchar_t* className);
// A window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND window);

}  // namespace ActiveXTest
