// The edit field in a real window: its native edit window opens over the padded rectangle on
// focus, takes typed characters, reports them, and closes on losing the focus, leaving the text.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "controls_fixture.h"
#include "test_support.h"
#include "ui_controls/installer/ui_button.h"
#include "ui_controls/installer/ui_edit.h"
#include "ui_core/drawing/ui_render.h"
#include "ui_core/layout/ui_skin_builder.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/manager/ui_resources.h"
#include "ui_core/values/ui_string_or_id.h"

namespace {

using ControlsTest::ControlsWindow;
using SkinUI::CEditUI;
using TestSupport::PumpUntil;

std::wstring WindowText(HWND window) {
  wchar_t text[256] = {};
  ::GetWindowTextW(window, text, 256);
  return text;
}

std::wstring ClassName(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return name;
}

// A 200 x 30 edit at the top of the window and a button below it.
struct EditWindow {
  ControlsWindow window;
  CEditUI* edit;
  SkinUI::CButtonUI* button;

  EditWindow()
      : edit(window.Add(new CEditUI(), 200, 30, L"installDirEdit")),
        button(window.Add(new SkinUI::CButtonUI(), 100, 30, L"chDirBtn")) {}

  HWND Open() {
    edit->SetFocus();
    return edit->GetNativeWindow();
  }
  void Type(const wchar_t* text) {
    for (const wchar_t* p = text; *p != L'\0'; ++p) {
      ::SendMessageW(edit->GetNativeWindow(), WM_CHAR, *p, 1);
    }
  }
  int Count(const wchar_t* type) { return window.recorder().Count(type, L"installDirEdit"); }
};

RECT RectInParent(HWND child) {
  RECT rc = {0, 0, 0, 0};
  ::GetWindowRect(child, &rc);
  ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

TEST(EditTest, FocusOpensTheNativeWindowOverThePaddedRectangleWithTheText) {
  EditWindow w;
  w.edit->SetText(L"C:\\Program Files\\Tessmark");
  w.window.Attach();
  const HWND native = w.Open();
  ASSERT_NE(native, nullptr);
  EXPECT_EQ(ClassName(native), L"EditWnd");
  EXPECT_EQ(::GetParent(native), w.window.hwnd());
  EXPECT_TRUE(::IsWindowVisible(native));
  EXPECT_EQ(::GetFocus(), native);
  EXPECT_EQ(WindowText(native), L"C:\\Program Files\\Tessmark");

  // Item (0, 0, 200, 30) less the padding (4, 3, 4, 3), centred on one line of the font.
  const int lineHeight = w.window.manager().GetFontInfo(-1)->metrics.tmHeight;
  ASSERT_GT(lineHeight, 0);
  ASSERT_LT(lineHeight, 24);
  const RECT placed = RectInParent(native);
  EXPECT_EQ(placed.left, 4);
  EXPECT_EQ(placed.right, 196);
  EXPECT_EQ(placed.top, 3 + (24 - lineHeight) / 2);
  EXPECT_EQ(placed.bottom - placed.top, lineHeight);
  EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(native, WM_GETFONT, 0, 0)),
            w.window.manager().GetFont(-1));
}

TEST(EditTest, TypedCharactersAreReportedAndBecomeTheText) {
  EditWindow w;
  w.edit->SetText(L"ab");
  w.window.Attach();
  ASSERT_NE(w.Open(), nullptr);
  w.Type(L"cd");
  EXPECT_EQ(w.Count(L"textchanged"), 2);
  EXPECT_EQ(std::wstring(w.edit->GetText().GetData()), L"abcd");
}

TEST(EditTest, EnterIsReportedAndKeepsTheNativeWindowOpen) {
  EditWindow w;
  w.window.Attach();
  const HWND native = w.Open();
  ASSERT_NE(native, nullptr);
  ::SendMessageW(native, WM_KEYDOWN, VK_RETURN, 1);
  EXPECT_EQ(w.Count(L"return"), 1);
  EXPECT_TRUE(::IsWindow(native));
  EXPECT_EQ(w.edit->GetNativeWindow(), native);
}

