// The main window's start-up in this process, from the embedded skin: the default folder, an
// earlier installation (with and without its folder, its uninstaller entry, the product running,
// the reinstall option) and the custom controls of its skin.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/install_folders.h"
#include "app/main_wnd.h"
#include "app/sequence_controls.h"
#include "app_ui_support.h"
#include "engine/system/installer_settings.h"
#include "engine/system/process_lookup.h"
#include "engine/system/registry.h"
#include "log_capture.h"
#include "test_support.h"
#include "engine/status.h"
#include "ui_controls/installer/ui_edit.h"
#include "ui_controls/installer/ui_progress.h"
#include "ui_core/layout/ui_tab_layout.h"

namespace {

using AppTest::EarlierInstallationScope;

const wchar_t* const kBoxClasses[] = {L"MessageBox1Wnd", L"MessageBox2Wnd", L"NetworkTipWnd",
                                      L"ExitTipWnd", L"InstalledPathTipWnd"};

// A running "tessmark.exe" (the idle stand-in under the product's name).
class RunningProduct {
public:
  explicit RunningProduct(const std::wstring& folder) {
    const std::wstring exe = folder + L"\\tessmark.exe";
    CopyFileW(TestSupport::SiblingProgram(L"app_idle_product.exe").c_str(), exe.c_str(), FALSE);
    STARTUPINFOW si = {sizeof(si)};
    std::wstring commandLine = L"\"" + exe + L"\"";
    CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                   &si, &process_);
  }
  ~RunningProduct() {
    if (process_.hProcess == nullptr) return;
    TerminateProcess(process_.hProcess, 0);
    WaitForSingleObject(process_.hProcess, 5000);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }

private:
  PROCESS_INFORMATION process_ = {};
};

void StopProductsByName() { AppTest::StopProcessesNamed(L"tessmark.exe"); }

struct StartUp {
  std::vector<std::wstring> boxesShown;  // window classes, in order
  std::vector<std::wstring> boxTexts;
  std::wstring folderShown;             // "installDirEdit" after start-up
  int page = -1;
  bool closedDuringStartUp = false;     // the window went away by itself
};

// Creates the main window, answers every box that start-up shows with `answer` (a control name),
// and runs the modal loop until the window closes (closing it when start-up did not).
StartUp RunStartUp(const wchar_t* answer) {
  StartUp result;
  AppTest::LoopAction boxes([&]() {
    for (const wchar_t* cls : kBoxClasses) {
      HWND box = AppTest::FindOwnWindow(cls);
      if (box == nullptr) continue;
      if (!result.boxesShown.empty() && result.boxesShown.back() == cls) return false;
      result.boxesShown.push_back(cls);
      if (auto* text = AppTest::FindControlIn(box, L"textLbl")) {
        result.boxTexts.push_back(text->GetText().GetData());
      }
      // A failed download is not retried here: the start-up tests end with the first attempt.
      const wchar_t* reply = wcscmp(cls, L"NetworkTipWnd") == 0 ? L"cancelBtn" : answer;
      SkinUI::CControlUI* button = AppTest::FindControlIn(box, reply);
      if (button == nullptr) button = AppTest::FindControlIn(box, L"closebtn");
      AppTest::ClickControl(box, button);
    }
    return false;
  }, 30, 60000);
  App::CMainWnd window;
  EXPECT_NE(window.Create(nullptr, L"Brisolan", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0), nullptr);
  if (window.GetHWND() == nullptr) return result;
  // A fresh installation proposes its folder once the first picture is painted.
  ::UpdateWindow(window.GetHWND());
  MSG afterPaint;
  while (PeekMessageW(&afterPaint, window.GetHWND(), App::kMsgAfterFirstPaint,
                      App::kMsgAfterFirstPaint, PM_REMOVE)) {
    ::DispatchMessageW(&afterPaint);
  }
  if (auto* edit = window.GetManager().FindControl(L"installDirEdit")) {
    result.folderShown = edit->GetText().GetData();
  }
  if (auto* pages = window.GetManager().FindControl(L"mainTabLt")) {
    result.page = static_cast<SkinUI::CTabLayoutUI*>(pages->GetInterface(L"TabLayout"))
                      ->GetSelectedIndex();
  }
  // A close that start-up asked for is already queued; otherwise close it now.
  MSG msg;
  result.closedDuringStartUp =
      PeekMessageW(&msg, window.GetHWND(), WM_CLOSE, WM_CLOSE, PM_NOREMOVE) != FALSE;
  if (!result.closedDuringStartUp) window.Close(0);
  window.ShowModal();
  return result;
}

std::wstring SystemDefaultFolder() {
  App::DefaultFolderAnswers answers;
  App::QuerySystemFolderAnswers(&answers);
  return App::ChooseDefaultInstallFolder(answers);
}

