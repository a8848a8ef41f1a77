#pragma once
// What the list, combo box and tree tests share: items of a known height, lists filled with
// them, header columns of a known width, and skins built into a real window.
#include <windows.h>

#include <string>

#include "controls_fixture.h"
#include "ui_controls/lists/ui_list.h"
#include "ui_controls/lists/ui_list_elements.h"
#include "ui_controls/lists/ui_list_header.h"
#include "ui_test_support.h"

namespace ListsTest {

constexpr int kItemHeight = 20;

// "item <i>".
std::wstring ItemText(int i);
// A label element of the given text and fixed height.
SkinUI::CListLabelElementUI* MakeLabelItem(const std::wstring& text, int height = kItemHeight);
// A list of the given size with `count` label items, appended to the window's root.
SkinUI::CListUI* AddList(ControlsTest::ControlsWindow& window, int width, int height, int count,
                         const wchar_t* name = L"list");
// A header column of a fixed width.
SkinUI::CListHeaderItemUI* MakeHeaderItem(const wchar_t* text, int width);
// Builds the skin into the host window (the standard controls registered) and attaches it.
SkinUI::CControlUI* BuildSkin(TestSupport::TestHostWindow& host, const wchar_t* xml);
// Asks the control for the cursor at a client point as the window does on WM_SETCURSOR (the
// window reads the system's pointer position, which other test programs on the same display
// move); true when the control set the cursor given by id.
bool ControlSetsCursor(SkinUI::CControlUI* control, POINT at, LPCWSTR id);
// The centre of a control's rectangle.
POINT CentreOf(const SkinUI::CControlUI* control);

}  // namespace ListsTest
