// Labels: the size they ask layouts for, their attributes, and the GDI+ text effects, which
// paint inside the text rectangle only (no glyph pixel is asserted).
#include <gtest/gtest.h>

#include <string>

#include "controls_fixture.h"
#include "ui_controls/installer/ui_label.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/manager/ui_resources.h"

namespace {

using ControlsTest::AllPixels;
using ControlsTest::AnyPixelDiffers;
using ControlsTest::ControlsWindow;
using SkinUI::CLabelUI;

// The width of a single line of text in a font of the window, measured independently.
int TextWidth(SkinUI::CWindowManagerUI& manager, int font, const wchar_t* text) {
  HDC dc = manager.GetPaintDC();
  Utils::ScopedSelectObject select(dc, manager.GetFont(font));
  SIZE size = {0, 0};
  ::GetTextExtentPoint32W(dc, text, static_cast<int>(std::wcslen(text)), &size);
  return size.cx;
}

TEST(LabelTest, AutoSizeOfASingleLineFollowsTextFontAndPadding) {
  struct Case {
    const wchar_t* text;
    int font;
    RECT padding;
    int fixedWidth;
  };
  const Case cases[] = {
      {L"Install now", -1, {0, 0, 0, 0}, 0},
      {L"Install now", 1, {2, 2, 2, 2}, 0},
      {L"Brisolan web installer", 2, {5, 1, 7, 3}, 0},
      {L"", 1, {4, 0, 6, 0}, 0},
      {L"Fixed width", 2, {0, 2, 0, 2}, 80},
  };
  ControlsWindow window;
  window.manager().AddFont(1, L"Tahoma", 12, false, false, false);
  window.manager().AddFont(2, L"Tahoma", 24, true, false, false);
  CLabelUI* labels[std::size(cases)];
  for (size_t i = 0; i < std::size(cases); ++i) {
    labels[i] = new CLabelUI();
    labels[i]->SetText(cases[i].text);
    labels[i]->SetFont(cases[i].font);
    labels[i]->SetTextPadding(cases[i].padding);
    labels[i]->SetFixedWidth(cases[i].fixedWidth);
    window.root()->Add(labels[i]);
  }
  window.Attach();
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    const SIZE size = labels[i]->EstimateSize(SIZE{400, 300});
    const int lineHeight = window.manager().GetFontInfo(c.font)->metrics.tmHeight;
    ASSERT_GT(lineHeight, 0);
    EXPECT_EQ(size.cy, c.padding.top + c.padding.bottom + lineHeight + 8) << i;
    const int width = c.fixedWidth != 0 ? c.fixedWidth
                                        : c.padding.left + c.padding.right +
                                              TextWidth(window.manager(), c.font, c.text);
    EXPECT_EQ(size.cx, width) << i;
  }
}

TEST(LabelTest, MeasuredBeforeItsWindowHasADcItMeasuresAgainOnceThereIsOne) {
  // Both kinds of label: the single-line one measures its width, the multi-line one its height.
  for (const bool multiLine : {false, true}) {
    ControlsWindow window;
    window.Attach();
    SkinUI::CWindowManagerUI windowless;  // not given a window yet: no paint DC
    auto* label = new CLabelUI();
    label->SetText(L"Install now");
    label->SetMultiLine(multiLine);
    label->SetManager(&windowless, nullptr, false);
    const SIZE early = label->EstimateSize(SIZE{400, 300});
    EXPECT_EQ(early.cx, 0) << multiLine;
    EXPECT_EQ(early.cy, 0) << multiLine << ": nothing measured without a DC";

    label->SetManager(nullptr, nullptr, false);
    window.root()->Add(label);
    window.Repaint();
    const SIZE size = label->EstimateSize(SIZE{400, 300});
    const int lineHeight = window.manager().GetFontInfo(-1)->metrics.tmHeight;
    ASSERT_GT(lineHeight, 0);
    if (multiLine) {
      EXPECT_EQ(size.cx, 400);
      EXPECT_EQ(size.cy, lineHeight);
    } else {
      EXPECT_EQ(size.cx, TextWidth(window.manager(), -1, L"Install now"));
      EXPECT_EQ(size.cy, lineHeight + 8);
    }
  }
}

