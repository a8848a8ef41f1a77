#include "list_fixture.h"

#include <gtest/gtest.h>

#include "test_support.h"
#include "ui_controls/ui_controls.h"
#include "ui_core/layout/ui_skin_builder.h"

namespace ListsTest {

std::wstring ItemText(int i) { return L"item " + std::to_wstring(i); }

SkinUI::CListLabelElementUI* MakeLabelItem(const std::wstring& text, int height) {
  auto* item = new SkinUI::CListLabelElementUI();
  item->SetText(text.c_str());
  item->SetFixedHeight(height);
  return item;
}

SkinUI::CListUI* AddList(ControlsTest::ControlsWindow& window, int width, int height, int count,
                         const wchar_t* name) {
  auto* list = window.Add(new SkinUI::CListUI(), width, height, name);
  for (int i = 0; i < count; ++i) list->Add(MakeLabelItem(ItemText(i)));
  return list;
}

SkinUI::CListHeaderItemUI* MakeHeaderItem(const wchar_t* text, int width) {
  auto* item = new SkinUI::CListHeaderItemUI();
  item->SetText(text);
  item->SetFixedWidth(width);
  return item;
}

SkinUI::CControlUI* BuildSkin(TestSupport::TestHostWindow& host, const wchar_t* xml) {
  SkinUI::RegisterStandardControls();
  SkinUI::CSkinBuilderUI builder;
  SkinUI::CControlUI* root =
      builder.Create(SkinUI::CStringOrIdUI(xml), nullptr, nullptr, &host.manager());
  if (root == nullptr) {
    ADD_FAILURE() << "skin not built: " << TestSupport::ToUtf8(builder.GetLastErrorMessage() != nullptr ? builder.GetLastErrorMessage() : L"");
    return nullptr;
  }
  host.Attach(root);
  return root;
}

bool ControlSetsCursor(SkinUI::CControlUI* control, POINT at, LPCWSTR id) {
  if ((control->GetControlFlags() & SkinUI::kControlFlagSetCursor) == 0) return false;
  ::SetCursor(nullptr);
  SkinUI::TInputEventUI event;
  event.type = SkinUI::kEventSetCursor;
  event.sender = control;
  event.mousePoint = at;
  control->Event(event);
  return ::GetCursor() == ::LoadCursorW(nullptr, id);
}

POINT CentreOf(const SkinUI::CControlUI* control) {
  return ControlsTest::ControlsWindow::Centre(control);
}

}  // namespace ListsTest
