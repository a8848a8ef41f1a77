// The main window's records of an installation and its finish step.
#include <windows.h>

#include "app/install_records.h"
#include "app/main_wnd.h"
#include "app/status_message.h"
#include "base/log.h"
#include "ui_core/manager/ui_control.h"

namespace App {

void CMainWnd::WriteInstallRegistry() { App::WriteInstallRegistry(installFolder_, &uninstallerEntry_); }

void CMainWnd::WriteAnalyticsIni() {
  AnalyticsInputs inputs;
  inputs.installFolder = installFolder_;
  inputs.installerFileName = OwnExecutableFileName();
  inputs.analyticsFolder = AnalyticsFolder();
  ::GetLocalTime(&inputs.now);
  WriteAnalyticsRecords(inputs);
}

void CMainWnd::LaunchProduct() { App::LaunchProduct(GetHWND(), startUrl_, productExePath_); }

void CMainWnd::OnInstallFinished() {
  WriteInstallRegistry();
  WriteAnalyticsIni();
  if (startupStyle_ == StartupStyle::Auto) LaunchProduct();
  SkinUI::CControlUI* root = manager_.GetRoot();
  if (root == nullptr) return;
  // A delay of -1 is the largest elapse: by default the window never closes by itself.
  if (bringToFrontDelayMs_ != 0) {
    manager_.SetTimer(root, kTimerBringToFront, static_cast<UINT>(bringToFrontDelayMs_));
  }
  if (closeDelayMs_ != 0) {
    manager_.SetTimer(root, kTimerCloseWindow, static_cast<UINT>(closeDelayMs_));
  }
  UTILS_LOG(L"finish step done: startup style %d, to the front after %d ms, closing after %d ms\r\n",
            static_cast<int>(startupStyle_), bringToFrontDelayMs_, closeDelayMs_);
}

void CMainWnd::OnRootTimer(UINT timerId) {
  SkinUI::CControlUI* root = manager_.GetRoot();
  if (timerId == kTimerBringToFront) {
    ::SetForegroundWindow(GetHWND());
    manager_.KillTimer(root, kTimerBringToFront);
  } else if (timerId == kTimerCloseWindow) {
    Close(1);
    manager_.KillTimer(root, kTimerCloseWindow);
  }
}

}  // namespace App
