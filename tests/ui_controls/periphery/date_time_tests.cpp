// The date field in a real window: its text for a table of dates, and the system's date picker
// laid over it on focus, whose date comes back into the field when the picker closes.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "controls_fixture.h"
#include "periphery_fixture.h"
#include "ui_controls/installer/ui_button.h"
#include "ui_controls/periphery/ui_date_time.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/manager/ui_scrollbar.h"

namespace {

using ControlsTest::ControlsWindow;
using SkinUI::CDateTimeUI;
using TestSupport::PumpUntil;

SYSTEMTIME Date(WORD year, WORD month, WORD day) {
  SYSTEMTIME date = {};
  date.wYear = year;
  date.wMonth = month;
  date.wDay = day;
  return date;
}

std::wstring DateText(const SYSTEMTIME& date) {
  wchar_t text[32] = {};
  std::swprintf(text, 32, L"%04d-%02d-%02d", date.wYear, date.wMonth, date.wDay);
  return text;
}

std::wstring ClassName(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return name;
}

RECT RectInParent(HWND child) {
  RECT rc = {0, 0, 0, 0};
  ::GetWindowRect(child, &rc);
  ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

SYSTEMTIME PickerDate(HWND picker) {
  SYSTEMTIME date = {};
  ::SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&date));
  return date;
}

void SetPickerDate(HWND picker, SYSTEMTIME date) {
  ASSERT_TRUE(::SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&date)));
}

bool SameDay(const SYSTEMTIME& a, const SYSTEMTIME& b) {
  return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay;
}

// A 200 x 30 date field named "date" at the top of the window and a button below it.
struct DateWindow {
  ControlsWindow window;
  CDateTimeUI* field;
  SkinUI::CButtonUI* button;

  DateWindow()
      : field(window.Add(new CDateTimeUI(), 200, 30, L"date")),
        button(window.Add(new SkinUI::CButtonUI(), 100, 30, L"okBtn")) {}

  // Attached with the focus on the button, so that no picker is open yet.
  void Attach() {
    window.Attach();
    window.manager().SetFocus(button);
  }
  HWND Open() {
    field->SetFocus();
    return field->GetNativeWindow();
  }
  std::wstring Text() { return field->GetText().GetData(); }
  void KeyToPicker(HWND picker, WPARAM key) {
    ::SendMessageW(picker, WM_KEYDOWN, key, 1);
    ::SendMessageW(picker, WM_KEYUP, key, 0xC0000001);
  }
};

TEST(DateTimeTest, NewFieldShowsTodaysDate) {
  SYSTEMTIME before = {};
  ::GetLocalTime(&before);
  CDateTimeUI field;
  SYSTEMTIME after = {};
  ::GetLocalTime(&after);
  const std::wstring text = field.GetText().GetData();
  EXPECT_TRUE(text == DateText(before) || text == DateText(after)) << text.c_str();
  EXPECT_TRUE(SameDay(field.GetTime(), before) || SameDay(field.GetTime(), after));
  EXPECT_EQ(std::wstring(field.GetClass()), L"DateTime");
  EXPECT_EQ(field.GetInterface(L"DateTime"), &field);
  EXPECT_NE(field.GetInterface(L"Label"), nullptr);
}

TEST(DateTimeTest, TextForATableOfDates) {
  const struct {
    SYSTEMTIME date;
    const wchar_t* text;
  } cases[] = {
      {Date(2024, 3, 9), L"2024-03-09"},
      {Date(1999, 12, 31), L"1999-12-31"},
      {Date(2000, 2, 29), L"2000-02-29"},
      {Date(9999, 1, 1), L"9999-01-01"},
      {Date(999, 1, 2), L" 999-01-02"},  // a short year is padded with blanks
      {Date(1601, 10, 5), L"1601-10-05"},
  };
  CDateTimeUI field;
  for (const auto& c : cases) {
    field.SetTime(c.date);
    EXPECT_EQ(std::wstring(field.GetText().GetData()), c.text);
    EXPECT_TRUE(SameDay(field.GetTime(), c.date)) << c.text;
  }
}

TEST(DateTimeTest, FocusOpensThePickerOverTheFieldWithItsDate) {
  DateWindow w;
  w.field->SetTime(Date(2023, 5, 17));
  w.Attach();
  ASSERT_EQ(w.field->GetNativeWindow(), nullptr);
  const HWND picker = w.Open();
  ASSERT_NE(picker, nullptr);
  EXPECT_EQ(ClassName(picker), L"DateTimeWnd");
  EXPECT_EQ(::GetParent(picker), w.window.hwnd());
  EXPECT_TRUE(::IsWindowVisible(picker));
  EXPECT_EQ(::GetFocus(), picker);
  const RECT placed = RectInParent(picker);
  const RECT& item = w.field->GetPos();
  EXPECT_TRUE(::EqualRect(&placed, &item));
  EXPECT_TRUE(SameDay(PickerDate(picker), Date(2023, 5, 17)));
  EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(picker, WM_GETFONT, 0, 0)),
            w.window.manager().GetFont(-1));
  EXPECT_TRUE(w.field->IsFocused());
}

