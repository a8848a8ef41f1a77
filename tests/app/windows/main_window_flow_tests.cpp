// The main window's flows after start-up, in this process through its real window and message
// loop: the terms box, the reports of the package's installer (how the product starts, the
// finish timers, its message, its start URL), the failure of an installation and of the earlier
// uninstaller, and the network check with a second start while it runs. Reports reach the
// window the way the engine sends them, through its status callback (PostStatus).
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/main_wnd.h"
#include "app_ui_support.h"
#include "engine/status.h"
#include "engine/system/installer_settings.h"
#include "engine/system/process_lookup.h"
#include "log_capture.h"
#include "test_support.h"
#include "ui_controls/installer/ui_label.h"
#include "ui_controls/installer/ui_option.h"
#include "ui_controls/installer/ui_progress.h"
#include "ui_core/layout/ui_tab_layout.h"
#include "ui_core/manager/ui_manager.h"

namespace {

const wchar_t kFinishLogged[] = L"finish step done";

using AppTest::StopProcessesNamed;

// A copy of the idle stand-in program under a name of the test's choosing.
std::wstring CopyIdleProgram(const TestSupport::ScratchDir& dir, const wchar_t* name) {
  const std::wstring exe = dir.File(name);
  CopyFileW(TestSupport::SiblingProgram(L"app_idle_product.exe").c_str(), exe.c_str(), FALSE);
  return exe;
}

// A main window on its start page with no earlier installation, the default download scale and
// the network check off; an installation that starts fails at once (its package does not exist).
class MainWindowFlow : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(AppTest::UseEmbeddedSkin());
    InstallerSettings& settings = InstallerSettings::Instance();
    savedUrl_ = settings.DownloadUrl;
    savedCheckNet_ = settings.IsCheckNet;
    savedScale_ = settings.DownloadScale;
    settings.DownloadUrl = L"file:///C:/tessmark-test-no-such-package.exe";
    settings.IsCheckNet = false;
    settings.DownloadScale = 0.7;
    settings.Reinstall = false;
    window_ = std::make_unique<App::CMainWnd>();
    ASSERT_NE(window_->Create(nullptr, L"Brisolan", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0), nullptr);
  }
  void TearDown() override {
    window_.reset();
    InstallerSettings& settings = InstallerSettings::Instance();
    settings.DownloadUrl = savedUrl_;
    settings.IsCheckNet = savedCheckNet_;
    settings.DownloadScale = savedScale_;
  }

  SkinUI::CControlUI* Control(const wchar_t* name) {
    return window_->GetManager().FindControl(name);
  }
  template <class T>
  T* As(const wchar_t* name, const wchar_t* kind) {
    SkinUI::CControlUI* control = Control(name);
    return control != nullptr ? static_cast<T*>(control->GetInterface(kind)) : nullptr;
  }
  int Page() {
    auto* pages = As<SkinUI::CTabLayoutUI>(L"mainTabLt", L"TabLayout");
    return pages != nullptr ? pages->GetSelectedIndex() : -1;
  }
  int Bar() {
    auto* bar = As<SkinUI::CProgressUI>(L"installPrg", L"Progress");
    return bar != nullptr ? bar->GetValue() : -1;
  }
  std::wstring ProgressText() {
    SkinUI::CControlUI* label = Control(L"progressLb");
    return label != nullptr ? label->GetText().GetData() : std::wstring();
  }

  // Runs the window's modal loop; `step` runs every 30 ms meanwhile until it returns true. The
  // window is closed after the limit when it is still open; true when it closed without that.
  bool RunLoop(std::function<bool()> step, DWORD limitMs = 30000) {
    bool forced = false;
    AppTest::LoopAction action(std::move(step), 30, limitMs);
    AppTest::LoopAction guard([&]() {
      if (!action.Done()) return false;
      forced = true;
      window_->Close(0);
      return true;
    }, 100, limitMs + 5000);
    window_->ShowModal();
    return !forced;
  }

  // Runs the modal loop until the box of that window class shows, hands it to `seen` and
  // clicks the box's `button`; then until `after` returns true.
  void AnswerBox(const wchar_t* boxClass, const wchar_t* button, std::function<void(HWND)> seen,
                 std::function<bool()> after) {
    bool answered = false;
    RunLoop([&]() {
      if (!answered) {
        HWND box = AppTest::FindOwnWindow(boxClass);
        if (box == nullptr) return false;
        seen(box);
        AppTest::ClickControl(box, AppTest::FindControlIn(box, button));
        answered = true;
        return false;
      }
      if (AppTest::FindOwnWindow(boxClass) != nullptr) return false;
      return after();
    });
    EXPECT_TRUE(answered) << "no box " << testing::PrintToString(std::wstring(boxClass));
  }

  std::unique_ptr<App::CMainWnd> window_;
  AppTest::EarlierInstallationScope noEarlierInstallation_{L"", L""};
  std::wstring savedUrl_;
  bool savedCheckNet_ = false;
  double savedScale_ = 0.7;
};

