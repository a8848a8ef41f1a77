// The name index and control lookup: names entered when a tree is attached, renaming, removal
// with the control, trees built for the window but never attached, and lookups by point, name
// and class.
#include <gtest/gtest.h>

#include "manager_test_controls.h"
#include "ui_core/layout/ui_skin_builder.h"
#include "ui_core/values/ui_string_or_id.h"

namespace {

using namespace SkinUI;
using ManagerTest::RecordingControl;
using ManagerTest::Scene;

class LookupTest : public ::testing::Test {
protected:
  void SetUp() override {
    ManagerTest::MoveCursorAway();
    first = scene.Add(L"dup", RECT{10, 10, 60, 60});
    box = scene.AddContainer(L"box", RECT{100, 10, 300, 200});
    second = scene.Add(L"dup", RECT{10, 10, 60, 60}, 0, box);
    inner = scene.Add(L"inner", RECT{20, 20, 40, 40}, 0, box);
    ASSERT_TRUE(scene.Attach());
  }

  Scene scene;
  RecordingControl* first = nullptr;
  RecordingControl* second = nullptr;
  RecordingControl* inner = nullptr;
  CContainerUI* box = nullptr;
};

TEST_F(LookupTest, AttachingEntersEveryNamedControlAndTheLastOfTwoNamesWins) {
  CWindowManagerUI& manager = scene.manager();
  EXPECT_EQ(manager.FindControl(L"root"), scene.root);
  EXPECT_EQ(manager.FindControl(L"box"), box);
  EXPECT_EQ(manager.FindControl(L"inner"), inner);
  EXPECT_EQ(manager.FindControl(L"dup"), second);
  EXPECT_EQ(manager.FindControl(L"Inner"), nullptr);  // names compare exactly
  EXPECT_EQ(manager.FindControl(L"nobody"), nullptr);
  EXPECT_EQ(manager.FindControl(static_cast<const wchar_t*>(nullptr)), nullptr);
}

TEST_F(LookupTest, ControlsAddedLaterAreEnteredAndRemovedOnesForgotten) {
  CWindowManagerUI& manager = scene.manager();
  RecordingControl* late = scene.Add(L"late", RECT{0, 100, 20, 120});
  EXPECT_EQ(manager.FindControl(L"late"), late);
  scene.root->SetDelayedDestroy(false);
  ASSERT_TRUE(scene.root->Remove(late));
  EXPECT_EQ(manager.FindControl(L"late"), nullptr);
  // Removing the second "dup" drops the name: the index never points at a control that is gone.
  box->SetDelayedDestroy(false);
  ASSERT_TRUE(box->Remove(second));
  EXPECT_EQ(manager.FindControl(L"dup"), nullptr);
}

TEST_F(LookupTest, RenameControlKeepsNamesUnique) {
  CWindowManagerUI& manager = scene.manager();
  EXPECT_FALSE(manager.RenameControl(inner, L"box"));
  EXPECT_EQ(inner->GetName(), L"inner");
  EXPECT_TRUE(manager.RenameControl(inner, L"inner"));
  EXPECT_FALSE(manager.RenameControl(inner, L""));
  EXPECT_FALSE(manager.RenameControl(inner, nullptr));
  EXPECT_FALSE(manager.RenameControl(nullptr, L"x"));
  EXPECT_TRUE(manager.RenameControl(inner, L"renamed"));
  EXPECT_EQ(inner->GetName(), L"renamed");
  EXPECT_EQ(manager.FindControl(L"renamed"), inner);
  EXPECT_EQ(manager.FindControl(L"inner"), nullptr);
  RecordingControl stranger(L"stranger", &scene.log);
  EXPECT_FALSE(manager.RenameControl(&stranger, L"free"));
}

TEST_F(LookupTest, SetNameOfAnAttachedControlMovesItInTheIndex) {
  inner->SetName(L"other");
  EXPECT_EQ(scene.manager().FindControl(L"other"), inner);
  EXPECT_EQ(scene.manager().FindControl(L"inner"), nullptr);
}

// A page built for the window: its controls get the window's manager while they are built.
const wchar_t kPage[] =
    L"<Window><VerticalLayout name=\"ghostpage\">"
    L"<Control name=\"ghost\" /><Control name=\"inner\" />"
    L"</VerticalLayout></Window>";

TEST_F(LookupTest, ATreeBuiltButNeverAttachedLeavesNoNameBehind) {
  CWindowManagerUI& manager = scene.manager();
  CSkinBuilderUI builder;
  CControlUI* discarded = builder.Create(CStringOrIdUI(kPage), nullptr, nullptr, &manager);
  ASSERT_NE(discarded, nullptr);
  EXPECT_EQ(manager.FindControl(L"inner"), inner) << "an attached control keeps its name";
  discarded->Delete();
  EXPECT_EQ(manager.FindControl(L"ghostpage"), nullptr);
  EXPECT_EQ(manager.FindControl(L"ghost"), nullptr);
  EXPECT_EQ(manager.FindControl(L"inner"), inner);

  // The same page added to the window enters its names.
  CSkinBuilderUI again;
  CControlUI* page = again.Create(CStringOrIdUI(kPage), nullptr, nullptr, &manager);
  ASSERT_NE(page, nullptr);
  ASSERT_TRUE(box->Add(page));
  CControlUI* ghost = manager.FindControl(L"ghost");
  ASSERT_NE(ghost, nullptr);
  EXPECT_EQ(ghost->GetParent(), page);
  EXPECT_EQ(manager.FindControl(L"ghostpage"), page);
  ASSERT_NE(manager.FindControl(L"inner"), nullptr);
  EXPECT_EQ(manager.FindControl(L"inner")->GetParent(), page) << "the later control wins";
}

TEST_F(LookupTest, LookupsByPointNameAndClass) {
  CWindowManagerUI& manager = scene.manager();
  EXPECT_EQ(manager.FindControl(POINT{20, 20}), first);
  EXPECT_EQ(manager.FindControl(POINT{125, 35}), inner);
  EXPECT_EQ(manager.FindControl(POINT{115, 25}), second);
  EXPECT_EQ(manager.FindControl(POINT{115, 15}), box);
  EXPECT_EQ(manager.FindControl(POINT{250, 150}), box);
  EXPECT_EQ(manager.FindControl(POINT{350, 250}), scene.root);
  EXPECT_EQ(manager.FindControl(POINT{-1, -1}), nullptr);
  EXPECT_EQ(manager.FindSubControlByPoint(box, POINT{20, 20}), nullptr);
  EXPECT_EQ(manager.FindSubControlByPoint(box, POINT{125, 35}), inner);
  EXPECT_EQ(manager.FindSubControlByName(box, L"dup"), second);
  EXPECT_EQ(manager.FindSubControlByName(nullptr, L"dup"), first);
  EXPECT_EQ(manager.FindSubControlByName(box, L"root"), nullptr);
  EXPECT_EQ(manager.FindSubControlByClass(nullptr, L"Container"), box);
  EXPECT_EQ(manager.FindSubControlByClass(nullptr, L"Container", 1), scene.root);
  EXPECT_EQ(manager.FindSubControlByClass(nullptr, L"Container", 2), nullptr);
  EXPECT_EQ(manager.FindSubControlByClass(box, L"Control", 1), inner);
  CPtrArrayUI* controls = manager.FindSubControlsByClass(nullptr, L"Control");
  ASSERT_NE(controls, nullptr);
  EXPECT_EQ(controls->GetSize(), 3);
}

}  // namespace
