// What the manager keeps of controls that are gone: a root deleted while it is attached.
#include <gtest/gtest.h>

#include "manager_test_controls.h"

namespace {

using namespace SkinUI;

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

}  // namespace