std::wstring TextOf(HWND box, const wchar_t* name) {
  SkinUI::CControlUI* control = AppTest::FindControlIn(box, name);
  return control != nullptr ? control->GetText().GetData() : std::wstring();
}

// --- the terms -------------------------------------------------------------------------------

TEST_F(MainWindowFlow, UntickingTheTermsDisablesTheCustomButtonAndTheLinkKeepsInStep) {
  auto* terms = As<SkinUI::COptionUI>(L"treatyCb", L"Option");
  auto* link = As<SkinUI::COptionUI>(L"treatyBtn", L"Option");
  SkinUI::CControlUI* custom = Control(L"customeBtn");
  SkinUI::CControlUI* install = Control(L"defaultInstallBtn");
  SkinUI::CControlUI* tip = Control(L"tipLbl");
  ASSERT_TRUE(terms && link && custom && install && tip);
  struct Seen {
    bool terms, link, custom, install, tip;
    bool operator==(const Seen& o) const {
      return terms == o.terms && link == o.link && custom == o.custom && install == o.install &&
             tip == o.tip;
    }
  };
  auto now = [&]() {
    return Seen{terms->IsSelected(), link->IsSelected(), custom->IsEnabled(), install->IsEnabled(),
                tip->IsVisible()};
  };
  LogCapture log;
  const HWND hwnd = window_->GetHWND();
  std::vector<Seen> seen;
  int step = 0;
  RunLoop([&]() {
    seen.push_back(now());
    switch (step++) {
      case 0: AppTest::ClickControl(hwnd, terms); return false;    // untick the terms
      case 1: AppTest::ClickControl(hwnd, install); return false;  // install without them
      // The link ticked on its own (as a click on it would): it takes the box's state again.
      case 2: link->Selected(true, true); return false;
      case 3: AppTest::ClickControl(hwnd, terms); return false;    // tick them again
      case 4: AppTest::ClickControl(hwnd, custom); return false;   // the custom page opens
      default: window_->Close(0); return true;
    }
  });
  const std::vector<Seen> expected = {
      {true, true, true, true, false},     // as the skin starts
      {false, false, false, true, false},  // unticked: no custom button, the link follows
      {false, false, false, true, true},   // the install click only shows the hint
      {false, false, false, true, true},   // the link did not keep its own tick
      {true, true, true, true, false},     // ticked again: all back, the hint hidden
      {true, true, true, true, false},
  };
  EXPECT_EQ(seen.size(), expected.size());
  for (size_t i = 0; i < seen.size() && i < expected.size(); ++i) {
    EXPECT_TRUE(seen[i] == expected[i]) << "step " << i;
  }
  EXPECT_EQ(log.Count({L"requested"}), 0u);
  EXPECT_EQ(Page(), 1);
}

TEST_F(MainWindowFlow, TheCustomPageOpensWithItsInstallButtonFocusedAndKeepsItAfterItsPaints) {
  SkinUI::CControlUI* custom = Control(L"customeBtn");
  ASSERT_NE(custom, nullptr);
  const HWND hwnd = window_->GetHWND();
  std::vector<std::wstring> focused;
  int step = 0;
  RunLoop([&]() {
    switch (step++) {
      case 0: AppTest::ClickControl(hwnd, custom); return false;
      case 1:
      case 2:
      case 3: {
        // The page's layout and the paints that follow it.
        ::UpdateWindow(hwnd);
        SkinUI::CControlUI* focus = window_->GetManager().GetFocus();
        focused.push_back(focus != nullptr ? focus->GetName().GetData() : L"(none)");
        return false;
      }
      default: window_->Close(0); return true;
    }
  });
  EXPECT_EQ(Page(), 1);
  ASSERT_EQ(focused.size(), 3u);
  for (size_t i = 0; i < focused.size(); ++i) {
    EXPECT_EQ(focused[i], L"customeInstallBtn") << "look " << i;
  }
}

