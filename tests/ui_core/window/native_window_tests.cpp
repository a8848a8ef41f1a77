// The native window wrapper on real windows: class registration and superclassing, the two
// window procedures, subclassing, the modal loop and its result, centring and the icon.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "ui_core/window/ui_window.h"
#include "ui_test_support.h"
#include "window_fixture.h"

namespace {

using SkinUI::CWindowWnd;
using WindowFixture::WindowGuard;
using WindowFixture::WindowRect;

constexpr UINT kMsgTest = WM_APP + 60;
constexpr UINT kMsgTestOther = WM_APP + 61;

// A window object that records what reaches it and lets a test answer messages.
class RecordingWindow : public CWindowWnd {
public:
  explicit RecordingWindow(const wchar_t* className = L"TessmarkRecordingWnd",
                           const wchar_t* superName = nullptr)
      : className_(className), superName_(superName) {}

  std::vector<UINT> messages;
  // Answers a message itself when it returns true.
  std::function<bool(UINT, WPARAM, LPARAM, LRESULT&)> onMessage;
  HWND finalWindow = nullptr;
  HWND handleDuringFinal = reinterpret_cast<HWND>(-1);
  int finalCount = 0;

  HWND CreatePopup(HWND owner = nullptr, int x = 50, int y = 50, int cx = 200, int cy = 100) {
    return Create(owner, L"recording", WS_POPUP, 0, x, y, cx, cy);
  }
  bool Saw(UINT message) const {
    for (UINT m : messages) {
      if (m == message) return true;
    }
    return false;
  }

protected:
  const wchar_t* GetWindowClassName() const override { return className_; }
  const wchar_t* GetSuperClassName() const override { return superName_; }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    messages.push_back(message);
    LRESULT result = 0;
    if (onMessage && onMessage(message, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(message, wParam, lParam);
  }
  void OnFinalMessage(HWND window) override {
    finalWindow = window;
    handleDuringFinal = GetHWND();
    ++finalCount;
  }

private:
  const wchar_t* className_;
  const wchar_t* superName_;
};

class NativeWindowTest : public testing::Test {
protected:
  void SetUp() override { WindowFixture::InitProcess(); }
  void TearDown() override {
    // A test that failed inside a loop must not leave a quit request to the next one.
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }
};

TEST_F(NativeWindowTest, CreateBindsTheObjectUntilTheWindowIsGone) {
  RecordingWindow window;
  const HWND hwnd = window.CreatePopup();
  ASSERT_NE(hwnd, nullptr);
  WindowGuard guard(hwnd);
  EXPECT_EQ(window.GetHWND(), hwnd);
  EXPECT_TRUE(window.Saw(WM_NCCREATE));
  EXPECT_TRUE(window.Saw(WM_CREATE));
  EXPECT_EQ(::GetWindowLongPtrW(hwnd, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&window));
  EXPECT_EQ(::GetClassLongPtrW(hwnd, GCL_STYLE), 0);
  EXPECT_EQ(reinterpret_cast<HCURSOR>(::GetClassLongPtrW(hwnd, GCLP_HCURSOR)),
            ::LoadCursorW(nullptr, IDC_ARROW));

  ::DestroyWindow(hwnd);
  EXPECT_EQ(window.finalCount, 1);
  EXPECT_EQ(window.finalWindow, hwnd);
  EXPECT_EQ(window.handleDuringFinal, nullptr);
  EXPECT_EQ(window.GetHWND(), nullptr);
  EXPECT_TRUE(window.Saw(WM_DESTROY));
  // The last message goes to the previous procedure, not to the object.
  EXPECT_FALSE(window.Saw(WM_NCDESTROY));
}

TEST_F(NativeWindowTest, SecondWindowOfAClassFindsItRegistered) {
  RecordingWindow first;
  RecordingWindow second;
  const HWND a = first.CreatePopup();
  const HWND b = second.CreatePopup();
  WindowGuard guardA(a);
  WindowGuard guardB(b);
  EXPECT_NE(a, nullptr);
  EXPECT_NE(b, nullptr);
  EXPECT_NE(a, b);
}

TEST_F(NativeWindowTest, SuperclassOfAMissingClassCreatesNoWindow) {
  RecordingWindow window(L"TessmarkOrphanWnd", L"TessmarkNoSuchClass");
  EXPECT_EQ(window.CreatePopup(), nullptr);
  EXPECT_EQ(window.GetHWND(), nullptr);
  EXPECT_EQ(::FindWindowW(L"TessmarkOrphanWnd", nullptr), nullptr);
}

TEST_F(NativeWindowTest, SuperclassOfTheSystemEditKeepsTheEditBehaviour) {
  RecordingWindow edit(L"TessmarkEditWnd", L"Edit");
  const HWND hwnd = edit.CreatePopup();
  ASSERT_NE(hwnd, nullptr);
  WindowGuard guard(hwnd);
  EXPECT_EQ(::GetPropW(hwnd, L"WndX"), static_cast<HANDLE>(&edit));

  ::SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"hello"));
  wchar_t text[16] = {};
  ::GetWindowTextW(hwnd, text, 16);
  EXPECT_STREQ(text, L"hello");
  EXPECT_TRUE(edit.Saw(WM_SETTEXT));
  // The edit's own messages answer through the system procedure.
  EXPECT_EQ(::SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0), 5);

  ::DestroyWindow(hwnd);
  EXPECT_EQ(edit.finalCount, 1);
  EXPECT_EQ(edit.GetHWND(), nullptr);
}

