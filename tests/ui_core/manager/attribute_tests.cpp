// The base control's attributes: every name of the table and what it sets, malformed values,
// attribute lists, custom attributes and the plain setters' rules.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <memory>
#include <string>

#include "control_test_util.h"
#include "test_support.h"
#include "ui_core/manager/ui_control.h"

using namespace SkinUI;

namespace {

std::wstring Text(const CStringUI& s) { return s.GetData(); }

struct AttributeCase {
  const wchar_t* name;
  const wchar_t* value;
  std::function<bool(CControlUI&)> check;
  const char* expectation;
};

TEST(ControlAttributes, EveryNameOfTheTableSetsItsProperty) {
  const AttributeCase cases[] = {
      {L"pos", L"10,20,110,70",
       [](CControlUI& c) {
         return c.GetFixedXY().cx == 10 && c.GetFixedXY().cy == 20 && c.GetFixedWidth() == 100 &&
                c.GetFixedHeight() == 50;
       },
       "fixed XY (10,20), 100 x 50"},
      {L"padding", L"1,2,3,4",
       [](CControlUI& c) { return ControlTest::SameRect(c.GetPadding(), RECT{1, 2, 3, 4}); },
       "padding 1,2,3,4"},
      {L"bkcolor", L"#FF102030", [](CControlUI& c) { return c.GetBkColor() == 0xFF102030; },
       "first background colour"},
      {L"bkcolor1", L"FF405060", [](CControlUI& c) { return c.GetBkColor() == 0xFF405060; },
       "first background colour without #"},
      {L"bkcolor", L" \t#80FF0000", [](CControlUI& c) { return c.GetBkColor() == 0x80FF0000; },
       "leading blanks skipped"},
      {L"bkcolor2", L"#FF00FF00", [](CControlUI& c) { return c.GetBkColor2() == 0xFF00FF00; },
       "second background colour"},
      {L"bkcolor3", L"#FF0000FF", [](CControlUI& c) { return c.GetBkColor3() == 0xFF0000FF; },
       "third background colour"},
      {L"bordercolor", L"#FF112233",
       [](CControlUI& c) { return c.GetBorderColor() == 0xFF112233; }, "border colour"},
      {L"focusbordercolor", L"#FF445566",
       [](CControlUI& c) { return c.GetFocusBorderColor() == 0xFF445566; },
       "focus border colour"},
      {L"colorhsl", L"true", [](CControlUI& c) { return c.IsColorHSL(); }, "colour HSL on"},
      {L"bordersize", L"3",
       [](CControlUI& c) { return ControlTest::SameRect(c.GetBorderSize(), RECT{3, 3, 3, 3}); },
       "one width for all edges"},
      {L"bordersize", L"1,2,3,4",
       [](CControlUI& c) { return ControlTest::SameRect(c.GetBorderSize(), RECT{1, 2, 3, 4}); },
       "four widths"},
      {L"borderstyle", L"2", [](CControlUI& c) { return c.GetBorderStyle() == PS_DOT; },
       "pen style"},
      {L"borderround", L"5,6",
       [](CControlUI& c) { return c.GetBorderRound().cx == 5 && c.GetBorderRound().cy == 6; },
       "corner ellipse"},
      {L"bkimage", L"file='none.png' corner='1,1,1,1'",
       [](CControlUI& c) { return Text(c.GetBkImage()) == L"file='none.png' corner='1,1,1,1'"; },
       "background image description"},
      {L"width", L"120", [](CControlUI& c) { return c.GetFixedWidth() == 120; }, "fixed width"},
      {L"height", L"30", [](CControlUI& c) { return c.GetFixedHeight() == 30; },
       "fixed height"},
      {L"minwidth", L"11", [](CControlUI& c) { return c.GetMinWidth() == 11; }, "min width"},
      {L"minheight", L"12", [](CControlUI& c) { return c.GetMinHeight() == 12; },
       "min height"},
      {L"maxwidth", L"13", [](CControlUI& c) { return c.GetMaxWidth() == 13; }, "max width"},
      {L"maxheight", L"14", [](CControlUI& c) { return c.GetMaxHeight() == 14; },
       "max height"},
      {L"name", L"okButton", [](CControlUI& c) { return Text(c.GetName()) == L"okButton"; },
       "name"},
      {L"text", L"Install", [](CControlUI& c) { return Text(c.GetText()) == L"Install"; },
       "text"},
      {L"tooltip", L"a<n>b", [](CControlUI& c) { return Text(c.GetToolTip()) == L"a\r\nb"; },
       "<n> becomes CR LF"},
      {L"userdata", L"42 apples",
       [](CControlUI& c) { return Text(c.GetUserData()) == L"42 apples"; }, "user data"},
      {L"tag", L"4711", [](CControlUI& c) { return c.GetTag() == 4711; }, "tag"},
      {L"enabled", L"false", [](CControlUI& c) { return !c.IsEnabled(); }, "disabled"},
      {L"mouse", L"false", [](CControlUI& c) { return !c.IsMouseEnabled(); },
       "mouse disabled"},
      {L"keyboard", L"false", [](CControlUI& c) { return !c.IsKeyboardEnabled(); },
       "keyboard disabled"},
      {L"visible", L"false", [](CControlUI& c) { return !c.IsVisible(); }, "hidden"},
      {L"float", L"true", [](CControlUI& c) { return c.IsFloat(); }, "float"},
      {L"float", L"0.5,0.25,0.75,1",
       [](CControlUI& c) {
         const TPercentInfoUI p = c.GetFloatPercent();
         return c.IsFloat() && p.left == 0.5 && p.top == 0.25 && p.right == 0.75 &&
                p.bottom == 1.0;
       },
       "float with percents"},
      {L"shortcut", L"xyz", [](CControlUI& c) { return c.GetShortcut() == L'x'; },
       "first character"},
      {L"menu", L"true", [](CControlUI& c) { return c.IsContextMenuEnabled(); },
       "context menu"},
      {L"virtualwnd", L"page1", [](CControlUI& c) { return Text(c.GetVirtualWnd()) == L"page1"; },
       "virtual window"},
      {L"someattr", L"value",
       [](CControlUI& c) { return std::wstring(c.GetCustomAttribute(L"someattr")) == L"value"; },
       "unknown names become custom attributes"},
      {L"Width", L"77",
       [](CControlUI& c) {
         return c.GetFixedWidth() == 0 && std::wstring(c.GetCustomAttribute(L"Width")) == L"77";
       },
       "names are case-sensitive"},
      {L"visible", L"TRUE", [](CControlUI& c) { return !c.IsVisible(); },
       "only exactly true is true"},
  };
  for (const AttributeCase& test : cases) {
    CControlUI control;
    control.SetAttribute(test.name, test.value);
    EXPECT_TRUE(test.check(control))
        << test.expectation << " for " << TestSupport::ToUtf8(test.name) << "=\"" << TestSupport::ToUtf8(test.value) << "\"";
  }
}

TEST(ControlAttributes, MalformedValuesGiveZeroOrAreIgnored) {
  const AttributeCase cases[] = {
      {L"bkcolor", L"#", [](CControlUI& c) { return c.GetBkColor() == 0; },
       "a colour without digits is 0"},
      {L"bkcolor", L"zz", [](CControlUI& c) { return c.GetBkColor() == 0; },
       "a colour of letters is 0"},
      {L"bordercolor", L"#FF11223344556677",
       [](CControlUI& c) { return c.GetBorderColor() == 0xFF112233; },
       "a colour stops after eight digits"},
      {L"width", L"-5", [](CControlUI& c) { return c.GetFixedWidth() == 0; },
       "a negative width is ignored"},
      {L"minwidth", L"-1", [](CControlUI& c) { return c.GetMinWidth() == 0; },
       "a negative min width is ignored"},
      {L"maxheight", L"-1", [](CControlUI& c) { return c.GetMaxHeight() == 9999; },
       "a negative max height is ignored"},
      {L"width", L"99999999999999999999", [](CControlUI& c) { return c.GetFixedWidth() == INT_MAX; },
       "a huge number saturates"},
      {L"height", L"abc", [](CControlUI& c) { return c.GetFixedHeight() == 0; },
       "no digits read as 0"},
      {L"pos", L"10",
       [](CControlUI& c) {
         return c.GetFixedXY().cx == 10 && c.GetFixedXY().cy == 0 && c.GetFixedWidth() == 0 &&
                c.GetFixedHeight() == 0;
       },
       "missing numbers are 0 and the negative width is ignored"},
      {L"pos", L"-2147483648,0,2147483647,10",
       [](CControlUI& c) { return c.GetFixedWidth() == INT_MAX && c.GetFixedHeight() == 10; },
       "a width beyond an int saturates"},
      {L"padding", L"1,2",
       [](CControlUI& c) { return ControlTest::SameRect(c.GetPadding(), RECT{1, 2, 0, 0}); },
       "a short list stops at its end"},
      {L"padding", L"",
       [](CControlUI& c) { return ControlTest::SameRect(c.GetPadding(), RECT{0, 0, 0, 0}); },
       "an empty list is all 0"},
      {L"bordersize", L"", [](CControlUI& c) {
         return ControlTest::SameRect(c.GetBorderSize(), RECT{0, 0, 0, 0});
       },
       "an empty border size is 0"},
      {L"borderround", L"x",
       [](CControlUI& c) { return c.GetBorderRound().cx == 0 && c.GetBorderRound().cy == 0; },
       "a round of letters is 0"},
      {L"float", L"a,b",
       [](CControlUI& c) {
         const TPercentInfoUI p = c.GetFloatPercent();
         return c.IsFloat() && p.left == 0 && p.top == 0 && p.right == 0 && p.bottom == 0;
       },
       "unreadable percents are 0"},
      {L"float", L"1e999,0.5,-1e999,2",
       [](CControlUI& c) {
         const TPercentInfoUI p = c.GetFloatPercent();
         return std::isfinite(p.left) && std::isfinite(p.right) && p.left > 0 && p.right < 0 &&
                p.top == 0.5 && p.bottom == 2;
       },
       "huge percents stay finite"},
      {L"float", L"nan,0,0,0",
       [](CControlUI& c) {
         const TPercentInfoUI p = c.GetFloatPercent();
         return c.IsFloat() && p.left == 0 && p.top == 0 && p.right == 0 && p.bottom == 0;
       },
       "words are not numbers"},
      {L"tag", L"-1", [](CControlUI& c) { return c.GetTag() == static_cast<UINT_PTR>(-1); },
       "a negative tag is pointer-wide"},
      {L"shortcut", L"", [](CControlUI& c) { return c.GetShortcut() == 0; },
       "an empty shortcut is none"},
      {L"", L"x", [](CControlUI& c) { return c.GetCustomAttribute(L"") == nullptr; },
       "an empty name is not stored"},
      {L"custom", L"", [](CControlUI& c) { return c.GetCustomAttribute(L"custom") == nullptr; },
       "an empty value is not stored"},
  };
  for (const AttributeCase& test : cases) {
    CControlUI control;
    control.SetAttribute(test.name, test.value);
    EXPECT_TRUE(test.check(control))
        << test.expectation << " for " << TestSupport::ToUtf8(test.name) << "=\""
        << TestSupport::ToUtf8(test.value) << "\"";
  }
  CControlUI control;
  control.SetAttribute(nullptr, L"x");
  control.SetAttribute(L"text", nullptr);
  EXPECT_TRUE(control.GetText().IsEmpty());
}

struct ListCase {
  const wchar_t* list;
  const wchar_t* name;  // expected name after applying
  const wchar_t* text;  // expected text after applying
  int customCount;      // custom attributes stored
  const char* what;
};

TEST(ControlAttributes, AttributeListsApplyPairsUntilTheFirstMalformedOne) {
  const ListCase cases[] = {
      {L"name=\"a\" text=\"b\"", L"a", L"b", 0, "two pairs"},
      {L"name=\"a\"  text=\"b\"", L"a", L"", 0, "two blanks apply only the first pair"},
      {L"name=\"a\"text=\"b\"", L"a", L"", 0, "no blank after a value ends the list"},
      {L"name=\"a\" ", L"a", L"", 0, "a trailing blank"},
      {L"name=\"a", L"", L"", 0, "an unterminated value applies nothing"},
      {L"name=a text=\"b\"", L"", L"", 0, "a value without quotes ends the list"},
      {L"name text=\"b\"", L"", L"", 0, "a name holding a blank ends the list"},
      {L"=\"x\" text=\"b\"", L"", L"", 0, "an empty name ends the list"},
      {L"", L"", L"", 0, "an empty list"},
      {L"text=\"\" name=\"n\"", L"n", L"", 0, "an empty value is a value"},
      {L"foo=\"1\" bar=\"2\" text=\"t\"", L"", L"t", 2, "unknown names become custom"},
      {L"text=\"a=b c\" name=\"x\"", L"x", L"a=b c", 0, "blanks and = inside a value"},
  };
  for (const ListCase& test : cases) {
    CControlUI control;
    control.ApplyAttributeList(test.list);
    int custom = 0;
    for (const wchar_t* n : {L"foo", L"bar", L" text", L"text"}) {
      if (control.GetCustomAttribute(n) != nullptr) ++custom;
    }
    EXPECT_EQ(Text(control.GetName()), test.name) << test.what;
    EXPECT_EQ(Text(control.GetText()), test.text) << test.what;
    EXPECT_EQ(custom, test.customCount) << test.what;
  }
  CControlUI control;
  control.ApplyAttributeList(nullptr);
  EXPECT_TRUE(control.GetName().IsEmpty());
}

TEST(ControlAttributes, CustomAttributesKeepTheFirstValueAndAreFreedTogether) {
  CControlUI control;
  control.AddCustomAttribute(L"key", L"first");
  control.AddCustomAttribute(L"key", L"second");
  control.SetAttribute(L"key", L"third");
  EXPECT_STREQ(control.GetCustomAttribute(L"key"), L"first");
  EXPECT_EQ(control.GetCustomAttribute(L"KEY"), nullptr);
  control.AddCustomAttribute(L"other", L"x");
  EXPECT_TRUE(control.RemoveCustomAttribute(L"other"));
  EXPECT_FALSE(control.RemoveCustomAttribute(L"other"));
  for (int i = 0; i < 200; ++i) {
    control.AddCustomAttribute((L"k" + std::to_wstring(i)).c_str(), L"v");
  }
  EXPECT_STREQ(control.GetCustomAttribute(L"k199"), L"v");
  control.RemoveAllCustomAttributes();
  EXPECT_EQ(control.GetCustomAttribute(L"key"), nullptr);
  EXPECT_EQ(control.GetCustomAttribute(L"k5"), nullptr);
  control.AddCustomAttribute(L"key", L"again");
  EXPECT_STREQ(control.GetCustomAttribute(L"key"), L"again");
}

TEST(ControlAttributes, SizeSettersFollowTheirRules) {
  CControlUI control;
  control.SetMinWidth(200);
  control.SetMaxWidth(100);
  EXPECT_EQ(control.GetMaxWidth(), 200) << "the larger of max and min width";
  control.SetMinHeight(5);
  control.SetMaxHeight(50);
  EXPECT_EQ(control.GetMaxHeight(), 50);
  control.SetFixedWidth(40);
  control.SetFixedWidth(-1);
  EXPECT_EQ(control.GetFixedWidth(), 40);
  EXPECT_EQ(control.EstimateSize(SIZE{1000, 1000}).cx, 40);
  EXPECT_EQ(control.EstimateSize(SIZE{1000, 1000}).cy, 0);
}

TEST(ControlAttributes, VirtualWindowComesFromTheNearestAncestorThatHasOne) {
  CContainerUI outer;
  auto* middle = new CContainerUI;
  auto* inner = new CControlUI;
  outer.Add(middle);
  middle->Add(inner);
  EXPECT_TRUE(inner->GetVirtualWnd().IsEmpty());
  outer.SetVirtualWnd(L"outer");
  EXPECT_EQ(Text(inner->GetVirtualWnd()), L"outer");
  middle->SetAttribute(L"virtualwnd", L"middle");
  EXPECT_EQ(Text(inner->GetVirtualWnd()), L"middle");
  inner->SetVirtualWnd(L"own");
  EXPECT_EQ(Text(inner->GetVirtualWnd()), L"own");
}

TEST(ControlAttributes, InterfacesAnswerExactNames) {
  CControlUI control;
  EXPECT_EQ(control.GetInterface(L"Control"), &control);
  EXPECT_EQ(control.GetInterface(L"control"), nullptr);
  EXPECT_EQ(control.GetInterface(nullptr), nullptr);
  EXPECT_STREQ(control.GetClass(), L"Control");
  CContainerUI container;
  EXPECT_EQ(container.GetInterface(L"Container"), static_cast<void*>(&container));
  EXPECT_EQ(container.GetInterface(L"IContainer"),
            static_cast<void*>(static_cast<IContainerUI*>(&container)));
  EXPECT_EQ(container.GetInterface(L"Control"), static_cast<void*>(&container));
  EXPECT_EQ(container.GetInterface(L"icontainer"), nullptr);
  EXPECT_STREQ(container.GetClass(), L"Container");
}

}  // namespace
