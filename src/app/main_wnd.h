#pragma once
// The installer's only top-level window: a skinned frame built from "MainWnd.xml" with four
// pages in "mainTabLt" (start, custom options, progress, finish). Its start-up (main_wnd.cpp)
// finds the controls, creates the engine, reads the earlier installation and proposes the default
// folder; the pages (main_wnd_pages.cpp) react to the user and start an installation; the status
// handling (main_wnd_status.cpp) turns the engine's reports into progress, boxes and the finish
// page; the records (main_wnd_records.cpp) are what an installation leaves behind.
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

#include "engine/download_installer.h"
#include "base/thread.h"
#include "base/wait_utils.h"
#include "ui_core/window/ui_window_impl.h"

namespace SkinUI {
class CButtonUI;
class CContainerUI;
class CControlUI;
class CEditUI;
class CHorizontalLayoutUI;
class CLabelUI;
class COptionUI;
class CProgressUI;
class CTabLayoutUI;
class CVerticalLayoutUI;
}  // namespace SkinUI

namespace App {

// The control timers of the finish step (on the root control).
constexpr UINT kTimerBringToFront = 10;
constexpr UINT kTimerCloseWindow = 11;

// Posted to the main window at its first paint: the start-up work that waits for the first
// picture (the default folder of a fresh installation).
constexpr UINT kMsgAfterFirstPaint = WM_USER + 1001;

// How the product starts after installation (the installer's "StartupStyle" report).
enum class StartupStyle : int { None = 0, Auto = 1, User = 2 };

class CMainWnd : public SkinUI::CSkinFrame {
public:
  CMainWnd();
  ~CMainWnd() override;

  // IDialogBuilderCallback: "SequenceButton" and "SequenceLabel" (any letter case).
  SkinUI::CControlUI* CreateControl(const wchar_t* elementName) override;
  void Notify(SkinUI::TNotifyMsgUI& msg) override;

  // The engine's status callback: posts the report to this window (any thread).
  void PostStatus(int code, double progress, const wchar_t* text);

  // The folder proposed for a new installation (the earlier one when it can be reused).
  std::wstring GetDataFolder();
  // True when `path` names the default folder (trailing separators and case do not matter).
  bool IsDataFolder(const std::wstring& path);
  // The account answers found with the default folder: the console user's account is an
  // administrator, this process runs with administrator rights. Every start hands them on.
  bool IsAdminAccount() const { return adminAccount_; }
  bool IsRunAsAdmin() const { return runAsAdmin_; }

  // The records of an installation (run on the UI thread, from the status handling).
  void WriteInstallRegistry();
  void WriteAnalyticsIni();
  void LaunchProduct();
  void OnInstallFinished();

  // The language of the UI.
  void ChooseLanguage();
  void ApplyLanguageTexts(int index);
  std::wstring GetLocaleCode();

  // Checks the machine and the folder and hands an installation into `folder` on (to the network
  // check or straight to the "install" notification); false when it was refused, or when an
  // earlier start is still pending.
  bool StartInstall(const std::wstring& folder, bool desktopShortcut, bool quickLaunch);
  // The folder of the custom page: the default folder's own spelling when the edit names it.
  std::wstring GetChosenInstallFolder();
  // True when reinstalling into the earlier folder must leave the earlier uninstaller alone
  // (that folder's "set.ini" says IsOverride=false).
  bool ReadIsOverride(const std::wstring& folder);

