// The list header in a real window: dragging a separator changes its column and the items'
// columns follow; horizontal scrolling keeps header and items aligned; column counts are capped.
#include <gtest/gtest.h>

#include "list_fixture.h"
#include "ui_controls/installer/ui_label.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/manager/ui_scrollbar.h"

namespace {

using ControlsTest::ControlsWindow;
using ListsTest::MakeHeaderItem;
using SkinUI::CListHBoxElementUI;
using SkinUI::CListHeaderItemUI;
using SkinUI::CListUI;

// A row whose children are one label per column.
CListHBoxElementUI* MakeRow(int columns) {
  auto* row = new CListHBoxElementUI();
  row->SetFixedHeight(ListsTest::kItemHeight);
  for (int i = 0; i < columns; ++i) row->Add(new SkinUI::CLabelUI());
  return row;
}

struct TableList {
  CListUI* list = nullptr;
  CListHeaderItemUI* columns[3] = {};
  CListHBoxElementUI* row = nullptr;
};

TableList AddTable(ControlsWindow& window, int width, const int (&columnWidths)[3]) {
  TableList table;
  table.list = window.Add(new CListUI(), width, 200, L"table");
  const wchar_t* titles[] = {L"Name", L"Size", L"Date"};
  for (int i = 0; i < 3; ++i) {
    table.columns[i] = MakeHeaderItem(titles[i], columnWidths[i]);
    table.list->Add(table.columns[i]);
  }
  table.row = MakeRow(3);
  table.list->Add(table.row);
  table.list->Add(MakeRow(3));
  return table;
}

void ExpectItemsFollowColumns(const TableList& table) {
  const SkinUI::TListInfoUI* info = table.list->GetListInfo();
  ASSERT_EQ(info->columns, 3);
  for (int i = 0; i < 3; ++i) {
    const RECT header = table.columns[i]->GetPos();
    EXPECT_EQ(info->columnRects[i].left, header.left) << "column " << i;
    EXPECT_EQ(info->columnRects[i].right, header.right) << "column " << i;
    const RECT cell = table.row->GetItemAt(i)->GetPos();
    EXPECT_EQ(cell.left, header.left) << "cell " << i;
    EXPECT_EQ(cell.right, header.right) << "cell " << i;
  }
}

TEST(ListHeaderTest, DraggingASeparatorWidensTheColumnAndTheCellsFollow) {
  ControlsWindow window;
  TableList table = AddTable(window, 380, {100, 100, 80});
  window.Attach();
  ExpectItemsFollowColumns(table);
  const RECT first = table.columns[0]->GetPos();
  const int y = (first.top + first.bottom) / 2;
  const int grip = first.right - 2;

  window.PressLeft(grip, y);
  window.MoveMouse(grip + 40, y, MK_LBUTTON);
  window.ReleaseLeft(grip + 40, y);
  window.Repaint();
  EXPECT_EQ(table.columns[0]->GetFixedWidth(), 140);
  EXPECT_EQ(table.columns[0]->GetWidth(), 140);
  EXPECT_EQ(table.columns[1]->GetPos().left, first.left + 140);
  ExpectItemsFollowColumns(table);
  EXPECT_EQ(window.recorder().Count(L"headerclick"), 0) << "a drag is not a click";

  // Narrower than the minimum width (16): the step is ignored, the next one counts from the
  // last point taken.
  const int grip2 = table.columns[0]->GetPos().right - 2;
  window.PressLeft(grip2, y);
  window.MoveMouse(grip2 - 130, y, MK_LBUTTON);
  EXPECT_EQ(table.columns[0]->GetFixedWidth(), 140);
  window.MoveMouse(grip2 - 20, y, MK_LBUTTON);
  EXPECT_EQ(table.columns[0]->GetFixedWidth(), 120);
  window.ReleaseLeft(grip2 - 20, y);
  window.Repaint();
  ExpectItemsFollowColumns(table);
}

TEST(ListHeaderTest, PressOutsideTheSeparatorIsAHeaderClick) {
  ControlsWindow window;
  TableList table = AddTable(window, 380, {100, 100, 80});
  window.Attach();
  const POINT centre = ListsTest::CentreOf(table.columns[1]);
  window.ClickLeft(centre.x, centre.y);
  EXPECT_EQ(window.recorder().Count(L"headerclick"), 1);
  EXPECT_EQ(table.columns[1]->GetFixedWidth(), 100);
}

TEST(ListHeaderTest, ColumnShowsTheImageOfItsStateAndItsSeparatorLine) {
  ControlsWindow window;
  TableList table = AddTable(window, 380, {100, 100, 80});
  CListHeaderItemUI* column = table.columns[1];
  column->SetAttribute(L"normalimage", L"color='#FFFFFFFF'");
  column->SetAttribute(L"pushedimage", L"color='#FFFF0000'");
  column->SetAttribute(L"sepcolor", L"#FF00FF00");
  column->SetAttribute(L"text", L"");
  window.Attach();
  const RECT rc = column->GetPos();
  const int y = (rc.top + rc.bottom) / 2;
  auto at = [&](int x) { return window.Paint(0xFF000000)->Pixel(x, y) & 0x00FFFFFFu; };
  EXPECT_EQ(TestSupport::ColorText(at(rc.left + 20)), TestSupport::ColorText(0xFFFFFF));
  EXPECT_EQ(TestSupport::ColorText(at(rc.right - 2)), TestSupport::ColorText(0x00FF00))
      << "the separator line down the band";
  window.PressLeft(rc.left + 20, y);
  EXPECT_EQ(TestSupport::ColorText(at(rc.left + 20)), TestSupport::ColorText(0xFF0000)) << "pushed";
  window.ReleaseLeft(rc.left + 20, y);
  window.MoveMouse(0, 299);
  EXPECT_EQ(TestSupport::ColorText(at(rc.left + 20)), TestSupport::ColorText(0xFFFFFF));
}

TEST(ListHeaderTest, SeparatorAsksForTheSizingCursorOnlyWhenDragable) {
  for (const bool dragable : {true, false}) {
    ControlsWindow window;
    TableList table = AddTable(window, 380, {100, 100, 80});
    if (!dragable) table.columns[0]->SetAttribute(L"dragable", L"false");
    window.Attach();
    const RECT first = table.columns[0]->GetPos();
    const int y = (first.top + first.bottom) / 2;
    EXPECT_EQ(ListsTest::ControlSetsCursor(table.columns[0], POINT{first.right - 2, y}, IDC_SIZEWE),
              dragable);
    EXPECT_FALSE(ListsTest::ControlSetsCursor(table.columns[0], POINT{first.left + 5, y},
                                              IDC_SIZEWE));
    window.PressLeft(first.right - 2, y);
    window.MoveMouse(first.right + 30, y, MK_LBUTTON);
    window.ReleaseLeft(first.right + 30, y);
    EXPECT_EQ(table.columns[0]->GetFixedWidth(), dragable ? 132 : 100);
  }
}

TEST(ListHeaderTest, HorizontalScrollingKeepsHeaderAndCellsAligned) {
  ControlsWindow window;
  TableList table = AddTable(window, 200, {150, 150, 150});
  table.list->SetAttribute(L"hscrollbar", L"true");
  window.Attach();
  SkinUI::CScrollBarUI* bar = table.list->GetHorizontalScrollBar();
  ASSERT_NE(bar, nullptr);
  ASSERT_TRUE(bar->IsVisible());
  EXPECT_EQ(table.list->GetScrollRange().cx, 450 - 200);
  const int left = table.list->GetPos().left;
  EXPECT_EQ(table.columns[0]->GetPos().left, left);

  table.list->SetScrollPos(SIZE{100, 0});
  EXPECT_EQ(table.list->GetScrollPos().cx, 100);
  EXPECT_EQ(table.columns[0]->GetPos().left, left - 100);
  ExpectItemsFollowColumns(table);

  table.list->LineRight();
  const int scrolled = table.list->GetScrollPos().cx;
  EXPECT_GT(scrolled, 100);
  EXPECT_EQ(table.columns[0]->GetPos().left, left - scrolled);
  ExpectItemsFollowColumns(table);

  // A full layout keeps the place the scroll gave them.
  table.list->NeedUpdate();
  window.Repaint();
  EXPECT_EQ(table.columns[0]->GetPos().left, left - scrolled);
  ExpectItemsFollowColumns(table);

  table.list->HomeLeft();
  EXPECT_EQ(table.columns[0]->GetPos().left, left);
  ExpectItemsFollowColumns(table);
}

TEST(ListHeaderTest, MoreThanSixtyFourColumnsKeepSixtyFourRectangles) {
  ControlsWindow window;
  CListUI* list = window.Add(new CListUI(), 300, 100, L"wide");
  for (int i = 0; i < 70; ++i) list->Add(MakeHeaderItem(L"c", 20));
  auto* row = MakeRow(70);
  list->Add(row);
  window.Attach();
  EXPECT_EQ(list->GetHeader()->GetCount(), 70);
  EXPECT_EQ(list->GetListInfo()->columns, SkinUI::kListMaxColumns);
  const RECT last = list->GetListInfo()->columnRects[63];
  EXPECT_EQ(last.right - last.left, 20);
  window.Paint();
}

// A header that counts its destructions.
class CountedHeader : public SkinUI::CListHeaderUI {
public:
  explicit CountedHeader(int* destroyed) : destroyed_(destroyed) {}
  ~CountedHeader() override { ++*destroyed_; }

private:
  int* destroyed_;
};

// How often the list holds the control among its own children (header and body).
int TimesAmongChildren(CListUI* list, SkinUI::CControlUI* control) {
  int times = 0;
  for (int i = 0; i < list->SkinUI::CContainerUI::GetCount(); ++i) {
    if (list->SkinUI::CContainerUI::GetItemAt(i) == control) ++times;
  }
  return times;
}

TEST(ListHeaderTest, AHeaderAlreadyInTheListIsNotAddedAgain) {
  int destroyed = 0;
  {
    ControlsWindow window;
    CListUI* list = window.Add(new CListUI(), 300, 100, L"list");
    auto* header = new CountedHeader(&destroyed);
    ASSERT_TRUE(list->Add(header)) << "replaces the list's own empty header";
    ASSERT_EQ(list->GetHeader(), header);
    auto* later = new CountedHeader(&destroyed);
    const struct {
      const char* what;
      SkinUI::CControlUI* again;
      int columns;   // header items the current header has by then
      int children;  // the list's own children: its headers and the body
    } cases[] = {
        {"the current header, still empty", header, 0, 2},
        {"the current header with columns", header, 1, 2},
        {"a second header added after the columns", later, 1, 3},
    };
    for (const auto& c : cases) {
      if (c.columns > 0 && header->GetCount() == 0) {
        ASSERT_TRUE(list->Add(MakeHeaderItem(L"A", 100)));
      }
      if (c.again == later && TimesAmongChildren(list, later) == 0) {
        ASSERT_TRUE(list->Add(later));
      }
      EXPECT_FALSE(list->Add(c.again)) << c.what;
      EXPECT_FALSE(list->AddAt(c.again, 0)) << c.what;
      EXPECT_FALSE(list->AddAt(c.again, 1)) << c.what;
      EXPECT_EQ(TimesAmongChildren(list, c.again), 1) << c.what;
      EXPECT_EQ(list->SkinUI::CContainerUI::GetCount(), c.children) << c.what;
      EXPECT_EQ(list->GetHeader(), header) << c.what;
      EXPECT_EQ(list->GetListInfo()->columns, c.columns) << c.what;
    }
    window.Attach();
    window.Paint();
    EXPECT_EQ(destroyed, 0);
  }
  EXPECT_EQ(destroyed, 2) << "each header deleted once with the window";
}

TEST(ListHeaderTest, NegativeSeparatorWidthDragsTheLeftEdge) {
  ControlsWindow window;
  TableList table = AddTable(window, 380, {100, 100, 80});
  table.columns[1]->SetAttribute(L"sepwidth", L"-4");
  window.Attach();
  const RECT second = table.columns[1]->GetPos();
  const int y = (second.top + second.bottom) / 2;
  window.PressLeft(second.left + 1, y);
  window.MoveMouse(second.left - 19, y, MK_LBUTTON);
  window.ReleaseLeft(second.left - 19, y);
  EXPECT_EQ(table.columns[1]->GetFixedWidth(), 120) << "moving the left edge left widens it";
}

}  // namespace