TEST(EditTest, LosingTheFocusClosesTheNativeWindowAndKeepsTheText) {
  // TakeOut: the field is taken out of the window's tree but kept alive.
  enum class Away { ClickOnButton, FocusOtherControl, HideField, TakeOut };
  for (const Away away :
       {Away::ClickOnButton, Away::FocusOtherControl, Away::HideField, Away::TakeOut}) {
    EditWindow w;
    w.window.Attach();
    const HWND native = w.Open();
    ASSERT_NE(native, nullptr);
    w.Type(L"D:\\Games");
    switch (away) {
      case Away::ClickOnButton: {
        const POINT pt = ControlsWindow::Centre(w.button);
        w.window.ClickLeft(pt.x, pt.y);
        break;
      }
      case Away::FocusOtherControl:
        w.window.manager().SetFocus(w.button);
        break;
      case Away::HideField:
        w.edit->SetVisible(false);
        break;
      case Away::TakeOut:
        ASSERT_TRUE(w.window.root()->Remove(w.edit, true));
        break;
    }
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(native); })) << static_cast<int>(away);
    EXPECT_EQ(w.edit->GetNativeWindow(), nullptr);
    EXPECT_EQ(std::wstring(w.edit->GetText().GetData()), L"D:\\Games");
    if (away == Away::TakeOut) {
      EXPECT_EQ(::GetFocus(), w.window.hwnd()) << "the keyboard is the window's again";
      // Put back, it opens its native window again (the tree owns it again).
      ASSERT_TRUE(w.window.root()->Add(w.edit));
      const HWND again = w.Open();
      ASSERT_NE(again, nullptr);
      EXPECT_EQ(::GetFocus(), again);
    }
  }
}

// Runs an action on the next "textchanged" and then takes the memory that the action freed
// back into blocks of garbage of the sizes of the native window object and of the field, so that
// a read through a pointer to a freed one reads garbage instead of the values it held.
class TextChangedAction : public SkinUI::INotifyUI {
public:
  std::function<void()> action;

  void Notify(SkinUI::TNotifyMsgUI& msg) override {
    if (msg.type != L"textchanged" || !action) return;
    const std::function<void()> run = std::move(action);
    action = nullptr;
    run();
    for (const size_t size : {sizeof(SkinUI::CEditWnd), sizeof(CEditUI)}) {
      for (int i = 0; i < 256; ++i) {
        taken_.emplace_back(size, static_cast<unsigned char>(0xFE));
      }
    }
  }

private:
  std::vector<std::vector<unsigned char>> taken_;
};

TEST(EditTest, TextChangedHandlerMayCloseOrRemoveTheField) {
  enum class InHandler { MoveFocus, HideField, RemoveField, DeleteField };
  for (const InHandler what :
       {InHandler::MoveFocus, InHandler::HideField, InHandler::RemoveField, InHandler::DeleteField}) {
    TextChangedAction handler;  // outlives the window that reports to it
    EditWindow w;
    w.window.manager().AddNotifier(&handler);
    w.window.Attach();
    const HWND native = w.Open();
    ASSERT_NE(native, nullptr);
    CEditUI* edit = w.edit;
    handler.action = [&w, edit, what] {
      switch (what) {
        case InHandler::MoveFocus:
          w.window.manager().SetFocus(w.button);
          break;
        case InHandler::HideField:
          edit->SetVisible(false);
          break;
        case InHandler::RemoveField:
          w.window.root()->Remove(edit);
          break;
        case InHandler::DeleteField:
          w.window.root()->Remove(edit, true);
          edit->Delete();
          break;
      }
    };
    w.Type(L"x");
    EXPECT_FALSE(handler.action) << "the handler ran";
    EXPECT_EQ(w.window.recorder().Count(L"textchanged"), 1) << static_cast<int>(what);
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(native); })) << static_cast<int>(what);
    if (what == InHandler::MoveFocus || what == InHandler::HideField) {
      EXPECT_EQ(edit->GetNativeWindow(), nullptr);
      EXPECT_EQ(std::wstring(edit->GetText().GetData()), L"x");
    }
    w.window.Repaint();
  }
}