TEST_F(NativeWindowTest, SubclassRoutesAnExistingWindowAndUnsubclassGivesItBack) {
  const HWND stat = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                                      ::GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(stat, nullptr);
  WindowGuard guard(stat);
  const LONG_PTR original = ::GetWindowLongPtrW(stat, GWLP_WNDPROC);

  RecordingWindow window(L"TessmarkUnusedWnd");
  EXPECT_EQ(window.Subclass(stat), stat);
  ::SendMessageW(stat, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"x"));
  EXPECT_TRUE(window.Saw(WM_SETTEXT));
  wchar_t text[4] = {};
  ::GetWindowTextW(stat, text, 4);
  EXPECT_STREQ(text, L"x");

  window.Unsubclass();
  EXPECT_EQ(::GetWindowLongPtrW(stat, GWLP_WNDPROC), original);
  EXPECT_EQ(::GetPropW(stat, L"WndX"), nullptr);
  window.messages.clear();
  ::SendMessageW(stat, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"y"));
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(NativeWindowTest, SubclassedWindowDestroyedHearsItsFinalMessage) {
  const HWND stat = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                                      ::GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(stat, nullptr);
  RecordingWindow window(L"TessmarkUnusedWnd");
  ASSERT_EQ(window.Subclass(stat), stat);
  ::DestroyWindow(stat);
  EXPECT_EQ(window.finalCount, 1);
  EXPECT_EQ(window.finalWindow, stat);
  EXPECT_EQ(window.GetHWND(), nullptr);
}

TEST_F(NativeWindowTest, ShowModalReturnsTheValueGivenToClose) {
  for (UINT result : {1u, 0u, 42u, 0xFFFFu}) {
    SCOPED_TRACE(result);
    RecordingWindow window;
    ASSERT_NE(window.CreatePopup(), nullptr);
    window.Close(result);
    EXPECT_EQ(window.ShowModal(), result);
    EXPECT_EQ(window.GetHWND(), nullptr);
  }
}

// A window object that deletes itself once its window is gone, as dialogs made with new do.
class SelfDeletingWindow : public RecordingWindow {
public:
  explicit SelfDeletingWindow(bool* deleted) : deleted_(deleted) {}
  ~SelfDeletingWindow() override { *deleted_ = true; }

protected:
  void OnFinalMessage(HWND window) override {
    RecordingWindow::OnFinalMessage(window);
    delete this;
  }

private:
  bool* deleted_;
};

TEST_F(NativeWindowTest, ShowModalOfAWindowThatDeletesItselfReturnsItsResult) {
  bool deleted = false;
  auto* window = new SelfDeletingWindow(&deleted);
  ASSERT_NE(window->CreatePopup(), nullptr);
  window->Close(6);
  EXPECT_EQ(window->ShowModal(), 6u);
  EXPECT_TRUE(deleted);
}

