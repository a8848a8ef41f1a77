// Input events and the window: default notifications ("menu", "timer"), events passed up to the
// parent, event and init delegates, focus (and losing it when hidden), renaming through the
// window's name index and forgetting a destroyed control.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "control_test_util.h"
#include "ui_core/manager/ui_container.h"
#include "ui_core/manager/ui_control.h"
#include "ui_test_support.h"

using namespace SkinUI;
using ControlTest::EventRecorder;
using ControlTest::MakeEvent;

namespace {

class Watcher {
public:
  explicit Watcher(bool answer = true) : answer_(answer) {}
  bool Seen(void* param) {
    params.push_back(param);
    return answer_;
  }
  std::vector<void*> params;

private:
  bool answer_;
};

TEST(ControlEvents, DefaultNotificationsAndEventsForTheParent) {
  TestSupport::TestHostWindow host;
  TestSupport::NotifyRecorder recorder;
  host.manager().AddNotifier(&recorder);
  auto* root = new EventRecorder;
  ASSERT_TRUE(host.Attach(root));
  auto* child = new CControlUI;
  child->SetName(L"child");
  root->Add(child);
  root->types.clear();

  TInputEventUI menu = MakeEvent(kEventContextMenu, POINT{1, 2}, 7);
  menu.lParam = 9;
  child->DoEvent(menu);
  EXPECT_EQ(recorder.Count(L"menu"), 0);
  EXPECT_EQ(root->types, (std::vector<int>{kEventContextMenu})) << "menu off: to the parent";

  child->SetContextMenuEnabled(true);
  child->DoEvent(menu);
  ASSERT_EQ(recorder.Count(L"menu", L"child"), 1) << "sent at once";
  EXPECT_EQ(recorder.list.back().wParam, 7u);
  EXPECT_EQ(recorder.list.back().lParam, 9);

  TInputEventUI timer = MakeEvent(kEventTimer, POINT{0, 0}, 42);
  child->DoEvent(timer);
  ASSERT_EQ(recorder.Count(L"timer", L"child"), 1);
  EXPECT_EQ(recorder.list.back().wParam, 42u);

  root->types.clear();
  for (int type : {kEventButtonDown, kEventMouseMove, kEventKeyDown, kEventChar}) {
    TInputEventUI event = MakeEvent(type);
    child->DoEvent(event);
  }
  EXPECT_EQ(root->types,
            (std::vector<int>{kEventButtonDown, kEventMouseMove, kEventKeyDown, kEventChar}));

  TInputEventUI cursor = MakeEvent(kEventSetCursor);
  root->types.clear();
  const HCURSOR arrow = ::LoadCursorW(nullptr, IDC_ARROW);
  const HCURSOR wait = ::LoadCursorW(nullptr, IDC_WAIT);
  ASSERT_NE(arrow, wait);
  ::SetCursor(wait);
  ASSERT_EQ(::GetCursor(), wait);
  child->DoEvent(cursor);
  EXPECT_TRUE(root->types.empty()) << "the control sets the cursor itself";
  EXPECT_EQ(::GetCursor(), arrow) << "the control's cursor is the arrow";
  host.manager().RemoveNotifier(&recorder);
}

TEST(ControlEvents, EventDelegatesCanSwallowAnEvent) {
  CContainerUI parent;
  auto* forwarder = new CControlUI;
  parent.Add(forwarder);
  Watcher refuse(false);
  forwarder->OnEvent += MakeDelegate(&refuse, &Watcher::Seen);
  TInputEventUI focus = MakeEvent(kEventSetFocus);
  forwarder->Event(focus);
  EXPECT_FALSE(forwarder->IsFocused()) << "the delegate answered false";
  ASSERT_EQ(refuse.params.size(), 1u);
  EXPECT_EQ(refuse.params[0], &focus);
  forwarder->OnEvent -= MakeDelegate(&refuse, &Watcher::Seen);
  forwarder->Event(focus);
  EXPECT_TRUE(forwarder->IsFocused());
  TInputEventUI kill = MakeEvent(kEventKillFocus);
  forwarder->Event(kill);
  EXPECT_FALSE(forwarder->IsFocused());
}

TEST(ControlEvents, ContainerKeepsFocusFlagsAndPassesMouseUpWhenMouseDisabled) {
  EventRecorder parent;
  auto* container = new CContainerUI;
  parent.Add(container);
  TInputEventUI focus = MakeEvent(kEventSetFocus);
  container->DoEvent(focus);
  EXPECT_TRUE(container->IsFocused());
  TInputEventUI kill = MakeEvent(kEventKillFocus);
  container->DoEvent(kill);
  EXPECT_FALSE(container->IsFocused());
  container->SetMouseEnabled(false);
  TInputEventUI click = MakeEvent(kEventButtonDown);
  container->DoEvent(click);
  EXPECT_EQ(parent.types, (std::vector<int>{kEventButtonDown}));
}

TEST(ControlEvents, InitRunsDoInitThenTheDelegates) {
  class InitProbe : public CControlUI {
  public:
    void DoInit() override { ++doInits; }
    int doInits = 0;
  };
  Watcher watcher;
  CContainerUI parent;
  auto* child = new InitProbe;
  child->OnInit += MakeDelegate(&watcher, &Watcher::Seen);
  child->SetManager(nullptr, &parent, false);
  EXPECT_EQ(child->doInits, 0);
  child->SetManager(nullptr, nullptr, true);
  EXPECT_EQ(child->doInits, 0) << "no init without a parent";
  parent.Add(child);
  child->SetManager(nullptr, &parent, true);
  EXPECT_EQ(child->doInits, 1);
  ASSERT_EQ(watcher.params.size(), 1u);
  EXPECT_EQ(watcher.params[0], child);
}

TEST(ControlEvents, FocusIsLostWhenTheControlOrAnAncestorIsHidden) {
  TestSupport::TestHostWindow host;
  auto* root = new CContainerUI;
  auto* panel = new CContainerUI;
  auto* field = new CControlUI;
  root->Add(panel);
  panel->Add(field);
  ASSERT_TRUE(host.Attach(root));
  EXPECT_TRUE(field->Activate());

  field->SetFocus();
  ASSERT_EQ(host.manager().GetFocus(), field);
  EXPECT_TRUE(field->IsFocused());
  field->SetVisible(false);
  EXPECT_EQ(host.manager().GetFocus(), nullptr) << "hiding the focused control";
  EXPECT_FALSE(field->IsFocused());
  EXPECT_FALSE(field->Activate());

  field->SetVisible(true);
  field->SetFocus();
  ASSERT_EQ(host.manager().GetFocus(), field);
  panel->SetVisible(false);
  EXPECT_EQ(host.manager().GetFocus(), nullptr) << "hiding an ancestor";
}

TEST(ControlEvents, RenamingMovesTheControlInTheNameIndex) {
  TestSupport::TestHostWindow host;
  auto* root = new CContainerUI;
  auto* child = new CControlUI;
  child->SetName(L"before");
  root->Add(child);
  ASSERT_TRUE(host.Attach(root));
  ASSERT_EQ(host.manager().FindControl(L"before"), child);
  child->SetName(L"after");
  EXPECT_EQ(child->GetName().GetData(), std::wstring(L"after"));
  EXPECT_EQ(host.manager().FindControl(L"after"), child);
  EXPECT_EQ(host.manager().FindControl(L"before"), nullptr);
  child->SetAttribute(L"name", L"third");
  EXPECT_EQ(host.manager().FindControl(L"third"), child);
}

TEST(ControlEvents, DestroyedControlIsForgottenByTheWindow) {
  TestSupport::TestHostWindow host;
  auto* root = new CContainerUI;
  auto* child = new CControlUI;
  child->SetName(L"doomed");
  root->Add(child);
  ASSERT_TRUE(host.Attach(root));
  Watcher watcher;
  child->OnDestroy += MakeDelegate(&watcher, &Watcher::Seen);
  child->SetFocus();
  ASSERT_EQ(host.manager().GetFocus(), child);
  root->SetDelayedDestroy(false);
  root->Remove(child);
  ASSERT_EQ(watcher.params.size(), 1u);
  EXPECT_EQ(watcher.params[0], child);
  EXPECT_EQ(host.manager().GetFocus(), nullptr);
  EXPECT_EQ(host.manager().FindControl(L"doomed"), nullptr);
}

}  // namespace
