// The list elements in a real window: each kind paints its texts in its columns, the state
// colours, activation by double click and Return, expansion of one item at a time, links in text
// elements, and presses on disabled elements.
#include <gtest/gtest.h>

#include <string>

#include "list_fixture.h"
#include "ui_controls/installer/ui_label.h"
#include "ui_core/manager/ui_manager.h"

namespace {

using ControlsTest::AllPixels;
using ControlsTest::AnyPixelDiffers;
using ControlsTest::ControlsWindow;
using ListsTest::MakeHeaderItem;
using SkinUI::CListContainerElementUI;
using SkinUI::CListHBoxElementUI;
using SkinUI::CListLabelElementUI;
using SkinUI::CListTextElementUI;
using SkinUI::CListUI;

constexpr uint32_t kWhite = 0xFFFFFFFF;

CListUI* AddColumnList(ControlsWindow& window) {
  CListUI* list = window.Add(new CListUI(), 300, 250, L"list");
  for (const wchar_t* title : {L"A", L"B", L"C"}) list->Add(MakeHeaderItem(title, 100));
  return list;
}

CListTextElementUI* MakeTextItem(const wchar_t* a, const wchar_t* b, const wchar_t* c) {
  auto* item = new CListTextElementUI();
  item->SetFixedHeight(ListsTest::kItemHeight);
  item->SetColumnText(0, a);
  item->SetColumnText(1, b);
  item->SetColumnText(2, c);
  return item;
}

CListHBoxElementUI* MakeBoxItem(const wchar_t* a, const wchar_t* b, const wchar_t* c) {
  auto* item = new CListHBoxElementUI();
  item->SetFixedHeight(ListsTest::kItemHeight);
  for (const wchar_t* text : {a, b, c}) {
    auto* label = new SkinUI::CLabelUI();
    label->SetText(text);
    item->Add(label);
  }
  return item;
}

// The part of an item's row inside one column.
RECT Cell(CListUI* list, SkinUI::CControlUI* item, int column) {
  const RECT& band = list->GetListInfo()->columnRects[column];
  const RECT& row = item->GetPos();
  return RECT{band.left, row.top, band.right, row.bottom};
}

TEST(ListElementTest, EachKindPaintsItsTextsInItsColumns) {
  ControlsWindow window;
  CListUI* list = AddColumnList(window);
  auto* text = MakeTextItem(L"alpha", L"", L"gamma");
  auto* box = MakeBoxItem(L"x", L"", L"z");
  auto* label = ListsTest::MakeLabelItem(L"label");
  auto* container = new CListContainerElementUI();
  container->SetFixedHeight(ListsTest::kItemHeight);
  auto* inside = new SkinUI::CLabelUI();
  inside->SetText(L"inside");
  container->Add(inside);
  for (SkinUI::CControlUI* item : {static_cast<SkinUI::CControlUI*>(text),
                                   static_cast<SkinUI::CControlUI*>(box),
                                   static_cast<SkinUI::CControlUI*>(label),
                                   static_cast<SkinUI::CControlUI*>(container)}) {
    list->Add(item);
  }
  window.Attach();
  auto canvas = window.Paint(kWhite);
  for (SkinUI::CControlUI* columned : {static_cast<SkinUI::CControlUI*>(text),
                                       static_cast<SkinUI::CControlUI*>(box)}) {
    EXPECT_TRUE(AnyPixelDiffers(*canvas, Cell(list, columned, 0), kWhite));
    EXPECT_TRUE(AllPixels(*canvas, Cell(list, columned, 1), kWhite)) << "an empty column";
    EXPECT_TRUE(AnyPixelDiffers(*canvas, Cell(list, columned, 2), kWhite));
  }
  const RECT labelRow = label->GetPos();
  EXPECT_TRUE(AnyPixelDiffers(*canvas, labelRow, kWhite));
  EXPECT_TRUE(AllPixels(*canvas, RECT{labelRow.right - 60, labelRow.top, labelRow.right,
                                      labelRow.bottom},
                        kWhite))
      << "a short text on the left";
  EXPECT_TRUE(AnyPixelDiffers(*canvas, container->GetPos(), kWhite));
}

TEST(ListElementTest, StateColoursComeFromTheList) {
  ControlsWindow window;
  CListUI* list = ListsTest::AddList(window, 200, 200, 4);
  list->SetAttribute(L"itembkcolor", L"#FF00FF00");
  list->SetAttribute(L"itemselectedbkcolor", L"#FFFF0000");
  list->SetAttribute(L"itemdisabledbkcolor", L"#FF0000FF");
  list->SetAttribute(L"itemaltbk", L"true");
  list->GetItemAt(3)->SetEnabled(false);
  window.Attach();
  ASSERT_TRUE(list->SelectItem(1, false, false));
  auto canvas = window.Paint(kWhite);
  // The right end of each row holds no text.
  // GDI fills leave the alpha byte of a DIB alone: the colour channels are compared.
  auto corner = [&](int i) {
    const RECT& rc = list->GetItemAt(i)->GetPos();
    return canvas->Pixel(rc.right - 3, rc.top + 2) & 0x00FFFFFFu;
  };
  EXPECT_EQ(TestSupport::ColorText(corner(0)), TestSupport::ColorText(0xFF00FF00 & 0x00FFFFFFu));
  EXPECT_EQ(TestSupport::ColorText(corner(1)), TestSupport::ColorText(0xFFFF0000 & 0x00FFFFFFu)) << "selected";
  EXPECT_EQ(TestSupport::ColorText(corner(2)), TestSupport::ColorText(0xFF00FF00 & 0x00FFFFFFu));
  EXPECT_EQ(TestSupport::ColorText(corner(3)), TestSupport::ColorText(0xFF0000FF & 0x00FFFFFFu)) << "disabled";
  list->GetItemAt(1)->SetEnabled(true);
  ASSERT_TRUE(list->SelectItem(0, false, false));
  canvas = window.Paint(kWhite);
  EXPECT_EQ(TestSupport::ColorText(corner(1)), TestSupport::ColorText(kWhite & 0x00FFFFFFu))
      << "an odd row of an alternate list has no background";
}

TEST(ListElementTest, DoubleClickAndReturnActivate) {
  ControlsWindow window;
  CListUI* list = ListsTest::AddList(window, 200, 200, 3);
  list->Add(MakeBoxItem(L"a", L"b", L"c"));
  window.Attach();
  for (int i : {0, 3}) {
    const POINT pt = ListsTest::CentreOf(list->GetItemAt(i));
    window.ClickLeft(pt.x, pt.y);
    ::SendMessageW(window.hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, TestSupport::PointParam(pt.x, pt.y));
    ::SendMessageW(window.hwnd(), WM_LBUTTONUP, 0, TestSupport::PointParam(pt.x, pt.y));
  }
  EXPECT_EQ(window.recorder().Count(L"itemactivate"), 2);
  window.KeyDown(VK_RETURN);
  EXPECT_EQ(window.recorder().Count(L"itemactivate"), 3) << "Return on the focused item";
  list->GetItemAt(1)->SetEnabled(false);
  const POINT pt = ListsTest::CentreOf(list->GetItemAt(1));
  ::SendMessageW(window.hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, TestSupport::PointParam(pt.x, pt.y));
  ::SendMessageW(window.hwnd(), WM_LBUTTONUP, 0, TestSupport::PointParam(pt.x, pt.y));
  EXPECT_EQ(window.recorder().Count(L"itemactivate"), 3) << "a disabled item";
}

TEST(ListElementTest, PressOnADisabledElementNeitherSelectsNorReachesTheList) {
  ControlsWindow window;
  CListUI* list = ListsTest::AddList(window, 200, 200, 3);
  list->GetItemAt(1)->SetEnabled(false);
  window.Attach();
  const POINT pt = ListsTest::CentreOf(list->GetItemAt(1));
  window.ClickLeft(pt.x, pt.y);
  EXPECT_EQ(list->GetCurSel(), -1);
  EXPECT_EQ(window.recorder().Count(L"itemclick"), 0);
  EXPECT_EQ(window.recorder().Count(L"itemselect"), 0);
}

TEST(ListElementTest, ExpandingOneItemCollapsesTheOther) {
  for (const bool multi : {false, true}) {
    SCOPED_TRACE(multi ? "multiexpanding" : "single");
    ControlsWindow window;
    CListUI* list = window.Add(new CListUI(), 200, 200);
    list->SetAttribute(L"multiexpanding", multi ? L"true" : L"false");
    CListContainerElementUI* items[2];
    for (auto*& item : items) {
      item = new CListContainerElementUI();
      item->SetFixedHeight(ListsTest::kItemHeight);
      item->SetAttribute(L"expandable", L"true");
      list->Add(item);
    }
    window.Attach();
    ASSERT_TRUE(items[0]->Expand(true));
    EXPECT_EQ(list->GetExpandedItem(), 0);
    ASSERT_TRUE(items[1]->Expand(true));
    EXPECT_EQ(list->GetExpandedItem(), 1);
    EXPECT_TRUE(items[1]->IsExpanded());
    EXPECT_EQ(items[0]->IsExpanded(), multi);
    EXPECT_EQ(window.recorder().Count(L"itemexpand"), 2);
    EXPECT_EQ(window.recorder().Count(L"itemcollapse"), multi ? 0 : 1);
  }
}

TEST(ListElementTest, SelectedAttributeSelectsWhateverItsValue) {
  ControlsWindow window;
  CListUI* list = ListsTest::AddList(window, 200, 200, 3);
  list->GetItemAt(2)->SetAttribute(L"selected", L"false");
  window.Attach();
  EXPECT_EQ(list->GetCurSel(), 2);
}

TEST(ListElementTest, TextElementLinksAreClickableUpToEight) {
  ControlsWindow window;
  CListUI* list = AddColumnList(window);
  list->SetAttribute(L"itemshowhtml", L"true");
  auto* linked = MakeTextItem(L"<a>one</a>", L"x <a>two</a>", L"");
  std::wstring many;
  for (int i = 0; i < 5; ++i) many += L"<a>l</a> ";
  auto* crowded = MakeTextItem(many.c_str(), many.c_str(), L"");
  list->Add(linked);
  list->Add(crowded);
  window.Attach();
  window.Paint(kWhite);
  window.Repaint();
  ASSERT_EQ(linked->GetLinkCount(), 2);
  EXPECT_EQ(crowded->GetLinkCount(), CListTextElementUI::kMaxLinks);
  const RECT second = linked->GetLinkRect(1);
  ASSERT_FALSE(::IsRectEmpty(&second));
  EXPECT_GE(second.left, list->GetListInfo()->columnRects[1].left) << "in its column";
  window.ClickLeft((second.left + second.right) / 2, (second.top + second.bottom) / 2);
  ASSERT_EQ(window.recorder().Count(L"link"), 1);
  for (const auto& n : window.recorder().list) {
    if (n.type == L"link") {
      EXPECT_EQ(n.wParam, 1u);
    }
  }
  const RECT cell = Cell(list, linked, 2);
  window.ClickLeft(cell.left + 50, (cell.top + cell.bottom) / 2);
  EXPECT_EQ(window.recorder().Count(L"link"), 1) << "outside every link";
}

TEST(ListElementTest, ColumnTextsBeyondTheHeaderAreKeptButNotShown) {
  ControlsWindow window(100, 100, 400, 500);
  CListUI* list = AddColumnList(window);
  auto* item = MakeTextItem(L"a", L"b", L"c");
  item->SetColumnText(40, L"far");
  item->SetColumnText(-1, L"never");
  item->SetColumnText(100000, L"never");
  auto* plain = MakeTextItem(L"a", L"b", L"c");
  list->Add(item);
  list->Add(plain);
  // The same texts under a header that reaches column 40: 41 columns of 7 pixels.
  CListUI* wide = window.Add(new CListUI(), 300, 100, L"wide");
  for (int i = 0; i <= 40; ++i) {
    SkinUI::CListHeaderItemUI* column = MakeHeaderItem(L"", 7);
    column->SetMinWidth(7);
    wide->Add(column);
  }
  auto* reaching = MakeTextItem(L"a", L"b", L"c");
  reaching->SetColumnText(40, L"far");
  wide->Add(reaching);
  window.Attach();
  auto canvas = window.Paint(kWhite);
  EXPECT_EQ(std::wstring(item->GetColumnText(40).GetData()), L"far");
  EXPECT_TRUE(item->GetColumnText(-1).IsEmpty());
  EXPECT_TRUE(item->GetColumnText(100000).IsEmpty());
  EXPECT_TRUE(ControlsTest::PaintsAlike(item, plain)) << "three columns show three texts";

  ASSERT_EQ(wide->GetListInfo()->columns, 41);
  ASSERT_EQ(wide->GetListInfo()->columnRects[40].left, 280);
  ASSERT_EQ(wide->GetListInfo()->columnRects[40].right, 287);
  EXPECT_TRUE(AnyPixelDiffers(*canvas, Cell(wide, reaching, 40), kWhite)) << "the far text";
  EXPECT_TRUE(AllPixels(*canvas, Cell(wide, reaching, 39), kWhite));
}

}  // namespace

