// The rich edit in a real window: the system's windowless text services behind the text host,
// fed with the window's own messages (characters, keys, the wheel, clicks) and painted into
// 32-bit DIBs.
//
// What Wine's text services (riched20 behind msftedit, Wine 8) leave unexercised here: they never
// ask the host for its timers, maximum length, extent, view inset, accelerator position, input
// context, screen mapping or activation, and never show a bar through TxShowScrollBar; they read
// the back style, the rich flag and the default character format only when they are made, so a
// later change is checked in the host's answers, not in what they paint; they do not cut a text
// set through EM_REPLACESEL at the limit (typing is cut); and they end the text both ways on
// SB_BOTTOM and SB_RIGHT.
#include <gtest/gtest.h>

#include <windows.h>
#include <imm.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "controls_fixture.h"
#include "periphery_fixture.h"
#include "test_support.h"
#include "ui_controls/installer/ui_button.h"
#include "ui_controls/periphery/ui_rich_edit.h"
#include "ui_controls/periphery/ui_text_host.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/manager/ui_scrollbar.h"

namespace {

using ControlsTest::ControlsWindow;
using SkinUI::CRichEditUI;
using PeripheryTest::AllRgb;
using PeripheryTest::CountRgbInColumn;
using TestSupport::DibCanvas;

// Holds (or releases) a key in this thread's key state, as GetKeyState reads it.
class HeldKey {
public:
  explicit HeldKey(int key) : key_(key) { Set(true); }
  ~HeldKey() { Set(false); }
  HeldKey(const HeldKey&) = delete;
  HeldKey& operator=(const HeldKey&) = delete;

private:
  void Set(bool down) {
    BYTE state[256] = {};
    ::GetKeyboardState(state);
    state[key_] = down ? 0x80 : 0;
    ::SetKeyboardState(state);
  }
  int key_;
};

std::wstring Lines(int count) {
  std::wstring text;
  for (int i = 0; i < count; ++i) text += L"line " + std::to_wstring(i) + L"\r";
  return text;
}

// A 300 x 100 rich edit named "notes" at the top of the window and a button below it.
struct RichWindow {
  ControlsWindow window;
  CRichEditUI* edit;
  SkinUI::CButtonUI* button;

  explicit RichWindow(int width = 300, int height = 100)
      : edit(window.Add(new CRichEditUI(), width, height, L"notes")),
        button(window.Add(new SkinUI::CButtonUI(), 100, 30, L"okBtn")) {}