TEST(LabelTest, FixedSizeWinsWhateverTheText) {
  ControlsWindow window;
  CLabelUI* label = window.Add(new CLabelUI(), 100, 20);
  label->SetText(L"A text much longer than one hundred pixels could ever hold");
  window.Attach();
  const SIZE size = label->EstimateSize(SIZE{400, 300});
  EXPECT_EQ(size.cx, 100);
  EXPECT_EQ(size.cy, 20);
}

TEST(LabelTest, MultiLineHeightFollowsTheAvailableWidth) {
  ControlsWindow window;
  auto* label = new CLabelUI();
  label->SetAttribute(L"multiline", L"true");
  label->SetText(L"Brisolan downloads the full package, checks it and installs it for you.");
  window.root()->Add(label);
  window.Attach();
  const SIZE wide = label->EstimateSize(SIZE{2000, 300});
  const SIZE narrow = label->EstimateSize(SIZE{120, 300});
  const int lineHeight = window.manager().GetFontInfo(-1)->metrics.tmHeight;
  EXPECT_EQ(wide.cx, 2000);
  EXPECT_EQ(narrow.cx, 120);
  EXPECT_EQ(wide.cy, lineHeight);
  EXPECT_GE(narrow.cy, 3 * lineHeight) << "the narrow label wraps onto several lines";
}

TEST(LabelTest, AlignmentWordsApplyInOrder) {
  const struct {
    const wchar_t* name;
    const wchar_t* value;
    UINT set;
    UINT cleared;
  } cases[] = {
      {L"align", L"center right", DT_RIGHT, DT_CENTER},
      {L"align", L"center", DT_CENTER, DT_RIGHT},
      {L"align", L"left", 0, DT_CENTER | DT_RIGHT},
      {L"valign", L"bottom", DT_BOTTOM, DT_VCENTER},
      {L"valign", L"top", 0, DT_VCENTER | DT_BOTTOM},
      {L"endellipsis", L"true", DT_END_ELLIPSIS, 0},
      {L"multiline", L"true", DT_WORDBREAK, DT_SINGLELINE},
  };
  for (const auto& c : cases) {
    CLabelUI label;
    label.SetAttribute(c.name, c.value);
    EXPECT_EQ(label.GetTextStyle() & c.set, c.set) << static_cast<const void*>(c.value);
    EXPECT_EQ(label.GetTextStyle() & c.cleared, 0u) << static_cast<const void*>(c.value);
  }
}

TEST(LabelTest, MalformedEffectValuesKeepTheDefaults) {
  CLabelUI label;
  const wchar_t* fuzzies[] = {L"0", L"-4", L"abc", L"", L"nan", L"1e-9"};
  for (const wchar_t* fuzzy : fuzzies) label.SetAttribute(L"luminousfuzzy", fuzzy);
  EXPECT_FLOAT_EQ(label.GetLuminousFuzzy(), 3.0f);
  label.SetAttribute(L"luminousfuzzy", L"1.5");
  EXPECT_FLOAT_EQ(label.GetLuminousFuzzy(), 1.5f);

  label.SetAttribute(L"shadowoffset", L"4,90");
  EXPECT_NEAR(label.GetShadowOffsetX(), 0.0f, 0.001f);
  EXPECT_NEAR(label.GetShadowOffsetY(), 4.0f, 0.001f);
  label.SetAttribute(L"shadowoffset", L"4,181");
  label.SetAttribute(L"shadowoffset", L"4,-999");
  EXPECT_NEAR(label.GetShadowOffsetY(), 4.0f, 0.001f) << "angles outside -180..180 are ignored";

  label.SetAttribute(L"textcolor", L"#");
  EXPECT_EQ(label.GetTextColor(), 0u) << "no digits: the window's default at the next paint";
  label.SetAttribute(L"textpadding", L"-5,-5,3");
  const RECT padding = label.GetTextPadding();
  EXPECT_EQ(padding.left, 0);
  EXPECT_EQ(padding.top, 0);
  EXPECT_EQ(padding.right, 3);
  EXPECT_EQ(padding.bottom, 0);
}

