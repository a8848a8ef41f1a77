// Skinned windows on real windows under Xvfb: building the tree from a skin folder, the archive
// resource and an XML resource; hit tests at the edges, on the caption and on a button; the
// round-corner region; tracking sizes; the window buttons; Escape and Return; virtual windows;
// closed windows leaving no tree behind; two archive resources.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ui_core/manager/ui_manager.h"
#include "ui_core/window/ui_window_impl.h"
#include "ui_test_support.h"
#include "window_fixture.h"

namespace {

using SkinUI::CControlUI;
using SkinUI::CWindowManagerUI;
using WindowFixture::kMsgCloseWith;
using WindowFixture::TestFrame;
using WindowFixture::TestImplWindow;
using WindowFixture::WindowGuard;
using WindowFixture::WindowRect;

class SkinnedWindowTest : public testing::Test {
protected:
  void SetUp() override { WindowFixture::UseFreshSkinSource(); }
};

LRESULT HitTest(HWND window, POINT screen) {
  return ::SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
}

void ExpectMainWindowTree(TestFrame& frame) {
  EXPECT_EQ(frame.initCount, 1);
  ASSERT_NE(frame.GetManager().GetRoot(), nullptr);
  CControlUI* ok = frame.Find(L"okbtn");
  ASSERT_NE(ok, nullptr);
  EXPECT_STREQ(ok->GetClass(), L"Button");
  ASSERT_NE(frame.Find(L"closebtn"), nullptr);
  const RECT rc = WindowRect(frame.GetHWND());
  EXPECT_EQ(rc.right - rc.left, 400);  // "size"
  EXPECT_EQ(rc.bottom - rc.top, 300);
}

TEST_F(SkinnedWindowTest, FrameBuildsItsTreeFromTheSkinFolder) {
  TestFrame frame(L"MainWnd.xml", SkinUI::kSkinFromFolder);
  ASSERT_NE(frame.CreateAt(100, 100), nullptr);
  WindowGuard guard(frame.GetHWND());
  ExpectMainWindowTree(frame);
  EXPECT_TRUE(CWindowManagerUI::GetResourceZip().IsEmpty());
}

TEST_F(SkinnedWindowTest, FrameBuildsItsTreeFromTheArchiveResource) {
  TestFrame frame(L"MainWnd.xml", SkinUI::kSkinFromArchiveResource);
  ASSERT_NE(frame.CreateAt(100, 100), nullptr);
  WindowGuard guard(frame.GetHWND());
  ExpectMainWindowTree(frame);
  EXPECT_TRUE(CWindowManagerUI::GetResourceZip() == L"membuffer");
  EXPECT_NE(CWindowManagerUI::GetResourceZipHandle(), nullptr);
}

TEST_F(SkinnedWindowTest, ArchiveWindowsAfterAFolderWindowOpenTheArchiveAgain) {
  TestFrame first(L"MainWnd.xml", SkinUI::kSkinFromArchiveResource);
  ASSERT_NE(first.CreateAt(100, 100), nullptr);
  WindowGuard firstGuard(first.GetHWND());
  WindowFixture::UseFreshSkinSource();
  TestFrame folder(L"PlainWnd.xml", SkinUI::kSkinFromFolder);
  ASSERT_NE(folder.CreateAt(120, 120), nullptr);
  WindowGuard folderGuard(folder.GetHWND());
  TestFrame second(L"ShadowWnd.xml", SkinUI::kSkinFromArchiveResource);
  ASSERT_NE(second.CreateAt(140, 140), nullptr);
  WindowGuard secondGuard(second.GetHWND());
  EXPECT_EQ(second.initCount, 1);
  EXPECT_TRUE(CWindowManagerUI::GetResourceZip() == L"membuffer");
  EXPECT_EQ(WindowRect(second.GetHWND()).right - WindowRect(second.GetHWND()).left, 600);
}

TEST_F(SkinnedWindowTest, FrameBuildsItsTreeFromAnXmlResource) {
  TestFrame frame(L"201", SkinUI::kSkinFromXmlResource);
  ASSERT_NE(frame.CreateAt(100, 100), nullptr);
  WindowGuard guard(frame.GetHWND());
  EXPECT_NE(frame.Find(L"body"), nullptr);
  const RECT rc = WindowRect(frame.GetHWND());
  EXPECT_EQ(rc.right - rc.left, 300);
}

TEST_F(SkinnedWindowTest, CreationMakesTheWholeWindowClientAreaAndKeepsItsPlace) {
  TestFrame frame(L"MainWnd.xml");
  const HWND hwnd =
      frame.CreateAt(150, 120, WS_POPUP | WS_CAPTION | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
  ASSERT_NE(hwnd, nullptr);
  WindowGuard guard(hwnd);
  const LONG_PTR style = ::GetWindowLongPtrW(hwnd, GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, 0);
  EXPECT_EQ(style & WS_MAXIMIZEBOX, 0);  // the frame's own set-up
  EXPECT_NE(style & WS_MINIMIZEBOX, 0);
  EXPECT_NE(style & WS_CLIPCHILDREN, 0);
  EXPECT_NE(style & WS_CLIPSIBLINGS, 0);
  EXPECT_EQ(::GetClassLongPtrW(hwnd, GCL_STYLE) & CS_DBLCLKS, CS_DBLCLKS);
  const RECT window = WindowRect(hwnd);
  EXPECT_EQ(window.left, 150);
  EXPECT_EQ(window.top, 120);
  RECT client = {};
  ::GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, window.right - window.left);
  EXPECT_EQ(client.bottom, window.bottom - window.top);
}

TEST_F(SkinnedWindowTest, HitTestsFindTheSizingBordersTheCaptionAndTheButtons) {
  TestFrame frame(L"MainWnd.xml");  // sizebox 4,4,4,4, caption 0,0,0,35, 400 x 300
  const HWND hwnd = frame.CreateAt(100, 100);
  ASSERT_NE(hwnd, nullptr);
  WindowGuard guard(hwnd);
  frame.ShowWindow(true, false);
  TestSupport::PumpPending();
  struct Case {
    int x, y;  // window coordinates
    LRESULT expected;
  };
  const Case cases[] = {
      {2, 150, HTLEFT},         {397, 150, HTRIGHT},      {200, 1, HTTOP},
      {200, 298, HTBOTTOM},     {1, 1, HTTOPLEFT},        {398, 2, HTTOPRIGHT},
      {2, 297, HTBOTTOMLEFT},   {398, 298, HTBOTTOMRIGHT}, {2, 10, HTLEFT},
      {100, 10, HTCAPTION},     {100, 34, HTCAPTION},     {100, 35, HTCLIENT},
      {200, 150, HTCLIENT},     {4, 150, HTCLIENT},       {395, 150, HTCLIENT},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "(" << c.x << ", " << c.y << ")");
    EXPECT_EQ(HitTest(hwnd, POINT{100 + c.x, 100 + c.y}), c.expected);
  }
  // The button in the caption row takes its clicks; the other caption controls drag.
  EXPECT_EQ(HitTest(hwnd, frame.ScreenCentreOf(L"okbtn")), HTCLIENT);
  EXPECT_EQ(HitTest(hwnd, frame.ScreenCentreOf(L"closebtn")), HTCAPTION);
}

