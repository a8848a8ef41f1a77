// The list in a real window: selection by click, keys and wheel over lists with disabled and
// hidden items, the selection kept while items come and go, and lists far too large or empty.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "list_fixture.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/manager/ui_scrollbar.h"

namespace {

using ControlsTest::ControlsWindow;
using ListsTest::AddList;
using ListsTest::CentreOf;
using ListsTest::ItemText;
using ListsTest::MakeLabelItem;
using SkinUI::CListUI;

bool ItemSelected(CListUI* list, int index) {
  SkinUI::IListItemUI* item = SkinUI::AsListItem(list->GetItemAt(index));
  return item != nullptr && item->IsSelected();
}

// Exactly one item shows as selected, and it is the list's selection (or none with -1).
void ExpectOnlySelected(CListUI* list, int index) {
  for (int i = 0; i < list->GetCount(); ++i) {
    EXPECT_EQ(ItemSelected(list, i), i == index) << "item " << i;
  }
  EXPECT_EQ(list->GetCurSel(), index);
}

TEST(ListTest, ClickSelectsTheItemAndReportsItOnce) {
  ControlsWindow window;
  CListUI* list = AddList(window, 200, 200, 5);
  window.Attach();
  const POINT pt = CentreOf(list->GetItemAt(3));
  window.ClickLeft(pt.x, pt.y);
  ExpectOnlySelected(list, 3);
  auto& recorder = window.recorder();
  ASSERT_EQ(recorder.Count(L"itemselect"), 1);
  for (const auto& n : recorder.list) {
    if (n.type != L"itemselect") continue;
    EXPECT_EQ(n.sender, list);
    EXPECT_EQ(n.wParam, 3u);
    EXPECT_EQ(n.lParam, -1);
  }
  EXPECT_EQ(recorder.Count(L"itemclick"), 1);

  const POINT other = CentreOf(list->GetItemAt(1));
  window.ClickLeft(other.x, other.y);
  ExpectOnlySelected(list, 1);
  EXPECT_EQ(recorder.list.back().type, L"itemselect");
  EXPECT_EQ(recorder.list.back().lParam, 3) << "the previous selection";
  window.ClickLeft(other.x, other.y);
  EXPECT_EQ(recorder.Count(L"itemselect"), 2) << "the selected item clicked again changes nothing";
}

// Which items of a list cannot be selected.
enum class Kind { kOk, kDisabled, kHidden };

CListUI* AddListOf(ControlsWindow& window, const std::vector<Kind>& kinds) {
  CListUI* list = AddList(window, 200, 300, static_cast<int>(kinds.size()));
  for (size_t i = 0; i < kinds.size(); ++i) {
    SkinUI::CControlUI* item = list->GetItemAt(static_cast<int>(i));
    if (kinds[i] == Kind::kDisabled) item->SetEnabled(false);
    if (kinds[i] == Kind::kHidden) item->SetVisible(false);
  }
  return list;
}

TEST(ListTest, KeysMoveTheSelectionOverItemsThatCanTakeIt) {
  using K = Kind;
  struct Step {
    WPARAM key;
    int selected;
  };
  const struct {
    const char* name;
    std::vector<Kind> kinds;
    int start;
    std::vector<Step> steps;
  } cases[] = {
      {"disabled and hidden inside",
       {K::kOk, K::kDisabled, K::kOk, K::kHidden, K::kOk, K::kDisabled},
       0,
       {{VK_DOWN, 2}, {VK_DOWN, 4},
        {VK_DOWN, 4},  // nothing selectable below: the selection stays
        {VK_UP, 2}, {VK_HOME, 0},
        {VK_UP, 0},
        {VK_END, 4},  // the last item that can be selected
        {VK_HOME, 0}}},
      {"unselectable ends",
       {K::kDisabled, K::kOk, K::kOk, K::kHidden},
       2,
       {{VK_HOME, 1}, {VK_UP, 1}, {VK_END, 2}, {VK_DOWN, 2}, {VK_UP, 1}}},
      {"nothing selectable", {K::kDisabled, K::kHidden, K::kDisabled}, -1,
       {{VK_DOWN, -1}, {VK_UP, -1}, {VK_HOME, -1}, {VK_END, -1}}},
      {"no selection yet", {K::kOk, K::kOk, K::kOk}, -1, {{VK_DOWN, 0}, {VK_DOWN, 1}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ControlsWindow window;
    CListUI* list = AddListOf(window, c.kinds);
    window.Attach();
    if (c.start >= 0) {
      ASSERT_TRUE(list->SelectItem(c.start, false, false));
    }
    window.manager().SetFocus(list);
    int expectedNotifications = 0;
    int selected = c.start;
    for (const Step& step : c.steps) {
      window.KeyDown(step.key);
      EXPECT_EQ(list->GetCurSel(), step.selected) << "key " << step.key;
      ExpectOnlySelected(list, step.selected);
      if (step.selected != selected) ++expectedNotifications;
      selected = step.selected;
    }
    EXPECT_EQ(window.recorder().Count(L"itemselect"), expectedNotifications);
  }
}

TEST(ListTest, PageKeysScrollByAPageAndKeepTheSelection) {
  ControlsWindow window;
  CListUI* list = AddList(window, 200, 120, 40);
  list->SetAttribute(L"header", L"hidden");
  list->SetAttribute(L"vscrollbar", L"true");
  window.Attach();
  ASSERT_TRUE(list->SelectItem(2, false, false));
  window.manager().SetFocus(list);
  const int page = list->GetList()->GetHeight();
  window.KeyDown(VK_NEXT);
  EXPECT_EQ(list->GetScrollPos().cy, page);
  EXPECT_EQ(list->GetCurSel(), 2);
  window.KeyDown(VK_PRIOR);
  EXPECT_EQ(list->GetScrollPos().cy, 0);
  EXPECT_EQ(window.recorder().Count(L"itemselect"), 0);
}

TEST(ListTest, WheelScrollsOrWithScrollSelectMovesTheSelection) {
  for (const bool scrollSelect : {false, true}) {
    SCOPED_TRACE(scrollSelect ? "scrollselect" : "plain");
    ControlsWindow window;
    CListUI* list = AddListOf(window, {Kind::kOk, Kind::kDisabled, Kind::kOk, Kind::kOk, Kind::kOk,
                                       Kind::kOk, Kind::kOk, Kind::kOk, Kind::kOk, Kind::kOk,
                                       Kind::kOk, Kind::kOk, Kind::kOk, Kind::kOk, Kind::kOk,
                                       Kind::kOk, Kind::kOk, Kind::kOk, Kind::kOk, Kind::kOk});
    list->SetFixedHeight(100);
    list->SetAttribute(L"vscrollbar", L"true");
    list->SetAttribute(L"scrollselect", scrollSelect ? L"true" : L"false");
    window.Attach();
    ASSERT_TRUE(list->SelectItem(0, false, false));
    const POINT pt = CentreOf(list->GetList());
    window.Wheel(pt.x, pt.y, false);
    if (scrollSelect) {
      EXPECT_EQ(list->GetCurSel(), 2) << "the disabled item is passed over";
      EXPECT_EQ(list->GetScrollPos().cy, 0);
      window.Wheel(pt.x, pt.y, true);
      EXPECT_EQ(list->GetCurSel(), 0);
      EXPECT_EQ(window.recorder().Count(L"itemselect"), 2);
    } else {
      EXPECT_EQ(list->GetCurSel(), 0);
      EXPECT_GT(list->GetScrollPos().cy, 0);
      window.Wheel(pt.x, pt.y, true);
      EXPECT_EQ(list->GetScrollPos().cy, 0);
      EXPECT_EQ(window.recorder().Count(L"itemselect"), 0);
    }
  }
}

TEST(ListTest, SelectionFollowsItsItemWhileItemsComeAndGo) {
  ControlsWindow window;
  CListUI* list = AddList(window, 200, 300, 8);
  window.Attach();
  SkinUI::CControlUI* chosen = list->GetItemAt(5);
  ASSERT_TRUE(list->SelectItem(5, false, false));

  ASSERT_TRUE(list->AddAt(MakeLabelItem(L"new first"), 0));
  EXPECT_EQ(list->GetCurSel(), 6);
  EXPECT_EQ(list->GetItemAt(6), chosen);
  ASSERT_TRUE(list->Add(MakeLabelItem(L"new last")));
  EXPECT_EQ(list->GetCurSel(), 6);
  ASSERT_TRUE(list->RemoveAt(1));
  EXPECT_EQ(list->GetCurSel(), 5);
  EXPECT_EQ(list->GetItemAt(5), chosen);
  ASSERT_TRUE(list->SetItemIndex(chosen, 0));
  EXPECT_EQ(list->GetCurSel(), 0);
  // Every item knows its place after all that.
  for (int i = 0; i < list->GetCount(); ++i) {
    EXPECT_EQ(SkinUI::AsListItem(list->GetItemAt(i))->GetIndex(), i);
  }
  EXPECT_EQ(window.recorder().Count(L"itemselect"), 0);
  ExpectOnlySelected(list, 0);
}

TEST(ListTest, RemovingTheSelectedItemSelectsItsNeighbour) {
  const struct {
    const char* name;
    std::vector<Kind> kinds;
    int remove;
    int selected;  // after the removal, among the remaining items
  } cases[] = {
      {"the item that moved up", {Kind::kOk, Kind::kOk, Kind::kOk}, 1, 1},
      {"the one before when the next cannot", {Kind::kOk, Kind::kOk, Kind::kDisabled}, 1, 0},
      {"the first after when none before can",
       {Kind::kDisabled, Kind::kOk, Kind::kHidden, Kind::kOk}, 1, 2},
      {"none left", {Kind::kDisabled, Kind::kOk}, 1, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ControlsWindow window;
    CListUI* list = AddListOf(window, c.kinds);
    window.Attach();
    ASSERT_TRUE(list->SelectItem(c.remove, false, false));
    ASSERT_TRUE(list->RemoveAt(c.remove));
    ExpectOnlySelected(list, c.selected);
    EXPECT_EQ(window.recorder().Count(L"itemselect"), c.selected >= 0 ? 1 : 0);
  }
}

TEST(ListTest, SelectItemRefusesWhatCannotBeSelected) {
  ControlsWindow window;
  CListUI* list = AddListOf(window, {Kind::kOk, Kind::kDisabled, Kind::kHidden, Kind::kOk});
  window.Attach();
  ASSERT_TRUE(list->SelectItem(0, false, true));
  EXPECT_TRUE(list->SelectItem(0, false, true)) << "the current index";
  EXPECT_FALSE(list->SelectItem(4, false, true)) << "past the end";
  EXPECT_FALSE(list->SelectItem(-7, false, true));
  EXPECT_FALSE(list->SelectItem(100000, false, true));
  EXPECT_EQ(list->GetCurSel(), 0) << "an index out of range changes nothing";
  EXPECT_FALSE(list->SelectItem(1, false, true)) << "disabled";
  EXPECT_EQ(list->GetCurSel(), -1);
  ASSERT_TRUE(list->SelectItem(3, false, true));
  EXPECT_FALSE(list->SelectItem(2, false, true)) << "hidden";
  ExpectOnlySelected(list, -1);
  ASSERT_TRUE(list->SelectItem(3, false, true));
  EXPECT_FALSE(list->SelectItem(-1, false, true)) << "-1 clears the selection";
  ExpectOnlySelected(list, -1);
  EXPECT_EQ(window.recorder().Count(L"itemselect"), 3) << "clearing sends nothing";
}

TEST(ListTest, HidingTheSelectedItemClearsTheSelectionSilently) {
  ControlsWindow window;
  CListUI* list = AddList(window, 200, 200, 4);
  window.Attach();
  ASSERT_TRUE(list->SelectItem(2, false, false));
  list->GetItemAt(2)->SetVisible(false);
  ExpectOnlySelected(list, -1);
  EXPECT_EQ(window.recorder().Count(L"itemselect"), 0);
}

TEST(ListTest, TenThousandItemsLayOutAndNavigate) {
  constexpr int kCount = 10000;
  ControlsWindow window;
  CListUI* list = AddList(window, 200, 200, kCount);
  list->SetAttribute(L"vscrollbar", L"true");
  window.Attach();
  EXPECT_EQ(list->GetCount(), kCount);
  const RECT last = list->GetItemAt(kCount - 1)->GetPos();
  const RECT first = list->GetItemAt(0)->GetPos();
  EXPECT_EQ(last.top - first.top, (kCount - 1) * ListsTest::kItemHeight);
  window.manager().SetFocus(list);
  window.KeyDown(VK_END);
  EXPECT_EQ(list->GetCurSel(), kCount - 1);
  const RECT shown = list->GetItemAt(kCount - 1)->GetPos();
  const RECT body = list->GetList()->GetPos();
  EXPECT_LE(shown.bottom, body.bottom) << "scrolled into view";
  EXPECT_GE(shown.top, body.top);
  window.KeyDown(VK_HOME);
  EXPECT_EQ(list->GetCurSel(), 0);
  for (int i = 0; i < 100; ++i) list->RemoveAt(0);
  EXPECT_EQ(list->GetCount(), kCount - 100);
  EXPECT_EQ(SkinUI::AsListItem(list->GetItemAt(kCount - 101))->GetIndex(), kCount - 101);
  window.Repaint();
  list->RemoveAll();
  EXPECT_EQ(list->GetCurSel(), -1);
  window.Repaint();
}

TEST(ListTest, EmptyListTakesKeysWheelAndPaints) {
  ControlsWindow window;
  CListUI* list = AddList(window, 200, 200, 0);
  window.Attach();
  window.manager().SetFocus(list);
  for (const WPARAM key : {VK_UP, VK_DOWN, VK_HOME, VK_END, VK_PRIOR, VK_NEXT, VK_RETURN}) {
    window.KeyDown(key);
  }
  const POINT pt = CentreOf(list);
  window.Wheel(pt.x, pt.y, false);
  window.ClickLeft(pt.x, pt.y);
  EXPECT_FALSE(list->SelectItem(0));
  EXPECT_FALSE(list->RemoveAt(0));
  EXPECT_FALSE(list->ExpandItem(0, true));
  EXPECT_EQ(list->GetCurSel(), -1);
  window.Paint();
  EXPECT_EQ(window.recorder().Count(L"itemselect"), 0);
}

}  // namespace
