// Mouse and keyboard messages sent to a real window become input events of its controls.
#include <gtest/gtest.h>

#include <windowsx.h>

#include "manager_test_controls.h"
#include "test_support.h"

namespace {

using namespace SkinUI;
using ManagerTest::Ev;
using ManagerTest::EventRecord;
using ManagerTest::RecordingControl;

struct Expected {
  const wchar_t* control;
  int type;
  int x;
  int y;
  WPARAM wParam = 0;
  WORD key = 0;
};

struct Step {
  const char* what;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  std::vector<Expected> events;
};

// Messages that came back to a native child window, reflected by the manager.
std::vector<UINT> g_reflected;

LRESULT CALLBACK ReflectChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= 0x2000 && message < 0x3000) {
    g_reflected.push_back(message);
    return 7;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

BOOL CALLBACK FindToolTipProc(HWND window, LPARAM data) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  if (_wcsicmp(name, TOOLTIPS_CLASSW) != 0) return TRUE;
  *reinterpret_cast<HWND*>(data) = window;
  return FALSE;
}

class InputTest : public ManagerTest::TwoControlTest {
protected:
  void RunSteps(const std::vector<Step>& steps) {
    for (const Step& step : steps) {
      SCOPED_TRACE(step.what);
      scene.log.Clear();
      scene.Send(step.message, step.wParam, step.lParam);
      const std::vector<EventRecord>& got = scene.log.records;
      ASSERT_EQ(got.size(), step.events.size()) << ToText(got);
      for (size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i].control, step.events[i].control);
        EXPECT_EQ(got[i].type, step.events[i].type);
        EXPECT_EQ(got[i].point.x, step.events[i].x);
        EXPECT_EQ(got[i].point.y, step.events[i].y);
        EXPECT_EQ(got[i].wParam, step.events[i].wParam) << "wParam";
        EXPECT_EQ(got[i].key, step.events[i].key) << "key";
        EXPECT_EQ(got[i].keyState, 0) << "no key is down";
      }
    }
  }

  static std::string ToText(const std::vector<EventRecord>& records) {
    std::string text;
    for (const EventRecord& r : records) {
      text += TestSupport::ToUtf8(r.control) + ":" + std::to_string(r.type) + "(" +
              std::to_string(r.point.x) + "," + std::to_string(r.point.y) + ") ";
    }
    return text;
  }

  static WPARAM Wheel(short delta) { return MAKEWPARAM(0, static_cast<WORD>(delta)); }
};

