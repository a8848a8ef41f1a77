// Keyboard focus: TAB order over a tree with disabled and hidden controls, focus events and
// notifications, shortcuts, and the pre-translation of the modal loop.
#include <gtest/gtest.h>

#include "manager_test_controls.h"

namespace {

using namespace SkinUI;
using ManagerTest::Ev;
using ManagerTest::RecordingControl;
using ManagerTest::Scene;

// A control that counts as a label for shortcuts.
class ShortcutLabel : public RecordingControl {
public:
  using RecordingControl::RecordingControl;
  const wchar_t* GetClass() const override { return L"TestLabel"; }
};

class FocusTest : public ::testing::Test {
protected:
  void SetUp() override {
    ManagerTest::MoveCursorAway();
    t1 = scene.Add(L"T1", RECT{10, 10, 60, 30}, kControlFlagTabStop);
    RecordingControl* disabled = scene.Add(L"D", RECT{70, 10, 120, 30}, kControlFlagTabStop);
    disabled->SetEnabled(false);
    RecordingControl* hidden = scene.Add(L"H", RECT{130, 10, 180, 30}, kControlFlagTabStop);
    hidden->SetVisible(false);
    plain = scene.Add(L"N", RECT{190, 10, 240, 30});
    t2 = scene.Add(L"T2", RECT{10, 40, 60, 60}, kControlFlagTabStop);
    CContainerUI* box = scene.AddContainer(L"box", RECT{10, 70, 200, 120});
    t3 = scene.Add(L"T3", RECT{5, 5, 55, 25}, kControlFlagTabStop, box);
    CContainerUI* hiddenBox = scene.AddContainer(L"hiddenBox", RECT{10, 130, 200, 180});
    scene.Add(L"T4", RECT{5, 5, 55, 25}, kControlFlagTabStop, hiddenBox);
    hiddenBox->SetVisible(false);
    CContainerUI* disabledBox = scene.AddContainer(L"disabledBox", RECT{10, 190, 200, 240});
    scene.Add(L"T5", RECT{5, 5, 55, 25}, kControlFlagTabStop, disabledBox);
    disabledBox->SetEnabled(false);
    ASSERT_TRUE(scene.Attach());
    TestSupport::PumpUntil([&] { return scene.manager().GetFocus() != nullptr; }, 2000);
    scene.log.Clear();
    scene.notes.Clear();
  }

  bool Tab(bool shift = false) {
    MSG msg = {};
    msg.hwnd = scene.hwnd();
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_TAB;
    if (!shift) return CWindowManagerUI::TranslateMessage(&msg);
    ManagerTest::HeldKeys held{VK_SHIFT};
    return CWindowManagerUI::TranslateMessage(&msg);
  }

  std::wstring FocusName() {
    CControlUI* focus = scene.manager().GetFocus();
    return focus != nullptr ? focus->GetName().GetData() : L"(none)";
  }