// A layout that joins the window while the field is open builds a skin file that declares the
// field's font again (under its id, or as the window's default font). The open native edit keeps
// the font it was given, which must stay alive.
TEST(EditTest, AnOpenFieldKeepsItsFontWhenAJoiningLayoutDeclaresTheFontAgain) {
  const struct {
    const wchar_t* fieldFont;  // the field's font attribute, null for the default font
    const char* declared;      // the Font element of the layout's file
  } cases[] = {
      {L"1", "<Font id=\"1\" name=\"Tahoma\" size=\"30\"/>"},
      {nullptr, "<Font id=\"7\" name=\"Tahoma\" size=\"30\" default=\"true\"/>"},
  };
  TestSupport::ScratchDir skin(L"fieldfont");
  const SkinUI::CStringUI oldPath = SkinUI::CWindowManagerUI::GetResourcePath();
  SkinUI::CWindowManagerUI::SetResourcePath(skin.Path().c_str());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.declared);
    ASSERT_TRUE(TestSupport::WriteBytes(skin.File(L"page.xml"),
                                        std::string("<Window>") + c.declared +
                                            "<Control name=\"pagecontrol\"/></Window>"));
    EditWindow w;
    w.window.manager().AddFont(1, L"Tahoma", 14, false, false, false);
    w.window.manager().SetDefaultFont(L"Tahoma", 14, false, false, false);
    if (c.fieldFont != nullptr) w.edit->SetAttribute(L"font", c.fieldFont);
    w.window.Attach();
    const HWND native = w.Open();
    ASSERT_NE(native, nullptr);
    const auto given = reinterpret_cast<HFONT>(::SendMessageW(native, WM_GETFONT, 0, 0));
    ASSERT_NE(given, nullptr);

    auto* page = new SkinUI::CChildLayoutUI();
    page->SetAttribute(L"xmlfile", L"page.xml");
    ASSERT_TRUE(w.window.root()->Add(page));
    ASSERT_NE(w.window.manager().FindControl(L"pagecontrol"), nullptr) << "the file was built";
    EXPECT_NE(w.window.manager().GetFont(c.fieldFont != nullptr ? 1 : -1), given)
        << "the font was not declared again";
    ASSERT_TRUE(::IsWindow(native));
    EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(native, WM_GETFONT, 0, 0)), given);
    LOGFONTW look = {};
    EXPECT_EQ(::GetObjectType(given), static_cast<DWORD>(OBJ_FONT)) << "the field's font is gone";
    EXPECT_NE(::GetObjectW(given, sizeof(look), &look), 0);
    EXPECT_EQ(look.lfHeight, -14);
    w.Type(L"x");
    ::RedrawWindow(native, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(std::wstring(w.edit->GetText().GetData()), L"x");
  }
  SkinUI::CWindowManagerUI::SetResourcePath(oldPath.GetData());
}