// --- the package installer's reports -------------------------------------------------------

struct StartupCase {
  const char* name;
  double style;             // the StartupStyle report (0 NonStartup, 1 AutoStartup, 2 UserStartup)
  bool runsAtFinish;        // the product runs once the finish page shows
  bool runsAfterTheButton;  // ... and after the finish button
};

class StartupStyles : public MainWindowFlow, public ::testing::WithParamInterface<StartupCase> {};

TEST_P(StartupStyles, TheProductStartsAsTheInstallerAsked) {
  const StartupCase& c = GetParam();
  const wchar_t kName[] = L"flow_product.exe";
  StopProcessesNamed(kName);
  TestSupport::ScratchDir dir(L"style");
  const std::wstring exe = CopyIdleProgram(dir, kName);
  LogCapture log;
  window_->PostStatus(IST_CODE_EXE_PATH, 0, exe.c_str());
  window_->PostStatus(IST_CODE_STARTUP_STYLE, c.style, L"");
  window_->PostStatus(IST_CODE_SUCCESS, 0, L"");
  bool atFinish = false;
  bool clicked = false;
  const bool closed = RunLoop([&]() {
    if (clicked) return false;
    if (Page() != 3 || log.Count({kFinishLogged}) == 0) return false;
    atFinish = FindProcessIdByName(kName) != 0;
    AppTest::ClickControl(window_->GetHWND(), Control(L"openProduceBtn"));
    clicked = true;
    return false;
  });
  const bool afterButton = FindProcessIdByName(kName) != 0;
  StopProcessesNamed(kName);
  EXPECT_TRUE(clicked);
  EXPECT_TRUE(closed) << "the finish button closes the window";
  EXPECT_EQ(atFinish, c.runsAtFinish);
  EXPECT_EQ(afterButton, c.runsAfterTheButton);
}

INSTANTIATE_TEST_SUITE_P(Reports, StartupStyles,
                         ::testing::Values(StartupCase{"NonStartup", 0, false, false},
                                           StartupCase{"AutoStartup", 1, true, true},
                                           StartupCase{"UserStartup", 2, false, true}),
                         [](const testing::TestParamInfo<StartupCase>& param) {
                           return std::string(param.param.name);
                         });

TEST_F(MainWindowFlow, ABringToFrontDelayOfZeroStartsNoTimer) {
  struct Row {
    bool reported;
    double delay;
    bool timer;
  };
  // Not reported: the default delay of 3 s; a minute stands for any other delay.
  for (const Row row : {Row{false, 0, true}, Row{true, 0, false}, Row{true, 60000, true}}) {
    if (!window_) {
      window_ = std::make_unique<App::CMainWnd>();
      ASSERT_NE(window_->Create(nullptr, L"Brisolan", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0), nullptr);
    }
    LogCapture log;
    if (row.reported) window_->PostStatus(IST_CODE_TOP_SHOW_DELAY, row.delay, L"");
    window_->PostStatus(IST_CODE_SUCCESS, 0, L"");
    bool armed = false;
    RunLoop([&]() {
      if (log.Count({kFinishLogged}) == 0) return false;
      // Killing a timer that was never started finds nothing.
      armed = window_->GetManager().KillTimer(window_->GetManager().GetRoot(), App::kTimerBringToFront);
      window_->Close(0);
      return true;
    });
    EXPECT_EQ(armed, row.timer) << "reported " << row.reported << ", delay " << row.delay;
    window_.reset();
  }
}

