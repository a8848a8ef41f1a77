// The combo box in a real window: where its drop-down window opens, selecting in the drop-down,
// Escape, keys and the wheel on the closed box, and the drop-down outliving neither its combo box
// nor its owner window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "list_fixture.h"
#include "ui_controls/lists/ui_combo.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/manager/ui_scrollbar.h"

namespace {

using ControlsTest::ControlsWindow;
using SkinUI::CComboUI;
using TestSupport::PointParam;
using TestSupport::PumpUntil;

constexpr int kComboWidth = 150;
constexpr int kComboHeight = 24;

CComboUI* AddCombo(ControlsWindow& window, int items) {
  auto* combo = window.Add(new CComboUI(), kComboWidth, kComboHeight, L"combo");
  for (int i = 0; i < items; ++i) combo->Add(ListsTest::MakeLabelItem(ListsTest::ItemText(i)));
  return combo;
}

RECT ScreenRect(HWND window, RECT rc) {
  ::MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

RECT WindowRect(HWND window) {
  RECT rc = {0, 0, 0, 0};
  ::GetWindowRect(window, &rc);
  return rc;
}

RECT WorkArea() {
  RECT work = {0, 0, 0, 0};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

// The drop-down closes when the focus leaves it. The focus that a new test window asked for
// arrives from the X server a little later: it is waited for before anything opens.
void SettleFocus(HWND owner) {
  PumpUntil([&] { return ::GetFocus() == owner; }, 2000);
  TestSupport::PumpPending();
}

// Opens the drop-down and lets it lay out and paint (without pumping: what the drop-down does
// with queued messages is each test's own business).
HWND Open(CComboUI* combo) {
  SettleFocus(combo->GetManager()->GetPaintWindow());
  if (!combo->Activate()) return nullptr;
  HWND drop = combo->GetDropDownWindow();
  if (drop != nullptr) ::UpdateWindow(drop);
  return drop;
}

bool WaitClosed(CComboUI* combo, HWND drop) {
  return PumpUntil([&] { return !combo->IsDroppedDown() && !::IsWindow(drop); });
}

void ClickInDropDown(HWND drop, SkinUI::CControlUI* item) {
  const POINT pt = ListsTest::CentreOf(item);
  ::SendMessageW(drop, WM_MOUSEMOVE, 0, PointParam(pt.x, pt.y));
  ::SendMessageW(drop, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(pt.x, pt.y));
  ::SendMessageW(drop, WM_LBUTTONUP, 0, PointParam(pt.x, pt.y));
}

void ExpectItemsBackHome(ControlsWindow& window, CComboUI* combo) {
  for (int i = 0; i < combo->GetCount(); ++i) {
    EXPECT_EQ(combo->GetItemAt(i)->GetManager(), &window.manager()) << "item " << i;
    EXPECT_EQ(combo->GetItemAt(i)->GetParent(), combo) << "item " << i;
  }
}

TEST(ComboTest, DropDownOpensUnderTheBoxAsHighAsItsItems) {
  ControlsWindow window(100, 100);
  CComboUI* combo = AddCombo(window, 3);
  window.Attach();
  const HWND drop = Open(combo);
  ASSERT_NE(drop, nullptr);
  const RECT box = ScreenRect(window.hwnd(), combo->GetPos());
  const RECT rc = WindowRect(drop);
  EXPECT_EQ(rc.left, box.left);
  EXPECT_EQ(rc.top, box.bottom);
  EXPECT_EQ(rc.right - rc.left, kComboWidth);
  EXPECT_EQ(rc.bottom - rc.top, 3 * ListsTest::kItemHeight + 4);
  EXPECT_EQ(window.recorder().Count(L"dropdown"), 1);
  EXPECT_TRUE(combo->Activate()) << "a second activation while open";
  EXPECT_EQ(window.recorder().Count(L"dropdown"), 1);
  EXPECT_EQ(combo->GetDropDownWindow(), drop);
  ::SendMessageW(drop, WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_TRUE(WaitClosed(combo, drop));
}

TEST(ComboTest, NearTheBottomOfTheWorkAreaTheDropDownOpensAbove) {
  const RECT work = WorkArea();
  ControlsWindow window(100, work.bottom - 120, 400, 100);
  CComboUI* combo = AddCombo(window, 20);
  window.Attach();
  const HWND drop = Open(combo);
  ASSERT_NE(drop, nullptr);
  const RECT box = ScreenRect(window.hwnd(), combo->GetPos());
  const RECT rc = WindowRect(drop);
  EXPECT_EQ(rc.bottom, box.top);
  EXPECT_EQ(rc.bottom - rc.top, 150) << "no higher than the drop box";
  EXPECT_LE(rc.bottom, work.bottom);
  ::SendMessageW(drop, WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_TRUE(WaitClosed(combo, drop));
}

TEST(ComboTest, ChoosingAnItemClosesTheDropDownWithOneItemSelect) {
  ControlsWindow window;
  CComboUI* combo = AddCombo(window, 3);
  window.Attach();
  SettleFocus(window.hwnd());
  const POINT box = ListsTest::CentreOf(combo);
  window.ClickLeft(box.x, box.y);
  const HWND drop = combo->GetDropDownWindow();
  ASSERT_NE(drop, nullptr);
  ::UpdateWindow(drop);
  ASSERT_EQ(combo->GetItemAt(1)->GetManager()->GetPaintWindow(), drop) << "items live in it";

  ClickInDropDown(drop, combo->GetItemAt(1));
  ASSERT_TRUE(WaitClosed(combo, drop));
  EXPECT_EQ(combo->GetCurSel(), 1);
  EXPECT_EQ(std::wstring(combo->GetText().GetData()), ListsTest::ItemText(1));
  auto& recorder = window.recorder();
  ASSERT_EQ(recorder.Count(L"itemselect"), 1);
  for (const auto& n : recorder.list) {
    if (n.type != L"itemselect") continue;
    EXPECT_EQ(n.sender, combo);
    EXPECT_EQ(n.wParam, 1u);
    EXPECT_EQ(n.lParam, -1);
  }
  EXPECT_EQ(combo->GetButtonState() & CComboUI::kPushed, 0u);
  ExpectItemsBackHome(window, combo);
  window.Repaint();
}

TEST(ComboTest, EscapeClosesWithoutAChangeAndUndoesKeys) {
  ControlsWindow window;
  CComboUI* combo = AddCombo(window, 4);
  window.Attach();
  ASSERT_TRUE(combo->SelectItem(2, false, false));

  HWND drop = Open(combo);
  ASSERT_NE(drop, nullptr);
  ::SendMessageW(drop, WM_KEYDOWN, VK_ESCAPE, 1);
  ASSERT_TRUE(WaitClosed(combo, drop));
  EXPECT_EQ(combo->GetCurSel(), 2);
  EXPECT_EQ(window.recorder().Count(L"itemselect"), 0);

  drop = Open(combo);
  ASSERT_NE(drop, nullptr);
  ::SendMessageW(drop, WM_KEYDOWN, VK_DOWN, 1);
  EXPECT_EQ(combo->GetCurSel(), 3);
  EXPECT_TRUE(combo->IsDroppedDown()) << "keys leave the drop-down open";
  ::SendMessageW(drop, WM_KEYDOWN, VK_ESCAPE, 1);
  ASSERT_TRUE(WaitClosed(combo, drop));
  EXPECT_EQ(combo->GetCurSel(), 2) << "the selection it had when it opened";
  EXPECT_EQ(window.recorder().Count(L"itemselect"), 2);
  ExpectItemsBackHome(window, combo);
}

TEST(ComboTest, WheelOverTheOpenDropDownDoesNothing) {
  ControlsWindow window;
  CComboUI* combo = AddCombo(window, 4);
  window.Attach();
  ASSERT_TRUE(combo->SelectItem(0, false, false));
  const HWND drop = Open(combo);
  ASSERT_NE(drop, nullptr);
  RECT rc = WindowRect(drop);
  ::SendMessageW(drop, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)),
                 MAKELPARAM(rc.left + 10, rc.top + 10));
  EXPECT_EQ(combo->GetCurSel(), 0);
  ::SendMessageW(drop, WM_KEYDOWN, VK_RETURN, 1);
  EXPECT_TRUE(WaitClosed(combo, drop));
  EXPECT_EQ(combo->GetCurSel(), 0);
}

TEST(ComboTest, KeysAndWheelOnTheClosedBoxMoveTheSelection) {
  ControlsWindow window;
  CComboUI* combo = AddCombo(window, 5);
  combo->GetItemAt(1)->SetEnabled(false);
  combo->GetItemAt(4)->SetVisible(false);
  window.Attach();
  window.manager().SetFocus(combo);
  const struct {
    WPARAM key;
    int selected;
  } steps[] = {{VK_DOWN, 0}, {VK_DOWN, 2}, {VK_NEXT, 3}, {VK_DOWN, 3}, {VK_HOME, 0},
               {VK_UP, 0},   {VK_END, 3},  {VK_PRIOR, 2}, {VK_UP, 0}};
  int changes = 0;
  int selected = -1;
  for (const auto& step : steps) {
    window.KeyDown(step.key);
    EXPECT_EQ(combo->GetCurSel(), step.selected) << "key " << step.key;
    if (step.selected != selected) ++changes;
    selected = step.selected;
  }
  EXPECT_FALSE(combo->IsDroppedDown()) << "keys never open it";
  EXPECT_EQ(window.recorder().Count(L"itemselect"), changes);

  const POINT pt = ListsTest::CentreOf(combo);
  window.Wheel(pt.x, pt.y, false);
  EXPECT_EQ(combo->GetCurSel(), 2);
  window.Wheel(pt.x, pt.y, true);
  EXPECT_EQ(combo->GetCurSel(), 0);
  SettleFocus(window.hwnd());
  window.KeyDown(VK_F4);
  EXPECT_TRUE(combo->IsDroppedDown());
  const HWND drop = combo->GetDropDownWindow();
  ::SendMessageW(drop, WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_TRUE(WaitClosed(combo, drop));
}

TEST(ComboTest, SelectItemClampsPastTheEndAndRefusesWhatCannotBeSelected) {
  ControlsWindow window;
  CComboUI* combo = AddCombo(window, 3);
  combo->GetItemAt(0)->SetEnabled(false);
  window.Attach();
  EXPECT_TRUE(combo->SelectItem(99, false, true));
  EXPECT_EQ(combo->GetCurSel(), 2);
  EXPECT_FALSE(combo->SelectItem(0, false, true));
  EXPECT_EQ(combo->GetCurSel(), -1);
  ASSERT_TRUE(combo->SelectItem(1, false, true));
  EXPECT_FALSE(combo->SelectItem(-1, false, true)) << "-1 clears the selection";
  EXPECT_EQ(combo->GetCurSel(), -1);
  EXPECT_EQ(window.recorder().Count(L"itemselect"), 2);
}

TEST(ComboTest, OwnerWindowDestroyedWhileOpenGivesTheItemsBack) {
  ControlsWindow window;
  CComboUI* combo = AddCombo(window, 3);
  window.Attach();
  const HWND drop = Open(combo);
  ASSERT_NE(drop, nullptr);
  ::DestroyWindow(window.hwnd());
  EXPECT_FALSE(::IsWindow(drop));
  EXPECT_FALSE(combo->IsDroppedDown());
  ExpectItemsBackHome(window, combo);
  TestSupport::PumpPending();
}

TEST(ComboTest, ComboRemovedWhileOpenTakesItsDropDownAlong) {
  ControlsWindow window;
  CComboUI* combo = AddCombo(window, 3);
  window.Attach();
  const HWND drop = Open(combo);
  ASSERT_NE(drop, nullptr);
  combo->RemoveAt(0);
  EXPECT_EQ(combo->GetCount(), 2);
  window.root()->Remove(combo);
  EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(drop); }));
  window.Repaint();
}

TEST(ComboTest, ComboWithoutItemsOpensAndCloses) {
  ControlsWindow window;
  CComboUI* combo = AddCombo(window, 0);
  window.Attach();
  window.manager().SetFocus(combo);
  for (const WPARAM key : {VK_DOWN, VK_UP, VK_HOME, VK_END}) window.KeyDown(key);
  EXPECT_FALSE(combo->SelectItem(0));
  EXPECT_TRUE(combo->GetText().IsEmpty());
  const HWND drop = Open(combo);
  ASSERT_NE(drop, nullptr);
  EXPECT_EQ(WindowRect(drop).bottom - WindowRect(drop).top, 4);
  ::SendMessageW(drop, WM_KEYDOWN, VK_DOWN, 1);
  ::SendMessageW(drop, WM_KEYDOWN, VK_RETURN, 1);
  EXPECT_TRUE(WaitClosed(combo, drop));
  EXPECT_EQ(window.recorder().Count(L"itemselect"), 0);
}

TEST(ComboTest, DropDownPaintsItsItemsInAWhiteBodyWithABorder) {
  ControlsWindow window;
  CComboUI* combo = AddCombo(window, 3);
  window.Attach();
  ASSERT_TRUE(combo->SelectItem(1, false, false));
  const HWND drop = Open(combo);
  ASSERT_NE(drop, nullptr);
  SkinUI::CControlUI* body = combo->GetItemAt(0)->GetParent();
  ASSERT_NE(body, nullptr);
  ASSERT_NE(body, combo) << "the items are in the drop-down's body while it is open";
  const RECT rc = body->GetPos();
  TestSupport::DibCanvas canvas(rc.right, rc.bottom, 0xFF000000);
  body->Paint(canvas.dc(), rc);
  constexpr uint32_t kRgb = 0x00FFFFFF;
  EXPECT_EQ(TestSupport::ColorText(canvas.Pixel(0, rc.bottom / 2) & kRgb),
            TestSupport::ColorText(0xC6C7D2)) << "the border";
  const RECT first = combo->GetItemAt(0)->GetPos();
  const RECT second = combo->GetItemAt(1)->GetPos();
  EXPECT_EQ(first.top, rc.top + 1) << "inside the inset";
  EXPECT_EQ(TestSupport::ColorText(canvas.Pixel(first.right - 3, first.top + 2) & kRgb),
            TestSupport::ColorText(0xFFFFFF));
  EXPECT_EQ(TestSupport::ColorText(canvas.Pixel(second.right - 3, second.top + 2) & kRgb),
            TestSupport::ColorText(0xC1E3FF)) << "the selected item";
  EXPECT_TRUE(ControlsTest::AnyPixelDiffers(canvas, RECT{first.left, first.top, first.left + 40,
                                                         first.bottom},
                                            canvas.Pixel(first.right - 3, first.top + 2)))
      << "the item's text";
  ::SendMessageW(drop, WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_TRUE(WaitClosed(combo, drop));
}

TEST(ComboTest, BoxShowsTheImageOfItsState) {
  ControlsWindow window;
  CComboUI* combo = AddCombo(window, 2);
  combo->SetAttribute(L"normalimage", L"color='#FFFFFFFF'");
  combo->SetAttribute(L"pushedimage", L"color='#FFFF0000'");
  combo->SetAttribute(L"disabledimage", L"color='#FF0000FF'");
  combo->SetAttribute(L"showtext", L"false");
  window.Attach();
  const POINT centre = ListsTest::CentreOf(combo);
  auto colour = [&] { return window.Paint(0xFF000000)->Pixel(centre.x, centre.y) & 0x00FFFFFFu; };
  EXPECT_EQ(TestSupport::ColorText(colour()), TestSupport::ColorText(0xFFFFFF));
  SettleFocus(window.hwnd());
  window.ClickLeft(centre.x, centre.y);
  const HWND drop = combo->GetDropDownWindow();
  ASSERT_NE(drop, nullptr);
  EXPECT_EQ(TestSupport::ColorText(colour()), TestSupport::ColorText(0xFF0000)) << "open";
  ::SendMessageW(drop, WM_KEYDOWN, VK_ESCAPE, 1);
  ASSERT_TRUE(WaitClosed(combo, drop));
  EXPECT_EQ(TestSupport::ColorText(colour()), TestSupport::ColorText(0xFFFFFF)) << "closed";
  combo->SetEnabled(false);
  EXPECT_EQ(TestSupport::ColorText(colour()), TestSupport::ColorText(0x0000FF)) << "disabled";
}

TEST(ComboTest, SelectedItemIsPaintedInTheBox) {
  ControlsWindow window;
  CComboUI* combo = AddCombo(window, 3);
  combo->SetAttribute(L"normalimage", L"color='#FFFFFFFF'");
  window.Attach();
  auto before = window.Paint(0xFFFFFFFF);
  EXPECT_TRUE(ControlsTest::AllPixels(*before, combo->GetPos(), 0xFFFFFFFF));
  ASSERT_TRUE(combo->SelectItem(1, false, false));
  auto after = window.Paint(0xFFFFFFFF);
  EXPECT_TRUE(ControlsTest::AnyPixelDiffers(*after, combo->GetPos(), 0xFFFFFFFF));
}

}  // namespace