class MainWindowStartUp : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(AppTest::UseEmbeddedSkin());
    StopProductsByName();
    InstallerSettings::Instance().Reinstall = false;
    // An installation that start-up begins fails at once: its package does not exist.
    savedUrl_ = InstallerSettings::Instance().DownloadUrl;
    InstallerSettings::Instance().DownloadUrl = L"file:///C:/tessmark-test-no-such-package.exe";
  }
  void TearDown() override {
    InstallerSettings::Instance().DownloadUrl = savedUrl_;
    InstallerSettings::Instance().Reinstall = false;
    StopProductsByName();
  }
  std::wstring savedUrl_;
};

TEST_F(MainWindowStartUp, WithoutAnEarlierInstallationTheStartPageShowsTheDefaultFolder) {
  EarlierInstallationScope none(L"", L"");
  const StartUp s = RunStartUp(L"closebtn");
  EXPECT_TRUE(s.boxesShown.empty());
  EXPECT_EQ(s.folderShown, SystemDefaultFolder());
  EXPECT_EQ(s.page, 0);
  EXPECT_FALSE(s.closedDuringStartUp);
}

TEST_F(MainWindowStartUp, AnEarlierFolderThatIsGoneCountsAsNone) {
  TestSupport::ScratchDir dir(L"gone");
  EarlierInstallationScope gone(dir.File(L"removed\\Tessmark"), dir.File(L"removed\\uninst.ep"));
  const StartUp s = RunStartUp(L"closebtn");
  EXPECT_TRUE(s.boxesShown.empty());
  EXPECT_EQ(s.folderShown, SystemDefaultFolder());
}

TEST_F(MainWindowStartUp, AnEarlierFolderWithoutItsUninstallerGetsANewDefaultFolder) {
  TestSupport::ScratchDir dir(L"nouninst");
  EarlierInstallationScope earlier(dir.Path(), L"");
  LogCapture log;
  const StartUp s = RunStartUp(L"okBtn");
  // "Install the newest version" goes into the earlier folder and begins at once; its download
  // fails here, and declining the retry after an earlier installation closes the window.
  const std::vector<std::wstring> boxes = {L"InstalledPathTipWnd", L"NetworkTipWnd"};
  ASSERT_EQ(s.boxesShown, boxes);
  EXPECT_EQ(s.folderShown, SystemDefaultFolder());
  EXPECT_EQ(log.Count({L"installation into " + dir.Path() + L" requested"}), 1u);
  EXPECT_EQ(log.Count({L"installation begins into " + dir.Path()}), 1u);
  EXPECT_FALSE(s.closedDuringStartUp);
}

TEST_F(MainWindowStartUp, AnEarlierFolderWithItsUninstallerIsProposedAgain) {
  TestSupport::ScratchDir dir(L"withuninst");
  ASSERT_TRUE(TestSupport::WriteBytes(dir.File(L"uninst.ep"), "ep"));
  EarlierInstallationScope earlier(dir.Path(), L"");
  const StartUp s = RunStartUp(L"closebtn");
  ASSERT_EQ(s.boxesShown, std::vector<std::wstring>{L"InstalledPathTipWnd"});
  EXPECT_EQ(s.folderShown, dir.Path());
  EXPECT_TRUE(s.closedDuringStartUp);  // the box's close button closes the installer too
}

TEST_F(MainWindowStartUp, OpeningTheEarlierInstallationStartsTheProductAndCloses) {
  TestSupport::ScratchDir dir(L"open");
  ASSERT_TRUE(CopyFileW(TestSupport::SiblingProgram(L"app_idle_product.exe").c_str(),
                        dir.File(L"tessmark.exe").c_str(), FALSE));
  EarlierInstallationScope earlier(dir.Path(), L"");
  const StartUp s = RunStartUp(L"cancelBtn");
  ASSERT_EQ(s.boxesShown, std::vector<std::wstring>{L"InstalledPathTipWnd"});
  EXPECT_TRUE(s.closedDuringStartUp);
  EXPECT_TRUE(TestSupport::PumpUntil([] { return FindProcessIdByName(L"tessmark.exe") != 0; }));
}

TEST_F(MainWindowStartUp, TheProductRunningIsToldAndTheWindowCloses) {
  TestSupport::ScratchDir dir(L"running");
  EarlierInstallationScope earlier(dir.Path(), L"");
  RunningProduct product(dir.Path());
  ASSERT_TRUE(TestSupport::PumpUntil([] { return FindProcessIdByName(L"tessmark.exe") != 0; }));
  const StartUp s = RunStartUp(L"okBtn");
  ASSERT_EQ(s.boxesShown, std::vector<std::wstring>{L"MessageBox1Wnd"});
  EXPECT_EQ(s.boxTexts.at(0), L"安装程序检测到Brisolan\r\n正在运行，请退出程序后再安装");
  EXPECT_TRUE(s.closedDuringStartUp);
}

