// The main window's pages and clicks, and the start of an installation: the checks of the
// machine and the folder, the engine's options, and the network check on its own thread.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdlib>

#include "app/install_folders.h"
#include "app/install_records.h"
#include "app/installer_texts.h"
#include "app/main_wnd.h"
#include "app/message_box_wnd.h"
#include "app/sequence_frames.h"
#include "app/sequence_label.h"
#include "app/skin_files.h"
#include "base/log.h"
#include "engine/system/file_utils.h"
#include "engine/system/hard_disk.h"
#include "engine/system/installer_settings.h"
#include "engine/system/process_lookup.h"
#include "engine/system/system_info.h"
#include "ui_controls/installer/ui_button.h"
#include "ui_controls/installer/ui_edit.h"
#include "ui_controls/installer/ui_label.h"
#include "ui_controls/installer/ui_option.h"
#include "ui_core/layout/ui_layouts.h"
#include "ui_core/layout/ui_tab_layout.h"

namespace App {

namespace {

enum Page : int { kStartPage = 0, kCustomPage = 1, kProgressPage = 2, kFinishPage = 3 };

constexpr wchar_t kTermsUrl[] = L"https://www.zorvisoft.com/tessmark/agreement.html";
constexpr wchar_t kUninstallerCopyName[] = L"Tessmark_un_asa.exe";
constexpr wchar_t kNetworkThreadName[] = L"ABDEF";
constexpr double kBytesPerGiB = 1073741824.0;

// Background of "winCtn" and page of "titleTabLt" (-1: unchanged) for each page.
struct PageLook {
  const wchar_t* background;
  int titlePage;
};
PageLook LookOf(int page) {
  switch (page) {
    case kStartPage: return {L"res\\mainWnd\\bg1.png", 1};
    case kCustomPage: return {L"res\\mainWnd\\bg2.png", 1};
    case kProgressPage: return {L"res\\mainWnd\\bg3.png", -1};
    case kFinishPage: return {L"res\\mainWnd\\bg4.png", 2};
    default: return {L"res\\mainWnd\\bg1.png", 0};
  }
}

SkinUI::CSequenceLabelUI* AsSequenceLabel(SkinUI::CControlUI* control) {
  if (control == nullptr) return nullptr;
  return static_cast<SkinUI::CSequenceLabelUI*>(control->GetInterface(L"SequenceLabel"));
}

// The drive part of a folder as the system splits paths ("C:"; empty for a UNC path).
std::wstring DrivePart(const std::wstring& folder) {
  wchar_t drive[_MAX_DRIVE] = L"";
  _wsplitpath_s(folder.c_str(), drive, _MAX_DRIVE, nullptr, 0, nullptr, 0, nullptr, 0);
  return drive;
}

// True when `to` is the same folder as `from` by the system's relative-path rule.
bool IsRelativeSame(const std::wstring& from, const std::wstring& to) {
  wchar_t relative[MAX_PATH] = L"";
  if (!::PathRelativePathToW(relative, from.c_str(), FILE_ATTRIBUTE_DIRECTORY, to.c_str(),
                             FILE_ATTRIBUTE_DIRECTORY)) {
    return false;
  }
  return wcscmp(relative, L".") == 0;
}

}  // namespace

// --- notifications ---------------------------------------------------------------------------

void CMainWnd::Notify(SkinUI::TNotifyMsgUI& msg) {
  SkinUI::CControlUI* sender = msg.sender;
  if (msg.type == L"selectchanged") {
    if (sender != nullptr && sender == treatyCheck_) {
      OnTreatyChanged();
    } else if (sender != nullptr && sender == serviceCheck_) {
      OnServiceChanged();
    } else if (sender != nullptr && sender == treatyButton_ && treatyCheck_ != nullptr) {
      // The terms link never keeps a tick of its own.
      treatyButton_->Selected(treatyCheck_->IsSelected(), true);
    }
  } else if (msg.type == L"tabselect") {
    OnTabSelected();
  } else if (msg.type == L"checknet") {
    OnNetworkChecked(msg.wParam);
  } else if (msg.type == L"install") {
    OnInstallNotify(msg.wParam);
  } else if (msg.type == L"timer" && sender != nullptr && sender == manager_.GetRoot()) {
    OnRootTimer(static_cast<UINT>(msg.wParam));
  } else if (msg.type == L"itemselect" && sender != nullptr && sender == languageCombo_) {
    ApplyLanguageTexts(static_cast<int>(msg.wParam));
  }
  SkinUI::CSkinFrame::Notify(msg);
}

void CMainWnd::OnTreatyChanged() {
  const bool accepted = IsChecked(treatyCheck_);
  if (treatyButton_ != nullptr) treatyButton_->Selected(accepted, true);
  const bool serviceAccepted = serviceCheck_ == nullptr || serviceCheck_->IsSelected();
  if (accepted && serviceAccepted) {
    if (customButton_ != nullptr) customButton_->SetEnabled(true);
    if (tipLabel_ != nullptr) tipLabel_->SetVisible(false);
  } else if (customButton_ != nullptr) {
    customButton_->SetEnabled(false);
  }
}

void CMainWnd::OnServiceChanged() {
  const bool accepted = IsChecked(serviceCheck_);
  if (customButton_ != nullptr) customButton_->SetEnabled(accepted && IsChecked(treatyCheck_));
  if (defaultInstallButton_ != nullptr) defaultInstallButton_->SetEnabled(accepted);
}

void CMainWnd::OnTabSelected() {
  const int page = CurrentPage();
  const PageLook look = LookOf(page);
  if (windowContainer_ != nullptr) {
    windowContainer_->SetBkImage(look.background);
    windowContainer_->Invalidate();
  }
  if (look.titlePage >= 0 && titleTabs_ != nullptr) titleTabs_->SelectItem(look.titlePage, true);
  if (page == kProgressPage) {
    if (SkinUI::CSequenceLabelUI* spinner = AsSequenceLabel(progressAnimation_)) spinner->Start();
  } else if (page == kFinishPage) {
    if (progressAnimation_ != nullptr) manager_.KillTimer(progressAnimation_, kSequenceTimerId);
    if (SkinUI::CSequenceLabelUI* finished = AsSequenceLabel(finishedAnimation_)) finished->Start();
  }
  const bool progress = page == kProgressPage;
  if (titleButtons_ != nullptr) titleButtons_->SetVisible(!progress);
  if (installLogo_ != nullptr) installLogo_->SetVisible(progress);
  if (backButton_ != nullptr) backButton_->SetVisible(page == kCustomPage);
}

void CMainWnd::OnNetworkChecked(WPARAM result) {
  const unsigned status = static_cast<unsigned>(result) >> 16;
  UTILS_LOG(L"network check: status %u, connectivity 0x%x\r\n", status,
            static_cast<unsigned>(result) & 0xFFFFu);
  if (status != 0) {
    CMessageBoxWnd::Show(GetHWND(), SkinInfoFor(kMessageBox2Skin), kPoorNetworkText, kTipCaption);
  }
  SendInstallNotify(status == 0, false);
}

void CMainWnd::OnInstallNotify(WPARAM begin) {
  startPending_ = false;
  if (begin != 0) {
    savedPage_ = CurrentPage();
    // Every attempt starts its installer share from nothing: a retry must not begin where the
    // failed attempt left the bar.
    installFraction_ = 0.0;
    SelectPage(kProgressPage);
    UTILS_LOG(L"installation begins into %ls\r\n", installFolder_.c_str());
    if (installer_) installer_->Start();
  }
  if (customInstallButton_ != nullptr) customInstallButton_->SetEnabled(true);
}

void CMainWnd::SendInstallNotify(bool begin, bool async) {
  manager_.SendNotify(manager_.GetRoot(), L"install", begin ? 1 : 0, 0, async);
}

// --- clicks ----------------------------------------------------------------------------------

void CMainWnd::OnClick(SkinUI::TNotifyMsgUI& msg) {
  // A click taken before the first paint finds the folder as start-up would have.
  ProposeDefaultFolder();
  SkinUI::CControlUI* sender = msg.sender;
  if (sender == nullptr) return;
  if (sender == defaultInstallButton_) {
    if (IsChecked(treatyCheck_)) {
      StartInstall(GetDataFolder(), true, true);
    } else if (tipLabel_ != nullptr) {
      tipLabel_->SetVisible(true);
    }
  } else if (sender == customButton_) {
    SelectPage(kCustomPage);
    if (customInstallButton_ != nullptr) customInstallButton_->SetFocus();
  } else if (sender == treatyButton_) {
    ::ShellExecuteW(nullptr, L"open", kTermsUrl, nullptr, nullptr, SW_SHOWMAXIMIZED);
  } else if (sender == backButton_) {
    SelectPage(kStartPage);
  } else if (sender == chooseFolderButton_) {
    ChooseFolder();
  } else if (sender == customInstallButton_) {
    StartInstall(GetChosenInstallFolder(), IsChecked(desktopShortcutCheck_),
                 IsChecked(quickLaunchCheck_));
  } else if (sender == openProductButton_) {
    if (startupStyle_ == StartupStyle::User) LaunchProduct();
    Close(1);
  } else if (sender->GetName() == L"closebtn") {
    OnCloseButton();
  } else {
    SkinUI::CSkinFrame::OnClick(msg);
  }
}

void CMainWnd::OnCloseButton() {
  if (CurrentPage() == kFinishPage) {
    Close(1);
    return;
  }
  if (CMessageBoxWnd::Show(GetHWND(), SkinInfoFor(kExitTipSkin), nullptr, nullptr) == kBoxOk) {
    Close(1);
  }
}

void CMainWnd::ChooseFolder() {
  wchar_t displayName[MAX_PATH] = L"";
  BROWSEINFOW info = {};
  info.hwndOwner = GetHWND();
  info.pszDisplayName = displayName;
  info.lpszTitle = kChooseFolderTitle;
  info.ulFlags = BIF_NEWDIALOGSTYLE;
  PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&info);
  if (chosen == nullptr) return;
  wchar_t path[MAX_PATH] = L"";
  const bool hasPath = ::SHGetPathFromIDListW(chosen, path) != FALSE && path[0] != L'\0';
  ::CoTaskMemFree(chosen);
  if (!hasPath) return;
  const std::wstring folder = JoinPath(path, kProductFolderName);
  if (!folder.empty() && installFolderEdit_ != nullptr) installFolderEdit_->SetText(folder.c_str());
}

