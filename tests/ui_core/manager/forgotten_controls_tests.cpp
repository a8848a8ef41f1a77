// What the manager keeps of controls that are gone: a root deleted while it is attached, and
// trees built with the window's manager but deleted by their caller instead of being attached.
#include <gtest/gtest.h>

#include <string>

#include "manager_test_controls.h"
#include "test_support.h"
#include "ui_core/layout/ui_skin_builder.h"
#include "ui_core/values/ui_string_or_id.h"

namespace {

using namespace SkinUI;
using ManagerTest::Scene;

// Long enough that the timer never fires by itself during a test.
constexpr UINT kNever = 1000000;

TEST(ForgottenControls, ARootDeletedWhileAttachedIsForgottenAndNotDeletedAgain) {
  const long before = CControlUI::GetLiveCount();
  {
    TestSupport::TestHostWindow host;
    auto* root = new CContainerUI;
    root->Add(new CControlUI);
    ASSERT_TRUE(host.Attach(root));
    ASSERT_EQ(CControlUI::GetLiveCount(), before + 2);
    root->Delete();
    ASSERT_EQ(host.manager().GetRoot(), nullptr);
    EXPECT_EQ(CControlUI::GetLiveCount(), before);
    // A paint and pointer input find no tree to walk.
    host.Repaint();
    ::SendMessageW(host.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    ::SendMessageW(host.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    ::SendMessageW(host.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  }
  EXPECT_EQ(CControlUI::GetLiveCount(), before) << "the manager's end deleted the root again";
}

// A control of the window's own kind that registers itself with the manager while the skin
// configures it ("hold"): a timer, the mouse-leave and post-paint lists, a native window and an
// option group.
class Holder : public CControlUI {
public:
  explicit Holder(HWND native) : native_(native) {}
  void SetAttribute(const wchar_t* name, const wchar_t* value) override {
    if (name == nullptr || std::wstring(name) != L"hold" || manager_ == nullptr) {
      CControlUI::SetAttribute(name, value);
      return;
    }
    held = this;
    timerSet = manager_->SetTimer(this, 1, kNever);
    manager_->AddMouseLeaveTracking(this);
    manager_->AddPostPaint(this);
    manager_->AddNativeWindow(this, native_);
    manager_->AddOptionGroup(L"held", this);
  }
  static CControlUI* held;
  static bool timerSet;

private:
  HWND native_;
};

CControlUI* Holder::held = nullptr;
bool Holder::timerSet = false;

CControlUI* CALLBACK FocusedProc(CControlUI* control, LPVOID) {
  return control->IsFocused() ? control : nullptr;
}

class HolderCallback : public IDialogBuilderCallback {
public:
  explicit HolderCallback(HWND native) : native_(native) {}
  CControlUI* CreateControl(const wchar_t* elementName) override {
    return std::wstring(elementName) == L"Holder" ? new Holder(native_) : nullptr;
  }

private:
  HWND native_;
};

TEST(ForgottenControls, ATreeBuiltForTheWindowButNeverAttachedLeavesNoPointerBehind) {
  Scene scene;
  ASSERT_TRUE(scene.Attach());
  CWindowManagerUI& manager = scene.manager();
  // A native child of the window for the holder to register.
  Utils::UniqueWindow native(::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10,
                                               scene.hwnd(), nullptr, nullptr, nullptr));
  ASSERT_TRUE(native);
  HolderCallback callback(native.get());
  const struct {
    const wchar_t* skin;
    const wchar_t* queued;  // the notification the build queues, null for none
    const char* what;
  } cases[] = {
      // The builder selects the page: it takes the focus while the tree is built.
      {L"<Window><TabLayout selectedid=\"1\"><Control /><Control /></TabLayout></Window>",
       nullptr, "a tab page selected while built"},
      // The bar reports its new position through the queue.
      {L"<Window><VerticalLayout><ScrollBar range=\"100\" value=\"40\"/></VerticalLayout>"
       L"</Window>",
       L"scroll", "a scroll bar moved while built"},
      {L"<Window><VerticalLayout><Holder hold=\"true\"/></VerticalLayout></Window>", nullptr,
       "a control that registers itself while built"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Holder::held = nullptr;
    CSkinBuilderUI builder;
    CControlUI* tree = builder.Create(CStringOrIdUI(c.skin), nullptr, &callback, &manager);
    ASSERT_NE(tree, nullptr) << TestSupport::ToUtf8(builder.GetLastErrorMessage());
    CControlUI* const held = Holder::held;
    // Nothing outside the window's tree took the focus, not even for the time of the build.
    EXPECT_EQ(tree->FindControl(&FocusedProc, nullptr, 0), nullptr);
    scene.notes.Clear();  // what the build sent at once came from live controls
    tree->Delete();

    EXPECT_EQ(manager.GetFocus(), nullptr);
    // Queued notifications of the tree arrive without their sender.
    TestSupport::PumpPending();
    if (c.queued != nullptr) {
      EXPECT_EQ(scene.notes.Count(c.queued), 1);
    }
    for (const TestSupport::RecordedNotify& n : scene.notes.list) {
      EXPECT_EQ(n.sender, nullptr) << TestSupport::ToUtf8(n.type) << " from a freed sender";
    }
    if (held != nullptr) {
      EXPECT_TRUE(Holder::timerSet);
      EXPECT_EQ(manager.KillControlTimers(held), 0) << "timer";
      EXPECT_FALSE(manager.RemoveMouseLeaveTracking(held)) << "mouse-leave list";
      EXPECT_FALSE(manager.RemovePostPaint(held)) << "post-paint list";
      EXPECT_FALSE(manager.RemoveNativeWindow(native.get())) << "native windows";
      EXPECT_EQ(manager.GetOptionGroup(L"held"), nullptr) << "option group";
    }
    // The window goes on working with its own tree.
    scene.host.Repaint();
    scene.Send(WM_MOUSEMOVE, 0, MAKELPARAM(30, 30));
  }
}

}  // namespace
