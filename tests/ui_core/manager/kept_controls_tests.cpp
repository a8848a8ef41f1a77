// What the manager keeps of controls that live on outside its tree: a tree built for the window
// keeps what its configuration queued and set until it is attached, leaves the window's focus
// alone meanwhile and is deleted safely after the manager that configured it; a control taken
// out of the tree but kept alive no longer counts as part of it.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "manager_test_controls.h"
#include "test_support.h"
#include "ui_core/layout/ui_skin_builder.h"
#include "ui_core/values/ui_attributes.h"
#include "ui_core/values/ui_string_or_id.h"

namespace {

using namespace SkinUI;
using ManagerTest::RecordingControl;
using ManagerTest::Scene;

// A control that starts a timer of the given elapse while the skin configures it ("tick") and
// counts the timer events it gets.
class Ticker : public CControlUI {
public:
  explicit Ticker(int* ticks) : ticks_(ticks) {}
  void SetAttribute(const wchar_t* name, const wchar_t* value) override {
    if (name == nullptr || std::wstring(name) != L"tick" || manager_ == nullptr) {
      CControlUI::SetAttribute(name, value);
      return;
    }
    manager_->SetTimer(this, 1, static_cast<UINT>(ParseAttributeInt(value)));
  }
  void DoEvent(TInputEventUI& event) override {
    if (event.type == kEventTimer) ++*ticks_;
    CControlUI::DoEvent(event);
  }

private:
  int* ticks_;
};

class TickerCallback : public IDialogBuilderCallback {
public:
  explicit TickerCallback(int* ticks) : ticks_(ticks) {}
  CControlUI* CreateControl(const wchar_t* elementName) override {
    return std::wstring(elementName) == L"Ticker" ? new Ticker(ticks_) : nullptr;
  }

private:
  int* ticks_;
};

// A scroll bar that reports its position through the queue and a control that starts a timer,
// both while the builder configures them.
constexpr wchar_t kQueuingSkin[] =
    L"<Window><VerticalLayout><ScrollBar name=\"bar\" range=\"100\" value=\"40\"/>"
    L"<Ticker name=\"ticker\" tick=\"10\"/></VerticalLayout></Window>";

TEST(KeptControls, ABuiltTreeKeepsWhatItsConfigurationQueuedAndSetOnceAttached) {
  const struct {
    bool intoTree;  // added into the window's attached tree, else attached as its root
    const char* what;
  } cases[] = {
      {false, "attached as the window's root"},
      {true, "added into the window's tree"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TestSupport::NotifyRecorder notes;  // outlives the window that reports to it
    TestSupport::TestHostWindow host;
    CWindowManagerUI& manager = host.manager();
    manager.AddNotifier(&notes);
    auto* root = new CContainerUI;
    if (c.intoTree) {
      ASSERT_TRUE(host.Attach(root));
    }
    int ticks = 0;
    TickerCallback callback(&ticks);
    CSkinBuilderUI builder;
    CControlUI* tree = builder.Create(CStringOrIdUI(kQueuingSkin), nullptr, &callback, &manager);
    ASSERT_NE(tree, nullptr) << TestSupport::ToUtf8(builder.GetLastErrorMessage());
    if (c.intoTree) {
      ASSERT_TRUE(root->Add(tree));
      host.Repaint();
    } else {
      delete root;
      ASSERT_TRUE(host.Attach(tree));
    }
    CControlUI* bar = manager.FindControl(L"bar");
    ASSERT_NE(bar, nullptr);
    ASSERT_TRUE(TestSupport::PumpUntil([&] { return notes.Count(L"scroll") > 0; }, 2000));
    for (const TestSupport::RecordedNotify& n : notes.list) {
      if (n.type == L"scroll") {
        EXPECT_EQ(n.sender, bar) << "the bar's report lost its sender";
      }
    }
    EXPECT_TRUE(TestSupport::PumpUntil([&] { return ticks > 0; }, 2000))
        << "the timer set while the tree was built was killed";
  }
}

TEST(KeptControls, ABuiltTreeThatOutlivesItsManagerIsDeletedSafely) {
  const long before = CControlUI::GetLiveCount();
  int ticks = 0;
  TickerCallback callback(&ticks);
  // The manager lives in storage of the test's own, overwritten as soon as the manager has
  // ended: a control that still reached it would follow garbage.
  alignas(CWindowManagerUI) unsigned char storage[sizeof(CWindowManagerUI)];
  auto* manager = new (storage) CWindowManagerUI;
  CSkinBuilderUI builder;
  CControlUI* tree = builder.Create(CStringOrIdUI(kQueuingSkin), nullptr, &callback, manager);
  ASSERT_NE(tree, nullptr);
  // The manager still holds the bar's queued report when it ends.
  manager->~CWindowManagerUI();
  std::memset(storage, 0xCC, sizeof(storage));
  tree->Delete();
  EXPECT_EQ(CControlUI::GetLiveCount(), before);
}

TEST(KeptControls, ATreeBuiltForTheWindowLeavesTheWindowsFocusWhereItIs) {
  const struct {
    const wchar_t* focused;
    const char* what;
  } cases[] = {
      {L"B", "the second of two tab stops"},
      {L"N", "a control that is no tab stop"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Scene scene;
    scene.Add(L"A", RECT{10, 10, 60, 30}, kControlFlagTabStop);
    scene.Add(L"B", RECT{70, 10, 120, 30}, kControlFlagTabStop);
    scene.Add(L"N", RECT{130, 10, 180, 30});
    ASSERT_TRUE(scene.Attach());
    CWindowManagerUI& manager = scene.manager();
    CControlUI* focused = manager.FindControl(c.focused);
    ASSERT_NE(focused, nullptr);
    manager.SetFocus(focused, false);
    ASSERT_EQ(manager.GetFocus(), focused);
    scene.host.Repaint();
    scene.notes.Clear();

    // The builder selects the second page, which asks for the focus.
    CSkinBuilderUI builder;
    CControlUI* tree = builder.Create(
        CStringOrIdUI(L"<Window><TabLayout selectedid=\"1\"><Control /><Control /></TabLayout>"
                      L"</Window>"),
        nullptr, nullptr, &manager);
    ASSERT_NE(tree, nullptr) << TestSupport::ToUtf8(builder.GetLastErrorMessage());
    EXPECT_EQ(manager.GetFocus(), focused);
    // The paint that follows the build moves no focus either.
    scene.host.Repaint();
    TestSupport::PumpPending();
    EXPECT_EQ(manager.GetFocus(), focused);
    EXPECT_TRUE(focused->IsFocused());
    EXPECT_EQ(scene.notes.Count(L"killfocus"), 0);
    EXPECT_EQ(scene.notes.Count(L"setfocus"), 0);
    tree->Delete();
  }
}

TEST(KeptControls, AControlTakenOutButKeptAliveIsNoLongerPartOfTheTree) {
  const struct {
    bool doNotDestroy;  // else the container does not destroy its children at all
    bool focusInside;   // the focus is inside the part taken out
    const char* what;
  } cases[] = {
      {true, false, "taken out with its destruction refused"},
      {true, true, "taken out with the focus inside"},
      {false, true, "taken out of a container that destroys no child"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Scene scene;
    RecordingControl* a = scene.Add(L"A", RECT{10, 10, 60, 30}, kControlFlagTabStop);
    CContainerUI* box = scene.AddContainer(L"box", RECT{10, 40, 200, 120});
    RecordingControl* kept = scene.Add(L"kept", RECT{5, 5, 55, 25}, kControlFlagTabStop, box);
    ASSERT_TRUE(scene.Attach());
    CWindowManagerUI& manager = scene.manager();
    manager.SetFocus(c.focusInside ? kept : a, false);
    if (!c.doNotDestroy) scene.root->SetAutoDestroy(false);

    ASSERT_TRUE(scene.root->Remove(box, c.doNotDestroy));
    EXPECT_EQ(box->GetParent(), nullptr);
    EXPECT_EQ(box->GetManager(), nullptr);
    EXPECT_EQ(manager.FindControl(L"box"), nullptr);
    EXPECT_EQ(manager.FindControl(L"kept"), nullptr);
    EXPECT_EQ(manager.GetFocus(), c.focusInside ? nullptr : a);
    EXPECT_FALSE(kept->IsFocused());
    // Neither the manager nor the control itself gives it the focus now.
    CControlUI* const focus = manager.GetFocus();
    manager.SetFocus(kept, false);
    kept->SetFocus();
    EXPECT_EQ(manager.GetFocus(), focus);
    EXPECT_FALSE(kept->IsFocused());

    // Put back, it is part of the tree again (and the tree owns it again).
    scene.root->SetAutoDestroy(true);
    ASSERT_TRUE(scene.root->Add(box));
    EXPECT_EQ(manager.FindControl(L"kept"), kept);
    kept->SetFocus();
    EXPECT_EQ(manager.GetFocus(), kept);
  }
}

TEST(KeptControls, ChildrenOfAContainerThatDestroysNoneLeaveTheTreeWithIt) {
  const struct {
    bool deleteContainer;  // else its children are all taken out at once (RemoveAll)
    const char* what;
  } cases[] = {
      {false, "all taken out at once"},
      {true, "the container deleted"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Scene scene;
    CContainerUI* box = scene.AddContainer(L"box", RECT{10, 40, 200, 120});
    RecordingControl* kept = scene.Add(L"kept", RECT{5, 5, 55, 25}, kControlFlagTabStop, box);
    const auto keptDestroyed = std::make_shared<bool>(false);
    kept->destroyed = keptDestroyed;
    ASSERT_TRUE(scene.Attach());
    CWindowManagerUI& manager = scene.manager();
    box->SetAutoDestroy(false);
    manager.SetFocus(kept, false);
    ASSERT_EQ(manager.GetFocus(), kept);

    if (c.deleteContainer) {
      box->SetDelayedDestroy(false);
      scene.root->SetDelayedDestroy(false);
      ASSERT_TRUE(scene.root->Remove(box));
    } else {
      box->RemoveAll();
    }
    ASSERT_FALSE(*keptDestroyed) << "the container destroys no child";
    // No parent that may be gone before it: the tree's walks from the child end at the child.
    EXPECT_EQ(kept->GetParent(), nullptr);
    EXPECT_EQ(kept->GetManager(), nullptr);
    EXPECT_EQ(manager.FindControl(L"kept"), nullptr);
    EXPECT_EQ(manager.GetFocus(), nullptr);
    kept->SetFocus();
    EXPECT_EQ(manager.GetFocus(), nullptr);
    scene.host.Repaint();
    kept->Delete();
    EXPECT_TRUE(*keptDestroyed);
  }
}

}  // namespace