TEST_F(InputTest, MessageTableGivesTheseEventsInOrder) {
  const LPARAM pointA = MAKELPARAM(20, 20);
  const LPARAM pointB = MAKELPARAM(30, 80);
  const LPARAM outside = MAKELPARAM(-40, 500);
  const WPARAM lbutton = MK_LBUTTON;
  // Focus events carry the last mouse point; mouse events carry the message's wParam.
  const std::vector<Step> steps = {
      {"move onto A", WM_MOUSEMOVE, 0, pointA, {{L"A", 11, 20, 20}, {L"A", 9, 20, 20}}},
      {"move onto B", WM_MOUSEMOVE, 0, pointB,
       {{L"A", 10, 30, 80}, {L"B", 11, 30, 80}, {L"B", 9, 30, 80}}},
      {"press on B", WM_LBUTTONDOWN, lbutton, pointB,
       {{L"B", 21, 30, 80}, {L"B", 13, 30, 80, lbutton}}},
      {"drag out of the window", WM_MOUSEMOVE, lbutton, outside, {{L"B", 9, -40, 500}}},
      {"release outside", WM_LBUTTONUP, 0, outside, {{L"B", 14, -40, 500}}},
      {"move outside", WM_MOUSEMOVE, 0, outside, {{L"B", 10, -40, 500}}},
      {"right press on A", WM_RBUTTONDOWN, MK_RBUTTON, pointA,
       {{L"B", 20, 20, 20}, {L"A", 21, 20, 20}, {L"A", 15, 20, 20, MK_RBUTTON}}},
      {"context menu after the right button", WM_CONTEXTMENU, 0, scene.ScreenParam(20, 20),
       {{L"A", 17, 20, 20}}},
      {"key down", WM_KEYDOWN, 'K', 0, {{L"A", 3, 20, 20, 'K', 'K'}}},
      {"character", WM_CHAR, 'k', 0, {{L"A", 5, 20, 20, 'k', 'k'}}},
      {"key up", WM_KEYUP, 'K', 0, {{L"A", 4, 20, 20, 'K', 'K'}}},
      {"second key up has no key control", WM_KEYUP, 'K', 0, {}},
      {"wheel toward the user over B", WM_MOUSEWHEEL, Wheel(-120), scene.ScreenParam(30, 80),
       {{L"B", 18, 30, 80, 1}, {L"B", 11, 30, 80}, {L"B", 9, 30, 80}}},
      {"wheel away by a fraction of a notch", WM_MOUSEWHEEL, Wheel(7), scene.ScreenParam(30, 80),
       {{L"B", 18, 30, 80, 0}, {L"B", 9, 30, 80}}},
      {"wheel over A by one unit", WM_MOUSEWHEEL, Wheel(-1), scene.ScreenParam(20, 20),
       {{L"A", 18, 20, 20, 1}, {L"B", 10, 20, 20}, {L"A", 11, 20, 20}, {L"A", 9, 20, 20}}},
      {"double click on A", WM_LBUTTONDBLCLK, lbutton, pointA, {{L"A", 16, 20, 20, lbutton}}},
      {"release after the double click", WM_LBUTTONUP, 0, pointA, {{L"A", 14, 20, 20}}},
      {"release without a click control", WM_LBUTTONUP, 0, pointA, {}},
      {"leave through lParam -1", WM_MOUSEMOVE, 0, -1, {{L"A", 10, -1, -1}}},
      {"coordinates beyond 16 bits", WM_MOUSEMOVE, 0, static_cast<LPARAM>(0x7FFFFFFF), {}},
      {"press outside every control", WM_LBUTTONDOWN, lbutton, MAKELPARAM(-5, -5), {}},
  };
  RunSteps(steps);
  EXPECT_FALSE(scene.manager().IsCaptured());
  EXPECT_EQ(scene.manager().GetFocus(), a);
}

TEST_F(InputTest, CaptureIsHeldWhileTheButtonIsDownAndReleasedOnButtonUp) {
  scene.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  EXPECT_TRUE(scene.manager().IsCaptured());
  EXPECT_EQ(::GetCapture(), scene.hwnd());
  // Far outside, beyond the screen: still the click control's move, no hover change.
  scene.Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-3000, 3000));
  scene.Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(30, 80));
  EXPECT_EQ(scene.log.Count(L"A", kEventMouseMove), 2);
  EXPECT_EQ(scene.log.Count(L"B", kEventMouseEnter), 0);
  EXPECT_EQ(scene.log.Count(L"B", kEventMouseMove), 0);
  scene.Send(WM_LBUTTONUP, 0, MAKELPARAM(-3000, 3000));
  EXPECT_FALSE(scene.manager().IsCaptured());
  EXPECT_EQ(::GetCapture(), nullptr);
  ASSERT_EQ(scene.log.records.back().type, kEventButtonUp);
  EXPECT_EQ(scene.log.records.back().control, L"A");
  EXPECT_EQ(scene.log.records.back().point.x, -3000);
}

