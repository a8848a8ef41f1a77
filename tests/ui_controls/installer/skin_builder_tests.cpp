// The controls built by the skin builder from their element names, and skins whose attribute
// values for these controls are missing or malformed: defaults, never a crash.
#include <gtest/gtest.h>

#include <string>

#include "controls_fixture.h"
#include "ui_controls/installer/ui_button.h"
#include "ui_controls/installer/ui_edit.h"
#include "ui_controls/installer/ui_label.h"
#include "ui_controls/installer/ui_option.h"
#include "ui_controls/installer/ui_progress.h"
#include "ui_controls/ui_controls.h"
#include "ui_core/layout/ui_skin_builder.h"
#include "ui_core/manager/ui_manager.h"

namespace {

using TestSupport::TestHostWindow;

SkinUI::CControlUI* Build(TestHostWindow& host, const wchar_t* xml) {
  SkinUI::RegisterStandardControls();
  SkinUI::RegisterStandardControls();  // a second call changes nothing
  SkinUI::CSkinBuilderUI builder;
  SkinUI::CControlUI* root =
      builder.Create(SkinUI::CStringOrIdUI(xml), nullptr, nullptr, &host.manager());
  if (root != nullptr) host.Attach(root);
  return root;
}

TEST(SkinBuilderControlsTest, EveryElementNameBuildsItsControl) {
  TestHostWindow host;
  ASSERT_NE(Build(host,
                  L"<Window size=\"400,300\"><VerticalLayout>"
                  L"<Label name=\"label\" height=\"20\"/>"
                  L"<Button name=\"button\" height=\"20\"/>"
                  L"<Option name=\"option\" height=\"20\"/>"
                  L"<CheckBox name=\"checkbox\" height=\"20\"/>"
                  L"<Progress name=\"progress\" height=\"20\"/>"
                  L"<Slider name=\"slider\" height=\"20\"/>"
                  L"<Edit name=\"edit\" height=\"20\"/>"
                  L"<label name=\"lowercase\" height=\"20\"/>"
                  L"</VerticalLayout></Window>"),
            nullptr);
  const struct {
    const wchar_t* name;
    const wchar_t* className;
  } cases[] = {
      {L"label", L"Label"},       {L"button", L"Button"},     {L"option", L"Option"},
      {L"checkbox", L"CheckBox"}, {L"progress", L"Progress"}, {L"slider", L"Slider"},
      {L"edit", L"Edit"},         {L"lowercase", L"Label"},
  };
  for (const auto& c : cases) {
    SkinUI::CControlUI* control = host.manager().FindControl(c.name);
    ASSERT_NE(control, nullptr) << static_cast<const void*>(c.name);
    EXPECT_EQ(std::wstring(control->GetClass()), c.className);
    EXPECT_EQ(control->GetInterface(c.className), control);
    EXPECT_NE(control->GetInterface(L"Label"), nullptr) << "every one of them is a label";
  }
  auto* box = static_cast<SkinUI::CCheckBoxUI*>(
      host.manager().FindControl(L"checkbox")->GetInterface(L"CheckBox"));
  EXPECT_NE(box->GetInterface(L"Option"), nullptr);
  EXPECT_NE(box->GetInterface(L"Button"), nullptr);
}

TEST(SkinBuilderControlsTest, MalformedAttributeValuesGiveDefaults) {
  TestHostWindow host;
  ASSERT_NE(Build(host,
                  L"<Window><VerticalLayout>"
                  L"<Label name=\"label\" height=\"30\" text=\"x\" textcolor=\"#\" font=\"zz\" "
                  L"textpadding=\"-3,,x\" luminousfuzzy=\"-\" shadowoffset=\"9,9999\" "
                  L"gradientlength=\"99999999999999\" enabledeffect=\"true\" "
                  L"enabledluminous=\"true\" width=\"-40\" align=\"\" valign=\"middle\"/>"
                  L"<Button name=\"button\" height=\"30\" normalimage=\"file='missing.png'\" "
                  L"hotimage=\"color=\" fivestatusimage=\"nowhere.png\" fadedelta=\"x\" "
                  L"hotbkcolor=\"#zz\" text=\"OK\"/>"
                  L"<Option name=\"option\" height=\"30\" group=\"\" selected=\"yes\" "
                  L"selectedimage=\"file='\" selectedbkcolor=\"\"/>"
                  L"<Progress name=\"progress\" height=\"30\" min=\"100\" max=\"0\" "
                  L"value=\"abc\" foreimage=\"dest='1,2\" hor=\"\"/>"
                  L"<Slider name=\"slider\" height=\"30\" thumbsize=\"-5,q\" step=\"\" "
                  L"min=\"2147483647\" max=\"-2147483648\" value=\"99999999999\"/>"
                  L"<Edit name=\"edit\" height=\"30\" maxchar=\"-1\" tipvalue=\"\" "
                  L"tipvaluecolor=\"#\" nativebkcolor=\"\" password=\"1\"/>"
                  L"</VerticalLayout></Window>"),
            nullptr);
  SkinUI::CWindowManagerUI& manager = host.manager();
  auto* label = static_cast<SkinUI::CLabelUI*>(manager.FindControl(L"label"));
  auto* button = static_cast<SkinUI::CButtonUI*>(manager.FindControl(L"button"));
  auto* option = static_cast<SkinUI::COptionUI*>(manager.FindControl(L"option"));
  auto* progress = static_cast<SkinUI::CProgressUI*>(manager.FindControl(L"progress"));
  auto* slider = static_cast<SkinUI::CSliderUI*>(manager.FindControl(L"slider"));
  auto* edit = static_cast<SkinUI::CEditUI*>(manager.FindControl(L"edit"));
  ASSERT_TRUE(label && button && option && progress && slider && edit);

  EXPECT_EQ(label->GetFixedWidth(), 0) << "a negative width is ignored";
  EXPECT_FLOAT_EQ(label->GetLuminousFuzzy(), 3.0f);
  EXPECT_EQ(label->GetFont(), 0);
  EXPECT_EQ(button->GetFadeAlphaDelta(), 0);
  EXPECT_EQ(button->GetHotBkColor(), 0u);
  EXPECT_FALSE(option->IsSelected());
  EXPECT_TRUE(option->GetGroup().IsEmpty());
  EXPECT_EQ(slider->GetThumbSize().cx, 0);
  EXPECT_EQ(slider->GetThumbSize().cy, 0);
  EXPECT_EQ(edit->GetMaxChar(), 255u);
  EXPECT_FALSE(edit->IsPasswordMode());

  // Painted, hovered, clicked, wheeled and typed into: nothing breaks.
  host.Repaint();
  TestSupport::DibCanvas canvas(400, 300);
  manager.GetRoot()->Paint(canvas.dc(), canvas.Rect());
  for (SkinUI::CControlUI* control : {static_cast<SkinUI::CControlUI*>(label),
                                      static_cast<SkinUI::CControlUI*>(button),
                                      static_cast<SkinUI::CControlUI*>(option),
                                      static_cast<SkinUI::CControlUI*>(progress),
                                      static_cast<SkinUI::CControlUI*>(slider),
                                      static_cast<SkinUI::CControlUI*>(edit)}) {
    const POINT pt = ControlsTest::ControlsWindow::Centre(control);
    const LPARAM at = TestSupport::PointParam(pt.x, pt.y);
    ::SendMessageW(host.hwnd(), WM_MOUSEMOVE, 0, at);
    ::SendMessageW(host.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(host.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, TestSupport::PointParam(pt.x + 7, pt.y));
    ::SendMessageW(host.hwnd(), WM_LBUTTONUP, 0, at);
    POINT screen = pt;
    ::ClientToScreen(host.hwnd(), &screen);
    ::SendMessageW(host.hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA),
                   MAKELPARAM(screen.x, screen.y));
    if (HWND native = control->GetNativeWindow()) ::SendMessageW(native, WM_CHAR, L'7', 1);
    manager.GetRoot()->Paint(canvas.dc(), canvas.Rect());
  }
  EXPECT_GE(progress->GetValue(), progress->GetMinValue());
  EXPECT_LE(progress->GetValue(), progress->GetMaxValue());
  EXPECT_GT(progress->GetMaxValue(), progress->GetMinValue()) << "repaired by the paint";
  TestSupport::PumpPending();
}

}  // namespace
