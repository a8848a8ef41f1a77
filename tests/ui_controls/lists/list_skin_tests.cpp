// The text control, the list family and the combo box built by the skin builder from their
// element names, and skins with malformed or hostile values for them: defaults, never a crash.
#include <gtest/gtest.h>

#include <string>

#include "list_fixture.h"
#include "ui_controls/lists/ui_combo.h"
#include "ui_controls/lists/ui_text.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/manager/ui_scrollbar.h"

namespace {

using ListsTest::BuildSkin;
using TestSupport::TestHostWindow;

TEST(ListSkinTest, EveryElementNameBuildsItsControl) {
  TestHostWindow host;
  ASSERT_NE(BuildSkin(host,
                      L"<Window size=\"400,300\"><VerticalLayout>"
                      L"<Text name=\"text\" height=\"30\" text=\"a {a}link{/a}\" showhtml=\"true\"/>"
                      L"<List name=\"list\" height=\"120\" itemheight=\"20\" itemaltbk=\"true\">"
                      L"<ListHeader name=\"header\" height=\"24\">"
                      L"<ListHeaderItem name=\"c0\" text=\"Name\" width=\"100\"/>"
                      L"<ListHeaderItem name=\"c1\" text=\"Size\" width=\"100\"/>"
                      L"</ListHeader>"
                      L"<ListLabelElement name=\"label\" text=\"label\"/>"
                      L"<ListTextElement name=\"textitem\" text=\"text\" selected=\"false\"/>"
                      L"<ListContainerElement name=\"box\"><Label text=\"in\"/></ListContainerElement>"
                      L"<ListHBoxElement name=\"hbox\"><Label text=\"a\"/><Label text=\"b\"/></ListHBoxElement>"
                      L"</List>"
                      L"<Combo name=\"combo\" height=\"24\" dropboxsize=\"0,100\">"
                      L"<ListLabelElement text=\"one\"/><ListLabelElement text=\"two\" selected=\"true\"/>"
                      L"</Combo>"
                      L"<ComboBox name=\"combobox\" height=\"24\"/>"
                      L"</VerticalLayout></Window>"),
            nullptr);
  SkinUI::CWindowManagerUI& manager = host.manager();
  const struct {
    const wchar_t* name;
    const wchar_t* className;
  } cases[] = {
      {L"text", L"Text"},
      {L"list", L"List"},
      {L"header", L"ListHeader"},
      {L"c0", L"ListHeaderItem"},
      {L"label", L"ListLabelElement"},
      {L"textitem", L"ListTextElement"},
      {L"box", L"ListContainerElement"},
      {L"hbox", L"ListHBoxElement"},
      {L"combo", L"Combo"},
      {L"combobox", L"Combo"},
  };
  for (const auto& c : cases) {
    SkinUI::CControlUI* control = manager.FindControl(c.name);
    ASSERT_NE(control, nullptr) << static_cast<const void*>(c.name);
    EXPECT_EQ(std::wstring(control->GetClass()), c.className);
    EXPECT_EQ(control->GetInterface(c.className), control);
  }
  auto* list = static_cast<SkinUI::CListUI*>(manager.FindControl(L"list"));
  EXPECT_EQ(list->GetHeader(), manager.FindControl(L"header")) << "the skin's header replaced the default";
  EXPECT_EQ(list->GetCount(), 4);
  EXPECT_EQ(list->GetListInfo()->columns, 2);
  EXPECT_EQ(list->GetCurSel(), 1) << "\"selected\" selects whatever its value";
  EXPECT_EQ(list->GetItemAt(1)->GetInterface(L"ListLabelElement"), list->GetItemAt(1));
  EXPECT_NE(list->GetInterface(L"IList"), nullptr);
  EXPECT_NE(list->GetInterface(L"IListOwner"), nullptr);
  EXPECT_NE(list->GetItemAt(0)->GetInterface(L"IListItem"), nullptr);
  auto* combo = static_cast<SkinUI::CComboUI*>(manager.FindControl(L"combo"));
  EXPECT_EQ(combo->GetCount(), 2);
  EXPECT_EQ(combo->GetCurSel(), 1);
  EXPECT_EQ(combo->GetDropBoxSize().cy, 100);
  EXPECT_NE(combo->GetInterface(L"IListOwner"), nullptr);
  auto* text = static_cast<SkinUI::CTextUI*>(manager.FindControl(L"text"));
  EXPECT_EQ(text->GetLinkCount(), 1);
}

TEST(ListSkinTest, MalformedValuesGiveDefaultsAndNothingBreaks) {
  TestHostWindow host;
  ASSERT_NE(BuildSkin(host,
                      L"<Window><VerticalLayout>"
                      L"<List name=\"list\" height=\"150\" itemheight=\"-5\" itemfont=\"x\" "
                      L"itemtextpadding=\"1,2\" itemtextcolor=\"#\" itemhlinesize=\"2147483647\" "
                      L"itemvlinesize=\"-9\" itemalign=\"\" itemvalign=\"nowhere\" "
                      L"itembkimage=\"file='\" header=\"\" scrollselect=\"1\" childpadding=\"-4\" "
                      L"vscrollbar=\"true\" hscrollbar=\"true\" itemmultiline=\"true\">"
                      L"<ListHeaderItem text=\"a\" sepwidth=\"999999999\" width=\"-3\" "
                      L"sepimage=\"dest='1,2\" dragable=\"maybe\"/>"
                      L"<ListHeaderItem text=\"b\" sepwidth=\"-2147483648\" font=\"77\"/>"
                      L"<ListTextElement text=\"{a}x{/a\"/>"
                      L"<ListLabelElement text=\"{b}{i}unclosed\"/>"
                      L"<ListHBoxElement><Label /><Label /><Label /><Label /></ListHBoxElement>"
                      L"</List>"
                      L"<Combo name=\"combo\" height=\"24\" dropboxsize=\"-7,99999999\" "
                      L"dropbox=\"inset=1,1 bkcolor=\" textpadding=\"\" showtext=\"\" "
                      L"itemshowhtml=\"true\"><ListLabelElement text=\"{a}\"/></Combo>"
                      L"</VerticalLayout></Window>"),
            nullptr);
  auto* list = static_cast<SkinUI::CListUI*>(host.manager().FindControl(L"list"));
  auto* combo = static_cast<SkinUI::CComboUI*>(host.manager().FindControl(L"combo"));
  ASSERT_TRUE(list != nullptr && combo != nullptr);
  EXPECT_EQ(list->GetListInfo()->itemHeight, 0);
  EXPECT_LE(list->GetListInfo()->hLineSize, 1000) << "a line size from a broken skin is capped";
  EXPECT_EQ(list->GetListInfo()->vLineSize, 0);
  EXPECT_FALSE(list->IsScrollSelect());
  EXPECT_GE(combo->GetDropBoxSize().cx, 0);
  EXPECT_LE(combo->GetDropBoxSize().cy, 10000);

  host.Repaint();
  TestSupport::DibCanvas canvas(400, 300);
  host.manager().GetRoot()->Paint(canvas.dc(), canvas.Rect());
  host.manager().SetFocus(list);
  for (const WPARAM key : {VK_DOWN, VK_END, VK_HOME, VK_NEXT, VK_RETURN}) {
    ::SendMessageW(host.hwnd(), WM_KEYDOWN, key, 1);
  }
  const POINT pt = ListsTest::CentreOf(list);
  ::SendMessageW(host.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, TestSupport::PointParam(pt.x, pt.y));
  ::SendMessageW(host.hwnd(), WM_LBUTTONUP, 0, TestSupport::PointParam(pt.x, pt.y));
  host.manager().GetRoot()->Paint(canvas.dc(), canvas.Rect());
  ASSERT_TRUE(combo->Activate());
  HWND drop = combo->GetDropDownWindow();
  ASSERT_NE(drop, nullptr);
  ::UpdateWindow(drop);
  ::SendMessageW(drop, WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_TRUE(TestSupport::PumpUntil([&] { return !::IsWindow(drop); }));
  TestSupport::PumpPending();
}

}  // namespace