TEST_F(InputTest, EventsCarryTheKeyStateOfTheThread) {
  struct Case {
    std::initializer_list<int> keys;
    WORD state;
  };
  const Case cases[] = {
      {{}, 0},
      {{VK_SHIFT}, kKeyStateShift},
      {{VK_CONTROL}, kKeyStateControl},
      {{VK_MENU}, kKeyStateAlt},
      {{VK_LBUTTON, VK_RBUTTON}, kKeyStateLButton | kKeyStateRButton},
      {{VK_SHIFT, VK_CONTROL, VK_MENU}, kKeyStateShift | kKeyStateControl | kKeyStateAlt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.state);
    scene.log.Clear();
    {
      ManagerTest::HeldKeys held(c.keys);
      EXPECT_EQ(CWindowManagerUI::MapKeyState(), c.state);
      scene.Send(WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
      scene.Send(WM_KEYDOWN, 'Q', 0);
    }
    ASSERT_FALSE(scene.log.records.empty());
    for (const EventRecord& r : scene.log.records) EXPECT_EQ(r.keyState, c.state) << r.type;
  }
}

TEST_F(InputTest, ContextMenuGoesToTheClickControlOnce) {
  scene.Send(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 20));
  scene.log.Clear();
  const WPARAM source = reinterpret_cast<WPARAM>(scene.hwnd());
  scene.Send(WM_CONTEXTMENU, source, scene.ScreenParam(25, 30));
  ASSERT_EQ(scene.log.records.size(), 1u);
  const EventRecord& menu = scene.log.records[0];
  EXPECT_EQ(menu.control, L"A");
  EXPECT_EQ(menu.type, kEventContextMenu);
  EXPECT_EQ(menu.point.x, 25);
  EXPECT_EQ(menu.point.y, 30);
  EXPECT_EQ(menu.keyState, static_cast<WORD>(source));
  EXPECT_EQ(menu.lParam, reinterpret_cast<LPARAM>(a));
  EXPECT_EQ(scene.manager().GetMousePos().x, 25);
  scene.Send(WM_CONTEXTMENU, source, scene.ScreenParam(25, 30));
  EXPECT_EQ(scene.log.records.size(), 1u);
}

TEST_F(InputTest, LeaveTrackingListHearsTheLeaveBeforeTheHoverControl) {
  scene.Send(WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
  ASSERT_TRUE(scene.manager().AddMouseLeaveTracking(b));
  EXPECT_FALSE(scene.manager().AddMouseLeaveTracking(b));
  scene.log.Clear();
  // The pointer is far away: the leave ends the hover.
  scene.Send(WM_MOUSELEAVE);
  ASSERT_EQ(scene.log.Summary(), (std::vector<std::wstring>{Ev(L"B", 10), Ev(L"A", 10)}));
  EXPECT_EQ(scene.log.records[0].sender, L"A");
  EXPECT_EQ(scene.manager().GetHover(), nullptr);
  EXPECT_TRUE(scene.manager().RemoveMouseLeaveTracking(b));
}

TEST_F(InputTest, HoverShowsTheTooltipWithLanguageTokensReplaced) {
  CWindowManagerUI::SetLanguageText(7, L"Seven");
  a->SetToolTip(L"Hello %{7}");
  scene.manager().SetDefaultFont(L"Courier New", 23, false, false, false, false);
  scene.Send(WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
  scene.log.Clear();
  LRESULT result = 1;
  EXPECT_TRUE(scene.manager().MessageHandler(WM_MOUSEHOVER, 0, MAKELPARAM(20, 20), result));
  EXPECT_EQ(scene.log.Summary(), std::vector<std::wstring>{Ev(L"A", 12)});
  HWND tip = nullptr;
  ::EnumThreadWindows(::GetCurrentThreadId(), &FindToolTipProc, reinterpret_cast<LPARAM>(&tip));
  ASSERT_NE(tip, nullptr);
  EXPECT_EQ(::GetWindow(tip, GW_OWNER), scene.hwnd());
  wchar_t text[64] = {};
  TOOLINFOW info = {};
  info.cbSize = sizeof(info);
  info.hwnd = scene.hwnd();
  info.uId = reinterpret_cast<UINT_PTR>(scene.hwnd());
  info.lpszText = text;
  ::SendMessageW(tip, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&info));
  EXPECT_STREQ(text, L"Hello Seven");
  // The tip draws in the window's default font (the tip keeps a copy), not the system's UI face.
  LOGFONTW tipFont = {}, defaultFont = {};
  ASSERT_NE(::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(tip, WM_GETFONT, 0, 0)),
                         sizeof(tipFont), &tipFont), 0);
  ASSERT_NE(::GetObjectW(scene.manager().GetFont(-1), sizeof(defaultFont), &defaultFont), 0);
  EXPECT_STREQ(tipFont.lfFaceName, defaultFont.lfFaceName);
  EXPECT_EQ(tipFont.lfHeight, defaultFont.lfHeight);

  // WM_CLOSE ends hover and click and takes the tooltip away.
  scene.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  scene.log.Clear();
  EXPECT_FALSE(scene.manager().MessageHandler(WM_CLOSE, 0, 0, result));
  EXPECT_EQ(scene.log.Summary(),
            (std::vector<std::wstring>{Ev(L"A", 10), Ev(L"A", 14), Ev(L"A", 20)}));
  EXPECT_FALSE(::IsWindow(tip));
  EXPECT_EQ(scene.manager().GetFocus(), nullptr);
  CWindowManagerUI::RemoveAllLanguageTexts();
}