TEST_F(MainWindowFlow, AReportedCloseDelayClosesTheWindowByItself) {
  LogCapture log;
  window_->PostStatus(IST_CODE_FINISH_CLOSE_DELAY, 300, L"");
  window_->PostStatus(IST_CODE_SUCCESS, 0, L"");
  EXPECT_TRUE(RunLoop([]() { return false; }, 20000)) << "the window stayed open";
  EXPECT_EQ(log.Count({kFinishLogged, L"closing after 300 ms"}), 1u);
}

TEST_F(MainWindowFlow, TheInstallersMessageIsShownInItsBox) {
  const std::wstring message = L"来自安装包的消息\r\n第二行";
  window_->PostStatus(IST_CODE_MESSAGE, 0, message.c_str());
  std::wstring text, caption;
  AnswerBox(L"MessageBox1Wnd", L"closebtn",
            [&](HWND box) {
              text = TextOf(box, L"textLbl");
              caption = TextOf(box, L"captionLbl");
            },
            [&]() {
              window_->Close(0);
              return true;
            });
  EXPECT_EQ(text, message);
  EXPECT_EQ(caption, L"消息");
}

// The start URL is opened only when it is longer than five characters. A program name in the
// current folder stands for the URL: what it opens is seen as a running process.
TEST_F(MainWindowFlow, AStartUrlOfFiveCharactersIsNotOpenedAndOneOfSixIs) {
  TestSupport::ScratchDir dir(L"url");
  CopyIdleProgram(dir, L"u.exe");   // 5 characters
  CopyIdleProgram(dir, L"uu.exe");  // 6 characters
  wchar_t previous[MAX_PATH] = L"";
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(dir.Path().c_str()));
  StopProcessesNamed(L"u.exe");
  StopProcessesNamed(L"uu.exe");
  LogCapture log;
  window_->PostStatus(IST_CODE_STARTUP_STYLE, 1, L"");
  window_->PostStatus(IST_CODE_START_URL, 0, L"u.exe");
  window_->PostStatus(IST_CODE_SUCCESS, 0, L"");
  bool five = true;
  RunLoop([&]() {
    if (log.Count({kFinishLogged}) == 0) return false;
    five = FindProcessIdByName(L"u.exe") != 0;
    window_->Close(0);
    return true;
  });
  window_ = std::make_unique<App::CMainWnd>();
  ASSERT_NE(window_->Create(nullptr, L"Brisolan", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0), nullptr);
  window_->PostStatus(IST_CODE_STARTUP_STYLE, 1, L"");
  window_->PostStatus(IST_CODE_START_URL, 0, L"uu.exe");
  window_->PostStatus(IST_CODE_SUCCESS, 0, L"");
  bool six = false;
  RunLoop([&]() {
    if (log.Count({kFinishLogged}) < 2) return false;
    six = FindProcessIdByName(L"uu.exe") != 0;
    window_->Close(0);
    return true;
  });
  StopProcessesNamed(L"u.exe");
  StopProcessesNamed(L"uu.exe");
  SetCurrentDirectoryW(previous);
  EXPECT_FALSE(five);
  EXPECT_TRUE(six);
}

// --- failures --------------------------------------------------------------------------------

struct FailureCase {
  const char* name;
  double downloaded;  // fraction of the download reported before the failure
  const wchar_t* reported;
  int barBefore;
  const wchar_t* boxText;
  int barAfter;
  const wchar_t* textAfter;
};

class InstallFailures : public MainWindowFlow, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(InstallFailures, TheBoxAndTheBarsResetAtSeventyPercent) {
  const FailureCase& c = GetParam();
  window_->PostStatus(DL_CODE_PROGRESS, c.downloaded, L"");
  window_->PostStatus(IST_CODE_FAIL, 1000, c.reported);
  std::wstring text, caption;
  int before = -1;
  AnswerBox(L"MessageBox2Wnd", L"closebtn",
            [&](HWND box) {
              text = TextOf(box, L"textLbl");
              caption = TextOf(box, L"captionLbl");
              before = Bar();
            },
            [&]() {
              EXPECT_EQ(Bar(), c.barAfter);
              EXPECT_EQ(ProgressText(), c.textAfter);
              EXPECT_EQ(Page(), 0);
              window_->Close(0);
              return true;
            });
  EXPECT_EQ(before, c.barBefore);
  EXPECT_EQ(text, c.boxText);
  EXPECT_EQ(caption, L"温馨提示");
}