TEST_F(SkinnedWindowTest, MaximisedWindowHasNoSizingBorders) {
  TestFrame frame(L"MainWnd.xml");
  const HWND hwnd = frame.CreateAt(100, 100);
  ASSERT_NE(hwnd, nullptr);
  WindowGuard guard(hwnd);
  ::ShowWindow(hwnd, SW_MAXIMIZE);
  TestSupport::PumpPending();
  ASSERT_TRUE(::IsZoomed(hwnd));
  const RECT rc = WindowRect(hwnd);
  const int midY = (rc.top + rc.bottom) / 2;
  EXPECT_EQ(HitTest(hwnd, POINT{rc.left + 2, midY}), HTCLIENT);
  EXPECT_EQ(HitTest(hwnd, POINT{rc.right - 2, midY}), HTCLIENT);
  EXPECT_EQ(HitTest(hwnd, POINT{rc.left + 100, rc.bottom - 2}), HTCLIENT);
  EXPECT_EQ(HitTest(hwnd, POINT{rc.left + 1, rc.top + 1}), HTCAPTION);
}

TEST_F(SkinnedWindowTest, RoundCornersCutTheWindowRegion) {
  TestFrame frame(L"MainWnd.xml");  // roundcorner 8,8
  const HWND hwnd = frame.CreateAt(100, 100);
  ASSERT_NE(hwnd, nullptr);
  WindowGuard guard(hwnd);
  Utils::UniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
  const int type = ::GetWindowRgn(hwnd, region.get());
  ASSERT_TRUE(type == COMPLEXREGION || type == SIMPLEREGION) << type;
  EXPECT_FALSE(::PtInRegion(region.get(), 0, 0));
  EXPECT_FALSE(::PtInRegion(region.get(), 399, 0));
  EXPECT_FALSE(::PtInRegion(region.get(), 0, 299));
  EXPECT_TRUE(::PtInRegion(region.get(), 200, 150));
  EXPECT_TRUE(::PtInRegion(region.get(), 0, 150));
  EXPECT_TRUE(::PtInRegion(region.get(), 399, 150));
  EXPECT_TRUE(::PtInRegion(region.get(), 200, 299));

  // The region follows the size.
  ::SetWindowPos(hwnd, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Utils::UniqueRegion resized(::CreateRectRgn(0, 0, 0, 0));
  ::GetWindowRgn(hwnd, resized.get());
  EXPECT_TRUE(::PtInRegion(resized.get(), 299, 100));
  EXPECT_FALSE(::PtInRegion(resized.get(), 299, 199));
  RECT box = {};
  ::GetRgnBox(resized.get(), &box);
  EXPECT_EQ(box.right, 300);
  EXPECT_EQ(box.bottom, 200);
}

TEST_F(SkinnedWindowTest, WindowWithoutRoundCornersKeepsNoRegion) {
  TestFrame frame(L"PlainWnd.xml");
  const HWND hwnd = frame.CreateAt(100, 100);
  ASSERT_NE(hwnd, nullptr);
  WindowGuard guard(hwnd);
  Utils::UniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
  EXPECT_EQ(::GetWindowRgn(hwnd, region.get()), ERROR);
}

TEST_F(SkinnedWindowTest, TrackingSizesComeFromMinInfoMaxInfoAndTheWorkArea) {
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  {
    TestFrame frame(L"MainWnd.xml");  // mininfo 200,150, maxinfo 800,600
    const HWND hwnd = frame.CreateAt(100, 100);
    ASSERT_NE(hwnd, nullptr);
    WindowGuard guard(hwnd);
    ::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &monitor);
    MINMAXINFO info = {};
    ::SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 200);
    EXPECT_EQ(info.ptMinTrackSize.y, 150);
    EXPECT_EQ(info.ptMaxTrackSize.x, 800);
    EXPECT_EQ(info.ptMaxTrackSize.y, 600);
    EXPECT_EQ(info.ptMaxPosition.x, monitor.rcWork.left - monitor.rcMonitor.left);
    EXPECT_EQ(info.ptMaxPosition.y, monitor.rcWork.top - monitor.rcMonitor.top);
  }
  {
    TestFrame frame(L"PlainWnd.xml");  // neither
    const HWND hwnd = frame.CreateAt(100, 100);
    ASSERT_NE(hwnd, nullptr);
    WindowGuard guard(hwnd);
    MINMAXINFO info = {};
    ::SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMaxTrackSize.x, monitor.rcWork.right - monitor.rcWork.left);
    EXPECT_EQ(info.ptMaxTrackSize.y, monitor.rcWork.bottom - monitor.rcWork.top);
  }
}