TEST_F(InputTest, HoverOverAControlWithoutTooltipIsStillHandled) {
  scene.Send(WM_MOUSEMOVE, 0, MAKELPARAM(30, 80));
  scene.log.Clear();
  LRESULT result = 1;
  EXPECT_TRUE(scene.manager().MessageHandler(WM_MOUSEHOVER, 0, MAKELPARAM(30, 80), result));
  EXPECT_EQ(scene.log.Summary(), std::vector<std::wstring>{Ev(L"B", 12)});
  // Nothing under the point: not handled, nothing sent.
  EXPECT_FALSE(scene.manager().MessageHandler(WM_MOUSEHOVER, 0, MAKELPARAM(-50, -50), result));
}

TEST_F(InputTest, SetCursorGoesOnlyToControlsThatAskForIt) {
  RecordingControl* c = nullptr;
  {
    // A control that sets its own cursor.
    c = new RecordingControl(L"C", &scene.log, kControlFlagSetCursor);
    c->SetAttribute(L"pos", L"10,130,110,180");
    c->SetFloat(true);
    scene.root->Add(c);
    scene.host.Repaint();
  }
  POINT onC = {20, 140};
  ::ClientToScreen(scene.hwnd(), &onC);
  ::SetCursorPos(onC.x, onC.y);
  scene.log.Clear();
  LRESULT result = 0;
  const WPARAM self = reinterpret_cast<WPARAM>(scene.hwnd());
  EXPECT_TRUE(scene.manager().MessageHandler(WM_SETCURSOR, self,
                                             MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), result));
  EXPECT_EQ(result, TRUE);
  EXPECT_EQ(scene.log.Summary(), std::vector<std::wstring>{Ev(L"C", 23)});
  // Not the client area: left to the system.
  EXPECT_FALSE(scene.manager().MessageHandler(WM_SETCURSOR, self,
                                              MAKELPARAM(HTCAPTION, WM_MOUSEMOVE), result));
  POINT onA = {20, 20};
  ::ClientToScreen(scene.hwnd(), &onA);
  ::SetCursorPos(onA.x, onA.y);
  EXPECT_FALSE(scene.manager().MessageHandler(WM_SETCURSOR, self,
                                              MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), result));
  EXPECT_EQ(scene.log.records.size(), 1u);
  ManagerTest::MoveCursorAway();
}

