// The hover state of the box-like controls (the combo box and a header column): the pointer
// entering makes them hot, a leave reported while the pointer is still inside keeps them hot,
// leaving for real or being disabled does not.
#include <gtest/gtest.h>

#include <functional>

#include "list_fixture.h"
#include "ui_controls/installer/ui_control_state.h"
#include "ui_controls/lists/ui_combo.h"
#include "ui_core/values/ui_events.h"

namespace {

using ControlsTest::ControlsWindow;

struct HoverStep {
  const char* what;
  int type;        // kEventMouseEnter or kEventMouseLeave
  bool inside;     // the pointer over the control, else just below it
  bool enabled;
  bool hotAfter;
};

const HoverStep kSteps[] = {
    {"enter", SkinUI::kEventMouseEnter, true, true, true},
    {"leave reported inside", SkinUI::kEventMouseLeave, true, true, true},
    {"leave outside", SkinUI::kEventMouseLeave, false, true, false},
    {"enter while disabled", SkinUI::kEventMouseEnter, true, false, false},
};

void PlaySteps(const char* control, SkinUI::CControlUI* box, const std::function<UINT()>& state) {
  for (const HoverStep& step : kSteps) {
    box->SetEnabled(step.enabled);
    SkinUI::TInputEventUI event;
    event.type = step.type;
    event.sender = box;
    const RECT rc = box->GetPos();
    event.mousePoint = step.inside ? ListsTest::CentreOf(box) : POINT{rc.left + 2, rc.bottom + 5};
    box->DoEvent(event);
    EXPECT_EQ((state() & SkinUI::kStateHot) != 0, step.hotAfter) << control << ": " << step.what;
  }
}

TEST(BoxHoverTest, ComboAndHeaderColumnTrackTheHoverAlike) {
  ControlsWindow window;
  auto* combo = window.Add(new SkinUI::CComboUI(), 150, 24, L"combo");
  combo->Add(ListsTest::MakeLabelItem(ListsTest::ItemText(0)));
  auto* list = window.Add(new SkinUI::CListUI(), 200, 100, L"list");
  SkinUI::CListHeaderItemUI* column = ListsTest::MakeHeaderItem(L"Name", 120);
  list->Add(column);
  window.Attach();
  PlaySteps("combo", combo, [&] { return combo->GetButtonState(); });
  PlaySteps("header column", column, [&] { return column->GetButtonState(); });
}

}  // namespace
