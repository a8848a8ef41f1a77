// The plain container: child geometry for insets, bars and size rules, its attributes, child
// visibility, adding and removing children (with and without destroying them, through the
// window's delayed cleanup), reordering and the search for selectable children.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "control_test_util.h"
#include "ui_core/manager/ui_container.h"
#include "ui_core/manager/ui_scrollbar.h"
#include "test_support.h"
#include "ui_test_support.h"

using namespace SkinUI;
using ControlTest::RectText;
using ControlTest::SameRect;

namespace {

struct GeometryCase {
  RECT rect;
  const wchar_t* containerAttributes;
  const wchar_t* childAttributes;
  RECT expectedChild;
  RECT expectedClient;
  const char* what;
};

TEST(ContainerGeometry, ChildrenFillTheClientAreaWithinTheirSizeRules) {
  const GeometryCase cases[] = {
      {{0, 0, 200, 100}, L"", L"", {0, 0, 200, 100}, {0, 0, 200, 100}, "no inset"},
      {{10, 20, 210, 120}, L"inset=\"5,6,7,8\"", L"", {15, 26, 203, 112}, {15, 26, 203, 112},
       "inset"},
      {{10, 20, 210, 120},
       L"inset=\"5,6,7,8\" childpadding=\"10\" childalign=\"center\" childvalign=\"bottom\"",
       L"padding=\"3,3,3,3\" width=\"40\" height=\"30\"", {15, 26, 203, 112},
       {15, 26, 203, 112}, "padding, alignment and fixed sizes are for the layouts"},
      {{0, 0, 200, 100}, L"", L"maxwidth=\"50\" maxheight=\"60\"", {0, 0, 50, 60},
       {0, 0, 200, 100}, "lowered to the maximum"},
      {{0, 0, 200, 100}, L"", L"minwidth=\"250\" minheight=\"150\"", {0, 0, 250, 150},
       {0, 0, 200, 100}, "raised to the minimum"},
      {{0, 0, 200, 100}, L"", L"minwidth=\"80\" maxwidth=\"50\"", {0, 0, 80, 100},
       {0, 0, 200, 100}, "a minimum above the maximum wins"},
      {{0, 0, 200, 100}, L"inset=\"150,0,150,0\"", L"", {150, 0, 150, 100}, {150, 0, 50, 100},
       "an inset wider than the container leaves no width"},
      {{0, 0, 200, 100}, L"inset=\"-10,-10,0,0\"", L"", {-10, -10, 200, 100},
       {-10, -10, 200, 100}, "a negative inset grows the area"},
      {{0, 0, 200, 100}, L"vscrollbar=\"true\"", L"", {0, 0, 184, 100}, {0, 0, 184, 100},
       "a vertical bar takes its width"},
      {{0, 0, 200, 100}, L"hscrollbar=\"true\" vscrollbar=\"true\"", L"", {0, 0, 184, 84},
       {0, 0, 184, 84}, "both bars"},
      {{0, 0, 200, 100}, L"vscrollbar=\"true\" inset=\"4,4,4,4\"", L"", {4, 4, 180, 96},
       {4, 4, 180, 96}, "inset and bar"},
  };
  for (const GeometryCase& test : cases) {
    CContainerUI container;
    container.ApplyAttributeList(test.containerAttributes);
    auto* child = new CControlUI;
    child->ApplyAttributeList(test.childAttributes);
    container.Add(child);
    container.SetPos(test.rect, false);
    EXPECT_TRUE(SameRect(child->GetPos(), test.expectedChild))
        << test.what << ": " << RectText(child->GetPos());
    EXPECT_TRUE(SameRect(container.GetClientPos(), test.expectedClient))
        << test.what << ": client " << RectText(container.GetClientPos());
  }
}

TEST(ContainerGeometry, ScrolledBarsShiftTheChildArea) {
  CContainerUI container;
  container.EnableScrollBar(true, false);
  CScrollBarUI* bar = container.GetVerticalScrollBar();
  ASSERT_NE(bar, nullptr);
  bar->SetScrollRange(50);
  bar->SetScrollPos(20, false);
  auto* child = new CControlUI;
  container.Add(child);
  container.SetPos(RECT{0, 0, 200, 100}, false);
  EXPECT_TRUE(SameRect(child->GetPos(), RECT{0, -20, 184, 130})) << RectText(child->GetPos());
}

TEST(ContainerGeometry, FloatChildrenAndHiddenChildrenArePlacedByTheirOwnRules) {
  CContainerUI container;
  auto* hidden = new CControlUI;
  hidden->SetVisible(false);
  auto* floating = new CControlUI;
  floating->ApplyAttributeList(L"float=\"true\" pos=\"5,6,25,16\"");
  container.Add(hidden);
  container.Add(floating);
  container.SetPos(RECT{100, 100, 300, 200}, false);
  EXPECT_TRUE(SameRect(hidden->GetPos(), RECT{0, 0, 0, 0})) << RectText(hidden->GetPos());
  EXPECT_TRUE(SameRect(floating->GetPos(), RECT{105, 106, 125, 116}))
      << RectText(floating->GetPos());
  container.SetFloatPos(-1);
  container.SetFloatPos(7);
}

struct ContainerAttributeCase {
  const wchar_t* name;
  const wchar_t* value;
  std::function<bool(CContainerUI&)> check;
  const char* what;
};

TEST(ContainerAttributes, EveryNameOfTheTable) {
  const ContainerAttributeCase cases[] = {
      {L"inset", L"1,2,3,4",
       [](CContainerUI& c) { return SameRect(c.GetInset(), RECT{1, 2, 3, 4}); }, "inset"},
      {L"inset", L"7", [](CContainerUI& c) { return SameRect(c.GetInset(), RECT{7, 0, 0, 0}); },
       "a short inset stops at its end"},
      {L"mousechild", L"false", [](CContainerUI& c) { return !c.IsMouseChildEnabled(); },
       "mouse child"},
      {L"vscrollbar", L"true",
       [](CContainerUI& c) {
         return c.GetVerticalScrollBar() != nullptr && c.GetHorizontalScrollBar() == nullptr;
       },
       "vertical bar"},
      {L"hscrollbar", L"true",
       [](CContainerUI& c) {
         return c.GetHorizontalScrollBar() != nullptr &&
                c.GetHorizontalScrollBar()->IsHorizontal() &&
                c.GetHorizontalScrollBar()->GetFixedHeight() == 16 &&
                c.GetVerticalScrollBar() == nullptr;
       },
       "horizontal bar"},
      {L"vscrollbarstyle", L"width=\"12\" linesize=\"5\"",
       [](CContainerUI& c) {
         return c.GetVerticalScrollBar() != nullptr &&
                c.GetVerticalScrollBar()->GetFixedWidth() == 12 &&
                c.GetVerticalScrollBar()->GetLineSize() == 5;
       },
       "vertical bar with a style"},
      {L"hscrollbarstyle", L"height=\"9\"",
       [](CContainerUI& c) {
         return c.GetHorizontalScrollBar() != nullptr &&
                c.GetHorizontalScrollBar()->GetFixedHeight() == 9;
       },
       "horizontal bar with a style"},
      {L"childpadding", L"6", [](CContainerUI& c) { return c.GetChildPadding() == 6; },
       "child padding"},
      {L"childpadding", L"-6", [](CContainerUI& c) { return c.GetChildPadding() == 0; },
       "negative child padding is 0"},
      {L"childalign", L"center", [](CContainerUI& c) { return c.GetChildAlign() == DT_CENTER; },
       "centre"},
      {L"childalign", L"right", [](CContainerUI& c) { return c.GetChildAlign() == DT_RIGHT; },
       "right"},
      {L"childvalign", L"vcenter",
       [](CContainerUI& c) { return c.GetChildVAlign() == DT_VCENTER; }, "vcenter"},
      {L"childvalign", L"bottom", [](CContainerUI& c) { return c.GetChildVAlign() == DT_BOTTOM; },
       "bottom"},
      {L"bkcolor", L"#FF010203", [](CContainerUI& c) { return c.GetBkColor() == 0xFF010203; },
       "other names go to the base control"},
  };
  for (const ContainerAttributeCase& test : cases) {
    CContainerUI container;
    container.SetAttribute(test.name, test.value);
    EXPECT_TRUE(test.check(container)) << test.what;
  }
  // An unknown alignment word keeps the previous alignment.
  CContainerUI container;
  container.SetAttribute(L"childalign", L"right");
  container.SetAttribute(L"childalign", L"middle");
  EXPECT_EQ(container.GetChildAlign(), static_cast<UINT>(DT_RIGHT));
  container.SetAttribute(L"childvalign", L"bottom");
  container.SetAttribute(L"childvalign", L"Top");
  EXPECT_EQ(container.GetChildVAlign(), static_cast<UINT>(DT_BOTTOM));
  // "vscrollbar" keeps an existing horizontal bar; "false" removes the vertical one.
  container.SetAttribute(L"hscrollbar", L"true");
  container.SetAttribute(L"vscrollbar", L"true");
  container.SetAttribute(L"vscrollbar", L"false");
  EXPECT_EQ(container.GetVerticalScrollBar(), nullptr);
  EXPECT_NE(container.GetHorizontalScrollBar(), nullptr);
}

TEST(ContainerChildren, VisibilityIsHandedDownToChildren) {
  TestSupport::TestHostWindow host;
  auto outer = std::make_unique<CContainerUI>();
  outer->SetManager(&host.manager(), nullptr, false);
  outer->SetVisible(false);
  auto* inner = new CContainerUI;
  auto* leaf = new CControlUI;
  inner->Add(leaf);
  outer->Add(inner);
  EXPECT_FALSE(inner->IsVisible()) << "added to an invisible container";
  EXPECT_FALSE(leaf->IsVisible());
  outer->SetVisible(true);
  EXPECT_TRUE(inner->IsVisible());
  EXPECT_TRUE(leaf->IsVisible());
  inner->SetVisible(false);
  EXPECT_FALSE(leaf->IsVisible());
  outer->SetVisible(false);
  outer->SetVisible(true);
  EXPECT_FALSE(inner->IsVisible()) << "its own flag stays off";
  EXPECT_FALSE(leaf->IsVisible());

  // Adding to a visible container asks for a relayout.
  outer->SetPos(RECT{0, 0, 100, 100});
  EXPECT_FALSE(outer->IsUpdateNeeded());
  auto* late = new CControlUI;
  outer->Add(late);
  EXPECT_TRUE(outer->IsUpdateNeeded());
  EXPECT_TRUE(late->IsVisible());
  EXPECT_EQ(late->GetParent(), outer.get());
  EXPECT_EQ(late->GetManager(), &host.manager());
}

TEST(ContainerChildren, RemoveDestroysUnlessToldOtherwise) {
  CContainerUI container;
  bool keptGone = false;
  bool removedGone = false;
  auto* kept = new ControlTest::DestroyProbe(&keptGone);
  auto* removed = new ControlTest::DestroyProbe(&removedGone);
  container.Add(kept);
  container.Add(removed);
  EXPECT_TRUE(container.Remove(kept, true));
  EXPECT_FALSE(keptGone);
  EXPECT_EQ(container.GetCount(), 1);
  EXPECT_FALSE(container.Remove(kept)) << "no longer a child";
  EXPECT_FALSE(keptGone) << "a control that is not a child is not destroyed";
  EXPECT_FALSE(container.Remove(nullptr));
  EXPECT_TRUE(container.Remove(removed));
  EXPECT_TRUE(removedGone) << "without a window the child is deleted at once";
  EXPECT_EQ(container.GetCount(), 0);

  container.SetAutoDestroy(false);
  container.Add(kept);
  EXPECT_TRUE(container.RemoveAt(0));
  EXPECT_FALSE(keptGone) << "auto destroy off";
  EXPECT_FALSE(container.RemoveAt(0));
  EXPECT_FALSE(container.RemoveAt(-1));
  container.Add(kept);
  container.RemoveAll();
  EXPECT_FALSE(keptGone);
  EXPECT_EQ(container.GetCount(), 0);
  delete kept;
}

TEST(ContainerChildren, RemovedChildrenGoThroughTheWindowsDelayedCleanup) {
  TestSupport::TestHostWindow host;
  auto* root = new CContainerUI;
  ASSERT_TRUE(host.Attach(root));
  bool gone[3] = {false, false, false};
  auto* first = new ControlTest::DestroyProbe(&gone[0], L"first");
  auto* second = new ControlTest::DestroyProbe(&gone[1], L"second");
  auto* third = new ControlTest::DestroyProbe(&gone[2], L"third");
  root->Add(first);
  root->Add(second);
  root->Add(third);
  EXPECT_EQ(host.manager().FindControl(L"first"), first);

  EXPECT_TRUE(root->Remove(first));
  EXPECT_FALSE(gone[0]) << "handed to the delayed cleanup";
  EXPECT_TRUE(TestSupport::PumpUntil([&] { return gone[0]; }));
  EXPECT_EQ(host.manager().FindControl(L"first"), nullptr);

  root->SetDelayedDestroy(false);
  EXPECT_TRUE(root->Remove(second));
  EXPECT_TRUE(gone[1]) << "delayed destroy off: at once";

  root->SetDelayedDestroy(true);
  root->RemoveAll();
  EXPECT_EQ(root->GetCount(), 0);
  EXPECT_TRUE(TestSupport::PumpUntil([&] { return gone[2]; }));
}

TEST(ContainerChildren, DestroyingAContainerDeletesItsChildrenAtOnce) {
  TestSupport::TestHostWindow host;
  bool gone = false;
  {
    auto container = std::make_unique<CContainerUI>();
    container->SetManager(&host.manager(), nullptr, false);
    container->Add(new ControlTest::DestroyProbe(&gone));
  }
  EXPECT_TRUE(gone);
}

TEST(ContainerChildren, RefusedChildrenLeaveNoNameBehind) {
  TestSupport::TestHostWindow host;
  auto* root = new CContainerUI;
  ASSERT_TRUE(host.Attach(root));
  auto* child = new CControlUI;
  child->SetName(L"late");
  EXPECT_FALSE(root->AddAt(child, 5));
  EXPECT_FALSE(root->AddAt(child, -1));
  EXPECT_FALSE(root->AddAt(nullptr, 0));
  EXPECT_EQ(host.manager().FindControl(L"late"), nullptr);
  EXPECT_EQ(root->GetCount(), 0);
  EXPECT_TRUE(root->AddAt(child, 0));
  EXPECT_EQ(host.manager().FindControl(L"late"), child);

  // A container cannot hold itself or one of its ancestors.
  auto* inner = new CContainerUI;
  root->Add(inner);
  EXPECT_FALSE(inner->Add(inner));
  EXPECT_FALSE(inner->Add(root));
  EXPECT_EQ(inner->GetCount(), 0);
}

std::wstring Order(const CContainerUI& container) {
  std::wstring order;
  for (int i = 0; i < container.GetCount(); ++i) order += container.GetItemAt(i)->GetName().GetData();
  return order;
}

struct ReorderCase {
  const wchar_t* control;  // name of the child to move, or "x" for a stranger, "" for null
  int count;               // -2: SetItemIndex, else SetItemRangeIndex with this count
  int newIndex;
  bool result;
  const wchar_t* order;
};

TEST(ContainerChildren, SetItemIndexAndRangeIndexReorderOrRefuseWithoutLoss) {
  const ReorderCase cases[] = {
      {L"c", -2, 0, true, L"cabde"},   {L"a", -2, 4, true, L"bcdea"},
      {L"a", -2, 0, true, L"abcde"},   {L"b", -2, 5, false, L"abcde"},
      {L"b", -2, -1, false, L"abcde"}, {L"x", -2, 0, false, L"abcde"},
      {L"", -2, 0, false, L"abcde"},   {L"b", 2, 0, true, L"bcade"},
      {L"a", 2, 3, true, L"cdeab"},    {L"b", 2, 4, false, L"abcde"},
      {L"d", 3, 0, false, L"abcde"},   {L"c", 2, 2, true, L"abcde"},
      {L"", 1, 0, false, L"abcde"},    {L"a", -1, 1, false, L"abcde"},
      {L"a", 1, -1, false, L"abcde"},  {L"a", 0, 3, true, L"abcde"},
      {L"e", 1, 0, true, L"eabcd"},    {L"x", 1, 0, false, L"abcde"},
  };
  for (const ReorderCase& test : cases) {
    CContainerUI container;
    CControlUI* named[5];
    for (int i = 0; i < 5; ++i) {
      named[i] = new CControlUI;
      named[i]->SetName(std::wstring(1, static_cast<wchar_t>(L'a' + i)).c_str());
      container.Add(named[i]);
    }
    CControlUI stranger;
    CControlUI* control = nullptr;
    if (std::wstring(test.control) == L"x") {
      control = &stranger;
    } else if (*test.control != L'\0') {
      control = named[test.control[0] - L'a'];
    }
    const bool result = test.count == -2
                            ? container.SetItemIndex(control, test.newIndex)
                            : container.SetItemRangeIndex(control, test.count, test.newIndex);
    EXPECT_EQ(result, test.result) << TestSupport::ToUtf8(test.control) << " count " << test.count
                                   << " to " << test.newIndex;
    EXPECT_EQ(Order(container), test.order)
        << TestSupport::ToUtf8(test.control) << " count " << test.count << " to "
        << test.newIndex;
    EXPECT_EQ(container.GetItemIndex(named[2]), static_cast<int>(Order(container).find(L'c')));
  }
}

TEST(ContainerChildren, FindSelectableSkipsHiddenDisabledAndNonListChildren) {
  CContainerUI empty;
  EXPECT_EQ(empty.FindSelectable(0, true), -1);
  EXPECT_EQ(empty.FindSelectable(0, false), -1);

  CContainerUI container;
  container.Add(new CControlUI);              // 0: not a list item
  container.Add(new ControlTest::ListItemProbe);  // 1
  auto* hidden = new ControlTest::ListItemProbe;  // 2
  hidden->SetVisible(false);
  container.Add(hidden);
  auto* disabled = new ControlTest::ListItemProbe;  // 3
  disabled->SetEnabled(false);
  container.Add(disabled);
  container.Add(new ControlTest::ListItemProbe);  // 4
  struct Case {
    int index;
    bool forward;
    int expected;
  } cases[] = {{0, true, 1}, {2, true, 4},  {9, true, 4},  {-3, true, 1},
               {3, false, 1}, {0, false, 1}, {4, false, 4}, {9, false, 4}};
  for (const auto& test : cases) {
    EXPECT_EQ(container.FindSelectable(test.index, test.forward), test.expected)
        << test.index << (test.forward ? " forward" : " backward");
  }
  container.RemoveAt(4);
  EXPECT_EQ(container.FindSelectable(2, true), -1);
}

TEST(ContainerChildren, ItemLookupOutsideTheRangeGivesNothing) {
  CContainerUI container;
  auto* child = new CControlUI;
  container.Add(child);
  EXPECT_EQ(container.GetItemAt(0), child);
  EXPECT_EQ(container.GetItemAt(1), nullptr);
  EXPECT_EQ(container.GetItemAt(-1), nullptr);
  CControlUI stranger;
  EXPECT_EQ(container.GetItemIndex(&stranger), -1);
  EXPECT_EQ(container.GetItemIndex(nullptr), -1);
  EXPECT_FALSE(container.Add(nullptr));
}

}  // namespace