TEST(LabelTest, DisabledPlainLabelDrawsInTheDisabledColour) {
  // Compared with an enabled label whose text colour is that colour: the same pixels.
  ControlsWindow window;
  CLabelUI* disabled = window.Add(new CLabelUI(), 300, 40);
  CLabelUI* reference = window.Add(new CLabelUI(), 300, 40);
  for (CLabelUI* label : {disabled, reference}) label->SetText(L"Brisolan");
  disabled->SetAttribute(L"textcolor", L"#FF0000FF");
  disabled->SetAttribute(L"disabledtextcolor", L"#FFFF0000");
  disabled->SetEnabled(false);
  reference->SetAttribute(L"textcolor", L"#FFFF0000");
  window.Attach();
  auto canvas = window.Paint(0xFFFFFFFF);
  EXPECT_TRUE(AnyPixelDiffers(*canvas, RECT{0, 0, 300, 40}, 0xFFFFFFFF));
  EXPECT_TRUE(ControlsTest::PaintsAlike(disabled, reference));
}

using EffectAttributes = const wchar_t* const[6][2];

// A 300 x 60 label with text effects on, in a 24-pixel bold font, and the given attributes.
CLabelUI* AddEffectLabel(ControlsWindow& window, const EffectAttributes& attributes) {
  CLabelUI* label = window.Add(new CLabelUI(), 300, 60);
  label->SetText(L"Brisolan");
  label->SetAttribute(L"font", L"1");
  label->SetAttribute(L"textpadding", L"20,10,20,10");
  label->SetAttribute(L"textcolor", L"#FF000000");
  label->SetAttribute(L"enabledeffect", L"true");
  for (const auto& attribute : attributes) {
    if (attribute[0] != nullptr) label->SetAttribute(attribute[0], attribute[1]);
  }
  window.manager().AddFont(1, L"Tahoma", 24, true, false, false);
  return label;
}

TEST(LabelTest, TextEffectsPaintInsideTheTextRectangleOnly) {
  const struct {
    const wchar_t* name;
    const wchar_t* attributes[6][2];
    bool likeEnabled;  // paints exactly as the same label enabled
  } cases[] = {
      {L"gradient", {{L"textcolor1", L"#FF00FF00"}, {L"gradientlength", L"10"}}, false},
      {L"glow", {{L"enabledluminous", L"true"}, {L"luminousfuzzy", L"2"},
                 {L"shadowoffset", L"3,45"}}, false},
      {L"stroke", {{L"enabledstroke", L"true"}, {L"strokecolor", L"#FFFF0000"}}, false},
      {L"shadow", {{L"enabledshadow", L"true"}, {L"shadowoffset", L"40,90"},
                   {L"textshadowcolora", L"#FF808080"}}, false},
      {L"everything", {{L"enabledluminous", L"true"}, {L"enabledstroke", L"true"},
                       {L"strokecolor", L"#FF00FF00"}, {L"enabledshadow", L"true"},
                       {L"shadowoffset", L"200,0"}, {L"gradientangle", L"30"}}, false},
      // With effects on, a disabled label keeps its normal colour: the disabled one is unused.
      {L"disabled", {{L"disabledtextcolor", L"#FFFF0000"}, {L"enabled", L"false"}}, true},
  };
  for (const auto& c : cases) {
    ControlsWindow window;
    CLabelUI* label = AddEffectLabel(window, c.attributes);
    window.Attach();
    auto canvas = window.Paint(0xFFFFFFFF);
    const RECT text = {20, 10, 280, 50};
    EXPECT_TRUE(AnyPixelDiffers(*canvas, text, 0xFFFFFFFF)) << "painted: " << c.name;
    const RECT outside[] = {{0, 0, 400, 10}, {0, 50, 400, 300}, {0, 10, 20, 50},
                            {280, 10, 400, 50}};
    for (const RECT& rc : outside) {
      EXPECT_TRUE(AllPixels(*canvas, rc, 0xFFFFFFFF))
          << c.name << " outside " << rc.left << "," << rc.top << "," << rc.right << ","
          << rc.bottom;
    }
    if (c.likeEnabled) {
      ControlsWindow other;
      CLabelUI* enabled = AddEffectLabel(other, c.attributes);
      enabled->SetEnabled(true);
      other.Attach();
      ASSERT_FALSE(label->IsEnabled());
      EXPECT_TRUE(ControlsTest::PaintsAlike(label, enabled)) << c.name;
    }
  }
}

}  // namespace