// Mark-up makes the fonts that its texts name under a ring of ids and frees a font when the ring
// moves on. A skin that names an id the ring once used (as the field's font, or declaring a Font
// under it) must not give the open native edit a font that the ring frees.
TEST(EditTest, AnOpenFieldKeepsItsFontWhileMarkUpMakesFontsOfItsOwn) {
  const struct {
    bool declared;  // the skin declares a Font under the id
    const char* what;
  } cases[] = {
      {false, "an id that the skin does not declare"},
      {true, "an id that the skin declares a Font under"},
  };
  auto heightOf = [](HFONT font) {
    LOGFONTW look = {};
    return ::GetObjectW(font, sizeof(look), &look) != 0 ? look.lfHeight : 0;
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EditWindow w;
    SkinUI::CWindowManagerUI& manager = w.window.manager();
    if (c.declared) {
      SkinUI::CSkinBuilderUI builder;
      builder.Create(SkinUI::CStringOrIdUI(
                         L"<Window><Font id=\"1073741824\" name=\"Tahoma\" size=\"17\"/></Window>"),
                     nullptr, nullptr, &manager);
      ASSERT_EQ(heightOf(manager.GetFont(1073741824)), -17);
    }
    w.edit->SetAttribute(L"font", L"1073741824");
    TestSupport::DibCanvas canvas(50, 50);
    // Each text names a font of its own.
    auto markUp = [&](int firstSize, int count) {
      for (int size = firstSize; size < firstSize + count; ++size) {
        const std::wstring text = L"<f Tahoma " + std::to_wstring(size) + L">X</f>";
        RECT rc = {0, 0, 9999, 100};
        SkinUI::CRenderUI::DrawHtmlText(canvas.dc(), &manager, rc, text.c_str(), 0xFF000000,
                                        nullptr, nullptr, nullptr, -1,
                                        DT_SINGLELINE | DT_CALCRECT);
      }
    };
    markUp(20, 64);  // as many fonts as the ring holds
    w.window.Attach();  // the field is the first tab stop: it opens
    const HWND native = w.Open();
    ASSERT_NE(native, nullptr);
    const auto given = reinterpret_cast<HFONT>(::SendMessageW(native, WM_GETFONT, 0, 0));
    ASSERT_NE(given, nullptr);
    const LONG height = heightOf(given);
    ASSERT_NE(height, 0);
    if (c.declared) {
      EXPECT_EQ(height, -17);
    }
    markUp(100, 200);  // the ring moves on over all its ids
    ASSERT_TRUE(::IsWindow(native));
    EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(native, WM_GETFONT, 0, 0)), given);
    EXPECT_EQ(::GetObjectType(given), static_cast<DWORD>(OBJ_FONT)) << "the field's font is gone";
    // A freed font's handle may come back for a font that mark-up makes next.
    EXPECT_EQ(heightOf(given), height) << "the field's font is gone";
    w.Type(L"x");
    ::RedrawWindow(native, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(std::wstring(w.edit->GetText().GetData()), L"x");
  }
}

TEST(EditTest, ClickingTheFocusedFieldOpensItAgain) {
  EditWindow w;
  w.window.Attach();
  const POINT pt = ControlsWindow::Centre(w.edit);
  w.window.ClickLeft(pt.x, pt.y);
  const HWND native = w.edit->GetNativeWindow();
  ASSERT_NE(native, nullptr);
  ::SetFocus(w.window.hwnd());
  ASSERT_TRUE(PumpUntil([&] { return w.edit->GetNativeWindow() == nullptr; }));
  EXPECT_TRUE(w.edit->IsFocused());
  w.window.ClickLeft(2, 2);  // on the padding, outside where the native window was
  EXPECT_NE(w.edit->GetNativeWindow(), nullptr);
}

TEST(EditTest, PasswordFieldHidesTheTextEverywhere) {
  EditWindow w;
  w.edit->SetAttribute(L"password", L"true");
  w.edit->SetText(L"abc");
  CEditUI* plain = w.window.Add(new CEditUI(), 200, 30, L"plain");
  plain->SetText(L"***");
  w.window.Attach();

  // The painted field shows exactly what a field with the text "***" shows.
  EXPECT_TRUE(ControlsTest::PaintsAlike(w.edit, plain));

  const HWND native = w.Open();
  ASSERT_NE(native, nullptr);
  EXPECT_TRUE(::GetWindowLongW(native, GWL_STYLE) & ES_PASSWORD);
  EXPECT_EQ(::SendMessageW(native, EM_GETPASSWORDCHAR, 0, 0), L'*');
  w.Type(L"d");
  EXPECT_EQ(std::wstring(w.edit->GetText().GetData()), L"abcd");
}

TEST(EditTest, NumberOnlyFieldTakesDigitsOnly) {
  EditWindow w;
  w.edit->SetAttribute(L"numberonly", L"true");
  w.window.Attach();
  const HWND native = w.Open();
  ASSERT_NE(native, nullptr);
  EXPECT_TRUE(::GetWindowLongW(native, GWL_STYLE) & ES_NUMBER);
  w.Type(L"4x2");
  EXPECT_EQ(std::wstring(w.edit->GetText().GetData()), L"42");
  EXPECT_EQ(w.Count(L"textchanged"), 2);
}