TEST(DateTimeTest, DateSetInThePickerComesBackWhenItCloses) {
  enum class Away { FocusOtherControl, ClickOnButton, FocusTheWindow, FocusAnotherWindow };
  for (const Away away : {Away::FocusOtherControl, Away::ClickOnButton, Away::FocusTheWindow,
                          Away::FocusAnotherWindow}) {
    DateWindow w;
    w.field->SetTime(Date(2023, 5, 17));
    w.Attach();
    const HWND picker = w.Open();
    ASSERT_NE(picker, nullptr);
    const SYSTEMTIME picked = Date(2021, 7, 15);
    SetPickerDate(picker, picked);
    EXPECT_EQ(w.Text(), L"2023-05-17") << "nothing changes while the picker is open";
    switch (away) {
      case Away::FocusOtherControl:
        w.window.manager().SetFocus(w.button);
        break;
      case Away::ClickOnButton: {
        const POINT pt = ControlsWindow::Centre(w.button);
        w.window.ClickLeft(pt.x, pt.y);
        break;
      }
      case Away::FocusTheWindow:
        ::SetFocus(w.window.hwnd());
        break;
      case Away::FocusAnotherWindow: {
        TestSupport::TestHostWindow other(100, 100, 600, 100);
        ::SetForegroundWindow(other.hwnd());
        ::SetFocus(other.hwnd());
        EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(picker); }));
        break;
      }
    }
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(picker); })) << static_cast<int>(away);
    EXPECT_EQ(w.field->GetNativeWindow(), nullptr);
    EXPECT_EQ(w.Text(), L"2021-07-15") << static_cast<int>(away);
    EXPECT_TRUE(SameDay(w.field->GetTime(), picked));
  }
}

TEST(DateTimeTest, EscapeKeepsTheTextEvenWhenAnotherDateWasPicked) {
  DateWindow w;
  w.field->SetTime(Date(2022, 1, 31));
  w.Attach();
  const HWND picker = w.Open();
  ASSERT_NE(picker, nullptr);
  SetPickerDate(picker, Date(2020, 6, 1));
  w.KeyToPicker(picker, VK_ESCAPE);
  EXPECT_EQ(w.field->GetUpdateMode(), CDateTimeUI::kUpdateCancel);
  EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(picker); }));
  EXPECT_EQ(w.field->GetNativeWindow(), nullptr);
  EXPECT_EQ(w.Text(), L"2022-01-31");
}

TEST(DateTimeTest, BackOrDeleteEmptiesTheTextAndTheNextOpeningStartsFromToday) {
  for (const WPARAM key : {static_cast<WPARAM>(VK_BACK), static_cast<WPARAM>(VK_DELETE)}) {
    DateWindow w;
    w.field->SetTime(Date(2010, 8, 8));
    w.Attach();
    HWND picker = w.Open();
    ASSERT_NE(picker, nullptr);
    w.KeyToPicker(picker, key);
    EXPECT_EQ(w.Text(), L"") << key;
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(picker); })) << key;
    EXPECT_EQ(w.Text(), L"") << "closing takes no date after a clear";

    w.window.manager().SetFocus(w.button);
    SYSTEMTIME today = {};
    ::GetLocalTime(&today);
    picker = w.Open();
    ASSERT_NE(picker, nullptr);
    EXPECT_TRUE(SameDay(PickerDate(picker), today)) << key;
  }
}

TEST(DateTimeTest, ClickOnTheFocusedFieldOpensThePickerAgain) {
  DateWindow w;
  w.Attach();
  const POINT pt = ControlsWindow::Centre(w.field);
  w.window.ClickLeft(pt.x, pt.y);
  const HWND first = w.field->GetNativeWindow();
  ASSERT_NE(first, nullptr);
  ::SetFocus(w.window.hwnd());
  ASSERT_TRUE(PumpUntil([&] { return w.field->GetNativeWindow() == nullptr; }));
  EXPECT_TRUE(w.field->IsFocused());
  // The picker covers the field while it is open: the click reaches the field only when closed.
  w.window.ClickLeft(pt.x, pt.y);
  EXPECT_NE(w.field->GetNativeWindow(), nullptr);
}

