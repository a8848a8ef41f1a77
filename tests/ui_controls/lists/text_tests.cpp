// The text control in a real window: its links are counted where the mark-up drew them, a click
// inside one reports its index, a click outside reports nothing, and the pointer over a link is
// the hand.
#include <gtest/gtest.h>

#include <string>

#include "list_fixture.h"
#include "ui_controls/lists/ui_text.h"
#include "ui_core/manager/ui_manager.h"

namespace {

using ControlsTest::ControlsWindow;
using SkinUI::CTextUI;

CTextUI* AddText(ControlsWindow& window, const wchar_t* text, bool html = true) {
  auto* control = window.Add(new CTextUI(), 300, 80, L"text");
  control->SetAttribute(L"showhtml", html ? L"true" : L"false");
  control->SetText(text);
  return control;
}

POINT Middle(const RECT& rc) { return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2}; }

TEST(TextTest, LinksAreCountedWhereTheyWereDrawn) {
  ControlsWindow window;
  CTextUI* text = AddText(window, L"Read the <a>licence</a> and the <a notes>notes</a> first.");
  window.Attach();
  ASSERT_EQ(text->GetLinkCount(), 2);
  const RECT area = text->GetPos();
  RECT previous = {0, 0, 0, 0};
  for (int i = 0; i < 2; ++i) {
    const RECT link = text->GetLinkRect(i);
    EXPECT_FALSE(::IsRectEmpty(&link)) << i;
    RECT inside;
    EXPECT_TRUE(::IntersectRect(&inside, &link, &area) && ::EqualRect(&inside, &link)) << i;
    EXPECT_GE(link.left, previous.right) << "in reading order";
    previous = link;
  }
  EXPECT_EQ(std::wstring(text->GetLinkText(1).GetData()), L"notes");
  const RECT past = text->GetLinkRect(2);
  EXPECT_TRUE(::IsRectEmpty(&past));
}

TEST(TextTest, ClickInsideALinkReportsItsIndexAndOutsideNothing) {
  ControlsWindow window;
  CTextUI* text = AddText(window, L"<a>one</a> two <a>three</a>");
  window.Attach();
  ASSERT_EQ(text->GetLinkCount(), 2);
  const POINT inside = Middle(text->GetLinkRect(1));
  window.ClickLeft(inside.x, inside.y);
  ASSERT_EQ(window.recorder().Count(L"link"), 1);
  EXPECT_EQ(window.recorder().list.back().wParam, 1u);
  EXPECT_EQ(window.recorder().list.back().sender, text);

  const RECT area = text->GetPos();
  window.ClickLeft(area.right - 5, area.bottom - 5);
  EXPECT_EQ(window.recorder().Count(L"link"), 1) << "outside every link";
  text->SetEnabled(false);
  window.ClickLeft(inside.x, inside.y);
  EXPECT_EQ(window.recorder().Count(L"link"), 1) << "a disabled text";
}

TEST(TextTest, PointerOverALinkIsTheHand) {
  ControlsWindow window;
  CTextUI* text = AddText(window, L"<a>here</a> and some words after it");
  window.Attach();
  ASSERT_EQ(text->GetLinkCount(), 1);
  const struct {
    POINT at;
    bool hand;
  } cases[] = {{Middle(text->GetLinkRect(0)), true},
               {POINT{text->GetPos().right - 4, text->GetPos().bottom - 4}, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(ListsTest::ControlSetsCursor(text, c.at, IDC_HAND), c.hand);
  }
  window.MoveMouse(Middle(text->GetLinkRect(0)).x, Middle(text->GetLinkRect(0)).y);
  EXPECT_EQ(text->GetHoverLink(), 0);
}

TEST(TextTest, OnlyTheFirstEightLinksCount) {
  ControlsWindow window;
  std::wstring many;
  for (int i = 0; i < 12; ++i) many += L"<a>x</a> ";
  CTextUI* text = AddText(window, many.c_str());
  window.Attach();
  EXPECT_EQ(text->GetLinkCount(), CTextUI::kMaxLinks);
}

TEST(TextTest, PlainTextHasNoLinksToClick) {
  ControlsWindow window;
  CTextUI* text = AddText(window, L"<a>not a link</a>", false);
  window.Attach();
  const POINT pt = ListsTest::CentreOf(text);
  window.ClickLeft(pt.x, pt.y);
  EXPECT_EQ(window.recorder().Count(L"link"), 0);
  text->SetText(L"");
  window.Repaint();
  EXPECT_EQ(text->GetLinkCount(), 0);
}

}  // namespace