TEST(EditTest, MaximumLengthLimitsTyping) {
  const std::wstring many(300, L'x');
  const struct {
    const wchar_t* maxChar;
    const std::wstring typed;
    const std::wstring text;
    UINT limit;
  } cases[] = {
      {L"5", L"abcdefg", L"abcde", 5},
      {L"300", many, many, 300},
      {L"-3", many, many.substr(0, 255), 255},  // a negative limit keeps the default of 255
  };
  for (const auto& c : cases) {
    EditWindow w;
    w.edit->SetAttribute(L"maxchar", c.maxChar);
    EXPECT_EQ(w.edit->GetMaxChar(), c.limit) << static_cast<const void*>(c.maxChar);
    w.window.Attach();
    const HWND native = w.Open();
    ASSERT_NE(native, nullptr);
    EXPECT_EQ(static_cast<UINT>(::SendMessageW(native, EM_GETLIMITTEXT, 0, 0)), c.limit);
    w.Type(c.typed.c_str());
    EXPECT_EQ(std::wstring(w.edit->GetText().GetData()), c.text)
        << static_cast<const void*>(c.maxChar);
  }
  EditWindow w;
  w.edit->SetAttribute(L"maxchar", L"5");
  w.window.Attach();
  const HWND native = w.Open();
  EXPECT_EQ(::SendMessageW(native, EM_GETLIMITTEXT, 0, 0), 5);
  w.edit->SetMaxChar(8);
  EXPECT_EQ(::SendMessageW(native, EM_GETLIMITTEXT, 0, 0), 8) << "the open window follows";
}

TEST(EditTest, TipTextShowsWhileEmptyButIsNeverTheText) {
  EditWindow w;
  w.edit->SetAttribute(L"tipvalue", L"Choose a folder");
  w.edit->SetAttribute(L"tipvaluecolor", L"#FF808080");
  CEditUI* look = w.window.Add(new CEditUI(), 200, 30, L"look");
  look->SetText(L"Choose a folder");
  look->SetTextColor(0xFF808080);
  w.window.Attach();
  EXPECT_TRUE(w.edit->GetText().IsEmpty());

  EXPECT_TRUE(ControlsTest::PaintsAlike(w.edit, look));

  const HWND native = w.Open();
  ASSERT_NE(native, nullptr);
  EXPECT_EQ(WindowText(native), L"") << "typing starts in an empty field";
  w.Type(L"E");
  EXPECT_EQ(std::wstring(w.edit->GetText().GetData()), L"E");
}

TEST(EditTest, NativeColoursComeFromTheField) {
  EditWindow w;
  w.edit->SetAttribute(L"nativebkcolor", L"#FF00FF00");
  w.edit->SetAttribute(L"textcolor", L"#FF0000FF");
  w.window.Attach();
  const HWND native = w.Open();
  ASSERT_NE(native, nullptr);
  TestSupport::DibCanvas canvas(10, 10);
  const auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(
      w.window.hwnd(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(canvas.dc()),
      reinterpret_cast<LPARAM>(native)));
  ASSERT_NE(brush, nullptr);
  LOGBRUSH info = {};
  ASSERT_NE(::GetObjectW(brush, sizeof(info), &info), 0);
  EXPECT_EQ(info.lbColor, RGB(0, 255, 0));
  EXPECT_EQ(::GetTextColor(canvas.dc()), RGB(0, 0, 255));
}

TEST(EditTest, ReadOnlyFieldRefusesTyping) {
  EditWindow w;
  w.edit->SetText(L"fixed");
  w.edit->SetAttribute(L"readonly", L"true");
  w.window.Attach();
  const HWND native = w.Open();
  ASSERT_NE(native, nullptr);
  EXPECT_TRUE(::GetWindowLongW(native, GWL_STYLE) & ES_READONLY);
  w.Type(L"x");
  EXPECT_EQ(std::wstring(w.edit->GetText().GetData()), L"fixed");
}

}  // namespace
