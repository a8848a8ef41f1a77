// The attributes of a drawn text, read alike by the label, a list header's column and the items
// of a list ("item..."), a combo box's items reading only those it has; and a list laying out
// again for every change of its item text style.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "list_fixture.h"
#include "test_support.h"
#include "ui_controls/installer/ui_label.h"
#include "ui_controls/lists/ui_combo.h"

namespace {

using SkinUI::CComboUI;
using SkinUI::CLabelUI;
using SkinUI::CListHeaderItemUI;
using SkinUI::CListUI;

// What a text owner holds after its attributes.
struct TextSettings {
  UINT style;
  int font;
  DWORD color;
  RECT padding;
  bool showHtml;
};

// The column keeps its text settings to itself.
class HeaderColumn : public CListHeaderItemUI {
public:
  TextSettings Settings() const { return {textStyle_, font_, textColor_, textPadding_, showHtml_}; }
};

TextSettings SettingsOf(const SkinUI::TListInfoUI& info) {
  return {info.textStyle, info.font, info.textColor, info.textPadding, info.showHtml};
}

using Attributes = std::vector<std::pair<std::wstring, const wchar_t*>>;

struct TextOwner {
  const char* what;
  const wchar_t* prefix;
  bool hasLineStyle;  // reads "valign", "endellipsis" and "multiline"
  // Applies the attributes in order to a fresh owner and returns its settings.
  TextSettings (*apply)(const Attributes& attributes);
};

template <class Control>
Control& Configured(Control& control, const Attributes& attributes) {
  for (const auto& attribute : attributes) {
    control.SetAttribute(attribute.first.c_str(), attribute.second);
  }
  return control;
}

TextSettings LabelSettings(const Attributes& attributes) {
  CLabelUI label;
  Configured(label, attributes);
  return {label.GetTextStyle(), label.GetFont(), label.GetTextColor(), label.GetTextPadding(),
          label.IsShowHtml()};
}

TextSettings ColumnSettings(const Attributes& attributes) {
  HeaderColumn column;
  return Configured(column, attributes).Settings();
}

TextSettings ListItemSettings(const Attributes& attributes) {
  CListUI list;
  return SettingsOf(*Configured(list, attributes).GetListInfo());
}

TextSettings ComboItemSettings(const Attributes& attributes) {
  CComboUI combo;
  return SettingsOf(*Configured(combo, attributes).GetListInfo());
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(TextAttributes, LabelHeaderColumnAndListItemsReadThemAlike) {
  const TextOwner owners[] = {
      {"label", L"", true, &LabelSettings},
      {"header column", L"", true, &ColumnSettings},
      {"list items", L"item", true, &ListItemSettings},
      {"combo box items", L"item", false, &ComboItemSettings},
  };
  const struct {
    const wchar_t* name;  // without the owner's prefix
    std::vector<const wchar_t*> values;  // applied in order
    bool lineStyle;  // one of the attributes that a combo box's items do not have
    std::function<void(const TextSettings& fresh, const TextSettings& after)> check;
  } cases[] = {
      {L"align", {L"center right"}, false,
       [](auto&, auto& s) { EXPECT_EQ(s.style & (DT_CENTER | DT_RIGHT), UINT(DT_RIGHT)); }},
      {L"align", {L"right", L"center"}, false,
       [](auto&, auto& s) { EXPECT_EQ(s.style & (DT_CENTER | DT_RIGHT), UINT(DT_CENTER)); }},
      {L"align", {L"right", L"left"}, false,
       [](auto&, auto& s) { EXPECT_EQ(s.style & (DT_CENTER | DT_RIGHT), 0u); }},
      {L"align", {L"vcenter"}, false,  // the word "center" is in it
       [](auto&, auto& s) { EXPECT_EQ(s.style & (DT_CENTER | DT_RIGHT), UINT(DT_CENTER)); }},
      {L"align", {L"middle"}, false, [](auto& fresh, auto& s) { EXPECT_EQ(s.style, fresh.style); }},
      {L"valign", {L"vcenter bottom"}, true,
       [](auto&, auto& s) { EXPECT_EQ(s.style & (DT_VCENTER | DT_BOTTOM), UINT(DT_BOTTOM)); }},
      {L"valign", {L"top"}, true,
       [](auto&, auto& s) { EXPECT_EQ(s.style & (DT_VCENTER | DT_BOTTOM), 0u); }},
      {L"endellipsis", {L"true"}, true,
       [](auto&, auto& s) { EXPECT_NE(s.style & DT_END_ELLIPSIS, 0u); }},
      {L"endellipsis", {L"true", L"TRUE"}, true,
       [](auto&, auto& s) { EXPECT_EQ(s.style & DT_END_ELLIPSIS, 0u); }},
      {L"multiline", {L"true"}, true,
       [](auto&, auto& s) {
         EXPECT_EQ(s.style & (DT_SINGLELINE | DT_WORDBREAK), UINT(DT_WORDBREAK));
       }},
      {L"multiline", {L"true", L"false"}, true,  // back to one line, the word break kept
       [](auto&, auto& s) {
         EXPECT_EQ(s.style & (DT_SINGLELINE | DT_WORDBREAK), UINT(DT_SINGLELINE | DT_WORDBREAK));
       }},
      {L"font", {L"7"}, false, [](auto&, auto& s) { EXPECT_EQ(s.font, 7); }},
      {L"font", {L"x"}, false, [](auto&, auto& s) { EXPECT_EQ(s.font, 0); }},
      {L"textcolor", {L"#FF112233"}, false,
       [](auto&, auto& s) { EXPECT_EQ(s.color, 0xFF112233u); }},
      {L"textcolor", {L"80a0b0c0"}, false,
       [](auto&, auto& s) { EXPECT_EQ(s.color, 0x80A0B0C0u); }},
      {L"textpadding", {L"1,2,3,4"}, false,
       [](auto&, auto& s) { EXPECT_TRUE(SameRect(s.padding, RECT{1, 2, 3, 4})); }},
      {L"textpadding", {L"5"}, false,
       [](auto&, auto& s) { EXPECT_TRUE(SameRect(s.padding, RECT{5, 0, 0, 0})); }},
      {L"showhtml", {L"true"}, false, [](auto&, auto& s) { EXPECT_TRUE(s.showHtml); }},
      {L"showhtml", {L"true", L"True"}, false, [](auto&, auto& s) { EXPECT_FALSE(s.showHtml); }},
      {L"showhtml", {L"true", nullptr}, false, [](auto&, auto& s) { EXPECT_FALSE(s.showHtml); }},
  };
  for (const TextOwner& owner : owners) {
    const TextSettings fresh = owner.apply({});
    for (const auto& c : cases) {
      const std::wstring name = owner.prefix + std::wstring(c.name);
      SCOPED_TRACE(std::string(owner.what) + ": " + TestSupport::ToUtf8(name));
      Attributes attributes;
      for (const wchar_t* value : c.values) attributes.emplace_back(name, value);
      const TextSettings after = owner.apply(attributes);
      if (c.lineStyle && !owner.hasLineStyle) {
        // Not a text attribute of this owner: nothing of its text changes.
        EXPECT_EQ(after.style, fresh.style);
      } else {
        c.check(fresh, after);
      }
    }
  }
}

// The list's items measure and draw their text with the item text style: every change of it
// asks for a layout, as a new item text padding does.
TEST(TextAttributes, EveryItemTextStyleChangeLaysTheListOutAgain) {
  ControlsTest::ControlsWindow window;
  CListUI* list = ListsTest::AddList(window, 200, 100, 3);
  window.Attach();
  const struct {
    const wchar_t* name;
    const wchar_t* value;
  } cases[] = {
      {L"itemalign", L"right"},     {L"itemvalign", L"bottom"},
      {L"itemendellipsis", L"true"}, {L"itemmultiline", L"true"},
      {L"itemtextpadding", L"1,1,1,1"}, {L"itemshowhtml", L"true"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(TestSupport::ToUtf8(c.name));
    window.Repaint();
    ASSERT_FALSE(list->IsUpdateNeeded());
    list->SetAttribute(c.name, c.value);
    EXPECT_TRUE(list->IsUpdateNeeded());
  }
}

}  // namespace
