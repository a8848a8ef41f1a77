// The main window's reaction to the engine's reports (message 2024): the progress bar and its
// text, the failure boxes, the values the package's installer reports and the finish page.
#include <windows.h>

#include <memory>
#include <string>

#include "app/install_folders.h"
#include "app/install_progress.h"
#include "app/installer_texts.h"
#include "app/main_wnd.h"
#include "app/message_box_wnd.h"
#include "app/progress_text.h"
#include "app/skin_files.h"
#include "app/status_message.h"
#include "base/log.h"
#include "engine/status.h"
#include "engine/system/installer_settings.h"
#include "ui_controls/installer/ui_label.h"
#include "ui_controls/installer/ui_progress.h"
#include "ui_core/layout/ui_tab_layout.h"
#include "ui_core/manager/ui_manager.h"

namespace App {

namespace {

constexpr int kProgressResetFrom = 70;  // a failure at or above this percentage resets the bar
constexpr wchar_t kFinishedBarImage[] = L"res\\mainWnd\\installPrg3.png";

}  // namespace

LRESULT CMainWnd::OnStatusMessage(UINT, WPARAM, LPARAM lParam, bool&) {
  // The record is this window's from the moment it was posted; it goes when this returns.
  const std::unique_ptr<StatusMessage> status = TakeStatusMessage(lParam);
  if (!status) return 0;
  // Progress reports come many a second; every other report goes to the log.
  if (status->code != DL_CODE_PROGRESS && status->code != IST_CODE_PROGRESS) {
    UTILS_LOG(L"status %d (%g): %ls\r\n", status->code, status->progress, status->text.c_str());
  }
  const double scale = InstallerSettings::Instance().DownloadScale;
  switch (status->code) {
    case DL_CODE_START:
      stopwatch_.Start();
      break;
    case DL_CODE_PROGRESS:
      ShowProgress(DownloadPercent(status->progress, scale));
      break;
    case DL_CODE_FAIL:
      OnDownloadFailed();
      break;
    case IST_CODE_START:
      WriteAnalyticsIni();
      break;
    case IST_CODE_PROGRESS:
      installFraction_ = AdvanceInstallFraction(installFraction_, status->progress);
      ShowProgress(InstallPercent(installFraction_, scale));
      break;
    case IST_CODE_SUCCESS:
      FinishInstallation();
      break;
    case IST_CODE_FAIL:
      OnInstallFailed(status->text);
      break;
    case IST_CODE_INST_PATH:
      installFolder_ = status->text;
      break;
    case IST_CODE_EXE_PATH:
      productExePath_ = status->text;
      break;
    case IST_CODE_UNINST_EP:
      uninstallerEntry_ = status->text;
      break;
    case IST_CODE_START_URL:
      startUrl_ = status->text;
      break;
    case IST_CODE_STARTUP_STYLE:
      startupStyle_ = static_cast<StartupStyle>(ReportedUnsigned(status->progress));
      break;
    case IST_CODE_TOP_SHOW_DELAY:
      bringToFrontDelayMs_ = static_cast<int>(ReportedUnsigned(status->progress));
      break;
    case IST_CODE_FINISH_CLOSE_DELAY:
      closeDelayMs_ = static_cast<int>(ReportedUnsigned(status->progress));
      break;
    case IST_CODE_MESSAGE:
      CMessageBoxWnd::Show(GetHWND(), SkinInfoFor(kMessageBox1Skin), status->text.c_str(),
                           kMessageCaption);
      break;
    case UNIST_CODE_FAIL:
    case UNIST_CODE_ERROR:
      OnUninstallFailed();
      break;
    default:
      break;
  }
  return 0;
}

void CMainWnd::ShowProgress(int percent) {
  const std::wstring skinTemplate =
      progressLabel_ != nullptr ? progressLabel_->GetUserData().GetData() : std::wstring();
  const std::wstring text = FormatProgressText(
      ProgressTemplate(skinTemplate, stopwatch_.running, stopwatch_.ElapsedSeconds()), percent);
  if (progressLabel_ != nullptr) progressLabel_->SetText(text.c_str());
  if (installProgress_ != nullptr) installProgress_->SetValue(percent);
}

void CMainWnd::OnDownloadFailed() {
  const int answer = CMessageBoxWnd::Show(GetHWND(), SkinInfoFor(kNetworkTipSkin), nullptr, nullptr);
  UTILS_LOG(L"download failed; answer %d\r\n", answer);
  if (answer == kBoxCancel && earlierInstallation_) Close(1);
  // The retry repeats the failed attempt: its folder and both options, from whichever page or
  // start-up step it came.
  if (answer == kBoxOk) {
    const Attempt retry = attempt_;
    StartInstall(retry.folder, retry.desktopShortcut, retry.quickLaunch);
  }
  if (mainTabs_ != nullptr) mainTabs_->SelectItem(savedPage_, true);
}

void CMainWnd::OnInstallFailed(const std::wstring& text) {
  CMessageBoxWnd::Show(GetHWND(), SkinInfoFor(kMessageBox2Skin),
                       text.empty() ? kInstallFailedText : text.c_str(), kTipCaption);
  if (installProgress_ != nullptr && installProgress_->GetValue() >= kProgressResetFrom) {
    if (progressLabel_ != nullptr) progressLabel_->SetText(kProgressResetText);
    installProgress_->SetValue(0);
  }
  if (mainTabs_ != nullptr) mainTabs_->SelectItem(0, true);
}

void CMainWnd::OnUninstallFailed() {
  CMessageBoxWnd::Show(GetHWND(), SkinInfoFor(kMessageBox1Skin), kProductRunningText, kTipCaption);
  if (mainTabs_ != nullptr) mainTabs_->SelectItem(savedPage_, true);
  if (earlierInstallation_) Close(1);
}

void CMainWnd::FinishInstallation() {
  if (installProgress_ != nullptr) {
    installProgress_->SetValue(100);
    const std::wstring image =
        std::wstring(SkinUI::CWindowManagerUI::GetResourcePath().GetData()) + kFinishedBarImage;
    if (PathExists(image)) {
      installProgress_->SetForeImage(kFinishedBarImage);
      installProgress_->Invalidate();
    }
  }
  if (softNameLabel_ != nullptr) {
    softNameLabel_->SetText(kDisplayName);
    softNameLabel_->SetVisible(true);
  }
  if (mainTabs_ != nullptr) mainTabs_->SelectItem(3, true);
  OnInstallFinished();
}

}  // namespace App