TEST_F(NativeWindowTest, ShowModalOfAWindowDestroyedWithoutCloseReturnsZero) {
  RecordingWindow window;
  window.onMessage = [&window](UINT message, WPARAM, LPARAM, LRESULT&) {
    if (message == kMsgTest) ::DestroyWindow(window.GetHWND());
    return message == kMsgTest;
  };
  ASSERT_NE(window.CreatePopup(), nullptr);
  window.PostMessage(kMsgTest);
  EXPECT_EQ(window.ShowModal(), 0u);
  EXPECT_TRUE(window.Saw(WM_SHOWWINDOW));
}

TEST_F(NativeWindowTest, ResultIsTheLastCloseTheWindowSaw) {
  RecordingWindow window;
  // The first close request is refused; the second one closes.
  window.onMessage = [](UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    result = 0;
    return message == WM_CLOSE && wParam == 2;
  };
  ASSERT_NE(window.CreatePopup(), nullptr);
  window.Close(2);
  window.Close(3);
  EXPECT_EQ(window.ShowModal(), 3u);
}

TEST_F(NativeWindowTest, ModalLoopDisablesTheOwnerAndGivesItBack) {
  RecordingWindow owner;
  const HWND ownerWindow = owner.CreatePopup(nullptr, 40, 40, 300, 200);
  ASSERT_NE(ownerWindow, nullptr);
  WindowGuard guard(ownerWindow);
  ::ShowWindow(ownerWindow, SW_SHOWNORMAL);

  RecordingWindow dialog(L"TessmarkDialogWnd");
  int ownerEnabledInside = -1;
  dialog.onMessage = [&](UINT message, WPARAM, LPARAM, LRESULT&) {
    if (message != kMsgTest) return false;
    ownerEnabledInside = ::IsWindowEnabled(ownerWindow) ? 1 : 0;
    dialog.Close(5);
    return true;
  };
  ASSERT_NE(dialog.CreatePopup(ownerWindow), nullptr);
  dialog.PostMessage(kMsgTest);
  EXPECT_EQ(dialog.ShowModal(), 5u);
  EXPECT_EQ(ownerEnabledInside, 0);
  EXPECT_TRUE(::IsWindowEnabled(ownerWindow));
}

TEST_F(NativeWindowTest, ModalLoopKeepsServingOtherWindows) {
  RecordingWindow other(L"TessmarkOtherWnd");
  const HWND otherWindow = other.CreatePopup();
  ASSERT_NE(otherWindow, nullptr);
  WindowGuard guard(otherWindow);
  RecordingWindow dialog;
  other.onMessage = [&dialog](UINT message, WPARAM, LPARAM, LRESULT&) {
    if (message == kMsgTest) dialog.Close(9);
    return message == kMsgTest;
  };
  ASSERT_NE(dialog.CreatePopup(), nullptr);
  other.PostMessage(kMsgTest);
  EXPECT_EQ(dialog.ShowModal(), 9u);
  EXPECT_TRUE(other.Saw(kMsgTest));
}

TEST_F(NativeWindowTest, QuitInsideANestedLoopEndsBothLoopsAndStaysPosted) {
  RecordingWindow outer;
  RecordingWindow inner(L"TessmarkInnerWnd");
  const HWND outerWindow = outer.CreatePopup(nullptr, 30, 30, 300, 200);
  ASSERT_NE(outerWindow, nullptr);
  WindowGuard outerGuard(outerWindow);
  const HWND innerWindow = inner.CreatePopup(outerWindow);
  ASSERT_NE(innerWindow, nullptr);
  WindowGuard innerGuard(innerWindow);

  UINT innerResult = 99;
  bool innerReturned = false;
  int outerEnabledInside = -1;
  outer.onMessage = [&](UINT message, WPARAM, LPARAM, LRESULT&) {
    if (message != kMsgTest) return false;
    innerResult = inner.ShowModal();
    innerReturned = true;
    return true;
  };
  inner.onMessage = [&](UINT message, WPARAM, LPARAM, LRESULT&) {
    if (message != kMsgTestOther) return false;
    outerEnabledInside = ::IsWindowEnabled(outerWindow) ? 1 : 0;
    ::PostQuitMessage(7);
    return true;
  };
  outer.PostMessage(kMsgTest);
  inner.PostMessage(kMsgTestOther);

  EXPECT_EQ(outer.ShowModal(), 0u);
  EXPECT_TRUE(innerReturned);
  EXPECT_EQ(innerResult, 0u);
  EXPECT_EQ(outerEnabledInside, 0);
  EXPECT_TRUE(::IsWindowEnabled(outerWindow));
  // Both windows are still there: only the loops ended.
  EXPECT_TRUE(::IsWindow(outerWindow));
  EXPECT_TRUE(::IsWindow(innerWindow));
  MSG msg = {};
  ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
}

