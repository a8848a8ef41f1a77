#include "app/main_wnd.h"

#include <shellapi.h>

#include "app/install_folders.h"
#include "app/install_records.h"
#include "app/installer_texts.h"
#include "app/message_box_wnd.h"
#include "app/sequence_controls.h"
#include "app/skin_files.h"
#include "app/status_message.h"
#include "app/ui_language.h"
#include "base/log.h"
#include "engine/system/installer_settings.h"
#include "engine/system/process_lookup.h"
#include "ui_controls/installer/ui_button.h"
#include "ui_controls/installer/ui_edit.h"
#include "ui_controls/installer/ui_label.h"
#include "ui_controls/installer/ui_option.h"
#include "ui_controls/installer/ui_progress.h"
#include "ui_core/drawing/ui_render.h"
#include "ui_core/layout/ui_layouts.h"
#include "ui_core/layout/ui_tab_layout.h"

namespace App {

SKINUI_BEGIN_NOTIFY_MAP(CMainWnd, SkinUI::CSkinFrame)
  SKINUI_ON_NOTIFY(CMainWnd, L"click", L"", OnClick)
SKINUI_END_NOTIFY_MAP(CMainWnd, SkinUI::CSkinFrame)

namespace {

constexpr UINT kIconResourceId = 145;

// The control of that name when it is of the class that answers `interfaceName`; the skin is
// untrusted, so a control of another class counts as absent.
template <typename T>
T* FindAs(SkinUI::CWindowManagerUI& manager, const wchar_t* name, const wchar_t* interfaceName) {
  SkinUI::CControlUI* control = manager.FindControl(name);
  if (control == nullptr) return nullptr;
  return static_cast<T*>(control->GetInterface(interfaceName));
}

}  // namespace

CMainWnd::CMainWnd() : SkinUI::CSkinFrame(SkinInfoFor(kMainWndSkin)) {}

CMainWnd::~CMainWnd() {
  // The engine first: its workers may still report, and their reports are freed once the
  // window is gone. Then the network check, which only touches the manager's queue.
  installer_.reset();
  networkCheckThread_.reset();
}

SkinUI::CControlUI* CMainWnd::CreateControl(const wchar_t* elementName) {
  return CreateInstallerControl(elementName);
}

void CMainWnd::PostStatus(int code, double progress, const wchar_t* text) {
  PostStatusMessage(statusWindow_.load(), code, progress, text);
}

void CMainWnd::FindControls() {
  using namespace SkinUI;
  windowContainer_ = FindAs<CVerticalLayoutUI>(manager_, L"winCtn", L"VerticalLayout");
  titleTabs_ = FindAs<CTabLayoutUI>(manager_, L"titleTabLt", L"TabLayout");
  mainTabs_ = FindAs<CTabLayoutUI>(manager_, L"mainTabLt", L"TabLayout");
  defaultInstallButton_ = FindAs<CButtonUI>(manager_, L"defaultInstallBtn", L"Button");
  customInstallButton_ = FindAs<CButtonUI>(manager_, L"customeInstallBtn", L"Button");
  customButton_ = FindAs<CButtonUI>(manager_, L"customeBtn", L"Button");
  treatyButton_ = FindAs<COptionUI>(manager_, L"treatyBtn", L"Option");
  backButton_ = FindAs<CButtonUI>(manager_, L"backBtn", L"Button");
  openProductButton_ = FindAs<CButtonUI>(manager_, L"openProduceBtn", L"Button");
  treatyCheck_ = FindAs<COptionUI>(manager_, L"treatyCb", L"Option");
  serviceCheck_ = FindAs<COptionUI>(manager_, L"serviceCb", L"Option");
  chooseFolderButton_ = FindAs<CButtonUI>(manager_, L"chDirBtn", L"Button");
  leftButton_ = FindAs<CButtonUI>(manager_, L"ableftBtn", L"Button");
  rightButton_ = FindAs<CButtonUI>(manager_, L"abrightBtn", L"Button");
  installFolderEdit_ = FindAs<CEditUI>(manager_, L"installDirEdit", L"Edit");
  progressLabel_ = FindAs<CLabelUI>(manager_, L"progressLb", L"Label");
  titleButtons_ = FindAs<CHorizontalLayoutUI>(manager_, L"titleGrpCtn", L"HorizontalLayout");
  desktopShortcutCheck_ = FindAs<COptionUI>(manager_, L"createDSCb", L"Option");
  quickLaunchCheck_ = FindAs<COptionUI>(manager_, L"createQSCb", L"Option");
  progressAnimation_ = FindAs<CLabelUI>(manager_, L"progressAnLb", L"Label");
  finishedAnimation_ = FindAs<CLabelUI>(manager_, L"finishedLbl", L"Label");
  softNameLabel_ = FindAs<CLabelUI>(manager_, L"softNameLbl", L"Label");
  installLogo_ = manager_.FindControl(L"installLogo");
  languageCombo_ = manager_.FindControl(L"languageCombo");
  installProgress_ = FindAs<CProgressUI>(manager_, L"installPrg", L"Progress");
  tipLabel_ = FindAs<CLabelUI>(manager_, L"tipLbl", L"Label");
}

// A label as wide as `text` in its own font and style, showing that text.
void CMainWnd::FitLabelToText(SkinUI::CControlUI* control, const wchar_t* text) {
  auto* label = control == nullptr
                    ? nullptr
                    : static_cast<SkinUI::CLabelUI*>(control->GetInterface(L"Label"));
  if (label == nullptr) return;
  const SIZE size = SkinUI::CRenderUI::GetTextSize(manager_.GetPaintDC(), &manager_, text,
                                                   label->GetFont(), label->GetTextStyle());
  label->SetFixedWidth(size.cx);
  label->SetText(text);
}

void CMainWnd::InitWindow() {
  SkinUI::CSkinFrame::InitWindow();
  ApplyInstallerFrameStyle(GetHWND());
  SetIcon(kIconResourceId);
  statusWindow_.store(GetHWND());
  FindControls();

  if (languageCombo_ != nullptr) ChooseLanguage();
  FitLabelToText(softNameLabel_, kDisplayName);
  for (const wchar_t* name : {L"bTitleLbl1", L"bTitleLbl2", L"bTitleLbl3"}) {
    FitLabelToText(manager_.FindControl(name), kDisplayName);
  }

  installer_ = std::make_unique<CDownloadInstaller>(
      [this](int code, double progress, const wchar_t* text) { PostStatus(code, progress, text); },
      std::wstring(), std::wstring(), std::wstring(), true, true, true);

  ReadEarlierInstallation();
  // Finding the default folder loads system libraries, and only the custom page shows it: a
  // fresh installation proposes it after the first paint. An earlier installation's boxes and
  // its reinstallation need it at once.
  defaultFolderPending_ = true;
  if (earlierInstallation_) ProposeDefaultFolder();
  CenterWindow();
  if (earlierInstallation_) HandleEarlierInstallation();
}

void CMainWnd::ProposeDefaultFolder() {
  if (!defaultFolderPending_) return;
  defaultFolderPending_ = false;
  const std::wstring folder = GetDataFolder();
  if (installFolderEdit_ != nullptr) installFolderEdit_->SetText(folder.c_str());
}

void CMainWnd::ReadEarlierInstallation() {
  const EarlierInstallation earlier = App::ReadEarlierInstallation();
  earlierInstallFolder_ = earlier.folder;
  earlierUninstallerEntry_ = earlier.uninstallerEntry;
  earlierInstallation_ = PathExists(earlierInstallFolder_);
}

void CMainWnd::HandleEarlierInstallation() {
  const int language = ReadConfigLanguage(earlierInstallFolder_, &manager_);
  UTILS_LOG(L"earlier installation in %ls, language %d\r\n", earlierInstallFolder_.c_str(),
            language);

  const bool reinstall = InstallerSettings::Instance().Reinstall;
  if (FindProcessIdByName(kProductExeName) != 0 && !reinstall) {
    CMessageBoxWnd::Show(GetHWND(), SkinInfoFor(kMessageBox1Skin), kProductRunningText,
                         kTipCaption);
    Close(1);
    return;
  }
  if (reinstall) {
    StartInstall(earlierInstallFolder_, true, true);
    return;
  }
  switch (CMessageBoxWnd::Show(GetHWND(), SkinInfoFor(kInstalledPathTipSkin), nullptr, nullptr)) {
    case kBoxOk:
      StartInstall(earlierInstallFolder_, true, true);
      break;
    case kBoxCancel:
      productExePath_ = earlierInstallFolder_ + L"\\" + kProductExeName;
      ::ShellExecuteW(nullptr, L"open", productExePath_.c_str(), nullptr,
                      earlierInstallFolder_.c_str(), SW_SHOWNORMAL);
      Close(1);
      break;
    default:
      Close(1);
      break;
  }
}

std::wstring CMainWnd::GetDataFolder() {
  DefaultFolderAnswers answers;
  answers.earlierFolder = earlierInstallFolder_;
  answers.earlierUninstallerExists =
      !earlierUninstallerEntry_.empty() && PathExists(earlierUninstallerEntry_);
  QuerySystemFolderAnswers(&answers);
  adminAccount_ = answers.adminAccount;
  runAsAdmin_ = answers.runAsAdmin;
  return ChooseDefaultInstallFolder(answers);
}

bool CMainWnd::IsDataFolder(const std::wstring& path) {
  return IsSameFolder(GetDataFolder(), path);
}

LRESULT CMainWnd::OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  return SkinUI::CSkinFrame::OnSysCommand(message, wParam, lParam, handled);
}

LRESULT CMainWnd::OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  // Reports that arrive from now on are freed by their sender; those already queued here.
  statusWindow_.store(nullptr);
  DiscardQueuedStatusMessages(GetHWND());
  return SkinUI::CSkinFrame::OnDestroy(message, wParam, lParam, handled);
}

LRESULT CMainWnd::HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                      bool& handled) {
  if (message == WM_TIMER) {
    OnTimer(message, wParam, lParam, handled);
  } else if (message == kMsgStatus) {
    OnStatusMessage(message, wParam, lParam, handled);
  } else if (message == WM_PAINT && defaultFolderPending_) {
    // Taken from the queue once this paint is done, before any input that follows it.
    PostMessage(kMsgAfterFirstPaint);
  } else if (message == kMsgAfterFirstPaint) {
    ProposeDefaultFolder();
  }
  return SkinUI::CSkinFrame::HandleCustomMessage(message, wParam, lParam, handled);
}

LRESULT CMainWnd::OnTimer(UINT, WPARAM, LPARAM, bool&) { return 0; }

}  // namespace App