void Click(TestFrame& frame, const wchar_t* name) {
  CControlUI* control = frame.Find(name);
  ASSERT_NE(control, nullptr) << "no control " << name;
  frame.GetManager().SendNotify(control, L"click");
}

TEST_F(SkinnedWindowTest, CloseButtonEndsTheModalLoopWithOne) {
  TestFrame frame(L"MainWnd.xml");
  ASSERT_NE(frame.CreateAt(100, 100), nullptr);
  WindowGuard guard(frame.GetHWND());
  Click(frame, L"closebtn");
  EXPECT_EQ(frame.ShowModal(), 1u);
  EXPECT_EQ(frame.GetHWND(), nullptr);
}

TEST_F(SkinnedWindowTest, MinimiseMaximiseAndRestoreButtons) {
  TestFrame frame(L"MainWnd.xml");
  const HWND hwnd = frame.CreateAt(100, 100);
  ASSERT_NE(hwnd, nullptr);
  WindowGuard guard(hwnd);
  frame.ShowWindow(true);
  TestSupport::PumpPending();
  CControlUI* maxButton = frame.Find(L"maxbtn");
  CControlUI* restoreButton = frame.Find(L"restorebtn");
  ASSERT_NE(maxButton, nullptr);
  ASSERT_NE(restoreButton, nullptr);

  Click(frame, L"maxbtn");
  EXPECT_TRUE(::IsZoomed(hwnd));
  EXPECT_FALSE(maxButton->IsVisible());
  EXPECT_TRUE(restoreButton->IsVisible());

  Click(frame, L"restorebtn");
  EXPECT_FALSE(::IsZoomed(hwnd));
  EXPECT_TRUE(maxButton->IsVisible());
  EXPECT_FALSE(restoreButton->IsVisible());

  Click(frame, L"minbtn");
  EXPECT_TRUE(::IsIconic(hwnd));
  EXPECT_TRUE(maxButton->IsVisible());  // minimising changes no button
}

