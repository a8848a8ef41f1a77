// The rich edit in a real window: the system's windowless text services behind the text host.
#include <gtest/gtest.h>

#include <string>

#include "controls_fixture.h"
#include "ui_controls/ui_rich_edit.h"
#include "ui_controls/ui_text_host.h"
#include "ui_core/ui_manager.h"
#include "ui_core/ui_scrollbar.h"

namespace {

using ControlsTest::ControlsWindow;
using SkinUI::CRichEditUI;

struct RichWindow {
  ControlsWindow window;
  CRichEditUI* edit;
  RichWindow() : edit(window.Add(new CRichEditUI(), 300, 100, L"notes")) {}
  void Type(const wchar_t* text) {
    for (const wchar_t* p = text; *p != L'\0'; ++p) {
      ::SendMessageW(window.hwnd(), WM_CHAR, *p, 1);
    }
  }
  int Count(const wchar_t* type) { return window.recorder().Count(type, L"notes"); }
  std::wstring Text() { return edit->GetText().GetData(); }
};

TEST(RichEditTest, TypedCharactersBecomeTheTextAndAreReported) {
  RichWindow w;
  w.window.Attach();
  ASSERT_NE(w.edit->GetTxtWinHost(), nullptr);
  w.edit->SetFocus();
  EXPECT_TRUE(w.edit->IsFocused());
  w.Type(L"abc");
  EXPECT_EQ(w.Text(), L"abc");
  EXPECT_EQ(w.Count(L"textchanged"), 3);
}

}  // namespace