TEST_F(MainWindowStartUp, TheReinstallOptionStartsAtOnceWithoutAsking) {
  TestSupport::ScratchDir dir(L"insnew");
  EarlierInstallationScope earlier(dir.Path(), L"");
  RunningProduct product(dir.Path());  // running or not: the option reinstalls
  InstallerSettings::Instance().Reinstall = true;
  LogCapture log;
  const StartUp s = RunStartUp(L"okBtn");
  // Only the failed download of this test asks anything.
  EXPECT_EQ(s.boxesShown, std::vector<std::wstring>{L"NetworkTipWnd"});
  EXPECT_EQ(log.Count({L"installation into " + dir.Path() + L" requested"}), 1u);
  EXPECT_EQ(log.Count({L"installation begins into " + dir.Path()}), 1u);
}

TEST_F(MainWindowStartUp, TheEarlierInstallationsLanguageIsTakenOver) {
  TestSupport::ScratchDir dir(L"lang");
  ASSERT_TRUE(TestSupport::WriteBytes(dir.File(L"uninst.ep"), "ep"));
  ASSERT_TRUE(TestSupport::WriteBytes(dir.File(L"config.ini"), "[Install]\r\nLanguage=ko-KR\r\n"));
  EarlierInstallationScope earlier(dir.Path(), L"");
  SkinUI::CWindowManagerUI::RemoveAllLanguageTexts();
  RunStartUp(L"closebtn");
  const SkinUI::CStringUI* text = SkinUI::CWindowManagerUI::GetLanguageText(1);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(*text, L"지금 설치");
  SkinUI::CWindowManagerUI::RemoveAllLanguageTexts();
}

TEST(MainWindowControls, SequenceElementsAreCreatedInAnyLetterCase) {
  App::CMainWnd window;
  for (const wchar_t* name : {L"SequenceLabel", L"sequencelabel", L"SEQUENCELABEL"}) {
    SkinUI::CControlUI* control = window.CreateControl(name);
    ASSERT_NE(control, nullptr);
    EXPECT_STREQ(control->GetClass(), L"SequenceLabel");
    delete control;
  }
  for (const wchar_t* name : {L"SequenceButton", L"sequenceBUTTON"}) {
    SkinUI::CControlUI* control = window.CreateControl(name);
    ASSERT_NE(control, nullptr);
    EXPECT_STREQ(control->GetClass(), L"SequenceButton");
    delete control;
  }
  EXPECT_EQ(window.CreateControl(L"Sequence"), nullptr);
  EXPECT_EQ(window.CreateControl(L"Label"), nullptr);
  EXPECT_EQ(window.CreateControl(nullptr), nullptr);
}

TEST(MainWindowControls, TheDefaultFolderIgnoresATrailingSeparator) {
  EarlierInstallationScope none(L"", L"");
  App::CMainWnd window;
  const std::wstring folder = window.GetDataFolder();
  EXPECT_TRUE(window.IsDataFolder(folder));
  EXPECT_TRUE(window.IsDataFolder(folder + L"\\"));
  EXPECT_FALSE(window.IsDataFolder(folder + L"2"));
}

}  // namespace