RECT PrimaryWorkArea() {
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  ::GetMonitorInfoW(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
  return info.rcWork;
}

TEST_F(NativeWindowTest, CenterWindowPlacesOnTheOwnerOrTheWorkAreaAndKeepsInside) {
  const RECT work = PrimaryWorkArea();
  const int workWidth = work.right - work.left;
  const int workHeight = work.bottom - work.top;
  struct Case {
    const char* what;
    bool owned;
    RECT ownerRect;  // x, y, width, height
    SIZE size;
    POINT expected;
  };
  const Case cases[] = {
      {"no owner: centre of the work area", false, {}, {200, 100},
       {(work.left + work.right) / 2 - 100, (work.top + work.bottom) / 2 - 50}},
      {"larger than the work area: its left and top edges", false, {},
       {workWidth + 100, workHeight + 60}, {work.left, work.top}},
      {"owner: centre of the owner", true, {300, 200, 400, 300}, {200, 100}, {400, 300}},
      {"owner at the right edge: kept inside", true,
       {work.right - 100, 200, 400, 300}, {200, 100}, {work.right - 200, 300}},
      {"owner at the bottom edge: kept inside", true,
       {300, work.bottom - 50, 400, 300}, {200, 100}, {400, work.bottom - 100}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RecordingWindow owner(L"TessmarkOwnerWnd");
    HWND ownerWindow = nullptr;
    if (c.owned) {
      ownerWindow = owner.CreatePopup(nullptr, c.ownerRect.left, c.ownerRect.top,
                                      c.ownerRect.right, c.ownerRect.bottom);
      ASSERT_NE(ownerWindow, nullptr);
    }
    WindowGuard ownerGuard(ownerWindow);
    RecordingWindow window;
    const HWND hwnd = window.CreatePopup(ownerWindow, 5, 5, c.size.cx, c.size.cy);
    ASSERT_NE(hwnd, nullptr);
    WindowGuard guard(hwnd);
    window.CenterWindow();
    const RECT rc = WindowRect(hwnd);
    EXPECT_EQ(rc.left, c.expected.x);
    EXPECT_EQ(rc.top, c.expected.y);
    EXPECT_EQ(rc.right - rc.left, c.size.cx);
    EXPECT_EQ(rc.bottom - rc.top, c.size.cy);
  }
}

TEST_F(NativeWindowTest, SetIconGivesTheWindowABigAndASmallIcon) {
  RecordingWindow window;
  const HWND hwnd = window.CreatePopup();
  ASSERT_NE(hwnd, nullptr);
  WindowGuard guard(hwnd);
  window.SetIcon(101);
  const auto big = reinterpret_cast<HICON>(::SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0));
  const auto small = reinterpret_cast<HICON>(::SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0));
  ASSERT_NE(big, nullptr);
  ASSERT_NE(small, nullptr);
  ICONINFO info = {};
  ASSERT_TRUE(::GetIconInfo(big, &info));
  Utils::UniqueBitmap color(info.hbmColor);
  Utils::UniqueBitmap mask(info.hbmMask);
  BITMAP bitmap = {};
  ::GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
  EXPECT_EQ(bitmap.bmWidth, ::GetSystemMetrics(SM_CXICON));
}

TEST_F(NativeWindowTest, ShowWindowShowsWithOrWithoutFocusAndHides) {
  RecordingWindow window;
  window.ShowWindow(true);  // no window yet: nothing happens
  const HWND hwnd = window.CreatePopup();
  ASSERT_NE(hwnd, nullptr);
  WindowGuard guard(hwnd);
  window.ShowWindow(true, false);
  EXPECT_TRUE(::IsWindowVisible(hwnd));
  window.ShowWindow(false);
  EXPECT_FALSE(::IsWindowVisible(hwnd));
  window.ShowWindow(true, true);
  EXPECT_TRUE(::IsWindowVisible(hwnd));
}

}  // namespace