LRESULT CMainWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // A running installation can only end through its own result: no closing on the progress page.
  if (message == WM_CLOSE && CurrentPage() == kProgressPage) return 0;
  return SkinUI::CSkinFrame::HandleMessage(message, wParam, lParam);
}

// --- starting an installation ----------------------------------------------------------------

std::wstring CMainWnd::GetChosenInstallFolder() {
  const std::wstring defaultFolder = GetDataFolder();
  const std::wstring typed =
      installFolderEdit_ != nullptr ? installFolderEdit_->GetText().GetData() : std::wstring();
  return IsSameFolder(defaultFolder, typed) ? defaultFolder : typed;
}

bool CMainWnd::ReadIsOverride(const std::wstring& folder) {
  if (!IsRelativeSame(earlierInstallFolder_, folder)) return false;
  const std::wstring setIni = JoinPath(folder, L"set.ini");
  wchar_t value[21] = L"";
  ::GetPrivateProfileStringW(L"Uninstall", L"IsOverride", L"true", value, 21, setIni.c_str());
  return wcscmp(value, L"false") == 0;
}

bool CMainWnd::StartInstall(const std::wstring& folder, bool desktopShortcut, bool quickLaunch) {
  UTILS_LOG(L"installation into %ls requested (shortcuts %d %d)\r\n", folder.c_str(),
            desktopShortcut ? 1 : 0, quickLaunch ? 1 : 0);
  ProposeDefaultFolder();  // the account answers go to the engine with the start
  if (startPending_) {  // the network check of an earlier click still runs
    UTILS_LOG(L"an earlier start is still pending: this one starts nothing\r\n");
    return false;
  }
  const InstallerSettings& settings = InstallerSettings::Instance();

  if (FindProcessIdByName(kUninstallerCopyName) != 0 && !settings.Reinstall) {
    CMessageBoxWnd::Show(GetHWND(), SkinInfoFor(kMessageBox1Skin), kProductRunningText,
                         kTipCaption);
    if (earlierInstallation_) Close(1);
    return false;
  }
  if (FindProcessIdByName(kProductExeName) != 0 && !settings.Reinstall) {
    CMessageBoxWnd::Show(GetHWND(), SkinInfoFor(kMessageBox1Skin), kProductRunningText,
                         kTipCaption);
    Close(1);
    return false;
  }

  if (customInstallButton_ != nullptr) customInstallButton_->SetEnabled(false);
  if (!Utils::CreateDirectoryRecursive(folder)) {
    CMessageBoxWnd::Show(GetHWND(), SkinInfoFor(kMessageBox2Skin), kInvalidPathText, kTipCaption);
    SendInstallNotify(false, false);
    return false;
  }
  Utils::HardDiskManager disk;
  disk.CheckFreeSpace(DrivePart(folder));  // a failed query leaves 0 bytes: too little
  if (static_cast<double>(disk.FreeBytesAvailable()) / kBytesPerGiB < 1.0) {
    CMessageBoxWnd::Show(GetHWND(), SkinInfoFor(kMessageBox2Skin), kLowDiskSpaceText,
                         kTipCaption);
    SendInstallNotify(false, false);
    return false;
  }

  installFolder_ = folder;
  attempt_ = Attempt{folder, desktopShortcut, quickLaunch};
  const std::wstring uninstaller = ReadIsOverride(folder) ? std::wstring() : earlierUninstallerEntry_;
  // The desktop box gives the package's installer -dsc, the quick-launch box -ssc.
  installer_->SetOptions(settings.DownloadUrl, earlierInstallFolder_, uninstaller, folder,
                         desktopShortcut, quickLaunch, adminAccount_, runAsAdmin_,
                         GetLocaleCode());
  startPending_ = true;

  if (settings.IsCheckNet) {
    networkCheckThread_.reset();  // joins the check of an earlier attempt
    networkCheckThread_ = std::make_unique<Utils::Thread>(
        nullptr, kNetworkThreadName, [this](void*) { CheckNetworkThread(); });
    if (networkCheckThread_->Handle() != nullptr) {
      ::ResumeThread(networkCheckThread_->Handle());
      return true;
    }
    // No thread: nothing would ever answer, so the attempt ends here.
    startPending_ = false;
    SendInstallNotify(false, false);
    return false;
  }
  SendInstallNotify(true, true);
  return true;
}

void CMainWnd::CheckNetworkThread() {
  // Only COM on this thread and the manager's queue, which the UI thread drains.
  const HRESULT com = ::CoInitialize(nullptr);
  const unsigned result = Utils::CheckNetwork();
  manager_.SendNotify(manager_.GetRoot(), L"checknet", result, 0, true);
  if (SUCCEEDED(com)) ::CoUninitialize();
}

// --- helpers ---------------------------------------------------------------------------------

int CMainWnd::CurrentPage() const {
  return mainTabs_ != nullptr ? mainTabs_->GetSelectedIndex() : -1;
}

void CMainWnd::SelectPage(int page) {
  if (mainTabs_ != nullptr) mainTabs_->SelectItem(page, true);
}

bool CMainWnd::IsChecked(SkinUI::COptionUI* check) const {
  return check != nullptr && check->IsSelected();
}

}  // namespace App