  Scene scene;
  RecordingControl* t1 = nullptr;
  RecordingControl* t2 = nullptr;
  RecordingControl* t3 = nullptr;
  RecordingControl* plain = nullptr;
};

TEST_F(FocusTest, TheFirstPaintFocusesTheFirstTabStop) {
  EXPECT_EQ(scene.manager().GetFocus(), t1);
  EXPECT_TRUE(t1->IsFocused());
}

TEST_F(FocusTest, TabVisitsEnabledVisibleTabStopsAndWraps) {
  const std::vector<std::wstring> forward = {L"T2", L"T3", L"T1", L"T2"};
  for (const std::wstring& expected : forward) {
    EXPECT_TRUE(Tab());
    EXPECT_EQ(FocusName(), expected);
  }
  const std::vector<std::wstring> backward = {L"T1", L"T3", L"T2", L"T1", L"T3"};
  for (const std::wstring& expected : backward) {
    EXPECT_TRUE(Tab(true));
    EXPECT_EQ(FocusName(), expected);
  }
}

TEST_F(FocusTest, FocusChangeSendsKillThenSetWithEventsAndNotifications) {
  EXPECT_TRUE(Tab());
  ASSERT_EQ(scene.log.Summary(), (std::vector<std::wstring>{Ev(L"T1", 20), Ev(L"T2", 21)}));
  EXPECT_EQ(scene.log.records[0].sender, L"T2");
  ASSERT_EQ(scene.notes.Types(), (std::vector<std::wstring>{L"killfocus", L"setfocus"}));
  EXPECT_EQ(scene.notes.list[0].senderName, L"T1");
  EXPECT_EQ(scene.notes.list[1].senderName, L"T2");
  EXPECT_FALSE(t1->IsFocused());
  EXPECT_TRUE(t2->IsFocused());
}

TEST_F(FocusTest, OnlyVisibleEnabledControlsOfThisWindowTakeTheFocus) {
  CWindowManagerUI& manager = scene.manager();
  manager.SetFocus(scene.manager().FindControl(L"D"));
  EXPECT_EQ(FocusName(), L"(none)");
  manager.SetFocus(t2);
  manager.SetFocus(scene.manager().FindControl(L"H"));
  EXPECT_EQ(FocusName(), L"(none)");
  RecordingControl stranger(L"stranger", &scene.log, kControlFlagTabStop);
  manager.SetFocus(&stranger);
  EXPECT_EQ(FocusName(), L"(none)");
  // A control that is not a tab stop can still be given the focus.
  manager.SetFocus(plain);
  EXPECT_EQ(FocusName(), L"N");
  EXPECT_TRUE(Tab());
  EXPECT_EQ(FocusName(), L"T2");
  // Setting the focus control again sends nothing.
  scene.log.Clear();
  manager.SetFocus(t2);
  EXPECT_TRUE(scene.log.records.empty());
}

TEST_F(FocusTest, AControlThatWantsTabKeepsIt) {
  t2->SetWantTab(true);
  scene.manager().SetFocus(t2);
  EXPECT_FALSE(Tab());
  EXPECT_EQ(FocusName(), L"T2");
  EXPECT_FALSE(Tab(true));
  t2->SetWantTab(false);
  EXPECT_TRUE(Tab());
  EXPECT_EQ(FocusName(), L"T3");
}

TEST_F(FocusTest, FocusNeededMovesTheFocusOnTheNextPaint) {
  scene.manager().SetFocusNeeded(t3);
  EXPECT_NE(scene.manager().GetFocus(), t3);
  EXPECT_TRUE(TestSupport::PumpUntil([&] { return scene.manager().GetFocus() == t3; }));
  EXPECT_TRUE(t3->IsFocused());
  EXPECT_EQ(scene.notes.Count(L"setfocus", L"T3"), 1);
}

TEST_F(FocusTest, FocusMovesToTheControlOfANativeChildThatTakesTheNativeFocus) {
  HWND child = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10,
                                 scene.hwnd(), nullptr, ::GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(child, nullptr);
  ASSERT_TRUE(scene.manager().AddNativeWindow(t3, child));
  EXPECT_FALSE(scene.manager().AddNativeWindow(t2, child));
  scene.Send(WM_KILLFOCUS, reinterpret_cast<WPARAM>(child));
  EXPECT_EQ(FocusName(), L"T3");
  EXPECT_TRUE(scene.manager().RemoveNativeWindow(child));
  EXPECT_FALSE(scene.manager().RemoveNativeWindow(child));
  ::DestroyWindow(child);
}

TEST_F(FocusTest, SystemKeysAndShortcuts) {
  t1->SetShortcut(L'X');
  auto* label = new ShortcutLabel(L"L", &scene.log);
  label->SetAttribute(L"pos", L"250,10,300,30");
  label->SetFloat(true);
  label->SetShortcut(L'n');
  // Children are searched from the last to the first: after the label come the disabled box
  // (skipped with its children), the hidden box (its controls are not visible) and then "box",
  // the first control that is neither a label nor hidden.
  scene.root->Add(label);
  CWindowManagerUI& manager = scene.manager();
  LRESULT result = 0;
  scene.log.Clear();
  EXPECT_FALSE(manager.PreMessageHandler(WM_SYSKEYDOWN, 'Q', 0, result));
  EXPECT_EQ(scene.log.Summary(), std::vector<std::wstring>{Ev(L"T1", 6)});
  EXPECT_EQ(scene.log.records[0].key, 'Q');

  manager.SetFocus(t2);
  EXPECT_TRUE(manager.PreMessageHandler(WM_SYSCHAR, 'x', 0, result));
  EXPECT_EQ(FocusName(), L"T1");
  EXPECT_FALSE(manager.PreMessageHandler(WM_SYSCHAR, 'z', 0, result));
  EXPECT_EQ(FocusName(), L"T1");
  // The label passes its shortcut on; the label itself never takes the focus.
  EXPECT_TRUE(manager.PreMessageHandler(WM_SYSCHAR, 'N', 0, result));
  EXPECT_EQ(FocusName(), L"box");
}

TEST_F(FocusTest, PreMessageFilterConsumesFirst) {
  struct EatEverything : IMessageFilterUI {
    LRESULT MessageHandler(UINT, WPARAM, LPARAM, bool& handled) override {
      ++seen;
      handled = true;
      return 3;
    }
    int seen = 0;
  } filter;
  ASSERT_TRUE(scene.manager().AddPreMessageFilter(&filter));
  EXPECT_FALSE(scene.manager().AddPreMessageFilter(&filter));
  LRESULT result = 0;
  EXPECT_TRUE(scene.manager().PreMessageHandler(WM_KEYDOWN, VK_TAB, 0, result));
  EXPECT_EQ(result, 3);
  EXPECT_EQ(FocusName(), L"T1");
  EXPECT_TRUE(scene.manager().RemovePreMessageFilter(&filter));
  EXPECT_TRUE(Tab());
  EXPECT_EQ(FocusName(), L"T2");
  EXPECT_EQ(filter.seen, 1);
}

TEST_F(FocusTest, TranslateMessageOffersAChildWindowsMessageToEachManagerOnce) {
  struct Counter : IMessageFilterUI {
    LRESULT MessageHandler(UINT message, WPARAM, LPARAM, bool&) override {
      if (message == WM_KEYDOWN) ++seen;
      return 0;
    }
    int seen = 0;
  } filter;
  ASSERT_TRUE(scene.manager().AddPreMessageFilter(&filter));
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  HWND child = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50,
                                 scene.hwnd(), nullptr, instance, nullptr);
  HWND grandchild = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20,
                                      child, nullptr, instance, nullptr);
  ASSERT_NE(grandchild, nullptr);
  MSG msg = {};
  msg.hwnd = grandchild;
  msg.message = WM_KEYDOWN;
  msg.wParam = VK_TAB;
  // Reported as not consumed even though the manager moved the focus.
  EXPECT_FALSE(CWindowManagerUI::TranslateMessage(&msg));
  EXPECT_EQ(filter.seen, 1);
  EXPECT_EQ(FocusName(), L"T2");

  // An accelerator translator that consumes ends it with true.
  struct Accelerator : ITranslateAcceleratorUI {
    LRESULT TranslateAccelerator(MSG*) override { return 0; }
  } accelerator;
  ASSERT_TRUE(scene.manager().AddAcceleratorTranslator(&accelerator));
  EXPECT_TRUE(CWindowManagerUI::TranslateMessage(&msg));
  msg.hwnd = scene.hwnd();
  EXPECT_TRUE(CWindowManagerUI::TranslateMessage(&msg));
  EXPECT_EQ(FocusName(), L"T2");
  EXPECT_TRUE(scene.manager().RemoveAcceleratorTranslator(&accelerator));
  EXPECT_TRUE(scene.manager().RemovePreMessageFilter(&filter));
  ::DestroyWindow(child);

  // A window that no manager owns: nothing consumes.
  HWND stranger = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                    instance, nullptr);
  msg.hwnd = stranger;
  EXPECT_FALSE(CWindowManagerUI::TranslateMessage(&msg));
  ::DestroyWindow(stranger);
  EXPECT_FALSE(CWindowManagerUI::TranslateMessage(nullptr));
}

TEST_F(FocusTest, TabInATree256Deep) {
  // A chain of 256 nested containers with one tab stop at the bottom and one at the top.
  CContainerUI* parent = scene.AddContainer(L"deep0", RECT{250, 50, 390, 290});
  for (int depth = 1; depth < 256; ++depth) {
    parent = scene.AddContainer((L"deep" + std::to_wstring(depth)).c_str(), RECT{0, 0, 140, 240},
                                parent);
  }
  scene.Add(L"bottom", RECT{0, 0, 20, 20}, kControlFlagTabStop, parent);
  scene.host.Repaint();
  EXPECT_TRUE(Tab(true));
  EXPECT_EQ(FocusName(), L"bottom");
  EXPECT_TRUE(Tab());
  EXPECT_EQ(FocusName(), L"T1");
  EXPECT_NE(scene.manager().FindControl(L"deep255"), nullptr);
  scene.Send(WM_MOUSEMOVE, 0, MAKELPARAM(255, 55));
  EXPECT_EQ(scene.manager().GetHover(), scene.manager().FindControl(L"bottom"));
}

}  // namespace
