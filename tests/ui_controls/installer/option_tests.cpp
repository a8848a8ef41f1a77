// Options and check boxes in real windows: groups act as radio buttons within one window, check
// boxes toggle, and every change of a selection is reported once.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls_fixture.h"
#include "ui_controls/installer/ui_option.h"
#include "ui_core/manager/ui_manager.h"

namespace {

using ControlsTest::ControlsWindow;
using SkinUI::CCheckBoxUI;
using SkinUI::COptionUI;

COptionUI* AddOption(ControlsWindow& window, const wchar_t* name, const wchar_t* group) {
  COptionUI* option = window.Add(new COptionUI(), 100, 30, name);
  option->SetAttribute(L"group", group);
  return option;
}

void ClickOn(ControlsWindow& window, SkinUI::CControlUI* control) {
  const POINT pt = ControlsWindow::Centre(control);
  window.ClickLeft(pt.x, pt.y);
}

TEST(OptionTest, SelectingOneOptionOfAGroupUnselectsTheOthersSilently) {
  ControlsWindow window;
  COptionUI* options[] = {AddOption(window, L"a", L"g"), AddOption(window, L"b", L"g"),
                          AddOption(window, L"c", L"g")};
  window.Attach();
  auto& recorder = window.recorder();

  struct Step {
    int click;
    int selected;
    std::vector<std::wstring> changes;  // the senders of "selectchanged", in order
  };
  const Step steps[] = {
      {0, 0, {L"a"}},
      {1, 1, {L"a", L"b"}},
      {2, 2, {L"a", L"b", L"c"}},
      {2, 2, {L"a", L"b", L"c"}},  // the selected option clicked again changes nothing
      {0, 0, {L"a", L"b", L"c", L"a"}},
  };
  for (const Step& step : steps) {
    ClickOn(window, options[step.click]);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(options[i]->IsSelected(), i == step.selected) << "after clicking " << step.click;
    }
    std::vector<std::wstring> senders;
    for (const auto& n : recorder.list) {
      if (n.type == L"selectchanged") senders.push_back(n.senderName);
    }
    EXPECT_EQ(senders, step.changes);
  }
  EXPECT_EQ(recorder.Count(L"click"), 5) << "every click is still reported";
}

TEST(OptionTest, DeselectingAGroupedOptionSendsNothing) {
  ControlsWindow window;
  COptionUI* a = AddOption(window, L"a", L"g");
  window.Attach();
  a->Selected(true, true);
  a->Selected(false, true);
  EXPECT_FALSE(a->IsSelected());
  EXPECT_EQ(window.recorder().Count(L"selectchanged"), 1);
}

TEST(OptionTest, CheckBoxTogglesOnEveryClick) {
  ControlsWindow window;
  CCheckBoxUI* box = window.Add(new CCheckBoxUI(), 100, 30, L"treatyCb");
  window.Attach();
  const bool expected[] = {true, false, true};
  int changes = 0;
  for (const bool checked : expected) {
    ClickOn(window, box);
    EXPECT_EQ(box->GetCheck(), checked);
    EXPECT_EQ(window.recorder().Count(L"selectchanged", L"treatyCb"), ++changes);
  }
  box->SetCheck(false, false);
  EXPECT_FALSE(box->IsSelected());
  EXPECT_EQ(window.recorder().Count(L"selectchanged", L"treatyCb"), changes) << "not notified";
}

TEST(OptionTest, TwoWindowsWithTheSameGroupNameDoNotInterfere) {
  ControlsWindow first(100, 100);
  ControlsWindow second(520, 100);
  COptionUI* firstA = AddOption(first, L"a", L"lang");
  COptionUI* firstB = AddOption(first, L"b", L"lang");
  COptionUI* secondA = AddOption(second, L"a", L"lang");
  COptionUI* secondB = AddOption(second, L"b", L"lang");
  first.Attach();
  second.Attach();

  ClickOn(first, firstA);
  ClickOn(second, secondB);
  EXPECT_TRUE(firstA->IsSelected());
  EXPECT_FALSE(firstB->IsSelected());
  EXPECT_FALSE(secondA->IsSelected());
  EXPECT_TRUE(secondB->IsSelected());
  ClickOn(first, firstB);
  EXPECT_TRUE(secondB->IsSelected()) << "the other window's group is left alone";
  EXPECT_EQ(first.recorder().Count(L"selectchanged"), 2);
  EXPECT_EQ(second.recorder().Count(L"selectchanged"), 1);
}

TEST(OptionTest, RemovedOptionLeavesItsGroup) {
  ControlsWindow window;
  COptionUI* a = AddOption(window, L"a", L"g");
  COptionUI* b = AddOption(window, L"b", L"g");
  window.Attach();
  ASSERT_NE(window.manager().GetOptionGroup(L"g"), nullptr);
  EXPECT_EQ(window.manager().GetOptionGroup(L"g")->GetSize(), 2);
  b->Selected(true, false);
  window.root()->Remove(b);
  TestSupport::PumpPending();  // a delayed removal is carried out here
  a->Selected(true, true);
  EXPECT_TRUE(a->IsSelected());
  SkinUI::CPtrArrayUI* group = window.manager().GetOptionGroup(L"g");
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->GetSize(), 1);
}

TEST(OptionTest, SelectedAttributeIsExactlyTrue) {
  const struct {
    const wchar_t* value;
    bool selected;
  } cases[] = {{L"true", true}, {L"TRUE", false}, {L"1", false}, {L"", false}};
  for (const auto& c : cases) {
    COptionUI option;
    option.SetAttribute(L"selected", c.value);
    EXPECT_EQ(option.IsSelected(), c.selected) << static_cast<const void*>(c.value);
  }
}

TEST(OptionTest, SelectedOptionShowsItsSelectedImageAlsoWhenDisabled) {
  ControlsWindow window;
  COptionUI* option = window.Add(new COptionUI(), 100, 30, L"a");
  option->SetAttribute(L"normalimage", L"color='#FF0000FF'");
  option->SetAttribute(L"selectedimage", L"color='#FF00FF00'");
  window.Attach();
  EXPECT_EQ(window.Paint()->Pixel(50, 15), 0xFF0000FFu);
  option->Selected(true, false);
  EXPECT_EQ(window.Paint()->Pixel(50, 15), 0xFF00FF00u);
  option->SetEnabled(false);
  EXPECT_EQ(window.Paint()->Pixel(50, 15), 0xFF00FF00u);
}

}  // namespace