namespace {

// Answers column 1 of every row; null elsewhere (the element's own texts then).
class ColumnOneTexts : public SkinUI::IListCallbackUI {
public:
  const wchar_t* GetItemText(SkinUI::CControlUI* /*control*/, int index, int subItem) override {
    ++calls;
    lastIndex = index;
    return subItem == 1 ? L"from the callback" : nullptr;
  }
  int calls = 0;
  int lastIndex = -1;
};

TEST(ListElementTest, TextCallbackSuppliesColumnTexts) {
  ControlsWindow window;
  CListUI* list = AddColumnList(window);
  ColumnOneTexts callback;
  list->SetTextCallback(&callback);
  auto* item = MakeTextItem(L"", L"", L"");
  list->Add(ListsTest::MakeLabelItem(L"first"));
  list->Add(item);
  window.Attach();
  auto canvas = window.Paint(kWhite);
  EXPECT_TRUE(AllPixels(*canvas, Cell(list, item, 0), kWhite));
  EXPECT_TRUE(AnyPixelDiffers(*canvas, Cell(list, item, 1), kWhite)) << "the callback's text";
  EXPECT_TRUE(AllPixels(*canvas, Cell(list, item, 2), kWhite));
  EXPECT_GT(callback.calls, 0);
  EXPECT_EQ(callback.lastIndex, 1) << "asked with the item's own index";
  list->SetTextCallback(nullptr);
}

}  // namespace