INSTANTIATE_TEST_SUITE_P(
    Reports, InstallFailures,
    ::testing::Values(
        FailureCase{"At69KeepsTheBar", 0.99, L"", 69, L"安装失败", 69,
                    L"正在安装中:69%，请稍候..."},
        FailureCase{"At70ResetsTheBar", 1.0, L"", 70, L"安装失败", 0, L"正在安装中:0%，请稍候..."},
        FailureCase{"TheInstallersText", 1.0, L"E2E broken package", 70, L"E2E broken package", 0,
                    L"正在安装中:0%，请稍候..."}),
    [](const testing::TestParamInfo<FailureCase>& param) { return std::string(param.param.name); });

TEST_F(MainWindowFlow, AFailedUninstallerIsToldAndTheWindowStaysWithoutAnEarlierInstallation) {
  struct Row {
    int code;
    double progress;
    const wchar_t* text;
  };
  for (const Row row : {Row{UNIST_CODE_FAIL, 2, L""}, Row{UNIST_CODE_FAIL, 1, L"可执行卸载文件不存在"},
                        Row{UNIST_CODE_ERROR, 0, L"安装包卸载失败"}}) {
    if (!window_) {
      window_ = std::make_unique<App::CMainWnd>();
      ASSERT_NE(window_->Create(nullptr, L"Brisolan", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0), nullptr);
    }
    window_->PostStatus(row.code, row.progress, row.text);
    std::wstring text, caption;
    bool stayed = false;
    AnswerBox(L"MessageBox1Wnd", L"closebtn",
              [&](HWND box) {
                text = TextOf(box, L"textLbl");
                caption = TextOf(box, L"captionLbl");
              },
              [&]() {
                stayed = IsWindow(window_->GetHWND()) && IsWindowVisible(window_->GetHWND());
                EXPECT_EQ(Page(), 0);
                window_->Close(0);
                return true;
              });
    EXPECT_EQ(text, L"安装程序检测到Brisolan\r\n正在运行，请退出程序后再安装") << row.code;
    EXPECT_EQ(caption, L"温馨提示");
    EXPECT_TRUE(stayed) << row.code;
    window_.reset();
  }
}

// --- the network check -----------------------------------------------------------------------

TEST_F(MainWindowFlow, WithTheNetworkCheckASecondStartWhileItRunsStartsNothing) {
  InstallerSettings::Instance().IsCheckNet = true;
  TestSupport::ScratchDir dir(L"checknet");
  LogCapture log;
  ASSERT_TRUE(window_->StartInstall(dir.Path(), true, true));
  // The check runs on its own thread and answers through the window's queue, which this thread
  // has not drained yet: the second start comes while it runs.
  EXPECT_FALSE(window_->StartInstall(dir.Path(), false, false));
  EXPECT_EQ(log.Count({L"an earlier start is still pending"}), 1u);
  EXPECT_EQ(log.Count({L"network check: status"}), 0u);
  // Whatever this machine's network: its box (poor network) or the failed download's box.
  bool answered = false;
  RunLoop([&]() {
    for (const wchar_t* cls : {L"MessageBox2Wnd", L"NetworkTipWnd"}) {
      HWND box = AppTest::FindOwnWindow(cls);
      if (box == nullptr) continue;
      AppTest::ClickControl(box, AppTest::FindControlIn(box, wcscmp(cls, L"NetworkTipWnd") == 0
                                                                  ? L"cancelBtn"
                                                                  : L"closebtn"));
      answered = true;
      return false;
    }
    if (!answered || AppTest::FindOwnWindow(L"MessageBox2Wnd") != nullptr ||
        AppTest::FindOwnWindow(L"NetworkTipWnd") != nullptr) {
      return false;
    }
    window_->Close(0);
    return true;
  });
  EXPECT_TRUE(answered);
  EXPECT_EQ(log.Count({L"network check: status"}), 1u);
  const bool usable = log.Count({L"network check: status 0"}) == 1;
  EXPECT_EQ(log.Count({L"installation begins"}), usable ? 1u : 0u);
  EXPECT_EQ(log.Count({L"requested (shortcuts 0 0)"}), 1u);
}

}  // namespace