TEST_F(InputTest, AControlDestroyedWhileFocusMovesGetsNoFurtherEvent) {
  auto aDestroyed = std::make_shared<bool>(false);
  a->destroyed = aDestroyed;
  scene.root->SetDelayedDestroy(false);
  scene.manager().SetFocus(b);
  // B, losing the focus to A, removes A.
  b->onEvent = [&](TInputEventUI& event) {
    if (event.type == kEventKillFocus) scene.root->Remove(a);
  };
  scene.log.Clear();
  scene.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  EXPECT_TRUE(*aDestroyed);
  EXPECT_EQ(scene.log.Summary(), std::vector<std::wstring>{Ev(L"B", 20)});
  EXPECT_FALSE(scene.manager().IsCaptured());
  scene.Send(WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  scene.Send(WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
  EXPECT_EQ(scene.log.records.size(), 1u);
}

TEST_F(InputTest, AControlDestroyedByTheLeaveOfTheOldHoverGetsNoEnter) {
  auto aDestroyed = std::make_shared<bool>(false);
  a->destroyed = aDestroyed;
  scene.root->SetDelayedDestroy(false);
  scene.Send(WM_MOUSEMOVE, 0, MAKELPARAM(30, 80));
  b->onEvent = [&](TInputEventUI& event) {
    if (event.type == kEventMouseLeave) scene.root->Remove(a);
  };
  scene.log.Clear();
  scene.Send(WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
  EXPECT_TRUE(*aDestroyed);
  EXPECT_EQ(scene.log.Summary(), std::vector<std::wstring>{Ev(L"B", 10)});
  EXPECT_EQ(scene.manager().GetHover(), nullptr);
}

TEST_F(InputTest, MessageFilterTakesAMessageBeforeTheControlsAndTheMousePointFollows) {
  struct SwallowClicks : IMessageFilterUI {
    LRESULT MessageHandler(UINT message, WPARAM, LPARAM, bool& handled) override {
      if (message == WM_LBUTTONDOWN || message == WM_MOUSEWHEEL) handled = true;
      ++seen;
      return 42;
    }
    int seen = 0;
  } filter;
  ASSERT_TRUE(scene.manager().AddMessageFilter(&filter));
  EXPECT_FALSE(scene.manager().AddMessageFilter(&filter));
  EXPECT_FALSE(scene.manager().AddMessageFilter(nullptr));
  EXPECT_EQ(scene.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(33, 44)), 42);
  EXPECT_EQ(scene.manager().GetMousePos().x, 33);
  EXPECT_EQ(scene.manager().GetMousePos().y, 44);
  EXPECT_EQ(scene.Send(WM_MOUSEWHEEL, Wheel(120), scene.ScreenParam(12, 13)), 42);
  EXPECT_EQ(scene.manager().GetMousePos().x, 12);
  EXPECT_EQ(scene.manager().GetMousePos().y, 13);
  EXPECT_TRUE(scene.log.records.empty());
  EXPECT_FALSE(scene.manager().IsCaptured());
  EXPECT_TRUE(scene.manager().RemoveMessageFilter(&filter));
  EXPECT_FALSE(scene.manager().RemoveMessageFilter(&filter));
  scene.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  EXPECT_EQ(scene.log.Count(L"A", kEventButtonDown), 1);
  scene.Send(WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
}

TEST_F(InputTest, NativeChildNotificationsAreReflectedToTheChild) {
  g_reflected.clear();
  WNDCLASSW wc = {};
  wc.lpfnWndProc = &ReflectChildProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = L"ManagerReflectChild";
  ::RegisterClassW(&wc);
  HWND child = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD, 0, 0, 10, 10, scene.hwnd(),
                                 nullptr, wc.hInstance, nullptr);
  ASSERT_NE(child, nullptr);
  NMHDR header = {};
  header.hwndFrom = child;
  EXPECT_EQ(scene.Send(WM_NOTIFY, 5, reinterpret_cast<LPARAM>(&header)), 7);
  EXPECT_EQ(scene.Send(WM_COMMAND, 5, reinterpret_cast<LPARAM>(child)), 7);
  EXPECT_EQ(scene.Send(WM_CTLCOLOREDIT, 0, reinterpret_cast<LPARAM>(child)), 7);
  EXPECT_EQ(scene.Send(WM_CTLCOLORSTATIC, 0, reinterpret_cast<LPARAM>(child)), 7);
  EXPECT_EQ(g_reflected,
            (std::vector<UINT>{WM_NOTIFY + 0x2000, WM_COMMAND + 0x2000, WM_CTLCOLOREDIT + 0x2000,
                               WM_CTLCOLORSTATIC + 0x2000}));
  // Without a child window nothing is reflected.
  scene.Send(WM_COMMAND, 5, 0);
  scene.Send(WM_NOTIFY, 5, 0);
  EXPECT_EQ(g_reflected.size(), 4u);
  ::DestroyWindow(child);
}

}  // namespace
