// The installer's entry: one copy at a time, the command line over the settings, the framework
// prepared, the main window run modally, everything torn down again.
#include <windows.h>
#include <ole2.h>

#include "app/main_wnd.h"
#include "engine/system/installer_settings.h"
#include "engine/system/instance_mutex.h"
#include "ui_controls/ui_controls.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/window/ui_shadow.h"

namespace {

LONG WINAPI PassEveryException(EXCEPTION_POINTERS*) { return EXCEPTION_CONTINUE_SEARCH; }

// OLE on the UI thread for the whole life of the windows: the folder chooser and the edits'
// clipboard and drag-and-drop need it before the first window exists.
class OleScope {
public:
  OleScope() : initialised_(SUCCEEDED(::OleInitialize(nullptr))) {}
  ~OleScope() {
    if (initialised_) ::OleUninitialize();
  }
  OleScope(const OleScope&) = delete;
  OleScope& operator=(const OleScope&) = delete;

private:
  bool initialised_;
};

void RunMainWindow() {
  App::CMainWnd window;
  if (window.Create(nullptr, L"Brisolan", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0) == nullptr) return;
  window.CenterWindow();
  window.ShowModal();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  ::SetUnhandledExceptionFilter(PassEveryException);

  InstanceMutex mutex(L"Installer_Tessmark");
  mutex.Acquire();
  if (!mutex.IsHeld()) return -1;

  ApplyCommandLineOptions();
  SkinUI::CWindowManagerUI::SetInstance(instance);
  SkinUI::CWindowManagerUI::SetResourceArchive7z(true);
  SkinUI::CWindowShadow::Initialize(instance);
  SkinUI::RegisterStandardControls();

  {
    OleScope ole;
    RunMainWindow();
  }
  return 0;  // the mutex is released and closed as it goes
}