TEST(DateTimeTest, ScrollingMovesThePickerOrHidesItOutOfView) {
  DateWindow w;
  w.window.root()->SetAttribute(L"vscrollbar", L"true");
  w.window.Add(new SkinUI::CControlUI(), 100, 800, L"filler");
  w.Attach();
  ASSERT_NE(w.window.root()->GetVerticalScrollBar(), nullptr);
  ASSERT_TRUE(w.window.root()->GetVerticalScrollBar()->IsVisible());
  const HWND picker = w.Open();
  ASSERT_NE(picker, nullptr);

  w.window.root()->SetScrollPos(SIZE{0, 10});
  EXPECT_TRUE(::IsWindowVisible(picker));
  RECT placed = RectInParent(picker);
  EXPECT_EQ(placed.top, 0) << "clipped by the layout's client area";
  EXPECT_EQ(placed.bottom, 20);

  w.window.root()->SetScrollPos(SIZE{0, 200});
  EXPECT_FALSE(::IsWindowVisible(picker)) << "scrolled out of view";
  // A hidden picker loses the keyboard focus, and with it closes, taking its date.
  TestSupport::PumpPending();
  EXPECT_EQ(w.Text(), DateText(w.field->GetTime()));
}

TEST(DateTimeTest, DestroyingTheOpenFieldClosesThePicker) {
  DateWindow w;
  w.Attach();
  const HWND picker = w.Open();
  ASSERT_NE(picker, nullptr);
  w.window.root()->Remove(w.field);
  w.window.Repaint();
  TestSupport::PumpPending();
  EXPECT_FALSE(::IsWindow(picker));
}

TEST(DateTimeTest, SkinBuildsTheDateField) {
  TestSupport::TestHostWindow host;
  ASSERT_NE(PeripheryTest::BuildSkin(host, L"<Window size=\"400,300\"><VerticalLayout>"
                                           L"<DateTime name=\"date\" height=\"30\" font=\"-3\"/>"
                                           L"</VerticalLayout></Window>"),
            nullptr);
  SkinUI::CControlUI* date = host.manager().FindControl(L"date");
  ASSERT_NE(date, nullptr);
  EXPECT_EQ(std::wstring(date->GetClass()), L"DateTime");
}

TEST(DateTimeTest, PickerOpensOnlyForAFieldThatTakesTheInput) {
  const struct {
    const char* name;
    bool enabled;
    bool mouse;
    bool opensOnFocus;
    bool opensOnClick;
  } cases[] = {
      {"enabled", true, true, true, true},
      {"disabled", false, true, false, false},
      {"mouse off", true, false, true, false},  // the keyboard still reaches it
  };
  for (const auto& c : cases) {
    DateWindow w;
    w.Attach();
    w.field->SetEnabled(c.enabled);
    w.field->SetMouseEnabled(c.mouse);
    SkinUI::TInputEventUI focus;
    focus.type = SkinUI::kEventSetFocus;
    w.field->Event(focus);
    const HWND picker = w.field->GetNativeWindow();
    EXPECT_EQ(picker != nullptr, c.opensOnFocus) << c.name;
    if (picker != nullptr) {
      ::SetFocus(w.window.hwnd());
      ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(picker); })) << c.name;
    }
    // A click on a field that already holds the focus opens the picker again.
    SkinUI::TInputEventUI click;
    click.type = SkinUI::kEventButtonDown;
    click.mousePoint = ControlsWindow::Centre(w.field);
    w.field->Event(click);
    EXPECT_EQ(w.field->GetNativeWindow() != nullptr, c.opensOnClick) << c.name;
  }
}

TEST(DateTimeTest, WheelOverTheOpenPickerLeavesTheListWhereItIs) {
  for (const bool open : {false, true}) {
    DateWindow w;
    w.window.root()->SetAttribute(L"vscrollbar", L"true");
    w.window.Add(new SkinUI::CControlUI(), 100, 800, L"filler");
    w.Attach();
    SkinUI::CScrollBarUI* bar = w.window.root()->GetVerticalScrollBar();
    ASSERT_TRUE(bar != nullptr && bar->IsVisible());
    if (open) {
      ASSERT_NE(w.Open(), nullptr);
    }
    SkinUI::TInputEventUI wheel;
    wheel.type = SkinUI::kEventScrollWheel;
    wheel.wParam = MAKEWPARAM(SB_LINEDOWN, 0);  // what the manager makes of a notch down
    wheel.mousePoint = ControlsWindow::Centre(w.field);
    w.field->Event(wheel);
    EXPECT_EQ(bar->GetScrollPos() > 0, !open) << (open ? "open" : "closed");
  }
}

TEST(DateTimeTest, OpenPickerIsTheWindowsNativeChildUntilItCloses) {
  for (const bool layered : {false, true}) {
    DateWindow w;
    if (layered) w.window.manager().SetLayered(true);
    w.Attach();
    const HWND picker = w.Open();
    ASSERT_NE(picker, nullptr) << layered;
    // Known already: the manager refuses to take it a second time.
    EXPECT_FALSE(w.window.manager().AddNativeWindow(w.field, picker)) << layered;
    const RECT placed = w.window.manager().GetNativeWindowRect(picker);
    EXPECT_TRUE(::EqualRect(&placed, &w.field->GetPos())) << layered;
    ::SetFocus(w.window.hwnd());
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(picker); })) << layered;
    EXPECT_FALSE(w.window.manager().RemoveNativeWindow(picker)) << layered << ": forgotten";
  }
}

}  // namespace
