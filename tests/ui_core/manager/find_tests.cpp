// FindControl over a control tree: the visible, enabled, hit-test, update-test, top-first and
// me-first flags, covers, scroll bars, insets and children that ignore the mouse.
#include <gtest/gtest.h>

#include <cwchar>
#include <memory>
#include <string>

#include "control_test_util.h"
#include "ui_core/manager/ui_container.h"
#include "ui_core/manager/ui_scrollbar.h"
#include "test_support.h"

using namespace SkinUI;
using ControlTest::AcceptAny;
using ControlTest::HitTest;

namespace {

CControlUI* CALLBACK AcceptName(CControlUI* control, LPVOID data) {
  return std::wcscmp(control->GetName().GetData(), static_cast<const wchar_t*>(data)) == 0
             ? control
             : nullptr;
}

CControlUI* AddAt(CContainerUI& parent, const wchar_t* name, RECT rc) {
  auto* child = new CControlUI;
  child->SetName(name);
  parent.Add(child);
  child->SetPos(rc, false);
  return child;
}

std::string NameOf(CControlUI* control) {
  return control == nullptr ? "null" : TestSupport::ToUtf8(control->GetName().GetData());
}

// root (0,0,200,200) holding, in order: a (0,0,100,100); b hidden over a; c disabled
// (100,0,200,100); d mouse-disabled (0,100,100,200); e (0,0,50,50) on top of a.
class FindTree : public ::testing::Test {
protected:
  void SetUp() override {
    root.SetName(L"root");
    root.SetPos(RECT{0, 0, 200, 200}, false);
    AddAt(root, L"a", RECT{0, 0, 100, 100});
    AddAt(root, L"b", RECT{0, 0, 100, 100})->SetVisible(false);
    AddAt(root, L"c", RECT{100, 0, 200, 100})->SetEnabled(false);
    AddAt(root, L"d", RECT{0, 100, 100, 200})->SetMouseEnabled(false);
    AddAt(root, L"e", RECT{0, 0, 50, 50});
  }
  CContainerUI root;
};

struct HitCase {
  POINT pt;
  UINT flags;
  const char* expected;
  const char* what;
};

TEST_F(FindTree, HitTestFlagsSelectTheControlUnderThePoint) {
  const UINT window = kFindVisible | kFindHitTest | kFindTopFirst;
  const HitCase cases[] = {
      {{10, 10}, window, "e", "top first: the last child"},
      {{10, 10}, kFindVisible | kFindHitTest, "a", "without top first: the first child"},
      {{60, 60}, window, "a", "the hidden child is skipped"},
      {{60, 60}, kFindHitTest | kFindTopFirst, "b", "without the visible flag"},
      {{150, 50}, window, "c", "disabled controls are found without the enabled flag"},
      {{150, 50}, window | kFindEnabled, "root", "with the enabled flag"},
      {{50, 150}, window, "root", "a child that ignores the mouse"},
      {{150, 150}, window, "root", "no child there"},
      {{250, 10}, window, "null", "outside the tree"},
      {{10, 10}, window | kFindMeFirst, "root", "me first"},
  };
  for (const HitCase& test : cases) {
    POINT pt = test.pt;
    CControlUI* found = root.FindControl(&AcceptAny, &pt, test.flags);
    EXPECT_EQ(NameOf(found), test.expected) << test.what;
  }
}

TEST_F(FindTree, MouseFlagsOfTheContainer) {
  root.SetMouseEnabled(false);
  EXPECT_EQ(NameOf(HitTest(&root, 150, 150)), "null") << "the container ignores the mouse";
  EXPECT_EQ(NameOf(HitTest(&root, 10, 10)), "e") << "its children do not";
  root.SetMouseEnabled(true);
  root.SetMouseChildEnabled(false);
  EXPECT_EQ(NameOf(HitTest(&root, 10, 10)), "root") << "children out of the hit test";
  CControlUI* e = root.FindControl(&AcceptName, const_cast<wchar_t*>(L"e"), 0);
  EXPECT_EQ(NameOf(e), "e") << "searches without hit test still see children";
}

TEST_F(FindTree, UpdateTestSkipsControlsTheCallbackAnswersFor) {
  EXPECT_EQ(NameOf(root.FindControl(&AcceptName, const_cast<wchar_t*>(L"c"), 0)), "c");
  EXPECT_EQ(NameOf(root.FindControl(&AcceptName, const_cast<wchar_t*>(L"c"), kFindUpdateTest)),
            "null");
  EXPECT_EQ(NameOf(root.FindControl(&AcceptAny, nullptr, kFindUpdateTest)), "null");
  EXPECT_EQ(NameOf(root.FindControl(&AcceptName, const_cast<wchar_t*>(L"b"), kFindVisible)),
            "null")
      << "hidden";
  EXPECT_EQ(NameOf(root.FindControl(&AcceptName, const_cast<wchar_t*>(L"c"), kFindEnabled)),
            "null")
      << "disabled";
}

TEST(FindControlCovers, CoverAnswersBeforeItsControlUnlessMeFirst) {
  CControlUI control;
  control.SetName(L"control");
  control.SetPos(RECT{0, 0, 100, 100});
  auto* cover = new CControlUI;
  cover->SetName(L"cover");
  control.SetCover(cover);
  cover->SetPos(RECT{0, 0, 50, 50});
  EXPECT_EQ(cover->GetParent(), &control);
  EXPECT_EQ(NameOf(HitTest(&control, 10, 10)), "cover");
  EXPECT_EQ(NameOf(HitTest(&control, 70, 70)), "control");
  EXPECT_EQ(NameOf(HitTest(&control, 10, 10, kFindMeFirst)), "control");
  control.SetMouseEnabled(false);
  EXPECT_EQ(NameOf(HitTest(&control, 10, 10)), "cover") << "the cover still answers";
  EXPECT_EQ(NameOf(HitTest(&control, 10, 10, kFindMeFirst)), "cover");
  EXPECT_EQ(NameOf(HitTest(&control, 70, 70)), "null");
  cover->SetVisible(false);
  EXPECT_EQ(NameOf(HitTest(&control, 10, 10)), "null");

  CContainerUI container;
  container.SetName(L"container");
  container.SetPos(RECT{0, 0, 100, 100});
  auto* overlay = new CControlUI;
  overlay->SetName(L"overlay");
  container.SetCover(overlay);
  overlay->SetPos(RECT{0, 0, 100, 100});
  AddAt(container, L"child", RECT{0, 0, 100, 100});
  EXPECT_EQ(NameOf(HitTest(&container, 10, 10)), "overlay") << "the cover lies over children";
  container.SetMouseChildEnabled(false);
  EXPECT_EQ(NameOf(HitTest(&container, 10, 10)), "container");
}

TEST(FindControlCovers, ChildrenUnderTheInsetOrABarAreNotHit) {
  CContainerUI container;
  container.SetName(L"container");
  container.SetInset(RECT{10, 10, 10, 10});
  container.EnableScrollBar(true, false);
  container.GetVerticalScrollBar()->SetName(L"bar");
  container.SetPos(RECT{0, 0, 200, 200}, false);
  container.GetVerticalScrollBar()->SetPos(RECT{174, 10, 190, 190}, false);
  AddAt(container, L"plain", RECT{0, 0, 200, 200});
  CControlUI* floating = AddAt(container, L"float", RECT{0, 0, 30, 30});
  floating->SetFloat(true);
  floating->SetPos(RECT{0, 0, 30, 30}, false);
  const struct {
    POINT pt;
    const char* expected;
  } cases[] = {{{100, 100}, "plain"},  {{5, 100}, "container"},  {{100, 195}, "container"},
               {{180, 100}, "bar"},    {{195, 100}, "container"}, {{5, 5}, "float"},
               {{20, 20}, "float"}};
  for (const auto& test : cases) {
    EXPECT_EQ(NameOf(HitTest(&container, test.pt.x, test.pt.y)), test.expected)
        << test.pt.x << "," << test.pt.y;
  }
}

}  // namespace