  void Attach() {
    window.Attach();
    edit->SetFocus();
  }
  // Characters as the window receives them after TranslateMessage.
  void Type(const std::wstring& text) {
    for (const wchar_t ch : text) ::SendMessageW(window.hwnd(), WM_CHAR, ch, 1);
  }
  // A key as the window receives it, with its character when it has one.
  void Press(WPARAM key, wchar_t ch = 0) {
    ::SendMessageW(window.hwnd(), WM_KEYDOWN, key, 1);
    if (ch != 0) ::SendMessageW(window.hwnd(), WM_CHAR, ch, 1);
    ::SendMessageW(window.hwnd(), WM_KEYUP, key, 0xC0000001);
  }
  int Count(const wchar_t* type) { return window.recorder().Count(type, L"notes"); }
  std::wstring Text() { return edit->GetText().GetData(); }
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    LRESULT result = 0;
    edit->TxSendMessage(message, wParam, lParam, &result);
    return result;
  }
  // With a vertical bar and `lines` lines of text, attached and laid out; the bar.
  SkinUI::CScrollBarUI* AttachWithLines(int lines) {
    edit->SetAttribute(L"vscrollbar", L"true");
    edit->SetAttribute(L"autovscroll", L"true");
    edit->SetText(Lines(lines).c_str());
    Attach();
    window.Repaint();
    return edit->GetVerticalScrollBar();
  }
  CHARFORMAT2W DefaultCharFormat() {
    CHARFORMAT2W format = {};
    format.cbSize = sizeof(format);
    Send(EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    return format;
  }
};

TEST(RichEditTest, TypedCharactersBecomeTheTextAndAreReported) {
  RichWindow w;
  w.Attach();
  ASSERT_NE(w.edit->GetTxtWinHost(), nullptr) << "the text services of msftedit.dll";
  ASSERT_TRUE(w.edit->IsFocused());
  w.Type(L"abc");
  EXPECT_EQ(w.Text(), L"abc");
  EXPECT_EQ(w.Count(L"textchanged"), 3);
  w.Press(VK_BACK, L'\b');
  EXPECT_EQ(w.Text(), L"ab");
  EXPECT_EQ(w.Count(L"textchanged"), 4);
}

TEST(RichEditTest, KeysReachTheTextOnlyWhileItHasTheFocus) {
  RichWindow w;
  w.Attach();
  w.window.manager().SetFocus(w.button);
  ASSERT_FALSE(w.edit->IsFocused());
  w.Type(L"xy");
  EXPECT_EQ(w.Text(), L"");
  EXPECT_EQ(w.Count(L"textchanged"), 0);
}

TEST(RichEditTest, SetTextReplacesTheWholeTextAndGetTextReadsIt) {
  RichWindow w;
  w.edit->SetText(L"before the window");
  w.Attach();
  EXPECT_EQ(w.Text(), L"before the window") << "the initial text goes to the services";
  w.edit->SetText(L"first\rsecond");
  EXPECT_EQ(w.Text(), L"first\rsecond");
  w.edit->SetText(L"");
  EXPECT_EQ(w.Text(), L"");
}

TEST(RichEditTest, EnterFollowsTheWantReturnFlags) {
  const struct {
    const wchar_t* wantReturn;
    const wchar_t* wantCtrlReturn;
    bool ctrl;
    bool reported;  // "return" sent, the text unchanged
  } cases[] = {
      {L"true", L"true", false, false},
      {L"false", L"true", false, true},
      {L"true", L"false", false, false},
      {L"true", L"false", true, true},  // Ctrl+Enter refused even when Enter is wanted
      {L"false", L"false", true, true},
  };
  for (const auto& c : cases) {
    RichWindow w;
    w.edit->SetAttribute(L"wantreturn", c.wantReturn);
    w.edit->SetAttribute(L"wantctrlreturn", c.wantCtrlReturn);
    w.Attach();
    w.Type(L"ab");
    {
      std::unique_ptr<HeldKey> ctrl(c.ctrl ? new HeldKey(VK_CONTROL) : nullptr);
      w.Press(VK_RETURN, c.ctrl ? L'\n' : L'\r');
    }
    const std::wstring label = std::wstring(c.wantReturn) + L"/" + c.wantCtrlReturn +
                               (c.ctrl ? L"/ctrl" : L"");
    EXPECT_EQ(w.Count(L"return"), c.reported ? 1 : 0) << label.c_str();
    if (c.reported) {
      EXPECT_EQ(w.Text(), L"ab") << label.c_str();
    } else if (!c.ctrl) {
      EXPECT_EQ(w.Text(), L"ab\r") << label.c_str();
    }
  }
}

TEST(RichEditTest, TypingReplacesTheSelection) {
  RichWindow w;
  w.edit->SetText(L"hello world");
  w.Attach();
  w.edit->SetSel(0, 5);
  CHARRANGE range = w.edit->GetSel();
  EXPECT_EQ(range.cpMin, 0);
  EXPECT_EQ(range.cpMax, 5);
  w.Type(L"J");
  EXPECT_EQ(w.Text(), L"J world");
  range = w.edit->GetSel();
  EXPECT_EQ(range.cpMin, 1);
  EXPECT_EQ(range.cpMax, 1);

  // Shift+End selects to the end of the line; typing replaces it.
  {
    HeldKey shift(VK_SHIFT);
    w.Press(VK_END);
  }
  range = w.edit->GetSel();
  EXPECT_EQ(range.cpMin, 1);
  EXPECT_EQ(range.cpMax, 7);
  w.Type(L"!");
  EXPECT_EQ(w.Text(), L"J!");
}

TEST(RichEditTest, SelectionChangesReachTheWindowAsNotifications) {
  TestSupport::TestHostWindow host;
  ASSERT_NE(PeripheryTest::BuildSkin(host, L"<Window size=\"400,300\"><VerticalLayout>"
                                           L"<RichEdit name=\"rich\" height=\"100\"/>"
                                           L"</VerticalLayout></Window>"),
            nullptr);
  auto* edit = static_cast<CRichEditUI*>(host.manager().FindControl(L"rich"));
  ASSERT_NE(edit, nullptr);
  edit->SetText(L"some text");
  host.received.clear();
  host.recordMessages = true;
  edit->SetSel(2, 4);
  host.recordMessages = false;
  EXPECT_NE(std::find(host.received.begin(), host.received.end(), static_cast<UINT>(WM_NOTIFY)),
            host.received.end())
      << "EN_SELCHANGE goes to the window as WM_NOTIFY";
}

TEST(RichEditTest, ReadOnlyTextRefusesTyping) {
  RichWindow w;
  w.edit->SetText(L"fixed");
  w.edit->SetAttribute(L"readonly", L"true");
  w.Attach();
  EXPECT_TRUE(w.edit->IsReadOnly());
  w.Type(L"xyz");
  w.Press(VK_BACK, L'\b');
  EXPECT_EQ(w.Text(), L"fixed");
  EXPECT_EQ(w.Count(L"textchanged"), 0);
}

TEST(RichEditTest, PasswordTextShowsStars) {
  RichWindow w;
  w.edit->SetAttribute(L"password", L"true");
  w.edit->SetText(L"abc");
  CRichEditUI* plain = w.window.Add(new CRichEditUI(), 300, 100, L"plain");
  plain->SetText(L"***");
  w.Attach();
  w.window.manager().SetFocus(w.button);  // no caret or selection in either paint
  EXPECT_EQ(w.edit->GetTxtWinHost()->GetPasswordChar(), L'*')
      << "a password field without a character of its own";
  EXPECT_EQ(w.Text(), L"abc") << "the text itself stays";
  EXPECT_TRUE(ControlsTest::PaintsAlike(w.edit, plain)) << "the stars and nothing else";
}

TEST(RichEditTest, FullTextTakesNoMoreCharacters) {
  RichWindow w;
  w.Attach();
  EXPECT_EQ(w.edit->GetLimitText(), 32767);
  EXPECT_EQ(w.Send(EM_GETLIMITTEXT), 32767);
  std::wstring full;
  while (full.size() < 32767) full += std::wstring(99, L'x') + L"\r";
  full.resize(32767);
  w.edit->SetText(full.c_str());
  ASSERT_EQ(w.Text().size(), 32767u);
  w.Type(L"yz");
  EXPECT_EQ(w.Text().size(), 32767u);
  w.Press(VK_BACK, L'\b');
  w.Type(L"yz");
  EXPECT_EQ(w.Text().size(), 32767u) << "room for one character only";
}

TEST(RichEditTest, LongLinesWrapUnlessTheTextScrollsSideways) {
  const std::wstring longLine(200, L'w');
  const struct {
    const wchar_t* attribute;
    bool wraps;
  } cases[] = {
      {nullptr, true},
      {L"autohscroll", false},
      {L"hscrollbar", false},
  };
  for (const auto& c : cases) {
    RichWindow w(120, 100);
    if (c.attribute != nullptr) w.edit->SetAttribute(c.attribute, L"true");
    w.edit->SetText((longLine + L" " + longLine).c_str());
    w.Attach();
    const int lines = w.edit->GetLineCount();
    if (c.wraps) {
      EXPECT_GT(lines, 2) << "no attribute";
    } else {
      EXPECT_EQ(lines, 1) << c.attribute;
    }
  }
}

TEST(RichEditTest, ScrollBarAttributesSetTheStyleAndMakeTheBars) {
  RichWindow w;
  w.edit->SetAttribute(L"vscrollbar", L"true");
  w.edit->SetAttribute(L"hscrollbar", L"true");
  w.edit->SetAttribute(L"autovscroll", L"true");
  const DWORD style = w.edit->GetEditStyle();
  EXPECT_TRUE(style & WS_VSCROLL);
  EXPECT_TRUE(style & WS_HSCROLL);
  EXPECT_TRUE(style & ES_DISABLENOSCROLL);
  EXPECT_TRUE(style & ES_AUTOVSCROLL);
  EXPECT_NE(w.edit->GetVerticalScrollBar(), nullptr);
  EXPECT_NE(w.edit->GetHorizontalScrollBar(), nullptr);

  RichWindow none;
  none.edit->SetAttribute(L"vscrollbar", L"false");
  EXPECT_FALSE(none.edit->GetEditStyle() & WS_VSCROLL);
  EXPECT_EQ(none.edit->GetVerticalScrollBar(), nullptr);
}

TEST(RichEditTest, VerticalBarAppearsWhenTheTextOutgrowsTheView) {
  RichWindow w;
  w.edit->SetAttribute(L"vscrollbar", L"true");
  w.edit->SetAttribute(L"autovscroll", L"true");
  w.edit->SetText(L"short");
  w.Attach();
  SkinUI::CScrollBarUI* bar = w.edit->GetVerticalScrollBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_FALSE(bar->IsVisible()) << "the text fits";

  w.edit->SetText(Lines(40).c_str());
  w.window.Repaint();
  ASSERT_TRUE(bar->IsVisible());
  EXPECT_GT(bar->GetScrollRange(), 0);
  // The bar stands at the right edge of the control, and the text's view leaves room for it.
  const RECT item = w.edit->GetPos();
  const RECT placed = bar->GetPos();
  EXPECT_EQ(placed.right, item.right);
  EXPECT_EQ(placed.top, item.top);
  EXPECT_EQ(placed.bottom, item.bottom);
  EXPECT_EQ(w.edit->GetTxtWinHost()->GetClientRect().right, placed.left);

  w.edit->SetText(L"short again");
  w.window.Repaint();
  EXPECT_FALSE(bar->IsVisible());

  // A control the skin gave no bar gets none from its text services.
  RichWindow plain;
  plain.edit->SetText(Lines(40).c_str());
  plain.Attach();
  plain.window.Repaint();
  EXPECT_EQ(plain.edit->GetVerticalScrollBar(), nullptr);
  EXPECT_EQ(plain.edit->GetHorizontalScrollBar(), nullptr);
}

TEST(RichEditTest, WheelWithoutCtrlScrollsThroughTheBarAndWithCtrlGoesToTheText) {
  RichWindow w;
  SkinUI::CScrollBarUI* bar = w.AttachWithLines(60);
  ASSERT_NE(bar, nullptr);
  ASSERT_TRUE(bar->IsVisible());
  w.edit->HomeUp();
  ASSERT_EQ(bar->GetScrollPos(), 0);
  const LRESULT firstLine = w.Send(EM_GETFIRSTVISIBLELINE);

  const POINT centre = ControlsWindow::Centre(w.edit);
  w.window.Wheel(centre.x, centre.y, false);
  EXPECT_GT(bar->GetScrollPos(), 0);
  EXPECT_GT(w.Send(EM_GETFIRSTVISIBLELINE), firstLine);
  w.window.Wheel(centre.x, centre.y, true);
  EXPECT_EQ(bar->GetScrollPos(), 0);

  // With Ctrl the message goes to the text services themselves: they zoom, they do not scroll.
  POINT screen = centre;
  ::ClientToScreen(w.window.hwnd(), &screen);
  HeldKey ctrl(VK_CONTROL);
  ::SendMessageW(w.window.hwnd(), WM_MOUSEWHEEL,
                 MAKEWPARAM(MK_CONTROL, static_cast<WORD>(-WHEEL_DELTA)),
                 MAKELPARAM(screen.x, screen.y));
  EXPECT_EQ(bar->GetScrollPos(), 0);
  EXPECT_EQ(w.Send(EM_GETFIRSTVISIBLELINE), firstLine);
}

TEST(RichEditTest, ScrollStepsMoveTheTextAndItsBar) {
  RichWindow w;
  SkinUI::CScrollBarUI* bar = w.AttachWithLines(60);
  ASSERT_TRUE(bar != nullptr && bar->IsVisible());
  w.edit->HomeUp();
  EXPECT_EQ(w.Send(EM_GETFIRSTVISIBLELINE), 0);
  w.edit->EndDown();
  EXPECT_EQ(bar->GetScrollPos(), bar->GetScrollRange());
  EXPECT_GT(w.Send(EM_GETFIRSTVISIBLELINE), 40);
  w.edit->PageUp();
  EXPECT_LT(bar->GetScrollPos(), bar->GetScrollRange());
  w.edit->HomeUp();
  w.edit->LineDown();
  EXPECT_EQ(w.Send(EM_GETFIRSTVISIBLELINE), 1);
  // Dragging the thumb ends in SetScrollPos: the text follows the bar.
  w.edit->SetScrollPos(SIZE{0, bar->GetScrollRange() / 2});
  const LRESULT middle = w.Send(EM_GETFIRSTVISIBLELINE);
  EXPECT_GT(middle, 10);
  EXPECT_LT(middle, 50);
}

TEST(RichEditTest, TabIsTypedWhenWantedAndMovesTheFocusOtherwise) {
  for (const bool wantTab : {true, false}) {
    RichWindow w;
    if (!wantTab) w.edit->SetAttribute(L"wanttab", L"false");
    w.Attach();
    EXPECT_EQ(w.edit->IsWantTab(), wantTab);
    EXPECT_EQ(w.edit->GetInterface(L"WantTab") != nullptr, wantTab);
    // What the modal loop does with the key: the managers see it first, then it is dispatched.
    MSG msg = {w.window.hwnd(), WM_KEYDOWN, VK_TAB, 1, 0, {0, 0}};
    const bool consumed = SkinUI::CWindowManagerUI::TranslateMessage(&msg);
    if (!consumed) w.Press(VK_TAB, L'\t');
    EXPECT_EQ(consumed, !wantTab);
    EXPECT_EQ(w.Text(), wantTab ? L"\t" : L"");
    EXPECT_EQ(w.edit->IsFocused(), wantTab);
    EXPECT_EQ(w.button->IsFocused(), !wantTab);
  }
}

TEST(RichEditTest, ClickFocusesTheControlAndPlacesTheCaret) {
  RichWindow w;
  w.edit->SetText(L"abcdefgh");
  CRichEditUI* second = w.window.Add(new CRichEditUI(), 300, 60, L"second");
  second->SetText(L"0123456789");
  w.Attach();
  ASSERT_TRUE(w.edit->IsFocused());
  second->SetSel(-1, -1);
  const RECT& item = second->GetPos();
  w.window.ClickLeft(item.left + 1, item.top + 5);
  EXPECT_TRUE(second->IsFocused());
  EXPECT_FALSE(w.edit->IsFocused());
  EXPECT_EQ(second->GetSel().cpMin, 0) << "the caret before the first character";
  w.Type(L"-");
  EXPECT_EQ(std::wstring(second->GetText().GetData()), L"-0123456789");
  EXPECT_EQ(w.Text(), L"abcdefgh");
}

TEST(RichEditTest, FontAndTextColourMakeTheDefaultCharacterFormat) {
  RichWindow w;
  w.window.manager().AddFont(3, L"Tahoma", 20, true, false, true);
  w.edit->SetAttribute(L"font", L"3");
  w.edit->SetAttribute(L"textcolor", L"  #FF204060");
  w.Attach();
  CHARFORMAT2W format = w.DefaultCharFormat();
  EXPECT_EQ(format.crTextColor, RGB(0x20, 0x40, 0x60));
  EXPECT_TRUE(format.dwEffects & CFE_BOLD);
  EXPECT_TRUE(format.dwEffects & CFE_ITALIC);
  EXPECT_FALSE(format.dwEffects & CFE_UNDERLINE);
  LOGFONTW look = {};
  ASSERT_NE(::GetObjectW(w.window.manager().GetFont(3), sizeof(look), &look), 0);
  const int dpi = ::GetDeviceCaps(w.window.manager().GetPaintDC(), LOGPIXELSY);
  EXPECT_EQ(format.yHeight, look.lfHeight * -1440 / dpi);

  // A later colour goes into the host's default format at once (the services are told of it).
  w.edit->SetTextColor(0xFF0000FF);
  const CHARFORMATW* hostFormat = nullptr;
  ASSERT_EQ(w.edit->GetTxtWinHost()->TxGetCharFormat(&hostFormat), S_OK);
  EXPECT_EQ(hostFormat->crTextColor, RGB(0, 0, 0xFF));
  // So does a later font, keeping the colour. (Wine's services ignore the change they are told
  // of: their own default format stays as it was made.)
  w.window.manager().AddFont(5, L"Courier New", 30, false, true, false);
  w.edit->SetFont(5);
  ASSERT_EQ(w.edit->GetTxtWinHost()->TxGetCharFormat(&hostFormat), S_OK);
  EXPECT_EQ(std::wstring(hostFormat->szFaceName), L"Courier New");
  EXPECT_TRUE(hostFormat->dwEffects & CFE_UNDERLINE);
  EXPECT_FALSE(hostFormat->dwEffects & CFE_BOLD);
  EXPECT_EQ(hostFormat->crTextColor, RGB(0, 0, 0xFF));
}

TEST(RichEditTest, RichAndPlainTextModes) {
  for (const bool rich : {true, false}) {
    RichWindow w;
    w.edit->SetAttribute(L"rich", rich ? L"true" : L"false");
    w.Attach();
    EXPECT_EQ(w.edit->IsRich(), rich);
    EXPECT_TRUE(w.Send(EM_GETTEXTMODE) & (rich ? TM_RICHTEXT : TM_PLAINTEXT)) << rich;
    // Switched while the text is empty: the host reports the new mode and tells the services
    // (Wine's services keep the mode they were made with).
    w.edit->SetRich(!rich);
    DWORD bits = 0;
    w.edit->GetTxtWinHost()->TxGetPropertyBits(TXTBIT_RICHTEXT, &bits);
    EXPECT_EQ(bits, rich ? 0u : static_cast<DWORD>(TXTBIT_RICHTEXT)) << rich;
  }
}

TEST(RichEditTest, AlignmentAttributeAlignsTheParagraphs) {
  const struct {
    const wchar_t* value;
    WORD alignment;
  } cases[] = {
      {L"left", PFA_LEFT},
      {L"center", PFA_CENTER},
      {L"right", PFA_RIGHT},
      {L"left,right", PFA_RIGHT},  // the last match wins
  };
  for (const auto& c : cases) {
    RichWindow w;
    w.edit->SetAttribute(L"align", c.value);
    w.edit->SetText(L"text");
    w.Attach();
    PARAFORMAT2 format = {};
    format.cbSize = sizeof(format);
    w.Send(EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
    EXPECT_EQ(format.wAlignment, c.alignment) << c.value;
  }
}

TEST(RichEditTest, TextIsPaintedInsideThePaddingOverTheBackground) {
  RichWindow w;
  w.edit->SetAttribute(L"bkcolor", L"#FFFFFFFF");
  w.edit->SetAttribute(L"textpadding", L"20,30,4,4");
  w.edit->SetAttribute(L"textcolor", L"#FF000000");
  w.edit->SetText(L"WWWW MMMM");
  w.Attach();
  w.window.manager().SetFocus(w.button);
  const RECT client = w.edit->GetTxtWinHost()->GetClientRect();
  const RECT item = w.edit->GetPos();
  EXPECT_EQ(client.left, item.left + 20);
  EXPECT_EQ(client.top, item.top + 30);
  EXPECT_EQ(client.right, item.right - 4);
  EXPECT_EQ(client.bottom, item.bottom - 4);

  auto canvas = w.window.Paint(0xFF808080);
  EXPECT_TRUE(AllRgb(*canvas, RECT{item.left, item.top, item.right, client.top}, 0xFFFFFF))
      << "the padding shows only the background";
  EXPECT_TRUE(AllRgb(*canvas, RECT{item.left, item.top, client.left, item.bottom}, 0xFFFFFF));
  EXPECT_FALSE(AllRgb(*canvas, RECT{client.left, client.top, client.right, client.top + 20},
                      0xFFFFFF))
      << "the text is drawn";
}

TEST(RichEditTest, TransparentTextLeavesWhatLiesBehindIt) {
  const struct {
    const wchar_t* attribute;
    bool switchedLater;  // SetTransparent with the other value once the services exist
    bool transparent;    // what the paint shows in the end
  } cases[] = {
      {L"true", false, true},
      {L"false", false, false},
      {L"true", true, false},
      {L"false", true, true},
  };
  for (const auto& c : cases) {
    RichWindow w;
    w.edit->SetAttribute(L"transparent", c.attribute);
    w.edit->SetText(L"x");
    w.Attach();
    w.window.manager().SetFocus(w.button);
    if (c.switchedLater) w.edit->SetTransparent(!w.edit->IsTransparent());
    const std::string label = TestSupport::ToUtf8(c.attribute) + (c.switchedLater ? " then switched" : "");
    EXPECT_EQ(w.edit->IsTransparent(), c.transparent) << label;
    TXTBACKSTYLE style = TXTBACK_OPAQUE;
    ASSERT_EQ(w.edit->GetTxtWinHost()->TxGetBackStyle(&style), S_OK);
    EXPECT_EQ(style, c.transparent ? TXTBACK_TRANSPARENT : TXTBACK_OPAQUE) << label;
    // Wine's services read the back style only when they are made and ignore the change
    // announced later: what they paint then is theirs.
    if (c.switchedLater) continue;
    auto canvas = w.window.Paint(0xFF808080);
    const RECT& item = w.edit->GetPos();
    // Below the one line of text.
    const RECT below = {item.left, item.top + 50, item.right, item.bottom};
    if (c.transparent) {
      EXPECT_TRUE(AllRgb(*canvas, below, 0x808080)) << label;
    } else {
      const COLORREF window = ::GetSysColor(COLOR_WINDOW);
      EXPECT_TRUE(AllRgb(*canvas, below,
                         (GetRValue(window) << 16) | (GetGValue(window) << 8) | GetBValue(window)))
          << label << ": the services paint the window colour";
    }
  }
}

TEST(RichEditTest, TextServicesAreCreatedOnceAndReleasedWithTheControl) {
  const int before = SkinUI::CTxtWinHost::LiveCount();
  {
    RichWindow w;
    EXPECT_EQ(w.edit->GetTxtWinHost(), nullptr) << "made when the control joins a window";
    w.Attach();
    SkinUI::CTxtWinHost* host = w.edit->GetTxtWinHost();
    ASSERT_NE(host, nullptr);
    ITextServices* services = host->GetTextServices();
    ASSERT_NE(services, nullptr);
    EXPECT_EQ(SkinUI::CTxtWinHost::LiveCount(), before + 1);

    // Joining again (a second Init) makes nothing new.
    w.edit->SetManager(&w.window.manager(), w.window.root(), true);
    EXPECT_EQ(w.edit->GetTxtWinHost(), host);
    EXPECT_EQ(host->GetTextServices(), services);
    EXPECT_EQ(SkinUI::CTxtWinHost::LiveCount(), before + 1);

    // The control holds exactly one reference to the services.
    EXPECT_EQ(services->AddRef(), 2u);
    EXPECT_EQ(services->Release(), 1u);
  }
  EXPECT_EQ(SkinUI::CTxtWinHost::LiveCount(), before) << "the host went with the control";
}

TEST(RichEditTest, HostAnswersItsInterfaceIds) {
  RichWindow w;
  w.Attach();
  SkinUI::CTxtWinHost* host = w.edit->GetTxtWinHost();
  ASSERT_NE(host, nullptr);
  const IID documented = {0xC5BDD8D0, 0xD26E, 0x11CE, {0xA8, 0x9E, 0x00, 0xAA, 0x00, 0x6C, 0xAD, 0xC5}};
  const IID exported = {0x13E670F4, 0x1A5A, 0x11CF, {0xAB, 0xEB, 0x00, 0xAA, 0x00, 0xB6, 0x5E, 0xA1}};
  for (const IID& iid : {IID_IUnknown, documented, exported}) {
    void* object = nullptr;
    ASSERT_EQ(host->QueryInterface(iid, &object), S_OK);
    EXPECT_EQ(object, static_cast<ITextHost*>(host));
    host->Release();
  }
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(host->QueryInterface(IID_IDispatch, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
}

TEST(RichEditTest, NonLayeredWindowDrawsNoCaretOfItsOwn) {
  RichWindow w;
  w.edit->SetAttribute(L"bkcolor", L"#FFFFFFFF");
  w.Attach();
  ASSERT_TRUE(w.edit->IsFocused());
  ASSERT_TRUE(w.edit->GetTxtWinHost()->IsShowCaret());
  auto canvas = w.window.Paint();
  EXPECT_TRUE(AllRgb(*canvas, w.edit->GetPos(), 0xFFFFFF))
      << "the system shows the caret of a normal window";
  EXPECT_FALSE(w.window.manager().KillTimer(w.edit, 20)) << "no blink timer runs";
}

TEST(RichEditTest, LayeredWindowDrawsTheCaretAndBlinksIt) {
  RichWindow w;
  w.window.manager().SetLayered(true);
  w.edit->SetAttribute(L"bkcolor", L"#FFFFFFFF");
  w.Attach();
  ::SetFocus(w.window.hwnd());
  w.edit->SetFocus();
  SkinUI::CTxtWinHost* host = w.edit->GetTxtWinHost();
  ASSERT_TRUE(w.edit->IsFocused());
  ASSERT_TRUE(host->IsShowCaret());
  const POINT caret = host->GetCaretPos();
  ASSERT_GT(host->GetCaretHeight(), 0);

  auto canvas = w.window.Paint();
  EXPECT_GE(CountRgbInColumn(*canvas, caret.x, caret.y, caret.y + host->GetCaretHeight(), 0),
            host->GetCaretHeight() - 1)
      << "a black line where the caret stands";

  // The blink timer turns it off.
  ASSERT_EQ(::GetFocus(), w.window.hwnd());
  SkinUI::TInputEventUI tick;
  tick.type = SkinUI::kEventTimer;
  tick.wParam = 20;
  w.edit->Event(tick);
  canvas = w.window.Paint();
  EXPECT_TRUE(AllRgb(*canvas, w.edit->GetPos(), 0xFFFFFF));
  EXPECT_TRUE(w.window.manager().KillTimer(w.edit, 20)) << "the blink timer ran";
}

TEST(RichEditTest, SkinBuildsRichEditAndSurvivesMalformedAttributes) {
  TestSupport::TestHostWindow host;
  ASSERT_NE(PeripheryTest::BuildSkin(
          host,
          L"<Window size=\"400,300\"><VerticalLayout>"
          L"<RichEdit name=\"rich\" height=\"100\" vscrollbar=\"true\" wantreturn=\"false\" "
          L"textpadding=\"1,2\" textcolor=\"#zz\" font=\"99999999999\" align=\"\" "
          L"multiline=\"false\" readonly=\"yes\"/>"
          L"<RichEdit name=\"bad\" height=\"50\" textpadding=\"-5,x,,9999999999\" "
          L"textcolor=\"\" font=\"-7\" transparent=\"no\"/>"
          L"<RichEdit name=\"huge\" height=\"50\" textpadding=\"2147483647,2147483647,9,9\" "
          L"inset=\"2147483647,0,2147483647,0\" vscrollbar=\"true\"/>"
          L"</VerticalLayout></Window>"),
      nullptr);
  auto* rich = static_cast<CRichEditUI*>(host.manager().FindControl(L"rich"));
  ASSERT_NE(rich, nullptr);
  EXPECT_EQ(std::wstring(rich->GetClass()), L"RichEdit");
  EXPECT_EQ(rich->GetInterface(L"RichEdit"), rich);
  EXPECT_NE(rich->GetVerticalScrollBar(), nullptr);
  EXPECT_FALSE(rich->IsWantReturn());
  EXPECT_FALSE(rich->IsReadOnly()) << "only \"true\" sets it";
  EXPECT_FALSE(rich->GetEditStyle() & ES_MULTILINE);
  EXPECT_EQ(rich->GetTextPadding().left, 1);
  EXPECT_EQ(rich->GetTextPadding().top, 2);
  EXPECT_NE(host.manager().FindControl(L"bad"), nullptr);
  host.Repaint();
  // Insets and paddings past the control's size leave an empty text rectangle, not an inverted
  // or wrapped one.
  for (const wchar_t* name : {L"bad", L"huge"}) {
    auto* edit = static_cast<CRichEditUI*>(host.manager().FindControl(name));
    ASSERT_NE(edit, nullptr);
    ASSERT_NE(edit->GetTxtWinHost(), nullptr);
    const RECT client = edit->GetTxtWinHost()->GetClientRect();
    EXPECT_LE(client.left, client.right) << name;
    EXPECT_LE(client.top, client.bottom) << name;
    const RECT& item = edit->GetPos();
    EXPECT_GE(client.left, item.left) << name << ": a negative padding counts as 0";
    edit->SetText(L"still works");
    EXPECT_EQ(std::wstring(edit->GetText().GetData()), L"still works") << name;
  }
}

// The position the text services report for one bar (their own truth, not the skinned bar's).
LONG ServicesScrollPos(CRichEditUI* edit, bool vertical) {
  LONG minPos = 0, maxPos = 0, pos = 0, page = 0;
  WINBOOL enabled = FALSE;
  ITextServices* services = edit->GetTxtWinHost()->GetTextServices();
  if (vertical) {
    services->TxGetVScroll(&minPos, &maxPos, &pos, &page, &enabled);
  } else {
    services->TxGetHScroll(&minPos, &maxPos, &pos, &page, &enabled);
  }
  return pos;
}

TEST(RichEditTest, EveryScrollStepMovesTheTextItsWay) {
  enum Where { kLess, kMore, kStart, kEnd };
  const struct {
    const char* name;
    void (CRichEditUI::*step)();
    bool vertical;
    Where where;
  } cases[] = {
      {"LineUp", &CRichEditUI::LineUp, true, kLess},
      {"LineDown", &CRichEditUI::LineDown, true, kMore},
      {"PageUp", &CRichEditUI::PageUp, true, kLess},
      {"PageDown", &CRichEditUI::PageDown, true, kMore},
      {"HomeUp", &CRichEditUI::HomeUp, true, kStart},
      {"EndDown", &CRichEditUI::EndDown, true, kEnd},
      {"LineLeft", &CRichEditUI::LineLeft, false, kLess},
      {"LineRight", &CRichEditUI::LineRight, false, kMore},
      {"PageLeft", &CRichEditUI::PageLeft, false, kLess},
      {"PageRight", &CRichEditUI::PageRight, false, kMore},
      {"HomeLeft", &CRichEditUI::HomeLeft, false, kStart},
      {"EndRight", &CRichEditUI::EndRight, false, kEnd},
  };
  RichWindow w;
  w.edit->SetAttribute(L"vscrollbar", L"true");
  w.edit->SetAttribute(L"hscrollbar", L"true");
  w.edit->SetAttribute(L"autohscroll", L"true");
  std::wstring text;
  for (int i = 0; i < 60; ++i) text += std::wstring(300, static_cast<wchar_t>(L'a' + i % 26)) + L"\r";
  w.edit->SetText(text.c_str());
  w.Attach();
  w.window.Repaint();
  SkinUI::CScrollBarUI* bars[] = {w.edit->GetHorizontalScrollBar(), w.edit->GetVerticalScrollBar()};
  ASSERT_TRUE(bars[0] != nullptr && bars[0]->IsVisible());
  ASSERT_TRUE(bars[1] != nullptr && bars[1]->IsVisible());
  for (const auto& c : cases) {
    SkinUI::CScrollBarUI* bar = bars[c.vertical ? 1 : 0];
    // From the middle of the range both ways are open.
    const int middle = bar->GetScrollRange() / 2;
    w.edit->SetScrollPos(c.vertical ? SIZE{0, middle} : SIZE{middle, 0});
    w.edit->SetScrollPos(c.vertical ? SIZE{0, middle} : SIZE{middle, 0});
    const LONG before = ServicesScrollPos(w.edit, c.vertical);
    ASSERT_GT(before, 0) << c.name;
    const LONG otherBefore = ServicesScrollPos(w.edit, !c.vertical);
    (w.edit->*c.step)();
    const LONG after = ServicesScrollPos(w.edit, c.vertical);
    switch (c.where) {
      case kLess:
        EXPECT_LT(after, before) << c.name;
        break;
      case kMore:
        EXPECT_GT(after, before) << c.name;
        break;
      case kStart:
        EXPECT_EQ(after, 0) << c.name;
        break;
      case kEnd:
        EXPECT_GT(after, before) << c.name;
        EXPECT_EQ(bar->GetScrollPos(), bar->GetScrollRange()) << c.name;
        break;
    }
    EXPECT_EQ(bar->GetScrollPos(), after) << c.name << ": the bar follows the text";
    // Wine's services take the end of the text as the end both ways; the other steps keep
    // the other axis where it was.
    if (c.where != kEnd) {
      EXPECT_EQ(ServicesScrollPos(w.edit, !c.vertical), otherBefore) << c.name;
    }
  }
}

TEST(RichEditTest, WithoutTextServicesTheControlOnlyKeepsItsSettings) {
  // Before the control joins a window it has no text services: what a control has when
  // msftedit.dll cannot be loaded.
  RichWindow w;
  CRichEditUI* edit = w.edit;
  ASSERT_EQ(edit->GetTxtWinHost(), nullptr);
  LRESULT result = 7;
  EXPECT_EQ(edit->TxSendMessage(EM_GETLINECOUNT, 0, 0, &result), S_FALSE);
  EXPECT_EQ(result, 7) << "no answer is made up";
  edit->SetText(L"kept for later");
  EXPECT_EQ(std::wstring(edit->GetText().GetData()), L"");
  edit->SetRich(false);
  edit->SetTransparent(false);
  edit->SetFont(2);
  edit->SetTextColor(0xFF123456);
  EXPECT_FALSE(edit->IsRich());
  EXPECT_FALSE(edit->IsTransparent());
  EXPECT_EQ(edit->GetFont(), 2);
  EXPECT_EQ(edit->GetTextColor(), 0xFF123456u);
  EXPECT_EQ(edit->GetSel().cpMax, 0);
  EXPECT_EQ(edit->GetLineCount(), 0);
  for (void (CRichEditUI::*step)() : {&CRichEditUI::LineDown, &CRichEditUI::PageUp,
                                      &CRichEditUI::EndRight, &CRichEditUI::HomeLeft}) {
    (edit->*step)();
  }
  edit->SetScrollPos(SIZE{5, 5});
  bool handled = false;
  edit->MessageHandler(WM_CHAR, L'x', 1, handled);
  EXPECT_FALSE(handled);

  // Joining the window hands the services the text and the settings kept meanwhile.
  w.Attach();
  ASSERT_NE(edit->GetTxtWinHost(), nullptr);
  EXPECT_EQ(w.Text(), L"kept for later");
  EXPECT_TRUE(w.Send(EM_GETTEXTMODE) & TM_PLAINTEXT);
  EXPECT_EQ(w.DefaultCharFormat().crTextColor, RGB(0x12, 0x34, 0x56));
}

TEST(RichEditTest, InputReachesTheTextOnlyWhileTheControlTakesIt) {
  const struct {
    const char* name;
    bool enabled;
    bool visible;
    bool mouse;
    bool typed;    // characters sent to the window become text
    bool clicked;  // a click on the control focuses it
  } cases[] = {
      {"enabled", true, true, true, true, true},
      {"disabled", false, true, true, false, false},
      {"hidden", true, false, true, false, false},
      {"mouse off", true, true, false, true, false},
  };
  for (const auto& c : cases) {
    RichWindow w;
    CRichEditUI* edit = w.window.Add(new CRichEditUI(), 300, 60, L"target");
    w.Attach();
    edit->SetFocus();  // while it still takes it
    edit->SetEnabled(c.enabled);
    edit->SetVisible(c.visible);
    edit->SetMouseEnabled(c.mouse);
    EXPECT_EQ(edit->GetControlFlags() != 0, c.enabled) << c.name;
    w.Type(L"ab");
    EXPECT_EQ(std::wstring(edit->GetText().GetData()), c.typed ? L"ab" : L"") << c.name;

    w.window.manager().SetFocus(w.button);
    edit->SetVisible(c.visible);
    const RECT& item = edit->GetPos();
    w.window.ClickLeft(item.left + 5, item.top + 5);
    EXPECT_EQ(edit->IsFocused(), c.clicked) << c.name;
    EXPECT_EQ(w.Text(), L"") << c.name << ": nothing reached the other field";
  }
}

TEST(RichEditTest, DraggingThePointerSelectsWhileTheServicesHoldTheCapture) {
  RichWindow w;
  w.edit->SetText(L"abcdefghijklmnopqrstuvwxyz");
  w.Attach();
  SkinUI::CTxtWinHost* host = w.edit->GetTxtWinHost();
  const RECT& item = w.edit->GetPos();
  const int y = item.top + 6;
  w.window.PressLeft(item.left + 1, y);
  EXPECT_TRUE(host->IsCaptured()) << "the services take the pointer for the drag";
  EXPECT_EQ(::GetCapture(), w.window.hwnd());
  // A move far outside the control still reaches the services while they hold the capture.
  w.window.MoveMouse(item.right + 50, y, MK_LBUTTON);
  w.window.ReleaseLeft(item.right + 50, y);
  EXPECT_FALSE(host->IsCaptured());
  const CHARRANGE range = w.edit->GetSel();
  EXPECT_EQ(range.cpMin, 0);
  EXPECT_EQ(range.cpMax, 26) << "the whole line is selected";
}

// Records the header of every WM_NOTIFY the window receives, as the window's own code would.
class NotifyHeaders : public SkinUI::IMessageFilterUI {
public:
  LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& /*handled*/) override {
    if (message == WM_NOTIFY && lParam != 0) {
      headers.push_back(*reinterpret_cast<const NMHDR*>(lParam));
      ids.push_back(wParam);
    }
    return 0;
  }
  std::vector<NMHDR> headers;
  std::vector<WPARAM> ids;
};

TEST(RichEditTest, SelectionChangeNotificationNamesTheWindow) {
  RichWindow w;
  w.edit->SetText(L"some text");
  w.Attach();
  ::SetWindowLongPtrW(w.window.hwnd(), GWLP_ID, 4321);
  NotifyHeaders headers;
  w.window.manager().AddMessageFilter(&headers);
  w.edit->SetSel(2, 4);
  w.window.manager().RemoveMessageFilter(&headers);
  ASSERT_FALSE(headers.headers.empty());
  const NMHDR& last = headers.headers.back();
  EXPECT_EQ(last.code, static_cast<UINT>(EN_SELCHANGE));
  EXPECT_EQ(last.hwndFrom, w.window.hwnd());
  EXPECT_EQ(last.idFrom, 4321u);
  EXPECT_EQ(headers.ids.back(), 4321u);
}

TEST(RichEditTest, StyleAttributesReachTheTextServices) {
  const DWORD all = 0xFFFFFFFF;
  const struct {
    const wchar_t* name;
    const wchar_t* value;
    DWORD bitsSet;      // TXTBIT_ values reported
    DWORD bitsClear;    // TXTBIT_ values not reported
    DWORD scrollBars;   // what the host reports of the scroll styles
  } cases[] = {
      {nullptr, nullptr, TXTBIT_RICHTEXT | TXTBIT_MULTILINE | TXTBIT_WORDWRAP |
                             TXTBIT_HIDESELECTION,
       TXTBIT_READONLY | TXTBIT_USEPASSWORD, 0},
      {L"readonly", L"true", TXTBIT_READONLY, 0, 0},
      {L"password", L"true", TXTBIT_USEPASSWORD, 0, 0},
      {L"multiline", L"false", 0, TXTBIT_MULTILINE, 0},
      {L"multiline", L"no", TXTBIT_MULTILINE, 0, 0},
      {L"rich", L"false", 0, TXTBIT_RICHTEXT, 0},
      {L"autohscroll", L"true", 0, TXTBIT_WORDWRAP, ES_AUTOHSCROLL},
      {L"hscrollbar", L"true", 0, TXTBIT_WORDWRAP, WS_HSCROLL | ES_DISABLENOSCROLL},
      {L"vscrollbar", L"true", TXTBIT_WORDWRAP, 0, WS_VSCROLL | ES_DISABLENOSCROLL},
      {L"autovscroll", L"true", TXTBIT_WORDWRAP, 0, ES_AUTOVSCROLL},
  };
  for (const auto& c : cases) {
    const std::string label = c.name != nullptr ? TestSupport::ToUtf8(c.name) : "defaults";
    RichWindow w;
    if (c.name != nullptr) w.edit->SetAttribute(c.name, c.value);
    w.Attach();
    SkinUI::CTxtWinHost* host = w.edit->GetTxtWinHost();
    ASSERT_NE(host, nullptr) << label;
    DWORD bits = 0;
    ASSERT_EQ(host->TxGetPropertyBits(all, &bits), S_OK);
    EXPECT_EQ(bits & c.bitsSet, c.bitsSet) << label;
    EXPECT_EQ(bits & c.bitsClear, 0u) << label;
    DWORD scrollBars = 0;
    ASSERT_EQ(host->TxGetScrollBars(&scrollBars), S_OK);
    EXPECT_EQ(scrollBars, c.scrollBars) << label;
    // The services act on them: a read-only text takes nothing, a single line no line break.
    w.Type(L"x");
    w.Press(VK_RETURN, L'\r');
    w.Type(L"y");
    const std::wstring typed = w.Text();
    if (c.bitsSet & TXTBIT_READONLY) {
      EXPECT_EQ(typed, L"") << label;
    } else if (c.bitsClear & TXTBIT_MULTILINE) {
      EXPECT_EQ(typed, L"xy") << label;
    } else {
      EXPECT_EQ(typed, L"x\ry") << label;
    }
  }
}

TEST(RichEditTest, ServicesAnswerTheIdsTheirLibraryExports) {
  RichWindow w;
  w.Attach();
  SkinUI::CTxtWinHost* host = w.edit->GetTxtWinHost();
  ASSERT_NE(host, nullptr);
  HMODULE library = ::GetModuleHandleW(L"msftedit.dll");
  ASSERT_NE(library, nullptr) << "loaded for the text services";
  const IID documentedServices = {
      0x8D33F740, 0xCF58, 0x11CE, {0xA8, 0x9D, 0x00, 0xAA, 0x00, 0x6C, 0xAD, 0xC5}};
  const struct {
    const char* exportName;
    IUnknown* object;
  } cases[] = {
      {"IID_ITextServices", host->GetTextServices()},
      {"IID_ITextHost", host},
  };
  for (const auto& c : cases) {
    const auto* iid = reinterpret_cast<const IID*>(::GetProcAddress(library, c.exportName));
    if (iid == nullptr) continue;  // a library that exports no id leaves the project's own
    void* object = nullptr;
    EXPECT_EQ(c.object->QueryInterface(*iid, &object), S_OK) << c.exportName;
    if (object != nullptr) static_cast<IUnknown*>(object)->Release();
  }
  // The services also answer the id the host asks for when the library exports none.
  void* object = nullptr;
  const HRESULT documented = host->GetTextServices()->QueryInterface(documentedServices, &object);
  if (object != nullptr) static_cast<IUnknown*>(object)->Release();
  const auto* exported =
      reinterpret_cast<const IID*>(::GetProcAddress(library, "IID_ITextServices"));
  if (exported == nullptr || ::IsEqualGUID(*exported, documentedServices)) {
    EXPECT_EQ(documented, S_OK);
  }
}

TEST(RichEditTest, PointerOverTheTextShowsTheTextCursor) {
  RichWindow w;
  w.edit->SetText(L"text");
  w.Attach();
  const POINT centre = ControlsWindow::Centre(w.edit);
  w.window.MoveMouse(centre.x, centre.y);
  ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
  SkinUI::TInputEventUI event;
  event.type = SkinUI::kEventSetCursor;
  event.mousePoint = centre;
  w.edit->Event(event);
  EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_IBEAM));
}

TEST(RichEditTest, CompositionWindowOpensAtTheCaretInTheControlsFont) {
  RichWindow w;
  w.window.manager().AddFont(4, L"Tahoma", 18, false, false, true);
  w.edit->SetAttribute(L"font", L"4");
  w.edit->SetText(L"abc");
  w.Attach();
  w.edit->SetSel(-1, -1);
  SkinUI::CTxtWinHost* host = w.edit->GetTxtWinHost();
  const POINT caret = host->GetCaretPos();
  ::SendMessageW(w.window.hwnd(), WM_IME_STARTCOMPOSITION, 0, 0);
  HIMC context = ::ImmGetContext(w.window.hwnd());
  ASSERT_NE(context, nullptr) << "the window's input context";
  COMPOSITIONFORM form = {};
  const BOOL placed = ::ImmGetCompositionWindow(context, &form);
  LOGFONTW font = {};
  const BOOL fontSet = ::ImmGetCompositionFontW(context, &font);
  ::ImmReleaseContext(w.window.hwnd(), context);
  ASSERT_TRUE(placed);
  EXPECT_EQ(form.dwStyle, static_cast<DWORD>(CFS_FORCE_POSITION));
  EXPECT_EQ(form.ptCurrentPos.x, caret.x + host->GetCaretWidth());
  EXPECT_EQ(form.ptCurrentPos.y, caret.y);
  ASSERT_TRUE(fontSet);
  EXPECT_EQ(std::wstring(font.lfFaceName), L"Tahoma");
  EXPECT_TRUE(font.lfItalic);
}

TEST(RichEditTest, TextFollowsTheControlWhenItsListScrolls) {
  RichWindow w;
  w.window.root()->SetAttribute(L"vscrollbar", L"true");
  w.window.Add(new SkinUI::CControlUI(), 100, 800, L"filler");
  w.edit->SetAttribute(L"textpadding", L"6,4,6,4");
  w.edit->SetText(L"moving text");
  w.Attach();
  SkinUI::CScrollBarUI* bar = w.window.root()->GetVerticalScrollBar();
  ASSERT_TRUE(bar != nullptr && bar->IsVisible());
  for (const int scrolled : {10, 35, 0}) {
    w.window.root()->SetScrollPos(SIZE{0, scrolled});
    const RECT& item = w.edit->GetPos();
    EXPECT_EQ(item.top, -scrolled);
    const RECT client = w.edit->GetTxtWinHost()->GetClientRect();
    EXPECT_EQ(client.left, item.left + 6) << scrolled;
    EXPECT_EQ(client.top, item.top + 4) << scrolled;
    EXPECT_EQ(client.right, item.right - 6) << scrolled;
    EXPECT_EQ(client.bottom, item.bottom - 4) << scrolled;
  }
}

}  // namespace
