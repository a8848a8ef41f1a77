// Placement of the base control: normalised rects, float placement relative to the parent (no
// drift when laid out again), percent anchors, moves and covers.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "control_test_util.h"
#include "ui_core/manager/ui_container.h"
#include "ui_core/manager/ui_control.h"
#include "ui_test_support.h"

using namespace SkinUI;
using ControlTest::RectText;
using ControlTest::SameRect;

namespace {

struct FloatCase {
  TPercentInfoUI percent;
  const wchar_t* pos;
  RECT parent;
  RECT expected;
  const char* what;
};

TEST(ControlPlacement, FloatChildFollowsItsParentWithoutDriftWhenLaidOutTwice) {
  const FloatCase cases[] = {
      {{0, 0, 0, 0}, L"10,20,110,70", {0, 0, 200, 100}, {10, 20, 110, 70}, "parent at origin"},
      {{0, 0, 0, 0}, L"10,20,110,70", {50, 30, 250, 130}, {60, 50, 160, 100},
       "parent at (50,30)"},
      {{0.5, 0, 0.5, 0}, L"10,0,30,20", {0, 0, 200, 100}, {110, 0, 130, 20},
       "centre anchor"},
      {{0.5, 0, 0.5, 0}, L"10,0,30,20", {50, 30, 250, 130}, {160, 30, 180, 50},
       "centre anchor, parent away from the origin"},
      {{1, 1, 1, 1}, L"-30,-20,-10,-10", {50, 30, 250, 130}, {220, 110, 240, 120},
       "bottom-right anchor"},
      {{0.25, 0.5, 0.75, 0.5}, L"0,0,0,10", {0, 0, 400, 100}, {100, 50, 300, 60},
       "stretched between quarter points"},
  };
  for (const FloatCase& test : cases) {
    CContainerUI parent;
    auto* child = new CControlUI;
    parent.Add(child);
    child->SetAttribute(L"pos", test.pos);
    child->SetFloat(true);
    child->SetFloatPercent(test.percent);
    const SIZE xy = child->GetFixedXY();
    for (int round = 0; round < 3; ++round) {
      parent.SetPos(test.parent, false);
      EXPECT_TRUE(SameRect(child->GetPos(), test.expected))
          << test.what << " round " << round << ": " << RectText(child->GetPos());
      EXPECT_EQ(child->GetFixedXY().cx, xy.cx) << test.what;
      EXPECT_EQ(child->GetFixedXY().cy, xy.cy) << test.what;
      // The window lays float controls out again from their relative position.
      child->SetPos(child->GetRelativePos(), false);
      EXPECT_TRUE(SameRect(child->GetPos(), test.expected))
          << test.what << " relative round " << round << ": " << RectText(child->GetPos());
    }
  }
}

TEST(ControlPlacement, SetPosOfAFloatControlRecomputesItsRulesFromTheRelativeRect) {
  struct Case {
    RECT parent;
    RECT expectedItem;
  } cases[] = {{{0, 0, 200, 100}, {110, 0, 130, 20}}, {{50, 30, 250, 130}, {160, 30, 180, 50}}};
  for (const Case& test : cases) {
    CContainerUI parent;
    auto* child = new CControlUI;
    parent.Add(child);
    child->SetFloat(true);
    child->SetFloatPercent(TPercentInfoUI{0.5, 0, 0.5, 0});
    parent.SetPos(test.parent, false);
    child->SetPos(RECT{110, 0, 130, 20}, false);
    EXPECT_TRUE(SameRect(child->GetPos(), test.expectedItem)) << RectText(child->GetPos());
    EXPECT_EQ(child->GetFixedXY().cx, 10);
    EXPECT_EQ(child->GetFixedXY().cy, 0);
    EXPECT_EQ(child->GetFixedWidth(), 20);
    EXPECT_EQ(child->GetFixedHeight(), 20);
    // The parent's own placement reproduces the same rect.
    parent.SetPos(test.parent, false);
    EXPECT_TRUE(SameRect(child->GetPos(), test.expectedItem)) << RectText(child->GetPos());
  }
}

TEST(ControlPlacement, StretchedFloatControlKeepsItsMarginsWhenTheParentGrows) {
  CContainerUI parent;
  auto* child = new CControlUI;
  parent.Add(child);
  child->SetFloat(true);
  child->SetFloatPercent(TPercentInfoUI{0, 0, 1, 1});
  parent.SetPos(RECT{40, 40, 240, 140}, false);
  child->SetPos(RECT{10, 10, 190, 90}, false);  // 10-pixel margins all round
  EXPECT_TRUE(SameRect(child->GetPos(), RECT{50, 50, 230, 130})) << RectText(child->GetPos());
  parent.SetPos(RECT{40, 40, 340, 240}, false);
  EXPECT_TRUE(SameRect(child->GetPos(), RECT{50, 50, 330, 230})) << RectText(child->GetPos());
}

TEST(ControlPlacement, HugeSharesAndSizesSaturateInsteadOfWrapping) {
  CContainerUI parent;
  auto* child = new CControlUI;
  parent.Add(child);
  child->SetAttribute(L"float", L"1e300,-1e300,1e300,0");
  child->SetAttribute(L"pos", L"2147483647,-2147483648,2147483647,2147483647");
  parent.SetPos(RECT{0, 0, 200, 100}, false);
  const RECT rc = child->GetPos();
  EXPECT_LE(rc.left, rc.right);
  EXPECT_LE(rc.top, rc.bottom);
}

TEST(ControlPlacement, SetPosNormalisesAndFloatWithoutParentKeepsItsRect) {
  CControlUI control;
  control.SetPos(RECT{10, 10, 5, 5});
  EXPECT_TRUE(SameRect(control.GetPos(), RECT{10, 10, 10, 10})) << RectText(control.GetPos());
  control.SetPos(RECT{1, 2, 30, 40});
  EXPECT_EQ(control.GetWidth(), 29);
  EXPECT_EQ(control.GetHeight(), 38);
  EXPECT_EQ(control.GetX(), 1);
  EXPECT_EQ(control.GetY(), 2);
  EXPECT_TRUE(SameRect(control.GetRelativePos(), RECT{0, 0, 0, 0}));
  control.SetFloat(true);
  control.SetPos(RECT{100, 100, 200, 200});
  EXPECT_TRUE(SameRect(control.GetPos(), RECT{1, 2, 30, 40})) << RectText(control.GetPos());
}

TEST(ControlPlacement, MoveOffsetsTheControlAndItsCover) {
  TestSupport::TestHostWindow host;
  auto control = std::make_unique<CControlUI>();
  control->SetManager(&host.manager(), nullptr, false);
  auto* cover = new CControlUI;
  control->SetCover(cover);
  control->SetPos(RECT{10, 10, 60, 40});
  EXPECT_TRUE(SameRect(cover->GetPos(), RECT{10, 10, 60, 40})) << RectText(cover->GetPos());
  control->Move(SIZE{5, -3});
  EXPECT_TRUE(SameRect(control->GetPos(), RECT{15, 7, 65, 37}));
  EXPECT_TRUE(SameRect(cover->GetPos(), RECT{15, 7, 65, 37})) << RectText(cover->GetPos());
}

TEST(ControlPlacement, CoversArePlacedOverTheirControl) {
  TestSupport::TestHostWindow host;
  CWindowManagerUI* manager = &host.manager();
  {
    // A float cover is placed by its own percents and rules inside the control.
    auto control = std::make_unique<CControlUI>();
    control->SetManager(manager, nullptr, false);
    auto* cover = new CControlUI;
    cover->SetFloat(true);
    cover->SetFloatPercent(TPercentInfoUI{1, 0, 1, 0});
    cover->SetFixedXY(SIZE{-20, 5});
    cover->SetFixedWidth(16);
    cover->SetFixedHeight(16);
    control->SetCover(cover);
    EXPECT_EQ(cover->GetParent(), control.get());
    control->SetPos(RECT{100, 50, 300, 150});
    EXPECT_TRUE(SameRect(cover->GetPos(), RECT{280, 55, 296, 71})) << RectText(cover->GetPos());
    control->SetPos(RECT{100, 50, 300, 150});
    EXPECT_TRUE(SameRect(cover->GetPos(), RECT{280, 55, 296, 71})) << RectText(cover->GetPos());
  }
  {
    // A cover that is not float takes the control's rect within its own min and max.
    auto control = std::make_unique<CControlUI>();
    control->SetManager(manager, nullptr, false);
    auto* cover = new CControlUI;
    cover->SetMaxWidth(50);
    cover->SetMinHeight(120);
    control->SetCover(cover);
    control->SetPos(RECT{0, 0, 200, 100});
    EXPECT_TRUE(SameRect(cover->GetPos(), RECT{0, 0, 50, 120})) << RectText(cover->GetPos());
  }
  {
    // The cover of a float control sits on the control, not at its parent-relative rect.
    CContainerUI parent;
    parent.SetManager(manager, nullptr, false);
    auto* control = new CControlUI;
    parent.Add(control);
    control->SetFloat(true);
    auto* cover = new CControlUI;
    control->SetCover(cover);
    parent.SetPos(RECT{50, 30, 250, 130}, false);
    control->SetPos(RECT{10, 10, 110, 60}, false);
    EXPECT_TRUE(SameRect(control->GetPos(), RECT{60, 40, 160, 90}));
    EXPECT_TRUE(SameRect(cover->GetPos(), RECT{60, 40, 160, 90})) << RectText(cover->GetPos());
  }
}

TEST(ControlPlacement, CoversAreReplacedDeletedAndFollowVisibility) {
  bool firstGone = false;
  bool secondGone = false;
  {
    CControlUI control;
    control.SetVisible(false);
    auto* first = new ControlTest::DestroyProbe(&firstGone);
    control.SetCover(first);
    EXPECT_FALSE(first->IsVisible()) << "the cover of a hidden control is hidden";
    control.SetCover(first);
    EXPECT_FALSE(firstGone) << "setting the same cover again keeps it";
    auto* second = new ControlTest::DestroyProbe(&secondGone);
    control.SetCover(second);
    EXPECT_TRUE(firstGone) << "the old cover is deleted";
    EXPECT_EQ(control.GetCover(), second);
    control.SetVisible(true);
    EXPECT_TRUE(second->IsVisible());
    control.SetVisible(false);
    EXPECT_FALSE(second->IsVisible());
  }
  EXPECT_TRUE(secondGone) << "the cover dies with its control";
}

class SizeWatcher {
public:
  bool OnSize(void* param) {
    seen.push_back(static_cast<CControlUI*>(param));
    return true;
  }
  std::vector<CControlUI*> seen;
};

TEST(ControlPlacement, SetPosRaisesOnSizeOnlyWithAManager) {
  TestSupport::TestHostWindow host;
  SizeWatcher watcher;
  auto control = std::make_unique<CControlUI>();
  control->OnSize += MakeDelegate(&watcher, &SizeWatcher::OnSize);
  control->SetPos(RECT{0, 0, 10, 10});
  EXPECT_TRUE(watcher.seen.empty());
  EXPECT_TRUE(control->IsUpdateNeeded()) << "without a manager SetPos leaves the flag";
  control->SetManager(&host.manager(), nullptr, false);
  control->NeedUpdate();
  control->SetPos(RECT{0, 0, 20, 20});
  ASSERT_EQ(watcher.seen.size(), 1u);
  EXPECT_EQ(watcher.seen[0], control.get());
  EXPECT_FALSE(control->IsUpdateNeeded());
}

}  // namespace