  SKINUI_DECLARE_NOTIFY_MAP()

protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void InitWindow() override;
  void OnClick(SkinUI::TNotifyMsgUI& msg) override;
  LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  virtual LRESULT OnTimer(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  virtual LRESULT OnStatusMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

private:
  void FindControls();
  void FitLabelToText(SkinUI::CControlUI* label, const wchar_t* text);
  void ReadEarlierInstallation();
  void HandleEarlierInstallation();
  // Finds the default folder and puts it into the folder edit, once.
  void ProposeDefaultFolder();
  void OnRootTimer(UINT timerId);

  // Pages and clicks.
  void OnTreatyChanged();
  void OnServiceChanged();
  void OnTabSelected();
  void OnNetworkChecked(WPARAM result);
  void OnInstallNotify(WPARAM begin);
  void OnCloseButton();
  void ChooseFolder();
  void CheckNetworkThread();
  void SendInstallNotify(bool begin, bool async);
  int CurrentPage() const;
  void SelectPage(int page);
  bool IsChecked(SkinUI::COptionUI* check) const;

  // Status reports.
  void ShowProgress(int percent);
  void OnDownloadFailed();
  void OnInstallFailed(const std::wstring& text);
  void OnUninstallFailed();
  void FinishInstallation();

  // Controls of the skin; null when the skin lacks one.
  SkinUI::CVerticalLayoutUI* windowContainer_ = nullptr;     // "winCtn"
  SkinUI::CTabLayoutUI* titleTabs_ = nullptr;                // "titleTabLt"
  SkinUI::CTabLayoutUI* mainTabs_ = nullptr;                 // "mainTabLt"
  SkinUI::CButtonUI* defaultInstallButton_ = nullptr;        // "defaultInstallBtn"
  SkinUI::CButtonUI* customInstallButton_ = nullptr;         // "customeInstallBtn"
  SkinUI::CButtonUI* customButton_ = nullptr;                // "customeBtn"
  SkinUI::COptionUI* treatyButton_ = nullptr;                // "treatyBtn"
  SkinUI::CButtonUI* backButton_ = nullptr;                  // "backBtn"
  SkinUI::CButtonUI* openProductButton_ = nullptr;           // "openProduceBtn"
  SkinUI::COptionUI* treatyCheck_ = nullptr;                 // "treatyCb"
  SkinUI::COptionUI* serviceCheck_ = nullptr;                // "serviceCb"
  SkinUI::CButtonUI* chooseFolderButton_ = nullptr;          // "chDirBtn"
  SkinUI::CButtonUI* leftButton_ = nullptr;                  // "ableftBtn"
  SkinUI::CButtonUI* rightButton_ = nullptr;                 // "abrightBtn"
  SkinUI::CEditUI* installFolderEdit_ = nullptr;             // "installDirEdit"
  SkinUI::CLabelUI* progressLabel_ = nullptr;                // "progressLb"
  SkinUI::CHorizontalLayoutUI* titleButtons_ = nullptr;      // "titleGrpCtn"
  SkinUI::COptionUI* desktopShortcutCheck_ = nullptr;        // "createDSCb"
  SkinUI::COptionUI* quickLaunchCheck_ = nullptr;            // "createQSCb"
  SkinUI::CLabelUI* progressAnimation_ = nullptr;            // "progressAnLb"
  SkinUI::CLabelUI* finishedAnimation_ = nullptr;            // "finishedLbl"
  SkinUI::CLabelUI* softNameLabel_ = nullptr;                // "softNameLbl"
  SkinUI::CControlUI* installLogo_ = nullptr;                // "installLogo"
  SkinUI::CControlUI* languageCombo_ = nullptr;              // "languageCombo"
  SkinUI::CProgressUI* installProgress_ = nullptr;           // "installPrg"
  SkinUI::CLabelUI* tipLabel_ = nullptr;                     // "tipLbl"

  std::wstring productExePath_;      // the product's program (installer's ExePath report)
  std::wstring uninstallerEntry_;    // this run's uninstaller entry (UninstEp report)
  std::wstring installFolder_;       // this run's installation folder
  std::wstring earlierUninstallerEntry_;
  std::wstring earlierInstallFolder_;
  std::wstring startUrl_;
  StartupStyle startupStyle_ = StartupStyle::None;
  int bringToFrontDelayMs_ = 3000;
  int closeDelayMs_ = -1;
  std::unique_ptr<CDownloadInstaller> installer_;
  Utils::Stopwatch stopwatch_;
  std::unique_ptr<Utils::Thread> networkCheckThread_;
  int savedPage_ = 0;
  double installFraction_ = 0.0;
  bool earlierInstallation_ = false;
  // The default folder is still to be found (it is proposed right after the first paint).
  bool defaultFolderPending_ = false;
  bool adminAccount_ = false;
  bool runAsAdmin_ = false;

  // One start at a time: set when a start has been handed on, cleared when its "install"
  // notification arrives. Every start button and the retry go through StartInstall, so a second
  // click during the network check starts nothing.
  bool startPending_ = false;
  // The folder and options of the last accepted start: the retry after a failed download
  // repeats exactly that attempt.
  struct Attempt {
    std::wstring folder;
    bool desktopShortcut = true;
    bool quickLaunch = true;
  };
  Attempt attempt_;

  // Where worker threads post their reports; null once the window is going away, so that a late
  // report is freed instead of posted into nowhere.
  std::atomic<HWND> statusWindow_{nullptr};
};

}  // namespace App