TEST_F(SkinnedWindowTest, SystemCloseCommandSendsClose) {
  TestFrame frame(L"MainWnd.xml");
  const HWND hwnd = frame.CreateAt(100, 100);
  ASSERT_NE(hwnd, nullptr);
  ::SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  // WindowImplBase leaves WM_CLOSE to the default, which destroys the window.
  EXPECT_FALSE(::IsWindow(hwnd));
}

TEST_F(SkinnedWindowTest, EscapeNeverClosesAFrameWindowAndReturnIsPassedOn) {
  TestFrame frame(L"MainWnd.xml");
  const HWND hwnd = frame.CreateAt(100, 100);
  ASSERT_NE(hwnd, nullptr);
  WindowGuard guard(hwnd);
  ::PostMessageW(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
  ::PostMessageW(hwnd, WM_KEYDOWN, VK_RETURN, 0);
  ::PostMessageW(hwnd, kMsgCloseWith, 9, 0);
  EXPECT_EQ(frame.ShowModal(), 9u);
  // Escape was swallowed before the default keys; Return went there and on to the window.
  EXPECT_EQ(frame.defaultKeys, std::vector<WPARAM>{VK_RETURN});
  EXPECT_EQ(frame.keyDowns, std::vector<WPARAM>{VK_RETURN});
}

TEST_F(SkinnedWindowTest, EscapeClosesAPlainSkinnedWindowWithOne) {
  TestImplWindow window(L"PlainWnd.xml");
  const HWND hwnd = window.CreateAt(100, 100);
  ASSERT_NE(hwnd, nullptr);
  WindowGuard guard(hwnd);
  ::PostMessageW(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
  ::PostMessageW(hwnd, kMsgCloseWith, 9, 0);
  EXPECT_EQ(window.ShowModal(), 1u);
  EXPECT_EQ(window.defaultKeys, std::vector<WPARAM>{VK_ESCAPE});
}

TEST_F(SkinnedWindowTest, ShadowOnlyWhenShowShadowIsTrue) {
  TestFrame shadowed(L"MainWnd.xml");
  ASSERT_NE(shadowed.CreateAt(100, 100), nullptr);
  WindowGuard shadowedGuard(shadowed.GetHWND());
  for (int band = 0; band < SkinUI::CWindowShadow::kBandCount; ++band) {
    const HWND shadow = shadowed.GetShadow().GetBandWindow(band);
    ASSERT_NE(shadow, nullptr);
    EXPECT_EQ(::GetWindow(shadow, GW_OWNER), shadowed.GetHWND());
  }

  TestFrame plain(L"PlainWnd.xml");  // showshadow="yes"
  ASSERT_NE(plain.CreateAt(120, 120), nullptr);
  WindowGuard plainGuard(plain.GetHWND());
  EXPECT_FALSE(plain.GetShadow().HasWindows());
  EXPECT_EQ(plain.GetShadow().GetStatus(), 0);
}

// A virtual window of the frame takes the clicks of the controls that name it.
class PagePump : public SkinUI::CNotifyPump {
public:
  std::vector<std::wstring> clicked;
  void OnClick(SkinUI::TNotifyMsgUI& msg) { clicked.push_back(msg.sender->GetName().GetData()); }

  SKINUI_DECLARE_NOTIFY_MAP()
};

SKINUI_BEGIN_NOTIFY_MAP(PagePump, SkinUI::CNotifyPump)
  SKINUI_ON_NOTIFY(PagePump, L"click", L"", OnClick)
SKINUI_END_NOTIFY_MAP(PagePump, SkinUI::CNotifyPump)

TEST_F(SkinnedWindowTest, VirtualWindowTakesTheClicksOfItsControls) {
  TestFrame frame(L"MainWnd.xml");
  const HWND hwnd = frame.CreateAt(100, 100);
  ASSERT_NE(hwnd, nullptr);
  WindowGuard guard(hwnd);
  PagePump page;
  ASSERT_TRUE(frame.AddVirtualWnd(L"page", &page));
  frame.GetManager().SetUsedVirtualWnd(true);
  CControlUI* close = frame.Find(L"closebtn");
  ASSERT_NE(close, nullptr);
  close->SetVirtualWnd(L"Page");

  Click(frame, L"closebtn");  // taken by the page, so the window stays
  EXPECT_EQ(page.clicked, std::vector<std::wstring>{L"closebtn"});
  ::PostMessageW(hwnd, kMsgCloseWith, 4, 0);
  EXPECT_EQ(frame.ShowModal(), 4u);
}

TEST_F(SkinnedWindowTest, FinalMessageLetsGoOfTheTree) {
  const long liveBefore = CControlUI::GetLiveCount();
  {
    TestFrame frame(L"MainWnd.xml");
    const HWND hwnd = frame.CreateAt(100, 100);
    ASSERT_NE(hwnd, nullptr);
    TestSupport::NotifyRecorder recorder;
    frame.GetManager().AddNotifier(&recorder);
    ASSERT_NE(frame.Find(L"root"), nullptr);
    EXPECT_GT(CControlUI::GetLiveCount(), liveBefore);
    ::DestroyWindow(hwnd);
    EXPECT_EQ(frame.GetHWND(), nullptr);
    // The window no longer listens to its manager, and the manager forgot the root.
    EXPECT_FALSE(frame.GetManager().RemoveNotifier(&frame));
    EXPECT_TRUE(frame.GetManager().RemoveNotifier(&recorder));
    EXPECT_EQ(frame.Find(L"root"), nullptr);
    EXPECT_EQ(frame.GetManager().GetFocus(), nullptr);
    EXPECT_EQ(frame.GetManager().GetHover(), nullptr);
  }
  // Forgetting is not deleting: the tree goes with the window object, once.
  EXPECT_EQ(CControlUI::GetLiveCount(), liveBefore);
}

// A box as the installer shows them: a frame on the heap that deletes itself when its window is
// gone, shown modal and closed by its close button.
bool OpenAndCloseBox(int x, int y) {
  auto* box = new TestFrame(L"MainWnd.xml");
  box->deleteOnFinalMessage = true;
  if (box->CreateAt(x, y) == nullptr) {
    delete box;
    return false;
  }
  CControlUI* close = box->Find(L"closebtn");
  if (close == nullptr) {
    ::DestroyWindow(box->GetHWND());
    return false;
  }
  box->GetManager().SendNotify(close, L"click", 0, 0, true);
  return box->ShowModal() == 1;  // the box is deleted by now
}

DWORD GdiObjects() { return ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS); }

TEST_F(SkinnedWindowTest, FiftyBoxesOpenedAndClosedLeaveNoControlsOrGdiObjectsBehind) {
  // The first box makes what a process makes once (window classes, the archive copy, fonts).
  ASSERT_TRUE(OpenAndCloseBox(100, 100));
  TestSupport::PumpPending();
  const long liveBefore = CControlUI::GetLiveCount();
  const DWORD gdiBefore = GdiObjects();
  const int destroyedBefore = TestFrame::destroyedObjects;
  constexpr int kBoxes = 50;
  for (int i = 0; i < kBoxes; ++i) {
    ASSERT_TRUE(OpenAndCloseBox(100 + i, 100 + i)) << "box " << i;
  }
  TestSupport::PumpPending();
  EXPECT_EQ(TestFrame::destroyedObjects - destroyedBefore, kBoxes);
  EXPECT_EQ(CControlUI::GetLiveCount(), liveBefore) << "controls of closed boxes still alive";
  const DWORD gdiAfter = GdiObjects();
  std::printf("GDI objects before %lu, after %d boxes %lu (0: not counted by this system)\n",
              static_cast<unsigned long>(gdiBefore), kBoxes, static_cast<unsigned long>(gdiAfter));
  // Systems that count GDI objects per process must see them come back.
  if (gdiBefore != 0) {
    EXPECT_LE(gdiAfter, gdiBefore);
  }
}

TEST_F(SkinnedWindowTest, EachArchiveResourceGivesTheSkinOfThatArchive) {
  {
    TestFrame first(L"PlainWnd.xml");  // resource 147: 300 x 200
    ASSERT_NE(first.CreateAt(100, 100), nullptr);
    WindowGuard guard(first.GetHWND());
    EXPECT_EQ(WindowRect(first.GetHWND()).right - WindowRect(first.GetHWND()).left, 300);
  }
  WindowFixture::UseFreshSkinSource();
  SkinUI::TSkinInfoUI info = WindowFixture::FrameInfo(L"PlainWnd.xml");
  info.resourceId = 148;  // the same file name, 321 x 123
  TestFrame other(info);
  ASSERT_NE(other.CreateAt(120, 120), nullptr);
  WindowGuard guard(other.GetHWND());
  const RECT rc = WindowRect(other.GetHWND());
  EXPECT_EQ(rc.right - rc.left, 321);
  EXPECT_EQ(rc.bottom - rc.top, 123);
}

}  // namespace