namespace {

// Starts and clicks of the main window itself, with the network check off so that an accepted
// start begins through the window's queue of notifications.
class MainWindowStarts : public MainWindowStartUp {
protected:
  void SetUp() override {
    MainWindowStartUp::SetUp();
    savedCheckNet_ = InstallerSettings::Instance().IsCheckNet;
    InstallerSettings::Instance().IsCheckNet = false;
  }
  void TearDown() override {
    InstallerSettings::Instance().IsCheckNet = savedCheckNet_;
    MainWindowStartUp::TearDown();
  }
  bool savedCheckNet_ = true;
};

TEST_F(MainWindowStarts, ASecondStartWhileTheFirstIsPendingStartsNothing) {
  EarlierInstallationScope none(L"", L"");
  TestSupport::ScratchDir dir(L"busy");
  LogCapture log;
  App::CMainWnd window;
  ASSERT_NE(window.Create(nullptr, L"Brisolan", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0), nullptr);
  EXPECT_TRUE(window.StartInstall(dir.Path(), true, true));
  // The first start waits in the queue: a second click of any start button is refused.
  EXPECT_FALSE(window.StartInstall(dir.Path(), false, false));
  // The download fails here (no package): decline the retry, then close on the start page.
  AppTest::LoopAction box([&]() {
    HWND tip = AppTest::FindOwnWindow(L"NetworkTipWnd");
    if (tip == nullptr) return false;
    AppTest::ClickControl(tip, AppTest::FindControlIn(tip, L"cancelBtn"));
    return true;
  }, 30, 30000);
  AppTest::LoopAction closer([&]() {
    if (!box.Done() || AppTest::FindOwnWindow(L"NetworkTipWnd") != nullptr) return false;
    window.Close(0);
    return true;
  }, 30, 40000);
  window.ShowModal();
  EXPECT_TRUE(box.Done());
  EXPECT_EQ(log.Count({L"installation begins into " + dir.Path()}), 1u);
  EXPECT_EQ(log.Count({L"requested (shortcuts 1 1)"}), 1u);
}

// A fresh installation proposes its default folder after the first paint; a click or a start
// that comes before it finds the folder and the account answers first, as start-up would have.
struct BeforeFirstPaintCase {
  const char* what;
  std::function<void(App::CMainWnd&, const std::wstring& folder)> act;
  int page;  // the page of "mainTabLt" afterwards
};

TEST_F(MainWindowStarts, AClickOrAStartBeforeTheFirstPaintFindsTheDefaultFolderFirst) {
  EarlierInstallationScope none(L"", L"");
  App::DefaultFolderAnswers system;
  App::QuerySystemFolderAnswers(&system);
  const BeforeFirstPaintCase cases[] = {
      {"a click on the custom button",
       [](App::CMainWnd& window, const std::wstring&) {
         SkinUI::CControlUI* button = window.GetManager().FindControl(L"customeBtn");
         ASSERT_NE(button, nullptr);
         EXPECT_TRUE(button->Activate());  // what a click on it does
       },
       1},
      {"a start",
       [](App::CMainWnd& window, const std::wstring& folder) {
         EXPECT_TRUE(window.StartInstall(folder, true, true));
       },
       0},
  };
  for (const BeforeFirstPaintCase& c : cases) {
    SCOPED_TRACE(c.what);
    TestSupport::ScratchDir dir(L"beforepaint");
    App::CMainWnd window;
    ASSERT_NE(window.Create(nullptr, L"Brisolan", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0), nullptr);
    const HWND hwnd = window.GetHWND();
    SkinUI::CControlUI* edit = window.GetManager().FindControl(L"installDirEdit");
    ASSERT_NE(edit, nullptr);
    // Nothing has been painted, so nothing has been proposed yet.
    ASSERT_EQ(edit->GetText(), L"");
    c.act(window, dir.Path());
    EXPECT_EQ(std::wstring(edit->GetText().GetData()), SystemDefaultFolder());
    EXPECT_EQ(window.IsAdminAccount(), system.adminAccount);
    EXPECT_EQ(window.IsRunAsAdmin(), system.runAsAdmin);
    auto* pages = window.GetManager().FindControl(L"mainTabLt");
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(static_cast<SkinUI::CTabLayoutUI*>(pages->GetInterface(L"TabLayout"))
                  ->GetSelectedIndex(),
              c.page);
    // The start waits in the window's queue: it goes with the window.
    ::DestroyWindow(hwnd);
    TestSupport::PumpPending();
  }
}

int BarValue(App::CMainWnd& window) {
  SkinUI::CControlUI* bar = window.GetManager().FindControl(L"installPrg");
  if (bar == nullptr) return -1;
  return static_cast<SkinUI::CProgressUI*>(bar->GetInterface(L"Progress"))->GetValue();
}

TEST_F(MainWindowStarts, ANewAttemptStartsTheInstallersShareOfTheBarFromNothing) {
  EarlierInstallationScope none(L"", L"");
  TestSupport::ScratchDir dir(L"fraction");
  App::CMainWnd window;
  ASSERT_NE(window.Create(nullptr, L"Brisolan", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0), nullptr);
  // An earlier attempt whose installer got to the end of its share.
  window.PostStatus(IST_CODE_PROGRESS, 1.0, L"");
  ASSERT_TRUE(window.StartInstall(dir.Path(), true, true));
  // The new attempt has begun once its download failed (no package here); its installer's
  // first report then shows 74 % (0.15 of the remaining 30 %), not the earlier attempt's 100 %.
  int shown = -1;
  AppTest::LoopAction box([&]() {
    HWND tip = AppTest::FindOwnWindow(L"NetworkTipWnd");
    if (tip == nullptr) return false;
    if (shown < 0) {
      window.PostStatus(IST_CODE_PROGRESS, 0.0, L"");
      shown = 0;
      return false;
    }
    shown = BarValue(window);
    AppTest::ClickControl(tip, AppTest::FindControlIn(tip, L"cancelBtn"));
    return true;
  }, 30, 30000);
  AppTest::LoopAction closer([&]() {
    if (!box.Done() || AppTest::FindOwnWindow(L"NetworkTipWnd") != nullptr) return false;
    window.Close(0);
    return true;
  }, 30, 40000);
  window.ShowModal();
  EXPECT_TRUE(box.Done());
  EXPECT_EQ(shown, 74);
}

}  // namespace
